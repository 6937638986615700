#include "ShellTestHelpers.h"

#include "shell32/Folders.h"
#include "shell32/NaturalOrder.h"
#include "win32/ListedFolders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <vector>

using namespace shelltest;
using shell32::ItemKind;
using shell32::StatSnapshot;

namespace {

std::set<std::string> NamesOf(IShellFolder* folder, const std::vector<Pidl>& items)
{
    std::set<std::string> names;
    for (const Pidl& item : items)
        names.insert(NameOf(folder, item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING));
    return names;
}

Pidl SyntheticItem(ItemKind kind, const std::string& name, std::uint64_t size = 0, std::int64_t mtime = 0)
{
    std::string bytes;
    const StatSnapshot stat{kind == ItemKind::Directory ? (S_IFDIR | 0755u) : (S_IFREG | 0644u), size, mtime};
    EXPECT_TRUE(shell32::AppendFileSystemItem(bytes, kind, name, stat));
    return Pidl(shell32::AllocIdList(bytes));
}

} // namespace

TEST(ShellFolder, EnumerationFollowsItsFlags)
{
    ShellEnvironment env;
    const std::string dir = env / "list";
    std::filesystem::create_directories(dir + "/sub");
    std::filesystem::create_directories(dir + "/.hdir");
    WriteFile(dir + "/a.txt");
    WriteFile(dir + "/.hidden");
    ASSERT_EQ(symlink("sub", (dir + "/link").c_str()), 0);
    ASSERT_EQ(symlink("a.txt", (dir + "/filelink").c_str()), 0);
    std::filesystem::create_directories(env / "empty");

    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    using Names = std::set<std::string>;
    EXPECT_EQ(NamesOf(folder.Get(), EnumAll(folder.Get(), SHCONTF_FOLDERS)), (Names{"sub", "link"}));
    EXPECT_EQ(NamesOf(folder.Get(), EnumAll(folder.Get(), SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN)),
              (Names{"sub", "link", ".hdir"}));
    EXPECT_EQ(NamesOf(folder.Get(), EnumAll(folder.Get(), SHCONTF_NONFOLDERS)), (Names{"a.txt", "filelink"}));
    EXPECT_EQ(NamesOf(folder.Get(), EnumAll(folder.Get(), SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN)),
              (Names{"a.txt", "filelink", ".hidden"}));
    EXPECT_TRUE(EnumAll(folder.Get(), SHCONTF_INCLUDEHIDDEN).empty());

    // Next, Skip, Reset and Clone on the six entries.
    com::ComPtr<IEnumIDList> enumerator;
    ASSERT_EQ(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                  enumerator.ReleaseAndGetAddressOf()),
              S_OK);
    LPITEMIDLIST batch[8] = {};
    ULONG fetched = 99;
    EXPECT_EQ(enumerator->Next(2, batch, nullptr), E_POINTER); // more than one needs a count
    EXPECT_EQ(enumerator->Next(2, batch, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    const std::string second = NameOf(folder.Get(), batch[1], SHGDN_INFOLDER | SHGDN_FORPARSING);
    com::ComPtr<IEnumIDList> clone;
    ASSERT_EQ(enumerator->Clone(clone.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(enumerator->Skip(3), S_OK);
    EXPECT_EQ(enumerator->Next(8, batch + 2, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(enumerator->Next(1, batch + 3, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(enumerator->Skip(1), S_FALSE);
    EXPECT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Skip(6), S_OK);
    EXPECT_EQ(enumerator->Skip(1), S_FALSE);
    for (int i = 0; i < 3; ++i)
        CoTaskMemFree(batch[i]);
    // The clone kept its own position: the third entry comes next.
    LPITEMIDLIST third = nullptr;
    ASSERT_EQ(clone->Next(1, &third, nullptr), S_OK);
    EXPECT_NE(NameOf(folder.Get(), third, SHGDN_INFOLDER | SHGDN_FORPARSING), second);
    CoTaskMemFree(third);

    // An empty folder answers S_FALSE and hands out no enumerator; so does a
    // folder whose only entries the flags leave out (a hidden file, here).
    com::ComPtr<IShellFolder> empty = BindPath(env / "empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS,
                                 enumerator.ReleaseAndGetAddressOf()),
              S_FALSE);
    EXPECT_FALSE(enumerator);
    {
        const int fd = ::open((env / "empty/.hidden").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    EXPECT_EQ(empty->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS,
                                 enumerator.ReleaseAndGetAddressOf()),
              S_FALSE);
    EXPECT_FALSE(enumerator);
    ASSERT_EQ(empty->EnumObjects(nullptr, SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                 enumerator.ReleaseAndGetAddressOf()),
              S_OK);
    ASSERT_TRUE(enumerator);
    LPITEMIDLIST hidden = nullptr;
    fetched = 0;
    EXPECT_EQ(enumerator->Next(1, &hidden, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    CoTaskMemFree(hidden);

    // Listing recorded the folder for the change notifier.
    struct stat st {};
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    const auto listed = win32::ListedFoldersBelow(st.st_dev, env.Home());
    EXPECT_TRUE(std::any_of(listed.begin(), listed.end(), [&](const win32::ListedFolder& f) {
        return f.inode == st.st_ino && f.path == dir;
    }));
}

TEST(ShellFolder, CompareIDsIsATotalOrderOfNames)
{
    ShellEnvironment env;
    com::ComPtr<IShellFolder> folder = BindPath(env.Home());
    ASSERT_TRUE(folder);
    std::mt19937 random(1234);
    std::map<std::string, bool> chosen; // one item per name, as in a folder
    const std::vector<std::string> stems = {"file",
                                            "File",
                                            "FILE",
                                            "a",
                                            "A",
                                            "b",
                                            "Z",
                                            "z",
                                            ".",
                                            ".dot",
                                            "\xc3\xa9t\xc3\xa9",
                                            "\xc3\x89T\xc3\x89",
                                            "\xff",
                                            "x\xfey",
                                            "",
                                            "00",
                                            "report 2",
                                            "Report 02"};
    while (chosen.size() < 900) {
        std::string name = stems[random() % stems.size()];
        const int parts = 1 + random() % 3;
        for (int p = 0; p < parts; ++p) {
            switch (random() % 4) {
            case 0:
                name += std::to_string(random() % 120);
                break;
            case 1:
                name += std::string(random() % 3, '0') + std::to_string(random() % 12);
                break;
            case 2:
                name += stems[random() % stems.size()];
                break;
            default:
                name += static_cast<char>('a' + random() % 3);
            }
        }
        if (shell32::IsValidItemName(name))
            chosen.emplace(name, random() % 5 == 0);
    }
    std::vector<Pidl> items;
    for (const auto& [name, isFolder] : chosen)
        items.push_back(SyntheticItem(isFolder ? ItemKind::Directory : ItemKind::File, name));
    auto compare = [&](const Pidl& a, const Pidl& b) {
        const HRESULT hr = folder->CompareIDs(0, a.get(), b.get());
        EXPECT_TRUE(SUCCEEDED(hr));
        return CompareResult(hr);
    };
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return compare(items[a], items[b]) < 0; });
    // Sorted and strictly increasing for every pair: antisymmetric, transitive,
    // and 0 only for the same item.
    int failures = 0;
    for (std::size_t i = 0; i < order.size() && failures < 5; ++i) {
        EXPECT_EQ(compare(items[order[i]], items[order[i]]), 0);
        for (std::size_t j = i + 1; j < order.size() && failures < 5; ++j) {
            const short forward = compare(items[order[i]], items[order[j]]);
            const short backward = compare(items[order[j]], items[order[i]]);
            if (forward >= 0 || backward <= 0) {
                ++failures;
                ADD_FAILURE() << "order broken between " << i << " and " << j;
            }
        }
    }
    // Folders first, then natural, case-insensitive names.
    EXPECT_EQ(CompareResult(folder->CompareIDs(0, SyntheticItem(ItemKind::Directory, "zz").get(),
                                               SyntheticItem(ItemKind::File, "aa").get())),
              -1);
    EXPECT_EQ(CompareResult(folder->CompareIDs(0, SyntheticItem(ItemKind::File, "file9").get(),
                                               SyntheticItem(ItemKind::File, "file10").get())),
              -1);
    EXPECT_EQ(CompareResult(folder->CompareIDs(0, SyntheticItem(ItemKind::File, "apple").get(),
                                               SyntheticItem(ItemKind::File, "Banana").get())),
              -1);
    EXPECT_NE(CompareResult(folder->CompareIDs(0, SyntheticItem(ItemKind::File, "Case").get(),
                                               SyntheticItem(ItemKind::File, "case").get())),
              0);
    // A malformed list is refused, never compared.
    const char junk[] = {3, 0, 1, 0, 0};
    EXPECT_EQ(folder->CompareIDs(0, reinterpret_cast<LPCITEMIDLIST>(junk), items[0].get()), E_INVALIDARG);
}

TEST(ShellFolder, DetailColumnsOrderByTheirKind)
{
    ShellEnvironment env;
    com::ComPtr<IShellFolder> folder = BindPath(env.Home());
    ASSERT_TRUE(folder);
    auto order = [&](UINT column, const Pidl& a, const Pidl& b) {
        return CompareResult(folder->CompareIDs(column, a.get(), b.get()));
    };
    const Pidl small = SyntheticItem(ItemKind::File, "b-small.txt", 10, 300);
    const Pidl large = SyntheticItem(ItemKind::File, "a-large.txt", 5000, 100);
    const Pidl image = SyntheticItem(ItemKind::File, "c.png", 10, 200);
    const Pidl folderItem = SyntheticItem(ItemKind::Directory, "z-folder", 0, 50);
    // Name.
    EXPECT_EQ(order(0, large, small), -1);
    // Size, then name for equal sizes.
    EXPECT_EQ(order(1, small, large), -1);
    EXPECT_EQ(order(1, small, image), -1);
    // Modified.
    EXPECT_EQ(order(3, large, image), -1);
    EXPECT_EQ(order(3, image, small), -1);
    // Type: both texts order the same way their type names do.
    const std::string textType = shell32::FileTypeName("x.txt", false);
    const std::string pngType = shell32::FileTypeName("x.png", false);
    ASSERT_NE(textType, pngType);
    EXPECT_EQ(order(2, small, image), shell32::CompareNamesNatural(textType, pngType, false) < 0 ? -1 : 1);
    EXPECT_EQ(order(2, small, large), 1); // same type: names decide
    // Folders stay first in every column.
    for (UINT column = 0; column < 4; ++column)
        EXPECT_EQ(order(column, folderItem, large), -1) << column;
}

TEST(ShellFolder, TheSameFileThroughEveryRouteIsOneItem)
{
    ShellEnvironment env;
    WriteFile(env / "Desktop/same.txt", "x");
    WriteFile(env / "Desktop/other.txt", "y");
    com::ComPtr<IShellFolder> desktop = Desktop();

    // An entry of the desktop directory, straight from the desktop.
    Pidl direct = ParseOk(desktop.Get(), "same.txt");
    // Through Computer and "/".
    Pidl absolute = ParseOk(desktop.Get(), env / "Desktop/same.txt");
    // Through Home: the desktop directory's special folder and its child.
    LPITEMIDLIST special = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &special), S_OK);
    Pidl desktopDir(special);
    com::ComPtr<IShellFolder> viaHome;
    ASSERT_EQ(desktop->BindToObject(desktopDir.get(), nullptr, IID_IShellFolder,
                                    viaHome.ReleaseAndGetVoidAddress()),
              S_OK);
    Pidl child = ParseOk(viaHome.Get(), "same.txt");
    const std::size_t prefix = shell32::IdListSize(desktopDir.get()) - 2;
    std::string joined(reinterpret_cast<const char*>(desktopDir.get()), prefix);
    joined.append(reinterpret_cast<const char*>(child.get()), shell32::IdListSize(child.get()) - 2);
    Pidl throughHome(shell32::AllocIdList(joined));

    std::vector<ITEMIDLIST*> routes = {direct.get(), absolute.get(), throughHome.get()};
    ASSERT_NE(shell32::IdListSize(direct.get()), shell32::IdListSize(absolute.get())); // different routes
    for (ITEMIDLIST* a : routes) {
        EXPECT_EQ(shell32::PathFromIdList(a), env / "Desktop/same.txt");
        for (ITEMIDLIST* b : routes)
            EXPECT_EQ(desktop->CompareIDs(0, a, b), S_OK);
    }
    Pidl other = ParseOk(desktop.Get(), env / "Desktop/other.txt");
    for (ITEMIDLIST* a : routes) {
        EXPECT_NE(CompareResult(desktop->CompareIDs(0, a, other.get())), 0);
        EXPECT_EQ(CompareResult(desktop->CompareIDs(0, a, other.get())),
                  -CompareResult(desktop->CompareIDs(0, other.get(), a)));
    }
    // The desktop itself is not its directory, and a folder is not its child.
    Pidl root(shell32::AllocIdList({}));
    EXPECT_NE(CompareResult(desktop->CompareIDs(0, root.get(), desktopDir.get())), 0);
    EXPECT_EQ(CompareResult(desktop->CompareIDs(0, desktopDir.get(), throughHome.get())), -1);
}

// ".." in a typed path goes back as the kernel does: past a symbolic link
// from where it leads, so the path names the file any other program opens.
TEST(ShellFolder, DotDotAfterALinkNamesWhatTheKernelOpens)
{
    ShellEnvironment env;
    const std::string d = env / "Desktop";
    std::filesystem::create_directories(d + "/real/sub");
    std::filesystem::create_directories(d + "/other");
    WriteFile(d + "/real/sub/inner.txt", "i");
    WriteFile(d + "/real/target.txt", "real");
    WriteFile(d + "/other/target.txt", "other");
    ASSERT_EQ(::symlink((d + "/real/sub").c_str(), (d + "/other/lnk").c_str()), 0);
    ASSERT_EQ(::symlink((d + "/nowhere").c_str(), (d + "/other/dangling").c_str()), 0);
    com::ComPtr<IShellFolder> desktop = Desktop();
    const std::pair<std::string, std::string> rows[] = {
        {d + "/other/lnk/../target.txt", d + "/real/target.txt"},
        {d + "/other/lnk/./../../real/target.txt", d + "/real/target.txt"},
        {d + "/other/../other/target.txt", d + "/other/target.txt"},
        {d + "/real/sub/../target.txt", d + "/real/target.txt"},
        {d + "/other/dangling/../target.txt", d + "/other/target.txt"},
    };
    for (const auto& [typed, opened] : rows) {
        Pidl parsed = ParseOk(desktop.Get(), typed);
        EXPECT_EQ(shell32::PathFromIdList(parsed.get()), opened) << typed;
    }
    // Never above the root.
    std::string items;
    ASSERT_EQ(shell32::ParseAbsolutePath("/../../" + d.substr(1) + "/real/target.txt", items), S_OK);
}

// A parser of many paths gives, path by path, what ParseAbsolutePath gives,
// whichever folder the path before it lay in.
TEST(ShellFolder, APathParserAnswersAsEachPathParsedAlone)
{
    ShellEnvironment env;
    const std::string d = env / "Desktop";
    std::filesystem::create_directories(d + "/a/deep/er");
    std::filesystem::create_directories(d + "/b");
    for (const char* file : {"/a/1", "/a/2", "/a/deep/3", "/a/deep/er/4", "/b/5", "/top"})
        WriteFile(d + file, "x");
    ASSERT_EQ(::symlink((d + "/a/deep").c_str(), (d + "/b/lnk").c_str()), 0);
    const std::string paths[] = {
        d + "/a/1",          d + "/a/2",      d + "/a/missing",
        d + "/a/1",          d + "/a/deep/3", d + "/a/deep/er/4",
        d + "/a/deep/er",    d + "/a/deep/3", d + "//a/./2",
        d + "/b/lnk/../a/1", d + "/b/lnk/3",  d + "/b/5",
        d + "/top",          d + "/gone/1",   d + "/gone/2",
        d + "/top/x",        d + "/b/5",      "/",
        "relative/a/1",      d + "/a/1/",
    };
    // Every item carries its folder's time, /tmp's too, which other programs
    // change at any moment: a pass during which /tmp changed is taken again.
    auto mismatches = [&paths] {
        std::vector<std::string> found;
        shell32::AbsolutePathParser parser;
        for (const std::string& path : paths) {
            std::string alone = "kept";
            std::string together = "kept";
            const HRESULT expected = shell32::ParseAbsolutePath(path, alone);
            if (parser.Parse(path, together) != expected || together != alone)
                found.push_back(path);
        }
        return found;
    };
    std::vector<std::string> found = mismatches();
    for (int retry = 0; retry < 2 && !found.empty(); ++retry)
        found = mismatches();
    EXPECT_EQ(found, std::vector<std::string>{});
}

TEST(ShellFolder, SetNameOfRenamesOneItemAndNeverReplaces)
{
    ShellEnvironment env;
    const std::string dir = env / "names";
    std::filesystem::create_directories(dir);
    WriteFile(dir + "/a.txt", "A");
    WriteFile(dir + "/b.txt", "B");
    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    Pidl a = ParseOk(folder.Get(), "a.txt");

    LPITEMIDLIST renamed = nullptr;
    ASSERT_EQ(folder->SetNameOf(nullptr, a.get(), u"c.txt", SHGDN_INFOLDER, &renamed), S_OK);
    Pidl c(renamed);
    EXPECT_EQ(NameOf(folder.Get(), c.get(), SHGDN_INFOLDER | SHGDN_FORPARSING), "c.txt");
    EXPECT_FALSE(std::filesystem::exists(dir + "/a.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir + "/c.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir + "/b.txt"));

    // Refuses to replace: both files keep their contents.
    EXPECT_EQ(folder->SetNameOf(nullptr, c.get(), u"b.txt", SHGDN_INFOLDER, &renamed),
              HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(renamed, nullptr);
    std::ifstream bFile(dir + "/b.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(bFile), {}), "B");
    EXPECT_TRUE(std::filesystem::exists(dir + "/c.txt"));

    // Names: 256 bytes is too long (never cut), 255 is fine.
    const std::u16string name256(256, u'n');
    EXPECT_EQ(folder->SetNameOf(nullptr, c.get(), name256.c_str(), 0, nullptr),
              HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
    for (const char16_t* bad : {u"", u".", u"..", u"x/y"})
        EXPECT_EQ(folder->SetNameOf(nullptr, c.get(), bad, 0, nullptr),
                  HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    EXPECT_EQ(std::filesystem::directory_iterator(dir) == std::filesystem::directory_iterator(), false);
    const std::u16string name255(255, u'n');
    ASSERT_EQ(folder->SetNameOf(nullptr, c.get(), name255.c_str(), 0, &renamed), S_OK);
    Pidl longItem(renamed);
    EXPECT_TRUE(std::filesystem::exists(dir + "/" + std::string(255, 'n')));
    EXPECT_EQ(NameOf(folder.Get(), longItem.get(), SHGDN_INFOLDER | SHGDN_FORPARSING), std::string(255, 'n'));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()),
              2);

    // A multi-level list from the desktop renames the same way.
    com::ComPtr<IShellFolder> desktop = Desktop();
    Pidl absolute = ParseOk(desktop.Get(), dir + "/b.txt");
    ASSERT_EQ(desktop->SetNameOf(nullptr, absolute.get(), u"d.txt", 0, &renamed), S_OK);
    Pidl d(renamed);
    EXPECT_EQ(shell32::PathFromIdList(d.get()), dir + "/d.txt");
    EXPECT_TRUE(std::filesystem::exists(dir + "/d.txt"));
}

TEST(ShellFolder, ParsingNamesRoundTripEveryByte)
{
    ShellEnvironment env;
    const std::string dir = env / "odd";
    std::filesystem::create_directories(dir);
    const std::vector<std::string> names = {
        "with space",       "star*", "new\nline", "%1", std::string("bad\xff\xfe", 5), std::string(255, 'L'),
        "\xc3\xa9t\xc3\xa9"};
    for (const std::string& name : names)
        WriteFile(dir + "/" + name);
    com::ComPtr<IShellFolder> desktop = Desktop();
    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    for (const std::string& name : names) {
        Pidl item = ParseOk(folder.Get(), name);
        EXPECT_EQ(NameOf(folder.Get(), item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING), name);
        EXPECT_EQ(NameOf(folder.Get(), item.get(), SHGDN_FORPARSING), dir + "/" + name);
        EXPECT_EQ(NameOf(folder.Get(), item.get(), SHGDN_INFOLDER | SHGDN_FOREDITING), name);
        // From the desktop: the absolute path, which parses back to the same item.
        Pidl absolute = ParseOk(desktop.Get(), dir + "/" + name);
        STRRET ret{};
        ASSERT_EQ(desktop->GetDisplayNameOf(absolute.get(), SHGDN_FORPARSING, &ret), S_OK);
        const bool inlineKind = ret.uType == STRRET_CSTR;
        const std::string path = TakeText(ret);
        EXPECT_EQ(path, dir + "/" + name);
        EXPECT_EQ(inlineKind, path.size() < 261u);
        Pidl again = ParseOk(desktop.Get(), path);
        EXPECT_EQ(desktop->CompareIDs(0, absolute.get(), again.get()), S_OK);
    }
    // Display names show U+FFFD for bytes that are not text.
    Pidl bad = ParseOk(folder.Get(), names[4]);
    EXPECT_EQ(NameOf(folder.Get(), bad.get(), SHGDN_NORMAL), "bad\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(NameOf(folder.Get(), bad.get(), SHGDN_INFOLDER), "bad\xef\xbf\xbd\xef\xbf\xbd");
}

TEST(ShellFolder, ParseAndBindReportWhatIsWrong)
{
    ShellEnvironment env;
    WriteFile(env / "file.txt", "x");
    std::filesystem::create_directories(env / "dir/sub");
    com::ComPtr<IShellFolder> desktop = Desktop();
    Pidl pidl;
    EXPECT_EQ(Parse(desktop.Get(), env / "missing", pidl), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(pidl, nullptr);
    EXPECT_EQ(Parse(desktop.Get(), env / "missing/x", pidl), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Parse(desktop.Get(), env / "file.txt/x", pidl), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Parse(desktop.Get(), "::{00000000-1111-2222-3333-444444444444}", pidl),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Parse(desktop.Get(), "", pidl), E_INVALIDARG);

    // Attributes come with the list when asked for.
    ULONG attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_HASSUBFOLDER;
    ASSERT_EQ(Parse(desktop.Get(), env / "dir", pidl, &attributes), S_OK);
    EXPECT_EQ(attributes, SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_HASSUBFOLDER);

    // A file is not a folder; a folder that went away cannot be bound.
    Pidl file = ParseOk(desktop.Get(), env / "file.txt");
    com::ComPtr<IShellFolder> bound;
    EXPECT_EQ(desktop->BindToObject(file.get(), nullptr, IID_IShellFolder, bound.ReleaseAndGetVoidAddress()),
              HRESULT_FROM_WIN32(ERROR_DIRECTORY));
    Pidl sub = ParseOk(desktop.Get(), env / "dir/sub");
    std::filesystem::remove(env / "dir/sub");
    EXPECT_EQ(desktop->BindToObject(sub.get(), nullptr, IID_IShellFolder, bound.ReleaseAndGetVoidAddress()),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(bound);

    // Virtual children of the desktop parse by their GUID names.
    Pidl computer = ParseOk(desktop.Get(), "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    EXPECT_EQ(NameOf(desktop.Get(), computer.get(), SHGDN_NORMAL), "Computer");
    EXPECT_EQ(NameOf(desktop.Get(), computer.get(), SHGDN_FORPARSING),
              "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    EXPECT_FALSE(shell32::PathFromIdList(computer.get()));
    com::ComPtr<IShellFolder> computerFolder;
    ASSERT_EQ(desktop->BindToObject(computer.get(), nullptr, IID_IShellFolder,
                                    computerFolder.ReleaseAndGetVoidAddress()),
              S_OK);
    const std::vector<Pidl> drives = EnumAll(computerFolder.Get(), SHCONTF_FOLDERS);
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(NameOf(computerFolder.Get(), drives[0].get(), SHGDN_FORPARSING), "/");
    Pidl root = ParseOk(desktop.Get(), "/");
    std::vector<shell32::ItemView> rootItems;
    ASSERT_TRUE(shell32::DecodeIdList(root.get(), rootItems));
    ASSERT_EQ(rootItems.size(), 2u);
    EXPECT_EQ(rootItems[1].kind, ItemKind::Drive);

    // The desktop lists its virtual children first, then its directory.
    WriteFile(env / "Desktop/note.txt");
    const std::vector<Pidl> top = EnumAll(desktop.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
    std::vector<std::string> topNames;
    for (const Pidl& item : top)
        topNames.push_back(NameOf(desktop.Get(), item.get(), SHGDN_NORMAL));
    EXPECT_EQ(topNames, (std::vector<std::string>{"Home", "Computer", "Network", "Trash", "note.txt"}));
    EXPECT_EQ(shell32::PathFromIdList(top[0].get()), env.Home());
}

TEST(ShellFolder, AttributesComeFromTheSnapshotOrTheFileNow)
{
    ShellEnvironment env;
    const std::string dir = env / "attr";
    std::filesystem::create_directories(dir + "/withsub/inner");
    std::filesystem::create_directories(dir + "/leaf");
    WriteFile(dir + "/readonly.txt");
    chmod((dir + "/readonly.txt").c_str(), 0444);
    WriteFile(dir + "/.secret");
    ASSERT_EQ(symlink("leaf", (dir + "/link").c_str()), 0);
    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    auto attributesOf = [&](const std::string& name, ULONG asked, HRESULT expected = S_OK) {
        Pidl item = ParseOk(folder.Get(), name);
        LPCITEMIDLIST one = item.get();
        ULONG inOut = asked;
        EXPECT_EQ(folder->GetAttributesOf(1, &one, &inOut), expected) << name;
        return inOut;
    };
    const ULONG all = 0xFFFFFFFF & ~SFGAO_VALIDATE;
    EXPECT_EQ(attributesOf("readonly.txt", SFGAO_READONLY | SFGAO_FOLDER | SFGAO_HIDDEN), SFGAO_READONLY);
    EXPECT_EQ(attributesOf(".secret", SFGAO_READONLY | SFGAO_HIDDEN), SFGAO_HIDDEN);
    EXPECT_EQ(attributesOf("withsub", SFGAO_FOLDER | SFGAO_HASSUBFOLDER), SFGAO_FOLDER | SFGAO_HASSUBFOLDER);
    EXPECT_EQ(attributesOf("leaf", SFGAO_FOLDER | SFGAO_HASSUBFOLDER), SFGAO_FOLDER);
    EXPECT_EQ(attributesOf("link", SFGAO_FOLDER | SFGAO_LINK), SFGAO_FOLDER | SFGAO_LINK);
    const ULONG fileAttributes = attributesOf("readonly.txt", all);
    EXPECT_TRUE(fileAttributes & SFGAO_FILESYSTEM);
    EXPECT_TRUE(fileAttributes & SFGAO_CANRENAME);
    EXPECT_FALSE(fileAttributes & SFGAO_FOLDER);
    // Only what was asked is answered.
    EXPECT_EQ(attributesOf("withsub", SFGAO_CANRENAME), SFGAO_CANRENAME);

    // The snapshot answers until validation asks the file itself.
    Pidl gone = ParseOk(folder.Get(), "readonly.txt");
    std::filesystem::remove(dir + "/readonly.txt");
    LPCITEMIDLIST one = gone.get();
    ULONG inOut = SFGAO_READONLY;
    EXPECT_EQ(folder->GetAttributesOf(1, &one, &inOut), S_OK);
    EXPECT_EQ(inOut, SFGAO_READONLY);
    inOut = SFGAO_READONLY | SFGAO_VALIDATE;
    EXPECT_EQ(folder->GetAttributesOf(1, &one, &inOut), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));

    // Several items: what they share.
    Pidl a = ParseOk(folder.Get(), "withsub");
    Pidl b = ParseOk(folder.Get(), ".secret");
    LPCITEMIDLIST two[] = {a.get(), b.get()};
    inOut = SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_HIDDEN;
    EXPECT_EQ(folder->GetAttributesOf(2, two, &inOut), S_OK);
    EXPECT_EQ(inOut, SFGAO_FILESYSTEM);

    // Computing has-subfolder recorded the folder for the change notifier.
    struct stat st {};
    ASSERT_EQ(stat((dir + "/withsub").c_str(), &st), 0);
    const auto listed = win32::ListedFoldersBelow(st.st_dev, dir);
    EXPECT_TRUE(std::any_of(listed.begin(), listed.end(), [&](const win32::ListedFolder& f) {
        return f.inode == st.st_ino && f.path == dir + "/withsub";
    }));
}

TEST(ShellFolder, NoListOrTheEmptyOneNamesTheFolderItself)
{
    ShellEnvironment env;
    const std::string dir = env / "docs";
    std::filesystem::create_directories(dir);
    const com::ComPtr<IShellFolder> desktop = Desktop();
    const com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    struct Row {
        IShellFolder* Folder;
        DWORD Flags;
        std::string Name;
    };
    const Row rows[] = {
        {desktop.Get(), SHGDN_NORMAL, "Desktop"},
        {desktop.Get(), SHGDN_FORPARSING, env / "Desktop"},
        {folder.Get(), SHGDN_NORMAL, "docs"},
        {folder.Get(), SHGDN_FORPARSING, dir},
    };
    const USHORT terminator = 0;
    const auto* empty = reinterpret_cast<LPCITEMIDLIST>(&terminator);
    for (const Row& row : rows)
        for (const LPCITEMIDLIST pidl : {static_cast<LPCITEMIDLIST>(nullptr), empty}) {
            SCOPED_TRACE(testing::Message() << row.Name << (pidl ? ", empty list" : ", no list"));
            EXPECT_EQ(NameOf(row.Folder, pidl, row.Flags), row.Name);
        }
}

TEST(ShellFolder, DetailsNameTheColumnsAndFillThem)
{
    ShellEnvironment env;
    const std::string dir = env / "details";
    std::filesystem::create_directories(dir + "/folder");
    WriteFile(dir + "/one", "1");
    WriteFile(dir + "/kilo", std::string(1025, 'k'));
    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    com::ComPtr<IShellFolder2> folder2 = folder.As<IShellFolder2>();
    ASSERT_TRUE(folder2);
    com::ComPtr<IShellDetails> details;
    ASSERT_EQ(folder->CreateViewObject(nullptr, IID_IShellDetails, details.ReleaseAndGetVoidAddress()), S_OK);
    ASSERT_TRUE(details);

    const char* titles[] = {"Name", "Size", "Type", "Modified"};
    for (UINT column = 0; column < 4; ++column) {
        SHELLDETAILS header{};
        ASSERT_EQ(folder2->GetDetailsOf(nullptr, column, &header), S_OK);
        EXPECT_EQ(TakeText(header.str), titles[column]);
        EXPECT_EQ(header.fmt, column == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT);
        DWORD state = 0;
        EXPECT_EQ(folder2->GetDefaultColumnState(column, &state), S_OK);
        EXPECT_TRUE(state & SHCOLSTATE_ONBYDEFAULT);
    }
    SHELLDETAILS past{};
    EXPECT_EQ(folder2->GetDetailsOf(nullptr, 4, &past), E_INVALIDARG);
    EXPECT_EQ(details->GetDetailsOf(nullptr, 4, &past), E_INVALIDARG);
    DWORD state = 0;
    EXPECT_EQ(folder2->GetDefaultColumnState(4, &state), E_INVALIDARG);

    auto text = [&](const std::string& name, UINT column) {
        Pidl item = ParseOk(folder.Get(), name);
        SHELLDETAILS info{};
        EXPECT_EQ(details->GetDetailsOf(item.get(), column, &info), S_OK);
        return TakeText(info.str);
    };
    EXPECT_EQ(text("one", 0), "one");
    EXPECT_EQ(text("one", 1), "1 KB");
    EXPECT_EQ(text("kilo", 1), "2 KB");
    EXPECT_EQ(text("folder", 1), "");
    EXPECT_FALSE(text("folder", 2).empty());
    EXPECT_FALSE(text("one", 3).empty());
}
