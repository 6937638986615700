#include "vcl/core/Exceptions.h"
#include "vcl/core/Classes.h"
#include "vcl/core/ExceptionFormat.h"
#include "win32/Errors.h"
#include "win32/MessageText.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace vcl;

TEST(OleCheckTest, RaisesForFailuresWithTheSystemText)
{
    EXPECT_NO_THROW(OleCheck(S_OK));
    EXPECT_NO_THROW(OleCheck(S_FALSE)); // a success code, if not S_OK

    try {
        OleCheck(E_NOINTERFACE);
        ADD_FAILURE() << "no exception";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode(), E_NOINTERFACE);
        EXPECT_FALSE(e.Message().empty());
        EXPECT_EQ(e.Message(), win32::SystemErrorText(static_cast<DWORD>(E_NOINTERFACE)));
        EXPECT_TRUE(e.InheritsFrom(EOleError::StaticClass()));
    }
    // A code the system has no text for still says which it was.
    const HRESULT unknown = MakeHResult(0x8ABC1234);
    ASSERT_TRUE(win32::SystemErrorText(static_cast<DWORD>(unknown)).empty());
    try {
        OleError(unknown);
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode(), unknown);
        EXPECT_EQ(e.Message(), "OLE error 8ABC1234");
    }
}

namespace {
const TResStringRec STestDuplicate{"STestDuplicate", 65000, "%s: Duplicate PIDL at %d"};
}

TEST(OleCheckTest, FormattedExceptionsCarryTheirClassAndText)
{
    const EListError e = CreateFmt<EListError>("List index out of bounds (%d)", {12});
    EXPECT_EQ(e.Message(), "List index out of bounds (12)");
    EXPECT_EQ(e.ClassName(), "EListError");
    EXPECT_EQ(CreateResFmt(&STestDuplicate, {"TKwPidlList", 3}).Message(),
              "TKwPidlList: Duplicate PIDL at 3");
    EXPECT_EQ(CreateRes<EInvalidOperation>(&STestDuplicate).Message(), "%s: Duplicate PIDL at %d");
    EXPECT_THROW(throw CreateFmt("%d", {"not a number"}), EConvertError);
}

namespace {

// Raises what it is told to from BeforeDestruction, and says when it is gone.
class TRaisingOnFree : public TPersistent {
public:
    TRaisingOnFree(std::function<void()> raise, bool& destroyed)
        : Raise_(std::move(raise)), Destroyed_(destroyed)
    {
    }
    ~TRaisingOnFree() override { Destroyed_ = true; }
    void BeforeDestruction() override { Raise_(); }

private:
    std::function<void()> Raise_;
    bool& Destroyed_;
};

// The application's handler, as a test installs it.
struct TSeenExceptions {
    std::vector<std::string> Seen;
    bool RaiseAgain = false;
    void Handle(TObject*, const Exception& e)
    {
        Seen.push_back(e.ClassName() + ": " + e.Message());
        if (RaiseAgain)
            throw EInvalidOperation("the handler failed");
    }
};

// Installs a handler for the life of the object.
class THandlerScope {
public:
    explicit THandlerScope(TExceptionEvent handler) : Previous_(SetApplicationExceptionHandler(handler)) {}
    ~THandlerScope() { SetApplicationExceptionHandler(Previous_); }
    THandlerScope(const THandlerScope&) = delete;
    THandlerScope& operator=(const THandlerScope&) = delete;

private:
    TExceptionEvent Previous_;
};

} // namespace

TEST(ApplicationExceptionHandler, AnExceptionFromFreeInAnOwnedPointerReachesTheHandler)
{
    struct Case {
        const char* Name;
        std::function<void()> Raise;
        bool HandlerRaises;
        std::vector<std::string> Seen;
        std::string Stderr; // the default report
    };
    const std::vector<Case> cases = {
        {"framework exception",
         [] { throw EComponentError("Cannot free"); },
         false,
         {"EComponentError: Cannot free"},
         ""},
        {"silent abort", [] { Abort(); }, false, {}, ""},
        {"other C++ exception",
         [] { throw std::runtime_error("disk on fire"); },
         false,
         {"Exception: disk on fire"},
         ""},
        {"anything else", [] { throw 42; }, false, {"Exception: Unknown exception"}, ""},
        {"handler that raises",
         [] { throw EComponentError("Cannot free"); },
         true,
         {"EComponentError: Cannot free"},
         "Exception EInvalidOperation.\nthe handler failed.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TSeenExceptions seen;
        seen.RaiseAgain = c.HandlerRaises;
        const THandlerScope scope({&seen, &TSeenExceptions::Handle});
        bool destroyed = false;
        testing::internal::CaptureStderr();
        {
            TOwnedPtr<TRaisingOnFree> owned(new TRaisingOnFree(c.Raise, destroyed));
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.Stderr);
        EXPECT_TRUE(destroyed);
        EXPECT_EQ(seen.Seen, c.Seen);
    }
}

TEST(ApplicationExceptionHandler, WithoutAnApplicationTheDefaultReportIsWritten)
{
    const THandlerScope scope(nullptr);
    bool destroyed = false;
    testing::internal::CaptureStderr();
    {
        TOwnedPtr<TRaisingOnFree> owned(
            new TRaisingOnFree([] { throw EComponentError("Cannot free"); }, destroyed));
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Exception EComponentError.\nCannot free.\n");
    EXPECT_TRUE(destroyed);

    // Outside a handler of an exception there is nothing to hand on.
    testing::internal::CaptureStderr();
    HandleException(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(ApplicationExceptionHandler, InstallingReturnsThePreviousHandler)
{
    TSeenExceptions first;
    TSeenExceptions second;
    const TExceptionEvent firstHandler{&first, &TSeenExceptions::Handle};
    const THandlerScope scope(firstHandler);
    const TExceptionEvent previous = SetApplicationExceptionHandler({&second, &TSeenExceptions::Handle});
    EXPECT_TRUE(previous == firstHandler);
    try {
        throw EListError("second");
    } catch (...) {
        HandleException(nullptr);
    }
    SetApplicationExceptionHandler(previous);
    try {
        throw EListError("first");
    } catch (...) {
        HandleException(nullptr);
    }
    EXPECT_EQ(second.Seen, std::vector<std::string>{"EListError: second"});
    EXPECT_EQ(first.Seen, std::vector<std::string>{"EListError: first"});
}
