#include "win32/Drives.h"

#include "win32/Errors.h"
#include "win32/FileSystem.h"
#include "win32/MountTable.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

UINT DriveTypeOf(win32::DriveKind kind)
{
    switch (kind) {
    case win32::DriveKind::Removable:
        return DRIVE_REMOVABLE;
    case win32::DriveKind::Fixed:
        return DRIVE_FIXED;
    case win32::DriveKind::Remote:
        return DRIVE_REMOTE;
    case win32::DriveKind::CdRom:
        return DRIVE_CDROM;
    case win32::DriveKind::RamDisk:
        return DRIVE_RAMDISK;
    }
    return DRIVE_UNKNOWN;
}

bool ReadDrives(std::vector<win32::Drive>& drives)
{
    if (win32::ReadUserVisibleDrives(drives))
        return true;
    win32::SetLastErrorFromErrno();
    return false;
}

void Store(PULARGE_INTEGER out, ULONGLONG value)
{
    if (out)
        out->QuadPart = value;
}

} // namespace

UINT GetDriveTypeA(LPCSTR rootPath)
{
    std::vector<win32::Drive> drives;
    if (!ReadDrives(drives))
        return DRIVE_UNKNOWN;
    if (!rootPath) {
        std::string current;
        if (win32::CurrentDirectory(current) != ERROR_SUCCESS)
            return DRIVE_NO_ROOT_DIR;
        const win32::Drive* holder = win32::FindDriveOf(drives, current);
        return holder ? DriveTypeOf(holder->Kind) : DRIVE_NO_ROOT_DIR;
    }
    const std::string root = win32::NormalizeMountPath(rootPath);
    for (const win32::Drive& drive : drives) {
        if (!root.empty() && drive.MountPoint == root)
            return DriveTypeOf(drive.Kind);
    }
    return DRIVE_NO_ROOT_DIR;
}

namespace win32 {

bool LogicalDriveRoots(std::vector<std::string>& roots)
{
    std::vector<Drive> drives;
    if (!ReadDrives(drives))
        return false;
    roots.clear();
    for (const Drive& drive : drives)
        roots.push_back(drive.MountPoint);
    return true;
}

} // namespace win32

DWORD GetLogicalDrives()
{
    std::vector<std::string> roots;
    if (!win32::LogicalDriveRoots(roots))
        return 0;
    DWORD mask = 0;
    for (size_t i = 0; i < roots.size() && i < 32; ++i)
        mask |= DWORD{1} << i;
    SetLastError(ERROR_SUCCESS);
    return mask;
}

DWORD GetLogicalDriveStringsA(DWORD bufferLength, LPSTR buffer)
{
    std::vector<std::string> roots;
    if (!win32::LogicalDriveRoots(roots))
        return 0;
    std::string list;
    for (const std::string& root : roots) {
        list += root;
        if (root != "/")
            list += '/';
        list += '\0';
    }
    // The length without the list's final zero must fit a DWORD.
    if (list.size() + 1 > 0xFFFFFFFFu) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    const auto needed = static_cast<DWORD>(list.size() + 1);
    if (!buffer || bufferLength < needed)
        return needed;
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return needed - 1;
}

BOOL GetDiskFreeSpaceExA(LPCSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                         PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes)
{
    if (directoryName && !*directoryName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string path;
    if (const DWORD error = win32::AbsolutePath(directoryName ? directoryName : ".", path);
        error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    win32::DriveSpace space;
    if (!win32::CurrentMountSource()->QuerySpace(path, space)) {
        win32::SetLastErrorFromErrno();
        return FALSE;
    }
    Store(freeBytesAvailableToCaller, space.AvailableToCaller);
    Store(totalNumberOfBytes, space.Total);
    Store(totalNumberOfFreeBytes, space.Free);
    return TRUE;
}
