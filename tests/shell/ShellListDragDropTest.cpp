// The shell list's drag and drop: where a drag over the list goes (an
// item's shell target, the held folder's, nothing for the list's own left
// drag over its own folder, a copy unasked for its own right drag), drags
// started by the mouse and carried on by a scripted loop, the drag start's
// silent end, the registration to the list's end, real transfers by a right
// drag answered from the drop menu, and the right click after a right drag.

#include "DragDropTestSupport.h"
#include "ShellMenuScript.h"
#include "ShellTreeTestSupport.h"

#include "shell32/ItemIdList.h"
#include "shell32/ShellUIObjects.h"
#include "win32/Menus.h"
#include "win32/WindowManager.h"

#include <QAbstractScrollArea>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace kwtest;
using vcl::TListItem;
using vcl::TTreeNode;
namespace fs = std::filesystem;

// The list's busy flag, for the tests to read.
class TBusyList : public kw::TKwShellList {
public:
    using TKwCustomShellList::Busy;
    using TKwShellList::TKwShellList;
};

class ShellListDragDrop : public ShellTreeFixture {
public:
    TBusyList* List = nullptr;
    std::vector<std::string> Log;
    int RightUps = 0;
    void MouseUp(vcl::TObject*, vcl::TMouseButton button, vcl::TShiftState, int, int)
    {
        RightUps += button == vcl::mbRight;
    }

    void SetUp() override
    {
        ShellTreeFixture::SetUp();
        Tree->SetBounds(0, 0, 120, 400);
        List = vcl::Create<TBusyList>(Form.Get());
        List->SetParent(Form.Get());
        List->SetBounds(120, 0, 200, 400);
        List->SetOptions(List->Options() - kw::kwsloDynamicRefresh);
        List->SetViewStyle(vcl::vsReport);
        List->SetMultiSelect(true);
        MakeTree(H("docs"), {"a", "u", "f1.txt", "f2.txt"});
        List->Folder()->SetIdList(ListOfPath(H("docs")).Get());
        Pump();
    }
    void TearDown() override
    {
        vcl::Free(List);
        Pump();
        ShellTreeFixture::TearDown();
    }
    TListItem* ItemNamed(const std::string& name) const { return kwtest::ItemNamed(List, name); }
    QWidget* ListViewport() const { return ShownViewport(List); }
    POINT Screen(const TListItem* item) const { return ItemScreenPoint(List, item); }
    QPoint InViewport(const TListItem* item) const
    {
        const POINT at = Screen(item);
        return ListViewport()->mapFromGlobal(QPoint(at.x, at.y));
    }
    POINT TreeScreen(const TTreeNode* node) const
    {
        const QPoint at = Viewport()->mapToGlobal(Label(node));
        return {at.x(), at.y()};
    }
    IDropTarget* Registered() const { return shell32::RegisteredDropTarget(List->Handle()); }
    // Another program's drag of data entering at a screen point and dropped there.
    void DropThere(IDataObject* data, POINT at)
    {
        IDropTarget* target = Registered();
        DWORD effect = 7;
        ASSERT_EQ(target->DragEnter(data, MK_LBUTTON, POINTL{at.x, at.y}, &effect), S_OK);
        effect = 7;
        ASSERT_EQ(target->Drop(data, 0, POINTL{at.x, at.y}, &effect), S_OK);
    }
    void Select(std::initializer_list<const char*> names)
    {
        List->ClearSelection();
        for (const char* name : names)
            ItemNamed(name)->SetSelected(true);
        Pump();
    }
};

TEST_F(ShellListDragDrop, ADragGoesToAnItemsTargetTheHeldFoldersOrNowhere)
{
    RecordingTargets targets(
        {{"docs", DROPEFFECT_COPY | DROPEFFECT_MOVE}, {"a", DROPEFFECT_COPY | DROPEFFECT_LINK}}, Log);
    targets.Unbound["u"] = true;
    TListItem* own = List->Items()->Add();
    own->SetCaption("the application's own");
    Pump();
    struct Step {
        const char* Name;
        const TListItem* Over;
        DWORD Keys;
        bool Release;
        std::vector<std::string> Heard;
        DWORD Effect; // what the list answered
        const TListItem* Highlight;
    };
    const TListItem* a = ItemNamed("a");
    // Another program's drag: the list is not busy.
    const std::vector<Step> foreign = {
        {"empty area: the folder's target",
         nullptr,
         MK_LBUTTON,
         false,
         {"docs enter 7 keys 1", "docs leave"},
         DROPEFFECT_COPY | DROPEFFECT_MOVE,
         nullptr},
        {"an item with shell data",
         a,
         MK_LBUTTON,
         false,
         {"a enter 7 keys 1", "a over 5 keys 1", "a leave"},
         DROPEFFECT_COPY | DROPEFFECT_LINK | DROPEFFECT_SCROLL,
         a},
        {"an unbound item: the folder's target, no highlight",
         ItemNamed("u"),
         MK_LBUTTON,
         false,
         {"docs enter 7 keys 1", "docs over 3 keys 1", "docs leave"},
         DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_SCROLL,
         nullptr},
        {"an application's item: a copy, no scroll bit",
         own,
         MK_LBUTTON,
         false,
         {},
         DROPEFFECT_COPY,
         nullptr},
        {"dropped on the empty area",
         nullptr,
         0,
         true,
         {"docs enter 7 keys 1", "docs over 3 keys 1", "docs drop 7 keys 1"},
         DROPEFFECT_COPY | DROPEFFECT_MOVE,
         nullptr},
    };
    com::ComPtr<IDataObject> data;
    ASSERT_EQ(com::CreatePlainDataObject(data.ReleaseAndGetAddressOf()), S_OK);
    IDropTarget* target = Registered();
    ASSERT_NE(target, nullptr);
    for (std::size_t i = 0; i < foreign.size(); ++i) {
        const Step& step = foreign[i];
        SCOPED_TRACE(step.Name);
        Log.clear();
        const POINT at = Screen(step.Over);
        DWORD effect = 7;
        if (i == 0)
            ASSERT_EQ(target->DragEnter(data.Get(), step.Keys, POINTL{at.x, at.y}, &effect), S_OK);
        else if (step.Release)
            ASSERT_EQ(target->Drop(data.Get(), step.Keys, POINTL{at.x, at.y}, &effect), S_OK);
        else
            ASSERT_EQ(target->DragOver(step.Keys, POINTL{at.x, at.y}, &effect), S_OK);
        EXPECT_EQ(Log, step.Heard);
        EXPECT_EQ(effect, step.Effect);
        EXPECT_EQ(List->DropTarget(), step.Highlight);
        if (step.Over == a)
            SavePicture(List->Peer(), "shell-list-drag-highlight.png");
    }

    // The list's own drags, started by the mouse on f1.txt.
    struct Own {
        const char* Name;
        Qt::MouseButton Button;
        DWORD Keys;
        std::vector<std::string> Heard; // over the empty area and at the release
        HRESULT Result;
        std::vector<DWORD> Effects;
    };
    const std::vector<Own> owns = {
        {"left: nothing over its own folder",
         Qt::LeftButton,
         MK_LBUTTON,
         {},
         DRAGDROP_S_CANCEL,
         {DROPEFFECT_NONE, DROPEFFECT_SCROLL}},
        {"right: a copy unasked, dropped to the folder without a move",
         Qt::RightButton,
         MK_RBUTTON,
         {"docs enter 5 keys 2", "docs over 1 keys 2", "docs drop 5 keys 2"},
         DRAGDROP_S_DROP,
         {DROPEFFECT_COPY, DROPEFFECT_COPY, DROPEFFECT_COPY}},
    };
    for (const Own& o : owns) {
        SCOPED_TRACE(o.Name);
        Select({"f1.txt"});
        Log.clear();
        HRESULT result = E_FAIL;
        bool busy = false;
        ScopedSpy spy(List->Handle());
        ScopedDragLoop loop([&](IDataObject* d, IDropSource* source, DWORD ok, DWORD* effect) {
            busy = List->Busy();
            const POINT empty = Screen(nullptr);
            result = shell32::ScriptedDragLoop(
                {{empty, o.Keys}, {empty, o.Keys}, {empty, o.Keys, false, true}}, d, source, ok, effect);
            return result;
        });
        ClickAwaited(ListViewport(), InViewport(ItemNamed("f1.txt")), o.Button, {}, true);
        EXPECT_TRUE(busy);
        EXPECT_FALSE(List->Busy());
        EXPECT_EQ(result, o.Result);
        EXPECT_EQ(Log, o.Heard);
        EXPECT_EQ(spy.Spy->Effects, o.Effects);
    }
}

TEST_F(ShellListDragDrop, NothingSelectedStartsNoDragAndTheRegistrationEndsWithTheList)
{
    int drags = 0;
    ScopedDragLoop loop([&](IDataObject*, IDropSource*, DWORD, DWORD*) {
        ++drags;
        return DRAGDROP_S_CANCEL;
    });
    // Nothing selected with shell data: the start ends without a word.
    List->ClearSelection();
    List->OleBeginDrag(vcl::mbLeft);
    EXPECT_EQ(drags, 0);
    EXPECT_FALSE(List->Busy());
    EXPECT_EQ(List->GetDragDropAttributesForAllSelected(), 0);
    Select({"f1.txt", "a"});
    EXPECT_EQ(List->GetDragDropAttributesForAllSelected(), 7);
    EXPECT_EQ(List->GetDragDropAttributesForItem(ItemNamed("a")) & 7, 7);
    List->OleBeginDrag(vcl::mbLeft);
    EXPECT_EQ(drags, 1);
    struct Case {
        const char* Name;
        std::function<void()> Act;
        bool Registered;
    };
    const Case cases[] = {
        {"made with the window", [] {}, true},
        {"the option off", [&] { List->SetOptions(List->Options() - kw::kwsloOleDrop); }, false},
        {"the option on", [&] { List->SetOptions(List->Options() + kw::kwsloOleDrop); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Act();
        EXPECT_EQ(Registered() != nullptr, c.Registered);
    }
    const HWND window = List->Handle();
    vcl::Free(List);
    List = nullptr;
    EXPECT_EQ(shell32::RegisteredDropTarget(window), nullptr);
}

TEST_F(ShellListDragDrop, AMouseDragCarriesItemsFromTheListOntoATreeNodeAndBack)
{
    Base(H("docs"));
    Tree->FillItems();
    Tree->Items()->GetFirstNode()->Expand(false);
    Pump();
    RecordingTargets targets({{"a", DROPEFFECT_COPY | DROPEFFECT_MOVE}}, Log);
    struct Case {
        const char* Name;
        bool FromList; // else from the tree's node u onto the list's item a
    };
    const Case cases[] = {{"the list's item onto the tree's node a", true},
                          {"the tree's node u onto the list's folder item a", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Select({"f1.txt"});
        Log.clear();
        HRESULT result = E_FAIL;
        bool highlighted = false;
        ScopedDragLoop loop([&](IDataObject* d, IDropSource* source, DWORD ok, DWORD* effect) {
            const POINT over = c.FromList ? TreeScreen(NodeOf(H("docs/a"))) : Screen(ItemNamed("a"));
            const auto look = [&] {
                highlighted = c.FromList ? Tree->DropTarget() == NodeOf(H("docs/a"))
                                         : List->DropTarget() == ItemNamed("a");
                if (c.FromList)
                    SavePicture(Form.Get()->Peer(), "shell-list-to-tree-drag.png");
            };
            result = shell32::ScriptedDragLoop(
                {{over, MK_LBUTTON}, {over, MK_LBUTTON, false, false, look}, {over, MK_LBUTTON, false, true}},
                d, source, ok, effect);
            return result;
        });
        if (c.FromList)
            ClickAwaited(ListViewport(), InViewport(ItemNamed("f1.txt")), Qt::LeftButton, {}, true);
        else
            ClickAwaited(Viewport(), Label(NodeOf(H("docs/u"))), Qt::LeftButton, {}, true);
        EXPECT_EQ(result, DRAGDROP_S_DROP);
        EXPECT_TRUE(highlighted);
        ASSERT_FALSE(Log.empty());
        EXPECT_EQ(Log.front(), "a enter 7 keys 1");
        EXPECT_EQ(Log.back(), "a drop 7 keys 1");
        EXPECT_FALSE(List->Busy());
        EXPECT_FALSE(Tree->Busy());
    }
}

constexpr GUID kMixedFolder = com::MakeGuid("{7A3E5C21-9B4D-4E6F-8A1C-2D3E4F5A6B7C}");

// Two entries that both copy; only "moves" moves.
class MixedFolder : public shell32::VirtualFolderProvider {
public:
    std::string DisplayName() const override { return "Mixed"; }
    HRESULT Enumerate(DWORD, std::string& items) override
    {
        for (const char* key : {"moves", "stays"})
            shell32::AppendVirtualEntry(items, key);
        return S_OK;
    }
    HRESULT ChildAttributes(const shell32::ItemView& child, ULONG& attributes) override
    {
        attributes = child.text == "moves" ? SFGAO_CANCOPY | SFGAO_CANMOVE : SFGAO_CANCOPY;
        return S_OK;
    }
};

TEST_F(ShellListDragDrop, ADropOfItemsThatDoNotAllMoveReachesTheTargetWithoutTheMove)
{
    shell32::RegisterVirtualFolder(kMixedFolder, std::make_shared<MixedFolder>());
    struct Reset {
        ~Reset() { shell32::ResetVirtualFolders(); }
    } reset;
    std::string folder;
    shell32::AppendVirtualItem(folder, kMixedFolder);
    folder += std::string(2, '\0');
    const auto entry = [](const char* key) {
        std::string bytes;
        shell32::AppendVirtualEntry(bytes, key);
        return bytes + std::string(2, '\0');
    };
    // The id list array of the folder's entries.
    const auto block = [&](const std::vector<std::string>& items) {
        std::string head;
        PutU32(head, static_cast<std::uint32_t>(items.size()));
        std::uint32_t at = static_cast<std::uint32_t>(4 * (items.size() + 2));
        PutU32(head, at);
        std::string lists = folder;
        for (const std::string& item : items) {
            PutU32(head, at + static_cast<std::uint32_t>(lists.size()));
            lists += item;
        }
        return head + lists;
    };
    RecordingTargets targets({{"a", 7}}, Log);
    struct Case {
        const char* Name;
        std::vector<std::string> Items;
        DWORD Dropped; // the effect the target's Drop is handed
    };
    const Case cases[] = {
        {"one that moves", {entry("moves")}, DROPEFFECT_COPY | DROPEFFECT_MOVE},
        {"two that copy, one of them moves", {entry("moves"), entry("stays")}, DROPEFFECT_COPY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Log.clear();
        const com::ComPtr<IDataObject> data = IdListArrayObject(block(c.Items));
        EXPECT_EQ(kw::GetDropEffectMask(data.Get()), c.Dropped);
        DropThere(data.Get(), Screen(ItemNamed("a")));
        ASSERT_FALSE(Log.empty());
        EXPECT_EQ(Log.back(), "a drop " + std::to_string(c.Dropped) + " keys 1");
    }
}

TEST_F(ShellListDragDrop, TheEmptyAreaDropsIntoTheFolderShownNowNeverAPreviousOne)
{
    RecordingTargets targets({{"docs", 7}, {"a", 7}}, Log);
    struct Case {
        const char* Name;
        const char* Shown;
        std::string Target;
    };
    const Case cases[] = {
        {"docs shown", "docs", "docs"},
        {"then its folder a", "docs/a", "a"},
        {"back to docs", "docs", "docs"},
    };
    com::ComPtr<IDataObject> data;
    ASSERT_EQ(com::CreatePlainDataObject(data.ReleaseAndGetAddressOf()), S_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        List->Folder()->SetIdList(ListOfPath(H(c.Shown)).Get());
        Pump();
        Log.clear();
        DropThere(data.Get(), Screen(nullptr));
        const std::vector<std::string> heard = {c.Target + " enter 7 keys 1", c.Target + " leave",
                                                c.Target + " enter 7 keys 1", c.Target + " over 7 keys 1",
                                                c.Target + " drop 7 keys 1"};
        EXPECT_EQ(Log, heard);
    }
}

TEST_F(ShellListDragDrop, ADragNearAnEdgeBelowTheHeaderScrollsALineAtMostOncePerDelay)
{
    for (int i = 0; i < 60; ++i)
        WriteFile(H("docs/f" + std::to_string(100 + i)), "x");
    List->RefreshItems();
    Pump();
    // The area the drags reach starts below the header.
    ExpectEdgeScrolling(List, ListViewport());
}

TEST_F(ShellListDragDrop, ARightDragOfTwoFilesMovesCopiesOrCancelsAsTheMenuSays)
{
    const std::string odd1 = std::string("one\nline\xfe.bin", 13);
    const std::string odd2 = "two.bin";
    WriteFile(H("docs/") + odd1, "1");
    WriteFile(H("docs/") + odd2, "2");
    List->RefreshItems();
    Pump();
    shell32::InstallShellUIObjects();
    const win32::MenuTracker before = win32::SetMenuTracker(&ChooseByText);
    struct Case {
        const char* Name;
        std::string Choice;
        bool OnFolder;                     // else the list's own empty area
        std::vector<std::string> Expected; // files that exist afterwards
        std::vector<std::string> Gone;
    };
    const Case cases[] = {
        {"Cancel", "Cancel", true, {"docs/" + odd1, "docs/" + odd2}, {"docs/a/" + odd1}},
        {"Copy Here on the list's own folder",
         "&Copy Here",
         false,
         {"docs/" + odd1, "docs/Copy of " + odd1, "docs/Copy of " + odd2},
         {}},
        {"Move Here onto a folder",
         "&Move Here",
         true,
         {"docs/a/" + odd1, "docs/a/" + odd2},
         {"docs/" + odd1, "docs/" + odd2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        g_choice = c.Choice;
        g_menus = 0;
        Select({odd1.c_str(), odd2.c_str()});
        ScopedDragLoop loop([&](IDataObject* d, IDropSource* source, DWORD ok, DWORD* effect) {
            const POINT over = Screen(c.OnFolder ? ItemNamed("a") : nullptr);
            return shell32::ScriptedDragLoop(
                {{over, MK_RBUTTON}, {over, MK_RBUTTON}, {over, MK_RBUTTON, false, true}}, d, source, ok,
                effect);
        });
        ClickAwaited(ListViewport(), InViewport(ItemNamed(odd1)), Qt::RightButton, {}, true);
        Pump();
        EXPECT_EQ(g_menus, 1);
        for (const std::string& name : c.Expected)
            EXPECT_TRUE(fs::exists(H(name))) << name;
        for (const std::string& name : c.Gone)
            EXPECT_FALSE(fs::exists(H(name))) << name;
    }
    // The list was refreshed after the move: the moved files are gone from it.
    EXPECT_EQ(ItemNamed(odd1), nullptr);
    EXPECT_NE(ItemNamed("Copy of " + odd1), nullptr);
    shell32::UninstallShellUIObjects();
    win32::SetMenuTracker(before);
}

// The release that ends the list's own right drag goes to the window alone;
// the next right click's release is the list's again, with its shell menu.
TEST_F(ShellListDragDrop, TheReleaseEndingARightDragIsTheDragsAndTheNextRightClickGetsTheMenu)
{
    shell32::InstallShellUIObjects();
    const win32::MenuTracker before = win32::SetMenuTracker(&ChooseByText);
    g_choice.clear();
    List->OnMouseUp = vcl::TMouseEvent(this, &ShellListDragDrop::MouseUp);
    int drags = 0;
    DWORD keys = 0;
    // Carried over another file, then given up with Escape.
    ScopedDragLoop loop([&](IDataObject* d, IDropSource* source, DWORD ok, DWORD* effect) {
        ++drags;
        const POINT over = Screen(ItemNamed("f2.txt"));
        return shell32::ScriptedDragLoop({{over, keys}, {over, keys, true}}, d, source, ok, effect);
    });
    struct Step {
        const char* Name;
        Qt::MouseButton Button;
        bool Drag;
        int Drags;
        int Menus;    // shown: none for a drag given up
        int RightUps; // releases the list handled as its own (OnMouseUp)
    };
    const Step steps[] = {
        {"a right drag: the release is the drag's", Qt::RightButton, true, 1, 0, 0},
        {"a right click after it: the shell menu", Qt::RightButton, false, 0, 1, 1},
        {"a left drag", Qt::LeftButton, true, 1, 0, 0},
        {"a right click after that", Qt::RightButton, false, 0, 1, 1},
        {"a right drag again", Qt::RightButton, true, 1, 0, 0},
        {"and a right click again", Qt::RightButton, false, 0, 1, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.Name);
        Select({"f1.txt"});
        drags = g_menus = RightUps = 0;
        keys = s.Button == Qt::RightButton ? MK_RBUTTON : MK_LBUTTON;
        const QPoint at = InViewport(ItemNamed("f1.txt"));
        if (s.Button == Qt::RightButton && !s.Drag)
            RightClickAt(ListViewport(), at);
        else
            ClickAwaited(ListViewport(), at, s.Button, {}, s.Drag);
        Pump();
        EXPECT_EQ(drags, s.Drags);
        EXPECT_EQ(g_menus, s.Menus);
        EXPECT_EQ(RightUps, s.RightUps);
        EXPECT_FALSE(List->Busy());
    }
    EXPECT_TRUE(fs::exists(H("docs/f1.txt")));
    EXPECT_TRUE(fs::exists(H("docs/f2.txt")));
    shell32::UninstallShellUIObjects();
    win32::SetMenuTracker(before);
}

} // namespace
