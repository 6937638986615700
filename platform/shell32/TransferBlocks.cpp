#include "shell32/TransferBlocks.h"

#include "shell32/DropFiles.h"
#include "shell32/ItemIdList.h"
#include "win32/GlobalMemory.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

namespace shell32 {
namespace {

constexpr std::size_t kTerminatorBytes = 2;
constexpr std::uint64_t kMaxBlockBytes = std::numeric_limits<std::uint32_t>::max();

void PutDword(BYTE* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<BYTE>(value >> (8 * i));
}

// A zeroed block of size bytes, handed to fill while locked.
template <typename Fill>
HGLOBAL MakeBlock(std::uint64_t size, Fill&& fill)
{
    if (size > kMaxBlockBytes)
        return nullptr;
    HGLOBAL block = GlobalAlloc(GHND, static_cast<SIZE_T>(size));
    if (!block)
        return nullptr;
    auto* bytes = static_cast<BYTE*>(GlobalLock(block));
    if (!bytes) {
        GlobalFree(block);
        return nullptr;
    }
    fill(bytes);
    GlobalUnlock(block);
    return block;
}

// The byte lengths of the items a list's bytes are made of; false when they
// do not divide into whole items.
bool ItemLengths(std::string_view list, std::vector<std::size_t>& lengths)
{
    lengths.clear();
    std::size_t at = 0;
    while (at < list.size()) {
        const std::optional<std::size_t> count = ItemByteCount(list.data() + at, list.size() - at);
        if (!count || *count == 0)
            return false;
        lengths.push_back(*count);
        at += *count;
    }
    return true;
}

// Whether two encoded items name one item. Their stat snapshots say what
// listing saw when each list was made and take no part in it.
bool SameItem(std::string_view a, std::string_view b)
{
    const std::optional<ItemView> left = DecodeItem(a.data(), a.size());
    const std::optional<ItemView> right = DecodeItem(b.data(), b.size());
    if (!left || !right)
        return a == b;
    return left->kind == right->kind && left->text == right->text &&
           std::memcmp(&left->guid, &right->guid, sizeof left->guid) == 0;
}

// An item of an array written as two pieces, one after the other.
struct ItemPieces {
    std::string_view Head;
    std::string_view Tail;
};

// The id list array of a parent and count items, item i in the pieces
// pieces(i) gives; each list ends with its terminator.
template <typename Pieces>
HGLOBAL MakeArrayBlock(std::string_view parent, std::size_t count, Pieces&& pieces)
{
    const std::uint64_t header = 4 + 4 * (static_cast<std::uint64_t>(count) + 1);
    std::uint64_t size = header + parent.size() + kTerminatorBytes;
    for (std::size_t i = 0; i < count; ++i) {
        const ItemPieces item = pieces(i);
        size += item.Head.size() + item.Tail.size() + kTerminatorBytes;
    }
    return MakeBlock(size, [&](BYTE* bytes) {
        PutDword(bytes, static_cast<std::uint32_t>(count));
        std::uint64_t offset = header;
        // An empty view may have no bytes to copy from at all.
        const auto copy = [&](std::string_view piece) {
            if (!piece.empty())
                std::memcpy(bytes + offset, piece.data(), piece.size());
            offset += piece.size();
        };
        PutDword(bytes + 4, static_cast<std::uint32_t>(offset));
        copy(parent);
        offset += kTerminatorBytes;
        for (std::size_t i = 0; i < count; ++i) {
            const ItemPieces item = pieces(i);
            PutDword(bytes + 4 + 4 * (i + 1), static_cast<std::uint32_t>(offset));
            copy(item.Head);
            copy(item.Tail);
            offset += kTerminatorBytes;
        }
    });
}

} // namespace

HGLOBAL MakeFileDropBlock(const std::vector<std::string>& names)
{
    std::uint64_t size = sizeof(DROPFILES) + 1;
    for (const std::string& name : names) {
        // A zero inside a name, or an empty name, would end the list there.
        if (name.empty() || name.find('\0') != std::string::npos)
            return nullptr;
        size += name.size() + 1;
    }
    return MakeBlock(size, [&](BYTE* bytes) {
        PutDword(bytes, sizeof(DROPFILES));
        BYTE* at = bytes + sizeof(DROPFILES);
        for (const std::string& name : names) {
            std::memcpy(at, name.data(), name.size());
            at += name.size() + 1;
        }
    });
}

HGLOBAL MakeIdListArrayBlock(std::string_view parent, const std::vector<std::string_view>& items)
{
    return MakeArrayBlock(parent, items.size(), [&](std::size_t i) { return ItemPieces{items[i], {}}; });
}

HGLOBAL IdListArrayFromAbsoluteLists(const std::vector<std::string>& lists)
{
    // Each list as the folder its last item lies in, and that item.
    std::vector<std::string> folders;
    std::vector<ItemInFolder> items;
    folders.reserve(lists.size());
    items.reserve(lists.size());
    std::vector<std::size_t> lengths;
    for (const std::string& list : lists) {
        if (!ItemLengths(list, lengths) || lengths.empty())
            return nullptr;
        const std::size_t lastAt = list.size() - lengths.back();
        items.push_back(ItemInFolder{folders.size(), std::string_view(list).substr(lastAt)});
        folders.push_back(list.substr(0, lastAt));
    }
    return IdListArrayFromFolderItems(folders, items);
}

HGLOBAL IdListArrayFromFolderItems(const std::vector<std::string>& folders,
                                   const std::vector<ItemInFolder>& items)
{
    // Each folder as its items, then the longest run of leading items naming
    // the same folders in every folder an item lies in. An item's own last
    // item stays its own, so the run ends within the folders.
    std::vector<std::vector<std::size_t>> lengths(folders.size());
    std::vector<bool> used(folders.size(), false);
    std::size_t common = std::numeric_limits<std::size_t>::max();
    for (const ItemInFolder& item : items) {
        if (item.Folder >= folders.size())
            return nullptr;
        const std::optional<std::size_t> own = ItemByteCount(item.Item.data(), item.Item.size());
        if (!own || *own == 0 || *own != item.Item.size())
            return nullptr;
        if (used[item.Folder])
            continue;
        used[item.Folder] = true;
        if (!ItemLengths(folders[item.Folder], lengths[item.Folder]))
            return nullptr;
        common = std::min(common, lengths[item.Folder].size());
    }
    if (items.empty())
        common = 0;
    // Where each used folder's first unshared item starts.
    std::vector<std::size_t> prefixBytes(folders.size(), 0);
    const std::size_t first = items.empty() ? 0 : items[0].Folder;
    for (std::size_t shared = 0; shared < common; ++shared) {
        const std::string_view level =
            std::string_view(folders[first]).substr(prefixBytes[first], lengths[first][shared]);
        bool same = true;
        for (std::size_t f = 0; f < folders.size() && same; ++f)
            if (used[f] && f != first)
                same =
                    SameItem(std::string_view(folders[f]).substr(prefixBytes[f], lengths[f][shared]), level);
        if (!same)
            break;
        for (std::size_t f = 0; f < folders.size(); ++f)
            if (used[f])
                prefixBytes[f] += lengths[f][shared];
    }
    const std::string_view parent =
        items.empty() ? std::string_view() : std::string_view(folders[first]).substr(0, prefixBytes[first]);
    return MakeArrayBlock(parent, items.size(), [&](std::size_t i) {
        const ItemInFolder& item = items[i];
        return ItemPieces{std::string_view(folders[item.Folder]).substr(prefixBytes[item.Folder]), item.Item};
    });
}

} // namespace shell32
