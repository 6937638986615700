#pragma once
// Lossless conversion between byte strings (UTF-8 by convention, but file
// names may hold any bytes) and wide text (UTF-16 in char16_t).
//
// Each byte of an invalid UTF-8 sequence becomes U+DC80 + byte on the way in
// and the byte again on the way out, so every byte string survives a round
// trip. Only text meant for a person's eyes uses the display form, which shows
// U+FFFD instead.

#include <string>
#include <string_view>

namespace win32 {

std::u16string BytesToWide(std::string_view bytes);
std::string WideToBytes(std::u16string_view wide);

// For display names: invalid bytes show as U+FFFD, one per byte.
std::u16string BytesToDisplayWide(std::string_view bytes);
std::string BytesToDisplayText(std::string_view bytes);

// Length of the wide string at p, up to its terminating zero.
size_t WideLength(const char16_t* p);

} // namespace win32
