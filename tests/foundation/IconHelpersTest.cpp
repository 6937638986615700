// Icon indexes of items, paths, file types and special folders, and the
// system image lists with the shell's overlays, under several identities and
// with the icon theme and without it.

#include "FoundationUnitsFixture.h"
#include "IdListTestSupport.h"
#include "TestSupport.h"

#include "UKwFoundationTesting.h"
#include "UKwShellUtils.h"

#include "shell32/FileInfo.h"
#include "shell32/IconTesting.h"
#include "shell32/ShellTesting.h"
#include "vcl/core/Exceptions.h"
#include "win32/Icons.h"
#include "win32/ImageLists.h"

#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <latch>
#include <optional>
#include <thread>
#include <vector>

using namespace kw;
using kwtest::OwnedList;

namespace {

class IconHelpersTest : public kwtest::FoundationUnits, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        FoundationUnits::SetUp();
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            const char* value = std::getenv(name);
            Saved_.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
        }
        Home_ = std::filesystem::canonical(Root_.Path()).string();
        setenv("HOME", Home_.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
        std::filesystem::create_directories(Home_ + "/Desktop");
        shell32::testing::ResetCachedLocations();
        shell32::testing::SetIconTheme(GetParam()); // empties the lists too
        kw::testing::ResetSystemImageListOverlays();
    }
    void TearDown() override
    {
        FoundationUnits::TearDown();
        shell32::testing::ResetIconTheme();
        kw::testing::ResetSystemImageListOverlays();
        for (const auto& [name, value] : Saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        shell32::testing::ResetCachedLocations();
    }

    std::string Home(const std::string& name) const { return Home_ + "/" + name; }

    static HIMAGELIST ListWithoutSetUp(UINT sizeFlag)
    {
        SHFILEINFOA info{};
        return reinterpret_cast<HIMAGELIST>(
            SHGetFileInfoA("/", 0, &info, sizeof info, SHGFI_SYSICONINDEX | sizeFlag));
    }

    struct Counts {
        int small;
        int large;
        bool operator==(const Counts&) const = default;
    };
    static Counts ImageCounts()
    {
        return {ImageList_GetImageCount(ListWithoutSetUp(SHGFI_SMALLICON)),
                ImageList_GetImageCount(ListWithoutSetUp(SHGFI_LARGEICON))};
    }

    static win32::PlatformIdentity WithCommonControls(DWORD ms)
    {
        win32::PlatformIdentity id = win32::testing::DefaultIdentity();
        id.commonControlsMS = ms;
        return id;
    }

private:
    kwtest::TempDir Root_;
    std::string Home_;
    std::vector<std::pair<std::string, std::optional<std::string>>> Saved_;
};

INSTANTIATE_TEST_SUITE_P(Themes, IconHelpersTest, ::testing::Values("Adwaita", "none"));

TEST_P(IconHelpersTest, OverlaysAreAddedOnceOnTheFirstCall)
{
    RestartUnder(win32::testing::DefaultIdentity());
    const Counts before = ImageCounts();
    const int shellReferences = win32::testing::ModuleReferenceCount("shell32.dll");
    const HIMAGELIST small = ShellGetSystemImageList(kwsizSmall);
    EXPECT_EQ(small, ListWithoutSetUp(SHGFI_SMALLICON));
    EXPECT_EQ(ImageCounts(), (Counts{before.small + 2, before.large + 2})) << "two per list, four in all";
    const HIMAGELIST large = ShellGetSystemImageList(kwsizLarge);
    EXPECT_EQ(large, ListWithoutSetUp(SHGFI_LARGEICON));
    ShellGetSystemImageList(kwsizSmall);
    EXPECT_EQ(ImageCounts(), (Counts{before.small + 2, before.large + 2})) << "never again";

    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(small, &cx, &cy));
    EXPECT_EQ(cx, 16);
    ASSERT_TRUE(ImageList_GetIconSize(large, &cx, &cy));
    EXPECT_EQ(cx, 32);

    // Overlay 1 is the share hand (icon 29), overlay 2 the link arrow (30).
    for (const auto& [list, size] : {std::pair{small, 16}, std::pair{large, 32}}) {
        const int share = win32::ImageListOverlayImage(list, 1);
        const int link = win32::ImageListOverlayImage(list, 2);
        ASSERT_GT(share, 0);
        ASSERT_GT(link, 0);
        EXPECT_EQ(win32::ImageListImage(list, share, ILD_TRANSPARENT),
                  *win32::ModuleIconImage("shell32.dll", 29, size));
        EXPECT_EQ(win32::ImageListImage(list, link, ILD_TRANSPARENT),
                  *win32::ModuleIconImage("shell32.dll", 30, size));
    }
    // Drawn over an item's icon, the arrow shows at the bottom-left.
    const int text = ShellGetIconIndexFromExt("notes.txt", SHGFI_SMALLICON);
    const QImage plain = win32::ImageListImage(small, text, ILD_TRANSPARENT);
    const QImage linked = win32::ImageListImage(small, text, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(2));
    EXPECT_NE(plain.pixel(2, 13), linked.pixel(2, 13));
    EXPECT_EQ(plain.pixel(14, 2), linked.pixel(14, 2));
    EXPECT_EQ(win32::testing::ModuleReferenceCount("shell32.dll"), shellReferences)
        << "the library was let go";
}

TEST_P(IconHelpersTest, OverlaysAreAddedOnceWhenThreadsAskTogether)
{
    RestartUnder(win32::testing::DefaultIdentity());
    constexpr int kThreads = 8;
    for (int round = 0; round < 5; ++round) {
        shell32::testing::ResetSystemImageLists();
        kw::testing::ResetSystemImageListOverlays();
        // Off the GUI thread the root's icon is the built-in one: count there
        // too, so that only the overlays make a difference.
        const auto countOffGuiThread = [] {
            Counts counts{};
            std::thread([&] { counts = ImageCounts(); }).join();
            return counts;
        };
        const Counts before = countOffGuiThread();
        std::latch start(kThreads);
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i) {
            threads.emplace_back([&, i] {
                start.arrive_and_wait();
                ShellGetSystemImageList(i % 2 ? kwsizSmall : kwsizLarge);
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        ASSERT_EQ(countOffGuiThread(), (Counts{before.small + 2, before.large + 2})) << "round " << round;
    }
}

TEST_P(IconHelpersTest, NoOverlaysOnOlderSystemsOrCommonControls)
{
    const auto addedUnder = [&](const win32::PlatformIdentity& identity) {
        shell32::testing::ResetSystemImageLists();
        kw::testing::ResetSystemImageListOverlays();
        RestartUnder(identity);
        const Counts before = ImageCounts();
        ShellGetSystemImageList(kwsizSmall);
        ShellGetSystemImageList(kwsizLarge);
        const Counts after = ImageCounts();
        return (after.small - before.small) + (after.large - before.large);
    };
    EXPECT_EQ(addedUnder(Windows95(1111)), 0) << "the 95 family";
    EXPECT_EQ(addedUnder(WithCommonControls(0x00040046)), 0) << "common controls 4.70";
    EXPECT_EQ(addedUnder(WithCommonControls(0x00040047)), 4) << "common controls 4.71";
    EXPECT_EQ(addedUnder(WindowsNT(4, 0, 1381)), 4) << "NT 4 with new common controls";
}

TEST_P(IconHelpersTest, OverlaySetUpIsTriedAgainWhenTheShellLibraryIsMissing)
{
    RestartUnder(win32::testing::DefaultIdentity());
    const Counts before = ImageCounts();
    win32::testing::UnregisterModule("shell32.dll");
    EXPECT_NE(ShellGetSystemImageList(kwsizSmall), nullptr) << "the list comes anyway";
    EXPECT_EQ(ImageCounts(), before);
    win32::testing::ResetModules();
    ShellGetSystemImageList(kwsizSmall);
    EXPECT_EQ(ImageCounts(), (Counts{before.small + 2, before.large + 2}));
}

TEST_P(IconHelpersTest, IndexesOfPathsTypesListsAndSpecialFolders)
{
    RestartUnder(win32::testing::DefaultIdentity());
    const std::string report = Home("report.txt");
    std::ofstream(report) << "words";

    const int byType = ShellGetIconIndexFromExt("/no/such/folder/report.txt", 0);
    EXPECT_GT(byType, 0);
    EXPECT_EQ(ShellGetIconIndexFromPath(report, 0), byType);
    EXPECT_EQ(ShellGetIconIndexFromExt(".txt", 0), byType) << "a bare extension is a name of the type";
    EXPECT_EQ(ShellGetIconIndexFromExt("report.txt", SHGFI_SMALLICON), byType);
    OwnedList pidl;
    ASSERT_EQ(ShellGetIdListFromPath(report, pidl.Out()), S_OK);
    EXPECT_EQ(ShellGetIconIndex(pidl.Get(), 0), byType);
    EXPECT_EQ(ShellGetIconIndex(pidl.Get(), SHGFI_SMALLICON), byType);

    // A folder's open icon differs from its closed one.
    const int closed = ShellGetIconIndexFromPath(Home(""), SHGFI_SMALLICON);
    const int open = ShellGetIconIndexFromPath(Home(""), SHGFI_SMALLICON | SHGFI_OPENICON);
    EXPECT_GT(closed, 0);
    EXPECT_GT(open, 0);
    EXPECT_NE(closed, open);

    // Special folders.
    const int computer = ShellGetSpecialFolderIconIndex(csidlDrives, SHGFI_SMALLICON);
    EXPECT_GT(computer, 0);
    OwnedList drives;
    ASSERT_EQ(ShellGetSpecialFolderIdList(nullptr, csidlDrives, drives.Out()), S_OK);
    EXPECT_EQ(ShellGetIconIndex(drives.Get(), SHGFI_SMALLICON), computer);
    EXPECT_GT(ShellGetSpecialFolderIconIndex(csidlDesktop, 0), 0);
    EXPECT_GT(ShellGetSpecialFolderIconIndex(csidlBitBucket, 0), 0);
    EXPECT_NE(ShellGetSpecialFolderIconIndex(csidlDesktop, 0), computer);
    try {
        ShellGetSpecialFolderIconIndex(csidlFavorites, 0);
        ADD_FAILURE() << "an unsupported special folder raises";
    } catch (const vcl::EOleSysError& e) {
        OwnedList none;
        EXPECT_EQ(e.ErrorCode(), ShellGetSpecialFolderIdList(nullptr, csidlFavorites, none.Out()));
        EXPECT_LT(e.ErrorCode(), 0);
    }

    // Failures give 0, the index no item has.
    EXPECT_EQ(ShellGetIconIndex(nullptr, 0), 0);
    EXPECT_EQ(ShellGetIconIndexFromPath(Home("missing/file.txt"), 0), 0);
    EXPECT_EQ(ShellGetIconIndexFromPath("", 0), 0);
}

// ---- A picture of the lists, to look at ----

struct Cell {
    int index;
    UINT flags;
};

QImage Strip(HIMAGELIST list, int size, const std::vector<Cell>& cells)
{
    const int pitch = size + 6;
    QImage strip(pitch * static_cast<int>(cells.size()) + 6, size + 12, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const QImage image = win32::ImageListImage(list, cells[i].index, cells[i].flags);
        painter.drawImage(6 + static_cast<int>(i) * pitch, 6, image);
    }
    return strip;
}

TEST_P(IconHelpersTest, PicturesOfTheSystemImageLists)
{
    RestartUnder(win32::testing::DefaultIdentity());
    std::filesystem::create_directories(Home("Folder"));
    const std::string theme = GetParam();
    for (const TKwShellIconSize size : {kwsizSmall, kwsizLarge}) {
        const UINT small = size == kwsizSmall ? SHGFI_SMALLICON : 0;
        const HIMAGELIST list = ShellGetSystemImageList(size);
        std::vector<Cell> cells;
        const auto add = [&](int index, UINT flags = ILD_TRANSPARENT) {
            EXPECT_GT(index, 0);
            cells.push_back({index, flags});
        };
        for (const TCSIDL folder :
             {csidlDesktop, csidlDrives, csidlNetwork, csidlBitBucket, csidlControls, csidlPrinters})
            add(ShellGetSpecialFolderIconIndex(folder, small));
        add(ShellGetIconIndexFromPath("/", small));
        add(ShellGetIconIndexFromPath(Home("Folder"), small));
        add(ShellGetIconIndexFromPath(Home("Folder"), small | SHGFI_OPENICON));
        for (const char* name :
             {"a.txt", "a.png", "a.mp3", "a.mp4", "a.zip", "a.exe", "a.pdf", "a.html", "a.unknownextension"})
            add(ShellGetIconIndexFromExt(name, small));
        const int folder = ShellGetIconIndexFromPath(Home("Folder"), small);
        const int text = ShellGetIconIndexFromExt("a.txt", small);
        add(folder, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(2));
        add(text, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(2));
        add(folder, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(1));
        add(folder, ILD_TRANSPARENT | ILD_SELECTED);
        add(win32::ImageListOverlayImage(list, 1));
        add(win32::ImageListOverlayImage(list, 2));

        const int pixels = size == kwsizSmall ? 16 : 32;
        const QImage strip = Strip(list, pixels, cells);
        const std::string stem = "system-imagelist-" +
                                 (theme == "none" ? std::string("none-") : std::string()) +
                                 std::to_string(pixels);
        EXPECT_TRUE(strip.save(QString::fromStdString(kwtest::OutputPath(stem + ".png"))));
        // Enlarged, for a person to judge the small pictures.
        EXPECT_TRUE(strip.scaled(strip.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                        .save(QString::fromStdString(kwtest::OutputPath(stem + "-x4.png"))));
    }
}

} // namespace
