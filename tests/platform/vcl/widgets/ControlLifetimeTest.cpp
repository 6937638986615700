// Controls and windows that end while their messages are being handled:
// freed by their own handlers, windows made again from inside a message,
// timers freed by their own tick, exceptions inside nested sends. Run
// under AddressSanitizer, a touch of freed memory fails the test.

#include "WidgetTesting.h"

#include "vcl/widgets/ExtCtrls.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace vcl;
using kwtest::Pump;
using kwtest::PumpUntil;

constexpr UINT kPoke = WM_USER + 7;

// A control whose handlers run a test's action, and that says when it goes.
class TDoomed : public kwtest::TLoggingControl {
public:
    explicit TDoomed(TComponent* owner) : TLoggingControl(owner) {}
    std::function<void(TDoomed*)> Action;
    bool* Gone = nullptr;
    std::vector<std::string> Heard;

    void Act()
    {
        if (const auto action = std::exchange(Action, nullptr))
            action(this);
    }

protected:
    ~TDoomed() override
    {
        if (Gone)
            *Gone = true;
    }
    void Click() override
    {
        Heard.push_back("click");
        Act();
    }
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override
    {
        Heard.push_back("up");
        TLoggingControl::MouseUp(button, shift, x, y);
    }
    void KeyDown(WORD& key, TShiftState shift) override
    {
        Heard.push_back("keydown");
        Act();
        TLoggingControl::KeyDown(key, shift);
    }
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == CM_PARENTCOLORCHANGED) {
            Heard.push_back("parent colour");
            Act();
        }
        if (message.Msg == kPoke) {
            Heard.push_back("poke");
            Act();
            message.Result = 1;
            return;
        }
        TLoggingControl::Dispatch(message);
    }
};

struct Entry {
    const char* what;
    std::function<void(TDoomed*)> deliver;
    std::vector<std::string> heard; // up to the action
};

const Entry kEntries[] = {
    {"click", [](TDoomed* c) { QTest::mouseClick(c->Peer(), Qt::LeftButton, {}, QPoint(5, 5)); }, {"click"}},
    {"key", [](TDoomed* c) { QTest::keyClick(c->Peer(), Qt::Key_A); }, {"keydown"}},
    {"posted message",
     [](TDoomed* c) {
         PostMessageA(c->Handle(), kPoke, 0, 0);
         Pump();
     },
     {"poke"}},
    {"sent message", [](TDoomed* c) { SendMessageA(c->Handle(), kPoke, 0, 0); }, {"poke"}},
    {"performed", [](TDoomed* c) { c->Perform(kPoke); }, {"poke"}},
};

TDoomed* MakeDoomed(kwtest::TestForm& form, bool* gone)
{
    auto* control = Create<TDoomed>(form.Get());
    control->SetParent(form.Get());
    control->SetBounds(10, 10, 80, 40);
    control->Gone = gone;
    control->SetFocus();
    Pump();
    control->Heard.clear();
    return control;
}

TEST(ControlLifetime, AControlFreedByItsOwnHandlerGoesWhenTheHandlerReturns)
{
    for (const Entry& e : kEntries) {
        bool gone = false; // outlives the form that frees the control
        kwtest::TestForm form;
        TDoomed* control = MakeDoomed(form, &gone);
        std::vector<std::string> heardThen;
        bool goneInside = true;
        control->Action = [&](TDoomed* self) {
            self->Free();
            // Still there for the handlers below this one.
            goneInside = gone;
            heardThen = self->Heard;
        };
        const HWND window = control->Handle();
        e.deliver(control);
        EXPECT_EQ(heardThen, e.heard) << e.what;
        EXPECT_FALSE(goneInside) << e.what;
        EXPECT_TRUE(gone) << e.what;
        EXPECT_FALSE(IsWindow(window)) << e.what;
        EXPECT_EQ(form->ControlCount(), 0) << e.what;
        EXPECT_EQ(form->ComponentCount(), 0) << e.what;
        Pump();
    }
}

TEST(ControlLifetime, AWindowMadeAgainFromInsideItsOwnMessageGoesOnWorking)
{
    for (const Entry& e : kEntries) {
        bool gone = false; // outlives the form that frees the control
        kwtest::TestForm form;
        TDoomed* control = MakeDoomed(form, &gone);
        const HWND before = control->Handle();
        control->Action = [](TDoomed* self) { self->RecreateWnd(); };
        e.deliver(control);
        Pump();
        EXPECT_FALSE(gone) << e.what;
        EXPECT_FALSE(IsWindow(before)) << e.what;
        ASSERT_TRUE(control->HandleAllocated()) << e.what;
        EXPECT_NE(control->Handle(), before) << e.what;
        // The new window hears what is sent to it.
        control->Heard.clear();
        EXPECT_EQ(SendMessageA(control->Handle(), kPoke, 0, 0), 1) << e.what;
        EXPECT_EQ(control->Heard, std::vector<std::string>{"poke"}) << e.what;
    }
}

TEST(ControlLifetime, TheFormFreedByAHandlerOfOneOfItsControls)
{
    for (const Entry& e : kEntries) {
        auto* form = Create<TCustomForm>(nullptr);
        form->SetBounds(0, 0, 200, 100);
        form->Show();
        Pump();
        auto* control = Create<TDoomed>(form);
        control->SetParent(form);
        control->SetBounds(10, 10, 80, 40);
        bool gone = false;
        control->Gone = &gone;
        control->SetFocus();
        Pump();
        control->Action = [form](TDoomed*) { form->Free(); };
        e.deliver(control);
        Pump();
        EXPECT_TRUE(gone) << e.what;
    }
}

TEST(ControlLifetime, ABroadcastSkipsTheChildrenItsHandlersFree)
{
    struct Case {
        const char* what;
        int freed; // by the first child's handler
    } cases[] = {{"the next child", 1}, {"the handler's own control", 0}, {"a later child", 2}};
    for (const Case& c : cases) {
        bool gone[3] = {false, false, false};
        kwtest::TestForm form;
        std::vector<TDoomed*> children;
        for (bool& flag : gone)
            children.push_back(MakeDoomed(form, &flag));
        TDoomed* doomed = children[static_cast<std::size_t>(c.freed)];
        children[0]->Action = [doomed](TDoomed*) { doomed->Free(); };
        form->SetColor(clRed);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(gone[i], i == c.freed) << c.what << " " << i;
            if (i != c.freed) {
                EXPECT_EQ(children[static_cast<std::size_t>(i)]->Color(), clRed) << c.what << " " << i;
                EXPECT_EQ(children[static_cast<std::size_t>(i)]->Heard,
                          std::vector<std::string>{"parent colour"})
                    << c.what << " " << i;
            }
        }
    }
}

class TimerWatch : public TObject {
public:
    TTimer* Timer = nullptr;
    int Ticks = 0;
    void Tick(TObject*)
    {
        ++Ticks;
        std::exchange(Timer, nullptr)->Free();
    }
};

TEST(ControlLifetime, TimersEndWithWhatTheyTickInto)
{
    // A timer freed by its own tick ticks no more.
    TimerWatch watch;
    watch.Timer = Create<TTimer>(nullptr);
    watch.Timer->SetInterval(5);
    watch.Timer->SetOnTimer(TNotifyEvent(&watch, &TimerWatch::Tick));
    PumpUntil([&] { return watch.Ticks > 0; }, 3000);
    QTest::qWait(40);
    EXPECT_EQ(watch.Ticks, 1);

    // A control's window timer stops with the control.
    bool gone = false;
    kwtest::TestForm form;
    TDoomed* control = MakeDoomed(form, &gone);
    ASSERT_NE(SetTimer(control->Handle(), 9, 5, nullptr), 0u);
    PumpUntil([&] { return !control->Numbers(WM_TIMER, WM_TIMER).empty(); }, 3000);
    EXPECT_FALSE(control->Numbers(WM_TIMER, WM_TIMER).empty());
    control->Free();
    QTest::qWait(40);
    EXPECT_TRUE(gone);
}

// Sends kPoke to its partner from inside its own kPoke; the partner raises.
class TRelay : public kwtest::TLoggingControl {
public:
    explicit TRelay(TComponent* owner) : TLoggingControl(owner) {}
    TRelay* Partner = nullptr;
    bool Raises = false;
    std::vector<std::string> Heard;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg != kPoke) {
            TLoggingControl::Dispatch(message);
            return;
        }
        if (Raises)
            throw EInvalidOperation("refused");
        Heard.push_back("before");
        const LRESULT answer = Partner ? SendMessageA(Partner->Handle(), kPoke, 0, 0) : 0;
        Heard.push_back("after " + std::to_string(answer));
        message.Result = 5;
    }
};

class Caught : public TObject {
public:
    int Count = 0;
    TObject* Sender = nullptr;
    void Note(TObject* sender, const Exception&)
    {
        ++Count;
        Sender = sender;
    }
};

TEST(ControlLifetime, AnExceptionInANestedSendStopsAtThatWindowOnce)
{
    kwtest::TestForm form;
    Caught caught;
    Application()->OnException = TExceptionEvent(&caught, &Caught::Note);
    auto* outer = Create<TRelay>(form.Get());
    outer->SetParent(form.Get());
    auto* inner = Create<TRelay>(form.Get());
    inner->SetParent(form.Get());
    outer->Partner = inner;
    inner->Raises = true;
    struct Case {
        const char* what;
        std::function<LRESULT()> send;
    } cases[] = {
        {"sent", [&] { return SendMessageA(outer->Handle(), kPoke, 0, 0); }},
        {"posted",
         [&] {
             PostMessageA(outer->Handle(), kPoke, 0, 0);
             Pump();
             return LRESULT{5};
         }},
    };
    for (const Case& c : cases) {
        caught.Count = 0;
        caught.Sender = nullptr;
        outer->Heard.clear();
        EXPECT_EQ(c.send(), 5) << c.what;
        EXPECT_EQ(outer->Heard, (std::vector<std::string>{"before", "after 0"})) << c.what;
        EXPECT_EQ(caught.Count, 1) << c.what;
        EXPECT_EQ(caught.Sender, inner) << c.what;
    }
    Application()->OnException = nullptr;
}

} // namespace
