// The list-view window over a QTreeView (report view) and a QListView (the
// icon, small-icon and list views).
//
// The items are ours (Item below), or none at all for an owner-data list; the
// views see them through a model that tells them the number of rows and
// columns and nothing else, so that Qt scrolls one grid of cells of one size
// while every item is painted here, through a device context, and every input
// comes in as a message. Where an item lies is worked out from its index and
// the cell size, so that no view measures every row.

#include "vcl/widgets/ListViewControl_p.h"

#include "vcl/core/SafeSort.h"
#include "vcl/widgets/ItemWindow_p.h"
#include "vcl/widgets/LabelEdit_p.h"
#include "vcl/widgets/WidgetPeer_p.h"
#include "win32/DeviceContext.h"
#include "win32/Errors.h"
#include "win32/Gdi.h"
#include "win32/ImageLists.h"
#include "win32/ListViews.h"
#include "win32/Menus.h"
#include "win32/ScrollBars.h"
#include "win32/SysColors.h"
#include "win32/VirtualKeys.h"
#include "win32/WideText.h"
#include "win32/WindowManager.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QHelpEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vcl {

namespace {

constexpr UINT_PTR kEditTimer = 0x7E12;
// With track select, an item the pointer rests on this long is selected.
constexpr UINT_PTR kHoverTimer = 0x7E13;
constexpr UINT kHoverTime = 400;
// Typed characters that follow each other within this time search on.
constexpr qint64 kSearchPause = 1000;
constexpr int kLabelPadding = 2;
constexpr int kImageGap = 2;
constexpr int kFirstBuffer = 1024;
// Runs of removed rows that wait for redrawing at most.
constexpr std::size_t kWaitingRuns = 1024;
// A header divider is this near to the pointer.
constexpr int kDividerSlop = 4;
constexpr UINT kKeptStates = LVIS_SELECTED | LVIS_FOCUSED;
// The check boxes drawn without a state image list: state image 1 clear,
// 2 checked.
constexpr int kCheckSize = 16;

struct Cell {
    std::string Text;
    bool Callback = false;
};

// The sub-items of an item, sub-item n at n - 1. While every one is a
// callback with no text of its own (a list whose texts come when drawn),
// they are only counted.
class SubCells {
public:
    std::size_t size() const { return Cells_.empty() ? Callbacks_ : Cells_.size(); }
    Cell At(std::size_t i) const { return Cells_.empty() ? Cell{{}, true} : Cells_[i]; }
    void Set(std::size_t i, Cell cell)
    {
        if (Cells_.empty() && cell.Callback && cell.Text.empty() && i <= Callbacks_) {
            Callbacks_ = std::max<std::size_t>(Callbacks_, i + 1);
            return;
        }
        Spread();
        if (Cells_.size() <= i)
            Cells_.resize(i + 1);
        Cells_[i] = std::move(cell);
    }
    void Insert(std::size_t at)
    {
        Spread();
        Cells_.insert(Cells_.begin() + static_cast<std::ptrdiff_t>(at), Cell{});
    }
    void Erase(std::size_t at)
    {
        Spread();
        Cells_.erase(Cells_.begin() + static_cast<std::ptrdiff_t>(at));
    }

private:
    void Spread()
    {
        if (Cells_.empty() && Callbacks_ > 0)
            Cells_.assign(Callbacks_, Cell{{}, true});
        Callbacks_ = 0;
    }
    std::vector<Cell> Cells_;
    std::size_t Callbacks_ = 0;
};

// One item of a list that keeps its items.
struct Item {
    std::string Text;
    SubCells Subs;
    LPARAM Param = 0;
    int Image = 0;
    int Indent = 0;
    UINT State = 0;
    QPoint Position;
    bool TextCallback = false;
    bool Placed = false;
};

struct Column {
    std::string Text;
    int Fmt = LVCFMT_LEFT;
    int Width = 0;
    int SubItem = 0;
    int Image = 0;
    int Order = 0;
    int HeaderFmt = HDF_STRING;
    LPARAM HeaderParam = 0;
};

using itemwindow::QColorOf;
using itemwindow::SignedHigh;
using itemwindow::SignedLow;

RECT RectOf(const QRect& r)
{
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

QString Wide(const std::string& text)
{
    return QString::fromStdU16String(win32::BytesToWide(text));
}

// The selection of an owner-data list: disjoint ranges, first to last.
class Ranges {
public:
    bool Contains(int index) const
    {
        auto it = Map_.upper_bound(index);
        if (it == Map_.begin())
            return false;
        --it;
        return index <= it->second;
    }
    void Set(int from, int to, bool on)
    {
        if (from > to)
            return;
        // Cut [from, to] out, then put it back whole when on.
        auto it = Map_.upper_bound(from);
        if (it != Map_.begin()) {
            auto before = std::prev(it);
            if (before->second >= from) {
                const int end = before->second;
                before->second = from - 1;
                if (before->second < before->first)
                    Map_.erase(before);
                if (end > to)
                    Map_[to + 1] = end;
            }
        }
        for (it = Map_.lower_bound(from); it != Map_.end() && it->first <= to;) {
            if (it->second > to) {
                const int end = it->second;
                Map_.erase(it);
                Map_[to + 1] = end;
                break;
            }
            it = Map_.erase(it);
        }
        if (on) {
            int first = from, last = to;
            auto next = Map_.find(to + 1);
            if (next != Map_.end()) {
                last = next->second;
                Map_.erase(next);
            }
            auto prev = Map_.lower_bound(from);
            if (prev != Map_.begin() && std::prev(prev)->second == from - 1) {
                std::prev(prev)->second = last;
                return;
            }
            Map_[first] = last;
        }
    }
    void Clear() { Map_.clear(); }
    long long Count() const
    {
        long long n = 0;
        for (const auto& [from, to] : Map_)
            n += to - from + 1;
        return n;
    }
    // The first selected index after index (-1: from the start); -1 for none.
    int After(int index) const
    {
        auto it = Map_.upper_bound(index);
        if (it != Map_.begin() && std::prev(it)->second > index)
            return index + 1;
        return it == Map_.end() ? -1 : it->first;
    }
    const std::map<int, int>& All() const { return Map_; }
    void Clip(int count)
    {
        if (count <= 0) {
            Map_.clear();
            return;
        }
        Set(count, std::numeric_limits<int>::max() - 1, false);
    }

private:
    std::map<int, int> Map_;
};

// The views lay themselves out when the event loop comes round; the window
// settles them at once where it needs their scroll ranges.
// The report view has the columns and no rows: Qt would lay out every row;
// its vertical bar counts the window's rows, a step a row.
class ReportView final : public QTreeView {
public:
    using QTreeView::QTreeView;
    void Settle() { executeDelayedItemsLayout(); }
    std::function<void()> OnGeometry;

protected:
    void updateGeometries() override
    {
        QTreeView::updateGeometries();
        if (OnGeometry)
            OnGeometry();
    }
    void scrollContentsBy(int dx, int dy) override
    {
        QTreeView::scrollContentsBy(dx, dy);
        viewport()->update();
    }
};

class IconView final : public QListView {
public:
    using QListView::QListView;
    void Settle() { executeDelayedItemsLayout(); }
};

} // namespace

class TListWidget::Impl final : public QObject {
public:
    Impl(TListWidget* list, DWORD style);
    ~Impl() override;

    bool Handle(HWND window, TMessage& message);

    // ---- items ----
    DWORD Style() const;
    DWORD View() const { return Style() & LVS_TYPEMASK; }
    // How the items flow: down the report, down columns (the list view, and
    // the icon views aligned left) or along rows (LVS_ICON).
    DWORD Flow() const
    {
        const DWORD view = View();
        if (view == LVS_REPORT || view == LVS_LIST)
            return view;
        return (Style() & LVS_ALIGNMASK) == LVS_ALIGNLEFT ? LVS_LIST : LVS_ICON;
    }
    bool Owner() const { return (Style() & LVS_OWNERDATA) != 0; }
    int Count() const { return Owner() ? OwnerCount_ : static_cast<int>(Items_.size()); }
    // The rows Qt's views know of: rows removed and appended while
    // redrawing is off reach them together, as one removal a run of
    // adjacent rows and one insertion, when it comes back on or before any
    // other change of the rows.
    int ModelCount() const { return Announced_ >= 0 ? Announced_ : Count(); }
    void AnnounceRows();
    // Row index of the items is gone from the list: Qt's views hear of it
    // now, or with the others when redrawing comes back on.
    void RowRemoved(int index);
    bool Valid(int index) const { return index >= 0 && index < Count(); }
    int InsertItem(const LVITEMA* record);
    bool DeleteItem(int index);
    bool DeleteAll();
    bool SetItem(const LVITEMA& record);
    bool GetItem(LVITEMA& record);
    void SetCount(int count);
    void Shift(int from, int by);
    bool SortItems(PFNLVCOMPARE compare, LPARAM data, bool byIndex);
    int FindItem(int start, const LVFINDINFOA& find);
    int NextItem(int start, UINT flags);
    int Neighbour(int index, UINT direction) const;

    // ---- what the parent is told ----
    bool Notify(NMHDR& header, UINT code, LRESULT* result = nullptr);
    bool NotifyList(UINT code, int index, int sub, UINT newState, UINT oldState, UINT changed, POINT at,
                    LRESULT* result = nullptr);
    bool NotifyActivate(UINT code, int index, int sub, POINT at, LRESULT* result = nullptr);
    // What is shown of an item's cell, the parent asked for the callbacks.
    struct Display {
        std::string Text;
        int Image = 0;
        UINT State = 0;
        int Indent = 0;
        LPARAM Param = 0;
    };
    bool Resolve(int index, int sub, UINT mask, Display& shown);
    void CacheHint(int from, int to);

    // ---- state ----
    UINT StateOf(int index, UINT mask);
    // false when the parent refused or the window went.
    bool SetState(int index, UINT state, UINT mask);
    bool SetAllStates(UINT state, UINT mask);
    bool Deselect(int keepFrom, int keepTo);
    bool SelectOnly(int index);
    bool SelectRange(int from, int to, bool add);
    // While one lives, the items whose states change are not repainted one
    // by one (each box worked out): the viewport is, once, when the
    // outermost goes.
    class Batch;
    bool FocusItem(int index);
    int SelectedCount() const;
    bool EnsureVisible(int index, bool partial);
    void RepaintItem(int index);
    void Relayout();

    // ---- geometry (client coordinates) ----
    QPoint Origin() const;
    QAbstractItemView* Current() const;
    QWidget* Viewport() const { return Current()->viewport(); }
    void Settle()
    {
        if (View() == LVS_REPORT)
            Report_->Settle();
        else
            Icons_->Settle();
    }
    int RowHeight();
    int TextHeight();
    QSize CellSize();
    int PerLine();
    QRect ItemBox(int index);
    struct Parts {
        QRect Bounds, State, Icon, Label;
    };
    Parts PartsOf(int index);
    QRect SubItemRect(int index, int sub);
    int ColumnLeft(int column) const;
    int TotalWidth() const;
    int HitTest(POINT point, UINT& flags, int* sub = nullptr);
    std::pair<int, int> VisibleRange(const QRect& clip);
    int TopIndex();
    int CountPerPage();
    int StringWidth(const std::string& text);
    // The width of text in the font selected into dc.
    static int TextWidth(HDC dc, const std::string& text);
    // The state images' size: the list's, or the check boxes'.
    bool StateImageSize(int& cx, int& cy) const;
    void PaintStateImage(HDC dc, UINT state, const QRect& place);
    bool ToggleCheck(int index);

    // ---- columns and the header ----
    int InsertColumn(int at, const LVCOLUMNA& column);
    void ApplyColumn(Column& column, const LVCOLUMNA& record);
    void SetColumnWidth(int column, int width);
    int AutoWidth(int column, bool header);
    void SyncColumns();
    class Header;
    void EnsureHeader();

    // ---- painting ----
    void Paint(const QPaintEvent& event);
    void PaintItem(HDC dc, int index, bool itemNotify, bool postNotify);
    void PaintCell(HDC dc, int index, int sub, const Display& shown, const QRect& cell, bool selected,
                   COLORREF text, COLORREF back);
    HFONT ControlFont() const;
    COLORREF Background() const;
    COLORREF Foreground() const;

    // ---- input ----
    void ButtonDown(bool right, POINT point, WPARAM keys);
    void DoubleClick(POINT point);
    void KeyDown(WORD key);
    void Char(char16_t unit);
    void Scroll(bool vertical, int code, int thumb);
    void ScrollBy(int dx, int dy);
    void Wheel(int delta);
    void MouseMove(POINT point);

    // ---- label editing ----
    HWND BeginEdit(int index);
    void EndEdit(bool cancel);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void SyncStyle();

    TListWidget* List;
    class Model;
    class Delegate;
    // The rows (for the icon views) and the columns (for the report view).
    Model* Model_;
    Model* ColumnModel_;
    void SyncRows();
    ReportView* Report_;
    IconView* Icons_;
    Header* Header_;
    HWND Window_ = nullptr;
    HWND HeaderWindow_ = nullptr;
    DWORD InitialStyle_;
    DWORD SyncedStyle_ = ~0u;
    DWORD ExStyle_ = 0;
    std::vector<Item*> Items_;
    int OwnerCount_ = 0;
    Ranges Selection_;
    std::vector<Column> Columns_;
    int Focus_ = -1;
    int Mark_ = -1;
    // Items whose own state holds the drop highlight, and where the last one
    // given it stood: a drag asks for the highlighted item at every move, and
    // a scan of every item each time is too slow for a large folder.
    int DropHilited_ = 0;
    int DropHint_ = -1;
    int Hot_ = -1;
    UINT CallbackMask_ = 0;
    HIMAGELIST Normal_ = nullptr;
    HIMAGELIST Small_ = nullptr;
    HIMAGELIST State_ = nullptr;
    COLORREF Bk_ = CLR_NONE;
    COLORREF Text_ = CLR_NONE;
    COLORREF TextBk_ = CLR_NONE;
    HFONT Font_ = nullptr;
    HDC Measure_ = nullptr;
    int CachedHeight_ = -1;
    int CachedTextHeight_ = -1;
    int ListWidth_ = 120;
    QSize Spacing_;
    bool Redraw_ = true;
    // A Batch lives; an item changed meanwhile wants the viewport repainted.
    bool Batched_ = false;
    bool BatchedRepaint_ = false;
    // Rows Qt's views know of while removed or appended ones wait; -1: all
    // of them. Gone_ holds the waiting removals in the rows Qt's views know.
    int Announced_ = -1;
    Ranges Gone_;
    bool Placed_ = false;
    const QPaintEvent* PendingPaint_ = nullptr;
    int WheelRest_ = 0;
    std::string Search_;
    QElapsedTimer SearchClock_;
    std::unique_ptr<LabelEdit> Edit_;
    std::vector<std::unique_ptr<LabelEdit>> Retired_;
    int Editing_ = -1;
    std::shared_ptr<bool> Alive_ = std::make_shared<bool>(true);
};

// Rows and columns for Qt's views, no data; the header's texts.
class TListWidget::Impl::Model final : public QAbstractTableModel {
public:
    Model(Impl* impl, bool columns) : QAbstractTableModel(impl), Owner(impl), Columns(columns) {}
    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() || Columns ? 0 : Owner->ModelCount();
    }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0
               : Columns        ? std::max<int>(1, static_cast<int>(Owner->Columns_.size()))
                                : 1;
    }
    QVariant data(const QModelIndex&, int) const override { return {}; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 ||
            section >= static_cast<int>(Owner->Columns_.size()))
            return {};
        const Column& column = Owner->Columns_[static_cast<std::size_t>(section)];
        if (role == Qt::DisplayRole)
            return Wide(column.Text);
        if (role == Qt::TextAlignmentRole) {
            const int justify = column.HeaderFmt & HDF_JUSTIFYMASK;
            return QVariant::fromValue(
                Qt::Alignment(Qt::AlignVCenter | (justify == HDF_RIGHT    ? Qt::AlignRight
                                                  : justify == HDF_CENTER ? Qt::AlignHCenter
                                                                          : Qt::AlignLeft)));
        }
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }
    void BeginInsert(int row, int last = -1) { beginInsertRows({}, row, std::max(row, last)); }
    void EndInsert() { endInsertRows(); }
    void BeginRemove(int row, int last = -1) { beginRemoveRows({}, row, std::max(row, last)); }
    void EndRemove() { endRemoveRows(); }
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void BeginColumns(int at, bool insert)
    {
        if (insert)
            beginInsertColumns({}, at, at);
        else
            beginRemoveColumns({}, at, at);
    }
    void EndColumns(bool insert)
    {
        if (insert)
            endInsertColumns();
        else
            endRemoveColumns();
    }
    void HeaderChanged(int section) { emit headerDataChanged(Qt::Horizontal, section, section); }
    Impl* Owner;
    bool Columns;
};

// Cells of the window's size; the painting is the window's own.
class TListWidget::Impl::Delegate final : public QStyledItemDelegate {
public:
    explicit Delegate(Impl* impl) : QStyledItemDelegate(impl), Owner(impl) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return Owner->CellSize();
    }
    void paint(QPainter*, const QStyleOptionViewItem&, const QModelIndex&) const override {}
    Impl* Owner;
};

// The header window: the report view's QHeaderView as a child window of the
// list (id 0) with the header's messages. Its input comes in as its own
// mouse messages; it tells its parent, the list window, what happens.
class TListWidget::Impl::Header final : public QHeaderView,
                                        public win32::WindowProcedure,
                                        public win32::WindowPeer {
public:
    explicit Header(Impl* owner) : QHeaderView(Qt::Horizontal), Owner(owner)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setStretchLastSection(false);
        setSectionsClickable(false);
        setSectionsMovable(false);
        setHighlightSections(false);
        setFocusPolicy(Qt::NoFocus);
        setDefaultSectionSize(50);
        setMinimumSectionSize(0);
    }

    void Create(HWND parent)
    {
        win32::WindowCreation creation;
        creation.Parent = parent;
        creation.Style = WS_CHILD | WS_VISIBLE;
        creation.ExStyle = WS_EX_NOPARENTNOTIFY;
        creation.Id = 0;
        Window = win32::CreateWindowFor(this, creation, this);
    }

    bool Notify(UINT code, int index, HDITEMA* item, LRESULT* result = nullptr)
    {
        if (result)
            *result = 0;
        if (!IsWindow(Window))
            return false;
        auto alive = Owner->Alive_;
        const HWND window = Window;
        NMHEADERA record{};
        record.hdr = {window, 0, code};
        record.iItem = index;
        record.pitem = item;
        const LRESULT answer =
            SendMessageA(GetParent(window), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&record));
        if (result)
            *result = answer;
        return *alive && IsWindow(window);
    }

    int Count() const { return static_cast<int>(Owner->Columns_.size()); }

    UINT HitTest(POINT point, int& index) const
    {
        index = -1;
        if (point.y < 0)
            return HHT_ABOVE;
        if (point.y >= height())
            return HHT_BELOW;
        if (point.x < 0)
            return HHT_TOLEFT;
        for (int i = 0; i < Count(); ++i) {
            const int right = sectionViewportPosition(i) + sectionSize(i);
            if (std::abs(point.x - right) <= kDividerSlop) {
                index = i;
                return HHT_ONDIVIDER;
            }
        }
        index = logicalIndexAt(point.x);
        if (index >= 0)
            return HHT_ONHEADER;
        return point.x >= width() ? HHT_TORIGHT : HHT_NOWHERE;
    }

    void FillItem(HDITEMA& record, int index) const
    {
        const Column& column = Owner->Columns_[static_cast<std::size_t>(index)];
        if (record.mask & HDI_WIDTH)
            record.cxy = column.Width;
        if ((record.mask & HDI_TEXT) && record.pszText && record.cchTextMax > 0) {
            const auto n = std::min(column.Text.size(), static_cast<std::size_t>(record.cchTextMax - 1));
            std::memcpy(record.pszText, column.Text.data(), n);
            record.pszText[n] = '\0';
        }
        if (record.mask & HDI_FORMAT)
            record.fmt = column.HeaderFmt;
        if (record.mask & HDI_LPARAM)
            record.lParam = column.HeaderParam;
        if (record.mask & HDI_IMAGE)
            record.iImage = column.Image;
        if (record.mask & HDI_ORDER)
            record.iOrder = column.Order;
    }

    void ApplyItem(Column& column, const HDITEMA& record)
    {
        if ((record.mask & HDI_TEXT) && record.pszText)
            column.Text = record.pszText;
        if (record.mask & HDI_FORMAT)
            column.HeaderFmt = record.fmt;
        if (record.mask & HDI_LPARAM)
            column.HeaderParam = record.lParam;
        if (record.mask & HDI_IMAGE)
            column.Image = record.iImage;
        if (record.mask & HDI_ORDER)
            column.Order = record.iOrder;
        if (record.mask & HDI_WIDTH)
            column.Width = std::max(0, record.cxy);
    }

    // A width the user gave: the parent may refuse the change.
    void ChangeWidth(int index, int width)
    {
        HDITEMA item{};
        item.mask = HDI_WIDTH;
        item.cxy = width;
        LRESULT refused = 0;
        if (!Notify(HDN_ITEMCHANGINGA, index, &item, &refused) || refused || index >= Count())
            return;
        Owner->SetColumnWidth(index, width);
        Notify(HDN_ITEMCHANGEDA, index, &item);
    }

    LRESULT WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        const POINT point{SignedLow(lParam), SignedHigh(lParam)};
        switch (msg) {
        case HDM_GETITEMCOUNT:
            return Count();
        case HDM_INSERTITEMA: {
            const auto* record = reinterpret_cast<const HDITEMA*>(lParam);
            if (!record)
                return -1;
            LVCOLUMNA column{};
            column.mask = LVCF_WIDTH | ((record->mask & HDI_TEXT) ? LVCF_TEXT : 0);
            column.cx = (record->mask & HDI_WIDTH) ? record->cxy : 0;
            column.pszText = record->pszText;
            const int at = Owner->InsertColumn(static_cast<int>(wParam), column);
            if (at >= 0) {
                ApplyItem(Owner->Columns_[static_cast<std::size_t>(at)], *record);
                Owner->SyncColumns();
            }
            return at;
        }
        case HDM_DELETEITEM:
            return SendMessageA(Owner->Window_, LVM_DELETECOLUMN, wParam, 0);
        case HDM_GETITEMA: {
            auto* record = reinterpret_cast<HDITEMA*>(lParam);
            const auto index = static_cast<int>(wParam);
            if (!record || index < 0 || index >= Count())
                return FALSE;
            FillItem(*record, index);
            return TRUE;
        }
        case HDM_SETITEMA: {
            const auto* record = reinterpret_cast<const HDITEMA*>(lParam);
            const auto index = static_cast<int>(wParam);
            if (!record || index < 0 || index >= Count())
                return FALSE;
            ApplyItem(Owner->Columns_[static_cast<std::size_t>(index)], *record);
            Owner->SyncColumns();
            return TRUE;
        }
        case HDM_GETITEMRECT: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            const auto index = static_cast<int>(wParam);
            if (!rect || index < 0 || index >= Count())
                return FALSE;
            const int left = sectionViewportPosition(index);
            *rect = {left, 0, left + sectionSize(index), height()};
            return TRUE;
        }
        case HDM_HITTEST: {
            auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
            if (!info)
                return -1;
            info->flags = HitTest(info->pt, info->iItem);
            return info->iItem;
        }
        case HDM_LAYOUT: {
            auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
            if (!layout || !layout->prc)
                return FALSE;
            const int h = (Owner->Style() & LVS_NOCOLUMNHEADER) ? 0 : sizeHint().height();
            if (layout->pwpos) {
                *layout->pwpos = {};
                layout->pwpos->hwnd = window;
                layout->pwpos->x = layout->prc->left;
                layout->pwpos->y = layout->prc->top;
                layout->pwpos->cx = layout->prc->right - layout->prc->left;
                layout->pwpos->cy = h;
            }
            layout->prc->top += h;
            return TRUE;
        }
        case WM_LBUTTONDOWN: {
            int index = -1;
            const UINT where = HitTest(point, index);
            Pressed_ = Tracking_ = -1;
            if (where == HHT_ONDIVIDER) {
                HDITEMA item{};
                item.mask = HDI_WIDTH;
                item.cxy = sectionSize(index);
                LRESULT refused = 0;
                if (!Notify(HDN_BEGINTRACKA, index, &item, &refused) || refused)
                    return 0;
                Tracking_ = index;
                TrackWidth_ = item.cxy;
            } else if (where == HHT_ONHEADER) {
                Pressed_ = index;
            }
            return 0;
        }
        case WM_MOUSEMOVE:
            if (Tracking_ >= 0 && Tracking_ < Count()) {
                HDITEMA item{};
                item.mask = HDI_WIDTH;
                item.cxy = std::max(0, point.x - sectionViewportPosition(Tracking_));
                LRESULT stop = 0;
                if (!Notify(HDN_TRACKA, Tracking_, &item, &stop))
                    return 0;
                if (stop) {
                    Tracking_ = -1;
                    return 0;
                }
                TrackWidth_ = item.cxy;
                // The divider follows the pointer; the width is the column's
                // when the track ends.
                resizeSection(Tracking_, TrackWidth_);
            }
            return 0;
        case WM_LBUTTONUP: {
            if (Tracking_ >= 0) {
                const int index = std::exchange(Tracking_, -1);
                if (index >= Count())
                    return 0;
                HDITEMA item{};
                item.mask = HDI_WIDTH;
                item.cxy = TrackWidth_;
                if (!Notify(HDN_ENDTRACKA, index, &item))
                    return 0;
                if (index < Count()) {
                    ChangeWidth(index, item.cxy);
                    if (index < Count())
                        resizeSection(index, Owner->Columns_[static_cast<std::size_t>(index)].Width);
                }
                return 0;
            }
            const int pressed = std::exchange(Pressed_, -1);
            int index = -1;
            if (pressed >= 0 && HitTest(point, index) == HHT_ONHEADER && index == pressed)
                Notify(HDN_ITEMCLICKA, index, nullptr);
            return 0;
        }
        case WM_LBUTTONDBLCLK: {
            int index = -1;
            const UINT where = HitTest(point, index);
            if (where == HHT_ONDIVIDER)
                Notify(HDN_DIVIDERDBLCLICKA, index, nullptr);
            else if (where == HHT_ONHEADER)
                Notify(HDN_ITEMDBLCLICKA, index, nullptr);
            return 0;
        }
        default:
            return DefWindowProcA(window, msg, wParam, lParam);
        }
    }

    // The toolkit paints every section under the bounding box of what was
    // invalidated; the window paints those the invalid region reaches.
    void paintEvent(QPaintEvent* event) override
    {
        Region_ = event->region();
        QHeaderView::paintEvent(event);
        Region_ = QRegion();
    }

    // Owner-drawn items are the list's parent's to draw.
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        if (!Region_.isEmpty() && !Region_.intersects(rect))
            return;
        if (logicalIndex < 0 || logicalIndex >= Count() ||
            !(Owner->Columns_[static_cast<std::size_t>(logicalIndex)].HeaderFmt & HDF_OWNERDRAW) ||
            !IsWindow(Window)) {
            QHeaderView::paintSection(painter, rect, logicalIndex);
            return;
        }
        painter->save();
        HDC dc = win32::CreatePainterDC(*painter, Window);
        DRAWITEMSTRUCT record{};
        record.CtlType = ODT_HEADER;
        record.CtlID = 0;
        record.itemID = static_cast<UINT>(logicalIndex);
        record.itemAction = ODA_DRAWENTIRE;
        record.hwndItem = Window;
        record.hDC = dc;
        record.rcItem = RectOf(rect);
        record.itemData =
            static_cast<ULONG_PTR>(Owner->Columns_[static_cast<std::size_t>(logicalIndex)].HeaderParam);
        SendMessageA(GetParent(Window), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&record));
        DeleteDC(dc);
        win32::DetachPainterDCs(*painter);
        painter->restore();
    }

    RECT PeerClientRect() const override { return {0, 0, width(), height()}; }
    RECT PeerWindowRect() const override
    {
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        return {origin.x(), origin.y(), origin.x() + width(), origin.y() + height()};
    }
    POINT PeerClientOrigin() const override
    {
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        return {origin.x(), origin.y()};
    }
    // Only what was asked for is painted again: a new sort column repaints
    // its two items, not the header.
    void PeerInvalidate(const RECT* rect, bool) override
    {
        if (!rect)
            viewport()->update();
        else
            viewport()->update(
                QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top));
    }
    void PeerUpdate() override { viewport()->repaint(); }
    bool PeerVisible() const override { return isVisible(); }
    bool PeerEnabled() const override { return isEnabled(); }
    void PeerTakeFocus() override {}
    void PeerSetCursor(HCURSOR) override {}

    Impl* Owner;
    HWND Window = nullptr;
    QRegion Region_;
    int Pressed_ = -1;
    int Tracking_ = -1;
    int TrackWidth_ = 0;
};

// ---- the window ----

TListWidget::TListWidget(QWidget* parent, DWORD style) : QFrame(parent), Impl_(new Impl(this, style)) {}

TListWidget::~TListWidget()
{
    delete Impl_;
}

bool TListWidget::Handle(HWND window, TMessage& message)
{
    return Impl_->Handle(window, message);
}

TListWidget::Impl::Impl(TListWidget* list, DWORD style) : List(list), InitialStyle_(style)
{
    Model_ = new Model(this, false);
    ColumnModel_ = new Model(this, true);
    Measure_ = CreateCompatibleDC(nullptr);
    list->setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(list);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* delegate = new Delegate(this);

    Report_ = new ReportView(list);
    Report_->OnGeometry = [this] { SyncRows(); };
    Header_ = new Header(this);
    Report_->setHeader(Header_);
    Report_->setRootIsDecorated(false);
    Report_->setItemsExpandable(false);
    Report_->setIndentation(0);
    Report_->setUniformRowHeights(true);
    Report_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    Report_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    Report_->setExpandsOnDoubleClick(false);
    Report_->setAllColumnsShowFocus(false);
    Icons_ = new IconView(list);
    Icons_->setUniformItemSizes(true);
    Icons_->setViewMode(QListView::ListMode);
    Icons_->setMovement(QListView::Static);
    Icons_->setResizeMode(QListView::Adjust);
    Icons_->setWrapping(true);
    Icons_->setSpacing(0);
    Icons_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    Icons_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(Report_), static_cast<QAbstractItemView*>(Icons_)}) {
        view->setItemDelegate(delegate);
        view->setFrameShape(QFrame::NoFrame);
        view->setFocusPolicy(Qt::NoFocus);
        view->setSelectionMode(QAbstractItemView::NoSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setDragEnabled(false);
        view->setAutoScroll(false);
        view->setContextMenuPolicy(Qt::NoContextMenu);
        view->viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
        view->viewport()->setMouseTracking(true);
        view->viewport()->setContextMenuPolicy(Qt::NoContextMenu);
        view->viewport()->installEventFilter(this);
        view->verticalScrollBar()->installEventFilter(this);
        view->horizontalScrollBar()->installEventFilter(this);
        view->hide();
        layout->addWidget(view);
    }
    Header_->viewport()->installEventFilter(this);
    Header_->viewport()->setMouseTracking(true);
    SyncStyle();
}

TListWidget::Impl::~Impl()
{
    *Alive_ = false;
    Report_->OnGeometry = nullptr;
    Edit_.reset();
    Retired_.clear();
    if (IsWindow(HeaderWindow_))
        DestroyWindow(HeaderWindow_);
    Report_->setModel(nullptr);
    Icons_->setModel(nullptr);
    Report_->setItemDelegate(nullptr);
    Icons_->setItemDelegate(nullptr);
    for (Item* item : Items_)
        delete item;
    DeleteDC(Measure_);
}

DWORD TListWidget::Impl::Style() const
{
    if (!Window_)
        return InitialStyle_;
    // Read on every message: one look-up, a window gone answering 0 with its
    // error set. The caller's last error stays as it was.
    const DWORD before = GetLastError();
    SetLastError(ERROR_SUCCESS);
    const LONG_PTR style = GetWindowLongPtrA(Window_, GWL_STYLE);
    const bool gone = style == 0 && GetLastError() != ERROR_SUCCESS;
    SetLastError(before);
    return gone ? InitialStyle_ : static_cast<DWORD>(style);
}

QAbstractItemView* TListWidget::Impl::Current() const
{
    return (Style() & LVS_TYPEMASK) == LVS_REPORT ? static_cast<QAbstractItemView*>(Report_) : Icons_;
}

// What Qt keeps of the styles follows the window's, read when they change.
// Only the view shown has the model, so that the other lays out nothing.
void TListWidget::Impl::SyncStyle()
{
    const DWORD style = Style();
    if (style == SyncedStyle_)
        return;
    const DWORD before = SyncedStyle_;
    SyncedStyle_ = style;
    CachedHeight_ = -1;
    const DWORD view = style & LVS_TYPEMASK;
    const bool report = view == LVS_REPORT;
    if (before == ~0u || ((before ^ style) & (LVS_TYPEMASK | LVS_ALIGNMASK))) {
        Icons_->setFlow(Flow() == LVS_LIST ? QListView::TopToBottom : QListView::LeftToRight);
        Icons_->setGridSize(report ? QSize() : CellSize());
        if (report) {
            Icons_->setModel(nullptr);
            Icons_->hide();
            Report_->setModel(ColumnModel_);
            SyncColumns();
            Report_->show();
        } else {
            Report_->setModel(nullptr);
            Report_->hide();
            Icons_->setModel(Model_);
            Icons_->show();
        }
    }
    const Qt::ScrollBarPolicy bars = (style & LVS_NOSCROLL) ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    Current()->setVerticalScrollBarPolicy(bars);
    Current()->setHorizontalScrollBarPolicy(bars);
    Report_->setHeaderHidden((style & LVS_NOCOLUMNHEADER) != 0);
    Viewport()->update();
}

// ---- items ----

// The report view's vertical bar: the top row, a page of the rows that fit.
void TListWidget::Impl::SyncRows()
{
    // Inside an update the bar follows once, when it ends.
    if (View() != LVS_REPORT || !Redraw_)
        return;
    QScrollBar* bar = Report_->verticalScrollBar();
    const int page = std::max(1, Report_->viewport()->height() / std::max(1, RowHeight()));
    bar->setRange(0, std::max(0, Count() - page));
    bar->setPageStep(page);
    bar->setSingleStep(1);
}

void TListWidget::Impl::AnnounceRows()
{
    if (Announced_ < 0)
        return;
    // From the last run to the first, so that the rows before a run keep
    // their numbers.
    const std::vector<std::pair<int, int>> runs(Gone_.All().rbegin(), Gone_.All().rend());
    Gone_.Clear();
    for (const auto& [from, to] : runs) {
        Model_->BeginRemove(from, to);
        Announced_ -= to - from + 1;
        Model_->EndRemove();
    }
    const int first = Announced_;
    if (first >= Count()) {
        Announced_ = -1;
        return;
    }
    Model_->BeginInsert(first, Count() - 1);
    Announced_ = -1;
    Model_->EndInsert();
}

void TListWidget::Impl::RowRemoved(int index)
{
    if (Redraw_) {
        AnnounceRows();
        Model_->BeginRemove(index);
        return;
    }
    if (Announced_ < 0)
        Announced_ = Count();
    // The row as Qt's views number it: past every waiting run before it.
    int row = index;
    for (const auto& [from, to] : Gone_.All()) {
        if (from > row)
            break;
        row += to - from + 1;
    }
    // A row appended since is not known to them: nothing to tell.
    if (row >= Announced_)
        return;
    Gone_.Set(row, row, true);
    // Scattered removals would make the numbering slow: told in bulk now.
    if (Gone_.All().size() > kWaitingRuns)
        AnnounceRows();
}

void TListWidget::Impl::Shift(int from, int by)
{
    const auto move = [from, by](int& index) {
        if (index >= from)
            index += by;
        else if (by < 0 && index >= from + by)
            index = -1;
    };
    move(Focus_);
    move(Mark_);
    move(Hot_);
    move(Editing_);
}

int TListWidget::Impl::InsertItem(const LVITEMA* record)
{
    if (!record || Owner() || record->iSubItem != 0)
        return -1;
    auto item = std::make_unique<Item>();
    if (record->mask & LVIF_TEXT) {
        if (record->pszText == LPSTR_TEXTCALLBACKA)
            item->TextCallback = true;
        else if (record->pszText)
            item->Text = record->pszText;
    }
    if (record->mask & LVIF_IMAGE)
        item->Image = record->iImage;
    if (record->mask & LVIF_PARAM)
        item->Param = record->lParam;
    if (record->mask & LVIF_INDENT)
        item->Indent = record->iIndent;
    if (record->mask & LVIF_STATE)
        item->State = record->state & record->stateMask & ~kKeptStates;
    if ((ExStyle_ & LVS_EX_CHECKBOXES) && !(item->State & LVIS_STATEIMAGEMASK))
        item->State |= INDEXTOSTATEIMAGEMASK(1);
    if (item->State & LVIS_DROPHILITED)
        ++DropHilited_;
    int at = std::clamp(record->iItem, 0, Count());
    const DWORD style = Style();
    if ((style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) && !item->TextCallback) {
        const bool down = (style & LVS_SORTDESCENDING) != 0;
        const QString text = Wide(item->Text);
        at = 0;
        while (at < Count()) {
            const Item* other = Items_[static_cast<std::size_t>(at)];
            const int order = other->TextCallback ? 0 : Wide(other->Text).compare(text, Qt::CaseInsensitive);
            if (down ? order < 0 : order > 0)
                break;
            ++at;
        }
    }
    if (!Redraw_ && at == Count()) {
        if (Announced_ < 0)
            Announced_ = Count();
        Items_.push_back(item.release());
    } else {
        AnnounceRows();
        Model_->BeginInsert(at);
        Items_.insert(Items_.begin() + at, item.release());
        Shift(at, 1);
        Model_->EndInsert();
    }
    SyncRows();
    NotifyList(LVN_INSERTITEM, at, 0, 0, 0, 0, {0, 0});
    if (Redraw_)
        Viewport()->update();
    return at;
}

bool TListWidget::Impl::DeleteItem(int index)
{
    auto alive = Alive_;
    if (!Valid(index))
        return false;
    if (Editing_ == index)
        EndEdit(true);
    if (!*alive || !Valid(index))
        return false;
    if (!NotifyList(LVN_DELETEITEM, index, 0, 0, 0, 0, {0, 0}) || !Valid(index))
        return false;
    const bool told = Redraw_;
    RowRemoved(index);
    if (Owner()) {
        Selection_.Set(index, index, false);
        // The ranges above close up.
        std::vector<std::pair<int, int>> above;
        for (const auto& [from, to] : Selection_.All())
            if (from > index)
                above.emplace_back(from, to);
        for (const auto& [from, to] : above)
            Selection_.Set(from, to, false);
        for (const auto& [from, to] : above)
            Selection_.Set(from - 1, to - 1, true);
        --OwnerCount_;
    } else {
        if (Items_[static_cast<std::size_t>(index)]->State & LVIS_DROPHILITED)
            --DropHilited_;
        delete Items_[static_cast<std::size_t>(index)];
        Items_.erase(Items_.begin() + index);
    }
    Shift(index + 1, -1);
    if (told)
        Model_->EndRemove();
    SyncRows();
    if (Redraw_)
        Viewport()->update();
    return true;
}

bool TListWidget::Impl::DeleteAll()
{
    auto alive = Alive_;
    EndEdit(true);
    if (!*alive)
        return false;
    if (Count() == 0)
        return true;
    LRESULT quiet = 0;
    if (!NotifyList(LVN_DELETEALLITEMS, -1, 0, 0, 0, 0, {0, 0}, &quiet))
        return false;
    if (!quiet && !Owner()) {
        for (int i = 0; i < Count(); ++i)
            if (!NotifyList(LVN_DELETEITEM, i, 0, 0, 0, 0, {0, 0}))
                return false;
    }
    AnnounceRows();
    Model_->BeginReset();
    for (Item* item : Items_)
        delete item;
    Items_.clear();
    DropHilited_ = 0;
    OwnerCount_ = 0;
    Selection_.Clear();
    Focus_ = Mark_ = Hot_ = -1;
    Model_->EndReset();
    SyncRows();
    Viewport()->update();
    return true;
}

void TListWidget::Impl::SetCount(int count)
{
    count = std::max(0, count);
    if (!Owner()) {
        Items_.reserve(static_cast<std::size_t>(count));
        return;
    }
    if (count == OwnerCount_)
        return;
    EndEdit(true);
    AnnounceRows();
    Model_->BeginReset();
    OwnerCount_ = count;
    Selection_.Clip(count);
    for (int* index : {&Focus_, &Mark_, &Hot_})
        if (*index >= count)
            *index = -1;
    Model_->EndReset();
    SyncRows();
    Viewport()->update();
}

bool TListWidget::Impl::SetItem(const LVITEMA& record)
{
    if (!Valid(record.iItem))
        return false;
    if (record.mask & LVIF_STATE)
        if (!SetState(record.iItem, record.state, record.stateMask))
            return false;
    if (Owner() || !Valid(record.iItem)) {
        RepaintItem(record.iItem);
        return Valid(record.iItem);
    }
    Item* item = Items_[static_cast<std::size_t>(record.iItem)];
    if (record.iSubItem > 0) {
        if (record.iSubItem > static_cast<int>(Columns_.size()) && record.iSubItem > 255)
            return false;
        if (record.mask & LVIF_TEXT) {
            Cell cell;
            cell.Callback = record.pszText == LPSTR_TEXTCALLBACKA;
            if (!cell.Callback && record.pszText)
                cell.Text = record.pszText;
            item->Subs.Set(static_cast<std::size_t>(record.iSubItem - 1), std::move(cell));
        }
    } else {
        if (record.mask & LVIF_TEXT) {
            item->TextCallback = record.pszText == LPSTR_TEXTCALLBACKA;
            item->Text = item->TextCallback || !record.pszText ? std::string() : std::string(record.pszText);
        }
        if (record.mask & LVIF_IMAGE)
            item->Image = record.iImage;
        if (record.mask & LVIF_PARAM)
            item->Param = record.lParam;
        if (record.mask & LVIF_INDENT)
            item->Indent = record.iIndent;
    }
    RepaintItem(record.iItem);
    return true;
}

// What the item shows: callback parts are asked for, as a paint would.
bool TListWidget::Impl::GetItem(LVITEMA& record)
{
    const int index = record.iItem;
    // The parameter alone asks no one: read for every item, as after a
    // sort, it copies no text.
    if (record.mask == LVIF_PARAM && !Owner()) {
        if (index < 0 || static_cast<std::size_t>(index) >= Items_.size())
            return false;
        record.lParam = Items_[static_cast<std::size_t>(index)]->Param;
        return true;
    }
    if (!Valid(index))
        return false;
    Display shown;
    const UINT asked = record.mask & (LVIF_TEXT | LVIF_IMAGE | LVIF_INDENT);
    if (!Resolve(index, std::max(0, record.iSubItem), asked, shown) || !Valid(index))
        return false;
    if ((record.mask & LVIF_TEXT) && record.pszText && record.pszText != LPSTR_TEXTCALLBACKA &&
        record.cchTextMax > 0) {
        const auto n = std::min(shown.Text.size(), static_cast<std::size_t>(record.cchTextMax - 1));
        std::memcpy(record.pszText, shown.Text.data(), n);
        record.pszText[n] = '\0';
    }
    if (record.mask & LVIF_IMAGE)
        record.iImage = shown.Image;
    if (record.mask & LVIF_PARAM)
        record.lParam = shown.Param;
    if (record.mask & LVIF_INDENT)
        record.iIndent = shown.Indent;
    if (record.mask & LVIF_STATE)
        record.state = StateOf(index, record.stateMask);
    return true;
}

// A stable sort: a merge of lists, so that a compare that is no consistent
// order gives some order but never loses an item. byIndex hands compare the
// items' indices before the sort rather than their parameters.
bool TListWidget::Impl::SortItems(PFNLVCOMPARE compare, LPARAM data, bool byIndex)
{
    if (Owner() || !compare)
        return false;
    auto alive = Alive_;
    EndEdit(true);
    // Sorted with their parameters beside them: the comparison never reaches
    // into the items, which lie far apart in memory.
    std::vector<std::pair<LPARAM, Item*>> order;
    order.reserve(Items_.size());
    for (Item* item : Items_)
        order.emplace_back(byIndex ? static_cast<LPARAM>(order.size()) : item->Param, item);
    Item* focus = Valid(Focus_) ? Items_[static_cast<std::size_t>(Focus_)] : nullptr;
    Item* mark = Valid(Mark_) ? Items_[static_cast<std::size_t>(Mark_)] : nullptr;
    vcl::SafeSort(order.data(), order.size(),
                  [&](const auto& a, const auto& b) { return compare(a.first, b.first, data); });
    if (!*alive || order.size() != Items_.size())
        return false;
    AnnounceRows();
    emit Model_->layoutAboutToBeChanged();
    std::transform(order.begin(), order.end(), Items_.begin(),
                   [](const auto& entry) { return entry.second; });
    for (int i = 0; i < Count(); ++i) {
        if (Items_[static_cast<std::size_t>(i)] == focus)
            Focus_ = i;
        if (Items_[static_cast<std::size_t>(i)] == mark)
            Mark_ = i;
    }
    emit Model_->layoutChanged();
    Viewport()->update();
    return true;
}

int TListWidget::Impl::FindItem(int start, const LVFINDINFOA& find)
{
    const int count = Count();
    if (count == 0)
        return -1;
    if (Owner()) {
        NMLVFINDITEMA record{};
        record.iStart = start + 1;
        record.lvfi = find;
        LRESULT found = -1;
        if (!Notify(record.hdr, LVN_ODFINDITEMA, &found))
            return -1;
        const int index = static_cast<int>(found);
        return Valid(index) ? index : -1;
    }
    const QString wanted =
        (find.flags & (LVFI_STRING | LVFI_PARTIAL)) && find.psz ? Wide(find.psz) : QString();
    int i = std::max(0, start + 1);
    for (int n = 0; n < count; ++n, ++i) {
        if (i >= count) {
            if (!(find.flags & LVFI_WRAP))
                return -1;
            i = 0;
        }
        Item* item = Items_[static_cast<std::size_t>(i)];
        if (find.flags & LVFI_PARAM) {
            if (item->Param == find.lParam)
                return i;
            continue;
        }
        if (find.flags & (LVFI_STRING | LVFI_PARTIAL)) {
            Display shown;
            if (!Resolve(i, 0, LVIF_TEXT, shown) || !Valid(i))
                return -1;
            const QString text = Wide(shown.Text);
            if ((find.flags & LVFI_PARTIAL) ? text.startsWith(wanted, Qt::CaseInsensitive)
                                            : text.compare(wanted, Qt::CaseInsensitive) == 0)
                return i;
        }
    }
    return -1;
}

// The item next to index in a direction, by where the items lie; -1 at the
// edge.
int TListWidget::Impl::Neighbour(int index, UINT direction) const
{
    auto* self = const_cast<Impl*>(this);
    const int count = Count();
    const DWORD view = View();
    const int line = self->PerLine();
    int step = 0;
    if (view == LVS_REPORT) {
        step = direction == LVNI_ABOVE ? -1 : direction == LVNI_BELOW ? 1 : 0;
    } else if (Flow() == LVS_LIST) {
        step = direction == LVNI_ABOVE    ? -1
               : direction == LVNI_BELOW  ? 1
               : direction == LVNI_TOLEFT ? -line
                                          : line;
        if ((direction == LVNI_ABOVE && index % line == 0) ||
            (direction == LVNI_BELOW && index % line == line - 1))
            return -1;
    } else {
        step = direction == LVNI_TOLEFT    ? -1
               : direction == LVNI_TORIGHT ? 1
               : direction == LVNI_ABOVE   ? -line
                                           : line;
        if ((direction == LVNI_TOLEFT && index % line == 0) ||
            (direction == LVNI_TORIGHT && index % line == line - 1))
            return -1;
    }
    const long long next = static_cast<long long>(index) + step;
    return step != 0 && next >= 0 && next < count ? static_cast<int>(next) : -1;
}

int TListWidget::Impl::NextItem(int start, UINT flags)
{
    const UINT wanted = flags & (LVNI_FOCUSED | LVNI_SELECTED | LVNI_CUT | LVNI_DROPHILITED);
    const UINT direction = flags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT);
    const auto matches = [&](int i) { return (StateOf(i, wanted) & wanted) == wanted; };
    if (direction) {
        if (!Valid(start))
            return -1;
        for (int i = Neighbour(start, direction); i >= 0; i = Neighbour(i, direction))
            if (matches(i))
                return i;
        return -1;
    }
    if (wanted == LVNI_FOCUSED)
        return Valid(Focus_) && Focus_ > start ? Focus_ : -1;
    if (wanted == LVNI_DROPHILITED && !(CallbackMask_ & LVIS_DROPHILITED)) {
        // Only the items' own states can hold it: none, or the one the hint
        // still finds highlighted, answers at once.
        if (Owner() || DropHilited_ == 0)
            return -1;
        if (DropHilited_ == 1 && Valid(DropHint_) &&
            (Items_[static_cast<std::size_t>(DropHint_)]->State & LVIS_DROPHILITED))
            return DropHint_ > start ? DropHint_ : -1;
    }
    if (Owner() && wanted == LVNI_SELECTED) {
        const int next = Selection_.After(std::max(-1, start));
        return Valid(next) ? next : -1;
    }
    for (int i = std::max(-1, start) + 1; i < Count(); ++i)
        if (matches(i))
            return i;
    return -1;
}

// ---- notifications ----

bool TListWidget::Impl::Notify(NMHDR& header, UINT code, LRESULT* result)
{
    return itemwindow::Notify(Window_, Alive_, header, code, result);
}

bool TListWidget::Impl::NotifyList(UINT code, int index, int sub, UINT newState, UINT oldState, UINT changed,
                                   POINT at, LRESULT* result)
{
    NMLISTVIEW record{};
    record.iItem = index;
    record.iSubItem = sub;
    record.uNewState = newState;
    record.uOldState = oldState;
    record.uChanged = changed;
    record.ptAction = at;
    if (!Owner() && Valid(index))
        record.lParam = Items_[static_cast<std::size_t>(index)]->Param;
    return Notify(record.hdr, code, result);
}

bool TListWidget::Impl::NotifyActivate(UINT code, int index, int sub, POINT at, LRESULT* result)
{
    NMITEMACTIVATE record{};
    record.iItem = index;
    record.iSubItem = sub;
    record.ptAction = at;
    if (!Owner() && Valid(index))
        record.lParam = Items_[static_cast<std::size_t>(index)]->Param;
    record.uKeyFlags = (GetKeyState(VK_CONTROL) < 0 ? LVKF_CONTROL : 0) |
                       (GetKeyState(VK_SHIFT) < 0 ? LVKF_SHIFT : 0) |
                       (GetKeyState(VK_MENU) < 0 ? LVKF_ALT : 0);
    return Notify(record.hdr, code, result);
}

// The callback parts of a cell, asked for now: the text in a buffer that
// grows while the answer fills it.
bool TListWidget::Impl::Resolve(int index, int sub, UINT mask, Display& shown)
{
    if (!Valid(index))
        return false;
    const bool owner = Owner();
    UINT ask = 0;
    Item* item = owner ? nullptr : Items_[static_cast<std::size_t>(index)];
    if (item) {
        shown.Image = item->Image;
        shown.Indent = item->Indent;
        shown.Param = item->Param;
        shown.State = item->State;
        if (sub == 0) {
            shown.Text = item->Text;
            if ((mask & LVIF_TEXT) && item->TextCallback)
                ask |= LVIF_TEXT;
        } else if (static_cast<std::size_t>(sub) <= item->Subs.size()) {
            Cell cell = item->Subs.At(static_cast<std::size_t>(sub - 1));
            shown.Text = std::move(cell.Text);
            if ((mask & LVIF_TEXT) && cell.Callback)
                ask |= LVIF_TEXT;
        }
        if ((mask & LVIF_IMAGE) && sub == 0 && item->Image == I_IMAGECALLBACK)
            ask |= LVIF_IMAGE;
    } else {
        ask = mask & (LVIF_TEXT | LVIF_IMAGE | LVIF_INDENT);
        if (sub > 0)
            ask &= ~(LVIF_IMAGE | LVIF_INDENT);
    }
    const UINT callbackStates = CallbackMask_ & ~kKeptStates;
    if ((mask & LVIF_STATE) && callbackStates && sub == 0)
        ask |= LVIF_STATE;
    if (!ask)
        return true;
    std::vector<char> buffer;
    for (std::size_t size = kFirstBuffer;; size *= 2) {
        NMLVDISPINFOA record{};
        record.item.mask = ask;
        record.item.iItem = index;
        record.item.iSubItem = sub;
        record.item.lParam = shown.Param;
        record.item.stateMask = callbackStates;
        record.item.iImage = shown.Image;
        if (ask & LVIF_TEXT) {
            buffer.assign(size, '\0');
            record.item.pszText = buffer.data();
            record.item.cchTextMax = static_cast<int>(size);
        }
        if (!Notify(record.hdr, LVN_GETDISPINFOA) || !Valid(index))
            return false;
        const LVITEMA& answer = record.item;
        if (ask & LVIF_TEXT) {
            if (answer.pszText == buffer.data()) {
                const auto length =
                    static_cast<std::size_t>(std::find(buffer.begin(), buffer.end(), '\0') - buffer.begin());
                // Filled to the brim: there may be more.
                if (length >= size - 1 && size < (std::size_t{1} << 24))
                    continue;
                shown.Text.assign(buffer.data(), length);
            } else if (answer.pszText && answer.pszText != LPSTR_TEXTCALLBACKA) {
                shown.Text = answer.pszText;
            } else {
                shown.Text.clear();
            }
        }
        if (ask & LVIF_IMAGE)
            shown.Image = answer.iImage;
        if (ask & LVIF_INDENT)
            shown.Indent = answer.iIndent;
        if (ask & LVIF_STATE)
            shown.State = (shown.State & ~callbackStates) | (answer.state & callbackStates);
        if (item && (answer.mask & LVIF_DI_SETITEM) && !owner) {
            item = Items_[static_cast<std::size_t>(index)];
            if (ask & LVIF_TEXT) {
                if (sub == 0) {
                    item->Text = shown.Text;
                    item->TextCallback = false;
                } else if (static_cast<std::size_t>(sub) <= item->Subs.size()) {
                    item->Subs.Set(static_cast<std::size_t>(sub - 1), {shown.Text, false});
                }
            }
            if (ask & LVIF_IMAGE)
                item->Image = shown.Image;
        }
        return true;
    }
}

void TListWidget::Impl::CacheHint(int from, int to)
{
    if (!Owner() || from > to)
        return;
    NMLVCACHEHINT record{};
    record.iFrom = from;
    record.iTo = to;
    Notify(record.hdr, LVN_ODCACHEHINT);
}

// ---- state ----

UINT TListWidget::Impl::StateOf(int index, UINT mask)
{
    if (!Valid(index))
        return 0;
    UINT state = 0;
    if (Owner()) {
        if (Selection_.Contains(index))
            state |= LVIS_SELECTED;
    } else {
        state = Items_[static_cast<std::size_t>(index)]->State & ~LVIS_FOCUSED;
    }
    if (index == Focus_)
        state |= LVIS_FOCUSED;
    if (mask & CallbackMask_ & ~kKeptStates) {
        Display shown;
        if (Resolve(index, 0, LVIF_STATE, shown))
            state = (state & ~CallbackMask_) | (shown.State & CallbackMask_ & ~kKeptStates);
    }
    return state & mask;
}

class TListWidget::Impl::Batch {
public:
    explicit Batch(Impl& list) : List_(list), Alive_(list.Alive_), Outer_(!std::exchange(list.Batched_, true))
    {
    }
    ~Batch()
    {
        // A handler may have destroyed the list meanwhile.
        if (!*Alive_ || !Outer_)
            return;
        List_.Batched_ = false;
        if (std::exchange(List_.BatchedRepaint_, false))
            List_.Viewport()->update();
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    Impl& List_;
    std::shared_ptr<bool> Alive_;
    bool Outer_;
};

bool TListWidget::Impl::SetState(int index, UINT state, UINT mask)
{
    if (!Valid(index))
        return false;
    if ((Style() & LVS_SINGLESEL) && (mask & LVIS_SELECTED) && (state & LVIS_SELECTED)) {
        // One selected item at most: the others go first.
        for (int other = NextItem(-1, LVNI_SELECTED); other >= 0; other = NextItem(other, LVNI_SELECTED))
            if (other != index && !SetState(other, 0, LVIS_SELECTED))
                return false;
        if (!Valid(index))
            return false;
    }
    if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED) && Focus_ != index && Valid(Focus_)) {
        // One item has the focus: the one before loses it first.
        if (!SetState(Focus_, 0, LVIS_FOCUSED) || !Valid(index))
            return false;
    }
    const UINT old = StateOf(index, ~0u);
    const UINT wanted = (old & ~mask) | (state & mask);
    if (wanted == old)
        return true;
    LRESULT refused = 0;
    if (!NotifyList(LVN_ITEMCHANGING, index, 0, wanted, old, LVIF_STATE, {0, 0}, &refused) || refused ||
        !Valid(index))
        return false;
    if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED)) {
        Focus_ = index;
    } else if ((mask & LVIS_FOCUSED) && !(state & LVIS_FOCUSED) && Focus_ == index) {
        Focus_ = -1;
    }
    if (Owner()) {
        if (mask & LVIS_SELECTED)
            Selection_.Set(index, index, (state & LVIS_SELECTED) != 0);
    } else {
        Item* item = Items_[static_cast<std::size_t>(index)];
        const bool wasDrop = (item->State & LVIS_DROPHILITED) != 0;
        item->State = (item->State & ~(mask & ~LVIS_FOCUSED)) | (state & mask & ~LVIS_FOCUSED);
        if (const bool isDrop = (item->State & LVIS_DROPHILITED) != 0; isDrop != wasDrop) {
            DropHilited_ += isDrop ? 1 : -1;
            if (isDrop)
                DropHint_ = index;
        }
    }
    RepaintItem(index);
    return NotifyList(LVN_ITEMCHANGED, index, 0, wanted, old, LVIF_STATE, {0, 0});
}

// Every item at once (LVM_SETITEMSTATE with -1).
bool TListWidget::Impl::SetAllStates(UINT state, UINT mask)
{
    if (!Owner()) {
        const Batch batch(*this);
        // Clearing a state (a selection, say) leaves most items as they are:
        // those are passed over without a look at the window, unless the
        // owner supplies states whose current value only it knows.
        const bool quick = !(mask & state & kKeptStates) && !(CallbackMask_ & ~kKeptStates);
        for (int i = 0, count = Count(); i < count; ++i) {
            if (quick) {
                const UINT old = (Items_[static_cast<std::size_t>(i)]->State & ~LVIS_FOCUSED) |
                                 (i == Focus_ ? LVIS_FOCUSED : 0);
                if (((old & ~mask) | (state & mask)) == old)
                    continue;
            }
            if (!SetState(i, state, mask) && !IsWindow(Window_))
                return false;
            // The notifications may have changed the items.
            count = Owner() ? 0 : Count();
        }
        return true;
    }
    const UINT old = (Selection_.Count() == Count() && Count() > 0) ? LVIS_SELECTED : 0;
    if (mask & LVIS_SELECTED) {
        if ((state & LVIS_SELECTED) && (Style() & LVS_SINGLESEL))
            return false;
        Selection_.Clear();
        if (state & LVIS_SELECTED)
            Selection_.Set(0, Count() - 1, true);
    }
    if ((mask & LVIS_FOCUSED) && !(state & LVIS_FOCUSED))
        Focus_ = -1;
    Viewport()->update();
    return NotifyList(LVN_ITEMCHANGED, -1, 0, state & mask, old, LVIF_STATE, {0, 0});
}

// Every item outside keepFrom to keepTo loses its selection: a range of an
// owner-data list at once, a lone item as an item.
bool TListWidget::Impl::Deselect(int keepFrom, int keepTo)
{
    auto alive = Alive_;
    if (Owner()) {
        std::vector<std::pair<int, int>> parts;
        for (const auto& [from, to] : Selection_.All()) {
            if (from < keepFrom)
                parts.emplace_back(from, std::min(to, keepFrom - 1));
            if (to > keepTo)
                parts.emplace_back(std::max(from, keepTo + 1), to);
        }
        for (const auto& [from, to] : parts) {
            if (from == to) {
                if (!SetState(from, 0, LVIS_SELECTED) && !*alive)
                    return false;
                continue;
            }
            Selection_.Set(from, to, false);
            Viewport()->update();
            NMLVODSTATECHANGE record{};
            record.iFrom = from;
            record.iTo = to;
            record.uNewState = 0;
            record.uOldState = LVIS_SELECTED;
            if (!Notify(record.hdr, LVN_ODSTATECHANGED))
                return false;
        }
        return true;
    }
    const Batch batch(*this);
    for (int i = 0; i < Count(); ++i)
        if ((i < keepFrom || i > keepTo) && (Items_[static_cast<std::size_t>(i)]->State & LVIS_SELECTED))
            if (!SetState(i, 0, LVIS_SELECTED) && !*alive)
                return false;
    return true;
}

bool TListWidget::Impl::SelectOnly(int index)
{
    if (!Deselect(index, index))
        return false;
    return !Valid(index) || SetState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

bool TListWidget::Impl::SelectRange(int from, int to, bool add)
{
    if (from > to)
        std::swap(from, to);
    from = std::max(0, from);
    to = std::min(Count() - 1, to);
    if (!add && !Deselect(from, to))
        return false;
    if (Owner() && to > from) {
        Selection_.Set(from, to, true);
        Viewport()->update();
        NMLVODSTATECHANGE record{};
        record.iFrom = from;
        record.iTo = to;
        record.uNewState = LVIS_SELECTED;
        record.uOldState = 0;
        return Notify(record.hdr, LVN_ODSTATECHANGED);
    }
    const Batch batch(*this);
    for (int i = from; i <= to && Valid(i); ++i)
        if (!SetState(i, LVIS_SELECTED, LVIS_SELECTED) && !IsWindow(Window_))
            return false;
    return true;
}

bool TListWidget::Impl::FocusItem(int index)
{
    return Valid(index) && SetState(index, LVIS_FOCUSED, LVIS_FOCUSED);
}

int TListWidget::Impl::SelectedCount() const
{
    if (Owner())
        return static_cast<int>(Selection_.Count());
    return static_cast<int>(std::count_if(
        Items_.begin(), Items_.end(), [](const Item* item) { return (item->State & LVIS_SELECTED) != 0; }));
}

bool TListWidget::Impl::EnsureVisible(int index, bool partial)
{
    if (!Valid(index))
        return false;
    Settle();
    QAbstractItemView* view = Current();
    const QRect box = ItemBox(index).translated(-Origin());
    const QRect client = view->viewport()->rect();
    if (View() == LVS_REPORT) {
        QScrollBar* bar = Report_->verticalScrollBar();
        const int top = bar->value();
        const int page = std::max(1, client.height() / std::max(1, RowHeight()));
        if (index < top)
            bar->setValue(index);
        else if (index >= top + page && !(partial && box.top() < client.bottom()))
            bar->setValue(index - page + 1);
        return true;
    }
    if (partial && box.intersects(client))
        return true;
    QScrollBar* h = view->horizontalScrollBar();
    QScrollBar* v = view->verticalScrollBar();
    if (box.left() < 0)
        h->setValue(h->value() + box.left());
    else if (box.right() > client.right())
        h->setValue(h->value() + std::min(box.left(), box.right() - client.right()));
    if (box.top() < 0)
        v->setValue(v->value() + box.top());
    else if (box.bottom() > client.bottom())
        v->setValue(v->value() + std::min(box.top(), box.bottom() - client.bottom()));
    return true;
}

void TListWidget::Impl::RepaintItem(int index)
{
    if (!Redraw_ || !Valid(index))
        return;
    if (Batched_) {
        BatchedRepaint_ = true;
        return;
    }
    QRect box = ItemBox(index).translated(-Origin());
    if (View() == LVS_REPORT)
        box.setRight(std::max(box.right(), Viewport()->width()));
    if (box.intersects(Viewport()->rect()))
        Viewport()->update(box);
}

void TListWidget::Impl::Relayout()
{
    CachedHeight_ = -1;
    CachedTextHeight_ = -1;
    if (View() != LVS_REPORT)
        Icons_->setGridSize(CellSize());
    Current()->doItemsLayout();
    Viewport()->update();
}

// ---- geometry ----

// Where the shown view's viewport lies in the client area.
QPoint TListWidget::Impl::Origin() const
{
    return Viewport()->mapTo(List, QPoint(0, 0)) - List->contentsRect().topLeft();
}

int TListWidget::Impl::TextHeight()
{
    if (CachedTextHeight_ < 0)
        CachedTextHeight_ = itemwindow::TextHeight(Measure_, ControlFont());
    return CachedTextHeight_;
}

int TListWidget::Impl::RowHeight()
{
    if (CachedHeight_ < 0) {
        int height = TextHeight() + 3;
        int cx = 0, cy = 0;
        if (Small_ && ImageList_GetIconSize(Small_, &cx, &cy))
            height = std::max(height, cy + 1);
        if (StateImageSize(cx, cy))
            height = std::max(height, cy + 1);
        CachedHeight_ = height;
    }
    return CachedHeight_;
}

QSize TListWidget::Impl::CellSize()
{
    switch (View()) {
    case LVS_REPORT:
        return {std::max(1, TotalWidth()), RowHeight()};
    case LVS_LIST:
        return {std::max(1, ListWidth_), RowHeight()};
    case LVS_SMALLICON: {
        int cx = 0, cy = 0;
        if (Small_)
            ImageList_GetIconSize(Small_, &cx, &cy);
        return {std::max(1, ListWidth_ + cx), RowHeight()};
    }
    default: {
        if (Spacing_.isValid() && !Spacing_.isEmpty())
            return Spacing_;
        int cx = 32, cy = 32;
        if (Normal_)
            ImageList_GetIconSize(Normal_, &cx, &cy);
        return {std::max(cx + 43, 75), cy + 2 * TextHeight() + 14};
    }
    }
}

// Items a line holds: a column's in the list view, a row's in the icon views.
int TListWidget::Impl::PerLine()
{
    const QSize cell = CellSize();
    const QRect client = Viewport()->rect();
    switch (Flow()) {
    case LVS_REPORT:
        return 1;
    case LVS_LIST:
        return std::max(1, client.height() / std::max(1, cell.height()));
    default:
        return std::max(1, client.width() / std::max(1, cell.width()));
    }
}

int TListWidget::Impl::ColumnLeft(int column) const
{
    int x = 0;
    for (int i = 0; i < column && i < static_cast<int>(Columns_.size()); ++i)
        x += Columns_[static_cast<std::size_t>(i)].Width;
    return x;
}

int TListWidget::Impl::TotalWidth() const
{
    return ColumnLeft(static_cast<int>(Columns_.size()));
}

QRect TListWidget::Impl::ItemBox(int index)
{
    const QSize cell = CellSize();
    QAbstractItemView* view = Current();
    const int h = view->horizontalScrollBar()->value();
    const int v = view->verticalScrollBar()->value();
    QPoint at;
    if ((View() == LVS_ICON || View() == LVS_SMALLICON) && !Owner() && Valid(index) &&
        Items_[static_cast<std::size_t>(index)]->Placed)
        return QRect(Items_[static_cast<std::size_t>(index)]->Position - QPoint(h, v) + Origin(), cell);
    switch (Flow()) {
    case LVS_REPORT:
        at = {-h, (index - v) * cell.height()};
        break;
    case LVS_LIST: {
        const int line = PerLine();
        at = {(index / line) * cell.width() - h, (index % line) * cell.height() - v};
        break;
    }
    default: {
        const int line = PerLine();
        at = {(index % line) * cell.width() - h, (index / line) * cell.height() - v};
        break;
    }
    }
    return QRect(at + Origin(), cell);
}

TListWidget::Impl::Parts TListWidget::Impl::PartsOf(int index)
{
    Parts parts;
    parts.Bounds = ItemBox(index);
    const QRect box = parts.Bounds;
    int sx = 0, sy = 0;
    const bool state = StateImageSize(sx, sy);
    if (View() == LVS_ICON) {
        int cx = 32, cy = 32;
        if (Normal_)
            ImageList_GetIconSize(Normal_, &cx, &cy);
        parts.Icon = QRect(box.left() + (box.width() - cx) / 2, box.top() + 2, cx, cy);
        if (state)
            parts.State = QRect(parts.Icon.left() - sx, parts.Icon.bottom() + 1 - sy, sx, sy);
        parts.Label =
            QRect(box.left(), parts.Icon.bottom() + 3, box.width(), box.bottom() - parts.Icon.bottom() - 2);
        return parts;
    }
    int x = box.left();
    if (View() == LVS_REPORT && Valid(index) && !Owner())
        x += Items_[static_cast<std::size_t>(index)]->Indent * std::max(1, [&] {
                 int cx = 0, cy = 0;
                 return Small_ && ImageList_GetIconSize(Small_, &cx, &cy) ? cx : 16;
             }());
    if (state) {
        parts.State = QRect(x, box.top(), sx, box.height());
        x += sx;
    }
    int cx = 0, cy = 0;
    if (Small_ && ImageList_GetIconSize(Small_, &cx, &cy)) {
        parts.Icon = QRect(x, box.top(), cx, box.height());
        x += cx + kImageGap;
    } else {
        parts.Icon = QRect(x, box.top(), 0, box.height());
    }
    const int right = View() == LVS_REPORT ? box.left() + (Columns_.empty() ? box.width() : Columns_[0].Width)
                                           : box.left() + box.width();
    parts.Label = QRect(x, box.top(), std::max(0, right - x), box.height());
    return parts;
}

QRect TListWidget::Impl::SubItemRect(int index, int sub)
{
    const QRect box = ItemBox(index);
    if (sub <= 0 || sub >= static_cast<int>(Columns_.size()))
        return box;
    return QRect(box.left() + ColumnLeft(sub), box.top(), Columns_[static_cast<std::size_t>(sub)].Width,
                 box.height());
}

int TListWidget::Impl::HitTest(POINT point, UINT& flags, int* sub)
{
    flags = 0;
    if (sub)
        *sub = 0;
    const QPoint origin = Origin();
    const QRect client = Viewport()->rect().translated(origin);
    if (point.x < client.left())
        flags |= LVHT_TOLEFT;
    else if (point.x > client.right())
        flags |= LVHT_TORIGHT;
    if (point.y < client.top())
        flags |= LVHT_ABOVE;
    else if (point.y > client.bottom())
        flags |= LVHT_BELOW;
    if (flags)
        return -1;
    const QPoint p(point.x, point.y);
    const auto test = [&](int i) -> int {
        const Parts parts = PartsOf(i);
        if (!parts.Bounds.contains(p))
            return -1;
        if (parts.State.contains(p))
            flags = LVHT_ONITEMSTATEICON;
        else if (parts.Icon.contains(p))
            flags = LVHT_ONITEMICON;
        else if (parts.Label.contains(p))
            flags = LVHT_ONITEMLABEL;
        else if (View() == LVS_REPORT)
            // The other cells of a row count as its label.
            flags = LVHT_ONITEMLABEL;
        else
            return -1;
        if (sub && View() == LVS_REPORT)
            for (int c = 0; c < static_cast<int>(Columns_.size()); ++c)
                if (p.x() >= parts.Bounds.left() + ColumnLeft(c) &&
                    p.x() < parts.Bounds.left() + ColumnLeft(c + 1))
                    *sub = c;
        return i;
    };
    if (Placed_ && View() != LVS_REPORT && View() != LVS_LIST) {
        for (int i = Count() - 1; i >= 0; --i)
            if (test(i) >= 0)
                return i;
    } else {
        const auto [first, last] = VisibleRange(QRect(p - origin, QSize(1, 1)));
        for (int i = first; i <= last; ++i)
            if (test(i) >= 0)
                return i;
    }
    flags = LVHT_NOWHERE;
    return -1;
}

// The items whose cells meet clip (viewport coordinates), a range of indexes.
std::pair<int, int> TListWidget::Impl::VisibleRange(const QRect& clip)
{
    const int count = Count();
    if (count == 0 || clip.isEmpty())
        return {0, -1};
    if (Placed_ && View() != LVS_REPORT && View() != LVS_LIST)
        return {0, count - 1};
    const QSize cell = CellSize();
    QAbstractItemView* view = Current();
    const int h = view->horizontalScrollBar()->value();
    const int v = view->verticalScrollBar()->value();
    long long first = 0, last = 0;
    switch (Flow()) {
    case LVS_REPORT:
        first = v + std::max(0, clip.top()) / cell.height();
        last = v + clip.bottom() / cell.height();
        break;
    case LVS_LIST: {
        const int line = PerLine();
        first = static_cast<long long>(std::max(0, clip.left() + h) / cell.width()) * line;
        last = static_cast<long long>((clip.right() + h) / cell.width() + 1) * line - 1;
        break;
    }
    default: {
        const int line = PerLine();
        first = static_cast<long long>(std::max(0, clip.top() + v) / cell.height()) * line;
        last = static_cast<long long>((clip.bottom() + v) / cell.height() + 1) * line - 1;
        break;
    }
    }
    return {static_cast<int>(std::clamp<long long>(first, 0, count)),
            static_cast<int>(std::clamp<long long>(last, -1, count - 1))};
}

int TListWidget::Impl::TopIndex()
{
    if (Count() == 0)
        return 0;
    switch (View()) {
    case LVS_REPORT:
        return Report_->verticalScrollBar()->value();
    case LVS_LIST:
        return VisibleRange(Viewport()->rect()).first;
    default:
        return 0;
    }
}

int TListWidget::Impl::CountPerPage()
{
    const QSize cell = CellSize();
    const QRect client = Viewport()->rect();
    switch (View()) {
    case LVS_REPORT:
        return client.height() / std::max(1, cell.height());
    case LVS_LIST:
        return PerLine() * std::max(1, client.width() / std::max(1, cell.width()));
    default:
        return Count();
    }
}

int TListWidget::Impl::StringWidth(const std::string& text)
{
    const HGDIOBJ before = SelectObject(Measure_, ControlFont());
    const int width = TextWidth(Measure_, text);
    SelectObject(Measure_, before);
    return width;
}

int TListWidget::Impl::TextWidth(HDC dc, const std::string& text)
{
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// ---- columns ----

void TListWidget::Impl::ApplyColumn(Column& column, const LVCOLUMNA& record)
{
    if ((record.mask & LVCF_TEXT) && record.pszText)
        column.Text = record.pszText;
    if (record.mask & LVCF_FMT) {
        column.Fmt = record.fmt;
        // The header item's format follows the column's.
        column.HeaderFmt = HDF_STRING | (record.fmt & LVCFMT_JUSTIFYMASK) |
                           ((record.fmt & LVCFMT_IMAGE) ? HDF_IMAGE : 0) |
                           ((record.fmt & LVCFMT_BITMAP_ON_RIGHT) ? HDF_BITMAP_ON_RIGHT : 0);
    }
    if (record.mask & LVCF_WIDTH)
        column.Width = std::max(0, record.cx);
    if (record.mask & LVCF_SUBITEM)
        column.SubItem = record.iSubItem;
    if (record.mask & LVCF_IMAGE)
        column.Image = record.iImage;
    if (record.mask & LVCF_ORDER)
        column.Order = record.iOrder;
}

int TListWidget::Impl::InsertColumn(int at, const LVCOLUMNA& record)
{
    if (at < 0)
        return -1;
    at = std::min(at, static_cast<int>(Columns_.size()));
    Column column;
    column.SubItem = at;
    column.Order = at;
    ApplyColumn(column, record);
    // The first column is always left-aligned.
    if (at == 0)
        column.Fmt &= ~LVCFMT_JUSTIFYMASK;
    const bool first = Columns_.empty();
    if (!first)
        ColumnModel_->BeginColumns(at, true);
    Columns_.insert(Columns_.begin() + at, column);
    if (!first)
        ColumnModel_->EndColumns(true);
    else
        ColumnModel_->HeaderChanged(0);
    // The sub-items move with the columns.
    if (at > 0 && at < static_cast<int>(Columns_.size()) - 1)
        for (Item* item : Items_)
            if (item->Subs.size() >= static_cast<std::size_t>(at))
                item->Subs.Insert(static_cast<std::size_t>(at - 1));
    SyncColumns();
    return at;
}

void TListWidget::Impl::SetColumnWidth(int column, int width)
{
    if (column < 0 || column >= static_cast<int>(Columns_.size()))
        return;
    Columns_[static_cast<std::size_t>(column)].Width = std::max(0, width);
    SyncColumns();
}

// The width that shows every text of a column (and its header's with header).
int TListWidget::Impl::AutoWidth(int column, bool header)
{
    int widest = 0;
    for (int i = 0; i < Count(); ++i) {
        Display shown;
        if (!Resolve(i, column, LVIF_TEXT, shown))
            break;
        widest = std::max(widest, StringWidth(shown.Text));
    }
    widest += 4 * kLabelPadding;
    if (column == 0) {
        int cx = 0, cy = 0;
        if (Small_ && ImageList_GetIconSize(Small_, &cx, &cy))
            widest += cx + kImageGap;
        if (State_ && ImageList_GetIconSize(State_, &cx, &cy))
            widest += cx;
    }
    if (header && column < static_cast<int>(Columns_.size()))
        widest = std::max(widest, StringWidth(Columns_[static_cast<std::size_t>(column)].Text) + 12);
    return widest;
}

// The header's sections as wide as the columns.
void TListWidget::Impl::SyncColumns()
{
    if (!Report_->model())
        return;
    for (int i = 0; i < static_cast<int>(Columns_.size()); ++i) {
        if (Header_->sectionSize(i) != Columns_[static_cast<std::size_t>(i)].Width)
            Header_->resizeSection(i, Columns_[static_cast<std::size_t>(i)].Width);
        ColumnModel_->HeaderChanged(i);
    }
    Header_->viewport()->update();
    Viewport()->update();
}

void TListWidget::Impl::EnsureHeader()
{
    // A header gone has no parent.
    if (Window_ && GetParent(Header_->Window) == Window_)
        return;
    if (!IsWindow(Window_))
        return;
    if (IsWindow(Header_->Window))
        DestroyWindow(Header_->Window);
    Header_->Create(Window_);
    HeaderWindow_ = Header_->Window;
}

// ---- painting ----

HFONT TListWidget::Impl::ControlFont() const
{
    return Font_ ? Font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

COLORREF TListWidget::Impl::Background() const
{
    return Bk_ == CLR_NONE ? GetSysColor(COLOR_WINDOW) : Bk_;
}

COLORREF TListWidget::Impl::Foreground() const
{
    return Text_ == CLR_NONE ? GetSysColor(COLOR_WINDOWTEXT) : Text_;
}

void TListWidget::Impl::Paint(const QPaintEvent& event)
{
    auto alive = Alive_;
    Settle();
    QWidget* viewport = Viewport();
    QPainter painter(viewport);
    const QRect clip = event.rect();
    painter.fillRect(clip, QColorOf(Background()));
    if (!Redraw_ || !IsWindow(Window_))
        return;
    // The device context's origin is the client area's, where the items are
    // placed.
    const QPoint origin = Origin();
    painter.translate(-origin);
    const itemwindow::PainterDC context(painter, Window_);
    const HDC dc = context.Get();
    SelectObject(dc, ControlFont());
    NMLVCUSTOMDRAW control{};
    control.nmcd.dwDrawStage = CDDS_PREPAINT;
    control.nmcd.hdc = dc;
    control.nmcd.rc = RectOf(viewport->rect().translated(origin));
    LRESULT answer = 0;
    if (!Notify(control.nmcd.hdr, NM_CUSTOMDRAW, &answer))
        return;
    if (!(answer & CDRF_SKIPDEFAULT)) {
        const auto [first, last] = VisibleRange(clip);
        if (first <= last) {
            CacheHint(first, last);
            if (!*alive)
                return;
        }
        const QRect area = clip.translated(origin);
        for (int i = first; i <= last && *alive && IsWindow(Window_); ++i) {
            if (!Valid(i))
                break;
            if (Placed_ && !ItemBox(i).intersects(area))
                continue;
            SelectObject(dc, ControlFont());
            PaintItem(dc, i, (answer & CDRF_NOTIFYITEMDRAW) != 0, (answer & CDRF_NOTIFYPOSTPAINT) != 0);
        }
        if (!*alive)
            return;
        if (View() == LVS_REPORT && (ExStyle_ & LVS_EX_GRIDLINES)) {
            // Lines between the rows and the columns, over the whole client area.
            painter.save();
            painter.setPen(QColorOf(GetSysColor(COLOR_BTNFACE)));
            const int height = RowHeight();
            const QRect all = viewport->rect().translated(origin);
            for (int y = all.top() + height - 1; y <= all.bottom(); y += height)
                painter.drawLine(all.left(), y, all.right(), y);
            const int h = Report_->horizontalScrollBar()->value();
            for (int c = 1; c <= static_cast<int>(Columns_.size()); ++c) {
                const int x = all.left() + ColumnLeft(c) - h - 1;
                painter.drawLine(x, all.top(), x, all.bottom());
            }
            painter.restore();
        }
    }
    if (answer & CDRF_NOTIFYPOSTPAINT) {
        SelectObject(dc, ControlFont());
        control.nmcd.dwDrawStage = CDDS_POSTPAINT;
        Notify(control.nmcd.hdr, NM_CUSTOMDRAW);
    }
}

void TListWidget::Impl::PaintItem(HDC dc, int index, bool itemNotify, bool)
{
    auto alive = Alive_;
    const DWORD style = Style();
    const bool report = View() == LVS_REPORT;
    Display shown;
    const UINT asked = LVIF_TEXT | LVIF_STATE | ((Small_ || Normal_) ? LVIF_IMAGE : 0) | LVIF_INDENT;
    if (!Resolve(index, 0, asked, shown) || !Valid(index))
        return;
    const UINT state =
        StateOf(index, ~0u & ~(CallbackMask_ & ~kKeptStates)) | (shown.State & CallbackMask_ & ~kKeptStates);
    const bool focused = GetFocus() == Window_ || (Edit_ && GetFocus() == Edit_->Window);
    const bool drop = (state & LVIS_DROPHILITED) != 0;
    const bool selected = drop || ((state & LVIS_SELECTED) && (focused || (style & LVS_SHOWSELALWAYS)));
    COLORREF text = Foreground();
    COLORREF back = TextBk_ == CLR_NONE ? Background() : TextBk_;
    // An owner-drawn report view's rows are the parent's to draw, whole.
    if (report && (style & LVS_OWNERDRAWFIXED)) {
        DRAWITEMSTRUCT record{};
        record.CtlType = ODT_LISTVIEW;
        record.CtlID = static_cast<UINT>(GetDlgCtrlID(Window_));
        record.itemID = static_cast<UINT>(index);
        record.itemAction = ODA_DRAWENTIRE;
        record.itemState = (selected ? ODS_SELECTED : 0) | (index == Focus_ && focused ? ODS_FOCUS : 0);
        record.hwndItem = Window_;
        record.hDC = dc;
        record.rcItem = RectOf(PartsOf(index).Bounds);
        record.itemData = static_cast<ULONG_PTR>(shown.Param);
        if (const HWND parent = GetParent(Window_))
            SendMessageA(parent, WM_DRAWITEM, record.CtlID, reinterpret_cast<LPARAM>(&record));
        return;
    }
    if (drop || (selected && focused)) {
        text = GetSysColor(COLOR_HIGHLIGHTTEXT);
        back = GetSysColor(COLOR_HIGHLIGHT);
    } else if (selected) {
        text = GetSysColor(COLOR_BTNTEXT);
        back = GetSysColor(COLOR_BTNFACE);
    } else if (index == Hot_ && (ExStyle_ & LVS_EX_TRACKSELECT)) {
        text = GetSysColor(COLOR_HIGHLIGHT);
    }
    // The colours the row's state gave, to tell them from the handler's own.
    const COLORREF stateText = text;
    const COLORREF stateBack = back;
    const Parts parts = PartsOf(index);
    NMLVCUSTOMDRAW record{};
    LRESULT answer = 0;
    if (itemNotify) {
        record.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        record.nmcd.hdc = dc;
        record.nmcd.rc = RectOf(parts.Bounds);
        record.nmcd.dwItemSpec = static_cast<DWORD_PTR>(index);
        record.nmcd.uItemState = (selected ? CDIS_SELECTED : 0) |
                                 (index == Focus_ && focused ? CDIS_FOCUS : 0) |
                                 (index == Hot_ ? CDIS_HOT : 0);
        record.nmcd.lItemlParam = shown.Param;
        record.clrText = text;
        record.clrTextBk = back;
        if (!Notify(record.nmcd.hdr, NM_CUSTOMDRAW, &answer) || !Valid(index))
            return;
        if (answer & CDRF_SKIPDEFAULT)
            return;
        text = record.clrText;
        back = record.clrTextBk;
    }
    // A font the handler selected for the item (CDRF_NEWFONT) draws the whole
    // row. The row keeps a copy: the handler's own object may be freed at its
    // next notification while the row is still being drawn.
    struct RowFont {
        HFONT Copy = nullptr;
        ~RowFont()
        {
            if (Copy)
                DeleteObject(Copy); // deferred while a device context holds it
        }
    } rowFont;
    if (itemNotify && (answer & CDRF_NEWFONT)) {
        LOGFONTA chosen{};
        if (GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof(chosen), &chosen) == sizeof(chosen))
            rowFont.Copy = CreateFontIndirectA(&chosen);
    }
    const HFONT row = rowFont.Copy ? rowFont.Copy : ControlFont();
    const bool subNotify = itemNotify && report && (answer & CDRF_NOTIFYSUBITEMDRAW);
    const int columns = report ? std::max(1, static_cast<int>(Columns_.size())) : 1;
    if (report && selected && (ExStyle_ & LVS_EX_FULLROWSELECT)) {
        RECT row = RectOf(parts.Bounds);
        const HBRUSH brush = CreateSolidBrush(back);
        FillRect(dc, &row, brush);
        DeleteObject(brush);
    }
    for (int sub = 0; sub < columns && *alive; ++sub) {
        Display cell = shown;
        if (sub > 0 && (!Resolve(index, sub, LVIF_TEXT, cell) || !Valid(index)))
            return;
        COLORREF cellText = text;
        COLORREF cellBack = back;
        // Without full-row select the selection and hot tracking mark the
        // label only; colours the handler chose at the item stage draw the
        // whole row.
        if (sub > 0 && !(ExStyle_ & LVS_EX_FULLROWSELECT)) {
            if (cellText == stateText)
                cellText = Foreground();
            if (cellBack == stateBack)
                cellBack = TextBk_ == CLR_NONE ? Background() : TextBk_;
        }
        LRESULT subAnswer = 0;
        const QRect area = sub == 0 ? parts.Bounds : SubItemRect(index, sub);
        SelectObject(dc, row);
        if (subNotify) {
            NMLVCUSTOMDRAW item = record;
            item.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
            item.nmcd.rc = RectOf(area);
            item.iSubItem = sub;
            item.clrText = cellText;
            item.clrTextBk = cellBack;
            if (!Notify(item.nmcd.hdr, NM_CUSTOMDRAW, &subAnswer) || !Valid(index))
                return;
            if (subAnswer & CDRF_SKIPDEFAULT)
                continue;
            cellText = item.clrText;
            cellBack = item.clrTextBk;
            // The cell's own font, when the handler chose one, else the row's.
            if (!(subAnswer & CDRF_NEWFONT))
                SelectObject(dc, row);
        }
        if (sub == 0) {
            PaintCell(dc, index, 0, cell, parts.Label, selected, cellText, cellBack);
            // The state image, then the image with its overlay.
            if (!parts.State.isEmpty() && (state & LVIS_STATEIMAGEMASK))
                PaintStateImage(dc, state, parts.State);
            HIMAGELIST images = View() == LVS_ICON ? Normal_ : Small_;
            if (images && cell.Image >= 0) {
                int cx = 0, cy = 0;
                ImageList_GetIconSize(images, &cx, &cy);
                UINT flags = ILD_NORMAL | (state & LVIS_OVERLAYMASK);
                COLORREF blend = CLR_DEFAULT;
                if (state & LVIS_CUT) {
                    flags |= ILD_BLEND50;
                    blend = Background();
                } else if ((selected && focused) || (state & LVIS_DROPHILITED)) {
                    flags |= ILD_SELECTED;
                }
                const int y = View() == LVS_ICON ? parts.Icon.top() : parts.Icon.center().y() - cy / 2;
                ImageList_DrawEx(images, cell.Image, dc, parts.Icon.left(), y, 0, 0, CLR_DEFAULT, blend,
                                 flags);
            }
        } else {
            PaintCell(dc, index, sub, cell, area, false, cellText, cellBack);
        }
        if (subNotify && (subAnswer & CDRF_NOTIFYPOSTPAINT) && *alive) {
            NMLVCUSTOMDRAW item = record;
            item.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT | CDDS_SUBITEM;
            item.nmcd.rc = RectOf(area);
            item.iSubItem = sub;
            Notify(item.nmcd.hdr, NM_CUSTOMDRAW);
        }
    }
    if (*alive && Valid(index) && index == Focus_ && focused && Editing_ != index) {
        RECT box = RectOf(report && (ExStyle_ & LVS_EX_FULLROWSELECT) ? parts.Bounds : parts.Label);
        if (!report) {
            SelectObject(dc, row);
            const int width = std::min(TextWidth(dc, shown.Text) + 2 * kLabelPadding, parts.Label.width());
            if (View() == LVS_ICON) {
                box.left = parts.Label.left() + (parts.Label.width() - width) / 2;
                box.bottom = std::min<int>(box.bottom, parts.Label.top() + 2 * TextHeight() + 2);
            }
            box.right = box.left + width;
        }
        DrawFocusRect(dc, &box);
    }
    if (itemNotify && (answer & CDRF_NOTIFYPOSTPAINT) && *alive && Valid(index)) {
        record.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
        Notify(record.nmcd.hdr, NM_CUSTOMDRAW);
    }
}

// A label or a sub-item's text in its colours.
void TListWidget::Impl::PaintCell(HDC dc, int index, int sub, const Display& shown, const QRect& cell,
                                  bool selected, COLORREF text, COLORREF back)
{
    if (Editing_ == index && sub == 0)
        return;
    const bool icon = View() == LVS_ICON;
    // Measured in the font the text is drawn in, which custom draw may change.
    const int width = TextWidth(dc, shown.Text) + 2 * kLabelPadding;
    RECT label = RectOf(cell);
    if (sub == 0 && !(View() == LVS_REPORT && (ExStyle_ & LVS_EX_FULLROWSELECT))) {
        const int shownWidth = std::min(width, cell.width());
        if (icon) {
            label.left = cell.left() + (cell.width() - shownWidth) / 2;
            label.bottom = std::min<int>(label.bottom, cell.top() + 2 * TextHeight() + 2);
        }
        label.right = label.left + shownWidth;
    }
    if (selected || back != Background()) {
        const HBRUSH brush = CreateSolidBrush(back);
        FillRect(dc, &label, brush);
        DeleteObject(brush);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    RECT inside{label.left + kLabelPadding, label.top, label.right - kLabelPadding, label.bottom};
    UINT format = DT_NOPREFIX | DT_END_ELLIPSIS;
    if (icon) {
        format |= DT_CENTER | DT_WORDBREAK;
    } else {
        format |= DT_VCENTER | DT_SINGLELINE;
        const int justify = sub < static_cast<int>(Columns_.size())
                                ? Columns_[static_cast<std::size_t>(sub)].Fmt & LVCFMT_JUSTIFYMASK
                                : LVCFMT_LEFT;
        if (View() == LVS_REPORT && sub > 0)
            format |= justify == LVCFMT_RIGHT ? DT_RIGHT : justify == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
    }
    DrawTextA(dc, shown.Text.data(), static_cast<int>(shown.Text.size()), &inside, format);
}

bool TListWidget::Impl::StateImageSize(int& cx, int& cy) const
{
    if (State_)
        return ImageList_GetIconSize(State_, &cx, &cy) != FALSE;
    if (!(ExStyle_ & LVS_EX_CHECKBOXES))
        return false;
    cx = cy = kCheckSize;
    return true;
}

void TListWidget::Impl::PaintStateImage(HDC dc, UINT state, const QRect& place)
{
    const int image = static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12);
    int cx = 0, cy = 0;
    StateImageSize(cx, cy);
    const int top = place.center().y() - cy / 2;
    if (State_) {
        ImageList_DrawEx(State_, image - 1, dc, place.left(), top, 0, 0, CLR_DEFAULT, CLR_DEFAULT,
                         ILD_NORMAL);
        return;
    }
    // A box, with a tick for the second image.
    const RECT box{place.left() + 2, top + 2, place.left() + cx - 2, top + cy - 2};
    const HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    FillRect(dc, &box, face);
    DeleteObject(face);
    const HBRUSH edge = CreateSolidBrush(GetSysColor(COLOR_WINDOWTEXT));
    FrameRect(dc, &box, edge);
    DeleteObject(edge);
    if (image == 2) {
        const HPEN pen = CreatePen(PS_SOLID, 2, GetSysColor(COLOR_WINDOWTEXT));
        const HGDIOBJ before = SelectObject(dc, pen);
        const POINT tick[] = {
            {box.left + 3, box.top + 6}, {box.left + 5, box.bottom - 4}, {box.right - 3, box.top + 3}};
        Polyline(dc, tick, 3);
        SelectObject(dc, before);
        DeleteObject(pen);
    }
}

// A check box clicked or Space: the state image goes from 1 to 2 and back.
bool TListWidget::Impl::ToggleCheck(int index)
{
    if (!(ExStyle_ & LVS_EX_CHECKBOXES) || !Valid(index))
        return false;
    const UINT image = (StateOf(index, LVIS_STATEIMAGEMASK) >> 12) == 2 ? 1 : 2;
    return SetState(index, INDEXTOSTATEIMAGEMASK(image), LVIS_STATEIMAGEMASK);
}

// ---- input ----

void TListWidget::Impl::ButtonDown(bool right, POINT point, WPARAM keys)
{
    auto alive = Alive_;
    KillTimer(Window_, kEditTimer);
    const bool wasFocused = GetFocus() == Window_;
    if (!wasFocused) {
        SetFocus(Window_);
        if (!*alive)
            return;
    }
    UINT flags = 0;
    int sub = 0;
    const int index = HitTest(point, flags, &sub);
    const bool onItem = index >= 0 && (flags & LVHT_ONITEM);
    POINT screen = point;
    ClientToScreen(Window_, &screen);
    if (right) {
        // The item under a right press is selected and focused before all.
        if (onItem && !(StateOf(index, LVIS_SELECTED) & LVIS_SELECTED)) {
            if (!SelectOnly(index) || !*alive)
                return;
        } else if (onItem && !FocusItem(index) && !*alive) {
            return;
        }
        Viewport()->repaint();
        if (!*alive)
            return;
        const bool dragged = DragDetect(Window_, screen);
        if (!*alive)
            return;
        if (dragged) {
            if (onItem && Valid(index))
                NotifyList(LVN_BEGINRDRAG, index, 0, 0, 0, 0, point);
            return;
        }
        LRESULT answer = 0;
        if (!NotifyActivate(NM_RCLICK, onItem ? index : -1, sub, point, &answer))
            return;
        if (answer == 0)
            SendMessageA(Window_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Window_),
                         MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
        return;
    }
    const bool wasOnly =
        onItem && (StateOf(index, LVIS_SELECTED) & LVIS_SELECTED) && SelectedCount() == 1 && index == Focus_;
    if (DragDetect(Window_, screen)) {
        if (*alive && onItem && Valid(index))
            NotifyList(LVN_BEGINDRAG, index, 0, 0, 0, 0, point);
        return;
    }
    if (!*alive)
        return;
    const bool ctrl = (keys & MK_CONTROL) != 0;
    const bool shift = (keys & MK_SHIFT) != 0 && !(Style() & LVS_SINGLESEL);
    if (onItem && Valid(index) && flags == LVHT_ONITEMSTATEICON && (ExStyle_ & LVS_EX_CHECKBOXES)) {
        // The check box changes; the selection stays.
        ToggleCheck(index);
    } else if (onItem && Valid(index)) {
        if (shift) {
            const int mark = Valid(Mark_) ? Mark_ : index;
            if (!SelectRange(mark, index, ctrl) || !*alive)
                return;
            FocusItem(index);
        } else if (ctrl) {
            const bool was = (StateOf(index, LVIS_SELECTED) & LVIS_SELECTED) != 0;
            SetState(index, (was ? 0 : LVIS_SELECTED) | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            Mark_ = index;
        } else {
            SelectOnly(index);
            Mark_ = index;
        }
    } else if (!ctrl) {
        SelectOnly(-1);
    }
    if (!*alive)
        return;
    if (!NotifyActivate(NM_CLICK, onItem ? index : -1, sub, point))
        return;
    // A second, slow click on the label of the one selected item edits it.
    if (wasOnly && wasFocused && !ctrl && !shift && (flags & LVHT_ONITEMLABEL) && sub == 0 &&
        (Style() & LVS_EDITLABELS))
        SetTimer(Window_, kEditTimer,
                 static_cast<UINT>(QGuiApplication::styleHints()->mouseDoubleClickInterval()), nullptr);
}

void TListWidget::Impl::DoubleClick(POINT point)
{
    KillTimer(Window_, kEditTimer);
    UINT flags = 0;
    int sub = 0;
    const int index = HitTest(point, flags, &sub);
    const bool onItem = index >= 0 && (flags & LVHT_ONITEM);
    // The second press is a press too: its item is the selected one.
    if (onItem && !(StateOf(index, LVIS_SELECTED) & LVIS_SELECTED)) {
        auto alive = Alive_;
        SelectOnly(index);
        if (!*alive)
            return;
        Mark_ = index;
    }
    if (!NotifyActivate(NM_DBLCLK, onItem ? index : -1, sub, point))
        return;
    if (onItem && Valid(index))
        NotifyActivate(LVN_ITEMACTIVATE, index, sub, point);
}

void TListWidget::Impl::KeyDown(WORD key)
{
    auto alive = Alive_;
    NMLVKEYDOWN record{};
    record.wVKey = key;
    if (!Notify(record.hdr, LVN_KEYDOWN))
        return;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0 && !(Style() & LVS_SINGLESEL);
    const int count = Count();
    if (count == 0)
        return;
    const int focus = Valid(Focus_) ? Focus_ : -1;
    int to = -1;
    switch (key) {
    case VK_RETURN: {
        NMHDR header{};
        if (!Notify(header, NM_RETURN))
            return;
        if (Valid(Focus_))
            NotifyActivate(LVN_ITEMACTIVATE, Focus_, 0, {0, 0});
        return;
    }
    case VK_SPACE:
        if (focus < 0)
            return;
        if (ExStyle_ & LVS_EX_CHECKBOXES)
            ToggleCheck(focus);
        else if (ctrl)
            SetState(focus, (StateOf(focus, LVIS_SELECTED) ^ LVIS_SELECTED), LVIS_SELECTED);
        else
            SetState(focus, LVIS_SELECTED, LVIS_SELECTED);
        return;
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT: {
        if (focus < 0) {
            to = 0;
            break;
        }
        const UINT direction = key == VK_UP     ? LVNI_ABOVE
                               : key == VK_DOWN ? LVNI_BELOW
                               : key == VK_LEFT ? LVNI_TOLEFT
                                                : LVNI_TORIGHT;
        to = Neighbour(focus, direction);
        if (to < 0 && View() == LVS_REPORT && (key == VK_LEFT || key == VK_RIGHT))
            return Scroll(false, key == VK_LEFT ? SB_LINELEFT : SB_LINERIGHT, 0);
        break;
    }
    case VK_HOME:
        to = 0;
        break;
    case VK_END:
        to = count - 1;
        break;
    case VK_PRIOR:
    case VK_NEXT: {
        // A page of rows (of columns in the list view).
        const int lines = Flow() == LVS_LIST ? Viewport()->width() / std::max(1, CellSize().width())
                                             : Viewport()->height() / std::max(1, CellSize().height());
        const int page =
            View() == LVS_REPORT ? std::max(1, CountPerPage() - 1) : std::max(1, lines) * PerLine();
        const int from = std::max(0, focus);
        to = std::clamp(key == VK_PRIOR ? from - page : from + page, 0, count - 1);
        break;
    }
    default:
        return;
    }
    if (!Valid(to))
        return;
    if (shift) {
        const int mark = Valid(Mark_) ? Mark_ : (focus >= 0 ? focus : to);
        if (!SelectRange(mark, to, ctrl) || !*alive)
            return;
        Mark_ = mark;
        FocusItem(to);
    } else if (ctrl) {
        FocusItem(to);
    } else {
        SelectOnly(to);
        Mark_ = to;
    }
    if (*alive)
        EnsureVisible(to, false);
}

// Typing selects the next item whose label begins with what was typed; a
// pause starts the search afresh.
void TListWidget::Impl::Char(char16_t unit)
{
    if (unit < 0x20 || unit == 0x7F || QChar::isSurrogate(unit) || Count() == 0)
        return;
    if (!SearchClock_.isValid() || SearchClock_.elapsed() > kSearchPause)
        Search_.clear();
    SearchClock_.restart();
    const bool fresh = Search_.empty();
    Search_ += win32::WideToBytes(std::u16string_view(&unit, 1));
    LVFINDINFOA find{};
    find.flags = LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP;
    find.psz = Search_.c_str();
    const int focus = Valid(Focus_) ? Focus_ : -1;
    // A fresh search starts after the focus; one typed on includes it.
    const int found = FindItem(fresh ? focus : focus - 1, find);
    if (!Valid(found))
        return;
    auto alive = Alive_;
    SelectOnly(found);
    Mark_ = found;
    if (*alive)
        EnsureVisible(found, false);
}

void TListWidget::Impl::Scroll(bool vertical, int code, int thumb)
{
    Settle();
    QAbstractItemView* view = Current();
    QScrollBar* bar = vertical ? view->verticalScrollBar() : view->horizontalScrollBar();
    const bool items = vertical && View() == LVS_REPORT;
    const int line = items      ? 1
                     : vertical ? CellSize().height()
                                : (Flow() == LVS_LIST ? CellSize().width() : TextHeight());
    itemwindow::ScrollAction(bar, code, thumb, line);
}

// LVM_SCROLL: pixels, the report view's vertical ones rounded to rows.
void TListWidget::Impl::ScrollBy(int dx, int dy)
{
    Settle();
    QAbstractItemView* view = Current();
    QScrollBar* v = view->verticalScrollBar();
    QScrollBar* h = view->horizontalScrollBar();
    if (View() == LVS_REPORT)
        v->setValue(v->value() + dy / std::max(1, RowHeight()));
    else
        v->setValue(v->value() + dy);
    h->setValue(h->value() + dx);
}

void TListWidget::Impl::Wheel(int delta)
{
    const int notches = itemwindow::WheelNotches(WheelRest_, delta);
    const bool sideways = Flow() == LVS_LIST;
    const int lines = sideways ? 1 : std::max(1, QApplication::wheelScrollLines());
    for (int i = 0; i < std::abs(notches) * lines; ++i)
        Scroll(!sideways, notches > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
}

void TListWidget::Impl::MouseMove(POINT point)
{
    if (!(ExStyle_ & LVS_EX_TRACKSELECT))
        return;
    UINT flags = 0;
    int index = HitTest(point, flags);
    if (!(flags & LVHT_ONITEM))
        index = -1;
    if (index == Hot_)
        return;
    if (index >= 0) {
        // The parent may keep the hot item where it is.
        LRESULT refused = 0;
        if (!NotifyList(LVN_HOTTRACK, index, 0, 0, 0, 0, point, &refused) || refused || !Valid(index))
            return;
    }
    const int before = Hot_;
    Hot_ = index;
    RepaintItem(before);
    RepaintItem(index);
    KillTimer(Window_, kHoverTimer);
    if (index >= 0)
        SetTimer(Window_, kHoverTimer, kHoverTime, nullptr);
}

// ---- label editing ----

HWND TListWidget::Impl::BeginEdit(int index)
{
    auto alive = Alive_;
    if (Edit_)
        EndEdit(false);
    if (!*alive || !Valid(index))
        return nullptr;
    EnsureVisible(index, false);
    Display shown;
    if (!Resolve(index, 0, LVIF_TEXT, shown) || !Valid(index))
        return nullptr;
    NMLVDISPINFOA record{};
    record.item.mask = LVIF_TEXT | LVIF_STATE | LVIF_PARAM;
    record.item.iItem = index;
    record.item.state = StateOf(index, ~0u);
    record.item.lParam = shown.Param;
    std::string text = shown.Text;
    record.item.pszText = text.data();
    record.item.cchTextMax = static_cast<int>(text.size() + 1);
    LRESULT refused = 0;
    if (!Notify(record.hdr, LVN_BEGINLABELEDITA, &refused) || refused || !Valid(index) || Edit_)
        return nullptr;
    const QRect label = PartsOf(index).Label.translated(-Origin());
    const int width = std::max(StringWidth(shown.Text) + 24, 60);
    const QRect at(label.left(), label.top(),
                   std::min(width, std::max(60, Viewport()->width() - label.left())),
                   std::max(label.height(), TextHeight() + 4));
    Editing_ = index;
    Edit_ = std::make_unique<LabelEdit>(Viewport(), Window_, shown.Text, at.adjusted(0, -1, 0, 1), this,
                                        [this](LabelEdit* edit, bool cancel) {
                                            if (Edit_.get() == edit)
                                                EndEdit(cancel);
                                        });
    if (!IsWindow(Edit_->Window)) {
        Edit_.reset();
        Editing_ = -1;
        return nullptr;
    }
    if (Edit_->Widget) {
        if (const std::optional<QFont> font = win32::FontOf(ControlFont()))
            Edit_->Widget->setFont(*font);
        Edit_->Widget->show();
        Edit_->Widget->selectAll();
    }
    const HWND window = Edit_->Window;
    SetFocus(window);
    RepaintItem(index);
    return window;
}

// The parent hears the new text (none when cancelled); the item takes it
// when the parent answers TRUE.
void TListWidget::Impl::EndEdit(bool cancel)
{
    if (!Edit_)
        return;
    auto alive = Alive_;
    std::unique_ptr<LabelEdit> edit = std::move(Edit_);
    edit->Finished_ = true;
    const int index = std::exchange(Editing_, -1);
    std::string text = edit->Text();
    const bool hadFocus = GetFocus() == edit->Window;
    if (edit->Widget)
        edit->Widget->hide();
    // The edit window may be inside one of its own messages: it goes later.
    Retired_.push_back(std::move(edit));
    QTimer::singleShot(0, this, [this] { Retired_.clear(); });
    if (hadFocus)
        SetFocus(Window_);
    if (!*alive || !Valid(index))
        return;
    NMLVDISPINFOA record{};
    record.item.mask = LVIF_TEXT | LVIF_STATE | LVIF_PARAM;
    record.item.iItem = index;
    record.item.state = StateOf(index, ~0u);
    record.item.lParam = Owner() ? 0 : Items_[static_cast<std::size_t>(index)]->Param;
    record.item.pszText = cancel ? nullptr : text.data();
    record.item.cchTextMax = cancel ? 0 : static_cast<int>(text.size() + 1);
    LRESULT take = 0;
    if (!Notify(record.hdr, LVN_ENDLABELEDITA, &take) || !Valid(index))
        return;
    if (take && !cancel && !Owner()) {
        Item* item = Items_[static_cast<std::size_t>(index)];
        item->Text = text;
        item->TextCallback = false;
    }
    RepaintItem(index);
}

// ---- the toolkit's events ----

bool TListWidget::Impl::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* viewport = Viewport();
    const bool onViewport = watched == viewport;
    const bool onHeader = watched == Header_->viewport();
    if (onHeader) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (!IsWindow(Header_->Window))
                return true;
            const QPoint at = Header_->viewport()->mapTo(Header_, me->position().toPoint());
            UINT msg = WM_MOUSEMOVE;
            if (me->button() == Qt::LeftButton)
                msg = event->type() == QEvent::MouseButtonPress      ? WM_LBUTTONDOWN
                      : event->type() == QEvent::MouseButtonRelease  ? WM_LBUTTONUP
                      : event->type() == QEvent::MouseButtonDblClick ? WM_LBUTTONDBLCLK
                                                                     : WM_MOUSEMOVE;
            else if (event->type() != QEvent::MouseMove)
                return true;
            if (event->type() == QEvent::MouseMove) {
                int index = -1;
                Header_->viewport()->setCursor(Header_->HitTest({at.x(), at.y()}, index) == HHT_ONDIVIDER ||
                                                       Header_->Tracking_ >= 0
                                                   ? Qt::SplitHCursor
                                                   : Qt::ArrowCursor);
            }
            SendMessageA(Header_->Window, msg, 0,
                         MAKELPARAM(static_cast<WORD>(at.x()), static_cast<WORD>(at.y())));
            return true;
        }
        case QEvent::ContextMenu:
        case QEvent::Wheel:
            return true;
        default:
            return false;
        }
    }
    switch (event->type()) {
    case QEvent::Paint:
        if (!onViewport)
            return false;
        itemwindow::PaintViewport(Window_, List, viewport, event, PendingPaint_, Background(),
                                  [this](const QPaintEvent& paint) { Paint(paint); });
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        // The window's input: handed to the window as its own.
        return onViewport && itemwindow::ForwardInput(viewport, List, event);
    case QEvent::Wheel:
        return itemwindow::ForwardInput(static_cast<QWidget*>(watched), List, event);
    case QEvent::ContextMenu:
        return true;
    case QEvent::ToolTip: {
        if (!onViewport || !(ExStyle_ & LVS_EX_INFOTIP))
            return onViewport;
        const auto* help = static_cast<QHelpEvent*>(event);
        const QPoint at = help->pos() + Origin();
        UINT flags = 0;
        const int index = HitTest({at.x(), at.y()}, flags);
        if (index < 0) {
            QToolTip::hideText();
            return true;
        }
        std::vector<char> buffer(kFirstBuffer, '\0');
        NMLVGETINFOTIPA record{};
        record.pszText = buffer.data();
        record.cchTextMax = static_cast<int>(buffer.size());
        record.iItem = index;
        record.lParam = Owner() ? 0 : Items_[static_cast<std::size_t>(index)]->Param;
        if (!Notify(record.hdr, LVN_GETINFOTIPA))
            return true;
        buffer.back() = '\0';
        const std::string tip = record.pszText == buffer.data() ? std::string(buffer.data())
                                : record.pszText                ? std::string(record.pszText)
                                                                : std::string();
        if (tip.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), Wide(tip), viewport);
        return true;
    }
    default:
        return false;
    }
}

// ---- messages ----

namespace {

// Questions about the items' states and counts: their answers hang on
// neither the views' layout nor the header, so they skip bringing either up
// to date (a drag's walk of a large selection asks one per item).
bool ReadsStatesOnly(const TMessage& message)
{
    switch (message.Msg) {
    case LVM_GETITEMSTATE:
    case LVM_GETITEMCOUNT:
    case LVM_GETSELECTEDCOUNT:
        return true;
    case LVM_GETNEXTITEM:
        // A direction asks the layout.
        return (LOWORD(static_cast<DWORD>(message.LParam)) &
                (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT)) == 0;
    default:
        return false;
    }
}

} // namespace

bool TListWidget::Impl::Handle(HWND window, TMessage& message)
{
    Window_ = window;
    if (!ReadsStatesOnly(message)) {
        SyncStyle();
        EnsureHeader();
    }
    const auto index = static_cast<int>(static_cast<std::intptr_t>(message.WParam));
    const auto colour = [&message](COLORREF& slot) {
        slot = static_cast<COLORREF>(message.LParam);
        message.Result = TRUE;
    };
    switch (message.Msg) {
    case LVM_INSERTITEMA:
        message.Result = InsertItem(reinterpret_cast<const LVITEMA*>(message.LParam));
        return true;
    case LVM_DELETEITEM:
        message.Result = DeleteItem(index) ? TRUE : FALSE;
        return true;
    case LVM_DELETEALLITEMS:
        message.Result = DeleteAll() ? TRUE : FALSE;
        return true;
    case LVM_SETITEMA: {
        const auto* record = reinterpret_cast<const LVITEMA*>(message.LParam);
        message.Result = record && SetItem(*record) ? TRUE : FALSE;
        return true;
    }
    case LVM_GETITEMA: {
        auto* record = reinterpret_cast<LVITEMA*>(message.LParam);
        message.Result = record && GetItem(*record) ? TRUE : FALSE;
        return true;
    }
    case LVM_SETITEMTEXTA: {
        const auto* record = reinterpret_cast<const LVITEMA*>(message.LParam);
        message.Result = FALSE;
        if (record && Valid(index)) {
            LVITEMA text{};
            text.mask = LVIF_TEXT;
            text.iItem = index;
            text.iSubItem = record->iSubItem;
            text.pszText = record->pszText;
            message.Result = SetItem(text) ? TRUE : FALSE;
        }
        return true;
    }
    case LVM_GETITEMTEXTA: {
        auto* record = reinterpret_cast<LVITEMA*>(message.LParam);
        message.Result = 0;
        if (!record || !Valid(index) || !record->pszText || record->cchTextMax <= 0)
            return true;
        Display shown;
        if (!Resolve(index, record->iSubItem, LVIF_TEXT, shown))
            return true;
        const auto n = std::min(shown.Text.size(), static_cast<std::size_t>(record->cchTextMax - 1));
        std::memcpy(record->pszText, shown.Text.data(), n);
        record->pszText[n] = '\0';
        message.Result = static_cast<LRESULT>(n);
        return true;
    }
    case LVM_SETITEMSTATE: {
        const auto* record = reinterpret_cast<const LVITEMA*>(message.LParam);
        message.Result = FALSE;
        if (!record)
            return true;
        if (index == -1)
            message.Result = SetAllStates(record->state, record->stateMask) ? TRUE : FALSE;
        else if (Valid(index))
            message.Result = SetState(index, record->state, record->stateMask) ? TRUE : FALSE;
        if ((record->stateMask & LVIS_SELECTED) && (record->state & LVIS_SELECTED) && Valid(index))
            Mark_ = Valid(Mark_) ? Mark_ : index;
        return true;
    }
    case LVM_GETITEMSTATE:
        message.Result = static_cast<LRESULT>(StateOf(index, static_cast<UINT>(message.LParam)));
        return true;
    case LVM_GETNEXTITEM:
        message.Result = NextItem(index, LOWORD(static_cast<DWORD>(message.LParam)));
        return true;
    case LVM_GETITEMCOUNT:
        message.Result = Count();
        return true;
    case LVM_GETSELECTEDCOUNT:
        message.Result = SelectedCount();
        return true;
    case LVM_SETITEMCOUNT:
        SetCount(index);
        message.Result = TRUE;
        return true;
    case LVM_SETCALLBACKMASK:
        CallbackMask_ = static_cast<UINT>(message.WParam);
        Viewport()->update();
        message.Result = TRUE;
        return true;
    case LVM_GETCALLBACKMASK:
        message.Result = static_cast<LRESULT>(CallbackMask_);
        return true;
    case LVM_GETITEMRECT:
    case LVM_GETSUBITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(message.LParam);
        message.Result = FALSE;
        if (!rect || !Valid(index))
            return true;
        const int code = rect->left;
        const int sub = message.Msg == LVM_GETSUBITEMRECT ? rect->top : 0;
        if (message.Msg == LVM_GETSUBITEMRECT &&
            (sub < 0 || (sub > 0 && sub >= static_cast<int>(Columns_.size()))))
            return true;
        const Parts parts = PartsOf(index);
        QRect r;
        switch (code) {
        case LVIR_BOUNDS:
            r = sub > 0 ? SubItemRect(index, sub) : parts.Bounds;
            if (sub == 0 && message.Msg == LVM_GETSUBITEMRECT && View() == LVS_REPORT && !Columns_.empty())
                r.setWidth(TotalWidth());
            break;
        case LVIR_ICON:
            r = sub > 0 ? QRect(SubItemRect(index, sub).topLeft(), QSize(0, parts.Bounds.height()))
                        : parts.Icon;
            break;
        case LVIR_LABEL:
            r = sub > 0 ? SubItemRect(index, sub) : parts.Label;
            break;
        case LVIR_SELECTBOUNDS:
            r = View() == LVS_REPORT && (ExStyle_ & LVS_EX_FULLROWSELECT) ? parts.Bounds
                                                                          : parts.Icon.united(parts.Label);
            break;
        default:
            return true;
        }
        *rect = RectOf(r);
        message.Result = TRUE;
        return true;
    }
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: {
        auto* info = reinterpret_cast<LVHITTESTINFO*>(message.LParam);
        message.Result = -1;
        if (!info)
            return true;
        int sub = 0;
        info->iItem = HitTest(info->pt, info->flags, &sub);
        if (message.Msg == LVM_SUBITEMHITTEST)
            info->iSubItem = info->iItem >= 0 ? sub : -1;
        message.Result = info->iItem;
        return true;
    }
    case LVM_ENSUREVISIBLE:
        message.Result = EnsureVisible(index, message.LParam != 0) ? TRUE : FALSE;
        return true;
    case LVM_SCROLL:
        ScrollBy(index, static_cast<int>(message.LParam));
        message.Result = TRUE;
        return true;
    case LVM_GETTOPINDEX:
        message.Result = TopIndex();
        return true;
    case LVM_GETCOUNTPERPAGE:
        message.Result = CountPerPage();
        return true;
    case LVM_GETVIEWRECT: {
        auto* rect = reinterpret_cast<RECT*>(message.LParam);
        message.Result = FALSE;
        if (!rect || View() == LVS_REPORT || View() == LVS_LIST)
            return true;
        QRect all;
        const int count = Count();
        if (count > 0) {
            all = ItemBox(0).united(ItemBox(count - 1));
            if (Placed_)
                for (int i = 0; i < count; ++i)
                    all = all.united(ItemBox(i));
        }
        *rect = RectOf(all);
        message.Result = TRUE;
        return true;
    }
    case LVM_GETORIGIN: {
        auto* point = reinterpret_cast<POINT*>(message.LParam);
        message.Result = FALSE;
        if (!point)
            return true;
        *point = {0, 0};
        if (View() == LVS_ICON || View() == LVS_SMALLICON) {
            *point = {Icons_->horizontalScrollBar()->value(), Icons_->verticalScrollBar()->value()};
            message.Result = TRUE;
        }
        return true;
    }
    case LVM_FINDITEMA: {
        const auto* find = reinterpret_cast<const LVFINDINFOA*>(message.LParam);
        message.Result = find ? FindItem(index, *find) : -1;
        return true;
    }
    case LVM_SORTITEMS:
    case LVM_SORTITEMSEX:
        message.Result = SortItems(reinterpret_cast<PFNLVCOMPARE>(message.LParam),
                                   static_cast<LPARAM>(message.WParam), message.Msg == LVM_SORTITEMSEX)
                             ? TRUE
                             : FALSE;
        return true;
    case LVM_REDRAWITEMS: {
        const int last = static_cast<int>(message.LParam);
        for (int i = std::max(0, index); i <= last && i < Count(); ++i)
            RepaintItem(i);
        message.Result = TRUE;
        return true;
    }
    case LVM_UPDATE:
        RepaintItem(index);
        message.Result = Valid(index) ? TRUE : FALSE;
        return true;
    case LVM_ARRANGE:
        for (Item* item : Items_)
            item->Placed = false;
        Placed_ = false;
        Relayout();
        message.Result = TRUE;
        return true;
    case LVM_SETITEMPOSITION:
        message.Result = FALSE;
        if (Valid(index) && !Owner() && (View() == LVS_ICON || View() == LVS_SMALLICON)) {
            Item* item = Items_[static_cast<std::size_t>(index)];
            item->Position = QPoint(SignedLow(message.LParam), SignedHigh(message.LParam));
            item->Placed = true;
            Placed_ = true;
            Viewport()->update();
            message.Result = TRUE;
        }
        return true;
    case LVM_GETITEMPOSITION: {
        auto* point = reinterpret_cast<POINT*>(message.LParam);
        message.Result = FALSE;
        if (point && Valid(index)) {
            const QRect box = ItemBox(index);
            *point = {box.left(), box.top()};
            message.Result = TRUE;
        }
        return true;
    }
    case LVM_SETIMAGELIST: {
        HIMAGELIST* slot = message.WParam == LVSIL_NORMAL  ? &Normal_
                           : message.WParam == LVSIL_SMALL ? &Small_
                           : message.WParam == LVSIL_STATE ? &State_
                                                           : nullptr;
        message.Result = 0;
        if (!slot)
            return true;
        message.Result = reinterpret_cast<LRESULT>(*slot);
        *slot = reinterpret_cast<HIMAGELIST>(message.LParam);
        Relayout();
        return true;
    }
    case LVM_GETIMAGELIST:
        message.Result = reinterpret_cast<LRESULT>(message.WParam == LVSIL_NORMAL  ? Normal_
                                                   : message.WParam == LVSIL_SMALL ? Small_
                                                   : message.WParam == LVSIL_STATE ? State_
                                                                                   : nullptr);
        return true;
    case LVM_SETBKCOLOR:
        colour(Bk_);
        Viewport()->update();
        return true;
    case LVM_GETBKCOLOR:
        message.Result = static_cast<LRESULT>(static_cast<std::int32_t>(Background()));
        return true;
    case LVM_SETTEXTCOLOR:
        colour(Text_);
        Viewport()->update();
        return true;
    case LVM_GETTEXTCOLOR:
        message.Result = static_cast<LRESULT>(static_cast<std::int32_t>(Foreground()));
        return true;
    case LVM_SETTEXTBKCOLOR:
        colour(TextBk_);
        Viewport()->update();
        return true;
    case LVM_GETTEXTBKCOLOR:
        message.Result =
            static_cast<LRESULT>(static_cast<std::int32_t>(TextBk_ == CLR_NONE ? Background() : TextBk_));
        return true;
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        const DWORD mask = message.WParam ? static_cast<DWORD>(message.WParam) : ~0u;
        message.Result = static_cast<LRESULT>(ExStyle_);
        const DWORD before = ExStyle_;
        ExStyle_ = (ExStyle_ & ~mask) | (static_cast<DWORD>(message.LParam) & mask);
        if ((ExStyle_ ^ before) & LVS_EX_CHECKBOXES) {
            // Every item shows a clear box from now on (or none).
            for (Item* item : Items_)
                if (ExStyle_ & LVS_EX_CHECKBOXES) {
                    if (!(item->State & LVIS_STATEIMAGEMASK))
                        item->State |= INDEXTOSTATEIMAGEMASK(1);
                } else if (!State_) {
                    item->State &= ~LVIS_STATEIMAGEMASK;
                }
            Relayout();
        }
        Viewport()->update();
        return true;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        message.Result = static_cast<LRESULT>(ExStyle_);
        return true;
    case LVM_GETHEADER:
        message.Result = reinterpret_cast<LRESULT>(Header_->Window);
        return true;
    case LVM_INSERTCOLUMNA: {
        const auto* record = reinterpret_cast<const LVCOLUMNA*>(message.LParam);
        message.Result = record ? InsertColumn(index, *record) : -1;
        return true;
    }
    case LVM_DELETECOLUMN: {
        message.Result = FALSE;
        if (index < 0 || index >= static_cast<int>(Columns_.size()))
            return true;
        const bool last = Columns_.size() == 1;
        if (!last)
            ColumnModel_->BeginColumns(index, false);
        Columns_.erase(Columns_.begin() + index);
        if (!last)
            ColumnModel_->EndColumns(false);
        if (index > 0)
            for (Item* item : Items_)
                if (item->Subs.size() >= static_cast<std::size_t>(index))
                    item->Subs.Erase(static_cast<std::size_t>(index - 1));
        SyncColumns();
        message.Result = TRUE;
        return true;
    }
    case LVM_GETCOLUMNA: {
        auto* record = reinterpret_cast<LVCOLUMNA*>(message.LParam);
        message.Result = FALSE;
        if (!record || index < 0 || index >= static_cast<int>(Columns_.size()))
            return true;
        const Column& column = Columns_[static_cast<std::size_t>(index)];
        if (record->mask & LVCF_FMT)
            record->fmt = column.Fmt;
        if (record->mask & LVCF_WIDTH)
            record->cx = column.Width;
        if ((record->mask & LVCF_TEXT) && record->pszText && record->cchTextMax > 0) {
            const auto n = std::min(column.Text.size(), static_cast<std::size_t>(record->cchTextMax - 1));
            std::memcpy(record->pszText, column.Text.data(), n);
            record->pszText[n] = '\0';
        }
        if (record->mask & LVCF_SUBITEM)
            record->iSubItem = column.SubItem;
        if (record->mask & LVCF_IMAGE)
            record->iImage = column.Image;
        if (record->mask & LVCF_ORDER)
            record->iOrder = column.Order;
        message.Result = TRUE;
        return true;
    }
    case LVM_SETCOLUMNA: {
        const auto* record = reinterpret_cast<const LVCOLUMNA*>(message.LParam);
        message.Result = FALSE;
        if (!record || index < 0 || index >= static_cast<int>(Columns_.size()))
            return true;
        Column& column = Columns_[static_cast<std::size_t>(index)];
        ApplyColumn(column, *record);
        // Every set resets the header item's format from the column's.
        column.HeaderFmt = HDF_STRING | (column.Fmt & LVCFMT_JUSTIFYMASK) |
                           ((column.Fmt & LVCFMT_IMAGE) ? HDF_IMAGE : 0) |
                           ((column.Fmt & LVCFMT_BITMAP_ON_RIGHT) ? HDF_BITMAP_ON_RIGHT : 0);
        SyncColumns();
        message.Result = TRUE;
        return true;
    }
    case LVM_GETCOLUMNWIDTH:
        if (View() == LVS_LIST)
            message.Result = ListWidth_;
        else
            message.Result = index >= 0 && index < static_cast<int>(Columns_.size())
                                 ? Columns_[static_cast<std::size_t>(index)].Width
                                 : 0;
        return true;
    case LVM_SETCOLUMNWIDTH: {
        int width = SignedLow(message.LParam);
        message.Result = FALSE;
        if (View() == LVS_LIST) {
            if (width > 0) {
                ListWidth_ = width;
                Relayout();
                message.Result = TRUE;
            }
            return true;
        }
        if (index < 0 || index >= static_cast<int>(Columns_.size()))
            return true;
        if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER) {
            const bool lastFill =
                width == LVSCW_AUTOSIZE_USEHEADER && index == static_cast<int>(Columns_.size()) - 1;
            width = AutoWidth(index, width == LVSCW_AUTOSIZE_USEHEADER);
            if (lastFill)
                width = std::max(width, Viewport()->width() - ColumnLeft(index));
        }
        SetColumnWidth(index, width);
        message.Result = TRUE;
        return true;
    }
    case LVM_EDITLABELA:
        if (index == -1) {
            EndEdit(true);
            message.Result = 0;
        } else {
            message.Result = reinterpret_cast<LRESULT>(Valid(index) ? BeginEdit(index) : nullptr);
        }
        return true;
    case LVM_GETEDITCONTROL:
        message.Result = reinterpret_cast<LRESULT>(Edit_ ? Edit_->Window : nullptr);
        return true;
    case LVM_GETSTRINGWIDTHA: {
        const auto* text = reinterpret_cast<const char*>(message.LParam);
        message.Result = text ? StringWidth(text) : 0;
        return true;
    }
    case LVM_SETICONSPACING: {
        const QSize before = CellSize();
        message.Result = MAKELONG(static_cast<WORD>(before.width()), static_cast<WORD>(before.height()));
        const int cx = SignedLow(message.LParam), cy = SignedHigh(message.LParam);
        Spacing_ = cx <= 0 || cy <= 0 ? QSize() : QSize(cx, cy);
        Relayout();
        return true;
    }
    case LVM_GETITEMSPACING: {
        int cx = 16, cy = 16;
        if (message.WParam && Small_)
            ImageList_GetIconSize(Small_, &cx, &cy);
        const QSize size = message.WParam ? QSize(cx + ListWidth_, RowHeight()) : [&] {
            const DWORD saved = SyncedStyle_;
            (void)saved;
            return Spacing_.isValid() && !Spacing_.isEmpty() ? Spacing_ : QSize(75, 75);
        }();
        message.Result = MAKELONG(static_cast<WORD>(size.width()), static_cast<WORD>(size.height()));
        return true;
    }
    case LVM_SETHOTITEM: {
        message.Result = Hot_;
        const int before = Hot_;
        Hot_ = Valid(index) ? index : -1;
        RepaintItem(before);
        RepaintItem(Hot_);
        return true;
    }
    case LVM_GETHOTITEM:
        message.Result = Hot_;
        return true;
    case LVM_SETSELECTIONMARK:
        message.Result = Mark_;
        Mark_ = Valid(static_cast<int>(message.LParam)) ? static_cast<int>(message.LParam) : -1;
        return true;
    case LVM_GETSELECTIONMARK:
        message.Result = Mark_;
        return true;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHEADERA*>(message.LParam);
        if (!header || header->hdr.hwndFrom != Header_->Window || !IsWindow(Header_->Window))
            return false;
        switch (header->hdr.code) {
        case HDN_ITEMCLICKA:
        case HDN_ITEMCLICKW:
            if (!(Style() & LVS_NOSORTHEADER))
                NotifyList(LVN_COLUMNCLICK, -1, header->iItem, 0, 0, 0, {0, 0});
            break;
        case HDN_ENDTRACKA:
            if (header->pitem && (header->pitem->mask & HDI_WIDTH))
                SetColumnWidth(header->iItem, header->pitem->cxy);
            break;
        case HDN_DIVIDERDBLCLICKA:
            if (header->iItem >= 0 && header->iItem < static_cast<int>(Columns_.size()))
                SetColumnWidth(header->iItem, AutoWidth(header->iItem, false));
            break;
        default:
            break;
        }
        message.Result = 0;
        return true;
    }
    case WM_PAINT:
        if (!PendingPaint_) {
            // The frame, where the window's own paint event comes in.
            if (List->testAttribute(Qt::WA_WState_InPaintEvent) && List->frameShape() != QFrame::NoFrame) {
                QPainter painter(List);
                List->drawFrame(&painter);
                return true;
            }
            return false;
        }
        {
            const QPaintEvent* paint = std::exchange(PendingPaint_, nullptr);
            Paint(*paint);
        }
        return true;
    case WM_SETREDRAW:
        Redraw_ = message.WParam != 0;
        Current()->setUpdatesEnabled(Redraw_);
        if (Redraw_) {
            AnnounceRows();
            SyncRows();
            Viewport()->update();
        }
        return true;
    case WM_SETFONT:
        Font_ = reinterpret_cast<HFONT>(message.WParam);
        if (const std::optional<QFont> font = win32::FontOf(ControlFont()))
            Header_->setFont(*font);
        Relayout();
        return false;
    case WM_GETFONT:
        message.Result = reinterpret_cast<LRESULT>(Font_);
        return true;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        ButtonDown(message.Msg == WM_RBUTTONDOWN, {SignedLow(message.LParam), SignedHigh(message.LParam)},
                   message.WParam);
        return true;
    case WM_LBUTTONDBLCLK:
        DoubleClick({SignedLow(message.LParam), SignedHigh(message.LParam)});
        return true;
    case WM_RBUTTONDBLCLK:
        ButtonDown(true, {SignedLow(message.LParam), SignedHigh(message.LParam)}, message.WParam);
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        return true;
    case WM_MOUSEMOVE:
        MouseMove({SignedLow(message.LParam), SignedHigh(message.LParam)});
        return true;
    case WM_MOUSEWHEEL:
        Wheel(GET_WHEEL_DELTA_WPARAM(message.WParam));
        return true;
    case WM_MOUSEHWHEEL:
        return true;
    case WM_VSCROLL:
    case WM_HSCROLL:
        Scroll(message.Msg == WM_VSCROLL, LOWORD(static_cast<DWORD>(message.WParam)),
               static_cast<short>(HIWORD(static_cast<DWORD>(message.WParam))));
        return true;
    case WM_KEYDOWN:
        KeyDown(static_cast<WORD>(message.WParam));
        return true;
    case WM_CHAR:
        Char(static_cast<char16_t>(message.WParam));
        return true;
    case WM_KEYUP:
        return true;
    case WM_TIMER:
        if (message.WParam == kHoverTimer) {
            KillTimer(window, kHoverTimer);
            if (Valid(Hot_) && !(StateOf(Hot_, LVIS_SELECTED) & LVIS_SELECTED)) {
                const int hot = Hot_;
                if (SelectOnly(hot))
                    Mark_ = hot;
            }
            return true;
        }
        if (message.WParam != kEditTimer)
            return false;
        KillTimer(window, kEditTimer);
        if (Valid(Focus_) && GetFocus() == window)
            BeginEdit(Focus_);
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        Viewport()->update();
        NMHDR header{};
        Notify(header, message.Msg == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
        return false;
    }
    case WM_DESTROY:
        // Every item goes, each told, as the window ends.
        EndEdit(true);
        DeleteAll();
        return false;
    default:
        return false;
    }
}

} // namespace vcl
