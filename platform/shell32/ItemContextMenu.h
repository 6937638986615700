#pragma once
// The context menu of one or more file-system items of one folder (a
// folder's own menu is that of its item in its parent). It is an
// IContextMenu only: without IContextMenu2 the library fills the "Send To"
// submenu itself, which the menu leaves as one grayed placeholder.
//
// Command offsets (added to idCmdFirst in the menu; InvokeCommand takes the
// offset, or the verb text in any case):
//
//   0   open         the default item
//   1   cut          2  copy          3  paste (one folder item; grayed with nothing to paste)
//   4   delete       5  link          6  properties
//   7   the Send To placeholder (grayed, runs nothing)
//   18  rename       only under CMF_CANRENAME; invoked: E_NOTIMPL (the caller edits the label)
//   32+ "Open with" applications of one file, the type's default first
//
// QueryContextMenu answers the highest offset it used + 1.

#include "CorvanePlatformExport.h"
#include "shell32/ShellInterfaces.h"

#include <string>
#include <vector>

namespace shell32 {

inline constexpr UINT kCmdOpen = 0;
inline constexpr UINT kCmdCut = 1;
inline constexpr UINT kCmdCopy = 2;
inline constexpr UINT kCmdPaste = 3;
inline constexpr UINT kCmdDelete = 4;
inline constexpr UINT kCmdLink = 5;
inline constexpr UINT kCmdProperties = 6;
inline constexpr UINT kCmdSendToPlaceholder = 7;
inline constexpr UINT kCmdRename = 18;
inline constexpr UINT kCmdOpenWithFirst = 32;
inline constexpr UINT kMaxOpenWith = 64;

// A menu object for the absolute paths of items of one folder. Items that
// stand where the namespace puts them (a drive, Home) are not movable: their
// menu has no cut, delete, link or rename.
CORVANE_PLATFORM_EXPORT HRESULT MakeItemContextMenu(std::vector<std::string> paths, REFIID riid, void** out,
                                                    bool movable = true);

} // namespace shell32
