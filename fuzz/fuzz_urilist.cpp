// URI lists come from other programs through drops and the clipboard: every
// path read is absolute, holds no NUL, and reads back the same once written.

#include "shell32/FileUris.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view payload(reinterpret_cast<const char*>(data), size);
    const auto paths = shell32::ParseUriList(payload);
    if (!paths)
        std::abort(); // the fuzzer's inputs stay far below the limit
    for (const std::string& path : *paths)
        if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos)
            std::abort();
    if (shell32::ParseUriList(shell32::MakeUriList(*paths)) != *paths)
        std::abort();
    return 0;
}
