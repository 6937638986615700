// The look at files and folders that the item data objects take on Linux:
// statx of the item itself, the drives of the mount table, and the access
// the process has to a folder.

#include "UKwShellControls_p.h"

#include "win32/MountTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace kw::detail {

std::optional<ItemFacts> LookAtItem(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW,
                STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME, &info) != 0)
        return std::nullopt;
    ItemFacts facts;
    facts.IsDirectory = S_ISDIR(info.stx_mode);
    facts.Size = info.stx_size;
    statx_timestamp stamp = info.stx_mtime;
    // A file system that keeps no modification time answers 0: the birth
    // time, where it has one, is the better guess.
    if (stamp.tv_sec == 0 && stamp.tv_nsec == 0 && (info.stx_mask & STATX_BTIME))
        stamp = info.stx_btime;
    facts.Modified.tv_sec = static_cast<time_t>(stamp.tv_sec);
    facts.Modified.tv_nsec = static_cast<long>(stamp.tv_nsec);
    return facts;
}

bool IsDriveRootPath(const std::string& path)
{
    if (path == "/")
        return true;
    if (path.empty() || path.front() != '/')
        return false;
    std::vector<win32::Drive> drives;
    if (!win32::ReadUserVisibleDrives(drives))
        return false;
    const std::string normal = win32::NormalizeMountPath(path);
    for (const win32::Drive& drive : drives)
        if (drive.MountPoint == normal)
            return true;
    return false;
}

bool FolderAcceptsChanges(const std::string& path)
{
    // Entries are added, renamed and removed through the folder: it must be
    // writable and searchable by this process.
    return !path.empty() && ::access(path.c_str(), W_OK | X_OK) == 0;
}

} // namespace kw::detail
