// The shell tree's renaming in place and its new folders.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include <string>

namespace kw {

using vcl::TTreeNode;

namespace {

// Drops the lists and folders every descendant of node keeps, so that they
// are made again below the node's new name.
void FlushBelow(const TKwCustomShellTree* tree, TTreeNode* node)
{
    for (TTreeNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (TKwShTreeData* data = tree->GetDataFromNode(child))
            data->Flush();
        FlushBelow(tree, child);
    }
}

} // namespace

bool TKwCustomShellTree::CanEdit(TTreeNode* node)
{
    TKwShTreeData* data = GetDataFromNode(node);
    if (!data)
        return TKwCustomTreeView::CanEdit(node);
    return data->GetEditable() && TKwCustomTreeView::CanEdit(node) &&
           !ComponentState().Contains(vcl::csDesigning);
}

void TKwCustomShellTree::Edit(const TVITEMA& item)
{
    // Whatever was asked for during the edit, cancelled or not, runs now.
    struct Ended {
        TKwCustomShellTree* Tree;
        ~Ended() { Tree->RunPendingRefresh(); }
    } ended{this};
    TTreeNode* node = Items()->GetNode(item.hItem);
    if (!node || !item.pszText)
        return;
    TKwShTreeData* data = GetDataFromNode(node);
    if (!data) {
        TKwCustomTreeView::Edit(item);
        return;
    }
    std::string text = item.pszText;
    if (OnEdited)
        OnEdited(this, node, text);
    const detail::ScopedHourGlass hourglass;
    IgnoreNextChange();
    bool done = false;
    {
        // The tree does not move while its locators follow the new name.
        const detail::CounterHold lock(UpdateLock_);
        detail::ScopedList renamed;
        done = detail::RenameItem(data->GetParentIShf().Get(), GetTopFormHandle(this), data->GetRelPidl(),
                                  text, renamed);
        if (done) {
            FlushBelow(this, node);
            data->SetRelPidl(renamed.Get());
            node->SetText(text);
            // The linked controls follow only when what they show moved:
            // the selection itself or a folder above it was renamed.
            TTreeNode* selected = Selected();
            if (selected && (selected == node || selected->HasAsParent(node))) {
                SelectedFolder_->SetIdList(GetDataFromNode(selected)->GetAbsPidl());
                PointListAtSelection();
                TellComboTreeChanged(selected);
            }
        }
    }
    EndIgnoreNextChange(done);
}

bool TKwCustomShellTree::CreateNewFolder()
{
    TTreeNode* node = Selected();
    const std::string parent = GetSelectedPathName();
    // A virtual folder or none is no place to make one in.
    if (!node || parent.empty())
        return false;
    IgnoreNextChange();
    std::string name;
    if (!KwShCreateNewFolder(parent, name)) {
        EndIgnoreNextChange(false);
        return false;
    }
    // The shell sees the new folder after a while; the desktop's takes longer.
    BusySleep(IdListLen(SelectedFolder_->GetIdList()) <= 2 ? 2100 : 1000);
    RefreshNodes();
    EndIgnoreNextChange(true);
    node = Selected();
    if (!node)
        return true;
    ExpandNode(node);
    node->Expand(false);
    for (TTreeNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (child->Text() == name) {
            child->EditText();
            break;
        }
    }
    return true;
}

} // namespace kw
