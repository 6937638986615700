// Message dialogs: what each asks through the message-box hook, the real
// form a person sees (its parts, line breaks, answers, help), boxes inside
// modal forms and from a worker.

#include "vcl/widgets/Dialogs.h"

#include "MessageBoxScript.h"
#include "WidgetTesting.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/Help.h"
#include "win32/WindowManager.h"

#include <QAbstractEventDispatcher>
#include <QToolTip>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace vcl;
using kwtest::Later;
using kwtest::Pump;

std::vector<int> Ids(const win32::MessageBoxRequest& request)
{
    std::vector<int> ids;
    for (const win32::MessageBoxButton& b : request.Buttons)
        ids.push_back(b.Help ? -1 : b.Id);
    return ids;
}

TEST(MessageDlg, TheHookSeesTextKindAndButtonsAndItsAnswerComesBack)
{
    struct Case {
        TMsgDlgType type;
        TMsgDlgButtons buttons;
        const char* caption;
        UINT flags;           // the MB_ flags the request carries
        std::vector<int> ids; // modal results in order; -1 the Help button
        std::size_t defaultIndex;
        int cancel;
        TModalResult answer;
    } cases[] = {
        {mtWarning, {mbOK}, "Warning", MB_ICONWARNING | MB_OK, {mrOk}, 0, mrOk, mrOk},
        {mtError, mbOKCancel, "Error", MB_ICONERROR | MB_OKCANCEL, {mrOk, mrCancel}, 0, mrCancel, mrCancel},
        {mtInformation,
         {mbYes, mbNo},
         "Information",
         MB_ICONINFORMATION | MB_YESNO,
         {mrYes, mrNo},
         0,
         mrNo,
         mrNo},
        {mtConfirmation,
         mbYesNoCancel + mbHelp,
         "Confirmation",
         MB_ICONQUESTION | MB_YESNOCANCEL | MB_HELP,
         {mrYes, mrNo, mrCancel, -1},
         0,
         mrCancel,
         mrYes},
        {mtConfirmation,
         mbAbortRetryIgnore,
         "Confirmation",
         MB_ICONQUESTION | MB_ABORTRETRYIGNORE,
         {mrAbort, mrRetry, mrIgnore},
         0,
         0,
         mrRetry},
        // A set the platform has no code for: its buttons say it all.
        {mtCustom,
         mbYesAllNoAllCancel,
         "Dialogs test",
         MB_OK,
         {mrYes, mrNo, mrCancel, mrNoToAll, mrYesToAll},
         0,
         mrCancel,
         mrYesToAll},
        // Without OK or Yes the first is the default; No cancels.
        {mtWarning, {mbNo, mbIgnore}, "Warning", MB_ICONWARNING, {mrNo, mrIgnore}, 0, mrNo, mrIgnore},
        {mtWarning,
         {mbRetry, mbOK},
         "Warning",
         MB_ICONWARNING | MB_DEFBUTTON2,
         {mrOk, mrRetry},
         0,
         mrOk,
         mrOk},
    };
    Application()->SetTitle("Dialogs test");
    kwtest::MessageBoxScript script;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        script.Queue(c.answer);
        EXPECT_EQ(MessageDlg("Go on?\r\nReally?", c.type, c.buttons, 0), c.answer);
        const win32::MessageBoxRequest shown = script.Last();
        EXPECT_EQ(shown.Text, "Go on?\r\nReally?");
        EXPECT_EQ(shown.Caption, c.caption);
        EXPECT_EQ(shown.Type & ~MB_MODEMASK & ~MB_DEFMASK, c.flags & ~MB_DEFMASK);
        EXPECT_EQ(shown.Type & MB_MODEMASK, MB_TASKMODAL);
        EXPECT_EQ(Ids(shown), c.ids);
        EXPECT_EQ(shown.Buttons[shown.DefaultButton].Id,
                  c.ids[c.defaultIndex] == -1 ? 0 : c.ids[c.defaultIndex]);
        EXPECT_EQ(shown.CancelId, c.cancel);
    }
    Application()->SetTitle("");
}

TEST(MessageDlg, ShowMessageTellsWithTheApplicationsTitle)
{
    Application()->SetTitle("Explorer");
    kwtest::MessageBoxScript script;
    ShowMessage("You clicked \"Open\"");
    ShowMessageFmt("You selected:\r  Name: %s", {"home"});
    MessageDlgPos("Here", mtInformation, {mbOK}, 0, 40, 30);
    Application()->SetTitle("");
    const std::vector<win32::MessageBoxRequest> shown = script.Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].Text, "You clicked \"Open\"");
    EXPECT_EQ(shown[1].Text, "You selected:\r  Name: home");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(shown[i].Caption, "Explorer");
        EXPECT_EQ(shown[i].Type & MB_ICONMASK, 0u);
        EXPECT_EQ(Ids(shown[i]), std::vector<int>{mrOk});
        EXPECT_EQ(shown[i].X, -1);
    }
    EXPECT_EQ(shown[2].X, 40);
    EXPECT_EQ(shown[2].Y, 30);
}

TEST(MessageDlg, TheActiveFormOwnsTheBoxAndAWorkersBoxHasNoOwner)
{
    kwtest::TestForm form;
    kwtest::PumpUntil([&] { return GetActiveWindow() == form->Handle(); }, 3000);
    ASSERT_EQ(GetActiveWindow(), form->Handle());
    kwtest::MessageBoxScript script;
    EXPECT_EQ(MessageDlg("From the form", mtInformation, {mbOK}, 0), mrOk);
    EXPECT_EQ(script.Last().Owner, form->Handle());
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = MessageDlg("From a worker", mtInformation, {mbOK}, 0); });
    worker.join();
    EXPECT_EQ(answer.load(), mrOk);
    EXPECT_EQ(script.Last().Text, "From a worker");
    EXPECT_EQ(script.Last().Owner, nullptr);
}

struct HelpLog : TObject {
    std::vector<std::pair<WORD, LONG_PTR>> Asked;
    bool CallHelp = true;
    bool Answer(WORD command, LONG_PTR data, bool& callHelp)
    {
        Asked.emplace_back(command, data);
        callHelp = CallHelp;
        return !CallHelp;
    }
};

std::vector<std::string> g_helpFiles;

TEST(Help, TheHelpButtonAsksTheApplicationForItsContext)
{
    HelpLog log;
    Application()->OnHelp = THelpEvent(&log, &HelpLog::Answer);
    Application()->SetHelpFile("corvane.hlp");
    g_helpFiles.clear();
    const win32::HelpHook before =
        win32::SetHelpHook([](HWND, const std::string& file, UINT command, ULONG_PTR data) {
            g_helpFiles.push_back(file + ":" + std::to_string(command) + ":" + std::to_string(data));
            return TRUE;
        });
    kwtest::MessageBoxScript script;
    script.WhileShown = [](const win32::MessageBoxRequest& request) { request.Help(); };
    script.Queue(mrOk);
    EXPECT_EQ(MessageDlg("Need help?", mtInformation, {mbOK, mbHelp}, 28456), mrOk);
    // OnHelp that keeps the file from being asked.
    log.CallHelp = false;
    EXPECT_TRUE(Application()->HelpContext(7));
    win32::SetHelpHook(before);
    Application()->OnHelp = nullptr;
    // No help file and no handler: nothing shows help.
    Application()->SetHelpFile("");
    EXPECT_FALSE(Application()->HelpContext(7));
    EXPECT_EQ(log.Asked, (std::vector<std::pair<WORD, LONG_PTR>>{{HELP_CONTEXT, 28456}, {HELP_CONTEXT, 7}}));
    EXPECT_EQ(g_helpFiles, std::vector<std::string>{"corvane.hlp:1:28456"});
}

// The message form a person sees, shown from the event loop.
TForm* ShownMessageForm()
{
    const auto& forms = AllForms();
    for (auto at = forms.rbegin(); at != forms.rend(); ++at)
        if ((*at)->FormState().Contains(fsModal))
            return static_cast<TForm*>(*at);
    return nullptr;
}

TButton* ButtonOf(TForm* form, const char* name)
{
    return dynamic_cast<TButton*>(form->FindComponent(name));
}

// Answers the form a worker's question shows, from the GUI thread's loop
// once the form is up; the loop turns until the worker has its answer.
void AnswerWorkersForm(const std::function<void(TForm*)>& answer, const std::function<bool()>& answered)
{
    std::function<void()> answerWhenShown;
    answerWhenShown = [&] {
        TForm* form = ShownMessageForm();
        if (!form) {
            Later({answerWhenShown});
            return;
        }
        answer(form);
    };
    Later({answerWhenShown});
    kwtest::PumpUntil(answered);
}

TEST(Help, TheFormsHelpButtonAsksAndLeavesTheBoxUp)
{
    HelpLog log;
    log.CallHelp = false;
    Application()->OnHelp = THelpEvent(&log, &HelpLog::Answer);
    Later({[] { ButtonOf(ShownMessageForm(), "Help")->Click(); },
           [] {
               TForm* form = ShownMessageForm();
               ASSERT_NE(form, nullptr) << "help closed the box";
               ButtonOf(form, "OK")->Click();
           }});
    EXPECT_EQ(MessageDlg("Need help?", mtInformation, {mbOK, mbHelp}, 31), mrOk);
    Application()->OnHelp = nullptr;
    EXPECT_EQ(log.Asked, (std::vector<std::pair<WORD, LONG_PTR>>{{HELP_CONTEXT, 31}}));
}

TEST(Hints, CancelHintTakesTheHintOffTheScreen)
{
    kwtest::TestForm form;
    QToolTip::showText(QPoint(20, 20), "A hint", form->Peer());
    kwtest::PumpUntil([] { return QToolTip::isVisible(); }, 2000);
    ASSERT_TRUE(QToolTip::isVisible());
    Application()->CancelHint();
    // The toolkit lets a tooltip fade out over a moment.
    kwtest::PumpUntil([] { return !QToolTip::isVisible(); }, 3000);
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST(MessageForm, ShowsIconTextWithLineBreaksAndButtons)
{
    TForm* form =
        CreateMessageDialog("The folder could not be made.\rIt exists already.\r\nChoose another name.",
                            mtWarning, mbYesNoCancel + mbHelp);
    form->Show();
    Pump();
    const QImage picture = kwtest::SavePicture(form->Peer(), "message-dialog.png");
    EXPECT_EQ(form->Caption(), "Warning");
    EXPECT_EQ(form->BorderStyle(), bsDialog);
    auto* label = dynamic_cast<TLabel*>(form->FindComponent("Message"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Caption(), "The folder could not be made.\nIt exists already.\nChoose another name.");
    auto* icon = dynamic_cast<TControl*>(form->FindComponent("Image"));
    ASSERT_NE(icon, nullptr);
    // Three lines stand over the buttons, right of the icon.
    EXPECT_GE(label->Height(), 3 * 12);
    EXPECT_GT(label->Left(), icon->Left() + icon->Width());
    struct Expected {
        const char* name;
        const char* caption;
        TModalResult result;
        bool isDefault;
        bool isCancel;
    } expected[] = {
        {"Yes", "&Yes", mrYes, true, false},
        {"No", "&No", mrNo, false, false},
        {"Cancel", "Cancel", mrCancel, false, true},
        {"Help", "&Help", mrNone, false, false},
    };
    int left = -1;
    for (const Expected& e : expected) {
        TButton* button = ButtonOf(form, e.name);
        ASSERT_NE(button, nullptr) << e.name;
        EXPECT_EQ(button->Caption(), e.caption);
        EXPECT_EQ(button->ModalResult(), e.result);
        EXPECT_EQ(button->Default(), e.isDefault) << e.name;
        EXPECT_EQ(button->Cancel(), e.isCancel) << e.name;
        EXPECT_GT(button->Left(), left) << "buttons run left to right";
        EXPECT_GE(button->Top(), label->Top() + label->Height());
        EXPECT_LE(button->Top() + button->Height(), form->ClientHeight());
        left = button->Left();
    }
    // The row sits in the middle.
    TButton* first = ButtonOf(form, "Yes");
    TButton* last = ButtonOf(form, "Help");
    EXPECT_NEAR(first->Left(), form->ClientWidth() - (last->Left() + last->Width()), 1);
    // The icon's picture is there (its yellow), not the form's colour.
    const QColor centre = picture.pixelColor(icon->Left() + 10, icon->Top() + 25);
    EXPECT_GT(centre.red(), 200);
    EXPECT_GT(centre.green(), 150);
    EXPECT_LT(centre.blue(), 80);
    form->Free();
    Pump();
}

TEST(MessageForm, APersonsAnswersAreTheButtonsModalResults)
{
    struct Case {
        const char* what;
        TMsgDlgButtons buttons;
        std::function<void(TForm*)> act;
        TModalResult result;
    } cases[] = {
        {"a click on No", mbYesNoCancel,
         [](TForm* f) { QTest::mouseClick(ButtonOf(f, "No")->Peer(), Qt::LeftButton, {}, QPoint(5, 5)); },
         mrNo},
        {"Enter on the default", mbYesNoCancel,
         [](TForm* f) { QTest::keyClick(f->ActiveControl()->Peer(), Qt::Key_Return); }, mrYes},
        {"Escape", mbYesNoCancel,
         [](TForm* f) { QTest::keyClick(f->ActiveControl()->Peer(), Qt::Key_Escape); }, mrCancel},
        {"the close box gives the cancel answer, here No",
         {mbYes, mbNo},
         [](TForm* f) { f->Peer()->close(); },
         mrNo},
        {"a box without cancel stays up on Escape and the close box", mbAbortRetryIgnore,
         [](TForm* f) {
             QTest::keyClick(f->ActiveControl()->Peer(), Qt::Key_Escape);
             f->Peer()->close();
             Later({[f] {
                 EXPECT_TRUE(f->Visible());
                 ButtonOf(f, "Retry")->Click();
             }});
         },
         mrRetry},
        // With no button to choose, the close box is the only way out.
        {"a box without buttons closes as a cancel", {}, [](TForm* f) { f->Peer()->close(); }, mrCancel},
        {"a box with only Help closes as a cancel", {mbHelp}, [](TForm* f) { f->Peer()->close(); }, mrCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Later({[&] {
            TForm* form = ShownMessageForm();
            ASSERT_NE(form, nullptr);
            c.act(form);
        }});
        EXPECT_EQ(MessageDlg("Replace the file?", mtConfirmation, c.buttons, 0), c.result);
        EXPECT_EQ(ShownMessageForm(), nullptr);
    }
}

TEST(MessageForm, TheModalLoopSleepsUntilTheNextEvent)
{
    int sleeps = 0;
    const QMetaObject::Connection counting =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                         [&sleeps] { ++sleeps; });
    Later({[] { ButtonOf(ShownMessageForm(), "OK")->Click(); }});
    EXPECT_EQ(MessageDlg("Copied.", mtInformation, {mbOK}, 0), mrOk);
    QObject::disconnect(counting);
    EXPECT_GT(sleeps, 0) << "the loop spun while it waited for the answer";
}

TEST(MessageForm, ThePlatformsBoxesShowOnItToo)
{
    Later({[] {
        TForm* form = ShownMessageForm();
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->Caption(), "Delete");
        QTest::keyClick(form->ActiveControl()->Peer(), Qt::Key_Escape); // no cancel: stays
        Later({[form] { ButtonOf(form, "No")->Click(); }});
    }});
    EXPECT_EQ(MessageBoxA(nullptr, "Move to the trash?", "Delete", MB_YESNO | MB_ICONQUESTION), IDNO);
    // A system-modal or topmost box stays over other windows.
    struct Case {
        UINT type;
        bool onTop;
    } cases[] = {{MB_OK, false}, {MB_OK | MB_TOPMOST, true}, {MB_OK | MB_SYSTEMMODAL, true}};
    for (const Case& c : cases) {
        win32::MessageBoxRequest request;
        ASSERT_TRUE(win32::MakeMessageBoxRequest(nullptr, "On top?", "Test", c.type, request));
        TForm* form = CreateMessageForm(request);
        form->HandleNeeded();
        EXPECT_EQ((GetWindowLongPtrA(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, c.onTop) << c.type;
        EXPECT_EQ(form->Peer()->windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.onTop) << c.type;
        form->Free();
    }
}

// A dialog whose close query asks a question before it lets the form go.
struct AskingForm {
    TForm* Form = Create<TForm>(nullptr);
    TButton* Ok = Create<TButton>(Form);
    std::vector<TModalResult> Answers;

    AskingForm()
    {
        Form->SetBounds(40, 40, 240, 100);
        Form->SetCaption("Asking");
        Ok->SetParent(Form);
        Ok->SetBounds(80, 40, 75, 25);
        Ok->SetCaption("OK");
        Ok->SetModalResult(mrOk);
        Ok->SetDefault(true);
        Form->SetActiveControl(Ok);
        Form->OnCloseQuery = TCloseQueryEvent(this, &AskingForm::Query);
    }
    ~AskingForm()
    {
        Form->Free();
        Pump();
    }
    void Query(TObject*, bool& canClose)
    {
        const TModalResult answer = MessageDlg("Save the changes?", mtConfirmation, mbYesNoCancel, 0);
        Answers.push_back(answer);
        canClose = answer != mrCancel;
    }
};

TEST(MessageForm, ABoxInsideAModalFormLeavesItsLoopAndResult)
{
    // Through the hook.
    {
        AskingForm asking;
        kwtest::MessageBoxScript script;
        script.Queue(mrCancel); // the first close is refused
        script.Queue(mrYes);
        Later({[&] { asking.Ok->Click(); },
               [&] {
                   EXPECT_TRUE(asking.Form->Visible());
                   EXPECT_EQ(asking.Form->ModalResult(), mrNone);
                   asking.Ok->Click();
               }});
        EXPECT_EQ(asking.Form->ShowModal(), mrOk);
        EXPECT_EQ(asking.Answers, (std::vector<TModalResult>{mrCancel, mrYes}));
        EXPECT_EQ(script.Count(), 2u);
    }
    // On the real form, a modal loop inside the modal loop.
    {
        AskingForm asking;
        Later({[&] { asking.Ok->Click(); },
               [&] {
                   TForm* box = ShownMessageForm();
                   ASSERT_NE(box, nullptr);
                   EXPECT_NE(box, asking.Form);
                   EXPECT_FALSE(asking.Form->Enabled()) << "the box disables the form under it";
                   ButtonOf(box, "No")->Click();
               }});
        EXPECT_EQ(asking.Form->ShowModal(), mrOk);
        EXPECT_EQ(asking.Answers, std::vector<TModalResult>{mrNo});
        EXPECT_TRUE(asking.Form->Enabled());
    }
}

TEST(MessageForm, AWorkersBoxIsShownByTheGuiThread)
{
    Application(); // gives the platform its message forms
    std::atomic<int> answer{-1};
    std::atomic<bool> onGui{true};
    std::thread worker([&] {
        onGui = win32::IsGuiThread();
        answer = MessageBoxA(nullptr, "Copy finished.", "Copy", MB_OKCANCEL);
    });
    // The box runs its modal loop inside the GUI thread's loop; a timer
    // answers it from there.
    AnswerWorkersForm(
        [](TForm* form) {
            EXPECT_EQ(form->Caption(), "Copy");
            ButtonOf(form, "OK")->Click();
        },
        [&] { return answer != -1; });
    worker.join();
    EXPECT_FALSE(onGui);
    EXPECT_EQ(answer.load(), IDOK);
}

TEST(MessageBeep, SoundsThroughTheDefaultOnceTheApplicationIsMade)
{
    Application();
    EXPECT_TRUE(MessageBeep(MB_SIMPLEBEEP));
}

} // namespace

namespace {

TEST(InputQuery, APersonTypesOnTheFormAndOkTakesTheText)
{
    struct Case {
        const char* what;
        const char* typed; // replaces the selected old text
        Qt::Key key;
        bool ok;
        const char* value;
    } cases[] = {
        {"OK by Enter", "42", Qt::Key_Return, true, "42"},
        {"Cancel by Escape", "42", Qt::Key_Escape, false, "open"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string value = "open";
        Later({[&] {
            TForm* form = ShownMessageForm();
            ASSERT_NE(form, nullptr);
            EXPECT_EQ(form->Caption(), "Enter command string");
            auto* prompt = dynamic_cast<TLabel*>(form->FindComponent("Prompt"));
            auto* edit = dynamic_cast<TEdit*>(form->FindComponent("Edit"));
            ASSERT_TRUE(prompt && edit);
            EXPECT_EQ(prompt->Caption(), "Command: ");
            EXPECT_EQ(edit->SelText(), "open");
            EXPECT_EQ(form->ActiveControl(), edit);
            kwtest::SavePicture(form->Peer(), "input-query.png");
            QTest::keyClicks(edit->Peer(), c.typed);
            QTest::keyClick(edit->Peer(), c.key);
        }});
        EXPECT_EQ(InputQuery("Enter command string", "Command: ", value), c.ok);
        EXPECT_EQ(value, c.value);
    }
    Later({[] { QTest::keyClick(ShownMessageForm()->ActiveControl()->Peer(), Qt::Key_Escape); }});
    EXPECT_EQ(InputBox("Name", "Name:", "untitled"), "untitled");
}

TEST(InputQuery, AWorkersQuestionIsShownByTheGuiThread)
{
    std::atomic<int> ok{-1};
    std::string value = "draft";
    std::thread worker([&] { ok = InputQuery("Rename", "Name:", value) ? 1 : 0; });
    AnswerWorkersForm(
        [](TForm* form) {
            EXPECT_EQ(form->Caption(), "Rename");
            // Widgets belong to the GUI thread; one made on the worker is
            // served by no loop and raced by both threads.
            EXPECT_EQ(form->Peer()->thread(), QCoreApplication::instance()->thread());
            auto* edit = dynamic_cast<TEdit*>(form->FindComponent("Edit"));
            ASSERT_NE(edit, nullptr);
            QTest::keyClicks(edit->Peer(), "final");
            QTest::keyClick(edit->Peer(), Qt::Key_Return);
        },
        [&] { return ok != -1; });
    worker.join();
    EXPECT_EQ(ok.load(), 1);
    EXPECT_EQ(value, "final");
}

TEST(InputQuery, AHookAnswersInsteadOfAPerson)
{
    const TInputQueryHook before =
        SetInputQueryHook([](const std::string& caption, const std::string& prompt, std::string& value) {
            value = caption + "|" + prompt + "|" + value;
            return value.size() < 20;
        });
    std::string value = "x";
    EXPECT_TRUE(InputQuery("C", "P", value));
    EXPECT_EQ(value, "C|P|x");
    // Cancelled: what the hook wrote is not taken.
    std::string kept = "a long value already";
    EXPECT_FALSE(InputQuery("C", "P", kept));
    EXPECT_EQ(kept, "a long value already");
    EXPECT_EQ(InputBox("C", "P", "d"), "C|P|d");
    SetInputQueryHook(before);
}

} // namespace

namespace {

// A box asked for inside a control's painting, or an exception raised there
// (which the boundary shows in a box): the paint is ended before the box's
// loop runs, and the painting that goes on afterwards has no context to
// draw on and draws nothing, instead of drawing on a painter the toolkit
// has ended.
class TBoxInPaint : public kwtest::TLoggingControl {
public:
    using TLoggingControl::TLoggingControl;
    bool Raise = false;
    bool Asked = false;
    bool ContextAfter = true;

protected:
    void Paint() override
    {
        if (Asked)
            return;
        Asked = true;
        if (Raise)
            throw Exception("Painting failed");
        ShowMessage("Painting");
        ContextAfter = PaintContext() != nullptr;
        // Drawing through the canvas afterwards reaches nothing.
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(TRect{0, 0, 10, 10});
        Canvas()->MoveTo(0, 0);
        Canvas()->LineTo(20, 20);
    }
};

TEST(MessageForm, ABoxOrAnExceptionInsideAPaintEndsThePaintFirst)
{
    for (const bool raise : {false, true}) {
        SCOPED_TRACE(raise ? "an exception" : "a box");
        kwtest::TestForm form;
        auto* control = Create<TBoxInPaint>(form.Get());
        control->Raise = raise;
        control->SetParent(form.Get());
        control->SetBounds(10, 10, 100, 60);
        bool answered = false;
        Later({[&] {
            TForm* box = ShownMessageForm();
            ASSERT_NE(box, nullptr);
            ButtonOf(box, "OK")->Click();
            answered = true;
        }});
        control->Repaint();
        kwtest::PumpUntil([&] { return answered && !ShownMessageForm(); }, 5000);
        EXPECT_TRUE(control->Asked);
        EXPECT_TRUE(answered);
        if (!raise) {
            EXPECT_FALSE(control->ContextAfter) << "the paint was ended before the box";
        }
        // The control paints again afterwards as any other.
        control->Invalidate();
        kwtest::Pump();
    }
}

} // namespace
