// Where an absolute item id list lies: its parent folder and last item, and
// the UI objects (drop targets) the folder holding an item gives for it.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "shell32/ShellApi.h"
#include "vcl/widgets/Forms.h"

namespace kw {

namespace {

using detail::ScopedList;

// The absolute list of the desktop's file-system directory.
HRESULT DesktopDirectoryList(PItemIDList* pidl)
{
    return ShellGetIdListFromPath(ShellGetSpecialFolderPath(nullptr, csidlDesktop), pidl);
}

} // namespace

HWND GetTopFormHandle(vcl::TWinControl* control)
{
    if (!control)
        return nullptr;
    while (control->Parent())
        control = control->Parent();
    auto* form = dynamic_cast<vcl::TForm*>(control);
    return form ? form->Handle() : nullptr;
}

HRESULT GetParentFolderAndItem(const ITEMIDLIST* absPidl, IShellFolder** parentFolder,
                               PItemIDList* parentPidl, PItemIDList* lastItem)
{
    if (!parentFolder || !parentPidl || !lastItem)
        return E_POINTER;
    *parentFolder = nullptr;
    *parentPidl = nullptr;
    *lastItem = nullptr;
    ScopedList desktopDirectory;
    if (TKwIdListArray(absPidl).GetCount() == 0) {
        // The desktop lies in no folder: its directory stands for it.
        if (const HRESULT hr = DesktopDirectoryList(desktopDirectory.Out()); FAILED(hr))
            return hr;
        absPidl = desktopDirectory.Get();
    }
    TKwIdListArray items(absPidl);
    const int count = items.GetCount();
    if (count == 0)
        return E_INVALIDARG;
    ScopedList parent;
    ScopedList last;
    com::ComPtr<IShellFolder> folder;
    if (count == 1) {
        if (const HRESULT hr = SHGetDesktopFolder(folder.ReleaseAndGetAddressOf()); FAILED(hr))
            return hr;
        *last.Out() = CopyIdList(nullptr, absPidl);
    } else {
        *parent.Out() = CopyIdList(nullptr, items.GoUp(1));
        *last.Out() = CopyIdList(nullptr, items.GetItem(count - 1));
        if (!parent.Get())
            return E_OUTOFMEMORY;
        if (const HRESULT hr = ShellGetFolderFromIdList(parent.Get(), folder.ReleaseAndGetAddressOf());
            FAILED(hr))
            return hr;
    }
    if (!last.Get())
        return E_OUTOFMEMORY;
    if (!folder)
        return E_FAIL;
    *parentFolder = folder.Detach();
    *parentPidl = parent.Release();
    *lastItem = last.Release();
    return S_OK;
}

HRESULT GetUIObjectOfIdList(const ITEMIDLIST* absPidl, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    com::ComPtr<IShellFolder> parent;
    ScopedList parentPidl;
    ScopedList lastItem;
    if (const HRESULT hr = GetParentFolderAndItem(absPidl, parent.ReleaseAndGetAddressOf(), parentPidl.Out(),
                                                  lastItem.Out());
        FAILED(hr))
        return hr;
    LPCITEMIDLIST item = lastItem.Get();
    const HRESULT hr = parent->GetUIObjectOf(nullptr, 1, &item, riid, nullptr, object);
    if (FAILED(hr))
        *object = nullptr;
    return hr;
}

HRESULT GetDesktopDropTarget(IDropTarget** target)
{
    if (!target)
        return E_POINTER;
    *target = nullptr;
    ScopedList desktopDirectory;
    if (const HRESULT hr = DesktopDirectoryList(desktopDirectory.Out()); FAILED(hr))
        return hr;
    return GetUIObjectOfIdList(desktopDirectory.Get(), IID_IDropTarget, reinterpret_cast<void**>(target));
}

} // namespace kw
