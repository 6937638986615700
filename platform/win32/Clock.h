#pragma once
// The millisecond tick count. Code that times itself by the clock (the
// controls' auto-scroll during a drag) reads it through GetTickCount, whose
// source is one replaceable clock, so a test sets the time it means instead
// of waiting for it.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

// Milliseconds since the system started, wrapping to 0 after 2^32 (about 49.7
// days): compare differences, unsigned, never two readings.
CORVANE_PLATFORM_EXPORT DWORD GetTickCount();

namespace win32 {

// Answers the tick count; called from any thread.
using TickClock = DWORD (*)();
// Replaces the clock (nullptr: the system's monotonic clock); returns the one
// it replaces (nullptr when that was the system's).
CORVANE_PLATFORM_EXPORT TickClock SetTickClock(TickClock clock);

} // namespace win32
