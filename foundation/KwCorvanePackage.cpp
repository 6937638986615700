#include "KwCorvanePackage.h"

#include "FKwOpenDlg.h"
#include "FKwFolderBrowseDlg.h"
#include "UKwShell95.h"
#include "UKwShellControls.h"
#include "UKwShellUtils.h"
#include "UKwSplitter.h"
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
    vcl::RegisterUnit({"UKwShell95", &UKwShell95Initialization, &UKwShell95Finalization});
    vcl::RegisterUnit({"UKwShellUtils", &UKwShellUtilsInitialization, &UKwShellUtilsFinalization});
    vcl::RegisterUnit({"UKwSplitter", &UKwSplitterInitialization, &UKwSplitterFinalization});
    vcl::RegisterUnit({"UKwShellControls", &UKwShellControlsInitialization, &UKwShellControlsFinalization});
    vcl::RegisterUnit({"FKwOpenDlg", &FKwOpenDlgInitialization, &FKwOpenDlgFinalization});
    vcl::RegisterUnit(
        {"FKwFolderBrowseDlg", &FKwFolderBrowseDlgInitialization, &FKwFolderBrowseDlgFinalization});
}

} // namespace kw
