// Pens and brushes, with handles shared by description.

#include "vcl/widgets/Graphics.h"
#include "vcl/widgets/Graphics_p.h"

#include <array>
#include <tuple>
#include <utility>

namespace vcl {

namespace {

using PenKey = std::tuple<COLORREF, int, int>;
using BrushKey = std::tuple<COLORREF, int>;

detail::THandleCache<PenKey, HPEN>& Pens()
{
    static auto& cache = *new detail::THandleCache<PenKey, HPEN>();
    return cache;
}

detail::THandleCache<BrushKey, HBRUSH>& Brushes()
{
    static auto& cache = *new detail::THandleCache<BrushKey, HBRUSH>();
    return cache;
}

constexpr std::array<int, 7> kPenStyles{PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                        PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
constexpr std::array<int, 16> kRop2{R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                    R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                    R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                    R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};

template <class T, class V>
void Store(T& field, V value, bool& changed)
{
    if (field != value) {
        field = value;
        changed = true;
    }
}

} // namespace

int PenModeToRop2(TPenMode mode)
{
    return kRop2[static_cast<std::size_t>(mode)];
}

// ---- TPen ----

TPen::~TPen()
{
    ReleaseHandle();
}

void TPen::SetColor(TColor value)
{
    bool changed = false;
    Store(Color_, value, changed);
    if (changed)
        Changed();
}

void TPen::SetWidth(int value)
{
    bool changed = false;
    Store(Width_, value, changed);
    if (changed)
        Changed();
}

void TPen::SetStyle(TPenStyle value)
{
    bool changed = false;
    Store(Style_, value, changed);
    if (changed)
        Changed();
}

void TPen::SetMode(TPenMode value)
{
    // The mode is the context's, not the pen's: the handle stays.
    if (value != Mode_) {
        Mode_ = value;
        if (OnChange)
            OnChange(this);
    }
}

HPEN TPen::Handle() const
{
    if (!Handle_) {
        const COLORREF colour = ColorToRGB(Color_);
        const int style = kPenStyles[static_cast<std::size_t>(Style_)];
        Handle_ =
            Pens().Acquire(PenKey{colour, Width_, style}, [&] { return CreatePen(style, Width_, colour); });
    }
    return Handle_;
}

void TPen::ReleaseHandle() const
{
    if (Handle_)
        Pens().Release(std::exchange(Handle_, nullptr));
}

void TPen::Changed()
{
    ReleaseHandle();
    if (OnChange)
        OnChange(this);
}

void TPen::Assign(TPersistent* source)
{
    if (auto* pen = dynamic_cast<TPen*>(source)) {
        bool changed = false;
        Store(Color_, pen->Color_, changed);
        Store(Width_, pen->Width_, changed);
        Store(Style_, pen->Style_, changed);
        Store(Mode_, pen->Mode_, changed);
        if (changed)
            Changed();
        return;
    }
    TPersistent::Assign(source);
}

// ---- TBrush ----

TBrush::~TBrush()
{
    ReleaseHandle();
}

void TBrush::SetColor(TColor value)
{
    // A colour, even the one it has, makes a cleared brush solid again.
    if (value == Color_ && Style_ != bsClear)
        return;
    Color_ = value;
    if (Style_ == bsClear)
        Style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle value)
{
    bool changed = false;
    Store(Style_, value, changed);
    if (changed)
        Changed();
}

void TBrush::SetBitmap(TBitmap* value)
{
    if (value == Bitmap_)
        return;
    Bitmap_ = value;
    Changed();
}

HBRUSH TBrush::Handle() const
{
    if (Handle_)
        return Handle_;
    if (Bitmap_ && !Bitmap_->Empty()) {
        Handle_ = CreatePatternBrush(Bitmap_->Handle());
        SharedHandle_ = false;
        return Handle_;
    }
    const COLORREF colour = ColorToRGB(Color_);
    Handle_ = Brushes().Acquire(BrushKey{colour, Style_}, [&]() -> HBRUSH {
        switch (Style_) {
        case bsSolid:
            return CreateSolidBrush(colour);
        case bsClear: {
            LOGBRUSH hollow{BS_NULL, 0, 0};
            return CreateBrushIndirect(&hollow);
        }
        default:
            return CreateHatchBrush(static_cast<int>(Style_) - bsHorizontal + HS_HORIZONTAL, colour);
        }
    });
    SharedHandle_ = true;
    return Handle_;
}

void TBrush::ReleaseHandle() const
{
    if (!Handle_)
        return;
    if (SharedHandle_)
        Brushes().Release(std::exchange(Handle_, nullptr));
    else
        DeleteObject(std::exchange(Handle_, nullptr));
}

void TBrush::Changed()
{
    ReleaseHandle();
    if (OnChange)
        OnChange(this);
}

void TBrush::Assign(TPersistent* source)
{
    if (auto* brush = dynamic_cast<TBrush*>(source)) {
        bool changed = false;
        Store(Color_, brush->Color_, changed);
        Store(Style_, brush->Style_, changed);
        Store(Bitmap_, brush->Bitmap_, changed);
        if (changed)
            Changed();
        return;
    }
    TPersistent::Assign(source);
}

} // namespace vcl
