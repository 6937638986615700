#pragma once
// Test-only: play a crash in the middle of an atomic write.

#include "CorvanePlatformExport.h"

namespace win32::testing {

// While set, the next atomic writes stop right after the temporary file is
// written and flushed, as if the process died there: the target stays as it
// was, the temporary file stays behind, and the write reports EINTR.
CORVANE_PLATFORM_EXPORT void SetInterruptAtomicWritesBeforeRename(bool interrupt);

} // namespace win32::testing
