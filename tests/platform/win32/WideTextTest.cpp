// The lossless codec between byte strings and wide text: every byte string
// comes back as it went in, well-formed UTF-8 becomes real UTF-16, and only
// the display form gives up bytes for U+FFFD.

#include "win32/WideText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string Hex(const std::string& bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
        out += ' ';
    }
    return out;
}

bool RoundTrips(const std::string& bytes)
{
    return win32::WideToBytes(win32::BytesToWide(bytes)) == bytes;
}

TEST(WideText, EveryByteStringRoundTrips)
{
    EXPECT_TRUE(RoundTrips(""));

    // Every string of one and two bytes.
    std::string two(2, '\0');
    for (unsigned v = 0; v < 0x10000; ++v) {
        two[0] = static_cast<char>(v & 0xFF);
        two[1] = static_cast<char>(v >> 8);
        ASSERT_TRUE(RoundTrips(two.substr(0, 1))) << Hex(two.substr(0, 1));
        ASSERT_TRUE(RoundTrips(two)) << Hex(two);
    }

    // Every string of up to four bytes drawn from the bytes where UTF-8 draws
    // its lines: ASCII, continuation bytes, lead bytes of each length,
    // overlong and surrogate and out-of-range leads, bytes that never occur.
    const unsigned char edges[] = {0x00, 0x2F, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2,
                                   0xDF, 0xE0, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF3, 0xF4, 0xF5, 0xF8, 0xFF};
    constexpr size_t n = sizeof edges;
    std::string s;
    for (size_t length = 3; length <= 4; ++length) {
        s.assign(length, '\0');
        size_t combinations = 1;
        for (size_t k = 0; k < length; ++k)
            combinations *= n;
        for (size_t c = 0; c < combinations; ++c) {
            size_t rest = c;
            for (size_t k = 0; k < length; ++k, rest /= n)
                s[k] = static_cast<char>(edges[rest % n]);
            ASSERT_TRUE(RoundTrips(s)) << Hex(s);
        }
    }

    // Longer strings: valid characters of every length mixed with stray bytes.
    const std::string pieces[] = {"a",        "/",    "\xC3\xA4",        "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                  "\x80",     "\xC3", "\xE2\x82",        "\xF0\x9F\x98", "\xED\xA0\x80",
                                  "\xC0\xAF", "\xFF", "\xF4\x90\x80\x80"};
    std::mt19937 random(1234);
    for (int i = 0; i < 20000; ++i) {
        s.clear();
        for (int k = static_cast<int>(random() % 12); k > 0; --k)
            s += pieces[random() % std::size(pieces)];
        ASSERT_TRUE(RoundTrips(s)) << Hex(s);
    }
}

TEST(WideText, WellFormedTextIsRealUtf16AndStrayBytesAreEscaped)
{
    EXPECT_EQ(win32::BytesToWide("a\xC3\xA4\xE2\x82\xAC"), u"a\u00E4\u20AC");
    EXPECT_EQ(win32::BytesToWide("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(win32::WideToBytes(u"\U0001F600"), "\xF0\x9F\x98\x80");

    // Each byte of an invalid sequence stands alone as U+DC80 + (byte - 0x80).
    EXPECT_EQ(win32::BytesToWide("\xFF"), std::u16string(1, u'\xDCFF'));
    EXPECT_EQ(win32::BytesToWide("\x80x"), u"\xDC80x");
    // Overlong, surrogate and beyond-Unicode encodings are not characters.
    EXPECT_EQ(win32::BytesToWide("\xC0\xAF"), u"\xDCC0\xDCAF");
    EXPECT_EQ(win32::BytesToWide("\xED\xA0\x80"), u"\xDCED\xDCA0\xDC80");
    EXPECT_EQ(win32::BytesToWide("\xF4\x90\x80\x80"), u"\xDCF4\xDC90\xDC80\xDC80");
    // A sequence cut short: its lead byte is escaped, the next character kept.
    EXPECT_EQ(win32::BytesToWide("\xE2\x82z"), u"\xDCE2\xDC82z");

    // Only wide text we did not make can hold a lone surrogate outside the
    // escape range: it becomes U+FFFD, never a byte sequence of its own.
    EXPECT_EQ(win32::WideToBytes(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
    EXPECT_EQ(win32::WideToBytes(std::u16string(1, u'\xDC00')), "\xEF\xBF\xBD");
    EXPECT_EQ(win32::WideToBytes(std::u16string{u'\xD83D', u'x'}), "\xEF\xBF\xBDx");
}

TEST(WideText, ValidUtf8IsItsOwnDisplayForm)
{
    struct Case {
        const char* bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"plain ascii name.txt", true},
        {"eight by", true},
        {"r\xC3\xA9sum\xC3\xA9 after eight bytes", true},
        {"\xD0\xB4\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xE5\x86\x99\xE7\x9C\x9F", true},
        {"emoji \xF0\x9F\x98\x80 at the end", true},
        {"ascii for eight then \xFF", false},
        {"\x80 lone continuation first", false},
        {"cut at the end \xE2\x82", false},
        {"overlong \xC0\xAF slash", false},
        {"surrogate \xED\xA0\x80 half", false},
        {"past U+10FFFF \xF4\x90\x80\x80", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(win32::IsValidUtf8(c.bytes), c.valid) << Hex(c.bytes);
        EXPECT_EQ(win32::BytesToDisplayText(c.bytes) == c.bytes, c.valid) << Hex(c.bytes);
    }
}

TEST(WideText, DisplayFormShowsReplacementCharacters)
{
    EXPECT_EQ(win32::BytesToDisplayWide("a\xFF\xC3\xA4\xC3"), u"a\uFFFD\u00E4\uFFFD");
    EXPECT_EQ(win32::BytesToDisplayText("x\x80\x80"), "x\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(win32::BytesToDisplayText("plain \xE2\x82\xAC"), "plain \xE2\x82\xAC");

    EXPECT_EQ(win32::WideLength(nullptr), 0u);
    EXPECT_EQ(win32::WideLength(u""), 0u);
    EXPECT_EQ(win32::WideLength(u"ab\xDC80"), 3u);
}

} // namespace
