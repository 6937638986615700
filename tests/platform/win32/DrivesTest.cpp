// Drive roots, drive types and disk space over a recorded mount table.

#include "win32/Drives.h"
#include "win32/Errors.h"
#include "win32/MountTesting.h"

#include "PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using win32::testing::ScopedMountSource;
using win32::testing::TextMountSource;

namespace {

std::shared_ptr<TextMountSource> Source()
{
    // /home is a mount of the system's own, no drive.
    auto source = kwtest::SampleMountSource("40 1 8:3 / /home rw - ext4 /dev/sda3 rw\n");
    source->SetSpace("/", {1000, 400, 300});
    source->SetSpace("/media/me/USB STICK", {4000000000ull * 4, 10, 10});
    return source;
}

} // namespace

TEST(Drives, DriveTypeOfRoots)
{
    ScopedMountSource use(Source());
    EXPECT_EQ(GetDriveTypeA("/"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveTypeA("/media/me/USB STICK/"), DRIVE_REMOVABLE);
    EXPECT_EQ(GetDriveTypeA("/media/me/USB STICK"), DRIVE_REMOVABLE);
    EXPECT_EQ(GetDriveTypeA("/media/me/disc"), DRIVE_CDROM);
    EXPECT_EQ(GetDriveTypeA("/mnt/scratch/"), DRIVE_RAMDISK);
    EXPECT_EQ(GetDriveTypeA("/mnt/nas"), DRIVE_REMOTE);
    // Only roots answer, as on the system.
    EXPECT_EQ(GetDriveTypeA("/media/me/USB STICK/photos"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveTypeA("/proc"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveTypeA("/home"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveTypeA(""), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveTypeA("media/me/CD"), DRIVE_NO_ROOT_DIR);
    // No path: the drive of the current directory (below "/" in this table).
    EXPECT_EQ(GetDriveTypeA(nullptr), DRIVE_FIXED);
}

TEST(Drives, UnreadableTable)
{
    auto source = Source();
    source->SetReadError(EACCES);
    ScopedMountSource use(source);
    SetLastError(0);
    EXPECT_EQ(GetDriveTypeA("/"), DRIVE_UNKNOWN);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetLogicalDrives(), 0u);
    char buffer[64] = "untouched";
    EXPECT_EQ(GetLogicalDriveStringsA(sizeof buffer, buffer), 0u);
    EXPECT_STREQ(buffer, "untouched");
}

TEST(Drives, LogicalDriveStrings)
{
    ScopedMountSource use(Source());
    EXPECT_EQ(GetLogicalDrives(), 0x1Fu); // five drives

    const char expected[] = "/\0/media/me/USB STICK/\0/media/me/disc/\0/mnt/nas/\0/mnt/scratch/\0";
    const DWORD needed = sizeof expected; // with the list's final zero
    EXPECT_EQ(GetLogicalDriveStringsA(0, nullptr), needed);

    std::vector<char> small(needed - 1, 'x');
    EXPECT_EQ(GetLogicalDriveStringsA(static_cast<DWORD>(small.size()), small.data()), needed);
    EXPECT_EQ(small, std::vector<char>(needed - 1, 'x')) << "a short buffer stays untouched";

    std::vector<char> buffer(needed, 'x');
    EXPECT_EQ(GetLogicalDriveStringsA(needed, buffer.data()), needed - 1);
    EXPECT_EQ(std::memcmp(buffer.data(), expected, needed), 0);

    std::vector<std::string> roots;
    ASSERT_TRUE(win32::LogicalDriveRoots(roots));
    EXPECT_EQ(roots.size(), 5u);
    EXPECT_EQ(roots[1], "/media/me/USB STICK");
}

TEST(Drives, DiskFreeSpace)
{
    ScopedMountSource use(Source());
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("/media/me/USB STICK/photos", &available, &total, &free));
    EXPECT_EQ(total.QuadPart, 16000000000ull);
    EXPECT_EQ(total.u.HighPart, 3u) << "more than 32 bits";
    EXPECT_EQ(free.QuadPart, 10u);

    ASSERT_TRUE(GetDiskFreeSpaceExA("/etc", &available, nullptr, nullptr));
    EXPECT_EQ(available.QuadPart, 300u);

    SetLastError(0);
    EXPECT_FALSE(GetDiskFreeSpaceExA("", &available, &total, &free));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(Drives, DiskFreeSpaceOfTheSystem)
{
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("/", &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_GE(free.QuadPart, available.QuadPart);
    ASSERT_TRUE(GetDiskFreeSpaceExA(nullptr, &available, &total, &free)) << "the current directory";
    SetLastError(0);
    EXPECT_FALSE(GetDiskFreeSpaceExA("/no/such/folder", &available, &total, &free));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(GetDriveTypeA("/"), DRIVE_NO_ROOT_DIR);
    EXPECT_NE(GetLogicalDrives() & 1u, 0u) << "the root is always the first drive";
}
