#include "win32/KernelObjects.h"

#include "win32/Errors.h"
#include "win32/HandleTable.h"

#include <chrono>
#include <condition_variable>

namespace win32 {

namespace {

using KernelTable = HandleTable<HANDLE, std::shared_ptr<KernelObject>>;

KernelTable& Objects()
{
    static KernelTable table(HandleKind::Kernel);
    return table;
}

struct WaitLock {
    std::mutex Mutex;
    std::condition_variable Changed;
};

WaitLock& Waits()
{
    // Never destroyed: a thread that outlives main (a worker that frees
    // itself) still signals its end through it while the statics go.
    static WaitLock* lock = new WaitLock;
    return *lock;
}

} // namespace

KernelStateChange::KernelStateChange() : Lock_(Waits().Mutex) {}

KernelStateChange::~KernelStateChange()
{
    Lock_.unlock();
    Waits().Changed.notify_all();
}

HANDLE InsertKernelObject(std::shared_ptr<KernelObject> object)
{
    HANDLE handle = Objects().Insert(std::move(object));
    if (!handle)
        SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    return handle;
}

std::shared_ptr<KernelObject> KernelObjectFromHandle(HANDLE handle)
{
    std::optional<std::shared_ptr<KernelObject>> object = Objects().Get(handle);
    return object ? *object : nullptr;
}

DWORD WaitForKernelObjects(const std::vector<std::shared_ptr<KernelObject>>& objects, bool waitAll,
                           DWORD milliseconds)
{
    if (objects.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::size_t satisfied = 0;
    const auto ready = [&] {
        for (std::size_t i = 0; i < objects.size(); ++i) {
            const bool signalled = objects[i]->IsSignalled();
            if (signalled && !waitAll) {
                satisfied = i;
                return true;
            }
            if (!signalled && waitAll)
                return false;
        }
        return waitAll;
    };

    WaitLock& waits = Waits();
    std::unique_lock lock(waits.Mutex);
    bool done;
    if (milliseconds == INFINITE) {
        waits.Changed.wait(lock, ready);
        done = true;
    } else {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        done = waits.Changed.wait_until(lock, deadline, ready);
    }
    if (!done)
        return WAIT_TIMEOUT;
    if (waitAll) {
        for (const auto& object : objects)
            object->TakeSignal();
        return WAIT_OBJECT_0;
    }
    objects[satisfied]->TakeSignal();
    return WAIT_OBJECT_0 + static_cast<DWORD>(satisfied);
}

} // namespace win32

BOOL CloseHandle(HANDLE handle)
{
    // The object goes when its last holder lets go, outside the table's lock.
    if (!win32::Objects().Take(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    std::shared_ptr<win32::KernelObject> object = win32::KernelObjectFromHandle(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return win32::WaitForKernelObjects({std::move(object)}, false, milliseconds);
}
