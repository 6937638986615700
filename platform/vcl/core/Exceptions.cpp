#include "vcl/core/Exceptions.h"

#include "win32/MessageText.h"

#include <cstdio>
#include <exception>
#include <mutex>
#include <utility>

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

namespace {

std::mutex& HandlerLock()
{
    static std::mutex lock;
    return lock;
}

TExceptionEvent& InstalledHandler()
{
    static TExceptionEvent handler;
    return handler;
}

void Report(TObject* sender, const Exception& e) noexcept
{
    TExceptionEvent handler;
    {
        const std::lock_guard<std::mutex> guard(HandlerLock());
        handler = InstalledHandler();
    }
    try {
        if (handler)
            handler(sender, e);
        else
            ShowException(e);
        return;
    } catch (const Exception& failure) {
        if (failure.InheritsFrom(EAbort::StaticClass()))
            return;
        ShowException(failure);
    } catch (const std::exception& failure) {
        ShowException(Exception(failure.what()));
    } catch (...) {
        ShowException(Exception("Unknown exception"));
    }
}

} // namespace

TExceptionEvent SetApplicationExceptionHandler(TExceptionEvent handler)
{
    const std::lock_guard<std::mutex> guard(HandlerLock());
    return std::exchange(InstalledHandler(), handler);
}

void HandleException(TObject* sender) noexcept
{
    const std::exception_ptr error = std::current_exception();
    if (!error)
        return;
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        if (!e.InheritsFrom(EAbort::StaticClass()))
            Report(sender, e);
    } catch (const std::exception& e) {
        Report(sender, Exception(e.what()));
    } catch (...) {
        Report(sender, Exception("Unknown exception"));
    }
}

void ShowException(const Exception& e)
{
    std::string message = e.Message();
    if (message.empty() || message.back() != '.')
        message += '.';
    std::fprintf(stderr, "Exception %s.\n%s\n", e.ClassName().c_str(), message.c_str());
    std::fflush(stderr);
}

} // namespace vcl
