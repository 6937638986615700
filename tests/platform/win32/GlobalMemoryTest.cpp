#include "win32/GlobalMemory.h"
#include "win32/Errors.h"
#include "win32/GlobalMemoryTesting.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

namespace {

bool AllZero(const void* p, SIZE_T n)
{
    const auto* bytes = static_cast<const unsigned char*>(p);
    for (SIZE_T i = 0; i < n; ++i)
        if (bytes[i])
            return false;
    return true;
}

struct KindCase {
    const char* Name;
    UINT Flags;
    bool HandleIsAddress;
    bool Zeroed;
};

class GlobalBlockKinds : public testing::TestWithParam<KindCase> {};

TEST_P(GlobalBlockKinds, AllocLockSizeFree)
{
    const KindCase& kind = GetParam();
    const std::size_t live = win32::testing::LiveGlobalAllocations();
    HGLOBAL block = GlobalAlloc(kind.Flags, 100);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(win32::testing::LiveGlobalAllocations(), live + 1);
    EXPECT_EQ(GlobalSize(block), 100u);

    void* p = GlobalLock(block);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p == static_cast<void*>(block), kind.HandleIsAddress);
    if (kind.Zeroed) {
        EXPECT_TRUE(AllZero(p, 100));
    }
    std::memset(p, 0x5A, 100);
    // Locked twice: the second unlock ends the lock of a moveable block.
    EXPECT_EQ(GlobalLock(block), p);
    EXPECT_EQ(GlobalUnlock(block), kind.HandleIsAddress ? FALSE : TRUE);
    SetLastError(ERROR_INVALID_DATA);
    EXPECT_EQ(GlobalUnlock(block), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(win32::testing::LiveGlobalAllocations(), live);
}

INSTANTIATE_TEST_SUITE_P(Kinds, GlobalBlockKinds,
                         testing::Values(KindCase{"Fixed", GMEM_FIXED, true, false},
                                         KindCase{"Gptr", GPTR, true, true},
                                         KindCase{"Moveable", GMEM_MOVEABLE, false, false},
                                         KindCase{"Ghnd", GHND, false, true},
                                         KindCase{"Shared", GHND | GMEM_SHARE, false, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(GlobalMemory, EmptyBlocksAreDistinctAndFree)
{
    HGLOBAL a = GlobalAlloc(GHND, 0);
    HGLOBAL b = GlobalAlloc(GHND, 0);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_EQ(GlobalSize(a), 0u);
    EXPECT_EQ(GlobalFree(a), nullptr);
    EXPECT_EQ(GlobalFree(b), nullptr);
}

TEST(GlobalMemory, HandlesThatAreNotLiveBlocksAreRefusedSafely)
{
    HGLOBAL moveable = GlobalAlloc(GHND, 8);
    HGLOBAL fixed = GlobalAlloc(GPTR, 8);
    ASSERT_TRUE(moveable && fixed);
    ASSERT_EQ(GlobalFree(moveable), nullptr);
    ASSERT_EQ(GlobalFree(fixed), nullptr);

    int onStack = 0;
    const HGLOBAL made = reinterpret_cast<HGLOBAL>(static_cast<std::uintptr_t>(0x0F00000100000001ull));
    for (HGLOBAL bad : {moveable, fixed, reinterpret_cast<HGLOBAL>(&onStack), made}) {
        SetLastError(0);
        EXPECT_EQ(GlobalFree(bad), bad); // freed twice, or never ours
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_EQ(GlobalLock(bad), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_EQ(GlobalUnlock(bad), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_EQ(GlobalSize(bad), 0u);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_EQ(GlobalReAlloc(bad, 16, GMEM_MOVEABLE), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST(GlobalMemory, UnlockingAnUnlockedBlockSaysSo)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
    ASSERT_TRUE(block);
    SetLastError(0);
    EXPECT_EQ(GlobalUnlock(block), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
    ASSERT_TRUE(GlobalLock(block));
    // A block still locked is freed all the same.
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, UnknownFlagsAreRefused)
{
    const std::size_t live = win32::testing::LiveGlobalAllocations();
    for (UINT flags : {GMEM_MODIFY, 0x8000u, GHND | 0x10000u}) {
        SetLastError(0);
        EXPECT_EQ(GlobalAlloc(flags, 4), nullptr) << flags;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(win32::testing::LiveGlobalAllocations(), live);
}

TEST(GlobalMemory, AnImpossibleSizeIsAnExhaustedHeap)
{
    SetLastError(0);
    EXPECT_EQ(GlobalAlloc(GHND, ~SIZE_T{0}), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
}

TEST(GlobalMemory, FailureHookFailsExactlyTheChosenAllocation)
{
    const std::size_t live = win32::testing::LiveGlobalAllocations();
    win32::testing::FailGlobalAllocation();
    SetLastError(0);
    EXPECT_EQ(GlobalAlloc(GHND, 8), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(win32::testing::LiveGlobalAllocations(), live);
    HGLOBAL again = GlobalAlloc(GHND, 8); // once failed, the heap behaves
    ASSERT_TRUE(again);

    win32::testing::FailGlobalAllocation(1);
    HGLOBAL first = GlobalAlloc(GPTR, 8);
    EXPECT_TRUE(first);
    EXPECT_EQ(GlobalAlloc(GPTR, 8), nullptr);
    EXPECT_FALSE(win32::testing::CancelGlobalAllocationFailure());

    win32::testing::FailGlobalAllocation();
    EXPECT_TRUE(win32::testing::CancelGlobalAllocationFailure());
    HGLOBAL afterCancel = GlobalAlloc(GHND, 8);
    EXPECT_TRUE(afterCancel);
    for (HGLOBAL block : {again, first, afterCancel})
        EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, ReAllocKeepsContentAndZeroesGrowth)
{
    for (UINT kind : {GMEM_FIXED, GMEM_MOVEABLE}) {
        HGLOBAL block = GlobalAlloc(kind, 4);
        ASSERT_TRUE(block);
        std::memcpy(GlobalLock(block), "abcd", 4);
        GlobalUnlock(block);
        HGLOBAL grown = GlobalReAlloc(block, 64, GMEM_MOVEABLE | GMEM_ZEROINIT);
        ASSERT_TRUE(grown) << kind;
        if (kind == GMEM_MOVEABLE) {
            EXPECT_EQ(grown, block); // the handle stays, the address may not
        }
        EXPECT_EQ(GlobalSize(grown), 64u);
        const auto* p = static_cast<const char*>(GlobalLock(grown));
        EXPECT_EQ(std::memcmp(p, "abcd", 4), 0);
        EXPECT_TRUE(AllZero(p + 4, 60));
        GlobalUnlock(grown);
        EXPECT_EQ(GlobalReAlloc(grown, 2, 0), grown); // shrinks in place
        EXPECT_EQ(GlobalSize(grown), 2u);
        EXPECT_EQ(GlobalFree(grown), nullptr);
    }
}

TEST(GlobalMemory, ReAllocThatMayNotMoveFailsAndKeepsTheBlock)
{
    // A fixed block without GMEM_MOVEABLE, and a locked moveable one.
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 4);
    HGLOBAL locked = GlobalAlloc(GMEM_MOVEABLE, 4);
    ASSERT_TRUE(fixed && locked);
    void* lockedAt = GlobalLock(locked);
    for (HGLOBAL block : {fixed, locked}) {
        SetLastError(0);
        EXPECT_EQ(GlobalReAlloc(block, 1 << 20, 0), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
        EXPECT_EQ(GlobalSize(block), 4u);
    }
    EXPECT_EQ(GlobalLock(locked), lockedAt);

    win32::testing::FailGlobalAllocation();
    EXPECT_EQ(GlobalReAlloc(fixed, 1 << 20, GMEM_MOVEABLE), nullptr);
    EXPECT_EQ(GlobalSize(fixed), 4u);
    EXPECT_EQ(GlobalFree(fixed), nullptr);
    EXPECT_EQ(GlobalFree(locked), nullptr);
}

} // namespace
