// The mount table: parsing recorded tables with libmount, which mounts are
// drives, what kind they are, and what changes between two looks.

#include "win32/MountTable.h"
#include "win32/MountTesting.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>

using win32::Drive;
using win32::DriveKind;
using win32::MountEntry;
using win32::testing::TextMountSource;

namespace {

// A desktop: a USB stick (with a space in its label), a CD, sshfs in the
// home folder, NFS and SMB shares and a RAM disk under /mnt, a bind mount
// of a subfolder, snaps, container volumes, and the usual system mounts.
const char* const kDesktop =
    "1 0 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "22 1 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw\n"
    "23 1 0:22 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw\n"
    "24 1 0:5 / /dev rw,nosuid,relatime shared:8 - devtmpfs udev rw,size=8000000k,mode=755\n"
    "25 24 0:23 / /dev/pts rw,nosuid,noexec,relatime shared:9 - devpts devpts rw,gid=5,mode=620\n"
    "26 1 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1600000k,mode=755\n"
    "27 23 0:25 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:4 - cgroup2 cgroup2 rw\n"
    "28 1 8:1 / /boot/efi rw,relatime shared:30 - vfat /dev/sda1 rw,fmask=0077\n"
    "29 1 8:3 / /home rw,relatime shared:31 - ext4 /dev/sda3 rw\n"
    "30 1 7:0 / /snap/core22/1033 ro,nodev,relatime shared:32 - squashfs /dev/loop0 ro\n"
    "31 26 0:40 / /run/user/1000 rw,nosuid,nodev,relatime shared:400 - tmpfs tmpfs rw,mode=700,uid=1000\n"
    "32 31 0:41 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:420 - fuse.gvfsd-fuse gvfsd-fuse "
    "rw,user_id=1000,group_id=1000\n"
    "33 31 0:42 / /run/user/1000/doc rw,nosuid,nodev,relatime shared:430 - fuse.portal portal rw\n"
    "34 26 8:17 / /media/me/USB\\040STICK rw,nosuid,nodev,relatime shared:500 - vfat /dev/sdb1 "
    "rw,fmask=0022\n"
    "35 26 11:0 / /media/me/UBUNTU_22 ro,nosuid,nodev,relatime shared:510 - iso9660 /dev/sr0 ro,nojoliet\n"
    "36 29 0:50 / /home/me/remote rw,nosuid,nodev,relatime shared:520 - fuse.sshfs me@server:/srv rw\n"
    "37 1 0:51 / /mnt/scratch rw,relatime shared:530 - tmpfs tmpfs rw,size=1048576k\n"
    "38 1 8:3 /me/projects /mnt/projects rw,relatime shared:31 - ext4 /dev/sda3 rw\n"
    "39 1 0:52 / /mnt/nas rw,relatime shared:540 - nfs4 nas.local:/export rw,vers=4.2\n"
    "40 1 0:53 / /var/lib/kubelet/pods/x/volumes/nfs rw - nfs 10.0.0.1:/vol rw\n"
    "41 1 0:54 / /mnt/.snapshots rw - btrfs /dev/sda4 rw\n"
    "42 26 8:33 / /media/me/Data rw - ext4 /dev/sdc1 rw\n"
    "43 1 0:56 / /mnt/share rw - cifs //server/share rw\n"
    "44 1 0:57 / /mnt/chroot/proc rw - proc proc rw\n"
    "45 1 0:58 / /var/lib/docker/overlay2/abc/merged rw - overlay overlay rw,lowerdir=/a,upperdir=/b\n"
    "46 26 0:59 / /run/media/me/Camera rw - exfat /dev/sdd1 rw\n";

std::shared_ptr<TextMountSource> DesktopSource()
{
    auto source = std::make_shared<TextMountSource>(kDesktop);
    source->SetDevice("/media/me/USB STICK", {true, true, false});
    source->SetDevice("/media/me/UBUNTU_22", {true, true, true});
    source->SetDevice("/media/me/Data", {true, false, false});
    source->SetDevice("/run/media/me/Camera", {true, true, false});
    source->SetLabel("/media/me/USB STICK", "USB STICK");
    source->SetLabel("/media/me/Data", "Data");
    source->SetLabel("/mnt/nas", "never asked of a network drive");
    return source;
}

std::vector<Drive> DrivesOf(TextMountSource& source)
{
    std::vector<MountEntry> entries;
    EXPECT_TRUE(source.ReadMounts(entries));
    return win32::UserVisibleDrives(entries, source);
}

std::vector<std::string> MountPoints(const std::vector<Drive>& drives)
{
    std::vector<std::string> result;
    for (const Drive& drive : drives)
        result.push_back(drive.MountPoint);
    return result;
}

MountEntry Entry(std::string mountPoint, std::string fsType)
{
    MountEntry entry;
    entry.MountPoint = std::move(mountPoint);
    entry.FsType = std::move(fsType);
    return entry;
}

} // namespace

TEST(MountTable, ParsesMountInfoWithLibmount)
{
    std::vector<MountEntry> entries;
    ASSERT_TRUE(win32::ParseMountTable(kDesktop, entries));
    ASSERT_EQ(entries.size(), 26u);

    const MountEntry& stick = entries[13];
    EXPECT_EQ(stick.MountPoint, "/media/me/USB STICK"); // "\040" unescaped
    EXPECT_EQ(stick.FsType, "vfat");
    EXPECT_EQ(stick.Source, "/dev/sdb1");
    EXPECT_EQ(stick.Id, 34);
    EXPECT_EQ(stick.ParentId, 26);
    EXPECT_EQ(stick.Major, 8u);
    EXPECT_EQ(stick.Minor, 17u);
    EXPECT_EQ(stick.Root, "/");

    const MountEntry& bind = entries[17];
    EXPECT_EQ(bind.MountPoint, "/mnt/projects");
    EXPECT_EQ(bind.Root, "/me/projects");

    // A malformed line is skipped; the lines around it still count.
    std::vector<MountEntry> partial;
    ASSERT_TRUE(win32::ParseMountTable("1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                                       "this is not a mount\n"
                                       "34 1 8:17 / /media/x rw - vfat /dev/sdb1 rw\n",
                                       partial));
    ASSERT_EQ(partial.size(), 2u);
    EXPECT_EQ(partial[1].MountPoint, "/media/x");

    std::vector<MountEntry> none{Entry("/stale", "ext4")};
    ASSERT_TRUE(win32::ParseMountTable("", none));
    EXPECT_TRUE(none.empty());
}

TEST(MountTable, UserVisibleDrivesOfADesktop)
{
    auto source = DesktopSource();
    const std::vector<Drive> drives = DrivesOf(*source);
    const std::vector<std::string> expected = {
        "/",        "/home/me/remote", "/media/me/Data", "/media/me/UBUNTU_22", "/media/me/USB STICK",
        "/mnt/nas", "/mnt/projects",   "/mnt/scratch",   "/mnt/share",          "/run/media/me/Camera"};
    ASSERT_EQ(MountPoints(drives), expected);

    const auto kindOf = [&](const std::string& mountPoint) {
        for (const Drive& drive : drives) {
            if (drive.MountPoint == mountPoint)
                return drive.Kind;
        }
        ADD_FAILURE() << mountPoint << " is not a drive";
        return DriveKind::Fixed;
    };
    EXPECT_EQ(kindOf("/"), DriveKind::Fixed);
    EXPECT_EQ(kindOf("/home/me/remote"), DriveKind::Remote);
    EXPECT_EQ(kindOf("/media/me/Data"), DriveKind::Fixed);
    EXPECT_EQ(kindOf("/media/me/UBUNTU_22"), DriveKind::CdRom);
    EXPECT_EQ(kindOf("/media/me/USB STICK"), DriveKind::Removable);
    EXPECT_EQ(kindOf("/mnt/nas"), DriveKind::Remote);
    EXPECT_EQ(kindOf("/mnt/projects"), DriveKind::Fixed);
    EXPECT_EQ(kindOf("/mnt/scratch"), DriveKind::RamDisk);
    EXPECT_EQ(kindOf("/mnt/share"), DriveKind::Remote);
    EXPECT_EQ(kindOf("/run/media/me/Camera"), DriveKind::Removable);

    EXPECT_EQ(drives[4].Label, "USB STICK");
    EXPECT_EQ(drives[4].Source, "/dev/sdb1");
    EXPECT_EQ(drives[4].FsType, "vfat");
    EXPECT_EQ(drives[5].Label, "") << "network drives have no label";
}

TEST(MountTable, VisibilityRules)
{
    // The root is always a drive, whatever its file system.
    EXPECT_TRUE(win32::IsUserVisibleMount(Entry("/", "rootfs")));
    EXPECT_TRUE(win32::IsUserVisibleMount(Entry("/", "overlay")));
    EXPECT_TRUE(win32::IsUserVisibleMount(Entry("/mnt", "ext4")));
    EXPECT_TRUE(win32::IsUserVisibleMount(Entry("/media", "ext4")));
    EXPECT_FALSE(win32::IsUserVisibleMount(Entry("/run/media", "tmpfs")));
    EXPECT_FALSE(win32::IsUserVisibleMount(Entry("/mntx", "ext4"))) << "whole components only";
    EXPECT_FALSE(win32::IsUserVisibleMount(Entry("/mediafoo/x", "ext4")));
    EXPECT_FALSE(win32::IsUserVisibleMount(Entry("/mnt/x", "")));
    EXPECT_FALSE(win32::IsUserVisibleMount(Entry("/mnt/x/sys", "sysfs")));
    EXPECT_FALSE(win32::IsUserVisibleMount(Entry("/media/me/auto", "autofs")));
    EXPECT_FALSE(win32::IsUserVisibleMount(Entry("relative", "ext4")));
    EXPECT_TRUE(win32::IsUserVisibleMount(Entry("/srv/share", "nfs")));
    EXPECT_TRUE(win32::IsUserVisibleMount(Entry("/run/media/me/share", "cifs")));
    EXPECT_FALSE(win32::IsUserVisibleMount(Entry("/run/user/1000/share", "cifs")));
    EXPECT_FALSE(win32::IsUserVisibleMount(Entry("/home/me/.cache/share", "fuse.sshfs")));

    // Kinds.
    EXPECT_EQ(win32::ClassifyDrive(Entry("/m", "udf"), {}), DriveKind::CdRom);
    EXPECT_EQ(win32::ClassifyDrive(Entry("/m", "udf"), {true, true, false}), DriveKind::Removable);
    EXPECT_EQ(win32::ClassifyDrive(Entry("/m", "udf"), {true, false, true}), DriveKind::CdRom);
    EXPECT_EQ(win32::ClassifyDrive(Entry("/m", "ext4"), {true, true, true}), DriveKind::CdRom);
    EXPECT_EQ(win32::ClassifyDrive(Entry("/m", "ramfs"), {}), DriveKind::RamDisk);
    EXPECT_EQ(win32::ClassifyDrive(Entry("/m", "9p"), {true, true, false}), DriveKind::Remote);
    EXPECT_EQ(win32::ClassifyDrive(Entry("/m", "ext4"), {}), DriveKind::Fixed);
}

TEST(MountTable, LaterMountHidesEarlierOneAtTheSamePlace)
{
    TextMountSource source("1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                           "30 1 8:17 / /media/me/Stick rw - vfat /dev/sdb1 rw\n"
                           "31 1 0:40 / /media/me/Stick/ rw - proc proc rw\n"
                           "32 1 0:41 / //mnt//disk/ rw - ext4 /dev/sdc1 rw\n");
    const std::vector<Drive> drives = DrivesOf(source);
    // The stick is covered by a pseudo file system: no drive there at all.
    EXPECT_EQ(MountPoints(drives), (std::vector<std::string>{"/", "/mnt/disk"}));
}

TEST(MountTable, DiffOfTwoLooks)
{
    auto source = DesktopSource();
    const std::vector<Drive> before = DrivesOf(*source);

    // The stick is pulled, another medium appears at the same place, and a
    // new share is mounted.
    std::string text = kDesktop;
    const std::string stickLine = "34 26 8:17 / /media/me/USB\\040STICK rw,nosuid,nodev,relatime shared:500 "
                                  "- vfat /dev/sdb1 rw,fmask=0022\n";
    text.erase(text.find(stickLine), stickLine.size());
    text = text.replace(text.find("/dev/sr0"), 8, "/dev/sr1");
    text += "50 1 0:70 / /mnt/backup rw - nfs backup:/b rw\n";
    source->SetText(text);
    const std::vector<Drive> after = DrivesOf(*source);

    const win32::DriveChanges changes = win32::Diff(before, after);
    EXPECT_EQ(MountPoints(changes.Arrived), (std::vector<std::string>{"/media/me/UBUNTU_22", "/mnt/backup"}));
    EXPECT_EQ(MountPoints(changes.Removed),
              (std::vector<std::string>{"/media/me/UBUNTU_22", "/media/me/USB STICK"}));
    EXPECT_EQ(changes.Removed[1].Kind, DriveKind::Removable);
    EXPECT_FALSE(changes.Empty());

    EXPECT_TRUE(win32::Diff(after, after).Empty());
    EXPECT_EQ(win32::Diff({}, after).Arrived.size(), after.size());
    EXPECT_EQ(win32::Diff(before, {}).Removed.size(), before.size());
}

TEST(MountTable, PathsAndTheirDrives)
{
    EXPECT_EQ(win32::NormalizeMountPath("/"), "/");
    EXPECT_EQ(win32::NormalizeMountPath("//"), "/");
    EXPECT_EQ(win32::NormalizeMountPath("/mnt//x///"), "/mnt/x");
    EXPECT_EQ(win32::NormalizeMountPath("mnt/x"), "");
    EXPECT_EQ(win32::NormalizeMountPath(""), "");

    auto source = DesktopSource();
    const std::vector<Drive> drives = DrivesOf(*source);
    const auto holder = [&](const char* path) {
        const Drive* drive = win32::FindDriveOf(drives, path);
        return drive ? drive->MountPoint : std::string("(none)");
    };
    EXPECT_EQ(holder("/media/me/USB STICK/photos/a.jpg"), "/media/me/USB STICK");
    EXPECT_EQ(holder("/media/me/USB STICKY"), "/");
    EXPECT_EQ(holder("/mnt/nas"), "/mnt/nas");
    EXPECT_EQ(holder("/etc/passwd"), "/");
    EXPECT_EQ(holder("relative"), "(none)");

    std::vector<MountEntry> entries;
    ASSERT_TRUE(source->ReadMounts(entries));
    const MountEntry* home = win32::FindMountOf(entries, "/home/me/.local/share/Trash");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(home->MountPoint, "/home");
    EXPECT_EQ(win32::FindMountOf(entries, "/proc/self")->FsType, "proc");
}

TEST(MountTable, SystemSourceReadsTheKernelTable)
{
    // The system source and the text parser agree on the live table.
    std::ifstream file("/proc/self/mountinfo");
    std::stringstream text;
    text << file.rdbuf();
    std::vector<MountEntry> parsed;
    ASSERT_TRUE(win32::ParseMountTable(text.str(), parsed));

    std::vector<MountEntry> read;
    ASSERT_TRUE(win32::CurrentMountSource()->ReadMounts(read));
    ASSERT_EQ(read.size(), parsed.size());
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].MountPoint, parsed[i].MountPoint);
        EXPECT_EQ(read[i].FsType, parsed[i].FsType);
    }

    std::vector<Drive> drives;
    ASSERT_TRUE(win32::ReadUserVisibleDrives(drives));
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front().MountPoint, "/");

    win32::DriveSpace space;
    ASSERT_TRUE(win32::CurrentMountSource()->QuerySpace("/", space));
    EXPECT_GT(space.Total, 0u);
    EXPECT_GE(space.Total, space.Free);
    EXPECT_GE(space.Free, space.AvailableToCaller);
    errno = 0;
    EXPECT_FALSE(win32::CurrentMountSource()->QuerySpace("/no/such/folder/here", space));
    EXPECT_EQ(errno, ENOENT);
}

TEST(MountTable, ReplacedSourceIsUsedAndRestored)
{
    auto source = std::make_shared<TextMountSource>("1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                                                    "2 1 8:17 / /media/only rw - vfat /dev/sdb1 rw\n");
    {
        win32::testing::ScopedMountSource use(source);
        EXPECT_EQ(win32::CurrentMountSource().get(), source.get());
        std::vector<Drive> drives;
        ASSERT_TRUE(win32::ReadUserVisibleDrives(drives));
        EXPECT_EQ(MountPoints(drives), (std::vector<std::string>{"/", "/media/only"}));

        source->SetReadError(EACCES);
        errno = 0;
        EXPECT_FALSE(win32::ReadUserVisibleDrives(drives));
        EXPECT_EQ(errno, EACCES);
    }
    EXPECT_NE(win32::CurrentMountSource().get(), source.get());
    EXPECT_EQ(source.use_count(), 1);
}

TEST(MountTable, ProbesOnlyWhenTheTableChanges)
{
    auto source = std::make_shared<TextMountSource>("1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                                                    "2 1 8:17 / /media/stick rw - vfat /dev/sdb1 rw\n");
    win32::testing::ScopedMountSource use(source);
    std::vector<Drive> drives;
    ASSERT_TRUE(win32::ReadUserVisibleDrives(drives));
    const int probes = source->DeviceProbes();
    EXPECT_EQ(probes, 2);
    ASSERT_TRUE(win32::ReadUserVisibleDrives(drives));
    EXPECT_EQ(source->DeviceProbes(), probes) << "same table: the last answer";
    EXPECT_EQ(drives[1].Kind, DriveKind::Fixed);

    // A changed answer of the source is seen at once.
    source->SetDevice("/media/stick", {true, true, false});
    ASSERT_TRUE(win32::ReadUserVisibleDrives(drives));
    EXPECT_EQ(drives[1].Kind, DriveKind::Removable);

    // So is a changed table: the stick went, another came at the same place.
    source->SetText("1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                    "3 1 8:33 / /media/stick rw - exfat /dev/sdc1 rw\n");
    ASSERT_TRUE(win32::ReadUserVisibleDrives(drives));
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[1].Source, "/dev/sdc1");
}
