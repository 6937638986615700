#pragma once
// The list-view control's records. The numbers are the platform's own.

#include "win32/CommonControls.h"
#include "win32/WinTypes.h"

struct CORVANE_PLATFORM_EXPORT NMLVCUSTOMDRAW {
    NMCUSTOMDRAW nmcd;
    COLORREF clrText;
    COLORREF clrTextBk;
    int iSubItem;
};
