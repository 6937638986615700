#pragma once
// Qt's keys, modifiers and mouse buttons as the platform's virtual keys,
// key data, mouse keys and the framework's shift state.
//
// Keys map as a US keyboard has them: a shifted symbol is the key it is on
// (Qt::Key_Exclam is '1'), a key Qt reports with the keypad modifier is the
// keypad's (Qt::Key_7 is VK_NUMPAD7, Qt::Key_Home the keypad's Home). The
// native scan code, where the platform gives one (an XKB key code, as X11
// and Wayland report), decides the scan code and the extended flag, and the
// virtual key of a key Qt names but this table does not (a letter of
// another layout takes the virtual key of its place on a US keyboard).

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/ShiftState.h"
#include "win32/WinTypes.h"

#include <QChar>
#include <Qt>

class QKeyEvent;

namespace vcl {

// What one keyboard message carries.
struct CORVANE_VCL_EXPORT TKeyMessage {
    WORD VirtualKey = 0; // 0: no key of the platform (Qt::Key_unknown without a scan code)
    LPARAM KeyData = 0;
    // The shift state with the key's own modifier down while it is pressed
    // and up once it is released.
    TShiftState Shift;
    // Sent as WM_SYSKEYDOWN/WM_SYSKEYUP: with Alt down (Ctrl up), F10 and
    // the Alt key itself.
    bool System = false;
};

// The virtual key of a Qt key; 0 when there is none.
CORVANE_VCL_EXPORT WORD VirtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers,
                                         quint32 nativeScanCode = 0);

// The Qt key (with Qt::KeypadModifier for the keypad's keys) that gives a
// virtual key; Qt::Key_unknown when none does.
struct CORVANE_VCL_EXPORT TQtKey {
    int Key = Qt::Key_unknown;
    Qt::KeyboardModifiers Modifiers;
};
CORVANE_VCL_EXPORT TQtKey QtKeyFromVirtualKey(WORD virtualKey);

// The message for a key pressed (repeated: autoRepeat) or released, count
// times.
CORVANE_VCL_EXPORT TKeyMessage KeyMessageFromQt(int key, Qt::KeyboardModifiers modifiers,
                                                quint32 nativeScanCode, bool release, bool autoRepeat,
                                                int count = 1);
// The same for a key event; its native scan code counts only on X11 and
// Wayland.
CORVANE_VCL_EXPORT TKeyMessage KeyMessageFromQt(const QKeyEvent& event);

// The character unit a key's text gives to WM_CHAR: with Ctrl down (and Alt
// up) a letter or one of @[\]^_ is its control character, as the keyboard
// gives it (Ctrl+A is 0x01), whatever text the event carries.
CORVANE_VCL_EXPORT char16_t CharUnitFromQt(QChar c, const TKeyMessage& key);

CORVANE_VCL_EXPORT TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers,
                                                Qt::MouseButtons buttons = Qt::NoButton);
// The keys (MK_*) of a mouse message.
CORVANE_VCL_EXPORT WORD MouseKeysFromQt(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

// The framework's own conversions, reading the modifier keys that are down
// now where the message does not say.
CORVANE_VCL_EXPORT TShiftState KeysToShiftState(WORD keys);
CORVANE_VCL_EXPORT TShiftState KeyDataToShiftState(LPARAM keyData);

} // namespace vcl
