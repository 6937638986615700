#pragma once
// Shared pieces of the widget tests: a form on the offscreen screen,
// controls that record their messages, pumping and pictures.

#include "TestSupport.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/Controls.h"
#include "vcl/widgets/Forms.h"
#include "win32/WindowManager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtTest/QTest>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

namespace kwtest {

inline void PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Runs steps one after another from the event loop (inside whatever modal
// loop is running then).
inline void Later(std::vector<std::function<void()>> steps)
{
    if (steps.empty())
        return;
    QTimer::singleShot(10, [steps]() mutable {
        auto step = steps.front();
        steps.erase(steps.begin());
        step();
        Later(steps);
    });
}

inline void Pump()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// Waits until a shown window is on the screen: offscreen at once; under a
// window manager the window is mapped (and may be placed) when the manager
// has answered.
inline void WaitExposed(QWidget* widget)
{
    QWindow* window = widget ? widget->window()->windowHandle() : nullptr;
    PumpUntil([&] { return !window || window->isExposed(); }, 3000);
    Pump();
}

// QTest's input is not the window system's: its key events carry no native
// scan code and no control characters (Ctrl+A is the text "a"), those sent
// to a window count 0xFFFF repeats, its widget double click is a lone
// double-click event, and its mouse events never move a real pointer. The
// real path is pinned by test_real_input (xdotool under X); do not tune the
// translation to QTest's.

// Moves the mouse over a widget. Offscreen, QTest sends the move at once;
// on a real display it moves the pointer and the window system's motion
// comes later: this waits until `arrived` holds (at most a second).
inline void MoveMouse(QWidget* widget, QPoint at, const std::function<bool()>& arrived)
{
    QTest::mouseMove(widget, at);
    PumpUntil(arrived, 1000);
}

// A click as a person makes it on an item window: the release comes while
// the window waits to see whether the press starts a drag (a move of 30, 20
// on the way when drag). Returns once the release is made.
inline void ClickAwaited(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                         Qt::KeyboardModifiers modifiers = {}, bool drag = false)
{
    auto released = std::make_shared<bool>(false);
    const QPoint to = drag ? at + QPoint(30, 20) : at;
    std::vector<std::function<void()>> steps;
    if (drag)
        steps.push_back([widget, to] { QTest::mouseMove(widget, to); });
    steps.push_back([widget, to, button, modifiers, released] {
        QTest::mouseRelease(widget, button, modifiers, to);
        *released = true;
    });
    Later(steps);
    QTest::mousePress(widget, button, modifiers, at);
    PumpUntil([released] { return *released; }, 2000);
    Pump();
}

// A right click on an item window as a person makes it: the pointer is
// where the click is while the window asks for it (QTest moves no pointer of
// a display), and the release comes while the window waits to see whether
// the press starts a drag.
inline void RightClickAt(QWidget* widget, QPoint at)
{
    static POINT pointer;
    const QPoint global = widget->mapToGlobal(at);
    pointer = {global.x(), global.y()};
    const win32::CursorPosHook before = win32::SetCursorPosHook([] { return pointer; });
    struct Restore {
        win32::CursorPosHook Hook;
        ~Restore() { win32::SetCursorPosHook(Hook); }
    } restore{before};
    ClickAwaited(widget, at, Qt::RightButton);
}

// A form shown on the offscreen screen, freed at the end of the test.
class TestForm {
public:
    explicit TestForm(int width = 300, int height = 200)
    {
        Form_ = vcl::Create<vcl::TCustomForm>(nullptr);
        Form_->SetBounds(0, 0, width, height);
        Form_->Show();
        WaitExposed(Form_->Peer());
    }
    ~TestForm()
    {
        Form_->Free();
        Pump();
    }
    TestForm(const TestForm&) = delete;
    TestForm& operator=(const TestForm&) = delete;
    vcl::TCustomForm* operator->() const { return Form_; }
    vcl::TCustomForm* Get() const { return Form_; }

private:
    vcl::TCustomForm* Form_;
};

// A control that logs every message its window procedure sees and paints
// itself in its colour with a cross.
class TLoggingControl : public vcl::TCustomControl {
public:
    explicit TLoggingControl(vcl::TComponent* owner) : TCustomControl(owner)
    {
        Saved_ = WindowProc;
        WindowProc = vcl::TWndMethod(this, &TLoggingControl::Log);
    }
    std::vector<vcl::TMessage> Messages;
    std::function<void()> OnPaintHook;

    std::vector<UINT> Numbers(UINT from, UINT to) const
    {
        std::vector<UINT> numbers;
        for (const vcl::TMessage& m : Messages)
            if (m.Msg >= from && m.Msg <= to)
                numbers.push_back(m.Msg);
        return numbers;
    }

protected:
    void Paint() override
    {
        if (OnPaintHook)
            OnPaintHook();
        if (const vcl::TPaintContext* context = PaintContext()) {
            QPainter& p = context->Painter();
            p.setPen(vcl::ColorToQColor(Font()->Color()));
            p.drawLine(0, 0, ClientWidth() - 1, ClientHeight() - 1);
            p.drawLine(ClientWidth() - 1, 0, 0, ClientHeight() - 1);
        }
    }

private:
    void Log(vcl::TMessage& message)
    {
        Messages.push_back(message);
        Saved_(message);
    }
    vcl::TWndMethod Saved_;
};

// A graphic control that fills itself and remembers mouse presses.
class TBlock : public vcl::TGraphicControl {
public:
    explicit TBlock(vcl::TComponent* owner) : TGraphicControl(owner) {}
    std::vector<vcl::TPoint> Presses;
    int Paints = 0;

protected:
    void Paint() override
    {
        ++Paints;
        if (const vcl::TPaintContext* context = PaintContext())
            context->Painter().fillRect(0, 0, Width(), Height(), vcl::ColorToQColor(Color()));
    }
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override
    {
        Presses.push_back({x, y});
        TGraphicControl::MouseDown(button, shift, x, y);
    }
};

// Saves what a widget shows under test-output.
inline QImage SavePicture(QWidget* widget, const std::string& name)
{
    const QImage image = widget->grab().toImage();
    image.save(QString::fromStdString(OutputPath(name)));
    return image;
}

// The dark pixels (text) within a control's bounds on a picture of the
// client area it lies in: what a person sees of a label.
inline int DarkPixelsIn(const QImage& picture, const vcl::TControl* control)
{
    int dark = 0;
    const QRect area = QRect(control->Left(), control->Top(), control->Width(), control->Height())
                           .intersected(picture.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            dark += qGray(picture.pixel(x, y)) < 96 ? 1 : 0;
    return dark;
}

} // namespace kwtest
