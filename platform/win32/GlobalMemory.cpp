#include "win32/GlobalMemory.h"
#include "win32/AddressedBlocks_p.h"
#include "win32/Errors.h"
#include "win32/GlobalMemoryTesting.h"
#include "win32/HandleTable.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT kNoEffectFlags =
    GMEM_NOCOMPACT | GMEM_NODISCARD | GMEM_DISCARDABLE | GMEM_NOT_BANKED | GMEM_SHARE | GMEM_NOTIFY;
constexpr UINT kAllocFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | kNoEffectFlags;

// A moveable block. Its memory belongs to the record while it is in the
// table; whoever takes the record out frees it.
struct MoveableBlock {
    void* Data = nullptr;
    SIZE_T Size = 0;     // asked for
    SIZE_T Capacity = 0; // allocated
    UINT Locks = 0;
};

struct GlobalHeap {
    win32::detail::AddressedBlocks Fixed;
    win32::HandleTable<HGLOBAL, MoveableBlock> Moveable{win32::HandleKind::GlobalMemory};
};

GlobalHeap& Heap()
{
    // Never destroyed: blocks may be freed by code that runs at exit.
    static GlobalHeap& heap = *new GlobalHeap;
    return heap;
}

// Allocations to let through before the one that fails; -1 when none fails.
std::atomic<long long> FailAfter{-1};

bool AllocationAllowed()
{
    long long pending = FailAfter.load(std::memory_order_relaxed);
    while (pending >= 0) {
        if (FailAfter.compare_exchange_weak(pending, pending - 1, std::memory_order_relaxed))
            return pending != 0;
    }
    return true;
}

HGLOBAL FailWith(DWORD error)
{
    SetLastError(error);
    return nullptr;
}

HGLOBAL AllocateMoveable(SIZE_T bytes, bool zero)
{
    void* data = win32::detail::AllocateRaw(bytes, zero);
    if (!data)
        return FailWith(ERROR_NOT_ENOUGH_MEMORY);
    HGLOBAL handle = nullptr;
    try {
        handle = Heap().Moveable.Insert(MoveableBlock{data, bytes, bytes, 0});
    } catch (const std::bad_alloc&) {
    }
    if (!handle) {
        std::free(data);
        return FailWith(ERROR_NOT_ENOUGH_MEMORY);
    }
    return handle;
}

} // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
    if (flags & ~kAllocFlags)
        return FailWith(ERROR_INVALID_PARAMETER);
    if (!AllocationAllowed())
        return FailWith(ERROR_NOT_ENOUGH_MEMORY);
    const bool zero = (flags & GMEM_ZEROINIT) != 0;
    if (flags & GMEM_MOVEABLE)
        return AllocateMoveable(bytes, zero);
    void* p = Heap().Fixed.Allocate(bytes, zero);
    if (!p)
        return FailWith(ERROR_NOT_ENOUGH_MEMORY);
    return static_cast<HGLOBAL>(p);
}

HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags)
{
    if (flags & ~kAllocFlags)
        return FailWith(ERROR_INVALID_PARAMETER);
    const bool zero = (flags & GMEM_ZEROINIT) != 0;
    GlobalHeap& heap = Heap();
    bool known = false;
    DWORD error = ERROR_NOT_ENOUGH_MEMORY;
    heap.Moveable.Modify(block, [&](MoveableBlock& held) {
        known = true;
        if (bytes <= held.Capacity) {
            if (zero && bytes > held.Size)
                std::memset(static_cast<char*>(held.Data) + held.Size, 0, bytes - held.Size);
            held.Size = bytes;
            error = ERROR_SUCCESS;
            return;
        }
        if (held.Locks && !(flags & GMEM_MOVEABLE))
            return;
        if (!AllocationAllowed())
            return;
        if (void* moved = win32::detail::MoveRaw(held.Data, held.Size, bytes, zero)) {
            held = MoveableBlock{moved, bytes, bytes, held.Locks};
            error = ERROR_SUCCESS;
        }
    });
    if (known)
        return error == ERROR_SUCCESS ? block : FailWith(error);

    // A fixed block grows in place only within what it already has, unless
    // it may move; the heap is asked (and the test failure counted) only then.
    const auto size = heap.Fixed.Size(block);
    if (!size)
        return FailWith(ERROR_INVALID_HANDLE);
    const bool growsOut = bytes > *size;
    if (growsOut && (flags & GMEM_MOVEABLE) && !AllocationAllowed())
        return FailWith(ERROR_NOT_ENOUGH_MEMORY);
    void* p = heap.Fixed.Resize(block, bytes, (flags & GMEM_MOVEABLE) != 0, zero, &known);
    if (!p)
        return FailWith(known ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_HANDLE);
    return static_cast<HGLOBAL>(p);
}

HGLOBAL GlobalFree(HGLOBAL block)
{
    if (!block)
        return nullptr;
    GlobalHeap& heap = Heap();
    if (auto taken = heap.Moveable.Take(block)) {
        std::free(taken->Data);
        return nullptr;
    }
    if (heap.Fixed.Free(block))
        return nullptr;
    SetLastError(ERROR_INVALID_HANDLE);
    return block;
}

SIZE_T GlobalSize(HGLOBAL block)
{
    GlobalHeap& heap = Heap();
    SIZE_T size = 0;
    if (heap.Moveable.Read(block, [&](const MoveableBlock& held) { size = held.Size; }))
        return size;
    if (const auto fixed = heap.Fixed.Size(block))
        return *fixed;
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}

LPVOID GlobalLock(HGLOBAL block)
{
    GlobalHeap& heap = Heap();
    void* address = nullptr;
    if (heap.Moveable.Modify(block, [&](MoveableBlock& held) {
            ++held.Locks;
            address = held.Data;
        }))
        return address;
    if (heap.Fixed.Contains(block))
        return block;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

BOOL GlobalUnlock(HGLOBAL block)
{
    GlobalHeap& heap = Heap();
    BOOL stillLocked = FALSE;
    DWORD error = ERROR_SUCCESS;
    if (!heap.Moveable.Modify(block, [&](MoveableBlock& held) {
            if (held.Locks == 0) {
                error = ERROR_NOT_LOCKED;
                return;
            }
            stillLocked = --held.Locks != 0;
        }))
        error = heap.Fixed.Contains(block) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    SetLastError(error);
    return stillLocked;
}

namespace win32::testing {

std::size_t LiveGlobalAllocations()
{
    GlobalHeap& heap = Heap();
    return heap.Moveable.Size() + heap.Fixed.Count();
}

void FailGlobalAllocation(std::size_t succeeding)
{
    FailAfter.store(static_cast<long long>(succeeding), std::memory_order_relaxed);
}

bool CancelGlobalAllocationFailure()
{
    return FailAfter.exchange(-1, std::memory_order_relaxed) >= 0;
}

} // namespace win32::testing
