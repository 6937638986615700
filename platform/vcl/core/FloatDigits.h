#pragma once
// Decimal digits of a double, shared by the float formatters (not for users).

#include "vcl/CorvaneVclExport.h"
#include <string>

namespace vcl::detail {

constexpr int kMaxFloatDigits = 18;

// value = (Negative ? -1 : 1) * 0.Digits * 10^Exponent; Digits has no
// trailing zeros and is empty for zero.
struct CORVANE_VCL_EXPORT TFloatRec {
    bool Negative = false;
    int Exponent = 0;
    std::string Digits;
};

// The 18 leading significant digits of a finite value.
CORVANE_VCL_EXPORT TFloatRec RawDigits(double value);
// Keeps `keep` leading digits, rounding half away from zero; keep may be <= 0.
CORVANE_VCL_EXPORT void RoundDigits(TFloatRec& r, int keep);
// At most `precision` significant digits and `decimals` after the point.
CORVANE_VCL_EXPORT TFloatRec FloatToDecimal(double value, int precision, int decimals);

CORVANE_VCL_EXPORT std::string IntegerDigits(const TFloatRec& r);                // "" when below 1
CORVANE_VCL_EXPORT std::string FractionDigits(const TFloatRec& r, int decimals); // padded with zeros
CORVANE_VCL_EXPORT std::string GroupThousands(const std::string& digits, char separator);
CORVANE_VCL_EXPORT std::string ExponentText(int exponent, bool alwaysSign, int minDigits);

} // namespace vcl::detail
