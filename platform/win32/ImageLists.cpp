// Image lists: the pictures, overlays and background colour of each list, and
// how one picture looks when drawn with a set of ILD_* flags.

#include "win32/ImageLists.h"

#include "win32/HandleTable.h"
#include "win32/Icons.h"

#include <QColor>
#include <QPainter>

#include <array>
#include <atomic>
#include <vector>

namespace {

constexpr int kMaxSide = 2048;
constexpr std::size_t kMaxImages = std::size_t{1} << 20;
constexpr int kOverlayCount = 15;

struct ImageListRecord {
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    int grow = 0;
    std::vector<QImage> images;
    COLORREF background = CLR_NONE;
    // overlays[n - 1]: the picture overlay number n names, -1 when none.
    std::array<int, kOverlayCount> overlays{};
    bool permanent = false;

    bool KeepsAlpha() const { return (flags & ILC_MASK) || (flags & 0x00FE) == ILC_COLOR32; }
    bool ValidIndex(int index) const { return index >= 0 && static_cast<std::size_t>(index) < images.size(); }
};

// What a picture must be made into before it goes in: read first, so that
// scaling happens outside the table's lock.
struct Geometry {
    int cx = 0;
    int cy = 0;
    bool keepsAlpha = true;
    bool operator==(const Geometry&) const = default;
};

Geometry GeometryOf(const ImageListRecord& record)
{
    return {record.cx, record.cy, record.KeepsAlpha()};
}

win32::HandleTable<HIMAGELIST, ImageListRecord>& Table()
{
    static auto& table = *new win32::HandleTable<HIMAGELIST, ImageListRecord>(win32::HandleKind::ImageList);
    return table;
}

std::optional<Geometry> GeometryOf(HIMAGELIST list)
{
    std::optional<Geometry> geometry;
    Table().Read(list, [&](const ImageListRecord& record) { geometry = GeometryOf(record); });
    return geometry;
}

std::atomic<win32::BitmapImageResolver> g_bitmapResolver{nullptr};
std::atomic<win32::ImageListPainter> g_painter{nullptr};

QColor FromColorRef(COLORREF colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

QImage Blank(int cx, int cy)
{
    QImage image(cx, cy, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A picture as the list keeps it: its size, its format, and opaque when the
// list has no mask.
QImage Fitted(const Geometry& list, const QImage& source)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.width() != list.cx || image.height() != list.cy)
        image = image.scaled(list.cx, list.cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!list.keepsAlpha) {
        QImage opaque(list.cx, list.cy, QImage::Format_ARGB32_Premultiplied);
        opaque.fill(Qt::black);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
        painter.end();
        image = std::move(opaque);
    }
    return image;
}

// Blends every pixel that is not clear with colour by weight (0 to 1).
void Blend(QImage& image, const QColor& colour, double weight)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int alpha = qAlpha(pixel);
            if (alpha == 0)
                continue;
            // Premultiplied: the colour's share is scaled by the pixel's alpha too.
            const auto mix = [&](int channel, int target) {
                return static_cast<int>(channel * (1 - weight) + target * alpha / 255.0 * weight + 0.5);
            };
            line[x] = qRgba(mix(qRed(pixel), colour.red()), mix(qGreen(pixel), colour.green()),
                            mix(qBlue(pixel), colour.blue()), alpha);
        }
    }
}

QImage MaskOf(const QImage& image)
{
    QImage mask(image.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(mask.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            out[x] = qAlpha(in[x]) == 0 ? qRgba(255, 255, 255, 255) : qRgba(0, 0, 0, 255);
    }
    return mask;
}

QImage OnBackground(const QImage& image, const QColor& background)
{
    QImage result(image.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(background);
    QPainter painter(&result);
    painter.drawImage(0, 0, image);
    return result;
}

// Appends pictures cut from a strip; the index of the first, or -1.
int AppendStrip(HIMAGELIST list, const QImage& strip)
{
    const std::optional<Geometry> geometry = GeometryOf(list);
    if (!geometry)
        return -1;
    const int count = strip.width() / geometry->cx;
    if (count <= 0)
        return -1;
    std::vector<QImage> pictures;
    for (int i = 0; i < count; ++i)
        pictures.push_back(Fitted(*geometry, strip.copy(i * geometry->cx, 0, geometry->cx, geometry->cy)));
    int first = -1;
    Table().Modify(list, [&](ImageListRecord& record) {
        // The size may have changed meanwhile: then nothing goes in.
        if (GeometryOf(record) != *geometry || record.images.size() + pictures.size() > kMaxImages)
            return;
        first = static_cast<int>(record.images.size());
        record.images.insert(record.images.end(), pictures.begin(), pictures.end());
    });
    return first;
}

std::optional<QImage> BitmapImage(HBITMAP bitmap)
{
    const win32::BitmapImageResolver resolver = g_bitmapResolver.load();
    if (!resolver || !bitmap)
        return std::nullopt;
    std::optional<QImage> image = resolver(bitmap);
    if (!image || image->isNull())
        return std::nullopt;
    return image->convertToFormat(QImage::Format_ARGB32);
}

} // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow)
{
    if (cx <= 0 || cy <= 0 || cx > kMaxSide || cy > kMaxSide || initial < 0 || grow < 0)
        return nullptr;
    ImageListRecord record;
    record.cx = cx;
    record.cy = cy;
    record.flags = flags;
    record.grow = grow;
    record.overlays.fill(-1);
    record.images.reserve(static_cast<std::size_t>(std::min(initial, 4096)));
    return Table().Insert(std::move(record));
}

BOOL ImageList_Destroy(HIMAGELIST list)
{
    bool permanent = true;
    if (!Table().Read(list, [&](const ImageListRecord& record) { permanent = record.permanent; }) ||
        permanent)
        return FALSE;
    return Table().Remove(list) ? TRUE : FALSE;
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask)
{
    std::optional<QImage> strip = BitmapImage(image);
    if (!strip)
        return -1;
    if (mask) {
        const std::optional<QImage> maskImage = BitmapImage(mask);
        if (!maskImage)
            return -1;
        // White in the mask is clear; the mask may be smaller than the strip.
        for (int y = 0; y < strip->height() && y < maskImage->height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(strip->scanLine(y));
            const auto* maskLine = reinterpret_cast<const QRgb*>(maskImage->constScanLine(y));
            for (int x = 0; x < strip->width() && x < maskImage->width(); ++x) {
                if (qGray(maskLine[x]) >= 128)
                    line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    return AppendStrip(list, *strip);
}

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask)
{
    std::optional<QImage> strip = BitmapImage(image);
    if (!strip)
        return -1;
    const QRgb clear = FromColorRef(mask).rgb();
    for (int y = 0; y < strip->height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(strip->scanLine(y));
        for (int x = 0; x < strip->width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == (clear & 0x00FFFFFF))
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return AppendStrip(list, *strip);
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon)
{
    const std::optional<QImage> image = win32::IconImage(icon);
    if (!image)
        return -1;
    return win32::ImageListSetImage(list, index, *image);
}

BOOL ImageList_Remove(HIMAGELIST list, int index)
{
    bool done = false;
    Table().Modify(list, [&](ImageListRecord& record) {
        if (index == -1) {
            record.images.clear();
            record.overlays.fill(-1);
            done = true;
            return;
        }
        if (!record.ValidIndex(index))
            return;
        record.images.erase(record.images.begin() + index);
        for (int& overlay : record.overlays) {
            if (overlay == index)
                overlay = -1;
            else if (overlay > index)
                --overlay;
        }
        done = true;
    });
    return done ? TRUE : FALSE;
}

int ImageList_GetImageCount(HIMAGELIST list)
{
    int count = 0;
    Table().Read(list,
                 [&](const ImageListRecord& record) { count = static_cast<int>(record.images.size()); });
    return count;
}

BOOL ImageList_SetImageCount(HIMAGELIST list, UINT count)
{
    if (count > kMaxImages)
        return FALSE;
    return Table().Modify(list,
                          [&](ImageListRecord& record) {
                              const QImage blank = Blank(record.cx, record.cy);
                              record.images.resize(count, blank);
                              for (int& overlay : record.overlays) {
                                  if (overlay >= static_cast<int>(count))
                                      overlay = -1;
                              }
                          })
               ? TRUE
               : FALSE;
}

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy)
{
    if (!cx || !cy)
        return FALSE;
    return Table().Read(list,
                        [&](const ImageListRecord& record) {
                            *cx = record.cx;
                            *cy = record.cy;
                        })
               ? TRUE
               : FALSE;
}

BOOL ImageList_SetIconSize(HIMAGELIST list, int cx, int cy)
{
    if (cx <= 0 || cy <= 0 || cx > kMaxSide || cy > kMaxSide)
        return FALSE;
    return Table().Modify(list,
                          [&](ImageListRecord& record) {
                              record.cx = cx;
                              record.cy = cy;
                              record.images.clear();
                              record.overlays.fill(-1);
                          })
               ? TRUE
               : FALSE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF colour)
{
    COLORREF previous = CLR_NONE;
    Table().Modify(list, [&](ImageListRecord& record) {
        previous = record.background;
        record.background = colour;
    });
    return previous;
}

COLORREF ImageList_GetBkColor(HIMAGELIST list)
{
    COLORREF colour = CLR_NONE;
    Table().Read(list, [&](const ImageListRecord& record) { colour = record.background; });
    return colour;
}

BOOL ImageList_SetOverlayImage(HIMAGELIST list, int image, int overlay)
{
    if (overlay < 1 || overlay > kOverlayCount)
        return FALSE;
    bool done = false;
    Table().Modify(list, [&](ImageListRecord& record) {
        if (image != -1 && !record.ValidIndex(image))
            return;
        record.overlays[static_cast<std::size_t>(overlay - 1)] = image;
        done = true;
    });
    return done ? TRUE : FALSE;
}

HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT flags)
{
    const QImage image = win32::ImageListImage(list, index, flags);
    return image.isNull() ? nullptr : win32::CreateIconFromImage(image);
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT flags)
{
    return ImageList_DrawEx(list, index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, flags);
}

BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT flags)
{
    const win32::ImageListPainter painter = g_painter.load();
    if (!painter || !dc || dx < 0 || dy < 0)
        return FALSE;
    QImage image = win32::ImageListImage(list, index, flags, foreground, background);
    if (image.isNull())
        return FALSE;
    if ((dx && dx < image.width()) || (dy && dy < image.height()))
        image = image.copy(0, 0, dx ? std::min(dx, image.width()) : image.width(),
                           dy ? std::min(dy, image.height()) : image.height());
    return painter(dc, x, y, image) ? TRUE : FALSE;
}

namespace win32 {

QImage ImageListImage(HIMAGELIST list, int index, UINT flags, COLORREF foreground, COLORREF background)
{
    QImage image;
    QImage overlay;
    COLORREF listBackground = CLR_NONE;
    const unsigned overlayNumber = (flags & ILD_OVERLAYMASK) >> 8;
    const bool live = Table().Read(list, [&](const ImageListRecord& record) {
        if (!record.ValidIndex(index))
            return;
        image = record.images[static_cast<std::size_t>(index)];
        if (overlayNumber >= 1) {
            const int overlayIndex = record.overlays[overlayNumber - 1];
            if (record.ValidIndex(overlayIndex))
                overlay = record.images[static_cast<std::size_t>(overlayIndex)];
        }
        listBackground = record.background;
    });
    if (!live || image.isNull())
        return {};
    image = image.copy(); // the list's own stays as it is
    if (!overlay.isNull()) {
        QPainter painter(&image);
        painter.drawImage(0, 0, overlay);
    }
    if (flags & ILD_MASK)
        return MaskOf(image);
    if (flags & ILD_IMAGE)
        return OnBackground(image, Qt::black);
    image = BlendedImage(image, flags, foreground);
    if (!(flags & ILD_TRANSPARENT)) {
        const COLORREF fill = background == CLR_DEFAULT ? listBackground : background;
        if (fill != CLR_NONE && fill != CLR_DEFAULT)
            image = OnBackground(image, FromColorRef(fill));
    }
    return image;
}

QImage BlendedImage(const QImage& image, UINT flags, COLORREF foreground)
{
    if (!(flags & (ILD_BLEND50 | ILD_BLEND25)) || foreground == CLR_NONE || image.isNull())
        return image;
    QImage blended = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const COLORREF colour = foreground == CLR_DEFAULT ? kDefaultBlendColour : foreground;
    Blend(blended, FromColorRef(colour), (flags & ILD_BLEND50) ? 0.5 : 0.25);
    return blended;
}

int ImageListSetImage(HIMAGELIST list, int index, const QImage& image)
{
    if (image.isNull() || index < -1)
        return -1;
    const std::optional<Geometry> geometry = GeometryOf(list);
    if (!geometry)
        return -1;
    QImage picture = Fitted(*geometry, image);
    int result = -1;
    Table().Modify(list, [&](ImageListRecord& record) {
        if (GeometryOf(record) != *geometry)
            return;
        if (index == -1) {
            if (record.images.size() >= kMaxImages)
                return;
            record.images.push_back(std::move(picture));
            result = static_cast<int>(record.images.size()) - 1;
        } else if (record.ValidIndex(index)) {
            record.images[static_cast<std::size_t>(index)] = std::move(picture);
            result = index;
        }
    });
    return result;
}

int ImageListAppendFrom(HIMAGELIST list, int index, const QImage& image)
{
    if (image.isNull() || index < 0 || static_cast<std::size_t>(index) >= kMaxImages)
        return -1;
    const std::optional<Geometry> geometry = GeometryOf(list);
    if (!geometry)
        return -1;
    QImage picture = Fitted(*geometry, image);
    int result = -1;
    Table().Modify(list, [&](ImageListRecord& record) {
        if (GeometryOf(record) != *geometry || record.images.size() >= kMaxImages)
            return;
        if (record.images.size() < static_cast<std::size_t>(index))
            record.images.resize(static_cast<std::size_t>(index), Blank(record.cx, record.cy));
        record.images.push_back(std::move(picture));
        result = static_cast<int>(record.images.size()) - 1;
    });
    return result;
}

int ImageListOverlayImage(HIMAGELIST list, int overlay)
{
    int image = -1;
    if (overlay >= 1 && overlay <= kOverlayCount)
        Table().Read(list, [&](const ImageListRecord& record) {
            image = record.overlays[static_cast<std::size_t>(overlay - 1)];
        });
    return image;
}

bool MakeImageListPermanent(HIMAGELIST list)
{
    return Table().Modify(list, [](ImageListRecord& record) { record.permanent = true; });
}

void SetBitmapImageResolver(BitmapImageResolver resolver)
{
    g_bitmapResolver.store(resolver);
}

void SetImageListPainter(ImageListPainter painter)
{
    g_painter.store(painter);
}

} // namespace win32
