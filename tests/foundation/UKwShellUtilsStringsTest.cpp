// Positional formatting and the string helpers that must never split a
// double-byte character.

#include "FoundationUnitsFixture.h"
#include "UKwShConsts.h"
#include "UKwShellUtils.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/Strings.h"
#include "win32/LocalMemoryTesting.h"

#include <string>
#include <vector>

namespace {

// A code page like Shift-JIS: 0x81-0x9F and 0xE0-0xFC lead.
void UseDoubleByteCodePage()
{
    win32::testing::SetLeadByteRanges(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
}

struct DoubleByte : ::testing::Test {
    void TearDown() override { win32::testing::ResetLeadByteRanges(); }
};

TEST(FormatStrPos, InsertsByPositionInAnyOrder)
{
    const size_t localBlocks = win32::testing::LiveLocalAllocations();

    EXPECT_EQ(kw::FormatStrPos("Cannot create folder %2: %1", {"Access is denied.", "C:\\New"}),
              "Cannot create folder C:\\New: Access is denied.");
    EXPECT_EQ(
        kw::FormatStrPos(kw::KwLoadStr(&kw::SUnableToCreateFolder), {"Disk full.", "/home/x/New Folder"}),
        "Unable to create the folder '/home/x/New Folder'\n\nDisk full.");
    EXPECT_EQ(kw::FormatStrPos("%1, %1 and %1", {"again"}), "again, again and again");
    EXPECT_EQ(kw::FormatStrPos("no inserts", {}), "no inserts");
    // An insert is text, never a format of its own.
    EXPECT_EQ(kw::FormatStrPos("<%1|%2>", {"%2%1", "b"}), "<%2%1|b>");
    // A format naming an insert that was not given is a formatter failure.
    EXPECT_EQ(kw::FormatStrPos("%1 and %3", {"one", "two"}), "");
    EXPECT_EQ(kw::FormatStrPos("%1", {}), "");

    EXPECT_EQ(win32::testing::LiveLocalAllocations(), localBlocks) << "every formatter buffer is freed";
}

TEST(FormatStrPos, AtMostFiftyInserts)
{
    std::vector<std::string> args;
    for (int i = 1; i <= 50; ++i)
        args.push_back("a" + std::to_string(i));
    EXPECT_EQ(kw::FormatStrPos("%50-%1-%25", args), "a50-a1-a25");

    args.push_back("a51");
    try {
        kw::FormatStrPos("%1", args);
        ADD_FAILURE() << "51 inserts must raise";
    } catch (const vcl::Exception& e) {
        EXPECT_EQ(e.Message(), "FormatStrPos: Too many substitution strings");
        EXPECT_EQ(e.ClassType(), vcl::Exception::StaticClass()) << "the framework's plain exception";
    }
    // The empty format is answered before anything is counted or formatted.
    EXPECT_EQ(kw::FormatStrPos("", args), "");
}

TEST_F(DoubleByte, EnsureTrailingChar)
{
    EXPECT_EQ(kw::EnsureTrailingCharDB("C:\\Dir", '\\'), "C:\\Dir\\");
    EXPECT_EQ(kw::EnsureTrailingCharDB("C:\\Dir\\", '\\'), "C:\\Dir\\");
    EXPECT_EQ(kw::EnsureTrailingCharDB("", '\\'), "");
    EXPECT_EQ(kw::EnsureTrailingCharDB("/", '/'), "/");

    // 0x95 0x5C is one character whose trail byte is the backslash's code.
    const std::string endsInDoubleByte = "C:\\Dir\x95\x5C";
    EXPECT_EQ(kw::EnsureTrailingCharDB(endsInDoubleByte, '\\'), endsInDoubleByte)
        << "without lead bytes the last byte is a backslash";
    UseDoubleByteCodePage();
    EXPECT_EQ(kw::EnsureTrailingCharDB(endsInDoubleByte, '\\'), endsInDoubleByte + "\\");
    // A backslash after a whole double-byte character is a backslash.
    EXPECT_EQ(kw::EnsureTrailingCharDB(endsInDoubleByte + "\\", '\\'), endsInDoubleByte + "\\");
    // A lead byte that ends the text counts as double-byte too.
    EXPECT_EQ(kw::EnsureTrailingCharDB("ab\x81", '\x81'), "ab\x81\x81");
}

TEST_F(DoubleByte, TrimRight)
{
    EXPECT_EQ(kw::TrimRightDB("ab \t "), "ab");
    EXPECT_EQ(kw::TrimRightDB("   "), "");
    EXPECT_EQ(kw::TrimRightDB(""), "");
    EXPECT_EQ(kw::TrimRightDB("a b \r\n\x01"), "a b");
    EXPECT_EQ(kw::TrimRightDB(" lead"), " lead");
    EXPECT_EQ(kw::TrimRightDB("x\x81 "), "x\x81");

    UseDoubleByteCodePage();
    // The blank after a lead byte is its trail byte, not a blank.
    EXPECT_EQ(kw::TrimRightDB("x\x81 "), "x\x81 ");
    EXPECT_EQ(kw::TrimRightDB("x\x81  "), "x\x81 ");
    EXPECT_EQ(kw::TrimRightDB("x \x81\x40 \t"), "x \x81\x40");
    EXPECT_EQ(kw::TrimRightDB("x\x81"), "x\x81") << "a lone lead byte at the end stays";
}

TEST_F(DoubleByte, CopyChar)
{
    UseDoubleByteCodePage();
    const std::string s = "a\x81\x40z\x82";
    std::string dest;
    int index = 1;
    kw::CopyCharDB(index, s, dest);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(dest, "a");
    kw::CopyCharDB(index, s, dest);
    EXPECT_EQ(index, 4);
    EXPECT_EQ(dest, "a\x81\x40");
    kw::CopyCharDB(index, s, dest);
    EXPECT_EQ(index, 5);
    // A lead byte in the last position comes alone: no stray zero byte.
    kw::CopyCharDB(index, s, dest);
    EXPECT_EQ(index, 6);
    EXPECT_EQ(dest, std::string("a\x81\x40z\x82"));
    EXPECT_EQ(dest.find('\0'), std::string::npos);

    // Outside the string nothing is read or appended.
    for (int outside : {6, 0, -3}) {
        index = outside;
        kw::CopyCharDB(index, s, dest);
        EXPECT_EQ(index, outside);
    }
    EXPECT_EQ(dest, s);

    index = 1;
    std::string fromEmpty;
    kw::CopyCharDB(index, "", fromEmpty);
    EXPECT_EQ(fromEmpty, "");
    EXPECT_EQ(index, 1);
}

std::vector<std::string> Arguments(const std::string& cmdLine)
{
    vcl::TStringList list;
    kw::ParametizeCmdLineDB(cmdLine, &list);
    std::vector<std::string> result;
    for (int i = 0; i < list.Count(); ++i)
        result.push_back(list.Strings(i));
    return result;
}

using Args = std::vector<std::string>;

TEST_F(DoubleByte, ParametizeCommandLine)
{
    EXPECT_EQ(Arguments("a \"b c\" d\"e f\""), (Args{"a", "b c", "d", "e f"}));
    EXPECT_EQ(Arguments("\"\" x"), (Args{"x"}));
    EXPECT_EQ(Arguments(""), Args{});
    EXPECT_EQ(Arguments(" \t "), Args{});
    EXPECT_EQ(Arguments("\t one\ttwo  "), (Args{"one", "two"}));
    // Quoted text keeps inner blanks and loses trailing ones; an unclosed
    // quote runs to the end.
    EXPECT_EQ(Arguments("\" lead  trail \" \"open  "), (Args{" lead  trail", "open"}));
    // Control bytes are not separators, but trailing ones are trimmed.
    EXPECT_EQ(Arguments("a\x01"
                        "b c\n"),
              (Args{"a\x01"
                    "b",
                    "c"}));

    vcl::TStringList kept;
    kept.Add("before");
    kw::ParametizeCmdLineDB("after", &kept);
    EXPECT_EQ(kept.Count(), 2) << "arguments are added to what the list holds";
    kw::ParametizeCmdLineDB("ignored", nullptr);

    // Double-byte characters are copied whole: their trail bytes never end
    // an argument, not even a trail byte with the code of a blank or quote.
    EXPECT_EQ(Arguments("\x81 x \"\x81\"y\" \x81"), (Args{"\x81", "x", "\x81", "y", " \x81"}))
        << "without lead bytes these are plain bytes";
    UseDoubleByteCodePage();
    EXPECT_EQ(Arguments("\x81 x \"\x81\"y\" \x81"), (Args{"\x81 x", "\x81\"y", "\x81"}));
    EXPECT_EQ(Arguments("\x81\x40z \"a\x81\x40\" \x81"), (Args{"\x81\x40z", "a\x81\x40", "\x81"}));
}

} // namespace
