#include "PlatformTestSupport.h"
#include "ShellTestHelpers.h"

#include "win32/Registry.h"

using namespace shelltest;

namespace {

std::optional<std::string> SpecialPath(int csidl)
{
    LPITEMIDLIST pidl = nullptr;
    const HRESULT hr = SHGetSpecialFolderLocation(nullptr, csidl, &pidl);
    EXPECT_EQ(hr, S_OK) << csidl;
    Pidl owned(pidl);
    return shell32::PathFromIdList(owned.get());
}

} // namespace

TEST(SpecialFolders, UserDirectoriesFollowUserDirsDirs)
{
    ShellEnvironment env;
    // Absent: the usual fallbacks.
    EXPECT_EQ(SpecialPath(CSIDL_DESKTOPDIRECTORY), env / "Desktop");
    EXPECT_EQ(SpecialPath(CSIDL_PERSONAL), env.Home());
    EXPECT_EQ(SpecialPath(CSIDL_TEMPLATES), env.Home());

    // Present: "$HOME/..." and quoted absolute values, comments ignored.
    std::filesystem::create_directories(env / ".config");
    std::filesystem::create_directories(env / "My Docs");
    std::filesystem::create_directories(env / "Schreibtisch");
    std::filesystem::create_directories(env / "elsewhere/tpl");
    WriteFile(env / ".config/user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                              "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                              "XDG_DOCUMENTS_DIR=\"$HOME/My Docs\"\n"
                                              "XDG_TEMPLATES_DIR=\"" +
                                                  (env / "elsewhere/tpl") +
                                                  "\"\n"
                                                  "XDG_MUSIC_DIR=relative/ignored\n");
    shell32::testing::ResetCachedLocations();
    EXPECT_EQ(SpecialPath(CSIDL_DESKTOPDIRECTORY), env / "Schreibtisch");
    EXPECT_EQ(SpecialPath(CSIDL_PERSONAL), env / "My Docs");
    EXPECT_EQ(SpecialPath(CSIDL_TEMPLATES), env / "elsewhere/tpl");
    // The desktop's own path is its directory.
    char buffer[4096];
    ASSERT_TRUE(SHGetPathFromIDListA(nullptr, buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), env / "Schreibtisch");

    // Pointing at HOME.
    WriteFile(env / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/\"\nXDG_DESKTOP_DIR=\"$HOME\"\n");
    shell32::testing::ResetCachedLocations();
    EXPECT_EQ(SpecialPath(CSIDL_PERSONAL), env.Home());
    EXPECT_EQ(SpecialPath(CSIDL_DESKTOPDIRECTORY), env.Home());
}

TEST(SpecialFolders, TheRegistryStoreLiesInTheApplicationDataFolder)
{
    ShellEnvironment env;
    std::filesystem::create_directories(env / "cfg");
    std::filesystem::create_directories(env / ".config");
    const struct {
        std::string config; // XDG_CONFIG_HOME
        std::string folder; // the application data folder
    } cases[] = {
        {env / "cfg", env / "cfg"},
        {env / "cfg///", env / "cfg"},
        {env.Home() + "//./cfg/", env / "cfg"},
        {"relative/cfg", env / ".config"},
        {"", env / ".config"},
    };
    for (const auto& c : cases) {
        kwtest::ScopedEnv config("XDG_CONFIG_HOME", c.config);
        EXPECT_EQ(SpecialPath(CSIDL_APPDATA), c.folder) << c.config;
        EXPECT_EQ(win32::RegistryStorePath(), c.folder + "/corvane/registry") << c.config;

        // A change of the environment alone moves neither: the places are read once.
        setenv("XDG_CONFIG_HOME", (env / "elsewhere").c_str(), 1);
        EXPECT_EQ(SpecialPath(CSIDL_APPDATA), c.folder) << c.config;
        EXPECT_EQ(win32::RegistryStorePath(), c.folder + "/corvane/registry") << c.config;
    }
}

TEST(SpecialFolders, TheTableAndItsFailures)
{
    ShellEnvironment env;
    // Send To is made on first use.
    EXPECT_FALSE(std::filesystem::exists(env / ".local/share/corvane/SendTo"));
    EXPECT_EQ(SpecialPath(CSIDL_SENDTO), env / ".local/share/corvane/SendTo");
    EXPECT_TRUE(std::filesystem::is_directory(env / ".local/share/corvane/SendTo"));

    // A folder that does not exist is an error, unless asked to create it.
    LPITEMIDLIST pidl = nullptr;
    EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_FONTS, &pidl),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(pidl, nullptr);
    EXPECT_EQ(SpecialPath(CSIDL_FONTS | CSIDL_FLAG_CREATE), env / ".local/share/fonts");
    std::filesystem::create_directories(env / ".config/autostart");
    EXPECT_EQ(SpecialPath(CSIDL_STARTUP), env / ".config/autostart");
    EXPECT_EQ(SpecialPath(CSIDL_APPDATA), env / ".config");

    // The desktop is the empty list; virtual folders have no path.
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &pidl), S_OK);
    EXPECT_EQ(shell32::IdListSize(pidl), 2u);
    CoTaskMemFree(pidl);
    for (int csidl : {CSIDL_DRIVES, CSIDL_NETWORK, CSIDL_BITBUCKET, CSIDL_CONTROLS, CSIDL_PRINTERS}) {
        ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, csidl, &pidl), S_OK) << csidl;
        Pidl owned(pidl);
        char buffer[64] = "untouched";
        EXPECT_FALSE(SHGetPathFromIDListA(owned.get(), buffer, sizeof buffer)) << csidl;
        EXPECT_EQ(buffer[0], '\0');
        com::ComPtr<IShellFolder> folder;
        EXPECT_EQ(Desktop()->BindToObject(owned.get(), nullptr, IID_IShellFolder,
                                          folder.ReleaseAndGetVoidAddress()),
                  S_OK)
            << csidl;
    }
    // Control Panel lies in Computer.
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, &pidl), S_OK);
    Pidl controls(pidl);
    Pidl parsed = ParseOk(Desktop().Get(), "::{21EC2020-3AEA-1069-A2DD-08002B30309D}");
    EXPECT_EQ(Desktop()->CompareIDs(0, controls.get(), parsed.get()), S_OK);
    EXPECT_EQ(shell32::IdListSize(controls.get()), 2u + 21u + 21u);

    // Every other number fails as an unknown one does.
    for (int csidl : {1, 6, 8, 12, 13, 14, 15, 19, 25, 27, 28, 29, 31, 63, -1}) {
        pidl = reinterpret_cast<LPITEMIDLIST>(&csidl);
        EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, csidl, &pidl), E_INVALIDARG) << csidl;
        EXPECT_EQ(pidl, nullptr);
    }

    // A path that does not fit the buffer is a failure, never a cut one.
    std::filesystem::create_directories(env / "a-rather-long-folder-name");
    Pidl longOne = ParseOk(Desktop().Get(), env / "a-rather-long-folder-name");
    const std::string full = env / "a-rather-long-folder-name";
    std::vector<char> exact(full.size() + 1);
    EXPECT_TRUE(SHGetPathFromIDListA(longOne.get(), exact.data(), exact.size()));
    EXPECT_EQ(std::string(exact.data()), full);
    EXPECT_FALSE(SHGetPathFromIDListA(longOne.get(), exact.data(), exact.size() - 1));
    EXPECT_EQ(exact[0], '\0');
}
