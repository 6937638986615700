#include "vcl/core/Format.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/FloatFormat.h"
#include "vcl/core/Utf8.h"
#include "win32/WideText.h"

#include <algorithm>
#include <optional>

namespace vcl {
namespace {

using TKind = TVarRec::TKind;

// Beyond this a width or precision is taken for a broken format, not padding.
constexpr int kMaxField = 1'000'000;

class TFormatter {
public:
    TFormatter(std::string_view format, TVarRecs args, const TFormatSettings& settings)
        : Format_(format), Args_(args), Settings_(settings)
    {
    }

    std::string Run()
    {
        std::string out;
        out.reserve(Format_.size() + 16 * Args_.size());
        while (Pos_ < Format_.size()) {
            const size_t percent = Format_.find('%', Pos_);
            if (percent == std::string_view::npos) {
                out.append(Format_.substr(Pos_));
                break;
            }
            out.append(Format_.substr(Pos_, percent - Pos_));
            Pos_ = percent + 1;
            if (Pos_ < Format_.size() && Format_[Pos_] == '%') {
                out += '%';
                ++Pos_;
                continue;
            }
            FormatOne(out);
        }
        return out;
    }

private:
    [[noreturn]] void Invalid() const
    {
        throw EConvertError("Format '" + std::string(Format_) + "' invalid or incompatible with argument");
    }
    [[noreturn]] void Missing() const
    {
        throw EConvertError("No argument for format '" + std::string(Format_) + "'");
    }

    const TVarRec& NextArg()
    {
        if (ArgIndex_ >= Args_.size())
            Missing();
        return Args_[ArgIndex_++];
    }

    // Digits or "*" (an integer argument); nothing when neither is there.
    std::optional<int> ReadNumber()
    {
        if (Pos_ < Format_.size() && Format_[Pos_] == '*') {
            ++Pos_;
            const TVarRec& arg = NextArg();
            if (arg.Kind() != TKind::Integer && arg.Kind() != TKind::Int64)
                Invalid();
            const std::int64_t v = arg.AsInt64();
            if (v > kMaxField || v < -kMaxField)
                Invalid();
            return static_cast<int>(v);
        }
        if (Pos_ >= Format_.size() || Format_[Pos_] < '0' || Format_[Pos_] > '9')
            return std::nullopt;
        std::int64_t v = 0;
        while (Pos_ < Format_.size() && Format_[Pos_] >= '0' && Format_[Pos_] <= '9') {
            v = v * 10 + (Format_[Pos_++] - '0');
            if (v > kMaxField)
                Invalid();
        }
        return static_cast<int>(v);
    }

    void FormatOne(std::string& out)
    {
        std::optional<int> number = ReadNumber();
        if (Pos_ < Format_.size() && Format_[Pos_] == ':') {
            if (!number || *number < 0)
                Invalid();
            ArgIndex_ = static_cast<size_t>(*number);
            ++Pos_;
            number = std::nullopt;
        }
        bool left = false;
        if (!number && Pos_ < Format_.size() && Format_[Pos_] == '-') {
            left = true;
            ++Pos_;
        }
        if (!number)
            number = ReadNumber();
        int width = number.value_or(0);
        if (width < 0) {
            left = true;
            width = -width;
        }
        int precision = -1;
        if (Pos_ < Format_.size() && Format_[Pos_] == '.') {
            ++Pos_;
            // "." alone is precision 0, as in C's printf.
            const int p = ReadNumber().value_or(0);
            precision = p < 0 ? -1 : p;
        }
        if (Pos_ >= Format_.size())
            Invalid();
        const char type = static_cast<char>(Format_[Pos_++] | 0x20); // types are case-blind
        const std::string text = Convert(type, NextArg(), precision);
        const size_t pad =
            static_cast<size_t>(width) > text.size() ? static_cast<size_t>(width) - text.size() : 0;
        if (!left)
            out.append(pad, ' ');
        out += text;
        if (left)
            out.append(pad, ' ');
    }

    std::string Convert(char type, const TVarRec& arg, int precision) const
    {
        switch (type) {
        case 'd':
        case 'u':
        case 'x':
            return IntegerText(type, arg, precision);
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm':
            return FloatText(type, arg, precision);
        case 'p':
            if (arg.Kind() != TKind::Pointer)
                Invalid();
            return Hex(reinterpret_cast<std::uintptr_t>(arg.AsPointer()), 2 * sizeof(void*));
        case 's':
        case 'c':
            return StringText(arg, precision);
        default:
            Invalid();
        }
    }

    static std::string Hex(std::uint64_t value, int minDigits)
    {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        std::string out;
        do {
            out += kDigits[value & 0xF];
            value >>= 4;
        } while (value);
        if (static_cast<int>(out.size()) < minDigits)
            out.append(static_cast<size_t>(minDigits) - out.size(), '0');
        std::reverse(out.begin(), out.end());
        return out;
    }

    std::string IntegerText(char type, const TVarRec& arg, int precision) const
    {
        if (!arg.IsInteger())
            Invalid();
        bool negative = false;
        std::uint64_t magnitude;
        if (type == 'd' && arg.Kind() != TKind::UInt64) {
            const std::int64_t v = arg.AsInt64();
            negative = v < 0;
            magnitude = negative ? ~static_cast<std::uint64_t>(v) + 1 : static_cast<std::uint64_t>(v);
        } else if (arg.Kind() == TKind::Integer) {
            // u and x show a 32-bit integer's own 32 bits.
            magnitude = static_cast<std::uint32_t>(arg.AsInt64());
        } else {
            magnitude = arg.AsUInt64();
        }
        std::string digits = type == 'x' ? Hex(magnitude, 0) : std::to_string(magnitude);
        if (precision > static_cast<int>(digits.size()))
            digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
        return negative ? '-' + digits : digits;
    }

    std::string FloatText(char type, const TVarRec& arg, int precision) const
    {
        if (arg.Kind() != TKind::Extended)
            Invalid();
        const double v = arg.AsDouble();
        constexpr int kMax = 18;
        switch (type) {
        case 'e':
            return FloatToStrF(v, ffExponent, precision < 0 ? 15 : std::clamp(precision, 1, kMax), 3,
                               Settings_);
        case 'g':
            return FloatToStrF(v, ffGeneral, precision < 0 ? 15 : std::clamp(precision, 1, kMax), 3,
                               Settings_);
        case 'f':
            return FloatToStrF(v, ffFixed, kMax, precision < 0 ? 2 : std::min(precision, kMax), Settings_);
        case 'n':
            return FloatToStrF(v, ffNumber, kMax, precision < 0 ? 2 : std::min(precision, kMax), Settings_);
        default:
            return FloatToStrF(v, ffCurrency, kMax,
                               precision < 0 ? Settings_.CurrencyDecimals : std::min(precision, kMax),
                               Settings_);
        }
    }

    std::string StringText(const TVarRec& arg, int precision) const
    {
        std::string text;
        switch (arg.Kind()) {
        case TKind::String:
            text = arg.AsText();
            break;
        case TKind::WideString:
            text = win32::WideToBytes(arg.AsWideText());
            break;
        case TKind::Char:
            text = std::string(1, static_cast<char>(arg.AsUInt64()));
            break;
        case TKind::WideChar: {
            const std::uint64_t cp = arg.AsUInt64();
            if (cp > 0x10FFFF)
                Invalid();
            if (cp <= 0xFFFF) {
                // A lone surrogate is an escaped byte of the codec.
                const char16_t unit = static_cast<char16_t>(cp);
                text = win32::WideToBytes(std::u16string_view(&unit, 1));
            } else {
                detail::AppendUtf8(text, static_cast<char32_t>(cp));
            }
            break;
        }
        default:
            Invalid();
        }
        if (precision >= 0)
            text.resize(detail::Utf8CutPoint(text, static_cast<size_t>(precision)));
        return text;
    }

    std::string_view Format_;
    TVarRecs Args_;
    const TFormatSettings& Settings_;
    size_t Pos_ = 0;
    size_t ArgIndex_ = 0;
};

} // namespace

std::string Format(std::string_view format, TVarRecs args, const TFormatSettings& settings)
{
    return TFormatter(format, args, settings).Run();
}

std::string Format(std::string_view format, std::initializer_list<TVarRec> args,
                   const TFormatSettings& settings)
{
    return Format(format, TVarRecs(args.begin(), args.size()), settings);
}

std::string Format(std::string_view format, TVarRecs args)
{
    return Format(format, args, GetFormatSettings());
}

std::string Format(std::string_view format, std::initializer_list<TVarRec> args)
{
    return Format(format, TVarRecs(args.begin(), args.size()), GetFormatSettings());
}

} // namespace vcl
