#pragma once
// The shell's "properties" of items: a modeless window of their name, type,
// location, size and date (for several items: how many, and their total
// size). It deletes itself when closed.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace shell32 {

struct CORVANE_PLATFORM_EXPORT ItemProperties {
    std::string Name;     // display text: the item's name, or "3 items"
    std::string Type;     // the type's name; "Multiple types" when they differ
    std::string Location; // the folder holding the items; "Various folders"
    std::uint64_t Size = 0;
    std::string Modified; // of one item; empty for several
    std::size_t Files = 0;
    std::size_t Folders = 0; // counted below the items too
};

// What the window shows for the paths (folders are summed through, links
// are not followed).
CORVANE_PLATFORM_EXPORT ItemProperties ReadItemProperties(const std::vector<std::string>& paths);

// Shows the window and returns it (the caller does not own it); null when no
// path can be read.
CORVANE_PLATFORM_EXPORT QWidget* ShowPropertiesDialog(HWND owner, const std::vector<std::string>& paths);

} // namespace shell32
