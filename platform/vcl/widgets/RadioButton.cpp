// The radio button, painted in the style of the desktop.

#include "vcl/widgets/RadioButton.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "win32/Menus.h"
#include "win32/VirtualKeys.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include <cctype>

namespace vcl {

const TClassRtti& TRadioButton::PublishedTable()
{
    static const TClassRtti table =
        PublishWinControl(Publish<TRadioButton>(), clBtnFace, false)
            .Property<&TRadioButton::Caption, &TRadioButton::SetCaption>("Caption")
            .Property<&TRadioButton::Checked, &TRadioButton::SetChecked>("Checked")
            .Default(false);
    return table;
}

TRadioButton::TRadioButton(TComponent* owner) : TCustomControl(owner)
{
    ControlStyle_ -= csDoubleClicks;
    // Its click is the checking, which runs Click itself.
    ControlStyle_ -= csClickEvents;
    SetBounds(0, 0, 113, 17);
    SetColor(clBtnFace);
}

void TRadioButton::SetChecked(bool value)
{
    if (value == Checked_)
        return;
    Checked_ = value;
    SetTabStop(value);
    Invalidate();
    if (!value)
        return;
    if (TWinControl* parent = Parent())
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i)); sibling && sibling != this)
                sibling->SetChecked(false);
    // A form being read sets the state it had; nobody clicked.
    if (!ComponentState().Contains(csLoading))
        Click();
}

void TRadioButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_DIALOGCHAR:
        return CMDialogChar(message);
    case CM_FOCUSCHANGED:
    case CM_ENTER:
    case CM_EXIT:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::Dispatch(message);
}

void TRadioButton::CMDialogChar(TMessage& message)
{
    const char mnemonic = win32::MenuMnemonic(Caption());
    if (mnemonic != 0 && message.WParam < 0x80 &&
        std::tolower(static_cast<int>(message.WParam)) == mnemonic && CanFocus()) {
        SetFocus();
        SetChecked(true);
        message.Result = 1;
        return;
    }
    TCustomControl::Dispatch(message);
}

void TRadioButton::KeyUp(WORD& key, TShiftState shift)
{
    TCustomControl::KeyUp(key, shift);
    if (key == VK_SPACE)
        SetChecked(true);
}

void TRadioButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft) {
        if (CanFocus())
            SetFocus();
        Pressed_ = true;
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TRadioButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    const bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
    if (button == mbLeft && Pressed_) {
        Pressed_ = false;
        if (inside)
            SetChecked(true);
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TRadioButton::Paint()
{
    const TPaintContext* context = PaintContext();
    if (!context)
        return;
    QPainter& painter = context->Painter();
    painter.fillRect(0, 0, Width(), Height(), ColorToQColor(Color()));
    QStyleOptionButton option;
    if (QWidget* peer = Peer())
        option.initFrom(peer);
    option.rect = QRect(0, 0, Width(), Height());
    QString text = QString::fromStdString(Caption());
    option.text = text;
    option.palette.setColor(QPalette::WindowText, ColorToQColor(Font()->Color()));
    option.palette.setColor(QPalette::Window, ColorToQColor(Color()));
    option.state = QStyle::State_None;
    if (Enabled())
        option.state |= QStyle::State_Enabled;
    option.state |= Checked_ ? QStyle::State_On : QStyle::State_Off;
    if (Focused())
        option.state |= QStyle::State_HasFocus;
    painter.save();
    painter.setFont(Font()->ToQFont());
    QApplication::style()->drawControl(QStyle::CE_RadioButton, &option, &painter, Peer());
    painter.restore();
}

} // namespace vcl
