// Drag detection: a nested wait on the pointer after a button press.

#include "win32/SystemSettings.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

namespace {

// Watches the input that reaches widgets (the window-level events before
// them go on, so that the toolkit's own grab of the mouse ends as usual).
class DragWatch final : public QObject {
public:
    DragWatch(POINT start, int distance, QEventLoop& loop) : Start_(start), Distance_(distance), Loop_(loop)
    {
    }

    bool Dragged = false;

    void Finish(bool dragged)
    {
        if (Done_)
            return;
        Done_ = true;
        Dragged = dragged;
        Loop_.quit();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* me = static_cast<QMouseEvent*>(event);
            const QPoint at = me->globalPosition().toPoint();
            win32::NoteCursorPos({at.x(), at.y()});
            if (std::abs(at.x() - Start_.x) > Distance_ || std::abs(at.y() - Start_.y) > Distance_)
                Finish(true);
            return true;
        }
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto* me = static_cast<QMouseEvent*>(event);
            const QPoint at = me->globalPosition().toPoint();
            win32::NoteCursorPos({at.x(), at.y()});
            win32::NoteMouseButtons(me->buttons().testFlag(Qt::LeftButton),
                                    me->buttons().testFlag(Qt::RightButton),
                                    me->buttons().testFlag(Qt::MiddleButton));
            Finish(false);
            return true;
        }
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                Finish(false);
            return true;
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
            return true;
        default:
            return false;
        }
    }

private:
    POINT Start_;
    int Distance_;
    QEventLoop& Loop_;
    bool Done_ = false;
};

bool AnyButtonDown()
{
    return GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0;
}

} // namespace

BOOL DragDetect(HWND window, POINT screen)
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || !win32::IsGuiThread() || !IsWindow(window) || !AnyButtonDown())
        return FALSE;
    SetCapture(window);
    QEventLoop loop;
    DragWatch watch(screen, GetSystemMetrics(SM_CXDRAG), loop);
    // The wait ends with the window, with the capture taken by another and
    // with buttons released where the watch could not see it.
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &watch, [&] {
        if (!IsWindow(window) || GetCapture() != window || !AnyButtonDown())
            watch.Finish(false);
    });
    check.start(50);
    app->installEventFilter(&watch);
    loop.exec();
    app->removeEventFilter(&watch);
    if (IsWindow(window) && GetCapture() == window)
        ReleaseCapture();
    return watch.Dragged ? TRUE : FALSE;
}
