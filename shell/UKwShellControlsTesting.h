#pragma once
// Test-only hooks of the shell controls' unit.

#include "KwCorvaneExport.h"

namespace kw::testing {

// Forgets the parsed shortcut keys, so the next LoadShortcutKeys parses the
// table's texts again.
KWCORVANE_EXPORT void ResetShortcutKeys();

} // namespace kw::testing
