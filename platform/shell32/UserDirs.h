#pragma once
// The user's places as the shell names them: the kernel layer's one
// locations service (win32/Locations.h), and the trash below the data home.

#include "CorvanePlatformExport.h"
#include "win32/Locations.h"

#include <string>

namespace shell32 {

using win32::ConfigHome;
using win32::DataHome;
using win32::HomeDirectory;
using win32::UserDirectory;

// The trash of the user: $XDG_DATA_HOME/Trash.
CORVANE_PLATFORM_EXPORT std::string TrashDirectory();

} // namespace shell32
