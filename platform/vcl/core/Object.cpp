#include "vcl/core/Object.h"

#include "vcl/core/Exceptions.h"

namespace vcl {

TClass TObject::StaticClass()
{
    static const TClassInfo info{"TObject", nullptr};
    return &info;
}

bool ClassInheritsFrom(TClass cls, TClass ancestor)
{
    for (; cls; cls = cls->Parent)
        if (cls == ancestor)
            return true;
    return false;
}

void RaiseInvalidCast()
{
    throw EInvalidCast("Invalid class typecast");
}

} // namespace vcl
