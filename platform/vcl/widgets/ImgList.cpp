// Image lists of the framework.

#include "vcl/widgets/ImgList.h"

#include "win32/DeviceContext.h"

#include <QPainter>

#include <utility>

namespace vcl {

namespace {

// The drawing flags of each drawing style.
constexpr UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};

COLORREF ListColour(TColor color)
{
    if (color == clNone)
        return CLR_NONE;
    if (color == clDefault)
        return CLR_DEFAULT;
    return ColorToRGB(color);
}

// The picture's shape in one colour.
QImage Shape(const QImage& image, const QColor& colour)
{
    QImage shape(image.size(), QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) >= 128)
                shape.setPixel(x, y, colour.rgba());
    return shape;
}

} // namespace

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList()
{
    FreeHandle();
}

void TCustomImageList::FreeHandle()
{
    if (Handle_ && !ShareImages_)
        ImageList_Destroy(Handle_);
    Handle_ = nullptr;
}

void TCustomImageList::CreateList()
{
    Handle_ = ImageList_Create(Width_, Height_, ILC_COLOR32 | (Masked_ ? ILC_MASK : 0), 4, 4);
    if (!Handle_)
        throw EInvalidOperation("Failed to create image list");
    ImageList_SetBkColor(Handle_, ListColour(BkColor_));
}

HIMAGELIST TCustomImageList::Handle()
{
    if (!Handle_)
        CreateList();
    return Handle_;
}

void TCustomImageList::SetHandle(HIMAGELIST value)
{
    if (value == Handle_)
        return;
    FreeHandle();
    Handle_ = value;
    if (Handle_) {
        int cx = 0;
        int cy = 0;
        if (ImageList_GetIconSize(Handle_, &cx, &cy)) {
            Width_ = cx;
            Height_ = cy;
        }
        const COLORREF background = ImageList_GetBkColor(Handle_);
        BkColor_ = background == CLR_NONE ? clNone : static_cast<TColor>(background);
    }
    Change();
}

void TCustomImageList::SetWidth(int value)
{
    if (value == Width_ || value <= 0)
        return;
    Width_ = value;
    if (Handle_)
        ImageList_SetIconSize(Handle_, Width_, Height_);
    Change();
}

void TCustomImageList::SetHeight(int value)
{
    if (value == Height_ || value <= 0)
        return;
    Height_ = value;
    if (Handle_)
        ImageList_SetIconSize(Handle_, Width_, Height_);
    Change();
}

void TCustomImageList::SetBkColor(TColor value)
{
    BkColor_ = value;
    if (Handle_)
        ImageList_SetBkColor(Handle_, ListColour(value));
    Change();
}

void TCustomImageList::SetMasked(bool value)
{
    if (value == Masked_)
        return;
    Masked_ = value;
    if (Handle_ && !ShareImages_) {
        FreeHandle();
        CreateList();
    }
    Change();
}

void TCustomImageList::Change()
{
    if (OnChange)
        OnChange(this);
}

int TCustomImageList::Count()
{
    return Handle_ ? ImageList_GetImageCount(Handle_) : 0;
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask)
{
    if (!image)
        return -1;
    const int index = ImageList_Add(Handle(), image->Handle(), mask ? mask->Handle() : nullptr);
    Change();
    return index;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor)
{
    if (!image)
        return -1;
    const int index = ImageList_AddMasked(Handle(), image->Handle(), ColorToRGB(maskColor));
    Change();
    return index;
}

int TCustomImageList::AddIcon(TIcon* icon)
{
    if (!icon)
        return -1;
    const int index = ImageList_AddIcon(Handle(), icon->Handle());
    Change();
    return index;
}

void TCustomImageList::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw EInvalidOperation("Invalid image list index");
    ImageList_Remove(Handle_, index);
    Change();
}

void TCustomImageList::Clear()
{
    if (Handle_)
        ImageList_RemoveAll(Handle_);
    Change();
}

bool TCustomImageList::Overlay(int imageIndex, int overlay)
{
    return ImageList_SetOverlayImage(Handle(), imageIndex, overlay + 1) != FALSE;
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled)
{
    Draw(canvas, x, y, index, DrawingStyle_, ImageType_, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type,
                            bool enabled)
{
    UINT flags = kStyles[style];
    if (type == itMask)
        flags |= ILD_MASK;
    DoDraw(index, canvas, x, y, flags, enabled);
}

void TCustomImageList::DrawOverlay(TCanvas* canvas, int x, int y, int index, int overlay, bool enabled)
{
    DoDraw(index, canvas, x, y, kStyles[DrawingStyle_] | INDEXTOOVERLAYMASK(static_cast<UINT>(overlay + 1)),
           enabled);
}

void TCustomImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled)
{
    if (!canvas || !Handle_)
        return;
    HDC dc = canvas->Handle();
    if (enabled) {
        // No blend colour of its own: the highlight.
        const COLORREF blend = BlendColor_ == clNone ? CLR_DEFAULT : ListColour(BlendColor_);
        ImageList_DrawEx(Handle_, index, dc, x, y, 0, 0, ListColour(BkColor_), blend, style);
        return;
    }
    // Disabled: the shape in the highlight colour one pixel right and down,
    // then in the shadow colour.
    const QImage picture = win32::ImageListImage(Handle_, index, ILD_TRANSPARENT);
    if (picture.isNull())
        return;
    if (BkColor_ != clNone && !(style & ILD_TRANSPARENT)) {
        const RECT cell{x, y, x + Width_, y + Height_};
        HBRUSH background = CreateSolidBrush(ColorToRGB(BkColor_));
        FillRect(dc, &cell, background);
        DeleteObject(background);
    }
    win32::DrawImage(dc, x + 1, y + 1, Shape(picture, ColorToQColor(clBtnHighlight)));
    win32::DrawImage(dc, x, y, Shape(picture, ColorToQColor(clBtnShadow)));
}

void TCustomImageList::GetBitmap(int index, TBitmap* image)
{
    if (!image || !Handle_)
        return;
    const QImage picture = win32::ImageListImage(Handle_, index, ILD_NORMAL, CLR_NONE, ListColour(BkColor_));
    if (!picture.isNull())
        image->LoadFromImage(picture);
}

void TCustomImageList::GetIcon(int index, TIcon* image)
{
    if (!image || !Handle_)
        return;
    if (HICON icon = ImageList_GetIcon(Handle_, index, ILD_NORMAL))
        image->SetHandle(icon);
}

} // namespace vcl
