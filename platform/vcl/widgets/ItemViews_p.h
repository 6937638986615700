#pragma once
// What the framework's tree and list views share about their windows.

#include "vcl/widgets/Controls.h"

namespace vcl {

// A press whose release the window took while it waited to see whether a
// drag begins: the control hears the release as well, after the press, so
// that its capture ends and its click and mouse-up events come as for any
// other control. down is the press's message; handle it first.
void FinishButtonTheWindowTook(TWinControl& control, UINT down);

} // namespace vcl
