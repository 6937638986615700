#pragma once
// The shell's data formats as the desktop's MIME types, both ways: the MIME
// data Qt hands to other programs for a data object of ours, and the data
// object another program's MIME data gives.
//
//     CF_HDROP                text/uri-list, the file: URLs of its absolute names
//     "Shell IDList Array"    application/x-corvane-shell-idlist-array, the block as it is
//     "Preferred DropEffect"  x-special/gnome-copied-files: "cut" or "copy", then the URLs;
//                             application/x-kde-cutselection: "1" for a cut, "0" for a copy
//
// Every other format stays in the process: a data object of ours comes back
// as itself to whoever asks here. MIME data from outside is outside input:
// its URL lists and id list arrays are read by the checked readers, and only
// local files this host names come in.

#include "CorvanePlatformExport.h"
#include "com/DataObject.h"
#include "win32/WinTypes.h"

class QMimeData;

// The registered formats' names.
#define CFSTR_SHELLIDLIST "Shell IDList Array"
#define CFSTR_PREFERREDDROPEFFECT "Preferred DropEffect"

namespace shell32 {

inline constexpr char kMimeUriList[] = "text/uri-list";
inline constexpr char kMimeIdListArray[] = "application/x-corvane-shell-idlist-array";
inline constexpr char kMimeGnomeCopiedFiles[] = "x-special/gnome-copied-files";
inline constexpr char kMimeKdeCutSelection[] = "application/x-kde-cutselection";

// The numbers of the registered formats (the same for every caller).
CORVANE_PLATFORM_EXPORT CLIPFORMAT IdListArrayFormat();
CORVANE_PLATFORM_EXPORT CLIPFORMAT PreferredDropEffectFormat();

// New MIME data (the caller owns it; Qt takes it over) holding one reference
// to the object. The formats are those the object's EnumFormatEtc lists now
// (in an HGLOBAL); each MIME type is rendered through GetData when asked for,
// and anything the object or the rendering throws stays inside. The
// enumerator's failure is returned, with *mime null.
CORVANE_PLATFORM_EXPORT HRESULT MimeDataFromDataObject(IDataObject* object, QMimeData** mime);

// The data object behind MIME data that MimeDataFromDataObject made, else
// null; no reference is added.
CORVANE_PLATFORM_EXPORT IDataObject* DataObjectOfMimeData(const QMimeData* mime);

// The data object of MIME data, one reference for the caller: ours is the
// object itself. Anything else gives a new object with, as far as the data
// has them: CF_HDROP, the local files its URL list names (text/uri-list,
// else, or when that names none, the copied-files list), byte for byte and
// in order; the id list
// array, its own block when it carries a well-formed one, else made of those
// files that exist; "Preferred DropEffect", DROPEFFECT_MOVE for a cut mark
// and DROPEFFECT_COPY for a copy mark. Null MIME data, and MIME data without
// files, give an object without formats.
CORVANE_PLATFORM_EXPORT HRESULT DataObjectFromMimeData(const QMimeData* mime, IDataObject** object);

} // namespace shell32
