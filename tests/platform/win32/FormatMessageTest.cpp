#include "win32/Errors.h"
#include "win32/LocalMemory.h"
#include "win32/LocalMemoryTesting.h"
#include "win32/MessageText.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kFromString = FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY;

// Each test must give back every block FormatMessage allocated.
class FormatMessageTest : public ::testing::Test {
protected:
    void SetUp() override { LiveBefore_ = win32::testing::LiveLocalAllocations(); }
    void TearDown() override { EXPECT_EQ(win32::testing::LiveLocalAllocations(), LiveBefore_); }

private:
    std::size_t LiveBefore_ = 0;
};

// Formats with an allocated buffer, as the system's FormatStrPos does; nothing
// when the call fails.
std::optional<std::string> Format(const char* fmt, std::vector<DWORD_PTR> args, DWORD extraFlags = 0,
                                  DWORD minSize = 0)
{
    char* buffer = reinterpret_cast<char*>(0x1); // must be replaced or cleared
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | kFromString | extraFlags, fmt, 0, 0,
                                   reinterpret_cast<LPSTR>(&buffer), minSize, args.data(), args.size());
    if (n == 0) {
        EXPECT_EQ(buffer, nullptr);
        return std::nullopt;
    }
    EXPECT_NE(buffer, nullptr);
    std::string text(buffer, n);
    EXPECT_EQ(buffer[n], '\0');
    EXPECT_GE(LocalSize(buffer), std::max<SIZE_T>(minSize, n + 1));
    EXPECT_EQ(LocalFree(buffer), nullptr);
    return text;
}

DWORD_PTR Arg(const char* s)
{
    return reinterpret_cast<DWORD_PTR>(s);
}

TEST_F(FormatMessageTest, InsertsInAnyOrderRepeatedAndNeverExpandedAgain)
{
    EXPECT_EQ(Format("Cannot create folder %2: %1", {Arg("Access is denied."), Arg("/tmp/New")}),
              "Cannot create folder /tmp/New: Access is denied.");
    EXPECT_EQ(Format("%1%1-%2-%1", {Arg("a"), Arg("b")}), "aa-b-a");
    // An insert holding insert syntax comes out as it is.
    EXPECT_EQ(Format("<%1|%2>", {Arg("%2 and %1 and %%"), Arg("x")}), "<%2 and %1 and %%|x>");
    // Two digits at most: "%123" is insert 12 then "3".
    std::vector<DWORD_PTR> twelve(12, Arg("-"));
    twelve[11] = Arg("twelve");
    EXPECT_EQ(Format("%123", twelve), "twelve3");
    EXPECT_EQ(Format("%10!s!", std::vector<DWORD_PTR>(10, Arg("ten"))), "ten");
    // A null string insert.
    EXPECT_EQ(Format("[%1]", {0}), "[(null)]");
}

TEST_F(FormatMessageTest, InsertsBeyondTheArgumentsFailWithoutReadingThem)
{
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(Format("%1 and %3", {Arg("one"), Arg("two")}), std::nullopt);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // No argument array at all.
    char buffer[64] = "untouched";
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "%1", 0, 0, buffer, sizeof buffer, nullptr, 0), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_STREQ(buffer, "untouched");

    // The array given without the flag that says it is one.
    const DWORD_PTR args[] = {Arg("x")};
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "%1", 0, 0, buffer, sizeof buffer, args, 1), 0u);

    // Malformed insert formats fail too.
    for (const char* bad : {"%1!s", "%1!!", "%1!q!", "%1!*s!", "%1!99999d!", "%1!lld x!", "%1!f!"})
        EXPECT_EQ(Format(bad, {5}), std::nullopt) << bad;
}

TEST_F(FormatMessageTest, EscapesAndLineBreaks)
{
    EXPECT_EQ(Format("100%% sure%. %! % x", {}), "100% sure. !  x");
    EXPECT_EQ(Format("one%ntwo", {}), "one\ntwo");
    EXPECT_EQ(Format("kept%0 dropped %1", {}), "kept");
    EXPECT_EQ(Format("trailing %", {}), "trailing ");
    // Line breaks of the text itself stay, unless a width is chosen.
    EXPECT_EQ(Format("a\r\nb", {}), "a\r\nb");
    EXPECT_EQ(Format("a\r\nb%nc", {}, FORMAT_MESSAGE_MAX_WIDTH_MASK), "a b\nc");
    EXPECT_EQ(Format("the quick brown fox", {}, 10), "the quick\nbrown fox");
    EXPECT_EQ(Format("abcdefghij", {}, 4), "abcd\nefgh\nij");
    // An empty result gives no block and 0.
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(Format("%0", {}), std::nullopt);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

TEST_F(FormatMessageTest, PrintfFormats)
{
    EXPECT_EQ(
        Format("%1!d!|%2!u!|%3!x!|%4!lu!|%5!X!", {static_cast<DWORD_PTR>(-42), 4000000000u, 255, 7, 0xAB}),
        "-42|4000000000|ff|7|AB");
    EXPECT_EQ(Format("[%1!5d!][%1!-5d!][%1!05d!][%1!+d!]", {42}), "[   42][42   ][00042][+42]");
    EXPECT_EQ(Format("[%1!8s!][%1!-8s!][%1!.3s!]", {Arg("shell")}), "[   shell][shell   ][she]");
    EXPECT_EQ(Format("%1!I64u! %2!hd! %3!#x! %4!c!", {0x1'0000'0000ull, 0x1FFFF, 255, 'Z'}),
              "4294967296 -1 0xff Z");
    EXPECT_EQ(Format("%1!p!", {0xBEEF}), "000000000000BEEF");
    const char16_t wide[] = u"wide \u00e9";
    EXPECT_EQ(Format("%1!S!|%1!ls!", {reinterpret_cast<DWORD_PTR>(wide)}), "wide \xc3\xa9|wide \xc3\xa9");
    // A precision bounds how much of an unterminated text is read.
    const char unterminated[3] = {'a', 'b', 'c'};
    EXPECT_EQ(Format("%1!.3s!", {Arg(unterminated)}), "abc");
}

TEST_F(FormatMessageTest, BufferSizes)
{
    // The minimum size is honoured with an allocated buffer.
    EXPECT_EQ(Format("hi", {}, 0, 256), "hi");

    char small[3];
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "abc", 0, 0, small, sizeof small, nullptr, 0), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

    char exact[4];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "abc", 0, 0, exact, sizeof exact, nullptr, 0), 3u);
    EXPECT_STREQ(exact, "abc");

    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER, "abc", 0, 0,
                             nullptr, 0, nullptr, 0),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FormatMessageTest, SystemTexts)
{
    char buffer[256];
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    ASSERT_GT(FormatMessageA(flags, nullptr, ERROR_FILE_NOT_FOUND, 0, buffer, sizeof buffer, nullptr, 0), 0u);
    EXPECT_STREQ(buffer, "The system cannot find the file specified.\n");
    // An HRESULT of the Win32 facility has its code's text; others their own.
    ASSERT_GT(FormatMessageA(flags, nullptr, static_cast<DWORD>(E_ACCESSDENIED), 0x0409, buffer,
                             sizeof buffer, nullptr, 0),
              0u);
    EXPECT_STREQ(buffer, "Access is denied.\n");
    ASSERT_GT(FormatMessageA(flags, nullptr, static_cast<DWORD>(E_NOINTERFACE), 0, buffer, sizeof buffer,
                             nullptr, 0),
              0u);
    EXPECT_STREQ(buffer, "No such interface supported\n");
    EXPECT_EQ(win32::SystemErrorText(ERROR_ALREADY_EXISTS),
              "Cannot create a file when that file already exists.");
    EXPECT_EQ(win32::SystemErrorText(ERROR_DIRECTORY), "The directory name is invalid.");
    EXPECT_EQ(win32::SystemErrorText(0x12345678), "");

    // Unknown ids and languages fail.
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(FormatMessageA(flags, nullptr, 0xDEAD, 0, buffer, sizeof buffer, nullptr, 0), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
    EXPECT_EQ(FormatMessageA(flags, nullptr, ERROR_FILE_NOT_FOUND, 0x0407, buffer, sizeof buffer, nullptr, 0),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_LANG_NOT_FOUND);

    // A system text with inserts needs them, or IGNORE_INSERTS keeps them.
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_MR_MID_NOT_FOUND, 0, buffer,
                             sizeof buffer, nullptr, 0),
              0u);
    ASSERT_GT(FormatMessageA(flags, nullptr, static_cast<DWORD>(STG_E_FILENOTFOUND), 0, buffer, sizeof buffer,
                             nullptr, 0),
              0u);
    EXPECT_STREQ(buffer, "%1 could not be found.\n");
    const DWORD_PTR args[] = {Arg("a.txt")};
    ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr,
                             static_cast<DWORD>(STG_E_FILENOTFOUND), 0, buffer, sizeof buffer, args, 1),
              0u);
    EXPECT_STREQ(buffer, "a.txt could not be found.\n");

    // Conflicting sources.
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_STRING, "x", 2, 0, buffer,
                             sizeof buffer, nullptr, 0),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FormatMessageTest, WideForm)
{
    char16_t* buffer = nullptr;
    const char16_t* fmt = u"%2 \u00fcber %1!d!";
    const DWORD_PTR args[] = {static_cast<DWORD_PTR>(-7), reinterpret_cast<DWORD_PTR>(u"caf\u00e9")};
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | kFromString, fmt, 0, 0,
                                   reinterpret_cast<LPWSTR>(&buffer), 0, args, 2);
    ASSERT_EQ(n, 12u);
    EXPECT_EQ(std::u16string(buffer, n), u"caf\u00e9 \u00fcber -7");
    EXPECT_EQ(LocalSize(buffer), 13 * sizeof(char16_t));
    EXPECT_EQ(LocalFree(buffer), nullptr);

    char16_t fixed[64];
    ASSERT_GT(
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, fixed, 64, nullptr, 0),
        0u);
    EXPECT_EQ(std::u16string(fixed), u"Access is denied.\n");
    const DWORD_PTR narrow[] = {Arg("narrow")};
    ASSERT_GT(FormatMessageW(kFromString, u"%1!S!", 0, 0, fixed, 64, narrow, 1), 0u);
    EXPECT_EQ(std::u16string(fixed), u"narrow");
}

TEST_F(FormatMessageTest, LocalHeap)
{
    const std::size_t before = win32::testing::LiveLocalAllocations();
    HLOCAL zeroed = LocalAlloc(LPTR, 16);
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(LocalSize(zeroed), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(static_cast<unsigned char*>(zeroed)[i], 0);
    EXPECT_EQ(LocalLock(zeroed), zeroed);
    HLOCAL empty = LocalAlloc(LMEM_FIXED, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_NE(empty, zeroed);
    EXPECT_EQ(win32::testing::LiveLocalAllocations(), before + 2);

    EXPECT_EQ(LocalFree(zeroed), nullptr);
    // A block freed twice, or never allocated here, is refused and left alone.
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LocalFree(zeroed), zeroed);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    int onStack = 0;
    EXPECT_EQ(LocalFree(&onStack), &onStack);
    EXPECT_EQ(LocalSize(&onStack), 0u);
    EXPECT_EQ(LocalFree(nullptr), nullptr);
    EXPECT_EQ(LocalAlloc(0x8000, 4), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(LocalFree(empty), nullptr);
    EXPECT_EQ(win32::testing::LiveLocalAllocations(), before);
}

} // namespace
