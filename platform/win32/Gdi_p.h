#pragma once
// The GDI objects behind the handles, shared by the GDI's source files.

#include "win32/Gdi.h"
#include "win32/Palettes.h"

#include <QFont>
#include <QImage>

#include <atomic>
#include <memory>
#include <vector>

namespace win32::gdi {

enum class ObjectKind { Pen, Brush, Font, Bitmap, Palette };

struct GdiObject {
    explicit GdiObject(ObjectKind kind) : Kind(kind) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    const ObjectKind Kind;
    bool Stock = false;
    // How many device-context states hold the object; DeleteObject on a held
    // object only marks it, and the last state to let go frees the handle.
    std::atomic<int> Holders{0};
    std::atomic<bool> DeletePending{false};
};

struct PenObject : GdiObject {
    PenObject() : GdiObject(ObjectKind::Pen) {}
    int Style = PS_SOLID;
    int Width = 0;
    COLORREF Colour = 0;
};

struct BitmapObject : GdiObject {
    BitmapObject() : GdiObject(ObjectKind::Bitmap) {}
    // RGB32 pixels; a monochrome bitmap holds only black and white.
    QImage Image;
    int BitsPerPixel = 32;
    // The memory context the bitmap is selected into, if any.
    std::atomic<HDC> SelectedInto{nullptr};
};

struct BrushObject : GdiObject {
    BrushObject() : GdiObject(ObjectKind::Brush) {}
    UINT Style = BS_SOLID;
    COLORREF Colour = 0;
    int Hatch = 0;
    // BS_PATTERN: the pixels when made (later drawing on the bitmap does not
    // change the brush), and whether text and background colours map them.
    QImage Pattern;
    bool Monochrome = false;
    HBITMAP PatternBitmap = nullptr;
};

struct FontObject : GdiObject {
    FontObject() : GdiObject(ObjectKind::Font) {}
    LOGFONTA Log{};
    QFont Font;
};

struct PaletteObject : GdiObject {
    PaletteObject() : GdiObject(ObjectKind::Palette) {}
    std::vector<PALETTEENTRY> Entries;
};

using ObjectPtr = std::shared_ptr<GdiObject>;

// Registers a new object; NULL when its table is full.
HGDIOBJ Insert(std::shared_ptr<GdiObject> object);
// The live object behind any GDI object handle.
ObjectPtr Find(HGDIOBJ handle);
template <class T>
std::shared_ptr<T> FindAs(HGDIOBJ handle, ObjectKind kind)
{
    ObjectPtr object = Find(handle);
    if (!object || object->Kind != kind)
        return nullptr;
    return std::static_pointer_cast<T>(object);
}
inline std::shared_ptr<PenObject> FindPen(HGDIOBJ handle)
{
    return FindAs<PenObject>(handle, ObjectKind::Pen);
}
inline std::shared_ptr<BrushObject> FindBrush(HGDIOBJ handle)
{
    return FindAs<BrushObject>(handle, ObjectKind::Brush);
}
inline std::shared_ptr<FontObject> FindFont(HGDIOBJ handle)
{
    return FindAs<FontObject>(handle, ObjectKind::Font);
}
inline std::shared_ptr<BitmapObject> FindBitmap(HGDIOBJ handle)
{
    return FindAs<BitmapObject>(handle, ObjectKind::Bitmap);
}
// Frees a handle whose deletion waited for its last holder.
void RemoveHandle(HGDIOBJ handle, ObjectKind kind);

// An object held by a device-context state; copies count as holders.
class Selection {
public:
    Selection() = default;
    Selection(HGDIOBJ handle, ObjectPtr object);
    Selection(const Selection& other);
    Selection& operator=(const Selection& other);
    ~Selection();

    HGDIOBJ Handle() const { return Handle_; }
    GdiObject* Object() const { return Object_.get(); }
    template <class T>
    T* As() const
    {
        return static_cast<T*>(Object_.get());
    }

private:
    void Let();
    HGDIOBJ Handle_ = nullptr;
    ObjectPtr Object_;
};

// The QFont a LOGFONTA describes: families mapped to the fixed ones, pixel
// sizes, antialiased as the desktop's text unless the quality says not.
QFont FontFromLog(const LOGFONTA& log);
// The way back, for fonts the desktop chose: a pixel height (negative; a
// point size at the screen's resolution), weight, style and family name.
LOGFONTA LogFromFont(const QFont& font);

// A brush of a system colour, as (HBRUSH)(COLOR_x + 1) names one.
std::shared_ptr<BrushObject> SystemColourBrush(HBRUSH brush);

QColor ToQColor(COLORREF colour);
// Keeps the palette-relative flags of a colour (PALETTEINDEX, PALETTERGB)
// and drops any other high byte.
COLORREF KeepPaletteFlags(COLORREF colour);
// The stock default palette, selected into every new device context.
std::shared_ptr<PaletteObject> DefaultPaletteObject();
HPALETTE DefaultPaletteHandle();
COLORREF FromQColor(const QColor& colour);

// Hooks of the image lists into the GDI, installed once.
void InstallImageListHooks();

} // namespace win32::gdi
