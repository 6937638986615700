#pragma once
// Windows and their messages.
//
// A window is a handle from a generation-checked table; behind it sit its
// window procedure (an object, not a table keyed by message number), its
// parent, styles and id, and optionally a peer that gives it a place on the
// screen (the framework's controls make one over a Qt widget). Windows
// without a peer are message-only.
//
// SendMessage calls the procedure at once. PostMessage may be called from
// any thread: it queues (handle, message, parameters) for the one router of
// the GUI thread, which checks the handle again on delivery; mail of a
// window that is destroyed in between is discarded, never delivered to
// whatever takes the slot next. Every call into a window procedure from the
// event loop (posted mail, timers, and the framework's Qt boundary) stops
// exceptions there and hands them to the installed exception handler.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"
#include "win32/WindowMessages.h"

#include <memory>

class QObject;

namespace win32 {

// The procedure of a window: what the platform calls with its messages.
class CORVANE_PLATFORM_EXPORT WindowProcedure {
public:
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~WindowProcedure() = default;
};

// What places a window on the screen. Coordinates are the platform's: client
// rectangles start at (0, 0), window rectangles are in screen coordinates.
class CORVANE_PLATFORM_EXPORT WindowPeer {
public:
    virtual RECT PeerClientRect() const = 0;
    virtual RECT PeerWindowRect() const = 0;
    // The screen position of the client area's origin.
    virtual POINT PeerClientOrigin() const = 0;
    // rect null: the whole client area.
    virtual void PeerInvalidate(const RECT* rect, bool erase) = 0;
    virtual void PeerUpdate() = 0;
    virtual bool PeerVisible() const = 0;
    virtual bool PeerEnabled() const = 0;
    // Gives the peer the toolkit's keyboard focus; the focus messages are the
    // platform's business (SetFocus).
    virtual void PeerTakeFocus() = 0;
    virtual void PeerSetCursor(HCURSOR cursor) = 0;
    // The non-client area is to be measured again (WM_NCCALCSIZE) and
    // repainted; peers without one ignore it.
    virtual void PeerFrameChanged() {}
    // The scroll bar bar (SB_HORZ, SB_VERT) in the platform's terms: range
    // min to max inclusive, page units shown, the position and the thumb's
    // position while dragged. False for a bar the window does not have.
    virtual bool PeerScrollBar(int bar, int& min, int& max, int& page, int& pos, int& trackPos) const
    {
        (void)bar, (void)min, (void)max, (void)page, (void)pos, (void)trackPos;
        return false;
    }
    // The widget that takes the window's drags (an item view's viewport,
    // the view shown now) and its rectangle in screen coordinates; null
    // for a window that takes none.
    virtual QObject* PeerDropReceiver() const { return nullptr; }
    virtual RECT PeerDropReceiverRect() const { return PeerWindowRect(); }

protected:
    ~WindowPeer() = default;
};

struct CORVANE_PLATFORM_EXPORT WindowCreation {
    HWND Parent = nullptr;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int Id = 0;
};

// Makes a window whose messages go to procedure (which must outlive it) and
// sends it WM_NCCREATE and WM_CREATE; a child's ancestors then hear of it
// (WM_PARENTNOTIFY). Returns 0 when the table is full or
// the parent is not a window.
CORVANE_PLATFORM_EXPORT HWND CreateWindowFor(WindowProcedure* procedure, const WindowCreation& creation,
                                             WindowPeer* peer = nullptr);
// Sets or clears (null) the peer of a window.
CORVANE_PLATFORM_EXPORT void SetWindowPeer(HWND window, WindowPeer* peer);
// The peer of a window; null for a stale handle or a message-only window.
CORVANE_PLATFORM_EXPORT WindowPeer* GetWindowPeer(HWND window);
// Called with every window as it is destroyed, after WM_NCDESTROY and
// before its handle goes (one observer; null removes it). Returns the one
// before.
using WindowDestroyedObserver = void (*)(HWND window);
CORVANE_PLATFORM_EXPORT WindowDestroyedObserver SetWindowDestroyedObserver(WindowDestroyedObserver observer);
// The procedure behind a window; null for a stale handle.
CORVANE_PLATFORM_EXPORT WindowProcedure* GetWindowProcedure(HWND window);

// Called inside a catch block by every boundary between the event loop and
// window procedures. Returns the handler before.
using ExceptionHandler = void (*)();
CORVANE_PLATFORM_EXPORT ExceptionHandler SetExceptionHandler(ExceptionHandler handler);
// Hands the exception being caught to the installed handler (without one,
// the exception is written to the log). Call only inside a catch block.
CORVANE_PLATFORM_EXPORT void HandleCurrentException();

// The position of the mouse pointer as GetCursorPos reports it; replaceable
// for tests and programs that script the pointer. Null restores the default:
// the pointer as the toolkit reports it (on the offscreen platform, which
// has no pointer, where its latest mouse event was).
using CursorPosHook = POINT (*)();
CORVANE_PLATFORM_EXPORT CursorPosHook SetCursorPosHook(CursorPosHook hook);
// The input boundary tells where the pointer was at its latest mouse event.
CORVANE_PLATFORM_EXPORT void NoteCursorPos(POINT screen);

CORVANE_PLATFORM_EXPORT bool IsGuiThread();

class KernelObject;
// Signalled while messages sent from other threads wait for the GUI thread;
// a wait of the GUI thread that must not block them watches it and serves
// them (the platform's waits that also serve sent messages).
CORVANE_PLATFORM_EXPORT std::shared_ptr<KernelObject> SentMessages();
// GUI thread: runs the messages other threads are waiting on; true when any ran.
CORVANE_PLATFORM_EXPORT bool ServeSentMessages();

} // namespace win32

// The platform's calls.
// From another thread, SendMessage waits until the GUI thread has run the
// message: its event loop does, and so does a GUI thread waiting for a
// thread (TThread::WaitFor serves win32::SentMessages()).
CORVANE_PLATFORM_EXPORT LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
CORVANE_PLATFORM_EXPORT BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
CORVANE_PLATFORM_EXPORT LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
inline LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(window, message, wParam, lParam);
}
inline BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostMessageA(window, message, wParam, lParam);
}
inline LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

// Tells a child's ancestors (WM_PARENTNOTIFY), sends WM_DESTROY to the
// window and then to its children (which go too), then WM_NCDESTROY; the handle is stale afterwards and its
// mail and timers are gone.
CORVANE_PLATFORM_EXPORT BOOL DestroyWindow(HWND window);
CORVANE_PLATFORM_EXPORT BOOL IsWindow(HWND window);
CORVANE_PLATFORM_EXPORT HWND GetParent(HWND window);
CORVANE_PLATFORM_EXPORT BOOL IsChild(HWND parent, HWND window);
CORVANE_PLATFORM_EXPORT HWND GetDlgItem(HWND parent, int id);
CORVANE_PLATFORM_EXPORT int GetDlgCtrlID(HWND window);
CORVANE_PLATFORM_EXPORT LONG_PTR GetWindowLongPtrA(HWND window, int index);
CORVANE_PLATFORM_EXPORT LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);

CORVANE_PLATFORM_EXPORT BOOL GetClientRect(HWND window, RECT* rect);
CORVANE_PLATFORM_EXPORT BOOL GetWindowRect(HWND window, RECT* rect);
CORVANE_PLATFORM_EXPORT BOOL ClientToScreen(HWND window, POINT* point);
CORVANE_PLATFORM_EXPORT BOOL ScreenToClient(HWND window, POINT* point);
CORVANE_PLATFORM_EXPORT BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
CORVANE_PLATFORM_EXPORT BOOL UpdateWindow(HWND window);
CORVANE_PLATFORM_EXPORT BOOL IsWindowVisible(HWND window);

// WM_NCCALCSIZE's record when its wParam is non-zero: rgrc[0] is the
// proposed window rectangle (in the parent's client coordinates) and becomes
// the client rectangle; rgrc[1] and rgrc[2] are the valid rectangles.
struct CORVANE_PLATFORM_EXPORT WINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
};
struct CORVANE_PLATFORM_EXPORT NCCALCSIZE_PARAMS {
    RECT rgrc[3];
    WINDOWPOS* lppos;
};
constexpr LRESULT WVR_HREDRAW = 0x0100;
constexpr LRESULT WVR_VREDRAW = 0x0200;
constexpr LRESULT WVR_REDRAW = WVR_HREDRAW | WVR_VREDRAW;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
// Windows are placed by their controls here: SetWindowPos takes only what
// leaves position, size and z-order alone (SWP_NOMOVE, SWP_NOSIZE and
// SWP_NOZORDER all set) and fails otherwise with ERROR_INVALID_PARAMETER.
// SWP_FRAMECHANGED measures the non-client area again and repaints it.
CORVANE_PLATFORM_EXPORT BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                                          UINT flags);
CORVANE_PLATFORM_EXPORT BOOL IsWindowEnabled(HWND window);

// Moves the keyboard focus: WM_KILLFOCUS to the window that had it (wParam
// the new one), WM_SETFOCUS to the new one (wParam the old one). Returns the
// window that had it.
CORVANE_PLATFORM_EXPORT HWND SetFocus(HWND window);
CORVANE_PLATFORM_EXPORT HWND GetFocus();
// The top-level window the application's input goes to; 0 while the
// application is not active.
CORVANE_PLATFORM_EXPORT HWND GetActiveWindow();

// The window that gets the mouse until it lets go. The window that loses the
// capture receives WM_CAPTURECHANGED with the new owner (0 on release).
CORVANE_PLATFORM_EXPORT HWND SetCapture(HWND window);
CORVANE_PLATFORM_EXPORT BOOL ReleaseCapture();
CORVANE_PLATFORM_EXPORT HWND GetCapture();

CORVANE_PLATFORM_EXPORT BOOL GetCursorPos(POINT* point);

// Waits, the mouse captured by window, for the pointer pressed at screen to
// leave the drag rectangle (the desktop's drag distance each way): TRUE.
// The release of the button, Escape, another press, the loss of the capture
// or the end of the window come first: FALSE. The mouse and key input it
// waits on is its own: no window hears it. FALSE at once when no button is
// down. GUI thread only; other events (paints, timers, posted mail) go on.
CORVANE_PLATFORM_EXPORT BOOL DragDetect(HWND window, POINT screen);

// The system cursors by their numbers, and the cursor of the window under
// the pointer.
inline LPCSTR MakeCursorId(int id)
{
    return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(id));
}
#define IDC_ARROW MakeCursorId(32512)
#define IDC_IBEAM MakeCursorId(32513)
#define IDC_WAIT MakeCursorId(32514)
#define IDC_CROSS MakeCursorId(32515)
#define IDC_UPARROW MakeCursorId(32516)
#define IDC_SIZENWSE MakeCursorId(32642)
#define IDC_SIZENESW MakeCursorId(32643)
#define IDC_SIZEWE MakeCursorId(32644)
#define IDC_SIZENS MakeCursorId(32645)
#define IDC_SIZEALL MakeCursorId(32646)
#define IDC_NO MakeCursorId(32648)
#define IDC_HAND MakeCursorId(32649)
#define IDC_APPSTARTING MakeCursorId(32650)
#define IDC_HELP MakeCursorId(32651)
// Only the system's cursors (instance 0) are known; 0 for anything else.
CORVANE_PLATFORM_EXPORT HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
// Sets the cursor of the window the pointer is over; returns the one before.
CORVANE_PLATFORM_EXPORT HCURSOR SetCursor(HCURSOR cursor);
CORVANE_PLATFORM_EXPORT HCURSOR GetCursor();

// Bit 15 set while the key is down. Only the modifier keys and the mouse
// buttons are tracked.
CORVANE_PLATFORM_EXPORT SHORT GetKeyState(int virtualKey);

namespace win32 {
// The toolkit's shape (a Qt::CursorShape value) of a cursor handle; -1 for
// a handle that is not a cursor. Cursors of the framework's own (the split
// cursors) are made from their shape.
CORVANE_PLATFORM_EXPORT int CursorShape(HCURSOR cursor);
CORVANE_PLATFORM_EXPORT HCURSOR CursorForShape(int shape);
// The input boundary asks the window under the pointer for its cursor:
// WM_SETCURSOR with the hit test and the mouse message; whatever SetCursor
// chooses during it is shown over that window.
CORVANE_PLATFORM_EXPORT void QueryCursor(HWND window, UINT mouseMessage);
// A button pressed over a child window: WM_PARENTNOTIFY to its ancestors
// (with the point in each one's client coordinates) before the window gets
// the button's message. Children made with WS_EX_NOPARENTNOTIFY tell nobody.
CORVANE_PLATFORM_EXPORT void NotifyParentsOfButton(HWND window, UINT buttonMessage, POINT screen);
// The toolkit activated (or deactivated) a top-level window; other is the
// window that loses (gains) the activation, 0 for none or one not ours. In
// the platform's order: the window that loses it hears WM_ACTIVATE
// (WA_INACTIVE) first; when the application itself becomes active or
// inactive every top-level window hears WM_ACTIVATEAPP, before the
// activated window's WM_ACTIVATE or after the last one's deactivation.
// Told twice, or in the toolkit's order, it says each thing once.
CORVANE_PLATFORM_EXPORT void NoteActivation(HWND window, bool active, HWND other);
// Key states as the input boundary last saw them (GetKeyState reads them).
CORVANE_PLATFORM_EXPORT void NoteModifierKeys(bool shift, bool control, bool alt);
CORVANE_PLATFORM_EXPORT void NoteMouseButtons(bool left, bool right, bool middle);
} // namespace win32

using TIMERPROC = void (*)(HWND window, UINT message, UINT_PTR id, DWORD time);
// WM_TIMER for the window (or the procedure's call) every elapse
// milliseconds, at most one pending at a time. GUI thread only. Setting an
// existing id again restarts it. Without a window, a fresh id is returned.
CORVANE_PLATFORM_EXPORT UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
CORVANE_PLATFORM_EXPORT BOOL KillTimer(HWND window, UINT_PTR id);
