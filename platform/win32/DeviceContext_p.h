#pragma once
// The device context behind an HDC, shared by the GDI's source files.

#include "win32/Gdi_p.h"

#include <QPainter>
#include <QRegion>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace win32::gdi {

struct DcState {
    Selection Pen;
    Selection Brush;
    Selection Font;
    Selection Bitmap;
    Selection Palette;
    COLORREF TextColour = 0;
    COLORREF BkColour = 0xFFFFFF;
    int BkMode = OPAQUE;
    int Rop2 = R2_COPYPEN;
    UINT TextAlign = TA_LEFT | TA_TOP;
    QPoint BrushOrigin;
    QPoint Current;
    QPoint Viewport;
    // In device coordinates, as the platform keeps clip regions; nothing
    // means the whole surface.
    std::optional<QRegion> Clip;
};

class DeviceContext {
public:
    enum class Kind { Measure, Painter, Image, Memory };

    DeviceContext(Kind kind, HWND window);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    void Borrow(QPainter& painter, std::function<void()> onRelease, const QPoint& shift, bool clipped);
    void Own(QImage& image);
    // Forgets a borrowed painter; true when it was this one.
    bool Detach(const QPainter* painter);

    Kind Type() const { return Kind_; }
    HWND Window() const { return Window_; }
    DcState& State() { return State_; }
    const DcState& State() const { return State_; }
    std::vector<DcState>& Saved() { return Saved_; }

    // A bitmap selected into a memory context becomes its surface.
    void SetMemorySurface(BitmapObject* bitmap);
    // The pixels of a readable surface (image and memory contexts).
    const QImage* SurfaceImage() const { return Image_; }
    bool MonochromeSurface() const;
    QSize SurfaceSize() const;

    // The painter set up for one drawing call (identity transform, the
    // effective clip, no antialiasing), or null without a surface. End puts
    // the painter's state back, so device contexts sharing a painter (a
    // paint's) never see each other's settings.
    QPainter* Begin();
    void End();
    // Logical to device coordinates.
    QPoint ToDevice(int x, int y) const { return QPoint(x, y) + State_.Viewport + Base_; }
    QRect ToDevice(const QRect& rect) const { return rect.translated(State_.Viewport + Base_); }
    QPoint Base() const { return Base_; }
    // The clip in device coordinates (the surface when none is set).
    QRegion EffectiveClip() const;
    QRect SurfaceRect() const;

    PenObject& Pen() const { return *State_.Pen.As<PenObject>(); }
    BrushObject& Brush() const { return *State_.Brush.As<BrushObject>(); }
    FontObject& Font() const { return *State_.Font.As<FontObject>(); }

private:
    void EndOwned();

    Kind Kind_;
    HWND Window_;
    QPainter* Painter_ = nullptr;
    std::unique_ptr<QPainter> Owned_;
    QImage* Image_ = nullptr;
    BitmapObject* Memory_ = nullptr;
    QPoint Base_;
    std::optional<QRegion> SystemClip_;
    std::function<void()> OnRelease_;
    DcState State_;
    std::vector<DcState> Saved_;
};

using DcPtr = std::shared_ptr<DeviceContext>;
DcPtr FindDC(HDC dc);

// One drawing call on a device context: its painter set up, and put back
// when the call ends.
class Drawing {
public:
    explicit Drawing(DcPtr dc) : Dc(std::move(dc))
    {
        if (Dc)
            Painter = Dc->Begin();
    }
    ~Drawing()
    {
        if (Painter)
            Dc->End();
    }
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;
    explicit operator bool() const { return Painter != nullptr; }

    DcPtr Dc;
    QPainter* Painter = nullptr;
};

// What ROP2 does to a pen or brush colour: the composition mode, the colour
// to draw with, or nothing for R2_NOP.
struct Rop {
    QPainter::CompositionMode Mode;
    QColor Colour;
};
std::optional<Rop> Rop2(int mode, COLORREF colour);

// What a colour is in the context: palette-relative colours resolved
// through its selected palette.
QColor ColourIn(const DcState& state, COLORREF colour);

// Fills a device rectangle with a brush under a composition mode.
void FillDevice(DeviceContext& dc, QPainter& painter, const QRect& rect, const BrushObject& brush,
                QPainter::CompositionMode mode);

} // namespace win32::gdi
