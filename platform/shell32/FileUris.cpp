#include "shell32/FileUris.h"
#include "shell32/Trash.h"

#include <unistd.h>

#include <climits>

namespace shell32 {
namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

bool IsThisHost(std::string_view host)
{
    if (host.empty() || EqualNoCase(host, "localhost"))
        return true;
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return false;
    return EqualNoCase(host, name);
}

// The bytes an escaped path stands for; nothing for a broken escape, an
// escaped NUL, an escaped '/' (a slash inside a name, which no file name
// here holds: decoded, it would name another file), or a raw control
// character, '?' or '#'.
std::optional<std::string> Unescape(std::string_view escaped)
{
    for (const char c : escaped) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '?' || c == '#')
            return std::nullopt;
    }
    for (std::size_t at = escaped.find('%'); at != std::string_view::npos; at = escaped.find('%', at + 1))
        if (escaped.size() - at >= 3 && escaped[at + 1] == '2' && Lower(escaped[at + 2]) == 'f')
            return std::nullopt;
    return DecodePercentEscapes(escaped);
}

// Calls line(text) for each line of payload that is neither blank nor a
// comment; a CR before the LF is not part of the line.
template <typename Line>
void ForEachLine(std::string_view payload, Line&& line)
{
    while (!payload.empty()) {
        const std::size_t end = payload.find('\n');
        std::string_view text = payload.substr(0, end);
        payload.remove_prefix(end == std::string_view::npos ? payload.size() : end + 1);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        if (text.empty() || text.front() == '#')
            continue;
        line(text);
    }
}

std::vector<std::string> PathsOfLines(std::string_view lines)
{
    std::vector<std::string> paths;
    ForEachLine(lines, [&](std::string_view url) {
        if (std::optional<std::string> path = FileUrlPath(url))
            paths.push_back(std::move(*path));
    });
    return paths;
}

} // namespace

std::optional<std::string> FileUrlPath(std::string_view url)
{
    constexpr std::string_view kScheme = "file:";
    if (url.size() < kScheme.size() || !EqualNoCase(url.substr(0, kScheme.size()), kScheme))
        return std::nullopt;
    std::string_view rest = url.substr(kScheme.size());
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos || !IsThisHost(rest.substr(0, slash)))
            return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (rest.empty() || rest.front() != '/')
        return std::nullopt;
    return Unescape(rest);
}

std::optional<std::vector<std::string>> ParseUriList(std::string_view payload)
{
    if (payload.size() > kMaxFileListBytes)
        return std::nullopt;
    return PathsOfLines(payload);
}

std::string MakeUriList(const std::vector<std::string>& paths)
{
    std::size_t bytes = 0;
    for (const std::string& path : paths)
        bytes += FileUrlSize(path) + 2;
    std::string list(bytes, '\0');
    char* at = list.data();
    for (const std::string& path : paths) {
        at = WriteFileUrl(at, path);
        *at++ = '\r';
        *at++ = '\n';
    }
    return list;
}

std::optional<CopiedFiles> ParseCopiedFiles(std::string_view payload)
{
    if (payload.size() > kMaxFileListBytes)
        return std::nullopt;
    const std::size_t end = payload.find('\n');
    std::string_view first = payload.substr(0, end);
    if (!first.empty() && first.back() == '\r')
        first.remove_suffix(1);
    CopiedFiles files;
    if (first == "cut")
        files.Cut = true;
    else if (first != "copy")
        return std::nullopt;
    if (end != std::string_view::npos)
        files.Paths = PathsOfLines(payload.substr(end + 1));
    return files;
}

std::string MakeCopiedFiles(const CopiedFiles& files)
{
    std::string payload = files.Cut ? "cut" : "copy";
    for (const std::string& path : files.Paths) {
        payload += '\n';
        AppendFileUrl(payload, path);
    }
    return payload;
}

} // namespace shell32
