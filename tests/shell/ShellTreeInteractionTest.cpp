// The shell tree in a person's hands: the shortcut keys, the shell menu of a
// node with its Send To entries, renaming in place, new folders, the wheel
// and the custom-draw events with shell data.

#include "ShellTreeTestSupport.h"

#include "../support/MessageBoxScript.h"
#include "ShellMenuScript.h"
#include "UKwShellControlsTesting.h"
#include "UKwShellControls_ChangeHandler_p.h"

#include "com/Initialization.h"
#include "shell32/OleClipboard.h"
#include "shell32/ShellUIObjects.h"
#include "shell32/Trash.h"
#include "win32/Menus.h"
#include "win32/ScrollBars.h"
#include "win32/SystemSettings.h"
#include "win32/WindowManager.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QImage>
#include <QWheelEvent>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace kwtest;
using vcl::TTreeNode;
namespace fs = std::filesystem;

class TActionTree : public TProbeTree {
public:
    using TKwCustomShellTree::BeginBusy;
    using TKwCustomShellTree::EndBusy;
    using TProbeTree::TProbeTree;
};

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The original paths the user's trash holds.
std::vector<std::string> Trashed(const std::string& dataHome)
{
    std::vector<shell32::TrashEntry> entries;
    shell32::ListTrash(dataHome + "/Trash", entries);
    std::vector<std::string> paths;
    for (const shell32::TrashEntry& entry : entries)
        paths.push_back(entry.Info ? entry.Info->OriginalPath : "?");
    return paths;
}

constexpr UINT kCopy = kw::KwShellMenuFirstId + 2;
constexpr UINT kRename = kw::KwShellMenuFirstId + 18;

class ShellTreeInteraction : public ShellTreeFixture {
public:
    TActionTree* View = nullptr;
    TTestShellList* List = nullptr;
    std::string Root;
    int KeyDowns = 0;
    bool OleReady = false;
    vcl::TForm* Window = nullptr;
    std::vector<std::string> Hints;
    const win32::MenuTracker BeforeTracker = win32::SetMenuTracker(&Scripted);

    void SetUp() override
    {
        // The shell's menus of items, as the unit's start installs them.
        shell32::InstallShellUIObjects();
        // The clipboard verbs need OLE, as the unit's start gives it.
        OleReady = SUCCEEDED(OleInitialize(nullptr));
        // A form of the application's kind: the shell's calls name its window.
        Window = vcl::Create<vcl::TForm>(nullptr);
        Window->SetBounds(0, 0, 320, 400);
        Window->Show();
        WaitExposed(Window->Peer());
        View = vcl::Create<TActionTree>(Window);
        Tree = View;
        Tree->SetParent(Window);
        Tree->SetBounds(0, 0, 320, 400);
        Pump();
        Events.Attach(Tree);
        Tree->OnKeyDown = vcl::TKeyEvent(this, &ShellTreeInteraction::KeyDown);
        Tree->OnPopupHint = kw::TKwShPopupHintEvent(this, &ShellTreeInteraction::Hint);
        List = vcl::Create<TTestShellList>(Window);
        Root = H("r");
        MakeTree(Root, {"a/b/c", "a/x", "src/inner", "dest", "z"});
        WriteFile(Root + "/src/one.bin", std::string("\0\1\2binary\377", 10));
        WriteFile(Root + "/src/inner/two.txt", "two");
        Base(Root);
        Tree->FillItems();
        Tree->SetShellList(List);
        Tree->SetFocus();
        Pump();
    }
    void TearDown() override
    {
        win32::SetMenuTracker(BeforeTracker);
        g_script = nullptr;
        g_menus = 0;
        ShellTreeFixture::TearDown();
        vcl::Free(Window);
        Pump();
        // What the clipboard holds goes before OLE does.
        OleSetClipboard(nullptr);
        if (OleReady)
            OleUninitialize();
    }
    // The modifiers' own presses are not counted.
    void KeyDown(vcl::TObject*, WORD& key, vcl::TShiftState)
    {
        KeyDowns += key != VK_CONTROL && key != VK_SHIFT;
    }
    void Hint(vcl::TObject*, const std::string& text) { Hints.push_back(text); }

    TTreeNode* Node(const std::string& relative)
    {
        TTreeNode* node = NodeOf(Root + "/" + relative);
        if (!node) {
            // Opened on the way down.
            const std::size_t slash = relative.rfind('/');
            if (slash != std::string::npos)
                if (TTreeNode* parent = Node(relative.substr(0, slash)))
                    parent->Expand(false);
            node = NodeOf(Root + "/" + relative);
        }
        EXPECT_TRUE(node) << relative;
        return node;
    }
    void SelectNode(const std::string& relative)
    {
        Tree->SetSelected(relative.empty() ? Tree->Items()->GetFirstNode() : Node(relative));
        Pump();
    }
    void RightClick(TTreeNode* node) { RightClickAt(Viewport(), Label(node)); }
    QWidget* EditBox() const { return QApplication::focusWidget(); }
    void Type(const std::string& text) { QTest::keyClicks(EditBox(), QString::fromStdString(text)); }
    int Refreshes() const { return Events.FillStarts; }
};

// ---- keys ----

TEST_F(ShellTreeInteraction, ShortcutKeysRunTheirVerbsAndRefreshAndOtherKeysReachTheView)
{
    struct Case {
        const char* Name;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        std::string Selection; // empty: none
        int Answer;            // of the delete confirmation, when one comes
        int Refreshes;
        int Boxes;
        std::function<bool()> After;
    };
    const Case cases[] = {
        {"F2 edits the label", Qt::Key_F2, {}, "z", 0, 0, 0, [this] { return Tree->IsEditing(); }},
        {"F5 refreshes", Qt::Key_F5, {}, "z", 0, 1, 0, [] { return true; }},
        {"Ctrl+X cuts", Qt::Key_X, Qt::ControlModifier, "z", 0, 1, 0, [] { return true; }},
        {"Ctrl+C copies", Qt::Key_C, Qt::ControlModifier, "z", 0, 1, 0, [] { return true; }},
        {"Ctrl+V pastes the copied folder", Qt::Key_V, Qt::ControlModifier, "dest", 0, 2, 0,
         [this] { return fs::is_directory(Root + "/dest/z"); }},
        {"Del asks, refused",
         Qt::Key_Delete,
         {},
         "z",
         IDNO,
         2,
         1,
         [this] { return fs::exists(Root + "/z"); }},
        {"Shift+Del asks the same, refused", Qt::Key_Delete, Qt::ShiftModifier, "z", IDNO, 2, 1,
         [this] { return fs::exists(Root + "/z"); }},
        {"Ctrl+A is not the tree's", Qt::Key_A, Qt::ControlModifier, "z", 0, 0, 0, [] { return true; }},
        {"an unassigned key reaches the view",
         Qt::Key_Up,
         {},
         "z",
         0,
         0,
         0,
         [this] { return SelectedPath() == Root + "/src"; }},
        {"Ctrl+C without a selection", Qt::Key_C, Qt::ControlModifier, "", 0, 0, 0, [] { return true; }},
        {"Del without a selection: nothing to trash, the refresh all the same",
         Qt::Key_Delete,
         {},
         "",
         0,
         1,
         0,
         [] { return true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MessageBoxScript boxes;
        if (c.Answer)
            boxes.Queue(c.Answer);
        if (c.Selection.empty())
            Tree->SetSelected(nullptr);
        else
            SelectNode(c.Selection);
        Pump();
        Events.FillStarts = 0;
        KeyDowns = 0;
        Key(c.Key, c.Modifiers);
        Pump();
        EXPECT_EQ(KeyDowns, 1);
        EXPECT_EQ(Refreshes(), c.Refreshes);
        EXPECT_EQ(boxes.Count(), static_cast<std::size_t>(c.Boxes)) << boxes.Last().Text;
        EXPECT_TRUE(c.After());
        if (Tree->IsEditing())
            QTest::keyClick(EditBox(), Qt::Key_Escape);
        Pump();
    }
}

TEST_F(ShellTreeInteraction, CopyAndPasteIntoAnotherFolderCopiesByteForByteAndDelConfirmedTrashes)
{
    SelectNode("src");
    Key(Qt::Key_C, Qt::ControlModifier);
    SelectNode("dest");
    {
        MessageBoxScript pasteBoxes;
        Key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(pasteBoxes.Count(), 0u) << pasteBoxes.Last().Text;
    }
    PumpUntil([&] { return fs::exists(Root + "/dest/src/inner/two.txt"); });
    EXPECT_EQ(Read(Root + "/dest/src/one.bin"), Read(Root + "/src/one.bin"));
    EXPECT_EQ(Read(Root + "/dest/src/one.bin").size(), 10u);
    EXPECT_EQ(Read(Root + "/dest/src/inner/two.txt"), "two");

    MessageBoxScript boxes;
    boxes.Queue(IDYES);
    SelectNode("z");
    Key(Qt::Key_Delete);
    Pump();
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_FALSE(fs::exists(Root + "/z"));
    const std::string dataHome = fs::path(Home.Home()).parent_path() / "data";
    EXPECT_EQ(Trashed(dataHome), std::vector<std::string>{Root + "/z"});
    EXPECT_FALSE(NodeOf(Root + "/z")) << "the refresh took the node away";
}

// ---- the shell menu ----

TEST_F(ShellTreeInteraction, TheShellMenuOpensOnANodeByMouseAndKeysAndRunsWhatIsChosen)
{
    struct Case {
        const char* Name;
        std::string Base;     // empty: the root of the fixture
        std::string Selected; // before
        std::string Clicked;  // right-clicked; "" for the keys on the selection
        bool ShiftF10;
        bool ReadOnly;
        int Menus;
        bool Rename; // offered
    };
    const Case cases[] = {
        {"a right click on an unselected node", "", "a", "z", false, false, 1, true},
        {"the Apps key on the selection", "", "a", "", false, false, 1, true},
        {"Shift+F10 on the selection", "", "a", "", true, false, 1, true},
        {"read-only: no rename", "", "a", "z", false, true, 1, false},
        {"the root of another base", "", "", "/", false, false, 1, true},
        {"the desktop's root: none", "desktop", "", "/", false, false, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Base == "desktop")
            Tree->BaseFolder()->Clear();
        else
            Base(Root);
        Tree->FillItems();
        Tree->SetReadOnly(c.ReadOnly);
        SelectNode(c.Selected);
        const std::string before = SelectedPath();
        g_menus = 0;
        g_ids.clear();
        if (!c.Clicked.empty())
            RightClick(c.Clicked == "/" ? Tree->Items()->GetFirstNode() : Node(c.Clicked));
        else if (c.ShiftF10)
            Key(Qt::Key_F10, Qt::ShiftModifier);
        else
            Key(Qt::Key_Menu);
        Pump();
        EXPECT_EQ(g_menus, c.Menus);
        EXPECT_EQ(std::count(g_ids.begin(), g_ids.end(), kRename), c.Rename ? 1 : 0);
        EXPECT_EQ(SelectedPath(), before) << "the selection stays";
    }
    Tree->SetReadOnly(false);
}

TEST_F(ShellTreeInteraction, ChoicesOfTheMenuEditRunAVerbOrSendToAndTheHintFollowsTheHighlight)
{
    // A Send To folder whose one entry is a link to a folder of the test.
    const std::string sendTo = kw::ShellGetSpecialFolderPath(nullptr, kw::csidlSendTo);
    fs::create_directories(sendTo);
    fs::create_directories(H("target"));
    fs::create_directory_symlink(H("target"), sendTo + "/Target");
    struct Case {
        const char* Name;
        std::function<void(win32::MenuTrackSession&)> Script;
        int Refreshes;
        std::function<bool()> After;
    };
    const Case cases[] = {
        {"rename edits the label",
         [](win32::MenuTrackSession& s) { s.Choose(s.Menu(), PositionOf(s.Menu(), kRename)); }, 0,
         [this] { return Tree->IsEditing(); }},
        {"copy runs and refreshes",
         [](win32::MenuTrackSession& s) { s.Choose(s.Menu(), PositionOf(s.Menu(), kCopy)); }, 1,
         [] { return true; }},
        {"the highlighted command's help",
         [](win32::MenuTrackSession& s) { s.Highlight(s.Menu(), PositionOf(s.Menu(), kCopy)); }, 0,
         [this] { return !Hints.empty() && !Hints.front().empty(); }},
        {"a Send To entry copies the folder into its target",
         [](win32::MenuTrackSession& s) {
             const std::vector<win32::MenuItemView> items = win32::MenuItems(s.Menu());
             for (std::size_t i = 0; i < items.size(); ++i) {
                 if (!items[i].SubMenu)
                     continue;
                 s.OpenPopup(items[i].SubMenu, static_cast<UINT>(i));
                 s.Choose(items[i].SubMenu, PositionOf(items[i].SubMenu, 1));
                 return;
             }
         },
         0, [this] { return Read(H("target/src/one.bin")) == Read(Root + "/src/one.bin"); }},
        {"a notification and a refresh during the menu run once after it",
         [this](win32::MenuTrackSession&) {
             SendMessageA(Tree->Handle(), kw::AM_ChangeNotify, 0, 0);
             Tree->RefreshNodes();
             Tree->RefreshNodes();
         },
         1, [] { return true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SelectNode("z");
        Hints.clear();
        Events.FillStarts = 0;
        g_script = c.Script;
        RightClick(Node("src"));
        g_script = nullptr;
        Pump();
        EXPECT_EQ(Refreshes(), c.Refreshes);
        PumpUntil(c.After, 3000);
        EXPECT_TRUE(c.After());
        if (Tree->IsEditing())
            QTest::keyClick(EditBox(), Qt::Key_Escape);
        Pump();
    }
}

TEST_F(ShellTreeInteraction, AFillAskedForDuringTheMenuIsAFillOfTheNewBaseAfterIt)
{
    g_script = [this](win32::MenuTrackSession&) { Base(Root + "/a"); };
    RightClick(Node("z"));
    Pump();
    ASSERT_TRUE(Tree->Items()->GetFirstNode());
    EXPECT_EQ(Tree->GetDataFromNode(Tree->Items()->GetFirstNode())->GetPathName(), Root + "/a");
    EXPECT_EQ(Captions(Tree->Items()->GetFirstNode()), (std::vector<std::string>{"b", "x"}));
}

// ---- renaming ----

TEST_F(ShellTreeInteraction, ARenameMovesTheLinkedListOnlyWhenItShowedTheRenamedFolder)
{
    struct Case {
        const char* Name;
        std::string Selected;
        std::string Renamed; // by F2 when it is the selection, else by the menu
        std::string NewName;
        std::string ListAfter; // "": not moved
    };
    const Case cases[] = {
        {"the selection, by F2", "a/b", "a/b", "b2", "a/b2"},
        {"an ancestor of the selection", "a/b/c", "a", "a2", "a2/b/c"},
        {"another node", "z", "a", "a3", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MakeTree(Root, {"a/b/c"});
        for (const char* gone : {"a2", "a3"})
            fs::remove_all(Root + "/" + gone);
        Tree->FillItems();
        SelectNode(c.Selected);
        Tree->Synchronize(false);
        TTreeNode* renamed = Node(c.Renamed);
        const std::string listBefore = List->Folder()->GetPathName();
        if (c.Renamed == c.Selected) {
            Key(Qt::Key_F2);
        } else {
            g_script = [](win32::MenuTrackSession& s) { s.Choose(s.Menu(), PositionOf(s.Menu(), kRename)); };
            RightClick(renamed);
            g_script = nullptr;
        }
        ASSERT_TRUE(Tree->IsEditing());
        Type(c.NewName);
        QTest::keyClick(EditBox(), Qt::Key_Return);
        Pump();
        const std::string parent = fs::path(Root + "/" + c.Renamed).parent_path();
        EXPECT_TRUE(fs::is_directory(parent + "/" + c.NewName));
        EXPECT_FALSE(fs::exists(Root + "/" + c.Renamed));
        EXPECT_EQ(renamed->Text(), c.NewName);
        EXPECT_EQ(Tree->GetDataFromNode(renamed)->GetPathName(), parent + "/" + c.NewName);
        for (TTreeNode* child = renamed->GetFirstChild(); child; child = child->GetNextSibling())
            EXPECT_EQ(Tree->GetDataFromNode(child)->GetPathName(),
                      parent + "/" + c.NewName + "/" + child->Text())
                << "an open child's path follows";
        EXPECT_EQ(List->Folder()->GetPathName(), c.ListAfter.empty() ? listBefore : Root + "/" + c.ListAfter);
        EXPECT_EQ(SelectedPath(), Root + "/" + (c.ListAfter.empty() ? c.Selected : c.ListAfter));
    }
}

TEST_F(ShellTreeInteraction, ARefusedNameChangesNothingAndSaysWhyOnce)
{
    fs::create_directories(Root + "/a/taken");
    const std::string long255(255, 'n');
    struct Case {
        const char* Name;
        std::string NewName;
        bool Kept;
        int Boxes;
    };
    const Case cases[] = {
        {"a slash", "p/q", false, 1},
        {"dot dot", "..", false, 1},
        {"256 bytes", std::string(256, 'n'), false, 1},
        {"an existing name", "taken", false, 1},
        {"255 bytes kept whole", long255, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MessageBoxScript boxes;
        Tree->FillItems();
        SelectNode("a/x");
        TTreeNode* node = Node("a/x");
        Key(Qt::Key_F2);
        ASSERT_TRUE(Tree->IsEditing());
        Type(c.NewName);
        QTest::keyClick(EditBox(), Qt::Key_Return);
        Pump();
        EXPECT_EQ(boxes.Count(), static_cast<std::size_t>(c.Boxes));
        if (c.Kept) {
            EXPECT_TRUE(fs::is_directory(Root + "/a/" + c.NewName));
            EXPECT_EQ(node->Text(), c.NewName);
            fs::rename(Root + "/a/" + c.NewName, Root + "/a/x");
        } else {
            EXPECT_TRUE(fs::is_directory(Root + "/a/x"));
            EXPECT_TRUE(fs::is_directory(Root + "/a/taken"));
            EXPECT_EQ(node->Text(), "x");
            EXPECT_EQ(Tree->GetDataFromNode(node)->GetPathName(), Root + "/a/x");
        }
    }
}

TEST_F(ShellTreeInteraction, TheShellSaysWhyANameIsRefusedOnlyWhenGivenAWindow)
{
    fs::create_directories(Root + "/a/taken");
    kw::TKwShTreeData* data = Tree->GetDataFromNode(Node("a/x"));
    const com::ComPtr<IShellFolder> folder = data->GetParentIShf();
    for (const bool window : {true, false}) {
        SCOPED_TRACE(window ? "a window" : "window 0");
        MessageBoxScript boxes;
        OwnedList renamed;
        EXPECT_TRUE(FAILED(folder->SetNameOf(window ? Window->Handle() : nullptr, data->GetRelPidl(),
                                             u"taken", 0, renamed.Out())));
        EXPECT_EQ(boxes.Count(), window ? 1u : 0u);
        if (window) {
            EXPECT_NE(boxes.Last().Text.find("taken"), std::string::npos) << boxes.Last().Text;
        }
    }
    EXPECT_TRUE(fs::is_directory(Root + "/a/x"));
}

TEST_F(ShellTreeInteraction, TheEndOfAnEditRunsWhatWasAskedMeanwhileAndOnEditedMayChangeTheName)
{
    struct Case {
        const char* Name;
        Qt::Key End;
        bool ChangeInEvent;
        std::string OnDisk; // the name below a/ afterwards
        int Refreshes;
    };
    const Case cases[] = {
        {"Escape: nothing renamed, the refresh runs", Qt::Key_Escape, false, "x", 1},
        {"Enter with OnEdited changing the text", Qt::Key_Return, true, "from-event", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        struct Edited : QObject {
            bool Change = false;
            void Run(vcl::TObject*, TTreeNode*, std::string& text)
            {
                if (Change)
                    text = "from-event";
            }
        } edited;
        edited.Change = c.ChangeInEvent;
        Tree->OnEdited = vcl::TTVEditedEvent(&edited, &Edited::Run);
        SelectNode("a/x");
        Key(Qt::Key_F2);
        ASSERT_TRUE(Tree->IsEditing());
        Events.FillStarts = 0;
        Tree->RefreshNodes();
        EXPECT_EQ(Refreshes(), 0) << "not while editing";
        Type("typed");
        QTest::keyClick(EditBox(), c.End);
        Pump();
        Tree->OnEdited = {};
        EXPECT_EQ(Refreshes(), c.Refreshes);
        EXPECT_TRUE(fs::is_directory(Root + "/a/" + c.OnDisk));
        EXPECT_EQ(Node("a/" + c.OnDisk)->Text(), c.OnDisk);
        if (c.OnDisk != "x")
            fs::rename(Root + "/a/" + c.OnDisk, Root + "/a/x");
        Tree->FillItems();
    }
}

TEST_F(ShellTreeInteraction, TheTreesOwnChangeIsIgnoredOnlyAfterADoneRenameAndOnlyUntilItLapses)
{
    const int before = kw::KWSH_CHANGE_NOTIFY_DELAY;
    const int beforeFast = kw::KWSH_CHANGE_NOTIFY_FASTDELAY;
    kw::KWSH_CHANGE_NOTIFY_FASTDELAY = 0;
    struct Case {
        const char* Name;
        std::string NewName;
        int Delay;
        int Refreshes; // after one notification
    };
    // Only the notifications the test sends: no watch hears the rename.
    Tree->SetOptions(Tree->Options() - kw::TKwShellTreeOptions{kw::kwstoDynamicRefresh});
    const Case cases[] = {
        {"a failed rename ignores nothing", "p/q", 60000, 1},
        {"a done rename ignores its own", "x2", 60000, 0},
        {"a done rename's ignore lapses", "x3", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MessageBoxScript boxes;
        kw::KWSH_CHANGE_NOTIFY_DELAY = c.Delay;
        SelectNode("a/x");
        Key(Qt::Key_F2);
        ASSERT_TRUE(Tree->IsEditing());
        Type(c.NewName);
        QTest::keyClick(EditBox(), Qt::Key_Return);
        Pump();
        Events.FillStarts = 0;
        SendMessageA(Tree->Handle(), kw::AM_ChangeNotify, 0, 0);
        PumpUntil([&] { return Refreshes() > 0; }, 500);
        EXPECT_EQ(Refreshes(), c.Refreshes);
        if (fs::exists(Root + "/a/" + c.NewName))
            fs::rename(Root + "/a/" + c.NewName, Root + "/a/x");
        Tree->FillItems();
    }
    kw::KWSH_CHANGE_NOTIFY_DELAY = before;
    kw::KWSH_CHANGE_NOTIFY_FASTDELAY = beforeFast;
}

// ---- new folders ----

std::vector<int> g_pauses;

TEST_F(ShellTreeInteraction, CreateNewFolderMakesNumberedFoldersAndOpensEachForEditing)
{
    const kw::testing::TBusyPause beforePause =
        kw::testing::SetBusyPause([](int ms) { g_pauses.push_back(ms); });
    g_pauses.clear();
    struct Case {
        const char* Name;
        std::string Selected; // "-": none; "desktop": the desktop's folder
        bool Made;
        std::string Edited;
        int Pause;
    };
    const Case cases[] = {
        {"the first", "a", true, "New Folder", 1000},
        {"the second", "a", true, "New Folder (2)", 1000},
        {"on the desktop", "desktop", true, "New Folder", 2100},
        {"no selection", "-", false, "", 0},
        {"a virtual folder", "virtual", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        g_pauses.clear();
        if (c.Selected == "desktop") {
            Tree->BaseFolder()->Clear();
            Tree->FillItems();
            Tree->SetSelected(Tree->Items()->GetFirstNode());
        } else if (c.Selected == "virtual") {
            TTreeNode* top = Tree->Items()->GetFirstNode();
            top->Expand(false);
            TTreeNode* node = top->GetFirstChild();
            while (node && !Tree->GetDataFromNode(node)->GetPathName().empty())
                node = node->GetNextSibling();
            ASSERT_TRUE(node) << "the desktop shows a virtual folder";
            Tree->SetSelected(node);
        } else if (c.Selected == "-") {
            Tree->SetSelected(nullptr);
        } else {
            SelectNode(c.Selected);
        }
        Pump();
        EXPECT_EQ(Tree->CreateNewFolder(), c.Made);
        EXPECT_EQ(g_pauses, c.Made ? std::vector<int>{c.Pause} : std::vector<int>{});
        EXPECT_EQ(Tree->IsEditing(), c.Made);
        if (c.Made) {
            const std::string folder = c.Selected == "desktop" ? Home.Desktop() : Root + "/" + c.Selected;
            EXPECT_TRUE(fs::is_directory(folder + "/" + c.Edited));
            EXPECT_EQ(QApplication::focusWidget()->property("text").toString().toStdString(), c.Edited);
            QTest::keyClick(EditBox(), Qt::Key_Escape);
        }
        Pump();
    }
    kw::testing::SetBusyPause(beforePause);
}

// ---- the wheel, drawing and the designer ----

// The vertical scroll state of a tree: the first line shown, the page.
SCROLLINFO Scroll(vcl::TWinControl* tree)
{
    return ScrollInfoOf(tree, SB_VERT);
}

TEST_F(ShellTreeInteraction, TheWheelScrollsTheShellTreeUnderThePointerEvenWithoutTheFocus)
{
    for (int i = 0; i < 60; ++i)
        fs::create_directories(H("many/f" + std::to_string(100 + i)));
    MakeTree(H("few"), {"one", "two"});
    auto* second = vcl::Create<TActionTree>(Window);
    second->SetParent(Window);
    Tree->SetBounds(0, 0, 160, 400);
    second->SetBounds(160, 0, 160, 200);
    Pump();
    Tree->SetFocus();
    struct Case {
        const char* Name;
        std::string Folder;
        UINT Lines;
        bool SentToFocused; // else a real wheel over the second tree
        int Moved;          // lines; -1: a page
    };
    const Case cases[] = {
        {"a real notch, three lines", "many", 3, false, 3},
        {"a real notch, a page", "many", WHEEL_PAGESCROLL, false, -1},
        {"a notch sent to the focused tree", "many", 3, true, 3},
        {"all fits: nothing", "few", 3, false, 0},
    };
    UINT before = 0;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &before, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, c.Lines, nullptr, 0);
        second->BaseFolder()->SetIdList(ListOfPath(H(c.Folder)).Get());
        second->FillItems();
        second->Items()->GetFirstNode()->Expand(false);
        Pump();
        const int top = Scroll(second).nPos;
        const int treeTop = Scroll(Tree).nPos;
        QWidget* viewport = ShownViewport(second);
        const QPoint at(40, 60);
        const QPoint global = viewport->mapToGlobal(at);
        if (c.SentToFocused) {
            SendMessageA(Tree->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                         MAKELPARAM(global.x(), global.y()));
        } else {
            QWheelEvent wheel(at, global, QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(viewport, &wheel);
        }
        Pump();
        EXPECT_TRUE(Tree->Focused());
        EXPECT_EQ(Scroll(second).nPos - top,
                  c.Moved == -1 ? static_cast<int>(Scroll(second).nPage) : c.Moved);
        EXPECT_EQ(Scroll(Tree).nPos, treeTop) << "the focused tree stays";
    }
    SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, before, nullptr, 0);
    vcl::Free(second);
}

// What the shell's custom-draw events saw, and links drawn blue.
struct DrawLog : QObject {
    std::vector<std::string> Ex;
    std::vector<std::string> Sh;
    void Every(vcl::TObject*, kw::TKwCustomDraw* cd, TTreeNode* node, kw::TKwShTreeData* data)
    {
        Ex.push_back(std::to_string(cd->RawDrawStage()) + ":" + (node ? node->Text() : "-") + ":" +
                     (data ? "data" : "none"));
    }
    void Item(vcl::TObject*, kw::TKwCustomDraw* cd, TTreeNode* node, kw::TKwShTreeData* data)
    {
        Sh.push_back(
            std::to_string(cd->RawDrawStage()) + ":" + node->Text() + ":" +
            (data && node->Text() == fs::path(data->GetPathName()).filename().string() ? "data" : "?"));
        if (data && fs::is_symlink(data->GetPathName()))
            cd->Font()->SetColor(vcl::clBlue);
    }
};

bool HasBlue(const QImage& image, const QRect& rows)
{
    for (int y = rows.top(); y <= rows.bottom(); ++y)
        for (int x = rows.left(); x <= rows.right(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour.blue() > 150 && colour.red() < 90 && colour.green() < 90)
                return true;
        }
    return false;
}

TEST_F(ShellTreeInteraction, CustomDrawEventsCarryTheNodesDataAndAHandlerDrawsLinksBlue)
{
    fs::create_directory_symlink(Root + "/a", Root + "/link-a");
    fs::create_directory_symlink(Root + "/src", Root + "/link-src");
    Tree->FillItems();
    DrawLog log;
    Tree->OnCustomDrawShEx = kw::TKwShTvCustomDrawEvent(&log, &DrawLog::Every);
    Tree->OnCustomDrawSh = kw::TKwShTvCustomDrawEvent(&log, &DrawLog::Item);
    Tree->SetSelected(nullptr);
    Pump();
    const QImage image = Viewport()->grab().toImage();
    ASSERT_FALSE(log.Sh.empty());
    for (const std::string& entry : log.Sh)
        EXPECT_EQ(entry.substr(0, entry.find(':')), std::to_string(CDDS_ITEMPREPAINT)) << entry;
    for (const std::string& entry : log.Sh)
        EXPECT_EQ(entry.substr(entry.rfind(':') + 1), "data") << entry;
    const auto saw = [&](DWORD stage) {
        return std::any_of(log.Ex.begin(), log.Ex.end(), [&](const std::string& e) {
            return e.rfind(std::to_string(stage) + ":", 0) == 0;
        });
    };
    EXPECT_TRUE(saw(CDDS_PREPAINT));
    EXPECT_TRUE(saw(CDDS_ITEMPREPAINT));
    EXPECT_GT(log.Ex.size(), log.Sh.size()) << "every stage, not only the items'";
    for (TTreeNode* node = Tree->Items()->GetFirstNode()->GetFirstChild(); node;
         node = node->GetNextSibling()) {
        const vcl::TRect r = node->DisplayRect(true);
        const bool link = node->Text().rfind("link-", 0) == 0;
        EXPECT_EQ(HasBlue(image, QRect(r.left, r.top, r.right - r.left, r.bottom - r.top)), link)
            << node->Text();
    }

    // The picture: links in blue and a label being edited.
    SelectNode("z");
    Key(Qt::Key_F2);
    ASSERT_TRUE(Tree->IsEditing());
    Type("renaming");
    Pump();
    SavePicture(Window->Peer(), "shell-tree-links-and-edit.png");
    QTest::keyClick(EditBox(), Qt::Key_Escape);
    Tree->OnCustomDrawShEx = {};
    Tree->OnCustomDrawSh = {};
}

TEST_F(ShellTreeInteraction, TheDesignerReachesNodesButtonsAndTheScrollBarOnlyWhenAsked)
{
    TTreeNode* a = Node("a");
    const QPoint label = Label(a);
    const QPoint button = Button(a);
    const vcl::TRect last = Tree->Items()->GetFirstNode()->GetLastChild()->DisplayRect(false);
    struct Case {
        const char* Name;
        QPoint At;
        int Interactive; // the answer with the option
    };
    const Case cases[] = {
        {"a label", label, 1},
        {"a button", button, 1},
        {"below every node", QPoint(label.x(), last.bottom + 40), 0},
        {"the scroll bar", QPoint(Tree->ClientWidth() + 2, 10), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (const bool interactive : {true, false}) {
            Tree->SetOptions(interactive
                                 ? Tree->Options() + kw::TKwShellTreeOptions{kw::kwstoDesignInteractive}
                                 : Tree->Options() - kw::TKwShellTreeOptions{kw::kwstoDesignInteractive});
            EXPECT_EQ(Tree->Perform(vcl::CM_DESIGNHITTEST, 0, MAKELPARAM(c.At.x(), c.At.y())),
                      interactive ? c.Interactive : 0);
        }
    }
}

} // namespace
