// The system's window classes that programs make by name: the size grip of
// "SCROLLBAR" with SBS_SIZEGRIP, a QSizeGrip in its parent's widget.

#include "vcl/widgets/SystemClasses.h"

#include "vcl/widgets/Controls.h"
#include "win32/Errors.h"
#include "win32/WindowManager.h"
#include "win32/WindowPlacement.h"

#include <QPointer>
#include <QSizeGrip>
#include <QWidget>

namespace vcl {

namespace {

// The grip's window: its procedure and peer, which end with it.
class TSizeGripWindow final : public win32::WindowProcedure,
                              public win32::WindowPeer,
                              public win32::PlacementPeer {
public:
    TSizeGripWindow(QWidget* parent, QPoint clientOffset)
        : Grip_(new QSizeGrip(parent)), Offset_(clientOffset)
    {
    }

    HWND Make(const win32::SystemWindowRequest& request)
    {
        Grip_->setGeometry(request.X + Offset_.x(), request.Y + Offset_.y(), std::max(0, request.Width),
                           std::max(0, request.Height));
        Handle_ =
            win32::CreateWindowFor(this, {request.Parent, request.Style, request.ExStyle, request.Id}, this);
        if (Handle_ && (request.Style & WS_VISIBLE))
            Grip_->show();
        return Handle_;
    }

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NCDESTROY) {
            delete Grip_.data();
            delete this;
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    RECT PeerClientRect() const override
    {
        return Grip_ ? RECT{0, 0, Grip_->width(), Grip_->height()} : RECT{0, 0, 0, 0};
    }
    RECT PeerWindowRect() const override
    {
        if (!Grip_)
            return {0, 0, 0, 0};
        const QPoint origin = Grip_->mapToGlobal(QPoint(0, 0));
        return {origin.x(), origin.y(), origin.x() + Grip_->width(), origin.y() + Grip_->height()};
    }
    POINT PeerClientOrigin() const override
    {
        const RECT r = PeerWindowRect();
        return {r.left, r.top};
    }
    void PeerInvalidate(const RECT*, bool) override
    {
        if (Grip_)
            Grip_->update();
    }
    void PeerUpdate() override
    {
        if (Grip_)
            Grip_->repaint();
    }
    bool PeerVisible() const override { return Grip_ && Grip_->isVisible(); }
    bool PeerEnabled() const override { return Grip_ && Grip_->isEnabled(); }
    void PeerTakeFocus() override {}
    void PeerSetCursor(HCURSOR) override {}
    bool PeerSetPos(int x, int y, int cx, int cy, UINT flags) override
    {
        if (!Grip_)
            return false;
        if (!(flags & SWP_NOMOVE))
            Grip_->move(x + Offset_.x(), y + Offset_.y());
        if (!(flags & SWP_NOSIZE))
            Grip_->resize(std::max(0, cx), std::max(0, cy));
        return true;
    }
    void PeerRaise() override
    {
        if (Grip_)
            Grip_->raise();
    }
    RECT PeerNormalRect() const override { return PeerWindowRect(); }
    UINT PeerShowCommand() const override { return kShowNormal; }

private:
    ~TSizeGripWindow() = default;

    QPointer<QSizeGrip> Grip_;
    // Where the parent's client area starts in its widget.
    QPoint Offset_;
    HWND Handle_ = nullptr;
};

HWND MakeScrollBar(const win32::SystemWindowRequest& request)
{
    // Only the size grip: the framework's controls have scroll bars of
    // their own.
    TWinControl* parent = TWinControl::FindControl(request.Parent);
    if (!(request.Style & SBS_SIZEGRIP) || !(request.Style & WS_CHILD) || !parent || !parent->Peer()) {
        SetLastError(parent || !request.Parent ? ERROR_CANNOT_FIND_WND_CLASS : ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    QWidget* widget = parent->Peer();
    POINT client{0, 0};
    ClientToScreen(request.Parent, &client);
    const QPoint offset = QPoint(client.x, client.y) - widget->mapToGlobal(QPoint(0, 0));
    auto* grip = new TSizeGripWindow(widget, offset);
    if (HWND made = grip->Make(request))
        return made;
    grip->WindowProc(nullptr, WM_NCDESTROY, 0, 0);
    return nullptr;
}

} // namespace

void InstallSystemClasses()
{
    win32::RegisterSystemClass("SCROLLBAR", &MakeScrollBar);
}

} // namespace vcl
