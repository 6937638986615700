#pragma once
// Logical palettes.
//
// The display is never palette-based: GetDeviceCaps(RASTERCAPS) has no
// RC_PALETTE, so realizing a palette maps nothing into a system palette and
// no WM_PALETTECHANGED follows from it. What a palette selected into a device
// context still does is give the palette-relative colours their values
// there: PALETTEINDEX(i) is entry i, PALETTERGB(r, g, b) the nearest entry
// (the colour itself while only the default palette is selected).

#include "CorvanePlatformExport.h"
#include "win32/SysColors.h"
#include "win32/WinTypes.h"

constexpr UINT OBJ_PAL = 5;
constexpr int DEFAULT_PALETTE = 15;
constexpr UINT WM_QUERYNEWPALETTE = 0x030F;
constexpr UINT WM_PALETTEISCHANGING = 0x0310;
constexpr UINT WM_PALETTECHANGED = 0x0311;
constexpr int RC_PALETTE = 0x0100;
constexpr BYTE PC_RESERVED = 0x01;
constexpr BYTE PC_EXPLICIT = 0x02;
constexpr BYTE PC_NOCOLLAPSE = 0x04;

struct CORVANE_PLATFORM_EXPORT PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

// palNumEntries entries follow the header: callers lay out room for them
// past the one declared here.
struct CORVANE_PLATFORM_EXPORT LOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
};

constexpr COLORREF PALETTEINDEX(WORD index)
{
    return 0x01000000u | index;
}
constexpr COLORREF PALETTERGB(BYTE red, BYTE green, BYTE blue)
{
    return 0x02000000u | RGB(red, green, blue);
}

// version 0x300 and 1 to 1024 entries; NULL otherwise.
CORVANE_PLATFORM_EXPORT HPALETTE CreatePalette(const LOGPALETTE* palette);
// The palette selected before (the default palette at first); NULL on
// failure. forceBackground changes nothing on a display without palettes.
CORVANE_PLATFORM_EXPORT HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
// The entries mapped into the system palette: none, there being none;
// GDI_ERROR for a stale context.
CORVANE_PLATFORM_EXPORT UINT RealizePalette(HDC dc);
// Copies up to count entries from start; entries NULL: the palette's size.
CORVANE_PLATFORM_EXPORT UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count,
                                               PALETTEENTRY* entries);
// The entry nearest to the colour; CLR_INVALID for a stale palette.
CORVANE_PLATFORM_EXPORT UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF colour);
