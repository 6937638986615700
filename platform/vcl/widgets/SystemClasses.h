#pragma once
// The system's window classes the framework gives CreateWindowExA: the
// size grip ("SCROLLBAR" with SBS_SIZEGRIP).

#include "vcl/CorvaneVclExport.h"

namespace vcl {

// The application object does it when it is made.
CORVANE_VCL_EXPORT void InstallSystemClasses();

} // namespace vcl
