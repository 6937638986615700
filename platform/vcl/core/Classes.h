#pragma once
// TPersistent, and the framework's two-phase lifetime.
//
// An object of the persistent tree is made by Create<T>(args...): the C++
// constructor, then AfterConstruction, which runs with the object whole, so
// its virtual calls reach the most derived override. It ends with Free():
// BeforeDestruction (again with the object whole: the place for destroy
// events, notifications and freeing what it owns), then delete. Components
// (vcl/core/Component.h) cannot be deleted any other way.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Object.h"

#include <memory>
#include <type_traits>
#include <utility>

namespace vcl {

class TFiler;

class CORVANE_VCL_EXPORT TPersistent : public TObject {
    VCL_DECLARE_CLASS(TPersistent, TObject)
public:
    TPersistent() = default;
    ~TPersistent() override = default;
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;

    // Copies source into this object. The base asks source to AssignTo this
    // object; when nobody knows how, raises EConvertError
    // "Cannot assign a <source class> to a <class>" (source null: "nil").
    virtual void Assign(TPersistent* source);
    // The name an inspector shows: the owner's path, a dot, and this name.
    virtual std::string GetNamePath() const;

    // Called once the constructor is done, by Create.
    virtual void AfterConstruction() {}
    // Called by Free while the object is still whole.
    virtual void BeforeDestruction() {}
    // PrepareDestruction, BeforeDestruction, then delete.
    void Free();

    // Declares properties stored beside the published ones (binary data,
    // lists in a format of the class's own); descendants call the inherited
    // method first. The form reader and writer call it.
    virtual void DefineProperties(TFiler* filer);

protected:
    // Asked by Free once BeforeDestruction is done: true when the object
    // is still at work further up the call stack (one of its own message
    // handlers freed it) and will delete itself when that work returns.
    virtual bool DeletionDeferred() { return false; }
    // The first step of Free, before any BeforeDestruction override runs:
    // where a class enters the state its overrides should already see
    // (components: destroying).
    virtual void PrepareDestruction() {}
    virtual void AssignTo(TPersistent* dest);
    // The object that holds this one, for GetNamePath.
    virtual TPersistent* GetOwner() const { return nullptr; }
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

// Free() on a pointer that may be null, and the framework's FreeAndNil.
CORVANE_VCL_EXPORT void Free(TPersistent* object);
template <class T>
void FreeAndNil(T*& object)
{
    T* doomed = std::exchange(object, nullptr);
    Free(doomed);
}

// Makes T: constructor, then AfterConstruction. When AfterConstruction
// raises, the object is freed and the exception goes on.
template <class T, class... Args>
requires std::is_base_of_v<TPersistent, T> T* Create(Args&&... args)
{
    T* object = new T(std::forward<Args>(args)...);
    try {
        object->AfterConstruction();
    } catch (...) {
        object->Free();
        throw;
    }
    return object;
}

// unique_ptr that ends its object with Free. A destructor cannot raise: an
// exception from Free (the object is gone all the same) goes to the
// application's exception handler (HandleCurrentException).
struct CORVANE_VCL_EXPORT TFreeDeleter {
    void operator()(TPersistent* object) const noexcept;
};
template <class T>
using TOwnedPtr = std::unique_ptr<T, TFreeDeleter>;

template <class T, class... Args>
TOwnedPtr<T> CreateOwned(Args&&... args)
{
    return TOwnedPtr<T>(Create<T>(std::forward<Args>(args)...));
}

} // namespace vcl

// Declares a class's record together with its own published table, which the
// class defines in its .cpp with vcl::Publish<Class>() (vcl/core/Publish.h):
//
//     const vcl::TClassRtti& TKwFoo::PublishedTable()
//     {
//         static const vcl::TClassRtti table = vcl::Publish<TKwFoo>()
//             .Property<&TKwFoo::Color,
//             &TKwFoo::SetColor>("Color").Type(vcl::ColorTypeInfo()).Default(vcl::clWindow)
//             .Property<&TKwFoo::OnChange>("OnChange");
//         return table;
//     }
#define VCL_DECLARE_PUBLISHED_CLASS(ClassName_, Parent_)                                                     \
public:                                                                                                      \
    static const ::vcl::TClassRtti& PublishedTable();                                                        \
    static constexpr ::vcl::TClassInfo ClassRecord_{#ClassName_, &Parent_::ClassRecord_,                     \
                                                    &ClassName_::PublishedTable};                            \
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
