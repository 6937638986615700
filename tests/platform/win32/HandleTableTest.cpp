#include "win32/HandleTable.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using IconTable = win32::HandleTable<HICON, std::string>;

std::string Read(const IconTable& table, HICON h)
{
    std::string seen = "<stale>";
    table.Read(h, [&](const std::string& s) { seen = s; });
    return seen;
}

TEST(HandleTable, StaleHandlesAreRefusedAndReusedSlotsKeepTheirOwnMail)
{
    IconTable table(win32::HandleKind::Icon);
    EXPECT_FALSE(table.IsValid(nullptr));
    EXPECT_FALSE(table.IsValid(static_cast<HICON>(INVALID_HANDLE_VALUE)));

    const HICON first = table.Insert("first");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Read(table, first), "first");
    EXPECT_EQ(table.Size(), 1u);

    ASSERT_TRUE(table.Remove(first));
    EXPECT_FALSE(table.IsValid(first));
    EXPECT_FALSE(table.Remove(first)) << "a second removal must be refused";
    EXPECT_EQ(table.Size(), 0u);

    // The freed slot is reused, under a new generation.
    const HICON second = table.Insert("second");
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(Read(table, first), "<stale>");
    EXPECT_FALSE(table.Modify(first, [](std::string& s) { s = "meant for the first owner"; }));
    EXPECT_EQ(Read(table, second), "second");
    EXPECT_FALSE(table.Get(first).has_value());
    EXPECT_FALSE(table.Take(first).has_value());
    EXPECT_EQ(table.Size(), 1u);

    // Forged values: the right slot index with other generations or tags.
    const auto value = reinterpret_cast<std::uintptr_t>(second);
    for (std::uintptr_t flip : {std::uintptr_t{1} << 32, std::uintptr_t{1} << 40, std::uintptr_t{1} << 56,
                                std::uintptr_t{0xFFFFFFFF}, std::uintptr_t{1}})
        EXPECT_FALSE(table.IsValid(reinterpret_cast<HICON>(value ^ flip))) << std::hex << flip;

    auto taken = table.Take(second);
    ASSERT_TRUE(taken.has_value());
    EXPECT_EQ(*taken, "second");
    EXPECT_FALSE(table.IsValid(second));
}

TEST(HandleTable, ASlotWhoseGenerationsAreUsedUpIsRetired)
{
    // Three bits of generation: a slot serves seven owners, then never again.
    win32::HandleTable<HICON, int, 3> table(win32::HandleKind::Icon);
    std::set<HICON> issued;
    for (int i = 0; i < 7; ++i) {
        const HICON h = table.Insert(i);
        ASSERT_TRUE(issued.insert(h).second);
        ASSERT_TRUE(table.Remove(h));
    }
    const HICON next = table.Insert(7);
    ASSERT_NE(next, nullptr);
    EXPECT_FALSE(issued.count(next)) << "a retired slot was reused";
    for (HICON old : issued)
        EXPECT_FALSE(table.IsValid(old));
    EXPECT_TRUE(table.IsValid(next));
}

TEST(HandleTable, HandlesOfOneKindAreInvalidInAnother)
{
    win32::HandleTable<HANDLE, int> kernel(win32::HandleKind::Kernel);
    win32::HandleTable<HANDLE, int> global(win32::HandleKind::GlobalMemory);
    const HANDLE k = kernel.Insert(1);
    const HANDLE g = global.Insert(2);
    ASSERT_TRUE(k && g);
    EXPECT_TRUE(kernel.IsValid(k));
    EXPECT_FALSE(kernel.IsValid(g));
    EXPECT_FALSE(global.IsValid(k));
    EXPECT_GT(reinterpret_cast<std::intptr_t>(k), 0) << "handles stay positive as LPARAM";
}

TEST(HandleTable, ManyHandlesAreDistinctAndTheQuotaHolds)
{
    IconTable table(win32::HandleKind::Icon, 5000);
    std::vector<HICON> handles;
    std::set<HICON> distinct;
    for (int i = 0; i < 5000; ++i) {
        handles.push_back(table.Insert(std::to_string(i)));
        ASSERT_NE(handles.back(), nullptr) << i;
        distinct.insert(handles.back());
    }
    EXPECT_EQ(distinct.size(), 5000u);
    EXPECT_EQ(table.Insert("one too many"), nullptr);

    // Free every other one, then fill again: no old handle may come back.
    for (int i = 0; i < 5000; i += 2)
        ASSERT_TRUE(table.Remove(handles[static_cast<size_t>(i)]));
    for (int i = 0; i < 2500; ++i) {
        const HICON h = table.Insert("again");
        ASSERT_NE(h, nullptr);
        EXPECT_FALSE(distinct.count(h)) << "a stale handle was issued again";
    }
    for (int i = 1; i < 5000; i += 2)
        EXPECT_EQ(Read(table, handles[static_cast<size_t>(i)]), std::to_string(i));
    for (int i = 0; i < 5000; i += 2)
        EXPECT_FALSE(table.IsValid(handles[static_cast<size_t>(i)]));

    int visited = 0;
    std::set<HICON> seen;
    table.ForEach([&](HICON h, const std::string&) {
        seen.insert(h);
        ++visited;
    });
    EXPECT_TRUE(seen.count(handles[1]));
    EXPECT_FALSE(seen.count(handles[0]));
    EXPECT_EQ(visited, 5000);
    EXPECT_EQ(table.RemoveIf([](const std::string& s) { return s == "again"; }), 2500u);
    EXPECT_EQ(table.Size(), 2500u);
}

TEST(HandleTable, RecordsAreDestroyedWhenRemovedOrWithTheTable)
{
    auto probe = std::make_shared<int>(7);
    {
        win32::HandleTable<HBITMAP, std::shared_ptr<int>> table(win32::HandleKind::Bitmap);
        const HBITMAP a = table.Insert(probe);
        table.Insert(probe);
        EXPECT_EQ(probe.use_count(), 3);
        table.Remove(a);
        EXPECT_EQ(probe.use_count(), 2);
    }
    EXPECT_EQ(probe.use_count(), 1);
}

TEST(HandleTable, ConcurrentUseNeverReachesAStaleRecord)
{
    struct Box {
        HICON self;
        int writes;
    };
    win32::HandleTable<HICON, Box> table(win32::HandleKind::Icon);
    std::atomic<int> misdelivered{0};
    std::atomic<int> delivered{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            std::vector<HICON> mine;
            for (int i = 0; i < 2000; ++i) {
                const HICON h = table.Insert(Box{nullptr, 0});
                table.Modify(h, [&](Box& b) { b.self = h; });
                mine.push_back(h);
                // Write through an old handle (maybe freed, maybe its slot reused
                // by another thread): the record reached must be that handle's own.
                const HICON target = mine[static_cast<size_t>(i) / 2];
                if (table.Modify(target, [&](Box& b) {
                        if (b.self != target)
                            ++misdelivered;
                        ++b.writes;
                    }))
                    ++delivered;
                if (i % 3 == 0) {
                    table.Remove(mine[static_cast<size_t>(i) / 3]);
                }
            }
            for (HICON h : mine)
                table.Remove(h);
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(misdelivered.load(), 0);
    EXPECT_GT(delivered.load(), 0);
    EXPECT_EQ(table.Size(), 0u);
}

} // namespace
