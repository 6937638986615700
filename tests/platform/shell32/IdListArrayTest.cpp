#include "shell32/IdListArray.h"
#include "win32/GlobalMemory.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string Item(const std::string& name)
{
    std::string item;
    EXPECT_TRUE(shell32::AppendFileSystemItem(item, shell32::ItemKind::File, name, {S_IFREG | 0644, 1, 0}));
    return item;
}

std::string List(const std::string& items)
{
    return items + std::string(2, '\0');
}

void PutU32(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A block of the lists at the offsets given (default: packed after the
// offsets), with count written as given.
std::string Array(std::uint32_t count, const std::vector<std::string>& lists,
                  std::vector<std::uint32_t> offsets = {})
{
    std::string block;
    PutU32(block, count);
    if (offsets.empty()) {
        std::uint32_t at = 4 + 4 * static_cast<std::uint32_t>(lists.size());
        for (const std::string& list : lists) {
            offsets.push_back(at);
            at += static_cast<std::uint32_t>(list.size());
        }
    }
    for (const std::uint32_t offset : offsets)
        PutU32(block, offset);
    for (const std::string& list : lists)
        block += list;
    return block;
}

std::vector<std::string> ItemsOf(const shell32::IdListArray& array)
{
    std::vector<std::string> lists;
    for (const shell32::OwnedIdList& item : array.Items) {
        const std::size_t size = shell32::IdListSize(item.get());
        lists.emplace_back(reinterpret_cast<const char*>(item.get()), size);
    }
    return lists;
}

TEST(IdListArray, ReadsParentAndItemsOfAWellFormedBlock)
{
    const std::string parent = List(Item("home") + Item("user"));
    const std::string a = List(Item("a")), b = List(Item("b\n\xff"));
    const std::string bytes = Array(2, {parent, a, b});
    std::vector<char> exact(bytes.begin(), bytes.end());
    const auto array = shell32::ReadIdListArray(exact.data(), exact.size());
    ASSERT_TRUE(array);
    EXPECT_EQ(shell32::IdListSize(array->Parent.get()), parent.size());
    EXPECT_EQ(std::memcmp(array->Parent.get(), parent.data(), parent.size()), 0);
    EXPECT_EQ(ItemsOf(*array), (std::vector<std::string>{a, b}));

    // The desktop as parent, read from a global block.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
    const std::string desktop = Array(1, {List(""), a});
    ASSERT_TRUE((block = GlobalReAlloc(block, desktop.size(), 0)));
    std::memcpy(GlobalLock(block), desktop.data(), desktop.size());
    GlobalUnlock(block);
    const auto fromBlock = shell32::ReadIdListArray(block);
    ASSERT_TRUE(fromBlock);
    EXPECT_EQ(shell32::IdListSize(fromBlock->Parent.get()), 2u);
    EXPECT_EQ(ItemsOf(*fromBlock), std::vector<std::string>{a});
    GlobalFree(block);
    EXPECT_FALSE(shell32::ReadIdListArray(block));
}

struct HostileCase {
    const char* Name;
    std::string Bytes;
};

class IdListArrayHostile : public testing::TestWithParam<HostileCase> {};

TEST_P(IdListArrayHostile, IsRefused)
{
    const std::string& bytes = GetParam().Bytes;
    std::vector<char> exact(bytes.begin(), bytes.end());
    EXPECT_FALSE(shell32::ReadIdListArray(exact.data(), exact.size()));
}

const std::string kItem = List(Item("x"));

INSTANTIATE_TEST_SUITE_P(
    Payloads, IdListArrayHostile,
    testing::Values(HostileCase{"Empty", ""}, HostileCase{"CountOnly", std::string("\1\0\0", 3)},
                    HostileCase{"HugeCount", Array(0xFFFFFFFF, {List(""), kItem})},
                    HostileCase{"MoreItemsThanOffsets", Array(3, {List(""), kItem})},
                    HostileCase{"OffsetPastTheEnd", Array(1, {List(""), kItem}, {12, 4096})},
                    HostileCase{"OffsetIntoTheOffsets", Array(1, {List(""), kItem}, {4, 12})},
                    HostileCase{"UnterminatedList", Array(1, {List(""), Item("x")})},
                    HostileCase{"CountRunsPastTheEnd", Array(1, {List(""), std::string("\x40\0\xcb\1", 4)})},
                    HostileCase{"ForeignItem", Array(1, {List(""), List(std::string("\x05\0abc", 5))})},
                    HostileCase{"OneByteItem", Array(1, {List(""), std::string("\1\0\0\0", 4)})},
                    // Many offsets naming one list would copy it far more often than the
                    // block could hold it.
                    HostileCase{"OneListManyTimes", Array(64, {List(Item(std::string(200, 'n')))},
                                                          std::vector<std::uint32_t>(65, 264))}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
