#include "vcl/core/Thread.h"

#include "win32/Threads.h"
#include "win32/WindowManager.h"

#include <QCoreApplication>
#include <cstdio>
#include <deque>
#include <future>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace vcl {

namespace {

// One method a worker waits to have run on the GUI thread; signalled once
// it has run.
class SyncRequest final : public win32::KernelObject {
public:
    explicit SyncRequest(const std::function<void()>& method) : Method(method) {}

    const std::function<void()>& Method;
    std::exception_ptr Error;
    bool Done = false; // under the wait lock

protected:
    bool IsSignalled() const override { return Done; }
};

// The requests not yet taken by the GUI thread; signalled while there are
// any. The list is kept under the wait lock.
class SyncQueue final : public win32::KernelObject {
public:
    std::deque<std::shared_ptr<SyncRequest>> Pending;

protected:
    bool IsSignalled() const override { return !Pending.empty(); }
};

const std::shared_ptr<SyncQueue>& Queue()
{
    static const std::shared_ptr<SyncQueue> queue = std::make_shared<SyncQueue>();
    return queue;
}

bool OnMainThread()
{
    return GetCurrentThreadId() == MainThreadID();
}

// Has the GUI thread's event loop look at the queue.
void WakeMainThread()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app,
            [] {
                if (OnMainThread())
                    CheckSynchronize();
            },
            Qt::QueuedConnection);
}

std::string HexId(DWORD id)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(id));
    return text;
}

} // namespace

DWORD MainThreadID()
{
    return static_cast<DWORD>(getpid());
}

bool CheckSynchronize(int timeoutMs)
{
    if (!OnMainThread())
        throw EThread("CheckSynchronize called from thread $" + HexId(GetCurrentThreadId()) +
                      ", which is NOT the main thread");
    if (timeoutMs > 0)
        win32::WaitForKernelObjects({Queue()}, false, static_cast<DWORD>(timeoutMs));
    std::deque<std::shared_ptr<SyncRequest>> batch;
    {
        win32::KernelStateChange change;
        batch.swap(Queue()->Pending);
    }
    for (const std::shared_ptr<SyncRequest>& request : batch) {
        try {
            request->Method();
        } catch (...) {
            request->Error = std::current_exception();
        }
        win32::KernelStateChange change;
        request->Done = true;
    }
    return !batch.empty();
}

// ---- TThread ----

// Opened once the thread may run Execute.
class TThread::StartGate final : public win32::KernelObject {
public:
    bool Opened = false; // under the wait lock

protected:
    bool IsSignalled() const override { return Opened; }
};

TThread::TThread(bool createSuspended)
    : Object_(std::make_shared<win32::ThreadObject>()), Gate_(std::make_shared<StartGate>()),
      CreateSuspended_(createSuspended)
{
    Handle_ = win32::InsertKernelObject(Object_);
    if (!Handle_)
        throw EThread("Thread creation error: no handle is left");
    std::promise<DWORD> started;
    std::future<DWORD> id = started.get_future();
    try {
        Worker_ = std::thread([this, &started] {
            started.set_value(GetCurrentThreadId());
            Run();
        });
    } catch (const std::system_error& error) {
        CloseHandle(Handle_);
        throw EThread(std::string("Thread creation error: ") + error.what());
    }
    ThreadID_ = id.get();
}

TThread::~TThread()
{
    if (Worker_.joinable()) {
        // Only a derived constructor that failed leaves a thread waiting
        // to start here: it ends without running anything.
        if (Suspended_.load()) {
            Abandoned_.store(true);
            Open();
        }
        Worker_.join();
    }
    CloseHandle(Handle_);
}

void TThread::AfterConstruction()
{
    // Started only now that the object is whole, so Execute reaches the
    // most derived class.
    if (!CreateSuspended_)
        Open();
}

void TThread::Free()
{
    if (!Finished_.load()) {
        if (FreeOnTerminate_.load() && !Suspended_.load())
            throw EThread("Cannot free a thread that frees itself once it has started");
        FreeOnTerminate_.store(false);
        Terminate();
        Resume();
        WaitFor();
    }
    delete this;
}

void TThread::Open()
{
    if (!Suspended_.exchange(false))
        return;
    win32::KernelStateChange change;
    Gate_->Opened = true;
}

void TThread::Start()
{
    if (!Suspended_.load())
        throw EThread("Cannot call Start on a running or suspended thread");
    Open();
}

void TThread::Resume()
{
    Open();
}

void TThread::Terminate()
{
    Terminated_.store(true);
}

DWORD TThread::WaitFor()
{
    if (GetCurrentThreadId() == ThreadID_)
        throw EThread("Thread cannot wait for itself");
    const std::shared_ptr<win32::ThreadObject> object = Object_;
    if (OnMainThread()) {
        // Messages workers send to windows are served too, as the platform's
        // waits for messages do.
        const std::vector<std::shared_ptr<win32::KernelObject>> waits{object, Queue(), win32::SentMessages()};
        while (win32::WaitForKernelObjects(waits, false, INFINITE) != WAIT_OBJECT_0) {
            CheckSynchronize();
            win32::ServeSentMessages();
        }
    } else {
        win32::WaitForKernelObjects({object}, false, INFINITE);
    }
    return object->ExitCode();
}

void TThread::DoTerminate()
{
    if (OnTerminate)
        Synchronize([this] { OnTerminate(this); });
}

void TThread::Run()
{
    win32::WaitForKernelObjects({Gate_}, false, INFINITE);
    if (Abandoned_.load()) {
        Object_->Exit(0);
        return;
    }
    if (!Terminated_.load()) {
        try {
            Execute();
        } catch (...) {
            FatalException_ = std::current_exception();
        }
    }
    try {
        DoTerminate();
    } catch (...) {
        if (!FatalException_)
            FatalException_ = std::current_exception();
    }
    const auto exitCode = static_cast<DWORD>(ReturnValue_);
    const std::shared_ptr<win32::ThreadObject> object = Object_;
    const bool freeSelf = FreeOnTerminate_.load();
    Finished_.store(true);
    if (freeSelf) {
        Worker_.detach();
        delete this;
    }
    // The last act: from here on a waiter may free the object.
    object->Exit(exitCode);
}

void TThread::Synchronize(TThread* thread, const std::function<void()>& method)
{
    if (OnMainThread()) {
        method();
        return;
    }
    const auto request = std::make_shared<SyncRequest>(method);
    {
        win32::KernelStateChange change;
        Queue()->Pending.push_back(request);
    }
    WakeMainThread();
    win32::WaitForKernelObjects({request}, false, INFINITE);
    if (request->Error)
        std::rethrow_exception(request->Error);
}

void TThread::Synchronize(TThread* thread, TThreadMethod method)
{
    Synchronize(thread, std::function<void()>([&method] { method(); }));
}

} // namespace vcl
