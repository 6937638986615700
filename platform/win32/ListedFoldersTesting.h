#pragma once
// Test-only control of the listed-folders registry.

#include "CorvanePlatformExport.h"
#include "win32/ListedFolders.h"

namespace win32::testing {

// Empties the registry and sets its limit (tests of the cap).
CORVANE_PLATFORM_EXPORT void ResetListedFolders(std::size_t limit = kListedFoldersLimit);

} // namespace win32::testing
