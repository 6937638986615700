// The special-folder search never tries the placeholder ordinals as folder
// numbers. The shell stand-in answers none of them, so to show the search
// does not ask, the test makes the stand-in answer them (through its test
// hook) with lists the search would otherwise report.

#include "IdListTestSupport.h"

#include "UKwShellUtils.h"

#include "shell32/ShellTesting.h"

#include <gtest/gtest.h>

using namespace kw;
using kwtest::OwnedList;

namespace {

constexpr TCSIDL kPlaceholders[] = {csidl_None1, csidl_None2, csidl_None3,
                                    csidl_None4, csidl_None5, csidlNone};

// Extra answers of the stand-in for the life of the object.
class ExtraSpecialFolders {
public:
    ExtraSpecialFolders() { shell32::testing::ClearExtraSpecialFolders(); }
    ~ExtraSpecialFolders() { shell32::testing::ClearExtraSpecialFolders(); }
    ExtraSpecialFolders(const ExtraSpecialFolders&) = delete;
    ExtraSpecialFolders& operator=(const ExtraSpecialFolders&) = delete;

    void Answer(int number, const ITEMIDLIST* pidl) { shell32::testing::SetExtraSpecialFolder(number, pidl); }
    std::size_t Asked(int number) const { return shell32::testing::SpecialFolderRequests(number); }
};

} // namespace

TEST(SpecialFolderPlaceholders, AreNeverTriedAsFolderNumbers)
{
    OwnedList drives;
    ASSERT_EQ(ShellGetSpecialFolderIdList(nullptr, csidlDrives, drives.Out()), S_OK);
    OwnedList plain;
    ASSERT_EQ(ShellGetIdListFromPath("/", plain.Out()), S_OK);
    ASSERT_NE(ShellFindCSIDLFromIdList(plain.Get()), csidlDrives);

    ExtraSpecialFolders extra;
    // Unmapped, a placeholder is refused as any unknown number is.
    OwnedList refused;
    EXPECT_EQ(ShellGetSpecialFolderIdList(nullptr, csidl_None1, refused.Out()), E_INVALIDARG);
    const auto answerPlaceholders = [&] {
        // Number 1 answers with the drives folder: were it tried, the search
        // would report it before csidlDrives.
        extra.Answer(csidl_None1, drives.Get());
        for (const TCSIDL placeholder : {csidl_None2, csidl_None3, csidl_None4, csidl_None5, csidlNone})
            extra.Answer(placeholder, plain.Get());
        // A number the stand-in knows keeps its own answer.
        extra.Answer(csidlDrives, plain.Get());
    };
    answerPlaceholders();
    // The mapping is live: asked directly, number 1 gives the drives folder.
    OwnedList direct;
    ASSERT_EQ(ShellGetSpecialFolderIdList(nullptr, csidl_None1, direct.Out()), S_OK);
    EXPECT_EQ(CompareAbsIdLists(direct.Get(), drives.Get()), 0);
    ASSERT_EQ(ShellGetSpecialFolderIdList(nullptr, csidlDrives, direct.Out()), S_OK);
    EXPECT_EQ(CompareAbsIdLists(direct.Get(), drives.Get()), 0);

    // Counted afresh for the search.
    shell32::testing::ClearExtraSpecialFolders();
    answerPlaceholders();
    EXPECT_EQ(ShellFindCSIDLFromIdList(drives.Get()), csidlDrives);
    EXPECT_EQ(ShellFindCSIDLFromIdList(plain.Get()), csidlNone);
    for (const TCSIDL placeholder : kPlaceholders)
        EXPECT_EQ(extra.Asked(placeholder), 0u) << placeholder;
    // The real numbers were asked.
    EXPECT_EQ(extra.Asked(csidlDesktop), 2u);
    EXPECT_EQ(extra.Asked(csidlDrives), 2u);
    EXPECT_EQ(extra.Asked(csidlPrintHood), 1u);
}
