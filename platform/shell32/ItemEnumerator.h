#pragma once
// IEnumIDList over encoded items: a fixed set (virtual folders), or a
// directory read a chunk at a time as Next asks for more. Clones share what
// was read and keep their own position.

#include "CorvanePlatformExport.h"
#include "com/Unknown.h"
#include "shell32/ShellInterfaces.h"

#include <memory>
#include <string>

namespace shell32 {

class DirectoryReader;

// items: encoded items laid end to end (no terminator).
CORVANE_PLATFORM_EXPORT HRESULT MakeItemEnumerator(std::string items, IEnumIDList** enumerator);
CORVANE_PLATFORM_EXPORT HRESULT MakeDirectoryEnumerator(std::unique_ptr<DirectoryReader> reader,
                                                        IEnumIDList** enumerator);

} // namespace shell32
