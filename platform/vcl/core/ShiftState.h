#pragma once
// The framework's shift state: which modifier keys and mouse buttons were
// down when an input event happened, and its conversions to and from the
// mouse keys of mouse messages and the key data of keyboard messages.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Sets.h"
#include "vcl/core/TypInfo.h"
#include "win32/WinTypes.h"

namespace vcl {

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
VCL_ENUM_TYPE(TShiftStateItem, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
using TShiftState = TSet<TShiftStateItem>;

// The shift state of a mouse message's keys (MK_*). Alt is not among them:
// altDown says whether it is down now.
CORVANE_VCL_EXPORT TShiftState KeysToShiftState(WORD keys, bool altDown);

// The shift state of a keyboard message: Alt from its key data (the context
// code), Shift and Ctrl as they are down now.
CORVANE_VCL_EXPORT TShiftState KeyDataToShiftState(LPARAM keyData, bool shiftDown, bool ctrlDown);

// The mouse keys (MK_*) of a shift state; Alt and double have none.
CORVANE_VCL_EXPORT WORD ShiftStateToKeys(TShiftState shift);

} // namespace vcl
