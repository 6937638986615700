#include "win32/Errors.h"
#include "win32/LocalMemory.h"
#include "win32/MessageText.h"
#include "win32/Modules.h"
#include "win32/SystemMessages.h"
#include "win32/WideText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Widths and precisions above this are refused rather than allocated.
constexpr unsigned kMaxFieldWidth = 32767;

struct Failure {
    DWORD error;
};

// One "!printf-format!" of an insert, checked piece by piece.
struct InsertFormat {
    std::string flags;
    std::optional<unsigned> width;
    std::optional<unsigned> precision;
    enum class Size { Default, Short, Long, Wide, Int64 } size = Size::Default;
    char conversion = 's';
};

std::optional<unsigned> ParseNumber(std::string_view text, std::size_t& i)
{
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return std::nullopt;
    unsigned value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
        if (value > kMaxFieldWidth)
            throw Failure{ERROR_INVALID_PARAMETER};
        ++i;
    }
    return value;
}

InsertFormat ParseInsertFormat(std::string_view text)
{
    InsertFormat f;
    std::size_t i = 0;
    while (i < text.size() && std::string_view("-+ #0").find(text[i]) != std::string_view::npos)
        f.flags += text[i++];
    f.width = ParseNumber(text, i);
    if (i < text.size() && text[i] == '.') {
        ++i;
        f.precision = ParseNumber(text, i).value_or(0);
    }
    const std::string_view rest = text.substr(i);
    const auto sizeIs = [&](std::string_view prefix, InsertFormat::Size size) {
        if (rest.size() != prefix.size() + 1 || rest.substr(0, prefix.size()) != prefix)
            return false;
        f.size = size;
        return true;
    };
    if (!(sizeIs("", InsertFormat::Size::Default) || sizeIs("h", InsertFormat::Size::Short) ||
          sizeIs("l", InsertFormat::Size::Long) || sizeIs("w", InsertFormat::Size::Wide) ||
          sizeIs("ll", InsertFormat::Size::Int64) || sizeIs("I64", InsertFormat::Size::Int64) ||
          sizeIs("I", InsertFormat::Size::Int64) || sizeIs("I32", InsertFormat::Size::Default)))
        throw Failure{ERROR_INVALID_PARAMETER};
    f.conversion = rest.back();
    if (std::string_view("sScCdiuxXop").find(f.conversion) == std::string_view::npos)
        throw Failure{ERROR_INVALID_PARAMETER};
    return f;
}

// A number in the insert's format, through the C library with a format string
// rebuilt from the checked pieces only.
std::string FormatNumber(const InsertFormat& f, DWORD_PTR value)
{
    char conversion = f.conversion;
    std::optional<unsigned> precision = f.precision;
    std::string flags = f.flags;
    if (conversion == 'p') {
        // The platform shows a pointer as all its hex digits, upper case.
        conversion = 'X';
        precision = precision.value_or(16);
    }
    const bool isSigned = conversion == 'd' || conversion == 'i';
    if (conversion != 'x' && conversion != 'X' && conversion != 'o')
        std::erase(flags, '#'); // meaningless (and undefined) for decimal output

    std::string text = "%" + flags;
    if (f.width)
        text += std::to_string(*f.width);
    if (precision)
        text += "." + std::to_string(*precision);
    text += "ll";
    text += conversion;

    unsigned long long u;
    long long s;
    if (f.conversion == 'p' || f.size == InsertFormat::Size::Int64) {
        u = value;
        s = static_cast<long long>(value);
    } else if (f.size == InsertFormat::Size::Short) {
        u = static_cast<std::uint16_t>(value);
        s = static_cast<std::int16_t>(value);
    } else {
        u = static_cast<std::uint32_t>(value);
        s = static_cast<std::int32_t>(value);
    }
    const auto print = [&](char* out, std::size_t size) {
        return isSigned ? std::snprintf(out, size, text.c_str(), s)
                        : std::snprintf(out, size, text.c_str(), u);
    };
    const int n = print(nullptr, 0);
    if (n < 0)
        throw Failure{ERROR_INVALID_PARAMETER};
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    print(out.data(), out.size());
    out.pop_back();
    return out;
}

template <class Ch>
std::basic_string<Ch> FromNarrow(std::string_view text)
{
    if constexpr (sizeof(Ch) == 1)
        return std::string(text);
    else
        return win32::BytesToWide(text);
}

template <class Ch>
std::basic_string<Ch> FromWide(std::u16string_view text)
{
    if constexpr (sizeof(Ch) == 1)
        return win32::WideToBytes(text);
    else
        return std::u16string(text);
}

// Length of a terminated string, reading no further than `limit` characters.
template <class C>
std::size_t BoundedLength(const C* p, std::optional<unsigned> limit)
{
    std::size_t n = 0;
    while ((!limit || n < *limit) && p[n] != C{})
        ++n;
    return n;
}

template <class Ch>
std::basic_string<Ch> FormatText(const InsertFormat& f, DWORD_PTR value)
{
    // Which width the argument has: the message's own, unless the size or the
    // upper-case conversion names the other.
    const bool ownWidth = f.conversion == 's' || f.conversion == 'c';
    bool wide = sizeof(Ch) == 2;
    if (f.size == InsertFormat::Size::Short)
        wide = false;
    else if (f.size == InsertFormat::Size::Long || f.size == InsertFormat::Size::Wide)
        wide = true;
    else if (!ownWidth)
        wide = !wide;

    std::basic_string<Ch> body;
    const bool isChar = f.conversion == 'c' || f.conversion == 'C';
    if (isChar) {
        if (wide) {
            const auto c = static_cast<char16_t>(value);
            body = FromWide<Ch>(std::u16string_view(&c, 1));
        } else {
            const auto c = static_cast<char>(value);
            body = FromNarrow<Ch>(std::string_view(&c, 1));
        }
    } else if (value == 0) {
        body = FromNarrow<Ch>("(null)");
    } else if (wide) {
        const auto* p = reinterpret_cast<const char16_t*>(value);
        body = FromWide<Ch>(std::u16string_view(p, BoundedLength(p, f.precision)));
    } else {
        const auto* p = reinterpret_cast<const char*>(value);
        body = FromNarrow<Ch>(std::string_view(p, BoundedLength(p, f.precision)));
    }
    if (!isChar && f.precision && body.size() > *f.precision)
        body.resize(*f.precision); // the precision counts the message's characters
    if (f.width && body.size() < *f.width) {
        const std::size_t pad = *f.width - body.size();
        if (f.flags.find('-') != std::string::npos)
            body.append(pad, Ch(' '));
        else
            body.insert(0, pad, Ch(' '));
    }
    return body;
}

template <class Ch>
struct Formatter {
    DWORD flags;
    const DWORD_PTR* arguments;
    std::size_t argumentCount;

    bool IgnoreInserts() const { return flags & FORMAT_MESSAGE_IGNORE_INSERTS; }
    unsigned MaxWidth() const { return flags & FORMAT_MESSAGE_MAX_WIDTH_MASK; }

    std::basic_string<Ch> Expand(std::basic_string_view<Ch> message) const
    {
        std::basic_string<Ch> out;
        const std::size_t n = message.size();
        for (std::size_t i = 0; i < n; ++i) {
            const Ch c = message[i];
            if (c == Ch('\r') || c == Ch('\n')) {
                if (MaxWidth() == 0) {
                    out += c;
                } else {
                    // Line breaks of the text itself give way to the chosen width.
                    if (c == Ch('\r') && i + 1 < n && message[i + 1] == Ch('\n'))
                        ++i;
                    out += Ch(' ');
                }
                continue;
            }
            if (c != Ch('%')) {
                out += c;
                continue;
            }
            if (++i == n)
                break; // a lone "%" at the end stands for nothing
            const Ch e = message[i];
            if (e == Ch('0'))
                return Wrap(out);
            if (e == Ch('n')) {
                out += Ch('\n');
            } else if (e >= Ch('1') && e <= Ch('9')) {
                i = Insert(message, i, out);
            } else {
                out += e; // "%%", "%.", "%!", "% " and any other: the character itself
            }
        }
        return Wrap(out);
    }

    // The insert whose number starts at message[i]; returns the index of its
    // last character.
    std::size_t Insert(std::basic_string_view<Ch> message, std::size_t i, std::basic_string<Ch>& out) const
    {
        const std::size_t start = i - 1; // the "%"
        std::size_t number = static_cast<std::size_t>(message[i] - Ch('0'));
        if (i + 1 < message.size() && message[i + 1] >= Ch('0') && message[i + 1] <= Ch('9'))
            number = number * 10 + static_cast<std::size_t>(message[++i] - Ch('0'));
        std::string text = "s";
        if (i + 1 < message.size() && message[i + 1] == Ch('!')) {
            const std::size_t close = message.find(Ch('!'), i + 2);
            if (close == std::basic_string_view<Ch>::npos)
                throw Failure{ERROR_INVALID_PARAMETER};
            text.clear();
            for (std::size_t k = i + 2; k < close; ++k) {
                if (message[k] > 0x7E || message[k] < 0x20)
                    throw Failure{ERROR_INVALID_PARAMETER};
                text += static_cast<char>(message[k]);
            }
            i = close;
        }
        if (IgnoreInserts()) {
            out.append(message.substr(start, i + 1 - start));
            return i;
        }
        if (!arguments || !(flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) || number > argumentCount)
            throw Failure{ERROR_INVALID_PARAMETER};
        if (text.empty())
            throw Failure{ERROR_INVALID_PARAMETER};
        const InsertFormat format = ParseInsertFormat(text);
        const DWORD_PTR value = arguments[number - 1];
        if (std::string_view("sScC").find(format.conversion) != std::string_view::npos)
            out += FormatText<Ch>(format, value);
        else
            out += FromNarrow<Ch>(FormatNumber(format, value));
        return i;
    }

    // Breaks lines longer than a chosen width (1 to 254) at their last blank,
    // or at the width when a line has none.
    std::basic_string<Ch> Wrap(std::basic_string<Ch> text) const
    {
        const unsigned width = MaxWidth();
        if (width == 0 || width == FORMAT_MESSAGE_MAX_WIDTH_MASK)
            return text;
        std::basic_string<Ch> out;
        std::size_t lineStart = 0;
        std::size_t lastBlank = std::basic_string<Ch>::npos;
        for (const Ch c : text) {
            out += c;
            if (c == Ch('\n')) {
                lineStart = out.size();
                lastBlank = std::basic_string<Ch>::npos;
                continue;
            }
            if (c == Ch(' '))
                lastBlank = out.size() - 1;
            if (out.size() - lineStart > width) {
                if (lastBlank != std::basic_string<Ch>::npos && lastBlank >= lineStart) {
                    out[lastBlank] = Ch('\n');
                    lineStart = lastBlank + 1;
                } else {
                    out.insert(out.size() - 1, 1, Ch('\n'));
                    lineStart = out.size() - 1;
                }
                lastBlank = std::basic_string<Ch>::npos;
            }
        }
        return out;
    }
};

bool IsKnownLanguage(DWORD languageId)
{
    const DWORD primary = languageId & 0x3FF;
    return languageId <= 0xFFFF && (primary == 0x00 || primary == 0x09);
}

// The message to format, before inserts.
template <class Ch>
std::basic_string<Ch> MessageSource(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId)
{
    const bool fromString = flags & FORMAT_MESSAGE_FROM_STRING;
    const bool fromSystem = flags & FORMAT_MESSAGE_FROM_SYSTEM;
    const bool fromModule = flags & FORMAT_MESSAGE_FROM_HMODULE;
    if (fromString) {
        if (fromSystem || fromModule || !source)
            throw Failure{ERROR_INVALID_PARAMETER};
        return std::basic_string<Ch>(static_cast<const Ch*>(source));
    }
    if (!fromSystem && !fromModule)
        throw Failure{ERROR_INVALID_PARAMETER};
    if (fromModule) {
        HMODULE module = static_cast<HMODULE>(const_cast<void*>(source));
        if (!module)
            module = GetModuleHandleA(nullptr);
        if (!win32::ModuleNameOf(module))
            throw Failure{ERROR_INVALID_HANDLE};
        // The stand-in modules carry no message tables: only the system's remains.
        if (!fromSystem)
            throw Failure{ERROR_RESOURCE_TYPE_NOT_FOUND};
    }
    if (!IsKnownLanguage(languageId))
        throw Failure{ERROR_RESOURCE_LANG_NOT_FOUND};
    const std::string_view text = win32::FindSystemMessage(messageId);
    if (text.empty())
        throw Failure{ERROR_MR_MID_NOT_FOUND};
    return FromNarrow<Ch>(text) + Ch('\n');
}

template <class Ch>
DWORD FormatMessageT(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, Ch* buffer, DWORD size,
                     const DWORD_PTR* arguments, std::size_t argumentCount)
{
    const bool allocate = flags & FORMAT_MESSAGE_ALLOCATE_BUFFER;
    if (allocate && buffer) {
        Ch* none = nullptr;
        std::memcpy(static_cast<void*>(buffer), &none, sizeof none);
    }
    try {
        if (!buffer && (allocate || size > 0))
            throw Failure{ERROR_INVALID_PARAMETER};
        const std::basic_string<Ch> message = MessageSource<Ch>(flags, source, messageId, languageId);
        const Formatter<Ch> formatter{flags, arguments, argumentCount};
        const std::basic_string<Ch> text = formatter.Expand(message);
        if (text.size() >= 0xFFFFFFFFu)
            throw Failure{ERROR_NOT_ENOUGH_MEMORY};
        if (allocate) {
            if (text.empty()) {
                SetLastError(ERROR_SUCCESS);
                return 0;
            }
            const std::size_t chars = std::max<std::size_t>(size, text.size() + 1);
            auto* block = static_cast<Ch*>(LocalAlloc(LMEM_FIXED, chars * sizeof(Ch)));
            if (!block)
                throw Failure{ERROR_NOT_ENOUGH_MEMORY};
            std::memcpy(block, text.c_str(), (text.size() + 1) * sizeof(Ch));
            std::memcpy(static_cast<void*>(buffer), &block, sizeof block);
        } else {
            if (text.size() + 1 > size)
                throw Failure{ERROR_INSUFFICIENT_BUFFER};
            std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(Ch));
            if (text.empty())
                SetLastError(ERROR_SUCCESS);
        }
        return static_cast<DWORD>(text.size());
    } catch (const Failure& failure) {
        SetLastError(failure.error);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return 0;
}

} // namespace

DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                     const DWORD_PTR* arguments, size_t argumentCount)
{
    return FormatMessageT<char>(flags, source, messageId, languageId, buffer, size, arguments, argumentCount);
}

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, const DWORD_PTR* arguments, size_t argumentCount)
{
    return FormatMessageT<char16_t>(flags, source, messageId, languageId, buffer, size, arguments,
                                    argumentCount);
}

namespace win32 {

std::string SystemErrorText(DWORD code)
{
    return std::string(FindSystemMessage(code));
}

} // namespace win32
