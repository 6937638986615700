#pragma once
// The desktop's file lists on the clipboard and in drops: `text/uri-list`
// (RFC 2483) and `x-special/gnome-copied-files` (a first line "cut" or "copy",
// then the same URLs), which GNOME and KDE file managers write and read.
//
// These payloads come from other programs, so reading them trusts nothing.
// Only `file:` URLs of this host name files here (no host, "localhost", or
// this machine's name, in any case); their escapes are decoded to the raw
// bytes of the path, so every file name survives whatever its encoding. A URL
// of another host or scheme, with a broken escape, an escaped NUL or '/', a
// control character, a query or fragment, or a path that is not absolute
// names no file here and is left out. A payload over kMaxFileListBytes is refused.

#include "CorvanePlatformExport.h"
#include "shell32/FileUrls.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shell32 {

inline constexpr std::size_t kMaxFileListBytes = std::size_t{64} << 20;

// The path bytes of one `file:` URL of this host, or nothing.
CORVANE_PLATFORM_EXPORT std::optional<std::string> FileUrlPath(std::string_view url);

// The paths of a URI list, in order. Lines end with CR LF or LF (the last
// may have none); blank lines and lines starting with '#' are skipped.
// Nothing when the payload is over kMaxFileListBytes.
CORVANE_PLATFORM_EXPORT std::optional<std::vector<std::string>> ParseUriList(std::string_view payload);
// A URI list of the paths' URLs, each line ended with CR LF.
CORVANE_PLATFORM_EXPORT std::string MakeUriList(const std::vector<std::string>& paths);

struct CORVANE_PLATFORM_EXPORT CopiedFiles {
    bool Cut = false;
    std::vector<std::string> Paths;
};

// A copied-files payload: nothing when it is over kMaxFileListBytes or its
// first line is not exactly "cut" or "copy"; the lines after it are read as
// a URI list's.
CORVANE_PLATFORM_EXPORT std::optional<CopiedFiles> ParseCopiedFiles(std::string_view payload);
// "cut" or "copy", then one URL per line, lines separated by LF (the form
// the file managers write: no line end after the last).
CORVANE_PLATFORM_EXPORT std::string MakeCopiedFiles(const CopiedFiles& files);

} // namespace shell32
