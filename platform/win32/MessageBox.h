#pragma once
// Message boxes and the beep: the platform's ways of telling a person
// something and of asking which button they choose.
//
// MessageBoxA turns its type into a request (text, caption, the MB_ flags,
// the buttons in order with the answer each gives, which one Enter and which
// one Escape choose) and hands it to whoever shows it: the hook a test or a
// host without a person has set, else the default the visual layer
// installs. With neither, nobody can answer: the box fails (0,
// ERROR_NOT_SUPPORTED) and its text goes to the log rather than waiting for
// an answer that cannot come. The framework's message dialogs make their
// requests the same way, so one hook sees every question the program asks.
//
// The hooks may be set and called from any thread. A hook runs on the thread
// that asks; the visual layer's default shows the box on the GUI thread.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The buttons (MB_TYPEMASK).
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_CANCELTRYCONTINUE = 0x00000006;
// The icon (MB_ICONMASK).
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_USERICON = 0x00000080;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
// The default button (MB_DEFMASK).
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_DEFBUTTON4 = 0x00000300;
// The modality (MB_MODEMASK).
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;
// The rest (MB_MISCMASK and beyond).
constexpr UINT MB_HELP = 0x00004000;
constexpr UINT MB_NOFOCUS = 0x00008000;
constexpr UINT MB_SETFOREGROUND = 0x00010000;
constexpr UINT MB_DEFAULT_DESKTOP_ONLY = 0x00020000;
constexpr UINT MB_TOPMOST = 0x00040000;
constexpr UINT MB_RIGHT = 0x00080000;
constexpr UINT MB_RTLREADING = 0x00100000;
constexpr UINT MB_SERVICE_NOTIFICATION = 0x00200000;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_DEFMASK = 0x00000F00;
constexpr UINT MB_MODEMASK = 0x00003000;
constexpr UINT MB_MISCMASK = 0x0000C000;

// What a box answers: the button chosen.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDCLOSE = 8;
constexpr int IDHELP = 9;
constexpr int IDTRYAGAIN = 10;
constexpr int IDCONTINUE = 11;

// MessageBeep's simple beep.
constexpr UINT MB_SIMPLEBEEP = 0xFFFFFFFF;

// Shows a box owned by owner (0: none) and waits for the button chosen.
// Fails (0, with the last error) for an owner that is not a window, a type
// with an unknown button code (ERROR_INVALID_MSGBOX_STYLE) and when nobody
// can answer. A null text is empty and a null caption is "Error".
CORVANE_PLATFORM_EXPORT int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
inline int MessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}

// Plays the sound of a kind of box (MB_ICON* or MB_OK), or the simple beep
// (MB_SIMPLEBEEP, -1). FALSE when nothing can sound.
CORVANE_PLATFORM_EXPORT BOOL MessageBeep(UINT type);

namespace win32 {

struct CORVANE_PLATFORM_EXPORT MessageBoxButton {
    int Id = 0;          // what choosing it answers
    std::string Caption; // with '&' before its mnemonic
    bool Help = false;   // runs the request's Help and leaves the box up
};

struct CORVANE_PLATFORM_EXPORT MessageBoxRequest {
    HWND Owner = nullptr;
    std::string Text; // line feeds (and CR, CR LF) break lines
    std::string Caption;
    // The MB_ flags. A framework dialog gives its icon and modality here,
    // and its buttons when they are one of the platform's sets.
    UINT Type = MB_OK;
    // In the order shown.
    std::vector<MessageBoxButton> Buttons;
    // Index in Buttons of the button Enter chooses.
    std::size_t DefaultButton = 0;
    // What Escape and the window's close box answer; 0 when neither may
    // close the box (its buttons have no cancel).
    int CancelId = 0;
    // What the Help button does.
    std::function<void()> Help;
    // Where the box's top-left corner goes on the screen; a negative
    // coordinate centres the box on the screen in that direction.
    int X = -1;
    int Y = -1;
};

// The request MessageBoxA makes; false for an unknown button code.
CORVANE_PLATFORM_EXPORT bool MakeMessageBoxRequest(HWND owner, const char* text, const char* caption,
                                                   UINT type, MessageBoxRequest& request);

// Shows a request and returns the answer, or 0 (with the last error) when
// nobody can answer or the answer is neither a button of the box nor its
// cancel answer. A hook that
// wants the Help button pressed calls request.Help itself.
using MessageBoxHook = int (*)(const MessageBoxRequest& request);
CORVANE_PLATFORM_EXPORT int ShowMessageBox(const MessageBoxRequest& request);

// Hooks return the one they replace. A set hook takes every request; null
// gives them back to the default, which the visual layer installs (the
// framework's message dialog form, on the GUI thread).
CORVANE_PLATFORM_EXPORT MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
CORVANE_PLATFORM_EXPORT MessageBoxHook SetDefaultMessageBox(MessageBoxHook presenter);

using MessageBeepHook = BOOL (*)(UINT type);
CORVANE_PLATFORM_EXPORT MessageBeepHook SetMessageBeepHook(MessageBeepHook hook);
CORVANE_PLATFORM_EXPORT MessageBeepHook SetDefaultMessageBeep(MessageBeepHook beeper);

} // namespace win32
