#pragma once
// The COM classes the shell stand-in implements, which CoCreateInstance
// makes: CLSID_ShellLink (shell32/ShellLink.h).
//
// No static constructor registers them. The COM class registry calls
// com::RegisterPlatformClasses (defined with this file) once, before its
// first look-up of a class, and that registers these; so they are there for
// every program that creates objects, whatever units it started.

namespace shell32 {

// Registers every class of the shell that is not registered yet; a class a
// program registered first under the same CLSID stays.
void RegisterShellClasses();

} // namespace shell32
