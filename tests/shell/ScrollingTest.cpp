// The shared scroll steps on a real list view: a step only where the bar
// has room, the wheel's lines, page and sideways step, and whether a folder
// lies on a network file system by its mount.

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "ShellControlsTestSupport.h"
#include "ShellViewTestSupport.h"

#include "UKwShellControls.h"
#include "UKwTreeList.h"
#include "win32/MountTesting.h"
#include "win32/ScrollBars.h"
#include "win32/SystemSettings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;
using kwtest::Pump;

class TPlainList : public kw::TKwCustomListView {
public:
    using TKwCustomListView::TKwCustomListView;
};

using kwtest::ScrollInfoOf;

struct ListOnForm {
    kwtest::TestForm Form{300, 200};
    TPlainList* List = vcl::Create<TPlainList>(Form.Get());
    ListOnForm(vcl::TViewStyle style, int items)
    {
        List->SetParent(Form.Get());
        List->SetBounds(0, 0, 300, 200);
        List->SetViewStyle(style);
        if (style == vcl::vsReport)
            List->Columns()->Add()->SetWidth(200);
        for (int i = 0; i < items; ++i)
            List->Items()->Add()->SetCaption("item number " + std::to_string(i));
        Pump();
    }
};

struct WheelLines {
    UINT Before = 3;
    WheelLines() { SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &Before, 0); }
    ~WheelLines() { SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, Before, nullptr, 0); }
};

TEST(ScrollSteps, StepOnlyWhereTheBarHasRoomAndTheWheelTakesLinesPagesOrOneSidewaysStep)
{
    const WheelLines restore;
    struct Case {
        const char* Name;
        vcl::TViewStyle Style;
        int Items;
        int Bar;
        UINT Lines;   // 0: one ScrollOneStep, else a wheel notch with these lines
        int Expected; // position moved; -1: one page
    };
    const Case cases[] = {
        {"one line step down", vcl::vsReport, 100, SB_VERT, 0, 1},
        {"all fits: no step", vcl::vsReport, 3, SB_VERT, 0, 0},
        {"a notch of three lines", vcl::vsReport, 100, SB_VERT, 3, 3},
        {"a notch of five lines", vcl::vsReport, 100, SB_VERT, 5, 5},
        {"a notch by pages", vcl::vsReport, 100, SB_VERT, WHEEL_PAGESCROLL, -1},
        {"sideways: one step whatever the lines", vcl::vsList, 200, SB_HORZ, 3, 1},
        {"sideways, all fits: no step", vcl::vsList, 2, SB_HORZ, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ListOnForm f(c.Style, c.Items);
        const SCROLLINFO before = ScrollInfoOf(f.List, c.Bar);
        if (c.Lines == 0) {
            kw::ScrollOneStep(f.List, c.Bar, SB_LINEDOWN);
        } else {
            SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, c.Lines, nullptr, 0);
            EXPECT_TRUE(kw::WheelScroll(f.List, c.Bar, SB_LINEDOWN, SB_PAGEDOWN));
        }
        Pump();
        const SCROLLINFO after = ScrollInfoOf(f.List, c.Bar);
        const int expected = c.Expected == -1 ? static_cast<int>(before.nPage) : c.Expected;
        if (c.Style == vcl::vsList && c.Expected > 0)
            EXPECT_GT(after.nPos, before.nPos); // a column of items, however wide
        else
            EXPECT_EQ(after.nPos - before.nPos, expected);
    }
    // No window, no control: nothing, no failure.
    kw::ScrollOneStep(nullptr, SB_VERT, SB_LINEDOWN);
    EXPECT_TRUE(kw::WheelScroll(nullptr, SB_VERT, SB_LINEDOWN, SB_PAGEDOWN));
}

TEST(IsFolderNetworkShare, TheFoldersMountTypeDecides)
{
    const kwtest::TempDir temp;
    const fs::path folder = temp / "share";
    fs::create_directories(folder);
    std::unique_ptr<char, decltype(&std::free)> real{realpath(folder.c_str(), nullptr), &std::free};
    ASSERT_TRUE(real);
    const std::string mountPoint = real.get();
    struct Case {
        const char* Name;
        const char* FsType;
        std::string Path; // empty: a virtual folder
        bool Expected;
    };
    const Case cases[] = {
        {"NFS", "nfs4", mountPoint, true},
        {"SMB", "cifs", mountPoint, true},
        {"sshfs", "fuse.sshfs", mountPoint, true},
        {"a local disk", "ext4", mountPoint, false},
        {"two backslashes are no network on this system", "ext4", "//server/share", false},
        {"a virtual folder", "nfs4", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string table = "20 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                  "30 20 0:50 / " +
                                  mountPoint + " rw - " + c.FsType + " server:/export rw\n";
        win32::testing::ScopedMountSource use(std::make_shared<win32::testing::TextMountSource>(table));
        kw::TKwShellLocator locator;
        if (c.Path.empty())
            locator.SetCSIDL(kw::csidlDrives);
        else
            locator.SetPathName(c.Path);
        EXPECT_EQ(kw::IsFolderNetworkShare(&locator), c.Expected);
    }
    EXPECT_FALSE(kw::IsFolderNetworkShare(nullptr));
    // A table that cannot be read: not a network folder.
    auto failing = std::make_shared<win32::testing::TextMountSource>("");
    failing->SetReadError(EACCES);
    win32::testing::ScopedMountSource use(failing);
    kw::TKwShellLocator locator;
    locator.SetPathName(mountPoint);
    EXPECT_FALSE(kw::IsFolderNetworkShare(&locator));
}

} // namespace
