#pragma once
// Opening an item or a web page: the shell's "open" as the desktop does it.
// The library opens every path and URL through one replaceable hook (a test
// records what would have been opened; a host may show its own chooser).
// The default hook hands the target to the desktop's own choice of
// application (the same one `xdg-mime query default` names) and never runs
// the target itself:
//
//   a folder                      the default application of inode/directory
//   a file                        the default application of its content type
//   a desktop entry, Application  launched, only when the file is executable
//   a desktop entry, Link         its target, opened as above
//   http, https and mailto URLs   the default handler of the scheme
//
// An executable file of a type that can be run (a program, a script) is
// refused rather than handed to anything. Failures set the last error:
// ERROR_FILE_NOT_FOUND (or another file-system code) for a missing target,
// ERROR_NO_ASSOCIATION when no application takes it, ERROR_ACCESS_DENIED for
// a target that is refused.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <string>
#include <vector>

namespace shell32 {

struct OpenRequest {
    HWND owner = nullptr;
    std::string target;      // an absolute path or a URL
    std::string application; // an application's id ("Open with"); empty for the default
    // The files an Application desktop entry (the target) is launched with,
    // as a drop on it gives them; its Exec line's field codes take them.
    std::vector<std::string> files;
};

// TRUE once the target is handed over; FALSE with the last error set.
using OpenHook = BOOL (*)(const OpenRequest& request);

// Replaces the hook and returns the one it replaces; null puts the default
// back. May be called from any thread.
CORVANE_PLATFORM_EXPORT OpenHook SetOpenHook(OpenHook hook);

// Opens target with its default application, or with the application of that
// id, through the hook.
CORVANE_PLATFORM_EXPORT BOOL OpenItem(HWND owner, const std::string& target);
CORVANE_PLATFORM_EXPORT BOOL OpenItemWith(HWND owner, const std::string& applicationId,
                                          const std::string& target);

// Launches the Application desktop entry at entryPath (only when the file
// may be run) with files, through the hook.
CORVANE_PLATFORM_EXPORT BOOL LaunchEntryWith(HWND owner, const std::string& entryPath,
                                             const std::vector<std::string>& files);

// Whether path is an Application desktop entry that may be run (the only
// kind LaunchEntryWith launches).
CORVANE_PLATFORM_EXPORT bool IsLaunchableEntry(const std::string& path);

// The default hook, for a hook that only looks before it lets things through.
CORVANE_PLATFORM_EXPORT BOOL OpenWithDesktop(const OpenRequest& request);

struct OpenApplication {
    std::string id;   // the desktop entry's id ("org.example.Editor.desktop")
    std::string name; // the name to show

    friend bool operator==(const OpenApplication&, const OpenApplication&) = default;
};

// The id of the application the default hook would open target with; empty
// with the last error set when there is none or the target is refused.
CORVANE_PLATFORM_EXPORT std::string DefaultApplicationFor(const std::string& target);

// The applications that take the file's content type, its default first: what
// "Open with" offers. Empty, with the last error set, for a missing file or
// one without any.
CORVANE_PLATFORM_EXPORT std::vector<OpenApplication> ApplicationsFor(const std::string& path);

} // namespace shell32
