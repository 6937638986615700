// UKwShellUtils' start-up and shut-down: the operating-system version, the
// shell allocator, the common-controls version; and, at the end, the
// process-wide device-change handler.

#include "UKwFoundationTesting_p.h"
#include "UKwShellUtils.h"
#include "UKwShellUtils_Startup_p.h"
#include "UKwShellUtils_p.h"

namespace kw {

namespace {

bool Started = false;

TKwDeviceChangeHandler* DeviceChangeHandlerHeld = nullptr;
detail::TDeviceChangeHandlerFree FreeDeviceChangeHandlerHeld = nullptr;

void FreeDeviceChangeHandler()
{
    TKwDeviceChangeHandler* handler = DeviceChangeHandlerHeld;
    const detail::TDeviceChangeHandlerFree freeHandler = FreeDeviceChangeHandlerHeld;
    DeviceChangeHandlerHeld = nullptr; // cleared first: the handler is gone even if freeing raises
    FreeDeviceChangeHandlerHeld = nullptr;
    if (handler && freeHandler)
        freeHandler(handler);
}

void GetShellAllocator()
{
    IMalloc* malloc = nullptr;
    if (SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
        detail::SetShellIMalloc(malloc); // takes a reference of its own
        malloc->Release();
    }
}

void ReadCommonControlsVersion()
{
    if (!GetModuleVersion("comctl32.dll", COMCTL32_VER))
        COMCTL32_VER = {0, 0};
}

} // namespace

void detail::SetDeviceChangeHandler(TKwDeviceChangeHandler* handler, TDeviceChangeHandlerFree freeHandler)
{
    if (handler != DeviceChangeHandlerHeld)
        FreeDeviceChangeHandler();
    DeviceChangeHandlerHeld = handler;
    FreeDeviceChangeHandlerHeld = handler ? freeHandler : nullptr;
}

TKwDeviceChangeHandler* detail::DeviceChangeHandler()
{
    return DeviceChangeHandlerHeld;
}

void UKwShellUtilsInitialization()
{
    if (Started)
        return;
    Started = true;
    detail::RunStartupStep(detail::ReadOsVersion);
    detail::RunStartupStep(GetShellAllocator);
    detail::RunStartupStep(ReadCommonControlsVersion);
    detail::RunStartupStep([] { detail::RecordUnitEvent("UKwShellUtils start"); });
}

void UKwShellUtilsFinalization()
{
    if (!Started)
        return;
    Started = false;
    detail::RecordUnitEvent("UKwShellUtils stop");
    FreeDeviceChangeHandler();
}

} // namespace kw
