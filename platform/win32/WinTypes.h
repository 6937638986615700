#pragma once
// The platform's basic types, with the widths the system's code expects.
// Handles are opaque pointer-sized values issued by validated tables (see
// win32/HandleTable.h): they are never dereferenced, and 0 is never valid.

#include "CorvanePlatformExport.h"
#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using INT = std::int32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using BOOL = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using ULONG_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HRESULT = std::int32_t;
using WCHAR = char16_t;
using LPVOID = void*;
using LPCVOID = const void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = char16_t*;
using LPCWSTR = const char16_t*;
using ATOM = WORD;
using COLORREF = DWORD;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define KW_DECLARE_HANDLE(name)                                                                              \
    struct name##__;                                                                                         \
    using name = name##__*

KW_DECLARE_HANDLE(HWND);
KW_DECLARE_HANDLE(HDC);
KW_DECLARE_HANDLE(HFONT);
KW_DECLARE_HANDLE(HBRUSH);
KW_DECLARE_HANDLE(HPEN);
KW_DECLARE_HANDLE(HBITMAP);
KW_DECLARE_HANDLE(HICON);
KW_DECLARE_HANDLE(HMENU);
KW_DECLARE_HANDLE(HPALETTE);
KW_DECLARE_HANDLE(HRGN);
KW_DECLARE_HANDLE(HCURSOR);
KW_DECLARE_HANDLE(HINSTANCE);
KW_DECLARE_HANDLE(HKEY);
KW_DECLARE_HANDLE(HGLOBAL);
KW_DECLARE_HANDLE(HIMAGELIST);
using HMODULE = HINSTANCE;
using HGDIOBJ = void*;
using HANDLE = void*;
using HLOCAL = HANDLE;

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))

constexpr WORD LOWORD(DWORD_PTR v)
{
    return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(DWORD_PTR v)
{
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr DWORD MAKELONG(WORD lo, WORD hi)
{
    return static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16);
}

struct CORVANE_PLATFORM_EXPORT POINT {
    LONG x;
    LONG y;
};
struct CORVANE_PLATFORM_EXPORT SIZE {
    LONG cx;
    LONG cy;
};
struct CORVANE_PLATFORM_EXPORT RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct CORVANE_PLATFORM_EXPORT FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

// 64-bit values in two halves, as the disk-space calls return them.
union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};
union ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
};
using PULARGE_INTEGER = ULARGE_INTEGER*;
