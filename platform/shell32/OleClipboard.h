#pragma once
// The OLE clipboard over the desktop's clipboard (QClipboard). A data object
// put there is offered to other programs in the formats they understand
// (shell32/ClipboardMime.h) and comes back as itself within the process;
// what another program put there comes back as a data object of its files.
//
// GUI thread only, after OleInitialize: other threads get
// CLIPBRD_E_CANT_OPEN, a thread without OLE CO_E_NOTINITIALIZED.

#include "CorvanePlatformExport.h"
#include "com/DataObject.h"
#include "win32/WinTypes.h"

// Puts the object on the clipboard (it keeps one reference until the
// clipboard changes again, here or in another program); null empties the
// clipboard. The object's formats are listed now and rendered when asked.
CORVANE_PLATFORM_EXPORT HRESULT OleSetClipboard(IDataObject* dataObject);
// The clipboard's data object, with one reference for the caller (null on
// failure).
CORVANE_PLATFORM_EXPORT HRESULT OleGetClipboard(IDataObject** dataObject);
// Renders every format the object set here offers, so that the clipboard
// keeps the data, and lets the object go; S_OK also when the clipboard holds
// nothing of ours.
CORVANE_PLATFORM_EXPORT HRESULT OleFlushClipboard();
// S_OK while the object (by identity) is the one set here and still on the
// clipboard, else S_FALSE.
CORVANE_PLATFORM_EXPORT HRESULT OleIsCurrentClipboard(IDataObject* dataObject);
