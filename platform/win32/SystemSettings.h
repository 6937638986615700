#pragma once
// The desktop's settings as the platform's programs ask for them.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

constexpr UINT SPI_SETDRAGFULLWINDOWS = 0x0025;
constexpr UINT SPI_GETDRAGFULLWINDOWS = 0x0026;

// SPI_GETDRAGFULLWINDOWS writes a BOOL to param (whether windows move live
// while dragged; on by default, as desktops here do); SPI_SETDRAGFULLWINDOWS
// takes it from uiParam for the rest of the process. Anything else fails
// with ERROR_INVALID_PARAMETER, as does a null param for a query.
CORVANE_PLATFORM_EXPORT BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* param, UINT winIni);
