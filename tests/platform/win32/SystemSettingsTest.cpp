// The desktop's settings as programs ask for them.

#include "win32/SystemSettings.h"
#include "win32/Errors.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemSettings, DragFullWindowsIsASettingTheProcessCanChange)
{
    struct Step {
        const char* what;
        UINT action;
        UINT uiParam;
        bool passParam;
        BOOL result;
        BOOL value; // what a query answers
        DWORD error;
    };
    const Step steps[] = {
        {"on by default", SPI_GETDRAGFULLWINDOWS, 0, true, TRUE, TRUE, 0},
        {"switched off", SPI_SETDRAGFULLWINDOWS, FALSE, false, TRUE, 0, 0},
        {"reads off", SPI_GETDRAGFULLWINDOWS, 0, true, TRUE, FALSE, 0},
        {"a query needs somewhere to answer", SPI_GETDRAGFULLWINDOWS, 0, false, FALSE, 0,
         ERROR_INVALID_PARAMETER},
        {"an unknown action", 0x7777, 0, true, FALSE, 0, ERROR_INVALID_PARAMETER},
        {"switched on", SPI_SETDRAGFULLWINDOWS, TRUE, false, TRUE, 0, 0},
        {"reads on", SPI_GETDRAGFULLWINDOWS, 0, true, TRUE, TRUE, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        BOOL value = 7;
        SetLastError(0);
        EXPECT_EQ(SystemParametersInfoA(s.action, s.uiParam, s.passParam ? &value : nullptr, 0), s.result);
        EXPECT_EQ(GetLastError(), s.error);
        if (s.action == SPI_GETDRAGFULLWINDOWS && s.result)
            EXPECT_EQ(value, s.value);
    }
}

} // namespace
