#include "vcl/core/DateTime.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/FormatSettingsTesting.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

using namespace vcl;

namespace {

TFormatSettings German()
{
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.DateSeparator = '.';
    fs.TimeSeparator = ':';
    fs.ShortDateFormat = "dd/mm/yyyy";
    fs.LongDateFormat = "dddd, d. mmmm yyyy";
    fs.ShortTimeFormat = "hh:nn";
    fs.LongTimeFormat = "hh:nn:ss";
    fs.ShortDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    fs.LongDayNames = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
    fs.ShortMonthNames = {"Jan", "Feb", "M\xC3\xA4r", "Apr", "Mai", "Jun",
                          "Jul", "Aug", "Sep",        "Okt", "Nov", "Dez"};
    fs.LongMonthNames = {"Januar", "Februar", "M\xC3\xA4rz", "April",   "Mai",      "Juni",
                         "Juli",   "August",  "September",   "Oktober", "November", "Dezember"};
    return fs;
}

} // namespace

TEST(DateTime, EncodesAndDecodesDays)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(1970, 1, 1), UnixDateDelta);
    EXPECT_EQ(EncodeDate(2000, 2, 29), 36585.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);

    for (const TDateTime date : {-693593.0, -1.0, 0.0, 36585.0, 2958465.0}) {
        WORD y, m, d;
        DecodeDate(date, y, m, d);
        EXPECT_EQ(EncodeDate(y, m, d), date);
    }
    WORD y, m, d, h, n, s, ms;
    DecodeDate(36585.0, y, m, d);
    EXPECT_EQ(y, 2000);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(d, 29);

    // Before 1899-12-30 the fraction still counts forward from midnight.
    const TDateTime early = ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0));
    EXPECT_EQ(early, -1.25);
    DecodeDate(early, y, m, d);
    DecodeTime(early, h, n, s, ms);
    EXPECT_EQ(d, 29);
    EXPECT_EQ(h, 6);

    // A millisecond short of midnight rounds into the next day.
    DecodeTime(0.99999999999, h, n, s, ms);
    DecodeDate(0.99999999999, y, m, d);
    EXPECT_EQ(h + n + s + ms, 0);
    EXPECT_EQ(d, 31);
    DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, ms);
    EXPECT_EQ(h, 23);
    EXPECT_EQ(n, 59);
    EXPECT_EQ(s, 59);
    EXPECT_EQ(ms, 999);

    // Out of range decodes to nothing instead of garbage.
    DecodeDate(std::nan(""), y, m, d);
    EXPECT_EQ(y + m + d, 0);
    DecodeDate(1e12, y, m, d);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(DayOfWeek(-1e9), 0);

    EXPECT_THROW(EncodeDate(2001, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2000, 13, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
    try {
        EncodeDate(2001, 2, 29);
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Invalid argument to date encode");
    }

    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7); // a Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 10)), 1);  // a Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);      // a Monday
}

TEST(DateTime, FormatDateTimeUnderTwoLocales)
{
    const TDateTime t = ComposeDateTime(EncodeDate(2024, 3, 5), EncodeTime(14, 7, 9, 45));
    const TDateTime morning = ComposeDateTime(EncodeDate(2024, 12, 25), EncodeTime(0, 30, 0, 0));
    const TFormatSettings us = TFormatSettings::Invariant();
    const TFormatSettings de = German();
    struct Case {
        const char* Format;
        TDateTime Value;
        const char* Us;
        const char* De;
    };
    const Case cases[] = {
        {"c", t, "3/5/2024 2:07:09 PM", "05.03.2024 14:07:09"},
        {"", t, "3/5/2024 2:07:09 PM", "05.03.2024 14:07:09"},
        {"c", EncodeDate(2024, 3, 5), "3/5/2024", "05.03.2024"}, // midnight: no time
        {"d dd ddd dddd", t, "5 05 Tue Tuesday", "5 05 Di Dienstag"},
        {"ddddd", t, "3/5/2024", "05.03.2024"},
        {"dddddd", t, "Tuesday, March 5, 2024", "Dienstag, 5. M\xC3\xA4rz 2024"},
        {"m mm mmm mmmm", t, "3 03 Mar March", "3 03 M\xC3\xA4r M\xC3\xA4rz"},
        {"yy yyyy", t, "24 2024", "24 2024"},
        {"h hh n nn s ss z zzz", t, "14 14 7 07 9 09 45 045", "14 14 7 07 9 09 45 045"},
        {"hh:mm", t, "14:07", "14:07"}, // m after h is minutes
        {"hh.mm", t, "14.07", "14.07"},
        {"mm/dd/yy", t, "03/05/24", "03.05.24"},
        {"t", t, "2:07 PM", "14:07"},
        {"tt", t, "2:07:09 PM", "14:07:09"},
        {"h:nn am/pm", t, "2:07 pm", "2:07 pm"},
        {"h:nn AM/PM", morning, "12:30 AM", "12:30 AM"},
        {"h:nn a/p", t, "2:07 p", "2:07 p"},
        {"hh ampm", morning, "12 AM", "12 AM"},
        {"hh", t, "14", "14"}, // no marker: 24-hour clock
        {"\"day\" d 'of' mmmm", t, "day 5 of March", "day 5 of M\xC3\xA4rz"},
        {"HH:NN yyyy/MM/DD", t, "14:07 2024/03/05", "14:07 2024.03.05"},
        {"\"unterminated", t, "unterminated", "unterminated"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatDateTime(c.Format, c.Value, us), c.Us) << c.Format;
        EXPECT_EQ(FormatDateTime(c.Format, c.Value, de), c.De) << c.Format;
    }
    EXPECT_EQ(DateTimeToStr(t, de), "05.03.2024 14:07:09");
    EXPECT_EQ(DateToStr(t, de), "05.03.2024");
    EXPECT_EQ(TimeToStr(t, de), "14:07:09");

    // A format that expands into itself stops instead of recursing for ever.
    TFormatSettings loop = us;
    loop.ShortDateFormat = "ddddd";
    EXPECT_EQ(FormatDateTime("ddddd", t, loop), "");
}

TEST(DateTime, ConvertsFileTimesAndTimespecs)
{
    kwtest::ScopedTimeZone zone("UTC");
    timespec ts{};
    ts.tv_sec = 86400 + 3600; // 1970-01-02 01:00 UTC
    ts.tv_nsec = 250'000'000;
    const TDateTime expected = ComposeDateTime(EncodeDate(1970, 1, 2), EncodeTime(1, 0, 0, 250));
    EXPECT_DOUBLE_EQ(TimespecToUtcDateTime(ts), expected);
    EXPECT_DOUBLE_EQ(TimespecToDateTime(ts), expected);
    EXPECT_DOUBLE_EQ(FileDateToDateTime(86400), EncodeDate(1970, 1, 2));
    EXPECT_EQ(FileDateToDateTime(-1), 0.0);

    timespec before{};
    before.tv_sec = -1; // 1969-12-31 23:59:59
    EXPECT_DOUBLE_EQ(TimespecToUtcDateTime(before),
                     ComposeDateTime(EncodeDate(1969, 12, 31), EncodeTime(23, 59, 59, 0)));

    // FILETIME counts 100 ns from 1601.
    const std::uint64_t ticks = 116444736000000000ULL + 864000000000ULL + 5000000ULL; // 1970-01-02 00:00:00.5
    FILETIME ft{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
    EXPECT_DOUBLE_EQ(FileTimeToUtcDateTime(ft),
                     ComposeDateTime(EncodeDate(1970, 1, 2), EncodeTime(0, 0, 0, 500)));
    FILETIME zero{0, 0};
    EXPECT_DOUBLE_EQ(FileTimeToUtcDateTime(zero), EncodeDate(1601, 1, 1));

    {
        kwtest::ScopedTimeZone east("EST5"); // five hours behind UTC, no daylight saving
        EXPECT_DOUBLE_EQ(TimespecToDateTime(ts),
                         ComposeDateTime(EncodeDate(1970, 1, 1), EncodeTime(20, 0, 0, 250)));
        EXPECT_DOUBLE_EQ(FileTimeToDateTime(ft),
                         ComposeDateTime(EncodeDate(1970, 1, 1), EncodeTime(19, 0, 0, 500)));
    }

    // Now agrees with the clock to within a second or two.
    timespec nowTs{};
    clock_gettime(CLOCK_REALTIME, &nowTs);
    EXPECT_NEAR(Now(), TimespecToUtcDateTime(nowTs), 2.0 / SecsPerDay);
    EXPECT_EQ(Date(), std::trunc(Date()));
    EXPECT_LT(Time(), 1.0);
}

TEST(DateTime, MinutesAndTwelveHourClockFollowTheirNeighbours)
{
    const TDateTime t = ComposeDateTime(EncodeDate(2024, 3, 5), EncodeTime(14, 7, 9, 45));
    const TFormatSettings us = TFormatSettings::Invariant();
    // m right before a second is minutes, as m right after an hour is.
    EXPECT_EQ(FormatDateTime("mm:ss", t, us), "07:09");
    EXPECT_EQ(FormatDateTime("m:s", t, us), "7:9");
    EXPECT_EQ(FormatDateTime("mm 'min' ss", t, us), "07 min 09");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:mm:ss", t, us), "2024-03-05 14:07:09");
    EXPECT_EQ(FormatDateTime("mm/dd ss", t, us), "03/05 09"); // a day comes first: the month
    EXPECT_EQ(FormatDateTime("mmmm ss", t, us), "March 09");

    // Locales that write the marker before the hour still get a 12-hour clock.
    TFormatSettings korean = us;
    korean.TimeAMString = "\xEC\x98\xA4\xEC\xA0\x84";
    korean.TimePMString = "\xEC\x98\xA4\xED\x9B\x84";
    korean.ShortTimeFormat = "AMPM h:nn";
    EXPECT_EQ(FormatDateTime("t", t, korean), "\xEC\x98\xA4\xED\x9B\x84 2:07");
    EXPECT_EQ(FormatDateTime("am/pm hh:nn", t, us), "pm 02:07");
    // A marker belongs to the hour next to it only.
    EXPECT_EQ(FormatDateTime("h a/p, h", t, us), "2 p, 14");
    EXPECT_EQ(FormatDateTime("h, 'am/pm' h", t, us), "14, am/pm 14");

    // A run of one letter is one specifier, however long.
    EXPECT_EQ(FormatDateTime("zz", t, us), "45");
    EXPECT_EQ(FormatDateTime("mmmmm", t, us), "March");
    EXPECT_EQ(FormatDateTime("hhh:nnn:sss", t, us), "14:07:09");
    EXPECT_EQ(FormatDateTime("ddddddd", t, us), "Tuesday, March 5, 2024");
    EXPECT_EQ(FormatDateTime("ttt", t, us), "2:07:09 PM");
    EXPECT_EQ(FormatDateTime("cc", t, us), "3/5/2024 2:07:09 PM");
}

TEST(DateTime, FileTimesOverTheWholeUnsignedRange)
{
    // A FILETIME counts unsigned ticks: the top half of the range is far in
    // the future, not before 1601, and converting it must not overflow.
    const FILETIME top{0xFFFFFFFFu, 0xFFFFFFFFu};
    const double topDays = 18446744073709551615.0 / 864000000000.0;
    EXPECT_NEAR(FileTimeToUtcDateTime(top), EncodeDate(1601, 1, 1) + topDays, 1.0);
    const FILETIME half{0, 0x80000000u};
    EXPECT_NEAR(FileTimeToUtcDateTime(half), EncodeDate(1601, 1, 1) + 9223372036854775808.0 / 864000000000.0,
                1.0);
    WORD y, m, d;
    DecodeDate(FileTimeToUtcDateTime(top), y, m, d);
    EXPECT_EQ(y, 0); // beyond year 9999: decodes to nothing

    // Just before 1970, the fraction of a second still counts forward.
    const std::uint64_t ticks = 116444736000000000ULL - 2500000ULL; // 1969-12-31 23:59:59.75
    const FILETIME before{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
    EXPECT_DOUBLE_EQ(FileTimeToUtcDateTime(before),
                     ComposeDateTime(EncodeDate(1969, 12, 31), EncodeTime(23, 59, 59, 750)));
}
