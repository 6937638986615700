// Colours and fonts.

#include "vcl/widgets/Graphics.h"

#include "vcl/core/Publish.h"
#include "win32/SysColors.h"

namespace vcl {

COLORREF ColorToRGB(TColor color)
{
    if (color < 0)
        return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color) & 0xFFFFFF;
}

QColor ColorToQColor(TColor color)
{
    const COLORREF rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

const TClassRtti& TFont::PublishedTable()
{
    static const TClassRtti table = Publish<TFont>()
                                        .Property<&TFont::Color, &TFont::SetColor>("Color")
                                        .Type(ColorTypeInfo())
                                        .Property<&TFont::Height, &TFont::SetHeight>("Height")
                                        .Property<&TFont::Name, &TFont::SetName>("Name")
                                        .Property<&TFont::Style, &TFont::SetStyle>("Style");
    return table;
}

void TFont::SetName(const std::string& name)
{
    if (name != Name_) {
        Name_ = name;
        Changed();
    }
}

void TFont::SetHeight(int height)
{
    if (height != Height_) {
        Height_ = height;
        Changed();
    }
}

int TFont::Size() const
{
    const int pixels = Height_ < 0 ? -Height_ : Height_;
    return (pixels * 72 + PixelsPerInch / 2) / PixelsPerInch * (Height_ < 0 ? 1 : -1);
}

void TFont::SetSize(int size)
{
    SetHeight(-((size * PixelsPerInch + 36) / 72));
}

void TFont::SetColor(TColor color)
{
    if (color != Color_) {
        Color_ = color;
        Changed();
    }
}

void TFont::SetStyle(TFontStyles style)
{
    if (style != Style_) {
        Style_ = style;
        Changed();
    }
}

void TFont::Assign(TPersistent* source)
{
    if (auto* font = dynamic_cast<TFont*>(source)) {
        if (!Equals(*font)) {
            Name_ = font->Name_;
            Height_ = font->Height_;
            Color_ = font->Color_;
            Style_ = font->Style_;
            Changed();
        }
        return;
    }
    TPersistent::Assign(source);
}

bool TFont::Equals(const TFont& other) const
{
    return Name_ == other.Name_ && Height_ == other.Height_ && Color_ == other.Color_ &&
           Style_ == other.Style_;
}

void TFont::Changed()
{
    if (OnChange)
        OnChange(this);
}

QFont TFont::ToQFont() const
{
    static const char* const kDialogFamilies[] = {"MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Tahoma",
                                                  "Microsoft Sans Serif"};
    QString family = QString::fromStdString(Name_);
    for (const char* dialog : kDialogFamilies)
        if (Name_ == dialog)
            family = QStringLiteral("DejaVu Sans");
    QFont font(family);
    font.setPixelSize(Height_ < 0 ? -Height_ : (Height_ > 0 ? Height_ : 11));
    font.setBold(Style_.Contains(fsBold));
    font.setItalic(Style_.Contains(fsItalic));
    font.setUnderline(Style_.Contains(fsUnderline));
    font.setStrikeOut(Style_.Contains(fsStrikeOut));
    return font;
}

} // namespace vcl
