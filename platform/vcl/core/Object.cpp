#include "vcl/core/Object.h"

#include "vcl/core/Exceptions.h"

namespace vcl {

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
