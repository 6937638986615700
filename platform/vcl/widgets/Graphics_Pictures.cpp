// Graphics: bitmaps with their canvas, icons and pictures, read from PNG,
// BMP and ICO files and resources.

#include "vcl/core/Filer.h"
#include "vcl/core/Resources.h"
#include "vcl/core/Streams.h"
#include "vcl/widgets/Graphics.h"

#include "win32/DeviceContext.h"
#include "win32/Icons.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

namespace vcl {

namespace {

// A canvas on a memory context that holds the bitmap while the canvas draws.
class TBitmapCanvas : public TCanvas {
    VCL_DECLARE_CLASS(TBitmapCanvas, TCanvas)
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : Bitmap_(bitmap) {}

    void FreeContext()
    {
        HDC dc = Handle_();
        if (!dc)
            return;
        SetHandle(nullptr);
        DeleteDC(dc);
    }

protected:
    ~TBitmapCanvas() override { FreeContext(); }

    void CreateHandle() override
    {
        HBITMAP bitmap = Bitmap_->Handle();
        HDC dc = CreateCompatibleDC(nullptr);
        if (bitmap)
            SelectObject(dc, bitmap);
        SetHandle(dc);
    }

private:
    HDC Handle_() { return HandleAllocated() ? Handle() : nullptr; }
    TBitmap* Bitmap_;
};

QImage ImageFromBytes(const unsigned char* data, std::size_t size)
{
    return QImage::fromData(data, static_cast<int>(size));
}

} // namespace

// ---- TGraphic ----

void TGraphic::DefineProperties(TFiler* filer)
{
    TPersistent::DefineProperties(filer);
    filer->DefineBinaryProperty("Data", {this, &TGraphic::ReadData}, {this, &TGraphic::WriteData}, !Empty());
}

void TGraphic::ReadData(TStream* stream)
{
    const std::int64_t size = stream->Size() - stream->Position();
    std::vector<unsigned char> bytes(static_cast<std::size_t>(std::max<std::int64_t>(0, size)));
    if (!bytes.empty())
        stream->ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
    const QImage image = ImageFromBytes(bytes.data(), bytes.size());
    if (image.isNull() || !LoadFromImage(image))
        throw EInvalidGraphic("Invalid graphic format");
}

void TGraphic::WriteData(TStream* stream)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ToImage().save(&buffer, "PNG");
    stream->WriteBuffer(bytes.constData(), static_cast<int>(bytes.size()));
}

void TGraphic::SetTransparent(bool value)
{
    if (value != Transparent_) {
        Transparent_ = value;
        Changed();
    }
}

void TGraphic::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TGraphic::Draw(TCanvas* canvas, const TRect& rect)
{
    const QImage image = ToImage();
    if (!image.isNull())
        win32::StretchImage(canvas->Handle(), rect, image, image.rect());
}

void TGraphic::LoadFromFile(const std::string& fileName)
{
    // The name's bytes are the file's name: no conversion on the way.
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw EFOpenError("Cannot open file \"" + fileName + "\"");
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in),
                                           std::istreambuf_iterator<char>()};
    if (!LoadFromImage(ImageFromBytes(bytes.data(), bytes.size())))
        throw EInvalidGraphic("Unknown picture file format");
}

void TGraphic::LoadFromResourceName(HINSTANCE instance, const std::string& name)
{
    TResourceData data = FindResourceData(instance, name, ResourceType());
    if (!data)
        data = FindResourceData(instance, name, RT_RCDATA);
    if (!data)
        throw EResNotFound("Resource " + name + " not found");
    if (!LoadFromImage(ImageFromBytes(data.Data(), data.Size())))
        throw EInvalidGraphic("Unknown picture file format");
}

void TGraphic::LoadFromResourceID(HINSTANCE instance, int id)
{
    LoadFromResourceName(instance, "#" + std::to_string(id));
}

// ---- TBitmap ----

TBitmap::~TBitmap()
{
    vcl::Free(Canvas_);
    if (Handle_)
        DeleteObject(Handle_);
}

HBITMAP TBitmap::Handle()
{
    return Handle_;
}

void TBitmap::FreeCanvasHandle()
{
    if (Canvas_)
        static_cast<TBitmapCanvas*>(Canvas_)->FreeContext();
}

void TBitmap::Replace(HBITMAP bitmap)
{
    FreeCanvasHandle();
    if (Handle_)
        DeleteObject(Handle_);
    Handle_ = bitmap;
    Changed();
}

void TBitmap::SetHandle(HBITMAP value)
{
    if (value != Handle_)
        Replace(value);
}

HBITMAP TBitmap::ReleaseHandle()
{
    FreeCanvasHandle();
    return std::exchange(Handle_, nullptr);
}

TCanvas* TBitmap::Canvas()
{
    if (!Canvas_)
        Canvas_ = Create<TBitmapCanvas>(this);
    return Canvas_;
}

int TBitmap::Width() const
{
    BITMAP info{};
    return Handle_ && GetObjectA(Handle_, sizeof info, &info) ? info.bmWidth : 0;
}

int TBitmap::Height() const
{
    BITMAP info{};
    return Handle_ && GetObjectA(Handle_, sizeof info, &info) ? info.bmHeight : 0;
}

bool TBitmap::Monochrome() const
{
    BITMAP info{};
    return Handle_ && GetObjectA(Handle_, sizeof info, &info) && info.bmBitsPixel == 1;
}

void TBitmap::SetWidth(int value)
{
    SetSize(value, Height());
}

void TBitmap::SetHeight(int value)
{
    SetSize(Width(), value);
}

void TBitmap::SetSize(int width, int height)
{
    if (width == Width() && height == Height())
        return;
    if (width <= 0 || height <= 0) {
        Replace(nullptr);
        return;
    }
    // What the bitmap showed stays in the part that remains.
    HBITMAP made = CreateBitmap(width, height, 1, Monochrome() ? 1 : 32, nullptr);
    if (!made)
        throw EOutOfMemory("Out of system resources");
    if (Handle_) {
        const QImage old = ToImage();
        HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, made);
        win32::DrawImage(dc, 0, 0, old);
        DeleteDC(dc);
    }
    Replace(made);
}

void TBitmap::SetMonochrome(bool value)
{
    if (value == Monochrome() || Empty())
        return;
    const int width = Width();
    const int height = Height();
    HBITMAP made = CreateBitmap(width, height, 1, value ? 1 : 32, nullptr);
    HDC target = CreateCompatibleDC(nullptr);
    SelectObject(target, made);
    HDC source = Canvas()->Handle();
    // To monochrome: white where the colour is the background (white).
    SetBkColor(source, RGB(255, 255, 255));
    BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
    DeleteDC(target);
    Replace(made);
}

TColor TBitmap::TransparentColor() const
{
    if (TransparentColor_ != clDefault || Empty())
        return TransparentColor_;
    const QImage image = ToImage();
    return static_cast<TColor>(RGB(static_cast<BYTE>(qRed(image.pixel(0, image.height() - 1))),
                                   static_cast<BYTE>(qGreen(image.pixel(0, image.height() - 1))),
                                   static_cast<BYTE>(qBlue(image.pixel(0, image.height() - 1)))));
}

QImage TBitmap::ToImage() const
{
    const std::optional<QImage> image = win32::BitmapImage(Handle_);
    return image ? image->convertToFormat(QImage::Format_ARGB32) : QImage();
}

bool TBitmap::LoadFromImage(const QImage& image)
{
    if (image.isNull())
        return false;
    Replace(win32::CreateBitmapFromImage(image));
    return true;
}

void TBitmap::Assign(TPersistent* source)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        if (bitmap == this)
            return;
        SetTransparent(bitmap->Transparent());
        TransparentColor_ = bitmap->TransparentColor_;
        if (bitmap->Empty())
            Replace(nullptr);
        else
            Replace(CreateCopy(*bitmap));
        return;
    }
    if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
        LoadFromImage(graphic->ToImage());
        return;
    }
    TGraphic::Assign(source);
}

HBITMAP TBitmap::CreateCopy(const TBitmap& bitmap)
{
    HBITMAP made = win32::CreateBitmapFromImage(bitmap.ToImage());
    if (bitmap.Monochrome()) {
        // Keep the depth: a monochrome bitmap stays one.
        BITMAP info{};
        GetObjectA(made, sizeof info, &info);
        HBITMAP mono = CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr);
        HDC target = CreateCompatibleDC(nullptr);
        HDC source = CreateCompatibleDC(nullptr);
        SelectObject(target, mono);
        SelectObject(source, made);
        SetBkColor(source, RGB(255, 255, 255));
        BitBlt(target, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        DeleteDC(source);
        DeleteDC(target);
        DeleteObject(made);
        return mono;
    }
    return made;
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect)
{
    if (Empty())
        return;
    if (!Transparent()) {
        StretchBlt(canvas->Handle(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   Canvas()->Handle(), 0, 0, Width(), Height(), canvas->CopyMode());
        return;
    }
    QImage image = ToImage();
    const COLORREF clear = ColorToRGB(TransparentColor());
    const QRgb key = qRgb(GetRValue(clear), GetGValue(clear), GetBValue(clear));
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] | 0xFF000000) == key)
                line[x] = 0;
    }
    win32::StretchImage(canvas->Handle(), rect, image, image.rect());
}

// ---- TIcon ----

TIcon::~TIcon()
{
    if (Handle_)
        DestroyIcon(Handle_);
}

void TIcon::SetHandle(HICON value)
{
    if (value == Handle_)
        return;
    if (Handle_)
        DestroyIcon(Handle_);
    Handle_ = value;
    Changed();
}

HICON TIcon::ReleaseHandle()
{
    return std::exchange(Handle_, nullptr);
}

int TIcon::Width() const
{
    const std::optional<QImage> image = win32::IconImage(Handle_);
    return image ? image->width() : 0;
}

int TIcon::Height() const
{
    const std::optional<QImage> image = win32::IconImage(Handle_);
    return image ? image->height() : 0;
}

void TIcon::SetWidth(int)
{
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(int)
{
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

QImage TIcon::ToImage() const
{
    const std::optional<QImage> image = win32::IconImage(Handle_);
    return image ? *image : QImage();
}

bool TIcon::LoadFromImage(const QImage& image)
{
    if (image.isNull())
        return false;
    SetHandle(win32::CreateIconFromImage(image));
    return true;
}

void TIcon::Assign(TPersistent* source)
{
    if (auto* icon = dynamic_cast<TIcon*>(source)) {
        if (icon != this)
            SetHandle(icon->Handle_ ? CopyIcon(icon->Handle_) : nullptr);
        return;
    }
    TGraphic::Assign(source);
}

void TIcon::Draw(TCanvas* canvas, const TRect& rect)
{
    TGraphic::Draw(canvas, rect);
}

// ---- TPicture ----

TPicture::~TPicture()
{
    vcl::Free(Graphic_);
}

void TPicture::Replace(TGraphic* graphic)
{
    TGraphic* old = std::exchange(Graphic_, graphic);
    vcl::Free(old);
    if (Graphic_)
        Graphic_->OnChange = TNotifyEvent(this, &TPicture::GraphicChanged);
    GraphicChanged(this);
}

template <class Load>
void TPicture::Take(TGraphic* graphic, Load load)
{
    try {
        load(graphic);
    } catch (...) {
        vcl::Free(graphic);
        throw;
    }
    Replace(graphic);
}

void TPicture::GraphicChanged(TObject*)
{
    if (OnChange)
        OnChange(this);
}

template <class T>
T* TPicture::As()
{
    if (auto* same = dynamic_cast<T*>(Graphic_))
        return same;
    Replace(Create<T>());
    return static_cast<T*>(Graphic_);
}

TBitmap* TPicture::Bitmap()
{
    return As<TBitmap>();
}

TIcon* TPicture::Icon()
{
    return As<TIcon>();
}

void TPicture::SetGraphic(TGraphic* value)
{
    if (!value) {
        Replace(nullptr);
        return;
    }
    TGraphic* copy = nullptr;
    if (dynamic_cast<TIcon*>(value))
        copy = Create<TIcon>();
    else
        copy = Create<TBitmap>();
    Take(copy, [value](TGraphic* graphic) { graphic->Assign(value); });
}

void TPicture::LoadFromFile(const std::string& fileName)
{
    const bool icon = fileName.size() >= 4 && (fileName.compare(fileName.size() - 4, 4, ".ico") == 0 ||
                                               fileName.compare(fileName.size() - 4, 4, ".ICO") == 0);
    TGraphic* graphic = icon ? static_cast<TGraphic*>(Create<TIcon>()) : Create<TBitmap>();
    Take(graphic, [&fileName](TGraphic* g) { g->LoadFromFile(fileName); });
}

void TPicture::DefineProperties(TFiler* filer)
{
    TPersistent::DefineProperties(filer);
    filer->DefineBinaryProperty("Data", {this, &TPicture::ReadData}, {this, &TPicture::WriteData},
                                Graphic_ && !Graphic_->Empty());
}

void TPicture::ReadData(TStream* stream)
{
    // No data at all is the empty picture WriteData kept.
    if (stream->Position() >= stream->Size()) {
        Replace(nullptr);
        return;
    }
    unsigned char length = 0;
    stream->ReadBuffer(&length, 1);
    std::string name(length, '\0');
    if (length > 0)
        stream->ReadBuffer(name.data(), length);
    TGraphic* graphic = nullptr;
    if (name == TBitmap::StaticClass()->Name)
        graphic = Create<TBitmap>();
    else if (name == TIcon::StaticClass()->Name)
        graphic = Create<TIcon>();
    else
        throw EInvalidGraphic("Unknown picture format " + name);
    Take(graphic, [stream](TGraphic* g) { g->ReadData(stream); });
}

void TPicture::WriteData(TStream* stream)
{
    // The reader keeps the value it replaces: an empty picture writes nothing.
    if (!Graphic_)
        return;
    const std::string name = Graphic_->ClassName();
    const auto length = static_cast<unsigned char>(name.size());
    stream->WriteBuffer(&length, 1);
    stream->WriteBuffer(name.data(), length);
    Graphic_->WriteData(stream);
}

void TPicture::Assign(TPersistent* source)
{
    if (!source) {
        Replace(nullptr);
        return;
    }
    if (auto* picture = dynamic_cast<TPicture*>(source)) {
        SetGraphic(picture->Graphic_);
        return;
    }
    if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
        SetGraphic(graphic);
        return;
    }
    TPersistent::Assign(source);
}

} // namespace vcl
