// The shell list's life: construction, window, loading, links, options, the
// folder it holds for its items, and what it publishes.

#include "UKwShellControls.h"
#include "UKwShellControls_ChangeHandler_p.h"
#include "UKwShellControls_ShellListColumns_p.h"
#include "UKwShellControls_p.h"

#include "shell32/ShellFlags.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Publish.h"
#include "vcl/widgets/ControlPublish_p.h"

#include <cstring>
#include <utility>

namespace kw {

using vcl::TListItem;

TKwCustomShellList::TKwCustomShellList(vcl::TComponent* owner)
    : TKwCustomListView(owner), Folder_(vcl::Create<TKwShellLocator>()),
      Timer_(vcl::Create<vcl::TTimer>(nullptr))
{
    Folder_->OnChange = vcl::TNotifyEvent(this, &TKwCustomShellList::FolderChangedHandler);
    Timer_->SetEnabled(false);
    Timer_->SetOnTimer(vcl::TNotifyEvent(this, &TKwCustomShellList::TimerElapsed));
    IconOptions()->SetAutoArrange(true);
    // The system's lists, shared by every shell control and never destroyed
    // by any of them.
    SmallImages_ = vcl::Create<vcl::TImageList>(nullptr);
    SmallImages_->SetShareImages(true);
    SmallImages_->SetHandle(ShellGetSystemImageList(kwsizSmall));
    LargeImages_ = vcl::Create<vcl::TImageList>(nullptr);
    LargeImages_->SetShareImages(true);
    LargeImages_->SetHandle(ShellGetSystemImageList(kwsizLarge));
    SetSmallImages(SmallImages_);
    SetLargeImages(LargeImages_);
    SetAllocBy(256);
    KwDeviceChangeHandler()->Add(TKwDeviceChangeEvent(this, &TKwCustomShellList::DeviceChangeDetected));
}

void TKwCustomShellList::BeforeDestruction()
{
    // A refresh still waiting goes with the list.
    Timer_->SetEnabled(false);
    TKwCustomListView::BeforeDestruction();
}

TKwCustomShellList::~TKwCustomShellList()
{
    KwDeviceChangeHandler()->Remove(TKwDeviceChangeEvent(this, &TKwCustomShellList::DeviceChangeDetected));
    // Revoked, then released: no drag reaches a list that is going.
    RevokeDropTarget();
    vcl::Free(Timer_);
    FreeChangeWorker();
    SetSmallImages(nullptr);
    SetLargeImages(nullptr);
    vcl::Free(SmallImages_);
    vcl::Free(LargeImages_);
    ReleaseHeldFolder();
    vcl::Free(Folder_);
}

bool TKwCustomShellList::Loading() const
{
    return ComponentState().Contains(vcl::csLoading);
}

DWORD TKwCustomShellList::EnumFlags() const
{
    DWORD flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
    if (Options().Contains(kwsloShowHidden))
        flags |= SHCONTF_INCLUDEHIDDEN;
    return flags;
}

// ---- the folder held for the items ----

void TKwCustomShellList::ReleaseHeldFolder()
{
    CurrentFolder_.Reset();
    ShellMemFree(std::exchange(CurrentAbs_, nullptr));
    Details_.Reset();
    DetailsFetched_ = false;
}

bool TKwCustomShellList::FolderMoved() const
{
    const ITEMIDLIST* wanted = Folder()->GetIdList();
    if (!CurrentFolder_)
        return true;
    // The desktop may be named by no list or by the terminator alone.
    const int a = wanted ? IdListLen(wanted) : 0;
    const int b = CurrentAbs_ ? IdListLen(CurrentAbs_) : 0;
    if (a <= 2 || b <= 2)
        return (a <= 2) != (b <= 2);
    return a != b || std::memcmp(wanted, CurrentAbs_, static_cast<std::size_t>(a)) != 0;
}

IShellFolder* TKwCustomShellList::GetCurrentFolderIShf()
{
    return CurrentFolder_.Get();
}

PItemIDList TKwCustomShellList::GetCurrentFolderIdList()
{
    return CurrentAbs_;
}

IShellDetails* TKwCustomShellList::GetCurrentFolderIShellDetails()
{
    if (DetailsFetched_ || !CurrentFolder_)
        return Details_.Get();
    DetailsFetched_ = true;
    Details_ = detail::FolderDetailsSource(CurrentFolder_.Get());
    return Details_.Get();
}

int TKwCustomShellList::GetItemCount()
{
    return Items()->Count();
}

bool TKwCustomShellList::GetItemSelected(int index)
{
    TListItem* item = index >= 0 && index < Items()->Count() ? Items()->Item(index) : nullptr;
    return item && item->Selected();
}

TKwShListData* TKwCustomShellList::GetItemData(int index)
{
    return index >= 0 && index < Items()->Count() ? GetDataFromItem(Items()->Item(index)) : nullptr;
}

// ---- items ----

TKwShListData* TKwCustomShellList::GetDataFromItem(const TListItem* aItem) const
{
    if (!aItem || !aItem->Data())
        return nullptr;
    auto* object = static_cast<vcl::TObject*>(aItem->Data());
    return object->InheritsFrom(TKwShListData::StaticClass()) ? static_cast<TKwShListData*>(object) : nullptr;
}

TKwShListData* TKwCustomShellList::GetShListData(int aIndex)
{
    TKwShListData* data = GetDataFromItem(Items()->Item(aIndex));
    if (!data)
        throw vcl::EInvalidCast("Invalid class typecast");
    return data;
}

int TKwCustomShellList::ShellSelCount()
{
    int count = 0;
    for (TListItem* item = GetNextItem(nullptr, vcl::sdAll, {vcl::isSelected}); item;
         item = GetNextItem(item, vcl::sdAll, {vcl::isSelected}))
        if (ItemHasData(item))
            ++count;
    return count;
}

void TKwCustomShellList::SelectAll()
{
    Items()->BeginUpdate();
    struct End {
        vcl::TListItems* Items;
        ~End() { Items->EndUpdate(); }
    } end{Items()};
    TKwCustomListView::SelectAll();
}

// ---- window ----

void TKwCustomShellList::CreateWnd()
{
    CreatingWnd_ = true;
    struct Done {
        bool& Flag;
        ~Done() { Flag = false; }
    } done{CreatingWnd_};
    TKwCustomListView::CreateWnd();
    if (!ComponentState().Contains(vcl::csDesigning) && Options_.Contains(kwsloOleDrop))
        RegisterDropTarget();
    if (Options().Contains(kwsloAutoFill) && Items()->Count() == 0)
        PostMessageA(Handle(), detail::AM_DeferredFill, 0, 0);
}

void TKwCustomShellList::DestroyWnd()
{
    if (HandleAllocated()) {
        // Items do not outlive the window: the next one refills the folder.
        DestroyingWnd_ = true;
        struct Done {
            TKwCustomShellList* List;
            ~Done()
            {
                List->Items()->EndUpdate();
                List->DestroyingWnd_ = false;
            }
        } done{this};
        SetSelected(nullptr);
        Items()->BeginUpdate();
        {
            const detail::CounterHold lock(Reentry_);
            SetSelected(nullptr);
        }
        Items()->Clear();
        TKwCustomListView::DestroyWnd();
        return;
    }
    TKwCustomListView::DestroyWnd();
}

void TKwCustomShellList::WMDestroy(vcl::TMessage& message)
{
    if (Columns()->Count() > 0 && SaveWidths_)
        SaveColumnWidths();
    // The worker posts to this window: it goes with it.
    FreeChangeWorker();
    RevokeDropTarget();
    TKwCustomListView::Dispatch(message);
}

void TKwCustomShellList::AMDeferredFill(vcl::TMessage&)
{
    if (Items()->Count() == 0)
        FillItems();
}

void TKwCustomShellList::Dispatch(vcl::TMessage& message)
{
    if (InteractionMessage(message))
        return;
    switch (message.Msg) {
    case detail::AM_DeferredFill:
        AMDeferredFill(message);
        return;
    case AM_ChangeNotify:
        AMChangeNotify(message);
        return;
    case WM_DESTROY:
        WMDestroy(message);
        return;
    case WM_WINDOWPOSCHANGED:
        if (DestroyingWnd_)
            return;
        break;
    case vcl::CN_NOTIFY:
        CNNotify(message);
        return;
    default:
        break;
    }
    TKwCustomListView::Dispatch(message);
}

// ---- loading and links ----

void TKwCustomShellList::Loaded()
{
    if (!CreatingWnd_ && Options().Contains(kwsloAutoFill) && Items()->Count() == 0 && HandleAllocated())
        PostMessageA(Handle(), detail::AM_DeferredFill, 0, 0);
    TKwCustomListView::Loaded();
}

void TKwCustomShellList::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TKwCustomListView::Notification(component, operation);
    if (operation == vcl::opRemove && ShellTree_ && component == ShellTree_)
        ShellTree_ = nullptr;
    if (operation == vcl::opRemove && ShellCombo_ && component == ShellCombo_)
        ShellCombo_ = nullptr;
}

void TKwCustomShellList::SetShellTree(TKwCustomShellTree* value)
{
    ShellTree_ = value;
    if (value)
        value->FreeNotification(this);
}

void TKwCustomShellList::SetShellCombo(TKwCustomShellCombo* value)
{
    ShellCombo_ = value;
    if (value)
        value->FreeNotification(this);
}

void TKwCustomShellList::SetFolder(TKwShellLocator* value)
{
    Folder()->Assign(value);
}

bool TKwCustomShellList::IsFolderStored() const
{
    return !ShellTree_ && !ShellCombo_;
}

// ---- options ----

void TKwCustomShellList::SetOptions(TKwShellListOptions value)
{
    const TKwShellListOptions old = std::exchange(Options_, value);
    if (Loading() || !HandleAllocated())
        return;
    if (old.Contains(kwsloOleDrop) != value.Contains(kwsloOleDrop)) {
        if (value.Contains(kwsloOleDrop))
            RegisterDropTarget();
        else
            RevokeDropTarget();
    }
    if (old.Contains(kwsloDynamicRefresh) != value.Contains(kwsloDynamicRefresh) &&
        !ComponentState().Contains(vcl::csDesigning)) {
        if (value.Contains(kwsloDynamicRefresh))
            InstallChangeHandler();
        else if (ChangeWorker_)
            ChangeWorker_->RemoveAllChangeNotifications();
    }
    // Hiding folders takes items away, which a refresh (it looks only at
    // what is new) would not do.
    if (old.Contains(kwsloHideFoldersWhenLinkedToTree) != value.Contains(kwsloHideFoldersWhenLinkedToTree))
        FillItems();
    else if (old.Contains(kwsloShowHidden) != value.Contains(kwsloShowHidden))
        RefreshItems();
}

// ---- published ----

const vcl::TClassRtti& TKwShellList::PublishedTable()
{
    using C = TKwShellList;
    static const vcl::TClassRtti table =
        vcl::PublishWinControl(vcl::Publish<C>(), vcl::clWindow, true)
            .Property<&C::Folder, &C::SetFolder>("Folder")
            .StoredIf<&C::IsFolderStored>()
            .Property<&C::FileFilter, &C::SetFileFilter>("FileFilter")
            .Property<&C::Options, &C::SetOptions>("Options")
            .Default(KwShellListDefaultOptions)
            .Property<&C::HeaderSortDisplayMode, &C::SetHeaderSortDisplayMode>("HeaderSortDisplayMode")
            .Default(kwlvRightOfText)
            .Property<&C::OnItemContextMenu>("OnItemContextMenu")
            .Property<&C::OnAddItem>("OnAddItem")
            .Property<&C::OnDeleteItem>("OnDeleteItem")
            .Property<&C::OnPopupHint>("OnPopupHint")
            .Property<&C::OnDblClickOpen>("OnDblClickOpen")
            .Property<&C::OnCustomDrawSh>("OnCustomDrawSh")
            .Property<&C::OnCustomDrawShEx>("OnCustomDrawShEx")
            .Property<&C::OnFillComplete>("OnFillComplete")
            .Property<&C::OnFillStart>("OnFillStart")
            .Property<&C::OnFolderChanged>("OnFolderChanged")
            .Property<&C::BorderStyle, &C::SetBorderStyle>("BorderStyle")
            .Default(vcl::bsSingle)
            .Property<&C::Checkboxes, &C::SetCheckboxes>("Checkboxes")
            .Default(false)
            .Property<&C::ColumnClick, &C::SetColumnClick>("ColumnClick")
            .Default(true)
            .Property<&C::FlatScrollBars, &C::SetFlatScrollBars>("FlatScrollBars")
            .Default(false)
            .Property<&C::FullDrag, &C::SetFullDrag>("FullDrag")
            .Default(false)
            .Property<&C::GridLines, &C::SetGridLines>("GridLines")
            .Default(false)
            .Property<&C::HideSelection, &C::SetHideSelection>("HideSelection")
            .Default(true)
            .Property<&C::HotTrack, &C::SetHotTrack>("HotTrack")
            .Default(false)
            .Property<&C::HotTrackStyles, &C::SetHotTrackStyles>("HotTrackStyles")
            .Property<&C::IconOptions>("IconOptions")
            .Property<&C::MultiSelect, &C::SetMultiSelect>("MultiSelect")
            .Default(false)
            .Property<&C::OwnerData, &C::SetOwnerData>("OwnerData")
            .Default(false)
            .Property<&C::OwnerDraw, &C::SetOwnerDraw>("OwnerDraw")
            .Default(false)
            .Property<&C::ReadOnly, &C::SetReadOnly>("ReadOnly")
            .Default(false)
            .Property<&C::RowSelect, &C::SetRowSelect>("RowSelect")
            .Default(false)
            .Property<&C::ShowColumnHeaders, &C::SetShowColumnHeaders>("ShowColumnHeaders")
            .Default(true)
            .Property<&C::StateImages, &C::SetStateImages>("StateImages")
            .Property<&C::ViewStyle, &C::SetViewStyle>("ViewStyle")
            .Default(vcl::vsIcon)
            .Property<&C::OnAdvancedCustomDraw>("OnAdvancedCustomDraw")
            .Property<&C::OnAdvancedCustomDrawItem>("OnAdvancedCustomDrawItem")
            .Property<&C::OnChange>("OnChange")
            .Property<&C::OnChanging>("OnChanging")
            .Property<&C::OnColumnClick>("OnColumnClick")
            .Property<&C::OnCompare>("OnCompare")
            .Property<&C::OnContextPopup>("OnContextPopup")
            .Property<&C::OnCustomDraw>("OnCustomDraw")
            .Property<&C::OnCustomDrawItem>("OnCustomDrawItem")
            .Property<&C::OnData>("OnData")
            .Property<&C::OnDataFind>("OnDataFind")
            .Property<&C::OnDataHint>("OnDataHint")
            .Property<&C::OnDataStateChange>("OnDataStateChange")
            .Property<&C::OnDeletion>("OnDeletion")
            .Property<&C::OnDrawItem>("OnDrawItem")
            .Property<&C::OnEdited>("OnEdited")
            .Property<&C::OnEditing>("OnEditing")
            .Property<&C::OnGetImageIndex>("OnGetImageIndex")
            .Property<&C::OnInfoTip>("OnInfoTip")
            .Property<&C::OnInsert>("OnInsert")
            .Property<&C::OnMouseWheel>("OnMouseWheel")
            .Property<&C::OnMouseWheelDown>("OnMouseWheelDown")
            .Property<&C::OnMouseWheelUp>("OnMouseWheelUp")
            .Property<&C::OnResize>("OnResize")
            .Property<&C::OnSelectItem>("OnSelectItem");
    return table;
}

} // namespace kw
