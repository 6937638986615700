// The framework's tree view over the tree window: nodes in the window's
// order at every level, sorting, the events its notifications fire (and
// what a refusal keeps), nodes that outlive a new window, notifications
// that name no node, and the framework's own custom-draw events.

#include "WidgetTesting.h"
#include "vcl/core/SysUtils.h"
#include "vcl/widgets/ComCtrls.h"
#include "win32/TreeViews.h"
#include "win32/WindowManager.h"

#include <QAbstractScrollArea>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace vcl;
using kwtest::Pump;
using kwtest::TestForm;

class TTestTree : public TCustomTreeView {
public:
    using TCustomTreeView::Recreating;
    using TCustomTreeView::TCustomTreeView;
};

struct Tree {
    // Before the form, which tells the log of its nodes as it goes.
    std::vector<std::string> Log;
    TestForm Form{300, 240};
    TTestTree* View = Create<TTestTree>(Form.Get());
    Tree()
    {
        View->SetParent(Form.Get());
        View->SetBounds(0, 0, 300, 240);
        View->OnDeletion = TTVExpandedEvent(this, &Tree::Deleted);
        Pump();
    }
    void Deleted(TObject*, TTreeNode* node) { Log.push_back("del:" + node->Text()); }
    TTreeNodes* Items() const { return View->Items(); }
    // The texts in depth-first order, each with its level.
    std::string Outline() const
    {
        std::string text;
        for (TTreeNode* node = Items()->GetFirstNode(); node; node = node->GetNext())
            text += std::string(static_cast<std::size_t>(node->Level()), '.') + node->Text() + " ";
        return text;
    }
    // The same walk asked of the window itself.
    std::string WindowOutline(HTREEITEM parent = nullptr, int level = 0) const
    {
        std::string text;
        auto next = [&](UINT code, HTREEITEM item) {
            return reinterpret_cast<HTREEITEM>(
                View->Perform(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
        };
        for (HTREEITEM item = parent ? next(TVGN_CHILD, parent) : next(TVGN_ROOT, nullptr); item;
             item = next(TVGN_NEXT, item)) {
            char buffer[64] = {};
            TVITEMA record{};
            record.mask = TVIF_TEXT | TVIF_HANDLE;
            record.hItem = item;
            record.pszText = buffer;
            record.cchTextMax = sizeof buffer;
            View->Perform(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&record));
            text += std::string(static_cast<std::size_t>(level), '.') + buffer + " ";
            text += WindowOutline(item, level + 1);
        }
        return text;
    }
};

TEST(TreeNodes, AttachModesKeepTheWindowsOrder)
{
    Tree tree;
    TTreeNodes* items = tree.Items();
    TTreeNode* b = items->Add(nullptr, "b");
    items->AddFirst(b, "a");
    TTreeNode* c = items->Add(b, "c");
    items->AddChild(b, "b2");
    items->AddChildFirst(b, "b1");
    items->Insert(c, "bc");
    items->AddChild(c, "c1");
    EXPECT_EQ(tree.Outline(), "a b .b1 .b2 bc c .c1 ");
    EXPECT_EQ(tree.WindowOutline(), tree.Outline());
    EXPECT_EQ(items->Count(), 7);
    EXPECT_EQ(items->Item(5), c);
    EXPECT_EQ(c->AbsoluteIndex(), 5);
    EXPECT_EQ(b->Item(1)->Text(), "b2");
    EXPECT_EQ(b->Item(1)->Index(), 1);
    EXPECT_EQ(b->Item(1)->Parent(), b);
    EXPECT_EQ(items->GetNode(c->ItemId()), c);
    EXPECT_TRUE(b->HasChildren());
    EXPECT_THROW(items->Item(7), EListError);

    // Sorted insertion, and sorting at every level by text or by compare.
    tree.View->SetSortType(stText);
    EXPECT_EQ(tree.Outline(), "a b .b1 .b2 bc c .c1 ");
    items->AddChild(b, "b0");
    items->Add(nullptr, "ab");
    EXPECT_EQ(tree.Outline(), "a ab b .b0 .b1 .b2 bc c .c1 ");
    EXPECT_EQ(tree.WindowOutline(), tree.Outline());
    tree.View->SetSortType(stNone);
    EXPECT_TRUE(tree.View->CustomSort(
        [](LPARAM x, LPARAM y, LPARAM) -> int {
            return -AnsiCompareText(reinterpret_cast<TTreeNode*>(x)->Text(),
                                    reinterpret_cast<TTreeNode*>(y)->Text());
        },
        0, true));
    EXPECT_EQ(tree.Outline(), "c .c1 bc b .b2 .b1 .b0 ab a ");
    EXPECT_EQ(tree.WindowOutline(), tree.Outline());
    b->AlphaSort();
    EXPECT_EQ(tree.Outline(), "c .c1 bc b .b0 .b1 .b2 ab a ");
}

TEST(TreeNodes, DeletionTellsEveryNodeOnceChildrenFirstAndKeepsTheButton)
{
    Tree tree;
    TTreeNodes* items = tree.Items();
    TTreeNode* a = items->Add(nullptr, "a");
    TTreeNode* a1 = items->AddChild(a, "a1");
    items->AddChild(a1, "a11");
    items->AddChild(a, "a2");
    items->Add(nullptr, "b");
    a->DeleteChildren();
    EXPECT_EQ(tree.Log, (std::vector<std::string>{"del:a11", "del:a1", "del:a2"}));
    EXPECT_EQ(a->Count(), 0);
    EXPECT_TRUE(a->HasChildren()) << "the button stays until the flag is cleared";
    a->SetHasChildren(false);
    EXPECT_FALSE(a->HasChildren());
    tree.Log.clear();
    items->AddChild(a, "x");
    items->Clear();
    EXPECT_EQ(tree.Log, (std::vector<std::string>{"del:x", "del:a", "del:b"}));
    EXPECT_EQ(items->Count(), 0);
    EXPECT_EQ(items->GetFirstNode(), nullptr);
}

struct Refuser {
    bool Allow = false;
    std::vector<std::string> Log;
    void Expanding(TObject*, TTreeNode* node, bool& allow)
    {
        Log.push_back("expanding:" + node->Text());
        allow = Allow;
    }
    void Collapsing(TObject*, TTreeNode* node, bool& allow)
    {
        Log.push_back("collapsing:" + node->Text());
        allow = Allow;
    }
    void Changing(TObject*, TTreeNode* node, bool& allow)
    {
        Log.push_back("changing:" + (node ? node->Text() : std::string("-")));
        allow = Allow;
    }
    void Changed(TObject*, TTreeNode* node)
    {
        Log.push_back("change:" + (node ? node->Text() : std::string("-")));
    }
    void Editing(TObject*, TTreeNode* node, bool& allow)
    {
        Log.push_back("editing:" + node->Text());
        allow = Allow;
    }
    void Edited(TObject*, TTreeNode*, std::string& text) { text += "!"; }
};

TEST(TreeNodes, RefusalsKeepTheNodeAsItWas)
{
    Tree tree;
    Refuser refuser;
    tree.View->OnExpanding = TTVExpandingEvent(&refuser, &Refuser::Expanding);
    tree.View->OnCollapsing = TTVCollapsingEvent(&refuser, &Refuser::Collapsing);
    tree.View->OnChanging = TTVChangingEvent(&refuser, &Refuser::Changing);
    tree.View->OnChange = TTVChangedEvent(&refuser, &Refuser::Changed);
    tree.View->OnEditing = TTVEditingEvent(&refuser, &Refuser::Editing);
    tree.View->OnEdited = TTVEditedEvent(&refuser, &Refuser::Edited);
    TTreeNode* a = tree.Items()->Add(nullptr, "a");
    tree.Items()->AddChild(a, "a1");
    TTreeNode* b = tree.Items()->Add(nullptr, "b");

    a->Expand(false);
    EXPECT_FALSE(a->Expanded());
    b->SetSelected(true);
    EXPECT_EQ(tree.View->Selected(), nullptr);
    EXPECT_FALSE(b->EditText());
    EXPECT_FALSE(tree.View->IsEditing());
    EXPECT_EQ(refuser.Log, (std::vector<std::string>{"expanding:a", "changing:b", "editing:b"}));

    refuser.Allow = true;
    refuser.Log.clear();
    a->Expand(false);
    EXPECT_TRUE(a->Expanded());
    a->Collapse(false);
    EXPECT_FALSE(a->Expanded());
    b->SetSelected(true);
    EXPECT_EQ(tree.View->Selected(), b);
    EXPECT_TRUE(b->Selected());
    EXPECT_EQ(refuser.Log,
              (std::vector<std::string>{"expanding:a", "collapsing:a", "changing:b", "change:b"}));
    ASSERT_TRUE(b->EditText());
    EXPECT_TRUE(tree.View->IsEditing());
    b->EndEdit(false);
    Pump();
    EXPECT_FALSE(tree.View->IsEditing());
    EXPECT_EQ(b->Text(), "b!");
}

TEST(TreeNodes, NodesOutliveANewWindow)
{
    Tree tree;
    TTreeNodes* items = tree.Items();
    TTreeNode* a = items->Add(nullptr, "a");
    TTreeNode* a1 = items->AddChild(a, "a1");
    TTreeNode* b = items->Add(nullptr, "b");
    b->SetHasChildren(true);
    b->SetBold(true);
    a1->SetImageIndex(3);
    a->Expand(false);
    a1->SetSelected(true);
    const HWND before = tree.View->Handle();

    tree.View->SetBorderStyle(bsNone);
    Pump();
    ASSERT_NE(tree.View->Handle(), before);
    EXPECT_TRUE(tree.Log.empty()) << "no node was deleted";
    EXPECT_EQ(tree.Outline(), "a .a1 b ");
    EXPECT_EQ(tree.WindowOutline(), "a .a1 b ");
    EXPECT_EQ(items->GetFirstNode(), a);
    EXPECT_EQ(items->GetNode(a1->ItemId()), a1);
    EXPECT_TRUE(a->Expanded());
    EXPECT_EQ(tree.View->Selected(), a1);
    EXPECT_TRUE(b->HasChildren());
    EXPECT_TRUE(b->Bold());
    EXPECT_EQ(a1->ImageIndex(), 3);
    // A style changed on the live window keeps it.
    const HWND now = tree.View->Handle();
    tree.View->SetShowLines(false);
    tree.View->SetReadOnly(true);
    EXPECT_EQ(tree.View->Handle(), now);
    EXPECT_EQ(GetWindowLongPtrA(now, GWL_STYLE) & (TVS_HASLINES | TVS_EDITLABELS), 0);
}

TEST(TreeNodes, NotificationsNamingNoNodeAreSkipped)
{
    Tree tree;
    Refuser refuser;
    refuser.Allow = true;
    tree.View->OnExpanding = TTVExpandingEvent(&refuser, &Refuser::Expanding);
    tree.View->OnEditing = TTVEditingEvent(&refuser, &Refuser::Editing);
    tree.Items()->Add(nullptr, "a");
    int notANode = 0x41414141;
    for (const UINT code : {TVN_ITEMEXPANDINGA, TVN_ITEMEXPANDEDA, TVN_DELETEITEMA, TVN_SELCHANGEDA}) {
        NMTREEVIEWA record{};
        record.hdr.code = code;
        record.action = TVE_EXPAND;
        record.itemNew.mask = TVIF_PARAM | TVIF_HANDLE;
        record.itemNew.lParam = reinterpret_cast<LPARAM>(&notANode);
        record.itemOld = record.itemNew;
        tree.View->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&record));
    }
    for (const UINT code : {TVN_GETDISPINFOA, TVN_BEGINLABELEDITA, TVN_ENDLABELEDITA}) {
        char text[] = "x";
        NMTVDISPINFOA record{};
        record.hdr.code = code;
        record.item.mask = TVIF_PARAM | TVIF_TEXT | TVIF_IMAGE;
        record.item.lParam = reinterpret_cast<LPARAM>(&notANode);
        record.item.pszText = text;
        record.item.cchTextMax = 2;
        tree.View->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&record));
        EXPECT_STREQ(text, "x");
        // An item handle that is no item.
        record.item.mask = TVIF_TEXT | TVIF_HANDLE;
        record.item.hItem = reinterpret_cast<HTREEITEM>(&notANode);
        tree.View->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&record));
    }
    EXPECT_EQ(notANode, 0x41414141);
    EXPECT_TRUE(refuser.Log.empty());
    EXPECT_TRUE(tree.Log.empty());
    EXPECT_EQ(tree.Items()->Count(), 1);
}

TEST(TreeNodes, TheFrameworksCustomDrawColoursItems)
{
    Tree tree;
    tree.Items()->Add(nullptr, "WWWWWWWW");
    TTreeNode* second = tree.Items()->Add(nullptr, "WWWWWWWW");
    struct Painter {
        TTreeNode* Blue;
        int PostPaints = 0;
        void Item(TCustomTreeView* sender, TTreeNode* node, TCustomDrawState, TCustomDrawStage stage, bool&,
                  bool&)
        {
            if (stage == cdPostPaint) {
                ++PostPaints;
                return;
            }
            if (node == Blue)
                sender->Canvas()->Font()->SetColor(clBlue);
        }
    } painter{second};
    tree.View->OnAdvancedCustomDrawItem = TTVAdvancedCustomDrawItemEvent(&painter, &Painter::Item);
    tree.View->Invalidate();
    Pump();
    const QImage image = kwtest::SavePicture(static_cast<QAbstractScrollArea*>(tree.View->Peer())->viewport(),
                                             "tree-framework-custom-draw.png");
    const TRect first = tree.Items()->GetFirstNode()->DisplayRect(true);
    const TRect blue = second->DisplayRect(true);
    // Blue text, smoothed at its edges.
    auto blueish = [&](const TRect& r) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const QRgb p = image.pixel(x, y);
                n += qBlue(p) > 160 && qRed(p) < 100 && qGreen(p) < 100;
            }
        return n;
    };
    EXPECT_GT(blueish(blue), 10);
    EXPECT_EQ(blueish(first), 0);
    EXPECT_GE(painter.PostPaints, 2);
}

} // namespace
