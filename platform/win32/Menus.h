#pragma once
// Menus: HMENU handles, their items, and the tracking of a popup menu.
//
// A menu is a list of items in a generation-checked table; an item is a
// command (with an id), a separator, or a submenu, with a text ("&" marks
// the mnemonic, a tab starts the short-cut text), a state and application
// data. Owner-drawn items are measured and painted by their owner window
// (WM_MEASUREITEM, WM_DRAWITEM with CtlType ODT_MENU).
//
// TrackPopupMenu hands the menu to the installed tracker, which waits on a
// person. Every tracker talks to the owner through a MenuTrackSession, so
// the owner hears the same messages whoever tracks: WM_ENTERMENULOOP, then
// WM_INITMENUPOPUP before each popup or submenu opens, WM_MENUSELECT as items
// are highlighted, WM_MENUCHAR for a letter no item claims, WM_UNINITMENUPOPUP
// as popups close, and WM_EXITMENULOOP. The toolkit's tracker shows a QMenu;
// tests install one that scripts the session.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"
#include "win32/WindowMessages.h"

#include <string>
#include <vector>

// Menu messages.
constexpr UINT WM_INITMENU = 0x0116;
constexpr UINT WM_INITMENUPOPUP = 0x0117;
constexpr UINT WM_MENUSELECT = 0x011F;
constexpr UINT WM_MENUCHAR = 0x0120;
constexpr UINT WM_UNINITMENUPOPUP = 0x0125;
constexpr UINT WM_ENTERMENULOOP = 0x0211;
constexpr UINT WM_EXITMENULOOP = 0x0212;

// Item flags of AppendMenu, InsertMenu and GetMenuState.
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_BITMAP = 0x0004;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_MENUBARBREAK = 0x0020;
constexpr UINT MF_MENUBREAK = 0x0040;
constexpr UINT MF_HILITE = 0x0080;
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_DEFAULT = 0x1000;
constexpr UINT MF_SYSMENU = 0x2000;
constexpr UINT MF_RIGHTJUSTIFY = 0x4000;
constexpr UINT MF_MOUSESELECT = 0x8000;

// Item types and states of MENUITEMINFO.
constexpr UINT MFT_STRING = MF_STRING;
constexpr UINT MFT_BITMAP = MF_BITMAP;
constexpr UINT MFT_MENUBARBREAK = MF_MENUBARBREAK;
constexpr UINT MFT_MENUBREAK = MF_MENUBREAK;
constexpr UINT MFT_OWNERDRAW = MF_OWNERDRAW;
constexpr UINT MFT_RADIOCHECK = 0x0200;
constexpr UINT MFT_SEPARATOR = MF_SEPARATOR;
constexpr UINT MFT_RIGHTORDER = 0x2000;
constexpr UINT MFT_RIGHTJUSTIFY = MF_RIGHTJUSTIFY;
constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MFS_DISABLED = MFS_GRAYED;
constexpr UINT MFS_CHECKED = MF_CHECKED;
constexpr UINT MFS_HILITE = MF_HILITE;
constexpr UINT MFS_ENABLED = MF_ENABLED;
constexpr UINT MFS_UNCHECKED = MF_UNCHECKED;
constexpr UINT MFS_DEFAULT = MF_DEFAULT;

// What a MENUITEMINFO carries.
constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_CHECKMARKS = 0x0008;
constexpr UINT MIIM_TYPE = 0x0010;
constexpr UINT MIIM_DATA = 0x0020;
constexpr UINT MIIM_STRING = 0x0040;
constexpr UINT MIIM_BITMAP = 0x0080;
constexpr UINT MIIM_FTYPE = 0x0100;

// TrackPopupMenu flags.
constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_TOPALIGN = 0x0000;
constexpr UINT TPM_VCENTERALIGN = 0x0010;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

// WM_MENUCHAR answers (high word).
constexpr LRESULT MNC_IGNORE = 0;
constexpr LRESULT MNC_CLOSE = 1;
constexpr LRESULT MNC_EXECUTE = 2;
constexpr LRESULT MNC_SELECT = 3;

// Owner-draw records for menus.
constexpr UINT ODT_MENU = 1;
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;
constexpr UINT ODA_FOCUS = 0x0004;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_CHECKED = 0x0008;
constexpr UINT ODS_FOCUS = 0x0010;
constexpr UINT ODS_DEFAULT = 0x0020;

struct CORVANE_PLATFORM_EXPORT MEASUREITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemWidth;
    UINT itemHeight;
    ULONG_PTR itemData;
};

struct CORVANE_PLATFORM_EXPORT MENUITEMINFOA {
    UINT cbSize;
    UINT fMask;
    UINT fType;
    UINT fState;
    UINT wID;
    HMENU hSubMenu;
    HBITMAP hbmpChecked;
    HBITMAP hbmpUnchecked;
    ULONG_PTR dwItemData;
    LPSTR dwTypeData;
    UINT cch;
    HBITMAP hbmpItem;
};
using MENUITEMINFO = MENUITEMINFOA;

CORVANE_PLATFORM_EXPORT HMENU CreateMenu();
CORVANE_PLATFORM_EXPORT HMENU CreatePopupMenu();
// Destroys the menu and, with it, its submenus.
CORVANE_PLATFORM_EXPORT BOOL DestroyMenu(HMENU menu);
CORVANE_PLATFORM_EXPORT BOOL IsMenu(HMENU menu);

// newItem is the command id, or the submenu's handle with MF_POPUP; item is
// the text, or the application's data with MF_OWNERDRAW.
CORVANE_PLATFORM_EXPORT BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR newItem, LPCSTR item);
CORVANE_PLATFORM_EXPORT BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR newItem,
                                         LPCSTR item);
CORVANE_PLATFORM_EXPORT BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition,
                                             const MENUITEMINFOA* info);
CORVANE_PLATFORM_EXPORT BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info);
CORVANE_PLATFORM_EXPORT BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition,
                                              const MENUITEMINFOA* info);
// Removes an item; DeleteMenu also destroys its submenu.
CORVANE_PLATFORM_EXPORT BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
CORVANE_PLATFORM_EXPORT BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
// -1 for an invalid menu.
CORVANE_PLATFORM_EXPORT int GetMenuItemCount(HMENU menu);
// -1 (as UINT) for a submenu or a position past the end.
CORVANE_PLATFORM_EXPORT UINT GetMenuItemID(HMENU menu, int position);
CORVANE_PLATFORM_EXPORT HMENU GetSubMenu(HMENU menu, int position);
// The item's MF_ flags; for a submenu, its item count in the high byte.
// -1 (as UINT) when the item does not exist.
CORVANE_PLATFORM_EXPORT UINT GetMenuState(HMENU menu, UINT id, UINT flags);
CORVANE_PLATFORM_EXPORT int GetMenuStringA(HMENU menu, UINT item, LPSTR text, int maxCount, UINT flags);
// Returns the state before (MF_CHECKED or MF_UNCHECKED), -1 when not found.
CORVANE_PLATFORM_EXPORT DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
CORVANE_PLATFORM_EXPORT BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
// Checks one item of first..last as a radio item and clears the others.
CORVANE_PLATFORM_EXPORT BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
CORVANE_PLATFORM_EXPORT BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition);
// -1 (as UINT) when there is none.
CORVANE_PLATFORM_EXPORT UINT GetMenuDefaultItem(HMENU menu, UINT byPosition, UINT flags);

// Shows the menu at a screen point for owner and waits for the choice. With
// TPM_RETURNCMD it returns the chosen id (0 when cancelled); otherwise the
// owner is posted WM_COMMAND with the id and it returns nonzero when one
// was chosen. Without TPM_RIGHTBUTTON only the left button chooses.
CORVANE_PLATFORM_EXPORT BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                                            const RECT* rect);
CORVANE_PLATFORM_EXPORT BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner,
                                              const void* params);

// Opens the item at position of a window's menu bar, as a click on it or
// its mnemonic does: the owner hears WM_ENTERMENULOOP, WM_INITMENU with the
// bar and WM_MENUSELECT for the bar's item; a submenu then opens at the
// screen point through the tracker (WM_INITMENUPOPUP with the position in
// the bar, and what the tracker does in it), a command item is chosen at
// once. The choice is posted to the owner as WM_COMMAND when the menu has
// gone. Returns the chosen id; 0 when nothing was chosen.
CORVANE_PLATFORM_EXPORT UINT TrackMenuBar(HMENU bar, UINT position, HWND owner, POINT screen);

namespace win32 {

// One item as trackers and tests read it.
struct CORVANE_PLATFORM_EXPORT MenuItemView {
    UINT Type = 0;
    UINT State = 0;
    UINT Id = 0;
    HMENU SubMenu = nullptr;
    std::string Text;
    ULONG_PTR Data = 0;
};
// The items of a menu; empty for a stale handle.
CORVANE_PLATFORM_EXPORT std::vector<MenuItemView> MenuItems(HMENU menu);
// The mnemonic of an item's text (after a single "&", lower-cased); 0 for none.
CORVANE_PLATFORM_EXPORT char MenuMnemonic(const std::string& text);

// What a tracker does with a popup menu, told to its owner in messages.
class CORVANE_PLATFORM_EXPORT MenuTrackSession {
public:
    MenuTrackSession(HMENU menu, HWND owner, UINT flags);
    ~MenuTrackSession();
    MenuTrackSession(const MenuTrackSession&) = delete;
    MenuTrackSession& operator=(const MenuTrackSession&) = delete;

    HMENU Menu() const { return Menu_; }
    // The menu the tracker shows: the session's menu, or the submenu of a
    // menu bar's item.
    HMENU Shown() const { return Shown_ ? Shown_ : Menu_; }
    void SetShown(HMENU popup) { Shown_ = popup; }
    HWND Owner() const { return Owner_; }
    UINT Flags() const { return Flags_; }
    // Whether a release of the right button chooses an item.
    bool RightButtonChooses() const { return (Flags_ & TPM_RIGHTBUTTON) != 0; }

    // Tells the owner a popup is about to open (the top menu's first, then a
    // submenu at its position in parent): WM_INITMENUPOPUP.
    void OpenPopup(HMENU popup, UINT position, bool systemMenu = false);
    // WM_UNINITMENUPOPUP.
    void ClosePopup(HMENU popup);
    // An item of popup is highlighted: WM_MENUSELECT with the item's id (its
    // position for a submenu) and flags.
    void Highlight(HMENU popup, UINT position);
    // A letter typed in popup: the item whose mnemonic it is, else the
    // owner's WM_MENUCHAR answer. Returns the position to act on and whether
    // to choose it (true) or only select it; -1 when nothing.
    struct CharResult {
        int Position = -1;
        bool Execute = false;
        bool Close = false;
    };
    CharResult TypeChar(HMENU popup, char16_t ch);
    // The choice: an enabled command item; returns false (and chooses
    // nothing) for separators, submenus and disabled items.
    bool Choose(HMENU popup, UINT position);
    // Cancels the menu (the choice stays 0).
    void Cancel();

    UINT Chosen() const { return Chosen_; }
    bool Finished() const { return Finished_; }

private:
    HMENU Menu_;
    HMENU Shown_ = nullptr;
    HWND Owner_;
    UINT Flags_;
    UINT Chosen_ = 0;
    bool Finished_ = false;
};

// Waits on a person for the session's menu at a screen point; returns when
// the session is finished (chosen or cancelled).
using MenuTracker = void (*)(MenuTrackSession& session, POINT screen);
// Returns the tracker before; null restores none (the menu is cancelled at
// once, as where nobody can choose).
CORVANE_PLATFORM_EXPORT MenuTracker SetMenuTracker(MenuTracker tracker);

} // namespace win32
