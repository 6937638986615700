// Frame styles pixel by pixel, the group box's non-client frame and the
// frame control's repainting.

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "ControlsTesting.h"
#include "UKwFrame.h"
#include "win32/DeviceContext.h"
#include "win32/Gdi.h"
#include "win32/SysColors.h"
#include "win32/WindowManager.h"

#include <QImage>

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace vcl;
using namespace kw;
using kwtest::Pump;

QRgb Rgb(TColor color)
{
    return ColorToQColor(color).rgb();
}

// The style drawn on an 8 x 7 green picture with the inclusive rectangle
// (1, 1, 6, 5), a clear brush (kwfsGroup: a blue one), as letters.
std::vector<std::string> Draw(TKwFrameStyle style)
{
    QImage image(8, 7, QImage::Format_RGB32);
    image.fill(qRgb(0, 128, 0));
    const HDC dc = win32::CreateImageDC(image);
    TCanvas* canvas = Create<TCanvas>();
    canvas->SetHandle(dc);
    canvas->Brush()->SetColor(clBlue);
    canvas->Brush()->SetStyle(style == kwfsGroup ? bsSolid : bsClear);
    DrawFrame(style, canvas, {1, 1, 6, 5});
    canvas->SetHandle(nullptr);
    canvas->Free();
    DeleteDC(dc);
    const std::map<QRgb, char> letters{{Rgb(clBtnShadow), 'S'},   {Rgb(cl3DDkShadow), 'D'},
                                       {Rgb(clBtnFace), 'F'},     {Rgb(clBtnHighlight), 'H'},
                                       {Rgb(clWindowFrame), 'W'}, {qRgb(0, 0, 255), 'b'},
                                       {qRgb(0, 128, 0), '.'}};
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x) {
            const auto found = letters.find(image.pixel(x, y) | 0xFF000000u);
            row += found == letters.end() ? '?' : found->second;
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(FrameStyles, EachStyleDrawsItsPixels)
{
    const std::string blank = "........";
    struct Case {
        TKwFrameStyle style;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {kwfsNone, {blank, blank, blank, blank, blank, blank, blank}},
        {kwfsLowered, {blank, ".SSSSSH.", ".SDDDFH.", ".SD..FH.", ".SFFFFH.", ".HHHHHH.", blank}},
        {kwfsRaised, {blank, ".HHHHHD.", ".HFFFSD.", ".HF..SD.", ".HSSSSD.", ".DDDDDD.", blank}},
        {kwfsDint, {blank, ".SSSSSH.", ".S....H.", ".S....H.", ".S....H.", ".HHHHHH.", blank}},
        {kwfsBump, {blank, ".HHHHHS.", ".H....S.", ".H....S.", ".H....S.", ".SSSSSS.", blank}},
        {kwfsSingle, {blank, ".WWWWWW.", ".W....W.", ".W....W.", ".W....W.", ".WWWWWW.", blank}},
        {kwfsHorzLine, {blank, ".SSSSSS.", ".HHHHHH.", blank, blank, blank, blank}},
        {kwfsHorzEdge, {blank, ".SSSSSS.", ".HHHHHH.", blank, ".SSSSSS.", ".HHHHHH.", blank}},
        {kwfsVertLine, {blank, ".SH.....", ".SH.....", ".SH.....", ".SH.....", ".SH.....", blank}},
        {kwfsVertEdge, {blank, ".SH..SH.", ".SH..SH.", ".SH..SH.", ".SH..SH.", ".SH..SH.", blank}},
        {kwfsGroup, {blank, ".SSSSSb.", ".SHHHSH.", ".SHbbSH.", ".SSSSSH.", ".bHHHHH.", blank}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << static_cast<int>(c.style));
        EXPECT_EQ(Draw(c.style), c.rows);
    }
}

TEST(FrameStyles, AdjustRectShrinksByWhatTheFrameCovers)
{
    struct Case {
        TKwFrameStyle style;
        TRect expected; // from (0, 0, 100, 60)
    };
    const Case cases[] = {
        {kwfsNone, {0, 0, 100, 60}},     {kwfsGroup, {0, 0, 100, 60}},    {kwfsLowered, {2, 2, 98, 58}},
        {kwfsRaised, {2, 2, 98, 58}},    {kwfsDint, {1, 1, 99, 59}},      {kwfsBump, {1, 1, 99, 59}},
        {kwfsSingle, {1, 1, 99, 59}},    {kwfsHorzLine, {0, 2, 100, 60}}, {kwfsHorzEdge, {0, 2, 100, 58}},
        {kwfsVertLine, {2, 0, 100, 60}}, {kwfsVertEdge, {2, 0, 98, 60}},
    };
    for (const Case& c : cases) {
        TRect r{0, 0, 100, 60};
        AdjustRectForFrame(c.style, r);
        EXPECT_EQ(r, c.expected) << "style " << static_cast<int>(c.style);
    }
}

int ZeroHeight(TFont* font)
{
    TCanvas* canvas = Create<TCanvas>();
    const HDC dc = GetDC(nullptr);
    canvas->SetHandle(dc);
    canvas->Font()->Assign(font);
    const int h = canvas->TextHeight("0");
    canvas->SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    canvas->Free();
    return h;
}

// A child placed at client (0, 0) lies inside the frame, whatever the style.
TEST(GroupBox, ChildrenLieInsideTheFrame)
{
    kwtest::TestForm form(240, 160);
    struct Case {
        TKwFrameStyle style;
        const char* caption;
        TRect client; // in the group's window, 100 x 60
    };
    const int h = ZeroHeight(form->Font());
    const Case cases[] = {
        {kwfsGroup, "", {2, 2, 98, 58}},    {kwfsGroup, "Caption", {2, h, 98, 58}},
        {kwfsNone, "", {0, 0, 100, 60}},    {kwfsLowered, "x", {2, 2, 98, 58}},
        {kwfsDint, "", {1, 1, 99, 59}},     {kwfsHorzLine, "", {0, 2, 100, 60}},
        {kwfsVertEdge, "", {2, 0, 98, 60}}, {kwfsSingle, "", {1, 1, 99, 59}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << static_cast<int>(c.style) << " " << c.caption);
        TKwGroup* group = Create<TKwGroup>(form.Get());
        group->SetBounds(10, 10, 100, 60);
        group->SetCaption(c.caption);
        group->SetFrameStyle(c.style);
        group->SetParent(form.Get());
        TKwGroup* child = Create<TKwGroup>(form.Get());
        child->SetFrameStyle(kwfsNone);
        child->SetBounds(0, 0, 10, 10);
        child->SetParent(group);
        Pump();
        const QPoint at = child->Peer()->mapTo(group->Peer(), QPoint(0, 0));
        EXPECT_EQ(at, QPoint(c.client.left, c.client.top));
        EXPECT_EQ(group->ClientWidth(), c.client.right - c.client.left);
        EXPECT_EQ(group->ClientHeight(), c.client.bottom - c.client.top);
        child->Free();
        group->Free();
    }
}

// A group's window procedure, counted.
using kwtest::MessageCounter;

TEST(GroupBox, FrameChangesMeasureAndPaintTheNonClientAreaAgain)
{
    kwtest::TestForm form(240, 160);
    TKwGroup* group = Create<TKwGroup>(form.Get());
    group->SetBounds(10, 10, 100, 60);
    group->SetParent(form.Get());
    TKwGroup* child = Create<TKwGroup>(form.Get());
    child->SetBounds(0, 0, 10, 10);
    child->SetParent(group);
    Pump();
    MessageCounter counter(group);
    // Painting the client area leaves the frame alone.
    RECT all{0, 0, group->ClientWidth(), group->ClientHeight()};
    ::InvalidateRect(group->Handle(), &all, TRUE);
    Pump();
    EXPECT_GE(counter.Counts[WM_PAINT], 1);
    EXPECT_EQ(counter.Counts[WM_NCPAINT], 0);
    EXPECT_EQ(counter.Counts[WM_NCCALCSIZE], 0);
    // A caption makes the top of the frame the caption's height.
    group->SetCaption("Caption");
    Pump();
    EXPECT_EQ(counter.Counts[WM_NCCALCSIZE], 1);
    EXPECT_GE(counter.Counts[WM_NCPAINT], 1);
    EXPECT_EQ(child->Peer()->mapTo(group->Peer(), QPoint(0, 0)).y(), ZeroHeight(group->Font()));
    // A new style makes a new window, measured with it.
    group->SetFrameStyle(kwfsVertLine);
    Pump();
    EXPECT_EQ(child->Peer()->mapTo(group->Peer(), QPoint(0, 0)), QPoint(2, 0));
    EXPECT_EQ(SetWindowPos(group->Handle(), nullptr, 1, 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER), FALSE);
}

TEST(GroupBox, CaptionCoversTheFrameLineAndIsEmbossedWhenDisabled)
{
    kwtest::TestForm form(240, 160);
    form->SetColor(clBtnFace);
    TKwGroup* group = Create<TKwGroup>(form.Get());
    group->SetBounds(10, 10, 160, 60);
    group->SetCaption("Group caption");
    group->SetParent(form.Get());
    TKwGroup* child = Create<TKwGroup>(form.Get());
    child->SetEnabled(false);
    child->SetParent(group);
    Pump();
    const int h = ZeroHeight(group->Font());
    const int lineY = h / 2 - 1;
    struct Look {
        bool enabled;
        int shadowOnLine;  // shadow pixels of the top line inside the caption's band
        bool anyHighlight; // highlight pixels in the band's text
    };
    for (bool enabled : {false, true}) {
        group->SetEnabled(enabled);
        Pump();
        const QImage image =
            kwtest::SavePicture(group->Peer(), enabled ? "group-enabled.png" : "group-disabled.png");
        int shadowInBand = 0, highlight = 0;
        const int textWidth = 60;
        for (int x = 9; x < 9 + textWidth; ++x)
            shadowInBand += image.pixel(x, lineY) == Rgb(clBtnShadow) ? 1 : 0;
        for (int y = 0; y < h; ++y)
            for (int x = 9; x < 9 + textWidth; ++x)
                highlight += image.pixel(x, y) == Rgb(clBtnHighlight) ? 1 : 0;
        SCOPED_TRACE(enabled ? "enabled" : "disabled");
        // The line runs outside the band and is covered inside it.
        EXPECT_EQ(image.pixel(3, lineY), Rgb(clBtnShadow));
        EXPECT_EQ(image.pixel(3, lineY + 1), Rgb(clBtnHighlight));
        EXPECT_LT(shadowInBand, textWidth / 4);
        EXPECT_EQ(highlight > 0, !enabled);
        // The group's own state reaches every child, also one disabled on its own.
        EXPECT_EQ(child->Enabled(), enabled);
    }
}

TEST(GroupBox, TransparentColourShowsWhatLiesBehind)
{
    kwtest::TestForm form(240, 160);
    form->SetColor(clRed);
    TKwGroup* group = Create<TKwGroup>(form.Get());
    group->SetParentColor(false);
    group->SetColor(clNone);
    group->SetBounds(10, 10, 100, 60);
    group->SetCaption("Clear");
    group->SetParent(form.Get());
    Pump();
    const QImage image = form->Peer()->grab().toImage();
    // Above the frame line, left of the caption, and inside the client area.
    EXPECT_EQ(image.pixel(10 + 3, 10 + 1) | 0xFF000000u, Rgb(clRed));
    EXPECT_EQ(image.pixel(10 + 50, 10 + 40) | 0xFF000000u, Rgb(clRed));
}

// A parent that remembers what each of its paints covered.
class TPaintRecorder : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<TRect> Clips;

protected:
    void Paint() override
    {
        if (const TPaintContext* context = PaintContext())
            Clips.push_back(context->ClipRect());
    }
};

TEST(FrameControl, ChangesRepaintOnlyTheInterior)
{
    kwtest::TestForm form(240, 160);
    TPaintRecorder* parent = Create<TPaintRecorder>(form.Get());
    parent->SetBounds(0, 0, 200, 120);
    parent->SetParent(form.Get());
    TKwFrame* frame = Create<TKwFrame>(form.Get());
    frame->SetBounds(20, 10, 100, 40);
    frame->SetParent(parent);
    Pump();
    struct Case {
        const char* what;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"text", [&] { frame->SetCaption("New text"); }},
        {"colour", [&] { frame->SetColor(clYellow); }},
        {"font", [&] { frame->Font()->SetSize(12); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        parent->Clips.clear();
        c.change();
        Pump();
        ASSERT_FALSE(parent->Clips.empty());
        for (const TRect& clip : parent->Clips)
            EXPECT_EQ(clip, (TRect{22, 12, 118, 48}));
    }
}

TEST(FrameControl, OnPaintFiresForEveryStyleButGroup)
{
    kwtest::TestForm form(240, 160);
    TKwFrame* frame = Create<TKwFrame>(form.Get());
    frame->SetParent(form.Get());
    struct Handler {
        int Calls = 0;
        void Paint(TObject*, TCanvas*) { ++Calls; }
    } handler;
    frame->OnPaint = TKwFramePaintEvent(&handler, &Handler::Paint);
    for (TKwFrameStyle style : {kwfsLowered, kwfsGroup, kwfsNone}) {
        frame->SetFrameStyle(style);
        handler.Calls = 0;
        form->Repaint();
        Pump();
        EXPECT_EQ(handler.Calls > 0, style != kwfsGroup) << static_cast<int>(style);
    }
}

TEST(FrameStyles, Screenshot)
{
    kwtest::TestForm form(12 * 70 + 10, 150);
    form->SetColor(clBtnFace);
    for (int s = 0; s <= kwfsVertEdge; ++s) {
        TKwFrame* frame = Create<TKwFrame>(form.Get());
        frame->SetBounds(10 + s * 70, 10, 60, 48);
        frame->SetFrameStyle(static_cast<TKwFrameStyle>(s));
        frame->SetCaption(std::to_string(s));
        frame->SetParent(form.Get());
    }
    TKwGroup* group = Create<TKwGroup>(form.Get());
    group->SetBounds(10, 70, 200, 70);
    group->SetCaption("A group box");
    group->SetParent(form.Get());
    TKwGroup* disabled = Create<TKwGroup>(form.Get());
    disabled->SetBounds(220, 70, 200, 70);
    disabled->SetCaption("A disabled group");
    disabled->SetEnabled(false);
    disabled->SetParent(form.Get());
    Pump();
    const QImage image = kwtest::SavePicture(form->Peer(), "frame-styles.png");
    EXPECT_EQ(image.pixel(10 + 2 * 70, 10) | 0xFF000000u, Rgb(clBtnShadow)); // lowered's corner
}

} // namespace
