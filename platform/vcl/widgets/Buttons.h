#pragma once
// Buttons of the tool-bar kind and check boxes: a speed button is painted on
// its parent (no window, never focused), shows a glyph and a caption, and may
// stay down as one of a group; a check box is a windowed control with a box
// and a caption.

#include "vcl/CorvaneVclExport.h"
#include "vcl/widgets/ButtonControl.h"
#include "vcl/widgets/Controls.h"
#include "vcl/widgets/Graphics.h"

namespace vcl {

// A button of a tool bar. Buttons of the same parent that share a
// GroupIndex other than 0 are exclusive: one down puts the others up, and
// unless AllowAllUp one of them stays down. GroupIndex 0 never stays down.
//
// The glyph holds NumGlyphs images side by side: up, disabled, clicked and
// down; an image it lacks is the up one, and a disabled button without a
// disabled image shows the up one greyed. Where the glyph has no alpha, the
// colour of its bottom-left pixel is transparent.
class CORVANE_VCL_EXPORT TSpeedButton : public TGraphicControl {
    VCL_DECLARE_PUBLISHED_CLASS(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* owner);

    bool Down() const { return Down_; }
    void SetDown(bool value);
    int GroupIndex() const { return GroupIndex_; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return AllowAllUp_; }
    void SetAllowAllUp(bool value);
    TBitmap* Glyph() const { return Glyph_; }
    void SetGlyph(TBitmap* value) { Glyph_->Assign(value); }
    // 1 to 4; other values leave it as it was.
    int NumGlyphs() const { return NumGlyphs_; }
    void SetNumGlyphs(int value);
    // Flat: the frame shows only while the pointer is over the button or
    // it is down.
    bool Flat() const { return Flat_; }
    void SetFlat(bool value);
    // Pixels between the glyph and the caption.
    int Spacing() const { return Spacing_; }
    void SetSpacing(int value);

    // The image index the button shows now (0 up, 1 disabled, 2 clicked,
    // 3 down), before falling back to the up image.
    int ShownGlyph() const;
    // The picture of one glyph as drawn, transparency applied; null for
    // an empty glyph.
    QImage GlyphImage(int index) const;

    void Click() override;

protected:
    ~TSpeedButton() override;
    void Dispatch(TMessage& message) override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    enum TState { bsUp, bsDisabled, bsDown, bsExclusive };
    void GlyphChanged(TObject* sender);
    // Puts the other buttons of the group up (and gives them AllowAllUp).
    void UpdateExclusive();
    void CMButtonPressed(TMessage& message);

    TBitmap* Glyph_;
    int NumGlyphs_ = 1;
    int GroupIndex_ = 0;
    int Spacing_ = 4;
    bool Down_ = false;
    bool AllowAllUp_ = false;
    bool Flat_ = false;
    bool Dragging_ = false;
    bool MouseInside_ = false;
    TState State_ = bsUp;
};

// A check box: a click, Space or its mnemonic toggles Checked, and every
// change of Checked fires OnClick.
class CORVANE_VCL_EXPORT TCheckBox : public TButtonControl {
    VCL_DECLARE_PUBLISHED_CLASS(TCheckBox, TButtonControl)
public:
    explicit TCheckBox(TComponent* owner);

    void SetChecked(bool value) override;

protected:
    void Toggle() override { SetChecked(!Checked_); }
};

} // namespace vcl
