// Forms: closing and its actions, the modal loop with its close query,
// Enter and Escape on the default and cancel buttons, size limits, the
// other forms disabled while one is modal, buttons and labels.

#include "vcl/widgets/Forms.h"
#include "MessageBoxScript.h"
#include "WidgetTesting.h"
#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/WindowManager.h"

#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace vcl;
using kwtest::Later;
using kwtest::Pump;

struct Dialog {
    TCustomForm* Form;
    kwtest::TLoggingControl* Field;
    TButton* Ok;
    TButton* Cancel;
    TLabel* Label;
    std::vector<std::string> Log;
    std::vector<bool> Answers; // what OnCloseQuery answers, in turn
    TCloseAction Action = caHide;

    Dialog()
    {
        Form = Create<TCustomForm>(nullptr);
        Form->SetBounds(50, 50, 260, 120);
        Form->SetCaption("Dialog");
        Field = Create<kwtest::TLoggingControl>(Form);
        Field->SetParent(Form);
        Field->SetBounds(90, 10, 150, 24);
        Field->SetTabStop(true);
        Label = Create<TLabel>(Form);
        Label->SetParent(Form);
        Label->SetLeft(10);
        Label->SetTop(14);
        Label->SetCaption("&Name:");
        Label->SetFocusControl(Field);
        Ok = Create<TButton>(Form);
        Ok->SetParent(Form);
        Ok->SetBounds(90, 80, 75, 25);
        Ok->SetCaption("OK");
        Ok->SetDefault(true);
        Ok->SetModalResult(mrOk);
        Cancel = Create<TButton>(Form);
        Cancel->SetParent(Form);
        Cancel->SetBounds(170, 80, 75, 25);
        Cancel->SetCaption("Cancel");
        Cancel->SetCancel(true);
        Cancel->SetModalResult(mrCancel);
        Form->SetActiveControl(Field);
        Form->OnCloseQuery = TCloseQueryEvent(this, &Dialog::Query);
        Form->OnClose = TCloseEvent(this, &Dialog::Closing);
        Form->OnShow = TNotifyEvent(this, &Dialog::Shown);
        Form->OnHide = TNotifyEvent(this, &Dialog::Hidden);
        Ok->OnClick = TNotifyEvent(this, &Dialog::Clicked);
        Cancel->OnClick = TNotifyEvent(this, &Dialog::Clicked);
    }
    ~Dialog()
    {
        Form->Free();
        Pump();
    }
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    void Query(TObject*, bool& canClose)
    {
        canClose = Answers.empty() ? true : Answers.front();
        if (!Answers.empty())
            Answers.erase(Answers.begin());
        Log.push_back(canClose ? "query:yes" : "query:no");
    }
    void Closing(TObject*, TCloseAction& action)
    {
        action = Action;
        Log.push_back("close");
    }
    void Shown(TObject*) { Log.push_back("show"); }
    void Hidden(TObject*) { Log.push_back("hide"); }
    void Clicked(TObject* sender) { Log.push_back("click:" + static_cast<TButton*>(sender)->Caption()); }
};

TEST(ModalForms, WaysOutOfTheLoop)
{
    struct Case {
        const char* what;
        std::function<void(Dialog&)> act;
        std::vector<bool> answers;
        TModalResult result;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"enter clicks the default button",
         [](Dialog& d) { QTest::keyClick(d.Field->Peer(), Qt::Key_Return); },
         {},
         mrOk,
         {"show", "click:OK", "query:yes", "close", "hide"}},
        {"escape clicks the cancel button",
         [](Dialog& d) { QTest::keyClick(d.Field->Peer(), Qt::Key_Escape); },
         {},
         mrCancel,
         {"show", "click:Cancel", "query:yes", "close", "hide"}},
        {"the title bar's close gives cancel",
         [](Dialog& d) { d.Form->Peer()->close(); },
         {},
         mrCancel,
         {"show", "query:yes", "close", "hide"}},
        {"a mouse click on a button",
         [](Dialog& d) { QTest::mouseClick(d.Ok->Peer(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10)); },
         {},
         mrOk,
         {"show", "click:OK", "query:yes", "close", "hide"}},
        {"a refused close goes on until agreed",
         [](Dialog& d) {
             Later({[&d] { QTest::keyClick(d.Field->Peer(), Qt::Key_Return); },
                    [&d] {
                        // Refused: the result went back to none.
                        EXPECT_EQ(d.Form->ModalResult(), mrNone);
                        EXPECT_TRUE(d.Form->Visible());
                        QTest::keyClick(d.Field->Peer(), Qt::Key_Escape);
                    }});
         },
         {false, true},
         mrCancel,
         {"show", "click:OK", "query:no", "click:Cancel", "query:yes", "close", "hide"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Dialog d;
        d.Answers = c.answers;
        Later({[&] { c.act(d); }});
        EXPECT_EQ(d.Form->ShowModal(), c.result);
        EXPECT_FALSE(d.Form->Visible());
        EXPECT_EQ(d.Log, c.log);
        EXPECT_FALSE(d.Form->FormState().Contains(fsModal));
    }
}

TEST(ModalForms, OtherFormsAreDisabledAndAMessageBoxWorksInside)
{
    kwtest::TestForm main;
    Dialog d;
    kwtest::MessageBoxScript boxes;
    bool mainEnabledInside = true;
    Later({[&] {
        // A window manager maps the dialog when it has answered.
        kwtest::WaitExposed(d.Form->Peer());
        mainEnabledInside = main->Enabled();
        EXPECT_EQ(Application()->MessageBox("Saved", "Note", MB_OK), 1);
        QTest::keyClick(d.Field->Peer(), Qt::Key_Return);
    }});
    EXPECT_EQ(d.Form->ShowModal(), mrOk);
    EXPECT_FALSE(mainEnabledInside);
    EXPECT_TRUE(main->Enabled());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().Caption + ": " + boxes.Last().Text, "Note: Saved");
    // A shown form cannot be made modal.
    d.Form->Show();
    EXPECT_THROW(d.Form->ShowModal(), EInvalidOperation);
}

TEST(ModalForms, TaskWindowsFreedMeanwhileAreSkipped)
{
    TCustomForm* a = Create<TCustomForm>(nullptr);
    TCustomForm* b = Create<TCustomForm>(nullptr);
    a->Show();
    b->Show();
    TTaskWindowList list = DisableTaskWindows(a);
    EXPECT_TRUE(a->Enabled());
    EXPECT_FALSE(b->Enabled());
    b->Free();
    EnableTaskWindows(list);
    EXPECT_TRUE(a->Enabled());
    a->Free();
    Pump();
}

TEST(Forms, CloseActions)
{
    struct Case {
        const char* what;
        TCloseAction action;
        std::vector<bool> answers;
        bool visible;
        bool freed;
    };
    const Case cases[] = {
        {"hide", caHide, {}, false, false},
        {"none", caNone, {}, true, false},
        {"refused", caHide, {false}, true, false},
        {"free", caFree, {}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* d = new Dialog;
        d->Action = c.action;
        d->Answers = c.answers;
        d->Form->Show();
        Pump();
        d->Form->Close();
        EXPECT_EQ(d->Form->Visible(), c.visible);
        const std::size_t before = AllForms().size();
        if (c.freed) {
            TCustomForm* form = d->Form;
            d->Form = Create<TCustomForm>(nullptr); // what the fixture frees instead
            Pump();
            EXPECT_EQ(std::count(AllForms().begin(), AllForms().end(), form), 0);
            EXPECT_EQ(AllForms().size(), before);
        }
        delete d;
    }
}

TEST(Forms, SizeLimitsReachTheWindow)
{
    TCustomForm* form = Create<TCustomForm>(nullptr);
    form->Constraints()->SetMinWidth(200);
    form->Constraints()->SetMinHeight(150);
    form->Constraints()->SetMaxWidth(640);
    form->SetBounds(0, 0, 300, 200);
    form->Show();
    Pump();
    ASSERT_NE(form->Peer(), nullptr);
    EXPECT_EQ(form->Peer()->minimumSize(), QSize(200, 150));
    EXPECT_EQ(form->Peer()->maximumWidth(), 640);
    MINMAXINFO info{};
    SendMessageA(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 200);
    EXPECT_EQ(info.ptMaxTrackSize.x, 640);
    form->Free();
    Pump();
}

TEST(Buttons, EnterGoesToTheFocusedButtonBeforeTheDefault)
{
    Dialog d;
    d.Form->Show();
    Pump();
    d.Cancel->SetFocus();
    Pump();
    QTest::keyClick(d.Cancel->Peer(), Qt::Key_Return);
    QTest::keyClick(d.Cancel->Peer(), Qt::Key_Space);
    EXPECT_EQ(d.Log, (std::vector<std::string>{"show", "click:Cancel", "click:Cancel"}));
    // The dialog as it looks: a label, a field, the default and cancel buttons.
    d.Field->SetFocus();
    Pump();
    const QImage shot = kwtest::SavePicture(d.Form->Peer(), "forms-dialog.png");
    EXPECT_EQ(shot.size(), QSize(260, 120));
    // The label sized itself to its text.
    EXPECT_GT(d.Label->Width(), 20);
    EXPECT_LT(d.Label->Width(), 80);
}

TEST(Labels, TheMnemonicFocusesTheFocusControl)
{
    Dialog d;
    d.Form->Show();
    Pump();
    d.Ok->SetFocus();
    Pump();
    QTest::keyClick(d.Ok->Peer(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(d.Field->Focused());
}

} // namespace

namespace {

// A modal form freed by a handler inside its own loop: Release (the usual way
// to close and free a dialog) waits until the loop has left; a direct Free
// ends the loop as a cancel. Either way nothing touches the freed form.
TEST(ModalForms, AFormReleasedOrFreedInItsOwnLoop)
{
    struct Case {
        const char* what;
        bool byTimer; // else a button's click
        bool release; // else Free
        TModalResult result;
    };
    const Case cases[] = {
        {"Release from a button", false, true, mrCancel},
        {"Free from a button", false, false, mrCancel},
        {"Release from a timer", true, true, mrCancel},
        {"Free from a timer", true, false, mrCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        struct Handler : TObject {
            TCustomForm* Form = nullptr;
            bool Release = false;
            void Fired(TObject*)
            {
                if (Release)
                    Form->Release();
                else
                    Form->Free();
            }
        } handler;
        TCustomForm* form = Create<TCustomForm>(nullptr);
        form->SetBounds(40, 40, 200, 100);
        handler.Form = form;
        handler.Release = c.release;
        const int formsBefore = Screen()->FormCount();
        if (c.byTimer) {
            TTimer* timer = Create<TTimer>(form);
            timer->SetInterval(20);
            timer->SetOnTimer(TNotifyEvent(&handler, &Handler::Fired));
        } else {
            TButton* button = Create<TButton>(form);
            button->SetParent(form);
            button->SetBounds(10, 10, 75, 25);
            button->OnClick = TNotifyEvent(&handler, &Handler::Fired);
            Later({[button] {
                kwtest::WaitExposed(button->Peer());
                QTest::mouseClick(button->Peer(), Qt::LeftButton, {}, QPoint(5, 5));
            }});
        }
        EXPECT_EQ(form->ShowModal(), c.result);
        kwtest::PumpUntil([&] { return Screen()->FormCount() == formsBefore - 1; }, 2000);
        EXPECT_EQ(Screen()->FormCount(), formsBefore - 1) << "the form is gone";
    }
}

} // namespace
