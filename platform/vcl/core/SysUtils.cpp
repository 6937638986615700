#include "vcl/core/SysUtils.h"

#include "vcl/core/Exceptions.h"
#include "win32/HexDigits.h"
#include "win32/MessageText.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace vcl {
namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// Parses like the framework's Val; `bits` is the width of the target type.
bool ParseInteger(std::string_view text, int bits, std::int64_t& value)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    }
    if (i >= text.size())
        return false;
    const std::uint64_t typeMask = bits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
    // Hexadecimal may use all the bits ("$FFFFFFFF" is -1); with a minus sign,
    // and in decimal, the magnitude must fit the signed type, or a negative
    // text would wrap round to a positive value.
    const std::uint64_t limit =
        base == 16 && !negative ? typeMask : (std::uint64_t{1} << (bits - 1)) - (negative ? 0 : 1);
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        const int digit = base == 16 ? win32::HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0)
            return false;
        if (magnitude > (limit - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base))
            return false;
        magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    std::uint64_t bitsValue = negative ? (~magnitude + 1) & typeMask : magnitude;
    // Sign-extend from the type's width.
    if (bits < 64 && (bitsValue & (std::uint64_t{1} << (bits - 1))))
        bitsValue |= ~typeMask;
    value = static_cast<std::int64_t>(bitsValue);
    return true;
}

[[noreturn]] void RaiseInvalidInteger(std::string_view text)
{
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

size_t ClampedIndex(std::string_view s, int index)
{
    // 1-based; anything before the start counts as the start.
    if (index <= 1)
        return 0;
    return std::min(static_cast<size_t>(index - 1), s.size());
}

std::vector<std::string> ReadArguments()
{
    std::vector<std::string> args;
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        args.emplace_back(all, start, end - start);
        start = end + 1;
    }
    std::string exe(256, '\0');
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", exe.data(), exe.size());
        if (n < 0) {
            exe.clear();
            break;
        }
        if (static_cast<size_t>(n) < exe.size()) {
            exe.resize(static_cast<size_t>(n));
            break;
        }
        exe.resize(exe.size() * 2);
    }
    if (!exe.empty()) {
        if (args.empty())
            args.push_back(exe);
        else
            args[0] = exe;
    }
    return args;
}

const std::vector<std::string>& Arguments()
{
    static const std::vector<std::string> args = ReadArguments();
    return args;
}

} // namespace

std::string IntToHexBits(std::uint64_t bits, int digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out += kDigits[bits & 0xF];
        bits >>= 4;
    } while (bits);
    digits = std::min(digits, 64);
    if (static_cast<int>(out.size()) < digits)
        out.append(static_cast<size_t>(digits) - out.size(), '0');
    std::reverse(out.begin(), out.end());
    return out;
}

bool TryStrToInt(std::string_view text, int& value)
{
    std::int64_t v;
    if (!ParseInteger(text, 32, v))
        return false;
    value = static_cast<int>(v);
    return true;
}

bool TryStrToInt64(std::string_view text, std::int64_t& value)
{
    return ParseInteger(text, 64, value);
}

int StrToInt(std::string_view text)
{
    int v;
    if (!TryStrToInt(text, v))
        RaiseInvalidInteger(text);
    return v;
}

std::int64_t StrToInt64(std::string_view text)
{
    std::int64_t v;
    if (!TryStrToInt64(text, v))
        RaiseInvalidInteger(text);
    return v;
}

int StrToIntDef(std::string_view text, int defaultValue)
{
    int v;
    return TryStrToInt(text, v) ? v : defaultValue;
}

std::int64_t StrToInt64Def(std::string_view text, std::int64_t defaultValue)
{
    std::int64_t v;
    return TryStrToInt64(text, v) ? v : defaultValue;
}

std::string Trim(std::string_view s)
{
    return TrimRight(TrimLeft(s));
}

std::string TrimLeft(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s)
{
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1]))
        --n;
    return std::string(s.substr(0, n));
}

std::string UpperCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LowerCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

int CompareStr(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

int CompareText(std::string_view a, std::string_view b)
{
    const auto fold = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? u - 'A' + 'a' : static_cast<int>(u);
    };
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (const int d = fold(a[i]) - fold(b[i]))
            return d;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

bool AnsiSameStr(std::string_view a, std::string_view b)
{
    return a == b;
}

bool AnsiSameText(std::string_view a, std::string_view b)
{
    return AnsiCompareText(a, b) == 0;
}

std::string AnsiQuotedStr(std::string_view s, char quote)
{
    std::string out;
    out.reserve(s.size() + 2);
    out += quote;
    for (const char c : s) {
        out += c;
        if (c == quote)
            out += quote;
    }
    out += quote;
    return out;
}

std::string QuotedStr(std::string_view s)
{
    return AnsiQuotedStr(s, '\'');
}

std::string AnsiExtractQuotedStr(std::string_view& text, char quote)
{
    if (text.empty() || text.front() != quote)
        return {};
    std::string out;
    size_t i = 1;
    while (i < text.size()) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                out += quote;
                i += 2;
                continue;
            }
            ++i; // the closing quote
            break;
        }
        out += text[i++];
    }
    text.remove_prefix(i);
    return out;
}

std::string AnsiDequotedStr(std::string_view s, char quote)
{
    std::string_view rest = s;
    std::string result = AnsiExtractQuotedStr(rest, quote);
    const bool quotedBothEnds = !s.empty() && s.front() == quote && s.back() == quote && s.size() >= 2;
    if ((result.empty() || rest.empty()) && !s.empty() && !quotedBothEnds)
        return std::string(s);
    return result;
}

int Pos(std::string_view sub, std::string_view s)
{
    if (sub.empty())
        return 0;
    const size_t p = s.find(sub);
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

int Pos(char c, std::string_view s)
{
    const size_t p = s.find(c);
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

std::string Copy(std::string_view s, int index, int count)
{
    if (count <= 0)
        return {};
    const size_t start = ClampedIndex(s, index);
    return std::string(s.substr(start, static_cast<size_t>(count)));
}

void Delete(std::string& s, int index, int count)
{
    if (index < 1 || count <= 0 || static_cast<size_t>(index) > s.size())
        return;
    s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Insert(std::string_view source, std::string& s, int index)
{
    s.insert(ClampedIndex(s, index), source);
}

std::string StringOfChar(char c, int count)
{
    return count > 0 ? std::string(static_cast<size_t>(count), c) : std::string();
}

int LastDelimiter(std::string_view delimiters, std::string_view s)
{
    const size_t p = s.find_last_of(delimiters);
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

bool IsDelimiter(std::string_view delimiters, std::string_view s, int index)
{
    if (index < 1 || static_cast<size_t>(index) > s.size())
        return false;
    return delimiters.find(s[static_cast<size_t>(index - 1)]) != std::string_view::npos;
}

std::string AdjustLineBreaks(std::string_view s, TTextLineBreakStyle style)
{
    const std::string_view lineBreak = style == tlbsCRLF ? "\r\n" : "\n";
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            if (i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
            out += lineBreak;
        } else if (s[i] == '\n') {
            out += lineBreak;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string SysErrorMessage(DWORD errorCode)
{
    return win32::SystemErrorText(errorCode);
}

int ParamCount()
{
    const auto& args = Arguments();
    return args.empty() ? 0 : static_cast<int>(args.size()) - 1;
}

std::string ParamStr(int index)
{
    const auto& args = Arguments();
    if (index < 0 || static_cast<size_t>(index) >= args.size())
        return {};
    return args[static_cast<size_t>(index)];
}

} // namespace vcl
