#include "com/TaskAllocator.h"
#include "com/ClassFactory.h"
#include "com/ComTesting.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <thread>
#include <vector>

namespace {

com::ComPtr<IMalloc> ShellAllocator()
{
    com::ComPtr<IMalloc> malloc;
    EXPECT_EQ(SHGetMalloc(malloc.ReleaseAndGetAddressOf()), S_OK);
    return malloc;
}

TEST(TaskAllocator, OneHeapBehindEveryEntryPoint)
{
    com::ComPtr<IMalloc> shell = ShellAllocator();
    com::ComPtr<IMalloc> task;
    ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, task.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_TRUE(shell && task);
    EXPECT_EQ(shell, task); // one process-wide object
    EXPECT_TRUE(shell.As<IUnknown>());
    EXPECT_FALSE(shell.As<IClassFactory>());

    const long long before = com::testing::LiveTaskAllocations();
    const long long foreignBefore = com::testing::ForeignTaskFrees();

    // CoTaskMem block freed by the shell allocator, and the other way round.
    void* fromCo = CoTaskMemAlloc(24);
    void* fromShell = shell->Alloc(40);
    ASSERT_TRUE(fromCo && fromShell);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), before + 2);
    EXPECT_EQ(shell->GetSize(fromCo), 24u);
    EXPECT_EQ(task->GetSize(fromShell), 40u);
    EXPECT_EQ(shell->DidAlloc(fromCo), 1);
    std::memset(fromCo, 0xAB, 24);
    shell->Free(fromCo);
    CoTaskMemFree(fromShell);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), before);
    EXPECT_EQ(com::testing::ForeignTaskFrees(), foreignBefore); // both were ours

    // Releasing the allocator does not end it.
    shell.Reset();
    task.Reset();
    void* after = ShellAllocator()->Alloc(1);
    ASSERT_TRUE(after);
    CoTaskMemFree(after);

    IMalloc* out = reinterpret_cast<IMalloc*>(&out);
    EXPECT_EQ(CoGetMalloc(0, &out), E_INVALIDARG);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CoGetMalloc(MEMCTX_TASK, nullptr), E_INVALIDARG);
    EXPECT_EQ(SHGetMalloc(nullptr), E_INVALIDARG);
}

TEST(TaskAllocator, ForeignAndFreedPointersAreRefusedUntouched)
{
    com::ComPtr<IMalloc> malloc = ShellAllocator();
    const long long live = com::testing::LiveTaskAllocations();
    const long long foreign = com::testing::ForeignTaskFrees();

    // A pointer from another heap, a stack address, and one inside a live block:
    // none may be freed, resized or measured (reading a header before them would
    // itself be an overrun under AddressSanitizer).
    char* other = new char[4];
    char onStack[8] = {};
    auto* block = static_cast<char*>(CoTaskMemAlloc(32));
    ASSERT_TRUE(block);
    for (void* bad :
         {static_cast<void*>(other), static_cast<void*>(onStack), static_cast<void*>(block + 16)}) {
        EXPECT_EQ(malloc->DidAlloc(bad), 0);
        EXPECT_EQ(malloc->GetSize(bad), static_cast<SIZE_T>(-1));
        CoTaskMemFree(bad);
        EXPECT_EQ(CoTaskMemRealloc(bad, 64), nullptr);
    }
    EXPECT_EQ(com::testing::ForeignTaskFrees(), foreign + 6);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), live + 1);
    delete[] other;

    // A double free is caught the same way.
    CoTaskMemFree(block);
    CoTaskMemFree(block);
    EXPECT_EQ(com::testing::ForeignTaskFrees(), foreign + 7);
    EXPECT_EQ(malloc->DidAlloc(block), 0);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), live);

    // Null is no one's pointer but is no fault either.
    CoTaskMemFree(nullptr);
    malloc->Free(nullptr);
    EXPECT_EQ(malloc->DidAlloc(nullptr), -1);
    EXPECT_EQ(malloc->GetSize(nullptr), static_cast<SIZE_T>(-1));
    EXPECT_EQ(com::testing::ForeignTaskFrees(), foreign + 7);
}

TEST(TaskAllocator, ReallocEdgeCases)
{
    const long long live = com::testing::LiveTaskAllocations();

    // Realloc(null, n) allocates.
    auto* p = static_cast<unsigned char*>(CoTaskMemRealloc(nullptr, 16));
    ASSERT_TRUE(p);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), live + 1);
    for (int i = 0; i < 16; ++i)
        p[i] = static_cast<unsigned char>(i);

    // Growing keeps the contents and the new size, wherever the block went.
    p = static_cast<unsigned char*>(CoTaskMemRealloc(p, 1 << 20));
    ASSERT_TRUE(p);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(p[i], i);
    p[(1 << 20) - 1] = 0xFF;
    com::ComPtr<IMalloc> malloc = ShellAllocator();
    EXPECT_EQ(malloc->GetSize(p), SIZE_T{1} << 20);
    EXPECT_EQ(malloc->DidAlloc(p), 1);

    // Shrinking keeps the prefix.
    p = static_cast<unsigned char*>(malloc->Realloc(p, 4));
    ASSERT_TRUE(p);
    EXPECT_EQ(malloc->GetSize(p), 4u);
    EXPECT_EQ(p[3], 3);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), live + 1);

    // A size no heap can give fails and leaves the block as it was.
    EXPECT_EQ(CoTaskMemRealloc(p, std::numeric_limits<SIZE_T>::max() - 8), nullptr);
    EXPECT_EQ(malloc->GetSize(p), 4u);
    EXPECT_EQ(CoTaskMemAlloc(std::numeric_limits<SIZE_T>::max()), nullptr);

    // Realloc(p, 0) frees and answers null.
    EXPECT_EQ(CoTaskMemRealloc(p, 0), nullptr);
    EXPECT_EQ(malloc->DidAlloc(p), 0);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), live);

    // Alloc(0) gives real, distinct blocks that count and free like any other.
    void* empty1 = CoTaskMemAlloc(0);
    void* empty2 = malloc->Alloc(0);
    ASSERT_TRUE(empty1 && empty2);
    EXPECT_NE(empty1, empty2);
    EXPECT_EQ(malloc->GetSize(empty1), 0u);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), live + 2);
    malloc->Free(empty1);
    CoTaskMemFree(empty2);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), live);
}

TEST(TaskAllocator, BlocksAreAlignedAndTheCounterIsThreadSafe)
{
    const long long live = com::testing::LiveTaskAllocations();
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t] {
            std::vector<void*> held;
            for (int i = 0; i < 2000; ++i) {
                void* p = CoTaskMemAlloc(static_cast<SIZE_T>(i % 97));
                ASSERT_TRUE(p);
                ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % alignof(std::max_align_t), 0u);
                held.push_back(p);
                if (i % 3 == t % 3) {
                    held.back() = CoTaskMemRealloc(held.back(), 200);
                    ASSERT_TRUE(held.back());
                }
            }
            for (void* p : held)
                CoTaskMemFree(p);
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(com::testing::LiveTaskAllocations(), live);
}

TEST(TaskAllocator, ManyBlocksStayKnownThroughGrowthAndReuse)
{
    // Far more blocks than the live table starts with, freed and made again
    // in waves, so it grows and reuses the slots of freed blocks.
    com::ComPtr<IMalloc> malloc = ShellAllocator();
    const long long live = com::testing::LiveTaskAllocations();
    const long long foreign = com::testing::ForeignTaskFrees();
    struct Wave {
        int count;
        int freeEvery; // of those made, every n-th is freed at once
        SIZE_T growTo; // the rest are resized to this
    };
    const Wave waves[] = {{5000, 2, 0}, {20000, 3, 300}, {700, 1, 0}, {40000, 7, 17}};
    std::vector<std::pair<void*, SIZE_T>> held;
    std::vector<void*> freed;
    for (const Wave& wave : waves) {
        for (int i = 0; i < wave.count; ++i) {
            const SIZE_T size = static_cast<SIZE_T>(1 + i % 61);
            void* p = CoTaskMemAlloc(size);
            ASSERT_TRUE(p);
            if (i % wave.freeEvery == 0) {
                CoTaskMemFree(p);
                freed.push_back(p);
            } else if (wave.growTo) {
                void* moved = CoTaskMemRealloc(p, wave.growTo);
                ASSERT_TRUE(moved);
                held.emplace_back(moved, wave.growTo);
            } else {
                held.emplace_back(p, size);
            }
        }
        for (const auto& [p, size] : held) {
            ASSERT_EQ(malloc->DidAlloc(p), 1);
            ASSERT_EQ(malloc->GetSize(p), size);
        }
    }
    EXPECT_EQ(com::testing::LiveTaskAllocations(), live + static_cast<long long>(held.size()));
    // A freed address no block holds now is refused (one may have been
    // handed out again, and is then live).
    std::set<void*> liveNow;
    for (const auto& entry : held)
        liveNow.insert(entry.first);
    long long refused = 0;
    for (void* p : freed)
        if (!liveNow.contains(p)) {
            EXPECT_EQ(malloc->DidAlloc(p), 0);
            EXPECT_EQ(malloc->GetSize(p), static_cast<SIZE_T>(-1));
            ++refused;
            if (refused <= 100)
                CoTaskMemFree(p); // a second free of a block: ignored, counted
        }
    EXPECT_EQ(com::testing::ForeignTaskFrees(), foreign + std::min<long long>(refused, 100));
    for (const auto& entry : held)
        CoTaskMemFree(entry.first);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), live);
    EXPECT_EQ(com::testing::ForeignTaskFrees(), foreign + std::min<long long>(refused, 100));
}

} // namespace

namespace {

std::size_t RefusedAbove = 0;

bool RefuseLarge(std::size_t size)
{
    return size <= RefusedAbove;
}

TEST(TaskAllocator, AHookMakesAllocationsFailAsAnExhaustedHeapWould)
{
    RefusedAbove = 64;
    com::testing::SetTaskAllocationHook(&RefuseLarge);
    com::ComPtr<IMalloc> malloc = ShellAllocator();
    void* small = CoTaskMemAlloc(16);
    ASSERT_NE(small, nullptr);
    std::memset(small, 0x5A, 16);
    struct Case {
        const char* what;
        void* result;
    };
    const Case cases[] = {
        {"CoTaskMemAlloc", CoTaskMemAlloc(65)},
        {"IMalloc::Alloc", malloc->Alloc(1000)},
        {"CoTaskMemRealloc", CoTaskMemRealloc(small, 65)},
        {"IMalloc::Realloc", malloc->Realloc(small, 4096)},
    };
    com::testing::SetTaskAllocationHook(nullptr);
    for (const Case& c : cases)
        EXPECT_EQ(c.result, nullptr) << c.what;
    // A refused resize leaves the block as it was.
    EXPECT_EQ(malloc->GetSize(small), 16u);
    EXPECT_EQ(static_cast<unsigned char*>(small)[15], 0x5A);
    CoTaskMemFree(small);
    void* again = CoTaskMemAlloc(65);
    EXPECT_NE(again, nullptr) << "the hook is gone";
    CoTaskMemFree(again);
}

} // namespace
