// The look at files and folders that the item data objects take on Linux:
// statx of the item itself, the drives of the mount table, and the access
// the process has to a folder; for folders deeper than PATH_MAX too. Also
// the listing of the Send To folder.

#include "UKwShellControls_p.h"

#include "win32/MountTable.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <utility>
#include <vector>

namespace kw::detail {

namespace {

// Where a call reaches an item: the whole path from the current directory,
// or, for a path too long for the kernel to take in one call, the item's
// name in its folder, opened by walking down from "/" one name at a time.
class PlaceOf {
public:
    explicit PlaceOf(const std::string& path) : Name_(path) {}
    PlaceOf(int folder, std::string name) : Folder_(folder), Name_(std::move(name)) {}
    ~PlaceOf()
    {
        if (Folder_ >= 0)
            ::close(Folder_);
    }
    PlaceOf(PlaceOf&& other) noexcept
        : Folder_(std::exchange(other.Folder_, AT_FDCWD)), Name_(std::move(other.Name_))
    {
    }
    PlaceOf(const PlaceOf&) = delete;
    PlaceOf& operator=(const PlaceOf&) = delete;
    PlaceOf& operator=(PlaceOf&&) = delete;

    int Folder() const { return Folder_; }
    const char* Name() const { return Name_.c_str(); }

private:
    int Folder_ = AT_FDCWD;
    std::string Name_;
};

std::optional<PlaceOf> Locate(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    if (path.size() < PATH_MAX || path.front() != '/')
        return PlaceOf(path);
    std::size_t last = path.size();
    while (last > 1 && path[last - 1] == '/')
        --last;
    const std::size_t slash = path.rfind('/', last - 1);
    int folder = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (std::size_t start = 1; folder >= 0 && start < slash;) {
        const std::size_t end = path.find('/', start);
        if (end > start) {
            const std::string name = path.substr(start, end - start);
            const int next = ::openat(folder, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            ::close(folder);
            folder = next;
        }
        start = end + 1;
    }
    if (folder < 0)
        return std::nullopt;
    return PlaceOf(folder, path.substr(slash + 1, last - slash - 1));
}

} // namespace

std::optional<ItemFacts> LookAtItem(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    const std::optional<PlaceOf> place = Locate(path);
    struct statx info {};
    if (!place || ::statx(place->Folder(), place->Name(), AT_SYMLINK_NOFOLLOW,
                          STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME, &info) != 0)
        return std::nullopt;
    ItemFacts facts;
    facts.IsDirectory = S_ISDIR(info.stx_mode);
    facts.Size = info.stx_size;
    statx_timestamp stamp = info.stx_mtime;
    // A file system that keeps no modification time answers 0: the birth
    // time, where it has one, is the better guess.
    if (stamp.tv_sec == 0 && stamp.tv_nsec == 0 && (info.stx_mask & STATX_BTIME))
        stamp = info.stx_btime;
    facts.Modified.tv_sec = static_cast<time_t>(stamp.tv_sec);
    facts.Modified.tv_nsec = static_cast<long>(stamp.tv_nsec);
    return facts;
}

bool IsDriveRootPath(const std::string& path)
{
    if (path == "/")
        return true;
    if (path.empty() || path.front() != '/')
        return false;
    std::vector<win32::Drive> drives;
    if (!win32::ReadUserVisibleDrives(drives))
        return false;
    const std::string normal = win32::NormalizeMountPath(path);
    for (const win32::Drive& drive : drives)
        if (drive.MountPoint == normal)
            return true;
    return false;
}

shell32::FileDescriptor OpenFolder(const std::string& path)
{
    const std::optional<PlaceOf> place = Locate(path);
    if (!place) {
        if (path.empty())
            errno = ENOENT;
        return shell32::FileDescriptor();
    }
    return shell32::OpenDirectoryAt(place->Folder(), place->Name());
}

bool ForEachNonFolderEntry(const std::string& path, const std::function<void(std::string_view name)>& visit)
{
    const shell32::FileDescriptor folder = OpenFolder(path);
    if (!folder.Valid())
        return false;
    // readdir wants a descriptor opened for reading; the entries are then
    // looked at relative to it.
    const int readable = ::openat(folder.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (readable < 0)
        return false;
    DIR* entries = ::fdopendir(readable);
    if (!entries) {
        ::close(readable);
        return false;
    }
    bool whole = true;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(entries);
        if (!entry) {
            whole = errno == 0;
            break;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            if (::fstatat(::dirfd(entries), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // gone meanwhile
            isFolder = S_ISDIR(info.st_mode);
        }
        if (!isFolder)
            visit(entry->d_name);
    }
    ::closedir(entries);
    return whole;
}

std::vector<std::string> VisibleNonFolderNames(const std::string& path)
{
    std::vector<std::string> names;
    ForEachNonFolderEntry(path, [&names](std::string_view name) {
        if (name.front() != '.') // hidden
            names.emplace_back(name);
    });
    return names;
}

bool FolderAcceptsChanges(const std::string& path)
{
    // Entries are added, renamed and removed through the folder: it must be
    // writable and searchable by this process.
    const std::optional<PlaceOf> place = Locate(path);
    return place && ::faccessat(place->Folder(), place->Name(), W_OK | X_OK, 0) == 0;
}

} // namespace kw::detail
