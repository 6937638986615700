#include "com/Guid.h"
#include "com/TaskAllocator.h"
#include "win32/Errors.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <unordered_set>

namespace {

constexpr GUID Sample = com::MakeGuid("{0123ABCD-4567-89ef-FEDC-BA9876543210}");

// The layout and values the parser must produce, checked while compiling.
static_assert(Sample.Data1 == 0x0123ABCD && Sample.Data2 == 0x4567 && Sample.Data3 == 0x89EF);
static_assert(Sample.Data4[0] == 0xFE && Sample.Data4[1] == 0xDC && Sample.Data4[7] == 0x10);
static_assert(sizeof(GUID) == 16);
static_assert(Sample != GUID_NULL && Sample == Sample);
static_assert(!com::ParseGuid("{0123ABCD-4567-89ef-FEDC-BA987654321}"));

TEST(Guid, ParsesAndFormatsRoundTrip)
{
    CLSID parsed{};
    ASSERT_EQ(CLSIDFromString(u"{0123abcd-4567-89EF-fedc-ba9876543210}", &parsed), S_OK);
    EXPECT_EQ(parsed, Sample);

    WCHAR text[CCH_GUID_BUFFER];
    ASSERT_EQ(StringFromGUID2(Sample, text, CCH_GUID_BUFFER), CCH_GUID_BUFFER);
    EXPECT_EQ(std::u16string(text), u"{0123ABCD-4567-89EF-FEDC-BA9876543210}");
    EXPECT_EQ(com::GuidToString(Sample), "{0123ABCD-4567-89EF-FEDC-BA9876543210}");
    EXPECT_EQ(com::GuidToWide(GUID_NULL), u"{00000000-0000-0000-0000-000000000000}");

    CLSID back{};
    ASSERT_EQ(CLSIDFromString(text, &back), S_OK);
    EXPECT_TRUE(IsEqualCLSID(back, Sample));

    // Every byte position takes part: flip each in turn and the text and value differ.
    for (int i = 0; i < 8; ++i) {
        GUID changed = Sample;
        changed.Data4[i] ^= 0x5A;
        EXPECT_NE(changed, Sample);
        EXPECT_NE(com::GuidToString(changed), com::GuidToString(Sample));
        EXPECT_EQ(com::ParseGuid(com::GuidToString(changed)), changed);
    }
}

TEST(Guid, RejectsMalformedTextAndZeroesTheResult)
{
    const char16_t* malformed[] = {
        u"",
        u"0123ABCD-4567-89EF-FEDC-BA9876543210",        // no braces
        u"{0123ABCD-4567-89EF-FEDC-BA987654321}",       // one digit short
        u"{0123ABCD-4567-89EF-FEDC-BA98765432100}",     // one digit long
        u"{0123ABCD-4567-89EF-FEDC-BA9876543210}x",     // trailing text
        u"{0123ABCD-4567-89EF-FEDCBA9876543210-}",      // dash misplaced
        u"{0123ABCG-4567-89EF-FEDC-BA9876543210}",      // not hex
        u"{0123ABCD 4567-89EF-FEDC-BA9876543210}",      // space for dash
        u"(0123ABCD-4567-89EF-FEDC-BA9876543210)",      // wrong brackets
        u"{+123ABCD-4567-89EF-FEDC-BA9876543210}",      // sign
        u"{0123ABCD-4567-89EF-FEDC-BA98765432\uFF110}", // a full-width digit
    };
    for (const char16_t* text : malformed) {
        CLSID clsid = Sample;
        EXPECT_EQ(CLSIDFromString(text, &clsid), CO_E_CLASSSTRING) << com::GuidToString(clsid);
        EXPECT_EQ(clsid, GUID_NULL);
        IID iid = Sample;
        EXPECT_EQ(IIDFromString(text, &iid), E_INVALIDARG);
        EXPECT_EQ(iid, GUID_NULL);
    }
    CLSID clsid = Sample;
    EXPECT_EQ(CLSIDFromString(nullptr, &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(clsid, GUID_NULL);
    EXPECT_EQ(CLSIDFromString(u"{0123ABCD-4567-89EF-FEDC-BA9876543210}", nullptr), E_INVALIDARG);
}

TEST(Guid, FormatsOnlyIntoABufferThatFits)
{
    WCHAR text[CCH_GUID_BUFFER + 1];
    std::fill(std::begin(text), std::end(text), u'#');
    EXPECT_EQ(StringFromGUID2(Sample, text, CCH_GUID_STRING), 0);
    EXPECT_EQ(text[0], u'#'); // nothing written
    EXPECT_EQ(StringFromGUID2(Sample, nullptr, 100), 0);
    EXPECT_EQ(StringFromGUID2(Sample, text, CCH_GUID_BUFFER + 1), CCH_GUID_BUFFER);
    EXPECT_EQ(text[CCH_GUID_STRING], 0);
    EXPECT_EQ(text[CCH_GUID_BUFFER], u'#'); // nothing past the terminator

    LPOLESTR allocated = nullptr;
    ASSERT_EQ(StringFromCLSID(Sample, &allocated), S_OK);
    EXPECT_EQ(std::u16string(allocated), u"{0123ABCD-4567-89EF-FEDC-BA9876543210}");
    CoTaskMemFree(allocated);
    EXPECT_EQ(StringFromIID(Sample, nullptr), E_INVALIDARG);
}

TEST(Guid, HashesByValue)
{
    std::unordered_set<GUID> set;
    set.insert(Sample);
    set.insert(GUID_NULL);
    GUID copy = Sample;
    EXPECT_EQ(std::hash<GUID>{}(copy), std::hash<GUID>{}(Sample));
    EXPECT_TRUE(set.contains(copy));
    copy.Data3 ^= 1;
    EXPECT_FALSE(set.contains(copy));
    EXPECT_EQ(set.size(), 2u);
}

} // namespace
