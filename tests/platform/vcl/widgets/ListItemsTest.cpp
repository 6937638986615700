// The framework's list view over the list window: items in the window's
// order, each told gone once, texts and images asked for when drawn,
// sorting, owner data, columns, label editing and items that outlive a new
// window.

#include "WidgetTesting.h"
#include "vcl/core/SysUtils.h"
#include "vcl/widgets/ComCtrls.h"
#include "win32/ListViews.h"
#include "win32/WindowManager.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace vcl;
using kwtest::Pump;

class TTestList : public TCustomListView {
public:
    using TCustomListView::CustomSortByIndex;
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

// A compare by index reads what the caller laid out in the items' order
// before the sort; given anything else (the items' Data) it finds nothing
// and leaves the order as it was.
TEST(ListItems, ASortByIndexIsGivenThePlacesBeforeTheSort)
{
    for (const bool window : {true, false}) {
        SCOPED_TRACE(window ? "with a window" : "without one");
        List list;
        if (!window)
            list.View->SetParent(nullptr);
        for (const char* caption : {"b", "c", "a", "d"})
            list.Add(caption);
        ASSERT_EQ(list.View->HandleAllocated(), window);
        std::vector<std::string> laidOut;
        for (int i = 0; i < list.View->Items()->Count(); ++i)
            laidOut.push_back(list.View->Items()->Item(i)->Caption());
        const auto byCaption = [](LPARAM a, LPARAM b, LPARAM data) {
            const auto& captions = *reinterpret_cast<const std::vector<std::string>*>(data);
            const auto at = [&](LPARAM i) {
                return static_cast<std::size_t>(i) < captions.size() ? captions[static_cast<std::size_t>(i)]
                                                                     : std::string();
            };
            return at(a).compare(at(b));
        };
        EXPECT_TRUE(list.View->CustomSortByIndex(byCaption, reinterpret_cast<LPARAM>(&laidOut)));
        EXPECT_EQ(list.Captions(), "a b c d ");
        if (window)
            EXPECT_EQ(list.WindowCaptions(), "a b c d ");
        EXPECT_EQ(list.View->Items()->Item(3)->Index(), 3);
    }
}

TEST(ListItems, EmptySubItemsAreCountedUntilTheListIsUsed)
{
    struct Case {
        const char* Name;
        std::function<void(TListItem*)> Make;
        int Count;
        const char* Shown; // the window's sub-item 1 and 2
    };
    const std::vector<Case> cases = {
        {"counted", [](TListItem* i) { i->AddEmptySubItems(2); }, 2, "|"},
        {"written after counting",
         [](TListItem* i) {
             i->AddEmptySubItems(2);
             i->SubItems()->SetStrings(1, "x");
         },
         2, "|x"},
        {"added to a made list",
         [](TListItem* i) {
             i->SubItems()->Add("a");
             i->AddEmptySubItems(1);
         },
         2, "a|"},
        {"none", [](TListItem* i) { i->AddEmptySubItems(0); }, 0, "|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        List list;
        list.View->Columns()->Add()->SetCaption("Third");
        TListItem* item = list.Add("one");
        c.Make(item);
        EXPECT_EQ(item->SubItemCount(), c.Count);
        EXPECT_EQ(item->HasSubItems(), c.Count > 0);
        std::string one = list.WindowCaptions(1);
        std::string two = list.WindowCaptions(2);
        one.pop_back();
        two.pop_back();
        const std::string shown = one + "|" + two;
        EXPECT_EQ(shown, c.Shown);
        // Read as a list, the counted ones are there, empty.
        EXPECT_EQ(item->SubItems()->Count(), c.Count);
        TListItem* copy = list.Add("two");
        copy->Assign(item);
        EXPECT_EQ(copy->SubItemCount(), c.Count);
        EXPECT_EQ(copy->SubItemText(1), item->SubItemText(1));
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

namespace {

QWidget* ViewportOf(TCustomListView* list)
{
    for (auto* area : list->Peer()->findChildren<QAbstractScrollArea*>())
        if (area->isVisible() && !qobject_cast<QHeaderView*>(area))
            return area->viewport();
    return nullptr;
}

QPoint CentreOf(const TRect& r)
{
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A client point of the list as a point of its view's viewport (which lies
// under the header in the report view).
QPoint OnViewport(TCustomListView* list, QPoint client)
{
    const TPoint screen = list->ClientToScreen({client.x(), client.y()});
    return ViewportOf(list)->mapFromGlobal(QPoint(screen.x, screen.y));
}

// What the application hears of a person's clicks, in order.
struct Events {
    std::vector<std::string> Log;
    bool AllowChange = true;
    void Changing(TObject*, TListItem* item, TItemChange, bool& allow)
    {
        Log.push_back("changing:" + (item ? item->Caption() : "-"));
        allow = AllowChange;
    }
    void Select(TObject*, TListItem* item, bool selected)
    {
        Log.push_back(std::string(selected ? "select:" : "unselect:") + (item ? item->Caption() : "-"));
    }
    void Clicked(TObject*) { Log.push_back("click"); }
    void Column(TObject*, TListColumn* column) { Log.push_back("column:" + column->Caption()); }
    void Listen(TCustomListView* list)
    {
        list->OnChanging = TLVChangingEvent(this, &Events::Changing);
        list->OnSelectItem = TLVSelectItemEvent(this, &Events::Select);
        list->OnClick = TNotifyEvent(this, &Events::Clicked);
        list->OnColumnClick = TLVColumnClickEvent(this, &Events::Column);
    }
};

TEST(ListItems, ClicksReachTheApplicationsEvents)
{
    struct Case {
        const char* Name;
        bool Allow;
        std::function<void(List&)> Act;
        std::vector<std::string> Log;
        int Selected;
    };
    const auto click = [](int index, Qt::KeyboardModifiers modifiers = {}) {
        return [index, modifiers](List& l) {
            kwtest::ClickAwaited(
                ViewportOf(l.View),
                OnViewport(l.View, CentreOf(l.View->Items()->Item(index)->DisplayRect(drLabel))),
                Qt::LeftButton, modifiers);
        };
    };
    const std::vector<Case> cases = {
        {"an item", true, click(1), {"changing:b", "select:b", "click"}, 1},
        {"refused", false, click(1), {"changing:b", "click"}, 0},
        {"another, with Ctrl", true, [&](List& l) { click(0)(l), click(2, Qt::ControlModifier)(l); }, {}, 2},
        {"empty space",
         true,
         [&](List& l) {
             click(0)(l);
             kwtest::ClickAwaited(ViewportOf(l.View), OnViewport(l.View, {200, 200}));
         },
         {},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        List list;
        list.View->SetMultiSelect(true);
        for (const char* caption : {"a", "b", "c"})
            list.Add(caption);
        Events events;
        events.Listen(list.View);
        events.AllowChange = c.Allow;
        list.View->SetFocus();
        Pump();
        c.Act(list);
        if (!c.Log.empty()) {
            EXPECT_EQ(events.Log, c.Log);
        }
        EXPECT_EQ(list.View->SelCount(), c.Selected);
    }
}

TEST(ListItems, AHeaderClickIsTheColumnsClick)
{
    List list;
    list.Add("a", "1");
    Events events;
    events.Listen(list.View);
    auto* header = list.View->Peer()->findChild<QHeaderView*>();
    ASSERT_NE(header, nullptr);
    for (int column : {1, 0}) {
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {x, header->height() / 2});
        Pump();
    }
    EXPECT_EQ(events.Log, (std::vector<std::string>{"column:Size", "column:Name"}));
    // Without ColumnClick the header is no button.
    events.Log.clear();
    list.View->SetColumnClick(false);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {20, header->height() / 2});
    Pump();
    EXPECT_TRUE(events.Log.empty());
}

TEST(ListItems, FindingItems)
{
    List list;
    static int tags[4];
    for (int i = 0; i < 4; ++i)
        list.Add(std::string("item ") + "abcd"[i])->SetData(&tags[i]);
    list.View->Items()->Item(2)->SetSelected(true);
    TListItems* items = list.View->Items();
    struct Case {
        const char* Name;
        std::function<TListItem*()> Find;
        int Index; // -1: none
    };
    const std::vector<Case> cases = {
        {"caption, exact", [&] { return list.View->FindCaption(0, "item c", false, true, false); }, 2},
        {"caption, partial", [&] { return list.View->FindCaption(0, "item", true, true, false); }, 0},
        {"caption, past the start without wrap",
         [&] { return list.View->FindCaption(3, "item a", false, false, false); }, -1},
        {"caption, wrapped", [&] { return list.View->FindCaption(3, "item a", false, false, true); }, 0},
        {"data", [&] { return list.View->FindData(0, &tags[3], true, false); }, 3},
        {"data, not inclusive, wrapped", [&] { return list.View->FindData(1, &tags[1], false, true); }, 1},
        {"the selected", [&] { return list.View->Selected(); }, 2},
        {"the next selected after it",
         [&] { return list.View->GetNextItem(items->Item(2), sdAll, {isSelected}); }, -1},
        {"the item at the label's centre",
         [&] {
             const QPoint at = CentreOf(items->Item(1)->DisplayRect(drLabel));
             return list.View->GetItemAt(at.x(), at.y());
         },
         1},
        {"nothing below the items", [&] { return list.View->GetItemAt(10, 220); }, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TListItem* found = c.Find();
        EXPECT_EQ(found ? found->Index() : -1, c.Index);
    }
    const QPoint at = CentreOf(items->Item(1)->DisplayRect(drLabel));
    EXPECT_TRUE(list.View->GetHitTestInfoAt(at.x(), at.y()).Contains(htOnItem));
    EXPECT_TRUE(list.View->GetHitTestInfoAt(10, 220).Contains(htNowhere));
}

TEST(ListItems, ColumnsReachTheHeader)
{
    List list;
    const HWND header = GetDlgItem(list.View->Handle(), 0);
    ASSERT_NE(header, nullptr);
    const auto caption = [header](int i) {
        char text[32] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_FORMAT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        Header_GetItem(header, i, &item);
        return std::string(text) + ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT ? ">" : "");
    };
    TListColumn* size = list.View->Columns()->Items(1);
    size->SetCaption("Bytes");
    size->SetAlignment(taRightJustify);
    size->SetWidth(77);
    EXPECT_EQ(caption(1), "Bytes>");
    EXPECT_EQ(list.View->Perform(LVM_GETCOLUMNWIDTH, 1, 0), 77);
    EXPECT_EQ(size->Width(), 77);
    list.View->Columns()->Add()->SetCaption("Type");
    EXPECT_EQ(Header_GetItemCount(header), 3);
    EXPECT_EQ(caption(2), "Type");
    list.View->Columns()->Items(0)->Free();
    EXPECT_EQ(Header_GetItemCount(header), 2);
    EXPECT_EQ(caption(0), "Bytes>");
    list.View->Columns()->Clear();
    EXPECT_EQ(Header_GetItemCount(header), 0);
}

TEST(ListItems, CheckBoxesAreTheItemsCheckedState)
{
    List list;
    list.View->SetCheckboxes(true);
    TListItem* item = list.Add("a");
    EXPECT_FALSE(item->Checked());
    item->SetChecked(true);
    EXPECT_TRUE(item->Checked());
    // A click on the box toggles it back.
    const TRect icon = item->DisplayRect(drIcon);
    const TRect bounds = item->DisplayRect(drBounds);
    LVHITTESTINFO info{{bounds.left + 2, (bounds.top + bounds.bottom) / 2}, 0, -1, 0};
    list.View->Perform(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
    if (info.flags & LVHT_ONITEMSTATEICON) {
        kwtest::ClickAwaited(ViewportOf(list.View), OnViewport(list.View, {info.pt.x, info.pt.y}));
        EXPECT_FALSE(item->Checked());
    } else {
        ADD_FAILURE() << "no state icon at the row's left; icon at " << icon.left;
    }
}

} // namespace

namespace {

// An owner-data list of rows "row N", and what its events heard.
struct OwnerList : List {
    std::vector<std::string> Heard;
    OwnerList()
    {
        View->SetOwnerData(true);
        View->SetMultiSelect(true);
        View->OnData = TLVOwnerDataEvent(this, &OwnerList::Data);
        View->OnDataHint = TLVOwnerDataHintEvent(this, &OwnerList::Hint);
        View->OnDataFind = TLVOwnerDataFindEvent(this, &OwnerList::Find);
        View->OnDataStateChange = TLVOwnerDataStateChangeEvent(this, &OwnerList::StateChange);
        View->Items()->SetCount(1000);
        View->SetFocus();
        Pump();
        Heard.clear();
    }
    void Data(TObject*, TListItem* item) { item->SetCaption("row " + std::to_string(item->Index())); }
    void Hint(TObject*, int from, int to)
    {
        Heard.push_back("hint:" + std::to_string(from) + "-" + std::to_string(to));
    }
    void Find(TObject*, TItemFind find, const std::string& text, const TPoint&, void*, int start,
              TSearchDirection, bool, int& index)
    {
        Heard.push_back("find:" + text + "@" + std::to_string(start));
        // Rows are "row N": the row named by the digits typed.
        if (find != ifData && text.rfind("row ", 0) == 0 && text.size() > 4)
            index = std::stoi(text.substr(4));
    }
    void StateChange(TObject*, int from, int to, TItemStates, TItemStates now)
    {
        Heard.push_back("range:" + std::to_string(from) + "-" + std::to_string(to) +
                        (now.Contains(isSelected) ? "+" : "-"));
    }
    bool HeardLike(const std::string& prefix) const
    {
        return std::any_of(Heard.begin(), Heard.end(),
                           [&](const std::string& h) { return h.rfind(prefix, 0) == 0; });
    }
};

TEST(ListItems, OwnerDataEventsFromAPersonsInput)
{
    struct Case {
        const char* Name;
        std::function<void(OwnerList&)> Act;
        std::string Heard;
        int Selected;
    };
    const auto click = [](OwnerList& l, int row, Qt::KeyboardModifiers modifiers = {}) {
        kwtest::ClickAwaited(ViewportOf(l.View),
                             OnViewport(l.View, CentreOf(l.View->Items()->Item(row)->DisplayRect(drLabel))),
                             Qt::LeftButton, modifiers);
    };
    const std::vector<Case> cases = {
        {"a paint hints the rows it draws",
         [](OwnerList& l) {
             l.View->Invalidate();
             l.View->Peer()->repaint();
         },
         "hint:0-", 0},
        {"typing asks the owner", [](OwnerList& l) { QTest::keyClicks(l.View->Peer(), "row 7"); },
         "find:row 7", 1},
        {"Shift makes a range", [&](OwnerList& l) { click(l, 1), click(l, 4, Qt::ShiftModifier); },
         "range:1-4+", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        OwnerList list;
        c.Act(list);
        Pump();
        EXPECT_TRUE(list.HeardLike(c.Heard)) << ::testing::PrintToString(list.Heard);
        EXPECT_EQ(list.View->SelCount(), c.Selected);
    }
}

} // namespace
