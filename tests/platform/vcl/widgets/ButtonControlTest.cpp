// The press, key and mnemonic handling check boxes and radio buttons share:
// a press released away from the button does nothing, the click comes
// before the mouse-up event, and a disabled button ignores its mnemonic.

#include "WidgetTesting.h"
#include "vcl/widgets/Buttons.h"
#include "vcl/widgets/RadioButton.h"

#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace vcl;
using kwtest::Pump;

struct EventLog : TObject {
    std::vector<std::string> Events;
    void Clicked(TObject*) { Events.push_back("click"); }
    void Released(TObject*, TMouseButton, TShiftState, int, int) { Events.push_back("up"); }
};

TEST(ButtonControls, APressReleasedOverItTogglesBeforeTheMouseUp)
{
    using Events = std::vector<std::string>;
    struct Kind {
        const char* Name;
        TButtonControl* (*Make)(TComponent* owner);
        // A second click: a check box unchecks, a radio button stays.
        bool SecondUnchecks;
    };
    const Kind kinds[] = {
        {"check box", [](TComponent* owner) -> TButtonControl* { return Create<TCheckBox>(owner); }, true},
        {"radio button", [](TComponent* owner) -> TButtonControl* { return Create<TRadioButton>(owner); },
         false},
    };
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.Name);
        kwtest::TestForm form;
        TButtonControl* button = k.Make(form.Get());
        button->SetParent(form.Get());
        button->SetBounds(10, 10, 150, 17);
        button->SetCaption("&Go");
        EventLog log;
        button->OnClick = {&log, &EventLog::Clicked};
        button->OnMouseUp = {&log, &EventLog::Released};
        Pump();

        QTest::mousePress(button->Peer(), Qt::LeftButton, {}, QPoint(5, 8));
        QTest::mouseRelease(button->Peer(), Qt::LeftButton, {}, QPoint(200, 8));
        Pump();
        EXPECT_TRUE(button->Focused());
        EXPECT_FALSE(button->Checked());
        EXPECT_EQ(log.Events, Events{"up"});

        log.Events.clear();
        QTest::mouseClick(button->Peer(), Qt::LeftButton, {}, QPoint(5, 8));
        Pump();
        EXPECT_TRUE(button->Checked());
        EXPECT_EQ(log.Events, (Events{"click", "up"}));

        log.Events.clear();
        QTest::mouseClick(button->Peer(), Qt::LeftButton, {}, QPoint(5, 8));
        Pump();
        EXPECT_EQ(button->Checked(), !k.SecondUnchecks);
        EXPECT_EQ(log.Events, k.SecondUnchecks ? (Events{"click", "up"}) : Events{"up"});

        log.Events.clear();
        button->SetChecked(false);
        button->SetEnabled(false);
        QTest::keyClick(form->Peer(), Qt::Key_G, Qt::AltModifier);
        Pump();
        EXPECT_FALSE(button->Checked());
        button->SetEnabled(true);
        QTest::keyClick(form->Peer(), Qt::Key_G, Qt::AltModifier);
        Pump();
        EXPECT_TRUE(button->Checked());
    }
}

} // namespace
