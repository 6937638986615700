#pragma once
// ShellExecute: the shell's way to run a verb on a file or a URL. Here the
// default verb and "open" go to the library's open hook (shell32/Opening.h),
// which hands the target to the desktop's choice of application; other verbs
// are not supported.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOW = 5;

// ShellExecute's failures (returned as the instance value).
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_NOASSOC = 31;

// A value above 32 on success; else one of the SE_ERR_ codes, with the last
// error set. A relative file is taken in directory when one is given.
// Parameters are accepted for the caller's sake and not passed on: the
// desktop opens documents and pages, it runs no programs for us.
CORVANE_PLATFORM_EXPORT HINSTANCE ShellExecuteA(HWND window, const char* verb, const char* file,
                                                const char* parameters, const char* directory,
                                                int showCommand);
inline HINSTANCE ShellExecute(HWND window, const char* verb, const char* file, const char* parameters,
                              const char* directory, int showCommand)
{
    return ShellExecuteA(window, verb, file, parameters, directory, showCommand);
}
