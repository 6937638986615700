#pragma once
// Test-only view into the global heap.

#include "CorvanePlatformExport.h"
#include <cstddef>

namespace win32::testing {

// Blocks from GlobalAlloc not yet given back with GlobalFree.
CORVANE_PLATFORM_EXPORT std::size_t LiveGlobalAllocations();

// Makes one allocation of the global heap (GlobalAlloc, or GlobalReAlloc
// where it needs new memory) fail as an exhausted heap would: the one after
// the next `succeeding` allocations, on whatever thread. Once it has failed
// the heap behaves again; a new call replaces a pending one.
CORVANE_PLATFORM_EXPORT void FailGlobalAllocation(std::size_t succeeding = 0);
// Withdraws a pending failure; true when one was still pending.
CORVANE_PLATFORM_EXPORT bool CancelGlobalAllocationFailure();

} // namespace win32::testing
