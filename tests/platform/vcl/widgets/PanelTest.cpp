// Panels: where aligned children go inside the border and bevels, and what
// the bevels look like.

#include "WidgetTesting.h"
#include "vcl/widgets/ExtCtrls.h"

#include <gtest/gtest.h>

namespace {

using namespace vcl;
using kwtest::Pump;

TEST(Panel, AlignedChildrenGoInsideBorderAndBevels)
{
    struct Case {
        const char* what;
        TPanelBevel outer;
        TPanelBevel inner;
        int bevelWidth;
        int borderWidth;
        TBorderStyle borderStyle;
        TRect child; // an alClient child's bounds in a 100 x 60 panel
    };
    const Case cases[] = {
        {"the default raised bevel", bvRaised, bvNone, 1, 0, bsNone, {1, 1, 99, 59}},
        {"no bevels", bvNone, bvNone, 1, 0, bsNone, {0, 0, 100, 60}},
        {"two bevels", bvRaised, bvLowered, 1, 0, bsNone, {2, 2, 98, 58}},
        {"wide bevels with a border between", bvLowered, bvRaised, 3, 4, bsNone, {10, 10, 90, 50}},
        {"a single border is outside the client area", bvRaised, bvNone, 1, 0, bsSingle, {1, 1, 95, 55}},
        {"a space counts as a bevel", bvSpace, bvNone, 2, 0, bsNone, {2, 2, 98, 58}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kwtest::TestForm form;
        TPanel* panel = Create<TPanel>(form.Get());
        panel->SetBevelOuter(c.outer);
        panel->SetBevelInner(c.inner);
        panel->SetBevelWidth(c.bevelWidth);
        panel->SetBorderWidth(c.borderWidth);
        panel->SetBorderStyle(c.borderStyle);
        panel->SetBounds(10, 10, 100, 60);
        panel->SetParent(form.Get());
        TPanel* child = Create<TPanel>(form.Get());
        child->SetParent(panel);
        child->SetAlign(alClient);
        EXPECT_EQ(child->BoundsRect(), c.child);
        // Changing the frames places the child again.
        panel->SetBevelOuter(bvNone);
        panel->SetBevelInner(bvNone);
        panel->SetBorderWidth(0);
        EXPECT_EQ(child->BoundsRect(), panel->ClientRect());
    }
}

TEST(Panel, BevelsAreLightAboveAndDarkBelowWhenRaised)
{
    kwtest::TestForm form(240, 120);
    TPanel* panel = Create<TPanel>(form.Get());
    panel->SetParent(form.Get());
    panel->SetBounds(10, 10, 200, 80);
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(3);
    panel->SetCaption("Panel caption");
    Pump();
    const QImage image = kwtest::SavePicture(panel->Peer(), "panel-bevels.png");
    const QColor light = ColorToQColor(clBtnHighlight);
    const QColor dark = ColorToQColor(clBtnShadow);
    const QColor face = ColorToQColor(clBtnFace);
    struct Probe {
        const char* what;
        int x;
        int y;
        QColor color;
    };
    const Probe probes[] = {
        {"outer bevel, top", 50, 0, light},         {"outer bevel, left", 1, 40, light},
        {"outer bevel, bottom", 50, 79, dark},      {"outer bevel, right", 198, 40, dark},
        {"border in the face colour", 50, 3, face}, {"inner bevel, top", 50, 5, dark},
        {"inner bevel, left", 6, 40, dark},         {"inner bevel, bottom", 50, 73, light},
        {"inner bevel, right", 193, 40, light},     {"the face inside", 20, 20, face},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(image.pixelColor(p.x, p.y), p.color) << p.what;
    // The caption is drawn in the middle, and only there.
    bool inked = false;
    for (int x = 60; x < 140; ++x)
        inked = inked || image.pixelColor(x, 40) != face;
    EXPECT_TRUE(inked);
    panel->SetCaption("");
    Pump();
    EXPECT_EQ(panel->Peer()->grab().toImage().pixelColor(100, 40), face);
}

} // namespace
