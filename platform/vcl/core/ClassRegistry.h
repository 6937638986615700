#pragma once
// The process-wide registry of classes by name, from which the form reader
// makes the components a form file names.
//
// A name stands for one class. Registering a class again does nothing;
// registering a different class under a name already taken is refused and
// the first class stays (the return value says which happened), so a unit
// can register a class "unless one of that name is registered already" and
// later unregister only what it registered itself.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Object.h"

#include <initializer_list>
#include <string_view>
#include <vector>

namespace vcl {

// True when cls is now registered by this call; false when its name was
// registered before (to cls itself, or to another class, which stays).
CORVANE_VCL_EXPORT bool RegisterClass(TClass cls);
CORVANE_VCL_EXPORT void RegisterClasses(std::initializer_list<TClass> classes);
// Removes cls when it is the class registered under its name.
CORVANE_VCL_EXPORT void UnRegisterClass(TClass cls);
CORVANE_VCL_EXPORT void UnRegisterClasses(std::initializer_list<TClass> classes);
// The class registered under name (ASCII case ignored), or null.
CORVANE_VCL_EXPORT TClass GetClass(std::string_view name);
// As GetClass, but raises EClassNotFound "Class %s not found".
CORVANE_VCL_EXPORT TClass FindClass(std::string_view name);
// Every registered class, in the order of registration.
CORVANE_VCL_EXPORT std::vector<TClass> RegisteredClasses();

} // namespace vcl
