#include "shell32/ItemIdList.h"

#include "com/TaskAllocator.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace shell32 {

namespace {

constexpr std::size_t kHeaderBytes = 3;           // tag, version, kind
constexpr std::size_t kSnapshotBytes = 4 + 8 + 8; // mode, size, mtime

void PutLe(std::string& out, std::uint64_t value, int bytes)
{
    char buffer[8];
    for (int i = 0; i < bytes; ++i)
        buffer[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    out.append(buffer, static_cast<std::size_t>(bytes));
}

std::uint64_t GetLe(const BYTE* p, int bytes)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t value = 0;
        std::memcpy(&value, p, static_cast<std::size_t>(bytes));
        return value;
    }
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return value;
}

void PutBe(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t GetBe(const BYTE* p, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | p[i];
    return value;
}

// Starts an item: a placeholder count and the header. Returns the count's
// position, to be patched by FinishItem.
std::size_t StartItem(std::string& out, ItemKind kind)
{
    const std::size_t start = out.size();
    out.append(2, '\0');
    out.push_back(static_cast<char>(kItemFormatTag));
    out.push_back(static_cast<char>(kItemFormatVersion));
    out.push_back(static_cast<char>(kind));
    return start;
}

void FinishItem(std::string& out, std::size_t start)
{
    const std::size_t count = out.size() - start;
    out[start] = static_cast<char>(count & 0xFF);
    out[start + 1] = static_cast<char>((count >> 8) & 0xFF);
}

constexpr std::uint64_t kByteOnes = 0x0101'0101'0101'0101ull;
constexpr std::uint64_t kByteHighs = 0x8080'8080'8080'8080ull;

// Marks (in the high bits of its bytes) whether v holds a NUL or '/' byte:
// exact as a whole (which byte it marks is not), so every byte of v must be
// a byte of the name.
constexpr std::uint64_t ForbiddenBytes(std::uint64_t v)
{
    const std::uint64_t w = v ^ (kByteOnes * '/');
    return ((v - kByteOnes) & ~v) | ((w - kByteOnes) & ~w);
}

std::uint64_t Load64(const char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

std::uint32_t Load32(const char* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline bool NameIsValid(std::string_view name)
{
    const std::size_t n = name.size();
    if (n == 0 || n > kMaxNameBytes || (name[0] == '.' && (n == 1 || name == "..")))
        return false;
    // Every comparison of two items checks both names: eight bytes at a
    // time, the last eight (or, for short names, bytes taken twice) read
    // overlapping instead of byte by byte. Nothing outside the name is read.
    const char* p = name.data();
    std::uint64_t marks = 0;
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8)
            marks |= ForbiddenBytes(Load64(p + i));
        marks |= ForbiddenBytes(Load64(p + n - 8));
    } else {
        std::uint64_t word;
        if (n >= 4)
            word = Load32(p) | (std::uint64_t{Load32(p + n - 4)} << 32);
        else
            word = static_cast<unsigned char>(p[0]) * kByteOnes;
        if (n > 1 && n < 4)
            word = (word & ~0xFFFFull) | (std::uint64_t{static_cast<unsigned char>(p[n / 2])} << 8) |
                   static_cast<unsigned char>(p[n - 1]);
        marks = ForbiddenBytes(word);
    }
    return (marks & kByteHighs) == 0;
}

inline bool IsKnownFileType(std::uint32_t mode)
{
    constexpr unsigned kKnown = 1u << (S_IFREG >> 12) | 1u << (S_IFDIR >> 12) | 1u << (S_IFLNK >> 12) |
                                1u << (S_IFCHR >> 12) | 1u << (S_IFBLK >> 12) | 1u << (S_IFIFO >> 12) |
                                1u << (S_IFSOCK >> 12);
    return (kKnown >> ((mode & S_IFMT) >> 12)) & 1u;
}

inline bool IsValidSnapshot(ItemKind kind, const StatSnapshot& stat)
{
    if ((stat.mode & ~std::uint32_t{0xFFFF}) != 0 || !IsKnownFileType(stat.mode))
        return false;
    if (stat.size > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return false;
    if (kind == ItemKind::Directory)
        return S_ISDIR(stat.mode) || S_ISLNK(stat.mode);
    if (kind == ItemKind::File)
        return !S_ISDIR(stat.mode);
    return true;
}

// Whether an item of count bytes (count field included) at p starts with our
// header and has a size its kind allows; reads the header only.
bool IsPlausibleItemHeader(const BYTE* p, std::size_t count)
{
    if (count < 2 + kHeaderBytes || p[2] != kItemFormatTag || p[3] != kItemFormatVersion)
        return false;
    const std::size_t body = count - 2 - kHeaderBytes;
    switch (static_cast<ItemKind>(p[4])) {
    case ItemKind::Virtual:
        return body == 16;
    case ItemKind::Drive:
        return body >= 1 && body < kMaxPathBytes;
    case ItemKind::Directory:
    case ItemKind::File:
    case ItemKind::TrashEntry:
        return body > kSnapshotBytes && body <= kSnapshotBytes + kMaxNameBytes;
    case ItemKind::VirtualEntry:
        return body >= 1 && body <= kMaxNameBytes;
    }
    return false;
}

} // namespace

bool ItemView::IsFolder() const
{
    switch (kind) {
    case ItemKind::Virtual:
    case ItemKind::Drive:
    case ItemKind::Directory:
        return true;
    case ItemKind::TrashEntry:
        return S_ISDIR(stat.mode);
    case ItemKind::File:
    case ItemKind::VirtualEntry:
        return false;
    }
    return false;
}

bool IsValidItemName(std::string_view name)
{
    return NameIsValid(name);
}

bool IsValidMountPath(std::string_view path)
{
    if (path.empty() || path.front() != '/' || path.size() >= kMaxPathBytes)
        return false;
    if (path == "/")
        return true;
    std::size_t pos = 1;
    while (pos <= path.size()) {
        const std::size_t slash = std::min(path.find('/', pos), path.size());
        if (!IsValidItemName(path.substr(pos, slash - pos)))
            return false;
        pos = slash + 1;
    }
    return true;
}

std::string JoinPath(std::string_view parent, std::string_view name)
{
    std::string path;
    path.reserve(parent.size() + 1 + name.size());
    path.append(parent);
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    path.append(name);
    return path;
}

std::string NormalizePath(std::string_view absolute)
{
    std::vector<std::string_view> kept;
    std::size_t pos = 0;
    while (pos <= absolute.size()) {
        const std::size_t slash = std::min(absolute.find('/', pos), absolute.size());
        const std::string_view part = absolute.substr(pos, slash - pos);
        if (part == "..") {
            if (!kept.empty())
                kept.pop_back();
        } else if (!part.empty() && part != ".") {
            kept.push_back(part);
        }
        pos = slash + 1;
    }
    std::string result;
    for (const std::string_view part : kept) {
        result.push_back('/');
        result.append(part);
    }
    return result.empty() ? "/" : result;
}

std::string ParentPath(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string_view::npos)
        return {};
    return std::string(slash == 0 ? path.substr(0, 1) : path.substr(0, slash));
}

void AppendVirtualItem(std::string& out, const GUID& guid)
{
    const std::size_t start = StartItem(out, ItemKind::Virtual);
    PutBe(out, guid.Data1, 4);
    PutBe(out, guid.Data2, 2);
    PutBe(out, guid.Data3, 2);
    for (BYTE b : guid.Data4)
        out.push_back(static_cast<char>(b));
    FinishItem(out, start);
}

bool AppendDriveItem(std::string& out, std::string_view mountPath)
{
    if (!IsValidMountPath(mountPath))
        return false;
    const std::size_t start = StartItem(out, ItemKind::Drive);
    out.append(mountPath);
    FinishItem(out, start);
    return true;
}

bool AppendFileSystemItem(std::string& out, ItemKind kind, std::string_view name, const StatSnapshot& stat)
{
    if (kind != ItemKind::Directory && kind != ItemKind::File && kind != ItemKind::TrashEntry)
        return false;
    if (!IsValidItemName(name) || !IsValidSnapshot(kind, stat))
        return false;
    const std::size_t start = StartItem(out, kind);
    PutLe(out, stat.mode, 4);
    PutLe(out, stat.size, 8);
    PutLe(out, static_cast<std::uint64_t>(stat.mtimeNs), 8);
    out.append(name);
    FinishItem(out, start);
    return true;
}

bool AppendVirtualEntry(std::string& out, std::string_view key)
{
    if (!IsValidItemName(key))
        return false;
    const std::size_t start = StartItem(out, ItemKind::VirtualEntry);
    out.append(key);
    FinishItem(out, start);
    return true;
}

void IdListFree::operator()(ITEMIDLIST* pidl) const
{
    CoTaskMemFree(pidl);
}

LPITEMIDLIST AllocIdList(std::string_view items)
{
    auto* block = static_cast<BYTE*>(CoTaskMemAlloc(items.size() + 2));
    if (!block)
        return nullptr;
    if (!items.empty())
        std::memcpy(block, items.data(), items.size());
    block[items.size()] = 0;
    block[items.size() + 1] = 0;
    return reinterpret_cast<LPITEMIDLIST>(block);
}

std::size_t IdListSize(LPCITEMIDLIST pidl)
{
    if (!pidl)
        return 0;
    const auto* p = reinterpret_cast<const BYTE*>(pidl);
    std::size_t offset = 0;
    for (;;) {
        const std::size_t count = p[offset] | (std::size_t{p[offset + 1]} << 8);
        if (count == 0)
            return offset + 2;
        // Only the header of an item is read before stepping over it, and
        // only an item of ours whose count fits its kind is stepped over:
        // a foreign or corrupt count stops the walk instead of leading it
        // far past the list.
        if (!IsPlausibleItemHeader(p + offset, count))
            return 0;
        offset += count;
        if (offset + 2 > kMaxIdListBytes)
            return 0;
    }
}

std::optional<std::size_t> ItemByteCount(const void* data, std::size_t size)
{
    if (!data || size < 2)
        return std::nullopt;
    const auto* p = static_cast<const BYTE*>(data);
    const std::size_t count = p[0] | (std::size_t{p[1]} << 8);
    if (count > size)
        return std::nullopt;
    return count;
}

namespace {

// The item of count bytes (count field included) at p, count already known
// to lie within the bytes given.
bool DecodeCounted(const BYTE* p, std::size_t count, ItemView& item)
{
    if (count < 2 + kHeaderBytes || p[2] != kItemFormatTag || p[3] != kItemFormatVersion)
        return false;
    const BYTE* body = p + 2 + kHeaderBytes;
    const std::size_t bodySize = count - 2 - kHeaderBytes;
    item = ItemView{};
    item.kind = static_cast<ItemKind>(p[4]);
    switch (item.kind) {
    case ItemKind::Virtual:
        if (bodySize != 16)
            return false;
        item.guid.Data1 = static_cast<DWORD>(GetBe(body, 4));
        item.guid.Data2 = static_cast<WORD>(GetBe(body + 4, 2));
        item.guid.Data3 = static_cast<WORD>(GetBe(body + 6, 2));
        std::memcpy(item.guid.Data4, body + 8, 8);
        return true;
    case ItemKind::Drive:
        item.text = std::string_view(reinterpret_cast<const char*>(body), bodySize);
        return IsValidMountPath(item.text);
    case ItemKind::Directory:
    case ItemKind::File:
    case ItemKind::TrashEntry:
        if (bodySize <= kSnapshotBytes)
            return false;
        item.stat.mode = static_cast<std::uint32_t>(GetLe(body, 4));
        item.stat.size = GetLe(body + 4, 8);
        item.stat.mtimeNs = static_cast<std::int64_t>(GetLe(body + 12, 8));
        item.text =
            std::string_view(reinterpret_cast<const char*>(body + kSnapshotBytes), bodySize - kSnapshotBytes);
        return NameIsValid(item.text) && IsValidSnapshot(item.kind, item.stat);
    case ItemKind::VirtualEntry:
        item.text = std::string_view(reinterpret_cast<const char*>(body), bodySize);
        return IsValidItemName(item.text);
    }
    return false;
}

} // namespace

std::optional<ItemView> DecodeItem(const void* data, std::size_t size)
{
    const std::optional<std::size_t> count = ItemByteCount(data, size);
    ItemView item;
    if (!count || !DecodeCounted(static_cast<const BYTE*>(data), *count, item))
        return std::nullopt;
    return item;
}

bool DecodeIdList(const void* data, std::size_t size, std::vector<ItemView>& items)
{
    items.clear();
    if (!data)
        return false;
    const auto* p = static_cast<const BYTE*>(data);
    std::size_t offset = 0;
    for (;;) {
        const std::optional<std::size_t> count = ItemByteCount(p + offset, size - offset);
        if (!count) {
            items.clear();
            return false;
        }
        if (*count == 0) {
            if (offset + 2 == size)
                return true;
            items.clear();
            return false;
        }
        std::optional<ItemView> item = DecodeItem(p + offset, *count);
        if (!item) {
            items.clear();
            return false;
        }
        items.push_back(*item);
        offset += *count;
    }
}

bool ValidateIdList(const void* data, std::size_t size)
{
    std::vector<ItemView> items;
    return DecodeIdList(data, size, items);
}

bool DecodeIdList(LPCITEMIDLIST pidl, std::vector<ItemView>& items)
{
    const std::size_t size = IdListSize(pidl);
    if (size == 0) {
        items.clear();
        return false;
    }
    return DecodeIdList(pidl, size, items);
}

namespace {

constexpr std::size_t kFirstNameByte = 2 + kHeaderBytes + kSnapshotBytes;

// The item a folder's list holds most: one file or folder, read in one pass
// (the checks DecodeCounted makes, without a second look at the kind).
// False, with the outputs unspecified, for anything else.
inline bool ReadSingleFileSystemItem(const BYTE* p, ItemKind& kind, StatSnapshot& stat,
                                     std::string_view& name)
{
    const std::size_t count = p[0] | (std::size_t{p[1]} << 8);
    // One unsigned test for 1 to 255 name bytes: past it, every byte up to
    // the terminator lies within the item.
    if (count - (kFirstNameByte + 1) >= kMaxNameBytes)
        return false;
    const std::size_t n = count - kFirstNameByte;
    const char* text = reinterpret_cast<const char*>(p + kFirstNameByte);
    // The checks are folded into one answer rather than taken one by one:
    // lists of ours pass them all, and a sort runs this twice per compare.
    const unsigned k = p[4];
    bool ok = (p[2] == kItemFormatTag) & (p[3] == kItemFormatVersion) &
              (k - static_cast<unsigned>(ItemKind::Directory) < 3u) & ((p[count] | p[count + 1]) == 0);
    kind = static_cast<ItemKind>(k);
    const BYTE* body = p + 2 + kHeaderBytes;
    stat.mode = static_cast<std::uint32_t>(GetLe(body, 4));
    stat.size = GetLe(body + 4, 8);
    stat.mtimeNs = static_cast<std::int64_t>(GetLe(body + 12, 8));
    name = std::string_view(text, n);
    if (n >= 8 && n <= 32) {
        // Four overlapping words cover any name of 8 to 32 bytes.
        const std::size_t last = n - 8;
        const std::uint64_t marks = ForbiddenBytes(Load64(text)) |
                                    ForbiddenBytes(Load64(text + std::min<std::size_t>(8, last))) |
                                    ForbiddenBytes(Load64(text + std::min<std::size_t>(16, last))) |
                                    ForbiddenBytes(Load64(text + last));
        ok &= (marks & kByteHighs) == 0;
    } else {
        ok &= NameIsValid(name);
    }
    return ok && IsValidSnapshot(kind, stat);
}

} // namespace

bool DecodeSingleItem(LPCITEMIDLIST pidl, ItemView& item)
{
    if (!pidl)
        return false;
    const auto* p = reinterpret_cast<const BYTE*>(pidl);
    item.guid = GUID{};
    if (ReadSingleFileSystemItem(p, item.kind, item.stat, item.text))
        return true;
    const std::size_t count = p[0] | (std::size_t{p[1]} << 8);
    return count != 0 && IsPlausibleItemHeader(p, count) && p[count] == 0 && p[count + 1] == 0 &&
           DecodeCounted(p, count, item);
}

bool DecodeSingleChild(LPCITEMIDLIST pidl, ChildSortKey& key)
{
    ItemKind kind;
    StatSnapshot stat;
    if (!pidl || !ReadSingleFileSystemItem(reinterpret_cast<const BYTE*>(pidl), kind, stat, key.name))
        return false;
    key.size = stat.size;
    key.mtimeNs = stat.mtimeNs;
    key.mode = stat.mode;
    key.folder = kind == ItemKind::Directory || (kind == ItemKind::TrashEntry && S_ISDIR(stat.mode));
    return true;
}

std::string EncodeItem(const ItemView& item)
{
    std::string out;
    switch (item.kind) {
    case ItemKind::Virtual:
        AppendVirtualItem(out, item.guid);
        break;
    case ItemKind::Drive:
        AppendDriveItem(out, item.text);
        break;
    case ItemKind::Directory:
    case ItemKind::File:
    case ItemKind::TrashEntry:
        AppendFileSystemItem(out, item.kind, item.text, item.stat);
        break;
    case ItemKind::VirtualEntry:
        AppendVirtualEntry(out, item.text);
        break;
    }
    return out;
}

} // namespace shell32
