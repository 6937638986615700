#pragma once
// UKwShellUtils' start-up state shared between its own source files, and the
// way every unit of the package runs its start-up steps: not for the
// library's users.

#include "KwCorvaneExport.h"

namespace kw {
class TKwDeviceChangeHandler;
}

namespace kw::detail {

// Start-up never raises: a step that fails leaves its result empty and the
// next step still runs.
template <typename Step>
void RunStartupStep(Step step)
{
    try {
        step();
    } catch (...) {
    }
}

// Sets the size field of the unit's operating-system version record to 148
// and fills it with GetVersionExA; on failure the record stays zero, so every
// version test is false.
KWCORVANE_EXPORT void ReadOsVersion();

// Frees the process-wide device-change handler. The broadcaster, which makes
// the handler on first use, hands it over with the one function that deletes
// it (where its class is complete), so the unit's shut-down frees it without
// knowing its class.
using TDeviceChangeHandlerFree = void (*)(TKwDeviceChangeHandler* handler);

// Hands the process-wide device-change handler to the unit; its shut-down
// frees it with freeHandler and clears the reference. A handler held already
// is freed first.
KWCORVANE_EXPORT void SetDeviceChangeHandler(TKwDeviceChangeHandler* handler,
                                             TDeviceChangeHandlerFree freeHandler);
// The handler held, or null when none was made (or it was freed).
KWCORVANE_EXPORT TKwDeviceChangeHandler* DeviceChangeHandler();

} // namespace kw::detail
