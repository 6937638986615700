#pragma once
// Libraries. The stand-in modules (kernel32, user32, gdi32, comctl32, shell32,
// ole32, version) are known to every program; LoadLibrary gives a counted
// handle from the module table, and the last FreeLibrary makes that handle
// stale. Names match case-insensitively, with or without ".dll"; a name with
// a folder in it matches nothing, since these modules exist nowhere on disk.
//
// A module exports what the layers that implement it register through
// win32::AddModuleExport. It has a version resource (see VersionInfo.h) and,
// in time, other resources (the shell's icons, string tables): these are kept
// by the layer that serves them, keyed by win32::ModuleNameOf(handle).

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <optional>
#include <string>
#include <string_view>

using FARPROC = LONG_PTR (*)();

// NULL with ERROR_MOD_NOT_FOUND for an unknown name.
CORVANE_PLATFORM_EXPORT HMODULE LoadLibraryA(LPCSTR fileName);
// The handle of a loaded module, without counting a reference; NULL gives the
// program's own module, which is always loaded.
CORVANE_PLATFORM_EXPORT HMODULE GetModuleHandleA(LPCSTR moduleName);
// NULL with ERROR_PROC_NOT_FOUND for a name the module does not export (and
// for an ordinal: the stand-ins export by name only), ERROR_INVALID_HANDLE for
// a handle that is not a loaded module.
CORVANE_PLATFORM_EXPORT FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
// Drops one reference; FALSE with ERROR_INVALID_HANDLE for a stale handle.
CORVANE_PLATFORM_EXPORT BOOL FreeLibrary(HMODULE module);
// The module's file name; 0 with ERROR_INVALID_HANDLE for a stale handle. The
// text is cut to fit, with ERROR_INSUFFICIENT_BUFFER, and always terminated.
CORVANE_PLATFORM_EXPORT DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

namespace win32 {

// A fixed file version: MS = major << 16 | minor, LS = build << 16 | revision.
struct CORVANE_PLATFORM_EXPORT ModuleVersion {
    DWORD ms = 0;
    DWORD ls = 0;
    friend bool operator==(const ModuleVersion&, const ModuleVersion&) = default;
};

// The form a module name is matched in: lower case, ".dll" added when the name
// has no extension. Empty for a name that cannot name a stand-in module.
CORVANE_PLATFORM_EXPORT std::string CanonicalModuleName(std::string_view name);

// Lets the layer that implements a stand-in module export a routine from it.
// False when no stand-in module has that name. A later call for the same name
// replaces the routine.
CORVANE_PLATFORM_EXPORT bool AddModuleExport(std::string_view moduleName, std::string_view procName,
                                             FARPROC proc);

// The canonical name of a loaded module; nothing for a stale handle.
CORVANE_PLATFORM_EXPORT std::optional<std::string> ModuleNameOf(HMODULE module);

// The version resource of a module file present now (loaded or not); nothing
// when there is no such module or it carries no version.
CORVANE_PLATFORM_EXPORT std::optional<ModuleVersion> ModuleFileVersion(std::string_view fileName);

} // namespace win32
