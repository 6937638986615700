// The shell tree's interaction: the shortcut keys, the shell menu of a node
// with its Send To entries, verbs run on a node, the wheel, the custom-draw
// events with shell data, painting and the designer's hit test.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "vcl/widgets/ControlMessages.h"
#include "win32/ImageLists.h"
#include "win32/Menus.h"
#include "win32/ScrollBars.h"
#include "win32/SystemSettings.h"

#include <utility>

namespace kw {

using vcl::TTreeNode;

namespace {

// The command offset the shell's menus give renaming; the tree edits the
// label itself.
constexpr UINT RenameCommand = 18;

// The node's item as its folder knows it: the parent node's folder and the
// relative list, or, for the top node, the folder holding the base folder
// and its last item (kept in lastItem).
bool NodeItem(TKwShTreeData* data, com::ComPtr<IShellFolder>& folder, LPCITEMIDLIST& item,
              detail::ScopedList& lastItem)
{
    if (data->ParentData()) {
        folder = data->GetParentIShf();
        item = data->GetRelPidl();
        return folder && item;
    }
    detail::ScopedList parentList;
    const HRESULT hr = GetParentFolderAndItem(data->GetAbsPidl(), folder.ReleaseAndGetAddressOf(),
                                              parentList.Out(), lastItem.Out());
    item = lastItem.Get();
    return SUCCEEDED(hr) && folder && item;
}

} // namespace

// ---- keys ----

void TKwCustomShellTree::KeyDown(WORD& key, vcl::TShiftState shift)
{
    TKwCustomTreeView::KeyDown(key, shift);
    if (key == 0 || IsEditing() || ComponentState().Contains(vcl::csDesigning) ||
        !Options_.Contains(kwstoDefaultKeyHandling))
        return;
    static constexpr TKwShortcutIndex order[] = {kwskEdit, kwskRefresh, kwskCut,
                                                 kwskCopy, kwskPaste,   kwskDelete};
    const int entry = detail::PressedShortcut(key, shift, order);
    if (entry < 0)
        return;
    key = 0;
    switch (entry) {
    case kwskEdit:
        if (TTreeNode* node = Selected())
            node->EditText();
        break;
    case kwskRefresh:
        RefreshNodes();
        break;
    case kwskCut:
        DoCommandForNode(Selected(), "cut");
        break;
    case kwskCopy:
        DoCommandForNode(Selected(), "copy");
        break;
    case kwskPaste:
        DoCommandForNode(Selected(), "paste");
        RefreshNodes();
        break;
    case kwskDelete:
        // Shift+Del trashes as Del does: nothing is deleted for good.
        DoCommandForNode(Selected(), "delete");
        RefreshNodes();
        break;
    default:
        break;
    }
}

// ---- verbs ----

HRESULT TKwCustomShellTree::DoCommandForNode(TTreeNode* aNode, const std::string& aVerb)
{
    TKwShTreeData* data = GetDataFromNode(aNode);
    if (!data || !aNode->Parent())
        return S_FALSE;
    const com::ComPtr<IShellFolder> folder = data->GetParentIShf();
    const HWND owner = GetTopFormHandle(this);
    com::ComPtr<IContextMenu> menu;
    LPCITEMIDLIST item = data->GetRelPidl();
    const HRESULT got = folder
                            ? folder->GetUIObjectOf(owner, 1, &item, IID_IContextMenu, nullptr,
                                                    reinterpret_cast<void**>(menu.ReleaseAndGetAddressOf()))
                            : E_FAIL;
    if (FAILED(got) || !menu)
        vcl::OleCheck(FAILED(got) ? got : E_FAIL);
    const HRESULT hr = InvokeContextCommand(owner, menu.Get(), aVerb);
    RefreshNodes();
    return hr;
}

// ---- the shell menu ----

void TKwCustomShellTree::NodeContextMenu(TTreeNode* aNode, vcl::TPoint& aPos, vcl::TPopupMenu*& aMenu)
{
    TKwCustomTreeView::NodeContextMenu(aNode, aPos, aMenu);
    if (!Options_.Contains(kwstoContextMenus) || ComponentState().Contains(vcl::csDesigning) || !aNode)
        return;
    ProcessMenu(aNode, aPos);
    aMenu = nullptr;
}

void TKwCustomShellTree::ProcessMenu(TTreeNode* aNode, const vcl::TPoint& aPos)
{
    TKwShTreeData* data = GetDataFromNode(aNode);
    if (!data)
        return;
    // The desktop has no menu here.
    const PItemIDList absolute = data->GetAbsPidl();
    if (!absolute || absolute->mkid.cb == 0)
        return;
    com::ComPtr<IShellFolder> folder;
    LPCITEMIDLIST item = nullptr;
    detail::ScopedList lastItem;
    if (!NodeItem(data, folder, item, lastItem))
        return;
    const HWND owner = GetTopFormHandle(this);
    HMENU popup = nullptr;
    com::ComPtr<IContextMenu> menu;
    const UINT flags = CMF_EXPLORE | (ReadOnly() ? 0 : CMF_CANRENAME);
    const HRESULT hr = GetShellContextMenu(owner, folder.Get(), 1, &item, KwShellMenuFirstId, flags, &popup,
                                           menu.ReleaseAndGetAddressOf());
    BeginBusy();
    struct Done {
        TKwCustomShellTree* Tree;
        HMENU Popup;
        ~Done()
        {
            Tree->OpenMenu_ = nullptr;
            if (Popup)
                DestroyMenu(Popup);
            Tree->EndBusy();
        }
    } done{this, popup};
    if (FAILED(hr) || !popup || !menu)
        return;
    const vcl::TPoint screen = ClientToScreen(aPos);
    OpenMenu_ = menu.Get();
    const UINT id = static_cast<UINT>(
        TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr));
    OpenMenu_ = nullptr;
    if (id == KwShellMenuFirstId + RenameCommand) {
        aNode->EditText();
    } else if (id >= KwShellMenuFirstId) {
        InvokeContextCommand(owner, menu.Get(), id - KwShellMenuFirstId);
        RefreshNodes();
    } else if (id >= 1) {
        ProcessSendTo(aNode, static_cast<int>(id) - 1);
    }
}

void TKwCustomShellTree::ProcessSendTo(TTreeNode* aNode, int aIndex)
{
    const com::ComPtr<TDataObject_shtv> object = com::MakeComObject<TDataObject_shtv>(this, aNode);
    com::ComPtr<IDataObject> data;
    vcl::OleCheck(
        object->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(data.ReleaseAndGetAddressOf())));
    SendToTarget(KwSendToList().Name(aIndex), data.Get());
}

void TKwCustomShellTree::MenuMessage(vcl::TMessage& message)
{
    if (message.Msg == WM_DRAWITEM || message.Msg == WM_MEASUREITEM)
        TKwCustomTreeView::Dispatch(message);
    else
        DefaultHandler(message);
    detail::ShellMenuMessage(message, OpenMenu_, ImageList_ ? ImageList_->Handle() : nullptr, this,
                             OnPopupHint);
}

// ---- the wheel ----

bool TKwCustomShellTree::DoMouseWheelDown(vcl::TShiftState shift, const vcl::TPoint& mousePos)
{
    return WheelScroll(true, shift, mousePos, TKwCustomTreeView::DoMouseWheelDown(shift, mousePos));
}

bool TKwCustomShellTree::DoMouseWheelUp(vcl::TShiftState shift, const vcl::TPoint& mousePos)
{
    return WheelScroll(false, shift, mousePos, TKwCustomTreeView::DoMouseWheelUp(shift, mousePos));
}

bool TKwCustomShellTree::WheelScroll(bool down, vcl::TShiftState shift, const vcl::TPoint& mousePos,
                                     bool handled)
{
    // The shell control under the pointer scrolls even without the focus.
    if (!handled)
        handled = detail::WheelToShellControlUnder(this, down, shift, mousePos);
    if (handled || !HandleAllocated())
        return true;
    return kw::WheelScroll(this, SB_VERT, down ? SB_LINEDOWN : SB_LINEUP, down ? SB_PAGEDOWN : SB_PAGEUP);
}

// ---- drawing ----

TKwCustomDraw* TKwCustomShellTree::KwCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult)
{
    TKwCustomDraw* wrapper = CreateCustomDraw(aCD, aResult);
    TTreeNode* node = (aCD.dwDrawStage & CDDS_ITEM)
                          ? Items()->GetNode(reinterpret_cast<HTREEITEM>(aCD.dwItemSpec))
                          : nullptr;
    KwCustomDrawSh(wrapper, node, GetDataFromNode(node));
    wrapper->Apply();
    if (aCD.dwDrawStage & CDDS_PREPAINT)
        aResult |= CDRF_NOTIFYITEMDRAW;
    return wrapper;
}

void TKwCustomShellTree::KwCustomDrawSh(TKwCustomDraw* aCD, TTreeNode* aNode, TKwShTreeData* aData)
{
    if (OnCustomDrawShEx)
        OnCustomDrawShEx(this, aCD, aNode, aData);
    if (OnCustomDrawSh && aCD->RawDrawStage() == CDDS_ITEMPREPAINT)
        OnCustomDrawSh(this, aCD, aNode, aData);
}

void TKwCustomShellTree::WMPaint(vcl::TMessage& message)
{
    if (ComponentState().Contains(vcl::csDestroying))
        return;
    // Icons are drawn on the control's own colour.
    const HIMAGELIST images = ImageList_ ? ImageList_->Handle() : nullptr;
    const auto state = reinterpret_cast<HIMAGELIST>(Perform(TVM_GETIMAGELIST, TVSIL_STATE, 0));
    const COLORREF colour = vcl::ColorToRGB(Color());
    struct Restore {
        HIMAGELIST List;
        COLORREF Before;
        ~Restore()
        {
            if (List)
                ImageList_SetBkColor(List, Before);
        }
    } restoreImages{images, images ? ImageList_SetBkColor(images, colour) : 0},
        restoreState{state, state ? ImageList_SetBkColor(state, colour) : 0};
    TKwCustomTreeView::Dispatch(message);
}

// ---- the designer ----

void TKwCustomShellTree::CMDesignHitTest(vcl::TMessage& message)
{
    const vcl::TPoint at{static_cast<std::int16_t>(LOWORD(static_cast<DWORD_PTR>(message.LParam))),
                         static_cast<std::int16_t>(HIWORD(static_cast<DWORD_PTR>(message.LParam)))};
    bool reaches = false;
    if (Options_.Contains(kwstoDesignInteractive)) {
        const vcl::THitTests hits = GetHitTestInfoAt(at.x, at.y);
        reaches = hits.Contains(vcl::htOnItem) || hits.Contains(vcl::htOnButton) ||
                  hits.Contains(vcl::htToRight) || at.x > ClientWidth();
    }
    message.Result = reaches ? 1 : 0;
}

} // namespace kw
