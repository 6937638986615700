#include "com/ClassRegistry.h"

#include "com/Initialization.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace {

class ClassTable {
public:
    bool Add(REFCLSID clsid, com::CreateInstanceFunction create)
    {
        if (!create)
            return false;
        std::lock_guard lock(Mutex_);
        return Classes_.try_emplace(clsid, std::move(create)).second;
    }
    bool Remove(REFCLSID clsid)
    {
        std::lock_guard lock(Mutex_);
        return Classes_.erase(clsid) != 0;
    }
    // A copy, so the class's code runs without the lock (it may register or
    // create other classes).
    std::optional<com::CreateInstanceFunction> Find(REFCLSID clsid)
    {
        std::lock_guard lock(Mutex_);
        auto it = Classes_.find(clsid);
        if (it == Classes_.end())
            return std::nullopt;
        return it->second;
    }

private:
    std::mutex Mutex_;
    std::unordered_map<CLSID, com::CreateInstanceFunction> Classes_;
};

// Made on first use, never destroyed: classes may be unregistered during
// static destruction.
ClassTable& Classes()
{
    static ClassTable* const table = new ClassTable;
    return *table;
}

// Runs a class's creation function and holds it to the rules: no exception
// crosses, no success without an object, no object with a failure.
HRESULT CallCreate(const com::CreateInstanceFunction& create, REFIID riid, void** ppv)
{
    const HRESULT hr = com::Guard([&] { return create(riid, ppv); });
    if (SUCCEEDED(hr) && !*ppv)
        return E_UNEXPECTED;
    if (FAILED(hr) && *ppv) {
        // The function broke the rule. Whether the pointer carries a reference
        // is unknown: dropping it risks a leak, releasing it a use after free.
        *ppv = nullptr;
    }
    return hr;
}

class RegisteredClassFactory : public com::InterlockedComObject<IClassFactory> {
protected:
    explicit RegisteredClassFactory(com::CreateInstanceFunction create) : Create_(std::move(create)) {}

public:
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return CallCreate(Create_, riid, ppvObject);
    }
    // Nothing is ever unloaded, so a lock only has to be balanced.
    HRESULT LockServer(BOOL lock) override
    {
        return com::Guard([&] {
            if (lock)
                Locks_.fetch_add(1, std::memory_order_relaxed);
            else
                Locks_.fetch_sub(1, std::memory_order_relaxed);
            return S_OK;
        });
    }

private:
    com::CreateInstanceFunction Create_;
    std::atomic<long> Locks_{0};
};

// The checks CoCreateInstance and CoGetClassObject share; on success the
// class's creation function.
HRESULT FindClass(REFCLSID clsid, DWORD clsctx, void** ppv,
                  std::optional<com::CreateInstanceFunction>& create)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!com::IsInitializedOnThisThread())
        return CO_E_NOTINITIALIZED;
    if (clsctx == 0)
        return E_INVALIDARG;
    if ((clsctx & CLSCTX_INPROC_SERVER) == 0)
        return REGDB_E_CLASSNOTREG;
    create = Classes().Find(clsid);
    return create ? S_OK : REGDB_E_CLASSNOTREG;
}

} // namespace

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD clsctx, REFIID riid, LPVOID* ppv)
{
    std::optional<com::CreateInstanceFunction> create;
    const HRESULT found = FindClass(clsid, clsctx, ppv, create);
    if (FAILED(found))
        return found;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return CallCreate(*create, riid, ppv);
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD clsctx, LPVOID serverInfo, REFIID riid, LPVOID* ppv)
{
    std::optional<com::CreateInstanceFunction> create;
    const HRESULT found = FindClass(clsid, clsctx, ppv, create);
    if (FAILED(found))
        return found;
    if (serverInfo)
        return E_INVALIDARG;
    return com::Guard([&] {
        return com::MakeComObject<RegisteredClassFactory>(std::move(*create)).QueryInterface(riid, ppv);
    });
}

namespace com {

bool RegisterClass(REFCLSID clsid, CreateInstanceFunction create)
{
    return Classes().Add(clsid, std::move(create));
}

bool UnregisterClass(REFCLSID clsid)
{
    return Classes().Remove(clsid);
}

bool IsClassRegistered(REFCLSID clsid)
{
    return Classes().Find(clsid).has_value();
}

} // namespace com
