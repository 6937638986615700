// The Send To submenu of the shell context menus: the entries of the Send To
// folder, filled into the shell's placeholder, drawn owner-drawn with their
// icons, chosen by their first letters, and the drop of the chosen items on
// an entry.

#include "UKwShellControls.h"
#include "UKwShellControls_Startup_p.h"
#include "UKwShellControls_p.h"

#include "shell32/FileInfo.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/SysUtils.h"
#include "win32/Gdi.h"
#include "win32/ImageLists.h"
#include "win32/Menus.h"
#include "win32/SysColors.h"
#include "win32/SystemSettings.h"
#include "win32/WideText.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace kw {

namespace {

// Where the owner-drawn items put their parts, in pixels from the item's
// left and top.
constexpr int SendToIconLeft = 8;
constexpr int SendToTextLeft = 32;
constexpr int SendToTop = 2;

std::unique_ptr<TKwSendToList> SharedList;

// The list keeps each entry's icon index as the string's object.
vcl::TObject* IconAsObject(int index)
{
    return reinterpret_cast<vcl::TObject*>(static_cast<std::intptr_t>(index));
}

// The small icon of one file of the Send To folder; -1 for none.
int SmallIconOf(const std::string& path)
{
    detail::ScopedList pidl;
    if (FAILED(ShellGetIdListFromPath(path, pidl.Out())))
        return -1;
    const int index = ShellGetIconIndex(pidl.Get(), SHGFI_SMALLICON);
    // Index 0 is the image lists' reserved blank: no icon.
    return index > 0 ? index : -1;
}

// A menu object with IContextMenu2 draws and fills its own submenus: the
// message goes to it and nothing else is done.
bool PassedToMenu2(IContextMenu* menu, const vcl::TMessage& message)
{
    com::ComPtr<IContextMenu2> menu2;
    if (FAILED(menu->QueryInterface(IID_IContextMenu2,
                                    reinterpret_cast<void**>(menu2.ReleaseAndGetAddressOf()))) ||
        !menu2)
        return false;
    menu2->HandleMenuMsg(message.Msg, message.WParam, message.LParam);
    return true;
}

// The entry an owner-drawn menu item stands for: its item data is the
// entry's index and its id that index + 1. -1 for any other item.
int EntryOfItem(const TKwSendToList& list, UINT type, UINT id, ULONG_PTR data)
{
    if (type != ODT_MENU || data >= static_cast<ULONG_PTR>(list.Count()) || id != data + 1)
        return -1;
    return static_cast<int>(data);
}

// What a menu shows of an entry: its file name without the extension.
std::string Caption(const std::string& name)
{
    const std::string::size_type dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// The menu font of the desktop, made for one measure or drawing.
class MenuFont {
public:
    MenuFont()
    {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            Font_ = CreateFontIndirectA(&metrics.lfMenuFont);
    }
    ~MenuFont()
    {
        if (Font_)
            DeleteObject(Font_);
    }
    MenuFont(const MenuFont&) = delete;
    MenuFont& operator=(const MenuFont&) = delete;
    HFONT Get() const { return Font_; }

private:
    HFONT Font_ = nullptr;
};

// The first character of a text, upper-cased, as UTF-8; a byte that starts
// no well-formed character stands for itself.
std::string UpperFirstCharacter(std::string_view text)
{
    if (text.empty())
        return {};
    char32_t codePoint = 0;
    const size_t length = std::max<size_t>(1, win32::DecodeUtf8Char(text, 0, codePoint));
    return vcl::AnsiUpperCase(text.substr(0, length));
}

// The position of the popup's highlighted item; -1 when none is.
int HighlightedPosition(HMENU popup)
{
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE;
        if (GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &info) && (info.fState & MFS_HILITE))
            return i;
    }
    return -1;
}

} // namespace

void detail::FreeSendToList()
{
    SharedList.reset();
}

TKwSendToList::TKwSendToList() = default;

void TKwSendToList::Rescan()
{
    Entries_.Clear();
    const std::string folder = ShellGetSpecialFolderPath(nullptr, csidlSendTo);
    if (folder.empty())
        return;
    std::vector<std::string> names = detail::VisibleNonFolderNames(folder);
    // The order a person reads, whatever the case; names that differ only
    // in case are entries of their own, in a fixed order.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int order = vcl::AnsiCompareText(a, b);
        return order != 0 ? order < 0 : vcl::AnsiCompareStr(a, b) < 0;
    });
    for (const std::string& name : names)
        Entries_.AddObject(name, IconAsObject(SmallIconOf(folder + "/" + name)));
}

std::string TKwSendToList::Name(int index) const
{
    return index >= 0 && index < Count() ? Entries_.Strings(index) : std::string();
}

int TKwSendToList::IconIndex(int index) const
{
    if (index < 0 || index >= Count())
        return -1;
    return static_cast<int>(reinterpret_cast<std::intptr_t>(Entries_.Objects(index)));
}

TKwSendToList& KwSendToList()
{
    if (!SharedList)
        SharedList = std::make_unique<TKwSendToList>();
    return *SharedList;
}

void SendToInitMenuPopup(vcl::TMessage& message, IContextMenu* menu, TKwSendToList& list)
{
    if (!menu || PassedToMenu2(menu, message))
        return;
    try {
        const auto popup = reinterpret_cast<HMENU>(message.WParam);
        // The shell's placeholder: one grayed item. A popup filled before no
        // longer looks like it and is left alone.
        if (GetMenuItemCount(popup) != 1)
            return;
        const UINT state = GetMenuState(popup, 0, MF_BYPOSITION);
        if (state == static_cast<UINT>(-1) || !(state & MF_GRAYED))
            return;
        list.Rescan();
        DeleteMenu(popup, 0, MF_BYPOSITION);
        for (int i = 0; i < list.Count(); ++i)
            AppendMenuA(popup, MF_OWNERDRAW, static_cast<UINT_PTR>(i) + 1,
                        reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(i)));
        list.SetPopup(popup);
    } catch (...) {
        // The menu stays as the shell left it.
    }
}

void SendToMeasureItem(vcl::TMessage& message, IContextMenu* menu, const TKwSendToList& list)
{
    if (!menu || PassedToMenu2(menu, message))
        return;
    try {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        const int entry =
            measure ? EntryOfItem(list, measure->CtlType, measure->itemID, measure->itemData) : -1;
        if (entry < 0)
            return;
        const std::string caption = Caption(list.Name(entry));
        const MenuFont font;
        const HDC dc = GetDC(nullptr);
        if (!dc)
            return;
        const HGDIOBJ before = font.Get() ? SelectObject(dc, font.Get()) : nullptr;
        SIZE extent{};
        GetTextExtentPoint32A(dc, caption.data(), static_cast<int>(caption.size()), &extent);
        if (before)
            SelectObject(dc, before);
        ReleaseDC(nullptr, dc);
        measure->itemWidth = static_cast<UINT>(extent.cx + SendToTextLeft);
        measure->itemHeight = static_cast<UINT>(GetSystemMetrics(SM_CYMENU) + SendToTop);
        message.Result = TRUE;
    } catch (...) {
        // The item keeps the size the tracker gave it.
    }
}

void SendToDrawItem(vcl::TMessage& message, IContextMenu* menu, HIMAGELIST images, const TKwSendToList& list)
{
    if (!menu || PassedToMenu2(menu, message))
        return;
    try {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
        if (!draw || draw->CtlType != ODT_MENU || !draw->hDC)
            return;
        // An item of the filled popup only: the tracker names the item's
        // menu in hwndItem.
        if (!list.Popup() || draw->hwndItem != reinterpret_cast<HWND>(list.Popup()))
            return;
        const bool noItem = draw->itemID == static_cast<UINT>(-1);
        const int entry = noItem ? -1 : EntryOfItem(list, draw->CtlType, draw->itemID, draw->itemData);
        if (!noItem && entry < 0)
            return;
        const bool selected = !noItem && (draw->itemState & ODS_SELECTED);
        const COLORREF background = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
        const COLORREF text = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
        const int saved = SaveDC(draw->hDC);
        const RECT& rect = draw->rcItem;
        const MenuFont font;
        if (noItem) {
            const HBRUSH brush = CreateSolidBrush(background);
            FillRect(draw->hDC, &rect, brush);
            DeleteObject(brush);
        } else {
            if (font.Get())
                SelectObject(draw->hDC, font.Get());
            SetBkColor(draw->hDC, background);
            SetTextColor(draw->hDC, text);
            const std::string caption = Caption(list.Name(entry));
            ExtTextOutA(draw->hDC, rect.left + SendToTextLeft, rect.top + SendToTop, ETO_OPAQUE | ETO_CLIPPED,
                        &rect, caption.data(), static_cast<UINT>(caption.size()), nullptr);
            const int icon = list.IconIndex(entry);
            if (icon >= 0 && images)
                ImageList_Draw(images, icon, draw->hDC, rect.left + SendToIconLeft, rect.top + SendToTop,
                               ILD_TRANSPARENT);
        }
        // The font leaves the context before it is deleted.
        RestoreDC(draw->hDC, saved);
        message.Result = TRUE;
    } catch (...) {
        // Nothing more is drawn.
    }
}

void SendToMenuChar(vcl::TMessage& message, IContextMenu* menu, const TKwSendToList& list)
{
    if (!menu || PassedToMenu2(menu, message))
        return;
    const auto popup = reinterpret_cast<HMENU>(message.LParam);
    // Letters of any other popup (the main menu among them) are the
    // tracker's: the positions below are the Send To submenu's.
    if (message.WParamHi() != MF_POPUP || list.Count() == 0 || !popup || popup != list.Popup() ||
        !IsMenu(popup))
        return;
    const std::string typed = vcl::AnsiUpperCase(win32::WideToBytes(std::u16string(1, message.WParamLo())));
    const int count = std::min(list.Count(), GetMenuItemCount(popup));
    const auto starts = [&](int i) { return UpperFirstCharacter(list.Name(i)) == typed; };
    // From the entry after the highlighted one round to the highlighted one;
    // without a highlight from the first entry.
    const int highlighted = std::min(HighlightedPosition(popup), count - 1);
    int found = -1;
    for (int step = 1; step <= count && found < 0; ++step) {
        const int i = (highlighted + step + count) % count;
        if (starts(i))
            found = i;
    }
    if (found < 0) {
        message.Result = MAKELONG(0, MNC_IGNORE);
        return;
    }
    int sharing = 0;
    for (int i = 0; i < list.Count(); ++i)
        sharing += starts(i) ? 1 : 0;
    // A letter one entry has chooses it; a shared one moves the highlight.
    message.Result = MAKELONG(static_cast<WORD>(found), sharing > 1 ? MNC_SELECT : MNC_EXECUTE);
}

void SendToTarget(const std::string& entryName, IDataObject* data)
{
    detail::ScopedList folderPidl;
    detail::ScopedList entryPidl;
    com::ComPtr<IShellFolder> folder;
    com::ComPtr<IDropTarget> target;
    vcl::OleCheck(ShellGetSpecialFolderIdList(nullptr, csidlSendTo, folderPidl.Out()));
    vcl::OleCheck(ShellGetFolderFromIdList(folderPidl.Get(), folder.ReleaseAndGetAddressOf()));
    std::u16string name = win32::BytesToWide(entryName);
    vcl::OleCheck(folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, entryPidl.Out(), nullptr));
    LPCITEMIDLIST item = entryPidl.Get();
    vcl::OleCheck(folder->GetUIObjectOf(nullptr, 1, &item, IID_IDropTarget, nullptr,
                                        reinterpret_cast<void**>(target.ReleaseAndGetAddressOf())));
    if (!target)
        vcl::OleError(E_NOINTERFACE);
    // A left-button drag that offers a copy, held still at one point: each
    // call is offered the copy afresh, as a drag source offers it.
    const POINTL point{0, 0};
    DWORD effect = DROPEFFECT_COPY;
    if (FAILED(target->DragEnter(data, MK_LBUTTON, point, &effect)))
        return; // never entered: nothing to leave
    effect = DROPEFFECT_COPY;
    const HRESULT over = target->DragOver(MK_LBUTTON, point, &effect);
    if (SUCCEEDED(over) && effect != DROPEFFECT_NONE) {
        effect = DROPEFFECT_COPY;
        target->Drop(data, MK_LBUTTON, point, &effect);
    } else {
        // A target that refused is only left, never dropped on.
        target->DragLeave();
    }
}

} // namespace kw
