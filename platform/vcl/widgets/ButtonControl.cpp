// The button control: the press, key and mnemonic handling and the painting
// the check box and the radio button share.

#include "vcl/widgets/ButtonControl.h"

#include "win32/VirtualKeys.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionButton>

namespace vcl {

TButtonControl::TButtonControl(TComponent* owner, QStyle::ControlElement element)
    : TCustomControl(owner), Element_(element)
{
    // Its click is the change of Checked, which clicks itself.
    ControlStyle_ -= csClickEvents;
    ControlStyle_ -= csDoubleClicks;
}

void TButtonControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_DIALOGCHAR:
        return CMDialogChar(message);
    case CM_FOCUSCHANGED:
    case CM_ENTER:
    case CM_EXIT:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::Dispatch(message);
}

void TButtonControl::CMDialogChar(TMessage& message)
{
    if (IsAccel(message.WParam, Caption()) && CanFocus()) {
        SetFocus();
        Toggle();
        message.Result = 1;
        return;
    }
    TCustomControl::Dispatch(message);
}

void TButtonControl::KeyUp(WORD& key, TShiftState shift)
{
    TCustomControl::KeyUp(key, shift);
    if (key == VK_SPACE)
        Toggle();
}

void TButtonControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft) {
        if (CanFocus())
            SetFocus();
        Pressed_ = true;
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TButtonControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    // The click comes before the mouse-up event, as with the desktop's own
    // buttons.
    if (button == mbLeft && Pressed_) {
        Pressed_ = false;
        if (x >= 0 && x < Width() && y >= 0 && y < Height())
            Toggle();
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TButtonControl::Paint()
{
    const TPaintContext* context = PaintContext();
    if (!context)
        return;
    QPainter& painter = context->Painter();
    painter.save();
    painter.fillRect(QRect(0, 0, Width(), Height()), ColorToQColor(Color()));
    QStyleOptionButton option;
    if (QWidget* peer = Peer())
        option.initFrom(peer);
    option.rect = QRect(0, 0, Width(), Height());
    option.text = QString::fromStdString(Caption());
    option.palette.setColor(QPalette::WindowText, ColorToQColor(Font()->Color()));
    option.palette.setColor(QPalette::Window, ColorToQColor(Color()));
    option.state = QStyle::State_None;
    if (Enabled())
        option.state |= QStyle::State_Enabled;
    option.state |= Checked_ ? QStyle::State_On : QStyle::State_Off;
    if (Focused())
        option.state |= QStyle::State_HasFocus;
    painter.setFont(Font()->ToQFont());
    QApplication::style()->drawControl(Element_, &option, &painter, Peer());
    painter.restore();
}

} // namespace vcl
