#pragma once
// Shell utilities: item id lists and the shell allocator, folder, path,
// display-name, icon and image-list helpers, the version tests, item id list
// containers, the device-change broadcaster, shortcuts, and string helpers
// that respect double-byte character sets.
//
// The unit spans several source files, one concern each
// (UKwShellUtils_<Concern>.cpp).

#include "UKwShell95.h"

#include <string>

namespace kw {

// ---- Item id lists and the shell allocator ----

// ---- Folder, path, display-name and special-folder helpers ----

// ---- Icons and system image lists ----

// ---- Operating-system and common-controls versions ----

// ---- Item id list containers ----

// ---- Device-change broadcaster ----

// ---- Shortcuts ----

// ---- Positional formatting and double-byte string helpers ----

// ---- Unit start-up ----

} // namespace kw
