#include "shell32/DropFiles.h"
#include "TestSupport.h"
#include "com/PlainDataObject.h"
#include "shell32/FileDataObjects.h"
#include "shell32/FileUris.h"
#include "shell32/ShellTesting.h"
#include "win32/Errors.h"
#include "win32/GlobalMemory.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using Names = std::vector<std::string>;

std::string Header(DWORD pFiles, BOOL wide)
{
    DROPFILES header{pFiles, {0, 0}, FALSE, wide};
    return std::string(reinterpret_cast<const char*>(&header), sizeof header);
}

std::string Wide(std::u16string_view text)
{
    std::string bytes;
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

struct BlockCase {
    const char* Name;
    std::string Bytes;
    Names Expected;
};

class DropFilesBlocks : public testing::TestWithParam<BlockCase> {};

TEST_P(DropFilesBlocks, ReadOnlyNamesEndedWithinTheBlock)
{
    const BlockCase& c = GetParam();
    std::vector<char> exact(c.Bytes.begin(), c.Bytes.end());
    EXPECT_EQ(shell32::ReadDropFiles(exact.data(), exact.size()), c.Expected);
    Names visited;
    shell32::VisitDropFiles(exact.data(), exact.size(),
                            [&](std::string_view name) { visited.emplace_back(name); });
    EXPECT_EQ(visited, c.Expected);

    // Read out of a data object: only the absolute names are files, and the
    // URL list written from the block is the one made of those names.
    com::ComPtr<IDataObject> data;
    ASSERT_EQ(com::CreatePlainDataObject(data.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_TRUE(shell32::PutHGlobal(*data, CF_HDROP, kwtest::GlobalBlockOf(c.Bytes)));
    Names files = c.Expected;
    std::erase_if(files, [](const std::string& name) { return name.empty() || name.front() != '/'; });
    EXPECT_EQ(shell32::DroppedFileNames(*data), files);
    EXPECT_EQ(shell32::DroppedFileUriList(*data).toStdString(), shell32::MakeUriList(files));
    std::optional<std::string> first;
    for (const std::string& name : c.Expected)
        if (!first && !name.empty() && name.front() == '/')
            first = name;
    EXPECT_EQ(shell32::FirstAbsoluteDropFile(exact.data(), exact.size()), first);

    HGLOBAL block = kwtest::GlobalBlockOf(c.Bytes);
    ASSERT_TRUE(block);
    EXPECT_EQ(DragQueryFileA(block, 0xFFFFFFFF, nullptr, 0), c.Expected.size());
    for (UINT i = 0; i < c.Expected.size(); ++i) {
        ASSERT_EQ(DragQueryFileA(block, i, nullptr, 0), c.Expected[i].size());
        std::string name(c.Expected[i].size() + 1, '*');
        EXPECT_EQ(DragQueryFileA(block, i, name.data(), static_cast<UINT>(name.size())),
                  c.Expected[i].size());
        EXPECT_EQ(name, c.Expected[i] + '\0');
    }
    char untouched[4] = "abc";
    EXPECT_EQ(DragQueryFileA(block, static_cast<UINT>(c.Expected.size()), untouched, 4), 0u);
    EXPECT_STREQ(untouched, "abc");
    DragFinish(block);
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, DropFilesBlocks,
    testing::Values(
        BlockCase{"TwoNames", Header(20, FALSE) + std::string("/a\0/b c\0\0", 9), {"/a", "/b c"}},
        BlockCase{"RawBytesAndNewline", Header(20, FALSE) + std::string("/x\n\xff\0\0", 6), {"/x\n\xff"}},
        BlockCase{"RelativeAmongAbsolute",
                  Header(20, FALSE) + std::string("rel\0/abs %\0\0", 12),
                  {"rel", "/abs %"}},
        BlockCase{"NoFinalZero", Header(20, FALSE) + std::string("/a\0/b\0", 6), {"/a", "/b"}},
        BlockCase{"UnterminatedLastName", Header(20, FALSE) + std::string("/a\0/b", 5), {"/a"}},
        BlockCase{"NoNames", Header(20, FALSE) + std::string(1, '\0'), {}},
        BlockCase{"HeaderOnly", Header(20, FALSE), {}},
        BlockCase{"ShorterThanTheHeader", Header(20, FALSE).substr(0, 12), {}},
        BlockCase{"NamesInsideTheHeader", Header(4, FALSE) + std::string("/a\0\0", 4), {}},
        BlockCase{"NamesPastTheEnd", Header(4096, FALSE) + std::string("/a\0\0", 4), {}},
        BlockCase{"PaddedBeforeNames", Header(24, FALSE) + "pad!" + std::string("/p\0\0", 4), {"/p"}},
        BlockCase{"WideNames", Header(20, TRUE) + Wide(u"/a\0/\u00e9\0\0"s), {"/a", "/\xc3\xa9"}},
        BlockCase{"WideAtAnOddOffset", Header(21, TRUE) + "-" + Wide(u"/w\0\0"s), {"/w"}},
        // An escaped byte of the lossless codec comes back as the byte itself.
        BlockCase{"WideRawByte", Header(20, TRUE) + Wide(u"/\xdcff\0\0"s), {"/\xff"}},
        BlockCase{"WideUnterminated", Header(20, TRUE) + Wide(u"/a\0/b"s) + "\0", {"/a"}},
        BlockCase{"WideOddTail", Header(20, TRUE) + Wide(u"/a"s) + "\0", {}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(DragQueryFile, CopiesWhatFitsAndAlwaysEndsTheText)
{
    const std::string longPath = "/" + std::string(3999, 'n'); // 4,000 bytes
    HGLOBAL block = kwtest::GlobalBlockOf(Header(20, FALSE) + "/short" + '\0' + longPath + '\0' + '\0');
    ASSERT_TRUE(block);
    EXPECT_EQ(DragQueryFileA(block, 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFileA(block, 1, nullptr, 0), 4000u);
    std::string whole(4001, '*');
    EXPECT_EQ(DragQueryFileA(block, 1, whole.data(), 4001), 4000u);
    EXPECT_EQ(whole, longPath + '\0');

    char small[4] = {'*', '*', '*', '*'};
    EXPECT_EQ(DragQueryFileA(block, 0, small, 3), 2u);
    EXPECT_EQ(std::string(small, 4), std::string("/s\0*", 4));
    EXPECT_EQ(DragQueryFileA(block, 0, small, 0), 0u);
    EXPECT_EQ(small[0], '/');
    DragFinish(block);

    SetLastError(0);
    EXPECT_EQ(DragQueryFileA(block, 0xFFFFFFFF, nullptr, 0), 0u); // freed
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// Asking for one name of a long wide list converts that name only: a
// receiver that walks the list by index does not pay for every name before.
TEST(DragQueryFile, ConvertsOnlyTheWideNameItReturns)
{
    constexpr UINT kNames = 40000;
    std::u16string names;
    for (UINT i = 0; i < kNames; ++i)
        names +=
            u"/home/user/Pictures/\u00e9t\u00e9/IMG_" + std::u16string(1, char16_t(u'0' + i % 10)) + u'\0';
    HGLOBAL block = kwtest::GlobalBlockOf(Header(20, TRUE) + Wide(names) + Wide(u"\0"s));
    ASSERT_TRUE(block);
    const std::string last = "/home/user/Pictures/\xc3\xa9t\xc3\xa9/IMG_9";
    std::string buffer(256, '*');
    struct Case {
        const char* Name;
        std::function<UINT()> Call;
        UINT Answer;
        std::size_t Converted;
    };
    const Case cases[] = {
        {"the count", [&] { return DragQueryFileA(block, 0xFFFFFFFF, nullptr, 0); }, kNames, 0},
        {"the last name's length", [&] { return DragQueryFileA(block, kNames - 1, nullptr, 0); },
         static_cast<UINT>(last.size()), 1},
        {"the last name", [&] { return DragQueryFileA(block, kNames - 1, buffer.data(), 256); },
         static_cast<UINT>(last.size()), 1},
        {"a name past the end", [&] { return DragQueryFileA(block, kNames, buffer.data(), 256); }, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::size_t before = shell32::testing::WideDropNamesConverted();
        EXPECT_EQ(c.Call(), c.Answer);
        EXPECT_EQ(shell32::testing::WideDropNamesConverted() - before, c.Converted);
    }
    EXPECT_EQ(buffer.c_str(), last);
    DragFinish(block);
}

} // namespace
