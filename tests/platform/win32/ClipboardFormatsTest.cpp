// Registered clipboard formats: one number per name whatever its case, for
// every thread of the process, and the name given back whole or cut on a
// character boundary.

#include "win32/ClipboardFormats.h"
#include "win32/Errors.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string NameOf(UINT format)
{
    std::array<char, 300> buffer{};
    const int length = GetClipboardFormatNameA(format, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), static_cast<size_t>(length));
}

TEST(ClipboardFormats, PredefinedNumbersAreThePlatformsOwn)
{
    struct Row {
        UINT Format;
        UINT Number;
    };
    for (const Row& row : {Row{CF_TEXT, 1}, Row{CF_BITMAP, 2}, Row{CF_OEMTEXT, 7}, Row{CF_DIB, 8},
                           Row{CF_UNICODETEXT, 13}, Row{CF_ENHMETAFILE, 14}, Row{CF_HDROP, 15},
                           Row{CF_LOCALE, 16}, Row{CF_DIBV5, 17}, Row{CF_PRIVATEFIRST, 0x200}})
        EXPECT_EQ(row.Format, row.Number);
}

TEST(ClipboardFormats, ANameInAnyCaseKeepsItsNumberAndFirstSpelling)
{
    const UINT first = RegisterClipboardFormatA("Corvane Test Format");
    ASSERT_GE(first, CF_REGISTERED_FIRST);
    for (const char* spelling :
         {"Corvane Test Format", "corvane test format", "CORVANE TEST FORMAT", "cOrVaNe TeSt FoRmAt"})
        EXPECT_EQ(RegisterClipboardFormat(spelling), first) << spelling;
    EXPECT_EQ(NameOf(first), "Corvane Test Format");

    // Beyond ASCII too; different names have different numbers.
    const UINT accented = RegisterClipboardFormatA("Übergabe Ärger");
    EXPECT_EQ(RegisterClipboardFormatA("übergabe ärger"), accented);
    EXPECT_NE(accented, first);
    const UINT other = RegisterClipboardFormatA("Corvane Test Format 2");
    EXPECT_NE(other, first);
    EXPECT_NE(other, accented);

    // Bytes that are not UTF-8 are a name of their own, and come back as they are.
    const UINT raw = RegisterClipboardFormatA("raw \xff\xfe name");
    EXPECT_NE(raw, first);
    EXPECT_EQ(NameOf(raw), "raw \xff\xfe name");
}

TEST(ClipboardFormats, BadNamesAndNumbersFail)
{
    struct Row {
        const char* What;
        const char* Name;
    };
    const std::string tooLong(256, 'n');
    for (const Row& row : {Row{"null", nullptr}, Row{"empty", ""}, Row{"over 255 bytes", tooLong.c_str()}}) {
        SetLastError(0);
        EXPECT_EQ(RegisterClipboardFormatA(row.Name), 0u) << row.What;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << row.What;
    }
    EXPECT_GE(RegisterClipboardFormatA(std::string(255, 'n').c_str()), CF_REGISTERED_FIRST);

    const UINT known = RegisterClipboardFormatA("Corvane Known Format");
    char buffer[16] = "untouched";
    struct NameRow {
        const char* What;
        UINT Format;
        char* Buffer;
        int Count;
    };
    for (const NameRow& row :
         {NameRow{"predefined", CF_TEXT, buffer, 16},
          NameRow{"never registered", CF_REGISTERED_LAST, buffer, 16},
          NameRow{"null buffer", known, nullptr, 16}, NameRow{"no room", known, buffer, 0},
          NameRow{"negative room", known, buffer, -1}}) {
        SetLastError(0);
        EXPECT_EQ(GetClipboardFormatNameA(row.Format, row.Buffer, row.Count), 0) << row.What;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << row.What;
        EXPECT_STREQ(buffer, "untouched") << row.What;
    }
}

TEST(ClipboardFormats, ANameIsCutToTheBufferOnACharacterBoundary)
{
    const UINT format = RegisterClipboardFormatA("ab\xc3\xa9z"); // a b é z
    struct Row {
        int Count;
        const char* Expected;
    };
    for (const Row& row : {Row{1, ""}, Row{2, "a"}, Row{3, "ab"}, Row{4, "ab"}, Row{5, "ab\xc3\xa9"},
                           Row{6, "ab\xc3\xa9z"}, Row{50, "ab\xc3\xa9z"}}) {
        char buffer[64];
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        const int copied = GetClipboardFormatNameA(format, buffer, row.Count);
        EXPECT_STREQ(buffer, row.Expected) << row.Count;
        EXPECT_EQ(copied, static_cast<int>(std::string(row.Expected).size())) << row.Count;
    }
}

TEST(ClipboardFormats, ThreadsRegisteringTogetherAgreeOnEachNumber)
{
    constexpr int Threads = 8;
    constexpr int Names = 40;
    std::vector<std::vector<UINT>> seen(Threads, std::vector<UINT>(Names));
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([t, &seen] {
            for (int n = 0; n < Names; ++n) {
                // Half the threads spell the names in capitals.
                std::string name = "Concurrent Format " + std::to_string(n);
                if (t % 2)
                    for (char& c : name)
                        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                seen[t][n] = RegisterClipboardFormatA(name.c_str());
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::set<UINT> distinct;
    for (int n = 0; n < Names; ++n) {
        for (int t = 1; t < Threads; ++t)
            EXPECT_EQ(seen[t][n], seen[0][n]) << "name " << n << " thread " << t;
        EXPECT_GE(seen[0][n], CF_REGISTERED_FIRST);
        distinct.insert(seen[0][n]);
    }
    EXPECT_EQ(distinct.size(), static_cast<size_t>(Names));
}

} // namespace
