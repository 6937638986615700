#pragma once
// Test-only view into the foundation units' start-up and shut-down.

#include "KwCorvaneExport.h"
#include <string>
#include <vector>

namespace kw::testing {

// What the units' start-ups and shut-downs did, in order: "UKwShell95 start",
// "UKwShellUtils start", "UKwShellUtils stop", "UKwShell95 stop". A start-up
// or shut-down that was ignored (run twice, or without start-up) leaves no
// entry.
KWCORVANE_EXPORT std::vector<std::string> UnitEvents();
KWCORVANE_EXPORT void ClearUnitEvents();

// Forgets that the overlay images were added to the system image lists, so
// the next ShellGetSystemImageList adds them again (with the lists emptied
// by shell32::testing::ResetSystemImageLists).
KWCORVANE_EXPORT void ResetSystemImageListOverlays();

} // namespace kw::testing
