// Folder, path, display-name and special-folder helpers against the shell
// stand-in: names that must survive every conversion, paths longer than the
// old fixed buffers, folders from lists and the comparison of absolute lists.

#include "IdListTestSupport.h"
#include "TestSupport.h"

#include "UKwShellUtils.h"

#include "shell32/ShellApi.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <vector>

using namespace kw;
using kwtest::OwnedList;
using kwtest::TempDir;

namespace {

void WriteFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0) << path << ": " << errno;
    ::close(fd);
}

ino_t InodeOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return 0;
    return info.st_ino;
}

// What a folder calls itself: the parsing name of the empty list relative
// to it. Folder objects are made afresh for each request, so this is how a
// test tells which folder it holds.
std::string SelfName(IShellFolder* folder)
{
    const BYTE empty[2] = {0, 0};
    return ShellGetFriendlyNameFromIdList(folder, reinterpret_cast<const ITEMIDLIST*>(empty), kwfnForParsing);
}

} // namespace

TEST(ShellHelpers, NamesSurviveTheRoundTrip)
{
    TempDir dir;
    const std::vector<std::string> names = {
        "with space",          "star*",       "new\nline", "%1", "\xFF\xFE not utf-8 \xC3",
        std::string(255, 'n'), "caf\xC3\xA9",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string path = dir / name;
        WriteFile(path);
        OwnedList pidl;
        ASSERT_EQ(ShellGetIdListFromPath(path, pidl.Out()), S_OK);
        ASSERT_TRUE(pidl);
        const std::string back = ShellGetPathFromIdList(pidl.Get());
        EXPECT_EQ(back, path);
        EXPECT_EQ(InodeOf(back), InodeOf(path));
        const std::string parsing = ShellGetFriendlyNameFromIdList(nullptr, pidl.Get(), kwfnForParsing);
        EXPECT_EQ(parsing, path);
        EXPECT_EQ(InodeOf(parsing), InodeOf(path));
        EXPECT_EQ(ShellGetDisplayPathName(path), path);
    }

    // One byte past NAME_MAX cannot name a file: the parse fails, nothing else
    // is found in its place.
    const std::string tooLong = dir / std::string(256, 'n');
    OwnedList none;
    EXPECT_TRUE(FAILED(ShellGetIdListFromPath(tooLong, none.Out())));
    EXPECT_FALSE(none);
    EXPECT_EQ(ShellGetDisplayPathName(tooLong), "");

    // A zero byte does not end the name early: "with space" exists, but
    // "with space\0x" names nothing.
    const std::string withZero = dir / std::string("with space\0x", 12);
    EXPECT_TRUE(FAILED(ShellGetIdListFromPath(withZero, none.Out())));
    EXPECT_FALSE(none);
}

TEST(ShellHelpers, PathsAreNeverCutAtTheOldBufferSize)
{
    TempDir dir;
    // A file whose whole path is 259 characters: what a 260-character buffer
    // would keep of any longer text that starts with it.
    std::string prefix = dir.Path() + "/";
    const std::string stem = prefix + std::string(259 - prefix.size(), 'p');
    ASSERT_EQ(stem.size(), 259u);
    WriteFile(stem);
    OwnedList pidl;
    const std::string longer = stem + "-and-more-that-does-not-exist";
    EXPECT_TRUE(FAILED(ShellGetIdListFromPath(longer, pidl.Out())));
    EXPECT_FALSE(pidl);
    EXPECT_EQ(ShellGetDisplayPathName(longer), "");

    // Paths around the inline text's 261 characters come back whole as
    // parsing names and as paths.
    for (size_t length = 258; length <= 264; ++length) {
        const std::string around = prefix + std::string(length - prefix.size(), 'r');
        SCOPED_TRACE(length);
        ASSERT_EQ(around.size(), length);
        WriteFile(around);
        ASSERT_EQ(ShellGetIdListFromPath(around, pidl.Out()), S_OK);
        EXPECT_EQ(ShellGetFriendlyNameFromIdList(nullptr, pidl.Get(), kwfnForParsing), around);
        EXPECT_EQ(ShellGetPathFromIdList(pidl.Get()), around);
        EXPECT_EQ(ShellGetDisplayPathName(around), around);
    }

    // A path of about 1000 bytes comes back whole.
    std::string deep = dir.Path();
    while (deep.size() < 1000) {
        deep += "/" + std::string(200, 'd');
        ASSERT_EQ(::mkdir(deep.c_str(), 0755), 0);
    }
    const std::string file = deep + "/leaf";
    WriteFile(file);
    ASSERT_EQ(ShellGetIdListFromPath(file, pidl.Out()), S_OK);
    EXPECT_EQ(ShellGetPathFromIdList(pidl.Get()), file);
    EXPECT_EQ(ShellGetFriendlyNameFromIdList(nullptr, pidl.Get(), kwfnForParsing), file);
    EXPECT_EQ(ShellGetDisplayPathName(file), file);

    // Past PATH_MAX: the whole path or, where the platform refuses it, the
    // empty text; never a cut one. The deepest folder is made relative to
    // its parent's descriptor.
    while (deep.size() < 3900) {
        deep += "/" + std::string(200, 'e');
        ASSERT_EQ(::mkdir(deep.c_str(), 0755), 0);
    }
    const std::string lastName(250, 'z');
    const int parentFd = ::open(deep.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(parentFd, 0);
    ASSERT_EQ(::mkdirat(parentFd, lastName.c_str(), 0755), 0);
    OwnedList parent;
    ASSERT_EQ(ShellGetIdListFromPath(deep, parent.Out()), S_OK);
    com::ComPtr<IShellFolder> parentFolder;
    ASSERT_EQ(ShellGetFolderFromIdList(parent.Get(), parentFolder.ReleaseAndGetAddressOf()), S_OK);
    std::u16string wideName(lastName.begin(), lastName.end());
    OwnedList child;
    ULONG eaten = 0;
    const HRESULT parsed =
        parentFolder->ParseDisplayName(nullptr, nullptr, wideName.data(), &eaten, child.Out(), nullptr);
    const std::string whole = deep + "/" + lastName;
    EXPECT_GT(whole.size(), 4096u);
    // A shell that refuses such a name outright has nothing to convert.
    if (SUCCEEDED(parsed)) {
        OwnedList tooDeep(ConcatIdLists(nullptr, parent.Get(), child.Get()));
        const std::string path = ShellGetPathFromIdList(tooDeep.Get());
        if (!path.empty()) {
            EXPECT_EQ(path, whole);
        }
    }
    ::unlinkat(parentFd, lastName.c_str(), AT_REMOVEDIR);
    ::close(parentFd);
}

TEST(ShellHelpers, FoldersAndNamesFromLists)
{
    TempDir dir;
    const std::string sub = dir / "sub folder";
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    WriteFile(sub + "/a file.txt");

    // Null and the empty list give the desktop itself.
    com::ComPtr<IShellFolder> desktop;
    ASSERT_EQ(SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf()), S_OK);
    com::ComPtr<IShellFolder> folder;
    ASSERT_EQ(ShellGetFolderFromIdList(nullptr, folder.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_TRUE(folder);
    const std::string desktopName = SelfName(desktop.Get());
    EXPECT_EQ(SelfName(folder.Get()), desktopName);
    OwnedList empty = kwtest::MakeList({});
    ASSERT_EQ(ShellGetFolderFromIdList(empty.Get(), folder.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(SelfName(folder.Get()), desktopName);
    EXPECT_EQ(ShellGetFolderFromIdList(nullptr, nullptr), E_POINTER);

    // A folder's list binds to that folder: its children are named in it.
    OwnedList subList;
    ASSERT_EQ(ShellGetIdListFromPath(sub, subList.Out()), S_OK);
    ASSERT_EQ(ShellGetFolderFromIdList(subList.Get(), folder.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_TRUE(folder);
    EXPECT_EQ(SelfName(folder.Get()), sub);
    EXPECT_NE(SelfName(folder.Get()), desktopName);
    OwnedList fileList;
    ASSERT_EQ(ShellGetIdListFromPath(sub + "/a file.txt", fileList.Out()), S_OK);
    TKwIdListArray items(fileList.Get());
    PItemIDList last = items.GetItem(items.GetCount() - 1);
    EXPECT_EQ(ShellGetFriendlyNameFromIdList(folder.Get(), last, kwfnInFolder), "a file.txt");
    EXPECT_EQ(ShellGetFriendlyNameFromIdList(folder.Get(), last, kwfnForParsing), sub + "/a file.txt");
    EXPECT_EQ(ShellGetFriendlyNameFromIdList(nullptr, fileList.Get(), kwfnForParsing), sub + "/a file.txt");

    // A file binds to no folder.
    EXPECT_TRUE(FAILED(ShellGetFolderFromIdList(fileList.Get(), folder.ReleaseAndGetAddressOf())));
    EXPECT_FALSE(folder);

    // A list that is no list of the shell's gives the empty text, not a
    // crash or a guess.
    OwnedList foreign = kwtest::MakeList({"not an item of ours"});
    EXPECT_EQ(ShellGetFriendlyNameFromIdList(nullptr, foreign.Get(), kwfnForParsing), "");
    EXPECT_EQ(ShellGetPathFromIdList(foreign.Get()), "");
    EXPECT_TRUE(FAILED(ShellGetFolderFromIdList(foreign.Get(), folder.ReleaseAndGetAddressOf())));
}

TEST(ShellHelpers, TwoRoutesToOneFolderCompareEqual)
{
    TempDir dir;
    const std::string sub = dir / "target";
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);

    OwnedList direct;
    ASSERT_EQ(ShellGetIdListFromPath(sub, direct.Out()), S_OK);

    // The second route: the parent's list joined with the child as the
    // parent folder names it, after the child has changed, so that the two
    // lists carry different snapshots of it.
    ASSERT_EQ(::chmod(sub.c_str(), 0700), 0);
    OwnedList parent;
    ASSERT_EQ(ShellGetIdListFromPath(dir.Path(), parent.Out()), S_OK);
    com::ComPtr<IShellFolder> parentFolder;
    ASSERT_EQ(ShellGetFolderFromIdList(parent.Get(), parentFolder.ReleaseAndGetAddressOf()), S_OK);
    std::u16string childName = u"target";
    OwnedList child;
    ULONG eaten = 0;
    ASSERT_EQ(
        parentFolder->ParseDisplayName(nullptr, nullptr, childName.data(), &eaten, child.Out(), nullptr),
        S_OK);
    OwnedList joined(ConcatIdLists(nullptr, parent.Get(), child.Get()));
    EXPECT_EQ(CompareAbsIdLists(direct.Get(), joined.Get()), 0);
    EXPECT_EQ(CompareAbsIdLists(joined.Get(), direct.Get()), 0);

    OwnedList other;
    ASSERT_EQ(ShellGetIdListFromPath(dir.Path(), other.Out()), S_OK);
    EXPECT_NE(CompareAbsIdLists(direct.Get(), other.Get()), 0);
    OwnedList desktop = kwtest::MakeList({});
    EXPECT_EQ(CompareAbsIdLists(direct.Get(), desktop.Get()), -1);

    // The shell's order comes through as a signed 16-bit number: the folder
    // sorts before its child, and after it the other way round.
    OwnedList grandchild;
    ASSERT_EQ(::mkdir((sub + "/inner").c_str(), 0755), 0);
    ASSERT_EQ(ShellGetIdListFromPath(sub + "/inner", grandchild.Out()), S_OK);
    EXPECT_LT(CompareAbsIdLists(direct.Get(), grandchild.Get()), 0);
    EXPECT_GT(CompareAbsIdLists(grandchild.Get(), direct.Get()), 0);
    EXPECT_GE(CompareAbsIdLists(direct.Get(), grandchild.Get()), SHRT_MIN);

    // Lists the shell cannot compare are never equal: MaxInt.
    OwnedList foreign = kwtest::MakeList({"not an item of ours"});
    EXPECT_EQ(CompareAbsIdLists(foreign.Get(), foreign.Get()), INT_MAX);
    EXPECT_EQ(CompareAbsIdLists(direct.Get(), foreign.Get()), INT_MAX);
}

TEST(ShellHelpers, DotComponentsOfAbsolutePathsGoByTheirNames)
{
    TempDir dir;
    const std::string root = dir.Path();
    ASSERT_EQ(::mkdir((root + "/a").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((root + "/a/sub").c_str(), 0755), 0);
    WriteFile(root + "/a/sub/doc.txt");
    const std::string doc = root + "/a/sub/doc.txt";
    struct Case {
        std::string path;
        std::string names; // what it names, or empty when nothing
    };
    const Case cases[] = {
        {root + "/a/./sub/doc.txt", doc},
        {root + "/a/sub/../sub/doc.txt", doc},
        {root + "/./a//sub/./doc.txt", doc},
        {root + "/a/sub/x/../doc.txt", doc}, // by name: x need not exist
        {root + "/a/sub/doc.txt/.", doc},
        {root + "/a/sub/..", root + "/a"},
        {"/../../.." + root + "/a/sub/doc.txt", doc}, // never above the root
        {"/..", "/"},
        {root + "/a/../../" + dir.Path().substr(dir.Path().rfind('/') + 1) + "/a", root + "/a"},
        {root + "/a/sub/../missing.txt", ""},
    };
    for (const Case& c : cases) {
        OwnedList pidl;
        const HRESULT hr = ShellGetIdListFromPath(c.path, pidl.Out());
        if (c.names.empty()) {
            EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) << c.path;
            continue;
        }
        ASSERT_EQ(hr, S_OK) << c.path;
        EXPECT_EQ(ShellGetPathFromIdList(pidl.Get()), c.names) << c.path;
        EXPECT_EQ(ShellGetDisplayPathName(c.path), c.names) << c.path;
    }
}
