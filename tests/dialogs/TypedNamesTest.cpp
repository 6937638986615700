// The pure steps of the file dialogs' accept path: splitting typed text into
// names, combining a name with the folder shown, the validity test, patterns,
// and default extensions.

#include "PlatformTestSupport.h"

#include "FKwOpenDlg.h"
#include "UKwShConsts.h"

#include "win32/IdentityTesting.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using Names = std::vector<std::string>;

TEST(TypedNames, SplitIntoNames)
{
    struct Row {
        std::string text;
        Names names;
    };
    const Row rows[] = {
        {"report", {"report"}},
        {"", {""}},
        {"  lead and trail  ", {"  lead and trail  "}}, // no quote: the whole text
        {"a\\b:c", {"a\\b:c"}},
        {R"("a b.txt" c.txt)", {"a b.txt", "c.txt"}},
        {R"("  x")", {"  x"}}, // leading blanks inside quotes stay
        {R"("a.txt"   "b.txt")", {"a.txt", "b.txt"}},
        {"\"a.txt\"\t\t\"b.txt\"", {"a.txt", "b.txt"}},
        {"\t \"a\"", {"a"}},
        {"a\tb \"c\"", {"a\tb", "c"}}, // tabs and blanks belong to an unquoted name
        {R"(a"b")", {"a", "b"}},       // a quote inside an unquoted name ends it
        {R"(my file"x y"z)", {"my file", "x y", "z"}},
        {R"("")", {}},
        {R"("" "")", {}},
        {R"("a" "" "b")", {"a", "b"}},
        {R"("unterminated)", {"unterminated"}},
        {"\"trail   \"", {"trail"}},
        {"\"ctl\x01\x1f\"", {"ctl"}},
        {"\"line\nbreak\" \"x\"", {"line\nbreak", "x"}},
        {"\"caf\xC3\xA9\" \"\xFF\xFE\"", {"caf\xC3\xA9", "\xFF\xFE"}},
        {R"("docs/*.txt")", {"docs/*.txt"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(kw::TypedNames(row.text), row.names) << row.text;
}

TEST(TypedNames, QuoteAsTrailByteIsPartOfTheName)
{
    win32::testing::SetLeadByteRanges(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
    EXPECT_EQ(kw::TypedNames("\"\x81\"x\" y"), (Names{"\x81\"x", "y"}));
    EXPECT_FALSE(kw::IsValidFileName("\x81x<"));
    EXPECT_TRUE(kw::IsValidFileName("\x81|"));
    win32::testing::ResetLeadByteRanges();
}

std::string Repeat(std::string_view piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

TEST(TypedNames, CombineWithTheFolderShown)
{
    const std::string long255(255, 'x');
    const std::string long300(300, 'y');
    const std::string path5000 = Repeat("/" + std::string(49, 'p'), 100); // 5000 bytes
    struct Row {
        std::string base;
        std::string name;
        kw::TKwCombineResult result;
        std::string path;
    };
    const Row rows[] = {
        {"/home/u", "", kw::kwcrEmpty, ""},
        {"/home/u", "a.txt", kw::kwcrPath, "/home/u/a.txt"},
        {"/", "a.txt", kw::kwcrPath, "/a.txt"},
        {"/", "..", kw::kwcrPath, "/"},
        {"/home/u", "..", kw::kwcrPath, "/home"},
        {"/home/u", "../../../..", kw::kwcrPath, "/"},
        {"/home/u", ".", kw::kwcrPath, "/home/u"},
        {"/home/u", "./a/./b", kw::kwcrPath, "/home/u/a/b"},
        {"/home/u", "a/../b", kw::kwcrPath, "/home/u/b"},
        {"/home/u", "/abs", kw::kwcrPath, "/abs"},
        {"", "/abs/x", kw::kwcrPath, "/abs/x"},
        {"/home/u", "/abs/../..", kw::kwcrPath, "/"},
        {"/home/u", "/", kw::kwcrPath, "/"},
        {"/home/u", "//", kw::kwcrPath, "/"},
        {"/home/u", "a//b", kw::kwcrPath, "/home/u/a/b"},
        {"/home/u", "a/", kw::kwcrPath, "/home/u/a"},
        {"/home/u/", "x", kw::kwcrPath, "/home/u/x"},
        {"/home/u", "...", kw::kwcrPath, "/home/u/..."},
        {"/home/u", "..../x", kw::kwcrPath, "/home/u/..../x"},
        {"/home/u", "a\\b:c", kw::kwcrPath, "/home/u/a\\b:c"},
        {"/home/u", "C:", kw::kwcrPath, "/home/u/C:"},
        {"/home/u", " x ", kw::kwcrPath, "/home/u/ x "},
        {"/home/u", "line\nbreak", kw::kwcrPath, "/home/u/line\nbreak"},
        {"/home/u", "\xFF\xFE", kw::kwcrPath, "/home/u/\xFF\xFE"},
        {"", "a/b", kw::kwcrPath, "a/b"},
        {"", "a/../b", kw::kwcrPath, "b"},
        {"", "..", kw::kwcrEmpty, ""},
        {"", "a/..", kw::kwcrEmpty, ""},
        {"/home/u", long255, kw::kwcrPath, "/home/u/" + long255},
        {"/home/u", long300, kw::kwcrInvalid, ""},
        {"/home/u", "x/" + long300 + "/..", kw::kwcrInvalid, ""}, // never dropped unseen
        {"/", path5000, kw::kwcrInvalid, ""},
        {"/", path5000 + "/../..", kw::kwcrInvalid, ""},
        {"/", path5000.substr(0, 4000), kw::kwcrPath, path5000.substr(0, 4000)},
        {"/home/u", "a\0b"s, kw::kwcrInvalid, ""},
    };
    for (const Row& row : rows) {
        const kw::TKwCombinedPath combined = kw::CombinePath(row.base, row.name);
        EXPECT_EQ(combined.Result, row.result) << row.base << " + " << row.name.substr(0, 40);
        EXPECT_EQ(combined.Path, row.path) << row.base << " + " << row.name.substr(0, 40);
    }
}

TEST(TypedNames, ValidityTest)
{
    struct Row {
        std::string name;
        bool valid;
    };
    const Row rows[] = {
        {"report.txt", true},
        {"a<b", false},
        {"a>b", false},
        {"a|b", false},
        {"a\0b"s, false},
        {"/", true},
        {"//", true},
        {"a\\\\b", true},
        {"C:x", true},
        {"*.txt", true},
        {"?", true},
        {"\"quoted\"", true},
        {"line\nbreak", true},
        {"\xFF\xFE", true},
        {std::string(255, 'n'), true},
        {std::string(256, 'n'), false},
        {"dir/" + std::string(256, 'n') + "/x", false},
        {Repeat("/" + std::string(90, 'c'), 45).substr(0, 4095), true},
        {Repeat("/" + std::string(90, 'c'), 46).substr(0, 4096), false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(kw::IsValidFileName(row.name), row.valid) << row.name.substr(0, 40);
}

TEST(TypedNames, Patterns)
{
    struct Row {
        std::string text;
        kw::TKwFrmOpenDlg_LIS lastInput;
        std::optional<std::string> folder; // nothing: no pattern
        std::string mask;
    };
    const Row rows[] = {
        {"*.txt", kw::lisEdit, "", "*.txt"},
        {"docs/*.txt", kw::lisEdit, "docs/", "*.txt"},
        {"/tmp/a?.log", kw::lisEdit, "/tmp/", "a?.log"},
        {"../*", kw::lisEdit, "../", "*"},
        {"*.txt", kw::lisList, std::nullopt, ""},
        {"a*b", kw::lisList, std::nullopt, ""},
        {R"("a*b" "c")", kw::lisList, std::nullopt, ""},
        {"docs*/x.txt", kw::lisEdit, std::nullopt, ""},
        {"report.txt", kw::lisEdit, std::nullopt, ""},
        {"", kw::lisEdit, std::nullopt, ""},
        {R"("*.txt")", kw::lisEdit, "", "*.txt"}, // quotes do not escape a pattern
        {R"("my docs/*.txt")", kw::lisEdit, "my docs/", "*.txt"},
        {R"("*.txt" "*.md")", kw::lisEdit, "", "*.txt;*.md"},
        {R"("a.txt" "sub/*.md")", kw::lisEdit, "sub/", "*.md"},
    };
    for (const Row& row : rows) {
        const auto pattern = kw::SplitPattern(row.text, row.lastInput);
        ASSERT_EQ(pattern.has_value(), row.folder.has_value()) << row.text;
        if (pattern) {
            EXPECT_EQ(pattern->Folder, *row.folder) << row.text;
            EXPECT_EQ(pattern->Mask, row.mask) << row.text;
        }
    }
}

TEST(TypedNames, MaskExtension)
{
    const std::pair<std::string, std::string> rows[] = {
        {"*.txt", ".txt"},
        {"*.*", ""},
        {"*", ""},
        {"*.pas;*.dpr", ".dpr"},
        {"*.t?t", ""},
        {"*.tar.gz", ".gz"},
        {"", ""},
        {"*.TXT", ".TXT"},
        // A list's last mask counts; blanks and empty masks are no extension.
        {"*.txt;", ".txt"},
        {"*.txt; ", ".txt"},
        {" *.pas ; *.dpr ", ".dpr"},
        {";;", ""},
    };
    for (const auto& [mask, ext] : rows)
        EXPECT_EQ(kw::MaskExtension(mask), ext) << mask;
}

// The classes root comes from the MIME database, where ".txt" and ".pas" are
// file types and ".xyz" and ".dpr" are not.
class DefaultExtension : public ::testing::Test {
protected:
    kwtest::ScopedRegistryHome Registry_;
};

TEST_F(DefaultExtension, RegisteredExtensions)
{
    const std::pair<std::string, bool> rows[] = {
        {".txt", true}, {".TXT", true}, {".pas", true}, {".xyz", false},  {".dpr", false},
        {".", false},   {"", false},    {"txt", false}, {".x\\y", false},
    };
    for (const auto& [ext, registered] : rows)
        EXPECT_EQ(kw::IsRegisteredExtension(ext), registered) << ext;
}

TEST_F(DefaultExtension, CompletesNamesAndKeepsTheFlag)
{
    struct Row {
        std::string name;
        std::string defaultExt;
        std::string mask;
        bool flagBefore;
        std::string result;
        bool flagAfter;
    };
    const Row rows[] = {
        {"/d/report", "txt", "*.txt", true, "/d/report.txt", false},
        {"/d/report", "txt", "*.txt", false, "/d/report.txt", false},
        {"/d/a.xyz", "txt", "*.txt", false, "/d/a.xyz.txt", false},
        {"/d/a.txt", "txt", "*.txt", true, "/d/a.txt", false},
        {"/d/a.txt", "TXT", "*.txt", true, "/d/a.txt", false},
        {"/d/a.txt", "pas", "*.pas", false, "/d/a.txt", true},
        {"/d/report", "txt", "*", true, "/d/report.txt", false},
        {"/d/report", "txt", "*.*", true, "/d/report.txt", false},
        {"/d/report", "txt", "*.pas;*.dpr", false, "/d/report.dpr", true},
        {"/d/report", "txt", "", true, "/d/report.txt", false},
        {"/d/report", "", "*.txt", true, "/d/report", true},
        {"/d/report.", "txt", "*.txt", false, "/d/report.txt", false},
        {"/d/a.dpr", "txt", "*.dpr", true, "/d/a.dpr", true},
        {"/d/a.dpr", "txt", "*.dpr", false, "/d/a.dpr", false},
        {"/d/.bashrc", "txt", "*.txt", false, "/d/.bashrc.txt", false},
        {"/d/a.x\\y", "txt", "*.txt", false, "/d/a.x\\y.txt", false},
        {"/d/line\nbreak", "txt", "", false, "/d/line\nbreak.txt", false},
    };
    for (const Row& row : rows) {
        std::string name = row.name;
        kw::TKwOpenOptions options{kw::kwofCreatePrompt};
        if (row.flagBefore)
            options += kw::kwofExtensionDifferent;
        kw::ApplyDefaultExt(name, options, row.defaultExt, row.mask);
        const std::string label = row.name + " " + row.defaultExt + " " + row.mask;
        EXPECT_EQ(name, row.result) << label;
        EXPECT_EQ(options.Contains(kw::kwofExtensionDifferent), row.flagAfter) << label;
        EXPECT_TRUE(options.Contains(kw::kwofCreatePrompt)) << label;
    }
}

TEST(TypedNames, PromptTexts)
{
    struct Row {
        vcl::PResStringRec message;
        std::string insert;
        std::string text;
    };
    const Row rows[] = {
        {&kw::SFileNotFound, "/d/a\nb",
         "/d/a\nb\nFile not found.\nPlease verify the correct file name was given."},
        {&kw::SThereCanBeOnlyOne, "50%d",
         "More than one file has the name '50%d'.\n\nChoose one from the list of files."},
        {&kw::SFileExistsReplace, "/d/\xFF", "/d/\xFF already exists.\nDo you want to replace it?"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(kw::FormatPrompt(row.message, row.insert), row.text);
}

} // namespace
