#include "vcl/core/Cursors.h"

namespace vcl {

const TTypeInfo* CursorTypeInfo()
{
    // crSize is read as another name of crSizeAll, which is the one written.
    static const TTypeInfo info = MakeIdentTypeInfo("TCursor", INT16_MIN, INT16_MAX,
                                                    {{crDefault, "crDefault"},
                                                     {crNone, "crNone"},
                                                     {crArrow, "crArrow"},
                                                     {crCross, "crCross"},
                                                     {crIBeam, "crIBeam"},
                                                     {crSizeNESW, "crSizeNESW"},
                                                     {crSizeNS, "crSizeNS"},
                                                     {crSizeNWSE, "crSizeNWSE"},
                                                     {crSizeWE, "crSizeWE"},
                                                     {crUpArrow, "crUpArrow"},
                                                     {crHourGlass, "crHourGlass"},
                                                     {crDrag, "crDrag"},
                                                     {crNoDrop, "crNoDrop"},
                                                     {crHSplit, "crHSplit"},
                                                     {crVSplit, "crVSplit"},
                                                     {crMultiDrag, "crMultiDrag"},
                                                     {crSQLWait, "crSQLWait"},
                                                     {crNo, "crNo"},
                                                     {crAppStart, "crAppStart"},
                                                     {crHelp, "crHelp"},
                                                     {crHandPoint, "crHandPoint"},
                                                     {crSizeAll, "crSizeAll"},
                                                     {crSize, "crSize"}});
    return &info;
}

bool CursorToIdent(std::int64_t cursor, std::string& ident)
{
    return IntToIdent(CursorTypeInfo(), cursor, ident);
}

bool IdentToCursor(std::string_view ident, std::int64_t& cursor)
{
    return IdentToInt(CursorTypeInfo(), ident, cursor);
}

} // namespace vcl
