#pragma once
// Kernel objects: what a thread waits on, addressed by the handles of one
// generation-checked table, so a closed handle is refused and never reaches
// an object that took its slot.
//
// Every object keeps its signalled state under one process-wide wait lock.
// A wait on several objects therefore sees them all at one moment and takes
// what it needs of each at once, and each change of state wakes the waiters
// to look again. A kind of object says when it is signalled and what a
// satisfied wait takes from it (an auto-reset event resets; a thread that
// ended stays signalled).
//
// An object lives as long as a handle or a waiter holds it: closing the last
// handle while another thread waits leaves that wait intact.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <memory>
#include <mutex>
#include <vector>

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_ABANDONED_0 = 0x00000080;
constexpr DWORD WAIT_TIMEOUT = 0x00000102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

namespace win32 {

class CORVANE_PLATFORM_EXPORT KernelObject {
public:
    KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;
    virtual ~KernelObject() = default;

protected:
    friend DWORD WaitForKernelObjects(const std::vector<std::shared_ptr<KernelObject>>& objects, bool waitAll,
                                      DWORD milliseconds);

    // Both are called with the wait lock held.
    virtual bool IsSignalled() const = 0;
    // What a satisfied wait takes; nothing by default.
    virtual void TakeSignal() {}
};

// Holds the wait lock while an object's state changes; every waiter looks
// again once it is released.
class CORVANE_PLATFORM_EXPORT KernelStateChange {
public:
    KernelStateChange();
    ~KernelStateChange();
    KernelStateChange(const KernelStateChange&) = delete;
    KernelStateChange& operator=(const KernelStateChange&) = delete;

private:
    std::unique_lock<std::mutex> Lock_;
};

// A new handle to the object; 0 with ERROR_NO_SYSTEM_RESOURCES when the
// table is full.
CORVANE_PLATFORM_EXPORT HANDLE InsertKernelObject(std::shared_ptr<KernelObject> object);
// The object of a live handle, or null.
CORVANE_PLATFORM_EXPORT std::shared_ptr<KernelObject> KernelObjectFromHandle(HANDLE handle);
template <class T>
std::shared_ptr<T> KernelObjectFromHandle(HANDLE handle)
{
    return std::dynamic_pointer_cast<T>(KernelObjectFromHandle(handle));
}

// Waits until one object (waitAll: every object at once) is signalled, for
// at most milliseconds (INFINITE: no limit, 0: only looks). Takes the
// signals of what satisfied the wait and returns WAIT_OBJECT_0 plus the
// index of the first signalled object (waitAll: WAIT_OBJECT_0), or
// WAIT_TIMEOUT; WAIT_FAILED with ERROR_INVALID_PARAMETER for an empty list.
CORVANE_PLATFORM_EXPORT DWORD WaitForKernelObjects(const std::vector<std::shared_ptr<KernelObject>>& objects,
                                                   bool waitAll, DWORD milliseconds);

} // namespace win32

// FALSE with ERROR_INVALID_HANDLE for a handle that is not live.
CORVANE_PLATFORM_EXPORT BOOL CloseHandle(HANDLE handle);

// WAIT_OBJECT_0 or WAIT_TIMEOUT; WAIT_FAILED with ERROR_INVALID_HANDLE for a
// handle that is not live.
CORVANE_PLATFORM_EXPORT DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
