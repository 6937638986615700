#pragma once
// Test-only control of the change-notification reader.

#include "CorvanePlatformExport.h"
#include "win32/ChangeNotifications.h"

namespace win32::testing {

// While paused the reader leaves the kernel's queue alone (so that it can
// overflow).
CORVANE_PLATFORM_EXPORT void PauseChangeReader(bool paused);
// Returns once every event the kernel had queued when it was called has
// been handed to the handles (nothing while paused), and the kernel's
// watches that no handle wants any more are removed.
CORVANE_PLATFORM_EXPORT void DrainChangeEvents();
// The process's inotify descriptor; -1 while nothing is watched.
CORVANE_PLATFORM_EXPORT int ChangeNotificationDescriptor();
// Sets the most folders one handle watches (kSubtreeWatchLimit by default).
CORVANE_PLATFORM_EXPORT void SetSubtreeWatchLimit(std::size_t limit);
// After `after` more watches are added, adding one fails with the errno
// error, as the kernel refuses (ENOSPC: the user's watches are used up);
// error 0 lets the kernel answer again.
CORVANE_PLATFORM_EXPORT void FailWatchAdds(int error, std::size_t after = 0);

} // namespace win32::testing
