// The link attribute of file-system items: symbolic links, and desktop
// entries of type Link or Application whatever their names end with, told
// apart without reading files the snapshot rules out; and the predicate
// asked relative to an open folder.

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
    WriteFile(dir + "/notes.txt", kLinkEntry);
    WriteFile(dir + "/tool", kApplicationEntry);
    WriteFile(dir + "/commented", "# written by hand\n\n" + kLinkEntry);
    WriteFile(dir + "/plain.txt", "just some words\n");
    WriteFile(dir + "/directory.desktop", kDirectoryEntry);
    WriteFile(dir + "/broken.desktop", "[Desktop Entry]\nType=Link\n"); // no URL: no target
    WriteFile(dir + "/empty.desktop");
    // A valid entry, but past the size a listing reads.
    WriteFile(dir + "/large.desktop",
              kLinkEntry + "# " + std::string(shell32::kMaxShortcutEntryBytes, 'x') + "\n");
    ASSERT_EQ(symlink("plain.txt", (dir + "/symlink").c_str()), 0);

    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    const ULONG asked = SFGAO_LINK | SFGAO_FOLDER;
    EXPECT_EQ(AttributesOf(folder.Get(), "notes.txt", asked), SFGAO_LINK);
    EXPECT_EQ(AttributesOf(folder.Get(), "tool", asked), SFGAO_LINK);
    EXPECT_EQ(AttributesOf(folder.Get(), "commented", asked), SFGAO_LINK);
    EXPECT_EQ(AttributesOf(folder.Get(), "symlink", asked), SFGAO_LINK);
    EXPECT_EQ(AttributesOf(folder.Get(), "plain.txt", asked), 0u);
    EXPECT_EQ(AttributesOf(folder.Get(), "directory.desktop", asked), 0u);
    EXPECT_EQ(AttributesOf(folder.Get(), "broken.desktop", asked), 0u);

    // Empty and large files, folders and links are decided by the snapshot.
    const std::size_t reads = ShortcutEntryReads();
    EXPECT_EQ(AttributesOf(folder.Get(), "empty.desktop", asked), 0u);
    EXPECT_EQ(AttributesOf(folder.Get(), "large.desktop", asked), 0u);
    EXPECT_EQ(AttributesOf(folder.Get(), "folder.desktop", asked), SFGAO_FOLDER);
    EXPECT_EQ(AttributesOf(folder.Get(), "symlink", asked), SFGAO_LINK);
    // Nothing is read for a caller that does not ask for the link bit.
    EXPECT_EQ(AttributesOf(folder.Get(), "plain.txt", SFGAO_FOLDER | SFGAO_FILESYSTEM), SFGAO_FILESYSTEM);
    // An answer is kept while the file keeps its size and time.
    EXPECT_EQ(AttributesOf(folder.Get(), "notes.txt", asked), SFGAO_LINK);
    EXPECT_EQ(AttributesOf(folder.Get(), "plain.txt", asked), 0u);
    EXPECT_EQ(ShortcutEntryReads(), reads);

    // Several items share the bit only when each is a link.
    Pidl link = ParseOk(folder.Get(), "notes.txt");
    Pidl plain = ParseOk(folder.Get(), "plain.txt");
    LPCITEMIDLIST both[] = {link.get(), plain.get()};
    ULONG inOut = SFGAO_LINK;
    EXPECT_EQ(folder->GetAttributesOf(2, both, &inOut), S_OK);
    EXPECT_EQ(inOut, 0u);

    // A changed file is read again: the entry became text, the text an entry.
    WriteFile(dir + "/notes.txt", "no longer a shortcut\n");
    WriteFile(dir + "/plain.txt", kApplicationEntry);
    EXPECT_EQ(AttributesOf(folder.Get(), "notes.txt", asked), 0u);
    EXPECT_EQ(AttributesOf(folder.Get(), "plain.txt", asked), SFGAO_LINK);
    EXPECT_EQ(ShortcutEntryReads(), reads + 2);
}

TEST(ShortcutAttribute, ListingMarksTheShortcutsItFinds)
{
    ShellEnvironment env;
    const std::string dir = env / "listing";
    std::filesystem::create_directories(dir);
    WriteFile(dir + "/a-link.txt", kLinkEntry);
    WriteFile(dir + "/b-text.txt", "[Desktop Entry\nnot quite\n");
    WriteFile(dir + "/c-app.sh", kApplicationEntry);
    WriteFile(dir + "/d-empty");

    com::ComPtr<IShellFolder> folder = BindPath(dir);
    ASSERT_TRUE(folder);
    std::map<std::string, bool> isLink;
    for (const Pidl& item : EnumAll(folder.Get(), SHCONTF_NONFOLDERS)) {
        LPCITEMIDLIST one = item.get();
        ULONG inOut = SFGAO_LINK;
        ASSERT_EQ(folder->GetAttributesOf(1, &one, &inOut), S_OK);
        isLink[NameOf(folder.Get(), item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING)] = inOut == SFGAO_LINK;
    }
    EXPECT_EQ(isLink,
              (std::map<std::string, bool>{
                  {"a-link.txt", true}, {"b-text.txt", false}, {"c-app.sh", true}, {"d-empty", false}}));

    // From the desktop, through the route of the whole path.
    Pidl absolute = ParseOk(Desktop().Get(), dir + "/a-link.txt");
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
    WriteFile(dir + "/notes", kLinkEntry);
    // The group opens the file; the keys come after the first bytes read.
    WriteFile(dir + "/long", "[Desktop Entry]\n# " + std::string(10000, 'x') +
                                 "\nType=Link\nName=long\nURL=file:///etc/hostname\n");
    WriteFile(dir + "/huge", kLinkEntry + "# " + std::string(std::size_t{1} << 20, 'x') + "\n");
    WriteFile(dir + "/plain", "just words\n");
    ASSERT_EQ(symlink("gone", (dir + "/dangling").c_str()), 0);
    ASSERT_EQ(symlink("notes", (dir + "/to-entry").c_str()), 0);
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);

    const std::map<std::string, bool> expected{
        {"notes", true},  {"long", true},  {"to-entry", true},     {"dangling", true}, {"huge", false},
        {"plain", false}, {"pipe", false}, {"sub.desktop", false}, {"missing", false}, {"", false}};
    shell32::FileDescriptor folder = shell32::OpenDirectoryPath(dir);
    ASSERT_TRUE(folder.Valid());
    for (const auto& [name, isShortcut] : expected) {
        EXPECT_EQ(shell32::IsShortcut(folder.Get(), name), isShortcut) << name;
        EXPECT_EQ(shell32::IsShortcut(dir + "/" + name), isShortcut) << name;
        EXPECT_EQ(shell32::IsShortcut(AT_FDCWD, dir + "/" + name), isShortcut) << name;
    }

    // The open folder is still the one asked about once it has moved.
    std::filesystem::rename(dir, env / "moved");
    EXPECT_TRUE(shell32::IsShortcut(folder.Get(), "notes"));
    EXPECT_FALSE(shell32::IsShortcut(dir + "/notes"));
    EXPECT_FALSE(shell32::IsShortcut(-1, "notes"));
}
