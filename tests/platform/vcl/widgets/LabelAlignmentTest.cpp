// Labels: the alignment of each line, line breaks, and the edge kept when
// a label sizes itself.

#include "WidgetTesting.h"
#include "vcl/widgets/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

using namespace vcl;
using kwtest::Pump;

TEST(Label, AlignmentPlacesEachLineAndKeepsTheRightEdge)
{
    struct Case {
        TAlignment alignment;
        bool autoSize;
        int left;    // after the caption grows
        int inkFrom; // the first inked column's side: 0 left, 1 middle, 2 right
    };
    const Case cases[] = {
        {taLeftJustify, true, 100, 0}, {taRightJustify, true, -1, 0}, // the longest line fills the label
        {taLeftJustify, false, 20, 0}, {taCenter, false, 20, 1},      {taRightJustify, false, 20, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.alignment) * 10 + c.autoSize);
        kwtest::TestForm form(300, 100);
        TLabel* label = Create<TLabel>(form.Get());
        label->SetParent(form.Get());
        label->SetAutoSize(c.autoSize);
        label->SetAlignment(c.alignment);
        if (c.autoSize) {
            label->SetLeft(100);
            label->SetCaption("i");
            const int right = label->Left() + label->Width();
            label->SetCaption("a much longer caption\rand a second line");
            if (c.alignment == taRightJustify)
                EXPECT_EQ(label->Left() + label->Width(), right);
            else
                EXPECT_EQ(label->Left(), c.left);
        } else {
            label->SetBounds(20, 10, 240, 40);
            // CR alone and CR LF both break the line.
            label->SetCaption("ab\rc\r\nd");
            EXPECT_EQ(label->Left(), c.left);
        }
        label->SetTransparent(false);
        label->SetColor(clWhite);
        Pump();
        const QImage image = form->Peer()->grab().toImage();
        const QColor white(255, 255, 255);
        int first = -1;
        int lines = 0;
        bool inLine = false;
        for (int y = label->Top(); y < label->Top() + label->Height(); ++y) {
            bool inked = false;
            for (int x = label->Left(); x < label->Left() + label->Width(); ++x) {
                if (image.pixelColor(x, y) != white) {
                    inked = true;
                    if (first < 0 || x - label->Left() < first)
                        first = x - label->Left();
                }
            }
            if (inked && !inLine)
                ++lines;
            inLine = inked;
        }
        const int third = label->Width() / 3;
        EXPECT_EQ(first / std::max(third, 1) >= 2 ? 2 : first / std::max(third, 1), c.inkFrom) << first;
        if (!c.autoSize) {
            EXPECT_EQ(lines, 3);
        }
    }
}

} // namespace
