// The link attribute of file-system items: symbolic links, and desktop
// entries of type Link or Application named "*.desktop", told apart without
// reading files the name or the snapshot rules out; and the predicate asked
// relative to an open folder.

#include "ShellTestHelpers.h"

#include "shell32/DesktopEntry.h"
#include "shell32/FileSystem_linux.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

using namespace shelltest;
using shell32::testing::ShortcutEntryReads;

namespace {

const std::string kLinkEntry = "[Desktop Entry]\nType=Link\nName=notes\nURL=file:///etc/hostname\n";
const std::string kApplicationEntry = "[Desktop Entry]\nType=Application\nName=tool\nExec=/bin/true --go\n";
const std::string kDirectoryEntry = "[Desktop Entry]\nType=Directory\nName=folder\n";

ULONG AttributesOf(IShellFolder* folder, const std::string& name, ULONG asked)
{
    Pidl item = ParseOk(folder, name);
    LPCITEMIDLIST one = item.get();
    ULONG inOut = asked;
    EXPECT_EQ(folder->GetAttributesOf(1, &one, &inOut), S_OK) << name;
    return inOut;
}

} // namespace

TEST(ShortcutAttribute, DesktopEntriesOfLinkOrApplicationTypeAreLinks)
{
    ShellEnvironment env;
    const std::string dir = env / "shortcuts";
    std::filesystem::create_directories(dir + "/folder.desktop");
    WriteFile(dir + "/notes.desktop", kLinkEntry);
    WriteFile(dir + "/tool.desktop", kApplicationEntry);
    WriteFile(dir + "/commented.desktop", "# written by hand\n\n" + kLinkEntry);
    WriteFile(dir + "/plain.desktop", "just some words\n");
    WriteFile(dir + "/directory.desktop", kDirectoryEntry);
    WriteFile(dir + "/broken.desktop", "[Desktop Entry]\nType=Link\n"); // no URL: no target
    WriteFile(dir + "/empty.desktop");
    // A valid entry, but past the size a listing reads.
    WriteFile(dir + "/large.desktop",
              kLinkEntry + "# " + std::string(shell32::kMaxShortcutEntryBytes, 'x') + "\n");
    // Entries under names a desktop entry may not have are plain files.
    WriteFile(dir + "/notes.txt", kLinkEntry);
    WriteFile(dir + "/tool", kApplicationEntry);
    WriteFile(dir + "/.desktop", kLinkEntry);
    WriteFile(dir + "/tool.desktop.bak", kApplicationEntry);
    WriteFile(dir + "/tool.DESKTOP", kApplicationEntry);
    ASSERT_EQ(symlink("plain.desktop", (dir + "/symlink").c_str()), 0);

    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    const ULONG asked = SFGAO_LINK | SFGAO_FOLDER;
    const std::map<std::string, ULONG> expected{{"notes.desktop", SFGAO_LINK},
                                                {"tool.desktop", SFGAO_LINK},
                                                {"commented.desktop", SFGAO_LINK},
                                                {"symlink", SFGAO_LINK},
                                                {"plain.desktop", 0},
                                                {"directory.desktop", 0},
                                                {"broken.desktop", 0},
                                                {"notes.txt", 0},
                                                {"tool", 0},
                                                {".desktop", 0},
                                                {"tool.desktop.bak", 0},
                                                {"tool.DESKTOP", 0}};
    for (const auto& [name, attributes] : expected)
        EXPECT_EQ(AttributesOf(folder.Get(), name, asked), attributes) << name;

    // Empty and large files, folders, links and other names are decided by
    // the name and the snapshot.
    const std::size_t reads = ShortcutEntryReads();
    EXPECT_EQ(AttributesOf(folder.Get(), "empty.desktop", asked), 0u);
    EXPECT_EQ(AttributesOf(folder.Get(), "large.desktop", asked), 0u);
    EXPECT_EQ(AttributesOf(folder.Get(), "folder.desktop", asked), SFGAO_FOLDER);
    EXPECT_EQ(AttributesOf(folder.Get(), "symlink", asked), SFGAO_LINK);
    EXPECT_EQ(AttributesOf(folder.Get(), "notes.txt", asked), 0u);
    EXPECT_EQ(AttributesOf(folder.Get(), "tool", asked), 0u);
    // Nothing is read for a caller that does not ask for the link bit.
    EXPECT_EQ(AttributesOf(folder.Get(), "plain.desktop", SFGAO_FOLDER | SFGAO_FILESYSTEM), SFGAO_FILESYSTEM);
    // An answer is kept while the file keeps its size and time.
    EXPECT_EQ(AttributesOf(folder.Get(), "notes.desktop", asked), SFGAO_LINK);
    EXPECT_EQ(AttributesOf(folder.Get(), "plain.desktop", asked), 0u);
    EXPECT_EQ(ShortcutEntryReads(), reads);

    // Several items share the bit only when each is a link.
    Pidl link = ParseOk(folder.Get(), "notes.desktop");
    Pidl plain = ParseOk(folder.Get(), "plain.desktop");
    LPCITEMIDLIST both[] = {link.get(), plain.get()};
    ULONG inOut = SFGAO_LINK;
    EXPECT_EQ(folder->GetAttributesOf(2, both, &inOut), S_OK);
    EXPECT_EQ(inOut, 0u);

    // A changed file is read again: the entry became text, the text an entry.
    WriteFile(dir + "/notes.desktop", "no longer a shortcut\n");
    WriteFile(dir + "/plain.desktop", kApplicationEntry);
    EXPECT_EQ(AttributesOf(folder.Get(), "notes.desktop", asked), 0u);
    EXPECT_EQ(AttributesOf(folder.Get(), "plain.desktop", asked), SFGAO_LINK);
    EXPECT_EQ(ShortcutEntryReads(), reads + 2);
}

TEST(ShortcutAttribute, ListingMarksTheShortcutsItFinds)
{
    ShellEnvironment env;
    const std::string dir = env / "listing";
    std::filesystem::create_directories(dir);
    WriteFile(dir + "/a-link.desktop", kLinkEntry);
    WriteFile(dir + "/b-text.desktop", "[Desktop Entry\nnot quite\n");
    WriteFile(dir + "/c-app.desktop", kApplicationEntry);
    WriteFile(dir + "/d-empty");
    WriteFile(dir + "/e-app.sh", kApplicationEntry);

    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    std::map<std::string, bool> isLink;
    for (const Pidl& item : EnumAll(folder.Get(), SHCONTF_NONFOLDERS)) {
        LPCITEMIDLIST one = item.get();
        ULONG inOut = SFGAO_LINK;
        ASSERT_EQ(folder->GetAttributesOf(1, &one, &inOut), S_OK);
        isLink[NameOf(folder.Get(), item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING)] = inOut == SFGAO_LINK;
    }
    EXPECT_EQ(isLink, (std::map<std::string, bool>{{"a-link.desktop", true},
                                                   {"b-text.desktop", false},
                                                   {"c-app.desktop", true},
                                                   {"d-empty", false},
                                                   {"e-app.sh", false}}));

    // From the desktop, through the route of the whole path.
    Pidl absolute = ParseOk(Desktop().Get(), dir + "/a-link.desktop");
    LPCITEMIDLIST one = absolute.get();
    ULONG inOut = SFGAO_LINK;
    EXPECT_EQ(Desktop()->GetAttributesOf(1, &one, &inOut), S_OK);
    EXPECT_EQ(inOut, SFGAO_LINK);
}

TEST(ShortcutPredicate, AnswersRelativeToAnOpenFolder)
{
    ShellEnvironment env;
    const std::string dir = env / "entries";
    std::filesystem::create_directories(dir + "/sub.desktop");
    WriteFile(dir + "/notes.desktop", kLinkEntry);
    WriteFile(dir + "/notes", kLinkEntry);
    // The group opens the file; the keys come after the first bytes read.
    WriteFile(dir + "/long.desktop", "[Desktop Entry]\n# " + std::string(10000, 'x') +
                                         "\nType=Link\nName=long\nURL=file:///etc/hostname\n");
    WriteFile(dir + "/huge.desktop", kLinkEntry + "# " + std::string(std::size_t{1} << 20, 'x') + "\n");
    WriteFile(dir + "/plain.desktop", "just words\n");
    ASSERT_EQ(symlink("gone", (dir + "/dangling").c_str()), 0);
    ASSERT_EQ(symlink("notes.desktop", (dir + "/to-entry").c_str()), 0);
    ASSERT_EQ(mkfifo((dir + "/pipe.desktop").c_str(), 0600), 0);

    const std::map<std::string, bool> expected{{"notes.desktop", true},
                                               {"long.desktop", true},
                                               {"to-entry", true},
                                               {"dangling", true},
                                               {"notes", false},
                                               {"huge.desktop", false},
                                               {"plain.desktop", false},
                                               {"pipe.desktop", false},
                                               {"sub.desktop", false},
                                               {"missing.desktop", false},
                                               {"", false}};
    shell32::FileDescriptor folder = shell32::OpenDirectoryPath(dir);
    ASSERT_TRUE(folder.Valid());
    for (const auto& [name, isShortcut] : expected) {
        EXPECT_EQ(shell32::IsShortcut(folder.Get(), name), isShortcut) << name;
        EXPECT_EQ(shell32::IsShortcut(dir + "/" + name), isShortcut) << name;
        EXPECT_EQ(shell32::IsShortcut(AT_FDCWD, dir + "/" + name), isShortcut) << name;
    }

    // The open folder is still the one asked about once it has moved.
    std::filesystem::rename(dir, env / "moved");
    EXPECT_TRUE(shell32::IsShortcut(folder.Get(), "notes.desktop"));
    EXPECT_FALSE(shell32::IsShortcut(dir + "/notes.desktop"));
    EXPECT_FALSE(shell32::IsShortcut(-1, "notes.desktop"));
}

TEST(ShortcutPredicate, TheSuffixIsTheLastComponentsOwn)
{
    const std::map<std::string, bool> expected{{"a.desktop", true},           {"/x/y/a b.desktop", true},
                                               {".desktop", false},           {"/x/.desktop", false},
                                               {"a.desktop/", false},         {"a.desktop.txt", false},
                                               {"a.Desktop", false},          {"desktop", false},
                                               {"dir.desktop/a", false},      {"", false},
                                               {"/x.desktop/.desktop", false}};
    for (const auto& [name, has] : expected)
        EXPECT_EQ(shell32::HasDesktopEntrySuffix(name), has) << name;
}
