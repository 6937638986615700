// The units' start-up and shut-down: registration order, each at most once,
// reverse order on the way down, and what a unit that raises does to the rest.

#include "vcl/core/UnitRegistry.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Journal;
bool FirstStartRaises = false;
bool SecondStopRaises = false;
bool ThirdStopRaises = false;

void StartFirst()
{
    if (FirstStartRaises)
        throw std::runtime_error("first cannot start");
    Journal.push_back("first start");
}
void StopFirst()
{
    Journal.push_back("first stop");
}
void StartLate()
{
    Journal.push_back("late start");
}
void StopLate()
{
    Journal.push_back("late stop");
}
void StartSecond()
{
    Journal.push_back("second start");
    // A start-up may register a unit of its own; it starts in the same pass.
    vcl::RegisterUnit({"UnitRegistryTest.Late", &StartLate, &StopLate});
}
void StopSecond()
{
    Journal.push_back("second stop");
    if (SecondStopRaises)
        throw std::runtime_error("second cannot stop");
}
void StopThird()
{
    Journal.push_back("third stop");
    if (ThirdStopRaises)
        throw std::logic_error("third cannot stop");
}

using Events = std::vector<std::string>;

// Registering again changes nothing, so each test can do it.
void RegisterTestUnits()
{
    vcl::RegisterUnit({"UnitRegistryTest.First", &StartFirst, &StopFirst});
    vcl::RegisterUnit({"UnitRegistryTest.Second", &StartSecond, &StopSecond});
    vcl::RegisterUnit({"UnitRegistryTest.Third", nullptr, &StopThird});
}

TEST(UnitRegistry, StartsInOrderOnceAndStopsInReverse)
{
    vcl::FinalizeUnits();
    Journal.clear();
    RegisterTestUnits();
    // A name registered again is ignored, whatever procedures come with it.
    vcl::RegisterUnit({"UnitRegistryTest.First", &StartLate, &StopLate});
    EXPECT_TRUE(vcl::UnitRegistered("UnitRegistryTest.Third"));
    EXPECT_FALSE(vcl::UnitInitialized("UnitRegistryTest.First"));

    vcl::InitializeUnits();
    vcl::InitializeUnits();
    EXPECT_EQ(Journal, (Events{"first start", "second start", "late start"}));
    EXPECT_TRUE(vcl::UnitInitialized("UnitRegistryTest.Third")) << "a unit without a start-up starts too";
    EXPECT_TRUE(vcl::UnitInitialized("UnitRegistryTest.Late"));

    Journal.clear();
    vcl::FinalizeUnits();
    vcl::FinalizeUnits();
    EXPECT_EQ(Journal, (Events{"late stop", "third stop", "second stop", "first stop"}));
    EXPECT_FALSE(vcl::UnitInitialized("UnitRegistryTest.First"));

    // Started again after a shut-down, in the registered order.
    Journal.clear();
    vcl::InitializeUnits();
    vcl::FinalizeUnits();
    EXPECT_EQ(Journal, (Events{"first start", "second start", "late start", "late stop", "third stop",
                               "second stop", "first stop"}));
}

TEST(UnitRegistry, AStartUpThatRaisesStopsTheRestAndIsNotShutDown)
{
    RegisterTestUnits();
    vcl::FinalizeUnits();
    Journal.clear();
    FirstStartRaises = true;
    EXPECT_THROW(vcl::InitializeUnits(), std::runtime_error);
    FirstStartRaises = false;
    EXPECT_FALSE(vcl::UnitInitialized("UnitRegistryTest.First"));
    EXPECT_FALSE(vcl::UnitInitialized("UnitRegistryTest.Second")) << "later units wait";
    EXPECT_TRUE(Journal.empty());

    vcl::FinalizeUnits();
    EXPECT_TRUE(Journal.empty()) << "nothing started, nothing stops";

    // The next start-up tries again.
    vcl::InitializeUnits();
    EXPECT_EQ(Journal, (Events{"first start", "second start", "late start"}));
    Journal.clear();
    vcl::FinalizeUnits();
}

TEST(UnitRegistry, AShutDownThatRaisesDoesNotStopTheOthers)
{
    RegisterTestUnits();
    vcl::InitializeUnits();
    Journal.clear();
    SecondStopRaises = true;
    ThirdStopRaises = true;
    // Every unit stops; the first exception comes out at the end.
    EXPECT_THROW(vcl::FinalizeUnits(), std::logic_error);
    SecondStopRaises = false;
    ThirdStopRaises = false;
    EXPECT_EQ(Journal, (Events{"late stop", "third stop", "second stop", "first stop"}));
    EXPECT_FALSE(vcl::UnitInitialized("UnitRegistryTest.Second"));
    EXPECT_FALSE(vcl::UnitInitialized("UnitRegistryTest.Third"));

    Journal.clear();
    vcl::FinalizeUnits();
    EXPECT_TRUE(Journal.empty()) << "each unit shuts down once per start-up";
}

} // namespace
