// The tick count from the monotonic clock, or from the clock put in its place.

#include "win32/Clock.h"

#include <atomic>
#include <ctime>

namespace win32 {

namespace {

std::atomic<TickClock> g_clock{nullptr};

DWORD SystemTicks()
{
    timespec now{};
    // The monotonic clock does not jump with the wall clock; boot time also
    // counts the time the machine slept, as the platform's tick count does.
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<unsigned long long>(now.tv_sec) * 1000ULL +
                    static_cast<unsigned long long>(now.tv_nsec) / 1000000ULL;
    return static_cast<DWORD>(ms);
}

} // namespace

TickClock SetTickClock(TickClock clock)
{
    return g_clock.exchange(clock);
}

} // namespace win32

DWORD GetTickCount()
{
    const win32::TickClock clock = win32::g_clock.load();
    return clock ? clock() : win32::SystemTicks();
}
