#pragma once
// Test-only control over the user's places.

#include "CorvanePlatformExport.h"

namespace win32::testing {

// Forgets the places read from the environment, so that the next question
// reads HOME, the XDG variables and user-dirs.dirs afresh.
CORVANE_PLATFORM_EXPORT void ResetLocations();

} // namespace win32::testing
