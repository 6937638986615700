#include "vcl/core/FileUtils.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/PathUtils.h"
#include "win32/Errors.h"
#include "win32/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vcl {
namespace {

// The kernel wants a terminated string; a name with a zero byte inside can
// name no file.
bool ToPath(std::string_view name, std::string& path)
{
    if (name.empty() || name.find('\0') != std::string_view::npos) {
        SetLastError(name.empty() ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME);
        return false;
    }
    path.assign(name);
    return true;
}

bool Fail()
{
    win32::SetLastErrorFromErrno();
    return false;
}

// The platform's code tells a missing name from a missing folder on the way.
bool FailOn(const std::string& path, win32::PathUse use)
{
    win32::SetLastErrorFromPathErrno(path.c_str(), use);
    return false;
}

bool StatPath(std::string_view name, struct stat& st)
{
    std::string path;
    if (!ToPath(name, path))
        return false;
    if (stat(path.c_str(), &st) != 0)
        return FailOn(path, win32::PathUse::Existing);
    return true;
}

class TFd {
public:
    explicit TFd(int fd) : Fd_(fd) {}
    ~TFd()
    {
        if (Fd_ >= 0)
            close(Fd_);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return Fd_; }
    void Reset(int fd)
    {
        if (Fd_ >= 0)
            close(Fd_);
        Fd_ = fd;
    }

private:
    int Fd_;
};

} // namespace

bool FileExists(std::string_view fileName)
{
    struct stat st;
    return StatPath(fileName, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(std::string_view directory)
{
    struct stat st;
    return StatPath(directory, st) && S_ISDIR(st.st_mode);
}

std::string GetCurrentDir()
{
    std::string current;
    if (const DWORD error = win32::CurrentDirectory(current); error != ERROR_SUCCESS) {
        SetLastError(error);
        return {};
    }
    return current;
}

bool SetCurrentDir(std::string_view directory)
{
    std::string path;
    if (!ToPath(directory, path))
        return false;
    return chdir(path.c_str()) == 0 || FailOn(path, win32::PathUse::Folder);
}

bool CreateDir(std::string_view directory)
{
    std::string path;
    if (!ToPath(directory, path))
        return false;
    return mkdir(path.c_str(), 0777) == 0 || FailOn(path, win32::PathUse::New);
}

bool RemoveDir(std::string_view directory)
{
    std::string path;
    if (!ToPath(directory, path))
        return false;
    return rmdir(path.c_str()) == 0 || FailOn(path, win32::PathUse::Folder);
}

bool ForceDirectories(std::string_view directory)
{
    if (directory.empty())
        throw EInOutError("Unable to create directory");
    std::string path;
    if (!ToPath(directory, path))
        return false;
    TFd dir(open(path.front() == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() < 0)
        return Fail();
    size_t i = 0;
    while (i < path.size()) {
        const size_t slash = path.find('/', i);
        const size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > i) {
            const std::string name = path.substr(i, end - i);
            if (mkdirat(dir.Get(), name.c_str(), 0777) != 0 && errno != EEXIST)
                return Fail();
            const int next = openat(dir.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (next < 0)
                return Fail();
            dir.Reset(next);
        }
        i = end + 1;
    }
    return true;
}

bool DeleteFile(std::string_view fileName)
{
    std::string path;
    if (!ToPath(fileName, path))
        return false;
    return unlink(path.c_str()) == 0 || FailOn(path, win32::PathUse::Existing);
}

bool RenameFile(std::string_view oldName, std::string_view newName)
{
    std::string from, to;
    if (!ToPath(oldName, from) || !ToPath(newName, to))
        return false;
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return Fail();
    // The file system cannot refuse to replace by itself.
    struct stat st;
    if (lstat(from.c_str(), &st) != 0)
        return Fail();
    if (!S_ISDIR(st.st_mode)) {
        // A hard link fails when newName exists, so nothing is replaced.
        if (link(from.c_str(), to.c_str()) == 0) {
            if (unlink(from.c_str()) == 0)
                return true;
            const int err = errno;
            unlink(to.c_str());
            errno = err;
            return Fail();
        }
        if (errno == EEXIST)
            return Fail();
    }
    // Folders, and file systems without hard links: check, then rename.
    struct stat target;
    if (lstat(to.c_str(), &target) == 0) {
        errno = EEXIST;
        return Fail();
    }
    return rename(from.c_str(), to.c_str()) == 0 || Fail();
}

std::int64_t FileAge(std::string_view fileName)
{
    struct stat st;
    if (!StatPath(fileName, st))
        return -1;
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return -1;
    }
    return static_cast<std::int64_t>(st.st_mtim.tv_sec);
}

bool FileAge(std::string_view fileName, TDateTime& fileDateTime)
{
    struct stat st;
    if (!StatPath(fileName, st))
        return false;
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    fileDateTime = TimespecToDateTime(st.st_mtim);
    return true;
}

int FileGetAttr(std::string_view fileName)
{
    std::string path;
    if (!ToPath(fileName, path))
        return -1;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        Fail();
        return -1;
    }
    int attr = 0;
    if (S_ISLNK(st.st_mode)) {
        attr |= faSymLink;
        struct stat target;
        if (stat(path.c_str(), &target) == 0)
            st = target;
    }
    if (S_ISDIR(st.st_mode))
        attr |= faDirectory;
    if (!(st.st_mode & S_IWUSR))
        attr |= faReadOnly;
    const std::string name = ExtractFileName(ExcludeTrailingPathDelimiter(path));
    if (name.size() > 1 && name.front() == '.' && name != "..")
        attr |= faHidden;
    return attr;
}

} // namespace vcl
