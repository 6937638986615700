#pragma once
// A window's scroll bars as the platform reports them. The window's peer
// answers for them (a window without scroll bars has none to report), and
// the window scrolls on WM_HSCROLL and WM_VSCROLL with the request codes
// below in the low word of wParam (the thumb's position in the high word for
// SB_THUMBPOSITION and SB_THUMBTRACK).

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

// Which bar.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr int SB_BOTH = 3;

// Scroll requests.
constexpr int SB_LINEUP = 0;
constexpr int SB_LINELEFT = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_LINERIGHT = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGELEFT = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_PAGERIGHT = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK = 5;
constexpr int SB_TOP = 6;
constexpr int SB_LEFT = 6;
constexpr int SB_BOTTOM = 7;
constexpr int SB_RIGHT = 7;
constexpr int SB_ENDSCROLL = 8;

// SCROLLINFO::fMask.
constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

// The range is nMin to nMax inclusive, nPage units of it are shown at once;
// the position runs from nMin to nMax - nPage + 1.
struct CORVANE_PLATFORM_EXPORT SCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
};

// Fills the parts fMask names of the window's bar (SB_HORZ or SB_VERT).
// FALSE for a stale handle, a bar the window does not have, a record whose
// cbSize is not sizeof(SCROLLINFO) or an fMask that names nothing.
CORVANE_PLATFORM_EXPORT BOOL GetScrollInfo(HWND window, int bar, SCROLLINFO* info);
// The bar's position; 0 when there is none.
CORVANE_PLATFORM_EXPORT int GetScrollPos(HWND window, int bar);
