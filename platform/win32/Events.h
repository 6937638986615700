#pragma once
// Events and waits on several kernel objects at once.
//
// An event is a kernel object like a thread: its handle comes from the same
// table and closes with CloseHandle. A manual-reset event stays signalled
// until it is reset and releases every waiter; an auto-reset event releases
// exactly one waiter and resets as it does.

#include "CorvanePlatformExport.h"
#include "win32/KernelObjects.h"

namespace win32 {

class CORVANE_PLATFORM_EXPORT EventObject final : public KernelObject {
public:
    EventObject(bool manualReset, bool initialState) : ManualReset_(manualReset), Signalled_(initialState) {}

    void Set();
    void Reset();

protected:
    bool IsSignalled() const override { return Signalled_; }
    void TakeSignal() override
    {
        if (!ManualReset_)
            Signalled_ = false;
    }

private:
    const bool ManualReset_;
    bool Signalled_; // under the wait lock
};

} // namespace win32

// The attributes are not used (no security, no inheritance); name must be
// null: named events are not shared between processes here
// (ERROR_NOT_SUPPORTED). 0 with the last error set on failure.
CORVANE_PLATFORM_EXPORT HANDLE CreateEventA(const void* eventAttributes, BOOL manualReset, BOOL initialState,
                                            LPCSTR name);
inline HANDLE CreateEvent(const void* eventAttributes, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    return CreateEventA(eventAttributes, manualReset, initialState, name);
}

// FALSE with ERROR_INVALID_HANDLE for a handle that is not a live event.
CORVANE_PLATFORM_EXPORT BOOL SetEvent(HANDLE event);
CORVANE_PLATFORM_EXPORT BOOL ResetEvent(HANDLE event);

// Waits for one of count handles (waitAll: all of them at one moment) for at
// most milliseconds. WAIT_OBJECT_0 + the index of the first signalled handle
// (waitAll: WAIT_OBJECT_0), or WAIT_TIMEOUT. WAIT_FAILED with
// ERROR_INVALID_PARAMETER for no handles, more than MAXIMUM_WAIT_OBJECTS or
// (waitAll) one handle given twice, with ERROR_INVALID_HANDLE for a handle
// that is not live.
CORVANE_PLATFORM_EXPORT DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                                     DWORD milliseconds);
