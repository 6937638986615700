#pragma once
// The component package: its name, and the list of its units in start-up order.

#include "KwCorvaneExport.h"

namespace kw {

// "KwCorvaneD6", or "KwCorvaneD5" for the package built against the previous
// framework generation.
KWCORVANE_EXPORT const char* PackageName();

// Registers the package's units with the framework's unit registry in their
// start-up order. Safe to call more than once.
KWCORVANE_EXPORT void RegisterPackageUnits();

} // namespace kw
