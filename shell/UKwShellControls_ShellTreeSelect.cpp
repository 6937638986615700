// The shell tree's selection: a node found (or made) for an absolute list,
// and the push of the selected folder to the linked list, at once after a
// click and a moment after the last of a run of keys.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "shell32/ShellFlags.h"
#include "win32/MessageBox.h"
#include "win32/WideText.h"

#include <string>

namespace kw {

using vcl::TTreeNode;

namespace {

// path lies at or below folder (a path itself): the remainder, without the
// slash; nothing when it lies elsewhere.
std::optional<std::string> Below(const std::string& path, const std::string& folder)
{
    if (folder.empty() || path.empty())
        return std::nullopt;
    if (path == folder)
        return std::string();
    const std::string prefix = folder == "/" ? folder : folder + "/";
    if (path.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    return path.substr(prefix.size());
}

void Beep()
{
    MessageBeep(static_cast<UINT>(-1));
}

} // namespace

TTreeNode* TKwCustomShellTree::FindNodeWithIdList(TTreeNode* aParent, const ITEMIDLIST* aRelIdList)
{
    if (!aParent)
        return GetFirstRootLevelShellNode();
    // The children's folder, bound once for the level.
    com::ComPtr<IShellFolder> folder;
    for (TTreeNode* child = aParent->GetFirstChild(); child; child = child->GetNextSibling()) {
        TKwShTreeData* data = GetDataFromNode(child);
        if (!data)
            continue;
        if (!folder && !(folder = data->GetParentIShf()))
            return nullptr;
        if (folder->CompareIDs(0, data->GetRelPidl(), aRelIdList) == 0)
            return child;
    }
    return nullptr;
}

PItemIDList TKwCustomShellTree::RouteBelowBase(const ITEMIDLIST* aIdList, const ITEMIDLIST* base,
                                               bool& atOrAboveBase)
{
    atOrAboveBase = false;
    TKwIdListArray target(aIdList);
    TKwIdListArray baseItems(base);
    const int n = baseItems.GetCount();
    const int m = target.GetCount();
    // Item by item first, each level compared by identity.
    if (m <= n) {
        if (CompareAbsIdLists(baseItems.GoUp(n - m), aIdList) == 0) {
            atOrAboveBase = true;
            return nullptr;
        }
    } else if (n == 0 || CompareAbsIdLists(target.GoUp(m - n), base) == 0) {
        return CopyIdList(nullptr, aIdList);
    }
    // Another route to a place of the file system: found by its path from
    // the base folder.
    const std::string path = ShellGetPathFromIdList(aIdList);
    const std::string basePath = ShellGetPathFromIdList(base);
    if (Below(basePath, path)) {
        atOrAboveBase = true;
        return nullptr;
    }
    const std::optional<std::string> rest = Below(path, basePath);
    if (!rest)
        return nullptr;
    com::ComPtr<IShellFolder> baseFolder;
    if (FAILED(ShellGetFolderFromIdList(base, baseFolder.ReleaseAndGetAddressOf())))
        return nullptr;
    std::u16string wide = win32::BytesToWide(*rest);
    PItemIDList relative = nullptr;
    if (FAILED(baseFolder->ParseDisplayName(GetTopFormHandle(this), nullptr, wide.data(), nullptr, &relative,
                                            nullptr))) {
        ShellMemFree(relative);
        return nullptr;
    }
    PItemIDList routed = ConcatIdLists(nullptr, base, relative);
    ShellMemFree(relative);
    return routed;
}

void TKwCustomShellTree::SelectWalked(TTreeNode* node)
{
    if (!node)
        return;
    SetSelected(node);
    node->MakeVisible();
}

void TKwCustomShellTree::WalkTo(const ITEMIDLIST* aIdList, int baseCount)
{
    TTreeNode* current = GetFirstRootLevelShellNode();
    if (!current)
        return;
    current->Expand(false);
    TKwIdListArray items(aIdList);
    const int count = items.GetCount();
    const bool showTargetFolders =
        ShellList_ && ShellList_->Options().Contains(kwsloHideFoldersWhenLinkedToTree);
    for (int level = baseCount; level < count; ++level) {
        const PItemIDList item = items.GetItem(level);
        TTreeNode* found = FindNodeWithIdList(current, item);
        if (!found) {
            // A level not listed (hidden, or new since): made here, once the
            // shell still finds it and the options and CanAdd let it in.
            // Anything else stops the walk where it is.
            TKwShTreeData* data = GetDataFromNode(current);
            const com::ComPtr<IShellFolder> folder = data ? data->GetThisIShf() : nullptr;
            ULONG exists = SFGAO_VALIDATE;
            LPCITEMIDLIST one = item;
            if (folder && SUCCEEDED(folder->GetAttributesOf(1, &one, &exists)))
                AddNewShellNode(folder.Get(), data->GetAbsPidl(), item, current, &found);
            if (!found) {
                Beep();
                break;
            }
        }
        if (level < count - 1 || showTargetFolders)
            found->Expand(false);
        current = found;
    }
    SelectWalked(current);
}

void TKwCustomShellTree::DoSetSelectedIdList(const ITEMIDLIST* aIdList)
{
    if (UpdateLock_ > 0)
        return;
    Immediate_ = true;
    Items()->BeginUpdate();
    struct EndUpdate {
        vcl::TTreeNodes* Nodes;
        ~EndUpdate() { Nodes->EndUpdate(); }
    } end{Items()};
    if (IdListLen(aIdList) <= 2) {
        SelectWalked(GetFirstRootLevelShellNode());
        return;
    }
    const PItemIDList base = BaseFolder_->GetIdList();
    bool atOrAboveBase = false;
    PItemIDList routed = RouteBelowBase(aIdList, base, atOrAboveBase);
    struct Free {
        PItemIDList List;
        ~Free() { ShellMemFree(List); }
    } free{routed};
    if (atOrAboveBase) {
        TTreeNode* top = GetFirstRootLevelShellNode();
        SelectWalked(top);
        if (top)
            top->Expand(false);
        return;
    }
    if (!routed) {
        // Outside the base: nothing of the tree names it.
        Beep();
        return;
    }
    WalkTo(routed, TKwIdListArray(base).GetCount());
}

// ---- selection changes and the push ----

void TKwCustomShellTree::Change(TTreeNode* node)
{
    if (ComponentState().Contains(vcl::csDestroying))
        return;
    TKwShTreeData* data = GetDataFromNode(node);
    if (UpdateLock_ > 0 || Loading()) {
        if (data) {
            const detail::CounterHold lock(UpdateLock_);
            SelectedFolder_->SetIdList(data->GetAbsPidl());
        }
        return;
    }
    TKwCustomTreeView::Change(node);
    if (!data)
        return;
    if (Immediate_ || !ShellList_) {
        PushSelection();
        Immediate_ = false;
        return;
    }
    SchedulePush();
}

void TKwCustomShellTree::SchedulePush()
{
    // Each move of a run of keys starts the wait again: only the last is pushed.
    ScheduleAction(1, KWSH_TREE_KEY_UPDATE_DELAY);
}

void TKwCustomShellTree::PushSelection()
{
    // Any push settles one that was due.
    PushDue_ = false;
    TTreeNode* node = Selected();
    TKwShTreeData* data = GetDataFromNode(node);
    if (!data)
        return;
    // The linked controls' answers (a list selecting its folder here) find
    // the tree locked.
    const detail::CounterHold lock(UpdateLock_);
    SelectedFolder_->SetIdList(data->GetAbsPidl());
    if (ShellList_)
        ShellList_->TreeChanged(node);
    TellComboTreeChanged(node);
}

void TKwCustomShellTree::TellComboTreeChanged(TTreeNode* node)
{
    if (ShellCombo_)
        ShellCombo_->TreeChanged(node);
}

void TKwCustomShellTree::SynchronizeCombo()
{
    if (ShellCombo_)
        ShellCombo_->Synchronize(false);
}

void TKwCustomShellTree::TimerElapsed(vcl::TObject*)
{
    RunDueActions(false);
}

void TKwCustomShellTree::GoUp(int aLevels)
{
    TTreeNode* node = Selected();
    if (!node || !node->Parent())
        return;
    for (int level = 0; level < aLevels && node->Parent(); ++level)
        node = node->Parent();
    Immediate_ = true;
    SetSelected(node);
}

void TKwCustomShellTree::Synchronize(bool aAll)
{
    if (aAll) {
        if (ShellList_)
            ShellList_->Synchronize(false);
        SynchronizeCombo();
    }
    if (PushDue_ || RefreshDue_)
        RunDueActions(true);
}

} // namespace kw
