// The data objects of the shell tree's nodes, the shell list's items and the
// shell combo's entries, on a real temporary tree with the locale and the
// time zone pinned.

#include "ShellControlsTestSupport.h"

#include "shell32/ShellApi.h"
#include "shell32/ShellFlags.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/FormatSettingsTesting.h"
#include "win32/MountTesting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace kw;
using kwtest::FolderListOwner;
using kwtest::LastItemOf;
using kwtest::ListOfPath;
using kwtest::OwnedList;

namespace {

// 2024-03-05 14:07:09 UTC, shown as "3/5/2024 2:07 PM" in the pinned locale.
constexpr const char* kStampText = "3/5/2024 2:07 PM";
time_t Stamp()
{
    std::tm when{};
    when.tm_year = 2024 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 14;
    when.tm_min = 7;
    when.tm_sec = 9;
    return timegm(&when);
}

void SetModified(const std::string& path, time_t seconds)
{
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(0, ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW)) << path;
}

void WriteBytes(const std::string& path, std::size_t size)
{
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

// The parsing name of a folder itself: its path where it has one.
std::string ParsingNameOf(IShellFolder* folder)
{
    const OwnedList self = kwtest::MakeList({});
    STRRET name{};
    if (FAILED(folder->GetDisplayNameOf(self.Get(), SHGDN_FORPARSING, &name)))
        return "(no name)";
    std::string text = StrretToString(self.Get(), name);
    StrretFree(name);
    return text;
}

// A node of name in the folder of owner, below parent.
void Attach(TKwShTreeData& node, TKwShTreeData* parent, FolderListOwner& owner, const std::string& name)
{
    node.SetData(parent, owner.ItemNamed(name).Get());
}

class ItemDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vcl::testing::SetFormatSettings(vcl::TFormatSettings::Invariant());
        std::filesystem::create_directories(Tree());
    }
    void TearDown() override { vcl::testing::ResetFormatSettings(); }

    std::string Tree() const { return Home.Home() + "/tree"; }
    std::string In(const std::string& name) const { return Tree() + "/" + name; }

    // A list item for a name in the tree, owned by the returned data.
    static std::unique_ptr<TKwShListData> ItemOf(FolderListOwner& owner, const std::string& name)
    {
        auto data = std::make_unique<TKwShListData>(&owner);
        data->SetData(owner.ItemNamed(name).Release());
        return data;
    }

    kwtest::ScopedHome Home;
    kwtest::ScopedTimeZone Zone{"UTC"};
};

// ---- list items ----

TEST_F(ItemDataTest, FilesShowTheirSizeInStartedKilobytesAndTheirTime)
{
    struct Case {
        std::size_t bytes;
        const char* size;
    };
    const std::vector<Case> cases = {
        {0, "0KB"}, {1, "1KB"}, {1024, "1KB"}, {1025, "2KB"}, {2000000, "1,954KB"},
    };
    for (const Case& c : cases) {
        const std::string name = "file" + std::to_string(c.bytes) + ".txt";
        WriteBytes(In(name), c.bytes);
        SetModified(In(name), Stamp());
    }
    FolderListOwner owner(Tree());
    for (const Case& c : cases) {
        const std::string name = "file" + std::to_string(c.bytes) + ".txt";
        const auto data = ItemOf(owner, name);
        EXPECT_EQ(c.size, data->GetSize()) << name;
        EXPECT_EQ(kStampText, data->GetModified()) << name;
        EXPECT_FALSE(data->GetFileType().empty()) << name;
        EXPECT_NE("System Folder", data->GetFileType()) << name;
        EXPECT_EQ(data->GetSize(), data->GetColText(1)) << name;
        EXPECT_EQ(data->GetFileType(), data->GetColText(2)) << name;
        EXPECT_EQ(data->GetModified(), data->GetColText(3)) << name;
        EXPECT_EQ("", data->GetColText(0)) << name;
        EXPECT_EQ("", data->GetColText(4)) << name;
        EXPECT_FALSE(data->IsFolder()) << name;
        EXPECT_TRUE(data->IsFileSystem()) << name;
        EXPECT_TRUE(data->IsValid()) << name;
        EXPECT_EQ(name, data->GetDisplayName()) << name;
        EXPECT_EQ(In(name), data->GetPathName()) << name;
    }
}

TEST_F(ItemDataTest, AFolderShowsATimeButNoSize)
{
    std::filesystem::create_directories(In("sub"));
    SetModified(In("sub"), Stamp());
    FolderListOwner owner(Tree());
    const auto data = ItemOf(owner, "sub");
    EXPECT_TRUE(data->IsFolder());
    EXPECT_EQ("", data->GetSize());
    EXPECT_EQ(kStampText, data->GetModified());
    EXPECT_EQ("Folder", data->GetFileType());
}

TEST_F(ItemDataTest, AFileWithoutAModificationTimeShowsItsBirth)
{
    WriteBytes(In("timeless.txt"), 1);
    struct statx info {};
    ASSERT_EQ(0, ::statx(AT_FDCWD, In("timeless.txt").c_str(), 0, STATX_BTIME, &info));
    if (!(info.stx_mask & STATX_BTIME))
        GTEST_SKIP() << "this file system keeps no birth times";
    SetModified(In("timeless.txt"), 0);
    FolderListOwner owner(Tree());
    const auto data = ItemOf(owner, "timeless.txt");
    // Born just now, in the pinned zone and locale.
    const time_t born = static_cast<time_t>(info.stx_btime.tv_sec);
    std::tm day{};
    gmtime_r(&born, &day);
    const std::string date = std::to_string(day.tm_mon + 1) + "/" + std::to_string(day.tm_mday) + "/" +
                             std::to_string(day.tm_year + 1900) + " ";
    EXPECT_EQ(date, data->GetModified().substr(0, date.size())) << data->GetModified();
}

TEST_F(ItemDataTest, DriveRootsAndVirtualItemsHaveNoSizeOrTime)
{
    const std::string share = Home.Home() + "/share";
    std::filesystem::create_directories(share);
    win32::testing::ScopedMountSource mounts(std::make_shared<win32::testing::TextMountSource>(
        "1 0 8:2 / / rw - ext4 /dev/sda2 rw\n40 1 0:60 / " + share + " rw - nfs4 nas:/export rw\n"));
    const OwnedList drive = ListOfPath(share);
    OwnedList computer;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.Out()));
    ASSERT_EQ(2, TKwIdListArray(drive.Get()).GetCount()) << "a drive lies right in Computer";
    const OwnedList desktop = kwtest::MakeList({});

    struct Case {
        const char* name;
        const ITEMIDLIST* folder;
        const ITEMIDLIST* item; // absolute
        bool fileSystem;
    };
    const std::vector<Case> cases = {
        {"a drive from the mount table", computer.Get(), drive.Get(), true},
        {"Computer, a virtual item", desktop.Get(), computer.Get(), false},
    };
    for (const Case& c : cases) {
        FolderListOwner owner(c.folder);
        TKwShListData data(&owner);
        data.SetData(LastItemOf(c.item).Release());
        EXPECT_EQ("", data.GetSize()) << c.name;
        EXPECT_EQ("", data.GetModified()) << c.name;
        EXPECT_EQ(c.fileSystem, data.IsFileSystem()) << c.name;
        if (c.fileSystem) {
            EXPECT_NE("System Folder", data.GetFileType()) << c.name;
        } else {
            EXPECT_EQ("System Folder", data.GetFileType()) << c.name;
        }
        EXPECT_TRUE(data.IsFolder()) << c.name;
    }

    struct Root {
        const char* name;
        const ITEMIDLIST* abs;
        bool root;
    };
    const OwnedList slash = ListOfPath("/");
    const OwnedList tree = ListOfPath(Tree());
    const std::vector<Root> roots = {
        {"/", slash.Get(), true},
        {"a mount point of Computer's drives", drive.Get(), true},
        {"a folder", tree.Get(), false},
        {"a virtual folder", computer.Get(), false},
    };
    for (const Root& r : roots) {
        TKwShTreeData node(nullptr);
        node.SetData(nullptr, r.abs);
        EXPECT_EQ(r.root, node.IsRootDir()) << r.name;
    }
}

TEST_F(ItemDataTest, ChangesOnDiskShowOnlyAfterSetDataOrFlush)
{
    WriteBytes(In("grows.txt"), 1);
    SetModified(In("grows.txt"), Stamp());
    FolderListOwner owner(Tree());
    const auto data = ItemOf(owner, "grows.txt");
    EXPECT_EQ("1KB", data->GetSize());
    const std::string firstName = data->GetDisplayName();

    struct Step {
        const char* name;
        std::size_t bytes;
        std::function<void(TKwShListData&)> refresh;
        const char* size;
    };
    const std::vector<Step> steps = {
        {"Flush", 3000, [](TKwShListData& d) { d.Flush(); }, "3KB"},
        {"SetData with a fresh item", 5000,
         [&](TKwShListData& d) { d.SetData(owner.ItemNamed("grows.txt").Release()); }, "5KB"},
        {"SetData with its own item", 7000, [](TKwShListData& d) { d.SetData(d.GetRelPidl()); }, "7KB"},
    };
    for (const Step& s : steps) {
        WriteBytes(In("grows.txt"), s.bytes);
        SetModified(In("grows.txt"), Stamp() + 86400);
        EXPECT_NE(s.size, data->GetSize()) << s.name << ": the texts are kept until asked again";
        EXPECT_EQ(kStampText, data->GetModified()) << s.name;
        s.refresh(*data);
        EXPECT_EQ(s.size, data->GetSize()) << s.name;
        EXPECT_EQ("3/6/2024 2:07 PM", data->GetModified()) << s.name;
        EXPECT_EQ(firstName, data->GetDisplayName()) << s.name;
        SetModified(In("grows.txt"), Stamp());
        data->Flush();
        EXPECT_EQ(kStampText, data->GetModified()) << s.name;
    }
}

TEST_F(ItemDataTest, AVanishedItemIsNothing)
{
    WriteBytes(In("gone.txt"), 10);
    std::filesystem::create_directories(In("gone-dir"));
    FolderListOwner owner(Tree());
    for (const char* name : {"gone.txt", "gone-dir"}) {
        const auto data = ItemOf(owner, name);
        ASSERT_NE(0u, data->GetAttributes()) << name;
        ASSERT_TRUE(data->IsValid()) << name;
        std::filesystem::remove(In(name));
        EXPECT_EQ(0u, data->GetAttributes()) << name;
        EXPECT_FALSE(data->IsFolder()) << name;
        EXPECT_FALSE(data->IsValid()) << name;
        EXPECT_FALSE(data->GetEditable()) << name;
        data->Flush();
        EXPECT_EQ("", data->GetSize()) << name;
        EXPECT_EQ("", data->GetModified()) << name;
    }
}

TEST_F(ItemDataTest, NamesKeepTheirRawBytes)
{
    const std::vector<std::string> names = {"line\nbreak.txt", std::string("bad\xff\xfe.bin"), "tab\there"};
    for (const std::string& name : names)
        WriteBytes(In(name), 5);
    FolderListOwner owner(Tree());
    const OwnedList tree = ListOfPath(Tree());
    for (const std::string& name : names) {
        const auto data = ItemOf(owner, name);
        EXPECT_EQ(In(name), data->GetPathName());
        EXPECT_EQ(name, data->GetFilename());
        EXPECT_EQ("1KB", data->GetSize());
        TKwShTreeData top(nullptr);
        top.SetData(nullptr, tree.Get());
        TKwShTreeData node(nullptr);
        node.SetData(&top, data->GetRelPidl());
        EXPECT_EQ(In(name), node.GetPathName());
    }
}

TEST_F(ItemDataTest, TellsShortcuts)
{
    WriteBytes(In("target.txt"), 3);
    std::filesystem::create_symlink(In("target.txt"), In("symlink"));
    WriteBytes(In("plain.lnk"), 3);
    std::ofstream(In("doc.desktop")) << "[Desktop Entry]\nType=Link\nName=doc\nURL=file://"
                                     << In("target.txt") << "\n";
    std::ofstream(In("notes.desktop")) << "just text\n";
    std::filesystem::create_directories(In("folder.desktop"));
    struct Case {
        const char* name;
        bool shortcut;
    };
    const std::vector<Case> cases = {
        {"symlink", true},        {"doc.desktop", true},     {"plain.lnk", false},
        {"notes.desktop", false}, {"folder.desktop", false}, {"target.txt", false},
    };
    FolderListOwner owner(Tree());
    for (const Case& c : cases)
        EXPECT_EQ(c.shortcut, ItemOf(owner, c.name)->IsLnkShortcut()) << c.name;
}

TEST_F(ItemDataTest, ColumnsComeFromTheFoldersDetailsWhenItHasThem)
{
    WriteBytes(In("a.txt"), 1025);
    FolderListOwner owner(Tree());
    owner.UseFolderDetails();
    const auto data = ItemOf(owner, "a.txt");
    EXPECT_EQ("", data->GetColText(0));
    EXPECT_FALSE(data->GetColText(1).empty());
    EXPECT_FALSE(data->GetColText(2).empty());
    EXPECT_FALSE(data->GetColText(3).empty());
    EXPECT_EQ("", data->GetColText(99)) << "a column the folder does not have";
    EXPECT_EQ("", data->GetColText(-1));
}

// ---- tree nodes ----

TEST_F(ItemDataTest, ATreeChainThreeLevelsDeepFollowsARename)
{
    std::filesystem::create_directories(In("a/b/c/d"));
    const OwnedList base = ListOfPath(In("a"));
    TKwShTreeData top(nullptr);
    top.SetData(nullptr, base.Get());
    FolderListOwner inA(In("a"));
    FolderListOwner inB(In("a/b"));
    FolderListOwner inC(In("a/b/c"));
    TKwShTreeData b(nullptr), c(nullptr), d(nullptr);
    Attach(b, &top, inA, "b");
    Attach(c, &b, inB, "c");
    Attach(d, &c, inC, "d");

    struct Case {
        const char* name;
        TKwShTreeData* node;
        std::string path;
    };
    for (const Case& k : std::vector<Case>{{"top", &top, In("a")},
                                           {"b", &b, In("a/b")},
                                           {"c", &c, In("a/b/c")},
                                           {"d", &d, In("a/b/c/d")}}) {
        EXPECT_EQ(k.path, k.node->GetPathName()) << k.name;
        EXPECT_FALSE(k.node->IsRootDir()) << k.name;
        const com::ComPtr<IShellFolder> folder = k.node->GetThisIShf();
        ASSERT_TRUE(folder) << k.name;
        EXPECT_EQ(k.path, ParsingNameOf(folder.Get())) << k.name;
    }

    // A real rename through the folder that holds c, then the new name.
    const com::ComPtr<IShellFolder> inBFolder = c.GetParentIShf();
    ASSERT_TRUE(inBFolder);
    OwnedList renamed;
    ASSERT_EQ(S_OK, inBFolder->SetNameOf(nullptr, c.GetRelPidl(), u"c2", SHGDN_INFOLDER, renamed.Out()));
    ASSERT_TRUE(std::filesystem::is_directory(In("a/b/c2/d")));
    c.SetRelPidl(renamed.Get());
    EXPECT_EQ(In("a/b/c2"), c.GetPathName());
    EXPECT_EQ(In("a/b/c/d"), d.GetPathName()) << "a descendant keeps its list until flushed";
    d.Flush();
    EXPECT_EQ(In("a/b/c2/d"), d.GetPathName());
    // Its own list again, as the tree passes it after a rename that kept it.
    c.SetRelPidl(c.GetRelPidl());
    EXPECT_EQ(In("a/b/c2"), c.GetPathName());
}

TEST_F(ItemDataTest, TheTopNodeUsesTheFolderItWasFilledFromUntilFlushed)
{
    std::filesystem::create_directories(In("a"));
    const OwnedList base = ListOfPath(In("a"));
    TKwShTreeData top(nullptr);
    top.SetData(nullptr, base.Get());
    com::ComPtr<IShellFolder> filledFrom;
    ASSERT_EQ(S_OK, ShellGetFolderFromIdList(base.Get(), filledFrom.ReleaseAndGetAddressOf()));
    top.SetOwnFolder(filledFrom.Get());
    EXPECT_EQ(filledFrom.Get(), top.GetThisIShf().Get());
    top.Flush();
    const com::ComPtr<IShellFolder> bound = top.GetThisIShf();
    ASSERT_TRUE(bound);
    EXPECT_NE(filledFrom.Get(), bound.Get());
    EXPECT_EQ(In("a"), ParsingNameOf(bound.Get()));

    // The folder holding the base folder, asked afresh each time.
    const com::ComPtr<IShellFolder> parent = top.GetParentIShf();
    ASSERT_TRUE(parent);
    EXPECT_EQ(Tree(), ParsingNameOf(parent.Get()));
}

TEST_F(ItemDataTest, OnlyNodesBelowTheTopAreEditable)
{
    std::filesystem::create_directories(In("folder"));
    std::filesystem::create_directories(In("locked"));
    WriteBytes(In("locked/item.txt"), 1);
    const OwnedList tree = ListOfPath(Tree());
    FolderListOwner inTree(Tree());
    FolderListOwner inLocked(In("locked"));

    TKwShTreeData top(nullptr);
    top.SetData(nullptr, tree.Get());
    TKwShTreeData desktopTop(nullptr);
    desktopTop.SetData(nullptr, nullptr);
    TKwShTreeData desktopChild(nullptr);
    desktopChild.SetData(&desktopTop, kwtest::MakeList({}).Get());
    TKwShTreeData folder(nullptr), locked(nullptr), lockedItem(nullptr);
    Attach(folder, &top, inTree, "folder");
    Attach(locked, &top, inTree, "locked");
    Attach(lockedItem, &locked, inLocked, "item.txt");

    ASSERT_EQ(0, ::chmod(In("locked").c_str(), 0555));
    struct Case {
        const char* name;
        TKwShTreeData* node;
        bool editable;
        bool needsNonRoot;
    };
    const std::vector<Case> cases = {
        {"the top node", &top, false, false},
        {"the desktop as top node", &desktopTop, false, false},
        {"a node naming the desktop", &desktopChild, false, false},
        {"a folder", &folder, true, false},
        {"an item of a read-only folder", &lockedItem, false, true},
    };
    for (const Case& c : cases) {
        if (c.needsNonRoot && ::geteuid() == 0) {
            std::cout << "[  SKIPPED ] " << c.name << ": root may change any folder\n";
            continue;
        }
        EXPECT_EQ(c.editable, c.node->GetEditable()) << c.name;
    }
    ::chmod(In("locked").c_str(), 0755);
}

// ---- combo entries ----

TEST_F(ItemDataTest, AComboEntrysFolder)
{
    std::filesystem::create_directories(In("sub"));
    const OwnedList tree = ListOfPath(Tree());
    FolderListOwner inTree(Tree());
    const OwnedList sub = inTree.ItemNamed("sub");
    const OwnedList missing = kwtest::MakeList({"not an item of ours"});
    const OwnedList empty = kwtest::MakeList({});
    com::ComPtr<IShellFolder> desktop;
    ASSERT_EQ(S_OK, SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf()));
    IShellFolder* treeFolder = inTree.GetCurrentFolderIShf();

    struct Case {
        const char* name;
        IShellFolder* parent;
        const ITEMIDLIST* parentList;
        const ITEMIDLIST* rel;
        std::optional<std::string> path; // nothing: it raises
        IShellFolder* same;              // the folder it must be, when known
    };
    const std::vector<Case> cases = {
        {"the desktop's entry: nil lists", desktop.Get(), nullptr, nullptr, "", desktop.Get()},
        {"no parent folder and nil lists: the desktop", nullptr, nullptr, nullptr, "", nullptr},
        {"an empty relative list: its parent folder", treeFolder, tree.Get(), empty.Get(), Tree(),
         treeFolder},
        {"an item of its parent folder", treeFolder, tree.Get(), sub.Get(), In("sub"), nullptr},
        {"an item without a parent folder", nullptr, tree.Get(), sub.Get(), In("sub"), nullptr},
        {"an item that cannot be bound", treeFolder, tree.Get(), missing.Get(), std::nullopt, nullptr},
    };
    for (const Case& c : cases) {
        TKwShComboData data(nullptr);
        data.SetData(c.parent, c.parentList, c.rel);
        EXPECT_EQ(c.parent, data.GetParentIShf()) << c.name;
        if (!c.path) {
            EXPECT_THROW(data.GetThisIShf(), vcl::EOleSysError) << c.name;
            continue;
        }
        const com::ComPtr<IShellFolder> folder = data.GetThisIShf();
        ASSERT_TRUE(folder) << c.name;
        EXPECT_EQ(folder.Get(), data.GetThisIShf().Get()) << c.name << ": the folder is kept";
        if (c.same) {
            EXPECT_EQ(c.same, folder.Get()) << c.name;
        }
        const std::string expected = c.path->empty() ? ParsingNameOf(desktop.Get()) : *c.path;
        EXPECT_EQ(expected, ParsingNameOf(folder.Get())) << c.name;
    }
}

// ---- items as a file manager meets them ----

// A chain of folders whose whole path is longer than PATH_MAX, made and
// removed by walking from descriptors, with one file of 2000 bytes at the
// bottom.
class DeepFolder {
public:
    explicit DeepFolder(const std::string& root) : Path_(root)
    {
        Fds_.push_back(::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        while (Path_.size() <= PATH_MAX) {
            const std::string name = std::to_string(Names_.size()) + std::string(200, 'd');
            EXPECT_EQ(0, ::mkdirat(Fds_.back(), name.c_str(), 0755));
            Fds_.push_back(::openat(Fds_.back(), name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
            Names_.push_back(name);
            Path_ += "/" + name;
        }
        const int file = ::openat(Fds_.back(), "leaf.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        EXPECT_EQ(2000, ::write(file, std::string(2000, 'x').data(), 2000));
        const timespec times[2] = {{Stamp(), 0}, {Stamp(), 0}};
        EXPECT_EQ(0, ::futimens(file, times));
        ::close(file);
    }
    ~DeepFolder()
    {
        ::unlinkat(Fds_.back(), "leaf.txt", 0);
        for (std::size_t level = Names_.size(); level-- > 0;) {
            ::close(Fds_[level + 1]);
            ::unlinkat(Fds_[level], Names_[level].c_str(), AT_REMOVEDIR);
        }
        ::close(Fds_.front());
    }
    DeepFolder(const DeepFolder&) = delete;
    DeepFolder& operator=(const DeepFolder&) = delete;
    const std::string& Path() const { return Path_; }

private:
    std::string Path_;
    std::vector<std::string> Names_;
    std::vector<int> Fds_;
};

TEST_F(ItemDataTest, ItemsOfEveryKindShowTrueDetails)
{
    // 2400-01-01 00:00:00 UTC: beyond what nanoseconds since 1970 hold in
    // 64 bits.
    constexpr time_t kFarFuture = 13569465600;
    struct Case {
        const char* name;
        // Makes the item in the tree, or its folder; gives the folder the
        // list shows and the item's name in it, empty to skip the case.
        std::function<std::pair<std::string, std::string>()> arrange;
        std::function<void()> afterListing; // what happens to it then
        const char* size;
        const char* modified;
        const char* type; // nullptr: any type but "System Folder"
        bool folder;
        bool editable;
    };
    std::optional<DeepFolder> deep;
    const std::vector<Case> cases = {
        {"a file dated after 2262",
         [&] {
             WriteBytes(In("future.txt"), 5);
             SetModified(In("future.txt"), kFarFuture);
             struct stat info {};
             if (::stat(In("future.txt").c_str(), &info) != 0 || info.st_mtime != kFarFuture)
                 return std::pair<std::string, std::string>{};
             return std::pair{Tree(), std::string("future.txt")};
         },
         nullptr, "1KB", "1/1/2400 12:00 AM", nullptr, false, true},
        {"a link to a folder",
         [&] {
             std::filesystem::create_directories(In("real"));
             SetModified(In("real"), Stamp());
             std::filesystem::create_directory_symlink("real", In("to-real"));
             SetModified(In("to-real"), Stamp());
             return std::pair{Tree(), std::string("to-real")};
         },
         nullptr, "", kStampText, "Folder", true, true},
        {"a file gone since it was listed",
         [&] {
             WriteBytes(In("gone.txt"), 5);
             return std::pair{Tree(), std::string("gone.txt")};
         },
         [&] { std::filesystem::remove(In("gone.txt")); }, "", "", "", false, false},
        {"a file deeper than PATH_MAX",
         [&] {
             deep.emplace(Tree());
             return std::pair{deep->Path(), std::string("leaf.txt")};
         },
         nullptr, "2KB", kStampText, nullptr, false, true},
    };
    for (const Case& c : cases) {
        const auto [folder, name] = c.arrange();
        if (folder.empty()) {
            ADD_FAILURE() << c.name << ": the file system keeps no such time";
            continue;
        }
        FolderListOwner owner(folder);
        const auto data = ItemOf(owner, name);
        if (c.afterListing)
            c.afterListing();
        EXPECT_EQ(c.size, data->GetSize()) << c.name;
        EXPECT_EQ(c.modified, data->GetModified()) << c.name;
        if (c.type) {
            EXPECT_EQ(c.type, data->GetFileType()) << c.name;
        } else {
            EXPECT_NE("", data->GetFileType()) << c.name;
            EXPECT_NE("System Folder", data->GetFileType()) << c.name;
        }
        EXPECT_EQ(c.folder, data->IsFolder()) << c.name;
        EXPECT_EQ(c.editable, data->GetEditable()) << c.name;
        // The folder's own columns take the same item.
        owner.UseFolderDetails();
        data->Flush();
        if (!c.afterListing) {
            const std::string modified = data->GetColText(3);
            EXPECT_FALSE(modified.empty()) << c.name;
        }
    }
}

} // namespace
