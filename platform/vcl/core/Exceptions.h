#pragma once
// The framework's exception family. Exceptions are thrown by value and caught
// by reference; each is a TObject, so handlers can ask its class name.

#include "vcl/core/Events.h"
#include "vcl/core/Object.h"
#include "win32/WinTypes.h"

#include <exception>
#include <string>

namespace vcl {

class Exception : public TObject, public std::exception {
    VCL_DECLARE_CLASS(Exception, TObject)
public:
    explicit Exception(std::string message) : Message_(std::move(message)) {}

    const std::string& Message() const { return Message_; }
    void SetMessage(std::string message) { Message_ = std::move(message); }
    int HelpContext() const { return HelpContext_; }
    void SetHelpContext(int context) { HelpContext_ = context; }

    const char* what() const noexcept override { return Message_.c_str(); }

private:
    std::string Message_;
    int HelpContext_ = 0;
};

// The silent exception: it unwinds an operation, and the application's
// handler swallows it without a word.
class EAbort : public Exception {
    VCL_DECLARE_CLASS(EAbort, Exception)
public:
    using Exception::Exception;
};

[[noreturn]] void Abort();

#define VCL_DECLARE_EXCEPTION(Name_, Parent_)                                                                \
    class Name_ : public Parent_ {                                                                           \
        VCL_DECLARE_CLASS(Name_, Parent_)                                                                    \
    public:                                                                                                  \
        using Parent_::Parent_;                                                                              \
    }

VCL_DECLARE_EXCEPTION(EInvalidCast, Exception);
VCL_DECLARE_EXCEPTION(EConvertError, Exception);
VCL_DECLARE_EXCEPTION(EInvalidOperation, Exception);
VCL_DECLARE_EXCEPTION(EListError, Exception);
VCL_DECLARE_EXCEPTION(EStringListError, Exception);
VCL_DECLARE_EXCEPTION(EOutOfMemory, Exception);
VCL_DECLARE_EXCEPTION(EInOutError, Exception);
VCL_DECLARE_EXCEPTION(EStreamError, Exception);
VCL_DECLARE_EXCEPTION(EFCreateError, EStreamError);
VCL_DECLARE_EXCEPTION(EFOpenError, EStreamError);
VCL_DECLARE_EXCEPTION(EFilerError, EStreamError);
VCL_DECLARE_EXCEPTION(EReadError, EFilerError);
VCL_DECLARE_EXCEPTION(EWriteError, EFilerError);
VCL_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
VCL_DECLARE_EXCEPTION(EResNotFound, Exception);
VCL_DECLARE_EXCEPTION(EComponentError, Exception);
VCL_DECLARE_EXCEPTION(ERegistryException, Exception);
VCL_DECLARE_EXCEPTION(EOleError, Exception);

// A failed OLE call: carries its HRESULT.
class EOleSysError : public EOleError {
    VCL_DECLARE_CLASS(EOleSysError, EOleError)
public:
    EOleSysError(std::string message, HRESULT errorCode, int helpContext = 0)
        : EOleError(std::move(message)), ErrorCode_(errorCode)
    {
        SetHelpContext(helpContext);
    }
    HRESULT ErrorCode() const { return ErrorCode_; }

private:
    HRESULT ErrorCode_;
};

// An exception raised by an OLE server, with its source and help file.
class EOleException : public EOleSysError {
    VCL_DECLARE_CLASS(EOleException, EOleSysError)
public:
    EOleException(std::string message, HRESULT errorCode, std::string source, std::string helpFile,
                  int helpContext)
        : EOleSysError(std::move(message), errorCode, helpContext), Source_(std::move(source)),
          HelpFile_(std::move(helpFile))
    {
    }
    const std::string& Source() const { return Source_; }
    const std::string& HelpFile() const { return HelpFile_; }

private:
    std::string Source_;
    std::string HelpFile_;
};

// ---- Exceptions nobody can raise on --------------------------------------
// An exception that reaches a place where it cannot go on (a destructor such
// as TOwnedPtr's freeing its object, and every entry point from the event
// loop) ends at the application's exception handler. The application object
// installs its handler here when it starts; until then, and in a program
// without one, the default report is used.

using TExceptionEvent = TEvent<void(TObject* aSender, const Exception& e)>;

// Installs handler (nil: the default report) and returns the one it
// replaces, so that whoever installs one can put the previous one back.
TExceptionEvent SetApplicationExceptionHandler(TExceptionEvent handler);

// Hands the exception being handled (call it inside a catch block) to the
// application's handler. EAbort ends here without a word; another
// framework exception is passed as it is; any other C++ exception is passed
// as an Exception with its text ("Unknown exception" when it has none). An
// exception raised by the handler itself is given to the default report, so
// nothing leaves this function.
void HandleException(TObject* sender) noexcept;

// The default report: "Exception <class name>." and the message, ended with a
// period, on the standard error output.
void ShowException(const Exception& e);

// Raises EOleSysError for a failing HRESULT, with the system's text for it;
// does nothing for a success code.
void OleCheck(HRESULT result);
[[noreturn]] void OleError(HRESULT errorCode);

} // namespace vcl
