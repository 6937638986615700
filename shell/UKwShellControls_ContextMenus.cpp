// The shell's context menus as the tree and the list use them: building one
// into a popup, running a command by verb or number, and the help text of
// the highlighted command.

#include "UKwShellControls.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/SysUtils.h"
#include "win32/Icons.h"
#include "win32/Menus.h"

#include <array>
#include <utility>

namespace kw {

namespace {

// The texts GetCommandString writes: the platform's 260 characters and the
// terminator.
constexpr UINT CommandStringSize = 261;

// A popup menu destroyed with the object unless let go.
class ScopedPopup {
public:
    ScopedPopup() : Menu_(CreatePopupMenu()) {}
    ~ScopedPopup()
    {
        if (Menu_)
            DestroyMenu(Menu_);
    }
    ScopedPopup(const ScopedPopup&) = delete;
    ScopedPopup& operator=(const ScopedPopup&) = delete;
    HMENU Get() const { return Menu_; }
    HMENU Release() { return std::exchange(Menu_, nullptr); }

private:
    HMENU Menu_;
};

// The text of one kind the menu object gives for a command; nothing unless
// it answers S_OK. The buffer ends in a terminator whatever the object wrote.
bool CommandString(IContextMenu* menu, UINT command, UINT kind, std::string& text)
{
    std::array<char, CommandStringSize> buffer{};
    if (menu->GetCommandString(command, kind, nullptr, buffer.data(), CommandStringSize) != S_OK)
        return false;
    buffer.back() = '\0';
    text = buffer.data();
    return true;
}

} // namespace

HRESULT GetShellContextMenu(HWND owner, IShellFolder* folder, UINT count, LPCITEMIDLIST* items, UINT firstId,
                            UINT flags, HMENU* popup, IContextMenu** menu)
{
    if (!popup || !menu)
        return E_POINTER;
    *popup = nullptr;
    *menu = nullptr;
    if (!folder)
        return E_INVALIDARG;
    com::ComPtr<IContextMenu> found;
    if (const HRESULT hr = folder->GetUIObjectOf(owner, count, items, IID_IContextMenu, nullptr,
                                                 reinterpret_cast<void**>(found.ReleaseAndGetAddressOf()));
        FAILED(hr))
        return hr;
    if (!found)
        return E_NOINTERFACE;
    ScopedPopup made;
    if (!made.Get()) {
        *menu = found.Detach();
        return S_OK;
    }
    const HRESULT hr = found->QueryContextMenu(made.Get(), 0, firstId, KwShellMenuLastId, flags);
    // A menu that cannot be filled is no menu: the object and the popup go.
    vcl::OleCheck(hr);
    *popup = made.Release();
    *menu = found.Detach();
    return hr;
}

int FindVerbCommand(IContextMenu* menu, const std::string& verb)
{
    if (!menu)
        return KwNoVerbCommand;
    ScopedPopup popup;
    if (!popup.Get())
        return KwNoVerbCommand;
    vcl::OleCheck(menu->QueryContextMenu(popup.Get(), 0, KwShellMenuFirstId, KwShellMenuLastId, CMF_EXPLORE));
    const int count = GetMenuItemCount(popup.Get());
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(popup.Get(), i);
        // Separators (0), submenus (-1) and ids the object should not have
        // used carry no verb of its commands.
        if (id < KwShellMenuFirstId || id > KwShellMenuLastId)
            continue;
        std::string text;
        if (CommandString(menu, id - KwShellMenuFirstId, GCS_VERBA, text) && vcl::AnsiSameText(text, verb))
            return static_cast<int>(id - KwShellMenuFirstId);
    }
    return KwNoVerbCommand;
}

HRESULT InvokeContextCommand(HWND owner, IContextMenu* menu, const std::string& verb)
{
    if (!menu)
        return E_INVALIDARG;
    const int command = FindVerbCommand(menu, verb);
    // A verb the menu does not offer runs nothing: command 0 is whatever
    // comes first, most often "open".
    if (command == KwNoVerbCommand)
        return E_INVALIDARG;
    return InvokeContextCommand(owner, menu, static_cast<UINT>(command));
}

HRESULT InvokeContextCommand(HWND owner, IContextMenu* menu, UINT command)
{
    // The record's verb carries a number in its low word only.
    if (!menu || command > 0xFFFF)
        return E_INVALIDARG;
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.fMask = 0;
    info.hwnd = owner;
    info.lpVerb = MAKEINTRESOURCEA(static_cast<int>(command));
    info.lpParameters = nullptr;
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOWNORMAL;
    info.dwHotKey = 0;
    info.hIcon = nullptr;
    return menu->InvokeCommand(&info);
}

void ShellMenuSelectHint(const vcl::TMessage& message, IContextMenu* menu, vcl::TObject* sender,
                         const TKwShPopupHintEvent& onHint)
{
    if (!menu || !onHint)
        return;
    const UINT id = message.WParamLo();
    const UINT flags = message.WParamHi();
    std::string hint;
    // Submenus report positions and the system menu its own commands: no
    // command of the menu object is highlighted. Closing the menu (flags
    // 0xFFFF) falls here too and clears the hint.
    if (id >= KwShellMenuFirstId && !(flags & (MF_POPUP | MF_SYSMENU)) &&
        !CommandString(menu, id - KwShellMenuFirstId, GCS_HELPTEXTA, hint))
        hint.clear();
    onHint(sender, hint);
}

} // namespace kw
