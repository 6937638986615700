// The shell tree kept in step with the shell: the refresh that reconciles
// every open node with a fresh listing of its folder, the change worker's
// watches on the local drives and the debounced refresh they wake, and the
// refresh when a drive arrives or goes.

#include "UKwShellControls.h"
#include "UKwShellControls_ChangeHandler_p.h"
#include "UKwShellControls_DriveWatches_p.h"
#include "UKwShellControls_p.h"

#include "shell32/ShellFlags.h"
#include "vcl/core/SafeSort.h"
#include "win32/ChangeNotifications.h"
#include "win32/DeviceChange.h"
#include "win32/Drives.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace kw {

using vcl::TTreeNode;

namespace {

bool SameBytes(const ITEMIDLIST* a, const ITEMIDLIST* b)
{
    const int length = IdListLen(a);
    return length == IdListLen(b) && std::memcmp(a, b, static_cast<std::size_t>(length)) == 0;
}

struct Child {
    PItemIDList Pidl;
    TTreeNode* Node;
};

} // namespace

// ---- the refresh ----

void TKwCustomShellTree::RefreshNodes()
{
    if (Busy_ || IsEditing()) {
        RefreshPending_ = true;
        return;
    }
    // Whatever refresh was due is this one.
    RefreshDue_ = false;
    if (!Items()->GetFirstNode()) {
        FillItems();
        return;
    }
    const detail::ScopedHourGlass hourglass;
    Items()->BeginUpdate();
    FillStart();
    struct Done {
        TKwCustomShellTree* Tree;
        ~Done()
        {
            Tree->Items()->EndUpdate();
            Tree->FillComplete();
        }
    } done{this};
    TTreeNode* reselect = Selected();
    {
        const detail::CounterHold lock(UpdateLock_);
        SetSelected(nullptr);
        if (TTreeNode* top = Items()->GetFirstNode())
            ReconcileNode(top, reselect);
    }
    Immediate_ = true;
    if (reselect)
        SetSelected(reselect);
}

void TKwCustomShellTree::ReconcileNode(TTreeNode* node, TTreeNode*& reselect)
{
    // A node never opened is listed when it is.
    if (node->HasChildren() && node->Count() == 0)
        return;
    TKwShTreeData* data = GetDataFromNode(node);
    const com::ComPtr<IShellFolder> folder = data ? data->GetThisIShf() : nullptr;
    if (!folder)
        return;

    TKwPidlList fresh;
    fresh.SetMalloc(ShellIMalloc());
    com::ComPtr<IEnumIDList> items;
    HRESULT hr = folder->EnumObjects(nullptr, EnumFlags(), items.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr) && items) {
        LPITEMIDLIST item = nullptr;
        while ((hr = items->Next(1, &item, nullptr)) == S_OK) {
            fresh.Add(item);
            item = nullptr;
        }
    }
    // A folder that cannot be listed now (no permission, no descriptors
    // left) tells nothing of its children: they stay as they are.
    if (FAILED(hr))
        return;

    // The children in the shell's order, as SortNode leaves them; sorted
    // here only when an application or a rename has moved one.
    std::vector<Child> current;
    current.reserve(static_cast<std::size_t>(node->Count()));
    for (TTreeNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
        if (TKwShTreeData* childData = GetDataFromNode(child))
            current.push_back({childData->GetRelPidl(), child});
    bool ordered = true;
    for (std::size_t i = 1; ordered && i < current.size(); ++i)
        ordered = detail::ShellOrder(folder.Get(), current[i - 1].Pidl, current[i].Pidl) < 0;
    if (!ordered)
        vcl::SafeSort(current.data(), current.size(), [&folder](const Child& a, const Child& b) {
            return detail::ShellOrder(folder.Get(), a.Pidl, b.Pidl);
        });

    // Entries on both sides stay as they are; what is left on each side
    // went or came.
    std::vector<bool> kept(current.size(), false);
    std::vector<int> arrived;
    std::vector<TTreeNode*> survivors;
    for (int i = 0; i < fresh.GetCount(); ++i) {
        const PItemIDList item = fresh.GetPIDL(i);
        const auto at = std::lower_bound(current.begin(), current.end(), item,
                                         [&folder](const Child& c, const ITEMIDLIST* p) {
                                             return detail::ShellOrder(folder.Get(), c.Pidl, p) < 0;
                                         });
        const auto index = static_cast<std::size_t>(at - current.begin());
        if (at != current.end() && !kept[index] && detail::ShellOrder(folder.Get(), at->Pidl, item) == 0) {
            kept[index] = true;
            // A leaf is listed again only when a subfolder may have come:
            // not when its folder is as it was listed (the same snapshot,
            // modification time included).
            if (at->Node->Count() > 0 ||
                (!SameBytes(at->Pidl, item) && LeafGainedChildren(folder.Get(), item)))
                survivors.push_back(at->Node);
        } else {
            arrived.push_back(i);
        }
    }
    std::vector<Child> staying;
    staying.reserve(current.size());
    for (std::size_t i = current.size(); i-- > 0;) {
        if (kept[i])
            continue;
        TTreeNode* gone = current[i].Node;
        if (reselect && (reselect == gone || reselect->HasAsParent(gone)))
            reselect = node;
        gone->Delete();
    }
    for (std::size_t i = 0; i < current.size(); ++i)
        if (kept[i])
            staying.push_back(current[i]);
    if (!arrived.empty()) {
        const PItemIDList parentList = data->GetAbsPidl();
        for (const int i : arrived) {
            const PItemIDList item = fresh.GetPIDL(i);
            // In its place among the ordered children, so that a few new
            // ones do not sort thousands again.
            auto at = staying.end();
            if (ordered)
                at = std::upper_bound(staying.begin(), staying.end(), item,
                                      [&folder](const ITEMIDLIST* p, const Child& c) {
                                          return detail::ShellOrder(folder.Get(), p, c.Pidl) < 0;
                                      });
            TTreeNode* added = nullptr;
            AddNewShellNode(folder.Get(), parentList, item, node, &added,
                            ordered && at != staying.end() ? at->Node : nullptr);
            if (added && ordered)
                staying.insert(at, {GetDataFromNode(added)->GetRelPidl(), added});
        }
        if (!ordered)
            SortNode(node);
    } else if (node->Count() == 0 && !current.empty()) {
        // Opening it again lists it, and takes the button when nothing comes.
        node->SetHasChildren(true);
    }
    for (TTreeNode* child : survivors)
        ReconcileNode(child, reselect);
}

bool TKwCustomShellTree::LeafGainedChildren(IShellFolder* folder, const ITEMIDLIST* item) const
{
    // With non-folders listed every folder has a button, so a leaf lists
    // nothing; without, a subfolder is what would come.
    if (Options_.Contains(kwstoIncludeNonFolders))
        return false;
    ULONG attributes = SFGAO_HASSUBFOLDER;
    LPCITEMIDLIST one = item;
    return FAILED(folder->GetAttributesOf(1, &one, &attributes)) || (attributes & SFGAO_HASSUBFOLDER);
}

// ---- change notifications ----

void TKwCustomShellTree::AMChangeNotify(vcl::TMessage&)
{
    if (std::exchange(IgnoreNextChange_, false) && std::chrono::steady_clock::now() <= IgnoreUntil_)
        return;
    if (Busy_) {
        // The menu or drag runs it when it ends, also when it is dismissed.
        RefreshPending_ = true;
        return;
    }
    ScheduleAction(2, Focused() ? KWSH_CHANGE_NOTIFY_FASTDELAY : KWSH_CHANGE_NOTIFY_DELAY);
}

void TKwCustomShellTree::BeginBusy()
{
    Busy_ = true;
}

void TKwCustomShellTree::EndBusy()
{
    Busy_ = false;
    RunPendingRefresh();
}

void TKwCustomShellTree::RunPendingRefresh()
{
    if (!std::exchange(RefreshPending_, false))
        return;
    if (std::exchange(FillPending_, false))
        FillItems();
    else
        RefreshNodes();
}

void TKwCustomShellTree::IgnoreNextChange()
{
    IgnoreNextChange_ = true;
    IgnoreUntil_ = std::chrono::steady_clock::time_point::max();
}

void TKwCustomShellTree::EndIgnoreNextChange(bool done)
{
    if (!done) {
        IgnoreNextChange_ = false;
        return;
    }
    IgnoreUntil_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(KWSH_CHANGE_NOTIFY_DELAY);
}

TChangeHandlerThread* TKwCustomShellTree::ChangeWorker()
{
    if (!ChangeWorker_)
        ChangeWorker_ = vcl::Create<TChangeHandlerThread>(Handle(), AM_ChangeNotify);
    return ChangeWorker_;
}

void TKwCustomShellTree::RemoveAllWatches()
{
    if (ChangeWorker_)
        ChangeWorker_->RemoveAllChangeNotifications();
    Watches_ = 0;
}

void TKwCustomShellTree::FreeChangeWorker()
{
    if (TChangeHandlerThread* worker = std::exchange(ChangeWorker_, nullptr))
        worker->Destroy();
    Watches_ = 0;
}

void TKwCustomShellTree::InstallChangeHandlersForAllLocalDrives()
{
    ChangeWorker();
    RemoveAllWatches();
    std::vector<std::string> roots;
    if (!win32::LogicalDriveRoots(roots))
        return;
    for (const std::string& root : roots) {
        const UINT type = GetDriveTypeA(root.c_str());
        // Media that come and go are not held open by a watch.
        if (type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK)
            InstallChangeHandler(root);
    }
}

void TKwCustomShellTree::InstallChangeHandler(const std::string& aPath)
{
    TChangeHandlerThread* worker = ChangeWorker();
    if (aPath.empty()) {
        RemoveAllWatches();
        return;
    }
    DWORD filter = FILE_NOTIFY_CHANGE_DIR_NAME;
    if (Options_.Contains(kwstoIncludeNonFolders))
        filter |= FILE_NOTIFY_CHANGE_FILE_NAME;
    for (const std::string& folder : DriveWatchFoldersOf(aPath)) {
        if (Watches_ >= TChangeHandlerThread::kSlotCount)
            return;
        int slot = -1;
        if (worker->AddChangeNotification(folder, filter, slot, true))
            ++Watches_;
    }
}

// ---- device changes ----

void TKwCustomShellTree::DeviceChangeDetected(vcl::TObject*, vcl::TMessage& AMessage)
{
    if (AMessage.WParam != DBT_DEVICEARRIVAL && AMessage.WParam != DBT_DEVICEREMOVECOMPLETE)
        return;
    // A tree with no window yet fills when it gets one.
    if (!HandleAllocated() || ComponentState().Contains(vcl::csDestroying))
        return;
    FlushDriveInfoCache();
    // Neither this refresh nor another listener's flush during it makes the
    // drives be read again.
    LockFlushDriveInfoCache();
    struct Unlock {
        ~Unlock() { UnlockFlushDriveInfoCache(); }
    } unlock;
    RefreshNodes();
}

// ---- the timer's two actions ----

void TKwCustomShellTree::ScheduleAction(int action, int delay)
{
    const auto at = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(delay, 0));
    if (action == 2) {
        RefreshDue_ = true;
        RefreshAt_ = at;
    } else {
        PushDue_ = true;
        PushAt_ = at;
    }
    ArmTimer();
}

void TKwCustomShellTree::ArmTimer()
{
    Timer_->SetEnabled(false);
    if (!RefreshDue_ && !PushDue_) {
        Timer_->SetTag(0);
        return;
    }
    // The earlier of the two wakes the timer; the other keeps its own time.
    const bool refreshFirst = RefreshDue_ && (!PushDue_ || RefreshAt_ <= PushAt_);
    const auto at = refreshFirst ? RefreshAt_ : PushAt_;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(at - std::chrono::steady_clock::now()).count();
    Timer_->SetTag(refreshFirst ? 2 : 1);
    Timer_->SetInterval(static_cast<UINT>(std::max<long long>(left, 1)));
    Timer_->SetEnabled(true);
}

void TKwCustomShellTree::RunDueActions(bool all)
{
    Timer_->SetEnabled(false);
    const auto now = std::chrono::steady_clock::now();
    const bool refresh = RefreshDue_ && (all || RefreshAt_ <= now);
    const bool push = PushDue_ && (all || PushAt_ <= now);
    if (refresh) {
        RefreshDue_ = false;
        RefreshNodes();
    }
    // The refresh pushes the selection it keeps, which settles a push due.
    if (push && PushDue_) {
        PushDue_ = false;
        PushSelection();
    }
    ArmTimer();
}

} // namespace kw
