#pragma once
// The system's message table: the text for each error code and HRESULT the
// stand-ins report, in the platform's wording, without its final line break.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <string_view>

namespace win32 {

// Empty when the id has no text. An HRESULT of FACILITY_WIN32 has the text of
// its error code.
CORVANE_PLATFORM_EXPORT std::string_view FindSystemMessage(DWORD id);

} // namespace win32
