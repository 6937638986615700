#pragma once
// The window table shared by the window manager and the message router.
// Not installed: the platform's callers use win32/WindowManager.h.

#include "win32/HandleTable.h"
#include "win32/WindowManager.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace win32::detail {

struct WindowState {
    WindowProcedure* Procedure = nullptr;
    std::atomic<WindowPeer*> Peer{nullptr};
    HWND Parent = nullptr;
    std::atomic<DWORD> Style{0};
    std::atomic<DWORD> ExStyle{0};
    std::atomic<int> Id{0};
    std::atomic<LONG_PTR> UserData{0};
};

using WindowPtr = std::shared_ptr<WindowState>;

HandleTable<HWND, WindowPtr>& Windows();
WindowPtr FindWindowState(HWND window);

// Orders posting against destruction: a message is queued only while its
// window is in the table, and a window leaves the table with its mail.
std::mutex& PostingMutex();
// Called with PostingMutex held, once the window has left the table.
void DiscardMailOf(HWND window);
// GUI thread: stops the window's timers.
void KillTimersOf(HWND window);

// Makes the GUI thread's router, which also follows the application's state.
void EnsureRouter();

// Calls the window's procedure; 0 for a stale handle.
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The same, with exceptions stopped and handed to the exception handler.
LRESULT CallProcedureGuarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the sender on the GUI thread and waits for it.
LRESULT SendFromOtherThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace win32::detail
