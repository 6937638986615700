#include "vcl/widgets/QtKeys.h"

#include "win32/VirtualKeys.h"

#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <vector>

using namespace vcl;

namespace {

constexpr auto kNone = Qt::NoModifier;
constexpr auto kShift = Qt::ShiftModifier;
constexpr auto kCtrl = Qt::ControlModifier;
constexpr auto kAlt = Qt::AltModifier;
constexpr auto kPad = Qt::KeypadModifier;

// An XKB key code: the kernel's input code plus 8.
constexpr quint32 Xkb(quint32 input)
{
    return input + 8;
}

struct KeyCase {
    int Key;
    Qt::KeyboardModifiers Modifiers;
    quint32 Native;
    bool Release, Repeat;
    int Count;
    WORD Vk;
    LPARAM KeyData;
    TShiftState Shift;
    bool System;
};

// Key data worked out by hand: repeat count, scan code << 16, then
// extended 0x01000000, Alt 0x20000000, previously down 0x40000000, up
// 0x80000000.
const KeyCase kKeys[] = {
    {Qt::Key_A, kNone, 0, false, false, 1, 'A', 0x001E0001, {}, false},
    {Qt::Key_A, kNone, 0, true, false, 1, 'A', 0xC01E0001, {}, false},
    {Qt::Key_A, kNone, 0, false, true, 3, 'A', 0x401E0003, {}, false},
    {Qt::Key_Z, kShift, 0, false, false, 1, 'Z', 0x002C0001, {ssShift}, false},
    {Qt::Key_5, kNone, 0, false, false, 1, '5', 0x00060001, {}, false},
    {Qt::Key_Exclam, kShift, 0, false, false, 1, '1', 0x00020001, {ssShift}, false},
    {Qt::Key_ParenRight, kShift, 0, false, false, 1, '0', 0x000B0001, {ssShift}, false},
    {Qt::Key_F1, kNone, 0, false, false, 1, VK_F1, 0x003B0001, {}, false},
    {Qt::Key_F10, kNone, 0, false, false, 1, VK_F10, 0x00440001, {}, true},
    {Qt::Key_F12, kNone, 0, false, false, 1, VK_F12, 0x00580001, {}, false},
    {Qt::Key_F24, kNone, 0, false, false, 1, VK_F24, 0x00760001, {}, false},
    {Qt::Key_Escape, kNone, 0, false, false, 1, VK_ESCAPE, 0x00010001, {}, false},
    {Qt::Key_Backtab, kShift, 0, false, false, 1, VK_TAB, 0x000F0001, {ssShift}, false},
    {Qt::Key_Backspace, kNone, 0, false, false, 1, VK_BACK, 0x000E0001, {}, false},
    {Qt::Key_Return, kNone, 0, false, false, 1, VK_RETURN, 0x001C0001, {}, false},
    {Qt::Key_Enter, kPad, 0, false, false, 1, VK_RETURN, 0x011C0001, {}, false},
    {Qt::Key_Home, kNone, 0, false, false, 1, VK_HOME, 0x01470001, {}, false},
    {Qt::Key_Home, kPad, 0, false, false, 1, VK_HOME, 0x00470001, {}, false},
    {Qt::Key_Delete, kNone, 0, false, false, 1, VK_DELETE, 0x01530001, {}, false},
    {Qt::Key_Delete, kPad, 0, false, false, 1, VK_DELETE, 0x00530001, {}, false},
    {Qt::Key_PageUp, kNone, 0, false, false, 1, VK_PRIOR, 0x01490001, {}, false},
    {Qt::Key_PageDown, kNone, 0, false, false, 1, VK_NEXT, 0x01510001, {}, false},
    {Qt::Key_Left, kCtrl, 0, false, false, 1, VK_LEFT, 0x014B0001, {ssCtrl}, false},
    {Qt::Key_Insert, kNone, 0, false, false, 1, VK_INSERT, 0x01520001, {}, false},
    {Qt::Key_Pause, kNone, 0, false, false, 1, VK_PAUSE, 0x00450001, {}, false},
    {Qt::Key_Print, kNone, 0, false, false, 1, VK_SNAPSHOT, 0x01370001, {}, false},
    {Qt::Key_NumLock, kNone, 0, false, false, 1, VK_NUMLOCK, 0x01450001, {}, false},
    {Qt::Key_Clear, kPad, 0, false, false, 1, VK_CLEAR, 0x004C0001, {}, false},
    {Qt::Key_Menu, kNone, 0, false, false, 1, VK_APPS, 0x015D0001, {}, false},
    {Qt::Key_7, kPad, 0, false, false, 1, VK_NUMPAD7, 0x00470001, {}, false},
    {Qt::Key_0, kPad, 0, false, false, 1, VK_NUMPAD0, 0x00520001, {}, false},
    {Qt::Key_Asterisk, kPad, 0, false, false, 1, VK_MULTIPLY, 0x00370001, {}, false},
    {Qt::Key_Plus, kPad, 0, false, false, 1, VK_ADD, 0x004E0001, {}, false},
    {Qt::Key_Minus, kPad, 0, false, false, 1, VK_SUBTRACT, 0x004A0001, {}, false},
    {Qt::Key_Period, kPad, 0, false, false, 1, VK_DECIMAL, 0x00530001, {}, false},
    {Qt::Key_Slash, kPad, 0, false, false, 1, VK_DIVIDE, 0x01350001, {}, false},
    {Qt::Key_Slash, kNone, 0, false, false, 1, VK_OEM_2, 0x00350001, {}, false},
    {Qt::Key_Question, kShift, 0, false, false, 1, VK_OEM_2, 0x00350001, {ssShift}, false},
    {Qt::Key_Semicolon, kNone, 0, false, false, 1, VK_OEM_1, 0x00270001, {}, false},
    {Qt::Key_Plus, kShift, 0, false, false, 1, VK_OEM_PLUS, 0x000D0001, {ssShift}, false},
    {Qt::Key_Less, kShift, 0, false, false, 1, VK_OEM_COMMA, 0x00330001, {ssShift}, false},
    {Qt::Key_Underscore, kShift, 0, false, false, 1, VK_OEM_MINUS, 0x000C0001, {ssShift}, false},
    {Qt::Key_Greater, kShift, 0, false, false, 1, VK_OEM_PERIOD, 0x00340001, {ssShift}, false},
    {Qt::Key_AsciiTilde, kShift, 0, false, false, 1, VK_OEM_3, 0x00290001, {ssShift}, false},
    {Qt::Key_BraceLeft, kShift, 0, false, false, 1, VK_OEM_4, 0x001A0001, {ssShift}, false},
    {Qt::Key_Backslash, kNone, 0, false, false, 1, VK_OEM_5, 0x002B0001, {}, false},
    {Qt::Key_BracketRight, kNone, 0, false, false, 1, VK_OEM_6, 0x001B0001, {}, false},
    {Qt::Key_QuoteDbl, kShift, 0, false, false, 1, VK_OEM_7, 0x00280001, {ssShift}, false},
    // Alt: a system key with the context code; Ctrl+Alt is not one.
    {Qt::Key_X, kAlt, 0, false, false, 1, 'X', 0x202D0001, {ssAlt}, true},
    {Qt::Key_X, kAlt, 0, true, false, 1, 'X', 0xE02D0001, {ssAlt}, true},
    {Qt::Key_X, kCtrl | kAlt, 0, false, false, 1, 'X', 0x202D0001, {ssAlt, ssCtrl}, false},
    // A modifier key is down while pressed and up once released.
    {Qt::Key_Alt, kNone, 0, false, false, 1, VK_MENU, 0x20380001, {ssAlt}, true},
    {Qt::Key_Alt, kAlt, 0, true, false, 1, VK_MENU, 0xC0380001, {}, true},
    {Qt::Key_Shift, kNone, 0, false, false, 1, VK_SHIFT, 0x002A0001, {ssShift}, false},
    {Qt::Key_Shift, kShift, 0, true, false, 1, VK_SHIFT, 0xC02A0001, {}, false},
    {Qt::Key_Control, kCtrl, 0, true, false, 1, VK_CONTROL, 0xC01D0001, {}, false},
    {Qt::Key_Control, kShift, 0, false, false, 1, VK_CONTROL, 0x001D0001, {ssShift, ssCtrl}, false},
    // The native code decides the scan code and the extended flag.
    {Qt::Key_Home, kNone, Xkb(102), false, false, 1, VK_HOME, 0x01470001, {}, false},
    {Qt::Key_Home, kPad, Xkb(71), false, false, 1, VK_HOME, 0x00470001, {}, false},
    {Qt::Key_Control, kNone, Xkb(97), false, false, 1, VK_CONTROL, 0x011D0001, {ssCtrl}, false},
    {Qt::Key_Shift, kNone, Xkb(54), false, false, 1, VK_SHIFT, 0x00360001, {ssShift}, false},
    {Qt::Key_Enter, kPad, Xkb(96), false, false, 1, VK_RETURN, 0x011C0001, {}, false},
    {Qt::Key_NumLock, kNone, Xkb(69), false, false, 1, VK_NUMLOCK, 0x01450001, {}, false},
    {Qt::Key_F13, kNone, Xkb(183), false, false, 1, VK_F13, 0x00640001, {}, false},
    // A key of another layout takes the virtual key of its place.
    {Qt::Key_Adiaeresis, kNone, Xkb(40), false, false, 1, VK_OEM_7, 0x00280001, {}, false},
    {Qt::Key_Odiaeresis, kNone, Xkb(39), false, false, 1, VK_OEM_1, 0x00270001, {}, false},
    {Qt::Key_Adiaeresis, kNone, 0, false, false, 1, 0, 0x00000001, {}, false},
    {Qt::Key_unknown, kNone, Xkb(300), false, false, 1, 0, 0x00000001, {}, false},
};

TEST(QtKeys, KeyMessagesFromQtKeys)
{
    for (const KeyCase& c : kKeys) {
        const TKeyMessage message =
            KeyMessageFromQt(c.Key, c.Modifiers, c.Native, c.Release, c.Repeat, c.Count);
        SCOPED_TRACE(testing::Message()
                     << "Qt key 0x" << std::hex << c.Key << " modifiers 0x" << c.Modifiers.toInt()
                     << " native " << std::dec << c.Native << (c.Release ? " up" : " down"));
        EXPECT_EQ(message.VirtualKey, c.Vk);
        EXPECT_EQ(message.KeyData, c.KeyData) << std::hex << message.KeyData;
        EXPECT_EQ(message.Shift, c.Shift);
        EXPECT_EQ(message.System, c.System);
    }
}

TEST(QtKeys, EveryMappedVirtualKeyComesBackFromItsQtKey)
{
    int mapped = 0;
    for (int vk = 1; vk <= 0xFE; ++vk) {
        const TQtKey qt = QtKeyFromVirtualKey(static_cast<WORD>(vk));
        if (qt.Key == Qt::Key_unknown)
            continue;
        ++mapped;
        EXPECT_EQ(VirtualKeyFromQt(qt.Key, qt.Modifiers), vk) << std::hex << vk;
    }
    // Letters, digits, the keypad's digits, F1-F24 and the rest of the table.
    EXPECT_GE(mapped, 26 + 10 + 10 + 24 + 50);

    const WORD expectedKeys[] = {
        VK_BACK,       VK_TAB,     VK_RETURN, VK_SHIFT,    VK_CONTROL,  VK_MENU,      VK_PAUSE,
        VK_CAPITAL,    VK_ESCAPE,  VK_SPACE,  VK_PRIOR,    VK_NEXT,     VK_END,       VK_HOME,
        VK_LEFT,       VK_UP,      VK_RIGHT,  VK_DOWN,     VK_SNAPSHOT, VK_INSERT,    VK_DELETE,
        VK_LWIN,       VK_RWIN,    VK_APPS,   VK_MULTIPLY, VK_ADD,      VK_SUBTRACT,  VK_DECIMAL,
        VK_DIVIDE,     VK_NUMLOCK, VK_SCROLL, VK_OEM_1,    VK_OEM_PLUS, VK_OEM_COMMA, VK_OEM_MINUS,
        VK_OEM_PERIOD, VK_OEM_2,   VK_OEM_3,  VK_OEM_4,    VK_OEM_5,    VK_OEM_6,     VK_OEM_7};
    for (WORD vk : expectedKeys)
        EXPECT_NE(QtKeyFromVirtualKey(vk).Key, Qt::Key_unknown) << std::hex << vk;
    EXPECT_EQ(QtKeyFromVirtualKey(VK_LBUTTON).Key, Qt::Key_unknown);
}

struct MouseCase {
    Qt::MouseButtons Buttons;
    Qt::KeyboardModifiers Modifiers;
    WORD Keys;
    TShiftState Shift;
};
const MouseCase kMouse[] = {
    {Qt::NoButton, kNone, 0, {}},
    {Qt::LeftButton | Qt::RightButton,
     kShift,
     MK_LBUTTON | MK_RBUTTON | MK_SHIFT,
     {ssLeft, ssRight, ssShift}},
    {Qt::MiddleButton | Qt::XButton1, kCtrl, MK_MBUTTON | MK_XBUTTON1 | MK_CONTROL, {ssMiddle, ssCtrl}},
    {Qt::XButton2, kAlt, MK_XBUTTON2, {ssAlt}},
};

TEST(QtKeys, MouseKeysAndShiftStates)
{
    for (const MouseCase& c : kMouse) {
        EXPECT_EQ(MouseKeysFromQt(c.Buttons, c.Modifiers), c.Keys);
        EXPECT_EQ(ShiftStateFromQt(c.Modifiers, c.Buttons), c.Shift);
    }
}

// Records what each key event it receives becomes, and the shift state the
// framework reads while the message is handled.
class TKeyRecorder : public QWidget {
public:
    struct Entry {
        TKeyMessage Message;
        bool Release;
        TShiftState LiveShift;
        TShiftState LiveMouseShift; // of a mouse message with no keys
    };
    std::vector<Entry> Entries;

protected:
    void keyPressEvent(QKeyEvent* event) override { Record(*event); }
    void keyReleaseEvent(QKeyEvent* event) override { Record(*event); }

private:
    void Record(const QKeyEvent& event)
    {
        const TKeyMessage message = KeyMessageFromQt(event);
        Entries.push_back({message, event.type() == QEvent::KeyRelease, KeyDataToShiftState(message.KeyData),
                           KeysToShiftState(0)});
    }
};

struct EventStep {
    bool Press;
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers;
    WORD Vk;
    LPARAM KeyData;
    TShiftState Shift;
};
// Shift+A, then Alt+F, then Ctrl+Home, as a person types them.
const EventStep kTyping[] = {
    {true, Qt::Key_Shift, kShift, VK_SHIFT, 0x002A0001, {ssShift}},
    {true, Qt::Key_A, kShift, 'A', 0x001E0001, {ssShift}},
    {false, Qt::Key_A, kShift, 'A', 0xC01E0001, {ssShift}},
    {false, Qt::Key_Shift, kNone, VK_SHIFT, 0xC02A0001, {}},
    {true, Qt::Key_Alt, kAlt, VK_MENU, 0x20380001, {ssAlt}},
    {true, Qt::Key_F, kAlt, 'F', 0x20210001, {ssAlt}},
    {false, Qt::Key_F, kAlt, 'F', 0xE0210001, {ssAlt}},
    {false, Qt::Key_Alt, kNone, VK_MENU, 0xC0380001, {}},
    {true, Qt::Key_Control, kCtrl, VK_CONTROL, 0x001D0001, {ssCtrl}},
    {true, Qt::Key_Home, kCtrl, VK_HOME, 0x01470001, {ssCtrl}},
    {false, Qt::Key_Home, kCtrl, VK_HOME, 0xC1470001, {ssCtrl}},
    {false, Qt::Key_Control, kNone, VK_CONTROL, 0xC01D0001, {}},
};

TEST(QtKeys, RealKeyEventsToAWidget)
{
    TKeyRecorder widget;
    widget.resize(100, 50);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QWindow* window = widget.windowHandle();
    ASSERT_NE(window, nullptr);

    // One event each, through the window system's entry as the platform
    // delivers them. (The last argument, a delay, also becomes the event's
    // count.)
    for (const EventStep& step : kTyping)
        QTest::simulateEvent(window, step.Press, step.Key, step.Modifiers, QString(), false, 1);
    ASSERT_EQ(widget.Entries.size(), std::size(kTyping));
    for (std::size_t i = 0; i < std::size(kTyping); ++i) {
        const EventStep& step = kTyping[i];
        const TKeyRecorder::Entry& entry = widget.Entries[i];
        SCOPED_TRACE(testing::Message() << "step " << i);
        EXPECT_EQ(entry.Release, !step.Press);
        EXPECT_EQ(entry.Message.VirtualKey, step.Vk);
        EXPECT_EQ(entry.Message.KeyData, step.KeyData) << std::hex << entry.Message.KeyData;
        EXPECT_EQ(entry.Message.Shift, step.Shift);
        // Shift and Ctrl as Qt has them while the event is handled, Alt from
        // the key data: for a modifier key itself that is the state Qt
        // reports with its event.
        const TShiftState live = KeyDataToShiftState(entry.Message.KeyData, step.Modifiers.testFlag(kShift),
                                                     step.Modifiers.testFlag(kCtrl));
        EXPECT_EQ(entry.LiveShift, live);
        EXPECT_EQ(entry.LiveMouseShift, step.Modifiers.testFlag(kAlt) ? TShiftState{ssAlt} : TShiftState{});
    }

    // An auto-repeated key sent straight to the widget.
    widget.Entries.clear();
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Down, kNone, QString(), true, 4);
    QCoreApplication::sendEvent(&widget, &repeat);
    ASSERT_EQ(widget.Entries.size(), 1u);
    EXPECT_EQ(widget.Entries[0].Message.VirtualKey, VK_DOWN);
    EXPECT_EQ(widget.Entries[0].Message.KeyData, 0x41500004);
}

} // namespace
