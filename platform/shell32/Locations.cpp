#include "shell32/Folders.h"

#include "shell32/FileSystem_linux.h"
#include "shell32/UserDirs.h"

#include <cstring>

namespace shell32 {

namespace {

// The desktop: the virtual children, then the desktop directory's entries.
class DesktopProvider final : public VirtualFolderProvider {
public:
    std::string DisplayName() const override { return "Desktop"; }
    std::optional<std::string> StoragePath() const override { return UserDirectory("DESKTOP"); }
    bool HasFileSystemColumns() const override { return true; }
    HRESULT Enumerate(DWORD flags, std::string& items) override
    {
        if (flags & SHCONTF_FOLDERS) {
            for (const GUID& id : {CLSID_Home, CLSID_MyComputer, CLSID_NetworkPlaces, CLSID_RecycleBin})
                if (FindVirtualFolder(id))
                    AppendVirtualItem(items, id);
        }
        return ListDirectoryItems(UserDirectory("DESKTOP"), flags, false, items);
    }
    int CompareChildren(const ItemView& a, const ItemView& b, UINT column) override
    {
        return CompareFileSystemColumn(a, b, column);
    }
};

std::string GuidBytes(const GUID& id)
{
    std::string bytes;
    AppendVirtualItem(bytes, id);
    return bytes.substr(5);
}

} // namespace

FolderContext DesktopContext()
{
    static const std::shared_ptr<VirtualFolderProvider> desktop = std::make_shared<DesktopProvider>();
    FolderContext context;
    context.identity = "D";
    const std::string path = UserDirectory("DESKTOP");
    context.ownPath = path;
    context.childPath = path;
    context.provider = desktop;
    return context;
}

FolderContext ChildContext(const FolderContext& parent, const ItemView& child)
{
    FolderContext context;
    switch (child.kind) {
    case ItemKind::Virtual: {
        context.virtualId = child.guid;
        std::shared_ptr<VirtualFolderProvider> provider = FindVirtualFolder(child.guid);
        std::optional<std::string> storage = provider ? provider->StoragePath() : std::nullopt;
        if (provider && storage && provider->IsFileSystemFolder()) {
            // A file-system folder known by a GUID (Home): a directory.
            context.identity = "P" + *storage;
            context.ownPath = storage;
            context.childPath = storage;
            return context;
        }
        context.identity = "V" + GuidBytes(child.guid);
        context.childPath = std::move(storage);
        context.trashEntries = child.guid == CLSID_RecycleBin;
        context.provider = std::move(provider);
        return context;
    }
    case ItemKind::Drive:
        context.identity = "P" + std::string(child.text);
        context.ownPath = std::string(child.text);
        context.childPath = context.ownPath;
        return context;
    case ItemKind::Directory:
    case ItemKind::File:
    case ItemKind::TrashEntry:
        context.isFolder = child.IsFolder();
        if (parent.childPath) {
            std::string path = JoinPath(*parent.childPath, child.text);
            context.identity = "P" + path;
            context.ownPath = path;
            if (context.isFolder)
                context.childPath = std::move(path);
        } else {
            context.identity = "X" + parent.identity + "/" + std::string(child.text);
        }
        return context;
    case ItemKind::VirtualEntry:
        context.isFolder = false;
        context.identity = "E" + parent.identity + std::string(1, '\0') + std::string(child.text);
        return context;
    }
    return context;
}

FolderContext ResolveItems(const FolderContext& start, const ItemView* items, std::size_t count)
{
    FolderContext context = start;
    for (std::size_t i = 0; i < count; ++i)
        context = ChildContext(context, items[i]);
    return context;
}

HRESULT ParseAbsolutePath(std::string_view path, std::string& items)
{
    if (path.empty() || path.front() != '/')
        return E_INVALIDARG;
    // Normalise: no repeated or trailing slashes.
    std::string normal = "/";
    std::size_t pos = 1;
    while (pos <= path.size()) {
        const std::size_t slash = std::min(path.find('/', pos), path.size());
        if (slash > pos) {
            if (normal.size() > 1)
                normal.push_back('/');
            normal.append(path.substr(pos, slash - pos));
        }
        pos = slash + 1;
    }
    // The deepest drive that holds the path.
    std::string drive = "/";
    if (std::shared_ptr<VirtualFolderProvider> computer = FindVirtualFolder(CLSID_MyComputer)) {
        for (const std::string& mount : computer->MountPoints()) {
            if (!IsValidMountPath(mount) || mount.size() <= drive.size())
                continue;
            if (normal.compare(0, mount.size(), mount) == 0 &&
                (normal.size() == mount.size() || normal[mount.size()] == '/'))
                drive = mount;
        }
    }
    std::string result;
    AppendVirtualItem(result, CLSID_MyComputer);
    if (!AppendDriveItem(result, drive))
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    if (normal.size() > drive.size()) {
        FileDescriptor root = OpenDirectoryPath(drive);
        if (!root.Valid())
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        const std::string_view rest = std::string_view(normal).substr(drive == "/" ? 1 : drive.size() + 1);
        if (const HRESULT hr = AppendRelativeItems(root.Get(), rest, false, result); FAILED(hr))
            return hr;
    }
    items.append(result);
    return S_OK;
}

} // namespace shell32
