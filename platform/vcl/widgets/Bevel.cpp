// The bevel's drawing: a shadow and a highlight line side by side, the
// shadow first when lowered.

#include "vcl/widgets/Bevel.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "vcl/widgets/ExtCtrls.h"

namespace vcl {

const TClassRtti& TBevel::PublishedTable()
{
    static const TClassRtti table = Publish<TBevel>()
                                        .Property<&TBevel::Align, &TBevel::SetAlign>("Align")
                                        .Default(alNone)
                                        .Property<&TBevel::Anchors, &TBevel::SetAnchors>("Anchors")
                                        .StoredIf<&TBevel::IsAnchorsStored>()
                                        .Property<&TBevel::Shape, &TBevel::SetShape>("Shape")
                                        .Default(bsBox)
                                        .Property<&TBevel::Style, &TBevel::SetStyle>("Style")
                                        .Default(bsLowered)
                                        .Property<&TBevel::Visible, &TBevel::SetVisible>("Visible")
                                        .Default(true);
    return table;
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner)
{
    ControlStyle_ += csReplicatable;
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape value)
{
    if (value != Shape_) {
        Shape_ = value;
        Invalidate();
    }
}

void TBevel::SetStyle(TBevelStyle value)
{
    if (value != Style_) {
        Style_ = value;
        Invalidate();
    }
}

void TBevel::Paint()
{
    TCanvas* canvas = Canvas();
    const TColor first = Style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    const TColor second = Style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    const int w = Width();
    const int h = Height();
    auto line = [canvas](TColor color, int x1, int y1, int x2, int y2) {
        canvas->Pen()->SetColor(color);
        canvas->MoveTo(x1, y1);
        canvas->LineTo(x2, y2);
    };
    canvas->Pen()->SetWidth(1);
    switch (Shape_) {
    case bsBox: {
        TRect rect{0, 0, w, h};
        Frame3D(canvas, rect, first, second, 1);
        break;
    }
    case bsFrame: {
        // Two nested boxes, the outer one of the first colour.
        TRect outer{0, 0, w - 1, h - 1};
        TRect inner{1, 1, w, h};
        Frame3D(canvas, inner, second, second, 1);
        Frame3D(canvas, outer, first, first, 1);
        break;
    }
    case bsTopLine:
        line(first, 0, 0, w, 0);
        line(second, 0, 1, w, 1);
        break;
    case bsBottomLine:
        line(first, 0, h - 2, w, h - 2);
        line(second, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        line(first, 0, 0, 0, h);
        line(second, 1, 0, 1, h);
        break;
    case bsRightLine:
        line(first, w - 2, 0, w - 2, h);
        line(second, w - 1, 0, w - 1, h);
        break;
    case bsSpacer:
        break;
    }
}

} // namespace vcl
