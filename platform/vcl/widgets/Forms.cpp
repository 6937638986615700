// Forms: top-level windows, key preview and the dialog keys.

#include "vcl/widgets/Forms.h"

#include "vcl/widgets/Menus.h"
#include "win32/Menus.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

namespace vcl {

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner)
{
    ControlStyle_ += csAcceptsControls;
    // A form shows when asked to, not when made.
    SetVisible(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
}

void TCustomForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    if (!Parent()) {
        params.Style &= ~(WS_CHILD | WS_TABSTOP);
        params.Style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
        params.WndParent = nullptr;
    }
}

void TCustomForm::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_DIALOGKEY:
        return CMDialogKey(message);
    case WM_CLOSE:
        return WMClose(message);
    case WM_COMMAND:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        // The menu's own messages; the rest are the controls'.
        if (Menu_ && Menu_->HandleMenuMessage(message))
            return;
        return TWinControl::Dispatch(message);
    case WM_ACTIVATE:
        return WMActivate(message);
    default:
        return TWinControl::Dispatch(message);
    }
}

void TCustomForm::CMDialogKey(TMessage& message)
{
    // Tab and Shift+Tab move the focus along the tab order.
    const bool alt = (message.LParam & (static_cast<LPARAM>(KF_ALTDOWN) << 16)) != 0;
    if (message.WParam == VK_TAB && !alt && GetKeyState(VK_CONTROL) >= 0) {
        TWinControl* current = FindControl(GetFocus());
        SelectNext(current, GetKeyState(VK_SHIFT) >= 0, true);
        message.Result = 1;
        return;
    }
    TWinControl::CMDialogKey(message);
}

void TCustomForm::WMClose(TMessage&)
{
    // Closing hides the form; its window stays for the next showing.
    SetVisible(false);
}

void TCustomForm::SetMenu(TMainMenu* value)
{
    if (value == Menu_)
        return;
    if (Menu_)
        Menu_->RemoveFreeNotification(this);
    Menu_ = value;
    if (Menu_)
        Menu_->FreeNotification(this);
}

void TCustomForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == Menu_)
        Menu_ = nullptr;
}

bool TCustomForm::IsShortCut(TMessage& message)
{
    bool handled = false;
    if (OnShortCut)
        OnShortCut(message, handled);
    return handled || (Menu_ && Menu_->IsShortCut(message));
}

namespace {

// Whether control is container or one of its children, at any depth.
bool Within(const TWinControl* container, const TControl* control)
{
    for (const TControl* up = control; up; up = up->Parent())
        if (up == container)
            return true;
    return false;
}

} // namespace

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control == ActiveControl_)
        return;
    if (control && (control == this || !Within(this, control) ||
                    (!ComponentState().Contains(csLoading) && Visible() && !control->CanFocus())))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    ActiveControl_ = control;
    if (control && !ComponentState().Contains(csLoading) && HandleAllocated() && Visible())
        control->SetFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* control)
{
    if (!Within(this, control))
        return true;
    ActiveControl_ = control != this ? control : nullptr;
    if (!FocusedControl_)
        FocusedControl_ = this;
    // A handler that moves the focus elsewhere ends this walk; the move
    // makes its own. The handle tells without touching a control a
    // handler may have freed.
    const HWND focus = control->Handle();
    while (FocusedControl_ && !Within(FocusedControl_, control)) {
        // The mark moves first: a handler that moves the focus walks on
        // from there, and one that frees the control leaves it alone.
        TWinControl* leaving = FocusedControl_;
        FocusedControl_ = leaving->Parent();
        if (leaving != this)
            leaving->Perform(CM_EXIT);
        if (GetFocus() != focus)
            return false;
    }
    if (!FocusedControl_)
        FocusedControl_ = this;
    while (FocusedControl_ != control) {
        TWinControl* entering = control;
        while (entering && entering->Parent() != FocusedControl_)
            entering = entering->Parent();
        if (!entering)
            break; // a handler moved the control out from under the mark
        FocusedControl_ = entering;
        entering->Perform(CM_ENTER);
        if (GetFocus() != focus)
            return false;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(control)));
    return true;
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing)
{
    if (removing && FocusedControl_ && Within(control, FocusedControl_))
        FocusedControl_ = control->Parent() && Within(this, control->Parent()) ? control->Parent() : this;
    if (ActiveControl_ && Within(control, ActiveControl_))
        ActiveControl_ = nullptr;
}

void TCustomForm::WMActivate(TMessage& message)
{
    // An activated form gives the focus back to the control that had it.
    if (LOWORD(message.WParam) != WA_INACTIVE && ActiveControl_ && ActiveControl_->CanFocus()) {
        const HWND focus = GetFocus();
        if (!focus || (focus != Handle() && !IsChild(Handle(), focus))) {
            ActiveControl_->SetFocus();
            return;
        }
    }
    DefaultHandler(message);
}

TCustomForm* GetParentForm(TControl* control)
{
    TControl* top = control;
    while (top && top->Parent())
        top = top->Parent();
    return dynamic_cast<TCustomForm*>(top);
}

} // namespace vcl
