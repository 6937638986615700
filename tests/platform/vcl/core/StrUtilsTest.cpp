#include "vcl/core/Exceptions.h"
#include "vcl/core/FormatSettingsTesting.h"
#include "vcl/core/SysUtils.h"
#include "win32/Errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace vcl;

TEST(StrUtils, IntegersToAndFromText)
{
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToStr(std::int64_t{-9'000'000'000}), "-9000000000");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(std::int64_t{-1}, 2), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(0, 0), "0");

    EXPECT_EQ(StrToInt("  -123"), -123);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToIntDef("2147483648", -1), -1);
    EXPECT_EQ(StrToIntDef("$100000000", -1), -1);
    EXPECT_EQ(StrToIntDef("12 ", -1), -1);
    EXPECT_EQ(StrToIntDef("", -1), -1);
    EXPECT_EQ(StrToIntDef("-", -1), -1);
    EXPECT_EQ(StrToIntDef("$", -1), -1);
    EXPECT_EQ(StrToIntDef("1x", -1), -1);
    EXPECT_EQ(StrToInt64Def("9223372036854775808", 5), 5);
    // A minus sign before hexadecimal digits keeps the value negative: no
    // wrapping round past the type's range.
    EXPECT_EQ(StrToIntDef("-$80000000", 1), INT32_MIN);
    EXPECT_EQ(StrToIntDef("-$1", 1), -1);
    EXPECT_EQ(StrToIntDef("-$80000001", 1), 1);
    EXPECT_EQ(StrToIntDef("-0xFFFFFFFF", 1), 1);
    EXPECT_EQ(StrToInt64Def("-$8000000000000000", 1), INT64_MIN);
    EXPECT_EQ(StrToInt64Def("-$8000000000000001", 1), 1);
    EXPECT_EQ(StrToInt64Def("$FFFFFFFFFFFFFFFF", 1), -1);
    try {
        StrToInt("abc");
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    }
}

TEST(StrUtils, TrimCaseAndCompare)
{
    EXPECT_EQ(Trim(" \t\r\nab c\x01 "), "ab c");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a \x1F"), "  a");
    EXPECT_EQ(Trim(std::string("\0a\0", 3)), "a");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("\xC2\xA0x"), "\xC2\xA0x"); // bytes above ' ' stay

    EXPECT_EQ(UpperCase("abc\xC3\xA4z"), "ABC\xC3\xA4Z");
    EXPECT_EQ(LowerCase("ABC\xC3\x84Z"), "abc\xC3\x84z");
    EXPECT_EQ(AnsiUpperCase("stra\xC3\x9F"
                            "e \xC3\xA4"),
              "STRASSE \xC3\x84");
    EXPECT_EQ(AnsiLowerCase("\xC3\x84"
                            "Bc"),
              "\xC3\xA4"
              "bc");
    // Bytes that are not UTF-8 stay put while the text around them changes.
    EXPECT_EQ(AnsiUpperCase("a\xFF\xC3\xA4\xC3"), "A\xFF\xC3\x84\xC3");
    EXPECT_EQ(AnsiLowerCase("\xE2\x82"), "\xE2\x82");

    EXPECT_LT(CompareStr("a", "b"), 0);
    EXPECT_GT(CompareStr("a", "B"), 0);
    EXPECT_LT(CompareStr("ab", "abc"), 0);
    EXPECT_EQ(CompareStr("x", "x"), 0);
    EXPECT_EQ(CompareText("ABC", "abc"), 0);
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_TRUE(SameText("Hello", "hELLO"));
    EXPECT_FALSE(SameText("\xC3\xA4", "\xC3\x84")); // ASCII only

    EXPECT_EQ(AnsiCompareText("\xC3\xA4pfel", "\xC3\x84PFEL"), 0);
    EXPECT_TRUE(AnsiSameText("\xC3\xA4", "\xC3\x84"));
    EXPECT_NE(AnsiCompareStr("a", "A"), 0);
    EXPECT_EQ(AnsiCompareStr("a", "a"), 0);
    EXPECT_LT(AnsiCompareText("apple", "Banana"), 0); // not by byte value
    EXPECT_GT(AnsiCompareText("b", "A"), 0);
    // A stray byte ends a run of text; it sorts after text, and by value
    // among stray bytes.
    EXPECT_LT(AnsiCompareText("ab\xFF", "abc"), 0);
    EXPECT_GT(AnsiCompareText("ab\xFF", "ab"), 0);
    EXPECT_GT(AnsiCompareText("\xFF", "z"), 0);
    EXPECT_LT(AnsiCompareText("ab\xFE", "ab\xFF"), 0);
    EXPECT_LT(AnsiCompareStr("ab\xFFz", "abz"), 0);
    EXPECT_NE(AnsiCompareText("ab\xFF", "AB\xFE"), 0);
    EXPECT_EQ(AnsiCompareText("ab\xFF", "AB\xFF"), 0);
}

TEST(StrUtils, CollationFollowsTheLocaleAndIsATotalOrder)
{
    vcl::testing::SetCollationLocale("de_DE");
    EXPECT_LT(AnsiCompareText("\xC3\xA4rger", "b"), 0); // "ä" with the a's, not after z
    EXPECT_GT(AnsiCompareText("\xC3\xA4rger", "a"), 0);
    vcl::testing::SetCollationLocale("sv_SE");
    EXPECT_GT(AnsiCompareText("\xC3\xA4rger", "z"), 0); // Swedish puts ä after z
    vcl::testing::SetCollationLocale("");

    // Every pair answers consistently: antisymmetric, and the order sorts.
    std::vector<std::string> words = {"a",  "A",   "b",   "\xC3\xA4",  "\xC3\x84", "a\xFF",
                                      "ab", "Ab",  "",    "\xFF",      "\xFE",     "z",
                                      "Z",  "a b", "a-b", "ab\xC3\xA4"};
    for (const auto& x : words)
        for (const auto& y : words) {
            const int xy = AnsiCompareText(x, y);
            const int yx = AnsiCompareText(y, x);
            EXPECT_EQ(xy<0, yx> 0) << x << " / " << y;
            const int sxy = AnsiCompareStr(x, y);
            EXPECT_EQ(sxy == 0, x == y) << x << " / " << y;
            EXPECT_EQ(sxy<0, AnsiCompareStr(y, x)> 0);
        }
    std::sort(words.begin(), words.end(),
              [](const auto& x, const auto& y) { return AnsiCompareStr(x, y) < 0; });
    for (size_t i = 1; i < words.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            EXPECT_LT(AnsiCompareStr(words[j], words[i]), 0) << words[j] << " / " << words[i];
}

TEST(StrUtils, QuotingReplacingAndPieces)
{
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(AnsiDequotedStr("'it''s'", '\''), "it's");
    EXPECT_EQ(AnsiDequotedStr("plain", '\''), "plain");
    EXPECT_EQ(AnsiDequotedStr("'open", '\''), "'open");
    EXPECT_EQ(AnsiDequotedStr("'a'b", '\''), "a");
    EXPECT_EQ(AnsiDequotedStr("''", '\''), "");
    std::string_view rest = "\"a\"\"b\",c";
    EXPECT_EQ(AnsiExtractQuotedStr(rest, '"'), "a\"b");
    EXPECT_EQ(rest, ",c");

    EXPECT_EQ(StringReplace("a.b.c", ".", "/", 0), "a/b.c");
    EXPECT_EQ(StringReplace("a.b.c", ".", "/", rfReplaceAll), "a/b/c");
    EXPECT_EQ(StringReplace("Hello hello", "HELLO", "x", rfReplaceAll | rfIgnoreCase), "x x");
    EXPECT_EQ(StringReplace("Hello hello", "HELLO", "x", rfReplaceAll), "Hello hello");
    EXPECT_EQ(StringReplace("\xC3\x84rger \xC3\xA4rger", "\xC3\xA4", "ae", rfReplaceAll | rfIgnoreCase),
              "aerger aerger");
    EXPECT_EQ(StringReplace("x\xFFy\xFF", "\xFF", "%", rfReplaceAll | rfIgnoreCase), "x%y%");
    EXPECT_EQ(StringReplace("aaa", "", "b", rfReplaceAll), "aaa");
    EXPECT_EQ(StringReplace("aaaa", "aa", "a", rfReplaceAll), "aa"); // no re-scan of the output

    EXPECT_EQ(Pos("lo", "hello"), 4);
    EXPECT_EQ(Pos("x", "hello"), 0);
    EXPECT_EQ(Pos("", "hello"), 0);
    EXPECT_EQ(Pos('e', "hello"), 2);
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 0, 2), "he");
    EXPECT_EQ(Copy("hello", 4, 100), "lo");
    EXPECT_EQ(Copy("hello", 9, 1), "");
    EXPECT_EQ(Copy("hello", 2, -1), "");
    std::string s = "hello";
    Delete(s, 2, 2);
    EXPECT_EQ(s, "hlo");
    Delete(s, 10, 1);
    EXPECT_EQ(s, "hlo");
    Insert("el", s, 2);
    EXPECT_EQ(s, "hello");
    Insert("!", s, 100);
    EXPECT_EQ(s, "hello!");
    EXPECT_EQ(StringOfChar('-', 3), "---");
    EXPECT_EQ(StringOfChar('-', -3), "");
    EXPECT_EQ(LastDelimiter("/.", "a/b.c/d"), 6);
    EXPECT_EQ(LastDelimiter(":", "abc"), 0);
    EXPECT_TRUE(IsDelimiter("/", "a/b", 2));
    EXPECT_FALSE(IsDelimiter("/", "a/b", 4));

    EXPECT_EQ(AdjustLineBreaks("a\rb\nc\r\nd\n\re"), "a\nb\nc\nd\n\ne");
    EXPECT_EQ(AdjustLineBreaks("a\rb\nc\r\n", tlbsCRLF), "a\r\nb\r\nc\r\n");
}

TEST(StrUtils, SystemTextsAndArguments)
{
    EXPECT_FALSE(SysErrorMessage(ERROR_FILE_NOT_FOUND).empty());
    EXPECT_NE(SysErrorMessage(ERROR_FILE_NOT_FOUND), SysErrorMessage(ERROR_ACCESS_DENIED));

    ASSERT_GE(ParamCount(), 0);
    const std::string self = ParamStr(0);
    EXPECT_EQ(self.front(), '/');
    EXPECT_NE(self.find("test_vcl_core"), std::string::npos);
    EXPECT_EQ(ParamStr(ParamCount() + 1), "");
    EXPECT_EQ(ParamStr(-1), "");

    const std::u16string wide = UTF8Decode("a\xFF\xC3\xA4");
    EXPECT_EQ(wide, std::u16string(u"a\xDCFF\x00E4"));
    EXPECT_EQ(UTF8Encode(wide), "a\xFF\xC3\xA4");
}
