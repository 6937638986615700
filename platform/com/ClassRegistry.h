#pragma once
// The classes CoCreateInstance can make: all of them our own, in-process
// servers, registered by the code that implements them at its start-up (the
// shell's classes by shell32::RegisterShellClasses). The registry knows no
// layer above it: a class nobody registered is not there.
//
//     com::RegisterComObjectClass<ShellLink>(CLSID_ShellLink);
//     com::RegisterClass(CLSID_Other, [](REFIID riid, void** ppv) { ... });

#include "CorvanePlatformExport.h"
#include "com/ClassFactory.h"
#include "com/ComObject.h"

#include <functional>
#include <new>

// Makes an instance of a registered class and returns the interface riid of
// it in *ppv. *ppv is null on every failure:
//   E_POINTER             ppv is null
//   CO_E_NOTINITIALIZED   this thread has not called CoInitialize(Ex)
//   E_INVALIDARG          clsctx is 0
//   REGDB_E_CLASSNOTREG   no such class, or clsctx has no in-process server
//   CLASS_E_NOAGGREGATION outer is not null (no class of ours aggregates)
//   E_NOINTERFACE         the object has no interface riid
//   E_OUTOFMEMORY, E_UNEXPECTED (the class's code threw)
CORVANE_PLATFORM_EXPORT HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD clsctx, REFIID riid,
                                                 LPVOID* ppv);
// The class factory of a registered class (IClassFactory or IUnknown), with
// the same errors as CoCreateInstance. serverInfo must be null.
CORVANE_PLATFORM_EXPORT HRESULT CoGetClassObject(REFCLSID clsid, DWORD clsctx, LPVOID serverInfo, REFIID riid,
                                                 LPVOID* ppv);

namespace com {

// Makes an object and returns its interface riid in *ppv (null on failure).
using CreateInstanceFunction = std::function<HRESULT(REFIID riid, void** ppv)>;

// False (and nothing changes) if clsid is registered already or create is empty.
CORVANE_PLATFORM_EXPORT bool RegisterClass(REFCLSID clsid, CreateInstanceFunction create);
// False if clsid was not registered.
CORVANE_PLATFORM_EXPORT bool UnregisterClass(REFCLSID clsid);
CORVANE_PLATFORM_EXPORT bool IsClassRegistered(REFCLSID clsid);

// The creation function for a class of our own made with no arguments.
template <typename T>
HRESULT CreateComObjectAs(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    return MakeComObject<T>().QueryInterface(riid, ppv);
}

template <typename T>
bool RegisterComObjectClass(REFCLSID clsid)
{
    return RegisterClass(clsid, &CreateComObjectAs<T>);
}

// Registers a class for a scope (tests, plug-ins that come and go).
class CORVANE_PLATFORM_EXPORT ScopedClassRegistration {
public:
    ScopedClassRegistration(REFCLSID clsid, CreateInstanceFunction create)
        : Clsid_(clsid), Registered_(RegisterClass(clsid, std::move(create)))
    {
    }
    ~ScopedClassRegistration()
    {
        if (Registered_)
            UnregisterClass(Clsid_);
    }
    ScopedClassRegistration(const ScopedClassRegistration&) = delete;
    ScopedClassRegistration& operator=(const ScopedClassRegistration&) = delete;

    bool Registered() const { return Registered_; }

private:
    CLSID Clsid_;
    bool Registered_;
};

} // namespace com
