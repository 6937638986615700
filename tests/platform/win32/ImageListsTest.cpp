#include "win32/ImageLists.h"
#include "PlatformFixture.h"
#include "win32/Icons.h"

#include <QImage>
#include <QPainter>

#include <map>

namespace {

using ImageListsTest = PlatformFixture;

QImage Filled(int size, const QColor& colour)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

// Clear, with a square of colour at the bottom-left quarter.
QImage Corner(int size, const QColor& colour)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(0, size / 2, size / 2, size / 2, colour);
    return image;
}

// The left half filled, the right half clear.
QImage LeftHalf(int size, const QColor& colour)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(0, 0, size / 2, size, colour);
    return image;
}

QColor At(const QImage& image, int x, int y)
{
    return QColor::fromRgba(image.pixel(x, y));
}

class Icon {
public:
    explicit Icon(const QImage& image) : Handle_(win32::CreateIconFromImage(image)) {}
    ~Icon() { DestroyIcon(Handle_); }
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;
    HICON Get() const { return Handle_; }

private:
    HICON Handle_;
};

class List {
public:
    explicit List(int size, UINT flags = ILC_COLOR32 | ILC_MASK)
        : Handle_(ImageList_Create(size, size, flags, 4, 4))
    {
    }
    ~List() { ImageList_Destroy(Handle_); }
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    HIMAGELIST Get() const { return Handle_; }
    int Add(const QImage& image) const { return win32::ImageListSetImage(Handle_, -1, image); }

private:
    HIMAGELIST Handle_;
};

TEST_F(ImageListsTest, IconsAppendReplaceAndAreRemoved)
{
    EXPECT_EQ(ImageList_Create(0, 16, ILC_COLOR32, 0, 0), nullptr);
    EXPECT_EQ(ImageList_Create(16, -1, ILC_COLOR32, 0, 0), nullptr);
    EXPECT_EQ(ImageList_Create(4096, 16, ILC_COLOR32, 0, 0), nullptr);

    List list(16);
    ASSERT_NE(list.Get(), nullptr);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list.Get(), &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    EXPECT_EQ(ImageList_GetImageCount(list.Get()), 0);

    const Icon red(Filled(16, Qt::red)), green(Filled(32, Qt::green)), blue(Filled(16, Qt::blue));
    EXPECT_EQ(ImageList_ReplaceIcon(list.Get(), -1, red.Get()), 0);
    EXPECT_EQ(ImageList_AddIcon(list.Get(), green.Get()), 1);
    EXPECT_EQ(ImageList_ReplaceIcon(list.Get(), -1, blue.Get()), 2);
    EXPECT_EQ(ImageList_GetImageCount(list.Get()), 3);
    const QImage second = win32::ImageListImage(list.Get(), 1, ILD_NORMAL);
    EXPECT_EQ(second.size(), QSize(16, 16)) << "a larger icon is scaled to the list's size";
    EXPECT_EQ(At(second, 8, 8), QColor(Qt::green));

    EXPECT_EQ(ImageList_ReplaceIcon(list.Get(), 0, blue.Get()), 0) << "replacing keeps the count";
    EXPECT_EQ(ImageList_GetImageCount(list.Get()), 3);
    EXPECT_EQ(At(win32::ImageListImage(list.Get(), 0, ILD_NORMAL), 1, 1), QColor(Qt::blue));
    EXPECT_EQ(ImageList_ReplaceIcon(list.Get(), 3, red.Get()), -1) << "past the end";
    EXPECT_EQ(ImageList_ReplaceIcon(list.Get(), -2, red.Get()), -1);
    EXPECT_EQ(ImageList_ReplaceIcon(list.Get(), -1, nullptr), -1);

    // Removing shifts the pictures after it, and the overlays that name them.
    ASSERT_TRUE(ImageList_SetOverlayImage(list.Get(), 2, 1));
    ASSERT_TRUE(ImageList_SetOverlayImage(list.Get(), 1, 2));
    EXPECT_TRUE(ImageList_Remove(list.Get(), 1));
    EXPECT_EQ(ImageList_GetImageCount(list.Get()), 2);
    EXPECT_EQ(At(win32::ImageListImage(list.Get(), 1, ILD_NORMAL), 8, 8), QColor(Qt::blue));
    EXPECT_EQ(win32::ImageListOverlayImage(list.Get(), 1), 1);
    EXPECT_EQ(win32::ImageListOverlayImage(list.Get(), 2), -1) << "its picture is gone";
    EXPECT_FALSE(ImageList_Remove(list.Get(), 2));
    EXPECT_TRUE(ImageList_RemoveAll(list.Get()));
    EXPECT_EQ(ImageList_GetImageCount(list.Get()), 0);
    EXPECT_EQ(win32::ImageListOverlayImage(list.Get(), 1), -1);

    // The count can be set: new pictures are clear.
    EXPECT_TRUE(ImageList_SetImageCount(list.Get(), 5));
    EXPECT_EQ(ImageList_GetImageCount(list.Get()), 5);
    EXPECT_EQ(qAlpha(win32::ImageListImage(list.Get(), 4, ILD_NORMAL).pixel(3, 3)), 0);
    EXPECT_TRUE(ImageList_SetImageCount(list.Get(), 1));
    EXPECT_EQ(ImageList_GetImageCount(list.Get()), 1);
    EXPECT_FALSE(ImageList_SetImageCount(list.Get(), 0x7FFFFFFF));

    // A new size empties the list.
    EXPECT_TRUE(ImageList_SetIconSize(list.Get(), 32, 24));
    ASSERT_TRUE(ImageList_GetIconSize(list.Get(), &cx, &cy));
    EXPECT_EQ(cx, 32);
    EXPECT_EQ(cy, 24);
    EXPECT_EQ(ImageList_GetImageCount(list.Get()), 0);
}

TEST_F(ImageListsTest, AppendingFromAnIndexPadsButNeverCuts)
{
    const HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(win32::ImageListAppendFrom(list, 3, Filled(16, Qt::red)), 3);
    EXPECT_EQ(ImageList_GetImageCount(list), 4);
    EXPECT_EQ(qAlpha(win32::ImageListImage(list, 1, ILD_TRANSPARENT).pixel(8, 8)), 0) << "the gap is clear";
    EXPECT_EQ(win32::ImageListAppendFrom(list, 1, Filled(8, Qt::blue)), 4) << "at the end of a longer list";
    EXPECT_EQ(win32::ImageListImage(list, 4, ILD_TRANSPARENT).size(), QSize(16, 16));
    EXPECT_EQ(At(win32::ImageListImage(list, 3, ILD_TRANSPARENT), 8, 8), QColor(Qt::red));
    EXPECT_EQ(win32::ImageListAppendFrom(list, -1, Filled(16, Qt::red)), -1);
    EXPECT_EQ(win32::ImageListAppendFrom(list, 0, QImage()), -1);
    EXPECT_EQ(ImageList_GetImageCount(list), 5);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_EQ(win32::ImageListAppendFrom(list, 0, Filled(16, Qt::red)), -1) << "a stale list";
}

TEST_F(ImageListsTest, OverlaysAreDrawnOverThePictureTheFlagsName)
{
    List list(16);
    ASSERT_EQ(list.Add(Filled(16, Qt::red)), 0);
    ASSERT_EQ(list.Add(Corner(16, Qt::blue)), 1);
    ASSERT_EQ(list.Add(LeftHalf(16, Qt::yellow)), 2);
    EXPECT_FALSE(ImageList_SetOverlayImage(list.Get(), 1, 0));
    EXPECT_FALSE(ImageList_SetOverlayImage(list.Get(), 1, 16));
    EXPECT_FALSE(ImageList_SetOverlayImage(list.Get(), 3, 1)) << "no such picture";
    ASSERT_TRUE(ImageList_SetOverlayImage(list.Get(), 1, 1));
    ASSERT_TRUE(ImageList_SetOverlayImage(list.Get(), 2, 15));

    const QImage plain = win32::ImageListImage(list.Get(), 0, ILD_NORMAL);
    const QImage one = win32::ImageListImage(list.Get(), 0, ILD_NORMAL | INDEXTOOVERLAYMASK(1));
    const QImage fifteen = win32::ImageListImage(list.Get(), 0, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(15));
    const QImage unset = win32::ImageListImage(list.Get(), 0, ILD_NORMAL | INDEXTOOVERLAYMASK(3));
    EXPECT_EQ(At(plain, 2, 14), QColor(Qt::red));
    EXPECT_EQ(At(one, 2, 14), QColor(Qt::blue)) << "the overlay's picture at the bottom-left";
    EXPECT_EQ(At(one, 14, 2), QColor(Qt::red)) << "the rest of the picture shows through";
    EXPECT_EQ(At(fifteen, 2, 2), QColor(Qt::yellow));
    EXPECT_EQ(At(fifteen, 14, 2), QColor(Qt::red));
    EXPECT_EQ(unset, plain);
    // The list's own picture is untouched by drawing.
    EXPECT_EQ(win32::ImageListImage(list.Get(), 0, ILD_NORMAL), plain);

    // Clearing an overlay.
    EXPECT_TRUE(ImageList_SetOverlayImage(list.Get(), -1, 1));
    EXPECT_EQ(win32::ImageListImage(list.Get(), 0, INDEXTOOVERLAYMASK(1)), plain);

    // An icon of the composed picture.
    const HICON icon = ImageList_GetIcon(list.Get(), 0, INDEXTOOVERLAYMASK(15));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(*win32::IconImage(icon), fifteen);
    DestroyIcon(icon);
    EXPECT_EQ(ImageList_GetIcon(list.Get(), 9, 0), nullptr);
}

TEST_F(ImageListsTest, BackgroundFillsTheClearPartsUnlessTransparent)
{
    List list(16);
    ASSERT_EQ(list.Add(LeftHalf(16, Qt::white)), 0);
    EXPECT_EQ(ImageList_GetBkColor(list.Get()), CLR_NONE);
    EXPECT_EQ(qAlpha(win32::ImageListImage(list.Get(), 0, ILD_NORMAL).pixel(12, 8)), 0);

    EXPECT_EQ(ImageList_SetBkColor(list.Get(), 0x0000FF00), CLR_NONE) << "the previous colour comes back";
    EXPECT_EQ(ImageList_GetBkColor(list.Get()), 0x0000FF00u);
    const QImage normal = win32::ImageListImage(list.Get(), 0, ILD_NORMAL);
    EXPECT_EQ(At(normal, 12, 8), QColor(0, 255, 0));
    EXPECT_EQ(At(normal, 2, 8), QColor(Qt::white));
    EXPECT_EQ(qAlpha(win32::ImageListImage(list.Get(), 0, ILD_TRANSPARENT).pixel(12, 8)), 0);
    // A colour given for one drawing wins over the list's; CLR_NONE means clear.
    EXPECT_EQ(At(win32::ImageListImage(list.Get(), 0, ILD_NORMAL, CLR_DEFAULT, 0x000000FF), 12, 8),
              QColor(255, 0, 0));
    EXPECT_EQ(qAlpha(win32::ImageListImage(list.Get(), 0, ILD_NORMAL, CLR_DEFAULT, CLR_NONE).pixel(12, 8)),
              0);

    // The mask: black where the picture is, white where it is clear.
    const QImage mask = win32::ImageListImage(list.Get(), 0, ILD_MASK);
    EXPECT_EQ(At(mask, 2, 8), QColor(Qt::black));
    EXPECT_EQ(At(mask, 12, 8), QColor(Qt::white));
    EXPECT_EQ(ImageList_SetBkColor(list.Get(), CLR_NONE), 0x0000FF00u);
}

TEST_F(ImageListsTest, SelectedAndFocusedPicturesBlendWithTheHighlight)
{
    List list(16);
    ASSERT_EQ(list.Add(LeftHalf(16, Qt::white)), 0);
    const QImage selected = win32::ImageListImage(list.Get(), 0, ILD_SELECTED, 0x00FF0000);
    const QColor half = At(selected, 2, 2);
    EXPECT_NEAR(half.red(), 128, 1);
    EXPECT_NEAR(half.green(), 128, 1);
    EXPECT_EQ(half.blue(), 255);
    EXPECT_EQ(qAlpha(selected.pixel(12, 2)), 0) << "clear parts stay clear";
    const QColor quarter = At(win32::ImageListImage(list.Get(), 0, ILD_FOCUS, 0x00FF0000), 2, 2);
    EXPECT_NEAR(quarter.red(), 191, 1);
    const QColor highlight = At(win32::ImageListImage(list.Get(), 0, ILD_SELECTED), 2, 2);
    EXPECT_NEAR(highlight.red(), (255 + 0x0A) / 2, 1) << "the default highlight";
    EXPECT_NEAR(highlight.blue(), (255 + 0x6A) / 2, 1);
    EXPECT_EQ(At(win32::ImageListImage(list.Get(), 0, ILD_SELECTED, CLR_NONE), 2, 2), QColor(Qt::white));
}

TEST_F(ImageListsTest, ListsWithoutAMaskAreOpaque)
{
    List list(16, ILC_COLOR24);
    ASSERT_EQ(list.Add(LeftHalf(16, Qt::white)), 0);
    const QImage image = win32::ImageListImage(list.Get(), 0, ILD_TRANSPARENT);
    EXPECT_EQ(At(image, 12, 8), QColor(Qt::black));
    EXPECT_EQ(qAlpha(image.pixel(12, 8)), 255);
}

TEST_F(ImageListsTest, StaleAndPermanentLists)
{
    const HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 4);
    ASSERT_NE(list, nullptr);
    const Icon icon(Filled(16, Qt::red));
    ASSERT_EQ(ImageList_AddIcon(list, icon.Get()), 0);
    EXPECT_TRUE(ImageList_Destroy(list));

    int cx = 0, cy = 0;
    EXPECT_FALSE(ImageList_Destroy(list));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_EQ(ImageList_AddIcon(list, icon.Get()), -1);
    EXPECT_FALSE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_FALSE(ImageList_Remove(list, -1));
    EXPECT_FALSE(ImageList_SetImageCount(list, 2));
    EXPECT_FALSE(ImageList_SetOverlayImage(list, 0, 1));
    EXPECT_EQ(ImageList_SetBkColor(list, 0), CLR_NONE);
    EXPECT_TRUE(win32::ImageListImage(list, 0, ILD_NORMAL).isNull());
    EXPECT_EQ(ImageList_GetIcon(list, 0, 0), nullptr);
    EXPECT_EQ(ImageList_GetImageCount(nullptr), 0);

    // A list that others share is never destroyed.
    List shared(16);
    ASSERT_TRUE(win32::MakeImageListPermanent(shared.Get()));
    EXPECT_FALSE(ImageList_Destroy(shared.Get()));
    EXPECT_EQ(ImageList_AddIcon(shared.Get(), icon.Get()), 0) << "still there";
}

// ---- Bitmaps and device contexts through the hooks ----

std::map<HBITMAP, QImage>& Bitmaps()
{
    static std::map<HBITMAP, QImage> bitmaps;
    return bitmaps;
}

std::optional<QImage> ResolveBitmap(HBITMAP bitmap)
{
    const auto it = Bitmaps().find(bitmap);
    if (it == Bitmaps().end())
        return std::nullopt;
    return it->second;
}

struct Drawn {
    HDC dc = nullptr;
    int x = 0, y = 0;
    QImage image;
};
Drawn g_drawn;

bool PaintInto(HDC dc, int x, int y, const QImage& image)
{
    g_drawn = {dc, x, y, image};
    return true;
}

HBITMAP FakeBitmap(std::uintptr_t value)
{
    return reinterpret_cast<HBITMAP>(value);
}

TEST_F(ImageListsTest, BitmapStripsAddThroughTheResolver)
{
    List list(8);
    QImage strip(24, 8, QImage::Format_ARGB32);
    strip.fill(QColor(255, 0, 255)); // the mask colour
    QPainter(&strip).fillRect(0, 0, 4, 8, Qt::red);
    QPainter(&strip).fillRect(8, 0, 8, 4, Qt::green);
    QImage mask(24, 8, QImage::Format_ARGB32);
    mask.fill(Qt::black);
    QPainter(&mask).fillRect(16, 0, 8, 8, Qt::white);
    Bitmaps()[FakeBitmap(0x1001)] = strip;
    Bitmaps()[FakeBitmap(0x1002)] = mask;

    EXPECT_EQ(ImageList_AddMasked(list.Get(), FakeBitmap(0x1001), 0x00FF00FF), -1) << "no resolver yet";
    win32::SetBitmapImageResolver(&ResolveBitmap);
    EXPECT_EQ(ImageList_AddMasked(list.Get(), FakeBitmap(0x1001), 0x00FF00FF), 0);
    EXPECT_EQ(ImageList_GetImageCount(list.Get()), 3) << "as many pictures as the strip holds";
    const QImage first = win32::ImageListImage(list.Get(), 0, ILD_TRANSPARENT);
    EXPECT_EQ(At(first, 1, 1), QColor(Qt::red));
    EXPECT_EQ(qAlpha(first.pixel(6, 1)), 0) << "the mask colour is clear";
    EXPECT_EQ(At(win32::ImageListImage(list.Get(), 1, ILD_TRANSPARENT), 1, 1), QColor(Qt::green));

    EXPECT_EQ(ImageList_Add(list.Get(), FakeBitmap(0x1001), FakeBitmap(0x1002)), 3);
    EXPECT_EQ(ImageList_GetImageCount(list.Get()), 6);
    EXPECT_EQ(At(win32::ImageListImage(list.Get(), 3, ILD_TRANSPARENT), 6, 1), QColor(255, 0, 255))
        << "with a mask bitmap the colour stays";
    EXPECT_EQ(qAlpha(win32::ImageListImage(list.Get(), 5, ILD_TRANSPARENT).pixel(1, 1)), 0)
        << "white in the mask is clear";
    EXPECT_EQ(ImageList_Add(list.Get(), FakeBitmap(0x9999), nullptr), -1) << "an unknown bitmap";
    win32::SetBitmapImageResolver(nullptr);
    Bitmaps().clear();
}

TEST_F(ImageListsTest, DrawingGoesThroughTheDeviceContextPainter)
{
    List list(16);
    ASSERT_EQ(list.Add(LeftHalf(16, Qt::white)), 0);
    const HDC dc = reinterpret_cast<HDC>(std::uintptr_t{0x77});
    EXPECT_FALSE(ImageList_Draw(list.Get(), 0, dc, 1, 2, ILD_NORMAL)) << "no painter yet";
    win32::SetImageListPainter(&PaintInto);
    ASSERT_TRUE(ImageList_Draw(list.Get(), 0, dc, 5, 6, ILD_SELECTED));
    EXPECT_EQ(g_drawn.dc, dc);
    EXPECT_EQ(g_drawn.x, 5);
    EXPECT_EQ(g_drawn.y, 6);
    EXPECT_EQ(g_drawn.image, win32::ImageListImage(list.Get(), 0, ILD_SELECTED));
    ASSERT_TRUE(ImageList_DrawEx(list.Get(), 0, dc, 0, 0, 4, 3, 0x000000FF, CLR_NONE, ILD_NORMAL));
    EXPECT_EQ(g_drawn.image.size(), QSize(4, 3));
    ASSERT_TRUE(ImageList_DrawEx(list.Get(), 0, dc, 0, 0, 0, 0, 0x000000FF, CLR_NONE, ILD_NORMAL));
    EXPECT_EQ(At(g_drawn.image, 12, 1), QColor(Qt::red)) << "the background given";
    EXPECT_FALSE(ImageList_Draw(list.Get(), 1, dc, 0, 0, ILD_NORMAL));
    EXPECT_FALSE(ImageList_Draw(list.Get(), 0, nullptr, 0, 0, ILD_NORMAL));
    win32::SetImageListPainter(nullptr);
    g_drawn = {};
}

} // namespace
