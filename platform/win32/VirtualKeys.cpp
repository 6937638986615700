#include "win32/VirtualKeys.h"

#include <algorithm>
#include <iterator>

namespace {

// One key of a US keyboard: its virtual key, set-1 scan code, whether the
// scan code carries the E0 prefix, and its unshifted character.
struct KeyRow {
    WORD Vk;
    BYTE Scan;
    bool Extended;
    char Char;
};

// Where two rows share a virtual key or a scan code, the first one wins:
// VK_RETURN is the main Enter key, scan 0x47 without the prefix is the
// keypad's 7, scan 0x45 without it is Pause.
constexpr KeyRow kKeys[] = {
    {VK_ESCAPE, 0x01, false, 0x1B},
    {'1', 0x02, false, '1'},
    {'2', 0x03, false, '2'},
    {'3', 0x04, false, '3'},
    {'4', 0x05, false, '4'},
    {'5', 0x06, false, '5'},
    {'6', 0x07, false, '6'},
    {'7', 0x08, false, '7'},
    {'8', 0x09, false, '8'},
    {'9', 0x0A, false, '9'},
    {'0', 0x0B, false, '0'},
    {VK_OEM_MINUS, 0x0C, false, '-'},
    {VK_OEM_PLUS, 0x0D, false, '='},
    {VK_BACK, 0x0E, false, '\b'},
    {VK_TAB, 0x0F, false, '\t'},
    {'Q', 0x10, false, 'Q'},
    {'W', 0x11, false, 'W'},
    {'E', 0x12, false, 'E'},
    {'R', 0x13, false, 'R'},
    {'T', 0x14, false, 'T'},
    {'Y', 0x15, false, 'Y'},
    {'U', 0x16, false, 'U'},
    {'I', 0x17, false, 'I'},
    {'O', 0x18, false, 'O'},
    {'P', 0x19, false, 'P'},
    {VK_OEM_4, 0x1A, false, '['},
    {VK_OEM_6, 0x1B, false, ']'},
    {VK_RETURN, 0x1C, false, '\r'},
    {VK_LCONTROL, 0x1D, false, 0},
    {'A', 0x1E, false, 'A'},
    {'S', 0x1F, false, 'S'},
    {'D', 0x20, false, 'D'},
    {'F', 0x21, false, 'F'},
    {'G', 0x22, false, 'G'},
    {'H', 0x23, false, 'H'},
    {'J', 0x24, false, 'J'},
    {'K', 0x25, false, 'K'},
    {'L', 0x26, false, 'L'},
    {VK_OEM_1, 0x27, false, ';'},
    {VK_OEM_7, 0x28, false, '\''},
    {VK_OEM_3, 0x29, false, '`'},
    {VK_LSHIFT, 0x2A, false, 0},
    {VK_OEM_5, 0x2B, false, '\\'},
    {'Z', 0x2C, false, 'Z'},
    {'X', 0x2D, false, 'X'},
    {'C', 0x2E, false, 'C'},
    {'V', 0x2F, false, 'V'},
    {'B', 0x30, false, 'B'},
    {'N', 0x31, false, 'N'},
    {'M', 0x32, false, 'M'},
    {VK_OEM_COMMA, 0x33, false, ','},
    {VK_OEM_PERIOD, 0x34, false, '.'},
    {VK_OEM_2, 0x35, false, '/'},
    {VK_RSHIFT, 0x36, false, 0},
    {VK_MULTIPLY, 0x37, false, '*'},
    {VK_LMENU, 0x38, false, 0},
    {VK_SPACE, 0x39, false, ' '},
    {VK_CAPITAL, 0x3A, false, 0},
    {VK_F1, 0x3B, false, 0},
    {VK_F2, 0x3C, false, 0},
    {VK_F3, 0x3D, false, 0},
    {VK_F4, 0x3E, false, 0},
    {VK_F5, 0x3F, false, 0},
    {VK_F6, 0x40, false, 0},
    {VK_F7, 0x41, false, 0},
    {VK_F8, 0x42, false, 0},
    {VK_F9, 0x43, false, 0},
    {VK_F10, 0x44, false, 0},
    {VK_PAUSE, 0x45, false, 0},
    {VK_NUMLOCK, 0x45, true, 0},
    {VK_SCROLL, 0x46, false, 0},
    {VK_NUMPAD7, 0x47, false, '7'},
    {VK_NUMPAD8, 0x48, false, '8'},
    {VK_NUMPAD9, 0x49, false, '9'},
    {VK_SUBTRACT, 0x4A, false, '-'},
    {VK_NUMPAD4, 0x4B, false, '4'},
    {VK_NUMPAD5, 0x4C, false, '5'},
    {VK_CLEAR, 0x4C, false, 0},
    {VK_NUMPAD6, 0x4D, false, '6'},
    {VK_ADD, 0x4E, false, '+'},
    {VK_NUMPAD1, 0x4F, false, '1'},
    {VK_NUMPAD2, 0x50, false, '2'},
    {VK_NUMPAD3, 0x51, false, '3'},
    {VK_NUMPAD0, 0x52, false, '0'},
    {VK_DECIMAL, 0x53, false, '.'},
    {VK_OEM_102, 0x56, false, '\\'},
    {VK_F11, 0x57, false, 0},
    {VK_F12, 0x58, false, 0},
    {VK_F13, 0x64, false, 0},
    {VK_F14, 0x65, false, 0},
    {VK_F15, 0x66, false, 0},
    {VK_F16, 0x67, false, 0},
    {VK_F17, 0x68, false, 0},
    {VK_F18, 0x69, false, 0},
    {VK_F19, 0x6A, false, 0},
    {VK_F20, 0x6B, false, 0},
    {VK_F21, 0x6C, false, 0},
    {VK_F22, 0x6D, false, 0},
    {VK_F23, 0x6E, false, 0},
    {VK_F24, 0x76, false, 0},
    // The enhanced keyboard's own keys.
    {VK_RETURN, 0x1C, true, '\r'},
    {VK_RCONTROL, 0x1D, true, 0},
    {VK_DIVIDE, 0x35, true, '/'},
    {VK_SNAPSHOT, 0x37, true, 0},
    {VK_RMENU, 0x38, true, 0},
    {VK_HOME, 0x47, true, 0},
    {VK_UP, 0x48, true, 0},
    {VK_PRIOR, 0x49, true, 0},
    {VK_LEFT, 0x4B, true, 0},
    {VK_RIGHT, 0x4D, true, 0},
    {VK_END, 0x4F, true, 0},
    {VK_DOWN, 0x50, true, 0},
    {VK_NEXT, 0x51, true, 0},
    {VK_INSERT, 0x52, true, 0},
    {VK_DELETE, 0x53, true, 0},
    {VK_LWIN, 0x5B, true, 0},
    {VK_RWIN, 0x5C, true, 0},
    {VK_APPS, 0x5D, true, 0},
    {VK_SLEEP, 0x5F, true, 0},
    {VK_VOLUME_MUTE, 0x20, true, 0},
    {VK_LAUNCH_APP2, 0x21, true, 0},
    {VK_MEDIA_PLAY_PAUSE, 0x22, true, 0},
    {VK_MEDIA_STOP, 0x24, true, 0},
    {VK_VOLUME_DOWN, 0x2E, true, 0},
    {VK_VOLUME_UP, 0x30, true, 0},
    {VK_BROWSER_HOME, 0x32, true, 0},
    {VK_MEDIA_PREV_TRACK, 0x10, true, 0},
    {VK_MEDIA_NEXT_TRACK, 0x19, true, 0},
    {VK_BROWSER_SEARCH, 0x65, true, 0},
    {VK_BROWSER_FAVORITES, 0x66, true, 0},
    {VK_BROWSER_REFRESH, 0x67, true, 0},
    {VK_BROWSER_STOP, 0x68, true, 0},
    {VK_BROWSER_FORWARD, 0x69, true, 0},
    {VK_BROWSER_BACK, 0x6A, true, 0},
    {VK_LAUNCH_APP1, 0x6B, true, 0},
    {VK_LAUNCH_MAIL, 0x6C, true, 0},
    {VK_LAUNCH_MEDIA_SELECT, 0x6D, true, 0},
};

// The generic modifier keys stand for their left keys.
WORD LeftKeyOf(WORD vk)
{
    switch (vk) {
    case VK_SHIFT:
        return VK_LSHIFT;
    case VK_CONTROL:
        return VK_LCONTROL;
    case VK_MENU:
        return VK_LMENU;
    default:
        return vk;
    }
}

WORD GenericKeyOf(WORD vk)
{
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
        return VK_MENU;
    default:
        return vk;
    }
}

const KeyRow* RowOfKey(WORD vk)
{
    const WORD key = LeftKeyOf(vk);
    const auto* row =
        std::find_if(std::begin(kKeys), std::end(kKeys), [&](const KeyRow& r) { return r.Vk == key; });
    return row == std::end(kKeys) ? nullptr : row;
}

const KeyRow* RowOfScan(UINT code)
{
    const UINT prefix = code >> 8;
    if (prefix != 0 && prefix != 0xE0)
        return nullptr;
    const bool extended = prefix == 0xE0;
    const auto scan = static_cast<BYTE>(code & 0xFF);
    const auto* row = std::find_if(std::begin(kKeys), std::end(kKeys),
                                   [&](const KeyRow& r) { return r.Scan == scan && r.Extended == extended; });
    return row == std::end(kKeys) ? nullptr : row;
}

} // namespace

LPARAM MakeKeyData(int repeatCount, BYTE scanCode, bool extended, bool altDown, bool previousDown, bool up)
{
    const auto count = static_cast<std::uint32_t>(std::clamp(repeatCount, 1, 0xFFFF));
    std::uint32_t flags = scanCode;
    if (extended)
        flags |= KF_EXTENDED;
    if (altDown)
        flags |= KF_ALTDOWN;
    if (previousDown)
        flags |= KF_REPEAT;
    if (up)
        flags |= KF_UP;
    // The data is a 32-bit value; held in a wider LPARAM it is not sign
    // extended, as the platform's 64-bit messages carry it.
    return static_cast<LPARAM>((flags << 16) | count);
}

UINT MapVirtualKey(UINT code, UINT mapType)
{
    switch (mapType) {
    case MAPVK_VK_TO_VSC: {
        const KeyRow* row = code <= 0xFF ? RowOfKey(static_cast<WORD>(code)) : nullptr;
        return row ? row->Scan : 0;
    }
    case MAPVK_VSC_TO_VK:
    case MAPVK_VSC_TO_VK_EX: {
        const KeyRow* row = RowOfScan(code);
        if (!row)
            return 0;
        return mapType == MAPVK_VSC_TO_VK ? GenericKeyOf(row->Vk) : row->Vk;
    }
    case MAPVK_VK_TO_CHAR: {
        const KeyRow* row = code <= 0xFF ? RowOfKey(static_cast<WORD>(code)) : nullptr;
        return row ? static_cast<unsigned char>(row->Char) : 0;
    }
    default:
        return 0;
    }
}

bool IsExtendedKey(WORD virtualKey)
{
    const KeyRow* row = RowOfKey(virtualKey);
    return row && row->Extended;
}
