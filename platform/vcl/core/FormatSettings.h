#pragma once
// The locale settings that Format, FormatFloat and FormatDateTime follow.
//
// One process-wide instance is taken from the system locale the first time it
// is asked for; every formatting routine also has an overload that takes the
// settings explicitly, which is what threads other than the GUI thread should
// use. Date and time formats use the framework's letters (m month, n minute,
// "/" and ":" stand for the separators below), not Qt's.

#include "vcl/CorvaneVclExport.h"
#include <array>
#include <string>

namespace vcl {

struct CORVANE_VCL_EXPORT TFormatSettings {
    // Currency: CurrencyFormat 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"; NegCurrFormat
    // is one of the framework's 16 negative patterns (0 "($1)", 1 "-$1", ...).
    std::string CurrencyString = "$";
    unsigned char CurrencyFormat = 0;
    unsigned char NegCurrFormat = 0;
    unsigned char CurrencyDecimals = 2;

    // Separators are single characters in the framework; a locale whose
    // separator is not one byte (a narrow no-break space) gets the nearest
    // single byte (a blank).
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char ListSeparator = ',';

    std::string ShortDateFormat = "m/d/yyyy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string ShortTimeFormat = "h:nn AMPM";
    std::string LongTimeFormat = "h:nn:ss AMPM";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";

    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames{"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};
    // Index 0 is Sunday, as DayOfWeek counts from 1 = Sunday.
    std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};

    // The settings above as they stand: US English, independent of the machine.
    static TFormatSettings Invariant() { return {}; }
    // The settings of the system locale (QLocale::system()).
    static TFormatSettings FromSystemLocale();
    // The settings of a named locale ("de_DE", "en_US", ...), as Qt knows it.
    static TFormatSettings FromLocaleName(const std::string& name);
};

// The process-wide settings, made from the system locale on first use.
CORVANE_VCL_EXPORT const TFormatSettings& GetFormatSettings();

// Converts a date or time format in Qt's letters (d M y h H m s z AP) to the
// framework's (d m y h n s z AMPM, with "/" and ":" for the separators when
// they equal the given ones). Exposed for the units that read Qt's formats.
CORVANE_VCL_EXPORT std::string DateTimeFormatFromQt(const std::string& qtFormat, char dateSeparator,
                                                    char timeSeparator);

} // namespace vcl
