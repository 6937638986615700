#include "vcl/widgets/QtKeys.h"

#include "win32/VirtualKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <algorithm>
#include <iterator>

namespace vcl {

namespace {

struct QtKeyRow {
    int Key;
    WORD Vk;
    bool Keypad; // applies only with Qt::KeypadModifier
};

// Letters, digits and F1-F24 go by range; this table holds the rest. The
// first row of a virtual key is the Qt key it maps back to.
constexpr QtKeyRow kQtKeys[] = {
    {Qt::Key_Asterisk, VK_MULTIPLY, true},
    {Qt::Key_Plus, VK_ADD, true},
    {Qt::Key_Minus, VK_SUBTRACT, true},
    {Qt::Key_Period, VK_DECIMAL, true},
    {Qt::Key_Comma, VK_DECIMAL, true},
    {Qt::Key_Slash, VK_DIVIDE, true},
    {Qt::Key_Escape, VK_ESCAPE, false},
    {Qt::Key_Tab, VK_TAB, false},
    {Qt::Key_Backtab, VK_TAB, false},
    {Qt::Key_Backspace, VK_BACK, false},
    {Qt::Key_Return, VK_RETURN, false},
    {Qt::Key_Enter, VK_RETURN, false},
    {Qt::Key_Insert, VK_INSERT, false},
    {Qt::Key_Delete, VK_DELETE, false},
    {Qt::Key_Pause, VK_PAUSE, false},
    {Qt::Key_Print, VK_SNAPSHOT, false},
    {Qt::Key_SysReq, VK_SNAPSHOT, false},
    {Qt::Key_Clear, VK_CLEAR, false},
    {Qt::Key_Home, VK_HOME, false},
    {Qt::Key_End, VK_END, false},
    {Qt::Key_Left, VK_LEFT, false},
    {Qt::Key_Up, VK_UP, false},
    {Qt::Key_Right, VK_RIGHT, false},
    {Qt::Key_Down, VK_DOWN, false},
    {Qt::Key_PageUp, VK_PRIOR, false},
    {Qt::Key_PageDown, VK_NEXT, false},
    {Qt::Key_Shift, VK_SHIFT, false},
    {Qt::Key_Control, VK_CONTROL, false},
    {Qt::Key_Alt, VK_MENU, false},
    {Qt::Key_AltGr, VK_MENU, false},
    {Qt::Key_Super_L, VK_LWIN, false},
    {Qt::Key_Meta, VK_LWIN, false},
    {Qt::Key_Super_R, VK_RWIN, false},
    {Qt::Key_Menu, VK_APPS, false},
    {Qt::Key_CapsLock, VK_CAPITAL, false},
    {Qt::Key_NumLock, VK_NUMLOCK, false},
    {Qt::Key_ScrollLock, VK_SCROLL, false},
    {Qt::Key_Space, VK_SPACE, false},
    {Qt::Key_Help, VK_HELP, false},
    {Qt::Key_Select, VK_SELECT, false},
    {Qt::Key_Execute, VK_EXECUTE, false},
    {Qt::Key_Printer, VK_PRINT, false},
    {Qt::Key_Cancel, VK_CANCEL, false},
    {Qt::Key_Sleep, VK_SLEEP, false},
    {Qt::Key_Play, VK_PLAY, false},
    {Qt::Key_Zoom, VK_ZOOM, false},
    {Qt::Key_Back, VK_BROWSER_BACK, false},
    {Qt::Key_Forward, VK_BROWSER_FORWARD, false},
    {Qt::Key_Refresh, VK_BROWSER_REFRESH, false},
    {Qt::Key_Stop, VK_BROWSER_STOP, false},
    {Qt::Key_Search, VK_BROWSER_SEARCH, false},
    {Qt::Key_Favorites, VK_BROWSER_FAVORITES, false},
    {Qt::Key_HomePage, VK_BROWSER_HOME, false},
    {Qt::Key_VolumeMute, VK_VOLUME_MUTE, false},
    {Qt::Key_VolumeDown, VK_VOLUME_DOWN, false},
    {Qt::Key_VolumeUp, VK_VOLUME_UP, false},
    {Qt::Key_MediaNext, VK_MEDIA_NEXT_TRACK, false},
    {Qt::Key_MediaPrevious, VK_MEDIA_PREV_TRACK, false},
    {Qt::Key_MediaStop, VK_MEDIA_STOP, false},
    {Qt::Key_MediaTogglePlayPause, VK_MEDIA_PLAY_PAUSE, false},
    {Qt::Key_MediaPlay, VK_MEDIA_PLAY_PAUSE, false},
    {Qt::Key_LaunchMail, VK_LAUNCH_MAIL, false},
    {Qt::Key_LaunchMedia, VK_LAUNCH_MEDIA_SELECT, false},
    {Qt::Key_Launch0, VK_LAUNCH_APP1, false},
    {Qt::Key_Launch1, VK_LAUNCH_APP2, false},
    // Punctuation of a US keyboard, plain and shifted.
    {Qt::Key_Semicolon, VK_OEM_1, false},
    {Qt::Key_Colon, VK_OEM_1, false},
    {Qt::Key_Equal, VK_OEM_PLUS, false},
    {Qt::Key_Plus, VK_OEM_PLUS, false},
    {Qt::Key_Comma, VK_OEM_COMMA, false},
    {Qt::Key_Less, VK_OEM_COMMA, false},
    {Qt::Key_Minus, VK_OEM_MINUS, false},
    {Qt::Key_Underscore, VK_OEM_MINUS, false},
    {Qt::Key_Period, VK_OEM_PERIOD, false},
    {Qt::Key_Greater, VK_OEM_PERIOD, false},
    {Qt::Key_Slash, VK_OEM_2, false},
    {Qt::Key_Question, VK_OEM_2, false},
    {Qt::Key_QuoteLeft, VK_OEM_3, false},
    {Qt::Key_AsciiTilde, VK_OEM_3, false},
    {Qt::Key_BracketLeft, VK_OEM_4, false},
    {Qt::Key_BraceLeft, VK_OEM_4, false},
    {Qt::Key_Backslash, VK_OEM_5, false},
    {Qt::Key_Bar, VK_OEM_5, false},
    {Qt::Key_BracketRight, VK_OEM_6, false},
    {Qt::Key_BraceRight, VK_OEM_6, false},
    {Qt::Key_Apostrophe, VK_OEM_7, false},
    {Qt::Key_QuoteDbl, VK_OEM_7, false},
    // The shifted digits.
    {Qt::Key_Exclam, '1', false},
    {Qt::Key_At, '2', false},
    {Qt::Key_NumberSign, '3', false},
    {Qt::Key_Dollar, '4', false},
    {Qt::Key_Percent, '5', false},
    {Qt::Key_AsciiCircum, '6', false},
    {Qt::Key_Ampersand, '7', false},
    {Qt::Key_Asterisk, '8', false},
    {Qt::Key_ParenLeft, '9', false},
    {Qt::Key_ParenRight, '0', false},
};

constexpr int kFunctionKeys = 24;

// XKB key codes are the kernel's input codes plus 8. The kernel's codes up
// to F12 are the set-1 scan codes; the enhanced keys are numbered apart.
constexpr quint32 kXkbOffset = 8;
constexpr quint32 kLastPlainCode = 0x58;

struct EnhancedCode {
    quint32 Input;
    BYTE Scan;
    bool Extended;
};
constexpr EnhancedCode kEnhancedCodes[] = {
    {96, 0x1C, true},   {97, 0x1D, true},   {98, 0x35, true},   {99, 0x37, true},   {100, 0x38, true},
    {102, 0x47, true},  {103, 0x48, true},  {104, 0x49, true},  {105, 0x4B, true},  {106, 0x4D, true},
    {107, 0x4F, true},  {108, 0x50, true},  {109, 0x51, true},  {110, 0x52, true},  {111, 0x53, true},
    {119, 0x45, false}, {125, 0x5B, true},  {126, 0x5C, true},  {127, 0x5D, true},  {183, 0x64, false},
    {184, 0x65, false}, {185, 0x66, false}, {186, 0x67, false}, {187, 0x68, false}, {188, 0x69, false},
    {189, 0x6A, false}, {190, 0x6B, false}, {191, 0x6C, false}, {192, 0x6D, false}, {193, 0x6E, false},
    {194, 0x76, false},
};

struct ScanCode {
    BYTE Scan = 0;
    bool Extended = false;
};

// The scan code an XKB key code stands for; nothing for 0 or an unknown code.
bool ScanFromNative(quint32 native, ScanCode& out)
{
    if (native <= kXkbOffset)
        return false;
    const quint32 input = native - kXkbOffset;
    if (input <= kLastPlainCode) {
        out = {static_cast<BYTE>(input), false};
        return true;
    }
    for (const EnhancedCode& code : kEnhancedCodes) {
        if (code.Input == input) {
            out = {code.Scan, code.Extended};
            return true;
        }
    }
    return false;
}

WORD FromTable(int key, bool keypad)
{
    for (const QtKeyRow& row : kQtKeys)
        if (row.Key == key && row.Keypad == keypad)
            return row.Vk;
    return 0;
}

bool IsKeypadNavigation(WORD vk)
{
    switch (vk) {
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
    case VK_CLEAR:
        return true;
    default:
        return false;
    }
}

bool NativeScanCodeCounts()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

} // namespace

WORD VirtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<WORD>(keypad ? VK_NUMPAD0 + (key - Qt::Key_0) : key);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<WORD>(key);
    if (key >= Qt::Key_F1 && key < Qt::Key_F1 + kFunctionKeys)
        return static_cast<WORD>(VK_F1 + (key - Qt::Key_F1));
    if (keypad)
        if (const WORD vk = FromTable(key, true))
            return vk;
    if (const WORD vk = FromTable(key, false))
        return vk;
    // A key of another layout: the key at its place on a US keyboard.
    ScanCode scan;
    if (ScanFromNative(nativeScanCode, scan))
        return static_cast<WORD>(MapVirtualKey((scan.Extended ? 0xE000u : 0u) | scan.Scan, MAPVK_VSC_TO_VK));
    return 0;
}

TQtKey QtKeyFromVirtualKey(WORD vk)
{
    if (vk >= '0' && vk <= '9')
        return {Qt::Key_0 + (vk - '0'), Qt::NoModifier};
    if (vk >= 'A' && vk <= 'Z')
        return {Qt::Key_A + (vk - 'A'), Qt::NoModifier};
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return {Qt::Key_0 + (vk - VK_NUMPAD0), Qt::KeypadModifier};
    if (vk >= VK_F1 && vk < VK_F1 + kFunctionKeys)
        return {Qt::Key_F1 + (vk - VK_F1), Qt::NoModifier};
    for (const QtKeyRow& row : kQtKeys)
        if (row.Vk == vk)
            return {row.Key, row.Keypad ? Qt::KeypadModifier : Qt::NoModifier};
    return {};
}

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState shift;
    if (modifiers & Qt::ShiftModifier)
        shift += ssShift;
    if (modifiers & Qt::AltModifier)
        shift += ssAlt;
    if (modifiers & Qt::ControlModifier)
        shift += ssCtrl;
    if (buttons & Qt::LeftButton)
        shift += ssLeft;
    if (buttons & Qt::RightButton)
        shift += ssRight;
    if (buttons & Qt::MiddleButton)
        shift += ssMiddle;
    return shift;
}

WORD MouseKeysFromQt(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    WORD keys = ShiftStateToKeys(ShiftStateFromQt(modifiers, buttons));
    if (buttons & Qt::XButton1)
        keys |= MK_XBUTTON1;
    if (buttons & Qt::XButton2)
        keys |= MK_XBUTTON2;
    return keys;
}

TKeyMessage KeyMessageFromQt(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode, bool release,
                             bool autoRepeat, int count)
{
    TKeyMessage message;
    message.VirtualKey = VirtualKeyFromQt(key, modifiers, nativeScanCode);
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);

    ScanCode scan;
    if (!ScanFromNative(nativeScanCode, scan)) {
        scan.Scan = static_cast<BYTE>(MapVirtualKey(message.VirtualKey, MAPVK_VK_TO_VSC));
        scan.Extended = IsExtendedKey(message.VirtualKey);
        if (keypad && IsKeypadNavigation(message.VirtualKey))
            scan.Extended = false;
        else if ((keypad && message.VirtualKey == VK_RETURN) || key == Qt::Key_AltGr)
            scan.Extended = true;
    } else if (message.VirtualKey == VK_NUMLOCK) {
        // Num Lock has the plain code of Pause but sends the extended flag.
        scan.Extended = true;
    }

    // The key's own modifier is down while it is pressed, up once released,
    // whatever the platform reported with the event.
    message.Shift = ShiftStateFromQt(modifiers);
    const auto adjust = [&](TShiftStateItem own) {
        if (release)
            message.Shift -= own;
        else
            message.Shift += own;
    };
    if (message.VirtualKey == VK_SHIFT)
        adjust(ssShift);
    else if (message.VirtualKey == VK_CONTROL)
        adjust(ssCtrl);
    else if (message.VirtualKey == VK_MENU)
        adjust(ssAlt);

    const bool altDown = message.Shift.Contains(ssAlt);
    const bool ctrlDown = message.Shift.Contains(ssCtrl);
    message.System = !ctrlDown && (altDown || message.VirtualKey == VK_F10 || message.VirtualKey == VK_MENU);
    message.KeyData = MakeKeyData(count, scan.Scan, scan.Extended, altDown, release || autoRepeat, release);
    return message;
}

char16_t CharUnitFromQt(QChar c, const TKeyMessage& key)
{
    const char16_t unit = c.unicode();
    if (!key.Shift.Contains(ssCtrl) || key.Shift.Contains(ssAlt))
        return unit;
    const char16_t upper = (unit >= 'a' && unit <= 'z') ? static_cast<char16_t>(unit - 'a' + 'A') : unit;
    return (upper >= '@' && upper <= '_') ? static_cast<char16_t>(upper & 0x1F) : unit;
}

TKeyMessage KeyMessageFromQt(const QKeyEvent& event)
{
    const quint32 native = NativeScanCodeCounts() ? event.nativeScanCode() : 0;
    return KeyMessageFromQt(event.key(), event.modifiers(), native, event.type() == QEvent::KeyRelease,
                            event.isAutoRepeat(), event.count());
}

TShiftState KeysToShiftState(WORD keys)
{
    return KeysToShiftState(keys, QGuiApplication::keyboardModifiers().testFlag(Qt::AltModifier));
}

TShiftState KeyDataToShiftState(LPARAM keyData)
{
    const Qt::KeyboardModifiers now = QGuiApplication::keyboardModifiers();
    return KeyDataToShiftState(keyData, now.testFlag(Qt::ShiftModifier), now.testFlag(Qt::ControlModifier));
}

} // namespace vcl
