#pragma once
// How an item of the namespace looks: its icon (and its open icon, for
// folders that have one) and its type name, as the file-information call and
// the system image lists give them.
//
// File types come from the MIME database by file name only (never by
// content: items are looked at while folders are listed); the icon is the
// type's icon name, else its generic icon name, else a built-in picture of
// its kind. Drives look like their kind, the virtual folders like what they
// are, the trash full or empty as it is now.

#include "CorvanePlatformExport.h"
#include "shell32/IconTheme.h"
#include "shell32/ItemIdList.h"

#include <string>
#include <string_view>
#include <vector>

namespace shell32 {

struct CORVANE_PLATFORM_EXPORT ItemLook {
    IconRequest icon;
    IconRequest openIcon; // the same as icon for items that do not open
    std::string typeName;
};

// An item by its absolute list's items (none: the desktop).
CORVANE_PLATFORM_EXPORT ItemLook LookOfItem(const std::vector<ItemView>& items);

// A file or folder by its name alone.
CORVANE_PLATFORM_EXPORT ItemLook LookOfName(std::string_view name, bool isFolder);

} // namespace shell32
