#pragma once
// The units' side of UKwFoundationTesting.h.

namespace kw::detail {

// Notes a unit's start-up or shut-down for the tests.
void RecordUnitEvent(const char* event);

} // namespace kw::detail
