#pragma once
// The mount table and the drives a person sees in it.
//
// Linux has no drive letters: a drive is a mount point. The drives are the
// root file system "/" and every user-visible mount:
//   - any mount whose mount point is /media, /mnt, or lies below /media/,
//     /mnt/ or /run/media/ (where desktops and people mount disks);
//   - a network file system (NFS, SMB, sshfs, 9p, ...) wherever it is
//     mounted, except below the system's own places (/proc, /sys, /dev,
//     /run outside /run/media, /var/lib, /snap), where containers,
//     orchestrators and packaging tools keep their volumes;
// and never
//   - a pseudo or system file system (proc, sysfs, cgroup, devpts, autofs
//     placeholders, the desktop's own FUSE helpers, ...), wherever it lies;
//   - a mount point with a hidden component (/mnt/.snapshots);
//   - a mount hidden by a later mount at the same place (the last one wins).
// Everything else (/boot, /home on a partition of its own, snap images,
// container overlays, tmpfs under /run) is reached through "/" as a folder,
// not shown as a drive.
//
// The kind of a drive comes from its file-system type first (network:
// remote; iso9660: CD-ROM; tmpfs and ramfs: RAM disk), then from its block
// device (an optical drive: CD-ROM; a removable disk: removable), else fixed.
//
// Every outside fact (the table, the block devices, labels and sizes) comes
// through a MountSource, which tests replace with SetMountSource.

#include "CorvanePlatformExport.h"
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace win32 {

// One line of the mount table.
struct CORVANE_PLATFORM_EXPORT MountEntry {
    int Id = 0;
    int ParentId = 0;
    unsigned Major = 0; // the st_dev of files on the mount; 0:n for file
    unsigned Minor = 0; // systems without a block device
    std::string Root;   // the directory of the file system mounted here ("/" unless a bind of a subfolder)
    std::string MountPoint; // unescaped ("\040" is a space)
    std::string FsType;
    std::string Source; // device, "server:/export", "//server/share", ...
    std::string Options;
};

// What the block device behind a mount is, as far as it is known.
struct CORVANE_PLATFORM_EXPORT BlockDeviceInfo {
    bool Known = false;
    bool Removable = false;
    bool Optical = false;
};

struct CORVANE_PLATFORM_EXPORT DriveSpace {
    std::uint64_t Total = 0;
    std::uint64_t Free = 0;              // free blocks, including those reserved for root
    std::uint64_t AvailableToCaller = 0; // what an unprivileged caller may use
};

// Where the mount facts come from.
class CORVANE_PLATFORM_EXPORT MountSource {
public:
    virtual ~MountSource() = default;
    // The table in mount order; false, with errno set, when it cannot be read.
    virtual bool ReadMounts(std::vector<MountEntry>& entries) = 0;
    virtual BlockDeviceInfo ProbeDevice(const MountEntry& entry) = 0;
    // The volume label; empty when there is none or it is not cheap to learn.
    virtual std::string ProbeLabel(const MountEntry& entry) = 0;
    // Sizes of the file system that holds path; false, with errno set, on failure.
    virtual bool QuerySpace(const std::string& path, DriveSpace& space) = 0;
    // Changes whenever the source's answers may change for an unchanged
    // table (a test source edited); the system's stays 0.
    virtual std::uint64_t Revision() const { return 0; }
    // Starts and stops calling NotifyMountTableChanged when the table
    // changes (on the GUI thread, which must run its event loop). Sources
    // that change only when told to (a test's) need not watch anything.
    virtual bool StartWatching() { return true; }
    virtual void StopWatching() {}
};

// The source in use: the system's (/proc/self/mountinfo, /sys, /dev/disk,
// statvfs) unless replaced. The caller's reference keeps it alive.
CORVANE_PLATFORM_EXPORT std::shared_ptr<MountSource> CurrentMountSource();
// Replaces the source; nullptr restores the system's. Returns the replacement
// that was in use (nullptr when it was the system's). Thread-safe.
CORVANE_PLATFORM_EXPORT std::shared_ptr<MountSource> SetMountSource(std::shared_ptr<MountSource> source);

// Parses a mount table in the kernel's mountinfo format with libmount.
// Malformed lines are skipped; false (errno set) when nothing can be parsed.
CORVANE_PLATFORM_EXPORT bool ParseMountTable(std::string_view text, std::vector<MountEntry>& entries);

enum class DriveKind { Removable, Fixed, Remote, CdRom, RamDisk };

struct CORVANE_PLATFORM_EXPORT Drive {
    std::string MountPoint;
    std::string Source;
    std::string FsType;
    DriveKind Kind = DriveKind::Fixed;
    std::string Label;
};

CORVANE_PLATFORM_EXPORT bool IsPseudoFileSystem(std::string_view fsType);
CORVANE_PLATFORM_EXPORT bool IsNetworkFileSystem(std::string_view fsType);
// The rules above, for one entry on its own (no shadowing).
CORVANE_PLATFORM_EXPORT bool IsUserVisibleMount(const MountEntry& entry);
CORVANE_PLATFORM_EXPORT DriveKind ClassifyDrive(const MountEntry& entry, const BlockDeviceInfo& device);

// The user-visible drives of a table: "/" first, then the others in byte
// order of their mount points. Devices and labels are asked of probe.
CORVANE_PLATFORM_EXPORT std::vector<Drive> UserVisibleDrives(const std::vector<MountEntry>& entries,
                                                             MountSource& probe);
// The same from the current source; false (errno set) when the table cannot
// be read. The table is read on every call; devices and labels are probed
// again only when it changed (or the source did), so asking is cheap.
CORVANE_PLATFORM_EXPORT bool ReadUserVisibleDrives(std::vector<Drive>& drives);
// Makes the next ReadUserVisibleDrives probe devices and labels again, as
// when the shell is asked to validate the drives folder.
CORVANE_PLATFORM_EXPORT void InvalidateDriveInfo();

// Tells whoever watches the mount table (the mount monitor) that it may
// have changed; sourceReplaced: SetMountSource put another source in place.
// Sources that learn of changes call it; thread-safe.
CORVANE_PLATFORM_EXPORT void NotifyMountTableChanged(bool sourceReplaced = false);
using MountTableObserver = void (*)(bool sourceReplaced);
// One observer; nullptr removes it.
CORVANE_PLATFORM_EXPORT void SetMountTableObserver(MountTableObserver observer);

// Two snapshots of the drives compared: a drive is the same when its mount
// point, source and file-system type are, so a medium exchanged between two
// looks shows as a removal and an arrival.
struct CORVANE_PLATFORM_EXPORT DriveChanges {
    std::vector<Drive> Arrived; // in the order of current
    std::vector<Drive> Removed; // in the order of previous
    bool Empty() const { return Arrived.empty() && Removed.empty(); }
};
CORVANE_PLATFORM_EXPORT DriveChanges Diff(const std::vector<Drive>& previous,
                                          const std::vector<Drive>& current);

// path with repeated and trailing slashes removed ("/" stays "/"); no other
// change, nothing is resolved. Empty for a relative or empty path.
CORVANE_PLATFORM_EXPORT std::string NormalizeMountPath(std::string_view path);
// The drive whose mount point is the longest whole-component prefix of the
// absolute path; nullptr when none is.
CORVANE_PLATFORM_EXPORT const Drive* FindDriveOf(const std::vector<Drive>& drives, std::string_view path);
// The same over every mount of a table (user-visible or not, last one wins).
CORVANE_PLATFORM_EXPORT const MountEntry* FindMountOf(const std::vector<MountEntry>& entries,
                                                      std::string_view path);

} // namespace win32
