#pragma once
// Test-only control over the user's places.

namespace win32::testing {

// Forgets the places read from the environment, so that the next question
// reads HOME, the XDG variables and user-dirs.dirs afresh.
void ResetLocations();

} // namespace win32::testing
