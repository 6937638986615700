#pragma once
// The folder objects of the namespace (desktop, virtual and file-system
// folders are one class: see shell32/VirtualFolder.h for how a virtual kind
// plugs in) and where an item id list leads.
//
// A FolderContext says where a folder stands: its identity (the canonical
// target that decides whether two lists name the same item, whatever route
// they took), its own file-system path, the directory its file-system
// children are entries of, and its provider (null for a plain directory).

#include "CorvanePlatformExport.h"
#include "com/Unknown.h"
#include "shell32/ItemIdList.h"
#include "shell32/ShellInterfaces.h"
#include "shell32/VirtualFolder.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace shell32 {

struct CORVANE_PLATFORM_EXPORT FolderContext {
    // "D" the desktop; "P" + path for anything with a file-system path; "V" +
    // GUID text for a virtual folder without one; "E" + parent identity +
    // NUL + key for a provider's entry.
    std::string identity;
    std::optional<std::string> ownPath;   // the item's file-system path
    std::optional<std::string> childPath; // directory of its file-system children
    std::shared_ptr<VirtualFolderProvider> provider;
    GUID virtualId{};
    bool isFolder = true;
    // Whether its first-level file-system children are trash entries.
    bool trashEntries = false;
};

// The desktop: identity "D", its path the desktop directory.
CORVANE_PLATFORM_EXPORT FolderContext DesktopContext();
// What the child item of parent is. A Virtual child of an unknown GUID has
// no provider.
CORVANE_PLATFORM_EXPORT FolderContext ChildContext(const FolderContext& parent, const ItemView& child);
// Walks items from start.
CORVANE_PLATFORM_EXPORT FolderContext ResolveItems(const FolderContext& start, const ItemView* items,
                                                   std::size_t count);

// ---- The canonical route ----
// One item of a route, owning its text.
struct CORVANE_PLATFORM_EXPORT RouteItem {
    ItemKind kind = ItemKind::Virtual;
    GUID guid{};
    std::string text;
    StatSnapshot stat;
    ItemView View() const;
};

// The mount points of Computer, asked on first use and kept for the life of
// the object (one comparison). The answer may be up to half a second old
// while Computer and the mount source (and its revision) stay the same.
class CORVANE_PLATFORM_EXPORT MountPointsOnce {
public:
    const std::vector<std::string>& Get();

private:
    bool Read_ = false;
    std::vector<std::string> MountPoints_;
};

// The one route from the desktop to where count items lead from start: a
// trash entry through Trash, an entry of the desktop directory straight from
// the desktop, anything on a drive other than "/" through Computer and that
// drive, the rest of HOME through Home, any other path through Computer and
// "/", a virtual folder through the folders it lies in. Lists that name the
// same item get the same route, so routes order items whatever route their
// lists took. Items past one without a canonical target (a provider's entry)
// are kept as they are. Nothing when start is neither the desktop, a virtual
// folder nor a path.
CORVANE_PLATFORM_EXPORT std::optional<std::vector<RouteItem>> CanonicalRoute(const FolderContext& start,
                                                                             const ItemView* items,
                                                                             std::size_t count,
                                                                             MountPointsOnce& mountPoints);

// A folder object for a context (a directory is opened here: the errors of
// a missing path or a non-directory come back as HRESULTs).
CORVANE_PLATFORM_EXPORT HRESULT MakeFolder(FolderContext context, IShellFolder2** folder);

// Parses an absolute POSIX path into items from the desktop: Computer, the
// deepest drive that holds the path, then the directories and the file.
// Each call reads the mount table for Computer's drives.
CORVANE_PLATFORM_EXPORT HRESULT ParseAbsolutePath(std::string_view path, std::string& items);

// Parses many absolute paths one after another (another program's file
// list) as ParseAbsolutePath does, with the drives read once, when the
// parser is made, and the folder of the last path kept open: a path in the
// same folder walks only its own name. A folder's item is as it was when
// first walked.
class CORVANE_PLATFORM_EXPORT AbsolutePathParser {
public:
    AbsolutePathParser();
    ~AbsolutePathParser();
    AbsolutePathParser(const AbsolutePathParser&) = delete;
    AbsolutePathParser& operator=(const AbsolutePathParser&) = delete;
    HRESULT Parse(std::string_view path, std::string& items);
    // The same list in two parts: the items of the folder that holds the
    // path's last item (Computer for a drive), kept by the parser until its
    // next call, and that last item, which replaces lastItem (emptied on a
    // failure). Paths of one folder share its items.
    HRESULT ParseInFolder(std::string_view path, std::string_view& folderItems, std::string& lastItem);

private:
    struct LastFolder;
    std::vector<std::string> MountPoints_;
    std::string Computer_;
    std::unique_ptr<LastFolder> Last_;
};

// The attributes of a file-system item from its snapshot.
CORVANE_PLATFORM_EXPORT ULONG FileSystemAttributes(const ItemView& item);

// Texts of the file-system columns (1 Size, 2 Type, 3 Modified) of one
// folder's items; a folder has no size text. The locale and its formats are
// taken when the object is made, so a folder makes one and keeps it.
class CORVANE_PLATFORM_EXPORT FileSystemColumnTexts {
public:
    FileSystemColumnTexts();
    ~FileSystemColumnTexts();
    FileSystemColumnTexts(const FileSystemColumnTexts&) = delete;
    FileSystemColumnTexts& operator=(const FileSystemColumnTexts&) = delete;
    // dirFd: the folder the item lies in, for a type only its content tells
    // (-1: the name alone decides).
    std::string Text(const ItemView& item, UINT column, int dirFd = -1) const;

private:
    struct Formats;
    std::unique_ptr<Formats> Formats_;
};
CORVANE_PLATFORM_EXPORT std::string FileSystemColumnText(const ItemView& item, UINT column);
CORVANE_PLATFORM_EXPORT int CompareFileSystemColumn(const ItemView& a, const ItemView& b, UINT column);
// The type name shown for an item of that name (the MIME type's comment).
// Names are keyed by their suffix; a name that no suffix decides (none
// known, one shared by several types, or a name the types' other patterns
// match) is answered as the MIME database answers for the file below dirFd,
// reading its content where the name does not tell; with dirFd -1, by the
// name alone.
CORVANE_PLATFORM_EXPORT std::string FileTypeName(std::string_view name, bool isFolder, int dirFd = -1);

// The types of one folder's file-system children, each told once (for a
// link, by the name of what it leads to) and kept by name, mode, size and
// time, so that a sort by type and the type texts ask nothing twice.
// Answers read from files are also kept for the process by the file's
// device, inode, size and time.
class CORVANE_PLATFORM_EXPORT ChildTypes {
public:
    ChildTypes();
    ~ChildTypes();
    ChildTypes(const ChildTypes&) = delete;
    ChildTypes& operator=(const ChildTypes&) = delete;
    // dirFd: the folder the children are entries of.
    const std::string& Of(const ItemView& item, int dirFd);
    // The order of the two children's types (0 for one type).
    int Compare(const ItemView& a, const ItemView& b, int dirFd);
    // The same for two children already told; false when one is not.
    bool CompareTold(const ItemView& a, const ItemView& b, int& order) noexcept;
    // Tells the types of those of count items not yet told: at once where
    // the name decides, else read on at most threads threads (0: one per
    // core; 1: the calling thread). itemAt gives item i (false: none to
    // tell) on any of those threads.
    void Tell(std::size_t count, const std::function<bool(std::size_t, ItemView&)>& itemAt, int dirFd,
              unsigned threads);

private:
    struct Table;
    std::unique_ptr<Table> Table_;
};

// Tells the types of children of folder ahead of a sort by type, as a list
// about to sort calls it with its items: a type the name decides is told at
// once, and the files whose content decides are read on a pool of at most
// threads threads (0: one per core), the calling thread among them. The
// folder keeps the answers for its type comparisons and type texts.
// Children of folders that have no file-system columns are left alone.
CORVANE_PLATFORM_EXPORT HRESULT TypeChildren(IShellFolder* folder, UINT cidl, const LPCITEMIDLIST* pidls,
                                             unsigned threads = 0);

// ---- UI objects (context menus, drop targets, icons) of items ----
// The folder asks its provider first; then the factory below, which the
// context-menu and drag-and-drop layers install. Without one: E_NOINTERFACE.
struct CORVANE_PLATFORM_EXPORT UIObjectRequest {
    IShellFolder* folder = nullptr;
    const FolderContext* context = nullptr;
    HWND owner = nullptr;
    std::vector<ItemView> items; // single-level children of folder
};
using UIObjectFactory = std::function<HRESULT(const UIObjectRequest& request, REFIID riid, void** out)>;
// Returns the factory it replaces, so that a factory can pass on what it
// does not answer.
CORVANE_PLATFORM_EXPORT UIObjectFactory SetUIObjectFactory(UIObjectFactory factory);

} // namespace shell32
