// Messages reach the handler of the object they are for: class by class up
// to the default handler; notifications come back to the child that sent
// them; message-only windows hand theirs to a method.

#include "WidgetTesting.h"

#include "vcl/widgets/MessageWindows.h"
#include "win32/WindowManager.h"
#include "win32/WindowTesting.h"

#include <gtest/gtest.h>

namespace {

using namespace vcl;
using kwtest::Pump;
using kwtest::PumpUntil;

constexpr UINT AM_Private = WM_USER + 100;

// Two classes that give the same private number different meanings, and a
// descendant that handles one message itself and passes another on.
class TFirst : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<std::string> Log;

protected:
    void Dispatch(TMessage& message) override
    {
        switch (message.Msg) {
        case AM_Private:
            Log.push_back("first:private");
            message.Result = 11;
            return;
        case WM_USER + 5:
            Log.push_back("first:5");
            message.Result = 50;
            return;
        default:
            TCustomControl::Dispatch(message);
        }
    }
    void DefaultHandler(TMessage& message) override
    {
        if (message.Msg >= WM_USER)
            Log.push_back("first:default");
        TCustomControl::DefaultHandler(message);
    }
};

class TSecond : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int Private = 0;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == AM_Private) {
            ++Private;
            message.Result = 22;
            return;
        }
        TCustomControl::Dispatch(message);
    }
};

class TDerived : public TFirst {
public:
    using TFirst::TFirst;

protected:
    void Dispatch(TMessage& message) override
    {
        switch (message.Msg) {
        case WM_USER + 5:
            // Its own part, then the inherited handler of the same message.
            Log.push_back("derived:5");
            TFirst::Dispatch(message);
            message.Result += 1;
            return;
        default:
            TFirst::Dispatch(message);
        }
    }
};

TEST(MessageDispatch, ByTheTargetObjectClassByClass)
{
    kwtest::TestForm form;
    auto* first = Create<TFirst>(form.Get());
    auto* second = Create<TSecond>(form.Get());
    auto* derived = Create<TDerived>(form.Get());
    for (TControl* c : std::initializer_list<TControl*>{first, second, derived})
        c->SetParent(form.Get());

    struct Case {
        const char* what;
        TControl* target;
        UINT msg;
        LRESULT result;
        std::vector<std::string> log; // of the TFirst-derived target
    } cases[] = {
        {"private number on the first class", first, AM_Private, 11, {"first:private"}},
        {"same number on another class", second, AM_Private, 22, {}},
        {"handler the descendant does not override", derived, AM_Private, 11, {"first:private"}},
        {"inherited from the descendant's handler", derived, WM_USER + 5, 51, {"derived:5", "first:5"}},
        {"nobody's message", first, WM_USER + 6, 0, {"first:default"}},
    };
    for (const Case& c : cases) {
        auto* logged = dynamic_cast<TFirst*>(c.target);
        if (logged)
            logged->Log.clear();
        // Perform calls the window procedure; SendMessage goes through the window.
        EXPECT_EQ(c.target->Perform(c.msg), c.result) << c.what;
        auto* windowed = dynamic_cast<TWinControl*>(c.target);
        EXPECT_EQ(SendMessageA(windowed->Handle(), c.msg, 0, 0), c.result) << c.what;
        if (logged) {
            std::vector<std::string> twice = c.log;
            twice.insert(twice.end(), c.log.begin(), c.log.end());
            EXPECT_EQ(logged->Log, twice) << c.what;
        }
    }
    EXPECT_EQ(second->Private, 2);
}

// A child that answers the notifications its parent reflects.
class TNotifier : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<UINT> Reflected;

protected:
    void Dispatch(TMessage& message) override
    {
        switch (message.Msg) {
        case CN_NOTIFY:
            Reflected.push_back(message.Msg);
            message.Result =
                reinterpret_cast<const NMHDR*>(message.LParam)->code == static_cast<UINT>(-12) ? 0x20 : 7;
            return;
        case CN_COMMAND:
            Reflected.push_back(message.Msg);
            message.Result = HIWORD(message.WParam);
            return;
        case CN_DRAWITEM:
            Reflected.push_back(message.Msg);
            message.Result = TRUE;
            return;
        default:
            TCustomControl::Dispatch(message);
        }
    }
};

TEST(MessageDispatch, NotificationsAreReflectedToTheSenderAndTheResultComesBack)
{
    kwtest::TestForm form;
    auto* panel = Create<kwtest::TLoggingControl>(form.Get());
    panel->SetParent(form.Get());
    auto* child = Create<TNotifier>(form.Get());
    child->SetParent(panel);
    const HWND childWindow = child->Handle();

    NMHDR customDraw{childWindow, 1, static_cast<UINT>(-12)};
    NMHDR click{childWindow, 1, static_cast<UINT>(-2)};
    NMHDR stranger{reinterpret_cast<HWND>(std::uintptr_t{0x77}), 1, static_cast<UINT>(-2)};
    DRAWITEMSTRUCT draw{};
    draw.hwndItem = childWindow;
    struct Case {
        const char* what;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT result;
        std::vector<UINT> reflected;
    } cases[] = {
        {"custom draw", WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&customDraw), 0x20, {CN_NOTIFY}},
        {"click", WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&click), 7, {CN_NOTIFY}},
        {"command",
         WM_COMMAND,
         MAKEWPARAM(1, 0x300),
         reinterpret_cast<LPARAM>(childWindow),
         0x300,
         {CN_COMMAND}},
        {"owner draw", WM_DRAWITEM, 1, reinterpret_cast<LPARAM>(&draw), TRUE, {CN_DRAWITEM}},
        {"from a window that is no control", WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&stranger), 0, {}},
    };
    for (const Case& c : cases) {
        child->Reflected.clear();
        EXPECT_EQ(SendMessageA(panel->Handle(), c.msg, c.wParam, c.lParam), c.result) << c.what;
        EXPECT_EQ(child->Reflected, c.reflected) << c.what;
    }
}

class Mailbox : public TObject {
public:
    std::vector<std::pair<UINT, LPARAM>> Got;
    void Receive(TMessage& message)
    {
        Got.push_back({message.Msg, message.LParam});
        message.Result = 99;
    }
};

TEST(AllocateHWnd, AMessageOnlyWindowHandsItsMailToTheMethod)
{
    Mailbox box;
    HWND window = AllocateHWnd(TWndMethod(&box, &Mailbox::Receive));
    ASSERT_TRUE(IsWindow(window));
    RECT r{1, 1, 1, 1};
    EXPECT_TRUE(GetClientRect(window, &r));
    EXPECT_EQ(r.right, 0) << "no widget behind it";
    EXPECT_EQ(SendMessageA(window, WM_USER + 1, 0, 5), 99);
    PostMessageA(window, WM_USER + 2, 0, 6);
    PostMessageA(window, WM_USER + 3, 0, 7);
    PumpUntil([&] { return box.Got.size() >= 3; });
    const std::vector<std::pair<UINT, LPARAM>> expected{{WM_USER + 1, 5}, {WM_USER + 2, 6}, {WM_USER + 3, 7}};
    EXPECT_EQ(box.Got, expected);

    // Mail still queued when the window goes is not delivered, nor to its successor.
    PostMessageA(window, WM_USER + 4, 0, 8);
    DeallocateHWnd(window);
    EXPECT_FALSE(IsWindow(window));
    Mailbox next;
    HWND again = AllocateHWnd(TWndMethod(&next, &Mailbox::Receive));
    Pump();
    ASSERT_EQ(box.Got.size(), 4u);
    EXPECT_EQ(box.Got[3].first, WM_DESTROY) << "the window's last word, not its mail";
    EXPECT_TRUE(next.Got.empty());
    DeallocateHWnd(again);
}

} // namespace
