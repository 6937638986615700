#include "win32/Events.h"

#include "win32/Errors.h"

#include <algorithm>

namespace win32 {

void EventObject::Set()
{
    KernelStateChange change;
    Signalled_ = true;
}

void EventObject::Reset()
{
    KernelStateChange change;
    Signalled_ = false;
}

} // namespace win32

namespace {

std::shared_ptr<win32::EventObject> EventFromHandle(HANDLE event)
{
    std::shared_ptr<win32::EventObject> object = win32::KernelObjectFromHandle<win32::EventObject>(event);
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

} // namespace

HANDLE CreateEventA(const void*, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    if (name) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    return win32::InsertKernelObject(
        std::make_shared<win32::EventObject>(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event)
{
    const std::shared_ptr<win32::EventObject> object = EventFromHandle(event);
    if (!object)
        return FALSE;
    object->Set();
    return TRUE;
}

BOOL ResetEvent(HANDLE event)
{
    const std::shared_ptr<win32::EventObject> object = EventFromHandle(event);
    if (!object)
        return FALSE;
    object->Reset();
    return TRUE;
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<win32::KernelObject>> objects;
    objects.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        std::shared_ptr<win32::KernelObject> object = win32::KernelObjectFromHandle(handles[i]);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    if (waitAll) {
        // Taking an auto-reset signal twice in one satisfied wait is meaningless.
        std::vector<win32::KernelObject*> seen;
        for (const auto& object : objects)
            seen.push_back(object.get());
        std::sort(seen.begin(), seen.end());
        if (std::adjacent_find(seen.begin(), seen.end()) != seen.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return WAIT_FAILED;
        }
    }
    return win32::WaitForKernelObjects(objects, waitAll != FALSE, milliseconds);
}
