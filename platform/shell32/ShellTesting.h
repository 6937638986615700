#pragma once
// Test-only hooks of the shell stand-in.

namespace shell32::testing {

// Forgets the cached places (HOME, XDG directories, user-dirs.dirs), so a
// test that changed the environment sees its own.
void ResetCachedLocations();

} // namespace shell32::testing
