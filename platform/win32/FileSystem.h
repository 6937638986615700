#pragma once
// File-system calls of the platform over POSIX: searching a folder, file
// attributes, folders and the current directory. Paths are byte strings of
// any length the kernel accepts; a name always fits the find record, whose
// name buffer holds NAME_MAX (255) bytes and the terminator.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <string>
#include <string_view>

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// SetErrorMode's flags (accepted; nothing here shows a system error box).
inline constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
inline constexpr UINT SEM_NOGPFAULTERRORBOX = 0x0002;
inline constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

inline constexpr int FIND_NAME_SIZE = 256; // NAME_MAX + terminator

struct CORVANE_PLATFORM_EXPORT WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime; // the birth time where the file system keeps one, else the modification time
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    char cFileName[FIND_NAME_SIZE];
    char cAlternateFileName[14]; // always empty: there are no short names
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;

// pattern: a folder path, '/', and a name that may hold the wildcards '*'
// and '?' ("*.*" matches every name); a pattern without a folder searches
// the current directory. "." and ".." are never reported. Returns a handle
// from the handle table, or INVALID_HANDLE_VALUE with the last error
// (ERROR_FILE_NOT_FOUND when nothing matches, ERROR_PATH_NOT_FOUND for a
// missing folder).
CORVANE_PLATFORM_EXPORT HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
// FALSE with ERROR_NO_MORE_FILES at the end, ERROR_INVALID_HANDLE for a
// handle that is not a live search.
CORVANE_PLATFORM_EXPORT BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data);
CORVANE_PLATFORM_EXPORT BOOL FindClose(HANDLE find);

// DIRECTORY, READONLY (from the owner's write bit, not from who asks),
// HIDDEN (a leading dot), NORMAL when none applies. A symbolic link answers
// for its target. INVALID_FILE_ATTRIBUTES with the last error on failure.
CORVANE_PLATFORM_EXPORT DWORD GetFileAttributesA(LPCSTR path);
CORVANE_PLATFORM_EXPORT BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);

// The length written without the terminator, or, when size is too small,
// the size needed with the terminator; 0 with the last error on failure
// (ERROR_PATH_NOT_FOUND when the current directory has been removed).
CORVANE_PLATFORM_EXPORT DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
CORVANE_PLATFORM_EXPORT BOOL SetCurrentDirectoryA(LPCSTR path);

// Stores the mode and returns the previous one; it has no other effect.
CORVANE_PLATFORM_EXPORT UINT SetErrorMode(UINT mode);

namespace win32 {

// Whether name matches a pattern of '*' (any run) and '?' (one byte).
CORVANE_PLATFORM_EXPORT bool MatchesWildcard(const char* pattern, const char* name);

// The current directory, the one place every layer reads it. ERROR_SUCCESS,
// or the code of the failure: ERROR_PATH_NOT_FOUND when the folder has been
// removed or lies outside the process's root. Never a made-up folder.
CORVANE_PLATFORM_EXPORT DWORD CurrentDirectory(std::string& path);
// path as it stands when absolute; else joined to the current directory
// ("." alone is the current directory itself). The code as above.
CORVANE_PLATFORM_EXPORT DWORD AbsolutePath(std::string_view path, std::string& absolute);

} // namespace win32
