#pragma once
// The printers the Printers folder lists. No print system is linked: the
// names come from what CUPS leaves readable, /etc/printcap (which it writes
// for older programs) and, where the caller may read it, its printers.conf.
// A system without either has an empty Printers folder.

#include "CorvanePlatformExport.h"
#include <string>
#include <string_view>
#include <vector>

namespace shell32 {

// The printer names of a printcap text: the first name of each entry
// ("name|alias|...:caps"), comments and continuation lines skipped.
CORVANE_PLATFORM_EXPORT std::vector<std::string> ParsePrintcap(std::string_view text);
// The names of the <Printer name> and <DefaultPrinter name> sections.
CORVANE_PLATFORM_EXPORT std::vector<std::string> ParseCupsPrinters(std::string_view text);

// Both files read (a missing or unreadable one gives nothing), the names
// merged without repeats, sorted by bytes.
CORVANE_PLATFORM_EXPORT std::vector<std::string> ListPrinters();

} // namespace shell32
