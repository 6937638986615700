// The font of a control's window: WM_SETFONT and WM_GETFONT, kept by the
// window, following the control's font and its parent's.

#include "WidgetTesting.h"

#include "win32/DeviceContext.h"
#include "win32/Gdi.h"
#include "win32/WindowManager.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

using namespace vcl;

HFONT WindowFont(TWinControl* control)
{
    return reinterpret_cast<HFONT>(SendMessageA(control->Handle(), WM_GETFONT, 0, 0));
}

TEST(WindowFont, TheWindowKeepsTheFontItIsGivenAndTheWidgetShowsIt)
{
    kwtest::TestForm form;
    auto* control = Create<kwtest::TLoggingControl>(form.Get());
    control->SetParent(form.Get());
    control->SetBounds(10, 10, 120, 40);
    const HFONT other =
        CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Courier New");
    ASSERT_NE(other, nullptr);
    struct Case {
        const char* what;
        std::function<void()> change;
        std::function<HFONT()> expected;
        int pixelSize; // of the widget's font; 0: the application's
        bool bold;
    } cases[] = {
        {"made with the control's font", [] {}, [&] { return control->Font()->Handle(); }, 11, false},
        {"the control's font changes",
         [&] {
             control->Font()->SetHeight(-16);
             control->Font()->SetStyle({fsBold});
         },
         [&] { return control->Font()->Handle(); }, 16, true},
        {"a font sent to the window",
         [&] { SendMessageA(control->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(other), TRUE); },
         [&] { return other; }, 20, true},
        {"the system font", [&] { SendMessageA(control->Handle(), WM_SETFONT, 0, FALSE); },
         [] { return HFONT{}; }, 0, false},
        {"a new window takes the control's font again", [&] { control->RecreateWnd(); },
         [&] { return control->Font()->Handle(); }, 16, true},
    };
    for (const Case& c : cases) {
        control->Messages.clear();
        c.change();
        EXPECT_EQ(WindowFont(control), c.expected()) << c.what;
        const QFont shown = control->Peer()->font();
        if (c.pixelSize) {
            EXPECT_EQ(shown.pixelSize(), c.pixelSize) << c.what;
            EXPECT_EQ(shown.bold(), c.bold) << c.what;
        } else {
            EXPECT_EQ(shown.family(), QApplication::font().family()) << c.what;
            EXPECT_EQ(shown.pointSizeF(), QApplication::font().pointSizeF()) << c.what;
            EXPECT_EQ(shown.bold(), c.bold) << c.what;
        }
    }
    DeleteObject(other);
}

TEST(WindowFont, ChildrenWithTheParentsFontHearOfItsChange)
{
    kwtest::TestForm form;
    auto* panel = Create<kwtest::TLoggingControl>(form.Get());
    panel->SetParent(form.Get());
    panel->SetBounds(0, 0, 200, 100);
    auto* inherits = Create<kwtest::TLoggingControl>(form.Get());
    inherits->SetParent(panel);
    auto* own = Create<kwtest::TLoggingControl>(form.Get());
    own->SetParent(panel);
    own->Font()->SetHeight(-9);
    inherits->Messages.clear();
    own->Messages.clear();
    panel->Font()->SetHeight(-18);
    struct Case {
        const char* what;
        kwtest::TLoggingControl* control;
        int height;
        std::size_t fontsSent;
    } cases[] = {
        {"parent font", inherits, -18, 1},
        {"own font", own, -9, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.control->Font()->Height(), c.height) << c.what;
        EXPECT_EQ(c.control->Numbers(WM_SETFONT, WM_SETFONT).size(), c.fontsSent) << c.what;
        EXPECT_EQ(WindowFont(c.control), c.control->Font()->Handle()) << c.what;
        EXPECT_EQ(win32::FontOf(WindowFont(c.control))->pixelSize(), -c.height) << c.what;
    }
}

} // namespace
