#include "vcl/core/FloatFormat.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/FloatDigits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace vcl {
namespace detail {

TFloatRec RawDigits(double value)
{
    TFloatRec r;
    const double magnitude = std::fabs(value);
    if (magnitude == 0 || !std::isfinite(magnitude))
        return r;
    r.Negative = std::signbit(value);
    // "d.ddddddddddddddddde+XX": the 18 leading digits, correctly rounded.
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, kMaxFloatDigits - 1);
    const std::string_view text(buf, static_cast<size_t>(res.ptr - buf));
    const size_t e = text.find('e');
    r.Digits.reserve(kMaxFloatDigits);
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            r.Digits += text[i];
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
    r.Exponent = exponent + 1;
    while (!r.Digits.empty() && r.Digits.back() == '0')
        r.Digits.pop_back();
    return r;
}

void RoundDigits(TFloatRec& r, int keep)
{
    if (r.Digits.empty() || keep >= static_cast<int>(r.Digits.size()))
        return;
    if (keep < 0) {
        r = TFloatRec{};
        return;
    }
    const bool up = r.Digits[static_cast<size_t>(keep)] >= '5';
    r.Digits.resize(static_cast<size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && r.Digits[static_cast<size_t>(i)] == '9')
            r.Digits[static_cast<size_t>(i--)] = '0';
        if (i < 0) {
            r.Digits.insert(r.Digits.begin(), '1');
            ++r.Exponent;
        } else {
            ++r.Digits[static_cast<size_t>(i)];
        }
    }
    while (!r.Digits.empty() && r.Digits.back() == '0')
        r.Digits.pop_back();
    if (r.Digits.empty())
        r = TFloatRec{};
}

TFloatRec FloatToDecimal(double value, int precision, int decimals)
{
    TFloatRec r = RawDigits(value);
    if (!r.Digits.empty())
        RoundDigits(r, std::min(precision, r.Exponent + decimals));
    return r;
}

std::string IntegerDigits(const TFloatRec& r)
{
    std::string out;
    for (int i = 0; i < r.Exponent; ++i)
        out += i < static_cast<int>(r.Digits.size()) ? r.Digits[static_cast<size_t>(i)] : '0';
    return out;
}

std::string FractionDigits(const TFloatRec& r, int decimals)
{
    std::string out;
    for (int k = 0; k < decimals; ++k) {
        const int pos = r.Exponent + k;
        out += pos >= 0 && pos < static_cast<int>(r.Digits.size()) ? r.Digits[static_cast<size_t>(pos)] : '0';
    }
    return out;
}

std::string GroupThousands(const std::string& digits, char separator)
{
    if (separator == '\0' || digits.size() <= 3)
        return digits;
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

std::string ExponentText(int exponent, bool alwaysSign, int minDigits)
{
    std::string out;
    if (exponent < 0)
        out += '-';
    else if (alwaysSign)
        out += '+';
    std::string digits = std::to_string(exponent < 0 ? -static_cast<long>(exponent) : exponent);
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');
    return out + digits;
}

} // namespace detail

namespace {

using namespace detail;

constexpr int kMaxDecimals = 18;
constexpr int kNoDecimalLimit = 1 << 16;

std::string NonFiniteText(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value > 0 ? "INF" : "-INF";
}

// ffExponent: all digits of the precision, "E", a sign, the exponent.
std::string ExponentForm(const TFloatRec& r, int precision, int minExponentDigits, char decimalSeparator)
{
    std::string out = r.Negative ? "-" : "";
    out += r.Digits.empty() ? '0' : r.Digits[0];
    if (precision > 1) {
        out += decimalSeparator;
        for (int i = 1; i < precision; ++i)
            out += i < static_cast<int>(r.Digits.size()) ? r.Digits[static_cast<size_t>(i)] : '0';
    }
    out += 'E';
    out += ExponentText(r.Digits.empty() ? 0 : r.Exponent - 1, true, minExponentDigits);
    return out;
}

std::string GeneralForm(const TFloatRec& r, int precision, int minExponentDigits, char decimalSeparator)
{
    if (r.Digits.empty())
        return "0";
    std::string out = r.Negative ? "-" : "";
    if (r.Exponent > precision || r.Exponent < -4) {
        out += r.Digits[0];
        if (r.Digits.size() > 1) {
            out += decimalSeparator;
            out.append(r.Digits, 1);
        }
        out += 'E';
        out += ExponentText(r.Exponent - 1, false, minExponentDigits);
        return out;
    }
    const std::string integer = IntegerDigits(r);
    out += integer.empty() ? "0" : integer;
    const int decimals = static_cast<int>(r.Digits.size()) - r.Exponent;
    if (decimals > 0) {
        out += decimalSeparator;
        out += FractionDigits(r, decimals);
    }
    return out;
}

std::string CurrencyForm(const std::string& number, bool negative, const TFormatSettings& fs)
{
    const std::string& c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
        case 1:
            return number + c;
        case 2:
            return c + ' ' + number;
        case 3:
            return number + ' ' + c;
        default:
            return c + number;
        }
    }
    switch (fs.NegCurrFormat) {
    case 1:
        return '-' + c + number;
    case 2:
        return c + '-' + number;
    case 3:
        return c + number + '-';
    case 4:
        return '(' + number + c + ')';
    case 5:
        return '-' + number + c;
    case 6:
        return number + '-' + c;
    case 7:
        return number + c + '-';
    case 8:
        return '-' + number + ' ' + c;
    case 9:
        return '-' + c + ' ' + number;
    case 10:
        return number + ' ' + c + '-';
    case 11:
        return c + ' ' + number + '-';
    case 12:
        return c + ' ' + '-' + number;
    case 13:
        return number + '-' + ' ' + c;
    case 14:
        return '(' + c + ' ' + number + ')';
    case 15:
        return '(' + number + ' ' + c + ')';
    default:
        return '(' + c + number + ')';
    }
}

} // namespace

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& fs)
{
    if (!std::isfinite(value))
        return NonFiniteText(value);
    precision = std::clamp(precision, 1, kMaxFloatDigits);
    switch (format) {
    case ffGeneral:
        return GeneralForm(FloatToDecimal(value, precision, kNoDecimalLimit), precision,
                           std::clamp(digits, 0, 4), fs.DecimalSeparator);
    case ffExponent:
        return ExponentForm(FloatToDecimal(value, precision, kNoDecimalLimit), precision,
                            std::clamp(digits, 0, 4), fs.DecimalSeparator);
    case ffFixed:
    case ffNumber:
    case ffCurrency:
        break;
    }
    digits = std::clamp(digits, 0, kMaxDecimals);
    const TFloatRec r = FloatToDecimal(value, precision, digits);
    if (r.Exponent > precision) // more integer digits than the precision holds
        return GeneralForm(r, precision, 0, fs.DecimalSeparator);
    std::string integer = IntegerDigits(r);
    if (integer.empty())
        integer = "0";
    if (format != ffFixed)
        integer = GroupThousands(integer, fs.ThousandSeparator);
    std::string number = integer;
    if (digits > 0) {
        number += fs.DecimalSeparator;
        number += FractionDigits(r, digits);
    }
    if (format == ffCurrency)
        return CurrencyForm(number, r.Negative, fs);
    return r.Negative ? '-' + number : number;
}

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits)
{
    return FloatToStrF(value, format, precision, digits, GetFormatSettings());
}

std::string FloatToStr(double value, const TFormatSettings& settings)
{
    return FloatToStrF(value, ffGeneral, 15, 0, settings);
}

std::string FloatToStr(double value)
{
    return FloatToStr(value, GetFormatSettings());
}

// ---- FormatFloat ----------------------------------------------------------

namespace {

// One section of a FormatFloat picture, as far as the digits go.
struct TPicture {
    std::string_view Text;
    int IntegerPlaces = 0; // '0' and '#' before the decimal point
    int MinIntegerDigits = 0;
    int FractionPlaces = 0; // '0' and '#' after it
    int MinFractionDigits = 0;
    bool Thousands = false;
    bool Scientific = false;
};

// Length of the quoted text starting at text[i] (quote included), or 0.
size_t QuotedLength(std::string_view text, size_t i)
{
    const char q = text[i];
    if (q != '"' && q != '\'')
        return 0;
    const size_t end = text.find(q, i + 1);
    return end == std::string_view::npos ? text.size() - i : end - i + 1;
}

bool IsExponentAt(std::string_view text, size_t i)
{
    return (text[i] == 'E' || text[i] == 'e') && i + 1 < text.size() &&
           (text[i + 1] == '+' || text[i + 1] == '-');
}

TPicture ParsePicture(std::string_view text)
{
    TPicture p;
    p.Text = text;
    bool afterPoint = false;
    int firstZero = -1;
    int lastZero = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (const size_t q = QuotedLength(text, i)) {
            i += q - 1;
            continue;
        }
        const char c = text[i];
        if (c == '0' || c == '#') {
            if (afterPoint) {
                if (c == '0')
                    lastZero = p.FractionPlaces;
                ++p.FractionPlaces;
            } else {
                if (c == '0' && firstZero < 0)
                    firstZero = p.IntegerPlaces;
                ++p.IntegerPlaces;
            }
        } else if (c == '.') {
            afterPoint = true;
        } else if (c == ',') {
            p.Thousands = true;
        } else if (IsExponentAt(text, i)) {
            p.Scientific = true;
            break;
        }
    }
    p.MinIntegerDigits = firstZero < 0 ? 0 : p.IntegerPlaces - firstZero;
    p.MinFractionDigits = lastZero + 1;
    return p;
}

struct TPictureDigits {
    std::string Integer;
    std::string Fraction;
    int Exponent = 0;
    // Digits of the value itself before the decimal point.
    int ValueIntegerDigits = 0;
    bool Zero = true;
};

TPictureDigits PictureDigits(const TPicture& p, double magnitude)
{
    TPictureDigits d;
    TFloatRec r;
    if (p.Scientific) {
        r = FloatToDecimal(magnitude, std::clamp(p.IntegerPlaces + p.FractionPlaces, 1, kMaxFloatDigits),
                           kNoDecimalLimit);
        if (!r.Digits.empty()) {
            d.Exponent = r.Exponent - p.IntegerPlaces;
            r.Exponent = p.IntegerPlaces;
        }
        d.Integer = IntegerDigits(r);
    } else {
        r = FloatToDecimal(magnitude, kMaxFloatDigits, std::min(p.FractionPlaces, kMaxDecimals));
        d.Integer = IntegerDigits(r);
    }
    d.Zero = r.Digits.empty();
    d.ValueIntegerDigits = d.Zero ? 0 : std::max(0, r.Exponent);
    if (static_cast<int>(d.Integer.size()) < p.MinIntegerDigits)
        d.Integer.insert(0, static_cast<size_t>(p.MinIntegerDigits) - d.Integer.size(), '0');
    d.Fraction = FractionDigits(r, p.FractionPlaces);
    while (static_cast<int>(d.Fraction.size()) > p.MinFractionDigits && d.Fraction.back() == '0')
        d.Fraction.pop_back();
    return d;
}

std::string RenderPicture(const TPicture& p, const TPictureDigits& d, bool minus, const TFormatSettings& fs)
{
    std::string out = minus ? "-" : "";
    const std::string_view text = p.Text;
    const int excess = std::max(0, static_cast<int>(d.Integer.size()) - p.IntegerPlaces);
    const int missing = std::max(0, p.IntegerPlaces - static_cast<int>(d.Integer.size()));
    const auto putIntegerDigit = [&](size_t pos) {
        if (p.Thousands && pos > 0 && (d.Integer.size() - pos) % 3 == 0 && fs.ThousandSeparator != '\0')
            out += fs.ThousandSeparator;
        out += d.Integer[pos];
    };
    int integerPlace = 0;
    int fractionPlace = 0;
    bool afterPoint = false;
    bool integerDone = false;
    const auto finishInteger = [&] {
        // A picture without integer places still shows the integer digits.
        if (!integerDone && p.IntegerPlaces == 0)
            for (size_t pos = 0; pos < d.Integer.size(); ++pos)
                putIntegerDigit(pos);
        integerDone = true;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (const size_t q = QuotedLength(text, i)) {
            const size_t inner = q >= 2 && text[i + q - 1] == text[i] ? q - 2 : q - 1;
            out.append(text.substr(i + 1, inner));
            i += q - 1;
            continue;
        }
        const char c = text[i];
        if ((c == '0' || c == '#') && !afterPoint) {
            if (integerPlace == 0)
                for (int k = 0; k < excess; ++k)
                    putIntegerDigit(static_cast<size_t>(k));
            const int pos = integerPlace - missing + excess;
            if (integerPlace >= missing)
                putIntegerDigit(static_cast<size_t>(pos));
            ++integerPlace;
        } else if (c == '0' || c == '#') {
            if (fractionPlace < static_cast<int>(d.Fraction.size()))
                out += d.Fraction[static_cast<size_t>(fractionPlace)];
            ++fractionPlace;
        } else if (c == '.' && !afterPoint) {
            finishInteger();
            afterPoint = true;
            if (!d.Fraction.empty())
                out += fs.DecimalSeparator;
        } else if (c == ',') {
            // grouping only
        } else if (IsExponentAt(text, i)) {
            finishInteger();
            out += c;
            const bool alwaysSign = text[i + 1] == '+';
            i += 2;
            int minDigits = 0;
            while (i < text.size() && text[i] == '0') {
                ++minDigits;
                ++i;
            }
            out += ExponentText(d.Exponent, alwaysSign, minDigits);
            // The rest of the picture is literal text.
            for (; i < text.size(); ++i) {
                if (const size_t q2 = QuotedLength(text, i)) {
                    const size_t inner = q2 >= 2 && text[i + q2 - 1] == text[i] ? q2 - 2 : q2 - 1;
                    out.append(text.substr(i + 1, inner));
                    i += q2 - 1;
                } else {
                    out += text[i];
                }
            }
            return out;
        } else {
            out += c;
        }
    }
    finishInteger();
    return out;
}

// The picture's sections: each ends at the next ";" outside quotes; a
// fourth and any later one are ignored.
std::vector<std::string_view> SplitSections(std::string_view format)
{
    constexpr size_t kSections = 3;
    std::vector<std::string_view> sections;
    size_t start = 0;
    for (size_t i = 0; i < format.size() && sections.size() < kSections; ++i) {
        if (const size_t q = QuotedLength(format, i)) {
            i += q - 1;
            continue;
        }
        if (format[i] == ';') {
            sections.push_back(format.substr(start, i - start));
            start = i + 1;
        }
    }
    if (sections.size() < kSections)
        sections.push_back(format.substr(start));
    sections.resize(kSections);
    return sections;
}

// Past this many digits before the decimal point a picture without an
// exponent gives way to the general format.
constexpr int kMaxPictureIntegerDigits = 18;

} // namespace

std::string FormatFloat(std::string_view format, double value, const TFormatSettings& fs)
{
    if (!std::isfinite(value))
        return FloatToStr(value, fs);
    const std::vector<std::string_view> sections = SplitSections(format);
    const bool negative = value < 0;
    const bool negativeSection = negative && !sections[1].empty();
    const std::string_view chosen = negativeSection ? sections[1] : sections[0];
    const auto zeroSection = [&] {
        const TPicture zero = ParsePicture(sections[2]);
        return RenderPicture(zero, PictureDigits(zero, 0.0), false, fs);
    };
    if (chosen.empty()) {
        // An empty section (or picture) means the general format.
        if (value == 0 && !sections[2].empty())
            return zeroSection();
        return FloatToStr(value, fs);
    }
    const TPicture picture = ParsePicture(chosen);
    const TPictureDigits digits = PictureDigits(picture, std::fabs(value));
    if (!picture.Scientific && digits.ValueIntegerDigits > kMaxPictureIntegerDigits)
        return FloatToStr(value, fs);
    if (digits.Zero && !sections[2].empty())
        return zeroSection();
    return RenderPicture(picture, digits, negative && !negativeSection && !digits.Zero, fs);
}

std::string FormatFloat(std::string_view format, double value)
{
    return FormatFloat(format, value, GetFormatSettings());
}

// ---- StrToFloat -----------------------------------------------------------

bool TryStrToFloat(std::string_view text, double& value, const TFormatSettings& fs)
{
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    std::string plain;
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            plain += '-';
        ++i;
    }
    size_t digits = 0;
    const auto takeDigits = [&] {
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
            plain += text[i];
    };
    takeDigits();
    if (i < text.size() && text[i] == fs.DecimalSeparator) {
        plain += '.';
        ++i;
        takeDigits();
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            plain += text[i++];
        digits = 0;
        takeDigits();
        if (digits == 0)
            return false;
    }
    if (i != text.size())
        return false;
    double parsed = 0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), parsed);
    if (res.ec != std::errc() || res.ptr != plain.data() + plain.size())
        return false;
    value = parsed;
    return true;
}

bool TryStrToFloat(std::string_view text, double& value)
{
    return TryStrToFloat(text, value, GetFormatSettings());
}

double StrToFloat(std::string_view text, const TFormatSettings& settings)
{
    double value = 0;
    if (!TryStrToFloat(text, value, settings))
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return value;
}

double StrToFloat(std::string_view text)
{
    return StrToFloat(text, GetFormatSettings());
}

} // namespace vcl
