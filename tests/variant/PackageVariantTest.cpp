#include "KwCorvanePackage.h"

#include <gtest/gtest.h>
#include <string>

// The same test source runs against both packages; each must say which one
// it is, so a program can never pick up the other generation's build by mistake.
TEST(PackageVariant, NamesTheGenerationItWasBuiltFor)
{
    EXPECT_EQ(std::string(kw::PackageName()), KW_EXPECTED_PACKAGE);
#if defined(KW_PREVIOUS_GENERATION)
    EXPECT_EQ(std::string(KW_EXPECTED_PACKAGE), "KwCorvaneD5");
#else
    EXPECT_EQ(std::string(KW_EXPECTED_PACKAGE), "KwCorvaneD6");
#endif
}
