// The edit window over an item's label.

#include "vcl/widgets/LabelEdit_p.h"

#include "vcl/widgets/QtKeys.h"
#include "win32/EditControls.h"
#include "win32/VirtualKeys.h"

#include <QKeyEvent>
#include <QTimer>

#include <algorithm>

namespace vcl {

LabelEdit::LabelEdit(QWidget* host, HWND owner, const std::string& text, const QRect& at, QObject* context,
                     Finished finished)
    : Context_(context), OnFinished_(std::move(finished))
{
    Widget = new TEditWidget(host, text, ES_AUTOHSCROLL, 0);
    Widget->setFrame(true);
    Widget->setGeometry(at);
    Widget->installEventFilter(this);
    win32::WindowCreation creation;
    creation.Parent = owner;
    creation.Style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
    creation.ExStyle = WS_EX_NOPARENTNOTIFY;
    Window = win32::CreateWindowFor(this, creation, this);
}

LabelEdit::~LabelEdit()
{
    if (IsWindow(Window))
        DestroyWindow(Window);
    if (Widget) {
        Widget->removeEventFilter(this);
        delete Widget.data();
    }
}

LRESULT LabelEdit::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        Finish(wParam == VK_ESCAPE);
        return 0;
    }
    if (msg == WM_CHAR && (wParam == '\r' || wParam == 0x1B))
        return 0;
    if (msg == WM_GETDLGCODE)
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_HASSETSEL;
    LRESULT result = 0;
    if (Widget && Widget->Handle(window, message))
        result = message.Result;
    else
        result = DefWindowProcA(window, msg, wParam, lParam);
    if (msg == WM_KILLFOCUS)
        Finish(false);
    return result;
}

void LabelEdit::Finish(bool cancel)
{
    if (Finished_ || !Context_)
        return;
    Finished_ = true;
    // After the message that ended it.
    QTimer::singleShot(0, Context_.data(),
                       [this, cancel, finished = OnFinished_] { finished(this, cancel); });
}

// The toolkit's input to the edit comes in as the edit window's messages.
bool LabelEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (!Widget || watched != static_cast<QObject*>(Widget.data()) || !IsWindow(Window))
        return false;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* ke = static_cast<QKeyEvent*>(event);
        const TKeyMessage key = KeyMessageFromQt(*ke);
        const HWND window = Window;
        if (event->type() == QEvent::KeyRelease) {
            if (key.VirtualKey)
                SendMessageA(window, WM_KEYUP, key.VirtualKey, key.KeyData);
            return true;
        }
        if (key.VirtualKey)
            SendMessageA(window, WM_KEYDOWN, key.VirtualKey, key.KeyData);
        for (const QChar c : ke->text()) {
            if (!IsWindow(window) || c.unicode() == 0x7F)
                break;
            const char16_t unit = CharUnitFromQt(c, key);
            if (unit >= 0x20 || unit == '\b' || key.Shift.Contains(ssCtrl))
                SendMessageA(window, WM_CHAR, unit, key.KeyData);
        }
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && GetFocus() != Window)
        SetFocus(Window);
    return false;
}

std::string LabelEdit::Text() const
{
    const int length = static_cast<int>(SendMessageA(Window, WM_GETTEXTLENGTH, 0, 0));
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const auto got = SendMessageA(Window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, got)));
    return text;
}

RECT LabelEdit::PeerClientRect() const
{
    return Widget ? RECT{0, 0, Widget->width(), Widget->height()} : RECT{0, 0, 0, 0};
}

RECT LabelEdit::PeerWindowRect() const
{
    if (!Widget)
        return {0, 0, 0, 0};
    const QPoint origin = Widget->mapToGlobal(QPoint(0, 0));
    return {origin.x(), origin.y(), origin.x() + Widget->width(), origin.y() + Widget->height()};
}

POINT LabelEdit::PeerClientOrigin() const
{
    const QPoint origin = Widget ? Widget->mapToGlobal(QPoint(0, 0)) : QPoint();
    return {origin.x(), origin.y()};
}

void LabelEdit::PeerInvalidate(const RECT*, bool)
{
    if (Widget)
        Widget->update();
}

void LabelEdit::PeerUpdate()
{
    if (Widget)
        Widget->repaint();
}

bool LabelEdit::PeerVisible() const
{
    return Widget && Widget->isVisible();
}

bool LabelEdit::PeerEnabled() const
{
    return Widget && Widget->isEnabled();
}

void LabelEdit::PeerTakeFocus()
{
    if (Widget)
        Widget->setFocus(Qt::OtherFocusReason);
}

} // namespace vcl
