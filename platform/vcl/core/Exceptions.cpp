#include "vcl/core/Exceptions.h"

#include "win32/MessageText.h"

#include <cstdio>

namespace vcl {

void Abort()
{
    throw EAbort("Operation aborted");
}

void OleCheck(HRESULT result)
{
    if (result < 0)
        OleError(result);
}

void OleError(HRESULT errorCode)
{
    std::string text = win32::SystemErrorText(static_cast<DWORD>(errorCode));
    if (text.empty()) {
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, "OLE error %.8X", static_cast<unsigned>(errorCode));
        text = fallback;
    }
    throw EOleSysError(std::move(text), errorCode);
}

} // namespace vcl
