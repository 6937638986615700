// Moving items to the user's trash (under a temporary HOME and data home)
// and reading them back: odd names, repeated names, folders, failures.

#include "shell32/ShellTesting.h"
#include "shell32/Trash.h"
#include "shell32/UserDirs.h"
#include "win32/Errors.h"

#include "PlatformTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using kwtest::RunAndRead;
using kwtest::ScopedEnv;
using kwtest::WriteFile;

namespace {

std::int64_t Seconds(const shell32::TrashDate& d)
{
    std::tm t{};
    t.tm_year = d.Year - 1900;
    t.tm_mon = d.Month - 1;
    t.tm_mday = d.Day;
    t.tm_hour = d.Hour;
    t.tm_min = d.Minute;
    t.tm_sec = d.Second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

// A temporary HOME with its data home below it, seen by the shell's places.
struct TemporaryHome {
    kwtest::TempDir temp;
    ScopedEnv home{"HOME", temp / "home"};
    ScopedEnv dataHome{"XDG_DATA_HOME", temp / "home/data"};
    TemporaryHome()
    {
        shell32::testing::ResetCachedLocations();
        std::filesystem::create_directories(temp / "home/data");
    }
    ~TemporaryHome() { shell32::testing::ResetCachedLocations(); }
};

} // namespace

TEST(TrashWrite, ItemsComeBackWhole)
{
    TemporaryHome home;
    const kwtest::TempDir& temp = home.temp;
    std::filesystem::create_directories(temp / "home/work/sub");
    std::filesystem::create_directories(temp / "home/work/folder/inner");
    const std::string work = temp / "home/work";
    const std::string trash = shell32::TrashDirectory();

    const struct {
        std::string path;
        std::string content; // empty for the folder
        std::string trashName;
    } cases[] = {
        {work + "/plain.txt", "plain", "plain.txt"},
        {work + "/line\nbreak", "newline", "line\nbreak"},
        {work + "/bad\xFF\xFEutf8", "bytes", "bad\xFF\xFEutf8"},
        {work + "/same", "first", "same"},
        {work + "/sub/same", "second", "same.2"},
        {work + "/folder", "", "folder"},
    };
    for (const auto& c : cases)
        if (!c.content.empty())
            WriteFile(c.path, c.content);
    WriteFile(work + "/folder/inner/x", "inside");

    const std::time_t before = std::time(nullptr);
    for (const auto& c : cases) {
        shell32::TrashedItem trashed;
        ASSERT_EQ(shell32::MoveToTrash(c.path, &trashed), ERROR_SUCCESS) << c.path;
        EXPECT_EQ(trashed.TrashDirectory, trash);
        EXPECT_EQ(trashed.Name, c.trashName);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(c.path))) << c.path;
    }
    const std::time_t after = std::time(nullptr);

    for (const auto& c : cases) {
        shell32::TrashEntry entry;
        ASSERT_TRUE(shell32::ReadTrashEntry(trash, c.trashName, entry)) << c.path;
        ASSERT_TRUE(entry.Info) << c.path;
        EXPECT_EQ(entry.Info->OriginalPath, c.path);
        ASSERT_TRUE(entry.Info->DeletionDate) << c.path;
        const std::int64_t when = Seconds(*entry.Info->DeletionDate);
        EXPECT_GE(when, before - 1);
        EXPECT_LE(when, after + 1);
        if (!c.content.empty())
            EXPECT_EQ(kwtest::ReadFile(trash + "/files/" + c.trashName), c.content);
        else
            EXPECT_EQ(kwtest::ReadFile(trash + "/files/" + c.trashName + "/inner/x"), "inside");
    }
    struct stat st;
    ASSERT_EQ(::stat(trash.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Another tool sees the same original paths.
    if (RunAndRead("command -v trash-list").empty()) {
        std::fprintf(stderr, "*** trash-list is not installed: its check of the trash is SKIPPED ***\n");
    } else {
        const std::string listed = RunAndRead("trash-list 2>&1");
        for (const auto& c : cases) {
            if (c.path.find('\n') != std::string::npos || c.path.find('\xFF') != std::string::npos)
                continue; // shown in the tool's own way
            EXPECT_NE(listed.find(c.path), std::string::npos) << c.path << " in:\n" << listed;
        }
        EXPECT_NE(listed.find(work + "/line"), std::string::npos) << listed;
    }
}

TEST(TrashWrite, FailuresLeaveNothingBehind)
{
    TemporaryHome home;
    const kwtest::TempDir& temp = home.temp;
    const std::string trash = shell32::TrashDirectory();

    const struct {
        std::string path;
        DWORD error;
    } cases[] = {
        {temp / "home/missing", ERROR_FILE_NOT_FOUND},
        {temp / "home/nofolder/missing", ERROR_PATH_NOT_FOUND},
        {temp / "home/data", ERROR_ACCESS_DENIED}, // holds the trash
    };
    for (const auto& c : cases) {
        ::SetLastError(0);
        EXPECT_EQ(shell32::MoveToTrash(c.path), c.error) << c.path;
        EXPECT_EQ(::GetLastError(), c.error) << c.path;
        const bool infoEmpty =
            !std::filesystem::exists(trash + "/info") || std::filesystem::is_empty(trash + "/info");
        EXPECT_TRUE(infoEmpty) << c.path;
    }

    // A name taken in files/ without its info is skipped, never replaced.
    WriteFile(temp / "home/taken", "new");
    std::filesystem::create_directories(trash + "/files");
    WriteFile(trash + "/files/taken", "old");
    shell32::TrashedItem trashed;
    ASSERT_EQ(shell32::MoveToTrash(temp / "home/taken", &trashed), ERROR_SUCCESS);
    EXPECT_EQ(trashed.Name, "taken.2");
    EXPECT_EQ(kwtest::ReadFile(trash + "/files/taken"), "old");
    EXPECT_FALSE(std::filesystem::exists(trash + "/info/taken.trashinfo"));
}

TEST(TrashWrite, OtherFileSystemsHaveTheirOwnTrash)
{
    TemporaryHome home;
    const std::string top = "/dev/shm";
    const std::string uid = std::to_string(::getuid());
    struct stat topStat, homeStat;
    if (::stat(top.c_str(), &topStat) != 0 || ::stat(home.temp.Path().c_str(), &homeStat) != 0 ||
        topStat.st_dev == homeStat.st_dev)
        GTEST_SKIP() << top << " is no file system of its own here";
    if (std::filesystem::exists(top + "/.Trash") || std::filesystem::exists(top + "/.Trash-" + uid))
        GTEST_SKIP() << top << " has a trash already, which this test does not touch";

    const struct {
        const char* name;
        int sharedMode; // -1: no shared .Trash
        std::string trash;
    } cases[] = {
        {"no shared trash", -1, top + "/.Trash-" + uid},
        {"a sticky shared trash", 01777, top + "/.Trash/" + uid},
        {"a shared trash without the sticky bit is not used", 0777, top + "/.Trash-" + uid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = top + "/corvane-trash-" + std::to_string(::getpid());
        std::filesystem::create_directories(folder);
        WriteFile(folder + "/a b.txt", "x");
        if (c.sharedMode >= 0) {
            ASSERT_EQ(::mkdir((top + "/.Trash").c_str(), 0700), 0);
            ::chmod((top + "/.Trash").c_str(), static_cast<mode_t>(c.sharedMode));
        }
        shell32::TrashedItem trashed;
        EXPECT_EQ(shell32::MoveToTrash(folder + "/a b.txt", &trashed), ERROR_SUCCESS);
        EXPECT_EQ(trashed.TrashDirectory, c.trash);
        // Recorded relative to the top of the file system, read back whole.
        const std::string info = kwtest::ReadFile(c.trash + "/info/a b.txt.trashinfo");
        EXPECT_NE(info.find("\nPath=corvane-trash-" + std::to_string(::getpid()) + "/a%20b.txt\n"),
                  std::string::npos)
            << info;
        shell32::TrashEntry entry;
        ASSERT_TRUE(shell32::ReadTrashEntry(c.trash, "a b.txt", entry));
        ASSERT_TRUE(entry.Info);
        EXPECT_EQ(entry.Info->OriginalPath, folder + "/a b.txt");
        std::filesystem::remove_all(top + "/.Trash");
        std::filesystem::remove_all(top + "/.Trash-" + uid);
        std::filesystem::remove_all(folder);
    }
}

TEST(TrashWrite, NeverCopiesAcrossDevices)
{
    // The home's trash kept on another file system than the home: the item
    // stays where it is, and the info file made for it goes again.
    kwtest::TempDir temp;
    const std::string data = "/dev/shm/corvane-data-" + std::to_string(::getpid());
    if (!kwtest::ShmIsAnotherFileSystem(temp.Path()))
        GTEST_SKIP() << "no second file system at /dev/shm";
    ScopedEnv home("HOME", temp.Path());
    ScopedEnv dataHome("XDG_DATA_HOME", data);
    shell32::testing::ResetCachedLocations();
    WriteFile(temp / "kept.txt", "kept");
    EXPECT_EQ(shell32::MoveToTrash(temp / "kept.txt"), ERROR_NOT_SAME_DEVICE);
    EXPECT_EQ(kwtest::ReadFile(temp / "kept.txt"), "kept");
    EXPECT_TRUE(std::filesystem::is_empty(data + "/Trash/info"));
    EXPECT_TRUE(std::filesystem::is_empty(data + "/Trash/files"));
    std::filesystem::remove_all(data);
    shell32::testing::ResetCachedLocations();
}
