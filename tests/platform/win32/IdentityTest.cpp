#include "win32/Identity.h"
#include "PlatformFixture.h"
#include "win32/Errors.h"

#include <atomic>
#include <cstring>
#include <thread>

namespace {

using IdentityTest = PlatformFixture;

TEST_F(IdentityTest, DefaultIsModernNt)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = 148;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_EQ(info.dwMinorVersion, 0u);
    EXPECT_EQ(info.dwBuildNumber, 2195u);
    EXPECT_STREQ(info.szCSDVersion, "");
    EXPECT_EQ(GetVersion(), 0x08930005u);

    const win32::PlatformIdentity& id = win32::CurrentIdentity();
    EXPECT_EQ(id.commonControlsMS, 0x00050051u);
    EXPECT_EQ(id.shellMS, 0x00050000u);

    OSVERSIONINFOEXA ex{};
    ex.dwOSVersionInfoSize = sizeof ex;
    ASSERT_TRUE(GetVersionExA(&ex));
    EXPECT_EQ(ex.dwBuildNumber, 2195u);
    EXPECT_EQ(ex.wProductType, VER_NT_WORKSTATION);
}

TEST_F(IdentityTest, GetVersionExChecksTheRecordSize)
{
    for (DWORD size : {0u, 147u, 149u, 155u, 157u, 0xFFFFFFFFu}) {
        OSVERSIONINFOEXA info{};
        info.dwOSVersionInfoSize = size;
        std::memset(info.szCSDVersion, 'x', sizeof info.szCSDVersion);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(GetVersionExA(&info)) << size;
        EXPECT_EQ(GetLastError(), size < 148 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_PARAMETER) << size;
        EXPECT_EQ(info.dwMajorVersion, 0u) << "a refused record is left alone";
        EXPECT_EQ(info.szCSDVersion[0], 'x');
    }
    EXPECT_FALSE(GetVersionExA(nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(IdentityTest, TestsCanPlayOtherSystems)
{
    // Windows 95 OSR2: the build number packs 4.0 into its high word.
    win32::PlatformIdentity win95 = win32::testing::DefaultIdentity();
    win95.platformId = VER_PLATFORM_WIN32_WINDOWS;
    win95.majorVersion = 4;
    win95.minorVersion = 0;
    win95.buildNumber = 0x04000457;
    win32::testing::SetCsdVersion(win95, " B");
    win95.commonControlsMS = 0x00040047;
    win32::testing::SetIdentity(win95);

    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
    EXPECT_EQ(info.dwBuildNumber, 0x04000457u);
    EXPECT_EQ(info.dwBuildNumber & 0xFFFF, 1111u);
    EXPECT_STREQ(info.szCSDVersion, " B");
    EXPECT_EQ(GetVersion() & 0x8000FFFFu, 0x80000004u);
    EXPECT_EQ(win32::CurrentIdentity().commonControlsMS, 0x00040047u);

    // NT 3.51 with a service pack; an overlong CSD text is cut, never overrun.
    win32::PlatformIdentity nt351 = win32::testing::DefaultIdentity();
    nt351.majorVersion = 3;
    nt351.minorVersion = 51;
    nt351.buildNumber = 1057;
    std::memset(nt351.csdVersion, 'S', sizeof nt351.csdVersion);
    win32::testing::SetIdentity(nt351);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwMajorVersion, 3u);
    EXPECT_EQ(info.dwMinorVersion, 51u);
    EXPECT_EQ(std::strlen(info.szCSDVersion), 127u);
    EXPECT_EQ(GetVersion(), (1057u << 16) | (51u << 8) | 3u);

    win32::testing::ResetIdentity();
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_STREQ(info.szCSDVersion, "");
}

TEST_F(IdentityTest, ReadersOnOtherThreadsSeeWholeIdentities)
{
    win32::PlatformIdentity a = win32::testing::DefaultIdentity();
    win32::PlatformIdentity b = a;
    b.majorVersion = 4;
    b.buildNumber = 1381;
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!stop) {
            const win32::PlatformIdentity& id = win32::CurrentIdentity();
            if ((id.majorVersion == 5) != (id.buildNumber == 2195))
                ++torn;
        }
    });
    for (int i = 0; i < 200; ++i)
        win32::testing::SetIdentity(i % 2 ? a : b);
    stop = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0);
}

TEST_F(IdentityTest, LeadBytes)
{
    for (int b = 0; b < 256; ++b)
        ASSERT_FALSE(IsDBCSLeadByte(static_cast<BYTE>(b))) << b;
    EXPECT_EQ(GetACP(), CP_UTF8);

    win32::testing::SetLeadByteRanges(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_FALSE(IsDBCSLeadByte(0x80));
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
    EXPECT_TRUE(IsDBCSLeadByte(0x9F));
    EXPECT_FALSE(IsDBCSLeadByte(0xA0));
    EXPECT_FALSE(IsDBCSLeadByte(0xDF));
    EXPECT_TRUE(IsDBCSLeadByte(0xE0));
    EXPECT_TRUE(IsDBCSLeadByte(0xFC));
    EXPECT_FALSE(IsDBCSLeadByte(0xFD));
    EXPECT_FALSE(IsDBCSLeadByte('\\'));
    EXPECT_TRUE(IsDBCSLeadByteEx(CP_ACP, 0x81));
    EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x81));
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, 0x81));
    EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0x81));

    win32::testing::ResetLeadByteRanges();
    EXPECT_FALSE(IsDBCSLeadByte(0x81));
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_ACP, 0x81));
}

} // namespace
