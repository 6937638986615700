#pragma once
// The framework's string routines, and through the includes below the rest of
// its RTL (Format, float and date formatting, paths and files), so that code
// written against the unit includes one header.
//
// Strings are bytes (UTF-8 by convention; file names may hold any bytes).
// The plain routines work on bytes and ASCII; the Ansi ones know Unicode in
// well-formed UTF-8 and leave any other byte as it is. Positions are 1-based
// where the framework's are.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/DateTime.h"
#include "vcl/core/FileUtils.h"
#include "vcl/core/FloatFormat.h"
#include "vcl/core/Format.h"
#include "vcl/core/FormatSettings.h"
#include "vcl/core/PathUtils.h"
#include "win32/WideText.h"
#include "win32/WinTypes.h"

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace vcl {

// ---- Numbers --------------------------------------------------------------

template <std::integral T>
requires(!std::is_same_v<T, bool> && !std::is_same_v<T, char>) std::string IntToStr(T value)
{
    return std::to_string(value);
}

// Upper-case hexadecimal of the value's own bits (a negative int gives eight
// digits, a negative 64-bit value sixteen), at least `digits` long.
CORVANE_VCL_EXPORT std::string IntToHexBits(std::uint64_t bits, int digits);
template <std::integral T>
requires(!std::is_same_v<T, bool>) std::string IntToHex(T value, int digits)
{
    return IntToHexBits(static_cast<std::make_unsigned_t<T>>(value), digits);
}

// Blanks before the number, a sign, decimal digits or hexadecimal ones after
// "$", "0x" or "x"; nothing after. A hexadecimal text may use all the bits of
// the type ("$FFFFFFFF" is -1); a negative or decimal one must be in the
// type's range ("-$80000001" is not an int). The raising
// forms throw EConvertError "'<text>' is not a valid integer value".
CORVANE_VCL_EXPORT bool TryStrToInt(std::string_view text, int& value);
CORVANE_VCL_EXPORT bool TryStrToInt64(std::string_view text, std::int64_t& value);
CORVANE_VCL_EXPORT int StrToInt(std::string_view text);
CORVANE_VCL_EXPORT std::int64_t StrToInt64(std::string_view text);
CORVANE_VCL_EXPORT int StrToIntDef(std::string_view text, int defaultValue);
CORVANE_VCL_EXPORT std::int64_t StrToInt64Def(std::string_view text, std::int64_t defaultValue);

// ---- Case and blanks ------------------------------------------------------

// Trimming removes bytes up to and including ' ' (blanks and controls).
CORVANE_VCL_EXPORT std::string Trim(std::string_view s);
CORVANE_VCL_EXPORT std::string TrimLeft(std::string_view s);
CORVANE_VCL_EXPORT std::string TrimRight(std::string_view s);

CORVANE_VCL_EXPORT std::string UpperCase(std::string_view s); // a-z only
CORVANE_VCL_EXPORT std::string LowerCase(std::string_view s); // A-Z only
// Unicode case mapping of the well-formed UTF-8 in s ("ß" becomes "SS");
// bytes that are not well-formed UTF-8 stay as they are.
CORVANE_VCL_EXPORT std::string AnsiUpperCase(std::string_view s);
CORVANE_VCL_EXPORT std::string AnsiLowerCase(std::string_view s);

// ---- Comparison -----------------------------------------------------------
// Results are negative, zero or positive, like the framework's.

CORVANE_VCL_EXPORT int CompareStr(std::string_view a, std::string_view b);  // bytes
CORVANE_VCL_EXPORT int CompareText(std::string_view a, std::string_view b); // bytes, A-Z folded to a-z
CORVANE_VCL_EXPORT bool SameText(std::string_view a, std::string_view b);
// By the collation of the system locale. Text that collates equal is then
// ordered by its folded code points (and for AnsiCompareStr by its bytes),
// so the order is total and stable from run to run: AnsiCompareText is zero
// only for texts equal but for case, AnsiCompareStr only for equal bytes.
// Text is collated a well-formed run at a time: a byte that is not
// well-formed UTF-8 ends a run ("ab\xFF" sorts before "abc"), sorts after
// any text where a run begins, and by value among such bytes.
CORVANE_VCL_EXPORT int AnsiCompareStr(std::string_view a, std::string_view b);
CORVANE_VCL_EXPORT int AnsiCompareText(std::string_view a, std::string_view b);
CORVANE_VCL_EXPORT bool AnsiSameStr(std::string_view a, std::string_view b);
CORVANE_VCL_EXPORT bool AnsiSameText(std::string_view a, std::string_view b);

// ---- Quoting --------------------------------------------------------------

CORVANE_VCL_EXPORT std::string QuotedStr(std::string_view s); // 'it''s'
CORVANE_VCL_EXPORT std::string AnsiQuotedStr(std::string_view s, char quote);
// Reads a quoted string at the start of text (doubled quotes are one) and
// advances text past it; empty (text unchanged) when text does not start
// with the quote.
CORVANE_VCL_EXPORT std::string AnsiExtractQuotedStr(std::string_view& text, char quote);
// The quoted text unquoted; s itself when it is not one quoted string.
CORVANE_VCL_EXPORT std::string AnsiDequotedStr(std::string_view s, char quote);

// ---- Searching and pieces -------------------------------------------------

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;

// rfIgnoreCase compares by Unicode case folding of well-formed UTF-8 (other
// bytes by value), so byte positions never shift. An empty pattern replaces
// nothing.
CORVANE_VCL_EXPORT std::string StringReplace(std::string_view s, std::string_view oldPattern,
                                             std::string_view newPattern, TReplaceFlags flags);

// 1-based position of sub in s, 0 when absent (or sub is empty).
CORVANE_VCL_EXPORT int Pos(std::string_view sub, std::string_view s);
CORVANE_VCL_EXPORT int Pos(char c, std::string_view s);
// Count bytes from index (1-based); index and count are clamped to s.
CORVANE_VCL_EXPORT std::string Copy(std::string_view s, int index, int count);
CORVANE_VCL_EXPORT void Delete(std::string& s, int index, int count);
CORVANE_VCL_EXPORT void Insert(std::string_view source, std::string& s, int index);
CORVANE_VCL_EXPORT std::string StringOfChar(char c, int count);
// 1-based index of the last byte of s that is one of delimiters; 0 if none.
CORVANE_VCL_EXPORT int LastDelimiter(std::string_view delimiters, std::string_view s);
CORVANE_VCL_EXPORT bool IsDelimiter(std::string_view delimiters, std::string_view s, int index);

// ---- Line breaks ----------------------------------------------------------

enum class TTextLineBreakStyle { tlbsLF, tlbsCRLF };
using enum TTextLineBreakStyle;
// The platform's line break: a line feed, as on every Linux system.
inline constexpr std::string_view sLineBreak = "\n";
inline constexpr TTextLineBreakStyle DefaultTextLineBreakStyle = tlbsLF;

// Every CR, LF and CR LF becomes one line break of the style.
CORVANE_VCL_EXPORT std::string AdjustLineBreaks(std::string_view s,
                                                TTextLineBreakStyle style = DefaultTextLineBreakStyle);

// ---- System ---------------------------------------------------------------

// The system's text for an error code (GetLastError); empty when none.
CORVANE_VCL_EXPORT std::string SysErrorMessage(DWORD errorCode);

// The program's arguments, byte for byte as the kernel received them.
// ParamStr(0) is the program file's full path; an index out of range gives
// the empty string.
CORVANE_VCL_EXPORT int ParamCount();
CORVANE_VCL_EXPORT std::string ParamStr(int index);

// ---- Wide text ------------------------------------------------------------
// The lossless codec of win32/WideText.h under the framework's names.

inline std::u16string UTF8Decode(std::string_view s)
{
    return win32::BytesToWide(s);
}
inline std::string UTF8Encode(std::u16string_view s)
{
    return win32::WideToBytes(s);
}

} // namespace vcl
