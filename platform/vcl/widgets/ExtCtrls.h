#pragma once
// TTimer: OnTimer every Interval milliseconds while Enabled.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Component.h"
#include "vcl/core/Events.h"
#include "vcl/widgets/Messages.h"

namespace vcl {

class CORVANE_VCL_EXPORT TTimer : public TComponent {
    VCL_DECLARE_PUBLISHED_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* owner);

    bool Enabled() const { return Enabled_; }
    void SetEnabled(bool value);
    UINT Interval() const { return Interval_; }
    void SetInterval(UINT value);
    TNotifyEvent OnTimer() const { return OnTimer_; }
    void SetOnTimer(TNotifyEvent value);

protected:
    ~TTimer() override;
    virtual void Timer();

private:
    void WndProc(TMessage& message);
    void UpdateTimer();

    bool Enabled_ = true;
    UINT Interval_ = 1000;
    TNotifyEvent OnTimer_;
    HWND Window_ = nullptr;
};

} // namespace vcl
