#include "vcl/core/Format.h"
#include "vcl/core/DateTime.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/FloatFormat.h"
#include "vcl/core/FormatSettingsTesting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

using namespace vcl;

namespace {

TFormatSettings Us()
{
    return TFormatSettings::Invariant();
}

TFormatSettings German()
{
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    fs.CurrencyString = "EUR";
    fs.CurrencyFormat = 3; // "1 $"
    fs.NegCurrFormat = 8;  // "-1 $"
    return fs;
}

struct FormatCase {
    const char* Format;
    std::vector<TVarRec> Args;
    const char* Us;
    const char* German;
};

} // namespace

TEST(Format, FollowsTheFrameworksSpecifiersUnderTwoLocales)
{
    const std::string hello = "hello";
    const std::int64_t big = 9'000'000'000LL;
    const FormatCase cases[] = {
        {"%.02f", {1.6}, "1.60", "1,60"},
        {"%.2f", {-0.004}, "0.00", "0,00"}, // no "-0.00"
        {"%.2f", {0.125}, "0.13", "0,13"},  // half away from zero
        {"%.2f", {1.005}, "1.00", "1,00"},  // 1.00499999999999989...
        {"%f", {2.5}, "2.50", "2,50"},
        {"%.0f", {2.5}, "3", "3"},
        {"%.f", {2.5}, "3", "3"}, // "." alone is precision 0
        {"%5.d|", {42}, "   42|", "   42|"},
        {"%.d", {0}, "0", "0"},
        {"%.x", {0}, "0", "0"},
        {"%.s|", {hello}, "|", "|"},
        {"%3.s|", {hello}, "   |", "   |"},
        {"%.e", {1234.5}, "1E+003", "1E+003"},
        {"%.g", {1234.5}, "1E003", "1E003"},
        {"%.n", {1234.5}, "1,235", "1.235"},
        {"%.m", {2.5}, "$3", "3 EUR"},
        {"%-.f|", {2.5}, "3|", "3|"},
        {"%.0n", {1234567.0}, "1,234,567", "1.234.567"},
        {"%n", {-1234.5}, "-1,234.50", "-1.234,50"},
        {"%.1n", {999.96}, "1,000.0", "1.000,0"},
        {"%e", {1234.5}, "1.23450000000000E+003", "1,23450000000000E+003"},
        {"%.3e", {-0.000123456}, "-1.23E-004", "-1,23E-004"},
        {"%g", {0.1}, "0.1", "0,1"},
        {"%g", {1e20}, "1E020", "1E020"},
        {"%g", {123456.0}, "123456", "123456"},
        {"%m", {-12.5}, "($12.50)", "-12,50 EUR"},
        {"%.0m", {3.0}, "$3", "3 EUR"},
        {"%d", {-42}, "-42", "-42"},
        {"%.5d", {-42}, "-00042", "-00042"},
        {"%5d|", {42}, "   42|", "   42|"},
        {"%-5d|", {42}, "42   |", "42   |"},
        {"%u", {-1}, "4294967295", "4294967295"},
        {"%x", {255}, "FF", "FF"},
        {"%.4x", {255}, "00FF", "00FF"},
        {"%x", {-1}, "FFFFFFFF", "FFFFFFFF"},
        {"%d", {big}, "9000000000", "9000000000"},
        {"%x", {std::numeric_limits<std::uint64_t>::max()}, "FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF"},
        {"%d", {std::numeric_limits<std::int64_t>::min()}, "-9223372036854775808", "-9223372036854775808"},
        {"%s", {hello}, "hello", "hello"},
        {"%-5s|", {"ab"}, "ab   |", "ab   |"},
        {"%5s|", {"ab"}, "   ab|", "   ab|"},
        {"%.3s", {hello}, "hel", "hel"},
        {"%8.3s|", {hello}, "     hel|", "     hel|"},
        {"%.2s", {"\xC3\xA4\xC3\xB6"}, "\xC3\xA4", "\xC3\xA4"}, // never half a character
        {"%.1s", {"\xC3\xA4"}, "", ""},
        {"%s", {static_cast<const char*>(nullptr)}, "", ""},
        {"%s", {'x'}, "x", "x"},
        {"drive %c:", {'C'}, "drive C:", "drive C:"},
        {"%s", {u"wide \xDCFF"}, "wide \xFF", "wide \xFF"}, // an escaped byte comes back
        {"%1:s %0:s", {"a", "b"}, "b a", "b a"},
        {"%1:s %0:s %s", {"a", "b"}, "b a b", "b a b"},
        {"%*d|", {5, 42}, "   42|", "   42|"},
        {"%-*d|", {4, 7}, "7   |", "7   |"},
        {"%*d|", {-4, 7}, "7   |", "7   |"},
        {"%.*f", {1, 2.25}, "2.3", "2,3"},
        {"%*.*f|", {7, 1, 2.25}, "    2.3|", "    2,3|"},
        {"100%%", {}, "100%", "100%"},
        {"%S %D %X", {"up", 1, 10}, "up 1 A", "up 1 A"},
        {"%f", {std::nan("")}, "NAN", "NAN"},
        {"%f", {-std::numeric_limits<double>::infinity()}, "-INF", "-INF"},
    };
    const TFormatSettings us = Us();
    const TFormatSettings german = German();
    for (const FormatCase& c : cases) {
        EXPECT_EQ(Format(c.Format, TVarRecs(c.Args), us), c.Us) << c.Format;
        EXPECT_EQ(Format(c.Format, TVarRecs(c.Args), german), c.German) << c.Format;
    }
    const std::string p = Format("%p", {reinterpret_cast<const void*>(std::uintptr_t{0xABC})}, us);
    EXPECT_EQ(p, std::string(2 * sizeof(void*) - 3, '0') + "ABC");
}

TEST(Format, RaisesTheFrameworksErrors)
{
    const auto message = [](std::string_view format, std::initializer_list<TVarRec> args) -> std::string {
        try {
            Format(format, args, TFormatSettings::Invariant());
        } catch (const EConvertError& e) {
            return e.Message();
        }
        return "no error";
    };
    EXPECT_EQ(message("%d", {"text"}), "Format '%d' invalid or incompatible with argument");
    EXPECT_EQ(message("%s %s", {"one"}), "No argument for format '%s %s'");
    EXPECT_EQ(message("%f", {3}), "Format '%f' invalid or incompatible with argument");
    EXPECT_EQ(message("%s", {1.5}), "Format '%s' invalid or incompatible with argument");
    EXPECT_EQ(message("%d", {true}), "Format '%d' invalid or incompatible with argument");
    EXPECT_EQ(message("%p", {1}), "Format '%p' invalid or incompatible with argument");
    EXPECT_EQ(message("%q", {1}), "Format '%q' invalid or incompatible with argument");
    EXPECT_EQ(message("abc %", {1}), "Format 'abc %' invalid or incompatible with argument");
    EXPECT_EQ(message("%5", {1}), "Format '%5' invalid or incompatible with argument");
    EXPECT_EQ(message("%5.", {1}), "Format '%5.' invalid or incompatible with argument");
    EXPECT_EQ(message("%..d", {1}), "Format '%..d' invalid or incompatible with argument");
    EXPECT_EQ(message("%2:s", {"a"}), "No argument for format '%2:s'");
    EXPECT_EQ(message("%*d", {"w", 1}), "Format '%*d' invalid or incompatible with argument");
    EXPECT_EQ(message("%*d", {}), "No argument for format '%*d'");
    EXPECT_EQ(message("%99999999999d", {1}), "Format '%99999999999d' invalid or incompatible with argument");
    EXPECT_EQ(message("%*d", {2000000, 1}), "Format '%*d' invalid or incompatible with argument");
}

TEST(Format, UsesTheProcessSettingsUntilReset)
{
    vcl::testing::SetFormatSettings(German());
    EXPECT_EQ(Format("%.1f", {2.5}), "2,5");
    EXPECT_EQ(FloatToStr(0.5), "0,5");
    vcl::testing::SetFormatSettings(Us());
    EXPECT_EQ(Format("%.1f", {2.5}), "2.5");
    vcl::testing::ResetFormatSettings();
    // The system locale comes back: whatever it is, its separator is used.
    const std::string expected = std::string("2") + GetFormatSettings().DecimalSeparator + "5";
    EXPECT_EQ(Format("%.1f", {2.5}), expected);
}

TEST(FloatFormat, FloatToStrAndFloatToStrF)
{
    const TFormatSettings us = Us();
    EXPECT_EQ(FloatToStr(1.5, us), "1.5");
    EXPECT_EQ(FloatToStr(0.1, us), "0.1");
    EXPECT_EQ(FloatToStr(100.0, us), "100");
    EXPECT_EQ(FloatToStr(-0.0, us), "0");
    EXPECT_EQ(FloatToStr(1e20, us), "1E20");
    EXPECT_EQ(FloatToStr(1.5e-7, us), "1.5E-7");
    EXPECT_EQ(FloatToStr(0.00001, us), "0.00001");
    EXPECT_EQ(FloatToStr(1.0 / 3.0, us), "0.333333333333333");
    EXPECT_EQ(FloatToStr(123456789012345678.0, us), "1.23456789012346E17");
    EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 4, 2, us), "1235.00");
    EXPECT_EQ(FloatToStrF(0.0, ffExponent, 4, 2, us), "0.000E+00");
    EXPECT_EQ(FloatToStrF(9.9999, ffNumber, 18, 2, us), "10.00");
    EXPECT_EQ(FloatToStrF(-5.0, ffCurrency, 18, 2, us), "($5.00)");

    double v = 0;
    EXPECT_TRUE(TryStrToFloat(" -1.25e2 ", v, us));
    EXPECT_EQ(v, -125.0);
    EXPECT_TRUE(TryStrToFloat("3,5", v, German()));
    EXPECT_EQ(v, 3.5);
    EXPECT_FALSE(TryStrToFloat("3,5", v, us));
    EXPECT_FALSE(TryStrToFloat("1e", v, us));
    EXPECT_FALSE(TryStrToFloat("", v, us));
    EXPECT_FALSE(TryStrToFloat("1e999", v, us));
    EXPECT_THROW(StrToFloat(".", us), EConvertError);
    EXPECT_EQ(StrToFloat(FloatToStr(0.1, us), us), 0.1);
}

TEST(FloatFormat, FormatFloatPictures)
{
    struct Case {
        const char* Picture;
        double Value;
        const char* Us;
        const char* German;
    };
    const Case cases[] = {
        {"0", 1234.5, "1235", "1235"},
        {"0.00", 1234.5, "1234.50", "1234,50"},
        {"#.##", 1234.5, "1234.5", "1234,5"},
        {"#,##0.00", 1234567.891, "1,234,567.89", "1.234.567,89"},
        {"#,##0.00", -1234.5, "-1,234.50", "-1.234,50"},
        {"#,##0.00;(#,##0.00)", -1234.5, "(1,234.50)", "(1.234,50)"},
        {"#,##0.00;;Zero", 0.0, "Zero", "Zero"},
        {"0.0;-0.0;\"nil\"", -0.01, "nil", "nil"}, // rounds to zero: the zero section
        {"0.00;;", -2.0, "-2.00", "-2,00"},        // empty negative section: positive with a sign
        {"000", 7.0, "007", "007"},
        {"#", 0.0, "", ""},
        {"#.##", 0.5, ".5", ",5"},
        {"0.###", 1.0, "1", "1"},
        {"0.0##", 1.23456, "1.235", "1,235"},
        {"0.00E+00", 1234.5, "1.23E+03", "1,23E+03"},
        {"0.00E-00", 1234.5, "1.23E03", "1,23E03"},
        {"0.00e+0", 0.000123, "1.23e-4", "1,23e-4"},
        {"00.0E+0", 1234.0, "12.3E+2", "12,3E+2"},
        {"\"Total: \"0.0' units'", 3.25, "Total: 3.3 units", "Total: 3,3 units"},
        {"00-00", 1234.0, "12-34", "12-34"},
        {"0", 1e15, "1000000000000000", "1000000000000000"},
        {"", 2.5, "2.5", "2,5"},
    };
    const TFormatSettings us = Us();
    const TFormatSettings german = German();
    for (const Case& c : cases) {
        EXPECT_EQ(FormatFloat(c.Picture, c.Value, us), c.Us) << c.Picture << " " << c.Value;
        EXPECT_EQ(FormatFloat(c.Picture, c.Value, german), c.German) << c.Picture << " " << c.Value;
    }
}

TEST(FloatFormat, FormatFloatEmptyAndExtraSectionsAndHugeValues)
{
    struct Case {
        const char* Picture;
        double Value;
        const char* Us;
        const char* German;
    };
    const Case cases[] = {
        // An empty positive section is the general format.
        {";0", 0.5, "0.5", "0,5"},
        {";0", 0.125, "0.125", "0,125"},
        {";0", -0.5, "1", "1"}, // the negative section, without the sign
        {";;", 0.0, "0", "0"},
        {";;", 1.5, "1.5", "1,5"},
        {";;", -1.5, "-1.5", "-1,5"},
        {";;zero", 0.0, "zero", "zero"},
        {";;zero", 2.25, "2.25", "2,25"},
        // A section ends at the next ";"; a fourth is ignored.
        {"#,##0.0;;;x", 0.0, "0.0", "0,0"},
        {"#,##0.0;;;x", 1234.0, "1,234.0", "1.234,0"},
        {"0;(0);z;w", -3.0, "(3)", "(3)"},
        {"0;(0);z;w", 0.0, "z", "z"},
        {"0;(0);z;", 0.0, "z", "z"},
        {"0;(0);'a;b';w", 0.0, "a;b", "a;b"},
        {"0;'x;y'0", -4.0, "x;y4", "x;y4"},
        // More than 18 digits before the point: the general format.
        {"0", 1e300, "1E300", "1E300"},
        {"0", 1e18, "1E18", "1E18"},
        {"#,##0.00", -1e19, "-1E19", "-1E19"},
        {"0;(0)", -1e20, "-1E20", "-1E20"},
        {"0", 123456789012345678.0, "123456789012345680", "123456789012345680"},
        {"0", 999999999999999872.0, "999999999999999872", "999999999999999872"},
        {"000000000000000000000", 5.0, "000000000000000000005", "000000000000000000005"},
        {"0.00E+00", 1e300, "1.00E+300", "1,00E+300"},
        {"0.00", 1e-300, "0.00", "0,00"},
        {"0.00E+00", -1e-300, "-1.00E-300", "-1,00E-300"},
    };
    const TFormatSettings us = Us();
    const TFormatSettings german = German();
    for (const Case& c : cases) {
        EXPECT_EQ(FormatFloat(c.Picture, c.Value, us), c.Us) << c.Picture << " " << c.Value;
        EXPECT_EQ(FormatFloat(c.Picture, c.Value, german), c.German) << c.Picture << " " << c.Value;
    }
}

TEST(FormatSettings, ComeFromQtLocales)
{
    const TFormatSettings de = TFormatSettings::FromLocaleName("de_DE");
    EXPECT_EQ(de.DecimalSeparator, ',');
    EXPECT_EQ(de.ThousandSeparator, '.');
    EXPECT_EQ(de.DateSeparator, '.');
    EXPECT_EQ(de.TimeSeparator, ':');
    EXPECT_EQ(de.ShortDateFormat, "dd/mm/yy");
    EXPECT_EQ(de.ShortTimeFormat, "hh:nn");
    EXPECT_EQ(de.LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(de.LongMonthNames[2], "M\xC3\xA4rz");
    EXPECT_EQ(de.LongDayNames[0], "Sonntag");
    EXPECT_EQ(de.CurrencyFormat, 3);
    EXPECT_EQ(de.NegCurrFormat, 8);

    const TFormatSettings us = TFormatSettings::FromLocaleName("en_US");
    EXPECT_EQ(us.ShortDateFormat, "m/d/yy");
    EXPECT_EQ(us.ShortTimeFormat, "h:nn AMPM");
    EXPECT_EQ(us.CurrencyString, "$");
    EXPECT_EQ(us.NegCurrFormat, 0);

    const TFormatSettings fr = TFormatSettings::FromLocaleName("fr_FR");
    EXPECT_EQ(fr.ThousandSeparator, ' '); // a narrow no-break space in Qt
    EXPECT_EQ(fr.NegCurrFormat, 15);

    // Qt's quoted text and letters that mean something to the framework stay literal.
    EXPECT_EQ(DateTimeFormatFromQt("dddd, d MMMM yyyy 'г'.", '.', ':'), "dddd, d mmmm yyyy \"\xD0\xB3\"/");
    EXPECT_EQ(DateTimeFormatFromQt("H 'h' mm", '/', ':'), "h \"h\" nn");
    EXPECT_EQ(DateTimeFormatFromQt("yyyy-MM-dd", '-', ':'), "yyyy/mm/dd");

    // The time zone goes with its blanks and brackets, wherever it stands.
    EXPECT_EQ(DateTimeFormatFromQt("t HH:mm:ss", '/', ':'), "hh:nn:ss");
    EXPECT_EQ(DateTimeFormatFromQt("H:mm:ss (t)", '/', ':'), "h:nn:ss");
    EXPECT_EQ(DateTimeFormatFromQt("h:mm:ss [t] AP", '/', ':'), "h:nn:ss AMPM");
    EXPECT_EQ(DateTimeFormatFromQt("h:mm:ss AP t", '/', ':'), "h:nn:ss AMPM");
    const TFormatSettings zh = TFormatSettings::FromLocaleName("zh_CN");
    const TDateTime t = ComposeDateTime(EncodeDate(2024, 3, 5), EncodeTime(14, 7, 9, 0));
    EXPECT_EQ(FormatDateTime("c", t, zh), FormatDateTime("ddddd", t, zh) + " 14:07:09");
    // A locale that puts the marker first shows a 12-hour clock.
    const TFormatSettings ko = TFormatSettings::FromLocaleName("ko_KR");
    EXPECT_EQ(FormatDateTime("t", t, ko), ko.TimePMString + " 2:07");
}
