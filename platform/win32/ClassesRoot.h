#pragma once
// The keys of HKEY_CLASSES_ROOT made from the MIME database (shared-mime-info
// through QMimeDatabase), which the stored classes keys are laid over:
//
//   .ext                      default: the program identifier of the type the
//                             extension's glob belongs to; "Content Type": the
//                             MIME type's name
//   <ProgID>                  default: the type's description; DefaultIcon:
//                             its icon name; CLSID (shortcuts only): the class
//                             of the shell-link object
//   CLSID\{00021401-...}      default "Shortcut"; InprocServer32 "shell32.dll"
//
// A program identifier is the MIME type's name with '/' made '.'
// ("text/plain" -> "text.plain"). Desktop entries (application/x-desktop) and
// symbolic links (inode/symlink) are the shortcuts: their identifiers carry
// the CLSID subkey, so the class of a file type is found the platform's way.
// When two types claim one extension, it goes to the type a file of that
// name is given by its name (as the shell types items), the same in every
// run; ".ext" keys ignore case, and the lower-case spelling wins.

#include "CorvanePlatformExport.h"
#include "win32/RegistryStore.h"

#include <memory>
#include <string>
#include <string_view>

namespace win32::registry {

CORVANE_PLATFORM_EXPORT std::string ProgIdForMimeType(std::string_view mimeTypeName);

// The class identifier of the shell-link object, in the registry's text form.
inline constexpr const char* kShellLinkClassText = "{00021401-0000-0000-C000-000000000046}";

// Builds the keys afresh from the MIME database (the root key itself, unnamed).
CORVANE_PLATFORM_EXPORT std::unique_ptr<Key> MakeClassesRoot();

} // namespace win32::registry
