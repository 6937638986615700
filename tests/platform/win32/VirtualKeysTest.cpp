// Key data of keyboard messages and the scan codes of a US keyboard.

#include "win32/VirtualKeys.h"

#include <gtest/gtest.h>

namespace {

struct KeyDataCase {
    int Repeat;
    BYTE Scan;
    bool Extended, AltDown, PreviousDown, Up;
    LPARAM Expected;
};
const KeyDataCase kKeyData[] = {
    {1, 0x1E, false, false, false, false, 0x001E0001},
    {3, 0x1E, false, false, true, false, 0x401E0003},
    {1, 0x1E, false, false, true, true, 0xC01E0001},
    {1, 0x38, true, true, true, true, 0xE1380001},
    {1, 0x2D, false, true, false, false, 0x202D0001},
    {0, 0x01, false, false, false, false, 0x00010001},     // at least once
    {70000, 0x01, false, false, false, false, 0x0001FFFF}, // at most 65535 times
};

TEST(VirtualKeys, KeyDataPacksEachField)
{
    for (const KeyDataCase& c : kKeyData) {
        const LPARAM data = MakeKeyData(c.Repeat, c.Scan, c.Extended, c.AltDown, c.PreviousDown, c.Up);
        EXPECT_EQ(data, c.Expected) << std::hex << c.Expected;
        EXPECT_GT(data, 0) << "held unsigned in the wider parameter";
        EXPECT_EQ(KeyDataScanCode(data), c.Scan);
        EXPECT_EQ(KeyDataRepeatCount(data), c.Expected & 0xFFFF);
        EXPECT_EQ((KeyDataFlags(data) & KF_EXTENDED) != 0, c.Extended);
        EXPECT_EQ((KeyDataFlags(data) & KF_ALTDOWN) != 0, c.AltDown);
        EXPECT_EQ((KeyDataFlags(data) & KF_REPEAT) != 0, c.PreviousDown);
        EXPECT_EQ((KeyDataFlags(data) & KF_UP) != 0, c.Up);
    }
}

struct MapCase {
    UINT Code;
    UINT Type;
    UINT Expected;
};
const MapCase kMaps[] = {
    {'A', MAPVK_VK_TO_VSC, 0x1E},
    {'0', MAPVK_VK_TO_VSC, 0x0B},
    {VK_SHIFT, MAPVK_VK_TO_VSC, 0x2A},
    {VK_RSHIFT, MAPVK_VK_TO_VSC, 0x36},
    {VK_CONTROL, MAPVK_VK_TO_VSC, 0x1D},
    {VK_HOME, MAPVK_VK_TO_VSC, 0x47},
    {VK_NUMPAD7, MAPVK_VK_TO_VSC, 0x47},
    {VK_RETURN, MAPVK_VK_TO_VSC, 0x1C},
    {VK_F12, MAPVK_VK_TO_VSC, 0x58},
    {VK_F24, MAPVK_VK_TO_VSC, 0x76},
    {VK_LBUTTON, MAPVK_VK_TO_VSC, 0},
    {0x141, MAPVK_VK_TO_VSC, 0},
    {0x1E, MAPVK_VSC_TO_VK, 'A'},
    {0x36, MAPVK_VSC_TO_VK, VK_SHIFT},
    {0x36, MAPVK_VSC_TO_VK_EX, VK_RSHIFT},
    {0xE01D, MAPVK_VSC_TO_VK, VK_CONTROL},
    {0xE01D, MAPVK_VSC_TO_VK_EX, VK_RCONTROL},
    {0xE038, MAPVK_VSC_TO_VK_EX, VK_RMENU},
    {0x47, MAPVK_VSC_TO_VK, VK_NUMPAD7},
    {0xE047, MAPVK_VSC_TO_VK, VK_HOME},
    {0x45, MAPVK_VSC_TO_VK, VK_PAUSE},
    {0xE045, MAPVK_VSC_TO_VK, VK_NUMLOCK},
    {0xE035, MAPVK_VSC_TO_VK, VK_DIVIDE},
    {0x28, MAPVK_VSC_TO_VK, VK_OEM_7},
    {0xE11D, MAPVK_VSC_TO_VK, 0},
    {0x7F, MAPVK_VSC_TO_VK, 0},
    {'Q', MAPVK_VK_TO_CHAR, 'Q'},
    {VK_OEM_1, MAPVK_VK_TO_CHAR, ';'},
    {VK_OEM_7, MAPVK_VK_TO_CHAR, '\''},
    {VK_OEM_3, MAPVK_VK_TO_CHAR, '`'},
    {VK_DIVIDE, MAPVK_VK_TO_CHAR, '/'},
    {VK_NUMPAD5, MAPVK_VK_TO_CHAR, '5'},
    {VK_SPACE, MAPVK_VK_TO_CHAR, ' '},
    {VK_F1, MAPVK_VK_TO_CHAR, 0},
    {'A', 9, 0},
};

TEST(VirtualKeys, MapVirtualKeyOnAUsKeyboard)
{
    for (const MapCase& c : kMaps)
        EXPECT_EQ(MapVirtualKey(c.Code, c.Type), c.Expected) << std::hex << c.Code << " type " << c.Type;
}

TEST(VirtualKeys, EveryScanCodeOfAKeyLeadsBackToIt)
{
    for (UINT vk = 1; vk <= 0xFE; ++vk) {
        const UINT scan = MapVirtualKey(vk, MAPVK_VK_TO_VSC);
        if (!scan)
            continue;
        const UINT code = (IsExtendedKey(static_cast<WORD>(vk)) ? 0xE000 : 0) | scan;
        const UINT back = MapVirtualKey(code, MAPVK_VSC_TO_VK_EX);
        // Keys that share a place (the keypad's 5 and Clear, Pause and Num
        // Lock aside) come back as the key of that place.
        if (vk == VK_CLEAR)
            EXPECT_EQ(back, VK_NUMPAD5);
        else if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU)
            EXPECT_EQ(MapVirtualKey(code, MAPVK_VSC_TO_VK), vk);
        else
            EXPECT_EQ(back, vk) << std::hex << vk;
    }
}

struct ExtendedCase {
    WORD Vk;
    bool Extended;
};
const ExtendedCase kExtended[] = {
    {VK_HOME, true},  {VK_DELETE, true},   {VK_RETURN, false},  {VK_DIVIDE, true}, {VK_RMENU, true},
    {VK_MENU, false}, {VK_RCONTROL, true}, {VK_NUMLOCK, true},  {'A', false},      {VK_PAUSE, false},
    {VK_APPS, true},  {VK_NUMPAD1, false}, {VK_SNAPSHOT, true},
};

TEST(VirtualKeys, ExtendedKeys)
{
    for (const ExtendedCase& c : kExtended)
        EXPECT_EQ(IsExtendedKey(c.Vk), c.Extended) << std::hex << c.Vk;
}

} // namespace
