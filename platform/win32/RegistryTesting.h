#pragma once
// Test-only control over the registry stand-in.

#include "CorvanePlatformExport.h"
#include <cstddef>

namespace win32::testing {

// Forgets the loaded store, the classes keys made from the MIME database and
// the user's places (win32/LocationsTesting.h), so the next call reads the
// environment, the store file and the MIME database afresh (after a test
// pointed XDG_CONFIG_HOME or XDG_DATA_DIRS elsewhere).
CORVANE_PLATFORM_EXPORT void ResetRegistry();

// Keys open in the handle table (predefined roots not counted).
CORVANE_PLATFORM_EXPORT std::size_t OpenRegistryKeys();

// How often the store file has been parsed since the process started.
CORVANE_PLATFORM_EXPORT std::size_t RegistryStoreParses();

} // namespace win32::testing
