#pragma once
// Which system the stand-ins say they are: by default an NT-family system,
// version 5.0 build 2195, common controls 5.81 and the shell to match, so that
// every version test of the system's code takes its modern branch. Tests can
// choose another identity (IdentityTesting.h) to reach the other branches.
//
// The code page is UTF-8 and by default no byte is a lead byte; a test can
// make a double-byte code page current to exercise the byte-wise helpers.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct CORVANE_PLATFORM_EXPORT OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148, "the system's code sets this size");

struct CORVANE_PLATFORM_EXPORT OSVERSIONINFOEXA : OSVERSIONINFOA {
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};
static_assert(sizeof(OSVERSIONINFOEXA) == 156);

constexpr BYTE VER_NT_WORKSTATION = 1;

// Fills the record, whose size field must say 148 (OSVERSIONINFOA) or 156
// (OSVERSIONINFOEXA); any other size fails with ERROR_INSUFFICIENT_BUFFER
// (smaller) or ERROR_INVALID_PARAMETER (larger), NULL with
// ERROR_INVALID_PARAMETER.
CORVANE_PLATFORM_EXPORT BOOL GetVersionExA(OSVERSIONINFOA* info);

// Packed form: major version in the low byte, minor in the next; the high
// word holds the build number on NT and has its top bit set elsewhere.
CORVANE_PLATFORM_EXPORT DWORD GetVersion();

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;

// The current code page (CP_UTF8 unless a test made another current).
CORVANE_PLATFORM_EXPORT UINT GetACP();
CORVANE_PLATFORM_EXPORT UINT GetOEMCP();

// Whether the byte starts a double-byte character in the current code page.
CORVANE_PLATFORM_EXPORT BOOL IsDBCSLeadByte(BYTE value);
// The same for a given code page: CP_ACP, CP_OEMCP, CP_THREAD_ACP and the
// current code page's number use the current table; CP_UTF8 and every other
// code page have no lead bytes.
CORVANE_PLATFORM_EXPORT BOOL IsDBCSLeadByteEx(UINT codePage, BYTE value);

namespace win32 {

// Everything the stand-ins report about the system and its libraries.
struct CORVANE_PLATFORM_EXPORT PlatformIdentity {
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD majorVersion = 5;
    DWORD minorVersion = 0;
    // As the system reports it: the 95 family packs major and minor version
    // into the high word (4.0.1111 is 0x04000457).
    DWORD buildNumber = 2195;
    char csdVersion[128] = {};
    // File versions of comctl32.dll and shell32.dll (high half: major << 16 |
    // minor; low half: build << 16 | revision).
    DWORD commonControlsMS = 0x00050051; // 5.81
    DWORD commonControlsLS = 0x13340190; // build 4916.400
    DWORD shellMS = 0x00050000;          // 5.0
    DWORD shellLS = 0x08930000;          // build 2195.0
};

// The identity in force. Cheap, and safe from any thread: the reference stays
// valid for the life of the process even if a test sets another identity.
CORVANE_PLATFORM_EXPORT const PlatformIdentity& CurrentIdentity();

} // namespace win32
