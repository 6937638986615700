// Version blocks are searched where the caller says one lies, and the search
// must stay inside it whatever the bytes say.

#include "win32/VersionBlock.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (std::string_view path :
         {"\\", "\\StringFileInfo\\040904B0\\FileVersion", "\\VarFileInfo\\Translation"}) {
        if (const auto value = win32::FindVersionValue(data, size, path)) {
            if (value->data < data || value->data + value->length > data + size)
                __builtin_trap();
        }
    }
    return 0;
}
