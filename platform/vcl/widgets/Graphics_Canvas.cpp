// The canvas: a device context with the framework's font, pen and brush
// selected when a drawing call needs them.

#include "vcl/widgets/Graphics.h"

#include "win32/DeviceContext.h"

#include <utility>

namespace vcl {

TCanvas::TCanvas() : Font_(Create<TFont>()), Pen_(Create<TPen>()), Brush_(Create<TBrush>())
{
    Font_->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
    Pen_->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
    Brush_->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas()
{
    SetHandle(nullptr);
    vcl::Free(Font_);
    vcl::Free(Pen_);
    vcl::Free(Brush_);
}

HDC TCanvas::Handle()
{
    RequiredState(csAllValid);
    return Handle_;
}

void TCanvas::SetHandle(HDC value)
{
    if (value == Handle_)
        return;
    if (Handle_) {
        DeselectHandles();
        PenPos_ = PenPos();
        Handle_ = nullptr;
        State_ &= ~csHandleValid;
    }
    if (value) {
        State_ |= csHandleValid;
        Handle_ = value;
        MoveToEx(Handle_, PenPos_.x, PenPos_.y, nullptr);
    }
}

void TCanvas::DeselectHandles()
{
    if (!Handle_)
        return;
    const unsigned objects = csFontValid | csPenValid | csBrushValid;
    if (State_ & objects) {
        SelectObject(Handle_, GetStockObject(BLACK_PEN));
        SelectObject(Handle_, GetStockObject(WHITE_BRUSH));
        SelectObject(Handle_, GetStockObject(SYSTEM_FONT));
        State_ &= ~objects;
    }
}

void TCanvas::RequiredState(unsigned valid)
{
    const unsigned needed = valid & ~State_;
    if (!needed)
        return;
    if (needed & csHandleValid) {
        CreateHandle();
        if (!Handle_)
            throw EInvalidOperation("Canvas does not allow drawing");
    }
    if (needed & csFontValid) {
        SelectObject(Handle_, Font_->Handle());
        SetTextColor(Handle_, ColorToRGB(Font_->Color()));
        State_ |= csFontValid;
    }
    if (needed & csPenValid) {
        SelectObject(Handle_, Pen_->Handle());
        SetROP2(Handle_, PenModeToRop2(Pen_->Mode()));
        State_ |= csPenValid;
    }
    if (needed & csBrushValid)
        SelectBrush();
}

// The background mode follows the brush: opaque behind solid brushes,
// transparent otherwise.
void TCanvas::SelectBrush()
{
    SelectObject(Handle_, Brush_->Handle());
    const COLORREF colour = ColorToRGB(Brush_->Color());
    if (Brush_->Style() == bsSolid) {
        SetBkColor(Handle_, colour);
        SetBkMode(Handle_, OPAQUE);
    } else {
        SetBkColor(Handle_, ~colour & 0xFFFFFF);
        SetBkMode(Handle_, TRANSPARENT);
    }
    State_ |= csBrushValid;
}

void TCanvas::FontChanged(TObject*)
{
    if (State_ & csFontValid) {
        State_ &= ~csFontValid;
        SelectObject(Handle_, GetStockObject(SYSTEM_FONT));
    }
}

void TCanvas::PenChanged(TObject*)
{
    if (State_ & csPenValid) {
        State_ &= ~csPenValid;
        SelectObject(Handle_, GetStockObject(BLACK_PEN));
    }
}

void TCanvas::BrushChanged(TObject*)
{
    if (State_ & csBrushValid) {
        State_ &= ~csBrushValid;
        SelectObject(Handle_, GetStockObject(WHITE_BRUSH));
    }
}

void TCanvas::Changing()
{
    if (OnChanging)
        OnChanging(this);
}

void TCanvas::Changed()
{
    if (OnChange)
        OnChange(this);
}

TPoint TCanvas::PenPos()
{
    RequiredState(csHandleValid);
    POINT previous{};
    MoveToEx(Handle_, 0, 0, &previous);
    MoveToEx(Handle_, previous.x, previous.y, nullptr);
    return previous;
}

void TCanvas::SetPenPos(const TPoint& value)
{
    MoveTo(value.x, value.y);
}

TRect TCanvas::ClipRect()
{
    RequiredState(csHandleValid);
    RECT box{};
    GetClipBox(Handle_, &box);
    return box;
}

TColor TCanvas::Pixel(int x, int y)
{
    RequiredState(csHandleValid);
    return static_cast<TColor>(GetPixel(Handle_, x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    Changing();
    RequiredState(csHandleValid | csPenValid);
    ::SetPixel(Handle_, x, y, ColorToRGB(color));
    Changed();
}

void TCanvas::FillRect(const TRect& rect)
{
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::FillRect(Handle_, &rect, Brush_->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& rect)
{
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::FrameRect(Handle_, &rect, Brush_->Handle());
    Changed();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Rectangle(Handle_, left, top, right, bottom);
    Changed();
}

void TCanvas::MoveTo(int x, int y)
{
    RequiredState(csHandleValid);
    MoveToEx(Handle_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::LineTo(Handle_, x, y);
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Polyline(Handle_, points.data(), static_cast<int>(points.size()));
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Polygon(Handle_, points.data(), static_cast<int>(points.size()));
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect)
{
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::DrawFocusRect(Handle_, &rect);
    Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    ::TextOutA(Handle_, x, y, text.data(), static_cast<int>(text.size()));
    MoveTo(x + TextWidth(text), y);
    Changed();
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const std::string& text)
{
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    UINT options = ETO_CLIPPED;
    if (Brush_->Style() != bsClear)
        options |= ETO_OPAQUE;
    ::ExtTextOutA(Handle_, x, y, options, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

SIZE TCanvas::TextExtent(const std::string& text)
{
    RequiredState(csHandleValid | csFontValid);
    SIZE size{0, 0};
    GetTextExtentPoint32A(Handle_, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    StretchDraw(Rect(x, y, x + graphic->Width(), y + graphic->Height()), graphic);
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic)
{
    if (!graphic)
        return;
    Changing();
    RequiredState(csHandleValid);
    graphic->Draw(this, rect);
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source)
{
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    HDC from = canvas->Handle();
    StretchBlt(Handle_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, from,
               source.left, source.top, source.right - source.left, source.bottom - source.top, CopyMode_);
    Changed();
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color)
{
    if (!bitmap)
        return;
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    const QImage pixels = bitmap->ToImage();
    const QRect from(QPoint(source.left, source.top), QPoint(source.right - 1, source.bottom - 1));
    // The brush shows through where the bitmap has the colour.
    ::FillRect(Handle_, &dest, Brush_->Handle());
    QImage cut = pixels.copy(from).convertToFormat(QImage::Format_ARGB32);
    const QRgb clear =
        QColor(GetRValue(ColorToRGB(color)), GetGValue(ColorToRGB(color)), GetBValue(ColorToRGB(color)))
            .rgb();
    for (int y = 0; y < cut.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(cut.scanLine(y));
        for (int x = 0; x < cut.width(); ++x)
            if ((line[x] | 0xFF000000) == clear)
                line[x] = 0;
    }
    win32::StretchImage(Handle_, dest, cut, cut.rect());
    Changed();
}

} // namespace vcl
