// Radio buttons (checked by click, space and mnemonic, one per parent),
// bevels in every shape, and the file-open dialog behind its hook and in
// Qt's own dialog.

#include "WidgetTesting.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Filer.h"
#include "vcl/widgets/Bevel.h"
#include "vcl/widgets/OpenDialog.h"
#include "vcl/widgets/RadioButton.h"

#include <QApplication>
#include <QFileDialog>

#include <gtest/gtest.h>

namespace {

using namespace vcl;
using kwtest::Pump;

struct ClickLog : TObject {
    std::vector<std::string> Clicks;
    void Clicked(TObject* sender) { Clicks.push_back(static_cast<TControl*>(sender)->Name()); }
};

TEST(RadioButton, OneCheckedPerParent)
{
    TOwnedPtr<TForm> form(Create<TForm>(nullptr));
    form->SetBounds(0, 0, 300, 200);
    ClickLog log;
    std::vector<TRadioButton*> radios;
    for (int i = 0; i < 3; ++i) {
        TRadioButton* radio = Create<TRadioButton>(form.get());
        radio->SetName("R" + std::to_string(i));
        radio->SetCaption(i == 2 ? "&Third" : "Choice");
        radio->SetBounds(8, 8 + 24 * i, 120, 17);
        radio->SetParent(form.get());
        radio->OnClick = TNotifyEvent(&log, &ClickLog::Clicked);
        radios.push_back(radio);
    }
    form->Show();
    kwtest::WaitExposed(form->Peer());

    struct Step {
        const char* Name;
        std::function<void()> Act;
        int Checked;
        std::vector<std::string> Clicks;
    };
    const std::vector<Step> steps{
        {"set", [&] { radios[1]->SetChecked(true); }, 1, {"R1"}},
        {"click", [&] { QTest::mouseClick(radios[0]->Peer(), Qt::LeftButton, {}, QPoint(5, 8)); }, 0, {"R0"}},
        {"click again",
         [&] { QTest::mouseClick(radios[0]->Peer(), Qt::LeftButton, {}, QPoint(5, 8)); },
         0,
         {}},
        {"space",
         [&] {
             radios[1]->SetFocus();
             QTest::keyClick(radios[1]->Peer(), Qt::Key_Space);
         },
         1,
         {"R1"}},
        {"mnemonic", [&] { QTest::keyClick(radios[1]->Peer(), Qt::Key_T, Qt::AltModifier); }, 2, {"R2"}},
        {"unchecked", [&] { radios[2]->SetChecked(false); }, -1, {}},
    };
    for (const Step& step : steps) {
        log.Clicks.clear();
        step.Act();
        Pump();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(radios[static_cast<std::size_t>(i)]->Checked(), i == step.Checked)
                << step.Name << " " << i;
        EXPECT_EQ(log.Clicks, step.Clicks) << step.Name;
    }
    radios[0]->SetChecked(true);
    kwtest::SavePicture(form->Peer(), "radio-buttons.png");
}

TEST(RadioButton, ReadCheckedWithoutAClick)
{
    RegisterClass(TRadioButton::StaticClass());
    TOwnedPtr<TForm> form(Create<TForm>(nullptr));
    ReadComponentFromText("object F: TForm\n  object A: TRadioButton\n    Checked = True\n  end\n"
                          "  object B: TRadioButton\n  end\nend\n",
                          form.get());
    auto* a = dynamic_cast<TRadioButton*>(form->FindComponent("A"));
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->Checked());
    EXPECT_TRUE(a->TabStop());
    EXPECT_NE(WriteComponentToText(form.get()).find("Checked = True"), std::string::npos);
}

TEST(Bevel, ShapesAndStyles)
{
    TOwnedPtr<TForm> form(Create<TForm>(nullptr));
    form->SetBounds(0, 0, 200, 100);
    form->SetColor(clBtnFace);
    TBevel* bevel = Create<TBevel>(form.get());
    bevel->SetBounds(10, 10, 40, 30);
    bevel->SetParent(form.get());
    form->Show();
    kwtest::WaitExposed(form->Peer());
    const QColor shadow(128, 128, 128);
    const QColor light(255, 255, 255);
    // Pixels (in the bevel) that show the first and the second colour.
    struct Case {
        TBevelShape Shape;
        QPoint First;
        QPoint Second;
    };
    const Case cases[] = {
        {bsBox, {5, 0}, {5, 29}},     {bsTopLine, {5, 0}, {5, 1}},     {bsBottomLine, {5, 28}, {5, 29}},
        {bsLeftLine, {0, 5}, {1, 5}}, {bsRightLine, {38, 5}, {39, 5}}, {bsFrame, {0, 5}, {1, 5}},
    };
    for (TBevelStyle style : {bsLowered, bsRaised})
        for (const Case& c : cases) {
            bevel->SetShape(c.Shape);
            bevel->SetStyle(style);
            Pump();
            const QImage image = form->Peer()->grab().toImage();
            const QColor first = style == bsLowered ? shadow : light;
            const QColor second = style == bsLowered ? light : shadow;
            EXPECT_EQ(QColor(image.pixel(c.First + QPoint(10, 10))), first) << c.Shape << " " << style;
            EXPECT_EQ(QColor(image.pixel(c.Second + QPoint(10, 10))), second) << c.Shape << " " << style;
        }
    bevel->SetShape(bsSpacer);
    Pump();
    const QImage spacer = form->Peer()->grab().toImage();
    EXPECT_EQ(QColor(spacer.pixel(10, 10)), QColor(spacer.pixel(5, 5)));
}

TOpenDialogRequest g_asked;
std::vector<std::string> g_answer;

bool Answer(TOpenDialogRequest& request)
{
    g_asked = request;
    request.Files = g_answer;
    request.ChosenFilter = 1;
    return !g_answer.empty();
}

TEST(OpenDialog, ExecuteThroughTheHook)
{
    EXPECT_EQ(FilterToNameFilters("Text (*.txt)|*.txt;*.text|All|*"),
              (std::vector<std::string>{"Text (*.txt) (*.txt *.text)", "All (*)"}));
    EXPECT_TRUE(FilterToNameFilters("").empty());
    EXPECT_EQ(FilterToNameFilters("Odd|*.a|Alone"), std::vector<std::string>{"Odd (*.a)"});

    const TOpenDialogHook before = SetOpenDialogHook(Answer);
    TOwnedPtr<TOpenDialog> dialog(Create<TOpenDialog>(nullptr));
    dialog->SetFilter("Text|*.txt|All|*");
    dialog->SetFilterIndex(2);
    dialog->SetOptions(TOpenOptions{ofAllowMultiSelect, ofFileMustExist});
    dialog->SetInitialDir("/tmp");
    dialog->Files()->Add("stale");
    g_answer = {"/tmp/a", "/tmp/b"};
    EXPECT_TRUE(dialog->Execute());
    EXPECT_EQ(g_asked.FilterIndex, 1);
    EXPECT_TRUE(g_asked.MultiSelect);
    EXPECT_EQ(g_asked.Title, "Open");
    EXPECT_EQ(g_asked.InitialDir, "/tmp");
    EXPECT_EQ(dialog->Files()->Count(), 2);
    EXPECT_EQ(dialog->FileName(), "/tmp/a");
    EXPECT_EQ(dialog->FilterIndex(), 2);
    g_answer.clear();
    EXPECT_FALSE(dialog->Execute());
    EXPECT_EQ(dialog->Files()->Count(), 0);
    EXPECT_EQ(dialog->FileName(), "/tmp/a");
    SetOpenDialogHook(before);
}

TEST(OpenDialog, QtsDialogByDefault)
{
    kwtest::TempDir dir;
    TOwnedPtr<TOpenDialog> dialog(Create<TOpenDialog>(nullptr));
    dialog->SetTitle("Pick one");
    dialog->SetInitialDir(dir.Path());
    bool seen = false;
    kwtest::Later({[&] {
        auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        seen = shown->windowTitle() == "Pick one" && shown->testOption(QFileDialog::DontUseNativeDialog);
        kwtest::SavePicture(shown, "open-dialog.png");
        QTest::keyClick(shown, Qt::Key_Escape);
    }});
    EXPECT_FALSE(dialog->Execute());
    EXPECT_TRUE(seen);
}

} // namespace
