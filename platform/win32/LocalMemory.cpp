#include "win32/LocalMemory.h"
#include "win32/AddressedBlocks_p.h"
#include "win32/Errors.h"
#include "win32/LocalMemoryTesting.h"

namespace {

win32::detail::AddressedBlocks& Heap()
{
    // Never destroyed: blocks may be freed by code that runs at exit.
    static auto& heap = *new win32::detail::AddressedBlocks;
    return heap;
}

} // namespace

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes)
{
    if (flags & ~(LMEM_MOVEABLE | LMEM_ZEROINIT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* p = Heap().Allocate(bytes, (flags & LMEM_ZEROINIT) != 0);
    if (!p)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return p;
}

HLOCAL LocalFree(HLOCAL block)
{
    if (!block || Heap().Free(block))
        return nullptr;
    SetLastError(ERROR_INVALID_HANDLE);
    return block;
}

SIZE_T LocalSize(HLOCAL block)
{
    if (const auto size = Heap().Size(block))
        return *size;
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}

LPVOID LocalLock(HLOCAL block)
{
    if (Heap().Contains(block))
        return block;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

BOOL LocalUnlock(HLOCAL block)
{
    SetLastError(Heap().Contains(block) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
    return FALSE;
}

namespace win32::testing {

std::size_t LiveLocalAllocations()
{
    return Heap().Count();
}

} // namespace win32::testing
