// Links against the installed package and starts and stops its units.
#include "KwCorvanePackage.h"
#include "vcl/core/UnitRegistry.h"

#include <cstdio>
#include <cstring>

int main()
{
    kw::RegisterPackageUnits();
    vcl::InitializeUnits();
    const bool ok = std::strcmp(kw::PackageName(), "KwCorvaneD6") == 0;
    vcl::FinalizeUnits();
    std::printf("consumer: %s\n", ok ? "ok" : "wrong package");
    return ok ? 0 : 1;
}
