// The shell list's file masks: how a mask reads a name, how a filter text
// splits, and the one listing of a real folder whose names and own path hold
// characters a pattern library would read.

#include "UKwShellControls_FileMasks_p.h"

#include "../support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

using kw::detail::CollectMaskedNames;
using kw::detail::IsOpenFileFilter;
using kw::detail::SplitFileMasks;
using kw::detail::TKwFileMask;

struct MaskCase {
    const char* Mask;
    std::string Name;
    bool Matches;
};

TEST(FileMasks, EachMaskReadsNamesByItsOwnRules)
{
    const std::string invalid = std::string("bad\xff") + ".txt";
    const MaskCase cases[] = {
        {"*.txt", "a.txt", true},
        {"*.txt", "A.TXT", true},
        {"*.TXT", "a.txt", true},
        {"*.txt", "a.txt.bak", false},
        {"*.txt", ".h.txt", true},
        {"*.txt", "txt", false},
        {"a*", "A", true},
        {"*", "", true},
        {"?", "", false},
        {"?.txt", "ä.txt", true},   // one character of two bytes
        {"??.txt", "ä.txt", false}, // not two
        {"Ä*", "äpfel", true},      // folded beyond ASCII
        {"ǅ*", "ǆx", true},         // a title-case letter folds too
        {"q?.txt", "q?.txt", true}, // a wildcard also takes itself
        {"q?.txt", "qx.txt", true},
        {"q?.txt", "q.txt", false},
        {"x*y.txt", "x*y.txt", true},
        {"x*y.txt", "xabcy.txt", true},
        {"x*y.txt", "xy.txt", true},
        {"x*y.txt", "xy.txtz", false},
        {"back\\slash.txt", "back\\slash.txt", true}, // no escape
        {"back\\slash.txt", "backslash.txt", false},
        {"[ab].txt", "a.txt", false}, // no sets
        {"[ab].txt", "[ab].txt", true},
        {"*.txt", "new\nline.txt", true},
        {"new?line.txt", "new\nline.txt", true},
        {"*.txt", invalid, true},
        {"bad?.txt", invalid, true},    // the lone byte is one character
        {"bad\xff.txt", invalid, true}, // and it stands for itself
        {"bad\xfe.txt", invalid, false},
        {"bad\xc3\xbf.txt", invalid, false}, // not for the character U+00FF
        {"*.*", "noextension", true},
        {"*.*", "", true},
        {"sub/*.txt", "a.txt", false},
        {"/", "a", false},
        {" *.txt", "a.txt", false}, // the blank is part of the mask
        {" *.txt", " a.txt", true},
        {"*a*b*c", "xaxbxbxc", true},
        {"*a*b*c", "xaxbxbx", false},
        {"a**b", "ab", true},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(TKwFileMask(c.Mask).Matches(c.Name), c.Matches)
            << "mask '" << c.Mask << "' name '" << c.Name << "'";
}

TEST(FileMasks, FilterTextsSplitAtSemicolonsKeepingBlanks)
{
    const struct {
        const char* Filter;
        std::vector<std::string> Masks;
        bool Open;
    } cases[] = {
        {"", {}, true},
        {"*", {"*"}, true},
        {"*.*", {"*.*"}, true},
        {";;", {}, false},
        {"a;;b", {"a", "b"}, false},
        {"*.txt;*.log", {"*.txt", "*.log"}, false},
        {" *.txt", {" *.txt"}, false},
        {"*.txt ; *.log;", {"*.txt ", " *.log"}, false},
        {"ä;ö", {"ä", "ö"}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitFileMasks(c.Filter), c.Masks) << c.Filter;
        EXPECT_EQ(IsOpenFileFilter(c.Filter), c.Open) << c.Filter;
    }
}

void Touch(const std::string& path)
{
    std::ofstream(path, std::ios::binary) << "x";
}

std::vector<std::string> Collected(const std::string& folder, const std::vector<std::string>& texts,
                                   bool* whole = nullptr)
{
    std::vector<TKwFileMask> masks(texts.begin(), texts.end());
    std::unordered_set<std::string> names;
    const bool ok = CollectMaskedNames(folder, masks, names);
    if (whole)
        *whole = ok;
    std::vector<std::string> sorted(names.begin(), names.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

TEST(FileMasks, OneListingCollectsTheFilesAMaskMatches)
{
    kwtest::TempDir temp;
    // The folder's own name holds what a pattern would read.
    const std::string folder = temp / "odd*?[\\\nfolder";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string invalid = std::string("bad\xff") + ".txt";
    for (const std::string name : {"a.txt", "A.TXT", "b.log", ".h.txt", "x*y.txt", "q?.txt",
                                   "back\\slash.txt", "new\nline.txt", "c.doc"})
        Touch(folder + "/" + name);
    Touch(folder + "/" + invalid);
    ASSERT_EQ(::mkdir((folder + "/dir.txt").c_str(), 0700), 0);
    ASSERT_EQ(::symlink("dir.txt", (folder + "/link.txt").c_str()), 0);
    ASSERT_EQ(::symlink("c.doc", (folder + "/filelink.txt").c_str()), 0);

    using V = std::vector<std::string>;
    EXPECT_EQ(Collected(folder, {"*.txt", "*.log"}),
              (V{".h.txt", "A.TXT", "a.txt", "b.log", "back\\slash.txt", invalid, "filelink.txt", "link.txt",
                 "new\nline.txt", "q?.txt", "x*y.txt"}));
    EXPECT_EQ(Collected(folder, {"*.TXT"}).size(), 10u);
    EXPECT_EQ(Collected(folder, {"q?.txt"}), (V{"q?.txt"}));
    EXPECT_EQ(Collected(folder, {"sub/*.txt"}), V{});
    EXPECT_EQ(Collected(folder, {" *.txt"}), V{});
    EXPECT_EQ(Collected(folder, {"a", "b"}), V{});
    bool whole = false;
    EXPECT_EQ(Collected(folder, {"x*"}, &whole), (V{"x*y.txt"}));
    EXPECT_TRUE(whole);

    // A folder that is gone lists nothing and says so.
    EXPECT_EQ(Collected(temp / "gone", {"*"}, &whole), V{});
    EXPECT_FALSE(whole);
}

} // namespace
