#include "win32/DeviceContext.h"
#include "win32/ImageLists.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <string>
#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A picture with a device context on it; the picture is saved for a person
// to look at when the test names it.
class Surface {
public:
    Surface(int width, int height, COLORREF fill = kWhite) : Image_(width, height, QImage::Format_RGB32)
    {
        Image_.fill(QColor(GetRValue(fill), GetGValue(fill), GetBValue(fill)));
        Dc_ = win32::CreateImageDC(Image_);
    }
    ~Surface() { DeleteDC(Dc_); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC Dc() const { return Dc_; }
    // The pixels as drawn so far.
    QImage Image() const { return Image_.copy(); }
    COLORREF At(int x, int y) { return GetPixel(Dc_, x, y); }
    void Save(const std::string& name)
    {
        Image().save(QString::fromStdString(kwtest::OutputPath(name + ".png")));
    }

private:
    QImage Image_;
    HDC Dc_;
};

// A GDI object deleted with the scope.
template <class H>
class Object {
public:
    explicit Object(H handle) : Handle_(handle) {}
    ~Object() { DeleteObject(Handle_); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    H Get() const { return Handle_; }

private:
    H Handle_;
};

// A background of stripes, so that inverting twice is seen to restore it.
void Stripes(Surface& surface, int width, int height)
{
    for (int x = 0; x < width; x += 2) {
        RECT column{x, 0, x + 1, height};
        FillRect(surface.Dc(), &column,
                 reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_HIGHLIGHT + 1)));
    }
}

TEST(DeviceContextTest, RectanglesAndLinesLeaveOutTheirRightBottomAndLastPoint)
{
    Surface surface(24, 16);
    Object<HBRUSH> red(CreateSolidBrush(kRed));
    SelectObject(surface.Dc(), red.Get());
    ASSERT_TRUE(Rectangle(surface.Dc(), 2, 2, 10, 8));
    MoveToEx(surface.Dc(), 12, 1, nullptr);
    ASSERT_TRUE(LineTo(surface.Dc(), 20, 1));
    MoveToEx(surface.Dc(), 12, 3, nullptr);
    LineTo(surface.Dc(), 12, 12);
    MoveToEx(surface.Dc(), 14, 3, nullptr);
    LineTo(surface.Dc(), 20, 9);
    surface.Save("gdi-rectangle-line");

    struct Case {
        const char* what;
        int x;
        int y;
        COLORREF expected;
    };
    const Case cases[] = {
        {"outline top-left", 2, 2, kBlack},
        {"outline right column is right - 1", 9, 4, kBlack},
        {"outline bottom row is bottom - 1", 5, 7, kBlack},
        {"nothing on the right edge", 10, 4, kWhite},
        {"nothing on the bottom edge", 5, 8, kWhite},
        {"interior takes the brush", 3, 3, kRed},
        {"interior up to right - 2", 8, 6, kRed},
        {"horizontal line's first point", 12, 1, kBlack},
        {"horizontal line's point before the last", 19, 1, kBlack},
        {"horizontal line's last point left out", 20, 1, kWhite},
        {"vertical line's last point left out", 12, 12, kWhite},
        {"vertical line's point before the last", 12, 11, kBlack},
        {"diagonal line's point before the last", 19, 8, kBlack},
        {"diagonal line's last point left out", 20, 9, kWhite},
    };
    for (const Case& c : cases)
        EXPECT_EQ(surface.At(c.x, c.y), c.expected) << c.what;
}

TEST(DeviceContextTest, PolylineDrawsEveryVertexButTheLastOnce)
{
    Surface surface(12, 12, kBlack);
    SelectObject(surface.Dc(), GetStockObject(WHITE_PEN));
    SetROP2(surface.Dc(), R2_XORPEN);
    const POINT points[] = {{1, 1}, {8, 1}, {8, 8}, {1, 8}, {1, 1}};
    ASSERT_TRUE(Polyline(surface.Dc(), points, 5));
    surface.Save("gdi-polyline-xor");
    // Drawn once each: a corner drawn twice would have been XORed away.
    for (const POINT& corner : points)
        EXPECT_EQ(surface.At(corner.x, corner.y), kWhite) << corner.x << "," << corner.y;
}

TEST(DeviceContextTest, DrawEdgeKinds)
{
    const COLORREF light = GetSysColor(COLOR_3DLIGHT);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
    struct Case {
        const char* name;
        UINT edge;
        COLORREF outerTopLeft;
        COLORREF outerBottomRight;
        COLORREF innerTopLeft;
        COLORREF innerBottomRight;
    };
    const Case cases[] = {
        {"raised", EDGE_RAISED, light, dark, highlight, shadow},
        {"sunken", EDGE_SUNKEN, shadow, highlight, dark, light},
        {"etched", EDGE_ETCHED, shadow, highlight, highlight, shadow},
        {"bump", EDGE_BUMP, light, dark, dark, light},
    };
    for (const Case& c : cases) {
        Surface surface(20, 14, kBlue);
        RECT r{2, 2, 18, 12};
        ASSERT_TRUE(DrawEdge(surface.Dc(), &r, c.edge, BF_RECT | BF_ADJUST | BF_MIDDLE));
        surface.Save(std::string("gdi-edge-") + c.name);
        EXPECT_EQ(surface.At(2, 2), c.outerTopLeft) << c.name;
        EXPECT_EQ(surface.At(16, 2), c.outerTopLeft) << c.name << ": top row up to the corner";
        EXPECT_EQ(surface.At(17, 2), c.outerBottomRight) << c.name << ": top-right corner";
        EXPECT_EQ(surface.At(2, 11), c.outerBottomRight) << c.name << ": bottom-left corner";
        EXPECT_EQ(surface.At(17, 11), c.outerBottomRight) << c.name;
        EXPECT_EQ(surface.At(3, 3), c.innerTopLeft) << c.name;
        EXPECT_EQ(surface.At(16, 10), c.innerBottomRight) << c.name;
        EXPECT_EQ(surface.At(8, 6), GetSysColor(COLOR_BTNFACE)) << c.name << ": middle";
        EXPECT_EQ(surface.At(18, 12), kBlue) << c.name << ": right and bottom edges excluded";
        EXPECT_EQ(r.left, 4);
        EXPECT_EQ(r.top, 4);
        EXPECT_EQ(r.right, 16);
        EXPECT_EQ(r.bottom, 10);
    }
}

TEST(DeviceContextTest, PatternBrushFollowsItsOrigin)
{
    // A checkerboard: rows 0x55 and 0xAA, each padded to 16 bits.
    const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    Object<HBITMAP> bits(CreateBitmap(8, 8, 1, 1, rows));
    Object<HBRUSH> brush(CreatePatternBrush(bits.Get()));
    ASSERT_NE(brush.Get(), nullptr);
    struct Case {
        int originX;
        COLORREF atZero;
        COLORREF atOne;
    };
    // Text colour for 0 bits, background colour for 1 bits.
    const Case cases[] = {{0, kRed, kBlue}, {1, kBlue, kRed}, {2, kRed, kBlue}};
    for (const Case& c : cases) {
        Surface surface(16, 8);
        SetTextColor(surface.Dc(), kRed);
        SetBkColor(surface.Dc(), kBlue);
        SetBrushOrgEx(surface.Dc(), c.originX, 0, nullptr);
        SelectObject(surface.Dc(), brush.Get());
        ASSERT_TRUE(PatBlt(surface.Dc(), 0, 0, 16, 8, PATCOPY));
        surface.Save("gdi-pattern-origin-" + std::to_string(c.originX));
        EXPECT_EQ(surface.At(0, 0), c.atZero) << c.originX;
        EXPECT_EQ(surface.At(1, 0), c.atOne) << c.originX;
        EXPECT_EQ(surface.At(0, 1), c.atOne) << c.originX;
    }
}

TEST(DeviceContextTest, InvertingTwiceRestoresThePixels)
{
    const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    Object<HBITMAP> bits(CreateBitmap(8, 8, 1, 1, rows));
    Object<HBRUSH> halftone(CreatePatternBrush(bits.Get()));
    Object<HPEN> dotted(CreatePen(PS_DOT, 1, kBlack));
    struct Case {
        const char* name;
        void (*draw)(HDC dc, HBRUSH halftone, HPEN dotted);
    };
    const Case cases[] = {
        {"patinvert",
         [](HDC dc, HBRUSH brush, HPEN) {
             SetTextColor(dc, kWhite);
             SetBkColor(dc, kBlack);
             HGDIOBJ old = SelectObject(dc, brush);
             PatBlt(dc, 5, 0, 3, 30, PATINVERT);
             SelectObject(dc, old);
         }},
        {"xor-line",
         [](HDC dc, HBRUSH, HPEN) {
             SelectObject(dc, GetStockObject(WHITE_PEN));
             SetROP2(dc, R2_XORPEN);
             MoveToEx(dc, 0, 0, nullptr);
             LineTo(dc, 29, 17);
         }},
        {"not-rectangle",
         [](HDC dc, HBRUSH, HPEN pen) {
             SetROP2(dc, R2_NOT);
             HGDIOBJ old = SelectObject(dc, pen);
             SelectObject(dc, GetStockObject(NULL_BRUSH));
             Rectangle(dc, 3, 3, 25, 20);
             SelectObject(dc, old);
         }},
        {"dstinvert", [](HDC dc, HBRUSH, HPEN) { PatBlt(dc, 2, 2, 10, 10, DSTINVERT); }},
        {"focus",
         [](HDC dc, HBRUSH, HPEN) {
             RECT r{1, 1, 28, 22};
             DrawFocusRect(dc, &r);
         }},
    };
    for (const Case& c : cases) {
        Surface surface(30, 24);
        Stripes(surface, 30, 24);
        const QImage before = surface.Image();
        c.draw(surface.Dc(), halftone.Get(), dotted.Get());
        const QImage once = surface.Image();
        once.save(QString::fromStdString(kwtest::OutputPath(std::string("gdi-invert-") + c.name + ".png")));
        EXPECT_NE(once, before) << c.name << ": drawn once shows";
        c.draw(surface.Dc(), halftone.Get(), dotted.Get());
        EXPECT_EQ(surface.Image(), before) << c.name << ": drawn twice is gone";
    }
}

TEST(DeviceContextTest, SaveAndRestoreBringBackClippingAndObjects)
{
    Surface surface(20, 20);
    Object<HBRUSH> red(CreateSolidBrush(kRed));
    const int level = SaveDC(surface.Dc());
    EXPECT_EQ(level, 1);
    SelectObject(surface.Dc(), red.Get());
    EXPECT_EQ(IntersectClipRect(surface.Dc(), 2, 2, 12, 12), SIMPLEREGION);
    EXPECT_EQ(ExcludeClipRect(surface.Dc(), 4, 4, 6, 6), COMPLEXREGION);
    RECT box{};
    EXPECT_EQ(GetClipBox(surface.Dc(), &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.right, 12);
    PatBlt(surface.Dc(), 0, 0, 20, 20, PATCOPY);
    ASSERT_TRUE(RestoreDC(surface.Dc(), -1));
    EXPECT_EQ(GetCurrentObject(surface.Dc(), OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    SetROP2(surface.Dc(), R2_NOP);
    Object<HBRUSH> blue(CreateSolidBrush(kBlue));
    RECT corner{14, 14, 20, 20};
    FillRect(surface.Dc(), &corner, blue.Get());
    surface.Save("gdi-save-restore-clip");

    struct Case {
        int x;
        int y;
        COLORREF expected;
    };
    const Case cases[] = {{2, 2, kRed},   {11, 11, kRed}, {12, 12, kWhite}, {1, 1, kWhite},
                          {4, 4, kWhite}, {5, 5, kWhite}, {6, 6, kRed},     {19, 19, kBlue}};
    for (const Case& c : cases)
        EXPECT_EQ(surface.At(c.x, c.y), c.expected) << c.x << "," << c.y;
    EXPECT_FALSE(RestoreDC(surface.Dc(), -1)) << "nothing left to restore";
}

TEST(DeviceContextTest, SelectedObjectsStayAliveUntilDeselected)
{
    Surface surface(4, 4);
    const HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    const HGDIOBJ old = SelectObject(surface.Dc(), pen);
    EXPECT_EQ(old, GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetCurrentObject(surface.Dc(), OBJ_PEN), pen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(GetObjectType(pen), OBJ_PEN) << "still selected";
    MoveToEx(surface.Dc(), 0, 0, nullptr);
    LineTo(surface.Dc(), 3, 0);
    EXPECT_EQ(surface.At(1, 0), kRed);
    SelectObject(surface.Dc(), old);
    EXPECT_EQ(GetObjectType(pen), 0u) << "freed once deselected";
    EXPECT_EQ(SelectObject(surface.Dc(), pen), nullptr) << "stale";

    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), OBJ_BRUSH) << "stock objects stay";
    EXPECT_FALSE(DeleteObject(pen));
}

TEST(DeviceContextTest, MeasuringContextMeasuresAndDrawsNothing)
{
    const std::size_t live = win32::LiveDeviceContextCount();
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(WindowFromDC(screen), nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
    LOGFONTA log{};
    log.lfHeight = -11;
    std::strcpy(log.lfFaceName, "MS Sans Serif");
    Object<HFONT> font(CreateFontIndirectA(&log));
    SelectObject(screen, font.Get());
    SIZE one{};
    SIZE two{};
    ASSERT_TRUE(GetTextExtentPoint32A(screen, "W", 1, &one));
    ASSERT_TRUE(GetTextExtentPoint32A(screen, "WW", 2, &two));
    EXPECT_GT(one.cx, 0);
    EXPECT_EQ(two.cx, 2 * one.cx);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(screen, &tm));
    EXPECT_EQ(one.cy, tm.tmHeight);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 11) << "negative height is the character height";
    EXPECT_FALSE(Rectangle(screen, 0, 0, 5, 5));
    EXPECT_EQ(GetPixel(screen, 0, 0), CLR_INVALID);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(win32::LiveDeviceContextCount(), live);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 0) << "stale";
}

TEST(DeviceContextTest, FontsMapToTheFixedFamilies)
{
    struct Case {
        const char* face;
        const char* family;
    };
    const Case cases[] = {{"MS Sans Serif", "DejaVu Sans"},    {"MS Shell Dlg 2", "DejaVu Sans"},
                          {"Tahoma", "DejaVu Sans"},           {"Courier New", "DejaVu Sans Mono"},
                          {"Times New Roman", "DejaVu Serif"}, {"DejaVu Sans Mono", "DejaVu Sans Mono"}};
    for (const Case& c : cases) {
        EXPECT_EQ(win32::MapFontFamily(c.face), c.family) << c.face;
        Object<HFONT> font(CreateFontA(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, c.face));
        const std::optional<QFont> qfont = win32::FontOf(font.Get());
        ASSERT_TRUE(qfont) << c.face;
        EXPECT_EQ(qfont->family().toStdString(), c.family) << c.face;
        EXPECT_EQ(qfont->pixelSize(), 12);
        EXPECT_TRUE(qfont->bold());
        LOGFONTA back{};
        EXPECT_EQ(GetObjectA(font.Get(), sizeof back, &back), static_cast<int>(sizeof back));
        EXPECT_STREQ(back.lfFaceName, c.face);
    }
}

// Text in a dialog font of the given quality on a fresh surface. Tests of
// exact ink ask for NONANTIALIASED_QUALITY; measuring holds for every quality.
class TextSurface : public Surface {
public:
    TextSurface(int width, int height, BYTE quality) : Surface(width, height), Font_(MakeFont(quality))
    {
        SelectObject(Dc(), Font_.Get());
    }
    int Width(const char* text)
    {
        SIZE size{};
        GetTextExtentPoint32A(Dc(), text, static_cast<int>(std::strlen(text)), &size);
        return size.cx;
    }
    int Height()
    {
        TEXTMETRICA tm{};
        GetTextMetricsA(Dc(), &tm);
        return tm.tmHeight;
    }
    // The columns in row y that are not white.
    std::vector<int> InkColumns(int y)
    {
        const QImage image = Image();
        std::vector<int> columns;
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                columns.push_back(x);
        return columns;
    }

private:
    static HFONT MakeFont(BYTE quality)
    {
        LOGFONTA log{};
        log.lfHeight = -11;
        log.lfQuality = quality;
        std::strcpy(log.lfFaceName, "MS Shell Dlg");
        return CreateFontIndirectA(&log);
    }
    Object<HFONT> Font_;
};

void DrawTextMeasuresInQuality(BYTE quality)
{
    TextSurface surface(120, 40, quality);
    struct Case {
        const char* text;
        UINT format;
        int width;            // of the rectangle asked for
        const char* measured; // text whose extent the result is
        int lines;
    };
    const Case cases[] = {
        {"Name", DT_SINGLELINE, 100, "Name", 1},
        {"&File", DT_SINGLELINE, 100, "File", 1},
        {"&&File", DT_SINGLELINE, 100, "&File", 1},
        {"&File", DT_SINGLELINE | DT_NOPREFIX, 100, "&File", 1},
        {"one\ntwo words", 0, 100, "two words", 2},
        {"one two three", DT_WORDBREAK, surface.Width("one two") + 2, "one two", 2},
    };
    for (const Case& c : cases) {
        RECT r{5, 3, 5 + c.width, 30};
        const int height = DrawTextA(surface.Dc(), c.text, -1, &r, c.format | DT_CALCRECT);
        EXPECT_EQ(r.left, 5) << c.text;
        EXPECT_EQ(r.top, 3) << c.text;
        EXPECT_EQ(r.right - r.left, surface.Width(c.measured)) << c.text;
        EXPECT_EQ(height, c.lines * surface.Height()) << c.text;
        EXPECT_EQ(r.bottom, 3 + height) << c.text;
    }
    EXPECT_EQ(surface.InkColumns(10), std::vector<int>{}) << "measuring draws nothing";
}

TEST(DeviceContextTest, DrawTextMeasuresWithCalcRect)
{
    for (const BYTE quality : {DEFAULT_QUALITY, NONANTIALIASED_QUALITY}) {
        SCOPED_TRACE(quality);
        DrawTextMeasuresInQuality(quality);
    }
}

// Every quality but the non-antialiased one draws as the desktop's text does:
// its edges take shades between the ink and the paper.
TEST(DeviceContextTest, FontQualityDecidesWhetherTextIsAntialiased)
{
    struct Case {
        BYTE quality;
        bool shaded;
    };
    const Case cases[] = {{DEFAULT_QUALITY, true},     {DRAFT_QUALITY, true},
                          {PROOF_QUALITY, true},       {NONANTIALIASED_QUALITY, false},
                          {ANTIALIASED_QUALITY, true}, {CLEARTYPE_QUALITY, true}};
    for (const Case& c : cases) {
        TextSurface surface(120, 30, c.quality);
        SetBkMode(surface.Dc(), TRANSPARENT);
        TextOutA(surface.Dc(), 2, 2, "Wavy Folder", 11);
        surface.Save("gdi-text-quality-" + std::to_string(c.quality));
        const QImage image = surface.Image();
        int ink = 0;
        int shades = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y) & 0xFFFFFF;
                ink += p == 0;
                shades += p != 0 && p != 0xFFFFFF;
            }
        EXPECT_GT(ink, 20) << int(c.quality);
        EXPECT_EQ(shades > 0, c.shaded) << int(c.quality) << ": " << shades << " shaded pixels";
    }
}

TEST(DeviceContextTest, DrawTextEndEllipsisAndMnemonics)
{
    TextSurface surface(160, 60, NONANTIALIASED_QUALITY);
    SetBkMode(surface.Dc(), TRANSPARENT);
    const int h = surface.Height();

    // Too long for its rectangle: cut and "..." added; measuring gives the cut width.
    const char* longText = "A rather long column caption";
    const int narrow = surface.Width("A rather") + 4;
    RECT measure{0, 0, narrow, h};
    DrawTextA(surface.Dc(), longText, -1, &measure, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(measure.right, narrow);
    EXPECT_GT(measure.right, surface.Width("..."));
    RECT cut{0, 0, narrow, h};
    DrawTextA(surface.Dc(), longText, -1, &cut, DT_SINGLELINE | DT_END_ELLIPSIS);

    // "&Name" underlines the N only, on the row under the baseline.
    TEXTMETRICA tm{};
    GetTextMetricsA(surface.Dc(), &tm);
    RECT line{0, 20, 160, 20 + h};
    DrawTextA(surface.Dc(), "&Name", -1, &line, DT_SINGLELINE);
    RECT plain{80, 20, 160, 20 + h};
    DrawTextA(surface.Dc(), "Name", -1, &plain, DT_SINGLELINE);
    surface.Save("gdi-drawtext");

    const std::vector<int> cutInk = surface.InkColumns(tm.tmAscent - 3);
    ASSERT_FALSE(cutInk.empty());
    EXPECT_LT(cutInk.back(), narrow) << "clipped to the rectangle";
    const int underlineRow = 20 + tm.tmAscent + 1;
    std::vector<int> underline;
    for (int x : surface.InkColumns(underlineRow))
        if (x < 80)
            underline.push_back(x);
    std::vector<int> expected;
    for (int x = 0; x < surface.Width("N"); ++x)
        expected.push_back(x);
    EXPECT_EQ(underline, expected);
    for (int x : surface.InkColumns(underlineRow))
        EXPECT_LT(x, 80) << "no underline without a prefix";
}

TEST(DeviceContextTest, DrawTextAlignsAndCentresVertically)
{
    TextSurface surface(100, 40, NONANTIALIASED_QUALITY);
    const int w = surface.Width("Mid");
    const int h = surface.Height();
    struct Case {
        UINT format;
        int left;
        int top;
        int returned;
    };
    const Case cases[] = {
        {DT_SINGLELINE, 0, 0, h},
        {DT_SINGLELINE | DT_RIGHT, 100 - w, 0, h},
        {DT_SINGLELINE | DT_CENTER, (100 - w) / 2, 0, h},
        {DT_SINGLELINE | DT_VCENTER, 0, (40 - h) / 2, (40 - h) / 2 + h},
        {DT_SINGLELINE | DT_BOTTOM, 0, 40 - h, 40},
    };
    for (const Case& c : cases) {
        TextSurface fresh(100, 40, NONANTIALIASED_QUALITY);
        SetBkColor(fresh.Dc(), kBlue);
        RECT r{0, 0, 100, 40};
        EXPECT_EQ(DrawTextA(fresh.Dc(), "Mid", -1, &r, c.format), c.returned) << c.format;
        // An opaque background shows the text's cell.
        EXPECT_EQ(fresh.At(c.left, c.top), kBlue) << c.format;
        EXPECT_EQ(fresh.At(c.left + w - 1, c.top + h - 1), kBlue) << c.format;
        if (c.left > 0) {
            EXPECT_EQ(fresh.At(c.left - 1, c.top), kWhite) << c.format;
        }
        if (c.top > 0) {
            EXPECT_EQ(fresh.At(c.left, c.top - 1), kWhite) << c.format;
        }
    }
}

TEST(DeviceContextTest, HatchesHonourTheBackgroundMode)
{
    Object<HBRUSH> hatch(CreateHatchBrush(HS_CROSS, kRed));
    for (int mode : {OPAQUE, TRANSPARENT}) {
        Surface surface(16, 16, kBlack);
        SetBkColor(surface.Dc(), kBlue);
        SetBkMode(surface.Dc(), mode);
        RECT all{0, 0, 16, 16};
        FillRect(surface.Dc(), &all, hatch.Get());
        surface.Save(mode == OPAQUE ? "gdi-hatch-opaque" : "gdi-hatch-transparent");
        EXPECT_EQ(surface.At(7, 3), kRed) << mode;
        EXPECT_EQ(surface.At(3, 3), mode == OPAQUE ? kBlue : kBlack) << mode;
    }
}

TEST(DeviceContextTest, MemoryContextsAndBitBlt)
{
    Object<HBITMAP> bitmap(CreateBitmap(8, 8, 1, 32, nullptr));
    HDC memory = CreateCompatibleDC(nullptr);
    ASSERT_NE(SelectObject(memory, bitmap.Get()), nullptr);
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, bitmap.Get()), nullptr) << "a bitmap lives in one context";
    Object<HBRUSH> red(CreateSolidBrush(kRed));
    RECT quarter{0, 0, 4, 4};
    FillRect(memory, &quarter, red.Get());
    EXPECT_EQ(GetPixel(memory, 3, 3), kRed);
    EXPECT_EQ(GetPixel(memory, 4, 4), kBlack);

    Surface surface(12, 12);
    ASSERT_TRUE(BitBlt(surface.Dc(), 2, 2, 8, 8, memory, 0, 0, SRCCOPY));
    EXPECT_EQ(surface.At(2, 2), kRed);
    EXPECT_EQ(surface.At(9, 9), kBlack);
    EXPECT_EQ(surface.At(10, 10), kWhite);
    ASSERT_TRUE(BitBlt(surface.Dc(), 2, 2, 8, 8, memory, 0, 0, SRCINVERT));
    EXPECT_EQ(surface.At(2, 2), kBlack);
    DeleteDC(other);
    DeleteDC(memory);

    // A monochrome bitmap lands in the target's text and background colours.
    const BYTE rows[4] = {0x80, 0x00, 0x00, 0x00};
    Object<HBITMAP> mono(CreateBitmap(2, 2, 1, 1, rows));
    HDC monoDc = CreateCompatibleDC(nullptr);
    SelectObject(monoDc, mono.Get());
    SetTextColor(surface.Dc(), kBlue);
    SetBkColor(surface.Dc(), kRed);
    ASSERT_TRUE(BitBlt(surface.Dc(), 0, 0, 2, 2, monoDc, 0, 0, SRCCOPY));
    EXPECT_EQ(surface.At(0, 0), kRed);
    EXPECT_EQ(surface.At(1, 0), kBlue);
    DeleteDC(monoDc);
}

TEST(DeviceContextTest, ImageListsDrawOnDeviceContexts)
{
    HIMAGELIST list = ImageList_Create(8, 8, ILC_COLOR32 | ILC_MASK, 1, 1);
    QImage picture(8, 8, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter(&picture).fillRect(0, 0, 4, 8, Qt::red);
    ASSERT_EQ(win32::ImageListSetImage(list, -1, picture), 0);
    Surface surface(12, 10);
    ASSERT_TRUE(ImageList_Draw(list, 0, surface.Dc(), 2, 1, ILD_TRANSPARENT));
    EXPECT_EQ(surface.At(2, 1), kRed);
    EXPECT_EQ(surface.At(7, 1), kWhite) << "clear parts stay";
    ImageList_SetBkColor(list, kBlue);
    ASSERT_TRUE(ImageList_Draw(list, 0, surface.Dc(), 2, 1, ILD_NORMAL));
    EXPECT_EQ(surface.At(7, 1), kBlue) << "the background colour fills the clear parts";
    ImageList_Destroy(list);
}

} // namespace

namespace {

TEST(DeviceContextTest, TextOutAlignsToItsReferencePoint)
{
    TextSurface surface(120, 50, NONANTIALIASED_QUALITY);
    SetBkColor(surface.Dc(), kBlue);
    const int w = surface.Width("Ref");
    const int h = surface.Height();
    TEXTMETRICA tm{};
    GetTextMetricsA(surface.Dc(), &tm);
    struct Case {
        UINT align;
        int left; // where the opaque cell starts for a reference point at (60, 30)
        int top;
    };
    const Case cases[] = {
        {TA_LEFT | TA_TOP, 60, 30},
        {TA_RIGHT | TA_TOP, 60 - w, 30},
        {TA_CENTER | TA_TOP, 60 - w / 2, 30},
        {TA_LEFT | TA_BOTTOM, 60, 30 - h},
        {TA_LEFT | TA_BASELINE, 60, 30 - tm.tmAscent},
    };
    for (const Case& c : cases) {
        TextSurface fresh(120, 50, NONANTIALIASED_QUALITY);
        SetBkColor(fresh.Dc(), kBlue);
        SetTextAlign(fresh.Dc(), c.align);
        ASSERT_TRUE(TextOutA(fresh.Dc(), 60, 30, "Ref", 3));
        EXPECT_EQ(fresh.At(c.left, c.top), kBlue) << c.align;
        EXPECT_EQ(fresh.At(c.left - 1, c.top), kWhite) << c.align;
        EXPECT_EQ(fresh.At(c.left + w - 1, c.top + h - 1), kBlue) << c.align;
        EXPECT_EQ(fresh.At(c.left + w, c.top), kWhite) << c.align;
    }

    // The current position moves with TA_UPDATECP.
    SetTextAlign(surface.Dc(), TA_UPDATECP);
    MoveToEx(surface.Dc(), 5, 5, nullptr);
    TextOutA(surface.Dc(), 0, 0, "Ref", -1);
    POINT now{};
    MoveToEx(surface.Dc(), 0, 0, &now);
    EXPECT_EQ(now.x, 5 + w);
    EXPECT_EQ(surface.At(5, 5), kBlue);
}

TEST(DeviceContextTest, ExtTextOutFillsAndClipsItsRectangle)
{
    TextSurface surface(80, 30, NONANTIALIASED_QUALITY);
    SetBkMode(surface.Dc(), TRANSPARENT);
    SetBkColor(surface.Dc(), kRed);
    const RECT box{10, 5, 30, 20};
    ASSERT_TRUE(ExtTextOutA(surface.Dc(), 12, 6, ETO_OPAQUE | ETO_CLIPPED, &box, "WWWWWWWW", 8, nullptr));
    EXPECT_EQ(surface.At(10, 5), kRed);
    EXPECT_EQ(surface.At(29, 19), kRed);
    EXPECT_EQ(surface.At(30, 19), kWhite);
    for (int x : surface.InkColumns(12))
        EXPECT_TRUE(x >= 10 && x < 30) << x << ": clipped to the rectangle";

    // Character advances given by the caller.
    TextSurface spaced(80, 30, NONANTIALIASED_QUALITY);
    SetBkColor(spaced.Dc(), kBlue);
    const int dx[3] = {20, 20, 20};
    ExtTextOutA(spaced.Dc(), 0, 0, 0, nullptr, "iii", 3, dx);
    EXPECT_EQ(spaced.At(40, 0), kBlue) << "the third cell starts at 40";
}

TEST(DeviceContextTest, DrawTextExMarginsTabsAndPathEllipsis)
{
    TextSurface surface(200, 40, NONANTIALIASED_QUALITY);
    const int h = surface.Height();
    DRAWTEXTPARAMS params{sizeof(DRAWTEXTPARAMS), 4, 7, 3, 0};
    char text[] = "tab\tstop";
    RECT r{0, 0, 200, 40};
    DrawTextExA(surface.Dc(), text, -1, &r, DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE, &params);
    EXPECT_EQ(r.right, 7 + surface.Width("tab stop") + 3) << "a tab of 4 goes to column 4 with one space";
    EXPECT_EQ(params.uiLengthDrawn, 8u);

    DRAWTEXTPARAMS wrong{sizeof(DRAWTEXTPARAMS) + 1, 0, 0, 0, 0};
    RECT any{0, 0, 10, 10};
    EXPECT_EQ(DrawTextExA(surface.Dc(), text, -1, &any, DT_CALCRECT, &wrong), 0);

    // A long path keeps its last part.
    const char* path = "/usr/share/very/long/folder/names/file.txt";
    const int width = surface.Width(".../file.txt") + 10;
    RECT cut{0, 0, width, h};
    DrawTextA(surface.Dc(), path, -1, &cut, DT_CALCRECT | DT_SINGLELINE | DT_PATH_ELLIPSIS);
    EXPECT_LE(cut.right, width);
    EXPECT_GE(cut.right, surface.Width(".../file.txt"));
}

TEST(DeviceContextTest, ObjectsDescribeThemselves)
{
    Object<HPEN> pen(CreatePen(PS_DASH, 3, kRed));
    LOGPEN lp{};
    EXPECT_EQ(GetObjectA(pen.Get(), sizeof lp, &lp), static_cast<int>(sizeof lp));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DASH));
    EXPECT_EQ(lp.lopnWidth.x, 3);
    EXPECT_EQ(lp.lopnColor, kRed);
    EXPECT_EQ(GetObjectA(pen.Get(), 0, nullptr), static_cast<int>(sizeof lp));
    EXPECT_EQ(GetObjectA(pen.Get(), 2, &lp), 0) << "too small";

    Object<HBRUSH> hatch(CreateHatchBrush(HS_CROSS, kBlue));
    LOGBRUSH lb{};
    GetObjectA(hatch.Get(), sizeof lb, &lb);
    EXPECT_EQ(lb.lbStyle, BS_HATCHED);
    EXPECT_EQ(lb.lbHatch, static_cast<std::uintptr_t>(HS_CROSS));

    const BYTE rows[2] = {0, 0};
    Object<HBITMAP> mono(CreateBitmap(3, 1, 1, 1, rows));
    BITMAP bm{};
    GetObjectA(mono.Get(), sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidthBytes, 2);

    struct Bad {
        int width;
        int height;
        UINT planes;
        UINT bits;
    };
    for (const Bad& b :
         {Bad{0, 1, 1, 32}, Bad{1, -1, 1, 32}, Bad{1, 1, 2, 32}, Bad{1, 1, 1, 24}, Bad{100000, 1, 1, 32}})
        EXPECT_EQ(CreateBitmap(b.width, b.height, b.planes, b.bits, nullptr), nullptr)
            << b.width << "x" << b.height;
    EXPECT_EQ(CreatePen(9, 1, 0), nullptr);
    EXPECT_EQ(CreateHatchBrush(6, 0), nullptr);
    EXPECT_EQ(GetObjectType(GetStockObject(SYSTEM_FONT)), OBJ_FONT);
    EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST(DeviceContextTest, StateSettersRefuseWhatThePlatformRefuses)
{
    Surface surface(4, 4);
    HDC dc = surface.Dc();
    EXPECT_EQ(GetObjectType(dc), OBJ_DC);
    EXPECT_EQ(SetBkMode(dc, 3), 0);
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(SetROP2(dc, 17), 0);
    EXPECT_EQ(SetROP2(dc, R2_XORPEN), R2_COPYPEN);
    EXPECT_EQ(GetROP2(dc), R2_XORPEN);
    EXPECT_EQ(SetTextColor(dc, kRed), kBlack);
    EXPECT_EQ(GetTextColor(dc), kRed);
    EXPECT_EQ(SetBkColor(dc, kBlue), kWhite);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 4);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(dc, 12345), 0);

    // Two saves, then back to the first level at once.
    EXPECT_EQ(SaveDC(dc), 1);
    SetTextColor(dc, kWhite);
    EXPECT_EQ(SaveDC(dc), 2);
    SetTextColor(dc, kBlack);
    EXPECT_TRUE(RestoreDC(dc, 1));
    EXPECT_EQ(GetTextColor(dc), kRed);
    EXPECT_FALSE(RestoreDC(dc, 1));
    EXPECT_FALSE(RestoreDC(dc, 0));

    QImage pixel(1, 1, QImage::Format_RGB32);
    HDC stale = win32::CreateImageDC(pixel);
    ASSERT_TRUE(DeleteDC(stale));
    EXPECT_EQ(SetTextColor(stale, 0), CLR_INVALID);
    EXPECT_EQ(SaveDC(stale), 0);
    EXPECT_FALSE(DeleteDC(stale));
}

TEST(DeviceContextTest, ViewportOriginMovesDrawingAndClipping)
{
    Surface surface(20, 20);
    Object<HBRUSH> red(CreateSolidBrush(kRed));
    SetViewportOrgEx(surface.Dc(), 5, 6, nullptr);
    IntersectClipRect(surface.Dc(), 0, 0, 4, 4);
    RECT box{};
    GetClipBox(surface.Dc(), &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.bottom, 4);
    RECT all{-10, -10, 20, 20};
    FillRect(surface.Dc(), &all, red.Get());
    EXPECT_EQ(surface.At(0, 0), kRed) << "read through the same origin";
    SetViewportOrgEx(surface.Dc(), 0, 0, nullptr);
    EXPECT_EQ(surface.At(5, 6), kRed);
    EXPECT_EQ(surface.At(8, 9), kRed);
    EXPECT_EQ(surface.At(9, 9), CLR_INVALID) << "outside the clip";
    EXPECT_EQ(surface.At(4, 6), CLR_INVALID);
}

TEST(DeviceContextTest, FramesPolygonsAndWidePens)
{
    Surface surface(30, 30);
    Object<HBRUSH> red(CreateSolidBrush(kRed));
    RECT frame{1, 1, 9, 9};
    FrameRect(surface.Dc(), &frame, red.Get());
    EXPECT_EQ(surface.At(1, 1), kRed);
    EXPECT_EQ(surface.At(8, 8), kRed);
    EXPECT_EQ(surface.At(4, 4), kWhite);
    EXPECT_EQ(surface.At(9, 9), kWhite);

    SelectObject(surface.Dc(), red.Get());
    const POINT triangle[] = {{12, 2}, {28, 2}, {12, 18}};
    ASSERT_TRUE(Polygon(surface.Dc(), triangle, 3));
    EXPECT_EQ(surface.At(14, 5), kRed) << "inside";
    EXPECT_EQ(surface.At(12, 2), kBlack) << "outline";
    EXPECT_EQ(surface.At(27, 17), kWhite) << "outside";

    Object<HPEN> wide(CreatePen(PS_SOLID, 5, kBlue));
    SelectObject(surface.Dc(), wide.Get());
    MoveToEx(surface.Dc(), 2, 24, nullptr);
    LineTo(surface.Dc(), 20, 24);
    surface.Save("gdi-frames-polygons");
    EXPECT_EQ(surface.At(10, 22), kBlue) << "a wide pen covers its width";
    EXPECT_EQ(surface.At(10, 26), kBlue);
    SelectObject(surface.Dc(), GetStockObject(BLACK_PEN));
}

TEST(DeviceContextTest, DrawEdgeFlagsChooseColoursAndSides)
{
    struct Case {
        const char* name;
        UINT edge;
        UINT flags;
        int topLeft; // the colour at the outer top-left, or -1 for none drawn
        int bottomRight;
        int inner;
    };
    const Case cases[] = {
        {"soft raised", EDGE_RAISED, BF_RECT | BF_SOFT, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
        {"flat", EDGE_SUNKEN, BF_RECT | BF_FLAT, COLOR_BTNSHADOW, COLOR_BTNSHADOW, COLOR_BTNFACE},
        {"mono", EDGE_SUNKEN, BF_RECT | BF_MONO, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, COLOR_WINDOW},
        {"outer only", BDR_RAISEDOUTER, BF_RECT, COLOR_3DLIGHT, COLOR_3DDKSHADOW, -1},
        {"bottom-right sides", EDGE_RAISED, BF_BOTTOMRIGHT, -1, COLOR_3DDKSHADOW, -1},
    };
    for (const Case& c : cases) {
        Surface surface(12, 12, kBlue);
        RECT r{0, 0, 12, 12};
        ASSERT_TRUE(DrawEdge(surface.Dc(), &r, c.edge, c.flags));
        surface.Save(std::string("gdi-edge-flags-") + c.name);
        EXPECT_EQ(surface.At(0, 0), c.topLeft < 0 ? kBlue : GetSysColor(c.topLeft)) << c.name;
        EXPECT_EQ(surface.At(11, 11), GetSysColor(c.bottomRight)) << c.name;
        EXPECT_EQ(surface.At(1, 1), c.inner < 0 ? kBlue : GetSysColor(c.inner)) << c.name;
        EXPECT_EQ(surface.At(5, 5), kBlue) << c.name << ": no middle without BF_MIDDLE";
    }
    RECT r{0, 0, 4, 4};
    Surface surface(4, 4);
    EXPECT_FALSE(DrawEdge(surface.Dc(), &r, EDGE_RAISED, BF_DIAGONAL | BF_TOPLEFT));
}

} // namespace
