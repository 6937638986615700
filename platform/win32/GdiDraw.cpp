// Drawing on device contexts with the platform's pixel rules: lines are
// rasterised here (last point left out, dash styles, ROP2 modes) and filled
// as runs of pixels, so what is drawn twice in XOR mode comes back exactly.

#include "win32/DeviceContext.h"
#include "win32/DeviceContext_p.h"

#include <QPainterPath>

#include <cstdlib>
#include <vector>

namespace win32::gdi {

std::optional<Rop> Rop2(int mode, COLORREF colour)
{
    using M = QPainter::CompositionMode;
    const QColor pen = ToQColor(colour);
    switch (mode) {
    case R2_BLACK:
        return Rop{M::CompositionMode_Source, Qt::black};
    case R2_WHITE:
        return Rop{M::CompositionMode_Source, Qt::white};
    case R2_NOP:
        return std::nullopt;
    case R2_NOT:
        return Rop{M::RasterOp_NotDestination, pen};
    case R2_NOTCOPYPEN:
        return Rop{M::RasterOp_NotSource, pen};
    case R2_XORPEN:
        return Rop{M::RasterOp_SourceXorDestination, pen};
    case R2_NOTXORPEN:
        return Rop{M::RasterOp_NotSourceXorDestination, pen};
    case R2_MASKPEN:
        return Rop{M::RasterOp_SourceAndDestination, pen};
    case R2_MERGEPEN:
        return Rop{M::RasterOp_SourceOrDestination, pen};
    case R2_NOTMASKPEN:
        return Rop{M::RasterOp_NotSourceOrNotDestination, pen};
    case R2_NOTMERGEPEN:
        return Rop{M::RasterOp_NotSourceAndNotDestination, pen};
    case R2_MASKNOTPEN:
        return Rop{M::RasterOp_NotSourceAndDestination, pen};
    case R2_MASKPENNOT:
        return Rop{M::RasterOp_SourceAndNotDestination, pen};
    case R2_MERGENOTPEN:
        return Rop{M::RasterOp_NotSourceOrDestination, pen};
    case R2_MERGEPENNOT:
        return Rop{M::RasterOp_SourceOrNotDestination, pen};
    default:
        return Rop{M::CompositionMode_SourceOver, pen};
    }
}

namespace {

QImage HatchPattern(const BrushObject& brush, const DcState& state)
{
    QImage pattern(8, 8, QImage::Format_ARGB32_Premultiplied);
    pattern.fill(state.BkMode == OPAQUE ? ColourIn(state, state.BkColour) : QColor(Qt::transparent));
    const QRgb ink = ColourIn(state, brush.Colour).rgba();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool horizontal = y == 7;
            const bool vertical = x == 7;
            const bool forward = x == y;
            const bool backward = x + y == 7;
            bool on = false;
            switch (brush.Hatch) {
            case HS_HORIZONTAL:
                on = horizontal;
                break;
            case HS_VERTICAL:
                on = vertical;
                break;
            case HS_FDIAGONAL:
                on = forward;
                break;
            case HS_BDIAGONAL:
                on = backward;
                break;
            case HS_CROSS:
                on = horizontal || vertical;
                break;
            default:
                on = forward || backward;
                break;
            }
            if (on)
                pattern.setPixel(x, y, ink);
        }
    }
    return pattern;
}

// A monochrome pattern takes the context's colours: 0 bits the text colour,
// 1 bits the background colour.
QImage MappedPattern(const BrushObject& brush, const DcState& state)
{
    if (!brush.Monochrome)
        return brush.Pattern;
    QImage pattern = brush.Pattern.copy();
    const QRgb zero = ColourIn(state, state.TextColour).rgb();
    const QRgb one = ColourIn(state, state.BkColour).rgb();
    for (int y = 0; y < pattern.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(pattern.scanLine(y));
        for (int x = 0; x < pattern.width(); ++x)
            line[x] = qGray(line[x]) >= 128 ? one : zero;
    }
    return pattern;
}

} // namespace

void FillDevice(DeviceContext& dc, QPainter& painter, const QRect& rect, const BrushObject& brush,
                QPainter::CompositionMode mode)
{
    if (brush.Style == BS_NULL || rect.isEmpty())
        return;
    painter.setCompositionMode(mode);
    if (brush.Style == BS_SOLID) {
        painter.fillRect(rect, ColourIn(dc.State(), brush.Colour));
        return;
    }
    const QImage pattern =
        brush.Style == BS_HATCHED ? HatchPattern(brush, dc.State()) : MappedPattern(brush, dc.State());
    // The brush origin is in device units of the context.
    painter.setBrushOrigin(dc.Base() + dc.State().BrushOrigin);
    painter.fillRect(rect, QBrush(pattern));
    painter.setBrushOrigin(0, 0);
}

} // namespace win32::gdi

using namespace win32::gdi;

namespace {

// Pixels of a line from a to b, b left out.
void LinePixels(QPoint a, QPoint b, std::vector<QPoint>& out)
{
    const int dx = std::abs(b.x() - a.x());
    const int dy = -std::abs(b.y() - a.y());
    const int sx = a.x() < b.x() ? 1 : -1;
    const int sy = a.y() < b.y() ? 1 : -1;
    int error = dx + dy;
    int x = a.x();
    int y = a.y();
    while (x != b.x() || y != b.y()) {
        out.emplace_back(x, y);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

// The on and off lengths of a cosmetic pen's style.
std::vector<int> DashPattern(int style)
{
    switch (style) {
    case PS_DASH:
        return {18, 6};
    case PS_DOT:
        return {3, 3};
    case PS_DASHDOT:
        return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

// Fills single pixels, joined into runs along rows and columns.
void FillPixels(QPainter& painter, const std::vector<QPoint>& pixels, const QColor& colour)
{
    std::size_t i = 0;
    while (i < pixels.size()) {
        QRect run(pixels[i], QSize(1, 1));
        std::size_t j = i + 1;
        for (; j < pixels.size(); ++j) {
            const QPoint p = pixels[j];
            if (run.height() == 1 && p.y() == run.top() && p.x() == run.right() + 1)
                run.setRight(p.x());
            else if (run.height() == 1 && p.y() == run.top() && p.x() == run.left() - 1)
                run.setLeft(p.x());
            else if (run.width() == 1 && p.x() == run.left() && p.y() == run.bottom() + 1)
                run.setBottom(p.y());
            else if (run.width() == 1 && p.x() == run.left() && p.y() == run.top() - 1)
                run.setTop(p.y());
            else
                break;
        }
        painter.fillRect(run, colour);
        i = j;
    }
}

// Draws the polyline through points (device coordinates) with the selected
// pen; each segment leaves out its last point, so a closed figure touches
// every pixel once.
void StrokeDevice(DeviceContext& dc, QPainter& painter, const std::vector<QPoint>& points)
{
    const PenObject& pen = dc.Pen();
    if (pen.Style == PS_NULL || points.size() < 2)
        return;
    const std::optional<Rop> rop = Rop2(dc.State().Rop2, FromQColor(ColourIn(dc.State(), pen.Colour)));
    if (!rop)
        return;
    painter.setCompositionMode(rop->Mode);
    if (pen.Width > 1) {
        QPen wide(rop->Colour, pen.Width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(wide);
        painter.setBrush(Qt::NoBrush);
        QPainterPath path(points.front());
        for (std::size_t i = 1; i < points.size(); ++i)
            path.lineTo(points[i]);
        painter.drawPath(path);
        painter.setPen(Qt::NoPen);
        return;
    }
    std::vector<QPoint> pixels;
    for (std::size_t i = 1; i < points.size(); ++i)
        LinePixels(points[i - 1], points[i], pixels);
    const std::vector<int> dashes = DashPattern(pen.Style);
    if (dashes.empty()) {
        FillPixels(painter, pixels, rop->Colour);
        return;
    }
    std::vector<QPoint> on;
    std::vector<QPoint> off;
    std::size_t dash = 0;
    int left = dashes[0];
    for (const QPoint& pixel : pixels) {
        (dash % 2 == 0 ? on : off).push_back(pixel);
        if (--left == 0) {
            dash = (dash + 1) % dashes.size();
            left = dashes[dash];
        }
    }
    FillPixels(painter, on, rop->Colour);
    if (dc.State().BkMode == OPAQUE) {
        if (const std::optional<Rop> gaps = Rop2(dc.State().Rop2, dc.State().BkColour))
            FillPixels(painter, off, gaps->Colour);
    }
}

std::optional<QPainter::CompositionMode> BrushRop(DeviceContext& dc)
{
    const std::optional<Rop> rop = Rop2(dc.State().Rop2, 0);
    if (!rop)
        return std::nullopt;
    return rop->Mode;
}

// A brush handle, or a system colour plus one.
std::shared_ptr<BrushObject> ResolveBrush(HBRUSH brush)
{
    if (auto system = SystemColourBrush(brush))
        return system;
    return FindBrush(brush);
}

QRect LogicalRect(const RECT& rect)
{
    return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

Drawing Open(HDC dc)
{
    return Drawing(FindDC(dc));
}

void FillSolid(Drawing& d, const QRect& logical, COLORREF colour)
{
    d.Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    d.Painter->fillRect(d.Dc->ToDevice(logical), ToQColor(colour));
}

// Whether a raster operation needs a source, and how it composes.
struct Rop3 {
    DWORD Code;
    bool Source;
    bool Pattern;
    QPainter::CompositionMode Mode;
};

constexpr Rop3 kRop3[] = {
    {SRCCOPY, true, false, QPainter::CompositionMode_Source},
    {SRCPAINT, true, false, QPainter::RasterOp_SourceOrDestination},
    {SRCAND, true, false, QPainter::RasterOp_SourceAndDestination},
    {SRCINVERT, true, false, QPainter::RasterOp_SourceXorDestination},
    {SRCERASE, true, false, QPainter::RasterOp_SourceAndNotDestination},
    {NOTSRCCOPY, true, false, QPainter::RasterOp_NotSource},
    {NOTSRCERASE, true, false, QPainter::RasterOp_NotSourceAndNotDestination},
    {MERGEPAINT, true, false, QPainter::RasterOp_NotSourceOrDestination},
    {PATCOPY, false, true, QPainter::CompositionMode_Source},
    {PATINVERT, false, true, QPainter::RasterOp_SourceXorDestination},
    {DSTINVERT, false, false, QPainter::RasterOp_NotDestination},
    {BLACKNESS, false, false, QPainter::CompositionMode_Source},
    {WHITENESS, false, false, QPainter::CompositionMode_Source},
};

const Rop3* FindRop3(DWORD code)
{
    for (const Rop3& rop : kRop3)
        if (rop.Code == code)
            return &rop;
    return nullptr;
}

// Pixels of a source context's surface, as a destination sees them: a
// monochrome source takes the destination's text (0) and background (1)
// colours; a monochrome destination makes the source's background colour
// white and every other colour black.
std::optional<QImage> SourcePixels(DeviceContext& source, DeviceContext& target, const QRect& rect)
{
    const QImage* surface = source.SurfaceImage();
    if (!surface)
        return std::nullopt;
    QImage pixels = surface->copy(rect).convertToFormat(QImage::Format_RGB32);
    if (source.MonochromeSurface() && !target.MonochromeSurface()) {
        const QRgb zero = ColourIn(target.State(), target.State().TextColour).rgb();
        const QRgb one = ColourIn(target.State(), target.State().BkColour).rgb();
        for (int y = 0; y < pixels.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(pixels.scanLine(y));
            for (int x = 0; x < pixels.width(); ++x)
                line[x] = qGray(line[x]) >= 128 ? one : zero;
        }
    } else if (!source.MonochromeSurface() && target.MonochromeSurface()) {
        const QRgb background = ColourIn(source.State(), source.State().BkColour).rgb();
        for (int y = 0; y < pixels.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(pixels.scanLine(y));
            for (int x = 0; x < pixels.width(); ++x)
                line[x] = (line[x] | 0xFF000000) == background ? 0xFFFFFFFF : 0xFF000000;
        }
    }
    return pixels;
}

BOOL Blt(HDC dc, const QRect& target, HDC sourceDc, const QRect& sourceRect, DWORD code)
{
    const Rop3* rop = FindRop3(code);
    Drawing d = Open(dc);
    if (!rop || !d)
        return FALSE;
    const QRect device = d.Dc->ToDevice(target);
    if (!rop->Source) {
        if (code == BLACKNESS || code == WHITENESS) {
            d.Painter->setCompositionMode(rop->Mode);
            d.Painter->fillRect(device, code == BLACKNESS ? Qt::black : Qt::white);
        } else if (rop->Pattern) {
            FillDevice(*d.Dc, *d.Painter, device, d.Dc->Brush(), rop->Mode);
        } else {
            d.Painter->setCompositionMode(rop->Mode);
            d.Painter->fillRect(device, Qt::white);
        }
        return TRUE;
    }
    const DcPtr source = FindDC(sourceDc);
    if (!source)
        return FALSE;
    const std::optional<QImage> pixels = SourcePixels(*source, *d.Dc, source->ToDevice(sourceRect));
    if (!pixels)
        return FALSE;
    d.Painter->setCompositionMode(rop->Mode);
    d.Painter->drawImage(device, *pixels);
    return TRUE;
}

QRect Extent(int x, int y, int width, int height)
{
    return QRect(x, y, width, height).normalized();
}

} // namespace

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop)
{
    const Rop3* found = FindRop3(rop);
    if (!found || found->Source)
        return FALSE;
    return Blt(dc, Extent(x, y, width, height), nullptr, {}, rop);
}

BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop)
{
    return Blt(dc, Extent(x, y, width, height), source, QRect(sx, sy, std::abs(width), std::abs(height)),
               rop);
}

BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int sx, int sy, int sw, int sh,
                DWORD rop)
{
    return Blt(dc, Extent(x, y, width, height), source, Extent(sx, sy, sw, sh), rop);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    const DcPtr found = FindDC(dc);
    if (!found)
        return nullptr;
    return CreateBitmap(width, height, 1, found->MonochromeSurface() ? 1 : 32, nullptr);
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    const std::shared_ptr<BrushObject> fill = ResolveBrush(brush);
    Drawing d = Open(dc);
    if (!rect || !fill || !d)
        return 0;
    FillDevice(*d.Dc, *d.Painter, d.Dc->ToDevice(LogicalRect(*rect)), *fill,
               QPainter::CompositionMode_SourceOver);
    return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    const std::shared_ptr<BrushObject> fill = ResolveBrush(brush);
    Drawing d = Open(dc);
    if (!rect || !fill || !d)
        return 0;
    const QRect r = d.Dc->ToDevice(LogicalRect(*rect));
    if (r.isEmpty())
        return 1;
    const auto side = [&](const QRect& part) {
        FillDevice(*d.Dc, *d.Painter, part, *fill, QPainter::CompositionMode_SourceOver);
    };
    side(QRect(r.left(), r.top(), r.width(), 1));
    if (r.height() > 1)
        side(QRect(r.left(), r.bottom(), r.width(), 1));
    if (r.height() > 2) {
        side(QRect(r.left(), r.top() + 1, 1, r.height() - 2));
        if (r.width() > 1)
            side(QRect(r.right(), r.top() + 1, 1, r.height() - 2));
    }
    return 1;
}

BOOL InvertRect(HDC dc, const RECT* rect)
{
    Drawing d = Open(dc);
    if (!rect || !d)
        return FALSE;
    d.Painter->setCompositionMode(QPainter::RasterOp_NotDestination);
    d.Painter->fillRect(d.Dc->ToDevice(LogicalRect(*rect)), Qt::white);
    return TRUE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom)
{
    Drawing d = Open(dc);
    if (!d)
        return FALSE;
    const int l = std::min(left, right);
    const int r = std::max(left, right);
    const int t = std::min(top, bottom);
    const int b = std::max(top, bottom);
    if (r - l < 1 || b - t < 1)
        return TRUE;
    const bool outline = d.Dc->Pen().Style != PS_NULL;
    // Without a pen the interior loses its right column and bottom row too.
    const QRect interior = outline ? QRect(QPoint(l + 1, t + 1), QPoint(r - 2, b - 2))
                                   : QRect(QPoint(l, t), QPoint(r - 2, b - 2));
    if (const auto mode = BrushRop(*d.Dc))
        FillDevice(*d.Dc, *d.Painter, d.Dc->ToDevice(interior), d.Dc->Brush(), *mode);
    if (outline) {
        std::vector<QPoint> corners{d.Dc->ToDevice(l, t), d.Dc->ToDevice(r - 1, t),
                                    d.Dc->ToDevice(r - 1, b - 1), d.Dc->ToDevice(l, b - 1),
                                    d.Dc->ToDevice(l, t)};
        if (r - l == 1 || b - t == 1) // a line: every pixel once
            corners = {d.Dc->ToDevice(l, t),
                       d.Dc->ToDevice(r - 1, b - 1) + (r - l == 1 ? QPoint(0, 1) : QPoint(1, 0))};
        StrokeDevice(*d.Dc, *d.Painter, corners);
    }
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y)
{
    Drawing d = Open(dc);
    if (!d)
        return FALSE;
    QPoint& current = d.Dc->State().Current;
    StrokeDevice(*d.Dc, *d.Painter, {d.Dc->ToDevice(current.x(), current.y()), d.Dc->ToDevice(x, y)});
    current = QPoint(x, y);
    return TRUE;
}

// The caller's points in the device's coordinates.
static std::vector<QPoint> ToDevicePoints(const DeviceContext& dc, const POINT* points, int count)
{
    std::vector<QPoint> device;
    device.reserve(count);
    for (int i = 0; i < count; ++i)
        device.push_back(dc.ToDevice(points[i].x, points[i].y));
    return device;
}

BOOL Polyline(HDC dc, const POINT* points, int count)
{
    Drawing d = Open(dc);
    if (!d || !points || count < 2)
        return FALSE;
    const std::vector<QPoint> device = ToDevicePoints(*d.Dc, points, count);
    StrokeDevice(*d.Dc, *d.Painter, device);
    return TRUE;
}

BOOL Polygon(HDC dc, const POINT* points, int count)
{
    Drawing d = Open(dc);
    if (!d || !points || count < 2)
        return FALSE;
    std::vector<QPoint> device = ToDevicePoints(*d.Dc, points, count);
    if (const auto mode = BrushRop(*d.Dc); mode && d.Dc->Brush().Style != BS_NULL) {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        path.addPolygon(QPolygonF(QPolygon(QList<QPoint>(device.begin(), device.end()))));
        path.closeSubpath();
        // Filled through a mask so that patterns and ROP2 apply as for rectangles.
        const QRect bounds = path.boundingRect().toAlignedRect();
        d.Painter->save();
        d.Painter->setClipPath(path, Qt::IntersectClip);
        FillDevice(*d.Dc, *d.Painter, bounds, d.Dc->Brush(), *mode);
        d.Painter->restore();
    }
    device.push_back(device.front());
    StrokeDevice(*d.Dc, *d.Painter, device);
    return TRUE;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour)
{
    Drawing d = Open(dc);
    if (!d)
        return CLR_INVALID;
    d.Painter->setCompositionMode(QPainter::CompositionMode_Source);
    d.Painter->fillRect(QRect(d.Dc->ToDevice(x, y), QSize(1, 1)), ColourIn(d.Dc->State(), colour));
    return colour & 0xFFFFFF;
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    const DcPtr found = FindDC(dc);
    const QImage* surface = found ? found->SurfaceImage() : nullptr;
    if (!surface)
        return CLR_INVALID;
    const QPoint at = found->ToDevice(x, y);
    if (!surface->rect().contains(at) || !found->EffectiveClip().contains(at))
        return CLR_INVALID;
    return FromQColor(QColor::fromRgb(surface->pixel(at)));
}

namespace {

struct EdgeColours {
    int TopLeft;
    int BottomRight;
};

std::optional<EdgeColours> OuterColours(UINT edge, UINT flags)
{
    if (!(edge & BDR_OUTER))
        return std::nullopt;
    if (flags & BF_MONO)
        return EdgeColours{COLOR_WINDOWFRAME, COLOR_WINDOWFRAME};
    if (flags & BF_FLAT)
        return EdgeColours{COLOR_BTNSHADOW, COLOR_BTNSHADOW};
    if (edge & BDR_RAISEDOUTER)
        return EdgeColours{(flags & BF_SOFT) ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT, COLOR_3DDKSHADOW};
    return EdgeColours{(flags & BF_SOFT) ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
}

std::optional<EdgeColours> InnerColours(UINT edge, UINT flags)
{
    if (!(edge & BDR_INNER))
        return std::nullopt;
    if (flags & BF_MONO)
        return EdgeColours{COLOR_WINDOW, COLOR_WINDOW};
    if (flags & BF_FLAT)
        return EdgeColours{COLOR_BTNFACE, COLOR_BTNFACE};
    if (edge & BDR_RAISEDINNER)
        return EdgeColours{(flags & BF_SOFT) ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
    return EdgeColours{(flags & BF_SOFT) ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW, COLOR_3DLIGHT};
}

// One ring of an edge: the top-left colour owns the left column and the top
// row up to the corners the bottom-right colour owns.
void EdgeRing(Drawing& d, QRect& r, const EdgeColours& colours, UINT flags)
{
    if (r.isEmpty())
        return;
    const COLORREF tl = GetSysColor(colours.TopLeft);
    const COLORREF br = GetSysColor(colours.BottomRight);
    const int rightCut = (flags & BF_RIGHT) ? 1 : 0;
    const int bottomCut = (flags & BF_BOTTOM) ? 1 : 0;
    if (flags & BF_TOP)
        FillSolid(d, QRect(r.left(), r.top(), r.width() - rightCut, 1), tl);
    if (flags & BF_LEFT)
        FillSolid(d, QRect(r.left(), r.top(), 1, r.height() - bottomCut), tl);
    if (flags & BF_RIGHT)
        FillSolid(d, QRect(r.right(), r.top(), 1, r.height()), br);
    if (flags & BF_BOTTOM)
        FillSolid(d, QRect(r.left(), r.bottom(), r.width(), 1), br);
    r.adjust((flags & BF_LEFT) ? 1 : 0, (flags & BF_TOP) ? 1 : 0, -rightCut, -bottomCut);
}

} // namespace

BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags)
{
    // Diagonal edges are not drawn by any code of ours.
    if (!rect || (flags & BF_DIAGONAL))
        return FALSE;
    Drawing d = Open(dc);
    if (!d)
        return FALSE;
    QRect r = LogicalRect(*rect);
    if (const auto outer = OuterColours(edge, flags))
        EdgeRing(d, r, *outer, flags);
    if (const auto inner = InnerColours(edge, flags))
        EdgeRing(d, r, *inner, flags);
    if ((flags & BF_MIDDLE) && !r.isEmpty())
        FillSolid(d, r, GetSysColor((flags & (BF_FLAT | BF_MONO)) ? COLOR_WINDOW : COLOR_BTNFACE));
    if (flags & BF_ADJUST)
        *rect = RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect)
{
    Drawing d = Open(dc);
    if (!rect || !d)
        return FALSE;
    const QRect r = d.Dc->ToDevice(LogicalRect(*rect));
    if (r.isEmpty())
        return TRUE;
    // Every other pixel of the border inverted, each pixel once, so a second
    // call takes the rectangle away again.
    std::vector<QPoint> border;
    for (int x = r.left(); x <= r.right(); ++x) {
        border.emplace_back(x, r.top());
        if (r.height() > 1)
            border.emplace_back(x, r.bottom());
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        border.emplace_back(r.left(), y);
        if (r.width() > 1)
            border.emplace_back(r.right(), y);
    }
    d.Painter->setCompositionMode(QPainter::RasterOp_NotDestination);
    for (const QPoint& p : border)
        if ((p.x() + p.y()) % 2 == 0)
            d.Painter->fillRect(QRect(p, QSize(1, 1)), Qt::white);
    return TRUE;
}
