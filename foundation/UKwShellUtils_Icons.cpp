// System image-list icon indexes of items, paths, file types and special
// folders, and the system image lists themselves with the shell's overlays.

#include "UKwFoundationTesting.h"
#include "UKwShellUtils.h"

#include "shell32/FileInfo.h"
#include "vcl/core/Exceptions.h"
#include "win32/Icons.h"
#include "win32/ImageLists.h"
#include "win32/Modules.h"

#include <mutex>

namespace kw {

namespace {

constexpr UINT ShellIconSizeFlags[] = {
    SHGFI_SMALLICON, // kwsizSmall
    SHGFI_LARGEICON, // kwsizLarge
};

// Set once the overlays are in the system image lists. Callers on two threads
// must not both add them: the flag is read and set under the lock.
std::mutex OverlaysMutex;
bool OverlaysAdded = false;

// The root whose file information carries the system image lists. The
// system's code names the Windows root "C:\"; the root here is "/".
constexpr const char* ImageListRoot = "/";

int IconIndex(LPCSTR pathOrPidl, DWORD fileAttributes, UINT flags)
{
    try {
        SHFILEINFOA info{};
        SHGetFileInfoA(pathOrPidl, fileAttributes, &info, sizeof info, flags);
        return info.iIcon;
    } catch (...) {
        return 0;
    }
}

HIMAGELIST SystemImageListOf(UINT sizeFlag)
{
    SHFILEINFOA info{};
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA(ImageListRoot, 0, &info, sizeof info, SHGFI_SYSICONINDEX | sizeFlag));
}

// The shell library, loaded for as long as the overlays are being added.
class ShellLibrary {
public:
    ShellLibrary() : Module_(LoadLibraryA("shell32.dll")) {}
    ~ShellLibrary()
    {
        if (Module_)
            FreeLibrary(Module_);
    }
    ShellLibrary(const ShellLibrary&) = delete;
    ShellLibrary& operator=(const ShellLibrary&) = delete;
    HMODULE Get() const { return Module_; }

private:
    HMODULE Module_;
};

void AddOverlay(HMODULE shell, HIMAGELIST list, int resource, int size, int overlay)
{
    const HICON icon =
        static_cast<HICON>(LoadImageA(shell, MAKEINTRESOURCEA(resource), IMAGE_ICON, size, size, LR_SHARED));
    const int index = ImageList_ReplaceIcon(list, -1, icon);
    ImageList_SetOverlayImage(list, index, overlay);
    DestroyIcon(icon);
}

// Puts the shell's share (29) and link (30) icons into both lists as
// overlays 1 and 2. Without the shell library nothing happens, and the next
// call tries again.
void AddOverlays()
{
    const ShellLibrary shell;
    if (!shell.Get())
        return;
    const HIMAGELIST small = SystemImageListOf(SHGFI_SMALLICON);
    const HIMAGELIST large = SystemImageListOf(SHGFI_LARGEICON);
    AddOverlay(shell.Get(), small, 29, 16, 1);
    AddOverlay(shell.Get(), large, 29, 32, 1);
    AddOverlay(shell.Get(), small, 30, 16, 2);
    AddOverlay(shell.Get(), large, 30, 32, 2);
    OverlaysAdded = true;
}

} // namespace

int ShellGetIconIndex(const ITEMIDLIST* pidl, UINT flags)
{
    return IconIndex(reinterpret_cast<LPCSTR>(pidl), 0, flags | SHGFI_PIDL | SHGFI_SYSICONINDEX);
}

int ShellGetIconIndexFromPath(const std::string& path, UINT flags)
{
    return IconIndex(path.c_str(), 0, flags | SHGFI_SYSICONINDEX);
}

int ShellGetIconIndexFromExt(const std::string& name, UINT flags)
{
    return IconIndex(name.c_str(), 0, flags | SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
}

int ShellGetSpecialFolderIconIndex(TCSIDL folder, UINT flags)
{
    PItemIDList pidl = nullptr;
    const HRESULT hr = ShellGetSpecialFolderIdList(nullptr, folder, &pidl);
    if (FAILED(hr))
        vcl::OleError(hr);
    struct FreeList {
        PItemIDList pidl;
        ~FreeList() { ShellMemFree(pidl); }
    } freeList{pidl};
    return ShellGetIconIndex(pidl, flags);
}

HIMAGELIST ShellGetSystemImageList(TKwShellIconSize size)
{
    if (IsWinNT() && COMCTL32_VER.MS >= 0x00040047) {
        const std::lock_guard lock(OverlaysMutex);
        if (!OverlaysAdded)
            AddOverlays();
    }
    return SystemImageListOf(ShellIconSizeFlags[size == kwsizSmall ? 0 : 1]);
}

void testing::ResetSystemImageListOverlays()
{
    const std::lock_guard lock(OverlaysMutex);
    OverlaysAdded = false;
}

} // namespace kw
