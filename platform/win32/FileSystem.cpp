#include "win32/FileSystem.h"

#include "win32/Errors.h"
#include "win32/HandleTable.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

namespace {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochDifference = 116444736000000000;

FILETIME ToFileTime(std::int64_t seconds, std::uint32_t nanoseconds)
{
    const std::uint64_t ticks =
        static_cast<std::uint64_t>(seconds * 10000000 + nanoseconds / 100 + kEpochDifference);
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

DWORD AttributesOf(std::uint32_t mode, const char* name)
{
    DWORD attributes = 0;
    if (S_ISDIR(mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(mode & S_IWUSR))
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

const char* LastComponent(const std::string& path)
{
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/')
        --end;
    const std::size_t slash = path.rfind('/', end - 1);
    return path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

// Fills data for name below dir; false when it vanished meanwhile.
bool FillFindData(int dir, const char* name, WIN32_FIND_DATAA* data)
{
    const std::size_t length = std::strlen(name);
    if (length >= static_cast<std::size_t>(FIND_NAME_SIZE))
        return false; // cannot happen on Linux (NAME_MAX); never cut a name
    struct statx sx {};
    const unsigned mask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_ATIME | STATX_BTIME;
    if (statx(dir, name, AT_STATX_SYNC_AS_STAT, mask, &sx) != 0 &&
        statx(dir, name, AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT, mask, &sx) != 0)
        return false;
    std::memset(data, 0, sizeof *data);
    data->dwFileAttributes = AttributesOf(sx.stx_mode, name);
    data->ftLastWriteTime = ToFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    data->ftLastAccessTime = ToFileTime(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
    data->ftCreationTime = (sx.stx_mask & STATX_BTIME) ? ToFileTime(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                                                       : data->ftLastWriteTime;
    const std::uint64_t size = S_ISDIR(sx.stx_mode) ? 0 : sx.stx_size;
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
    std::memcpy(data->cFileName, name, length + 1);
    return true;
}

struct FindState {
    std::mutex mutex;
    DIR* dir = nullptr;
    std::string pattern;
    ~FindState()
    {
        if (dir)
            closedir(dir);
    }
    // The next matching entry; false at the end.
    bool Next(WIN32_FIND_DATAA* data)
    {
        std::lock_guard lock(mutex);
        while (dirent* entry = readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            if (!win32::MatchesWildcard(pattern.c_str(), entry->d_name))
                continue;
            if (FillFindData(dirfd(dir), entry->d_name, data))
                return true;
        }
        return false;
    }
};

using FindTable = win32::HandleTable<HANDLE, std::shared_ptr<FindState>>;

FindTable& Searches()
{
    static FindTable table(win32::HandleKind::FindFile);
    return table;
}

std::atomic<UINT> g_errorMode{0};

} // namespace

namespace win32 {

bool MatchesWildcard(const char* pattern, const char* name)
{
    if (std::strcmp(pattern, "*.*") == 0)
        return true;
    // Greedy match with one backtrack point: linear in practice.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || *pattern == *name) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

DWORD CurrentDirectory(std::string& path)
{
    std::string buffer(256, '\0');
    while (!::getcwd(buffer.data(), buffer.size())) {
        const int err = errno;
        if (err == ENOENT)
            return ERROR_PATH_NOT_FOUND; // removed while we stood in it
        if (err != ERANGE)
            return ErrorFromErrno(err);
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    // Older C libraries hand back "(unreachable)/..." for a folder outside the root.
    if (buffer.empty() || buffer.front() != '/')
        return ERROR_PATH_NOT_FOUND;
    path = std::move(buffer);
    return ERROR_SUCCESS;
}

DWORD AbsolutePath(std::string_view path, std::string& absolute)
{
    if (!path.empty() && path.front() == '/') {
        absolute.assign(path);
        return ERROR_SUCCESS;
    }
    std::string current;
    if (const DWORD error = CurrentDirectory(current); error != ERROR_SUCCESS)
        return error;
    if (!path.empty() && path != ".") {
        if (current.back() != '/')
            current.push_back('/');
        current.append(path);
    }
    absolute = std::move(current);
    return ERROR_SUCCESS;
}

} // namespace win32

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data)
{
    if (!pattern || !data || !*pattern) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string text = pattern;
    const std::size_t slash = text.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : text.substr(0, slash));
    const std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
    if (name.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (name.size() >= static_cast<std::size_t>(FIND_NAME_SIZE)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    auto state = std::make_shared<FindState>();
    state->pattern = name;
    state->dir = opendir(folder.c_str());
    if (!state->dir) {
        const int err = errno;
        SetLastError(err == ENOENT || err == ENOTDIR ? ERROR_PATH_NOT_FOUND : win32::ErrorFromErrno(err));
        return INVALID_HANDLE_VALUE;
    }
    if (!state->Next(data)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = Searches().Insert(std::move(state));
    if (!handle) {
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data)
{
    std::shared_ptr<FindState> state;
    if (!data || !Searches().Read(find, [&](const std::shared_ptr<FindState>& held) { state = held; })) {
        SetLastError(data ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!state->Next(data)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

BOOL FindClose(HANDLE find)
{
    if (!Searches().Remove(find)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR path)
{
    if (!path || !*path) {
        SetLastError(path ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st {};
    if (::stat(path, &st) != 0 && ::lstat(path, &st) != 0) {
        win32::SetLastErrorFromPathErrno(path, win32::PathUse::Existing);
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(st.st_mode, LastComponent(path));
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES)
{
    if (!path || !*path) {
        SetLastError(path ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (::mkdir(path, 0777) != 0) {
        win32::SetLastErrorFromPathErrno(path, win32::PathUse::New);
        return FALSE;
    }
    return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer)
{
    std::string current;
    if (const DWORD error = win32::CurrentDirectory(current); error != ERROR_SUCCESS) {
        SetLastError(error);
        return 0;
    }
    const std::size_t length = current.size();
    if (!buffer || length + 1 > size)
        return static_cast<DWORD>(length + 1);
    std::memcpy(buffer, current.c_str(), length + 1);
    return static_cast<DWORD>(length);
}

BOOL SetCurrentDirectoryA(LPCSTR path)
{
    if (!path || !*path) {
        SetLastError(path ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (::chdir(path) != 0) {
        win32::SetLastErrorFromPathErrno(path, win32::PathUse::Folder);
        return FALSE;
    }
    return TRUE;
}

UINT SetErrorMode(UINT mode)
{
    return g_errorMode.exchange(mode);
}
