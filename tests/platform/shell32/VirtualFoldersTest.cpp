// Computer, Network, Trash and Control Panel as folders of the namespace:
// enumeration, names, attributes, details, binding and identity, over a
// recorded mount table and a private HOME.

#include "ShellTestHelpers.h"

#include "shell32/VirtualFolderProviders.h"
#include "win32/MountTesting.h"

#include <filesystem>

using shelltest::Pidl;
using win32::testing::ScopedMountSource;
using win32::testing::TextMountSource;

namespace {

std::string Bytes(LPCITEMIDLIST pidl)
{
    return std::string(reinterpret_cast<const char*>(pidl), shell32::IdListSize(pidl) - 2);
}

Pidl Concat(LPCITEMIDLIST a, LPCITEMIDLIST b)
{
    return Pidl(shell32::AllocIdList(Bytes(a) + Bytes(b)));
}

std::string Detail(IShellFolder* folder, LPCITEMIDLIST pidl, UINT column)
{
    com::ComPtr<IShellDetails> details = com::ComPtr<IShellFolder>(folder).As<IShellDetails>();
    SHELLDETAILS record{};
    EXPECT_EQ(details->GetDetailsOf(pidl, column, &record), S_OK) << column;
    return shelltest::TakeText(record.str);
}

ULONG Attributes(IShellFolder* folder, LPCITEMIDLIST pidl, ULONG requested)
{
    EXPECT_EQ(folder->GetAttributesOf(1, &pidl, &requested), S_OK);
    return requested;
}

com::ComPtr<IShellFolder> Bind(IShellFolder* parent, LPCITEMIDLIST pidl)
{
    com::ComPtr<IShellFolder> folder;
    EXPECT_EQ(parent->BindToObject(pidl, nullptr, IID_IShellFolder, folder.ReleaseAndGetVoidAddress()), S_OK);
    return folder;
}

struct Fixture {
    shelltest::ShellEnvironment env;
    std::string share = env / "share";
    std::shared_ptr<TextMountSource> source;
    std::unique_ptr<ScopedMountSource> use;

    Fixture()
    {
        std::filesystem::create_directories(share + "/docs");
        shelltest::WriteFile(share + "/readme.txt", "hello");
        source =
            std::make_shared<TextMountSource>("1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                                              "22 1 0:21 / /proc rw - proc proc rw\n"
                                              "34 1 8:17 / /media/me/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
                                              "39 1 0:52 / " +
                                              share + " rw - nfs4 nas:/export rw\n");
        source->SetDevice("/media/me/USB STICK", {true, true, false});
        source->SetLabel("/media/me/USB STICK", "My Stick");
        source->SetSpace("/", {100ull << 30, 50ull << 30, 40ull << 30});
        source->SetSpace(share, {2ull << 40, 1ull << 40, 1ull << 40});
        use = std::make_unique<ScopedMountSource>(source);
    }
};

} // namespace

TEST(VirtualFolders, ComputerShowsDrivesWithTheirDetails)
{
    Fixture f;
    com::ComPtr<IShellFolder> desktop = shelltest::Desktop();
    LPITEMIDLIST raw = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &raw), S_OK);
    Pidl computerPidl(raw);
    EXPECT_EQ(shelltest::NameOf(desktop.Get(), computerPidl.get(), SHGDN_NORMAL), "Computer");
    com::ComPtr<IShellFolder> computer = Bind(desktop.Get(), computerPidl.get());
    ASSERT_TRUE(computer);

    std::vector<Pidl> items = shelltest::EnumAll(computer.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
    std::vector<std::string> names, paths;
    for (const Pidl& item : items) {
        names.push_back(shelltest::NameOf(computer.Get(), item.get(), SHGDN_INFOLDER));
        paths.push_back(shelltest::NameOf(computer.Get(), item.get(), SHGDN_FORPARSING));
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"File System", "My Stick", "share", "Control Panel", "Printers"}));
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(paths[0], "/");
    EXPECT_EQ(paths[1], "/media/me/USB STICK");
    EXPECT_EQ(paths[2], f.share);
    // From the desktop, a drive's parsing name is its mount point too.
    Pidl absolute = Concat(computerPidl.get(), items[1].get());
    EXPECT_EQ(shelltest::NameOf(desktop.Get(), absolute.get(), SHGDN_FORPARSING), "/media/me/USB STICK");
    EXPECT_EQ(shelltest::NameOf(desktop.Get(), absolute.get(), SHGDN_NORMAL), "My Stick");

    const ULONG asked = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR |
                        SFGAO_REMOVABLE | SFGAO_DROPTARGET;
    const ULONG driveBits = asked & ~SFGAO_REMOVABLE;
    EXPECT_EQ(Attributes(computer.Get(), items[0].get(), asked), driveBits);
    EXPECT_EQ(Attributes(computer.Get(), items[1].get(), asked), asked);
    EXPECT_EQ(Attributes(computer.Get(), items[2].get(), asked), driveBits);
    EXPECT_EQ(Attributes(computer.Get(), items[3].get(), SFGAO_FOLDER | SFGAO_FILESYSTEM), SFGAO_FOLDER);

    // Columns and their texts.
    EXPECT_EQ(Detail(computer.Get(), nullptr, 0), "Name");
    EXPECT_EQ(Detail(computer.Get(), nullptr, 1), "Type");
    EXPECT_EQ(Detail(computer.Get(), nullptr, 2), "Total size");
    EXPECT_EQ(Detail(computer.Get(), nullptr, 3), "Free space");
    SHELLDETAILS record{};
    EXPECT_EQ(com::ComPtr<IShellFolder>(computer).As<IShellDetails>()->GetDetailsOf(nullptr, 4, &record),
              E_INVALIDARG);
    EXPECT_EQ(Detail(computer.Get(), items[0].get(), 0), "File System");
    EXPECT_EQ(Detail(computer.Get(), items[0].get(), 1), "Local Disk");
    EXPECT_EQ(Detail(computer.Get(), items[0].get(), 2), "100 GB");
    EXPECT_EQ(Detail(computer.Get(), items[0].get(), 3), "40.0 GB");
    EXPECT_EQ(Detail(computer.Get(), items[1].get(), 1), "Removable Disk");
    EXPECT_EQ(Detail(computer.Get(), items[1].get(), 2), "");
    EXPECT_EQ(Detail(computer.Get(), items[2].get(), 1), "Network Drive");
    EXPECT_EQ(Detail(computer.Get(), items[2].get(), 2), "2.00 TB");
    EXPECT_EQ(Detail(computer.Get(), items[3].get(), 1), "System Folder");

    // Sorting by total size: the stick (unknown) first, the share (2 TB) last.
    const short bySize = shelltest::CompareResult(computer->CompareIDs(2, items[1].get(), items[2].get()));
    EXPECT_LT(bySize, 0);
    EXPECT_GT(shelltest::CompareResult(computer->CompareIDs(2, items[2].get(), items[0].get())), 0);
    EXPECT_LT(shelltest::CompareResult(computer->CompareIDs(0, items[2].get(), items[3].get())), 0)
        << "drives before the virtual folders";

    // An unplugged drive is no longer an item.
    f.source->SetText("1 0 8:2 / / rw - ext4 /dev/sda2 rw\n");
    ULONG attributes = SFGAO_VALIDATE | SFGAO_FOLDER;
    LPCITEMIDLIST stick = items[1].get();
    EXPECT_TRUE(FAILED(computer->GetAttributesOf(1, &stick, &attributes)));
    EXPECT_EQ(shelltest::EnumAll(computer.Get(), SHCONTF_FOLDERS).size(), 3u);
}

TEST(VirtualFolders, DriveBindsToItsDirectoryAndIsTheSameItem)
{
    Fixture f;
    com::ComPtr<IShellFolder> desktop = shelltest::Desktop();
    Pidl computerPidl = shelltest::ParseOk(desktop.Get(), "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    com::ComPtr<IShellFolder> computer = Bind(desktop.Get(), computerPidl.get());
    std::vector<Pidl> items = shelltest::EnumAll(computer.Get(), SHCONTF_FOLDERS);
    ASSERT_GE(items.size(), 3u);

    // The share drive binds to its directory.
    com::ComPtr<IShellFolder> share = Bind(computer.Get(), items[2].get());
    ASSERT_TRUE(share);
    std::vector<std::string> children;
    for (const Pidl& child : shelltest::EnumAll(share.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS))
        children.push_back(shelltest::NameOf(share.Get(), child.get(), SHGDN_INFOLDER));
    std::sort(children.begin(), children.end());
    EXPECT_EQ(children, (std::vector<std::string>{"docs", "readme.txt"}));

    // A typed path parses to the drive that holds it.
    Pidl parsed = shelltest::ParseOk(desktop.Get(), f.share);
    Pidl viaComputer = Concat(computerPidl.get(), items[2].get());
    EXPECT_EQ(shelltest::CompareResult(desktop->CompareIDs(0, parsed.get(), viaComputer.get())), 0);

    // The same directory reached as a folder below "/" is the same item.
    com::ComPtr<IShellFolder> root = Bind(computer.Get(), items[0].get());
    Pidl relative = shelltest::ParseOk(root.Get(), f.share.substr(1));
    Pidl rootPidl = Concat(computerPidl.get(), items[0].get());
    Pidl viaRoot = Concat(rootPidl.get(), relative.get());
    EXPECT_EQ(shelltest::CompareResult(desktop->CompareIDs(0, viaRoot.get(), viaComputer.get())), 0);
    EXPECT_NE(shelltest::CompareResult(desktop->CompareIDs(0, rootPidl.get(), viaComputer.get())), 0);
    EXPECT_EQ(shell32::PathFromIdList(viaComputer.get()), f.share);
}

TEST(VirtualFolders, NetworkListsTheShares)
{
    Fixture f;
    com::ComPtr<IShellFolder> desktop = shelltest::Desktop();
    Pidl networkPidl = shelltest::ParseOk(desktop.Get(), "::{208D2C60-3AEA-1069-A2D7-08002B30309D}");
    EXPECT_EQ(shelltest::NameOf(desktop.Get(), networkPidl.get(), SHGDN_NORMAL), "Network");
    com::ComPtr<IShellFolder> network = Bind(desktop.Get(), networkPidl.get());
    std::vector<Pidl> items = shelltest::EnumAll(network.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(shelltest::NameOf(network.Get(), items[0].get(), SHGDN_NORMAL), "share");
    EXPECT_EQ(shelltest::NameOf(network.Get(), items[0].get(), SHGDN_FORPARSING), f.share);
    EXPECT_EQ(Detail(network.Get(), nullptr, 0), "Name");
    SHELLDETAILS record{};
    EXPECT_EQ(com::ComPtr<IShellFolder>(network).As<IShellDetails>()->GetDetailsOf(nullptr, 1, &record),
              E_INVALIDARG);
    ASSERT_TRUE(Bind(network.Get(), items[0].get()));
}

TEST(VirtualFolders, TrashShowsEntriesWithTheirOrigin)
{
    shelltest::ShellEnvironment env;
    const std::string trash = env / ".local/share/Trash";
    std::filesystem::create_directories(trash + "/files/album");
    std::filesystem::create_directories(trash + "/info");
    shelltest::WriteFile(trash + "/files/notes.1.txt", "abc");
    shelltest::WriteFile(trash + "/info/notes.1.txt.trashinfo",
                         "[Trash Info]\nPath=" + env.Home() +
                             "/notes.txt\nDeletionDate=2024-05-01T10:20:30\n");
    shelltest::WriteFile(trash + "/info/album.trashinfo",
                         "[Trash Info]\nPath=/srv/photos/album\nDeletionDate=2023-01-02T03:04:05\n");

    com::ComPtr<IShellFolder> desktop = shelltest::Desktop();
    LPITEMIDLIST raw = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &raw), S_OK);
    Pidl trashPidl(raw);
    com::ComPtr<IShellFolder> folder = Bind(desktop.Get(), trashPidl.get());
    std::vector<Pidl> items = shelltest::EnumAll(folder.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
    ASSERT_EQ(items.size(), 2u);
    std::sort(items.begin(), items.end(), [&](const Pidl& a, const Pidl& b) {
        return shelltest::CompareResult(folder->CompareIDs(0, a.get(), b.get())) < 0;
    });
    // Folders first, then by name.
    EXPECT_EQ(shelltest::NameOf(folder.Get(), items[0].get(), SHGDN_INFOLDER), "album");
    EXPECT_EQ(shelltest::NameOf(folder.Get(), items[1].get(), SHGDN_INFOLDER), "notes.txt");
    EXPECT_EQ(shelltest::NameOf(folder.Get(), items[1].get(), SHGDN_FORPARSING | SHGDN_INFOLDER),
              "notes.1.txt");

    EXPECT_EQ(Detail(folder.Get(), nullptr, 1), "Original location");
    EXPECT_EQ(Detail(folder.Get(), nullptr, 2), "Date deleted");
    EXPECT_EQ(Detail(folder.Get(), items[1].get(), 0), "notes.txt");
    EXPECT_EQ(Detail(folder.Get(), items[1].get(), 1), env.Home());
    EXPECT_EQ(Detail(folder.Get(), items[1].get(), 2), "2024-05-01 10:20");
    EXPECT_EQ(Detail(folder.Get(), items[0].get(), 1), "/srv/photos");
    EXPECT_GT(shelltest::CompareResult(folder->CompareIDs(2, items[1].get(), items[0].get())), 0)
        << "by date deleted; folders still first";
}

TEST(VirtualFolders, ControlPanelLiesInComputer)
{
    shelltest::ShellEnvironment env;
    std::filesystem::create_directories(env / ".local/share/applications");
    shelltest::WriteFile(env / ".local/share/applications/mouse.desktop",
                         "[Desktop Entry]\nType=Application\nName=Mouse\nExec=x\nCategories=Settings;\n");
    com::ComPtr<IShellFolder> desktop = shelltest::Desktop();
    LPITEMIDLIST raw = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, &raw), S_OK);
    Pidl panelPidl(raw);
    Pidl parsed = shelltest::ParseOk(desktop.Get(), "::{21EC2020-3AEA-1069-A2DD-08002B30309D}");
    EXPECT_EQ(shelltest::CompareResult(desktop->CompareIDs(0, panelPidl.get(), parsed.get())), 0);
    EXPECT_EQ(shelltest::NameOf(desktop.Get(), panelPidl.get(), SHGDN_NORMAL), "Control Panel");

    com::ComPtr<IShellFolder> panel = Bind(desktop.Get(), panelPidl.get());
    std::vector<Pidl> items = shelltest::EnumAll(panel.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
    std::vector<std::string> names;
    for (const Pidl& item : items)
        names.push_back(shelltest::NameOf(panel.Get(), item.get(), SHGDN_NORMAL));
    // The system's own settings applications may be there too (XDG_DATA_DIRS).
    EXPECT_NE(std::find(names.begin(), names.end(), "Mouse"), names.end());
    Pidl mouse = shelltest::ParseOk(panel.Get(), "mouse.desktop");
    EXPECT_EQ(Attributes(panel.Get(), mouse.get(), SFGAO_FOLDER | SFGAO_CANLINK), SFGAO_CANLINK);
}
