// The shell tree's selection by item id list (nodes made on the way, other
// routes to a place, places outside the base) and the push of the selected
// folder to a linked list: at once after a click, after the last of a run
// of keys otherwise.

#include "ShellTreeTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using namespace kwtest;
using vcl::TTreeNode;

class ShellTreeSelect : public ShellTreeFixture {
public:
    void SetUp() override
    {
        ShellTreeFixture::SetUp();
        MakeTree(H("deep"), {"a/b/c/d/e", "a/gone/x", "x", ".hid/in"});
        MakeTree(H("elsewhere"), {"y"});
    }
};

TEST_F(ShellTreeSelect, APlaceIsSelectedWithTheNodesOnItsWayOrBeepsWhereTheWayEnds)
{
    struct Case {
        const char* Name;
        std::function<OwnedList(ShellTreeSelect&)> Base;
        std::function<OwnedList(ShellTreeSelect&)> Target;
        std::function<void(ShellTreeSelect&)> Prepare;
        std::string Selected; // below deep
        int Beeps;
    };
    const auto deep = [](ShellTreeSelect& f) { return ListOfPath(f.H("deep")); };
    const auto at = [](const char* below) {
        return [below](ShellTreeSelect& f) { return ListOfPath(f.H(std::string("deep") + below)); };
    };
    const auto nothing = [](ShellTreeSelect&) {};
    const std::vector<Case> cases = {
        {"five levels down", deep, at("/a/b/c/d/e"), nothing, "/a/b/c/d/e", 0},
        {"the base", deep, at(""), nothing, "", 0},
        {"an ancestor of the base", deep, [](ShellTreeSelect& f) { return ListOfPath(f.Home.Home()); },
         nothing, "", 0},
        {"the desktop", deep, [](ShellTreeSelect&) { return MakeList({}); }, nothing, "", 0},
        {"outside the base", deep, [](ShellTreeSelect& f) { return ListOfPath(f.H("elsewhere/y")); }, nothing,
         "", 1},
        {"under the base by Home", [](ShellTreeSelect& f) { return ComputerRoute(f.H("deep")); },
         [](ShellTreeSelect&) { return HomeRoute("deep/a/b"); }, nothing, "/a/b", 0},
        {"under the base by Computer", [](ShellTreeSelect&) { return HomeRoute("deep"); },
         [](ShellTreeSelect& f) { return ComputerRoute(f.H("deep/a/b/c")); }, nothing, "/a/b/c", 0},
        {"outside the base by another route", [](ShellTreeSelect&) { return HomeRoute("deep"); },
         [](ShellTreeSelect& f) { return ComputerRoute(f.H("elsewhere")); }, nothing, "", 1},
        {"a hidden level, not listed", deep, at("/.hid/in"),
         [](ShellTreeSelect& f) { f.Tree->SetOptions(kw::KwShellTreeDefaultOptions - kw::kwstoShowHidden); },
         "/.hid/in", 0},
        {"a level gone since the list was made", deep, at("/a/gone/x"),
         [](ShellTreeSelect& f) { std::filesystem::remove_all(f.H("deep/a/gone")); }, "/a", 1},
        {"a level the handler refuses", deep, at("/a/b/c"), [](ShellTreeSelect& f) { f.Events.Veto = {"b"}; },
         "/a", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MakeTree(H("deep"), {"a/gone/x"});
        Tree->SetOptions(kw::KwShellTreeDefaultOptions);
        Events.Veto.clear();
        Tree->BaseFolder()->SetIdList(c.Base(*this).Get());
        const OwnedList target = c.Target(*this);
        c.Prepare(*this);
        Tree->SelectedFolder()->Clear();
        Tree->FillItems();
        Beeps() = 0;
        Tree->DoSetSelectedIdList(target.Get());
        EXPECT_EQ(H("deep") + c.Selected, SelectedPath());
        EXPECT_EQ(c.Beeps, Beeps());
        // The way down is made of nodes, each below the one before.
        const TTreeNode* node = Tree->Selected();
        ASSERT_TRUE(node);
        for (std::string path = SelectedPath(); path != H("deep"); path = path.substr(0, path.rfind('/'))) {
            ASSERT_TRUE(node) << path;
            EXPECT_EQ(path, Tree->GetDataFromNode(node)->GetPathName());
            node = node->Parent();
        }
        EXPECT_EQ(Tree->GetFirstRootLevelShellNode(), node);
    }
}

// ---- the push ----

class ShellTreePush : public ShellTreeFixture {
public:
    TTestShellList* List = nullptr;

    void SetUp() override
    {
        ShellTreeFixture::SetUp();
        MakeTree(H("push"), {"n1", "n2", "n3", "n4", "n5", "n6"});
    }
    void TearDown() override
    {
        vcl::Free(List);
        ShellTreeFixture::TearDown();
    }
    // A new tree on push, linked to a new list, with the base selected and
    // pushed; the logs start empty.
    void Remake(bool linked)
    {
        vcl::Free(Tree);
        vcl::Free(List);
        Tree = vcl::Create<TProbeTree>(Form.Get());
        Tree->SetParent(Form.Get());
        Tree->SetBounds(0, 0, 320, 400);
        List = vcl::Create<TTestShellList>(Form.Get());
        List->SharedLog = &Events.Log;
        if (linked)
            Tree->SetShellList(List);
        Events.Attach(Tree);
        Base(H("push"));
        Pump();
        ASSERT_EQ(0, Tree->PendingAction());
        Tree->SetFocus();
        Pump();
        Events.Log.clear();
        List->Calls.clear();
    }
    void Settle()
    {
        PumpUntil([this] { return Tree->PendingAction() == 0; }, 3000);
        Pump();
    }
};

using Log = std::vector<std::string>;

TEST_F(ShellTreePush, AClickPushesAtOnceAndARunOfKeysOnlyItsLastNodeAfterTheDelay)
{
    struct Case {
        const char* Name;
        bool Linked;
        std::function<void(ShellTreePush&)> Act;
        Log Expected;
    };
    const auto downs = [](int n) {
        return [n](ShellTreePush& f) {
            // No event loop turn between the keys.
            for (int i = 0; i < n; ++i)
                f.Key(Qt::Key_Down);
            EXPECT_EQ(1, f.Tree->PendingAction());
        };
    };
    const auto clickOn = [](const char* name) {
        return [name](ShellTreePush& f) { f.Click(Label(f.NodeOf(f.H(std::string("push/") + name)))); };
    };
    const std::vector<Case> cases = {
        {"five Down keys",
         true,
         downs(5),
         {"change:n1", "change:n2", "change:n3", "change:n4", "change:n5", "turn", "turn", "turn", "turn",
          "turn", "push:n5"}},
        {"a click", true, clickOn("n3"), {"change:n3", "push:n3", "turn"}},
        {"a click on the selected node, then Down",
         true,
         [](ShellTreePush& f) {
             f.Click(Label(f.Tree->Selected()));
             f.Key(Qt::Key_Down);
         },
         {"change:n1", "push:n1", "turn"}},
        {"a click on empty space, then Down",
         true,
         [](ShellTreePush& f) {
             f.Click({100, 390});
             f.Key(Qt::Key_Down);
         },
         {"change:n1", "push:n1", "turn"}},
        {"GoUp(0) after a key, then Down",
         true,
         [](ShellTreePush& f) {
             f.Key(Qt::Key_Down);
             f.Settle();
             f.Events.Log.clear();
             f.Tree->GoUp(0);
             f.Key(Qt::Key_Down);
         },
         {"change:n2", "push:n2", "turn"}},
        {"GoUp(1) from a child",
         true,
         [](ShellTreePush& f) {
             f.Key(Qt::Key_Down);
             f.Settle();
             f.Events.Log.clear();
             f.Tree->GoUp(1);
         },
         {"change:push", "push:push", "turn"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Remake(c.Linked);
        c.Act(*this);
        Settle();
        EXPECT_EQ(c.Expected, Events.Log);
    }
}

TEST_F(ShellTreePush, UnlinkedTheSelectedFolderFollowsEverySelectionAtOnce)
{
    Remake(false);
    for (const char* name : {"n1", "n2", "n3"}) {
        Key(Qt::Key_Down);
        EXPECT_EQ(0, Tree->PendingAction());
        EXPECT_EQ(H(std::string("push/") + name), Tree->SelectedFolder()->GetPathName());
    }
    EXPECT_TRUE(List->Calls.empty());
}

} // namespace
