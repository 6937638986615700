#pragma once
// The widths the shell lists' columns keep: the width stream's reader and
// writer, and the explorer's widths of the fixed columns.

#include "KwCorvaneExport.h"
#include "UKwShellControls_Startup_p.h"

#include <array>

namespace vcl {
class TListColumns;
class TStream;
} // namespace vcl

namespace kw::detail {

// Rewrites stream whole with the columns' count and widths (int32 each).
KWCORVANE_EXPORT void WriteColumnWidths(vcl::TStream& stream, const vcl::TListColumns& columns);
// Gives the stored widths to the columns in order, as many as the stream
// holds and the list has columns; a stream shorter than its count changes
// nothing.
KWCORVANE_EXPORT void ReadColumnWidths(vcl::TStream& stream, vcl::TListColumns& columns);

// The explorer's widths of Name, Size, Type and Modified: its
// "DirectoryCols" value when it is at most 22 bytes, else the defaults (a
// byte count of 10).
KWCORVANE_EXPORT TLastDirectoryCols ReadDirectoryCols();
// Whether a and b hold the same byte count and the same words.
KWCORVANE_EXPORT bool SameDirectoryCols(const TLastDirectoryCols& a, const TLastDirectoryCols& b);
// Word n of the value, little-endian.
KWCORVANE_EXPORT int DirectoryColsWidth(const TLastDirectoryCols& cols, int n);

} // namespace kw::detail
