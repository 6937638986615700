// Special folders: every TCSIDL member with the user's directories named in
// user-dirs.dirs, without that file, and with all of them pointing at HOME;
// each folder that resolves is found again from its own list.

#include "IdListTestSupport.h"
#include "TestSupport.h"

#include "UKwShellUtils.h"

#include "shell32/ShellApi.h"
#include "shell32/ShellTesting.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

using namespace kw;
using kwtest::OwnedList;
using kwtest::TempDir;

namespace {

// Points HOME and the XDG base directories into a temporary folder for the
// life of the object, and puts the old values back after.
class RedirectedHome {
public:
    RedirectedHome()
    {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            const char* value = std::getenv(name);
            Saved_.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
        }
        Home = Root_ / "home";
        Config = Root_ / "config";
        Data = Root_ / "data";
        for (const std::string& dir : {Home, Config, Data})
            std::filesystem::create_directories(dir);
        setenv("HOME", Home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", Config.c_str(), 1);
        setenv("XDG_DATA_HOME", Data.c_str(), 1);
        shell32::testing::ResetCachedLocations();
    }
    ~RedirectedHome()
    {
        for (const auto& [name, value] : Saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        shell32::testing::ResetCachedLocations();
    }
    RedirectedHome(const RedirectedHome&) = delete;
    RedirectedHome& operator=(const RedirectedHome&) = delete;

    void WriteUserDirs(const std::string& text)
    {
        std::ofstream(Config + "/user-dirs.dirs") << text;
        shell32::testing::ResetCachedLocations();
    }

    std::string Home;
    std::string Config;
    std::string Data;

private:
    TempDir Root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> Saved_;
};

bool IsDirectory(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// What one member is expected to give.
struct Expected {
    TCSIDL Folder;
    bool Resolves;
    std::string Path; // "" for a virtual folder
    TCSIDL FoundAs;   // what ShellFindCSIDLFromIdList of its list answers
};

void CheckTable(const std::vector<Expected>& table)
{
    ASSERT_EQ(table.size(), static_cast<size_t>(TCSIDLCount));
    for (size_t i = 0; i < table.size(); ++i) {
        const Expected& expected = table[i];
        ASSERT_EQ(expected.Folder, static_cast<TCSIDL>(i));
        SCOPED_TRACE("folder " + std::to_string(i));
        OwnedList pidl;
        const HRESULT hr = ShellGetSpecialFolderIdList(nullptr, expected.Folder, pidl.Out());
        if (!expected.Resolves) {
            EXPECT_TRUE(FAILED(hr));
            EXPECT_FALSE(pidl);
            EXPECT_EQ(ShellGetSpecialFolderPath(nullptr, expected.Folder), "");
            continue;
        }
        ASSERT_EQ(hr, S_OK);
        ASSERT_TRUE(pidl);
        EXPECT_EQ(ShellGetSpecialFolderPath(nullptr, expected.Folder), expected.Path);
        EXPECT_EQ(ShellGetPathFromIdList(pidl.Get()), expected.Path);
        EXPECT_EQ(ShellFindCSIDLFromIdList(pidl.Get()), expected.FoundAs);
    }
}

// The table for the given user directories (desktop, documents,
// templates). The aliases: Programs and Start Menu are one folder, as are
// the common Start Menu and Programs; user directories that fall together
// are found as the first of them (Personal before Desktop directory before
// Templates).
std::vector<Expected> TableFor(const RedirectedHome& home, const std::string& desktop,
                               const std::string& documents, const std::string& templates)
{
    const bool commonMenu = IsDirectory("/usr/share/applications");
    const bool commonStartup = IsDirectory("/etc/xdg/autostart");
    const TCSIDL desktopFoundAs = desktop == documents ? csidlPersonal : csidlDesktopDirectory;
    const TCSIDL templatesFoundAs = templates == documents ? csidlPersonal
                                    : templates == desktop ? csidlDesktopDirectory
                                                           : csidlTemplates;
    return {
        {csidlDesktop, true, desktop, csidlDesktop},
        {csidl_None1, false, "", csidlNone},
        {csidlPrograms, true, home.Data + "/applications", csidlPrograms},
        {csidlControls, true, "", csidlControls},
        {csidlPrinters, true, "", csidlPrinters},
        {csidlPersonal, true, documents, csidlPersonal},
        {csidlFavorites, false, "", csidlNone},
        {csidlStartup, true, home.Config + "/autostart", csidlStartup},
        {csidlRecent, false, "", csidlNone},
        {csidlSendTo, true, home.Data + "/corvane/SendTo", csidlSendTo},
        {csidlBitBucket, true, "", csidlBitBucket},
        {csidlStartMenu, true, home.Data + "/applications", csidlPrograms},
        {csidl_None2, false, "", csidlNone},
        {csidl_None3, false, "", csidlNone},
        {csidl_None4, false, "", csidlNone},
        {csidl_None5, false, "", csidlNone},
        {csidlDesktopDirectory, true, desktop, desktopFoundAs},
        {csidlDrives, true, "", csidlDrives},
        {csidlNetwork, true, "", csidlNetwork},
        {csidlNethood, false, "", csidlNone},
        {csidlFonts, true, home.Data + "/fonts", csidlFonts},
        {csidlTemplates, true, templates, templatesFoundAs},
        {csidlCommonStartMenu, commonMenu, "/usr/share/applications", csidlCommonStartMenu},
        {csidlCommonPrograms, commonMenu, "/usr/share/applications", csidlCommonStartMenu},
        {csidlCommonStartup, commonStartup, "/etc/xdg/autostart", csidlCommonStartup},
        {csidlCommonDesktopDirectory, false, "", csidlNone},
        {csidlAppData, true, home.Config, csidlAppData},
        {csidlPrintHood, false, "", csidlNone},
        {csidlNone, false, "", csidlNone},
    };
}

void MakeCommonFolders(const RedirectedHome& home)
{
    for (const std::string& dir :
         {home.Data + "/applications", home.Config + "/autostart", home.Data + "/fonts"})
        std::filesystem::create_directories(dir);
}

} // namespace

TEST(SpecialFolders, EveryMemberWithUserDirsNamed)
{
    RedirectedHome home;
    MakeCommonFolders(home);
    for (const char* dir : {"/Schreibtisch", "/Dokumente", "/Vorlagen dir"})
        std::filesystem::create_directories(home.Home + dir);
    home.WriteUserDirs("# written by a test\n"
                       "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                       "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                       "XDG_TEMPLATES_DIR=\"" +
                       home.Home + "/Vorlagen dir\"\n");
    CheckTable(
        TableFor(home, home.Home + "/Schreibtisch", home.Home + "/Dokumente", home.Home + "/Vorlagen dir"));
}

TEST(SpecialFolders, EveryMemberWithoutUserDirs)
{
    RedirectedHome home;
    MakeCommonFolders(home);
    std::filesystem::create_directories(home.Home + "/Desktop");
    CheckTable(TableFor(home, home.Home + "/Desktop", home.Home, home.Home));
}

TEST(SpecialFolders, EveryMemberWithUserDirsAtHome)
{
    RedirectedHome home;
    MakeCommonFolders(home);
    home.WriteUserDirs("XDG_DESKTOP_DIR=\"$HOME/\"\n"
                       "XDG_DOCUMENTS_DIR=\"$HOME\"\n"
                       "XDG_TEMPLATES_DIR=\"$HOME\"\n");
    CheckTable(TableFor(home, home.Home, home.Home, home.Home));
}

TEST(SpecialFolders, EdgesOfTheSearch)
{
    RedirectedHome home;
    EXPECT_EQ(ShellFindCSIDLFromIdList(nullptr), csidlNone);
    OwnedList empty = kwtest::MakeList({});
    EXPECT_EQ(ShellFindCSIDLFromIdList(empty.Get()), csidlDesktop);
    // A folder that is no special folder.
    OwnedList plain;
    ASSERT_EQ(ShellGetIdListFromPath(home.Data, plain.Out()), S_OK);
    EXPECT_EQ(ShellFindCSIDLFromIdList(plain.Get()), csidlNone);
    // The number is masked to its low seven bits, as the system's flags
    // above them would be.
    OwnedList drives;
    ASSERT_EQ(ShellGetSpecialFolderIdList(nullptr, static_cast<TCSIDL>(csidlDrives | 0x80), drives.Out()),
              S_OK);
    EXPECT_EQ(ShellFindCSIDLFromIdList(drives.Get()), csidlDrives);
}

TEST(SpecialFolders, TwoRoutesToAFolderInHome)
{
    RedirectedHome home;
    const std::string target = home.Home + "/projects";
    std::filesystem::create_directories(target);

    // Route one: the parser's, from the whole path.
    OwnedList parsed;
    ASSERT_EQ(ShellGetIdListFromPath(target, parsed.Out()), S_OK);

    // Route two: the desktop's Home item, then the child as that folder
    // names it.
    com::ComPtr<IShellFolder> desktop;
    ASSERT_EQ(SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf()), S_OK);
    com::ComPtr<IEnumIDList> children;
    ASSERT_EQ(desktop->EnumObjects(nullptr, SHCONTF_FOLDERS, children.ReleaseAndGetAddressOf()), S_OK);
    OwnedList homeItem;
    ULONG fetched = 0;
    while (children->Next(1, homeItem.Out(), &fetched) == S_OK) {
        if (ShellGetFriendlyNameFromIdList(desktop.Get(), homeItem.Get(), kwfnForParsing) == home.Home)
            break;
    }
    ASSERT_TRUE(homeItem);
    com::ComPtr<IShellFolder> homeFolder;
    ASSERT_EQ(ShellGetFolderFromIdList(homeItem.Get(), homeFolder.ReleaseAndGetAddressOf()), S_OK);
    std::u16string name = u"projects";
    OwnedList child;
    ULONG eaten = 0;
    ASSERT_EQ(homeFolder->ParseDisplayName(nullptr, nullptr, name.data(), &eaten, child.Out(), nullptr),
              S_OK);
    OwnedList viaHome(ConcatIdLists(nullptr, homeItem.Get(), child.Get()));

    // Different lists (the parser goes through Computer and the root), one
    // folder.
    ASSERT_NE(kwtest::BytesOf(parsed.Get()), kwtest::BytesOf(viaHome.Get()));
    EXPECT_EQ(CompareAbsIdLists(parsed.Get(), viaHome.Get()), 0);
    EXPECT_EQ(ShellGetPathFromIdList(viaHome.Get()), target);
}
