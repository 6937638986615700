// What the shell tree's and the shell list's interaction share: reading a
// pressed shortcut, renaming an item through its folder, handing the wheel
// to the shell control under the pointer, and the shell menu's messages.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "vcl/widgets/ControlMessages.h"
#include "win32/Menus.h"
#include "win32/WideText.h"

namespace kw::detail {

namespace {

// The name flags items are renamed with.
constexpr DWORD RenameFlags = 0x20;

} // namespace

int PressedShortcut(WORD key, vcl::TShiftState shift, std::span<const TKwShortcutIndex> order)
{
    LoadShortcutKeys();
    const vcl::TShortCut pressed = vcl::ShortCut(key, shift);
    for (const TKwShortcutIndex index : order)
        if (ShortcutEntry(index).Key != 0 && ShortcutEntry(index).Key == pressed)
            return index;
    if (shift.Contains(vcl::ssShift) && ShortcutEntry(kwskDelete).Key != 0 &&
        ShortcutEntry(kwskDelete).Key == vcl::ShortCut(key, shift - vcl::TShiftState{vcl::ssShift}))
        return kwskDelete;
    return -1;
}

bool RenameItem(IShellFolder* folder, HWND owner, const ITEMIDLIST* item, const std::string& text,
                ScopedList& renamed)
{
    // The whole name goes to the shell, which refuses one too long.
    const std::u16string name = win32::BytesToWide(text);
    return folder && SUCCEEDED(folder->SetNameOf(owner, item, name.c_str(), RenameFlags, renamed.Out())) &&
           renamed.Get();
}

bool WheelToShellControlUnder(vcl::TWinControl* self, bool down, vcl::TShiftState shift,
                              const vcl::TPoint& mousePos)
{
    vcl::TWinControl* under = vcl::FindVCLWindow(mousePos);
    if (!under || under == self ||
        (!dynamic_cast<TKwCustomShellTree*>(under) && !dynamic_cast<TKwCustomShellList*>(under)))
        return false;
    WORD keys = 0;
    if (shift.Contains(vcl::ssShift))
        keys |= MK_SHIFT;
    if (shift.Contains(vcl::ssCtrl))
        keys |= MK_CONTROL;
    return under->Perform(vcl::CM_MOUSEWHEEL, MAKEWPARAM(keys, down ? -WHEEL_DELTA : WHEEL_DELTA),
                          MAKELPARAM(mousePos.x, mousePos.y)) != 0;
}

void ShellMenuMessage(vcl::TMessage& message, IContextMenu* menu, HIMAGELIST images, vcl::TObject* sender,
                      const TKwShPopupHintEvent& hint)
{
    switch (message.Msg) {
    case WM_INITMENUPOPUP:
        SendToInitMenuPopup(message, menu, KwSendToList());
        break;
    case WM_MEASUREITEM:
        SendToMeasureItem(message, menu, KwSendToList());
        break;
    case WM_DRAWITEM:
        SendToDrawItem(message, menu, images, KwSendToList());
        break;
    case WM_MENUCHAR:
        SendToMenuChar(message, menu, KwSendToList());
        break;
    case WM_MENUSELECT:
        ShellMenuSelectHint(message, menu, sender, hint);
        break;
    default:
        break;
    }
}

} // namespace kw::detail
