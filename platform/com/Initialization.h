#pragma once
// COM's per-thread initialisation. Every thread that creates objects through
// CoCreateInstance initialises first; the calls nest and CoUninitialize
// balances each successful one.

#include "CorvanePlatformExport.h"
#include "win32/Errors.h"
#include "win32/WinTypes.h"

// The concurrency models of CoInitializeEx (the other flags are hints).
constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;
constexpr DWORD COINIT_SPEED_OVER_MEMORY = 0x8;

// The first successful call on a thread gives S_OK, each later one S_FALSE
// (and must be balanced too). Asking for the other concurrency model than the
// thread already has gives RPC_E_CHANGED_MODE and counts nothing; a non-null
// reserved pointer or unknown flags give E_INVALIDARG.
CORVANE_PLATFORM_EXPORT HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
// CoInitializeEx(reserved, COINIT_APARTMENTTHREADED).
CORVANE_PLATFORM_EXPORT HRESULT CoInitialize(LPVOID reserved);
// Undoes one successful CoInitialize(Ex); more calls than those are ignored.
CORVANE_PLATFORM_EXPORT void CoUninitialize();

// Initialises COM for the thread in the apartment model, and OLE with it (the
// clipboard and drag and drop). Nests as CoInitializeEx does: S_OK the first
// time, S_FALSE later; RPC_E_CHANGED_MODE when the thread chose the other
// model, counting nothing. A non-null allocator gives E_INVALIDARG: only the
// task allocator is used.
CORVANE_PLATFORM_EXPORT HRESULT OleInitialize(LPVOID allocator);
// Undoes one successful OleInitialize, its CoInitializeEx included; more
// calls than those are ignored and leave COM initialised otherwise alone.
CORVANE_PLATFORM_EXPORT void OleUninitialize();

namespace com {

// Whether this thread has initialised COM (and not yet uninitialised it).
CORVANE_PLATFORM_EXPORT bool IsInitializedOnThisThread();
// Whether this thread has initialised OLE (and not yet uninitialised it).
CORVANE_PLATFORM_EXPORT bool IsOleInitializedOnThisThread();

// Initialises COM for a scope; uninitialises only if the call succeeded.
class CORVANE_PLATFORM_EXPORT ScopedCoInitialize {
public:
    explicit ScopedCoInitialize(DWORD coInit = COINIT_APARTMENTTHREADED)
        : Result_(CoInitializeEx(nullptr, coInit))
    {
    }
    ~ScopedCoInitialize()
    {
        if (SUCCEEDED(Result_))
            CoUninitialize();
    }
    ScopedCoInitialize(const ScopedCoInitialize&) = delete;
    ScopedCoInitialize& operator=(const ScopedCoInitialize&) = delete;

    HRESULT Result() const { return Result_; }

private:
    HRESULT Result_;
};

} // namespace com
