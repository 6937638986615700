#pragma once
// Dates and times as the framework keeps them: TDateTime is a double that
// counts days since 1899-12-30, its fraction the time of day. A date before
// that day is negative and its fraction still counts forward from midnight
// (-1.25 is 1899-12-29 06:00), which is how ComposeDateTime joins the parts.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/FormatSettings.h"
#include "win32/WinTypes.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace vcl {

using TDateTime = double;

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = HoursPerDay * 60;
constexpr int SecsPerDay = MinsPerDay * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;
// TDateTime of 1970-01-01, the POSIX epoch.
constexpr double UnixDateDelta = 25569.0;

CORVANE_VCL_EXPORT bool IsLeapYear(int year);
CORVANE_VCL_EXPORT int DaysInAMonth(int year, int month); // 0 for a month outside 1..12

// Years 1 to 9999. EncodeDate and EncodeTime raise EConvertError ("Invalid
// argument to date encode" / "... time encode") where the Try forms say false.
CORVANE_VCL_EXPORT bool TryEncodeDate(int year, int month, int day, TDateTime& date);
CORVANE_VCL_EXPORT bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& time);
CORVANE_VCL_EXPORT TDateTime EncodeDate(int year, int month, int day);
CORVANE_VCL_EXPORT TDateTime EncodeTime(int hour, int minute, int second, int msec);
// Date part plus time part, right also for dates before 1899-12-30.
CORVANE_VCL_EXPORT TDateTime ComposeDateTime(TDateTime date, TDateTime time);

// A value outside years 1 to 9999 (or not a number) decodes to 0/0/0 and
// 00:00:00.000. The time is rounded to the nearest millisecond.
CORVANE_VCL_EXPORT void DecodeDate(TDateTime value, WORD& year, WORD& month, WORD& day);
CORVANE_VCL_EXPORT void DecodeTime(TDateTime value, WORD& hour, WORD& minute, WORD& second, WORD& msec);
// 1 = Sunday ... 7 = Saturday; 0 for a value DecodeDate rejects.
CORVANE_VCL_EXPORT int DayOfWeek(TDateTime value);

// The local date and time.
CORVANE_VCL_EXPORT TDateTime Now();
CORVANE_VCL_EXPORT TDateTime Date();
CORVANE_VCL_EXPORT TDateTime Time();

// Points in time to local TDateTime (milliseconds kept, the rest dropped):
// a file date is the POSIX seconds that FileAge returns (-1: none, gives 0);
// a FILETIME counts 100 ns since 1601-01-01 UTC. The Utc forms do no
// time-zone conversion.
CORVANE_VCL_EXPORT TDateTime FileDateToDateTime(std::int64_t fileDate);
CORVANE_VCL_EXPORT TDateTime TimespecToDateTime(const timespec& time);
CORVANE_VCL_EXPORT TDateTime TimespecToUtcDateTime(const timespec& time);
CORVANE_VCL_EXPORT TDateTime FileTimeToDateTime(const FILETIME& fileTime);
CORVANE_VCL_EXPORT TDateTime FileTimeToUtcDateTime(const FILETIME& fileTime);

// Letters (any case) of a FormatDateTime format:
//   c       ShortDateFormat, then LongTimeFormat unless the time is midnight
//   d dd    day            ddd dddd  short / long day name
//   ddddd   ShortDateFormat           dddddd  LongDateFormat
//   m mm    month, or minutes right after an hour specifier or right
//           before a second specifier ("hh:mm", "mm:ss")
//   mmm mmmm  short / long month name
//   yy yyyy year           h hh  hour  n nn  minute  s ss  second
//   z zzz   millisecond    t  ShortTimeFormat   tt  LongTimeFormat
//   am/pm a/p  12-hour clock for the hour next to them (before or after,
//           as the locale writes it), the marker in the case written
//   ampm    12-hour clock with TimeAMString / TimePMString
//   /  DateSeparator   :  TimeSeparator   "text" 'text'  literal text
// Other characters are copied. An empty format is "c". A run of one letter is
// one specifier: a run longer than its longest form means that form
// ("mmmmm" is the long month name), and a run between two forms the shorter
// one ("y" and "yy" two digits of the year, "yyy" four; "zz" the millisecond
// as "z").
CORVANE_VCL_EXPORT std::string FormatDateTime(std::string_view format, TDateTime value);
CORVANE_VCL_EXPORT std::string FormatDateTime(std::string_view format, TDateTime value,
                                              const TFormatSettings& settings);

CORVANE_VCL_EXPORT std::string DateTimeToStr(TDateTime value); // "c"
CORVANE_VCL_EXPORT std::string DateTimeToStr(TDateTime value, const TFormatSettings& settings);
CORVANE_VCL_EXPORT std::string DateToStr(TDateTime value); // ShortDateFormat
CORVANE_VCL_EXPORT std::string DateToStr(TDateTime value, const TFormatSettings& settings);
CORVANE_VCL_EXPORT std::string TimeToStr(TDateTime value); // LongTimeFormat
CORVANE_VCL_EXPORT std::string TimeToStr(TDateTime value, const TFormatSettings& settings);

} // namespace vcl
