// Whether a folder lies on a network file system: its mount's type says so.

#include "UKwShellControls.h"

#include "win32/MountTable.h"

#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

namespace kw {

bool IsFolderNetworkShare(TKwShellLocator* folder)
{
    if (!folder)
        return false;
    const std::string path = folder->GetPathName();
    if (path.empty())
        return false;
    // The mount table names real places: a link into a mount is followed.
    std::string real = path;
    if (const std::unique_ptr<char, decltype(&std::free)> resolved{realpath(path.c_str(), nullptr),
                                                                   &std::free})
        real = resolved.get();
    std::vector<win32::MountEntry> mounts;
    if (!win32::CurrentMountSource()->ReadMounts(mounts))
        return false;
    const win32::MountEntry* holder = win32::FindMountOf(mounts, real);
    return holder && win32::IsNetworkFileSystem(holder->FsType);
}

} // namespace kw
