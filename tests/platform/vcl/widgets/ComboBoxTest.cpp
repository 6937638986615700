// Combo boxes: the notifications of opening, picking and cancelling, driven
// by real key and mouse events on the field and on the open list, with the
// current index at each step; the owner-draw records (field and list told
// apart, measured once an item); deleted items told to their owner; items,
// objects and selection across a new window.

#include "WidgetTesting.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/ComboBoxes.h"
#include "win32/Gdi.h"
#include "win32/SysColors.h"
#include "win32/WindowManager.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace vcl;
using kwtest::Pump;

// A parent that writes down what its combo tells it, with the combo's
// current index when it tells it.
class TComboHost : public TCustomControl {
public:
    explicit TComboHost(TComponent* owner) : TCustomControl(owner)
    {
        Saved_ = WindowProc;
        WindowProc = TWndMethod(this, &TComboHost::Log);
    }
    struct Told {
        WORD Code;
        int Current;
        bool operator==(const Told&) const = default;
    };
    std::vector<Told> Commands;
    std::vector<DRAWITEMSTRUCT> Draws;
    std::vector<HWND> DrawWindows; // WindowFromDC of each
    std::vector<UINT> Measured;
    std::vector<ULONG_PTR> Deleted;

private:
    void Log(TMessage& message)
    {
        if (message.Msg == WM_COMMAND && message.LParam) {
            const auto from = reinterpret_cast<HWND>(message.LParam);
            Commands.push_back(
                {message.WParamHi(), static_cast<int>(SendMessageA(from, CB_GETCURSEL, 0, 0))});
        } else if (message.Msg == WM_DRAWITEM) {
            const auto* record = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
            Draws.push_back(*record);
            DrawWindows.push_back(WindowFromDC(record->hDC));
        } else if (message.Msg == WM_MEASUREITEM) {
            Measured.push_back(reinterpret_cast<const MEASUREITEMSTRUCT*>(message.LParam)->itemID);
        } else if (message.Msg == WM_DELETEITEM) {
            Deleted.push_back(reinterpret_cast<const DELETEITEMSTRUCT*>(message.LParam)->itemData);
        }
        Saved_(message);
    }
    TWndMethod Saved_;
};

struct ComboOnForm {
    kwtest::TestForm Form{320, 240};
    TComboHost* Host;
    TComboBox* Combo;
    int CloseUps = 0;
    int Changes = 0;

    explicit ComboOnForm(TComboBoxStyle style = csDropDownList, int items = 4)
    {
        Host = Create<TComboHost>(Form.Get());
        Host->SetParent(Form.Get());
        Host->SetBounds(0, 0, 320, 240);
        Combo = Create<TComboBox>(Form.Get());
        Combo->SetStyle(style);
        Combo->SetParent(Host);
        Combo->SetBounds(10, 10, 200, 24);
        Combo->OnCloseUp = TNotifyEvent(this, &ComboOnForm::ClosedUp);
        Combo->OnChange = TNotifyEvent(this, &ComboOnForm::Changed);
        for (int i = 0; i < items; ++i)
            Combo->Items()->Add("item " + std::to_string(i));
        Combo->SetItemIndex(items > 0 ? 0 : -1);
        Combo->SetFocus();
        Pump();
    }
    void ClosedUp(TObject*) { ++CloseUps; }
    void Changed(TObject*) { ++Changes; }

    QComboBox* Widget() const { return static_cast<QComboBox*>(Combo->Peer()); }
    QAbstractItemView* List() const { return Widget()->view(); }
    // The arrow's end of the field: the combo's own, whatever the style.
    void ClickField() const
    {
        QTest::mouseClick(Widget(), Qt::LeftButton, {},
                          QPoint(Widget()->width() - 6, Widget()->height() / 2));
        Pump();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) const
    {
        QTest::keyClick(Widget(), key, modifiers);
        Pump();
    }
    void ListKey(Qt::Key key) const
    {
        QTest::keyClick(List(), key);
        Pump();
    }
    void ClickRow(int row) const
    {
        const QRect rect = List()->visualRect(List()->model()->index(row, 0));
        QTest::mouseMove(List()->viewport(), rect.center());
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, rect.center());
        Pump();
    }
    std::vector<TComboHost::Told> Told() const
    {
        // Focus notifications are no part of the sequences.
        std::vector<TComboHost::Told> told;
        for (const auto& t : Host->Commands)
            if (t.Code != CBN_SETFOCUS && t.Code != CBN_KILLFOCUS)
                told.push_back(t);
        return told;
    }
};

using Told = TComboHost::Told;

void PrintTo(const Told& t, std::ostream* out)
{
    *out << "{" << t.Code << "," << t.Current << "}";
}

TEST(ComboBox, PickingAndCancellingTellTheParentInOrder)
{
    struct Case {
        const char* what;
        std::function<void(ComboOnForm&)> act;
        std::vector<Told> told;
        int index;
        bool dropped = false;
    };
    const Case cases[] = {
        {"a click on a row picks it",
         [](ComboOnForm& f) {
             f.ClickField();
             f.ClickRow(2);
         },
         {{CBN_DROPDOWN, 0}, {CBN_SELENDOK, 2}, {CBN_CLOSEUP, 2}, {CBN_SELCHANGE, 2}},
         2},
        {"Enter takes the row the keys moved to",
         [](ComboOnForm& f) {
             f.Key(Qt::Key_F4);
             f.ListKey(Qt::Key_Down);
             f.ListKey(Qt::Key_Down);
             f.ListKey(Qt::Key_Return);
         },
         {{CBN_DROPDOWN, 0}, {CBN_SELENDOK, 2}, {CBN_CLOSEUP, 2}, {CBN_SELCHANGE, 2}},
         2},
        {"Enter on the current row changes nothing",
         [](ComboOnForm& f) {
             f.Key(Qt::Key_F4);
             f.ListKey(Qt::Key_Return);
         },
         {{CBN_DROPDOWN, 0}, {CBN_SELENDOK, 0}, {CBN_CLOSEUP, 0}},
         0},
        {"Escape cancels, the index stays",
         [](ComboOnForm& f) {
             f.Key(Qt::Key_Down, Qt::AltModifier);
             f.ListKey(Qt::Key_Down);
             f.ListKey(Qt::Key_Escape);
         },
         {{CBN_DROPDOWN, 0}, {CBN_SELENDCANCEL, 0}, {CBN_CLOSEUP, 0}},
         0},
        {"a click outside the list cancels",
         [](ComboOnForm& f) {
             f.ClickField();
             f.ListKey(Qt::Key_End);
             QWidget* popup = f.List()->window();
             QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(popup->width() + 20, popup->height() + 20));
             Pump();
         },
         {{CBN_DROPDOWN, 0}, {CBN_SELENDCANCEL, 0}, {CBN_CLOSEUP, 0}},
         0},
        {"closed by the program, the highlighted row stays",
         [](ComboOnForm& f) {
             f.Key(Qt::Key_F4);
             f.ListKey(Qt::Key_Down);
             f.Combo->SetDroppedDown(false);
         },
         {{CBN_DROPDOWN, 0}, {CBN_CLOSEUP, 1}, {CBN_SELCHANGE, 1}},
         1},
        {"a closed list steps with the arrow keys",
         [](ComboOnForm& f) {
             f.Key(Qt::Key_Down);
             f.Key(Qt::Key_Down);
             f.Key(Qt::Key_Up);
         },
         {{CBN_SELCHANGE, 1}, {CBN_SELCHANGE, 2}, {CBN_SELCHANGE, 1}},
         1},
        {"with the extended interface Down opens the list",
         [](ComboOnForm& f) {
             f.Combo->Perform(CB_SETEXTENDEDUI, 1);
             f.Key(Qt::Key_Down);
         },
         {{CBN_DROPDOWN, 0}},
         0,
         true},
    };
    for (const TComboBoxStyle style : {csDropDownList, csOwnerDrawFixed, csDropDown}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", style " + std::to_string(style));
            ComboOnForm f(style);
            f.Host->Commands.clear();
            c.act(f);
            EXPECT_EQ(f.Told(), c.told);
            EXPECT_EQ(f.Combo->ItemIndex(), c.index);
            EXPECT_EQ(f.Combo->DroppedDown(), c.dropped);
            const bool closed = std::any_of(c.told.begin(), c.told.end(),
                                            [](const Told& t) { return t.Code == CBN_CLOSEUP; });
            EXPECT_EQ(f.CloseUps, closed ? 1 : 0);
            EXPECT_EQ(f.List()->window()->isVisible(), c.dropped);
            // The text of a combo is its current item's.
            EXPECT_EQ(f.Combo->Text(), "item " + std::to_string(c.index));
        }
    }
}

TEST(ComboBox, OwnerDrawnItemsTellFieldFromListAndDrawSelectedInHighlight)
{
    win32::SetFixedSysColors(true);
    ComboOnForm f(csOwnerDrawFixed);
    f.Combo->SetItemHeight(18);
    f.Host->Draws.clear();
    f.Host->DrawWindows.clear();
    f.Widget()->repaint();
    ASSERT_FALSE(f.Host->Draws.empty());
    const DRAWITEMSTRUCT field = f.Host->Draws.back();
    EXPECT_EQ(field.CtlType, ODT_COMBOBOX);
    EXPECT_EQ(field.itemID, 0u);
    EXPECT_EQ(field.hwndItem, f.Combo->Handle());
    EXPECT_EQ(field.itemState & (ODS_COMBOBOXEDIT | ODS_SELECTED | ODS_FOCUS),
              ODS_COMBOBOXEDIT | ODS_SELECTED | ODS_FOCUS);
    EXPECT_EQ(f.Host->DrawWindows.back(), f.Combo->Handle());

    f.Key(Qt::Key_F4);
    f.ListKey(Qt::Key_Down);
    f.Host->Draws.clear();
    f.Host->DrawWindows.clear();
    const QImage list = kwtest::SavePicture(f.List()->viewport(), "combo-owner-drawn-list.png");
    std::map<UINT, UINT> states;
    for (std::size_t i = 0; i < f.Host->Draws.size(); ++i) {
        states[f.Host->Draws[i].itemID] = f.Host->Draws[i].itemState;
        EXPECT_NE(f.Host->DrawWindows[i], f.Combo->Handle());
    }
    ASSERT_EQ(states.size(), 4u);
    for (const auto& [item, state] : states) {
        SCOPED_TRACE(item);
        EXPECT_EQ(state & ODS_COMBOBOXEDIT, 0u);
        EXPECT_EQ((state & ODS_SELECTED) != 0, item == 1);
    }
    // The highlighted row in the highlight colour, the others in the window's.
    const QRect row1 = f.List()->visualRect(f.List()->model()->index(1, 0));
    const QRect row2 = f.List()->visualRect(f.List()->model()->index(2, 0));
    EXPECT_EQ(list.pixelColor(row1.right() - 3, row1.center().y()), ColorToQColor(clHighlight));
    EXPECT_EQ(list.pixelColor(row2.right() - 3, row2.center().y()), ColorToQColor(clWindow));
    EXPECT_EQ(row1.height(), 18);
    f.ListKey(Qt::Key_Escape);
}

TEST(ComboBox, VariableItemsAreMeasuredOnceEach)
{
    ComboOnForm f(csOwnerDrawVariable, 0);
    std::vector<int> measured(1000, 0);
    struct Heights {
        std::vector<int>& Count;
        void Measure(TWinControl*, int index, int& height)
        {
            ++Count.at(static_cast<std::size_t>(index));
            height = 10 + index % 7;
        }
    } heights{measured};
    f.Combo->OnMeasureItem = TMeasureItemEvent(&heights, &Heights::Measure);
    f.Combo->Items()->BeginUpdate();
    for (int i = 0; i < 1000; ++i)
        f.Combo->Items()->Add("row " + std::to_string(i));
    f.Combo->Items()->EndUpdate();
    f.Combo->SetFocus();
    for (int round = 0; round < 2; ++round) {
        f.Key(Qt::Key_F4);
        f.ListKey(Qt::Key_End);
        f.List()->viewport()->repaint();
        f.ListKey(Qt::Key_Escape);
    }
    EXPECT_TRUE(std::all_of(measured.begin(), measured.end(), [](int n) { return n == 1; }));
    EXPECT_EQ(f.List()->visualRect(f.List()->model()->index(3, 0)).height(), 13);
    EXPECT_EQ(f.Combo->Perform(CB_GETITEMHEIGHT, 5), 15);
}

TEST(ComboBox, DeletedItemsWithDataAreToldToTheParent)
{
    struct Case {
        const char* what;
        std::function<void(ComboOnForm&)> act;
        std::vector<ULONG_PTR> told;
    };
    const Case cases[] = {
        {"deleting one", [](ComboOnForm& f) { f.Combo->Items()->Delete(2); }, {0x20}},
        {"deleting one without data", [](ComboOnForm& f) { f.Combo->Items()->Delete(1); }, {}},
        {"clearing", [](ComboOnForm& f) { f.Combo->Clear(); }, {0x40, 0x20, 0x10}},
        {"destroying the window", [](ComboOnForm& f) { f.Combo->Free(); }, {0x40, 0x20, 0x10}},
        {"a new window tells nothing",
         [](ComboOnForm& f) {
             f.Combo->SetSorted(true);
             f.Combo->SetStyle(csOwnerDrawFixed);
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ComboOnForm f(csDropDownList, 0);
        // Items without data are nobody's business.
        for (ULONG_PTR data : {ULONG_PTR{0x10}, ULONG_PTR{0}, ULONG_PTR{0x20}, ULONG_PTR{0x40}})
            f.Combo->Items()->AddObject(std::to_string(data), reinterpret_cast<TObject*>(data));
        c.act(f);
        EXPECT_EQ(f.Host->Deleted, c.told);
    }
}

TEST(ComboBox, ItemsObjectsAndSelectionOutliveTheWindow)
{
    ComboOnForm f(csDropDownList, 0);
    for (const char* s : {"pear", "apple", "fig"})
        f.Combo->Items()->AddObject(s, reinterpret_cast<TObject*>(static_cast<std::uintptr_t>(s[0])));
    f.Combo->SetItemIndex(2);
    const HWND before = f.Combo->Handle();
    f.Combo->SetSorted(true); // a new window, sorted
    EXPECT_NE(f.Combo->Handle(), before);
    EXPECT_EQ(f.Combo->Items()->CommaText(), "apple,fig,pear");
    EXPECT_EQ(f.Combo->Items()->Objects(1), reinterpret_cast<TObject*>(std::uintptr_t{'f'}));
    EXPECT_EQ(f.Combo->Text(), "fig");
    // Without a window, kept by the control.
    f.Combo->SetParent(nullptr);
    EXPECT_FALSE(f.Combo->HandleAllocated());
    f.Combo->Items()->Add("banana");
    EXPECT_EQ(f.Combo->Items()->CommaText(), "apple,banana,fig,pear");
    EXPECT_EQ(f.Combo->ItemIndex(), 2);
    f.Combo->SetParent(f.Host);
    EXPECT_EQ(f.Combo->Items()->Objects(3), reinterpret_cast<TObject*>(std::uintptr_t{'p'}));
    EXPECT_EQ(f.Combo->Text(), "fig");
    EXPECT_TRUE(f.Host->Deleted.empty());
}

TEST(ComboBox, TheDropDownFieldIsAnEditWithItsLimit)
{
    ComboOnForm f(csDropDown, 2);
    f.Combo->SetMaxLength(3);
    f.Combo->SetItemIndex(-1);
    EXPECT_EQ(f.Combo->Text(), "");
    f.Host->Commands.clear();
    f.Changes = 0;
    QTest::keyClicks(f.Widget(), "xyzw");
    Pump();
    EXPECT_EQ(f.Combo->Text(), "xyz");
    EXPECT_EQ(f.Changes, 3);
    EXPECT_EQ(std::count(f.Host->Commands.begin(), f.Host->Commands.end(), Told{CBN_EDITCHANGE, -1}), 3);
    // Picking an item puts its text in the field, silently for the edit.
    f.Key(Qt::Key_F4);
    f.ClickRow(1);
    EXPECT_EQ(f.Combo->Text(), "item 1");
    EXPECT_EQ(f.Changes, 4); // the selection's change only
}

} // namespace
