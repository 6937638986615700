// The shell tree's drag and drop: drags started by the mouse and carried on
// by a scripted loop over the tree's own nodes, the drag start's answers,
// the effects of dropped id list arrays (hostile ones too), auto-scroll by
// the clock, the drop target's registration, and real moves by a right
// drag answered from the drop menu.

#include "DragDropTestSupport.h"
#include "ShellMenuScript.h"
#include "ShellTreeTestSupport.h"

#include "shell32/ItemDropTargets.h"
#include "shell32/ShellUIObjects.h"
#include "win32/Clock.h"
#include "win32/Menus.h"
#include "win32/ScrollBars.h"
#include "win32/WindowManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace kwtest;
using vcl::TTreeNode;
namespace fs = std::filesystem;

DWORD g_now = 1000;
DWORD Now()
{
    return g_now;
}

class ShellTreeDragDrop : public ShellTreeFixture {
public:
    std::vector<std::string> Log;

    void SetUp() override
    {
        ShellTreeFixture::SetUp();
        // Only the drags refresh here, not the watches.
        Tree->SetOptions(Tree->Options() - kw::kwstoDynamicRefresh);
        MakeTree(H("docs"), {"a", "b", "c", "a/inner"});
        Base(H("docs"));
        Tree->FillItems();
        Tree->Items()->GetFirstNode()->Expand(false);
        Pump();
    }

    TTreeNode* Node(const std::string& name) const { return NodeOf(H(name)); }
    POINT Screen(const TTreeNode* node) const
    {
        const QPoint at = Viewport()->mapToGlobal(Label(node));
        return {at.x(), at.y()};
    }
    IDropTarget* Registered() const { return shell32::RegisteredDropTarget(Tree->Handle()); }
    // A drag of node with the mouse's button that the loop carries on.
    void DragWithMouse(TTreeNode* node, Qt::MouseButton button = Qt::LeftButton)
    {
        ClickAwaited(Viewport(), Label(node), button, {}, true);
    }
};

TEST_F(ShellTreeDragDrop, AScriptedDragOverTheTreeAsksEachNodesTargetAndDropsOnTheLastOne)
{
    RecordingTargets targets({{"docs", DROPEFFECT_LINK}, {"b", DROPEFFECT_COPY | DROPEFFECT_MOVE}}, Log);
    targets.Unbound["c"] = true;
    TTreeNode* a = Node("docs/a");
    TTreeNode* top = Tree->Items()->GetFirstNode();
    struct Step {
        const char* Name;
        const TTreeNode* Over;
        bool Release;
        std::vector<std::string> Heard;
        DWORD Effect; // what the tree answered the loop
        const TTreeNode* Highlight;
    };
    const std::vector<Step> script = {
        {"the top node at the enter: nothing asked", top, false, {}, DROPEFFECT_NONE, a},
        {"the top node moved over: its target",
         top,
         false,
         {"docs enter 7 keys 1", "docs over 4 keys 1", "docs leave"},
         DROPEFFECT_LINK | DROPEFFECT_SCROLL,
         top},
        {"a node with a target",
         Node("docs/b"),
         false,
         {"b enter 7 keys 1", "b over 3 keys 1", "b leave"},
         DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_SCROLL,
         Node("docs/b")},
        {"an unbound node stays highlighted", Node("docs/c"), false, {}, DROPEFFECT_SCROLL, Node("docs/c")},
        {"back over the target",
         Node("docs/b"),
         false,
         {"b enter 7 keys 1", "b over 3 keys 1", "b leave"},
         DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_SCROLL,
         Node("docs/b")},
        // The button given back; the drop's effect masked by the items'.
        {"released over it",
         Node("docs/b"),
         true,
         {"b enter 7 keys 1", "b over 3 keys 1", "b drop 7 keys 1"},
         DROPEFFECT_COPY | DROPEFFECT_MOVE,
         nullptr},
    };
    const ULONG treeReferences = [&] {
        Registered()->AddRef();
        return Registered()->Release();
    }();
    ScopedSpy spy(Tree->Handle());
    bool busyInside = false;
    std::size_t checked = 0;
    ScopedDragLoop loop([&](IDataObject* data, IDropSource* source, DWORD ok, DWORD* effect) {
        busyInside = Tree->Busy();
        std::vector<shell32::DragStep> steps;
        for (const Step& step : script) {
            shell32::DragStep s{Screen(step.Over), MK_LBUTTON, false, step.Release, {}};
            s.Then = [&] {
                SCOPED_TRACE(step.Name);
                EXPECT_EQ(Log, step.Heard);
                Log.clear();
                ASSERT_EQ(spy.Spy->Effects.size(), checked + 1);
                EXPECT_EQ(spy.Spy->Effects[checked], step.Effect);
                ++checked;
                if (!step.Release) {
                    EXPECT_EQ(Tree->DropTarget(), step.Highlight);
                }
                if (step.Over == Node("docs/b") && !step.Release)
                    SavePicture(Tree->Peer(), "shell-tree-drag-highlight.png");
            };
            steps.push_back(std::move(s));
        }
        return shell32::ScriptedDragLoop(steps, data, source, ok, effect);
    });
    DragWithMouse(a);
    EXPECT_EQ(checked, script.size());
    EXPECT_TRUE(busyInside);
    EXPECT_FALSE(Tree->Busy());
    EXPECT_EQ(Tree->DropTarget(), nullptr);
    EXPECT_EQ(spy.Spy->Effects.size(), script.size());
    Registered()->AddRef();
    EXPECT_EQ(Registered()->Release(), 2u) << "the spy's and the registry's";
    EXPECT_EQ(treeReferences, 2u) << "the tree's and the registry's";
}

TEST_F(ShellTreeDragDrop, TheDragStartIsBusyInsideAndRefreshesAfterADropOrAWaitingRefresh)
{
    struct Case {
        const char* Name;
        HRESULT Answer; // 0: the loop throws
        bool RefreshAsked;
        bool Refreshed;
    };
    const Case cases[] = {
        {"dropped", DRAGDROP_S_DROP, false, true},
        {"cancelled", DRAGDROP_S_CANCEL, false, false},
        {"cancelled, a refresh waiting", DRAGDROP_S_CANCEL, true, true},
        {"the loop throws", 0, false, false},
        {"the loop throws, a refresh waiting", 0, true, true},
    };
    int made = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string fresh = "new" + std::to_string(made++);
        bool busy = false;
        ScopedDragLoop loop([&](IDataObject* data, IDropSource*, DWORD ok, DWORD* effect) -> HRESULT {
            busy = Tree->Busy();
            EXPECT_NE(data, nullptr);
            EXPECT_EQ(ok & 7, 7u);
            fs::create_directories(H("docs/" + fresh));
            if (c.RefreshAsked)
                Tree->RefreshNodes();
            if (c.Answer == 0)
                throw std::runtime_error("the loop failed");
            *effect = c.Answer == DRAGDROP_S_DROP ? DROPEFFECT_COPY : DROPEFFECT_NONE;
            return c.Answer;
        });
        DragWithMouse(Node("docs/b"));
        Pump();
        EXPECT_TRUE(busy);
        EXPECT_FALSE(Tree->Busy());
        EXPECT_EQ(Node("docs/" + fresh) != nullptr, c.Refreshed);
        EXPECT_EQ(Tree->DropTarget(), nullptr);
        Tree->RefreshNodes();
        Pump();
    }
    // The top node and nodes of the application's own start no drag.
    int drags = 0;
    ScopedDragLoop loop([&](IDataObject*, IDropSource*, DWORD, DWORD*) {
        ++drags;
        return DRAGDROP_S_CANCEL;
    });
    DragWithMouse(Tree->Items()->GetFirstNode());
    TTreeNode* own = Tree->Items()->AddChild(Tree->Items()->GetFirstNode(), "own");
    Pump();
    DragWithMouse(own);
    EXPECT_EQ(drags, 0);
    // Without kwstoOleDrag the tree starts none.
    Tree->SetOptions(Tree->Options() - kw::kwstoOleDrag);
    DragWithMouse(Node("docs/b"));
    EXPECT_EQ(drags, 0);
}

TEST_F(ShellTreeDragDrop, ADroppedIdListArrayAllowsWhatEveryItemAllowsAndAHostileOneNothing)
{
    const OwnedList docs = ListOfPath(H("docs"));
    const OwnedList a = LastItemOf(ListOfPath(H("docs/a")).Get());
    const OwnedList b = LastItemOf(ListOfPath(H("docs/b")).Get());
    const auto bytesOf = [](const ITEMIDLIST* list) {
        return std::string(reinterpret_cast<const char*>(list),
                           static_cast<std::size_t>(kw::IdListLen(list)));
    };
    const std::string parentBytes = bytesOf(docs.Get());
    const auto block = [&](std::uint32_t count, std::vector<std::uint32_t> offsets, const std::string& tail) {
        std::string bytes;
        PutU32(bytes, count);
        for (std::uint32_t offset : offsets)
            PutU32(bytes, offset);
        return bytes + tail;
    };
    const std::uint32_t lists = 4 + 4 * 3;
    const std::string lists2 = parentBytes + bytesOf(a.Get()) + bytesOf(b.Get());
    const std::uint32_t aAt = lists + static_cast<std::uint32_t>(parentBytes.size());
    const std::uint32_t bAt = aAt + static_cast<std::uint32_t>(kw::IdListLen(a.Get()));
    struct Case {
        const char* Name;
        std::string Bytes; // empty: a data object without the format
        DWORD Mask;
    };
    const Case cases[] = {
        {"no id list array", "", 7},
        {"two items of a folder", block(2, {lists, aAt, bAt}, lists2), 7},
        {"one list counted twice", block(2, {lists, aAt, aAt}, lists2.substr(0, bAt - lists)), 0},
        {"an offset past the block", block(2, {lists, aAt, 0xFFFFFF00u}, lists2), 0},
        {"a count far beyond the offsets", block(0x7FFFFFFFu, {lists, aAt, bAt}, lists2), 0},
        {"an offset into the offsets", block(2, {lists, 4, bAt}, lists2), 0},
        {"a list cut short", block(2, {lists, aAt, bAt}, lists2.substr(0, lists2.size() - 3)), 0},
        {"shorter than its count", std::string("\x01\x00", 2), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        com::ComPtr<IDataObject> data;
        if (c.Bytes.empty())
            ASSERT_EQ(com::CreatePlainDataObject(data.ReleaseAndGetAddressOf()), S_OK);
        else
            data = IdListArrayObject(c.Bytes);
        EXPECT_EQ(kw::GetDropEffectMask(data.Get()), c.Mask);
        // Dropped on a node: a refused block drops nothing.
        std::vector<std::string> log;
        RecordingTargets targets({{"b", 7}}, log);
        DWORD effect = 7;
        IDropTarget* target = Registered();
        const POINT at = Screen(Node("docs/b"));
        ASSERT_EQ(target->DragEnter(data.Get(), MK_LBUTTON, POINTL{at.x, at.y}, &effect), S_OK);
        effect = 7;
        ASSERT_EQ(target->Drop(data.Get(), 0, POINTL{at.x, at.y}, &effect), S_OK);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), "b drop " + std::to_string(c.Mask) + " keys 1");
    }
    EXPECT_EQ(kw::GetDropEffectMask(nullptr), 7u);
    // The top node answers for the desktop directory.
    kw::PItemIDList parent = nullptr, last = nullptr;
    kw::GetDesktopDirectoryIdLists(parent, last);
    ASSERT_TRUE(parent && last);
    const OwnedList whole(kw::ConcatIdLists(nullptr, parent, last));
    EXPECT_EQ(kw::ShellGetPathFromIdList(whole.Get()), Home.Desktop());
    com::ComPtr<IShellFolder> folder;
    ASSERT_EQ(kw::ShellGetFolderFromIdList(parent, folder.ReleaseAndGetAddressOf()), S_OK);
    ULONG attributes = 7;
    LPCITEMIDLIST items[] = {last};
    ASSERT_EQ(folder->GetAttributesOf(1, items, &attributes), S_OK);
    EXPECT_EQ(Tree->GetDragDropAttributesForNode(Tree->Items()->GetFirstNode()),
              static_cast<int>(attributes));
    EXPECT_EQ(Tree->GetDragDropAttributesForNode(nullptr), 7);
    kw::ShellMemFree(parent);
    kw::ShellMemFree(last);
}

TEST_F(ShellTreeDragDrop, ADragNearAnEdgeScrollsALineAtMostOncePerDelay)
{
    for (int i = 0; i < 60; ++i)
        fs::create_directories(H("docs/b/f" + std::to_string(100 + i)));
    Tree->RefreshNodes();
    Node("docs/b")->Expand(false);
    Pump();
    ExpectEdgeScrolling(Tree, Viewport());
    // A bar with no room does not move.
    const win32::TickClock before = win32::SetTickClock(&Now);
    IDropTarget* target = Registered();
    const QPoint origin = Viewport()->mapToGlobal(QPoint(0, 0));
    const auto pos = [&] { return GetScrollPos(Tree->Handle(), SB_VERT); };
    com::ComPtr<IDataObject> data;
    ASSERT_EQ(com::CreatePlainDataObject(data.ReleaseAndGetAddressOf()), S_OK);
    Node("docs/b")->Collapse(false);
    Pump();
    DWORD effect = 7;
    g_now = 5000;
    effect = 7;
    target->DragEnter(data.Get(), MK_LBUTTON, POINTL{origin.x() + 100, origin.y() + 10}, &effect);
    g_now = 6000;
    target->DragOver(MK_LBUTTON, POINTL{origin.x() + 100, origin.y() + 10}, &effect);
    EXPECT_EQ(pos(), 0);
    target->DragLeave();
    win32::SetTickClock(before);
}

TEST_F(ShellTreeDragDrop, TheDropTargetIsRegisteredWithTheOptionAndGoesWithTheWindow)
{
    struct Case {
        const char* Name;
        std::function<void()> Act;
        bool Registered;
    };
    HWND window = Tree->Handle();
    const Case cases[] = {
        {"made with the window", [] {}, true},
        {"the option off", [&] { Tree->SetOptions(Tree->Options() - kw::kwstoOleDrop); }, false},
        {"the option on", [&] { Tree->SetOptions(Tree->Options() + kw::kwstoOleDrop); }, true},
        {"the option set again", [&] { Tree->SetOptions(Tree->Options()); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Act();
        EXPECT_EQ(shell32::RegisteredDropTarget(window) != nullptr, c.Registered);
    }
    // The window's end takes it, and the next window registers again.
    Tree->RecreateWnd();
    Pump();
    EXPECT_EQ(shell32::RegisteredDropTarget(window), nullptr);
    EXPECT_NE(shell32::RegisteredDropTarget(Tree->Handle()), nullptr);
    // The tree's end takes it too: no drag reaches a tree that is going.
    window = Tree->Handle();
    vcl::Free(Tree);
    Tree = nullptr;
    EXPECT_EQ(shell32::RegisteredDropTarget(window), nullptr);
}

TEST_F(ShellTreeDragDrop, ARightDragOntoAFolderMovesWhatTheMenuSaysByteForByte)
{
    const std::string odd = std::string("odd\nname\xff", 9);
    fs::create_directories(H("docs/a/") + odd);
    Tree->RefreshNodes();
    Node("docs/a")->Expand(false);
    Pump();
    const win32::MenuTracker before = win32::SetMenuTracker(&ChooseByText);
    // The folders' own drop targets, as the unit's start installs them.
    shell32::InstallShellUIObjects();
    struct Case {
        const char* Name;
        std::string Choice;
        bool Moved;
    };
    const Case cases[] = {
        {"Cancel moves nothing", "Cancel", false},
        {"Move Here", "&Move Here", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        g_choice = c.Choice;
        g_menus = 0;
        TTreeNode* dragged = NodeOf(H("docs/a/") + odd);
        ASSERT_NE(dragged, nullptr);
        ScopedDragLoop loop([&](IDataObject* data, IDropSource* source, DWORD ok, DWORD* effect) {
            const POINT over = Screen(Node("docs/c"));
            return shell32::ScriptedDragLoop(
                {{over, MK_RBUTTON}, {over, MK_RBUTTON}, {over, MK_RBUTTON, false, true}}, data, source, ok,
                effect);
        });
        DragWithMouse(dragged, Qt::RightButton);
        Pump();
        EXPECT_EQ(g_menus, 1);
        EXPECT_EQ(fs::exists(H("docs/c/") + odd), c.Moved);
        EXPECT_EQ(fs::exists(H("docs/a/") + odd), !c.Moved);
    }
    // The tree was refreshed after the drop: the moved folder is below c.
    Node("docs/c")->Expand(false);
    Pump();
    EXPECT_NE(NodeOf(H("docs/c/") + odd), nullptr);
    EXPECT_EQ(NodeOf(H("docs/a/") + odd), nullptr);
    shell32::UninstallShellUIObjects();
    win32::SetMenuTracker(before);
}

} // namespace
