#include "shell32/FileUrls.h"

namespace shell32 {
namespace {

bool KeptAsIs(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

} // namespace

std::string FileUrlFromPath(std::string_view path)
{
    return "file://" + EscapedPath(path);
}

std::string EscapedPath(std::string_view path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url;
    url.reserve(path.size() * 3);
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (KeptAsIs(c)) {
            url += ch;
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    return url;
}

} // namespace shell32
