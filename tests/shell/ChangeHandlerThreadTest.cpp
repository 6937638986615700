// The change-notification worker: watches on real inotify, messages to a
// window of the GUI thread, commands that time out, and its end.

#include "PlatformTestSupport.h"

#include "UKwShellControls_ChangeHandler_p.h"

#include "win32/ChangeNotificationsTesting.h"
#include "win32/Events.h"
#include "win32/WindowManager.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using kw::AM_ChangeNotify;
using kw::TChangeHandlerThread;

namespace {

constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

// A message-only window that keeps the slots it was told about.
class Recorder final : public win32::WindowProcedure {
public:
    Recorder() : Window(win32::CreateWindowFor(this, {})) {}
    ~Recorder() { DestroyWindow(Window); }

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == AM_ChangeNotify) {
            EXPECT_EQ(lParam, 0);
            Slots.push_back(static_cast<int>(wParam));
            return 0;
        }
        return DefWindowProc(window, message, wParam, lParam);
    }

    // Runs the message loop until count messages came; false when they did
    // not within a generous bound (the test fails rather than hangs).
    bool WaitFor(std::size_t count)
    {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (Slots.size() < count && std::chrono::steady_clock::now() < giveUp) {
            win32::testing::DrainChangeEvents();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return Slots.size() >= count;
    }
    // Delivers whatever mail is there now.
    void Settle()
    {
        win32::testing::DrainChangeEvents();
        QCoreApplication::processEvents();
    }

    HWND Window;
    std::vector<int> Slots;
};

void Touch(const std::string& path)
{
    std::ofstream(path, std::ios::binary) << "x";
}

int OpenDescriptors()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// Frees the worker with the test's scope.
struct Worker {
    TChangeHandlerThread* Thread;
    explicit Worker(HWND window) : Thread(vcl::Create<TChangeHandlerThread>(window, AM_ChangeNotify)) {}
    ~Worker()
    {
        if (Thread)
            Thread->Destroy();
    }
    TChangeHandlerThread* operator->() const { return Thread; }
};

struct SlotCase {
    const char* Name;
    const char* Changed;
    int Slot;
};
const SlotCase kSlotCases[] = {
    {"second folder", "b", 1},
    {"first folder", "a", 0},
    {"third folder", "c", 2},
};

TEST(ChangeHandlerThread, EachSignalPostsItsSlot)
{
    kwtest::TempDir dir;
    Recorder recorder;
    Worker worker(recorder.Window);
    for (const char* name : {"a", "b", "c"}) {
        fs::create_directory(dir / name);
        int slot = -1;
        ASSERT_TRUE(worker->AddChangeNotification(dir / name, kNames, slot, false));
        EXPECT_EQ(slot, name[0] - 'a');
    }
    for (const SlotCase& c : kSlotCases) {
        SCOPED_TRACE(c.Name);
        recorder.Slots.clear();
        Touch(dir / c.Changed + "/new-file");
        ASSERT_TRUE(recorder.WaitFor(1));
        recorder.Settle();
        EXPECT_EQ(recorder.Slots, std::vector<int>{c.Slot});
    }
}

TEST(ChangeHandlerThread, WhatIsNotWatched)
{
    kwtest::TempDir dir;
    Recorder recorder;
    Worker worker(recorder.Window);
    fs::create_directory(dir / "watched");
    int slot = -1;
    ASSERT_TRUE(worker->AddChangeNotification(dir / "watched", kNames, slot, false));
    const std::uint64_t wakes = worker->WakeCount();
    struct Case {
        const char* Name;
        std::string Path;
    };
    const Case cases[] = {{"empty", ""}, {"missing", dir / "missing"}, {"a file", dir / "file"}};
    Touch(dir / "file");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        int untouched = 42;
        EXPECT_FALSE(worker->AddChangeNotification(c.Path, kNames, untouched, false));
        EXPECT_EQ(untouched, 42);
    }
    EXPECT_EQ(worker->WakeCount(), wakes); // none of them reached the worker
}

TEST(ChangeHandlerThread, SixtyThreeWatchesFillTheTable)
{
    kwtest::TempDir dir;
    Worker worker(nullptr);
    for (int i = 0; i < TChangeHandlerThread::kSlotCount; ++i) {
        fs::create_directory(dir / std::to_string(i));
        int slot = -1;
        ASSERT_TRUE(worker->AddChangeNotification(dir / std::to_string(i), kNames, slot, false));
        EXPECT_EQ(slot, i);
    }
    fs::create_directory(dir / "one-more");
    int slot = -1;
    EXPECT_FALSE(worker->AddChangeNotification(dir / "one-more", kNames, slot, false));
    // The refused watch was closed, not left behind.
    win32::testing::DrainChangeEvents();
    EXPECT_EQ(kwtest::WatchesInInstance(), TChangeHandlerThread::kSlotCount);
}

TEST(ChangeHandlerThread, AnIdleWorkerSleeps)
{
    kwtest::TempDir dir;
    Worker worker(nullptr);
    int slot = -1;
    ASSERT_TRUE(worker->AddChangeNotification(dir.Path(), kNames, slot, true));
    const std::uint64_t wakes = worker->WakeCount();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(worker->WakeCount(), wakes);
}

TEST(ChangeHandlerThread, AStalledWorkerTimesOutAndTheNextCommandGetsItsOwnAnswer)
{
    kwtest::TempDir dir;
    for (const char* name : {"late", "withdrawn", "next"})
        fs::create_directory(dir / name);
    Recorder recorder;
    Worker worker(recorder.Window);
    const HANDLE release = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    const HANDLE taken = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    TChangeHandlerThread::TestHooks hooks;
    hooks.BeforeCommand = [release, taken] {
        SetEvent(taken);
        WaitForSingleObject(release, INFINITE);
    };
    hooks.CommandTimeout = 1500; // ample for the worker to take the first command
    worker->SetTestHooks(hooks);

    int slot = -1;
    // Taken, then stuck: carried out late.
    EXPECT_FALSE(worker->AddChangeNotification(dir / "late", kNames, slot, false));
    ASSERT_EQ(WaitForSingleObject(taken, 0), WAIT_OBJECT_0);
    // Never taken: withdrawn, its watch closed.
    EXPECT_FALSE(worker->AddChangeNotification(dir / "withdrawn", kNames, slot, false));
    EXPECT_EQ(slot, -1);
    SetEvent(release);

    ASSERT_TRUE(worker->AddChangeNotification(dir / "next", kNames, slot, false));
    EXPECT_EQ(slot, 1); // not the late answer (0) of the first add
    win32::testing::DrainChangeEvents(); // the withdrawn watch leaves the kernel
    EXPECT_EQ(kwtest::WatchesInInstance(), 2);
    Touch(dir / "next/x");
    ASSERT_TRUE(recorder.WaitFor(1));
    recorder.Settle();
    EXPECT_EQ(recorder.Slots, std::vector<int>{1});
    CloseHandle(release);
    CloseHandle(taken);
}

TEST(ChangeHandlerThread, RemovingAllStopsTheMessages)
{
    kwtest::TempDir dir;
    Recorder recorder;
    Worker worker(recorder.Window);
    int slot = -1;
    ASSERT_TRUE(worker->AddChangeNotification(dir.Path(), kNames, slot, false));
    worker->RemoveAllChangeNotifications();
    EXPECT_EQ(win32::testing::ChangeNotificationDescriptor(), -1);
    Touch(dir / "x");
    recorder.Settle();
    EXPECT_TRUE(recorder.Slots.empty());
    // The table is free again.
    ASSERT_TRUE(worker->AddChangeNotification(dir.Path(), kNames, slot, false));
    EXPECT_EQ(slot, 0);
}

TEST(ChangeHandlerThread, AWatchThatCannotBeRearmedFreesItsSlot)
{
    kwtest::TempDir dir;
    fs::create_directory(dir / "gone");
    fs::create_directory(dir / "stays");
    Recorder recorder;
    Worker worker(recorder.Window);
    int slot = -1;
    ASSERT_TRUE(worker->AddChangeNotification(dir / "gone", kNames, slot, false));
    ASSERT_TRUE(worker->AddChangeNotification(dir / "stays", kNames, slot, false));
    fs::remove(dir / "gone");
    ASSERT_TRUE(recorder.WaitFor(1));
    EXPECT_EQ(recorder.Slots, std::vector<int>{0});
    // The next command is served after the pass that closed the watch, and
    // its slot is the lowest free one again.
    ASSERT_TRUE(worker->AddChangeNotification(dir.Path(), kNames, slot, false));
    EXPECT_EQ(slot, 0);
    EXPECT_EQ(kwtest::WatchesInInstance(), 2);
}

TEST(ChangeHandlerThread, EndingClosesEverything)
{
    kwtest::TempDir dir;
    const int baseline = OpenDescriptors();
    for (int round = 0; round < 3; ++round) {
        Worker worker(nullptr);
        int slot = -1;
        ASSERT_TRUE(worker->AddChangeNotification(dir.Path(), kNames, slot, true));
        ASSERT_TRUE(worker->AddChangeNotification(dir.Path(), FILE_NOTIFY_CHANGE_DIR_NAME, slot, false));
    }
    EXPECT_EQ(OpenDescriptors(), baseline);
    EXPECT_EQ(win32::testing::ChangeNotificationDescriptor(), -1);
}

TEST(ChangeHandlerThread, EndingAStuckWorkerDoesNotHang)
{
    kwtest::TempDir dir;
    const HANDLE release = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    const HANDLE destroyed = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    const HANDLE taken = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    auto* worker = vcl::Create<TChangeHandlerThread>(nullptr, AM_ChangeNotify);
    TChangeHandlerThread::TestHooks hooks;
    hooks.BeforeCommand = [release, taken] {
        SetEvent(taken);
        WaitForSingleObject(release, INFINITE);
    };
    hooks.Destroyed = [destroyed] { SetEvent(destroyed); };
    hooks.CommandTimeout = 1500;
    hooks.EndTimeout = 100;
    worker->SetTestHooks(hooks);
    int slot = -1;
    EXPECT_FALSE(worker->AddChangeNotification(dir.Path(), kNames, slot, false));
    ASSERT_EQ(WaitForSingleObject(taken, 0), WAIT_OBJECT_0); // stuck inside the command
    worker->Destroy();                                       // returns although the worker is stuck
    EXPECT_EQ(WaitForSingleObject(destroyed, 0), WAIT_TIMEOUT);
    SetEvent(release);
    // Once unstuck it ends and frees itself, watch and all.
    EXPECT_EQ(WaitForSingleObject(destroyed, 20000), WAIT_OBJECT_0);
    CloseHandle(release);
    CloseHandle(destroyed);
    CloseHandle(taken);
}

TEST(ChangeHandlerThread, TheProbeRecordsEveryAddAsItsCallerSawIt)
{
    kwtest::TempDir dir;
    fs::create_directory(dir / "sub");
    Touch(dir / "file");
    using Record = TChangeHandlerThread::AddRecord;
    std::vector<Record> records;
    TChangeHandlerThread::TestHooks hooks;
    hooks.Added = [&records](const Record& r) { records.push_back(r); };
    TChangeHandlerThread::SetNewWorkerTestHooks(hooks); // a worker made by someone else
    Worker worker(nullptr);
    TChangeHandlerThread::SetNewWorkerTestHooks({});
    Worker unprobed(nullptr);

    const Record cases[] = {
        {dir / "sub", FILE_NOTIFY_CHANGE_DIR_NAME, true, true},
        {dir.Path(), kNames, false, true},
        {dir / "file", kNames, true, false},
        {"", FILE_NOTIFY_CHANGE_DIR_NAME, true, false},
        {dir / "missing", FILE_NOTIFY_CHANGE_DIR_NAME, false, false},
    };
    for (const Record& c : cases) {
        int slot = -1;
        EXPECT_EQ(worker->AddChangeNotification(c.Path, c.Filter, slot, c.Subtree), c.Answer) << c.Path;
        unprobed->AddChangeNotification(c.Path, c.Filter, slot, c.Subtree);
    }
    ASSERT_EQ(records.size(), std::size(cases)) << "one record per add of the probed worker only";
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(cases[i].Path);
        EXPECT_EQ(records[i].Path, cases[i].Path);
        EXPECT_EQ(records[i].Filter, cases[i].Filter);
        EXPECT_EQ(records[i].Subtree, cases[i].Subtree);
        EXPECT_EQ(records[i].Answer, cases[i].Answer);
    }
}

} // namespace
