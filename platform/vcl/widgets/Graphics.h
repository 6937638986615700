#pragma once
// Colours as the screen shows them, and fonts.
//
// The drawing layer (canvases, pens, brushes, device contexts) builds on
// these; controls need them already for their colour and font properties.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Classes.h"
#include "vcl/core/Colors.h"
#include "vcl/core/Events.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Sets.h"
#include "vcl/core/TypInfo.h"
#include "win32/Gdi.h"
#include "win32/WinTypes.h"

#include <QColor>
#include <QFont>
#include <QImage>

#include <string>
#include <vector>

namespace vcl {

using TPoint = POINT;
using TRect = RECT;
inline TPoint Point(int x, int y)
{
    return {x, y};
}
inline TRect Rect(int left, int top, int right, int bottom)
{
    return {left, top, right, bottom};
}
inline bool PtInRect(const TRect& r, const TPoint& p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
// Grows a rectangle by dx on the left and right and dy above and below
// (shrinks it for negative amounts).
inline void InflateRect(TRect& r, int dx, int dy)
{
    r = {r.left - dx, r.top - dy, r.right + dx, r.bottom + dy};
}

VCL_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
VCL_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);

// The plain colour of a TColor: system colours from the system palette;
// palette-relative colours keep their flag for the device context to resolve.
CORVANE_VCL_EXPORT COLORREF ColorToRGB(TColor color);
CORVANE_VCL_EXPORT QColor ColorToQColor(TColor color);

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
VCL_ENUM_TYPE(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;

// A font as the framework describes it. Height is in pixels (negative: the
// character height without the internal leading, as forms store it); Size
// is in points at 96 pixels per inch. Families the system names for its
// dialogs map to one fixed family, so text measures the same everywhere.
using TFontCharset = BYTE;
// The names of the character sets in form files (Font.Charset).
CORVANE_VCL_EXPORT const TTypeInfo* FontCharsetTypeInfo();

class CORVANE_VCL_EXPORT TFont : public TPersistent {
    VCL_DECLARE_PUBLISHED_CLASS(TFont, TPersistent)
public:
    static constexpr int PixelsPerInch = 96;

    TFont() = default;

    const std::string& Name() const { return Name_; }
    void SetName(const std::string& name);
    int Height() const { return Height_; }
    void SetHeight(int height);
    int Size() const;
    void SetSize(int size);
    TColor Color() const { return Color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return Style_; }
    void SetStyle(TFontStyles style);
    // The character set the font asks for (DEFAULT_CHARSET unless told);
    // stored in form files by its name.
    TFontCharset Charset() const { return Charset_; }
    void SetCharset(TFontCharset charset);

    void Assign(TPersistent* source) override;
    bool Equals(const TFont& other) const;
    QFont ToQFont() const;

    // The GDI font of this description, made on first use and shared by
    // every font that looks the same; it goes when the last user changes or
    // goes.
    HFONT Handle() const;

    TNotifyEvent OnChange;

protected:
    ~TFont() override;
    virtual void Changed();

private:
    void ReleaseHandle() const;

    std::string Name_ = "MS Sans Serif";
    int Height_ = -11;
    TFontCharset Charset_ = DEFAULT_CHARSET;
    TColor Color_ = clWindowText;
    TFontStyles Style_;
    mutable HFONT Handle_ = nullptr;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
VCL_ENUM_TYPE(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
VCL_ENUM_TYPE(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
              pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)
enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
VCL_ENUM_TYPE(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
              bsDiagCross)

// The ROP2 mode of a pen mode.
CORVANE_VCL_EXPORT int PenModeToRop2(TPenMode mode);

class TBitmap;
class TStream;
class TCanvas;

// A pen: colour, width, style and the mode it combines with what is there.
// Its handle is shared by every pen that looks the same.
class CORVANE_VCL_EXPORT TPen : public TPersistent {
    VCL_DECLARE_CLASS(TPen, TPersistent)
public:
    TPen() = default;

    TColor Color() const { return Color_; }
    void SetColor(TColor value);
    int Width() const { return Width_; }
    void SetWidth(int value);
    TPenStyle Style() const { return Style_; }
    void SetStyle(TPenStyle value);
    TPenMode Mode() const { return Mode_; }
    void SetMode(TPenMode value);
    HPEN Handle() const;

    void Assign(TPersistent* source) override;
    TNotifyEvent OnChange;

protected:
    ~TPen() override;
    void Changed();

private:
    void ReleaseHandle() const;

    TColor Color_ = clBlack;
    int Width_ = 1;
    TPenStyle Style_ = psSolid;
    TPenMode Mode_ = pmCopy;
    mutable HPEN Handle_ = nullptr;
};

// A brush: colour and style, or a bitmap as its pattern. Solid and hatched
// brushes share their handles.
class CORVANE_VCL_EXPORT TBrush : public TPersistent {
    VCL_DECLARE_CLASS(TBrush, TPersistent)
public:
    TBrush() = default;

    TColor Color() const { return Color_; }
    void SetColor(TColor value);
    TBrushStyle Style() const { return Style_; }
    void SetStyle(TBrushStyle value);
    // The pattern (not owned; the brush keeps a copy of its pixels); null
    // for none.
    TBitmap* Bitmap() const { return Bitmap_; }
    void SetBitmap(TBitmap* value);
    HBRUSH Handle() const;

    void Assign(TPersistent* source) override;
    TNotifyEvent OnChange;

protected:
    ~TBrush() override;
    void Changed();

private:
    void ReleaseHandle() const;

    TColor Color_ = clWhite;
    TBrushStyle Style_ = bsSolid;
    TBitmap* Bitmap_ = nullptr;
    mutable HBRUSH Handle_ = nullptr;
    mutable bool SharedHandle_ = false;
};

class TGraphic;

// Drawing on a device context with a font, pen and brush. The objects are
// selected into the context when a drawing call needs them and taken out
// again when they change or the context is let go, so a context never keeps
// a handle the canvas no longer holds.
class CORVANE_VCL_EXPORT TCanvas : public TPersistent {
    VCL_DECLARE_CLASS(TCanvas, TPersistent)
public:
    TCanvas();

    // The device context, with the canvas's font, pen and brush selected and
    // its text colour and background mode set, so that code drawing on it
    // directly draws as the canvas would; a canvas that can make one (a
    // bitmap's, a control's) makes it when asked. Setting it lets the old one
    // go.
    HDC Handle();
    void SetHandle(HDC value);
    bool HandleAllocated() const { return Handle_ != nullptr; }

    TFont* Font() const { return Font_; }
    void SetFont(TFont* value) { Font_->Assign(value); }
    TPen* Pen() const { return Pen_; }
    void SetPen(TPen* value) { Pen_->Assign(value); }
    TBrush* Brush() const { return Brush_; }
    void SetBrush(TBrush* value) { Brush_->Assign(value); }
    // A raster operation (cmSrcCopy ...) for CopyRect and Draw of bitmaps.
    DWORD CopyMode() const { return CopyMode_; }
    void SetCopyMode(DWORD value) { CopyMode_ = value; }
    TPoint PenPos();
    void SetPenPos(const TPoint& value);
    TRect ClipRect();
    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);

    void FillRect(const TRect& rect);
    void FrameRect(const TRect& rect);
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points);
    void DrawFocusRect(const TRect& rect);
    void TextOut(int x, int y, const std::string& text);
    // Text at (x, y) clipped to rect; with a solid brush rect is filled first.
    void TextRect(const TRect& rect, int x, int y, const std::string& text);
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& rect, TGraphic* graphic);
    void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);
    // Copies part of a bitmap with the pixels of one colour replaced by the
    // brush.
    void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    ~TCanvas() override;
    // Makes the device context when one is needed and none is set.
    virtual void CreateHandle() {}
    void Changing();
    void Changed();

    static constexpr unsigned csHandleValid = 1;
    static constexpr unsigned csFontValid = 2;
    static constexpr unsigned csPenValid = 4;
    static constexpr unsigned csBrushValid = 8;
    static constexpr unsigned csAllValid = csHandleValid | csFontValid | csPenValid | csBrushValid;
    // Makes sure of a context and the objects a call needs; raises
    // EInvalidOperation "Canvas does not allow drawing" without a context.
    void RequiredState(unsigned valid);
    // Takes the canvas's objects out of the context.
    void DeselectHandles();

private:
    void FontChanged(TObject* sender);
    void PenChanged(TObject* sender);
    void BrushChanged(TObject* sender);
    void SelectBrush();

    HDC Handle_ = nullptr;
    unsigned State_ = 0;
    TFont* Font_;
    TPen* Pen_;
    TBrush* Brush_;
    TPoint PenPos_{0, 0};
    DWORD CopyMode_ = 0x00CC0020;
};

// A picture that draws itself on a canvas.
class CORVANE_VCL_EXPORT TGraphic : public TPersistent {
    VCL_DECLARE_CLASS(TGraphic, TPersistent)
public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
    bool Transparent() const { return Transparent_; }
    virtual void SetTransparent(bool value);
    // The pixels (32-bit with alpha); null when empty.
    virtual QImage ToImage() const = 0;
    // Replaces the picture; false when there is none in the data.
    virtual bool LoadFromImage(const QImage& image) = 0;
    // Reads a PNG, BMP or ICO file; raises EInvalidGraphic when it holds no
    // picture.
    void LoadFromFile(const std::string& fileName);
    // Reads a picture resource (RT_BITMAP for bitmaps, RT_GROUP_ICON for
    // icons, else RT_RCDATA) holding PNG, BMP or ICO data; raises
    // EResNotFound when there is none.
    void LoadFromResourceName(HINSTANCE instance, const std::string& name);
    void LoadFromResourceID(HINSTANCE instance, int id);

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    friend class TPicture;
    // Form files keep the picture as "Data": the bytes of a PNG file.
    void DefineProperties(TFiler* filer) override;
    virtual void Draw(TCanvas* canvas, const TRect& rect);
    virtual WORD ResourceType() const { return 10; }
    void Changed();

private:
    void ReadData(TStream* stream);
    void WriteData(TStream* stream);

    bool Transparent_ = false;
};

// A bitmap over an HBITMAP, with a canvas on a memory context.
class CORVANE_VCL_EXPORT TBitmap : public TGraphic {
    VCL_DECLARE_CLASS(TBitmap, TGraphic)
public:
    TBitmap() = default;

    HBITMAP Handle();
    bool HandleAllocated() const { return Handle_ != nullptr; }
    // Takes the bitmap over; the old one is deleted.
    void SetHandle(HBITMAP value);
    // Gives the bitmap up: the caller deletes it.
    HBITMAP ReleaseHandle();
    TCanvas* Canvas();
    int Width() const override;
    int Height() const override;
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    void SetSize(int width, int height);
    bool Monochrome() const;
    void SetMonochrome(bool value);
    // The colour drawn clear when Transparent: the bottom-left pixel's unless
    // set (clDefault).
    TColor TransparentColor() const;
    void SetTransparentColor(TColor value) { TransparentColor_ = value; }

    QImage ToImage() const override;
    bool LoadFromImage(const QImage& image) override;
    void Assign(TPersistent* source) override;

protected:
    ~TBitmap() override;
    void Draw(TCanvas* canvas, const TRect& rect) override;
    WORD ResourceType() const override { return 2; }

private:
    void FreeCanvasHandle();
    void Replace(HBITMAP bitmap);
    static HBITMAP CreateCopy(const TBitmap& bitmap);

    HBITMAP Handle_ = nullptr;
    TCanvas* Canvas_ = nullptr;
    TColor TransparentColor_ = clDefault;
};

// An icon over an HICON.
class CORVANE_VCL_EXPORT TIcon : public TGraphic {
    VCL_DECLARE_CLASS(TIcon, TGraphic)
public:
    TIcon() = default;

    HICON Handle() const { return Handle_; }
    // Takes the icon over; the old one is destroyed.
    void SetHandle(HICON value);
    HICON ReleaseHandle();
    int Width() const override;
    int Height() const override;
    // An icon's size is its picture's: setting it raises EInvalidGraphicOperation.
    void SetWidth(int value) override;
    void SetHeight(int value) override;

    QImage ToImage() const override;
    bool LoadFromImage(const QImage& image) override;
    void Assign(TPersistent* source) override;

protected:
    ~TIcon() override;
    void Draw(TCanvas* canvas, const TRect& rect) override;
    WORD ResourceType() const override { return 14; }

private:
    HICON Handle_ = nullptr;
};

// Holds one graphic of any kind.
class CORVANE_VCL_EXPORT TPicture : public TPersistent {
    VCL_DECLARE_CLASS(TPicture, TPersistent)
public:
    TPicture() = default;

    TGraphic* Graphic() const { return Graphic_; }
    // A copy of value (null: empty).
    void SetGraphic(TGraphic* value);
    // The graphic as a bitmap (an empty one replaces another kind).
    TBitmap* Bitmap();
    TIcon* Icon();
    int Width() const { return Graphic_ ? Graphic_->Width() : 0; }
    int Height() const { return Graphic_ ? Graphic_->Height() : 0; }
    // A ".ico" file becomes an icon, anything else a bitmap.
    void LoadFromFile(const std::string& fileName);
    void Assign(TPersistent* source) override;

    TNotifyEvent OnChange;

protected:
    ~TPicture() override;
    // Form files keep the picture as "Data": the graphic's class name (a
    // length byte and its characters), then the graphic's own data.
    void DefineProperties(TFiler* filer) override;

private:
    template <class T>
    T* As();
    void Replace(TGraphic* graphic);
    // Fills graphic, a new one, with load and makes it the picture; frees it
    // when load raises.
    template <class Load>
    void Take(TGraphic* graphic, Load load);
    void GraphicChanged(TObject* sender);
    void ReadData(TStream* stream);
    void WriteData(TStream* stream);

    TGraphic* Graphic_ = nullptr;
};

} // namespace vcl
