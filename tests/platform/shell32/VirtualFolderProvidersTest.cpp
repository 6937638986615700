// The Linux virtual folders as providers: what Computer, Network, Trash,
// Control Panel and Printers list and how their children look, over a
// recorded mount table and temporary XDG folders.

#include "shell32/VirtualFolderProviders.h"
#include "shell32/PrintersTesting.h"
#include "shell32/ShellTesting.h"

#include "win32/MountTesting.h"

#include "PlatformTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using kwtest::ScopedEnv;
using kwtest::WriteFile;
using shell32::ItemKind;
using shell32::ItemView;
using win32::testing::ScopedMountSource;
using win32::testing::TextMountSource;

namespace {

std::shared_ptr<TextMountSource> Source()
{
    auto source = kwtest::SampleMountSource();
    source->SetLabel("/media/me/USB STICK", "My Stick");
    source->SetLabel("/media/me/disc", "UBUNTU_22_04");
    source->SetSpace("/", {500ull << 30, 200ull << 30, 150ull << 30});
    source->SetSpace("/media/me/USB STICK", {16ull << 30, 1536, 1536});
    return source;
}

// Items appended by a provider, decoded; views point into storage.
std::vector<ItemView> Decode(std::string& storage)
{
    storage.append(2, '\0');
    std::vector<ItemView> views;
    EXPECT_TRUE(shell32::DecodeIdList(storage.data(), storage.size(), views));
    return views;
}

ItemView DriveItem(std::string& storage, const std::string& mountPoint)
{
    storage.clear();
    EXPECT_TRUE(shell32::AppendDriveItem(storage, mountPoint));
    return Decode(storage).at(0);
}

} // namespace

TEST(VirtualFolderProviders, ByteSizes)
{
    EXPECT_EQ(shell32::FormatByteSize(0), "0 bytes");
    EXPECT_EQ(shell32::FormatByteSize(1), "1 byte");
    EXPECT_EQ(shell32::FormatByteSize(999), "999 bytes");
    EXPECT_EQ(shell32::FormatByteSize(1000), "0.97 KB");
    EXPECT_EQ(shell32::FormatByteSize(1536), "1.50 KB");
    EXPECT_EQ(shell32::FormatByteSize(1023ull << 20), "0.99 GB");
    EXPECT_EQ(shell32::FormatByteSize(15ull << 30), "15.0 GB");
    EXPECT_EQ(shell32::FormatByteSize((1ull << 30) * 931 + (1ull << 29)), "931 GB") << "cut, not rounded";
    EXPECT_EQ(shell32::FormatByteSize((2ull << 30) - 1), "1.99 GB");
    EXPECT_EQ(shell32::FormatByteSize(UINT64_MAX), "15.9 EB");
}

TEST(VirtualFolderProviders, ComputerListsDrivesThenVirtualFolders)
{
    ScopedMountSource use(Source());
    auto computer = shell32::MakeComputerFolder();
    EXPECT_EQ(computer->DisplayName(), "Computer");
    EXPECT_NE(computer->Attributes() & SFGAO_FILESYSANCESTOR, 0u);

    std::string items;
    ASSERT_EQ(computer->Enumerate(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items), S_OK);
    const std::vector<ItemView> children = Decode(items);
    ASSERT_EQ(children.size(), 7u);
    const char* const mountPoints[] = {"/", "/media/me/USB STICK", "/media/me/disc", "/mnt/nas",
                                       "/mnt/scratch"};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(children[i].kind, ItemKind::Drive);
        EXPECT_EQ(children[i].text, mountPoints[i]);
    }
    EXPECT_EQ(children[5].kind, ItemKind::Virtual);
    EXPECT_EQ(children[5].guid, CLSID_ControlPanel);
    EXPECT_EQ(children[6].guid, CLSID_Printers);
    EXPECT_EQ(computer->MountPoints(), (std::vector<std::string>{"/", "/media/me/USB STICK", "/media/me/disc",
                                                                 "/mnt/nas", "/mnt/scratch"}));

    std::string none;
    ASSERT_EQ(computer->Enumerate(SHCONTF_NONFOLDERS, none), S_OK);
    EXPECT_TRUE(none.empty()) << "every child of Computer is a folder";

    // Names: the root, a label, the last component when there is no label.
    std::string text;
    const auto name = [&](ItemView item, DWORD flags) {
        EXPECT_EQ(computer->ChildDisplayName(item, flags, text), S_OK);
        return text;
    };
    EXPECT_EQ(name(children[0], SHGDN_NORMAL), "File System");
    EXPECT_EQ(name(children[1], SHGDN_INFOLDER), "My Stick");
    EXPECT_EQ(name(children[2], SHGDN_NORMAL), "UBUNTU_22_04");
    EXPECT_EQ(name(children[3], SHGDN_NORMAL), "nas");
    EXPECT_EQ(name(children[1], SHGDN_FORPARSING), "/media/me/USB STICK");
    EXPECT_EQ(name(children[1], SHGDN_FORPARSING | SHGDN_INFOLDER), "/media/me/USB STICK");
    EXPECT_EQ(computer->ChildDisplayName(children[5], SHGDN_NORMAL, text), E_NOTIMPL);

    // Attributes.
    ULONG attributes = 0;
    ASSERT_EQ(computer->ChildAttributes(children[0], attributes), S_OK);
    const ULONG driveBits =
        SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR | SFGAO_DROPTARGET;
    EXPECT_EQ(attributes & driveBits, driveBits);
    EXPECT_EQ(attributes & SFGAO_REMOVABLE, 0u);
    ASSERT_EQ(computer->ChildAttributes(children[1], attributes), S_OK);
    EXPECT_NE(attributes & SFGAO_REMOVABLE, 0u);
    ASSERT_EQ(computer->ChildAttributes(children[2], attributes), S_OK);
    EXPECT_NE(attributes & SFGAO_REMOVABLE, 0u) << "a disc can be taken out";
    std::string gone;
    EXPECT_TRUE(FAILED(computer->ChildAttributes(DriveItem(gone, "/media/me/unplugged"), attributes)));
    EXPECT_EQ(computer->ChildAttributes(children[6], attributes), E_NOTIMPL);

    // Columns.
    const std::vector<shell32::ColumnInfo> columns = computer->Columns();
    ASSERT_EQ(columns.size(), 4u);
    EXPECT_EQ(columns[1].title, "Type");
    EXPECT_EQ(columns[2].title, "Total size");
    EXPECT_EQ(columns[3].title, "Free space");
    EXPECT_EQ(columns[2].format, LVCFMT_RIGHT);
    const auto column = [&](ItemView item, UINT index) {
        EXPECT_EQ(computer->ChildColumnText(item, index, text), S_OK);
        return text;
    };
    EXPECT_EQ(column(children[0], 1), "Local Disk");
    EXPECT_EQ(column(children[0], 2), "500 GB");
    EXPECT_EQ(column(children[0], 3), "150 GB") << "what the caller may use";
    EXPECT_EQ(column(children[1], 1), "Removable Disk");
    EXPECT_EQ(column(children[1], 2), "16.0 GB");
    EXPECT_EQ(column(children[1], 3), "1.50 KB");
    EXPECT_EQ(column(children[2], 1), "CD Drive");
    EXPECT_EQ(column(children[2], 2), "") << "no size known for the disc";
    EXPECT_EQ(column(children[3], 1), "Network Drive");
    EXPECT_EQ(column(children[4], 1), "RAM Disk");
    EXPECT_EQ(column(children[5], 1), "System Folder");
    EXPECT_EQ(column(children[5], 2), "");
    EXPECT_EQ(computer->ChildColumnText(children[0], 4, text), E_INVALIDARG);

    EXPECT_LT(computer->CompareChildren(children[1], children[0], 2), 0) << "16 GB before 500 GB";
    EXPECT_GT(computer->CompareChildren(children[0], children[2], 3), 0);
    EXPECT_LT(computer->CompareChildren(children[2], children[0], 1), 0) << "CD Drive before Local Disk";
    EXPECT_EQ(computer->CompareChildren(children[0], children[0], 1), 0);
}

TEST(VirtualFolderProviders, NetworkListsRemoteDrives)
{
    ScopedMountSource use(Source());
    auto network = shell32::MakeNetworkFolder();
    std::string items;
    ASSERT_EQ(network->Enumerate(SHCONTF_FOLDERS, items), S_OK);
    const std::vector<ItemView> children = Decode(items);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0].text, "/mnt/nas");
    EXPECT_EQ(network->Columns().size(), 1u);
    EXPECT_TRUE(network->MountPoints().empty()) << "paths parse through Computer";

    auto source = Source();
    source->SetReadError(EACCES);
    ScopedMountSource broken(source);
    std::string nothing;
    EXPECT_EQ(network->Enumerate(SHCONTF_FOLDERS, nothing), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
}

TEST(VirtualFolderProviders, TrashShowsOriginalNamesAndColumns)
{
    kwtest::TempDir temp;
    ScopedEnv dataHome("XDG_DATA_HOME", temp / "data");
    const std::string trash = temp / "data/Trash";
    WriteFile(trash + "/files/report.2.txt", "abc");
    WriteFile(trash + "/info/report.2.txt.trashinfo",
              "[Trash Info]\nPath=/home/me/docs/report.txt\nDeletionDate=2024-05-01T10:20:30\n");
    WriteFile(trash + "/files/older", "");
    WriteFile(trash + "/info/older.trashinfo",
              "[Trash Info]\nPath=/srv/older\nDeletionDate=2023-01-02T03:04:05\n");
    WriteFile(trash + "/files/.hidden", "");
    std::filesystem::create_directories(trash + "/files/folder");
    WriteFile(trash + "/files/noinfo", "");

    auto folder = shell32::MakeTrashFolder();
    EXPECT_EQ(folder->StoragePath(), trash + "/files");

    std::string items;
    ASSERT_EQ(folder->Enumerate(SHCONTF_NONFOLDERS, items), S_OK);
    std::vector<ItemView> files = Decode(items);
    EXPECT_EQ(files.size(), 3u) << "files only, hidden ones left out";
    std::string all;
    ASSERT_EQ(folder->Enumerate(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, all), S_OK);
    EXPECT_EQ(Decode(all).size(), 5u);

    const auto find = [&](const char* name) {
        for (const ItemView& view : files) {
            if (view.text == name)
                return view;
        }
        ADD_FAILURE() << name;
        return ItemView{};
    };
    const ItemView report = find("report.2.txt");
    const ItemView older = find("older");
    const ItemView noinfo = find("noinfo");
    EXPECT_EQ(report.kind, ItemKind::TrashEntry);
    EXPECT_EQ(report.stat.size, 3u);

    std::string text;
    ASSERT_EQ(folder->ChildDisplayName(report, SHGDN_INFOLDER, text), S_OK);
    EXPECT_EQ(text, "report.txt");
    EXPECT_EQ(folder->ChildDisplayName(report, SHGDN_FORPARSING, text), E_NOTIMPL);
    ASSERT_EQ(folder->ChildDisplayName(noinfo, SHGDN_NORMAL, text), S_OK);
    EXPECT_EQ(text, "noinfo");

    const std::vector<shell32::ColumnInfo> columns = folder->Columns();
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[1].title, "Original location");
    EXPECT_EQ(columns[2].title, "Date deleted");
    ASSERT_EQ(folder->ChildColumnText(report, 1, text), S_OK);
    EXPECT_EQ(text, "/home/me/docs");
    ASSERT_EQ(folder->ChildColumnText(report, 2, text), S_OK);
    EXPECT_EQ(text, "2024-05-01 10:20");
    ASSERT_EQ(folder->ChildColumnText(noinfo, 2, text), S_OK);
    EXPECT_EQ(text, "");

    EXPECT_GT(folder->CompareChildren(report, older, 2), 0) << "deleted later";
    EXPECT_LT(folder->CompareChildren(report, older, 1), 0) << "/home/me/docs before /srv";
    EXPECT_LT(folder->CompareChildren(noinfo, older, 2), 0) << "unknown dates first";
    EXPECT_EQ(folder->CompareChildren(report, report, 2), 0);
}

TEST(VirtualFolderProviders, ControlPanelAndPrinters)
{
    kwtest::TempDir temp;
    ScopedEnv dataHome("XDG_DATA_HOME", temp / "data");
    ScopedEnv dataDirs("XDG_DATA_DIRS", temp / "none");
    WriteFile(temp / "data/applications/display.desktop",
              "[Desktop Entry]\nType=Application\nName=Displays\nExec=x\nCategories=Settings;\n");

    auto panel = shell32::MakeControlPanelFolder();
    std::string items;
    ASSERT_EQ(panel->Enumerate(SHCONTF_FOLDERS, items), S_OK);
    EXPECT_TRUE(items.empty()) << "no folders in the Control Panel";
    ASSERT_EQ(panel->Enumerate(SHCONTF_NONFOLDERS, items), S_OK);
    std::vector<ItemView> children = Decode(items);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0].kind, ItemKind::VirtualEntry);
    EXPECT_EQ(children[0].text, "display.desktop");
    std::string text;
    ASSERT_EQ(panel->ChildDisplayName(children[0], SHGDN_NORMAL, text), S_OK);
    EXPECT_EQ(text, "Displays");
    ULONG attributes = 0;
    ASSERT_EQ(panel->ChildAttributes(children[0], attributes), S_OK);
    EXPECT_EQ(attributes & SFGAO_FOLDER, 0u);
    std::string parsed;
    ASSERT_EQ(panel->ParseChild("display.desktop", parsed), S_OK);
    EXPECT_EQ(parsed, items.substr(0, items.size() - 2));
    EXPECT_TRUE(FAILED(panel->ParseChild("missing.desktop", parsed)));

    // An application installed after the last listing is not rescanned for
    // at once; a folder that has not listed yet finds it by name.
    WriteFile(temp / "data/applications/sound.desktop",
              "[Desktop Entry]\nType=Application\nName=Sound\nExec=x\nCategories=Settings;\n");
    std::string late;
    ASSERT_TRUE(shell32::AppendVirtualEntry(late, "sound.desktop"));
    const ItemView sound = Decode(late).at(0);
    ASSERT_EQ(panel->ChildDisplayName(sound, SHGDN_INFOLDER, text), S_OK);
    EXPECT_EQ(text, "sound.desktop");
    EXPECT_TRUE(FAILED(panel->ChildAttributes(sound, attributes)));
    auto fresh = shell32::MakeControlPanelFolder();
    ASSERT_EQ(fresh->ChildDisplayName(sound, SHGDN_INFOLDER, text), S_OK);
    EXPECT_EQ(text, "Sound");

    WriteFile(temp / "printcap", "Office|Laser:rm=x:\n");
    shell32::testing::SetPrinterFiles(temp / "printcap", temp / "none.conf");
    auto printers = shell32::MakePrintersFolder();
    std::string printerItems;
    ASSERT_EQ(printers->Enumerate(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, printerItems), S_OK);
    const std::vector<ItemView> printerChildren = Decode(printerItems);
    ASSERT_EQ(printerChildren.size(), 1u);
    ASSERT_EQ(printers->ChildDisplayName(printerChildren[0], SHGDN_NORMAL, text), S_OK);
    EXPECT_EQ(text, "Office");
    shell32::testing::SetPrinterFiles({}, {});
    EXPECT_EQ(printers->Columns().size(), 1u);
}
