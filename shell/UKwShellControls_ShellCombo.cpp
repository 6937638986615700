// The shell combo: its life, its fill from the desktop down to the selected
// folder, the late captions and icons, choosing and going up, and its links
// to a shell tree or a shell list.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "shell32/FileInfo.h"
#include "shell32/ShellApi.h"
#include "shell32/ShellFlags.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Publish.h"
#include "vcl/core/SafeSort.h"
#include "vcl/widgets/ControlMessages.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "win32/SystemSettings.h"

#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace kw {

namespace {

// What a level asks of each item: has subfolders, file system, folder,
// file-system ancestor, hidden, share, link; the chain asks the same but
// the folder bit.
constexpr ULONG kLevelAttributes = 0xF00B0000;
constexpr ULONG kChainAttributes = 0xB00B0000;

constexpr int kCsidlDrives = 17;

const ITEMIDLIST* EmptyList()
{
    static const BYTE terminator[2] = {0, 0};
    return reinterpret_cast<const ITEMIDLIST*>(terminator);
}

// The folder's order of two of its items (column 0): the low 16 bits read
// as a signed number, a failure as equal. The folder travels with the
// comparison, so sorts may nest.
void SortPidls(IShellFolder* folder, std::vector<PItemIDList>& lists)
{
    vcl::SafeSort(lists.data(), lists.size(),
                  [folder](PItemIDList a, PItemIDList b) { return detail::ShellOrder(folder, a, b); });
}

PItemIDList MustConcat(const ITEMIDLIST* a, const ITEMIDLIST* b)
{
    PItemIDList list = ConcatIdLists(nullptr, a, b);
    if (!list && (a || b))
        throw std::bad_alloc();
    return list;
}

} // namespace

TKwCustomShellCombo::TKwCustomShellCombo(vcl::TComponent* owner)
    : TKwCustomImageCombo(owner), SelectedFolder_(vcl::Create<TKwShellLocator>())
{
    // The system's small list, shared by every shell control and never
    // destroyed by any of them.
    Images_ = vcl::Create<vcl::TImageList>(nullptr);
    Images_->SetShareImages(true);
    Images_->SetHandle(ShellGetSystemImageList(kwsizSmall));
    SetImageList(Images_);
    SelectedFolder_->OnChange = vcl::TNotifyEvent(this, &TKwCustomShellCombo::SelectedFolderChanged);
}

TKwCustomShellCombo::~TKwCustomShellCombo()
{
    SetImageList(nullptr);
    vcl::Free(Images_);
    vcl::Free(SelectedFolder_);
}

// ---- window and loading ----

void TKwCustomShellCombo::CreateWnd()
{
    TKwCustomImageCombo::CreateWnd();
    if (!ComponentState().Contains(vcl::csLoading) && Options_.Contains(kwscoAutofill))
        FillItems();
}

void TKwCustomShellCombo::DestroyWnd()
{
    // Entries do not outlive the window: the next one fills again on the
    // same folder.
    Items()->Clear();
    TKwCustomImageCombo::DestroyWnd();
}

void TKwCustomShellCombo::Loaded()
{
    const bool loading = ComponentState().Contains(vcl::csLoading);
    TKwCustomImageCombo::Loaded();
    if (!loading || !Options_.Contains(kwscoAutofill))
        return;
    const detail::CounterHold hold(Reentry_);
    FillItems();
    if (ShellTree_) {
        ShellTree_->SetSelectedFolder(SelectedFolder_);
        // An empty tree is filled here, once, on the combo's folder.
        ShellTree_->RefreshNodes();
    } else if (ShellList_) {
        ShellList_->SetFolder(SelectedFolder_);
    }
}

void TKwCustomShellCombo::Dispatch(vcl::TMessage& message)
{
    if (message.Msg == vcl::CM_DESIGNHITTEST) {
        // At design time the drop-down button reaches the combo.
        const int x = static_cast<short>(message.LParam & 0xFFFF);
        message.Result = x > ClientWidth() - GetSystemMetrics(SM_CXVSCROLL) ? 1 : 0;
        return;
    }
    TKwCustomImageCombo::Dispatch(message);
}

// ---- links ----

void TKwCustomShellCombo::SetShellTree(TKwCustomShellTree* value)
{
    if (value && ShellList_)
        return;
    if (ShellTree_ && ShellTree_ != value) {
        ShellTree_->SetShellCombo(nullptr);
        ShellTree_->RemoveFreeNotification(this);
    }
    ShellTree_ = value;
    if (!value)
        return;
    value->FreeNotification(this);
    value->SetShellCombo(this);
}

void TKwCustomShellCombo::SetShellList(TKwCustomShellList* value)
{
    if (value && ShellTree_)
        return;
    if (ShellList_ && ShellList_ != value) {
        ShellList_->SetShellCombo(nullptr);
        ShellList_->RemoveFreeNotification(this);
    }
    ShellList_ = value;
    if (!value)
        return;
    value->FreeNotification(this);
    value->SetShellCombo(this);
}

void TKwCustomShellCombo::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TKwCustomImageCombo::Notification(component, operation);
    if (operation != vcl::opRemove)
        return;
    if (ShellTree_ && component == ShellTree_)
        ShellTree_ = nullptr;
    if (ShellList_ && component == ShellList_)
        ShellList_ = nullptr;
}

void TKwCustomShellCombo::Synchronize(bool aAll)
{
    // The combo has no timer of its own.
    if (!aAll)
        return;
    if (ShellTree_)
        ShellTree_->Synchronize(false);
    if (ShellList_)
        ShellList_->Synchronize(false);
}

void TKwCustomShellCombo::TreeChanged(vcl::TTreeNode* aNode)
{
    if (!aNode || !aNode->Selected() || !ShellTree_)
        return;
    if (TKwShTreeData* data = ShellTree_->GetDataFromNode(aNode))
        SelectedFolder_->SetIdList(data->GetAbsPidl());
}

void TKwCustomShellCombo::SelectedFolderChanged(vcl::TObject*)
{
    if (Reentry_ > 0)
        return;
    const detail::CounterHold hold(Reentry_);
    if (ShellTree_)
        ShellTree_->SetSelectedFolder(SelectedFolder_);
    else if (ShellList_)
        ShellList_->SetFolder(SelectedFolder_);
    FillItems();
}

// ---- choosing and going up ----

void TKwCustomShellCombo::SelEndOk()
{
    TKwCustomImageCombo::SelEndOk();
    if (const int index = ItemIndex(); index >= 0)
        SelectedFolder_->SetIdList(GetShComboData(index)->GetAbsPidl());
}

void TKwCustomShellCombo::GoUp(int aLevels)
{
    const int current = ItemIndex();
    if (current < 0)
        return;
    const int limit = GetImageComboItem(current)->Indent() - aLevels + 1;
    int index = current;
    while (index > 0 && GetImageComboItem(index)->Indent() >= limit)
        --index;
    if (index != current)
        SelectedFolder_->SetIdList(GetShComboData(index)->GetAbsPidl());
}

TKwShComboData* TKwCustomShellCombo::GetShComboData(int aIndex) const
{
    TKwImageComboItem* item = GetImageComboItem(aIndex);
    return item ? vcl::As<TKwShComboData>(static_cast<vcl::TObject*>(item->Data)) : nullptr;
}

// ---- entries ----

bool TKwCustomShellCombo::CanAdd(IShellFolder*, PItemIDList, PItemIDList, ULONG)
{
    return true;
}

void TKwCustomShellCombo::DeleteItem(void* aItem)
{
    auto* item = static_cast<TKwImageComboItem*>(static_cast<vcl::TObject*>(aItem));
    if (OnDeleteItem && !OwnersDestroying())
        OnDeleteItem(this, item);
    if (!item)
        return;
    // Whatever object an application put there goes with its entry.
    delete static_cast<vcl::TObject*>(std::exchange(item->Data, nullptr));
    delete item;
}

void TKwCustomShellCombo::GetItemData(TKwImageComboItem* item)
{
    auto* data = static_cast<TKwShComboData*>(item->Data);
    if (!data)
        return;
    if (item->Caption().empty())
        item->SetCaption(
            ShellGetFriendlyNameFromIdList(data->GetParentIShf(), data->GetRelPidl(), kwfnInFolder));
    if (item->ImageIndex() == -1) {
        const PItemIDList list = data->GetAbsPidl();
        item->SetImageIndex(ShellGetIconIndex(list ? list : EmptyList(), SHGFI_SMALLICON));
    }
}

TKwImageComboItem* TKwCustomShellCombo::AddEntry(const std::string& caption, int imageIndex, int indent,
                                                 ULONG attributes, IShellFolder* folder,
                                                 PItemIDList parentList, PItemIDList relList)
{
    auto data = std::make_unique<TKwShComboData>(this);
    data->SetData(folder, parentList, relList);
    TKwImageComboItem* item = AddItem(caption, imageIndex, indent);
    item->Data = data.release();
    if (attributes & SFGAO_SHARE)
        item->SetOverlayIndex(0);
    else if (attributes & SFGAO_LINK)
        item->SetOverlayIndex(1);
    return item;
}

// ---- filling ----

void TKwCustomShellCombo::FillItems()
{
    if (!HandleAllocated())
        return;
    const detail::CounterHold hold(Reentry_);
    SetItemIndex(-1);
    Items()->BeginUpdate();
    {
        struct EndUpdate {
            vcl::TStrings* Items;
            ~EndUpdate() { Items->EndUpdate(); }
        } end{Items()};
        Items()->Clear();
    }
    TKwIdListArray chain(SelectedFolder_->GetIdList());
    {
        Items()->BeginUpdate();
        struct EndUpdate {
            vcl::TStrings* Items;
            ~EndUpdate() { Items->EndUpdate(); }
        } end{Items()};
        com::ComPtr<IShellFolder> desktop;
        if (const HRESULT hr = SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf()); FAILED(hr))
            RaiseShellError(hr);
        FillCombo(desktop.Get(), nullptr, -1, &chain);
    }
    if (ItemIndex() < 0 && Items()->Count() > 0)
        SetItemIndex(0);
}

void TKwCustomShellCombo::FillCombo(IShellFolder* aIShf, PItemIDList aParentAbsIdList, int aLevel,
                                    TKwIdListArray* aIdListArray)
{
    const HWND owner = GetTopFormHandle(this);
    detail::ScopedList computer;
    if (const HRESULT hr = SHGetSpecialFolderLocation(owner, kCsidlDrives, computer.Out()); FAILED(hr))
        RaiseShellError(hr);
    detail::ScopedList parent;
    if (aLevel < 0) {
        std::string caption;
        GetShellDisplayName(aIShf, EmptyList(), SHGDN_INFOLDER, caption);
        AddEntry(caption, ShellGetIconIndex(EmptyList(), SHGFI_SMALLICON), 0, 0, aIShf, nullptr, nullptr);
        aLevel = 1;
    } else {
        *parent.Out() = CopyIdList(nullptr, aParentAbsIdList);
    }

    com::ComPtr<IEnumIDList> enumerator;
    HRESULT hr = aIShf->EnumObjects(owner, SHCONTF_FOLDERS, enumerator.ReleaseAndGetAddressOf());
    // A folder with nothing to show (an empty desktop, a Computer without
    // drives) answers S_FALSE: an empty level, not a failure.
    if (hr == S_FALSE || (SUCCEEDED(hr) && !enumerator))
        return;
    if (hr != S_OK)
        RaiseShellError(hr);
    detail::HeldLists listed;
    PItemIDList next = nullptr;
    while ((hr = enumerator->Next(1, &next, nullptr)) == S_OK) {
        listed.Lists.reserve(listed.Lists.size() + 1);
        listed.Lists.push_back(std::exchange(next, nullptr));
    }
    if (FAILED(hr))
        RaiseShellError(hr);
    SortPidls(aIShf, listed.Lists);

    const int chainCount = aIdListArray ? aIdListArray->GetCount() : 0;
    bool matching = aIdListArray && chainCount >= aLevel;
    for (const PItemIDList item : listed.Lists) {
        ULONG attributes = kLevelAttributes;
        LPCITEMIDLIST one = item;
        const bool readable = SUCCEEDED(aIShf->GetAttributesOf(1, &one, &attributes));
        const bool onChain = matching && aIShf->CompareIDs(0, aIdListArray->GetItem(aLevel - 1), item) == 0;
        if (!onChain) {
            // An item the shell cannot describe would pass any test of its
            // bits: it is left out.
            if (!readable)
                continue;
            const bool candidate = Options_.Contains(kwscoNonFilesystemAncestors) ||
                                   (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR));
            if (!candidate || !CanAdd(aIShf, parent.Get(), item, attributes))
                continue;
        } else if (!readable) {
            attributes = 0;
        }
        detail::ScopedList absolute;
        *absolute.Out() = MustConcat(parent.Get(), item);
        const bool selected = onChain && chainCount == aLevel;
        std::string caption;
        int icon = -1;
        if (selected) {
            GetShellDisplayName(aIShf, item, SHGDN_INFOLDER, caption);
            icon = ShellGetIconIndex(absolute.Get(), SHGFI_SMALLICON | SHGFI_OPENICON);
        }
        AddEntry(caption, icon, aLevel, attributes, aIShf, parent.Get(), item);
        const bool isComputer = aLevel == 1 && CompareAbsIdLists(absolute.Get(), computer.Get()) == 0;
        if (onChain) {
            matching = false;
            if (selected)
                SetItemIndex(Items()->Count() - 1);
            else if (!isComputer)
                AddChain(aIShf, parent.Get(), item, aLevel, aIdListArray);
        }
        if (isComputer) {
            com::ComPtr<IShellFolder> drives;
            vcl::OleCheck(
                aIShf->BindToObject(item, nullptr, IID_IShellFolder, drives.ReleaseAndGetVoidAddress()));
            // The chain goes down through Computer only when it starts there.
            FillCombo(drives.Get(), absolute.Get(), 2, onChain && !selected ? aIdListArray : nullptr);
        }
    }
}

void TKwCustomShellCombo::AddChain(IShellFolder* aIShf, PItemIDList aParentAbsIdList,
                                   PItemIDList aItemRelIdList, int aLevel, TKwIdListArray* aIdListArray)
{
    com::ComPtr<IShellFolder> folder;
    vcl::OleCheck(
        aIShf->BindToObject(aItemRelIdList, nullptr, IID_IShellFolder, folder.ReleaseAndGetVoidAddress()));
    detail::ScopedList parent;
    *parent.Out() = MustConcat(aParentAbsIdList, aItemRelIdList);
    const int count = aIdListArray->GetCount();
    for (int i = aLevel; i < count; ++i) {
        detail::ScopedList item;
        *item.Out() = CopyIdList(nullptr, aIdListArray->GetItem(i));
        ULONG attributes = kChainAttributes;
        LPCITEMIDLIST one = item.Get();
        if (FAILED(folder->GetAttributesOf(1, &one, &attributes)))
            attributes = 0;
        const bool last = i == count - 1;
        std::string caption;
        int icon = -1;
        detail::ScopedList absolute;
        *absolute.Out() = MustConcat(parent.Get(), item.Get());
        if (last) {
            GetShellDisplayName(folder.Get(), item.Get(), SHGDN_INFOLDER | SHGDN_FORADDRESSBAR, caption);
            icon = ShellGetIconIndex(absolute.Get(), SHGFI_SMALLICON | SHGFI_OPENICON);
        }
        AddEntry(caption, icon, i + 1, attributes, folder.Get(), parent.Get(), item.Get());
        if (last)
            break;
        com::ComPtr<IShellFolder> below;
        vcl::OleCheck(
            folder->BindToObject(item.Get(), nullptr, IID_IShellFolder, below.ReleaseAndGetVoidAddress()));
        folder = below;
        ShellMemFree(parent.Release());
        *parent.Out() = absolute.Release();
    }
    SetItemIndex(Items()->Count() - 1);
}

// ---- the published combo ----

const vcl::TClassRtti& TKwShellCombo::PublishedTable()
{
    using C = TKwShellCombo;
    static const vcl::TClassRtti table =
        vcl::PublishWinControl(vcl::Publish<C>(), vcl::clWindow, true)
            .Property<&C::ShellTree, &C::SetShellTree>("ShellTree")
            .Property<&C::ShellList, &C::SetShellList>("ShellList")
            .Property<&C::IndentPixels, &C::SetIndentPixels>("IndentPixels")
            .Default(12)
            .Property<&C::Options, &C::SetOptions>("Options")
            .Default(KwShellComboDefaultOptions)
            .Property<&C::OnDeleteItem>("OnDeleteItem")
            .Property<&C::OnCloseUp>("OnCloseUp")
            .Property<&C::OnSelEndCancel>("OnSelEndCancel")
            .Property<&C::OnSelEndOk>("OnSelEndOk")
            .Property<&C::DropDownCount, &C::SetDropDownCount>("DropDownCount")
            .Default(8)
            .Property<&C::Sorted, &C::SetSorted>("Sorted")
            .Default(false)
            .Property<&C::OnChange>("OnChange")
            .Property<&C::OnDrawItem>("OnDrawItem")
            .Property<&C::OnDropDown>("OnDropDown")
            .Property<&C::OnMeasureItem>("OnMeasureItem");
    return table;
}

} // namespace kw
