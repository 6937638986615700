#pragma once
// The shell's file-information call: icon, system image-list index, display
// name, type name and attributes of an item named by path or by absolute
// item id list.
//
//   SHGFI_PIDL              the first argument is an absolute item id list
//   SHGFI_USEFILEATTRIBUTES by the name alone (its last component) and the
//                           FILE_ATTRIBUTE_DIRECTORY bit given; nothing on
//                           disk is touched, so the name need not exist
//   (neither)               the path, parsed as the desktop parses it (a
//                           relative one from the current directory); it
//                           must exist
//   SHGFI_SYSICONINDEX      iIcon = index in the system image lists; returns
//                           the small list with SHGFI_SMALLICON, else the
//                           large one
//   SHGFI_ICON              hIcon = a new icon the caller destroys (small
//                           with SHGFI_SMALLICON), with the link overlay for
//                           a link under SHGFI_LINKOVERLAY, any overlay
//                           under SHGFI_ADDOVERLAYS, blended as selected
//                           under SHGFI_SELECTED; iIcon is set too
//   SHGFI_OPENICON          a folder's open icon (with either of the above)
//   SHGFI_OVERLAYINDEX      the overlay number in iIcon's top byte (1 share,
//                           2 link), with SHGFI_SYSICONINDEX or SHGFI_ICON
//   SHGFI_DISPLAYNAME       szDisplayName = the normal display name
//   SHGFI_TYPENAME          szTypeName = the type ("Folder", the MIME type's
//                           comment, a drive's kind, "System Folder")
//   SHGFI_ATTRIBUTES        dwAttributes = the SFGAO bits (only those given
//                           in dwAttributes under SHGFI_ATTR_SPECIFIED)
//
// The record keeps the platform's fixed layout. The display and type names
// are display text (never paths): one that does not fit is cut at a UTF-8
// character boundary. Only the fields asked for are written.
//
// The result is nonzero on success (the image list's handle under
// SHGFI_SYSICONINDEX) and 0 on failure, with last-error set. SHGFI_ICONLOCATION
// and SHGFI_EXETYPE are not served (0, ERROR_NOT_SUPPORTED): there are no icon
// files or executable headers to report on.
//
// Icons come from the system image lists (shell32/SystemImageList.h); the
// overlays drawn into SHGFI_ICON's icon are the shell module's icon
// resources 29 (share) and 30 (link).

#include "CorvanePlatformExport.h"
#include "shell32/ShellInterfaces.h"
#include "win32/WinTypes.h"

#include <cstddef>

struct CORVANE_PLATFORM_EXPORT SHFILEINFOA {
    HICON hIcon;
    int iIcon;
    DWORD dwAttributes;
    char szDisplayName[260];
    char szTypeName[80];
};
static_assert(offsetof(SHFILEINFOA, hIcon) == 0);
static_assert(offsetof(SHFILEINFOA, iIcon) == sizeof(HICON));
static_assert(offsetof(SHFILEINFOA, dwAttributes) == sizeof(HICON) + 4);
static_assert(offsetof(SHFILEINFOA, szDisplayName) == sizeof(HICON) + 8);
static_assert(offsetof(SHFILEINFOA, szTypeName) == sizeof(HICON) + 268);

constexpr UINT SHGFI_LARGEICON = 0x000000;
constexpr UINT SHGFI_SMALLICON = 0x000001;
constexpr UINT SHGFI_OPENICON = 0x000002;
constexpr UINT SHGFI_SHELLICONSIZE = 0x000004;
constexpr UINT SHGFI_PIDL = 0x000008;
constexpr UINT SHGFI_USEFILEATTRIBUTES = 0x000010;
constexpr UINT SHGFI_ADDOVERLAYS = 0x000020;
constexpr UINT SHGFI_OVERLAYINDEX = 0x000040;
constexpr UINT SHGFI_ICON = 0x000100;
constexpr UINT SHGFI_DISPLAYNAME = 0x000200;
constexpr UINT SHGFI_TYPENAME = 0x000400;
constexpr UINT SHGFI_ATTRIBUTES = 0x000800;
constexpr UINT SHGFI_ICONLOCATION = 0x001000;
constexpr UINT SHGFI_EXETYPE = 0x002000;
constexpr UINT SHGFI_SYSICONINDEX = 0x004000;
constexpr UINT SHGFI_LINKOVERLAY = 0x008000;
constexpr UINT SHGFI_SELECTED = 0x010000;
constexpr UINT SHGFI_ATTR_SPECIFIED = 0x020000;

CORVANE_PLATFORM_EXPORT DWORD_PTR SHGetFileInfoA(LPCSTR pathOrPidl, DWORD fileAttributes, SHFILEINFOA* info,
                                                 UINT infoSize, UINT flags);

namespace shell32 {

// The shell's overlay numbers in the system image lists, and the icon
// resources of shell32.dll they are made from.
inline constexpr int kShareOverlay = 1;
inline constexpr int kLinkOverlay = 2;
inline constexpr int kShareOverlayIcon = 29;
inline constexpr int kLinkOverlayIcon = 30;

} // namespace shell32
