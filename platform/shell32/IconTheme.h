#pragma once
// Where the shell's icons come from: the freedesktop icon theme, looked up
// through QIcon with the theme name and search paths set explicitly (Adwaita
// from /usr/share/icons unless a test chooses another, see IconTesting.h),
// and pictures drawn by code for every kind of item, used when the theme
// lacks a name, when no theme is installed, and off the GUI thread (QIcon's
// theme loader belongs to it).

#include "CorvanePlatformExport.h"
#include <QImage>

#include <optional>
#include <string>
#include <vector>

namespace shell32 {

// The built-in pictures.
enum class BuiltInIcon {
    Blank, // clear: the system image lists' reserved picture 0
    Folder,
    FolderOpen,
    Document,
    Text,
    Image,
    Audio,
    Video,
    Archive,
    Executable,
    DriveFixed,
    DriveRemovable,
    DriveCd,
    DriveNetwork,
    DriveRam,
    Computer,
    Network,
    TrashEmpty,
    TrashFull,
    ControlPanel,
    Printers,
    Desktop,
    Home,
};

// A stable name for each ("folder", "drive-cd", ...).
CORVANE_PLATFORM_EXPORT const char* BuiltInIconName(BuiltInIcon icon);
// The picture at size by size pixels (32-bit premultiplied ARGB).
CORVANE_PLATFORM_EXPORT QImage DrawBuiltInIcon(BuiltInIcon icon, int size);

// An icon wanted: the theme's names to try in order, and the picture to draw
// when the theme has none of them.
struct CORVANE_PLATFORM_EXPORT IconRequest {
    std::vector<std::string> themeNames;
    BuiltInIcon fallback = BuiltInIcon::Document;
};

// Whether this thread may read the theme: the GUI thread only (QIcon's
// theme loader belongs to it). Elsewhere the look-ups below answer nothing.
CORVANE_PLATFORM_EXPORT bool IsIconThemeThread();

// The first of the names that the theme in use has; nothing when it has
// none, when the theme is "none" or not installed, and off the GUI thread.
CORVANE_PLATFORM_EXPORT std::optional<std::string> ResolveThemeIcon(const std::vector<std::string>& names);
// The theme's picture of a name at size by size pixels, centred when the
// theme's is smaller; a null image when there is none (or off the GUI thread).
CORVANE_PLATFORM_EXPORT QImage RenderThemeIcon(const std::string& name, int size);

// The theme in use: its name and the folders searched for it.
struct CORVANE_PLATFORM_EXPORT IconThemeSettings {
    std::string name;
    std::vector<std::string> searchPaths;
};
CORVANE_PLATFORM_EXPORT IconThemeSettings CurrentIconTheme();

} // namespace shell32
