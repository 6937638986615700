// Pens, brushes, fonts and bitmaps: their tables, the stock objects and the
// deferred deletion of objects still selected somewhere.

#include "win32/DeviceContext.h"
#include "win32/Gdi_p.h"
#include "win32/HandleTable.h"
#include "win32/ImageLists.h"

#include <QColor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <string_view>

namespace win32::gdi {
namespace {

using Table = HandleTable<void*, ObjectPtr>;

Table& TableOf(ObjectKind kind)
{
    static auto& pens = *new Table(HandleKind::Pen);
    static auto& brushes = *new Table(HandleKind::Brush);
    static auto& fonts = *new Table(HandleKind::Font);
    static auto& bitmaps = *new Table(HandleKind::Bitmap);
    static auto& palettes = *new Table(HandleKind::Palette);
    switch (kind) {
    case ObjectKind::Pen:
        return pens;
    case ObjectKind::Brush:
        return brushes;
    case ObjectKind::Font:
        return fonts;
    case ObjectKind::Palette:
        return palettes;
    case ObjectKind::Bitmap:
        break;
    }
    return bitmaps;
}

constexpr std::array kKinds{ObjectKind::Pen, ObjectKind::Brush, ObjectKind::Font, ObjectKind::Bitmap,
                            ObjectKind::Palette};

} // namespace

HGDIOBJ Insert(std::shared_ptr<GdiObject> object)
{
    InstallImageListHooks();
    const ObjectKind kind = object->Kind;
    return TableOf(kind).Insert(std::move(object));
}

ObjectPtr Find(HGDIOBJ handle)
{
    if (!handle)
        return nullptr;
    for (ObjectKind kind : kKinds) {
        if (std::optional<ObjectPtr> found = TableOf(kind).Get(handle))
            return *found;
    }
    return nullptr;
}

void RemoveHandle(HGDIOBJ handle, ObjectKind kind)
{
    TableOf(kind).Remove(handle);
}

Selection::Selection(HGDIOBJ handle, ObjectPtr object) : Handle_(handle), Object_(std::move(object))
{
    if (Object_)
        ++Object_->Holders;
}

Selection::Selection(const Selection& other) : Selection(other.Handle_, other.Object_) {}

Selection& Selection::operator=(const Selection& other)
{
    Selection copy(other);
    std::swap(Handle_, copy.Handle_);
    std::swap(Object_, copy.Object_);
    return *this; // the copy lets the old object go
}

Selection::~Selection()
{
    Let();
}

void Selection::Let()
{
    if (Object_ && --Object_->Holders == 0 && Object_->DeletePending.exchange(false))
        RemoveHandle(Handle_, Object_->Kind);
    Object_.reset();
    Handle_ = nullptr;
}

QColor ToQColor(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

COLORREF FromQColor(const QColor& colour)
{
    return RGB(static_cast<BYTE>(colour.red()), static_cast<BYTE>(colour.green()),
               static_cast<BYTE>(colour.blue()));
}

QFont FontFromLog(const LOGFONTA& log)
{
    const std::string_view face(log.lfFaceName, strnlen(log.lfFaceName, LF_FACESIZE));
    QFont font(QString::fromStdString(MapFontFamily(face, log.lfPitchAndFamily)));
    // Every quality but the non-antialiased one draws as the desktop's own
    // text does: Qt's default strategy follows the desktop's font settings.
    if (log.lfQuality == NONANTIALIASED_QUALITY)
        font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    font.setWeight(
        QFont::Weight(std::clamp<int>(log.lfWeight == FW_DONTCARE ? FW_NORMAL : log.lfWeight, 100, 900)));
    font.setItalic(log.lfItalic != 0);
    font.setUnderline(log.lfUnderline != 0);
    font.setStrikeOut(log.lfStrikeOut != 0);
    if (log.lfHeight < 0) {
        font.setPixelSize(-log.lfHeight);
    } else if (log.lfHeight == 0) {
        font.setPixelSize(kDefaultFontPixels);
    } else {
        // A cell height: the largest character height whose cell fits.
        int pixels = log.lfHeight;
        for (; pixels > 1; --pixels) {
            font.setPixelSize(pixels);
            if (QFontMetrics(font).height() <= log.lfHeight)
                break;
        }
        font.setPixelSize(pixels);
    }
    return font;
}

LOGFONTA LogFromFont(const QFont& font)
{
    LOGFONTA log{};
    int pixels = font.pixelSize();
    if (pixels <= 0) {
        qreal dpi = 96;
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            if (const QScreen* screen = QGuiApplication::primaryScreen())
                dpi = screen->logicalDotsPerInchY();
        pixels = std::max(1, qRound(font.pointSizeF() * dpi / 72));
    }
    log.lfHeight = -pixels;
    // Qt's weights are on the platform's scale (100 to 900).
    log.lfWeight = font.weight();
    log.lfItalic = font.italic() ? 1 : 0;
    log.lfUnderline = font.underline() ? 1 : 0;
    log.lfStrikeOut = font.strikeOut() ? 1 : 0;
    log.lfCharSet = DEFAULT_CHARSET;
    const QByteArray family = font.family().toUtf8();
    std::strncpy(log.lfFaceName, family.constData(), LF_FACESIZE - 1);
    return log;
}

namespace {

std::shared_ptr<BrushObject> MakeSolid(COLORREF colour)
{
    auto brush = std::make_shared<BrushObject>();
    brush->Colour = KeepPaletteFlags(colour);
    return brush;
}

std::shared_ptr<PenObject> MakePen(int style, int width, COLORREF colour)
{
    auto pen = std::make_shared<PenObject>();
    pen->Style = style & PS_STYLE_MASK;
    pen->Width = std::max(width, 0);
    pen->Colour = KeepPaletteFlags(colour);
    return pen;
}

std::shared_ptr<FontObject> MakeFont(const LOGFONTA& log)
{
    auto font = std::make_shared<FontObject>();
    font->Log = log;
    font->Log.lfFaceName[LF_FACESIZE - 1] = '\0';
    font->Font = FontFromLog(font->Log);
    return font;
}

LOGFONTA LogFont(LONG height, LONG weight, const char* face)
{
    LOGFONTA log{};
    log.lfHeight = height;
    log.lfWeight = weight;
    log.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(log.lfFaceName, face, LF_FACESIZE - 1);
    return log;
}

template <class T>
HGDIOBJ InsertOwned(std::shared_ptr<T> object)
{
    return Insert(std::move(object));
}

} // namespace

std::shared_ptr<BrushObject> SystemColourBrush(HBRUSH brush)
{
    const auto value = reinterpret_cast<std::uintptr_t>(brush);
    if (value < 1 || value > COLOR_INFOBK + 1)
        return nullptr;
    return MakeSolid(GetSysColor(static_cast<int>(value) - 1));
}

} // namespace win32::gdi

using namespace win32::gdi;

HGDIOBJ GetStockObject(int object)
{
    static std::once_flag once;
    static std::array<HGDIOBJ, DEFAULT_GUI_FONT + 1> stock{};
    std::call_once(once, [] {
        const auto add = [](int index, std::shared_ptr<GdiObject> made) {
            made->Stock = true;
            stock[static_cast<std::size_t>(index)] = Insert(std::move(made));
        };
        add(WHITE_BRUSH, MakeSolid(RGB(255, 255, 255)));
        add(LTGRAY_BRUSH, MakeSolid(RGB(192, 192, 192)));
        add(GRAY_BRUSH, MakeSolid(RGB(128, 128, 128)));
        add(DKGRAY_BRUSH, MakeSolid(RGB(64, 64, 64)));
        add(BLACK_BRUSH, MakeSolid(RGB(0, 0, 0)));
        auto hollow = std::make_shared<BrushObject>();
        hollow->Style = BS_NULL;
        add(NULL_BRUSH, hollow);
        add(WHITE_PEN, MakePen(PS_SOLID, 0, RGB(255, 255, 255)));
        add(BLACK_PEN, MakePen(PS_SOLID, 0, RGB(0, 0, 0)));
        add(NULL_PEN, MakePen(PS_NULL, 0, 0));
        const LOGFONTA fixed = [] {
            LOGFONTA log = LogFont(13, FW_NORMAL, "Courier");
            log.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
            return log;
        }();
        add(OEM_FIXED_FONT, MakeFont(fixed));
        add(ANSI_FIXED_FONT, MakeFont(fixed));
        add(ANSI_VAR_FONT, MakeFont(LogFont(13, FW_NORMAL, "MS Sans Serif")));
        add(SYSTEM_FONT, MakeFont(LogFont(16, FW_BOLD, "System")));
        add(DEVICE_DEFAULT_FONT, MakeFont(LogFont(16, FW_BOLD, "System")));
        add(SYSTEM_FIXED_FONT, MakeFont(fixed));
        add(DEFAULT_GUI_FONT, MakeFont(LogFont(-11, FW_NORMAL, "MS Shell Dlg")));
    });
    if (object == DEFAULT_PALETTE)
        return DefaultPaletteHandle();
    if (object < 0 || object >= static_cast<int>(stock.size()))
        return nullptr;
    return stock[static_cast<std::size_t>(object)];
}

HPEN CreatePen(int style, int width, COLORREF colour)
{
    if ((style & PS_STYLE_MASK) > PS_INSIDEFRAME)
        return nullptr;
    return static_cast<HPEN>(InsertOwned(MakePen(style, width, colour)));
}

HPEN CreatePenIndirect(const LOGPEN* pen)
{
    return pen ? CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor) : nullptr;
}

HBRUSH CreateSolidBrush(COLORREF colour)
{
    return static_cast<HBRUSH>(InsertOwned(MakeSolid(colour)));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF colour)
{
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS)
        return nullptr;
    auto brush = MakeSolid(colour);
    brush->Style = BS_HATCHED;
    brush->Hatch = hatch;
    return static_cast<HBRUSH>(InsertOwned(brush));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap)
{
    const auto source = FindBitmap(bitmap);
    if (!source || source->Image.isNull())
        return nullptr;
    auto brush = std::make_shared<BrushObject>();
    brush->Style = BS_PATTERN;
    brush->Pattern = source->Image.copy();
    brush->Monochrome = source->BitsPerPixel == 1;
    brush->PatternBitmap = bitmap;
    return static_cast<HBRUSH>(InsertOwned(brush));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush)
{
    if (!brush)
        return nullptr;
    switch (brush->lbStyle) {
    case BS_SOLID:
        return CreateSolidBrush(brush->lbColor);
    case BS_NULL:
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case BS_HATCHED:
        return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_PATTERN:
        return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
    default:
        return nullptr;
    }
}

HBRUSH GetSysColorBrush(int index)
{
    static std::once_flag once;
    static std::array<HBRUSH, COLOR_INFOBK + 1> brushes{};
    std::call_once(once, [] {
        for (int i = 0; i <= COLOR_INFOBK; ++i) {
            auto brush = MakeSolid(GetSysColor(i));
            brush->Stock = true;
            brushes[static_cast<std::size_t>(i)] = static_cast<HBRUSH>(Insert(brush));
        }
    });
    if (index < 0 || index > COLOR_INFOBK)
        return nullptr;
    const HBRUSH brush = brushes[static_cast<std::size_t>(index)];
    // The colour follows the scheme in use.
    if (const auto found = FindBrush(brush))
        found->Colour = GetSysColor(index);
    return brush;
}

HFONT CreateFontIndirectA(const LOGFONTA* font)
{
    return font ? static_cast<HFONT>(InsertOwned(MakeFont(*font))) : nullptr;
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR face)
{
    LOGFONTA log = LogFont(height, weight, face ? face : "");
    log.lfWidth = width;
    log.lfEscapement = escapement;
    log.lfOrientation = orientation;
    log.lfItalic = static_cast<BYTE>(italic != 0);
    log.lfUnderline = static_cast<BYTE>(underline != 0);
    log.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
    log.lfCharSet = static_cast<BYTE>(charSet);
    log.lfOutPrecision = static_cast<BYTE>(outPrecision);
    log.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    log.lfQuality = static_cast<BYTE>(quality);
    log.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    return CreateFontIndirectA(&log);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    constexpr int kMaxSide = 16384;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || planes != 1 ||
        (bitsPerPixel != 1 && bitsPerPixel != 32))
        return nullptr;
    auto bitmap = std::make_shared<BitmapObject>();
    bitmap->BitsPerPixel = static_cast<int>(bitsPerPixel);
    bitmap->Image = QImage(width, height, QImage::Format_RGB32);
    bitmap->Image.fill(Qt::black);
    if (bits) {
        const auto* bytes = static_cast<const BYTE*>(bits);
        if (bitsPerPixel == 1) {
            const int stride = (width + 15) / 16 * 2;
            for (int y = 0; y < height; ++y) {
                auto* line = reinterpret_cast<QRgb*>(bitmap->Image.scanLine(y));
                for (int x = 0; x < width; ++x) {
                    const bool set = bytes[y * stride + x / 8] & (0x80 >> (x % 8));
                    line[x] = set ? 0xFFFFFFFF : 0xFF000000;
                }
            }
        } else {
            for (int y = 0; y < height; ++y) {
                auto* line = reinterpret_cast<QRgb*>(bitmap->Image.scanLine(y));
                std::memcpy(line, bytes + static_cast<std::size_t>(y) * width * 4,
                            static_cast<std::size_t>(width) * 4);
                for (int x = 0; x < width; ++x)
                    line[x] |= 0xFF000000;
            }
        }
    }
    return static_cast<HBITMAP>(InsertOwned(bitmap));
}

BOOL DeleteObject(HGDIOBJ object)
{
    const ObjectPtr found = Find(object);
    if (!found)
        return FALSE;
    if (found->Stock)
        return TRUE;
    if (found->Holders.load() > 0) {
        found->DeletePending = true;
        // The last holder may have let go meanwhile.
        if (found->Holders.load() == 0 && found->DeletePending.exchange(false))
            RemoveHandle(object, found->Kind);
        return TRUE;
    }
    RemoveHandle(object, found->Kind);
    return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer)
{
    const ObjectPtr found = Find(object);
    if (!found)
        return 0;
    const auto give = [&](const auto& value) {
        const int needed = static_cast<int>(sizeof(value));
        if (!buffer)
            return needed;
        if (size < needed)
            return 0;
        std::memcpy(buffer, &value, sizeof(value));
        return needed;
    };
    switch (found->Kind) {
    case ObjectKind::Pen: {
        const auto& pen = static_cast<const PenObject&>(*found);
        return give(LOGPEN{static_cast<UINT>(pen.Style), POINT{pen.Width, 0}, pen.Colour});
    }
    case ObjectKind::Brush: {
        const auto& brush = static_cast<const BrushObject&>(*found);
        const std::uintptr_t hatch = brush.Style == BS_PATTERN
                                         ? reinterpret_cast<std::uintptr_t>(brush.PatternBitmap)
                                         : static_cast<std::uintptr_t>(brush.Hatch);
        return give(LOGBRUSH{brush.Style, brush.Colour, hatch});
    }
    case ObjectKind::Font:
        return give(static_cast<const FontObject&>(*found).Log);
    case ObjectKind::Bitmap: {
        const auto& bitmap = static_cast<const BitmapObject&>(*found);
        const int width = bitmap.Image.width();
        const int widthBytes = bitmap.BitsPerPixel == 1 ? (width + 15) / 16 * 2 : width * 4;
        return give(BITMAP{0, width, bitmap.Image.height(), widthBytes, 1,
                           static_cast<WORD>(bitmap.BitsPerPixel), nullptr});
    }
    case ObjectKind::Palette:
        return give(static_cast<WORD>(static_cast<const PaletteObject&>(*found).Entries.size()));
    }
    return 0;
}

namespace win32 {

std::string MapFontFamily(std::string_view face, BYTE pitchAndFamily)
{
    static constexpr std::string_view kSans[] = {
        "",      "MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Tahoma", "Microsoft Sans Serif",
        "Arial", "Segoe UI",      "System",       "Helvetica",      "Verdana"};
    static constexpr std::string_view kMono[] = {"Courier", "Courier New", "Fixedsys", "Terminal",
                                                 "Lucida Console"};
    static constexpr std::string_view kSerif[] = {"Times New Roman", "Times", "MS Serif"};
    const auto in = [&](const auto& names) {
        return std::find(std::begin(names), std::end(names), face) != std::end(names);
    };
    if (in(kMono) || (face.empty() && (pitchAndFamily & 0x03) == FIXED_PITCH))
        return "DejaVu Sans Mono";
    if (in(kSerif))
        return "DejaVu Serif";
    if (in(kSans))
        return "DejaVu Sans";
    return std::string(face);
}

std::optional<QImage> BitmapImage(HBITMAP bitmap)
{
    const auto found = gdi::FindBitmap(bitmap);
    if (!found)
        return std::nullopt;
    return found->Image.copy();
}

HBITMAP CreateBitmapFromImage(const QImage& image)
{
    if (image.isNull())
        return nullptr;
    auto bitmap = std::make_shared<gdi::BitmapObject>();
    if (image.hasAlphaChannel()) {
        // Clear parts show as black, as a bitmap of the screen's depth keeps no alpha.
        bitmap->Image = QImage(image.size(), QImage::Format_RGB32);
        bitmap->Image.fill(Qt::black);
        QPainter painter(&bitmap->Image);
        painter.drawImage(0, 0, image);
    } else {
        bitmap->Image = image.convertToFormat(QImage::Format_RGB32);
    }
    return static_cast<HBITMAP>(gdi::Insert(bitmap));
}

std::optional<QFont> FontOf(HFONT font)
{
    const auto found = gdi::FindFont(font);
    if (!found)
        return std::nullopt;
    return found->Font;
}

} // namespace win32
