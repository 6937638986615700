// The shell controls' unit starts after the foundation's units and stops
// before them, once each, with its steps in order: shortcut texts, the item
// id list format, the column-width stream, the explorer's widths, OLE; it
// frees the Send To list first when it stops.

#include "FoundationUnitsFixture.h"
#include "ShellControlsTestSupport.h"
#include "UKwShellControls.h"
#include "UKwShellControls_Startup_p.h"

#include "com/DragDrop.h"
#include "com/Initialization.h"
#include "vcl/core/Streams.h"
#include "win32/ClipboardFormats.h"

#include <string>
#include <vector>

namespace {

using ShellControlsStartup = kwtest::FoundationUnits;
using Events = std::vector<std::string>;

const Events ShellControlsStart = {
    "UKwShellControls shortcut texts", "UKwShellControls CF_IDLIST", "UKwShellControls column widths",
    "UKwShellControls DirectoryCols",  "UKwShellControls OLE",       "UKwShellControls start",
};
const Events ShellControlsStop = {
    "UKwShellControls stop",
    "UKwShellControls Send To list freed",
    "UKwShellControls column widths freed",
    "UKwShellControls OLE undone",
    "UKwShellControls shortcut texts released",
};

Events Joined(std::initializer_list<Events> parts)
{
    Events all;
    for (const Events& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_F(ShellControlsStartup, StartsAfterTheFoundationAndStopsBeforeIt)
{
    for (int round = 0; round < 2; ++round) {
        kw::testing::ClearUnitEvents();
        vcl::InitializeUnits();
        vcl::InitializeUnits();
        EXPECT_TRUE(vcl::UnitInitialized("UKwShellControls"));
        vcl::FinalizeUnits();
        vcl::FinalizeUnits();
        EXPECT_EQ(kw::testing::UnitEvents(), Joined({{"UKwShell95 start", "UKwShellUtils start"},
                                                     ShellControlsStart,
                                                     ShellControlsStop,
                                                     {"UKwShellUtils stop", "UKwShell95 stop"}}))
            << "round " << round;
    }

    // Called directly: a second start-up and a shut-down without start-up do nothing.
    kw::testing::ClearUnitEvents();
    kw::UKwShellControlsFinalization();
    kw::UKwShellControlsInitialization();
    kw::UKwShellControlsInitialization();
    kw::UKwShellControlsFinalization();
    kw::UKwShellControlsFinalization();
    EXPECT_EQ(kw::testing::UnitEvents(), Joined({ShellControlsStart, ShellControlsStop}));
}

TEST_F(ShellControlsStartup, RegistersTheItemIdListFormat)
{
    vcl::InitializeUnits();
    EXPECT_GE(kw::CF_IDLIST, CF_REGISTERED_FIRST);
    EXPECT_EQ(kw::CF_IDLIST, RegisterClipboardFormatA("shell idlist array"));
    char name[64];
    ASSERT_GT(GetClipboardFormatNameA(kw::CF_IDLIST, name, sizeof name), 0);
    EXPECT_STREQ(name, "Shell IDList Array");
    vcl::FinalizeUnits();
    EXPECT_EQ(kw::CF_IDLIST, RegisterClipboardFormatA("Shell IDList Array")) << "never released";
}

TEST_F(ShellControlsStartup, MakesAnEmptyColumnWidthStreamEachTime)
{
    EXPECT_EQ(kw::detail::ColumnWidthStream(), nullptr);
    vcl::InitializeUnits();
    ASSERT_NE(kw::detail::ColumnWidthStream(), nullptr);
    EXPECT_EQ(kw::detail::ColumnWidthStream()->Size(), 0);
    EXPECT_EQ(kw::detail::LastDirectoryCols().Count, 0);
    const int widths[] = {1, 200};
    kw::detail::ColumnWidthStream()->WriteBuffer(widths, sizeof widths);
    kw::detail::LastDirectoryCols().Data[3] = 7;
    kw::detail::LastDirectoryCols().Count = 10;
    vcl::FinalizeUnits();
    EXPECT_EQ(kw::detail::ColumnWidthStream(), nullptr);

    vcl::InitializeUnits();
    ASSERT_NE(kw::detail::ColumnWidthStream(), nullptr);
    EXPECT_EQ(kw::detail::ColumnWidthStream()->Size(), 0);
    EXPECT_EQ(kw::detail::LastDirectoryCols().Count, 0);
    EXPECT_EQ(kw::detail::LastDirectoryCols().Data[3], 0);
}

TEST_F(ShellControlsStartup, OleInitialisationIsBalanced)
{
    vcl::InitializeUnits();
    EXPECT_TRUE(com::IsOleInitializedOnThisThread());
    vcl::FinalizeUnits();
    EXPECT_FALSE(com::IsOleInitializedOnThisThread());
    EXPECT_FALSE(com::IsInitializedOnThisThread());

    // OLE of the thread's own, made beforehand, outlives the unit.
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    vcl::InitializeUnits();
    vcl::FinalizeUnits();
    EXPECT_TRUE(com::IsOleInitializedOnThisThread());
    OleUninitialize();
    EXPECT_FALSE(com::IsInitializedOnThisThread());

    // The thread chose the other model: the unit's OLE is refused and its
    // shut-down undoes nothing of the thread's.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    vcl::InitializeUnits();
    EXPECT_FALSE(com::IsOleInitializedOnThisThread());
    vcl::FinalizeUnits();
    EXPECT_TRUE(com::IsInitializedOnThisThread());
    CoUninitialize();
}

TEST_F(ShellControlsStartup, FreesTheSharedSendToListWhenItStops)
{
    vcl::InitializeUnits();
    kw::TKwSendToList& shared = kw::KwSendToList();
    EXPECT_EQ(&shared, &kw::KwSendToList());
    shared.SetPopup(reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(0x20)));
    vcl::FinalizeUnits();
    EXPECT_EQ(nullptr, kw::KwSendToList().Popup()) << "the list outlived the unit";
}

// The shell's own context menus and drop targets are there while the unit
// runs, and the factory before them is back when it stops.
TEST_F(ShellControlsStartup, InstallsTheShellsMenusAndDropTargets)
{
    kwtest::TempDir dir;
    const kwtest::OwnedList folder = kwtest::ListOfPath(dir.Path());
    for (const IID& iid : {IID_IContextMenu, IID_IDropTarget}) {
        IUnknown* object = nullptr;
        vcl::InitializeUnits();
        EXPECT_EQ(kw::GetUIObjectOfIdList(folder.Get(), iid, reinterpret_cast<void**>(&object)), S_OK);
        ASSERT_NE(object, nullptr);
        object->Release();
        vcl::FinalizeUnits();
        EXPECT_EQ(kw::GetUIObjectOfIdList(folder.Get(), iid, reinterpret_cast<void**>(&object)),
                  E_NOINTERFACE);
    }
}

} // namespace
