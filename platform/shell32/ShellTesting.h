#pragma once
// Test-only hooks of the shell stand-in.

#include <cstddef>

namespace shell32::testing {

// Forgets the cached places (HOME, XDG directories, user-dirs.dirs), so a
// test that changed the environment sees its own.
void ResetCachedLocations();

// How often the MIME database was asked for a type name.
std::size_t FileTypeLookUps();

} // namespace shell32::testing
