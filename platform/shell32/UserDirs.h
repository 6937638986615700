#pragma once
// Where the user's places are: HOME, the XDG base directories and the user
// directories of user-dirs.dirs ($XDG_CONFIG_HOME/user-dirs.dirs, values
// "$HOME/..." or absolute, quoted). Read once and cached; tests point HOME and
// the XDG variables elsewhere and reset the cache (ShellTesting.h).

#include <string>
#include <string_view>

namespace shell32 {

std::string HomeDirectory();
std::string ConfigHome(); // $XDG_CONFIG_HOME, else $HOME/.config
std::string DataHome();   // $XDG_DATA_HOME, else $HOME/.local/share
// A user directory by its key ("DESKTOP", "DOCUMENTS", "TEMPLATES", ...):
// its value in user-dirs.dirs; else $HOME/Desktop for the desktop and HOME
// for the others.
std::string UserDirectory(std::string_view key);
// The trash of the user: $XDG_DATA_HOME/Trash.
std::string TrashDirectory();

} // namespace shell32
