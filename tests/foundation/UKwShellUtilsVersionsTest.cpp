// The operating-system and common-controls version tests, under every
// identity the system's code distinguishes.

#include "FoundationUnitsFixture.h"
#include "UKwShellUtils.h"

#include "TestSupport.h"

#include <fstream>
#include <string>
#include <vector>

namespace {

struct VersionAnswers {
    bool win95, osr2, winNT, win2000, win95Shell;
};

VersionAnswers Ask()
{
    return {kw::IsWin95(), kw::IsOSR2OrGreater(), kw::IsWinNT(), kw::IsWin2000(), kw::HasWin95Shell()};
}

#define EXPECT_ANSWERS(expected_)                                                                            \
    do {                                                                                                     \
        const VersionAnswers got = Ask();                                                                    \
        const VersionAnswers want = expected_;                                                               \
        EXPECT_EQ(got.win95, want.win95) << "IsWin95";                                                       \
        EXPECT_EQ(got.osr2, want.osr2) << "IsOSR2OrGreater";                                                 \
        EXPECT_EQ(got.winNT, want.winNT) << "IsWinNT";                                                       \
        EXPECT_EQ(got.win2000, want.win2000) << "IsWin2000";                                                 \
        EXPECT_EQ(got.win95Shell, want.win95Shell) << "HasWin95Shell";                                       \
    } while (0)

using Versions = kwtest::FoundationUnits;

TEST_F(Versions, EachIdentityAnswersItsOwnTests)
{
    // The 95 family keeps 4.0 in the build number's high word: only the low
    // word tells OSR2 (build 1111) from the first release (build 950).
    RestartUnder(Windows95(950));
    EXPECT_ANSWERS((VersionAnswers{true, false, false, false, true}));
    RestartUnder(Windows95(1111));
    EXPECT_ANSWERS((VersionAnswers{true, true, false, false, true}));
    RestartUnder(Windows95(1000));
    EXPECT_FALSE(kw::IsOSR2OrGreater()) << "above 1000, not from 1000";
    RestartUnder(Windows95(1001));
    EXPECT_TRUE(kw::IsOSR2OrGreater());
    // The build word is unsigned: one with its top bit set is a large build.
    RestartUnder(Windows95(0x8000));
    EXPECT_TRUE(kw::IsOSR2OrGreater()) << "build 32768";
    RestartUnder(Windows95(0xFFFF));
    EXPECT_TRUE(kw::IsOSR2OrGreater()) << "build 65535";
    // Only the low word counts, whatever the high word packs.
    win32::PlatformIdentity win98 = Windows95(950);
    win98.buildNumber = 0x040A0000 | 950;
    RestartUnder(win98);
    EXPECT_FALSE(kw::IsOSR2OrGreater()) << "4.10 with build 950 in its low word";

    // NT 3.51 has the old shell; NT is never OSR2 whatever its build.
    RestartUnder(WindowsNT(3, 51, 1057));
    EXPECT_ANSWERS((VersionAnswers{false, false, true, false, false}));
    RestartUnder(WindowsNT(4, 0, 1381));
    EXPECT_ANSWERS((VersionAnswers{false, false, true, false, true}));
    RestartUnder(WindowsNT(5, 0, 2195));
    EXPECT_ANSWERS((VersionAnswers{false, false, true, true, true}));
    // "At least" 5 and 4: later NT versions keep both answers.
    RestartUnder(WindowsNT(6, 1, 7601));
    EXPECT_ANSWERS((VersionAnswers{false, false, true, true, true}));
    RestartUnder(WindowsNT(10, 0, 19045));
    EXPECT_ANSWERS((VersionAnswers{false, false, true, true, true}));
    // An NT build above 1000 with its low word set is still no OSR2.
    RestartUnder(WindowsNT(4, 0, 0xFFFF));
    EXPECT_ANSWERS((VersionAnswers{false, false, true, false, true}));

    // Win32s is neither family, whatever version numbers it carries.
    for (const DWORD major : {3u, 4u, 5u}) {
        win32::PlatformIdentity win32s = WindowsNT(major, 10, 1111);
        win32s.platformId = VER_PLATFORM_WIN32s;
        RestartUnder(win32s);
        EXPECT_ANSWERS((VersionAnswers{false, false, false, false, false}));
    }
    // Nor is a platform this code has never heard of.
    win32::PlatformIdentity unknown = WindowsNT(5, 0, 2195);
    unknown.platformId = 3;
    RestartUnder(unknown);
    EXPECT_ANSWERS((VersionAnswers{false, false, false, false, false}));

    // The record is read at start-up, not at each question.
    win32::testing::SetIdentity(Windows95(1111));
    EXPECT_ANSWERS((VersionAnswers{false, false, false, false, false}));
}

TEST_F(Versions, CommonControlsVersionIsReadAtStartUp)
{
    win32::PlatformIdentity id = win32::testing::DefaultIdentity();
    RestartUnder(id);
    EXPECT_EQ(kw::COMCTL32_VER.MS, 0x00050051u);
    EXPECT_EQ(kw::COMCTL32_VER.LS, id.commonControlsLS);

    id.commonControlsMS = 0x00040047; // 4.71
    id.commonControlsLS = 0x0A6E0000;
    RestartUnder(id);
    EXPECT_EQ(kw::COMCTL32_VER.MS, 0x00040047u);
    EXPECT_EQ(kw::COMCTL32_VER.LS, 0x0A6E0000u);

    id.commonControlsMS = 0x00040048; // 4.72
    RestartUnder(id);
    EXPECT_EQ(kw::COMCTL32_VER.MS, 0x00040048u);

    // Without a readable version both halves are zero, so every comparison
    // against it fails; start-up goes on.
    vcl::FinalizeUnits();
    win32::testing::UnregisterModule("comctl32.dll");
    vcl::InitializeUnits();
    EXPECT_EQ(kw::COMCTL32_VER.MS, 0u);
    EXPECT_EQ(kw::COMCTL32_VER.LS, 0u);
    EXPECT_TRUE(vcl::UnitInitialized("UKwShellUtils"));
}

TEST_F(Versions, ModuleVersionOfModulesWithAndWithoutOne)
{
    win32::PlatformIdentity id = win32::testing::DefaultIdentity();
    id.commonControlsMS = 0x00040048;
    id.commonControlsLS = 0x0B5A0001;
    win32::testing::SetIdentity(id);

    kw::TKwModuleVersion version{0, 0};
    ASSERT_TRUE(kw::GetModuleVersion("comctl32.dll", version));
    EXPECT_EQ(version.MS, 0x00040048u);
    EXPECT_EQ(version.LS, 0x0B5A0001u);

    win32::testing::RegisterModule("myext.dll", win32::ModuleVersion{0x00020003, 0x00040005}, {});
    ASSERT_TRUE(kw::GetModuleVersion("MYEXT", version));
    EXPECT_EQ(version.MS, 0x00020003u);
    EXPECT_EQ(version.LS, 0x00040005u);

    // Every failure leaves the caller's record as it was.
    const kw::TKwModuleVersion sentinel{0x11111111, 0x22222222};
    win32::testing::RegisterModule("noversion.dll", std::nullopt, {});
    kwtest::TempDir dir;
    std::ofstream(dir / "plain.dll") << "no resources here";
    for (const std::string& name :
         std::vector<std::string>{"noversion.dll", "nosuchmodule.dll", dir / "plain.dll", ""}) {
        version = sentinel;
        EXPECT_FALSE(kw::GetModuleVersion(name, version)) << name;
        EXPECT_EQ(version.LS, sentinel.LS) << name;
        EXPECT_EQ(version.MS, sentinel.MS) << name;
    }
}

} // namespace
