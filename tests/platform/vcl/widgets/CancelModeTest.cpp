// A form ending its modes before a popup takes the mouse, and hints whose
// lines break at CR as message boxes' do.

#include "WidgetTesting.h"
#include "vcl/widgets/ControlMessages.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHelpEvent>
#include <QToolTip>

namespace {

using namespace vcl;
using kwtest::Pump;
using kwtest::TLoggingControl;

TEST(CancelMode, TheFocusedControlHearsItAndTheCaptureEnds)
{
    struct Case {
        const char* name;
        bool focused;
        bool captured;
    };
    for (const Case& c : {Case{"focused", true, false}, Case{"captured", false, true},
                          Case{"both", true, true}, Case{"neither", false, false}}) {
        SCOPED_TRACE(c.name);
        kwtest::TestForm form;
        TLoggingControl* focus = Create<TLoggingControl>(form.Get());
        focus->SetParent(form.Get());
        focus->SetTabStop(true);
        TLoggingControl* other = Create<TLoggingControl>(form.Get());
        other->SetParent(form.Get());
        other->SetBounds(100, 0, 50, 50);
        form->Show();
        Pump();
        if (c.focused)
            focus->SetFocus();
        else
            form->SetActiveControl(nullptr);
        if (c.captured)
            SetCaptureControl(other);
        Pump();
        focus->Messages.clear();
        other->Messages.clear();
        form->SendCancelMode(other);
        int cancels = 0;
        for (const TMessage& m : focus->Messages)
            if (m.Msg == CM_CANCELMODE) {
                ++cancels;
                EXPECT_EQ(m.LParam, reinterpret_cast<LPARAM>(other));
            }
        EXPECT_EQ(cancels, c.focused ? 1 : 0);
        EXPECT_EQ(GetCaptureControl(), nullptr);
        SetCaptureControl(nullptr);
    }
}

TEST(Hints, TooltipLinesBreakAtCarriageReturns)
{
    struct Row {
        std::string hint;
        bool show;
        QString tooltip;
    };
    const Row rows[] = {
        {"TKwShellTree\r\rEnhanced tree", true, "TKwShellTree\n\nEnhanced tree"},
        {"one\r\ntwo\nthree", true, "one\ntwo\nthree"},
        {"no lines", true, "no lines"},
    };
    kwtest::TestForm form;
    TLoggingControl* control = Create<TLoggingControl>(form.Get());
    control->SetParent(form.Get());
    control->SetBounds(0, 0, 50, 50);
    form->Show();
    control->HandleNeeded();
    for (const Row& row : rows) {
        control->SetShowHint(row.show);
        control->SetHint(row.hint);
        QToolTip::hideText();
        const QPoint centre(25, 25);
        QHelpEvent help(QEvent::ToolTip, centre, control->Peer()->mapToGlobal(centre));
        QCoreApplication::sendEvent(control->Peer(), &help);
        EXPECT_EQ(QToolTip::text(), row.tooltip) << row.hint;
    }
    QToolTip::hideText();
}

} // namespace
