// Menus: the item lists behind HMENU handles, and the popup tracking
// protocol every tracker follows.

#include "win32/Menus.h"

#include "win32/Errors.h"
#include "win32/HandleTable.h"
#include "win32/WindowManager.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

namespace {

using win32::MenuItemView;

struct MenuRecord {
    std::vector<MenuItemView> Items;
};
using MenuPtr = std::shared_ptr<MenuRecord>;

// Menus belong to the GUI thread; the table only guards the handles.
win32::HandleTable<HMENU, MenuPtr>& Table()
{
    static auto& table = *new win32::HandleTable<HMENU, MenuPtr>(win32::HandleKind::Menu);
    return table;
}

MenuPtr Lookup(HMENU menu)
{
    std::optional<MenuPtr> found = Table().Get(menu);
    if (!found) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    return *found;
}

struct Located {
    MenuPtr Menu;
    HMENU Handle = nullptr;
    std::size_t Position = 0;
};

// An item by position, or by command id searched through the submenus too.
std::optional<Located> Locate(HMENU menu, UINT item, bool byPosition, int depth = 0)
{
    MenuPtr record = Lookup(menu);
    if (!record || depth > 32)
        return std::nullopt;
    if (byPosition) {
        if (item >= record->Items.size())
            return std::nullopt;
        return Located{record, menu, item};
    }
    for (std::size_t i = 0; i < record->Items.size(); ++i) {
        const MenuItemView& entry = record->Items[i];
        if (entry.SubMenu) {
            if (auto inner = Locate(entry.SubMenu, item, false, depth + 1))
                return inner;
        } else if (entry.Id == item && !(entry.Type & MFT_SEPARATOR)) {
            return Located{record, menu, i};
        }
    }
    return std::nullopt;
}

// A popup that closes keeps no highlighted item.
void ClearHighlight(HMENU menu)
{
    if (MenuPtr record = Table().Get(menu).value_or(nullptr))
        for (MenuItemView& item : record->Items)
            item.State &= ~MF_HILITE;
}

MenuItemView ItemFromFlags(UINT flags, UINT_PTR newItem, LPCSTR text)
{
    MenuItemView entry;
    entry.Type =
        flags & (MF_BITMAP | MF_MENUBARBREAK | MF_MENUBREAK | MF_OWNERDRAW | MF_SEPARATOR | MF_RIGHTJUSTIFY);
    entry.State = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT);
    if (flags & MF_POPUP)
        entry.SubMenu = reinterpret_cast<HMENU>(newItem);
    else
        entry.Id = static_cast<UINT>(newItem);
    if (flags & MF_OWNERDRAW)
        entry.Data = reinterpret_cast<ULONG_PTR>(text);
    else if (text && !(flags & (MF_SEPARATOR | MF_BITMAP)))
        entry.Text = text;
    return entry;
}

bool InsertAt(HMENU menu, std::optional<std::size_t> position, MenuItemView entry)
{
    MenuPtr record = Lookup(menu);
    if (!record)
        return false;
    if (entry.SubMenu && (entry.SubMenu == menu || !IsMenu(entry.SubMenu))) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return false;
    }
    const std::size_t at = position ? std::min(*position, record->Items.size()) : record->Items.size();
    record->Items.insert(record->Items.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    return true;
}

// Where InsertMenu puts a new item: before the given one, at the end when
// there is none.
std::optional<std::size_t> InsertPosition(HMENU menu, UINT item, bool byPosition)
{
    if (byPosition && item == static_cast<UINT>(-1))
        return std::nullopt;
    if (auto found = Locate(menu, item, byPosition); found && found->Handle == menu)
        return found->Position;
    return std::nullopt;
}

BOOL RemoveItem(HMENU menu, UINT position, UINT flags, bool destroySubmenu)
{
    auto found = Locate(menu, position, (flags & MF_BYPOSITION) != 0);
    if (!found)
        return FALSE;
    const HMENU sub = found->Menu->Items[found->Position].SubMenu;
    found->Menu->Items.erase(found->Menu->Items.begin() + static_cast<std::ptrdiff_t>(found->Position));
    if (destroySubmenu && sub)
        DestroyMenu(sub);
    return TRUE;
}

void ApplyInfo(MenuItemView& entry, const MENUITEMINFOA& info)
{
    if (info.fMask & MIIM_TYPE) {
        entry.Type = info.fType;
        if (!(info.fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)))
            entry.Text = info.dwTypeData ? info.dwTypeData : "";
    }
    if (info.fMask & MIIM_FTYPE)
        entry.Type = info.fType;
    if (info.fMask & MIIM_STRING)
        entry.Text = info.dwTypeData ? info.dwTypeData : "";
    if (info.fMask & MIIM_STATE)
        entry.State = info.fState;
    if (info.fMask & MIIM_ID)
        entry.Id = info.wID;
    if (info.fMask & MIIM_SUBMENU)
        entry.SubMenu = info.hSubMenu;
    if (info.fMask & MIIM_DATA)
        entry.Data = info.dwItemData;
}

// An item-info call's item; a missing record is a bad parameter.
std::optional<Located> LocateWithInfo(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info)
{
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    return Locate(menu, item, byPosition != FALSE);
}

// Copies as much of text as fits with its terminator; returns the count copied.
int CopyText(const std::string& text, char* buffer, int capacity)
{
    if (!buffer || capacity <= 0)
        return 0;
    const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(capacity - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

bool Disabled(const MenuItemView& entry)
{
    return (entry.State & (MF_GRAYED | MF_DISABLED)) != 0;
}

win32::MenuTracker g_tracker = nullptr;

} // namespace

HMENU CreateMenu()
{
    return Table().Insert(std::make_shared<MenuRecord>());
}

HMENU CreatePopupMenu()
{
    return CreateMenu();
}

BOOL DestroyMenu(HMENU menu)
{
    std::optional<MenuPtr> taken = Table().Take(menu);
    if (!taken) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    for (const MenuItemView& entry : (*taken)->Items)
        if (entry.SubMenu)
            DestroyMenu(entry.SubMenu);
    return TRUE;
}

BOOL IsMenu(HMENU menu)
{
    return Table().IsValid(menu) ? TRUE : FALSE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR newItem, LPCSTR item)
{
    return InsertAt(menu, std::nullopt, ItemFromFlags(flags, newItem, item)) ? TRUE : FALSE;
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR newItem, LPCSTR item)
{
    if (!IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    return InsertAt(menu, InsertPosition(menu, position, (flags & MF_BYPOSITION) != 0),
                    ItemFromFlags(flags, newItem, item))
               ? TRUE
               : FALSE;
}

BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info)
{
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    MenuItemView entry;
    ApplyInfo(entry, *info);
    return InsertAt(menu, InsertPosition(menu, item, byPosition != FALSE), std::move(entry)) ? TRUE : FALSE;
}

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info)
{
    auto found = LocateWithInfo(menu, item, byPosition, info);
    if (!found)
        return FALSE;
    const MenuItemView& entry = found->Menu->Items[found->Position];
    if (info->fMask & (MIIM_TYPE | MIIM_FTYPE))
        info->fType = entry.Type;
    if (info->fMask & MIIM_STATE)
        info->fState = entry.State;
    if (info->fMask & MIIM_ID)
        info->wID = entry.Id;
    if (info->fMask & MIIM_SUBMENU)
        info->hSubMenu = entry.SubMenu;
    if (info->fMask & MIIM_DATA)
        info->dwItemData = entry.Data;
    if (info->fMask & (MIIM_STRING | MIIM_TYPE)) {
        // The text is copied as far as the buffer goes; cch comes back as
        // its length.
        CopyText(entry.Text, info->dwTypeData, static_cast<int>(info->cch));
        info->cch = static_cast<UINT>(entry.Text.size());
    }
    return TRUE;
}

BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info)
{
    auto found = LocateWithInfo(menu, item, byPosition, info);
    if (!found)
        return FALSE;
    ApplyInfo(found->Menu->Items[found->Position], *info);
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags)
{
    return RemoveItem(menu, position, flags, true);
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags)
{
    return RemoveItem(menu, position, flags, false);
}

int GetMenuItemCount(HMENU menu)
{
    MenuPtr record = Lookup(menu);
    return record ? static_cast<int>(record->Items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position)
{
    MenuPtr record = Lookup(menu);
    if (!record || position < 0 || static_cast<std::size_t>(position) >= record->Items.size())
        return static_cast<UINT>(-1);
    const MenuItemView& entry = record->Items[static_cast<std::size_t>(position)];
    return entry.SubMenu ? static_cast<UINT>(-1) : entry.Id;
}

HMENU GetSubMenu(HMENU menu, int position)
{
    MenuPtr record = Lookup(menu);
    if (!record || position < 0 || static_cast<std::size_t>(position) >= record->Items.size())
        return nullptr;
    return record->Items[static_cast<std::size_t>(position)].SubMenu;
}

UINT GetMenuState(HMENU menu, UINT id, UINT flags)
{
    auto found = Locate(menu, id, (flags & MF_BYPOSITION) != 0);
    if (!found)
        return static_cast<UINT>(-1);
    const MenuItemView& entry = found->Menu->Items[found->Position];
    UINT state = entry.Type | entry.State;
    if (entry.SubMenu) {
        const int count = std::max(GetMenuItemCount(entry.SubMenu), 0);
        state = (static_cast<UINT>(std::min(count, 0xFF)) << 8) | MF_POPUP | (entry.State & 0xFF);
    }
    return state;
}

int GetMenuStringA(HMENU menu, UINT item, LPSTR text, int maxCount, UINT flags)
{
    auto found = Locate(menu, item, (flags & MF_BYPOSITION) != 0);
    if (!found)
        return 0;
    const std::string& source = found->Menu->Items[found->Position].Text;
    if (!text || maxCount <= 0)
        return static_cast<int>(source.size());
    return CopyText(source, text, maxCount);
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check)
{
    auto found = Locate(menu, item, (check & MF_BYPOSITION) != 0);
    if (!found)
        return static_cast<DWORD>(-1);
    MenuItemView& entry = found->Menu->Items[found->Position];
    const DWORD before = entry.State & MF_CHECKED;
    entry.State = (entry.State & ~MF_CHECKED) | (check & MF_CHECKED);
    return before;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable)
{
    auto found = Locate(menu, item, (enable & MF_BYPOSITION) != 0);
    if (!found)
        return -1;
    MenuItemView& entry = found->Menu->Items[found->Position];
    const BOOL before = static_cast<BOOL>(entry.State & (MF_GRAYED | MF_DISABLED));
    entry.State = (entry.State & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return before;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags)
{
    const bool byPosition = (flags & MF_BYPOSITION) != 0;
    auto checked = Locate(menu, check, byPosition);
    if (!checked)
        return FALSE;
    MenuPtr record = checked->Menu;
    bool found = false;
    for (std::size_t i = 0; i < record->Items.size(); ++i) {
        MenuItemView& entry = record->Items[i];
        const UINT key = byPosition ? static_cast<UINT>(i) : entry.Id;
        if (entry.SubMenu || key < first || key > last)
            continue;
        if (i == checked->Position) {
            entry.State |= MF_CHECKED;
            entry.Type |= MFT_RADIOCHECK;
            found = true;
        } else {
            entry.State &= ~MF_CHECKED;
        }
    }
    return found ? TRUE : FALSE;
}

BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition)
{
    MenuPtr record = Lookup(menu);
    if (!record)
        return FALSE;
    std::optional<std::size_t> target;
    if (item != static_cast<UINT>(-1)) {
        auto found = Locate(menu, item, byPosition != 0);
        if (!found || found->Handle != menu)
            return FALSE;
        target = found->Position;
    }
    for (std::size_t i = 0; i < record->Items.size(); ++i) {
        MenuItemView& entry = record->Items[i];
        entry.State = (entry.State & ~MF_DEFAULT) | (target == i ? MF_DEFAULT : 0u);
    }
    return TRUE;
}

UINT GetMenuDefaultItem(HMENU menu, UINT byPosition, UINT)
{
    MenuPtr record = Lookup(menu);
    if (!record)
        return static_cast<UINT>(-1);
    for (std::size_t i = 0; i < record->Items.size(); ++i)
        if (record->Items[i].State & MF_DEFAULT)
            return byPosition ? static_cast<UINT>(i) : record->Items[i].Id;
    return static_cast<UINT>(-1);
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*)
{
    if (!IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    if (!IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    UINT chosen = 0;
    {
        win32::MenuTrackSession session(menu, owner, flags);
        session.OpenPopup(menu, 0);
        if (g_tracker && IsMenu(menu))
            g_tracker(session, POINT{x, y});
        if (!session.Finished())
            session.Cancel();
        chosen = session.Chosen();
    }
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(chosen);
    if (chosen == 0)
        return FALSE;
    // The command arrives once the menu has gone, as the platform's does.
    PostMessageA(owner, WM_COMMAND, MAKEWPARAM(static_cast<int>(chosen), 0), 0);
    return TRUE;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const void*)
{
    return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

UINT TrackMenuBar(HMENU bar, UINT position, HWND owner, POINT screen)
{
    if (!IsMenu(bar) || !IsWindow(owner))
        return 0;
    UINT chosen = 0;
    {
        win32::MenuTrackSession session(bar, owner, 0);
        session.Highlight(bar, position);
        const std::vector<win32::MenuItemView> items = win32::MenuItems(bar);
        if (position < items.size() && IsWindow(owner)) {
            if (const HMENU popup = items[position].SubMenu) {
                session.SetShown(popup);
                session.OpenPopup(popup, position);
                if (g_tracker && IsMenu(popup))
                    g_tracker(session, screen);
                session.ClosePopup(popup);
            } else {
                session.Choose(bar, position);
            }
        }
        if (!session.Finished())
            session.Cancel();
        chosen = session.Chosen();
    }
    if (chosen != 0 && IsWindow(owner))
        PostMessageA(owner, WM_COMMAND, MAKEWPARAM(static_cast<int>(chosen), 0), 0);
    return chosen;
}

namespace win32 {

std::vector<MenuItemView> MenuItems(HMENU menu)
{
    std::optional<MenuPtr> record = Table().Get(menu);
    return record ? (*record)->Items : std::vector<MenuItemView>{};
}

char MenuMnemonic(const std::string& text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i; // "&&" is a literal ampersand
            continue;
        }
        return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

MenuTrackSession::MenuTrackSession(HMENU menu, HWND owner, UINT flags)
    : Menu_(menu), Owner_(owner), Flags_(flags)
{
    if (!(Flags_ & TPM_NONOTIFY)) {
        SendMessageA(Owner_, WM_ENTERMENULOOP, TRUE, 0);
        SendMessageA(Owner_, WM_INITMENU, reinterpret_cast<WPARAM>(Menu_), 0);
    }
}

MenuTrackSession::~MenuTrackSession()
{
    if (!Finished_)
        Cancel();
    ClearHighlight(Menu_);
    if (Shown_)
        ClearHighlight(Shown_);
    if (!(Flags_ & TPM_NONOTIFY) && IsWindow(Owner_)) {
        SendMessageA(Owner_, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(Menu_), 0);
        SendMessageA(Owner_, WM_EXITMENULOOP, TRUE, 0);
    }
}

void MenuTrackSession::OpenPopup(HMENU popup, UINT position, bool systemMenu)
{
    if (!(Flags_ & TPM_NONOTIFY))
        SendMessageA(Owner_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                     MAKELPARAM(static_cast<int>(position), systemMenu ? 1 : 0));
}

void MenuTrackSession::ClosePopup(HMENU popup)
{
    ClearHighlight(popup);
    if (!(Flags_ & TPM_NONOTIFY) && popup != Menu_)
        SendMessageA(Owner_, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
}

void MenuTrackSession::Highlight(HMENU popup, UINT position)
{
    auto found = Locate(popup, position, true);
    if (!found)
        return;
    // Owners read the highlight from the item's state (MF_HILITE), as they
    // do on the platform; one item of a popup has it at a time.
    for (MenuItemView& item : found->Menu->Items)
        item.State &= ~MF_HILITE;
    found->Menu->Items[found->Position].State |= MF_HILITE;
    if (Flags_ & TPM_NONOTIFY)
        return;
    const MenuItemView& entry = found->Menu->Items[found->Position];
    UINT itemFlags = entry.Type | entry.State | MF_HILITE;
    const UINT key = entry.SubMenu ? position : entry.Id;
    if (entry.SubMenu)
        itemFlags |= MF_POPUP;
    SendMessageA(Owner_, WM_MENUSELECT,
                 MAKEWPARAM(static_cast<int>(key), static_cast<int>(itemFlags & 0xFFFF)),
                 reinterpret_cast<LPARAM>(popup));
}

MenuTrackSession::CharResult MenuTrackSession::TypeChar(HMENU popup, char16_t ch)
{
    CharResult result;
    const std::vector<MenuItemView> items = MenuItems(popup);
    const char16_t lower = ch < 0x80 ? static_cast<char16_t>(std::tolower(static_cast<int>(ch))) : ch;
    std::vector<int> matches;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!(items[i].Type & (MFT_SEPARATOR | MFT_OWNERDRAW)) &&
            static_cast<char16_t>(static_cast<unsigned char>(MenuMnemonic(items[i].Text))) == lower &&
            lower != 0)
            matches.push_back(static_cast<int>(i));
    if (matches.size() == 1) {
        result.Position = matches.front();
        result.Execute = true;
        return result;
    }
    if (matches.size() > 1) {
        // Several items share the letter: it only moves the highlight.
        result.Position = matches.front();
        return result;
    }
    if (Flags_ & TPM_NONOTIFY)
        return result;
    const LRESULT answer =
        SendMessageA(Owner_, WM_MENUCHAR, MAKEWPARAM(ch, MF_POPUP), reinterpret_cast<LPARAM>(popup));
    const WORD action = HIWORD(static_cast<DWORD>(answer));
    const int position = LOWORD(static_cast<DWORD>(answer));
    if ((action == MNC_EXECUTE || action == MNC_SELECT) && position < static_cast<int>(items.size())) {
        result.Position = position;
        result.Execute = action == MNC_EXECUTE;
    } else if (action == MNC_CLOSE) {
        result.Close = true;
    }
    return result;
}

bool MenuTrackSession::Choose(HMENU popup, UINT position)
{
    auto found = Locate(popup, position, true);
    if (!found || Finished_)
        return false;
    const MenuItemView& entry = found->Menu->Items[found->Position];
    if (entry.SubMenu || (entry.Type & MFT_SEPARATOR) || Disabled(entry))
        return false;
    Chosen_ = entry.Id;
    Finished_ = true;
    if (!(Flags_ & TPM_NONOTIFY))
        SendMessageA(Owner_, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    return true;
}

void MenuTrackSession::Cancel()
{
    if (Finished_)
        return;
    Chosen_ = 0;
    Finished_ = true;
    if (!(Flags_ & TPM_NONOTIFY) && IsWindow(Owner_))
        SendMessageA(Owner_, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
}

MenuTracker SetMenuTracker(MenuTracker tracker)
{
    return std::exchange(g_tracker, tracker);
}

} // namespace win32
