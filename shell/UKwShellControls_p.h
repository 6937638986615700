#pragma once
// What the files of UKwShellControls share and do not export: owned item id
// lists and the look at files and folders on Linux.

#include "UKwShellUtils.h"

#include "shell32/FileSystem_linux.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <cstdint>
#include <ctime>

namespace kw::detail {

// A list that goes back to the shell allocator unless it is let go.
class ScopedList {
public:
    ScopedList() = default;
    ~ScopedList() { ShellMemFree(P_); }
    ScopedList(const ScopedList&) = delete;
    ScopedList& operator=(const ScopedList&) = delete;
    PItemIDList Get() const { return P_; }
    PItemIDList* Out() { return &P_; }
    PItemIDList Release() { return std::exchange(P_, nullptr); }

private:
    PItemIDList P_ = nullptr;
};

// What a fresh look at one file-system item finds (the item itself, a
// symbolic link not followed).
struct ItemFacts {
    bool IsDirectory = false;
    std::uint64_t Size = 0;
    // The modification time, or the birth time where that is 0.
    timespec Modified{};
};

// Nothing when the item cannot be looked at (gone, no permission).
std::optional<ItemFacts> LookAtItem(const std::string& path);

// "/" or the mount point of one of Computer's drives.
bool IsDriveRootPath(const std::string& path);

// An O_PATH descriptor of the folder at path, of any length; invalid, with
// errno set, when it cannot be opened.
shell32::FileDescriptor OpenFolder(const std::string& path);

// The names in the folder at path, in no particular order, but for real
// folders (a symbolic link to one is listed) and hidden entries (a leading
// dot). Nothing when the folder cannot be read.
std::vector<std::string> VisibleNonFolderNames(const std::string& path);

// Whether this process may add, rename and remove entries of the folder at
// path.
bool FolderAcceptsChanges(const std::string& path);

} // namespace kw::detail
