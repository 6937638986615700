// Which operating system and which common-controls library the process runs
// on: the version record read at start-up, and modules' file versions.

#include "UKwShellUtils.h"
#include "UKwShellUtils_Startup_p.h"

#include "win32/Identity.h"
#include "win32/VersionInfo.h"

#include <cstring>
#include <vector>

namespace kw {

TKwModuleVersion COMCTL32_VER = {0, 0};

namespace {

// Written once at start-up, read-only afterwards.
OSVERSIONINFOA OsVersion{};

// The size GetVersionExA is told: the record with its 128-byte service-pack text.
constexpr DWORD OsVersionRecordSize = 148;

} // namespace

namespace detail {

void ReadOsVersion()
{
    OsVersion = OSVERSIONINFOA{};
    OsVersion.dwOSVersionInfoSize = OsVersionRecordSize;
    if (!GetVersionExA(&OsVersion)) {
        OsVersion = OSVERSIONINFOA{};
        OsVersion.dwOSVersionInfoSize = OsVersionRecordSize;
    }
}

} // namespace detail

bool IsWin95()
{
    return OsVersion.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool IsOSR2OrGreater()
{
    // The 95 family keeps the major and minor version in the build number's
    // high word: only its low word is the build.
    return IsWin95() && LOWORD(OsVersion.dwBuildNumber) > 1000;
}

bool IsWinNT()
{
    return OsVersion.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool IsWin2000()
{
    return IsWinNT() && OsVersion.dwMajorVersion >= 5;
}

bool HasWin95Shell()
{
    return IsWin95() || (IsWinNT() && OsVersion.dwMajorVersion >= 4);
}

bool GetModuleVersion(const std::string& fileName, TKwModuleVersion& version)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
    if (size == 0)
        return false;
    std::vector<BYTE> buffer(size); // freed on every way out
    if (!GetFileVersionInfoA(fileName.c_str(), handle, size, buffer.data()))
        return false;
    void* root = nullptr;
    UINT rootLength = 0;
    if (!VerQueryValueA(buffer.data(), "\\", &root, &rootLength) || !root ||
        rootLength < sizeof(VS_FIXEDFILEINFO))
        return false;
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, root, sizeof fixed); // the record need not be aligned inside the buffer
    version.MS = fixed.dwFileVersionMS;
    version.LS = fixed.dwFileVersionLS;
    return true;
}

} // namespace kw
