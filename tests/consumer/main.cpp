// Links against the installed package and starts and ends as an application
// does: the application object makes the QApplication and runs the units'
// start-ups, and the end of Run shuts them down again.
#include "KwCorvanePackage.h"
#include "vcl/core/UnitRegistry.h"
#include "vcl/widgets/Application.h"

#include <cstdio>
#include <cstring>

int main()
{
    kw::RegisterPackageUnits();
    vcl::Application()->Initialize();
    const bool started = vcl::UnitInitialized("UKwShellUtils");
    const bool package = std::strcmp(kw::PackageName(), "KwCorvaneD6") == 0;
    // No main form: the loop ends at once and the program ends.
    vcl::Application()->Run();
    const bool ended = !vcl::UnitInitialized("UKwShellUtils");
    const bool ok = started && package && ended;
    std::printf("consumer: %s\n", ok         ? "ok"
                                  : !package ? "wrong package"
                                  : !started ? "units not started"
                                             : "units not shut down");
    return ok ? 0 : 1;
}
