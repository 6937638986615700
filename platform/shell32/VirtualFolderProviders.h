#pragma once
// The Linux virtual folders behind the namespace's GUIDs (see
// shell32/VirtualFolder.h for how a provider plugs in):
//
//   Computer       the user-visible drives (win32/MountTable.h), then Control
//                  Panel and Printers; columns Name, Type, Total size, Free space
//   Network        the mounted network file systems; column Name
//   Trash          the entries of the user's trash, shown by their original
//                  names; columns Name, Original location, Date deleted
//   Control Panel  the installed settings applications; column Name
//   Printers       the printers CUPS leaves readable; column Name
//
// They are the built-in providers of their GUIDs (VirtualFolderRegistry.cpp).
// A drive is shown as "File System" for "/", else by its label, else by the
// last component of its mount point; its parsing name is its mount point.

#include "CorvanePlatformExport.h"
#include "shell32/VirtualFolder.h"
#include "win32/MountTable.h"

#include <cstdint>
#include <memory>
#include <string>

namespace shell32 {

CORVANE_PLATFORM_EXPORT std::shared_ptr<VirtualFolderProvider> MakeComputerFolder();
CORVANE_PLATFORM_EXPORT std::shared_ptr<VirtualFolderProvider> MakeNetworkFolder();
CORVANE_PLATFORM_EXPORT std::shared_ptr<VirtualFolderProvider> MakeTrashFolder();
CORVANE_PLATFORM_EXPORT std::shared_ptr<VirtualFolderProvider> MakeControlPanelFolder();
CORVANE_PLATFORM_EXPORT std::shared_ptr<VirtualFolderProvider> MakePrintersFolder();

// ---- Texts the folders show ----
CORVANE_PLATFORM_EXPORT std::string DriveDisplayName(const win32::Drive& drive);
// "Local Disk", "Removable Disk", "Network Drive", "CD Drive", "RAM Disk".
CORVANE_PLATFORM_EXPORT std::string DriveTypeName(win32::DriveKind kind);
// A size in three significant figures: "512 bytes", "1.50 KB", "15.0 GB", "931 GB".
CORVANE_PLATFORM_EXPORT std::string FormatByteSize(std::uint64_t bytes);

} // namespace shell32
