// Windows: the table, creation and destruction, sending, the default window
// procedure, focus, capture and the geometry a peer answers.

#include "win32/WindowManager.h"

#include "win32/Errors.h"
#include "win32/ScrollBars.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowTable_p.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <utility>
#include <vector>

namespace win32::detail {

HandleTable<HWND, WindowPtr>& Windows()
{
    // Never destroyed: windows may go late in a program's shut-down.
    static auto& table = *new HandleTable<HWND, WindowPtr>(HandleKind::Window);
    return table;
}

WindowPtr FindWindowState(HWND window)
{
    if (!window)
        return nullptr;
    return Windows().Get(window).value_or(nullptr);
}

std::mutex& PostingMutex()
{
    static auto& mutex = *new std::mutex;
    return mutex;
}

LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WindowPtr state = FindWindowState(window);
    if (!state || !state->Procedure) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return state->Procedure->WindowProc(window, message, wParam, lParam);
}

LRESULT CallProcedureGuarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return CallProcedure(window, message, wParam, lParam);
    } catch (...) {
        HandleCurrentException();
        return 0;
    }
}

} // namespace win32::detail

using namespace win32::detail;
using win32::WindowPeer;

namespace {

// GUI-thread state of the window manager.
HWND g_focus = nullptr;
HWND g_capture = nullptr;
HWND g_active = nullptr;
bool g_appActive = false;

std::atomic<win32::ExceptionHandler> g_exceptionHandler{nullptr};

std::atomic<unsigned> g_keyBits{0};
constexpr unsigned kShiftBit = 1;
constexpr unsigned kControlBit = 2;
constexpr unsigned kAltBit = 4;
constexpr unsigned kLeftBit = 8;
constexpr unsigned kRightBit = 16;
constexpr unsigned kMiddleBit = 32;

void SetBits(unsigned mask, unsigned values)
{
    unsigned old = g_keyBits.load();
    while (!g_keyBits.compare_exchange_weak(old, (old & ~mask) | values)) {
    }
}

WindowPeer* PeerOf(HWND window, bool& valid)
{
    const WindowPtr state = FindWindowState(window);
    valid = state != nullptr;
    if (!valid)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return state ? state->Peer.load() : nullptr;
}

std::vector<HWND> ChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    Windows().ForEach([&](HWND handle, const WindowPtr& state) {
        if (state->Parent == parent)
            children.push_back(handle);
    });
    return children;
}

// Each ancestor of a child hears what happened to it, until a window that
// is not a child or asks for silence.
template <class Param>
void NotifyParents(HWND window, WPARAM wParam, Param lParamFor)
{
    for (HWND w = window; IsWindow(w);) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrA(w, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(w, GWL_EXSTYLE));
        const HWND parent = GetParent(w);
        if (!(style & WS_CHILD) || (exStyle & WS_EX_NOPARENTNOTIFY) || !parent)
            return;
        SendMessageA(parent, WM_PARENTNOTIFY, wParam, lParamFor(parent));
        w = parent;
    }
}

void NotifyParentsOfLife(HWND window, UINT event)
{
    const LPARAM child = reinterpret_cast<LPARAM>(window);
    NotifyParents(window, MAKEWPARAM(static_cast<int>(event), GetDlgCtrlID(window)),
                  [child](HWND) { return child; });
}

// Every top-level window with a place on the screen hears of the change.
void TellApplicationActive(bool active)
{
    g_appActive = active;
    std::vector<HWND> topLevel;
    Windows().ForEach([&](HWND handle, const WindowPtr& state) {
        if (!state->Parent && state->Peer.load())
            topLevel.push_back(handle);
    });
    for (HWND window : topLevel)
        if (IsWindow(window))
            SendMessageA(window, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

win32::WindowDestroyedObserver g_destroyedObserver = nullptr;

void DestroyTree(HWND window)
{
    SendMessageA(window, WM_DESTROY, 0, 0);
    for (HWND child : ChildrenOf(window))
        if (IsWindow(child))
            DestroyTree(child);
    if (!IsWindow(window))
        return; // a handler destroyed it already
    SendMessageA(window, WM_NCDESTROY, 0, 0);
    if (const win32::WindowDestroyedObserver observer = g_destroyedObserver)
        observer(window);
    if (g_focus == window)
        g_focus = nullptr;
    if (g_capture == window)
        g_capture = nullptr;
    const bool wasActive = g_active == window;
    if (wasActive)
        g_active = nullptr;
    KillTimersOf(window);
    {
        std::lock_guard lock(PostingMutex());
        if (Windows().Remove(window))
            DiscardMailOf(window);
    }
    // Without an active window the application is no longer active; the
    // toolkit tells of another window it activates instead.
    if (wasActive && g_appActive)
        TellApplicationActive(false);
}

} // namespace

namespace win32 {

bool IsGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

HWND CreateWindowFor(WindowProcedure* procedure, const WindowCreation& creation, WindowPeer* peer)
{
    if (!procedure || (creation.Parent && !Windows().IsValid(creation.Parent))) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    // Without an application no thread would ever serve the window.
    if (!QCoreApplication::instance()) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return nullptr;
    }
    EnsureRouter();
    auto state = std::make_shared<WindowState>();
    state->Procedure = procedure;
    state->Peer = peer;
    state->Parent = creation.Parent;
    state->Style = creation.Style;
    state->ExStyle = creation.ExStyle;
    state->Id = creation.Id;
    HWND window = Windows().Insert(std::move(state));
    if (!window) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // A window whose creation messages refuse it goes again.
    if (SendMessageA(window, WM_NCCREATE, 0, 0) == 0 && IsWindow(window)) {
        DestroyWindow(window);
        return nullptr;
    }
    if (IsWindow(window) && SendMessageA(window, WM_CREATE, 0, 0) == -1 && IsWindow(window)) {
        DestroyWindow(window);
        return nullptr;
    }
    NotifyParentsOfLife(window, WM_CREATE);
    return IsWindow(window) ? window : nullptr;
}

void SetWindowPeer(HWND window, WindowPeer* peer)
{
    if (const WindowPtr state = FindWindowState(window))
        state->Peer = peer;
}

WindowPeer* GetWindowPeer(HWND window)
{
    const WindowPtr state = FindWindowState(window);
    return state ? state->Peer.load() : nullptr;
}

WindowDestroyedObserver SetWindowDestroyedObserver(WindowDestroyedObserver observer)
{
    return std::exchange(g_destroyedObserver, observer);
}

WindowProcedure* GetWindowProcedure(HWND window)
{
    const WindowPtr state = FindWindowState(window);
    return state ? state->Procedure : nullptr;
}

ExceptionHandler SetExceptionHandler(ExceptionHandler handler)
{
    return g_exceptionHandler.exchange(handler);
}

void HandleCurrentException()
{
    if (!std::current_exception())
        return;
    if (ExceptionHandler handler = g_exceptionHandler.load()) {
        // The handler must not throw across the event loop either.
        try {
            handler();
        } catch (...) {
            std::fputs("corvane: the exception handler raised; the exception is dropped\n", stderr);
        }
        return;
    }
    try {
        throw;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "corvane: unhandled exception: %s\n", e.what());
    } catch (...) {
        std::fputs("corvane: unhandled exception\n", stderr);
    }
}

void NoteActivation(HWND window, bool active, HWND other)
{
    if (!IsWindow(window))
        return;
    if (!active) {
        if (g_active != window)
            return; // told already, or never active
        g_active = nullptr;
        if (!IsWindow(other))
            other = nullptr;
        SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(other));
        if (!other && !g_active && g_appActive) {
            TellApplicationActive(false);
            // The keyboard goes with the application.
            if (!g_active && GetFocus())
                SetFocus(nullptr);
        }
        return;
    }
    if (g_active == window)
        return;
    // The window losing the activation hears it first, whatever order the
    // toolkit tells it in.
    const HWND old = IsWindow(g_active) ? g_active : nullptr;
    g_active = window;
    if (old)
        SendMessageA(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window));
    if (!g_appActive)
        TellApplicationActive(true);
    if (g_active == window && IsWindow(window))
        SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
}

void NotifyParentsOfButton(HWND window, UINT buttonMessage, POINT screen)
{
    NotifyParents(window, MAKEWPARAM(static_cast<int>(buttonMessage), 0), [screen](HWND parent) {
        POINT pt = screen;
        ScreenToClient(parent, &pt);
        return MAKELPARAM(pt.x, pt.y);
    });
}

void NoteModifierKeys(bool shift, bool control, bool alt)
{
    SetBits(kShiftBit | kControlBit | kAltBit,
            (shift ? kShiftBit : 0) | (control ? kControlBit : 0) | (alt ? kAltBit : 0));
}

void NoteMouseButtons(bool left, bool right, bool middle)
{
    SetBits(kLeftBit | kRightBit | kMiddleBit,
            (left ? kLeftBit : 0) | (right ? kRightBit : 0) | (middle ? kMiddleBit : 0));
}

} // namespace win32

SHORT GetKeyState(int virtualKey)
{
    unsigned bit = 0;
    switch (virtualKey) {
    case VK_SHIFT:
        bit = kShiftBit;
        break;
    case VK_CONTROL:
        bit = kControlBit;
        break;
    case VK_MENU:
        bit = kAltBit;
        break;
    case VK_LBUTTON:
        bit = kLeftBit;
        break;
    case VK_RBUTTON:
        bit = kRightBit;
        break;
    case VK_MBUTTON:
        bit = kMiddleBit;
        break;
    default:
        return 0;
    }
    return (g_keyBits.load() & bit) ? static_cast<SHORT>(0x8000) : 0;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!win32::IsGuiThread())
        return SendFromOtherThread(window, message, wParam, lParam);
    return CallProcedure(window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_ACTIVATE:
        // An activated window takes the focus unless one of its own has it.
        if (LOWORD(wParam) != WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus != window && !IsChild(window, focus))
                SetFocus(window);
        }
        return 0;
    case WM_CANCELMODE:
        if (g_capture == window)
            ReleaseCapture();
        return 0;
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        // Children pass these up until a window takes them.
        if (HWND parent = GetParent(window))
            return SendMessageA(parent, message, wParam, lParam);
        return 0;
    case WM_RBUTTONUP: {
        // The context menu follows the button's release, in screen coordinates.
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(window, &pt);
        SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(pt.x, pt.y));
        return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        // The keyboard's context-menu keys, when nobody took the key before.
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        const bool control = GetKeyState(VK_CONTROL) < 0;
        const bool alt = GetKeyState(VK_MENU) < 0;
        if ((wParam == VK_APPS && !shift && !control && !alt) ||
            (wParam == VK_F10 && shift && !control && !alt))
            SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), -1);
        return 0;
    }
    case WM_SETCURSOR: {
        if (HWND parent = GetParent(window))
            if (SendMessageA(parent, WM_SETCURSOR, wParam, lParam))
                return TRUE;
        if (static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam))) == HTCLIENT) {
            SetCursor(LoadCursorA(nullptr, IDC_ARROW));
            return TRUE;
        }
        return FALSE;
    }
    default:
        return 0;
    }
}

BOOL DestroyWindow(HWND window)
{
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // Only the window's own thread destroys it; once the application has
    // gone there is none, and the window stays as it is.
    if (!win32::IsGuiThread()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    NotifyParentsOfLife(window, WM_DESTROY);
    if (IsWindow(window))
        DestroyTree(window);
    return TRUE;
}

BOOL IsWindow(HWND window)
{
    return window && Windows().IsValid(window) ? TRUE : FALSE;
}

HWND GetParent(HWND window)
{
    const WindowPtr state = FindWindowState(window);
    return state && IsWindow(state->Parent) ? state->Parent : nullptr;
}

BOOL IsChild(HWND parent, HWND window)
{
    for (HWND up = GetParent(window); up; up = GetParent(up))
        if (up == parent)
            return TRUE;
    return FALSE;
}

HWND GetDlgItem(HWND parent, int id)
{
    HWND found = nullptr;
    Windows().ForEach([&](HWND handle, const WindowPtr& state) {
        if (!found && state->Parent == parent && state->Id == id)
            found = handle;
    });
    if (!found)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return found;
}

int GetDlgCtrlID(HWND window)
{
    const WindowPtr state = FindWindowState(window);
    return state ? state->Id.load() : 0;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index)
{
    const WindowPtr state = FindWindowState(window);
    if (!state) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWL_STYLE:
        return state->Style.load();
    case GWL_EXSTYLE:
        return state->ExStyle.load();
    case GWL_ID:
        return state->Id.load();
    case GWLP_USERDATA:
        return state->UserData.load();
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value)
{
    const WindowPtr state = FindWindowState(window);
    if (!state) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWL_STYLE:
        return state->Style.exchange(static_cast<DWORD>(value));
    case GWL_EXSTYLE:
        return state->ExStyle.exchange(static_cast<DWORD>(value));
    case GWL_ID:
        return state->Id.exchange(static_cast<int>(value));
    case GWLP_USERDATA:
        return state->UserData.exchange(value);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

// A window without a peer has an empty rectangle.
static BOOL PeerRect(HWND window, RECT* rect, RECT (WindowPeer::*which)() const)
{
    bool valid;
    WindowPeer* peer = PeerOf(window, valid);
    if (!valid || !rect)
        return FALSE;
    *rect = peer ? (peer->*which)() : RECT{0, 0, 0, 0};
    return TRUE;
}

BOOL GetScrollInfo(HWND window, int bar, SCROLLINFO* info)
{
    bool valid;
    WindowPeer* peer = PeerOf(window, valid);
    if (!valid)
        return FALSE;
    if (!info || info->cbSize != sizeof(SCROLLINFO) || (info->fMask & SIF_ALL) == 0 ||
        (bar != SB_HORZ && bar != SB_VERT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int min = 0, max = 0, page = 0, pos = 0, track = 0;
    if (!peer || !peer->PeerScrollBar(bar, min, max, page, pos, track)) {
        SetLastError(ERROR_NO_SCROLLBARS);
        return FALSE;
    }
    if (info->fMask & SIF_RANGE) {
        info->nMin = min;
        info->nMax = max;
    }
    if (info->fMask & SIF_PAGE)
        info->nPage = static_cast<UINT>(std::max(0, page));
    if (info->fMask & SIF_POS)
        info->nPos = pos;
    if (info->fMask & SIF_TRACKPOS)
        info->nTrackPos = track;
    return TRUE;
}

int GetScrollPos(HWND window, int bar)
{
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(window, bar, &info) ? info.nPos : 0;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    return PeerRect(window, rect, &WindowPeer::PeerClientRect);
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    return PeerRect(window, rect, &WindowPeer::PeerWindowRect);
}

BOOL ClientToScreen(HWND window, POINT* point)
{
    bool valid;
    WindowPeer* peer = PeerOf(window, valid);
    if (!valid || !point)
        return FALSE;
    if (peer) {
        const POINT origin = peer->PeerClientOrigin();
        point->x += origin.x;
        point->y += origin.y;
    }
    return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point)
{
    bool valid;
    WindowPeer* peer = PeerOf(window, valid);
    if (!valid || !point)
        return FALSE;
    if (peer) {
        const POINT origin = peer->PeerClientOrigin();
        point->x -= origin.x;
        point->y -= origin.y;
    }
    return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase)
{
    bool valid;
    WindowPeer* peer = PeerOf(window, valid);
    if (!valid)
        return FALSE;
    if (peer)
        peer->PeerInvalidate(rect, erase != FALSE);
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND /*insertAfter*/, int /*x*/, int /*y*/, int /*cx*/, int /*cy*/, UINT flags)
{
    bool valid;
    WindowPeer* peer = PeerOf(window, valid);
    if (!valid)
        return FALSE;
    constexpr UINT still = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
    if ((flags & still) != still) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (peer && (flags & SWP_FRAMECHANGED))
        peer->PeerFrameChanged();
    return TRUE;
}

BOOL UpdateWindow(HWND window)
{
    bool valid;
    WindowPeer* peer = PeerOf(window, valid);
    if (!valid)
        return FALSE;
    if (peer)
        peer->PeerUpdate();
    return TRUE;
}

BOOL IsWindowVisible(HWND window)
{
    bool valid;
    WindowPeer* peer = PeerOf(window, valid);
    return valid && peer && peer->PeerVisible() ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window)
{
    bool valid;
    WindowPeer* peer = PeerOf(window, valid);
    if (!valid)
        return FALSE;
    if (peer)
        return peer->PeerEnabled() ? TRUE : FALSE;
    return (GetWindowLongPtrA(window, GWL_STYLE) & WS_DISABLED) ? FALSE : TRUE;
}

HWND SetFocus(HWND window)
{
    if (window && !IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const HWND old = g_focus;
    if (old == window)
        return old;
    g_focus = window;
    if (window) {
        bool valid;
        if (WindowPeer* peer = PeerOf(window, valid))
            peer->PeerTakeFocus();
    }
    if (IsWindow(old))
        SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    // The old window's handler may have moved the focus on already.
    if (window && g_focus == window && IsWindow(window))
        SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return IsWindow(old) ? old : nullptr;
}

HWND GetFocus()
{
    // The keyboard belongs to the GUI thread; another thread has no focus.
    if (!win32::IsGuiThread())
        return nullptr;
    return IsWindow(g_focus) ? g_focus : nullptr;
}

HWND GetActiveWindow()
{
    return IsWindow(g_active) ? g_active : nullptr;
}

HWND SetCapture(HWND window)
{
    if (window && !IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const HWND old = GetCapture();
    g_capture = window;
    if (old && old != window)
        SendMessageA(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    return old;
}

BOOL ReleaseCapture()
{
    const HWND old = GetCapture();
    g_capture = nullptr;
    if (old)
        SendMessageA(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture()
{
    return IsWindow(g_capture) ? g_capture : nullptr;
}
