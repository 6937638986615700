// The framework's own messages: enabling, showing, special keys, the
// designer's hit test, painting on demand; timers.

#include "MessageBoxScript.h"
#include "WidgetTesting.h"

#include "vcl/widgets/ExtCtrls.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"
#include "win32/WindowTesting.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace vcl;
using kwtest::Pump;
using kwtest::PumpUntil;

template <class T = kwtest::TLoggingControl>
T* Child(TWinControl* parent, int left, int top, int width, int height)
{
    T* control = Create<T>(parent);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

TEST(ControlMessages, EnabledAndVisibleReachTheWindowAndTheFocus)
{
    kwtest::TestForm form;
    auto* control = Child(form.Get(), 0, 0, 40, 40);
    control->SetFocus();
    struct Case {
        const char* what;
        std::function<void()> change;
        UINT told;
        bool peerVisible;
        bool peerEnabled;
        bool focused;
        DWORD style;
    } cases[] = {
        {"disabled", [&] { control->SetEnabled(false); }, CM_ENABLEDCHANGED, true, false, false, WS_DISABLED},
        {"enabled again", [&] { control->SetEnabled(true); }, CM_ENABLEDCHANGED, true, true, false, 0},
        {"hidden", [&] { control->Hide(); }, CM_VISIBLECHANGED, false, true, false, 0},
        {"shown", [&] { control->Show(); }, CM_VISIBLECHANGED, true, true, false, WS_VISIBLE},
    };
    for (const Case& c : cases) {
        control->Messages.clear();
        c.change();
        EXPECT_EQ(control->Numbers(c.told, c.told).size(), 1u) << c.what;
        EXPECT_EQ(control->Peer()->isVisible(), c.peerVisible) << c.what;
        EXPECT_EQ(control->Peer()->isEnabled(), c.peerEnabled) << c.what;
        EXPECT_EQ(control->Focused(), c.focused) << c.what;
        const auto style = static_cast<DWORD>(GetWindowLongPtrA(control->Handle(), GWL_STYLE));
        EXPECT_EQ(style & (WS_DISABLED | WS_VISIBLE), c.style) << c.what;
    }
    EXPECT_EQ(IsWindowEnabled(control->Handle()), TRUE);
    EXPECT_EQ(IsWindowVisible(control->Handle()), TRUE);
}

// A control that keeps Tab (an editor of tabbed text).
class TTabKeeper : public kwtest::TLoggingControl {
public:
    using TLoggingControl::TLoggingControl;
    bool Wants = true;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == CM_WANTSPECIALKEY) {
            message.Result = Wants && message.WParam == VK_TAB ? 1 : 0;
            return;
        }
        TLoggingControl::Dispatch(message);
    }
};

TEST(ControlMessages, AControlThatWantsASpecialKeyKeepsItFromTheForm)
{
    for (bool wants : {true, false}) {
        kwtest::TestForm form;
        auto* keeper = Child<TTabKeeper>(form.Get(), 0, 0, 40, 40);
        auto* other = Child(form.Get(), 50, 0, 40, 40);
        keeper->SetTabStop(true);
        other->SetTabStop(true);
        keeper->Wants = wants;
        keeper->SetFocus();
        keeper->Messages.clear();
        QTest::keyClick(keeper->Peer(), Qt::Key_Tab);
        EXPECT_EQ(keeper->Focused(), wants);
        EXPECT_EQ(other->Focused(), !wants);
        EXPECT_EQ(keeper->Numbers(WM_KEYDOWN, WM_KEYDOWN).size(), wants ? 1u : 0u);
    }
}

// A control at design time that takes clicks only on its left half.
class THalfInteractive : public kwtest::TLoggingControl {
public:
    using TLoggingControl::TLoggingControl;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == CM_DESIGNHITTEST) {
            message.Result = MessagePoint(message).x < Width() / 2 ? 1 : 0;
            return;
        }
        TLoggingControl::Dispatch(message);
    }
};

TEST(ControlMessages, AtDesignTimeTheControlTakesOnlyTheClicksItAnswersFor)
{
    kwtest::TestForm form;
    auto* control = Child<THalfInteractive>(form.Get(), 0, 0, 100, 40);
    control->SetDesigning(true);
    int downs = 0;
    struct Counter : TObject {
        int* Downs;
        void Down(TObject*, TMouseButton, TShiftState, int, int) { ++*Downs; }
    } counter;
    counter.Downs = &downs;
    control->OnMouseDown = TMouseEvent(&counter, &Counter::Down);
    control->Messages.clear();
    QTest::mouseClick(control->Peer(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(downs, 1);
    QTest::mouseClick(control->Peer(), Qt::LeftButton, {}, QPoint(90, 10));
    EXPECT_EQ(downs, 1) << "the designer's click reached the control";
    control->SetDesigning(false);
    QTest::mouseClick(control->Peer(), Qt::LeftButton, {}, QPoint(90, 20));
    EXPECT_EQ(downs, 2);
}

TEST(ControlMessages, RepaintPaintsNowAndTheCursorMovesWithTheControlsCursor)
{
    kwtest::TestForm form;
    auto* control = Child(form.Get(), 0, 0, 40, 40);
    Pump();
    control->Messages.clear();
    control->Repaint();
    EXPECT_EQ(control->Numbers(WM_PAINT, WM_PAINT).size(), 1u);
    EXPECT_EQ(control->Numbers(WM_ERASEBKGND, WM_ERASEBKGND).size(), 1u);
    control->Messages.clear();
    control->Invalidate();
    EXPECT_TRUE(control->Numbers(WM_PAINT, WM_PAINT).empty()) << "invalidating paints later";
    Pump();
    EXPECT_EQ(control->Numbers(WM_PAINT, WM_PAINT).size(), 1u);
}

class Ticks : public TObject {
public:
    int Count = 0;
    void Tick(TObject*) { ++Count; }
};

TEST(TTimer, TicksOnlyWhileEnabledWithAnIntervalAndAHandler)
{
    const std::size_t before = win32::testing::LiveTimers();
    struct Case {
        const char* what;
        bool enabled;
        UINT interval;
        bool handler;
        bool ticks;
    } cases[] = {
        {"enabled with a handler", true, 10, true, true},
        {"disabled", false, 10, true, false},
        {"interval 0", true, 0, true, false},
        {"no handler", true, 10, false, false},
    };
    for (const Case& c : cases) {
        Ticks ticks;
        TOwnedPtr<TComponent> owner(Create<TComponent>(nullptr));
        auto* timer = Create<TTimer>(owner.get());
        timer->SetEnabled(c.enabled);
        timer->SetInterval(c.interval);
        if (c.handler)
            timer->SetOnTimer(TNotifyEvent(&ticks, &Ticks::Tick));
        EXPECT_EQ(win32::testing::LiveTimers(), before + (c.ticks ? 1 : 0)) << c.what;
        PumpUntil([&] { return ticks.Count >= 2; }, c.ticks ? 5000 : 100);
        EXPECT_EQ(ticks.Count >= 2, c.ticks) << c.what;
        // Disabling stops it at once.
        timer->SetEnabled(false);
        const int count = ticks.Count;
        PumpUntil([] { return false; }, 50);
        EXPECT_EQ(ticks.Count, count) << c.what;
    }
    EXPECT_EQ(win32::testing::LiveTimers(), before);
}

TEST(ExceptionBoundary, AnExceptionFromTheHandlerItselfGetsTheDefaultReport)
{
    kwtest::MessageBoxScript boxes;
    struct Failing : TObject {
        void Caught(TObject*, const Exception&) { throw EConvertError("handler broke"); }
    } failing;
    Application()->OnException = TExceptionEvent(&failing, &Failing::Caught);
    kwtest::TestForm form;
    auto* control = Child(form.Get(), 0, 0, 40, 40);
    control->OnPaintHook = [] { throw EListError("paint broke"); };
    control->Peer()->grab();
    Application()->OnException = nullptr;
    ASSERT_GT(boxes.Count(), 0u);
    EXPECT_EQ(boxes.Shown().front().Text, "handler broke.");
}

} // namespace
