// A shell tree, a shell combo and a shell list linked: a folder chosen in
// any of them reaches the others once, with no echo; links made and broken;
// each control freed first, the others working on unlinked.

#include "ShellComboTestSupport.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Filer.h"
#include "vcl/widgets/Forms.h"

#include <QApplication>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

using namespace kwtest;

class ShellLinking : public ShellTreeFixture {
public:
    TProbeCombo* Combo = nullptr;
    TTestShellList* List = nullptr;

    void SetUp() override
    {
        ShellTreeFixture::SetUp();
        MakeTree(Home.Home(), {"a/b/c/d", "a/b2", "z"});
        Tree->SetBounds(0, 30, 320, 370);
        Combo = vcl::Create<TProbeCombo>(Form.Get());
        Combo->SetParent(Form.Get());
        Combo->SetBounds(0, 0, 320, 24);
        List = vcl::Create<TTestShellList>(Form.Get());
        Tree->SetShellList(List);
        Combo->SetShellTree(Tree);
        Tree->FillItems();
        Select(H("a"));
        Pump();
    }
    void TearDown() override
    {
        vcl::Free(Combo);
        vcl::Free(List);
        ShellTreeFixture::TearDown();
    }
    std::string ComboPath() const { return Combo->SelectedFolder()->GetPathName(); }
    // Selects the folder below HOME in the tree and lets the push reach
    // the others; whether the combo shows it.
    bool AllThreeAt(const std::string& folder)
    {
        Select(H(folder));
        Tree->Synchronize(true);
        Pump();
        return ComboPath() == H(folder);
    }
};

TEST_F(ShellLinking, AFolderChosenInOneControlReachesTheOthersOnce)
{
    struct Case {
        const char* Name;
        std::function<void(ShellLinking&)> Act;
        std::string Folder; // below HOME, where all three end
        int Rebuilds;
        int ListFills;
        bool Expanded; // the selected node opened
    };
    const std::vector<Case> cases = {
        {"a click in the tree",
         [](ShellLinking& f) {
             f.NodeOf(f.H("z"))->MakeVisible();
             Pump();
             f.Click(f.Label(f.NodeOf(f.H("z"))));
         },
         "z", 1, 1, false},
        {"the list opens a folder three levels down",
         [](ShellLinking& f) { f.List->Folder()->SetIdList(ListOfPath(f.H("a/b/c/d")).Get()); }, "a/b/c/d", 1,
         1, false},
        {"the same with folders shown only in the tree",
         [](ShellLinking& f) {
             f.List->ListOptions = kw::TKwShellListOptions{kw::kwsloHideFoldersWhenLinkedToTree};
             f.List->Folder()->SetIdList(ListOfPath(f.H("a/b")).Get());
         },
         "a/b", 1, 1, true},
        {"the combo's folder set",
         [](ShellLinking& f) { f.Combo->SelectedFolder()->SetPathName(f.H("a/b2")); }, "a/b2", 1, 1, false},
        {"the combo goes up", [](ShellLinking& f) { f.Combo->GoUp(1); }, "", 1, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        List->ListOptions = {};
        Select(H("a"));
        Tree->Synchronize(true);
        Pump();
        const int rebuilds = Combo->Rebuilds;
        const std::size_t fills = List->Filled.size();
        c.Act(*this);
        Pump();
        const std::string folder = c.Folder.empty() ? Home.Home() : H(c.Folder);
        EXPECT_EQ(folder, SelectedPath());
        EXPECT_EQ(folder, ComboPath());
        EXPECT_EQ(folder, List->Folder()->GetPathName());
        EXPECT_EQ(c.Rebuilds, Combo->Rebuilds - rebuilds);
        EXPECT_EQ(c.ListFills, static_cast<int>(List->Filled.size() - fills));
        EXPECT_EQ(c.Expanded, Tree->Selected()->Expanded());
        EXPECT_EQ(0, Combo->Reentry());
        EXPECT_EQ(0, Tree->UpdateLock());
    }
}

TEST_F(ShellLinking, ARunOfKeysReachesTheComboAndListOnlyAfterTheDelay)
{
    const int rebuilds = Combo->Rebuilds;
    const std::size_t fills = List->Filled.size();
    Tree->SetFocus();
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(rebuilds, Combo->Rebuilds);
    EXPECT_EQ(fills, List->Filled.size());
    PumpUntil([&] { return Tree->PendingAction() == 0; }, 2000);
    EXPECT_EQ(rebuilds + 1, Combo->Rebuilds);
    EXPECT_EQ(fills + 1, List->Filled.size());
    EXPECT_EQ(SelectedPath(), ComboPath());
}

TEST_F(ShellLinking, TheStickChosenInTheComboMakesItsNodeAndMovesTheListOnce)
{
    const int rebuilds = Combo->Rebuilds;
    const std::size_t fills = List->Filled.size();
    QComboBox* widget = static_cast<QComboBox*>(Combo->Peer());
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(widget->width() - 8, widget->height() / 2));
    Pump();
    ASSERT_TRUE(widget->view()->isVisible());
    int stick = -1;
    for (int i = 0; i < Combo->Items()->Count(); ++i)
        if (Combo->GetShComboData(i)->GetAbsPidl() &&
            kw::ShellGetFriendlyNameFromIdList(nullptr, Combo->GetShComboData(i)->GetAbsPidl(),
                                               kw::kwfnInFolder) == "USB STICK")
            stick = i;
    ASSERT_GE(stick, 0);
    ClickAwaited(widget->view()->viewport(),
                 widget->view()->visualRect(widget->view()->model()->index(stick, 0)).center());
    Pump();
    EXPECT_EQ("/media/me/USB STICK", SelectedPath());
    EXPECT_EQ("Computer", Tree->Selected()->Parent()->Text());
    EXPECT_EQ("/media/me/USB STICK", ComboPath());
    EXPECT_EQ(std::vector<std::string>{"/media/me/USB STICK"},
              std::vector<std::string>(List->Filled.begin() + fills, List->Filled.end()));
    EXPECT_EQ(rebuilds + 1, Combo->Rebuilds);
    EXPECT_EQ(0, Combo->Reentry());
}

TEST_F(ShellLinking, TheSelectedFolderRemovedByAnotherProgramMovesAllThreeToItsParent)
{
    const int fast = std::exchange(kw::KWSH_CHANGE_NOTIFY_FASTDELAY, 100);
    const int slow = std::exchange(kw::KWSH_CHANGE_NOTIFY_DELAY, 100);
    ASSERT_TRUE(AllThreeAt("a/b2"));
    const int rebuilds = Combo->Rebuilds;
    const std::size_t fills = List->Filled.size();
    const std::string command = "rmdir '" + H("a/b2") + "'";
    ASSERT_EQ(0, std::system(command.c_str()));
    PumpUntil([&] { return SelectedPath() == H("a"); }, 5000);
    Pump();
    EXPECT_EQ(H("a"), SelectedPath());
    EXPECT_EQ(H("a"), ComboPath());
    EXPECT_EQ(std::vector<std::string>{H("a")},
              std::vector<std::string>(List->Filled.begin() + fills, List->Filled.end()));
    EXPECT_EQ(rebuilds + 1, Combo->Rebuilds);
    kw::KWSH_CHANGE_NOTIFY_FASTDELAY = fast;
    kw::KWSH_CHANGE_NOTIFY_DELAY = slow;
}

// A rename of the selected folder in the tree moves the combo and the list
// to the new name; the tree itself is neither refilled nor given new nodes.
TEST_F(ShellLinking, RenamingTheSelectedFolderInTheTreeMovesComboAndList)
{
    ASSERT_TRUE(AllThreeAt("a/b2"));
    const int rebuilds = Combo->Rebuilds;
    const std::size_t fills = List->Filled.size();
    const int treeFills = Events.FillStarts;
    const std::size_t inserted = Events.Inserted.size();
    Form->Show();
    WaitExposed(Form->Peer());
    Tree->SetFocus();
    Key(Qt::Key_F2);
    ASSERT_TRUE(Tree->IsEditing());
    QWidget* edit = QApplication::focusWidget();
    QTest::keyClicks(edit, "b3");
    QTest::keyClick(edit, Qt::Key_Return);
    Pump();
    ASSERT_TRUE(std::filesystem::is_directory(H("a/b3")));
    EXPECT_EQ(H("a/b3"), SelectedPath());
    EXPECT_EQ(H("a/b3"), ComboPath());
    EXPECT_EQ(std::vector<std::string>{H("a/b3")},
              std::vector<std::string>(List->Filled.begin() + fills, List->Filled.end()));
    EXPECT_EQ(rebuilds + 1, Combo->Rebuilds);
    EXPECT_EQ(treeFills, Events.FillStarts) << "the tree was refilled";
    EXPECT_EQ(inserted, Events.Inserted.size()) << "the tree made nodes";
}

TEST_F(ShellLinking, SynchronizingAControlRunsTheWorkTheOthersHavePending)
{
    struct Case {
        const char* Name;
        std::function<void(ShellLinking&)> Sync;
        bool PushRuns;        // the tree's waiting push runs now
        int ListSynchronized; // calls of the list's own Synchronize
    };
    const std::vector<Case> cases = {
        {"the combo", [](ShellLinking& f) { f.Combo->Synchronize(true); }, true, 0},
        {"the combo, only its own", [](ShellLinking& f) { f.Combo->Synchronize(false); }, false, 0},
        {"the tree", [](ShellLinking& f) { f.Tree->Synchronize(true); }, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Tree->Synchronize(true);
        Pump();
        Tree->SetFocus();
        Key(Qt::Key_Down);
        ASSERT_EQ(1, Tree->PendingAction());
        const int rebuilds = Combo->Rebuilds;
        const auto synchronized = std::count(List->Calls.begin(), List->Calls.end(), "Synchronize");
        c.Sync(*this);
        EXPECT_EQ(c.PushRuns ? rebuilds + 1 : rebuilds, Combo->Rebuilds);
        EXPECT_EQ(c.ListSynchronized,
                  std::count(List->Calls.begin(), List->Calls.end(), "Synchronize") - synchronized);
        Tree->Synchronize(false);
        EXPECT_EQ(SelectedPath(), ComboPath());
    }
    // Linked to the list alone, the combo asks the list.
    Combo->SetShellTree(nullptr);
    Combo->SetShellList(List);
    const auto synchronized = std::count(List->Calls.begin(), List->Calls.end(), "Synchronize");
    Combo->Synchronize(true);
    EXPECT_EQ(1, std::count(List->Calls.begin(), List->Calls.end(), "Synchronize") - synchronized);
}

TEST_F(ShellLinking, ACombosLinkToATreeAndToAListExcludeEachOther)
{
    Combo->SetShellList(List);
    EXPECT_EQ(nullptr, Combo->ShellList());
    EXPECT_EQ(Tree, Combo->ShellTree());
    Combo->SetShellTree(nullptr);
    EXPECT_EQ(nullptr, Tree->ShellCombo());
    Tree->SetShellList(nullptr);
    Combo->SetShellList(List);
    EXPECT_EQ(Combo, List->Combo);
    Combo->SetShellTree(Tree);
    EXPECT_EQ(nullptr, Combo->ShellTree());
    EXPECT_EQ(nullptr, Tree->ShellCombo());
    // list + combo: each moves the other.
    List->Folder()->SetIdList(ListOfPath(H("a/b")).Get());
    EXPECT_EQ(H("a/b"), ComboPath());
    const std::size_t fills = List->Filled.size();
    Combo->GoUp(1);
    EXPECT_EQ(H("a"), List->Folder()->GetPathName());
    EXPECT_EQ(fills + 1, List->Filled.size());
    EXPECT_EQ(0, Combo->Reentry());
}

TEST_F(ShellLinking, EachControlFreedFirstLeavesTheOthersWorkingUnlinked)
{
    std::array<int, 3> order = {0, 1, 2};
    do {
        SCOPED_TRACE(std::to_string(order[0]) + std::to_string(order[1]) + std::to_string(order[2]));
        if (!Tree) {
            Tree = vcl::Create<TProbeTree>(Form.Get());
            Tree->SetParent(Form.Get());
            Tree->SetBounds(0, 30, 320, 370);
        }
        if (!Combo) {
            Combo = vcl::Create<TProbeCombo>(Form.Get());
            Combo->SetParent(Form.Get());
        }
        if (!List)
            List = vcl::Create<TTestShellList>(Form.Get());
        Tree->SetShellList(List);
        Combo->SetShellTree(Tree);
        Pump();
        for (int which : order) {
            if (which == 0)
                vcl::Free(std::exchange(Tree, nullptr));
            else if (which == 1)
                vcl::Free(std::exchange(Combo, nullptr));
            else
                vcl::Free(std::exchange(List, nullptr));
            Pump();
            // The survivors still move.
            if (Tree) {
                EXPECT_TRUE(which != 1 || !Tree->ShellCombo());
                EXPECT_TRUE(which != 2 || !Tree->ShellList());
                Tree->FillItems();
                Select(H("z"));
                Tree->Synchronize(true);
            }
            if (Combo) {
                EXPECT_TRUE(which != 0 || !Combo->ShellTree());
                Combo->SelectedFolder()->SetPathName(H("a/b"));
                Combo->Synchronize(true);
                EXPECT_EQ(Combo->Items()->Count() > 0, true);
            }
            if (List)
                List->Folder()->SetPathName(H("a"));
            Pump();
        }
    } while (std::next_permutation(order.begin(), order.end()));
}

// A tree that counts its whole fills, for a form file.
class TFillCountingTree : public kw::TKwShellTree {
    VCL_DECLARE_PUBLISHED_CLASS(TFillCountingTree, kw::TKwShellTree)
public:
    using TKwShellTree::TKwShellTree;
    static int& WholeFills()
    {
        static int fills = 0;
        return fills;
    }

protected:
    void FillTree(IShellFolder* folder, vcl::TTreeNode* node) override
    {
        WholeFills() += node == nullptr;
        TKwShellTree::FillTree(folder, node);
    }
};

const vcl::TClassRtti& TFillCountingTree::PublishedTable()
{
    static const vcl::TClassRtti table = vcl::Publish<TFillCountingTree>();
    return table;
}

class TFormCombo : public TProbeCombo {
    VCL_DECLARE_PUBLISHED_CLASS(TFormCombo, TProbeCombo)
public:
    using TProbeCombo::TProbeCombo;
};

const vcl::TClassRtti& TFormCombo::PublishedTable()
{
    static const vcl::TClassRtti table = vcl::Publish<TFormCombo>();
    return table;
}

TEST_F(ShellLinking, AFormFileFillsTheTreeOnceThroughTheComboAndPointsTheListOnce)
{
    if (!vcl::GetClass("TForm"))
        vcl::RegisterClass(vcl::TForm::StaticClass());
    vcl::RegisterClasses(
        {TFillCountingTree::StaticClass(), TFormCombo::StaticClass(), TTestShellList::StaticClass()});
    for (const bool autofill : {true, false}) {
        SCOPED_TRACE(autofill);
        const std::string text = std::string("object Form1: TForm\n"
                                             "  Width = 300\n"
                                             "  Height = 300\n"
                                             "  object Tree1: TFillCountingTree\n"
                                             "    Top = 30\n"
                                             "    Width = 150\n"
                                             "    Height = 270\n"
                                             "    ShellList = List1\n"
                                             "  end\n"
                                             "  object Combo1: TFormCombo\n"
                                             "    Width = 300\n"
                                             "    ShellTree = Tree1\n") +
                                 (autofill ? "" : "    Options = [kwscoNonFilesystemAncestors]\n") +
                                 "  end\n"
                                 "  object List1: TTestShellList\n"
                                 "    Left = 150\n"
                                 "    Top = 30\n"
                                 "  end\n"
                                 "end\n";
        TFillCountingTree::WholeFills() = 0;
        vcl::TOwnedPtr<vcl::TComponent> form(vcl::ReadComponentFromText(text, nullptr));
        auto* tree = dynamic_cast<TFillCountingTree*>(form->FindComponent("Tree1"));
        auto* combo = dynamic_cast<TFormCombo*>(form->FindComponent("Combo1"));
        auto* list = dynamic_cast<TTestShellList*>(form->FindComponent("List1"));
        ASSERT_TRUE(tree && combo && list);
        EXPECT_EQ(combo, tree->ShellCombo());
        static_cast<vcl::TCustomForm*>(form.get())->Show();
        Pump();
        EXPECT_EQ(1, TFillCountingTree::WholeFills());
        EXPECT_EQ(autofill, combo->Options().Contains(kw::kwscoAutofill));
        EXPECT_EQ(1, combo->Rebuilds);
        // The desktop's path is the desktop directory's.
        EXPECT_EQ(std::vector<std::string>{Home.Desktop()}, list->Filled);
        EXPECT_EQ(nullptr, combo->SelectedFolder()->GetIdList());
        EXPECT_EQ(nullptr, tree->SelectedFolder()->GetIdList());
        EXPECT_EQ(0, combo->ItemIndex());
    }
    vcl::UnRegisterClass(TFillCountingTree::StaticClass());
    vcl::UnRegisterClass(TFormCombo::StaticClass());
    vcl::UnRegisterClass(TTestShellList::StaticClass());
}

} // namespace
