// Input through real Qt events: keys as virtual keys with shift states, the
// right-click sequence, key preview, capture, the cursor and the wheel.

#include "WidgetTesting.h"

#include "vcl/widgets/QtKeys.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using namespace vcl;
using kwtest::Pump;

// Records the events of a control (and of the form that previews its keys).
class Events : public TObject {
public:
    std::vector<std::string> Log;
    WORD FormConsumes = 0;
    WORD ControlConsumes = 0;
    WORD LastKey = 0;
    TShiftState LastShift;
    char16_t LastChar = 0;

    void KeyDown(TObject* sender, WORD& key, TShiftState shift)
    {
        Log.push_back(Who(sender) + ":keydown");
        LastKey = key;
        LastShift = shift;
        if (key == (Who(sender) == "form" ? FormConsumes : ControlConsumes))
            key = 0;
    }
    void KeyPress(TObject* sender, char16_t& key)
    {
        Log.push_back(Who(sender) + ":keypress");
        LastChar = key;
    }
    void MouseDown(TObject* sender, TMouseButton button, TShiftState, int x, int y)
    {
        Log.push_back(Who(sender) + ":down" + std::to_string(button) + "@" + std::to_string(x) + "," +
                      std::to_string(y));
    }
    void MouseUp(TObject* sender, TMouseButton button, TShiftState, int x, int y)
    {
        Log.push_back(Who(sender) + ":up" + std::to_string(button) + "@" + std::to_string(x) + "," +
                      std::to_string(y));
    }
    void ContextPopup(TObject* sender, TPoint pos, bool& handled)
    {
        Log.push_back(Who(sender) + ":popup@" + std::to_string(pos.x) + "," + std::to_string(pos.y));
        handled = true;
    }
    void Wheel(TObject* sender, TShiftState, int delta, TPoint, bool& handled)
    {
        Log.push_back(Who(sender) + ":wheel" + std::to_string(delta));
        handled = false;
    }
    bool ControlTakesTilt = true;
    void Tilt(TObject* sender, TShiftState shift, int delta, TPoint pos, bool& handled)
    {
        Log.push_back(Who(sender) + ":tilt" + std::to_string(delta) +
                      (shift.Contains(ssShift) ? "+shift" : "") + "@" + std::to_string(pos.x) + "," +
                      std::to_string(pos.y));
        handled = Who(sender) == "form" || ControlTakesTilt;
    }
    void WheelDown(TObject* sender, TShiftState, TPoint, bool& handled)
    {
        Log.push_back(Who(sender) + ":wheeldown");
        handled = true;
    }
    void WheelUp(TObject* sender, TShiftState, TPoint, bool& handled)
    {
        Log.push_back(Who(sender) + ":wheelup");
        handled = true;
    }

    static std::string Who(TObject* sender)
    {
        return dynamic_cast<TCustomForm*>(sender) ? "form" : "control";
    }
};

struct Fixture {
    kwtest::TestForm Form;
    kwtest::TLoggingControl* Control;
    Events Seen;

    Fixture()
    {
        Control = Create<kwtest::TLoggingControl>(Form.Get());
        Control->SetParent(Form.Get());
        Control->SetBounds(20, 30, 100, 60);
        Control->OnKeyDown = TKeyEvent(&Seen, &Events::KeyDown);
        Control->OnKeyPress = TKeyPressEvent(&Seen, &Events::KeyPress);
        Control->OnMouseDown = TMouseEvent(&Seen, &Events::MouseDown);
        Control->OnMouseUp = TMouseEvent(&Seen, &Events::MouseUp);
        Control->OnContextPopup = TContextPopupEvent(&Seen, &Events::ContextPopup);
        Control->SetFocus();
        Pump();
        Control->Messages.clear();
    }
};

TEST(KeyInput, RealKeyEventsArriveAsVirtualKeysWithTheirShiftState)
{
    Fixture f;
    struct Case {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        WORD vk;
        TShiftState shift;
        UINT message;
    } cases[] = {
        {"letter", Qt::Key_A, Qt::NoModifier, 'A', {}, WM_KEYDOWN},
        {"shifted letter", Qt::Key_A, Qt::ShiftModifier, 'A', {ssShift}, WM_KEYDOWN},
        {"control letter", Qt::Key_C, Qt::ControlModifier, 'C', {ssCtrl}, WM_KEYDOWN},
        {"alt letter", Qt::Key_X, Qt::AltModifier, 'X', {ssAlt}, WM_SYSKEYDOWN},
        {"digit", Qt::Key_7, Qt::NoModifier, '7', {}, WM_KEYDOWN},
        {"function key", Qt::Key_F5, Qt::NoModifier, VK_F5, {}, WM_KEYDOWN},
        {"F10 is the system's", Qt::Key_F10, Qt::NoModifier, VK_F10, {}, WM_SYSKEYDOWN},
        {"arrow", Qt::Key_Left, Qt::NoModifier, VK_LEFT, {}, WM_KEYDOWN},
        {"delete", Qt::Key_Delete, Qt::NoModifier, VK_DELETE, {}, WM_KEYDOWN},
        {"escape", Qt::Key_Escape, Qt::NoModifier, VK_ESCAPE, {}, WM_KEYDOWN},
        {"return", Qt::Key_Return, Qt::NoModifier, VK_RETURN, {}, WM_KEYDOWN},
        {"context-menu key", Qt::Key_Menu, Qt::NoModifier, VK_APPS, {}, WM_KEYDOWN},
    };
    for (const Case& c : cases) {
        f.Seen.LastKey = 0;
        f.Control->Messages.clear();
        QTest::keyClick(f.Control->Peer(), c.key, c.modifiers);
        EXPECT_EQ(f.Seen.LastKey, c.vk) << c.what;
        EXPECT_EQ(f.Seen.LastShift, c.shift) << c.what;
        // The key's look-up message first, then the key, then its release.
        const std::vector<UINT> keys = f.Control->Numbers(WM_KEYFIRST, WM_KEYLAST);
        ASSERT_FALSE(keys.empty()) << c.what;
        EXPECT_EQ(keys.front(), c.message) << c.what;
        EXPECT_EQ(keys.back(), c.message + 1) << c.what;
        EXPECT_FALSE(f.Control->Numbers(CN_KEYDOWN, CN_KEYDOWN).empty() &&
                     f.Control->Numbers(CN_SYSKEYDOWN, CN_SYSKEYDOWN).empty())
            << c.what;
    }
    // The character a key makes follows it.
    f.Seen.Log.clear();
    QTest::keyClick(f.Control->Peer(), Qt::Key_B, Qt::NoModifier);
    EXPECT_EQ(f.Seen.Log, (std::vector<std::string>{"control:keydown", "control:keypress"}));
    EXPECT_EQ(f.Seen.LastChar, u'b');
}

TEST(MouseInput, ARightClickIsDownUpThenTheContextMenuAtTheScreenPoint)
{
    Fixture f;
    // Where there is a real pointer, GetCursorPos reads it: put it where the
    // click is, as a person's click does (QTest clicks do not move it).
    const TPoint screen = f.Control->ClientToScreen({7, 9});
    kwtest::MoveMouse(f.Control->Peer(), QPoint(7, 9),
                      [&] { return QCursor::pos() == QPoint(screen.x, screen.y); });
    f.Seen.Log.clear();
    f.Control->Messages.clear();
    QTest::mouseClick(f.Control->Peer(), Qt::RightButton, {}, QPoint(7, 9));
    const std::vector<UINT> order = f.Control->Numbers(WM_MOUSEFIRST, WM_MOUSELAST);
    const std::vector<UINT> all = [&] {
        std::vector<UINT> picked;
        for (const TMessage& m : f.Control->Messages)
            if (m.Msg == WM_RBUTTONDOWN || m.Msg == WM_RBUTTONUP || m.Msg == WM_CONTEXTMENU ||
                m.Msg == WM_SETCURSOR)
                picked.push_back(m.Msg);
        return picked;
    }();
    EXPECT_EQ(all, (std::vector<UINT>{WM_SETCURSOR, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU}));
    for (const TMessage& m : f.Control->Messages) {
        if (m.Msg == WM_CONTEXTMENU) {
            EXPECT_EQ(GET_X_LPARAM(m.LParam), screen.x);
            EXPECT_EQ(GET_Y_LPARAM(m.LParam), screen.y);
            EXPECT_EQ(reinterpret_cast<HWND>(m.WParam), f.Control->Handle());
        }
        if (m.Msg == WM_RBUTTONDOWN) {
            EXPECT_EQ(m.LParam, MAKELPARAM(7, 9));
        }
    }
    EXPECT_EQ(f.Seen.Log,
              (std::vector<std::string>{"control:down1@7,9", "control:popup@7,9", "control:up1@7,9"}));
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, screen.x);
    EXPECT_EQ(cursor.y, screen.y);
}

TEST(MouseInput, AButtonPressedOverAChildIsToldToItsParentsFirst)
{
    Fixture f;
    auto* inner = Create<kwtest::TLoggingControl>(f.Form.Get());
    inner->SetParent(f.Control);
    inner->SetBounds(10, 5, 30, 30);
    f.Control->Messages.clear();
    QTest::mouseClick(inner->Peer(), Qt::LeftButton, {}, QPoint(2, 3));
    std::vector<TMessage> told;
    for (const TMessage& m : f.Control->Messages)
        if (m.Msg == WM_PARENTNOTIFY)
            told.push_back(m);
    ASSERT_EQ(told.size(), 1u) << "the press only, not the release";
    EXPECT_EQ(LOWORD(told[0].WParam), WM_LBUTTONDOWN);
    EXPECT_EQ(GET_X_LPARAM(told[0].LParam), 12) << "in the parent's coordinates";
    EXPECT_EQ(GET_Y_LPARAM(told[0].LParam), 8);
    EXPECT_EQ(inner->Numbers(WM_LBUTTONDOWN, WM_LBUTTONDOWN).size(), 1u);
}

TEST(MouseInput, PointsLeftOfTheWindowArePackedSigned)
{
    Fixture f;
    // The capture sends the mouse to the control wherever it is.
    SetCapture(f.Control->Handle());
    const auto movesAt = [&] {
        std::vector<TMessage> found;
        for (const TMessage& m : f.Control->Messages)
            if (m.Msg == WM_MOUSEMOVE && GET_X_LPARAM(m.LParam) == 5 - 20)
                found.push_back(m);
        return found;
    };
    kwtest::MoveMouse(f.Form->Peer(), QPoint(5, 4), [&] { return !movesAt().empty(); });
    ReleaseCapture();
    const std::vector<TMessage> moves = movesAt();
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(GET_X_LPARAM(moves.back().LParam), 5 - 20);
    EXPECT_EQ(GET_Y_LPARAM(moves.back().LParam), 4 - 30);
}

TEST(KeyInput, APreviewingFormSeesKeysFirstAndAConsumedKeyGoesNoFurther)
{
    struct Case {
        const char* what;
        bool preview;
        WORD formConsumes;
        WORD controlConsumes;
        std::vector<std::string> log;
        bool contextMenu;
    } cases[] = {
        {"no preview", false, 0, 0, {"control:keydown", "control:popup@-1,-1"}, true},
        {"preview", true, 0, 0, {"form:keydown", "control:keydown", "control:popup@-1,-1"}, true},
        {"the form consumes it", true, VK_APPS, 0, {"form:keydown"}, false},
        {"the control consumes it", true, 0, VK_APPS, {"form:keydown", "control:keydown"}, false},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.Form->SetKeyPreview(c.preview);
        f.Form->OnKeyDown = TKeyEvent(&f.Seen, &Events::KeyDown);
        f.Seen.FormConsumes = c.formConsumes;
        f.Seen.ControlConsumes = c.controlConsumes;
        f.Seen.Log.clear();
        QTest::keyClick(f.Control->Peer(), Qt::Key_Menu);
        EXPECT_EQ(f.Seen.Log, c.log) << c.what;
        EXPECT_EQ(f.Control->Numbers(WM_CONTEXTMENU, WM_CONTEXTMENU).size(), c.contextMenu ? 1u : 0u)
            << c.what;
    }
}

TEST(MouseInput, TheCaptureFollowsTheLeftButtonAndCancelModeEndsIt)
{
    Fixture f;
    QTest::mousePress(f.Control->Peer(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(GetCapture(), f.Control->Handle());
    EXPECT_EQ(GetCaptureControl(), f.Control);
    QTest::mouseRelease(f.Control->Peer(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(f.Control->Numbers(WM_CAPTURECHANGED, WM_CAPTURECHANGED).size(), 1u);

    QTest::mousePress(f.Control->Peer(), Qt::LeftButton, {}, QPoint(3, 3));
    SendMessageA(f.Control->Handle(), WM_CANCELMODE, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetCaptureControl(), nullptr);
    QTest::mouseRelease(f.Control->Peer(), Qt::LeftButton, {}, QPoint(3, 3));
}

TEST(MouseInput, TheCursorComesFromWMSetCursor)
{
    Fixture f;
    auto* block = Create<kwtest::TBlock>(f.Form.Get());
    block->SetParent(f.Control);
    block->SetBounds(50, 10, 20, 20);
    f.Control->SetCursor(crHandPoint);
    block->SetCursor(crIBeam);
    struct Case {
        const char* what;
        QPoint at;
        Qt::CursorShape shape;
    } cases[] = {
        {"over the control", {5, 5}, Qt::PointingHandCursor},
        {"over its graphic child", {55, 15}, Qt::IBeamCursor},
        {"back over the control", {5, 40}, Qt::PointingHandCursor},
    };
    for (const Case& c : cases) {
        kwtest::MoveMouse(f.Control->Peer(), c.at,
                          [&] { return f.Control->Peer()->cursor().shape() == c.shape; });
        EXPECT_EQ(f.Control->Peer()->cursor().shape(), c.shape) << c.what;
    }
    f.Control->SetCursor(crDefault);
    kwtest::MoveMouse(f.Control->Peer(), QPoint(6, 6),
                      [&] { return f.Control->Peer()->cursor().shape() == Qt::ArrowCursor; });
    EXPECT_EQ(f.Control->Peer()->cursor().shape(), Qt::ArrowCursor) << "the class cursor";
}

TEST(MouseInput, TheWheelGivesWheelEventsNotchByNotch)
{
    Fixture f;
    f.Control->OnMouseWheel = TMouseWheelEvent(&f.Seen, &Events::Wheel);
    f.Control->OnMouseWheelDown = TMouseWheelUpDownEvent(&f.Seen, &Events::WheelDown);
    f.Control->OnMouseWheelUp = TMouseWheelUpDownEvent(&f.Seen, &Events::WheelUp);
    struct Case {
        int delta;
        std::vector<std::string> log;
    } cases[] = {
        {-120, {"control:wheel-120", "control:wheeldown"}},
        {60, {"control:wheel60"}},
        {60, {"control:wheel60", "control:wheelup"}},
        {240, {"control:wheel240", "control:wheelup", "control:wheelup"}},
    };
    for (const Case& c : cases) {
        f.Seen.Log.clear();
        const QPoint local(10, 10);
        QWheelEvent wheel(local, f.Control->Peer()->mapToGlobal(local), QPoint(), QPoint(0, c.delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(f.Control->Peer(), &wheel);
        EXPECT_EQ(f.Seen.Log, c.log) << c.delta;
    }
}

TEST(MouseInput, TheWheelTiltedSidewaysGivesItsOwnEventAndGoesUpWhenNotTaken)
{
    Fixture f;
    f.Control->OnMouseHWheel = TMouseWheelEvent(&f.Seen, &Events::Tilt);
    f.Form->OnMouseHWheel = TMouseWheelEvent(&f.Seen, &Events::Tilt);
    f.Control->OnMouseWheel = TMouseWheelEvent(&f.Seen, &Events::Wheel);
    const QPoint local(10, 10);
    const QPoint global = f.Control->Peer()->mapToGlobal(local);
    const std::string at = "@" + std::to_string(global.x()) + "," + std::to_string(global.y());
    struct Case {
        const char* what;
        QPoint qtDelta; // Qt's: x positive to the left
        Qt::KeyboardModifiers modifiers;
        bool controlTakes;
        std::vector<std::string> log;
        std::vector<UINT> controlGets;
    } cases[] = {
        {"to the right", {-120, 0}, Qt::NoModifier, true, {"control:tilt120" + at}, {WM_MOUSEHWHEEL}},
        {"to the left with shift",
         {240, 0},
         Qt::ShiftModifier,
         true,
         {"control:tilt-240+shift" + at},
         {WM_MOUSEHWHEEL}},
        {"not taken",
         {-120, 0},
         Qt::NoModifier,
         false,
         {"control:tilt120" + at, "form:tilt120" + at},
         {WM_MOUSEHWHEEL}},
        {"diagonal",
         {-120, 120},
         Qt::NoModifier,
         true,
         {"control:wheel120", "control:tilt120" + at},
         {WM_MOUSEWHEEL, WM_MOUSEHWHEEL}},
        {"vertical only", {0, -120}, Qt::NoModifier, true, {"control:wheel-120"}, {WM_MOUSEWHEEL}},
    };
    for (const Case& c : cases) {
        f.Seen.Log.clear();
        f.Control->Messages.clear();
        f.Seen.ControlTakesTilt = c.controlTakes;
        QWheelEvent wheel(local, global, QPoint(), c.qtDelta, Qt::NoButton, c.modifiers, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(f.Control->Peer(), &wheel);
        EXPECT_EQ(f.Seen.Log, c.log) << c.what;
        EXPECT_EQ(f.Control->Numbers(WM_MOUSEWHEEL, WM_MOUSEHWHEEL), c.controlGets) << c.what;
    }
}

TEST(MouseInput, GraphicControlsHearTheMouseEnterAndLeave)
{
    Fixture f;
    auto* block = Create<kwtest::TBlock>(f.Form.Get());
    block->SetParent(f.Control);
    block->SetBounds(50, 10, 20, 20);
    f.Control->Messages.clear();
    const auto blockParam = reinterpret_cast<LPARAM>(static_cast<TControl*>(block));
    const auto toldOf = [&] {
        std::vector<std::pair<UINT, LPARAM>> found;
        for (const TMessage& m : f.Control->Messages)
            if ((m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) && m.LParam == blockParam)
                found.push_back({m.Msg, m.LParam});
        return found;
    };
    const auto moved = [&](int x, int y) {
        return [&, x, y] {
            for (const TMessage& m : f.Control->Messages)
                if (m.Msg == WM_MOUSEMOVE && m.LParam == MAKELPARAM(x, y))
                    return true;
            return false;
        };
    };
    kwtest::MoveMouse(f.Control->Peer(), QPoint(5, 5), moved(5, 5));
    kwtest::MoveMouse(f.Control->Peer(), QPoint(55, 15), moved(55, 15));
    kwtest::MoveMouse(f.Control->Peer(), QPoint(5, 40), moved(5, 40));
    const std::vector<std::pair<UINT, LPARAM>> told = toldOf();
    EXPECT_EQ(told, (std::vector<std::pair<UINT, LPARAM>>{{CM_MOUSEENTER, blockParam},
                                                          {CM_MOUSELEAVE, blockParam}}));
}

} // namespace

namespace {

// Double clicks as the window system sends them (press, release, press,
// release through the window, from which Qt makes its double-click event in
// place of the second press) and with the second press sent as well: a
// window that takes double clicks hears down, up, double click, up; one that
// does not, two clicks. (QTest::mouseDClick on a widget sends the
// double-click event alone, which no window system does.)
TEST(MouseInput, ADoubleClickIsDownUpDoubleClickUpWhereTheWindowTakesThem)
{
    struct Case {
        Qt::MouseButton button;
        UINT down;
        bool takesDoubleClicks;
        bool throughTheWindow;
    };
    std::vector<Case> cases;
    for (const bool through : {true, false})
        for (const bool takes : {true, false})
            for (const auto& [button, down] :
                 {std::pair{Qt::LeftButton, WM_LBUTTONDOWN}, std::pair{Qt::RightButton, WM_RBUTTONDOWN},
                  std::pair{Qt::MiddleButton, WM_MBUTTONDOWN}})
                cases.push_back({button, static_cast<UINT>(down), takes, through});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "button " << c.button << (c.takesDoubleClicks ? " double" : " single")
                     << (c.throughTheWindow ? " window" : " widget"));
        Fixture f;
        int doubleClicks = 0;
        struct Counter : TObject {
            int* Count;
            void Fired(TObject*) { ++*Count; }
        } counter;
        counter.Count = &doubleClicks;
        f.Control->OnDblClick = TNotifyEvent(&counter, &Counter::Fired);
        TControlStyle style = f.Control->ControlStyle();
        if (c.takesDoubleClicks)
            style.Include(csDoubleClicks);
        else
            style.Exclude(csDoubleClicks);
        f.Control->SetControlStyle(style);
        if (c.throughTheWindow) {
            QWindow* window = f.Form->Peer()->window()->windowHandle();
            ASSERT_NE(window, nullptr);
            const TPoint screen = f.Control->ClientToScreen({10, 12});
            QTest::mouseDClick(window, c.button, {}, window->mapFromGlobal(QPoint(screen.x, screen.y)));
        } else {
            // Both presses and the double-click event after the second, as
            // some window systems send them: the event repeats the press.
            QWidget* widget = f.Control->Peer();
            const QPointF local(10, 12);
            const QPointF global = widget->mapToGlobal(local);
            ulong time = 100000;
            for (const QEvent::Type type :
                 {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
                const bool up = type == QEvent::MouseButtonRelease;
                QMouseEvent event(type, local, global, c.button, up ? Qt::NoButton : c.button, {});
                event.setTimestamp(time += 40);
                QApplication::sendEvent(widget, &event);
            }
        }
        Pump();
        std::vector<UINT> seen;
        for (const TMessage& m : f.Control->Messages)
            if (m.Msg >= c.down && m.Msg <= c.down + 2) {
                seen.push_back(m.Msg);
                EXPECT_EQ(m.LParam, MAKELPARAM(10, 12));
            }
        const UINT second = c.takesDoubleClicks ? c.down + 2 : c.down;
        EXPECT_EQ(seen, (std::vector<UINT>{c.down, c.down + 1, second, c.down + 1}));
        EXPECT_EQ(doubleClicks, c.takesDoubleClicks && c.button == Qt::LeftButton ? 1 : 0);
    }
}

} // namespace
