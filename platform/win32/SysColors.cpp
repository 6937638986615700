// The fixed system palette.

#include "win32/SysColors.h"

#include <QGuiApplication>
#include <QPalette>
#include <QThread>

#include <atomic>
#include <optional>

#include <array>

namespace {

constexpr std::array<COLORREF, COLOR_INFOBK + 1> kPalette{
    RGB(212, 208, 200), // scroll bar
    RGB(58, 110, 165),  // desktop
    RGB(10, 36, 106),   // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(212, 208, 200), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(212, 208, 200), // active border
    RGB(212, 208, 200), // inactive border
    RGB(128, 128, 128), // application workspace
    RGB(10, 36, 106),   // highlight
    RGB(255, 255, 255), // highlighted text
    RGB(212, 208, 200), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // grey text
    RGB(0, 0, 0),       // button text
    RGB(212, 208, 200), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(64, 64, 64),    // 3-D dark shadow
    RGB(212, 208, 200), // 3-D light
    RGB(0, 0, 0),       // tooltip text
    RGB(255, 255, 225), // tooltip background
};

std::atomic<bool> g_fixed{false};

// The palette's colour for a system colour, where the palette has that role.
std::optional<COLORREF> PaletteColour(int index)
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    // The palette belongs to the GUI thread.
    if (!app || QThread::currentThread() != app->thread())
        return std::nullopt;
    const QPalette palette = QGuiApplication::palette();
    QColor colour;
    switch (index) {
    case COLOR_WINDOW:
        colour = palette.color(QPalette::Base);
        break;
    case COLOR_WINDOWTEXT:
    case COLOR_MENUTEXT:
        colour = palette.color(QPalette::Text);
        break;
    case COLOR_BTNFACE:
    case COLOR_MENU:
    case COLOR_SCROLLBAR:
        colour = palette.color(QPalette::Button);
        break;
    case COLOR_BTNTEXT:
        colour = palette.color(QPalette::ButtonText);
        break;
    case COLOR_BTNSHADOW:
        colour = palette.color(QPalette::Mid);
        break;
    case COLOR_BTNHIGHLIGHT:
        colour = palette.color(QPalette::Light);
        break;
    case COLOR_3DDKSHADOW:
        colour = palette.color(QPalette::Shadow);
        break;
    case COLOR_3DLIGHT:
        colour = palette.color(QPalette::Midlight);
        break;
    case COLOR_HIGHLIGHT:
        colour = palette.color(QPalette::Highlight);
        break;
    case COLOR_HIGHLIGHTTEXT:
        colour = palette.color(QPalette::HighlightedText);
        break;
    case COLOR_GRAYTEXT:
        colour = palette.color(QPalette::Disabled, QPalette::Text);
        break;
    case COLOR_INFOTEXT:
        colour = palette.color(QPalette::ToolTipText);
        break;
    case COLOR_INFOBK:
        colour = palette.color(QPalette::ToolTipBase);
        break;
    default:
        return std::nullopt;
    }
    return RGB(static_cast<BYTE>(colour.red()), static_cast<BYTE>(colour.green()),
               static_cast<BYTE>(colour.blue()));
}

} // namespace

DWORD GetSysColor(int index)
{
    if (index < 0 || index >= static_cast<int>(kPalette.size()))
        return 0;
    if (!g_fixed.load()) {
        if (const std::optional<COLORREF> colour = PaletteColour(index))
            return *colour;
    }
    return kPalette[static_cast<std::size_t>(index)];
}

namespace win32 {

void SetFixedSysColors(bool fixed)
{
    g_fixed = fixed;
}

bool FixedSysColors()
{
    return g_fixed.load();
}

} // namespace win32
