#include "TestSupport.h"

#include "win32/Drives.h"
#include "win32/Errors.h"
#include "win32/FileSystem.h"
#include "win32/ListedFolders.h"
#include "win32/ListedFoldersTesting.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

namespace {

std::set<std::string> FindAll(const std::string& pattern)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA data{};
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.insert(data.cFileName);
    while (FindNextFileA(find, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(find));
    return names;
}

} // namespace

TEST(FileSystem, FindMatchesWildcardsAndReportsAttributes)
{
    kwtest::TempDir dir;
    std::ofstream(dir / "a.txt") << "hello";
    std::ofstream(dir / "b.txt");
    std::ofstream(dir / "ab.dat");
    std::ofstream(dir / ".hidden");
    std::filesystem::create_directories(dir / "sub");
    const std::string longName(255, 'L');
    std::ofstream(dir / longName);

    using Names = std::set<std::string>;
    EXPECT_EQ(FindAll(dir / "*.txt"), (Names{"a.txt", "b.txt"}));
    EXPECT_EQ(FindAll(dir / "?.txt"), (Names{"a.txt", "b.txt"}));
    EXPECT_EQ(FindAll(dir / "a*"), (Names{"a.txt", "ab.dat"}));
    EXPECT_EQ(FindAll(dir / "*.*").size(), 6u); // every name, also those without a dot; never "." or ".."
    EXPECT_EQ(FindAll(dir / "*"), FindAll(dir / "*.*"));
    EXPECT_EQ(FindAll(dir / longName), (Names{longName}));

    WIN32_FIND_DATAA data{};
    HANDLE find = FindFirstFileA((dir / "a.txt").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
    EXPECT_TRUE(FindClose(find));
    // A closed search is a dead handle.
    EXPECT_FALSE(FindNextFileA(find, &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FindClose(find));

    EXPECT_EQ(FindFirstFileA((dir / "*.none").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileA((dir / "missing/*").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(FindFirstFileA((dir / std::string(256, 'x')).c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);

    EXPECT_EQ(GetFileAttributesA((dir / "sub").c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA((dir / ".hidden").c_str()), FILE_ATTRIBUTE_HIDDEN);
    chmod((dir / "b.txt").c_str(), 0444);
    EXPECT_EQ(GetFileAttributesA((dir / "b.txt").c_str()), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(GetFileAttributesA((dir / "nothing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA((dir / "a.txt/x").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    EXPECT_TRUE(win32::MatchesWildcard("*a*b?", "xxaYYbZ"));
    EXPECT_FALSE(win32::MatchesWildcard("*a*b?", "xxaYYb"));
    EXPECT_TRUE(win32::MatchesWildcard("**", ""));
}

TEST(FileSystem, DirectoriesAndTheCurrentOne)
{
    kwtest::TempDir dir;
    EXPECT_TRUE(CreateDirectoryA((dir / "new").c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA((dir / "new").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectoryA((dir / "no/such").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    char saved[4096];
    ASSERT_GT(GetCurrentDirectoryA(sizeof saved, saved), 0u);
    const std::string target = std::filesystem::canonical(dir / "new").string();
    ASSERT_TRUE(SetCurrentDirectoryA(target.c_str()));
    char small[4];
    EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), target.size() + 1); // the size needed
    std::string buffer(target.size() + 1, '\0');
    EXPECT_EQ(GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data()), target.size());
    EXPECT_EQ(buffer.c_str(), target);
    EXPECT_FALSE(SetCurrentDirectoryA((dir / "missing").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    ASSERT_TRUE(SetCurrentDirectoryA(saved));

    const UINT before = SetErrorMode(SEM_FAILCRITICALERRORS);
    EXPECT_EQ(SetErrorMode(before), SEM_FAILCRITICALERRORS);
}

TEST(FileSystem, FailuresNameTheMissingPartOfThePath)
{
    kwtest::TempDir dir;
    std::ofstream(dir / "file") << "x";
    std::filesystem::create_directories(dir / "sub");
    char saved[4096];
    ASSERT_GT(GetCurrentDirectoryA(sizeof saved, saved), 0u);

    enum class Call { Attributes, MakeFolder, ChangeFolder, Find };
    const auto run = [](Call call, const std::string& path) {
        WIN32_FIND_DATAA data{};
        switch (call) {
        case Call::Attributes:
            return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
        case Call::MakeFolder:
            return !CreateDirectoryA(path.c_str(), nullptr);
        case Call::ChangeFolder:
            return !SetCurrentDirectoryA(path.c_str());
        case Call::Find:
            return FindFirstFileA(path.c_str(), &data) == INVALID_HANDLE_VALUE;
        }
        return false;
    };
    const struct {
        Call call;
        const char* path;
        DWORD error;
    } cases[] = {
        {Call::Attributes, "missing", ERROR_FILE_NOT_FOUND},
        {Call::Attributes, "missing/deeper", ERROR_PATH_NOT_FOUND},
        {Call::Attributes, "file/below", ERROR_PATH_NOT_FOUND},
        {Call::MakeFolder, "missing/new", ERROR_PATH_NOT_FOUND},
        {Call::MakeFolder, "file/new", ERROR_PATH_NOT_FOUND},
        {Call::MakeFolder, "sub", ERROR_ALREADY_EXISTS},
        {Call::MakeFolder, "file", ERROR_ALREADY_EXISTS},
        {Call::ChangeFolder, "missing", ERROR_FILE_NOT_FOUND},
        {Call::ChangeFolder, "missing/deeper", ERROR_PATH_NOT_FOUND},
        {Call::ChangeFolder, "file", ERROR_DIRECTORY},
        {Call::ChangeFolder, "file/below", ERROR_PATH_NOT_FOUND},
        {Call::Find, "missing/*", ERROR_PATH_NOT_FOUND},
        {Call::Find, "sub/*", ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_TRUE(run(c.call, dir / c.path)) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << static_cast<int>(c.call) << " " << c.path;
    }
    ASSERT_TRUE(SetCurrentDirectoryA(saved));
}

TEST(FileSystem, PathsAreMadeAbsoluteAgainstTheCurrentDirectory)
{
    char current[4096];
    ASSERT_GT(GetCurrentDirectoryA(sizeof current, current), 0u);
    const std::string here = current;
    const struct {
        const char* path;
        std::string absolute;
    } cases[] = {
        {"/etc/passwd", "/etc/passwd"},
        {"name", here + "/name"},
        {"a/../b", here + "/a/../b"},
        {".", here},
        {"", here},
        {"./x", here + "/./x"},
    };
    for (const auto& c : cases) {
        std::string absolute = "untouched";
        EXPECT_EQ(win32::AbsolutePath(c.path, absolute), ERROR_SUCCESS) << c.path;
        EXPECT_EQ(absolute, c.absolute) << c.path;
    }
}

TEST(FileSystem, ARemovedCurrentDirectoryIsAFailureNeverAGuess)
{
    const kwtest::RemovedCurrentDirectory removed;
    ULARGE_INTEGER free{};
    std::string out = "untouched";
    const struct {
        const char* what;
        std::function<bool()> failed; // and left the last error
    } cases[] = {
        {"the current directory", [&] { return win32::CurrentDirectory(out) == ERROR_PATH_NOT_FOUND; }},
        {"a relative path made absolute",
         [&] { return win32::AbsolutePath("name", out) == ERROR_PATH_NOT_FOUND; }},
        {"GetCurrentDirectoryA",
         [&] {
             char buffer[4096];
             return GetCurrentDirectoryA(sizeof buffer, buffer) == 0 &&
                    GetLastError() == ERROR_PATH_NOT_FOUND;
         }},
        {"GetDiskFreeSpaceExA of a relative folder",
         [&] {
             return !GetDiskFreeSpaceExA("sub", &free, nullptr, nullptr) &&
                    GetLastError() == ERROR_PATH_NOT_FOUND;
         }},
        {"GetDiskFreeSpaceExA of the current folder",
         [&] {
             return !GetDiskFreeSpaceExA(nullptr, &free, nullptr, nullptr) &&
                    GetLastError() == ERROR_PATH_NOT_FOUND;
         }},
        {"GetDriveTypeA of the current folder", [] { return GetDriveTypeA(nullptr) == DRIVE_NO_ROOT_DIR; }},
    };
    for (const auto& c : cases) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_TRUE(c.failed()) << c.what;
    }
    EXPECT_EQ(out, "untouched");
    std::string absolute;
    EXPECT_EQ(win32::AbsolutePath("/abs/name", absolute), ERROR_SUCCESS)
        << "an absolute path needs no folder";
    EXPECT_EQ(absolute, "/abs/name");
}

TEST(ListedFolders, CapEvictsTheOldestAndQueriesBelowARoot)
{
    win32::testing::ResetListedFolders(3);
    win32::RecordListedFolder(1, 10, "/data/a");
    win32::RecordListedFolder(1, 11, "/data/a/b");
    win32::RecordListedFolder(2, 12, "/data/a/c"); // another device
    EXPECT_EQ(win32::ListedFolderCount(), 3u);
    // Recording a known folder refreshes it: /data/a becomes the newest.
    win32::RecordListedFolder(1, 10, "/data/a");
    win32::RecordListedFolder(1, 13, "/data/ab");
    EXPECT_EQ(win32::ListedFolderCount(), 3u);
    auto below = win32::ListedFoldersBelow(1, "/data/a");
    ASSERT_EQ(below.size(), 1u); // b was the oldest and went; "/data/ab" is not below "/data/a"
    EXPECT_EQ(below[0].inode, 10u);
    EXPECT_EQ(win32::ListedFoldersBelow(1, "/").size(), 2u);
    EXPECT_EQ(win32::ListedFoldersBelow(2, "/data/").size(), 1u);
    // A renamed folder keeps its key and takes its new path.
    win32::RecordListedFolder(1, 13, "/data/a/moved");
    EXPECT_EQ(win32::ListedFoldersBelow(1, "/data/a").size(), 2u);
    win32::testing::ResetListedFolders();
    EXPECT_EQ(win32::ListedFolderCount(), 0u);
}
