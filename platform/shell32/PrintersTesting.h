#pragma once
// Where ListPrinters reads, redirected for tests; empty strings restore the
// system's files.

#include "CorvanePlatformExport.h"
#include <string>

namespace shell32::testing {

CORVANE_PLATFORM_EXPORT void SetPrinterFiles(std::string printcap, std::string cupsPrinters);

} // namespace shell32::testing
