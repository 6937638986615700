#pragma once
// Test-only view into the COM stand-in.

#include "CorvanePlatformExport.h"
#include <cstddef>

namespace com::testing {

// Asked before each task allocation (CoTaskMemAlloc, CoTaskMemRealloc, the
// allocator object's Alloc and Realloc), on whatever thread makes it: false
// fails that allocation as an exhausted heap would. Null removes the hook.
using TaskAllocationHook = bool (*)(std::size_t size);
CORVANE_PLATFORM_EXPORT void SetTaskAllocationHook(TaskAllocationHook hook);

// Blocks of the task allocator (CoTaskMemAlloc, the shell allocator) not yet freed.
CORVANE_PLATFORM_EXPORT long long LiveTaskAllocations();

// Calls that handed the task allocator a pointer it does not own (a foreign
// pointer or one already freed) to free or resize. Counted, then ignored.
CORVANE_PLATFORM_EXPORT long long ForeignTaskFrees();

} // namespace com::testing
