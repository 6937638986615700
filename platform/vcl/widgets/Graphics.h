#pragma once
// Colours as the screen shows them, and fonts.
//
// The drawing layer (canvases, pens, brushes, device contexts) builds on
// these; controls need them already for their colour and font properties.

#include "vcl/core/Classes.h"
#include "vcl/core/Colors.h"
#include "vcl/core/Events.h"
#include "vcl/core/Sets.h"
#include "vcl/core/TypInfo.h"
#include "win32/WinTypes.h"

#include <QColor>
#include <QFont>

#include <string>

namespace vcl {

// The plain colour of a TColor: system colours from the system palette.
COLORREF ColorToRGB(TColor color);
QColor ColorToQColor(TColor color);

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
VCL_ENUM_TYPE(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;

// A font as the framework describes it. Height is in pixels (negative: the
// character height without the internal leading, as forms store it); Size
// is in points at 96 pixels per inch. Families the system names for its
// dialogs map to one fixed family, so text measures the same everywhere.
class TFont : public TPersistent {
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

    void Assign(TPersistent* source) override;
    bool Equals(const TFont& other) const;
    QFont ToQFont() const;

    TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    std::string Name_ = "MS Sans Serif";
    int Height_ = -11;
    TColor Color_ = clWindowText;
    TFontStyles Style_;
};

} // namespace vcl
