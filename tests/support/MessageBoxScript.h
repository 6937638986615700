#pragma once
// Stands in for the person in front of message boxes: while the object
// lives, every box the program shows is recorded and answered from a script
// (the next answer queued, else the default button). One at a time.

#include "win32/MessageBox.h"

#include <cassert>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace kwtest {

class MessageBoxScript {
public:
    MessageBoxScript()
    {
        assert(!Current());
        Current() = this;
        Before_ = win32::SetMessageBoxHook(&Answer);
    }
    ~MessageBoxScript()
    {
        win32::SetMessageBoxHook(Before_);
        Current() = nullptr;
    }
    MessageBoxScript(const MessageBoxScript&) = delete;
    MessageBoxScript& operator=(const MessageBoxScript&) = delete;

    // The answers of the next boxes, in turn.
    void Queue(int answer)
    {
        std::lock_guard lock(Lock_);
        Answers_.push_back(answer);
    }
    // Runs while a box is up, before it is answered (to look at what is on
    // the screen, to press Help).
    std::function<void(const win32::MessageBoxRequest&)> WhileShown;

    std::vector<win32::MessageBoxRequest> Shown() const
    {
        std::lock_guard lock(Lock_);
        return Shown_;
    }
    std::size_t Count() const
    {
        std::lock_guard lock(Lock_);
        return Shown_.size();
    }
    win32::MessageBoxRequest Last() const
    {
        std::lock_guard lock(Lock_);
        return Shown_.empty() ? win32::MessageBoxRequest{} : Shown_.back();
    }

private:
    static MessageBoxScript*& Current()
    {
        static MessageBoxScript* current = nullptr;
        return current;
    }
    static int Answer(const win32::MessageBoxRequest& request)
    {
        MessageBoxScript& self = *Current();
        if (self.WhileShown)
            self.WhileShown(request);
        std::lock_guard lock(self.Lock_);
        self.Shown_.push_back(request);
        if (!self.Answers_.empty()) {
            const int answer = self.Answers_.front();
            self.Answers_.pop_front();
            return answer;
        }
        return request.Buttons.empty() ? 0 : request.Buttons[request.DefaultButton].Id;
    }

    win32::MessageBoxHook Before_ = nullptr;
    mutable std::mutex Lock_;
    std::deque<int> Answers_;
    std::vector<win32::MessageBoxRequest> Shown_;
};

} // namespace kwtest
