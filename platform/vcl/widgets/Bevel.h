#pragma once
// TBevel: a box, a frame or one line drawn lowered or raised, as a rule or
// a frame between the controls of a form.

#include "vcl/CorvaneVclExport.h"
#include "vcl/widgets/Controls.h"

namespace vcl {

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
VCL_ENUM_TYPE(TBevelShape, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer)
enum TBevelStyle { bsLowered, bsRaised };
VCL_ENUM_TYPE(TBevelStyle, bsLowered, bsRaised)

class CORVANE_VCL_EXPORT TBevel : public TGraphicControl {
    VCL_DECLARE_PUBLISHED_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* owner);

    TBevelShape Shape() const { return Shape_; }
    void SetShape(TBevelShape value);
    TBevelStyle Style() const { return Style_; }
    void SetStyle(TBevelStyle value);

protected:
    void Paint() override;

private:
    TBevelShape Shape_ = bsBox;
    TBevelStyle Style_ = bsLowered;
};

} // namespace vcl
