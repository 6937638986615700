// The transfer engine on Linux: every call relative to open folders, file
// data through copy_file_range (read/write where the file systems cannot),
// a fixed buffer at most, so memory does not grow with the files.

#include "shell32/Transfer.h"

#include "shell32/FileSystem_linux.h"
#include "shell32/ItemIdList.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace shell32 {
namespace {

std::atomic<bool> gRenameCrossesDevices{false};
std::atomic<int> gFailingWrite{0};

// The test hook's countdown; false (errno EIO) on the write it names.
bool WriteAllowed()
{
    int left = gFailingWrite.load();
    while (left > 0 && !gFailingWrite.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 1) {
        errno = EIO;
        return false;
    }
    return true;
}

constexpr size_t kChunkBytes = 64 * 1024 * 1024;
constexpr size_t kBufferBytes = 256 * 1024;

DWORD ErrorOf(int err)
{
    return err == EXDEV ? ERROR_NOT_SAME_DEVICE : win32::ErrorFromErrno(err);
}

std::string Join(const std::string& folder, std::string_view name)
{
    return folder + (folder == "/" ? "" : "/") + std::string(name);
}

bool Exists(int dirFd, const std::string& name)
{
    struct stat st;
    return ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Whether the folder open at dirFd is the item (device, inode) or lies
// below it.
bool IsWithin(int dirFd, dev_t device, ino_t inode)
{
    FileDescriptor current(::openat(dirFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (int depth = 0; current.Valid() && depth < 4096; ++depth) {
        struct stat here;
        if (::fstat(current.Get(), &here) != 0)
            return false;
        if (here.st_dev == device && here.st_ino == inode)
            return true;
        FileDescriptor up(::openat(current.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat above;
        if (!up.Valid() || ::fstat(up.Get(), &above) != 0 ||
            (above.st_dev == here.st_dev && above.st_ino == here.st_ino))
            return false;
        current = std::move(up);
    }
    return false;
}

// Removes name below dirFd, and all it holds; false with errno set.
bool RemoveTree(int dirFd, const std::string& name)
{
    struct stat st;
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(dirFd, name.c_str(), 0) == 0;
    const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    bool ok = true;
    while (const dirent* e = ::readdir(dir)) {
        const std::string child = e->d_name;
        if (child == "." || child == "..")
            continue;
        if (!RemoveTree(fd, child)) {
            ok = false;
            break;
        }
    }
    const int err = errno;
    ::closedir(dir);
    if (!ok) {
        errno = err;
        return false;
    }
    return ::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) == 0;
}

// "Copy of X", then "Copy (2) of X", ...: the first name dirFd lacks.
// ("Copy", "of"; "Link", "to").
std::string OwnFolderName(int dirFd, const std::string& name, const char* noun, const char* preposition)
{
    const std::string tail = std::string(" ") + preposition + " " + name;
    std::string candidate = noun + tail;
    for (int n = 2; Exists(dirFd, candidate); ++n)
        candidate = noun + (" (" + std::to_string(n) + ")") + tail;
    return candidate;
}

class Transfer {
public:
    Transfer(TransferOperation operation, const ConflictCallback& onConflict, TransferResult& result)
        : Operation_(operation), OnConflict_(onConflict), Result_(result)
    {
    }

    // False when the transfer stops (the result then says why).
    bool Item(const std::string& sourcePath, const std::string& destination);

private:
    bool Fail(const std::string& path, int err)
    {
        Result_.Error = ErrorOf(err);
        Result_.FailedPath = path;
        return false;
    }
    bool FailWith(const std::string& path, DWORD error)
    {
        Result_.Error = error;
        Result_.FailedPath = path;
        return false;
    }

    std::optional<ConflictChoice> Ask(const std::string& source, const std::string& target);
    std::string TemporaryName(int dirFd);
    bool Commit(int dirFd, const std::string& temporary, const std::string& target, bool replace,
                const std::string& targetPath, bool& placed);

    bool CopyItem(int srcDir, const std::string& name, const std::string& srcPath, int dstDir,
                  const std::string& dstName);
    bool CopyFile(int srcDir, const std::string& name, const std::string& srcPath, const struct stat& st,
                  int dstDir, const std::string& dstName);
    bool CopyFolder(int srcDir, const std::string& name, const std::string& srcPath, const struct stat& st,
                    int dstDir, const std::string& dstName);

    TransferOperation Operation_;
    const ConflictCallback& OnConflict_;
    TransferResult& Result_;
    std::optional<ConflictAnswer> AnswerForAll_;
    std::vector<char> Buffer_;
    unsigned Counter_ = 0;
};

std::optional<ConflictChoice> Transfer::Ask(const std::string& source, const std::string& target)
{
    if (AnswerForAll_)
        return ConflictChoice{*AnswerForAll_, true};
    if (!OnConflict_)
        return ConflictChoice{ConflictAnswer::Cancel, false};
    const ConflictChoice choice = OnConflict_(source, target);
    if (choice.ForAll)
        AnswerForAll_ = choice.Answer;
    return choice;
}

std::string Transfer::TemporaryName(int dirFd)
{
    std::string name;
    do
        name = ".corvane-transfer-" + std::to_string(::getpid()) + "-" + std::to_string(++Counter_);
    while (Exists(dirFd, name));
    return name;
}

// Gives the finished item its name; a replaced item is swapped out and
// only then removed. placed tells whether the item took the name: when not,
// it is still at temporary, for the caller to take back.
bool Transfer::Commit(int dirFd, const std::string& temporary, const std::string& target, bool replace,
                      const std::string& targetPath, bool& placed)
{
    placed = ::renameat2(dirFd, temporary.c_str(), dirFd, target.c_str(),
                         replace ? RENAME_EXCHANGE : RENAME_NOREPLACE) == 0;
    if (!placed)
        return Fail(targetPath, errno);
    if (replace && !RemoveTree(dirFd, temporary))
        return Fail(targetPath, errno);
    return true;
}

bool Transfer::CopyFile(int srcDir, const std::string& name, const std::string& srcPath,
                        const struct stat& st, int dstDir, const std::string& dstName)
{
    // O_NONBLOCK: should the file have become a FIFO since, it is not waited on.
    const FileDescriptor in(::openat(srcDir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat now;
    if (!in.Valid() || ::fstat(in.Get(), &now) != 0)
        return Fail(srcPath, errno);
    if (!S_ISREG(now.st_mode))
        return Fail(srcPath, EAGAIN);
    const FileDescriptor out(
        ::openat(dstDir, dstName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out.Valid())
        return Fail(srcPath, errno);

    bool useRange = true;
    std::uint64_t copied = 0;
    for (;;) {
        if (!WriteAllowed())
            return Fail(srcPath, errno);
        ssize_t n;
        if (useRange) {
            n = ::copy_file_range(in.Get(), nullptr, out.Get(), nullptr, kChunkBytes, 0);
            // Not between these file systems: the plain way, from where we are.
            if (n < 0 && copied == 0 &&
                (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)) {
                useRange = false;
                continue;
            }
        } else {
            if (Buffer_.empty())
                Buffer_.resize(kBufferBytes);
            n = ::read(in.Get(), Buffer_.data(), Buffer_.size());
            for (ssize_t written = 0; n > 0 && written < n;) {
                const ssize_t w =
                    ::write(out.Get(), Buffer_.data() + written, static_cast<size_t>(n - written));
                if (w < 0 && errno == EINTR)
                    continue;
                if (w < 0)
                    return Fail(srcPath, errno);
                written += w;
            }
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Fail(srcPath, errno);
        if (n == 0)
            break;
        copied += static_cast<std::uint64_t>(n);
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(out.Get(), st.st_mode & 07777) != 0 || ::futimens(out.Get(), times) != 0)
        return Fail(srcPath, errno);
    return true;
}

bool Transfer::CopyFolder(int srcDir, const std::string& name, const std::string& srcPath,
                          const struct stat& st, int dstDir, const std::string& dstName)
{
    const int fd = ::openat(srcDir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return Fail(srcPath, errno);
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return Fail(srcPath, errno);
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, ::closedir);
    if (::mkdirat(dstDir, dstName.c_str(), 0700) != 0)
        return Fail(srcPath, errno);
    const FileDescriptor out(
        ::openat(dstDir, dstName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!out.Valid())
        return Fail(srcPath, errno);
    errno = 0;
    while (const dirent* e = ::readdir(dir)) {
        const std::string child = e->d_name;
        if (child == "." || child == "..")
            continue;
        if (!CopyItem(fd, child, Join(srcPath, child), out.Get(), child))
            return false;
        errno = 0;
    }
    if (errno != 0)
        return Fail(srcPath, errno);
    // Last, so that making the children does not change the folder's times.
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(out.Get(), st.st_mode & 07777) != 0 || ::futimens(out.Get(), times) != 0)
        return Fail(srcPath, errno);
    return true;
}

bool Transfer::CopyItem(int srcDir, const std::string& name, const std::string& srcPath, int dstDir,
                        const std::string& dstName)
{
    struct stat st;
    if (::fstatat(srcDir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Fail(srcPath, errno);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    switch (st.st_mode & S_IFMT) {
    case S_IFREG:
        return CopyFile(srcDir, name, srcPath, st, dstDir, dstName);
    case S_IFDIR:
        return CopyFolder(srcDir, name, srcPath, st, dstDir, dstName);
    case S_IFLNK: {
        std::string target(static_cast<size_t>(st.st_size) + 1, '\0');
        for (;;) {
            const ssize_t n = ::readlinkat(srcDir, name.c_str(), target.data(), target.size());
            if (n < 0)
                return Fail(srcPath, errno);
            if (static_cast<size_t>(n) < target.size()) {
                target.resize(static_cast<size_t>(n));
                break;
            }
            target.resize(target.size() * 2);
        }
        if (::symlinkat(target.c_str(), dstDir, dstName.c_str()) != 0 ||
            ::utimensat(dstDir, dstName.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
            return Fail(srcPath, errno);
        return true;
    }
    case S_IFIFO:
        // Made anew: opening it would wait for a writer, and it holds no data.
        if (::mkfifoat(dstDir, dstName.c_str(), 0600) != 0 ||
            ::fchmodat(dstDir, dstName.c_str(), st.st_mode & 07777, 0) != 0 ||
            ::utimensat(dstDir, dstName.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
            return Fail(srcPath, errno);
        return true;
    default:
        // Devices and sockets are never read.
        Result_.NotCopied.push_back({srcPath, ERROR_NOT_SUPPORTED});
        return true;
    }
}

bool Transfer::Item(const std::string& source, const std::string& destination)
{
    const std::string sourcePath = AbsolutePath(source);
    if (sourcePath.empty())
        return Fail(source, errno);
    if (sourcePath == "/")
        return FailWith(sourcePath, ERROR_ACCESS_DENIED);
    const std::string parent = ParentPath(sourcePath);
    const std::string name = sourcePath.substr(sourcePath.rfind('/') + 1);
    const FileDescriptor srcDir(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!srcDir.Valid() || ::fstatat(srcDir.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return FailWith(sourcePath,
                        win32::ErrorFromPathErrno(errno, sourcePath.c_str(), win32::PathUse::Existing));
    const FileDescriptor dstDir(::open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dstDir.Valid())
        return FailWith(destination,
                        win32::ErrorFromPathErrno(errno, destination.c_str(), win32::PathUse::Folder));

    // A folder cannot hold itself.
    if (S_ISDIR(st.st_mode) && Operation_ != TransferOperation::Link &&
        IsWithin(dstDir.Get(), st.st_dev, st.st_ino))
        return FailWith(sourcePath, ERROR_CIRCULAR_DEPENDENCY);

    struct stat srcFolder, dstFolder;
    if (::fstat(srcDir.Get(), &srcFolder) != 0 || ::fstat(dstDir.Get(), &dstFolder) != 0)
        return Fail(destination, errno);
    std::string target = name;
    if (srcFolder.st_dev == dstFolder.st_dev && srcFolder.st_ino == dstFolder.st_ino) {
        if (Operation_ == TransferOperation::Move)
            return true; // already there
        target = Operation_ == TransferOperation::Copy ? OwnFolderName(dstDir.Get(), name, "Copy", "of")
                                                       : OwnFolderName(dstDir.Get(), name, "Link", "to");
    }
    const std::string targetPath = Join(destination, target);

    bool replace = false;
    struct stat existing;
    if (::fstatat(dstDir.Get(), target.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        const ConflictChoice choice = *Ask(sourcePath, targetPath);
        if (choice.Answer == ConflictAnswer::Cancel)
            return FailWith(targetPath, ERROR_CANCELLED);
        if (choice.Answer == ConflictAnswer::Skip) {
            Result_.Skipped.push_back(sourcePath);
            return true;
        }
        // Replacing an item with itself, or with something it holds, would lose the source.
        if ((existing.st_dev == st.st_dev && existing.st_ino == st.st_ino) ||
            (S_ISDIR(existing.st_mode) && IsWithin(srcDir.Get(), existing.st_dev, existing.st_ino)))
            return FailWith(sourcePath, ERROR_CIRCULAR_DEPENDENCY);
        replace = true;
    }

    const std::string temporary = TemporaryName(dstDir.Get());
    if (Operation_ == TransferOperation::Link) {
        if (::symlinkat(sourcePath.c_str(), dstDir.Get(), temporary.c_str()) != 0)
            return Fail(targetPath, errno);
        bool placed = false;
        if (!Commit(dstDir.Get(), temporary, target, replace, targetPath, placed)) {
            if (!placed)
                ::unlinkat(dstDir.Get(), temporary.c_str(), 0);
            return false;
        }
        Result_.Created.push_back(targetPath);
        return true;
    }

    if (Operation_ == TransferOperation::Move) {
        const int renamed = gRenameCrossesDevices ? (errno = EXDEV, -1)
                                                  : ::renameat2(srcDir.Get(), name.c_str(), dstDir.Get(),
                                                                temporary.c_str(), RENAME_NOREPLACE);
        if (renamed == 0) {
            bool placed = false;
            if (!Commit(dstDir.Get(), temporary, target, replace, targetPath, placed)) {
                // Put back where it came from.
                if (!placed)
                    ::renameat2(dstDir.Get(), temporary.c_str(), srcDir.Get(), name.c_str(),
                                RENAME_NOREPLACE);
                return false;
            }
            Result_.Created.push_back(targetPath);
            return true;
        }
        if (errno != EXDEV)
            return Fail(sourcePath, errno);
    }

    const size_t notCopiedBefore = Result_.NotCopied.size();
    if (!CopyItem(srcDir.Get(), name, sourcePath, dstDir.Get(), temporary)) {
        RemoveTree(dstDir.Get(), temporary);
        return false;
    }
    bool placed = false;
    if (!Commit(dstDir.Get(), temporary, target, replace, targetPath, placed)) {
        if (!placed)
            RemoveTree(dstDir.Get(), temporary);
        return false;
    }
    Result_.Created.push_back(targetPath);
    // The source goes only when all of it was copied.
    if (Operation_ == TransferOperation::Move && Result_.NotCopied.size() == notCopiedBefore &&
        !RemoveTree(srcDir.Get(), name))
        return Fail(sourcePath, errno);
    return true;
}

} // namespace

TransferResult TransferItems(TransferOperation operation, const std::vector<std::string>& sources,
                             const std::string& destination, const ConflictCallback& onConflict)
{
    TransferResult result;
    Transfer transfer(operation, onConflict, result);
    for (const std::string& source : sources)
        if (!transfer.Item(source, destination))
            break;
    ::SetLastError(result.Error);
    return result;
}

namespace testing {

void SetRenameCrossesDevices(bool crosses)
{
    gRenameCrossesDevices = crosses;
}

void FailNthWrite(int n)
{
    gFailingWrite = n < 0 ? 0 : n;
}

} // namespace testing

} // namespace shell32
