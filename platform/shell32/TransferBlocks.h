#pragma once
// The global-memory blocks the shell's data formats carry, built from plain
// values: the file-drop list (CF_HDROP) and the item id list array ("Shell
// IDList Array"). The readers of such blocks from outside are elsewhere;
// these only write.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace shell32 {

// A file-drop list of the names (raw path bytes, fWide 0): the 20-byte
// header, each name and its zero byte, one more zero; exactly that many
// bytes, so a name of any length fits. Null when a name holds a zero byte,
// the block would pass 4 GiB, or the allocation fails.
CORVANE_PLATFORM_EXPORT HGLOBAL MakeFileDropBlock(const std::vector<std::string>& names);

// An item id list array: the count, the offsets (the parent's first, then
// each item's), the parent's absolute list and each item's relative list,
// every list with its terminator, packed. Lists are given as their items'
// bytes without the terminator (an empty parent is the desktop). Null when
// the block would pass 4 GiB or the allocation fails.
CORVANE_PLATFORM_EXPORT HGLOBAL MakeIdListArrayBlock(std::string_view parent,
                                                     const std::vector<std::string_view>& items);

// The array of absolute lists (items' bytes from the desktop, no
// terminator): their deepest common folder is the parent, and each item what
// lies below it (at least its last item, also when one list is a folder of
// another). Null as MakeIdListArrayBlock, or when a list is empty or not
// made of whole items.
CORVANE_PLATFORM_EXPORT HGLOBAL IdListArrayFromAbsoluteLists(const std::vector<std::string>& lists);

// An item by the folder it lies in: an index into a table of folders'
// absolute lists, and its own last item's bytes.
struct ItemInFolder {
    std::size_t Folder;
    std::string_view Item;
};

// The array IdListArrayFromAbsoluteLists makes of the lists
// folders[item.Folder] + item.Item, worked out per folder: many items of one
// folder cost one look at that folder's items. Null as it, or when an item is
// not exactly one whole item or names no folder of the table.
CORVANE_PLATFORM_EXPORT HGLOBAL IdListArrayFromFolderItems(const std::vector<std::string>& folders,
                                                           const std::vector<ItemInFolder>& items);

} // namespace shell32
