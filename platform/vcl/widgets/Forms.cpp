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

TCustomForm* GetParentForm(TControl* control)
{
    TControl* top = control;
    while (top && top->Parent())
        top = top->Parent();
    return dynamic_cast<TCustomForm*>(top);
}

} // namespace vcl
