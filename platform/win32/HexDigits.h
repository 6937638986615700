#pragma once
// Hexadecimal digits, as every text form of the library writes them (escapes,
// stored bytes, GUIDs, numbers).

namespace win32 {

// 0 to 15 for a hexadecimal digit of either case, else -1. Char is any
// character type (char, char16_t, char32_t).
template <class Char>
constexpr int HexDigitValue(Char c)
{
    if (c >= Char('0') && c <= Char('9'))
        return static_cast<int>(c - Char('0'));
    if (c >= Char('a') && c <= Char('f'))
        return static_cast<int>(c - Char('a')) + 10;
    if (c >= Char('A') && c <= Char('F'))
        return static_cast<int>(c - Char('A')) + 10;
    return -1;
}

} // namespace win32
