#include "shell32/UserDirs.h"

#include "shell32/ShellTesting.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>

namespace shell32 {

namespace {

struct Places {
    std::string home;
    std::string configHome;
    std::string dataHome;
    std::map<std::string, std::string, std::less<>> userDirs;
};

std::string TrimTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::optional<std::string> AbsoluteVariable(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return std::nullopt; // unset, empty or relative: the default applies
    return TrimTrailingSlashes(value);
}

std::string FindHome()
{
    if (std::optional<std::string> home = AbsoluteVariable("HOME"))
        return *home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir && entry->pw_dir[0] == '/')
        return TrimTrailingSlashes(entry->pw_dir);
    return "/";
}

// One value of user-dirs.dirs: "$HOME/rest" or "/absolute", in double
// quotes, with backslash escapes. Nothing for anything else.
std::optional<std::string> ParseUserDirValue(std::string_view value, const std::string& home)
{
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
        value.remove_suffix(1);
    if (value.size() < 2 || value.front() != '"' || value.back() != '"')
        return std::nullopt;
    value = value.substr(1, value.size() - 2);
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        text.push_back(value[i]);
    }
    std::string path;
    if (text.rfind("$HOME", 0) == 0 && (text.size() == 5 || text[5] == '/'))
        path = home + text.substr(5);
    else if (!text.empty() && text.front() == '/')
        path = text;
    else
        return std::nullopt;
    return TrimTrailingSlashes(path);
}

Places Load()
{
    Places places;
    places.home = FindHome();
    places.configHome = AbsoluteVariable("XDG_CONFIG_HOME").value_or(places.home + "/.config");
    places.dataHome = AbsoluteVariable("XDG_DATA_HOME").value_or(places.home + "/.local/share");
    std::ifstream file(places.configHome + "/user-dirs.dirs");
    std::string line;
    while (std::getline(file, line)) {
        std::string_view text = line;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        if (text.empty() || text.front() == '#')
            continue;
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string_view key = text.substr(0, equals);
        if (key.rfind("XDG_", 0) != 0 || key.size() <= 8 || key.substr(key.size() - 4) != "_DIR")
            continue;
        key = key.substr(4, key.size() - 8);
        if (std::optional<std::string> path = ParseUserDirValue(text.substr(equals + 1), places.home))
            places.userDirs[std::string(key)] = *path;
    }
    return places;
}

std::mutex g_mutex;
std::optional<Places> g_places;

template <typename F>
auto WithPlaces(F&& read)
{
    std::lock_guard lock(g_mutex);
    if (!g_places)
        g_places = Load();
    return read(*g_places);
}

} // namespace

std::string HomeDirectory()
{
    return WithPlaces([](const Places& p) { return p.home; });
}

std::string ConfigHome()
{
    return WithPlaces([](const Places& p) { return p.configHome; });
}

std::string DataHome()
{
    return WithPlaces([](const Places& p) { return p.dataHome; });
}

std::string UserDirectory(std::string_view key)
{
    return WithPlaces([key](const Places& p) {
        if (auto found = p.userDirs.find(key); found != p.userDirs.end())
            return found->second;
        return key == "DESKTOP" ? p.home + "/Desktop" : p.home;
    });
}

std::string TrashDirectory()
{
    return DataHome() + "/Trash";
}

namespace testing {
void ResetCachedLocations()
{
    std::lock_guard lock(g_mutex);
    g_places.reset();
}
} // namespace testing

} // namespace shell32
