// What the item windows share.

#include "vcl/widgets/ItemWindow_p.h"

#include "vcl/widgets/WidgetPeer_p.h"
#include "win32/DeviceContext.h"
#include "win32/ScrollBars.h"
#include "win32/WindowManager.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace vcl::itemwindow {

bool Notify(HWND window, const std::shared_ptr<bool>& alive, NMHDR& header, UINT code, LRESULT* result)
{
    auto keep = alive;
    if (result)
        *result = 0;
    if (!IsWindow(window))
        return false;
    const HWND parent = GetParent(window);
    header.hwndFrom = window;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
    header.code = code;
    if (!parent)
        return true;
    const LRESULT answer = SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    if (result)
        *result = answer;
    return *keep && IsWindow(window);
}

void PaintViewport(HWND window, QWidget* host, QWidget* viewport, QEvent* event, const QPaintEvent*& pending,
                   COLORREF background, const std::function<void(const QPaintEvent&)>& paint)
{
    // The window paints inside its WM_PAINT, where a control can wrap it.
    if (IsWindow(window) && TWidgetPeer::ControlOf(host)) {
        pending = static_cast<QPaintEvent*>(event);
        QCoreApplication::sendEvent(host, event);
        if (pending) {
            // Nobody let the window paint: its background at least.
            pending = nullptr;
            QPainter painter(viewport);
            painter.fillRect(static_cast<QPaintEvent*>(event)->rect(), QColorOf(background));
        }
    } else {
        paint(*static_cast<QPaintEvent*>(event));
    }
}

bool ForwardInput(QWidget* from, QWidget* host, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        const auto* me = static_cast<QMouseEvent*>(event);
        QMouseEvent moved(me->type(), from->mapTo(host, me->position().toPoint()), me->scenePosition(),
                          me->globalPosition(), me->button(), me->buttons(), me->modifiers(),
                          me->pointingDevice());
        moved.setTimestamp(me->timestamp());
        QCoreApplication::sendEvent(host, &moved);
        return true;
    }
    case QEvent::Wheel: {
        const auto* we = static_cast<QWheelEvent*>(event);
        QWheelEvent moved(QPointF(from->mapTo(host, we->position().toPoint())), we->globalPosition(),
                          we->pixelDelta(), we->angleDelta(), we->buttons(), we->modifiers(), we->phase(),
                          we->inverted(), we->source(), we->pointingDevice());
        moved.setTimestamp(we->timestamp());
        QCoreApplication::sendEvent(host, &moved);
        return true;
    }
    default:
        return false;
    }
}

void ScrollAction(QScrollBar* bar, int code, int thumb, int line)
{
    const int page = bar->pageStep();
    switch (code) {
    case SB_LINEUP:
        bar->setValue(bar->value() - line);
        break;
    case SB_LINEDOWN:
        bar->setValue(bar->value() + line);
        break;
    case SB_PAGEUP:
        bar->setValue(bar->value() - page);
        break;
    case SB_PAGEDOWN:
        bar->setValue(bar->value() + page);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        bar->setValue(thumb);
        break;
    case SB_TOP:
        bar->setValue(bar->minimum());
        break;
    case SB_BOTTOM:
        bar->setValue(bar->maximum());
        break;
    default:
        break;
    }
}

int WheelNotches(int& rest, int delta)
{
    rest += delta;
    const int notches = rest / WHEEL_DELTA;
    rest -= notches * WHEEL_DELTA;
    return notches;
}

int TextHeight(HDC measure, HFONT font)
{
    const HGDIOBJ before = SelectObject(measure, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(measure, &metrics);
    SelectObject(measure, before);
    return std::max<int>(1, metrics.tmHeight);
}

PainterDC::PainterDC(QPainter& painter, HWND window)
    : Dc_(win32::CreatePainterDC(painter, window)), Painter_(painter)
{
}

PainterDC::~PainterDC()
{
    DeleteDC(Dc_);
    win32::DetachPainterDCs(Painter_);
}

} // namespace vcl::itemwindow
