#pragma once
// Puts back the identity, the code page and the module set a test changed.

#include "win32/IdentityTesting.h"
#include "win32/ModuleTesting.h"

#include <gtest/gtest.h>

class PlatformFixture : public ::testing::Test {
protected:
    void TearDown() override
    {
        win32::testing::ResetIdentity();
        win32::testing::ResetLeadByteRanges();
        win32::testing::ResetModules();
    }
};
