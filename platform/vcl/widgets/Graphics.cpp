// Colours and fonts.

#include "vcl/widgets/Graphics.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/Graphics_p.h"
#include "win32/DeviceContext.h"
#include "win32/SysColors.h"

#include <cstring>
#include <tuple>

namespace vcl {

COLORREF ColorToRGB(TColor color)
{
    if (color < 0)
        return GetSysColor(color & 0xFF);
    // Palette-relative colours keep their flag: the device context they are
    // drawn in resolves them through its palette.
    const auto value = static_cast<COLORREF>(color);
    const COLORREF flags = value >> 24;
    return flags == 1 || flags == 2 ? value & 0x03FFFFFF : value & 0xFFFFFF;
}

QColor ColorToQColor(TColor color)
{
    const COLORREF rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

const TClassRtti& TFont::PublishedTable()
{
    static const TClassRtti table = Publish<TFont>()
                                        .Property<&TFont::Charset, &TFont::SetCharset>("Charset")
                                        .Type(FontCharsetTypeInfo())
                                        .Property<&TFont::Color, &TFont::SetColor>("Color")
                                        .Type(ColorTypeInfo())
                                        .Property<&TFont::Height, &TFont::SetHeight>("Height")
                                        .Property<&TFont::Name, &TFont::SetName>("Name")
                                        .Property<&TFont::Style, &TFont::SetStyle>("Style");
    return table;
}

const TTypeInfo* FontCharsetTypeInfo()
{
    static const TTypeInfo info = MakeIdentTypeInfo("TFontCharset", 0, 255,
                                                    {{ANSI_CHARSET, "ANSI_CHARSET"},
                                                     {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
                                                     {2, "SYMBOL_CHARSET"},
                                                     {77, "MAC_CHARSET"},
                                                     {128, "SHIFTJIS_CHARSET"},
                                                     {129, "HANGEUL_CHARSET"},
                                                     {130, "JOHAB_CHARSET"},
                                                     {134, "GB2312_CHARSET"},
                                                     {136, "CHINESEBIG5_CHARSET"},
                                                     {161, "GREEK_CHARSET"},
                                                     {162, "TURKISH_CHARSET"},
                                                     {163, "VIETNAMESE_CHARSET"},
                                                     {177, "HEBREW_CHARSET"},
                                                     {178, "ARABIC_CHARSET"},
                                                     {186, "BALTIC_CHARSET"},
                                                     {204, "RUSSIAN_CHARSET"},
                                                     {222, "THAI_CHARSET"},
                                                     {238, "EASTEUROPE_CHARSET"},
                                                     {255, "OEM_CHARSET"}});
    return &info;
}

void TFont::SetCharset(TFontCharset charset)
{
    if (charset != Charset_) {
        Charset_ = charset;
        Changed();
    }
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
            Charset_ = font->Charset_;
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
    return Name_ == other.Name_ && Height_ == other.Height_ && Charset_ == other.Charset_ &&
           Color_ == other.Color_ && Style_ == other.Style_;
}

void TFont::Changed()
{
    ReleaseHandle();
    if (OnChange)
        OnChange(this);
}

namespace {

using FontKey = std::tuple<std::string, int, unsigned, TFontCharset>;

detail::THandleCache<FontKey, HFONT>& Fonts()
{
    static auto& cache = *new detail::THandleCache<FontKey, HFONT>();
    return cache;
}

unsigned StyleBits(TFontStyles style)
{
    unsigned bits = 0;
    for (TFontStyle s : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
        if (style.Contains(s))
            bits |= 1u << s;
    return bits;
}

} // namespace

TFont::~TFont()
{
    ReleaseHandle();
}

HFONT TFont::Handle() const
{
    if (!Handle_) {
        Handle_ = Fonts().Acquire(FontKey{Name_, Height_, StyleBits(Style_), Charset_}, [&] {
            LOGFONTA log{};
            log.lfHeight = Height_;
            log.lfWeight = Style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
            log.lfItalic = Style_.Contains(fsItalic);
            log.lfUnderline = Style_.Contains(fsUnderline);
            log.lfStrikeOut = Style_.Contains(fsStrikeOut);
            log.lfCharSet = Charset_;
            std::strncpy(log.lfFaceName, Name_.c_str(), LF_FACESIZE - 1);
            return CreateFontIndirectA(&log);
        });
    }
    return Handle_;
}

void TFont::ReleaseHandle() const
{
    if (Handle_)
        Fonts().Release(std::exchange(Handle_, nullptr));
}

QFont TFont::ToQFont() const
{
    return win32::FontOf(Handle()).value_or(QFont());
}

} // namespace vcl
