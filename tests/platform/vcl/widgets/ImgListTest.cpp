#include "vcl/widgets/ImgList.h"

#include "TestSupport.h"
#include "win32/DeviceContext.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

using namespace vcl;

namespace {

// Clear, with a red square in the top-left quarter... of 8 by 8.
QImage Picture(const QColor& colour, const QRect& part)
{
    QImage image(8, 8, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(part, colour);
    return image;
}

class ListFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        List = Create<TImageList>(nullptr);
        List->SetWidth(8);
        List->SetHeight(8);
        Owned<TIcon> base = CreateOwned<TIcon>();
        base->LoadFromImage(Picture(Qt::red, QRect(0, 0, 6, 6)));
        ASSERT_EQ(List->AddIcon(base.get()), 0);
        Owned<TIcon> mark = CreateOwned<TIcon>();
        mark->LoadFromImage(Picture(Qt::blue, QRect(5, 5, 3, 3)));
        ASSERT_EQ(List->AddIcon(mark.get()), 1);
        ASSERT_TRUE(List->Overlay(1, 0));
        Image = QImage(12, 12, QImage::Format_RGB32);
        Image.fill(Qt::white);
        Dc = win32::CreateImageDC(Image);
        Canvas = Create<TCanvas>();
        Canvas->SetHandle(Dc);
    }
    void TearDown() override
    {
        Canvas->Free();
        DeleteDC(Dc);
        if (List)
            List->Free();
    }
    COLORREF At(int x, int y) const { return GetPixel(Dc, x, y); }

    template <class T>
    using Owned = TOwnedPtr<T>;
    TImageList* List = nullptr;
    QImage Image;
    HDC Dc = nullptr;
    TCanvas* Canvas = nullptr;
};

TEST_F(ListFixture, DrawsNormalSelectedDisabledAndWithOverlay)
{
    const COLORREF red = RGB(255, 0, 0);
    const COLORREF white = RGB(255, 255, 255);
    struct Case {
        const char* name;
        void (*draw)(TImageList* list, TCanvas* canvas);
        COLORREF inside;   // at (2, 2): the picture
        COLORREF corner;   // at (7, 7): where the overlay lies
        COLORREF shadowed; // at (7, 3): right of the picture, where a disabled one casts its highlight
    };
    const COLORREF blended = [] {
        // Half red, half the highlight colour.
        const COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
        return RGB(static_cast<BYTE>((255 + GetRValue(h) + 1) / 2), static_cast<BYTE>((GetGValue(h) + 1) / 2),
                   static_cast<BYTE>((GetBValue(h) + 1) / 2));
    }();
    const Case cases[] = {
        {"normal", [](TImageList* l, TCanvas* c) { l->Draw(c, 0, 0, 0); }, red, white, white},
        {"selected", [](TImageList* l, TCanvas* c) { l->Draw(c, 0, 0, 0, dsSelected, itImage); }, blended,
         white, white},
        {"disabled", [](TImageList* l, TCanvas* c) { l->Draw(c, 0, 0, 0, false); }, ColorToRGB(clBtnShadow),
         white, ColorToRGB(clBtnHighlight)},
        {"overlay", [](TImageList* l, TCanvas* c) { l->DrawOverlay(c, 0, 0, 0, 0); }, red, RGB(0, 0, 255),
         white},
    };
    for (const Case& c : cases) {
        Image.fill(Qt::white);
        c.draw(List, Canvas);
        Image.save(QString::fromStdString(kwtest::OutputPath(std::string("imagelist-") + c.name + ".png")));
        const COLORREF inside = At(2, 2);
        EXPECT_NEAR(GetRValue(inside), GetRValue(c.inside), 2) << c.name;
        EXPECT_NEAR(GetGValue(inside), GetGValue(c.inside), 2) << c.name;
        EXPECT_NEAR(GetBValue(inside), GetBValue(c.inside), 2) << c.name;
        EXPECT_EQ(At(7, 7), c.corner) << c.name;
        EXPECT_EQ(At(6, 3), c.shadowed) << c.name;
    }
}

TEST_F(ListFixture, BackgroundColourFillsTheClearParts)
{
    List->SetBkColor(clYellow);
    List->Draw(Canvas, 0, 0, 0);
    EXPECT_EQ(At(7, 7), ColorToRGB(clYellow));
    EXPECT_EQ(At(8, 8), RGB(255, 255, 255)) << "only the picture's cell";
    Image.fill(Qt::white);
    List->Draw(Canvas, 0, 0, 0, dsTransparent, itImage);
    EXPECT_EQ(At(7, 7), RGB(255, 255, 255)) << "transparent drawing keeps what is there";
}

TEST_F(ListFixture, SharedHandlesOutliveTheComponent)
{
    for (bool share : {true, false}) {
        HIMAGELIST handle = ImageList_Create(8, 8, ILC_COLOR32 | ILC_MASK, 1, 1);
        TImageList* other = Create<TImageList>(nullptr);
        other->SetShareImages(share);
        other->SetHandle(handle);
        EXPECT_EQ(other->Width(), 8);
        other->Free();
        EXPECT_EQ(ImageList_Destroy(handle), share ? TRUE : FALSE) << share;
    }
    EXPECT_EQ(List->Count(), 2);
    List->Delete(0);
    EXPECT_EQ(List->Count(), 1);
    EXPECT_THROW(List->Delete(5), EInvalidOperation);
}

} // namespace
