#pragma once
// Image lists of the framework over the platform's image lists: pictures of
// one size drawn normal, focused, selected (blended), disabled (embossed)
// or with an overlay, in a background colour or clear.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Component.h"
#include "vcl/widgets/Graphics.h"
#include "win32/ImageLists.h"

namespace vcl {

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
VCL_ENUM_TYPE(TDrawingStyle, dsFocus, dsSelected, dsNormal, dsTransparent)
enum TImageType { itImage, itMask };
VCL_ENUM_TYPE(TImageType, itImage, itMask)

class CORVANE_VCL_EXPORT TCustomImageList : public TComponent {
    VCL_DECLARE_CLASS(TCustomImageList, TComponent)
public:
    explicit TCustomImageList(TComponent* owner);

    // The platform's list, made when first asked for.
    HIMAGELIST Handle();
    bool HandleAllocated() const { return Handle_ != nullptr; }
    // Takes another list; the old one is destroyed unless shared. The size
    // becomes the new list's.
    void SetHandle(HIMAGELIST value);
    // A shared list (the system's) is never destroyed by this component.
    bool ShareImages() const { return ShareImages_; }
    void SetShareImages(bool value) { ShareImages_ = value; }

    int Width() const { return Width_; }
    void SetWidth(int value);
    int Height() const { return Height_; }
    void SetHeight(int value);
    // clNone: clear parts stay clear.
    TColor BkColor() const { return BkColor_; }
    void SetBkColor(TColor value);
    // The colour selected and focused pictures blend with; clNone or
    // clDefault: the highlight colour.
    TColor BlendColor() const { return BlendColor_; }
    void SetBlendColor(TColor value) { BlendColor_ = value; }
    TDrawingStyle DrawingStyle() const { return DrawingStyle_; }
    void SetDrawingStyle(TDrawingStyle value) { DrawingStyle_ = value; }
    TImageType ImageType() const { return ImageType_; }
    void SetImageType(TImageType value) { ImageType_ = value; }
    bool Masked() const { return Masked_; }
    void SetMasked(bool value);

    int Count();
    // The index of the first picture added, or -1.
    int Add(TBitmap* image, TBitmap* mask);
    int AddMasked(TBitmap* image, TColor maskColor);
    int AddIcon(TIcon* icon);
    void Delete(int index);
    void Clear();
    // Makes picture imageIndex overlay number overlay (0 to 14).
    bool Overlay(int imageIndex, int overlay);

    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
    void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type,
              bool enabled = true);
    // Draws picture index with overlay number overlay (0 to 14) over it.
    void DrawOverlay(TCanvas* canvas, int x, int y, int index, int overlay, bool enabled = true);
    void GetBitmap(int index, TBitmap* image);
    void GetIcon(int index, TIcon* image);

    TNotifyEvent OnChange;

protected:
    ~TCustomImageList() override;
    void Change();
    // Draws as the flags say; a disabled picture is embossed in the 3-D
    // colours instead.
    virtual void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled);

private:
    void FreeHandle();
    void CreateList();

    HIMAGELIST Handle_ = nullptr;
    bool ShareImages_ = false;
    int Width_ = 16;
    int Height_ = 16;
    TColor BkColor_ = clNone;
    TColor BlendColor_ = clNone;
    TDrawingStyle DrawingStyle_ = dsNormal;
    TImageType ImageType_ = itImage;
    bool Masked_ = true;
};

class CORVANE_VCL_EXPORT TImageList : public TCustomImageList {
    VCL_DECLARE_CLASS(TImageList, TCustomImageList)
public:
    using TCustomImageList::TCustomImageList;

protected:
    ~TImageList() override = default;
};

} // namespace vcl
