#include "win32/Registry.h"

#include "win32/AtomicFile.h"
#include "win32/ClassesRoot.h"
#include "win32/Errors.h"
#include "win32/HandleTable.h"
#include "win32/Locations.h"
#include "win32/LocationsTesting.h"
#include "win32/RegistryStore.h"
#include "win32/RegistryTesting.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using win32::registry::Key;
using win32::registry::Root;
using win32::registry::Store;
using win32::registry::Value;

namespace {

constexpr std::size_t kMaxStoreBytes = 64u << 20;
constexpr std::size_t kMaxDepth = 512;
constexpr const char* kStoreFolder = "corvane";
constexpr const char* kStoreName = "registry";
constexpr const char* kLockName = "registry.lock";
// Writers hold the lock, so one fixed name is safe, and what a crash leaves
// behind is simply written over by the next change.
constexpr const char* kTemporaryName = "registry.new";

constexpr REGSAM GENERIC_READ_RIGHT = 0x80000000;
constexpr REGSAM GENERIC_WRITE_RIGHT = 0x40000000;
constexpr REGSAM GENERIC_ALL_RIGHT = 0x10000000;

struct OpenKeyRecord {
    Root root;
    std::vector<std::string> path;
    REGSAM access;
};

using KeyTable = win32::HandleTable<HKEY, OpenKeyRecord>;

KeyTable& OpenKeys()
{
    static KeyTable* const table = new KeyTable(win32::HandleKind::RegistryKey);
    return *table;
}

std::optional<Root> PredefinedRoot(HKEY key)
{
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    if (value >= 0x80000000u && value < 0x80000000u + win32::registry::RootCount)
        return static_cast<Root>(value - 0x80000000u);
    return std::nullopt;
}

REGSAM EffectiveAccess(REGSAM desired)
{
    REGSAM access = desired & 0x00FFFFFF & ~MAXIMUM_ALLOWED;
    if (desired & (MAXIMUM_ALLOWED | GENERIC_ALL_RIGHT))
        access |= KEY_ALL_ACCESS;
    if (desired & GENERIC_READ_RIGHT)
        access |= KEY_READ;
    if (desired & GENERIC_WRITE_RIGHT)
        access |= KEY_WRITE;
    return access;
}

// Where a call is aimed: a root and the names below it.
struct Location {
    Root root = Root::CurrentUser;
    std::vector<std::string> path;
    REGSAM access = KEY_ALL_ACCESS;
    bool handleIsKey = false; // the handle was an opened key (it may have been deleted since)
    std::size_t handleDepth = 0;
};

LONG AppendPath(std::vector<std::string>& path, LPCSTR subKey)
{
    if (!subKey || !*subKey)
        return ERROR_SUCCESS;
    std::string_view rest(subKey);
    // One trailing separator is tolerated; an empty name anywhere else is not.
    if (rest.back() == '\\')
        rest.remove_suffix(1);
    while (true) {
        const std::size_t separator = rest.find('\\');
        const std::string_view name = rest.substr(0, separator);
        if (name.empty())
            return ERROR_BAD_PATHNAME;
        if (!win32::registry::IsValidKeyName(name))
            return ERROR_INVALID_PARAMETER;
        path.emplace_back(name);
        if (path.size() > kMaxDepth)
            return ERROR_INVALID_PARAMETER;
        if (separator == std::string_view::npos)
            return ERROR_SUCCESS;
        rest.remove_prefix(separator + 1);
    }
}

LONG Locate(HKEY key, LPCSTR subKey, Location& where)
{
    if (const std::optional<Root> root = PredefinedRoot(key)) {
        where.root = *root;
    } else {
        const std::optional<OpenKeyRecord> record = OpenKeys().Get(key);
        if (!record)
            return ERROR_INVALID_HANDLE;
        where.root = record->root;
        where.path = record->path;
        where.access = record->access;
        where.handleIsKey = true;
        where.handleDepth = record->path.size();
    }
    return AppendPath(where.path, subKey);
}

std::string ValueName(LPCSTR name)
{
    return name ? std::string(name) : std::string();
}

// ---- The store file ----

struct FileSignature {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;
    bool operator==(const FileSignature&) const = default;
};

FileSignature SignatureOf(const std::string& path)
{
    FileSignature signature;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        signature.exists = true;
        signature.device = info.st_dev;
        signature.inode = info.st_ino;
        signature.size = info.st_size;
        signature.modifiedNs =
            static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    }
    return signature;
}

FILETIME FileTimeOf(const FileSignature& signature)
{
    // 100-nanosecond ticks since 1601.
    constexpr unsigned long long kEpochDifference = 116444736000000000ULL;
    FILETIME time{};
    if (!signature.exists || signature.modifiedNs < 0)
        return time;
    const unsigned long long ticks =
        static_cast<unsigned long long>(signature.modifiedNs) / 100 + kEpochDifference;
    time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

int MakeFolders(const std::string& folder)
{
    std::size_t pos = 1;
    while (pos <= folder.size()) {
        pos = folder.find('/', pos);
        if (pos == std::string::npos)
            pos = folder.size();
        const std::string part = folder.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        ++pos;
    }
    return 0;
}

// The lock every writing process takes, on a file of its own (the store's
// own file is replaced by every write).
class StoreLock {
public:
    explicit StoreLock(const std::string& path)
        : Fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (Fd_ < 0) {
            Error_ = errno;
            return;
        }
        while (::flock(Fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                Error_ = errno;
                break;
            }
        }
    }
    ~StoreLock()
    {
        if (Fd_ >= 0)
            ::close(Fd_); // releases the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    int Error() const { return Error_; }

private:
    int Fd_;
    int Error_ = 0;
};

// What a key path reaches: its stored key and, under the classes root, the
// key made from the MIME database. Either may be missing.
struct KeyView {
    Key* stored = nullptr;
    const Key* made = nullptr;
    bool Exists() const { return stored || made; }
};

class Registry {
public:
    std::mutex Mutex;

    // Loads the store for the current environment when it is not loaded or
    // its file changed. Returns ERROR_SUCCESS or ERROR_BADDB.
    LONG Refresh()
    {
        const std::string folder = win32::ConfigHome() + "/" + kStoreFolder;
        const std::string path = folder + "/" + kStoreName;
        const FileSignature signature = SignatureOf(path);
        if (Loaded_ && path == Path_ && signature == Signature_)
            return Store_ ? ERROR_SUCCESS : ERROR_BADDB;
        Path_ = path;
        Folder_ = folder;
        Signature_ = signature;
        Loaded_ = true;
        ++Generation_;
        Store_.reset();
        if (!signature.exists) {
            Store_.emplace();
            return ERROR_SUCCESS;
        }
        std::string text;
        if (const int error = win32::ReadSmallFile(path, kMaxStoreBytes, text); error == ENOENT) {
            Store_.emplace(); // removed since the look: the next call sees it gone
            return ERROR_SUCCESS;
        } else if (error != 0) {
            return ERROR_BADDB;
        }
        ++Parses_;
        Store_ = win32::registry::ParseStore(text);
        return Store_ ? ERROR_SUCCESS : ERROR_BADDB;
    }

    void Forget()
    {
        ++Generation_;
        Loaded_ = false;
        Store_.reset();
        Classes_.reset();
    }

    bool StoreUsable() const { return Store_.has_value(); }
    std::size_t Parses() const { return Parses_; }
    const FileSignature& Signature() const { return Signature_; }

    const Key& Classes()
    {
        if (!Classes_)
            Classes_ = win32::registry::MakeClassesRoot();
        return *Classes_;
    }

    // For reading: ERROR_BADDB when the store cannot be read, except that the
    // made classes keys still answer.
    LONG ViewForRead(const Location& where, std::size_t depth, KeyView& view)
    {
        const LONG loaded = Refresh();
        if (loaded != ERROR_SUCCESS && where.root != Root::ClassesRoot)
            return loaded;
        view = Walk(where, depth);
        return ERROR_SUCCESS;
    }

    KeyView Walk(const Location& where, std::size_t depth)
    {
        KeyView view;
        view.stored = Store_ ? &Store_->RootKey(where.root) : nullptr;
        view.made = where.root == Root::ClassesRoot ? &Classes() : nullptr;
        for (std::size_t i = 0; i < depth && view.Exists(); ++i) {
            if (view.stored)
                view.stored = view.stored->FindSubkey(where.path[i]);
            if (view.made)
                view.made = view.made->FindSubkey(where.path[i]);
        }
        return view;
    }

    // Runs change(store) under the writers' lock on the newest store, and
    // writes the store when change says it changed something. A store that
    // cannot be written is read again, so memory never holds a change the
    // file does not.
    template <class Change>
    LONG Modify(Change&& change)
    {
        // A store that cannot be read is never written over.
        if (Refresh() != ERROR_SUCCESS)
            return ERROR_BADDB;
        if (const int error = MakeFolders(Folder_))
            return static_cast<LONG>(win32::ErrorFromErrno(error));
        const StoreLock lock(Folder_ + "/" + kLockName);
        if (lock.Error())
            return static_cast<LONG>(win32::ErrorFromErrno(lock.Error()));
        // Another process may have written since: work on its store.
        if (Refresh() != ERROR_SUCCESS)
            return ERROR_BADDB;
        bool changed = false;
        const LONG result = change(*Store_, changed);
        if (result != ERROR_SUCCESS || !changed) {
            if (changed) {
                Loaded_ = false;
                ++Generation_;
            }
            return result;
        }
        const std::string text = win32::registry::FormatStore(*Store_);
        if (text.size() > kMaxStoreBytes) {
            // A store larger than is ever read back would lock every later call out.
            Loaded_ = false;
            ++Generation_;
            return ERROR_NO_SYSTEM_RESOURCES;
        }
        win32::AtomicWriteOptions options;
        options.mode = 0600;
        options.temporaryName = kTemporaryName;
        // A store kept elsewhere and linked here stays where it is kept.
        options.throughLinks = true;
        if (const int error = win32::WriteFileAtomically(Path_, text, options)) {
            Loaded_ = false; // drop the change that did not reach the file
            ++Generation_;
            return static_cast<LONG>(win32::ErrorFromPathErrno(error, Path_.c_str(), win32::PathUse::New));
        }
        Signature_ = SignatureOf(Path_);
        ++Generation_;
        return ERROR_SUCCESS;
    }

    // The merged subkey names of a key, kept while nothing changes, so that
    // enumerating the classes root by index does not merge it at every step.
    const std::vector<std::string>& SubkeyNamesOf(const Location& where, const KeyView& view);

private:
    struct NamesCache {
        unsigned long long generation = 0;
        Root root = Root::ClassesRoot;
        std::vector<std::string> path;
        std::vector<std::string> names;
    };
    NamesCache NamesCache_;
    // Changes whenever what keys and values there are may have changed.
    unsigned long long Generation_ = 1;
    std::size_t Parses_ = 0;
    bool Loaded_ = false;
    std::string Path_;
    std::string Folder_;
    FileSignature Signature_;
    std::optional<Store> Store_;
    std::unique_ptr<Key> Classes_;
};

Registry& TheRegistry()
{
    static Registry* const registry = new Registry;
    return *registry;
}

// The handle's own key must still exist, whatever the call is about.
LONG CheckHandleKey(Registry& registry, const Location& where)
{
    if (!where.handleIsKey)
        return ERROR_SUCCESS;
    return registry.Walk(where, where.handleDepth).Exists() ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// The key at where.path for reading, with the errors of a missing key.
LONG FindForRead(Registry& registry, const Location& where, KeyView& view)
{
    if (const LONG result = registry.ViewForRead(where, where.path.size(), view); result != ERROR_SUCCESS)
        return result;
    if (view.Exists())
        return ERROR_SUCCESS;
    return CheckHandleKey(registry, where) != ERROR_SUCCESS ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
}

// The stored key at path, made (with its missing parents) when create; for
// a classes key that exists only as a made one, a stored one is made to carry
// what is written over it.
Key* StoredKey(Store& store, const Location& where, bool create, bool& changed, bool* createdLast = nullptr)
{
    Key* key = &store.RootKey(where.root);
    for (std::size_t i = 0; i < where.path.size(); ++i) {
        Key* next = key->FindSubkey(where.path[i]);
        if (!next) {
            if (!create)
                return nullptr;
            bool created = false;
            next = &key->Subkey(where.path[i], &created);
            changed = changed || created;
            if (createdLast && i + 1 == where.path.size())
                *createdLast = created;
        }
        key = next;
    }
    return key;
}

// Merged listings: stored first in their own order, then made ones not
// shadowed.
std::vector<const Value*> MergedValues(const KeyView& view)
{
    std::vector<const Value*> values;
    if (view.stored) {
        for (const Value& value : view.stored->Values())
            values.push_back(&value);
    }
    if (view.made) {
        for (const Value& value : view.made->Values()) {
            if (!view.stored || !view.stored->FindValue(value.name))
                values.push_back(&value);
        }
    }
    return values;
}

std::vector<const std::string*> MergedSubkeyNames(const KeyView& view)
{
    std::vector<const std::string*> names;
    if (view.stored) {
        for (const auto& [name, key] : view.stored->Subkeys())
            names.push_back(&key->Name());
    }
    if (view.made) {
        for (const auto& [name, key] : view.made->Subkeys()) {
            if (!view.stored || !view.stored->FindSubkey(name))
                names.push_back(&key->Name());
        }
    }
    std::sort(names.begin(), names.end(),
              [](const std::string* a, const std::string* b) { return win32::registry::NameLess()(*a, *b); });
    return names;
}

const std::vector<std::string>& Registry::SubkeyNamesOf(const Location& where, const KeyView& view)
{
    NamesCache& cache = NamesCache_;
    const bool samePath = cache.root == where.root && cache.path.size() == where.path.size() &&
                          std::equal(cache.path.begin(), cache.path.end(), where.path.begin(),
                                     [](const std::string& a, const std::string& b) {
                                         return win32::registry::NamesEqual(a, b);
                                     });
    if (cache.generation != Generation_ || !samePath) {
        cache.generation = Generation_;
        cache.root = where.root;
        cache.path = where.path;
        cache.names.clear();
        for (const std::string* name : MergedSubkeyNames(view))
            cache.names.push_back(*name);
    }
    return cache.names;
}

bool HasSubkeys(const KeyView& view)
{
    return (view.stored && !view.stored->Subkeys().empty()) || (view.made && !view.made->Subkeys().empty());
}

bool IsTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

LONG CopyName(const std::string& name, LPSTR buffer, DWORD* size)
{
    if (*size <= name.size())
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// ERROR_MORE_DATA, with the size the value needs, when data is too small for it.
LONG CheckDataRoom(const Value& value, const BYTE* data, DWORD* dataSize)
{
    const auto size = static_cast<DWORD>(value.data.size());
    if (data && *dataSize < size) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    return ERROR_SUCCESS;
}

// Copies the value's data where data is given and reports its size.
void CopyData(const Value& value, BYTE* data, DWORD* dataSize)
{
    const auto size = static_cast<DWORD>(value.data.size());
    if (data)
        std::memcpy(data, value.data.data(), size);
    if (dataSize)
        *dataSize = size;
}

// Keys have no class here: an empty one, and the store file's time.
void ReportClassAndTime(const Registry& registry, LPSTR keyClass, DWORD* classSize, FILETIME* lastWriteTime)
{
    if (keyClass && classSize && *classSize > 0)
        keyClass[0] = '\0';
    if (classSize)
        *classSize = 0;
    if (lastWriteTime)
        *lastWriteTime = FileTimeOf(registry.Signature());
}

// Runs call(registry, where) under the registry's lock for the key an opened
// handle (or a root) names, when the handle grants the right.
template <class Call>
LONG WithOpenedKey(HKEY key, REGSAM right, Call&& call)
{
    Location where;
    if (const LONG located = Locate(key, nullptr, where); located != ERROR_SUCCESS)
        return located;
    if ((where.access & right) != right)
        return ERROR_ACCESS_DENIED;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.Mutex);
    return call(registry, where);
}

// Runs read(registry, where, view) on the key an opened handle names; a key
// deleted since it was opened is ERROR_KEY_DELETED.
template <class Read>
LONG ReadOpenedKey(HKEY key, REGSAM right, Read&& read)
{
    return WithOpenedKey(key, right, [&](Registry& registry, const Location& where) -> LONG {
        KeyView view;
        if (const LONG found = FindForRead(registry, where, view); found != ERROR_SUCCESS)
            return found == ERROR_FILE_NOT_FOUND ? ERROR_KEY_DELETED : found;
        return read(registry, where, view);
    });
}

// Runs change(registry, where, store, changed) as a change to the store, for
// the key an opened handle names.
template <class Change>
LONG ChangeOpenedKey(HKEY key, REGSAM right, Change&& change)
{
    return WithOpenedKey(key, right, [&](Registry& registry, const Location& where) {
        return registry.Modify(
            [&](Store& store, bool& changed) -> LONG { return change(registry, where, store, changed); });
    });
}

// Where an open or create is aimed; the result is cleared first, so that a
// failure never leaves an old handle in it.
LONG LocateForOpen(HKEY key, LPCSTR subKey, PHKEY result, Location& where)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    return Locate(key, subKey, where);
}

// Hands out a handle for the key at where.
LONG OpenHandle(Location& where, REGSAM desired, PHKEY result)
{
    HKEY handle =
        OpenKeys().Insert(OpenKeyRecord{where.root, std::move(where.path), EffectiveAccess(desired)});
    if (!handle)
        return ERROR_NO_SYSTEM_RESOURCES;
    *result = handle;
    return ERROR_SUCCESS;
}

} // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM desired, PHKEY result)
{
    Location where;
    if (const LONG located = LocateForOpen(key, subKey, result, where); located != ERROR_SUCCESS)
        return located;
    Registry& registry = TheRegistry();
    {
        std::lock_guard lock(registry.Mutex);
        KeyView view;
        if (const LONG found = FindForRead(registry, where, view); found != ERROR_SUCCESS)
            return found;
    }
    return OpenHandle(where, desired, result);
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*keyClass*/, DWORD /*options*/,
                     REGSAM desired, const void* /*security*/, PHKEY result, DWORD* disposition)
{
    Location where;
    if (const LONG located = LocateForOpen(key, subKey, result, where); located != ERROR_SUCCESS)
        return located;
    Registry& registry = TheRegistry();
    bool createdLast = false;
    {
        std::lock_guard lock(registry.Mutex);
        KeyView view;
        if (const LONG read = registry.ViewForRead(where, where.path.size(), view); read != ERROR_SUCCESS)
            return read;
        if (const LONG alive = CheckHandleKey(registry, where); alive != ERROR_SUCCESS)
            return alive;
        if (!view.Exists()) {
            if ((where.access & KEY_CREATE_SUB_KEY) == 0)
                return ERROR_ACCESS_DENIED;
            const LONG made = registry.Modify([&](Store& store, bool& changed) {
                StoredKey(store, where, true, changed, &createdLast);
                return ERROR_SUCCESS;
            });
            if (made != ERROR_SUCCESS)
                return made;
        }
    }
    if (const LONG opened = OpenHandle(where, desired, result); opened != ERROR_SUCCESS)
        return opened;
    if (disposition)
        *disposition = createdLast ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    if (PredefinedRoot(key))
        return ERROR_SUCCESS;
    return OpenKeys().Remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize)
{
    if (reserved || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    return ReadOpenedKey(key, KEY_QUERY_VALUE, [&](Registry&, const Location&, const KeyView& view) -> LONG {
        const std::string name = ValueName(valueName);
        const Value* value = view.stored ? view.stored->FindValue(name) : nullptr;
        if (!value && view.made)
            value = view.made->FindValue(name);
        if (!value)
            return ERROR_FILE_NOT_FOUND;
        // The type is told even when the data does not fit.
        if (type)
            *type = value->type;
        if (const LONG room = CheckDataRoom(*value, data, dataSize); room != ERROR_SUCCESS)
            return room;
        CopyData(*value, data, dataSize);
        return ERROR_SUCCESS;
    });
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data,
                    DWORD dataSize)
{
    if ((!data && dataSize != 0) || dataSize > KW_REG_MAX_VALUE_DATA)
        return ERROR_INVALID_PARAMETER;
    Value value;
    value.name = ValueName(valueName);
    if (value.name.size() > KW_REG_MAX_VALUE_NAME)
        return ERROR_INVALID_PARAMETER;
    value.type = type;
    if (dataSize)
        value.data.assign(reinterpret_cast<const char*>(data), dataSize);
    if (IsTextType(type) && (value.data.empty() || value.data.back() != '\0'))
        value.data.push_back('\0');

    return ChangeOpenedKey(
        key, KEY_SET_VALUE,
        [&](Registry& registry, const Location& where, Store& store, bool& changed) -> LONG {
            if (!registry.Walk(where, where.path.size()).Exists())
                return ERROR_KEY_DELETED;
            Key* stored = StoredKey(store, where, true, changed);
            const Value* old = stored->FindValue(value.name);
            if (old && old->type == value.type && old->data == value.data)
                return ERROR_SUCCESS;
            stored->SetValue(std::move(value));
            changed = true;
            return ERROR_SUCCESS;
        });
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName)
{
    const std::string name = ValueName(valueName);
    return ChangeOpenedKey(
        key, KEY_SET_VALUE, [&](Registry& registry, const Location& where, Store&, bool& changed) -> LONG {
            const KeyView view = registry.Walk(where, where.path.size());
            if (!view.Exists())
                return ERROR_KEY_DELETED;
            if (view.stored && view.stored->DeleteValue(name)) {
                changed = true;
                return ERROR_SUCCESS;
            }
            // A value of the MIME database cannot be taken away.
            return view.made && view.made->FindValue(name) ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
        });
}

LONG RegDeleteKeyA(HKEY key, LPCSTR subKey)
{
    if (!subKey)
        return ERROR_INVALID_PARAMETER;
    Location where;
    if (const LONG located = Locate(key, subKey, where); located != ERROR_SUCCESS)
        return located;
    // An empty subKey deletes the opened key itself; a root cannot go.
    if (where.path.empty())
        return ERROR_ACCESS_DENIED;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.Mutex);
    return registry.Modify([&](Store& store, bool& changed) -> LONG {
        if (const LONG alive = CheckHandleKey(registry, where); alive != ERROR_SUCCESS)
            return alive;
        const KeyView view = registry.Walk(where, where.path.size());
        if (!view.Exists())
            return ERROR_FILE_NOT_FOUND;
        if (view.made || HasSubkeys(view))
            return ERROR_ACCESS_DENIED;
        bool unused = false;
        Location parent = where;
        parent.path.pop_back();
        Key* parentKey = StoredKey(store, parent, false, unused);
        if (!parentKey || !parentKey->DeleteSubkey(where.path.back()))
            return ERROR_FILE_NOT_FOUND;
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* nameSize, DWORD* reserved, LPSTR keyClass,
                   DWORD* classSize, FILETIME* lastWriteTime)
{
    if (!name || !nameSize || reserved)
        return ERROR_INVALID_PARAMETER;
    return ReadOpenedKey(key, KEY_ENUMERATE_SUB_KEYS,
                         [&](Registry& registry, const Location& where, const KeyView& view) -> LONG {
                             const std::vector<std::string>& names = registry.SubkeyNamesOf(where, view);
                             if (index >= names.size())
                                 return ERROR_NO_MORE_ITEMS;
                             if (const LONG copied = CopyName(names[index], name, nameSize);
                                 copied != ERROR_SUCCESS)
                                 return copied;
                             ReportClassAndTime(registry, keyClass, classSize, lastWriteTime);
                             return ERROR_SUCCESS;
                         });
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, DWORD* valueNameSize, DWORD* reserved, DWORD* type,
                   BYTE* data, DWORD* dataSize)
{
    if (!valueName || !valueNameSize || reserved || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    return ReadOpenedKey(key, KEY_QUERY_VALUE, [&](Registry&, const Location&, const KeyView& view) -> LONG {
        const std::vector<const Value*> values = MergedValues(view);
        if (index >= values.size())
            return ERROR_NO_MORE_ITEMS;
        const Value& value = *values[index];
        if (const LONG room = CheckDataRoom(value, data, dataSize); room != ERROR_SUCCESS)
            return room;
        if (const LONG copied = CopyName(value.name, valueName, valueNameSize); copied != ERROR_SUCCESS)
            return copied;
        if (type)
            *type = value.type;
        CopyData(value, data, dataSize);
        return ERROR_SUCCESS;
    });
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, DWORD* classSize, DWORD* reserved, DWORD* subKeys,
                      DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values, DWORD* maxValueNameLength,
                      DWORD* maxValueLength, DWORD* securityDescriptorSize, FILETIME* lastWriteTime)
{
    if (reserved)
        return ERROR_INVALID_PARAMETER;
    return ReadOpenedKey(
        key, KEY_QUERY_VALUE, [&](Registry& registry, const Location&, const KeyView& view) -> LONG {
            const std::vector<const std::string*> names = MergedSubkeyNames(view);
            const std::vector<const Value*> merged = MergedValues(view);
            DWORD longestName = 0;
            for (const std::string* name : names)
                longestName = std::max(longestName, static_cast<DWORD>(name->size()));
            DWORD longestValueName = 0;
            DWORD longestData = 0;
            for (const Value* value : merged) {
                longestValueName = std::max(longestValueName, static_cast<DWORD>(value->name.size()));
                longestData = std::max(longestData, static_cast<DWORD>(value->data.size()));
            }
            if (subKeys)
                *subKeys = static_cast<DWORD>(names.size());
            if (maxSubKeyLength)
                *maxSubKeyLength = longestName;
            if (maxClassLength)
                *maxClassLength = 0;
            if (values)
                *values = static_cast<DWORD>(merged.size());
            if (maxValueNameLength)
                *maxValueNameLength = longestValueName;
            if (maxValueLength)
                *maxValueLength = longestData;
            if (securityDescriptorSize)
                *securityDescriptorSize = 0;
            ReportClassAndTime(registry, keyClass, classSize, lastWriteTime);
            return ERROR_SUCCESS;
        });
}

LONG RegFlushKey(HKEY key)
{
    Location where;
    return Locate(key, nullptr, where);
}

namespace win32 {

std::string RegistryStorePath()
{
    return win32::ConfigHome() + "/" + kStoreFolder + "/" + kStoreName;
}

namespace testing {

void ResetRegistry()
{
    win32::testing::ResetLocations();
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.Mutex);
    registry.Forget();
}

std::size_t OpenRegistryKeys()
{
    return OpenKeys().Size();
}

std::size_t RegistryStoreParses()
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.Mutex);
    return registry.Parses();
}

} // namespace testing

} // namespace win32
