#pragma once
// Test-only view into the COM stand-in.

#include <cstddef>

namespace com::testing {

// Asked before each task allocation (CoTaskMemAlloc, CoTaskMemRealloc, the
// allocator object's Alloc and Realloc), on whatever thread makes it: false
// fails that allocation as an exhausted heap would. Null removes the hook.
using TaskAllocationHook = bool (*)(std::size_t size);
void SetTaskAllocationHook(TaskAllocationHook hook);

// Blocks of the task allocator (CoTaskMemAlloc, the shell allocator) not yet freed.
long long LiveTaskAllocations();

// Calls that handed the task allocator a pointer it does not own (a foreign
// pointer or one already freed) to free or resize. Counted, then ignored.
long long ForeignTaskFrees();

} // namespace com::testing
