#pragma once
// Test-only control over the platform identity and the code page's lead bytes.
// Only tests call these, and never while other threads read the identity in a
// way that must see one value throughout.

#include "CorvanePlatformExport.h"
#include "win32/Identity.h"

#include <initializer_list>
#include <string_view>

namespace win32::testing {

// The identity every program starts with (NT 5.0.2195, common controls 5.81).
CORVANE_PLATFORM_EXPORT PlatformIdentity DefaultIdentity();

CORVANE_PLATFORM_EXPORT void SetIdentity(const PlatformIdentity& identity);
CORVANE_PLATFORM_EXPORT void ResetIdentity();

// Convenience for the fields tests change most: the CSD text is cut to 127 bytes.
CORVANE_PLATFORM_EXPORT void SetCsdVersion(PlatformIdentity& identity, std::string_view text);

struct CORVANE_PLATFORM_EXPORT LeadByteRange {
    BYTE first;
    BYTE last; // inclusive
};

// Makes codePage current, with the given lead-byte ranges (for Shift-JIS-like
// text: 932 with {0x81, 0x9F} and {0xE0, 0xFC}).
CORVANE_PLATFORM_EXPORT void SetLeadByteRanges(UINT codePage, std::initializer_list<LeadByteRange> ranges);
// Back to UTF-8 with no lead bytes.
CORVANE_PLATFORM_EXPORT void ResetLeadByteRanges();

} // namespace win32::testing
