#include "win32/Identity.h"
#include "win32/Errors.h"
#include "win32/IdentityTesting.h"

#include <algorithm>
#include <atomic>
#include <bitset>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using win32::PlatformIdentity;

constinit const PlatformIdentity kDefaultIdentity{};

struct CodePage {
    UINT number = CP_UTF8;
    std::bitset<256> leadBytes;
};

constinit const CodePage kUtf8{};

// Readers load one pointer; a test that sets a new value publishes a fresh
// immutable snapshot and keeps the old ones alive until the process ends, so
// a reference handed out earlier never dangles.
constinit std::atomic<const PlatformIdentity*> g_identity{&kDefaultIdentity};
constinit std::atomic<const CodePage*> g_codePage{&kUtf8};

struct Retired {
    std::mutex Mutex;
    std::vector<std::unique_ptr<const PlatformIdentity>> Identities;
    std::vector<std::unique_ptr<const CodePage>> CodePages;
};

Retired& Snapshots()
{
    // Never destroyed: a reference to a snapshot stays good until the very end.
    static Retired& retired = *new Retired;
    return retired;
}

const CodePage& CurrentCodePage()
{
    return *g_codePage.load(std::memory_order_acquire);
}

bool IsCurrentCodePage(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ||
           codePage == CurrentCodePage().number;
}

} // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info)
{
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD size = info->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA)) {
        SetLastError(size < sizeof(OSVERSIONINFOA) ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const PlatformIdentity& id = win32::CurrentIdentity();
    info->dwMajorVersion = id.majorVersion;
    info->dwMinorVersion = id.minorVersion;
    info->dwBuildNumber = id.buildNumber;
    info->dwPlatformId = id.platformId;
    std::memcpy(info->szCSDVersion, id.csdVersion, sizeof info->szCSDVersion);
    info->szCSDVersion[sizeof info->szCSDVersion - 1] = '\0';
    if (size == sizeof(OSVERSIONINFOEXA)) {
        auto* ex = static_cast<OSVERSIONINFOEXA*>(info);
        ex->wServicePackMajor = 0;
        ex->wServicePackMinor = 0;
        ex->wSuiteMask = 0;
        ex->wProductType = VER_NT_WORKSTATION;
        ex->wReserved = 0;
    }
    return TRUE;
}

DWORD GetVersion()
{
    const PlatformIdentity& id = win32::CurrentIdentity();
    const DWORD low = (id.majorVersion & 0xFF) | ((id.minorVersion & 0xFF) << 8);
    if (id.platformId == VER_PLATFORM_WIN32_NT)
        return low | ((id.buildNumber & 0x7FFF) << 16);
    return low | 0x80000000u;
}

UINT GetACP()
{
    return CurrentCodePage().number;
}

UINT GetOEMCP()
{
    return CurrentCodePage().number;
}

BOOL IsDBCSLeadByte(BYTE value)
{
    return CurrentCodePage().leadBytes.test(value) ? TRUE : FALSE;
}

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE value)
{
    if (!IsCurrentCodePage(codePage))
        return FALSE;
    return IsDBCSLeadByte(value);
}

namespace win32 {

const PlatformIdentity& CurrentIdentity()
{
    return *g_identity.load(std::memory_order_acquire);
}

} // namespace win32

namespace win32::testing {

PlatformIdentity DefaultIdentity()
{
    return kDefaultIdentity;
}

void SetIdentity(const PlatformIdentity& identity)
{
    auto snapshot = std::make_unique<PlatformIdentity>(identity);
    snapshot->csdVersion[sizeof snapshot->csdVersion - 1] = '\0';
    Retired& retired = Snapshots();
    std::lock_guard lock(retired.Mutex);
    // Kept first, published second: a snapshot readers can see is never freed,
    // even when keeping it runs out of memory.
    const PlatformIdentity* published = snapshot.get();
    retired.Identities.push_back(std::move(snapshot));
    g_identity.store(published, std::memory_order_release);
}

void ResetIdentity()
{
    g_identity.store(&kDefaultIdentity, std::memory_order_release);
}

void SetCsdVersion(PlatformIdentity& identity, std::string_view text)
{
    const std::size_t n = std::min(text.size(), sizeof identity.csdVersion - 1);
    std::memset(identity.csdVersion, 0, sizeof identity.csdVersion);
    std::memcpy(identity.csdVersion, text.data(), n);
}

void SetLeadByteRanges(UINT codePage, std::initializer_list<LeadByteRange> ranges)
{
    auto snapshot = std::make_unique<CodePage>();
    snapshot->number = codePage;
    for (const LeadByteRange& range : ranges)
        for (unsigned b = range.first; b <= range.last; ++b)
            snapshot->leadBytes.set(b);
    Retired& retired = Snapshots();
    std::lock_guard lock(retired.Mutex);
    const CodePage* published = snapshot.get();
    retired.CodePages.push_back(std::move(snapshot));
    g_codePage.store(published, std::memory_order_release);
}

void ResetLeadByteRanges()
{
    g_codePage.store(&kUtf8, std::memory_order_release);
}

} // namespace win32::testing
