// The shell list's interaction: opening items and folders, the shell menus
// with their Send To entries, verbs run on items and on the folder, the
// shortcut keys, the wheel, the custom-draw events with shell data and the
// messages a shell view host answers.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "vcl/widgets/ControlMessages.h"
#include "win32/ImageLists.h"
#include "win32/Menus.h"
#include "win32/ScrollBars.h"

#include <cstring>
#include <utility>

namespace kw {

using vcl::TListItem;

namespace {

// The command offset the shell's menus give renaming; the list edits the
// caption itself.
constexpr UINT RenameCommand = 18;

// The private message asking a shell view host for its browser.
constexpr UINT CWM_GETISHELLBROWSER = WM_USER + 7;

// The shortcut entries in the order the list tries them.
constexpr TKwShortcutIndex KeyOrder[] = {kwskSelectAll, kwskRefresh, kwskCopy,  kwskCut,
                                         kwskPaste,     kwskEdit,    kwskDelete};

// The popup and the menu object of one shown shell menu, given back however
// the menu ends.
struct HeldMenu {
    HMENU Popup = nullptr;
    com::ComPtr<IContextMenu> Menu;
    HeldMenu() = default;
    HeldMenu(const HeldMenu&) = delete;
    HeldMenu& operator=(const HeldMenu&) = delete;
    ~HeldMenu()
    {
        if (Popup)
            DestroyMenu(Popup);
    }
};

// The menu object's default command, run when it is one of the shell's.
void InvokeDefault(HWND owner, const HeldMenu& held)
{
    const UINT id = GetMenuDefaultItem(held.Popup, FALSE, 0);
    if (id != static_cast<UINT>(-1) && id >= KwShellMenuFirstId)
        InvokeContextCommand(owner, held.Menu.Get(), id - KwShellMenuFirstId);
}

// Whether two lists hold the same bytes.
bool SameList(const ITEMIDLIST* a, const ITEMIDLIST* b)
{
    const int length = IdListLen(a);
    return a && b && length == IdListLen(b) && std::memcmp(a, b, static_cast<std::size_t>(length)) == 0;
}

} // namespace

// ---- opening ----

void TKwCustomShellList::OpenItem(TListItem* Item)
{
    if (!Item)
        return;
    // The item as it was, to find it again: the pending refreshes may take
    // it away.
    const TKwShListData* before = GetDataFromItem(Item);
    detail::ScopedList relative;
    if (before)
        *relative.Out() = CopyIdList(nullptr, before->GetRelPidl());
    Synchronize(true);
    if (!LiveItem(Item))
        return;
    TKwShListData* data = GetDataFromItem(Item);
    if (!before) {
        if (!data)
            DblClickOpen();
        return;
    }
    if (!data || !relative.Get() || !SameList(data->GetRelPidl(), relative.Get()))
        return;

    const detail::ScopedHourGlass hourglass;
    detail::ScopedList absolute;
    *absolute.Out() = ConcatIdLists(nullptr, CurrentAbs_, data->GetRelPidl());
    if (!absolute.Get())
        return;
    ULONG attributes = SFGAO_FOLDER;
    LPCITEMIDLIST item = data->GetRelPidl();
    if (CurrentFolder_ && CurrentFolder_->GetAttributesOf(1, &item, &attributes) == S_OK &&
        (attributes & SFGAO_FOLDER)) {
        EnterFolder(absolute.Get());
        return;
    }
    if (data->IsLnkShortcut()) {
        TLinkData link;
        detail::ScopedList target;
        const std::string path = data->GetPathName();
        if (!path.empty() && SUCCEEDED(ResolveShortcut(path, link, false)) && !link.Path.empty() &&
            (link.FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            SUCCEEDED(ShellGetIdListFromPath(link.Path, target.Out())) && target.Get()) {
            EnterFolder(target.Get());
            return;
        }
    }
    if (!DblClickOpen())
        return;
    HeldMenu held;
    const HRESULT hr =
        GetShellContextMenu(GetTopFormHandle(this), CurrentFolder_.Get(), 1, &item, KwShellMenuFirstId,
                            CMF_EXPLORE, &held.Popup, held.Menu.ReleaseAndGetAddressOf());
    vcl::OleCheck(FAILED(hr) ? hr : (held.Menu ? S_OK : E_FAIL));
    InvokeDefault(GetTopFormHandle(this), held);
}

void TKwCustomShellList::EnterFolder(const ITEMIDLIST* absolute)
{
    if (Options().Contains(kwsloDontChangeFolder))
        return;
    Items()->BeginUpdate();
    {
        struct Ended {
            vcl::TListItems* Items;
            ~Ended() { Items->EndUpdate(); }
        } ended{Items()};
        SetSelected(nullptr);
        Items()->Clear();
    }
    if (ShellTree_)
        ShellTree_->SelectedFolder()->SetIdList(absolute);
    else if (ShellCombo_)
        ShellCombo_->SelectedFolder()->SetIdList(absolute);
    else
        Folder_->SetIdList(absolute);
}

void TKwCustomShellList::OpenSelectedItems()
{
    Synchronize(true);
    detail::HeldLists lists;
    SelectedLists(lists);
    if (lists.Lists.size() < 2) {
        if (TListItem* item = Selected())
            OpenItem(item);
        return;
    }
    if (!DblClickOpen())
        return;
    HeldMenu held;
    std::vector<LPCITEMIDLIST> items(lists.Lists.begin(), lists.Lists.end());
    const HRESULT hr = GetShellContextMenu(GetTopFormHandle(this), CurrentFolder_.Get(),
                                           static_cast<UINT>(items.size()), items.data(), KwShellMenuFirstId,
                                           CMF_EXPLORE, &held.Popup, held.Menu.ReleaseAndGetAddressOf());
    vcl::OleCheck(FAILED(hr) ? hr : (held.Menu ? S_OK : E_FAIL));
    InvokeDefault(GetTopFormHandle(this), held);
}

bool TKwCustomShellList::DblClickOpen()
{
    bool handled = false;
    if (OnDblClickOpen)
        OnDblClickOpen(this, handled);
    return !handled;
}

void TKwCustomShellList::MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TKwCustomListView::MouseDown(button, shift, x, y);
    if (button == vcl::mbLeft && shift.Contains(vcl::ssDouble))
        OpenSelectedItems();
}

void TKwCustomShellList::KeyPress(char16_t& key)
{
    if (Options().Contains(kwsloDefaultKeyHandling) && !IsEditing() &&
        !ComponentState().Contains(vcl::csDesigning)) {
        if (key == u'\b') {
            key = 0;
            GoUp(1);
        } else if (key == u'\r') {
            key = 0;
            OpenSelectedItems();
        }
    }
    TKwCustomListView::KeyPress(key);
}

// ---- keys ----

void TKwCustomShellList::KeyDown(WORD& key, vcl::TShiftState shift)
{
    TKwCustomListView::KeyDown(key, shift);
    if (key == 0 || IsEditing() || ComponentState().Contains(vcl::csDesigning) ||
        !Options().Contains(kwsloDefaultKeyHandling))
        return;
    const int entry = detail::PressedShortcut(key, shift, KeyOrder);
    if (entry < 0)
        return;
    key = 0;
    switch (entry) {
    case kwskSelectAll:
        SelectAll();
        break;
    case kwskRefresh:
        FillItems();
        break;
    case kwskCopy:
        DoCommandForAllSelected("copy");
        break;
    case kwskCut:
        DoCommandForAllSelected("cut");
        break;
    case kwskPaste:
        DoCommandForFolder("paste");
        RefreshItems();
        break;
    case kwskEdit:
        if (TListItem* item = ItemFocused())
            item->EditCaption();
        break;
    case kwskDelete:
        DoCommandForAllSelected("delete");
        RefreshItems();
        break;
    default:
        break;
    }
}

// ---- verbs ----

namespace {

HRESULT InvokeVerb(HWND owner, IContextMenu* menu, const TKwShellVerb& verb)
{
    return verb.Text.empty() ? InvokeContextCommand(owner, menu, verb.Command)
                             : InvokeContextCommand(owner, menu, verb.Text);
}

} // namespace

void TKwCustomShellList::DoCommandForItem(TListItem* Item, const TKwShellVerb& Verb)
{
    com::ComPtr<IContextMenu> menu;
    const HRESULT got =
        GetUIObjectForItem(Item, IID_IContextMenu, reinterpret_cast<void**>(menu.ReleaseAndGetAddressOf()));
    RunVerb(SUCCEEDED(got) ? menu.Get() : nullptr, Verb);
}

void TKwCustomShellList::DoCommandForAllSelected(const TKwShellVerb& Verb)
{
    com::ComPtr<IContextMenu> menu;
    const HRESULT got =
        GetUIObjectForAllSelected(IID_IContextMenu, reinterpret_cast<void**>(menu.ReleaseAndGetAddressOf()));
    RunVerb(SUCCEEDED(got) ? menu.Get() : nullptr, Verb);
}

void TKwCustomShellList::RunVerb(IContextMenu* menu, const TKwShellVerb& Verb)
{
    if (!menu)
        return;
    // The verb's own answer is not looked at: the shell told the person.
    InvokeVerb(GetTopFormHandle(this), menu, Verb);
    // A network folder's changes are heard of by no watch.
    if (IsFolderNetworkShare())
        RefreshItems();
}

void TKwCustomShellList::DoCommandForFolder(const TKwShellVerb& Verb)
{
    com::ComPtr<IContextMenu> menu;
    const HRESULT got = GetUIObjectOfIdList(CurrentAbs_, IID_IContextMenu,
                                            reinterpret_cast<void**>(menu.ReleaseAndGetAddressOf()));
    vcl::OleCheck(FAILED(got) ? got : (menu ? S_OK : E_FAIL));
    vcl::OleCheck(InvokeVerb(GetTopFormHandle(this), menu.Get(), Verb));
}

HRESULT TKwCustomShellList::GetUIObjectForItem(TListItem* Item, REFIID IID, void** Obj)
{
    if (Obj)
        *Obj = nullptr;
    const TKwShListData* data = GetDataFromItem(Item);
    if (!data)
        return E_INVALIDARG;
    if (!CurrentFolder_)
        return E_FAIL;
    LPCITEMIDLIST item = data->GetRelPidl();
    return CurrentFolder_->GetUIObjectOf(GetTopFormHandle(this), 1, &item, IID, nullptr, Obj);
}

HRESULT TKwCustomShellList::GetUIObjectForAllSelected(REFIID IID, void** Obj)
{
    if (Obj)
        *Obj = nullptr;
    detail::HeldLists lists;
    SelectedLists(lists);
    if (lists.Lists.empty() || !CurrentFolder_)
        return E_FAIL;
    std::vector<LPCITEMIDLIST> items(lists.Lists.begin(), lists.Lists.end());
    return CurrentFolder_->GetUIObjectOf(GetTopFormHandle(this), static_cast<UINT>(items.size()),
                                         items.data(), IID, nullptr, Obj);
}

// ---- the shell menus ----

void TKwCustomShellList::ItemContextMenu(TListItem* aItem, vcl::TPoint& aPos, vcl::TPopupMenu*& aMenu)
{
    TKwCustomListView::ItemContextMenu(aItem, aPos, aMenu);
    if (!Options().Contains(kwsloContextMenus) || ComponentState().Contains(vcl::csDesigning) || Busy())
        return;
    ProcessMenuForAllSelected(aPos);
    aMenu = nullptr;
}

void TKwCustomShellList::ProcessMenuForAllSelected(const vcl::TPoint& Pos)
{
    detail::HeldLists lists;
    SelectedLists(lists);
    if (lists.Lists.empty() || !CurrentFolder_)
        return;
    TKwShListData* focused = GetDataFromItem(ItemFocused());
    const bool renamable = focused && !ReadOnly() && !focused->GetPathName().empty();
    std::vector<LPCITEMIDLIST> items(lists.Lists.begin(), lists.Lists.end());
    TrackShellMenu(static_cast<UINT>(items.size()), items.data(),
                   CMF_EXPLORE | (renamable ? CMF_CANRENAME : 0), Pos, ItemFocused());
}

void TKwCustomShellList::ProcessMenu(TListItem* Item, const vcl::TPoint& Pos)
{
    const TKwShListData* data = GetDataFromItem(Item);
    if (!data || !CurrentFolder_)
        return;
    LPCITEMIDLIST item = data->GetRelPidl();
    BeginBusy();
    struct Ended {
        TKwCustomShellList* List;
        ~Ended() { List->EndBusy(); }
    } ended{this};
    TrackShellMenu(1, &item, CMF_EXPLORE | (ReadOnly() ? 0 : CMF_CANRENAME), Pos, Item);
}

void TKwCustomShellList::TrackShellMenu(UINT count, LPCITEMIDLIST* items, UINT flags, const vcl::TPoint& pos,
                                        TListItem* renamed)
{
    const HWND owner = GetTopFormHandle(this);
    HeldMenu held;
    // A folder that gives no menu shows none; a menu that cannot be filled
    // raises.
    if (FAILED(GetShellContextMenu(owner, CurrentFolder_.Get(), count, items, KwShellMenuFirstId, flags,
                                   &held.Popup, held.Menu.ReleaseAndGetAddressOf())) ||
        !held.Popup || !held.Menu)
        return;
    const vcl::TPoint screen = ClientToScreen(pos);
    OpenMenu_ = held.Menu.Get();
    struct Forget {
        IContextMenu*& Menu;
        ~Forget() { Menu = nullptr; }
    } forget{OpenMenu_};
    const UINT id = static_cast<UINT>(TrackPopupMenu(held.Popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                                     screen.y, 0, Handle(), nullptr));
    OpenMenu_ = nullptr;
    if (id == KwShellMenuFirstId + RenameCommand) {
        if (renamed && LiveItem(renamed))
            renamed->EditCaption();
    } else if (id >= KwShellMenuFirstId) {
        InvokeContextCommand(owner, held.Menu.Get(), id - KwShellMenuFirstId);
        if (IsFolderNetworkShare())
            RefreshItems();
    } else if (id >= 1) {
        ProcessSendTo(static_cast<int>(id) - 1);
    }
}

void TKwCustomShellList::ProcessSendTo(int Index)
{
    com::ComPtr<TDataObject_shlv> object;
    try {
        object = com::MakeComObject<TDataObject_shlv>(static_cast<TKwShListDataOwner*>(this));
    } catch (const vcl::EAbort&) {
        // Nothing selected carries shell data: nothing to send.
        return;
    }
    com::ComPtr<IDataObject> data;
    vcl::OleCheck(
        object->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(data.ReleaseAndGetAddressOf())));
    SendToTarget(KwSendToList().Name(Index), data.Get());
}

// ---- the wheel ----

bool TKwCustomShellList::DoMouseWheelDown(vcl::TShiftState shift, const vcl::TPoint& mousePos)
{
    return WheelTurned(true, shift, mousePos, TKwCustomListView::DoMouseWheelDown(shift, mousePos));
}

bool TKwCustomShellList::DoMouseWheelUp(vcl::TShiftState shift, const vcl::TPoint& mousePos)
{
    return WheelTurned(false, shift, mousePos, TKwCustomListView::DoMouseWheelUp(shift, mousePos));
}

bool TKwCustomShellList::WheelTurned(bool down, vcl::TShiftState shift, const vcl::TPoint& mousePos,
                                     bool handled)
{
    if (!handled)
        handled = detail::WheelToShellControlUnder(this, down, shift, mousePos);
    if (handled || !HandleAllocated())
        return true;
    if (ViewStyle() == vcl::vsList)
        return kw::WheelScroll(this, SB_HORZ, down ? SB_LINERIGHT : SB_LINELEFT,
                               down ? SB_PAGERIGHT : SB_PAGELEFT);
    return kw::WheelScroll(this, SB_VERT, down ? SB_LINEDOWN : SB_LINEUP, down ? SB_PAGEDOWN : SB_PAGEUP);
}

// ---- drawing ----

TKwCustomDraw* TKwCustomShellList::KwCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult)
{
    TKwCustomDraw* wrapper = CreateCustomDraw(aCD, aResult);
    TListItem* item = nullptr;
    if ((aCD.dwDrawStage & CDDS_ITEM) && aCD.dwItemSpec < static_cast<DWORD_PTR>(Items()->Count()))
        item = Items()->Item(static_cast<int>(aCD.dwItemSpec));
    KwCustomDrawSh(wrapper, item, GetDataFromItem(item));
    wrapper->Apply();
    if (aCD.dwDrawStage == CDDS_PREPAINT || aCD.dwDrawStage == CDDS_ITEMPREPAINT)
        aResult |= CDRF_NOTIFYITEMDRAW;
    return wrapper;
}

void TKwCustomShellList::KwCustomDrawSh(TKwCustomDraw* aCD, TListItem* aItem, TKwShListData* aData)
{
    if (OnCustomDrawShEx)
        OnCustomDrawShEx(this, aCD, aItem, aData);
    if (OnCustomDrawSh && aCD->RawDrawStage() == CDDS_ITEMPREPAINT)
        OnCustomDrawSh(this, aCD, aItem, aData);
}

// ---- messages ----

bool TKwCustomShellList::InteractionMessage(vcl::TMessage& message)
{
    switch (message.Msg) {
    case WM_INITMENUPOPUP:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_MENUCHAR:
    case WM_MENUSELECT:
        if (message.Msg == WM_DRAWITEM || message.Msg == WM_MEASUREITEM)
            TKwCustomListView::Dispatch(message);
        else
            DefaultHandler(message);
        detail::ShellMenuMessage(message, OpenMenu_, SmallImages_ ? SmallImages_->Handle() : nullptr, this,
                                 OnPopupHint);
        return true;
    case detail::AM_DeferredEdit:
        AMDeferredEdit();
        return true;
    case CWM_GETISHELLBROWSER:
        // No explorer instance runs in this process to hand out.
        message.Result = 0;
        return true;
    case WM_NCHITTEST:
        DefaultHandler(message);
        return true;
    case WM_RBUTTONDOWN:
        // A new press: no button-up to come belongs to a drag.
        DragStarted_ = false;
        return false;
    case WM_RBUTTONUP:
        // Only the button-up that ends the list's own drag skips the list's
        // menu; the record goes with it, so the next click gets a menu.
        if (std::exchange(DragStarted_, false)) {
            DefaultHandler(message);
            return true;
        }
        return false;
    case vcl::CM_DESIGNHITTEST: {
        const vcl::TPoint at{static_cast<std::int16_t>(LOWORD(static_cast<DWORD_PTR>(message.LParam))),
                             static_cast<std::int16_t>(HIWORD(static_cast<DWORD_PTR>(message.LParam)))};
        message.Result = Options().Contains(kwsloDesignInteractive) && GetItemAt(at.x, at.y) ? 1 : 0;
        return true;
    }
    case vcl::CM_WANTSPECIALKEY: {
        TKwCustomListView::Dispatch(message);
        if (IsEditing()) {
            message.Result = 1;
        } else if (message.WParam == VK_RETURN) {
            // Enter opens a folder here, not the dialog's default button.
            if (TKwShListData* data = GetDataFromItem(Selected()); data && data->IsFolder())
                message.Result = 1;
        }
        return true;
    }
    default:
        return false;
    }
}

void TKwCustomShellList::SelectedLists(detail::HeldLists& lists) const
{
    for (TListItem* item = Selected(); item;
         item = GetNextItem(item, vcl::sdAll, vcl::TItemStates{vcl::isSelected}))
        if (const TKwShListData* data = GetDataFromItem(item))
            lists.Add(CopyIdList(nullptr, data->GetRelPidl()));
}

bool TKwCustomShellList::LiveItem(const TListItem* item) const
{
    // Compares addresses only: a freed item is never read.
    const vcl::TListItems* items = Items();
    for (int i = 0, count = items->Count(); i < count; ++i)
        if (items->Item(i) == item)
            return true;
    return false;
}

} // namespace kw
