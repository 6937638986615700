// The shell tree's life: its two locators, a form file that links it to a
// list, the window made again, teardown with work pending, and a picture.

#include "ShellTreeTestSupport.h"
#include "UKwShellUtils_Startup_p.h"

#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Filer.h"
#include "vcl/widgets/Forms.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <filesystem>

namespace {

using namespace kwtest;
using vcl::TTreeNode;

class ShellTreeLife : public ShellTreeFixture {
public:
    void SetUp() override
    {
        ShellTreeFixture::SetUp();
        MakeTree(H("deep"), {"a/b/c", "a/b2", "x"});
    }
};

TEST_F(ShellTreeLife, ANewBaseFolderRefillsFromItAndSelectsIt)
{
    Base(H("deep"));
    Select(H("deep/a/b/c"));
    ASSERT_EQ(H("deep/a/b/c"), Tree->SelectedFolder()->GetPathName());
    const int fills = Events.FillStarts;
    Base(H("deep/a"));
    EXPECT_EQ(H("deep/a"), Tree->SelectedFolder()->GetPathName());
    EXPECT_EQ(H("deep/a"), SelectedPath());
    EXPECT_EQ("a", Tree->GetFirstRootLevelShellNode()->Text());
    EXPECT_EQ((std::vector<std::string>{"b", "b2"}), Captions(Tree->GetFirstRootLevelShellNode()));
    EXPECT_EQ(fills + 1, Events.FillStarts);
}

TEST_F(ShellTreeLife, WritesToSelectedFolderWhileLockedOnlyPointTheList)
{
    Base(H("deep"));
    auto* list = vcl::Create<TTestShellList>(Form.Get());
    Tree->SetShellList(list);
    Select(H("deep/a/b2"));
    // While the tree pushes, it is locked: a list answering with another
    // place only hears the tree's own again.
    auto* elsewhere = vcl::Create<kw::TKwShellLocator>();
    elsewhere->SetPathName(H("deep/x"));
    list->OnTreeChanged = [&] { Tree->SetSelectedFolder(elsewhere); };
    list->Calls.clear();
    Click(Label(NodeOf(H("deep/a/b"))));
    EXPECT_EQ(H("deep/a/b"), Tree->SelectedFolder()->GetPathName());
    EXPECT_EQ(H("deep/a/b"), list->Folder()->GetPathName());
    EXPECT_EQ((std::vector<std::string>{"TreeChanged:b", "SetFolder"}), list->Calls);
    list->OnTreeChanged = nullptr;
    // Unlocked, the write selects.
    Tree->SetSelectedFolder(elsewhere);
    EXPECT_EQ(H("deep/x"), SelectedPath());
    vcl::Free(elsewhere);
    vcl::Free(list);
    EXPECT_EQ(nullptr, Tree->ShellList());
}

// A tree that counts its whole fills and, while it is loading, is told
// another selected folder.
class TCountingShellTree : public kw::TKwShellTree {
    VCL_DECLARE_PUBLISHED_CLASS(TCountingShellTree, kw::TKwShellTree)
public:
    using TKwShellTree::TKwShellTree;
    static int& WholeFills()
    {
        static int fills = 0;
        return fills;
    }
    static inline kw::TKwShellLocator* WrittenWhileLoading = nullptr;

protected:
    void Loaded() override
    {
        SetSelectedFolder(WrittenWhileLoading);
        TKwShellTree::Loaded();
    }
    void FillTree(IShellFolder* folder, TTreeNode* node) override
    {
        WholeFills() += node == nullptr;
        TKwShellTree::FillTree(folder, node);
    }
};

const vcl::TClassRtti& TCountingShellTree::PublishedTable()
{
    static const vcl::TClassRtti table = vcl::Publish<TCountingShellTree>();
    return table;
}

std::string Hex(const std::string& bytes)
{
    std::string text;
    char digits[3];
    for (unsigned char b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        text += digits;
    }
    return text;
}

TEST_F(ShellTreeLife, AFormFileLinksTheTreeToItsListAndFillsOnce)
{
    if (!vcl::GetClass("TForm"))
        vcl::RegisterClass(vcl::TForm::StaticClass());
    vcl::RegisterClasses({TCountingShellTree::StaticClass(), TTestShellList::StaticClass()});
    TProbeLocator base;
    base.SetPathName(H("deep"));
    const std::string text = "object Form1: TForm\n"
                             "  Left = 0\n"
                             "  Top = 0\n"
                             "  Width = 300\n"
                             "  Height = 300\n"
                             "  object Tree1: TCountingShellTree\n"
                             "    Left = 0\n"
                             "    Top = 0\n"
                             "    Width = 150\n"
                             "    Height = 300\n"
                             "    BaseFolder.Pidl = {" +
                             Hex(base.Stored()) +
                             "}\n"
                             "    ShellList = List1\n"
                             "    Options = [kwstoAutoFill, kwstoVirtualFolders, kwstoShowHidden]\n"
                             "  end\n"
                             "  object List1: TTestShellList\n"
                             "    Left = 150\n"
                             "    Top = 0\n"
                             "    Width = 150\n"
                             "    Height = 300\n"
                             "  end\n"
                             "end\n";
    TCountingShellTree::WholeFills() = 0;
    TProbeLocator other;
    other.SetPathName(H("deep/x"));
    TCountingShellTree::WrittenWhileLoading = &other;
    vcl::TOwnedPtr<vcl::TComponent> form(vcl::ReadComponentFromText(text, nullptr));
    auto* tree = dynamic_cast<TCountingShellTree*>(form->FindComponent("Tree1"));
    auto* list = dynamic_cast<TTestShellList*>(form->FindComponent("List1"));
    ASSERT_TRUE(tree && list);
    static_cast<vcl::TCustomForm*>(form.get())->Show();
    Pump();
    EXPECT_FALSE(tree->ShowRoot());
    EXPECT_EQ((kw::TKwShellTreeOptions{kw::kwstoAutoFill, kw::kwstoVirtualFolders, kw::kwstoShowHidden}),
              tree->Options());
    EXPECT_EQ(1, TCountingShellTree::WholeFills());
    EXPECT_EQ(tree, list->Tree);
    // The write while loading only pointed the list at the tree's place;
    // the list's folder changed once.
    EXPECT_EQ((std::vector<std::string>{"SetShellTree", "SetFolder", "SetFolder", "SetFolder"}), list->Calls);
    EXPECT_EQ(std::vector<std::string>{H("deep")}, list->Filled);
    EXPECT_EQ(H("deep"), tree->GetSelectedPathName());
    // ShowRoot is kept as the tree has it, not left to its declared default.
    const std::string written = vcl::WriteComponentToText(form.get());
    EXPECT_NE(std::string::npos, written.find("ShowRoot = False")) << written;
    EXPECT_NE(std::string::npos, written.find("ShellList = List1")) << written;
    form.reset();
    vcl::UnRegisterClass(TCountingShellTree::StaticClass());
    vcl::UnRegisterClass(TTestShellList::StaticClass());
}

TEST_F(ShellTreeLife, AWindowMadeAgainRefillsOnTheSameFolder)
{
    Base(H("deep"));
    Select(H("deep/a/b"));
    const int fills = Events.FillStarts;
    Tree->RecreateWnd();
    Tree->HandleNeeded();
    PumpUntil([this] { return Tree->Items()->GetFirstNode() != nullptr; }, 3000);
    EXPECT_EQ(H("deep/a/b"), SelectedPath());
    EXPECT_GT(Events.FillStarts, fills);
    EXPECT_EQ(Events.FillStarts, Events.FillCompletes);
}

TEST_F(ShellTreeLife, FreedWithAPushPendingEveryNodeIsToldOnceAndNothingIsLeft)
{
    auto* list = vcl::Create<TTestShellList>(Form.Get());
    Tree->SetShellList(list);
    Base(H("deep"));
    Select(H("deep/a/b/c"));
    Tree->SetFocus();
    Key(Qt::Key_Up);
    ASSERT_EQ(1, Tree->PendingAction());
    const int nodes = Tree->Items()->Count();
    ASSERT_GE(nodes, 6);
    Events.Deleted = 0;
    const auto calls = list->Calls.size();
    vcl::Free(Tree);
    Tree = nullptr;
    EXPECT_EQ(nodes, Events.Deleted);
    // The push's moment passes with nothing to run it.
    PumpUntil([] { return false; }, 250);
    EXPECT_EQ(calls, list->Calls.size());
    EXPECT_EQ(nullptr, list->Tree);
    vcl::Free(list);
}

TEST_F(ShellTreeLife, PictureOfHomeTwoLevelsDownAndComputerWithItsDrives)
{
    // The overlays come into the system's list as an application's start-up
    // puts them there.
    kw::detail::ReadOsVersion();
    const kw::TKwModuleVersion version = kw::COMCTL32_VER;
    ASSERT_TRUE(kw::GetModuleVersion("comctl32.dll", kw::COMCTL32_VER));
    kw::ShellGetSystemImageList(kw::kwsizSmall);
    kw::COMCTL32_VER = version;
    MakeTree(Home.Home(),
             {".config/x", "Documents/Reports/2024", "Documents/Letters", "Music/Albums", "notes.txt"});
    std::filesystem::create_directory_symlink(H("Documents"), H("Docs link"));
    Tree->BaseFolder()->Clear();
    Tree->FillItems();
    Tree->DoSetSelectedIdList(HomeRoute("Documents/Reports").Get());
    OwnedList computer;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, 17, computer.Out()));
    TTreeNode* top = Tree->GetFirstRootLevelShellNode();
    TTreeNode* drives = Tree->FindNodeWithIdList(top, LastItemOf(computer.Get()).Get());
    ASSERT_TRUE(drives);
    drives->Expand(false);
    const auto shown = Captions(drives);
    EXPECT_NE(shown.end(), std::find(shown.begin(), shown.end(), "USB STICK"));
    EXPECT_NE(shown.end(), std::find(shown.begin(), shown.end(), "nas"));
    TTreeNode* dot = NodeOf(H(".config"));
    ASSERT_TRUE(dot);
    EXPECT_TRUE(dot->Cut());
    EXPECT_EQ(1, NodeOf(H("Docs link"))->OverlayIndex());
    EXPECT_EQ(H("Documents/Reports"), SelectedPath());
    top->MakeVisible();
    Tree->SetFocus();
    Pump();
    const QImage picture = Form->Peer()->grab().toImage();
    EXPECT_TRUE(picture.save(QString::fromStdString(OutputPath("shell_tree.png"))));
}

} // namespace
