// File-drop blocks come from other programs through drops and the clipboard:
// the reader must stay inside the block, and the shell's query call must
// give the same names one by one.

#include "shell32/DropFiles.h"
#include "win32/GlobalMemory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exact-size copy, so a read past the end is caught.
    std::vector<std::uint8_t> buffer(data, data + size);
    const std::vector<std::string> names = shell32::ReadDropFiles(buffer.data(), buffer.size());
    for (const std::string& name : names)
        if (name.empty() || name.find('\0') != std::string::npos)
            std::abort();

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return 0;
    if (size)
        std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    if (DragQueryFileA(block, 0xFFFFFFFF, nullptr, 0) != names.size())
        std::abort();
    std::string name;
    for (UINT i = 0; i < names.size(); ++i) {
        const UINT length = DragQueryFileA(block, i, nullptr, 0);
        name.assign(length + 1, '*');
        if (length != names[i].size() || DragQueryFileA(block, i, name.data(), length + 1) != length ||
            name.compare(0, length, names[i]) != 0 || name[length] != '\0')
            std::abort();
    }
    DragFinish(block);
    return 0;
}
