#pragma once
// UKwShellUtils' inner interface between its own source files: not for the
// library's users.

#include "com/TaskAllocator.h"
#include "win32/WinTypes.h"

#include <cstring>

namespace kw::detail {

// Called by the unit's start-up with the allocator it got from SHGetMalloc.
// Takes a reference of its own (kept for the life of the process). When an
// allocator is already held (obtained lazily before start-up ran), the held
// one stays: lists already handed out must be freed by the allocator that
// made them. Null is ignored.
void SetShellIMalloc(IMalloc* malloc);

// The 16-bit little-endian byte count at p (an item's count or the
// terminator), read byte by byte since items may start on odd addresses.
inline unsigned ReadItemCount(const BYTE* p)
{
    return static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8);
}

inline void WriteTerminator(BYTE* p)
{
    p[0] = 0;
    p[1] = 0;
}

} // namespace kw::detail
