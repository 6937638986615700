// TTimer over a message-only window and the platform's timers; panels.

#include "vcl/widgets/ExtCtrls.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "vcl/widgets/MessageWindows.h"
#include "win32/Gdi.h"
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

// ---- Frame3D ----

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width)
{
    canvas->Pen()->SetWidth(1);
    --rect.right;
    --rect.bottom;
    for (int i = 0; i < width; ++i) {
        canvas->Pen()->SetColor(topColor);
        canvas->Polyline({{rect.left, rect.bottom}, {rect.left, rect.top}, {rect.right, rect.top}});
        canvas->Pen()->SetColor(bottomColor);
        canvas->Polyline({{rect.right, rect.top}, {rect.right, rect.bottom}, {rect.left - 1, rect.bottom}});
        InflateRect(rect, -1, -1);
    }
    ++rect.right;
    ++rect.bottom;
}

// ---- TCustomPanel ----

const TClassRtti& TPanel::PublishedTable()
{
    static const TClassRtti table =
        PublishWinControl(Publish<TPanel>(), clBtnFace, false)
            .Property<&TPanel::Alignment, &TPanel::SetAlignment>("Alignment")
            .Default(taCenter)
            .Property<&TPanel::BevelInner, &TPanel::SetBevelInner>("BevelInner")
            .Default(bvNone)
            .Property<&TPanel::BevelOuter, &TPanel::SetBevelOuter>("BevelOuter")
            .Default(bvRaised)
            .Property<&TPanel::BevelWidth, &TPanel::SetBevelWidth>("BevelWidth")
            .Default(1)
            .Property<&TPanel::BorderWidth, &TPanel::SetBorderWidth>("BorderWidth")
            .Default(0)
            .Property<&TPanel::BorderStyle, &TPanel::SetBorderStyle>("BorderStyle")
            .Default(bsNone)
            .Property<&TPanel::Caption, &TPanel::SetCaption>("Caption")
            .Property<&TPanel::OnResize>("OnResize");
    return table;
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner)
{
    ControlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                  csOpaque,          csDoubleClicks, csReplicatable};
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    if (BorderStyle_ == bsSingle)
        params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomPanel::AdjustClientRect(TRect& rect) const
{
    TCustomControl::AdjustClientRect(rect);
    int inset = BorderWidth_;
    if (BevelOuter_ != bvNone)
        inset += BevelWidth_;
    if (BevelInner_ != bvNone)
        inset += BevelWidth_;
    InflateRect(rect, -inset, -inset);
}

void TCustomPanel::Changed(bool realign)
{
    if (realign)
        Realign();
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment value)
{
    if (value != Alignment_) {
        Alignment_ = value;
        Changed(false);
    }
}

void TCustomPanel::SetBevelInner(TPanelBevel value)
{
    if (value != BevelInner_) {
        BevelInner_ = value;
        Changed(true);
    }
}

void TCustomPanel::SetBevelOuter(TPanelBevel value)
{
    if (value != BevelOuter_) {
        BevelOuter_ = value;
        Changed(true);
    }
}

void TCustomPanel::SetBevelWidth(int value)
{
    value = std::max(1, value);
    if (value != BevelWidth_) {
        BevelWidth_ = value;
        Changed(true);
    }
}

void TCustomPanel::SetBorderWidth(int value)
{
    value = std::max(0, value);
    if (value != BorderWidth_) {
        BorderWidth_ = value;
        Changed(true);
    }
}

void TCustomPanel::SetBorderStyle(TBorderStyle value)
{
    if (value != BorderStyle_) {
        BorderStyle_ = value;
        RecreateWnd();
        Changed(true);
    }
}

void TCustomPanel::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_TEXTCHANGED:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::Dispatch(message);
}

namespace {

// The colours of a bevel: light above and left of a raised one, dark of a
// lowered one; a space is the panel's own colour.
void BevelColors(TPanelBevel bevel, TColor face, TColor& top, TColor& bottom)
{
    switch (bevel) {
    case bvLowered:
        top = clBtnShadow;
        bottom = clBtnHighlight;
        break;
    case bvRaised:
        top = clBtnHighlight;
        bottom = clBtnShadow;
        break;
    default:
        top = bottom = face;
        break;
    }
}

} // namespace

void TCustomPanel::Paint()
{
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    TColor top = clNone;
    TColor bottom = clNone;
    if (BevelOuter_ != bvNone) {
        BevelColors(BevelOuter_, Color(), top, bottom);
        Frame3D(canvas, rect, top, bottom, BevelWidth_);
    }
    Frame3D(canvas, rect, Color(), Color(), BorderWidth_);
    if (BevelInner_ != bvNone) {
        BevelColors(BevelInner_, Color(), top, bottom);
        Frame3D(canvas, rect, top, bottom, BevelWidth_);
    }
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(rect);
    const std::string caption = Caption();
    if (caption.empty())
        return;
    static constexpr UINT kAlignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(Font());
    if (!Enabled())
        canvas->Font()->SetColor(clGrayText);
    DrawTextA(canvas->Handle(), caption.c_str(), -1, &rect,
              DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE | kAlignments[Alignment_]);
}

} // namespace vcl
