// The shell list's column helpers: the adapter over IShellFolder2, the width
// stream and "DirectoryCols".

#include "PlatformTestSupport.h"
#include "ShellListDetailsSupport.h"
#include "TestSupport.h"

#include "UKwShellControls.h"
#include "UKwShellControls_ShellListWidths_p.h"
#include "UKwTreeList.h"

#include "vcl/core/Registry.h"
#include "vcl/core/Streams.h"
#include "vcl/widgets/ComCtrls.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace kwtest;

namespace {

// The captions a source names from column 0 up to its first failure.
std::vector<std::string> CaptionsOf(IShellDetails* details)
{
    std::vector<std::string> captions;
    for (UINT column = 0;; ++column) {
        SHELLDETAILS d{};
        d.str.uType = STRRET_CSTR;
        if (FAILED(details->GetDetailsOf(nullptr, column, &d)))
            return captions;
        captions.push_back(kw::StrretToString(nullptr, d.str));
        kw::StrretFree(d.str);
    }
}

DetailColumn Col(const std::string& caption, DWORD state = SHCOLSTATE_ONBYDEFAULT, bool stateFails = false)
{
    return {caption, 0, 10, state, stateFails};
}

} // namespace

TEST(ShellListDetailsTest, AdapterShowsOnlyTheColumnsShownByDefault)
{
    struct Case {
        const char* Name;
        std::vector<DetailColumn> Columns;
        std::vector<std::string> Expected;
    };
    const Case cases[] = {
        {"all shown", {Col("A"), Col("B"), Col("C")}, {"A", "B", "C"}},
        {"third hidden ends the list", {Col("A"), Col("B"), Col("C", 0), Col("D")}, {"A", "B"}},
        {"a failing state shows the column", {Col("A"), Col("B", 0, true)}, {"A", "B"}},
        {"first hidden: none", {Col("A", SHCOLSTATE_SLOW)}, {}},
    };
    for (const Case& c : cases) {
        auto folder = com::MakeComObject<DetailsFolder>();
        folder->Columns = c.Columns;
        const auto source = com::MakeComObject<kw::TShellFolder2ToShellDetailsAdapter>(folder.Get());
        EXPECT_EQ(c.Expected, CaptionsOf(source.Get())) << c.Name;
    }
}

TEST(ShellListDetailsTest, AdapterAnswersItsInterfacesAndHoldsTheFolder)
{
    auto folder = com::MakeComObject<DetailsFolder>();
    folder->Columns = {Col("A")};
    com::ComPtr<IShellDetails> source(
        com::MakeComObject<kw::TShellFolder2ToShellDetailsAdapter>(folder.Get()));
    EXPECT_EQ(E_NOTIMPL, source->ColumnClick(0));
    com::ComPtr<IShellFolder> notThere;
    EXPECT_EQ(E_NOINTERFACE, source.As(&notThere));
    EXPECT_FALSE(notThere);
    com::ComPtr<IUnknown> unknown;
    EXPECT_EQ(S_OK, source.As(&unknown));
    // The adapter keeps the folder alive past the caller's own reference.
    folder.Reset();
    SHELLDETAILS d{};
    d.str.uType = STRRET_CSTR;
    EXPECT_EQ(S_OK, source->GetDetailsOf(nullptr, 0, &d));
}

namespace {

struct ListColumnsFixture {
    kw::TKwListView* List = new kw::TKwListView(nullptr);
    explicit ListColumnsFixture(std::vector<int> widths)
    {
        for (int w : widths)
            List->Columns()->Add()->SetWidth(w);
    }
    ~ListColumnsFixture() { List->Free(); }
    std::vector<int> Widths() const
    {
        std::vector<int> out;
        for (int i = 0; i < List->Columns()->Count(); ++i)
            out.push_back(List->Columns()->Items(i)->Width());
        return out;
    }
};

std::string Int32s(std::initializer_list<std::int32_t> values)
{
    std::string bytes;
    for (std::int32_t v : values)
        bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
    return bytes;
}

std::string BytesOf(vcl::TMemoryStream& stream)
{
    return {static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size())};
}

} // namespace

TEST(ShellListDetailsTest, WidthStreamHoldsCountThenWidthsAndReadsNoMoreThanItHolds)
{
    {
        ListColumnsFixture list({150, 60, 90});
        vcl::TMemoryStream stream;
        stream.WriteBuffer("leftover bytes from before", 26);
        kw::detail::WriteColumnWidths(stream, *list.List->Columns());
        EXPECT_EQ(Int32s({3, 150, 60, 90}), BytesOf(stream));
    }
    struct Case {
        const char* Name;
        std::string Stream;
        std::vector<int> Before;
        std::vector<int> After;
    };
    const Case cases[] = {
        {"empty stream changes nothing", "", {10, 20}, {10, 20}},
        {"three bytes change nothing", std::string(3, '\x01'), {10, 20}, {10, 20}},
        {"all widths given", Int32s({2, 111, 222}), {10, 20}, {111, 222}},
        {"more stored than columns", Int32s({3, 111, 222, 333}), {10, 20}, {111, 222}},
        {"fewer stored than columns", Int32s({1, 111}), {10, 20}, {111, 20}},
        {"count beyond the stream's end", Int32s({5, 111}), {10, 20}, {111, 20}},
        {"a width cut short ends the read", Int32s({2, 111}) + "\x05\x00", {10, 20}, {111, 20}},
    };
    for (const Case& c : cases) {
        ListColumnsFixture list(c.Before);
        vcl::TMemoryStream stream;
        if (!c.Stream.empty())
            stream.WriteBuffer(c.Stream.data(), static_cast<int>(c.Stream.size()));
        kw::detail::ReadColumnWidths(stream, *list.List->Columns());
        EXPECT_EQ(c.After, list.Widths()) << c.Name;
    }
}

TEST(ShellListDetailsTest, DirectoryColsIsReadWhenAtMost22Bytes)
{
    const auto words = [](std::initializer_list<std::uint16_t> values) {
        std::string bytes;
        for (auto v : values)
            bytes.append(reinterpret_cast<const char*>(&v), 2);
        return bytes;
    };
    struct Case {
        const char* Name;
        bool Write;
        std::string Value;
        std::vector<int> Widths;
        int Count;
    };
    const Case cases[] = {
        {"missing: defaults", false, "", {200, 60, 100, 120}, 10},
        {"8 bytes", true, words({300, 70, 110, 130}), {300, 70, 110, 130}, 8},
        {"22 bytes", true, words({310, 71, 111, 131, 1, 2, 3, 4, 5, 6, 7}), {310, 71, 111, 131}, 22},
        {"24 bytes: defaults",
         true,
         words({320, 72, 112, 132, 1, 2, 3, 4, 5, 6, 7, 8}),
         {200, 60, 100, 120},
         10},
    };
    for (const Case& c : cases) {
        ScopedRegistryHome home;
        if (c.Write) {
            vcl::TRegistry registry;
            ASSERT_TRUE(registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", true));
            registry.WriteBinaryData("DirectoryCols", c.Value.data(), static_cast<int>(c.Value.size()));
        }
        const kw::detail::TLastDirectoryCols cols = kw::detail::ReadDirectoryCols();
        EXPECT_EQ(c.Count, cols.Count) << c.Name;
        std::vector<int> widths;
        for (int i = 0; i < 4; ++i)
            widths.push_back(kw::detail::DirectoryColsWidth(cols, i));
        EXPECT_EQ(c.Widths, widths) << c.Name;
    }
}

TEST(ShellListDetailsTest, DirectoryColsCopiesCompareOnTheirCountAndWords)
{
    kw::detail::TLastDirectoryCols a;
    a.Count = 8;
    a.Data = {1, 0, 2, 0, 3, 0, 4, 0};
    kw::detail::TLastDirectoryCols b = a;
    EXPECT_TRUE(kw::detail::SameDirectoryCols(a, b));
    b.Data[20] = 9; // beyond the count: not compared
    EXPECT_TRUE(kw::detail::SameDirectoryCols(a, b));
    b.Data[6] = 5;
    EXPECT_FALSE(kw::detail::SameDirectoryCols(a, b));
    b = a;
    b.Count = 10;
    EXPECT_FALSE(kw::detail::SameDirectoryCols(a, b));
}
