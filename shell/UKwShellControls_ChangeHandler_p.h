#pragma once
// TChangeHandlerThread: the worker that waits on the change-notification
// handles of the folders a shell tree or shell list watches and posts a
// message to the control's window for each signal. It reaches the control
// only through PostMessage and never touches the shell.
//
// Commands (add a watch, close all, quit) go from the GUI thread to the
// worker through fields guarded by one lock and two events; each command
// carries a number, and an answer counts only for the command of its number,
// so a late answer to a command that timed out is never taken for the next
// one's. A command the worker has not taken by its time-out is withdrawn,
// and the handle it carried is closed.

#include "KwCorvaneExport.h"
#include "vcl/core/Thread.h"
#include "win32/WinTypes.h"
#include "win32/WindowMessages.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace kw {

// Posted by the worker: wParam is the slot of the signalled watch, lParam 0.
inline constexpr UINT AM_ChangeNotify = WM_USER + 101;

class KWCORVANE_EXPORT TChangeHandlerThread final : public vcl::TThread {
    VCL_DECLARE_CLASS(TChangeHandlerThread, vcl::TThread)
public:
    // 63 watches and the wake event: the most one wait takes.
    static constexpr int kSlotCount = 63;
    static constexpr DWORD kCommandTimeout = 2000;
    static constexpr DWORD kEndTimeout = 30000;

    // Starts the worker; it posts message to window (0: posts nothing).
    TChangeHandlerThread(HWND window, UINT message);

    // Watches path; true with the slot the watch's messages will carry.
    // False for a path that cannot be watched, a full table, or a worker
    // that does not answer in time.
    bool AddChangeNotification(const std::string& path, DWORD filter, int& slot, bool watchSubtree);
    // Closes every watch; returns once done or after the time-out.
    void RemoveAllChangeNotifications();
    // Ends the worker and frees the object. Never waits longer than the end
    // time-out: a worker that has not ended by then frees itself when it does.
    void Destroy();

    // For tests: how often the worker's wait has returned.
    std::uint64_t WakeCount() const { return Wakes_.load(); }
    // One AddChangeNotification as its caller saw it.
    struct AddRecord {
        std::string Path;
        DWORD Filter = 0;
        bool Subtree = false;
        bool Answer = false;
    };
    struct TestHooks {
        // Runs on the worker after it took a command, before carrying it out.
        std::function<void()> BeforeCommand;
        // Runs on the caller's thread as every add returns.
        std::function<void(const AddRecord&)> Added;
        // Runs as the object goes, on whichever thread frees it.
        std::function<void()> Destroyed;
        DWORD CommandTimeout = kCommandTimeout;
        DWORD EndTimeout = kEndTimeout;
    };
    // Before any command is given.
    void SetTestHooks(TestHooks hooks) { Hooks_ = std::move(hooks); }
    // The hooks every worker made afterwards starts with, for tests of the
    // controls that make their own; GUI thread only.
    static void SetNewWorkerTestHooks(TestHooks hooks);

protected:
    ~TChangeHandlerThread() override;
    void Execute() override;

private:
    enum class Command : std::uint8_t { Add = 0, CloseAll = 2, Quit = 3, None = 0xFF };

    std::uint64_t Issue(Command command, HANDLE pending);
    // The answer (result slot) to command number ticket, or false after the time-out.
    bool Await(std::uint64_t ticket, int& result);
    int Carry(Command command, HANDLE pending);
    bool Add(const std::string& path, DWORD filter, int& slot, bool watchSubtree);

    HANDLE Wake_ = nullptr;
    HANDLE Done_ = nullptr;
    const HWND Window_;
    const UINT Message_;
    std::array<HANDLE, kSlotCount> Slots_{}; // the worker's while it runs

    std::mutex Lock_; // guards what follows
    Command Command_ = Command::None;
    std::uint64_t Issued_ = 0;
    std::uint64_t Answered_ = 0;
    HANDLE Pending_ = nullptr;
    int ResultSlot_ = -1;
    bool ExecuteDone_ = false;
    bool Abandoned_ = false;

    std::atomic<std::uint64_t> Wakes_{0};
    TestHooks Hooks_;
};

} // namespace kw
