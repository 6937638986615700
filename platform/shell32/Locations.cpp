#include "shell32/Folders.h"

#include "shell32/FileSystem_linux.h"
#include "shell32/UserDirs.h"
#include "win32/MountTable.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

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

ItemView RouteItem::View() const
{
    ItemView view;
    view.kind = kind;
    view.guid = guid;
    view.text = text;
    view.stat = stat;
    return view;
}

const std::vector<std::string>& MountPointsOnce::Get()
{
    if (Read_)
        return MountPoints_;
    Read_ = true;
    const std::shared_ptr<VirtualFolderProvider> computer = FindVirtualFolder(CLSID_MyComputer);
    if (!computer)
        return MountPoints_;
    // Sorting compares many lists in a row, and reading the mount table costs
    // far more than a comparison: the last answer serves for a moment, as long
    // as neither Computer nor the mount source changed.
    struct Recent {
        std::mutex Lock;
        std::weak_ptr<VirtualFolderProvider> Computer;
        std::weak_ptr<win32::MountSource> Source;
        std::uint64_t Revision = 0;
        std::chrono::steady_clock::time_point When;
        std::vector<std::string> MountPoints;
    };
    static Recent recent;
    const std::shared_ptr<win32::MountSource> source = win32::CurrentMountSource();
    const std::uint64_t revision = source->Revision();
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(recent.Lock);
        if (recent.Computer.lock() == computer && recent.Source.lock() == source &&
            recent.Revision == revision && now - recent.When < std::chrono::milliseconds(500)) {
            MountPoints_ = recent.MountPoints;
            return MountPoints_;
        }
    }
    MountPoints_ = computer->MountPoints();
    std::lock_guard lock(recent.Lock);
    recent.Computer = computer;
    recent.Source = source;
    recent.Revision = revision;
    recent.When = now;
    recent.MountPoints = MountPoints_;
    return MountPoints_;
}

namespace {

// Whether path lies below dir (whole components); at dir too when orEqual.
bool IsBelow(std::string_view path, std::string_view dir, bool orEqual)
{
    if (path == dir)
        return orEqual;
    if (dir == "/")
        return path.size() > 1 && path.front() == '/';
    return path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 && path[dir.size()] == '/';
}

RouteItem VirtualRouteItem(const GUID& id)
{
    RouteItem item;
    item.kind = ItemKind::Virtual;
    item.guid = id;
    return item;
}

// Appends the components of path below dir: folders but the last, which is
// what the target is (its snapshot kept when the list ended in one).
void AppendComponents(std::vector<RouteItem>& route, std::string_view path, std::string_view dir,
                      bool firstIsTrashEntry, const FolderContext& target, const ItemView* last)
{
    std::vector<std::string_view> names;
    std::size_t pos = dir == "/" ? 1 : dir.size() + 1;
    while (pos < path.size()) {
        const std::size_t slash = std::min(path.find('/', pos), path.size());
        if (slash > pos)
            names.push_back(path.substr(pos, slash - pos));
        pos = slash + 1;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        RouteItem item;
        item.text = std::string(names[i]);
        const bool isLast = i + 1 == names.size();
        const bool isFolder = !isLast || target.isFolder;
        if (isLast && last &&
            (last->kind == ItemKind::Directory || last->kind == ItemKind::File ||
             last->kind == ItemKind::TrashEntry))
            item.stat = last->stat;
        else
            item.stat.mode = isFolder ? (S_IFDIR | 0755u) : (S_IFREG | 0644u);
        if (i == 0 && firstIsTrashEntry) {
            item.kind = ItemKind::TrashEntry;
            if (isFolder)
                item.stat.mode = (item.stat.mode & ~std::uint32_t{S_IFMT}) | S_IFDIR;
        } else {
            item.kind = isFolder ? ItemKind::Directory : ItemKind::File;
        }
        route.push_back(std::move(item));
    }
}

std::vector<RouteItem> RouteOfPath(const std::string& path, const FolderContext& target, const ItemView* last,
                                   MountPointsOnce& mountPoints)
{
    std::vector<RouteItem> route;
    if (std::shared_ptr<VirtualFolderProvider> trash = FindVirtualFolder(CLSID_RecycleBin)) {
        const std::optional<std::string> files = trash->StoragePath();
        if (files && !trash->IsFileSystemFolder() && IsBelow(path, *files, false)) {
            route.push_back(VirtualRouteItem(CLSID_RecycleBin));
            AppendComponents(route, path, *files, true, target, last);
            return route;
        }
    }
    const std::optional<std::string> desktop = DesktopContext().childPath;
    if (desktop && IsBelow(path, *desktop, false)) {
        AppendComponents(route, path, *desktop, false, target, last);
        return route;
    }
    // A drive of its own (a stick, a share mounted in HOME) is reached
    // through Computer; the rest of HOME through Home.
    std::string drive = "/";
    for (const std::string& mount : mountPoints.Get()) {
        if (IsValidMountPath(mount) && mount.size() > drive.size() && IsBelow(path, mount, true))
            drive = mount;
    }
    if (drive == "/") {
        if (std::shared_ptr<VirtualFolderProvider> home = FindVirtualFolder(CLSID_Home)) {
            const std::optional<std::string> storage = home->StoragePath();
            if (storage && home->IsFileSystemFolder() && IsBelow(path, *storage, true)) {
                route.push_back(VirtualRouteItem(CLSID_Home));
                AppendComponents(route, path, *storage, false, target, last);
                return route;
            }
        }
    }
    route.push_back(VirtualRouteItem(CLSID_MyComputer));
    RouteItem driveItem;
    driveItem.kind = ItemKind::Drive;
    driveItem.text = drive;
    route.push_back(std::move(driveItem));
    AppendComponents(route, path, drive, false, target, last);
    return route;
}

std::vector<RouteItem> RouteOfVirtual(const GUID& id)
{
    // The folders it lies in, nearest last; a loop of parents is cut.
    std::vector<RouteItem> route{VirtualRouteItem(id)};
    GUID current = id;
    for (int depth = 0; depth < 8; ++depth) {
        const std::shared_ptr<VirtualFolderProvider> provider = FindVirtualFolder(current);
        if (!provider)
            break;
        current = provider->ParentFolder();
        if (current == GUID_NULL || std::any_of(route.begin(), route.end(),
                                                [&](const RouteItem& item) { return item.guid == current; }))
            break;
        route.insert(route.begin(), VirtualRouteItem(current));
    }
    return route;
}

bool HasCanonicalTarget(const FolderContext& context)
{
    return !context.identity.empty() &&
           (context.identity[0] == 'D' || context.identity[0] == 'P' || context.identity[0] == 'V');
}

} // namespace

std::optional<std::vector<RouteItem>> CanonicalRoute(const FolderContext& start, const ItemView* items,
                                                     std::size_t count, MountPointsOnce& mountPoints)
{
    if (!HasCanonicalTarget(start))
        return std::nullopt;
    FolderContext context = start;
    std::size_t resolved = 0;
    for (; resolved < count; ++resolved) {
        FolderContext next = ChildContext(context, items[resolved]);
        if (!HasCanonicalTarget(next))
            break;
        context = std::move(next);
    }
    const ItemView* last = resolved > 0 ? &items[resolved - 1] : nullptr;
    std::vector<RouteItem> route;
    switch (context.identity[0]) {
    case 'P':
        route = RouteOfPath(context.identity.substr(1), context, last, mountPoints);
        break;
    case 'V':
        route = RouteOfVirtual(context.virtualId);
        break;
    default: // the desktop
        break;
    }
    for (; resolved < count; ++resolved) {
        const ItemView& item = items[resolved];
        route.push_back(RouteItem{item.kind, item.guid, std::string(item.text), item.stat});
    }
    return route;
}

namespace {

// ".." as the kernel takes it: back by name over a component that is not a
// symbolic link, and from where the link leads past one (other/lnk/.. is the
// folder above lnk's target, not other), so that a typed path names the file
// every other program opens. Never above "/". Paths without ".." are left to
// the lexical rule and never touch the disk.
std::string NormalizeAsTheKernelDoes(std::string_view absolute)
{
    if (absolute.find("..") == std::string_view::npos)
        return NormalizePath(absolute);
    std::vector<std::string> kept;
    const auto joined = [&] {
        std::string path;
        for (const std::string& part : kept)
            path.append("/").append(part);
        return path.empty() ? std::string("/") : path;
    };
    std::size_t pos = 0;
    while (pos <= absolute.size()) {
        const std::size_t slash = std::min(absolute.find('/', pos), absolute.size());
        const std::string_view part = absolute.substr(pos, slash - pos);
        pos = slash + 1;
        if (part.empty() || part == ".")
            continue;
        if (part != "..") {
            kept.emplace_back(part);
            continue;
        }
        if (kept.empty())
            continue;
        const std::string prefix = joined();
        struct stat st {};
        if (::lstat(prefix.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
            // A link that leads nowhere has nothing to step back from but its name.
            if (char* real = ::realpath(prefix.c_str(), nullptr)) {
                const std::string resolved = real;
                std::free(real);
                kept.clear();
                std::size_t at = 1;
                while (at < resolved.size()) {
                    const std::size_t next = std::min(resolved.find('/', at), resolved.size());
                    kept.emplace_back(resolved.substr(at, next - at));
                    at = next + 1;
                }
            }
        }
        if (!kept.empty())
            kept.pop_back();
    }
    return joined();
}

} // namespace

HRESULT ParseAbsolutePath(std::string_view path, std::string& items)
{
    if (path.empty() || path.front() != '/')
        return E_INVALIDARG;
    return AbsolutePathParser().Parse(path, items);
}

// The folder that held the last path's name, open, with its items.
struct AbsolutePathParser::LastFolder {
    std::string Drive;
    std::string Path;
    std::string Items;
    FileDescriptor Fd;
};

AbsolutePathParser::AbsolutePathParser()
{
    if (const std::shared_ptr<VirtualFolderProvider> computer = FindVirtualFolder(CLSID_MyComputer))
        MountPoints_ = computer->MountPoints();
}

AbsolutePathParser::~AbsolutePathParser() = default;

HRESULT AbsolutePathParser::Parse(std::string_view path, std::string& items)
{
    std::string_view folder;
    std::string last;
    if (const HRESULT hr = ParseInFolder(path, folder, last); FAILED(hr))
        return hr;
    items.append(folder);
    items.append(last);
    return S_OK;
}

HRESULT AbsolutePathParser::ParseInFolder(std::string_view path, std::string_view& folderItems,
                                          std::string& lastItem)
{
    folderItems = {};
    lastItem.clear();
    if (path.empty() || path.front() != '/')
        return E_INVALIDARG;
    // No repeated or trailing slashes, and "." and ".." as the kernel takes
    // them, as a path typed or read from a link holds them.
    const std::string normal = NormalizeAsTheKernelDoes(path);
    // The deepest drive that holds the path.
    std::string drive = "/";
    for (const std::string& mount : MountPoints_) {
        if (!IsValidMountPath(mount) || mount.size() <= drive.size())
            continue;
        if (normal.compare(0, mount.size(), mount) == 0 &&
            (normal.size() == mount.size() || normal[mount.size()] == '/'))
            drive = mount;
    }
    if (normal.size() <= drive.size()) {
        // A drive itself, in Computer.
        Computer_.clear();
        AppendVirtualItem(Computer_, CLSID_MyComputer);
        if (!AppendDriveItem(lastItem, drive)) {
            lastItem.clear();
            return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
        }
        folderItems = Computer_;
        return S_OK;
    }
    const std::string_view folder = std::string_view(normal).substr(0, normal.rfind('/'));
    if (Last_ && Last_->Drive == drive && Last_->Path == folder) {
        // A name beside the last one: one stat in the folder kept open.
        const std::string_view name = std::string_view(normal).substr(folder.size() + 1);
        if (const HRESULT hr = AppendRelativeItems(Last_->Fd.Get(), name, false, lastItem); FAILED(hr)) {
            lastItem.clear();
            return hr;
        }
        folderItems = Last_->Items;
        return S_OK;
    }
    std::string result;
    AppendVirtualItem(result, CLSID_MyComputer);
    if (!AppendDriveItem(result, drive))
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    FileDescriptor root = OpenDirectoryPath(drive);
    if (!root.Valid())
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    const std::string_view rest = std::string_view(normal).substr(drive == "/" ? 1 : drive.size() + 1);
    WalkEnd end;
    if (const HRESULT hr = AppendRelativeItems(root.Get(), rest, false, result, end); FAILED(hr))
        return hr;
    if (!Last_)
        Last_ = std::make_unique<LastFolder>();
    Last_->Drive = drive;
    Last_->Path.assign(folder);
    Last_->Items = result.substr(0, end.LastItemAt);
    Last_->Fd = end.Folder.Valid() ? std::move(end.Folder) : std::move(root);
    lastItem.assign(std::string_view(result).substr(end.LastItemAt));
    folderItems = Last_->Items;
    return S_OK;
}

} // namespace shell32
