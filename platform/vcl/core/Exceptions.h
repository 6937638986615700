#pragma once
// The framework's exception family. Exceptions are thrown by value and caught
// by reference; each is a TObject, so handlers can ask its class name.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Object.h"
#include "win32/WinTypes.h"

#include <exception>
#include <string>

namespace vcl {

class CORVANE_VCL_EXPORT Exception : public TObject, public std::exception {
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
class CORVANE_VCL_EXPORT EAbort : public Exception {
    VCL_DECLARE_CLASS(EAbort, Exception)
public:
    using Exception::Exception;
};

[[noreturn]] CORVANE_VCL_EXPORT void Abort();

// The class is exported, whichever library declares it: an exception is
// caught by its type in other libraries than the one that raises it.
#define VCL_DECLARE_EXCEPTION(Name_, Parent_)                                                                \
    class CORVANE_VCL_EXPORT Name_ : public Parent_ {                                                        \
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
class CORVANE_VCL_EXPORT EOleSysError : public EOleError {
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
class CORVANE_VCL_EXPORT EOleException : public EOleSysError {
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

// Where an exception cannot go on (a destructor such as TOwnedPtr's freeing
// its object), it ends at the application's exception handler: the one the
// application object installs at the platform's boundary
// (win32::SetExceptionHandler), which without an application writes it to
// the log. The silent EAbort ends here without a word. Call it inside a
// catch block; nothing leaves it.
CORVANE_VCL_EXPORT void HandleCurrentException() noexcept;

// Raises EOleSysError for a failing HRESULT, with the system's text for it;
// does nothing for a success code.
CORVANE_VCL_EXPORT void OleCheck(HRESULT result);
[[noreturn]] CORVANE_VCL_EXPORT void OleError(HRESULT errorCode);

} // namespace vcl
