#pragma once
// The encoding of our item id lists, and the bounds-checked decoder.
//
// Lists are stored in form files, so the encoding is fixed across builds and
// machines: no inode numbers, descriptors or other machine-local values. Each
// item (after its 16-bit count) is
//
//     byte 0  format tag 0xCB          refuses items of other origins
//     byte 1  format version 1         refuses items of later versions
//     byte 2  kind (ItemKind)
//     then, by kind (integers little-endian, written byte by byte):
//       Virtual       16 bytes GUID (Data1, Data2, Data3 big-endian, then Data4)
//       Drive         the mount path (absolute, normalised), the rest of the item
//       Directory,    mode u32, size u64, modification time i64 (ns since the
//       File,         epoch), then the raw name bytes, the rest of the item
//       TrashEntry
//       VirtualEntry  a provider-defined key (same rules as a name), the rest
//
// A name is 1 to 255 bytes, holds no '/' or NUL and is not "." or "..". The
// stat snapshot is taken while listing and never takes part in identity.
//
// Decoding a list always takes its length: DecodeItem, DecodeIdList and
// ValidateIdList read nothing outside the bytes they are given. Lists handed
// over through the COM interfaces carry no length; IdListSize walks their
// counts (the caller vouches for the terminator) and the content is then
// decoded within that length.

#include "CorvanePlatformExport.h"
#include "com/Guid.h"
#include "shell32/ShellInterfaces.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shell32 {

inline constexpr BYTE kItemFormatTag = 0xCB;
inline constexpr BYTE kItemFormatVersion = 1;
inline constexpr std::size_t kMaxNameBytes = 255;  // NAME_MAX
inline constexpr std::size_t kMaxPathBytes = 4096; // PATH_MAX, terminator included

enum class ItemKind : BYTE {
    Virtual = 1,      // a virtual folder, by GUID
    Drive = 2,        // a mount point, by its path
    Directory = 3,    // a directory (or a link to one) below its parent folder
    File = 4,         // anything else below its parent folder
    TrashEntry = 5,   // an entry of the trash's files directory
    VirtualEntry = 6, // an item of a virtual folder, meaning given by its provider
};

// What listing saw of a file-system item: the mode of the entry itself (a
// symbolic link keeps S_IFLNK), its size and modification time.
struct CORVANE_PLATFORM_EXPORT StatSnapshot {
    std::uint32_t mode = 0;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
};

// One decoded item; text views point into the list it was decoded from.
struct CORVANE_PLATFORM_EXPORT ItemView {
    ItemKind kind = ItemKind::Virtual;
    GUID guid{};           // Virtual
    std::string_view text; // Drive: mount path; other kinds but Virtual: name or key
    StatSnapshot stat;     // Directory, File, TrashEntry

    bool HasSnapshot() const
    {
        return kind == ItemKind::Directory || kind == ItemKind::File || kind == ItemKind::TrashEntry;
    }
    // Whether the item can be browsed into as a folder.
    bool IsFolder() const;
};

// ---- Names and paths ----

// 1 to 255 bytes, no '/' or NUL, not "." or "..".
CORVANE_PLATFORM_EXPORT bool IsValidItemName(std::string_view name);
// Absolute, under PATH_MAX, no empty, "." or ".." components, no NUL, no
// trailing '/' (except "/" itself).
CORVANE_PLATFORM_EXPORT bool IsValidMountPath(std::string_view path);
// parent + "/" + name, without doubling the root's slash.
CORVANE_PLATFORM_EXPORT std::string JoinPath(std::string_view parent, std::string_view name);
// The folder part of a path: "/a/b" -> "/a", "/a" -> "/"; empty for a name
// without a slash.
CORVANE_PLATFORM_EXPORT std::string ParentPath(std::string_view path);
// An absolute path with repeated slashes and "." and ".." components taken
// away by their names alone ("/a/./b/../c" -> "/a/c"); ".." at the root
// stays there ("/../a" -> "/a"). Links are not followed: ".." after a link
// to a folder goes back to where the link lies, as a shell path does.
CORVANE_PLATFORM_EXPORT std::string NormalizePath(std::string_view absolute);

// ---- Encoding: each appends one item (count included) to out ----
CORVANE_PLATFORM_EXPORT void AppendVirtualItem(std::string& out, const GUID& guid);
// False (nothing appended) for an invalid mount path.
CORVANE_PLATFORM_EXPORT bool AppendDriveItem(std::string& out, std::string_view mountPath);
// kind is Directory, File or TrashEntry. False for an invalid name.
CORVANE_PLATFORM_EXPORT bool AppendFileSystemItem(std::string& out, ItemKind kind, std::string_view name,
                                                  const StatSnapshot& stat);
CORVANE_PLATFORM_EXPORT bool AppendVirtualEntry(std::string& out, std::string_view key);

// A new list of the given items (concatenated encoded items, or any list's
// bytes without terminator) plus the terminator, from the shell allocator.
// Null when the allocation fails.
CORVANE_PLATFORM_EXPORT LPITEMIDLIST AllocIdList(std::string_view items);

// Frees a list from the task allocator when it goes out of scope.
struct CORVANE_PLATFORM_EXPORT IdListFree {
    void operator()(ITEMIDLIST* pidl) const;
};
using OwnedIdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

// ---- Decoding ----

// Length of an in-memory list including its terminator (2 for the empty
// list, 0 for null). It reads the count and header of each item only, and
// answers 0 at the first item that is not ours or whose count does not fit
// its kind, and for a list that runs past kMaxIdListBytes. A foreign list
// stops at its first item; a count that lies within its kind's limits leads
// the walk at most one largest item past the end.
inline constexpr std::size_t kMaxIdListBytes = 1 << 20;
CORVANE_PLATFORM_EXPORT std::size_t IdListSize(LPCITEMIDLIST pidl);

// The item at the start of data (count included), read within size bytes;
// nothing for the terminator or a malformed item.
CORVANE_PLATFORM_EXPORT std::optional<ItemView> DecodeItem(const void* data, std::size_t size);
// Byte count of the item at data (its count field), 0 for the terminator;
// nothing when fewer than 2 bytes are there or the count runs past size.
CORVANE_PLATFORM_EXPORT std::optional<std::size_t> ItemByteCount(const void* data, std::size_t size);

// The items of a list that must end exactly at size (terminator included).
// False, with items cleared, for anything malformed.
CORVANE_PLATFORM_EXPORT bool DecodeIdList(const void* data, std::size_t size, std::vector<ItemView>& items);
// Whether size bytes at data are exactly one well-formed list of ours.
CORVANE_PLATFORM_EXPORT bool ValidateIdList(const void* data, std::size_t size);

// Decodes an in-memory list handed over through the interfaces.
CORVANE_PLATFORM_EXPORT bool DecodeIdList(LPCITEMIDLIST pidl, std::vector<ItemView>& items);
// The item of a one-item list handed over through the interfaces, read
// without a walk or a vector (the reads IdListSize makes for one item);
// false for the empty list, a longer one or a malformed one, which
// DecodeIdList then tells apart.
CORVANE_PLATFORM_EXPORT bool DecodeSingleItem(LPCITEMIDLIST pidl, ItemView& item);

// What sorting the children of a folder needs of a one-item list holding a
// file or folder (Directory, File or TrashEntry), read with the checks
// DecodeSingleItem makes; false for any other list.
struct CORVANE_PLATFORM_EXPORT ChildSortKey {
    std::string_view name;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::uint32_t mode = 0;
    bool folder = false;
};
CORVANE_PLATFORM_EXPORT bool DecodeSingleChild(LPCITEMIDLIST pidl, ChildSortKey& key);

// The item's encoded bytes (count included) rebuilt from a view.
CORVANE_PLATFORM_EXPORT std::string EncodeItem(const ItemView& item);

} // namespace shell32
