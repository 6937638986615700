#pragma once
// Version resources of the stand-in modules. GetFileVersionInfoA copies a
// module's version block into the caller's buffer; the block is
// self-contained, and VerQueryValueA reads only inside it (after checking its
// shape) and returns pointers into it. Files that are not stand-in modules
// carry no version resource, whether or not they exist.
//
// Sub-blocks: "\" is the fixed record, "\VarFileInfo\Translation" the language
// and code page pairs, "\StringFileInfo\040904B0\<name>" the 8-bit texts
// FileVersion, ProductVersion, InternalName and OriginalFilename.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

struct CORVANE_PLATFORM_EXPORT VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
constexpr DWORD VS_FFI_FILEFLAGSMASK = 0x0000003F;
constexpr DWORD VOS_NT_WINDOWS32 = 0x00040004;
constexpr DWORD VFT_UNKNOWN = 0;
constexpr DWORD VFT_APP = 1;
constexpr DWORD VFT_DLL = 2;
constexpr DWORD VFT2_UNKNOWN = 0;

// Size of the file's version block; 0 with ERROR_RESOURCE_TYPE_NOT_FOUND when
// it has none. *handle (optional) is set to 0.
CORVANE_PLATFORM_EXPORT DWORD GetFileVersionInfoSizeA(LPCSTR fileName, DWORD* handle);

// Copies the block into data; FALSE with ERROR_INSUFFICIENT_BUFFER (nothing
// written) when len is smaller than the size, ERROR_RESOURCE_TYPE_NOT_FOUND
// when the file has no version resource. handle is ignored.
CORVANE_PLATFORM_EXPORT BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD len, LPVOID data);

// Finds a value inside a block from GetFileVersionInfoA. FALSE (with *buffer
// NULL and *len 0) for a block that is not one, for an unknown sub-block, and
// for a block whose parts do not fit inside its declared length. For a text
// *len counts bytes with the terminator, otherwise bytes.
CORVANE_PLATFORM_EXPORT BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* len);
