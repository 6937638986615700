#include "vcl/core/Exceptions.h"
#include "vcl/core/ExceptionFormat.h"
#include "win32/Errors.h"
#include "win32/MessageText.h"

#include <gtest/gtest.h>

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
