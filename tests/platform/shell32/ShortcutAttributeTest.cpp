// The link attribute of file-system items: symbolic links, and desktop
// entries of type Link or Application whatever their names end with, told
// apart without reading files the snapshot rules out.

#include "ShellTestHelpers.h"

#include "shell32/FileSystem_linux.h"

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
