#include "shell32/FileUrls.h"

#include <algorithm>

namespace shell32 {
namespace {

bool KeptAsIs(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

constexpr std::string_view kScheme = "file://";

char* WriteEscaped(char* out, std::string_view path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (KeptAsIs(c)) {
            *out++ = ch;
        } else {
            *out++ = '%';
            *out++ = kHex[c >> 4];
            *out++ = kHex[c & 15];
        }
    }
    return out;
}

std::size_t EscapedSize(std::string_view path)
{
    std::size_t size = 0;
    for (const char ch : path)
        size += KeptAsIs(static_cast<unsigned char>(ch)) ? 1 : 3;
    return size;
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
    std::string url(EscapedSize(path), '\0');
    WriteEscaped(url.data(), path);
    return url;
}

void AppendFileUrl(std::string& text, std::string_view path)
{
    const std::size_t at = text.size();
    text.resize(at + FileUrlSize(path));
    WriteFileUrl(text.data() + at, path);
}

std::size_t FileUrlSize(std::string_view path)
{
    return kScheme.size() + EscapedSize(path);
}

char* WriteFileUrl(char* out, std::string_view path)
{
    out = std::copy(kScheme.begin(), kScheme.end(), out);
    return WriteEscaped(out, path);
}

} // namespace shell32
