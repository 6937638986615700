// The desktop's settings and sizes as programs ask for them.

#include "win32/SystemSettings.h"
#include "win32/Errors.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QScreen>
#include <QStyleHints>
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
        if (s.action == SPI_GETDRAGFULLWINDOWS && s.result) {
            EXPECT_EQ(value, s.value);
        }
    }
}

} // namespace

namespace {

TEST(SystemSettings, MetricsAreTheDesktopsOwn)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int drag = QGuiApplication::styleHints()->startDragDistance();
    const QFontMetrics menu(QApplication::font("QMenuBar"));
    struct Metric {
        const char* what;
        int index;
        int expected;
    };
    const Metric metrics[] = {
        {"screen width", SM_CXSCREEN, screen.width()},
        {"screen height", SM_CYSCREEN, screen.height()},
        {"drag distance across", SM_CXDRAG, drag},
        {"drag distance down", SM_CYDRAG, drag},
        {"icon width", SM_CXICON, 32},
        {"icon height", SM_CYICON, 32},
        {"small icon width", SM_CXSMICON, 16},
        {"small icon height", SM_CYSMICON, 16},
        {"vertical scroll bar", SM_CXVSCROLL, 16},
        {"horizontal scroll bar", SM_CYHSCROLL, 16},
        {"edge", SM_CXEDGE, 2},
        {"edge down", SM_CYEDGE, 2},
        {"border", SM_CXBORDER, 1},
        {"border down", SM_CYBORDER, 1},
        {"caption", SM_CYCAPTION, 19},
        {"mouse buttons", SM_CMOUSEBUTTONS, 3},
        {"buttons not swapped", SM_SWAPBUTTON, 0},
        {"an unknown index", 9999, 0},
        {"a negative index", -1, 0},
    };
    for (const Metric& m : metrics) {
        SCOPED_TRACE(m.what);
        EXPECT_EQ(GetSystemMetrics(m.index), m.expected);
    }
    // The framework's menu bar is as high as the platform says a menu is.
    EXPECT_GE(GetSystemMetrics(SM_CYMENU), menu.height() + 2);
    EXPECT_LE(GetSystemMetrics(SM_CYMENU), menu.height() + 12);
}

TEST(SystemSettings, NonClientMetricsGiveTheMenuFont)
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SetLastError(0);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    EXPECT_EQ(metrics.cbSize, sizeof metrics);
    const QFont menu = QApplication::font("QMenuBar");
    EXPECT_EQ(std::string(metrics.lfMenuFont.lfFaceName), menu.family().toStdString());
    EXPECT_EQ(metrics.lfMenuFont.lfHeight, -QFontInfo(menu).pixelSize());
    EXPECT_EQ(metrics.lfMenuFont.lfWeight, menu.weight());
    EXPECT_EQ(metrics.lfMenuFont.lfItalic, menu.italic() ? 1 : 0);
    EXPECT_EQ(metrics.lfCaptionFont.lfWeight, 700);
    EXPECT_EQ(metrics.iMenuHeight, GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(metrics.iScrollWidth, GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(metrics.iBorderWidth, GetSystemMetrics(SM_CXBORDER));

    // A record of another size is refused and left alone.
    for (UINT size : {0u, UINT(sizeof metrics - 4), UINT(sizeof metrics + 4)}) {
        SCOPED_TRACE(size);
        NONCLIENTMETRICSA other{};
        other.cbSize = size;
        other.iMenuHeight = -7;
        SetLastError(0);
        EXPECT_FALSE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, size, &other, 0));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        EXPECT_EQ(other.iMenuHeight, -7);
    }
    SetLastError(0);
    EXPECT_FALSE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

} // namespace
