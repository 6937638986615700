// Push buttons painted in the desktop's style, one-line edits and labels.

#include "vcl/widgets/StdCtrls.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "vcl/widgets/EditControl_p.h"
#include "vcl/widgets/Forms.h"
#include "win32/DeviceContext.h"
#include "win32/EditControls.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <climits>

namespace vcl {

namespace {

// Whether the key came without Shift, Ctrl or Alt.
bool NoModifiers(LPARAM keyData)
{
    return KeyDataToShiftState(keyData, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0).Empty();
}

} // namespace

// ---- TButton ----

const TClassRtti& TButton::PublishedTable()
{
    static const TClassRtti table =
        PublishWinControl(Publish<TButton>(), clBtnFace, true)
            .Property<&TButton::Caption, &TButton::SetCaption>("Caption")
            .Property<&TButton::Cancel, &TButton::SetCancel>("Cancel")
            .Default(false)
            .Property<&TButton::Default, &TButton::SetDefault>("Default")
            .Default(false)
            .Property<&TButton::ModalResult, &TButton::SetModalResult>("ModalResult")
            .Default(mrNone);
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

// ---- TCustomEdit ----

const TClassRtti& TEdit::PublishedTable()
{
    static const TClassRtti table =
        PublishWinControl(Publish<TEdit>(), clWindow, true)
            .Property<&TEdit::AutoSelect, &TEdit::SetAutoSelect>("AutoSelect")
            .Default(true)
            .Property<&TEdit::AutoSize, &TEdit::SetAutoSize>("AutoSize")
            .Default(true)
            .Property<&TEdit::BorderStyle, &TEdit::SetBorderStyle>("BorderStyle")
            .Default(bsSingle)
            .Property<&TEdit::CharCase, &TEdit::SetCharCase>("CharCase")
            .Default(ecNormal)
            .Property<&TEdit::MaxLength, &TEdit::SetMaxLength>("MaxLength")
            .Default(0)
            .Property<&TEdit::PasswordChar, &TEdit::SetPasswordChar>("PasswordChar")
            .Default('\0')
            .Property<&TEdit::ReadOnly, &TEdit::SetReadOnly>("ReadOnly")
            .Default(false)
            .Property<&TEdit::Text, &TEdit::SetText>("Text")
            .Property<&TEdit::OnChange>("OnChange");
    return table;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    ControlStyle_ = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 121, 25);
    SetTabStop(true);
    SetColor(clWindow);
    SetParentColor(false);
    AdjustHeight();
}

void TCustomEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style |= ES_AUTOHSCROLL | ES_LEFT;
    if (BorderStyle_ == bsSingle)
        params.ExStyle |= WS_EX_CLIENTEDGE;
    if (ReadOnly_)
        params.Style |= ES_READONLY;
    if (CharCase_ == ecUpperCase)
        params.Style |= ES_UPPERCASE;
    else if (CharCase_ == ecLowerCase)
        params.Style |= ES_LOWERCASE;
    params.WinClassName = "EDIT";
}

QWidget* TCustomEdit::CreatePeerWidget(QWidget* parentWidget)
{
    TCreateParams params;
    CreateParams(params);
    return new TEditWidget(parentWidget, params.Caption, params.Style, params.ExStyle);
}

void TCustomEdit::CreateWnd()
{
    Creating_ = true;
    try {
        TWinControl::CreateWnd();
    } catch (...) {
        Creating_ = false;
        throw;
    }
    Creating_ = false;
    Perform(EM_LIMITTEXT, static_cast<WPARAM>(MaxLength_));
    Perform(EM_SETMODIFY, Modified_ ? TRUE : FALSE);
    if (PasswordChar_ != 0)
        Perform(EM_SETPASSWORDCHAR, static_cast<unsigned char>(PasswordChar_));
}

void TCustomEdit::DestroyWnd()
{
    // The text and its modified state outlive the window.
    const std::string text = Text();
    Modified_ = Modified();
    TWinControl::DestroyWnd();
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TCustomEdit::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND:
        return CNCommand(message);
    case CM_ENTER:
        return CMEnter(message);
    case WM_PAINT:
    case WM_GETDLGCODE:
        // The edit window's own.
        return DefaultHandler(message);
    case CM_FONTCHANGED:
        TWinControl::Dispatch(message);
        AdjustHeight();
        return;
    default:
        return TWinControl::Dispatch(message);
    }
}

void TCustomEdit::DefaultHandler(TMessage& message)
{
    if (auto* edit = dynamic_cast<TEditWidget*>(Peer()); edit && HandleAllocated())
        if (edit->Handle(Handle(), message))
            return;
    TWinControl::DefaultHandler(message);
}

void TCustomEdit::CNCommand(TMessage& message)
{
    if (message.WParamHi() == EN_CHANGE && !Creating_)
        Change();
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::CMEnter(TMessage& message)
{
    // Entered by the keyboard, not by a click that places the caret.
    if (AutoSelect_ && !ControlState_.Contains(csLButtonDown) && GetKeyState(VK_LBUTTON) >= 0)
        SelectAll();
    TWinControl::Dispatch(message);
}

void TCustomEdit::Loaded()
{
    TWinControl::Loaded();
    AdjustHeight();
}

void TCustomEdit::SetAutoSize(bool value)
{
    if (value != AutoSize_) {
        AutoSize_ = value;
        AdjustHeight();
    }
}

void TCustomEdit::AdjustHeight()
{
    if (!AutoSize_ || ComponentState().Contains(csLoading))
        return;
    // The font's line with room above and below it, inside the border.
    const QFontMetrics metrics(Font()->ToQFont());
    const int border = BorderStyle_ == bsSingle ? 2 : 0;
    SetHeight(metrics.height() + metrics.height() / 4 + 2 * border + 4);
}

void TCustomEdit::SetBorderStyle(TBorderStyle value)
{
    if (value == BorderStyle_)
        return;
    BorderStyle_ = value;
    AdjustHeight();
    RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase value)
{
    if (value == CharCase_)
        return;
    CharCase_ = value;
    RecreateWnd();
}

void TCustomEdit::SetMaxLength(int value)
{
    MaxLength_ = std::max(0, value);
    if (HandleAllocated())
        Perform(EM_LIMITTEXT, static_cast<WPARAM>(MaxLength_));
}

void TCustomEdit::SetReadOnly(bool value)
{
    ReadOnly_ = value;
    if (HandleAllocated())
        Perform(EM_SETREADONLY, value ? TRUE : FALSE);
}

void TCustomEdit::SetPasswordChar(char value)
{
    if (value == PasswordChar_)
        return;
    PasswordChar_ = value;
    if (HandleAllocated()) {
        Perform(EM_SETPASSWORDCHAR, static_cast<unsigned char>(value));
        Invalidate();
    }
}

bool TCustomEdit::Modified() const
{
    auto* self = const_cast<TCustomEdit*>(this);
    return HandleAllocated() ? self->Perform(EM_GETMODIFY) != 0 : Modified_;
}

void TCustomEdit::SetModified(bool value)
{
    Modified_ = value;
    if (HandleAllocated())
        Perform(EM_SETMODIFY, value ? TRUE : FALSE);
}

void TCustomEdit::SelectionBytes(DWORD& start, DWORD& end) const
{
    // The selection is the window's: it is made to be asked.
    auto* self = const_cast<TCustomEdit*>(this);
    self->HandleNeeded();
    self->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
}

int TCustomEdit::SelStart() const
{
    DWORD start = 0;
    DWORD end = 0;
    SelectionBytes(start, end);
    return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int value)
{
    HandleNeeded();
    Perform(EM_SETSEL, static_cast<WPARAM>(value), value);
}

int TCustomEdit::SelLength() const
{
    DWORD start = 0;
    DWORD end = 0;
    SelectionBytes(start, end);
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int value)
{
    const int start = SelStart();
    // "To the end" is often asked as MaxInt: the end saturates, it never wraps.
    const long long end = static_cast<long long>(start) + std::max(0, value);
    Perform(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(std::min<long long>(end, INT_MAX)));
}

std::string TCustomEdit::SelText() const
{
    DWORD start = 0;
    DWORD end = 0;
    SelectionBytes(start, end);
    const std::string text = Text();
    return text.substr(std::min<std::size_t>(start, text.size()), end - start);
}

void TCustomEdit::SetSelText(const std::string& value)
{
    HandleNeeded();
    Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

void TCustomEdit::SelectAll()
{
    HandleNeeded();
    Perform(EM_SETSEL, 0, -1);
}

void TCustomEdit::ClearSelection()
{
    Perform(WM_CLEAR);
}

void TCustomEdit::CopyToClipboard()
{
    Perform(WM_COPY);
}

void TCustomEdit::CutToClipboard()
{
    Perform(WM_CUT);
}

void TCustomEdit::PasteFromClipboard()
{
    Perform(WM_PASTE);
}

bool TCustomEdit::CanUndo() const
{
    return HandleAllocated() && const_cast<TCustomEdit*>(this)->Perform(EM_CANUNDO) != 0;
}

void TCustomEdit::Undo()
{
    Perform(WM_UNDO);
}

// ---- TLabel ----

const TClassRtti& TLabel::PublishedTable()
{
    static const TClassRtti table =
        PublishControl(Publish<TLabel>(), clBtnFace, true)
            .Property<&TLabel::Alignment, &TLabel::SetAlignment>("Alignment")
            .Default(taLeftJustify)
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

void TLabel::Loaded()
{
    TGraphicControl::Loaded();
    // Sized once its text and font are read.
    AdjustBounds();
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

void TLabel::SetAlignment(TAlignment value)
{
    if (value != Alignment_) {
        Alignment_ = value;
        Invalidate();
    }
}

UINT TLabel::DrawFlags() const
{
    static constexpr UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    UINT flags = DT_EXPANDTABS | (WordWrap_ ? DT_WORDBREAK : 0u) | kAlign[Alignment_];
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
    const int left = Alignment_ == taRightJustify ? Left() + Width() - rect.right : Left();
    SetBounds(left, Top(), rect.right, rect.bottom);
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
