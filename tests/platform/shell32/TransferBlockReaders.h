#pragma once
// Reading the shell's transfer blocks in tests: a block's bytes, its 32-bit
// fields, the names of a file-drop list and the paths an id list array names.

#include "shell32/DropFiles.h"
#include "shell32/IdListArray.h"
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

// The paths an id list array names, as its reader takes it apart: each item
// after its parent. Empty for a block the reader refuses.
inline std::vector<std::string> IdListArrayPaths(const std::string& block)
{
    std::vector<std::string> paths;
    const std::optional<shell32::IdListArray> array = shell32::ReadIdListArray(block.data(), block.size());
    if (!array)
        return paths;
    const std::size_t parentSize = shell32::IdListSize(array->Parent.get());
    const std::string parent(reinterpret_cast<const char*>(array->Parent.get()), parentSize - 2);
    for (const shell32::OwnedIdList& item : array->Items) {
        std::string absolute =
            parent + std::string(reinterpret_cast<const char*>(item.get()), shell32::IdListSize(item.get()));
        const std::optional<std::string> path =
            shell32::PathFromIdList(reinterpret_cast<LPCITEMIDLIST>(absolute.data()));
        paths.push_back(path.value_or("(no path)"));
    }
    return paths;
}

// The names of a file-drop block, as its receiver reads them.
inline std::vector<std::string> FileDropNames(const std::string& block)
{
    return shell32::ReadDropFiles(block.data(), block.size());
}

} // namespace blocktest
