#pragma once
// Test-only control over the registry stand-in.

#include <cstddef>

namespace win32::testing {

// Forgets the loaded store and the classes keys made from the MIME database,
// so the next call reads the store file and the MIME database afresh (after a
// test pointed XDG_CONFIG_HOME or XDG_DATA_DIRS elsewhere).
void ResetRegistry();

// Keys open in the handle table (predefined roots not counted).
std::size_t OpenRegistryKeys();

// How often the store file has been parsed since the process started.
std::size_t RegistryStoreParses();

} // namespace win32::testing
