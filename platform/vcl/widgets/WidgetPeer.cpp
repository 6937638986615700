// The boundary between Qt and the framework: one event filter per peer
// widget turns the widget's events into window messages for its control.

#include "vcl/widgets/WidgetPeer_p.h"

#include "vcl/core/SysUtils.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/Menus.h"
#include "vcl/widgets/QtKeys.h"
#include "win32/DeviceContext.h"
#include "win32/ScrollBars.h"
#include "win32/VirtualKeys.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <unordered_map>

namespace vcl {

namespace {

std::unordered_map<const QWidget*, TWinControl*>& Registry()
{
    static auto& registry = *new std::unordered_map<const QWidget*, TWinControl*>;
    return registry;
}

// The latest press, to tell a double click.
struct Press {
    HWND Window = nullptr;
    Qt::MouseButton Button = Qt::NoButton;
    quint64 Time = 0;
    QPoint Position;
};
// The paints in progress, innermost last.
std::vector<QPainter*>& ActivePaints()
{
    static auto& paints = *new std::vector<QPainter*>();
    return paints;
}

// The last first press of a click, which a second one may make a double click.
Press g_lastPress;
// The last second press told apart by its timing: Qt's double-click event of
// the same click, where one follows, is that press again.
Press g_secondPress;

void NoteModifiers(Qt::KeyboardModifiers modifiers)
{
    win32::NoteModifierKeys(modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier),
                            modifiers.testFlag(Qt::AltModifier));
}

} // namespace

TWidgetPeer::TWidgetPeer(TWinControl* control, QWidget* widget) : Control_(control), Widget_(widget)
{
    Registry()[widget] = control;
    TControlCanvas::InstallWindowDCs();
    InstallMenus();
    // Windows hear every move of the mouse, not only drags.
    widget->setMouseTracking(true);
    // The framework moves the focus itself (SetFocus, the dialog keys).
    widget->setFocusPolicy(Qt::NoFocus);
    widget->setAttribute(Qt::WA_OpaquePaintEvent);
    widget->installEventFilter(this);
}

TWidgetPeer::~TWidgetPeer() = default;

void TWidgetPeer::Destroy()
{
    Destroyed_ = true;
    Control_ = nullptr;
    if (QWidget* widget = Widget_) {
        Registry().erase(widget);
        widget->removeEventFilter(this);
        widget->hide();
        if (EventDepth_ > 0) {
            // The widget's event is still on the stack: it goes later, and
            // not with its parent if that goes now.
            widget->setParent(nullptr);
            widget->deleteLater();
            deleteLater();
            return;
        }
        delete widget;
    }
    delete this;
}

TWinControl* TWidgetPeer::ControlOf(const QWidget* widget)
{
    const auto found = Registry().find(widget);
    return found == Registry().end() ? nullptr : found->second;
}

QRect TWidgetPeer::ClientArea() const
{
    if (!Widget_)
        return {};
    const auto* frame = qobject_cast<const QFrame*>(Widget_.data());
    const int inset = (frame ? frame->frameWidth() : 0) + BorderWidth_;
    const QRect all = Widget_->rect();
    const QMargins& nc = NonClient_;
    return QRect(inset + nc.left(), inset + TopInset_ + nc.top(),
                 std::max(0, all.width() - 2 * inset - nc.left() - nc.right()),
                 std::max(0, all.height() - 2 * inset - TopInset_ - nc.top() - nc.bottom()));
}

void TWidgetPeer::ApplyGeometry(const QRect& rect)
{
    if (!Widget_ || Widget_->geometry() == rect)
        return;
    ApplyingGeometry_ = true;
    Widget_->setGeometry(rect);
    ApplyingGeometry_ = false;
}

void TWidgetPeer::ApplySizeLimits(const TSizeLimits& limits)
{
    if (!Widget_ || Widget_->parentWidget())
        return; // children are sized by the framework alone
    Widget_->setMinimumSize(limits.MinWidth, limits.MinHeight);
    Widget_->setMaximumSize(limits.MaxWidth > 0 ? limits.MaxWidth : QWIDGETSIZE_MAX,
                            limits.MaxHeight > 0 ? limits.MaxHeight : QWIDGETSIZE_MAX);
}

void TWidgetPeer::ApplyStyles(DWORD style, DWORD exStyle, int borderWidth)
{
    if (!Widget_)
        return;
    // A top-level window's border and caption are the desktop's.
    if (auto* frame = qobject_cast<QFrame*>(Widget_.data()); frame && !Widget_->parentWidget()) {
        frame->setFrameStyle(QFrame::NoFrame);
    } else if (frame) {
        if (exStyle & WS_EX_CLIENTEDGE) {
            frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            frame->setLineWidth(2);
        } else if (style & WS_BORDER) {
            frame->setFrameStyle(QFrame::Box | QFrame::Plain);
            frame->setLineWidth(1);
        } else {
            frame->setFrameStyle(QFrame::NoFrame);
        }
    }
    BorderWidth_ = borderWidth;
    Widget_->setEnabled(!(style & WS_DISABLED));
    if (!Widget_->parentWidget()) {
        Qt::WindowFlags flags = (exStyle & WS_EX_TOOLWINDOW) ? Qt::Tool : Qt::Window;
        flags |= Qt::CustomizeWindowHint;
        if ((style & WS_CAPTION) == WS_CAPTION)
            flags |= Qt::WindowTitleHint;
        else
            flags |= Qt::FramelessWindowHint;
        if (style & WS_SYSMENU)
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        // A top-level window's group and tab-stop bits are its boxes.
        if (style & WS_MINIMIZEBOX)
            flags |= Qt::WindowMinimizeButtonHint;
        if (style & WS_MAXIMIZEBOX)
            flags |= Qt::WindowMaximizeButtonHint;
        if (exStyle & WS_EX_TOPMOST)
            flags |= Qt::WindowStaysOnTopHint;
        // Qt hides a window whose flags change; it stays as it was.
        if (Widget_->windowFlags() != flags) {
            const bool shown = Widget_->isVisible();
            Widget_->setWindowFlags(flags);
            if (shown)
                Widget_->show();
        }
    }
}

void TWidgetPeer::ApplyVisible(bool visible)
{
    if (!Widget_ || Widget_->isHidden() != visible)
        return;
    const HWND window = Control_ && Control_->HandleAllocated() ? Control_->Handle() : nullptr;
    if (window)
        SendMessageA(window, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
    if (!Widget_ || Destroyed_)
        return; // the message's handler destroyed the window
    ApplyingVisible_ = true;
    Widget_->setVisible(visible);
    ApplyingVisible_ = false;
    // A top-level window shown is activated, as the platform's ShowWindow
    // does; the toolkit leaves that to a window manager, where there may be
    // none.
    if (visible && Widget_ && Widget_->isWindow() && !Widget_->testAttribute(Qt::WA_ShowWithoutActivating))
        Widget_->activateWindow();
}

void TWidgetPeer::SetWindowFont(HFONT font, bool redraw)
{
    WindowFont_ = font;
    if (!Widget_)
        return;
    // A handle that is not a font leaves the window with the system's.
    QFont shown = QApplication::font();
    if (const std::optional<QFont> qfont = font ? win32::FontOf(font) : std::nullopt)
        shown = *qfont;
    // All of it the window's own: nothing comes from the parent's widget.
    shown.setResolveMask(QFont::AllPropertiesResolved);
    Widget_->setFont(shown);
    if (redraw)
        Widget_->update();
}

bool TWidgetPeer::ForwardDefault(UINT msg)
{
    if (!Current_ || CurrentMsg_ != msg || !Widget_)
        return false;
    CurrentMsg_ = 0;
    QObject* widget = Widget_.data();
    widget->event(Current_);
    return true;
}

RECT TWidgetPeer::PeerClientRect() const
{
    if (!Widget_)
        return {0, 0, 0, 0};
    const QRect r = ClientArea();
    return {0, 0, r.width(), r.height()};
}

RECT TWidgetPeer::PeerWindowRect() const
{
    if (!Widget_)
        return {0, 0, 0, 0};
    const QPoint origin = Widget_->mapToGlobal(QPoint(0, 0));
    return {origin.x(), origin.y(), origin.x() + Widget_->width(), origin.y() + Widget_->height()};
}

void TWidgetPeer::PeerRaise()
{
    if (Widget_)
        Widget_->raise();
}

RECT TWidgetPeer::PeerNormalRect() const
{
    if (!Widget_)
        return {0, 0, 0, 0};
    // A top-level window keeps its restored geometry while maximised or
    // minimised; children have no other.
    QRect normal = Widget_->isWindow() ? Widget_->normalGeometry() : QRect();
    if (!normal.isValid()) {
        const RECT now = PeerWindowRect();
        return now;
    }
    return {normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()};
}

UINT TWidgetPeer::PeerShowCommand() const
{
    if (Widget_ && Widget_->isMinimized())
        return SW_SHOWMINIMIZED;
    if (Widget_ && Widget_->isMaximized())
        return SW_SHOWMAXIMIZED;
    return kShowNormal;
}

POINT TWidgetPeer::PeerClientOrigin() const
{
    if (!Widget_)
        return {0, 0};
    const QPoint origin = Widget_->mapToGlobal(ClientOffset());
    return {origin.x(), origin.y()};
}

void TWidgetPeer::PeerInvalidate(const RECT* rect, bool)
{
    if (!Widget_)
        return;
    if (!rect) {
        // The client area only: a non-client area is repainted when its
        // frame changes.
        if (NonClient_.isNull())
            Widget_->update();
        else
            Widget_->update(ClientArea());
        return;
    }
    const QPoint offset = ClientOffset();
    Widget_->update(QRect(rect->left + offset.x(), rect->top + offset.y(), rect->right - rect->left,
                          rect->bottom - rect->top));
}

void TWidgetPeer::PeerFrameChanged()
{
    if (Control_ && !Destroyed_)
        Control_->MeasureNonClient();
    if (Widget_)
        Widget_->update();
}

QAbstractScrollArea* TWidgetPeer::ShownScrollArea() const
{
    auto* area = qobject_cast<QAbstractScrollArea*>(Widget_.data());
    if (!area && Widget_) {
        // A window made of views carries its bars on the view it shows.
        for (auto* child : Widget_->findChildren<QAbstractScrollArea*>(Qt::FindDirectChildrenOnly))
            if (!child->isHidden()) {
                area = child;
                break;
            }
    }
    return area;
}

QObject* TWidgetPeer::PeerDropReceiver() const
{
    // A view takes drags on its viewport, where Qt delivers them.
    if (QAbstractScrollArea* area = ShownScrollArea())
        return area->viewport();
    return Widget_.data();
}

RECT TWidgetPeer::PeerDropReceiverRect() const
{
    const auto* receiver = static_cast<const QWidget*>(PeerDropReceiver());
    if (!receiver)
        return {0, 0, 0, 0};
    const QPoint origin = receiver->mapToGlobal(QPoint(0, 0));
    return {origin.x(), origin.y(), origin.x() + receiver->width(), origin.y() + receiver->height()};
}

bool TWidgetPeer::PeerScrollBar(int bar, int& min, int& max, int& page, int& pos, int& trackPos) const
{
    const QAbstractScrollArea* area = ShownScrollArea();
    if (!area || (bar != SB_HORZ && bar != SB_VERT))
        return false;
    const bool vertical = bar == SB_VERT;
    if ((vertical ? area->verticalScrollBarPolicy() : area->horizontalScrollBarPolicy()) ==
        Qt::ScrollBarAlwaysOff)
        return false;
    const QScrollBar* scroll = vertical ? area->verticalScrollBar() : area->horizontalScrollBar();
    // Qt's range is that of the position; the platform's covers the page.
    min = scroll->minimum();
    page = scroll->pageStep();
    max = scroll->maximum() + std::max(0, page - 1);
    pos = scroll->value();
    trackPos = scroll->sliderPosition();
    return true;
}

void TWidgetPeer::PeerUpdate()
{
    if (Widget_ && Widget_->isVisible())
        Widget_->repaint();
}

bool TWidgetPeer::PeerVisible() const
{
    return Widget_ && Widget_->isVisible();
}

bool TWidgetPeer::PeerEnabled() const
{
    return Widget_ && Widget_->isEnabled();
}

void TWidgetPeer::PeerTakeFocus()
{
    if (!Widget_)
        return;
    Widget_->setFocus(Qt::OtherFocusReason);
    // The focus moved into an inactive window activates it, as on the
    // platform.
    if (QWidget* window = Widget_->window(); window->isVisible() && !window->isActiveWindow())
        window->activateWindow();
}

void TWidgetPeer::PeerActivate()
{
    if (!Widget_)
        return;
    if (QWidget* window = Widget_->window(); window->isVisible())
        window->activateWindow();
}

void TWidgetPeer::PeerSetCursor(HCURSOR cursor)
{
    const int shape = win32::CursorShape(cursor);
    if (Widget_ && shape >= 0)
        Widget_->setCursor(QCursor(static_cast<Qt::CursorShape>(shape)));
}

bool TWidgetPeer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Widget_.data() || Destroyed_ || !Control_)
        return false;
    QEvent* const outerEvent = Current_;
    const UINT outerMsg = CurrentMsg_;
    TWinControl* const control = Control_;
    // The control outlives the event even when a handler frees it.
    const TControl::TDispatchScope scope(control);
    Current_ = event;
    CurrentMsg_ = 0;
    ++EventDepth_;
    bool consumed = false;
    // Nothing a handler raises goes on into Qt.
    try {
        consumed = Translate(event);
    } catch (...) {
        Application()->HandleException(control);
        consumed = true;
    }
    // A message's default handling may have shown the event to the widget,
    // which ignores what it has no use for; taken here, it goes no further
    // (a window's input never passes to its parent).
    if (consumed && event->type() != QEvent::Close)
        event->accept();
    --EventDepth_;
    Current_ = outerEvent;
    CurrentMsg_ = outerMsg;
    return consumed;
}

bool TWidgetPeer::Translate(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return Mouse(event);
    case QEvent::Wheel:
        return Wheel(event);
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return Key(event);
    case QEvent::Paint:
        return Paint(event);
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        return Focus(event);
    case QEvent::Enter:
        Control_->Perform(CM_MOUSEENTER);
        return false;
    case QEvent::Leave:
        if (Control_->MouseControl_)
            Control_->UpdateMouseControl(nullptr);
        Control_->Perform(CM_MOUSELEAVE);
        return false;
    case QEvent::ToolTip:
        return ShowHintAt(static_cast<QHelpEvent*>(event));
    case QEvent::ContextMenu:
        // The platform's default handling makes WM_CONTEXTMENU itself.
        return true;
    case QEvent::Close:
        if (Control_->HandleAllocated())
            SendMessageA(Control_->Handle(), WM_CLOSE, 0, 0);
        event->ignore();
        return true;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        Activation(event->type() == QEvent::WindowActivate);
        return false;
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        // The window's own showing or hiding (not its parent's) that the
        // toolkit did by itself.
        if (!ApplyingVisible_ && Control_->HandleAllocated())
            SendMessageA(Control_->Handle(), WM_SHOWWINDOW, event->type() == QEvent::ShowToParent, 0);
        return false;
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::ApplicationPaletteChange:
        Outside(event);
        return false;
    default:
        return false;
    }
}

bool TWidgetPeer::ShowHintAt(QHelpEvent* help)
{
    // The hint of the control under the pointer, a graphic child's too, as
    // it is now: its short part in the tip, its long part in the
    // application's hint. Without one the widget shows what it shows.
    const QPoint client = help->pos() - ClientOffset();
    TControl* control = Control_->ControlAtPos({client.x(), client.y()}, true);
    if (!control)
        control = Control_;
    if (!control->ShowHint() || control->Hint().empty())
        return false;
    // Its lines break at CR and at CR LF, as a message box's do; the
    // toolkit's tips break only at LF.
    QToolTip::showText(help->globalPos(),
                       QString::fromStdString(AdjustLineBreaks(GetShortHint(control->Hint()), tlbsLF)),
                       Widget_);
    Application()->SetHint(GetLongHint(control->Hint()));
    return true;
}

bool TWidgetPeer::Mouse(QEvent* event)
{
    // Taken here: a window's mouse message never goes on to its parent.
    event->accept();
    const auto* me = static_cast<QMouseEvent*>(event);
    // From the window system, the second press of a double click reaches the
    // widget only as Qt's double-click event. Where the press came as well
    // (input sent to the widget itself), the event repeats it.
    const bool qtDoubleClick = event->type() == QEvent::MouseButtonDblClick;
    if (qtDoubleClick && g_secondPress.Button == me->button() &&
        me->timestamp() - g_secondPress.Time <=
            static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval())) {
        g_secondPress = {};
        return true;
    }
    const QPoint global = me->globalPosition().toPoint();
    win32::NoteCursorPos({global.x(), global.y()});
    win32::NoteMouseButtons(me->buttons().testFlag(Qt::LeftButton), me->buttons().testFlag(Qt::RightButton),
                            me->buttons().testFlag(Qt::MiddleButton));
    NoteModifiers(me->modifiers());

    const HWND own = Control_->Handle();
    const HWND capture = GetCapture();
    const HWND target = capture ? capture : own;
    TWinControl* targetControl = TWinControl::FindControl(target);

    UINT msg = 0;
    if (event->type() == QEvent::MouseMove) {
        msg = WM_MOUSEMOVE;
    } else {
        // The base message of the button; down + 1 is up, down + 2 a double click.
        UINT down;
        switch (me->button()) {
        case Qt::LeftButton:
            down = WM_LBUTTONDOWN;
            break;
        case Qt::RightButton:
            down = WM_RBUTTONDOWN;
            break;
        case Qt::MiddleButton:
            down = WM_MBUTTONDOWN;
            break;
        default:
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            msg = down + 1;
        } else {
            // A second press of the same button soon after and close by is a
            // double click for windows that ask for them.
            const QPoint distance = global - g_lastPress.Position;
            const bool again =
                g_lastPress.Window == target && g_lastPress.Button == me->button() &&
                me->timestamp() - g_lastPress.Time <=
                    static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval()) &&
                std::abs(distance.x()) <= 2 && std::abs(distance.y()) <= 2;
            const bool second = qtDoubleClick || again;
            if (again && !qtDoubleClick)
                g_secondPress = {target, me->button(), me->timestamp(), global};
            if (second && targetControl && targetControl->ControlStyle().Contains(csDoubleClicks)) {
                msg = down + 2;
                g_lastPress = {};
            } else {
                // Without double clicks the second press is a press like any.
                msg = down;
                g_lastPress = second ? Press{} : Press{target, me->button(), me->timestamp(), global};
            }
        }
    }
    POINT pt{global.x(), global.y()};
    if (target == own) {
        const QPoint local = me->position().toPoint() - ClientOffset();
        pt = {local.x(), local.y()};
    } else {
        ScreenToClient(target, &pt);
    }
    if (!capture && msg != WM_LBUTTONUP && msg != WM_RBUTTONUP && msg != WM_MBUTTONUP)
        win32::QueryCursor(target, msg);
    if ((msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) && IsWindow(target))
        win32::NotifyParentsOfButton(target, msg, {global.x(), global.y()});
    if (!IsWindow(target))
        return true;
    if (target == own)
        CurrentMsg_ = msg;
    SendMessageA(target, msg, MouseKeysFromQt(me->buttons(), me->modifiers()), MAKELPARAM(pt.x, pt.y));
    return true;
}

bool TWidgetPeer::Wheel(QEvent* event)
{
    event->accept();
    const auto* we = static_cast<QWheelEvent*>(event);
    // Qt counts a tilt to the left as positive, the platform one to the right.
    const int vertical = we->angleDelta().y();
    const int horizontal = -we->angleDelta().x();
    if (vertical == 0 && horizontal == 0)
        return true;
    const QPoint global = we->globalPosition().toPoint();
    win32::NoteCursorPos({global.x(), global.y()});
    NoteModifiers(we->modifiers());
    const WORD keys = MouseKeysFromQt(we->buttons(), we->modifiers());
    const LPARAM pos = MAKELPARAM(global.x(), global.y());
    // The window under the pointer hears the wheel, as desktops here do.
    const HWND own = Control_->Handle();
    if (vertical != 0) {
        CurrentMsg_ = WM_MOUSEWHEEL;
        SendMessageA(own, WM_MOUSEWHEEL, MAKEWPARAM(keys, vertical), pos);
    }
    if (horizontal != 0 && IsWindow(own)) {
        CurrentMsg_ = WM_MOUSEHWHEEL;
        SendMessageA(own, WM_MOUSEHWHEEL, MAKEWPARAM(keys, horizontal), pos);
    }
    return true;
}

bool TWidgetPeer::Key(QEvent* event)
{
    // Taken here: keys never go on to the parent widget.
    event->accept();
    const auto* ke = static_cast<QKeyEvent*>(event);
    const bool release = event->type() == QEvent::KeyRelease;
    const TKeyMessage key = KeyMessageFromQt(*ke);
    win32::NoteModifierKeys(key.Shift.Contains(ssShift), key.Shift.Contains(ssCtrl),
                            key.Shift.Contains(ssAlt));
    const HWND own = Control_->Handle();
    // Keys go to the window with the focus.
    HWND target = GetFocus();
    if (!target)
        target = own;
    const WPARAM vk = key.VirtualKey;
    const LPARAM data = key.KeyData;
    if (release) {
        if (vk) {
            if (!key.System && SendMessageA(target, CN_KEYUP, vk, data) != 0)
                return true;
            if (IsWindow(target)) {
                if (target == own)
                    CurrentMsg_ = key.System ? WM_SYSKEYUP : WM_KEYUP;
                SendMessageA(target, key.System ? WM_SYSKEYUP : WM_KEYUP, vk, data);
            }
        }
        return true;
    }
    if (vk) {
        // The control's own look at the key first (the dialog keys); a key
        // it takes goes no further.
        if (SendMessageA(target, key.System ? CN_SYSKEYDOWN : CN_KEYDOWN, vk, data) != 0)
            return true;
        if (!IsWindow(target))
            return true;
        if (target == own)
            CurrentMsg_ = key.System ? WM_SYSKEYDOWN : WM_KEYDOWN;
        SendMessageA(target, key.System ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, data);
    }
    // Then the characters the key makes, one message per UTF-16 unit.
    const QString text = ke->text();
    for (const QChar c : text) {
        const WPARAM unit = CharUnitFromQt(c, key);
        if ((unit < 0x20 && unit != '\r' && unit != '\b' && unit != '\t' && unit != 0x1B &&
             !key.Shift.Contains(ssCtrl)) ||
            unit == 0x7F || !IsWindow(target))
            continue;
        if (SendMessageA(target, key.System ? CN_SYSCHAR : CN_CHAR, unit, data) != 0)
            continue;
        if (IsWindow(target))
            SendMessageA(target, key.System ? WM_SYSCHAR : WM_CHAR, unit, data);
    }
    return true;
}

bool TWidgetPeer::Paint(QEvent* event)
{
    const auto* pe = static_cast<QPaintEvent*>(event);
    TWinControl* control = Control_;
    if (control->WidgetPaints()) {
        CurrentMsg_ = WM_PAINT;
        SendMessageA(control->Handle(), WM_PAINT, 0, 0);
        return true;
    }
    const QPoint offset = ClientOffset();
    const QRect client = ClientArea();
    if (!NonClient_.isNull()) {
        QRegion outside = pe->region() - QRegion(client);
        if (!outside.isEmpty())
            PaintNonClient(outside);
        if (Destroyed_ || !Widget_)
            return true;
    }
    {
        QPainter painter(Widget_);
        // Device contexts kept past the paint must not reach its painter.
        struct Detach {
            QPainter& Painter;
            ~Detach() { win32::DetachPainterDCs(Painter); }
        } detach{painter};
        struct Active {
            QPainter* Painter;
            explicit Active(QPainter* p) : Painter(p) { ActivePaints().push_back(p); }
            ~Active() { std::erase(ActivePaints(), Painter); }
        } active(&painter);
        // The border inside the frame is the window's own colour.
        if (control->BorderWidth() > 0) {
            QRegion border(Widget_->rect());
            border -= QRegion(client);
            painter.setClipRegion(border);
            painter.fillRect(Widget_->rect(), ColorToQColor(control->Color()));
            painter.setClipping(false);
        }
        painter.translate(offset);
        const QRect clip = pe->rect().intersected(client).translated(-offset);
        painter.setClipRect(clip);
        const TPaintContext context(painter, {clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1});
        SendPaintMessages(context, {WM_ERASEBKGND, WM_PAINT});
    }
    // The frame is the widget's: it draws it itself.
    if (!Destroyed_ && Widget_) {
        if (auto* frame = qobject_cast<QFrame*>(Widget_.data());
            frame && frame->frameShape() != QFrame::NoFrame) {
            QObject* self = frame;
            self->event(event);
        }
    }
    return true;
}

// WM_NCPAINT through the window's context: the control takes GetWindowDC,
// which draws through this painter from the window's corner.
void TWidgetPeer::PaintNonClient(const QRegion& region)
{
    QPainter painter(Widget_);
    struct Detach {
        QPainter& Painter;
        ~Detach() { win32::DetachPainterDCs(Painter); }
    } detach{painter};
    painter.setClipRegion(region);
    const QPoint offset = ClientOffset();
    painter.translate(offset);
    const QRect all = Widget_->rect().translated(-offset);
    const TPaintContext context(painter, {all.left(), all.top(), all.right() + 1, all.bottom() + 1});
    SendPaintMessages(context, {WM_NCPAINT});
}

// The messages in order while the control paints through context; a
// message whose handler destroyed the window ends them.
void TWidgetPeer::SendPaintMessages(const TPaintContext& context, std::initializer_list<UINT> messages)
{
    TWinControl* control = Control_;
    struct Reset {
        TWinControl* Control;
        QPointer<TWidgetPeer> Peer;
        ~Reset()
        {
            if (Peer && !Peer->Destroyed_)
                Control->CurrentPaint_ = nullptr;
        }
    } reset{control, this};
    control->CurrentPaint_ = &context;
    const HWND own = control->Handle();
    for (UINT msg : messages) {
        if (!IsWindow(own))
            return;
        // WM_NCPAINT's wParam 1: the whole frame.
        SendMessageA(own, msg, msg == WM_NCPAINT ? 1 : 0, 0);
    }
}

bool TWidgetPeer::Focus(QEvent* event)
{
    const HWND own = Control_->Handle();
    if (event->type() == QEvent::FocusIn) {
        if (GetFocus() != own)
            SetFocus(own);
    } else if (GetFocus() == own) {
        // Focus that moves to another of our windows is told by its FocusIn.
        const QWidget* now = QApplication::focusWidget();
        if (!now || !ControlOf(now))
            SetFocus(nullptr);
    }
    return false;
}

void TWidgetPeer::Activation(bool active)
{
    if (!Widget_ || Widget_->parentWidget() || !Control_->HandleAllocated())
        return;
    // A disabled window is never activated: a window manager that gives
    // the focus to an owner a modal form disabled has its activation go to
    // that form, as clicking such an owner does on the platform. Noted as
    // it came, the owner would take the keyboard, and the modal form's keys
    // would go to a window that can do nothing with them.
    if (active && !IsWindowEnabled(Control_->Handle())) {
        const std::vector<TCustomForm*>& forms = AllForms();
        for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
            TCustomForm* form = *it;
            if (form->FormState().Contains(fsModal) && form->HandleAllocated() && form->Visible() &&
                IsWindowEnabled(form->Handle())) {
                SetActiveWindow(form->Handle());
                break;
            }
        }
        return;
    }
    // The other window of the change: the one now active when this one
    // loses it, the one before when it gains it (the platform keeps that).
    HWND other = nullptr;
    if (!active)
        if (const QWidget* now = QApplication::activeWindow(); now && now != Widget_)
            if (TWinControl* control = ControlOf(now); control && control->HandleAllocated())
                other = control->Handle();
    win32::NoteActivation(Control_->Handle(), active, other);
}

void TWidgetPeer::Outside(QEvent* event)
{
    if (event->type() == QEvent::ApplicationPaletteChange) {
        if (!Widget_->parentWidget())
            Control_->Perform(CM_SYSCOLORCHANGE);
        return;
    }
    // Only a top-level window is moved or sized from outside (by the desktop);
    // children move when the framework moves them.
    if (ApplyingGeometry_ || Widget_->parentWidget())
        return;
    const QRect g = Widget_->geometry();
    if (g != QRect(Control_->Left(), Control_->Top(), Control_->Width(), Control_->Height()))
        Control_->SetBounds(g.x(), g.y(), g.width(), g.height());
}

void EndPaintsBeforeNestedLoop()
{
    for (QPainter* painter : ActivePaints()) {
        win32::DetachPainterDCs(*painter);
        if (painter->isActive())
            painter->end();
    }
}

} // namespace vcl
