// .trashinfo files are written by any program that trashes files, and read
// whenever the trash is shown.

#include "shell32/Trash.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto info = shell32::ParseTrashInfo(text, "/home/fuzz/.local/share")) {
        // What parsing lets through keeps its promises.
        if (!info->OriginalPath.empty() &&
            (info->OriginalPath[0] != '/' || info->OriginalPath.find('\0') != std::string::npos))
            __builtin_trap();
    }
    shell32::ParseTrashDate(text);
    shell32::DecodePercentEscapes(text);
    return 0;
}
