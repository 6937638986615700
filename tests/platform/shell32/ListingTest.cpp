// What a list asks of a folder's children in bulk, pinned where the quick
// paths could part from the general ones: the order of two children (total,
// and equal only for one item, the same from the folder as from the
// desktop), has-subfolder on file systems that count subfolders and on
// reading the folder, and type names as the MIME database gives them.

#include "ShellTestHelpers.h"

#include "shell32/FileSystem_linux.h"
#include "shell32/Folders.h"
#include "shell32/NaturalOrder.h"

#include <QDateTime>
#include <QLocale>
#include <QMimeDatabase>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <map>

using namespace shelltest;

namespace {

int Sign(HRESULT hr)
{
    EXPECT_TRUE(SUCCEEDED(hr));
    return static_cast<short>(HRESULT_CODE(hr));
}

std::string FileItem(shell32::ItemKind kind, const std::string& name)
{
    std::string bytes;
    const std::uint32_t mode = kind == shell32::ItemKind::Directory ? (S_IFDIR | 0755u) : (S_IFREG | 0644u);
    EXPECT_TRUE(shell32::AppendFileSystemItem(bytes, kind, name, shell32::StatSnapshot{mode, 1, 1})) << name;
    return bytes;
}

// A temporary folder on the file system mounted at root, or nothing.
std::optional<std::string> MakeFolderIn(const std::string& root)
{
    std::string pattern = root + "/corvane-listing-XXXXXX";
    if (::access(root.c_str(), W_OK) != 0 || !::mkdtemp(pattern.data()))
        return std::nullopt;
    return pattern;
}

// withsub holds a folder, hidden holds a hidden folder, leaf nothing,
// files only files, linked only a link to a folder.
void MakeSubfolderTree(const std::string& dir)
{
    for (const char* path : {"withsub/inner", "hidden/.git", "leaf", "files", "linked"})
        std::filesystem::create_directories(dir + "/" + path);
    WriteFile(dir + "/files/a.txt");
    WriteFile(dir + "/files/b");
    ASSERT_EQ(::symlink("../withsub", (dir + "/linked/to-folder").c_str()), 0);
    ASSERT_EQ(::symlink("withsub", (dir + "/link-to-withsub").c_str()), 0);
}

const std::map<std::string, bool> kHasSubfolder{{"withsub", true}, {"hidden", true},
                                                {"leaf", false},   {"files", false},
                                                {"linked", false}, {"link-to-withsub", true}};

void ExpectSubfolders(const std::string& dir)
{
    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    for (const auto& [name, has] : kHasSubfolder) {
        Pidl item = ParseOk(folder.Get(), name);
        LPCITEMIDLIST one = item.get();
        ULONG inOut = SFGAO_HASSUBFOLDER | SFGAO_FOLDER;
        ASSERT_EQ(folder->GetAttributesOf(1, &one, &inOut), S_OK) << name;
        EXPECT_EQ(inOut, SFGAO_FOLDER | (has ? SFGAO_HASSUBFOLDER : 0u)) << dir << ": " << name;
    }
    // A folder gaining a subfolder says so at once.
    std::filesystem::create_directories(dir + "/leaf/new");
    Pidl leaf = ParseOk(folder.Get(), "leaf");
    LPCITEMIDLIST one = leaf.get();
    ULONG inOut = SFGAO_HASSUBFOLDER;
    ASSERT_EQ(folder->GetAttributesOf(1, &one, &inOut), S_OK);
    EXPECT_EQ(inOut, SFGAO_HASSUBFOLDER);
}

} // namespace

TEST(ListingOrder, TotalAndEqualOnlyForOneItemFromTheFolderAsFromTheDesktop)
{
    ShellEnvironment env;
    const std::string dir = env / "order";
    std::filesystem::create_directories(dir);
    const std::vector<std::string> files = {"a",
                                            "A",
                                            "b",
                                            "file9",
                                            "file10",
                                            "file010",
                                            "File10",
                                            "file10a",
                                            "x\xff",
                                            "x\xfe",
                                            "x\xc3\xa9",
                                            "X\xc3\x89",
                                            "\xc3\xa9t\xc3\xa9",
                                            "10",
                                            "9",
                                            "09",
                                            ".hidden",
                                            "a b",
                                            "a-b",
                                            "file",
                                            "same"};
    const std::vector<std::string> folders = {"Folder", "folder", "folder2", "zz"};
    for (const std::string& name : files)
        WriteFile(dir + "/" + name);
    for (const std::string& name : folders)
        std::filesystem::create_directories(dir + "/" + name);

    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    com::ComPtr<IShellFolder> desktop = Desktop();
    std::vector<Pidl> items;
    std::vector<Pidl> absolute;
    std::vector<bool> isFolder;
    for (const auto& group : {folders, files})
        for (const std::string& name : group) {
            items.push_back(ParseOk(folder.Get(), name));
            absolute.push_back(ParseOk(desktop.Get(), dir + "/" + name));
            isFolder.push_back(&group == &folders);
        }
    // A file and a folder of one name cannot both be there at once: two
    // items, the folder first.
    items.emplace_back(shell32::AllocIdList(FileItem(shell32::ItemKind::Directory, "same")));
    absolute.push_back(ParseOk(desktop.Get(), dir + "/same"));
    isFolder.push_back(true);
    const std::size_t sameFile = items.size() - 2;
    const std::size_t sameFolder = items.size() - 1;

    EXPECT_EQ(Sign(folder->CompareIDs(0, items[sameFolder].get(), items[sameFile].get())), -1);
    const std::size_t n = items.size();
    std::vector<std::vector<int>> order(n, std::vector<int>(n));
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) {
            order[i][j] = Sign(folder->CompareIDs(0, items[i].get(), items[j].get()));
            const bool one = i == j;
            if (!(i == sameFolder || j == sameFolder)) {
                EXPECT_EQ(order[i][j], Sign(desktop->CompareIDs(0, absolute[i].get(), absolute[j].get())))
                    << i << " " << j;
                if (isFolder[i] != isFolder[j]) {
                    EXPECT_EQ(order[i][j], isFolder[i] ? -1 : 1) << i << " " << j;
                }
            }
            EXPECT_EQ(order[i][j] == 0, one) << i << " " << j;
            EXPECT_EQ(order[i][j], -Sign(folder->CompareIDs(0, items[j].get(), items[i].get())));
        }
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            for (std::size_t k = 0; k < n; ++k)
                if (order[i][j] < 0 && order[j][k] < 0) {
                    EXPECT_LT(order[i][k], 0) << i << " " << j << " " << k;
                }

    // Digit runs by value, case pairs next to each other.
    const auto before = [&](const std::string& a, const std::string& b) {
        const auto at = [&](const std::string& name) {
            return std::find(files.begin(), files.end(), name) - files.begin() + folders.size();
        };
        return order[at(a)][at(b)] < 0;
    };
    EXPECT_TRUE(before("file9", "file10"));
    EXPECT_TRUE(before("file10", "file10a"));
    EXPECT_TRUE(before("9", "10"));
    EXPECT_TRUE(before("A", "b") && before("a", "b"));

    // Malformed lists are refused, not read past.
    Pidl bad(shell32::AllocIdList(std::string("\x05\x00\xCB\x01\x04", 5)));
    EXPECT_EQ(folder->CompareIDs(0, bad.get(), items[0].get()), E_INVALIDARG);
    EXPECT_EQ(folder->CompareIDs(0, items[0].get(), bad.get()), E_INVALIDARG);
}

TEST(ListingSubfolders, OnTheFileSystemsAtHand)
{
    ShellEnvironment env;
    // The home folder's file system (here ext4) and tmpfs both count
    // subfolders in the link count.
    std::vector<std::string> roots = {env.Home()};
    if (std::filesystem::is_directory("/dev/shm"))
        roots.push_back("/dev/shm");
    for (const std::string& root : roots) {
        const std::optional<std::string> dir = MakeFolderIn(root);
        if (!dir)
            continue;
        MakeSubfolderTree(*dir);
        ExpectSubfolders(*dir);
        std::filesystem::remove_all(*dir);
    }
}

TEST(ListingSubfolders, CountedOrReadTheAnswerIsTheSame)
{
    ShellEnvironment env;
    const std::string dir = env / "tree";
    std::filesystem::create_directories(dir);
    MakeSubfolderTree(dir);
    shell32::FileDescriptor fd = shell32::OpenDirectoryPath(dir);
    ASSERT_TRUE(fd.Valid());
    const shell32::SubfolderCounting counted = shell32::SubfolderCountingOf(fd.Get());
    struct statfs fs {};
    ASSERT_EQ(::fstatfs(fd.Get(), &fs), 0);
    const shell32::SubfolderCounting read{false, counted.device};
    for (const auto& counting : {counted, read})
        for (const auto& [name, has] : kHasSubfolder)
            EXPECT_EQ(shell32::HasSubfolder(fd.Get(), name.c_str(), dir, counting), has)
                << name << (counting.counted ? " counted" : " read");
    // Another device below the folder is read, not counted.
    const shell32::SubfolderCounting elsewhere{counted.counted, counted.device + 1};
    for (const auto& [name, has] : kHasSubfolder)
        EXPECT_EQ(shell32::HasSubfolder(fd.Get(), name.c_str(), dir, elsewhere), has) << name;
}

TEST(ListingSubfolders, OnAFileSystemThatDoesNotCount)
{
    // Any writable mount whose file system keeps no count (Btrfs, FUSE, ...).
    std::ifstream mounts("/proc/self/mounts");
    std::string device, point, type, rest;
    std::optional<std::string> dir;
    while (!dir && mounts >> device >> point >> type && std::getline(mounts, rest)) {
        if (type != "btrfs" && type != "vfat" && type.rfind("fuse", 0) != 0)
            continue;
        dir = MakeFolderIn(point);
        if (dir) {
            shell32::FileDescriptor fd = shell32::OpenDirectoryPath(*dir);
            if (!fd.Valid() || shell32::SubfolderCountingOf(fd.Get()).counted) {
                std::filesystem::remove_all(*dir);
                dir.reset();
            }
        }
    }
    if (!dir)
        GTEST_SKIP() << "no writable file system that does not count subfolders is mounted here";
    ShellEnvironment env;
    MakeSubfolderTree(*dir);
    ExpectSubfolders(*dir);
    std::filesystem::remove_all(*dir);
}

TEST(ListingTypeNames, AgreeWithTheMimeDatabaseForTheFile)
{
    ShellEnvironment env;
    const std::string dir = env / "types";
    std::filesystem::create_directories(dir);
    const std::map<std::string, std::string> files{
        {"a.txt", "words\n"},
        {"B.TXT", "words\n"},
        {"c.tar.gz", std::string("\x1f\x8b\x08\x00", 4)},
        {"d.gz", std::string("\x1f\x8b\x08\x00", 4)},
        {"e.png", "\x89PNG\r\n\x1a\n"},
        {"f.png", "not a picture"},
        {"Makefile", "all:\n"},
        {"README.txt", "read me\n"},
        {"notes", "some plain words\n"},
        {"script", "#!/bin/sh\necho hi\n"},
        {"image", "\x89PNG\r\n\x1a\nrest"},
        {"empty", ""},
        {"empty.xyzzy", ""},
        {"Empty.Makefile", ""},
        {"g.xyzzy", "%PDF-1.4\n"},
        {"h.c", "int main() {}\n"},
        {"i.C", "int main() {}\n"},
        {"j.ts", "let x = 1;\n"},
        {"page.tar.gz.html", "<html></html>\n"},
        {"v1.2.3.txt", "numbers\n"},
        {"k.JPG", "\xff\xd8\xff\xe0"},
        {"l.Jpg", "\xff\xd8\xff\xe0"},
        {"m.TAR.GZ", std::string("\x1f\x8b\x08\x00", 4)},
        {"n.GS", "text\n"},
    };
    for (const auto& [name, content] : files)
        WriteFile(dir + "/" + name, content);
    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    const com::ComPtr<IShellFolder2> details = folder.As<IShellFolder2>();
    ASSERT_TRUE(details);
    const QMimeDatabase database;
    for (int pass = 0; pass < 2; ++pass) // the second from what the first kept
        for (const auto& [name, content] : files) {
            Pidl item = ParseOk(folder.Get(), name);
            SHELLDETAILS text{};
            ASSERT_EQ(details->GetDetailsOf(item.get(), 2, &text), S_OK) << name;
            const QString expected =
                database.mimeTypeForFile(QString::fromStdString(dir + "/" + name)).comment();
            EXPECT_EQ(TakeText(text.str), expected.toStdString()) << name;
        }
    // A file whose size says 0 while it has content is read all the same.
    struct stat st {};
    com::ComPtr<IShellFolder> proc = BindPath("/proc/self");
    if (proc && ::stat("/proc/self/status", &st) == 0 && st.st_size == 0) {
        const com::ComPtr<IShellFolder2> procDetails = proc.As<IShellFolder2>();
        Pidl status = ParseOk(proc.Get(), "status");
        SHELLDETAILS statusType{};
        ASSERT_EQ(procDetails->GetDetailsOf(status.get(), 2, &statusType), S_OK);
        const QString expected = database.mimeTypeForFile(QStringLiteral("/proc/self/status")).comment();
        EXPECT_EQ(TakeText(statusType.str), expected.toStdString());
        EXPECT_NE(expected, database.mimeTypeForData(QByteArray()).comment());
    }
    // A folder's type is the shell's own word.
    std::filesystem::create_directories(dir + "/sub.txt");
    Pidl sub = ParseOk(folder.Get(), "sub.txt");
    SHELLDETAILS text{};
    ASSERT_EQ(details->GetDetailsOf(sub.get(), 2, &text), S_OK);
    EXPECT_EQ(TakeText(text.str), "Folder");
}

TEST(ListingColumnTexts, DatesAsTheLocaleWritesThem)
{
    // Times across years, both halves of the day, one- and two-digit fields,
    // before 1970 and far ahead; in locales of several scripts and orders.
    const std::int64_t times[] = {0,
                                  1,
                                  999,
                                  -1000,
                                  -86400000LL * 400,
                                  946684799000LL,
                                  946684800000LL,
                                  1262304000000LL + 3600000 * 13 + 60000 * 7 + 9000,
                                  1420070400000LL + 86400000LL * 180 + 3600000 * 23 + 59 * 60000,
                                  1700000000123LL,
                                  4102444800000LL,
                                  9000000000000LL};
    const char* const locales[] = {"C",     "en_US", "en_GB", "de_DE", "fr_FR", "ja_JP",
                                   "ko_KR", "zh_CN", "ru_RU", "ar_EG", "fa_IR", "hi_IN"};
    const char* const zones[] = {"UTC", "Europe/Berlin", "America/New_York", "Asia/Kolkata"};
    const QLocale saved;
    const std::optional<std::string> savedZone =
        std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
    for (const char* zone : zones) {
        setenv("TZ", zone, 1);
        tzset();
        for (const char* name : locales) {
            QLocale::setDefault(QLocale(QString::fromLatin1(name)));
            const shell32::FileSystemColumnTexts texts;
            for (const std::int64_t msecs : times) {
                shell32::ItemView item;
                item.kind = shell32::ItemKind::File;
                item.text = "x";
                item.stat = {S_IFREG | 0644u, 1, msecs * 1000000};
                const QString expected =
                    QLocale().toString(QDateTime::fromMSecsSinceEpoch(msecs), QLocale::ShortFormat);
                EXPECT_EQ(texts.Text(item, 3), expected.toStdString()) << zone << " " << name << " " << msecs;
            }
        }
    }
    if (savedZone)
        setenv("TZ", savedZone->c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    QLocale::setDefault(saved);
}

TEST(ListingOrder, BySizeAndDateFoldersFirstThenTheColumnThenNames)
{
    ShellEnvironment env;
    const std::string dir = env / "columns";
    std::filesystem::create_directories(dir);
    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    struct Row {
        shell32::ItemKind kind;
        std::string name;
        std::uint64_t size;
        std::int64_t mtimeNs;
        bool folder;
    };
    using shell32::ItemKind;
    // Ties on either column, digit runs, a folder and a file of one name,
    // and one item twice with different snapshots (listed at two times).
    const std::vector<Row> rows = {
        {ItemKind::Directory, "docs", 8192, 50, true},
        {ItemKind::Directory, "Docs2", 4096, 10, true},
        {ItemKind::TrashEntry, "old", 4096, 50, true},
        {ItemKind::Directory, "same", 4096, 300, true},
        {ItemKind::File, "a.txt", 10, 300, false},
        {ItemKind::File, "b.txt", 10, 300, false},
        {ItemKind::File, "c.txt", 5, 400, false},
        {ItemKind::File, "file10", 0, 100, false},
        {ItemKind::File, "file9", 0, 100, false},
        {ItemKind::File, "same", 10, 300, false},
        {ItemKind::File, "a.txt", 99, 1, false},
        {ItemKind::File, "\xc3\x89t\xc3\xa9", 5, 400, false},
        {ItemKind::File, "\xc3\xa9t\xc3\xa9", 5, 400, false},
    };
    std::vector<Pidl> items;
    for (const Row& row : rows) {
        std::string bytes;
        const std::uint32_t mode = row.folder ? (S_IFDIR | 0755u) : (S_IFREG | 0644u);
        ASSERT_TRUE(shell32::AppendFileSystemItem(bytes, row.kind, row.name,
                                                  shell32::StatSnapshot{mode, row.size, row.mtimeNs}));
        items.emplace_back(shell32::AllocIdList(bytes));
    }
    const auto expected = [](const Row& x, const Row& y, UINT column) {
        if (x.folder != y.folder)
            return x.folder ? -1 : 1;
        if (x.name == y.name)
            return 0;
        const std::int64_t vx = column == 1 ? static_cast<std::int64_t>(x.folder ? 0 : x.size) : x.mtimeNs;
        const std::int64_t vy = column == 1 ? static_cast<std::int64_t>(y.folder ? 0 : y.size) : y.mtimeNs;
        if (column != 0 && vx != vy)
            return vx < vy ? -1 : 1;
        const int names = shell32::CompareNamesNatural(x.name, y.name);
        return names < 0 ? -1 : 1;
    };
    for (UINT column : {0u, 1u, 3u})
        for (std::size_t i = 0; i < rows.size(); ++i)
            for (std::size_t j = 0; j < rows.size(); ++j)
                EXPECT_EQ(Sign(folder->CompareIDs(column, items[i].get(), items[j].get())),
                          expected(rows[i], rows[j], column))
                    << column << ": " << rows[i].name << " | " << rows[j].name;
}
