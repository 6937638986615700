// Change notifications on real inotify, in temporary folders.

#include "PlatformTestSupport.h"

#include "win32/ChangeNotifications.h"
#include "win32/ChangeNotificationsTesting.h"
#include "win32/Errors.h"
#include "win32/Events.h"
#include "win32/ListedFoldersTesting.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

void Touch(const std::string& path, const std::string& content = {})
{
    std::ofstream(path, std::ios::binary) << content;
}

void Record(const std::string& path)
{
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0) << path;
    win32::RecordListedFolder(st.st_dev, st.st_ino, path);
}

bool Signalled(HANDLE handle)
{
    win32::testing::DrainChangeEvents();
    return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
}

int CountEntries(const char* dir)
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir))
        ++count;
    return count;
}

// A handle closed with the scope.
struct Watch {
    HANDLE Handle;
    Watch(const std::string& path, bool subtree, DWORD filter)
        : Handle(FindFirstChangeNotification(path.c_str(), subtree, filter))
    {
    }
    ~Watch()
    {
        if (Handle != INVALID_HANDLE_VALUE)
            FindCloseChangeNotification(Handle);
    }
};

class ChangeNotifications : public ::testing::Test {
protected:
    void SetUp() override
    {
        win32::testing::ResetListedFolders();
        fs::create_directories(Dir / "dir");
        Touch(Dir / "file", "x");
    }
    void TearDown() override
    {
        win32::testing::FailWatchAdds(0);
        win32::testing::ResetListedFolders();
        win32::testing::SetSubtreeWatchLimit(win32::kSubtreeWatchLimit);
    }
    kwtest::TempDir Dir;
};

struct FilterCase {
    const char* Name;
    DWORD Filter;
    std::function<void(const kwtest::TempDir&)> Act;
    bool Expected;
};
constexpr DWORD kDirs = FILE_NOTIFY_CHANGE_DIR_NAME;
constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
const auto kMakeDir = [](const kwtest::TempDir& d) { fs::create_directory(d / "new"); };
const auto kRemoveDir = [](const kwtest::TempDir& d) { fs::remove(d / "dir"); };
const auto kRenameDir = [](const kwtest::TempDir& d) { fs::rename(d / "dir", d / "dir2"); };
const auto kMakeFile = [](const kwtest::TempDir& d) { Touch(d / "new"); };
const auto kRemoveFile = [](const kwtest::TempDir& d) { fs::remove(d / "file"); };
const auto kRenameFile = [](const kwtest::TempDir& d) { fs::rename(d / "file", d / "file2"); };
const auto kWrite = [](const kwtest::TempDir& d) {
    std::ofstream(d / "file", std::ios::binary | std::ios::app) << "more";
};
const auto kChmod = [](const kwtest::TempDir& d) { ::chmod((d / "file").c_str(), 0600); };
const FilterCase kFilters[] = {
    {"dirs: folder made", kDirs, kMakeDir, true},
    {"dirs: folder removed", kDirs, kRemoveDir, true},
    {"dirs: folder renamed", kDirs, kRenameDir, true},
    {"dirs: file made", kDirs, kMakeFile, false},
    {"dirs: file removed", kDirs, kRemoveFile, false},
    {"dirs: file renamed", kDirs, kRenameFile, false},
    {"dirs: write", kDirs, kWrite, false},
    {"names: folder made", kNames, kMakeDir, true},
    {"names: file made", kNames, kMakeFile, true},
    {"names: file removed", kNames, kRemoveFile, true},
    {"names: file renamed", kNames, kRenameFile, true},
    {"names: write", kNames, kWrite, false},
    {"names: attributes", kNames, kChmod, false},
    {"last write: write", FILE_NOTIFY_CHANGE_LAST_WRITE, kWrite, true},
    {"last write: file made", FILE_NOTIFY_CHANGE_LAST_WRITE, kMakeDir, false},
    {"attributes: chmod", FILE_NOTIFY_CHANGE_ATTRIBUTES, kChmod, true},
};

TEST_F(ChangeNotifications, TheFilterSaysWhatSignals)
{
    for (const FilterCase& c : kFilters) {
        SCOPED_TRACE(c.Name);
        kwtest::TempDir dir;
        fs::create_directory(dir / "dir");
        Touch(dir / "file", "x");
        ::chmod((dir / "file").c_str(), 0644);
        Watch watch(dir.Path(), false, c.Filter);
        ASSERT_NE(watch.Handle, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(Signalled(watch.Handle));
        c.Act(dir);
        EXPECT_EQ(Signalled(watch.Handle), c.Expected);
    }
}

TEST_F(ChangeNotifications, WhatCannotBeWatched)
{
    struct Case {
        const char* Name;
        const char* Path;
        DWORD Filter;
        DWORD Error;
    };
    const std::string missing = Dir / "missing";
    const std::string file = Dir / "file";
    const Case cases[] = {
        {"null", nullptr, kNames, ERROR_INVALID_PARAMETER},
        {"empty", "", kNames, ERROR_PATH_NOT_FOUND},
        {"missing", missing.c_str(), kNames, ERROR_FILE_NOT_FOUND},
        {"a file", file.c_str(), kNames, ERROR_DIRECTORY},
        {"no filter", Dir.Path().c_str(), 0, ERROR_INVALID_PARAMETER},
        {"unknown filter bit", Dir.Path().c_str(), 0x80, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetLastError(0);
        EXPECT_EQ(FindFirstChangeNotification(c.Path, FALSE, c.Filter), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), c.Error);
    }
    const HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    SetLastError(0);
    EXPECT_FALSE(FindNextChangeNotification(event));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FindCloseChangeNotification(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT); // still open
    CloseHandle(event);
}

TEST_F(ChangeNotifications, ASignalStaysUntilRearmedAndLaterChangesAreKept)
{
    Watch watch(Dir.Path(), false, kNames);
    Touch(Dir / "a");
    EXPECT_TRUE(Signalled(watch.Handle));
    EXPECT_TRUE(Signalled(watch.Handle)); // a wait does not clear it
    EXPECT_TRUE(FindNextChangeNotification(watch.Handle));
    EXPECT_FALSE(Signalled(watch.Handle));

    // A change after a wait saw the signal survives the re-arm.
    Touch(Dir / "b");
    EXPECT_TRUE(Signalled(watch.Handle));
    Touch(Dir / "c");
    win32::testing::DrainChangeEvents();
    EXPECT_TRUE(FindNextChangeNotification(watch.Handle));
    EXPECT_TRUE(Signalled(watch.Handle));
    EXPECT_TRUE(FindNextChangeNotification(watch.Handle));
    EXPECT_FALSE(Signalled(watch.Handle));
}

// Changes that never stop (a build, a download) still signal: each read of
// the queue is told as it comes, not kept until the queue runs dry.
TEST_F(ChangeNotifications, AStreamOfChangesThatNeverStopsStillSignals)
{
    Watch watch(Dir.Path(), false, FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_LAST_WRITE);
    ASSERT_NE(watch.Handle, INVALID_HANDLE_VALUE);
    std::atomic<bool> stop{false};
    std::vector<std::thread> writers;
    for (int i = 0; i < 4; ++i) {
        const std::string path = Dir / ("stream" + std::to_string(i));
        Touch(path, "x");
        writers.emplace_back([path, &stop] {
            const int fd = ::open(path.c_str(), O_RDWR);
            for (mode_t mode = 0600; !stop.load(std::memory_order_relaxed); mode ^= 0040)
                ::fchmod(fd, mode);
            ::close(fd);
        });
    }
    // The stream runs before and after the watch's first change.
    const DWORD waited = WaitForSingleObject(watch.Handle, 10000);
    stop = true;
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(waited, WAIT_OBJECT_0);
}

TEST_F(ChangeNotifications, ASubtreeCoversTheListedFoldersOnly)
{
    fs::create_directories(Dir / "a/b");
    fs::create_directories(Dir / "never/seen");
    Record(Dir / "a/b"); // two levels down; a itself was never listed
    Watch watch(Dir.Path(), true, kNames);
    ASSERT_NE(watch.Handle, INVALID_HANDLE_VALUE);

    struct Case {
        const char* Name;
        std::string Path;
        bool Expected;
    };
    const Case cases[] = {
        {"listed, two levels down", Dir / "a/b/x", true},
        {"never listed", Dir / "never/seen/x", false},
        {"the folder itself", Dir / "x", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Touch(c.Path);
        EXPECT_EQ(Signalled(watch.Handle), c.Expected);
        FindNextChangeNotification(watch.Handle);
    }
    // Listed after the handle was opened: watched from then on.
    Record(Dir / "never/seen");
    Touch(Dir / "never/seen/y");
    EXPECT_TRUE(Signalled(watch.Handle));
}

TEST_F(ChangeNotifications, OneWatchPerFolderOfTheSubtree)
{
    for (const char* sub : {"a", "a/b", "c", "c/d/e"}) {
        fs::create_directories(Dir / sub);
        Record(Dir / sub);
    }
    Record(Dir.Path()); // the root itself is not watched twice
    {
        Watch watch(Dir.Path(), true, kDirs);
        EXPECT_EQ(kwtest::WatchesInInstance(), 5);
        Watch flat(Dir / "a", false, kDirs); // a shares its folder's watch
        EXPECT_EQ(kwtest::WatchesInInstance(), 5);
    }
    EXPECT_EQ(win32::testing::ChangeNotificationDescriptor(), -1);

    // Past the limit the nearest folders are watched and the handle says
    // that it may miss changes.
    win32::testing::SetSubtreeWatchLimit(3);
    Watch limited(Dir.Path(), true, kDirs);
    EXPECT_EQ(kwtest::WatchesInInstance(), 3);
    EXPECT_TRUE(Signalled(limited.Handle));
    EXPECT_TRUE(FindNextChangeNotification(limited.Handle));
    fs::create_directory(Dir / "a/new");
    EXPECT_TRUE(Signalled(limited.Handle));
}

// A closed subtree's watches leave the kernel, also many at once, while
// the folder another handle shares keeps its watch; a subtree opened again
// at once, while they are going, watches every folder again.
TEST_F(ChangeNotifications, AClosedSubtreesWatchesGoAndSharedOnesStay)
{
    constexpr int kFolders = 300; // more than the reader removes in one go
    for (int i = 0; i < kFolders; ++i) {
        fs::create_directory(Dir / ("s" + std::to_string(i)));
        Record(Dir / ("s" + std::to_string(i)));
    }
    struct Case {
        const char* Name;
        bool Reopen;
        int Watches; // the root, the folders, the flat handle's shared
    };
    const Case cases[] = {
        {"closed", false, 1},
        {"opened again at once", true, kFolders + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Watch flat(Dir / "s7", false, kNames);
        auto subtree = std::make_unique<Watch>(Dir.Path(), true, kNames);
        ASSERT_NE(subtree->Handle, INVALID_HANDLE_VALUE);
        EXPECT_EQ(kwtest::WatchesInInstance(), kFolders + 1);
        subtree.reset();
        if (c.Reopen)
            subtree = std::make_unique<Watch>(Dir.Path(), true, kNames);
        win32::testing::DrainChangeEvents();
        EXPECT_EQ(kwtest::WatchesInInstance(), c.Watches);
        const std::string made = std::string("/made by ") + c.Name;
        Touch(Dir / ("s7" + made));
        EXPECT_TRUE(Signalled(flat.Handle));
        if (subtree) {
            EXPECT_TRUE(Signalled(subtree->Handle));
            EXPECT_TRUE(FindNextChangeNotification(subtree->Handle));
            for (const char* folder : {"s0", "s150", "s299"}) {
                Touch(Dir / (folder + made));
                EXPECT_TRUE(Signalled(subtree->Handle)) << folder;
                EXPECT_TRUE(FindNextChangeNotification(subtree->Handle));
            }
        }
    }
    EXPECT_EQ(win32::testing::ChangeNotificationDescriptor(), -1);
}

TEST_F(ChangeNotifications, ASubfolderGoesAndTheHandleStays)
{
    fs::create_directories(Dir / "a/b");
    Record(Dir / "a/b");
    Watch watch(Dir.Path(), true, kDirs);
    fs::remove(Dir / "a/b");
    EXPECT_TRUE(Signalled(watch.Handle));
    EXPECT_TRUE(FindNextChangeNotification(watch.Handle));
    EXPECT_EQ(kwtest::WatchesInInstance(), 1);
    fs::create_directory(Dir / "c");
    EXPECT_TRUE(Signalled(watch.Handle));
    EXPECT_TRUE(FindNextChangeNotification(watch.Handle));
}

// A renamed folder is followed: the watches of its subtree move with it.
// A folder later made under its old name is a new one, watched only once it
// is listed. Only file names signal here, so that each step tells which
// watch saw it.
TEST_F(ChangeNotifications, ARenamedFolderIsFollowedAndANewOneUnderItsNameIsNew)
{
    fs::create_directories(Dir / "a/sub");
    Record(Dir / "a");
    Record(Dir / "a/sub");
    Watch watch(Dir.Path(), true, FILE_NOTIFY_CHANGE_FILE_NAME);
    ASSERT_NE(watch.Handle, INVALID_HANDLE_VALUE);

    struct Step {
        const char* Name;
        std::function<void()> Act;
        bool Expected;
    };
    const Step steps[] = {
        {"a renamed to b", [&] { fs::rename(Dir / "a", Dir / "b"); }, false},
        {"a file made in b", [&] { Touch(Dir / "b/x"); }, true},
        {"a file made in b/sub", [&] { Touch(Dir / "b/sub/x"); }, true},
        {"a new a made", [&] { fs::create_directory(Dir / "a"); }, false},
        {"a file made in the new a, never listed", [&] { Touch(Dir / "a/x"); }, false},
        {"a new a/sub made", [&] { fs::create_directory(Dir / "a/sub"); }, false},
        {"a file made in the new a/sub", [&] { Touch(Dir / "a/sub/x"); }, false},
        {"the new a listed, a file made in it", [&] { Record(Dir / "a"), Touch(Dir / "a/y"); }, true},
        {"b still watched", [&] { Touch(Dir / "b/y"); }, true},
        {"b/sub still watched", [&] { Touch(Dir / "b/sub/y"); }, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.Name);
        step.Act();
        EXPECT_EQ(Signalled(watch.Handle), step.Expected);
        EXPECT_TRUE(FindNextChangeNotification(watch.Handle));
    }
    EXPECT_EQ(kwtest::WatchesInInstance(), 4); // the root, b, b/sub, the new a
}

// Where a watched folder goes decides whether its subtree stays watched: into
// a watched folder of the subtree it is followed; anywhere else (out of the
// subtree, or into a folder of it that no one listed, where it cannot be
// told apart from outside) its watches go.
TEST_F(ChangeNotifications, AMovedFolderKeepsItsWatchesOnlyWhereTheSubtreeWatches)
{
    struct Case {
        const char* Name;
        const char* Via; // first moved there, if anywhere
        const char* To;  // from tree/a
        bool Watched;
        int Watches;
    };
    const Case cases[] = {
        {"renamed in place", nullptr, "tree/b", true, 4},
        {"into a listed folder", nullptr, "tree/listed/a", true, 4},
        {"deeper, then renamed there", "tree/listed/a", "tree/listed/a2", true, 4},
        {"out and back in", "outside/a", "tree/a", false, 2},
        {"out of the subtree", nullptr, "outside/a", false, 2},
        {"into a folder never listed", nullptr, "tree/unlisted/a", false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        win32::testing::ResetListedFolders();
        kwtest::TempDir dir;
        for (const char* sub : {"tree/a/sub", "tree/listed", "tree/unlisted", "outside"})
            fs::create_directories(dir / sub);
        for (const char* sub : {"tree/a", "tree/a/sub", "tree/listed"})
            Record(dir / sub);
        Watch watch(dir / "tree", true, FILE_NOTIFY_CHANGE_FILE_NAME);
        ASSERT_NE(watch.Handle, INVALID_HANDLE_VALUE);
        ASSERT_EQ(kwtest::WatchesInInstance(), 4);
        std::string from = dir / "tree/a";
        if (c.Via) {
            fs::rename(from, dir / c.Via);
            win32::testing::DrainChangeEvents();
            from = dir / c.Via;
        }
        fs::rename(from, dir / c.To);
        EXPECT_FALSE(Signalled(watch.Handle));
        EXPECT_EQ(kwtest::WatchesInInstance(), c.Watches);
        for (const char* in : {"x", "sub/x"}) {
            SCOPED_TRACE(in);
            Touch(dir / c.To + "/" + in);
            EXPECT_EQ(Signalled(watch.Handle), c.Watched);
            EXPECT_TRUE(FindNextChangeNotification(watch.Handle));
        }
        // The folder the subtree still watches signals as before.
        Touch(dir / "tree/listed/y");
        EXPECT_TRUE(Signalled(watch.Handle));
    }
}

// The kernel refuses a watch when the user's inotify watches are used up
// (ENOSPC): that is a quota, not a full disk. Past the root the handle lives
// on and says that it may miss changes.
TEST_F(ChangeNotifications, ARefusedWatchIsAQuotaError)
{
    struct Case {
        const char* Name;
        int Error;
        DWORD Expected;
    };
    const Case cases[] = {
        {"watches used up", ENOSPC, ERROR_NOT_ENOUGH_QUOTA},
        {"out of memory", ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
        {"not allowed", EACCES, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        win32::testing::FailWatchAdds(c.Error);
        for (const BOOL subtree : {FALSE, TRUE}) {
            SetLastError(0);
            EXPECT_EQ(FindFirstChangeNotification(Dir.Path().c_str(), subtree, kNames), INVALID_HANDLE_VALUE);
            EXPECT_EQ(GetLastError(), c.Expected);
        }
        win32::testing::FailWatchAdds(0);
    }
    EXPECT_EQ(win32::testing::ChangeNotificationDescriptor(), -1);

    fs::create_directories(Dir / "a");
    fs::create_directories(Dir / "b");
    Record(Dir / "a");
    win32::testing::FailWatchAdds(ENOSPC, 1); // the root only
    Watch watch(Dir.Path(), true, FILE_NOTIFY_CHANGE_FILE_NAME);
    ASSERT_NE(watch.Handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Signalled(watch.Handle));
    EXPECT_TRUE(FindNextChangeNotification(watch.Handle));
    Record(Dir / "b"); // listed later, refused as well
    EXPECT_TRUE(Signalled(watch.Handle));
    win32::testing::FailWatchAdds(0);
    EXPECT_EQ(kwtest::WatchesInInstance(), 1);
}

TEST_F(ChangeNotifications, TheFolderRemovedEndsTheHandleAfterOneSignal)
{
    fs::create_directories(Dir / "root/sub");
    Record(Dir / "root/sub");
    Watch watch(Dir / "root", true, FILE_NOTIFY_CHANGE_FILE_NAME);
    fs::remove_all(Dir / "root");
    EXPECT_TRUE(Signalled(watch.Handle));
    SetLastError(0);
    EXPECT_FALSE(FindNextChangeNotification(watch.Handle));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(kwtest::WatchesInInstance(), 0);
}

TEST_F(ChangeNotifications, AnOverflowSignalsEveryHandleOnceAndWatchingGoesOn)
{
    std::ifstream limitFile("/proc/sys/fs/inotify/max_queued_events");
    long limit = 0;
    limitFile >> limit;
    if (limit <= 0 || limit > 200000)
        GTEST_SKIP() << "the kernel's queue holds " << limit << " events";
    fs::create_directory(Dir / "other");
    Watch first(Dir.Path(), false, kNames);
    Watch second(Dir / "other", false, kDirs);
    win32::testing::PauseChangeReader(true);
    for (long i = 0; i <= limit / 2 + 1; ++i) {
        Touch(Dir / "burst");
        ::unlink((Dir / "burst").c_str());
    }
    win32::testing::PauseChangeReader(false);
    for (HANDLE handle : {first.Handle, second.Handle}) {
        EXPECT_TRUE(Signalled(handle));
        EXPECT_TRUE(FindNextChangeNotification(handle));
        EXPECT_FALSE(Signalled(handle)); // one signal, not one per event
    }
    fs::create_directory(Dir / "other/after");
    EXPECT_TRUE(Signalled(second.Handle));
    EXPECT_FALSE(Signalled(first.Handle));
}

TEST_F(ChangeNotifications, DescriptorsComeBackAfterManyHandles)
{
    const int baseline = CountEntries("/proc/self/fd");
    for (int i = 0; i < 1000; ++i) {
        const HANDLE handle = FindFirstChangeNotification(Dir.Path().c_str(), i % 2, kNames);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(FindCloseChangeNotification(handle));
    }
    EXPECT_EQ(CountEntries("/proc/self/fd"), baseline);
    // Closing like any other handle ends the watch as well.
    const HANDLE handle = FindFirstChangeNotification(Dir.Path().c_str(), FALSE, kNames);
    EXPECT_TRUE(CloseHandle(handle));
    EXPECT_EQ(CountEntries("/proc/self/fd"), baseline);
}

// Several threads change files in one folder without pause; a change in
// another folder still signals its handle, and closing ends the reader.
TEST_F(ChangeNotifications, AChangeIsSignalledWhileAStreamRuns)
{
    fs::create_directory(Dir / "busy");
    fs::create_directory(Dir / "quiet");
    Watch busy(Dir / "busy", false, FILE_NOTIFY_CHANGE_ATTRIBUTES);
    Watch quiet(Dir / "quiet", false, kNames);
    std::atomic<bool> stop{false};
    std::vector<std::thread> writers;
    for (int i = 0; i < 4; ++i) {
        const int fd =
            ::open((Dir / ("busy/f" + std::to_string(i))).c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        writers.emplace_back([fd, &stop] {
            for (mode_t mode = 0644; !stop.load(std::memory_order_relaxed);) {
                mode ^= 0100;
                ::fchmod(fd, mode);
            }
            ::close(fd);
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the reader is in the stream
    EXPECT_EQ(WaitForSingleObject(busy.Handle, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    Touch(Dir / "quiet/x");
    EXPECT_EQ(WaitForSingleObject(quiet.Handle, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    stop.store(true);
    for (std::thread& writer : writers)
        writer.join();
}

TEST_F(ChangeNotifications, WaitableAmongOtherHandles)
{
    Watch watch(Dir.Path(), false, kNames);
    const HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    const HANDLE handles[] = {event, watch.Handle};
    EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 0), WAIT_TIMEOUT);
    Touch(Dir / "x");
    EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
    CloseHandle(event);
}

} // namespace
