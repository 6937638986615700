#include "win32/MountTable.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <tuple>

namespace win32 {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

// path equals dir or lies below it (whole components only).
bool IsAtOrBelow(std::string_view path, std::string_view dir)
{
    if (dir == "/")
        return StartsWith(path, "/");
    return StartsWith(path, dir) && (path.size() == dir.size() || path[dir.size()] == '/');
}

bool IsStrictlyBelow(std::string_view path, std::string_view dir)
{
    return IsAtOrBelow(path, dir) && path.size() > dir.size() && dir != path;
}

bool HasHiddenComponent(std::string_view path)
{
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        if (path[i] == '/' && path[i + 1] == '.')
            return true;
    }
    return false;
}

// Where the system keeps mounts of its own: network volumes there belong to
// containers and services, not to the person at the desktop.
bool IsSystemPlace(std::string_view path)
{
    static constexpr std::array<std::string_view, 6> places = {"/proc", "/sys",     "/dev",
                                                               "/run",  "/var/lib", "/snap"};
    if (IsAtOrBelow(path, "/run/media"))
        return false;
    return std::any_of(places.begin(), places.end(),
                       [&](std::string_view p) { return IsAtOrBelow(path, p); });
}

template <size_t N>
bool IsOneOf(std::string_view value, const std::string_view (&set)[N])
{
    return std::find(std::begin(set), std::end(set), value) != std::end(set);
}

bool SameTable(const std::vector<MountEntry>& a, const std::vector<MountEntry>& b)
{
    const auto key = [](const MountEntry& e) {
        return std::tie(e.Id, e.ParentId, e.Major, e.Minor, e.Root, e.MountPoint, e.FsType, e.Source);
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](const MountEntry& x, const MountEntry& y) { return key(x) == key(y); });
}

} // namespace

bool IsPseudoFileSystem(std::string_view fsType)
{
    static constexpr std::string_view pseudo[] = {"proc",
                                                  "sysfs",
                                                  "devtmpfs",
                                                  "devpts",
                                                  "cgroup",
                                                  "cgroup2",
                                                  "securityfs",
                                                  "debugfs",
                                                  "tracefs",
                                                  "configfs",
                                                  "fusectl",
                                                  "mqueue",
                                                  "hugetlbfs",
                                                  "pstore",
                                                  "bpf",
                                                  "binfmt_misc",
                                                  "autofs",
                                                  "efivarfs",
                                                  "rpc_pipefs",
                                                  "nsfs",
                                                  "selinuxfs",
                                                  "nfsd",
                                                  "sockfs",
                                                  "pipefs",
                                                  "rootfs",
                                                  "fuse.gvfsd-fuse",
                                                  "fuse.portal",
                                                  "fuse.lxcfs",
                                                  "fuse.xdg-document-portal",
                                                  "devfs",
                                                  "usbfs"};
    return fsType.empty() || IsOneOf(fsType, pseudo);
}

bool IsNetworkFileSystem(std::string_view fsType)
{
    static constexpr std::string_view network[] = {
        "nfs",         "nfs4",      "cifs",       "smb3",        "smbfs",
        "ncpfs",       "ncp",       "9p",         "afs",         "ceph",
        "coda",        "sshfs",     "fuse.sshfs", "glusterfs",   "fuse.glusterfs",
        "fuse.rclone", "fuse.s3fs", "davfs",      "fuse.davfs2", "lustre"};
    return IsOneOf(fsType, network);
}

bool IsUserVisibleMount(const MountEntry& entry)
{
    const std::string_view mountPoint = entry.MountPoint;
    // The root file system is always a drive, whatever it is (rootfs in some
    // containers, tmpfs on live systems).
    if (mountPoint == "/")
        return true;
    if (IsPseudoFileSystem(entry.FsType) || !StartsWith(mountPoint, "/"))
        return false;
    if (HasHiddenComponent(mountPoint))
        return false;
    if (IsNetworkFileSystem(entry.FsType))
        return !IsSystemPlace(mountPoint);
    return IsAtOrBelow(mountPoint, "/media") || IsAtOrBelow(mountPoint, "/mnt") ||
           IsStrictlyBelow(mountPoint, "/run/media");
}

DriveKind ClassifyDrive(const MountEntry& entry, const BlockDeviceInfo& device)
{
    const std::string_view type = entry.FsType;
    if (IsNetworkFileSystem(type))
        return DriveKind::Remote;
    if (type == "iso9660" || device.Optical)
        return DriveKind::CdRom;
    // UDF is the file system of DVDs, but also of some disks and sticks.
    if (type == "udf" && !(device.Known && !device.Optical))
        return DriveKind::CdRom;
    if (type == "tmpfs" || type == "ramfs")
        return DriveKind::RamDisk;
    if (device.Removable)
        return DriveKind::Removable;
    return DriveKind::Fixed;
}

std::vector<Drive> UserVisibleDrives(const std::vector<MountEntry>& entries, MountSource& probe)
{
    // A later mount at the same place hides the earlier one.
    std::map<std::string, const MountEntry*> topmost;
    for (const MountEntry& entry : entries) {
        const std::string mountPoint = NormalizeMountPath(entry.MountPoint);
        if (!mountPoint.empty())
            topmost[mountPoint] = &entry;
    }
    std::vector<Drive> drives;
    for (const auto& [mountPoint, entry] : topmost) {
        MountEntry normalized = *entry;
        normalized.MountPoint = mountPoint;
        if (!IsUserVisibleMount(normalized))
            continue;
        const BlockDeviceInfo device = probe.ProbeDevice(*entry);
        Drive drive;
        drive.MountPoint = mountPoint;
        drive.Source = entry->Source;
        drive.FsType = entry->FsType;
        drive.Kind = ClassifyDrive(normalized, device);
        if (drive.Kind != DriveKind::Remote)
            drive.Label = probe.ProbeLabel(*entry);
        drives.push_back(std::move(drive));
    }
    // The map is in byte order, where "/" comes first.
    return drives;
}

namespace {
std::atomic<std::uint64_t> gDriveInfoGeneration{0};
std::atomic<MountTableObserver> gMountTableObserver{nullptr};
} // namespace

void InvalidateDriveInfo()
{
    gDriveInfoGeneration.fetch_add(1);
}

void NotifyMountTableChanged(bool sourceReplaced)
{
    if (const MountTableObserver observer = gMountTableObserver.load())
        observer(sourceReplaced);
}

void SetMountTableObserver(MountTableObserver observer)
{
    gMountTableObserver.store(observer);
}

bool ReadUserVisibleDrives(std::vector<Drive>& drives)
{
    const std::shared_ptr<MountSource> source = CurrentMountSource();
    std::vector<MountEntry> entries;
    if (!source->ReadMounts(entries))
        return false;

    // The last answer, for as long as the table, the source and its revision
    // stay the same.
    struct Cache {
        std::mutex Lock;
        std::weak_ptr<MountSource> Source;
        std::uint64_t Revision = 0;
        std::uint64_t Generation = 0;
        std::vector<MountEntry> Entries;
        std::vector<Drive> Drives;
    };
    static Cache cache;
    const std::uint64_t revision = source->Revision();
    const std::uint64_t generation = gDriveInfoGeneration.load();
    {
        std::lock_guard lock(cache.Lock);
        if (cache.Source.lock() == source && cache.Revision == revision && cache.Generation == generation &&
            SameTable(cache.Entries, entries)) {
            drives = cache.Drives;
            return true;
        }
    }
    drives = UserVisibleDrives(entries, *source);
    std::lock_guard lock(cache.Lock);
    cache.Source = source;
    cache.Revision = revision;
    cache.Generation = generation;
    cache.Entries = std::move(entries);
    cache.Drives = drives;
    return true;
}

DriveChanges Diff(const std::vector<Drive>& previous, const std::vector<Drive>& current)
{
    const auto key = [](const Drive& d) { return std::tie(d.MountPoint, d.Source, d.FsType); };
    const auto contains = [&](const std::vector<Drive>& list, const Drive& drive) {
        return std::any_of(list.begin(), list.end(), [&](const Drive& d) { return key(d) == key(drive); });
    };
    DriveChanges changes;
    for (const Drive& drive : current) {
        if (!contains(previous, drive))
            changes.Arrived.push_back(drive);
    }
    for (const Drive& drive : previous) {
        if (!contains(current, drive))
            changes.Removed.push_back(drive);
    }
    return changes;
}

std::string NormalizeMountPath(std::string_view path)
{
    if (!StartsWith(path, "/"))
        return {};
    std::string result;
    result.reserve(path.size());
    for (char c : path) {
        if (c == '/' && !result.empty() && result.back() == '/')
            continue;
        result += c;
    }
    if (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}

const Drive* FindDriveOf(const std::vector<Drive>& drives, std::string_view path)
{
    const std::string normalized = NormalizeMountPath(path);
    const Drive* best = nullptr;
    for (const Drive& drive : drives) {
        if (!normalized.empty() && IsAtOrBelow(normalized, drive.MountPoint) &&
            (!best || drive.MountPoint.size() > best->MountPoint.size()))
            best = &drive;
    }
    return best;
}

const MountEntry* FindMountOf(const std::vector<MountEntry>& entries, std::string_view path)
{
    const std::string normalized = NormalizeMountPath(path);
    const MountEntry* best = nullptr;
    size_t bestLength = 0;
    for (const MountEntry& entry : entries) {
        const std::string mountPoint = NormalizeMountPath(entry.MountPoint);
        if (normalized.empty() || mountPoint.empty() || !IsAtOrBelow(normalized, mountPoint))
            continue;
        if (!best || mountPoint.size() >= bestLength) {
            best = &entry;
            bestLength = mountPoint.size();
        }
    }
    return best;
}

} // namespace win32
