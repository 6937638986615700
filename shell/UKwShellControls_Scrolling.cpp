// The scroll steps the shell tree and list share: the wheel's and the
// auto-scroll's of a drag.

#include "UKwShellControls.h"

#include "win32/ScrollBars.h"
#include "win32/SystemSettings.h"
#include "win32/WindowMessages.h"

namespace kw {

void ScrollOneStep(vcl::TWinControl* control, int bar, int code)
{
    if (!control || !control->HandleAllocated())
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(control->Handle(), bar, &info))
        return;
    // A bar whose page shows its whole range has nowhere to go; a request
    // anyway would still move a view that keeps a margin.
    if (info.nMax - info.nMin - static_cast<int>(info.nPage) <= 0)
        return;
    control->Perform(bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, static_cast<WPARAM>(code), 0);
}

bool WheelScroll(vcl::TWinControl* control, int bar, int lineCode, int pageCode)
{
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == WHEEL_PAGESCROLL) {
        ScrollOneStep(control, bar, pageCode);
        return true;
    }
    const UINT steps = bar == SB_VERT ? lines : 1;
    for (UINT i = 0; i < steps; ++i)
        ScrollOneStep(control, bar, lineCode);
    return true;
}

} // namespace kw
