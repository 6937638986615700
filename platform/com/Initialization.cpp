#include "com/Initialization.h"

namespace {

struct ThreadState {
    unsigned long count = 0;
    // Successful OleInitialize calls not yet undone; each holds one of count.
    unsigned long oleCount = 0;
    DWORD model = COINIT_APARTMENTTHREADED;
};

ThreadState& ThisThread()
{
    thread_local ThreadState state;
    return state;
}

constexpr DWORD KnownFlags = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;

} // namespace

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit)
{
    if (reserved || (coInit & ~KnownFlags) != 0)
        return E_INVALIDARG;
    const DWORD model = coInit & COINIT_APARTMENTTHREADED;
    ThreadState& state = ThisThread();
    if (state.count > 0) {
        if (state.model != model)
            return RPC_E_CHANGED_MODE;
        ++state.count;
        return S_FALSE;
    }
    state.model = model;
    state.count = 1;
    return S_OK;
}

HRESULT CoInitialize(LPVOID reserved)
{
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

void CoUninitialize()
{
    ThreadState& state = ThisThread();
    if (state.count > 0)
        --state.count;
}

HRESULT OleInitialize(LPVOID allocator)
{
    if (allocator)
        return E_INVALIDARG;
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(result))
        ++ThisThread().oleCount;
    return result;
}

void OleUninitialize()
{
    ThreadState& state = ThisThread();
    if (state.oleCount == 0)
        return;
    --state.oleCount;
    CoUninitialize();
}

namespace com {

bool IsInitializedOnThisThread()
{
    return ThisThread().count > 0;
}

bool IsOleInitializedOnThisThread()
{
    return ThisThread().oleCount > 0;
}

} // namespace com
