// Small routines the shell tree, list and combo share: display names with
// raw flags, the exception for a system error code, the busy pause, window
// style bits.

#include "UKwShellControls.h"
#include "UKwShellControlsTesting.h"
#include "UKwShellControls_p.h"

#include "vcl/core/SysUtils.h"
#include "vcl/widgets/Forms.h"
#include "win32/Threads.h"
#include "win32/WindowManager.h"
#include "win32/WindowMessages.h"

#include <utility>

namespace kw {

namespace {

void SleepFor(int milliseconds)
{
    Sleep(static_cast<DWORD>(milliseconds));
}

testing::TBusyPause BusyPause = &SleepFor;

} // namespace

void GetShellDisplayName(IShellFolder* folder, const ITEMIDLIST* relPidl, DWORD flags, std::string& name)
{
    name.clear();
    if (!folder)
        return;
    STRRET strRet{};
    strRet.uType = STRRET_CSTR;
    const HRESULT result = folder->GetDisplayNameOf(relPidl, flags, &strRet);
    if (result != S_OK) {
        // Another success code may still have handed over a wide string,
        // which is ours to free; a failure hands over nothing.
        if (SUCCEEDED(result))
            StrretFree(strRet);
        return;
    }
    name = StrretToString(relPidl, strRet);
    StrretFree(strRet);
}

void RaiseShellError(int code)
{
    throw vcl::Exception(vcl::SysErrorMessage(static_cast<DWORD>(code)));
}

void BusySleep(int milliseconds)
{
    const detail::ScopedHourGlass hourglass;
    if (milliseconds > 0)
        BusyPause(milliseconds);
}

testing::TBusyPause testing::SetBusyPause(TBusyPause pause)
{
    return std::exchange(BusyPause, pause ? pause : &SleepFor);
}

void SetWindowStyleBits(HWND window, DWORD bits, bool set)
{
    if (!window)
        return;
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
    const DWORD changed = set ? style | bits : style & ~bits;
    if (changed != style)
        SetWindowLongPtrA(window, GWL_STYLE, static_cast<LONG_PTR>(static_cast<LONG>(changed)));
}

} // namespace kw
