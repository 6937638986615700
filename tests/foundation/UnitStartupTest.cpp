// The start-up and shut-down of UKwShell95 and UKwShellUtils: once each, in
// order, never raising, with the optional shell entry point bound when it is
// there and left null when it is not.

#include "FoundationUnitsFixture.h"
#include "UKwShell95.h"
#include "UKwShellUtils.h"
#include "UKwShellUtils_Startup_p.h"

#include "com/Initialization.h"

#include <string>
#include <vector>

namespace {

using Startup = kwtest::FoundationUnits;
using Events = std::vector<std::string>;

HRESULT FakeGetDataFromIdList(IShellFolder* folder, LPCITEMIDLIST pidl, int format, void* data, int size)
{
    return folder == nullptr && pidl == nullptr && format == 1 && data == nullptr && size == 7 ? S_OK
                                                                                               : E_FAIL;
}

int HandlersFreed = 0;
void CountFreedHandler(kw::TKwDeviceChangeHandler*)
{
    ++HandlersFreed;
}

TEST_F(Startup, EachUnitStartsOnceAndStopsOnceInOrder)
{
    kw::RegisterPackageUnits(); // a second host registering the package changes nothing
    vcl::InitializeUnits();
    vcl::InitializeUnits();
    EXPECT_TRUE(vcl::UnitInitialized("UKwShell95"));
    EXPECT_TRUE(vcl::UnitInitialized("UKwShellUtils"));
    EXPECT_TRUE(com::IsInitializedOnThisThread());
    EXPECT_NE(kw::ShellIMalloc(), nullptr);
    EXPECT_TRUE(kw::IsWinNT()) << "the version record is read at start-up";
    EXPECT_EQ(kw::COMCTL32_VER.MS, 0x00050051u);

    vcl::FinalizeUnits();
    vcl::FinalizeUnits();
    const Events events = kw::testing::UnitEvents();
    EXPECT_EQ(Events(events.begin(), events.begin() + 2),
              (Events{"UKwShell95 start", "UKwShellUtils start"}));
    EXPECT_EQ(Events(events.end() - 2, events.end()), (Events{"UKwShellUtils stop", "UKwShell95 stop"}))
        << "the shell controls' unit comes and goes in between";
    EXPECT_FALSE(vcl::UnitInitialized("UKwShell95"));
    EXPECT_FALSE(com::IsInitializedOnThisThread()) << "shut-down undoes start-up's CoInitialize";
    EXPECT_EQ(win32::testing::ModuleReferenceCount("shell32.dll"), 0) << "the shell library is unloaded";

    // Called directly, a second start-up and a shut-down without start-up do
    // nothing.
    kw::testing::ClearUnitEvents();
    kw::UKwShellUtilsFinalization();
    kw::UKwShell95Finalization();
    kw::UKwShell95Initialization();
    kw::UKwShell95Initialization();
    kw::UKwShell95Finalization();
    kw::UKwShell95Finalization();
    EXPECT_EQ(kw::testing::UnitEvents(), (Events{"UKwShell95 start", "UKwShell95 stop"}));
}

TEST_F(Startup, ShellEntryPointIsBoundOnlyWhenExported)
{
    // The stand-in shell library does not export the name.
    vcl::InitializeUnits();
    EXPECT_EQ(kw::SHGetDataFromIDList, nullptr);
    EXPECT_EQ(win32::testing::ModuleReferenceCount("shell32.dll"), 1);
    vcl::FinalizeUnits();

    // A shell library that does export it.
    win32::testing::RegisterModule(
        "shell32.dll", std::nullopt,
        {{"SHGetDataFromIDListA",
          reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&FakeGetDataFromIdList))}});
    vcl::InitializeUnits();
    ASSERT_NE(kw::SHGetDataFromIDList, nullptr);
    EXPECT_EQ(kw::SHGetDataFromIDList(nullptr, nullptr, 1, nullptr, 7), S_OK);
    EXPECT_EQ(kw::SHGetDataFromIDList(nullptr, nullptr, 2, nullptr, 7), E_FAIL);
    vcl::FinalizeUnits();
    EXPECT_EQ(kw::SHGetDataFromIDList, nullptr) << "the entry point goes with the library";
    EXPECT_EQ(win32::testing::ModuleReferenceCount("shell32.dll"), 0);

    // No shell library at all: start-up goes on.
    win32::testing::UnregisterModule("shell32.dll");
    kw::testing::ClearUnitEvents();
    vcl::InitializeUnits();
    EXPECT_EQ(kw::SHGetDataFromIDList, nullptr);
    EXPECT_TRUE(vcl::UnitInitialized("UKwShellUtils"));
    const Events events = kw::testing::UnitEvents();
    EXPECT_EQ(Events(events.begin(), events.begin() + 2),
              (Events{"UKwShell95 start", "UKwShellUtils start"}));
}

TEST_F(Startup, ComInitialisedOtherwiseBeforehandIsLeftAlone)
{
    // The thread chose the other concurrency model first: start-up's
    // CoInitialize fails, and shut-down must not undo the thread's own.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    vcl::InitializeUnits();
    vcl::FinalizeUnits();
    EXPECT_TRUE(com::IsInitializedOnThisThread());
    CoUninitialize();
    EXPECT_FALSE(com::IsInitializedOnThisThread());

    // Initialised in the same model beforehand: start-up's call nests and
    // shut-down balances only that one.
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    vcl::InitializeUnits();
    vcl::FinalizeUnits();
    EXPECT_TRUE(com::IsInitializedOnThisThread());
    CoUninitialize();
}

TEST_F(Startup, ShutDownFreesTheDeviceChangeHandlerOnlyWhenOneWasMade)
{
    HandlersFreed = 0;
    vcl::InitializeUnits();
    vcl::FinalizeUnits();
    EXPECT_EQ(HandlersFreed, 0) << "no shell tree or list ever made one";

    // Stands in for the broadcaster's handler: only its address matters.
    int handlerStandIn = 0;
    auto* handler = reinterpret_cast<kw::TKwDeviceChangeHandler*>(&handlerStandIn);
    vcl::InitializeUnits();
    kw::detail::SetDeviceChangeHandler(handler, &CountFreedHandler);
    kw::detail::SetDeviceChangeHandler(handler, &CountFreedHandler); // the same one again is no new one
    EXPECT_EQ(HandlersFreed, 0);
    EXPECT_EQ(kw::detail::DeviceChangeHandler(), handler);
    vcl::FinalizeUnits();
    EXPECT_EQ(HandlersFreed, 1);
    EXPECT_EQ(kw::detail::DeviceChangeHandler(), nullptr);

    // Freed once: a later start-up and shut-down find nothing to free.
    vcl::InitializeUnits();
    vcl::FinalizeUnits();
    EXPECT_EQ(HandlersFreed, 1);
}

} // namespace
