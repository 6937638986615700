#pragma once
// Shortcuts on Linux: a symbolic link, or a freedesktop desktop entry of type
// Link or Application, whatever its file name ends with. This is the one
// shortcut predicate of the shell stand-in.
//
// A shortcut written here is a desktop entry:
//
//   [Desktop Entry]
//   Version=1.0
//   Type=Link                    a document, a folder or a URL: URL=file:///...
//   Type=Application             a program, or a target with arguments:
//                                Exec=<target> <arguments>, each quoted by the
//                                desktop entry's Exec rules ('%' written "%%")
//   Name=<the shortcut's file name without ".desktop">
//   Comment=<description>        Icon=<icon location>
//   Path=<working directory>     of a program; a link, for which the format
//                                has no such key, keeps it in
//                                X-Corvane-WorkingDirectory=
//   X-Corvane-Arguments=         the arguments as given (Exec holds them split)
//   X-Corvane-IconIndex=  X-Corvane-ShowCmd=  X-Corvane-HotKey=
//   X-Corvane-RelativePath=      the target relative to the shortcut's folder
//
// Each optional key is written only when it differs from its default, so a
// shortcut of a target alone holds only that target. Entries written by other
// programs are read too: field codes (%f, %U, ...) are dropped from Exec and
// its words after the program become the arguments.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shell32 {

// The show command of a window shown normally (the platform's SW_SHOWNORMAL).
inline constexpr int kShowNormal = 1;

struct CORVANE_PLATFORM_EXPORT ShortcutData {
    // An absolute path, or a URL that names no local file; empty for none.
    std::string target;
    std::string arguments; // a command line: blanks separate, double quotes group
    std::string description;
    std::string iconLocation;
    int iconIndex = 0;
    std::string workingDirectory;
    int showCmd = kShowNormal;
    WORD hotKey = 0;
    std::string relativeTarget; // the target from the shortcut's folder; empty for none

    friend bool operator==(const ShortcutData&, const ShortcutData&) = default;
};

enum class EntryKind { Link, Application };

// Whether text is a URL (a scheme, then "://"), which a path never is.
CORVANE_PLATFORM_EXPORT bool IsUrl(std::string_view text);

// The shortcut a desktop entry describes; nothing when the text is no desktop
// entry, is of another type, or lacks its target.
CORVANE_PLATFORM_EXPORT std::optional<ShortcutData> ParseDesktopEntry(std::string_view text);

// The text of a desktop entry of that kind, named name. Fails with
// E_INVALIDARG for what the kind cannot hold (no target; a URL as a program;
// arguments of a link),
// and HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION) for text that is not
// UTF-8 where the format wants it (a file URL carries any path bytes).
CORVANE_PLATFORM_EXPORT HRESULT FormatDesktopEntry(const ShortcutData& data, EntryKind kind,
                                                   std::string_view name, std::string& text);

// One argument of an Exec line, quoted when it must be, '%' doubled.
CORVANE_PLATFORM_EXPORT std::string QuoteExecArgument(std::string_view argument);
// The arguments of an Exec line with quoting undone (field codes and "%%"
// are left to the caller); nothing for an unterminated quote.
CORVANE_PLATFORM_EXPORT std::optional<std::vector<std::string>> SplitExecLine(std::string_view exec);

// Command-line arguments: blanks and tabs separate, double quotes group (and
// are removed); "" is an empty argument.
CORVANE_PLATFORM_EXPORT std::vector<std::string> SplitArguments(std::string_view arguments);
// The reverse: arguments that are empty or hold blanks are put in quotes.
CORVANE_PLATFORM_EXPORT std::string JoinArguments(const std::vector<std::string>& arguments);

// Reads the shortcut at path: a symbolic link gives its target (made absolute
// against the link's folder, "." and ".." taken away by name: see
// NormalizePath); a file gives what its desktop entry says. The
// HRESULT of the file-system error, or E_FAIL for a file that is no shortcut.
CORVANE_PLATFORM_EXPORT HRESULT ReadShortcut(const std::string& path, ShortcutData& data);

// The suffix a desktop entry's file name must end with (so the shortcut
// predicate opens no other file), and that a shortcut's name is given where
// one is made.
inline constexpr std::string_view kDesktopEntrySuffix = ".desktop";
// Whether the last component of name ends with the suffix after at least
// one other byte.
CORVANE_PLATFORM_EXPORT bool HasDesktopEntrySuffix(std::string_view name);

// The shortcut predicate: a symbolic link, or a regular file named with the
// shortcut suffix, of at most 1 MiB, that holds a desktop entry of a
// shortcut. No other file is opened to find out.
CORVANE_PLATFORM_EXPORT bool IsShortcut(const std::string& path);
// The same for name below the directory dirFd (AT_FDCWD: name is a path).
// The name's last component is never followed when it is a link, and a FIFO
// or device in its place is never read, so nothing blocks.
CORVANE_PLATFORM_EXPORT bool IsShortcut(int dirFd, const std::string& name);

} // namespace shell32
