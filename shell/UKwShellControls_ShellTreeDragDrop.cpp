// The shell tree's drag and drop: its window's drop target, the drags its
// nodes start, and what a drag over a node asks of the node's shell target.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "shell32/DragAndDrop.h"
#include "vcl/core/Exceptions.h"
#include "win32/Clock.h"
#include "win32/TreeViews.h"

#include <utility>

namespace kw {

using vcl::TTreeNode;

namespace {

constexpr ULONG kAllEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// The item's effects as its folder tells them; 7 when it cannot.
int AttributesIn(IShellFolder* folder, const ITEMIDLIST* item)
{
    if (!folder || !item)
        return static_cast<int>(kAllEffects);
    ULONG attributes = kAllEffects;
    LPCITEMIDLIST items[] = {item};
    if (FAILED(folder->GetAttributesOf(1, items, &attributes)))
        return static_cast<int>(kAllEffects);
    return static_cast<int>(attributes);
}

} // namespace

// ---- registration ----

void TKwCustomShellTree::RegisterDropTarget()
{
    if (DropTarget_ || !HandleAllocated())
        return;
    com::ComPtr<IDropTarget> target = com::MakeComObject<TDropTarget_shtv>(this);
    if (SUCCEEDED(RegisterDragDrop(Handle(), target.Get())))
        DropTarget_ = std::move(target);
}

void TKwCustomShellTree::RevokeDropTarget()
{
    if (!DropTarget_)
        return;
    if (HandleAllocated())
        RevokeDragDrop(Handle());
    DropTarget_ = nullptr;
}

// ---- drag start ----

void TKwCustomShellTree::BeginDragNotified(const NMTREEVIEWA& notification, vcl::TMouseButton button)
{
    TTreeNode* node = Items()->GetNode(notification.itemNew.hItem);
    DragNode_ = node;
    SetDropTarget(node);
    struct Done {
        TKwCustomShellTree* Tree;
        ~Done()
        {
            Tree->DragNode_ = nullptr;
            if (Tree->HandleAllocated())
                Tree->SetDropTarget(nullptr);
        }
    } done{this};
    if (node && NodeHasData(node) && node->Parent())
        OleBeginDrag(button);
}

void TKwCustomShellTree::OleBeginDrag(vcl::TMouseButton button)
{
    bool refresh = false;
    {
        Busy_ = true;
        com::ComPtr<IDropSource> source;
        struct Restore {
            TKwCustomShellTree* Tree;
            com::ComPtr<IDropSource>& Source;
            ~Restore()
            {
                Tree->Busy_ = false;
                Tree->RefreshPending_ = false;
                Source = nullptr;
                Tree->DragData_ = nullptr;
            }
        } restore{this, source};
        try {
            DragData_ = com::MakeComObject<TDataObject_shtv>(this, DragNode_);
            const DWORD allowed = static_cast<DWORD>(GetDragDropAttributesForNode(DragNode_)) & kAllEffects;
            source = com::MakeComObject<TDropSource_shlvtv>(button);
            DWORD effect = DROPEFFECT_NONE;
            const HRESULT result = DoDragDrop(DragData_.Get(), source.Get(), allowed, &effect);
            refresh = result == DRAGDROP_S_DROP || RefreshPending_;
        } catch (...) {
            // The drag start ends as the silent abort does: the pending
            // refresh still runs.
            refresh = RefreshPending_;
        }
    }
    if (refresh && !ComponentState().Contains(vcl::csDestroying))
        RefreshNodes();
}

int TKwCustomShellTree::GetDragDropAttributesForNode(TTreeNode* node)
{
    TKwShTreeData* data = GetDataFromNode(node);
    if (!data)
        return static_cast<int>(kAllEffects);
    if (node->Parent()) {
        TKwShTreeData* parent = GetDataFromNode(node->Parent());
        const com::ComPtr<IShellFolder> folder = parent ? parent->GetThisIShf() : com::ComPtr<IShellFolder>();
        return AttributesIn(folder.Get(), data->GetRelPidl());
    }
    // The top node stands for the desktop: its effects are the desktop
    // directory's.
    detail::ScopedList parentList;
    detail::ScopedList last;
    GetDesktopDirectoryIdLists(*parentList.Out(), *last.Out());
    if (!last.Get())
        return static_cast<int>(kAllEffects);
    com::ComPtr<IShellFolder> folder;
    if (FAILED(ShellGetFolderFromIdList(parentList.Get(), folder.ReleaseAndGetAddressOf())))
        return static_cast<int>(kAllEffects);
    return AttributesIn(folder.Get(), last.Get());
}

// ---- the drop target's calls ----

com::ComPtr<IDropTarget> TKwCustomShellTree::NodeDropTarget(TTreeNode* node)
{
    com::ComPtr<IDropTarget> target;
    if (TKwShTreeData* data = GetDataFromNode(node))
        if (FAILED(data->GetIDropTarget(GetTopFormHandle(this), target.ReleaseAndGetAddressOf())))
            target = nullptr;
    return target;
}

HRESULT TKwCustomShellTree::OnDropTarget_DragEnter(IDataObject* dataObj, DWORD grfKeyState, const POINTL& pt,
                                                   DWORD& effect)
{
    LastScrollTime_ = GetTickCount();
    EnteredData_.Reset(dataObj);
    EnteredKeys_ = grfKeyState;
    const vcl::TPoint client = ScreenToClient(detail::PointOf(pt));
    TTreeNode* node = GetNodeAt(client.x, client.y);
    // The top node tells its effects only once the pointer moves on it.
    if (!node || !NodeHasData(node) || !node->Parent()) {
        SetDropTarget(DragNode_);
        effect = DROPEFFECT_NONE;
        return S_OK;
    }
    const com::ComPtr<IDropTarget> target = NodeDropTarget(node);
    SetDropTarget(node);
    if (!target) {
        effect = DROPEFFECT_NONE;
        return S_OK;
    }
    const HRESULT result = target->DragEnter(dataObj, grfKeyState, pt, &effect);
    target->DragLeave();
    return result;
}

HRESULT TKwCustomShellTree::OnDropTarget_DragOver(DWORD grfKeyState, const POINTL& pt, DWORD& effect)
{
    TTreeNode* const old = DropTarget();
    HRESULT result = S_OK;
    const vcl::TPoint client = ScreenToClient(detail::PointOf(pt));
    TTreeNode* node = GetNodeAt(client.x, client.y);
    if (node && NodeHasData(node)) {
        const com::ComPtr<IDropTarget> target = NodeDropTarget(node);
        SetDropTarget(node);
        if (target) {
            target->DragEnter(EnteredData_.Get(), grfKeyState, pt, &effect);
            result = target->DragOver(grfKeyState, pt, &effect);
            target->DragLeave();
        } else {
            effect = DROPEFFECT_NONE;
        }
    } else {
        effect = DROPEFFECT_NONE;
        SetDropTarget(DragNode_);
    }
    detail::DragAutoScroll(this, LastScrollTime_, client);
    effect |= DROPEFFECT_SCROLL;
    if (DropTarget() != old)
        Update();
    return result;
}

HRESULT TKwCustomShellTree::OnDropTarget_DragLeave()
{
    EnteredData_ = nullptr;
    SetDropTarget(nullptr);
    return S_OK;
}

HRESULT TKwCustomShellTree::OnDropTarget_Drop(IDataObject* dataObj, DWORD grfKeyState, const POINTL& pt,
                                              DWORD& effect)
{
    com::ComPtr<IDropTarget> target;
    struct Done {
        TKwCustomShellTree* Tree;
        com::ComPtr<IDropTarget>& Target;
        ~Done()
        {
            Target = nullptr;
            if (Tree->HandleAllocated())
                Tree->SetDropTarget(nullptr);
            Tree->EnteredData_ = nullptr;
        }
    } done{this, target};
    const vcl::TPoint client = ScreenToClient(detail::PointOf(pt));
    TTreeNode* node = GetNodeAt(client.x, client.y);
    if (node && NodeHasData(node))
        target = NodeDropTarget(node);
    if (!target) {
        effect = DROPEFFECT_NONE;
        return S_OK;
    }
    const HRESULT result =
        detail::DropOnShellTarget(target.Get(), dataObj, grfKeyState, EnteredKeys_, pt, effect);
    RefreshNodes();
    return result;
}

} // namespace kw
