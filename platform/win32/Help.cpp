// Help through its hook.

#include "win32/Help.h"

#include "win32/Errors.h"

#include <atomic>

namespace win32 {

namespace {

std::atomic<HelpHook> g_help{nullptr};

} // namespace

HelpHook SetHelpHook(HelpHook hook)
{
    return g_help.exchange(hook);
}

} // namespace win32

BOOL WinHelpA(HWND window, const char* helpFile, UINT command, ULONG_PTR data)
{
    const win32::HelpHook help = win32::g_help.load();
    if (!help) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    return help(window, helpFile ? helpFile : "", command, data);
}
