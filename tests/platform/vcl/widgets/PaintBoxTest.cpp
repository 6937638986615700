// Paint boxes: painted by their handler, with their colour as the brush.

#include "WidgetTesting.h"
#include "vcl/widgets/ExtCtrls.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace vcl;
using kwtest::Pump;

class TPaintCounter : public TObject {
public:
    void Paint(TObject* sender)
    {
        auto* box = static_cast<TPaintBox*>(sender);
        // The canvas comes with the box's colour as the brush.
        Brushes.push_back(box->Canvas()->Brush()->Color());
        box->Canvas()->FillRect(TRect{0, 0, box->Width(), box->Height()});
    }
    std::vector<TColor> Brushes;
};

TEST(PaintBox, PaintsThroughItsHandlerWithItsColour)
{
    kwtest::TestForm form(200, 120);
    TPaintCounter counter;
    TPaintBox* box = Create<TPaintBox>(form.Get());
    box->SetParent(form.Get());
    box->SetBounds(10, 10, 60, 40);
    box->SetColor(clRed);
    box->SetOnPaint(TNotifyEvent(&counter, &TPaintCounter::Paint));
    Pump();
    ASSERT_FALSE(counter.Brushes.empty());
    EXPECT_EQ(counter.Brushes.back(), clRed);
    const QImage image = kwtest::SavePicture(form->Peer(), "paintbox.png");
    const QPoint origin = form->Peer()->mapFromGlobal(QPoint(box->ClientOrigin().x, box->ClientOrigin().y));
    EXPECT_EQ(image.pixelColor(origin + QPoint(5, 5)), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(origin + QPoint(59, 39)), QColor(255, 0, 0));
    EXPECT_NE(image.pixelColor(origin + QPoint(60, 40)), QColor(255, 0, 0));
}

} // namespace
