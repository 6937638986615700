#pragma once
// Test-only view into the COM stand-in.

namespace com::testing {

// Blocks of the task allocator (CoTaskMemAlloc, the shell allocator) not yet freed.
long long LiveTaskAllocations();

// Calls that handed the task allocator a pointer it does not own (a foreign
// pointer or one already freed) to free or resize. Counted, then ignored.
long long ForeignTaskFrees();

} // namespace com::testing
