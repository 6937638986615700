#pragma once
// Test-only control of the locale the text routines follow.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/FormatSettings.h"

#include <string>

namespace vcl::testing {

// Replaces the process-wide settings until the next call or reset. Only for
// tests: a reference taken from GetFormatSettings before the call dangles.
CORVANE_VCL_EXPORT void SetFormatSettings(const TFormatSettings& settings);
// Back to the system locale, read again on next use.
CORVANE_VCL_EXPORT void ResetFormatSettings();

// The locale whose collation AnsiCompareStr and AnsiCompareText use ("de_DE");
// an empty name goes back to the system locale.
CORVANE_VCL_EXPORT void SetCollationLocale(const std::string& name);

} // namespace vcl::testing
