#include "win32/WideText.h"

#include <cstdint>
#include <cstring>

namespace win32 {
namespace {

constexpr char16_t kEscapeBase = 0xDC80;
constexpr char16_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

template <bool Display>
std::u16string Decode(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp;
        if (const size_t len = DecodeUtf8Char(bytes, i, cp)) {
            AppendUtf16(out, cp);
            i += len;
        } else {
            out.push_back(
                Display ? kReplacement
                        : static_cast<char16_t>(kEscapeBase - 0x80 + static_cast<unsigned char>(bytes[i])));
            ++i;
        }
    }
    return out;
}

} // namespace

size_t DecodeUtf8Char(std::string_view s, size_t i, char32_t& cp)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t len;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

bool IsValidUtf8(std::string_view bytes)
{
    // Names are mostly ASCII: eight bytes at a time until a byte with its
    // high bit set, which is read as a character.
    for (size_t i = 0; i < bytes.size();) {
        if (i + 8 <= bytes.size()) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + i, 8);
            if ((word & 0x8080'8080'8080'8080ull) == 0) {
                i += 8;
                continue;
            }
        }
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t cp;
        const size_t length = DecodeUtf8Char(bytes, i, cp);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

void AppendUtf8Char(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::u16string BytesToWide(std::string_view bytes)
{
    return Decode<false>(bytes);
}

std::u16string BytesToDisplayWide(std::string_view bytes)
{
    return Decode<true>(bytes);
}

std::string BytesToDisplayText(std::string_view bytes)
{
    return WideToBytes(BytesToDisplayWide(bytes));
}

std::string WideToBytes(std::u16string_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        const char16_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            AppendUtf8Char(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
            ++i;
        } else if (c >= kEscapeBase && c <= kEscapeBase + 0x7F) {
            // An escaped byte of an invalid sequence: the byte itself.
            out.push_back(static_cast<char>(c - kEscapeBase + 0x80));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            AppendUtf8Char(out, kReplacement); // a lone surrogate we did not make
        } else {
            AppendUtf8Char(out, c);
        }
    }
    return out;
}

size_t WideLength(const char16_t* p)
{
    size_t n = 0;
    if (p)
        while (p[n])
            ++n;
    return n;
}

} // namespace win32
