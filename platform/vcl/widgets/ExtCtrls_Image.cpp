// TImage: a picture drawn on its parent.

#include "vcl/widgets/ControlPublish_p.h"
#include "vcl/widgets/ExtCtrls.h"

namespace vcl {

const TClassRtti& TImage::PublishedTable()
{
    static const TClassRtti table =
        PublishControl(Publish<TImage>(), clBtnFace, true)
            .Property<&TImage::AutoSize, &TImage::SetAutoSize>("AutoSize")
            .Default(false)
            .Property<&TImage::Center, &TImage::SetCenter>("Center")
            .Default(false)
            .Property<&TImage::Picture, &TImage::SetPicture>("Picture")
            .Property<&TImage::Stretch, &TImage::SetStretch>("Stretch")
            .Default(false)
            .Property<&TImage::Transparent, &TImage::SetTransparent>("Transparent")
            .Default(false);
    return table;
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), Picture_(Create<TPicture>())
{
    ControlStyle_ += csReplicatable;
    Picture_->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage()
{
    Picture_->OnChange = TNotifyEvent();
    Picture_->Free();
}

void TImage::SetAutoSize(bool value)
{
    if (value != AutoSize_) {
        AutoSize_ = value;
        PictureChanged(this);
    }
}

void TImage::SetCenter(bool value)
{
    if (value != Center_) {
        Center_ = value;
        Invalidate();
    }
}

void TImage::SetStretch(bool value)
{
    if (value != Stretch_) {
        Stretch_ = value;
        Invalidate();
    }
}

void TImage::SetTransparent(bool value)
{
    if (value != Transparent_) {
        Transparent_ = value;
        PictureChanged(this);
    }
}

TRect TImage::DestRect() const
{
    if (Stretch_)
        return TRect{0, 0, Width(), Height()};
    const int w = Picture_->Width();
    const int h = Picture_->Height();
    if (Center_) {
        const int x = (Width() - w) / 2;
        const int y = (Height() - h) / 2;
        return TRect{x, y, x + w, y + h};
    }
    return TRect{0, 0, w, h};
}

void TImage::PictureChanged(TObject* /*sender*/)
{
    // A new graphic takes the image's transparency.
    if (TGraphic* graphic = Picture_->Graphic(); graphic && graphic->Transparent() != Transparent_)
        graphic->SetTransparent(Transparent_);
    if (AutoSize_ && Picture_->Width() > 0 && Picture_->Height() > 0)
        SetBounds(Left(), Top(), Picture_->Width(), Picture_->Height());
    Invalidate();
}

void TImage::Paint()
{
    TCanvas* canvas = Canvas();
    // The outline of an empty image while it is being designed.
    if (ComponentState().Contains(csDesigning)) {
        canvas->Pen()->SetStyle(psDash);
        canvas->Brush()->SetStyle(bsClear);
        canvas->Rectangle(0, 0, Width(), Height());
    }
    if (TGraphic* graphic = Picture_->Graphic(); graphic && !graphic->Empty())
        canvas->StretchDraw(DestRect(), graphic);
}

} // namespace vcl
