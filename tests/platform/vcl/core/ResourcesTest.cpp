#include "vcl/core/Resources.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Streams.h"
#include "win32/Modules.h"

#include <gtest/gtest.h>
#include <string>

using namespace vcl;

namespace {

constexpr unsigned char kForm[] = "object AboutForm: TAboutForm\nend\n";
constexpr unsigned char kPage[] = "{\\rtf1 page 101}";
constexpr unsigned char kGlyph[] = {0x42, 0x4D, 0x00, 0xFF};

// Constant data: building this table runs nothing.
constexpr TResourceRecord kTable[] = {
    {RT_RCDATA, "TAboutForm", kForm, sizeof kForm - 1},
    {"RTF", 101, kPage, sizeof kPage - 1},
    {RT_BITMAP, "TKWSHELLTREE", kGlyph, sizeof kGlyph},
};
static_assert(kTable[0].Name.Name() == "TAboutForm");
static_assert(kTable[1].Name.IsNumber() && kTable[1].Name.Number() == 101);
static_assert(TResourceId("#65535").IsNumber() && !TResourceId("#65536").IsNumber());

// A module of the test's own, so that nothing here meets other tests'
// resources.
HINSTANCE TestModule(std::uintptr_t n)
{
    return reinterpret_cast<HINSTANCE>(0x7E570000 + n);
}

std::string Text(const TResourceData& data)
{
    return std::string(reinterpret_cast<const char*>(data.Data()), data.Size());
}

} // namespace

TEST(ResourcesTest, FindsByNameOrNumberIgnoringCase)
{
    const HINSTANCE module = TestModule(1);
    RegisterResources(module, kTable);

    EXPECT_EQ(Text(FindResourceData(module, "TABOUTFORM", RT_RCDATA)), "object AboutForm: TAboutForm\nend\n");
    EXPECT_EQ(Text(FindResourceData(module, "taboutform", "#10")), "object AboutForm: TAboutForm\nend\n");
    EXPECT_EQ(Text(FindResourceData(module, 101, "rtf")), "{\\rtf1 page 101}");
    EXPECT_EQ(Text(FindResourceData(module, "#101", "RTF")), "{\\rtf1 page 101}");
    // The platform's integer-resource pointers are numbers too.
    EXPECT_TRUE(FindResourceData(module, reinterpret_cast<const char*>(std::uintptr_t{101}), "RTF"));
    EXPECT_EQ(FindResourceData(module, "TKwShellTree", RT_BITMAP).Size(), 4u);

    // Wrong type, wrong name, wrong module, a number that is not a name.
    EXPECT_FALSE(FindResourceData(module, "TAboutForm", RT_BITMAP));
    EXPECT_FALSE(FindResourceData(module, "TAboutForm2", RT_RCDATA));
    EXPECT_FALSE(FindResourceData(TestModule(2), "TAboutForm", RT_RCDATA));
    EXPECT_FALSE(FindResourceData(module, "101", "RTF"));
    EXPECT_FALSE(FindResourceData(module, 10, "TAboutForm"));

    EXPECT_EQ(ResourceNames(module, RT_RCDATA), std::vector<std::string>{"TABOUTFORM"});
    EXPECT_EQ(ResourceNames(module, "Rtf"), std::vector<std::string>{"#101"});

    EXPECT_TRUE(UnregisterResource(module, RT_BITMAP, "tkwshelltree"));
    EXPECT_FALSE(UnregisterResource(module, RT_BITMAP, "tkwshelltree"));
    EXPECT_TRUE(UnregisterResources(module));
    EXPECT_FALSE(FindResourceData(module, "TABOUTFORM", RT_RCDATA));
    EXPECT_FALSE(UnregisterResources(module));
}

TEST(ResourcesTest, MainInstanceIsTheProgramModule)
{
    EXPECT_NE(MainInstance(), nullptr);
    EXPECT_EQ(MainInstance(), GetModuleHandleA(nullptr));
    EXPECT_EQ(HInstance(), MainInstance());

    // Instance 0 stands for the main instance, both ways.
    static constexpr unsigned char kBytes[] = {1, 2, 3};
    RegisterResource(nullptr, RT_RCDATA, "ZeroInstance", kBytes, sizeof kBytes);
    EXPECT_EQ(FindResourceData(MainInstance(), "ZEROINSTANCE", RT_RCDATA).Size(), 3u);
    EXPECT_TRUE(UnregisterResource(MainInstance(), RT_RCDATA, "ZeroInstance"));
    EXPECT_FALSE(FindResourceData(nullptr, "ZeroInstance", RT_RCDATA));
}

TEST(ResourcesTest, CopiesAndStringsOutliveTheirRegistration)
{
    const HINSTANCE module = TestModule(3);
    std::string made = "made at run time";
    RegisterResourceCopy(module, RT_RCDATA, 7,
                         {reinterpret_cast<const unsigned char*>(made.data()), made.size()});
    made.assign(made.size(), 'x'); // the store kept its own copy
    TResourceData held = FindResourceData(module, 7, RT_RCDATA);
    EXPECT_EQ(Text(held), "made at run time");

    // Replaced while held: the holder keeps reading the bytes it found.
    RegisterResourceCopy(module, RT_RCDATA, 7, {reinterpret_cast<const unsigned char*>("new"), 3});
    EXPECT_EQ(Text(FindResourceData(module, 7, RT_RCDATA)), "new");
    UnregisterResources(module);
    EXPECT_EQ(Text(held), "made at run time");

    RegisterStringResource(module, 65417, "New Folder");
    RegisterStringResource(module, 3, "");
    EXPECT_EQ(LoadResourceString(module, 65417), "New Folder");
    EXPECT_EQ(LoadResourceString(module, 3), "");
    EXPECT_EQ(LoadResourceString(module, 4), "");
    UnregisterResources(module);
    EXPECT_EQ(LoadResourceString(module, 65417), "");
}

TEST(ResourcesTest, ResourceStreamReadsAndRefusesWrites)
{
    const HINSTANCE module = TestModule(4);
    RegisterResources(module, kTable);

    TResourceStream form(module, "TAboutForm", RT_RCDATA);
    EXPECT_EQ(form.Size(), static_cast<std::int64_t>(sizeof kForm - 1));
    std::string text(static_cast<size_t>(form.Size()), '\0');
    form.ReadBuffer(text.data(), static_cast<int>(text.size()));
    EXPECT_EQ(text, "object AboutForm: TAboutForm\nend\n");
    EXPECT_THROW(form.ReadBuffer(text.data(), 1), EReadError);
    EXPECT_THROW(form.WriteBuffer("x", 1), EStreamError);

    auto page = TResourceStream::CreateFromID(module, 101, "RTF");
    TMemoryStream copy;
    copy.CopyFrom(*page, 0);
    EXPECT_EQ(copy.Size(), static_cast<std::int64_t>(sizeof kPage - 1));

    try {
        TResourceStream missing(module, "TMissingForm", RT_RCDATA);
        ADD_FAILURE() << "no exception";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource TMissingForm not found");
    }
    try {
        TResourceStream missing(module, 999, "RTF");
        ADD_FAILURE() << "no exception";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource #999 not found");
    }
    UnregisterResources(module);
    // The stream holds on to what it found.
    form.SetPosition(7);
    char word[9] = {};
    form.ReadBuffer(word, 8);
    EXPECT_STREQ(word, "AboutFor");
}
