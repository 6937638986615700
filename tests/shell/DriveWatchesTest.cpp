// The folders the shell tree watches for a drive, over a recorded mount table.

#include "UKwShellControls_DriveWatches_p.h"

#include "win32/MountTesting.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using kw::DriveWatchFolders;
using kw::DriveWatchFoldersOf;
using Folders = std::vector<std::string>;

namespace {

// "/" on ext4 with /home and /tmp on file systems of their own, the
// system's pseudo file systems, a read-only snap image, a removable stick
// with a hidden mount below it (no drive), and an NFS share with another
// share below it (a drive of its own).
const std::string kTable = "1 0 8:2 / / rw,relatime - ext4 /dev/sda2 rw\n"
                           "20 1 0:20 / /proc rw - proc proc rw\n"
                           "21 1 0:6 / /dev rw - devtmpfs devtmpfs rw\n"
                           "22 21 0:22 / /dev/shm rw - tmpfs tmpfs rw\n"
                           "23 1 0:21 / /sys rw - sysfs sysfs rw\n"
                           "24 23 0:27 / /sys/fs/cgroup rw - tmpfs tmpfs rw\n"
                           "30 1 8:3 / /home rw,relatime - ext4 /dev/sda3 rw\n"
                           "31 1 0:30 / /tmp rw,nosuid - tmpfs tmpfs rw\n"
                           "32 1 7:0 / /snap/core/123 ro,nodev,relatime - squashfs /dev/loop0 ro\n"
                           "33 1 8:17 / /media/me/STICK rw - vfat /dev/sdb1 rw\n"
                           "34 1 0:40 / /mnt/nas rw - nfs4 server:/export rw\n"
                           "35 34 0:41 / /mnt/nas/scratch rw - nfs4 server:/scratch rw\n"
                           "36 33 0:42 / /media/me/STICK/.cache rw - tmpfs tmpfs rw\n";

struct Case {
    const char* Name;
    std::string Extra; // more lines of the table
    const char* Asked;
    Folders Expected;
};

const Case kCases[] = {
    {"the root: its own mounts that change, no pseudo, read-only or drive", "", "/", {"/", "/home", "/tmp"}},
    {"a drive below a drive is left to it", "", "/mnt/nas", {"/mnt/nas"}},
    {"the drive below", "", "/mnt/nas/scratch", {"/mnt/nas/scratch"}},
    {"the stick keeps the mount below it",
     "",
     "/media/me/STICK",
     {"/media/me/STICK", "/media/me/STICK/.cache"}},
    {"a trailing slash names the same drive", "", "/mnt/nas/", {"/mnt/nas"}},
    {"a mount that is no drive is asked for nothing", "", "/home", {}},
    {"a folder is no drive root", "", "/home/me", {}},
    {"a read-only remount of /home leaves it out",
     "40 1 8:3 / /home ro,relatime - ext4 /dev/sda3 ro\n",
     "/",
     {"/", "/tmp"}},
    {"a rw mount below a read-only one is watched",
     "41 32 0:50 / /snap/core/123/var rw - tmpfs tmpfs rw\n",
     "/",
     {"/", "/home", "/snap/core/123/var", "/tmp"}},
    {"a pseudo file system is never watched",
     "42 1 0:51 / /srv/auto rw - autofs systemd-1 rw\n",
     "/",
     {"/", "/home", "/tmp"}},
};

} // namespace

TEST(DriveWatches, WhatEachDriveWatches)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        auto source = std::make_shared<win32::testing::TextMountSource>(kTable + c.Extra);
        source->SetDevice("/media/me/STICK", {true, true, false});
        win32::testing::ScopedMountSource use(source);
        std::vector<win32::MountEntry> mounts;
        ASSERT_TRUE(source->ReadMounts(mounts));
        const std::vector<win32::Drive> drives = win32::UserVisibleDrives(mounts, *source);
        EXPECT_EQ(DriveWatchFolders(c.Asked, mounts, drives), c.Expected);
    }
}

TEST(DriveWatches, TheDriveOfAPathFromTheCurrentSource)
{
    auto source = std::make_shared<win32::testing::TextMountSource>(kTable);
    win32::testing::ScopedMountSource use(source);
    struct PathCase {
        const char* Path;
        Folders Expected;
    };
    const PathCase cases[] = {
        {"/home/me/Documents", {"/", "/home", "/tmp"}},
        {"/mnt/nas/scratch/x", {"/mnt/nas/scratch"}},
        {"/media/me/STICK/.cache/y", {"/media/me/STICK", "/media/me/STICK/.cache"}},
        {"relative/path", {}},
        {"", {}},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(DriveWatchFoldersOf(c.Path), c.Expected) << c.Path;
    source->SetReadError(EACCES);
    EXPECT_EQ(DriveWatchFoldersOf("/home"), Folders{}) << "an unreadable table watches nothing";
}
