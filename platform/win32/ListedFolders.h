#pragma once
// The listed-folders registry: every folder this process lists, or whose
// has-subfolder attribute it computes, is recorded by device and inode with
// the path it was reached by. A change watch "with its subtree" asks which
// recorded folders lie below its root on the same device, and watches those.
//
// No descriptor is kept. The registry holds at most its limit
// (kListedFoldersLimit by default); recording one more evicts the folder
// recorded (or recorded again) longest ago. Recording a known folder again
// refreshes its path and makes it the newest. Thread-safe.

#include "CorvanePlatformExport.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace win32 {

inline constexpr std::size_t kListedFoldersLimit = 65536;

struct CORVANE_PLATFORM_EXPORT ListedFolder {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::string path;
};

CORVANE_PLATFORM_EXPORT void RecordListedFolder(std::uint64_t device, std::uint64_t inode,
                                                std::string_view path);
// Records the folder open at fd (any descriptor of it, O_PATH too); false
// when it cannot be examined.
CORVANE_PLATFORM_EXPORT bool RecordListedFolderAt(int fd, std::string_view path);

// Recorded folders on device whose path is root or lies below it (on a
// component boundary), oldest first.
CORVANE_PLATFORM_EXPORT std::vector<ListedFolder> ListedFoldersBelow(std::uint64_t device,
                                                                     std::string_view root);
CORVANE_PLATFORM_EXPORT std::size_t ListedFolderCount();

// Told of every folder recorded for the first time or under a new path, on
// the recording thread and outside the registry's lock, so that the watches
// of a subtree can grow as the folders below it are listed. One observer;
// nullptr removes it.
using ListedFolderObserver = void (*)(const ListedFolder& folder);
CORVANE_PLATFORM_EXPORT void SetListedFolderObserver(ListedFolderObserver observer);

} // namespace win32
