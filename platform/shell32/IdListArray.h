#pragma once
// The shell's item id list array (clipboard format "Shell IDList Array"): a
// parent folder's absolute list and its items' relative lists in one block.
//
//     cidl          u32, the number of items n
//     aoffset[n+1]  u32 offsets from the block's start: [0] the parent,
//                   [i + 1] item i
//     then the lists, each with its 2-byte terminator
//
// All values are little-endian. A block may come from another party, so
// reading it trusts nothing but what lies inside it.

#include "CorvanePlatformExport.h"
#include "shell32/ItemIdList.h"
#include "win32/WinTypes.h"

#include <cstddef>
#include <optional>
#include <vector>

struct CORVANE_PLATFORM_EXPORT CIDA {
    UINT cidl;
    UINT aoffset[1];
};
using LPIDA = CIDA*;

namespace shell32 {

// A block's lists, copied out on the shell allocator.
struct CORVANE_PLATFORM_EXPORT IdListArray {
    OwnedIdList Parent;
    std::vector<OwnedIdList> Items;
};

// The lists of the block of size bytes at data, or nothing when it is
// malformed: its offsets do not fit in it, an offset points into the offsets
// or outside the block, a list is not a well-formed list of ours ended
// within the block (kMaxIdListBytes at most), or the lists claim more bytes
// together than the block holds (offsets that share one list many times).
// Throws std::bad_alloc when memory runs out.
CORVANE_PLATFORM_EXPORT std::optional<IdListArray> ReadIdListArray(const void* data, std::size_t size);
// The same for a global block (nothing for a handle that is not one).
CORVANE_PLATFORM_EXPORT std::optional<IdListArray> ReadIdListArray(HGLOBAL block);

} // namespace shell32
