// Item id lists and the shell allocator: lengths, copies, concatenation,
// the allocator wrappers and the string-return record's text.

#include "IdListTestSupport.h"

#include "UKwShellUtils.h"

#include "com/ComObject.h"
#include "com/ComTesting.h"
#include "com/TaskAllocator.h"
#include "win32/WideText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

using namespace kw;
using kwtest::BytesOf;
using kwtest::ListBytes;
using kwtest::MakeList;
using kwtest::OwnedList;

namespace {

const ITEMIDLIST* AsList(const std::string& bytes)
{
    return reinterpret_cast<const ITEMIDLIST*>(bytes.data());
}

// An allocator with no memory to give.
class ExhaustedMalloc : public com::ComObject<IMalloc> {
public:
    int Requests = 0;
    void* Alloc(SIZE_T) override
    {
        ++Requests;
        return nullptr;
    }
    void* Realloc(void*, SIZE_T) override { return nullptr; }
    void Free(void*) override {}
    SIZE_T GetSize(void*) override { return static_cast<SIZE_T>(-1); }
    int DidAlloc(void*) override { return 0; }
    void HeapMinimize() override {}
};

} // namespace

TEST(IdLists, LengthWalksCountsToTheTerminator)
{
    EXPECT_EQ(IdListLen(nullptr), 0);
    const std::string empty = ListBytes({});
    EXPECT_EQ(IdListLen(AsList(empty)), 2);
    const std::string two = ListBytes({std::string(18, 'a'), std::string(12, 'b')});
    EXPECT_EQ(IdListLen(AsList(two)), 36);
    // Odd counts put the next count on an odd address.
    const std::string odd = ListBytes({"x", "yz", "", "abc"});
    EXPECT_EQ(IdListLen(AsList(odd)), 3 + 4 + 2 + 5 + 2);
    // A count of 0x0102 is read little-endian.
    const std::string wide = ListBytes({std::string(0x100, 'w')});
    EXPECT_EQ(IdListLen(AsList(wide)), 0x102 + 2);
}

TEST(IdLists, CopyAndConcatMakeNewListsOfTheSameBytes)
{
    OwnedList desktop(CopyIdList(nullptr, nullptr));
    ASSERT_TRUE(desktop);
    EXPECT_EQ(BytesOf(desktop.Get()), std::string(2, '\0'));

    OwnedList a = MakeList({"folder", "x"});
    OwnedList b = MakeList({"file.txt"});
    OwnedList copy(CopyIdList(nullptr, a.Get()));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.Get(), a.Get());
    EXPECT_EQ(BytesOf(copy.Get()), BytesOf(a.Get()));

    // With an allocator given, the copy comes from it (the same heap here,
    // so it can be freed like any other list).
    IMalloc* malloc = nullptr;
    ASSERT_EQ(SHGetMalloc(&malloc), S_OK);
    OwnedList viaMalloc(CopyIdList(malloc, b.Get()));
    malloc->Release();
    EXPECT_EQ(BytesOf(viaMalloc.Get()), BytesOf(b.Get()));

    OwnedList joined(ConcatIdLists(nullptr, a.Get(), b.Get()));
    EXPECT_EQ(BytesOf(joined.Get()), ListBytes({"folder", "x", "file.txt"}));
    OwnedList onlyB(ConcatIdLists(nullptr, nullptr, b.Get()));
    EXPECT_EQ(BytesOf(onlyB.Get()), BytesOf(b.Get()));
    OwnedList onlyA(ConcatIdLists(nullptr, a.Get(), nullptr));
    EXPECT_EQ(BytesOf(onlyA.Get()), BytesOf(a.Get()));
    OwnedList neither(ConcatIdLists(nullptr, nullptr, nullptr));
    EXPECT_EQ(BytesOf(neither.Get()), std::string(2, '\0'));
    OwnedList withDesktop(ConcatIdLists(nullptr, desktop.Get(), b.Get()));
    EXPECT_EQ(BytesOf(withDesktop.Get()), BytesOf(b.Get()));

    // No memory: null, and nothing written anywhere.
    auto exhausted = com::MakeComObject<ExhaustedMalloc>();
    EXPECT_EQ(CopyIdList(exhausted.Get(), a.Get()), nullptr);
    EXPECT_EQ(CopyIdList(exhausted.Get(), nullptr), nullptr);
    EXPECT_EQ(ConcatIdLists(exhausted.Get(), a.Get(), b.Get()), nullptr);
    EXPECT_EQ(exhausted->Requests, 3);
}

TEST(IdLists, AllocatorWrappers)
{
    IMalloc* held = ShellIMalloc();
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(ShellIMalloc(), held);

    const long long before = com::testing::LiveTaskAllocations();
    EXPECT_EQ(ShellMemRealloc(nullptr, 100), nullptr);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), before);
    ShellMemFree(nullptr);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), before);

    auto* block = static_cast<char*>(ShellMemAlloc(8));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), before + 1);
    std::memcpy(block, "1234567", 8);
    auto* grown = static_cast<char*>(ShellMemRealloc(block, 4000));
    ASSERT_NE(grown, nullptr);
    EXPECT_STREQ(grown, "1234567");
    // The shell allocator and the task allocator are one heap.
    CoTaskMemFree(grown);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), before);
}

TEST(IdLists, CompareAbsIdListsWithoutTheShell)
{
    const std::string empty = ListBytes({});
    const std::string other = ListBytes({});
    const std::string item = ListBytes({"x"});
    EXPECT_EQ(CompareAbsIdLists(nullptr, nullptr), 0);
    EXPECT_EQ(CompareAbsIdLists(nullptr, AsList(empty)), -1);
    EXPECT_EQ(CompareAbsIdLists(AsList(empty), nullptr), -1);
    EXPECT_EQ(CompareAbsIdLists(AsList(empty), AsList(other)), 0);
    EXPECT_EQ(CompareAbsIdLists(AsList(empty), AsList(item)), -1);
    EXPECT_EQ(CompareAbsIdLists(AsList(item), AsList(empty)), -1);
}

TEST(IdLists, InlineAndWideStringRecords)
{
    STRRET full{};
    full.uType = STRRET_CSTR;
    std::memset(full.cStr, 'n', sizeof(full.cStr));
    EXPECT_EQ(StrretToString(nullptr, full), std::string(261, 'n'));

    STRRET inlineText{};
    inlineText.uType = STRRET_CSTR;
    std::memcpy(inlineText.cStr, "abc\0def", 8);
    EXPECT_EQ(StrretToString(nullptr, inlineText), "abc");
    StrretFree(inlineText); // owns nothing
    EXPECT_EQ(StrretToString(nullptr, inlineText), "abc");

    // The wide kind goes back to the very bytes, also ones that are no UTF-8.
    const std::string bytes = "caf\xC3\xA9 \xFF\xFE x";
    const std::u16string wide = win32::BytesToWide(bytes);
    STRRET wideRecord{};
    wideRecord.uType = STRRET_WSTR;
    wideRecord.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(char16_t)));
    std::memcpy(wideRecord.pOleStr, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    EXPECT_EQ(StrretToString(nullptr, wideRecord), bytes);
    const long long before = com::testing::LiveTaskAllocations();
    StrretFree(wideRecord);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), before - 1);
    EXPECT_EQ(wideRecord.pOleStr, nullptr);
    StrretFree(wideRecord); // a second free does nothing
    EXPECT_EQ(StrretToString(nullptr, wideRecord), "");

    STRRET unknown{};
    unknown.uType = 7;
    EXPECT_EQ(StrretToString(nullptr, unknown), "");
}

TEST(IdLists, OffsetRecordsAreReadInsideTheirList)
{
    // A list whose second item carries the name "readme" at offset 2 + 3 + 2.
    const std::string list = ListBytes({"d", std::string("readme\0", 7)});
    // Bytes after the list that must never be taken for its text.
    const std::string memory = list + "SECRET";
    const ITEMIDLIST* pidl = AsList(memory);
    const int length = IdListLen(pidl);
    ASSERT_EQ(length, static_cast<int>(list.size()));

    STRRET record{};
    record.uType = STRRET_OFFSET;
    record.uOffset = 3 + 2;
    EXPECT_EQ(StrretToString(pidl, record), "readme");
    record.uOffset = 3 + 2 + 4;
    EXPECT_EQ(StrretToString(pidl, record), "me");
    // At the terminator: the empty text.
    record.uOffset = static_cast<UINT>(length - 2);
    EXPECT_EQ(StrretToString(pidl, record), "");
    // Past the list: the text that lies there is not the list's.
    record.uOffset = static_cast<UINT>(length);
    EXPECT_EQ(StrretToString(pidl, record), "");
    record.uOffset = static_cast<UINT>(length + 2);
    EXPECT_EQ(StrretToString(pidl, record), "");
    record.uOffset = UINT_MAX;
    EXPECT_EQ(StrretToString(pidl, record), "");
    // No list: nothing to read.
    record.uOffset = 0;
    EXPECT_EQ(StrretToString(nullptr, record), "");

    // A text without its own zero stops at the list's end: the item's last
    // bytes run into the terminator.
    const std::string unterminated = ListBytes({"name"});
    record.uOffset = 2;
    EXPECT_EQ(StrretToString(AsList(unterminated), record), "name");
}
