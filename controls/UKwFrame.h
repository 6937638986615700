#pragma once
// Eleven frame styles drawn in the system's 3-D colours, a windowed group
// box that keeps its frame outside its client area (so its children lie
// inside the frame), and a frame control without a window.
//
// The drawing routines take inclusive rectangles: they draw on the column
// Right and the row Bottom. Controls pass their client rectangle less one
// pixel at the right and the bottom.

#include "KwCorvaneExport.h"
#include "vcl/core/Events.h"
#include "vcl/widgets/Controls.h"
#include "vcl/widgets/Graphics.h"

#include <string>

namespace kw {

enum TKwFrameStyle {
    kwfsNone,
    kwfsGroup,
    kwfsLowered,
    kwfsRaised,
    kwfsDint,
    kwfsBump,
    kwfsSingle,
    kwfsHorzLine,
    kwfsHorzEdge,
    kwfsVertLine,
    kwfsVertEdge
};
VCL_ENUM_TYPE(TKwFrameStyle, kwfsNone, kwfsGroup, kwfsLowered, kwfsRaised, kwfsDint, kwfsBump, kwfsSingle,
              kwfsHorzLine, kwfsHorzEdge, kwfsVertLine, kwfsVertEdge)

using TKwFramePaintEvent = vcl::TEvent<void(vcl::TObject* sender, vcl::TCanvas* canvas)>;

KWCORVANE_EXPORT void DrawLoweredFrame(vcl::TCanvas* canvas, const vcl::TRect& rect);
KWCORVANE_EXPORT void DrawRaisedFrame(vcl::TCanvas* canvas, const vcl::TRect& rect);
KWCORVANE_EXPORT void DrawDintFrame(vcl::TCanvas* canvas, const vcl::TRect& rect);
KWCORVANE_EXPORT void DrawBumpFrame(vcl::TCanvas* canvas, const vcl::TRect& rect);
KWCORVANE_EXPORT void DrawSingleFrame(vcl::TCanvas* canvas, const vcl::TRect& rect);
KWCORVANE_EXPORT void DrawGroupFrame(vcl::TCanvas* canvas, const vcl::TRect& rect, const std::string& caption,
                                     vcl::TColor background, bool enabled);
KWCORVANE_EXPORT void DrawHorzLine(vcl::TCanvas* canvas, const vcl::TRect& rect, vcl::TColor first,
                                   vcl::TColor second);
KWCORVANE_EXPORT void DrawHorzEdge(vcl::TCanvas* canvas, const vcl::TRect& rect, vcl::TColor first,
                                   vcl::TColor second);
KWCORVANE_EXPORT void DrawVertLine(vcl::TCanvas* canvas, const vcl::TRect& rect, vcl::TColor first,
                                   vcl::TColor second);
KWCORVANE_EXPORT void DrawVertEdge(vcl::TCanvas* canvas, const vcl::TRect& rect, vcl::TColor first,
                                   vcl::TColor second);
// Any style; kwfsGroup without a caption on the canvas's brush colour.
KWCORVANE_EXPORT void DrawFrame(TKwFrameStyle style, vcl::TCanvas* canvas, const vcl::TRect& rect);
// Shrinks rect by what the style's frame covers.
KWCORVANE_EXPORT void AdjustRectForFrame(TKwFrameStyle style, vcl::TRect& rect);

// A container whose frame is its window's non-client area.
class KWCORVANE_EXPORT TKwCustomGroup : public vcl::TCustomControl {
    VCL_DECLARE_CLASS(TKwCustomGroup, vcl::TCustomControl)
public:
    explicit TKwCustomGroup(vcl::TComponent* owner);

    vcl::TAlignment Alignment() const { return Alignment_; }
    void SetAlignment(vcl::TAlignment value);
    bool DefaultDrawing() const { return DefaultDrawing_; }
    void SetDefaultDrawing(bool value) { DefaultDrawing_ = value; }
    int FrameSpace() const { return FrameSpace_; }
    void SetFrameSpace(int value);
    TKwFrameStyle FrameStyle() const { return FrameStyle_; }
    void SetFrameStyle(TKwFrameStyle value);
    TKwFramePaintEvent OnPaint;

    // Sets Enabled of every child, first to last.
    void EnableAllChildren(bool value);
    // Measures and paints the non-client area again.
    void RepaintNonClient();

protected:
    void CreateParams(vcl::TCreateParams& params) override;
    void Paint() override;
    virtual void PaintNonClient(vcl::TCanvas* canvas, const vcl::TRect& rect);
    void Dispatch(vcl::TMessage& message) override;

private:
    void CMEnabledChanged(vcl::TMessage& message);
    void CMTextChanged(vcl::TMessage& message);
    void CMColorChanged(vcl::TMessage& message);
    void CMFontChanged(vcl::TMessage& message);
    void WMEraseBkgnd(vcl::TMessage& message);
    void WMNCCalcSize(vcl::TMessage& message);
    void WMNCPaint(vcl::TMessage& message);

    vcl::TAlignment Alignment_ = vcl::taCenter;
    bool DefaultDrawing_ = true;
    int FrameSpace_ = 2;
    bool FrameChanged_ = false;
    TKwFrameStyle FrameStyle_ = kwfsGroup;
};

class KWCORVANE_EXPORT TKwGroup : public TKwCustomGroup {
    VCL_DECLARE_PUBLISHED_CLASS(TKwGroup, TKwCustomGroup)
public:
    explicit TKwGroup(vcl::TComponent* owner) : TKwCustomGroup(owner) {}
    bool UseDockManager() const { return UseDockManager_; }
    void SetUseDockManager(bool value) { UseDockManager_ = value; }

private:
    bool UseDockManager_ = false;
};

// A frame and a caption drawn inside the control's bounds on its parent.
class KWCORVANE_EXPORT TKwCustomFrame : public vcl::TGraphicControl {
    VCL_DECLARE_CLASS(TKwCustomFrame, vcl::TGraphicControl)
public:
    explicit TKwCustomFrame(vcl::TComponent* owner);

    vcl::TAlignment Alignment() const { return Alignment_; }
    void SetAlignment(vcl::TAlignment value);
    bool DefaultDrawing() const { return DefaultDrawing_; }
    void SetDefaultDrawing(bool value) { DefaultDrawing_ = value; }
    int FrameSpace() const { return FrameSpace_; }
    void SetFrameSpace(int value);
    TKwFrameStyle FrameStyle() const { return FrameStyle_; }
    void SetFrameStyle(TKwFrameStyle value);
    TKwFramePaintEvent OnPaint;

    // Invalidates what lies inside the frame, not the frame.
    void InvalidateInterior();

protected:
    void Paint() override;
    void Dispatch(vcl::TMessage& message) override;

private:
    vcl::TAlignment Alignment_ = vcl::taCenter;
    bool DefaultDrawing_ = true;
    int FrameSpace_ = 2;
    TKwFrameStyle FrameStyle_ = kwfsLowered;
};

class KWCORVANE_EXPORT TKwFrame : public TKwCustomFrame {
    VCL_DECLARE_PUBLISHED_CLASS(TKwFrame, TKwCustomFrame)
public:
    explicit TKwFrame(vcl::TComponent* owner) : TKwCustomFrame(owner) {}
};

} // namespace kw
