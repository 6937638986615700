// SHGetFileInfoA: what an item looks like, by path, by name or by list.

#include "shell32/FileInfo.h"

#include "com/TaskAllocator.h"
#include "shell32/Folders.h"
#include "shell32/ItemIcons.h"
#include "shell32/ItemIdList.h"
#include "shell32/ShellApi.h"
#include "shell32/SystemImageList.h"
#include "win32/Errors.h"
#include "win32/FileSystem.h"
#include "win32/Icons.h"
#include "win32/ImageLists.h"
#include "win32/WideText.h"

#include <QPainter>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace shell32 {

namespace {

constexpr UINT kUnsupported = SHGFI_ICONLOCATION | SHGFI_EXETYPE;
constexpr UINT kNeedsRecord = SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES;

// The desktop itself as an item.
constexpr ULONG kDesktopAttributes =
    SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR | SFGAO_FILESYSTEM | SFGAO_DROPTARGET;

// Copies display text into a fixed field, cut at a character boundary when it
// does not fit, and always terminated.
void CopyDisplayText(char* field, std::size_t fieldSize, const std::string& text)
{
    std::size_t length = text.size();
    if (length >= fieldSize) {
        length = fieldSize - 1;
        // Back off over continuation bytes: the cut lands before a lead byte.
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    }
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::string TextOf(const STRRET& ret, LPCITEMIDLIST pidl)
{
    switch (ret.uType) {
    case STRRET_CSTR:
        return std::string(ret.cStr, strnlen(ret.cStr, sizeof ret.cStr));
    case STRRET_WSTR: {
        std::string text = ret.pOleStr ? win32::WideToBytes(ret.pOleStr) : std::string();
        CoTaskMemFree(ret.pOleStr);
        return text;
    }
    case STRRET_OFFSET: {
        const std::size_t size = IdListSize(pidl);
        if (ret.uOffset >= size)
            return {};
        const char* start = reinterpret_cast<const char*>(pidl) + ret.uOffset;
        return std::string(start, strnlen(start, size - ret.uOffset));
    }
    default:
        return {};
    }
}

// Everything the call may need about the item, filled in as asked.
struct Item {
    OwnedIdList parsed;           // a list made from a path
    LPCITEMIDLIST pidl = nullptr; // the absolute list, when there is one
    std::vector<ItemView> items;  // its items
    std::string name;             // by-name items: the name
    bool byName = false;
    bool isFolder = false;
    DWORD fileAttributes = 0;
};

// The last component of a path ("/" stays itself).
std::string LastComponent(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || path.size() == 1)
        return std::string(path);
    return std::string(path.substr(slash + 1));
}

HRESULT ParsePath(const char* path, Item& item)
{
    std::string absolute(path);
    if (absolute.empty())
        return E_INVALIDARG;
    if (absolute[0] != '/' && absolute.rfind("::", 0) != 0) {
        if (const DWORD error = win32::AbsolutePath(path, absolute); error != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(error);
    }
    com::ComPtr<IShellFolder> desktop;
    if (const HRESULT hr = SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf()); FAILED(hr))
        return hr;
    std::u16string wide = win32::BytesToWide(absolute);
    LPITEMIDLIST pidl = nullptr;
    const HRESULT hr = desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &pidl, nullptr);
    item.parsed.reset(pidl);
    if (FAILED(hr))
        return hr;
    if (!pidl)
        return E_FAIL;
    item.pidl = pidl;
    return DecodeIdList(pidl, item.items) ? S_OK : E_INVALIDARG;
}

HRESULT AttributesOf(const Item& item, ULONG requested, ULONG& attributes)
{
    if (item.byName) {
        ItemView view;
        view.kind = item.isFolder ? ItemKind::Directory : ItemKind::File;
        view.text = item.name;
        view.stat.mode = item.isFolder ? (S_IFDIR | 0755) : (S_IFREG | 0644);
        if (item.fileAttributes & FILE_ATTRIBUTE_READONLY)
            view.stat.mode &= ~static_cast<std::uint32_t>(0222);
        attributes = FileSystemAttributes(view);
        if (item.fileAttributes & FILE_ATTRIBUTE_HIDDEN)
            attributes |= SFGAO_HIDDEN;
        attributes &= requested;
        return S_OK;
    }
    if (item.items.empty()) {
        attributes = kDesktopAttributes & requested;
        return S_OK;
    }
    com::ComPtr<IShellFolder> desktop;
    if (const HRESULT hr = SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf()); FAILED(hr))
        return hr;
    attributes = requested;
    LPCITEMIDLIST one = item.pidl;
    return desktop->GetAttributesOf(1, &one, &attributes);
}

HRESULT DisplayNameOf(const Item& item, std::string& name)
{
    if (item.byName) {
        name = win32::BytesToDisplayText(item.name);
        return S_OK;
    }
    com::ComPtr<IShellFolder> desktop;
    if (const HRESULT hr = SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf()); FAILED(hr))
        return hr;
    STRRET ret{};
    if (const HRESULT hr = desktop->GetDisplayNameOf(item.pidl, SHGDN_NORMAL, &ret); FAILED(hr))
        return hr;
    name = TextOf(ret, item.pidl);
    return S_OK;
}

// The overlay number the item shows: share before link.
int OverlayOf(ULONG attributes)
{
    if (attributes & SFGAO_SHARE)
        return kShareOverlay;
    if (attributes & SFGAO_LINK)
        return kLinkOverlay;
    return 0;
}

HICON MakeIcon(HIMAGELIST list, int index, int size, int overlay, bool selected)
{
    QImage image = win32::ImageListImage(list, index, ILD_TRANSPARENT);
    if (image.isNull())
        return nullptr;
    if (overlay) {
        const int resource = overlay == kShareOverlay ? kShareOverlayIcon : kLinkOverlayIcon;
        if (const std::optional<QImage> picture = win32::ModuleIconImage("shell32.dll", resource, size)) {
            QPainter painter(&image);
            painter.drawImage(0, 0, *picture);
        }
    }
    if (selected)
        image = win32::BlendedImage(image, ILD_SELECTED);
    return win32::CreateIconFromImage(image);
}

DWORD_PTR Fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

DWORD_PTR FailWith(HRESULT hr)
{
    return Fail(HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : ERROR_INVALID_PARAMETER);
}

} // namespace

} // namespace shell32

DWORD_PTR SHGetFileInfoA(LPCSTR pathOrPidl, DWORD fileAttributes, SHFILEINFOA* info, UINT infoSize,
                         UINT flags)
{
    using namespace shell32;
    if (!pathOrPidl || (info && infoSize < sizeof(SHFILEINFOA)) || (!info && (flags & kNeedsRecord)))
        return Fail(ERROR_INVALID_PARAMETER);
    if (flags & kUnsupported)
        return Fail(ERROR_NOT_SUPPORTED);
    try {
        Item item;
        if (flags & SHGFI_PIDL) {
            item.pidl = reinterpret_cast<LPCITEMIDLIST>(pathOrPidl);
            if (!DecodeIdList(item.pidl, item.items))
                return Fail(ERROR_INVALID_PARAMETER);
        } else if (flags & SHGFI_USEFILEATTRIBUTES) {
            item.byName = true;
            item.name = LastComponent(pathOrPidl);
            item.isFolder = (fileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            item.fileAttributes = fileAttributes;
        } else if (const HRESULT hr = ParsePath(pathOrPidl, item); FAILED(hr)) {
            return FailWith(hr);
        }

        const bool wantsIcon = flags & SHGFI_ICON;
        const bool wantsIndex = flags & SHGFI_SYSICONINDEX;
        const bool overlays = wantsIcon && (flags & (SHGFI_LINKOVERLAY | SHGFI_ADDOVERLAYS));
        const bool overlayIndex = (wantsIcon || wantsIndex) && (flags & SHGFI_OVERLAYINDEX);

        ULONG attributes = 0;
        if ((flags & SHGFI_ATTRIBUTES) || overlays || overlayIndex) {
            ULONG requested = ~SFGAO_VALIDATE;
            if ((flags & SHGFI_ATTRIBUTES) && (flags & SHGFI_ATTR_SPECIFIED))
                requested = info->dwAttributes & ~SFGAO_VALIDATE;
            if (overlays || overlayIndex)
                requested |= SFGAO_LINK | SFGAO_SHARE;
            if (const HRESULT hr = AttributesOf(item, requested, attributes); FAILED(hr))
                return FailWith(hr);
        }

        std::optional<ItemLook> look;
        if (wantsIcon || wantsIndex || (flags & SHGFI_TYPENAME))
            look = item.byName ? LookOfName(item.name, item.isFolder) : LookOfItem(item.items);

        std::string displayName;
        if (flags & SHGFI_DISPLAYNAME) {
            if (const HRESULT hr = DisplayNameOf(item, displayName); FAILED(hr))
                return FailWith(hr);
        }

        const bool small = (flags & SHGFI_SMALLICON) != 0;
        HIMAGELIST list = nullptr;
        int index = 0;
        if (wantsIcon || wantsIndex) {
            list = SystemImageList(small);
            index = SystemIconIndex((flags & SHGFI_OPENICON) ? look->openIcon : look->icon);
            if (!list || index < 0)
                return Fail(ERROR_NOT_ENOUGH_MEMORY);
        }
        HICON icon = nullptr;
        if (wantsIcon) {
            const int overlay = (flags & SHGFI_ADDOVERLAYS) ? OverlayOf(attributes)
                                : (attributes & SFGAO_LINK) && (flags & SHGFI_LINKOVERLAY) ? kLinkOverlay
                                                                                           : 0;
            icon = MakeIcon(list, index, small ? win32::kSystemSmallIconSize : win32::kSystemIconSize,
                            overlay, (flags & SHGFI_SELECTED) != 0);
            if (!icon)
                return Fail(ERROR_NOT_ENOUGH_MEMORY);
        }

        // Nothing failed: the record is written now.
        if (info) {
            if (wantsIcon)
                info->hIcon = icon;
            if (wantsIcon || wantsIndex)
                info->iIcon = overlayIndex ? (index | (OverlayOf(attributes) << 24)) : index;
            if (flags & SHGFI_ATTRIBUTES)
                info->dwAttributes = attributes;
            if (flags & SHGFI_DISPLAYNAME)
                CopyDisplayText(info->szDisplayName, sizeof info->szDisplayName, displayName);
            if (flags & SHGFI_TYPENAME)
                CopyDisplayText(info->szTypeName, sizeof info->szTypeName, look->typeName);
        }
        if (wantsIndex)
            return reinterpret_cast<DWORD_PTR>(list);
        return 1;
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}
