// Computer and Network: folders of drives, over the mount table.

#include "shell32/VirtualFolderProviders.h"

#include "win32/Errors.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

namespace shell32 {
namespace {

constexpr const char* kSystemFolderType = "System Folder";

enum ComputerColumn : UINT { kName = 0, kType = 1, kTotalSize = 2, kFreeSpace = 3 };

std::string LastComponent(std::string_view path)
{
    const size_t slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The drive of a child item as the mount table has it now; nothing once
// it is no longer mounted.
std::optional<win32::Drive> CurrentDrive(std::string_view mountPoint)
{
    std::vector<win32::Drive> drives;
    if (!win32::ReadUserVisibleDrives(drives))
        return std::nullopt;
    for (win32::Drive& drive : drives) {
        if (drive.MountPoint == mountPoint)
            return std::move(drive);
    }
    return std::nullopt;
}

std::optional<win32::DriveSpace> SpaceOf(std::string_view mountPoint)
{
    win32::DriveSpace space;
    if (!win32::CurrentMountSource()->QuerySpace(std::string(mountPoint), space))
        return std::nullopt;
    return space;
}

// What Computer and Network share: drives as children.
class DriveFolder : public VirtualFolderProvider {
public:
    HRESULT ChildDisplayName(const ItemView& child, DWORD flags, std::string& text) override
    {
        if (child.kind != ItemKind::Drive)
            return E_NOTIMPL;
        if (flags & SHGDN_FORPARSING) {
            text = std::string(child.text);
            return S_OK;
        }
        if (const std::optional<win32::Drive> drive = CurrentDrive(child.text)) {
            text = DriveDisplayName(*drive);
        } else {
            win32::Drive gone;
            gone.MountPoint = std::string(child.text);
            text = DriveDisplayName(gone);
        }
        return S_OK;
    }

    HRESULT ChildAttributes(const ItemView& child, ULONG& attributes) override
    {
        if (child.kind != ItemKind::Drive)
            return E_NOTIMPL;
        // A drive that is no longer mounted is no longer an item.
        const std::optional<win32::Drive> drive = CurrentDrive(child.text);
        if (!drive)
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR |
                     SFGAO_DROPTARGET | SFGAO_CANLINK | SFGAO_HASPROPSHEET;
        if (drive->Kind == win32::DriveKind::Removable || drive->Kind == win32::DriveKind::CdRom)
            attributes |= SFGAO_REMOVABLE;
        if (drive->Kind == win32::DriveKind::Remote)
            attributes |= SFGAO_ISSLOW;
        return S_OK;
    }

protected:
    // The drives this folder lists, in enumeration order.
    virtual bool Lists(const win32::Drive& drive) const = 0;

    HRESULT AppendDrives(DWORD flags, std::string& items) const
    {
        if (!(flags & SHCONTF_FOLDERS))
            return S_OK;
        std::vector<win32::Drive> drives;
        if (!win32::ReadUserVisibleDrives(drives))
            return win32::HResultFromErrno(errno);
        for (const win32::Drive& drive : drives) {
            // A mount point the encoding cannot hold (past PATH_MAX) is left out.
            if (Lists(drive))
                AppendDriveItem(items, drive.MountPoint);
        }
        return S_OK;
    }
};

class ComputerFolder final : public DriveFolder {
public:
    std::string DisplayName() const override { return "Computer"; }
    ULONG Attributes() const override { return SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR; }
    int SortRank() const override { return 1; }

    HRESULT Enumerate(DWORD flags, std::string& items) override
    {
        if (const HRESULT hr = AppendDrives(flags, items); FAILED(hr))
            return hr;
        if (flags & SHCONTF_FOLDERS) {
            AppendVirtualItem(items, CLSID_ControlPanel);
            AppendVirtualItem(items, CLSID_Printers);
        }
        return S_OK;
    }

    void Revalidate() override { win32::InvalidateDriveInfo(); }

    std::vector<std::string> MountPoints() const override
    {
        std::vector<win32::Drive> drives;
        std::vector<std::string> mountPoints;
        if (win32::ReadUserVisibleDrives(drives)) {
            for (const win32::Drive& drive : drives)
                mountPoints.push_back(drive.MountPoint);
        }
        return mountPoints;
    }

    std::vector<ColumnInfo> Columns() const override
    {
        return {
            {"Name", LVCFMT_LEFT, 20, SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT},
            {"Type", LVCFMT_LEFT, 15, SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT},
            {"Total size", LVCFMT_RIGHT, 10, SHCOLSTATE_TYPE_INT | SHCOLSTATE_ONBYDEFAULT},
            {"Free space", LVCFMT_RIGHT, 10, SHCOLSTATE_TYPE_INT | SHCOLSTATE_ONBYDEFAULT},
        };
    }

    HRESULT ChildColumnText(const ItemView& child, UINT column, std::string& text) override
    {
        if (column > kFreeSpace)
            return E_INVALIDARG;
        text.clear();
        if (child.kind == ItemKind::Virtual) {
            if (column == kType)
                text = kSystemFolderType;
            return S_OK;
        }
        if (child.kind != ItemKind::Drive)
            return E_NOTIMPL;
        if (column == kType) {
            if (const std::optional<win32::Drive> drive = CurrentDrive(child.text))
                text = DriveTypeName(drive->Kind);
        } else if (column == kTotalSize || column == kFreeSpace) {
            // An unreadable drive (no medium, a dead share) shows no size.
            if (const std::optional<win32::DriveSpace> space = SpaceOf(child.text))
                text = FormatByteSize(column == kTotalSize ? space->Total : space->AvailableToCaller);
        }
        return S_OK;
    }

    int CompareChildren(const ItemView& a, const ItemView& b, UINT column) override
    {
        if (column == kType) {
            std::string ta, tb;
            ChildColumnText(a, column, ta);
            ChildColumnText(b, column, tb);
            return ta.compare(tb);
        }
        if (column == kTotalSize || column == kFreeSpace) {
            const auto size = [&](const ItemView& item) -> std::uint64_t {
                if (item.kind != ItemKind::Drive)
                    return 0;
                const std::optional<win32::DriveSpace> space = SpaceOf(item.text);
                return !space ? 0 : column == kTotalSize ? space->Total : space->AvailableToCaller;
            };
            const std::uint64_t sa = size(a), sb = size(b);
            return sa < sb ? -1 : sa > sb ? 1 : 0;
        }
        return 0;
    }

protected:
    bool Lists(const win32::Drive&) const override { return true; }
};

class NetworkFolder final : public DriveFolder {
public:
    std::string DisplayName() const override { return "Network"; }
    ULONG Attributes() const override { return SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR; }
    int SortRank() const override { return 2; }
    HRESULT Enumerate(DWORD flags, std::string& items) override { return AppendDrives(flags, items); }

protected:
    bool Lists(const win32::Drive& drive) const override { return drive.Kind == win32::DriveKind::Remote; }
};

} // namespace

std::string DriveDisplayName(const win32::Drive& drive)
{
    if (drive.MountPoint == "/")
        return "File System";
    if (!drive.Label.empty())
        return drive.Label;
    return LastComponent(drive.MountPoint);
}

std::string DriveTypeName(win32::DriveKind kind)
{
    switch (kind) {
    case win32::DriveKind::Removable:
        return "Removable Disk";
    case win32::DriveKind::Fixed:
        return "Local Disk";
    case win32::DriveKind::Remote:
        return "Network Drive";
    case win32::DriveKind::CdRom:
        return "CD Drive";
    case win32::DriveKind::RamDisk:
        return "RAM Disk";
    }
    return {};
}

std::string FormatByteSize(std::uint64_t bytes)
{
    if (bytes < 1000)
        return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    static constexpr const char* units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    long double value = static_cast<long double>(bytes) / 1024;
    size_t unit = 0;
    // Three figures at most: 1000 KB and up is shown as 0.97 MB.
    while (value >= 1000 && unit + 1 < std::size(units)) {
        value /= 1024;
        ++unit;
    }
    // Cut, never rounded up: a disk is never shown bigger than it is.
    const int decimals = value < 10 ? 2 : value < 100 ? 1 : 0;
    const long double scale = decimals == 2 ? 100 : decimals == 1 ? 10 : 1;
    const long double cut = std::floor(value * scale) / scale;
    char text[32];
    std::snprintf(text, sizeof text, "%.*Lf %s", decimals, cut, units[unit]);
    return text;
}

std::shared_ptr<VirtualFolderProvider> MakeComputerFolder()
{
    return std::make_shared<ComputerFolder>();
}

std::shared_ptr<VirtualFolderProvider> MakeNetworkFolder()
{
    return std::make_shared<NetworkFolder>();
}

} // namespace shell32
