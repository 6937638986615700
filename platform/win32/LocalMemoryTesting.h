#pragma once
// Test-only view into the local heap.

#include "CorvanePlatformExport.h"
#include <cstddef>

namespace win32::testing {

// Blocks from LocalAlloc not yet given back with LocalFree.
CORVANE_PLATFORM_EXPORT std::size_t LiveLocalAllocations();

} // namespace win32::testing
