#pragma once
// Help: the platform's call that opens a help file at a topic. There is no
// help viewer of the platform here, so the call goes to a replaceable hook
// (a host's viewer, or a test that records what was asked); without one it
// fails at once (FALSE, ERROR_NOT_SUPPORTED).

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <string>

// WinHelpA's commands.
constexpr UINT HELP_CONTEXT = 0x0001;
constexpr UINT HELP_QUIT = 0x0002;
constexpr UINT HELP_INDEX = 0x0003;
constexpr UINT HELP_CONTENTS = 0x0003;
constexpr UINT HELP_HELPONHELP = 0x0004;
constexpr UINT HELP_SETINDEX = 0x0005;
constexpr UINT HELP_SETCONTENTS = 0x0005;
constexpr UINT HELP_CONTEXTPOPUP = 0x0008;
constexpr UINT HELP_FORCEFILE = 0x0009;
constexpr UINT HELP_FINDER = 0x000B;
constexpr UINT HELP_KEY = 0x0101;
constexpr UINT HELP_COMMAND = 0x0102;
constexpr UINT HELP_PARTIALKEY = 0x0105;
constexpr UINT HELP_MULTIKEY = 0x0201;
constexpr UINT HELP_SETWINPOS = 0x0203;

// Asks for help from file (null: none) for window; data is the command's
// (the topic number of HELP_CONTEXT, a keyword's address for HELP_KEY).
CORVANE_PLATFORM_EXPORT BOOL WinHelpA(HWND window, const char* helpFile, UINT command, ULONG_PTR data);
inline BOOL WinHelp(HWND window, const char* helpFile, UINT command, ULONG_PTR data)
{
    return WinHelpA(window, helpFile, command, data);
}

namespace win32 {

// May be set and called from any thread; returns the hook it replaces.
using HelpHook = BOOL (*)(HWND window, const std::string& helpFile, UINT command, ULONG_PTR data);
CORVANE_PLATFORM_EXPORT HelpHook SetHelpHook(HelpHook hook);

} // namespace win32
