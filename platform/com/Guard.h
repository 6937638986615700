#pragma once
// The one guard every method of our COM objects runs its body in: no
// exception leaves a COM method, whoever calls it. A failed allocation
// answers E_OUTOFMEMORY, any other exception E_UNEXPECTED.
//
//     HRESULT Folder::EnumObjects(HWND owner, DWORD flags, IEnumIDList** out) override
//     {
//         return com::Guard([&] { return ListItems(flags, out); });
//     }
//
// The body keeps its out-parameters clear until it succeeds (or frees what
// it put there before it fails), so a failure the guard reports leaves
// nothing behind for the caller.

#include "win32/Errors.h"

#include <new>
#include <utility>

namespace com {

template <typename Body>
HRESULT Guard(Body&& body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// For the few methods that answer something other than an HRESULT (a count,
// a pointer, nothing): failed is the answer when the body throws.
template <typename Result, typename Body>
Result GuardOr(Result failed, Body&& body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return failed;
    }
}

// For methods that answer nothing: an exception is dropped.
template <typename Body>
void GuardVoid(Body&& body) noexcept
{
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

} // namespace com
