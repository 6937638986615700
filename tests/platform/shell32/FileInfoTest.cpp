#include "shell32/FileInfo.h"
#include "ShellTestHelpers.h"
#include "shell32/Folders.h"
#include "shell32/IconTesting.h"
#include "shell32/SystemImageList.h"
#include "win32/Errors.h"
#include "win32/FileSystem.h"
#include "win32/Icons.h"
#include "win32/ImageLists.h"

#include <QImage>

#include <cstring>

#include <filesystem>
#include <set>
#include <thread>

namespace {

using shelltest::Pidl;

// Every test runs with the installed theme and with the built-in pictures.
class FileInfoTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { shell32::testing::SetIconTheme(GetParam()); }
    void TearDown() override { shell32::testing::ResetIconTheme(); }

    shelltest::ShellEnvironment env_;
};

INSTANTIATE_TEST_SUITE_P(Themes, FileInfoTest, ::testing::Values("Adwaita", "none"));

struct Answer {
    DWORD_PTR result = 0;
    SHFILEINFOA info{};
};

Answer Ask(LPCSTR path, UINT flags, DWORD attributes = 0)
{
    Answer answer;
    answer.result = SHGetFileInfoA(path, attributes, &answer.info, sizeof answer.info, flags);
    return answer;
}

Answer AskPidl(LPCITEMIDLIST pidl, UINT flags)
{
    return Ask(reinterpret_cast<LPCSTR>(pidl), flags | SHGFI_PIDL);
}

int IndexByName(const std::string& name, UINT flags = 0, DWORD attributes = 0)
{
    const Answer answer = Ask(name.c_str(), SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | flags, attributes);
    EXPECT_NE(answer.result, 0u) << name;
    return answer.info.iIcon;
}

int IndexByPath(const std::string& path, UINT flags = 0)
{
    const Answer answer = Ask(path.c_str(), SHGFI_SYSICONINDEX | flags);
    EXPECT_NE(answer.result, 0u) << path;
    return answer.info.iIcon;
}

Pidl ParseAbsolute(const std::string& path)
{
    return shelltest::ParseOk(shelltest::Desktop().Get(), path);
}

QImage IconPicture(HICON icon)
{
    const std::optional<QImage> image = win32::IconImage(icon);
    return image ? *image : QImage();
}

TEST_P(FileInfoTest, FileTypesGiveOneIndexInBothListsAndAcrossCalls)
{
    const int text = IndexByName("/no/such/folder/notes.txt");
    EXPECT_GT(text, 0) << "index 0 is never an item's";
    EXPECT_EQ(IndexByName("other.txt"), text) << "one type, one index";
    EXPECT_EQ(IndexByName("notes.txt", SHGFI_SMALLICON), text) << "the same index in both lists";
    EXPECT_EQ(IndexByName("notes.txt"), text) << "and on every call";

    // An existing file of the type, asked by path and by list, agrees.
    const std::string path = env_ / "report.txt";
    shelltest::WriteFile(path, "words");
    EXPECT_EQ(IndexByPath(path), text);
    EXPECT_EQ(IndexByPath(path, SHGFI_SMALLICON), text);
    const Pidl pidl = ParseAbsolute(path);
    EXPECT_EQ(AskPidl(pidl.get(), SHGFI_SYSICONINDEX).info.iIcon, text);

    // Other kinds look different.
    std::set<int> distinct{text};
    for (const char* name : {"photo.png", "song.mp3", "film.mp4", "bundle.zip", "unknown.qqqzzz"})
        EXPECT_TRUE(distinct.insert(IndexByName(name)).second) << name;
    EXPECT_TRUE(distinct.insert(IndexByName("folder", 0, FILE_ATTRIBUTE_DIRECTORY)).second);
    EXPECT_TRUE(distinct.insert(IndexByName("folder", SHGFI_OPENICON, FILE_ATTRIBUTE_DIRECTORY)).second)
        << "a folder's open icon is its own";
    EXPECT_EQ(IndexByName("notes.txt", SHGFI_OPENICON), text) << "files have no open icon";
    EXPECT_FALSE(distinct.count(0));
}

TEST_P(FileInfoTest, TheResultIsTheSystemListOfTheSizeAsked)
{
    const Answer large = Ask("a.txt", SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
    const Answer small = Ask("a.txt", SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(large.result), shell32::SystemImageList(false));
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(small.result), shell32::SystemImageList(true));
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(small.result), &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    ASSERT_TRUE(ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(large.result), &cx, &cy));
    EXPECT_EQ(cx, 32);
    EXPECT_EQ(ImageList_GetImageCount(shell32::SystemImageList(true)),
              ImageList_GetImageCount(shell32::SystemImageList(false)));
    // Without the index flag the result is just nonzero.
    EXPECT_EQ(Ask("a.txt", SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES).result, 1u);
    // The index alone needs no record.
    EXPECT_EQ(SHGetFileInfoA("a.txt", 0, nullptr, 0, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES),
              large.result);
}

TEST_P(FileInfoTest, NamesTypesAndAttributes)
{
    const Answer file = Ask("/no/such/folder/notes.txt",
                            SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES | SHGFI_USEFILEATTRIBUTES);
    ASSERT_NE(file.result, 0u);
    EXPECT_STREQ(file.info.szDisplayName, "notes.txt");
    EXPECT_STREQ(file.info.szTypeName, shell32::FileTypeName("notes.txt", false).c_str());
    EXPECT_STRNE(file.info.szTypeName, "");
    EXPECT_TRUE(file.info.dwAttributes & SFGAO_FILESYSTEM);
    EXPECT_FALSE(file.info.dwAttributes & SFGAO_FOLDER);

    const Answer folder = Ask("/no/such/folder/",
                              SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES | SHGFI_USEFILEATTRIBUTES,
                              FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    EXPECT_STREQ(folder.info.szDisplayName, "folder");
    EXPECT_STREQ(folder.info.szTypeName, "Folder");
    EXPECT_TRUE(folder.info.dwAttributes & SFGAO_FOLDER);
    EXPECT_TRUE(folder.info.dwAttributes & SFGAO_HIDDEN);
    EXPECT_TRUE(folder.info.dwAttributes & SFGAO_READONLY);

    // Only the attributes asked for under SHGFI_ATTR_SPECIFIED.
    Answer masked;
    masked.info.dwAttributes = SFGAO_FOLDER | SFGAO_CANRENAME;
    masked.result = SHGetFileInfoA("x.txt", 0, &masked.info, sizeof masked.info,
                                   SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED | SHGFI_USEFILEATTRIBUTES);
    EXPECT_EQ(masked.info.dwAttributes, SFGAO_CANRENAME);

    // A real folder and file, by path and by list.
    std::filesystem::create_directories(env_ / "Projects");
    const Answer real =
        Ask((env_ / "Projects").c_str(), SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES);
    ASSERT_NE(real.result, 0u);
    EXPECT_STREQ(real.info.szDisplayName, "Projects");
    EXPECT_STREQ(real.info.szTypeName, "Folder");
    EXPECT_TRUE(real.info.dwAttributes & SFGAO_FOLDER);

    // Fields not asked for are left alone.
    Answer untouched;
    std::memset(&untouched.info, 0x5A, sizeof untouched.info);
    untouched.result = SHGetFileInfoA("x.txt", 0, &untouched.info, sizeof untouched.info,
                                      SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    EXPECT_EQ(untouched.info.dwAttributes, 0x5A5A5A5Au);
    EXPECT_EQ(static_cast<unsigned char>(untouched.info.szDisplayName[0]), 0x5A);
}

TEST_P(FileInfoTest, VirtualItemsLookLikeWhatTheyAre)
{
    std::set<int> seen;
    const auto virtualItem = [&](const std::string& parsingName, const char* type) {
        const Pidl pidl = ParseAbsolute(parsingName);
        const Answer answer = AskPidl(pidl.get(), SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_DISPLAYNAME);
        EXPECT_NE(answer.result, 0u) << parsingName;
        EXPECT_GT(answer.info.iIcon, 0) << parsingName;
        EXPECT_STREQ(answer.info.szTypeName, type) << parsingName;
        EXPECT_STRNE(answer.info.szDisplayName, "") << parsingName;
        EXPECT_TRUE(seen.insert(answer.info.iIcon).second) << parsingName << " has an icon of its own";
        return answer.info.iIcon;
    };
    virtualItem("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "System Folder"); // Computer
    const int emptyTrash = virtualItem("::{645FF040-5081-101B-9F08-00AA002F954E}", "System Folder");
    virtualItem("::{59031A47-3F72-44A7-89C5-5595FE6B30EE}", "System Folder"); // Home
    virtualItem("::{208D2C60-3AEA-1069-A2D7-08002B30309D}", "System Folder"); // Network

    // The desktop: the empty list.
    const BYTE empty[2] = {0, 0};
    const Answer desktop =
        AskPidl(reinterpret_cast<LPCITEMIDLIST>(empty),
                SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_DISPLAYNAME | SHGFI_ATTRIBUTES);
    EXPECT_NE(desktop.result, 0u);
    EXPECT_GT(desktop.info.iIcon, 0);
    EXPECT_TRUE(seen.insert(desktop.info.iIcon).second);
    EXPECT_STREQ(desktop.info.szTypeName, "System Folder");
    EXPECT_TRUE(desktop.info.dwAttributes & SFGAO_FOLDER);

    // The root drive shows its kind.
    const Answer root = Ask("/", SHGFI_SYSICONINDEX | SHGFI_TYPENAME);
    EXPECT_NE(root.result, 0u);
    EXPECT_GT(root.info.iIcon, 0);
    EXPECT_STRNE(root.info.szTypeName, "");
    EXPECT_TRUE(seen.insert(root.info.iIcon).second);

    // The trash looks full once something is in it.
    std::filesystem::create_directories(env_ / ".local/share/Trash/files");
    shelltest::WriteFile(env_ / ".local/share/Trash/files/old.txt", "x");
    const Pidl trash = ParseAbsolute("::{645FF040-5081-101B-9F08-00AA002F954E}");
    const int fullTrash = AskPidl(trash.get(), SHGFI_SYSICONINDEX).info.iIcon;
    EXPECT_GT(fullTrash, 0);
    EXPECT_NE(fullTrash, emptyTrash);
}

TEST_P(FileInfoTest, IconsAreNewHandlesWithTheOverlaysAsked)
{
    const std::string target = env_ / "target.txt";
    const std::string link = env_ / "link.txt";
    shelltest::WriteFile(target, "x");
    std::filesystem::create_symlink(target, link);

    const Answer plain = Ask(target.c_str(), SHGFI_ICON | SHGFI_LINKOVERLAY);
    ASSERT_NE(plain.result, 0u);
    ASSERT_NE(plain.info.hIcon, nullptr);
    EXPECT_GT(plain.info.iIcon, 0) << "the index comes with the icon";
    const QImage plainPicture = IconPicture(plain.info.hIcon);
    EXPECT_EQ(plainPicture.size(), QSize(32, 32));
    EXPECT_EQ(plainPicture,
              win32::ImageListImage(shell32::SystemImageList(false), plain.info.iIcon, ILD_TRANSPARENT))
        << "no overlay for an item that is no link";

    const Answer linked = Ask(link.c_str(), SHGFI_ICON | SHGFI_LINKOVERLAY | SHGFI_SMALLICON |
                                                SHGFI_ATTRIBUTES | SHGFI_OVERLAYINDEX);
    ASSERT_NE(linked.result, 0u);
    EXPECT_TRUE(linked.info.dwAttributes & SFGAO_LINK);
    EXPECT_EQ(linked.info.iIcon >> 24, shell32::kLinkOverlay);
    const int index = linked.info.iIcon & 0xFFFFFF;
    EXPECT_EQ(index, plain.info.iIcon) << "a link looks like its type";
    const QImage linkPicture = IconPicture(linked.info.hIcon);
    ASSERT_EQ(linkPicture.size(), QSize(16, 16));
    const QImage base = win32::ImageListImage(shell32::SystemImageList(true), index, ILD_TRANSPARENT);
    EXPECT_NE(linkPicture.pixel(2, 13), base.pixel(2, 13)) << "the arrow at the bottom-left";
    EXPECT_EQ(linkPicture.pixel(14, 2), base.pixel(14, 2)) << "the rest as it was";
    // Without SHGFI_LINKOVERLAY the link has no arrow; SHGFI_ADDOVERLAYS adds it too.
    const Answer bare = Ask(link.c_str(), SHGFI_ICON | SHGFI_SMALLICON);
    EXPECT_EQ(IconPicture(bare.info.hIcon), base);
    const Answer added = Ask(link.c_str(), SHGFI_ICON | SHGFI_SMALLICON | SHGFI_ADDOVERLAYS);
    EXPECT_EQ(IconPicture(added.info.hIcon), linkPicture);
    EXPECT_TRUE(DestroyIcon(added.info.hIcon));

    // Selected icons are blended; open folders have their own picture.
    const Answer selected = Ask(target.c_str(), SHGFI_ICON | SHGFI_SELECTED);
    EXPECT_NE(IconPicture(selected.info.hIcon), plainPicture);

    for (HICON icon : {plain.info.hIcon, linked.info.hIcon, bare.info.hIcon, selected.info.hIcon})
        EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(win32::IsIcon(plain.info.hIcon)) << "the caller's to destroy";
}

TEST_P(FileInfoTest, DisplayNamesAreCutAtCharacterBoundariesAndStrangeNamesWork)
{
    // 100 three-byte characters: 300 bytes do not fit in 260.
    std::string longName;
    for (int i = 0; i < 100; ++i)
        longName += "\xE2\x82\xAC";
    const Answer cut = Ask(longName.c_str(), SHGFI_DISPLAYNAME | SHGFI_USEFILEATTRIBUTES);
    ASSERT_NE(cut.result, 0u);
    EXPECT_EQ(std::strlen(cut.info.szDisplayName), 258u) << "86 whole characters";
    EXPECT_EQ(std::string(cut.info.szDisplayName), longName.substr(0, 258));

    // Invalid UTF-8 shows as U+FFFD in display text, and the type still comes
    // from the name's extension.
    const Answer invalid =
        Ask("bad\xFF.txt", SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
    ASSERT_NE(invalid.result, 0u);
    EXPECT_STREQ(invalid.info.szDisplayName, "bad\xEF\xBF\xBD.txt");
    EXPECT_EQ(invalid.info.iIcon, IndexByName("good.txt"));

    // Files whose names look like patterns or inserts, and invalid bytes, on disk.
    for (const std::string name : {"*", "%1", "bad\xFF.txt", "?"}) {
        const std::string path = env_ / name;
        shelltest::WriteFile(path, "x");
        const Answer answer = Ask(path.c_str(), SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME | SHGFI_TYPENAME);
        EXPECT_NE(answer.result, 0u) << name;
        EXPECT_GT(answer.info.iIcon, 0) << name;
        EXPECT_GT(IndexByName(name), 0) << name;
    }
}

TEST_P(FileInfoTest, OtherThreadsSeeBuiltInPicturesUntilTheThemeIsRead)
{
    // The theme belongs to the GUI thread; elsewhere the pictures are drawn,
    // at the index the icon keeps, until the GUI thread reads the theme.
    Answer answer;
    QImage seen;
    std::thread worker([&] {
        answer = Ask("elsewhere.png", SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
        seen = win32::ImageListImage(reinterpret_cast<HIMAGELIST>(answer.result), answer.info.iIcon,
                                     ILD_TRANSPARENT);
    });
    worker.join();
    ASSERT_NE(answer.result, 0u);
    ASSERT_GT(answer.info.iIcon, 0);
    EXPECT_EQ(seen, shell32::DrawBuiltInIcon(shell32::BuiltInIcon::Image, 16));
    EXPECT_EQ(IndexByName("elsewhere.png"), answer.info.iIcon) << "one index whatever the thread";
    const QImage now =
        win32::ImageListImage(shell32::SystemImageList(true), answer.info.iIcon, ILD_TRANSPARENT);
    if (std::string(GetParam()) == "none")
        EXPECT_EQ(now, shell32::DrawBuiltInIcon(shell32::BuiltInIcon::Image, 16));
    else
        EXPECT_NE(now, shell32::DrawBuiltInIcon(shell32::BuiltInIcon::Image, 16)) << "the theme's picture";
}

TEST_P(FileInfoTest, FailuresReturnZero)
{
    SHFILEINFOA info{};
    SetLastError(0);
    EXPECT_EQ(SHGetFileInfoA(nullptr, 0, &info, sizeof info, SHGFI_SYSICONINDEX), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SHGetFileInfoA("a.txt", 0, &info, sizeof info - 1, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES),
              0u);
    EXPECT_EQ(SHGetFileInfoA("a.txt", 0, nullptr, 0, SHGFI_DISPLAYNAME | SHGFI_USEFILEATTRIBUTES), 0u);
    EXPECT_EQ(SHGetFileInfoA("a.txt", 0, &info, sizeof info, SHGFI_ICONLOCATION | SHGFI_USEFILEATTRIBUTES),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    // A path that does not exist, asked without SHGFI_USEFILEATTRIBUTES.
    const std::string missing = env_ / "missing/file.txt";
    EXPECT_EQ(SHGetFileInfoA(missing.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX), 0u);
    EXPECT_NE(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(info.iIcon, 0) << "nothing written on failure";
    // A list that is not one of ours.
    const BYTE foreign[] = {5, 0, 1, 2, 3, 0, 0};
    EXPECT_EQ(SHGetFileInfoA(reinterpret_cast<LPCSTR>(foreign), 0, &info, sizeof info,
                             SHGFI_PIDL | SHGFI_SYSICONINDEX),
              0u);
}

} // namespace
