#pragma once
// Where the user's things are: the one place every layer asks.
//
// HOME (else the password database's home, else "/"), the freedesktop base
// directories ($XDG_CONFIG_HOME, else ~/.config; $XDG_DATA_HOME, else
// ~/.local/share; $XDG_CACHE_HOME, else ~/.cache; $XDG_DATA_DIRS, else
// /usr/local/share and /usr/share) and the user directories of
// $XDG_CONFIG_HOME/user-dirs.dirs ("$HOME/..." or absolute, quoted). A
// variable that is unset, empty or relative is not used, as the
// specification says. Every path is given the same way: absolute, with no
// empty or "." components and no trailing '/' ("/" itself stays).
//
// The environment is read once, on first use, and kept: a process sees one
// set of places for its life, so the registry store and the special folders
// never disagree. Tests that change the environment forget the places
// (win32/LocationsTesting.h).

#include "CorvanePlatformExport.h"
#include <string>
#include <string_view>
#include <vector>

namespace win32 {

CORVANE_PLATFORM_EXPORT std::string HomeDirectory();
CORVANE_PLATFORM_EXPORT std::string ConfigHome();
CORVANE_PLATFORM_EXPORT std::string DataHome();
CORVANE_PLATFORM_EXPORT std::string CacheHome();
// The system's data directories in order, duplicates dropped.
CORVANE_PLATFORM_EXPORT std::vector<std::string> DataDirs();
// A user directory by its key ("DESKTOP", "DOCUMENTS", "TEMPLATES", ...):
// its value in user-dirs.dirs; else HOME/Desktop for the desktop and HOME
// for the others.
CORVANE_PLATFORM_EXPORT std::string UserDirectory(std::string_view key);

// path written the way the places are (see above); nothing for a path that
// is empty or relative.
CORVANE_PLATFORM_EXPORT std::string NormalizedLocation(std::string_view path);

} // namespace win32
