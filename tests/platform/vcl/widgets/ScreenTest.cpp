// The screen: the cursor over the whole application and its nesting, the
// list of forms, the active form and control with their events.

#include "WidgetTesting.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/WindowManager.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace vcl;
using kwtest::Pump;

// The shape shown over every window; -1 when each shows its own.
int OverrideShape()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : -1;
}

TEST(Screen, CursorShowsOverEveryWindowUntilSetBack)
{
    struct Step {
        TCursor set;
        int shape;
    };
    // Nested the framework's way: each caller sets back the value it found.
    const Step steps[] = {
        {crHourGlass, Qt::WaitCursor},
        {crHandPoint, Qt::PointingHandCursor},
        {crHourGlass, Qt::WaitCursor},
        {crDefault, -1},
        {crDefault, -1},
        {crSizeWE, Qt::SizeHorCursor},
        {crDefault, -1},
    };
    for (const Step& step : steps) {
        Screen()->SetCursor(step.set);
        EXPECT_EQ(Screen()->Cursor(), step.set);
        EXPECT_EQ(OverrideShape(), step.shape) << step.set;
    }
    // Only one override is ever on the toolkit's stack.
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Screen, CursorsOfTheApplicationsOwnNumbers)
{
    constexpr TCursor crMine = 5;
    EXPECT_EQ(win32::CursorShape(Screen()->Cursors(crHourGlass)), Qt::WaitCursor);
    EXPECT_EQ(win32::CursorShape(Screen()->Cursors(crMine)), Qt::ArrowCursor);
    Screen()->SetCursors(crMine, win32::CursorForShape(Qt::CrossCursor));
    Screen()->SetCursor(crMine);
    EXPECT_EQ(OverrideShape(), Qt::CrossCursor);
    Screen()->SetCursor(crDefault);
    Screen()->SetCursors(crMine, nullptr);
    EXPECT_EQ(win32::CursorShape(Screen()->Cursors(crMine)), Qt::ArrowCursor);
}

TEST(Screen, FormsFollowTheirMakingAndFreeing)
{
    const int before = Screen()->FormCount();
    TCustomForm* first = Create<TForm>(nullptr);
    TCustomForm* second = Create<TForm>(nullptr);
    ASSERT_EQ(Screen()->FormCount(), before + 2);
    EXPECT_EQ(Screen()->Forms(before), first);
    EXPECT_EQ(Screen()->Forms(before + 1), second);
    first->Free();
    ASSERT_EQ(Screen()->FormCount(), before + 1);
    EXPECT_EQ(Screen()->Forms(before), second);
    second->Free();
    EXPECT_EQ(Screen()->FormCount(), before);
    EXPECT_THROW(Screen()->Forms(before), EListError);
}

TEST(Screen, ActiveFormAndControlWithTheirEvents)
{
    std::vector<std::string> log;
    struct Listener {
        std::vector<std::string>& Log;
        void Form(TObject*)
        {
            Log.push_back("form:" + (Screen()->ActiveForm() ? Screen()->ActiveForm()->Name() : ""));
        }
        void Control(TObject*)
        {
            Log.push_back("control:" + (Screen()->ActiveControl() ? Screen()->ActiveControl()->Name() : ""));
        }
    } listener{log};
    Screen()->OnActiveFormChange = TNotifyEvent(&listener, &Listener::Form);
    Screen()->OnActiveControlChange = TNotifyEvent(&listener, &Listener::Control);
    TCustomForm* form = Create<TForm>(nullptr);
    form->SetName("Main");
    TEdit* a = Create<TEdit>(form);
    a->SetName("A");
    a->SetParent(form);
    TEdit* b = Create<TEdit>(form);
    b->SetName("B");
    b->SetParent(form);
    b->SetTop(40);
    form->Show();
    Pump();
    SendMessageA(form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    a->SetFocus();
    b->SetFocus();
    EXPECT_EQ(Screen()->ActiveForm(), form);
    EXPECT_EQ(Screen()->ActiveControl(), b);
    form->Free();
    Pump();
    EXPECT_EQ(Screen()->ActiveForm(), nullptr);
    Screen()->OnActiveFormChange = {};
    Screen()->OnActiveControlChange = {};
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log.front(), "form:Main");
    EXPECT_EQ(log[log.size() - 3], "control:A");
    EXPECT_EQ(log[log.size() - 2], "control:B");
    EXPECT_EQ(log.back(), "form:");
}

TEST(Screen, SizeIsThePrimaryScreens)
{
    const QRect geometry = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(Screen()->Width(), geometry.width());
    EXPECT_EQ(Screen()->Height(), geometry.height());
    EXPECT_GT(Screen()->WorkAreaHeight(), 0);
    EXPECT_LE(Screen()->WorkAreaHeight(), Screen()->Height());
}

} // namespace
