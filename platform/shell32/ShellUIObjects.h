#pragma once
// The shell's own UI objects of file-system items, answered through the
// folders' UI-object factory (shell32/Folders.h): the context menu of items
// (shell32/ItemContextMenu.h) and the drop targets of folders, links to
// folders and launchable desktop entries (shell32/ItemDropTargets.h). Other
// interfaces, and items without a file-system path, go to the factory that
// was installed before.

#include "CorvanePlatformExport.h"
#include "shell32/Folders.h"

namespace shell32 {

// What the installed factory answers (before: where it passes the rest).
CORVANE_PLATFORM_EXPORT HRESULT AnswerShellUIObject(const UIObjectRequest& request, REFIID riid, void** out,
                                                    const UIObjectFactory& before);

// Installs the factory over the one installed now; once until uninstalled.
CORVANE_PLATFORM_EXPORT void InstallShellUIObjects();
// Puts back the factory it replaced.
CORVANE_PLATFORM_EXPORT void UninstallShellUIObjects();

} // namespace shell32
