// Item id list containers: TKwIdListArray over hand-built lists, and
// TKwPidlList in byte order and in the order of folders that misbehave.

#include "IdListTestSupport.h"

#include "UKwShellUtils.h"

#include "com/ComObject.h"
#include "com/ComTesting.h"
#include "com/TaskAllocator.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace kw;
using kwtest::BytesOf;
using kwtest::ComparingFolder;
using kwtest::ListBytes;
using kwtest::MakeList;
using kwtest::OrderResult;
using kwtest::OwnedList;

namespace {

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const vcl::Exception& e) {
        return e.ClassName() + ": " + e.Message();
    }
    return "no exception";
}

// The task allocator, noting every block it is asked to free.
class RecordingMalloc : public com::ComObject<IMalloc> {
public:
    std::vector<void*> Freed;
    void* Alloc(SIZE_T size) override { return CoTaskMemAlloc(size); }
    void* Realloc(void* p, SIZE_T size) override { return CoTaskMemRealloc(p, size); }
    void Free(void* p) override
    {
        Freed.push_back(p);
        CoTaskMemFree(p);
    }
    SIZE_T GetSize(void*) override { return static_cast<SIZE_T>(-1); }
    int DidAlloc(void*) override { return -1; }
    void HeapMinimize() override {}
};

} // namespace

TEST(IdListArray, ItemsAndAncestorsOfThreeItems)
{
    OwnedList source = MakeList({"home", "docs", "a.txt"});
    TKwIdListArray array(source.Get());
    EXPECT_EQ(array.GetCount(), 3);
    EXPECT_EQ(BytesOf(array.GetItem(0)), ListBytes({"home"}));
    EXPECT_EQ(BytesOf(array.GetItem(2)), ListBytes({"a.txt"}));
    EXPECT_EQ(BytesOf(array.Items(1)), ListBytes({"docs"}));
    EXPECT_EQ(MessageOf([&] { array.GetItem(3); }), "Exception: TKwIdListArray - index 3 out of range");
    EXPECT_EQ(MessageOf([&] { array.GetItem(-1); }), "Exception: TKwIdListArray - index -1 out of range");

    EXPECT_EQ(BytesOf(array.GoUp(0)), BytesOf(source.Get()));
    EXPECT_EQ(BytesOf(array.GoUp(1)), ListBytes({"home", "docs"}));
    EXPECT_EQ(BytesOf(array.GoUp(3)), ListBytes({}));
    EXPECT_EQ(array.GoUp(4), nullptr);
    EXPECT_EQ(array.GoUp(-1), nullptr);
    // The source is the caller's and stays as it was.
    EXPECT_EQ(BytesOf(source.Get()), ListBytes({"home", "docs", "a.txt"}));

    // Only the last result is held.
    const long long before = com::testing::LiveTaskAllocations();
    array.GetItem(0);
    array.GetItem(1);
    array.GoUp(2);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), before + 1);
    array.GoUp(4);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), before);
}

TEST(IdListArray, EmptyAndNullSources)
{
    OwnedList empty = MakeList({});
    TKwIdListArray overEmpty(empty.Get());
    EXPECT_EQ(overEmpty.GetCount(), 0);
    EXPECT_EQ(BytesOf(overEmpty.GetItem(0)), ListBytes({}));
    EXPECT_EQ(overEmpty.GetItem(1), nullptr);
    EXPECT_EQ(BytesOf(overEmpty.GoUp(0)), ListBytes({}));
    EXPECT_EQ(overEmpty.GoUp(1), nullptr);

    TKwIdListArray overNull(nullptr);
    EXPECT_EQ(overNull.GetCount(), 0);
    EXPECT_EQ(MessageOf([&] { overNull.GetItem(0); }), "Exception: TKwIdListArray - index 0 out of range");
    EXPECT_EQ(overNull.GoUp(0), nullptr);
}

TEST(IdListArray, WalksADeepPathDownAndUp)
{
    // 300 levels with names of every length from 0 to 299 bytes, so counts
    // fall on odd addresses and pass 0xFF.
    constexpr int depth = 300;
    std::vector<std::string> names;
    OwnedList path = MakeList({});
    for (int level = 0; level < depth; ++level) {
        names.push_back(std::string(static_cast<size_t>(level), static_cast<char>('a' + level % 26)));
        OwnedList item = MakeList({names.back()});
        path = OwnedList(ConcatIdLists(nullptr, path.Get(), item.Get()));
        ASSERT_TRUE(path);
    }
    TKwIdListArray array(path.Get());
    ASSERT_EQ(array.GetCount(), depth);

    // Down: each item alone, joined again, gives each ancestor.
    OwnedList walked = MakeList({});
    for (int level = 0; level < depth; ++level) {
        PItemIDList item = array.GetItem(level);
        ASSERT_EQ(BytesOf(item), ListBytes({names[static_cast<size_t>(level)]}));
        walked = OwnedList(ConcatIdLists(nullptr, walked.Get(), item));
        EXPECT_EQ(BytesOf(array.GoUp(depth - level - 1)), BytesOf(walked.Get())) << level;
    }
    EXPECT_EQ(BytesOf(walked.Get()), BytesOf(path.Get()));

    // Up: every ancestor is the one before it less its last item.
    for (int levels = 1; levels <= depth; ++levels) {
        OwnedList ancestor(CopyIdList(nullptr, array.GoUp(levels)));
        TKwIdListArray ofAncestor(ancestor.Get());
        EXPECT_EQ(ofAncestor.GetCount(), depth - levels);
    }
}

TEST(PidlList, SortedAddWithEachDuplicatesPolicy)
{
    OwnedList a = MakeList({"a"});
    OwnedList b = MakeList({"b"});
    OwnedList c = MakeList({"c"});
    OwnedList b2 = MakeList({"b"});
    OwnedList parent = MakeList({"b", "x"}); // sorts after its own prefix "b"
    vcl::TObject first, second;

    TKwPidlList list;
    EXPECT_EQ(list.Duplicates(), kwdupError);
    EXPECT_FALSE(list.Sorted());
    list.SetSorted(true);
    EXPECT_EQ(list.AddObject(c.Get(), nullptr), 0);
    EXPECT_EQ(list.AddObject(a.Get(), nullptr), 0);
    EXPECT_EQ(list.AddObject(b.Get(), &first), 1);
    EXPECT_EQ(list.Add(parent.Get()), 2);
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.GetPIDL(0), a.Get());
    EXPECT_EQ(list.GetPIDL(1), b.Get());
    EXPECT_EQ(list.GetPIDL(2), parent.Get());
    EXPECT_EQ(list.GetPIDL(3), c.Get());

    EXPECT_EQ(MessageOf([&] { list.Add(b2.Get()); }), "Exception: TKwPidlList: Duplicate PIDL");
    EXPECT_EQ(list.GetCount(), 4);

    list.SetDuplicates(kwdupIgnore);
    EXPECT_EQ(list.AddObject(b2.Get(), &second), 1);
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.GetObject(1), &first);

    list.SetDuplicates(kwdupAccept);
    EXPECT_EQ(list.AddObject(b2.Get(), &second), 1);
    ASSERT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetObject(1), &second); // in front of the equal one
    EXPECT_EQ(list.GetObject(2), &first);
    // A third equal one goes in front of both.
    EXPECT_EQ(list.Add(b.Get()), 1);
    EXPECT_EQ(list.GetObject(2), &second);
}

TEST(PidlList, FindInSortedAndUnsortedLists)
{
    TKwPidlList list;
    int index = 42;
    EXPECT_FALSE(list.BinarySearch(nullptr, index));
    EXPECT_EQ(index, 0);
    OwnedList missing = MakeList({"zz"});
    EXPECT_EQ(list.IndexOf(missing.Get()), -1);

    std::vector<OwnedList> items;
    for (const char* name : {"m", "c", "x", "a", "q"})
        items.push_back(MakeList({name}));
    for (const OwnedList& item : items)
        list.Add(item.Get());
    // Unsorted: kept in insertion order, found by a walk.
    EXPECT_EQ(list.GetPIDL(0), items[0].Get());
    OwnedList q = MakeList({"q"});
    EXPECT_EQ(list.IndexOf(q.Get()), 4);
    index = 42;
    EXPECT_FALSE(list.LinearSearch(missing.Get(), index));
    EXPECT_EQ(index, 42);

    list.SetSorted(true);
    std::vector<std::string> order;
    for (int i = 0; i < list.GetCount(); ++i)
        order.push_back(BytesOf(list.GetPIDL(i)).substr(2, 1));
    EXPECT_EQ(order, (std::vector<std::string>{"a", "c", "m", "q", "x"}));
    EXPECT_EQ(list.IndexOf(q.Get()), 3);
    EXPECT_FALSE(list.BinarySearch(missing.Get(), index));
    EXPECT_EQ(index, 5);
    OwnedList b = MakeList({"b"});
    EXPECT_FALSE(list.BinarySearch(b.Get(), index));
    EXPECT_EQ(index, 1);
}

TEST(PidlList, DeleteAndClearFreeOnlyWithAnOwningAllocator)
{
    const long long before = com::testing::LiveTaskAllocations();
    const long long foreignBefore = com::testing::ForeignTaskFrees();
    {
        TKwPidlList owning;
        owning.SetMalloc(ShellIMalloc());
        for (const char* name : {"a", "b", "c", "d"})
            owning.Add(MakeList({name}).Release());
        EXPECT_EQ(com::testing::LiveTaskAllocations(), before + 4);
        owning.Delete(1);
        EXPECT_EQ(owning.GetCount(), 3);
        EXPECT_EQ(com::testing::LiveTaskAllocations(), before + 3);
        owning.Clear();
        EXPECT_EQ(owning.GetCount(), 0);
        EXPECT_EQ(com::testing::LiveTaskAllocations(), before);
        owning.Add(MakeList({"e"}).Release());
    } // the destructor frees what is left
    EXPECT_EQ(com::testing::LiveTaskAllocations(), before);

    // The lists go back through the allocator the container was given,
    // Clear's in ascending order, each once.
    auto recording = com::MakeComObject<RecordingMalloc>();
    {
        TKwPidlList owning;
        owning.SetMalloc(recording.Get());
        std::vector<PItemIDList> added;
        for (const char* name : {"p", "q", "r", "s"}) {
            added.push_back(MakeList({name}).Release());
            owning.Add(added.back());
        }
        owning.Delete(2);
        EXPECT_EQ(recording->Freed, (std::vector<void*>{added[2]}));
        owning.Clear();
        EXPECT_EQ(recording->Freed, (std::vector<void*>{added[2], added[0], added[1], added[3]}));
        owning.Add(MakeList({"t"}).Release());
        owning.SetMalloc(nullptr); // the last list is the caller's again
        added.push_back(owning.GetPIDL(0));
        owning.Delete(0);
        EXPECT_EQ(recording->Freed.size(), 4u);
        ShellMemFree(added.back());
    }
    EXPECT_EQ(com::testing::LiveTaskAllocations(), before);

    OwnedList kept1 = MakeList({"k1"});
    OwnedList kept2 = MakeList({"k2"});
    {
        TKwPidlList borrowing;
        borrowing.Add(kept1.Get());
        borrowing.Add(kept2.Get());
        borrowing.Add(nullptr);
        borrowing.Delete(0);
        EXPECT_EQ(com::testing::LiveTaskAllocations(), before + 2);
        borrowing.Clear();
        borrowing.Add(kept2.Get());
    }
    EXPECT_EQ(com::testing::LiveTaskAllocations(), before + 2);
    EXPECT_EQ(BytesOf(kept1.Get()), ListBytes({"k1"}));
    // Nothing was freed twice.
    EXPECT_EQ(com::testing::ForeignTaskFrees(), foreignBefore);
}

TEST(PidlList, IndexErrorsAreTheListsOwn)
{
    TKwPidlList list;
    OwnedList a = MakeList({"a"});
    list.Add(a.Get());
    EXPECT_EQ(MessageOf([&] { list.GetPIDL(1); }), "EListError: List index out of bounds (1)");
    EXPECT_EQ(MessageOf([&] { list.GetObject(-1); }), "EListError: List index out of bounds (-1)");
    EXPECT_EQ(MessageOf([&] { list.SetPIDL(1, nullptr); }), "EListError: List index out of bounds (1)");
    EXPECT_EQ(MessageOf([&] { list.SetObject(2, nullptr); }), "EListError: List index out of bounds (2)");
    EXPECT_EQ(MessageOf([&] { list.Delete(1); }), "EListError: List index out of bounds (1)");
    EXPECT_EQ(MessageOf([&] { list.InsertObject(2, nullptr, nullptr); }),
              "EListError: List index out of bounds (2)");
    EXPECT_EQ(MessageOf([&] { list.SetCapacity(0); }), "EListError: List capacity out of bounds (0)");
    // Insert at the end is allowed and checks nothing else.
    list.Insert(1, a.Get());
    EXPECT_EQ(list.GetCount(), 2);

    // The capacity is the entry list's: what is set is what is read, never
    // below the count and never above the framework list's largest size.
    list.SetCapacity(100);
    EXPECT_EQ(list.GetCapacity(), 100);
    list.SetCapacity(10);
    EXPECT_EQ(list.GetCapacity(), 10);
    list.SetCapacity(2);
    EXPECT_EQ(list.GetCapacity(), 2);
    EXPECT_EQ(MessageOf([&] { list.SetCapacity(vcl::MaxListSize + 1); }),
              "EListError: List capacity out of bounds (" + std::to_string(vcl::MaxListSize + 1) + ")");
    EXPECT_EQ(MessageOf([&] { list.SetCapacity(INT_MAX); }),
              "EListError: List capacity out of bounds (" + std::to_string(INT_MAX) + ")");
    EXPECT_EQ(list.GetCapacity(), 2);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetPIDL(1), a.Get());
}

TEST(PidlList, FolderOrderAndItsFailures)
{
    std::vector<OwnedList> items;
    for (const char* name : {"d", "b", "e", "a", "c"})
        items.push_back(MakeList({name}));

    // The folder's order decides, read from the low 16 bits as signed.
    auto reverse = com::MakeComObject<ComparingFolder>(
        [](LPCITEMIDLIST x, LPCITEMIDLIST y) { return OrderResult(BytesOf(y).compare(BytesOf(x))); });
    TKwPidlList byFolder;
    byFolder.SetShellFolder(reverse.Get());
    for (const OwnedList& item : items)
        byFolder.Add(item.Get());
    byFolder.SetSorted(true);
    EXPECT_EQ(BytesOf(byFolder.GetPIDL(0)), ListBytes({"e"}));
    EXPECT_EQ(BytesOf(byFolder.GetPIDL(4)), ListBytes({"a"}));
    EXPECT_GT(reverse->Calls, 0);

    // A folder whose comparison always fails: the bytes decide, so every
    // entry is still found where a sorted search looks for it.
    auto failing = com::MakeComObject<ComparingFolder>([](LPCITEMIDLIST, LPCITEMIDLIST) { return E_FAIL; });
    TKwPidlList withFailures;
    withFailures.SetShellFolder(failing.Get());
    withFailures.SetSorted(true);
    for (const OwnedList& item : items)
        withFailures.Add(item.Get());
    EXPECT_EQ(withFailures.GetCount(), 5);
    for (const OwnedList& item : items)
        EXPECT_GE(withFailures.IndexOf(item.Get()), 0);
    EXPECT_EQ(BytesOf(withFailures.GetPIDL(0)), ListBytes({"a"}));
    OwnedList duplicate = MakeList({"c"});
    EXPECT_EQ(MessageOf([&] { withFailures.Add(duplicate.Get()); }),
              "Exception: TKwPidlList: Duplicate PIDL");
}

TEST(PidlList, SortAndSearchSurviveAComparisonThatLies)
{
    std::vector<OwnedList> items;
    for (int i = 0; i < 500; ++i)
        items.push_back(MakeList({std::to_string(i)}));
    std::mt19937 random(7);
    auto liar = com::MakeComObject<ComparingFolder>([&](LPCITEMIDLIST, LPCITEMIDLIST) {
        const int roll = static_cast<int>(random() % 4);
        return roll == 3 ? E_FAIL : OrderResult(roll - 1);
    });
    TKwPidlList list;
    list.SetShellFolder(liar.Get());
    list.SetDuplicates(kwdupAccept);
    for (const OwnedList& item : items)
        list.Add(item.Get());
    list.SetSorted(true);
    for (int round = 0; round < 3; ++round)
        list.Sort();
    for (const OwnedList& item : items)
        list.AddObject(item.Get(), nullptr);
    for (const OwnedList& item : items) {
        const int index = list.IndexOf(item.Get());
        EXPECT_GE(index, -1);
        EXPECT_LT(index, list.GetCount());
    }
    // Whatever the order, every list is there exactly twice.
    std::vector<PItemIDList> held;
    for (int i = 0; i < list.GetCount(); ++i)
        held.push_back(list.GetPIDL(i));
    std::sort(held.begin(), held.end());
    std::vector<PItemIDList> expected;
    for (const OwnedList& item : items)
        expected.insert(expected.end(), 2, item.Get());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(held, expected);

    // A comparison that raises leaves the entries as they were.
    auto raising = com::MakeComObject<ComparingFolder>(
        [](LPCITEMIDLIST, LPCITEMIDLIST) -> HRESULT { throw vcl::Exception("compare failed"); });
    TKwPidlList unsorted;
    for (const OwnedList& item : items)
        unsorted.Add(item.Get());
    unsorted.SetShellFolder(raising.Get());
    EXPECT_THROW(unsorted.Sort(), vcl::Exception);
    for (int i = 0; i < unsorted.GetCount(); ++i)
        ASSERT_EQ(unsorted.GetPIDL(i), items[static_cast<size_t>(i)].Get());
}

TEST(PidlList, AComparisonThatChangesTheListLeavesItWhole)
{
    std::vector<OwnedList> items;
    for (int i = 0; i < 64; ++i)
        items.push_back(MakeList({std::to_string(i)}));
    OwnedList extra = MakeList({"extra"});

    // Halfway through a sort the comparison empties the list and refills it
    // with more entries than it had, so the entries move in memory.
    TKwPidlList list;
    int calls = 0;
    auto meddling = com::MakeComObject<ComparingFolder>([&](LPCITEMIDLIST x, LPCITEMIDLIST y) {
        if (++calls == 40) {
            list.Clear();
            for (int i = 0; i < 500; ++i)
                list.Add(extra.Get());
        }
        return kwtest::OrderResult(BytesOf(x).compare(BytesOf(y)));
    });
    for (const OwnedList& item : items)
        list.Add(item.Get());
    list.SetShellFolder(meddling.Get());
    list.Sort();
    // The sort's stale result is not written over what the comparison left.
    ASSERT_EQ(list.GetCount(), 500);
    for (int i = 0; i < list.GetCount(); ++i)
        ASSERT_EQ(list.GetPIDL(i), extra.Get());

    // A search whose comparison replaces the entries by fewer stays in
    // bounds, and its insertion position is one of the list as it is now.
    TKwPidlList shrinking;
    for (const OwnedList& item : items)
        shrinking.Add(item.Get());
    shrinking.SetSorted(true);
    bool replaced = false;
    auto replacing = com::MakeComObject<ComparingFolder>([&](LPCITEMIDLIST, LPCITEMIDLIST) {
        if (!std::exchange(replaced, true)) {
            shrinking.Clear();
            shrinking.Insert(0, extra.Get());
        }
        return kwtest::OrderResult(-1);
    });
    shrinking.SetShellFolder(replacing.Get());
    int index = -1;
    EXPECT_FALSE(shrinking.BinarySearch(items[0].Get(), index));
    EXPECT_EQ(index, 1);
    ASSERT_EQ(shrinking.GetCount(), 1);
    EXPECT_EQ(shrinking.GetPIDL(0), extra.Get());
}
