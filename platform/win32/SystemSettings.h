#pragma once
// The desktop's settings as the platform's programs ask for them: sizes of
// the screen and of the parts of windows, and the fonts of the non-client
// area.

#include "CorvanePlatformExport.h"
#include "win32/Gdi.h"
#include "win32/WinTypes.h"

class QFont;

constexpr UINT SPI_SETDRAGFULLWINDOWS = 0x0025;
constexpr UINT SPI_GETDRAGFULLWINDOWS = 0x0026;
constexpr UINT SPI_GETNONCLIENTMETRICS = 0x0029;
constexpr UINT SPI_GETWHEELSCROLLLINES = 0x0068;
constexpr UINT SPI_SETWHEELSCROLLLINES = 0x0069;
// The wheel scrolls a page a notch.
constexpr UINT WHEEL_PAGESCROLL = 0xFFFFFFFF;

// The record SPI_GETNONCLIENTMETRICS fills; cbSize must be set to its size.
struct CORVANE_PLATFORM_EXPORT NONCLIENTMETRICSA {
    UINT cbSize;
    int iBorderWidth;
    int iScrollWidth;
    int iScrollHeight;
    int iCaptionWidth;
    int iCaptionHeight;
    LOGFONTA lfCaptionFont;
    int iSmCaptionWidth;
    int iSmCaptionHeight;
    LOGFONTA lfSmCaptionFont;
    int iMenuWidth;
    int iMenuHeight;
    LOGFONTA lfMenuFont;
    LOGFONTA lfStatusFont;
    LOGFONTA lfMessageFont;
};
using NONCLIENTMETRICS = NONCLIENTMETRICSA;

// SPI_GETDRAGFULLWINDOWS writes a BOOL to param (whether windows move live
// while dragged; on by default, as desktops here do); SPI_SETDRAGFULLWINDOWS
// takes it from uiParam for the rest of the process. SPI_GETNONCLIENTMETRICS
// fills the NONCLIENTMETRICSA at param, whose cbSize must be its size.
// SPI_GETWHEELSCROLLLINES writes a UINT to param: the lines a wheel notch
// scrolls (the desktop's setting until SPI_SETWHEELSCROLLLINES sets uiParam
// for the rest of the process), WHEEL_PAGESCROLL for a page.
// Anything else fails with ERROR_INVALID_PARAMETER, as does a null param or
// a wrong size for a query.
CORVANE_PLATFORM_EXPORT BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* param, UINT winIni);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CYMENU = 15;
constexpr int SM_SWAPBUTTON = 23;
constexpr int SM_CMOUSEBUTTONS = 43;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_CXDRAG = 68;
constexpr int SM_CYDRAG = 69;

// The screen's size is the primary screen's (0 before the application
// exists); the drag distance is the desktop's; the menu bar's height follows
// the menu font. Parts the desktop does not size for us (borders, edges,
// scroll bars, captions) have the platform's classic sizes. 0 for anything
// unknown.
CORVANE_PLATFORM_EXPORT int GetSystemMetrics(int index);

namespace win32 {

// The font of menus and menu bars: the application's font.
CORVANE_PLATFORM_EXPORT QFont MenuFont();
// The height of a one-line menu bar written in font: its text and a margin.
CORVANE_PLATFORM_EXPORT int MenuBarHeight(const QFont& font);

} // namespace win32
