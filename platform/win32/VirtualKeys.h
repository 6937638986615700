#pragma once
// Virtual-key codes, the mouse-key flags of mouse messages, the key data
// (lParam) of keyboard messages, and the scan codes of a US keyboard.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

// ---- virtual keys ----
// Letters and digits are their upper-case ASCII codes ('A'..'Z', '0'..'9').

inline constexpr WORD VK_LBUTTON = 0x01;
inline constexpr WORD VK_RBUTTON = 0x02;
inline constexpr WORD VK_CANCEL = 0x03;
inline constexpr WORD VK_MBUTTON = 0x04;
inline constexpr WORD VK_XBUTTON1 = 0x05;
inline constexpr WORD VK_XBUTTON2 = 0x06;
inline constexpr WORD VK_BACK = 0x08;
inline constexpr WORD VK_TAB = 0x09;
inline constexpr WORD VK_CLEAR = 0x0C;
inline constexpr WORD VK_RETURN = 0x0D;
inline constexpr WORD VK_SHIFT = 0x10;
inline constexpr WORD VK_CONTROL = 0x11;
inline constexpr WORD VK_MENU = 0x12;
inline constexpr WORD VK_PAUSE = 0x13;
inline constexpr WORD VK_CAPITAL = 0x14;
inline constexpr WORD VK_KANA = 0x15;
inline constexpr WORD VK_HANGUL = 0x15;
inline constexpr WORD VK_JUNJA = 0x17;
inline constexpr WORD VK_FINAL = 0x18;
inline constexpr WORD VK_HANJA = 0x19;
inline constexpr WORD VK_KANJI = 0x19;
inline constexpr WORD VK_ESCAPE = 0x1B;
inline constexpr WORD VK_CONVERT = 0x1C;
inline constexpr WORD VK_NONCONVERT = 0x1D;
inline constexpr WORD VK_ACCEPT = 0x1E;
inline constexpr WORD VK_MODECHANGE = 0x1F;
inline constexpr WORD VK_SPACE = 0x20;
inline constexpr WORD VK_PRIOR = 0x21;
inline constexpr WORD VK_NEXT = 0x22;
inline constexpr WORD VK_END = 0x23;
inline constexpr WORD VK_HOME = 0x24;
inline constexpr WORD VK_LEFT = 0x25;
inline constexpr WORD VK_UP = 0x26;
inline constexpr WORD VK_RIGHT = 0x27;
inline constexpr WORD VK_DOWN = 0x28;
inline constexpr WORD VK_SELECT = 0x29;
inline constexpr WORD VK_PRINT = 0x2A;
inline constexpr WORD VK_EXECUTE = 0x2B;
inline constexpr WORD VK_SNAPSHOT = 0x2C;
inline constexpr WORD VK_INSERT = 0x2D;
inline constexpr WORD VK_DELETE = 0x2E;
inline constexpr WORD VK_HELP = 0x2F;
inline constexpr WORD VK_LWIN = 0x5B;
inline constexpr WORD VK_RWIN = 0x5C;
inline constexpr WORD VK_APPS = 0x5D;
inline constexpr WORD VK_SLEEP = 0x5F;
inline constexpr WORD VK_NUMPAD0 = 0x60;
inline constexpr WORD VK_NUMPAD1 = 0x61;
inline constexpr WORD VK_NUMPAD2 = 0x62;
inline constexpr WORD VK_NUMPAD3 = 0x63;
inline constexpr WORD VK_NUMPAD4 = 0x64;
inline constexpr WORD VK_NUMPAD5 = 0x65;
inline constexpr WORD VK_NUMPAD6 = 0x66;
inline constexpr WORD VK_NUMPAD7 = 0x67;
inline constexpr WORD VK_NUMPAD8 = 0x68;
inline constexpr WORD VK_NUMPAD9 = 0x69;
inline constexpr WORD VK_MULTIPLY = 0x6A;
inline constexpr WORD VK_ADD = 0x6B;
inline constexpr WORD VK_SEPARATOR = 0x6C;
inline constexpr WORD VK_SUBTRACT = 0x6D;
inline constexpr WORD VK_DECIMAL = 0x6E;
inline constexpr WORD VK_DIVIDE = 0x6F;
inline constexpr WORD VK_F1 = 0x70;
inline constexpr WORD VK_F2 = 0x71;
inline constexpr WORD VK_F3 = 0x72;
inline constexpr WORD VK_F4 = 0x73;
inline constexpr WORD VK_F5 = 0x74;
inline constexpr WORD VK_F6 = 0x75;
inline constexpr WORD VK_F7 = 0x76;
inline constexpr WORD VK_F8 = 0x77;
inline constexpr WORD VK_F9 = 0x78;
inline constexpr WORD VK_F10 = 0x79;
inline constexpr WORD VK_F11 = 0x7A;
inline constexpr WORD VK_F12 = 0x7B;
inline constexpr WORD VK_F13 = 0x7C;
inline constexpr WORD VK_F14 = 0x7D;
inline constexpr WORD VK_F15 = 0x7E;
inline constexpr WORD VK_F16 = 0x7F;
inline constexpr WORD VK_F17 = 0x80;
inline constexpr WORD VK_F18 = 0x81;
inline constexpr WORD VK_F19 = 0x82;
inline constexpr WORD VK_F20 = 0x83;
inline constexpr WORD VK_F21 = 0x84;
inline constexpr WORD VK_F22 = 0x85;
inline constexpr WORD VK_F23 = 0x86;
inline constexpr WORD VK_F24 = 0x87;
inline constexpr WORD VK_NUMLOCK = 0x90;
inline constexpr WORD VK_SCROLL = 0x91;
inline constexpr WORD VK_LSHIFT = 0xA0;
inline constexpr WORD VK_RSHIFT = 0xA1;
inline constexpr WORD VK_LCONTROL = 0xA2;
inline constexpr WORD VK_RCONTROL = 0xA3;
inline constexpr WORD VK_LMENU = 0xA4;
inline constexpr WORD VK_RMENU = 0xA5;
inline constexpr WORD VK_BROWSER_BACK = 0xA6;
inline constexpr WORD VK_BROWSER_FORWARD = 0xA7;
inline constexpr WORD VK_BROWSER_REFRESH = 0xA8;
inline constexpr WORD VK_BROWSER_STOP = 0xA9;
inline constexpr WORD VK_BROWSER_SEARCH = 0xAA;
inline constexpr WORD VK_BROWSER_FAVORITES = 0xAB;
inline constexpr WORD VK_BROWSER_HOME = 0xAC;
inline constexpr WORD VK_VOLUME_MUTE = 0xAD;
inline constexpr WORD VK_VOLUME_DOWN = 0xAE;
inline constexpr WORD VK_VOLUME_UP = 0xAF;
inline constexpr WORD VK_MEDIA_NEXT_TRACK = 0xB0;
inline constexpr WORD VK_MEDIA_PREV_TRACK = 0xB1;
inline constexpr WORD VK_MEDIA_STOP = 0xB2;
inline constexpr WORD VK_MEDIA_PLAY_PAUSE = 0xB3;
inline constexpr WORD VK_LAUNCH_MAIL = 0xB4;
inline constexpr WORD VK_LAUNCH_MEDIA_SELECT = 0xB5;
inline constexpr WORD VK_LAUNCH_APP1 = 0xB6;
inline constexpr WORD VK_LAUNCH_APP2 = 0xB7;
inline constexpr WORD VK_OEM_1 = 0xBA;      // ;:
inline constexpr WORD VK_OEM_PLUS = 0xBB;   // =+
inline constexpr WORD VK_OEM_COMMA = 0xBC;  // ,<
inline constexpr WORD VK_OEM_MINUS = 0xBD;  // -_
inline constexpr WORD VK_OEM_PERIOD = 0xBE; // .>
inline constexpr WORD VK_OEM_2 = 0xBF;      // /?
inline constexpr WORD VK_OEM_3 = 0xC0;      // `~
inline constexpr WORD VK_OEM_4 = 0xDB;      // [{
inline constexpr WORD VK_OEM_5 = 0xDC;      // \|
inline constexpr WORD VK_OEM_6 = 0xDD;      // ]}
inline constexpr WORD VK_OEM_7 = 0xDE;      // '"
inline constexpr WORD VK_OEM_8 = 0xDF;
inline constexpr WORD VK_OEM_102 = 0xE2; // the extra key of 102-key keyboards
inline constexpr WORD VK_PROCESSKEY = 0xE5;
inline constexpr WORD VK_PACKET = 0xE7;
inline constexpr WORD VK_ATTN = 0xF6;
inline constexpr WORD VK_CRSEL = 0xF7;
inline constexpr WORD VK_EXSEL = 0xF8;
inline constexpr WORD VK_EREOF = 0xF9;
inline constexpr WORD VK_PLAY = 0xFA;
inline constexpr WORD VK_ZOOM = 0xFB;
inline constexpr WORD VK_NONAME = 0xFC;
inline constexpr WORD VK_PA1 = 0xFD;
inline constexpr WORD VK_OEM_CLEAR = 0xFE;

// ---- the keys (wParam) of mouse messages ----

inline constexpr WPARAM MK_LBUTTON = 0x0001;
inline constexpr WPARAM MK_RBUTTON = 0x0002;
inline constexpr WPARAM MK_SHIFT = 0x0004;
inline constexpr WPARAM MK_CONTROL = 0x0008;
inline constexpr WPARAM MK_MBUTTON = 0x0010;
inline constexpr WPARAM MK_XBUTTON1 = 0x0020;
inline constexpr WPARAM MK_XBUTTON2 = 0x0040;

// ---- the key data (lParam) of keyboard messages ----
// Bits 0-15 repeat count, 16-23 scan code, then, in the high word:

inline constexpr WORD KF_EXTENDED = 0x0100; // a key of the enhanced keyboard (E0 prefix)
inline constexpr WORD KF_DLGMODE = 0x0800;
inline constexpr WORD KF_MENUMODE = 0x1000;
inline constexpr WORD KF_ALTDOWN = 0x2000; // the context code: Alt is down
inline constexpr WORD KF_REPEAT = 0x4000;  // the key was down before
inline constexpr WORD KF_UP = 0x8000;      // the key is being released

// The key data of one keyboard message. A repeat count outside 1..65535 is
// clamped to it.
CORVANE_PLATFORM_EXPORT LPARAM MakeKeyData(int repeatCount, BYTE scanCode, bool extended, bool altDown,
                                           bool previousDown, bool up);

inline int KeyDataRepeatCount(LPARAM keyData)
{
    return static_cast<int>(keyData & 0xFFFF);
}
inline BYTE KeyDataScanCode(LPARAM keyData)
{
    return static_cast<BYTE>((keyData >> 16) & 0xFF);
}
inline WORD KeyDataFlags(LPARAM keyData)
{
    return static_cast<WORD>((keyData >> 16) & 0xFF00);
}

// ---- scan codes (a US keyboard) ----

inline constexpr UINT MAPVK_VK_TO_VSC = 0;
inline constexpr UINT MAPVK_VSC_TO_VK = 1;
inline constexpr UINT MAPVK_VK_TO_CHAR = 2;
inline constexpr UINT MAPVK_VSC_TO_VK_EX = 3;

// Translates between virtual keys, scan codes and the unshifted character
// of a key on a US layout (letters in upper case). For VK_TO_VSC the
// generic VK_SHIFT, VK_CONTROL and VK_MENU give the left key; VSC_TO_VK
// gives the generic ones and VSC_TO_VK_EX the left and right keys. A scan
// code with 0xE0 in its high byte names the extended key. 0 when there is
// no translation.
CORVANE_PLATFORM_EXPORT UINT MapVirtualKey(UINT code, UINT mapType);

// Whether the key a virtual key names sends the extended flag when no
// scan code says otherwise (the navigation block, right Ctrl and Alt, the
// Windows and menu keys, the keypad's divide key, Num Lock).
CORVANE_PLATFORM_EXPORT bool IsExtendedKey(WORD virtualKey);
