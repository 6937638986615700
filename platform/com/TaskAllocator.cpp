#include "com/TaskAllocator.h"

#include "com/ComTesting.h"
#include "com/Guard.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <unordered_set>

namespace {

constexpr std::uint64_t BlockMagic = 0x4B57'5441'534B'424Cull;
constexpr std::uint64_t FreedMagic = 0x4B57'4652'4545'4421ull;

// In front of every block; keeps the block's payload aligned as malloc's is.
struct alignas(alignof(std::max_align_t)) BlockHeader {
    SIZE_T size;
    std::uint64_t magic;
};
static_assert(sizeof(BlockHeader) % alignof(std::max_align_t) == 0);

constexpr SIZE_T MaxPayload = std::numeric_limits<SIZE_T>::max() - sizeof(BlockHeader);
constexpr SIZE_T InvalidSize = static_cast<SIZE_T>(-1);

std::atomic<long long> LiveBlocks{0};
std::atomic<long long> ForeignPointers{0};
std::atomic<com::testing::TaskAllocationHook> AllocationHook{nullptr};

bool Refused(SIZE_T cb)
{
    const com::testing::TaskAllocationHook hook = AllocationHook.load(std::memory_order_acquire);
    return hook && !hook(cb);
}

BlockHeader* HeaderOf(void* payload)
{
    return static_cast<BlockHeader*>(payload) - 1;
}
void* PayloadOf(BlockHeader* header)
{
    return header + 1;
}

// Which payload pointers are live. A pointer is looked up here before its
// header is read, so a foreign pointer is never dereferenced. Addresses are
// kept disguised so that the set does not hide a block nobody frees from the
// leak checker.
class TaskHeap {
public:
    void* Alloc(SIZE_T cb)
    {
        if (cb > MaxPayload || Refused(cb))
            return nullptr;
        auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + cb));
        if (!header)
            return nullptr;
        header->size = cb;
        header->magic = BlockMagic;
        void* payload = PayloadOf(header);
        try {
            std::lock_guard lock(Mutex_);
            Live_.insert(Key(payload));
        } catch (const std::bad_alloc&) {
            std::free(header);
            return nullptr;
        }
        LiveBlocks.fetch_add(1, std::memory_order_relaxed);
        return payload;
    }

    void* Realloc(void* pv, SIZE_T cb)
    {
        if (!pv)
            return Alloc(cb);
        if (cb == 0) {
            Free(pv);
            return nullptr;
        }
        std::lock_guard lock(Mutex_);
        auto it = Live_.find(Key(pv));
        if (it == Live_.end()) {
            ForeignPointers.fetch_add(1, std::memory_order_relaxed);
            return nullptr;
        }
        if (cb > MaxPayload || Refused(cb))
            return nullptr;
        auto* header = static_cast<BlockHeader*>(std::realloc(HeaderOf(pv), sizeof(BlockHeader) + cb));
        if (!header)
            return nullptr; // pv stays valid
        header->size = cb;
        void* payload = PayloadOf(header);
        if (payload != pv) {
            // Re-key the node in place: no allocation, so nothing can fail here.
            auto node = Live_.extract(it);
            node.value() = Key(payload);
            Live_.insert(std::move(node));
        }
        return payload;
    }

    void Free(void* pv)
    {
        if (!pv)
            return;
        {
            std::lock_guard lock(Mutex_);
            if (Live_.erase(Key(pv)) == 0) {
                ForeignPointers.fetch_add(1, std::memory_order_relaxed);
                return;
            }
        }
        LiveBlocks.fetch_sub(1, std::memory_order_relaxed);
        BlockHeader* header = HeaderOf(pv);
        header->magic = FreedMagic;
        std::free(header);
    }

    SIZE_T GetSize(void* pv)
    {
        if (!pv)
            return InvalidSize;
        std::lock_guard lock(Mutex_);
        if (!Live_.contains(Key(pv)))
            return InvalidSize;
        const BlockHeader* header = HeaderOf(pv);
        // A header written over by the caller (an underrun) has no size to trust.
        return header->magic == BlockMagic ? header->size : InvalidSize;
    }

    int DidAlloc(void* pv)
    {
        if (!pv)
            return -1;
        std::lock_guard lock(Mutex_);
        return Live_.contains(Key(pv)) ? 1 : 0;
    }

private:
    static std::uintptr_t Key(const void* payload)
    {
        return reinterpret_cast<std::uintptr_t>(payload) ^
               static_cast<std::uintptr_t>(0xA5C3'96E1'5A3C'691Eull);
    }

    std::mutex Mutex_;
    std::unordered_set<std::uintptr_t> Live_;
};

// Made on first use and never destroyed: blocks may be freed by code that
// runs during static destruction.
TaskHeap& Heap()
{
    static TaskHeap* const heap = new TaskHeap;
    return *heap;
}

// The process-wide allocator object. It is not counted: it outlives every
// reference, so AddRef and Release only answer.
class TaskAllocator final : public IMalloc {
public:
    constexpr TaskAllocator() = default;

    HRESULT QueryInterface(REFIID riid, void** ppvObject) override
    {
        return com::Guard([&] {
            if (!ppvObject)
                return E_POINTER;
            if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMalloc)) {
                *ppvObject = static_cast<IMalloc*>(this);
                return S_OK;
            }
            *ppvObject = nullptr;
            return E_NOINTERFACE;
        });
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

    void* Alloc(SIZE_T cb) override
    {
        return com::GuardOr<void*>(nullptr, [&] { return Heap().Alloc(cb); });
    }
    void* Realloc(void* pv, SIZE_T cb) override
    {
        return com::GuardOr<void*>(nullptr, [&] { return Heap().Realloc(pv, cb); });
    }
    void Free(void* pv) override
    {
        com::GuardVoid([&] { Heap().Free(pv); });
    }
    SIZE_T GetSize(void* pv) override
    {
        return com::GuardOr(InvalidSize, [&] { return Heap().GetSize(pv); });
    }
    int DidAlloc(void* pv) override
    {
        return com::GuardOr(-1, [&] { return Heap().DidAlloc(pv); });
    }
    // The C heap gives memory back on its own.
    void HeapMinimize() override {}
};

constinit TaskAllocator TheTaskAllocator;

} // namespace

LPVOID CoTaskMemAlloc(SIZE_T cb)
{
    return Heap().Alloc(cb);
}

LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb)
{
    return Heap().Realloc(pv, cb);
}

void CoTaskMemFree(LPVOID pv)
{
    Heap().Free(pv);
}

HRESULT CoGetMalloc(DWORD memContext, IMalloc** malloc)
{
    if (!malloc)
        return E_INVALIDARG;
    *malloc = nullptr;
    if (memContext != MEMCTX_TASK)
        return E_INVALIDARG;
    *malloc = &TheTaskAllocator;
    (*malloc)->AddRef();
    return S_OK;
}

HRESULT SHGetMalloc(IMalloc** malloc)
{
    return CoGetMalloc(MEMCTX_TASK, malloc);
}

namespace com::testing {

long long LiveTaskAllocations()
{
    return LiveBlocks.load(std::memory_order_relaxed);
}

long long ForeignTaskFrees()
{
    return ForeignPointers.load(std::memory_order_relaxed);
}

void SetTaskAllocationHook(TaskAllocationHook hook)
{
    AllocationHook.store(hook, std::memory_order_release);
}

} // namespace com::testing
