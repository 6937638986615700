// Copied-files payloads come from other programs through the clipboard: the
// first line decides cut or copy or refuses the payload, every path read is
// absolute and holds no NUL, and the payload written from it reads the same.

#include "shell32/FileUris.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view payload(reinterpret_cast<const char*>(data), size);
    const auto files = shell32::ParseCopiedFiles(payload);
    if (!files) {
        if (payload.substr(0, payload.find('\n')) == "cut" || payload.substr(0, payload.find('\n')) == "copy")
            std::abort();
        return 0;
    }
    for (const std::string& path : files->Paths)
        if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos)
            std::abort();
    const auto again = shell32::ParseCopiedFiles(shell32::MakeCopiedFiles(*files));
    if (!again || again->Cut != files->Cut || again->Paths != files->Paths)
        std::abort();
    return 0;
}
