// The shell list kept in step: the refresh that brings the items in line
// with the folder's contents, the change worker's watch on the folder and
// the delayed refresh it wakes, drive changes, the folder's changes and the
// link to the tree and the combo.

#include "UKwShellControls.h"
#include "UKwShellControls_ChangeHandler_p.h"
#include "UKwShellControls_p.h"

#include "shell32/ShellFlags.h"
#include "win32/ChangeNotifications.h"
#include "win32/DeviceChange.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace kw {

using vcl::TListItem;

namespace {

bool SameBytes(const ITEMIDLIST* a, const ITEMIDLIST* b)
{
    const int length = IdListLen(a);
    return length == IdListLen(b) && std::memcmp(a, b, static_cast<std::size_t>(length)) == 0;
}

std::size_t HashBytes(const ITEMIDLIST* list)
{
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(list), static_cast<std::size_t>(IdListLen(list))));
}

} // namespace

// ---- the refresh ----

void TKwCustomShellList::RefreshItems()
{
    if (Working_ || Busy_ || IsEditing()) {
        FillWanted_ = true;
        return;
    }
    if (Items()->Count() == 0 || !CurrentFolder_) {
        FillItems();
        return;
    }
    Working_ = true;
    struct Leave {
        TKwCustomShellList* List;
        ~Leave() { List->LeaveWork(); }
    } leave{this};
    RefreshBody();
}

void TKwCustomShellList::RefreshBody()
{
    const detail::ScopedHourGlass hourglass;
    FillStart();
    bool updating = false;
    struct Done {
        TKwCustomShellList* List;
        bool& Updating;
        ~Done()
        {
            List->FilterPostApply();
            if (Updating)
                List->Items()->EndUpdate();
            List->FillComplete();
            List->SetAllocBy(256);
        }
    } done{this, updating};
    FilterPreApply();

    // The folder held is asked, not Folder: the items are its items.
    const com::ComPtr<IShellFolder> folder = CurrentFolder_;
    const int count = Items()->Count();
    // Most items come back byte for byte: they are matched by a hash of
    // their bytes first, the rest by what they are.
    struct Known {
        std::size_t Hash;
        PItemIDList Rel;
        TListItem* Item; // nullptr once matched
    };
    std::vector<Known> known;
    known.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        TListItem* item = Items()->Item(i);
        if (TKwShListData* data = GetDataFromItem(item))
            known.push_back({HashBytes(data->GetRelPidl()), data->GetRelPidl(), item});
    }
    std::stable_sort(known.begin(), known.end(),
                     [](const Known& a, const Known& b) { return a.Hash < b.Hash; });
    // Only what is not matched byte for byte is kept: a matched list is
    // freed as soon as it is read, so the folder's items are never held
    // twice and the next list reuses its memory while it is still warm.
    TKwPidlList fresh;
    fresh.SetMalloc(ShellIMalloc());
    const auto matchBytes = [&known](const ITEMIDLIST* entry) {
        const std::size_t hash = HashBytes(entry);
        auto at = std::lower_bound(known.begin(), known.end(), hash,
                                   [](const Known& k, std::size_t h) { return k.Hash < h; });
        for (; at != known.end() && at->Hash == hash; ++at) {
            if (at->Item && SameBytes(at->Rel, entry)) {
                at->Item = nullptr;
                return true;
            }
        }
        return false;
    };

    com::ComPtr<IEnumIDList> items;
    if (SUCCEEDED(folder->EnumObjects(GetTopFormHandle(this), EnumFlags(), items.ReleaseAndGetAddressOf())) &&
        items) {
        LPITEMIDLIST item = nullptr;
        while (items->Next(1, &item, nullptr) == S_OK) {
            if (matchBytes(item)) {
                ShellMemFree(item);
            } else {
                try {
                    fresh.Add(item);
                } catch (...) {
                    ShellMemFree(item);
                    throw;
                }
            }
            item = nullptr;
        }
    }
    items.Reset();

    // 0: new, 1: matched by what it is. Nothing is erased meanwhile:
    // erasing from the middle of either list would cost a move of the rest
    // each time.
    std::vector<char> matched(static_cast<std::size_t>(fresh.GetCount()), 0);

    // Items are matched by what they are, not by their bytes: a file-system
    // item's list also carries its size and time, which a write changes.
    TKwPidlList current;
    current.SetShellFolder(folder.Get());
    current.SetDuplicates(kwdupAccept);
    for (const Known& k : known)
        if (k.Item)
            current.AddObject(k.Rel, k.Item);
    current.SetSorted(true);
    for (int i = 0; i < fresh.GetCount() && current.GetCount() > 0; ++i) {
        if (matched[static_cast<std::size_t>(i)])
            continue;
        const PItemIDList entry = fresh.GetPIDL(i);
        int at = -1;
        if (current.BinarySearch(entry, at))
            // Equal entries stand together: the first not yet matched.
            while (at < current.GetCount() && !current.GetObject(at) &&
                   current.Compare(current.GetPIDL(at), entry) == 0)
                ++at;
        if (at < 0 || at >= current.GetCount() || !current.GetObject(at) ||
            current.Compare(current.GetPIDL(at), entry) != 0)
            continue;
        auto* item = static_cast<TListItem*>(current.GetObject(at));
        current.SetObject(at, nullptr);
        matched[static_cast<std::size_t>(i)] = 1;
        // The same item as it is now: its texts and icon are asked again
        // where it stands, with its data, selection and focus.
        fresh.SetPIDL(i, nullptr);
        // The old list goes with SetData: current keeps the new one, which
        // sorts in the same place.
        current.SetPIDL(at, entry);
        GetDataFromItem(item)->SetData(entry);
        item->Update();
    }
    std::unordered_set<TListItem*> gone;
    for (int i = 0; i < current.GetCount(); ++i)
        if (vcl::TObject* object = current.GetObject(i))
            gone.insert(static_cast<TListItem*>(object));

    Items()->BeginUpdate();
    updating = true;
    // From the last row up: the removed rows reach the window as runs.
    for (int i = std::min(count, Items()->Count()) - 1; i >= 0 && !gone.empty(); --i) {
        TListItem* item = Items()->Item(i);
        if (gone.erase(item))
            item->Delete();
    }
    SetAllocBy(fresh.GetCount());
    for (int i = 0; i < fresh.GetCount(); ++i) {
        if (matched[static_cast<std::size_t>(i)])
            continue;
        // The entry is handed over: the container no longer frees it.
        const PItemIDList entry = fresh.GetPIDL(i);
        fresh.SetPIDL(i, nullptr);
        detail::ScopedList abs;
        *abs.Out() = ConcatIdLists(ShellIMalloc(), CurrentAbs_, entry);
        AddNewShellItem(abs.Get(), entry);
    }
}

// ---- busy ----

void TKwCustomShellList::BeginBusy()
{
    Busy_ = true;
}

void TKwCustomShellList::EndBusy()
{
    Busy_ = false;
    RunPendingRefresh();
}

void TKwCustomShellList::RunPendingRefresh()
{
    if (!FillWanted_ || Working_ || Busy_ || IsEditing())
        return;
    FillWanted_ = false;
    // A fill asked for, or a folder moved to while it waited, stays a fill.
    if (std::exchange(WholeFillWanted_, false) || FolderMoved())
        FillItems();
    else
        RefreshItems();
}

bool TKwCustomShellList::RefreshPending() const
{
    return Timer_->Enabled();
}

// ---- change notifications ----

void TKwCustomShellList::InstallChangeHandler()
{
    Timer_->SetEnabled(false);
    if (ChangeWorker_)
        ChangeWorker_->RemoveAllChangeNotifications();
    else
        ChangeWorker_ = vcl::Create<TChangeHandlerThread>(Handle(), AM_ChangeNotify);
    int slot = -1;
    ChangeWorker_->AddChangeNotification(
        Folder()->GetPathName(), FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME, slot, false);
}

void TKwCustomShellList::FreeChangeWorker()
{
    if (TChangeHandlerThread* worker = std::exchange(ChangeWorker_, nullptr))
        worker->Destroy();
}

void TKwCustomShellList::AMChangeNotify(vcl::TMessage&)
{
    if (Busy_) {
        // The drag or menu refreshes when it ends, also when it is cancelled.
        IgnoreNextChange_ = false;
        FillWanted_ = true;
        return;
    }
    if (std::exchange(IgnoreNextChange_, false))
        return;
    Timer_->SetEnabled(false);
    Timer_->SetInterval(Focused() ? KWSH_CHANGE_NOTIFY_FASTDELAY : KWSH_CHANGE_NOTIFY_DELAY);
    Timer_->SetEnabled(true);
}

void TKwCustomShellList::TimerElapsed(vcl::TObject*)
{
    Timer_->SetEnabled(false);
    {
        const detail::CounterHold lock(Reentry_);
        Synchronize(true);
    }
    // A tree's selection that came in the synchronizing moved Folder without
    // a fill (the counter was raised): that is a fill, not a refresh.
    if (FolderMoved())
        FillItems();
    else
        RefreshItems();
}

void TKwCustomShellList::Synchronize(bool aLinked)
{
    if (aLinked) {
        if (ShellCombo_)
            ShellCombo_->Synchronize(false);
        if (ShellTree_)
            ShellTree_->Synchronize(false);
    }
    if (Timer_->Enabled())
        TimerElapsed(Timer_);
}

// ---- device changes ----

void TKwCustomShellList::DeviceChangeDetected(vcl::TObject*, vcl::TMessage& AMessage)
{
    if (AMessage.WParam != DBT_DEVICEARRIVAL && AMessage.WParam != DBT_DEVICEREMOVECOMPLETE)
        return;
    FlushDriveInfoCache();
    LockFlushDriveInfoCache();
    struct Unlock {
        ~Unlock() { UnlockFlushDriveInfoCache(); }
    } unlock;
    if (ShellFindCSIDLFromIdList(Folder()->GetIdList()) == csidlDrives)
        FillItems();
}

// ---- the folder and the links ----

void TKwCustomShellList::FolderChangedHandler(vcl::TObject*)
{
    if (Reentry_ <= 0) {
        try {
            const detail::CounterHold lock(Reentry_);
            if (ShellTree_)
                ShellTree_->DoSetSelectedIdList(Folder()->GetIdList());
            else if (ShellCombo_)
                ShellCombo_->SelectedFolder()->SetIdList(Folder()->GetIdList());
            FillItems();
        } catch (...) {
            FolderChanged();
            throw;
        }
    }
    FolderChanged();
}

void TKwCustomShellList::TreeChanged(vcl::TTreeNode* node)
{
    if (!node || !node->Selected() || Loading() || !node->Data())
        return;
    auto* object = static_cast<vcl::TObject*>(node->Data());
    if (!object->InheritsFrom(TKwShTreeData::StaticClass()))
        return;
    Folder()->SetIdList(static_cast<TKwShTreeData*>(object)->GetAbsPidl());
}

void TKwCustomShellList::GoUp(int aLevels)
{
    if (Options().Contains(kwsloDontChangeFolder))
        return;
    if (ShellTree_) {
        ShellTree_->GoUp(aLevels);
        return;
    }
    if (ShellCombo_) {
        ShellCombo_->GoUp(aLevels);
        return;
    }
    TKwIdListArray levels(Folder()->GetIdList());
    if (levels.GetCount() > 0)
        Folder()->SetIdList(levels.GoUp(aLevels));
}

} // namespace kw
