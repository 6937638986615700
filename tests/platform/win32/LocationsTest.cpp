#include "PlatformTestSupport.h"

#include "win32/Locations.h"
#include "win32/LocationsTesting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using kwtest::ScopedEnv;

TEST(Locations, EveryPathIsWrittenOneWay)
{
    const struct {
        const char* path;
        const char* normalized;
    } cases[] = {
        {"/home/me", "/home/me"},
        {"/home/me/", "/home/me"},
        {"/home//me///", "/home/me"},
        {"/home/./me/.", "/home/me"},
        {"/", "/"},
        {"//", "/"},
        {"/./", "/"},
        {"/a/../b", "/a/../b"},
        {"/na\xFFme/", "/na\xFFme"},
        {"relative/me", ""},
        {"./me", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(win32::NormalizedLocation(c.path), c.normalized) << c.path;
}

TEST(Locations, TheBaseDirectoriesAndTheirDefaults)
{
    kwtest::TempDir temp;
    const std::string home = temp.Path();
    ScopedEnv homeVariable("HOME", home + "//");
    const struct {
        const char* variable;
        std::function<std::string()> place;
        std::string fallback; // for an unset, empty or relative value
    } cases[] = {
        {"XDG_CONFIG_HOME", win32::ConfigHome, home + "/.config"},
        {"XDG_DATA_HOME", win32::DataHome, home + "/.local/share"},
        {"XDG_CACHE_HOME", win32::CacheHome, home + "/.cache"},
    };
    for (const auto& c : cases) {
        for (const char* value : {static_cast<const char*>(nullptr), "", "relative/dir"}) {
            ScopedEnv variable(c.variable, value);
            EXPECT_EQ(c.place(), c.fallback) << c.variable << "=" << (value ? value : "(unset)");
        }
        ScopedEnv variable(c.variable, temp / "own///");
        EXPECT_EQ(c.place(), temp / "own") << c.variable;
        // Read once: changing the environment alone changes nothing.
        setenv(c.variable, "/somewhere/else", 1);
        EXPECT_EQ(c.place(), temp / "own") << c.variable;
        win32::testing::ResetLocations();
        EXPECT_EQ(c.place(), "/somewhere/else") << c.variable;
    }
    EXPECT_EQ(win32::HomeDirectory(), home);
}

TEST(Locations, DataDirectoriesInOrderWithoutRepeats)
{
    const struct {
        const char* value;
        std::vector<std::string> dirs;
    } cases[] = {
        {nullptr, {"/usr/local/share", "/usr/share"}},
        {"", {"/usr/local/share", "/usr/share"}},
        {"relative:also/relative", {"/usr/local/share", "/usr/share"}},
        {"/opt/share/:/usr/share:/opt/share::relative:/usr//share/", {"/opt/share", "/usr/share"}},
    };
    for (const auto& c : cases) {
        ScopedEnv dirs("XDG_DATA_DIRS", c.value);
        EXPECT_EQ(win32::DataDirs(), c.dirs) << (c.value ? c.value : "(unset)");
    }
}

TEST(Locations, UserDirectoriesComeFromTheConfigHome)
{
    kwtest::TempDir temp;
    ScopedEnv home("HOME", temp.Path());
    ScopedEnv config("XDG_CONFIG_HOME", temp / "cfg/");
    kwtest::WriteFile(temp / "cfg/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch/\"\n"
                                                   "XDG_DOCUMENTS_DIR=\"/data//docs\"\n"
                                                   "XDG_MUSIC_DIR=\"relative\"\n"
                                                   "XDG_VIDEOS_DIR=\"$HOMEBOY/x\"\n");
    win32::testing::ResetLocations();
    const struct {
        const char* key;
        std::string path;
    } cases[] = {
        {"DESKTOP", temp / "Schreibtisch"},
        {"DOCUMENTS", "/data/docs"},
        {"MUSIC", temp.Path()},
        {"VIDEOS", temp.Path()},
        {"TEMPLATES", temp.Path()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(win32::UserDirectory(c.key), c.path) << c.key;
}

} // namespace
