#pragma once
// Test-only control over the known modules. A test may put a module of its
// own in place of a stand-in (one that exports what the stand-in lacks), or
// remove a stand-in to play a missing library; ResetModules undoes both and
// keeps what the layers registered through win32::AddModuleExport.

#include "CorvanePlatformExport.h"
#include "win32/Modules.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win32::testing {

struct CORVANE_PLATFORM_EXPORT ModuleExport {
    std::string name;
    FARPROC proc = nullptr;
};

// Makes the module known under name (replacing any module of that name);
// without a version it has no version resource. A loaded module of that name
// is unloaded: its handle goes stale.
CORVANE_PLATFORM_EXPORT void RegisterModule(std::string_view name, std::optional<ModuleVersion> version,
                                            std::vector<ModuleExport> exports);

// Removes the module of that name (a stand-in too), unloading it first.
CORVANE_PLATFORM_EXPORT void UnregisterModule(std::string_view name);

// Back to the stand-ins alone, all unloaded.
CORVANE_PLATFORM_EXPORT void ResetModules();

// References held on a loaded module; 0 when it is not loaded.
CORVANE_PLATFORM_EXPORT int ModuleReferenceCount(std::string_view name);

} // namespace win32::testing
