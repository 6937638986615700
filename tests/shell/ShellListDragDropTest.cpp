// The shell list's drag and drop: where a drag over the list goes (an
// item's shell target, the held folder's, nothing for the list's own left
// drag over its own folder, a copy unasked for its own right drag), drags
// started by the mouse and carried on by a scripted loop, the drag start's
// silent end, the registration to the list's end, real transfers by a right
// drag answered from the drop menu, and the right click after a right drag.

#include "DragDropTestSupport.h"
#include "ShellTreeTestSupport.h"

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
    TListItem* ItemNamed(const std::string& name) const
    {
        for (int i = 0; i < List->Items()->Count(); ++i)
            if (kw::TKwShListData* data = List->GetDataFromItem(List->Items()->Item(i));
                data && data->GetFilename() == name)
                return List->Items()->Item(i);
        return nullptr;
    }
    QWidget* ListViewport() const
    {
        for (auto* view : List->Peer()->findChildren<QAbstractScrollArea*>(Qt::FindDirectChildrenOnly))
            if (!view->isHidden())
                return view->viewport();
        return nullptr;
    }
    // The screen point of an item's label; null: the empty area below them.
    POINT Screen(const TListItem* item) const
    {
        vcl::TPoint client{60, List->ClientHeight() - 30};
        if (item) {
            const vcl::TRect r = item->DisplayRect(vcl::drLabel);
            client = {r.left + 5, (r.top + r.bottom) / 2};
        }
        return List->ClientToScreen(client);
    }
    QPoint InViewport(const TListItem* item) const
    {
        const POINT at = Screen(item);
        return ListViewport()->mapFromGlobal(QPoint(at.x, at.y));
    }
    IDropTarget* Registered() const { return shell32::RegisteredDropTarget(List->Handle()); }
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

std::string g_choice;
int g_menus = 0;
void DropMenu(win32::MenuTrackSession& session, POINT)
{
    ++g_menus;
    const std::vector<win32::MenuItemView> items = win32::MenuItems(session.Menu());
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!g_choice.empty() && items[i].Text == g_choice) {
            session.Choose(session.Menu(), static_cast<UINT>(i));
            return;
        }
    session.Cancel();
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
    const win32::MenuTracker before = win32::SetMenuTracker(&DropMenu);
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
    const win32::MenuTracker before = win32::SetMenuTracker(&DropMenu);
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
