#pragma once
// Test-only probes of the window manager and its router.

#include <cstddef>

namespace win32::testing {

// Posted messages thrown away because their window was destroyed first.
std::size_t DiscardedMessages();
// Posted messages not delivered yet.
std::size_t QueuedMessages();
std::size_t LiveTimers();

} // namespace win32::testing
