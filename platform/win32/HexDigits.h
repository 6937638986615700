#pragma once
// Hexadecimal digits of the escapes in outside text (percent escapes of
// paths, \xHH in device names).

namespace win32 {

// 0 to 15 for a hexadecimal digit of either case, else -1.
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace win32
