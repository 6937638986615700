#pragma once
// How a class declares what it publishes: its published table, built from
// member pointers with vcl::Publish<Class>(). See VCL_DECLARE_PUBLISHED_CLASS
// (vcl/core/Classes.h) for where the table hangs.
//
//     static const vcl::TClassRtti table = vcl::Publish<TKwFoo>()
//         .Property<&TKwFoo::Align, &TKwFoo::SetAlign>("Align").Default(alNone)
//         .Property<&TKwFoo::Caption, &TKwFoo::SetCaption>("Caption")
//         .Property<&TKwFoo::Color, &TKwFoo::SetColor>("Color").Type(vcl::ColorTypeInfo())
//             .Default(vcl::clWindow).StoredIf<&TKwFoo::IsColorStored>()
//         .Property<&TKwFoo::Font>("Font")          // a sub-object, read in place
//         .Property<&TKwFoo::OnClick>("OnClick")    // an event member
//         .Field<&TKwFoo::Button1>("Button1")
//         .Method<&TKwFoo::Button1Click>("Button1Click");
//
// A property takes a getter and a setter: member functions or one data
// member for both. With a getter function alone it is read-only. The type
// follows the C++ type (integers, bool, char, enumerations with their
// VCL_ENUM_TYPE, TSet<>, double, std::string, pointers to objects, TEvent<>),
// and .Type() gives it another record (an integer with identifiers). A
// component class that can be made from an owner gets its factory.

#include "vcl/core/Component.h"
#include "vcl/core/TypInfo.h"

#include <cstdint>
#include <string>
#include <type_traits>

namespace vcl {

namespace publish_detail {

template <class T>
struct IsSet : std::false_type {
};
template <class E>
struct IsSet<TSet<E>> : std::true_type {
};

template <class T>
struct IsEvent : std::false_type {
};
template <class Sig>
struct IsEvent<TEvent<Sig>> : std::true_type {
};

template <class T>
struct MemberSignature;
template <class R, class K, class... A>
struct MemberSignature<R (K::*)(A...)> {
    using Type = R(A...);
};
template <class R, class K, class... A>
struct MemberSignature<R (K::*)(A...) const> {
    using Type = R(A...);
};

template <class V>
constexpr bool IsOrdinal = std::is_integral_v<V> || std::is_enum_v<V> || IsSet<V>::value;

template <class V>
std::int64_t ToOrd(const V& value)
{
    if constexpr (IsSet<V>::value)
        return static_cast<std::int64_t>(value.Bits());
    else if constexpr (std::is_same_v<V, char>)
        return static_cast<unsigned char>(value);
    else
        return static_cast<std::int64_t>(value);
}

template <class V>
V FromOrd(std::int64_t value)
{
    if constexpr (IsSet<V>::value)
        return V::FromBits(static_cast<std::uint64_t>(value));
    else if constexpr (std::is_same_v<V, bool>)
        return value != 0;
    else
        return static_cast<V>(value);
}

template <class C, auto Getter>
decltype(auto) Read(const TObject* object)
{
    auto* self = const_cast<C*>(static_cast<const C*>(object));
    if constexpr (std::is_member_object_pointer_v<decltype(Getter)>)
        return (self->*Getter);
    else
        return (self->*Getter)();
}

// The value type a getter (function or data member) gives.
template <class C, auto Getter>
using ValueOf = std::remove_cvref_t<decltype(Read<C, Getter>(nullptr))>;

template <class C, auto Setter, class V>
void Write(TObject* object, V value)
{
    C* self = static_cast<C*>(object);
    if constexpr (std::is_member_object_pointer_v<decltype(Setter)>)
        self->*Setter = std::move(value);
    else
        (self->*Setter)(std::move(value));
}

} // namespace publish_detail

template <class C>
class TPublisher {
public:
    TPublisher()
    {
        // A new-expression, not is_constructible: component destructors are
        // protected.
        if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> &&
                      requires(TComponent * owner) { new C(owner); })
            Table_.Create = [](TComponent* owner) -> TComponent* { return vcl::Create<C>(owner); };
    }

    // A property read and written through one data member, or read-only
    // through a getter function.
    template <auto Getter>
    TPublisher& Property(const char* name)
    {
        if constexpr (std::is_member_object_pointer_v<decltype(Getter)>)
            return Add<Getter, Getter>(name);
        else
            return Add<Getter, nullptr>(name);
    }
    // Getter and setter; a null setter makes it read-only.
    template <auto Getter, auto Setter>
    TPublisher& Property(const char* name)
    {
        return Add<Getter, Setter>(name);
    }

    // Options of the property declared last.
    template <class V>
    TPublisher& Default(const V& value)
    {
        Last().HasDefault = true;
        Last().Default = publish_detail::ToOrd(value);
        return *this;
    }
    TPublisher& NoDefault()
    {
        Last().HasDefault = false;
        return *this;
    }
    TPublisher& Stored(bool stored)
    {
        Last().StoredConstant = stored;
        Last().StoredFunc = nullptr;
        return *this;
    }
    template <auto Predicate>
    TPublisher& StoredIf()
    {
        Last().StoredFunc = [](const TObject* object) -> bool {
            return (static_cast<const C*>(object)->*Predicate)();
        };
        return *this;
    }
    TPublisher& Type(const TTypeInfo* type)
    {
        Last().PropType = type;
        return *this;
    }

    template <auto Member>
    TPublisher& Field(const char* name)
    {
        using Pointer = publish_detail::ValueOf<C, Member>;
        using Target = std::remove_pointer_t<Pointer>;
        static_assert(std::is_pointer_v<Pointer> && std::is_base_of_v<TObject, Target>,
                      "a published field is a pointer to an object");
        TFieldInfo field;
        field.Name = name;
        field.FieldClass = Target::StaticClass();
        field.Get = [](const TObject* object) -> TObject* { return publish_detail::Read<C, Member>(object); };
        field.Set = [](TObject* object, TObject* value) {
            publish_detail::Write<C, Member>(object, dynamic_cast<Target*>(value));
        };
        Table_.Fields.push_back(std::move(field));
        return *this;
    }

    template <auto Function>
    TPublisher& Method(const char* name)
    {
        using Signature = typename publish_detail::MemberSignature<decltype(Function)>::Type;
        TMethodInfo method;
        method.Name = name;
        method.Signature = &typeid(Signature);
        method.Bind = [](TObject* object) -> TMethod {
            return TEvent<Signature>(static_cast<C*>(object), Function).Method();
        };
        Table_.Methods.push_back(std::move(method));
        return *this;
    }

    operator TClassRtti() const { return Table_; }

private:
    TPropInfo& Last() { return Table_.Properties.back(); }

    template <auto Getter, auto Setter>
    TPublisher& Add(const char* name)
    {
        using namespace publish_detail;
        using V = ValueOf<C, Getter>;
        constexpr bool writable = !std::is_null_pointer_v<decltype(Setter)>;
        TPropInfo prop;
        prop.Name = name;
        prop.Declarer = C::StaticClass();
        prop.PropType = TypeInfo<V>();
        if constexpr (IsOrdinal<V>) {
            prop.GetOrd = [](const TObject* object) -> std::int64_t {
                return ToOrd<V>(Read<C, Getter>(object));
            };
            if constexpr (writable)
                prop.SetOrd = [](TObject* object, std::int64_t value) {
                    Write<C, Setter>(object, FromOrd<V>(value));
                };
        } else if constexpr (std::is_floating_point_v<V>) {
            prop.GetFloat = [](const TObject* object) -> double { return Read<C, Getter>(object); };
            if constexpr (writable)
                prop.SetFloat = [](TObject* object, double value) {
                    Write<C, Setter>(object, static_cast<V>(value));
                };
        } else if constexpr (std::is_same_v<V, std::string>) {
            prop.GetStr = [](const TObject* object) -> std::string { return Read<C, Getter>(object); };
            if constexpr (writable)
                prop.SetStr = [](TObject* object, const std::string& value) {
                    Write<C, Setter>(object, value);
                };
        } else if constexpr (std::is_pointer_v<V>) {
            using Target = std::remove_pointer_t<V>;
            static_assert(std::is_base_of_v<TObject, Target>, "a class property holds an object");
            prop.GetObject = [](const TObject* object) -> TObject* { return Read<C, Getter>(object); };
            if constexpr (writable)
                prop.SetObject = [](TObject* object, TObject* value) {
                    Write<C, Setter>(object, dynamic_cast<Target*>(value));
                };
        } else if constexpr (IsEvent<V>::value) {
            prop.GetMethod = [](const TObject* object) -> TMethod {
                return Read<C, Getter>(object).Method();
            };
            if constexpr (writable)
                prop.SetMethod = [](TObject* object, const TMethod& value) {
                    Write<C, Setter>(object, V::FromMethod(value));
                };
        } else {
            static_assert(sizeof(V) == 0, "no published form for this property type");
        }
        Table_.Properties.push_back(std::move(prop));
        return *this;
    }

    TClassRtti Table_;
};

template <class C>
TPublisher<C> Publish()
{
    return {};
}

} // namespace vcl
