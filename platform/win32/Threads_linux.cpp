#include "win32/Threads.h"

#include "win32/Errors.h"

#include <chrono>
#include <thread>

#include <unistd.h>

namespace win32 {

void ThreadObject::Exit(DWORD exitCode)
{
    KernelStateChange change;
    ExitCode_.store(exitCode, std::memory_order_release);
    Ended_.store(true, std::memory_order_release);
}

} // namespace win32

DWORD GetCurrentThreadId()
{
    // The kernel's thread id: what debuggers and /proc show.
    thread_local const DWORD id = static_cast<DWORD>(gettid());
    return id;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode)
{
    const auto object = win32::KernelObjectFromHandle<win32::ThreadObject>(thread);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (exitCode)
        *exitCode = object->ExitCode();
    return TRUE;
}

void Sleep(DWORD milliseconds)
{
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }
    // sleep_for goes on after a signal until the whole time has passed.
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
