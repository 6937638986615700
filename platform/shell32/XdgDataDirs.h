#pragma once
// The freedesktop system data directories, read from the environment on
// every call (tests point them into a temporary folder). The user's own
// data directory is shell32::DataHome (shell32/UserDirs.h).

#include <string>
#include <vector>

namespace shell32::xdg {

// $XDG_DATA_DIRS (its absolute entries, in order, duplicates dropped), else
// /usr/local/share and /usr/share.
std::vector<std::string> DataDirs();

} // namespace shell32::xdg
