#pragma once
// Test-only view into the foundation units' start-up and shut-down.

#include <string>
#include <vector>

namespace kw::testing {

// What the units' start-ups and shut-downs did, in order: "UKwShell95 start",
// "UKwShellUtils start", "UKwShellUtils stop", "UKwShell95 stop". A start-up
// or shut-down that was ignored (run twice, or without start-up) leaves no
// entry.
std::vector<std::string> UnitEvents();
void ClearUnitEvents();

} // namespace kw::testing
