// Device contexts: their table, their state, selection, saving, clipping and
// the surfaces they draw on.

#include "win32/DeviceContext.h"
#include "win32/DeviceContext_p.h"
#include "win32/HandleTable.h"
#include "win32/ImageLists.h"

#include <QGuiApplication>
#include <QScreen>

#include <atomic>
#include <mutex>

namespace win32::gdi {
namespace {

HandleTable<HDC, DcPtr>& Table()
{
    static auto& table = *new HandleTable<HDC, DcPtr>(HandleKind::DeviceContext);
    return table;
}

std::atomic<WindowDCSource> g_windowSource{nullptr};

// The one-pixel monochrome bitmap every memory context starts with.
HBITMAP StockBitmap()
{
    static const HBITMAP bitmap = [] {
        auto made = std::make_shared<BitmapObject>();
        made->Stock = true;
        made->BitsPerPixel = 1;
        made->Image = QImage(1, 1, QImage::Format_RGB32);
        made->Image.fill(Qt::black);
        return static_cast<HBITMAP>(Insert(made));
    }();
    return bitmap;
}

Selection Select(HGDIOBJ handle)
{
    return Selection(handle, Find(handle));
}

HDC Register(DcPtr dc)
{
    InstallImageListHooks();
    return Table().Insert(std::move(dc));
}

} // namespace

DeviceContext::DeviceContext(Kind kind, HWND window) : Kind_(kind), Window_(window)
{
    State_.Pen = Select(GetStockObject(BLACK_PEN));
    State_.Brush = Select(GetStockObject(WHITE_BRUSH));
    State_.Font = Select(GetStockObject(SYSTEM_FONT));
    State_.Palette = Select(GetStockObject(DEFAULT_PALETTE));
    if (kind == Kind::Memory)
        State_.Bitmap = Select(StockBitmap());
}

DeviceContext::~DeviceContext()
{
    EndOwned();
    if (auto* bitmap = State_.Bitmap.As<BitmapObject>())
        bitmap->SelectedInto = nullptr;
    if (OnRelease_)
        OnRelease_();
}

void DeviceContext::Borrow(QPainter& painter, std::function<void()> onRelease, const QPoint& shift,
                           bool clipped)
{
    Painter_ = &painter;
    OnRelease_ = std::move(onRelease);
    const QPoint translation = painter.worldTransform().map(QPoint(0, 0));
    Base_ = translation + shift;
    if (clipped && painter.hasClipping())
        SystemClip_ = painter.clipRegion().translated(translation);
}

bool DeviceContext::Detach(const QPainter* painter)
{
    if (Kind_ != Kind::Painter || Painter_ != painter)
        return false;
    Painter_ = nullptr;
    return true;
}

void DeviceContext::Own(QImage& image)
{
    Image_ = &image;
    Owned_ = std::make_unique<QPainter>(&image);
    Painter_ = Owned_.get();
}

void DeviceContext::EndOwned()
{
    if (Owned_) {
        Owned_->end();
        Owned_.reset();
        Painter_ = nullptr;
    }
    Image_ = nullptr;
}

void DeviceContext::SetMemorySurface(BitmapObject* bitmap)
{
    EndOwned();
    Memory_ = bitmap;
    if (bitmap && !bitmap->Stock)
        Own(bitmap->Image);
}

bool DeviceContext::MonochromeSurface() const
{
    return Kind_ == Kind::Memory && Memory_ && Memory_->BitsPerPixel == 1;
}

QSize DeviceContext::SurfaceSize() const
{
    if (Kind_ == Kind::Memory && Memory_)
        return Memory_->Image.size();
    if (Painter_ && Painter_->device())
        return QSize(Painter_->device()->width(), Painter_->device()->height());
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* screen = app->primaryScreen())
            return screen->size();
    return QSize(1024, 768);
}

QRect DeviceContext::SurfaceRect() const
{
    return QRect(QPoint(0, 0), SurfaceSize());
}

QRegion DeviceContext::EffectiveClip() const
{
    QRegion clip = SystemClip_ ? *SystemClip_ : QRegion(SurfaceRect());
    if (State_.Clip)
        clip &= *State_.Clip;
    return clip;
}

QPainter* DeviceContext::Begin()
{
    if (!Painter_ || !Painter_->isActive())
        return nullptr;
    Painter_->save();
    Painter_->setWorldTransform(QTransform());
    Painter_->setRenderHint(QPainter::Antialiasing, false);
    // Text follows its font's strategy (FontFromLog); lines and fills stay
    // aliased under the pixel rules.
    Painter_->setRenderHint(QPainter::TextAntialiasing, true);
    Painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    Painter_->setOpacity(1.0);
    Painter_->setClipRegion(EffectiveClip());
    Painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return Painter_;
}

void DeviceContext::End()
{
    Painter_->restore();
}

DcPtr FindDC(HDC dc)
{
    std::optional<DcPtr> found = Table().Get(dc);
    return found ? *found : nullptr;
}

void InstallImageListHooks()
{
    static std::once_flag once;
    std::call_once(once, [] {
        SetImageListPainter(
            [](HDC dc, int x, int y, const QImage& image) { return DrawImage(dc, x, y, image); });
        SetBitmapImageResolver(&BitmapImage);
    });
}

} // namespace win32::gdi

using namespace win32::gdi;

namespace win32 {

HDC CreatePainterDC(QPainter& painter, HWND window, std::function<void()> onRelease, const QPoint& shift,
                    bool clipped)
{
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Kind::Painter, window);
    dc->Borrow(painter, std::move(onRelease), shift, clipped);
    return Register(std::move(dc));
}

HDC CreateImageDC(QImage& image)
{
    if (image.isNull())
        return nullptr;
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Kind::Image, nullptr);
    dc->Own(image);
    return Register(std::move(dc));
}

void DetachPainterDCs(QPainter& painter)
{
    Table().ForEach([&](HDC, const DcPtr& dc) { dc->Detach(&painter); });
}

void SetWindowDCSource(WindowDCSource source)
{
    g_windowSource = source;
}

bool DrawImage(HDC dc, int x, int y, const QImage& image)
{
    const Drawing d(FindDC(dc));
    if (!d)
        return false;
    d.Painter->drawImage(d.Dc->ToDevice(x, y), image);
    return true;
}

bool StretchImage(HDC dc, const RECT& target, const QImage& image, const QRect& source)
{
    const Drawing d(FindDC(dc));
    if (!d)
        return false;
    const QRect to =
        d.Dc->ToDevice(QRect(QPoint(target.left, target.top), QPoint(target.right - 1, target.bottom - 1)));
    d.Painter->drawImage(to, image, source);
    return true;
}

std::size_t LiveDeviceContextCount()
{
    return Table().Size();
}

} // namespace win32

HDC GetDC(HWND window)
{
    return GetDCEx(window, nullptr, 0);
}

HDC GetWindowDC(HWND window)
{
    return GetDCEx(window, nullptr, DCX_WINDOW);
}

HDC GetDCEx(HWND window, HRGN, DWORD flags)
{
    if (!window)
        return Register(std::make_shared<DeviceContext>(DeviceContext::Kind::Measure, nullptr));
    const win32::WindowDCSource source = g_windowSource.load();
    return source ? source(window, flags) : nullptr;
}

int ReleaseDC(HWND window, HDC dc)
{
    const DcPtr found = FindDC(dc);
    if (!found || found->Window() != window || found->Type() == DeviceContext::Kind::Memory)
        return 0;
    return Table().Remove(dc) ? 1 : 0;
}

HWND WindowFromDC(HDC dc)
{
    const DcPtr found = FindDC(dc);
    return found ? found->Window() : nullptr;
}

HDC CreateCompatibleDC(HDC dc)
{
    if (dc && !FindDC(dc))
        return nullptr;
    return Register(std::make_shared<DeviceContext>(DeviceContext::Kind::Memory, nullptr));
}

BOOL DeleteDC(HDC dc)
{
    return Table().Remove(dc) ? TRUE : FALSE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    const DcPtr found = FindDC(dc);
    const ObjectPtr selected = Find(object);
    if (!found || !selected)
        return nullptr;
    DcState& state = found->State();
    const auto swap = [&](Selection& slot) {
        HGDIOBJ previous = slot.Handle();
        slot = Selection(object, selected);
        return previous;
    };
    switch (selected->Kind) {
    case ObjectKind::Pen:
        return swap(state.Pen);
    case ObjectKind::Brush:
        return swap(state.Brush);
    case ObjectKind::Font:
        return swap(state.Font);
    case ObjectKind::Bitmap: {
        if (found->Type() != DeviceContext::Kind::Memory)
            return nullptr;
        auto* bitmap = static_cast<BitmapObject*>(selected.get());
        if (!bitmap->Stock) {
            HDC expected = nullptr;
            if (!bitmap->SelectedInto.compare_exchange_strong(expected, dc) && expected != dc)
                return nullptr; // a bitmap lives in one memory context at a time
        }
        if (auto* old = state.Bitmap.As<BitmapObject>(); old && old != bitmap)
            old->SelectedInto = nullptr;
        found->SetMemorySurface(bitmap);
        return swap(state.Bitmap);
    }
    case ObjectKind::Palette:
        break; // palettes go through SelectPalette
    }
    return nullptr;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type)
{
    const DcPtr found = FindDC(dc);
    if (!found)
        return nullptr;
    switch (type) {
    case OBJ_PEN:
        return found->State().Pen.Handle();
    case OBJ_BRUSH:
        return found->State().Brush.Handle();
    case OBJ_FONT:
        return found->State().Font.Handle();
    case OBJ_BITMAP:
        return found->State().Bitmap.Handle();
    default:
        return nullptr;
    }
}

DWORD GetObjectType(HGDIOBJ object)
{
    if (const DcPtr dc = FindDC(static_cast<HDC>(object)))
        return dc->Type() == DeviceContext::Kind::Memory ? OBJ_MEMDC : OBJ_DC;
    const ObjectPtr found = Find(object);
    if (!found)
        return 0;
    switch (found->Kind) {
    case ObjectKind::Pen:
        return OBJ_PEN;
    case ObjectKind::Brush:
        return OBJ_BRUSH;
    case ObjectKind::Font:
        return OBJ_FONT;
    case ObjectKind::Bitmap:
        return OBJ_BITMAP;
    case ObjectKind::Palette:
        return OBJ_PAL;
    }
    return 0;
}

int SaveDC(HDC dc)
{
    const DcPtr found = FindDC(dc);
    if (!found)
        return 0;
    found->Saved().push_back(found->State());
    return static_cast<int>(found->Saved().size());
}

BOOL RestoreDC(HDC dc, int level)
{
    const DcPtr found = FindDC(dc);
    if (!found || level == 0)
        return FALSE;
    auto& saved = found->Saved();
    const int count = static_cast<int>(saved.size());
    const int index = level < 0 ? count + level : level - 1;
    if (index < 0 || index >= count)
        return FALSE;
    BitmapObject* before = found->State().Bitmap.As<BitmapObject>();
    found->State() = saved[static_cast<std::size_t>(index)];
    saved.erase(saved.begin() + index, saved.end());
    BitmapObject* after = found->State().Bitmap.As<BitmapObject>();
    if (before != after) {
        if (before)
            before->SelectedInto = nullptr;
        if (after && !after->Stock)
            after->SelectedInto = dc;
        found->SetMemorySurface(after);
    }
    return TRUE;
}

namespace {

int RegionType(const QRegion& region)
{
    if (region.isEmpty())
        return NULLREGION;
    return region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

QRect Normalized(int left, int top, int right, int bottom)
{
    return QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                 QPoint(std::max(left, right) - 1, std::max(top, bottom) - 1));
}

template <class F>
int ChangeClip(HDC dc, F&& change)
{
    const DcPtr found = FindDC(dc);
    if (!found)
        return RGN_ERROR;
    DcState& state = found->State();
    QRegion clip = state.Clip ? *state.Clip : QRegion(found->SurfaceRect());
    change(*found, clip);
    state.Clip = clip;
    return RegionType(found->EffectiveClip());
}

} // namespace

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom)
{
    return ChangeClip(dc, [&](DeviceContext& context, QRegion& clip) {
        clip -= QRegion(context.ToDevice(Normalized(left, top, right, bottom)));
    });
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom)
{
    return ChangeClip(dc, [&](DeviceContext& context, QRegion& clip) {
        clip &= QRegion(context.ToDevice(Normalized(left, top, right, bottom)));
    });
}

int GetClipBox(HDC dc, RECT* rect)
{
    const DcPtr found = FindDC(dc);
    if (!found || !rect)
        return RGN_ERROR;
    const QRegion clip = found->EffectiveClip();
    const QRect box = clip.boundingRect().translated(-found->Base() - found->State().Viewport);
    *rect =
        clip.isEmpty() ? RECT{0, 0, 0, 0} : RECT{box.left(), box.top(), box.right() + 1, box.bottom() + 1};
    return RegionType(clip);
}

namespace {

// Reads or changes one attribute of a context's state.
template <class T, class Member>
T Swap(HDC dc, Member member, T value, T failure)
{
    const DcPtr found = FindDC(dc);
    if (!found)
        return failure;
    T& slot = found->State().*member;
    const T previous = slot;
    slot = value;
    return previous;
}

template <class T, class Member>
T Read(HDC dc, Member member, T failure)
{
    const DcPtr found = FindDC(dc);
    return found ? found->State().*member : failure;
}

BOOL MovePoint(HDC dc, QPoint DcState::*member, QPoint to, POINT* previous, bool relative)
{
    const DcPtr found = FindDC(dc);
    if (!found)
        return FALSE;
    QPoint& slot = found->State().*member;
    if (previous)
        *previous = POINT{slot.x(), slot.y()};
    slot = relative ? slot + to : to;
    return TRUE;
}

BOOL ReadPoint(HDC dc, QPoint DcState::*member, POINT* point)
{
    const DcPtr found = FindDC(dc);
    if (!found || !point)
        return FALSE;
    const QPoint value = found->State().*member;
    *point = POINT{value.x(), value.y()};
    return TRUE;
}

} // namespace

COLORREF SetTextColor(HDC dc, COLORREF colour)
{
    return Swap<COLORREF>(dc, &DcState::TextColour, KeepPaletteFlags(colour), CLR_INVALID);
}

COLORREF GetTextColor(HDC dc)
{
    return Read<COLORREF>(dc, &DcState::TextColour, CLR_INVALID);
}

COLORREF SetBkColor(HDC dc, COLORREF colour)
{
    return Swap<COLORREF>(dc, &DcState::BkColour, KeepPaletteFlags(colour), CLR_INVALID);
}

COLORREF GetBkColor(HDC dc)
{
    return Read<COLORREF>(dc, &DcState::BkColour, CLR_INVALID);
}

int SetBkMode(HDC dc, int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    return Swap<int>(dc, &DcState::BkMode, mode, 0);
}

int GetBkMode(HDC dc)
{
    return Read<int>(dc, &DcState::BkMode, 0);
}

int SetROP2(HDC dc, int mode)
{
    if (mode < R2_BLACK || mode > R2_WHITE)
        return 0;
    return Swap<int>(dc, &DcState::Rop2, mode, 0);
}

int GetROP2(HDC dc)
{
    return Read<int>(dc, &DcState::Rop2, 0);
}

UINT SetTextAlign(HDC dc, UINT align)
{
    return Swap<UINT>(dc, &DcState::TextAlign, align, GDI_ERROR);
}

UINT GetTextAlign(HDC dc)
{
    return Read<UINT>(dc, &DcState::TextAlign, GDI_ERROR);
}

BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous)
{
    return MovePoint(dc, &DcState::BrushOrigin, QPoint(x, y), previous, false);
}

BOOL GetBrushOrgEx(HDC dc, POINT* origin)
{
    return ReadPoint(dc, &DcState::BrushOrigin, origin);
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous)
{
    return MovePoint(dc, &DcState::Viewport, QPoint(x, y), previous, false);
}

BOOL GetViewportOrgEx(HDC dc, POINT* origin)
{
    return ReadPoint(dc, &DcState::Viewport, origin);
}

BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous)
{
    return MovePoint(dc, &DcState::Viewport, QPoint(dx, dy), previous, true);
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous)
{
    return MovePoint(dc, &DcState::Current, QPoint(x, y), previous, false);
}

int GetDeviceCaps(HDC dc, int index)
{
    const DcPtr found = FindDC(dc);
    if (!found)
        return 0;
    constexpr int kDpi = 96;
    const QSize size = found->SurfaceSize();
    switch (index) {
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZRES:
        return size.width();
    case VERTRES:
        return size.height();
    case HORZSIZE:
        return size.width() * 254 / (kDpi * 10);
    case VERTSIZE:
        return size.height() * 254 / (kDpi * 10);
    case BITSPIXEL:
        return found->MonochromeSurface() ? 1 : 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    case RASTERCAPS:
        return RC_BITBLT | RC_STRETCHBLT;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return kDpi;
    default:
        return 0;
    }
}
