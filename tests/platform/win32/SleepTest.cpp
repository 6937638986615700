// Sleep suspends the thread for at least the time asked for.

#include "win32/KernelObjects.h"
#include "win32/Threads.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

TEST(Sleep, LastsAtLeastTheTimeAskedFor)
{
    using Clock = std::chrono::steady_clock;
    for (const DWORD milliseconds : {0u, 1u, 25u}) {
        const Clock::time_point start = Clock::now();
        Sleep(milliseconds);
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(milliseconds)) << milliseconds;
    }
}

} // namespace
