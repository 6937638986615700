// Message boxes and the beep: the buttons each type shows, failures, the
// hook from several threads, help to the owner.

#include "win32/MessageBox.h"

#include "MessageBoxScript.h"
#include "win32/Errors.h"
#include "win32/WindowManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<int> Ids(const win32::MessageBoxRequest& request)
{
    std::vector<int> ids;
    for (const win32::MessageBoxButton& b : request.Buttons)
        ids.push_back(b.Id);
    return ids;
}

std::string Captions(const win32::MessageBoxRequest& request)
{
    std::string captions;
    for (const win32::MessageBoxButton& b : request.Buttons)
        captions += (captions.empty() ? "" : "|") + b.Caption;
    return captions;
}

TEST(MessageBox, EachTypeShowsItsButtonsAndAnswersWithThem)
{
    struct Case {
        UINT type;
        std::vector<int> ids;
        const char* captions;
        int cancel;
        std::size_t defaultIndex;
    } cases[] = {
        {MB_OK, {IDOK}, "OK", IDOK, 0},
        {MB_OKCANCEL | MB_DEFBUTTON2, {IDOK, IDCANCEL}, "OK|Cancel", IDCANCEL, 1},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, {IDABORT, IDRETRY, IDIGNORE}, "&Abort|&Retry|&Ignore", 0, 2},
        {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, "&Yes|&No|Cancel", IDCANCEL, 0},
        {MB_YESNO | MB_DEFBUTTON2, {IDYES, IDNO}, "&Yes|&No", 0, 1},
        {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, "&Retry|Cancel", IDCANCEL, 0},
        {MB_CANCELTRYCONTINUE,
         {IDCANCEL, IDTRYAGAIN, IDCONTINUE},
         "Cancel|&Try Again|&Continue",
         IDCANCEL,
         0},
        // A default past the last button is the first.
        {MB_YESNO | MB_DEFBUTTON3, {IDYES, IDNO}, "&Yes|&No", 0, 0},
        // Help comes last and may be the default.
        {MB_OKCANCEL | MB_HELP | MB_DEFBUTTON3, {IDOK, IDCANCEL, IDHELP}, "OK|Cancel|Help", IDCANCEL, 2},
    };
    kwtest::MessageBoxScript script;
    for (const Case& c : cases) {
        const UINT type = c.type | MB_ICONWARNING | MB_TASKMODAL;
        const int last = c.ids.back() == IDHELP ? c.ids[c.ids.size() - 2] : c.ids.back();
        script.Queue(last);
        EXPECT_EQ(MessageBoxA(nullptr, "Text", "Caption", type), last) << c.captions;
        const win32::MessageBoxRequest shown = script.Last();
        EXPECT_EQ(Ids(shown), c.ids) << c.captions;
        EXPECT_EQ(Captions(shown), c.captions);
        EXPECT_EQ(shown.CancelId, c.cancel) << c.captions;
        EXPECT_EQ(shown.DefaultButton, c.defaultIndex) << c.captions;
        EXPECT_EQ(shown.Type, type);
        EXPECT_EQ(shown.Text, "Text");
        EXPECT_EQ(shown.Caption, "Caption");
        EXPECT_EQ(static_cast<bool>(shown.Help), (c.type & MB_HELP) != 0);
    }
}

TEST(MessageBox, FailuresSayWhy)
{
    struct Case {
        const char* what;
        HWND owner;
        UINT type;
        int answer; // the script's; 0: the default button
        DWORD error;
    } cases[] = {
        {"unknown button code", nullptr, 7, 0, ERROR_INVALID_MSGBOX_STYLE},
        {"unknown button code with help", nullptr, 0xF | MB_HELP, 0, ERROR_INVALID_MSGBOX_STYLE},
        {"owner is not a window", reinterpret_cast<HWND>(0x1234), MB_OK, 0, ERROR_INVALID_WINDOW_HANDLE},
        {"answer no button of the box", nullptr, MB_YESNO, IDOK, ERROR_INVALID_PARAMETER},
        {"answer the help button", nullptr, MB_OK | MB_HELP, IDHELP, ERROR_INVALID_PARAMETER},
    };
    kwtest::MessageBoxScript script;
    for (const Case& c : cases) {
        if (c.answer)
            script.Queue(c.answer);
        SetLastError(0);
        EXPECT_EQ(MessageBoxA(c.owner, "x", "y", c.type), 0) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
}

TEST(MessageBox, WithNobodyToAnswerItFailsAtOnce)
{
    const win32::MessageBoxHook hook = win32::SetMessageBoxHook(nullptr);
    const win32::MessageBoxHook presenter = win32::SetDefaultMessageBox(nullptr);
    SetLastError(0);
    EXPECT_EQ(MessageBoxA(nullptr, "Nobody reads this", "Test", MB_YESNO), 0);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    win32::SetDefaultMessageBox(presenter);
    win32::SetMessageBoxHook(hook);
}

TEST(MessageBox, NullTextIsEmptyAndNullCaptionIsError)
{
    kwtest::MessageBoxScript script;
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), IDOK);
    EXPECT_EQ(script.Last().Text, "");
    EXPECT_EQ(script.Last().Caption, "Error");
}

TEST(MessageBox, HelpTellsTheOwner)
{
    struct Owner : win32::WindowProcedure {
        std::vector<HELPINFO> Asked;
        LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
        {
            if (message == WM_HELP)
                Asked.push_back(*reinterpret_cast<const HELPINFO*>(lParam));
            return DefWindowProcA(window, message, wParam, lParam);
        }
    } owner;
    HWND window = win32::CreateWindowFor(&owner, {});
    kwtest::MessageBoxScript script;
    script.WhileShown = [](const win32::MessageBoxRequest& request) { request.Help(); };
    EXPECT_EQ(MessageBoxA(window, "Need help?", "Test", MB_OK | MB_HELP), IDOK);
    ASSERT_EQ(owner.Asked.size(), 1u);
    EXPECT_EQ(owner.Asked[0].cbSize, sizeof(HELPINFO));
    EXPECT_EQ(owner.Asked[0].iContextType, HELPINFO_WINDOW);
    EXPECT_EQ(owner.Asked[0].hItemHandle, static_cast<HANDLE>(window));
    DestroyWindow(window);
    // Help after the owner has gone asks nobody and does not fail.
    EXPECT_EQ(MessageBoxA(nullptr, "Need help?", "Test", MB_OK | MB_HELP), IDOK);
}

TEST(MessageBox, BoxesFromManyThreadsReachTheHookWhileItIsReplaced)
{
    static std::atomic<int> calls{0};
    calls = 0;
    const win32::MessageBoxHook before = win32::SetMessageBoxHook([](const win32::MessageBoxRequest& r) {
        ++calls;
        return r.Buttons.back().Id;
    });
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i)
                if (MessageBoxA(nullptr, "From a worker", "Test", MB_YESNOCANCEL) != IDCANCEL)
                    ++wrong;
        });
    // Swapping in a hook of the same answers meanwhile loses no box.
    for (int i = 0; i < 100; ++i) {
        const win32::MessageBoxHook current = win32::SetMessageBoxHook([](const win32::MessageBoxRequest&) {
            ++calls;
            return IDCANCEL;
        });
        win32::SetMessageBoxHook(current);
    }
    for (std::thread& t : threads)
        t.join();
    win32::SetMessageBoxHook(before);
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(calls.load(), 800);
}

TEST(MessageBeep, GoesToItsHookAndFailsWithNobodyToSoundIt)
{
    static std::vector<UINT> beeps;
    beeps.clear();
    const win32::MessageBeepHook before = win32::SetMessageBeepHook([](UINT type) -> BOOL {
        beeps.push_back(type);
        return TRUE;
    });
    EXPECT_TRUE(MessageBeep(MB_ICONWARNING));
    EXPECT_TRUE(MessageBeep(static_cast<UINT>(-1)));
    EXPECT_EQ(beeps, (std::vector<UINT>{MB_ICONWARNING, MB_SIMPLEBEEP}));
    win32::SetMessageBeepHook(nullptr);
    const win32::MessageBeepHook beeper = win32::SetDefaultMessageBeep(nullptr);
    SetLastError(0);
    EXPECT_FALSE(MessageBeep(MB_OK));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    win32::SetDefaultMessageBeep(beeper);
    win32::SetMessageBeepHook(before);
}

} // namespace
