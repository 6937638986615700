// A worker that synchronizes with the GUI thread while the GUI thread waits
// for it: WaitFor serves the worker, so neither waits for ever.

#include "WidgetTesting.h"

#include "vcl/core/Thread.h"
#include "win32/WindowManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

using namespace vcl;
using kwtest::PumpUntil;

constexpr UINT AM_Progress = WM_USER + 101;

// Writes each step into a control on the GUI thread, and posts its progress.
class TStepper : public TThread {
public:
    TStepper(kwtest::TLoggingControl* control, HWND window, int steps)
        : TThread(true), Control_(control), Window_(window), Steps_(steps)
    {
    }
    std::atomic<int> Synchronized{0};

protected:
    void Execute() override
    {
        for (int i = 0; i < Steps_ && !Terminated(); ++i) {
            Synchronize([this, i] {
                Control_->SetText("step " + std::to_string(i));
                ++Synchronized;
            });
            PostMessageA(Window_, AM_Progress, static_cast<WPARAM>(i), 0);
        }
        SetReturnValue(Steps_);
    }

private:
    kwtest::TLoggingControl* Control_;
    HWND Window_;
    int Steps_;
};

// Ends the program if the GUI thread is still waiting after a while: a
// deadlock must fail the test, not hang it.
class Watchdog {
public:
    explicit Watchdog(int seconds)
        : Thread_([this, seconds] {
              for (int i = 0; i < seconds * 10 && !Done_; ++i)
                  std::this_thread::sleep_for(std::chrono::milliseconds(100));
              if (!Done_) {
                  std::fputs("WaitFor did not return: deadlock\n", stderr);
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        Done_ = true;
        Thread_.join();
    }

private:
    std::atomic<bool> Done_{false};
    std::thread Thread_;
};

TEST(TThread, WaitForOnTheGuiThreadServesAWorkerThatSynchronizes)
{
    struct Case {
        const char* what;
        int steps;
        bool terminateFirst;
        int synchronized;
    } cases[] = {
        {"a worker that synchronizes many times", 200, false, 200},
        {"a worker told to stop before it starts", 200, true, 0},
    };
    for (const Case& c : cases) {
        kwtest::TestForm form;
        auto* control = Create<kwtest::TLoggingControl>(form.Get());
        control->SetParent(form.Get());
        auto* worker = Create<TStepper>(control, control->Handle(), c.steps);
        if (c.terminateFirst)
            worker->Terminate();
        control->Messages.clear();
        {
            Watchdog watchdog(30);
            worker->Start();
            const DWORD returned = worker->WaitFor();
            if (!c.terminateFirst) {
                EXPECT_EQ(returned, static_cast<DWORD>(c.steps)) << c.what;
            }
        }
        EXPECT_EQ(worker->Synchronized.load(), c.synchronized) << c.what;
        if (c.synchronized > 0) {
            EXPECT_EQ(control->Text(), "step " + std::to_string(c.synchronized - 1)) << c.what;
        }
        // What the worker posted arrives afterwards, in order.
        PumpUntil([&] {
            return control->Numbers(AM_Progress, AM_Progress).size() >=
                   static_cast<std::size_t>(c.synchronized);
        });
        std::vector<WPARAM> progress;
        for (const TMessage& m : control->Messages)
            if (m.Msg == AM_Progress)
                progress.push_back(m.WParam);
        ASSERT_EQ(progress.size(), static_cast<std::size_t>(c.synchronized)) << c.what;
        for (std::size_t i = 0; i < progress.size(); ++i)
            EXPECT_EQ(progress[i], i);
        worker->Free();
    }
}

// Sends its messages to a window and keeps the answers.
class TSender : public TThread {
public:
    TSender(HWND window, int count) : TThread(true), Window_(window), Count_(count) {}
    std::vector<LRESULT> Answers;

protected:
    void Execute() override
    {
        for (int i = 0; i < Count_; ++i)
            Answers.push_back(SendMessageA(Window_, WM_USER + 7, static_cast<WPARAM>(i), 0));
    }

private:
    HWND Window_;
    int Count_;
};

class TAnswering : public kwtest::TLoggingControl {
public:
    using TLoggingControl::TLoggingControl;
    bool OnGuiThread = true;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_USER + 7) {
            OnGuiThread = OnGuiThread && win32::IsGuiThread();
            message.Result = static_cast<LRESULT>(message.WParam) * 2 + 1;
            return;
        }
        TLoggingControl::Dispatch(message);
    }
};

TEST(TThread, WaitForServesMessagesAWorkerSends)
{
    kwtest::TestForm form;
    auto* control = Create<TAnswering>(form.Get());
    control->SetParent(form.Get());
    auto* worker = Create<TSender>(control->Handle(), 100);
    {
        Watchdog watchdog(30);
        worker->Start();
        worker->WaitFor();
    }
    ASSERT_EQ(worker->Answers.size(), 100u);
    for (std::size_t i = 0; i < worker->Answers.size(); ++i)
        EXPECT_EQ(worker->Answers[i], static_cast<LRESULT>(2 * i + 1));
    EXPECT_TRUE(control->OnGuiThread) << "a sent message ran on the worker";
    worker->Free();
}

} // namespace
