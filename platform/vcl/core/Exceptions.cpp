#include "vcl/core/Exceptions.h"

namespace vcl {

void Abort()
{
    throw EAbort("Operation aborted");
}

} // namespace vcl
