#include "shell32/IdListArray.h"
#include "win32/GlobalMemory.h"

#include <cstdint>
#include <new>
#include <string_view>

namespace shell32 {
namespace {

std::uint32_t ReadU32(const BYTE* p)
{
    return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

// The length (terminator included) of the list at offset, ended within size
// bytes and no longer than kMaxIdListBytes; nothing otherwise.
std::optional<std::size_t> ListLength(const BYTE* p, std::size_t size, std::size_t offset)
{
    std::size_t at = offset;
    for (;;) {
        const std::optional<std::size_t> count = ItemByteCount(p + at, size - at);
        if (!count || *count == 1)
            return std::nullopt;
        if (*count == 0)
            return at + 2 - offset;
        at += *count;
        if (at - offset > kMaxIdListBytes)
            return std::nullopt;
    }
}

} // namespace

std::optional<IdListArray> ReadIdListArray(const void* data, std::size_t size)
{
    if (!data || size < 4)
        return std::nullopt;
    const auto* p = static_cast<const BYTE*>(data);
    const std::uint64_t items = ReadU32(p);
    const std::uint64_t headerBytes = 4 + 4 * (items + 1);
    if (headerBytes > size)
        return std::nullopt;

    // Measure and check every list before copying any.
    std::vector<std::pair<std::size_t, std::size_t>> lists; // offset, length
    lists.reserve(static_cast<std::size_t>(items + 1));
    std::uint64_t claimed = headerBytes;
    for (std::uint64_t i = 0; i <= items; ++i) {
        const std::uint32_t offset = ReadU32(p + 4 + 4 * i);
        if (offset < headerBytes || offset >= size)
            return std::nullopt;
        const std::optional<std::size_t> length = ListLength(p, size, offset);
        if (!length)
            return std::nullopt;
        claimed += *length;
        if (claimed > size || !ValidateIdList(p + offset, *length))
            return std::nullopt;
        lists.emplace_back(offset, *length);
    }

    IdListArray result;
    result.Items.reserve(static_cast<std::size_t>(items));
    for (const auto& [offset, length] : lists) {
        OwnedIdList copy(
            AllocIdList(std::string_view(reinterpret_cast<const char*>(p + offset), length - 2)));
        if (!copy)
            throw std::bad_alloc();
        if (!result.Parent)
            result.Parent = std::move(copy);
        else
            result.Items.push_back(std::move(copy));
    }
    return result;
}

std::optional<IdListArray> ReadIdListArray(HGLOBAL block)
{
    const win32::LockedGlobal locked(block);
    if (!locked.Data())
        return std::nullopt;
    return ReadIdListArray(locked.Data(), locked.Size());
}

} // namespace shell32
