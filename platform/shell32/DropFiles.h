#pragma once
// The file-drop list (clipboard format CF_HDROP): an HGLOBAL that starts with
// a DROPFILES header; at pFiles follow the names, each ended by a zero (one
// byte, or a 16-bit zero when fWide), and one more zero ends the list.
// Names here are raw path bytes, so blocks we write have fWide 0.
//
// A block may come from another party, so reading it trusts nothing: a name
// counts only when its zero lies within the block (an unterminated name at
// the end is left out, a missing final zero is forgiven), and a pFiles inside
// the header or past the end gives no names.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// file 0xFFFFFFFF: the number of names. Otherwise the file-th name (from 0):
// with a null buffer its length in bytes, without the zero; else as much of
// it as fits in size - 1 bytes, then a zero, and the number of bytes copied.
// Wide names come back as bytes through the lossless codec (win32/WideText.h).
// 0 for a name that is not there, size 0, or a handle that is not a live
// block (ERROR_INVALID_HANDLE).
CORVANE_PLATFORM_EXPORT UINT DragQueryFileA(HDROP drop, UINT file, LPSTR buffer, UINT size);
inline UINT DragQueryFile(HDROP drop, UINT file, LPSTR buffer, UINT size)
{
    return DragQueryFileA(drop, file, buffer, size);
}

// Frees the drop's block.
CORVANE_PLATFORM_EXPORT void DragFinish(HDROP drop);

namespace shell32 {

// Every name of the file-drop block of size bytes at data, read as
// DragQueryFileA reads them.
CORVANE_PLATFORM_EXPORT std::vector<std::string> ReadDropFiles(const void* data, std::size_t size);
// The same names handed to visit one by one, in order, none of them copied.
CORVANE_PLATFORM_EXPORT void VisitDropFiles(const void* data, std::size_t size,
                                            const std::function<void(std::string_view)>& visit);

// The first of those names that is an absolute path, read no further; nothing
// when none is.
CORVANE_PLATFORM_EXPORT std::optional<std::string> FirstAbsoluteDropFile(const void* data, std::size_t size);

} // namespace shell32
