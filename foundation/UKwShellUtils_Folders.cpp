// Folder, path, display-name and special-folder helpers: item id lists to
// folders, paths and names, and back from paths to lists.

#include "UKwShellUtils.h"
#include "UKwShellUtils_p.h"

#include "shell32/ShellApi.h"
#include "win32/WideText.h"

namespace kw {

namespace {

constexpr DWORD FriendlyNameFlagsMap[] = {
    SHGDN_NORMAL,     // kwfnNormal
    SHGDN_INFOLDER,   // kwfnInFolder
    SHGDN_FORPARSING, // kwfnForParsing
};

// The desktop's file-system path: the list of the desktop is the empty one.
const ITEMIDLIST* DesktopListWhenNull(const ITEMIDLIST* pidl, const BYTE (&empty)[2])
{
    return pidl ? pidl : reinterpret_cast<const ITEMIDLIST*>(empty);
}

// The desktop folder; E_FAIL when the shell reports success without one.
HRESULT GetDesktop(com::ComPtr<IShellFolder>& desktop)
{
    const HRESULT hr = SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf());
    return SUCCEEDED(hr) && !desktop ? E_FAIL : hr;
}

// Frees what a failed call may have left in *pidl.
void DropList(PItemIDList* pidl)
{
    ShellMemFree(*pidl);
    *pidl = nullptr;
}

// Parses path with the desktop folder, which the caller holds.
HRESULT ParsePath(IShellFolder* desktop, const std::string& path, PItemIDList* pidl)
{
    // A zero byte would end the text early and the parser would name another
    // item (a prefix of the path): such a name names nothing.
    if (path.find('\0') != std::string::npos)
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    std::u16string wide = win32::BytesToWide(path);
    ULONG eaten = 0;
    ULONG attributes = 0;
    try {
        return desktop->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, pidl, &attributes);
    } catch (...) {
        DropList(pidl);
        throw;
    }
}

} // namespace

HRESULT ShellGetFolderFromIdList(const ITEMIDLIST* pidl, IShellFolder** folder)
{
    if (!folder)
        return E_POINTER;
    *folder = nullptr;
    com::ComPtr<IShellFolder> desktop;
    if (const HRESULT hr = GetDesktop(desktop); FAILED(hr))
        return hr;
    if (!pidl || detail::ReadItemCount(reinterpret_cast<const BYTE*>(pidl)) == 0) {
        *folder = desktop.Detach();
        return S_OK;
    }
    const HRESULT bound =
        desktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder));
    if (FAILED(bound))
        *folder = nullptr;
    return bound;
}

HRESULT ShellGetIdListFromPath(const std::string& path, PItemIDList* pidl)
{
    if (!pidl)
        return E_POINTER;
    *pidl = nullptr;
    com::ComPtr<IShellFolder> desktop;
    if (const HRESULT hr = GetDesktop(desktop); FAILED(hr))
        return hr;
    const HRESULT parsed = ParsePath(desktop.Get(), path, pidl);
    if (FAILED(parsed))
        DropList(pidl);
    return parsed;
}

std::string ShellGetPathFromIdList(const ITEMIDLIST* pidl)
{
    static constexpr BYTE empty[2] = {0, 0};
    return shell32::PathFromIdList(DesktopListWhenNull(pidl, empty)).value_or(std::string());
}

std::string ShellGetDisplayPathName(const std::string& name)
{
    PItemIDList pidl = nullptr;
    if (FAILED(ShellGetIdListFromPath(name, &pidl)))
        return {};
    std::string path;
    if (pidl)
        path = shell32::PathFromIdList(pidl).value_or(std::string());
    ShellMemFree(pidl);
    return path;
}

std::string ShellGetSpecialFolderPath(HWND owner, TCSIDL folder)
{
    PItemIDList pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, static_cast<int>(folder), &pidl)) || !pidl)
        return {};
    std::string path = ShellGetPathFromIdList(pidl);
    ShellMemFree(pidl);
    return path;
}

HRESULT ShellGetSpecialFolderIdList(HWND owner, TCSIDL folder, PItemIDList* pidl)
{
    if (!pidl)
        return E_POINTER;
    *pidl = nullptr;
    const HRESULT hr = SHGetSpecialFolderLocation(owner, static_cast<int>(folder) & 0x7F, pidl);
    if (FAILED(hr))
        DropList(pidl);
    return hr;
}

TCSIDL ShellFindCSIDLFromIdList(const ITEMIDLIST* pidl)
{
    if (!pidl)
        return csidlNone;
    for (int ordinal = csidlDesktop; ordinal < csidlNone; ++ordinal) {
        const auto folder = static_cast<TCSIDL>(ordinal);
        // The placeholders are no folder numbers of ours: asked for, the
        // shell would answer for whatever folder it keeps under that number.
        if (IsPlaceholderCSIDL(folder))
            continue;
        PItemIDList candidate = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, ordinal, &candidate)) || !candidate) {
            ShellMemFree(candidate);
            continue;
        }
        const bool same = CompareAbsIdLists(pidl, candidate) == 0;
        ShellMemFree(candidate);
        if (same)
            return folder;
    }
    return csidlNone;
}

std::string ShellGetFriendlyNameFromIdList(IShellFolder* folder, const ITEMIDLIST* pidl,
                                           TKwFriendlyNameFlags flags)
{
    if (flags < kwfnNormal || flags > kwfnForParsing)
        return {};
    if (!folder) {
        com::ComPtr<IShellFolder> desktop;
        if (FAILED(GetDesktop(desktop)))
            return {};
        return ShellGetFriendlyNameFromIdList(desktop.Get(), pidl, flags);
    }
    STRRET strRet{};
    strRet.uType = STRRET_CSTR;
    if (FAILED(folder->GetDisplayNameOf(pidl, FriendlyNameFlagsMap[flags], &strRet)))
        return {};
    std::string name;
    try {
        name = StrretToString(pidl, strRet);
    } catch (...) {
        StrretFree(strRet);
        throw;
    }
    StrretFree(strRet);
    return name;
}

} // namespace kw
