// Symbolic links are typed by what they lead to, files as folders are: in
// the file information, the type column and the order by type.

#include "ShellTestHelpers.h"
#include "shell32/FileInfo.h"
#include "shell32/Folders.h"
#include "shell32/NaturalOrder.h"
#include "shell32/ShellFlags.h"

#include <filesystem>

namespace {

using shelltest::Pidl;

struct LinkCase {
    const char* link;    // in the folder
    const char* target;  // what the link holds
    const char* typedBy; // the name whose type it shows
    bool folder;
};

SHFILEINFOA InfoOf(const std::string& path, UINT flags)
{
    SHFILEINFOA info{};
    EXPECT_NE(SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, flags), 0u) << path;
    return info;
}

std::string TypeColumn(IShellFolder* folder, LPCITEMIDLIST pidl)
{
    SHELLDETAILS details{};
    EXPECT_EQ(com::ComPtr<IShellFolder>(folder).As<IShellDetails>()->GetDetailsOf(pidl, 2, &details), S_OK);
    return shelltest::TakeText(details.str);
}

TEST(LinkTypes, LinksAreTypedByWhatTheyLeadTo)
{
    shelltest::ShellEnvironment env;
    const std::string dir = env / "links";
    std::filesystem::create_directories(dir + "/sub");
    shelltest::WriteFile(dir + "/notes.txt", "text");
    shelltest::WriteFile(dir + "/sub/picture.png", "png");
    const LinkCase cases[] = {
        {"notes", "notes.txt", "notes.txt", false},
        {"chain", "notes", "notes.txt", false}, // through a link to a link
        {"view", "sub/picture.png", "picture.png", false},
        {"absolute", "", "picture.png", false},        // made absolute below
        {"gone", "missing.png", "missing.png", false}, // leads nowhere: its own text
        {"folder", "sub", "", true},
    };
    for (const LinkCase& c : cases) {
        const std::string target = std::string(c.link) == "absolute" ? dir + "/sub/picture.png" : c.target;
        std::filesystem::create_symlink(target, dir + "/" + c.link);
    }
    const com::ComPtr<IShellFolder> folder = shelltest::BindPath(dir);
    for (const LinkCase& c : cases) {
        const std::string path = dir + "/" + c.link;
        const std::string expected = c.folder ? "Folder" : shell32::FileTypeName(c.typedBy, false);
        EXPECT_NE(expected, shell32::FileTypeName(c.link, false)) << c.link << ": the case tells nothing";
        EXPECT_STREQ(InfoOf(path, SHGFI_TYPENAME).szTypeName, expected.c_str()) << c.link;
        const Pidl pidl = shelltest::ParseOk(folder.Get(), c.link);
        EXPECT_EQ(TypeColumn(folder.Get(), pidl.get()), expected) << c.link;
        if (!c.folder) {
            const int linkIcon = InfoOf(path, SHGFI_SYSICONINDEX).iIcon;
            const int typeIcon = InfoOf(c.typedBy, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES).iIcon;
            EXPECT_EQ(linkIcon, typeIcon) << c.link;
        }
    }

    // The order by type follows the names shown.
    const Pidl text = shelltest::ParseOk(folder.Get(), "notes");
    const Pidl picture = shelltest::ParseOk(folder.Get(), "view");
    const bool byNames = shell32::CompareNamesNatural(shell32::FileTypeName("notes.txt", false),
                                                      shell32::FileTypeName("picture.png", false), false) < 0;
    const HRESULT order = folder->CompareIDs(2, text.get(), picture.get());
    EXPECT_EQ(static_cast<short>(HRESULT_CODE(order)), byNames ? -1 : 1);
    // The desktop, which lists through routes, orders its own links the same way.
    const std::string desktop = env / "Desktop";
    std::filesystem::create_symlink(dir + "/notes.txt", desktop + "/a");
    std::filesystem::create_symlink(dir + "/sub/picture.png", desktop + "/b");
    const com::ComPtr<IShellFolder> top = shelltest::Desktop();
    const Pidl a = shelltest::ParseOk(top.Get(), "a");
    const Pidl b = shelltest::ParseOk(top.Get(), "b");
    EXPECT_EQ(static_cast<short>(HRESULT_CODE(top->CompareIDs(2, a.get(), b.get()))), byNames ? -1 : 1);
    EXPECT_EQ(TypeColumn(top.Get(), b.get()), shell32::FileTypeName("picture.png", false));
}

} // namespace
