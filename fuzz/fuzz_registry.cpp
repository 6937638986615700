// The registry store file is read at every start and may have been edited by
// hand or damaged: parsing must refuse what it cannot read, and what it
// accepts must survive being written and read again unchanged.

#include "win32/RegistryStore.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto store = win32::registry::ParseStore(text);
    if (!store)
        return 0;
    const std::string formatted = win32::registry::FormatStore(*store);
    const auto again = win32::registry::ParseStore(formatted);
    if (!again || win32::registry::FormatStore(*again) != formatted)
        __builtin_trap();
    return 0;
}
