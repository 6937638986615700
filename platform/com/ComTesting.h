#pragma once
// Test-only view into the COM stand-in.

namespace com::testing {

// Blocks of the task allocator (CoTaskMemAlloc, the shell allocator) not yet freed.
long long LiveTaskAllocations();

} // namespace com::testing
