#include "vcl/widgets/Graphics.h"

#include "TestSupport.h"
#include "vcl/core/Resources.h"
#include "win32/DeviceContext.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <fstream>

using namespace vcl;

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;

// A canvas on a picture, freed with the scope.
class ImageCanvas {
public:
    ImageCanvas(int width, int height, const QColor& fill = Qt::white)
        : Image_(width, height, QImage::Format_RGB32), Canvas_(Create<TCanvas>())
    {
        Image_.fill(fill);
        Dc_ = win32::CreateImageDC(Image_);
        Canvas_->SetHandle(Dc_);
    }
    ~ImageCanvas()
    {
        Canvas_->SetHandle(nullptr);
        DeleteDC(Dc_);
        Canvas_->Free();
    }
    ImageCanvas(const ImageCanvas&) = delete;
    ImageCanvas& operator=(const ImageCanvas&) = delete;

    TCanvas* operator->() const { return Canvas_; }
    TCanvas* Get() const { return Canvas_; }
    COLORREF At(int x, int y) const { return GetPixel(Dc_, x, y); }
    QImage Image() const { return Image_.copy(); }
    void Save(const std::string& name) const
    {
        Image_.save(QString::fromStdString(kwtest::OutputPath(name + ".png")));
    }

private:
    QImage Image_;
    HDC Dc_;
    TCanvas* Canvas_;
};

template <class T>
using Owned = TOwnedPtr<T>;

TEST(GraphicsTest, BackgroundModeFollowsTheBrushStyle)
{
    struct Case {
        TBrushStyle style;
        int mode;
        bool cellFilled;
    };
    const Case cases[] = {
        {bsSolid, OPAQUE, true}, {bsClear, TRANSPARENT, false}, {bsCross, TRANSPARENT, false}};
    for (const Case& c : cases) {
        ImageCanvas canvas(60, 20);
        canvas->Brush()->SetColor(clYellow);
        canvas->Brush()->SetStyle(c.style);
        canvas->TextOut(2, 2, "Ab");
        canvas.Save("canvas-bkmode-" + std::to_string(c.style));
        EXPECT_EQ(GetBkMode(canvas->Handle()), c.mode) << c.style;
        // The cell's top-left pixel lies above every glyph.
        EXPECT_EQ(canvas.At(2, 2), c.cellFilled ? ColorToRGB(clYellow) : kWhite) << c.style;
        EXPECT_EQ(canvas->PenPos().x, 2 + canvas->TextWidth("Ab"));
    }
}

// Code that draws on Canvas->Handle() directly (DrawText on a label's
// canvas) draws in the canvas's objects, as the canvas itself would.
TEST(GraphicsTest, TheHandleCarriesTheCanvasObjects)
{
    struct Case {
        TBrushStyle brush;
        TFontStyles style;
        int mode;
    };
    const Case cases[] = {{bsClear, TFontStyles{}, TRANSPARENT}, {bsSolid, TFontStyles{fsBold}, OPAQUE}};
    for (const Case& c : cases) {
        ImageCanvas canvas(40, 20);
        canvas->Font()->SetStyle(c.style);
        canvas->Font()->SetColor(clRed);
        canvas->Brush()->SetStyle(c.brush);
        const HDC dc = canvas->Handle();
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), canvas->Font()->Handle()) << c.brush;
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), canvas->Pen()->Handle()) << c.brush;
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), canvas->Brush()->Handle()) << c.brush;
        EXPECT_EQ(GetTextColor(dc), ColorToRGB(clRed)) << c.brush;
        EXPECT_EQ(GetBkMode(dc), c.mode) << c.brush;
    }
}

TEST(GraphicsTest, FontsShareHandlesByDescription)
{
    Owned<TFont> a = CreateOwned<TFont>();
    Owned<TFont> b = CreateOwned<TFont>();
    a->SetHeight(-13);
    b->SetHeight(-13);
    EXPECT_EQ(a->Handle(), b->Handle());
    const HFONT shared = a->Handle();
    b->SetStyle(TFontStyles{fsBold});
    EXPECT_NE(b->Handle(), shared);
    EXPECT_EQ(GetObjectType(shared), OBJ_FONT) << "a still uses it";
    a->SetHeight(-12);
    EXPECT_EQ(GetObjectType(shared), 0u) << "freed with its last user";
    EXPECT_EQ(a->ToQFont().family().toStdString(), "DejaVu Sans");
    EXPECT_EQ(a->ToQFont().pixelSize(), 12);

    // The canvas measures in its font; the change reaches a canvas in use.
    ImageCanvas canvas(10, 10);
    canvas->Font()->SetHeight(-13);
    const int height = canvas->TextHeight("0");
    TEXTMETRICA tm{};
    GetTextMetricsA(canvas->Handle(), &tm);
    EXPECT_EQ(height, tm.tmHeight);
    const int before = canvas->TextWidth("Wide text");
    canvas->Font()->SetHeight(-20);
    EXPECT_GT(canvas->TextWidth("Wide text"), before);
    EXPECT_EQ(GetCurrentObject(canvas->Handle(), OBJ_FONT), canvas->Font()->Handle());
}

TEST(GraphicsTest, PenModesThatInvertComeBackWhenDrawnTwice)
{
    struct Case {
        TPenStyle style;
        TPenMode mode;
        TColor color;
    };
    const Case cases[] = {{psDot, pmNot, clBlack}, {psSolid, pmXor, clWhite}, {psSolid, pmNotXor, clBlack}};
    for (const Case& c : cases) {
        ImageCanvas canvas(40, 30, QColor(200, 80, 30));
        const QImage before = canvas.Image();
        canvas->Pen()->SetStyle(c.style);
        canvas->Pen()->SetMode(c.mode);
        canvas->Pen()->SetColor(c.color);
        canvas->Brush()->SetStyle(bsClear);
        canvas->Rectangle(2, 2, 38, 28);
        EXPECT_NE(canvas.Image(), before) << c.mode;
        canvas.Save("canvas-penmode-" + std::to_string(c.mode));
        canvas->Rectangle(2, 2, 38, 28);
        EXPECT_EQ(canvas.Image(), before) << c.mode;
    }
}

// The sort glyph pointing down, drawn with two pens as list headers draw it.
TEST(GraphicsTest, PolylinesLeaveOutTheirLastPoint)
{
    ImageCanvas canvas(12, 10, QColor(212, 208, 200));
    const int h = 7;
    const int w = h + 1;
    const int l = 1;
    const int t = 1;
    const int m = l + (w - 1) / 2;
    canvas->Pen()->SetColor(clBtnShadow);
    canvas->Polyline({{m, t + h - 1}, {l, t + 1}, {l, t}, {l + w - 1, t}});
    canvas->Pen()->SetColor(clBtnHighlight);
    canvas->Polyline({{m + 1, t + h - 1}, {l + w, t - 1}});
    canvas.Save("canvas-down-arrow");
    struct Case {
        int x;
        int y;
        TColor color;
    };
    const Case cases[] = {
        {m, t + h - 1, clBtnShadow},
        {l, t + 1, clBtnShadow},
        {l, t, clBtnShadow},
        {l + w - 2, t, clBtnShadow},
        {m + 1, t + h - 1, clBtnHighlight},
        {l + w, t - 1, clBtnFace}, // the last point of the right slope is left out
    };
    for (const Case& c : cases)
        EXPECT_EQ(canvas.At(c.x, c.y), ColorToRGB(c.color)) << c.x << "," << c.y;
}

TEST(GraphicsTest, BitmapsDrawCopyAndKeepTheirPixels)
{
    Owned<TBitmap> bitmap = CreateOwned<TBitmap>();
    bitmap->SetSize(8, 6);
    bitmap->Canvas()->Brush()->SetColor(clRed);
    bitmap->Canvas()->FillRect(Rect(0, 0, 4, 6));
    bitmap->Canvas()->Brush()->SetColor(clLime);
    bitmap->Canvas()->FillRect(Rect(4, 0, 8, 6));
    bitmap->SetWidth(10); // keeps what it showed
    EXPECT_EQ(bitmap->Width(), 10);
    EXPECT_EQ(bitmap->Canvas()->Pixel(1, 1), clRed);

    struct Case {
        const char* name;
        bool transparent;
        TRect target;
        TColor atLeft;
        TColor atRight;
    };
    const Case cases[] = {
        {"plain", false, Rect(2, 2, 12, 8), clRed, clLime},
        {"transparent", true, Rect(2, 2, 12, 8), clWhite, clLime},
        {"stretched", false, Rect(2, 2, 22, 14), clRed, clLime},
    };
    for (const Case& c : cases) {
        ImageCanvas canvas(24, 16);
        bitmap->SetTransparent(c.transparent);
        bitmap->SetTransparentColor(clRed);
        canvas->StretchDraw(c.target, bitmap.get());
        canvas.Save(std::string("canvas-bitmap-") + c.name);
        EXPECT_EQ(canvas.At(c.target.left, c.target.top), ColorToRGB(c.atLeft)) << c.name;
        const int rightX = c.target.left + (c.target.right - c.target.left) * 6 / 10;
        EXPECT_EQ(canvas.At(rightX, c.target.top), ColorToRGB(c.atRight)) << c.name;
        EXPECT_EQ(canvas.At(c.target.right, c.target.bottom), kWhite) << c.name;
    }

    // BrushCopy: the pixels of one colour show the brush.
    bitmap->SetTransparent(false);
    ImageCanvas canvas(12, 8);
    canvas->Brush()->SetColor(clBlue);
    canvas->BrushCopy(Rect(0, 0, 8, 6), bitmap.get(), Rect(0, 0, 8, 6), clLime);
    EXPECT_EQ(canvas.At(1, 1), ColorToRGB(clRed));
    EXPECT_EQ(canvas.At(5, 1), ColorToRGB(clBlue));

    Owned<TBitmap> copy = CreateOwned<TBitmap>();
    copy->Assign(bitmap.get());
    EXPECT_NE(copy->Handle(), bitmap->Handle());
    EXPECT_EQ(copy->Canvas()->Pixel(5, 1), clLime);
}

QByteArray Png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST(GraphicsTest, PicturesComeFromFilesAndResources)
{
    QImage source(5, 4, QImage::Format_ARGB32);
    source.fill(Qt::blue);
    const QByteArray png = Png(source);
    kwtest::TempDir dir;
    {
        std::ofstream out(dir / "glyph.png", std::ios::binary);
        out.write(png.constData(), png.size());
    }
    Owned<TPicture> picture = CreateOwned<TPicture>();
    int changes = 0;
    struct Counter : TObject {
        int* Count;
        void Changed(TObject*) { ++*Count; }
    } counter;
    counter.Count = &changes;
    picture->OnChange = TNotifyEvent(&counter, &Counter::Changed);
    picture->LoadFromFile(dir / "glyph.png");
    ASSERT_NE(dynamic_cast<TBitmap*>(picture->Graphic()), nullptr);
    EXPECT_EQ(picture->Width(), 5);
    EXPECT_EQ(picture->Height(), 4);
    EXPECT_GE(changes, 1);
    EXPECT_THROW(picture->LoadFromFile(dir / "missing.png"), EFOpenError);
    {
        std::ofstream out(dir / "junk.png", std::ios::binary);
        out << "not a picture";
    }
    EXPECT_THROW(picture->LoadFromFile(dir / "junk.png"), EInvalidGraphic);
    EXPECT_EQ(picture->Width(), 5) << "a failed load keeps the picture";

    RegisterResourceCopy(
        HInstance(), RT_BITMAP, "TESTGLYPH",
        {reinterpret_cast<const unsigned char*>(png.constData()), static_cast<std::size_t>(png.size())});
    Owned<TBitmap> glyph = CreateOwned<TBitmap>();
    glyph->LoadFromResourceName(HInstance(), "TestGlyph");
    EXPECT_EQ(glyph->Width(), 5);
    EXPECT_EQ(glyph->Canvas()->Pixel(0, 0), clBlue);
    EXPECT_THROW(glyph->LoadFromResourceName(HInstance(), "NOSUCHGLYPH"), EResNotFound);
    UnregisterResource(HInstance(), RT_BITMAP, "TESTGLYPH");

    Owned<TIcon> icon = CreateOwned<TIcon>();
    ASSERT_TRUE(icon->LoadFromImage(source));
    EXPECT_EQ(icon->Width(), 5);
    EXPECT_THROW(icon->SetWidth(3), EInvalidGraphicOperation);
    picture->SetGraphic(icon.get());
    ASSERT_NE(dynamic_cast<TIcon*>(picture->Graphic()), nullptr);
    EXPECT_NE(static_cast<TIcon*>(picture->Graphic())->Handle(), icon->Handle()) << "a copy";
    ImageCanvas canvas(8, 8);
    canvas->Draw(1, 1, picture->Graphic());
    EXPECT_EQ(canvas.At(1, 1), ColorToRGB(clBlue));
    EXPECT_EQ(canvas.At(6, 1), kWhite);
}

TEST(GraphicsTest, PensAndBrushesShareHandlesByDescription)
{
    Owned<TPen> a = CreateOwned<TPen>();
    Owned<TPen> b = CreateOwned<TPen>();
    a->SetColor(clRed);
    b->SetColor(clRed);
    EXPECT_EQ(a->Handle(), b->Handle());
    const HPEN before = b->Handle();
    b->SetMode(pmXor);
    EXPECT_EQ(b->Handle(), before) << "the mode is the context's";
    b->SetStyle(psDot);
    EXPECT_NE(b->Handle(), before);
    LOGPEN lp{};
    GetObjectA(b->Handle(), sizeof lp, &lp);
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DOT));
    EXPECT_EQ(lp.lopnColor, ColorToRGB(clRed));

    struct Case {
        TBrushStyle style;
        UINT gdiStyle;
    };
    const Case cases[] = {{bsSolid, BS_SOLID}, {bsClear, BS_NULL}, {bsDiagCross, BS_HATCHED}};
    for (const Case& c : cases) {
        Owned<TBrush> brush = CreateOwned<TBrush>();
        brush->SetColor(clBtnFace);
        brush->SetStyle(c.style);
        LOGBRUSH lb{};
        GetObjectA(brush->Handle(), sizeof lb, &lb);
        EXPECT_EQ(lb.lbStyle, c.gdiStyle) << c.style;
        if (c.style != bsClear) {
            EXPECT_EQ(lb.lbColor, ColorToRGB(clBtnFace)) << "system colours become plain ones";
        }
    }
    Owned<TBrush> cleared = CreateOwned<TBrush>();
    cleared->SetStyle(bsClear);
    cleared->SetColor(clWhite);
    EXPECT_EQ(cleared->Style(), bsSolid) << "a colour makes a cleared brush solid, even its own";
}

TEST(GraphicsTest, TextRectAndCopyRect)
{
    ImageCanvas canvas(60, 30);
    canvas->Brush()->SetColor(clAqua);
    canvas->TextRect(Rect(5, 5, 25, 20), 8, 6, "Clipped text that runs on");
    canvas.Save("canvas-textrect");
    EXPECT_EQ(canvas.At(5, 5), ColorToRGB(clAqua)) << "the rectangle is filled";
    EXPECT_EQ(canvas.At(24, 19), ColorToRGB(clAqua));
    EXPECT_EQ(canvas.At(25, 10), kWhite) << "and nothing drawn past it";

    ImageCanvas copy(60, 30);
    copy->CopyRect(Rect(30, 0, 50, 15), canvas.Get(), Rect(5, 5, 25, 20));
    EXPECT_EQ(copy.At(30, 0), ColorToRGB(clAqua));
    EXPECT_EQ(copy.At(29, 0), kWhite);
    copy->SetCopyMode(NOTSRCCOPY);
    copy->CopyRect(Rect(0, 0, 5, 5), canvas.Get(), Rect(0, 0, 5, 5));
    EXPECT_EQ(copy.At(0, 0), 0u) << "white inverted";
    EXPECT_THROW(CreateOwned<TCanvas>()->FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
}

TEST(GraphicsTest, PicturesChangeTheirKindOnRequest)
{
    Owned<TPicture> picture = CreateOwned<TPicture>();
    EXPECT_EQ(picture->Graphic(), nullptr);
    TBitmap* bitmap = picture->Bitmap();
    bitmap->SetSize(3, 2);
    EXPECT_EQ(picture->Width(), 3);
    EXPECT_EQ(picture->Bitmap(), bitmap) << "already a bitmap";
    TIcon* icon = picture->Icon();
    EXPECT_EQ(picture->Graphic(), icon);
    EXPECT_EQ(picture->Width(), 0) << "an empty icon replaced the bitmap";
    picture->SetGraphic(nullptr);
    EXPECT_EQ(picture->Graphic(), nullptr);

    Owned<TBitmap> mono = CreateOwned<TBitmap>();
    mono->SetSize(4, 4);
    mono->Canvas()->Brush()->SetColor(clWhite);
    mono->Canvas()->FillRect(Rect(0, 0, 2, 4));
    mono->SetMonochrome(true);
    EXPECT_TRUE(mono->Monochrome());
    EXPECT_EQ(mono->Canvas()->Pixel(0, 0), clWhite);
    EXPECT_EQ(mono->Canvas()->Pixel(3, 0), clBlack);
    Owned<TBitmap> same = CreateOwned<TBitmap>();
    same->Assign(mono.get());
    EXPECT_TRUE(same->Monochrome());
    HBITMAP taken = same->ReleaseHandle();
    EXPECT_TRUE(same->Empty());
    EXPECT_TRUE(DeleteObject(taken));
}

// A lowered frame as four polylines of three points: each colour owns the
// corners its polyline starts or turns at, never the one it ends at.
TEST(GraphicsTest, FramePolylinesOwnTheirCorners)
{
    ImageCanvas canvas(14, 12, Qt::black);
    const int l = 1;
    const int t = 1;
    const int r = 12;
    const int b = 10;
    const auto polyline = [&](TColor color, std::vector<TPoint> points) {
        canvas->Pen()->SetColor(color);
        canvas->Polyline(points);
    };
    polyline(clBtnShadow, {{l, b - 1}, {l, t}, {r, t}});
    polyline(cl3DDkShadow, {{l + 1, b - 2}, {l + 1, t + 1}, {r - 1, t + 1}});
    polyline(clBtnFace, {{l + 1, b - 1}, {r - 1, b - 1}, {r - 1, t}});
    polyline(clBtnHighlight, {{l, b}, {r, b}, {r, t - 1}});
    canvas.Save("canvas-lowered-frame");
    struct Case {
        int x;
        int y;
        TColor color;
    };
    const Case cases[] = {
        {l, t, clBtnShadow},          {r - 1, t, clBtnShadow},   {l, b - 1, clBtnShadow},
        {r, t, clBtnHighlight},       {l, b, clBtnHighlight},    {r, b, clBtnHighlight},
        {l + 1, t + 1, cl3DDkShadow}, {r - 1, t + 1, clBtnFace}, {l + 1, b - 1, clBtnFace},
        {r - 1, b - 1, clBtnFace},    {l + 2, t + 2, clBlack},   {r, t - 1, clBlack},
    };
    for (const Case& c : cases)
        EXPECT_EQ(canvas.At(c.x, c.y), ColorToRGB(c.color)) << c.x << "," << c.y;
}

} // namespace
