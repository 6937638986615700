// Align, anchors and constraints through real controls and their widgets,
// with the rectangles worked out by hand.

#include "WidgetTesting.h"

#include <gtest/gtest.h>

namespace {

using namespace vcl;
using kwtest::Pump;

struct Placed {
    TAlign Align;
    TRect Bounds; // as set, in the parent's client coordinates
    TRect Expected;
    TColor Color = clBlue;
    TSizeLimits Limits{};
};

struct LayoutCase {
    const char* Name;
    int BorderWidth;
    std::vector<Placed> Children;
};

TEST(ControlLayout, AlignedChildrenTakeTheirStripsInTheFrameworksOrder)
{
    // The parent's client area is 200 x 100 (less its border width).
    const LayoutCase cases[] = {
        {"one of each",
         0,
         {
             {alTop, {0, 0, 50, 20}, {0, 0, 200, 20}, clRed},
             {alBottom, {0, 0, 50, 10}, {0, 90, 200, 100}, clGreen},
             {alLeft, {0, 0, 30, 50}, {0, 20, 30, 90}, clBlue},
             {alRight, {0, 0, 40, 50}, {160, 20, 200, 90}, clYellow},
             {alClient, {0, 0, 5, 5}, {30, 20, 160, 90}, clAqua},
         }},
        {"client first in the list, still last to be placed",
         0,
         {
             {alClient, {0, 0, 5, 5}, {0, 25, 200, 100}, clAqua},
             {alTop, {0, 0, 10, 25}, {0, 0, 200, 25}, clRed},
         }},
        {"equal tops by position, not by list order",
         0,
         {
             {alTop, {0, 50, 10, 60}, {0, 20, 200, 30}, clRed},
             {alTop, {0, 5, 10, 25}, {0, 0, 200, 20}, clGreen},
         }},
        {"equal lefts by position",
         0,
         {
             {alLeft, {40, 0, 50, 10}, {15, 0, 25, 100}, clRed},
             {alLeft, {0, 0, 15, 10}, {0, 0, 15, 100}, clGreen},
         }},
        {"equal bottoms: the lower one outermost",
         0,
         {
             {alBottom, {0, 60, 10, 70}, {0, 80, 200, 90}, clRed},
             {alBottom, {0, 80, 10, 90}, {0, 90, 200, 100}, clGreen},
         }},
        {"inside a border",
         5,
         {
             {alTop, {0, 0, 10, 20}, {0, 0, 200, 20}, clRed},
             {alClient, {0, 0, 10, 10}, {0, 20, 200, 100}, clGreen},
         }},
        {"a constrained client keeps its maximum",
         0,
         {
             {alClient, {0, 0, 10, 10}, {0, 0, 120, 100}, clGreen, {0, 0, 120, 0}},
         }},
        {"a left strip no narrower than its minimum",
         0,
         {
             {alLeft, {0, 0, 10, 10}, {0, 0, 50, 100}, clGreen, {50, 0, 0, 0}},
             {alClient, {0, 0, 10, 10}, {50, 0, 200, 100}, clAqua},
         }},
    };
    int picture = 0;
    for (const LayoutCase& c : cases) {
        kwtest::TestForm form(260, 160);
        auto* parent = Create<kwtest::TLoggingControl>(form.Get());
        parent->SetParent(form.Get());
        parent->SetColor(clWhite);
        parent->SetBorderWidth(c.BorderWidth);
        parent->SetBounds(10, 10, 200 + 2 * c.BorderWidth, 100 + 2 * c.BorderWidth);
        std::vector<kwtest::TLoggingControl*> children;
        parent->DisableAlign();
        for (const Placed& p : c.Children) {
            auto* child = Create<kwtest::TLoggingControl>(form.Get());
            child->SetParent(parent);
            child->SetColor(p.Color);
            child->Constraints()->SetMinWidth(p.Limits.MinWidth);
            child->Constraints()->SetMaxWidth(p.Limits.MaxWidth);
            child->SetBoundsRect(p.Bounds);
            child->SetAlign(p.Align);
            children.push_back(child);
        }
        parent->EnableAlign();
        Pump();
        for (std::size_t i = 0; i < children.size(); ++i) {
            const TRect got = children[i]->BoundsRect();
            const TRect& want = c.Children[i].Expected;
            EXPECT_EQ(std::tie(got.left, got.top, got.right, got.bottom),
                      std::tie(want.left, want.top, want.right, want.bottom))
                << c.Name << ", child " << i;
            // The widget is where the control says, inside the parent's border.
            const QRect widget = children[i]->Peer()->geometry();
            EXPECT_EQ(widget, QRect(want.left + c.BorderWidth, want.top + c.BorderWidth,
                                    want.right - want.left, want.bottom - want.top))
                << c.Name << ", child " << i;
        }
        kwtest::SavePicture(parent->Peer(), "layout-" + std::to_string(++picture) + ".png");
    }
}

TEST(ControlLayout, AnchoredChildrenFollowTheirParentsSize)
{
    struct Case {
        const char* what;
        TAnchors anchors;
        TRect expected; // after the parent grows from 200 x 100 to 300 x 150
    } cases[] = {
        {"left and top (the default)", {akLeft, akTop}, {10, 10, 50, 30}},
        {"right and bottom", {akRight, akBottom}, {110, 60, 150, 80}},
        // Neither top nor bottom: the centre keeps its place in proportion
        // (y 20 of 100 becomes 30 of 150).
        {"left and right: it stretches", {akLeft, akRight}, {10, 20, 150, 40}},
        {"all four", {akLeft, akTop, akRight, akBottom}, {10, 10, 150, 80}},
    };
    for (const Case& c : cases) {
        kwtest::TestForm form(400, 300);
        auto* parent = Create<kwtest::TLoggingControl>(form.Get());
        parent->SetParent(form.Get());
        parent->SetBounds(0, 0, 200, 100);
        auto* child = Create<kwtest::TLoggingControl>(form.Get());
        child->SetParent(parent);
        child->SetBounds(10, 10, 40, 20);
        child->SetAnchors(c.anchors);
        child->Messages.clear();
        parent->SetBounds(0, 0, 300, 150);
        const TRect got = child->BoundsRect();
        EXPECT_EQ(std::tie(got.left, got.top, got.right, got.bottom),
                  std::tie(c.expected.left, c.expected.top, c.expected.right, c.expected.bottom))
            << c.what;
        // The window heard of its size as the platform would tell it.
        bool sized = false;
        for (const TMessage& m : child->Messages)
            if (m.Msg == WM_SIZE && m.LParam == MAKELPARAM(got.right - got.left, got.bottom - got.top))
                sized = true;
        EXPECT_EQ(sized, got.right - got.left != 40 || got.bottom - got.top != 20) << c.what;
    }
}

TEST(ControlLayout, ConstraintsClampEverySize)
{
    kwtest::TestForm form;
    auto* control = Create<kwtest::TLoggingControl>(form.Get());
    control->SetParent(form.Get());
    control->Constraints()->SetMinWidth(30);
    control->Constraints()->SetMaxHeight(40);
    struct Case {
        int width;
        int height;
        int expectedWidth;
        int expectedHeight;
    } cases[] = {{10, 10, 30, 10}, {100, 100, 100, 40}, {30, 40, 30, 40}};
    for (const Case& c : cases) {
        control->SetBounds(5, 5, c.width, c.height);
        EXPECT_EQ(control->Width(), c.expectedWidth);
        EXPECT_EQ(control->Height(), c.expectedHeight);
    }
    // Tightening a constraint resizes the control at once.
    control->SetBounds(5, 5, 100, 20);
    control->Constraints()->SetMaxWidth(60);
    EXPECT_EQ(control->Width(), 60);
    EXPECT_EQ(control->Peer()->width(), 60);
}

} // namespace
