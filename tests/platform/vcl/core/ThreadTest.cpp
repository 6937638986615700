#include "vcl/core/Thread.h"

#include "win32/KernelObjects.h"
#include "win32/Threads.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <atomic>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

using namespace vcl;

namespace {

// A thread that runs a test's body.
class TBodyThread : public TThread {
public:
    TBodyThread(bool suspended, std::function<void(TBodyThread&)> body)
        : TThread(suspended), Body_(std::move(body))
    {
    }
    using TThread::SetReturnValue;
    using TThread::Synchronize;
    std::function<void()> OnDestroy;

protected:
    ~TBodyThread() override
    {
        if (OnDestroy)
            OnDestroy();
    }
    void Execute() override { Body_(*this); }

private:
    std::function<void(TBodyThread&)> Body_;
};

TBodyThread* Make(bool suspended, std::function<void(TBodyThread&)> body)
{
    return Create<TBodyThread>(suspended, std::move(body));
}

TEST(Thread, RunsExecuteAndReturnsItsValue)
{
    std::atomic<DWORD> ranOn{0};
    TBodyThread* thread = Make(false, [&](TBodyThread& self) {
        ranOn = GetCurrentThreadId();
        self.SetReturnValue(42);
    });
    EXPECT_NE(thread->ThreadID(), MainThreadID());
    EXPECT_EQ(thread->WaitFor(), 42u);
    EXPECT_EQ(ranOn.load(), thread->ThreadID());
    EXPECT_EQ(thread->ReturnValue(), 42);
    EXPECT_TRUE(thread->Finished());
    EXPECT_EQ(WaitForSingleObject(thread->Handle(), 0), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread->Handle(), &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(thread->FatalException(), nullptr);
    const HANDLE handle = thread->Handle();
    thread->Free();
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED) << "the handle goes with the object";
}

TEST(Thread, SuspendedUntilStarted)
{
    std::atomic<bool> ran{false};
    TBodyThread* thread = Make(true, [&](TBodyThread&) { ran = true; });
    EXPECT_TRUE(thread->Suspended());
    EXPECT_NE(thread->ThreadID(), 0u);
    EXPECT_EQ(WaitForSingleObject(thread->Handle(), 20), WAIT_TIMEOUT);
    EXPECT_FALSE(ran.load());
    thread->Start();
    EXPECT_FALSE(thread->Suspended());
    EXPECT_THROW(thread->Start(), EThread);
    thread->Resume(); // nothing for a started thread
    thread->WaitFor();
    EXPECT_TRUE(ran.load());
    thread->Free();
}

TEST(Thread, FreeingASuspendedThreadRunsNothing)
{
    std::atomic<bool> ran{false};
    TBodyThread* thread = Make(true, [&](TBodyThread&) { ran = true; });
    thread->Free();
    EXPECT_FALSE(ran.load());
}

TEST(Thread, FreeTerminatesAndWaits)
{
    std::atomic<bool> looping{false};
    std::atomic<bool> sawTerminated{false};
    TBodyThread* thread = Make(false, [&](TBodyThread& self) {
        looping = true;
        while (!self.Terminated())
            std::this_thread::yield();
        sawTerminated = true;
    });
    while (!looping)
        std::this_thread::yield();
    thread->Free();
    EXPECT_TRUE(sawTerminated.load());
}

TEST(Thread, WaitForOnTheGuiThreadRunsWhatTheWorkerSynchronizes)
{
    int counter = 0; // touched only on the GUI thread
    std::atomic<int> offMain{0};
    TBodyThread* thread = Make(false, [&](TBodyThread& self) {
        for (int i = 0; i < 2000; ++i)
            self.Synchronize([&] {
                if (GetCurrentThreadId() != MainThreadID())
                    ++offMain;
                ++counter;
            });
        self.SetReturnValue(counter);
    });
    EXPECT_EQ(thread->WaitFor(), 2000u);
    EXPECT_EQ(counter, 2000);
    EXPECT_EQ(offMain.load(), 0);
    thread->Free();
}

TEST(Thread, SynchronizeOnTheGuiThreadRunsAtOnce)
{
    bool ran = false;
    TThread::Synchronize(nullptr, [&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_FALSE(CheckSynchronize()) << "nothing was left waiting";
}

TEST(Thread, WhatASynchronizedMethodRaisesReachesTheWorker)
{
    std::string caught;
    TBodyThread* thread = Make(false, [&](TBodyThread& self) {
        try {
            self.Synchronize([] { throw EConvertError("bad value"); });
        } catch (const EConvertError& error) {
            caught = error.Message();
        }
    });
    thread->WaitFor();
    EXPECT_EQ(caught, "bad value");
    thread->Free();
}

struct FatalCase {
    const char* Name;
    std::function<void()> Raise;
    std::string Expected;
};

std::string Describe(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.ClassName() + ": " + e.Message();
    } catch (const std::exception& e) {
        return std::string("std: ") + e.what();
    } catch (...) {
        return "other";
    }
}

TEST(Thread, WhatEscapesExecuteIsKept)
{
    const FatalCase cases[] = {
        {"framework", [] { throw EInvalidOperation("no way"); }, "EInvalidOperation: no way"},
        {"standard", [] { throw std::runtime_error("broken"); }, "std: broken"},
        {"anything", [] { throw 7; }, "other"},
    };
    for (const FatalCase& c : cases) {
        TBodyThread* thread = Make(false, [&](TBodyThread& self) {
            self.SetReturnValue(5);
            c.Raise();
        });
        EXPECT_EQ(thread->WaitFor(), 5u) << c.Name;
        ASSERT_NE(thread->FatalException(), nullptr) << c.Name;
        EXPECT_EQ(Describe(thread->FatalException()), c.Expected);
        thread->Free();
    }
}

class TTerminateWatcher : public TObject {
public:
    DWORD CalledOn = 0;
    TThread* Sender = nullptr;
    void Terminated(TObject* sender)
    {
        CalledOn = GetCurrentThreadId();
        Sender = static_cast<TThread*>(sender);
    }
};

TEST(Thread, OnTerminateRunsOnTheGuiThread)
{
    TTerminateWatcher watcher;
    TBodyThread* thread = Make(true, [](TBodyThread&) {});
    thread->OnTerminate = {&watcher, &TTerminateWatcher::Terminated};
    thread->Start();
    thread->WaitFor();
    EXPECT_EQ(watcher.CalledOn, MainThreadID());
    EXPECT_EQ(watcher.Sender, thread);
    thread->Free();
}

TEST(Thread, AThreadThatFreesItselfWakesTheGuiThreadsLoop)
{
    // The GUI thread only runs its event loop: the worker's OnTerminate
    // reaches it through Qt, then the object frees itself.
    TTerminateWatcher watcher;
    std::atomic<bool> destroyed{false};
    TBodyThread* thread = Make(true, [](TBodyThread& self) { self.SetReturnValue(9); });
    thread->SetFreeOnTerminate(true);
    thread->OnTerminate = {&watcher, &TTerminateWatcher::Terminated};
    thread->OnDestroy = [&] { destroyed = true; };
    const HANDLE handle = thread->Handle();
    thread->Start();
    thread = nullptr;

    // The handle is closed as the object goes.
    QEventLoop loop;
    while (WaitForSingleObject(handle, 0) != WAIT_FAILED)
        loop.processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents, 50);
    EXPECT_TRUE(destroyed.load());
    EXPECT_EQ(watcher.CalledOn, MainThreadID());
}

TEST(Thread, FreeingARunningSelfFreeingThreadIsRefused)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> destroyed{false};
    TBodyThread* thread = Make(true, [released](TBodyThread&) { released.wait(); });
    thread->SetFreeOnTerminate(true);
    thread->OnDestroy = [&] { destroyed = true; };
    thread->Start();
    EXPECT_THROW(thread->Free(), EThread);
    release.set_value();
    while (!destroyed.load())
        std::this_thread::yield();

    // Before it started, the one who frees it owns it.
    TBodyThread* idle = Make(true, [](TBodyThread&) {});
    idle->SetFreeOnTerminate(true);
    idle->Free();
}

TEST(Thread, MisuseIsRefused)
{
    std::string waitedForItself;
    TBodyThread* thread = Make(false, [&](TBodyThread& self) {
        try {
            self.WaitFor();
        } catch (const EThread& error) {
            waitedForItself = error.Message();
        }
        try {
            CheckSynchronize();
        } catch (const EThread& error) {
            waitedForItself += " / " + error.Message().substr(0, 35);
        }
    });
    thread->WaitFor();
    EXPECT_EQ(waitedForItself, "Thread cannot wait for itself / CheckSynchronize called from thread");
    thread->Free();
}

} // namespace
