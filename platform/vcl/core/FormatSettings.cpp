#include "vcl/core/FormatSettings.h"
#include "vcl/core/FormatSettingsTesting.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <optional>

namespace vcl {
namespace {

bool IsBlankChar(QChar c)
{
    return c.isSpace() || c == QChar(0x00A0) || c == QChar(0x202F) || c == QChar(0x2009);
}

// The framework keeps separators as one byte.
char SingleByteSeparator(const QString& text, char fallback)
{
    if (text.size() != 1)
        return text.isEmpty() ? '\0' : fallback;
    const QChar c = text.front();
    if (c.unicode() < 0x80)
        return static_cast<char>(c.unicode());
    if (IsBlankChar(c))
        return ' ';
    if (c == QChar(0x2019) || c == QChar(0x2018))
        return '\'';
    return fallback;
}

// The first punctuation character between the fields of a Qt format.
char SeparatorOf(const QString& qtFormat, char fallback)
{
    bool quoted = false;
    for (const QChar c : qtFormat) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (quoted || c.isLetter() || IsBlankChar(c) || c == QLatin1Char(','))
            continue;
        if (c.unicode() < 0x80)
            return static_cast<char>(c.unicode());
        return fallback;
    }
    return fallback;
}

std::string Utf8(const QString& s)
{
    return s.toStdString();
}

void AppendQuotedLiteral(std::string& out, const std::string& literal)
{
    if (literal.empty())
        return;
    const char quote = literal.find('"') == std::string::npos ? '"' : '\'';
    out += quote;
    out += literal;
    out += quote;
}

// Normalises a currency sample to the pattern letters of the framework's
// tables: "$" for the symbol, "1" for the amount, " " for any blank.
std::string CurrencyShape(const QString& sample, const QString& symbol)
{
    QString s = sample;
    if (!symbol.isEmpty())
        s.replace(symbol, QStringLiteral("$"));
    const auto isAmountSeparator = [](QChar c) {
        return c == QLatin1Char('.') || c == QLatin1Char(',') || c == QChar(0x2019) || IsBlankChar(c);
    };
    std::string out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isDigit()) {
            // The amount with its group and decimal separators is one "1".
            while (i + 1 < s.size() && (s[i + 1].isDigit() || (isAmountSeparator(s[i + 1]) &&
                                                               i + 2 < s.size() && s[i + 2].isDigit())))
                ++i;
            out += '1';
        } else if (IsBlankChar(c)) {
            out += ' ';
        } else if (c == QChar(0x2212) || c == QLatin1Char('-')) {
            out += '-';
        } else if (c.unicode() < 0x80) {
            out += static_cast<char>(c.unicode());
        }
    }
    return out;
}

constexpr const char* kPositiveCurrencyShapes[4] = {"$1", "1$", "$ 1", "1 $"};
constexpr const char* kNegativeCurrencyShapes[16] = {"($1)", "-$1",  "$-1",   "$1-",  "(1$)", "-1$",
                                                     "1-$",  "1$-",  "-1 $",  "-$ 1", "1 $-", "$ 1-",
                                                     "$ -1", "1- $", "($ 1)", "(1 $)"};

template <size_t N>
std::optional<unsigned char> ShapeIndex(const std::string& shape, const char* const (&table)[N])
{
    for (size_t i = 0; i < N; ++i)
        if (shape == table[i])
            return static_cast<unsigned char>(i);
    return std::nullopt;
}

TFormatSettings FromLocale(const QLocale& locale)
{
    TFormatSettings fs;
    fs.DecimalSeparator = SingleByteSeparator(locale.decimalPoint(), '.');
    if (fs.DecimalSeparator == '\0')
        fs.DecimalSeparator = '.';
    fs.ThousandSeparator = SingleByteSeparator(locale.groupSeparator(), ' ');
    if (fs.ThousandSeparator == fs.DecimalSeparator)
        fs.ThousandSeparator = '\0';
    fs.ListSeparator = fs.DecimalSeparator == ',' ? ';' : ',';

    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    fs.DateSeparator = SeparatorOf(shortDate, '/');
    fs.TimeSeparator = SeparatorOf(shortTime, ':');
    const auto convert = [&](const QString& qt) {
        return DateTimeFormatFromQt(Utf8(qt), fs.DateSeparator, fs.TimeSeparator);
    };
    fs.ShortDateFormat = convert(shortDate);
    fs.LongDateFormat = convert(locale.dateFormat(QLocale::LongFormat));
    fs.ShortTimeFormat = convert(shortTime);
    fs.LongTimeFormat = convert(locale.timeFormat(QLocale::LongFormat));
    fs.TimeAMString = Utf8(locale.amText());
    fs.TimePMString = Utf8(locale.pmText());

    for (int i = 0; i < 12; ++i) {
        fs.ShortMonthNames[i] = Utf8(locale.monthName(i + 1, QLocale::ShortFormat));
        fs.LongMonthNames[i] = Utf8(locale.monthName(i + 1, QLocale::LongFormat));
    }
    for (int i = 0; i < 7; ++i) {
        const int qtDay = i == 0 ? 7 : i; // Qt counts from Monday = 1
        fs.ShortDayNames[i] = Utf8(locale.dayName(qtDay, QLocale::ShortFormat));
        fs.LongDayNames[i] = Utf8(locale.dayName(qtDay, QLocale::LongFormat));
    }

    const QString symbol = locale.currencySymbol();
    fs.CurrencyString = Utf8(symbol);
    const QString positive = locale.toCurrencyString(1.0);
    const QString negative = locale.toCurrencyString(-1.0);
    fs.CurrencyFormat = ShapeIndex(CurrencyShape(positive, symbol), kPositiveCurrencyShapes).value_or(0);
    fs.NegCurrFormat = ShapeIndex(CurrencyShape(negative, symbol), kNegativeCurrencyShapes)
                           .value_or(static_cast<unsigned char>(fs.CurrencyFormat == 0   ? 1
                                                                : fs.CurrencyFormat == 1 ? 5
                                                                : fs.CurrencyFormat == 2 ? 9
                                                                                         : 8));
    const qsizetype point = positive.lastIndexOf(locale.decimalPoint());
    unsigned char decimals = 0;
    if (point >= 0)
        for (qsizetype i = point + 1; i < positive.size() && positive[i].isDigit(); ++i)
            ++decimals;
    fs.CurrencyDecimals = decimals;
    return fs;
}

struct SettingsSlot {
    std::mutex Lock;
    std::optional<TFormatSettings> Value;
};

SettingsSlot& Slot()
{
    static SettingsSlot slot;
    return slot;
}

} // namespace

TFormatSettings TFormatSettings::FromSystemLocale()
{
    return FromLocale(QLocale::system());
}

TFormatSettings TFormatSettings::FromLocaleName(const std::string& name)
{
    return FromLocale(QLocale(QString::fromStdString(name)));
}

const TFormatSettings& GetFormatSettings()
{
    SettingsSlot& slot = Slot();
    std::lock_guard guard(slot.Lock);
    if (!slot.Value)
        slot.Value = TFormatSettings::FromSystemLocale();
    return *slot.Value;
}

std::string DateTimeFormatFromQt(const std::string& qt, char dateSeparator, char timeSeparator)
{
    std::string out;
    std::string literal; // pending literal letters, quoted when flushed
    const auto flush = [&] {
        AppendQuotedLiteral(out, literal);
        literal.clear();
    };
    for (size_t i = 0; i < qt.size();) {
        const char c = qt[i];
        if (c == '\'') {
            // Qt's quoted text; '' inside or outside quotes is one quote.
            size_t j = i + 1;
            if (j < qt.size() && qt[j] == '\'') {
                literal += '\'';
                i = j + 1;
                continue;
            }
            while (j < qt.size()) {
                if (qt[j] == '\'') {
                    if (j + 1 < qt.size() && qt[j + 1] == '\'') {
                        literal += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                literal += qt[j++];
            }
            i = j < qt.size() ? j + 1 : j;
            continue;
        }
        size_t run = 1;
        while (i + run < qt.size() && qt[i + run] == c)
            ++run;
        std::string field;
        switch (c) {
        case 'd':
            field = std::string(std::min<size_t>(run, 4), 'd');
            break;
        case 'M':
            field = std::string(std::min<size_t>(run, 4), 'm');
            break;
        case 'y':
            field = run <= 2 ? "yy" : "yyyy";
            break;
        case 'h':
        case 'H':
            field = run == 1 ? "h" : "hh";
            break;
        case 'm':
            field = run == 1 ? "n" : "nn";
            break;
        case 's':
            field = run == 1 ? "s" : "ss";
            break;
        case 'z':
            field = run >= 3 ? "zzz" : "z";
            break;
        case 'A':
        case 'a':
            // "AP", "ap", "A" or "a": the locale's morning and afternoon texts.
            field = "AMPM";
            if (i + run < qt.size() && (qt[i + run] == 'P' || qt[i + run] == 'p'))
                ++run;
            break;
        case 't': {
            // The time zone has no counterpart; drop it with the blanks before
            // it and the brackets around it ("(t)", "[t]"). Blanks it leaves
            // at the start go at the end.
            flush();
            while (!out.empty() && out.back() == ' ')
                out.pop_back();
            i += run;
            const char open = out.empty() ? '\0' : out.back();
            if (i < qt.size() && ((open == '(' && qt[i] == ')') || (open == '[' && qt[i] == ']'))) {
                out.pop_back();
                ++i;
                while (!out.empty() && out.back() == ' ')
                    out.pop_back();
            }
            continue;
        }
        default:
            break;
        }
        if (!field.empty()) {
            flush();
            out += field;
            i += run;
            continue;
        }
        if (c == dateSeparator && dateSeparator != ' ') {
            flush();
            out += '/';
        } else if (c == timeSeparator && timeSeparator != ' ') {
            flush();
            out += ':';
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '/' || c == ':' || c == '"') {
            literal += c;
        } else {
            flush();
            out += c;
        }
        ++i;
    }
    flush();
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    out.erase(0, std::min(out.find_first_not_of(' '), out.size()));
    return out;
}

namespace testing {

void SetFormatSettings(const TFormatSettings& settings)
{
    SettingsSlot& slot = Slot();
    std::lock_guard guard(slot.Lock);
    slot.Value = settings;
}

void ResetFormatSettings()
{
    SettingsSlot& slot = Slot();
    std::lock_guard guard(slot.Lock);
    slot.Value.reset();
}

} // namespace testing
} // namespace vcl
