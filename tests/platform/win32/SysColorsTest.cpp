#include "win32/SysColors.h"
#include "win32/Gdi.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

namespace {

// Puts the fixed scheme and the application's palette back.
class SysColorsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        QGuiApplication::setPalette(Saved_);
        win32::SetFixedSysColors(true);
    }

private:
    QPalette Saved_ = QGuiApplication::palette();
};

TEST_F(SysColorsTest, ThePaletteGivesTheColoursOfItsRolesUnlessTheSchemeIsFixed)
{
    QPalette palette = QGuiApplication::palette();
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Highlight, QColor(4, 5, 6));
    palette.setColor(QPalette::Base, QColor(7, 8, 9));
    palette.setColor(QPalette::Shadow, QColor(10, 11, 12));
    QGuiApplication::setPalette(palette);
    struct Case {
        int index;
        COLORREF fromPalette;
        COLORREF fixed;
    };
    const Case cases[] = {
        {COLOR_BTNFACE, RGB(1, 2, 3), RGB(212, 208, 200)},
        {COLOR_HIGHLIGHT, RGB(4, 5, 6), RGB(10, 36, 106)},
        {COLOR_WINDOW, RGB(7, 8, 9), RGB(255, 255, 255)},
        {COLOR_3DDKSHADOW, RGB(10, 11, 12), RGB(64, 64, 64)},
        // No role of the palette: always the scheme's.
        {COLOR_ACTIVECAPTION, RGB(10, 36, 106), RGB(10, 36, 106)},
    };
    for (bool fixed : {false, true}) {
        win32::SetFixedSysColors(fixed);
        for (const Case& c : cases) {
            const COLORREF expected = fixed ? c.fixed : c.fromPalette;
            EXPECT_EQ(GetSysColor(c.index), expected) << c.index << " fixed " << fixed;
            LOGBRUSH brush{};
            ASSERT_TRUE(GetObjectA(GetSysColorBrush(c.index), sizeof brush, &brush));
            EXPECT_EQ(brush.lbColor, expected) << c.index << " fixed " << fixed;
        }
    }
    EXPECT_EQ(GetSysColor(99), 0u);
}

} // namespace
