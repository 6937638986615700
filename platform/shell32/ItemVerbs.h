#pragma once
// What the shell's verbs do to files: the work behind the context menu's
// commands and the drop targets. Each asks a person through the platform's
// message box (so a test scripts the answers) and answers as the menu's
// InvokeCommand does: S_OK done, S_FALSE when a person declined or there was
// nothing to do, else the failure (already reported to the person where it
// concerns one item among several).

#include "CorvanePlatformExport.h"
#include "shell32/Transfer.h"
#include "win32/WinTypes.h"

#include <string>
#include <vector>

namespace shell32 {

// Opens each path as the "open" verb does (through the open hook); a
// symbolic link opens what it leads to.
CORVANE_PLATFORM_EXPORT HRESULT OpenPaths(HWND owner, const std::vector<std::string>& paths);

// Puts a data object of the paths on the clipboard, marked as a cut or a copy.
CORVANE_PLATFORM_EXPORT HRESULT PutPathsOnClipboard(const std::vector<std::string>& paths, bool cut);
// Whether the clipboard holds files to paste.
CORVANE_PLATFORM_EXPORT bool ClipboardHasFiles();
// Pastes the clipboard's files into folder: a cut moves them and then
// empties the clipboard, anything else copies.
CORVANE_PLATFORM_EXPORT HRESULT PasteInto(HWND owner, const std::string& folder);

// Runs the transfer engine, asking the person about conflicts and reporting
// a failure.
CORVANE_PLATFORM_EXPORT HRESULT TransferAsking(HWND owner, TransferOperation operation,
                                               const std::vector<std::string>& sources,
                                               const std::string& folder);

// Asks once, then moves each path to the trash; an item that cannot go is
// reported and left where it is (never deleted for good).
CORVANE_PLATFORM_EXPORT HRESULT DeleteToTrash(HWND owner, const std::vector<std::string>& paths);

// Makes, beside each path, a symbolic link to it named "Link to <name>",
// else "Link to <name> (2)", ... The made links' paths go to made.
CORVANE_PLATFORM_EXPORT HRESULT CreateLinksBeside(const std::vector<std::string>& paths,
                                                  std::vector<std::string>* made = nullptr);

// The last component of a path, and the folder that holds it.
CORVANE_PLATFORM_EXPORT std::string NameOfPath(const std::string& path);
CORVANE_PLATFORM_EXPORT std::string FolderOfPath(const std::string& path);

} // namespace shell32
