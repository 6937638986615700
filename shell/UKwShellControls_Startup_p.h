#pragma once
// What the unit's start-up keeps for its source files: not for the library's
// users.

#include "KwCorvaneExport.h"

#include "win32/WinTypes.h"

#include <array>

namespace vcl {
class TMemoryStream;
}

namespace kw::detail {

// Reads the seven shortcut texts from their resource strings into the table,
// and empties them again.
void LoadShortcutTexts();
void ReleaseShortcutTexts();

// The column widths every shell list of the process shares: an int32 count,
// then that many int32 widths, little-endian; empty when nothing is stored.
// Null outside the unit's start-up and shut-down.
KWCORVANE_EXPORT vcl::TMemoryStream* ColumnWidthStream();

// The copy of the explorer's "DirectoryCols" value taken at the last build of
// fixed columns, and its byte count (0 until then).
inline constexpr size_t DirectoryColsBytes = 22;
struct KWCORVANE_EXPORT TLastDirectoryCols {
    std::array<BYTE, DirectoryColsBytes> Data{};
    int Count = 0;
};
KWCORVANE_EXPORT TLastDirectoryCols& LastDirectoryCols();

// Frees the Send To list the tree and the list share (KwSendToList makes a
// new one when asked again).
void FreeSendToList();

} // namespace kw::detail
