#pragma once
// The shell's folder browser: a modal window in which a person chooses one
// folder of the namespace below a root, with a callback that hears of the
// window and of every selection and may set the status line, enable OK and
// select another folder through the window's messages.
//
// The window is the platform's folder picker (win32/FolderPicker.h), which
// the visual layer installs; without one nobody can choose and the browser
// answers null, as a cancel does. Each folder is listed once, when its node
// is first expanded; its children are not listed before theirs are.

#include "CorvanePlatformExport.h"
#include "shell32/ShellInterfaces.h"
#include "win32/WindowMessages.h"

// Called with the browser's window: BFFM_INITIALIZED (lParam 0) and
// BFFM_SELCHANGED (lParam the selected folder's absolute list, the
// browser's own). lpData is BROWSEINFOA::lParam. The answer is ignored.
using BFFCALLBACK = int (*)(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

struct CORVANE_PLATFORM_EXPORT BROWSEINFOA {
    HWND hwndOwner;
    // The top of the tree (absolute); null: the desktop.
    LPCITEMIDLIST pidlRoot;
    // Receives the chosen folder's display name: at most MAX_PATH bytes
    // with the zero, cut on a character boundary. May be null.
    LPSTR pszDisplayName;
    LPCSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;
    // Receives the chosen folder's index in the system image list.
    int iImage;
};
using LPBROWSEINFOA = BROWSEINFOA*;
using BROWSEINFO = BROWSEINFOA;

// Which folders OK accepts, and the status line.
inline constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
// Accepted, and without effect: the namespace here has no domains.
inline constexpr UINT BIF_DONTGOBELOWDOMAIN = 0x0002;
inline constexpr UINT BIF_STATUSTEXT = 0x0004;
inline constexpr UINT BIF_RETURNFSANCESTORS = 0x0008;
// There are no computer items in this namespace: OK accepts nothing.
inline constexpr UINT BIF_BROWSEFORCOMPUTER = 0x1000;
inline constexpr UINT BIF_BROWSEFORPRINTER = 0x2000;

// The callback's messages.
inline constexpr UINT BFFM_INITIALIZED = 1;
inline constexpr UINT BFFM_SELCHANGED = 2;
// Sent to the browser's window. SETSTATUSTEXT: lParam the text (shown only
// with BIF_STATUSTEXT). ENABLEOK: lParam non-zero enables OK. SETSELECTION:
// wParam non-zero: lParam is a path, else an absolute list; TRUE when the
// folder was found below the root and selected.
inline constexpr UINT BFFM_SETSTATUSTEXTA = WM_USER + 100;
inline constexpr UINT BFFM_ENABLEOK = WM_USER + 101;
inline constexpr UINT BFFM_SETSELECTIONA = WM_USER + 102;
inline constexpr UINT BFFM_SETSTATUSTEXT = BFFM_SETSTATUSTEXTA;
inline constexpr UINT BFFM_SETSELECTION = BFFM_SETSELECTIONA;

// Runs the browser: the chosen folder's absolute list, new from the task
// allocator for the caller; null when cancelled, when nobody can choose
// (no picker installed) and for a root that is no folder.
CORVANE_PLATFORM_EXPORT LPITEMIDLIST SHBrowseForFolderA(LPBROWSEINFOA bi);
inline LPITEMIDLIST SHBrowseForFolder(LPBROWSEINFOA bi)
{
    return SHBrowseForFolderA(bi);
}
