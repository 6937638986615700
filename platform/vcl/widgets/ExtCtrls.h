#pragma once
// TTimer: OnTimer every Interval milliseconds while Enabled. Panels: a
// container with bevels, a border and a caption. Frame3D, the bevel they
// are drawn with.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Component.h"
#include "vcl/core/Events.h"
#include "vcl/widgets/Controls.h"
#include "vcl/widgets/Graphics.h"
#include "vcl/widgets/Messages.h"

namespace vcl {

// Draws width nested frames inside rect, top and left sides in topColor,
// bottom and right in bottomColor, and leaves rect inside them.
CORVANE_VCL_EXPORT void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
VCL_ENUM_TYPE(TPanelBevel, bvNone, bvLowered, bvRaised, bvSpace)
using TBevelCut = TPanelBevel;

// A container painted as a raised or lowered slab: from the outside in, the
// border (a sunken edge when single), the outer bevel, BorderWidth pixels
// of its colour, the inner bevel, then the caption on its colour. Aligned
// children go inside all of them.
class CORVANE_VCL_EXPORT TCustomPanel : public TCustomControl {
    VCL_DECLARE_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* owner);

    TAlignment Alignment() const { return Alignment_; }
    void SetAlignment(TAlignment value);
    TPanelBevel BevelInner() const { return BevelInner_; }
    void SetBevelInner(TPanelBevel value);
    TPanelBevel BevelOuter() const { return BevelOuter_; }
    void SetBevelOuter(TPanelBevel value);
    int BevelWidth() const { return BevelWidth_; }
    void SetBevelWidth(int value);
    // The panel's own: inside the outer bevel, not around the window.
    int BorderWidth() const { return BorderWidth_; }
    void SetBorderWidth(int value);
    TBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TBorderStyle value);

protected:
    void CreateParams(TCreateParams& params) override;
    void AdjustClientRect(TRect& rect) const override;
    void Dispatch(TMessage& message) override;
    void Paint() override;

private:
    // Takes a change of the look: repainted, and the children placed
    // again when the frames' width changed.
    void Changed(bool realign);

    TAlignment Alignment_ = taCenter;
    TPanelBevel BevelInner_ = bvNone;
    TPanelBevel BevelOuter_ = bvRaised;
    int BevelWidth_ = 1;
    int BorderWidth_ = 0;
    TBorderStyle BorderStyle_ = bsNone;
};

class CORVANE_VCL_EXPORT TPanel : public TCustomPanel {
    VCL_DECLARE_PUBLISHED_CLASS(TPanel, TCustomPanel)
public:
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

// A surface the program paints in OnPaint, through Canvas, with the box's
// font and its colour as the brush.
class CORVANE_VCL_EXPORT TPaintBox : public TGraphicControl {
    VCL_DECLARE_PUBLISHED_CLASS(TPaintBox, TGraphicControl)
public:
    explicit TPaintBox(TComponent* owner);

    TNotifyEvent OnPaint() const { return OnPaint_; }
    void SetOnPaint(TNotifyEvent value) { OnPaint_ = value; }

protected:
    void Paint() override;

private:
    TNotifyEvent OnPaint_;
};

// A picture on its parent: at the top-left corner, centred, or stretched
// over the whole control; with AutoSize the control takes the picture's
// size whenever the picture changes. Transparent draws the picture's
// graphic transparent (a bitmap's transparent colour lets the parent show).
class CORVANE_VCL_EXPORT TImage : public TGraphicControl {
    VCL_DECLARE_PUBLISHED_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* owner);

    TPicture* Picture() const { return Picture_; }
    void SetPicture(TPicture* value) { Picture_->Assign(value); }
    bool AutoSize() const { return AutoSize_; }
    void SetAutoSize(bool value);
    bool Center() const { return Center_; }
    void SetCenter(bool value);
    bool Stretch() const { return Stretch_; }
    void SetStretch(bool value);
    bool Transparent() const { return Transparent_; }
    void SetTransparent(bool value);
    // Where the picture is drawn in the control.
    TRect DestRect() const;

protected:
    ~TImage() override;
    void Paint() override;

private:
    void PictureChanged(TObject* sender);

    TPicture* Picture_;
    bool AutoSize_ = false;
    bool Center_ = false;
    bool Stretch_ = false;
    bool Transparent_ = false;
};

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
