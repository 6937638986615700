#pragma once
// The framework's file routines over the Linux file system. Names are bytes
// and reach the kernel unchanged. A routine that answers false (or -1) sets
// the last error (GetLastError) from errno.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/DateTime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vcl {

// File attributes as FileGetAttr reports them.
inline constexpr int faReadOnly = 0x01;
inline constexpr int faHidden = 0x02;
inline constexpr int faSysFile = 0x04;
inline constexpr int faVolumeID = 0x08;
inline constexpr int faDirectory = 0x10;
inline constexpr int faArchive = 0x20;
inline constexpr int faSymLink = 0x40;
inline constexpr int faAnyFile = 0x3F;

// Exists and is not a folder (symbolic links are followed).
CORVANE_VCL_EXPORT bool FileExists(std::string_view fileName);
CORVANE_VCL_EXPORT bool DirectoryExists(std::string_view directory);

CORVANE_VCL_EXPORT std::string GetCurrentDir();
CORVANE_VCL_EXPORT bool SetCurrentDir(std::string_view directory);
CORVANE_VCL_EXPORT bool CreateDir(std::string_view directory);
CORVANE_VCL_EXPORT bool RemoveDir(std::string_view directory);
// Makes every missing folder of the path, walking from folder to folder
// (mkdirat/openat); true when the whole path is a folder at the end. An
// empty path raises EInOutError "Unable to create directory".
CORVANE_VCL_EXPORT bool ForceDirectories(std::string_view directory);

// Removes a file (never a folder).
CORVANE_VCL_EXPORT bool DeleteFile(std::string_view fileName);
// Renames or moves within one file system, and never replaces an existing
// newName: renameat2 with RENAME_NOREPLACE, or where the file system does not
// offer it, a hard link and unlink (files) or a checked rename (folders).
CORVANE_VCL_EXPORT bool RenameFile(std::string_view oldName, std::string_view newName);

// The modification time of a file (not a folder) in POSIX seconds, for
// FileDateToDateTime; -1 when there is no such file.
CORVANE_VCL_EXPORT std::int64_t FileAge(std::string_view fileName);
// The same to the millisecond as a local TDateTime.
CORVANE_VCL_EXPORT bool FileAge(std::string_view fileName, TDateTime& fileDateTime);
// faDirectory for folders, faReadOnly when the owner may not write,
// faHidden for names with a leading dot, faSymLink for a symbolic link
// (whose target gives the rest); -1 when the name does not exist.
CORVANE_VCL_EXPORT int FileGetAttr(std::string_view fileName);

} // namespace vcl
