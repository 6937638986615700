#pragma once
// file: URLs of local paths, as the desktop's file managers exchange them.

#include "CorvanePlatformExport.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace shell32 {

// "file://" and the path with every byte escaped ("%2F" style, upper case)
// but the unreserved characters and "/": any path bytes, a newline or
// bytes that are not UTF-8 among them, come back from the URL as they were.
// The path is taken as it is (callers give absolute ones).
CORVANE_PLATFORM_EXPORT std::string FileUrlFromPath(std::string_view path);
// The path escaped as in FileUrlFromPath, without "file://".
CORVANE_PLATFORM_EXPORT std::string EscapedPath(std::string_view path);
// FileUrlFromPath(path) added to the end of text: long lists of URLs are
// written in one string, not one string a URL.
CORVANE_PLATFORM_EXPORT void AppendFileUrl(std::string& text, std::string_view path);
// How many bytes FileUrlFromPath(path) has, and the URL written at out
// (that many bytes; the end is returned): a long list of URLs is sized once
// and written in place.
CORVANE_PLATFORM_EXPORT std::size_t FileUrlSize(std::string_view path);
CORVANE_PLATFORM_EXPORT char* WriteFileUrl(char* out, std::string_view path);

} // namespace shell32
