#pragma once
// The edit window over an item's label, shared by the tree and list windows:
// a child window of the control with the edit's own messages. Enter ends the
// edit, Escape cancels it, and so does losing the focus end it; the control
// hears of it (finished) after the edit's message, from the event loop.

#include "vcl/widgets/EditControl_p.h"
#include "vcl/widgets/Messages.h"
#include "win32/WindowManager.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>
#include <string>

namespace vcl {

class LabelEdit final : public QObject, public win32::WindowProcedure, public win32::WindowPeer {
public:
    using Finished = std::function<void(LabelEdit* edit, bool cancel)>;
    // host: the widget the edit lies on; owner: the control's window;
    // context: the object whose life bounds the call of finished.
    LabelEdit(QWidget* host, HWND owner, const std::string& text, const QRect& at, QObject* context,
              Finished finished);
    ~LabelEdit() override;
    LabelEdit(const LabelEdit&) = delete;
    LabelEdit& operator=(const LabelEdit&) = delete;

    LRESULT WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Finish(bool cancel);
    bool eventFilter(QObject* watched, QEvent* event) override;
    std::string Text() const;

    RECT PeerClientRect() const override;
    RECT PeerWindowRect() const override;
    POINT PeerClientOrigin() const override;
    void PeerInvalidate(const RECT*, bool) override;
    void PeerUpdate() override;
    bool PeerVisible() const override;
    bool PeerEnabled() const override;
    void PeerTakeFocus() override;
    void PeerSetCursor(HCURSOR) override {}

    QPointer<TEditWidget> Widget;
    HWND Window = nullptr;
    bool Finished_ = false;

private:
    QPointer<QObject> Context_;
    Finished OnFinished_;
};

} // namespace vcl
