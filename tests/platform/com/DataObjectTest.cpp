#include "com/DataObject.h"
#include "com/ComObject.h"
#include "com/ComTesting.h"
#include "com/TaskAllocator.h"
#include "win32/GlobalMemory.h"
#include "win32/GlobalMemoryTesting.h"

#include <gtest/gtest.h>

namespace {

// Owns a medium's data for the sender; counts its own releases.
class Owner : public com::ComObject<IStream> {
public:
    explicit Owner(int* destroyed) : Destroyed_(destroyed) {}
    ~Owner() { ++*Destroyed_; }

private:
    int* Destroyed_;
};

STGMEDIUM GlobalMedium(HGLOBAL block)
{
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = block;
    return medium;
}

TEST(ReleaseStgMedium, FreesAGlobalBlockOnceAndEmptiesTheMedium)
{
    const std::size_t live = win32::testing::LiveGlobalAllocations();
    STGMEDIUM medium = GlobalMedium(GlobalAlloc(GHND, 32));
    ASSERT_TRUE(medium.hGlobal);
    ReleaseStgMedium(&medium);
    EXPECT_EQ(win32::testing::LiveGlobalAllocations(), live);
    EXPECT_EQ(medium.tymed, TYMED_NULL);
    EXPECT_EQ(medium.hGlobal, nullptr);
    ReleaseStgMedium(&medium); // twice: nothing left to free
    ReleaseStgMedium(nullptr);
}

TEST(ReleaseStgMedium, ReleasesTheOwnerInsteadOfFreeing)
{
    int destroyed = 0;
    HGLOBAL block = GlobalAlloc(GHND, 8);
    ASSERT_TRUE(block);
    STGMEDIUM medium = GlobalMedium(block);
    medium.pUnkForRelease = com::MakeComObject<Owner>(&destroyed).Detach();
    ReleaseStgMedium(&medium);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(medium.pUnkForRelease, nullptr);
    EXPECT_EQ(GlobalSize(block), 8u); // still the owner's to free
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(ReleaseStgMedium, ReleasesStreamsAndFreesFileNames)
{
    int destroyed = 0;
    STGMEDIUM stream{};
    stream.tymed = TYMED_ISTREAM;
    stream.pstm = com::MakeComObject<Owner>(&destroyed).Detach();
    ReleaseStgMedium(&stream);
    EXPECT_EQ(destroyed, 1);

    const long long tasks = com::testing::LiveTaskAllocations();
    STGMEDIUM file{};
    file.tymed = TYMED_FILE;
    file.lpszFileName = static_cast<LPOLESTR>(CoTaskMemAlloc(4 * sizeof(OLECHAR)));
    ASSERT_TRUE(file.lpszFileName);
    ReleaseStgMedium(&file);
    EXPECT_EQ(com::testing::LiveTaskAllocations(), tasks);
}

} // namespace
