#pragma once
// The root of the framework's class tree: class identity at run time.
//
// Every class of the tree declares itself with VCL_DECLARE_CLASS, which gives
// it a class record (its name and its parent's record). ClassName, InheritsFrom
// and the checked casts work on these records, not on C++ RTTI, so that the
// class registry, the form files and the RTTI tables can name classes.

#include <string>

namespace vcl {

struct TClassInfo;
using TClass = const TClassInfo*;

// The run-time record of one class. Further layers (RTTI, the class registry)
// hang their per-class tables here.
struct TClassInfo {
    const char* Name;
    TClass Parent; // null for TObject
};

bool ClassInheritsFrom(TClass cls, TClass ancestor);

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
    virtual ~TObject() = default;

    static TClass StaticClass();
    virtual TClass ClassType() const { return StaticClass(); }

    std::string ClassName() const { return ClassType()->Name; }
    bool InheritsFrom(TClass ancestor) const { return ClassInheritsFrom(ClassType(), ancestor); }
};

} // namespace vcl

// Declares a class's record; put it first in the class body.
#define VCL_DECLARE_CLASS(ClassName_, Parent_)                                                               \
public:                                                                                                      \
    static ::vcl::TClass StaticClass()                                                                       \
    {                                                                                                        \
        static const ::vcl::TClassInfo info{#ClassName_, Parent_::StaticClass()};                            \
        return &info;                                                                                        \
    }                                                                                                        \
    ::vcl::TClass ClassType() const override { return StaticClass(); }                                       \
                                                                                                             \
private:
