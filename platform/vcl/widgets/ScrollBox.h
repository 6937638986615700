#pragma once
// TScrollBox: a container whose children may reach past its client area;
// scroll bars appear for the part that does not fit and move the children.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Classes.h"
#include "vcl/widgets/Controls.h"

class QScrollBar;

namespace vcl {

class TScrollBox;

enum TScrollBarKind { sbHorizontal, sbVertical };
VCL_ENUM_TYPE(TScrollBarKind, sbHorizontal, sbVertical)

// One bar of a scroll box: Range is how far the children reach (worked out
// from them), Position how far they are scrolled. With Tracking the
// children follow the thumb while it is dragged, else when it is let go.
class CORVANE_VCL_EXPORT TControlScrollBar : public TPersistent {
    VCL_DECLARE_PUBLISHED_CLASS(TControlScrollBar, TPersistent)
public:
    TControlScrollBar(TScrollBox* owner, TScrollBarKind kind);

    TScrollBarKind Kind() const { return Kind_; }
    int Range() const { return Range_; }
    int Position() const { return Position_; }
    // Scrolls the children; clamped to 0 .. Range - the client's extent.
    void SetPosition(int value);
    bool Tracking() const { return Tracking_; }
    void SetTracking(bool value);
    bool Visible() const { return Visible_; }
    void SetVisible(bool value);
    // Whether the bar is shown now (visible and something does not fit).
    bool IsScrollBarVisible() const;
    void Assign(TPersistent* source) override;

private:
    friend class TScrollBox;
    TScrollBox* Owner_;
    TScrollBarKind Kind_;
    int Range_ = 0;
    int Position_ = 0;
    bool Tracking_ = false;
    bool Visible_ = true;
};

class CORVANE_VCL_EXPORT TScrollBox : public TWinControl {
    VCL_DECLARE_PUBLISHED_CLASS(TScrollBox, TWinControl)
public:
    explicit TScrollBox(TComponent* owner);

    TControlScrollBar* HorzScrollBar() const { return Horz_; }
    void SetHorzScrollBar(TControlScrollBar* value) { Horz_->Assign(value); }
    TControlScrollBar* VertScrollBar() const { return Vert_; }
    void SetVertScrollBar(TControlScrollBar* value) { Vert_->Assign(value); }
    TBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    // Moves every child by (-dx, -dy).
    void ScrollBy(int dx, int dy);
    // Scrolls so that the child shows whole (its top-left corner first).
    void ScrollInView(TControl* control);

protected:
    ~TScrollBox() override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void AdjustClientRect(TRect& rect) const override;
    void AlignControls(TControl* moved, TRect& rect) override;
    void Resize() override;

private:
    friend class TControlScrollBar;
    // The ranges from the children, the bars shown or hidden and the
    // positions clamped to them.
    void UpdateScrollBars();
    QScrollBar* BarWidget(TScrollBarKind kind) const;
    void BarMoved(TScrollBarKind kind, int value);

    TControlScrollBar* Horz_;
    TControlScrollBar* Vert_;
    TBorderStyle BorderStyle_ = bsSingle;
    QScrollBar* HorzWidget_ = nullptr;
    QScrollBar* VertWidget_ = nullptr;
    bool Updating_ = false;
};

} // namespace vcl
