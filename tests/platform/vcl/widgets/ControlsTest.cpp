// Controls: windows on demand and again, styles, the properties children
// take from their parent, children and tab order, focus, graphic controls
// painted and hit by their parent.

#include "WidgetTesting.h"

#include "win32/WindowManager.h"

#include <QFrame>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace vcl;
using kwtest::Pump;

// A control with a border and a client edge, as list views are made.
class TEdged : public kwtest::TLoggingControl {
public:
    using TLoggingControl::TLoggingControl;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TLoggingControl::CreateParams(params);
        params.Style |= WS_BORDER | WS_TABSTOP;
        params.ExStyle |= WS_EX_CLIENTEDGE;
    }
};

template <class T = kwtest::TLoggingControl>
T* Child(TWinControl* parent, int left, int top, int width, int height)
{
    T* control = Create<T>(parent->Owner() ? parent->Owner() : parent);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

TEST(TWinControl, MakesItsWindowWhenFirstAskedAndWithItsParentFirst)
{
    TOwnedPtr<TCustomForm> form(Create<TCustomForm>(nullptr));
    auto* panel = Create<kwtest::TLoggingControl>(form.get());
    panel->SetParent(form.get());
    auto* inner = Create<kwtest::TLoggingControl>(form.get());
    inner->SetParent(panel);
    EXPECT_FALSE(form->HandleAllocated());
    EXPECT_FALSE(inner->HandleAllocated());
    EXPECT_EQ(inner->Peer(), nullptr);

    const HWND window = inner->Handle();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(form->HandleAllocated());
    EXPECT_TRUE(panel->HandleAllocated());
    EXPECT_EQ(GetParent(window), panel->Handle());
    EXPECT_EQ(GetParent(panel->Handle()), form->Handle());
    EXPECT_EQ(inner->Peer()->parentWidget(), panel->Peer());
    EXPECT_EQ(TWinControl::FindControl(window), inner);
    // Creation messages reach the control's own procedure.
    const std::vector<UINT> creation = inner->Numbers(WM_NCCREATE, WM_NCCREATE);
    EXPECT_EQ(creation.size(), 1u);

    // Leaving its parent takes its window.
    inner->SetParent(nullptr);
    EXPECT_FALSE(inner->HandleAllocated());
    EXPECT_FALSE(IsWindow(window));
    inner->Free();
}

TEST(TWinControl, AChildWithoutParentHasNoWindow)
{
    TOwnedPtr<TComponent> owner(Create<TComponent>(nullptr));
    auto* orphan = Create<kwtest::TLoggingControl>(owner.get());
    orphan->SetName("Orphan");
    try {
        orphan->Handle();
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Control 'Orphan' has no parent window");
    }
    EXPECT_FALSE(orphan->HandleAllocated());
}

TEST(TWinControl, RecreateWndMakesANewWindowFromTheSameState)
{
    kwtest::TestForm form;
    auto* control = Child(form.Get(), 12, 14, 60, 40);
    control->SetText("kept");
    control->SetColor(clYellow);
    const HWND before = control->Handle();
    PostMessageA(before, WM_USER + 9, 0, 0);
    control->RecreateWnd();
    const HWND after = control->Handle();
    EXPECT_NE(after, before);
    EXPECT_FALSE(IsWindow(before));
    EXPECT_TRUE(IsWindow(after));
    EXPECT_EQ(control->Text(), "kept");
    EXPECT_EQ(control->Peer()->geometry(), QRect(12, 14, 60, 40));
    EXPECT_EQ(control->Peer()->palette().color(QPalette::Window), QColor(255, 255, 0));
    control->Messages.clear();
    Pump();
    EXPECT_TRUE(control->Numbers(WM_USER + 9, WM_USER + 9).empty()) << "the old window's mail came through";
}

TEST(TWinControl, AWindowDestroyedFromOutsideIsMadeAgainWhenNeeded)
{
    kwtest::TestForm form;
    auto* control = Child(form.Get(), 5, 5, 30, 30);
    const HWND first = control->Handle();
    DestroyWindow(first);
    EXPECT_FALSE(control->HandleAllocated());
    EXPECT_EQ(control->Peer(), nullptr);
    const HWND second = control->Handle();
    EXPECT_NE(second, first);
    EXPECT_EQ(control->Peer()->geometry(), QRect(5, 5, 30, 30));
}

TEST(TWinControl, KeepsItsStylesAndMapsWhatQtHas)
{
    kwtest::TestForm form;
    auto* edged = Child<TEdged>(form.Get(), 0, 0, 100, 80);
    auto* plain = Child(form.Get(), 100, 0, 100, 80);
    const HWND window = edged->Handle();
    struct Case {
        const char* what;
        TWinControl* control;
        DWORD style;
        DWORD exStyle;
        int frameShape;
        int clientWidth;
    } cases[] = {
        {"client edge and border", edged,
         WS_CHILD | WS_BORDER | WS_TABSTOP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE,
         QFrame::Panel, 96},
        {"plain", plain, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, QFrame::NoFrame, 100},
    };
    for (const Case& c : cases) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrA(c.control->Handle(), GWL_STYLE));
        EXPECT_EQ(style & ~WS_VISIBLE, c.style) << c.what;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(c.control->Handle(), GWL_EXSTYLE)), c.exStyle)
            << c.what;
        EXPECT_EQ(static_cast<QFrame*>(c.control->Peer())->frameShape(), c.frameShape) << c.what;
        EXPECT_EQ(c.control->ClientWidth(), c.clientWidth) << c.what;
    }
    // The border inside the frame takes from the client area.
    plain->SetBorderWidth(5);
    EXPECT_EQ(plain->ClientWidth(), 90);
    EXPECT_EQ(plain->ClientHeight(), 70);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 96);
    // A shown window stays shown when its frame changes.
    form->SetBorderWidth(2);
    EXPECT_TRUE(form->Peer()->isVisible());
    EXPECT_EQ(form->ClientWidth(), 300 - 4);
    kwtest::SavePicture(form->Peer(), "controls-styles.png");
}

TEST(TControl, ChildrenTakeColourFontAndHintsFromTheirParentUntilTheyHaveTheirOwn)
{
    kwtest::TestForm form;
    auto* panel = Child(form.Get(), 0, 0, 100, 100);
    auto* follows = Child(panel, 0, 0, 10, 10);
    auto* own = Child(panel, 10, 0, 10, 10);
    own->SetColor(clLime);
    own->Font()->SetHeight(-20);
    own->SetParentShowHint(false);

    panel->SetColor(clRed);
    panel->Font()->SetName("DejaVu Serif");
    panel->SetShowHint(true);
    struct Case {
        const char* what;
        TControl* control;
        TColor color;
        bool parentColor;
        std::string fontName;
        bool showHint;
    } cases[] = {
        {"follows", follows, clRed, true, "DejaVu Serif", true},
        {"has its own", own, clLime, false, "MS Sans Serif", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.control->Color(), c.color) << c.what;
        EXPECT_EQ(c.control->ParentColor(), c.parentColor) << c.what;
        EXPECT_EQ(c.control->Font()->Name(), c.fontName) << c.what;
        EXPECT_EQ(c.control->ShowHint(), c.showHint) << c.what;
    }
    // Asking for the parent's again takes it at once.
    own->SetParentColor(true);
    own->SetParentFont(true);
    EXPECT_EQ(own->Color(), clRed);
    EXPECT_EQ(own->Font()->Name(), "DejaVu Serif");
    EXPECT_EQ(own->Font()->Height(), panel->Font()->Height());
    // The peer mirrors the font.
    EXPECT_EQ(static_cast<TWinControl*>(own)->Peer()->font().family(), QString("DejaVu Serif"));
    // The system palette changing reaches every control.
    follows->Messages.clear();
    form->Perform(CM_SYSCOLORCHANGE);
    EXPECT_EQ(follows->Numbers(CM_SYSCOLORCHANGE, CM_SYSCOLORCHANGE).size(), 1u);
}

TEST(TControl, TextGoesThroughTheWindowMessages)
{
    kwtest::TestForm form;
    auto* control = Child(form.Get(), 0, 0, 10, 10);
    control->Messages.clear();
    control->SetCaption("Caption");
    EXPECT_EQ(control->Text(), "Caption");
    const std::vector<UINT> seen = control->Numbers(WM_SETTEXT, WM_SETTEXT);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(control->Numbers(CM_TEXTCHANGED, CM_TEXTCHANGED).size(), 1u);
    char buffer[4];
    EXPECT_EQ(control->Perform(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 3);
    EXPECT_STREQ(buffer, "Cap");
    form->SetText("Form title");
    EXPECT_EQ(form->Peer()->windowTitle(), QString("Form title"));
}

TEST(TWinControl, ChildrenTabOrderAndFocus)
{
    kwtest::TestForm form;
    auto* a = Child(form.Get(), 0, 0, 10, 10);
    auto* b = Child(form.Get(), 20, 0, 10, 10);
    auto* c = Child(form.Get(), 40, 0, 10, 10);
    for (auto* control : {a, b, c})
        control->SetTabStop(true);
    ASSERT_EQ(form->ControlCount(), 3);
    EXPECT_EQ(form->Controls(1), b);
    EXPECT_THROW(form->Controls(3), EListError);
    c->SetTabOrder(0);
    EXPECT_EQ(c->TabOrder(), 0);
    EXPECT_EQ(a->TabOrder(), 1);
    EXPECT_EQ(b->TabOrder(), 2);

    struct Case {
        const char* what;
        TWinControl* from;
        bool forward;
        TWinControl* expected;
    } cases[] = {
        {"forward", c, true, a},
        {"forward past the end", b, true, c},
        {"backward", a, false, c},
    };
    for (const Case& t : cases)
        EXPECT_EQ(form->FindNextControl(t.from, t.forward, true, false), t.expected) << t.what;
    b->SetTabStop(false);
    EXPECT_EQ(form->FindNextControl(a, true, true, false), c) << "no tab stop, skipped";
    a->SetVisible(false);
    EXPECT_FALSE(a->CanFocus());
    EXPECT_THROW(a->SetFocus(), EInvalidOperation);
    a->SetVisible(true);

    a->SetFocus();
    EXPECT_TRUE(a->Focused());
    a->Messages.clear();
    c->Messages.clear();
    c->SetFocus();
    EXPECT_TRUE(c->Focused());
    EXPECT_FALSE(a->Focused());
    ASSERT_EQ(a->Numbers(WM_SETFOCUS, WM_KILLFOCUS), std::vector<UINT>{WM_KILLFOCUS});
    ASSERT_EQ(c->Numbers(WM_SETFOCUS, WM_KILLFOCUS), std::vector<UINT>{WM_SETFOCUS});
    const auto setFocus = std::find_if(c->Messages.begin(), c->Messages.end(),
                                       [](const TMessage& m) { return m.Msg == WM_SETFOCUS; });
    EXPECT_EQ(reinterpret_cast<HWND>(setFocus->WParam), a->Handle());
    // Tab moves along the tab order.
    QTest::keyClick(c->Peer(), Qt::Key_Tab);
    EXPECT_TRUE(a->Focused());
}

TEST(TGraphicControl, IsPaintedAndHitByItsParent)
{
    kwtest::TestForm form;
    auto* panel = Child(form.Get(), 10, 10, 120, 80);
    panel->SetColor(clWhite);
    auto* block = Child<kwtest::TBlock>(panel, 20, 30, 40, 20);
    block->SetColor(clBlue);
    auto* hidden = Child<kwtest::TBlock>(panel, 70, 30, 20, 20);
    hidden->SetColor(clRed);
    hidden->SetVisible(false);
    Pump();
    const QImage image = kwtest::SavePicture(panel->Peer(), "graphic-control.png");
    struct Pixel {
        const char* what;
        QPoint at;
        QColor color;
    } pixels[] = {
        {"inside the block", {25, 35}, QColor(0, 0, 255)},
        {"the block's last pixel", {59, 49}, QColor(0, 0, 255)},
        {"right of the block", {60, 35}, QColor(255, 255, 255)},
        {"the hidden block", {75, 35}, QColor(255, 255, 255)},
    };
    for (const Pixel& p : pixels)
        EXPECT_EQ(image.pixelColor(p.at), p.color) << p.what;

    QTest::mouseClick(panel->Peer(), Qt::LeftButton, {}, QPoint(25, 33));
    ASSERT_EQ(block->Presses.size(), 1u);
    EXPECT_EQ(block->Presses[0].x, 5);
    EXPECT_EQ(block->Presses[0].y, 3);
    panel->Messages.clear();
    QTest::mouseClick(panel->Peer(), Qt::LeftButton, {}, QPoint(75, 35));
    EXPECT_TRUE(hidden->Presses.empty());
    EXPECT_EQ(panel->Numbers(WM_LBUTTONDOWN, WM_LBUTTONUP).size(), 2u) << "the parent's own click";
    EXPECT_EQ(panel->ControlAtPos({25, 35}, false), block);
    EXPECT_EQ(panel->ControlAtPos({75, 35}, false), nullptr);
}

TEST(FindVCLWindow, FindsTheWindowedControlUnderAScreenPoint)
{
    kwtest::TestForm form;
    auto* panel = Child(form.Get(), 10, 10, 100, 60);
    auto* inner = Child(panel, 5, 5, 20, 20);
    const TPoint insideInner = inner->ClientToScreen({3, 3});
    EXPECT_EQ(inner->ScreenToClient(insideInner).x, 3);
    EXPECT_EQ(FindVCLWindow(insideInner), inner);
    EXPECT_EQ(FindVCLWindow(panel->ClientToScreen({50, 40})), panel);
    EXPECT_EQ(FindVCLWindow({-500, -500}), nullptr);
}

} // namespace
