#include "WidgetTesting.h"

#include "win32/DeviceContext.h"

#include <gtest/gtest.h>

using namespace vcl;

namespace {

// Paints with its canvas and, through GetDC, on its own window.
class TCanvasControl : public TCustomControl {
public:
    explicit TCanvasControl(TComponent* owner) : TCustomControl(owner) {}
    HWND PaintedWindow = nullptr;
    HWND WholeWindow = nullptr;
    int Paints = 0;

protected:
    void Paint() override
    {
        ++Paints;
        Canvas()->Brush()->SetColor(clWhite);
        Canvas()->FillRect(Rect(0, 0, Width(), Height()));
        Canvas()->Pen()->SetColor(clRed);
        Canvas()->MoveTo(0, 5);
        Canvas()->LineTo(20, 5);
        // A device context of the window inside its paint draws on the paint.
        HDC dc = GetDC(Handle());
        PaintedWindow = WindowFromDC(dc);
        RECT box{30, 0, 40, 10};
        FillRect(dc, &box, reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_HIGHLIGHT + 1)));
        ReleaseDC(Handle(), dc);
        // So does the whole window's, from the frame's corner (no frame here).
        HDC whole = GetWindowDC(Handle());
        WholeWindow = WindowFromDC(whole);
        RECT corner{50, 0, 55, 5};
        FillRect(whole, &corner, reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_3DDKSHADOW + 1)));
        ReleaseDC(Handle(), whole);
    }
};

// Paints a frame with its parent's canvas area.
class TFrameBlock : public TGraphicControl {
public:
    explicit TFrameBlock(TComponent* owner) : TGraphicControl(owner) {}

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clLime);
        Canvas()->FillRect(Rect(0, 0, Width(), Height()));
        Canvas()->Pen()->SetColor(clBlack);
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->Rectangle(0, 0, Width(), Height());
    }
};

QRgb Rgb(TColor color)
{
    return ColorToQColor(color).rgb();
}

TEST(ControlCanvasTest, PaintDrawsThroughTheCanvasAndWindowContexts)
{
    kwtest::TestForm form(200, 120);
    auto* control = Create<TCanvasControl>(form.Get());
    control->SetParent(form.Get());
    control->SetBounds(10, 10, 100, 60);
    auto* block = Create<TFrameBlock>(form.Get());
    block->SetParent(form.Get());
    block->SetBounds(120, 10, 30, 20);
    form->Invalidate();
    kwtest::PumpUntil([&] { return control->Paints > 0; });
    const QImage shot = kwtest::SavePicture(control->Peer(), "control-canvas.png");
    EXPECT_EQ(control->PaintedWindow, control->Handle());
    EXPECT_EQ(control->WholeWindow, control->Handle());
    struct Case {
        int x;
        int y;
        QRgb expected;
    };
    const Case cases[] = {{0, 5, Rgb(clRed)},     {19, 5, Rgb(clRed)},        {20, 5, Rgb(clWhite)},
                          {5, 6, Rgb(clWhite)},   {30, 0, Rgb(clHighlight)},  {39, 9, Rgb(clHighlight)},
                          {40, 10, Rgb(clWhite)}, {50, 0, Rgb(cl3DDkShadow)}, {54, 4, Rgb(cl3DDkShadow)},
                          {55, 5, Rgb(clWhite)}};
    for (const Case& c : cases)
        EXPECT_EQ(shot.pixel(c.x, c.y) | 0xFF000000, c.expected) << c.x << "," << c.y;

    const QImage whole = kwtest::SavePicture(form->Peer(), "control-canvas-graphic.png");
    const TPoint origin = block->Parent()->ClientOrigin();
    const QPoint client = form->Peer()->mapFromGlobal(QPoint(origin.x, origin.y));
    EXPECT_EQ(whole.pixel(client.x() + 120, client.y() + 10) | 0xFF000000, Rgb(clBlack));
    EXPECT_EQ(whole.pixel(client.x() + 121, client.y() + 11) | 0xFF000000, Rgb(clLime));
    EXPECT_EQ(whole.pixel(client.x() + 149, client.y() + 29) | 0xFF000000, Rgb(clBlack));
    EXPECT_EQ(win32::LiveDeviceContextCount(), std::size_t{0}) << "paint contexts are let go";
}

TEST(ControlCanvasTest, WholeWindowContextsStartAtTheFrame)
{
    kwtest::TestForm form(200, 120);
    auto* control = Create<TCanvasControl>(form.Get());
    control->SetParent(form.Get());
    control->SetBorderWidth(4);
    control->SetBounds(10, 10, 100, 60);
    kwtest::PumpUntil([&] { return control->Paints > 0; });
    const QImage shot = kwtest::SavePicture(control->Peer(), "control-canvas-border.png");
    struct Case {
        int x;
        int y;
        QRgb expected;
    };
    // Widget coordinates: the client area starts 4 pixels in.
    const Case cases[] = {{34, 4, Rgb(clHighlight)},  {43, 13, Rgb(clHighlight)}, {4, 9, Rgb(clRed)},
                          {50, 0, Rgb(cl3DDkShadow)}, {54, 4, Rgb(cl3DDkShadow)}, {55, 5, Rgb(clWhite)}};
    for (const Case& c : cases)
        EXPECT_EQ(shot.pixel(c.x, c.y) | 0xFF000000, c.expected) << c.x << "," << c.y;
}

TEST(ControlCanvasTest, DrawingOutsidePaintGoesToAnOverlayThatGoesWhenUndone)
{
    kwtest::TestForm form(200, 120);
    auto* control = Create<TCanvasControl>(form.Get());
    control->SetParent(form.Get());
    control->SetBounds(10, 10, 100, 60);
    kwtest::PumpUntil([&] { return control->Paints > 0; });
    const QImage before = control->Peer()->grab().toImage();

    // The dragged line: a halftone pattern inverted over a band of the window.
    const auto invert = [&] {
        HDC dc = GetDCEx(control->Handle(), nullptr, DCX_PARENTCLIP | DCX_LOCKWINDOWUPDATE);
        ASSERT_NE(dc, nullptr);
        EXPECT_EQ(WindowFromDC(dc), control->Handle());
        const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
        HBITMAP bits = CreateBitmap(8, 8, 1, 1, rows);
        HBRUSH halftone = CreatePatternBrush(bits);
        DeleteObject(bits);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, OPAQUE);
        SetROP2(dc, R2_COPYPEN);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        HGDIOBJ old = SelectObject(dc, halftone);
        PatBlt(dc, 40, 0, 3, 60, PATINVERT);
        SelectObject(dc, old);
        DeleteObject(halftone);
        EXPECT_EQ(ReleaseDC(control->Handle(), dc), 1);
        kwtest::Pump();
    };
    invert();
    const auto overlays = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return control->Peer()->findChildren<QWidget*>(QStringLiteral("corvane-drawing-overlay")).size();
    };
    EXPECT_EQ(overlays(), 1);
    const QImage drawn = kwtest::SavePicture(control->Peer(), "control-overlay-line.png");
    EXPECT_NE(drawn, before);
    // One of each two pixels inverted: white becomes black.
    EXPECT_NE(drawn.pixel(40, 0) | 0xFF000000, drawn.pixel(41, 0) | 0xFF000000);
    EXPECT_EQ(drawn.pixel(39, 0), before.pixel(39, 0));

    invert();
    kwtest::PumpUntil([&] { return overlays() == 0; }, 2000);
    EXPECT_EQ(overlays(), 0) << "drawn twice, the line is gone and so is the overlay";
    EXPECT_EQ(control->Peer()->grab().toImage(), before);
}

// Keeps the device context its paint got, without letting it go.
class TKeepingControl : public TCustomControl {
public:
    explicit TKeepingControl(TComponent* owner) : TCustomControl(owner) {}
    HDC Kept = nullptr;

protected:
    void Paint() override
    {
        if (!Kept)
            Kept = GetDC(Handle());
    }
};

TEST(ControlCanvasTest, ContextsKeptPastTheirPaintOrWindowAreSafe)
{
    kwtest::TestForm form(200, 120);
    auto* keeper = Create<TKeepingControl>(form.Get());
    keeper->SetParent(form.Get());
    keeper->SetBounds(10, 10, 50, 40);
    kwtest::PumpUntil([&] { return keeper->Kept != nullptr; });
    ASSERT_NE(keeper->Kept, nullptr);
    // The paint is over: its context measures but no longer draws.
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32A(keeper->Kept, "x", 1, &size));
    EXPECT_FALSE(Rectangle(keeper->Kept, 0, 0, 5, 5));
    EXPECT_EQ(ReleaseDC(keeper->Handle(), keeper->Kept), 1);

    // A context on the overlay outlives its window.
    auto* control = Create<TCanvasControl>(form.Get());
    control->SetParent(form.Get());
    control->SetBounds(70, 10, 50, 40);
    kwtest::PumpUntil([&] { return control->Paints > 0; });
    const HWND window = control->Handle();
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    control->Free();
    kwtest::Pump();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(PatBlt(dc, 0, 0, 10, 10, DSTINVERT)) << "draws on the picture it kept";
    EXPECT_EQ(ReleaseDC(window, dc), 1);
}

TEST(ControlCanvasTest, WindowContextsNeedAWindow)
{
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234))), nullptr);
    auto* lone = Create<TCanvasControl>(nullptr);
    // No parent, so no window to draw on.
    EXPECT_THROW(lone->Canvas()->TextWidth("x"), EInvalidOperation);
    auto* block = Create<TFrameBlock>(nullptr);
    EXPECT_THROW(block->Canvas()->TextWidth("x"), EInvalidOperation);
    block->Free();
    lone->Free();
}

} // namespace
