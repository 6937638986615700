// Speed buttons (groups, glyphs and their form-file data, hints) and check
// boxes, clicked for real on an offscreen form.

#include "vcl/widgets/Buttons.h"

#include "WidgetTesting.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Filer.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/Forms.h"
#include "win32/VirtualKeys.h"

#include <QBuffer>
#include <QHelpEvent>
#include <QToolTip>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace vcl;
using kwtest::Pump;

struct Clicks {
    int Count = 0;
    void Clicked(TObject*) { ++Count; }
};

QPoint Centre(const TControl* control)
{
    return {control->Left() + control->Width() / 2, control->Top() + control->Height() / 2};
}

TEST(SpeedButtons, GroupsKeepOneDown)
{
    kwtest::TestForm form(300, 100);
    Clicks clicks;
    std::vector<TSpeedButton*> buttons;
    // 0 and 1: a group without AllowAllUp; 2: a group of its own that
    // allows all up; 3: no group.
    const int groups[] = {1, 1, 2, 0};
    for (int i = 0; i < 4; ++i) {
        auto* button = Create<TSpeedButton>(form.Get());
        button->SetParent(form.Get());
        button->SetBounds(10 + i * 30, 10, 23, 22);
        button->SetGroupIndex(groups[i]);
        button->OnClick = {&clicks, &Clicks::Clicked};
        buttons.push_back(button);
    }
    buttons[2]->SetAllowAllUp(true);
    buttons[0]->SetDown(true);
    Pump();
    struct Step {
        const char* What;
        int Click; // the button clicked, or -1
        int SetUp; // the button told Down := false, or -1
        bool Down[4];
    };
    const Step steps[] = {
        {"the other of the group goes down", 1, -1, {false, true, false, false}},
        {"clicked again it stays down", 1, -1, {false, true, false, false}},
        {"told up it stays down", -1, 1, {false, true, false, false}},
        {"AllowAllUp: down", 2, -1, {false, true, true, false}},
        {"AllowAllUp: up again", 2, -1, {false, true, false, false}},
        {"no group never stays down", 3, -1, {false, true, false, false}},
    };
    int expectedClicks = 0;
    for (const Step& s : steps) {
        if (s.Click >= 0) {
            QTest::mouseClick(form->Peer(), Qt::LeftButton, {}, Centre(buttons[s.Click]));
            ++expectedClicks;
        }
        if (s.SetUp >= 0)
            buttons[s.SetUp]->SetDown(false);
        Pump();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(buttons[i]->Down(), s.Down[i]) << s.What << ", button " << i;
    }
    EXPECT_EQ(clicks.Count, expectedClicks);
    // A press that leaves the button before the release is no click.
    QTest::mousePress(form->Peer(), Qt::LeftButton, {}, Centre(buttons[0]));
    QTest::mouseMove(form->Peer(), QPoint(280, 80));
    QTest::mouseRelease(form->Peer(), Qt::LeftButton, {}, QPoint(280, 80));
    Pump();
    EXPECT_EQ(clicks.Count, expectedClicks);
    EXPECT_FALSE(buttons[0]->Down());
}

// Two 16x16 glyphs side by side: red and blue on a white background
// (the bottom-left pixel), a white border of one pixel.
QImage TwoGlyphs()
{
    QImage image(32, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 1; y < 15; ++y) {
        for (int x = 1; x < 15; ++x) {
            image.setPixelColor(x, y, Qt::red);
            image.setPixelColor(16 + x, y, Qt::blue);
        }
    }
    return image;
}

TEST(SpeedButtons, TheGlyphShownFollowsTheStateAndItsBackgroundIsClear)
{
    kwtest::TestForm form;
    auto* button = Create<TSpeedButton>(form.Get());
    button->SetParent(form.Get());
    TOwnedPtr<TBitmap> glyph(Create<TBitmap>());
    glyph->LoadFromImage(TwoGlyphs());
    button->SetGlyph(glyph.get());
    struct Case {
        const char* What;
        int NumGlyphs;
        bool Enabled;
        QColor Centre;
    };
    const Case cases[] = {
        {"two glyphs, enabled: the first", 2, true, Qt::red},
        {"two glyphs, disabled: the second", 2, false, Qt::blue},
        {"one glyph, enabled: all of it", 1, true, Qt::red},
        {"one glyph, disabled: greyed", 1, false, QColor(171, 171, 171)},
    };
    for (const Case& c : cases) {
        button->SetNumGlyphs(c.NumGlyphs);
        button->SetEnabled(c.Enabled);
        const QImage shown = button->GlyphImage(button->ShownGlyph());
        ASSERT_FALSE(shown.isNull()) << c.What;
        EXPECT_EQ(shown.width(), c.NumGlyphs == 2 ? 16 : 32) << c.What;
        EXPECT_EQ(shown.pixelColor(7, 7).rgb(), c.Centre.rgb()) << c.What;
        EXPECT_EQ(shown.pixelColor(0, 15).alpha(), 0) << c.What;
    }
}

std::string Hex(const QByteArray& bytes)
{
    return bytes.toHex().toUpper().toStdString();
}

TEST(SpeedButtons, AGlyphIsKeptInTheFormFileAsPngBytes)
{
    RegisterClasses({TForm::StaticClass(), TSpeedButton::StaticClass()});
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    TwoGlyphs().save(&buffer, "PNG");
    const std::string text = "object Host: TForm\n"
                             "  object UpBtn: TSpeedButton\n"
                             "    Left = 4\n"
                             "    Top = 4\n"
                             "    Width = 23\n"
                             "    Height = 22\n"
                             "    GroupIndex = 1\n"
                             "    Down = True\n"
                             "    Caption = 'Up'\n"
                             "    Glyph.Data = {" +
                             Hex(png) +
                             "}\n"
                             "    NumGlyphs = 2\n"
                             "  end\n"
                             "end\n";
    TOwnedPtr<TComponent> root(ReadComponentFromText(text, nullptr));
    auto* button = dynamic_cast<TSpeedButton*>(root->FindComponent("UpBtn"));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(button->NumGlyphs(), 2);
    EXPECT_EQ(button->Glyph()->Width(), 32);
    EXPECT_EQ(button->Glyph()->ToImage().pixelColor(20, 7).rgb(), QColor(Qt::blue).rgb());
    // Written back and read again, the same picture.
    const std::string written = WriteComponentToText(root.get());
    EXPECT_NE(written.find("Glyph.Data = {"), std::string::npos);
    EXPECT_NE(written.find("Down = True"), std::string::npos);
    TOwnedPtr<TComponent> again(ReadComponentFromText(written, nullptr));
    auto* copy = dynamic_cast<TSpeedButton*>(again->FindComponent("UpBtn"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Glyph()->ToImage(), button->Glyph()->ToImage());
    // Bytes that are no picture are refused.
    std::string broken = text;
    broken.replace(broken.find("Glyph.Data = {") + 14, 8, "00112233");
    EXPECT_THROW(ReadComponentFromText(broken, nullptr), EReadError);
}

TEST(Hints, TheShortPartIsTheTipAndTheLongPartTheApplicationsHint)
{
    struct Case {
        const char* Hint;
        const char* Short;
        const char* Long;
    };
    const Case cases[] = {
        {"List|Displays items in a list.", "List", "Displays items in a list."},
        {"Show Desktop", "Show Desktop", "Show Desktop"},
        {"|only long", "", "only long"},
        {"a|b|c", "a", "b|c"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetShortHint(c.Hint), c.Short) << c.Hint;
        EXPECT_EQ(GetLongHint(c.Hint), c.Long) << c.Hint;
    }
    // Over a graphic child the form shows that child's hint.
    kwtest::TestForm form;
    auto* button = Create<TSpeedButton>(form.Get());
    button->SetParent(form.Get());
    button->SetBounds(10, 10, 23, 22);
    button->SetHint("Details|Displays information about each item in the window.");
    button->SetShowHint(true);
    QHelpEvent help(QEvent::ToolTip, Centre(button), form->Peer()->mapToGlobal(Centre(button)));
    QCoreApplication::sendEvent(form->Peer(), &help);
    EXPECT_EQ(QToolTip::text().toStdString(), "Details");
    EXPECT_EQ(Application()->Hint(), "Displays information about each item in the window.");
    QToolTip::hideText();
}

TEST(CheckBoxes, AClickSpaceAndTheMnemonicToggle)
{
    kwtest::TestForm form;
    auto* box = Create<TCheckBox>(form.Get());
    box->SetParent(form.Get());
    box->SetBounds(10, 10, 150, 17);
    box->SetCaption("Open as &read-only");
    Clicks clicks;
    box->OnClick = {&clicks, &Clicks::Clicked};
    Pump();
    struct Step {
        const char* What;
        std::function<void()> Act;
        bool Checked;
        int Clicks;
    };
    const Step steps[] = {
        {"a click checks", [&] { QTest::mouseClick(box->Peer(), Qt::LeftButton, {}, QPoint(5, 8)); }, true,
         1},
        {"Space unchecks", [&] { QTest::keyClick(box->Peer(), Qt::Key_Space); }, false, 2},
        {"Alt+R checks", [&] { QTest::keyClick(form->Peer(), Qt::Key_R, Qt::AltModifier); }, true, 3},
        {"set to what it is: no click", [&] { box->SetChecked(true); }, true, 3},
        {"set from code: a click", [&] { box->SetChecked(false); }, false, 4},
    };
    for (const Step& s : steps) {
        s.Act();
        Pump();
        EXPECT_EQ(box->Checked(), s.Checked) << s.What;
        EXPECT_EQ(clicks.Count, s.Clicks) << s.What;
    }
}

} // namespace
