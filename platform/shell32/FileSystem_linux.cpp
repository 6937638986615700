#include "shell32/FileSystem_linux.h"

#include "win32/Errors.h"
#include "win32/ListedFolders.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <limits>
#include <string>

namespace shell32 {

namespace {

constexpr unsigned kStatMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME;
constexpr int kStatFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_SYNC_AS_STAT;
constexpr std::size_t kChunkBytes = 64 * 1024;

// The kernel's record of a directory entry (getdents64).
struct LinuxDirent64 {
    std::uint64_t d_ino;
    std::int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

StatSnapshot SnapshotOf(const struct statx& sx)
{
    StatSnapshot stat;
    stat.mode = sx.stx_mode & 0xFFFF;
    stat.size = sx.stx_size;
    stat.mtimeNs = TimeToNanoseconds(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    return stat;
}

bool LeadsToDirectory(int dirFd, const char* name)
{
    struct statx target {};
    return statx(dirFd, name, AT_NO_AUTOMOUNT | AT_STATX_SYNC_AS_STAT, STATX_TYPE, &target) == 0 &&
           S_ISDIR(target.stx_mode);
}

bool Wanted(DWORD flags, bool isFolder)
{
    return isFolder ? (flags & SHCONTF_FOLDERS) != 0 : (flags & SHCONTF_NONFOLDERS) != 0;
}

} // namespace

void FileDescriptor::Reset(int fd)
{
    if (Fd_ >= 0)
        ::close(Fd_);
    Fd_ = fd;
}

std::int64_t TimeToNanoseconds(std::int64_t seconds, std::int64_t nanoseconds)
{
    constexpr std::int64_t kPerSecond = 1000000000;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    if (seconds > (kMax - nanoseconds) / kPerSecond)
        return kMax;
    if (seconds < (kMin + kPerSecond) / kPerSecond)
        return kMin;
    return seconds * kPerSecond + nanoseconds;
}

std::string AbsolutePath(const std::string& path)
{
    std::string result = path;
    if (result.empty() || result[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd))
            return {};
        result = std::string(cwd) + (std::string_view(cwd) == "/" ? "" : "/") + result;
    }
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}

FileDescriptor OpenDirectoryPath(const std::string& path)
{
    return FileDescriptor(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

FileDescriptor OpenDirectoryAt(int dirFd, const char* name)
{
    return FileDescriptor(::openat(dirFd, name, O_PATH | O_DIRECTORY | O_CLOEXEC));
}

bool StatEntry(int dirFd, const char* name, StatSnapshot& stat, bool& isFolder)
{
    struct statx sx {};
    if (statx(dirFd, name, kStatFlags, kStatMask, &sx) != 0)
        return false;
    stat = SnapshotOf(sx);
    isFolder = S_ISDIR(sx.stx_mode) || (S_ISLNK(sx.stx_mode) && LeadsToDirectory(dirFd, name));
    return true;
}

std::optional<std::string> LinkTargetName(int dirFd, std::string_view name)
{
    const std::string own(name);
    const auto lastComponent = [](std::string path) -> std::optional<std::string> {
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        const std::size_t slash = path.rfind('/');
        std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
        if (last.empty() || last == "." || last == "..")
            return std::nullopt;
        return last;
    };
    std::string text(PATH_MAX, '\0');
    const ssize_t length = ::readlinkat(dirFd, own.c_str(), text.data(), text.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= text.size())
        return std::nullopt; // no link (or a target no path can name)
    text.resize(static_cast<std::size_t>(length));
    // Where the chain ends, as the kernel followed it: the descriptor's own path.
    const FileDescriptor target(::openat(dirFd, own.c_str(), O_PATH | O_CLOEXEC));
    if (target.Valid()) {
        std::string end(PATH_MAX, '\0');
        const std::string self = "/proc/self/fd/" + std::to_string(target.Get());
        const ssize_t got = ::readlink(self.c_str(), end.data(), end.size());
        if (got > 0 && static_cast<std::size_t>(got) < end.size() && end.front() == '/') {
            end.resize(static_cast<std::size_t>(got));
            if (std::optional<std::string> last = lastComponent(std::move(end)))
                return last;
        }
    }
    if (std::optional<std::string> last = lastComponent(std::move(text)))
        return last;
    return own;
}

HRESULT AppendRelativeItems(int dirFd, std::string_view relative, bool firstIsTrashEntry, std::string& items)
{
    WalkEnd end;
    return AppendRelativeItems(dirFd, relative, firstIsTrashEntry, items, end);
}

HRESULT AppendRelativeItems(int dirFd, std::string_view relative, bool firstIsTrashEntry, std::string& items,
                            WalkEnd& end)
{
    std::vector<std::string_view> names;
    std::size_t pos = 0;
    while (pos < relative.size()) {
        const std::size_t slash = std::min(relative.find('/', pos), relative.size());
        if (slash > pos)
            names.push_back(relative.substr(pos, slash - pos));
        pos = slash + 1;
    }
    if (names.empty())
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    FileDescriptor walked;
    int current = dirFd;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!IsValidItemName(names[i]))
            return HRESULT_FROM_WIN32(names[i].size() > kMaxNameBytes ? ERROR_FILENAME_EXCED_RANGE
                                                                      : ERROR_INVALID_NAME);
        const std::string name(names[i]);
        const bool last = i + 1 == names.size();
        StatSnapshot stat;
        bool isFolder = false;
        if (!StatEntry(current, name.c_str(), stat, isFolder)) {
            const int err = errno;
            if (err == ENOENT || err == ENOTDIR)
                return HRESULT_FROM_WIN32(last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
            return win32::HResultFromErrno(err);
        }
        if (!last && !isFolder)
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        const ItemKind kind = (i == 0 && firstIsTrashEntry) ? ItemKind::TrashEntry
                              : isFolder                    ? ItemKind::Directory
                                                            : ItemKind::File;
        const std::size_t itemAt = items.size();
        if (!AppendFileSystemItem(items, kind, name, stat))
            return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
        if (!last) {
            FileDescriptor next = OpenDirectoryAt(current, name.c_str());
            if (!next.Valid())
                return win32::HResultFromErrno(errno == ENOENT ? ENOTDIR : errno);
            walked = std::move(next);
            current = walked.Get();
        } else {
            end.LastItemAt = itemAt;
        }
    }
    end.Folder = std::move(walked);
    return S_OK;
}

SubfolderCounting SubfolderCountingOf(int dirFd)
{
    SubfolderCounting counting;
    struct statfs fs {};
    struct statx sx {};
    if (::fstatfs(dirFd, &fs) != 0 ||
        statx(dirFd, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, STATX_TYPE, &sx) != 0)
        return counting;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case EXT4_SUPER_MAGIC: // ext2 and ext3 share it
    case XFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case RAMFS_MAGIC:
    case F2FS_SUPER_MAGIC:
        counting.counted = true;
        break;
    default:
        break;
    }
    counting.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    return counting;
}

bool HasSubfolder(int dirFd, const char* name, std::string_view folderPath, const SubfolderCounting& counting)
{
    if (counting.counted) {
        struct statx sx {};
        if (statx(dirFd, name, kStatFlags, STATX_TYPE | STATX_NLINK | STATX_INO, &sx) != 0)
            return false;
        if (S_ISDIR(sx.stx_mode) && makedev(sx.stx_dev_major, sx.stx_dev_minor) == counting.device &&
            sx.stx_nlink >= 2) {
            win32::RecordListedFolder(counting.device, sx.stx_ino, JoinPath(folderPath, name));
            return sx.stx_nlink > 2;
        }
    }
    FileDescriptor fd(::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.Valid())
        return false;
    win32::RecordListedFolderAt(fd.Get(), JoinPath(folderPath, name));
    alignas(LinuxDirent64) char buffer[16 * 1024];
    for (;;) {
        const long read = ::syscall(SYS_getdents64, fd.Get(), buffer, sizeof buffer);
        if (read <= 0)
            return false;
        for (long offset = 0; offset < read;) {
            const auto* entry = reinterpret_cast<const LinuxDirent64*>(buffer + offset);
            offset += entry->d_reclen;
            const char* entryName = entry->d_name;
            if (std::strcmp(entryName, ".") == 0 || std::strcmp(entryName, "..") == 0)
                continue;
            if (entry->d_type == DT_DIR)
                return true;
            if (entry->d_type == DT_UNKNOWN) {
                struct statx sx {};
                if (statx(fd.Get(), entryName, kStatFlags, STATX_TYPE, &sx) == 0 && S_ISDIR(sx.stx_mode))
                    return true;
            }
        }
    }
}

DirectoryReader::DirectoryReader(int dirFd, const std::string& path, DWORD flags, bool trashEntries)
    : Flags_(flags), TrashEntries_(trashEntries)
{
    Fd_.Reset(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!Fd_.Valid()) {
        OpenResult_ = win32::HResultFromErrno(errno);
        Done_ = true;
        return;
    }
    win32::RecordListedFolderAt(Fd_.Get(), path);
    if ((flags & (SHCONTF_FOLDERS | SHCONTF_NONFOLDERS)) == 0)
        Done_ = true;
}

DirectoryReader::~DirectoryReader() = default;

bool DirectoryReader::ReadChunk(std::string& items, std::vector<std::uint32_t>& offsets)
{
    if (Done_)
        return false;
    if (Buffer_.empty())
        Buffer_.resize(kChunkBytes);
    const long read = ::syscall(SYS_getdents64, Fd_.Get(), Buffer_.data(), Buffer_.size());
    if (read <= 0) {
        if (read < 0)
            Error_ = win32::HResultFromErrno(errno);
        Done_ = true;
        Fd_.Reset();
        return false;
    }
    // An item is at most 5 bytes longer than its entry, and an entry takes
    // 24 bytes at least: the chunk's items fit in a quarter more, with no
    // growing copies.
    items.reserve(items.size() + static_cast<std::size_t>(read) + static_cast<std::size_t>(read) / 4);
    offsets.reserve(offsets.size() + static_cast<std::size_t>(read) / 24);
    const bool includeHidden = (Flags_ & SHCONTF_INCLUDEHIDDEN) != 0;
    for (long offset = 0; offset < read;) {
        const auto* entry = reinterpret_cast<const LinuxDirent64*>(Buffer_.data() + offset);
        offset += entry->d_reclen;
        const char* name = entry->d_name;
        if (name[0] == '.') {
            if (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))
                continue;
            if (!includeHidden)
                continue;
        }
        // The entry type decides the filter without a stat when it is known.
        if (entry->d_type == DT_DIR && !Wanted(Flags_, true))
            continue;
        if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK &&
            !Wanted(Flags_, false))
            continue;
        struct statx sx {};
        if (statx(Fd_.Get(), name, kStatFlags, kStatMask, &sx) != 0)
            continue; // gone since it was read
        bool isFolder = S_ISDIR(sx.stx_mode);
        if (S_ISLNK(sx.stx_mode))
            isFolder = LeadsToDirectory(Fd_.Get(), name);
        if (!Wanted(Flags_, isFolder))
            continue;
        const ItemKind kind = TrashEntries_ ? ItemKind::TrashEntry
                              : isFolder    ? ItemKind::Directory
                                            : ItemKind::File;
        const std::size_t before = items.size();
        if (AppendFileSystemItem(items, kind, std::string_view(name), SnapshotOf(sx)))
            offsets.push_back(static_cast<std::uint32_t>(before));
    }
    return true;
}

} // namespace shell32
