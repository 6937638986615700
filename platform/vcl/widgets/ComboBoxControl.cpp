// The combo box window over a QComboBox.

#include "vcl/widgets/ComboBoxControl_p.h"

#include "vcl/widgets/EditControl_p.h"
#include "vcl/widgets/QtKeys.h"
#include "win32/ComboBoxes.h"
#include "win32/DeviceContext.h"
#include "win32/EditControls.h"
#include "win32/VirtualKeys.h"
#include "win32/WideText.h"
#include "win32/WindowManager.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cstring>

namespace vcl {

namespace {

// A pick in the open list, or the list closed from outside: handled as an
// event of the combo's own widget, so that a handler that frees the combo
// frees it once the event is done.
const QEvent::Type PickEvent = static_cast<QEvent::Type>(QEvent::User + 0x0C0);
const QEvent::Type OutsideEvent = static_cast<QEvent::Type>(QEvent::User + 0x0C1);

QString FromBytes(std::string_view bytes)
{
    return QString::fromStdU16String(win32::BytesToWide(bytes));
}

int Signed(WPARAM value)
{
    return static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

// Case-insensitive order of the list's texts, as the sorted style keeps it.
int CompareTexts(const std::string& a, const std::string& b)
{
    return FromBytes(a).compare(FromBytes(b), Qt::CaseInsensitive);
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return FromBytes(text).startsWith(FromBytes(prefix), Qt::CaseInsensitive);
}

} // namespace

// The items as Qt's views read them.
class TComboWidget::Model final : public QAbstractListModel {
public:
    explicit Model(TComboWidget* combo) : QAbstractListModel(combo), Combo(combo) {}
    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(Combo->Items_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount({}))
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return Combo->HasStrings() ? FromBytes(Combo->Items_[static_cast<std::size_t>(index.row())].Text)
                                       : QString();
        return {};
    }
    void Inserted(int row)
    {
        beginInsertRows({}, row, row);
        endInsertRows();
    }
    void BeginRemove(int row) { beginRemoveRows({}, row, row); }
    void EndRemove() { endRemoveRows(); }
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void Changed(int row) { emit dataChanged(index(row), index(row)); }

    TComboWidget* Combo;
};

// The open list: owner-drawn items are drawn and measured by the parent.
class TComboWidget::Delegate final : public QStyledItemDelegate {
public:
    explicit Delegate(TComboWidget* combo) : QStyledItemDelegate(combo), Combo(combo) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (!Combo->OwnerDraw()) {
            QStyleOptionViewItem plain(option);
            plain.state &= ~QStyle::State_HasFocus;
            if (index.row() == Combo->Highlight_)
                plain.state |= QStyle::State_Selected;
            else
                plain.state &= ~QStyle::State_Selected;
            QStyledItemDelegate::paint(painter, plain, index);
            return;
        }
        const UINT state = index.row() == Combo->Highlight_ ? (ODS_SELECTED | ODS_FOCUS) : 0;
        Combo->DrawItem(*painter, index.row(), option.rect, state, nullptr);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (!Combo->OwnerDraw())
            return QStyledItemDelegate::sizeHint(option, index);
        return {Combo->width(), Combo->FixedHeight(index.row())};
    }

    TComboWidget* Combo;
};

// The edit field's own window, a child of the combo's: the edit tells it
// of its changes, and the combo tells its parent.
class TComboWidget::EditProcedure final : public win32::WindowProcedure {
public:
    explicit EditProcedure(TComboWidget* combo) : Combo(combo) {}
    LRESULT WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        TMessage message{msg, wParam, lParam, 0};
        if (Combo->Edit_ && Combo->Edit_->Handle(window, message))
            return message.Result;
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    TComboWidget* Combo;
};

TComboWidget::TComboWidget(QWidget* parent, DWORD style) : QComboBox(parent), Style_(style)
{
    Model_ = new Model(this);
    setModel(Model_);
    setItemDelegate(new Delegate(this));
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(8);
    // The list's input is the combo's: it comes here before Qt's own.
    view()->installEventFilter(this);
    view()->viewport()->installEventFilter(this);
    view()->setMouseTracking(true);
    if (QWidget* container = view()->parentWidget())
        container->installEventFilter(this);
    if (!ListOnly()) {
        Edit_ = new TEditWidget(this, std::string(), ES_AUTOHSCROLL, 0);
        setLineEdit(Edit_);
        setCompleter(nullptr);
        Edit_->installEventFilter(this);
    }
    Sync();
}

TComboWidget::~TComboWidget()
{
    if (EditWindow_)
        DestroyWindow(EditWindow_);
}

bool TComboWidget::HasStrings() const
{
    return !OwnerDraw() || (Style_ & CBS_HASSTRINGS);
}

bool TComboWidget::OwnerDraw() const
{
    return (Style_ & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0;
}

bool TComboWidget::ListOnly() const
{
    return (Style_ & 3) == CBS_DROPDOWNLIST;
}

void TComboWidget::Notify(WORD code) const
{
    if (!IsWindow(Window_))
        return;
    if (const HWND parent = GetParent(Window_))
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Window_), code),
                     reinterpret_cast<LPARAM>(Window_));
}

// Qt's current item and the field's text follow the window's selection.
void TComboWidget::Sync()
{
    Syncing_ = true;
    const QSignalBlocker block(this);
    setCurrentIndex(Current_);
    if (Edit_ && Current_ >= 0 && HasStrings())
        Edit_->setText(FromBytes(Items_[static_cast<std::size_t>(Current_)].Text));
    Syncing_ = false;
    update();
}

int TComboWidget::Insert(int index, LPARAM value)
{
    Item item;
    if (HasStrings()) {
        if (!value)
            return CB_ERR;
        item.Text = reinterpret_cast<const char*>(value);
    } else {
        item.Data = static_cast<ULONG_PTR>(value);
    }
    const int count = static_cast<int>(Items_.size());
    if (index == -2) { // CB_ADDSTRING: sorted styles keep their order
        index = count;
        if ((Style_ & CBS_SORT) && HasStrings())
            index = static_cast<int>(std::upper_bound(Items_.begin(), Items_.end(), item,
                                                      [](const Item& a, const Item& b) {
                                                          return CompareTexts(a.Text, b.Text) < 0;
                                                      }) -
                                     Items_.begin());
    } else if (index < 0) {
        index = count;
    } else if (index > count) {
        return CB_ERR;
    }
    Items_.insert(Items_.begin() + index, std::move(item));
    if (Current_ >= index)
        ++Current_;
    if (Highlight_ >= index)
        ++Highlight_;
    Model_->Inserted(index);
    Sync();
    return index;
}

void TComboWidget::Delete(int index)
{
    const Item gone = Items_[static_cast<std::size_t>(index)];
    Model_->BeginRemove(index);
    Items_.erase(Items_.begin() + index);
    Model_->EndRemove();
    if (Current_ == index)
        Current_ = -1;
    else if (Current_ > index)
        --Current_;
    if (Highlight_ >= static_cast<int>(Items_.size()))
        Highlight_ = static_cast<int>(Items_.size()) - 1;
    Sync();
    // The owner frees what the item held; told once the item is gone.
    if (gone.Data != 0 && IsWindow(Window_))
        if (const HWND parent = GetParent(Window_)) {
            DELETEITEMSTRUCT record{ODT_COMBOBOX, static_cast<UINT>(GetDlgCtrlID(Window_)),
                                    static_cast<UINT>(index), Window_, gone.Data};
            SendMessageA(parent, WM_DELETEITEM, static_cast<WPARAM>(GetDlgCtrlID(Window_)),
                         reinterpret_cast<LPARAM>(&record));
        }
}

void TComboWidget::Reset()
{
    // From the last: each deletion is told with the index it had.
    const QPointer<TComboWidget> self(this);
    while (self && !Items_.empty())
        Delete(static_cast<int>(Items_.size()) - 1);
    if (!self)
        return;
    Current_ = -1;
    Highlight_ = -1;
    if (Edit_)
        Edit_->setText(QString());
    Sync();
}

int TComboWidget::Find(int after, const char* text, bool exact) const
{
    const int count = static_cast<int>(Items_.size());
    if (count == 0 || !text)
        return CB_ERR;
    const int start = after < -1 || after >= count ? -1 : after;
    for (int n = 1; n <= count; ++n) {
        const int i = (start + n) % count;
        const Item& item = Items_[static_cast<std::size_t>(i)];
        if (!HasStrings()) {
            if (item.Data == reinterpret_cast<ULONG_PTR>(text))
                return i;
        } else if (exact ? CompareTexts(item.Text, text) == 0 : StartsWith(item.Text, text)) {
            return i;
        }
    }
    return CB_ERR;
}

void TComboWidget::Select(int index)
{
    Current_ = index >= 0 && index < static_cast<int>(Items_.size()) ? index : -1;
    if (!Dropped_)
        Highlight_ = Current_;
    Sync();
    // No item, no text in the field.
    if (Current_ < 0 && Edit_ && !Edit_->text().isEmpty()) {
        Syncing_ = true;
        Edit_->setText(QString());
        Syncing_ = false;
    }
}

void TComboWidget::showPopup()
{
    // Only the window opens its list, never Qt by itself.
    if (Showing_)
        QComboBox::showPopup();
}

void TComboWidget::hidePopup()
{
    // Qt closes the list when it is clicked outside: a cancel.
    if (Dropped_ && !Hiding_) {
        QEvent outside(OutsideEvent);
        QCoreApplication::sendEvent(this, &outside);
        return;
    }
    QComboBox::hidePopup();
}

void TComboWidget::DropDown()
{
    if (Dropped_)
        return;
    const QPointer<TComboWidget> self(this);
    if (GetFocus() != Window_)
        SetFocus(Window_);
    Notify(CBN_DROPDOWN);
    if (!self || !IsWindow(Window_) || Dropped_)
        return;
    Before_ = Current_;
    Highlight_ = Current_;
    Dropped_ = true;
    Showing_ = true;
    QComboBox::showPopup();
    Showing_ = false;
    Show(Highlight_);
}

void TComboWidget::Show(int index)
{
    if (index >= 0 && index < static_cast<int>(Items_.size()))
        view()->scrollTo(Model_->index(index));
    view()->viewport()->update();
}

void TComboWidget::CloseUp(bool accept)
{
    if (!Dropped_)
        return;
    Dropped_ = false;
    Hiding_ = true;
    QComboBox::hidePopup();
    Hiding_ = false;
    const QPointer<TComboWidget> self(this);
    if (accept) {
        if (Highlight_ >= 0)
            Select(Highlight_);
        // The new index is current when the parent hears of it.
        Notify(CBN_SELENDOK);
        if (!self)
            return;
        Notify(CBN_CLOSEUP);
        if (self && Current_ != Before_)
            Notify(CBN_SELCHANGE);
    } else {
        Select(Before_);
        Notify(CBN_SELENDCANCEL);
        if (self)
            Notify(CBN_CLOSEUP);
    }
}

// Closed by the program: the highlighted item stays current, as the
// platform's list keeps its selection; nobody ended a selection.
void TComboWidget::Retract()
{
    if (!Dropped_)
        return;
    Dropped_ = false;
    Hiding_ = true;
    QComboBox::hidePopup();
    Hiding_ = false;
    if (Highlight_ >= 0)
        Select(Highlight_);
    const QPointer<TComboWidget> self(this);
    Notify(CBN_CLOSEUP);
    if (self && Current_ != Before_)
        Notify(CBN_SELCHANGE);
}

void TComboWidget::MoveHighlight(int index)
{
    const int count = static_cast<int>(Items_.size());
    if (count == 0)
        return;
    Highlight_ = std::clamp(index, 0, count - 1);
    Show(Highlight_);
}

void TComboWidget::Pick(int index)
{
    if (index < 0)
        return;
    Highlight_ = index;
    CloseUp(true);
}

bool TComboWidget::Key(WORD key, bool alt)
{
    const int count = static_cast<int>(Items_.size());
    const int page = std::max(1, maxVisibleItems() - 1);
    if (Dropped_) {
        switch (key) {
        case VK_RETURN:
        case VK_F4:
            CloseUp(true);
            return true;
        case VK_ESCAPE:
            CloseUp(false);
            return true;
        case VK_UP:
        case VK_DOWN:
            if (alt) {
                CloseUp(true);
                return true;
            }
            MoveHighlight(Highlight_ < 0 ? 0 : Highlight_ + (key == VK_UP ? -1 : 1));
            return true;
        case VK_HOME:
            MoveHighlight(0);
            return true;
        case VK_END:
            MoveHighlight(count - 1);
            return true;
        case VK_PRIOR:
            MoveHighlight(Highlight_ - page);
            return true;
        case VK_NEXT:
            MoveHighlight(Highlight_ + page);
            return true;
        default:
            return ListOnly();
        }
    }
    int next = -1;
    switch (key) {
    case VK_F4:
        DropDown();
        return true;
    case VK_UP:
    case VK_DOWN:
        if (alt || (key == VK_DOWN && ExtendedUI_)) {
            DropDown();
            return true;
        }
        next = Current_ < 0 ? 0 : Current_ + (key == VK_UP ? -1 : 1);
        break;
    case VK_HOME:
        if (!ListOnly())
            return false;
        next = 0;
        break;
    case VK_END:
        if (!ListOnly())
            return false;
        next = count - 1;
        break;
    case VK_PRIOR:
        next = Current_ - page;
        break;
    case VK_NEXT:
        next = Current_ + page;
        break;
    default:
        return ListOnly();
    }
    // A closed list steps through its items at once.
    if (count == 0)
        return true;
    next = std::clamp(next, 0, count - 1);
    if (next != Current_) {
        Select(next);
        Notify(CBN_SELCHANGE);
    }
    return true;
}

void TComboWidget::Char(WPARAM unit, TMessage& message)
{
    if (!ListOnly()) {
        if (unit == '\r' || unit == 0x1B)
            return;
        message.Result = SendMessageA(EditWindow_, WM_CHAR, unit, message.LParam);
        return;
    }
    if (unit < 0x20 || !HasStrings())
        return;
    // A letter goes to the next item that starts with it.
    const std::string typed = win32::WideToBytes(std::u16string(1, static_cast<char16_t>(unit)));
    const int from = Dropped_ ? Highlight_ : Current_;
    const int found = Find(from, typed.c_str(), false);
    if (found < 0)
        return;
    if (Dropped_) {
        MoveHighlight(found);
    } else if (found != Current_) {
        Select(found);
        Notify(CBN_SELCHANGE);
    }
}

int TComboWidget::MeasureItem(int index)
{
    MEASUREITEMSTRUCT record{ODT_COMBOBOX,
                             static_cast<UINT>(GetDlgCtrlID(Window_)),
                             static_cast<UINT>(index),
                             static_cast<UINT>(width()),
                             0,
                             0};
    if (index >= 0 && index < static_cast<int>(Items_.size()))
        record.itemData = Items_[static_cast<std::size_t>(index)].Data;
    if (IsWindow(Window_))
        if (const HWND parent = GetParent(Window_))
            SendMessageA(parent, WM_MEASUREITEM, record.CtlID, reinterpret_cast<LPARAM>(&record));
    return std::max(1, static_cast<int>(record.itemHeight));
}

// The height of an item of the list: the variable style's measured once
// each, the fixed style's once for all.
int TComboWidget::FixedHeight(int index)
{
    if (Style_ & CBS_OWNERDRAWVARIABLE) {
        if (index < 0 || index >= static_cast<int>(Items_.size()))
            return 1;
        Item& item = Items_[static_cast<std::size_t>(index)];
        if (item.Height < 0)
            item.Height = MeasureItem(index);
        return item.Height;
    }
    if (ItemHeight_ < 0)
        ItemHeight_ = MeasureItem(0);
    return ItemHeight_;
}

void TComboWidget::DrawItem(QPainter& painter, int index, const QRect& rect, UINT state, HWND dcWindow)
{
    if (!IsWindow(Window_))
        return;
    const HWND parent = GetParent(Window_);
    if (!parent)
        return;
    painter.save();
    HDC dc = win32::CreatePainterDC(painter, dcWindow);
    DRAWITEMSTRUCT record{ODT_COMBOBOX,
                          static_cast<UINT>(GetDlgCtrlID(Window_)),
                          static_cast<UINT>(index),
                          ODA_DRAWENTIRE,
                          state,
                          Window_,
                          dc,
                          {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1},
                          index >= 0 && index < static_cast<int>(Items_.size())
                              ? Items_[static_cast<std::size_t>(index)].Data
                              : 0};
    SendMessageA(parent, WM_DRAWITEM, record.CtlID, reinterpret_cast<LPARAM>(&record));
    DeleteDC(dc);
    painter.restore();
}

// The owner-drawn field: the style's frame and button, the current item
// drawn by the parent inside it.
void TComboWidget::PaintField()
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    UINT state = ODS_COMBOBOXEDIT;
    if (GetFocus() == Window_ && !Dropped_)
        state |= ODS_SELECTED | ODS_FOCUS;
    if (!isEnabled())
        state |= ODS_DISABLED;
    painter.setClipRect(field);
    DrawItem(painter, Current_, field, state, Window_);
}

bool TComboWidget::event(QEvent* event)
{
    if (event->type() == PickEvent) {
        Pick(Highlight_);
        return true;
    }
    if (event->type() == OutsideEvent) {
        CloseUp(false);
        return true;
    }
    return QComboBox::event(event);
}

bool TComboWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        // The open list takes the toolkit's focus; the window keeps its own.
        if (event->type() == QEvent::FocusOut && (Showing_ || Dropped_))
            return true;
        return (event->type() == QEvent::FocusOut || event->type() == QEvent::FocusIn) &&
               static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason;
    }
    if (Edit_ && watched == Edit_) {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            // Typing is the combo window's input.
            QCoreApplication::sendEvent(this, event);
            return true;
        case QEvent::MouseButtonPress:
            if (IsWindow(Window_) && GetFocus() != Window_)
                SetFocus(Window_);
            return false;
        default:
            return false;
        }
    }
    QWidget* container = view()->parentWidget();
    if (watched == container) {
        // Closed by a click outside it: a cancel.
        if (event->type() == QEvent::Hide && Dropped_ && !Hiding_) {
            QEvent outside(OutsideEvent);
            QCoreApplication::sendEvent(this, &outside);
        }
        return false;
    }
    if (watched != view() && watched != view()->viewport())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        if (event->type() != QEvent::ShortcutOverride)
            QCoreApplication::sendEvent(this, event);
        event->accept();
        return true;
    case QEvent::MouseMove: {
        const auto* me = static_cast<QMouseEvent*>(event);
        const QModelIndex at = view()->indexAt(
            view()->viewport()->mapFrom(static_cast<QWidget*>(watched), me->position().toPoint()));
        if (at.isValid() && at.row() != Highlight_) {
            Highlight_ = at.row();
            view()->viewport()->update();
        }
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return watched == view()->viewport();
    case QEvent::MouseButtonRelease: {
        if (watched != view()->viewport())
            return false;
        const auto* me = static_cast<QMouseEvent*>(event);
        const QModelIndex at = view()->indexAt(me->position().toPoint());
        if (me->button() == Qt::LeftButton && at.isValid()) {
            Highlight_ = at.row();
            QEvent pick(PickEvent);
            QCoreApplication::sendEvent(this, &pick);
        }
        return true;
    }
    default:
        return false;
    }
}

bool TComboWidget::Handle(HWND window, TMessage& message)
{
    if (!Window_)
        installEventFilter(this); // before the window's own filter
    Window_ = window;
    if (Edit_ && !EditProcedure_) {
        EditProcedure_ = std::make_unique<EditProcedure>(this);
        win32::WindowCreation creation;
        creation.Parent = window;
        creation.Style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
        creation.ExStyle = WS_EX_NOPARENTNOTIFY;
        creation.Id = 1001;
        EditWindow_ = win32::CreateWindowFor(EditProcedure_.get(), creation);
    }
    const std::size_t count = Items_.size();
    const auto valid = [count](WPARAM index) {
        return Signed(index) >= 0 && static_cast<std::size_t>(Signed(index)) < count;
    };
    switch (message.Msg) {
    case CB_ADDSTRING:
        message.Result = Insert(-2, message.LParam);
        return true;
    case CB_INSERTSTRING:
        message.Result = Insert(Signed(message.WParam) < 0 ? -1 : Signed(message.WParam), message.LParam);
        return true;
    case CB_DELETESTRING:
        if (!valid(message.WParam)) {
            message.Result = CB_ERR;
            return true;
        }
        message.Result = static_cast<LRESULT>(count - 1);
        Delete(Signed(message.WParam));
        return true;
    case CB_RESETCONTENT:
        Reset();
        message.Result = CB_OKAY;
        return true;
    case CB_GETCOUNT:
        message.Result = static_cast<LRESULT>(count);
        return true;
    case CB_GETCURSEL:
        message.Result = Current_;
        return true;
    case CB_SETCURSEL:
        Select(Signed(message.WParam));
        message.Result = valid(message.WParam) ? Current_ : CB_ERR;
        return true;
    case CB_GETLBTEXTLEN:
        message.Result = !valid(message.WParam) ? CB_ERR
                         : HasStrings()         ? static_cast<LRESULT>(Items_[message.WParam].Text.size())
                                                : static_cast<LRESULT>(sizeof(ULONG_PTR));
        return true;
    case CB_GETLBTEXT: {
        if (!valid(message.WParam) || !message.LParam) {
            message.Result = CB_ERR;
            return true;
        }
        const Item& item = Items_[message.WParam];
        if (HasStrings()) {
            std::memcpy(reinterpret_cast<char*>(message.LParam), item.Text.c_str(), item.Text.size() + 1);
            message.Result = static_cast<LRESULT>(item.Text.size());
        } else {
            std::memcpy(reinterpret_cast<void*>(message.LParam), &item.Data, sizeof item.Data);
            message.Result = sizeof item.Data;
        }
        return true;
    }
    case CB_GETITEMDATA:
        message.Result = valid(message.WParam) ? static_cast<LRESULT>(Items_[message.WParam].Data) : CB_ERR;
        return true;
    case CB_SETITEMDATA:
        if (!valid(message.WParam)) {
            message.Result = CB_ERR;
            return true;
        }
        Items_[message.WParam].Data = static_cast<ULONG_PTR>(message.LParam);
        Model_->Changed(Signed(message.WParam));
        message.Result = CB_OKAY;
        return true;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
        message.Result = Find(Signed(message.WParam), reinterpret_cast<const char*>(message.LParam),
                              message.Msg == CB_FINDSTRINGEXACT);
        return true;
    case CB_SELECTSTRING: {
        const int found = Find(Signed(message.WParam), reinterpret_cast<const char*>(message.LParam), false);
        if (found >= 0)
            Select(found);
        message.Result = found;
        return true;
    }
    case CB_SHOWDROPDOWN:
        if (message.WParam)
            DropDown();
        else
            Retract();
        message.Result = TRUE;
        return true;
    case CB_GETDROPPEDSTATE:
        message.Result = Dropped_ ? TRUE : FALSE;
        return true;
    case CB_SETEXTENDEDUI:
        ExtendedUI_ = message.WParam != 0;
        message.Result = CB_OKAY;
        return true;
    case CB_GETEXTENDEDUI:
        message.Result = ExtendedUI_ ? TRUE : FALSE;
        return true;
    case CB_SETITEMHEIGHT: {
        const int height = static_cast<int>(message.LParam);
        if (height <= 0 || height > 255) {
            message.Result = CB_ERR;
            return true;
        }
        if (Signed(message.WParam) == -1)
            FieldHeight_ = height;
        else if ((Style_ & CBS_OWNERDRAWVARIABLE) && valid(message.WParam))
            Items_[message.WParam].Height = height;
        else
            ItemHeight_ = height;
        view()->doItemsLayout();
        update();
        message.Result = CB_OKAY;
        return true;
    }
    case CB_GETITEMHEIGHT:
        if (Signed(message.WParam) == -1)
            message.Result = FieldHeight_ >= 0 ? FieldHeight_ : height() - 6;
        else if (OwnerDraw())
            message.Result = (Style_ & CBS_OWNERDRAWVARIABLE) && !valid(message.WParam)
                                 ? CB_ERR
                                 : FixedHeight(Signed(message.WParam));
        else
            message.Result =
                view()->sizeHintForRow(0) > 0 ? view()->sizeHintForRow(0) : fontMetrics().height();
        return true;
    case CB_LIMITTEXT:
        if (EditWindow_)
            SendMessageA(EditWindow_, EM_LIMITTEXT, message.WParam, 0);
        message.Result = TRUE;
        return true;
    case CB_GETEDITSEL:
        message.Result =
            EditWindow_ ? SendMessageA(EditWindow_, EM_GETSEL, message.WParam, message.LParam) : CB_ERR;
        return true;
    case CB_SETEDITSEL:
        message.Result = EditWindow_ ? SendMessageA(EditWindow_, EM_SETSEL,
                                                    message.LParamLo() == 0xFFFF ? -1 : message.LParamLo(),
                                                    message.LParamHi() == 0xFFFF ? -1 : message.LParamHi())
                                     : CB_ERR;
        if (EditWindow_)
            message.Result = TRUE;
        return true;
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        if (EditWindow_) {
            message.Result = SendMessageA(EditWindow_, message.Msg, message.WParam, message.LParam);
            return true;
        }
        if (message.Msg == WM_SETTEXT) {
            // The list's text is its current item's.
            const int found = Find(-1, reinterpret_cast<const char*>(message.LParam), true);
            if (found >= 0)
                Select(found);
            message.Result = found >= 0 ? TRUE : CB_ERR;
            return true;
        }
        {
            const std::string text = Current_ >= 0 && HasStrings()
                                         ? Items_[static_cast<std::size_t>(Current_)].Text
                                         : std::string();
            if (message.Msg == WM_GETTEXTLENGTH) {
                message.Result = static_cast<LRESULT>(text.size());
            } else if (message.WParam > 0 && message.LParam) {
                const std::size_t n = std::min<std::size_t>(text.size(), message.WParam - 1);
                std::memcpy(reinterpret_cast<char*>(message.LParam), text.data(), n);
                reinterpret_cast<char*>(message.LParam)[n] = '\0';
                message.Result = static_cast<LRESULT>(n);
            }
        }
        return true;
    case WM_COMMAND:
        // The field's edit: its changes are the combo's.
        if (EditWindow_ && reinterpret_cast<HWND>(message.LParam) == EditWindow_) {
            if (message.WParamHi() == EN_CHANGE && !Syncing_) {
                Notify(CBN_EDITUPDATE);
                Notify(CBN_EDITCHANGE);
            }
            return true;
        }
        return false;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (Dropped_ ? DLGC_WANTALLKEYS : 0);
        return true;
    case WM_KEYDOWN:
        if (!Key(static_cast<WORD>(message.WParam), false) && EditWindow_)
            message.Result = SendMessageA(EditWindow_, WM_KEYDOWN, message.WParam, message.LParam);
        return true;
    case WM_SYSKEYDOWN:
        if ((message.WParam == VK_UP || message.WParam == VK_DOWN) &&
            Key(static_cast<WORD>(message.WParam), true))
            return true;
        message.Result = DefWindowProcA(window, message.Msg, message.WParam, message.LParam);
        return true;
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        message.Result = DefWindowProcA(window, message.Msg, message.WParam, message.LParam);
        return true;
    case WM_CHAR:
        Char(message.WParam, message);
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (GetFocus() != window)
            SetFocus(window);
        if (Dropped_)
            CloseUp(false);
        else
            DropDown();
        return true;
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
        return true;
    case WM_KILLFOCUS:
        // The list goes with the focus.
        CloseUp(false);
        return false;
    case WM_PAINT:
        if (!OwnerDraw())
            return false;
        PaintField();
        return true;
    case WM_DESTROY:
        Reset();
        return false;
    default:
        return false;
    }
}

} // namespace vcl
