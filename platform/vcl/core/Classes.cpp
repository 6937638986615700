#include "vcl/core/Classes.h"

#include "vcl/core/Exceptions.h"

namespace vcl {

void TPersistent::Assign(TPersistent* source)
{
    if (source)
        source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest)
{
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const
{
    const std::string sourceName = source ? source->ClassName() : std::string("nil");
    throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}

std::string TPersistent::GetNamePath() const
{
    std::string path = ClassName();
    if (const TPersistent* owner = GetOwner()) {
        const std::string ownerPath = owner->GetNamePath();
        if (!ownerPath.empty())
            path = ownerPath + "." + path;
    }
    return path;
}

void TPersistent::Free()
{
    // An exception from BeforeDestruction still ends the object: it cannot
    // be made whole again, and keeping it would leak it.
    try {
        PrepareDestruction();
        BeforeDestruction();
    } catch (...) {
        if (!DeletionDeferred())
            delete this;
        throw;
    }
    if (!DeletionDeferred())
        delete this;
}

void TPersistent::DefineProperties(TFiler*) {}

void Free(TPersistent* object)
{
    if (object)
        object->Free();
}

void TFreeDeleter::operator()(TPersistent* object) const noexcept
{
    try {
        Free(object);
    } catch (...) {
        HandleCurrentException();
    }
}

} // namespace vcl
