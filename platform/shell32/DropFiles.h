#pragma once
// The file-drop list (clipboard format CF_HDROP): an HGLOBAL that starts with
// a DROPFILES header; at pFiles follow the names, each ended by a zero (one
// byte, or a 16-bit zero when fWide), and one more zero ends the list.
// Names here are raw path bytes, so blocks we write have fWide 0.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

// The drop handle a receiver reads with the shell's DragQuery calls: the
// medium's HGLOBAL itself.
using HDROP = HGLOBAL;

// 20 bytes: all fields are 32-bit, pt is the drop point in the target's
// client coordinates (fNC: in its non-client area).
struct CORVANE_PLATFORM_EXPORT DROPFILES {
    DWORD pFiles; // offset of the first name from the start of the block
    POINT pt;
    BOOL fNC;
    BOOL fWide;
};
using LPDROPFILES = DROPFILES*;
static_assert(sizeof(DROPFILES) == 20, "the header's layout is the platform's");
