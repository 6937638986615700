#pragma once
// Drop targets of items: a folder (or a link to one) takes files through the
// transfer engine, an Application desktop entry is launched with them (as a
// Send To entry is).

#include "CorvanePlatformExport.h"
#include "com/DragDrop.h"

#include <string>

namespace shell32 {

// The effect of a drop with those keys held, as the platform chooses it:
// Ctrl copies, Shift moves, Ctrl+Shift or Alt links; with none of them a
// move within one file system and a copy across. A chosen effect that is
// not allowed gives DROPEFFECT_NONE; without keys the other of copy and
// move, then link, stand in.
CORVANE_PLATFORM_EXPORT DWORD DropEffectForKeys(DWORD keyState, DWORD allowed, bool sameFileSystem);

// The menu of a drop by the right button, at a screen point, through the
// popup tracker: "Copy Here", "Move Here", "Link Here" for the allowed
// effects (preferred, the keys' effect, the default), then "Cancel". The
// effect chosen; DROPEFFECT_NONE for "Cancel", no choice or no owner.
CORVANE_PLATFORM_EXPORT DWORD ChooseDropEffect(HWND owner, POINT screen, DWORD allowed, DWORD preferred);

// A drop target putting files into folder; a drop by the right button asks
// with ChooseDropEffect.
CORVANE_PLATFORM_EXPORT HRESULT MakeFolderDropTarget(HWND owner, std::string folder, IDropTarget** out);
// A drop target launching the desktop entry at entryPath with the files.
CORVANE_PLATFORM_EXPORT HRESULT MakeEntryDropTarget(HWND owner, std::string entryPath, IDropTarget** out);

} // namespace shell32
