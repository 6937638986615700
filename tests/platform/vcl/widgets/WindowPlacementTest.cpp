// Placing windows: the size grip of the system's "SCROLLBAR" class, moved
// and raised by SetWindowPos; the restored placement of a form, also while
// maximised; calls on window 0; a form never larger than the screen.

#include "win32/WindowPlacement.h"
#include "WidgetTesting.h"
#include "vcl/widgets/Forms.h"
#include "win32/Errors.h"

#include <QSizeGrip>

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace vcl;
using kwtest::Pump;

TEST(SystemClasses, ASizeGripIsMadeMovedAndGoesWithItsParent)
{
    TOwnedPtr<TCustomForm> form(Create<TCustomForm>(nullptr));
    form->SetBounds(0, 0, 300, 200);
    form->Show();
    kwtest::WaitExposed(form->Peer());
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SBS_SIZEGRIP;
    HWND grip = CreateWindowExA(0, "SCROLLBAR", nullptr, style, 287, 187, 13, 13, form->Handle(), nullptr,
                                nullptr, nullptr);
    ASSERT_NE(grip, nullptr);
    EXPECT_EQ(GetParent(grip), form->Handle());
    auto* widget = form->Peer()->findChild<QSizeGrip*>();
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->isVisible());
    RECT client{};
    GetClientRect(grip, &client);
    EXPECT_EQ(client, (RECT{0, 0, 13, 13}));

    struct Call {
        const char* What;
        HWND Window;
        HWND InsertAfter;
        int X, Y;
        UINT Flags;
        BOOL Result;
        DWORD Error;
    };
    const Call calls[] = {
        {"the grip moves, keeping its size", grip, HWND_TOP, 100, 50, SWP_NOSIZE, TRUE, 0},
        {"window 0", nullptr, HWND_TOP, 0, 0, SWP_NOSIZE | SWP_NOMOVE, FALSE, ERROR_INVALID_WINDOW_HANDLE},
        {"a control's window is its control's", form->Handle(), HWND_TOP, 5, 5, SWP_NOSIZE | SWP_NOZORDER,
         FALSE, ERROR_INVALID_PARAMETER},
        {"only the top of the order", grip, reinterpret_cast<HWND>(1), 0, 0, SWP_NOSIZE | SWP_NOMOVE, FALSE,
         ERROR_INVALID_PARAMETER},
    };
    for (const Call& c : calls) {
        SetLastError(0);
        EXPECT_EQ(SetWindowPos(c.Window, c.InsertAfter, c.X, c.Y, 0, 0, c.Flags), c.Result) << c.What;
        if (!c.Result) {
            EXPECT_EQ(GetLastError(), c.Error) << c.What;
        }
    }
    EXPECT_EQ(widget->geometry(), QRect(100, 50, 13, 13));

    // What the class does not make.
    struct Refused {
        const char* What;
        const char* Class;
        DWORD Style;
        HWND Parent;
        DWORD Error;
    };
    const Refused refused[] = {
        {"a plain scroll bar", "SCROLLBAR", WS_CHILD, form->Handle(), ERROR_CANNOT_FIND_WND_CLASS},
        {"an unknown class", "BUTTON", WS_CHILD, form->Handle(), ERROR_CANNOT_FIND_WND_CLASS},
        {"a stale parent", "SCROLLBAR", style, reinterpret_cast<HWND>(0x7fff0001),
         ERROR_INVALID_WINDOW_HANDLE},
    };
    for (const Refused& r : refused) {
        SetLastError(0);
        EXPECT_EQ(
            CreateWindowExA(0, r.Class, nullptr, r.Style, 0, 0, 13, 13, r.Parent, nullptr, nullptr, nullptr),
            nullptr)
            << r.What;
        EXPECT_EQ(GetLastError(), r.Error) << r.What;
    }

    // The grip goes with its parent's window.
    form.reset();
    Pump();
    EXPECT_FALSE(IsWindow(grip));
}

TEST(WindowPlacement, AMaximisedFormKeepsItsRestoredRectangle)
{
    kwtest::TestForm form(320, 240);
    form->SetBounds(40, 30, 320, 240);
    Pump();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ASSERT_TRUE(GetWindowPlacement(form->Handle(), &placement));
    EXPECT_EQ(placement.showCmd, kShowNormal);
    EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 320);
    EXPECT_EQ(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top, 240);

    form->SetWindowState(wsMaximized);
    kwtest::PumpUntil([&] { return form->Peer()->isMaximized(); }, 2000);
    Pump();
    ASSERT_TRUE(GetWindowPlacement(form->Handle(), &placement));
    EXPECT_EQ(placement.showCmd, SW_SHOWMAXIMIZED);
    EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 320);
    EXPECT_EQ(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top, 240);

    struct Bad {
        const char* What;
        HWND Window;
        UINT Length;
        DWORD Error;
    };
    const Bad bad[] = {
        {"window 0", nullptr, sizeof placement, ERROR_INVALID_WINDOW_HANDLE},
        {"a wrong length", form->Handle(), 40, ERROR_INVALID_PARAMETER},
    };
    for (const Bad& b : bad) {
        placement.length = b.Length;
        SetLastError(0);
        EXPECT_FALSE(GetWindowPlacement(b.Window, &placement)) << b.What;
        EXPECT_EQ(GetLastError(), b.Error) << b.What;
    }
}

TEST(WindowPlacement, AFormIsNeverLargerThanTheScreen)
{
    const int sizes[] = {INT_MAX, 1 << 20, 100};
    for (const int size : sizes) {
        TOwnedPtr<TCustomForm> form(Create<TCustomForm>(nullptr));
        form->SetBounds(0, 0, size, size);
        EXPECT_EQ(form->Width(), std::min(size, Screen()->Width())) << size;
        EXPECT_EQ(form->Height(), std::min(size, Screen()->Height())) << size;
        form->Show();
        Pump();
        EXPECT_LE(form->Peer()->width(), Screen()->Width()) << size;
    }
}

} // namespace
