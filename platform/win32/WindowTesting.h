#pragma once
// Test-only probes of the window manager and its router.

#include "CorvanePlatformExport.h"
#include <cstddef>

namespace win32::testing {

// Posted messages thrown away because their window was destroyed first.
CORVANE_PLATFORM_EXPORT std::size_t DiscardedMessages();
// Posted messages not delivered yet.
CORVANE_PLATFORM_EXPORT std::size_t QueuedMessages();
CORVANE_PLATFORM_EXPORT std::size_t LiveTimers();

} // namespace win32::testing
