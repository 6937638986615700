// The explorer form from its form resource, in a home of the test's own,
// driven with real keys and clicks: the view senders, the command prompt
// (its modal loop driven from inside), F5, Ctrl+A, the status line, up one
// level, Escape, a double click on a folder and the application's hint
// handler when the form goes.

#include "FExplorer.h"

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "MessageBoxScript.h"
#include "PlatformTestSupport.h"

#include "KwCorvanePackage.h"
#include "UKwFrame.h"
#include "UKwShConsts.h"
#include "UKwShellControls.h"
#include "UKwShellUtils.h"
#include "shell32/ItemContextMenu.h"
#include "vcl/core/ResourceStrings.h"
#include "vcl/core/UnitRegistry.h"
#include "vcl/widgets/Buttons.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/Menus.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/ListedFoldersTesting.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QHelpEvent>
#include <QPointer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using demo::TFrmExplorer;
using namespace kwtest;

// HOME and the XDG folders in a temporary folder, with a few files and
// folders at home.
struct FixtureHome {
    TempDir Root;
    ScopedEnv HomeEnv{"HOME", Root / "home"};
    ScopedEnv ConfigEnv{"XDG_CONFIG_HOME", Root / "config"};
    ScopedEnv DataEnv{"XDG_DATA_HOME", Root / "data"};
    FixtureHome()
    {
        for (const char* folder : {"home/Desktop", "home/Documents", "home/Projects", "config", "data"})
            fs::create_directories(Root / folder);
        for (const char* file : {"notes.txt", "report.pdf", "SETUP.EXE", "Projects/plan.txt"})
            WriteFile(Home() + "/" + file, file);
    }
    std::string Home() const { return Root / "home"; }
};

class ExplorerForm : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        kw::RegisterPackageUnits();
        vcl::RegisterUnit({"FExplorer", &demo::FExplorerInitialization, &demo::FExplorerFinalization});
        vcl::InitializeUnits();
    }

    FixtureHome Home;
    TFrmExplorer* Form = nullptr;

    void SetUp() override
    {
        Form = vcl::Create<TFrmExplorer>(nullptr);
        Form->Show();
        WaitExposed(Form->Peer());
        SelectInTree(Home.Home());
    }
    void TearDown() override
    {
        vcl::Free(Form);
        Pump();
        win32::testing::ResetListedFolders();
    }

    kw::TKwShellTree* Tree() const { return Form->KwShellTree1; }
    kw::TKwShellList* List() const { return Form->KwShellList1; }

    // Selects a folder in the tree as a person does, from the desktop's
    // Home down, and waits until the list shows it.
    void SelectInTree(const std::string& path)
    {
        for (;;) {
            // The first node on the way there, the deepest one.
            vcl::TTreeNode* best = nullptr;
            std::size_t bestLength = 0;
            for (vcl::TTreeNode* node = Tree()->Items()->GetFirstNode(); node; node = node->GetNext()) {
                kw::TKwShTreeData* data = Tree()->GetDataFromNode(node);
                const std::string at = data ? data->GetPathName() : std::string();
                if (!at.empty() && (path == at || path.starts_with(at + "/")) && at.size() > bestLength) {
                    best = node;
                    bestLength = at.size();
                }
            }
            ASSERT_NE(best, nullptr) << path;
            if (bestLength == path.size()) {
                best->SetSelected(true);
                break;
            }
            const int before = best->Count();
            best->Expand(false);
            Pump();
            ASSERT_GT(best->Count(), before) << path;
        }
        PumpUntil([&] { return List()->Folder()->GetPathName() == path; });
        Pump();
    }
    vcl::TListItem* Item(const std::string& name) const
    {
        for (int i = 0; i < List()->Items()->Count(); ++i)
            if (kw::TKwShListData* data = List()->GetDataFromItem(List()->Items()->Item(i));
                data && fs::path(data->GetPathName()).filename() == name)
                return List()->Items()->Item(i);
        return nullptr;
    }
    void SelectOnly(const std::string& name)
    {
        List()->ClearSelection();
        vcl::TListItem* item = Item(name);
        ASSERT_NE(item, nullptr) << name;
        item->SetSelected(true);
        List()->SetItemFocused(item);
        Pump();
    }
    QWidget* Viewport() const
    {
        for (auto* view : List()->Peer()->findChildren<QAbstractScrollArea*>(Qt::FindDirectChildrenOnly))
            if (!view->isHidden())
                return view->viewport();
        return nullptr;
    }
    QPoint Centre(const vcl::TListItem* item) const
    {
        const vcl::TRect r = item->DisplayRect(vcl::drLabel);
        const QPoint onPeer =
            QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2) + List()->Peer()->contentsRect().topLeft();
        return Viewport()->mapFrom(List()->Peer(), onPeer);
    }
    // Where a speed button of the toolbar is, on the toolbar's window.
    static QPoint ButtonCentre(const vcl::TSpeedButton* button)
    {
        return QPoint(button->Left() + button->Width() / 2, button->Top() + button->Height() / 2);
    }
    void ClickButton(vcl::TSpeedButton* button)
    {
        QTest::mouseClick(Form->KwGroup1->Peer(), Qt::LeftButton, {}, ButtonCentre(button));
        Pump();
    }
    // A key as the focused control gets it.
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        Pump();
    }
};

// Answers the prompt of InputQuery once its modal form is up, with the
// form's edit; gives up after a few tries.
void AnswerPrompt(std::function<void(vcl::TEdit*)> answer, int tries = 100)
{
    Later({[answer, tries] {
        for (int i = vcl::Screen()->FormCount() - 1; i >= 0; --i) {
            vcl::TCustomForm* form = vcl::Screen()->Forms(i);
            if (!form->FormState().Contains(vcl::fsModal))
                continue;
            if (auto* edit = dynamic_cast<vcl::TEdit*>(form->FindComponent("Edit"))) {
                answer(edit);
                return;
            }
        }
        if (tries > 0)
            AnswerPrompt(answer, tries - 1);
    }});
}

std::string Str(const vcl::TResStringRec& rec)
{
    return kw::KwLoadStr(vcl::LoadResString(&rec));
}

TEST_F(ExplorerForm, TheFixtureHomeShowsInReportView)
{
    EXPECT_EQ(Form->Caption(), "Corvane - Mini Explorer");
    EXPECT_EQ(List()->ViewStyle(), vcl::vsReport);
    for (const char* name : {"Documents", "Projects", "notes.txt", "report.pdf", "SETUP.EXE"})
        EXPECT_NE(Item(name), nullptr) << name;
    EXPECT_EQ(Form->KwShellCombo1->SelectedFolder()->GetPathName(), Home.Home());
    // The menu rows take the library's texts.
    EXPECT_EQ(Form->Details2Mitm->Caption(), Str(kw::SViewDetailsMenu));
    EXPECT_EQ(Form->NewFolder2Mitm->Hint(), Str(kw::SNewFolderContext));
    EXPECT_TRUE(Form->DetailsBtn->Flat());
    const QImage picture = SavePicture(Form->Peer(), "explorer-report.png");
    EXPECT_FALSE(picture.isNull());
}

TEST_F(ExplorerForm, TheTwelveViewSendersKeepButtonsAndMenusInStep)
{
    const std::vector<vcl::TMenuItem*> popup = {Form->LargeIconsMitm, Form->SmalliconsMItm, Form->ListMitm,
                                                Form->DetailsMitm};
    const std::vector<vcl::TMenuItem*> main = {Form->LargeIcons2Mitm, Form->Smallicons2Mitm, Form->List2Mitm,
                                               Form->Details2Mitm};
    const std::vector<vcl::TSpeedButton*> buttons = {Form->LargeIconsBtn, Form->SmallIconsBtn, Form->ListBtn,
                                                     Form->DetailsBtn};
    const vcl::TViewStyle styles[] = {vcl::vsIcon, vcl::vsSmallIcon, vcl::vsList, vcl::vsReport};
    // Each sender, in an order where every one changes the view.
    const struct {
        const char* What;
        int Group; // 0 button, 1 main menu, 2 popup menu
        int Tag;
    } senders[] = {
        {"large icons button", 0, 0},     {"list item of the main menu", 1, 2},
        {"small icons popup item", 2, 1}, {"details button", 0, 3},
        {"large icons popup item", 2, 0}, {"details main item", 1, 3},
        {"small icons button", 0, 1},     {"list popup item", 2, 2},
        {"large icons main item", 1, 0},  {"list button", 0, 2},
        {"details popup item", 2, 3},     {"small icons main item", 1, 1},
    };
    for (const auto& sender : senders) {
        SCOPED_TRACE(sender.What);
        if (sender.Group == 0)
            ClickButton(buttons[sender.Tag]);
        else
            (sender.Group == 1 ? main : popup)[sender.Tag]->Click();
        EXPECT_EQ(List()->ViewStyle(), styles[sender.Tag]);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(popup[i]->Checked(), i == sender.Tag) << i;
            EXPECT_EQ(main[i]->Checked(), i == sender.Tag) << i;
            EXPECT_EQ(buttons[i]->Down(), i == sender.Tag) << i;
        }
    }
}

TEST_F(ExplorerForm, F11SendsTheTypedCommandToWhatHasTheFocus)
{
    for (const char* folder : {"A", "B", "C"})
        fs::create_directories(Home.Home() + "/" + folder);
    Tree()->RefreshNodes();
    Pump();
    const struct {
        const char* What;
        bool Tree;
        const char* Select;
        std::string Typed;
        bool Accept;
        const char* Gone;
    } cases[] = {
        {"a command number to the tree's node", true, "A", std::to_string(shell32::kCmdDelete), true, "A"},
        {"a verb to the tree's node", true, "B", "delete", true, "B"},
        {"a verb to the list's selection", false, "notes.txt", "delete", true, "notes.txt"},
        {"cancelled", false, "report.pdf", "delete", false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        MessageBoxScript boxes;
        boxes.Queue(IDYES);
        if (c.Tree) {
            SelectInTree(Home.Home() + "/" + c.Select);
            Tree()->SetFocus();
        } else {
            SelectInTree(Home.Home());
            SelectOnly(c.Select);
            List()->SetFocus();
        }
        Pump();
        bool prompted = false;
        AnswerPrompt([&](vcl::TEdit* edit) {
            prompted = true;
            QTest::keyClicks(edit->Peer(), QString::fromStdString(c.Typed));
            QTest::keyClick(edit->Peer(), c.Accept ? Qt::Key_Return : Qt::Key_Escape);
        });
        Key(Qt::Key_F11);
        Pump();
        EXPECT_TRUE(prompted) << "the prompt comes up";
        EXPECT_TRUE(Form->Visible()) << "Escape in the prompt is the prompt's";
        EXPECT_EQ(boxes.Count(), c.Gone ? 1u : 0u) << "the deletion is confirmed";
        if (c.Gone)
            EXPECT_FALSE(fs::exists(Home.Home() + "/" + c.Gone));
        else
            EXPECT_TRUE(fs::exists(Home.Home() + "/" + c.Select));
    }
    EXPECT_TRUE(fs::exists(Home.Home() + "/C"));
}

TEST_F(ExplorerForm, F5RefillsAndCtrlASelectsEverything)
{
    List()->SetFocus();
    Pump();
    WriteFile(Home.Home() + "/later.txt", "later");
    // F5 fills at once, before any change notification is handled.
    Key(Qt::Key_F5);
    EXPECT_NE(Item("later.txt"), nullptr);
    EXPECT_EQ(List()->SelCount(), 0);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(List()->SelCount(), List()->Items()->Count());
    EXPECT_GE(List()->SelCount(), 6);
    Form->InvertSelection1->Click();
    EXPECT_EQ(List()->SelCount(), 0);
}

TEST_F(ExplorerForm, HintsGoToPanelZeroAndThePathToTheHiddenSimpleText)
{
    QHelpEvent help(QEvent::ToolTip, ButtonCentre(Form->DetailsBtn),
                    Form->KwGroup1->Peer()->mapToGlobal(ButtonCentre(Form->DetailsBtn)));
    QApplication::sendEvent(Form->KwGroup1->Peer(), &help);
    EXPECT_EQ(Form->StatusBar1->Panels()->Items(0)->Text(), Str(kw::SViewDetailsContext));
    EXPECT_EQ(Form->StatusBar1->Panels()->Count(), 1);
    // The selected path is kept where a bar of panels does not show it.
    EXPECT_EQ(Form->StatusBar1->SimpleText(), Home.Home());
    EXPECT_FALSE(Form->StatusBar1->SimplePanel());
    SelectInTree(Home.Home() + "/Projects");
    EXPECT_EQ(Form->StatusBar1->SimpleText(), Home.Home() + "/Projects");
}

TEST_F(ExplorerForm, UpOneLevelIsDisabledOnTheTopNode)
{
    EXPECT_TRUE(Form->UpOneLevelBtn->Enabled());
    ClickButton(Form->UpOneLevelBtn);
    PumpUntil([&] { return !Form->UpOneLevelBtn->Enabled(); });
    ASSERT_NE(Tree()->Selected(), nullptr);
    EXPECT_EQ(Tree()->Selected()->Parent(), nullptr) << "the desktop, the top node";
    EXPECT_FALSE(Form->UpOneLevelBtn->Enabled());
    EXPECT_EQ(Form->StatusBar1->SimpleText(), Home.Home() + "/Desktop");
}

TEST_F(ExplorerForm, EscapeClosesFromAnywhereAlsoWhileRenaming)
{
    const struct {
        const char* What;
        bool Edit;
    } cases[] = {{"from the list", false}, {"from the list's in-place editor", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        Form->Show();
        WaitExposed(Form->Peer());
        SelectOnly("notes.txt");
        List()->SetFocus();
        Pump();
        if (c.Edit) {
            Key(Qt::Key_F2);
            ASSERT_TRUE(List()->IsEditing());
        }
        Key(Qt::Key_Escape);
        EXPECT_FALSE(Form->Visible());
        EXPECT_TRUE(fs::exists(Home.Home() + "/notes.txt"));
    }
}

TEST_F(ExplorerForm, ADoubleClickOnAFolderInTheListOpensIt)
{
    vcl::TListItem* projects = Item("Projects");
    ASSERT_NE(projects, nullptr);
    QWidget* viewport = Viewport();
    const QPoint at = Centre(projects);
    ClickAwaited(viewport, at);
    // The second press comes as the double click; the list waits on it for
    // a drag as on the first, so the release comes meanwhile.
    // The viewport may be made anew for the folder opened meanwhile.
    Later({[viewport = QPointer<QWidget>(viewport), at] {
        if (viewport)
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }});
    QTest::mouseEvent(QTest::MouseDClick, viewport, Qt::LeftButton, {}, at);
    PumpUntil([&] { return List()->Folder()->GetPathName() == Home.Home() + "/Projects"; });
    EXPECT_EQ(List()->Folder()->GetPathName(), Home.Home() + "/Projects");
    EXPECT_NE(Item("plan.txt"), nullptr);
    PumpUntil([&] { return Tree()->GetSelectedPathName() == Home.Home() + "/Projects"; });
    EXPECT_EQ(Tree()->GetSelectedPathName(), Home.Home() + "/Projects");
}

// The application's hint handler leaves with the explorer, unless another
// form took it meanwhile.
TEST_F(ExplorerForm, TheHintHandlerGoesWithTheExplorer)
{
    struct Other {
        int Hints = 0;
        void Hint(vcl::TObject*) { ++Hints; }
    } other;
    for (bool taken : {false, true}) {
        SCOPED_TRACE(taken ? "taken by another" : "still the explorer's");
        auto* second = vcl::Create<TFrmExplorer>(nullptr);
        EXPECT_EQ(vcl::Application()->OnHint.Method().Data, static_cast<void*>(second));
        if (taken)
            vcl::Application()->OnHint = {&other, &Other::Hint};
        vcl::Free(second);
        vcl::Application()->SetHint(taken ? "to the other" : "to no one");
        EXPECT_EQ(static_cast<bool>(vcl::Application()->OnHint), taken);
        EXPECT_EQ(other.Hints, taken ? 1 : 0);
        vcl::Application()->OnHint = nullptr;
    }
}

} // namespace
