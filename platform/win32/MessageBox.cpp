// Message boxes and the beep: requests handed to a hook or to the default
// the visual layer installs.

#include "win32/MessageBox.h"

#include "win32/Errors.h"
#include "win32/WindowManager.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace win32 {

namespace {

std::atomic<MessageBoxHook> g_hook{nullptr};
std::atomic<MessageBoxHook> g_default{nullptr};
std::atomic<MessageBeepHook> g_beepHook{nullptr};
std::atomic<MessageBeepHook> g_defaultBeep{nullptr};

struct ButtonSet {
    std::vector<MessageBoxButton> Buttons;
    int CancelId; // 0: the box cannot be cancelled
};

// The buttons of each MB_TYPEMASK code, in the platform's order.
bool ButtonsOf(UINT code, ButtonSet& set)
{
    const MessageBoxButton ok{IDOK, "OK"}, cancel{IDCANCEL, "Cancel"}, abort{IDABORT, "&Abort"},
        retry{IDRETRY, "&Retry"}, ignore{IDIGNORE, "&Ignore"}, yes{IDYES, "&Yes"}, no{IDNO, "&No"},
        tryAgain{IDTRYAGAIN, "&Try Again"}, cont{IDCONTINUE, "&Continue"};
    switch (code) {
    case MB_OK:
        // A box with one button closes with it.
        set = {{ok}, IDOK};
        return true;
    case MB_OKCANCEL:
        set = {{ok, cancel}, IDCANCEL};
        return true;
    case MB_ABORTRETRYIGNORE:
        set = {{abort, retry, ignore}, 0};
        return true;
    case MB_YESNOCANCEL:
        set = {{yes, no, cancel}, IDCANCEL};
        return true;
    case MB_YESNO:
        set = {{yes, no}, 0};
        return true;
    case MB_RETRYCANCEL:
        set = {{retry, cancel}, IDCANCEL};
        return true;
    case MB_CANCELTRYCONTINUE:
        set = {{cancel, tryAgain, cont}, IDCANCEL};
        return true;
    default:
        return false;
    }
}

void LogUnanswered(const MessageBoxRequest& request)
{
    std::fprintf(stderr, "corvane: no one to show the message box \"%s\": %s\n", request.Caption.c_str(),
                 request.Text.c_str());
}

} // namespace

bool MakeMessageBoxRequest(HWND owner, const char* text, const char* caption, UINT type,
                           MessageBoxRequest& request)
{
    ButtonSet set;
    if (!ButtonsOf(type & MB_TYPEMASK, set))
        return false;
    request.Owner = owner;
    request.Text = text ? text : "";
    request.Caption = caption ? caption : "Error";
    request.Type = type;
    request.Buttons = std::move(set.Buttons);
    request.CancelId = set.CancelId;
    request.Help = nullptr;
    if (type & MB_HELP) {
        request.Buttons.push_back({IDHELP, "Help", true});
        // The platform's help: the owner hears WM_HELP about the box.
        request.Help = [owner] {
            if (!IsWindow(owner))
                return;
            HELPINFO info{};
            info.cbSize = sizeof info;
            info.iContextType = HELPINFO_WINDOW;
            info.hItemHandle = owner;
            SendMessageA(owner, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        };
    }
    // A default past the last button is the first, as the platform has it.
    const std::size_t index = (type & MB_DEFMASK) >> 8;
    request.DefaultButton = index < request.Buttons.size() ? index : 0;
    return true;
}

int ShowMessageBox(const MessageBoxRequest& request)
{
    MessageBoxHook show = g_hook.load();
    if (!show)
        show = g_default.load();
    if (!show) {
        LogUnanswered(request);
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    const int answer = show(request);
    if (answer == 0)
        return 0; // the shower's own failure, with its last error
    const bool known = answer == request.CancelId ||
                       std::any_of(request.Buttons.begin(), request.Buttons.end(),
                                   [answer](const MessageBoxButton& b) { return !b.Help && b.Id == answer; });
    if (!known) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return answer;
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    return g_hook.exchange(hook);
}

MessageBoxHook SetDefaultMessageBox(MessageBoxHook presenter)
{
    return g_default.exchange(presenter);
}

MessageBeepHook SetMessageBeepHook(MessageBeepHook hook)
{
    return g_beepHook.exchange(hook);
}

MessageBeepHook SetDefaultMessageBeep(MessageBeepHook beeper)
{
    return g_defaultBeep.exchange(beeper);
}

} // namespace win32

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type)
{
    if (owner && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    win32::MessageBoxRequest request;
    if (!win32::MakeMessageBoxRequest(owner, text, caption, type, request)) {
        SetLastError(ERROR_INVALID_MSGBOX_STYLE);
        return 0;
    }
    return win32::ShowMessageBox(request);
}

BOOL MessageBeep(UINT type)
{
    win32::MessageBeepHook beep = win32::g_beepHook.load();
    if (!beep)
        beep = win32::g_defaultBeep.load();
    if (!beep) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    return beep(type);
}
