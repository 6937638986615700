#pragma once
// Drives as the system's code asks for them. A drive root is a mount point
// of a user-visible drive (see win32/MountTable.h), "/" always among them;
// there are no letters, so the logical-drive mask numbers the roots in the
// order GetLogicalDriveStringsA lists them.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <string>
#include <vector>

constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_REMOTE = 4;
constexpr UINT DRIVE_CDROM = 5;
constexpr UINT DRIVE_RAMDISK = 6;

// The type of the drive whose root is rootPath (a trailing slash is
// allowed); DRIVE_NO_ROOT_DIR for any other path, DRIVE_UNKNOWN when the
// mount table cannot be read. A null rootPath asks for the drive that holds
// the current directory.
CORVANE_PLATFORM_EXPORT UINT GetDriveTypeA(LPCSTR rootPath);

// Bit i is set for the i-th drive root, for the first 32 of them; 0 (with
// the last error set) when the mount table cannot be read.
CORVANE_PLATFORM_EXPORT DWORD GetLogicalDrives();

// The drive roots, each ending in '/' and a zero, the whole ended by one
// more zero. Returns the characters written without the final zero, or,
// when bufferLength is too small, the length needed including it (the
// buffer untouched); 0 with the last error set on failure.
CORVANE_PLATFORM_EXPORT DWORD GetLogicalDriveStringsA(DWORD bufferLength, LPSTR buffer);

// Sizes of the file system that holds directoryName (any folder on it; null
// for the current directory). Each out-parameter may be null.
CORVANE_PLATFORM_EXPORT BOOL GetDiskFreeSpaceExA(LPCSTR directoryName,
                                                 PULARGE_INTEGER freeBytesAvailableToCaller,
                                                 PULARGE_INTEGER totalNumberOfBytes,
                                                 PULARGE_INTEGER totalNumberOfFreeBytes);

namespace win32 {

// The drive roots without their trailing slash ("/" stays "/"), in the
// order of the mask; false with the last error set when the table cannot be read.
CORVANE_PLATFORM_EXPORT bool LogicalDriveRoots(std::vector<std::string>& roots);

} // namespace win32
