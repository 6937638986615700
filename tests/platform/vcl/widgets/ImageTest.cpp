// Images: where the picture goes (corner, centre, stretched), sizing to the
// picture, the picture kept in a form file, and the mouse over it.

#include "WidgetTesting.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Filer.h"
#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/Forms.h"

#include <gtest/gtest.h>

namespace {

using namespace vcl;
using kwtest::Pump;

// A 20 x 10 picture, red with a blue left column.
QImage Sample()
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 0));
    for (int y = 0; y < 10; ++y)
        image.setPixelColor(0, y, QColor(0, 0, 255));
    return image;
}

TEST(Image, ThePictureGoesToTheCornerTheCentreOrEverywhere)
{
    struct Case {
        const char* name;
        bool stretch, center, autoSize;
        TRect dest;
        TRect bounds;
    };
    const Case cases[] = {
        {"corner", false, false, false, {0, 0, 20, 10}, {10, 10, 70, 50}},
        {"centred", false, true, false, {20, 15, 40, 25}, {10, 10, 70, 50}},
        {"stretched", true, true, false, {0, 0, 60, 40}, {10, 10, 70, 50}},
        {"sized to the picture", false, false, true, {0, 0, 20, 10}, {10, 10, 30, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kwtest::TestForm form(120, 80);
        form->SetColor(clWhite);
        TImage* image = Create<TImage>(form.Get());
        image->SetParent(form.Get());
        image->SetBounds(10, 10, 60, 40);
        image->SetStretch(c.stretch);
        image->SetCenter(c.center);
        image->SetAutoSize(c.autoSize);
        image->Picture()->Bitmap()->LoadFromImage(Sample());
        Pump();
        EXPECT_EQ(image->DestRect(), c.dest);
        EXPECT_EQ(image->BoundsRect(), c.bounds);
        const QImage shot = kwtest::SavePicture(form->Peer(), std::string("image-") + c.name + ".png");
        const QPoint origin =
            form->Peer()->mapFromGlobal(QPoint(image->ClientOrigin().x, image->ClientOrigin().y));
        const QPoint topLeft = origin + QPoint(c.dest.left, c.dest.top);
        EXPECT_EQ(shot.pixelColor(topLeft), QColor(0, 0, 255));
        EXPECT_EQ(shot.pixelColor(origin + QPoint(c.dest.right - 1, c.dest.bottom - 1)), QColor(255, 0, 0));
        if (c.dest.left > 0) {
            EXPECT_EQ(shot.pixelColor(topLeft - QPoint(1, 0)), QColor(255, 255, 255));
        }
    }
}

TEST(Image, ThePictureIsKeptInTheFormFileWithItsKind)
{
    RegisterClasses({TForm::StaticClass(), TImage::StaticClass()});
    enum Kind { None, Bitmap, Icon };
    struct Case {
        Kind kind;
        // The data's first bytes: the kind's name after its length.
        std::string prefix;
    };
    const Case cases[] = {{Bitmap, "07544269746D6170"}, {Icon, "055449636F6E"}, {None, ""}};
    const std::string png = "89504E47";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        TOwnedPtr<TComponent> root(
            ReadComponentFromText("object Host: TForm\n  object Art: TImage\n  end\nend\n", nullptr));
        auto* image = dynamic_cast<TImage*>(root->FindComponent("Art"));
        ASSERT_NE(image, nullptr);
        if (c.kind == Bitmap)
            image->Picture()->Bitmap()->LoadFromImage(Sample());
        else if (c.kind == Icon)
            image->Picture()->Icon()->LoadFromImage(Sample().convertToFormat(QImage::Format_ARGB32));
        const std::string text = WriteComponentToText(root.get());
        const std::size_t data = text.find("Picture.Data = {");
        if (c.kind == None) {
            EXPECT_EQ(data, std::string::npos) << text;
            continue;
        }
        ASSERT_NE(data, std::string::npos) << text;
        const std::size_t first = text.find_first_of("0123456789ABCDEF", data + 16);
        EXPECT_EQ(text.substr(first, c.prefix.size() + png.size()), c.prefix + png);
        TOwnedPtr<TComponent> copy(ReadComponentFromText(text, nullptr));
        auto* read = dynamic_cast<TImage*>(copy->FindComponent("Art"));
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->Picture()->Graphic()->ClassName(), image->Picture()->Graphic()->ClassName());
        EXPECT_EQ(read->Picture()->Graphic()->ToImage().convertToFormat(QImage::Format_RGB32),
                  Sample().convertToFormat(QImage::Format_RGB32));
        // A kind the framework does not know, and a known kind without a
        // picture, are refused.
        for (const std::string& bad : {"0454466F6F" + png, c.prefix + "0011"}) {
            std::string broken = text;
            broken.replace(first, c.prefix.size() + png.size(), bad);
            EXPECT_THROW(ReadComponentFromText(broken, nullptr), EReadError) << bad;
        }
    }
}

class TMoves : public TObject {
public:
    void Move(TObject*, TShiftState, int x, int y) { Points.push_back({x, y}); }
    std::vector<TPoint> Points;
};

TEST(Image, TellsWhereTheMouseMoves)
{
    kwtest::TestForm form(200, 100);
    TImage* image = Create<TImage>(form.Get());
    image->SetParent(form.Get());
    image->SetBounds(8, 20, 150, 35);
    TMoves moves;
    image->OnMouseMove = TMouseMoveEvent(&moves, &TMoves::Move);
    Pump();
    for (int x : {0, 35, 36, 149}) {
        const std::size_t before = moves.Points.size();
        kwtest::MoveMouse(form->Peer(), QPoint(8 + x, 30), [&] { return moves.Points.size() > before; });
        ASSERT_GT(moves.Points.size(), before) << x;
        EXPECT_EQ(moves.Points.back().x, x);
        EXPECT_EQ(moves.Points.back().y, 10);
    }
}

TEST(Image, ThePictureGoesToTheFormFileAndComesBack)
{
    RegisterClass(TImage::StaticClass());
    TOwnedPtr<TImage> image(Create<TImage>(nullptr));
    image->SetName("Picture1");
    image->Picture()->Bitmap()->LoadFromImage(Sample());
    const std::string text = WriteComponentToText(image.get());
    // The class name's length, the name, then the PNG file's signature.
    EXPECT_NE(text.find("Picture.Data = {"), std::string::npos) << text;
    EXPECT_NE(text.find("07544269746D617089504E47"), std::string::npos) << text;
    TOwnedPtr<TComponent> again(ReadComponentFromText(text, nullptr));
    auto* read = dynamic_cast<TImage*>(again.get());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Picture()->Bitmap()->ToImage().convertToFormat(QImage::Format_RGB32), Sample());

    // Only the kinds of graphic a picture holds, with whole data.
    std::string png = text.substr(text.find("89504E47"), text.find('}') - text.find("89504E47"));
    std::erase_if(png, [](char c) { return c == ' ' || c == '\n'; });
    for (const std::string& data :
         {"0454466F6F" + png, "07544269746D6170" + png.substr(0, 40), std::string("09")}) {
        const std::string form = "object Picture1: TImage\n  Picture.Data = {" + data + "}\nend\n";
        EXPECT_ANY_THROW(ReadComponentFromText(form, nullptr)) << data.substr(0, 16);
    }
    // An empty picture writes nothing.
    image->Picture()->SetGraphic(nullptr);
    EXPECT_EQ(WriteComponentToText(image.get()).find("Picture.Data"), std::string::npos);
    UnRegisterClass(TImage::StaticClass());
}

TEST(Image, TransparentLetsTheParentShowWhereTheBitmapIsItsTransparentColour)
{
    for (const bool transparent : {false, true}) {
        kwtest::TestForm form(60, 40);
        form->SetColor(clWhite);
        TImage* image = Create<TImage>(form.Get());
        image->SetParent(form.Get());
        image->SetBounds(0, 0, 20, 10);
        // Fuchsia, the bottom-left pixel's colour, around a red middle.
        QImage picture(20, 10, QImage::Format_RGB32);
        picture.fill(QColor(255, 0, 255));
        picture.setPixelColor(10, 5, QColor(255, 0, 0));
        image->Picture()->Bitmap()->LoadFromImage(picture);
        image->SetTransparent(transparent);
        EXPECT_EQ(image->Picture()->Graphic()->Transparent(), transparent);
        Pump();
        const QImage shot =
            kwtest::SavePicture(form->Peer(), transparent ? "image-transparent.png" : "image-opaque.png");
        const QPoint origin =
            form->Peer()->mapFromGlobal(QPoint(image->ClientOrigin().x, image->ClientOrigin().y));
        EXPECT_EQ(shot.pixelColor(origin + QPoint(2, 2)),
                  transparent ? QColor(255, 255, 255) : QColor(255, 0, 255));
        EXPECT_EQ(shot.pixelColor(origin + QPoint(10, 5)), QColor(255, 0, 0));
    }
}

} // namespace
