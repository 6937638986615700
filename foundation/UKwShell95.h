#pragma once
// The shell's COM interfaces, their identifiers and records, in the form the
// library calls them; and the unit's start-up (COM for the loading thread, the
// optional shell entry point bound by name).
//
// The declarations themselves are the platform's (shell32/ShellInterfaces.h):
// this unit names them for the library and adds what the library exports.

#include "KwCorvaneExport.h"
#include "com/Unknown.h"
#include "shell32/ShellInterfaces.h"

namespace kw {

// ---- The shell's interfaces, identifiers and records, as the library names them ----

using ::IContextMenu;
using ::IContextMenu2;
using ::ICopyHook;
using ::IEnumIDList;
using ::IExtractIcon;
using ::IExtractIconA;
using ::IFileViewer;
using ::IFileViewerSite;
using ::IOleWindow;
using ::IShellBrowser;
using ::IShellDetails;
using ::IShellExtInit;
using ::IShellFolder;
using ::IShellFolder2;
using ::IShellIcon;
using ::IShellLink;
using ::IShellLinkA;
using ::IShellPropSheetExt;
using ::IShellView;
using ::IUnknown;

// The identifiers the library exports. IID_IExtractIcon is IID_IExtractIconA
// and IID_IShellLink is IID_IShellLinkA: the library uses the 8-bit variants.
using ::CLSID_InternetShortcut;
using ::CLSID_ShellDesktop;
using ::CLSID_ShellLink;
using ::IID_ICommDlgBrowser;
using ::IID_IContextMenu;
using ::IID_IContextMenu2;
using ::IID_IEnumIDList;
using ::IID_IExtractIcon;
using ::IID_IExtractIconA;
using ::IID_IFileViewer;
using ::IID_IFileViewerSite;
using ::IID_INewShortcutHookA;
using ::IID_IShellBrowser;
using ::IID_IShellCopyHook;
using ::IID_IShellDetails;
using ::IID_IShellExtInit;
using ::IID_IShellFolder;
using ::IID_IShellFolder2;
using ::IID_IShellIcon;
using ::IID_IShellLink;
using ::IID_IShellLinkA;
using ::IID_IShellPropSheetExt;
using ::IID_IShellView;

// The shell's column-details record, filled by GetDetailsOf of IShellDetails
// and IShellFolder2: column format, width in average characters, column text.
using TShColInfo = ::SHELLDETAILS;
using PShColInfo = ::SHELLDETAILS*;

// ---- start-up and exported variables (see UKwShell95.cpp) ----

// The shell library's "SHGetDataFromIDListA", bound by name at start-up; null
// when the library or the entry point is missing (and again after shut-down,
// once the library is unloaded). Nothing inside the library calls it.
using TSHGetDataFromIDList = HRESULT (*)(IShellFolder* folder, LPCITEMIDLIST pidl, int format, void* data,
                                         int size);
extern KWCORVANE_EXPORT TSHGetDataFromIDList SHGetDataFromIDList;

// The unit's start-up and shut-down, registered with the framework's unit
// registry by the package (KwCorvanePackage.cpp). Start-up registers the
// shell's COM classes (they stay registered after shut-down), initialises
// COM for the calling thread and binds SHGetDataFromIDList; it never raises. Each
// runs once per start-up: a second start-up is ignored, and shut-down without
// start-up does nothing. Shut-down unloads the shell library and undoes the
// COM initialisation when it succeeded.
KWCORVANE_EXPORT void UKwShell95Initialization();
KWCORVANE_EXPORT void UKwShell95Finalization();

} // namespace kw
