#include "win32/SystemSettings.h"

#include "win32/Errors.h"
#include "win32/Gdi_p.h"
#include "win32/Icons.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStyleHints>

#include <algorithm>
#include <atomic>

namespace win32 {

namespace {

std::atomic<bool> g_dragFullWindows{true};
// Set by SPI_SETWHEELSCROLLLINES; until then the desktop's.
std::atomic<bool> g_wheelLinesSet{false};
std::atomic<UINT> g_wheelLines{3};

// The classic sizes of the parts that no desktop setting here sizes.
constexpr int kBorder = 1;
constexpr int kEdge = 2;
constexpr int kScrollBar = 16;
constexpr int kCaption = 18;
constexpr int kSmallCaption = 14;
constexpr int kMouseButtons = 3;
// The platform's default drag distance, before there is a desktop to ask.
constexpr int kDragDistance = 4;
// Space above and below a menu bar's text, and its bottom line.
constexpr int kMenuBarPadding = 3;

bool HaveGui()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

NONCLIENTMETRICSA NonClientMetrics()
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(NONCLIENTMETRICSA);
    metrics.iBorderWidth = kBorder;
    metrics.iScrollWidth = kScrollBar;
    metrics.iScrollHeight = kScrollBar;
    metrics.iCaptionWidth = kCaption;
    metrics.iCaptionHeight = kCaption;
    const QFont text = HaveGui() ? QGuiApplication::font() : QFont();
    QFont caption = text;
    caption.setBold(true);
    metrics.lfCaptionFont = gdi::LogFromFont(caption);
    metrics.iSmCaptionWidth = kSmallCaption;
    metrics.iSmCaptionHeight = kSmallCaption;
    metrics.lfSmCaptionFont = gdi::LogFromFont(text);
    const QFont menu = MenuFont();
    metrics.iMenuHeight = MenuBarHeight(menu);
    metrics.iMenuWidth = metrics.iMenuHeight;
    metrics.lfMenuFont = gdi::LogFromFont(menu);
    metrics.lfStatusFont = gdi::LogFromFont(text);
    metrics.lfMessageFont = gdi::LogFromFont(text);
    return metrics;
}

} // namespace

QFont MenuFont()
{
    return HaveGui() ? QGuiApplication::font() : QFont();
}

int MenuBarHeight(const QFont& font)
{
    return QFontMetrics(font).height() + 2 * kMenuBarPadding + 2;
}

} // namespace win32

BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* param, UINT /*winIni*/)
{
    switch (action) {
    case SPI_GETDRAGFULLWINDOWS:
        if (!param)
            break;
        *static_cast<BOOL*>(param) = win32::g_dragFullWindows.load() ? TRUE : FALSE;
        return TRUE;
    case SPI_SETDRAGFULLWINDOWS:
        win32::g_dragFullWindows = uiParam != 0;
        return TRUE;
    case SPI_GETWHEELSCROLLLINES:
        if (!param)
            break;
        *static_cast<UINT*>(param) = win32::g_wheelLinesSet.load() ? win32::g_wheelLines.load()
                                     : qGuiApp ? static_cast<UINT>(qGuiApp->styleHints()->wheelScrollLines())
                                               : 3;
        return TRUE;
    case SPI_SETWHEELSCROLLLINES:
        win32::g_wheelLines = uiParam;
        win32::g_wheelLinesSet = true;
        return TRUE;
    case SPI_GETNONCLIENTMETRICS: {
        auto* metrics = static_cast<NONCLIENTMETRICSA*>(param);
        if (!metrics || metrics->cbSize != sizeof(NONCLIENTMETRICSA))
            break;
        *metrics = win32::NonClientMetrics();
        return TRUE;
    }
    default:
        break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

int GetSystemMetrics(int index)
{
    using namespace win32;
    const QScreen* screen = HaveGui() ? QGuiApplication::primaryScreen() : nullptr;
    switch (index) {
    case SM_CXSCREEN:
        return screen ? screen->geometry().width() : 0;
    case SM_CYSCREEN:
        return screen ? screen->geometry().height() : 0;
    case SM_CXDRAG:
    case SM_CYDRAG:
        return HaveGui() ? std::max(1, QGuiApplication::styleHints()->startDragDistance()) : kDragDistance;
    case SM_CXICON:
    case SM_CYICON:
        return kSystemIconSize;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return kSystemSmallIconSize;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return kScrollBar;
    case SM_CYMENU:
        return MenuBarHeight(MenuFont());
    case SM_CXEDGE:
    case SM_CYEDGE:
        return kEdge;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return kBorder;
    case SM_CYCAPTION:
        // The caption and the line below it.
        return kCaption + kBorder;
    case SM_CMOUSEBUTTONS:
        return kMouseButtons;
    case SM_SWAPBUTTON:
        return FALSE;
    default:
        return 0;
    }
}
