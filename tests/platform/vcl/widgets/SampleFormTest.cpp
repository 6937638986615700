// A form of the kind the system's dialogs are, read from a text form file:
// nested aligned panels, a label with its focus control, an edit, a default
// and a cancel button, a popup menu on a panel and a main menu. It is shown
// offscreen and pictured, works by keyboard, and is written back as it was
// read.

#include "WidgetTesting.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Filer.h"
#include "vcl/core/Publish.h"
#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/Menus.h"
#include "vcl/widgets/StdCtrls.h"

#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace vcl;
using kwtest::Pump;

class TSampleForm : public TForm {
    VCL_DECLARE_PUBLISHED_CLASS(TSampleForm, TForm)
public:
    explicit TSampleForm(TComponent* owner) : TForm(owner) {}

    TPanel* HeaderPanel = nullptr;
    TPanel* ClientPanel = nullptr;
    TPanel* NamePanel = nullptr;
    TLabel* NameLbl = nullptr;
    TEdit* NameEdt = nullptr;
    TPanel* ButtonPanel = nullptr;
    TButton* OkBtn = nullptr;
    TButton* CancelBtn = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    std::vector<std::string> Log;

    void NameEdtChange(TObject*) { Log.push_back("change:" + NameEdt->Text()); }
    void SelectAll1Click(TObject*)
    {
        NameEdt->SelectAll();
        Log.push_back("select all");
    }
    void Rename1Click(TObject*) { Log.push_back("rename"); }
    void Exit1Click(TObject*) { Close(); }

protected:
    ~TSampleForm() override = default;
};

const TClassRtti& TSampleForm::PublishedTable()
{
    static const TClassRtti table = Publish<TSampleForm>()
                                        .Field<&TSampleForm::HeaderPanel>("HeaderPanel")
                                        .Field<&TSampleForm::ClientPanel>("ClientPanel")
                                        .Field<&TSampleForm::NamePanel>("NamePanel")
                                        .Field<&TSampleForm::NameLbl>("NameLbl")
                                        .Field<&TSampleForm::NameEdt>("NameEdt")
                                        .Field<&TSampleForm::ButtonPanel>("ButtonPanel")
                                        .Field<&TSampleForm::OkBtn>("OkBtn")
                                        .Field<&TSampleForm::CancelBtn>("CancelBtn")
                                        .Field<&TSampleForm::MainMenu1>("MainMenu1")
                                        .Field<&TSampleForm::PopupMenu1>("PopupMenu1")
                                        .Method<&TSampleForm::NameEdtChange>("NameEdtChange")
                                        .Method<&TSampleForm::SelectAll1Click>("SelectAll1Click")
                                        .Method<&TSampleForm::Rename1Click>("Rename1Click")
                                        .Method<&TSampleForm::Exit1Click>("Exit1Click");
    return table;
}

std::string SampleText()
{
    const auto path = std::filesystem::path(KW_TEST_DATA_DIR) / "vcl/SampleForm.txt";
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The sample read into a form of its class.
TSampleForm* LoadSample()
{
    RegisterClasses({TPanel::StaticClass(), TLabel::StaticClass(), TEdit::StaticClass(),
                     TButton::StaticClass(), TMainMenu::StaticClass(), TPopupMenu::StaticClass(),
                     TMenuItem::StaticClass()});
    TSampleForm* form = Create<TSampleForm>(nullptr);
    ReadComponentFromText(SampleText(), form);
    return form;
}

TEST(SampleForm, ReadShownAndPictured)
{
    TOwnedPtr<TSampleForm> form(LoadSample());
    ASSERT_NE(form->NameEdt, nullptr);
    ASSERT_NE(form->PopupMenu1, nullptr);
    EXPECT_EQ(form->NameLbl->FocusControl(), form->NameEdt);
    EXPECT_EQ(form->ClientPanel->PopupMenu(), form->PopupMenu1);
    EXPECT_EQ(form->Menu(), form->MainMenu1);
    EXPECT_EQ(form->NamePanel->Parent(), form->ClientPanel);
    form->Show();
    Pump();
    // The panels share the client area below the menu bar.
    const int bar = form->Height() - form->ClientHeight();
    EXPECT_GT(bar, 15);
    EXPECT_EQ(form->HeaderPanel->Top(), 0);
    EXPECT_EQ(form->ButtonPanel->Top() + form->ButtonPanel->Height(), form->ClientHeight());
    EXPECT_EQ(form->ClientPanel->Top(), form->HeaderPanel->Height());
    EXPECT_EQ(form->ClientPanel->Top() + form->ClientPanel->Height(), form->ButtonPanel->Top());
    EXPECT_EQ(form->NamePanel->BoundsRect(),
              (TRect{8, 8, form->ClientPanel->Width() - 8, form->ClientPanel->Height() - 8}));
    // Stored as the designer stores it: the client size below the menu bar,
    // the form's colour on screen, the menus' places on the designer's form.
    EXPECT_EQ(form->ClientWidth(), 400);
    EXPECT_EQ(form->ClientHeight(), 238);
    EXPECT_EQ(form->Color(), clBtnFace);
    EXPECT_EQ(form->PixelsPerInch(), 96);
    EXPECT_EQ(form->TextHeight(), 13);
    EXPECT_EQ(form->MainMenu1->DesignInfo(), (200 << 16) | 8);
    EXPECT_EQ(form->PopupMenu1->DesignInfo(), (200 << 16) | 40);
    const QImage shown = form->Peer()->grab().toImage();
    const QPoint inButtons = form->ButtonPanel->Peer()->mapTo(form->Peer(), QPoint(4, 4));
    const COLORREF face = ColorToRGB(clBtnFace);
    EXPECT_EQ(QColor(shown.pixel(inButtons)), QColor(GetRValue(face), GetGValue(face), GetBValue(face)));
    // The active control has the focus, with its text selected.
    EXPECT_TRUE(form->NameEdt->Focused());
    EXPECT_EQ(form->NameEdt->SelText(), "New Folder");
    kwtest::SavePicture(form->Peer(), "sample-form.png");
}

TEST(SampleForm, WorksByKeyboard)
{
    TOwnedPtr<TSampleForm> form(LoadSample());
    form->Show();
    Pump();
    QWidget* edit = form->NameEdt->Peer();
    QTest::keyClicks(edit, "Docs");
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier); // the main menu's Select All
    QTest::keyClick(edit, Qt::Key_F2);                     // the panel's popup menu's Rename
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(form->OkBtn->Focused());
    QTest::keyClick(form->OkBtn->Peer(), Qt::Key_N, Qt::AltModifier); // the label's mnemonic
    EXPECT_TRUE(form->NameEdt->Focused());
    EXPECT_EQ(form->Log, (std::vector<std::string>{"change:D", "change:Do", "change:Doc", "change:Docs",
                                                   "select all", "rename"}));
    form->Hide();
    // Enter clicks the default button, Escape the cancel one.
    for (auto [key, result] : {std::pair{Qt::Key_Return, mrOk}, std::pair{Qt::Key_Escape, mrCancel}}) {
        QTimer::singleShot(20, [&form, key = key] { QTest::keyClick(form->NameEdt->Peer(), key); });
        EXPECT_EQ(form->ShowModal(), result);
    }
}

TEST(SampleForm, WrittenBackAsItWasRead)
{
    TOwnedPtr<TSampleForm> form(LoadSample());
    const std::string written = WriteComponentToText(form.get());
    EXPECT_EQ(written, SampleText());
    // Read again from what was written, it is written the same.
    TOwnedPtr<TSampleForm> again(Create<TSampleForm>(nullptr));
    ReadComponentFromText(written, again.get());
    EXPECT_EQ(WriteComponentToText(again.get()), written);
}

} // namespace
