#include "win32/Icons.h"
#include "PlatformFixture.h"
#include "TestSupport.h"
#include "win32/Errors.h"
#include "win32/Modules.h"

#include <QImage>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

using IconsTest = PlatformFixture;

QImage ImageOf(HICON icon)
{
    const std::optional<QImage> image = win32::IconImage(icon);
    return image ? *image : QImage();
}

// How many pixels of the rectangle are not clear.
int OpaqueIn(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += qAlpha(image.pixel(x, y)) != 0;
    return count;
}

QImage SolidSquare(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(QColor(200, 10, 10));
    return image;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

QImage DrawnLogo(int size)
{
    return SolidSquare(size);
}

TEST_F(IconsTest, SharedIconsAreOnePerResourceAndSizeAndSurviveDestroy)
{
    const std::size_t liveBefore = win32::LiveIconCount();
    const HMODULE shell = LoadLibraryA("shell32.dll");
    ASSERT_NE(shell, nullptr);

    const auto load = [&](LPCSTR name, int size, UINT flags) {
        return static_cast<HICON>(LoadImageA(shell, name, IMAGE_ICON, size, size, flags));
    };
    const HICON shared16 = load(MAKEINTRESOURCEA(29), 16, LR_SHARED);
    ASSERT_NE(shared16, nullptr);
    EXPECT_EQ(load(MAKEINTRESOURCEA(29), 16, LR_SHARED), shared16);
    EXPECT_EQ(load("#29", 16, LR_SHARED), shared16) << "\"#29\" names resource 29";
    const HICON shared32 = load(MAKEINTRESOURCEA(29), 32, LR_SHARED);
    EXPECT_NE(shared32, shared16);
    EXPECT_EQ(ImageOf(shared16).size(), QSize(16, 16));
    EXPECT_EQ(ImageOf(shared32).size(), QSize(32, 32));

    // Destroying a shared icon is harmless: it stays, and comes back again.
    EXPECT_TRUE(DestroyIcon(shared16));
    EXPECT_TRUE(win32::IsIcon(shared16));
    EXPECT_EQ(load(MAKEINTRESOURCEA(29), 16, LR_SHARED), shared16);

    // Icons that are not shared are new each time and die with DestroyIcon.
    const HICON own = load(MAKEINTRESOURCEA(29), 16, 0);
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, shared16);
    EXPECT_EQ(ImageOf(own), ImageOf(shared16));
    const HICON copy = CopyIcon(shared16);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(ImageOf(copy), ImageOf(shared16));
    EXPECT_TRUE(DestroyIcon(own));
    EXPECT_TRUE(DestroyIcon(copy));
    EXPECT_FALSE(win32::IsIcon(own));
    SetLastError(0);
    EXPECT_FALSE(DestroyIcon(own));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_CURSOR_HANDLE);
    EXPECT_EQ(CopyIcon(own), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_CURSOR_HANDLE);
    EXPECT_FALSE(win32::IconImage(own));

    // What failed to load left nothing behind; the shared ones stay for good.
    EXPECT_LE(win32::LiveIconCount(), liveBefore + 2);
    FreeLibrary(shell);
}

TEST_F(IconsTest, LoadImageFailsCleanlyForWhatItCannotServe)
{
    const HMODULE shell = LoadLibraryA("shell32");
    ASSERT_NE(shell, nullptr);
    SetLastError(0);
    EXPECT_EQ(LoadImageA(shell, MAKEINTRESOURCEA(9999), IMAGE_ICON, 16, 16, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(LoadImageA(shell, MAKEINTRESOURCEA(29), IMAGE_BITMAP, 16, 16, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_EQ(LoadImageA(shell, nullptr, IMAGE_ICON, 16, 16, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(LoadImageA(shell, MAKEINTRESOURCEA(29), IMAGE_ICON, -1, 16, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(LoadImageA(shell, MAKEINTRESOURCEA(29), IMAGE_ICON, 100000, 100000, 0), nullptr)
        << "a size past reason is refused, not drawn";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    // Another module has no overlay icons.
    const HMODULE comctl = LoadLibraryA("comctl32");
    EXPECT_EQ(LoadImageA(comctl, MAKEINTRESOURCEA(29), IMAGE_ICON, 16, 16, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    FreeLibrary(comctl);
    // A module that is no longer loaded.
    FreeLibrary(shell);
    EXPECT_EQ(LoadImageA(shell, MAKEINTRESOURCEA(29), IMAGE_ICON, 16, 16, LR_SHARED), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(IconsTest, OverlayIconsLieAtTheBottomLeftAndLeaveTheRestClear)
{
    for (const int id : {29, 30}) {
        for (const int size : {16, 32}) {
            const std::optional<QImage> image = win32::ModuleIconImage("shell32.dll", id, size);
            ASSERT_TRUE(image) << id;
            ASSERT_EQ(image->size(), QSize(size, size));
            const int half = size / 2;
            EXPECT_GT(OpaqueIn(*image, QRect(0, half, half, half)), size * size / 16)
                << "icon " << id << " at " << size << " shows at the bottom-left";
            EXPECT_EQ(OpaqueIn(*image, QRect(0, 0, size, size / 4)), 0) << "the top stays clear";
            EXPECT_EQ(OpaqueIn(*image, QRect(size * 7 / 8, 0, size / 8, size / 2)), 0)
                << "the right stays clear";
            // Something light (the box, the hand) against something dark (edges).
            bool light = false, dark = false;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const QRgb p = image->pixel(x, y);
                    if (qAlpha(p) == 255 && qGray(p) > 200)
                        light = true;
                    if (qAlpha(p) == 255 && qGray(p) < 50)
                        dark = true;
                }
            EXPECT_TRUE(light && dark) << id << "@" << size;
        }
    }
    // The two are different pictures, and a size in between is served too.
    EXPECT_NE(*win32::ModuleIconImage("shell32.dll", 29, 16), *win32::ModuleIconImage("shell32.dll", 30, 16));
    EXPECT_EQ(win32::ModuleIconImage("SHELL32", 30, 24)->size(), QSize(24, 24));
    EXPECT_FALSE(win32::ModuleIconImage("shell32.dll", 31, 16));
    EXPECT_FALSE(win32::ModuleIconImage("shell32.dll", 29, 0));
}

TEST_F(IconsTest, SystemIconsLoadWithoutAModule)
{
    const HICON error = LoadIconA(nullptr, IDI_ERROR);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), error);
    const QImage image = ImageOf(error);
    ASSERT_EQ(image.size(), QSize(32, 32));
    const QColor centre = QColor::fromRgba(image.pixel(8, 16));
    EXPECT_GT(centre.red(), 150);
    EXPECT_LT(centre.green(), 80);
    for (LPCSTR id : {IDI_APPLICATION, IDI_QUESTION, IDI_WARNING, IDI_INFORMATION, IDI_WINLOGO})
        EXPECT_NE(LoadIconA(nullptr, id), nullptr);
    EXPECT_NE(ImageOf(LoadIconA(nullptr, IDI_QUESTION)), ImageOf(LoadIconA(nullptr, IDI_INFORMATION)));
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(100)), nullptr);
}

TEST_F(IconsTest, ModulesGetIconsByNumberAndByName)
{
    win32::testing::RegisterModule("iconsmod.dll", std::nullopt, {});
    win32::AddModuleIcon("IconsMod", 7, &DrawnLogo);
    win32::AddModuleIcon("iconsmod.dll", "Logo", &DrawnLogo);
    const HMODULE module = LoadLibraryA("iconsmod");
    ASSERT_NE(module, nullptr);
    const HICON byNumber = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(7), IMAGE_ICON, 0, 0, 0));
    ASSERT_NE(byNumber, nullptr);
    EXPECT_EQ(ImageOf(byNumber).size(), QSize(32, 32)) << "no size: the resource's own";
    const HICON byName = static_cast<HICON>(LoadImageA(module, "LOGO", IMAGE_ICON, 20, 12, 0));
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(ImageOf(byName).size(), QSize(20, 12));
    EXPECT_EQ(LoadIconA(module, "logo"), LoadIconA(module, "LoGo")) << "names ignore case";
    EXPECT_EQ(LoadImageA(module, "other", IMAGE_ICON, 16, 16, 0), nullptr);
    DestroyIcon(byNumber);
    DestroyIcon(byName);
    FreeLibrary(module);
}

TEST_F(IconsTest, IconsLoadFromFilesAndIconsMadeFromPictures)
{
    kwtest::TempDir dir;
    const std::string path = dir / "picture.png";
    ASSERT_TRUE(SolidSquare(48).save(QString::fromStdString(path)));
    const HICON loaded =
        static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE));
    ASSERT_NE(loaded, nullptr);
    const QImage image = ImageOf(loaded);
    EXPECT_EQ(image.size(), QSize(16, 16));
    EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(QColor::fromRgba(image.pixel(8, 8)).red(), 200);
    DestroyIcon(loaded);
    const std::string missing = dir / "missing.png";
    SetLastError(0);
    EXPECT_EQ(LoadImageA(nullptr, missing.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    // Names are bytes: one that is no UTF-8 loads as well, and failures say why.
    const std::string foreign = dir / "pic\xFF\xFEture.png";
    ASSERT_TRUE(SolidSquare(24).save(QString::fromStdString(path + ".tmp"), "PNG"));
    ASSERT_EQ(std::rename((path + ".tmp").c_str(), foreign.c_str()), 0);
    std::ofstream(dir / "notes.png") << "no picture here";
    std::ofstream(dir / "picture") << ReadBytes(path); // no suffix: told by its content
    const struct {
        std::string file;
        int side; // of the picture loaded, or 0 for a failure
        DWORD error;
    } cases[] = {
        {foreign, 16, ERROR_SUCCESS},
        {dir / "picture", 16, ERROR_SUCCESS},
        {dir / "notes.png", 0, ERROR_INVALID_DATA},
        {dir / "missing.png", 0, ERROR_FILE_NOT_FOUND},
        {dir / "missing/picture.png", 0, ERROR_PATH_NOT_FOUND},
        {dir.Path(), 0, ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        SetLastError(ERROR_SUCCESS);
        const auto icon =
            static_cast<HICON>(LoadImageA(nullptr, c.file.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE));
        EXPECT_EQ(icon != nullptr, c.side != 0) << c.file;
        EXPECT_EQ(GetLastError(), c.error) << c.file;
        if (icon) {
            EXPECT_EQ(ImageOf(icon).size(), QSize(c.side, c.side)) << c.file;
            EXPECT_EQ(QColor::fromRgba(ImageOf(icon).pixel(4, 4)).red(), 200) << c.file;
            EXPECT_TRUE(DestroyIcon(icon));
        }
    }

    const HICON made = win32::CreateIconFromImage(SolidSquare(10));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(ImageOf(made).size(), QSize(10, 10));
    EXPECT_TRUE(DestroyIcon(made));
    EXPECT_EQ(win32::CreateIconFromImage(QImage()), nullptr);
}

} // namespace
