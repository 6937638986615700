#pragma once
// Which folders the shell tree asks its change worker to watch for one
// drive. A watch with its subtree stays on one file system, but a person
// sees /home or /tmp on file systems of their own as folders of "/": the
// drive's watches are its root and the mount point of every mount below it
// that is a place of its own to look at.

#include "KwCorvaneExport.h"
#include "win32/MountTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace kw {

// The drive root first, then, in byte order, the mount point of every mount
// of the table whose nearest drive is this one and that is not a drive
// itself, not mounted read-only, not covered by a later mount at the same
// place, and neither a pseudo file system nor below one. Nothing when
// driveRoot is no drive of drives.
KWCORVANE_EXPORT std::vector<std::string> DriveWatchFolders(std::string_view driveRoot,
                                                            const std::vector<win32::MountEntry>& mounts,
                                                            const std::vector<win32::Drive>& drives);

// The same for the drive that holds path, from the current mount source;
// nothing when path lies on no drive or the table cannot be read.
KWCORVANE_EXPORT std::vector<std::string> DriveWatchFoldersOf(std::string_view path);

} // namespace kw
