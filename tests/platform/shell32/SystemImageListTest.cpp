#include "shell32/SystemImageList.h"
#include "ShellTestHelpers.h"
#include "shell32/FileInfo.h"
#include "shell32/IconTesting.h"
#include "shell32/IconTheme.h"
#include "win32/Icons.h"
#include "win32/ImageLists.h"

#include <QImage>

#include <filesystem>
#include <latch>
#include <thread>
#include <vector>

namespace {

class SystemImageListTest : public ::testing::Test {
protected:
    void SetUp() override { shell32::testing::ResetSystemImageLists(); }
    void TearDown() override { shell32::testing::ResetIconTheme(); }
};

bool AdwaitaInstalled()
{
    return std::filesystem::exists("/usr/share/icons/Adwaita/index.theme");
}

QImage Picture(bool small, int index)
{
    return win32::ImageListImage(shell32::SystemImageList(small), index, ILD_TRANSPARENT);
}

TEST_F(SystemImageListTest, TheListsAreSharedNeverDestroyedAndStartWithTheReservedPicture)
{
    const HIMAGELIST small = shell32::SystemImageList(true);
    const HIMAGELIST large = shell32::SystemImageList(false);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    EXPECT_NE(small, large);
    EXPECT_EQ(shell32::SystemImageList(true), small);
    EXPECT_FALSE(ImageList_Destroy(small));
    EXPECT_FALSE(ImageList_Destroy(large));
    EXPECT_EQ(ImageList_GetImageCount(small), 1) << "picture 0, reserved";
    EXPECT_EQ(ImageList_GetImageCount(large), 1);
    // Picture 0 is clear: an item not looked up yet shows nothing.
    const QImage reserved = Picture(true, 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(qAlpha(reserved.pixel(x, y)), 0);
}

TEST_F(SystemImageListTest, IconsKeepOneIndexAndTheListsStayInStep)
{
    shell32::testing::SetIconTheme("none");
    const shell32::IconRequest folder{{"folder"}, shell32::BuiltInIcon::Folder};
    const shell32::IconRequest computer{{"computer"}, shell32::BuiltInIcon::Computer};
    const int first = shell32::SystemIconIndex(folder);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(shell32::SystemIconIndex(folder), first);
    EXPECT_EQ(Picture(true, first), shell32::DrawBuiltInIcon(shell32::BuiltInIcon::Folder, 16));
    EXPECT_EQ(Picture(false, first), shell32::DrawBuiltInIcon(shell32::BuiltInIcon::Folder, 32));

    // Someone adds to the small list only (as the overlay set-up does to each
    // list in turn): the next icon still gets one index in both.
    const HICON extra = win32::CreateIconFromImage(shell32::DrawBuiltInIcon(shell32::BuiltInIcon::Home, 16));
    EXPECT_EQ(ImageList_AddIcon(shell32::SystemImageList(true), extra), 2);
    DestroyIcon(extra);
    const int next = shell32::SystemIconIndex(computer);
    EXPECT_EQ(next, 3);
    EXPECT_EQ(ImageList_GetImageCount(shell32::SystemImageList(true)), 4);
    EXPECT_EQ(ImageList_GetImageCount(shell32::SystemImageList(false)), 4);
    EXPECT_EQ(Picture(false, next), shell32::DrawBuiltInIcon(shell32::BuiltInIcon::Computer, 32));

    // Reset: the same handles, back to the reserved picture alone.
    const HIMAGELIST small = shell32::SystemImageList(true);
    ImageList_SetBkColor(small, 0x00FFFFFF);
    shell32::testing::ResetSystemImageLists();
    EXPECT_EQ(shell32::SystemImageList(true), small);
    EXPECT_EQ(ImageList_GetImageCount(small), 1);
    EXPECT_EQ(ImageList_GetBkColor(small), CLR_NONE);
    EXPECT_EQ(shell32::SystemIconIndex(computer), 1);
}

TEST_F(SystemImageListTest, AddingToTheListsMeanwhileCutsNothingAway)
{
    // One thread adds pictures of its own to the small list, as the overlay
    // set-up does, while another asks for icons: neither loses anything.
    shell32::testing::SetIconTheme("none");
    const HIMAGELIST small = shell32::SystemImageList(true);
    const HIMAGELIST large = shell32::SystemImageList(false);
    QImage red(16, 16, QImage::Format_ARGB32_Premultiplied);
    red.fill(Qt::red);
    const HICON mine = win32::CreateIconFromImage(red);
    const int firstIcon = static_cast<int>(shell32::BuiltInIcon::Folder);
    const int lastIcon = static_cast<int>(shell32::BuiltInIcon::Home);
    for (int round = 0; round < 10; ++round) {
        shell32::testing::ResetSystemImageLists();
        std::vector<int> added;
        std::vector<int> given;
        std::latch start(2);
        std::thread adder([&] {
            start.arrive_and_wait();
            for (int i = 0; i < 40; ++i) {
                const int index = ImageList_AddIcon(small, mine);
                added.push_back(index);
                ImageList_SetOverlayImage(small, index, 1);
            }
        });
        std::thread asker([&] {
            start.arrive_and_wait();
            for (int i = firstIcon; i <= lastIcon; ++i)
                given.push_back(shell32::SystemIconIndex({{}, static_cast<shell32::BuiltInIcon>(i)}));
        });
        adder.join();
        asker.join();
        for (const int index : added) {
            ASSERT_GT(index, 0);
            EXPECT_EQ(Picture(true, index), red) << "round " << round << ", picture " << index;
        }
        EXPECT_EQ(win32::ImageListOverlayImage(small, 1), added.back()) << "round " << round;
        for (int i = firstIcon; i <= lastIcon; ++i) {
            const int index = given[static_cast<std::size_t>(i - firstIcon)];
            ASSERT_GT(index, 0) << "round " << round;
            const auto icon = static_cast<shell32::BuiltInIcon>(i);
            EXPECT_EQ(Picture(true, index), shell32::DrawBuiltInIcon(icon, 16)) << "round " << round;
            EXPECT_EQ(Picture(false, index), shell32::DrawBuiltInIcon(icon, 32)) << "round " << round;
        }
        EXPECT_LE(ImageList_GetImageCount(large), ImageList_GetImageCount(small));
    }
    DestroyIcon(mine);
}

TEST_F(SystemImageListTest, TheThemeGivesItsPicturesAndTheNamesAskedForDecideTheIndex)
{
    if (!AdwaitaInstalled())
        GTEST_SKIP() << "no Adwaita icon theme";
    shell32::testing::SetIconTheme("Adwaita");
    EXPECT_EQ(shell32::ResolveThemeIcon({"no-such-icon-name", "folder"}), "folder");
    EXPECT_FALSE(shell32::ResolveThemeIcon({"no-such-icon-name"}));

    const int folder = shell32::SystemIconIndex({{"folder"}, shell32::BuiltInIcon::Folder});
    EXPECT_EQ(Picture(true, folder), shell32::RenderThemeIcon("folder", 16));
    EXPECT_EQ(Picture(false, folder), shell32::RenderThemeIcon("folder", 32));
    EXPECT_NE(Picture(true, folder), shell32::DrawBuiltInIcon(shell32::BuiltInIcon::Folder, 16));
    // An icon is known by the names it asks for: another request that the
    // theme answers with the same name is another icon with that picture.
    const int other =
        shell32::SystemIconIndex({{"text-x-csrc-no-such", "folder"}, shell32::BuiltInIcon::Text});
    EXPECT_NE(other, folder);
    EXPECT_EQ(Picture(true, other), shell32::RenderThemeIcon("folder", 16));
    // A name the theme lacks falls back to the built-in picture.
    const int missing = shell32::SystemIconIndex({{"no-such-icon-name"}, shell32::BuiltInIcon::DriveRam});
    EXPECT_NE(missing, folder);
    EXPECT_EQ(Picture(true, missing), shell32::DrawBuiltInIcon(shell32::BuiltInIcon::DriveRam, 16));

    // A theme that is not installed draws everything itself.
    shell32::testing::SetIconTheme("NoSuchTheme");
    EXPECT_FALSE(shell32::ResolveThemeIcon({"folder"}));
    const int drawn = shell32::SystemIconIndex({{"folder"}, shell32::BuiltInIcon::Folder});
    EXPECT_EQ(Picture(true, drawn), shell32::DrawBuiltInIcon(shell32::BuiltInIcon::Folder, 16));
}

TEST_F(SystemImageListTest, BuiltInPicturesAreDistinctAndFillTheirSquare)
{
    std::vector<QImage> seen;
    for (int i = static_cast<int>(shell32::BuiltInIcon::Folder);
         i <= static_cast<int>(shell32::BuiltInIcon::Home); ++i) {
        const auto icon = static_cast<shell32::BuiltInIcon>(i);
        for (const int size : {16, 32}) {
            const QImage image = shell32::DrawBuiltInIcon(icon, size);
            ASSERT_EQ(image.size(), QSize(size, size)) << shell32::BuiltInIconName(icon);
            int opaque = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    opaque += qAlpha(image.pixel(x, y)) > 128;
            EXPECT_GT(opaque, size * size / 5) << shell32::BuiltInIconName(icon) << " is big enough to see";
            EXPECT_LT(opaque, size * size) << shell32::BuiltInIconName(icon) << " is not a plain square";
        }
        const QImage small = shell32::DrawBuiltInIcon(icon, 16);
        for (const QImage& other : seen)
            EXPECT_NE(small, other) << shell32::BuiltInIconName(icon);
        seen.push_back(small);
    }
    EXPECT_TRUE(shell32::DrawBuiltInIcon(shell32::BuiltInIcon::Folder, 0).isNull());
}

TEST_F(SystemImageListTest, AnIconHasOneIndexWhicheverThreadAsksFirst)
{
    if (!AdwaitaInstalled())
        GTEST_SKIP() << "no Adwaita icon theme";
    shell32::testing::SetIconTheme("Adwaita");
    const shell32::IconRequest icons[] = {
        {{"folder"}, shell32::BuiltInIcon::Folder},
        {{"no-such-icon-name", "user-trash"}, shell32::BuiltInIcon::TrashEmpty},
        {{"no-such-icon-name"}, shell32::BuiltInIcon::DriveRam},
        {{}, shell32::BuiltInIcon::Printers},
    };
    const std::size_t count = std::size(icons);
    // A worker asks first: the theme is not read there, so it sees built-in
    // pictures for now.
    std::vector<int> onWorker(count);
    std::vector<QImage> workerPictures(count);
    std::thread worker([&] {
        for (std::size_t i = 0; i < count; ++i) {
            onWorker[i] = shell32::SystemIconIndex(icons[i]);
            workerPictures[i] = Picture(true, onWorker[i]);
        }
    });
    worker.join();
    const int pictures = ImageList_GetImageCount(shell32::SystemImageList(true));
    for (std::size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        ASSERT_GT(onWorker[i], 0);
        EXPECT_EQ(workerPictures[i], shell32::DrawBuiltInIcon(icons[i].fallback, 16));
        // The GUI thread gets the same index, and the theme's picture is there now.
        EXPECT_EQ(shell32::SystemIconIndex(icons[i]), onWorker[i]);
        const std::optional<std::string> themed = shell32::ResolveThemeIcon(icons[i].themeNames);
        for (const bool small : {true, false}) {
            const int size = small ? 16 : 32;
            EXPECT_EQ(Picture(small, onWorker[i]), themed
                                                       ? shell32::RenderThemeIcon(*themed, size)
                                                       : shell32::DrawBuiltInIcon(icons[i].fallback, size));
        }
    }
    EXPECT_EQ(ImageList_GetImageCount(shell32::SystemImageList(true)), pictures) << "no second entry";
    EXPECT_TRUE(shell32::ResolveThemeIcon(icons[0].themeNames)) << "the theme has a folder";

    // Asked on the GUI thread first, a worker gets the same index too.
    const shell32::IconRequest computer{{"computer"}, shell32::BuiltInIcon::Computer};
    const int onGui = shell32::SystemIconIndex(computer);
    int later = 0;
    std::thread([&] { later = shell32::SystemIconIndex(computer); }).join();
    EXPECT_EQ(later, onGui);

    // A file's icon through the file information, a worker first.
    const auto indexOf = [](const char* name) {
        SHFILEINFOA info{};
        SHGetFileInfoA(name, 0, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON);
        return info.iIcon;
    };
    int fileOnWorker = 0;
    std::thread([&] { fileOnWorker = indexOf("notes.odt"); }).join();
    EXPECT_GT(fileOnWorker, 0);
    EXPECT_EQ(indexOf("notes.odt"), fileOnWorker);
}

} // namespace
