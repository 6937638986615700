#pragma once
// The framework's cursor numbers: the built-in cursors are negative, 0 is
// the control's default, and applications add their own above 0. Form files
// write the built-in ones by name.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/TypInfo.h"

#include <cstdint>
#include <string>

namespace vcl {

using TCursor = std::int16_t;

inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
inline constexpr TCursor crSize = crSizeAll;

// The type record of cursor properties: a 16-bit integer with the names above.
CORVANE_VCL_EXPORT const TTypeInfo* CursorTypeInfo();

CORVANE_VCL_EXPORT bool CursorToIdent(std::int64_t cursor, std::string& ident);
CORVANE_VCL_EXPORT bool IdentToCursor(std::string_view ident, std::int64_t& cursor);

} // namespace vcl
