// The order of CompareIDs over lists that reach their items by different
// routes (the desktop directory's entries, Home, Computer and a drive, the
// Trash): equal exactly for one item, and a total order all the same.

#include "ShellTestHelpers.h"

#include "shell32/Folders.h"
#include "shell32/NaturalOrder.h"
#include "shell32/ShellTesting.h"
#include "win32/MountTesting.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>

using namespace shelltest;

namespace {

std::string Bytes(LPCITEMIDLIST pidl)
{
    return std::string(reinterpret_cast<const char*>(pidl), shell32::IdListSize(pidl) - 2);
}

Pidl Concat(LPCITEMIDLIST a, LPCITEMIDLIST b)
{
    return Pidl(shell32::AllocIdList(Bytes(a) + Bytes(b)));
}

Pidl Special(int csidl)
{
    LPITEMIDLIST pidl = nullptr;
    EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, csidl, &pidl), S_OK) << csidl;
    return Pidl(pidl);
}

Pidl Virtual(const GUID& id)
{
    std::string bytes;
    shell32::AppendVirtualItem(bytes, id);
    return Pidl(shell32::AllocIdList(bytes));
}

// What an item is, whatever route its list took.
std::string TargetOf(IShellFolder* desktop, LPCITEMIDLIST pidl)
{
    if (shell32::IdListSize(pidl) == 2)
        return "(the desktop, which is not its directory)";
    if (std::optional<std::string> path = shell32::PathFromIdList(pidl))
        return *path;
    return NameOf(desktop, pidl, SHGDN_FORPARSING);
}

int Sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

} // namespace

TEST(FolderOrder, RoutesToOneItemAreOneItemInATotalOrder)
{
    ShellEnvironment env;
    const std::string share = env / "share";
    std::filesystem::create_directories(share + "/docs");
    std::filesystem::create_directories(env / "Desktop/sub");
    std::filesystem::create_directories(env / "docs");
    std::filesystem::create_directories(env / ".local/share/Trash/files/old");
    std::filesystem::create_directories(env / ".local/share/Trash/info");
    for (const char* name : {"Desktop/a.txt", "Desktop/same.txt", "Desktop/z.txt", "Desktop/sub/inner.txt",
                             "docs/f.txt", "share/readme.txt", ".local/share/Trash/files/gone.txt"})
        WriteFile(env / name, "x");
    auto source = std::make_shared<win32::testing::TextMountSource>("1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                                                                    "39 1 0:52 / " +
                                                                    share + " rw - nfs4 nas:/export rw\n");
    win32::testing::ScopedMountSource use(source);

    com::ComPtr<IShellFolder> desktop = Desktop();
    std::vector<Pidl> lists;
    auto add = [&](Pidl pidl) {
        ASSERT_TRUE(pidl);
        lists.push_back(std::move(pidl));
    };
    // Entries of the desktop directory, straight from the desktop.
    for (const char* name : {"a.txt", "same.txt", "z.txt", "sub", "sub/inner.txt"})
        add(ParseOk(desktop.Get(), name));
    // The same and others through Computer and "/" (an absolute path parses so).
    for (const char* name : {"Desktop/same.txt", "Desktop/sub", "Desktop/a.txt", "docs", "docs/f.txt",
                             "share", "share/readme.txt", ".local/share/Trash/files/gone.txt", "Desktop"})
        add(ParseOk(desktop.Get(), env / name));
    add(ParseOk(desktop.Get(), "/"));
    // Through Home.
    const Pidl home = Virtual(shell32::CLSID_Home);
    com::ComPtr<IShellFolder> homeFolder;
    ASSERT_EQ(
        desktop->BindToObject(home.get(), nullptr, IID_IShellFolder, homeFolder.ReleaseAndGetVoidAddress()),
        S_OK);
    for (const char* name :
         {"Desktop/same.txt", "docs/f.txt", "docs", "share", "share/readme.txt", "Desktop"})
        add(Concat(home.get(), ParseOk(homeFolder.Get(), name).get()));
    add(Virtual(shell32::CLSID_Home));
    add(Special(CSIDL_DESKTOPDIRECTORY));
    add(Special(CSIDL_PERSONAL));
    // Through the drive of the share, found in Computer.
    const Pidl computer = Special(CSIDL_DRIVES);
    com::ComPtr<IShellFolder> computerFolder;
    ASSERT_EQ(desktop->BindToObject(computer.get(), nullptr, IID_IShellFolder,
                                    computerFolder.ReleaseAndGetVoidAddress()),
              S_OK);
    for (const Pidl& drive : EnumAll(computerFolder.Get(), SHCONTF_FOLDERS)) {
        add(Concat(computer.get(), drive.get()));
        if (NameOf(computerFolder.Get(), drive.get(), SHGDN_FORPARSING) == share) {
            com::ComPtr<IShellFolder> shareFolder;
            ASSERT_EQ(computerFolder->BindToObject(drive.get(), nullptr, IID_IShellFolder,
                                                   shareFolder.ReleaseAndGetVoidAddress()),
                      S_OK);
            const Pidl absoluteDrive = Concat(computer.get(), drive.get());
            add(Concat(absoluteDrive.get(), ParseOk(shareFolder.Get(), "readme.txt").get()));
        }
    }
    // The Trash and its entry; the virtual folders on their own.
    const Pidl trash = Special(CSIDL_BITBUCKET);
    com::ComPtr<IShellFolder> trashFolder;
    ASSERT_EQ(
        desktop->BindToObject(trash.get(), nullptr, IID_IShellFolder, trashFolder.ReleaseAndGetVoidAddress()),
        S_OK);
    for (const Pidl& entry : EnumAll(trashFolder.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS))
        add(Concat(trash.get(), entry.get()));
    add(Virtual(CLSID_RecycleBin));
    add(Virtual(CLSID_MyComputer));
    add(Virtual(CLSID_ControlPanel));
    add(Special(CSIDL_CONTROLS));
    add(Special(CSIDL_NETWORK));
    add(Pidl(shell32::AllocIdList({})));
    ASSERT_GE(lists.size(), 35u);

    const std::size_t n = lists.size();
    std::vector<std::string> targets;
    for (const Pidl& pidl : lists)
        targets.push_back(TargetOf(desktop.Get(), pidl.get()));
    std::vector<std::vector<int>> order(n, std::vector<int>(n));
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            const HRESULT hr = desktop->CompareIDs(0, lists[i].get(), lists[j].get());
            ASSERT_TRUE(SUCCEEDED(hr)) << targets[i] << " / " << targets[j];
            order[i][j] = Sign(CompareResult(hr));
        }
    }
    int failures = 0;
    for (std::size_t i = 0; i < n && failures < 10; ++i) {
        for (std::size_t j = 0; j < n && failures < 10; ++j) {
            // Equal exactly when the item is one; antisymmetric.
            if ((order[i][j] == 0) != (targets[i] == targets[j]) || order[i][j] != -order[j][i]) {
                ++failures;
                ADD_FAILURE() << targets[i] << " vs " << targets[j] << ": " << order[i][j];
            }
            for (std::size_t k = 0; k < n && failures < 10; ++k) {
                // Transitive, and one item orders as one against any third.
                const bool broken = (order[i][j] < 0 && order[j][k] < 0 && order[i][k] >= 0) ||
                                    (order[i][j] == 0 && order[i][k] != order[j][k]);
                if (broken) {
                    ++failures;
                    ADD_FAILURE() << targets[i] << ", " << targets[j] << ", " << targets[k] << ": "
                                  << order[i][j] << order[j][k] << order[i][k];
                }
            }
        }
    }

    // The desktop still shows its own children as before: the virtual folders
    // first, then folders, then files by name.
    const Pidl subEntry = ParseOk(desktop.Get(), "sub");
    const Pidl aEntry = ParseOk(desktop.Get(), "a.txt");
    EXPECT_EQ(CompareResult(desktop->CompareIDs(0, computer.get(), subEntry.get())), -1);
    EXPECT_EQ(CompareResult(desktop->CompareIDs(0, subEntry.get(), aEntry.get())), -1);
    EXPECT_EQ(CompareResult(desktop->CompareIDs(0, home.get(), computer.get())), -1);
}

TEST(FolderOrder, SortingByTypeAsksTheMimeDatabaseOncePerName)
{
    ShellEnvironment env;
    com::ComPtr<IShellFolder> folder = BindPath(env.Home());
    ASSERT_TRUE(folder);
    const char* extensions[] = {".txt", ".png", ".pdf", ".tar.gz", ".cpp", ""};
    std::vector<Pidl> items;
    for (int i = 0; i < 3000; ++i) {
        std::string bytes;
        const std::string name = "item" + std::to_string(i) + extensions[i % 6];
        ASSERT_TRUE(shell32::AppendFileSystemItem(bytes, shell32::ItemKind::File, name,
                                                  shell32::StatSnapshot{S_IFREG | 0644u, 1, 1}));
        items.emplace_back(shell32::AllocIdList(bytes));
    }
    const std::size_t before = shell32::testing::FileTypeLookUps();
    std::sort(items.begin(), items.end(), [&](const Pidl& a, const Pidl& b) {
        return CompareResult(folder->CompareIDs(2, a.get(), b.get())) < 0;
    });
    EXPECT_LE(shell32::testing::FileTypeLookUps() - before, items.size());
    // Sorted by type, then by name within a type.
    for (std::size_t i = 1; i < items.size(); ++i) {
        const std::string previous =
            NameOf(folder.Get(), items[i - 1].get(), SHGDN_INFOLDER | SHGDN_FORPARSING);
        const std::string current = NameOf(folder.Get(), items[i].get(), SHGDN_INFOLDER | SHGDN_FORPARSING);
        const int byType = shell32::CompareNamesNatural(shell32::FileTypeName(previous, false),
                                                        shell32::FileTypeName(current, false), false);
        EXPECT_TRUE(byType < 0 || (byType == 0 && shell32::CompareNamesNatural(previous, current) < 0))
            << previous << " / " << current;
    }
}

namespace {

std::string TypeText(IShellFolder* folder, LPCITEMIDLIST pidl)
{
    SHELLDETAILS details{};
    EXPECT_EQ(com::ComPtr<IShellFolder>(folder).As<IShellDetails>()->GetDetailsOf(pidl, 2, &details), S_OK);
    return TakeText(details.str);
}

// A folder's children sorted by type after their types were told on the
// given number of threads (none: told as the comparisons ask), each with
// its type text; every file's content read afresh.
std::vector<std::string> SortedByType(const std::string& dir, std::optional<unsigned> threads)
{
    shell32::testing::ForgetFileTypesRead();
    const com::ComPtr<IShellFolder> folder = BindPath(dir);
    std::vector<Pidl> items =
        EnumAll(folder.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN);
    std::vector<LPCITEMIDLIST> lists;
    for (const Pidl& item : items)
        lists.push_back(item.get());
    if (threads) {
        EXPECT_EQ(
            shell32::TypeChildren(folder.Get(), static_cast<UINT>(lists.size()), lists.data(), *threads),
            S_OK);
    }
    std::sort(lists.begin(), lists.end(), [&](LPCITEMIDLIST a, LPCITEMIDLIST b) {
        return CompareResult(folder->CompareIDs(2, a, b)) < 0;
    });
    std::vector<std::string> rows;
    for (LPCITEMIDLIST list : lists)
        rows.push_back(NameOf(folder.Get(), list, SHGDN_INFOLDER | SHGDN_FORPARSING) + ": " +
                       TypeText(folder.Get(), list));
    return rows;
}

} // namespace

TEST(FolderOrder, SortingByTypeReadsContentAlikeOnOneThreadAndMany)
{
    ShellEnvironment env;
    const std::string dir = env / "kinds";
    std::filesystem::create_directories(dir + "/folder");
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0", 29);
    // Files without a suffix, whose content alone tells their type, among
    // files whose suffix tells it.
    for (int i = 0; i < 12; ++i) {
        const std::string n = std::to_string(i);
        WriteFile(dir + "/text" + n, "Some words of plain text.\n");
        WriteFile(dir + "/picture" + n, png);
        WriteFile(dir + "/empty" + n);
        WriteFile(dir + "/locked" + n, png);
        ::chmod((dir + "/locked" + n).c_str(), 0);
        WriteFile(dir + "/notes" + n + ".txt", "text");
        WriteFile(dir + "/image" + n + ".PNG", png);
    }
    ASSERT_EQ(::mkfifo((dir + "/pipe").c_str(), 0644), 0);

    const std::vector<std::string> byOne = SortedByType(dir, 1u);
    ASSERT_EQ(byOne.size(), 12u * 6 + 2);
    EXPECT_EQ(SortedByType(dir, 4u), byOne);
    EXPECT_EQ(SortedByType(dir, 0u), byOne);
    EXPECT_EQ(SortedByType(dir, std::nullopt), byOne);

    // The content told them: a picture without a suffix is typed as one
    // with it, and so is a text.
    const auto typeOf = [&](const std::string& name) {
        for (const std::string& row : byOne)
            if (row.starts_with(name + ": "))
                return row.substr(name.size() + 2);
        return std::string("(missing)");
    };
    EXPECT_EQ(typeOf("picture3"), shell32::FileTypeName("x.png", false));
    EXPECT_EQ(typeOf("text3"), shell32::FileTypeName("x.txt", false));
    EXPECT_NE(typeOf("empty3"), typeOf("text3"));
    EXPECT_NE(typeOf("empty3"), shell32::FileTypeName("x", false));
    EXPECT_EQ(typeOf("folder"), "Folder");
    EXPECT_EQ(byOne.front(), "folder: Folder");
}

TEST(FolderOrder, TypesFollowAFileAsItChanges)
{
    ShellEnvironment env;
    const std::string dir = env / "changing";
    std::filesystem::create_directories(dir);
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0", 29);
    const std::string text = shell32::FileTypeName("x.txt", false);
    const std::string picture = shell32::FileTypeName("x.png", false);
    struct Step {
        std::string content;
        std::string type;
    };
    // Each step writes the file anew (another size or time), lists it again
    // and tells its type ahead: the answer kept for what it held before
    // must not stand for what it holds now.
    const Step steps[] = {
        {"plain words\n", text}, {png, picture}, {"other words, longer\n", text}, {png, picture}};
    std::int64_t second = 1'600'000'000;
    for (const Step& step : steps) {
        WriteFile(dir + "/data", step.content);
        const struct timespec times[2] = {{second, 0}, {second, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir + "/data").c_str(), times, 0), 0);
        second += 60;
        const com::ComPtr<IShellFolder> folder = BindPath(dir);
        std::vector<Pidl> items = EnumAll(folder.Get(), SHCONTF_NONFOLDERS);
        ASSERT_EQ(items.size(), 1u);
        LPCITEMIDLIST one = items[0].get();
        EXPECT_EQ(shell32::TypeChildren(folder.Get(), 1, &one), S_OK);
        EXPECT_EQ(TypeText(folder.Get(), one), step.type) << step.content;
    }
}

TEST(FolderOrder, TellingTypesAheadTakesOnlyListsOfItsChildren)
{
    ShellEnvironment env;
    const std::string dir = env / "typed";
    std::filesystem::create_directories(dir);
    WriteFile(dir + "/notes", "plain words\n");
    const com::ComPtr<IShellFolder> folder = BindPath(dir);
    const Pidl notes = ParseOk(folder.Get(), "notes");
    const Pidl foreign(shell32::AllocIdList(std::string("\x05\x00\xCB\x01\x04", 5)));
    const Pidl twoLevels(shell32::AllocIdList(
        std::string(reinterpret_cast<const char*>(notes.get()), shell32::IdListSize(notes.get()) - 2) +
        std::string(reinterpret_cast<const char*>(notes.get()), shell32::IdListSize(notes.get()) - 2)));
    LPCITEMIDLIST lists[] = {foreign.get(), twoLevels.get(), notes.get()};
    // Lists that are not one child of the folder are passed over; the rest
    // are typed as their texts read.
    EXPECT_EQ(shell32::TypeChildren(folder.Get(), 3, lists), S_OK);
    EXPECT_EQ(TypeText(folder.Get(), notes.get()), shell32::FileTypeName("x.txt", false));
    EXPECT_EQ(shell32::TypeChildren(folder.Get(), 0, nullptr), S_OK);
    EXPECT_EQ(shell32::TypeChildren(folder.Get(), 1, nullptr), E_INVALIDARG);
    EXPECT_EQ(shell32::TypeChildren(nullptr, 1, lists), E_POINTER);
}

TEST(FolderOrder, BindingWalksFromTheFoldersOwnDirectory)
{
    ShellEnvironment env;
    std::filesystem::create_directories(env / "dir/sub");
    WriteFile(env / "dir/sub/real.txt");
    com::ComPtr<IShellFolder> folder = BindPath(env / "dir");
    ASSERT_TRUE(folder);
    const Pidl sub = ParseOk(folder.Get(), "sub");

    // The folder's directory moves away and another takes its place.
    std::filesystem::rename(env / "dir", env / "moved");
    std::filesystem::create_directories(env / "dir/sub");
    WriteFile(env / "dir/sub/decoy.txt");

    // The child is the one below the folder's own directory, not below the path.
    com::ComPtr<IShellFolder> child;
    ASSERT_EQ(folder->BindToObject(sub.get(), nullptr, IID_IShellFolder, child.ReleaseAndGetVoidAddress()),
              S_OK);
    std::vector<std::string> names;
    for (const Pidl& item : EnumAll(child.Get(), SHCONTF_NONFOLDERS))
        names.push_back(NameOf(child.Get(), item.get(), SHGDN_INFOLDER));
    EXPECT_EQ(names, std::vector<std::string>{"real.txt"});

    // A child that is gone, or is a file now, is reported as such.
    std::filesystem::remove_all(env / "moved/sub");
    EXPECT_EQ(folder->BindToObject(sub.get(), nullptr, IID_IShellFolder, child.ReleaseAndGetVoidAddress()),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    WriteFile(env / "moved/sub");
    EXPECT_EQ(folder->BindToObject(sub.get(), nullptr, IID_IShellFolder, child.ReleaseAndGetVoidAddress()),
              HRESULT_FROM_WIN32(ERROR_DIRECTORY));
    EXPECT_FALSE(child);
}

TEST(FolderOrder, SetNameOfEdgeCases)
{
    ShellEnvironment env;
    const std::string dir = env / "edge";
    std::filesystem::create_directories(dir + "/folder");
    WriteFile(dir + "/a.txt", "A");
    ASSERT_EQ(symlink("nowhere", (dir + "/dangling").c_str()), 0);
    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    Pidl a = ParseOk(folder.Get(), "a.txt");
    LPITEMIDLIST renamed = nullptr;

    // A dangling symbolic link is a name in use: never replaced.
    EXPECT_EQ(folder->SetNameOf(nullptr, a.get(), u"dangling", 0, &renamed),
              HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(renamed, nullptr);
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/dangling"));
    EXPECT_TRUE(std::filesystem::exists(dir + "/a.txt"));

    // The same name: nothing to do, the item comes back.
    ASSERT_EQ(folder->SetNameOf(nullptr, a.get(), u"a.txt", 0, &renamed), S_OK);
    Pidl same(renamed);
    EXPECT_EQ(folder->CompareIDs(0, a.get(), same.get()), S_OK);

    // Only the case differs: another name here.
    ASSERT_EQ(folder->SetNameOf(nullptr, a.get(), u"A.TXT", 0, &renamed), S_OK);
    Pidl upper(renamed);
    EXPECT_TRUE(std::filesystem::exists(dir + "/A.TXT"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/a.txt"));
    EXPECT_NE(CompareResult(folder->CompareIDs(0, a.get(), upper.get())), 0);

    // A folder renames too, and keeps what it holds.
    WriteFile(dir + "/folder/inside.txt");
    Pidl sub = ParseOk(folder.Get(), "folder");
    ASSERT_EQ(folder->SetNameOf(nullptr, sub.get(), u"renamed folder", 0, &renamed), S_OK);
    Pidl renamedFolder(renamed);
    EXPECT_TRUE(std::filesystem::exists(dir + "/renamed folder/inside.txt"));

    // The item is gone: an error, and nothing appears.
    EXPECT_TRUE(FAILED(folder->SetNameOf(nullptr, a.get(), u"b.txt", 0, &renamed)));
    EXPECT_FALSE(std::filesystem::exists(dir + "/b.txt"));
}

TEST(FolderOrder, AddressBarNamesArePlacesAPersonReads)
{
    ShellEnvironment env;
    WriteFile(env / "Desktop/note.txt");
    com::ComPtr<IShellFolder> desktop = Desktop();
    const DWORD address = SHGDN_FORPARSING | SHGDN_FORADDRESSBAR;
    // Virtual folders by their names, file-system items by their paths.
    const Pidl computer = Virtual(CLSID_MyComputer);
    EXPECT_EQ(NameOf(desktop.Get(), computer.get(), address), "Computer");
    EXPECT_EQ(NameOf(desktop.Get(), computer.get(), SHGDN_FORPARSING),
              "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    const Pidl controls = Special(CSIDL_CONTROLS);
    EXPECT_EQ(NameOf(desktop.Get(), controls.get(), address), "Control Panel");
    EXPECT_EQ(NameOf(desktop.Get(), Virtual(shell32::CLSID_Home).get(), address), env.Home());
    EXPECT_EQ(NameOf(desktop.Get(), ParseOk(desktop.Get(), "note.txt").get(), address),
              env / "Desktop/note.txt");
    // A virtual folder's own name.
    com::ComPtr<IShellFolder> computerFolder;
    ASSERT_EQ(desktop->BindToObject(computer.get(), nullptr, IID_IShellFolder,
                                    computerFolder.ReleaseAndGetVoidAddress()),
              S_OK);
    const Pidl self(shell32::AllocIdList({}));
    EXPECT_EQ(NameOf(computerFolder.Get(), self.get(), address), "Computer");
    EXPECT_EQ(NameOf(computerFolder.Get(), self.get(), SHGDN_FORPARSING),
              "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
}
