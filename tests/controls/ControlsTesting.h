#pragma once
// Shared pieces of the control bases' tests.

#include "vcl/widgets/Controls.h"

#include <map>

namespace kwtest {

// Counts the messages a control's window procedure sees, by number.
struct MessageCounter {
    explicit MessageCounter(vcl::TControl* control) : Control(control)
    {
        Saved = control->WindowProc;
        control->WindowProc = vcl::TWndMethod(this, &MessageCounter::Count);
    }
    ~MessageCounter() { Control->WindowProc = Saved; }
    MessageCounter(const MessageCounter&) = delete;
    MessageCounter& operator=(const MessageCounter&) = delete;
    void Count(vcl::TMessage& message)
    {
        ++Counts[message.Msg];
        Saved(message);
    }
    vcl::TControl* Control;
    vcl::TWndMethod Saved;
    std::map<UINT, int> Counts;
};

} // namespace kwtest
