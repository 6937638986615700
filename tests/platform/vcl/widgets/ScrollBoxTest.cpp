// Scroll boxes: bars for children that do not fit, scrolling by moving them,
// and the thumb followed while dragged only with Tracking.

#include "vcl/widgets/ScrollBox.h"
#include "WidgetTesting.h"

#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

using namespace vcl;
using kwtest::Pump;
using kwtest::TBlock;

struct Box {
    kwtest::TestForm Form{300, 200};
    TScrollBox* Scroll = Create<TScrollBox>(Form.Get());
    TBlock* Child = Create<TBlock>(Form.Get());
    Box(int childWidth, int childHeight)
    {
        Scroll->SetParent(Form.Get());
        Scroll->SetBorderStyle(bsNone);
        Scroll->SetBounds(0, 0, 200, 100);
        Child->SetParent(Scroll);
        Child->SetBounds(10, 5, childWidth, childHeight);
        Pump();
    }
    QScrollBar* Bar(Qt::Orientation orientation) const
    {
        for (QScrollBar* bar : Scroll->Peer()->findChildren<QScrollBar*>(Qt::FindDirectChildrenOnly))
            if (bar->orientation() == orientation)
                return bar;
        return nullptr;
    }
};

TEST(ScrollBox, BarsForWhatDoesNotFit)
{
    struct Case {
        const char* name;
        int width, height;
        bool horz, vert;
    };
    const Case cases[] = {
        {"fits", 150, 80, false, false},
        {"too wide", 400, 50, true, false},
        {"too tall", 100, 300, false, true},
        // The horizontal bar takes the room the last rows needed.
        {"wide, and tall once the bar is there", 400, 90, true, true},
    };
    for (const Case& c : cases) {
        Box box(c.width, c.height);
        EXPECT_EQ(box.Scroll->HorzScrollBar()->IsScrollBarVisible(), c.horz) << c.name;
        EXPECT_EQ(box.Scroll->VertScrollBar()->IsScrollBarVisible(), c.vert) << c.name;
        EXPECT_EQ(box.Scroll->HorzScrollBar()->Range(), 10 + c.width) << c.name;
        EXPECT_EQ(box.Scroll->VertScrollBar()->Range(), 5 + c.height) << c.name;
    }
}

TEST(ScrollBox, PositionsMoveTheChildrenWithinTheRange)
{
    Box box(400, 50);
    TControlScrollBar* horz = box.Scroll->HorzScrollBar();
    struct Step {
        int set, position, childLeft;
    };
    // The range is 410 over a client width of 200: 210 at most.
    const Step steps[] = {{50, 50, -40}, {500, 210, -200}, {-5, 0, 10}};
    for (const Step& s : steps) {
        horz->SetPosition(s.set);
        EXPECT_EQ(horz->Position(), s.position) << s.set;
        EXPECT_EQ(box.Child->Left(), s.childLeft) << s.set;
        EXPECT_EQ(box.Bar(Qt::Horizontal)->value(), s.position) << s.set;
    }
    // A child shown whole: the box scrolls it into view.
    box.Scroll->ScrollInView(box.Child);
    EXPECT_EQ(box.Child->Left(), 0) << "its left edge first";
    kwtest::SavePicture(box.Form->Peer(), "scroll-box.png");
    // Narrowing the child brings the position back within the new range.
    horz->SetPosition(210);
    box.Child->SetWidth(250);
    Pump();
    EXPECT_EQ(horz->Position(), 60);
    EXPECT_EQ(box.Child->Left(), -50);
}

TEST(ScrollBox, TrackingFollowsTheThumbWhileItIsDragged)
{
    for (const bool tracking : {true, false}) {
        Box box(800, 50);
        box.Scroll->HorzScrollBar()->SetTracking(tracking);
        QScrollBar* bar = box.Bar(Qt::Horizontal);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->hasTracking(), tracking);
        // The thumb sits at the left end: press on it, drag, then let go.
        const QPoint from(bar->height() + 4, bar->height() / 2);
        QTest::mousePress(bar, Qt::LeftButton, {}, from);
        QTest::mouseMove(bar, from + QPoint(40, 0));
        Pump();
        const int during = box.Child->Left();
        QTest::mouseRelease(bar, Qt::LeftButton, {}, from + QPoint(40, 0));
        Pump();
        const int after = box.Child->Left();
        EXPECT_LT(after, 10) << "tracking " << tracking;
        if (tracking)
            EXPECT_EQ(during, after);
        else
            EXPECT_EQ(during, 10) << "the children wait for the thumb to be let go";
    }
}

} // namespace
