// The main form from its form file, driven with real input: its pages and
// their buttons, the custom-drawn tree, the run-time menus and the dialogs'
// runs (their modal loops driven from inside, message boxes by script).

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "FExplorer.h"
#include "FKwFolderBrowseDlg.h"
#include "FKwOpenDlg.h"
#include "FMain.h"
#include "KwCorvanePackage.h"
#include "MessageBoxScript.h"
#include "PlatformTestSupport.h"
#include "vcl/core/UnitRegistry.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/Menus.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace vcl;
using demo::TFrmMain;
using kwtest::Pump;
using kwtest::PumpUntil;

namespace fs = std::filesystem;

QRgb Rgb(TColor colour)
{
    const COLORREF c = ColorToRGB(colour);
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

class MainForm : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        kw::RegisterPackageUnits();
        vcl::RegisterUnit({"FExplorer", &demo::FExplorerInitialization, &demo::FExplorerFinalization});
        vcl::RegisterUnit({"FMain", &demo::FMainInitialization, &demo::FMainFinalization});
        vcl::InitializeUnits();
        InstallMenus();
    }

    kwtest::TempDir Root;
    kwtest::ScopedEnv Home{"HOME", Root.Path()};
    kwtest::ScopedRegistryHome Registry;
    struct Directory {
        fs::path Was = fs::current_path();
        ~Directory() { fs::current_path(Was); }
    } directory;
    TFrmMain* Form = nullptr;

    void SetUp() override
    {
        for (const char* name : {"notes.txt", "plan.txt"})
            kwtest::WriteFile(Root / name, name);
        fs::create_directory(Root / "Projects");
        fs::current_path(Root.Path());
        Form = Create<TFrmMain>(nullptr);
        Form->Show();
        kwtest::WaitExposed(Form->Peer());
    }
    void TearDown() override
    {
        Free(Form);
        Pump();
    }

    void Click(TControl* control)
    {
        QWidget* widget = control->Parent()->Peer();
        const TRect r = control->BoundsRect();
        QPoint at((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
            widget = windowed->Peer();
            at = QPoint(windowed->Width() / 2, windowed->Height() / 2);
        }
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
        Pump();
    }
    QWidget* TreeViewport() const
    {
        return static_cast<QAbstractScrollArea*>(Form->KwTreeView1->Peer())->viewport();
    }
    QPoint LabelCentre(int index) const
    {
        const TRect r = Form->KwTreeView1->Items()->Item(index)->DisplayRect(true);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    // A point of the node's label that lies outside its text's ink.
    QRgb LabelBackground(const QImage& image, int index) const
    {
        const TRect r = Form->KwTreeView1->Items()->Item(index)->DisplayRect(true);
        return image.pixel(r.left + 1, r.top + 1);
    }
    QImage Tree(const std::string& name)
    {
        Form->KwTreeView1->Repaint();
        Pump();
        return kwtest::SavePicture(TreeViewport(), name);
    }
    // The dialog form of type T while it is shown.
    template <class T>
    static T* Shown()
    {
        for (int i = 0; i < Screen()->FormCount(); ++i)
            if (auto* form = dynamic_cast<T*>(Screen()->Forms(i)); form && form->Visible())
                return form;
        return nullptr;
    }
    template <class T>
    static void WhenShown(std::function<void(T*)> act)
    {
        kwtest::Later({[act] {
            PumpUntil([] { return Shown<T>() != nullptr; });
            T* form = Shown<T>();
            if (!form) {
                ADD_FAILURE() << "no dialog shown";
                return;
            }
            kwtest::WaitExposed(form->Peer());
            act(form);
        }});
    }
};

TEST_F(MainForm, TenPagesWithNextAndBackWrappingRound)
{
    EXPECT_EQ(Form->Caption(), "Corvane Demo");
    EXPECT_EQ(Form->ClientWidth(), 427);
    EXPECT_EQ(Form->ClientHeight(), 291);
    const std::vector<std::string> captions{
        "Welcome",      "Overview",         "Explorer",        "Open Dialog", "Folder Browser",
        "List Control", "Custom Draw Tree", "Splitter Panels", "Image Combo", "Extra"};
    TPageControl* pages = Form->PageControl1;
    ASSERT_EQ(pages->PageCount(), 10);
    EXPECT_EQ(pages->ActivePage(), Form->WelcomeTsh);
    EXPECT_NE(Form->OverviewRchtxt->PlainText().find("Corvane at a glance"), std::string::npos);
    EXPECT_EQ(Form->VersionTxt->Caption(), "Version 1.6");
    EXPECT_EQ(Form->KwImageCombo1->ItemIndex(), 0);
    EXPECT_EQ(Form->KwImageCombo2->ItemIndex(), 1);

    // Enter goes to the page's default button, Next, all the way round.
    for (int step = 0; step <= 10; ++step) {
        const int index = step % 10;
        ASSERT_EQ(pages->ActivePageIndex(), index) << "step " << step;
        EXPECT_EQ(pages->Pages(index)->Caption(), captions[static_cast<std::size_t>(index)]);
        if (step < 10)
            kwtest::SavePicture(Form->Peer(), "demo-main-page-" + std::to_string(index) + ".png");
        QTest::keyClick(Form->Peer()->focusWidget() ? Form->Peer()->focusWidget() : Form->Peer(),
                        Qt::Key_Return);
        Pump();
    }
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    // Back from the second page, then Next's wrap backwards from the first
    // by Back on the last.
    Click(Form->BackBtn2);
    EXPECT_EQ(pages->ActivePage(), Form->WelcomeTsh);
    pages->SetActivePage(Form->TabSheet8);
    Click(Form->NextBtn10);
    EXPECT_EQ(pages->ActivePage(), Form->WelcomeTsh);
    pages->SetActivePage(Form->TabSheet8);
    Click(Form->BackBtn10);
    EXPECT_EQ(pages->ActivePage(), Form->TabSheet4);
}

TEST_F(MainForm, WelcomeGradientAndToolbarPicture)
{
    const QImage image = kwtest::SavePicture(Form->Peer(), "demo-main-welcome.png");
    const QPoint origin = Form->PaintBox1->Parent()->Peer()->mapTo(Form->Peer(), QPoint(0, 0));
    // Blue at the top, white at the bottom, at the left edge past the
    // labels.
    const QRgb top = image.pixel(origin + QPoint(2, 1));
    EXPECT_LE(qRed(top), 8);
    EXPECT_EQ(qBlue(top), 255);
    const QRgb bottom = image.pixel(origin + QPoint(2, Form->PaintBox1->Height() - 2));
    EXPECT_GE(qRed(bottom), 250);
    EXPECT_GE(qGreen(bottom), 250);
    // The splitter page's copy of the toolbar shows the button face where
    // the picture is fuchsia.
    const QImage copy = Form->Image1->Picture()->Bitmap()->ToImage();
    const QImage toolbar = Form->ToolbarImg->Picture()->Bitmap()->ToImage();
    ASSERT_EQ(copy.size(), toolbar.size());
    int fuchsia = 0;
    for (int y = 0; y < toolbar.height(); ++y)
        for (int x = 0; x < toolbar.width(); ++x)
            if ((toolbar.pixel(x, y) & 0xFFFFFF) == 0xFF00FF) {
                ++fuchsia;
                EXPECT_EQ(copy.pixel(x, y), Rgb(clBtnFace)) << x << "," << y;
            }
    EXPECT_GT(fuchsia, 0);
    Form->PageControl1->SetActivePage(Form->SplitterTsh);
    Pump();
    kwtest::SavePicture(Form->Peer(), "demo-main-splitters.png");
}

TEST_F(MainForm, CustomDrawTreeButtons)
{
    Form->PageControl1->SetActivePage(Form->KwTreeTsh);
    Pump();
    TTreeNodes* items = Form->KwTreeView1->Items();
    ASSERT_EQ(items->Count(), 7);
    const std::vector<std::string> texts{"Fruit", "Apple",    "Pear",       "Guava",
                                         "Dogs",  "Shih Tzu", "Jack Russel"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(items->Item(i)->Text(), texts[static_cast<std::size_t>(i)]);

    Click(Form->ClickMe1Btn);
    QImage image = Tree("demo-main-tree-click-me.png");
    for (int i = 1; i < 5; ++i) {
        const demo::TTreePreset& preset = demo::TreePresets()[static_cast<std::size_t>(i)];
        EXPECT_EQ(LabelBackground(image, i), Rgb(preset.BackColor)) << "row " << i;
        EXPECT_EQ(Form->GetNodeData(items->Item(i))->Font()->Color(), preset.FontColor) << "row " << i;
    }
    EXPECT_TRUE(Form->GetNodeData(items->Item(3))->Font()->Style().Contains(fsStrikeOut));

    Click(Form->ResetBtn);
    image = Tree("demo-main-tree-reset.png");
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(LabelBackground(image, i), Rgb(Form->KwTreeView1->Color())) << "row " << i;

    // B, I and U on the selected node, and back up on a node without them.
    kwtest::ClickAwaited(TreeViewport(), LabelCentre(1));
    ASSERT_EQ(Form->KwTreeView1->Selected(), items->Item(1));
    const struct {
        TSpeedButton* Button;
        TFontStyle Style;
    } styles[] = {{Form->BoldBtn, fsBold}, {Form->ItalicBtn, fsItalic}, {Form->UnderlineBtn, fsUnderline}};
    for (const auto& s : styles) {
        Click(s.Button);
        EXPECT_TRUE(s.Button->Down());
        EXPECT_TRUE(Form->GetNodeData(items->Item(1))->Font()->Style().Contains(s.Style));
    }
    Tree("demo-main-tree-biu.png");
    kwtest::ClickAwaited(TreeViewport(), LabelCentre(2));
    for (const auto& s : styles)
        EXPECT_FALSE(s.Button->Down());
    kwtest::ClickAwaited(TreeViewport(), LabelCentre(1));
    for (const auto& s : styles)
        EXPECT_TRUE(s.Button->Down());
    Click(Form->BoldBtn);
    EXPECT_FALSE(Form->GetNodeData(items->Item(1))->Font()->Style().Contains(fsBold));

    // Animate: the row at the animation's index is a gradient from blue at
    // the left to white at the right, with no text; each step moves it.
    Click(Form->EnableTimerBtn);
    EXPECT_TRUE(Form->Timer1->Enabled());
    EXPECT_TRUE(Form->EnableTimerBtn->Down());
    // The steps are taken by hand below; the timer's own, every 250 ms, would
    // move the row while a picture is taken on a busy machine.
    Form->Timer1->SetInterval(3600000);
    for (const int expected : {0, 1, 2}) {
        ASSERT_EQ(Form->Animation().Index, expected);
        image = Tree("demo-main-tree-animate-" + std::to_string(expected) + ".png");
        const TRect row = items->Item(expected)->DisplayRect(false);
        const int y = (row.top + row.bottom) / 2;
        const QRgb left = image.pixel(row.left + 1, y);
        EXPECT_LE(qRed(left), 8) << expected;
        EXPECT_EQ(qBlue(left), 255) << expected;
        const QRgb right = image.pixel(row.right - 2, y);
        EXPECT_GE(qRed(right), 240) << expected;
        EXPECT_GE(qBlue(right), 250) << expected;
        Form->Timer1Timer(Form->Timer1);
    }
    Click(Form->EnableTimerBtn);
    EXPECT_FALSE(Form->Timer1->Enabled());
    EXPECT_FALSE(Form->EnableTimerBtn->Down());
}

TEST_F(MainForm, NodeMenusMadeAtRunTime)
{
    Form->PageControl1->SetActivePage(Form->KwTreeTsh);
    Pump();
    kwtest::MessageBoxScript boxes;
    struct Case {
        int Node;
        bool Choose;
        std::string Menu, Item;
    };
    const Case cases[] = {{1, false, "Menu0", "MItem0"}, {2, true, "Menu1", "MItem1"}};
    for (const Case& c : cases) {
        std::string seenMenu, seenItem, caption;
        // Polled from the event loop, without a loop of its own: the menu's
        // loop runs inside the click.
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup)
                return;
            poll.stop();
            if (auto* menu = dynamic_cast<TPopupMenu*>(Form->FindComponent(c.Menu))) {
                seenMenu = menu->Name();
                seenItem = menu->Items()->Items(0)->Name();
                caption = menu->Items()->Items(0)->Caption();
            }
            kwtest::SavePicture(popup, "demo-main-node-menu-" + std::to_string(c.Node) + ".png");
            if (c.Choose) {
                QTest::keyClick(popup, Qt::Key_Down);
                QTest::keyClick(popup, Qt::Key_Return);
            } else {
                QTest::keyClick(popup, Qt::Key_Escape);
            }
        });
        poll.start();
        kwtest::RightClickAt(TreeViewport(), LabelCentre(c.Node));
        PumpUntil([&] { return Form->FindComponent(c.Menu) == nullptr; });
        Pump();
        EXPECT_EQ(seenMenu, c.Menu);
        EXPECT_EQ(seenItem, c.Item);
        EXPECT_EQ(caption, Form->KwTreeView1->Items()->Item(c.Node)->Text());
        EXPECT_EQ(Form->FindComponent(c.Menu), nullptr) << "the menu goes after its run";
    }
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().Text, "You clicked \"Pear\"");
    EXPECT_EQ(Form->MenuCounter(), 2);
}

TEST_F(MainForm, TheExplorerIsMadeOnceAndShownAgain)
{
    Form->PageControl1->SetActivePage(Form->ExplorerTsh);
    Pump();
    ASSERT_EQ(demo::FrmExplorer, nullptr);
    Click(Form->Button1);
    demo::TFrmExplorer* explorer = demo::FrmExplorer;
    ASSERT_NE(explorer, nullptr);
    EXPECT_EQ(explorer->Owner(), Form);
    EXPECT_TRUE(explorer->Visible());
    kwtest::WaitExposed(explorer->Peer());
    kwtest::SavePicture(explorer->Peer(), "demo-main-explorer.png");
    QTest::keyClick(explorer->Peer(), Qt::Key_Escape);
    Pump();
    EXPECT_FALSE(explorer->Visible()) << "closing hides it";
    Click(Form->Button1);
    EXPECT_EQ(demo::FrmExplorer, explorer);
    EXPECT_TRUE(explorer->Visible());
    // It goes with the main form.
    Free(Form);
    Form = nullptr;
    EXPECT_EQ(demo::FrmExplorer, nullptr);
}

TEST_F(MainForm, OpenDialogRunsTypedAndCancelled)
{
    Form->PageControl1->SetActivePage(Form->OpenDialogTsh);
    Pump();
    const std::string chosen = Root / "notes.txt";
    WhenShown<kw::TKwFrmOpenDlg>([chosen](kw::TKwFrmOpenDlg* dialog) {
        kwtest::SavePicture(dialog->Peer(), "demo-main-open-dialog.png");
        QWidget* edit = dialog->FileNameEdt->Peer();
        QTest::keyClicks(edit, QString::fromStdString(chosen));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    Click(Form->TestOpenDlgBtn);
    EXPECT_EQ(Form->Edit1->Text(), chosen);

    WhenShown<kw::TKwFrmOpenDlg>(
        [](kw::TKwFrmOpenDlg* dialog) { QTest::keyClick(dialog->FileNameEdt->Peer(), Qt::Key_Escape); });
    Click(Form->TestOpenDlgBtn);
    EXPECT_EQ(Form->Edit1->Text(), chosen) << "a cancelled dialog changes nothing";
}

TEST_F(MainForm, FolderDialogAndBaseFolder)
{
    Form->PageControl1->SetActivePage(Form->FolderBrowseTsh);
    Pump();
    kwtest::MessageBoxScript boxes;
    std::string status;
    WhenShown<kw::TKwFrmFolderBrowseDlg>([&status](kw::TKwFrmFolderBrowseDlg* dialog) {
        status = dialog->GetStatus();
        kwtest::SavePicture(dialog->Peer(), "demo-main-folder-dialog.png");
        QTest::keyClick(dialog->OkBtn->Peer(), Qt::Key_Return);
    });
    Click(Form->FolderBrowseBtn);
    // The status follows the selection: the current folder, preselected.
    EXPECT_EQ(status, Root.Path());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().Text, "You selected:\r  Filesystem Name: " + Root.Path() +
                                     "\r  Display Name: " + fs::path(Root.Path()).filename().string());

    // The base folder starts as the desktop, held as no list.
    EXPECT_EQ(Form->BaseTxt->Caption(), "Base is: Desktop");
    const std::string projects = Root / "Projects";
    WhenShown<kw::TKwFrmFolderBrowseDlg>([projects](kw::TKwFrmFolderBrowseDlg* dialog) {
        EXPECT_EQ(dialog->GetStatus(), "Select a folder to act as base folder.");
        dialog->SetSelectedPathname(projects);
        Pump();
        QTest::keyClick(dialog->OkBtn->Peer(), Qt::Key_Return);
    });
    Click(Form->BaseBtn);
    EXPECT_EQ(Form->BaseTxt->Caption(), "Base is: Projects");
    EXPECT_EQ(Form->KwFolderBrowseDlg1->GetSelectedPathName(), projects);

    // Cancelled: nothing changes.
    WhenShown<kw::TKwFrmFolderBrowseDlg>(
        [](kw::TKwFrmFolderBrowseDlg* dialog) { QTest::keyClick(dialog->Peer(), Qt::Key_Escape); });
    Click(Form->BaseBtn);
    EXPECT_EQ(Form->BaseTxt->Caption(), "Base is: Projects");
    EXPECT_EQ(boxes.Count(), 1u);
}

} // namespace
