// The shell tree's life: construction, window, loading, links, locators and
// options, and what it publishes.

#include "UKwShellControls.h"
#include "UKwShellControls_ChangeHandler_p.h"
#include "UKwShellControls_p.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "win32/CommonControls.h"
#include "win32/Menus.h"
#include "win32/WindowManager.h"

#include <utility>

namespace kw {

using vcl::TTreeNode;

TKwCustomShellTree::TKwCustomShellTree(vcl::TComponent* owner)
    : TKwCustomTreeView(owner), BaseFolder_(vcl::Create<TKwShellLocator>()),
      SelectedFolder_(vcl::Create<TKwShellLocator>()), Timer_(vcl::Create<vcl::TTimer>(nullptr))
{
    Timer_->SetEnabled(false);
    Timer_->SetOnTimer(vcl::TNotifyEvent(this, &TKwCustomShellTree::TimerElapsed));
    BaseFolder_->OnChange = vcl::TNotifyEvent(this, &TKwCustomShellTree::BaseFolderChanged);
    SelectedFolder_->OnChange = vcl::TNotifyEvent(this, &TKwCustomShellTree::SelectedFolderChanged);
    SetShowRoot(false);
    // The system's small list, shared by every shell control and never
    // destroyed by any of them.
    ImageList_ = vcl::Create<vcl::TImageList>(nullptr);
    ImageList_->SetShareImages(true);
    ImageList_->SetHandle(ShellGetSystemImageList(kwsizSmall));
    SetImages(ImageList_);
    KwDeviceChangeHandler()->Add(TKwDeviceChangeEvent(this, &TKwCustomShellTree::DeviceChangeDetected));
}

void TKwCustomShellTree::BeforeDestruction()
{
    // A push still waiting goes with the tree.
    Timer_->SetEnabled(false);
    TKwCustomTreeView::BeforeDestruction();
}

TKwCustomShellTree::~TKwCustomShellTree()
{
    KwDeviceChangeHandler()->Remove(TKwDeviceChangeEvent(this, &TKwCustomShellTree::DeviceChangeDetected));
    FreeChangeWorker();
    // No drag reaches a tree that is going.
    RevokeDropTarget();
    SetImages(nullptr);
    vcl::Free(ImageList_);
    vcl::Free(Timer_);
    vcl::Free(BaseFolder_);
    vcl::Free(SelectedFolder_);
}

bool TKwCustomShellTree::Loading() const
{
    return Loading_ || ComponentState().Contains(vcl::csLoading);
}

DWORD TKwCustomShellTree::EnumFlags() const
{
    DWORD flags = SHCONTF_FOLDERS;
    if (Options_.Contains(kwstoShowHidden))
        flags |= SHCONTF_INCLUDEHIDDEN;
    if (Options_.Contains(kwstoIncludeNonFolders))
        flags |= SHCONTF_NONFOLDERS;
    return flags;
}

int TKwCustomShellTree::PendingAction() const
{
    return Timer_->Enabled() ? static_cast<int>(Timer_->Tag()) : 0;
}

// ---- window ----

void TKwCustomShellTree::CreateParams(vcl::TCreateParams& params)
{
    TKwCustomTreeView::CreateParams(params);
    if (Options_.Contains(kwstoOleDrag))
        params.Style &= ~TVS_DISABLEDRAGDROP;
    else
        params.Style |= TVS_DISABLEDRAGDROP;
}

void TKwCustomShellTree::CreateWnd()
{
    TKwCustomTreeView::CreateWnd();
    if (!ComponentState().Contains(vcl::csDesigning) && Options_.Contains(kwstoOleDrop))
        RegisterDropTarget();
    if (Loading())
        return;
    if (Options_.Contains(kwstoAutoFill) && !Items()->GetFirstNode())
        PostMessageA(Handle(), detail::AM_DeferredFill, 0, 0);
    PointListAtSelection();
}

void TKwCustomShellTree::DestroyWnd()
{
    if (HandleAllocated()) {
        // Nodes do not outlive the window: the next one refills on the same
        // folder.
        DestroyingWnd_ = true;
        struct Done {
            TKwCustomShellTree* Tree;
            ~Done()
            {
                Tree->Items()->EndUpdate();
                Tree->DestroyingWnd_ = false;
            }
        } done{this};
        Items()->BeginUpdate();
        {
            const detail::CounterHold lock(UpdateLock_);
            SetSelected(nullptr);
        }
        Items()->Clear();
    }
    TKwCustomTreeView::DestroyWnd();
}

void TKwCustomShellTree::Dispatch(vcl::TMessage& message)
{
    switch (message.Msg) {
    case detail::AM_DeferredFill:
        if (!Items()->GetFirstNode())
            FillItems();
        return;
    case TVM_DELETEITEM:
        if (reinterpret_cast<HTREEITEM>(message.LParam) == TVI_ROOT) {
            // The selection moving off the vanishing nodes is no change of
            // the user's.
            const detail::CounterHold lock(UpdateLock_);
            TKwCustomTreeView::Dispatch(message);
            return;
        }
        break;
    case WM_WINDOWPOSCHANGED:
        if (DestroyingWnd_)
            return;
        break;
    case WM_NCHITTEST:
        DefaultHandler(message);
        return;
    case AM_ChangeNotify:
        AMChangeNotify(message);
        return;
    case WM_NCDESTROY: {
        // The worker posts to this window: it goes with it.
        const detail::CounterHold lock(UpdateLock_);
        FreeChangeWorker();
        RevokeDropTarget();
        break;
    }
    case WM_INITMENUPOPUP:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_MENUCHAR:
    case WM_MENUSELECT:
        MenuMessage(message);
        return;
    case WM_PAINT:
        WMPaint(message);
        return;
    case vcl::CM_DESIGNHITTEST:
        CMDesignHitTest(message);
        return;
    case vcl::CM_WANTSPECIALKEY:
        // The label's edit box gets Enter, Escape and the arrows.
        if (IsEditing()) {
            message.Result = 1;
            return;
        }
        break;
    case vcl::CN_NOTIFY:
        if (const auto* header = reinterpret_cast<const NMHDR*>(message.LParam)) {
            // A selection the mouse makes reaches the linked controls at once.
            if (header->code == NM_CLICK)
                Immediate_ = true;
            if ((header->code == TVN_BEGINDRAGA || header->code == TVN_BEGINRDRAGA) &&
                Options_.Contains(kwstoOleDrag)) {
                BeginDragNotified(*reinterpret_cast<const NMTREEVIEWA*>(header),
                                  header->code == TVN_BEGINDRAGA ? vcl::mbLeft : vcl::mbRight);
                return;
            }
        }
        break;
    default:
        break;
    }
    TKwCustomTreeView::Dispatch(message);
}

// ---- loading and links ----

void TKwCustomShellTree::Loaded()
{
    if (ComponentState().Contains(vcl::csLoading) && Options_.Contains(kwstoAutoFill) && !ShellCombo_) {
        if (!Items()->GetFirstNode())
            FillItems();
        PointListAtSelection();
    }
    Loading_ = true;
    struct Done {
        bool& Flag;
        ~Done() { Flag = false; }
    } done{Loading_};
    TKwCustomTreeView::Loaded();
}

void TKwCustomShellTree::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TKwCustomTreeView::Notification(component, operation);
    if (operation == vcl::opRemove && ShellList_ && component == ShellList_)
        ShellList_ = nullptr;
    if (operation == vcl::opRemove && ShellCombo_ && component == ShellCombo_)
        ShellCombo_ = nullptr;
}

void TKwCustomShellTree::SetShellCombo(TKwCustomShellCombo* value)
{
    if (ShellCombo_ && ShellCombo_ != value)
        ShellCombo_->RemoveFreeNotification(this);
    ShellCombo_ = value;
    if (value)
        value->FreeNotification(this);
}

void TKwCustomShellTree::SetShellList(TKwCustomShellList* value)
{
    if (ShellList_ && ShellList_ != value) {
        ShellList_->SetShellTree(nullptr);
        ShellList_->RemoveFreeNotification(this);
    }
    ShellList_ = value;
    if (!value)
        return;
    value->SetShellTree(this);
    value->FreeNotification(this);
    value->SetFolder(SelectedFolder_);
}

void TKwCustomShellTree::PointListAtSelection()
{
    if (ShellList_)
        ShellList_->SetFolder(SelectedFolder_);
}

// ---- locators ----

void TKwCustomShellTree::SetSelectedFolder(TKwShellLocator* value)
{
    if (Loading() || UpdateLock_ > 0) {
        PointListAtSelection();
        return;
    }
    SelectedFolder_->Assign(value);
}

void TKwCustomShellTree::SetBaseFolder(TKwShellLocator* value)
{
    if (Loading())
        return;
    BaseFolder_->Assign(value);
}

void TKwCustomShellTree::SelectedFolderChanged(vcl::TObject*)
{
    if (Items()->GetFirstNode())
        DoSetSelectedIdList(SelectedFolder_->GetIdList());
}

void TKwCustomShellTree::BaseFolderChanged(vcl::TObject*)
{
    if (Loading())
        return;
    {
        // The old nodes are not walked for a place the refill selects anyway.
        const detail::CounterHold lock(UpdateLock_);
        SelectedFolder_->Clear();
    }
    if (Options_.Contains(kwstoAutoFill)) {
        Immediate_ = true;
        FillItems();
    }
}

std::string TKwCustomShellTree::GetSelectedPathName() const
{
    TKwShTreeData* data = GetSelectedItem();
    return data ? data->GetPathName() : std::string();
}

void TKwCustomShellTree::SetSelectedPathName(const std::string& value)
{
    if (UpdateLock_ > 0)
        return;
    SelectedFolder_->SetPathName(value);
}

// ---- options ----

void TKwCustomShellTree::SetOptions(TKwShellTreeOptions value)
{
    const TKwShellTreeOptions old = std::exchange(Options_, value);
    if (!HandleAllocated())
        return;
    if (old.Contains(kwstoOleDrop) != value.Contains(kwstoOleDrop)) {
        if (value.Contains(kwstoOleDrop))
            RegisterDropTarget();
        else
            RevokeDropTarget();
    }
    if (old.Contains(kwstoDynamicRefresh) != value.Contains(kwstoDynamicRefresh) &&
        !ComponentState().Contains(vcl::csDesigning)) {
        if (value.Contains(kwstoDynamicRefresh))
            InstallChangeHandlersForAllLocalDrives();
        else
            RemoveAllWatches();
    }
    SetWindowStyleBits(Handle(), TVS_DISABLEDRAGDROP, !value.Contains(kwstoOleDrag));
}

// ---- node data ----

TKwShTreeData* TKwCustomShellTree::GetDataFromNode(const TTreeNode* aNode) const
{
    if (!aNode || !aNode->Data())
        return nullptr;
    // Asked at every comparison of a sort: the class record's chain is
    // walked rather than the C++ hierarchy searched.
    auto* object = static_cast<vcl::TObject*>(aNode->Data());
    return object->InheritsFrom(TKwShTreeData::StaticClass()) ? static_cast<TKwShTreeData*>(object) : nullptr;
}

TKwShTreeData* TKwCustomShellTree::GetShTreeData(int aIndex) const
{
    if (aIndex < 0 || aIndex >= Items()->Count())
        return nullptr;
    return GetDataFromNode(Items()->Item(aIndex));
}

TTreeNode* TKwCustomShellTree::GetFirstRootLevelShellNode() const
{
    for (TTreeNode* node = Items()->GetFirstNode(); node; node = node->GetNextSibling())
        if (NodeHasData(node))
            return node;
    return nullptr;
}

void TKwCustomShellTree::DoOnInsertItem(TTreeNode* aNode)
{
    LastInserted_ = aNode;
    if (OnInsertItem)
        OnInsertItem(this, aNode);
}

void TKwCustomShellTree::Delete(TTreeNode* node)
{
    if (OnDeleteItem)
        OnDeleteItem(this, node, GetDataFromNode(node));
    auto* data = static_cast<vcl::TObject*>(node->Data());
    node->SetData(nullptr);
    delete data;
    if (LastInserted_ == node)
        LastInserted_ = nullptr;
    TKwCustomTreeView::Delete(node);
}

// ---- the published tree ----

const vcl::TClassRtti& TKwShellTree::PublishedTable()
{
    using C = TKwShellTree;
    static const vcl::TClassRtti table =
        vcl::PublishWinControl(vcl::Publish<C>(), vcl::clWindow, true)
            .Property<&C::BaseFolder, &C::SetBaseFolder>("BaseFolder")
            .Property<&C::ShellList, &C::SetShellList>("ShellList")
            .Property<&C::Options, &C::SetOptions>("Options")
            .Default(KwShellTreeDefaultOptions)
            .Property<&C::OnAddItem>("OnAddItem")
            .Property<&C::OnDeleteItem>("OnDeleteItem")
            .Property<&C::OnInsertItem>("OnInsertItem")
            .Property<&C::OnPopupHint>("OnPopupHint")
            .Property<&C::OnCustomDrawSh>("OnCustomDrawSh")
            .Property<&C::OnCustomDrawShEx>("OnCustomDrawShEx")
            .Property<&C::OnFillComplete>("OnFillComplete")
            .Property<&C::OnFillStart>("OnFillStart")
            .Property<&C::OnNodeContextMenu>("OnNodeContextMenu")
            .Property<&C::AutoExpand, &C::SetAutoExpand>("AutoExpand")
            .Default(false)
            .Property<&C::BorderStyle, &C::SetBorderStyle>("BorderStyle")
            .Default(vcl::bsSingle)
            .Property<&C::BorderWidth, &C::SetBorderWidth>("BorderWidth")
            .Default(0)
            .Property<&C::ChangeDelay, &C::SetChangeDelay>("ChangeDelay")
            .Default(0)
            .Property<&C::Constraints, &C::SetConstraints>("Constraints")
            .Property<&C::HideSelection, &C::SetHideSelection>("HideSelection")
            .Default(true)
            .Property<&C::HotTrack, &C::SetHotTrack>("HotTrack")
            .Default(false)
            .Property<&C::Indent, &C::SetIndent>("Indent")
            .NoDefault()
            .Property<&C::ReadOnly, &C::SetReadOnly>("ReadOnly")
            .Default(false)
            .Property<&C::RightClickSelect, &C::SetRightClickSelect>("RightClickSelect")
            .Default(false)
            .Property<&C::RowSelect, &C::SetRowSelect>("RowSelect")
            .Default(false)
            .Property<&C::ShowButtons, &C::SetShowButtons>("ShowButtons")
            .Default(true)
            .Property<&C::ShowLines, &C::SetShowLines>("ShowLines")
            .Default(true)
            // The tree starts without it, so a form file keeps False.
            .Property<&C::ShowRoot, &C::SetShowRoot>("ShowRoot")
            .Default(true)
            .Property<&C::StateImages, &C::SetStateImages>("StateImages")
            .Property<&C::ToolTips, &C::SetToolTips>("ToolTips")
            .Default(true)
            .Property<&C::OnAdvancedCustomDraw>("OnAdvancedCustomDraw")
            .Property<&C::OnAdvancedCustomDrawItem>("OnAdvancedCustomDrawItem")
            .Property<&C::OnChange>("OnChange")
            .Property<&C::OnChanging>("OnChanging")
            .Property<&C::OnCollapsed>("OnCollapsed")
            .Property<&C::OnCollapsing>("OnCollapsing")
            .Property<&C::OnContextPopup>("OnContextPopup")
            .Property<&C::OnCustomDraw>("OnCustomDraw")
            .Property<&C::OnCustomDrawItem>("OnCustomDrawItem")
            .Property<&C::OnDeletion>("OnDeletion")
            .Property<&C::OnEdited>("OnEdited")
            .Property<&C::OnEditing>("OnEditing")
            .Property<&C::OnExpanded>("OnExpanded")
            .Property<&C::OnExpanding>("OnExpanding")
            .Property<&C::OnGetImageIndex>("OnGetImageIndex")
            .Property<&C::OnGetSelectedIndex>("OnGetSelectedIndex")
            .Property<&C::OnMouseWheel>("OnMouseWheel")
            .Property<&C::OnMouseWheelDown>("OnMouseWheelDown")
            .Property<&C::OnMouseWheelUp>("OnMouseWheelUp");
    return table;
}

} // namespace kw
