#pragma once
// Clipboard format numbers: the predefined ones, and the process's table of
// registered format names. A registered number names the same format to every
// caller in the process for as long as it runs; registrations are never
// released.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

// The predefined formats.
constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_METAFILEPICT = 3;
constexpr UINT CF_SYLK = 4;
constexpr UINT CF_DIF = 5;
constexpr UINT CF_TIFF = 6;
constexpr UINT CF_OEMTEXT = 7;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_PALETTE = 9;
constexpr UINT CF_PENDATA = 10;
constexpr UINT CF_RIFF = 11;
constexpr UINT CF_WAVE = 12;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_ENHMETAFILE = 14;
constexpr UINT CF_HDROP = 15;
constexpr UINT CF_LOCALE = 16;
constexpr UINT CF_DIBV5 = 17;
constexpr UINT CF_OWNERDISPLAY = 0x0080;
constexpr UINT CF_DSPTEXT = 0x0081;
constexpr UINT CF_DSPBITMAP = 0x0082;
constexpr UINT CF_DSPMETAFILEPICT = 0x0083;
constexpr UINT CF_DSPENHMETAFILE = 0x008E;
constexpr UINT CF_PRIVATEFIRST = 0x0200;
constexpr UINT CF_PRIVATELAST = 0x02FF;
constexpr UINT CF_GDIOBJFIRST = 0x0300;
constexpr UINT CF_GDIOBJLAST = 0x03FF;

// Registered formats take the numbers from here to 0xFFFF.
constexpr UINT CF_REGISTERED_FIRST = 0xC000;
constexpr UINT CF_REGISTERED_LAST = 0xFFFF;

// The number of the format called name, registering it when it is new. Names
// compare without regard to case (Unicode case folding; bytes that are not
// UTF-8 compare as they are), so "Shell IDList Array" and "shell idlist
// array" are one format, named as first registered. Thread-safe. 0 with
// ERROR_INVALID_PARAMETER for a null or empty name or one longer than 255
// bytes; 0 with ERROR_NOT_ENOUGH_MEMORY when every number is taken.
CORVANE_PLATFORM_EXPORT UINT RegisterClipboardFormatA(LPCSTR name);
inline UINT RegisterClipboardFormat(LPCSTR name)
{
    return RegisterClipboardFormatA(name);
}

// Copies the registered format's name into name, at most maxCount - 1 bytes
// (never half a UTF-8 character) and a terminating zero, and returns the
// number of bytes copied. 0 with ERROR_INVALID_PARAMETER for a number that is
// not registered (the predefined formats have no name here), a null buffer or
// a maxCount below 1.
CORVANE_PLATFORM_EXPORT int GetClipboardFormatNameA(UINT format, LPSTR name, int maxCount);
inline int GetClipboardFormatName(UINT format, LPSTR name, int maxCount)
{
    return GetClipboardFormatNameA(format, name, maxCount);
}
