// The shell list's life: construction, window, loading, links and options.

#include "UKwShellControls.h"
#include "UKwShellControls_ChangeHandler_p.h"
#include "UKwShellControls_p.h"

#include "vcl/core/Publish.h"

namespace kw {

TKwCustomShellList::TKwCustomShellList(vcl::TComponent* owner)
    : TKwCustomListView(owner), Folder_(vcl::Create<TKwShellLocator>()),
      Timer_(vcl::Create<vcl::TTimer>(nullptr))
{
    Timer_->SetEnabled(false);
}

void TKwCustomShellList::BeforeDestruction()
{
    Timer_->SetEnabled(false);
    TKwCustomListView::BeforeDestruction();
}

TKwCustomShellList::~TKwCustomShellList()
{
    vcl::Free(Timer_);
    vcl::Free(Folder_);
    ShellMemFree(CurrentAbs_);
}

void TKwCustomShellList::SetShellTree(TKwCustomShellTree* value)
{
    ShellTree_ = value;
}
void TKwCustomShellList::SetShellCombo(TKwCustomShellCombo* value)
{
    ShellCombo_ = value;
}
void TKwCustomShellList::TreeChanged(vcl::TTreeNode*) {}
void TKwCustomShellList::SetFolder(TKwShellLocator* value)
{
    Folder_->Assign(value);
}
void TKwCustomShellList::Synchronize(bool) {}
void TKwCustomShellList::SetOptions(TKwShellListOptions value)
{
    Options_ = value;
}
void TKwCustomShellList::FillItems() {}
void TKwCustomShellList::RefreshItems() {}
void TKwCustomShellList::GoUp(int) {}
void TKwCustomShellList::SelectAll()
{
    TKwCustomListView::SelectAll();
}
void TKwCustomShellList::AddNewShellItem(PItemIDList, PItemIDList aRel)
{
    ShellMemFree(aRel);
}
int TKwCustomShellList::ShellSelCount()
{
    return 0;
}
TKwShListData* TKwCustomShellList::GetShListData(int)
{
    return nullptr;
}
TKwShListData* TKwCustomShellList::GetDataFromItem(const vcl::TListItem*) const
{
    return nullptr;
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
    return Details_.Get();
}
int TKwCustomShellList::GetItemCount()
{
    return Items()->Count();
}
bool TKwCustomShellList::GetItemSelected(int index)
{
    return Items()->Item(index)->Selected();
}
TKwShListData* TKwCustomShellList::GetItemData(int index)
{
    return GetDataFromItem(Items()->Item(index));
}
void TKwCustomShellList::Loaded()
{
    TKwCustomListView::Loaded();
}
void TKwCustomShellList::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TKwCustomListView::Notification(component, operation);
}
void TKwCustomShellList::CreateWnd()
{
    TKwCustomListView::CreateWnd();
}
void TKwCustomShellList::DestroyWnd()
{
    TKwCustomListView::DestroyWnd();
}
void TKwCustomShellList::Dispatch(vcl::TMessage& message)
{
    if (InteractionMessage(message))
        return;
    TKwCustomListView::Dispatch(message);
}
void TKwCustomShellList::InsertItem(vcl::TListItem* item)
{
    TKwCustomListView::InsertItem(item);
}
void TKwCustomShellList::Delete(vcl::TListItem* item)
{
    TKwCustomListView::Delete(item);
}
bool TKwCustomShellList::CanAdd(IShellFolder*, PItemIDList, PItemIDList, ULONG)
{
    return true;
}
void TKwCustomShellList::DeviceChangeDetected(vcl::TObject*, vcl::TMessage&) {}
void TKwCustomShellList::FillList(IShellFolder*, PItemIDList) {}
void TKwCustomShellList::FillComplete() {}
void TKwCustomShellList::FillStart() {}
void TKwCustomShellList::FolderChanged() {}
void TKwCustomShellList::InstallChangeHandler() {}
void TKwCustomShellList::BeginBusy() {}
void TKwCustomShellList::EndBusy() {}
void TKwCustomShellList::RunPendingRefresh() {}
bool TKwCustomShellList::RefreshPending() const
{
    return false;
}
bool TKwCustomShellList::IsFolderStored() const
{
    return true;
}
bool TKwCustomShellList::Loading() const
{
    return false;
}
DWORD TKwCustomShellList::EnumFlags() const
{
    return 0;
}
bool TKwCustomShellList::ShouldInclude(PItemIDList, PItemIDList, ULONG&)
{
    return false;
}
void TKwCustomShellList::ReleaseHeldFolder() {}
bool TKwCustomShellList::FolderMoved() const
{
    return false;
}
bool TKwCustomShellList::EnterWork()
{
    return false;
}
void TKwCustomShellList::LeaveWork() {}
void TKwCustomShellList::RefreshBody() {}
void TKwCustomShellList::FolderChangedHandler(vcl::TObject*) {}
void TKwCustomShellList::TimerElapsed(vcl::TObject*) {}
void TKwCustomShellList::AMChangeNotify(vcl::TMessage&) {}
void TKwCustomShellList::AMDeferredFill(vcl::TMessage&) {}
void TKwCustomShellList::WMDestroy(vcl::TMessage&) {}
void TKwCustomShellList::FreeChangeWorker() {}

const vcl::TClassRtti& TKwShellList::PublishedTable()
{
    static const vcl::TClassRtti table = vcl::Publish<TKwShellList>();
    return table;
}

} // namespace kw
