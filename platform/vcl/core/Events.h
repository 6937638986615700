#pragma once
// Events: closures of an object and one of its member functions, the
// framework's "procedure of object".
//
//     class TKwFoo : public vcl::TObject {
//     public:
//         vcl::TNotifyEvent OnChange;
//         vcl::TEvent<void(vcl::TObject* aSender, bool& aAllow)> OnChanging;
//     };
//     foo.OnChange = {this, &TMyForm::FooChange};
//     if (foo.OnChange)
//         foo.OnChange(&foo);
//     bool allow = true;
//     if (foo.OnChanging)
//         foo.OnChanging(&foo, allow);   // the handler may set allow
//
// Two events are equal when they name the same object and the same member
// function, and every nil event equals every other; so a handler can be
// recognised and unhooked. The member-function pointer itself is kept (not a
// code address made from it), which is what makes virtual members and
// classes with several bases work; the object pointer is kept as the class
// the member function belongs to sees it. Calling a nil event raises
// Exception instead of crashing.

#include "vcl/CorvaneVclExport.h"
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace vcl {

class TObject;

[[noreturn]] CORVANE_VCL_EXPORT void RaiseNilEvent();
[[noreturn]] CORVANE_VCL_EXPORT void RaiseEventTypeMismatch();

// The untyped form of an event, as the run-time type information reads and
// writes it for any event property.
struct CORVANE_VCL_EXPORT TMethod {
    // Big enough for a pointer to any member function of any class.
    static constexpr std::size_t kCodeSize = 2 * sizeof(void*);

    void* Data = nullptr;                      // the object, as the method's class sees it
    unsigned char Code[kCodeSize] = {};        // the member-function pointer's own bytes
    void (*Invoke)() = nullptr;                // the typed caller; null for nil
    const std::type_info* Signature = nullptr; // the event type it was made for

    bool IsNil() const { return Invoke == nullptr; }

    friend bool operator==(const TMethod& a, const TMethod& b)
    {
        if (a.IsNil() || b.IsNil())
            return a.IsNil() == b.IsNil();
        return a.Data == b.Data && std::memcmp(a.Code, b.Code, kCodeSize) == 0;
    }
};

template <class Signature>
class TEvent;

template <class R, class... Args>
class TEvent<R(Args...)> {
public:
    using Signature = R(Args...);

    TEvent() = default;
    TEvent(std::nullptr_t) {}

    // The closure of object and method; nil when either is null. object may
    // be of any class that converts to the method's class.
    template <class Obj, class M, class C>
    requires std::is_member_function_pointer_v<M C::*> && std::is_convertible_v<Obj*, C*> &&
        std::is_invocable_r_v<R, M C::*, C*, Args...>
        TEvent(Obj* object, M C::*method)
    {
        using Pointer = M C::*;
        static_assert(sizeof(Pointer) <= TMethod::kCodeSize, "member-function pointer too large");
        if (!object || !method)
            return;
        C* self = object; // the adjustment for the method's class
        Method_.Data = static_cast<void*>(self);
        std::memcpy(Method_.Code, &method, sizeof(Pointer));
        Method_.Invoke = reinterpret_cast<void (*)()>(&Call<C, Pointer>);
        Method_.Signature = &typeid(Signature);
    }

    // The event an untyped method stands for; raises EInvalidCast when it was
    // made for another event type.
    static TEvent FromMethod(const TMethod& method)
    {
        TEvent event;
        if (method.IsNil())
            return event;
        if (!method.Signature || *method.Signature != typeid(Signature))
            RaiseEventTypeMismatch();
        event.Method_ = method;
        return event;
    }
    const TMethod& Method() const { return Method_; }

    explicit operator bool() const { return !Method_.IsNil(); }

    R operator()(Args... args) const
    {
        if (Method_.IsNil())
            RaiseNilEvent();
        // Method_ is passed by reference, and the caller reads what it needs
        // before the handler runs: a handler may reassign or destroy this event.
        const auto call = reinterpret_cast<R (*)(const TMethod&, Args...)>(Method_.Invoke);
        return call(Method_, std::forward<Args>(args)...);
    }

    friend bool operator==(const TEvent& a, const TEvent& b) { return a.Method_ == b.Method_; }
    friend bool operator==(const TEvent& a, std::nullptr_t) { return a.Method_.IsNil(); }

private:
    template <class C, class Pointer>
    static R Call(const TMethod& method, Args... args)
    {
        Pointer pointer;
        std::memcpy(&pointer, method.Code, sizeof(Pointer));
        C* self = static_cast<C*>(method.Data);
        if constexpr (std::is_void_v<R>)
            (self->*pointer)(std::forward<Args>(args)...);
        else
            return (self->*pointer)(std::forward<Args>(args)...);
    }

    TMethod Method_;
};

// The framework's Assigned for events.
template <class Signature>
bool Assigned(const TEvent<Signature>& event)
{
    return static_cast<bool>(event);
}

using TNotifyEvent = TEvent<void(TObject* aSender)>;

} // namespace vcl
