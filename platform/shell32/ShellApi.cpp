#include "shell32/ShellApi.h"

#include "com/ComObject.h"
#include "shell32/FileSystem_linux.h"
#include "shell32/Folders.h"
#include "shell32/ShellTesting.h"
#include "shell32/UserDirs.h"
#include "win32/Errors.h"

#include <sys/stat.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

HRESULT SHGetDesktopFolder(IShellFolder** folder)
{
    if (!folder)
        return E_INVALIDARG;
    *folder = nullptr;
    IShellFolder2* desktop = nullptr;
    const HRESULT hr = shell32::MakeFolder(shell32::DesktopContext(), &desktop);
    *folder = desktop;
    return hr;
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST pidl, char* buffer, std::size_t size)
{
    if (!buffer || size == 0)
        return FALSE;
    buffer[0] = '\0';
    const std::optional<std::string> path = shell32::PathFromIdList(pidl);
    if (!path || path->size() + 1 > size)
        return FALSE;
    std::memcpy(buffer, path->c_str(), path->size() + 1);
    return TRUE;
}

namespace shell32 {

std::optional<std::string> PathFromIdList(LPCITEMIDLIST pidl)
{
    std::vector<ItemView> items;
    if (!pidl) {
        return DesktopContext().ownPath;
    }
    if (!DecodeIdList(pidl, items))
        return std::nullopt;
    return ResolveItems(DesktopContext(), items.data(), items.size()).ownPath;
}

namespace {

// Items of an existing directory from the desktop: through Home when it lies
// there (the route a person sees), else through Computer.
HRESULT ItemsOfPath(const std::string& given, std::string& items)
{
    const std::string path = NormalizePath(given);
    const std::string home = HomeDirectory();
    if (home != "/" &&
        (path == home || (path.size() > home.size() && path.compare(0, home.size(), home) == 0 &&
                          path[home.size()] == '/'))) {
        AppendVirtualItem(items, CLSID_Home);
        if (path.size() == home.size())
            return S_OK;
        FileDescriptor root = OpenDirectoryPath(home);
        if (!root.Valid())
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        return AppendRelativeItems(root.Get(), std::string_view(path).substr(home.size() + 1), false, items);
    }
    return ParseAbsolutePath(path, items);
}

bool MakeDirectories(const std::string& path)
{
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/')
            continue;
        const std::string prefix = path.substr(0, pos);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

struct SpecialFolder {
    enum class Kind { Root, Virtual, Path } kind;
    GUID guid{};
    GUID parent{};
    std::string path;
};

// The table of special folders by number; nothing for an unknown one.
std::optional<SpecialFolder> LookUpSpecialFolder(int csidl)
{
    using K = SpecialFolder::Kind;
    switch (csidl) {
    case CSIDL_DESKTOP:
        return SpecialFolder{K::Root, {}, {}, {}};
    case CSIDL_PROGRAMS:
    case CSIDL_STARTMENU:
        return SpecialFolder{K::Path, {}, {}, DataHome() + "/applications"};
    case CSIDL_CONTROLS:
        return SpecialFolder{K::Virtual, CLSID_ControlPanel, CLSID_MyComputer, {}};
    case CSIDL_PRINTERS:
        return SpecialFolder{K::Virtual, CLSID_Printers, CLSID_MyComputer, {}};
    case CSIDL_PERSONAL:
        return SpecialFolder{K::Path, {}, {}, UserDirectory("DOCUMENTS")};
    case CSIDL_STARTUP:
        return SpecialFolder{K::Path, {}, {}, ConfigHome() + "/autostart"};
    case CSIDL_SENDTO:
        return SpecialFolder{K::Path, {}, {}, DataHome() + "/corvane/SendTo"};
    case CSIDL_BITBUCKET:
        return SpecialFolder{K::Virtual, CLSID_RecycleBin, GUID_NULL, {}};
    case CSIDL_DESKTOPDIRECTORY:
        return SpecialFolder{K::Path, {}, {}, UserDirectory("DESKTOP")};
    case CSIDL_DRIVES:
        return SpecialFolder{K::Virtual, CLSID_MyComputer, GUID_NULL, {}};
    case CSIDL_NETWORK:
        return SpecialFolder{K::Virtual, CLSID_NetworkPlaces, GUID_NULL, {}};
    case CSIDL_FONTS:
        return SpecialFolder{K::Path, {}, {}, DataHome() + "/fonts"};
    case CSIDL_TEMPLATES:
        return SpecialFolder{K::Path, {}, {}, UserDirectory("TEMPLATES")};
    case CSIDL_COMMON_STARTMENU:
    case CSIDL_COMMON_PROGRAMS:
        return SpecialFolder{K::Path, {}, {}, "/usr/share/applications"};
    case CSIDL_COMMON_STARTUP:
        return SpecialFolder{K::Path, {}, {}, "/etc/xdg/autostart"};
    case CSIDL_APPDATA:
        return SpecialFolder{K::Path, {}, {}, ConfigHome()};
    default:
        return std::nullopt;
    }
}

// What tests add to the table, and how often each number was asked for.
class ExtraSpecialFolders {
public:
    void Count(int csidl)
    {
        if (csidl >= 0 && static_cast<std::size_t>(csidl) < Requests_.size())
            ++Requests_[static_cast<std::size_t>(csidl)];
    }
    // The list's bytes (without terminator) for a number tests mapped.
    std::optional<std::string> Find(int csidl)
    {
        std::lock_guard lock(Mutex_);
        const auto found = Lists_.find(csidl);
        return found == Lists_.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    void Set(int csidl, LPCITEMIDLIST pidl)
    {
        const std::size_t size = IdListSize(pidl);
        std::lock_guard lock(Mutex_);
        if (size < 2)
            Lists_.erase(csidl);
        else
            Lists_[csidl].assign(reinterpret_cast<const char*>(pidl), size - 2);
    }
    void Clear()
    {
        std::lock_guard lock(Mutex_);
        Lists_.clear();
        for (std::atomic<std::size_t>& count : Requests_)
            count = 0;
    }
    std::size_t Requests(int csidl) const
    {
        return csidl >= 0 && static_cast<std::size_t>(csidl) < Requests_.size()
                   ? Requests_[static_cast<std::size_t>(csidl)].load()
                   : 0;
    }

private:
    std::mutex Mutex_;
    std::map<int, std::string> Lists_;
    // Folder numbers lie below 256 (the flags sit above).
    std::array<std::atomic<std::size_t>, 256> Requests_{};
};

ExtraSpecialFolders& Extras()
{
    static ExtraSpecialFolders extras;
    return extras;
}

} // namespace

namespace testing {

void SetExtraSpecialFolder(int csidl, LPCITEMIDLIST pidl)
{
    Extras().Set(csidl, pidl);
}

void ClearExtraSpecialFolders()
{
    Extras().Clear();
}

std::size_t SpecialFolderRequests(int csidl)
{
    return Extras().Requests(csidl);
}

} // namespace testing

} // namespace shell32

HRESULT SHGetSpecialFolderLocation(HWND, int csidl, LPITEMIDLIST* pidl)
{
    using namespace shell32;
    if (!pidl)
        return E_INVALIDARG;
    *pidl = nullptr;
    const bool create = (csidl & CSIDL_FLAG_CREATE) != 0;
    Extras().Count(csidl & ~CSIDL_FLAG_CREATE);
    const std::optional<SpecialFolder> folder = LookUpSpecialFolder(csidl & ~CSIDL_FLAG_CREATE);
    if (!folder) {
        const std::optional<std::string> extra = Extras().Find(csidl & ~CSIDL_FLAG_CREATE);
        if (!extra)
            return E_INVALIDARG;
        *pidl = AllocIdList(*extra);
        return *pidl ? S_OK : E_OUTOFMEMORY;
    }
    std::string items;
    switch (folder->kind) {
    case SpecialFolder::Kind::Root:
        break;
    case SpecialFolder::Kind::Virtual:
        if (!FindVirtualFolder(folder->guid))
            return E_INVALIDARG;
        if (!(folder->parent == GUID_NULL))
            AppendVirtualItem(items, folder->parent);
        AppendVirtualItem(items, folder->guid);
        break;
    case SpecialFolder::Kind::Path: {
        // Send To is ours to make; others are made only when asked to.
        if ((create || (csidl & ~CSIDL_FLAG_CREATE) == CSIDL_SENDTO) && !MakeDirectories(folder->path))
            return win32::HResultFromErrno(errno);
        if (const HRESULT hr = ItemsOfPath(folder->path, items); FAILED(hr))
            return hr;
        break;
    }
    }
    *pidl = AllocIdList(items);
    return *pidl ? S_OK : E_OUTOFMEMORY;
}
