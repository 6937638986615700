#pragma once
// Icons: HICON values over a handle table whose records hold a QImage (32-bit
// with alpha), so icons can be made and read on any thread; painting code
// turns the picture into whatever it draws with.
//
// LoadImageA and LoadIconA find icon resources by module and by number or
// name. The stand-in modules carry no resource sections: their icons are
// pictures drawn by code, registered per module name (win32::AddModuleIcon);
// the shell's overlay icons (29, 30 of shell32.dll) and the system icons
// (IDI_*, with no module) are built in. A shared icon (LR_SHARED) is made
// once per module, resource and size and lives as long as the process:
// DestroyIcon on it is harmless.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <QImage>

#include <optional>
#include <string_view>

// ---- Resource names ----

inline bool IS_INTRESOURCE(const void* name)
{
    return reinterpret_cast<std::uintptr_t>(name) >> 16 == 0;
}
inline LPSTR MAKEINTRESOURCEA(int id)
{
    return reinterpret_cast<LPSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(id)));
}

// ---- LoadImage ----

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT IMAGE_CURSOR = 2;

constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_MONOCHROME = 0x0001;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_LOADTRANSPARENT = 0x0020;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_VGACOLOR = 0x0080;
constexpr UINT LR_LOADMAP3DCOLORS = 0x1000;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;
constexpr UINT LR_COPYFROMRESOURCE = 0x4000;
constexpr UINT LR_SHARED = 0x8000;

// The system's icons, loaded with no module.
inline const LPCSTR IDI_APPLICATION = MAKEINTRESOURCEA(32512);
inline const LPCSTR IDI_HAND = MAKEINTRESOURCEA(32513);
inline const LPCSTR IDI_QUESTION = MAKEINTRESOURCEA(32514);
inline const LPCSTR IDI_EXCLAMATION = MAKEINTRESOURCEA(32515);
inline const LPCSTR IDI_ASTERISK = MAKEINTRESOURCEA(32516);
inline const LPCSTR IDI_WINLOGO = MAKEINTRESOURCEA(32517);
inline const LPCSTR IDI_ERROR = IDI_HAND;
inline const LPCSTR IDI_WARNING = IDI_EXCLAMATION;
inline const LPCSTR IDI_INFORMATION = IDI_ASTERISK;

// An icon of a module (instance NULL: the system's icons), or with
// LR_LOADFROMFILE of the image file named (an .ico file gives its picture
// nearest the size asked; the name is bytes, in any encoding or none). cx and cy of 0 mean the system size
// with LR_DEFAULTSIZE and the resource's own size (32) without; the picture is scaled to cx by cy (at most
// 1024 each). Only IMAGE_ICON is served here: bitmaps and cursors come with the device-context stand-in (NULL
// with ERROR_NOT_SUPPORTED). With LR_SHARED the same handle comes back for the same module, resource and
// size. NULL with ERROR_INVALID_HANDLE for a stale module handle and ERROR_RESOURCE_NAME_NOT_FOUND when there
// is no such icon; from a file, the file system's code (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ...) or
// ERROR_INVALID_DATA for a file that holds no picture.
CORVANE_PLATFORM_EXPORT HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy,
                                          UINT flags);
// LoadImageA(instance, name, IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE).
CORVANE_PLATFORM_EXPORT HICON LoadIconA(HINSTANCE instance, LPCSTR name);

// A new icon with the same picture (never shared); NULL with
// ERROR_INVALID_CURSOR_HANDLE for a stale handle.
CORVANE_PLATFORM_EXPORT HICON CopyIcon(HICON icon);
// Frees an icon. A shared icon stays valid and TRUE comes back; a stale
// handle gives FALSE with ERROR_INVALID_CURSOR_HANDLE.
CORVANE_PLATFORM_EXPORT BOOL DestroyIcon(HICON icon);

namespace win32 {

// The size of a large icon (SM_CXICON, SM_CYICON) and of a small one.
constexpr int kSystemIconSize = 32;
constexpr int kSystemSmallIconSize = 16;

// A new icon of the picture (converted to 32-bit premultiplied ARGB); NULL
// for a null picture or a full table.
CORVANE_PLATFORM_EXPORT HICON CreateIconFromImage(const QImage& image);

// The icon's picture (32-bit premultiplied ARGB); nothing for a stale handle.
CORVANE_PLATFORM_EXPORT std::optional<QImage> IconImage(HICON icon);
CORVANE_PLATFORM_EXPORT bool IsIcon(HICON icon);

// Draws an icon resource of a module at size by size pixels (square).
using IconResourcePainter = QImage (*)(int size);

// Gives the module (its canonical name, see win32::CanonicalModuleName; ""
// for the system's icons loaded with no module) an icon resource; a later
// call for the same resource replaces it. id is a number; a text name is
// kept in upper case ("#123" is the number 123).
CORVANE_PLATFORM_EXPORT void AddModuleIcon(std::string_view moduleName, int id, IconResourcePainter painter);
CORVANE_PLATFORM_EXPORT void AddModuleIcon(std::string_view moduleName, std::string_view name,
                                           IconResourcePainter painter);

// The picture of a module's icon resource at size by size pixels; nothing
// when the module has no such icon.
CORVANE_PLATFORM_EXPORT std::optional<QImage> ModuleIconImage(std::string_view moduleName, int id, int size);

// The icons live now (for tests that look for leaks of icon handles).
CORVANE_PLATFORM_EXPORT std::size_t LiveIconCount();

} // namespace win32
