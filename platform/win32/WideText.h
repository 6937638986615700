#pragma once
// Lossless conversion between byte strings (UTF-8 by convention, but file
// names may hold any bytes) and wide text (UTF-16 in char16_t).
//
// Each byte of an invalid UTF-8 sequence becomes U+DC80 + byte on the way in
// and the byte again on the way out, so every byte string survives a round
// trip. Only text meant for a person's eyes uses the display form, which shows
// U+FFFD instead.

#include "CorvanePlatformExport.h"
#include <string>
#include <string_view>

namespace win32 {

CORVANE_PLATFORM_EXPORT std::u16string BytesToWide(std::string_view bytes);
CORVANE_PLATFORM_EXPORT std::string WideToBytes(std::u16string_view wide);

// For display names: invalid bytes show as U+FFFD, one per byte.
CORVANE_PLATFORM_EXPORT std::u16string BytesToDisplayWide(std::string_view bytes);
CORVANE_PLATFORM_EXPORT std::string BytesToDisplayText(std::string_view bytes);

// Whether bytes are well-formed UTF-8 throughout, so that their display
// form is the bytes themselves.
CORVANE_PLATFORM_EXPORT bool IsValidUtf8(std::string_view bytes);

// Length (1 to 4) of the well-formed UTF-8 character at bytes[at] with its
// code point, or 0 when the bytes there are not the shortest encoding of a
// scalar value (at must lie within bytes).
CORVANE_PLATFORM_EXPORT size_t DecodeUtf8Char(std::string_view bytes, size_t at, char32_t& codePoint);
// Appends the UTF-8 encoding of a scalar value.
CORVANE_PLATFORM_EXPORT void AppendUtf8Char(std::string& out, char32_t codePoint);

// Length of the wide string at p, up to its terminating zero.
CORVANE_PLATFORM_EXPORT size_t WideLength(const char16_t* p);

} // namespace win32
