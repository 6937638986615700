#pragma once
// The Linux side of the file-system folders: entries are read through the
// directory's descriptor in chunks, with the entry type sparing a stat when
// the filter already decides, and every per-entry call is made relative to
// that descriptor (statx, openat), never through a rebuilt path.

#include "CorvanePlatformExport.h"
#include "shell32/ItemIdList.h"
#include "win32/WinTypes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shell32 {

// An owned descriptor, closed with the object.
class CORVANE_PLATFORM_EXPORT FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : Fd_(fd) {}
    ~FileDescriptor() { Reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : Fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            Reset();
            Fd_ = other.Release();
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return Fd_; }
    bool Valid() const { return Fd_ >= 0; }
    int Release()
    {
        const int fd = Fd_;
        Fd_ = -1;
        return fd;
    }
    void Reset(int fd = -1);

private:
    int Fd_ = -1;
};

// A file time in nanoseconds since the epoch, as the snapshots keep it; a
// time the 64 bits cannot hold (before 1678 or after 2262) is held at the
// nearest end of the range.
CORVANE_PLATFORM_EXPORT std::int64_t TimeToNanoseconds(std::int64_t seconds, std::int64_t nanoseconds);

// path made absolute against the current folder, without trailing slashes;
// the last component stays as given (a link is not followed). Empty (errno
// set) when the current folder is gone.
CORVANE_PLATFORM_EXPORT std::string AbsolutePath(const std::string& path);

// An O_PATH descriptor of a directory (errno set on failure).
CORVANE_PLATFORM_EXPORT FileDescriptor OpenDirectoryPath(const std::string& path);
CORVANE_PLATFORM_EXPORT FileDescriptor OpenDirectoryAt(int dirFd, const char* name);

// The snapshot of one entry (its own mode, a link not followed) and whether
// it is, or leads to, a directory. False with errno set when it is gone.
CORVANE_PLATFORM_EXPORT bool StatEntry(int dirFd, const char* name, StatSnapshot& stat, bool& isFolder);

// The name of what the symbolic link name below dirFd finally leads to
// (through every link), which its type is told by; the last component of
// the link's own text when it leads nowhere. Nothing when name is no link.
CORVANE_PLATFORM_EXPORT std::optional<std::string> LinkTargetName(int dirFd, std::string_view name);

// Items for a relative path of names below dirFd ("a/b/c"; repeated slashes
// are one). Errors: an invalid name ERROR_INVALID_NAME, a missing last
// component ERROR_FILE_NOT_FOUND, a missing or non-directory intermediate
// one ERROR_PATH_NOT_FOUND, others from errno.
CORVANE_PLATFORM_EXPORT HRESULT AppendRelativeItems(int dirFd, std::string_view relative,
                                                    bool firstIsTrashEntry, std::string& items);

// Where a walk of AppendRelativeItems ended: the folder holding the last
// name, open when it lies below dirFd (empty when the name is in dirFd
// itself), and where the last name's item starts in items.
struct CORVANE_PLATFORM_EXPORT WalkEnd {
    FileDescriptor Folder;
    std::size_t LastItemAt = 0;
};
// The same, and on success where the walk ended, so that names beside the
// last one need not walk there again.
CORVANE_PLATFORM_EXPORT HRESULT AppendRelativeItems(int dirFd, std::string_view relative,
                                                    bool firstIsTrashEntry, std::string& items, WalkEnd& end);

// How a folder's file system tells whether a directory in it holds
// subdirectories: ext2/3/4, XFS, tmpfs, ramfs and F2FS count them in the
// directory's link count (2 + subdirectories, 1 where the count overflowed);
// elsewhere (Btrfs, FUSE, network file systems) the directory is read.
struct CORVANE_PLATFORM_EXPORT SubfolderCounting {
    bool counted = false;     // the file system counts subdirectories
    std::uint64_t device = 0; // the folder's device (a mount below it counts apart)
};
// For the folder open at dirFd (O_PATH will do).
CORVANE_PLATFORM_EXPORT SubfolderCounting SubfolderCountingOf(int dirFd);

// Whether the directory name below dirFd (in the folder at folderPath)
// holds a subdirectory (a link to one is not followed); records it as a
// listed folder. The link count answers where counting says it can: a
// directory on the folder's own device whose count is 2 or more.
CORVANE_PLATFORM_EXPORT bool HasSubfolder(int dirFd, const char* name, std::string_view folderPath,
                                          const SubfolderCounting& counting);

// Desktop entries larger than this are not taken for shortcuts while
// listing: a shortcut is a few hundred bytes, and reading large files
// would slow every listing down.
inline constexpr std::uint64_t kMaxShortcutEntryBytes = 64 * 1024;

// Whether the file name below dirFd, as its snapshot describes it, is a
// desktop-entry shortcut (the shortcut predicate, shell32::IsShortcut; a
// symbolic link the snapshot shows already). Only a regular file named
// "*.desktop" that is not empty and at most kMaxShortcutEntryBytes long is
// read, relative to
// dirFd; the answer is kept per folder, name, size and modification time.
CORVANE_PLATFORM_EXPORT bool IsShortcutEntry(int dirFd, std::string_view folderPath, std::string_view name,
                                             const StatSnapshot& stat);

// Reads a directory's entries into encoded items, one chunk at a time.
class CORVANE_PLATFORM_EXPORT DirectoryReader {
public:
    // dirFd may be an O_PATH descriptor; the reader opens its own.
    DirectoryReader(int dirFd, const std::string& path, DWORD flags, bool trashEntries);
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    // The HRESULT of opening (S_OK when it could be read).
    HRESULT OpenResult() const { return OpenResult_; }
    // Appends the items of the next chunk; false at the end or on an error
    // (Error() then tells which).
    bool ReadChunk(std::string& items, std::vector<std::uint32_t>& offsets);
    HRESULT Error() const { return Error_; }

private:
    FileDescriptor Fd_;
    DWORD Flags_;
    bool TrashEntries_;
    HRESULT OpenResult_ = S_OK;
    HRESULT Error_ = S_OK;
    bool Done_ = false;
    std::vector<char> Buffer_;
};

} // namespace shell32
