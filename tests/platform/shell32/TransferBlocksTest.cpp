// The shell's transfer blocks built from plain values, and file: URLs of
// any path bytes.

#include "shell32/TransferBlocks.h"
#include "shell32/FileDataObjects.h"
#include "shell32/FileUrls.h"
#include "shell32/Folders.h"

#include "ShellTestHelpers.h"
#include "TransferBlockReaders.h"

#include <gtest/gtest.h>

#include <filesystem>

using blocktest::Dword;
using blocktest::TakeBlock;

TEST(FileUrls, EveryByteButTheUnreservedIsEscaped)
{
    const struct {
        std::string path;
        std::string url;
    } cases[] = {
        {"/", "file:///"},
        {"/home/me/a-b_c.d~e", "file:///home/me/a-b_c.d~e"},
        {"/a b/ c ", "file:///a%20b/%20c%20"},
        {"/line\nbreak", "file:///line%0Abreak"},
        {"/100%/%41", "file:///100%25/%2541"},
        {"/caf\xC3\xA9", "file:///caf%C3%A9"},
        {"/bad\xFF\xFE", "file:///bad%FF%FE"},
        {"/q?h#s;c:a@e=&+$,!'()*[]", "file:///q%3Fh%23s%3Bc%3Aa%40e%3D%26%2B%24%2C%21%27%28%29%2A%5B%5D"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shell32::FileUrlFromPath(c.path), c.url) << c.path;
}

TEST(TransferBlocks, FileDropBlockHoldsEveryNameWhole)
{
    const struct {
        std::vector<std::string> names;
        std::size_t size;
    } cases[] = {
        {{}, 21},
        {{"/a"}, 24},
        {{"/a", "/b c"}, 29},
        {{std::string(4000, 'n')}, 20 + 4001 + 1},
    };
    for (const auto& c : cases) {
        const std::string bytes = TakeBlock(shell32::MakeFileDropBlock(c.names));
        ASSERT_EQ(bytes.size(), c.size);
        EXPECT_EQ(Dword(bytes, 0), 20u) << "pFiles";
        EXPECT_EQ(bytes.substr(4, 16), std::string(16, '\0')) << "point, fNC, fWide 0";
        EXPECT_EQ(blocktest::FileDropNames(bytes), c.names);
        EXPECT_EQ(bytes.substr(bytes.size() - 2), std::string(2, '\0'));
    }
    EXPECT_EQ(shell32::MakeFileDropBlock({"/a", std::string("/b\0c", 4)}), nullptr) << "a zero inside a name";
    // An empty name would end the list early and lose the names after it.
    EXPECT_EQ(shell32::MakeFileDropBlock({"/a", "", "/b"}), nullptr) << "an empty name";
}

TEST(TransferBlocks, IdListArrayLayout)
{
    std::string item;
    shell32::AppendVirtualItem(item, com::MakeGuid("{20D04FE0-3AEA-1069-A2D8-08002B30309D}"));
    const struct {
        std::string parent;
        std::size_t items;
        std::uint32_t parentAt;
    } cases[] = {{"", 1, 12}, {"", 3, 20}, {item, 2, 16}};
    for (const auto& c : cases) {
        std::vector<std::string_view> items(c.items, item);
        const std::string bytes = TakeBlock(shell32::MakeIdListArrayBlock(c.parent, items));
        ASSERT_EQ(bytes.size(), c.parentAt + c.parent.size() + 2 + c.items * (item.size() + 2));
        EXPECT_EQ(Dword(bytes, 0), c.items);
        EXPECT_EQ(Dword(bytes, 4), c.parentAt);
        std::uint32_t at = c.parentAt + static_cast<std::uint32_t>(c.parent.size()) + 2;
        for (std::size_t i = 0; i < c.items; ++i, at += static_cast<std::uint32_t>(item.size()) + 2) {
            EXPECT_EQ(Dword(bytes, 8 + 4 * i), at);
            EXPECT_EQ(bytes.substr(at, item.size() + 2), item + std::string(2, '\0'));
        }
    }
}

TEST(TransferBlocks, IdListArrayOfAbsoluteListsSharesTheirDeepestFolder)
{
    shelltest::ShellEnvironment Env;
    const auto MakeFile = [&](const std::string& name) {
        shelltest::WriteFile(Env / name, "x");
        return Env / name;
    };
    std::filesystem::create_directories(Env / "d/e");
    const std::string a = MakeFile("d/a"), b = MakeFile("d/b"), c = MakeFile("d/e/c"), top = MakeFile("t");
    const std::string folder = Env / "d";
    const struct {
        std::vector<std::string> paths;
        std::string parent;
    } cases[] = {
        {{a}, folder},          {{a, b}, folder},          {{b, c, a}, folder},
        {{a, top}, Env.Home()}, {{folder, c}, Env.Home()}, {{a, a}, folder},
    };
    for (const auto& c : cases) {
        std::vector<std::string> lists;
        for (const std::string& path : c.paths) {
            std::string items;
            ASSERT_EQ(shell32::ParseAbsolutePath(path, items), S_OK);
            lists.push_back(items);
        }
        HGLOBAL block = shell32::IdListArrayFromAbsoluteLists(lists);
        ASSERT_NE(block, nullptr);
        const std::string bytes = TakeBlock(block);
        EXPECT_EQ(blocktest::IdListArrayPaths(bytes), c.paths);
        const std::string parentList = bytes.substr(Dword(bytes, 4));
        EXPECT_EQ(shell32::PathFromIdList(reinterpret_cast<LPCITEMIDLIST>(parentList.data())), c.parent);
    }
    EXPECT_EQ(shell32::IdListArrayFromAbsoluteLists({""}), nullptr) << "the desktop is no item of its own";
    EXPECT_EQ(shell32::IdListArrayFromAbsoluteLists({"\x05"}), nullptr) << "not whole items";
}

TEST(TransferBlocks, IdListArrayOfPathsAnswersAsEachPathParsedAlone)
{
    // Runs of files of one folder share its items; the array is the one the
    // paths' own lists give.
    shelltest::ShellEnvironment Env;
    std::filesystem::create_directories(Env / "d/e");
    for (const char* name : {"d/a", "d/b", "d/e/c", "t"})
        shelltest::WriteFile(Env / name, "x");
    const std::string a = Env / "d/a", b = Env / "d/b", c = Env / "d/e/c", top = Env / "t";
    const std::string missing = Env / "d/missing";
    const std::vector<std::string> cases[] = {
        {a, b}, {a, c, b}, {b, a, top, c}, {a, missing, b}, {"/", a}, {Env / "d", a}, {a, a},
    };
    for (const std::vector<std::string>& paths : cases) {
        SCOPED_TRACE(paths.size());
        std::vector<std::string> lists;
        for (const std::string& path : paths) {
            std::string items;
            if (shell32::ParseAbsolutePath(path, items) == S_OK)
                lists.push_back(items);
        }
        // Folders above may change meanwhile (their stat snapshots with
        // them): the two arrays name the same parent and items.
        const std::string shared = TakeBlock(shell32::IdListArrayOfPaths(paths));
        const std::string alone = TakeBlock(shell32::IdListArrayFromAbsoluteLists(lists));
        ASSERT_FALSE(shared.empty());
        EXPECT_EQ(blocktest::IdListArrayPaths(shared), blocktest::IdListArrayPaths(alone));
        const auto parentOf = [](const std::string& bytes) {
            return shell32::PathFromIdList(reinterpret_cast<LPCITEMIDLIST>(bytes.data() + Dword(bytes, 4)));
        };
        EXPECT_EQ(parentOf(shared), parentOf(alone));
        EXPECT_EQ(shared.size(), alone.size());
    }
    EXPECT_EQ(shell32::IdListArrayOfPaths({missing}), nullptr);

    std::string folder;
    ASSERT_EQ(shell32::ParseAbsolutePath(Env / "d", folder), S_OK);
    std::string two;
    ASSERT_TRUE(shell32::AppendFileSystemItem(two, shell32::ItemKind::File, "x", {0100644, 1, 7}));
    const std::string one = two;
    ASSERT_TRUE(shell32::AppendFileSystemItem(two, shell32::ItemKind::File, "y", {0100644, 1, 7}));
    EXPECT_EQ(
        blocktest::IdListArrayPaths(TakeBlock(shell32::IdListArrayFromFolderItems({folder}, {{0, one}}))),
        std::vector<std::string>{Env / "d/x"});
    EXPECT_EQ(shell32::IdListArrayFromFolderItems({folder}, {{1, one}}), nullptr) << "no such folder";
    EXPECT_EQ(shell32::IdListArrayFromFolderItems({folder}, {{0, two}}), nullptr) << "two items";
    EXPECT_EQ(shell32::IdListArrayFromFolderItems({folder}, {{0, ""}}), nullptr) << "no item";
}

TEST(TransferBlocks, ItemsAreOneFolderWhateverTheirListingSaw)
{
    // Lists parsed a moment apart: the folder changed in between, so its
    // items carry different stat snapshots, yet name the same folder.
    const auto listOf = [](std::int64_t folderTime, const char* name) {
        std::string list;
        EXPECT_TRUE(shell32::AppendDriveItem(list, "/"));
        EXPECT_TRUE(shell32::AppendFileSystemItem(list, shell32::ItemKind::Directory, "d",
                                                  {040755, 4096, folderTime}));
        EXPECT_TRUE(shell32::AppendFileSystemItem(list, shell32::ItemKind::File, name, {0100644, 1, 7}));
        return list;
    };
    const struct {
        const char* what;
        std::vector<std::string> lists;
        std::size_t parentItems;
    } cases[] = {
        {"same snapshot", {listOf(1, "a"), listOf(1, "b")}, 2},
        {"snapshots differ", {listOf(1, "a"), listOf(2, "b"), listOf(3, "c")}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bytes = TakeBlock(shell32::IdListArrayFromAbsoluteLists(c.lists));
        const std::optional<shell32::IdListArray> array =
            shell32::ReadIdListArray(bytes.data(), bytes.size());
        ASSERT_TRUE(array);
        std::vector<shell32::ItemView> items;
        ASSERT_TRUE(shell32::DecodeIdList(array->Parent.get(), items));
        EXPECT_EQ(items.size(), c.parentItems);
        ASSERT_EQ(array->Items.size(), c.lists.size());
        for (const shell32::OwnedIdList& item : array->Items) {
            ASSERT_TRUE(shell32::DecodeIdList(item.get(), items));
            EXPECT_EQ(items.size(), 1u);
        }
    }
}

TEST(TransferBlocks, AnEmptyListMayBeGivenAsNoBytesAtAll)
{
    // The desktop as a parent, given as a view of nothing.
    const std::string bytes = TakeBlock(shell32::MakeIdListArrayBlock(std::string_view(), {}));
    EXPECT_EQ(bytes, std::string("\0\0\0\0\x08\0\0\0\0\0", 10));
}
