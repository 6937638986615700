// Where a control's client area is on the screen through nested parents
// with borders, with and without windows; what a window made again keeps:
// its place among its siblings, the focus and the tab order.

#include "WidgetTesting.h"

#include "win32/WindowManager.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace vcl;
using kwtest::Pump;

std::pair<int, int> At(const TPoint& p)
{
    return {p.x, p.y};
}

// form
//   outer (10, 20), border width 4
//     inner (5, 6), border width 3
//       block (2, 3), a graphic control
struct Nested {
    TCustomControl* Outer;
    TCustomControl* Inner;
    kwtest::TBlock* Block;

    explicit Nested(TWinControl* parent, TComponent* owner)
    {
        Outer = Create<kwtest::TLoggingControl>(owner);
        Outer->SetBorderWidth(4);
        Outer->SetBounds(10, 20, 120, 100);
        Inner = Create<kwtest::TLoggingControl>(owner);
        Inner->SetBorderWidth(3);
        Inner->SetBounds(5, 6, 80, 60);
        Inner->SetParent(Outer);
        Block = Create<kwtest::TBlock>(owner);
        Block->SetBounds(2, 3, 10, 10);
        Block->SetParent(Inner);
        Outer->SetParent(parent);
    }
};

TEST(WindowGeometry, ClientPointsMapThroughNestedParentsAndTheirBorders)
{
    kwtest::TestForm form;
    Nested shown(form.Get(), form.Get());
    const TPoint formOrigin = form->ClientOrigin();
    // Without windows: a top-level control that was never shown.
    auto* alone = Create<kwtest::TLoggingControl>(nullptr);
    alone->SetBounds(300, 200, 200, 200);
    Nested hidden(alone, alone);
    ASSERT_FALSE(hidden.Outer->HandleAllocated());
    struct Case {
        const char* what;
        TControl* control;
        TPoint origin; // of the client area on the screen
    } cases[] = {
        {"outer", shown.Outer, {formOrigin.x + 10 + 4, formOrigin.y + 20 + 4}},
        {"inner", shown.Inner, {formOrigin.x + 10 + 4 + 5 + 3, formOrigin.y + 20 + 4 + 6 + 3}},
        {"graphic", shown.Block, {formOrigin.x + 10 + 4 + 5 + 3 + 2, formOrigin.y + 20 + 4 + 6 + 3 + 3}},
        {"outer without a window", hidden.Outer, {300 + 10 + 4, 200 + 20 + 4}},
        {"inner without a window", hidden.Inner, {300 + 10 + 4 + 5 + 3, 200 + 20 + 4 + 6 + 3}},
        {"graphic without a window", hidden.Block, {300 + 10 + 4 + 5 + 3 + 2, 200 + 20 + 4 + 6 + 3 + 3}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(At(c.control->ClientOrigin()), At(c.origin)) << c.what;
        const TPoint screen = c.control->ClientToScreen({7, 8});
        EXPECT_EQ(At(screen), At({c.origin.x + 7, c.origin.y + 8})) << c.what;
        EXPECT_EQ(At(c.control->ScreenToClient(screen)), At({7, 8})) << c.what;
    }
    // The platform's answer for the windows agrees.
    POINT pt{7, 8};
    ClientToScreen(shown.Inner->Handle(), &pt);
    EXPECT_EQ(At({pt.x, pt.y}), At(shown.Inner->ClientToScreen({7, 8})));
    alone->Free();
}

TEST(WindowGeometry, ATopLevelWindowKeepsItsConstraintsAgainstTheDesktop)
{
    kwtest::TestForm form(200, 150);
    form->Constraints()->SetMinWidth(150);
    form->Constraints()->SetMaxWidth(250);
    form->Constraints()->SetMinHeight(100);
    form->Constraints()->SetMaxHeight(180);
    EXPECT_EQ(form->Peer()->minimumSize(), QSize(150, 100));
    EXPECT_EQ(form->Peer()->maximumSize(), QSize(250, 180));
    struct Case {
        const char* what;
        QSize asked; // by the desktop
        QSize got;
    } cases[] = {
        {"within", {220, 120}, {220, 120}},
        {"too wide", {400, 120}, {250, 120}},
        {"too small", {50, 40}, {150, 100}},
        {"too tall", {200, 500}, {200, 180}},
    };
    // A window manager answers a resize later: wait for it.
    for (const Case& c : cases) {
        form->Peer()->resize(c.asked);
        kwtest::PumpUntil([&] { return QSize(form->Width(), form->Height()) == c.got; }, 2000);
        EXPECT_EQ(QSize(form->Width(), form->Height()), c.got) << c.what;
        EXPECT_EQ(form->Peer()->size(), c.got) << c.what;
    }
    // Constraints dropped: the desktop may size it freely again.
    form->Constraints()->SetMaxWidth(0);
    form->Peer()->resize(400, 120);
    kwtest::PumpUntil([&] { return form->Width() == 400; }, 2000);
    EXPECT_EQ(form->Width(), 400);
    // A window made again is told them too.
    form->Constraints()->SetMaxHeight(170);
    form->RecreateWnd();
    EXPECT_EQ(form->Peer()->maximumSize(), QSize(QWIDGETSIZE_MAX, 170));
}

TEST(WindowGeometry, AWindowMadeAgainKeepsItsPlaceTheFocusAndTheTabOrder)
{
    kwtest::TestForm form;
    auto make = [&](int left, int top, TColor colour) {
        auto* control = Create<kwtest::TLoggingControl>(form.Get());
        control->SetParent(form.Get());
        control->SetBounds(left, top, 100, 80);
        control->SetColor(colour);
        control->SetTabStop(true);
        return control;
    };
    auto* bottom = make(10, 10, clYellow);
    auto* middle = make(60, 40, clAqua);
    auto* top = make(110, 70, clLime);
    middle->SetTabOrder(0);
    bottom->SetFocus();
    Pump();
    const std::vector<TWinControl*> tabs = form->TabList();
    struct Case {
        const char* what;
        TWinControl* recreated;
        TPoint overlap; // form client point where recreated lies under the next one
        TWinControl* seen;
    } cases[] = {
        {"bottom", bottom, {80, 60}, middle},
        {"middle", middle, {130, 100}, top},
        {"middle, under its neighbour", middle, {80, 60}, middle},
    };
    for (const Case& c : cases) {
        const HWND before = c.recreated->Handle();
        c.recreated->RecreateWnd();
        Pump();
        EXPECT_NE(c.recreated->Handle(), before) << c.what;
        EXPECT_EQ(FindVCLWindow(form->ClientToScreen(c.overlap)), c.seen) << c.what;
        EXPECT_EQ(form->TabList(), tabs) << c.what;
        EXPECT_TRUE(bottom->Focused()) << c.what;
        EXPECT_EQ(form->ActiveControl(), bottom) << c.what;
    }
    kwtest::SavePicture(form->Peer(), "recreated-windows-keep-their-order.png");
}

} // namespace

namespace {

// Bounds past int (a hostile form file) are clamped where they are set: the
// edges stay within int and sizes are never negative.
TEST(WindowGeometry, BoundsPastIntAreClampedWhereTheyAreSet)
{
    struct Case {
        int left, top, width, height;
        vcl::TRect expected;
    };
    const Case cases[] = {
        {INT_MAX, 0, INT_MAX, 10, {INT_MAX, 0, INT_MAX, 10}},
        {0, INT_MAX - 5, 10, 100, {0, INT_MAX - 5, 10, INT_MAX}},
        {10, 10, -5, -1, {10, 10, 10, 10}},
        {-100, -100, INT_MAX, 5, {-100, -100, INT_MAX - 100, -95}},
    };
    kwtest::TestForm form;
    for (const Case& c : cases) {
        auto* control = vcl::Create<kwtest::TBlock>(form.Get());
        control->SetParent(form.Get());
        control->SetBounds(c.left, c.top, c.width, c.height);
        EXPECT_EQ(control->BoundsRect(), c.expected);
        EXPECT_GE(control->Width(), 0);
        EXPECT_GE(control->Height(), 0);
        kwtest::Pump();
        control->Free();
    }
}

} // namespace
