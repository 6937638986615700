#include "vcl/core/ShiftState.h"

#include "win32/VirtualKeys.h"

#include <gtest/gtest.h>

using namespace vcl;

namespace {

struct KeysCase {
    WORD Keys;
    bool AltDown;
    TShiftState Shift;
};
const KeysCase kKeys[] = {
    {0, false, {}},
    {MK_LBUTTON, false, {ssLeft}},
    {MK_RBUTTON | MK_SHIFT, false, {ssRight, ssShift}},
    {MK_MBUTTON | MK_CONTROL, true, {ssMiddle, ssCtrl, ssAlt}},
    {MK_XBUTTON1 | MK_XBUTTON2, false, {}},
    {MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL,
     false,
     {ssLeft, ssRight, ssMiddle, ssShift, ssCtrl}},
};

TEST(ShiftState, FromMouseKeysAndBack)
{
    for (const KeysCase& c : kKeys) {
        EXPECT_EQ(KeysToShiftState(c.Keys, c.AltDown), c.Shift) << c.Keys;
        EXPECT_EQ(ShiftStateToKeys(c.Shift), c.Keys & ~(MK_XBUTTON1 | MK_XBUTTON2)) << c.Keys;
    }
    EXPECT_EQ(ShiftStateToKeys({ssAlt, ssDouble}), 0);
}

struct KeyDataCase {
    LPARAM KeyData;
    bool ShiftDown, CtrlDown;
    TShiftState Shift;
};
const KeyDataCase kKeyData[] = {
    {0x001E0001, false, false, {}},
    {0x202D0001, false, false, {ssAlt}},
    {0x202D0001, true, true, {ssAlt, ssShift, ssCtrl}},
    {0xC01E0001, true, false, {ssShift}},
};

TEST(ShiftState, FromKeyData)
{
    for (const KeyDataCase& c : kKeyData)
        EXPECT_EQ(KeyDataToShiftState(c.KeyData, c.ShiftDown, c.CtrlDown), c.Shift) << std::hex << c.KeyData;
}

TEST(ShiftState, NamesItsMembers)
{
    EXPECT_EQ(SetToString(TypeInfo<TShiftState>(), TShiftState{ssShift, ssDouble}.Bits(), true),
              "[ssShift,ssDouble]");
}

} // namespace
