// The device-change broadcaster driven through a test mount source, and the
// drive-information flush.

#include "PlatformTestSupport.h"
#include "UKwShellUtils.h"
#include "UKwShellUtils_Startup_p.h"

#include "vcl/widgets/Application.h"
#include "win32/DeviceChange.h"
#include "win32/MountMonitor.h"
#include "win32/MountTesting.h"
#include "win32/WindowManager.h"
#include "win32/WindowTesting.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using kw::TKwDeviceChangeEvent;
using kw::TKwDeviceChangeHandler;
using win32::testing::ScopedMountSource;
using win32::testing::TextMountSource;

namespace {

// Turns the message loop until no mail is left.
void Pump()
{
    QCoreApplication::processEvents();
    for (int i = 0; i < 20 && win32::testing::QueuedMessages() > 0; ++i)
        QCoreApplication::processEvents();
}

struct Heard {
    WPARAM Event;
    DWORD Mask; // of the volume, 0 without one
};

class Listener : public vcl::TObject {
public:
    std::vector<Heard> Calls;
    std::function<void(vcl::TMessage&)> Action;

    void DeviceChanged(vcl::TObject* sender, vcl::TMessage& message)
    {
        EXPECT_EQ(message.Msg, WM_DEVICECHANGE);
        DWORD mask = 0;
        if (message.LParam) {
            const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(message.LParam);
            EXPECT_EQ(volume->dbcv_devicetype, DBT_DEVTYP_VOLUME);
            mask = volume->dbcv_unitmask;
        }
        Calls.push_back({message.WParam, mask});
        if (Action)
            Action(message);
    }
    TKwDeviceChangeEvent Event() { return TKwDeviceChangeEvent(this, &Listener::DeviceChanged); }
    std::vector<WPARAM> Events() const
    {
        std::vector<WPARAM> events;
        for (const Heard& h : Calls)
            events.push_back(h.Event);
        return events;
    }
};

const std::string kDesk = "1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                          "22 1 0:21 / /proc rw - proc proc rw\n";
const std::string kStick = "34 1 8:17 / /media/me/STICK rw - vfat /dev/sdb1 rw\n";

class DeviceChange : public ::testing::Test {
protected:
    std::shared_ptr<TextMountSource> Source = std::make_shared<TextMountSource>(kDesk);
    ScopedMountSource Use{Source};
    std::unique_ptr<TKwDeviceChangeHandler> Handler;
    Listener First, Second;

    void SetUp() override
    {
        Pump(); // the monitor takes the new source as its starting point
        Handler = std::make_unique<TKwDeviceChangeHandler>();
        Handler->Add(First.Event());
        Handler->Add(Second.Event());
    }
};

struct TableCase {
    const char* Name;
    std::string Before;
    std::string After;
    std::vector<WPARAM> Expected;
};
const TableCase kTables[] = {
    {"a stick arrives", kDesk, kDesk + kStick, {DBT_DEVICEARRIVAL}},
    {"a stick goes", kDesk + kStick, kDesk, {DBT_DEVICEREMOVECOMPLETE}},
    {"a remount with other options",
     kDesk + kStick,
     kDesk + "34 1 8:17 / /media/me/STICK ro,noexec - vfat /dev/sdb1 ro\n",
     {}},
    {"a mount nobody sees", kDesk, kDesk + "50 1 0:60 / /run/user/1000 rw - tmpfs tmpfs rw\n", {}},
    {"a pseudo file system", kDesk, kDesk + "51 1 0:61 / /media/fuse rw - fusectl fusectl rw\n", {}},
    {"another medium in the same place",
     kDesk + kStick,
     kDesk + "34 1 8:33 / /media/me/STICK rw - vfat /dev/sdc1 rw\n",
     {DBT_DEVICEREMOVECOMPLETE, DBT_DEVICEARRIVAL}},
};

TEST_F(DeviceChange, TheMountTableReachesEveryListenerOnceAfterTheLoopTurns)
{
    for (const TableCase& c : kTables) {
        SCOPED_TRACE(c.Name);
        Source->SetText(c.Before);
        Pump();
        First.Calls.clear();
        Second.Calls.clear();
        Source->SetText(c.After);
        EXPECT_TRUE(First.Calls.empty()); // nothing runs before the loop turns
        Pump();
        EXPECT_EQ(First.Events(), c.Expected);
        EXPECT_EQ(Second.Events(), c.Expected);
    }
}

TEST_F(DeviceChange, TheVolumeNamesTheDriveByItsPlaceAmongTheDrives)
{
    Source->SetText(kDesk + kStick);
    Pump();
    ASSERT_EQ(First.Calls.size(), 1u);
    EXPECT_EQ(First.Calls[0].Mask, 1u << 1); // "/" is drive 0, the stick drive 1
}

TEST_F(DeviceChange, ABurstIsReadOnce)
{
    const std::size_t checks = win32::testing::MountTableChecks();
    Source->SetText(kDesk + kStick);
    Source->SetText(kDesk);
    Source->SetText(kDesk + kStick);
    Pump();
    EXPECT_EQ(win32::testing::MountTableChecks(), checks + 1);
    EXPECT_EQ(First.Events(), std::vector<WPARAM>{DBT_DEVICEARRIVAL});
}

TEST_F(DeviceChange, ARepostedMessageCarriesItsOwnCopyOfTheData)
{
    for (const DWORD mask : {0x4u, 0x10u}) {
        auto* volume = new DEV_BROADCAST_VOLUME{sizeof(DEV_BROADCAST_VOLUME), DBT_DEVTYP_VOLUME, 0, mask, 0};
        SendMessage(Handler->Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(volume));
        delete volume; // the sender's data is gone once the send returns
    }
    SendMessage(Handler->Handle(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    EXPECT_TRUE(First.Calls.empty());
    Pump();
    ASSERT_EQ(First.Calls.size(), 3u);
    EXPECT_EQ(First.Calls[0].Mask, 0x4u);
    EXPECT_EQ(First.Calls[1].Mask, 0x10u);
    EXPECT_EQ(First.Calls[2].Event, DBT_DEVNODES_CHANGED);
    EXPECT_EQ(First.Calls[2].Mask, 0u);
}

TEST_F(DeviceChange, ListenersThatChangeTheListDuringABroadcast)
{
    struct Case {
        const char* Name;
        std::function<void(TKwDeviceChangeHandler&, Listener&, Listener&, Listener&)> Act; // in First
        int FirstCalls, SecondCalls, ThirdCalls;
        int CountAfter;
    };
    const Case cases[] = {
        {"removes itself", [](auto& h, auto& a, auto&, auto&) { h.Remove(a.Event()); }, 1, 1, 1, 2},
        {"removes the next", [](auto& h, auto&, auto& b, auto&) { h.Remove(b.Event()); }, 1, 0, 1, 2},
        {"removes itself and the last",
         [](auto& h, auto& a, auto&, auto& c) {
             h.Remove(a.Event());
             h.Remove(c.Event());
         },
         1, 1, 0, 1},
        {"adds one", [](auto& h, auto& a, auto&, auto&) { h.Add(a.Event()); }, 1, 1, 1, 4},
        {"deletes the first item", [](auto& h, auto&, auto&, auto&) { h.DeleteItem(0); }, 1, 1, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TKwDeviceChangeHandler handler;
        Listener a, b, x;
        handler.Add(a.Event());
        handler.Add(b.Event());
        handler.Add(x.Event());
        bool once = true;
        a.Action = [&](vcl::TMessage&) {
            if (std::exchange(once, false))
                c.Act(handler, a, b, x);
        };
        vcl::TMessage message{WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0, 0};
        handler.BroadcastToList(message);
        EXPECT_EQ(static_cast<int>(a.Calls.size()), c.FirstCalls);
        EXPECT_EQ(static_cast<int>(b.Calls.size()), c.SecondCalls);
        EXPECT_EQ(static_cast<int>(x.Calls.size()), c.ThirdCalls);
        EXPECT_EQ(handler.Count(), c.CountAfter);
    }
}

TEST_F(DeviceChange, RemovingMatchesCodeAndObject)
{
    Listener other;
    Handler->Remove(other.Event()); // same code, another object
    Handler->Remove(TKwDeviceChangeEvent(&First, &Listener::DeviceChanged));
    EXPECT_EQ(Handler->Count(), 1);
    Handler->Remove(First.Event()); // no longer there
    EXPECT_EQ(Handler->Count(), 1);
    EXPECT_THROW(Handler->DeleteItem(1), vcl::EListError);
}

class ExceptionCounter : public vcl::TObject {
public:
    std::vector<std::string> Seen;
    void Caught(vcl::TObject* sender, const vcl::Exception& e) { Seen.push_back(e.Message()); }
};

TEST_F(DeviceChange, AFrameworkExceptionIsReportedAndTheOthersStillHear)
{
    ExceptionCounter counter;
    vcl::Application()->OnException = vcl::TExceptionEvent(&counter, &ExceptionCounter::Caught);
    First.Action = [](vcl::TMessage&) { throw vcl::Exception("drive went away"); };
    vcl::TMessage message{WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0, 0};
    Handler->BroadcastToList(message);
    EXPECT_EQ(counter.Seen, std::vector<std::string>{"drive went away"});
    EXPECT_EQ(Second.Calls.size(), 1u);

    // Anything else ends the broadcast and goes on to the caller.
    First.Action = [](vcl::TMessage&) { throw std::runtime_error("not the framework's"); };
    EXPECT_THROW(Handler->BroadcastToList(message), std::runtime_error);
    EXPECT_EQ(Second.Calls.size(), 1u);
    EXPECT_EQ(counter.Seen.size(), 1u);
    vcl::Application()->OnException = nullptr;
}

TEST_F(DeviceChange, TheFlushRevalidatesTheDrivesUnlessLocked)
{
    Source->SetDevice("/", {true, false, false});
    std::vector<win32::Drive> drives;
    ASSERT_TRUE(win32::ReadUserVisibleDrives(drives));
    struct Case {
        const char* Name;
        int Locks;
        bool Probed;
    };
    const Case cases[] = {{"unlocked", 0, true}, {"locked", 1, false}, {"locked twice", 2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (int i = 0; i < c.Locks; ++i)
            kw::LockFlushDriveInfoCache();
        ASSERT_TRUE(win32::ReadUserVisibleDrives(drives));
        const int probes = Source->DeviceProbes();
        kw::FlushDriveInfoCache();
        ASSERT_TRUE(win32::ReadUserVisibleDrives(drives));
        EXPECT_EQ(Source->DeviceProbes() > probes, c.Probed);
        for (int i = 0; i < c.Locks; ++i)
            kw::UnlockFlushDriveInfoCache();
        EXPECT_EQ(kw::gFlushDriveInfoSem, 0);
    }
}

TEST_F(DeviceChange, TheProcessWideHandlerIsMadeOnce)
{
    TKwDeviceChangeHandler* handler = kw::KwDeviceChangeHandler();
    ASSERT_NE(handler, nullptr);
    EXPECT_EQ(kw::KwDeviceChangeHandler(), handler);
    EXPECT_EQ(kw::detail::DeviceChangeHandler(), handler); // what the unit's shut-down frees
    kw::detail::SetDeviceChangeHandler(nullptr, nullptr);
    EXPECT_EQ(kw::detail::DeviceChangeHandler(), nullptr);
}

} // namespace
