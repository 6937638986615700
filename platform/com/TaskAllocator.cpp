#include "com/ComTesting.h"

// Placeholder until the task allocator lands.
namespace com::testing {
long long LiveTaskAllocations()
{
    return 0;
}
} // namespace com::testing
