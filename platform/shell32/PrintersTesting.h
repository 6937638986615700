#pragma once
// Where ListPrinters reads, redirected for tests; empty strings restore the
// system's files.

#include <string>

namespace shell32::testing {

void SetPrinterFiles(std::string printcap, std::string cupsPrinters);

} // namespace shell32::testing
