// TTimer over a message-only window and the platform's timers.

#include "vcl/widgets/ExtCtrls.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/MessageWindows.h"
#include "win32/WindowManager.h"

namespace vcl {

const TClassRtti& TTimer::PublishedTable()
{
    static const TClassRtti table = Publish<TTimer>()
                                        .Property<&TTimer::Enabled, &TTimer::SetEnabled>("Enabled")
                                        .Default(true)
                                        .Property<&TTimer::Interval, &TTimer::SetInterval>("Interval")
                                        .Default(1000)
                                        .Property<&TTimer::OnTimer, &TTimer::SetOnTimer>("OnTimer");
    return table;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    Window_ = AllocateHWnd(TWndMethod(this, &TTimer::WndProc));
}

TTimer::~TTimer()
{
    Enabled_ = false;
    UpdateTimer();
    DeallocateHWnd(Window_);
}

void TTimer::WndProc(TMessage& message)
{
    if (message.Msg != WM_TIMER) {
        message.Result = DefWindowProcA(Window_, message.Msg, message.WParam, message.LParam);
        return;
    }
    try {
        Timer();
    } catch (...) {
        Application()->HandleException(this);
    }
}

void TTimer::UpdateTimer()
{
    KillTimer(Window_, 1);
    if (Interval_ != 0 && Enabled_ && OnTimer_)
        if (SetTimer(Window_, 1, Interval_, nullptr) == 0)
            throw EOutOfMemory("Not enough timers available");
}

void TTimer::SetEnabled(bool value)
{
    if (value != Enabled_) {
        Enabled_ = value;
        UpdateTimer();
    }
}

void TTimer::SetInterval(UINT value)
{
    if (value != Interval_) {
        Interval_ = value;
        UpdateTimer();
    }
}

void TTimer::SetOnTimer(TNotifyEvent value)
{
    OnTimer_ = value;
    UpdateTimer();
}

void TTimer::Timer()
{
    if (OnTimer_)
        OnTimer_(this);
}

} // namespace vcl
