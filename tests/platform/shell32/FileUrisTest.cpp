#include "shell32/FileUris.h"

#include <unistd.h>

#include <climits>
#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using Paths = std::vector<std::string>;

std::string ThisHost()
{
    char name[HOST_NAME_MAX + 1] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

struct UrlCase {
    const char* Name;
    std::string Url;
    std::optional<std::string> Path;
};

class FileUrls : public testing::TestWithParam<UrlCase> {};

TEST_P(FileUrls, NameFilesOfThisHostOnly)
{
    EXPECT_EQ(shell32::FileUrlPath(GetParam().Url), GetParam().Path);
}

INSTANTIATE_TEST_SUITE_P(Urls, FileUrls,
                         testing::Values(UrlCase{"EmptyHost", "file:///home/a%20b", "/home/a b"},
                                         UrlCase{"Localhost", "file://LocalHost/x", "/x"},
                                         UrlCase{"ThisMachine", "file://" + ThisHost() + "/x", "/x"},
                                         UrlCase{"NoAuthority", "file:/x/y", "/x/y"},
                                         UrlCase{"SchemeInCapitals", "FILE:///x", "/x"},
                                         UrlCase{"RawBytes", "file:///%FF%0A%25", "/\xff\n%"},
                                         UrlCase{"UnescapedUtf8", "file:///caf\xc3\xa9", "/caf\xc3\xa9"},
                                         UrlCase{"OtherHost", "file://elsewhere.example/x", std::nullopt},
                                         UrlCase{"HostWithPort", "file://localhost:80/x", std::nullopt},
                                         UrlCase{"OtherScheme", "http://localhost/x", std::nullopt},
                                         UrlCase{"SchemeOnly", "file:", std::nullopt},
                                         UrlCase{"RelativePath", "file:x", std::nullopt},
                                         UrlCase{"HostWithoutPath", "file://localhost", std::nullopt},
                                         UrlCase{"EscapedNul", "file:///a%00b", std::nullopt},
                                         // A slash inside a name: no file here has it.
                                         UrlCase{"EscapedSlash", "file:///tmp%2Fpasswd", std::nullopt},
                                         UrlCase{"EscapedSlashLower", "file:///a/..%2f..%2fb", std::nullopt},
                                         UrlCase{"BrokenEscape", "file:///a%zz", std::nullopt},
                                         UrlCase{"CutEscape", "file:///a%4", std::nullopt},
                                         UrlCase{"Fragment", "file:///a#b", std::nullopt},
                                         UrlCase{"Query", "file:///a?b", std::nullopt},
                                         UrlCase{"ControlCharacter", "file:///a\tb", std::nullopt},
                                         UrlCase{"RawNul", "file:///a\0b"s, std::nullopt}),
                         [](const auto& info) { return std::string(info.param.Name); });

struct ListCase {
    const char* Name;
    std::string Payload;
    std::optional<Paths> Expected;
};

class UriLists : public testing::TestWithParam<ListCase> {};

TEST_P(UriLists, GiveTheFilesSentAndNoOthers)
{
    EXPECT_EQ(shell32::ParseUriList(GetParam().Payload), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, UriLists,
    testing::Values(ListCase{"CrLf", "file:///a\r\nfile:///b\r\n", Paths{"/a", "/b"}},
                    ListCase{"LfNoFinalEnd", "file:///a\nfile:///b", Paths{"/a", "/b"}},
                    ListCase{"CommentsAndBlanks", "# a comment\r\n\r\nfile:///a\n\n#file:///b\n",
                             Paths{"/a"}},
                    ListCase{"OthersLeftOut", "http://x/y\r\nfile://far/z\r\nfile:///a%00\r\nfile:///ok\r\n",
                             Paths{"/ok"}},
                    ListCase{"LoneCrInALine", "file:///a\rfile:///b\n", Paths{}},
                    ListCase{"Empty", "", Paths{}}, ListCase{"OnlyLineEnds", "\r\n\n\r\n", Paths{}},
                    ListCase{"TooLarge", std::string(shell32::kMaxFileListBytes + 1, '#'), std::nullopt}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(UriLists, HundredMebibytesAreRefusedWhole)
{
    std::string payload;
    payload.reserve(100u << 20);
    while (payload.size() < (100u << 20))
        payload += "file:///tmp/some/file\r\n";
    EXPECT_EQ(shell32::ParseUriList(payload), std::nullopt);
    EXPECT_EQ(shell32::ParseCopiedFiles("cut\n" + payload), std::nullopt);
}

struct CopiedCase {
    const char* Name;
    std::string Payload;
    bool Parsed;
    bool Cut;
    Paths Expected;
};

class CopiedFilesPayloads : public testing::TestWithParam<CopiedCase> {};

TEST_P(CopiedFilesPayloads, ReadTheOperationThenTheFiles)
{
    const CopiedCase& c = GetParam();
    const auto files = shell32::ParseCopiedFiles(c.Payload);
    ASSERT_EQ(files.has_value(), c.Parsed);
    if (!files)
        return;
    EXPECT_EQ(files->Cut, c.Cut);
    EXPECT_EQ(files->Paths, c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, CopiedFilesPayloads,
    testing::Values(CopiedCase{"Cut", "cut\nfile:///a\nfile:///b", true, true, {"/a", "/b"}},
                    CopiedCase{"CopyCrLf", "copy\r\nfile:///a\r\n", true, false, {"/a"}},
                    CopiedCase{"CopyAlone", "copy", true, false, {}},
                    CopiedCase{"OtherHostLeftOut", "cut\nfile://far/a\nfile:///b", true, true, {"/b"}},
                    CopiedCase{"UnknownFirstLine", "move\nfile:///a", false, false, {}},
                    CopiedCase{"FirstLineInCapitals", "CUT\nfile:///a", false, false, {}},
                    CopiedCase{"UrlFirst", "file:///a\nfile:///b", false, false, {}},
                    CopiedCase{"Empty", "", false, false, {}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(FileUris, WrittenListsReadBackByteForByte)
{
    const Paths paths{"/home/u/a b", "/tmp/new\nline", "/x/\xff\xfe invalid", "/100%", "/#?;=&+", "/"};
    for (const std::string& path : paths)
        EXPECT_EQ(shell32::FileUrlPath(shell32::FileUrlFromPath(path)), path);
    EXPECT_EQ(shell32::ParseUriList(shell32::MakeUriList(paths)), paths);
    const std::string cut = shell32::MakeCopiedFiles({true, paths});
    EXPECT_EQ(cut.substr(0, 4), "cut\n");
    EXPECT_NE(cut.back(), '\n');
    const auto files = shell32::ParseCopiedFiles(cut);
    ASSERT_TRUE(files);
    EXPECT_TRUE(files->Cut);
    EXPECT_EQ(files->Paths, paths);
}

} // namespace
