// ShellExecute over the open hook.

#include "shell32/ShellExecute.h"

#include "shell32/Opening.h"
#include "win32/Errors.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

HINSTANCE Result(std::intptr_t value)
{
    return reinterpret_cast<HINSTANCE>(value);
}

} // namespace

HINSTANCE ShellExecuteA(HWND window, const char* verb, const char* file, const char*, const char* directory,
                        int)
{
    if (!file || !*file) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return Result(SE_ERR_FNF);
    }
    if (verb && *verb && std::string_view(verb) != "open") {
        SetLastError(ERROR_NO_ASSOCIATION);
        return Result(SE_ERR_NOASSOC);
    }
    std::string target = file;
    // A URL (scheme ':' ...) and an absolute path stand as they are.
    const bool url = target.find("://") != std::string::npos || target.starts_with("mailto:");
    if (!url && target.front() != '/' && directory && *directory)
        target = std::string(directory) + (std::string_view(directory).ends_with('/') ? "" : "/") + target;
    if (shell32::OpenItem(window, target))
        return Result(33);
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return Result(SE_ERR_FNF);
    case ERROR_ACCESS_DENIED:
        return Result(SE_ERR_ACCESSDENIED);
    default:
        return Result(SE_ERR_NOASSOC);
    }
}
