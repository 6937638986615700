#pragma once
// TThread, the framework's thread object, and Synchronize: a worker's way to
// run a piece of its work on the GUI thread.
//
//     class TCopyThread : public vcl::TThread {
//     public:
//         TCopyThread() : TThread(true) {}
//     protected:
//         void Execute() override
//         {
//             while (!Terminated() && CopyNext())
//                 Synchronize([this] { ShowProgress(); });
//         }
//     };
//     TCopyThread* copy = vcl::Create<TCopyThread>();
//     copy->Start();
//     ...
//     copy->Free(); // terminates it and waits for it
//
// The GUI thread is the process's first thread, the one that makes the
// QApplication. A worker's Synchronize waits until the GUI thread has run
// the method: from its event loop (the worker wakes it through Qt), from
// CheckSynchronize, or from WaitFor, which runs them while it waits, so a
// worker that synchronizes never deadlocks with a GUI thread waiting for it.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Events.h"
#include "vcl/core/Exceptions.h"
#include "win32/WinTypes.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <thread>
#include <type_traits>

namespace win32 {
class ThreadObject;
}

namespace vcl {

VCL_DECLARE_EXCEPTION(EThread, Exception);

using TThreadMethod = TEvent<void()>;

class CORVANE_VCL_EXPORT TThread : public TObject {
    VCL_DECLARE_CLASS(TThread, TObject)
public:
    // The thread exists from here on (ThreadID and Handle are valid) but
    // runs Execute only once started: by AfterConstruction, or by Start
    // when made suspended. Raises EThread when no thread can be made.
    explicit TThread(bool createSuspended);
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Starts a thread not made suspended; Create<T> calls it.
    virtual void AfterConstruction();
    // Ends the object: a thread still running is told to terminate (one
    // never started is started so that it sees it) and waited for. A thread
    // that frees itself may be freed only before it was started.
    void Free();

    // Starts a suspended thread; EThread for one already started.
    void Start();
    // Starts a suspended thread; nothing for one already started.
    void Resume();
    // Asks Execute to end: it reads Terminated.
    void Terminate();
    // Waits until the thread has ended and returns its ReturnValue. On the
    // GUI thread it runs the methods workers synchronize meanwhile. EThread
    // when a thread waits for itself.
    DWORD WaitFor();

    bool Suspended() const { return Suspended_.load(); }
    bool Terminated() const { return Terminated_.load(); }
    // Execute and OnTerminate are done.
    bool Finished() const { return Finished_.load(); }
    bool FreeOnTerminate() const { return FreeOnTerminate_.load(); }
    void SetFreeOnTerminate(bool value) { FreeOnTerminate_.store(value); }
    int ReturnValue() const { return ReturnValue_; }
    // A waitable handle, signalled once the thread has ended; closed when
    // the object goes.
    HANDLE Handle() const { return Handle_; }
    DWORD ThreadID() const { return ThreadID_; }
    // What escaped Execute (or OnTerminate), kept; null when nothing did.
    std::exception_ptr FatalException() const { return FatalException_; }

    // Run on the GUI thread once Execute is done, before the thread ends.
    TNotifyEvent OnTerminate;

    // Runs method on the GUI thread and waits until it has run; what it
    // raises is raised here. On the GUI thread it runs at once.
    static void Synchronize(TThread* thread, const std::function<void()>& method);
    static void Synchronize(TThread* thread, TThreadMethod method);

protected:
    // Only through Free, or by the thread itself when it frees itself.
    ~TThread() override;

    virtual void Execute() = 0;
    // Runs OnTerminate synchronized.
    virtual void DoTerminate();

    void Synchronize(const std::function<void()>& method) { Synchronize(this, method); }
    void Synchronize(TThreadMethod method) { Synchronize(this, method); }
    void SetReturnValue(int value) { ReturnValue_ = value; }

private:
    class StartGate;

    void Run();
    void Open();

    std::shared_ptr<win32::ThreadObject> Object_;
    std::shared_ptr<StartGate> Gate_;
    HANDLE Handle_ = nullptr;
    DWORD ThreadID_ = 0;
    std::thread Worker_;
    const bool CreateSuspended_;
    std::atomic<bool> Suspended_{true}; // until started
    std::atomic<bool> Terminated_{false};
    std::atomic<bool> Finished_{false};
    std::atomic<bool> FreeOnTerminate_{false};
    std::atomic<bool> Abandoned_{false};
    int ReturnValue_ = 0;
    std::exception_ptr FatalException_;
};

// Makes a thread object: constructor, then AfterConstruction.
template <class T, class... Args>
requires std::is_base_of_v<TThread, T> T* Create(Args&&... args)
{
    T* thread = new T(std::forward<Args>(args)...);
    try {
        thread->AfterConstruction();
    } catch (...) {
        thread->Free();
        throw;
    }
    return thread;
}

// Runs the methods workers wait to have synchronized, waiting up to
// timeoutMs for one when there is none yet. True when any ran. Only on the
// GUI thread: EThread elsewhere.
CORVANE_VCL_EXPORT bool CheckSynchronize(int timeoutMs = 0);

// The GUI thread's identifier.
CORVANE_VCL_EXPORT DWORD MainThreadID();

} // namespace vcl
