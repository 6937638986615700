// Every special-folder number from 0 to 28, with user-dirs.dirs absent,
// present, and pointing the user directories at HOME.

#include "ShellTestHelpers.h"

#include <map>

using namespace shelltest;

namespace {

// What a number gives: a path, a virtual folder (no path), or nothing.
struct Expected {
    enum { Path, Virtual, Unknown } kind;
    std::string path;
};

void CheckAllNumbers(const std::map<int, Expected>& table, const std::string& state)
{
    com::ComPtr<IShellFolder> desktop = Desktop();
    for (int csidl = 0; csidl <= 28; ++csidl) {
        SCOPED_TRACE(state + ", CSIDL " + std::to_string(csidl));
        const auto found = table.find(csidl);
        const Expected expected = found == table.end() ? Expected{Expected::Unknown, {}} : found->second;
        LPITEMIDLIST raw = reinterpret_cast<LPITEMIDLIST>(&csidl);
        const HRESULT hr = SHGetSpecialFolderLocation(nullptr, csidl, &raw);
        Pidl pidl(raw);
        if (expected.kind == Expected::Unknown) {
            EXPECT_EQ(hr, E_INVALIDARG);
            EXPECT_EQ(raw, nullptr);
            continue;
        }
        if (expected.kind == Expected::Path && !std::filesystem::is_directory(expected.path)) {
            // A system folder this machine lacks is reported, never made up.
            EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
            EXPECT_EQ(raw, nullptr);
            continue;
        }
        ASSERT_EQ(hr, S_OK);
        const std::optional<std::string> path = shell32::PathFromIdList(pidl.get());
        if (expected.kind == Expected::Path) {
            EXPECT_EQ(path, expected.path);
        } else if (csidl != CSIDL_DESKTOP) {
            EXPECT_EQ(path, std::nullopt);
        }
        // The list is one the desktop can name and bind.
        EXPECT_FALSE(NameOf(desktop.Get(), pidl.get(), SHGDN_NORMAL).empty());
        if (csidl != CSIDL_DESKTOP) {
            com::ComPtr<IShellFolder> folder;
            EXPECT_EQ(desktop->BindToObject(pidl.get(), nullptr, IID_IShellFolder,
                                            folder.ReleaseAndGetVoidAddress()),
                      S_OK);
        }
    }
}

} // namespace

TEST(SpecialFolderNumbers, AllNumbersInEveryStateOfUserDirs)
{
    ShellEnvironment env;
    const std::string config = env / ".config";
    const std::string data = env / ".local/share";
    for (const std::string& dir : {config + "/autostart", data + "/applications", data + "/fonts"})
        std::filesystem::create_directories(dir);
    auto table = [&](const std::string& desktopDir, const std::string& documents,
                     const std::string& templates) {
        using E = Expected;
        return std::map<int, Expected>{
            {CSIDL_DESKTOP, {E::Virtual, {}}},
            {CSIDL_PROGRAMS, {E::Path, data + "/applications"}},
            {CSIDL_CONTROLS, {E::Virtual, {}}},
            {CSIDL_PRINTERS, {E::Virtual, {}}},
            {CSIDL_PERSONAL, {E::Path, documents}},
            {CSIDL_STARTUP, {E::Path, config + "/autostart"}},
            {CSIDL_SENDTO, {E::Path, data + "/corvane/SendTo"}},
            {CSIDL_BITBUCKET, {E::Virtual, {}}},
            {CSIDL_STARTMENU, {E::Path, data + "/applications"}},
            {CSIDL_DESKTOPDIRECTORY, {E::Path, desktopDir}},
            {CSIDL_DRIVES, {E::Virtual, {}}},
            {CSIDL_NETWORK, {E::Virtual, {}}},
            {CSIDL_FONTS, {E::Path, data + "/fonts"}},
            {CSIDL_TEMPLATES, {E::Path, templates}},
            {CSIDL_COMMON_STARTMENU, {E::Path, "/usr/share/applications"}},
            {CSIDL_COMMON_PROGRAMS, {E::Path, "/usr/share/applications"}},
            {CSIDL_COMMON_STARTUP, {E::Path, "/etc/xdg/autostart"}},
            {CSIDL_APPDATA, {E::Path, config}},
        };
    };

    // Absent: the usual fallbacks.
    CheckAllNumbers(table(env / "Desktop", env.Home(), env.Home()), "absent");
    char buffer[4096];
    ASSERT_TRUE(SHGetPathFromIDListA(nullptr, buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), env / "Desktop");

    // Present.
    for (const char* dir : {"Bureau", "Documents", "Vorlagen"})
        std::filesystem::create_directories(env / dir);
    WriteFile(config + "/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
                                          "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"
                                          "XDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n");
    shell32::testing::ResetCachedLocations();
    CheckAllNumbers(table(env / "Bureau", env / "Documents", env / "Vorlagen"), "present");
    ASSERT_TRUE(SHGetPathFromIDListA(nullptr, buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), env / "Bureau");

    // Pointing at HOME: the desktop's entries are HOME's, and the desktop
    // directory (Home) is still not the desktop itself.
    WriteFile(config + "/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/\"\n"
                                          "XDG_DOCUMENTS_DIR=\"$HOME\"\n"
                                          "XDG_TEMPLATES_DIR=\"$HOME\"\n");
    shell32::testing::ResetCachedLocations();
    CheckAllNumbers(table(env.Home(), env.Home(), env.Home()), "at HOME");
    ASSERT_TRUE(SHGetPathFromIDListA(nullptr, buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), env.Home());
    WriteFile(env / "note.txt");
    com::ComPtr<IShellFolder> desktop = Desktop();
    const Pidl entry = ParseOk(desktop.Get(), "note.txt");
    const Pidl absolute = ParseOk(desktop.Get(), env / "note.txt");
    EXPECT_EQ(desktop->CompareIDs(0, entry.get(), absolute.get()), S_OK);
    LPITEMIDLIST raw = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &raw), S_OK);
    const Pidl desktopDir(raw);
    const Pidl root(shell32::AllocIdList({}));
    EXPECT_NE(CompareResult(desktop->CompareIDs(0, root.get(), desktopDir.get())), 0);
}
