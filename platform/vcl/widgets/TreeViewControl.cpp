// The tree-view window over a QTreeView.
//
// The items are ours (Item below); the view sees them through a model that
// tells it the shape of the tree and nothing else, so that Qt lays out the
// rows (one height for all) and scrolls, while every row is painted here,
// through a device context, and every input comes in as a message.

#include "vcl/widgets/TreeViewControl_p.h"

#include "vcl/core/SafeSort.h"
#include "vcl/widgets/EditControl_p.h"
#include "vcl/widgets/ItemWindow_p.h"
#include "vcl/widgets/LabelEdit_p.h"
#include "vcl/widgets/QtKeys.h"
#include "vcl/widgets/WidgetPeer_p.h"
#include "win32/DeviceContext.h"
#include "win32/EditControls.h"
#include "win32/Gdi.h"
#include "win32/ImageLists.h"
#include "win32/ScrollBars.h"
#include "win32/SysColors.h"
#include "win32/TreeViews.h"
#include "win32/VirtualKeys.h"
#include "win32/WideText.h"
#include "win32/WindowManager.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyleHints>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vcl {

namespace {

constexpr UINT_PTR kEditTimer = 0x7E11;
// Typed characters that follow each other within this time search on.
constexpr qint64 kSearchPause = 1000;
constexpr int kLabelPadding = 2;
constexpr int kImageGap = 2;
constexpr int kButtonSize = 9;
constexpr int kTextBuffer = 1024;
// Parents with more children than this are closed in the view while many
// of them go.
constexpr std::size_t kCloseForDeletions = 64;

struct Item;

// An item's children in order. Taking the first or putting one first costs
// no move of the others: the slots before Head are free.
class ChildList {
public:
    using iterator = std::vector<Item*>::iterator;
    using const_iterator = std::vector<Item*>::const_iterator;

    bool empty() const { return Items_.size() == Head_; }
    std::size_t size() const { return Items_.size() - Head_; }
    Item* front() const { return Items_[Head_]; }
    Item* back() const { return Items_.back(); }
    Item* operator[](std::size_t i) const { return Items_[Head_ + i]; }
    iterator begin() { return Items_.begin() + static_cast<std::ptrdiff_t>(Head_); }
    iterator end() { return Items_.end(); }
    const_iterator begin() const { return Items_.begin() + static_cast<std::ptrdiff_t>(Head_); }
    const_iterator end() const { return Items_.end(); }
    auto rbegin() const { return Items_.rbegin(); }
    auto rend() const { return Items_.rend() - static_cast<std::ptrdiff_t>(Head_); }
    Item** data() { return Items_.data() + Head_; }

    void insert(iterator at, Item* item)
    {
        if (at == begin() && Head_ > 0) {
            Items_[--Head_] = item;
            return;
        }
        Items_.insert(at, item);
    }
    void erase(iterator at)
    {
        if (at != begin()) {
            Items_.erase(at);
            return;
        }
        Items_[Head_++] = nullptr;
        // The free slots are given back once they are most of the list.
        if (Head_ == Items_.size()) {
            Items_.clear();
            Head_ = 0;
        } else if (Head_ > 32 && Head_ * 2 > Items_.size()) {
            Items_.erase(Items_.begin(), Items_.begin() + static_cast<std::ptrdiff_t>(Head_));
            Head_ = 0;
        }
    }

private:
    std::vector<Item*> Items_;
    std::size_t Head_ = 0;
};

// One item of the window. The handle given out is its address; a handle is
// checked against the live items before use.
struct Item {
    Item* Parent = nullptr;
    ChildList Children;
    std::string Text;
    LPARAM Param = 0;
    int Image = 0;
    int SelectedImage = 0;
    // The row among the parent's children is Row - the parent's RowBase:
    // a child taken from or put at the front shifts the others by moving
    // the base; other changes renumber the children on demand.
    int Row = 0;
    int RowBase = 0;
    // The label's width as last painted; -1 to be measured.
    int LabelWidth = -1;
    UINT State = 0;
    // cChildren: 0 or 1 as told (set when a child comes), or the callback.
    signed char ChildrenFlag = 0;
    bool TextCallback = false;
    bool RowsDirty = false;
    bool Deleting = false;
};

HTREEITEM HandleOf(const Item* item)
{
    return reinterpret_cast<HTREEITEM>(const_cast<Item*>(item));
}

using itemwindow::QColorOf;
using itemwindow::SignedHigh;
using itemwindow::SignedLow;

} // namespace

class TTreeWidget::Impl final : public QObject {
public:
    explicit Impl(TTreeWidget* tree, DWORD style);
    ~Impl() override;

    bool Handle(HWND window, TMessage& message);

    // ---- items ----
    bool IsItem(const Item* item) const { return item && item != &Root_ && Live_.contains(item); }
    Item* ItemOf(LPARAM handle) const;
    Item* ParentArg(HTREEITEM handle);
    QModelIndex IndexOf(Item* item) const;
    int RowOf(Item* item) const;
    LRESULT InsertItem(const TVINSERTSTRUCTA* insert);
    // all: one of a deletion of every item, which drops the caret silently.
    void DeleteItem(Item* item, bool all = false);
    void DeleteAll();
    void DeleteChildren(Item* item);
    void SetItem(Item* item, const TVITEMA& record);
    BOOL GetItem(TVITEMA& record);
    void Fill(TVITEMA& record, const Item* item, UINT mask) const;
    bool HasButton(Item* item);
    bool Shown(const Item* item) const;
    int Level(const Item* item) const;
    Item* NextVisible(Item* item) const;
    Item* PrevVisible(Item* item) const;
    Item* LastVisible() const;
    Item* TopItem() const;
    HTREEITEM NextItem(UINT code, Item* item) const;
    // compare: below 0, 0 or above 0 for two items in that order.
    bool SortChildren(Item* parent, const std::function<int(const Item*, const Item*)>& compare,
                      bool recurse);

    // ---- what the parent is told ----
    // Sends a notification; false when the window went while the parent
    // had it.
    bool Notify(NMHDR& header, UINT code, LRESULT* result = nullptr);
    bool NotifyTree(UINT code, UINT action, Item* oldItem, Item* newItem, POINT point, LRESULT* result);
    // The callback fields of an item, as the parent answers for them now.
    struct Display {
        std::string Text;
        int Image = 0;
        int SelectedImage = 0;
        int Children = 0;
    };
    bool Resolve(Item* item, UINT mask, Display& shown);

    // ---- state ----
    BOOL Expand(Item* item, UINT action);
    BOOL SelectCaret(Item* item, UINT action, bool mayRefuse = true);
    void SetDropHilite(Item* item);
    BOOL EnsureVisible(Item* item);
    void ScrollToTop(Item* item);
    void RepaintItem(const Item* item);
    void Relayout();

    // ---- geometry ----
    DWORD Style() const;
    int RowHeight();
    int TextHeight();
    int ContentLeft(const Item* item) const;
    int StateWidth(const Item* item) const;
    int ImageWidth() const;
    int LabelWidth(Item* item);
    QRect RowRect(const Item* item) const;
    bool ItemRect(Item* item, bool textOnly, RECT& rect);
    Item* HitTest(POINT point, UINT& flags);
    void WidenColumn(int right);

    // ---- painting ----
    void Paint(const QPaintEvent& event);
    void PaintItem(QPainter& painter, HDC dc, Item* item, int top, bool itemNotify, bool postNotify);
    void PaintLinesAndButton(QPainter& painter, Item* item, const QRect& row);
    HFONT ControlFont() const;
    HFONT BoldFont();
    COLORREF Background() const;
    COLORREF Foreground() const;

    // ---- input ----
    void ButtonDown(UINT msg, POINT point);
    void ButtonDoubleClick(POINT point);
    void RightClick(POINT point);
    void KeyDown(WORD key);
    void Char(char16_t unit);
    void Scroll(bool vertical, int code, int thumb);
    void Wheel(int delta);
    void MouseMove(POINT point);

    // ---- label editing ----
    HWND BeginEdit(Item* item);
    void EndEdit(bool cancel);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void SyncStyle();

    TTreeWidget* Tree;
    class Model;
    class Delegate;
    Model* Model_;
    HWND Window_ = nullptr;
    DWORD InitialStyle_;
    DWORD SyncedStyle_ = ~0u;
    Item Root_;
    std::unordered_set<const Item*> Live_;
    std::size_t Count_ = 0;
    Item* Caret_ = nullptr;
    Item* Drop_ = nullptr;
    Item* Hot_ = nullptr;
    HIMAGELIST Images_ = nullptr;
    HIMAGELIST StateImages_ = nullptr;
    int Indent_ = 19;
    int ItemHeight_ = -1;
    int CachedHeight_ = -1;
    int CachedTextHeight_ = -1;
    COLORREF Bk_ = CLR_NONE;
    COLORREF Text_ = CLR_NONE;
    HFONT Font_ = nullptr;
    HFONT BoldFont_ = nullptr;
    HFONT BoldOf_ = nullptr;
    HDC Measure_ = nullptr;
    bool Redraw_ = true;
    // Open parents closed in the view while children went without redraw.
    std::vector<Item*> Reopen_;
    const QPaintEvent* PendingPaint_ = nullptr;
    int ColumnWidth_ = 0;
    int WantedWidth_ = 0;
    bool WidenPending_ = false;
    int WheelRest_ = 0;
    std::string Search_;
    QElapsedTimer SearchClock_;
    std::unique_ptr<LabelEdit> Edit_;
    std::vector<std::unique_ptr<LabelEdit>> Retired_;
    Item* Editing_ = nullptr;
    std::shared_ptr<bool> Alive_ = std::make_shared<bool>(true);
};

// The shape of the tree for Qt's view: rows and parents, no data.
class TTreeWidget::Impl::Model final : public QAbstractItemModel {
public:
    explicit Model(Impl* impl) : QAbstractItemModel(impl), Owner(impl) {}

    QModelIndex index(int row, int column, const QModelIndex& parent) const override
    {
        const Item* p = parent.isValid() ? static_cast<const Item*>(parent.internalPointer()) : &Owner->Root_;
        if (column != 0 || row < 0 || row >= static_cast<int>(p->Children.size()))
            return {};
        return createIndex(row, 0, p->Children[static_cast<std::size_t>(row)]);
    }
    QModelIndex parent(const QModelIndex& child) const override
    {
        if (!child.isValid())
            return {};
        auto* item = static_cast<Item*>(child.internalPointer());
        return Owner->IndexOf(item->Parent);
    }
    int rowCount(const QModelIndex& parent) const override
    {
        if (parent.column() > 0)
            return 0;
        const Item* p = parent.isValid() ? static_cast<const Item*>(parent.internalPointer()) : &Owner->Root_;
        return static_cast<int>(p->Children.size());
    }
    int columnCount(const QModelIndex&) const override { return 1; }
    bool hasChildren(const QModelIndex& parent) const override { return rowCount(parent) > 0; }
    QVariant data(const QModelIndex&, int) const override { return {}; }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }

    QModelIndex Make(int row, Item* item) const { return createIndex(row, 0, item); }
    void BeginInsert(const QModelIndex& parent, int row) { beginInsertRows(parent, row, row); }
    void EndInsert() { endInsertRows(); }
    void BeginRemove(const QModelIndex& parent, int row) { beginRemoveRows(parent, row, row); }
    void EndRemove() { endRemoveRows(); }
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void BeginLayout() { emit layoutAboutToBeChanged(); }
    // The rows moved: the view's indexes follow their items.
    void EndLayout()
    {
        const QModelIndexList before = persistentIndexList();
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex& index : before) {
            auto* item = static_cast<Item*>(index.internalPointer());
            after.push_back(Owner->IsItem(item) ? Owner->IndexOf(item) : QModelIndex());
        }
        changePersistentIndexList(before, after);
        emit layoutChanged();
    }

    Impl* Owner;
};

// Rows of the window's height; the painting is the window's own.
class TTreeWidget::Impl::Delegate final : public QStyledItemDelegate {
public:
    explicit Delegate(Impl* impl) : QStyledItemDelegate(impl), Owner(impl) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {1, Owner->RowHeight()};
    }
    void paint(QPainter*, const QStyleOptionViewItem&, const QModelIndex&) const override {}
    Impl* Owner;
};

// ---- the window ----

TTreeWidget::TTreeWidget(QWidget* parent, DWORD style) : QTreeView(parent), Impl_(new Impl(this, style)) {}

TTreeWidget::~TTreeWidget()
{
    delete Impl_;
}

bool TTreeWidget::Handle(HWND window, TMessage& message)
{
    return Impl_->Handle(window, message);
}

TTreeWidget::Impl::Impl(TTreeWidget* tree, DWORD style) : Tree(tree), InitialStyle_(style)
{
    Model_ = new Model(this);
    Measure_ = CreateCompatibleDC(nullptr);
    tree->setModel(Model_);
    tree->setItemDelegate(new Delegate(this));
    tree->setHeaderHidden(true);
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionResizeMode(QHeaderView::Fixed);
    tree->setUniformRowHeights(true);
    tree->setAnimated(false);
    tree->setAutoScroll(false);
    tree->setSelectionMode(QAbstractItemView::NoSelection);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setExpandsOnDoubleClick(false);
    tree->setDragEnabled(false);
    tree->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    tree->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    tree->setContextMenuPolicy(Qt::NoContextMenu);
    tree->setIndentation(Indent_);
    tree->viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    tree->viewport()->setMouseTracking(true);
    tree->viewport()->setContextMenuPolicy(Qt::NoContextMenu);
    tree->viewport()->installEventFilter(this);
    tree->verticalScrollBar()->installEventFilter(this);
    tree->horizontalScrollBar()->installEventFilter(this);
    SyncStyle();
}

TTreeWidget::Impl::~Impl()
{
    *Alive_ = false;
    Edit_.reset();
    Retired_.clear();
    // Qt's view lets go of the model and the delegate before the items go.
    Tree->setItemDelegate(nullptr);
    Tree->setModel(nullptr);
    std::vector<Item*> stack(Root_.Children.begin(), Root_.Children.end());
    while (!stack.empty()) {
        Item* item = stack.back();
        stack.pop_back();
        stack.insert(stack.end(), item->Children.begin(), item->Children.end());
        delete item;
    }
    if (BoldFont_)
        DeleteObject(BoldFont_);
    DeleteDC(Measure_);
}

DWORD TTreeWidget::Impl::Style() const
{
    return Window_ && IsWindow(Window_) ? static_cast<DWORD>(GetWindowLongPtrA(Window_, GWL_STYLE))
                                        : InitialStyle_;
}

// What Qt keeps of the styles follows the window's, read when they change.
void TTreeWidget::Impl::SyncStyle()
{
    const DWORD style = Style();
    if (style == SyncedStyle_)
        return;
    SyncedStyle_ = style;
    Tree->setRootIsDecorated((style & TVS_LINESATROOT) != 0);
    Tree->setVerticalScrollBarPolicy((style & TVS_NOSCROLL) ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    Tree->setHorizontalScrollBarPolicy((style & (TVS_NOSCROLL | TVS_NOHSCROLL)) ? Qt::ScrollBarAlwaysOff
                                                                                : Qt::ScrollBarAsNeeded);
    CachedHeight_ = -1;
    Tree->viewport()->update();
}

// ---- items ----

Item* TTreeWidget::Impl::ItemOf(LPARAM handle) const
{
    auto* item = reinterpret_cast<Item*>(handle);
    return IsItem(item) && !item->Deleting ? item : nullptr;
}

// The parent a record names: TVI_ROOT and 0 are the top level.
Item* TTreeWidget::Impl::ParentArg(HTREEITEM handle)
{
    if (!handle || handle == TVI_ROOT)
        return &Root_;
    return ItemOf(reinterpret_cast<LPARAM>(handle));
}

int TTreeWidget::Impl::RowOf(Item* item) const
{
    Item* parent = item->Parent;
    if (parent->RowsDirty) {
        for (std::size_t i = 0; i < parent->Children.size(); ++i)
            parent->Children[i]->Row = static_cast<int>(i);
        parent->RowBase = 0;
        parent->RowsDirty = false;
    }
    return item->Row - parent->RowBase;
}

QModelIndex TTreeWidget::Impl::IndexOf(Item* item) const
{
    if (!item || item == &Root_)
        return {};
    return Model_->Make(RowOf(item), item);
}

LRESULT TTreeWidget::Impl::InsertItem(const TVINSERTSTRUCTA* insert)
{
    if (!insert)
        return 0;
    Item* parent = ParentArg(insert->hParent);
    if (!parent)
        return 0;
    const TVITEMA& record = insert->item;
    auto item = std::make_unique<Item>();
    item->Parent = parent;
    if (record.mask & TVIF_TEXT) {
        if (record.pszText == LPSTR_TEXTCALLBACKA)
            item->TextCallback = true;
        else if (record.pszText)
            item->Text = record.pszText;
    }
    if (record.mask & TVIF_IMAGE)
        item->Image = record.iImage;
    if (record.mask & TVIF_SELECTEDIMAGE)
        item->SelectedImage = record.iSelectedImage;
    if (record.mask & TVIF_PARAM)
        item->Param = record.lParam;
    if (record.mask & TVIF_STATE)
        item->State = record.state & record.stateMask & ~(TVIS_SELECTED | TVIS_FOCUSED | TVIS_DROPHILITED);
    if (record.mask & TVIF_CHILDREN)
        item->ChildrenFlag = record.cChildren == I_CHILDRENCALLBACK ? -1 : (record.cChildren ? 1 : 0);

    // Where among the siblings.
    auto& siblings = parent->Children;
    std::size_t at = siblings.size();
    const HTREEITEM after = insert->hInsertAfter;
    if (after == TVI_FIRST) {
        at = 0;
    } else if (after == TVI_SORT) {
        // Before the first sibling whose text sorts after it.
        const QString text = QString::fromStdU16String(win32::BytesToWide(item->Text));
        at = 0;
        while (at < siblings.size() && QString::fromStdU16String(win32::BytesToWide(siblings[at]->Text))
                                               .compare(text, Qt::CaseInsensitive) <= 0)
            ++at;
    } else if (after != TVI_LAST && after) {
        Item* sibling = ItemOf(reinterpret_cast<LPARAM>(after));
        if (sibling && sibling->Parent == parent)
            at = static_cast<std::size_t>(RowOf(sibling)) + 1;
    }
    Item* raw = item.release();
    Live_.insert(raw);
    ++Count_;
    Model_->BeginInsert(IndexOf(parent), static_cast<int>(at));
    if (at == 0 && !siblings.empty() && !parent->RowsDirty)
        raw->Row = --parent->RowBase;
    else if (at == siblings.size())
        raw->Row = parent->RowBase + static_cast<int>(at);
    else
        parent->RowsDirty = true;
    siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(at), raw);
    // A parent with a child has its button from now on, until told otherwise.
    if (parent != &Root_ && parent->ChildrenFlag == 0)
        parent->ChildrenFlag = 1;
    Model_->EndInsert();
    // The parent's button may change: the view repaints once the layout
    // is done (asking for the parent's row now would lay out every row).
    if (Redraw_)
        Tree->viewport()->update();
    return reinterpret_cast<LRESULT>(raw);
}

// The item and everything below it go: the caret moves off them first,
// then the parent hears of each (children before their parent), then they
// leave the view and are freed.
void TTreeWidget::Impl::DeleteItem(Item* item, bool all)
{
    if (item->Deleting)
        return;
    auto alive = Alive_;
    std::vector<Item*> doomed;
    // Post-order: children before their parent.
    std::function<void(Item*)> collect = [&](Item* node) {
        for (Item* child : node->Children)
            collect(child);
        doomed.push_back(node);
    };
    collect(item);
    const auto inside = [&](const Item* node) {
        for (; node && node != &Root_; node = node->Parent)
            if (node == item)
                return true;
        return false;
    };
    if (Editing_ && inside(Editing_))
        EndEdit(true);
    if (!*alive || !IsItem(item) || item->Deleting)
        return;
    if (Caret_ && inside(Caret_) && all) {
        Caret_->State &= ~(TVIS_SELECTED | TVIS_FOCUSED);
        Caret_ = nullptr;
    }
    if (Caret_ && inside(Caret_)) {
        // The next sibling, else the one before, else the parent.
        const auto& siblings = item->Parent->Children;
        const auto at = static_cast<std::size_t>(RowOf(item));
        Item* next = at + 1 < siblings.size() ? siblings[at + 1]
                     : at > 0                 ? siblings[at - 1]
                     : item->Parent != &Root_ ? item->Parent
                                              : nullptr;
        SelectCaret(next, TVC_UNKNOWN, false);
        if (!*alive || !IsItem(item) || item->Deleting)
            return;
        if (Caret_ && inside(Caret_)) {
            Caret_->State &= ~(TVIS_SELECTED | TVIS_FOCUSED);
            Caret_ = nullptr;
        }
    }
    for (Item* node : doomed)
        node->Deleting = true;
    for (Item* node : doomed) {
        if (Drop_ == node)
            Drop_ = nullptr;
        if (Hot_ == node)
            Hot_ = nullptr;
        if (!NotifyTree(TVN_DELETEITEMA, 0, node, nullptr, {0, 0}, nullptr))
            return;
    }
    Item* parent = item->Parent;
    const int row = RowOf(item);
    // While the window is not redrawn, an open parent losing children is
    // closed in the view until the redraw comes back: the view would move
    // all its rows for each child taken from the front.
    if (!Redraw_ && parent != &Root_ && parent->Children.size() > kCloseForDeletions &&
        std::find(Reopen_.begin(), Reopen_.end(), parent) == Reopen_.end() &&
        Tree->isExpanded(IndexOf(parent))) {
        Tree->collapse(IndexOf(parent));
        Reopen_.push_back(parent);
    }
    Model_->BeginRemove(IndexOf(parent), row);
    parent->Children.erase(parent->Children.begin() + row);
    if (row == 0)
        ++parent->RowBase;
    else if (row != static_cast<int>(parent->Children.size()))
        parent->RowsDirty = true;
    Model_->EndRemove();
    for (Item* node : doomed) {
        Live_.erase(node);
        --Count_;
        delete node;
    }
    // The parent's button may change: the view repaints once the layout
    // is done (asking for the parent's row now would lay out every row).
    if (Redraw_)
        Tree->viewport()->update();
}

void TTreeWidget::Impl::DeleteAll()
{
    auto alive = Alive_;
    while (*alive && !Root_.Children.empty() && !Root_.Children.front()->Deleting)
        DeleteItem(Root_.Children.front(), true);
}

void TTreeWidget::Impl::DeleteChildren(Item* item)
{
    auto alive = Alive_;
    while (*alive && IsItem(item) && !item->Children.empty()) {
        Item* child = item->Children.front();
        if (child->Deleting)
            break;
        DeleteItem(child);
    }
}

void TTreeWidget::Impl::Fill(TVITEMA& record, const Item* item, UINT mask) const
{
    record.mask = mask | TVIF_HANDLE;
    record.hItem = HandleOf(item);
    record.state = item->State;
    record.stateMask = ~0u;
    record.lParam = item->Param;
    record.iImage = item->Image;
    record.iSelectedImage = item->SelectedImage;
    record.cChildren = item->ChildrenFlag < 0 ? I_CHILDRENCALLBACK
                                              : (item->ChildrenFlag > 0 || !item->Children.empty() ? 1 : 0);
}

BOOL TTreeWidget::Impl::GetItem(TVITEMA& record)
{
    Item* item = ItemOf(reinterpret_cast<LPARAM>(record.hItem));
    if (!item)
        return FALSE;
    if (record.mask & TVIF_TEXT) {
        if (item->TextCallback) {
            record.pszText = LPSTR_TEXTCALLBACKA;
        } else if (record.pszText && record.cchTextMax > 0) {
            const auto n = std::min(item->Text.size(), static_cast<std::size_t>(record.cchTextMax - 1));
            std::memcpy(record.pszText, item->Text.data(), n);
            record.pszText[n] = '\0';
        }
    }
    if (record.mask & TVIF_IMAGE)
        record.iImage = item->Image;
    if (record.mask & TVIF_SELECTEDIMAGE)
        record.iSelectedImage = item->SelectedImage;
    if (record.mask & TVIF_PARAM)
        record.lParam = item->Param;
    if (record.mask & TVIF_STATE)
        record.state = item->State & record.stateMask;
    if (record.mask & TVIF_CHILDREN)
        record.cChildren = item->ChildrenFlag < 0
                               ? I_CHILDRENCALLBACK
                               : (item->ChildrenFlag > 0 || !item->Children.empty() ? 1 : 0);
    return TRUE;
}

void TTreeWidget::Impl::SetItem(Item* item, const TVITEMA& record)
{
    if (record.mask & TVIF_TEXT) {
        item->TextCallback = record.pszText == LPSTR_TEXTCALLBACKA;
        item->Text = item->TextCallback || !record.pszText ? std::string() : std::string(record.pszText);
        item->LabelWidth = -1;
    }
    if (record.mask & TVIF_IMAGE)
        item->Image = record.iImage;
    if (record.mask & TVIF_SELECTEDIMAGE)
        item->SelectedImage = record.iSelectedImage;
    if (record.mask & TVIF_PARAM)
        item->Param = record.lParam;
    if (record.mask & TVIF_CHILDREN)
        item->ChildrenFlag = record.cChildren == I_CHILDRENCALLBACK ? -1 : (record.cChildren ? 1 : 0);
    if (record.mask & TVIF_STATE) {
        // Selection and the drop highlight are the window's to keep; the
        // expanded bit opens or closes the item without telling.
        const UINT kept = TVIS_SELECTED | TVIS_FOCUSED | TVIS_DROPHILITED;
        const UINT mask = record.stateMask & ~kept;
        const UINT before = item->State;
        item->State = (item->State & ~mask) | (record.state & mask);
        if ((before ^ item->State) & TVIS_BOLD)
            item->LabelWidth = -1;
        if ((before ^ item->State) & TVIS_EXPANDED) {
            if (item->State & TVIS_EXPANDED)
                Tree->expand(IndexOf(item));
            else
                Tree->collapse(IndexOf(item));
        }
    }
    RepaintItem(item);
}

bool TTreeWidget::Impl::HasButton(Item* item)
{
    if (item->ChildrenFlag > 0 || !item->Children.empty())
        return true;
    if (item->ChildrenFlag < 0) {
        Display shown;
        return Resolve(item, TVIF_CHILDREN, shown) && shown.Children != 0;
    }
    return false;
}

bool TTreeWidget::Impl::Shown(const Item* item) const
{
    for (const Item* p = item->Parent; p && p != &Root_; p = p->Parent)
        if (!(p->State & TVIS_EXPANDED))
            return false;
    return true;
}

int TTreeWidget::Impl::Level(const Item* item) const
{
    int level = 0;
    for (const Item* p = item->Parent; p && p != &Root_; p = p->Parent)
        ++level;
    return level;
}

Item* TTreeWidget::Impl::NextVisible(Item* item) const
{
    if ((item->State & TVIS_EXPANDED) && !item->Children.empty())
        return item->Children.front();
    for (; item && item != &Root_; item = item->Parent) {
        const auto& siblings = item->Parent->Children;
        const auto at = static_cast<std::size_t>(RowOf(item));
        if (at + 1 < siblings.size())
            return siblings[at + 1];
    }
    return nullptr;
}

Item* TTreeWidget::Impl::PrevVisible(Item* item) const
{
    const auto at = static_cast<std::size_t>(RowOf(item));
    if (at == 0)
        return item->Parent == &Root_ ? nullptr : item->Parent;
    Item* prev = item->Parent->Children[at - 1];
    while ((prev->State & TVIS_EXPANDED) && !prev->Children.empty())
        prev = prev->Children.back();
    return prev;
}

Item* TTreeWidget::Impl::LastVisible() const
{
    if (Root_.Children.empty())
        return nullptr;
    Item* last = Root_.Children.back();
    while ((last->State & TVIS_EXPANDED) && !last->Children.empty())
        last = last->Children.back();
    return last;
}

Item* TTreeWidget::Impl::TopItem() const
{
    const QModelIndex top =
        Tree->indexAt(QPoint(std::max(0, ColumnWidth_ / 2 - Tree->horizontalOffset()), 0));
    if (top.isValid())
        return static_cast<Item*>(top.internalPointer());
    return Root_.Children.empty() ? nullptr : Root_.Children.front();
}

HTREEITEM TTreeWidget::Impl::NextItem(UINT code, Item* item) const
{
    switch (code) {
    case TVGN_ROOT:
        return Root_.Children.empty() ? nullptr : HandleOf(Root_.Children.front());
    case TVGN_CARET:
        return HandleOf(Caret_);
    case TVGN_DROPHILITE:
        return HandleOf(Drop_);
    case TVGN_FIRSTVISIBLE:
        return HandleOf(TopItem());
    case TVGN_LASTVISIBLE:
        return HandleOf(LastVisible());
    default:
        break;
    }
    if (!item)
        return nullptr;
    const auto& siblings = item->Parent->Children;
    const auto at = static_cast<std::size_t>(RowOf(item));
    switch (code) {
    case TVGN_NEXT:
        return at + 1 < siblings.size() ? HandleOf(siblings[at + 1]) : nullptr;
    case TVGN_PREVIOUS:
        return at > 0 ? HandleOf(siblings[at - 1]) : nullptr;
    case TVGN_PARENT:
        return item->Parent == &Root_ ? nullptr : HandleOf(item->Parent);
    case TVGN_CHILD:
        return item->Children.empty() ? nullptr : HandleOf(item->Children.front());
    case TVGN_NEXTVISIBLE:
        return Shown(item) ? HandleOf(NextVisible(item)) : nullptr;
    case TVGN_PREVIOUSVISIBLE:
        return Shown(item) ? HandleOf(PrevVisible(item)) : nullptr;
    default:
        return nullptr;
    }
}

// A stable sort of the children (of all levels below with recurse).
bool TTreeWidget::Impl::SortChildren(Item* parent,
                                     const std::function<int(const Item*, const Item*)>& compare,
                                     bool recurse)
{
    Model_->BeginLayout();
    std::vector<Item*> parents{parent};
    for (std::size_t i = 0; i < parents.size(); ++i) {
        Item* p = parents[i];
        // A compare that is no consistent order may give any order, but
        // never takes the sort outside the children.
        SafeSort(p->Children.data(), p->Children.size(), compare);
        p->RowsDirty = true;
        if (recurse)
            parents.insert(parents.end(), p->Children.begin(), p->Children.end());
    }
    Model_->EndLayout();
    Tree->viewport()->update();
    return true;
}

// ---- notifications ----

bool TTreeWidget::Impl::Notify(NMHDR& header, UINT code, LRESULT* result)
{
    return itemwindow::Notify(Window_, Alive_, header, code, result);
}

bool TTreeWidget::Impl::NotifyTree(UINT code, UINT action, Item* oldItem, Item* newItem, POINT point,
                                   LRESULT* result)
{
    NMTREEVIEWA record{};
    record.action = action;
    if (oldItem)
        Fill(record.itemOld, oldItem, TVIF_STATE | TVIF_PARAM);
    if (newItem)
        Fill(record.itemNew, newItem, TVIF_STATE | TVIF_PARAM);
    record.ptDrag = point;
    return Notify(record.hdr, code, result);
}

bool TTreeWidget::Impl::Resolve(Item* item, UINT mask, Display& shown)
{
    shown.Text = item->Text;
    shown.Image = item->Image;
    shown.SelectedImage = item->SelectedImage;
    shown.Children = item->ChildrenFlag;
    UINT ask = 0;
    if ((mask & TVIF_TEXT) && item->TextCallback)
        ask |= TVIF_TEXT;
    if ((mask & TVIF_IMAGE) && item->Image == I_IMAGECALLBACK)
        ask |= TVIF_IMAGE;
    if ((mask & TVIF_SELECTEDIMAGE) && item->SelectedImage == I_IMAGECALLBACK)
        ask |= TVIF_SELECTEDIMAGE;
    if ((mask & TVIF_CHILDREN) && item->ChildrenFlag < 0)
        ask |= TVIF_CHILDREN;
    if (!ask)
        return true;
    NMTVDISPINFOA record{};
    Fill(record.item, item, ask | TVIF_STATE | TVIF_PARAM);
    char buffer[kTextBuffer] = {};
    if (ask & TVIF_TEXT) {
        record.item.pszText = buffer;
        record.item.cchTextMax = kTextBuffer;
    }
    if (!Notify(record.hdr, TVN_GETDISPINFOA) || !IsItem(item))
        return false;
    const TVITEMA& answer = record.item;
    const bool keep = (answer.mask & TVIF_DI_SETITEM) != 0;
    if (ask & TVIF_TEXT) {
        // The answer is the buffer or a text of the parent's own.
        if (answer.pszText && answer.pszText != LPSTR_TEXTCALLBACKA) {
            if (answer.pszText == buffer)
                buffer[kTextBuffer - 1] = '\0';
            shown.Text = answer.pszText;
        } else {
            shown.Text.clear();
        }
        if (keep) {
            item->Text = shown.Text;
            item->TextCallback = false;
        }
    }
    if (ask & TVIF_IMAGE) {
        shown.Image = answer.iImage;
        if (keep)
            item->Image = answer.iImage;
    }
    if (ask & TVIF_SELECTEDIMAGE) {
        shown.SelectedImage = answer.iSelectedImage;
        if (keep)
            item->SelectedImage = answer.iSelectedImage;
    }
    if (ask & TVIF_CHILDREN) {
        shown.Children = answer.cChildren;
        if (keep)
            item->ChildrenFlag = answer.cChildren ? 1 : 0;
    }
    return true;
}

// ---- state ----

BOOL TTreeWidget::Impl::Expand(Item* item, UINT action)
{
    auto alive = Alive_;
    const bool expanded = (item->State & TVIS_EXPANDED) != 0;
    UINT code = action & TVE_TOGGLE;
    if (code == TVE_TOGGLE)
        code = expanded ? TVE_COLLAPSE : TVE_EXPAND;
    if (code == TVE_EXPAND) {
        if (expanded)
            return TRUE;
        if (!HasButton(item) || !*alive || !IsItem(item))
            return FALSE;
    } else if (code == TVE_COLLAPSE) {
        if (!expanded) {
            if (action & TVE_COLLAPSERESET) {
                DeleteChildren(item);
                if (*alive && IsItem(item))
                    item->State &= ~TVIS_EXPANDEDONCE;
            }
            return TRUE;
        }
    } else {
        return FALSE;
    }
    LRESULT refused = 0;
    if (!NotifyTree(TVN_ITEMEXPANDINGA, code, nullptr, item, {0, 0}, &refused) || !IsItem(item))
        return FALSE;
    if (refused)
        return FALSE;
    if (code == TVE_EXPAND) {
        // Children added while the parent heard of it show now.
        if (item->Children.empty()) {
            RepaintItem(item);
            return FALSE;
        }
        item->State |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
        Tree->expand(IndexOf(item));
    } else {
        item->State &= ~TVIS_EXPANDED;
        Tree->collapse(IndexOf(item));
        // The caret does not stay hidden inside.
        for (const Item* p = Caret_ ? Caret_->Parent : nullptr; p && p != &Root_; p = p->Parent)
            if (p == item) {
                SelectCaret(item, TVC_UNKNOWN, false);
                if (!*alive || !IsItem(item))
                    return FALSE;
                break;
            }
        if (action & TVE_COLLAPSERESET) {
            DeleteChildren(item);
            if (!*alive || !IsItem(item))
                return FALSE;
            item->State &= ~TVIS_EXPANDEDONCE;
        }
    }
    RepaintItem(item);
    NotifyTree(TVN_ITEMEXPANDEDA, code, nullptr, item, {0, 0}, nullptr);
    return TRUE;
}

BOOL TTreeWidget::Impl::SelectCaret(Item* item, UINT action, bool mayRefuse)
{
    auto alive = Alive_;
    if (item == Caret_) {
        if (item)
            EnsureVisible(item);
        return TRUE;
    }
    Item* old = Caret_;
    LRESULT refused = 0;
    if (!NotifyTree(TVN_SELCHANGINGA, action, old, item, {0, 0}, &refused))
        return FALSE;
    if (refused && mayRefuse)
        return FALSE;
    if (item && !IsItem(item))
        return FALSE;
    if (old && !IsItem(old))
        old = nullptr;
    if (Caret_ && IsItem(Caret_)) {
        Caret_->State &= ~(TVIS_SELECTED | TVIS_FOCUSED);
        RepaintItem(Caret_);
    }
    Caret_ = item;
    if (item) {
        item->State |= TVIS_SELECTED | TVIS_FOCUSED;
        if (!EnsureVisible(item) || !*alive)
            return *alive ? TRUE : FALSE;
        if (!IsItem(item))
            return FALSE;
        RepaintItem(item);
    }
    NotifyTree(TVN_SELCHANGEDA, action, old, item, {0, 0}, nullptr);
    return TRUE;
}

void TTreeWidget::Impl::SetDropHilite(Item* item)
{
    if (item == Drop_)
        return;
    if (Drop_) {
        Drop_->State &= ~TVIS_DROPHILITED;
        RepaintItem(Drop_);
    }
    Drop_ = item;
    if (item) {
        item->State |= TVIS_DROPHILITED;
        RepaintItem(item);
    }
    // The caret is shown plain while another item is the drop target.
    if (Caret_)
        RepaintItem(Caret_);
}

// The parents open (each as any expansion, which they may refuse) and the
// item scrolled into the client area.
BOOL TTreeWidget::Impl::EnsureVisible(Item* item)
{
    auto alive = Alive_;
    std::vector<Item*> closed;
    for (Item* p = item->Parent; p && p != &Root_; p = p->Parent)
        if (!(p->State & TVIS_EXPANDED))
            closed.push_back(p);
    for (auto it = closed.rbegin(); it != closed.rend(); ++it) {
        if (!Expand(*it, TVE_EXPAND) || !*alive || !IsItem(item))
            return FALSE;
    }
    if (!Shown(item))
        return FALSE;
    Tree->scrollTo(IndexOf(item), QAbstractItemView::EnsureVisible);
    return TRUE;
}

void TTreeWidget::Impl::ScrollToTop(Item* item)
{
    if (!Shown(item))
        return;
    Tree->scrollTo(IndexOf(item), QAbstractItemView::PositionAtTop);
}

void TTreeWidget::Impl::RepaintItem(const Item* item)
{
    if (!Redraw_ || !item || item == &Root_ || !Shown(item))
        return;
    const QRect row = RowRect(item);
    if (row.isValid())
        Tree->viewport()->update(row);
}

void TTreeWidget::Impl::Relayout()
{
    CachedHeight_ = -1;
    CachedTextHeight_ = -1;
    for (const Item* item : Live_)
        const_cast<Item*>(item)->LabelWidth = -1;
    Tree->doItemsLayout();
    Tree->viewport()->update();
}

// ---- geometry ----

int TTreeWidget::Impl::TextHeight()
{
    if (CachedTextHeight_ < 0)
        CachedTextHeight_ = itemwindow::TextHeight(Measure_, ControlFont());
    return CachedTextHeight_;
}

int TTreeWidget::Impl::RowHeight()
{
    if (ItemHeight_ > 0)
        return ItemHeight_;
    if (CachedHeight_ < 0) {
        int height = TextHeight() + 3;
        int cx = 0, cy = 0;
        if (Images_ && ImageList_GetIconSize(Images_, &cx, &cy))
            height = std::max(height, cy + 1);
        if (StateImages_ && ImageList_GetIconSize(StateImages_, &cx, &cy))
            height = std::max(height, cy + 1);
        if (!(Style() & TVS_NONEVENHEIGHT) && (height & 1))
            ++height;
        CachedHeight_ = height;
    }
    return CachedHeight_;
}

int TTreeWidget::Impl::ContentLeft(const Item* item) const
{
    const int steps = Level(item) + ((Style() & TVS_LINESATROOT) ? 1 : 0);
    return steps * Indent_ - Tree->horizontalOffset();
}

int TTreeWidget::Impl::StateWidth(const Item* item) const
{
    int cx = 0, cy = 0;
    if (!StateImages_ || !(item->State & TVIS_STATEIMAGEMASK) ||
        !ImageList_GetIconSize(StateImages_, &cx, &cy))
        return 0;
    return cx;
}

int TTreeWidget::Impl::ImageWidth() const
{
    int cx = 0, cy = 0;
    if (!Images_ || !ImageList_GetIconSize(Images_, &cx, &cy))
        return 0;
    return cx + kImageGap;
}

// The label's width in the font it is drawn in (measured once, then as
// painted).
int TTreeWidget::Impl::LabelWidth(Item* item)
{
    if (item->LabelWidth < 0) {
        Display shown;
        if (!Resolve(item, TVIF_TEXT, shown))
            return 0;
        const HGDIOBJ before = SelectObject(Measure_, (item->State & TVIS_BOLD) ? BoldFont() : ControlFont());
        SIZE size{0, 0};
        GetTextExtentPoint32A(Measure_, shown.Text.data(), static_cast<int>(shown.Text.size()), &size);
        SelectObject(Measure_, before);
        const int width = size.cx + 2 * kLabelPadding;
        if (item->TextCallback)
            return width;
        item->LabelWidth = width;
    }
    return item->LabelWidth;
}

// The row's rectangle across the client area; invalid for an item not shown.
QRect TTreeWidget::Impl::RowRect(const Item* item) const
{
    if (!Shown(item))
        return {};
    const QRect cell = Tree->visualRect(IndexOf(const_cast<Item*>(item)));
    if (!cell.isValid())
        return {};
    return {0, cell.top(), std::max(1, Tree->viewport()->width()), cell.height()};
}

bool TTreeWidget::Impl::ItemRect(Item* item, bool textOnly, RECT& rect)
{
    const QRect row = RowRect(item);
    if (!row.isValid())
        return false;
    if (!textOnly) {
        rect = {row.left(), row.top(), row.right() + 1, row.bottom() + 1};
        return true;
    }
    const int left = ContentLeft(item) + StateWidth(item) + ImageWidth();
    const int width = LabelWidth(item);
    rect = {left, row.top(), left + width, row.bottom() + 1};
    return true;
}

Item* TTreeWidget::Impl::HitTest(POINT point, UINT& flags)
{
    flags = 0;
    const QRect client = Tree->viewport()->rect();
    if (point.x < 0)
        flags |= TVHT_TOLEFT;
    else if (point.x >= client.width())
        flags |= TVHT_TORIGHT;
    if (point.y < 0)
        flags |= TVHT_ABOVE;
    else if (point.y >= client.height())
        flags |= TVHT_BELOW;
    if (flags)
        return nullptr;
    const QModelIndex index =
        Tree->indexAt(QPoint(std::max(0, ColumnWidth_ / 2 - Tree->horizontalOffset()), point.y));
    auto* item = index.isValid() ? static_cast<Item*>(index.internalPointer()) : nullptr;
    if (!item || !IsItem(item)) {
        flags = TVHT_NOWHERE;
        return nullptr;
    }
    const int content = ContentLeft(item);
    const int state = content + StateWidth(item);
    const int image = state + ImageWidth();
    if (point.x < content - Indent_)
        flags = TVHT_ONITEMINDENT;
    else if (point.x < content)
        flags =
            (Style() & TVS_HASBUTTONS) && (Level(item) > 0 || (Style() & TVS_LINESATROOT)) && HasButton(item)
                ? TVHT_ONITEMBUTTON
                : TVHT_ONITEMINDENT;
    else if (point.x < state)
        flags = TVHT_ONITEMSTATEICON;
    else if (point.x < image)
        flags = TVHT_ONITEMICON;
    else if (point.x < image + LabelWidth(item))
        flags = TVHT_ONITEMLABEL;
    else
        flags = TVHT_ONITEMRIGHT;
    return IsItem(item) ? item : nullptr;
}

// The column grows to the widest row painted, so that it scrolls sideways.
void TTreeWidget::Impl::WidenColumn(int right)
{
    WantedWidth_ = std::max(WantedWidth_, right + Tree->horizontalOffset());
    if (WantedWidth_ <= ColumnWidth_ || WidenPending_)
        return;
    WidenPending_ = true;
    // Not inside the paint: the view lays itself out again.
    QTimer::singleShot(0, this, [this] {
        WidenPending_ = false;
        const int widest = std::max(WantedWidth_, Tree->viewport()->width());
        if (widest > ColumnWidth_) {
            ColumnWidth_ = widest;
            Tree->setColumnWidth(0, widest);
        }
    });
}

// ---- painting ----

HFONT TTreeWidget::Impl::ControlFont() const
{
    return Font_ ? Font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HFONT TTreeWidget::Impl::BoldFont()
{
    const HFONT base = ControlFont();
    if (BoldFont_ && BoldOf_ == base)
        return BoldFont_;
    if (BoldFont_)
        DeleteObject(BoldFont_);
    BoldFont_ = nullptr;
    LOGFONTA font{};
    if (GetObjectA(base, sizeof font, &font) == sizeof font) {
        font.lfWeight = FW_BOLD;
        BoldFont_ = CreateFontIndirectA(&font);
    }
    BoldOf_ = base;
    return BoldFont_ ? BoldFont_ : base;
}

COLORREF TTreeWidget::Impl::Background() const
{
    return Bk_ == CLR_NONE ? GetSysColor(COLOR_WINDOW) : Bk_;
}

COLORREF TTreeWidget::Impl::Foreground() const
{
    return Text_ == CLR_NONE ? GetSysColor(COLOR_WINDOWTEXT) : Text_;
}

void TTreeWidget::Impl::Paint(const QPaintEvent& event)
{
    auto alive = Alive_;
    QWidget* viewport = Tree->viewport();
    QPainter painter(viewport);
    const QRect clip = event.rect();
    painter.fillRect(clip, QColorOf(Background()));
    if (!Redraw_ || !IsWindow(Window_))
        return;
    const itemwindow::PainterDC context(painter, Window_);
    const HDC dc = context.Get();
    SelectObject(dc, ControlFont());
    const QRect client = viewport->rect();
    NMTVCUSTOMDRAW control{};
    control.nmcd.dwDrawStage = CDDS_PREPAINT;
    control.nmcd.hdc = dc;
    control.nmcd.rc = {client.left(), client.top(), client.right() + 1, client.bottom() + 1};
    LRESULT answer = 0;
    if (!Notify(control.nmcd.hdr, NM_CUSTOMDRAW, &answer))
        return;
    if (!(answer & CDRF_SKIPDEFAULT)) {
        // The rows in the paint's rectangle, their callbacks answered before
        // any is drawn (the parent may change the tree while it answers).
        std::vector<std::pair<Item*, int>> rows;
        const int height = RowHeight();
        QModelIndex index = Tree->indexAt(
            QPoint(std::max(0, ColumnWidth_ / 2 - Tree->horizontalOffset()), std::max(0, clip.top())));
        int top = index.isValid() ? Tree->visualRect(index).top() : 0;
        for (; index.isValid() && top <= clip.bottom(); index = Tree->indexBelow(index), top += height)
            rows.emplace_back(static_cast<Item*>(index.internalPointer()), top);
        for (const auto& [item, rowTop] : rows) {
            if (!IsItem(item))
                continue;
            SelectObject(dc, ControlFont());
            PaintItem(painter, dc, item, rowTop, (answer & CDRF_NOTIFYITEMDRAW) != 0,
                      (answer & CDRF_NOTIFYPOSTPAINT) != 0);
            if (!*alive)
                return;
        }
    }
    if (answer & CDRF_NOTIFYPOSTPAINT) {
        SelectObject(dc, ControlFont());
        control.nmcd.dwDrawStage = CDDS_POSTPAINT;
        Notify(control.nmcd.hdr, NM_CUSTOMDRAW);
    }
}

void TTreeWidget::Impl::PaintItem(QPainter& painter, HDC dc, Item* item, int top, bool itemNotify, bool)
{
    auto alive = Alive_;
    const DWORD style = Style();
    const QRect row(0, top, Tree->viewport()->width(), RowHeight());
    Display shown;
    // Images are asked for only where there is a list to draw them from.
    const UINT asked = TVIF_TEXT | TVIF_CHILDREN | (Images_ ? TVIF_IMAGE | TVIF_SELECTEDIMAGE : 0);
    if (!Resolve(item, asked, shown) || !IsItem(item))
        return;
    const bool focused = GetFocus() == Window_ || (Edit_ && GetFocus() == Edit_->Window);
    const bool caret = item == Caret_;
    const bool drop = item == Drop_;
    const bool selected = drop || (caret && !Drop_ && (focused || (style & TVS_SHOWSELALWAYS)));
    COLORREF text = Foreground();
    COLORREF back = Background();
    if (drop || (selected && focused)) {
        text = GetSysColor(COLOR_HIGHLIGHTTEXT);
        back = GetSysColor(COLOR_HIGHLIGHT);
    } else if (selected) {
        text = GetSysColor(COLOR_BTNTEXT);
        back = GetSysColor(COLOR_BTNFACE);
    } else if (item == Hot_ && (style & TVS_TRACKSELECT)) {
        text = GetSysColor(COLOR_HIGHLIGHT);
    }
    HFONT font = (item->State & TVIS_BOLD) ? BoldFont() : ControlFont();
    SelectObject(dc, font);

    NMTVCUSTOMDRAW record{};
    LRESULT answer = 0;
    if (itemNotify) {
        record.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        record.nmcd.hdc = dc;
        record.nmcd.rc = {row.left(), row.top(), row.right() + 1, row.bottom() + 1};
        record.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(item);
        record.nmcd.uItemState = (selected ? CDIS_SELECTED : 0) | (caret && focused ? CDIS_FOCUS : 0) |
                                 (item == Hot_ ? CDIS_HOT : 0);
        record.nmcd.lItemlParam = item->Param;
        record.clrText = text;
        record.clrTextBk = back;
        record.iLevel = Level(item);
        // The handler finds the item's own colours in the device context,
        // not those the item before it was drawn in.
        SetTextColor(dc, text);
        SetBkColor(dc, back);
        if (!Notify(record.nmcd.hdr, NM_CUSTOMDRAW, &answer) || !IsItem(item))
            return;
        if (answer & CDRF_SKIPDEFAULT)
            return;
        text = record.clrText;
        back = record.clrTextBk;
        if (answer & CDRF_NEWFONT)
            font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    }

    PaintLinesAndButton(painter, item, row);
    int x = ContentLeft(item);
    const int middle = row.top() + row.height() / 2;
    // The state image, then the image (the selected one for the caret).
    if (const int stateWidth = StateWidth(item)) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(StateImages_, &cx, &cy);
        ImageList_DrawEx(StateImages_, static_cast<int>((item->State & TVIS_STATEIMAGEMASK) >> 12), dc, x,
                         middle - cy / 2, 0, 0, CLR_DEFAULT, CLR_DEFAULT, ILD_NORMAL);
        x += stateWidth;
    }
    if (Images_) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(Images_, &cx, &cy);
        const int index = caret ? shown.SelectedImage : shown.Image;
        UINT flags = ILD_NORMAL | (item->State & TVIS_OVERLAYMASK);
        COLORREF blend = CLR_DEFAULT;
        if (item->State & TVIS_CUT) {
            flags |= ILD_BLEND50;
            blend = Background();
        } else if (drop) {
            flags |= ILD_SELECTED;
        }
        if (index >= 0)
            ImageList_DrawEx(Images_, index, dc, x, middle - cy / 2, 0, 0, CLR_DEFAULT, blend, flags);
        x += ImageWidth();
    }
    // The label in its colours.
    SelectObject(dc, font);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, shown.Text.data(), static_cast<int>(shown.Text.size()), &size);
    const int width = size.cx + 2 * kLabelPadding;
    if (!item->TextCallback)
        item->LabelWidth = font == ControlFont() || font == BoldFont_ ? width : item->LabelWidth;
    RECT label{x, row.top(), x + width, row.bottom() + 1};
    if ((style & TVS_FULLROWSELECT) && selected)
        label.right = row.right() + 1;
    if (back != Background() || selected) {
        const HBRUSH brush = CreateSolidBrush(back);
        FillRect(dc, &label, brush);
        DeleteObject(brush);
    }
    if (Editing_ != item) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, text);
        RECT textRect{label.left + kLabelPadding, label.top, label.right, label.bottom};
        DrawTextA(dc, shown.Text.data(), static_cast<int>(shown.Text.size()), &textRect,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (caret && focused && !Drop_)
            DrawFocusRect(dc, &label);
    }
    WidenColumn(x + width + kLabelPadding);
    // The font back for the next item.
    SelectObject(dc, ControlFont());

    if (itemNotify && (answer & CDRF_NOTIFYPOSTPAINT) && *alive && IsItem(item)) {
        record.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
        Notify(record.nmcd.hdr, NM_CUSTOMDRAW);
        if (*alive)
            SelectObject(dc, ControlFont());
    }
}

// The dotted lines that join an item to its parent and siblings, and its
// button.
void TTreeWidget::Impl::PaintLinesAndButton(QPainter& painter, Item* item, const QRect& row)
{
    const DWORD style = Style();
    const bool rootLines = (style & TVS_LINESATROOT) != 0;
    const int level = Level(item);
    if (level == 0 && !rootLines)
        return;
    const int centreX = ContentLeft(item) - Indent_ / 2;
    const int centreY = row.top() + row.height() / 2;
    painter.save();
    if (style & TVS_HASLINES) {
        QPen pen(QColorOf(GetSysColor(COLOR_GRAYTEXT)));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        const auto hasNext = [this](Item* node) {
            return static_cast<std::size_t>(RowOf(node)) + 1 < node->Parent->Children.size();
        };
        const bool first = item->Parent == &Root_ && RowOf(item) == 0;
        painter.drawLine(centreX, first ? centreY : row.top(), centreX,
                         hasNext(item) ? row.bottom() : centreY);
        painter.drawLine(centreX, centreY, centreX + Indent_ / 2, centreY);
        // The lines of the ancestors that have siblings below.
        int x = centreX;
        for (Item* p = item->Parent; p && p != &Root_; p = p->Parent) {
            x -= Indent_;
            if (p->Parent == &Root_ && !rootLines)
                break;
            if (hasNext(p))
                painter.drawLine(x, row.top(), x, row.bottom());
        }
    }
    if ((style & TVS_HASBUTTONS) && HasButton(item)) {
        const QRect box(centreX - kButtonSize / 2, centreY - kButtonSize / 2, kButtonSize - 1,
                        kButtonSize - 1);
        painter.setPen(QColorOf(GetSysColor(COLOR_GRAYTEXT)));
        painter.setBrush(QColorOf(Background()));
        painter.drawRect(box);
        painter.setPen(QColorOf(GetSysColor(COLOR_WINDOWTEXT)));
        painter.drawLine(box.left() + 2, centreY, box.right() - 2, centreY);
        if (!(item->State & TVIS_EXPANDED))
            painter.drawLine(centreX, box.top() + 2, centreX, box.bottom() - 2);
    }
    painter.restore();
}

// ---- input ----

void TTreeWidget::Impl::ButtonDown(UINT msg, POINT point)
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
    Item* item = HitTest(point, flags);
    if (item && (flags & TVHT_ONITEMBUTTON)) {
        Expand(item, TVE_TOGGLE);
        return;
    }
    const bool onItem = item && ((flags & TVHT_ONITEM) || ((Style() & TVS_FULLROWSELECT) &&
                                                           (flags & (TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT))));
    const bool wasCaret = item && item == Caret_;
    POINT screen = point;
    ClientToScreen(Window_, &screen);
    if (DragDetect(Window_, screen)) {
        if (*alive && onItem && IsItem(item) && !(Style() & TVS_DISABLEDRAGDROP))
            NotifyTree(msg == WM_LBUTTONDOWN ? TVN_BEGINDRAGA : TVN_BEGINRDRAGA, 0, nullptr, item, point,
                       nullptr);
        return;
    }
    if (!*alive)
        return;
    NMHDR header{};
    LRESULT answer = 0;
    if (!Notify(header, NM_CLICK, &answer) || answer)
        return;
    if (!onItem || !IsItem(item))
        return;
    Item* before = Caret_;
    if (!SelectCaret(item, TVC_BYMOUSE) || !*alive || !IsItem(item))
        return;
    if (Style() & TVS_SINGLEEXPAND) {
        // The branch left closes, the one chosen opens.
        if (before && IsItem(before) && before != item) {
            bool ancestor = false;
            for (const Item* p = item->Parent; p && p != &Root_; p = p->Parent)
                ancestor = ancestor || p == before;
            if (!ancestor && (before->State & TVIS_EXPANDED))
                Expand(before, TVE_COLLAPSE);
        }
        if (*alive && IsItem(item))
            Expand(item, TVE_TOGGLE);
        return;
    }
    // A second, slow click on the label of the selected item edits it.
    if (wasCaret && wasFocused && (flags & TVHT_ONITEMLABEL) && (Style() & TVS_EDITLABELS))
        SetTimer(Window_, kEditTimer,
                 static_cast<UINT>(QGuiApplication::styleHints()->mouseDoubleClickInterval()), nullptr);
}

void TTreeWidget::Impl::ButtonDoubleClick(POINT point)
{
    KillTimer(Window_, kEditTimer);
    UINT flags = 0;
    Item* item = HitTest(point, flags);
    if (item && (flags & TVHT_ONITEMBUTTON)) {
        Expand(item, TVE_TOGGLE);
        return;
    }
    NMHDR header{};
    LRESULT answer = 0;
    if (!Notify(header, NM_DBLCLK, &answer) || answer)
        return;
    if (item && IsItem(item) && (flags & TVHT_ONITEM))
        Expand(item, TVE_TOGGLE);
}

// The item under the press is the drop target while the parent hears of
// the click and, unless it took it, the window's context menu is asked for.
void TTreeWidget::Impl::RightClick(POINT point)
{
    auto alive = Alive_;
    KillTimer(Window_, kEditTimer);
    if (GetFocus() != Window_) {
        SetFocus(Window_);
        if (!*alive)
            return;
    }
    UINT flags = 0;
    Item* item = HitTest(point, flags);
    Item* previousDrop = Drop_;
    if (item && !(flags & (TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON)))
        SetDropHilite(item);
    else
        item = nullptr;
    Tree->viewport()->repaint();
    if (!*alive)
        return;
    POINT screen = point;
    ClientToScreen(Window_, &screen);
    const bool dragged = DragDetect(Window_, screen);
    if (!*alive)
        return;
    const auto restore = [&] {
        if (*alive && IsWindow(Window_))
            SetDropHilite(previousDrop && IsItem(previousDrop) ? previousDrop : nullptr);
    };
    if (dragged) {
        if (item && IsItem(item) && !(Style() & TVS_DISABLEDRAGDROP))
            NotifyTree(TVN_BEGINRDRAGA, 0, nullptr, item, point, nullptr);
        restore();
        return;
    }
    NMHDR header{};
    LRESULT answer = 0;
    if (!Notify(header, NM_RCLICK, &answer))
        return;
    if (answer == 0)
        SendMessageA(Window_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Window_),
                     MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
    restore();
}

void TTreeWidget::Impl::KeyDown(WORD key)
{
    auto alive = Alive_;
    NMTVKEYDOWN record{};
    record.wVKey = key;
    if (!Notify(record.hdr, TVN_KEYDOWN))
        return;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    Item* caret = Caret_ && IsItem(Caret_) ? Caret_ : nullptr;
    const int page = std::max(1, Tree->viewport()->height() / std::max(1, RowHeight()) - 1);
    const auto select = [&](Item* item) {
        if (item)
            SelectCaret(item, TVC_BYKEYBOARD);
    };
    // Ctrl with the moving keys scrolls and leaves the selection.
    struct CtrlScroll {
        WORD Key;
        bool Vertical;
        int Code;
    };
    static constexpr CtrlScroll scrolls[] = {{VK_UP, true, SB_LINEUP},      {VK_DOWN, true, SB_LINEDOWN},
                                             {VK_PRIOR, true, SB_PAGEUP},   {VK_NEXT, true, SB_PAGEDOWN},
                                             {VK_HOME, true, SB_TOP},       {VK_END, true, SB_BOTTOM},
                                             {VK_LEFT, false, SB_LINELEFT}, {VK_RIGHT, false, SB_LINERIGHT}};
    if (ctrl)
        for (const CtrlScroll& scroll : scrolls)
            if (scroll.Key == key)
                return Scroll(scroll.Vertical, scroll.Code, 0);
    if (!caret) {
        if (key == VK_UP || key == VK_DOWN || key == VK_HOME || key == VK_END || key == VK_PRIOR ||
            key == VK_NEXT)
            select(key == VK_END ? LastVisible() : Root_.Children.empty() ? nullptr : Root_.Children.front());
        return;
    }
    switch (key) {
    case VK_RETURN: {
        NMHDR header{};
        Notify(header, NM_RETURN);
        break;
    }
    case VK_UP:
        select(PrevVisible(caret));
        break;
    case VK_DOWN:
        select(NextVisible(caret));
        break;
    case VK_HOME:
        select(Root_.Children.empty() ? nullptr : Root_.Children.front());
        break;
    case VK_END:
        select(LastVisible());
        break;
    case VK_PRIOR:
    case VK_NEXT: {
        Item* to = caret;
        for (int i = 0; i < page; ++i) {
            Item* next = key == VK_PRIOR ? PrevVisible(to) : NextVisible(to);
            if (!next)
                break;
            to = next;
        }
        select(to);
        break;
    }
    case VK_LEFT:
        if (caret->State & TVIS_EXPANDED)
            Expand(caret, TVE_COLLAPSE);
        else if (caret->Parent != &Root_)
            select(caret->Parent);
        break;
    case VK_BACK:
        if (caret->Parent != &Root_)
            select(caret->Parent);
        break;
    case VK_RIGHT:
        if (!(caret->State & TVIS_EXPANDED)) {
            if (HasButton(caret))
                Expand(caret, TVE_EXPAND);
        } else if (!caret->Children.empty()) {
            select(caret->Children.front());
        }
        break;
    case VK_ADD:
        Expand(caret, TVE_EXPAND);
        break;
    case VK_SUBTRACT:
        Expand(caret, TVE_COLLAPSE);
        break;
    case VK_MULTIPLY: {
        // Everything below opens, each as its own expansion.
        std::vector<Item*> pending{caret};
        while (!pending.empty() && *alive) {
            Item* item = pending.back();
            pending.pop_back();
            if (!IsItem(item))
                continue;
            Expand(item, TVE_EXPAND);
            if (*alive && IsItem(item) && (item->State & TVIS_EXPANDED))
                pending.insert(pending.end(), item->Children.rbegin(), item->Children.rend());
        }
        break;
    }
    default:
        break;
    }
}

// Typing selects the next shown item whose label begins with what was
// typed; a pause starts the search afresh.
void TTreeWidget::Impl::Char(char16_t unit)
{
    if (unit < 0x20 || unit == 0x7F || QChar::isSurrogate(unit))
        return;
    if (!SearchClock_.isValid() || SearchClock_.elapsed() > kSearchPause)
        Search_.clear();
    SearchClock_.restart();
    const bool fresh = Search_.empty();
    Search_ += win32::WideToBytes(std::u16string_view(&unit, 1));
    const QString wanted = QString::fromStdU16String(win32::BytesToWide(Search_));
    Item* start =
        Caret_ && IsItem(Caret_) ? Caret_ : (Root_.Children.empty() ? nullptr : Root_.Children.front());
    if (!start)
        return;
    // A fresh search starts after the caret; one typed on includes it.
    Item* item = fresh && Caret_ ? NextVisible(start) : start;
    for (std::size_t guard = 0; guard <= Count_; ++guard) {
        if (!item)
            item = Root_.Children.front();
        Display shown;
        if (!Resolve(item, TVIF_TEXT, shown))
            return;
        if (QString::fromStdU16String(win32::BytesToWide(shown.Text))
                .startsWith(wanted, Qt::CaseInsensitive)) {
            SelectCaret(item, TVC_BYKEYBOARD);
            return;
        }
        if (item == start && guard > 0)
            break;
        item = NextVisible(item);
    }
}

void TTreeWidget::Impl::Scroll(bool vertical, int code, int thumb)
{
    QScrollBar* bar = vertical ? Tree->verticalScrollBar() : Tree->horizontalScrollBar();
    const int line = vertical ? 1 : std::max(1, TextHeight() / 2);
    itemwindow::ScrollAction(bar, code, thumb, line);
}

// The wheel scrolls the desktop's number of lines a notch, a part of a
// notch kept for the next.
void TTreeWidget::Impl::Wheel(int delta)
{
    const int notches = itemwindow::WheelNotches(WheelRest_, delta);
    const int lines = std::max(1, QApplication::wheelScrollLines());
    for (int i = 0; i < std::abs(notches) * lines; ++i)
        Scroll(true, notches > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
}

void TTreeWidget::Impl::MouseMove(POINT point)
{
    if (!(Style() & TVS_TRACKSELECT))
        return;
    UINT flags = 0;
    Item* item = HitTest(point, flags);
    if (!(flags & TVHT_ONITEM))
        item = nullptr;
    if (item == Hot_)
        return;
    Item* before = Hot_;
    Hot_ = item;
    RepaintItem(before);
    RepaintItem(item);
}

// ---- label editing ----

HWND TTreeWidget::Impl::BeginEdit(Item* item)
{
    auto alive = Alive_;
    if (Edit_)
        EndEdit(false);
    if (!*alive || !IsItem(item))
        return nullptr;
    if (!EnsureVisible(item) || !*alive || !IsItem(item))
        return nullptr;
    Display shown;
    if (!Resolve(item, TVIF_TEXT, shown) || !IsItem(item))
        return nullptr;
    NMTVDISPINFOA record{};
    Fill(record.item, item, TVIF_TEXT | TVIF_STATE | TVIF_PARAM);
    std::string text = shown.Text;
    record.item.pszText = text.data();
    record.item.cchTextMax = static_cast<int>(text.size() + 1);
    LRESULT refused = 0;
    if (!Notify(record.hdr, TVN_BEGINLABELEDITA, &refused) || refused || !IsItem(item) || Edit_)
        return nullptr;
    RECT label{};
    if (!ItemRect(item, true, label))
        return nullptr;
    const int width = std::max<int>(label.right - label.left + 24, 60);
    const QRect at(label.left, label.top,
                   std::min(width, std::max(60, Tree->viewport()->width() - label.left)),
                   label.bottom - label.top);
    Editing_ = item;
    Edit_ = std::make_unique<LabelEdit>(Tree->viewport(), Window_, shown.Text, at.adjusted(0, -1, 0, 1), this,
                                        [this](LabelEdit* edit, bool cancel) {
                                            if (Edit_.get() == edit)
                                                EndEdit(cancel);
                                        });
    if (!IsWindow(Edit_->Window)) {
        Edit_.reset();
        Editing_ = nullptr;
        return nullptr;
    }
    if (Font_)
        SendMessageA(Edit_->Window, WM_SETFONT, reinterpret_cast<WPARAM>(Font_), FALSE);
    if (Edit_->Widget) {
        if (const std::optional<QFont> font = win32::FontOf(ControlFont()))
            Edit_->Widget->setFont(*font);
        Edit_->Widget->show();
        Edit_->Widget->selectAll();
    }
    const HWND window = Edit_->Window;
    SetFocus(window);
    RepaintItem(item);
    return window;
}

// The parent hears the new text (none when cancelled); the item takes it
// when the parent answers TRUE.
void TTreeWidget::Impl::EndEdit(bool cancel)
{
    if (!Edit_)
        return;
    auto alive = Alive_;
    std::unique_ptr<LabelEdit> edit = std::move(Edit_);
    edit->Finished_ = true;
    Item* item = Editing_;
    Editing_ = nullptr;
    std::string text = edit->Text();
    const bool hadFocus = GetFocus() == edit->Window;
    if (edit->Widget)
        edit->Widget->hide();
    // The edit window may be inside one of its own messages: it goes later.
    Retired_.push_back(std::move(edit));
    QTimer::singleShot(0, this, [this] { Retired_.clear(); });
    if (hadFocus)
        SetFocus(Window_);
    if (!*alive || !IsItem(item))
        return;
    NMTVDISPINFOA record{};
    Fill(record.item, item, TVIF_TEXT | TVIF_STATE | TVIF_PARAM);
    record.item.pszText = cancel ? nullptr : text.data();
    record.item.cchTextMax = cancel ? 0 : static_cast<int>(text.size() + 1);
    LRESULT take = 0;
    if (!Notify(record.hdr, TVN_ENDLABELEDITA, &take) || !IsItem(item))
        return;
    if (take && !cancel) {
        item->Text = text;
        item->TextCallback = false;
        item->LabelWidth = -1;
    }
    RepaintItem(item);
}

// ---- the toolkit's events ----

bool TTreeWidget::Impl::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* viewport = Tree->viewport();
    const bool onViewport = watched == viewport;
    switch (event->type()) {
    case QEvent::Paint:
        if (!onViewport)
            return false;
        itemwindow::PaintViewport(Window_, Tree, viewport, event, PendingPaint_, Background(),
                                  [this](const QPaintEvent& paint) { Paint(paint); });
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        // The window's input: handed to the window as its own.
        return onViewport && itemwindow::ForwardInput(viewport, Tree, event);
    case QEvent::Wheel:
        return itemwindow::ForwardInput(static_cast<QWidget*>(watched), Tree, event);
    case QEvent::ContextMenu:
        return true;
    case QEvent::ToolTip: {
        if (!onViewport || (Style() & TVS_NOTOOLTIPS))
            return onViewport;
        // A label cut off by the client area's edge shows whole in a tip.
        const auto* help = static_cast<QHelpEvent*>(event);
        UINT flags = 0;
        Item* item = HitTest({help->pos().x(), help->pos().y()}, flags);
        RECT label{};
        Display shown;
        if (item && (flags & TVHT_ONITEMLABEL) && ItemRect(item, true, label) &&
            label.right > viewport->width() && Resolve(item, TVIF_TEXT, shown))
            QToolTip::showText(help->globalPos(), QString::fromStdU16String(win32::BytesToWide(shown.Text)),
                               viewport);
        else
            QToolTip::hideText();
        return true;
    }
    case QEvent::Resize:
        if (onViewport && viewport->width() > ColumnWidth_) {
            ColumnWidth_ = viewport->width();
            Tree->setColumnWidth(0, ColumnWidth_);
        }
        return false;
    default:
        return false;
    }
}

// ---- messages ----

bool TTreeWidget::Impl::Handle(HWND window, TMessage& message)
{
    Window_ = window;
    SyncStyle();
    auto arg = [this, &message] { return ItemOf(message.LParam); };
    switch (message.Msg) {
    case TVM_INSERTITEMA:
        message.Result = InsertItem(reinterpret_cast<const TVINSERTSTRUCTA*>(message.LParam));
        return true;
    case TVM_DELETEITEM: {
        const auto handle = reinterpret_cast<HTREEITEM>(message.LParam);
        message.Result = FALSE;
        if (!handle || handle == TVI_ROOT) {
            DeleteAll();
            message.Result = TRUE;
        } else if (Item* item = arg()) {
            DeleteItem(item);
            message.Result = TRUE;
        }
        return true;
    }
    case TVM_EXPAND: {
        Item* item = arg();
        message.Result = item ? Expand(item, static_cast<UINT>(message.WParam)) : FALSE;
        return true;
    }
    case TVM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(message.LParam);
        message.Result = FALSE;
        if (!rect)
            return true;
        HTREEITEM handle = nullptr;
        std::memcpy(&handle, rect, sizeof handle);
        if (Item* item = ItemOf(reinterpret_cast<LPARAM>(handle)))
            message.Result = ItemRect(item, message.WParam != 0, *rect) ? TRUE : FALSE;
        return true;
    }
    case TVM_GETCOUNT:
        message.Result = static_cast<LRESULT>(Count_);
        return true;
    case TVM_GETINDENT:
        message.Result = Indent_;
        return true;
    case TVM_SETINDENT:
        Indent_ = std::max(static_cast<int>(static_cast<std::int32_t>(message.WParam)), 0);
        Tree->setIndentation(Indent_);
        Tree->viewport()->update();
        return true;
    case TVM_GETIMAGELIST:
        message.Result = reinterpret_cast<LRESULT>(message.WParam == TVSIL_STATE ? StateImages_ : Images_);
        return true;
    case TVM_SETIMAGELIST: {
        auto list = reinterpret_cast<HIMAGELIST>(message.LParam);
        HIMAGELIST& slot = message.WParam == TVSIL_STATE ? StateImages_ : Images_;
        if (message.WParam != TVSIL_STATE && message.WParam != TVSIL_NORMAL) {
            message.Result = 0;
            return true;
        }
        message.Result = reinterpret_cast<LRESULT>(slot);
        slot = list;
        Relayout();
        return true;
    }
    case TVM_GETNEXTITEM: {
        const auto code = static_cast<UINT>(message.WParam);
        Item* item = arg();
        if (!item && message.LParam && code != TVGN_ROOT && code != TVGN_CARET && code != TVGN_DROPHILITE &&
            code != TVGN_FIRSTVISIBLE && code != TVGN_LASTVISIBLE) {
            message.Result = 0;
            return true;
        }
        message.Result = reinterpret_cast<LRESULT>(NextItem(code, item));
        return true;
    }
    case TVM_SELECTITEM: {
        Item* item = arg();
        message.Result = FALSE;
        if (message.LParam && !item)
            return true;
        switch (static_cast<UINT>(message.WParam)) {
        case TVGN_CARET:
            message.Result = SelectCaret(item, TVC_UNKNOWN);
            break;
        case TVGN_DROPHILITE:
            SetDropHilite(item);
            message.Result = TRUE;
            break;
        case TVGN_FIRSTVISIBLE:
            if (item && EnsureVisible(item) && IsItem(item)) {
                ScrollToTop(item);
                message.Result = TRUE;
            }
            break;
        default:
            break;
        }
        return true;
    }
    case TVM_GETITEMA: {
        auto* record = reinterpret_cast<TVITEMA*>(message.LParam);
        message.Result = record ? GetItem(*record) : FALSE;
        return true;
    }
    case TVM_SETITEMA: {
        const auto* record = reinterpret_cast<const TVITEMA*>(message.LParam);
        Item* item = record ? ItemOf(reinterpret_cast<LPARAM>(record->hItem)) : nullptr;
        message.Result = item ? TRUE : FALSE;
        if (item)
            SetItem(item, *record);
        return true;
    }
    case TVM_EDITLABELA: {
        Item* item = arg();
        message.Result = reinterpret_cast<LRESULT>(item ? BeginEdit(item) : nullptr);
        return true;
    }
    case TVM_GETEDITCONTROL:
        message.Result = reinterpret_cast<LRESULT>(Edit_ ? Edit_->Window : nullptr);
        return true;
    case TVM_ENDEDITLABELNOW:
        message.Result = Edit_ ? TRUE : FALSE;
        EndEdit(message.WParam != 0);
        return true;
    case TVM_GETVISIBLECOUNT:
        message.Result = Tree->viewport()->height() / std::max(1, RowHeight());
        return true;
    case TVM_HITTEST: {
        auto* info = reinterpret_cast<TVHITTESTINFO*>(message.LParam);
        message.Result = 0;
        if (info) {
            info->hItem = HandleOf(HitTest(info->pt, info->flags));
            message.Result = reinterpret_cast<LRESULT>(info->hItem);
        }
        return true;
    }
    case TVM_SORTCHILDREN:
    case TVM_SORTCHILDRENCB: {
        message.Result = FALSE;
        const bool callback = message.Msg == TVM_SORTCHILDRENCB;
        const auto* sort = callback ? reinterpret_cast<const TVSORTCB*>(message.LParam) : nullptr;
        if (callback && (!sort || !sort->lpfnCompare))
            return true;
        Item* parent = ParentArg(callback ? sort->hParent : reinterpret_cast<HTREEITEM>(message.LParam));
        if (!parent)
            return true;
        if (callback) {
            const PFNTVCOMPARE compare = sort->lpfnCompare;
            const LPARAM data = sort->lParamSort;
            message.Result = SortChildren(
                parent, [&](const Item* a, const Item* b) { return compare(a->Param, b->Param, data); },
                message.WParam != 0);
        } else {
            message.Result = SortChildren(
                parent,
                [](const Item* a, const Item* b) {
                    return QString::fromStdU16String(win32::BytesToWide(a->Text))
                        .compare(QString::fromStdU16String(win32::BytesToWide(b->Text)), Qt::CaseInsensitive);
                },
                message.WParam != 0);
        }
        return true;
    }
    case TVM_ENSUREVISIBLE: {
        Item* item = arg();
        message.Result = item ? EnsureVisible(item) : FALSE;
        return true;
    }
    case TVM_SETITEMHEIGHT:
        message.Result = RowHeight();
        ItemHeight_ = static_cast<int>(static_cast<std::int32_t>(message.WParam));
        if (ItemHeight_ > 1 && !(Style() & TVS_NONEVENHEIGHT) && (ItemHeight_ & 1))
            ++ItemHeight_;
        if (ItemHeight_ <= 0)
            ItemHeight_ = -1;
        Relayout();
        return true;
    case TVM_GETITEMHEIGHT:
        message.Result = RowHeight();
        return true;
    case TVM_SETBKCOLOR:
        message.Result = static_cast<LRESULT>(static_cast<std::int32_t>(Bk_));
        Bk_ = static_cast<COLORREF>(message.LParam);
        Tree->viewport()->update();
        return true;
    case TVM_GETBKCOLOR:
        message.Result = static_cast<LRESULT>(static_cast<std::int32_t>(Bk_));
        return true;
    case TVM_SETTEXTCOLOR:
        message.Result = static_cast<LRESULT>(static_cast<std::int32_t>(Text_));
        Text_ = static_cast<COLORREF>(message.LParam);
        Tree->viewport()->update();
        return true;
    case TVM_GETTEXTCOLOR:
        message.Result = static_cast<LRESULT>(static_cast<std::int32_t>(Text_));
        return true;
    case TVM_GETITEMSTATE: {
        const Item* item = ItemOf(static_cast<LPARAM>(message.WParam));
        message.Result = item ? static_cast<LRESULT>(item->State & static_cast<UINT>(message.LParam)) : 0;
        return true;
    }
    case WM_PAINT:
        if (!PendingPaint_)
            return false;
        {
            const QPaintEvent* paint = std::exchange(PendingPaint_, nullptr);
            Paint(*paint);
        }
        return true;
    case WM_SETREDRAW:
        Redraw_ = message.WParam != 0;
        if (Redraw_) {
            for (Item* parent : std::exchange(Reopen_, {}))
                if (IsItem(parent) && (parent->State & TVIS_EXPANDED) && !parent->Children.empty())
                    Tree->expand(IndexOf(parent));
            Tree->viewport()->update();
        }
        return true;
    case WM_SETFONT:
        Font_ = reinterpret_cast<HFONT>(message.WParam);
        Relayout();
        return false;
    case WM_GETFONT:
        message.Result = reinterpret_cast<LRESULT>(Font_);
        return true;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return true;
    case WM_LBUTTONDOWN:
        ButtonDown(WM_LBUTTONDOWN, {SignedLow(message.LParam), SignedHigh(message.LParam)});
        return true;
    case WM_LBUTTONDBLCLK:
        ButtonDoubleClick({SignedLow(message.LParam), SignedHigh(message.LParam)});
        return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        RightClick({SignedLow(message.LParam), SignedHigh(message.LParam)});
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
        if (message.WParam != kEditTimer)
            return false;
        KillTimer(window, kEditTimer);
        if (Caret_ && GetFocus() == window)
            BeginEdit(Caret_);
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        if (Caret_)
            RepaintItem(Caret_);
        NMHDR header{};
        Notify(header, message.Msg == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
        return false;
    }
    case WM_DESTROY: {
        // Every item goes, each told, as the window ends.
        EndEdit(true);
        DeleteAll();
        return false;
    }
    default:
        return false;
    }
}

} // namespace vcl
