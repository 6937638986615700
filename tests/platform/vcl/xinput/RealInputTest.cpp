// Input as a person gives it on a real display: xdotool sends key presses
// and clicks through the X server (XTEST), and the X server and Qt's xcb
// platform make the events, so nothing of QTest's own key or mouse path is
// involved. Run by scripts/x-tests on a virtual X server, with a window
// manager and without one.
//
// Where QTest's path differs from this one (written down so that nobody
// tunes the translation to it): QTest's key events carry no native scan
// code and no control characters (Ctrl+A comes as the text "a"), its key
// events sent to a window count 0xFFFF repeats, its widget double click is a
// lone double-click event, and its mouse events never move the X pointer.

#include "../widgets/WidgetTesting.h"
#include "vcl/widgets/Menus.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/Menus.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace vcl;

// Runs xdotool with the given arguments; the test fails where it cannot.
void Xdo(const std::string& args)
{
    const std::string command = "xdotool " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// A form with a control that has the keyboard focus, active on the display.
struct ActiveForm {
    kwtest::TestForm Form{240, 140};
    kwtest::TLoggingControl* Control;

    ActiveForm()
    {
        Control = Create<kwtest::TLoggingControl>(Form.Get());
        Control->SetParent(Form.Get());
        Control->SetBounds(20, 20, 160, 80);
        Control->SetTabStop(true);
        Control->SetFocus();
        kwtest::PumpUntil([&] { return QApplication::activeWindow() == Form->Peer(); }, 3000);
        kwtest::Pump();
        Control->Messages.clear();
    }
    // The key and character messages the control heard.
    std::vector<TMessage> Keys() const
    {
        std::vector<TMessage> keys;
        for (const TMessage& m : Control->Messages)
            if (m.Msg >= WM_KEYFIRST && m.Msg <= WM_KEYLAST)
                keys.push_back(m);
        return keys;
    }
    bool Heard(UINT msg) const
    {
        for (const TMessage& m : Control->Messages)
            if (m.Msg == msg)
                return true;
        return false;
    }
    // The screen point of a point of the control, for xdotool.
    std::string At(int x, int y) const
    {
        const TPoint p = Control->ClientToScreen({x, y});
        return std::to_string(p.x) + " " + std::to_string(p.y);
    }
};

TEST(RealInput, TheFormIsActiveAndItsControlHasTheFocus)
{
    ActiveForm f;
    EXPECT_EQ(QApplication::activeWindow(), f.Form->Peer());
    EXPECT_EQ(GetActiveWindow(), f.Form->Handle());
    EXPECT_EQ(GetFocus(), f.Control->Handle());
}

TEST(RealInput, KeysArriveWithThePlatformsKeyDataAndCharacters)
{
    struct Case {
        const char* keys;
        UINT down;
        WPARAM vk;
        UINT charMsg;
        WPARAM ch;
        BYTE scan;
    };
    const Case cases[] = {
        {"a", WM_KEYDOWN, 'A', WM_CHAR, 'a', 0x1E},
        {"shift+a", WM_KEYDOWN, 'A', WM_CHAR, 'A', 0x1E},
        {"ctrl+a", WM_KEYDOWN, 'A', WM_CHAR, 0x01, 0x1E},
        {"ctrl+z", WM_KEYDOWN, 'Z', WM_CHAR, 0x1A, 0x2C},
        {"alt+x", WM_SYSKEYDOWN, 'X', WM_SYSCHAR, 'x', 0x2D},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        ActiveForm f;
        Xdo(std::string("key ") + c.keys);
        kwtest::PumpUntil([&] { return f.Heard(WM_KEYUP) || f.Heard(WM_SYSKEYUP); }, 2000);
        kwtest::Pump();
        const std::vector<TMessage> keys = f.Keys();
        const TMessage* down = nullptr;
        const TMessage* up = nullptr;
        const TMessage* character = nullptr;
        for (const TMessage& m : keys) {
            if (m.Msg == c.down && m.WParam == c.vk && !down)
                down = &m;
            // xdotool lets Alt go before the letter: that release is a plain one.
            if ((m.Msg == WM_KEYUP || m.Msg == WM_SYSKEYUP) && m.WParam == c.vk)
                up = &m;
            if (m.Msg == c.charMsg)
                character = &m;
        }
        std::string seen;
        for (const TMessage& m : keys)
            seen += std::to_string(m.Msg) + ":" + std::to_string(m.WParam) + " ";
        ASSERT_NE(down, nullptr) << seen;
        ASSERT_NE(up, nullptr) << seen;
        ASSERT_NE(character, nullptr);
        const auto data = static_cast<std::uint32_t>(down->LParam);
        EXPECT_EQ(data & 0xFFFF, 1u) << "one press";
        EXPECT_EQ((data >> 16) & 0xFF, c.scan);
        EXPECT_EQ((data >> 29) & 1, c.down == WM_SYSKEYDOWN ? 1u : 0u) << "Alt held";
        EXPECT_EQ((data >> 30) & 1, 0u) << "up before";
        EXPECT_EQ((data >> 31) & 1, 0u) << "being pressed";
        const auto upData = static_cast<std::uint32_t>(up->LParam);
        EXPECT_EQ(upData & 0xFFFF, 1u);
        EXPECT_EQ((upData >> 30) & 3, 3u) << "down before, being released";
        EXPECT_EQ(character->WParam, c.ch);
    }
}

TEST(RealInput, AHeldKeyRepeatsWithThePreviousStateSet)
{
    ActiveForm f;
    Xdo("keydown b sleep 1.2 keyup b");
    kwtest::PumpUntil([&] { return f.Heard(WM_KEYUP); }, 3000);
    std::vector<std::uint32_t> downs;
    for (const TMessage& m : f.Keys())
        if (m.Msg == WM_KEYDOWN && m.WParam == 'B')
            downs.push_back(static_cast<std::uint32_t>(m.LParam));
    ASSERT_GE(downs.size(), 2u) << "the server repeats a held key";
    EXPECT_EQ((downs.front() >> 30) & 1, 0u);
    for (std::size_t i = 1; i < downs.size(); ++i) {
        EXPECT_EQ((downs[i] >> 30) & 1, 1u) << "repeat " << i;
        EXPECT_EQ(downs[i] & 0xFFFF, 1u) << "repeat " << i;
    }
}

TEST(RealInput, ClicksAndADoubleClick)
{
    struct Case {
        const char* clicks;
        std::vector<UINT> heard;
    };
    const Case cases[] = {
        {"click 1", {WM_LBUTTONDOWN, WM_LBUTTONUP}},
        {"click --repeat 2 --delay 60 1", {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}},
        {"click 3", {WM_RBUTTONDOWN, WM_RBUTTONUP}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clicks);
        ActiveForm f;
        Xdo("mousemove " + f.At(30, 25) + " sleep 0.1");
        kwtest::PumpUntil([&] { return f.Heard(WM_MOUSEMOVE); }, 2000);
        f.Control->Messages.clear();
        Xdo(c.clicks);
        std::vector<UINT> heard;
        kwtest::PumpUntil(
            [&] {
                heard.clear();
                for (const TMessage& m : f.Control->Messages)
                    if (m.Msg >= WM_LBUTTONDOWN && m.Msg <= WM_MBUTTONDBLCLK)
                        heard.push_back(m.Msg);
                return heard.size() >= c.heard.size();
            },
            2000);
        EXPECT_EQ(heard, c.heard);
        for (const TMessage& m : f.Control->Messages)
            if (m.Msg >= WM_LBUTTONDOWN && m.Msg <= WM_MBUTTONDBLCLK) {
                EXPECT_EQ(m.LParam, MAKELPARAM(30, 25));
            }
        POINT cursor{};
        GetCursorPos(&cursor);
        const TPoint screen = f.Control->ClientToScreen({30, 25});
        EXPECT_EQ(cursor.x, screen.x);
        EXPECT_EQ(cursor.y, screen.y);
    }
}

TEST(RealInput, TheContextMenuKeyAsksForAMenuAtNoPoint)
{
    ActiveForm f;
    Xdo("key Menu");
    kwtest::PumpUntil([&] { return f.Heard(WM_CONTEXTMENU); }, 2000);
    ASSERT_TRUE(f.Heard(WM_CONTEXTMENU));
    for (const TMessage& m : f.Control->Messages)
        if (m.Msg == WM_CONTEXTMENU) {
            EXPECT_EQ(m.LParam, -1) << "from the keyboard";
        }
}

std::vector<HMENU> g_opened;
void Cancelling(win32::MenuTrackSession& session, POINT)
{
    g_opened.push_back(session.Shown());
    session.Cancel();
}

TEST(RealInput, AltWithALetterOpensTheMenuBarsItem)
{
    InstallMenus();
    const win32::MenuTracker before = win32::SetMenuTracker(&Cancelling);
    g_opened.clear();
    {
        ActiveForm f;
        TMainMenu* menu = Create<TMainMenu>(f.Form.Get());
        menu->Items()->Add(NewSubMenu("&File", 0, "File", {NewItem("&Open", 0, false, true, {}, 0, "Open")}));
        menu->Items()->Add(
            NewSubMenu("&View", 0, "View", {NewItem("&Refresh", 0, false, true, {}, 0, "Refresh")}));
        f.Form->SetMenu(menu);
        kwtest::Pump();
        Xdo("key alt+v");
        kwtest::PumpUntil([&] { return !g_opened.empty(); }, 2000);
        ASSERT_EQ(g_opened.size(), 1u);
        EXPECT_EQ(g_opened.front(), menu->Items()->Items(1)->Handle());
    }
    win32::SetMenuTracker(before);
}

} // namespace
