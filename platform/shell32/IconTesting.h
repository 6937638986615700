#pragma once
// Test-only control over the shell's icons.

#include "CorvanePlatformExport.h"
#include <string>
#include <vector>

namespace shell32::testing {

// Looks icons up in the theme of that name in the folders given (none given:
// /usr/share/icons); "none" draws every icon with the built-in pictures.
// Empties the system image lists, whose pictures came from the old theme.
CORVANE_PLATFORM_EXPORT void SetIconTheme(const std::string& name,
                                          const std::vector<std::string>& searchPaths = {});
// Back to Adwaita from /usr/share/icons (and empty lists).
CORVANE_PLATFORM_EXPORT void ResetIconTheme();

// Empties both system image lists back to their reserved picture 0: every
// icon is added again when next asked for, overlays are gone and the
// background is CLR_NONE. The handles stay the same.
CORVANE_PLATFORM_EXPORT void ResetSystemImageLists();

} // namespace shell32::testing
