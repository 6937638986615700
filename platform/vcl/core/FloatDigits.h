#pragma once
// Decimal digits of a double, shared by the float formatters (not for users).

#include <string>

namespace vcl::detail {

constexpr int kMaxFloatDigits = 18;

// value = (Negative ? -1 : 1) * 0.Digits * 10^Exponent; Digits has no
// trailing zeros and is empty for zero.
struct TFloatRec {
    bool Negative = false;
    int Exponent = 0;
    std::string Digits;
};

// The 18 leading significant digits of a finite value.
TFloatRec RawDigits(double value);
// Keeps `keep` leading digits, rounding half away from zero; keep may be <= 0.
void RoundDigits(TFloatRec& r, int keep);
// At most `precision` significant digits and `decimals` after the point.
TFloatRec FloatToDecimal(double value, int precision, int decimals);

std::string IntegerDigits(const TFloatRec& r);                // "" when below 1
std::string FractionDigits(const TFloatRec& r, int decimals); // padded with zeros
std::string GroupThousands(const std::string& digits, char separator);
std::string ExponentText(int exponent, bool alwaysSign, int minDigits);

} // namespace vcl::detail
