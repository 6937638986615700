#pragma once
// Virtual folders of the namespace and how a kind of virtual folder plugs in.
//
// Every folder of the namespace is one folder object (shell32/Folders.h)
// that answers IShellFolder2 and IShellDetails. A virtual folder is named by a
// GUID; what it holds and how its items look comes from the
// VirtualFolderProvider registered for that GUID. To add a kind:
//
//   1. derive from VirtualFolderProvider; implement DisplayName and Enumerate,
//      and override what the defaults below do not answer well;
//   2. register it at start-up with shell32::RegisterVirtualFolder(guid,
//      provider) (it replaces the built-in provider for that GUID);
//   3. to show it, let a parent provider enumerate AppendVirtualItem(guid).
//
// The folder object does the COM side for every provider: lists from the
// shell allocator, string-return records, enumeration objects, CompareIDs
// (folders first, the column, natural names, bytes), identity across routes,
// binding. Children of the kinds Directory, File and TrashEntry (below the
// provider's StoragePath), Drive (a mount point) and Virtual (another
// provider) behave as such everywhere without the provider's help; the
// provider is asked about them first where a method says so, and answers
// E_NOTIMPL to keep the default. VirtualEntry children are the provider's
// alone.
//
// Built in (replaceable): Home (the user's home directory), Computer ("/",
// then Control Panel and Printers), Network, Trash (the entries of the
// trash's files directory), Control Panel and Printers (empty).
//
// Providers are called from any thread that uses the folders: keep them
// thread-safe (the built-in ones keep no mutable state).

#include "CorvanePlatformExport.h"
#include "com/Guid.h"
#include "shell32/ItemIdList.h"
#include "shell32/ShellInterfaces.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The virtual folders' published class identifiers ("::{...}" parsing names).
inline constexpr CLSID CLSID_MyComputer = com::MakeGuid("{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
inline constexpr CLSID CLSID_NetworkPlaces = com::MakeGuid("{208D2C60-3AEA-1069-A2D7-08002B30309D}");
inline constexpr CLSID CLSID_RecycleBin = com::MakeGuid("{645FF040-5081-101B-9F08-00AA002F954E}");
inline constexpr CLSID CLSID_ControlPanel = com::MakeGuid("{21EC2020-3AEA-1069-A2DD-08002B30309D}");
inline constexpr CLSID CLSID_Printers = com::MakeGuid("{2227A280-3AEA-1069-A2DE-08002B30309D}");
inline constexpr CLSID CLSID_UsersFiles = com::MakeGuid("{59031A47-3F72-44A7-89C5-5595FE6B30EE}");

namespace shell32 {

// The home folder of the desktop is the user's files folder.
inline constexpr CLSID CLSID_Home = CLSID_UsersFiles;

// A column of a folder's details.
struct CORVANE_PLATFORM_EXPORT ColumnInfo {
    std::string title;
    int format = LVCFMT_LEFT;
    int widthChars = 20;
    DWORD state = SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT;
};

class CORVANE_PLATFORM_EXPORT VirtualFolderProvider {
public:
    virtual ~VirtualFolderProvider() = default;

    // Normal and in-folder name of the folder itself.
    virtual std::string DisplayName() const = 0;
    // SFGAO bits of the folder as an item of its parent. SFGAO_FOLDER is
    // always added; SFGAO_HASSUBFOLDER is reported as given.
    virtual ULONG Attributes() const { return SFGAO_FOLDER | SFGAO_HASSUBFOLDER; }
    // Place among the desktop's or Computer's virtual children (lower first).
    virtual int SortRank() const { return 100; }
    // The virtual folder it lies in (GUID_NULL: the desktop); parsing its
    // "::{guid}" name from the desktop leads through that folder.
    virtual GUID ParentFolder() const { return GUID_NULL; }
    // The directory whose entries the folder's Directory, File and TrashEntry
    // children are. When IsFileSystemFolder, the folder is that directory
    // (its path, SFGAO_FILESYSTEM, the directory's parsing name).
    virtual std::optional<std::string> StoragePath() const { return std::nullopt; }
    virtual bool IsFileSystemFolder() const { return false; }

    // Appends the folder's children, each one encoded item (Append...Item),
    // in enumeration order, filtered by the SHCONTF_* flags. An error ends
    // EnumObjects with it.
    virtual HRESULT Enumerate(DWORD flags, std::string& items) = 0;

    // Mount points among the children, for parsing absolute paths (Computer).
    virtual std::vector<std::string> MountPoints() const { return {}; }

    // ---- Answers for children; E_NOTIMPL keeps the default ----
    // Text of a display name (SHGDN_* flags; bytes, lossless for parsing).
    virtual HRESULT ChildDisplayName(const ItemView& child, DWORD flags, std::string& text)
    {
        return E_NOTIMPL;
    }
    // Attributes of a child (all it has; the caller masks what was asked).
    virtual HRESULT ChildAttributes(const ItemView& child, ULONG& attributes) { return E_NOTIMPL; }
    // Asked of the folder itself with SFGAO_VALIDATE: forget what is cached
    // about the children, so that they are read afresh.
    virtual void Revalidate() {}
    // The item for a name typed relative to the folder (one item, encoded).
    virtual HRESULT ParseChild(std::string_view name, std::string& item) { return E_NOTIMPL; }
    // Binds a child the folder object cannot bind by itself.
    virtual HRESULT BindToChild(const ItemView& child, REFIID riid, void** out) { return E_NOTIMPL; }
    // UI objects (context menu, drop target, icon extraction) of children.
    virtual HRESULT GetUIObjectOf(HWND owner, const std::vector<ItemView>& children, REFIID riid, void** out)
    {
        return E_NOINTERFACE;
    }

    // ---- Details ----
    // Whether the folder shows the file-system columns (Name, Size, Type,
    // Modified) with their texts and order for its file-system children.
    virtual bool HasFileSystemColumns() const { return false; }
    // Columns, the first being the name. Default: the file-system columns
    // when HasFileSystemColumns, else Name alone.
    virtual std::vector<ColumnInfo> Columns() const;
    // Text of column > 0 for a child (column 0 is the display name).
    virtual HRESULT ChildColumnText(const ItemView& child, UINT column, std::string& text)
    {
        return E_NOTIMPL;
    }
    // Order of two children by a column > 0 (<0, 0, >0); names decide ties.
    virtual int CompareChildren(const ItemView& a, const ItemView& b, UINT column) { return 0; }
};

// The columns of a file-system folder: Name, Size, Type, Modified.
CORVANE_PLATFORM_EXPORT std::vector<ColumnInfo> FileSystemColumns();

// Appends the entries of a directory as items (Directory and File, or
// TrashEntry), filtered by SHCONTF_* flags, for providers whose children are
// files. A directory that does not exist gives S_OK and nothing.
CORVANE_PLATFORM_EXPORT HRESULT ListDirectoryItems(const std::string& path, DWORD flags, bool trashEntries,
                                                   std::string& items);

// Registers (or replaces) the provider of a virtual folder.
CORVANE_PLATFORM_EXPORT void RegisterVirtualFolder(const GUID& id,
                                                   std::shared_ptr<VirtualFolderProvider> provider);
// The provider of a GUID, or null for an unknown one.
CORVANE_PLATFORM_EXPORT std::shared_ptr<VirtualFolderProvider> FindVirtualFolder(const GUID& id);
// Restores the built-in providers (tests).
CORVANE_PLATFORM_EXPORT void ResetVirtualFolders();

} // namespace shell32
