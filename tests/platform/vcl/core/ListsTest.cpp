#include "vcl/core/Lists.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/SafeSort.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace vcl;

namespace {

// Items are addresses inside one array, so a test can tell which is which.
struct Pool {
    std::vector<int> Values;
    explicit Pool(int n) : Values(static_cast<size_t>(n))
    {
        for (int i = 0; i < n; ++i)
            Values[static_cast<size_t>(i)] = i;
    }
    void* operator[](int i) { return &Values[static_cast<size_t>(i)]; }
};

int ValueOf(void* p)
{
    return *static_cast<int*>(p);
}

std::string ListErrorOf(auto&& action)
{
    try {
        action();
    } catch (const EListError& e) {
        return e.Message();
    }
    return "no EListError";
}

class RecordingList : public TList {
public:
    std::vector<std::pair<int, TListNotification>> Seen;

protected:
    void Notify(void* item, TListNotification action) override { Seen.emplace_back(ValueOf(item), action); }
};

std::vector<int> Contents(const TList& list)
{
    std::vector<int> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.Items(i) ? ValueOf(list.Items(i)) : -1);
    return out;
}

} // namespace

TEST(TListTest, BadIndexesRaiseListErrorWithTheIndex)
{
    Pool pool(4);
    TList list;
    EXPECT_EQ(ListErrorOf([&] { list.First(); }), "List index out of bounds (0)");
    EXPECT_EQ(ListErrorOf([&] { list.Last(); }), "List index out of bounds (-1)");
    list.Add(pool[0]);
    list.Add(pool[1]);
    EXPECT_EQ(ListErrorOf([&] { list.Items(2); }), "List index out of bounds (2)");
    EXPECT_EQ(ListErrorOf([&] { list.Items(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(ListErrorOf([&] { list.SetItems(5, pool[2]); }), "List index out of bounds (5)");
    EXPECT_EQ(ListErrorOf([&] { list.Insert(3, pool[2]); }), "List index out of bounds (3)");
    EXPECT_EQ(ListErrorOf([&] { list.Delete(2); }), "List index out of bounds (2)");
    EXPECT_EQ(ListErrorOf([&] { list.Exchange(0, 7); }), "List index out of bounds (7)");
    EXPECT_EQ(ListErrorOf([&] { list.Move(-3, 0); }), "List index out of bounds (-3)");
    EXPECT_EQ(ListErrorOf([&] { list.Move(1, 2); }), "List index out of bounds (2)");
    EXPECT_EQ(ListErrorOf([&] { list.SetCapacity(1); }), "List capacity out of bounds (1)");
    EXPECT_EQ(ListErrorOf([&] { list.SetCount(-1); }), "List count out of bounds (-1)");
    EXPECT_EQ(ListErrorOf([&] { list.SetCapacity(MaxListSize + 1); }),
              "List capacity out of bounds (" + std::to_string(MaxListSize + 1) + ")");
    // None of the failures changed the list.
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1}));
    list.Insert(2, pool[2]); // the end is a valid place to insert
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 2}));
}

TEST(TListTest, EditingKeepsOrderAndNotifiesNonNullItems)
{
    Pool pool(8);
    RecordingList list;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list.Add(pool[i]), i);
    list.Add(nullptr);
    EXPECT_EQ(list.Count(), 6);
    EXPECT_GE(list.Capacity(), 6);
    EXPECT_EQ(list.Seen.size(), 5u); // the null item is not announced

    list.Seen.clear();
    list.Insert(0, pool[7]);
    EXPECT_EQ(Contents(list), (std::vector<int>{7, 0, 1, 2, 3, 4, -1}));
    list.Move(0, 5);
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 2, 3, 4, 7, -1}));
    list.Move(4, 1);
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 4, 1, 2, 3, 7, -1}));
    list.Exchange(0, 5);
    EXPECT_EQ(Contents(list), (std::vector<int>{7, 4, 1, 2, 3, 0, -1}));
    EXPECT_EQ(list.IndexOf(pool[2]), 3);
    EXPECT_EQ(list.IndexOf(pool[6]), -1);
    EXPECT_EQ(list.Seen, (std::vector<std::pair<int, TListNotification>>{{7, lnAdded}}));

    list.Seen.clear();
    EXPECT_EQ(list.Extract(pool[1]), pool[1]);
    EXPECT_EQ(list.Extract(pool[6]), nullptr);
    EXPECT_EQ(list.Remove(pool[3]), 3);
    EXPECT_EQ(list.Remove(pool[3]), -1);
    list.SetItems(0, pool[5]);
    EXPECT_EQ(Contents(list), (std::vector<int>{5, 4, 2, 0, -1}));
    EXPECT_EQ(list.Seen, (std::vector<std::pair<int, TListNotification>>{
                             {1, lnExtracted}, {3, lnDeleted}, {7, lnDeleted}, {5, lnAdded}}));

    // Count grows with nulls, Pack drops them, a smaller Count deletes.
    list.Seen.clear();
    list.SetCount(7);
    EXPECT_EQ(Contents(list), (std::vector<int>{5, 4, 2, 0, -1, -1, -1}));
    list.Pack();
    EXPECT_EQ(Contents(list), (std::vector<int>{5, 4, 2, 0}));
    list.SetCount(2);
    EXPECT_EQ(Contents(list), (std::vector<int>{5, 4}));
    EXPECT_EQ(list.Seen, (std::vector<std::pair<int, TListNotification>>{{0, lnDeleted}, {2, lnDeleted}}));
    // Slots freed earlier must not come back as stale items.
    list.SetCount(4);
    EXPECT_EQ(Contents(list), (std::vector<int>{5, 4, -1, -1}));

    list.Seen.clear();
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(list.Seen, (std::vector<std::pair<int, TListNotification>>{{4, lnDeleted}, {5, lnDeleted}}));

    // Capacity is kept as asked and Expand makes room.
    list.SetCapacity(3);
    EXPECT_EQ(list.Capacity(), 3);
    list.SetCount(3);
    EXPECT_EQ(list.Expand(), &list);
    EXPECT_GT(list.Capacity(), 3);

    TList copy;
    copy.Add(pool[6]);
    copy.Assign(list);
    EXPECT_EQ(Contents(copy), Contents(list));
}

namespace {

std::mt19937 gRandom(12345);
int gCalls = 0;

int HonestCompare(void* a, void* b)
{
    // Keys are value / 4, so there are ties whose order must be kept.
    return ValueOf(a) / 4 - ValueOf(b) / 4;
}
int RandomCompare(void*, void*)
{
    return static_cast<int>(gRandom() % 3) - 1;
}
int AlwaysLess(void*, void*)
{
    return -1;
}
int AlwaysGreater(void*, void*)
{
    return 1;
}
// Rock, paper, scissors: a cycle, so no order exists.
int CyclicCompare(void* a, void* b)
{
    const int d = ((ValueOf(a) - ValueOf(b)) % 3 + 3) % 3;
    return d == 0 ? 0 : d == 1 ? 1 : -1;
}
// Answers differently each time it is asked the same question.
int FlipFlopCompare(void* a, void* b)
{
    return (++gCalls % 2 ? 1 : -1) * (ValueOf(a) - ValueOf(b));
}
int ThrowingCompare(void* a, void* b)
{
    if (++gCalls == 40)
        throw EListError("comparator gave up");
    return ValueOf(a) - ValueOf(b);
}

} // namespace

TEST(TListTest, SortSurvivesLyingComparatorsAndSortsWithHonestOnes)
{
    const TListSortCompare liars[] = {RandomCompare, AlwaysLess, AlwaysGreater, CyclicCompare,
                                      FlipFlopCompare};
    std::vector<int> sizes;
    for (int n = 0; n <= 70; ++n)
        sizes.push_back(n);
    for (int n : {127, 128, 129, 255, 256, 257, 1000, 4099})
        sizes.push_back(n);

    for (int n : sizes) {
        Pool pool(n);
        std::vector<int> order(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            order[static_cast<size_t>(i)] = i;
        std::shuffle(order.begin(), order.end(), gRandom);

        for (TListSortCompare liar : liars) {
            TList list;
            for (int i : order)
                list.Add(pool[i]);
            list.Sort(liar);
            // Whatever the order, every item is still there exactly once.
            std::vector<int> got = Contents(list);
            std::sort(got.begin(), got.end());
            std::vector<int> all(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i)
                all[static_cast<size_t>(i)] = i;
            ASSERT_EQ(got, all) << "size " << n;
        }

        TList list;
        for (int i : order)
            list.Add(pool[i]);
        list.Sort(HonestCompare);
        const std::vector<int> sorted = Contents(list);
        std::vector<size_t> addedAt(static_cast<size_t>(n));
        for (size_t i = 0; i < order.size(); ++i)
            addedAt[static_cast<size_t>(order[i])] = i;
        for (size_t i = 1; i < sorted.size(); ++i) {
            const auto a = static_cast<size_t>(sorted[i - 1]);
            const auto b = static_cast<size_t>(sorted[i]);
            ASSERT_LE(sorted[i - 1] / 4, sorted[i] / 4) << "size " << n;
            // Stable: ties keep the order they were added in.
            if (sorted[i - 1] / 4 == sorted[i] / 4) {
                ASSERT_LT(addedAt[a], addedAt[b]) << "size " << n;
            }
        }
    }
}

TEST(TListTest, SortThatRaisesLeavesTheListAsItWas)
{
    Pool pool(300);
    TList list;
    for (int i = 299; i >= 0; --i)
        list.Add(pool[i]);
    const std::vector<int> before = Contents(list);
    gCalls = 0;
    EXPECT_THROW(list.Sort(ThrowingCompare), EListError);
    EXPECT_EQ(Contents(list), before);
    EXPECT_THROW(list.Sort(nullptr), EListError);

    // The generic sort serves other containers the same way.
    std::vector<std::string> words{"pear", "fig", "apple", "kiwi", "banana"};
    SafeSort(words.data(), words.size(),
             [](const std::string& a, const std::string& b) { return a.compare(b); });
    EXPECT_EQ(words, (std::vector<std::string>{"apple", "banana", "fig", "kiwi", "pear"}));
}

namespace {

// A descendant whose Grow makes no room (or gives some back): the list must
// still find room for what is added, never write past its storage.
class StingyList : public TList {
public:
    int GrowCalls = 0;

protected:
    void Grow() override { ++GrowCalls; }
};

class ShrinkingList : public TList {
protected:
    void Grow() override { SetCapacity(Count()); }
};

} // namespace

TEST(TListTest, AddAndInsertFindRoomWhateverGrowDoes)
{
    Pool pool(40);
    StingyList stingy;
    for (int i = 0; i < 20; ++i)
        stingy.Add(pool[i]);
    for (int i = 20; i < 30; ++i)
        stingy.Insert(0, pool[i]);
    stingy.Expand()->Add(pool[30]);
    EXPECT_EQ(stingy.Count(), 31);
    EXPECT_GE(stingy.Capacity(), stingy.Count());
    EXPECT_GT(stingy.GrowCalls, 0) << "Grow is still asked first";
    EXPECT_EQ(ValueOf(stingy.First()), 29);
    EXPECT_EQ(ValueOf(stingy.Last()), 30);

    ShrinkingList shrinking;
    for (int i = 0; i < 40; ++i) {
        if (i % 2)
            shrinking.Add(pool[i]);
        else
            shrinking.Insert(0, pool[i]);
    }
    EXPECT_EQ(shrinking.Count(), 40);
    std::vector<int> got = Contents(shrinking);
    std::sort(got.begin(), got.end());
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(got[static_cast<size_t>(i)], i);
}
