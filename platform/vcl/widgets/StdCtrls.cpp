// Push buttons painted in the desktop's style, and labels.

#include "vcl/widgets/StdCtrls.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/Forms.h"
#include "win32/DeviceContext.h"
#include "win32/Menus.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include <cctype>

namespace vcl {

namespace {

// Whether ch is the mnemonic of text ("&x").
bool IsAccel(WPARAM ch, const std::string& text)
{
    const char mnemonic = win32::MenuMnemonic(text);
    return mnemonic != 0 && ch < 0x80 && std::tolower(static_cast<int>(ch)) == mnemonic;
}

bool NoModifiers(LPARAM keyData)
{
    return KeyDataToShiftState(keyData, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0).Empty();
}

} // namespace

// ---- TButton ----

const TClassRtti& TButton::PublishedTable()
{
    static const TClassRtti table =
        Publish<TButton>()
            .Property<&TButton::Caption, &TButton::SetCaption>("Caption")
            .Property<&TButton::Cancel, &TButton::SetCancel>("Cancel")
            .Default(false)
            .Property<&TButton::Default, &TButton::SetDefault>("Default")
            .Default(false)
            .Property<&TButton::ModalResult, &TButton::SetModalResult>("ModalResult")
            .Default(mrNone)
            .Property<&TButton::TabStop, &TButton::SetTabStop>("TabStop")
            .Default(true)
            .Property<&TButton::OnClick>("OnClick");
    return table;
}

TButton::TButton(TComponent* owner) : TCustomControl(owner)
{
    ControlStyle_ -= csDoubleClicks;
    ControlStyle_ -= csSetCaption;
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
    SetColor(clBtnFace);
}

void TButton::SetDefault(bool value)
{
    if (value != Default_) {
        Default_ = value;
        Invalidate();
    }
}

bool TButton::Active() const
{
    TCustomForm* form = GetParentForm(const_cast<TButton*>(this));
    TWinControl* focused = FindControl(GetFocus());
    if (focused == this)
        return true;
    // Another button with the focus takes Enter itself.
    if (dynamic_cast<TButton*>(focused) && form && form->ContainsControl(focused))
        return false;
    return Default_;
}

void TButton::Click()
{
    if (TCustomForm* form = GetParentForm(this); form && ModalResult_ != mrNone)
        form->SetModalResult(ModalResult_);
    TCustomControl::Click();
}

void TButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_DIALOGKEY:
        return CMDialogKey(message);
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

void TButton::CMDialogKey(TMessage& message)
{
    const bool enter = message.WParam == VK_RETURN && Active();
    const bool escape = message.WParam == VK_ESCAPE && Cancel_;
    if ((enter || escape) && NoModifiers(message.LParam) && CanFocus()) {
        Click();
        message.Result = 1;
        return;
    }
    TCustomControl::Dispatch(message);
}

void TButton::CMDialogChar(TMessage& message)
{
    if (IsAccel(message.WParam, Caption()) && CanFocus()) {
        Click();
        message.Result = 1;
        return;
    }
    TCustomControl::Dispatch(message);
}

void TButton::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_SPACE && !Pressed_) {
        Pressed_ = true;
        Invalidate();
    }
    TCustomControl::KeyDown(key, shift);
}

void TButton::KeyUp(WORD& key, TShiftState shift)
{
    TCustomControl::KeyUp(key, shift);
    if (key == VK_SPACE && Pressed_) {
        Pressed_ = false;
        Invalidate();
        Click();
    }
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft) {
        if (CanFocus())
            SetFocus();
        Pressed_ = true;
        Invalidate();
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && Pressed_) {
        Pressed_ = false;
        Invalidate();
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TButton::Paint()
{
    const TPaintContext* context = PaintContext();
    if (!context)
        return;
    QStyleOptionButton option;
    if (QWidget* peer = Peer())
        option.initFrom(peer);
    option.rect = QRect(0, 0, Width(), Height());
    option.text = QString::fromStdString(Caption());
    option.palette.setColor(QPalette::Button, ColorToQColor(Color()));
    option.palette.setColor(QPalette::ButtonText, ColorToQColor(Font()->Color()));
    option.state = QStyle::State_None;
    if (Enabled())
        option.state |= QStyle::State_Enabled;
    option.state |= Pressed_ ? QStyle::State_Sunken : QStyle::State_Raised;
    if (Focused())
        option.state |= QStyle::State_HasFocus;
    if (Active())
        option.features |= QStyleOptionButton::DefaultButton;
    QPainter& painter = context->Painter();
    painter.save();
    painter.setFont(Font()->ToQFont());
    QApplication::style()->drawControl(QStyle::CE_PushButton, &option, &painter, Peer());
    painter.restore();
}

// ---- TLabel ----

const TClassRtti& TLabel::PublishedTable()
{
    static const TClassRtti table =
        Publish<TLabel>()
            .Property<&TLabel::Caption, &TLabel::SetCaption>("Caption")
            .Property<&TLabel::AutoSize, &TLabel::SetAutoSize>("AutoSize")
            .Default(true)
            .Property<&TLabel::FocusControl, &TLabel::SetFocusControl>("FocusControl")
            .Property<&TLabel::ShowAccelChar, &TLabel::SetShowAccelChar>("ShowAccelChar")
            .Default(true)
            .Property<&TLabel::Transparent, &TLabel::SetTransparent>("Transparent")
            .Default(false)
            .Property<&TLabel::WordWrap, &TLabel::SetWordWrap>("WordWrap")
            .Default(false);
    return table;
}

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 65, 17);
}

void TLabel::SetFocusControl(TWinControl* value)
{
    if (value == FocusControl_)
        return;
    if (FocusControl_)
        FocusControl_->RemoveFreeNotification(this);
    FocusControl_ = value;
    if (FocusControl_)
        FocusControl_->FreeNotification(this);
}

void TLabel::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == FocusControl_)
        FocusControl_ = nullptr;
}

void TLabel::SetShowAccelChar(bool value)
{
    if (value != ShowAccelChar_) {
        ShowAccelChar_ = value;
        AdjustBounds();
        Invalidate();
    }
}

void TLabel::SetWordWrap(bool value)
{
    if (value != WordWrap_) {
        WordWrap_ = value;
        AdjustBounds();
        Invalidate();
    }
}

void TLabel::SetTransparent(bool value)
{
    if (value != Transparent_) {
        Transparent_ = value;
        Invalidate();
    }
}

void TLabel::SetAutoSize(bool value)
{
    if (value != AutoSize_) {
        AutoSize_ = value;
        AdjustBounds();
    }
}

UINT TLabel::DrawFlags() const
{
    UINT flags = DT_EXPANDTABS | (WordWrap_ ? DT_WORDBREAK : 0u);
    if (!ShowAccelChar_)
        flags |= DT_NOPREFIX;
    return flags;
}

void TLabel::AdjustBounds()
{
    if (!AutoSize_ || ComponentState().Contains(csLoading))
        return;
    // Measured as it will be drawn, in the label's font, on a scratch
    // surface: the label may have no window to draw on yet.
    RECT rect{0, 0, WordWrap_ ? Width() : 0, 0};
    const std::string text = Caption().empty() ? std::string(" ") : Caption();
    QImage scratch(1, 1, QImage::Format_RGB32);
    HDC dc = win32::CreateImageDC(scratch);
    TCanvas* canvas = Create<TCanvas>();
    canvas->SetHandle(dc);
    canvas->Font()->Assign(Font());
    DrawTextA(canvas->Handle(), text.c_str(), -1, &rect, DrawFlags() | DT_CALCRECT);
    canvas->SetHandle(nullptr);
    vcl::Free(canvas);
    DeleteDC(dc);
    SetBounds(Left(), Top(), rect.right, rect.bottom);
}

void TLabel::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_DIALOGCHAR:
        return CMDialogChar(message);
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TGraphicControl::Dispatch(message);
        AdjustBounds();
        Invalidate();
        return;
    default:
        return TGraphicControl::Dispatch(message);
    }
}

void TLabel::CMDialogChar(TMessage& message)
{
    if (FocusControl_ && Enabled() && ShowAccelChar_ && IsAccel(message.WParam, Caption()) &&
        FocusControl_->CanFocus()) {
        FocusControl_->SetFocus();
        message.Result = 1;
    }
}

void TLabel::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect bounds{0, 0, Width(), Height()};
    if (!Transparent_) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(bounds);
    }
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(Font());
    if (!Enabled())
        canvas->Font()->SetColor(clGrayText);
    RECT rect{0, 0, Width(), Height()};
    DrawTextA(canvas->Handle(), Caption().c_str(), -1, &rect, DrawFlags());
}

} // namespace vcl
