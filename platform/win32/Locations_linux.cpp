#include "win32/Locations.h"
#include "win32/LocationsTesting.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>

namespace win32 {

namespace {

struct Places {
    std::string home;
    std::string configHome;
    std::string dataHome;
    std::string cacheHome;
    std::vector<std::string> dataDirs;
    std::map<std::string, std::string, std::less<>> userDirs;
};

// The value of a variable that names a folder; unset, empty or relative
// values do not count.
std::optional<std::string> FolderVariable(const char* name)
{
    const char* value = std::getenv(name);
    std::string folder = value ? NormalizedLocation(value) : std::string();
    if (folder.empty())
        return std::nullopt;
    return folder;
}

std::string FindHome()
{
    if (std::optional<std::string> home = FolderVariable("HOME"))
        return *home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) {
        if (std::string home = NormalizedLocation(entry->pw_dir); !home.empty())
            return home;
    }
    return "/";
}

std::string Below(const std::string& folder, std::string_view rest)
{
    return NormalizedLocation(folder + "/" + std::string(rest));
}

std::vector<std::string> FindDataDirs()
{
    std::vector<std::string> dirs;
    const char* value = std::getenv("XDG_DATA_DIRS");
    std::string_view list = value ? value : "";
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        std::string dir = NormalizedLocation(list.substr(0, colon));
        if (!dir.empty() && std::find(dirs.begin(), dirs.end(), dir) == dirs.end())
            dirs.push_back(std::move(dir));
        list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
    }
    if (dirs.empty())
        dirs = {"/usr/local/share", "/usr/share"};
    return dirs;
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
    if (text.rfind("$HOME", 0) == 0 && (text.size() == 5 || text[5] == '/'))
        return Below(home, std::string_view(text).substr(5));
    std::string path = NormalizedLocation(text);
    if (path.empty())
        return std::nullopt;
    return path;
}

void ReadUserDirs(Places& places)
{
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
}

Places Load()
{
    Places places;
    places.home = FindHome();
    places.configHome = FolderVariable("XDG_CONFIG_HOME").value_or(Below(places.home, ".config"));
    places.dataHome = FolderVariable("XDG_DATA_HOME").value_or(Below(places.home, ".local/share"));
    places.cacheHome = FolderVariable("XDG_CACHE_HOME").value_or(Below(places.home, ".cache"));
    places.dataDirs = FindDataDirs();
    ReadUserDirs(places);
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

std::string NormalizedLocation(std::string_view path)
{
    if (path.empty() || path.front() != '/')
        return {};
    std::string out;
    out.reserve(path.size());
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view name = path.substr(0, slash);
        path.remove_prefix(slash == std::string_view::npos ? path.size() : slash + 1);
        if (name.empty() || name == ".")
            continue;
        out.push_back('/');
        out.append(name);
    }
    return out.empty() ? "/" : out;
}

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

std::string CacheHome()
{
    return WithPlaces([](const Places& p) { return p.cacheHome; });
}

std::vector<std::string> DataDirs()
{
    return WithPlaces([](const Places& p) { return p.dataDirs; });
}

std::string UserDirectory(std::string_view key)
{
    return WithPlaces([key](const Places& p) {
        if (auto found = p.userDirs.find(key); found != p.userDirs.end())
            return found->second;
        return key == "DESKTOP" ? Below(p.home, "Desktop") : p.home;
    });
}

namespace testing {

void ResetLocations()
{
    std::lock_guard lock(g_mutex);
    g_places.reset();
}

} // namespace testing

} // namespace win32
