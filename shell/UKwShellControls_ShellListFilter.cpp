// The shell list's file filter: the masks split from FileFilter, and the
// names of the folder's files they match, collected once around each fill
// and refresh.

#include "UKwShellControls.h"
#include "UKwShellControls_FileMasks_p.h"

namespace kw {

void TKwCustomShellList::SetFileFilter(const std::string& value)
{
    if (value == FileFilter_) {
        if (value.empty())
            FileMasks_.reset();
        return;
    }
    FileFilter_ = value;
    FileMasks_ = detail::SplitFileMasks(value);
    if (!Loading() && Options().Contains(kwsloAutoFill))
        FillItems();
}

void TKwCustomShellList::FilterPreApply()
{
    FilterPostApply();
    if (detail::IsOpenFileFilter(FileFilter_) || !Folder_)
        return;
    const std::string path = Folder_->GetPathName();
    if (path.empty())
        return;
    FilterNames_.emplace();
    std::vector<detail::TKwFileMask> masks;
    for (const std::string& mask : FileMasks_.value_or(std::vector<std::string>{}))
        masks.emplace_back(mask);
    // A listing that fails leaves what it collected: the rest of the
    // folder's files are not shown in this fill.
    detail::CollectMaskedNames(path, masks, *FilterNames_);
}

bool TKwCustomShellList::FilterApply(const std::string& aName, ULONG aAttribs)
{
    if ((aAttribs & SFGAO_FOLDER) || !FilterNames_)
        return true;
    const std::size_t slash = aName.rfind('/');
    return FilterNames_->contains(slash == std::string::npos ? aName : aName.substr(slash + 1));
}

void TKwCustomShellList::FilterPostApply()
{
    FilterNames_.reset();
}

} // namespace kw
