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
    const std::uint64_t header = 4 + 4 * (static_cast<std::uint64_t>(items.size()) + 1);
    std::uint64_t size = header + parent.size() + kTerminatorBytes;
    for (const std::string_view item : items)
        size += item.size() + kTerminatorBytes;
    return MakeBlock(size, [&](BYTE* bytes) {
        PutDword(bytes, static_cast<std::uint32_t>(items.size()));
        std::uint64_t offset = header;
        const auto put = [&](std::size_t slot, std::string_view list) {
            PutDword(bytes + 4 + 4 * slot, static_cast<std::uint32_t>(offset));
            // An empty view may have no bytes to copy from at all.
            if (!list.empty())
                std::memcpy(bytes + offset, list.data(), list.size());
            offset += list.size() + kTerminatorBytes;
        };
        put(0, parent);
        for (std::size_t i = 0; i < items.size(); ++i)
            put(i + 1, items[i]);
    });
}

HGLOBAL IdListArrayFromAbsoluteLists(const std::vector<std::string>& lists)
{
    // Each list as its items, then the longest run of leading items naming
    // the same folders that leaves every list at least one of its own.
    std::vector<std::vector<std::size_t>> lengths(lists.size());
    std::size_t common = std::numeric_limits<std::size_t>::max();
    for (std::size_t i = 0; i < lists.size(); ++i) {
        if (!ItemLengths(lists[i], lengths[i]) || lengths[i].empty())
            return nullptr;
        common = std::min(common, lengths[i].size() - 1);
    }
    if (lists.empty())
        common = 0;
    // Where each list's first unshared item starts.
    std::vector<std::size_t> prefixBytes(lists.size(), 0);
    for (std::size_t shared = 0; shared < common; ++shared) {
        const std::string_view first = std::string_view(lists[0]).substr(prefixBytes[0], lengths[0][shared]);
        bool same = true;
        for (std::size_t i = 1; i < lists.size() && same; ++i)
            same = SameItem(std::string_view(lists[i]).substr(prefixBytes[i], lengths[i][shared]), first);
        if (!same)
            break;
        for (std::size_t i = 0; i < lists.size(); ++i)
            prefixBytes[i] += lengths[i][shared];
    }
    std::vector<std::string_view> items;
    items.reserve(lists.size());
    for (std::size_t i = 0; i < lists.size(); ++i)
        items.push_back(std::string_view(lists[i]).substr(prefixBytes[i]));
    const std::string_view parent =
        lists.empty() ? std::string_view() : std::string_view(lists[0]).substr(0, prefixBytes[0]);
    return MakeIdListArrayBlock(parent, items);
}

} // namespace shell32
