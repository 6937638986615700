#include "vcl/core/ClassRegistry.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/TypInfo.h"

#include <mutex>
#include <vector>

namespace vcl {

namespace {

struct Registry {
    std::mutex Lock;
    std::vector<TClass> Classes; // few: a linear search is the fastest
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

TClass FindLocked(Registry& registry, std::string_view name)
{
    for (TClass cls : registry.Classes)
        if (SameIdent(cls->Name, name))
            return cls;
    return nullptr;
}

} // namespace

bool RegisterClass(TClass cls)
{
    if (!cls)
        return false;
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.Lock);
    if (FindLocked(registry, cls->Name))
        return false;
    registry.Classes.push_back(cls);
    return true;
}

void RegisterClasses(std::initializer_list<TClass> classes)
{
    for (TClass cls : classes)
        RegisterClass(cls);
}

void UnRegisterClass(TClass cls)
{
    if (!cls)
        return;
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.Lock);
    std::erase(registry.Classes, cls);
}

void UnRegisterClasses(std::initializer_list<TClass> classes)
{
    for (TClass cls : classes)
        UnRegisterClass(cls);
}

TClass GetClass(std::string_view name)
{
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.Lock);
    return FindLocked(registry, name);
}

TClass FindClass(std::string_view name)
{
    TClass cls = GetClass(name);
    if (!cls)
        throw EClassNotFound("Class " + std::string(name) + " not found");
    return cls;
}

std::vector<TClass> RegisteredClasses()
{
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.Lock);
    return registry.Classes;
}

} // namespace vcl
