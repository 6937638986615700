// The icon resources of the stand-in modules: the shell's overlays (29 the
// share hand, 30 the shortcut arrow, both at the bottom-left of a picture
// that is otherwise clear, as the system image lists lay them over item
// icons) and the system's icons that LoadIcon finds with no module.
//
// Overlays are small and must stay crisp, so they are pixel art at 16 and 32
// pixels; other sizes are scaled from the nearer one. The system icons are
// drawn by code at any size.

#include "win32/Icons.h"

#include "win32/Modules.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cctype>
#include <map>
#include <mutex>
#include <string>

namespace {

// ---- Pixel art ----

struct PixelArt {
    int size;
    int top; // the row the first line lands on
    std::initializer_list<const char*> rows;
};

QRgb ArtColour(char c)
{
    switch (c) {
    case 'k':
        return qRgba(0, 0, 0, 255);
    case 'w':
        return qRgba(255, 255, 255, 255);
    case 's': // skin
        return qRgba(255, 222, 173, 255);
    case 'd': // skin in shadow
        return qRgba(222, 176, 120, 255);
    case 'b': // sleeve
        return qRgba(16, 64, 200, 255);
    case 'l': // sleeve, lit
        return qRgba(96, 144, 255, 255);
    default:
        return qRgba(0, 0, 0, 0);
    }
}

QImage FromArt(const PixelArt& art)
{
    QImage image(art.size, art.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    int y = art.top;
    for (const char* row : art.rows) {
        for (int x = 0; row[x] && x < art.size; ++x)
            image.setPixel(x, y, qPremultiply(ArtColour(row[x])));
        ++y;
    }
    return image;
}

// clang-format off
// A bold arrow bending up to the right, in a white box with a black edge.
const PixelArt kShortcut16{16, 6, {
    "kkkkkkkkkk",
    "kwwwwwwwwk",
    "kwwwkkkkwk",
    "kwwwwkkkwk",
    "kwwwkkkkwk",
    "kwwkkkwkwk",
    "kwkkkwwwwk",
    "kwkkwwwwwk",
    "kwwwwwwwwk",
    "kkkkkkkkkk",
}};
const PixelArt kShortcut32{32, 19, {
    "kkkkkkkkkkkkk",
    "kwwwwwwwwwwwk",
    "kwwwwwkkkkkwk",
    "kwwwwwwwkkkwk",
    "kwwwwwwkkkkwk",
    "kwwwwwkkkwkwk",
    "kwwwwkkkwwkwk",
    "kwwwkkkwwwwwk",
    "kwwkkkwwwwwwk",
    "kwwkkwwwwwwwk",
    "kwwkkwwwwwwwk",
    "kwwwwwwwwwwwk",
    "kkkkkkkkkkkkk",
}};

// An open hand from a blue sleeve, palm up, thumb raised.
const PixelArt kShare16{16, 9, {
    ".....kk.....",
    "....ksdk....",
    "kkkkssdkkkk.",
    "kblksssssssk",
    "kblkssskkkk.",
    "kblksssssssk",
    "kkkkkkkkkkk.",
}};
const PixelArt kShare32{32, 21, {
    "........kk........",
    ".......kssk.......",
    ".......ksdk.......",
    ".......ksdk.......",
    "kkkkk.ksssdkkkkkkk",
    "kbllkkssssssssssssk",
    "kbllksssssskkkkkkk.",
    "kbllkssssssssssssk.",
    "kbllkssssskkkkkkk..",
    "kbllksssssssssssk..",
    "kkkkkkkkkkkkkkkkk..",
}};
// clang-format on

QImage Overlay(const PixelArt& small, const PixelArt& large, int size)
{
    if (size == small.size)
        return FromArt(small);
    if (size == large.size)
        return FromArt(large);
    const PixelArt& nearer = size < (small.size + large.size) / 2 ? small : large;
    return FromArt(nearer).scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage ShareOverlay(int size)
{
    return Overlay(kShare16, kShare32, size);
}

QImage ShortcutOverlay(int size)
{
    return Overlay(kShortcut16, kShortcut32, size);
}

// ---- The system's icons, drawn on a 32-unit grid ----

template <class Draw>
QImage DrawOnGrid(int size, Draw draw)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    draw(painter);
    return image;
}

void Disc(QPainter& p, const QColor& fill)
{
    p.setPen(QPen(fill.darker(160), 1.5));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2, 2, 28, 28));
}

QImage ApplicationIcon(int size)
{
    return DrawOnGrid(size, [](QPainter& p) {
        p.setPen(QPen(QColor(64, 64, 64), 1.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 5, 26, 22));
        p.fillRect(QRectF(3.75, 5.75, 24.5, 5), QColor(10, 36, 106));
    });
}

QImage ErrorIcon(int size)
{
    return DrawOnGrid(size, [](QPainter& p) {
        Disc(p, QColor(210, 20, 20));
        p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 11), QPointF(21, 21));
        p.drawLine(QPointF(21, 11), QPointF(11, 21));
    });
}

QImage QuestionIcon(int size)
{
    return DrawOnGrid(size, [](QPainter& p) {
        Disc(p, QColor(30, 90, 200));
        p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        QPainterPath hook;
        hook.moveTo(11.5, 12.5);
        hook.cubicTo(11.5, 6.5, 20.5, 6.5, 20.5, 12);
        hook.cubicTo(20.5, 15.5, 16, 15.5, 16, 19.5);
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 24.5), 2.2, 2.2);
    });
}

QImage WarningIcon(int size)
{
    return DrawOnGrid(size, [](QPainter& p) {
        QPainterPath triangle;
        triangle.moveTo(16, 2.5);
        triangle.lineTo(30, 28.5);
        triangle.lineTo(2, 28.5);
        triangle.closeSubpath();
        p.setPen(QPen(QColor(120, 90, 0), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(255, 210, 0));
        p.drawPath(triangle);
        p.setPen(QPen(Qt::black, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 11), QPointF(16, 19));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(16, 24), 2, 2);
    });
}

QImage InformationIcon(int size)
{
    return DrawOnGrid(size, [](QPainter& p) {
        Disc(p, QColor(30, 90, 200));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 9.5), 2.3, 2.3);
        p.drawRoundedRect(QRectF(14, 14, 4, 11), 1, 1);
    });
}

// ---- The table of icon resources ----

struct Resource {
    const char* module;
    int id;
    win32::IconResourcePainter painter;
};

constexpr Resource kBuiltIn[] = {
    {"shell32.dll", 29, &ShareOverlay}, {"shell32.dll", 30, &ShortcutOverlay},
    {"", 32512, &ApplicationIcon},      {"", 32513, &ErrorIcon},
    {"", 32514, &QuestionIcon},         {"", 32515, &WarningIcon},
    {"", 32516, &InformationIcon},      {"", 32517, &ApplicationIcon},
};

std::string NumberKey(int id)
{
    return "#" + std::to_string(id);
}

// Resource names ignore ASCII case, and "#123" is the number 123.
std::string NormalizedKey(std::string_view name)
{
    if (name.size() > 1 && name[0] == '#') {
        unsigned long value = 0;
        bool digits = true;
        for (char c : name.substr(1)) {
            if (c < '0' || c > '9' || value > 0xFFFF) {
                digits = false;
                break;
            }
            value = value * 10 + static_cast<unsigned long>(c - '0');
        }
        if (digits && value <= 0xFFFF)
            return NumberKey(static_cast<int>(value));
    }
    std::string key(name);
    for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

struct Registered {
    std::mutex mutex;
    std::map<std::pair<std::string, std::string>, win32::IconResourcePainter> painters;
};

Registered& Added()
{
    static auto& added = *new Registered;
    return added;
}

std::string ModuleKey(std::string_view moduleName)
{
    if (moduleName.empty())
        return {};
    const std::string canonical = win32::CanonicalModuleName(moduleName);
    // The program's own module is known by its path, which is no stand-in name.
    return canonical.empty() ? std::string(moduleName) : canonical;
}

win32::IconResourcePainter FindPainter(const std::string& module, const std::string& key)
{
    {
        Registered& added = Added();
        std::lock_guard lock(added.mutex);
        const auto it = added.painters.find({module, key});
        if (it != added.painters.end())
            return it->second;
    }
    for (const Resource& resource : kBuiltIn) {
        if (module == resource.module && key == NumberKey(resource.id))
            return resource.painter;
    }
    return nullptr;
}

} // namespace

namespace win32 {

namespace detail {

std::string NormalizedResourceKey(std::string_view name)
{
    return NormalizedKey(name);
}

std::optional<QImage> ModuleIconByKey(std::string_view moduleName, std::string_view key, int size)
{
    if (size <= 0 || size > 1024)
        return std::nullopt;
    const IconResourcePainter painter = FindPainter(ModuleKey(moduleName), NormalizedKey(key));
    if (!painter)
        return std::nullopt;
    QImage image = painter(size);
    if (image.isNull())
        return std::nullopt;
    return image;
}

} // namespace detail

void AddModuleIcon(std::string_view moduleName, int id, IconResourcePainter painter)
{
    AddModuleIcon(moduleName, NumberKey(id), painter);
}

void AddModuleIcon(std::string_view moduleName, std::string_view name, IconResourcePainter painter)
{
    if (name.empty() || !painter)
        return;
    Registered& added = Added();
    std::lock_guard lock(added.mutex);
    added.painters[{ModuleKey(moduleName), NormalizedKey(name)}] = painter;
}

std::optional<QImage> ModuleIconImage(std::string_view moduleName, int id, int size)
{
    return detail::ModuleIconByKey(moduleName, NumberKey(id), size);
}

} // namespace win32
