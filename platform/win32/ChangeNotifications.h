#pragma once
// File-system change notifications: waitable handles that are signalled when
// something of a kind the filter names changes in a folder.
//
// All handles share one inotify instance of the process, read by one thread
// that hands each event to the handles watching its folder. A handle is
// signalled by the first matching change and stays signalled until
// FindNextChangeNotification; changes that come after a wait has seen it
// signalled keep it signalled through that call, so none is lost.
//
// With its subtree, a handle watches its folder and every folder below it on
// the same file system that this process has listed or whose has-subfolder
// attribute it computed (the listed-folders registry, win32/ListedFolders.h),
// whenever that happened, also after the handle was opened. Folders are
// watched by inode; no descriptor is held, so a watched medium can still be
// unmounted. A watched subfolder that is deleted or moved away signals and
// the handle goes on. One renamed, or moved into another watched folder of
// the subtree, is still watched where it went, with the watched folders
// below it; moved anywhere else (out of the subtree, or into a folder of it
// that was never listed) it is no longer watched. A folder made later under
// its old name is a new one, watched once it is listed. The removal or
// unmount of the folder itself signals once and ends the handle
// (FindNextChangeNotification then fails). When the kernel refuses more
// watches, or a handle reaches its watch limit, or the kernel's event queue
// overflows, the handle is signalled as for a change.
//
// inotify sees only changes made through this machine's kernel: on network
// file systems (NFS, SMB, sshfs) changes made by other machines are not
// reported.

#include "CorvanePlatformExport.h"
#include "win32/KernelObjects.h"

#include <cstddef>

constexpr DWORD FILE_NOTIFY_CHANGE_FILE_NAME = 0x00000001;
constexpr DWORD FILE_NOTIFY_CHANGE_DIR_NAME = 0x00000002;
constexpr DWORD FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x00000004;
constexpr DWORD FILE_NOTIFY_CHANGE_SIZE = 0x00000008;
constexpr DWORD FILE_NOTIFY_CHANGE_LAST_WRITE = 0x00000010;
constexpr DWORD FILE_NOTIFY_CHANGE_LAST_ACCESS = 0x00000020;
constexpr DWORD FILE_NOTIFY_CHANGE_CREATION = 0x00000040;
constexpr DWORD FILE_NOTIFY_CHANGE_SECURITY = 0x00000100;

// INVALID_HANDLE_VALUE with the last error set when the path is not a
// folder that can be watched, or the filter is 0 or names unknown kinds
// (ERROR_INVALID_PARAMETER).
CORVANE_PLATFORM_EXPORT HANDLE FindFirstChangeNotificationA(LPCSTR pathName, BOOL watchSubtree,
                                                            DWORD notifyFilter);
inline HANDLE FindFirstChangeNotification(LPCSTR pathName, BOOL watchSubtree, DWORD notifyFilter)
{
    return FindFirstChangeNotificationA(pathName, watchSubtree, notifyFilter);
}
// Clears the signal; FALSE once the watched folder is gone
// (ERROR_FILE_NOT_FOUND) or for a handle that is not a live change
// notification (ERROR_INVALID_HANDLE).
CORVANE_PLATFORM_EXPORT BOOL FindNextChangeNotification(HANDLE changeHandle);
// Ends the watch and closes the handle.
CORVANE_PLATFORM_EXPORT BOOL FindCloseChangeNotification(HANDLE changeHandle);

namespace win32 {

// The most folders one handle watches with its subtree.
inline constexpr std::size_t kSubtreeWatchLimit = 8192;

} // namespace win32
