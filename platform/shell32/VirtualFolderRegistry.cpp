#include "shell32/VirtualFolder.h"

#include "shell32/FileSystem_linux.h"
#include "shell32/UserDirs.h"
#include "shell32/VirtualFolderProviders.h"
#include "win32/Errors.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

namespace shell32 {

namespace {

class HomeProvider final : public VirtualFolderProvider {
public:
    std::string DisplayName() const override { return "Home"; }
    ULONG Attributes() const override
    {
        return SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR |
               SFGAO_DROPTARGET | SFGAO_CANLINK | SFGAO_HASPROPSHEET;
    }
    int SortRank() const override { return 0; }
    std::optional<std::string> StoragePath() const override { return HomeDirectory(); }
    bool IsFileSystemFolder() const override { return true; }
    bool HasFileSystemColumns() const override { return true; }
    HRESULT Enumerate(DWORD flags, std::string& items) override
    {
        return ListDirectoryItems(HomeDirectory(), flags, false, items);
    }
};

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const
    {
        if (a.Data1 != b.Data1)
            return a.Data1 < b.Data1;
        if (a.Data2 != b.Data2)
            return a.Data2 < b.Data2;
        if (a.Data3 != b.Data3)
            return a.Data3 < b.Data3;
        return std::memcmp(a.Data4, b.Data4, sizeof a.Data4) < 0;
    }
};

class Registry {
public:
    void Register(const GUID& id, std::shared_ptr<VirtualFolderProvider> provider)
    {
        std::lock_guard lock(Mutex_);
        EnsureBuiltIns();
        if (provider)
            Providers_[id] = std::move(provider);
        else
            Providers_.erase(id);
    }
    std::shared_ptr<VirtualFolderProvider> Find(const GUID& id)
    {
        std::lock_guard lock(Mutex_);
        EnsureBuiltIns();
        const auto found = Providers_.find(id);
        return found == Providers_.end() ? nullptr : found->second;
    }
    void Reset()
    {
        std::lock_guard lock(Mutex_);
        Providers_.clear();
        Loaded_ = false;
    }

private:
    void EnsureBuiltIns()
    {
        if (Loaded_)
            return;
        Loaded_ = true;
        Providers_[CLSID_Home] = std::make_shared<HomeProvider>();
        Providers_[CLSID_MyComputer] = MakeComputerFolder();
        Providers_[CLSID_NetworkPlaces] = MakeNetworkFolder();
        Providers_[CLSID_RecycleBin] = MakeTrashFolder();
        Providers_[CLSID_ControlPanel] = MakeControlPanelFolder();
        Providers_[CLSID_Printers] = MakePrintersFolder();
    }

    std::mutex Mutex_;
    bool Loaded_ = false;
    std::map<GUID, std::shared_ptr<VirtualFolderProvider>, GuidLess> Providers_;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

} // namespace

std::vector<ColumnInfo> VirtualFolderProvider::Columns() const
{
    if (HasFileSystemColumns())
        return FileSystemColumns();
    return {ColumnInfo{"Name", LVCFMT_LEFT, 30, SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT}};
}

std::vector<ColumnInfo> FileSystemColumns()
{
    return {
        ColumnInfo{"Name", LVCFMT_LEFT, 30, SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT},
        ColumnInfo{"Size", LVCFMT_RIGHT, 10, SHCOLSTATE_TYPE_INT | SHCOLSTATE_ONBYDEFAULT},
        ColumnInfo{"Type", LVCFMT_LEFT, 20, SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT},
        ColumnInfo{"Modified", LVCFMT_LEFT, 20, SHCOLSTATE_TYPE_DATE | SHCOLSTATE_ONBYDEFAULT},
    };
}

HRESULT ListDirectoryItems(const std::string& path, DWORD flags, bool trashEntries, std::string& items)
{
    FileDescriptor dir = OpenDirectoryPath(path);
    if (!dir.Valid())
        return errno == ENOENT ? S_OK : win32::HResultFromErrno(errno);
    DirectoryReader reader(dir.Get(), path, flags, trashEntries);
    if (FAILED(reader.OpenResult()))
        return reader.OpenResult();
    std::vector<std::uint32_t> offsets;
    while (reader.ReadChunk(items, offsets)) {
    }
    return reader.Error();
}

void RegisterVirtualFolder(const GUID& id, std::shared_ptr<VirtualFolderProvider> provider)
{
    TheRegistry().Register(id, std::move(provider));
}

std::shared_ptr<VirtualFolderProvider> FindVirtualFolder(const GUID& id)
{
    return TheRegistry().Find(id);
}

void ResetVirtualFolders()
{
    TheRegistry().Reset();
}

} // namespace shell32
