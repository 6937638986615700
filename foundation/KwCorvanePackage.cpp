#include "KwCorvanePackage.h"

#include "vcl/core/UnitRegistry.h"

namespace kw {

const char* PackageName()
{
#if defined(KW_PREVIOUS_GENERATION)
    return "KwCorvaneD5";
#else
    return "KwCorvaneD6";
#endif
}

void RegisterPackageUnits()
{
}

} // namespace kw
