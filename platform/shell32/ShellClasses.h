#pragma once
// The COM classes the shell stand-in implements, which CoCreateInstance
// makes: CLSID_ShellLink (shell32/ShellLink.h).
//
// The COM layer lies below the shell and knows nothing of it: the shell
// registers its classes with COM at start-up, through com::RegisterClass. No
// static constructor does it; whoever starts the process's units calls
// RegisterShellClasses first (the package's start-up, a test program's main,
// a program that uses the shell without the package).

#include "CorvanePlatformExport.h"

namespace shell32 {

// Registers every class of the shell that is not registered yet; a class a
// program registered first under the same CLSID stays. Safe to call again
// and from any thread; the classes stay registered until a program
// unregisters them.
CORVANE_PLATFORM_EXPORT void RegisterShellClasses();

} // namespace shell32
