#pragma once
// The items of the Control Panel: the installed settings applications, that
// is the desktop entries of type Application whose categories include
// Settings, found in the applications/ folders of $XDG_DATA_HOME and then
// $XDG_DATA_DIRS. An entry's id is its path below applications/ with '/'
// made '-'; the first folder that has an id decides, so a user's copy
// marked Hidden removes the system's entry.
//
// Left out: NoDisplay or Hidden entries, entries not meant for the current
// desktop (OnlyShowIn, NotShowIn against $XDG_CURRENT_DESKTOP), and entries
// whose TryExec program is not installed.

#include "CorvanePlatformExport.h"
#include <string>
#include <string_view>
#include <vector>

namespace shell32 {

struct CORVANE_PLATFORM_EXPORT SettingsApplication {
    std::string Id;   // "gnome-display-panel.desktop"
    std::string Path; // the desktop entry file
    std::string Name; // localized for the current locale
    std::string Comment;
    std::string Icon;
};

// Sorted by id; parse failures leave the entry out.
CORVANE_PLATFORM_EXPORT std::vector<SettingsApplication> ListSettingsApplications();

// One desktop entry file read as a settings application; false when it is not one.
CORVANE_PLATFORM_EXPORT bool ReadSettingsApplication(const std::string& path, std::string_view id,
                                                     SettingsApplication& application);

} // namespace shell32
