#pragma once
// The root of the framework's class tree: class identity at run time.
//
// Every class of the tree declares itself with VCL_DECLARE_CLASS, which gives
// it a class record (its name and its parent's record). ClassName, InheritsFrom
// and the checked casts work on these records, not on C++ RTTI, so that the
// class registry, the form files and the RTTI tables can name classes.

#include "vcl/CorvaneVclExport.h"
#include <string>
#include <type_traits>

namespace vcl {

struct TClassInfo;
using TClass = const TClassInfo*;
struct TClassRtti;

// The run-time record of one class. Further layers (RTTI, the class registry)
// hang their per-class tables here.
struct CORVANE_VCL_EXPORT TClassInfo {
    const char* Name;
    TClass Parent; // null for TObject
    // The class's own published table (vcl/core/TypInfo.h); null for a class
    // that publishes nothing beyond its parent.
    const TClassRtti& (*Published)() = nullptr;
};

CORVANE_VCL_EXPORT bool ClassInheritsFrom(TClass cls, TClass ancestor);

class CORVANE_VCL_EXPORT TObject {
public:
    TObject() = default;
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
    virtual ~TObject() = default;

    // The class's record, constant data: see VCL_DECLARE_CLASS.
    static constexpr TClassInfo ClassRecord_{"TObject", nullptr};
    static TClass StaticClass() { return &ClassRecord_; }
    virtual TClass ClassType() const { return StaticClass(); }

    std::string ClassName() const { return ClassType()->Name; }
    bool InheritsFrom(TClass ancestor) const { return ClassInheritsFrom(ClassType(), ancestor); }
};

// Raises EInvalidCast with the framework's message (defined with the
// exception family, which this header cannot see).
[[noreturn]] CORVANE_VCL_EXPORT void RaiseInvalidCast();

// The framework's checked casts: Is<T>(obj) is "obj is T", As<T>(obj) is
// "obj as T". Null is no T, but null cast as T stays null; a wrong class raises
// EInvalidCast. The test goes through the C++ object itself, so a class that
// forgot its VCL_DECLARE_CLASS can never be cast to a sibling by mistake.
template <class T, class U>
requires std::is_base_of_v<TObject, std::remove_cv_t<T>> && std::is_base_of_v<TObject, std::remove_cv_t<U>>
bool Is(U* obj)
{
    return obj && dynamic_cast<const volatile T*>(obj);
}

template <class T, class U>
requires std::is_base_of_v<TObject, std::remove_cv_t<T>> && std::is_base_of_v<TObject, std::remove_cv_t<U>>
auto As(U* obj) -> std::conditional_t<std::is_const_v<U>, const T*, T*>
{
    using Result = std::conditional_t<std::is_const_v<U>, const T*, T*>;
    if (!obj)
        return nullptr;
    if (Result cast = dynamic_cast<Result>(obj))
        return cast;
    RaiseInvalidCast();
}

} // namespace vcl

// Declares a class's record; put it first in the class body.
//
// The record is a constant static member, initialized at compile time: it
// needs no guard and no start-up code, so whichever binary's copy the dynamic
// linker binds (an application built with another compiler than the library,
// say), the record is whole, and an exported class has the one record all
// binaries share.
#define VCL_DECLARE_CLASS(ClassName_, Parent_)                                                               \
public:                                                                                                      \
    static constexpr ::vcl::TClassInfo ClassRecord_{#ClassName_, &Parent_::ClassRecord_};                    \
    static ::vcl::TClass StaticClass()                                                                       \
    {                                                                                                        \
        return &ClassRecord_;                                                                                \
    }                                                                                                        \
    ::vcl::TClass ClassType() const override                                                                 \
    {                                                                                                        \
        return StaticClass();                                                                                \
    }                                                                                                        \
                                                                                                             \
private:
