// Status bars: where the panels are and what shows, panels or the simple
// text.

#include "WidgetTesting.h"
#include "vcl/widgets/ComCtrls.h"

#include <gtest/gtest.h>

namespace {

using namespace vcl;
using kwtest::Pump;

// Pixels of the text colour inside rect.
int Inked(const QImage& image, const TRect& rect)
{
    const QColor ink = ColorToQColor(clBtnText);
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            count += image.pixelColor(x, y) == ink ? 1 : 0;
    return count;
}

TEST(StatusBar, PanelsOrTheSimpleTextShow)
{
    struct Case {
        const char* name;
        bool simplePanel;
        std::string simpleText;
        std::string panel0;
        bool inkInPanel0;
        bool inkInPanel1; // the simple text runs across both
        bool bevels;
    };
    const Case cases[] = {
        {"simple text waits for SimplePanel", false, "/home/someone/folder", "", false, false, true},
        {"the first panel's text", false, "/home/someone/folder", "Hint", true, false, true},
        {"simple text across the bar", true, "/home/someone/a/very/long/folder/name", "Hint", true, true,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kwtest::TestForm form(300, 100);
        TStatusBar* bar = Create<TStatusBar>(form.Get());
        bar->SetParent(form.Get());
        bar->Panels()->Add()->SetWidth(50);
        bar->Panels()->Add()->SetWidth(60);
        bar->SetSimplePanel(c.simplePanel);
        bar->SetSimpleText(c.simpleText);
        bar->Panels()->Items(0)->SetText(c.panel0);
        Pump();
        EXPECT_EQ(bar->BoundsRect(),
                  (TRect{0, form->ClientHeight() - 19, form->ClientWidth(), form->ClientHeight()}));
        EXPECT_EQ(bar->PanelRect(0), (TRect{0, 2, 50, 19}));
        EXPECT_EQ(bar->PanelRect(1), (TRect{50, 2, 300, 19})) << "the last panel reaches the right edge";
        EXPECT_EQ(bar->PanelRect(2), (TRect{0, 0, 0, 0}));
        const QImage image = kwtest::SavePicture(
            bar->Peer(), std::string("statusbar-") + (c.simplePanel ? "simple" : "panels") +
                             (c.panel0.empty() ? "-empty" : "") + ".png");
        EXPECT_EQ(Inked(image, TRect{2, 3, 46, 18}) > 0, c.inkInPanel0);
        EXPECT_EQ(Inked(image, TRect{52, 3, 298, 18}) > 0, c.inkInPanel1);
        EXPECT_EQ(image.pixelColor(0, 2) == ColorToQColor(clBtnShadow), c.bevels);
    }
}

} // namespace
