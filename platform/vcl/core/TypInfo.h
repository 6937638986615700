#pragma once
// Run-time type information of our own: what a class publishes (properties,
// fields, methods) and the types of its properties, so that form files, the
// object inspector and generic code can get and set properties by name.
//
// A class publishes through a table hung on its class record (see
// vcl/core/Publish.h for how a class declares one). Property types are
// described by TTypeInfo records:
//
//   tkInteger, tkInt64  a range, and optionally identifiers written in place
//                       of numbers (colours such as clBtnFace, cursors)
//   tkChar              one byte
//   tkEnumeration       member names (Boolean is False, True)
//   tkSet               a set of one enumeration's members
//   tkFloat             a double
//   tkString            text (UTF-8)
//   tkClass             an object: a component reference, or a sub-object
//                       (a font, a string list, a collection) read in place
//   tkMethod            an event (closure) of one signature

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Events.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Object.h"
#include "vcl/core/Sets.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

namespace vcl {

VCL_DECLARE_EXCEPTION(EPropertyError, Exception);

enum class TTypeKind {
    tkInteger,
    tkInt64,
    tkChar,
    tkEnumeration,
    tkSet,
    tkFloat,
    tkString,
    tkClass,
    tkMethod
};
inline constexpr TTypeKind tkInteger = TTypeKind::tkInteger;
inline constexpr TTypeKind tkInt64 = TTypeKind::tkInt64;
inline constexpr TTypeKind tkChar = TTypeKind::tkChar;
inline constexpr TTypeKind tkEnumeration = TTypeKind::tkEnumeration;
inline constexpr TTypeKind tkSet = TTypeKind::tkSet;
inline constexpr TTypeKind tkFloat = TTypeKind::tkFloat;
inline constexpr TTypeKind tkString = TTypeKind::tkString;
inline constexpr TTypeKind tkClass = TTypeKind::tkClass;
inline constexpr TTypeKind tkMethod = TTypeKind::tkMethod;

// True for the kinds whose values are held as integers.
CORVANE_VCL_EXPORT bool IsOrdinalKind(TTypeKind kind);

// A value and its name: an enumeration member, or an integer identifier.
struct CORVANE_VCL_EXPORT TIdentMapEntry {
    std::int64_t Value;
    std::string Name;
};

struct CORVANE_VCL_EXPORT TTypeInfo {
    TTypeKind Kind = tkInteger;
    std::string Name;
    // Ordinal kinds: the values a property of this type may take.
    std::int64_t MinValue = 0;
    std::int64_t MaxValue = 0;
    // tkEnumeration: the members in declared order. tkInteger: identifiers
    // that stand for values (the first name of a value is the one written).
    std::vector<TIdentMapEntry> Idents;
    // tkSet: the enumeration of its members.
    const TTypeInfo* ElementType = nullptr;
    // tkClass: the class an object of this type must inherit from.
    TClass ClassType = nullptr;
    // tkMethod: the event signature, as TMethod::Signature records it.
    const std::type_info* Signature = nullptr;
};

// ---- identifiers, enumerations, sets ----

// The name of value: an enumeration member or an integer identifier; empty
// when it has none.
CORVANE_VCL_EXPORT std::string GetEnumName(const TTypeInfo* type, std::int64_t value);
// The value named (compared without regard to ASCII case); false when none.
CORVANE_VCL_EXPORT bool GetEnumValue(const TTypeInfo* type, std::string_view name, std::int64_t& value);
CORVANE_VCL_EXPORT bool IdentToInt(const TTypeInfo* type, std::string_view ident, std::int64_t& value);
CORVANE_VCL_EXPORT bool IntToIdent(const TTypeInfo* type, std::int64_t value, std::string& ident);
// "[a,b]"-style text of a set's bits (members in ordinal order).
CORVANE_VCL_EXPORT std::string SetToString(const TTypeInfo* setType, std::uint64_t bits,
                                           bool brackets = false);
// Bits of "[a, b]" or "a,b"; raises EPropertyError for an unknown member.
CORVANE_VCL_EXPORT std::uint64_t StringToSet(const TTypeInfo* setType, std::string_view text);

// Builds an enumeration's record from its members' source text, "a, b, c" or
// "a = 1, b = 5" (as VCL_ENUM_TYPE stringizes them).
CORVANE_VCL_EXPORT TTypeInfo MakeEnumTypeInfo(const char* name, const char* members);
// An integer type whose values may be written as identifiers.
CORVANE_VCL_EXPORT TTypeInfo MakeIdentTypeInfo(const char* name, std::int64_t minValue, std::int64_t maxValue,
                                               std::vector<TIdentMapEntry> idents);

// ---- the type of a C++ type ----

template <class T>
struct TTypeTag {
};

CORVANE_VCL_EXPORT const TTypeInfo* TypeInfoOf(TTypeTag<bool>);
CORVANE_VCL_EXPORT const TTypeInfo* TypeInfoOf(TTypeTag<char>);
CORVANE_VCL_EXPORT const TTypeInfo* TypeInfoOf(TTypeTag<double>);
CORVANE_VCL_EXPORT const TTypeInfo* TypeInfoOf(TTypeTag<std::string>);
CORVANE_VCL_EXPORT const TTypeInfo* IntegerTypeInfo(const char* name, std::int64_t minValue,
                                                    std::int64_t maxValue, bool int64);

template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool> &&
         !std::is_same_v<T, char>) const TTypeInfo* TypeInfoOf(TTypeTag<T>)
{
    static_assert(sizeof(T) <= 8);
    constexpr bool wide = sizeof(T) == 8;
    constexpr std::int64_t lo = static_cast<std::int64_t>(std::numeric_limits<T>::min());
    // An unsigned 64-bit type is published with the signed range.
    constexpr std::int64_t hi = std::is_unsigned_v<T> && wide
                                    ? std::numeric_limits<std::int64_t>::max()
                                    : static_cast<std::int64_t>(std::numeric_limits<T>::max());
    return IntegerTypeInfo(wide ? "Int64" : "Integer", lo, hi, wide);
}

template <class T>
requires std::is_same_v<T, float>
const TTypeInfo* TypeInfoOf(TTypeTag<T>)
{
    return TypeInfoOf(TTypeTag<double>{});
}

template <class E>
const TTypeInfo* TypeInfoOf(TTypeTag<TSet<E>>)
{
    static const TTypeInfo info = [] {
        TTypeInfo set;
        set.Kind = tkSet;
        set.ElementType = TypeInfoOf(TTypeTag<E>{});
        set.Name = "set of " + set.ElementType->Name;
        return set;
    }();
    return &info;
}

template <class T>
requires std::is_base_of_v<TObject, T>
const TTypeInfo* TypeInfoOf(TTypeTag<T*>)
{
    static const TTypeInfo info = [] {
        TTypeInfo cls;
        cls.Kind = tkClass;
        cls.ClassType = T::StaticClass();
        cls.Name = cls.ClassType->Name;
        return cls;
    }();
    return &info;
}

template <class Sig>
const TTypeInfo* TypeInfoOf(TTypeTag<TEvent<Sig>>)
{
    static const TTypeInfo info = [] {
        TTypeInfo method;
        method.Kind = tkMethod;
        method.Signature = &typeid(Sig);
        method.Name = "TMethod";
        return method;
    }();
    return &info;
}

// The record of T, found by argument-dependent lookup (an enumeration's
// record is declared beside it with VCL_ENUM_TYPE).
template <class T>
const TTypeInfo* TypeInfo()
{
    return TypeInfoOf(TTypeTag<T>{});
}

// ---- published members ----

struct CORVANE_VCL_EXPORT TPropInfo {
    std::string Name;
    const TTypeInfo* PropType = nullptr;
    TClass Declarer = nullptr;

    // Accessors; the object is an instance of Declarer. Which pair is set
    // follows the kind; a null setter makes the property read-only.
    std::int64_t (*GetOrd)(const TObject*) = nullptr;
    void (*SetOrd)(TObject*, std::int64_t) = nullptr;
    double (*GetFloat)(const TObject*) = nullptr;
    void (*SetFloat)(TObject*, double) = nullptr;
    std::string (*GetStr)(const TObject*) = nullptr;
    void (*SetStr)(TObject*, const std::string&) = nullptr;
    TObject* (*GetObject)(const TObject*) = nullptr;
    void (*SetObject)(TObject*, TObject*) = nullptr;
    TMethod (*GetMethod)(const TObject*) = nullptr;
    void (*SetMethod)(TObject*, const TMethod&) = nullptr;

    // The declared default of an ordinal property; without one (nodefault)
    // the property is always stored.
    bool HasDefault = false;
    std::int64_t Default = 0;
    // The stored condition: a constant, or a predicate of the instance.
    bool StoredConstant = true;
    bool (*StoredFunc)(const TObject*) = nullptr;

    bool Writable() const { return SetOrd || SetFloat || SetStr || SetObject || SetMethod; }
};

// A published field: a form's control, set by name as the form loads.
struct CORVANE_VCL_EXPORT TFieldInfo {
    std::string Name;
    TClass FieldClass = nullptr;
    TObject* (*Get)(const TObject*) = nullptr;
    void (*Set)(TObject*, TObject*) = nullptr; // the object is of FieldClass or null
};

// A published method: an event handler bound by name.
struct CORVANE_VCL_EXPORT TMethodInfo {
    std::string Name;
    const std::type_info* Signature = nullptr;
    TMethod (*Bind)(TObject* instance) = nullptr;
};

class TComponent;

// What one class publishes beyond its parent.
struct CORVANE_VCL_EXPORT TClassRtti {
    std::vector<TPropInfo> Properties;
    std::vector<TFieldInfo> Fields;
    std::vector<TMethodInfo> Methods;
    // Makes an instance (created and AfterConstruction run) for the form
    // reader and the class registry; null for a class that cannot be made so.
    TComponent* (*Create)(TComponent* owner) = nullptr;
};

// The class's own table, or null.
CORVANE_VCL_EXPORT const TClassRtti* OwnRtti(TClass cls);
// How to make an instance of exactly this class, or null.
CORVANE_VCL_EXPORT TComponent* (*ClassFactory(TClass cls))(TComponent*);

// Properties of cls, inherited first; a property redeclared by a descendant
// keeps its place and takes the descendant's record.
CORVANE_VCL_EXPORT std::vector<const TPropInfo*> GetPropList(TClass cls);
// The property named (ASCII case ignored), or null.
CORVANE_VCL_EXPORT const TPropInfo* GetPropInfo(TClass cls, std::string_view name);
CORVANE_VCL_EXPORT const TPropInfo* GetPropInfo(const TObject* instance, std::string_view name);
CORVANE_VCL_EXPORT const TFieldInfo* GetFieldInfo(TClass cls, std::string_view name);
CORVANE_VCL_EXPORT const TMethodInfo* GetMethodInfo(TClass cls, std::string_view name);
// The name of instance's published method that method is bound to; empty
// when it is nil or no published method of instance.
CORVANE_VCL_EXPORT std::string GetMethodName(TObject* instance, const TMethod& method);

CORVANE_VCL_EXPORT bool IsStoredProp(const TObject* instance, const TPropInfo* prop);
// True when the value equals what a writer may leave out: the declared
// default of an ordinal, "" for text, 0 for a float, nil for a reference or
// an event. Sub-objects are never default here.
CORVANE_VCL_EXPORT bool IsDefaultPropValue(const TObject* instance, const TPropInfo* prop);

// ---- get and set by name ----
//
// Each raises EPropertyError for an unknown property, a property of another
// kind, a read-only property, or (setters) a value outside the type.

CORVANE_VCL_EXPORT std::int64_t GetOrdProp(const TObject* instance, const TPropInfo* prop);
CORVANE_VCL_EXPORT std::int64_t GetOrdProp(const TObject* instance, std::string_view name);
CORVANE_VCL_EXPORT void SetOrdProp(TObject* instance, const TPropInfo* prop, std::int64_t value);
CORVANE_VCL_EXPORT void SetOrdProp(TObject* instance, std::string_view name, std::int64_t value);
CORVANE_VCL_EXPORT std::string GetEnumProp(const TObject* instance, std::string_view name);
CORVANE_VCL_EXPORT void SetEnumProp(TObject* instance, std::string_view name, std::string_view value);
CORVANE_VCL_EXPORT std::string GetSetProp(const TObject* instance, std::string_view name,
                                          bool brackets = false);
CORVANE_VCL_EXPORT void SetSetProp(TObject* instance, std::string_view name, std::string_view value);
CORVANE_VCL_EXPORT std::string GetStrProp(const TObject* instance, const TPropInfo* prop);
CORVANE_VCL_EXPORT std::string GetStrProp(const TObject* instance, std::string_view name);
CORVANE_VCL_EXPORT void SetStrProp(TObject* instance, const TPropInfo* prop, const std::string& value);
CORVANE_VCL_EXPORT void SetStrProp(TObject* instance, std::string_view name, const std::string& value);
CORVANE_VCL_EXPORT double GetFloatProp(const TObject* instance, const TPropInfo* prop);
CORVANE_VCL_EXPORT double GetFloatProp(const TObject* instance, std::string_view name);
CORVANE_VCL_EXPORT void SetFloatProp(TObject* instance, const TPropInfo* prop, double value);
CORVANE_VCL_EXPORT void SetFloatProp(TObject* instance, std::string_view name, double value);
CORVANE_VCL_EXPORT TObject* GetObjectProp(const TObject* instance, const TPropInfo* prop);
CORVANE_VCL_EXPORT TObject* GetObjectProp(const TObject* instance, std::string_view name);
CORVANE_VCL_EXPORT void SetObjectProp(TObject* instance, const TPropInfo* prop, TObject* value);
CORVANE_VCL_EXPORT void SetObjectProp(TObject* instance, std::string_view name, TObject* value);
CORVANE_VCL_EXPORT TMethod GetMethodProp(const TObject* instance, const TPropInfo* prop);
CORVANE_VCL_EXPORT TMethod GetMethodProp(const TObject* instance, std::string_view name);
// Raises EPropertyError for a method made for another event type.
CORVANE_VCL_EXPORT void SetMethodProp(TObject* instance, const TPropInfo* prop, const TMethod& value);
CORVANE_VCL_EXPORT void SetMethodProp(TObject* instance, std::string_view name, const TMethod& value);

// ASCII case-insensitive equality, as the framework compares identifiers.
CORVANE_VCL_EXPORT bool SameIdent(std::string_view a, std::string_view b);
// A letter or '_' followed by letters, digits and '_'.
CORVANE_VCL_EXPORT bool IsValidIdent(std::string_view ident);

} // namespace vcl

// Declares the type record of an enumeration already declared, with its
// members in order: VCL_ENUM_TYPE(TAlign, alNone, alTop, alBottom). Put it in
// the enumeration's namespace. Members may carry values (csidlDrives = 17).
// The record is one per process, whichever library declares the enumeration.
#define VCL_ENUM_TYPE(Type_, ...)                                                                            \
    CORVANE_VCL_EXPORT inline const ::vcl::TTypeInfo* TypeInfoOf(::vcl::TTypeTag<Type_>)                     \
    {                                                                                                        \
        static const ::vcl::TTypeInfo info = ::vcl::MakeEnumTypeInfo(#Type_, #__VA_ARGS__);                  \
        return &info;                                                                                        \
    }

// Declares an enumeration and its type record together.
#define VCL_ENUM(Type_, ...)                                                                                 \
    enum Type_ { __VA_ARGS__ };                                                                              \
    VCL_ENUM_TYPE(Type_, __VA_ARGS__)
