#include "vcl/core/ShiftState.h"

#include "win32/VirtualKeys.h"

namespace vcl {

namespace {

struct KeyFlag {
    WPARAM Key;
    TShiftStateItem State;
};
constexpr KeyFlag kMouseKeys[] = {
    {MK_SHIFT, ssShift},   {MK_CONTROL, ssCtrl},   {MK_LBUTTON, ssLeft},
    {MK_RBUTTON, ssRight}, {MK_MBUTTON, ssMiddle},
};

} // namespace

TShiftState KeysToShiftState(WORD keys, bool altDown)
{
    TShiftState shift;
    for (const KeyFlag& flag : kMouseKeys)
        if (keys & flag.Key)
            shift += flag.State;
    if (altDown)
        shift += ssAlt;
    return shift;
}

TShiftState KeyDataToShiftState(LPARAM keyData, bool shiftDown, bool ctrlDown)
{
    TShiftState shift;
    if (shiftDown)
        shift += ssShift;
    if (ctrlDown)
        shift += ssCtrl;
    if (KeyDataFlags(keyData) & KF_ALTDOWN)
        shift += ssAlt;
    return shift;
}

WORD ShiftStateToKeys(TShiftState shift)
{
    WORD keys = 0;
    for (const KeyFlag& flag : kMouseKeys)
        if (shift.Contains(flag.State))
            keys |= static_cast<WORD>(flag.Key);
    return keys;
}

} // namespace vcl
