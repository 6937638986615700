#include "vcl/core/DateTime.h"

#include "vcl/core/Exceptions.h"

#include <cctype>
#include <cmath>

namespace vcl {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

constexpr std::int64_t kMinDay = DaysFromCivil(1, 1, 1) + 25569;
constexpr std::int64_t kMaxDay = DaysFromCivil(9999, 12, 31) + 25569;

// A TDateTime as whole days since 1899-12-30 and milliseconds of that day.
struct TDayTime {
    std::int64_t Day = 0;
    int MSec = 0;
    bool Valid = false;
};

TDayTime Split(TDateTime value)
{
    TDayTime r;
    if (!std::isfinite(value) || value < static_cast<double>(kMinDay) - 1 ||
        value > static_cast<double>(kMaxDay) + 1)
        return r;
    const double whole = std::trunc(value);
    r.Day = static_cast<std::int64_t>(whole);
    std::int64_t ms = std::llround(std::fabs(value - whole) * MSecsPerDay);
    if (ms >= MSecsPerDay) {
        ms -= MSecsPerDay;
        ++r.Day;
    }
    r.MSec = static_cast<int>(ms);
    r.Valid = r.Day >= kMinDay && r.Day <= kMaxDay;
    return r;
}

struct TBrokenDown {
    int Year = 0, Month = 0, Day = 0, DayOfWeek = 0;
    int Hour = 0, Minute = 0, Second = 0, MSec = 0;
};

TBrokenDown BreakDown(TDateTime value)
{
    TBrokenDown b;
    const TDayTime dt = Split(value);
    if (!dt.Valid)
        return b;
    std::int64_t y;
    unsigned m, d;
    const std::int64_t unixDay = dt.Day - 25569;
    CivilFromDays(unixDay, y, m, d);
    b.Year = static_cast<int>(y);
    b.Month = static_cast<int>(m);
    b.Day = static_cast<int>(d);
    b.DayOfWeek = static_cast<int>(((unixDay % 7) + 7 + 4) % 7) + 1; // 1970-01-01 was a Thursday
    b.Hour = dt.MSec / 3600000;
    b.Minute = dt.MSec / 60000 % 60;
    b.Second = dt.MSec / 1000 % 60;
    b.MSec = dt.MSec % 1000;
    return b;
}

// Seconds and milliseconds since the epoch, already shifted to the wall
// clock wanted, as a TDateTime.
TDateTime FromEpoch(std::int64_t seconds, std::int64_t msec)
{
    std::int64_t days = seconds / SecsPerDay;
    std::int64_t rest = seconds % SecsPerDay;
    if (rest < 0) {
        rest += SecsPerDay;
        --days;
    }
    const double date = static_cast<double>(days) + UnixDateDelta;
    const double time = static_cast<double>(rest * 1000 + msec) / MSecsPerDay;
    return ComposeDateTime(date, time);
}

std::int64_t LocalOffset(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (!localtime_r(&t, &local))
        return 0;
    return local.tm_gmtoff;
}

constexpr std::int64_t kFileTimeToUnixTicks = 116444736000000000LL; // 1601 to 1970 in 100 ns

timespec FileTimeToTimespec(const FILETIME& ft)
{
    // A FILETIME is unsigned: the whole 64-bit range counts, so the distance
    // to 1970 is taken in unsigned arithmetic on the side where it lies.
    constexpr std::uint64_t kTicksPerSecond = 10000000;
    constexpr auto kEpoch = static_cast<std::uint64_t>(kFileTimeToUnixTicks);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    std::int64_t seconds;
    std::uint64_t rest;
    if (ticks >= kEpoch) {
        seconds = static_cast<std::int64_t>((ticks - kEpoch) / kTicksPerSecond);
        rest = (ticks - kEpoch) % kTicksPerSecond;
    } else {
        const std::uint64_t before = kEpoch - ticks;
        seconds = -static_cast<std::int64_t>((before + kTicksPerSecond - 1) / kTicksPerSecond);
        rest = (kTicksPerSecond - before % kTicksPerSecond) % kTicksPerSecond;
    }
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>(rest * 100);
    return ts;
}

void AppendNumber(std::string& out, int value, int minDigits)
{
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < minDigits)
        out.append(static_cast<size_t>(minDigits) - digits.size(), '0');
    out += digits;
}

bool StartsWithNoCase(std::string_view text, size_t i, std::string_view word)
{
    if (text.size() - i < word.size())
        return false;
    for (size_t k = 0; k < word.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(text[i + k])) != word[k])
            return false;
    return true;
}

size_t QuotedEnd(std::string_view format, size_t i)
{
    const size_t end = format.find(format[i], i + 1);
    return end == std::string_view::npos ? format.size() : end + 1;
}

// Length of the am/pm marker at i (am/pm, a/p, ampm), or 0.
size_t MarkerAt(std::string_view format, size_t i)
{
    if (StartsWithNoCase(format, i, "am/pm"))
        return 5;
    if (StartsWithNoCase(format, i, "a/p"))
        return 3;
    if (StartsWithNoCase(format, i, "ampm"))
        return 4;
    return 0;
}

// Whether an am/pm marker follows the hour at i, before the next hour.
bool TwelveHourClockAfter(std::string_view format, size_t i)
{
    while (i < format.size()) {
        const char c = format[i];
        if (c == '"' || c == '\'') {
            i = QuotedEnd(format, i);
            continue;
        }
        if (c == 'h' || c == 'H')
            return false;
        if (MarkerAt(format, i))
            return true;
        ++i;
    }
    return false;
}

// Whether an am/pm marker that no earlier hour claims stands before the hour
// at end: locales that write the marker first ("AMPM h:nn"). A marker after
// an hour belongs to that hour ("h a/p, h" has one 12-hour clock).
bool TwelveHourClockBefore(std::string_view format, size_t end)
{
    bool marker = false;
    bool hourWithoutMarker = false;
    size_t i = 0;
    while (i < end) {
        const char c = format[i];
        if (c == '"' || c == '\'') {
            i = QuotedEnd(format, i);
            continue;
        }
        if (c == 'h' || c == 'H') {
            marker = false;
            hourWithoutMarker = true;
        } else if (const size_t length = MarkerAt(format, i)) {
            marker = !hourWithoutMarker;
            hourWithoutMarker = false;
            i += length;
            continue;
        }
        ++i;
    }
    return marker;
}

// Whether the next specifier after i is a second, outside quoted text:
// "mm:ss" shows minutes.
bool SecondFollows(std::string_view format, size_t i)
{
    while (i < format.size()) {
        const char c = format[i];
        if (c == '"' || c == '\'') {
            i = QuotedEnd(format, i);
            continue;
        }
        if (std::isalpha(static_cast<unsigned char>(c)))
            return c == 's' || c == 'S';
        ++i;
    }
    return false;
}

constexpr int kMaxNesting = 3; // ddddd, t and c expand formats that may expand again

class TDateFormatter {
public:
    TDateFormatter(TDateTime value, const TFormatSettings& settings)
        : Parts_(BreakDown(value)), Settings_(settings)
    {
    }

    void Append(std::string& out, std::string_view format, int depth)
    {
        if (depth > kMaxNesting)
            return;
        bool afterHour = false;
        size_t i = 0;
        while (i < format.size()) {
            const char c = format[i];
            const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            size_t run = 1;
            while (i + run < format.size() &&
                   std::toupper(static_cast<unsigned char>(format[i + run])) == upper)
                ++run;
            bool isHour = false;
            switch (upper) {
            case '"':
            case '\'': {
                const size_t close = format.find(c, i + 1);
                if (close == std::string_view::npos) {
                    out.append(format.substr(i + 1));
                    i = format.size();
                } else {
                    out.append(format.substr(i + 1, close - i - 1));
                    i = close + 1;
                }
                continue;
            }
            case 'C':
                Append(out, Settings_.ShortDateFormat, depth + 1);
                if (Parts_.Hour || Parts_.Minute || Parts_.Second || Parts_.MSec) {
                    out += ' ';
                    Append(out, Settings_.LongTimeFormat, depth + 1);
                }
                break;
            case 'D':
                switch (std::min<size_t>(run, 6)) {
                case 1:
                case 2:
                    AppendNumber(out, Parts_.Day, static_cast<int>(run));
                    break;
                case 3:
                case 4:
                    if (Parts_.DayOfWeek)
                        out += (run == 3 ? Settings_.ShortDayNames
                                         : Settings_.LongDayNames)[static_cast<size_t>(Parts_.DayOfWeek - 1)];
                    break;
                case 5:
                    Append(out, Settings_.ShortDateFormat, depth + 1);
                    break;
                default:
                    Append(out, Settings_.LongDateFormat, depth + 1);
                    break;
                }
                break;
            case 'M':
                if (run <= 2 && (afterHour || SecondFollows(format, i + run))) {
                    AppendNumber(out, Parts_.Minute, static_cast<int>(run));
                } else if (run <= 2) {
                    AppendNumber(out, Parts_.Month, static_cast<int>(run));
                } else if (Parts_.Month) {
                    out += (run == 3 ? Settings_.ShortMonthNames
                                     : Settings_.LongMonthNames)[static_cast<size_t>(Parts_.Month - 1)];
                }
                break;
            case 'Y':
                if (run <= 2)
                    AppendNumber(out, Parts_.Year % 100, 2);
                else
                    AppendNumber(out, Parts_.Year, 4);
                break;
            case 'H': {
                int hour = Parts_.Hour;
                if (TwelveHourClockAfter(format, i + run) || TwelveHourClockBefore(format, i)) {
                    hour %= 12;
                    if (hour == 0)
                        hour = 12;
                }
                AppendNumber(out, hour, run == 1 ? 1 : 2);
                isHour = true;
                break;
            }
            case 'N':
                AppendNumber(out, Parts_.Minute, run == 1 ? 1 : 2);
                break;
            case 'S':
                AppendNumber(out, Parts_.Second, run == 1 ? 1 : 2);
                break;
            case 'Z':
                AppendNumber(out, Parts_.MSec, run >= 3 ? 3 : 1);
                break;
            case 'T':
                Append(out, run == 1 ? Settings_.ShortTimeFormat : Settings_.LongTimeFormat, depth + 1);
                break;
            case 'A': {
                const bool pm = Parts_.Hour >= 12;
                if (StartsWithNoCase(format, i, "am/pm")) {
                    out.append(format.substr(pm ? i + 3 : i, 2));
                    run = 5;
                } else if (StartsWithNoCase(format, i, "a/p")) {
                    out += format[pm ? i + 2 : i];
                    run = 3;
                } else if (StartsWithNoCase(format, i, "ampm")) {
                    out += pm ? Settings_.TimePMString : Settings_.TimeAMString;
                    run = 4;
                } else {
                    out += c;
                    run = 1;
                }
                break;
            }
            case '/':
                out += Settings_.DateSeparator;
                i += 1;
                continue;
            case ':':
                out += Settings_.TimeSeparator;
                i += 1;
                continue;
            default:
                out += c;
                i += 1;
                continue; // a literal keeps "m after h" alive ("hh:mm", "h.mm")
            }
            afterHour = isHour;
            i += run;
        }
    }

private:
    TBrokenDown Parts_;
    const TFormatSettings& Settings_;
};

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInAMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    date =
        static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day))) +
        UnixDateDelta;
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& time)
{
    if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 || msec < 0 ||
        msec >= 1000)
        return false;
    time = static_cast<double>(((hour * 60 + minute) * 60 + second) * 1000 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime date;
    if (!TryEncodeDate(year, month, day, date))
        throw EConvertError("Invalid argument to date encode");
    return date;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    TDateTime time;
    if (!TryEncodeTime(hour, minute, second, msec, time))
        throw EConvertError("Invalid argument to time encode");
    return time;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time)
{
    return date < 0 ? date - time : date + time;
}

void DecodeDate(TDateTime value, WORD& year, WORD& month, WORD& day)
{
    const TBrokenDown b = BreakDown(value);
    year = static_cast<WORD>(b.Year);
    month = static_cast<WORD>(b.Month);
    day = static_cast<WORD>(b.Day);
}

void DecodeTime(TDateTime value, WORD& hour, WORD& minute, WORD& second, WORD& msec)
{
    const TBrokenDown b = BreakDown(value);
    hour = static_cast<WORD>(b.Hour);
    minute = static_cast<WORD>(b.Minute);
    second = static_cast<WORD>(b.Second);
    msec = static_cast<WORD>(b.MSec);
}

int DayOfWeek(TDateTime value)
{
    return BreakDown(value).DayOfWeek;
}

TDateTime Now()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return TimespecToDateTime(ts);
}

TDateTime Date()
{
    return std::trunc(Now());
}

TDateTime Time()
{
    const TDateTime now = Now();
    return now - std::trunc(now);
}

TDateTime TimespecToUtcDateTime(const timespec& time)
{
    return FromEpoch(static_cast<std::int64_t>(time.tv_sec), time.tv_nsec / 1000000);
}

TDateTime TimespecToDateTime(const timespec& time)
{
    const std::int64_t seconds = static_cast<std::int64_t>(time.tv_sec);
    return FromEpoch(seconds + LocalOffset(seconds), time.tv_nsec / 1000000);
}

TDateTime FileDateToDateTime(std::int64_t fileDate)
{
    if (fileDate == -1)
        return 0;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(fileDate);
    return TimespecToDateTime(ts);
}

TDateTime FileTimeToDateTime(const FILETIME& fileTime)
{
    return TimespecToDateTime(FileTimeToTimespec(fileTime));
}

TDateTime FileTimeToUtcDateTime(const FILETIME& fileTime)
{
    return TimespecToUtcDateTime(FileTimeToTimespec(fileTime));
}

std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& settings)
{
    std::string out;
    TDateFormatter formatter(value, settings);
    formatter.Append(out, format.empty() ? std::string_view("c") : format, 0);
    return out;
}

std::string FormatDateTime(std::string_view format, TDateTime value)
{
    return FormatDateTime(format, value, GetFormatSettings());
}

std::string DateTimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime("c", value, settings);
}

std::string DateTimeToStr(TDateTime value)
{
    return DateTimeToStr(value, GetFormatSettings());
}

std::string DateToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime("ddddd", value, settings);
}

std::string DateToStr(TDateTime value)
{
    return DateToStr(value, GetFormatSettings());
}

std::string TimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime("tt", value, settings);
}

std::string TimeToStr(TDateTime value)
{
    return TimeToStr(value, GetFormatSettings());
}

} // namespace vcl
