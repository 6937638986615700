#include "vcl/core/Exceptions.h"
#include "vcl/core/SysUtils.h"
#include "win32/Errors.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vcl;

namespace {

void Touch(const std::string& path)
{
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path;
    close(fd);
}

// Restores the current directory at the end of a test.
class CurrentDirGuard {
public:
    CurrentDirGuard() : Saved_(GetCurrentDir()) {}
    ~CurrentDirGuard() { SetCurrentDir(Saved_); }

private:
    std::string Saved_;
};

} // namespace

TEST(PathUtils, SplitsNamesOnTheText)
{
    struct Case {
        const char* Name;
        const char* Path;
        const char* Dir;
        const char* FileName;
        const char* Ext;
    };
    const Case cases[] = {
        {"/home/u/readme", "/home/u/", "/home/u", "readme", ""},
        {"/home/u/a.tar.gz", "/home/u/", "/home/u", "a.tar.gz", ".gz"},
        {"/home/u/.bashrc", "/home/u/", "/home/u", ".bashrc", ""},
        {"/home/u/.config.bak", "/home/u/", "/home/u", ".config.bak", ".bak"},
        {"name.", "", "", "name.", "."},
        {"..", "", "", "..", ""},
        {"/a.b/c", "/a.b/", "/a.b", "c", ""},
        {"/file", "/", "/", "file", ""},
        {"/", "/", "/", "", ""},
        {"dir/", "dir/", "dir", "", ""},
        {"/x//y", "/x//", "/x", "y", ""},
        {"", "", "", "", ""},
        {"/d/na\xFFme.t\xFEt", "/d/", "/d", "na\xFFme.t\xFEt", ".t\xFEt"},
        {"/d/line\nbreak*%.txt", "/d/", "/d", "line\nbreak*%.txt", ".txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.Name), c.Path) << c.Name;
        EXPECT_EQ(ExtractFileDir(c.Name), c.Dir) << c.Name;
        EXPECT_EQ(ExtractFileName(c.Name), c.FileName) << c.Name;
        EXPECT_EQ(ExtractFileExt(c.Name), c.Ext) << c.Name;
    }

    EXPECT_EQ(ChangeFileExt("/a/b.txt", ".bak"), "/a/b.bak");
    EXPECT_EQ(ChangeFileExt("/a/b", ".bak"), "/a/b.bak");
    EXPECT_EQ(ChangeFileExt("/a/.bashrc", ".old"), "/a/.bashrc.old");
    EXPECT_EQ(ChangeFileExt("/a.d/b", ".x"), "/a.d/b.x");
    EXPECT_EQ(ChangeFileExt("a.tar.gz", ""), "a.tar");

    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter(""), "");
    EXPECT_EQ(IncludeTrailingBackslash("b"), "b/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a//"), "/a");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
    EXPECT_EQ(ExcludeTrailingBackslash("a"), "a");
    EXPECT_TRUE(IsPathDelimiter("/a/", 3));
    EXPECT_FALSE(IsPathDelimiter("/a/", 2));
    EXPECT_FALSE(IsPathDelimiter("/a/", 0));
    EXPECT_FALSE(IsPathDelimiter("/a/", 4));
}

TEST(PathUtils, ExpandsAndRelatesPaths)
{
    CurrentDirGuard guard;
    kwtest::TempDir temp;
    ASSERT_TRUE(SetCurrentDir(temp.Path()));
    const std::string cwd = GetCurrentDir();

    EXPECT_EQ(ExpandFileName("/a/./b/../c"), "/a/c");
    EXPECT_EQ(ExpandFileName("/../../x"), "/x");
    EXPECT_EQ(ExpandFileName("//a///b/"), "/a/b/");
    EXPECT_EQ(ExpandFileName("/"), "/");
    EXPECT_EQ(ExpandFileName(""), "");
    EXPECT_EQ(ExpandFileName("f\xFF.txt"), cwd + "/f\xFF.txt");
    EXPECT_EQ(ExpandFileName("./sub/../g"), cwd + "/g");
    EXPECT_EQ(ExpandFileName("."), cwd);

    EXPECT_EQ(NormalizePath("a/./b/../../.."), "..");
    EXPECT_EQ(NormalizePath("a/.."), ".");
    EXPECT_EQ(NormalizePath("/.."), "/");

    EXPECT_EQ(ExtractRelativePath("/a/b/", "/a/c/file"), "../c/file");
    EXPECT_EQ(ExtractRelativePath("/a/b/base.txt", "/a/b/sub/f"), "sub/f");
    EXPECT_EQ(ExtractRelativePath("/a/b/", "/a/b/f"), "f");
    EXPECT_EQ(ExtractRelativePath("/x/y/", "/z"), "../../z");
    EXPECT_EQ(ExtractRelativePath("/a/B/", "/a/b/f"), "../b/f"); // names are case-sensitive
    EXPECT_EQ(ExtractRelativePath("rel/", "/abs/f"), "/abs/f");
    EXPECT_EQ(ExtractRelativePath("../up/", "x/f"), "x/f");
    EXPECT_EQ(ExtractRelativePath("p/q/", "p/r/f"), "../r/f");
}

TEST(FileUtils, WorksOnTheFileSystemByteForByte)
{
    kwtest::TempDir temp;
    const std::string odd = temp / "na\xFFme\n*%.txt";
    Touch(odd);
    EXPECT_TRUE(FileExists(odd));
    EXPECT_FALSE(DirectoryExists(odd));
    EXPECT_FALSE(FileExists(temp.Path()));
    EXPECT_TRUE(DirectoryExists(temp.Path()));
    EXPECT_FALSE(FileExists(temp / "missing"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(std::string("a\0b", 3)));

    // Links are followed.
    ASSERT_EQ(symlink(odd.c_str(), (temp / "link").c_str()), 0);
    EXPECT_TRUE(FileExists(temp / "link"));
    ASSERT_EQ(symlink((temp / "gone").c_str(), (temp / "dangling").c_str()), 0);
    EXPECT_FALSE(FileExists(temp / "dangling"));

    // RenameFile never replaces.
    const std::string other = temp / "other";
    Touch(other);
    EXPECT_FALSE(RenameFile(odd, other));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(FileExists(odd));
    const std::string renamed = temp / "re\xFEnamed";
    EXPECT_TRUE(RenameFile(odd, renamed));
    EXPECT_FALSE(FileExists(odd));
    EXPECT_TRUE(FileExists(renamed));
    EXPECT_FALSE(RenameFile(temp / "missing", temp / "new"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    EXPECT_TRUE(DeleteFile(renamed));
    EXPECT_FALSE(FileExists(renamed));
    EXPECT_FALSE(DeleteFile(renamed));
    EXPECT_FALSE(DeleteFile(temp.Path())); // not a folder

    // ForceDirectories walks and makes every level.
    const std::string deep = temp / "x/y\xFF/z";
    EXPECT_TRUE(ForceDirectories(deep + "/"));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_FALSE(ForceDirectories(other + "/below"));
    EXPECT_THROW(ForceDirectories(""), EInOutError);
    EXPECT_TRUE(CreateDir(temp / "made"));
    EXPECT_FALSE(CreateDir(temp / "made"));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(RemoveDir(temp / "made"));
    EXPECT_TRUE(RenameFile(temp / "x", temp / "x2"));
    EXPECT_FALSE(RenameFile(temp / "x2", other));

    // Ages and attributes.
    struct timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 500'000'000}};
    ASSERT_EQ(utimensat(AT_FDCWD, other.c_str(), times, 0), 0);
    EXPECT_EQ(FileAge(other), 1'000'000'000);
    EXPECT_EQ(FileAge(temp.Path()), -1);
    EXPECT_EQ(FileAge(temp / "missing"), -1);
    TDateTime age = 0;
    ASSERT_TRUE(FileAge(other, age));
    timespec expected{1'000'000'000, 500'000'000};
    EXPECT_DOUBLE_EQ(age, TimespecToDateTime(expected));
    EXPECT_DOUBLE_EQ(FileDateToDateTime(FileAge(other)), TimespecToDateTime(timespec{1'000'000'000, 0}));

    EXPECT_EQ(FileGetAttr(other), 0);
    EXPECT_EQ(FileGetAttr(temp / "x2"), faDirectory);
    Touch(temp / ".hidden");
    chmod((temp / ".hidden").c_str(), 0444);
    EXPECT_EQ(FileGetAttr(temp / ".hidden"), faHidden | faReadOnly);
    EXPECT_EQ(FileGetAttr(temp / "link"), faSymLink);
    EXPECT_EQ(FileGetAttr(temp / "missing"), -1);
}

TEST(FileUtils, FailuresNameTheMissingPartOfThePath)
{
    CurrentDirGuard guard;
    kwtest::TempDir temp;
    Touch(temp / "file");
    ASSERT_TRUE(CreateDir(temp / "sub"));
    const struct {
        bool (*call)(std::string_view);
        const char* path;
        DWORD error;
    } cases[] = {
        {[](std::string_view p) { return FileExists(p); }, "missing", ERROR_FILE_NOT_FOUND},
        {[](std::string_view p) { return FileExists(p); }, "missing/deeper", ERROR_PATH_NOT_FOUND},
        {[](std::string_view p) { return CreateDir(p); }, "missing/new", ERROR_PATH_NOT_FOUND},
        {[](std::string_view p) { return CreateDir(p); }, "file/new", ERROR_PATH_NOT_FOUND},
        {[](std::string_view p) { return RemoveDir(p); }, "file", ERROR_DIRECTORY},
        {[](std::string_view p) { return RemoveDir(p); }, "missing", ERROR_FILE_NOT_FOUND},
        {[](std::string_view p) { return DeleteFile(p); }, "sub", ERROR_ACCESS_DENIED},
        {[](std::string_view p) { return DeleteFile(p); }, "missing/name", ERROR_PATH_NOT_FOUND},
        {[](std::string_view p) { return SetCurrentDir(p); }, "file", ERROR_DIRECTORY},
        {[](std::string_view p) { return SetCurrentDir(p); }, "missing", ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(c.call(temp / c.path)) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
}

TEST(FileUtils, CurrentDirectory)
{
    CurrentDirGuard guard;
    kwtest::TempDir temp;
    const std::string sub = temp / "s\xFFub";
    ASSERT_TRUE(CreateDir(sub));
    ASSERT_TRUE(SetCurrentDir(sub));
    EXPECT_EQ(ExtractFileName(GetCurrentDir()), "s\xFFub");
    EXPECT_FALSE(SetCurrentDir(temp / "missing"));
    EXPECT_EQ(ExtractFileName(GetCurrentDir()), "s\xFFub");

    // A folder removed under the process is no current directory at all.
    const kwtest::RemovedCurrentDirectory removed;
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetCurrentDir(), "");
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}
