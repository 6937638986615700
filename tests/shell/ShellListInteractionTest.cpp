// The shell list in a person's hands: the file filter on real folders,
// opening by double clicks and keys, the shell menus, the shortcut keys,
// renaming in place, new folders and the custom-draw events with shell data.

#include "ShellTreeTestSupport.h"

#include "../support/MessageBoxScript.h"
#include "ShellMenuScript.h"
#include "UKwShellControlsTesting.h"

#include "com/Initialization.h"
#include "shell32/OleClipboard.h"
#include "shell32/Opening.h"
#include "shell32/ShellUIObjects.h"
#include "shell32/Trash.h"
#include "vcl/widgets/ControlMessages.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/Menus.h"
#include "win32/ScrollBars.h"
#include "win32/SystemSettings.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QImage>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace kwtest;
using vcl::TListItem;
namespace fs = std::filesystem;

class TProbeList : public kw::TKwShellList {
public:
    using TKwCustomShellList::BeginBusy;
    using TKwCustomShellList::EndBusy;
    using TKwShellList::TKwShellList;
};

// What the open hook was asked to open.
std::vector<std::string> g_opened;
BOOL RecordOpen(const shell32::OpenRequest& request)
{
    g_opened.push_back(request.target);
    return TRUE;
}

constexpr UINT kRename = kw::KwShellMenuFirstId + 18;

class ShellListInteraction : public ::testing::Test {
public:
    ScopedHome Home;
    win32::testing::ScopedMountSource Mounts{SampleMountSource()};
    const win32::MenuTracker BeforeTracker = win32::SetMenuTracker(&Scripted);
    const shell32::OpenHook BeforeOpen = shell32::SetOpenHook(&RecordOpen);
    vcl::TForm* Window = nullptr;
    TProbeList* List = nullptr;
    std::string Root;
    int FillStarts = 0;
    int DblClickOpens = 0;
    bool Handled = false;
    bool OleReady = false;

    void SetUp() override
    {
        shell32::InstallShellUIObjects();
        OleReady = SUCCEEDED(OleInitialize(nullptr));
        Window = vcl::Create<vcl::TForm>(nullptr);
        Window->SetBounds(0, 0, 400, 300);
        Window->Show();
        WaitExposed(Window->Peer());
        List = vcl::Create<TProbeList>(Window);
        List->SetParent(Window);
        List->SetBounds(0, 0, 400, 300);
        List->SetViewStyle(vcl::vsReport);
        List->SetMultiSelect(true);
        List->OnFillStart = vcl::TNotifyEvent(this, &ShellListInteraction::FillStart);
        List->OnDblClickOpen = kw::TKwShDblClickOpenEvent(this, &ShellListInteraction::DblClickOpen);
        Root = Home.Home() + "/r";
        MakeTree(Root, {"sub/inner.txt", "a.txt", "b.txt", "z"});
        Show(Root);
        List->SetFocus();
        Pump();
        g_opened.clear();
    }
    void TearDown() override
    {
        win32::SetMenuTracker(BeforeTracker);
        shell32::SetOpenHook(BeforeOpen);
        g_script = nullptr;
        g_menus = 0;
        vcl::Free(Window);
        Pump();
        OleSetClipboard(nullptr);
        if (OleReady)
            OleUninitialize();
        win32::testing::ResetListedFolders();
    }
    std::vector<DWORD> Stages;
    int BlueFolders = 0;

    void FillStart(vcl::TObject*) { ++FillStarts; }
    void Edited(vcl::TObject*, TListItem*, std::string& text) { text += ".renamed"; }
    void DrawEx(vcl::TObject*, kw::TKwCustomDraw* cd, TListItem*, kw::TKwShListData*)
    {
        Stages.push_back(cd->RawDrawStage());
    }
    void DrawSh(vcl::TObject*, kw::TKwCustomDraw* cd, TListItem*, kw::TKwShListData* data)
    {
        if (data && data->IsFolder()) {
            ++BlueFolders;
            cd->Font()->SetStyle(vcl::TFontStyles{vcl::fsBold});
            cd->Font()->SetColor(vcl::clBlue);
        }
    }
    void DblClickOpen(vcl::TObject*, bool& handled)
    {
        ++DblClickOpens;
        handled = Handled;
    }

    // Shows path filled afresh, with what the test has just made there.
    void Show(const std::string& path)
    {
        List->Folder()->SetIdList(ListOfPath(path).Get());
        List->FillItems();
        Pump();
    }
    std::string Shown() const { return List->Folder()->GetPathName(); }
    // The file names (raw bytes) of the items, sorted.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < List->Items()->Count(); ++i)
            if (kw::TKwShListData* data = List->GetDataFromItem(List->Items()->Item(i)))
                names.push_back(fs::path(data->GetPathName()).filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    TListItem* Item(const std::string& name) const
    {
        for (int i = 0; i < List->Items()->Count(); ++i)
            if (kw::TKwShListData* data = List->GetDataFromItem(List->Items()->Item(i));
                data && fs::path(data->GetPathName()).filename() == name)
                return List->Items()->Item(i);
        ADD_FAILURE() << "no item " << name;
        return nullptr;
    }
    void SelectOnly(const std::vector<std::string>& names)
    {
        List->ClearSelection();
        for (const std::string& name : names)
            if (TListItem* item = Item(name))
                item->SetSelected(true);
        if (!names.empty())
            List->SetItemFocused(Item(names.front()));
        Pump();
    }
    QWidget* Viewport() const
    {
        for (auto* view : List->Peer()->findChildren<QAbstractScrollArea*>(Qt::FindDirectChildrenOnly))
            if (!view->isHidden())
                return view->viewport();
        return nullptr;
    }
    // Where a client point of the list is on its peer and on the viewport.
    QPoint OnPeer(int x, int y) const { return QPoint(x, y) + List->Peer()->contentsRect().topLeft(); }
    QPoint Centre(const TListItem* item) const
    {
        const vcl::TRect r = item->DisplayRect(vcl::drLabel);
        return Viewport()->mapFrom(List->Peer(), OnPeer((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    void DoubleClick(const std::string& name)
    {
        const QPoint at = Centre(Item(name));
        QWidget* viewport = Viewport();
        ClickAwaited(viewport, at);
        // The second press comes as the double click; the list waits on it
        // for a drag as on the first, so the release comes meanwhile.
        Later({[viewport, at] { QTest::mouseRelease(viewport, Qt::LeftButton, {}, at); }});
        QTest::mouseEvent(QTest::MouseDClick, viewport, Qt::LeftButton, {}, at);
        Pump();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(List->Peer(), key, modifiers);
    }
    QWidget* EditBox() const { return QApplication::focusWidget(); }
};

// ---- the file filter ----

TEST_F(ShellListInteraction, TheFilterShowsTheFilesItsMasksNameAndEveryFolder)
{
    const std::string invalid = std::string("bad\xff") + ".txt";
    const std::vector<std::string> files = {"a.txt",  "A.TXT",           "b.log",         ".h.txt", "x*y.txt",
                                            "q?.txt", "back\\slash.txt", "new\nline.txt", invalid};
    using V = std::vector<std::string>;
    const V all = [&] {
        V sorted = files;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }();
    const V txt = [&] {
        V sorted;
        for (const std::string& name : all)
            if (name != "b.log")
                sorted.push_back(name);
        return sorted;
    }();
    struct Case {
        const char* Filter;
        V Files;
    };
    const Case cases[] = {
        {"*.txt;*.log", all}, {"*.TXT", txt}, {";;", {}},        {"a;;b", {}},           {" *.txt", {}},
        {"*", all},           {"*.*", all},   {"sub/*.txt", {}}, {"q?.txt", {"q?.txt"}},
    };
    // The same in a folder whose own name a pattern would read.
    for (const std::string& folder : {Home.Home() + "/plain", Home.Home() + "/odd*\\\nname"}) {
        SCOPED_TRACE(folder);
        fs::create_directories(folder + "/dir.txt");
        for (const std::string& name : files)
            WriteFile(folder + "/" + name, "x");
        List->SetFileFilter("");
        Show(folder);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.Filter);
            List->SetFileFilter(c.Filter);
            Pump();
            V expected = c.Files;
            expected.push_back("dir.txt");
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(Names(), expected);
        }
    }
}

TEST_F(ShellListInteraction, TheSameFilterTwiceNeitherRefillsNorActsInComputer)
{
    List->SetFileFilter("*.txt");
    Pump();
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "b.txt", "sub", "z"}));
    const int fills = FillStarts;
    List->SetFileFilter("*.txt");
    Pump();
    EXPECT_EQ(FillStarts, fills);

    // Computer's items are no files: the filter leaves them all.
    List->SetFileFilter("");
    List->Folder()->SetCSIDL(kw::csidlDrives);
    Pump();
    const int unfiltered = List->Items()->Count();
    ASSERT_GT(unfiltered, 0);
    List->SetFileFilter("*.nothing");
    Pump();
    EXPECT_EQ(List->Items()->Count(), unfiltered);
}

// ---- opening ----

TEST_F(ShellListInteraction, DoubleClicksAndEnterOpenFoldersLinksAndFiles)
{
    fs::create_directory_symlink(Root + "/sub", Root + "/link");
    WriteFile(Root + "/entry.desktop",
              "[Desktop Entry]\nType=Link\nName=entry\nURL=file://" + Root + "/sub\n");
    struct Case {
        const char* Name;
        std::vector<std::string> Items;
        bool ByEnter;
        bool DontChangeFolder;
        bool Handled;
        std::string ShownAfter; // relative to the root; "." for the root
        std::vector<std::string> Opened;
        int Asked; // OnDblClickOpen
    };
    const Case cases[] = {
        {"a folder", {"sub"}, false, false, false, "sub", {}, 0},
        {"a folder by Enter", {"sub"}, true, false, false, "sub", {}, 0},
        {"a folder, handled: entered all the same", {"sub"}, false, false, true, "sub", {}, 0},
        {"a folder, not to change", {"sub"}, false, true, false, ".", {}, 0},
        {"a symbolic link to a folder", {"link"}, false, false, false, "sub", {}, 0},
        {"a desktop-entry link to a folder", {"entry.desktop"}, false, false, false, "sub", {}, 0},
        {"a file", {"a.txt"}, false, false, false, ".", {"a.txt"}, 1},
        {"a file by Enter", {"a.txt"}, true, false, false, ".", {"a.txt"}, 1},
        {"a file, handled", {"a.txt"}, false, false, true, ".", {}, 1},
        {"two files by Enter: one menu's default",
         {"a.txt", "b.txt"},
         true,
         false,
         false,
         ".",
         {"a.txt", "b.txt"},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Show(Root);
        kw::TKwShellListOptions options = List->Options();
        if (c.DontChangeFolder)
            options.Include(kw::kwsloDontChangeFolder);
        else
            options.Exclude(kw::kwsloDontChangeFolder);
        List->SetOptions(options);
        Handled = c.Handled;
        DblClickOpens = 0;
        g_opened.clear();
        SelectOnly(c.Items);
        if (c.ByEnter)
            Key(Qt::Key_Return);
        else
            DoubleClick(c.Items.front());
        Pump();
        const std::string shown = Shown();
        EXPECT_EQ(fs::path(shown).lexically_relative(Root).string() == "link"
                      ? "sub"
                      : fs::path(shown).lexically_relative(Root).string(),
                  c.ShownAfter);
        if (c.ShownAfter == "sub") {
            EXPECT_EQ(Names(), std::vector<std::string>{"inner.txt"});
        }
        std::vector<std::string> opened;
        for (const std::string& target : g_opened)
            opened.push_back(fs::path(target).lexically_relative(Root).string());
        std::sort(opened.begin(), opened.end());
        EXPECT_EQ(opened, c.Opened);
        EXPECT_EQ(DblClickOpens, c.Asked);
    }
    Handled = false;
    // Enter is the list's on a folder, so a dialog's default button does not
    // take it; on a file it is the dialog's.
    SelectOnly({"sub"});
    EXPECT_EQ(List->Perform(vcl::CM_WANTSPECIALKEY, VK_RETURN, 0), 1);
    SelectOnly({"a.txt"});
    EXPECT_EQ(List->Perform(vcl::CM_WANTSPECIALKEY, VK_RETURN, 0), 0);
    // Backspace goes up.
    Show(Root + "/sub");
    Key(Qt::Key_Backspace);
    Pump();
    EXPECT_EQ(Shown(), Root);
}

TEST_F(ShellListInteraction, EnterInAModalFormOpensAFolderAndLeavesAFileToTheDefaultButton)
{
    struct Case {
        const char* Name;
        const char* Selected;
        vcl::TModalResult Result;
        std::string Shown; // by the list, once Enter is handled
    };
    const Case cases[] = {
        {"a folder: the list enters it and the form stays", "sub", vcl::mrCancel, Root + "/sub"},
        {"a file: the default button ends the form", "a.txt", vcl::mrOk, Root},
    };
    TProbeList* const main = List;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto* form = vcl::Create<vcl::TForm>(nullptr);
        form->SetBounds(40, 40, 420, 340);
        List = vcl::Create<TProbeList>(form);
        List->SetParent(form);
        List->SetBounds(0, 0, 420, 280);
        List->SetViewStyle(vcl::vsReport);
        List->OnDblClickOpen = kw::TKwShDblClickOpenEvent(this, &ShellListInteraction::DblClickOpen);
        List->Folder()->SetIdList(ListOfPath(Root).Get());
        const auto button = [form](const char* caption, int left, vcl::TModalResult result) {
            auto* b = vcl::Create<vcl::TButton>(form);
            b->SetParent(form);
            b->SetBounds(left, 290, 75, 25);
            b->SetCaption(caption);
            b->SetModalResult(result);
            return b;
        };
        button("OK", 250, vcl::mrOk)->SetDefault(true);
        button("Cancel", 335, vcl::mrCancel)->SetCancel(true);
        form->SetActiveControl(List);
        DblClickOpens = 0;
        g_opened.clear();
        std::string shown;
        Later({[&] {
            WaitExposed(form->Peer());
            PumpUntil([this] { return List->Items()->Count() == 4; }, 3000);
            SelectOnly({c.Selected});
            QTest::keyClick(List->Peer(), Qt::Key_Return);
            Pump();
            shown = Shown();
            // Still open: the list had the key; Escape ends the form.
            if (form->ModalResult() == vcl::mrNone)
                QTest::keyClick(List->Peer(), Qt::Key_Escape);
        }});
        EXPECT_EQ(form->ShowModal(), c.Result);
        EXPECT_EQ(shown, c.Shown);
        EXPECT_TRUE(g_opened.empty());
        EXPECT_EQ(DblClickOpens, 0);
        vcl::Free(form);
        List = main;
        Pump();
    }
}

TEST_F(ShellListInteraction, OpeningAnItemThatAPendingPushTakesAwayTouchesNothingFreed)
{
    TProbeTree* tree = vcl::Create<TProbeTree>(Window);
    tree->SetParent(Window);
    tree->SetBounds(0, 0, 100, 300);
    tree->BaseFolder()->SetIdList(ListOfPath(Root).Get());
    tree->FillItems();
    tree->SetShellList(List);
    tree->SetSelected(tree->Items()->GetFirstNode());
    tree->Synchronize(false);
    Pump();
    ASSERT_EQ(Shown(), Root);
    TListItem* item = Item("a.txt");
    // A person moves the tree to sub; its push waits for the key delay.
    const int delay = std::exchange(kw::KWSH_TREE_KEY_UPDATE_DELAY, 60000);
    for (vcl::TTreeNode* node = tree->Items()->GetFirstNode()->GetFirstChild(); node;
         node = node->GetNextSibling())
        if (node->Text() == "sub")
            tree->SetSelected(node);
    List->OpenItem(item);
    kw::KWSH_TREE_KEY_UPDATE_DELAY = delay;
    EXPECT_EQ(Shown(), Root + "/sub");
    EXPECT_TRUE(g_opened.empty());
    EXPECT_EQ(DblClickOpens, 0);
    vcl::Free(tree);
}

// ---- the shell menu ----

TEST_F(ShellListInteraction, TheShellMenuComesByMouseAndKeysAndRunsWhatIsChosen)
{
    const std::string sendTo = kw::ShellGetSpecialFolderPath(nullptr, kw::csidlSendTo);
    fs::create_directories(sendTo);
    fs::create_directories(Home.Home() + "/target");
    fs::create_directory_symlink(Home.Home() + "/target", sendTo + "/Target");
    struct Case {
        const char* Name;
        int How; // 0 right click, 1 Apps, 2 Shift+F10
        bool ReadOnly;
        bool Busy;
        std::function<void(win32::MenuTrackSession&)> Script;
        int Menus;
        bool RenameOffered;
        std::function<bool()> After;
    };
    const auto choose = [](UINT id) {
        return [id](win32::MenuTrackSession& s) { s.Choose(s.Menu(), PositionOf(s.Menu(), id)); };
    };
    const Case cases[] = {
        {"a right click, rename chosen", 0, false, false, choose(kRename), 1, true,
         [this] { return List->IsEditing(); }},
        {"the Apps key, nothing chosen", 1, false, false, nullptr, 1, true,
         [this] { return !List->IsEditing(); }},
        {"Shift+F10", 2, false, false, nullptr, 1, true, [] { return true; }},
        {"read-only: no rename", 0, true, false, nullptr, 1, false, [] { return true; }},
        {"busy: no menu", 1, false, true, nullptr, 0, false, [] { return true; }},
        {"a Send To entry copies the file into its target", 0, false, false,
         [](win32::MenuTrackSession& s) {
             const std::vector<win32::MenuItemView> items = win32::MenuItems(s.Menu());
             // The Send To submenu: its first entry, once it is filled, has id 1.
             for (std::size_t i = 0; i < items.size(); ++i) {
                 if (!items[i].SubMenu)
                     continue;
                 s.OpenPopup(items[i].SubMenu, static_cast<UINT>(i));
                 if (PositionOf(items[i].SubMenu, 1) >= 0) {
                     s.Choose(items[i].SubMenu, PositionOf(items[i].SubMenu, 1));
                     return;
                 }
             }
         },
         1, true, [this] { return fs::exists(Home.Home() + "/target/a.txt"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Show(Root);
        List->SetReadOnly(c.ReadOnly);
        SelectOnly({"a.txt"});
        if (c.Busy)
            List->BeginBusy();
        g_menus = 0;
        g_ids.clear();
        g_script = c.Script;
        if (c.How == 0)
            RightClickAt(Viewport(), Centre(Item("a.txt")));
        else if (c.How == 1)
            Key(Qt::Key_Menu);
        else
            Key(Qt::Key_F10, Qt::ShiftModifier);
        g_script = nullptr;
        if (c.Busy)
            List->EndBusy();
        Pump();
        EXPECT_EQ(g_menus, c.Menus);
        EXPECT_EQ(std::count(g_ids.begin(), g_ids.end(), kRename), c.RenameOffered ? 1 : 0);
        PumpUntil(c.After, 3000);
        EXPECT_TRUE(c.After());
        if (List->IsEditing())
            QTest::keyClick(EditBox(), Qt::Key_Escape);
        Pump();
    }
    List->SetReadOnly(false);
}

TEST_F(ShellListInteraction, RenameIsOfferedOnlyWhenTheFocusedItemHasAPath)
{
    // The desktop holds its folder's files beside places without a path.
    WriteFile(Home.Home() + "/Desktop/d1.txt", "1");
    WriteFile(Home.Home() + "/Desktop/d2.txt", "2");
    List->Folder()->SetCSIDL(kw::csidlDesktop);
    Pump();
    TListItem* place = nullptr;
    for (int i = 0; i < List->Items()->Count() && !place; ++i)
        if (kw::TKwShListData* data = List->GetDataFromItem(List->Items()->Item(i));
            data && data->GetPathName().empty())
            place = List->Items()->Item(i);
    ASSERT_TRUE(place);
    struct Case {
        const char* Name;
        TListItem* Focused; // beside d1.txt, the one selected
        int Offered;
    };
    const Case cases[] = {
        {"another file focused", Item("d2.txt"), 1},
        {"a place without a path focused", place, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SelectOnly({"d1.txt"});
        List->SetItemFocused(c.Focused);
        Pump();
        g_menus = 0;
        g_ids.clear();
        Key(Qt::Key_Menu);
        Pump();
        EXPECT_EQ(g_menus, 1);
        EXPECT_EQ(std::count(g_ids.begin(), g_ids.end(), kRename), c.Offered);
        EXPECT_TRUE(Item("d1.txt")->Selected());
    }
}

TEST_F(ShellListInteraction, AChosenCommandRefreshesOnlyOnANetworkFolder)
{
    std::unique_ptr<char, decltype(&std::free)> real{realpath(Root.c_str(), nullptr), &std::free};
    ASSERT_TRUE(real);
    for (const auto& [type, refreshes] : {std::pair{"ext4", 0}, std::pair{"nfs4", 1}}) {
        SCOPED_TRACE(type);
        const std::string table = std::string("20 1 8:1 / / rw - ext4 /dev/sda1 rw\n30 20 0:50 / ") +
                                  real.get() + " rw - " + type + " server:/export rw\n";
        win32::testing::ScopedMountSource use(std::make_shared<win32::testing::TextMountSource>(table));
        SelectOnly({"a.txt"});
        FillStarts = 0;
        g_script = [](win32::MenuTrackSession& s) {
            s.Choose(s.Menu(), PositionOf(s.Menu(), kw::KwShellMenuFirstId + 2));
        };
        RightClickAt(Viewport(), Centre(Item("a.txt")));
        g_script = nullptr;
        Pump();
        EXPECT_EQ(g_menus > 0, true);
        EXPECT_EQ(FillStarts, refreshes);
    }
}

TEST_F(ShellListInteraction, ARefreshAskedForDuringOneItemsMenuRunsOnceAfterIt)
{
    g_script = [this](win32::MenuTrackSession&) {
        List->RefreshItems();
        List->RefreshItems();
    };
    FillStarts = 0;
    List->ProcessMenu(Item("a.txt"), {5, 5});
    g_script = nullptr;
    Pump();
    EXPECT_EQ(g_menus, 1);
    EXPECT_EQ(FillStarts, 1);
}

// ---- keys ----

TEST_F(ShellListInteraction, ShortcutKeysRunTheirVerbsAndOtherKeysReachTheList)
{
    struct Case {
        const char* Name;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        std::vector<std::string> Selection;
        int Answer; // of the delete confirmation, when one comes
        int Fills;
        int Boxes;
        std::function<bool()> After;
    };
    const Case cases[] = {
        {"Ctrl+A selects all",
         Qt::Key_A,
         Qt::ControlModifier,
         {"a.txt"},
         0,
         0,
         0,
         [this] { return List->SelCount() == List->Items()->Count(); }},
        {"F5 refills", Qt::Key_F5, {}, {"a.txt"}, 0, 1, 0, [] { return true; }},
        {"Ctrl+C copies without a refresh",
         Qt::Key_C,
         Qt::ControlModifier,
         {"a.txt"},
         0,
         0,
         0,
         [] { return true; }},
        {"Ctrl+V pastes into the folder and refreshes",
         Qt::Key_V,
         Qt::ControlModifier,
         {"z"},
         0,
         1,
         0,
         [this] {
             return fs::exists(Root + "/a - Copy.txt") || fs::exists(Root + "/a (copy).txt") ||
                    fs::exists(Root + "/a (2).txt") || fs::exists(Root + "/Copy of a.txt");
         }},
        {"Ctrl+X cuts", Qt::Key_X, Qt::ControlModifier, {"b.txt"}, 0, 0, 0, [] { return true; }},
        {"F2 edits", Qt::Key_F2, {}, {"a.txt"}, 0, 0, 0, [this] { return List->IsEditing(); }},
        {"Del asks, refused",
         Qt::Key_Delete,
         {},
         {"a.txt"},
         IDNO,
         1,
         1,
         [this] { return fs::exists(Root + "/a.txt"); }},
        {"Shift+Del asks the same, refused",
         Qt::Key_Delete,
         Qt::ShiftModifier,
         {"a.txt"},
         IDNO,
         1,
         1,
         [this] { return fs::exists(Root + "/a.txt"); }},
        {"an arrow moves the focus",
         Qt::Key_Down,
         {},
         {"a.txt"},
         0,
         0,
         0,
         [this] { return List->ItemFocused() != Item("a.txt"); }},
    };
    // Only the fills the keys make: a paste's or a deletion's change
    // notification would refresh once more when its timer runs, and on a
    // busy machine that can fall into a later step.
    List->SetOptions(List->Options() - kw::kwsloDynamicRefresh);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MessageBoxScript boxes;
        if (c.Answer)
            boxes.Queue(c.Answer);
        SelectOnly(c.Selection);
        FillStarts = 0;
        Key(c.Key, c.Modifiers);
        Pump();
        EXPECT_EQ(FillStarts, c.Fills);
        EXPECT_EQ(boxes.Count(), static_cast<std::size_t>(c.Boxes)) << boxes.Last().Text;
        EXPECT_TRUE(c.After());
        if (List->IsEditing())
            QTest::keyClick(EditBox(), Qt::Key_Escape);
        Pump();
    }
    // Confirmed, Del trashes.
    MessageBoxScript boxes;
    boxes.Queue(IDYES);
    SelectOnly({"b.txt"});
    Key(Qt::Key_Delete);
    Pump();
    EXPECT_FALSE(fs::exists(Root + "/b.txt"));
    std::vector<shell32::TrashEntry> entries;
    shell32::ListTrash(fs::path(Home.Home()).parent_path() / "data" / "Trash", entries);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Info->OriginalPath, Root + "/b.txt");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Copy of a.txt", "a.txt", "sub", "z"}));

    // Nothing without the default key handling, nor while editing.
    kw::TKwShellListOptions options = List->Options();
    options.Exclude(kw::kwsloDefaultKeyHandling);
    List->SetOptions(options);
    FillStarts = 0;
    Key(Qt::Key_F5);
    Pump();
    EXPECT_EQ(FillStarts, 0);
}

// ---- renaming and new folders ----

TEST_F(ShellListInteraction, ATypedNameRenamesOnDiskOrIsRefusedWhole)
{
    const std::string invalid = std::string("in\xfe") + "valid";
    WriteFile(Root + "/" + invalid, "i");
    WriteFile(Root + "/new\nline", "n");
    struct Case {
        const char* Name;
        std::string From;
        std::string Typed;
        bool Done;
    };
    const Case cases[] = {
        {"invalid UTF-8", invalid, "fine1", true},
        {"a newline", "new\nline", "fine2", true},
        {"300 characters", "a.txt", std::string(300, 'n'), false},
        {"a path upwards", "a.txt", "../x", false},
        {"a slash", "a.txt", "a/b", false},
        {"an existing name", "a.txt", "b.txt", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MessageBoxScript boxes;
        Show(Root);
        SelectOnly({c.From});
        TListItem* item = Item(c.From);
        const std::string caption = item->Caption();
        Key(Qt::Key_F2);
        ASSERT_TRUE(List->IsEditing());
        QTest::keyClick(EditBox(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(EditBox(), QString::fromStdString(c.Typed));
        QTest::keyClick(EditBox(), Qt::Key_Return);
        Pump();
        EXPECT_EQ(fs::exists(Root + "/" + c.From), !c.Done);
        if (c.Done) {
            EXPECT_TRUE(fs::exists(Root + "/" + c.Typed));
            EXPECT_EQ(item->Caption(), c.Typed);
            EXPECT_EQ(boxes.Count(), 0u);
        } else {
            EXPECT_EQ(item->Caption(), caption);
            EXPECT_EQ(boxes.Count(), 1u) << "one box says why";
            EXPECT_EQ(Names().size(), 6u);
        }
    }
    // After a refused rename the next change of another program shows.
    ASSERT_EQ(std::system(("touch '" + Root + "/later.txt'").c_str()), 0);
    PumpUntil([this] { return List->Items()->Count() == 7; }, 8000);
    EXPECT_EQ(List->Items()->Count(), 7);
}

TEST_F(ShellListInteraction, OnEditedChangesTheNameGiven)
{
    List->OnEdited = vcl::TLVEditedEvent(this, &ShellListInteraction::Edited);
    SelectOnly({"a.txt"});
    Key(Qt::Key_F2);
    ASSERT_TRUE(List->IsEditing());
    QTest::keyClick(EditBox(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(EditBox(), "c");
    QTest::keyClick(EditBox(), Qt::Key_Return);
    Pump();
    EXPECT_TRUE(fs::exists(Root + "/c.renamed"));
    EXPECT_EQ(Item("c.renamed")->Caption(), "c.renamed");
}

TEST_F(ShellListInteraction, ACancelledRenameRunsTheRefreshAskedForMeanwhile)
{
    SelectOnly({"a.txt"});
    Key(Qt::Key_F2);
    ASSERT_TRUE(List->IsEditing());
    FillStarts = 0;
    List->RefreshItems();
    EXPECT_EQ(FillStarts, 0) << "it waits for the edit";
    QTest::keyClick(EditBox(), Qt::Key_Escape);
    Pump();
    EXPECT_EQ(FillStarts, 1);
}

TEST_F(ShellListInteraction, NewFoldersAreMadeAndEditedOnlyWhereThereIsAPath)
{
    fs::create_directories(Root + "/New Folder");
    ASSERT_TRUE(List->CreateNewFolder(true));
    EXPECT_TRUE(fs::is_directory(Root + "/New Folder (2)"));
    PumpUntil([this] { return List->IsEditing(); }, 3000);
    ASSERT_TRUE(List->IsEditing());
    EXPECT_EQ(List->ItemFocused()->Caption(), "New Folder (2)");
    QTest::keyClick(EditBox(), Qt::Key_Escape);
    Pump();

    // Computer has no path: nothing made, not even in the current directory.
    TempDir cwd;
    const fs::path before = fs::current_path();
    fs::current_path(cwd.Path());
    List->Folder()->SetCSIDL(kw::csidlDrives);
    Pump();
    MessageBoxScript boxes;
    EXPECT_FALSE(List->CreateNewFolder(true));
    Pump();
    EXPECT_FALSE(List->IsEditing());
    EXPECT_TRUE(fs::is_empty(cwd.Path()));
    fs::current_path(before);
}

// ---- the wheel ----

TEST_F(ShellListInteraction, TheWheelScrollsTheShellListUnderThePointer)
{
    for (int i = 0; i < 80; ++i)
        WriteFile(Home.Home() + "/many/f" + std::to_string(100 + i) + ".txt", "x");
    auto* second = vcl::Create<TProbeList>(Window);
    second->SetParent(Window);
    List->SetBounds(0, 0, 200, 300);
    second->SetBounds(200, 0, 200, 300);
    Pump();
    List->SetFocus();
    struct Case {
        const char* Name;
        vcl::TViewStyle View;
        UINT Lines;
        bool OverSecond; // told to the focused list, else a real notch over it
        int Bar;
        int Moved; // -1: a page; -2: one step sideways (a column)
    };
    const Case cases[] = {
        {"report view, three lines", vcl::vsReport, 3, false, SB_VERT, 3},
        {"report view, a page", vcl::vsReport, WHEEL_PAGESCROLL, false, SB_VERT, -1},
        {"list view: one step sideways", vcl::vsList, 3, false, SB_HORZ, -2},
        {"over another shell list: that one scrolls", vcl::vsReport, 3, true, SB_VERT, 3},
    };
    UINT before = 0;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &before, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, c.Lines, nullptr, 0);
        TProbeList* target = c.OverSecond ? second : List;
        for (TProbeList* list : {List, second}) {
            list->SetViewStyle(c.View);
            list->Folder()->SetIdList(ListOfPath(Home.Home() + "/many").Get());
            list->FillItems();
        }
        Pump();
        const int top = ScrollInfoOf(target, c.Bar).nPos;
        const int focusedTop = ScrollInfoOf(List, SB_VERT).nPos;
        QWidget* viewport = ShownViewport(target);
        ASSERT_TRUE(viewport);
        const QPoint at(40, 60);
        const QPoint global = viewport->mapToGlobal(at);
        if (c.OverSecond) {
            // The focused list is told of a notch turned over the other one.
            SendMessageA(List->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                         MAKELPARAM(global.x(), global.y()));
        } else {
            QWheelEvent wheel(at, global, QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(viewport, &wheel);
        }
        Pump();
        EXPECT_TRUE(List->Focused());
        const SCROLLINFO after = ScrollInfoOf(target, c.Bar);
        if (c.Moved == -2) {
            // One column to the right, which one step back undoes.
            EXPECT_GT(after.nPos, top);
            target->Perform(WM_HSCROLL, SB_LINELEFT, 0);
            EXPECT_EQ(ScrollInfoOf(target, c.Bar).nPos, top);
        } else {
            EXPECT_EQ(after.nPos - top, c.Moved == -1 ? static_cast<int>(after.nPage) : c.Moved);
        }
        if (c.OverSecond) {
            EXPECT_EQ(ScrollInfoOf(List, SB_VERT).nPos, focusedTop) << "the focused list stays";
        }
    }
    SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, before, nullptr, 0);
    vcl::Free(second);
}

// ---- drawing ----

TEST_F(ShellListInteraction, CustomDrawMakesFoldersBoldAndBlueAndSeesEveryStage)
{
    // A file named with the folder's letters, to set its ink against.
    WriteFile(Root + "/bus", "x");
    Show(Root);
    List->OnCustomDrawShEx = kw::TKwShLvCustomDrawEvent(this, &ShellListInteraction::DrawEx);
    List->OnCustomDrawSh = kw::TKwShLvCustomDrawEvent(this, &ShellListInteraction::DrawSh);
    List->Invalidate();
    Pump();
    const QImage shot = List->Peer()->grab().toImage();
    shot.save(QString::fromStdString(OutputPath("shell-list-custom-draw.png")));
    EXPECT_NE(std::find(Stages.begin(), Stages.end(), DWORD(CDDS_PREPAINT)), Stages.end());
    EXPECT_NE(std::find(Stages.begin(), Stages.end(), DWORD(CDDS_ITEMPREPAINT)), Stages.end());
    EXPECT_GE(BlueFolders, 2) << "sub and z";
    // The folder's caption is drawn in blue; a file's is not.
    const auto blueIn = [&](const std::string& name) {
        const vcl::TRect r = Item(name)->DisplayRect(vcl::drLabel);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const QColor c = shot.pixelColor(OnPeer(x, y));
                if (c.blue() > 150 && c.red() < 80 && c.green() < 80)
                    return true;
            }
        return false;
    };
    EXPECT_TRUE(blueIn("sub"));
    EXPECT_FALSE(blueIn("a.txt"));
    // And in bold: the same letters carry more ink, inside the focus rectangle.
    const auto ink = [&](const std::string& name) {
        const vcl::TRect r = Item(name)->DisplayRect(vcl::drLabel);
        long total = 0;
        for (int y = r.top + 2; y < r.bottom - 2; ++y)
            for (int x = r.left + 2; x < r.right - 2; ++x) {
                const QColor c = shot.pixelColor(OnPeer(x, y));
                total += 255 - std::min({c.red(), c.green(), c.blue()});
            }
        return total;
    };
    EXPECT_GT(ink("sub") * 10, ink("bus") * 12);

    // The rename editor, as a person sees it.
    SelectOnly({"a.txt"});
    Key(Qt::Key_F2);
    ASSERT_TRUE(List->IsEditing());
    Pump();
    List->Peer()->grab().toImage().save(QString::fromStdString(OutputPath("shell-list-rename-editor.png")));
    QTest::keyClick(EditBox(), Qt::Key_Escape);
}

} // namespace
