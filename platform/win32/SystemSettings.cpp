#include "win32/SystemSettings.h"

#include "win32/Errors.h"

#include <atomic>

namespace {

std::atomic<bool> g_dragFullWindows{true};

} // namespace

BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* param, UINT /*winIni*/)
{
    switch (action) {
    case SPI_GETDRAGFULLWINDOWS:
        if (!param)
            break;
        *static_cast<BOOL*>(param) = g_dragFullWindows.load() ? TRUE : FALSE;
        return TRUE;
    case SPI_SETDRAGFULLWINDOWS:
        g_dragFullWindows = uiParam != 0;
        return TRUE;
    default:
        break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
