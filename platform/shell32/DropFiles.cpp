#include "shell32/DropFiles.h"
#include "shell32/ShellTesting.h"
#include "win32/Errors.h"
#include "win32/GlobalMemory.h"
#include "win32/WideText.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

constexpr UINT kCountNames = 0xFFFFFFFF;
constexpr std::size_t kEveryName = SIZE_MAX;

std::atomic<std::size_t> gWideNamesConverted{0};

// Calls visit(name bytes) for each name ended within the block, in order,
// until it answers false. Of wide names only the one at index `wanted` (or
// every one, for kEveryName) is converted; the others are visited empty.
template <typename Visit>
void WalkNames(const void* data, std::size_t size, std::size_t wanted, Visit&& visit)
{
    if (!data || size < sizeof(DROPFILES))
        return;
    const auto* p = static_cast<const unsigned char*>(data);
    DROPFILES header;
    std::memcpy(&header, p, sizeof header);
    if (header.pFiles < sizeof(DROPFILES) || header.pFiles > size)
        return;
    std::size_t at = header.pFiles;
    if (!header.fWide) {
        while (at < size) {
            const auto* end = static_cast<const unsigned char*>(std::memchr(p + at, 0, size - at));
            if (!end || end == p + at)
                return; // unterminated, or the list's end
            const std::string_view name(reinterpret_cast<const char*>(p + at), end - (p + at));
            if (!visit(name))
                return;
            at += name.size() + 1;
        }
        return;
    }
    // 16-bit units, read byte by byte: pFiles need not be even.
    std::u16string name;
    for (std::size_t index = 0;; ++index) {
        name.clear();
        for (;;) {
            if (size - at < 2)
                return; // unterminated
            const auto unit = static_cast<char16_t>(p[at] | (p[at + 1] << 8));
            at += 2;
            if (unit == 0)
                break;
            name.push_back(unit);
        }
        if (name.empty())
            return;
        const bool convert = wanted == kEveryName || wanted == index;
        if (convert)
            gWideNamesConverted.fetch_add(1, std::memory_order_relaxed);
        if (!visit(std::string_view(convert ? win32::WideToBytes(name) : std::string())))
            return;
    }
}

} // namespace

UINT DragQueryFileA(HDROP drop, UINT file, LPSTR buffer, UINT size)
{
    const win32::LockedGlobal block(drop);
    if (!block.Data()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    UINT index = 0;
    UINT answer = 0;
    const std::size_t wanted = file == kCountNames ? kEveryName - 1 : file;
    WalkNames(block.Data(), block.Size(), wanted, [&](std::string_view name) {
        if (file == kCountNames) {
            ++index;
            return true;
        }
        if (index++ != file)
            return true;
        const std::size_t length = std::min<std::size_t>(name.size(), kCountNames - 1);
        if (!buffer) {
            answer = static_cast<UINT>(length);
        } else if (size > 0) {
            const std::size_t copied = std::min<std::size_t>(length, size - 1);
            std::memcpy(buffer, name.data(), copied);
            buffer[copied] = '\0';
            answer = static_cast<UINT>(copied);
        }
        return false;
    });
    return file == kCountNames ? index : answer;
}

void DragFinish(HDROP drop)
{
    GlobalFree(drop);
}

namespace shell32 {

std::vector<std::string> ReadDropFiles(const void* data, std::size_t size)
{
    std::vector<std::string> names;
    WalkNames(data, size, kEveryName, [&](std::string_view name) {
        names.emplace_back(name);
        return true;
    });
    return names;
}

void VisitDropFiles(const void* data, std::size_t size, const std::function<void(std::string_view)>& visit)
{
    WalkNames(data, size, kEveryName, [&](std::string_view name) {
        visit(name);
        return true;
    });
}

std::optional<std::string> FirstAbsoluteDropFile(const void* data, std::size_t size)
{
    std::optional<std::string> first;
    WalkNames(data, size, kEveryName, [&](std::string_view name) {
        if (name.empty() || name.front() != '/')
            return true;
        first.emplace(name);
        return false;
    });
    return first;
}

namespace testing {

std::size_t WideDropNamesConverted()
{
    return gWideNamesConverted.load(std::memory_order_relaxed);
}

} // namespace testing

} // namespace shell32
