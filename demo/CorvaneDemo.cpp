// The demo program: the package's units and the demo's own start in order,
// then the main form runs until it closes.

#include "FExplorer.h"
#include "FMain.h"
#include "KwCorvanePackage.h"
#include "vcl/core/UnitRegistry.h"
#include "vcl/widgets/Application.h"

int main()
{
    kw::RegisterPackageUnits();
    vcl::RegisterUnit({"FExplorer", &demo::FExplorerInitialization, &demo::FExplorerFinalization});
    vcl::RegisterUnit({"FMain", &demo::FMainInitialization, &demo::FMainFinalization});
    vcl::Application()->Initialize();
    vcl::Application()->SetTitle("Corvane Demo");
    vcl::Application()->CreateForm(demo::FrmMain);
    vcl::Application()->Run();
    return 0;
}
