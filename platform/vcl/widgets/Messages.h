#pragma once
// The framework's message record and the method type of window procedures.
//
// Message handlers take the record by reference and set Result. A class
// dispatches by overriding Dispatch with a switch on the message number and
// passing every other number to its parent class's Dispatch; a handler's
// "inherited" is that same call. What no class takes reaches
// DefaultHandler.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Events.h"
#include "win32/WindowMessages.h"

namespace vcl {

struct CORVANE_VCL_EXPORT TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;

    WORD WParamLo() const { return LOWORD(WParam); }
    WORD WParamHi() const { return HIWORD(WParam); }
    WORD LParamLo() const { return LOWORD(static_cast<DWORD_PTR>(LParam)); }
    WORD LParamHi() const { return HIWORD(static_cast<DWORD_PTR>(LParam)); }
};

// The point of a mouse message, signed.
inline POINT MessagePoint(const TMessage& message)
{
    return {GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
}

using TWndMethod = TEvent<void(TMessage& message)>;

} // namespace vcl
