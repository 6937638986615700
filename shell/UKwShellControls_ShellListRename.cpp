// The shell list's renaming in place and its new folders.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include <string>

namespace kw {

using vcl::TListItem;

bool TKwCustomShellList::CanEdit(TListItem* item)
{
    TKwShListData* data = GetDataFromItem(item);
    if (!data)
        return TKwCustomListView::CanEdit(item);
    return data->GetEditable() && TKwCustomListView::CanEdit(item) &&
           !ComponentState().Contains(vcl::csDesigning);
}

void TKwCustomShellList::Edit(const LVITEMA& item)
{
    // Whatever was asked for during the edit, cancelled or not, runs now.
    struct Ended {
        TKwCustomShellList* List;
        ~Ended() { List->RunPendingRefresh(); }
    } ended{this};
    TListItem* edited = nullptr;
    if (item.mask & LVIF_PARAM) {
        auto* named = reinterpret_cast<TListItem*>(item.lParam);
        edited = LiveItem(named) ? named : nullptr;
    } else if (item.iItem >= 0 && item.iItem < Items()->Count()) {
        edited = Items()->Item(item.iItem);
    }
    if (!edited || !item.pszText)
        return;
    TKwShListData* data = GetDataFromItem(edited);
    if (!data) {
        TKwCustomListView::Edit(item);
        return;
    }
    std::string text = item.pszText;
    if (OnEdited)
        OnEdited(this, edited, text);
    const detail::ScopedHourGlass hourglass;
    IgnoreNextChange();
    detail::ScopedList renamed;
    const bool done =
        detail::RenameItem(CurrentFolder_.Get(), GetTopFormHandle(this), data->GetRelPidl(), text, renamed);
    if (!done) {
        // Nothing changed on disk: the next notification is someone else's.
        IgnoreNextChange_ = false;
        return;
    }
    data->SetData(renamed.Release());
    edited->SetCaption(text);
}

bool TKwCustomShellList::CreateNewFolder(bool aEdit)
{
    const std::string parent = Folder_ ? Folder_->GetPathName() : std::string();
    // A virtual folder is no place to make one in.
    if (parent.empty())
        return false;
    IgnoreNextChange();
    std::string name;
    if (!KwShCreateNewFolder(parent, name)) {
        IgnoreNextChange_ = false;
        return false;
    }
    // The desktop's view of a new folder comes late.
    const PItemIDList shown = Folder_->GetIdList();
    if (!shown || shown->mkid.cb == 0)
        BusySleep(2100);
    RefreshItems();
    if (aEdit) {
        NewFolderName_ = name;
        if (HandleAllocated())
            PostMessageA(Handle(), detail::AM_DeferredEdit, 0, 0);
    }
    return true;
}

void TKwCustomShellList::AMDeferredEdit()
{
    for (int i = 0, count = Items()->Count(); i < count; ++i) {
        TListItem* item = Items()->Item(i);
        if (TKwShListData* data = GetDataFromItem(item); data && data->GetDisplayName() == NewFolderName_) {
            SetItemFocused(item);
            item->EditCaption();
            return;
        }
    }
}

} // namespace kw
