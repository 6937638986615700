#include "vcl/core/Events.h"

#include "vcl/core/Exceptions.h"

namespace vcl {

void RaiseNilEvent()
{
    throw Exception("Event handler not assigned");
}

void RaiseEventTypeMismatch()
{
    throw EInvalidCast("Invalid class typecast");
}

} // namespace vcl
