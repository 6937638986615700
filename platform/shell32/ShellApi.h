#pragma once
// The shell's entry points into the namespace: the desktop folder, special
// folders by number, and the file-system path of an item id list.

#include "CorvanePlatformExport.h"
#include "shell32/ShellInterfaces.h"

#include <cstddef>
#include <optional>
#include <string>

// The desktop folder, the root of the namespace, with a reference for the
// caller.
CORVANE_PLATFORM_EXPORT HRESULT SHGetDesktopFolder(IShellFolder** folder);

// The absolute item id list of a special folder (CSIDL_*), allocated with the
// shell allocator for the caller. An unknown or unsupported number gives
// E_INVALIDARG and a null list; a folder that should exist on disk but does not
// gives the HRESULT of the file-system error.
CORVANE_PLATFORM_EXPORT HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, LPITEMIDLIST* pidl);

// Writes the file-system path of an absolute list (the desktop directory for
// the empty list) with its terminating zero into buffer, which holds size
// bytes. FALSE, with buffer emptied when size allows, for an item without a
// path (a virtual item), a malformed list, or a path that does not fit: a path
// is never cut.
CORVANE_PLATFORM_EXPORT BOOL SHGetPathFromIDListA(LPCITEMIDLIST pidl, char* buffer, std::size_t size);

namespace shell32 {

// The file-system path of an absolute list, or nothing when it has none.
CORVANE_PLATFORM_EXPORT std::optional<std::string> PathFromIdList(LPCITEMIDLIST pidl);

} // namespace shell32
