// The focus across a form's containers: enter and exit events in the
// framework's order, the form's active control, handlers that move the
// focus or free controls while it moves; activation and showing.

#include "WidgetTesting.h"

#include "win32/WindowManager.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace vcl;
using kwtest::Pump;

class Journal : public TObject {
public:
    std::vector<std::string> Log;
    std::map<TObject*, std::function<void()>> OnExitDo;

    void Enter(TObject* sender) { Log.push_back("enter " + static_cast<TComponent*>(sender)->Name()); }
    void Exit(TObject* sender)
    {
        Log.push_back("exit " + static_cast<TComponent*>(sender)->Name());
        if (const auto found = OnExitDo.find(sender); found != OnExitDo.end())
            if (const std::function<void()> action = std::exchange(found->second, nullptr))
                action();
    }
};

// form
//   a (panel): a1, a2 (panel): a21
//   b (panel): b1
struct Nest {
    kwtest::TestForm Form{320, 200};
    Journal Seen;
    std::map<std::string, TWinControl*> C;

    TWinControl* Add(const std::string& name, TWinControl* parent, int left, int top, int width, int height)
    {
        auto* control = Create<kwtest::TLoggingControl>(Form.Get());
        control->SetName(name);
        control->SetParent(parent);
        control->SetBounds(left, top, width, height);
        control->OnEnter = TNotifyEvent(&Seen, &Journal::Enter);
        control->OnExit = TNotifyEvent(&Seen, &Journal::Exit);
        C[name] = control;
        return control;
    }

    Nest()
    {
        TWinControl* a = Add("a", Form.Get(), 0, 0, 150, 190);
        Add("a1", a, 5, 5, 40, 30);
        TWinControl* a2 = Add("a2", a, 5, 50, 140, 130);
        Add("a21", a2, 5, 5, 60, 40);
        TWinControl* b = Add("b", Form.Get(), 160, 0, 150, 190);
        Add("b1", b, 5, 5, 40, 30);
        Pump();
    }
};

TEST(FocusAcrossContainers, ExitsFromTheInnermostOutwardsAndEntersOutwardsIn)
{
    Nest n;
    struct Step {
        const char* to;
        std::vector<std::string> log;
    } steps[] = {
        {"a21", {"enter a", "enter a2", "enter a21"}},
        {"b1", {"exit a21", "exit a2", "exit a", "enter b", "enter b1"}},
        {"a1", {"exit b1", "exit b", "enter a", "enter a1"}},
        {"a21", {"exit a1", "enter a2", "enter a21"}},
        {"a2", {"exit a21"}},
        {"a", {"exit a2"}},
        {"a21", {"enter a2", "enter a21"}},
        {"a21", {}},
    };
    for (const Step& s : steps) {
        n.Seen.Log.clear();
        n.C[s.to]->SetFocus();
        EXPECT_EQ(n.Seen.Log, s.log) << s.to;
        EXPECT_EQ(n.Form->ActiveControl(), n.C[s.to]) << s.to;
        EXPECT_TRUE(n.C[s.to]->Focused()) << s.to;
    }
    // The form itself taking the focus leaves every control.
    n.Seen.Log.clear();
    n.Form->SetFocus();
    EXPECT_EQ(n.Seen.Log, (std::vector<std::string>{"exit a21", "exit a2", "exit a"}));
    EXPECT_EQ(n.Form->ActiveControl(), nullptr);
    kwtest::SavePicture(n.Form->Peer(), "focus-nest.png");
}

TEST(FocusAcrossContainers, ControlsThatCanNoLongerHoldItGiveItToTheForm)
{
    struct Case {
        const char* what;
        std::function<void(Nest&)> change;
        std::vector<std::string> log;
        bool activeKept;
    } cases[] = {
        {"disabled",
         [](Nest& n) { n.C["a21"]->SetEnabled(false); },
         {"exit a21", "exit a2", "exit a"},
         false},
        {"container hidden", [](Nest& n) { n.C["a2"]->Hide(); }, {"exit a21", "exit a2", "exit a"}, false},
        // A control freed or taken away leaves quietly; the form forgets it.
        {"freed", [](Nest& n) { n.C["a21"]->Free(); }, {}, false},
        {"container freed", [](Nest& n) { n.C["a2"]->Free(); }, {}, false},
        {"taken off the form", [](Nest& n) { n.C["a2"]->SetParent(nullptr); }, {}, false},
        {"another control disabled", [](Nest& n) { n.C["b1"]->SetEnabled(false); }, {}, true},
    };
    for (const Case& c : cases) {
        Nest n;
        n.C["a21"]->SetFocus();
        n.Seen.Log.clear();
        TWinControl* const active = n.C["a21"];
        c.change(n);
        EXPECT_EQ(n.Seen.Log, c.log) << c.what;
        EXPECT_EQ(n.Form->ActiveControl() == active, c.activeKept) << c.what;
        // Focusing anew walks from where the form now stands.
        n.Seen.Log.clear();
        n.C["b1"]->SetEnabled(true);
        n.C["b1"]->SetFocus();
        EXPECT_EQ(n.Seen.Log.back(), "enter b1") << c.what;
    }
}

TEST(FocusAcrossContainers, HandlersThatMoveTheFocusOrFreeControlsEndTheWalk)
{
    struct Case {
        const char* what;
        const char* exiting;
        std::function<void(Nest&)> action;
        std::vector<std::string> log;
        const char* focused;
    } cases[] = {
        {"exit moves the focus back",
         "a2",
         [](Nest& n) { n.C["a1"]->SetFocus(); },
         {"exit a21", "exit a2", "enter a1"},
         "a1"},
        {"exit frees the control it leaves",
         "a21",
         [](Nest& n) { n.C["a21"]->Free(); },
         {"exit a21", "exit a2", "exit a", "enter b", "enter b1"},
         "b1"},
        {"exit frees the control it goes to",
         "a",
         [](Nest& n) { n.C["b1"]->Free(); },
         {"exit a21", "exit a2", "exit a"},
         nullptr},
    };
    for (const Case& c : cases) {
        Nest n;
        n.C["a21"]->SetFocus();
        n.Seen.Log.clear();
        n.Seen.OnExitDo[n.C[c.exiting]] = [&] { c.action(n); };
        SetFocus(n.C["b1"]->Handle());
        EXPECT_EQ(n.Seen.Log, c.log) << c.what;
        if (c.focused)
            EXPECT_EQ(GetFocus(), n.C[c.focused]->Handle()) << c.what;
        else
            EXPECT_EQ(n.Form->ActiveControl(), nullptr) << c.what;
    }
}

TEST(FocusAcrossContainers, AFormFreedByAnExitHandlerEndsTheWalkQuietly)
{
    auto* form = Create<TCustomForm>(nullptr);
    form->SetBounds(0, 0, 200, 100);
    form->Show();
    Journal seen;
    std::vector<TWinControl*> controls;
    for (const char* name : {"a", "b"}) {
        auto* control = Create<kwtest::TLoggingControl>(form);
        control->SetName(name);
        control->SetParent(form);
        control->OnEnter = TNotifyEvent(&seen, &Journal::Enter);
        control->OnExit = TNotifyEvent(&seen, &Journal::Exit);
        controls.push_back(control);
    }
    controls[0]->SetFocus();
    const HWND target = controls[1]->Handle();
    seen.Log.clear();
    seen.OnExitDo[controls[0]] = [form] { form->Free(); };
    SetFocus(target);
    EXPECT_EQ(seen.Log, std::vector<std::string>{"exit a"});
    EXPECT_FALSE(IsWindow(target));
    EXPECT_EQ(GetFocus(), nullptr);
    Pump();
}

TEST(FocusAcrossContainers, TheActiveControlIsFocusedWhenSetAndWhenTheFormIsActivated)
{
    Nest n;
    n.Form->SetActiveControl(n.C["b1"]);
    EXPECT_TRUE(n.C["b1"]->Focused());
    EXPECT_EQ(n.Seen.Log, (std::vector<std::string>{"enter b", "enter b1"}));
    EXPECT_THROW(n.Form->SetActiveControl(n.Form.Get()), EInvalidOperation);
    // The application goes away and comes back: the control has it again.
    win32::NoteActivation(n.Form->Handle(), true, nullptr);
    EXPECT_TRUE(n.C["b1"]->Focused());
    win32::NoteActivation(n.Form->Handle(), false, nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    win32::NoteActivation(n.Form->Handle(), true, nullptr);
    EXPECT_TRUE(n.C["b1"]->Focused());
    EXPECT_EQ(n.Form->ActiveControl(), n.C["b1"]);
}

// A form that records what its window hears.
class TLoggingForm : public TCustomForm {
public:
    explicit TLoggingForm(TComponent* owner) : TCustomForm(owner)
    {
        Saved_ = WindowProc;
        WindowProc = TWndMethod(this, &TLoggingForm::Log);
    }
    std::vector<std::pair<UINT, WPARAM>> Heard;

private:
    void Log(TMessage& message)
    {
        if (message.Msg == WM_SHOWWINDOW || message.Msg == WM_ACTIVATE || message.Msg == WM_ACTIVATEAPP ||
            message.Msg == WM_SETFOCUS || message.Msg == WM_KILLFOCUS)
            Heard.push_back({message.Msg,
                             message.Msg == WM_SETFOCUS || message.Msg == WM_KILLFOCUS ? 0 : message.WParam});
        Saved_(message);
    }
    TWndMethod Saved_;
};

TEST(Activation, AShownFormHearsItIsShownThenActivatedThenFocused)
{
    // No window of ours is active before.
    if (HWND active = GetActiveWindow())
        win32::NoteActivation(active, false, nullptr);
    auto* form = Create<TLoggingForm>(nullptr);
    form->SetBounds(10, 10, 200, 100);
    form->Show();
    kwtest::PumpUntil([&] { return GetActiveWindow() == form->Handle(); }, 3000);
    using Heard = std::vector<std::pair<UINT, WPARAM>>;
    ASSERT_GE(form->Heard.size(), 1u);
    EXPECT_EQ(form->Heard.front(), (std::pair<UINT, WPARAM>{WM_SHOWWINDOW, TRUE}));
    EXPECT_EQ(GetActiveWindow(), form->Handle()) << "the toolkit never activated the form";
    if (GetActiveWindow() == form->Handle()) {
        EXPECT_EQ(
            form->Heard,
            (Heard{
                {WM_SHOWWINDOW, TRUE}, {WM_ACTIVATEAPP, TRUE}, {WM_ACTIVATE, WA_ACTIVE}, {WM_SETFOCUS, 0}}));
    }
    form->Heard.clear();
    form->Hide();
    Pump();
    EXPECT_EQ(
        form->Heard,
        (Heard{
            {WM_SHOWWINDOW, FALSE}, {WM_ACTIVATE, WA_INACTIVE}, {WM_ACTIVATEAPP, FALSE}, {WM_KILLFOCUS, 0}}));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    form->Free();
    Pump();
}

} // namespace
