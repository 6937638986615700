#pragma once
// Image lists (the common controls' HIMAGELIST) over a handle table: a row
// of same-sized 32-bit pictures with alpha, a background colour and up to 15
// overlay images.
//
// Painting code gets the picture of an item as it would be drawn with
// win32::ImageListImage (overlay, selection blend and background applied)
// and paints that QImage itself. ImageList_Draw and ImageList_DrawEx hand the
// same picture to the device-context stand-in through the painter it installs
// (win32::SetImageListPainter); until one is installed they draw nothing and
// return FALSE. Bitmaps (ImageList_Add, ImageList_AddMasked) are read through
// the resolver the bitmap stand-in installs (win32::SetBitmapImageResolver).
//
// Pictures of another size are scaled to the list's size. Lists made without
// ILC_MASK and without ILC_COLOR32 are opaque: clear pixels become black.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <QImage>

#include <optional>

// ---- Creation flags ----
constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR = 0x0000;
constexpr UINT ILC_COLORDDB = 0x00FE;
constexpr UINT ILC_COLOR4 = 0x0004;
constexpr UINT ILC_COLOR8 = 0x0008;
constexpr UINT ILC_COLOR16 = 0x0010;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;
constexpr UINT ILC_PALETTE = 0x0800;

// ---- Colours ----
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;
constexpr COLORREF CLR_DEFAULT = 0xFF000000;
constexpr COLORREF CLR_HILIGHT = CLR_DEFAULT;

// ---- Drawing flags ----
constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;
constexpr UINT ILD_BLEND25 = 0x0002;
constexpr UINT ILD_BLEND50 = 0x0004;
constexpr UINT ILD_MASK = 0x0010;
constexpr UINT ILD_IMAGE = 0x0020;
constexpr UINT ILD_ROP = 0x0040;
constexpr UINT ILD_OVERLAYMASK = 0x0F00;
constexpr UINT ILD_PRESERVEALPHA = 0x1000;
constexpr UINT ILD_SCALE = 0x2000;
constexpr UINT ILD_DPISCALE = 0x4000;
constexpr UINT ILD_SELECTED = ILD_BLEND50;
constexpr UINT ILD_FOCUS = ILD_BLEND25;
constexpr UINT ILD_BLEND = ILD_BLEND50;

// The drawing-flag bits that name overlay image 1 to 15.
constexpr UINT INDEXTOOVERLAYMASK(UINT overlay)
{
    return overlay << 8;
}

// cx and cy from 1 to 2048; NULL otherwise (or when the table is full).
// initial and grow are accepted for the record: the list grows as needed.
CORVANE_PLATFORM_EXPORT HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
// FALSE for a stale handle and for a list that is never destroyed (the
// shell's system image lists), which stays valid.
CORVANE_PLATFORM_EXPORT BOOL ImageList_Destroy(HIMAGELIST list);

// Appends the pictures of a bitmap strip (as many as its width holds, each
// cx wide); where the mask bitmap is white the picture is clear. The index
// of the first one, or -1.
CORVANE_PLATFORM_EXPORT int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// The same with the pixels of colour mask (0x00BBGGRR) made clear.
CORVANE_PLATFORM_EXPORT int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask);
// Replaces the picture at index with the icon's, or appends it for index -1.
// The index, or -1 (stale list or icon, index out of range).
CORVANE_PLATFORM_EXPORT int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
inline int ImageList_AddIcon(HIMAGELIST list, HICON icon)
{
    return ImageList_ReplaceIcon(list, -1, icon);
}
// Removes the picture at index (-1: all of them); later pictures move down
// one place, and so do the overlays that name them. An overlay naming a
// removed picture is cleared.
CORVANE_PLATFORM_EXPORT BOOL ImageList_Remove(HIMAGELIST list, int index);
inline BOOL ImageList_RemoveAll(HIMAGELIST list)
{
    return ImageList_Remove(list, -1);
}

// The number of pictures; 0 for a stale handle.
CORVANE_PLATFORM_EXPORT int ImageList_GetImageCount(HIMAGELIST list);
// Cuts the list to count pictures or pads it with clear ones; at most
// 1048576 pictures.
CORVANE_PLATFORM_EXPORT BOOL ImageList_SetImageCount(HIMAGELIST list, UINT count);
CORVANE_PLATFORM_EXPORT BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
// Changes the size and removes every picture.
CORVANE_PLATFORM_EXPORT BOOL ImageList_SetIconSize(HIMAGELIST list, int cx, int cy);

// The previous colour; CLR_NONE for a stale handle.
CORVANE_PLATFORM_EXPORT COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF colour);
CORVANE_PLATFORM_EXPORT COLORREF ImageList_GetBkColor(HIMAGELIST list);

// Makes picture image overlay number overlay (1 to 15); image -1 clears it.
CORVANE_PLATFORM_EXPORT BOOL ImageList_SetOverlayImage(HIMAGELIST list, int image, int overlay);

// A new icon of the picture as drawn with flags (overlay, blend); the caller
// destroys it. NULL for a stale list or a bad index.
CORVANE_PLATFORM_EXPORT HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT flags);

// Draw the picture into a device context at (x, y) through the installed
// painter. background and foreground as for win32::ImageListImage; dx and dy
// of 0 draw the whole picture, else its top-left part of that size.
CORVANE_PLATFORM_EXPORT BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT flags);
CORVANE_PLATFORM_EXPORT BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int dx,
                                              int dy, COLORREF background, COLORREF foreground, UINT flags);

namespace win32 {

// The highlight colour selected pictures blend with when the caller names
// none (CLR_DEFAULT): the fixed palette's highlight, 0x006A240A.
constexpr COLORREF kDefaultBlendColour = 0x006A240A;

// The picture at index as drawing it with flags would look, cx by cy, 32-bit
// premultiplied ARGB:
//  - the overlay named by the ILD_OVERLAYMASK bits drawn over it;
//  - ILD_BLEND50 (ILD_SELECTED) and ILD_BLEND25 (ILD_FOCUS) blend what is not
//    clear with foreground by half or a quarter (CLR_DEFAULT: the highlight,
//    CLR_NONE: no blend);
//  - unless ILD_TRANSPARENT, the background (CLR_DEFAULT: the list's own
//    colour) fills the clear parts when it is not CLR_NONE;
//  - ILD_MASK gives the mask instead: black where the picture is, white
//    where it is clear; ILD_IMAGE ignores the mask (clear parts black).
// A null image for a stale list or a bad index.
CORVANE_PLATFORM_EXPORT QImage ImageListImage(HIMAGELIST list, int index, UINT flags,
                                              COLORREF foreground = CLR_DEFAULT,
                                              COLORREF background = CLR_DEFAULT);

// A picture blended as ILD_BLEND50 or ILD_BLEND25 in flags says (as above);
// unchanged without them.
CORVANE_PLATFORM_EXPORT QImage BlendedImage(const QImage& image, UINT flags,
                                            COLORREF foreground = CLR_DEFAULT);

// Puts a picture in at index (-1 appends), scaled to the list's size; the
// index, or -1.
CORVANE_PLATFORM_EXPORT int ImageListSetImage(HIMAGELIST list, int index, const QImage& image);

// Appends a picture at index or, when the list is longer, at its end, with
// clear pictures filling any gap before index: its index, or -1. One step,
// so pictures another thread adds meanwhile are never cut away.
CORVANE_PLATFORM_EXPORT int ImageListAppendFrom(HIMAGELIST list, int index, const QImage& image);

// The picture an overlay number names; -1 when none.
CORVANE_PLATFORM_EXPORT int ImageListOverlayImage(HIMAGELIST list, int overlay);

// From now on ImageList_Destroy leaves the list alone (the system lists).
CORVANE_PLATFORM_EXPORT bool MakeImageListPermanent(HIMAGELIST list);

// The bitmap stand-in's way to read an HBITMAP; without one, ImageList_Add
// and ImageList_AddMasked give -1.
using BitmapImageResolver = std::optional<QImage> (*)(HBITMAP bitmap);
CORVANE_PLATFORM_EXPORT void SetBitmapImageResolver(BitmapImageResolver resolver);

// The device-context stand-in's way to draw a picture into a device context;
// it returns whether it drew.
using ImageListPainter = bool (*)(HDC dc, int x, int y, const QImage& image);
CORVANE_PLATFORM_EXPORT void SetImageListPainter(ImageListPainter painter);

} // namespace win32
