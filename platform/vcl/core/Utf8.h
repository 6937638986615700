#pragma once
// UTF-8 sequence checks for the byte-wise text routines (not for users).
// The codec itself is the platform's (win32/WideText.h).

#include "vcl/CorvaneVclExport.h"
#include "win32/WideText.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vcl::detail {

// Length (1 to 4) of the well-formed UTF-8 character at s[i] with its code
// point, or 0 when the bytes there are not one.
inline size_t Utf8CharAt(std::string_view s, size_t i, char32_t& codePoint)
{
    return win32::DecodeUtf8Char(s, i, codePoint);
}

// The longest prefix of s of at most maxBytes bytes that does not end inside
// a well-formed character.
CORVANE_VCL_EXPORT size_t Utf8CutPoint(std::string_view s, size_t maxBytes);

inline void AppendUtf8(std::string& out, char32_t codePoint)
{
    win32::AppendUtf8Char(out, codePoint);
}

} // namespace vcl::detail
