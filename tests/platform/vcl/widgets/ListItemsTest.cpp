// The framework's list view over the list window: items in the window's
// order, each told gone once, texts and images asked for when drawn,
// sorting, owner data, columns, label editing and items that outlive a new
// window.

#include "WidgetTesting.h"
#include "vcl/core/SysUtils.h"
#include "vcl/widgets/ComCtrls.h"
#include "win32/ListViews.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace vcl;
using kwtest::Pump;

class TTestList : public TCustomListView {
public:
    using TCustomListView::TCustomListView;
};

struct List {
    // Before the form, which tells the log of its items as it goes.
    std::vector<std::string> Log;
    kwtest::TestForm Form{320, 240};
    TTestList* View = Create<TTestList>(Form.Get());
    explicit List(TViewStyle style = vsReport)
    {
        View->SetParent(Form.Get());
        View->SetBounds(0, 0, 320, 240);
        View->SetViewStyle(style);
        View->OnDeletion = TLVDeletedEvent(this, &List::Deleted);
        View->OnInsert = TLVNotifyEvent(this, &List::Inserted);
        for (const char* caption : {"Name", "Size"}) {
            TListColumn* column = View->Columns()->Add();
            column->SetCaption(caption);
            column->SetWidth(100);
        }
        Pump();
    }
    void Deleted(TObject*, TListItem* item) { Log.push_back("del:" + item->Caption()); }
    void Inserted(TObject*, TListItem* item) { Log.push_back("ins:" + item->Caption()); }
    TListItem* Add(const std::string& caption, const std::string& size = {})
    {
        TListItem* item = View->Items()->Add();
        item->SetCaption(caption);
        if (!size.empty())
            item->SubItems()->Add(size);
        return item;
    }
    // The captions in the framework's order.
    std::string Captions() const
    {
        std::string text;
        for (int i = 0; i < View->Items()->Count(); ++i)
            text += View->Items()->Item(i)->Caption() + " ";
        return text;
    }
    // The same asked of the window: each row's text as it would draw it.
    std::string WindowCaptions(int subItem = 0) const
    {
        std::string text;
        const auto count = static_cast<int>(View->Perform(LVM_GETITEMCOUNT));
        for (int i = 0; i < count; ++i) {
            char buffer[64] = {};
            LVITEMA row{};
            row.iSubItem = subItem;
            row.pszText = buffer;
            row.cchTextMax = sizeof buffer;
            View->Perform(LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&row));
            text += std::string(buffer) + " ";
        }
        return text;
    }
};

TEST(ListItems, TheWindowShowsTheItemsInTheirOrder)
{
    List list;
    list.Add("b", "2");
    list.Add("a", "1");
    list.View->Items()->Insert(0)->SetCaption("c");
    EXPECT_EQ(list.Captions(), "c b a ");
    EXPECT_EQ(list.WindowCaptions(), "c b a ");
    EXPECT_EQ(list.WindowCaptions(1), " 2 1 ");
    EXPECT_EQ(list.View->Items()->Item(2)->Index(), 2);

    struct Case {
        const char* Name;
        std::function<void(List&)> Sort;
        const char* Order;
    };
    const std::vector<Case> cases = {
        {"alpha", [](List& l) { l.View->AlphaSort(); }, "a b c "},
        {"custom, reversed",
         [](List& l) {
             l.View->CustomSort(
                 [](LPARAM a, LPARAM b, LPARAM) {
                     return -AnsiCompareText(reinterpret_cast<TListItem*>(a)->Caption(),
                                             reinterpret_cast<TListItem*>(b)->Caption());
                 },
                 0);
         },
         "c b a "},
        {"by text, as a property", [](List& l) { l.View->SetSortType(stText); }, "a b c "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Sort(list);
        EXPECT_EQ(list.Captions(), c.Order);
        EXPECT_EQ(list.WindowCaptions(), c.Order);
    }
}

TEST(ListItems, EveryItemIsToldGoneOnce)
{
    struct Case {
        const char* Name;
        std::function<void(List&)> Act;
        std::vector<std::string> Log;
    };
    const std::vector<Case> cases = {
        {"Delete", [](List& l) { l.View->Items()->Delete(1); }, {"del:b"}},
        {"an item's Delete", [](List& l) { l.View->Items()->Item(0)->Delete(); }, {"del:a"}},
        {"Clear", [](List& l) { l.View->Items()->Clear(); }, {"del:a", "del:b", "del:c"}},
        {"a new window first",
         [](List& l) {
             l.View->SetBorderStyle(bsNone);
             l.View->Items()->Clear();
         },
         {"del:a", "del:b", "del:c"}},
        {"the list's end", [](List& l) { l.View->Free(); }, {"del:a", "del:b", "del:c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        List list;
        for (const char* caption : {"a", "b", "c"})
            list.Add(caption);
        EXPECT_EQ(list.Log, (std::vector<std::string>{"ins:", "ins:", "ins:"})) << "told before the caption";
        list.Log.clear();
        c.Act(list);
        Pump();
        EXPECT_EQ(list.Log, c.Log);
    }
}

TEST(ListItems, ItemsAndTheirStateOutliveANewWindow)
{
    List list;
    list.View->SetMultiSelect(true);
    for (const char* caption : {"a", "b", "c"})
        list.Add(caption, "s");
    list.View->Items()->Item(1)->SetSelected(true);
    list.View->Items()->Item(2)->SetSelected(true);
    list.View->Columns()->Items(0)->SetWidth(140);
    list.Log.clear();
    const HWND before = list.View->Handle();
    list.View->SetBorderStyle(bsNone);
    list.View->HandleNeeded();
    EXPECT_NE(list.View->Handle(), before);
    EXPECT_EQ(list.WindowCaptions(), "a b c ");
    EXPECT_EQ(list.View->SelCount(), 2);
    EXPECT_TRUE(list.View->Items()->Item(2)->Selected());
    EXPECT_EQ(list.View->Columns()->Items(0)->Width(), 140);
    EXPECT_TRUE(list.Log.empty()) << "no item was told gone or new";
}

TEST(ListItems, OwnerDataHoldsRowsNotItems)
{
    List list;
    struct Owner {
        int Asked = 0;
        void Data(TObject*, TListItem* item)
        {
            ++Asked;
            item->SetCaption("row " + std::to_string(item->Index()));
            item->SubItems()->Add(std::to_string(item->Index() * 2));
        }
    } owner;
    list.View->SetOwnerData(true);
    list.View->OnData = TLVOwnerDataEvent(&owner, &Owner::Data);
    list.View->Items()->SetCount(100000);
    EXPECT_EQ(list.View->Items()->Count(), 100000);
    EXPECT_EQ(list.View->Perform(LVM_GETITEMCOUNT), 100000);
    EXPECT_EQ(list.View->Items()->Item(99999)->Caption(), "row 99999");
    EXPECT_EQ(list.WindowCaptions(1).substr(0, 6), "0 2 4 ");
    list.View->SetMultiSelect(true);
    list.View->SelectAll();
    EXPECT_EQ(list.View->SelCount(), 100000);
    EXPECT_THROW(list.View->Items()->Add(), EListError);
}

TEST(ListItems, ACaptionEditedTakesTheEditedText)
{
    List list;
    list.Add("old");
    struct Editor {
        void Edited(TObject*, TListItem*, std::string& s) { s += "!"; }
    } editor;
    list.View->OnEdited = TLVEditedEvent(&editor, &Editor::Edited);
    ASSERT_TRUE(list.View->Items()->Item(0)->EditCaption());
    Pump();
    auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(field, nullptr);
    field->selectAll();
    QTest::keyClicks(field, "new");
    QTest::keyClick(field, Qt::Key_Return);
    kwtest::PumpUntil([&] { return !list.View->IsEditing(); }, 2000);
    EXPECT_EQ(list.View->Items()->Item(0)->Caption(), "new!");
}

} // namespace

namespace {

TEST(ListItems, AnOwnerDrawnReportViewDrawsItsRowsThroughTheEvent)
{
    struct Case {
        TViewStyle Style;
        bool OwnerDraw;
        bool Drawn;
    };
    const Case cases[] = {{vsReport, true, true}, {vsReport, false, false}, {vsIcon, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Style) + (c.OwnerDraw ? " owner-drawn" : ""));
        List list(c.Style);
        struct Painter {
            std::vector<std::string> Rows;
            void Draw(TCustomListView*, TListItem* item, const TRect&, TOwnerDrawState state)
            {
                Rows.push_back(item->Caption() + (state.Contains(odSelected) ? "*" : ""));
            }
        } painter;
        list.View->OnDrawItem = TLVDrawItemEvent(&painter, &Painter::Draw);
        list.View->SetOwnerDraw(c.OwnerDraw);
        list.Add("a");
        list.Add("b")->SetSelected(true);
        list.View->HideSelection();
        list.View->SetHideSelection(false);
        kwtest::SavePicture(list.View->Peer(), "list-owner-draw.png");
        if (!c.Drawn) {
            EXPECT_TRUE(painter.Rows.empty());
            continue;
        }
        ASSERT_GE(painter.Rows.size(), 2u);
        EXPECT_EQ(painter.Rows[0], "a");
        EXPECT_EQ(painter.Rows[1], "b*");
    }
}

} // namespace
