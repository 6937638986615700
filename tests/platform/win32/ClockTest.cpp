// GetTickCount reads the system's clock unless another is put in its place.

#include "win32/Clock.h"
#include "win32/Threads.h"

#include <gtest/gtest.h>

namespace {

DWORD g_fixed = 0;
DWORD FixedClock()
{
    return g_fixed;
}

TEST(TickCount, AReplacedClockAnswersUntilTheSystemsIsPutBack)
{
    for (const DWORD at : {0u, 150u, 0xFFFFFFF0u}) {
        g_fixed = at;
        EXPECT_EQ(win32::SetTickClock(&FixedClock), nullptr);
        EXPECT_EQ(GetTickCount(), at);
        EXPECT_EQ(win32::SetTickClock(nullptr), &FixedClock);
    }
    // The system's clock counts on from the machine's start, never from the
    // replaced clock's readings.
    const DWORD before = GetTickCount();
    Sleep(20);
    const DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 60u * 1000u);
}

} // namespace
