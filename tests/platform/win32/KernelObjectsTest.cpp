// Kernel objects: handles, waits and timeouts, over thread objects.

#include "win32/KernelObjects.h"
#include "win32/Errors.h"
#include "win32/Threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <unistd.h>

using win32::ThreadObject;

namespace {

// A thread object with its handle, closed at the end.
struct OwnedThreadObject {
    std::shared_ptr<ThreadObject> Object = std::make_shared<ThreadObject>();
    HANDLE Handle = win32::InsertKernelObject(Object);
    ~OwnedThreadObject() { CloseHandle(Handle); }
};

HANDLE StaleHandle()
{
    OwnedThreadObject gone;
    return gone.Handle;
}

struct StaleCase {
    const char* Name;
    HANDLE (*Make)();
};
const StaleCase kStale[] = {
    {"null", [] { return HANDLE(nullptr); }},
    {"closed", StaleHandle},
    {"all bits set", [] { return reinterpret_cast<HANDLE>(~std::uintptr_t{0}); }},
    {"made up", [] { return reinterpret_cast<HANDLE>(std::uintptr_t{0x1234}); }},
};

TEST(KernelObjects, StaleHandlesFailWithInvalidHandle)
{
    for (const StaleCase& c : kStale) {
        SCOPED_TRACE(c.Name);
        const HANDLE handle = c.Make();
        SetLastError(0);
        EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_EQ(WaitForSingleObject(handle, INFINITE), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(handle));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        DWORD code = 0;
        EXPECT_FALSE(GetExitCodeThread(handle, &code));
    }
}

TEST(KernelObjects, AReusedSlotIsNotReachedByTheOldHandle)
{
    HANDLE old = StaleHandle();
    OwnedThreadObject fresh; // likely in the slot old had
    fresh.Object->Exit(3);
    EXPECT_EQ(WaitForSingleObject(old, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForSingleObject(fresh.Handle, 0), WAIT_OBJECT_0);
}

TEST(KernelObjects, TimeoutsWhileAThreadRuns)
{
    OwnedThreadObject thread;
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread.Handle, &code));
    EXPECT_EQ(code, STILL_ACTIVE);

    EXPECT_EQ(WaitForSingleObject(thread.Handle, 0), WAIT_TIMEOUT);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(thread.Handle, 30), WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(30));
}

TEST(KernelObjects, AnEndedThreadSignalsEveryWaiterAndStaysSignalled)
{
    OwnedThreadObject thread;
    DWORD results[3] = {};
    std::thread waiters[3];
    for (int i = 0; i < 3; ++i)
        waiters[i] = std::thread([&, i] { results[i] = WaitForSingleObject(thread.Handle, INFINITE); });
    std::thread([&] { thread.Object->Exit(42); }).join();
    for (std::thread& waiter : waiters)
        waiter.join();
    for (DWORD result : results)
        EXPECT_EQ(result, WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread.Handle, 0), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread.Handle, &code));
    EXPECT_EQ(code, 42u);
}

TEST(KernelObjects, ClosingTheHandleLeavesAWaitIntact)
{
    auto object = std::make_shared<ThreadObject>();
    HANDLE handle = win32::InsertKernelObject(object);
    DWORD result = WAIT_FAILED;
    std::thread waiter([&] { result = WaitForSingleObject(handle, INFINITE); });
    // Once the waiter holds the object (here, the table and the waiter),
    // the handle goes.
    while (object.use_count() < 3)
        std::this_thread::yield();
    ASSERT_TRUE(CloseHandle(handle));
    object->Exit(0);
    waiter.join();
    EXPECT_EQ(result, WAIT_OBJECT_0);
}

struct ManyCase {
    bool WaitAll;
    bool FirstEnded, SecondEnded;
    DWORD Expected;
};
const ManyCase kMany[] = {
    {false, false, false, WAIT_TIMEOUT}, {false, false, true, WAIT_OBJECT_0 + 1},
    {false, true, true, WAIT_OBJECT_0},  {true, true, false, WAIT_TIMEOUT},
    {true, true, true, WAIT_OBJECT_0},
};

TEST(KernelObjects, WaitsOnSeveralObjects)
{
    for (const ManyCase& c : kMany) {
        auto first = std::make_shared<ThreadObject>();
        auto second = std::make_shared<ThreadObject>();
        if (c.FirstEnded)
            first->Exit(1);
        if (c.SecondEnded)
            second->Exit(2);
        EXPECT_EQ(win32::WaitForKernelObjects({first, second}, c.WaitAll, 5), c.Expected)
            << c.WaitAll << c.FirstEnded << c.SecondEnded;
    }
    SetLastError(0);
    EXPECT_EQ(win32::WaitForKernelObjects({}, false, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(KernelObjects, ThreadIdentifiers)
{
    const DWORD mine = GetCurrentThreadId();
    EXPECT_NE(mine, 0u);
    EXPECT_EQ(GetCurrentThreadId(), mine);
    EXPECT_EQ(mine, static_cast<DWORD>(getpid())) << "tests run on the process's first thread";
    DWORD other = 0;
    std::thread([&] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, mine);
}

} // namespace
