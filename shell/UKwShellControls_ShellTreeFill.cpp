// The shell tree's filling: the whole tree from the base folder, one level
// of a node when it is first opened, the nodes' icons when first painted,
// and the shell's order among siblings.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "shell32/FileInfo.h"
#include "shell32/ShellApi.h"
#include "shell32/ShellFlags.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/SafeSort.h"

#include <memory>
#include <vector>

namespace kw {

using vcl::TTreeNode;

namespace {

// What a fill asks of every item: has subfolders, file system, folder,
// file-system ancestor, removable, hidden, share, link.
constexpr ULONG kNodeAttributes = 0xF20B0000;
static_assert(kNodeAttributes ==
              (SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_FILESYSANCESTOR |
               SFGAO_REMOVABLE | SFGAO_HIDDEN | SFGAO_SHARE | SFGAO_LINK));

// The desktop's own list: the terminator alone.
const ITEMIDLIST* EmptyList()
{
    static const BYTE terminator[2] = {0, 0};
    return reinterpret_cast<const ITEMIDLIST*>(terminator);
}

// The top node's caption: the base folder's name in the folder holding it.
std::string BaseCaption(const ITEMIDLIST* base)
{
    std::string caption;
    if (IdListLen(base) <= 2) {
        com::ComPtr<IShellFolder> desktop;
        if (SUCCEEDED(SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf())))
            GetShellDisplayName(desktop.Get(), EmptyList(), SHGDN_INFOLDER, caption);
        return caption;
    }
    com::ComPtr<IShellFolder> parent;
    detail::ScopedList parentList;
    detail::ScopedList last;
    if (SUCCEEDED(
            GetParentFolderAndItem(base, parent.ReleaseAndGetAddressOf(), parentList.Out(), last.Out())))
        GetShellDisplayName(parent.Get(), last.Get(), SHGDN_INFOLDER, caption);
    return caption;
}

} // namespace

void TKwCustomShellTree::FillStart()
{
    if (OnFillStart)
        OnFillStart(this);
}

void TKwCustomShellTree::FillComplete()
{
    if (OnFillComplete)
        OnFillComplete(this);
}

bool TKwCustomShellTree::CanAdd(IShellFolder* aParentIShf, PItemIDList aParentAbsIdList,
                                PItemIDList aItemRelIdList, ULONG aAttribs)
{
    bool allow = true;
    if (OnAddItem)
        OnAddItem(this, aParentIShf, aParentAbsIdList, aItemRelIdList, static_cast<int>(aAttribs), allow);
    return allow;
}

void TKwCustomShellTree::FillItems()
{
    if (Busy_ || IsEditing()) {
        // The drag, menu or edit in progress runs the fill when it ends.
        RefreshPending_ = true;
        FillPending_ = true;
        return;
    }
    // A refresh due is this fill.
    RefreshDue_ = false;
    FillPending_ = false;
    const detail::ScopedHourGlass hourglass;
    {
        const detail::CounterHold lock(UpdateLock_);
        if (HandleAllocated())
            SetSelected(nullptr);
    }
    Items()->Clear();
    com::ComPtr<IShellFolder> folder;
    if (const HRESULT hr =
            ShellGetFolderFromIdList(BaseFolder_->GetIdList(), folder.ReleaseAndGetAddressOf());
        FAILED(hr))
        RaiseShellError(hr);
    FillTree(folder.Get(), nullptr);
    if (const PItemIDList selected = SelectedFolder_->GetIdList())
        DoSetSelectedIdList(selected);
    else if (TTreeNode* first = Items()->GetFirstNode())
        SetSelected(first);
    Synchronize(false);
    if (Options_.Contains(kwstoDynamicRefresh) && !ComponentState().Contains(vcl::csDesigning))
        InstallChangeHandlersForAllLocalDrives();
}

void TKwCustomShellTree::FillTree(IShellFolder* aIShf, TTreeNode* aNode)
{
    FillStart();
    try {
        PItemIDList parentList = nullptr;
        const bool top = !aNode;
        if (top) {
            const PItemIDList base = BaseFolder_->GetIdList();
            const ITEMIDLIST* iconList = base ? base : EmptyList();
            auto data = std::make_unique<TKwShTreeData>(this);
            data->SetData(nullptr, base);
            data->SetOwnFolder(aIShf);
            aNode = Items()->AddObject(nullptr, BaseCaption(base), data.get());
            TKwShTreeData* held = data.release();
            aNode->SetImageIndex(ShellGetIconIndex(iconList, SHGFI_SMALLICON));
            aNode->SetSelectedIndex(ShellGetIconIndex(iconList, SHGFI_SMALLICON | SHGFI_OPENICON));
            DoOnInsertItem(aNode);
            parentList = held->GetAbsPidl();
        } else {
            TKwShTreeData* data = GetDataFromNode(aNode);
            if (!data) {
                FillComplete();
                return;
            }
            parentList = data->GetAbsPidl();
        }
        com::ComPtr<IEnumIDList> items;
        HRESULT hr = aIShf->EnumObjects(GetTopFormHandle(this), EnumFlags(), items.ReleaseAndGetAddressOf());
        if (FAILED(hr)) {
            aNode->SetHasChildren(true);
            vcl::Abort();
        }
        // A folder with nothing to list may answer with no enumerator at all.
        hr = S_FALSE;
        if (items) {
            detail::HeldLists listed;
            LPITEMIDLIST item = nullptr;
            ULONG fetched = 0;
            while ((hr = items->Next(1, &item, &fetched)) == S_OK) {
                listed.Add(item);
                item = nullptr;
            }
            // The nodes go in in the shell's order, so that the level is in
            // order already when it is sorted.
            vcl::SafeSort(listed.Lists.data(), listed.Lists.size(),
                          [aIShf](PItemIDList a, PItemIDList b) { return detail::ShellOrder(aIShf, a, b); });
            // One repaint for the whole level, not one a node.
            Items()->BeginUpdate();
            struct EndUpdate {
                vcl::TTreeNodes* Nodes;
                ~EndUpdate() { Nodes->EndUpdate(); }
            } end{Items()};
            for (const PItemIDList listedItem : listed.Lists)
                // An item gone between listing and its attributes (a drive
                // just unmounted) is passed over; the rest of the folder
                // still comes.
                AddNewShellNode(aIShf, parentList, listedItem, aNode);
        }
        if (aNode->Count() == 0)
            aNode->SetHasChildren(false);
        if (hr == E_FAIL)
            vcl::Abort();
        if (hr != S_FALSE)
            RaiseShellError(hr);
        // The level's order, asked of the folder that listed it.
        SortLevel(aNode, false, aIShf);
        if (top)
            aNode->Expand(false);
    } catch (...) {
        FillComplete();
        throw;
    }
    FillComplete();
}

HRESULT TKwCustomShellTree::AddNewShellNode(IShellFolder* aIShf, PItemIDList aParentAbsIdList,
                                            PItemIDList aItemRelIdList, TTreeNode* aParentNode,
                                            TTreeNode** added, TTreeNode* aBefore)
{
    if (added)
        *added = nullptr;
    if (!aItemRelIdList)
        return S_OK;
    ULONG attributes = kNodeAttributes;
    LPCITEMIDLIST one = aItemRelIdList;
    if (const HRESULT hr = aIShf->GetAttributesOf(1, &one, &attributes); FAILED(hr))
        return hr;
    const bool candidate =
        Options_.Contains(kwstoVirtualFolders) || (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR));
    if (!candidate || !CanAdd(aIShf, aParentAbsIdList, aItemRelIdList, attributes))
        return S_OK;
    std::string caption;
    GetShellDisplayName(aIShf, aItemRelIdList, SHGDN_INFOLDER, caption);
    auto data = std::make_unique<TKwShTreeData>(this);
    data->SetData(GetDataFromNode(aParentNode), aItemRelIdList);
    TTreeNode* node = aBefore       ? Items()->InsertObject(aBefore, caption, data.get())
                      : aParentNode ? Items()->AddChildObject(aParentNode, caption, data.get())
                                    : Items()->AddObject(nullptr, caption, data.get());
    data.release();
    const bool folder = attributes & SFGAO_FOLDER;
    const bool subfolders = attributes & SFGAO_HASSUBFOLDER;
    // A new node has no button: only a node that gets one is told.
    if (Options_.Contains(kwstoIncludeNonFolders) ? folder || subfolders : folder && subfolders)
        node->SetHasChildren(true);
    if (attributes & SFGAO_SHARE)
        node->SetOverlayIndex(0);
    else if (attributes & SFGAO_LINK)
        node->SetOverlayIndex(1);
    if (attributes & SFGAO_HIDDEN)
        node->SetCut(true);
    DoOnInsertItem(node);
    if (added)
        *added = node;
    return S_OK;
}

bool TKwCustomShellTree::CanExpand(TTreeNode* node)
{
    if (Loading_)
        return false;
    if (!TKwCustomTreeView::CanExpand(node))
        return false;
    ExpandNode(node);
    return true;
}

void TKwCustomShellTree::ExpandNode(TTreeNode* aNode)
{
    if (!aNode || aNode->Count() > 0 || !aNode->HasChildren())
        return;
    TKwShTreeData* data = GetDataFromNode(aNode);
    if (!data)
        return;
    const detail::ScopedHourGlass hourglass;
    if (const com::ComPtr<IShellFolder> folder = data->GetThisIShf())
        FillTree(folder.Get(), aNode);
}

// Index 0 is the list's "not fetched" slot: a node keeps it until it is
// first drawn, and one whose look-up fails is asked again next time.
void TKwCustomShellTree::GetImageIndex(TTreeNode* node)
{
    if (TKwShTreeData* data = GetDataFromNode(node); data && node->ImageIndex() == 0) {
        const PItemIDList list = data->GetAbsPidl();
        if (const int index = ShellGetIconIndex(list ? list : EmptyList(), SHGFI_SMALLICON); index != 0)
            node->SetImageIndex(index);
    }
    TKwCustomTreeView::GetImageIndex(node);
}

void TKwCustomShellTree::GetSelectedIndex(TTreeNode* node)
{
    if (TKwShTreeData* data = GetDataFromNode(node); data && node->SelectedIndex() == 0) {
        const PItemIDList list = data->GetAbsPidl();
        if (const int index = ShellGetIconIndex(list ? list : EmptyList(), SHGFI_SMALLICON | SHGFI_OPENICON);
            index != 0)
            node->SetSelectedIndex(index);
    }
    TKwCustomTreeView::GetSelectedIndex(node);
}

// ---- the shell's order ----

namespace {

struct SortContext {
    const TKwCustomShellTree* Tree;
    IShellFolder* Folder;
};

} // namespace

int TKwCustomShellTree::CompareNodes(LPARAM a, LPARAM b, LPARAM context)
{
    const auto* sort = reinterpret_cast<const SortContext*>(context);
    const TKwShTreeData* first = sort->Tree->GetDataFromNode(reinterpret_cast<const TTreeNode*>(a));
    const TKwShTreeData* second = sort->Tree->GetDataFromNode(reinterpret_cast<const TTreeNode*>(b));
    if (!first || !second || !sort->Folder)
        return 0;
    return detail::ShellOrder(sort->Folder, first->GetRelPidl(), second->GetRelPidl());
}

com::ComPtr<IShellFolder> TKwCustomShellTree::ChildrenFolder(TTreeNode* aNode) const
{
    // Siblings share the folder they lie in: it is bound once for a level.
    if (aNode) {
        TKwShTreeData* data = GetDataFromNode(aNode);
        return data ? data->GetThisIShf() : nullptr;
    }
    TKwShTreeData* first = GetDataFromNode(GetFirstRootLevelShellNode());
    return first ? first->GetParentIShf() : nullptr;
}

void TKwCustomShellTree::SortLevel(TTreeNode* aNode, bool recurse, IShellFolder* folder)
{
    const TTreeNode* first = aNode ? aNode->GetFirstChild() : Items()->GetFirstNode();
    if (!first)
        return;
    if (first->GetNextSibling()) {
        // The folder that listed the level knows its items: its comparisons
        // are the cheapest.
        const com::ComPtr<IShellFolder> bound = folder ? nullptr : ChildrenFolder(aNode);
        SortContext context{this, folder ? folder : bound.Get()};
        // A level in order already (as a fill leaves it) is not sorted again.
        bool ordered = true;
        for (const TTreeNode* node = first; ordered && node->GetNextSibling(); node = node->GetNextSibling())
            ordered =
                CompareNodes(reinterpret_cast<LPARAM>(node), reinterpret_cast<LPARAM>(node->GetNextSibling()),
                             reinterpret_cast<LPARAM>(&context)) <= 0;
        if (!ordered && aNode)
            aNode->CustomSort(&CompareNodes, reinterpret_cast<LPARAM>(&context), false);
        else if (!ordered)
            Items()->CustomSort(&CompareNodes, reinterpret_cast<LPARAM>(&context), false);
    }
    if (!recurse)
        return;
    for (TTreeNode* child = aNode ? aNode->GetFirstChild() : Items()->GetFirstNode(); child;
         child = child->GetNextSibling())
        SortLevel(child, true);
}

void TKwCustomShellTree::SortNode(TTreeNode* aNode)
{
    SortLevel(aNode, !aNode);
}

} // namespace kw
