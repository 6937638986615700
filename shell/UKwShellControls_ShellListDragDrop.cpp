// The shell list's drag and drop: its window's drop target, the drags its
// items start, and where a drag over the list goes: an item's own shell
// target, else the shown folder's.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "shell32/DragAndDrop.h"
#include "vcl/core/Exceptions.h"
#include "win32/Clock.h"

#include <utility>
#include <vector>

namespace kw {

using vcl::TListItem;

namespace {

constexpr ULONG kAllEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

} // namespace

// ---- the data object ----

TDataObject_shlv::TDataObject_shlv(TKwCustomShellList* list)
    : TDataObject_shlv(static_cast<TKwShListDataOwner*>(list))
{
}

// ---- registration ----

void TKwCustomShellList::RegisterDropTarget()
{
    if (DropTarget_ || !HandleAllocated())
        return;
    com::ComPtr<IDropTarget> target = com::MakeComObject<TDropTarget_shlv>(this);
    if (SUCCEEDED(RegisterDragDrop(Handle(), target.Get())))
        DropTarget_ = std::move(target);
}

void TKwCustomShellList::RevokeDropTarget()
{
    if (!DropTarget_)
        return;
    if (HandleAllocated())
        RevokeDragDrop(Handle());
    DropTarget_ = nullptr;
}

// ---- drag start ----

void TKwCustomShellList::OleBeginDrag(vcl::TMouseButton button)
{
    bool dropped = false;
    {
        Busy_ = true;
        com::ComPtr<IDropSource> source;
        struct Restore {
            TKwCustomShellList* List;
            com::ComPtr<IDropSource>& Source;
            ~Restore()
            {
                List->Busy_ = false;
                Source = nullptr;
                List->DragData_ = nullptr;
            }
        } restore{this, source};
        DragStarted_ = button == vcl::mbRight;
        try {
            DragData_ = com::MakeComObject<TDataObject_shlv>(this);
            const DWORD allowed = static_cast<DWORD>(GetDragDropAttributesForAllSelected()) & kAllEffects;
            source = com::MakeComObject<TDropSource_shlvtv>(button);
            DWORD effect = DROPEFFECT_NONE;
            dropped = DoDragDrop(DragData_.Get(), source.Get(), allowed, &effect) == DRAGDROP_S_DROP;
        } catch (...) {
            // Nothing selected with shell data (the silent abort) or a
            // failing shell: the drag start ends without a word.
        }
    }
    if (ComponentState().Contains(vcl::csDestroying) || !HandleAllocated())
        return;
    // A drop changed the folder; work that waited runs now, a whole fill
    // when one was asked for or the folder moved meanwhile.
    if (dropped)
        FillWanted_ = true;
    if (FillWanted_) {
        RunPendingRefresh();
        SortList();
    }
}

int TKwCustomShellList::GetDragDropAttributesForAllSelected()
{
    // One walk of the selection serves both the count of selected shell
    // items (none: no effects) and their lists.
    std::vector<LPCITEMIDLIST> items;
    if (SelCount() == 1) {
        if (TKwShListData* data = GetDataFromItem(Selected()))
            items.push_back(data->GetRelPidl());
    } else {
        for (TListItem* item = GetNextItem(nullptr, vcl::sdAll, vcl::TItemStates{vcl::isSelected}); item;
             item = GetNextItem(item, vcl::sdAll, vcl::TItemStates{vcl::isSelected}))
            if (TKwShListData* data = GetDataFromItem(item))
                items.push_back(data->GetRelPidl());
    }
    if (items.empty())
        return 0;
    IShellFolder* folder = GetCurrentFolderIShf();
    if (!folder)
        vcl::OleError(E_FAIL);
    ULONG attributes = kAllEffects;
    vcl::OleCheck(folder->GetAttributesOf(static_cast<UINT>(items.size()), items.data(), &attributes));
    return static_cast<int>(kAllEffects & attributes);
}

int TKwCustomShellList::GetDragDropAttributesForItem(TListItem* item)
{
    TKwShListData* data = GetDataFromItem(item);
    IShellFolder* folder = GetCurrentFolderIShf();
    if (!data || !folder)
        vcl::OleError(E_FAIL);
    ULONG attributes = kAllEffects;
    LPCITEMIDLIST items[] = {data->GetRelPidl()};
    vcl::OleCheck(folder->GetAttributesOf(1, items, &attributes));
    return static_cast<int>(attributes);
}

bool TKwCustomShellList::IsFolderNetworkShare()
{
    return kw::IsFolderNetworkShare(Folder_);
}

// ---- the drop target's calls ----

com::ComPtr<IDropTarget> TKwCustomShellList::ItemDropTarget(TListItem* item)
{
    com::ComPtr<IDropTarget> target;
    TKwShListData* data = GetDataFromItem(item);
    IShellFolder* folder = GetCurrentFolderIShf();
    if (!data || !folder)
        return target;
    LPCITEMIDLIST items[] = {data->GetRelPidl()};
    if (FAILED(folder->GetUIObjectOf(GetTopFormHandle(this), 1, items, IID_IDropTarget, nullptr,
                                     target.ReleaseAndGetVoidAddress())))
        target = nullptr;
    return target;
}

com::ComPtr<IDropTarget> TKwCustomShellList::FolderDropTarget()
{
    // The folder held, with the list it was filled from: never a folder
    // shown before.
    com::ComPtr<IDropTarget> target;
    if (!CurrentFolder_)
        return target;
    if (FAILED(GetUIObjectOfIdList(CurrentAbs_, IID_IDropTarget, target.ReleaseAndGetVoidAddress())))
        target = nullptr;
    return target;
}

HRESULT TKwCustomShellList::OnDropTarget_DragEnter(IDataObject* dataObj, DWORD grfKeyState, const POINTL& pt,
                                                   DWORD& effect)
{
    LastScrollTime_ = GetTickCount();
    EnteredData_.Reset(dataObj);
    EnteredKeys_ = grfKeyState;
    const vcl::TPoint client = ScreenToClient(detail::PointOf(pt));
    TListItem* item = GetItemAt(client.x, client.y);
    com::ComPtr<IDropTarget> target;
    if (item && ItemHasData(item)) {
        target = ItemDropTarget(item);
        if (!target) {
            SetDropTarget(nullptr);
            item = nullptr;
            target = FolderDropTarget();
        }
    } else if (Busy_) {
        // The list's own items over its own folder: only a right drag asks
        // (to copy), and only at the drop.
        if (grfKeyState & MK_RBUTTON) {
            effect = DROPEFFECT_COPY;
            SetDropTarget(nullptr);
            return S_OK;
        }
    } else {
        item = nullptr;
        target = FolderDropTarget();
    }
    if (!target) {
        SetDropTarget(nullptr);
        effect = DROPEFFECT_NONE;
        return S_OK;
    }
    const HRESULT result = target->DragEnter(dataObj, grfKeyState, pt, &effect);
    target->DragLeave();
    SetDropTarget(nullptr);
    if (effect != DROPEFFECT_NONE)
        SetDropTarget(item);
    return result;
}

HRESULT TKwCustomShellList::OnDropTarget_DragOver(DWORD grfKeyState, const POINTL& pt, DWORD& effect)
{
    TListItem* const old = DropTarget();
    HRESULT result = S_OK;
    const vcl::TPoint client = ScreenToClient(detail::PointOf(pt));
    TListItem* item = GetItemAt(client.x, client.y);
    com::ComPtr<IDropTarget> target;
    if (item && !ItemHasData(item)) {
        // An application's own item: a copy, nothing asked.
        effect = DROPEFFECT_COPY;
        SetDropTarget(nullptr);
        return S_OK;
    }
    if (item) {
        target = ItemDropTarget(item);
        if (!target) {
            SetDropTarget(nullptr);
            item = nullptr;
            target = FolderDropTarget();
        }
    } else if (Busy_) {
        if (grfKeyState & MK_RBUTTON) {
            effect = DROPEFFECT_COPY;
            SetDropTarget(nullptr);
            return S_OK;
        }
    } else {
        target = FolderDropTarget();
    }
    if (target) {
        target->DragEnter(EnteredData_.Get(), grfKeyState, pt, &effect);
        result = target->DragOver(grfKeyState, pt, &effect);
        target->DragLeave();
        if (effect == DROPEFFECT_NONE) {
            SetDropTarget(nullptr);
        } else if (item != DropTarget()) {
            SetDropTarget(nullptr);
            SetDropTarget(item);
        }
    } else {
        effect = DROPEFFECT_NONE;
        SetDropTarget(nullptr);
    }
    detail::DragAutoScroll(this, LastScrollTime_, client);
    effect |= DROPEFFECT_SCROLL;
    if (DropTarget() != old)
        Update();
    return result;
}

HRESULT TKwCustomShellList::OnDropTarget_DragLeave()
{
    EnteredData_ = nullptr;
    SetDropTarget(nullptr);
    return S_OK;
}

HRESULT TKwCustomShellList::OnDropTarget_Drop(IDataObject* dataObj, DWORD grfKeyState, const POINTL& pt,
                                              DWORD& effect)
{
    com::ComPtr<IDropTarget> target;
    struct Done {
        TKwCustomShellList* List;
        com::ComPtr<IDropTarget>& Target;
        ~Done()
        {
            Target = nullptr;
            if (List->HandleAllocated())
                List->SetDropTarget(nullptr);
            List->EnteredData_ = nullptr;
        }
    } done{this, target};
    const vcl::TPoint client = ScreenToClient(detail::PointOf(pt));
    TListItem* item = GetItemAt(client.x, client.y);
    if (item && ItemHasData(item)) {
        target = ItemDropTarget(item);
        if (!target) {
            SetDropTarget(nullptr);
            target = FolderDropTarget();
        }
    } else if (Busy_) {
        // The list's own items dropped on its own folder by the right
        // button: copies, never a move onto themselves.
        if (EnteredKeys_ & MK_RBUTTON) {
            effect &= ~DROPEFFECT_MOVE;
            target = FolderDropTarget();
        }
    } else {
        target = FolderDropTarget();
    }
    if (!target) {
        effect = DROPEFFECT_NONE;
        return S_OK;
    }
    const HRESULT result =
        detail::DropOnShellTarget(target.Get(), dataObj, grfKeyState, EnteredKeys_, pt, effect);
    if (IsFolderNetworkShare())
        RefreshItems();
    return result;
}

} // namespace kw
