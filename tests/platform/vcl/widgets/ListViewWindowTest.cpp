// The list window under real input, hosted by a small control: what a click,
// a drag, a right click and a key tell the parent and in which order; the
// selection with Ctrl and Shift; how little a paint asks of an owner-data
// list and of callback items; label editing each way; the header's clicks,
// tracks and owner-drawn items; the custom-draw stages; the scroll bars.

#include "WidgetTesting.h"
#include "vcl/widgets/ControlMessages.h"
#include "vcl/widgets/Controls.h"
#include "vcl/widgets/ListViewControl_p.h"
#include "win32/ImageLists.h"
#include "win32/ListViews.h"
#include "win32/ScrollBars.h"
#include "win32/WindowManager.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QStyleHints>
#include <QTreeView>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace vcl;
using kwtest::Later;
using kwtest::Pump;
using Strings = std::vector<std::string>;

std::string CodeName(UINT code)
{
    static const std::map<UINT, std::string> names = {
        {NM_CLICK, "click"},
        {NM_DBLCLK, "dblclk"},
        {NM_RCLICK, "rclick"},
        {NM_RETURN, "return"},
        {LVN_ITEMCHANGING, "changing"},
        {LVN_ITEMCHANGED, "changed"},
        {LVN_BEGINDRAG, "begindrag"},
        {LVN_BEGINRDRAG, "beginrdrag"},
        {LVN_KEYDOWN, "keydown"},
        {LVN_ITEMACTIVATE, "activate"},
        {LVN_COLUMNCLICK, "columnclick"},
        {LVN_ODSTATECHANGED, "odstatechanged"},
        {LVN_BEGINLABELEDITA, "beginedit"},
        {LVN_ENDLABELEDITA, "endedit"},
        {LVN_DELETEITEM, "deleteitem"},
        {LVN_DELETEALLITEMS, "deleteall"},
        {LVN_INSERTITEM, "insertitem"},
        {HDN_ITEMCLICKA, "hdn-click"},
        {HDN_BEGINTRACKA, "hdn-begintrack"},
        {HDN_ENDTRACKA, "hdn-endtrack"},
        {HDN_DIVIDERDBLCLICKA, "hdn-dividerdblclick"},
        {LVN_GETINFOTIPA, "infotip"},
        {HDN_ITEMCHANGINGA, "hdn-changing"},
        {HDN_ITEMCHANGEDA, "hdn-changed"},
    };
    const auto found = names.find(code);
    return found == names.end() ? std::string() : found->second;
}

// A control over the list window, as the framework's list view hosts it:
// its notifications come back reflected (CN_NOTIFY) and are kept here; the
// header's come to it as WM_NOTIFY and go on to the window.
class TTestList : public TWinControl {
public:
    TTestList(TComponent* owner, DWORD style) : TWinControl(owner), Style_(style) {}
    Strings Codes;
    Strings HeaderCodes;
    // The parent's answer to a notification (0 without).
    std::function<LRESULT(NMHDR*)> Answer;
    // LVN_GETDISPINFOA per (item, sub-item).
    std::map<std::pair<int, int>, int> Asked;
    std::vector<NMLISTVIEW> Changes;
    std::vector<NMLVCUSTOMDRAW> Draws;
    std::vector<DRAWITEMSTRUCT> DrawItems;
    int ContextMenus = 0;
    int CacheHints = 0;
    std::string EditedText = "-";

    HWND Window() { return Handle(); }
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(Handle(), msg, wParam, lParam);
    }
    QWidget* ViewPort() const
    {
        for (auto* view : Peer()->findChildren<QAbstractScrollArea*>(Qt::FindDirectChildrenOnly))
            if (!view->isHidden())
                return view->viewport();
        return nullptr;
    }
    QHeaderView* HeaderView() const { return Peer()->findChild<QHeaderView*>(); }
    // Where a client point of the window is on the viewport.
    QPoint OnViewport(POINT client) const
    {
        QWidget* viewport = ViewPort();
        return viewport->mapFrom(Peer(), QPoint(client.x, client.y) + Peer()->contentsRect().topLeft());
    }
    QPoint ItemPoint(int index, int part = LVIR_LABEL)
    {
        RECT r{part, 0, 0, 0};
        Send(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return OnViewport({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    int Add(const std::string& text)
    {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(Send(LVM_GETITEMCOUNT));
        item.pszText = const_cast<char*>(text.c_str());
        return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    void AddColumn(const std::string& text, int width)
    {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(text.c_str());
        column.cx = width;
        const auto header = reinterpret_cast<HWND>(Send(LVM_GETHEADER));
        Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(Header_GetItemCount(header)),
             reinterpret_cast<LPARAM>(&column));
    }
    std::vector<int> Selected()
    {
        std::vector<int> found;
        for (int i = static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); i >= 0;
             i = static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED)))
            found.push_back(i);
        return found;
    }
    std::string Text(int index)
    {
        char buffer[64] = {};
        LVITEMA item{};
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        return buffer;
    }

protected:
    void CreateParams(TCreateParams& params) override
    {
        TWinControl::CreateParams(params);
        params.Style |= Style_;
        params.ExStyle |= WS_EX_CLIENTEDGE;
        params.WinClassName = "SysListView32";
    }
    QWidget* CreatePeerWidget(QWidget* parentWidget) override
    {
        TCreateParams params;
        CreateParams(params);
        return new TListWidget(parentWidget, params.Style);
    }
    bool WidgetPaints() const override { return true; }
    void DefaultHandler(TMessage& message) override
    {
        if (auto* list = dynamic_cast<TListWidget*>(Peer()); list && HandleAllocated())
            if (list->Handle(Handle(), message))
                return;
        TWinControl::DefaultHandler(message);
    }
    void Dispatch(TMessage& message) override
    {
        switch (message.Msg) {
        case CN_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(message.LParam);
            Note(header);
            message.Result = Answer ? Answer(header) : 0;
            return;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
            if (const std::string name = CodeName(header->code); !name.empty())
                HeaderCodes.push_back(name);
            break;
        }
        case WM_DRAWITEM:
            DrawItems.push_back(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam));
            message.Result = TRUE;
            return;
        case WM_CONTEXTMENU:
            ++ContextMenus;
            Codes.push_back("contextmenu");
            return;
        case WM_PAINT:
        case WM_GETDLGCODE:
            return DefaultHandler(message);
        default:
            break;
        }
        TWinControl::Dispatch(message);
    }

private:
    void Note(NMHDR* header)
    {
        switch (header->code) {
        case LVN_GETDISPINFOA: {
            const auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
            ++Asked[{info->item.iItem, info->item.iSubItem}];
            return;
        }
        case LVN_ODCACHEHINT:
            ++CacheHints;
            return;
        case NM_CUSTOMDRAW:
            Draws.push_back(*reinterpret_cast<NMLVCUSTOMDRAW*>(header));
            return;
        case LVN_ITEMCHANGED:
            Changes.push_back(*reinterpret_cast<NMLISTVIEW*>(header));
            break;
        case LVN_ENDLABELEDITA: {
            const auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
            EditedText = info->item.pszText ? info->item.pszText : "(null)";
            break;
        }
        default:
            break;
        }
        if (const std::string name = CodeName(header->code); !name.empty())
            Codes.push_back(name);
    }
    DWORD Style_;
};

struct Fixture {
    kwtest::TestForm Form;
    TTestList* List;
    explicit Fixture(DWORD style = LVS_REPORT, int items = 5, int width = 320, int height = 240)
        : Form(width, height), List(new TTestList(Form.Get(), style | LVS_SHOWSELALWAYS))
    {
        List->SetParent(Form.Get());
        List->SetBounds(0, 0, width, height);
        List->AddColumn("Name", 120);
        List->AddColumn("Size", 80);
        for (int i = 0; i < items; ++i)
            List->Add(std::string(1, static_cast<char>('a' + i % 26)) + " item " + std::to_string(i));
        List->SetFocus();
        Pump();
        List->Codes.clear();
        List->Changes.clear();
    }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {})
    {
        kwtest::ClickAwaited(List->ViewPort(), at, button, modifiers);
    }
    void Drag(QPoint from, Qt::MouseButton button = Qt::LeftButton)
    {
        kwtest::ClickAwaited(List->ViewPort(), from, button, {}, true);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(List->Peer(), key, modifiers);
        Pump();
    }
};

TEST(ListViewWindow, ClicksDragsAndKeysTellTheParentInOrder)
{
    struct Case {
        const char* Name;
        std::function<void(Fixture&)> Act;
        Strings Codes;
        std::vector<int> Selected;
    };
    const std::vector<Case> cases = {
        {"a label", [](Fixture& f) { f.Click(f.List->ItemPoint(1)); }, {"changing", "changed", "click"}, {1}},
        {"a sub-item",
         [](Fixture& f) { f.Click(f.List->ItemPoint(2) + QPoint(100, 0)); },
         {"changing", "changed", "click"},
         {2}},
        {"empty space",
         [](Fixture& f) {
             f.Click({100, 200});
         },
         {"click"},
         {}},
        {"a drag", [](Fixture& f) { f.Drag(f.List->ItemPoint(1)); }, {"begindrag"}, {}},
        {"a right click",
         [](Fixture& f) { f.Click(f.List->ItemPoint(3), Qt::RightButton); },
         {"changing", "changed", "rclick", "contextmenu"},
         {3}},
        {"a right click the parent takes",
         [](Fixture& f) {
             f.List->Answer = [](NMHDR* h) -> LRESULT { return h->code == NM_RCLICK ? 1 : 0; };
             f.Click(f.List->ItemPoint(3), Qt::RightButton);
         },
         {"changing", "changed", "rclick"},
         {3}},
        {"a right drag",
         [](Fixture& f) { f.Drag(f.List->ItemPoint(2), Qt::RightButton); },
         {"changing", "changed", "beginrdrag"},
         {2}},
        {"Down", [](Fixture& f) { f.Key(Qt::Key_Down); }, {"keydown", "changing", "changed"}, {0}},
        {"Enter",
         [](Fixture& f) {
             f.List->Send(LVM_SETITEMSTATE, 1, [] {
                 static LVITEMA item{};
                 item.state = item.stateMask = LVIS_FOCUSED;
                 return reinterpret_cast<LPARAM>(&item);
             }());
             f.List->Codes.clear();
             f.Key(Qt::Key_Return);
         },
         {"keydown", "return", "activate"},
         {}},
        {"a refused change",
         [](Fixture& f) {
             f.List->Answer = [](NMHDR* h) -> LRESULT { return h->code == LVN_ITEMCHANGING ? 1 : 0; };
             f.Click(f.List->ItemPoint(1));
         },
         {"changing", "click"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f;
        c.Act(f);
        EXPECT_EQ(f.List->Codes, c.Codes);
        EXPECT_EQ(f.List->Selected(), c.Selected);
    }
}

TEST(ListViewWindow, CtrlAndShiftMakeTheSelection)
{
    struct Step {
        int Item;
        Qt::KeyboardModifiers Modifiers;
    };
    struct Case {
        const char* Name;
        DWORD Style;
        std::vector<Step> Steps;
        std::vector<int> Selected;
        int Focused;
    };
    const std::vector<Case> cases = {
        {"plain clicks", LVS_REPORT, {{1, {}}, {3, {}}}, {3}, 3},
        {"Ctrl adds", LVS_REPORT, {{1, {}}, {3, Qt::ControlModifier}}, {1, 3}, 3},
        {"Ctrl toggles off",
         LVS_REPORT,
         {{1, {}}, {3, Qt::ControlModifier}, {1, Qt::ControlModifier}},
         {3},
         1},
        {"Shift takes the range from the mark",
         LVS_REPORT,
         {{1, {}}, {4, Qt::ShiftModifier}},
         {1, 2, 3, 4},
         4},
        {"Shift backwards", LVS_REPORT, {{4, {}}, {2, Qt::ShiftModifier}}, {2, 3, 4}, 2},
        {"one only with single selection",
         LVS_REPORT | LVS_SINGLESEL,
         {{1, {}}, {3, Qt::ControlModifier}, {4, Qt::ShiftModifier}},
         {4},
         4},
        {"Shift in the list view", LVS_LIST, {{0, {}}, {2, Qt::ShiftModifier}}, {0, 1, 2}, 2},
        {"Ctrl in the icon view", LVS_ICON, {{0, {}}, {2, Qt::ControlModifier}}, {0, 2}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f(c.Style);
        for (const Step& step : c.Steps)
            f.Click(f.List->ItemPoint(step.Item), Qt::LeftButton, step.Modifiers);
        EXPECT_EQ(f.List->Selected(), c.Selected);
        EXPECT_EQ(f.List->Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), c.Focused);
        EXPECT_EQ(f.List->Send(LVM_GETSELECTEDCOUNT), static_cast<LRESULT>(c.Selected.size()));
    }
}

TEST(ListViewWindow, KeysMoveByTheViewsGeometry)
{
    struct Case {
        const char* Name;
        DWORD Style;
        std::vector<Qt::Key> Keys;
        int Focused;
    };
    // 30 items; the list view's columns and the icon view's rows depend on
    // the size, so the expectations ask the window where the items lie.
    const std::vector<Case> cases = {
        {"report Down Down", LVS_REPORT, {Qt::Key_Down, Qt::Key_Down}, 1},
        {"report End Up", LVS_REPORT, {Qt::Key_End, Qt::Key_Up}, 28},
        {"list Right", LVS_LIST, {Qt::Key_Down, Qt::Key_Right}, -1},
        {"icon Down", LVS_ICON, {Qt::Key_Down, Qt::Key_Down}, -2},
        {"icon Right", LVS_ICON, {Qt::Key_Down, Qt::Key_Right}, 1},
        {"icons aligned left Down", LVS_ICON | LVS_ALIGNLEFT, {Qt::Key_Down, Qt::Key_Down}, 1},
        {"icons aligned left Right", LVS_ICON | LVS_ALIGNLEFT, {Qt::Key_Down, Qt::Key_Right}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f(c.Style, 30);
        for (Qt::Key key : c.Keys)
            f.Key(key);
        int expected = c.Focused;
        if (expected < 0) {
            // The item below or beside the first, found by its rectangle.
            RECT first{LVIR_BOUNDS, 0, 0, 0};
            f.List->Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
            const POINT at = expected == -1
                                 ? POINT{first.left + (first.right - first.left) * 3 / 2, first.top + 2}
                                 : POINT{first.left + 2, first.top + (first.bottom - first.top) * 3 / 2};
            LVHITTESTINFO hit{at, 0, -1, 0};
            expected = static_cast<int>(f.List->Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
            ASSERT_GT(expected, 0);
        }
        EXPECT_EQ(f.List->Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), expected);
        EXPECT_EQ(f.List->Selected(), std::vector<int>{expected});
    }
}

TEST(ListViewWindow, CheckBoxesAreStateImagesTheUserToggles)
{
    struct Case {
        const char* Name;
        std::function<void(Fixture&)> Act;
        UINT Image; // item 1's state image afterwards
        std::vector<int> Selected;
    };
    const auto stateIcon = [](Fixture& f) {
        return f.List->ItemPoint(1, LVIR_BOUNDS) - QPoint(f.List->ItemPoint(1, LVIR_BOUNDS).x() - 8, 0);
    };
    const std::vector<Case> cases = {
        {"none touched", [](Fixture&) {}, 1, {}},
        {"a click on the box", [&](Fixture& f) { f.Click(stateIcon(f)); }, 2, {}},
        {"two clicks on the box",
         [&](Fixture& f) {
             f.Click(stateIcon(f));
             QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
             f.Click(stateIcon(f));
         },
         1,
         {}},
        {"a click on the label", [](Fixture& f) { f.Click(f.List->ItemPoint(1)); }, 1, {1}},
        {"Space on the focused item",
         [](Fixture& f) {
             f.Click(f.List->ItemPoint(1));
             f.Key(Qt::Key_Space);
         },
         2,
         {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f;
        f.List->Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
        Pump();
        c.Act(f);
        EXPECT_EQ(f.List->Send(LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK) >> 12,
                  static_cast<LRESULT>(c.Image));
        EXPECT_EQ(f.List->Selected(), c.Selected);
    }
}

TEST(ListViewWindow, TrackSelectMakesTheItemUnderThePointerHotThenSelected)
{
    struct Case {
        const char* Name;
        bool Track;
        LRESULT Answer; // to LVN_HOTTRACK
        int Hot;
        std::vector<int> Selected;
    };
    const std::vector<Case> cases = {
        {"without the style", false, 0, -1, {}},
        {"with it", true, 0, 2, {2}},
        {"the parent keeps it", true, 1, -1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f;
        f.List->Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_TRACKSELECT, c.Track ? LVS_EX_TRACKSELECT : 0);
        f.List->Answer = [&c](NMHDR* h) -> LRESULT { return h->code == LVN_HOTTRACK ? c.Answer : 0; };
        QWidget* viewport = f.List->ViewPort();
        const QPoint at = f.List->ItemPoint(2);
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
        QCoreApplication::sendEvent(viewport, &move);
        Pump();
        EXPECT_EQ(f.List->Send(LVM_GETHOTITEM), c.Hot);
        kwtest::PumpUntil([&] { return !f.List->Selected().empty(); }, 1000);
        EXPECT_EQ(f.List->Selected(), c.Selected);
    }
}

TEST(ListViewWindow, ADoubleClickActivatesTheItem)
{
    Fixture f;
    QTest::mouseDClick(f.List->ViewPort(), Qt::LeftButton, {}, f.List->ItemPoint(2));
    Pump();
    const Strings tail(f.List->Codes.end() -
                           std::min<std::ptrdiff_t>(2, static_cast<std::ptrdiff_t>(f.List->Codes.size())),
                       f.List->Codes.end());
    EXPECT_EQ(tail, (Strings{"dblclk", "activate"}));
    EXPECT_EQ(f.List->Selected(), std::vector<int>{2});
}

TEST(ListViewWindow, SortedStylesAndPlacedIcons)
{
    Fixture f(LVS_ICON | LVS_SORTASCENDING, 0);
    for (const char* text : {"pear", "apple", "fig", "banana"})
        f.List->Add(text);
    const Strings sorted = {f.List->Text(0), f.List->Text(1), f.List->Text(2), f.List->Text(3)};
    EXPECT_EQ(sorted, (Strings{"apple", "banana", "fig", "pear"}));
    // An icon put somewhere is found there.
    EXPECT_TRUE(f.List->Send(LVM_SETITEMPOSITION, 2, MAKELPARAM(170, 130)));
    POINT at{};
    EXPECT_TRUE(f.List->Send(LVM_GETITEMPOSITION, 2, reinterpret_cast<LPARAM>(&at)));
    EXPECT_EQ(at.x, 170);
    EXPECT_EQ(at.y, 130);
    RECT label{LVIR_LABEL, 0, 0, 0};
    f.List->Send(LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&label));
    LVHITTESTINFO hit{{label.left + 4, label.top + 2}, 0, -1, 0};
    EXPECT_EQ(f.List->Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 2);
    // Arranged, it goes back to its cell.
    f.List->Send(LVM_ARRANGE, LVA_DEFAULT);
    f.List->Send(LVM_GETITEMPOSITION, 2, reinterpret_cast<LPARAM>(&at));
    EXPECT_NE(at.x, 170);
}

TEST(ListViewWindow, TypedCharactersFindALabel)
{
    struct Case {
        const char* Name;
        DWORD Style;
        const char* Typed;
        int Focused;
        std::string Asked; // what an owner-data parent was asked to find
    };
    const std::vector<Case> cases = {
        {"a first letter", LVS_REPORT, "c", 2, ""},
        {"letters typed on", LVS_REPORT, "d i", 3, ""},
        {"no label begins so", LVS_REPORT, "q", -1, ""},
        {"owner data asks its parent", LVS_REPORT | LVS_OWNERDATA, "r4", 42, "r4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f(c.Style, (c.Style & LVS_OWNERDATA) ? 0 : 5);
        std::string asked;
        if (c.Style & LVS_OWNERDATA) {
            f.List->Send(LVM_SETITEMCOUNT, 100, 0);
            f.List->Answer = [&asked](NMHDR* h) -> LRESULT {
                if (h->code != LVN_ODFINDITEMA)
                    return 0;
                const auto* find = reinterpret_cast<NMLVFINDITEMA*>(h);
                asked = find->lvfi.psz ? find->lvfi.psz : "";
                return (find->lvfi.flags & LVFI_PARTIAL) ? 42 : -1;
            };
        }
        QTest::keyClicks(f.List->Peer(), c.Typed);
        Pump();
        EXPECT_EQ(f.List->Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), c.Focused);
        EXPECT_EQ(asked, c.Asked);
    }
}

// Answers an owner-data list's questions with made-up texts.
LRESULT OwnerAnswer(NMHDR* header)
{
    if (header->code == LVN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
        if (info->item.mask & LVIF_TEXT) {
            const std::string text =
                "r" + std::to_string(info->item.iItem) + "c" + std::to_string(info->item.iSubItem);
            std::snprintf(info->item.pszText, static_cast<std::size_t>(info->item.cchTextMax), "%s",
                          text.c_str());
        }
    }
    return 0;
}

int VisibleRows(TTestList* list)
{
    return static_cast<int>(list->Send(LVM_GETCOUNTPERPAGE)) + 1;
}

TEST(ListViewWindow, OwnerDataAsksOnlyForTheCellsItShows)
{
    struct Case {
        const char* Name;
        std::function<void(Fixture&)> Act;
        int FirstRow; // the lowest row a cell may be asked of
    };
    const std::vector<Case> cases = {
        {"the first frame", [](Fixture&) {}, 0},
        {"after End", [](Fixture& f) { f.Key(Qt::Key_End); }, 100000 - 40},
        {"after a page down", [](Fixture& f) { f.Key(Qt::Key_PageDown); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f(LVS_REPORT | LVS_OWNERDATA, 0);
        f.List->AddColumn("Three", 60);
        f.List->AddColumn("Four", 60);
        f.List->Answer = OwnerAnswer;
        f.List->Send(LVM_SETITEMCOUNT, 100000, 0);
        f.List->Peer()->repaint();
        Pump();
        c.Act(f);
        f.List->Asked.clear();
        f.List->CacheHints = 0;
        f.List->ViewPort()->repaint();
        const int rows = VisibleRows(f.List);
        const int top = static_cast<int>(f.List->Send(LVM_GETTOPINDEX));
        EXPECT_GT(f.List->Asked.size(), 0u);
        EXPECT_GE(f.List->CacheHints, 1);
        for (const auto& [cell, times] : f.List->Asked) {
            EXPECT_LE(times, 2) << cell.first << "," << cell.second;
            EXPECT_GE(cell.first, std::max(top, c.FirstRow));
            EXPECT_LE(cell.first, top + rows);
            EXPECT_LT(cell.second, 4);
        }
        EXPECT_LE(f.List->Asked.size(), static_cast<std::size_t>(4 * (rows + 1)));
        EXPECT_EQ(f.List->Text(12345), "r12345c0");
    }
}

TEST(ListViewWindow, OwnerDataKeepsItsSelectionAsRanges)
{
    Fixture f(LVS_REPORT | LVS_OWNERDATA, 0);
    f.List->Answer = OwnerAnswer;
    f.List->Send(LVM_SETITEMCOUNT, 100000, 0);
    Pump();
    struct Case {
        const char* Name;
        std::function<void()> Act;
        Strings Codes;
        LRESULT Selected;
        int ChangedItem; // iItem of the last LVN_ITEMCHANGED, -2 for none
    };
    LVITEMA all{};
    const std::vector<Case> cases = {
        {"a click", [&] { f.Click(f.List->ItemPoint(2)); }, {"changing", "changed", "click"}, 1, 2},
        {"Shift+click makes a range at once",
         [&] { f.Click(f.List->ItemPoint(6), Qt::LeftButton, Qt::ShiftModifier); },
         {"odstatechanged", "changing", "changed", "changing", "changed", "click"},
         5,
         6},
        {"every item by -1",
         [&] {
             all.state = all.stateMask = LVIS_SELECTED;
             f.List->Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
         },
         {"changed"},
         100000,
         -1},
        {"none by -1",
         [&] {
             all.state = 0;
             f.List->Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
         },
         {"changed"},
         0,
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        f.List->Codes.clear();
        f.List->Changes.clear();
        c.Act();
        EXPECT_EQ(f.List->Codes, c.Codes);
        EXPECT_EQ(f.List->Send(LVM_GETSELECTEDCOUNT), c.Selected);
        EXPECT_EQ(f.List->Changes.empty() ? -2 : f.List->Changes.back().iItem, c.ChangedItem);
    }
}

TEST(ListViewWindow, CallbackItemsAreAskedForWhenShown)
{
    Fixture f(LVS_REPORT, 0);
    f.List->Answer = OwnerAnswer;
    f.List->Send(WM_SETREDRAW, FALSE);
    for (int i = 0; i < 20000; ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = LPSTR_TEXTCALLBACKA;
        f.List->Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        LVITEMA sub{};
        sub.iSubItem = 1;
        sub.pszText = LPSTR_TEXTCALLBACKA;
        f.List->Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&sub));
    }
    f.List->Send(WM_SETREDRAW, TRUE);
    EXPECT_TRUE(f.List->Asked.empty());
    f.List->ViewPort()->repaint();
    const int rows = VisibleRows(f.List);
    EXPECT_GT(f.List->Asked.size(), 0u);
    for (const auto& [cell, times] : f.List->Asked) {
        EXPECT_LE(times, 2);
        EXPECT_LE(cell.first, rows);
    }
    EXPECT_EQ(f.List->Text(19999), "r19999c0");
    // LVM_GETITEMA asks as a paint does.
    char buffer[32] = {};
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = 5;
    item.iSubItem = 1;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    EXPECT_TRUE(f.List->Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(buffer, "r5c1");
}

TEST(ListViewWindow, AnAnswerThatFillsTheBufferIsAskedAgainWithMore)
{
    Fixture f(LVS_REPORT, 0);
    const std::string longText(5000, 'x');
    f.List->Answer = [&](NMHDR* header) -> LRESULT {
        if (header->code == LVN_GETDISPINFOA) {
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
            std::snprintf(info->item.pszText, static_cast<std::size_t>(info->item.cchTextMax), "%s",
                          longText.c_str());
        }
        return 0;
    };
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.pszText = LPSTR_TEXTCALLBACKA;
    f.List->Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    std::vector<char> buffer(8000);
    LVITEMA get{};
    get.pszText = buffer.data();
    get.cchTextMax = static_cast<int>(buffer.size());
    EXPECT_EQ(f.List->Send(LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&get)), 5000);
    EXPECT_EQ(std::string(buffer.data()), longText);
}

QLineEdit* EditField()
{
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

TEST(ListViewWindow, LabelEditsBeginAndEndEachWay)
{
    struct Case {
        const char* Name;
        LRESULT Begin; // the answer to LVN_BEGINLABELEDITA
        LRESULT End;   // the answer to LVN_ENDLABELEDITA
        std::function<void(Fixture&)> Start;
        std::function<void(Fixture&)> Finish;
        Strings Codes;
        std::string Edited;
        std::string Text;
    };
    const auto slowSecondClick = [](Fixture& f) {
        f.Click(f.List->ItemPoint(1));
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
        f.Click(f.List->ItemPoint(1));
        kwtest::PumpUntil([&] { return f.List->Send(LVM_GETEDITCONTROL) != 0; }, 3000);
        f.List->Codes.erase(std::remove_if(f.List->Codes.begin(), f.List->Codes.end(),
                                           [](const std::string& code) { return code != "beginedit"; }),
                            f.List->Codes.end());
    };
    const auto message = [](Fixture& f) { f.List->Send(LVM_EDITLABELA, 1); };
    const auto type = [](const char* keys, Qt::Key end) {
        return [keys, end](Fixture&) {
            QLineEdit* field = EditField();
            ASSERT_NE(field, nullptr);
            QTest::keyClicks(field, keys);
            QTest::keyClick(field, end);
        };
    };
    const std::vector<Case> cases = {
        {"slow second click, Enter, taken",
         0,
         1,
         slowSecondClick,
         type("gamma", Qt::Key_Return),
         {"beginedit", "endedit"},
         "gamma",
         "gamma"},
        {"message, Enter, not taken",
         0,
         0,
         message,
         type("gamma", Qt::Key_Return),
         {"beginedit", "endedit"},
         "gamma",
         "b item 1"},
        {"message, Escape",
         0,
         1,
         message,
         type("gamma", Qt::Key_Escape),
         {"beginedit", "endedit"},
         "(null)",
         "b item 1"},
        {"a click elsewhere ends it",
         0,
         1,
         message,
         [](Fixture& f) {
             QTest::keyClicks(EditField(), "delta");
             f.Click(f.List->ItemPoint(3));
         },
         {"beginedit", "endedit"},
         "delta",
         "delta"},
        {"refused", 1, 1, message, [](Fixture&) {}, {"beginedit"}, "-", "b item 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f(LVS_REPORT | LVS_EDITLABELS);
        f.List->Answer = [&c](NMHDR* h) -> LRESULT {
            return h->code == LVN_BEGINLABELEDITA ? c.Begin : h->code == LVN_ENDLABELEDITA ? c.End : 0;
        };
        c.Start(f);
        Pump();
        EXPECT_EQ(f.List->Send(LVM_GETEDITCONTROL) != 0, c.Begin == 0);
        c.Finish(f);
        kwtest::PumpUntil([&] { return f.List->Send(LVM_GETEDITCONTROL) == 0; }, 2000);
        Pump();
        Strings codes;
        for (const std::string& code : f.List->Codes)
            if (code == "beginedit" || code == "endedit")
                codes.push_back(code);
        EXPECT_EQ(codes, c.Codes);
        EXPECT_EQ(f.List->EditedText, c.Edited);
        EXPECT_EQ(f.List->Text(1), c.Text);
    }
}

TEST(ListViewWindow, TheHeaderIsAChildWindowThatTellsItsClicksAndTracks)
{
    Fixture f;
    const HWND header = reinterpret_cast<HWND>(f.List->Send(LVM_GETHEADER));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(GetDlgItem(f.List->Window(), 0), header);
    EXPECT_EQ(GetParent(header), f.List->Window());
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);
    QWidget* bar = f.List->HeaderView()->viewport();
    RECT first{};
    ASSERT_TRUE(Header_GetItemRect(header, 0, &first));
    EXPECT_EQ(first.right - first.left, 120);
    const int middle = (first.top + first.bottom) / 2;

    struct Case {
        const char* Name;
        std::function<void()> Act;
        Strings HeaderCodes;
        Strings Codes;
        int Width;
    };
    const std::vector<Case> cases = {
        {"a click on the second item",
         [&] {
             QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(160, middle));
             QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(160, middle));
         },
         {"hdn-click"},
         {"columnclick"},
         120},
        {"a press and a release elsewhere",
         [&] {
             QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(160, middle));
             QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(40, middle));
         },
         {},
         {},
         120},
        {"a divider dragged",
         [&] {
             QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(120, middle));
             QTest::mouseMove(bar, QPoint(140, middle));
             QTest::mouseMove(bar, QPoint(160, middle));
             QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(160, middle));
         },
         {"hdn-begintrack", "hdn-endtrack", "hdn-changing", "hdn-changed"},
         {},
         160},
        {"a divider double-clicked",
         [&] { QTest::mouseDClick(bar, Qt::LeftButton, {}, QPoint(160, middle)); },
         {"hdn-dividerdblclick"},
         {},
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        f.List->HeaderCodes.clear();
        f.List->Codes.clear();
        c.Act();
        Pump();
        EXPECT_EQ(f.List->HeaderCodes, c.HeaderCodes);
        EXPECT_EQ(f.List->Codes, c.Codes);
        if (c.Width >= 0) {
            EXPECT_EQ(f.List->Send(LVM_GETCOLUMNWIDTH, 0), c.Width);
        } else {
            // As wide as the widest text of the column.
            const LRESULT text = f.List->Send(LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>("a item 0"));
            const LRESULT width = f.List->Send(LVM_GETCOLUMNWIDTH, 0);
            EXPECT_GT(width, text);
            EXPECT_LT(width, text + 40);
        }
    }
}

TEST(ListViewWindow, InfoTipsAreAskedOnlyWithTheirStyle)
{
    for (const bool tips : {false, true}) {
        SCOPED_TRACE(tips);
        Fixture f;
        f.List->Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_INFOTIP, tips ? LVS_EX_INFOTIP : 0);
        int item = -2;
        f.List->Answer = [&item](NMHDR* h) -> LRESULT {
            if (h->code == LVN_GETINFOTIPA) {
                auto* tip = reinterpret_cast<NMLVGETINFOTIPA*>(h);
                item = tip->iItem;
                std::snprintf(tip->pszText, static_cast<std::size_t>(tip->cchTextMax), "tip");
            }
            return 0;
        };
        QWidget* viewport = f.List->ViewPort();
        const QPoint at = f.List->ItemPoint(3);
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QCoreApplication::sendEvent(viewport, &help);
        EXPECT_EQ(item, tips ? 3 : -2);
    }
}

TEST(ListViewWindow, OwnerDrawnHeaderItemsAreDrawnByTheParent)
{
    Fixture f;
    const HWND header = reinterpret_cast<HWND>(f.List->Send(LVM_GETHEADER));
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    item.fmt = HDF_OWNERDRAW;
    ASSERT_TRUE(Header_SetItem(header, 1, &item));
    f.List->DrawItems.clear();
    f.List->HeaderView()->viewport()->repaint();
    ASSERT_EQ(f.List->DrawItems.size(), 1u);
    const DRAWITEMSTRUCT& drawn = f.List->DrawItems.front();
    EXPECT_EQ(drawn.CtlType, ODT_HEADER);
    EXPECT_EQ(drawn.CtlID, 0u);
    EXPECT_EQ(drawn.itemID, 1u);
    EXPECT_EQ(drawn.hwndItem, header);
    EXPECT_NE(drawn.hDC, nullptr);
    EXPECT_EQ(drawn.rcItem.right - drawn.rcItem.left, 80);
    // Setting the column resets the header item's format from the column's.
    LVCOLUMNA column{};
    column.mask = LVCF_FMT;
    column.fmt = LVCFMT_RIGHT;
    f.List->Send(LVM_SETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
    HDITEMA back{};
    back.mask = HDI_FORMAT;
    Header_GetItem(header, 1, &back);
    EXPECT_EQ(back.fmt, HDF_STRING | HDF_RIGHT);
    f.List->DrawItems.clear();
    f.List->HeaderView()->viewport()->repaint();
    EXPECT_TRUE(f.List->DrawItems.empty());
}

TEST(ListViewWindow, TheSubItemStageIsTheReportViewsOnly)
{
    struct Case {
        DWORD View;
        bool SubItems;
    };
    for (const Case& c : std::vector<Case>{
             {LVS_REPORT, true}, {LVS_ICON, false}, {LVS_LIST, false}, {LVS_SMALLICON, false}}) {
        SCOPED_TRACE(c.View);
        Fixture f(c.View, 3);
        f.List->Answer = [](NMHDR* h) -> LRESULT {
            if (h->code != NM_CUSTOMDRAW)
                return 0;
            const auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(h);
            return draw->nmcd.dwDrawStage == CDDS_PREPAINT       ? CDRF_NOTIFYITEMDRAW
                   : draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT ? CDRF_NOTIFYSUBITEMDRAW
                                                                 : CDRF_DODEFAULT;
        };
        f.List->Draws.clear();
        f.List->ViewPort()->repaint();
        std::set<std::pair<DWORD_PTR, int>> subItems;
        int items = 0;
        for (const NMLVCUSTOMDRAW& draw : f.List->Draws) {
            if (draw.nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM))
                subItems.insert({draw.nmcd.dwItemSpec, draw.iSubItem});
            else if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
                ++items;
        }
        EXPECT_EQ(items, 3);
        const std::set<std::pair<DWORD_PTR, int>> expected =
            c.SubItems ? std::set<std::pair<DWORD_PTR, int>>{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}}
                       : std::set<std::pair<DWORD_PTR, int>>{};
        EXPECT_EQ(subItems, expected);
    }
}

TEST(ListViewWindow, AFontTheHandlerSelectsDrawsItsRowOrItsCell)
{
    // What each row's handler does: select the bold font with CDRF_NEWFONT at
    // the item stage, at sub-item 1's stage, or the list's own font back there;
    // or set the text colour at the item stage and at sub-item 0's.
    struct Row {
        bool ItemBold;
        int SubBold; // -1: none; 1: sub-item 1 bold; 0: sub-item 1 back to normal
        bool Bold[2];
        COLORREF ItemColor = CLR_DEFAULT;
        COLORREF FirstCellColor = CLR_DEFAULT;
        COLORREF Color[2] = {CLR_DEFAULT, CLR_DEFAULT}; // of each cell's text
    };
    const COLORREF red = RGB(255, 0, 0);
    const COLORREF blue = RGB(0, 0, 255);
    const Row rows[] = {
        {false, -1, {false, false}},
        {true, -1, {true, true}},
        {true, 0, {true, false}},
        {false, 1, {false, true}},
        {false, -1, {false, false}, red, blue, {blue, red}},
    };
    const int count = static_cast<int>(std::size(rows));
    Fixture f(LVS_REPORT, 0, 360, 200);
    for (int i = 0; i < count; ++i) {
        f.List->Add("Wim Wam Mow");
        LVITEMA size{};
        size.iSubItem = 1;
        size.pszText = const_cast<char*>("Mow Wim");
        f.List->Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&size));
    }
    LOGFONTA bold{};
    HFONT normal = reinterpret_cast<HFONT>(f.List->Send(WM_GETFONT));
    if (!normal)
        normal = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    ASSERT_EQ(GetObjectA(normal, sizeof(bold), &bold), static_cast<int>(sizeof(bold)));
    bold.lfWeight = FW_BOLD;
    // As a custom-draw wrapper does, a font lives until the next notification.
    HFONT made = nullptr;
    f.List->Answer = [&](NMHDR* h) -> LRESULT {
        if (h->code != NM_CUSTOMDRAW)
            return 0;
        const auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(h);
        if (made)
            DeleteObject(made);
        made = nullptr;
        const DWORD stage = draw->nmcd.dwDrawStage;
        if (stage == CDDS_PREPAINT)
            return CDRF_NOTIFYITEMDRAW;
        const Row& row = rows[draw->nmcd.dwItemSpec];
        const bool sub = (stage & CDDS_SUBITEM) != 0;
        LRESULT answer = sub ? CDRF_DODEFAULT : CDRF_NOTIFYSUBITEMDRAW;
        const COLORREF color = !sub ? row.ItemColor : draw->iSubItem == 0 ? row.FirstCellColor : CLR_DEFAULT;
        if (color != CLR_DEFAULT) {
            reinterpret_cast<NMLVCUSTOMDRAW*>(h)->clrText = color;
            answer |= CDRF_NEWFONT;
        }
        if (sub && draw->iSubItem == 1 && row.SubBold == 0) {
            SelectObject(draw->nmcd.hdc, normal);
            answer |= CDRF_NEWFONT;
        } else if (sub ? draw->iSubItem == 1 && row.SubBold == 1 : row.ItemBold) {
            made = CreateFontIndirectA(&bold);
            SelectObject(draw->nmcd.hdc, made);
            answer |= CDRF_NEWFONT;
        }
        return answer;
    };
    f.List->ViewPort()->repaint();
    const QImage picture = kwtest::SavePicture(f.List->Peer(), "list-custom-draw-fonts.png");
    f.List->Answer = nullptr;
    // The ink in a cell, inside its focus rectangle.
    const auto ink = [&](int index, int sub) {
        RECT r{LVIR_LABEL, sub, 0, 0};
        f.List->Send(LVM_GETSUBITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        const QPoint origin = f.List->Peer()->contentsRect().topLeft();
        long total = 0;
        for (int y = r.top + 2; y < r.bottom - 2; ++y)
            for (int x = r.left + 2; x < r.right - 2; ++x) {
                const QColor c = picture.pixelColor(QPoint(x, y) + origin);
                total += 255 - std::min({c.red(), c.green(), c.blue()});
            }
        return total;
    };
    // The pixels of a cell in the text's full colour, and those near black.
    const auto colored = [&](int index, int sub, COLORREF color) {
        RECT r{LVIR_LABEL, sub, 0, 0};
        f.List->Send(LVM_GETSUBITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        const QPoint origin = f.List->Peer()->contentsRect().topLeft();
        const auto near = [](const QColor& c, COLORREF want) {
            return std::abs(c.red() - GetRValue(want)) < 64 && std::abs(c.green() - GetGValue(want)) < 64 &&
                   std::abs(c.blue() - GetBValue(want)) < 64;
        };
        std::pair<int, int> found{0, 0};
        for (int y = r.top + 2; y < r.bottom - 2; ++y)
            for (int x = r.left + 2; x < r.right - 2; ++x) {
                const QColor c = picture.pixelColor(QPoint(x, y) + origin);
                found.first += near(c, color);
                found.second += near(c, RGB(0, 0, 0));
            }
        return found;
    };
    const long plain[2] = {ink(0, 0), ink(0, 1)};
    ASSERT_GT(plain[0], 0);
    ASSERT_GT(plain[1], 0);
    for (int i = 0; i < count; ++i)
        for (int sub = 0; sub < 2; ++sub) {
            SCOPED_TRACE(testing::Message() << "row " << i << ", cell " << sub);
            const long seen = ink(i, sub);
            if (rows[i].Bold[sub])
                EXPECT_GT(seen * 10, plain[sub] * 12) << "bold is darker";
            else
                EXPECT_LT(std::labs(seen - plain[sub]) * 20, plain[sub]) << "as the plain row";
            if (const COLORREF color = rows[i].Color[sub]; color != CLR_DEFAULT) {
                const auto [inColor, black] = colored(i, sub, color);
                EXPECT_GT(inColor, 10) << "drawn in the handler's colour";
                EXPECT_EQ(black, 0) << "not in the list's";
            }
        }
    if (made)
        DeleteObject(made);
}

TEST(ListViewWindow, ItemRectanglesAndHitTestsAgreeInEveryView)
{
    for (const DWORD view : {LVS_REPORT, LVS_ICON, LVS_SMALLICON, LVS_LIST}) {
        SCOPED_TRACE(view);
        Fixture f(view, 12);
        struct Part {
            int Code;
            UINT Flag;
        };
        for (int i = 0; i < 12; ++i) {
            for (const Part part : {Part{LVIR_LABEL, LVHT_ONITEMLABEL}}) {
                RECT r{part.Code, 0, 0, 0};
                ASSERT_TRUE(
                    f.List->Send(LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)));
                LVHITTESTINFO hit{{r.left + 2, (r.top + r.bottom) / 2}, 0, -1, 0};
                if (hit.pt.y >= 0 && hit.pt.y < f.List->ClientHeight() && hit.pt.x < f.List->ClientWidth()) {
                    EXPECT_EQ(f.List->Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), i);
                    EXPECT_EQ(hit.flags, part.Flag);
                }
            }
        }
        RECT bad{LVIR_BOUNDS, 0, 0, 0};
        EXPECT_FALSE(f.List->Send(LVM_GETITEMRECT, 12, reinterpret_cast<LPARAM>(&bad)));
        RECT first{LVIR_BOUNDS, 0, 0, 0};
        f.List->Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
        LVHITTESTINFO nowhere{{-5, first.top + 2}, 0, 0, 0};
        EXPECT_EQ(f.List->Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&nowhere)), -1);
        EXPECT_EQ(nowhere.flags, LVHT_TOLEFT);
    }
}

TEST(ListViewWindow, TheItemsLieWhereQtsListViewScrollsThem)
{
    // The window places the icon views' items by arithmetic; Qt's view keeps
    // the scroll range from its own layout of the same cells.
    for (const DWORD view :
         {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_ICON | LVS_ALIGNLEFT, LVS_SMALLICON | LVS_ALIGNLEFT}) {
        SCOPED_TRACE(view);
        Fixture f(view, 150);
        auto* list = f.List->Peer()->findChild<QListView*>();
        ASSERT_NE(list, nullptr);
        for (const int i : {0, 1, 7, 33, 149}) {
            RECT r{LVIR_BOUNDS, 0, 0, 0};
            f.List->Send(LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
            const QPoint topLeft = f.List->OnViewport({r.left, r.top});
            EXPECT_EQ(QRect(topLeft, QSize(r.right - r.left, r.bottom - r.top)),
                      list->visualRect(list->model()->index(i, 0)))
                << i;
        }
    }
}

// A compare that is no order at all: each call answers the other way.
int Fickle(LPARAM, LPARAM, LPARAM state)
{
    int& calls = *reinterpret_cast<int*>(state);
    return ++calls % 2 ? -1 : 1;
}

int Descending(LPARAM a, LPARAM b, LPARAM)
{
    return static_cast<int>(b - a);
}

TEST(ListViewWindow, ItemMessagesAnswerAsThePlatform)
{
    Fixture f(LVS_REPORT, 6);
    for (int i = 0; i < 6; ++i) {
        LVITEMA param{};
        param.mask = LVIF_PARAM;
        param.iItem = i;
        param.lParam = i;
        f.List->Send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&param));
    }
    struct Case {
        const char* Name;
        std::function<LRESULT()> Act;
        LRESULT Result;
    };
    LVFINDINFOA find{};
    const std::vector<Case> cases = {
        {"find a text from the start",
         [&] {
             find = {LVFI_STRING, "c item 2", 0, {0, 0}, 0};
             return f.List->Send(LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
         },
         2},
        {"find a prefix after its item, wrapping",
         [&] {
             find = {LVFI_PARTIAL | LVFI_WRAP, "a", 0, {0, 0}, 0};
             return f.List->Send(LVM_FINDITEMA, 0, reinterpret_cast<LPARAM>(&find));
         },
         0},
        {"find a param",
         [&] {
             find = {LVFI_PARAM, nullptr, 4, {0, 0}, 0};
             return f.List->Send(LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
         },
         4},
        {"an item out of range", [&] { return f.List->Send(LVM_DELETEITEM, 6); }, FALSE},
        {"a state of an item out of range", [&] { return f.List->Send(LVM_GETITEMSTATE, 99, ~0u); }, 0},
        {"sorted descending, the first",
         [&] {
             f.List->Send(LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&Descending));
             return static_cast<LRESULT>(f.List->Text(0) == "f item 5");
         },
         1},
        {"sorted again by the places before the sort, not the params",
         [&] {
             f.List->Send(LVM_SORTITEMSEX, 0, reinterpret_cast<LPARAM>(&Descending));
             return static_cast<LRESULT>(f.List->Text(0) == "a item 0" && f.List->Text(5) == "f item 5");
         },
         1},
        {"a compare that is no order keeps every item",
         [&] {
             int calls = 0;
             f.List->Send(LVM_SORTITEMS, reinterpret_cast<WPARAM>(&calls), reinterpret_cast<LPARAM>(&Fickle));
             std::set<std::string> texts;
             for (int i = 0; i < 6; ++i)
                 texts.insert(f.List->Text(i));
             return static_cast<LRESULT>(texts.size());
         },
         6},
        {"the selection mark",
         [&] {
             f.List->Send(LVM_SETSELECTIONMARK, 0, 3);
             return f.List->Send(LVM_GETSELECTIONMARK);
         },
         3},
        {"a column width by autosize",
         [&] {
             f.List->Send(LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(static_cast<WORD>(LVSCW_AUTOSIZE), 0));
             const LRESULT width = f.List->Send(LVM_GETCOLUMNWIDTH, 0);
             const LRESULT text = f.List->Send(LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>("f item 5"));
             return static_cast<LRESULT>(width > text && width < text + 40);
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(c.Act(), c.Result);
    }
}

TEST(ListViewWindow, DeletingEveryItemTellsEachUnlessTheParentDeclines)
{
    for (const LRESULT decline : {LRESULT{0}, LRESULT{1}}) {
        SCOPED_TRACE(decline);
        Fixture f(LVS_REPORT, 3);
        f.List->Answer = [decline](NMHDR* h) -> LRESULT {
            return h->code == LVN_DELETEALLITEMS ? decline : 0;
        };
        EXPECT_TRUE(f.List->Send(LVM_DELETEALLITEMS));
        const Strings expected =
            decline ? Strings{"deleteall"} : Strings{"deleteall", "deleteitem", "deleteitem", "deleteitem"};
        EXPECT_EQ(f.List->Codes, expected);
        EXPECT_EQ(f.List->Send(LVM_GETITEMCOUNT), 0);
    }
}

TEST(ListViewWindow, TheDropHighlightFollowsItsItems)
{
    Fixture f(LVS_REPORT, 6);
    const auto highlight = [&](int index, bool on) {
        LVITEMA state{};
        state.stateMask = LVIS_DROPHILITED;
        state.state = on ? LVIS_DROPHILITED : 0;
        f.List->Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
    };
    const auto highlighted = [&] {
        std::vector<int> found;
        for (int i =
                 static_cast<int>(f.List->Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_DROPHILITED));
             i >= 0;
             i = static_cast<int>(f.List->Send(LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_DROPHILITED)))
            found.push_back(i);
        return found;
    };
    struct Case {
        const char* Name;
        std::function<void()> Act;
        std::vector<int> Highlighted;
    };
    const std::vector<Case> cases = {
        {"none at first", [] {}, {}},
        {"one item", [&] { highlight(2, true); }, {2}},
        {"a second item beside it", [&] { highlight(4, true); }, {2, 4}},
        {"the first cleared", [&] { highlight(2, false); }, {4}},
        {"moved by a sort",
         [&] { f.List->Send(LVM_SORTITEMSEX, 0, reinterpret_cast<LPARAM>(&Descending)); },
         {1}},
        {"moved by a deletion before it", [&] { f.List->Send(LVM_DELETEITEM, 0); }, {0}},
        {"an item inserted highlighted",
         [&] {
             LVITEMA item{};
             item.mask = LVIF_TEXT | LVIF_STATE;
             item.iItem = 3;
             item.pszText = const_cast<char*>("new");
             item.stateMask = item.state = LVIS_DROPHILITED;
             f.List->Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
         },
         {0, 3}},
        {"the highlighted item deleted", [&] { f.List->Send(LVM_DELETEITEM, 0); }, {2}},
        {"every item deleted", [&] { f.List->Send(LVM_DELETEALLITEMS); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Act();
        EXPECT_EQ(highlighted(), c.Highlighted);
    }
}

TEST(ListViewWindow, ScrollMessagesAndTheScrollInfo)
{
    Fixture f(LVS_REPORT, 100);
    const HWND window = f.List->Window();
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(window, SB_VERT, &info));
    const int page = static_cast<int>(f.List->Send(LVM_GETCOUNTPERPAGE));
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 99);
    EXPECT_EQ(static_cast<int>(info.nPage), page);
    struct Case {
        const char* Name;
        std::function<void()> Act;
        int Top;
    };
    const std::vector<Case> cases = {
        {"a line", [&] { SendMessageA(window, WM_VSCROLL, SB_LINEDOWN, 0); }, 1},
        {"a page", [&] { SendMessageA(window, WM_VSCROLL, SB_PAGEDOWN, 0); }, 1 + page},
        {"the top", [&] { SendMessageA(window, WM_VSCROLL, SB_TOP, 0); }, 0},
        {"LVM_SCROLL by rows' pixels",
         [&] {
             RECT r{LVIR_BOUNDS, 0, 0, 0};
             f.List->Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
             f.List->Send(LVM_SCROLL, 0, 3 * (r.bottom - r.top));
         },
         3},
        {"ensure visible", [&] { f.List->Send(LVM_ENSUREVISIBLE, 90, FALSE); }, 91 - page},
        {"the bottom", [&] { SendMessageA(window, WM_VSCROLL, SB_BOTTOM, 0); }, 100 - page},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Act();
        Pump();
        EXPECT_EQ(f.List->Send(LVM_GETTOPINDEX), c.Top);
        EXPECT_EQ(GetScrollPos(window, SB_VERT), c.Top);
    }
    // The list view scrolls sideways.
    f.List->Send(LVM_DELETEALLITEMS);
    SetWindowLongPtrA(window, GWL_STYLE, (GetWindowLongPtrA(window, GWL_STYLE) & ~LVS_TYPEMASK) | LVS_LIST);
    for (int i = 0; i < 200; ++i)
        f.List->Add("x" + std::to_string(i));
    Pump();
    SCROLLINFO side{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    EXPECT_TRUE(GetScrollInfo(window, SB_HORZ, &side));
    EXPECT_GT(side.nMax, static_cast<int>(side.nPage));
}

HIMAGELIST Pictures(int size)
{
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, 4, 4);
    const QColor colours[] = {Qt::darkBlue, Qt::darkGreen, Qt::darkRed, Qt::darkYellow};
    for (const QColor& colour : colours) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setBrush(colour);
        painter.drawEllipse(1, 1, size - 3, size - 3);
        painter.end();
        win32::ImageListSetImage(list, -1, image);
    }
    return list;
}

TEST(ListViewWindow, ReportAndIconViewsLookRight)
{
    for (const DWORD view : {LVS_REPORT, LVS_ICON}) {
        Fixture f(view, 14, 360, 260);
        HIMAGELIST small = Pictures(16);
        HIMAGELIST large = Pictures(32);
        f.List->Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
        f.List->Send(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large));
        f.List->Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        for (int i = 0; i < 14; ++i) {
            LVITEMA item{};
            item.mask = LVIF_IMAGE;
            item.iItem = i;
            item.iImage = i % 4;
            f.List->Send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            LVITEMA size{};
            const std::string text = std::to_string(i * 17 % 100) + " KB";
            size.iSubItem = 1;
            size.pszText = const_cast<char*>(text.c_str());
            f.List->Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&size));
        }
        f.Click(f.List->ItemPoint(2));
        f.Click(f.List->ItemPoint(4), Qt::LeftButton, Qt::ControlModifier);
        Pump();
        const QImage picture =
            kwtest::SavePicture(f.List->Peer(), view == LVS_REPORT ? "list-report.png" : "list-icon.png");
        // The selection's colour is there, and so are the pictures' colours.
        bool highlight = false, blue = false;
        const QColor selected = f.List->ViewPort()->palette().color(QPalette::Highlight);
        for (int y = 0; y < picture.height(); y += 2)
            for (int x = 0; x < picture.width(); x += 2) {
                const QColor pixel = picture.pixelColor(x, y);
                highlight = highlight || pixel.rgb() == QColor(GetRValue(GetSysColor(COLOR_HIGHLIGHT)),
                                                               GetGValue(GetSysColor(COLOR_HIGHLIGHT)),
                                                               GetBValue(GetSysColor(COLOR_HIGHLIGHT)))
                                                            .rgb();
                blue = blue || pixel.rgb() == QColor(Qt::darkBlue).rgb();
            }
        (void)selected;
        // The sunken border of WS_EX_CLIENTEDGE is the frame's, drawn round the views.
        EXPECT_NE(picture.pixelColor(0, picture.height() / 2).rgb(), QColor(Qt::white).rgb());
        EXPECT_TRUE(highlight);
        EXPECT_TRUE(blue);
        f.List->Free();
        Pump();
        ImageList_Destroy(small);
        ImageList_Destroy(large);
    }
}

// The parts of a window that paint events asked for.
struct PaintedRegion : QObject {
    QRegion Region;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            Region += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

TEST(ListViewWindow, ARangeSelectedAtOnceRepaintsEveryRowOfIt)
{
    struct Case {
        const char* Name;
        std::function<void(Fixture&)> Select;
        int First, Last; // the rows selected after it
    };
    const std::vector<Case> cases = {
        {"Shift+click", [](Fixture& f) { f.Click(f.List->ItemPoint(5), Qt::LeftButton, Qt::ShiftModifier); },
         1, 5},
        {"Shift+End", [](Fixture& f) { f.Key(Qt::Key_End, Qt::ShiftModifier); }, 1, 7},
        {"every item by -1",
         [](Fixture& f) {
             LVITEMA all{};
             all.state = all.stateMask = LVIS_SELECTED;
             f.List->Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
         },
         0, 7},
    };
    const QRgb highlight =
        QColor(GetRValue(GetSysColor(COLOR_HIGHLIGHT)), GetGValue(GetSysColor(COLOR_HIGHLIGHT)),
               GetBValue(GetSysColor(COLOR_HIGHLIGHT)))
            .rgb();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f(LVS_REPORT, 8);
        f.Click(f.List->ItemPoint(1));
        Pump();
        PaintedRegion painted;
        f.List->ViewPort()->installEventFilter(&painted);
        c.Select(f);
        Pump();
        f.List->ViewPort()->removeEventFilter(&painted);
        const QImage picture = kwtest::SavePicture(f.List->ViewPort(), "list-range.png");
        for (int i = 0; i < 8; ++i) {
            const QPoint at = f.List->ItemPoint(i);
            bool lit = false;
            for (int x = 0; x < picture.width(); ++x)
                lit = lit || picture.pixel(x, at.y()) == highlight;
            const bool selected = i >= c.First && i <= c.Last;
            EXPECT_EQ(lit, selected) << "row " << i;
            // Row 1 was selected before: what changed is repainted.
            if (selected && i != 1)
                EXPECT_TRUE(painted.Region.contains(at)) << "row " << i;
        }
    }
}

} // namespace

TEST(ListViewWindow, RowsChangedWhileRedrawingIsOffReachTheViewsAsRunsAndOneAppend)
{
    using Run = std::pair<int, int>;
    struct Case {
        const char* Name;
        std::vector<int> Deleted; // indices as they are when each is deleted
        int Appended;
        int DeletedAfter;          // -1: none; an index deleted after the appends
        std::vector<Run> Removals; // as the views hear them, in order
        std::vector<Run> Insertions;
        std::vector<std::string> Left;
    };
    const Case cases[] = {
        {"a run from its top", {3, 3, 3}, 0, -1, {{3, 5}}, {}, {"0", "1", "2", "6", "7", "8", "9"}},
        {"a run from its bottom", {5, 4, 3}, 0, -1, {{3, 5}}, {}, {"0", "1", "2", "6", "7", "8", "9"}},
        {"scattered, the last first",
         {1, 7, 3},
         0,
         -1,
         {{8, 8}, {4, 4}, {1, 1}},
         {},
         {"0", "2", "3", "5", "6", "7", "9"}},
        {"a gap closed between two runs",
         {2, 3, 2},
         0,
         -1,
         {{2, 4}},
         {},
         {"0", "1", "5", "6", "7", "8", "9"}},
        {"removals then appends, one appended deleted again",
         {0},
         2,
         9,
         {{0, 0}},
         {{9, 9}},
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "n1"}},
        {"appends only",
         {},
         3,
         -1,
         {},
         {{10, 12}},
         {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "n0", "n1", "n2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f(LVS_ICON, 0);
        for (int i = 0; i < 10; ++i)
            f.List->Add(std::to_string(i));
        // The rows are the icon views' (the report view paints them itself).
        QAbstractItemModel* model = f.List->Peer()->findChild<QListView*>()->model();
        std::vector<Run> removals;
        std::vector<Run> insertions;
        QObject::connect(
            model, &QAbstractItemModel::rowsAboutToBeRemoved,
            [&](const QModelIndex&, int first, int last) { removals.emplace_back(first, last); });
        QObject::connect(
            model, &QAbstractItemModel::rowsInserted,
            [&](const QModelIndex&, int first, int last) { insertions.emplace_back(first, last); });
        f.List->Send(WM_SETREDRAW, FALSE);
        for (int index : c.Deleted)
            EXPECT_TRUE(f.List->Send(LVM_DELETEITEM, static_cast<WPARAM>(index)));
        for (int i = 0; i < c.Appended; ++i)
            f.List->Add("n" + std::to_string(i));
        if (c.DeletedAfter >= 0) {
            EXPECT_TRUE(f.List->Send(LVM_DELETEITEM, static_cast<WPARAM>(c.DeletedAfter)));
        }
        // Nothing reaches the views before redrawing is back on.
        EXPECT_TRUE(removals.empty());
        EXPECT_TRUE(insertions.empty());
        EXPECT_EQ(model->rowCount(), 10);
        f.List->Send(WM_SETREDRAW, TRUE);
        EXPECT_EQ(removals, c.Removals);
        EXPECT_EQ(insertions, c.Insertions);
        const auto count = static_cast<int>(f.List->Send(LVM_GETITEMCOUNT));
        EXPECT_EQ(model->rowCount(), count);
        std::vector<std::string> left;
        for (int i = 0; i < count; ++i)
            left.push_back(f.List->Text(i));
        EXPECT_EQ(left, c.Left);
    }
}
