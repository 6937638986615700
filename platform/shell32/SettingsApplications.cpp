#include "shell32/SettingsApplications.h"

#include "shell32/DesktopEntry.h"
#include "shell32/UserDirs.h"

#include <glib.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace shell32 {
namespace {

constexpr const char* kGroup = "Desktop Entry";
// Desktop entries are small; a huge one is not read.
constexpr off_t kMaxEntryBytes = 1024 * 1024;
// Folders below applications/ are followed this deep, no further.
constexpr int kMaxDepth = 8;

struct KeyFileDeleter {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
struct GFreeDeleter {
    void operator()(gchar* text) const { g_free(text); }
};
struct StrvDeleter {
    void operator()(gchar** list) const { g_strfreev(list); }
};

std::string String(GKeyFile* file, const char* key, bool localized)
{
    std::unique_ptr<gchar, GFreeDeleter> value(
        localized ? g_key_file_get_locale_string(file, kGroup, key, nullptr, nullptr)
                  : g_key_file_get_string(file, kGroup, key, nullptr));
    return value ? std::string(value.get()) : std::string();
}

bool Boolean(GKeyFile* file, const char* key)
{
    return g_key_file_get_boolean(file, kGroup, key, nullptr) != FALSE;
}

std::vector<std::string> List(GKeyFile* file, const char* key)
{
    std::vector<std::string> result;
    std::unique_ptr<gchar*, StrvDeleter> values(
        g_key_file_get_string_list(file, kGroup, key, nullptr, nullptr));
    for (gchar** v = values.get(); v && *v; ++v) {
        if (**v)
            result.emplace_back(*v);
    }
    return result;
}

std::vector<std::string> CurrentDesktops()
{
    std::vector<std::string> desktops;
    const char* value = std::getenv("XDG_CURRENT_DESKTOP");
    std::string_view rest = value ? value : "";
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        if (colon != 0)
            desktops.emplace_back(rest.substr(0, colon));
        if (colon == std::string_view::npos)
            break;
        rest.remove_prefix(colon + 1);
    }
    return desktops;
}

bool Intersects(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    return std::any_of(a.begin(), a.end(),
                       [&](const std::string& x) { return std::find(b.begin(), b.end(), x) != b.end(); });
}

bool IsInstalled(const std::string& program)
{
    std::unique_ptr<gchar, GFreeDeleter> found(g_find_program_in_path(program.c_str()));
    return found != nullptr;
}

// Hidden entries still claim their id (they hide lower folders' entries), so
// the walk records every id it meets, readable or not.
void Scan(const std::string& dir, const std::string& idPrefix, int depth,
          std::map<std::string, std::string>& pathById)
{
    DIR* handle = ::opendir(dir.c_str());
    if (!handle)
        return;
    std::vector<std::pair<std::string, bool>> children;
    while (const dirent* e = ::readdir(handle)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st;
        if (::stat((dir + "/" + name).c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            children.emplace_back(name, true);
        else if (S_ISREG(st.st_mode) && HasDesktopEntrySuffix(name))
            children.emplace_back(name, false);
    }
    ::closedir(handle);
    for (const auto& [name, isDir] : children) {
        if (isDir) {
            if (depth < kMaxDepth)
                Scan(dir + "/" + name, idPrefix + name + "-", depth + 1, pathById);
        } else {
            pathById.emplace(idPrefix + name, dir + "/" + name);
        }
    }
}

} // namespace

bool ReadSettingsApplication(const std::string& path, std::string_view id, SettingsApplication& application)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxEntryBytes)
        return false;
    std::unique_ptr<GKeyFile, KeyFileDeleter> file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr) ||
        !g_key_file_has_group(file.get(), kGroup))
        return false;
    if (String(file.get(), "Type", false) != "Application" || Boolean(file.get(), "NoDisplay") ||
        Boolean(file.get(), "Hidden"))
        return false;
    const std::vector<std::string> categories = List(file.get(), "Categories");
    if (std::find(categories.begin(), categories.end(), "Settings") == categories.end())
        return false;
    const std::vector<std::string> desktops = CurrentDesktops();
    const std::vector<std::string> onlyShowIn = List(file.get(), "OnlyShowIn");
    if (!onlyShowIn.empty() && !Intersects(onlyShowIn, desktops))
        return false;
    if (Intersects(List(file.get(), "NotShowIn"), desktops))
        return false;
    const std::string tryExec = String(file.get(), "TryExec", false);
    if (!tryExec.empty() && !IsInstalled(tryExec))
        return false;
    const std::string name = String(file.get(), "Name", true);
    if (name.empty())
        return false;

    application.Id = std::string(id);
    application.Path = path;
    application.Name = name;
    application.Comment = String(file.get(), "Comment", true);
    application.Icon = String(file.get(), "Icon", false);
    return true;
}

std::vector<SettingsApplication> ListSettingsApplications()
{
    std::vector<std::string> roots;
    if (const std::string home = DataHome(); !home.empty())
        roots.push_back(home);
    for (const std::string& dir : win32::DataDirs())
        roots.push_back(dir);

    // Lower folders do not replace what a higher one has under the same id.
    std::map<std::string, std::string> pathById;
    for (const std::string& root : roots)
        Scan(root + "/applications", "", 0, pathById);

    std::vector<SettingsApplication> applications;
    for (const auto& [id, path] : pathById) {
        SettingsApplication application;
        if (ReadSettingsApplication(path, id, application))
            applications.push_back(std::move(application));
    }
    return applications;
}

} // namespace shell32
