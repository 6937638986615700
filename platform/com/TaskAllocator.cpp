#include "com/TaskAllocator.h"

#include "com/ComTesting.h"
#include "com/Guard.h"

#include <atomic>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <vector>

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

// A set of disguised addresses in one open-addressed table: nothing is
// allocated per block, and at most half the slots are in use, so a look-up
// probes a slot or two.
class AddressSet {
public:
    bool Contains(std::uintptr_t key) const { return !Slots_.empty() && Slots_[Find(key)] == key; }

    // Room for one more key (the table grows or sheds its erased slots);
    // false when it cannot grow.
    bool Reserve()
    {
        if ((Used_ + 1) * 2 <= Slots_.size())
            return true;
        std::size_t size = Slots_.empty() ? 1024 : Slots_.size();
        if ((Live_ + 1) * 4 > size)
            size *= 2;
        std::vector<std::uintptr_t> old;
        old.swap(Slots_);
        try {
            Slots_.assign(size, kEmpty);
        } catch (const std::bad_alloc&) {
            Slots_.swap(old);
            return false;
        }
        Shift_ = 64 - std::countr_zero(size);
        Used_ = 0;
        for (const std::uintptr_t key : old)
            if (key != kEmpty && key != kErased)
                Put(key);
        return true;
    }
    // After Reserve; the key is not in the set.
    void Insert(std::uintptr_t key)
    {
        Put(key);
        ++Live_;
    }
    bool Erase(std::uintptr_t key)
    {
        if (Slots_.empty())
            return false;
        const std::size_t at = Find(key);
        if (Slots_[at] != key)
            return false;
        Slots_[at] = kErased;
        --Live_;
        return true;
    }

private:
    // Keys are disguised addresses, never these.
    static constexpr std::uintptr_t kEmpty = 0;
    static constexpr std::uintptr_t kErased = 1;

    std::size_t Home(std::uintptr_t key) const
    {
        return static_cast<std::size_t>((std::uint64_t{key} * 0x9E37'79B9'7F4A'7C15ull) >> Shift_);
    }
    // The key's slot, or the empty slot that ends its probe.
    std::size_t Find(std::uintptr_t key) const
    {
        const std::size_t mask = Slots_.size() - 1;
        std::size_t at = Home(key);
        while (Slots_[at] != key && Slots_[at] != kEmpty)
            at = (at + 1) & mask;
        return at;
    }
    void Put(std::uintptr_t key)
    {
        const std::size_t mask = Slots_.size() - 1;
        std::size_t at = Home(key);
        while (Slots_[at] != kEmpty && Slots_[at] != kErased)
            at = (at + 1) & mask;
        if (Slots_[at] == kEmpty)
            ++Used_;
        Slots_[at] = key;
    }

    std::vector<std::uintptr_t> Slots_; // a power of two in size
    int Shift_ = 64;
    std::size_t Used_ = 0; // live and erased slots
    std::size_t Live_ = 0;
};

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
        {
            std::lock_guard lock(Mutex_);
            if (!Live_.Reserve()) {
                std::free(header);
                return nullptr;
            }
            Live_.Insert(Key(payload));
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
        if (!Live_.Contains(Key(pv))) {
            ForeignPointers.fetch_add(1, std::memory_order_relaxed);
            return nullptr;
        }
        // Room for the new address first: once the block has moved, nothing
        // may fail.
        if (cb > MaxPayload || Refused(cb) || !Live_.Reserve())
            return nullptr;
        auto* header = static_cast<BlockHeader*>(std::realloc(HeaderOf(pv), sizeof(BlockHeader) + cb));
        if (!header)
            return nullptr; // pv stays valid
        header->size = cb;
        void* payload = PayloadOf(header);
        if (payload != pv) {
            Live_.Erase(Key(pv));
            Live_.Insert(Key(payload));
        }
        return payload;
    }

    void Free(void* pv)
    {
        if (!pv)
            return;
        {
            std::lock_guard lock(Mutex_);
            if (!Live_.Erase(Key(pv))) {
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
        if (!Live_.Contains(Key(pv)))
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
        return Live_.Contains(Key(pv)) ? 1 : 0;
    }

private:
    static std::uintptr_t Key(const void* payload)
    {
        return reinterpret_cast<std::uintptr_t>(payload) ^
               static_cast<std::uintptr_t>(0xA5C3'96E1'5A3C'691Eull);
    }

    std::mutex Mutex_;
    AddressSet Live_;
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
