#pragma once
// The details source of a shell list's folder.

#include "KwCorvaneExport.h"

#include "com/Unknown.h"
#include "shell32/ShellInterfaces.h"

namespace kw::detail {

// The folder's details source: its IShellFolder2 behind the adapter when
// that names a column 0, else its own IShellDetails or its view object's;
// null when it has none.
KWCORVANE_EXPORT com::ComPtr<IShellDetails> FolderDetailsSource(IShellFolder* folder);

} // namespace kw::detail
