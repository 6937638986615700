#pragma once
// Readers of the shell's transfer blocks for tests, straight from the
// layout: a block's bytes, its 32-bit fields, the names of a file-drop list
// and the paths an id list array names.

#include "shell32/ItemIdList.h"
#include "shell32/ShellApi.h"
#include "win32/GlobalMemory.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace blocktest {

// The bytes of a global block, which stays the caller's.
inline std::string BlockBytes(HGLOBAL block)
{
    const SIZE_T size = GlobalSize(block);
    const void* bytes = GlobalLock(block);
    std::string result(static_cast<const char*>(bytes), size);
    GlobalUnlock(block);
    return result;
}

// The bytes of a block made for the test, which it frees.
inline std::string TakeBlock(HGLOBAL block)
{
    std::string bytes = BlockBytes(block);
    GlobalFree(block);
    return bytes;
}

inline std::uint32_t Dword(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

// The paths an id list array names: each item after its parent.
inline std::vector<std::string> IdListArrayPaths(const std::string& block)
{
    std::vector<std::string> paths;
    const std::uint32_t count = Dword(block, 0);
    const std::uint32_t parentAt = Dword(block, 4);
    const std::size_t parentSize =
        shell32::IdListSize(reinterpret_cast<LPCITEMIDLIST>(block.data() + parentAt));
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t itemAt = Dword(block, 8 + 4 * i);
        const std::size_t itemSize =
            shell32::IdListSize(reinterpret_cast<LPCITEMIDLIST>(block.data() + itemAt));
        std::string absolute = block.substr(parentAt, parentSize - 2) + block.substr(itemAt, itemSize);
        const std::optional<std::string> path =
            shell32::PathFromIdList(reinterpret_cast<LPCITEMIDLIST>(absolute.data()));
        paths.push_back(path.value_or("(no path)"));
    }
    return paths;
}

// The names of a file-drop block, as its receiver reads them.
inline std::vector<std::string> FileDropNames(const std::string& block)
{
    std::vector<std::string> names;
    std::size_t at = Dword(block, 0);
    while (at < block.size() && block[at] != '\0') {
        const std::size_t end = block.find('\0', at);
        names.push_back(block.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

} // namespace blocktest
