#pragma once
// Where windows are placed: SetWindowPos (declared with the windows) as
// far as it goes here, the restored placement of a window, and the windows
// of the system's classes that programs make by name.
//
// The framework's controls place their windows themselves: SetWindowPos
// moves or sizes (SWP_NOMOVE or SWP_NOSIZE missing) only a window whose peer
// is a PlacementPeer that takes it (the system classes' windows), and fails
// on a control's window with ERROR_INVALID_PARAMETER, as it does for any
// insertAfter but HWND_TOP. Without SWP_NOZORDER the window goes above its
// siblings. Window 0 fails with ERROR_INVALID_WINDOW_HANDLE.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"
#include "win32/WindowManager.h"

namespace win32 {

// What a peer answers beyond WindowPeer when it can be placed from outside
// or has a restored state.
class CORVANE_PLATFORM_EXPORT PlacementPeer {
public:
    // Moves or sizes the window (coordinates in the parent's client area);
    // false when it is placed by its control.
    virtual bool PeerSetPos(int x, int y, int cx, int cy, UINT flags) = 0;
    // Puts the window above its siblings.
    virtual void PeerRaise() = 0;
    // The window rectangle of the restored (normal) window in screen
    // coordinates, also while it is maximised or minimised.
    virtual RECT PeerNormalRect() const = 0;
    // SW_SHOWNORMAL, SW_SHOWMINIMIZED or SW_SHOWMAXIMIZED.
    virtual UINT PeerShowCommand() const = 0;

protected:
    ~PlacementPeer() = default;
};

// What a system class is asked to make.
struct CORVANE_PLATFORM_EXPORT SystemWindowRequest {
    DWORD ExStyle;
    DWORD Style;
    int X, Y, Width, Height;
    HWND Parent;
    int Id;
};
// Makes the window (through CreateWindowFor) or returns 0 with the error
// set. The framework registers its classes when its application is made.
using SystemClassFactory = HWND (*)(const SystemWindowRequest& request);
CORVANE_PLATFORM_EXPORT void RegisterSystemClass(const char* className, SystemClassFactory factory);

} // namespace win32

inline HWND const HWND_TOP = nullptr;

// The show commands of a placement (SW_SHOWNORMAL, 1, is the shell's too:
// shell32/ShellFlags.h).
inline constexpr UINT kShowNormal = 1;
inline constexpr UINT SW_SHOWMINIMIZED = 2;
inline constexpr UINT SW_SHOWMAXIMIZED = 3;

struct CORVANE_PLATFORM_EXPORT WINDOWPLACEMENT {
    UINT length; // sizeof(WINDOWPLACEMENT), 44
    UINT flags;
    UINT showCmd;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};
static_assert(sizeof(WINDOWPLACEMENT) == 44);

// The show state and the restored window rectangle (screen coordinates),
// also of a maximised window; a window without a placement of its own
// gives its window rectangle. A length other than 44 fails with
// ERROR_INVALID_PARAMETER; window 0 with ERROR_INVALID_WINDOW_HANDLE.
CORVANE_PLATFORM_EXPORT BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);

// The platform's error for a class it does not know.
inline constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
inline constexpr DWORD SBS_SIZEGRIP = 0x0010;

// Makes a window of a system class: "SCROLLBAR" with WS_CHILD and
// SBS_SIZEGRIP is a size grip, which goes with its parent. Another class, or
// a style the class does not make, fails with ERROR_CANNOT_FIND_WND_CLASS; a
// parent that is not a window with ERROR_INVALID_WINDOW_HANDLE.
CORVANE_PLATFORM_EXPORT HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                                             int x, int y, int width, int height, HWND parent, HMENU menu,
                                             HINSTANCE instance, LPVOID param);
