#include "shell32/XdgDataDirs.h"

#include <algorithm>
#include <cstdlib>

namespace shell32::xdg {
namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

std::vector<std::string> DataDirs()
{
    std::vector<std::string> dirs;
    const std::string value = Env("XDG_DATA_DIRS");
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find(':', start);
        if (end == std::string::npos)
            end = value.size();
        std::string dir = WithoutTrailingSlashes(value.substr(start, end - start));
        if (!dir.empty() && dir[0] == '/' && std::find(dirs.begin(), dirs.end(), dir) == dirs.end())
            dirs.push_back(std::move(dir));
        start = end + 1;
    }
    if (dirs.empty())
        dirs = {"/usr/local/share", "/usr/share"};
    return dirs;
}

} // namespace shell32::xdg
