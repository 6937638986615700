#include "shell32/FileUrls.h"

namespace shell32 {
namespace {

bool KeptAsIs(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

void AppendEscaped(std::string& text, std::string_view path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (KeptAsIs(c)) {
            text += ch;
        } else {
            const char escaped[] = {'%', kHex[c >> 4], kHex[c & 15]};
            text.append(escaped, 3);
        }
    }
}

} // namespace

std::string FileUrlFromPath(std::string_view path)
{
    std::string url;
    AppendFileUrl(url, path);
    return url;
}

std::string EscapedPath(std::string_view path)
{
    std::string url;
    url.reserve(path.size() * 3);
    AppendEscaped(url, path);
    return url;
}

void AppendFileUrl(std::string& text, std::string_view path)
{
    // Most path bytes are kept as they are: room for those, the rest grows.
    text.reserve(text.size() + 7 + path.size());
    text += "file://";
    AppendEscaped(text, path);
}

} // namespace shell32
