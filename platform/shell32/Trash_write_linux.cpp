// Writing to the freedesktop trash: the info file is claimed first with
// O_EXCL, which reserves the name, then the item is renamed into files/
// without ever replacing anything. A failed rename takes the info back.

#include "shell32/Trash.h"

#include "shell32/FileSystem_linux.h"
#include "shell32/FileUrls.h"
#include "shell32/UserDirs.h"
#include "win32/Errors.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell32 {
namespace {

DWORD Fail(DWORD error)
{
    ::SetLastError(error);
    return error;
}

DWORD FailFromErrno()
{
    return Fail(errno == EXDEV ? ERROR_NOT_SAME_DEVICE : win32::ErrorFromErrno(errno));
}

bool MakeFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// A trash folder we may use: a real folder (no link) of ours, with files/
// and info/ made when missing.
bool PrepareTrash(const std::string& trash)
{
    if (!MakeFolder(trash))
        return false;
    struct stat st;
    if (::lstat(trash.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
        errno = EACCES;
        return false;
    }
    return MakeFolder(trash + "/files") && MakeFolder(trash + "/info");
}

// The highest folder above path on the same device as path's folder.
std::string TopDirectory(const std::string& path, dev_t device)
{
    std::string top = ParentPath(path);
    while (top != "/") {
        const std::string up = ParentPath(top);
        struct stat st;
        if (::stat(up.c_str(), &st) != 0 || st.st_dev != device)
            break;
        top = up;
    }
    return top;
}

struct TrashChoice {
    std::string Directory;
    std::string Base; // what a relative Path= is relative to; empty for absolute
};

bool ChooseTrash(const std::string& path, dev_t device, TrashChoice& choice)
{
    const std::string home = HomeDirectory();
    struct stat st;
    if (!home.empty() && ::stat(home.c_str(), &st) == 0 && st.st_dev == device) {
        const std::string data = DataHome();
        // The data home may not exist yet.
        if (::mkdir(data.c_str(), 0700) != 0 && errno != EEXIST) {
            const std::string parent = ParentPath(data);
            if (!MakeFolder(parent) || !MakeFolder(data))
                return false;
        }
        choice = {TrashDirectory(), {}};
        return PrepareTrash(choice.Directory);
    }
    const std::string top = TopDirectory(path, device);
    const std::string uid = std::to_string(::getuid());
    const std::string shared = (top == "/" ? "" : top) + "/.Trash";
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        choice = {shared + "/" + uid, top};
        if (PrepareTrash(choice.Directory))
            return true;
    }
    choice = {shared + "-" + uid, top};
    return PrepareTrash(choice.Directory);
}

std::string InfoText(const std::string& path, const std::string& base)
{
    std::string_view recorded = path;
    if (!base.empty() && base != "/")
        recorded.remove_prefix(base.size() + 1);
    else if (base == "/")
        recorded.remove_prefix(1);
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    const TrashDate date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                         local.tm_hour,        local.tm_min,     local.tm_sec};
    return "[Trash Info]\nPath=" + EscapedPath(recorded) + "\nDeletionDate=" + FormatTrashDate(date) + "\n";
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string FormatTrashDate(const TrashDate& date)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", date.Year, date.Month, date.Day,
                  date.Hour, date.Minute, date.Second);
    return text;
}

DWORD MoveToTrash(const std::string& path, TrashedItem* trashed)
{
    const std::string source = AbsolutePath(path);
    if (source.empty())
        return FailFromErrno();
    if (source == "/")
        return Fail(ERROR_ACCESS_DENIED);
    struct stat st;
    if (::lstat(source.c_str(), &st) != 0)
        return Fail(win32::ErrorFromPathErrno(errno, source.c_str(), win32::PathUse::Existing));
    const std::string name = source.substr(source.rfind('/') + 1);
    if (name == "." || name == "..")
        return Fail(ERROR_INVALID_NAME);

    TrashChoice choice;
    if (!ChooseTrash(source, st.st_dev, choice))
        return FailFromErrno();
    // The trash itself, or a folder holding it, cannot go in.
    if (choice.Directory == source || choice.Directory.starts_with(source + "/"))
        return Fail(ERROR_ACCESS_DENIED);

    const FileDescriptor infoFd(
        ::open((choice.Directory + "/info").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const FileDescriptor filesFd(
        ::open((choice.Directory + "/files").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!infoFd.Valid() || !filesFd.Valid())
        return FailFromErrno();
    const std::string text = InfoText(source, choice.Base);

    for (int n = 1; n < 100000; ++n) {
        const std::string entry = n == 1 ? name : name + "." + std::to_string(n);
        const std::string infoName = entry + ".trashinfo";
        const FileDescriptor info(::openat(infoFd.Get(), infoName.c_str(),
                                           O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!info.Valid()) {
            if (errno == EEXIST)
                continue;
            return FailFromErrno();
        }
        if (!WriteAll(info.Get(), text) || ::fsync(info.Get()) != 0) {
            const int err = errno;
            ::unlinkat(infoFd.Get(), infoName.c_str(), 0);
            errno = err;
            return FailFromErrno();
        }
        if (::renameat2(AT_FDCWD, source.c_str(), filesFd.Get(), entry.c_str(), RENAME_NOREPLACE) == 0) {
            if (trashed)
                *trashed = {choice.Directory, entry};
            ::SetLastError(ERROR_SUCCESS);
            return ERROR_SUCCESS;
        }
        const int err = errno;
        ::unlinkat(infoFd.Get(), infoName.c_str(), 0);
        // A file left in files/ without its info: take the next name.
        if (err == EEXIST)
            continue;
        errno = err;
        return FailFromErrno();
    }
    return Fail(ERROR_FILE_EXISTS);
}

} // namespace shell32
