#pragma once
// The framework's formatter: Format("%s has %d items", {name, count}).
//
// A format specifier is
//     "%" [index ":"] ["-"] [width] ["." precision] type
// with the types
//     d  a signed integer; the precision is the least number of digits
//     u  an integer shown unsigned (a negative 32-bit one as 32 bits)
//     x  an integer in upper-case hexadecimal; precision as for d
//     e  scientific, precision = all digits (default 15)
//     f  fixed, precision = decimals (default 2)
//     g  the shorter of fixed and scientific, precision = digits (default 15)
//     n  like f with thousands separators
//     m  money, with the locale's currency string and patterns
//     p  a pointer, 16 upper-case hexadecimal digits
//     s  a string or character; the precision is the most bytes shown (a
//        UTF-8 character is never cut in two)
//     c  a character (or a string), as s
// Index, width and precision may be "*", taken from the next (integer)
// argument; a negative width from "*" left-justifies, a negative precision
// counts as none, and a "." without digits is precision 0 ("%.f" shows no
// decimals, "%.s" nothing). A precision of 0 keeps at least one digit of
// "e" and "g" and shows the integer 0 as "0". An index moves the argument cursor: "%1:s %0:s %s" shows
// arguments 1, 0 and 1. "%%" is one "%". Widths and precisions count bytes.
// A type that does not match its argument, a bad specifier, or a width or
// precision above 1,000,000 raise EConvertError "Format '<format>' invalid or
// incompatible with argument"; a missing argument "No argument for format
// '<format>'".

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/FormatSettings.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace vcl {

// One argument of Format: a tagged value that refers to (does not copy) the
// caller's strings, which live until the end of the full expression.
class CORVANE_VCL_EXPORT TVarRec {
public:
    enum class TKind {
        Integer,
        Int64,
        UInt64,
        Boolean,
        Char,
        WideChar,
        Extended,
        String,
        WideString,
        Pointer
    };

    template <typename T>
    requires std::is_integral_v<T> TVarRec(T value)
    {
        if constexpr (std::is_same_v<T, bool>) {
            Kind_ = TKind::Boolean;
            Bits_ = value ? 1 : 0;
        } else if constexpr (std::is_same_v<T, char>) {
            Kind_ = TKind::Char;
            Bits_ = static_cast<unsigned char>(value);
        } else if constexpr (std::is_same_v<T, char16_t> || std::is_same_v<T, char32_t> ||
                             std::is_same_v<T, wchar_t>) {
            Kind_ = TKind::WideChar;
            Bits_ = static_cast<std::uint64_t>(value);
        } else if constexpr (std::is_signed_v<T> && sizeof(T) <= 4) {
            Kind_ = TKind::Integer;
            Bits_ = static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
        } else if constexpr (std::is_signed_v<T> || sizeof(T) < 8) {
            // 64-bit signed, or an unsigned value that fits in 64 signed bits
            Kind_ = TKind::Int64;
            Bits_ = static_cast<std::uint64_t>(value);
        } else {
            Kind_ = TKind::UInt64;
            Bits_ = static_cast<std::uint64_t>(value);
        }
    }
    TVarRec(double value) : Kind_(TKind::Extended), Float_(value) {}
    TVarRec(float value) : Kind_(TKind::Extended), Float_(value) {}
    TVarRec(long double value) : Kind_(TKind::Extended), Float_(static_cast<double>(value)) {}
    TVarRec(const char* value)
        : Kind_(TKind::String), Text_(value ? std::string_view(value) : std::string_view())
    {
    }
    TVarRec(const std::string& value) : Kind_(TKind::String), Text_(value) {}
    TVarRec(std::string_view value) : Kind_(TKind::String), Text_(value) {}
    TVarRec(const char16_t* value)
        : Kind_(TKind::WideString), WideText_(value ? std::u16string_view(value) : std::u16string_view())
    {
    }
    TVarRec(const std::u16string& value) : Kind_(TKind::WideString), WideText_(value) {}
    TVarRec(std::u16string_view value) : Kind_(TKind::WideString), WideText_(value) {}
    TVarRec(const void* value) : Kind_(TKind::Pointer), Pointer_(value) {}
    TVarRec(std::nullptr_t) : Kind_(TKind::Pointer), Pointer_(nullptr) {}

    TKind Kind() const { return Kind_; }
    bool IsInteger() const
    {
        return Kind_ == TKind::Integer || Kind_ == TKind::Int64 || Kind_ == TKind::UInt64;
    }
    // The integer as signed (Integer, Int64) or as its 64 bits (UInt64).
    std::int64_t AsInt64() const { return static_cast<std::int64_t>(Bits_); }
    std::uint64_t AsUInt64() const { return Bits_; }
    double AsDouble() const { return Float_; }
    std::string_view AsText() const { return Text_; }
    std::u16string_view AsWideText() const { return WideText_; }
    const void* AsPointer() const { return Pointer_; }

private:
    TKind Kind_;
    std::uint64_t Bits_ = 0;
    double Float_ = 0;
    const void* Pointer_ = nullptr;
    std::string_view Text_;
    std::u16string_view WideText_;
};

using TVarRecs = std::span<const TVarRec>;

CORVANE_VCL_EXPORT std::string Format(std::string_view format, std::initializer_list<TVarRec> args);
CORVANE_VCL_EXPORT std::string Format(std::string_view format, TVarRecs args);
CORVANE_VCL_EXPORT std::string Format(std::string_view format, std::initializer_list<TVarRec> args,
                                      const TFormatSettings& settings);
CORVANE_VCL_EXPORT std::string Format(std::string_view format, TVarRecs args,
                                      const TFormatSettings& settings);

} // namespace vcl
