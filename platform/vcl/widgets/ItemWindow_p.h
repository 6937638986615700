#pragma once
// What the item windows (the tree and the list) share: a Qt view whose
// viewport paints inside the window's WM_PAINT and hands its mouse and wheel
// to the window, notifications to the parent, scroll-bar actions, and a
// device context over a paint's painter.

#include "vcl/widgets/Messages.h"
#include "win32/Gdi.h"

#include <QColor>

#include <functional>
#include <memory>

class QEvent;
class QPainter;
class QPaintEvent;
class QScrollBar;
class QWidget;

namespace vcl::itemwindow {

inline QColor QColorOf(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

inline int SignedLow(LPARAM value)
{
    return static_cast<short>(LOWORD(static_cast<DWORD>(value)));
}

inline int SignedHigh(LPARAM value)
{
    return static_cast<short>(HIWORD(static_cast<DWORD>(value)));
}

// Sends header with code to the window's parent (WM_NOTIFY); false when the
// window went (or alive ended) while the parent had it.
bool Notify(HWND window, const std::shared_ptr<bool>& alive, NMHDR& header, UINT code, LRESULT* result);

// A viewport's paint: through the window's WM_PAINT (pending set for the
// window to find) when a control hosts window, else at once; the background
// when nobody painted.
void PaintViewport(HWND window, QWidget* host, QWidget* viewport, QEvent* event, const QPaintEvent*& pending,
                   COLORREF background, const std::function<void(const QPaintEvent&)>& paint);

// A mouse or wheel event of a viewport or a scroll bar, handed to host (the
// window's widget) in its coordinates; false for other events.
bool ForwardInput(QWidget* from, QWidget* host, QEvent* event);

// SB_ codes on a bar; line is a line's step.
void ScrollAction(QScrollBar* bar, int code, int thumb, int line);

// The notches the wheel turned, a part of a notch kept in rest.
int WheelNotches(int& rest, int delta);

// The height of a font's text.
int TextHeight(HDC measure, HFONT font);

// A device context over a paint's painter, gone with it.
class PainterDC {
public:
    PainterDC(QPainter& painter, HWND window);
    ~PainterDC();
    PainterDC(const PainterDC&) = delete;
    PainterDC& operator=(const PainterDC&) = delete;
    HDC Get() const { return Dc_; }

private:
    HDC Dc_;
    QPainter& Painter_;
};

} // namespace vcl::itemwindow
