#pragma once
// Device contexts over Qt: what the window layer, the framework's canvas and
// the tests use to give the GDI a surface, and to move pictures and fonts
// between GDI handles and Qt.

#include "CorvanePlatformExport.h"
#include "win32/Gdi.h"

#include <QFont>
#include <QImage>
#include <QPoint>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QPainter;

namespace win32 {

// The character height of the default font (lfHeight 0) in pixels.
constexpr int kDefaultFontPixels = 11;

// A device context drawing through painter, which must outlive it. The
// painter's translation (moved by shift) is the context's origin and, when
// clipped, its clip region the context's outermost clip; a drawing call
// leaves the painter's state as it found it. window is what WindowFromDC
// answers; onRelease runs when the context is released or deleted.
CORVANE_PLATFORM_EXPORT HDC CreatePainterDC(QPainter& painter, HWND window = nullptr,
                                            std::function<void()> onRelease = {}, const QPoint& shift = {},
                                            bool clipped = true);

// Device contexts drawing through painter lose their surface: the painter
// is about to go (a paint ends), and a context kept past it must not reach
// it. They still measure, and drawing on them fails.
CORVANE_PLATFORM_EXPORT void DetachPainterDCs(QPainter& painter);

// A device context drawing into image (RGB32 or ARGB32 formats), which must
// outlive it. Free it with DeleteDC.
CORVANE_PLATFORM_EXPORT HDC CreateImageDC(QImage& image);

// Where window device contexts come from: the window layer answers GetDC,
// GetWindowDC and GetDCEx (flags DCX_WINDOW for the whole window) with a
// context made by CreatePainterDC, or NULL.
using WindowDCSource = HDC (*)(HWND window, DWORD flags);
CORVANE_PLATFORM_EXPORT void SetWindowDCSource(WindowDCSource source);

// Draws a picture at (x, y) of the context with its alpha; false when the
// context has no surface.
CORVANE_PLATFORM_EXPORT bool DrawImage(HDC dc, int x, int y, const QImage& image);
// Draws the source part of a picture scaled into target (logical
// coordinates).
CORVANE_PLATFORM_EXPORT bool StretchImage(HDC dc, const RECT& target, const QImage& image,
                                          const QRect& source);

// The family the system's font names stand for: the dialog and sans-serif
// faces are DejaVu Sans, the fixed ones DejaVu Sans Mono, the serif ones
// DejaVu Serif; other names are kept.
CORVANE_PLATFORM_EXPORT std::string MapFontFamily(std::string_view face, BYTE pitchAndFamily = 0);

// The font a handle stands for; nothing for a stale handle.
CORVANE_PLATFORM_EXPORT std::optional<QFont> FontOf(HFONT font);

// A new 32-bit bitmap of a picture (clear parts black); NULL for a null one.
CORVANE_PLATFORM_EXPORT HBITMAP CreateBitmapFromImage(const QImage& image);
// A copy of a bitmap's pixels (RGB32); nothing for a stale handle.
CORVANE_PLATFORM_EXPORT std::optional<QImage> BitmapImage(HBITMAP bitmap);

// The device contexts live now (for tests that look for leaks).
CORVANE_PLATFORM_EXPORT std::size_t LiveDeviceContextCount();

} // namespace win32
