#include "vcl/core/Exceptions.h"

#include "win32/MessageText.h"
#include "win32/WindowManager.h"

#include <cstdio>
#include <exception>

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

void HandleCurrentException() noexcept
{
    const std::exception_ptr error = std::current_exception();
    if (!error)
        return;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        // The silent exception says nothing.
    } catch (...) {
        win32::HandleCurrentException();
    }
}

} // namespace vcl
