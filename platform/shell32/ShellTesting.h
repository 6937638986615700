#pragma once
// Test-only hooks of the shell stand-in.

#include "CorvanePlatformExport.h"
#include "shell32/FolderBrowser.h"
#include "shell32/ShellInterfaces.h"

#include <cstddef>
#include <string>
#include <vector>

namespace shell32::testing {

// Forgets the cached places (HOME, XDG directories, user-dirs.dirs), so a
// test that changed the environment sees its own: the same as
// win32::testing::ResetLocations, which every layer's places come from.
CORVANE_PLATFORM_EXPORT void ResetCachedLocations();

// How often the MIME database was asked for a type name.
CORVANE_PLATFORM_EXPORT std::size_t FileTypeLookUps();
// Forgets the types read from files, so that they are read again.
CORVANE_PLATFORM_EXPORT void ForgetFileTypesRead();

// Makes SHGetSpecialFolderLocation answer a number it otherwise refuses
// (a placeholder such as 1) with a copy of pidl; the numbers it knows keep
// their own answers. A null pidl forgets the number.
CORVANE_PLATFORM_EXPORT void SetExtraSpecialFolder(int csidl, LPCITEMIDLIST pidl);
CORVANE_PLATFORM_EXPORT void ClearExtraSpecialFolders();
// How often SHGetSpecialFolderLocation was asked for a number from 0 to 255
// (CSIDL_FLAG_CREATE aside) since ClearExtraSpecialFolders.
CORVANE_PLATFORM_EXPORT std::size_t SpecialFolderRequests(int csidl);

// How often the shortcut test read a file while telling desktop-entry
// shortcuts apart (each file is read at most once per size and time).
CORVANE_PLATFORM_EXPORT std::size_t ShortcutEntryReads();

// How many wide names of file-drop blocks were converted to bytes.
CORVANE_PLATFORM_EXPORT std::size_t WideDropNamesConverted();

// The last record SHBrowseForFolder was given, as it came (its title
// copied into title when asked); the folders its browsers listed, each an
// absolute list's bytes without the terminator, in the order listed.
CORVANE_PLATFORM_EXPORT BROWSEINFOA LastBrowseInfo(std::string* title = nullptr);
CORVANE_PLATFORM_EXPORT std::vector<std::string> FolderBrowserListings();
CORVANE_PLATFORM_EXPORT void ForgetFolderBrowserListings();

} // namespace shell32::testing
