#include "win32/LocalMemory.h"
#include "win32/Errors.h"
#include "win32/LocalMemoryTesting.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

struct LocalHeap {
    std::mutex Mutex;
    std::unordered_map<void*, SIZE_T> Blocks; // address -> size asked for
};

LocalHeap& Heap()
{
    // Never destroyed: blocks may be freed by code that runs at exit.
    static LocalHeap& heap = *new LocalHeap;
    return heap;
}

// The size of a live block, or nothing; the caller holds the lock.
const SIZE_T* FindBlock(LocalHeap& heap, HLOCAL block)
{
    const auto it = heap.Blocks.find(block);
    return it == heap.Blocks.end() ? nullptr : &it->second;
}

} // namespace

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes)
{
    if (flags & ~(LMEM_MOVEABLE | LMEM_ZEROINIT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A zero-byte request still gets a block of its own, so it can be freed.
    void* p = std::malloc(bytes ? bytes : 1);
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (flags & LMEM_ZEROINIT)
        std::memset(p, 0, bytes);
    LocalHeap& heap = Heap();
    try {
        std::lock_guard lock(heap.Mutex);
        heap.Blocks.emplace(p, bytes);
    } catch (const std::bad_alloc&) {
        std::free(p);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return p;
}

HLOCAL LocalFree(HLOCAL block)
{
    if (!block)
        return nullptr;
    LocalHeap& heap = Heap();
    {
        std::lock_guard lock(heap.Mutex);
        if (heap.Blocks.erase(block) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return block;
        }
    }
    std::free(block);
    return nullptr;
}

SIZE_T LocalSize(HLOCAL block)
{
    LocalHeap& heap = Heap();
    std::lock_guard lock(heap.Mutex);
    if (const SIZE_T* size = FindBlock(heap, block))
        return *size;
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}

LPVOID LocalLock(HLOCAL block)
{
    LocalHeap& heap = Heap();
    std::lock_guard lock(heap.Mutex);
    if (FindBlock(heap, block))
        return block;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

BOOL LocalUnlock(HLOCAL block)
{
    LocalHeap& heap = Heap();
    std::lock_guard lock(heap.Mutex);
    SetLastError(FindBlock(heap, block) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
    return FALSE;
}

namespace win32::testing {

std::size_t LiveLocalAllocations()
{
    LocalHeap& heap = Heap();
    std::lock_guard lock(heap.Mutex);
    return heap.Blocks.size();
}

} // namespace win32::testing
