// Canvases on controls, and the window layer's device contexts: inside a
// window's paint they draw through the paint's painter, outside it on an
// overlay widget over the window.

#include "vcl/widgets/Controls.h"

#include "win32/DeviceContext.h"
#include "win32/WindowManager.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <mutex>
#include <utility>

namespace vcl {

namespace {

// What was drawn on a window outside its paint: a picture of the window as
// it was, drawn on, shown over it. It goes when what is drawn on it equals
// the picture it started from again.
class TDrawingOverlay : public QWidget {
public:
    explicit TDrawingOverlay(QWidget* window) : QWidget(window)
    {
        setObjectName(QStringLiteral("corvane-drawing-overlay"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        // It shows a whole picture: nothing under it is repainted for it.
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(window->rect());
        Base_ = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        Image_ = std::make_shared<QImage>(Base_.copy());
        raise();
        show();
    }

    // Shared with the device contexts drawing on it, which may outlive the
    // window.
    const std::shared_ptr<QImage>& Image() const { return Image_; }

    // A device context let go: shown again, or gone when nothing is left.
    void Released()
    {
        if (--Users_ > 0)
            return;
        if (*Image_ == Base_) {
            hide();
            deleteLater();
        } else {
            update();
        }
    }
    void Acquired() { ++Users_; }

    static TDrawingOverlay* Of(QWidget* window)
    {
        for (QObject* child : window->children())
            if (auto* overlay = dynamic_cast<TDrawingOverlay*>(child); overlay && !overlay->isHidden())
                return overlay;
        return nullptr;
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.drawImage(event->rect(), *Image_, event->rect());
    }

private:
    QImage Base_;
    std::shared_ptr<QImage> Image_;
    int Users_ = 0;
};

// The client area's offset inside the window.
QPoint ClientOffset(HWND window)
{
    RECT frame{};
    POINT origin{0, 0};
    if (!GetWindowRect(window, &frame) || !ClientToScreen(window, &origin))
        return {};
    return QPoint(origin.x - frame.left, origin.y - frame.top);
}

} // namespace

HDC TControlCanvas::WindowDC(HWND window, DWORD flags)
{
    TWinControl* control = TWinControl::FindControl(window);
    QWidget* widget = control ? control->Peer() : nullptr;
    if (!widget)
        return nullptr;
    const bool whole = flags & DCX_WINDOW;
    const QPoint offset = ClientOffset(window);
    if (const TPaintContext* paint = control->CurrentPaint()) {
        QPainter& painter = paint->Painter();
        if (!whole)
            return win32::CreatePainterDC(painter, window);
        // The paint's painter starts at the client area: the whole window
        // starts before it and is not clipped to it.
        return win32::CreatePainterDC(painter, window, {}, -offset, false);
    }
    TDrawingOverlay* overlay = TDrawingOverlay::Of(widget);
    if (!overlay)
        overlay = new TDrawingOverlay(widget);
    overlay->Acquired();
    std::shared_ptr<QImage> image = overlay->Image();
    auto* painter = new QPainter(image.get());
    if (!whole) {
        painter->translate(offset);
        painter->setClipRect(QRect(QPoint(0, 0), widget->rect().size() - QSize(offset.x(), offset.y())));
    }
    QPointer<TDrawingOverlay> guard(overlay);
    return win32::CreatePainterDC(*painter, window, [painter, guard, image] {
        painter->end();
        delete painter;
        if (guard)
            guard->Released();
    });
}

void TControlCanvas::InstallWindowDCs()
{
    static std::once_flag once;
    std::call_once(once, [] { win32::SetWindowDCSource(&WindowDC); });
}

TControlCanvas::~TControlCanvas()
{
    FreeHandle();
}

void TControlCanvas::SetControl(TControl* value)
{
    if (value != Control_) {
        FreeHandle();
        Control_ = value;
    }
}

void TControlCanvas::FreeHandle()
{
    if (!Context_)
        return;
    SetHandle(nullptr);
    HDC dc = std::exchange(Context_, nullptr);
    if (Painting_)
        DeleteDC(dc);
    else
        ReleaseDC(Window_, dc);
    Painting_ = false;
    Window_ = nullptr;
}

void TControlCanvas::BindPaint(const TPaintContext& context)
{
    FreeHandle();
    auto* windowed = dynamic_cast<TWinControl*>(Control_);
    Window_ = windowed ? windowed->Handle() : nullptr;
    Context_ = win32::CreatePainterDC(context.Painter(), Window_);
    Painting_ = true;
    SetHandle(Context_);
}

void TControlCanvas::CreateHandle()
{
    if (!Control_)
        return;
    if (auto* windowed = dynamic_cast<TWinControl*>(Control_)) {
        Window_ = windowed->Handle();
        Context_ = GetDC(Window_);
    } else if (TWinControl* parent = Control_->Parent(); parent && parent->HandleAllocated()) {
        // A graphic control draws on its parent's window, inside its bounds.
        Window_ = parent->Handle();
        Context_ = GetDC(Window_);
        if (Context_) {
            SetViewportOrgEx(Context_, Control_->Left(), Control_->Top(), nullptr);
            IntersectClipRect(Context_, 0, 0, Control_->Width(), Control_->Height());
        }
    }
    if (Context_)
        SetHandle(Context_);
}

} // namespace vcl
