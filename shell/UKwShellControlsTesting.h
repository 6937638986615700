#pragma once
// Test-only hooks of the shell controls' unit.

#include "KwCorvaneExport.h"

namespace kw::testing {

// Forgets the parsed shortcut keys, so the next LoadShortcutKeys parses the
// table's texts again.
KWCORVANE_EXPORT void ResetShortcutKeys();

// What BusySleep's pause does (null: sleep the thread); returns the one
// before.
using TBusyPause = void (*)(int milliseconds);
KWCORVANE_EXPORT TBusyPause SetBusyPause(TBusyPause pause);

} // namespace kw::testing
