#pragma once
// The shell's COM interfaces, their identifiers and records, in the form the
// library calls them; and the unit's start-up (COM for the loading thread, the
// optional shell entry point bound by name).
//
// The declarations themselves are the platform's (shell32/ShellInterfaces.h):
// this unit names them for the library and adds what the library exports.

#include "com/Unknown.h"
#include "shell32/ShellInterfaces.h"

namespace kw {

// ---- start-up and exported variables (see UKwShell95.cpp) ----

} // namespace kw
