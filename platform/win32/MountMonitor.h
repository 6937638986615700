#pragma once
// The mount monitor: drives arriving and going, announced to windows as
// WM_DEVICECHANGE with DBT_DEVICEARRIVAL and DBT_DEVICEREMOVECOMPLETE and a
// DEV_BROADCAST_VOLUME (win32/DeviceChange.h).
//
// While any window is registered, the current mount source is watched (the
// system's through libmount's monitor) on the GUI thread. A change of the
// table is not acted on at once: the check is posted, so a burst of changes
// before the event loop turns is read as one, and only differences of the
// user-visible drives (win32/MountTable.h) are announced, removals first. A
// remount, a changed option or a mount nobody sees announces nothing.
// Replacing the mount source takes its table as the new starting point
// without announcing anything. GUI thread only.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <cstddef>

namespace win32 {

CORVANE_PLATFORM_EXPORT void AddDeviceChangeWindow(HWND window);
CORVANE_PLATFORM_EXPORT void RemoveDeviceChangeWindow(HWND window);

} // namespace win32

namespace win32::testing {

// How often the monitor has compared the table with its last snapshot.
CORVANE_PLATFORM_EXPORT std::size_t MountTableChecks();

} // namespace win32::testing
