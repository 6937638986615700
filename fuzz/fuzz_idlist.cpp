// Stored item id lists (form files, drag data) are outside input: the decoder
// must refuse anything malformed without reading past the buffer, and a list
// it accepts must survive the folders' comparison and naming, and read the
// same through the one-item path.

#include "com/TaskAllocator.h"
#include "com/Unknown.h"
#include "shell32/ItemIdList.h"
#include "shell32/ShellApi.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exact-size copy, so a read past the end is caught.
    std::vector<std::uint8_t> buffer(data, data + size);
    std::vector<shell32::ItemView> items;
    const bool valid = shell32::DecodeIdList(buffer.data(), buffer.size(), items);
    if (valid != shell32::ValidateIdList(buffer.data(), buffer.size()))
        std::abort();
    if (!valid)
        return 0;

    // One form per item: re-encoding gives the same bytes.
    std::string again;
    for (const shell32::ItemView& item : items)
        again += shell32::EncodeItem(item);
    if (again.size() + 2 != size || std::memcmp(again.data(), buffer.data(), again.size()) != 0)
        std::abort();

    auto* pidl = reinterpret_cast<LPCITEMIDLIST>(buffer.data());
    if (shell32::IdListSize(pidl) != size)
        std::abort();
    // The one-item reading takes exactly the one-item lists, item for item.
    shell32::ItemView one;
    const bool single = shell32::DecodeSingleItem(pidl, one);
    if (single != (items.size() == 1) ||
        (single && shell32::EncodeItem(one) != shell32::EncodeItem(items[0])))
        std::abort();
    IShellFolder* desktop = nullptr;
    if (SUCCEEDED(SHGetDesktopFolder(&desktop))) {
        if (desktop->CompareIDs(0, pidl, pidl) != S_OK)
            std::abort();
        STRRET name{};
        if (SUCCEEDED(desktop->GetDisplayNameOf(pidl, SHGDN_FORPARSING, &name)) && name.uType == STRRET_WSTR)
            CoTaskMemFree(name.pOleStr);
        desktop->Release();
    }
    shell32::PathFromIdList(pidl);
    return 0;
}
