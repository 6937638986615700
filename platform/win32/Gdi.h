#pragma once
// GDI: device contexts, pens, brushes, fonts and bitmaps.
//
// A device context draws through a QPainter and keeps the platform's pixel
// rules: rectangles exclude their right column and bottom row, lines leave
// out their last point, nothing but text is antialiased (and text not where
// its font asks for NONANTIALIASED_QUALITY), and the selected pen, brush
// and font, the text and background colours, the background mode and the
// ROP2 mode apply as they do on the platform. Objects selected into a device
// context stay alive while selected: deleting one only marks it, and it goes
// when the last device context lets it go.
//
// Where device contexts come from: GetDC(0) is a measuring context with no
// surface (drawing on it draws nothing and fails); CreateCompatibleDC gives a
// memory context that draws into the bitmap selected into it; window
// contexts come from the window layer (see win32/DeviceContext.h).

#include "CorvanePlatformExport.h"
#include "win32/SysColors.h"
#include "win32/WinTypes.h"

// ---- Object types (GetObjectType, GetCurrentObject) ----
constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_DC = 3;
constexpr UINT OBJ_FONT = 6;
constexpr UINT OBJ_BITMAP = 7;
constexpr UINT OBJ_MEMDC = 10;

// ---- Stock objects ----
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;

// ---- Pens ----
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;
constexpr int PS_STYLE_MASK = 0x0F;

struct CORVANE_PLATFORM_EXPORT LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
};

// ---- Brushes ----
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;
constexpr UINT BS_HATCHED = 2;
constexpr UINT BS_PATTERN = 3;

constexpr int HS_HORIZONTAL = 0;
constexpr int HS_VERTICAL = 1;
constexpr int HS_FDIAGONAL = 2;
constexpr int HS_BDIAGONAL = 3;
constexpr int HS_CROSS = 4;
constexpr int HS_DIAGCROSS = 5;

struct CORVANE_PLATFORM_EXPORT LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    std::uintptr_t lbHatch; // HS_* for BS_HATCHED, the HBITMAP for BS_PATTERN
};

// ---- Fonts ----
constexpr int LF_FACESIZE = 32;
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE DRAFT_QUALITY = 1;
constexpr BYTE PROOF_QUALITY = 2;
constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE CLEARTYPE_QUALITY = 5;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;

// lfHeight < 0: the character height (without internal leading) in pixels;
// > 0: the cell height; 0: the default size.
struct CORVANE_PLATFORM_EXPORT LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];
};

struct CORVANE_PLATFORM_EXPORT TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};

// ---- Bitmaps ----
struct CORVANE_PLATFORM_EXPORT BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

// ---- Background modes, ROP2 modes, raster operations ----
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGECOPY = 0x00C000CA;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATPAINT = 0x00FB0A09;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// ---- Clipping results ----
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// ---- Text alignment and ExtTextOut ----
constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
constexpr UINT GDI_ERROR = 0xFFFFFFFF;

constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

// ---- DrawText ----
constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_EXPANDTABS = 0x00000040;
constexpr UINT DT_TABSTOP = 0x00000080;
constexpr UINT DT_NOCLIP = 0x00000100;
constexpr UINT DT_EXTERNALLEADING = 0x00000200;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_INTERNAL = 0x00001000;
constexpr UINT DT_EDITCONTROL = 0x00002000;
constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;
constexpr UINT DT_MODIFYSTRING = 0x00010000;
constexpr UINT DT_RTLREADING = 0x00020000;
constexpr UINT DT_WORD_ELLIPSIS = 0x00040000;
constexpr UINT DT_NOFULLWIDTHCHARBREAK = 0x00080000;
constexpr UINT DT_HIDEPREFIX = 0x00100000;
constexpr UINT DT_PREFIXONLY = 0x00200000;

struct CORVANE_PLATFORM_EXPORT DRAWTEXTPARAMS {
    UINT cbSize;
    int iTabLength;
    int iLeftMargin;
    int iRightMargin;
    UINT uiLengthDrawn;
};

// ---- DrawEdge ----
constexpr UINT BDR_RAISEDOUTER = 0x0001;
constexpr UINT BDR_SUNKENOUTER = 0x0002;
constexpr UINT BDR_RAISEDINNER = 0x0004;
constexpr UINT BDR_SUNKENINNER = 0x0008;
constexpr UINT BDR_OUTER = BDR_RAISEDOUTER | BDR_SUNKENOUTER;
constexpr UINT BDR_INNER = BDR_RAISEDINNER | BDR_SUNKENINNER;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;

constexpr UINT BF_LEFT = 0x0001;
constexpr UINT BF_TOP = 0x0002;
constexpr UINT BF_RIGHT = 0x0004;
constexpr UINT BF_BOTTOM = 0x0008;
constexpr UINT BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr UINT BF_TOPRIGHT = BF_TOP | BF_RIGHT;
constexpr UINT BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT;
constexpr UINT BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr UINT BF_DIAGONAL = 0x0010;
constexpr UINT BF_MIDDLE = 0x0800;
constexpr UINT BF_SOFT = 0x1000;
constexpr UINT BF_ADJUST = 0x2000;
constexpr UINT BF_FLAT = 0x4000;
constexpr UINT BF_MONO = 0x8000;

// ---- GetDeviceCaps ----
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int DT_RASDISPLAY = 1;
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_STRETCHBLT = 0x0800;

// ---- GetDCEx ----
constexpr DWORD DCX_WINDOW = 0x00000001;
constexpr DWORD DCX_CACHE = 0x00000002;
constexpr DWORD DCX_NORESETATTRS = 0x00000004;
constexpr DWORD DCX_CLIPCHILDREN = 0x00000008;
constexpr DWORD DCX_CLIPSIBLINGS = 0x00000010;
constexpr DWORD DCX_PARENTCLIP = 0x00000020;
constexpr DWORD DCX_EXCLUDERGN = 0x00000040;
constexpr DWORD DCX_INTERSECTRGN = 0x00000080;
constexpr DWORD DCX_LOCKWINDOWUPDATE = 0x00000400;
constexpr DWORD DCX_VALIDATE = 0x00200000;

// ---- Objects ----
CORVANE_PLATFORM_EXPORT HGDIOBJ GetStockObject(int object);
CORVANE_PLATFORM_EXPORT HPEN CreatePen(int style, int width, COLORREF colour);
CORVANE_PLATFORM_EXPORT HPEN CreatePenIndirect(const LOGPEN* pen);
CORVANE_PLATFORM_EXPORT HBRUSH CreateSolidBrush(COLORREF colour);
CORVANE_PLATFORM_EXPORT HBRUSH CreateHatchBrush(int hatch, COLORREF colour);
// A brush of the bitmap's pixels, repeated from the brush origin. A
// monochrome bitmap paints its 0 bits in the text colour and its 1 bits in
// the background colour of the device context it is used in.
CORVANE_PLATFORM_EXPORT HBRUSH CreatePatternBrush(HBITMAP bitmap);
CORVANE_PLATFORM_EXPORT HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
// The brush of a system colour, owned by the system.
CORVANE_PLATFORM_EXPORT HBRUSH GetSysColorBrush(int index);
CORVANE_PLATFORM_EXPORT HFONT CreateFontIndirectA(const LOGFONTA* font);
CORVANE_PLATFORM_EXPORT HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                                          DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                                          DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                                          DWORD pitchAndFamily, LPCSTR face);
// bitsPerPixel 1 (rows padded to 16 bits, a set bit is white) or 32 (rows of
// 0x00RRGGBB); bits may be NULL for a black bitmap.
CORVANE_PLATFORM_EXPORT HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel,
                                             const void* bits);
// A bitmap of the colour depth of the device context (32 bits; a memory
// context with its first monochrome bitmap gives a monochrome one).
CORVANE_PLATFORM_EXPORT HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// Frees a pen, brush, font or bitmap. One still selected into a device
// context is freed when it is deselected; stock objects stay. FALSE for a
// stale handle.
CORVANE_PLATFORM_EXPORT BOOL DeleteObject(HGDIOBJ object);
// OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP, OBJ_DC, OBJ_MEMDC; 0 for a stale
// handle.
CORVANE_PLATFORM_EXPORT DWORD GetObjectType(HGDIOBJ object);
// Fills LOGPEN, LOGBRUSH, LOGFONTA or BITMAP; the bytes written, 0 on failure
// (buffer NULL: the bytes needed).
CORVANE_PLATFORM_EXPORT int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);

// ---- Device contexts ----
// hwnd 0: the measuring context of the screen. For windows see
// win32/DeviceContext.h; NULL when the window layer gives no context.
CORVANE_PLATFORM_EXPORT HDC GetDC(HWND window);
CORVANE_PLATFORM_EXPORT HDC GetWindowDC(HWND window);
CORVANE_PLATFORM_EXPORT HDC GetDCEx(HWND window, HRGN clip, DWORD flags);
CORVANE_PLATFORM_EXPORT int ReleaseDC(HWND window, HDC dc);
CORVANE_PLATFORM_EXPORT HWND WindowFromDC(HDC dc);
CORVANE_PLATFORM_EXPORT HDC CreateCompatibleDC(HDC dc);
CORVANE_PLATFORM_EXPORT BOOL DeleteDC(HDC dc);

// The previous object of that kind (a bitmap only into a memory context, and
// only when not selected elsewhere); NULL on failure.
CORVANE_PLATFORM_EXPORT HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
CORVANE_PLATFORM_EXPORT HGDIOBJ GetCurrentObject(HDC dc, UINT type);

// The new level (1 for the first save); 0 on failure.
CORVANE_PLATFORM_EXPORT int SaveDC(HDC dc);
// level > 0: back to that level; < 0: that many levels back.
CORVANE_PLATFORM_EXPORT BOOL RestoreDC(HDC dc, int level);

CORVANE_PLATFORM_EXPORT int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
CORVANE_PLATFORM_EXPORT int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
CORVANE_PLATFORM_EXPORT int GetClipBox(HDC dc, RECT* rect);

CORVANE_PLATFORM_EXPORT COLORREF SetTextColor(HDC dc, COLORREF colour);
CORVANE_PLATFORM_EXPORT COLORREF GetTextColor(HDC dc);
CORVANE_PLATFORM_EXPORT COLORREF SetBkColor(HDC dc, COLORREF colour);
CORVANE_PLATFORM_EXPORT COLORREF GetBkColor(HDC dc);
CORVANE_PLATFORM_EXPORT int SetBkMode(HDC dc, int mode);
CORVANE_PLATFORM_EXPORT int GetBkMode(HDC dc);
CORVANE_PLATFORM_EXPORT int SetROP2(HDC dc, int mode);
CORVANE_PLATFORM_EXPORT int GetROP2(HDC dc);
CORVANE_PLATFORM_EXPORT BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous);
CORVANE_PLATFORM_EXPORT BOOL GetBrushOrgEx(HDC dc, POINT* origin);
CORVANE_PLATFORM_EXPORT UINT SetTextAlign(HDC dc, UINT align);
CORVANE_PLATFORM_EXPORT UINT GetTextAlign(HDC dc);
CORVANE_PLATFORM_EXPORT BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous);
CORVANE_PLATFORM_EXPORT BOOL GetViewportOrgEx(HDC dc, POINT* origin);
CORVANE_PLATFORM_EXPORT BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous);
CORVANE_PLATFORM_EXPORT int GetDeviceCaps(HDC dc, int index);

// ---- Drawing ----
CORVANE_PLATFORM_EXPORT BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
CORVANE_PLATFORM_EXPORT BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int sx, int sy,
                                    DWORD rop);
CORVANE_PLATFORM_EXPORT BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int sx,
                                        int sy, int sw, int sh, DWORD rop);
// brush may be a system colour plus one ((HBRUSH)(COLOR_BTNFACE + 1)).
CORVANE_PLATFORM_EXPORT int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
CORVANE_PLATFORM_EXPORT int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
CORVANE_PLATFORM_EXPORT BOOL InvertRect(HDC dc, const RECT* rect);
CORVANE_PLATFORM_EXPORT BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
CORVANE_PLATFORM_EXPORT BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
CORVANE_PLATFORM_EXPORT BOOL LineTo(HDC dc, int x, int y);
CORVANE_PLATFORM_EXPORT BOOL Polyline(HDC dc, const POINT* points, int count);
CORVANE_PLATFORM_EXPORT BOOL Polygon(HDC dc, const POINT* points, int count);
CORVANE_PLATFORM_EXPORT COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
// CLR_INVALID outside the surface or on a context without one.
CORVANE_PLATFORM_EXPORT COLORREF GetPixel(HDC dc, int x, int y);
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
CORVANE_PLATFORM_EXPORT BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags);
CORVANE_PLATFORM_EXPORT BOOL DrawFocusRect(HDC dc, const RECT* rect);

// ---- Text ----
// Text is UTF-8. count -1: up to the terminating NUL.
CORVANE_PLATFORM_EXPORT BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count);
CORVANE_PLATFORM_EXPORT BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text,
                                         UINT count, const int* dx);
CORVANE_PLATFORM_EXPORT int DrawTextA(HDC dc, LPCSTR text, int count, RECT* rect, UINT format);
CORVANE_PLATFORM_EXPORT int DrawTextExA(HDC dc, LPSTR text, int count, RECT* rect, UINT format,
                                        DRAWTEXTPARAMS* params);
CORVANE_PLATFORM_EXPORT BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
CORVANE_PLATFORM_EXPORT BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size);
