// Reading the user's trash: good, malformed, hostile and oversized
// .trashinfo files, in a trash under a temporary XDG_DATA_HOME.

#include "shell32/Trash.h"
#include "shell32/ShellTesting.h"
#include "shell32/UserDirs.h"

#include "PlatformTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

using kwtest::ScopedEnv;
using kwtest::WriteFile;
using shell32::TrashDate;
using shell32::TrashEntry;

namespace {

const TrashEntry* Find(const std::vector<TrashEntry>& entries, const std::string& name)
{
    const auto found =
        std::find_if(entries.begin(), entries.end(), [&](const TrashEntry& e) { return e.Name == name; });
    return found == entries.end() ? nullptr : &*found;
}

} // namespace

TEST(Trash, DecodingAndDates)
{
    EXPECT_EQ(shell32::DecodePercentEscapes("/home/me/a%20b%2fc"), "/home/me/a b/c");
    EXPECT_EQ(shell32::DecodePercentEscapes("%C3%A9%ff"), "\xC3\xA9\xFF") << "bytes survive";
    EXPECT_EQ(shell32::DecodePercentEscapes(""), "");
    EXPECT_FALSE(shell32::DecodePercentEscapes("%"));
    EXPECT_FALSE(shell32::DecodePercentEscapes("abc%4"));
    EXPECT_FALSE(shell32::DecodePercentEscapes("%G1"));
    EXPECT_FALSE(shell32::DecodePercentEscapes("a%00b")) << "no NUL inside a path";

    EXPECT_EQ(shell32::ParseTrashDate("2024-02-29T23:59:60"), (TrashDate{2024, 2, 29, 23, 59, 60}));
    EXPECT_EQ(shell32::ParseTrashDate("2023-12-01T08:05:09.123"), (TrashDate{2023, 12, 1, 8, 5, 9}));
    EXPECT_FALSE(shell32::ParseTrashDate("2023-02-29T10:00:00")) << "not a leap year";
    EXPECT_FALSE(shell32::ParseTrashDate("2023-13-01T10:00:00"));
    EXPECT_FALSE(shell32::ParseTrashDate("2023-04-31T10:00:00"));
    EXPECT_FALSE(shell32::ParseTrashDate("2023-04-30T24:00:00"));
    EXPECT_FALSE(shell32::ParseTrashDate("2023-04-30 10:00:00"));
    EXPECT_FALSE(shell32::ParseTrashDate("2023-04-30T10:00:0"));
    EXPECT_FALSE(shell32::ParseTrashDate("2023-04-30T10:00:00Zjunk"));
    EXPECT_FALSE(shell32::ParseTrashDate("2023-04-30T10:00:00."));
    EXPECT_FALSE(shell32::ParseTrashDate("+023-04-30T10:00:00"));
}

TEST(Trash, ParsingInfoFiles)
{
    auto info = shell32::ParseTrashInfo("[Trash Info]\nPath=/home/me/My%20File.txt\n"
                                        "DeletionDate=2024-05-01T10:20:30\n",
                                        "/home/me/.local/share");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->OriginalPath, "/home/me/My File.txt");
    EXPECT_EQ(info->DeletionDate, (TrashDate{2024, 5, 1, 10, 20, 30}));

    // A relative path lies below the folder holding the trash, never above it.
    info = shell32::ParseTrashInfo("[Trash Info]\nPath=docs/a.txt\n", "/data");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->OriginalPath, "/data/docs/a.txt");
    EXPECT_FALSE(info->DeletionDate);
    info = shell32::ParseTrashInfo("[Trash Info]\nPath=docs/../../etc/passwd\n", "/data");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->OriginalPath, "");

    // Missing or broken keys leave the fields empty; the file still counts.
    info = shell32::ParseTrashInfo("[Trash Info]\nPath=/a%zz\nDeletionDate=yesterday\n", "/");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->OriginalPath, "");
    EXPECT_FALSE(info->DeletionDate);

    // Not trash info at all.
    EXPECT_FALSE(shell32::ParseTrashInfo("", "/"));
    EXPECT_FALSE(shell32::ParseTrashInfo("Path=/a\n", "/"));
    EXPECT_FALSE(shell32::ParseTrashInfo("[Desktop Entry]\nPath=/a\n", "/"));
    EXPECT_FALSE(shell32::ParseTrashInfo("[Trash Info\nPath=/a\n", "/"));
    const std::string huge = "[Trash Info]\nPath=/" + std::string(shell32::kMaxTrashInfoBytes, 'a') + "\n";
    EXPECT_FALSE(shell32::ParseTrashInfo(huge, "/"));
}

TEST(Trash, ListsTheUsersTrash)
{
    kwtest::TempDir temp;
    ScopedEnv dataHome("XDG_DATA_HOME", temp / "data");
    shell32::testing::ResetCachedLocations();
    const std::string trash = shell32::TrashDirectory();
    ASSERT_EQ(trash, temp / "data/Trash");

    // No trash yet: empty, not an error.
    std::vector<TrashEntry> entries{TrashEntry{}};
    ASSERT_TRUE(shell32::ListTrash(trash, entries));
    EXPECT_TRUE(entries.empty());

    std::filesystem::create_directories(trash + "/files/folder");
    std::filesystem::create_directories(trash + "/info");
    WriteFile(trash + "/files/report.txt", "12345");
    WriteFile(trash + "/info/report.txt.trashinfo",
              "[Trash Info]\nPath=/home/me/report.txt\nDeletionDate=2024-05-01T10:20:30\n");
    // A second file of the same original name got a suffix in files/.
    WriteFile(trash + "/files/report.2.txt", "");
    WriteFile(trash + "/info/report.2.txt.trashinfo",
              "[Trash Info]\nPath=/home/me/old/report.txt\nDeletionDate=2024-05-02T00:00:00\n");
    WriteFile(trash + "/info/folder.trashinfo", "[Trash Info]\nPath=/home/me/folder\n");
    // No info, malformed info, an info that is a folder, an oversized one.
    WriteFile(trash + "/files/orphan", "x");
    WriteFile(trash + "/files/garbage", "x");
    WriteFile(trash + "/info/garbage.trashinfo", std::string("\x01\xFF[Trash\0 Info]\n=\n", 17));
    WriteFile(trash + "/files/dirinfo", "x");
    std::filesystem::create_directories(trash + "/info/dirinfo.trashinfo");
    WriteFile(trash + "/files/big", "x");
    WriteFile(trash + "/info/big.trashinfo",
              "[Trash Info]\nPath=/home/me/big\n#" + std::string(shell32::kMaxTrashInfoBytes, '#') + "\n");
    // A FIFO in place of an info file must not hang the listing.
    WriteFile(trash + "/files/fifo", "x");
    ASSERT_EQ(mkfifo((trash + "/info/fifo.trashinfo").c_str(), 0600), 0);
    // Info without a file is ignored.
    WriteFile(trash + "/info/gone.trashinfo", "[Trash Info]\nPath=/home/me/gone\n");

    ASSERT_TRUE(shell32::ListTrash(trash, entries));
    ASSERT_EQ(entries.size(), 8u);
    EXPECT_FALSE(Find(entries, "gone"));

    const TrashEntry* report = Find(entries, "report.txt");
    ASSERT_TRUE(report && report->Info);
    EXPECT_EQ(report->Kind, shell32::ItemKind::File);
    EXPECT_EQ(report->Stat.size, 5u);
    EXPECT_TRUE(S_ISREG(report->Stat.mode));
    EXPECT_GT(report->Stat.mtimeNs, 0);
    EXPECT_EQ(report->Info->OriginalPath, "/home/me/report.txt");
    EXPECT_EQ(report->DisplayName(), "report.txt");

    const TrashEntry* second = Find(entries, "report.2.txt");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->DisplayName(), "report.txt") << "shown by its original name";

    const TrashEntry* folder = Find(entries, "folder");
    ASSERT_TRUE(folder && folder->Info);
    EXPECT_EQ(folder->Kind, shell32::ItemKind::Directory);
    EXPECT_FALSE(folder->Info->DeletionDate);

    for (const char* name : {"orphan", "garbage", "dirinfo", "big", "fifo"}) {
        const TrashEntry* entry = Find(entries, name);
        ASSERT_TRUE(entry) << name;
        EXPECT_FALSE(entry->Info) << name;
        EXPECT_EQ(entry->DisplayName(), name);
    }

    TrashEntry one;
    ASSERT_TRUE(shell32::ReadTrashEntry(trash, "report.2.txt", one));
    EXPECT_EQ(one.Info->OriginalPath, "/home/me/old/report.txt");
    EXPECT_FALSE(shell32::ReadTrashEntry(trash, "gone", one));
    EXPECT_FALSE(shell32::ReadTrashEntry(trash, "../info/gone.trashinfo", one));
    EXPECT_EQ(errno, EINVAL);

    // A trash whose files/ cannot be read is an error, not an empty trash.
    WriteFile(temp / "notatrash", "");
    std::filesystem::create_directories(temp / "broken");
    WriteFile(temp / "broken/files", "not a folder");
    EXPECT_FALSE(shell32::ListTrash(temp / "broken", entries));
    EXPECT_EQ(errno, ENOTDIR);
}
