// Icons and type names of the namespace's items.

#include "shell32/ItemIcons.h"

#include "shell32/FileSystem_linux.h"
#include "shell32/Folders.h"
#include "shell32/SettingsApplications.h"
#include "shell32/UserDirs.h"
#include "shell32/VirtualFolderProviders.h"
#include "win32/MountTable.h"

#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>

namespace shell32 {

namespace {

constexpr const char* kSystemFolderType = "System Folder";

IconRequest Wanted(std::vector<std::string> names, BuiltInIcon fallback)
{
    return IconRequest{std::move(names), fallback};
}

ItemLook Look(IconRequest icon, std::string typeName)
{
    ItemLook look{icon, icon, std::move(typeName)};
    return look;
}

// The built-in picture for a MIME type with no theme icon.
BuiltInIcon KindOfType(const QMimeType& type)
{
    const QString generic = type.genericIconName();
    const QString name = type.name();
    const auto is = [&](const char* ancestor) { return type.inherits(QString::fromLatin1(ancestor)); };
    if (generic == QLatin1String("package-x-generic") || is("application/x-archive") ||
        is("application/x-compressed-tar") || is("application/zip") || is("application/gzip") ||
        is("application/x-7z-compressed") || is("application/vnd.rar") || is("application/x-tar"))
        return BuiltInIcon::Archive;
    if (generic == QLatin1String("application-x-executable") || is("application/x-executable") ||
        is("application/x-sharedlib") || is("application/x-msdownload") || is("application/x-desktop"))
        return BuiltInIcon::Executable;
    if (generic == QLatin1String("image-x-generic") || name.startsWith(QLatin1String("image/")))
        return BuiltInIcon::Image;
    if (generic == QLatin1String("audio-x-generic") || name.startsWith(QLatin1String("audio/")))
        return BuiltInIcon::Audio;
    if (generic == QLatin1String("video-x-generic") || name.startsWith(QLatin1String("video/")))
        return BuiltInIcon::Video;
    if (generic.startsWith(QLatin1String("text-")) || is("text/plain"))
        return BuiltInIcon::Text;
    return BuiltInIcon::Document;
}

const QMimeDatabase& Database()
{
    static const QMimeDatabase database;
    return database;
}

QMimeType TypeOfName(std::string_view name)
{
    return Database().mimeTypeForFile(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
                                      QMimeDatabase::MatchExtension);
}

// The name to type an item by. A name that is only an extension (".txt")
// stands for its type, as callers ask for a type's icon by its extension;
// the MIME database takes it for a hidden file of no type.
std::string TypingName(std::string_view name)
{
    if (name.size() > 1 && name[0] == '.' && TypeOfName(name).isDefault())
        return "x" + std::string(name);
    return std::string(name);
}

IconRequest FileIcon(std::string_view name)
{
    const QMimeType type = TypeOfName(name);
    std::vector<std::string> names;
    for (const QString& candidate : {type.iconName(), type.genericIconName()}) {
        if (!candidate.isEmpty())
            names.push_back(candidate.toStdString());
    }
    return Wanted(std::move(names), KindOfType(type));
}

ItemLook FolderLook()
{
    return ItemLook{Wanted({"folder"}, BuiltInIcon::Folder),
                    Wanted({"folder-open", "folder"}, BuiltInIcon::FolderOpen), FileTypeName({}, true)};
}

bool TrashHasEntries()
{
    const std::string files = TrashDirectory() + "/files";
    DIR* dir = opendir(files.c_str());
    if (!dir)
        return false;
    bool any = false;
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            any = true;
            break;
        }
    }
    closedir(dir);
    return any;
}

ItemLook VirtualFolderLook(const GUID& id)
{
    if (id == CLSID_MyComputer)
        return Look(Wanted({"computer"}, BuiltInIcon::Computer), kSystemFolderType);
    if (id == CLSID_NetworkPlaces)
        return Look(Wanted({"network-workgroup", "network-server"}, BuiltInIcon::Network), kSystemFolderType);
    if (id == CLSID_RecycleBin) {
        if (TrashHasEntries())
            return Look(Wanted({"user-trash-full", "user-trash"}, BuiltInIcon::TrashFull), kSystemFolderType);
        return Look(Wanted({"user-trash"}, BuiltInIcon::TrashEmpty), kSystemFolderType);
    }
    if (id == CLSID_ControlPanel)
        return Look(Wanted({"preferences-system", "preferences-desktop"}, BuiltInIcon::ControlPanel),
                    kSystemFolderType);
    if (id == CLSID_Printers)
        return Look(Wanted({"printer"}, BuiltInIcon::Printers), kSystemFolderType);
    if (id == CLSID_Home)
        return Look(Wanted({"user-home"}, BuiltInIcon::Home), kSystemFolderType);
    ItemLook look = FolderLook();
    look.typeName = kSystemFolderType;
    return look;
}

ItemLook DriveLook(std::string_view mountPoint)
{
    win32::DriveKind kind = win32::DriveKind::Fixed;
    std::vector<win32::Drive> drives;
    bool mounted = false;
    if (win32::ReadUserVisibleDrives(drives)) {
        for (const win32::Drive& drive : drives) {
            if (drive.MountPoint == mountPoint) {
                kind = drive.Kind;
                mounted = true;
                break;
            }
        }
    }
    // A drive that is gone shows as a drive still, with no type.
    const std::string typeName = mounted ? DriveTypeName(kind) : std::string();
    switch (kind) {
    case win32::DriveKind::Removable:
        return Look(Wanted({"drive-removable-media"}, BuiltInIcon::DriveRemovable), typeName);
    case win32::DriveKind::CdRom:
        return Look(Wanted({"drive-optical", "media-optical"}, BuiltInIcon::DriveCd), typeName);
    case win32::DriveKind::Remote:
        return Look(Wanted({"folder-remote", "network-server"}, BuiltInIcon::DriveNetwork), typeName);
    case win32::DriveKind::RamDisk:
        return Look(Wanted({"media-flash", "drive-harddisk"}, BuiltInIcon::DriveRam), typeName);
    case win32::DriveKind::Fixed:
        break;
    }
    return Look(Wanted({"drive-harddisk"}, BuiltInIcon::DriveFixed), typeName);
}

// An entry of a virtual folder: a settings application or a printer.
ItemLook EntryLook(const FolderContext& parent, const ItemView& entry)
{
    if (parent.virtualId == CLSID_Printers)
        return Look(Wanted({"printer"}, BuiltInIcon::Printers), "Printer");
    if (parent.virtualId == CLSID_ControlPanel) {
        std::vector<std::string> names;
        for (const SettingsApplication& application : ListSettingsApplications()) {
            // A theme name only: an icon given by its path is no theme's.
            if (application.Id == entry.text && !application.Icon.empty() && application.Icon[0] != '/')
                names.push_back(application.Icon);
        }
        names.push_back("preferences-system");
        return Look(Wanted(std::move(names), BuiltInIcon::ControlPanel), "Settings");
    }
    return Look(Wanted({"text-x-generic"}, BuiltInIcon::Document), {});
}

} // namespace

ItemLook LookOfName(std::string_view name, bool isFolder)
{
    if (isFolder)
        return FolderLook();
    const std::string typing = TypingName(name);
    return Look(FileIcon(typing), FileTypeName(typing, false));
}

ItemLook LookOfItem(const std::vector<ItemView>& items)
{
    if (items.empty())
        return Look(Wanted({"user-desktop"}, BuiltInIcon::Desktop), kSystemFolderType);
    const ItemView& item = items.back();
    switch (item.kind) {
    case ItemKind::Virtual:
        return VirtualFolderLook(item.guid);
    case ItemKind::Drive:
        return DriveLook(item.text);
    case ItemKind::Directory:
    case ItemKind::File:
    case ItemKind::TrashEntry:
        if (S_ISLNK(item.stat.mode) && !item.IsFolder()) {
            // A link to a file looks like what it leads to, as a link to a
            // folder is a folder; the link overlay says it is a link.
            const FolderContext parent = ResolveItems(DesktopContext(), items.data(), items.size() - 1);
            if (parent.childPath) {
                const FileDescriptor dir = OpenDirectoryPath(*parent.childPath);
                if (const std::optional<std::string> target = LinkTargetName(dir.Get(), item.text))
                    return LookOfName(*target, false);
            }
        }
        return LookOfName(item.text, item.IsFolder());
    case ItemKind::VirtualEntry:
        return EntryLook(ResolveItems(DesktopContext(), items.data(), items.size() - 1), item);
    }
    return LookOfName(item.text, false);
}

} // namespace shell32
