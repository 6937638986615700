#pragma once
// GUIDs: the 128-bit identities of interfaces and classes, their text form
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" and compile-time constants made
// from that text, so a published value is written as it is published:
//
//     inline constexpr IID IID_IFoo = com::MakeGuid("{00000000-0000-0000-C000-000000000046}");

#include "CorvanePlatformExport.h"
#include "com/OleTypes.h"
#include "win32/HexDigits.h"
#include "win32/WinTypes.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct CORVANE_PLATFORM_EXPORT GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPGUID = GUID*;
using LPIID = IID*;
using LPCLSID = CLSID*;

constexpr bool IsEqualGUID(REFGUID a, REFGUID b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}
constexpr bool IsEqualIID(REFIID a, REFIID b)
{
    return IsEqualGUID(a, b);
}
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b)
{
    return IsEqualGUID(a, b);
}
constexpr bool operator==(REFGUID a, REFGUID b)
{
    return IsEqualGUID(a, b);
}

inline constexpr GUID GUID_NULL{};
inline constexpr IID IID_NULL{};
inline constexpr CLSID CLSID_NULL{};

// Length of the text form, without and with the terminating zero.
inline constexpr int CCH_GUID_STRING = 38;
inline constexpr int CCH_GUID_BUFFER = 39;

// Parses the exact text form (case-insensitive hex). Returns S_OK, or
// CO_E_CLASSSTRING with *clsid zeroed for anything else (also a null text).
// A null clsid gives E_INVALIDARG.
CORVANE_PLATFORM_EXPORT HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
// As CLSIDFromString, but a malformed text gives E_INVALIDARG.
CORVANE_PLATFORM_EXPORT HRESULT IIDFromString(LPCOLESTR text, LPIID iid);
// Writes the upper-case text form with its terminator. Returns the characters
// written including the terminator (39), or 0 when cchMax is too small.
CORVANE_PLATFORM_EXPORT int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax);
// The text form in a block of the task allocator (free with CoTaskMemFree).
// E_INVALIDARG for a null out-parameter, E_OUTOFMEMORY (*text null) when no
// block can be had.
CORVANE_PLATFORM_EXPORT HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text);
CORVANE_PLATFORM_EXPORT HRESULT StringFromIID(REFIID iid, LPOLESTR* text);

namespace com {

namespace detail {

template <typename Char>
constexpr std::optional<GUID> ParseGuidText(std::basic_string_view<Char> text)
{
    // Positions of the hex digit pairs (one byte each) in "{8-4-4-4-12}".
    constexpr int bytePositions[16] = {1, 3, 5, 7, 10, 12, 15, 17, 20, 22, 25, 27, 29, 31, 33, 35};
    if (text.size() != static_cast<std::size_t>(CCH_GUID_STRING))
        return std::nullopt;
    if (text[0] != Char('{') || text[9] != Char('-') || text[14] != Char('-') || text[19] != Char('-') ||
        text[24] != Char('-') || text[37] != Char('}'))
        return std::nullopt;
    BYTE bytes[16] = {};
    for (int i = 0; i < 16; ++i) {
        const int high = win32::HexDigitValue(text[bytePositions[i]]);
        const int low = win32::HexDigitValue(text[bytePositions[i] + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes[i] = static_cast<BYTE>(high * 16 + low);
    }
    GUID guid{};
    guid.Data1 = (DWORD(bytes[0]) << 24) | (DWORD(bytes[1]) << 16) | (DWORD(bytes[2]) << 8) | DWORD(bytes[3]);
    guid.Data2 = static_cast<WORD>((bytes[4] << 8) | bytes[5]);
    guid.Data3 = static_cast<WORD>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i)
        guid.Data4[i] = bytes[8 + i];
    return guid;
}

} // namespace detail

// Parses the exact "{8-4-4-4-12}" form, case-insensitive; nothing else.
constexpr std::optional<GUID> ParseGuid(std::string_view text)
{
    return detail::ParseGuidText(text);
}
constexpr std::optional<GUID> ParseGuid(std::u16string_view text)
{
    return detail::ParseGuidText(text);
}

// A GUID constant from its published text; malformed text does not compile.
consteval GUID MakeGuid(const char (&text)[CCH_GUID_BUFFER])
{
    const std::optional<GUID> guid = ParseGuid(std::string_view(text, CCH_GUID_STRING));
    if (!guid)
        throw "malformed GUID text"; // not a constant expression: a compile error
    return *guid;
}

// The upper-case text form, for messages and keys.
CORVANE_PLATFORM_EXPORT std::string GuidToString(REFGUID guid);
CORVANE_PLATFORM_EXPORT std::u16string GuidToWide(REFGUID guid);

} // namespace com

template <>
struct std::hash<GUID> {
    std::size_t operator()(const GUID& guid) const noexcept
    {
        // FNV-1a over the fields, independent of padding and byte order.
        std::uint64_t h = 0xcbf29ce484222325ull;
        auto mix = [&h](std::uint64_t value, int bytes) {
            for (int i = 0; i < bytes; ++i) {
                h ^= (value >> (8 * i)) & 0xFF;
                h *= 0x100000001b3ull;
            }
        };
        mix(guid.Data1, 4);
        mix(guid.Data2, 2);
        mix(guid.Data3, 2);
        for (BYTE b : guid.Data4)
            mix(b, 1);
        return static_cast<std::size_t>(h);
    }
};
