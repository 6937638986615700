#include "ShellTestHelpers.h"

#include <sys/stat.h>

using namespace shell32;
using shelltest::Pidl;

namespace {

std::string WithTerminator(std::string items)
{
    items.append(2, '\0');
    return items;
}

StatSnapshot FileStat(std::uint64_t size = 42)
{
    return StatSnapshot{S_IFREG | 0644, size, 1'700'000'000'123'456'789};
}

} // namespace

TEST(ItemIdList, EveryKindRoundTrips)
{
    std::string items;
    AppendVirtualItem(items, CLSID_MyComputer);
    ASSERT_TRUE(AppendDriveItem(items, "/media/usb stick"));
    ASSERT_TRUE(
        AppendFileSystemItem(items, ItemKind::Directory, "dir", StatSnapshot{S_IFDIR | 0755, 4096, -5}));
    ASSERT_TRUE(AppendFileSystemItem(items, ItemKind::File, std::string("bad\xff name", 9), FileStat()));
    ASSERT_TRUE(AppendFileSystemItem(items, ItemKind::TrashEntry, "old", StatSnapshot{S_IFLNK | 0777, 3, 0}));
    ASSERT_TRUE(AppendVirtualEntry(items, "org.example.Settings.desktop"));
    const std::string list = WithTerminator(items);

    std::vector<ItemView> decoded;
    ASSERT_TRUE(DecodeIdList(list.data(), list.size(), decoded));
    ASSERT_EQ(decoded.size(), 6u);
    EXPECT_EQ(decoded[0].kind, ItemKind::Virtual);
    EXPECT_TRUE(decoded[0].guid == CLSID_MyComputer);
    EXPECT_EQ(decoded[1].text, "/media/usb stick");
    EXPECT_EQ(decoded[2].kind, ItemKind::Directory);
    EXPECT_EQ(decoded[2].stat.mtimeNs, -5);
    EXPECT_TRUE(decoded[2].IsFolder());
    EXPECT_EQ(decoded[3].text, std::string("bad\xff name", 9));
    EXPECT_EQ(decoded[3].stat.size, 42u);
    EXPECT_EQ(decoded[3].stat.mtimeNs, 1'700'000'000'123'456'789);
    EXPECT_FALSE(decoded[3].IsFolder());
    EXPECT_EQ(decoded[4].kind, ItemKind::TrashEntry);
    EXPECT_EQ(decoded[5].text, "org.example.Settings.desktop");

    // Re-encoding gives the same bytes: the encoding has one form per item.
    std::string again;
    for (const ItemView& item : decoded)
        again += EncodeItem(item);
    EXPECT_EQ(again, items);

    // Through the allocator and the walking decoder.
    Pidl pidl(AllocIdList(items));
    EXPECT_EQ(IdListSize(pidl.get()), list.size());
    EXPECT_TRUE(DecodeIdList(pidl.get(), decoded));
    EXPECT_EQ(decoded.size(), 6u);
    EXPECT_EQ(IdListSize(nullptr), 0u);

    // The layout is fixed: a GUID is stored big-endian whatever the host.
    std::string virtualItem;
    AppendVirtualItem(virtualItem, CLSID_MyComputer);
    EXPECT_EQ(virtualItem.substr(0, 9), std::string("\x15\x00\xCB\x01\x01\x20\xD0\x4F\xE0", 9));
}

TEST(ItemIdList, EncodersRefuseWhatCannotBeStored)
{
    std::string items;
    EXPECT_FALSE(AppendFileSystemItem(items, ItemKind::File, "", FileStat()));
    EXPECT_FALSE(AppendFileSystemItem(items, ItemKind::File, "a/b", FileStat()));
    EXPECT_FALSE(AppendFileSystemItem(items, ItemKind::File, "..", FileStat()));
    EXPECT_FALSE(AppendFileSystemItem(items, ItemKind::File, std::string(256, 'x'), FileStat()));
    EXPECT_TRUE(AppendFileSystemItem(items, ItemKind::File, std::string(255, 'x'), FileStat()));
    EXPECT_FALSE(AppendFileSystemItem(items, ItemKind::Directory, "d", FileStat())); // a regular file's mode
    EXPECT_FALSE(AppendFileSystemItem(items, ItemKind::Virtual, "d", FileStat()));
    EXPECT_FALSE(AppendDriveItem(items, "relative"));
    EXPECT_FALSE(AppendDriveItem(items, "/media//x"));
    EXPECT_FALSE(AppendDriveItem(items, "/media/x/"));
    EXPECT_FALSE(AppendDriveItem(items, "/media/../etc"));
    EXPECT_TRUE(AppendDriveItem(items, "/"));
    EXPECT_FALSE(AppendVirtualEntry(items, std::string("a\0b", 3)));
}

TEST(ItemIdList, DecoderRefusesMalformedLists)
{
    std::string good;
    AppendFileSystemItem(good, ItemKind::File, "name", FileStat());
    const std::string goodList = WithTerminator(good);
    ASSERT_TRUE(ValidateIdList(goodList.data(), goodList.size()));
    EXPECT_TRUE(ValidateIdList("\0\0", 2)); // the desktop

    auto patched = [&](std::size_t at, char value) {
        std::string copy = goodList;
        copy[at] = value;
        return copy;
    };
    std::string virtualItem;
    AppendVirtualItem(virtualItem, CLSID_RecycleBin);
    std::string dirWithFileMode = goodList;
    dirWithFileMode[4] = static_cast<char>(ItemKind::Directory);

    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty buffer", ""},
        {"one byte", std::string(1, '\0')},
        {"no terminator", good},
        {"half a terminator", good + std::string(1, '\0')},
        {"bytes after the terminator", goodList + "x"},
        {"count 1", std::string("\x01\x00\x00\x00", 4)},
        {"count running past the end", patched(0, static_cast<char>(good.size() + 5))},
        {"count shorter than the header", std::string("\x04\x00\xCB\x01\x00\x00", 6)},
        {"foreign tag", patched(2, 'X')},
        {"future version", patched(3, 2)},
        {"unknown kind", patched(4, 9)},
        {"kind 0", patched(4, 0)},
        {"directory kind with a file's mode", dirWithFileMode},
        {"unknown file type bits", patched(6, 0)},
        {"mode above 16 bits", patched(7, 1)},
        {"name with a slash", patched(good.size() - 2, '/')},
        {"name with NUL", patched(good.size() - 1, '\0')},
        {"virtual item one byte short",
         WithTerminator(std::string("\x14\x00", 2) + virtualItem.substr(2, 18))},
        {"drive not absolute", WithTerminator(std::string("\x07\x00\xCB\x01\x02x/", 7))},
        {"drive path with dot-dot", WithTerminator(std::string("\x0A\x00\xCB\x01\x02/a/..", 10))},
        {"entry named dot", WithTerminator(std::string("\x06\x00\xCB\x01\x06.", 6))},
        {"snapshot without name", WithTerminator(good.substr(0, good.size() - 4))
                                      .replace(0, 1, 1, static_cast<char>(good.size() - 4))},
    };
    for (const auto& c : cases) {
        // Copy into a buffer of exactly the given size so ASan sees any read past it.
        std::vector<char> buffer(c.bytes.begin(), c.bytes.end());
        EXPECT_FALSE(ValidateIdList(buffer.data(), buffer.size())) << c.what;
        std::vector<ItemView> items{ItemView{}};
        EXPECT_FALSE(DecodeIdList(buffer.data(), buffer.size(), items)) << c.what;
        EXPECT_TRUE(items.empty()) << c.what;
    }
    EXPECT_FALSE(ValidateIdList(nullptr, 10));

    // A name of 255 bytes is fine, 256 is not.
    std::string longName;
    AppendFileSystemItem(longName, ItemKind::File, std::string(255, 'n'), FileStat());
    std::string list = WithTerminator(longName);
    EXPECT_TRUE(ValidateIdList(list.data(), list.size()));
    std::string tooLong = longName + "n";
    tooLong[0] = static_cast<char>(tooLong.size() & 0xFF);
    tooLong[1] = static_cast<char>(tooLong.size() >> 8);
    list = WithTerminator(tooLong);
    EXPECT_FALSE(ValidateIdList(list.data(), list.size()));
}

TEST(ItemIdList, ListsWithoutLengthStopAtTheFirstItemThatIsNotOurs)
{
    // Each list lies in a block of exactly its bytes, so ASan sees a read past it.
    auto sizeOf = [](const std::string& bytes) {
        std::vector<BYTE> block(bytes.begin(), bytes.end());
        return IdListSize(reinterpret_cast<LPCITEMIDLIST>(block.data()));
    };
    std::string file;
    AppendFileSystemItem(file, ItemKind::File, "name", FileStat());
    std::string drive;
    AppendDriveItem(drive, "/media/stick");
    std::string virtualItem;
    AppendVirtualItem(virtualItem, CLSID_MyComputer);
    EXPECT_EQ(sizeOf(WithTerminator(file + drive + virtualItem)),
              file.size() + drive.size() + virtualItem.size() + 2);

    // A foreign item whose count points past the block is not stepped over.
    EXPECT_EQ(sizeOf(std::string("\x07\x00"
                                 "ABC",
                                 5)),
              0u);
    // Count 1 cannot be an item.
    EXPECT_EQ(sizeOf(std::string("\x01\x00\x00", 3)), 0u);
    // Our header with a count its kind cannot have: a virtual item is 21 bytes,
    // a file item at most 280, a drive at most 4100.
    std::string longVirtual = virtualItem;
    longVirtual[1] = 0x20;
    EXPECT_EQ(sizeOf(longVirtual), 0u);
    std::string longFile = file;
    longFile[0] = static_cast<char>(0x19);
    longFile[1] = 0x01; // 281
    EXPECT_EQ(sizeOf(longFile + std::string(2, '\0')), 0u);
    std::string longDrive = drive;
    longDrive[0] = static_cast<char>(0x05);
    longDrive[1] = 0x10; // 4101
    EXPECT_EQ(sizeOf(longDrive), 0u);
    // Behind a good item too.
    EXPECT_EQ(sizeOf(file + std::string("\xF0\xFF"
                                        "\xCB\x01\x09",
                                        5)),
              0u);
}

TEST(ItemIdListPaths, DotComponentsGoByTheirNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/", "/"},
        {"/a/b", "/a/b"},
        {"/a/./b", "/a/b"},
        {"/a/b/..", "/a"},
        {"/a/b/../..", "/"},
        {"/..", "/"},
        {"/../a/../../b", "/b"},
        {"//a///b//", "/a/b"},
        {"/a/.../b", "/a/.../b"}, // three dots are a name
        {"/a/..b/.c", "/a/..b/.c"},
        {"/a/b/./../c/.", "/a/c"},
    };
    for (const auto& [path, normal] : cases)
        EXPECT_EQ(shell32::NormalizePath(path), normal) << path;
}

TEST(ItemIdList, ASlashOrNulAnywhereMakesANameInvalid)
{
    // Every length up to past several words, every position, every byte
    // value next to the two refused ones.
    for (std::size_t length = 1; length <= 40; ++length) {
        const std::string plain(length, 'a');
        EXPECT_TRUE(IsValidItemName(plain)) << length;
        for (std::size_t at = 0; at < length; ++at)
            for (const char bad : {'/', '\0'}) {
                std::string name = plain;
                name[at] = bad;
                EXPECT_FALSE(IsValidItemName(name)) << length << " " << at << " " << int(bad);
            }
    }
    for (int byte = 1; byte < 256; ++byte) {
        const std::string name(17, static_cast<char>(byte));
        EXPECT_EQ(IsValidItemName(name), byte != '/') << byte;
        // Each byte at each place of short names, among bytes next to '/'.
        for (std::size_t length = 1; length <= 9; ++length)
            for (std::size_t at = 0; at < length; ++at) {
                std::string mixed(length, '0');
                mixed[at] = static_cast<char>(byte);
                EXPECT_EQ(IsValidItemName(mixed), byte != '/' && mixed != "." && mixed != "..")
                    << byte << " " << length << " " << at;
            }
    }
    const std::pair<std::string, bool> cases[] = {{".", false},
                                                  {"..", false},
                                                  {"...", true},
                                                  {".a", true},
                                                  {std::string(255, 'x'), true},
                                                  {std::string(256, 'x'), false},
                                                  {"", false},
                                                  {"\x80\xff", true}};
    for (const auto& [name, valid] : cases)
        EXPECT_EQ(IsValidItemName(name), valid) << name;
}
