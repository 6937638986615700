// TPaintBox: a graphic control that the program paints.

#include "vcl/widgets/ControlPublish_p.h"
#include "vcl/widgets/ExtCtrls.h"

namespace vcl {

const TClassRtti& TPaintBox::PublishedTable()
{
    static const TClassRtti table = PublishControl(Publish<TPaintBox>(), clBtnFace, true)
                                        .Property<&TPaintBox::OnPaint, &TPaintBox::SetOnPaint>("OnPaint");
    return table;
}

TPaintBox::TPaintBox(TComponent* owner) : TGraphicControl(owner)
{
    ControlStyle_ += csReplicatable;
    SetBounds(0, 0, 105, 105);
}

void TPaintBox::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetColor(Color());
    // A box without a handler shows its outline while it is being designed.
    if (ComponentState().Contains(csDesigning)) {
        canvas->Pen()->SetStyle(psDash);
        canvas->Brush()->SetStyle(bsClear);
        canvas->Rectangle(0, 0, Width(), Height());
    }
    if (OnPaint_)
        OnPaint_(this);
}

} // namespace vcl
