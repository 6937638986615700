#include "UKwShellControls_DriveWatches_p.h"

#include <algorithm>

namespace kw {

namespace {

bool MountedReadOnly(const win32::MountEntry& entry)
{
    std::string_view options = entry.Options;
    while (!options.empty()) {
        const std::size_t comma = options.find(',');
        if (options.substr(0, comma) == "ro")
            return true;
        options = comma == std::string_view::npos ? std::string_view() : options.substr(comma + 1);
    }
    return false;
}

std::string_view ParentPath(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string_view::npos ? std::string_view("/") : path.substr(0, slash);
}

// Whether a mount between entry and the drive root holds a pseudo file
// system (/dev/shm on devtmpfs, /sys/fs/cgroup on sysfs): nobody browses
// those places for folders of their own.
bool BelowPseudoFileSystem(const std::string& mountPoint, const std::vector<win32::MountEntry>& mounts,
                           std::string_view driveRoot)
{
    std::string_view path = mountPoint;
    while (path != driveRoot && path != "/") {
        path = ParentPath(path);
        const win32::MountEntry* holder = win32::FindMountOf(mounts, path);
        if (!holder)
            return false;
        if (win32::IsPseudoFileSystem(holder->FsType))
            return true;
        path = holder->MountPoint;
    }
    return false;
}

} // namespace

std::vector<std::string> DriveWatchFolders(std::string_view driveRoot,
                                           const std::vector<win32::MountEntry>& mounts,
                                           const std::vector<win32::Drive>& drives)
{
    const std::string root = win32::NormalizeMountPath(driveRoot);
    const auto isDrive = [&drives](const std::string& path) {
        return std::any_of(drives.begin(), drives.end(),
                           [&path](const win32::Drive& d) { return d.MountPoint == path; });
    };
    if (root.empty() || !isDrive(root))
        return {};
    std::vector<std::string> below;
    for (const win32::MountEntry& entry : mounts) {
        const std::string mountPoint = win32::NormalizeMountPath(entry.MountPoint);
        if (mountPoint.empty() || mountPoint == root || isDrive(mountPoint))
            continue;
        const win32::Drive* drive = win32::FindDriveOf(drives, mountPoint);
        if (!drive || drive->MountPoint != root || win32::FindMountOf(mounts, mountPoint) != &entry)
            continue;
        if (win32::IsPseudoFileSystem(entry.FsType) || MountedReadOnly(entry) ||
            BelowPseudoFileSystem(mountPoint, mounts, root))
            continue;
        below.push_back(mountPoint);
    }
    std::sort(below.begin(), below.end());
    below.erase(std::unique(below.begin(), below.end()), below.end());
    below.insert(below.begin(), root);
    return below;
}

std::vector<std::string> DriveWatchFoldersOf(std::string_view path)
{
    std::vector<win32::Drive> drives;
    std::vector<win32::MountEntry> mounts;
    if (!win32::ReadUserVisibleDrives(drives) || !win32::CurrentMountSource()->ReadMounts(mounts))
        return {};
    const win32::Drive* drive = win32::FindDriveOf(drives, path);
    return drive ? DriveWatchFolders(drive->MountPoint, mounts, drives) : std::vector<std::string>();
}

} // namespace kw
