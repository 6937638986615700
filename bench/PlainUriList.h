#pragma once
// The plain code that reads a text/uri-list: the floor the benchmarks of
// other programs' file lists measure against.

#include <string>
#include <string_view>
#include <vector>

namespace kwbench {

inline int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The floor: each line's path after "file://", unescaped, nothing checked.
inline std::vector<std::string> PlainPaths(std::string_view list)
{
    std::vector<std::string> paths;
    std::size_t at = 0;
    while (at < list.size()) {
        std::size_t end = list.find('\n', at);
        if (end == std::string_view::npos)
            end = list.size();
        std::string_view line = list.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.substr(0, 7) != "file://")
            continue;
        line.remove_prefix(7);
        std::string path;
        path.reserve(line.size());
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '%' && i + 2 < line.size() && HexValue(line[i + 1]) >= 0 &&
                HexValue(line[i + 2]) >= 0) {
                path.push_back(static_cast<char>(HexValue(line[i + 1]) * 16 + HexValue(line[i + 2])));
                i += 2;
            } else {
                path.push_back(line[i]);
            }
        }
        paths.push_back(std::move(path));
    }
    return paths;
}

} // namespace kwbench
