#include "vcl/core/Colors.h"

#include <charconv>
#include <cstdio>

namespace vcl {

const TTypeInfo* ColorTypeInfo()
{
    // Where two names share a value (clSilver, clLtGray) the first is written.
    static const TTypeInfo info = MakeIdentTypeInfo("TColor", INT32_MIN, INT32_MAX,
                                                    {{clBlack, "clBlack"},
                                                     {clMaroon, "clMaroon"},
                                                     {clGreen, "clGreen"},
                                                     {clOlive, "clOlive"},
                                                     {clNavy, "clNavy"},
                                                     {clPurple, "clPurple"},
                                                     {clTeal, "clTeal"},
                                                     {clGray, "clGray"},
                                                     {clSilver, "clSilver"},
                                                     {clRed, "clRed"},
                                                     {clLime, "clLime"},
                                                     {clYellow, "clYellow"},
                                                     {clBlue, "clBlue"},
                                                     {clFuchsia, "clFuchsia"},
                                                     {clAqua, "clAqua"},
                                                     {clWhite, "clWhite"},
                                                     {clScrollBar, "clScrollBar"},
                                                     {clBackground, "clBackground"},
                                                     {clActiveCaption, "clActiveCaption"},
                                                     {clInactiveCaption, "clInactiveCaption"},
                                                     {clMenu, "clMenu"},
                                                     {clWindow, "clWindow"},
                                                     {clWindowFrame, "clWindowFrame"},
                                                     {clMenuText, "clMenuText"},
                                                     {clWindowText, "clWindowText"},
                                                     {clCaptionText, "clCaptionText"},
                                                     {clActiveBorder, "clActiveBorder"},
                                                     {clInactiveBorder, "clInactiveBorder"},
                                                     {clAppWorkSpace, "clAppWorkSpace"},
                                                     {clHighlight, "clHighlight"},
                                                     {clHighlightText, "clHighlightText"},
                                                     {clBtnFace, "clBtnFace"},
                                                     {clBtnShadow, "clBtnShadow"},
                                                     {clGrayText, "clGrayText"},
                                                     {clBtnText, "clBtnText"},
                                                     {clInactiveCaptionText, "clInactiveCaptionText"},
                                                     {clBtnHighlight, "clBtnHighlight"},
                                                     {cl3DDkShadow, "cl3DDkShadow"},
                                                     {cl3DLight, "cl3DLight"},
                                                     {clInfoText, "clInfoText"},
                                                     {clInfoBk, "clInfoBk"},
                                                     {clNone, "clNone"},
                                                     {clDefault, "clDefault"},
                                                     {clLtGray, "clLtGray"},
                                                     {clDkGray, "clDkGray"}});
    return &info;
}

bool ColorToIdent(std::int64_t color, std::string& ident)
{
    return IntToIdent(ColorTypeInfo(), color, ident);
}

bool IdentToColor(std::string_view ident, std::int64_t& color)
{
    return IdentToInt(ColorTypeInfo(), ident, color);
}

std::string ColorToString(TColor color)
{
    std::string ident;
    if (ColorToIdent(color, ident))
        return ident;
    char text[16];
    std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(color));
    return text;
}

TColor StringToColor(std::string_view text)
{
    std::int64_t named = 0;
    if (IdentToColor(text, named))
        return static_cast<TColor>(named);
    std::string_view digits = text;
    int base = 10;
    bool negative = false;
    if (!digits.empty() && digits.front() == '$') {
        base = 16;
        digits.remove_prefix(1);
    } else if (!digits.empty() && digits.front() == '-') {
        negative = true;
        digits.remove_prefix(1);
    }
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    const bool fits = base == 16 ? value <= 0xFFFFFFFFu : value <= (negative ? 0x80000000u : 0x7FFFFFFFu);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || !fits)
        throw EConvertError("'" + std::string(text) + "' is not a valid colour");
    if (base == 16)
        return static_cast<TColor>(static_cast<std::uint32_t>(value));
    return static_cast<TColor>(negative ? -static_cast<std::int64_t>(value)
                                        : static_cast<std::int64_t>(value));
}

} // namespace vcl
