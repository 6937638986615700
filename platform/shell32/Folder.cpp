// The folder object: one class for the desktop, virtual folders and
// directories. What differs between them lives in the FolderContext and its
// provider; items behave by their kind wherever they lie.

#include "shell32/Folders.h"

#include "com/ComObject.h"
#include "com/TaskAllocator.h"
#include "shell32/FileSystem_linux.h"
#include "shell32/ItemEnumerator.h"
#include "shell32/NaturalOrder.h"
#include "win32/Errors.h"
#include "win32/MessageBox.h"
#include "win32/MessageText.h"
#include "win32/WideText.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace shell32 {

namespace {

std::mutex g_factoryMutex;
UIObjectFactory g_factory;

HRESULT ComparisonResult(int order)
{
    return static_cast<HRESULT>(static_cast<WORD>(static_cast<SHORT>(order < 0 ? -1 : (order > 0 ? 1 : 0))));
}

// Fills a string-return record: the inline kind when the text fits with its
// terminator, else the wide kind (lossless for parsing texts, whose bytes
// the codec carries; display texts are valid UTF-8 already).
HRESULT SetStrRet(STRRET* out, const std::string& text)
{
    if (text.size() < static_cast<std::size_t>(STRRET_CSTR_SIZE)) {
        out->uType = STRRET_CSTR;
        std::memcpy(out->cStr, text.c_str(), text.size() + 1);
        return S_OK;
    }
    const std::u16string wide = win32::BytesToWide(text);
    auto* block = static_cast<char16_t*>(CoTaskMemAlloc((wide.size() + 1) * sizeof(char16_t)));
    if (!block)
        return E_OUTOFMEMORY;
    std::memcpy(block, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    out->uType = STRRET_WSTR;
    out->pOleStr = block;
    return S_OK;
}

// The HRESULT of a directory that could not be opened.
HRESULT OpenError(int err)
{
    if (err == ENOTDIR)
        return HRESULT_FROM_WIN32(ERROR_DIRECTORY);
    if (err == ENOENT)
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    return win32::HResultFromErrno(err);
}

std::string ParsingNameOfGuid(const GUID& id)
{
    return "::" + com::GuidToString(id);
}

std::string LastComponent(const std::string& path)
{
    if (path == "/")
        return path;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFileSystemKind(ItemKind kind)
{
    return kind == ItemKind::Directory || kind == ItemKind::File || kind == ItemKind::TrashEntry;
}

int KindRank(ItemKind kind)
{
    // Drives come before the virtual folders that share Computer with them.
    switch (kind) {
    case ItemKind::Drive:
        return 0;
    case ItemKind::Virtual:
        return 1;
    case ItemKind::Directory:
    case ItemKind::File:
    case ItemKind::TrashEntry:
        return 2;
    case ItemKind::VirtualEntry:
        return 3;
    }
    return 4;
}

// Whether two items of one folder name the same child. A folder and a file
// of one name are two items (one of them was there before the other): as
// folders come first, taking them for one would break the order.
bool SameChild(const ItemView& a, const ItemView& b)
{
    if (IsFileSystemKind(a.kind) && IsFileSystemKind(b.kind))
        return a.text == b.text && a.IsFolder() == b.IsFolder();
    if (a.kind != b.kind)
        return false;
    if (a.kind == ItemKind::Virtual)
        return a.guid == b.guid;
    return a.text == b.text;
}

int CompareGuids(const GUID& a, const GUID& b)
{
    const std::string sa = com::GuidToString(a);
    const std::string sb = com::GuidToString(b);
    return sa < sb ? -1 : (sa > sb ? 1 : 0);
}

// The file-system column of type names (1 Size, 2 Type, 3 Modified).
constexpr UINT kSizeColumn = 1;
constexpr UINT kTypeColumn = 2;
constexpr UINT kDateColumn = 3;

// How a child of the directory dirFd is typed: a symbolic link to a file by
// what it leads to, as a link to a folder is a folder (its overlay says it
// is a link). storage keeps the name the view points into.
ItemView TypedView(int dirFd, const ItemView& item, std::string& storage)
{
    if (dirFd < 0 || !IsFileSystemKind(item.kind) || item.IsFolder() || !S_ISLNK(item.stat.mode))
        return item;
    std::optional<std::string> target = LinkTargetName(dirFd, item.text);
    if (!target)
        return item;
    storage = std::move(*target);
    ItemView view = item;
    view.text = storage;
    return view;
}

// Order of two different children of the folder at context, whose directory
// is dirFd (-1 when it is not open).
int CompareChildren(const FolderContext& context, const ItemView& a, const ItemView& b, UINT column,
                    int dirFd = -1)
{
    if (const int rank = KindRank(a.kind) - KindRank(b.kind))
        return rank;
    if (a.kind == ItemKind::Virtual) {
        const auto pa = FindVirtualFolder(a.guid);
        const auto pb = FindVirtualFolder(b.guid);
        const int ra = pa ? pa->SortRank() : 1000;
        const int rb = pb ? pb->SortRank() : 1000;
        if (ra != rb)
            return ra < rb ? -1 : 1;
        return CompareGuids(a.guid, b.guid);
    }
    if (a.IsFolder() != b.IsFolder())
        return a.IsFolder() ? -1 : 1;
    if (column > 0) {
        const bool typed =
            column == kTypeColumn && (!context.provider || context.provider->HasFileSystemColumns());
        std::string targetA;
        std::string targetB;
        const ItemView va = typed ? TypedView(dirFd, a, targetA) : a;
        const ItemView vb = typed ? TypedView(dirFd, b, targetB) : b;
        int order = 0;
        if (context.provider)
            order = context.provider->CompareChildren(va, vb, column);
        else if (IsFileSystemKind(a.kind))
            order = CompareFileSystemColumn(va, vb, column);
        if (order != 0)
            return order;
    }
    return CompareNamesNatural(a.text, b.text);
}

std::vector<ItemView> ViewsOf(const std::vector<RouteItem>& route, std::size_t count)
{
    std::vector<ItemView> views;
    views.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        views.push_back(route[i].View());
    return views;
}

// Order of two canonical routes from the desktop. The column counts where
// the routes part among the children of the comparing folder (whose own
// route is own); elsewhere names decide.
int CompareRoutes(const std::vector<RouteItem>& a, const std::vector<RouteItem>& b,
                  const std::vector<RouteItem>& own, UINT column, int ownDirFd)
{
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && SameChild(a[i].View(), b[i].View()))
        ++i;
    if (i == a.size() && i == b.size())
        return 0;
    if (i == a.size())
        return -1; // the ancestor first
    if (i == b.size())
        return 1;
    const std::vector<ItemView> prefix = ViewsOf(a, i);
    bool inOwnFolder = i == own.size();
    for (std::size_t k = 0; inOwnFolder && k < i; ++k)
        inOwnFolder = SameChild(prefix[k], own[k].View());
    const FolderContext at = ResolveItems(DesktopContext(), prefix.data(), prefix.size());
    return CompareChildren(at, a[i].View(), b[i].View(), inOwnFolder ? column : 0,
                           inOwnFolder ? ownDirFd : -1);
}

bool ContainsRouteItems(const std::vector<ItemView>& items, std::size_t from)
{
    for (std::size_t i = from; i < items.size(); ++i)
        if (items[i].kind == ItemKind::Virtual || items[i].kind == ItemKind::Drive)
            return true;
    return false;
}

class Folder : public com::InterlockedComObject<IShellFolder2, IShellDetails> {
public:
    Folder(FolderContext context, FileDescriptor dir) : Context_(std::move(context)), Dir_(std::move(dir))
    {
        DirTried_ = Dir_.Valid();
    }

    // ---- IShellFolder, IShellFolder2, IShellDetails: each in the guard ----

    HRESULT ParseDisplayName(HWND owner, IBindCtx* bindContext, LPWSTR displayName, ULONG* eaten,
                             LPITEMIDLIST* pidl, ULONG* attributes) override
    {
        return com::Guard(
            [&] { return DoParseDisplayName(owner, bindContext, displayName, eaten, pidl, attributes); });
    }
    HRESULT EnumObjects(HWND owner, DWORD flags, IEnumIDList** enumerator) override
    {
        return com::Guard([&] { return DoEnumObjects(owner, flags, enumerator); });
    }
    HRESULT BindToObject(LPCITEMIDLIST pidl, IBindCtx* bindContext, REFIID riid, void** out) override
    {
        return com::Guard([&] { return DoBindToObject(pidl, bindContext, riid, out); });
    }
    HRESULT BindToStorage(LPCITEMIDLIST pidl, IBindCtx* bindContext, REFIID riid, void** out) override
    {
        return com::Guard([&] { return DoBindToStorage(pidl, bindContext, riid, out); });
    }
    HRESULT CompareIDs(LPARAM lParam, LPCITEMIDLIST pidl1, LPCITEMIDLIST pidl2) override
    {
        // The sort's case answered before the general path sets up its frame.
        if (HRESULT order;
            CompareOwnChildren(static_cast<UINT>(lParam & SHCIDS_COLUMNMASK), pidl1, pidl2, order))
            return order;
        return com::Guard([&] { return DoCompareIDs(lParam, pidl1, pidl2); });
    }
    HRESULT CreateViewObject(HWND owner, REFIID riid, void** out) override
    {
        return com::Guard([&] { return DoCreateViewObject(owner, riid, out); });
    }
    HRESULT GetAttributesOf(UINT cidl, LPCITEMIDLIST* pidls, ULONG* inOut) override
    {
        return com::Guard([&] { return DoGetAttributesOf(cidl, pidls, inOut); });
    }
    HRESULT GetUIObjectOf(HWND owner, UINT cidl, LPCITEMIDLIST* pidls, REFIID riid, UINT* reserved,
                          void** out) override
    {
        return com::Guard([&] { return DoGetUIObjectOf(owner, cidl, pidls, riid, reserved, out); });
    }
    HRESULT GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD flags, STRRET* name) override
    {
        if (name && CopyOwnChildName(pidl, flags, *name))
            return S_OK;
        return com::Guard([&] { return DoGetDisplayNameOf(pidl, flags, name); });
    }
    HRESULT SetNameOf(HWND owner, LPCITEMIDLIST pidl, LPCWSTR newName, DWORD flags,
                      LPITEMIDLIST* pidlOut) override
    {
        const HRESULT hr = com::Guard([&] { return DoSetNameOf(owner, pidl, newName, flags, pidlOut); });
        // Given a window, the person is told why the name was refused.
        if (FAILED(hr) && owner)
            TellRenameFailed(owner, newName, hr);
        return hr;
    }
    HRESULT GetDefaultSearchGUID(GUID*) override
    {
        return com::Guard([] { return E_NOTIMPL; });
    }
    HRESULT EnumSearches(IEnumExtraSearch** enumerator) override
    {
        return com::Guard([&] { return DoEnumSearches(enumerator); });
    }
    HRESULT GetDefaultColumn(DWORD reserved, ULONG* sort, ULONG* display) override
    {
        return com::Guard([&] { return DoGetDefaultColumn(reserved, sort, display); });
    }
    HRESULT GetDefaultColumnState(UINT column, DWORD* flags) override
    {
        return com::Guard([&] { return DoGetDefaultColumnState(column, flags); });
    }
    HRESULT GetDetailsEx(LPCITEMIDLIST, const SHCOLUMNID*, void*) override
    {
        return com::Guard([] { return E_NOTIMPL; });
    }
    HRESULT GetDetailsOf(LPCITEMIDLIST pidl, UINT column, SHELLDETAILS* details) override
    {
        return com::Guard([&] { return DoGetDetailsOf(pidl, column, details); });
    }
    HRESULT MapColumnToSCID(UINT, SHCOLUMNID*) override
    {
        return com::Guard([] { return E_NOTIMPL; });
    }
    HRESULT ColumnClick(UINT) override
    {
        return com::Guard([] { return S_FALSE; }); // the caller sorts
    }

private:
    // ---- IShellFolder ----

    HRESULT DoParseDisplayName(HWND owner, IBindCtx*, LPWSTR displayName, ULONG* eaten, LPITEMIDLIST* pidl,
                               ULONG* attributes)
    {
        if (!pidl)
            return E_INVALIDARG;
        *pidl = nullptr;
        if (!displayName)
            return E_INVALIDARG;
        const std::size_t length = win32::WideLength(displayName);
        const std::string name = win32::WideToBytes(std::u16string_view(displayName, length));
        if (name.empty())
            return E_INVALIDARG;
        std::string items;
        HRESULT hr = ParseName(name, items);
        if (FAILED(hr))
            return hr;
        LPITEMIDLIST result = AllocIdList(items);
        if (!result)
            return E_OUTOFMEMORY;
        if (attributes && *attributes) {
            LPCITEMIDLIST one = result;
            hr = GetAttributesOf(1, &one, attributes);
            if (FAILED(hr)) {
                CoTaskMemFree(result);
                return hr;
            }
        }
        if (eaten)
            *eaten = static_cast<ULONG>(length);
        *pidl = result;
        return S_OK;
    }

    HRESULT DoEnumObjects(HWND owner, DWORD flags, IEnumIDList** enumerator)
    {
        if (!enumerator)
            return E_POINTER;
        *enumerator = nullptr;
        if (Context_.provider) {
            std::string items;
            if (const HRESULT hr = Context_.provider->Enumerate(flags, items); FAILED(hr))
                return hr;
            return MakeItemEnumerator(std::move(items), enumerator);
        }
        const int dir = DirFd();
        if (dir < 0)
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        auto reader =
            std::make_unique<DirectoryReader>(dir, *Context_.childPath, flags, Context_.trashEntries);
        if (FAILED(reader->OpenResult()))
            return reader->OpenResult();
        return MakeDirectoryEnumerator(std::move(reader), enumerator);
    }

    HRESULT DoBindToObject(LPCITEMIDLIST pidl, IBindCtx*, REFIID riid, void** out)
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        std::vector<ItemView> items;
        if (!DecodeIdList(pidl, items) || items.empty())
            return E_INVALIDARG;
        FolderContext context = Context_;
        // File-system items are opened relative to the folder they lie in,
        // starting from this folder's descriptor or a drive's: no path is
        // rebuilt, so a folder moved or replaced meanwhile cannot send the
        // walk elsewhere, and a folder too deep for any path call binds.
        FileDescriptor walked;
        int current = DirFd();
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].kind == ItemKind::VirtualEntry) {
                // Only the entry's provider knows what it leads to.
                if (!context.provider)
                    return E_INVALIDARG;
                com::ComPtr<IShellFolder> child;
                const HRESULT hr = context.provider->BindToChild(items[i], IID_IShellFolder,
                                                                 child.ReleaseAndGetVoidAddress());
                if (FAILED(hr))
                    return hr == E_NOTIMPL ? E_INVALIDARG : hr;
                if (i + 1 == items.size())
                    return child.QueryInterface(riid, out);
                const std::size_t skip = ItemOffset(pidl, i + 1);
                return child->BindToObject(
                    reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const BYTE*>(pidl) + skip), nullptr,
                    riid, out);
            }
            FolderContext next = ChildContext(context, items[i]);
            if (!next.isFolder)
                return HRESULT_FROM_WIN32(ERROR_DIRECTORY);
            if (items[i].kind == ItemKind::Virtual && !next.provider && !next.childPath)
                return E_INVALIDARG; // a virtual folder nobody provides
            if (IsFileSystemKind(items[i].kind) && current >= 0 && next.childPath) {
                const std::string name(items[i].text);
                FileDescriptor opened = OpenDirectoryAt(current, name.c_str());
                if (!opened.Valid())
                    return OpenError(errno);
                walked = std::move(opened);
            } else if (next.childPath) {
                // A drive or a folder known by a GUID: a path of its own, short,
                // from which the walk goes on (a storage not there yet is no
                // error while passing through).
                walked = OpenDirectoryPath(*next.childPath);
            } else {
                walked.Reset();
            }
            current = walked.Get();
            context = std::move(next);
        }
        if (walked.Valid())
            return com::MakeComObject<Folder>(std::move(context), std::move(walked))
                .QueryInterface(riid, out);
        com::ComPtr<IShellFolder2> folder;
        if (const HRESULT hr = MakeFolder(std::move(context), folder.ReleaseAndGetAddressOf()); FAILED(hr))
            return hr;
        return folder.QueryInterface(riid, out);
    }

    HRESULT DoBindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void** out)
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }

    // What a list sorting its items asks thousands of times: two children of
    // a plain directory. The general path's order inline: folders first,
    // then the size (none for folders), the time as CompareFileSystemColumn
    // orders them or the type as told, then the names, which compare 0 only
    // when they are the same bytes, as SameChild asks. False for anything
    // else, left to the general path; nothing here allocates.
    bool CompareOwnChildren(UINT column, LPCITEMIDLIST pidl1, LPCITEMIDLIST pidl2,
                            HRESULT& result) const noexcept
    {
        ChildSortKey one;
        ChildSortKey other;
        // The two lists lie anywhere in the caller's heap: both are asked
        // for before either is read, so that their reads overlap.
        __builtin_prefetch(pidl1);
        __builtin_prefetch(pidl2);
        if (Context_.provider || !DecodeSingleChild(pidl1, one) || !DecodeSingleChild(pidl2, other))
            return false;
        const auto order = [](auto x, auto y) { return x < y ? -1 : (x > y ? 1 : 0); };
        int sign = 0;
        if (one.folder != other.folder) {
            sign = one.folder ? -1 : 1;
        } else if (column == kTypeColumn) {
            // By the types told ahead; a child not told yet goes the
            // general way, which tells it.
            ChildTypes* types = TypesMade_.load(std::memory_order_acquire);
            if (!types)
                return false;
            if (!one.folder && one.name != other.name &&
                !types->CompareTold(ViewOf(one), ViewOf(other), sign))
                return false;
        } else if (column == kSizeColumn && !one.folder && one.name != other.name)
            sign = order(one.size, other.size);
        else if (column == kDateColumn && one.name != other.name)
            sign = order(one.mtimeNs, other.mtimeNs);
        if (sign == 0)
            sign = CompareNamesNatural(one.name, other.name);
        result = ComparisonResult(sign);
        return true;
    }

    // What a list asks of every item it adds: a child's name within this
    // folder, which is the name the list holds, copied as it is (a name
    // fits the record's inline text) unless it must be shown with its
    // invalid bytes replaced, which the general path does.
    bool CopyOwnChildName(LPCITEMIDLIST pidl, DWORD flags, STRRET& out) const noexcept
    {
        ChildSortKey child;
        if (Context_.provider || ((flags & SHGDN_FORPARSING) && !(flags & SHGDN_INFOLDER)) ||
            !DecodeSingleChild(pidl, child))
            return false;
        const bool raw = (flags & (SHGDN_FORPARSING | SHGDN_FOREDITING)) != 0;
        static_assert(kMaxNameBytes < static_cast<std::size_t>(STRRET_CSTR_SIZE));
        if (!raw && !win32::IsValidUtf8(child.name))
            return false;
        out.uType = STRRET_CSTR;
        std::memcpy(out.cStr, child.name.data(), child.name.size());
        out.cStr[child.name.size()] = '\0';
        return true;
    }

    HRESULT DoCompareIDs(LPARAM lParam, LPCITEMIDLIST pidl1, LPCITEMIDLIST pidl2)
    {
        const UINT column = static_cast<UINT>(lParam & SHCIDS_COLUMNMASK);
        // Two children of a plain directory by type (which may read links):
        // they take no route, so they compare as the general path below
        // would compare them, without its vectors.
        ItemView one;
        ItemView other;
        if (!Context_.provider && DecodeSingleItem(pidl1, one) && DecodeSingleItem(pidl2, other) &&
            IsFileSystemKind(one.kind) && IsFileSystemKind(other.kind)) {
            if (SameChild(one, other))
                return ComparisonResult(0);
            // By type as the type texts read (the types told once each),
            // folders first, then names.
            if (column == kTypeColumn && one.IsFolder() == other.IsFolder()) {
                const int order = one.IsFolder() ? 0 : Types().Compare(one, other, DirFd());
                return ComparisonResult(order != 0 ? order : CompareNamesNatural(one.text, other.text));
            }
            return ComparisonResult(CompareChildren(Context_, one, other, column, DirFd()));
        }
        std::vector<ItemView> a;
        std::vector<ItemView> b;
        if (!DecodeIdList(pidl1, a) || !DecodeIdList(pidl2, b))
            return E_INVALIDARG;
        if (Context_.provider || ContainsRouteItems(a, 0) || ContainsRouteItems(b, 0)) {
            // Lists from here may take different routes to one item: compare
            // the canonical routes, or two routes to one file would be equal
            // while ordering differently against a third item.
            MountPointsOnce mountPoints;
            const auto ra = CanonicalRoute(Context_, a.data(), a.size(), mountPoints);
            const auto rb = CanonicalRoute(Context_, b.data(), b.size(), mountPoints);
            const auto own = CanonicalRoute(Context_, nullptr, 0, mountPoints);
            if (ra && rb && own)
                return ComparisonResult(
                    CompareRoutes(*ra, *rb, *own, column, column == kTypeColumn ? DirFd() : -1));
        }
        std::size_t i = 0;
        while (i < a.size() && i < b.size() && SameChild(a[i], b[i]))
            ++i;
        if (i == a.size() && i == b.size())
            return ComparisonResult(0);
        const FolderContext at = ResolveItems(Context_, a.data(), i);
        if (i == a.size())
            return ComparisonResult(-1); // the ancestor first
        if (i == b.size())
            return ComparisonResult(1);
        return ComparisonResult(CompareChildren(at, a[i], b[i], i == 0 ? column : 0,
                                                i == 0 && column == kTypeColumn ? DirFd() : -1));
    }

    HRESULT DoCreateViewObject(HWND, REFIID riid, void** out)
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(riid, IID_IShellDetails))
            return QueryInterface(riid, out);
        return E_NOINTERFACE;
    }

    HRESULT DoGetAttributesOf(UINT cidl, LPCITEMIDLIST* pidls, ULONG* inOut)
    {
        if (!inOut)
            return E_INVALIDARG;
        const ULONG requested = *inOut;
        if (cidl == 0) {
            // The folder itself: asked to validate, it reads its children afresh.
            if ((requested & SFGAO_VALIDATE) && Context_.provider)
                Context_.provider->Revalidate();
            *inOut = requested & SFGAO_FOLDER;
            return S_OK;
        }
        if (!pidls)
            return E_INVALIDARG;
        ULONG common = ~ULONG{0};
        for (UINT n = 0; n < cidl; ++n) {
            ULONG attributes = 0;
            HRESULT hr;
            std::vector<ItemView> items;
            if (ItemView child; DecodeSingleItem(pidls[n], child)) {
                hr = ChildAttributes(child, requested, attributes);
            } else if (!DecodeIdList(pidls[n], items) || items.empty()) {
                return E_INVALIDARG;
            } else if (items.size() > 1) {
                com::ComPtr<IShellFolder> parent;
                LPCITEMIDLIST last = nullptr;
                hr = BindParent(pidls[n], items.size(), parent, last);
                if (SUCCEEDED(hr)) {
                    attributes = requested;
                    hr = parent->GetAttributesOf(1, &last, &attributes);
                }
            } else {
                hr = ChildAttributes(items[0], requested, attributes);
            }
            if (FAILED(hr))
                return hr;
            common &= attributes;
        }
        *inOut = common & requested & ~SFGAO_VALIDATE;
        return S_OK;
    }

    HRESULT DoGetUIObjectOf(HWND owner, UINT cidl, LPCITEMIDLIST* pidls, REFIID riid, UINT*, void** out)
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (cidl > 0 && !pidls)
            return E_INVALIDARG;
        UIObjectRequest request;
        request.folder = this;
        request.context = &Context_;
        request.owner = owner;
        for (UINT n = 0; n < cidl; ++n) {
            std::vector<ItemView> items;
            if (!DecodeIdList(pidls[n], items) || items.size() != 1)
                return E_INVALIDARG;
            request.items.push_back(items[0]);
        }
        if (Context_.provider) {
            const HRESULT hr = Context_.provider->GetUIObjectOf(owner, request.items, riid, out);
            if (SUCCEEDED(hr) || hr != E_NOINTERFACE)
                return hr;
        }
        UIObjectFactory factory;
        {
            std::lock_guard lock(g_factoryMutex);
            factory = g_factory;
        }
        return factory ? factory(request, riid, out) : E_NOINTERFACE;
    }

    HRESULT DoGetDisplayNameOf(LPCITEMIDLIST pidl, DWORD flags, STRRET* name)
    {
        if (!name)
            return E_POINTER;
        const bool full = (flags & SHGDN_FORPARSING) && !(flags & SHGDN_INFOLDER);
        std::string text;
        if (ItemView child; DecodeSingleItem(pidl, child)) {
            if (const HRESULT hr = ChildName(Context_, child, flags, full, text); FAILED(hr))
                return hr;
            return SetStrRet(name, text);
        }
        std::vector<ItemView> items;
        // No list names the folder itself, as the empty one does: a caller
        // holding the desktop as nil asks for its name so.
        if (pidl && !DecodeIdList(pidl, items))
            return E_INVALIDARG;
        if (items.empty()) {
            text = OwnName(Context_, flags);
        } else {
            const FolderContext parent = ResolveItems(Context_, items.data(), items.size() - 1);
            const HRESULT hr = ChildName(parent, items.back(), flags, full, text);
            if (FAILED(hr))
                return hr;
        }
        return SetStrRet(name, text);
    }

    static void TellRenameFailed(HWND owner, LPCWSTR newName, HRESULT hr)
    {
        const std::string name =
            newName ? win32::WideToBytes(std::u16string_view(newName, win32::WideLength(newName)))
                    : std::string();
        const DWORD code = HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr);
        std::string why = win32::SystemErrorText(code);
        if (why.empty())
            why = win32::SystemErrorText(static_cast<DWORD>(hr));
        const std::string text = "Cannot rename to '" + name + "': " + why;
        MessageBoxA(owner, text.c_str(), "Error Renaming File or Folder", MB_OK | MB_ICONERROR);
    }

    HRESULT DoSetNameOf(HWND owner, LPCITEMIDLIST pidl, LPCWSTR newName, DWORD flags, LPITEMIDLIST* pidlOut)
    {
        if (pidlOut)
            *pidlOut = nullptr;
        std::vector<ItemView> items;
        if (!newName || !DecodeIdList(pidl, items) || items.empty())
            return E_INVALIDARG;
        if (items.size() > 1) {
            com::ComPtr<IShellFolder> parent;
            LPCITEMIDLIST last = nullptr;
            if (const HRESULT hr = BindParent(pidl, items.size(), parent, last); FAILED(hr))
                return hr;
            LPITEMIDLIST renamed = nullptr;
            // The outer call tells the person of a failure, once.
            const HRESULT hr = parent->SetNameOf(nullptr, last, newName, flags, pidlOut ? &renamed : nullptr);
            const OwnedIdList ownedRenamed(renamed);
            if (SUCCEEDED(hr) && pidlOut) {
                const std::size_t prefix = ItemOffset(pidl, items.size() - 1);
                std::string bytes(reinterpret_cast<const char*>(pidl), prefix);
                bytes.append(reinterpret_cast<const char*>(renamed), IdListSize(renamed) - 2);
                *pidlOut = AllocIdList(bytes);
                if (!*pidlOut)
                    return E_OUTOFMEMORY;
            }
            return hr;
        }
        const ItemView& item = items[0];
        if (item.kind != ItemKind::Directory && item.kind != ItemKind::File)
            return E_NOTIMPL;
        const std::string name = win32::WideToBytes(std::u16string_view(newName, win32::WideLength(newName)));
        if (name.size() > kMaxNameBytes)
            return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
        if (!IsValidItemName(name))
            return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
        const int dir = DirFd();
        if (dir < 0)
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        const std::string oldName(item.text);
        if (name != oldName) {
            if (const HRESULT hr = RenameNoReplace(dir, oldName.c_str(), name.c_str()); FAILED(hr))
                return hr;
        }
        if (!pidlOut)
            return S_OK;
        std::string result;
        if (const HRESULT hr = AppendRelativeItems(dir, name, Context_.trashEntries, result); FAILED(hr))
            return hr;
        *pidlOut = AllocIdList(result);
        return *pidlOut ? S_OK : E_OUTOFMEMORY;
    }

    // ---- IShellFolder2 ----

    HRESULT DoEnumSearches(IEnumExtraSearch** enumerator)
    {
        if (enumerator)
            *enumerator = nullptr;
        return E_NOTIMPL;
    }
    HRESULT DoGetDefaultColumn(DWORD, ULONG* sort, ULONG* display)
    {
        if (!sort || !display)
            return E_POINTER;
        *sort = 0;
        *display = 0;
        return S_OK;
    }
    HRESULT DoGetDefaultColumnState(UINT column, DWORD* flags)
    {
        if (!flags)
            return E_POINTER;
        const std::vector<ColumnInfo>& columns = Columns();
        if (column >= columns.size())
            return E_INVALIDARG;
        *flags = columns[column].state;
        return S_OK;
    }
    HRESULT DoGetDetailsOf(LPCITEMIDLIST pidl, UINT column, SHELLDETAILS* details)
    {
        if (!details)
            return E_POINTER;
        const std::vector<ColumnInfo>& columns = Columns();
        if (column >= columns.size())
            return E_INVALIDARG;
        details->fmt = columns[column].format;
        details->cxChar = columns[column].widthChars;
        if (!pidl)
            return SetStrRet(&details->str, columns[column].title);
        std::optional<ItemView> child;
        if (ItemView one; DecodeSingleItem(pidl, one)) {
            child = one;
        } else {
            std::vector<ItemView> items;
            if (!DecodeIdList(pidl, items) || items.empty())
                return E_INVALIDARG;
            if (items.size() == 1) {
                child = items[0];
            } else {
                com::ComPtr<IShellFolder> parent;
                LPCITEMIDLIST last = nullptr;
                if (const HRESULT hr = BindParent(pidl, items.size(), parent, last); FAILED(hr))
                    return hr;
                const com::ComPtr<IShellDetails> parentDetails = parent.As<IShellDetails>();
                return parentDetails ? parentDetails->GetDetailsOf(last, column, details) : E_NOINTERFACE;
            }
        }
        std::string text;
        if (column == 0) {
            if (const HRESULT hr = ChildName(Context_, *child, SHGDN_INFOLDER, false, text); FAILED(hr))
                return hr;
        } else {
            HRESULT hr = E_NOTIMPL;
            if (Context_.provider)
                hr = Context_.provider->ChildColumnText(*child, column, text);
            if (hr == E_NOTIMPL) {
                hr = S_OK;
                text.clear();
                if (IsFileSystemKind(child->kind) && HasFileSystemColumns())
                    // A link is typed by its target's name alone: content read
                    // by that name in this folder would be another file's.
                    text = column == kTypeColumn ? Types().Of(*child, DirFd()) : Texts().Text(*child, column);
            }
            if (FAILED(hr))
                return hr;
        }
        return SetStrRet(&details->str, text);
    }

private:
    // The column table and the texts' formats, made once per folder.
    const std::vector<ColumnInfo>& Columns()
    {
        std::call_once(ColumnsMade_, [this] {
            Columns_ = Context_.provider ? Context_.provider->Columns() : FileSystemColumns();
        });
        return Columns_;
    }
    const SubfolderCounting& Counting()
    {
        std::call_once(CountingTold_, [this] {
            if (const int dir = DirFd(); dir >= 0)
                Counting_ = SubfolderCountingOf(dir);
        });
        return Counting_;
    }
    const FileSystemColumnTexts& Texts()
    {
        std::call_once(TextsMade_, [this] { Texts_ = std::make_unique<FileSystemColumnTexts>(); });
        return *Texts_;
    }
    ChildTypes& Types()
    {
        std::call_once(TypesOnce_, [this] {
            Types_ = std::make_unique<ChildTypes>();
            TypesMade_.store(Types_.get(), std::memory_order_release);
        });
        return *Types_;
    }
    static ItemView ViewOf(const ChildSortKey& key)
    {
        ItemView view;
        view.kind = key.folder ? ItemKind::Directory : ItemKind::File;
        view.text = key.name;
        view.stat = {key.mode, key.size, key.mtimeNs};
        return view;
    }

public:
    // The types of the given children told ahead of a sort by type.
    HRESULT TellTypes(UINT cidl, const LPCITEMIDLIST* pidls, unsigned threads)
    {
        return com::Guard([&] {
            if (cidl > 0 && !pidls)
                return E_INVALIDARG;
            if (!HasFileSystemColumns())
                return S_OK;
            Types().Tell(
                cidl,
                [&](std::size_t n, ItemView& child) {
                    return DecodeSingleItem(pidls[n], child) && IsFileSystemKind(child.kind);
                },
                DirFd(), threads);
            return S_OK;
        });
    }

private:
    bool HasFileSystemColumns() const
    {
        return !Context_.provider || Context_.provider->HasFileSystemColumns();
    }

    // The descriptor of the directory the children are entries of, opened on
    // first use for folders that did not open it when made. -1 when none.
    int DirFd()
    {
        std::lock_guard lock(DirMutex_);
        if (!DirTried_ && Context_.childPath) {
            DirTried_ = true;
            Dir_ = OpenDirectoryPath(*Context_.childPath);
        }
        return Dir_.Get();
    }

    // Byte offset of item index within a list.
    static std::size_t ItemOffset(LPCITEMIDLIST pidl, std::size_t index)
    {
        const auto* p = reinterpret_cast<const BYTE*>(pidl);
        std::size_t offset = 0;
        for (std::size_t i = 0; i < index; ++i)
            offset += p[offset] | (std::size_t{p[offset + 1]} << 8);
        return offset;
    }

    // The folder holding the last item of a multi-level list, and that item.
    HRESULT BindParent(LPCITEMIDLIST pidl, std::size_t count, com::ComPtr<IShellFolder>& parent,
                       LPCITEMIDLIST& last)
    {
        const std::size_t offset = ItemOffset(pidl, count - 1);
        std::string prefix(reinterpret_cast<const char*>(pidl), offset);
        LPITEMIDLIST parentList = AllocIdList(prefix);
        if (!parentList)
            return E_OUTOFMEMORY;
        const HRESULT hr =
            BindToObject(parentList, nullptr, IID_IShellFolder, parent.ReleaseAndGetVoidAddress());
        CoTaskMemFree(parentList);
        last = reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const BYTE*>(pidl) + offset);
        return hr;
    }

    HRESULT ParseName(const std::string& name, std::string& items)
    {
        if (Context_.identity == "D") {
            if (name.rfind("::{", 0) == 0) {
                const std::optional<GUID> id = com::ParseGuid(std::string_view(name).substr(2));
                if (!id || !FindVirtualFolder(*id))
                    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
                const GUID parent = FindVirtualFolder(*id)->ParentFolder();
                if (!(parent == GUID_NULL))
                    AppendVirtualItem(items, parent);
                AppendVirtualItem(items, *id);
                return S_OK;
            }
            if (name.front() == '/')
                return ParseAbsolutePath(name, items);
        }
        if (Context_.provider) {
            const HRESULT hr = Context_.provider->ParseChild(name, items);
            if (hr != E_NOTIMPL)
                return hr;
        }
        if (!Context_.childPath)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        const int dir = DirFd();
        if (dir < 0)
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        return AppendRelativeItems(dir, name, Context_.trashEntries, items);
    }

    HRESULT ChildAttributes(const ItemView& item, ULONG requested, ULONG& attributes)
    {
        if (Context_.provider) {
            const HRESULT hr = Context_.provider->ChildAttributes(item, attributes);
            if (hr != E_NOTIMPL)
                return hr;
        }
        switch (item.kind) {
        case ItemKind::Virtual: {
            const std::shared_ptr<VirtualFolderProvider> provider = FindVirtualFolder(item.guid);
            if (!provider)
                return E_INVALIDARG;
            attributes = provider->Attributes() | SFGAO_FOLDER;
            if (provider->IsFileSystemFolder())
                attributes |= SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR;
            return S_OK;
        }
        case ItemKind::Drive: {
            if (requested & SFGAO_VALIDATE) {
                struct stat st {};
                if (::stat(std::string(item.text).c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                    return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
            }
            attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER |
                         SFGAO_DROPTARGET | SFGAO_CANLINK | SFGAO_HASPROPSHEET;
            return S_OK;
        }
        case ItemKind::Directory:
        case ItemKind::File:
        case ItemKind::TrashEntry: {
            ItemView current = item;
            const int dir = DirFd();
            if (requested & SFGAO_VALIDATE) {
                const std::string name(item.text);
                bool isFolder = false;
                if (dir < 0 || !StatEntry(dir, name.c_str(), current.stat, isFolder))
                    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
                if (item.kind != ItemKind::TrashEntry)
                    current.kind = isFolder ? ItemKind::Directory : ItemKind::File;
            }
            attributes = FileSystemAttributes(current);
            if (!Context_.childPath)
                attributes &= ~SFGAO_FILESYSTEM;
            // A desktop entry is a shortcut too, but only its contents say so:
            // read only for callers that ask.
            if ((requested & SFGAO_LINK) && !(attributes & SFGAO_LINK) && dir >= 0 &&
                IsShortcutEntry(dir, *Context_.childPath, item.text, current.stat))
                attributes |= SFGAO_LINK;
            if ((requested & SFGAO_HASSUBFOLDER) && current.IsFolder() && dir >= 0) {
                const std::string name(item.text);
                if (HasSubfolder(dir, name.c_str(), *Context_.childPath, Counting()))
                    attributes |= SFGAO_HASSUBFOLDER;
            }
            return S_OK;
        }
        case ItemKind::VirtualEntry:
            attributes = 0;
            return S_OK;
        }
        return E_INVALIDARG;
    }

    static std::string OwnName(const FolderContext& context, DWORD flags)
    {
        if (flags & SHGDN_FORPARSING) {
            if (context.ownPath)
                return *context.ownPath;
            if (context.provider && context.identity[0] == 'V')
                return (flags & SHGDN_FORADDRESSBAR) ? context.provider->DisplayName()
                                                     : ParsingNameOfGuid(context.virtualId);
            return {};
        }
        if (context.provider)
            return context.provider->DisplayName();
        return context.ownPath ? win32::BytesToDisplayText(LastComponent(*context.ownPath)) : std::string();
    }

    // Name of a child of the folder at parent. full: the parsing name from
    // this folder's root (an absolute path where there is one).
    static HRESULT ChildName(const FolderContext& parent, const ItemView& item, DWORD flags, bool full,
                             std::string& text)
    {
        if (parent.provider) {
            const HRESULT hr = parent.provider->ChildDisplayName(item, flags, text);
            if (hr != E_NOTIMPL)
                return hr;
        }
        const bool parsing = (flags & SHGDN_FORPARSING) != 0;
        const bool raw = parsing || (flags & SHGDN_FOREDITING);
        switch (item.kind) {
        case ItemKind::Directory:
        case ItemKind::File:
        case ItemKind::TrashEntry:
            if (full && parent.childPath)
                text = JoinPath(*parent.childPath, item.text);
            else
                text = raw ? std::string(item.text) : win32::BytesToDisplayText(item.text);
            return S_OK;
        case ItemKind::Virtual: {
            const std::shared_ptr<VirtualFolderProvider> provider = FindVirtualFolder(item.guid);
            if (parsing) {
                const std::optional<std::string> storage = provider ? provider->StoragePath() : std::nullopt;
                if (full && provider && provider->IsFileSystemFolder() && storage)
                    text = *storage;
                else if (provider && (flags & SHGDN_FORADDRESSBAR))
                    text = provider->DisplayName(); // a person reads the address bar, not a GUID
                else
                    text = ParsingNameOfGuid(item.guid);
            } else {
                text = provider ? provider->DisplayName() : ParsingNameOfGuid(item.guid);
            }
            return S_OK;
        }
        case ItemKind::Drive:
            if (parsing)
                text = std::string(item.text);
            else if (item.text == "/")
                text = "File System";
            else
                text = win32::BytesToDisplayText(LastComponent(std::string(item.text)));
            return S_OK;
        case ItemKind::VirtualEntry:
            text = raw ? std::string(item.text) : win32::BytesToDisplayText(item.text);
            return S_OK;
        }
        return E_INVALIDARG;
    }

    // Renames without ever replacing an existing name.
    static HRESULT RenameNoReplace(int dir, const char* from, const char* to)
    {
        if (::renameat2(dir, from, dir, to, RENAME_NOREPLACE) == 0)
            return S_OK;
        const int err = errno;
        if (err != EINVAL && err != ENOSYS && err != EOPNOTSUPP)
            return win32::HResultFromErrno(err);
        // The file system refuses the flag: a hard link cannot replace either.
        // Folders cannot be linked, so their rename fails rather than risk it.
        struct stat st {};
        if (::fstatat(dir, from, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return win32::HResultFromErrno(errno);
        if (S_ISDIR(st.st_mode))
            return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
        if (::linkat(dir, from, dir, to, 0) != 0) {
            const int linkErr = errno;
            if (linkErr == EEXIST)
                return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
            return linkErr == EPERM || linkErr == EOPNOTSUPP || linkErr == EMLINK
                       ? HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED)
                       : win32::HResultFromErrno(linkErr);
        }
        if (::unlinkat(dir, from, 0) != 0) {
            const int unlinkErr = errno;
            ::unlinkat(dir, to, 0); // leave things as they were
            return win32::HResultFromErrno(unlinkErr);
        }
        return S_OK;
    }

    const FolderContext Context_;
    std::mutex DirMutex_;
    FileDescriptor Dir_;
    bool DirTried_ = false;
    std::once_flag CountingTold_;
    SubfolderCounting Counting_;
    std::once_flag ColumnsMade_;
    std::vector<ColumnInfo> Columns_;
    std::once_flag TextsMade_;
    std::unique_ptr<FileSystemColumnTexts> Texts_;
    std::once_flag TypesOnce_;
    std::unique_ptr<ChildTypes> Types_;
    std::atomic<ChildTypes*> TypesMade_{nullptr};
};

} // namespace

HRESULT MakeFolder(FolderContext context, IShellFolder2** folder)
{
    if (!folder)
        return E_POINTER;
    *folder = nullptr;
    if (!context.isFolder)
        return HRESULT_FROM_WIN32(ERROR_DIRECTORY);
    FileDescriptor dir;
    if (!context.provider) {
        if (!context.childPath)
            return E_INVALIDARG;
        dir = OpenDirectoryPath(*context.childPath);
        if (!dir.Valid())
            return OpenError(errno);
    }
    *folder = com::MakeComObject<Folder>(std::move(context), std::move(dir)).Detach();
    return S_OK;
}

HRESULT TypeChildren(IShellFolder* folder, UINT cidl, const LPCITEMIDLIST* pidls, unsigned threads)
{
    if (!folder)
        return E_POINTER;
    // Folders of other origins tell their types as they compare.
    auto* ours = dynamic_cast<Folder*>(folder);
    return ours ? ours->TellTypes(cidl, pidls, threads) : S_FALSE;
}

UIObjectFactory SetUIObjectFactory(UIObjectFactory factory)
{
    std::lock_guard lock(g_factoryMutex);
    std::swap(g_factory, factory);
    return factory;
}

} // namespace shell32
