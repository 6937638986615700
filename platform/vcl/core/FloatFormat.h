#pragma once
// Floating-point numbers as text, the framework's way: FloatToStr,
// FloatToStrF and FormatFloat, with the locale's separators.
//
// Digits come from the value's 18 most significant decimal digits, rounded
// half away from zero, as the framework does; so 0.125 with two decimals is
// 0.13, while 1.005 (stored as 1.00499999999999989...) stays 1.00. A value
// that rounds to zero shows no minus sign.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/FormatSettings.h"

#include <string>
#include <string_view>

namespace vcl {

enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
using enum TFloatFormat;

// Precision: significant digits (1..18); Digits: the minimum exponent digits
// (0..4) for ffGeneral and ffExponent, the decimals (0..18) for the others.
// ffGeneral shows the exponent sign only when it is negative ("1E20").
CORVANE_VCL_EXPORT std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);
CORVANE_VCL_EXPORT std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                                           const TFormatSettings& settings);

// ffGeneral with 15 digits: "1.5", "0.1", "1E20", "1.5E-7".
CORVANE_VCL_EXPORT std::string FloatToStr(double value);
CORVANE_VCL_EXPORT std::string FloatToStr(double value, const TFormatSettings& settings);

// Formats with a picture of up to three sections "positive;negative;zero":
//   0  a digit, always shown      #  a digit, shown when significant
//   .  the decimal separator      ,  group the integer part by thousands
//   E+ E- e+ e-  scientific, the zeros after it the exponent's least digits
//   "text" 'text'  literal text; any other character is copied.
// Each section ends at the next ";" outside quotes; a fourth and later ones
// are ignored. An empty negative or zero section uses the positive one; with
// a negative section the value is shown without its minus sign. The zero
// section applies when the value rounds to zero in the section chosen for it.
// An empty positive section, or an empty picture, gives the general format
// (FloatToStr), sign included. So does a value with more than 18 digits
// before the decimal point, unless the picture is scientific.
CORVANE_VCL_EXPORT std::string FormatFloat(std::string_view format, double value);
CORVANE_VCL_EXPORT std::string FormatFloat(std::string_view format, double value,
                                           const TFormatSettings& settings);

// The reverse of FloatToStr: an optional sign, digits with the locale's
// decimal separator, an optional exponent; blanks around are allowed. StrToFloat raises EConvertError "'%s'
// is not a valid floating point value".
CORVANE_VCL_EXPORT bool TryStrToFloat(std::string_view text, double& value);
CORVANE_VCL_EXPORT bool TryStrToFloat(std::string_view text, double& value, const TFormatSettings& settings);
CORVANE_VCL_EXPORT double StrToFloat(std::string_view text);
CORVANE_VCL_EXPORT double StrToFloat(std::string_view text, const TFormatSettings& settings);

} // namespace vcl
