// OLE's initialisation rides on COM's: balanced with its own calls, and never
// undoing a CoInitialize of the thread's own.

#include "com/Initialization.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(OleInitialize, NestsAndBalancesOverCom)
{
    std::thread([] {
        EXPECT_EQ(OleInitialize(reinterpret_cast<LPVOID>(8)), E_INVALIDARG) << "only the task allocator";
        EXPECT_FALSE(com::IsInitializedOnThisThread());

        EXPECT_EQ(OleInitialize(nullptr), S_OK);
        EXPECT_TRUE(com::IsInitializedOnThisThread());
        EXPECT_TRUE(com::IsOleInitializedOnThisThread());
        EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
        OleUninitialize();
        EXPECT_TRUE(com::IsOleInitializedOnThisThread());
        OleUninitialize();
        EXPECT_FALSE(com::IsOleInitializedOnThisThread());
        EXPECT_FALSE(com::IsInitializedOnThisThread());
        OleUninitialize(); // one too many: ignored
        EXPECT_FALSE(com::IsInitializedOnThisThread());
    }).join();
}

TEST(OleInitialize, LeavesTheThreadsOwnComAlone)
{
    std::thread([] {
        // COM first, then OLE in the same model: OLE's uninitialise takes only its own.
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
        OleUninitialize();
        OleUninitialize(); // not OLE's to undo
        EXPECT_TRUE(com::IsInitializedOnThisThread());
        EXPECT_FALSE(com::IsOleInitializedOnThisThread());
        CoUninitialize();
        EXPECT_FALSE(com::IsInitializedOnThisThread());

        // The other model chosen first: OLE is refused and counts nothing.
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_EQ(OleInitialize(nullptr), RPC_E_CHANGED_MODE);
        EXPECT_FALSE(com::IsOleInitializedOnThisThread());
        OleUninitialize();
        EXPECT_TRUE(com::IsInitializedOnThisThread());
        CoUninitialize();
    }).join();
}

} // namespace
