#include "UKwShellControls_ChangeHandler_p.h"

#include "win32/ChangeNotifications.h"
#include "win32/Events.h"
#include "win32/WindowManager.h"

#include <chrono>
#include <vector>

namespace kw {

namespace {

TChangeHandlerThread::TestHooks& NewWorkerHooks()
{
    static TChangeHandlerThread::TestHooks hooks;
    return hooks;
}

void CloseWatch(HANDLE& handle)
{
    if (handle && handle != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(handle);
    handle = nullptr;
}

} // namespace

TChangeHandlerThread::TChangeHandlerThread(HWND window, UINT message)
    : vcl::TThread(true), Window_(window), Message_(message), Hooks_(NewWorkerHooks())
{
    Wake_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    Done_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    if (!Wake_ || !Done_) {
        if (Wake_)
            CloseHandle(Wake_);
        if (Done_)
            CloseHandle(Done_);
        Wake_ = Done_ = nullptr;
        throw vcl::EThread("Thread creation error: no event can be made");
    }
    SetFreeOnTerminate(false);
    Start();
}

TChangeHandlerThread::~TChangeHandlerThread()
{
    // The worker has ended: everything here is this thread's now.
    CloseHandle(Wake_);
    CloseHandle(Done_);
    for (HANDLE& slot : Slots_)
        CloseWatch(slot);
    CloseWatch(Pending_);
    if (Hooks_.Destroyed)
        Hooks_.Destroyed();
}

std::uint64_t TChangeHandlerThread::Issue(Command command, HANDLE pending)
{
    std::uint64_t ticket;
    HANDLE replaced = nullptr;
    {
        std::lock_guard lock(Lock_);
        ticket = ++Issued_;
        Command_ = command;
        if (command == Command::Add) {
            replaced = Pending_;
            Pending_ = pending;
        }
    }
    CloseWatch(replaced);
    SetEvent(Wake_);
    return ticket;
}

bool TChangeHandlerThread::Await(std::uint64_t ticket, int& result)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(Hooks_.CommandTimeout);
    for (;;) {
        {
            std::lock_guard lock(Lock_);
            if (Answered_ == ticket) {
                result = ResultSlot_;
                return true;
            }
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || WaitForSingleObject(Done_, static_cast<DWORD>(left)) == WAIT_TIMEOUT)
            break;
    }
    // Withdraw the command when the worker has not taken it; one taken is
    // carried out, and a watch it adds lives in a slot until it is closed.
    HANDLE withdrawn = nullptr;
    {
        std::lock_guard lock(Lock_);
        if (Answered_ == ticket) {
            result = ResultSlot_;
            return true;
        }
        if (Issued_ == ticket && Command_ != Command::None) {
            Command_ = Command::None;
            withdrawn = Pending_;
            Pending_ = nullptr;
        }
    }
    CloseWatch(withdrawn);
    return false;
}

void TChangeHandlerThread::SetNewWorkerTestHooks(TestHooks hooks)
{
    NewWorkerHooks() = std::move(hooks);
}

bool TChangeHandlerThread::AddChangeNotification(const std::string& path, DWORD filter, int& slot,
                                                 bool watchSubtree)
{
    const bool answer = Add(path, filter, slot, watchSubtree);
    if (Hooks_.Added)
        Hooks_.Added({path, filter, watchSubtree, answer});
    return answer;
}

bool TChangeHandlerThread::Add(const std::string& path, DWORD filter, int& slot, bool watchSubtree)
{
    if (path.empty())
        return false;
    const HANDLE handle = FindFirstChangeNotification(path.c_str(), watchSubtree, filter);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    int result = -1;
    if (!Await(Issue(Command::Add, handle), result))
        return false;
    slot = result;
    return result != -1;
}

void TChangeHandlerThread::RemoveAllChangeNotifications()
{
    int ignored;
    Await(Issue(Command::CloseAll, nullptr), ignored);
}

void TChangeHandlerThread::Destroy()
{
    Issue(Command::Quit, nullptr);
    Terminate();
    SetEvent(Wake_);
    if (WaitForSingleObject(Handle(), Hooks_.EndTimeout) != WAIT_OBJECT_0) {
        std::lock_guard lock(Lock_);
        if (!ExecuteDone_) {
            // Still busy: it frees itself once it ends.
            Abandoned_ = true;
            return;
        }
    }
    Free();
}

int TChangeHandlerThread::Carry(Command command, HANDLE pending)
{
    switch (command) {
    case Command::Add:
        for (int i = 0; i < kSlotCount; ++i) {
            if (!Slots_[i]) {
                Slots_[i] = pending;
                return i;
            }
        }
        // No room: nobody would ever close it.
        CloseWatch(pending);
        return -1;
    case Command::CloseAll:
        for (HANDLE& slot : Slots_)
            CloseWatch(slot);
        return -1;
    case Command::Quit:
    case Command::None:
        break;
    }
    return -1;
}

void TChangeHandlerThread::Execute()
{
    std::vector<HANDLE> handles;
    std::vector<int> slots;
    for (;;) {
        // Rebuilt every pass: the wake event first, so a command is served
        // before any change; among changes the lowest slot first.
        handles.assign(1, Wake_);
        slots.assign(1, -1);
        for (int i = 0; i < kSlotCount; ++i) {
            if (Slots_[i]) {
                handles.push_back(Slots_[i]);
                slots.push_back(i);
            }
        }
        const DWORD result =
            WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, INFINITE);
        Wakes_.fetch_add(1);
        if (result == WAIT_OBJECT_0) {
            Command command;
            std::uint64_t ticket;
            HANDLE pending = nullptr;
            {
                std::lock_guard lock(Lock_);
                command = Command_;
                ticket = Issued_;
                Command_ = Command::None;
                if (command == Command::Add) {
                    pending = Pending_;
                    Pending_ = nullptr;
                }
            }
            if (command == Command::Quit)
                break;
            if (command == Command::None) {
                if (Terminated())
                    break;
                continue; // withdrawn before it was taken
            }
            if (Hooks_.BeforeCommand)
                Hooks_.BeforeCommand();
            const int answer = Carry(command, pending);
            {
                std::lock_guard lock(Lock_);
                Answered_ = ticket;
                ResultSlot_ = answer;
            }
            SetEvent(Done_);
        } else if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + handles.size()) {
            const int slot = slots[result - WAIT_OBJECT_0];
            if (Window_)
                PostMessage(Window_, Message_, static_cast<WPARAM>(slot), 0);
            if (!FindNextChangeNotification(Slots_[slot]))
                CloseWatch(Slots_[slot]);
        } else {
            // Only a handle closed behind the worker's back fails the wait:
            // drop what is no longer live rather than spin on it.
            for (HANDLE& slot : Slots_) {
                if (slot && WaitForSingleObject(slot, 0) == WAIT_FAILED)
                    slot = nullptr;
            }
        }
        if (Terminated())
            break;
    }
    std::lock_guard lock(Lock_);
    ExecuteDone_ = true;
    if (Abandoned_)
        SetFreeOnTerminate(true);
}

} // namespace kw
