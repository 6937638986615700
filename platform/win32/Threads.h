#pragma once
// Threads as kernel objects: a thread's object is signalled once the thread
// has ended, and keeps its exit code.

#include "CorvanePlatformExport.h"
#include "win32/KernelObjects.h"

#include <atomic>

constexpr DWORD STILL_ACTIVE = 259;

namespace win32 {

class CORVANE_PLATFORM_EXPORT ThreadObject final : public KernelObject {
public:
    // The thread's last act: keeps its exit code and wakes its waiters.
    void Exit(DWORD exitCode);
    bool Ended() const { return Ended_.load(std::memory_order_acquire); }
    // STILL_ACTIVE until the thread has ended.
    DWORD ExitCode() const { return ExitCode_.load(std::memory_order_acquire); }

protected:
    bool IsSignalled() const override { return Ended(); }

private:
    std::atomic<DWORD> ExitCode_{STILL_ACTIVE};
    std::atomic<bool> Ended_{false};
};

} // namespace win32

// The calling thread's identifier: unique among the threads that run, never
// 0. The process's first thread has the process's identifier.
CORVANE_PLATFORM_EXPORT DWORD GetCurrentThreadId();

// The exit code of a thread's handle, STILL_ACTIVE while it runs; FALSE with
// ERROR_INVALID_HANDLE for a handle that is not a live thread's.
CORVANE_PLATFORM_EXPORT BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

// Suspends the calling thread for at least milliseconds; 0 gives the rest of
// its time slice to any thread that is ready, INFINITE never returns.
CORVANE_PLATFORM_EXPORT void Sleep(DWORD milliseconds);
