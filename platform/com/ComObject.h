#pragma once
// The base for COM objects of our own and the one way to make them.
//
//     class Folder : public com::ComObject<IShellFolder, IPersistFolder> {
//     protected:
//         explicit Folder(std::string path);   // or public: it cannot be used directly
//         ...
//     };
//     com::ComPtr<Folder> folder = com::MakeComObject<Folder>("/home");
//
// The reference count starts at 0; MakeComObject takes the creator's first
// reference through QueryInterface, and the last Release deletes the object.
// A class derived from ComObject stays abstract until MakeComObject completes
// it, so it cannot be made on the stack, by plain new, or as a member (and it
// cannot be marked final: MakeComObject's completing class is).
//
// Every method an object adds runs its body in com::Guard (com/Guard.h), so
// that no exception leaves it.
//
// com::ComObject counts with a plain integer (an object used from one thread);
// com::InterlockedComObject counts atomically (an object shared by threads).

#include "CorvanePlatformExport.h"
#include "com/Guard.h"
#include "com/Unknown.h"

#include <atomic>
#include <tuple>
#include <type_traits>
#include <utility>

namespace com {

// Counting policies.
class CORVANE_PLATFORM_EXPORT PlainReferenceCount {
public:
    ULONG Increment() noexcept { return ++Count_; }
    ULONG Decrement() noexcept { return --Count_; }

private:
    ULONG Count_ = 0;
};

class CORVANE_PLATFORM_EXPORT InterlockedReferenceCount {
public:
    ULONG Increment() noexcept { return Count_.fetch_add(1, std::memory_order_relaxed) + 1; }
    // acq_rel: the thread that deletes sees every write made before the
    // other threads' releases.
    ULONG Decrement() noexcept { return Count_.fetch_sub(1, std::memory_order_acq_rel) - 1; }

private:
    std::atomic<ULONG> Count_{0};
};

namespace detail {
template <typename T>
class MadeComObject;
}

template <typename ReferenceCount, typename... Interfaces>
class ComObjectBase : public Interfaces... {
    static_assert(sizeof...(Interfaces) > 0, "a COM object implements at least one interface");
    static_assert((std::is_base_of_v<IUnknown, Interfaces> && ...), "COM objects implement interfaces");

public:
    HRESULT QueryInterface(REFIID riid, void** ppvObject) final
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        void* found = nullptr;
        if (IsEqualIID(riid, IID_IUnknown))
            found = Identity();
        else
            ((found = FindInChain<Interfaces, Interfaces>(riid)) || ...);
        if (!found) {
            // A derived class's answer may do work of its own.
            if (const HRESULT hr = Guard([&] {
                    found = FindOtherInterface(riid);
                    return S_OK;
                });
                FAILED(hr))
                return hr;
        }
        if (!found)
            return E_NOINTERFACE;
        Count_.Increment();
        *ppvObject = found;
        return S_OK;
    }
    ULONG AddRef() final { return Count_.Increment(); }
    ULONG Release() final
    {
        const ULONG count = Count_.Decrement();
        if (count == 0)
            delete this;
        return count;
    }

    ComObjectBase(const ComObjectBase&) = delete;
    ComObjectBase& operator=(const ComObjectBase&) = delete;

protected:
    ComObjectBase() = default;
    virtual ~ComObjectBase() = default;

    // The one IUnknown pointer of this object (COM's identity rule).
    IUnknown* Identity() noexcept { return static_cast<IUnknown*>(static_cast<FirstInterface*>(this)); }

    // For interfaces of this same object that are not among Interfaces (or
    // answered only in some states). Returns the interface pointer without
    // AddRef, or null.
    virtual void* FindOtherInterface(REFIID) { return nullptr; }

private:
    template <typename T>
    friend class detail::MadeComObject;

    using FirstInterface = std::tuple_element_t<0, std::tuple<Interfaces...>>;

    // Only MakeComObject's final class overrides this, so a derived class
    // cannot be instantiated any other way.
    virtual void CompletedByMakeComObject() noexcept = 0;

    // Walks Interface, its base, ... up to IUnknown, casting through Leaf so
    // the pointer is the one of the right base subobject.
    template <typename Leaf, typename Interface>
    void* FindInChain(REFIID riid) noexcept
    {
        if (IsEqualIID(riid, IidOf<Interface>()))
            return static_cast<void*>(static_cast<Interface*>(static_cast<Leaf*>(this)));
        if constexpr (std::is_same_v<Interface, IUnknown>)
            return nullptr;
        else
            return FindInChain<Leaf, typename InterfaceTraits<Interface>::Base>(riid);
    }

    ReferenceCount Count_;
};

template <typename... Interfaces>
using ComObject = ComObjectBase<PlainReferenceCount, Interfaces...>;
template <typename... Interfaces>
using InterlockedComObject = ComObjectBase<InterlockedReferenceCount, Interfaces...>;

namespace detail {

template <typename T>
class MadeComObject final : public T {
public:
    template <typename... Args>
    explicit MadeComObject(Args&&... args) : T(std::forward<Args>(args)...)
    {
    }

private:
    void CompletedByMakeComObject() noexcept override {}
};

} // namespace detail

// Makes a T and returns it holding the creator's first reference (count 1).
template <typename T, typename... Args>
ComPtr<T> MakeComObject(Args&&... args)
{
    static_assert(!std::is_final_v<T>, "MakeComObject completes the class: do not mark it final");
    auto* made = new detail::MadeComObject<T>(std::forward<Args>(args)...);
    void* unknown = nullptr;
    // Cannot fail: every object answers IUnknown.
    made->QueryInterface(IID_IUnknown, &unknown);
    return ComPtr<T>::Adopt(made);
}

} // namespace com
