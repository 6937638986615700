#pragma once
// The Qt side of a windowed control: the widget that mirrors the control's
// state, and the one boundary where the widget's events become window
// messages and exceptions stop.

#include "vcl/widgets/Controls.h"
#include "win32/WindowManager.h"

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <initializer_list>

class QAbstractScrollArea;
class QEvent;

namespace vcl {

class TWidgetPeer : public QObject, public win32::WindowPeer {
public:
    TWidgetPeer(TWinControl* control, QWidget* widget);
    ~TWidgetPeer() override;

    // Ends the peer: its widget goes with it (later, when an event of the
    // widget is still being handled).
    void Destroy();

    QWidget* Widget() const { return Widget_; }
    // The client area inside the widget: within its frame and the border
    // width.
    QRect ClientArea() const;
    // Pixels at the top of the widget kept out of the client area (a
    // form's menu bar sits there).
    int TopInset() const { return TopInset_; }
    void SetTopInset(int pixels) { TopInset_ = pixels; }
    // The non-client area the control measured (WM_NCCALCSIZE) inside the
    // frame; WM_NCPAINT paints it.
    QMargins NonClient() const { return NonClient_; }
    void SetNonClient(const QMargins& margins) { NonClient_ = margins; }
    QPoint ClientOffset() const { return ClientArea().topLeft(); }
    // Moves the widget without taking the move as one from outside.
    void ApplyGeometry(const QRect& rect);
    // Tells the desktop the sizes a top-level window may take (0: any).
    void ApplySizeLimits(const TSizeLimits& limits);
    // Mirrors the window styles that Qt has an equivalent for.
    void ApplyStyles(DWORD style, DWORD exStyle, int borderWidth);

    // Shows or hides the widget as the platform does a window: WM_SHOWWINDOW
    // first, then the change.
    void ApplyVisible(bool visible);

    // The font the window was given (WM_SETFONT); 0 for the system's.
    HFONT WindowFont() const { return WindowFont_; }
    void SetWindowFont(HFONT font, bool redraw);

    // A message that stands for the event being handled: the default
    // handling of the message is the widget's own handling of the event.
    bool ForwardDefault(UINT msg);

    static TWinControl* ControlOf(const QWidget* widget);

    RECT PeerClientRect() const override;
    RECT PeerWindowRect() const override;
    POINT PeerClientOrigin() const override;
    void PeerInvalidate(const RECT* rect, bool erase) override;
    void PeerUpdate() override;
    bool PeerVisible() const override;
    bool PeerEnabled() const override;
    void PeerTakeFocus() override;
    void PeerSetCursor(HCURSOR cursor) override;
    void PeerFrameChanged() override;
    bool PeerScrollBar(int bar, int& min, int& max, int& page, int& pos, int& trackPos) const override;
    // The viewport of the view the window shows, else the widget.
    QObject* PeerDropReceiver() const override;
    RECT PeerDropReceiverRect() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The widget's own view, or the child view it shows; null for none.
    QAbstractScrollArea* ShownScrollArea() const;

    bool Translate(QEvent* event);
    bool Mouse(QEvent* event);
    bool Wheel(QEvent* event);
    bool Key(QEvent* event);
    bool Paint(QEvent* event);
    void PaintNonClient(const QRegion& region);
    void SendPaintMessages(const TPaintContext& context, std::initializer_list<UINT> messages);
    bool Focus(QEvent* event);
    void Activation(bool active);
    void Outside(QEvent* event);

    TWinControl* Control_;
    QPointer<QWidget> Widget_;
    int EventDepth_ = 0;
    bool ApplyingGeometry_ = false;
    bool ApplyingVisible_ = false;
    int BorderWidth_ = 0;
    int TopInset_ = 0;
    QMargins NonClient_;
    bool Destroyed_ = false;
    QEvent* Current_ = nullptr;
    UINT CurrentMsg_ = 0;
    HFONT WindowFont_ = nullptr;
};

// Ends the paints in progress (their painters and the device contexts over
// them) before a nested event loop runs inside one: the toolkit would end
// their backing store under them. Their contexts are null afterwards.
void EndPaintsBeforeNestedLoop();

} // namespace vcl
