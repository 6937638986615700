#pragma once
// The order of item names in the shell: case-insensitive, digit runs by their
// value ("file9" before "file10"), and a tie broken by the raw bytes, so that
// two different names never compare equal. Names are bytes; an invalid UTF-8
// byte orders as a character of its own.

#include "CorvanePlatformExport.h"
#include <string_view>

namespace shell32 {

// <0, 0, >0. 0 only for identical names when tieByBytes is set; without it,
// names that differ only in case or in leading zeros compare 0.
CORVANE_PLATFORM_EXPORT int CompareNamesNatural(std::string_view a, std::string_view b,
                                                bool tieByBytes = true);

} // namespace shell32
