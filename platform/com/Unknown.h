#pragma once
// IUnknown, the interface every COM interface starts with, and com::ComPtr,
// the smart pointer that holds one counted reference.
//
// Every interface names its IID and its base interface once, after its
// declaration, so that QueryInterface helpers and com::ComObject can find it:
//
//     inline constexpr IID IID_IFoo = com::MakeGuid("{...}");
//     class IFoo : public IUnknown { public: virtual HRESULT Bar() = 0; ... };
//     KW_DECLARE_INTERFACE(IFoo, IUnknown)
//
// Objects of our own derive from com::ComObject (com/ComObject.h).

#include "CorvanePlatformExport.h"
#include "com/Guid.h"
#include "win32/Errors.h"

#include <cstddef>
#include <type_traits>
#include <utility>

inline constexpr IID IID_IUnknown = com::MakeGuid("{00000000-0000-0000-C000-000000000046}");

// The slots are QueryInterface, AddRef, Release in this order. No virtual
// destructor: an interface pointer is never deleted, only released.
class CORVANE_PLATFORM_EXPORT IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    IUnknown() = default;
    IUnknown(const IUnknown&) = default;
    IUnknown& operator=(const IUnknown&) = default;
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

namespace com {

// What the helpers know of an interface: its IID and the interface it
// derives from (void for IUnknown). Declared with KW_DECLARE_INTERFACE.
template <typename Interface>
struct InterfaceTraits;

template <>
struct InterfaceTraits<IUnknown> {
    static constexpr IID Iid = IID_IUnknown;
    using Base = void;
};

template <typename Interface>
constexpr REFIID IidOf()
{
    return InterfaceTraits<std::remove_cv_t<Interface>>::Iid;
}

} // namespace com

// Declares the IID (IID_<Interface>, which must exist) and base of an
// interface. Use at global scope after the interface's declaration.
#define KW_DECLARE_INTERFACE(Interface, BaseInterface)                                                       \
    KW_DECLARE_INTERFACE_IID(Interface, IID_##Interface, BaseInterface)

// The same with the IID named, for an interface declared in a namespace:
//     KW_DECLARE_INTERFACE_IID(kw::IFoo, kw::IID_IFoo, IUnknown)
#define KW_DECLARE_INTERFACE_IID(Interface, InterfaceIid, BaseInterface)                                     \
    template <>                                                                                              \
    struct com::InterfaceTraits<Interface> {                                                                 \
        static_assert(std::is_base_of_v<BaseInterface, Interface>);                                          \
        static constexpr IID Iid = InterfaceIid;                                                             \
        using Base = BaseInterface;                                                                          \
    };

// The IID and out-parameter of a typed interface pointer (the argument is
// evaluated once):
//     folder->QueryInterface(IID_PPV_ARGS(&persist));
#define IID_PPV_ARGS(ppType)                                                                                 \
    ::com::IidOf<std::remove_pointer_t<std::remove_reference_t<decltype(*(ppType))>>>(),                     \
        ::com::detail::AsVoidOut(ppType)

namespace com {

namespace detail {

template <typename Interface>
void** AsVoidOut(Interface** pp)
{
    static_assert(std::is_base_of_v<IUnknown, Interface>, "an interface pointer is expected");
    return reinterpret_cast<void**>(pp);
}

} // namespace detail

// Holds exactly one counted reference to an interface, or nothing.
// Copies AddRef, moves steal, destruction releases.
template <typename T>
class ComPtr {
public:
    using InterfaceType = T;

    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference (AddRef); see Adopt for one the caller owns.
    explicit ComPtr(T* p) noexcept : Ptr_(p) { AddRefHeld(); }
    ComPtr(const ComPtr& other) noexcept : Ptr_(other.Ptr_) { AddRefHeld(); }
    ComPtr(ComPtr&& other) noexcept : Ptr_(std::exchange(other.Ptr_, nullptr)) {}
    template <typename U>
    requires std::is_convertible_v<U*, T*> ComPtr(const ComPtr<U>& other)
    noexcept : Ptr_(other.Get()) { AddRefHeld(); }
    template <typename U>
    requires std::is_convertible_v<U*, T*> ComPtr(ComPtr<U>&& other)
    noexcept : Ptr_(other.Detach()) {}
    ~ComPtr() { ReleaseHeld(); }

    ComPtr& operator=(const ComPtr& other) noexcept
    {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    template <typename U>
    requires std::is_convertible_v<U*, T*> ComPtr& operator=(const ComPtr<U>& other) noexcept
    {
        ComPtr(other).Swap(*this);
        return *this;
    }
    template <typename U>
    requires std::is_convertible_v<U*, T*> ComPtr& operator=(ComPtr<U>&& other) noexcept
    {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) noexcept
    {
        Reset();
        return *this;
    }

    // A ComPtr taking over a reference the caller already owns (no AddRef).
    [[nodiscard]] static ComPtr Adopt(T* p) noexcept
    {
        ComPtr result;
        result.Ptr_ = p;
        return result;
    }

    T* Get() const noexcept { return Ptr_; }
    T* operator->() const noexcept { return Ptr_; }
    T& operator*() const noexcept { return *Ptr_; }
    explicit operator bool() const noexcept { return Ptr_ != nullptr; }

    // Releases what is held and holds p with a new reference (AddRef).
    void Reset(T* p = nullptr) noexcept { ComPtr(p).Swap(*this); }
    // Releases what is held and takes over the caller's reference to p.
    void Attach(T* p) noexcept { ComPtr::Adopt(p).Swap(*this); }
    // Gives the reference to the caller, who must release it.
    [[nodiscard]] T* Detach() noexcept { return std::exchange(Ptr_, nullptr); }

    // For out-parameters: releases what is held and returns the slot.
    T** ReleaseAndGetAddressOf() noexcept
    {
        ReleaseHeld();
        return &Ptr_;
    }
    void** ReleaseAndGetVoidAddress() noexcept { return reinterpret_cast<void**>(ReleaseAndGetAddressOf()); }
    // The slot itself, for a callee that only reads it.
    T* const* GetAddressOf() const noexcept { return &Ptr_; }

    // Hands out a new reference (AddRef) through an out-parameter.
    HRESULT CopyTo(T** out) const noexcept
    {
        if (!out)
            return E_POINTER;
        *out = Ptr_;
        if (Ptr_)
            Ptr_->AddRef();
        return S_OK;
    }

    // QueryInterface into another ComPtr (which may be this one); on failure
    // it holds nothing.
    template <typename U>
    HRESULT As(ComPtr<U>* out) const noexcept
    {
        if (!out)
            return E_POINTER;
        void* raw = nullptr;
        const HRESULT hr = Ptr_ ? Ptr_->QueryInterface(IidOf<U>(), &raw) : E_POINTER;
        *out = ComPtr<U>::Adopt(SUCCEEDED(hr) ? static_cast<U*>(raw) : nullptr);
        return hr;
    }
    // QueryInterface, null on failure.
    template <typename U>
    ComPtr<U> As() const noexcept
    {
        ComPtr<U> result;
        As(&result);
        return result;
    }
    // QueryInterface by IID into a raw out-parameter (null on failure).
    HRESULT QueryInterface(REFIID riid, void** out) const noexcept
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!Ptr_)
            return E_POINTER;
        const HRESULT hr = Ptr_->QueryInterface(riid, out);
        if (FAILED(hr))
            *out = nullptr;
        return hr;
    }

    void Swap(ComPtr& other) noexcept { std::swap(Ptr_, other.Ptr_); }
    friend void swap(ComPtr& a, ComPtr& b) noexcept { a.Swap(b); }

    template <typename U>
    bool operator==(const ComPtr<U>& other) const noexcept
    {
        return Ptr_ == other.Get();
    }
    bool operator==(std::nullptr_t) const noexcept { return Ptr_ == nullptr; }
    bool operator==(const T* p) const noexcept { return Ptr_ == p; }

private:
    void AddRefHeld() const noexcept
    {
        if (Ptr_)
            Ptr_->AddRef();
    }
    void ReleaseHeld() noexcept
    {
        // Clear first: Release may run code that looks at this pointer again.
        if (T* p = std::exchange(Ptr_, nullptr))
            p->Release();
    }

    T* Ptr_ = nullptr;
};

} // namespace com
