#include "shell32/NaturalOrder.h"

#include <QChar>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace shell32 {

namespace {

// One code point of UTF-8 at pos, advancing pos. An invalid byte yields
// U+DC80 + byte, as the wide-text codec does.
char32_t NextCodePoint(std::string_view s, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
        minimum = 0x10000;
    }
    if (length == 0 || pos + length > s.size()) {
        ++pos;
        return 0xDC00 + lead;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char c = byte(pos + i);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return 0xDC00 + lead;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return 0xDC00 + lead;
    }
    pos += length;
    return cp;
}

char32_t Fold(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
    return QChar::toCaseFolded(c);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Compares the digit runs [aPos, aEnd) and [bPos, bEnd) by value.
int CompareDigitRuns(std::string_view a, std::size_t aPos, std::size_t aEnd, std::string_view b,
                     std::size_t bPos, std::size_t bEnd)
{
    while (aPos < aEnd && a[aPos] == '0')
        ++aPos;
    while (bPos < bEnd && b[bPos] == '0')
        ++bPos;
    const std::size_t aLength = aEnd - aPos;
    const std::size_t bLength = bEnd - bPos;
    if (aLength != bLength)
        return aLength < bLength ? -1 : 1;
    for (; aPos < aEnd; ++aPos, ++bPos)
        if (a[aPos] != b[bPos])
            return a[aPos] < b[bPos] ? -1 : 1;
    return 0;
}

// Length of the bytes a and b share, eight at a time.
std::size_t CommonPrefix(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (const std::uint64_t diff = x ^ y) {
            const int bits =
                std::endian::native == std::endian::little ? std::countr_zero(diff) : std::countl_zero(diff);
            return i + static_cast<std::size_t>(bits / 8);
        }
    }
    while (i < n && a[i] == b[i])
        ++i;
    return i;
}

} // namespace

int CompareNamesNatural(std::string_view a, std::string_view b, bool tieByBytes)
{
    // Identical bytes read as identical characters and digit runs, so the
    // comparison starts where the names part, stepped back to the start of
    // what is read there as one: the digit run, or the character whose
    // first byte (never a continuation byte, so one that starts what is
    // read) lies up to three continuation bytes back. Further back the
    // bytes were read alike in both names.
    std::size_t i = CommonPrefix(a, b);
    if (i == a.size() && i == b.size())
        return 0;
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(a[k]); };
    if (i > 0 && IsDigit(a[i - 1])) {
        while (i > 0 && IsDigit(a[i - 1]))
            --i;
    } else {
        std::size_t k = i;
        while (k > 0 && i - k < 3 && (at(k - 1) & 0xC0) == 0x80)
            --k;
        if (k > 0 && at(k - 1) >= 0xC0)
            i = k - 1;
    }
    std::size_t j = i;
    while (i < a.size() && j < b.size()) {
        // Most names are mostly ASCII letters and marks: those compare here.
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[j]);
        if (x < 0x80 && y < 0x80 && !IsDigit(static_cast<char>(x)) && !IsDigit(static_cast<char>(y))) {
            if (x != y) {
                const char32_t fx = Fold(x);
                const char32_t fy = Fold(y);
                if (fx != fy)
                    return fx < fy ? -1 : 1;
            }
            ++i;
            ++j;
            continue;
        }
        const bool aDigit = IsDigit(a[i]);
        const bool bDigit = IsDigit(b[j]);
        if (aDigit && bDigit) {
            std::size_t aEnd = i;
            while (aEnd < a.size() && IsDigit(a[aEnd]))
                ++aEnd;
            std::size_t bEnd = j;
            while (bEnd < b.size() && IsDigit(b[bEnd]))
                ++bEnd;
            if (const int c = CompareDigitRuns(a, i, aEnd, b, j, bEnd))
                return c;
            i = aEnd;
            j = bEnd;
            continue;
        }
        // A digit run orders as the character '0' against anything else,
        // which keeps the order transitive.
        const char32_t ca = aDigit ? U'0' : Fold(NextCodePoint(a, i));
        const char32_t cb = bDigit ? U'0' : Fold(NextCodePoint(b, j));
        if (aDigit)
            while (i < a.size() && IsDigit(a[i]))
                ++i;
        if (bDigit)
            while (j < b.size() && IsDigit(b[j]))
                ++j;
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    if (!tieByBytes)
        return 0;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace shell32
