#include "vcl/core/Exceptions.h"
#include "vcl/core/Classes.h"
#include "vcl/core/ExceptionFormat.h"
#include "win32/Errors.h"
#include "win32/MessageText.h"
#include "win32/WindowManager.h"

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

// The application's handler, as a test installs it at the platform's
// boundary: it notes what it is given, and may itself raise.
std::vector<std::string> g_seen;
bool g_handlerRaises = false;

void NoteException()
{
    try {
        throw;
    } catch (const Exception& e) {
        g_seen.push_back(e.ClassName() + ": " + e.Message());
    } catch (const std::exception& e) {
        g_seen.push_back(std::string("C++: ") + e.what());
    } catch (...) {
        g_seen.push_back("unknown");
    }
    if (g_handlerRaises)
        throw EInvalidOperation("the handler failed");
}

// Installs a handler for the life of the object.
class THandlerScope {
public:
    explicit THandlerScope(win32::ExceptionHandler handler) : Previous_(win32::SetExceptionHandler(handler))
    {
        g_seen.clear();
        g_handlerRaises = false;
    }
    ~THandlerScope() { win32::SetExceptionHandler(Previous_); }
    THandlerScope(const THandlerScope&) = delete;
    THandlerScope& operator=(const THandlerScope&) = delete;

private:
    win32::ExceptionHandler Previous_;
};

} // namespace

TEST(ApplicationExceptionHandler, AnExceptionFromFreeInAnOwnedPointerReachesTheHandler)
{
    struct Case {
        const char* Name;
        std::function<void()> Raise;
        bool HandlerRaises;
        std::vector<std::string> Seen;
        bool Logged; // the handler's own failure
    };
    const std::vector<Case> cases = {
        {"framework exception",
         [] { throw EComponentError("Cannot free"); },
         false,
         {"EComponentError: Cannot free"},
         false},
        {"silent abort", [] { Abort(); }, false, {}, false},
        {"other C++ exception",
         [] { throw std::runtime_error("disk on fire"); },
         false,
         {"C++: disk on fire"},
         false},
        {"anything else", [] { throw 42; }, false, {"unknown"}, false},
        {"handler that raises",
         [] { throw EComponentError("Cannot free"); },
         true,
         {"EComponentError: Cannot free"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const THandlerScope scope(&NoteException);
        g_handlerRaises = c.HandlerRaises;
        bool destroyed = false;
        testing::internal::CaptureStderr();
        {
            TOwnedPtr<TRaisingOnFree> owned(new TRaisingOnFree(c.Raise, destroyed));
        }
        EXPECT_EQ(!testing::internal::GetCapturedStderr().empty(), c.Logged);
        EXPECT_TRUE(destroyed);
        EXPECT_EQ(g_seen, c.Seen);
    }
}

TEST(ApplicationExceptionHandler, WithoutAnApplicationTheExceptionIsLogged)
{
    const THandlerScope scope(nullptr);
    bool destroyed = false;
    testing::internal::CaptureStderr();
    {
        TOwnedPtr<TRaisingOnFree> owned(
            new TRaisingOnFree([] { throw EComponentError("Cannot free"); }, destroyed));
    }
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot free"), std::string::npos);
    EXPECT_TRUE(destroyed);

    // Outside a handler of an exception there is nothing to hand on.
    testing::internal::CaptureStderr();
    HandleCurrentException();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
