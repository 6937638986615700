// The shell list's filling: the whole list from Folder, the rules that let
// an item in, the data every item carries, and one item added on its own.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "shell32/ShellApi.h"
#include "shell32/ShellFlags.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/SafeSort.h"
#include "win32/FileSystem.h"
#include "win32/MessageBox.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace kw {

using vcl::TListItem;

namespace {

// What the rules ask of every item: has subfolders, file system, folder,
// file-system ancestor, removable, hidden, share, link.
constexpr ULONG kItemAttributes = 0xF20B0000;
static_assert(kItemAttributes ==
              (SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_FILESYSANCESTOR |
               SFGAO_REMOVABLE | SFGAO_HIDDEN | SFGAO_SHARE | SFGAO_LINK));

// The system's code for "no more data", as an HRESULT: a normal end.
constexpr HRESULT kNoMoreItems = static_cast<HRESULT>(0x80070103);

// An item the rules let in, with the attributes they read.
struct Admitted {
    PItemIDList Rel;
    std::unique_ptr<TKwShListData> Data;
    ULONG Attributes;
};

} // namespace

void TKwCustomShellList::FillStart()
{
    if (OnFillStart)
        OnFillStart(this);
}

void TKwCustomShellList::FillComplete()
{
    if (OnFillComplete)
        OnFillComplete(this);
}

void TKwCustomShellList::FolderChanged()
{
    if (OnFolderChanged)
        OnFolderChanged(this);
}

bool TKwCustomShellList::EnterWork()
{
    if (Working_ || Busy_ || IsEditing()) {
        // Run once when what holds it off has ended.
        FillWanted_ = true;
        return false;
    }
    Working_ = true;
    return true;
}

void TKwCustomShellList::LeaveWork()
{
    Working_ = false;
    RunPendingRefresh();
}

void TKwCustomShellList::FillItems()
{
    if (!HandleAllocated())
        return;
    if (!EnterWork()) {
        WholeFillWanted_ = true;
        return;
    }
    struct Leave {
        TKwCustomShellList* List;
        ~Leave() { List->LeaveWork(); }
    } leave{this};
    // A refresh waiting is this fill.
    Timer_->SetEnabled(false);
    WholeFillWanted_ = false;
    const detail::ScopedHourGlass hourglass;
    SetSelected(nullptr);
    Items()->BeginUpdate();
    Items()->Clear();
    Items()->EndUpdate();
    Items()->BeginUpdate();
    struct End {
        vcl::TListItems* Items;
        ~End() { Items->EndUpdate(); }
    } end{Items()};
    com::ComPtr<IShellFolder> folder;
    if (const HRESULT hr = ShellGetFolderFromIdList(Folder()->GetIdList(), folder.ReleaseAndGetAddressOf());
        FAILED(hr)) {
        // Nothing of the folder shown before stays for a drop, drag or verb
        // to act on.
        ReleaseHeldFolder();
        RaiseShellError(hr);
    }
    FilterPreApply();
    try {
        FillList(folder.Get(), Folder()->GetIdList());
    } catch (...) {
        FilterPostApply();
        throw;
    }
    FilterPostApply();
    if (Options().Contains(kwsloDynamicRefresh) && !ComponentState().Contains(vcl::csDesigning))
        InstallChangeHandler();
}

void TKwCustomShellList::FillList(IShellFolder* aFolder, PItemIDList aAbs)
{
    Items()->BeginUpdate();
    const UINT savedMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    SetErrorMode(savedMode | SEM_FAILCRITICALERRORS);
    struct Done {
        TKwCustomShellList* List;
        UINT Mode;
        ~Done()
        {
            SetErrorMode(Mode);
            List->Items()->EndUpdate();
            List->FillComplete();
        }
    } done{this, savedMode};
    FillStart();

    // From here on the list holds the new folder, also when the fill fails:
    // an emptied list never acts on the folder shown before.
    PItemIDList abs = CopyIdList(ShellIMalloc(), aAbs);
    ReleaseHeldFolder();
    CurrentAbs_ = abs;
    CurrentFolder_.Reset(aFolder);

    InitColumns(GetCurrentFolderIShellDetails());

    com::ComPtr<IEnumIDList> items;
    if (FAILED(aFolder->EnumObjects(GetTopFormHandle(this), EnumFlags(), items.ReleaseAndGetAddressOf())))
        vcl::Abort();
    std::vector<std::unique_ptr<TKwShListData>> collected;
    // A folder with nothing to list may answer with no enumerator at all.
    HRESULT hr = S_FALSE;
    if (items) {
        LPITEMIDLIST item = nullptr;
        while ((hr = items->Next(1, &item, nullptr)) == S_OK) {
            auto data = std::make_unique<TKwShListData>(this);
            data->SetData(std::exchange(item, nullptr));
            collected.push_back(std::move(data));
        }
        items.Reset();
    }
    if (hr == E_FAIL)
        vcl::Abort();
    if (hr != S_FALSE && hr != kNoMoreItems)
        RaiseShellError(hr);

    // The rules are asked in the folder's order; the items let in are put in
    // the list's order before they go in, so that the window takes them as
    // they stay rather than moving every one of them afterwards.
    std::vector<Admitted> admitted;
    admitted.reserve(collected.size());
    for (std::unique_ptr<TKwShListData>& data : collected) {
        ULONG attributes = 0;
        if (ShouldInclude(aAbs, data->GetRelPidl(), attributes))
            admitted.push_back({data->GetRelPidl(), std::move(data), attributes});
        else
            data.reset();
    }
    std::vector<std::unique_ptr<TKwShListData>>().swap(collected);
    std::vector<Admitted*> order;
    order.reserve(admitted.size());
    for (Admitted& one : admitted)
        order.push_back(&one);
    if (SortColumn_ != 0 && CurrentFolder_) {
        IShellFolder* const folder = CurrentFolder_.Get();
        const auto column = static_cast<LPARAM>(std::abs(SortColumn_) - 1);
        const int direction = SortColumn_ < 0 ? -1 : 1;
        // The folder's comparison need not be a consistent order: the safe
        // sort never reads outside the items whatever it answers.
        vcl::SafeSort(order.data(), order.size(), [=](const Admitted* a, const Admitted* b) {
            const HRESULT result = folder->CompareIDs(column, a->Rel, b->Rel);
            // A comparison that fails leaves the two where they are.
            if (FAILED(result))
                return 0;
            return direction * static_cast<short>(result & 0xFFFF);
        });
    }

    SetAllocBy(static_cast<int>(admitted.size()));
    struct ClearPending {
        TKwCustomShellList* List;
        ~ClearPending()
        {
            delete std::exchange(List->PendingData_, nullptr);
            List->PendingAttribs_ = 0;
            List->PendingDetails_ = nullptr;
        }
    } clearPending{this};
    IShellDetails* const details = GetCurrentFolderIShellDetails();
    for (Admitted* one : order) {
        PendingAttribs_ = one->Attributes;
        PendingDetails_ = details;
        PendingData_ = one->Data.release();
        Items()->Add();
        // Taken by InsertItem; one an OnInsert refused is the list's to free.
        delete std::exchange(PendingData_, nullptr);
    }
    // Without a sort column the list's own comparison orders them.
    if (SortColumn_ == 0)
        SortList();
    if (Items()->Count() > 0)
        Items()->Item(0)->SetFocused(true);
}

bool TKwCustomShellList::ShouldInclude(PItemIDList aParentAbs, PItemIDList aItemRel, ULONG& aAttribs)
{
    aAttribs = kItemAttributes;
    LPCITEMIDLIST one = aItemRel;
    // An item whose attributes cannot be had has none.
    if (!CurrentFolder_ || FAILED(CurrentFolder_->GetAttributesOf(1, &one, &aAttribs)))
        aAttribs = 0;
    if (!Options().Contains(kwsloNonFilesystemAncestors) &&
        !(aAttribs & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)))
        return false;
    if (Options().Contains(kwsloHideFoldersWhenLinkedToTree) && ShellTree_ &&
        (aAttribs & (SFGAO_FOLDER | SFGAO_FILESYSTEM)) == (SFGAO_FOLDER | SFGAO_FILESYSTEM))
        return false;
    return CanAdd(CurrentFolder_.Get(), aParentAbs, aItemRel, aAttribs);
}

bool TKwCustomShellList::CanAdd(IShellFolder* aFolder, PItemIDList aParentAbs, PItemIDList aItemRel,
                                ULONG aAttribs)
{
    bool allow = true;
    // Only a filter has names to match: without one no name is asked.
    if (!(aAttribs & SFGAO_FOLDER) && aFolder && !FileFilter().empty()) {
        std::string name;
        GetShellDisplayName(aFolder, aItemRel, SHGDN_FORPARSING | SHGDN_INFOLDER, name);
        const std::size_t slash = name.find_last_of('/');
        allow = FilterApply(slash == std::string::npos ? name : name.substr(slash + 1), aAttribs);
    }
    if (allow && OnAddItem)
        OnAddItem(this, aFolder, aParentAbs, aItemRel, static_cast<int>(aAttribs), allow);
    return allow;
}

void TKwCustomShellList::InsertItem(TListItem* item)
{
    if (TKwShListData* data = std::exchange(PendingData_, nullptr)) {
        item->SetData(data);
        if (PendingAttribs_ & SFGAO_SHARE)
            item->SetOverlayIndex(0);
        else if (PendingAttribs_ & SFGAO_LINK)
            item->SetOverlayIndex(1);
        if (PendingAttribs_ & SFGAO_HIDDEN)
            item->SetCut(true);
        // The texts come when drawn: the sub-items are only counted.
        item->AddEmptySubItems(PendingDetails_ ? std::max(Columns()->Count() - 1, 0) : 3);
    }
    TKwCustomListView::InsertItem(item);
}

void TKwCustomShellList::Delete(TListItem* item)
{
    TKwShListData* data = GetDataFromItem(item);
    if (!data) {
        TKwCustomListView::Delete(item);
        return;
    }
    // The data goes with the item, whatever a handler does.
    const std::unique_ptr<TKwShListData> owned(data);
    if (OnDeleteItem)
        OnDeleteItem(this, item, data);
    item->SetData(nullptr);
    TKwCustomListView::Delete(item);
}

void TKwCustomShellList::AddNewShellItem(PItemIDList aAbs, PItemIDList aRel)
{
    try {
        ULONG attributes = 0;
        if (!ShouldInclude(aAbs, aRel, attributes)) {
            ShellMemFree(aRel);
            return;
        }
        auto data = std::make_unique<TKwShListData>(this);
        data->SetData(std::exchange(aRel, nullptr));
        struct ClearPending {
            TKwCustomShellList* List;
            ~ClearPending()
            {
                delete std::exchange(List->PendingData_, nullptr);
                List->PendingAttribs_ = 0;
                List->PendingDetails_ = nullptr;
            }
        } clearPending{this};
        PendingAttribs_ = attributes;
        PendingDetails_ = GetCurrentFolderIShellDetails();
        PendingData_ = data.release();
        Items()->Add();
    } catch (...) {
        ShellMemFree(aRel);
        MessageBoxA(GetTopFormHandle(this), "Exception in AddNewShellItem", nullptr, MB_OK | MB_ICONERROR);
        throw;
    }
}

} // namespace kw
