#include "win32/Errors.h"

#include <cerrno>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

} // namespace

void SetLastError(DWORD error)
{
    t_lastError = error;
}

DWORD GetLastError()
{
    return t_lastError;
}

namespace win32 {

DWORD ErrorFromErrno(int err)
{
    switch (err) {
    case 0:
        return ERROR_SUCCESS;
    case EPERM:
    case EACCES:
        return ERROR_ACCESS_DENIED;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        // A component of the path is not a folder: the path, not the file, is missing.
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case EISDIR:
        // Writing to, unlinking or replacing a folder as if it were a file:
        // the platform refuses those with access denied.
        return ERROR_ACCESS_DENIED;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EBUSY:
        return ERROR_BUSY;
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case EINVAL:
    case EDOM:
        return ERROR_INVALID_PARAMETER;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENOBUFS:
        return ERROR_NO_SYSTEM_RESOURCES;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EFAULT:
        return ERROR_NOACCESS;
    case ELOOP:
        return ERROR_CANT_RESOLVE_FILENAME;
    case EMLINK:
        return ERROR_TOO_MANY_LINKS;
    case EFBIG:
        return ERROR_FILE_TOO_LARGE;
    case EOVERFLOW:
        return ERROR_ARITHMETIC_OVERFLOW;
    case ERANGE:
        // What getcwd, readlink and friends say when the buffer is too small.
        return ERROR_INSUFFICIENT_BUFFER;
    case ESPIPE:
        return ERROR_SEEK_ON_DEVICE;
    case EPIPE:
        return ERROR_BROKEN_PIPE;
    case EIO:
        return ERROR_IO_DEVICE;
    case ENXIO:
    case ENODEV:
        return ERROR_BAD_UNIT;
    case ENOMEDIUM:
        return ERROR_NOT_READY;
    case ENOEXEC:
        return ERROR_BAD_FORMAT;
    case ECHILD:
        return ERROR_WAIT_NO_CHILDREN;
    case EAGAIN:
        return ERROR_RETRY;
    case EINTR:
    case ECANCELED:
        return ERROR_OPERATION_ABORTED;
    case EDEADLK:
        return ERROR_POSSIBLE_DEADLOCK;
    case ENOLCK:
        return ERROR_LOCK_VIOLATION;
    case ENOTTY:
        return ERROR_INVALID_FUNCTION;
    case ENOSYS:
        return ERROR_CALL_NOT_IMPLEMENTED;
    case EOPNOTSUPP:
        return ERROR_NOT_SUPPORTED;
    case ETIMEDOUT:
        return ERROR_TIMEOUT;
    case EILSEQ:
        return ERROR_NO_UNICODE_TRANSLATION;
    case ESTALE:
        return ERROR_FILE_INVALID;
    case EUCLEAN:
        return ERROR_FILE_CORRUPT;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case EHOSTDOWN:
        return ERROR_BAD_NETPATH;
    case ECONNREFUSED:
        return ERROR_CONNECTION_REFUSED;
    case ECONNRESET:
    case ECONNABORTED:
        return ERROR_NETNAME_DELETED;
    case ENOTCONN:
        return ERROR_DEVICE_NOT_CONNECTED;
    default:
        return ERROR_GEN_FAILURE;
    }
}

DWORD SetLastErrorFromErrno()
{
    const int saved = errno;
    const DWORD code = ErrorFromErrno(saved);
    SetLastError(code);
    errno = saved;
    return code;
}

namespace {

// Whether the folder that holds path's last component is a folder.
bool ParentIsFolder(const char* path)
{
    std::string_view name = path;
    while (name.size() > 1 && name.back() == '/')
        name.remove_suffix(1);
    const std::size_t slash = name.rfind('/');
    const std::string parent(slash == std::string_view::npos ? std::string_view(".")
                                                             : name.substr(0, slash == 0 ? 1 : slash));
    struct stat info {};
    return ::stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

DWORD ErrorFromPathErrno(int err, const char* path, PathUse use)
{
    if (!path || !*path)
        return ErrorFromErrno(err);
    if (err == ENOENT) {
        // Making a name fails so only when its folder is missing.
        if (use == PathUse::New)
            return ERROR_PATH_NOT_FOUND;
        return ParentIsFolder(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    if (err == ENOTDIR && use == PathUse::Folder) {
        struct stat info {};
        if (::stat(path, &info) == 0 && !S_ISDIR(info.st_mode))
            return ERROR_DIRECTORY;
    }
    return ErrorFromErrno(err);
}

DWORD SetLastErrorFromPathErrno(const char* path, PathUse use)
{
    const int saved = errno;
    const DWORD code = ErrorFromPathErrno(saved, path, use);
    SetLastError(code);
    errno = saved;
    return code;
}

HRESULT HResultFromErrno(int err)
{
    if (err == 0)
        return S_OK;
    if (err == ENOMEM)
        return E_OUTOFMEMORY;
    return HRESULT_FROM_WIN32(ErrorFromErrno(err));
}

} // namespace win32
