// Events, and waits on several kernel objects at once.

#include "win32/Events.h"
#include "win32/Errors.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct OwnedEvent {
    HANDLE Handle;
    OwnedEvent(bool manual, bool initial) : Handle(CreateEvent(nullptr, manual, initial, nullptr)) {}
    ~OwnedEvent() { CloseHandle(Handle); }
};

struct ResetCase {
    const char* Name;
    bool Manual;
    bool Initial;
    DWORD FirstWait;
    DWORD SecondWait;
};
const ResetCase kResets[] = {
    {"manual, set", true, true, WAIT_OBJECT_0, WAIT_OBJECT_0},
    {"manual, clear", true, false, WAIT_TIMEOUT, WAIT_TIMEOUT},
    {"auto, set", false, true, WAIT_OBJECT_0, WAIT_TIMEOUT},
    {"auto, clear", false, false, WAIT_TIMEOUT, WAIT_TIMEOUT},
};

TEST(Events, AWaitTakesTheSignalOfAnAutoResetEventOnly)
{
    for (const ResetCase& c : kResets) {
        SCOPED_TRACE(c.Name);
        OwnedEvent event(c.Manual, c.Initial);
        ASSERT_NE(event.Handle, nullptr);
        EXPECT_EQ(WaitForSingleObject(event.Handle, 0), c.FirstWait);
        EXPECT_EQ(WaitForSingleObject(event.Handle, 0), c.SecondWait);
        EXPECT_TRUE(SetEvent(event.Handle));
        EXPECT_EQ(WaitForSingleObject(event.Handle, 0), WAIT_OBJECT_0);
        EXPECT_TRUE(SetEvent(event.Handle));
        EXPECT_TRUE(ResetEvent(event.Handle));
        EXPECT_EQ(WaitForSingleObject(event.Handle, 0), WAIT_TIMEOUT);
    }
}

TEST(Events, WhatCannotBeMadeOrSet)
{
    SetLastError(0);
    EXPECT_EQ(CreateEvent(nullptr, TRUE, FALSE, "shared"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);

    OwnedEvent event(true, false);
    ASSERT_TRUE(CloseHandle(event.Handle));
    const HANDLE closed = event.Handle;
    event.Handle = CreateEvent(nullptr, TRUE, FALSE, nullptr); // the slot may be reused
    for (const HANDLE bad : {HANDLE(nullptr), closed, INVALID_HANDLE_VALUE}) {
        SetLastError(0);
        EXPECT_FALSE(SetEvent(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(ResetEvent(bad));
    }
    EXPECT_EQ(WaitForSingleObject(event.Handle, 0), WAIT_TIMEOUT);
}

TEST(Events, AnAutoResetEventReleasesOneWaiterPerSignal)
{
    constexpr int kWaiters = 4;
    OwnedEvent event(false, false);
    std::mutex lock;
    std::condition_variable changed;
    int woken = 0;
    std::vector<std::thread> waiters;
    for (int i = 0; i < kWaiters; ++i)
        waiters.emplace_back([&] {
            EXPECT_EQ(WaitForSingleObject(event.Handle, INFINITE), WAIT_OBJECT_0);
            std::lock_guard hold(lock);
            ++woken;
            changed.notify_all();
        });
    for (int i = 0; i < kWaiters; ++i) {
        EXPECT_TRUE(SetEvent(event.Handle));
        std::unique_lock hold(lock);
        changed.wait(hold, [&] { return woken > i; });
    }
    for (std::thread& waiter : waiters)
        waiter.join();
    EXPECT_EQ(woken, kWaiters);
    // Had one signal released two waiters, the last would be left over.
    EXPECT_EQ(WaitForSingleObject(event.Handle, 0), WAIT_TIMEOUT);
}

TEST(Events, AManualResetEventReleasesEveryWaiter)
{
    OwnedEvent event(true, false);
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] { EXPECT_EQ(WaitForSingleObject(event.Handle, INFINITE), WAIT_OBJECT_0); });
    EXPECT_TRUE(SetEvent(event.Handle));
    for (std::thread& waiter : waiters)
        waiter.join();
    EXPECT_EQ(WaitForSingleObject(event.Handle, 0), WAIT_OBJECT_0);
}

struct MultiCase {
    const char* Name;
    std::vector<bool> Signalled; // auto-reset events
    bool WaitAll;
    DWORD Expected;
    std::vector<bool> After;
};
const MultiCase kMulti[] = {
    {"any: none", {false, false, false}, false, WAIT_TIMEOUT, {false, false, false}},
    {"any: the first signalled wins", {false, true, true}, false, WAIT_OBJECT_0 + 1, {false, false, true}},
    {"any: the last", {false, false, true}, false, WAIT_OBJECT_0 + 2, {false, false, false}},
    {"all: one missing takes nothing", {true, false, true}, true, WAIT_TIMEOUT, {true, false, true}},
    {"all: takes every signal", {true, true, true}, true, WAIT_OBJECT_0, {false, false, false}},
};

TEST(WaitForMultipleObjects, WaitAnyAndWaitAll)
{
    for (const MultiCase& c : kMulti) {
        SCOPED_TRACE(c.Name);
        std::vector<HANDLE> handles;
        for (const bool signalled : c.Signalled)
            handles.push_back(CreateEvent(nullptr, FALSE, signalled, nullptr));
        EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), c.WaitAll, 0),
                  c.Expected);
        for (std::size_t i = 0; i < handles.size(); ++i)
            EXPECT_EQ(WaitForSingleObject(handles[i], 0), c.After[i] ? WAIT_OBJECT_0 : WAIT_TIMEOUT) << i;
        for (HANDLE h : handles)
            CloseHandle(h);
    }
}

TEST(WaitForMultipleObjects, SixtyFourHandlesAtMost)
{
    std::vector<HANDLE> handles;
    for (DWORD i = 0; i <= MAXIMUM_WAIT_OBJECTS; ++i)
        handles.push_back(CreateEvent(nullptr, TRUE, FALSE, nullptr));
    SetEvent(handles[MAXIMUM_WAIT_OBJECTS - 1]);
    EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS, handles.data(), FALSE, INFINITE),
              WAIT_OBJECT_0 + MAXIMUM_WAIT_OBJECTS - 1);
    SetLastError(0);
    EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS + 1, handles.data(), FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    for (HANDLE h : handles)
        CloseHandle(h);
}

TEST(WaitForMultipleObjects, RefusedLists)
{
    OwnedEvent a(true, true);
    const HANDLE twice[] = {a.Handle, a.Handle};
    const HANDLE stale[] = {a.Handle, nullptr};
    struct Case {
        const char* Name;
        DWORD Count;
        const HANDLE* Handles;
        BOOL WaitAll;
        DWORD Error;
    };
    const Case cases[] = {
        {"no handles", 0, twice, FALSE, ERROR_INVALID_PARAMETER},
        {"no array", 1, nullptr, FALSE, ERROR_INVALID_PARAMETER},
        {"one twice, all", 2, twice, TRUE, ERROR_INVALID_PARAMETER},
        {"a stale one", 2, stale, FALSE, ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetLastError(0);
        EXPECT_EQ(WaitForMultipleObjects(c.Count, c.Handles, c.WaitAll, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), c.Error);
    }
    // One handle twice is fine for wait-any.
    EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0);
}

TEST(WaitForMultipleObjects, WakesWhenAnotherThreadSignals)
{
    OwnedEvent first(false, false);
    OwnedEvent second(false, false);
    const HANDLE handles[] = {first.Handle, second.Handle};
    std::thread setter([&] { SetEvent(second.Handle); });
    EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
    setter.join();
}

} // namespace
