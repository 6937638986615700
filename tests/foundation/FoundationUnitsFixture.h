#pragma once
// Runs the foundation units' start-up under an identity and a module table a
// test chooses, and puts everything back afterwards.

#include "KwCorvanePackage.h"
#include "UKwFoundationTesting.h"
#include "vcl/core/UnitRegistry.h"
#include "win32/IdentityTesting.h"
#include "win32/ModuleTesting.h"

#include <gtest/gtest.h>

namespace kwtest {

class FoundationUnits : public ::testing::Test {
protected:
    void SetUp() override
    {
        vcl::FinalizeUnits();
        kw::RegisterPackageUnits();
        kw::testing::ClearUnitEvents();
    }
    void TearDown() override
    {
        vcl::FinalizeUnits();
        win32::testing::ResetIdentity();
        win32::testing::ResetModules();
        win32::testing::ResetLeadByteRanges();
        kw::testing::ClearUnitEvents();
    }

    // Shuts the units down, makes identity the system's, and starts them again.
    static void RestartUnder(const win32::PlatformIdentity& identity)
    {
        vcl::FinalizeUnits();
        win32::testing::SetIdentity(identity);
        vcl::InitializeUnits();
    }

    static win32::PlatformIdentity Windows95(DWORD build)
    {
        win32::PlatformIdentity id = win32::testing::DefaultIdentity();
        id.platformId = VER_PLATFORM_WIN32_WINDOWS;
        id.majorVersion = 4;
        id.minorVersion = 0;
        id.buildNumber = 0x04000000 | build; // the 95 family packs 4.0 into the high word
        return id;
    }

    static win32::PlatformIdentity WindowsNT(DWORD major, DWORD minor, DWORD build)
    {
        win32::PlatformIdentity id = win32::testing::DefaultIdentity();
        id.platformId = VER_PLATFORM_WIN32_NT;
        id.majorVersion = major;
        id.minorVersion = minor;
        id.buildNumber = build;
        return id;
    }
};

} // namespace kwtest
