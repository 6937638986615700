#pragma once
// Message-only windows whose messages go to a method: what timers, the
// application and other non-visual objects receive window messages with.

#include "vcl/CorvaneVclExport.h"
#include "vcl/widgets/Messages.h"

namespace vcl {

// A window with no widget; every message it gets goes to method, whose
// object must call DeallocateHWnd before it goes.
CORVANE_VCL_EXPORT HWND AllocateHWnd(TWndMethod method);
// Destroys the window; its pending mail is discarded.
CORVANE_VCL_EXPORT void DeallocateHWnd(HWND window);

} // namespace vcl
