#include "vcl/widgets/AlignLayout.h"
#include "WidgetTesting.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/Strings.h"

#include <cctype>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

using namespace vcl;

namespace {

// A test name made of the letters and digits of the case's name.
template <class Case>
std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    std::string name;
    for (const char* p = info.param.Name; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p)))
            name += *p;
    return name;
}

struct Child {
    TAlign Align;
    RECT Bounds;
    int Index;
    bool Visible = true;
    TSizeLimits Limits{};
};

struct AlignCase {
    const char* Name;
    RECT Client;
    std::vector<Child> Children;
    int Moved;
    std::vector<RECT> Expected;
    RECT Remaining;
};

// Client 200 x 100 unless a case says otherwise; every rectangle worked out
// by hand.
const AlignCase kAlignCases[] = {
    {"top", {0, 0, 200, 100}, {{alTop, {5, 7, 55, 27}, 0}}, -1, {{0, 0, 200, 20}}, {0, 20, 200, 100}},
    {"bottom", {0, 0, 200, 100}, {{alBottom, {0, 0, 10, 30}, 0}}, -1, {{0, 70, 200, 100}}, {0, 0, 200, 70}},
    {"left", {0, 0, 200, 100}, {{alLeft, {3, 4, 43, 14}, 0}}, -1, {{0, 0, 40, 100}}, {40, 0, 200, 100}},
    {"right", {0, 0, 200, 100}, {{alRight, {0, 0, 50, 5}, 0}}, -1, {{150, 0, 200, 100}}, {0, 0, 150, 100}},
    {"client", {0, 0, 200, 100}, {{alClient, {1, 1, 2, 2}, 0}}, -1, {{0, 0, 200, 100}}, {0, 0, 200, 100}},
    {"every side, listed backwards",
     {0, 0, 200, 100},
     {{alClient, {0, 0, 5, 5}, 0},
      {alRight, {0, 0, 40, 5}, 1},
      {alLeft, {0, 0, 30, 5}, 2},
      {alBottom, {0, 0, 5, 10}, 3},
      {alTop, {0, 0, 5, 20}, 4}},
     -1,
     {{30, 20, 160, 90}, {160, 20, 200, 90}, {0, 20, 30, 90}, {0, 90, 200, 100}, {0, 0, 200, 20}},
     {30, 20, 160, 90}},
    {"tops by Top",
     {0, 0, 200, 100},
     {{alTop, {0, 50, 5, 60}, 0}, {alTop, {0, 5, 5, 25}, 1}},
     -1,
     {{0, 20, 200, 30}, {0, 0, 200, 20}},
     {0, 30, 200, 100}},
    {"equal tops by index",
     {0, 0, 200, 100},
     {{alTop, {0, 0, 5, 10}, 0}, {alTop, {0, 0, 5, 20}, 1}},
     -1,
     {{0, 0, 200, 10}, {0, 10, 200, 30}},
     {0, 30, 200, 100}},
    {"the index, not the list order",
     {0, 0, 200, 100},
     {{alTop, {0, 0, 5, 20}, 1}, {alTop, {0, 0, 5, 10}, 0}},
     -1,
     {{0, 10, 200, 30}, {0, 0, 200, 10}},
     {0, 30, 200, 100}},
    {"the moved control first among equal tops",
     {0, 0, 200, 100},
     {{alTop, {0, 0, 5, 10}, 0}, {alTop, {0, 0, 5, 20}, 1}},
     1,
     {{0, 20, 200, 30}, {0, 0, 200, 20}},
     {0, 30, 200, 100}},
    {"bottoms by descending bottom edge",
     {0, 0, 200, 100},
     {{alBottom, {0, 10, 5, 30}, 0}, {alBottom, {0, 60, 5, 90}, 1}},
     -1,
     {{0, 50, 200, 70}, {0, 70, 200, 100}},
     {0, 0, 200, 50}},
    {"equal bottoms: the later control outermost",
     {0, 0, 200, 100},
     {{alBottom, {0, 90, 5, 100}, 0}, {alBottom, {0, 80, 5, 100}, 1}},
     -1,
     {{0, 70, 200, 80}, {0, 80, 200, 100}},
     {0, 0, 200, 70}},
    {"lefts by Left",
     {0, 0, 200, 100},
     {{alLeft, {100, 0, 110, 5}, 0}, {alLeft, {0, 0, 20, 5}, 1}},
     -1,
     {{20, 0, 30, 100}, {0, 0, 20, 100}},
     {30, 0, 200, 100}},
    {"rights by descending right edge",
     {0, 0, 200, 100},
     {{alRight, {40, 0, 50, 5}, 0}, {alRight, {100, 0, 120, 5}, 1}},
     -1,
     {{170, 0, 180, 100}, {180, 0, 200, 100}},
     {0, 0, 170, 100}},
    {"invisible controls keep their place and take no strip",
     {0, 0, 200, 100},
     {{alTop, {1, 2, 31, 22}, 0, false}, {alClient, {0, 0, 5, 5}, 1}},
     -1,
     {{1, 2, 31, 22}, {0, 0, 200, 100}},
     {0, 0, 200, 100}},
    {"no alignment: left alone",
     {0, 0, 200, 100},
     {{alNone, {7, 8, 9, 10}, 0}},
     -1,
     {{7, 8, 9, 10}},
     {0, 0, 200, 100}},
    {"an offset client rectangle",
     {2, 3, 102, 53},
     {{alLeft, {0, 0, 10, 5}, 0}, {alClient, {0, 0, 5, 5}, 1}},
     -1,
     {{2, 3, 12, 53}, {12, 3, 102, 53}},
     {12, 3, 102, 53}},
    {"nothing left: controls keep their own size",
     {0, 0, 200, 100},
     {{alTop, {0, 0, 5, 80}, 0}, {alBottom, {0, 0, 5, 50}, 1}, {alClient, {0, 0, 5, 10}, 2}},
     -1,
     {{0, 0, 200, 80}, {0, 50, 200, 100}, {0, 80, 200, 90}},
     {0, 80, 200, 50}},
    {"constraints: a top with a maximum width",
     {0, 0, 200, 100},
     {{alTop, {0, 0, 5, 20}, 0, true, {0, 0, 150, 0}}},
     -1,
     {{0, 0, 150, 20}},
     {0, 20, 200, 100}},
    {"constraints: a left with a minimum width and a maximum height",
     {0, 0, 200, 100},
     {{alLeft, {0, 0, 10, 5}, 0, true, {30, 0, 0, 60}}, {alClient, {0, 0, 5, 5}, 1}},
     -1,
     {{0, 0, 30, 60}, {30, 0, 200, 100}},
     {30, 0, 200, 100}},
    {"constraints: a bottom too tall for its maximum",
     {0, 0, 200, 100},
     {{alBottom, {0, 0, 5, 50}, 0, true, {0, 0, 0, 30}}},
     -1,
     {{0, 70, 200, 100}},
     {0, 0, 200, 70}},
    {"constraints: a client smaller than the rest",
     {0, 0, 200, 100},
     {{alClient, {0, 0, 5, 5}, 0, true, {0, 0, 120, 50}}},
     -1,
     {{0, 0, 120, 50}},
     {0, 0, 120, 50}},
    {"constraints: a client larger than the rest",
     {0, 0, 200, 100},
     {{alTop, {0, 0, 5, 40}, 0}, {alClient, {0, 0, 5, 5}, 1, true, {0, 80, 0, 0}}},
     -1,
     {{0, 0, 200, 40}, {0, 40, 200, 120}},
     {0, 40, 200, 120}},
    {"custom keeps its place, constrained",
     {0, 0, 200, 100},
     {{alCustom, {10, 10, 60, 40}, 0, true, {0, 0, 40, 0}}},
     -1,
     {{10, 10, 50, 40}},
     {0, 0, 200, 100}},
};

void PrintTo(const AlignCase& c, std::ostream* out)
{
    *out << c.Name;
}

class AlignPass : public testing::TestWithParam<AlignCase> {};

TEST_P(AlignPass, GivesEachControlItsStrip)
{
    const AlignCase& c = GetParam();
    std::vector<TAlignItem> items;
    for (const Child& child : c.Children) {
        TAlignItem item;
        item.Align = child.Align;
        item.Anchors = AnchorAlign(child.Align);
        item.Bounds = child.Bounds;
        item.Index = child.Index;
        item.Visible = child.Visible;
        item.Constraints = child.Limits;
        items.push_back(item);
    }
    const RECT remaining = AlignControls(items, c.Client, c.Moved);
    ASSERT_EQ(items.size(), c.Expected.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i].Bounds, c.Expected[i]) << "control " << i;
    EXPECT_EQ(remaining, c.Remaining);
}

INSTANTIATE_TEST_SUITE_P(Cases, AlignPass, testing::ValuesIn(kAlignCases), CaseName<AlignCase>);

// ---- anchors ----

struct AnchorCase {
    const char* Name;
    TAnchors Anchors;
    SIZE NewSize;
    RECT Expected;
    TSizeLimits Limits{};
    bool Visible = true;
};

// A control at (20, 10) sized 50 x 30, anchors fixed in a 200 x 100 parent.
constexpr RECT kAnchored{20, 10, 70, 40};
const AnchorCase kAnchorCases[] = {
    {"left and top stay", {akLeft, akTop}, {300, 160}, {20, 10, 70, 40}},
    {"right keeps its distance", {akRight, akTop}, {300, 160}, {120, 10, 170, 40}},
    {"left and right stretch", {akLeft, akRight, akTop}, {300, 160}, {20, 10, 170, 40}},
    {"neither side keeps the centre", {akTop}, {300, 160}, {43, 10, 93, 40}},
    {"bottom keeps its distance", {akLeft, akBottom}, {300, 160}, {20, 70, 70, 100}},
    {"top and bottom stretch", {akLeft, akTop, akBottom}, {300, 160}, {20, 10, 70, 100}},
    {"neither top nor bottom keeps the centre", {akLeft}, {300, 160}, {20, 25, 70, 55}},
    {"all four", {akLeft, akTop, akRight, akBottom}, {300, 160}, {20, 10, 170, 100}},
    {"none", {}, {300, 160}, {43, 25, 93, 55}},
    {"shrinking past the width leaves it empty", {akLeft, akRight, akTop}, {100, 100}, {20, 10, 20, 40}},
    {"stretching within constraints",
     {akLeft, akRight, akTop},
     {300, 160},
     {20, 10, 120, 40},
     {0, 0, 100, 0}},
    {"hidden controls still follow", {akRight, akTop}, {300, 160}, {120, 10, 170, 40}, {}, false},
    {"the same size changes nothing", {akLeft, akTop, akRight, akBottom}, {200, 100}, {20, 10, 70, 40}},
};

void PrintTo(const AnchorCase& c, std::ostream* out)
{
    *out << c.Name;
}

class Anchors : public testing::TestWithParam<AnchorCase> {};

TEST_P(Anchors, FollowTheParentsSize)
{
    const AnchorCase& c = GetParam();
    std::vector<TAlignItem> items(1);
    items[0].Anchors = c.Anchors;
    items[0].Bounds = kAnchored;
    items[0].Visible = c.Visible;
    items[0].Constraints = c.Limits;
    items[0].Origin = FixAnchors(c.Anchors, kAnchored, {200, 100});
    AlignControls(items, {0, 0, c.NewSize.cx, c.NewSize.cy});
    EXPECT_EQ(items[0].Bounds, c.Expected);

    // The origin stays, so going back gives the first bounds again (the
    // constrained and the emptied ones excepted).
    if (c.Limits == TSizeLimits{} && c.NewSize.cx >= 200) {
        AlignControls(items, {0, 0, 200, 100});
        EXPECT_EQ(items[0].Bounds, kAnchored);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Anchors, testing::ValuesIn(kAnchorCases), CaseName<AnchorCase>);

TEST(AnchorsTest, FixNothingWithoutAParentSizeOrForTheDefault)
{
    const TAnchorOrigin unsized = FixAnchors({akRight, akBottom}, kAnchored, {0, 0});
    EXPECT_EQ(unsized.ParentSize.cx, 0);
    const TAnchorOrigin plain = FixAnchors(DefaultAnchors, kAnchored, {200, 100});
    EXPECT_EQ(plain.ParentSize.cx, 0);

    TAlignItem item;
    item.Anchors = {akRight, akBottom};
    item.Bounds = kAnchored;
    item.Origin = unsized;
    EXPECT_EQ(AnchoredBounds(item, {400, 400}), kAnchored);
}

TEST(AnchorsTest, AnAlignedControlWithExtraAnchorsFollowsThemToo)
{
    // A top control also held to the bottom grows with the parent's height.
    std::vector<TAlignItem> items(1);
    items[0].Align = alTop;
    items[0].Anchors = {akLeft, akTop, akRight, akBottom};
    items[0].Bounds = {0, 0, 200, 20};
    items[0].Origin = FixAnchors(items[0].Anchors, items[0].Bounds, {200, 100});
    const RECT remaining = AlignControls(items, {0, 0, 200, 150});
    EXPECT_EQ(items[0].Bounds, (RECT{0, 0, 200, 70}));
    EXPECT_EQ(remaining, (RECT{0, 70, 200, 150}));
}

struct AnchorAlignCase {
    TAlign Align;
    TAnchors Anchors;
};
const AnchorAlignCase kAnchorAlign[] = {
    {alNone, {akLeft, akTop}},
    {alTop, {akLeft, akTop, akRight}},
    {alBottom, {akLeft, akRight, akBottom}},
    {alLeft, {akLeft, akTop, akBottom}},
    {alRight, {akRight, akTop, akBottom}},
    {alClient, {akLeft, akTop, akRight, akBottom}},
    {alCustom, {akLeft, akTop}},
};

TEST(AnchorsTest, EachAlignmentHoldsItsSides)
{
    for (const AnchorAlignCase& c : kAnchorAlign)
        EXPECT_EQ(AnchorAlign(c.Align), c.Anchors) << c.Align;
}

// ---- constraints ----

struct ClampCase {
    TSizeLimits Limits;
    int Width, Height;
    int ExpectedWidth, ExpectedHeight;
};
const ClampCase kClampCases[] = {
    {{}, 500, 400, 500, 400},
    {{10, 20, 100, 200}, 500, 400, 100, 200},
    {{10, 20, 100, 200}, 5, 6, 10, 20},
    {{10, 20, 100, 200}, 50, 60, 50, 60},
    {{0, 0, 100, 0}, 500, 400, 100, 400},
    // A minimum above the maximum wins.
    {{150, 250, 100, 200}, 120, 220, 150, 250},
};

TEST(ConstraintsTest, ClampTheSize)
{
    for (const ClampCase& c : kClampCases) {
        int width = c.Width, height = c.Height;
        ConstrainSize(c.Limits, width, height);
        EXPECT_EQ(width, c.ExpectedWidth);
        EXPECT_EQ(height, c.ExpectedHeight);
    }
}

class TChangeCounter : public TObject {
public:
    int Changes = 0;
    void Changed(TObject*) { ++Changes; }
};

struct LimitStep {
    void (TSizeConstraints::*Set)(int);
    int Value;
    TSizeLimits Expected;
    int Changes;
};
const LimitStep kLimitSteps[] = {
    {&TSizeConstraints::SetMinWidth, 50, {50, 0, 0, 0}, 1},
    {&TSizeConstraints::SetMinWidth, 50, {50, 0, 0, 0}, 1}, // the same value: no change
    {&TSizeConstraints::SetMaxWidth, 30, {30, 0, 30, 0}, 2},
    {&TSizeConstraints::SetMaxHeight, 40, {30, 0, 30, 40}, 3},
    {&TSizeConstraints::SetMinHeight, 60, {30, 60, 30, 60}, 4},
    {&TSizeConstraints::SetMaxHeight, 0, {30, 60, 30, 0}, 5},
    {&TSizeConstraints::SetMinWidth, -5, {0, 60, 30, 0}, 6},
    {&TSizeConstraints::SetMaxWidth, -1, {0, 60, 0, 0}, 7},
};

TEST(ConstraintsTest, KeepMinimumAndMaximumConsistent)
{
    TOwnedPtr<TSizeConstraints> constraints = CreateOwned<TSizeConstraints>();
    TChangeCounter counter;
    constraints->OnChange = {&counter, &TChangeCounter::Changed};
    EXPECT_EQ(constraints->Limits(), TSizeLimits{});
    for (const LimitStep& step : kLimitSteps) {
        (constraints.get()->*step.Set)(step.Value);
        EXPECT_EQ(constraints->Limits(), step.Expected) << "after setting " << step.Value;
        EXPECT_EQ(counter.Changes, step.Changes);
    }
}

TEST(ConstraintsTest, AssignCopiesAndChangesOnce)
{
    TOwnedPtr<TSizeConstraints> source = CreateOwned<TSizeConstraints>();
    source->SetMaxWidth(300);
    source->SetMinHeight(20);
    TOwnedPtr<TSizeConstraints> dest = CreateOwned<TSizeConstraints>();
    TChangeCounter counter;
    dest->OnChange = {&counter, &TChangeCounter::Changed};
    dest->Assign(source.get());
    EXPECT_EQ(dest->Limits(), (TSizeLimits{0, 20, 300, 0}));
    EXPECT_EQ(counter.Changes, 1);

    TOwnedPtr<TStringList> other = CreateOwned<TStringList>();
    EXPECT_THROW(dest->Assign(other.get()), EConvertError);
}

TEST(ConstraintsTest, PublishTheLimitsWithDefaultZero)
{
    TOwnedPtr<TSizeConstraints> constraints = CreateOwned<TSizeConstraints>();
    const std::vector<const TPropInfo*> props = GetPropList(TSizeConstraints::StaticClass());
    std::vector<std::string> names;
    for (const TPropInfo* prop : props) {
        names.push_back(prop->Name);
        EXPECT_TRUE(IsDefaultPropValue(constraints.get(), prop)) << prop->Name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"MaxHeight", "MaxWidth", "MinHeight", "MinWidth"}));
    SetOrdProp(constraints.get(), "MinWidth", 40);
    EXPECT_EQ(constraints->MinWidth(), 40);
    EXPECT_EQ(GetOrdProp(constraints.get(), "MinWidth"), 40);
    EXPECT_FALSE(IsDefaultPropValue(constraints.get(), GetPropInfo(constraints.get(), "MinWidth")));
}

TEST(LayoutTypesTest, NameTheirMembersForFormFiles)
{
    EXPECT_EQ(GetEnumName(TypeInfo<TAlign>(), alClient), "alClient");
    EXPECT_EQ(GetEnumName(TypeInfo<TAlign>(), alCustom), "alCustom");
    std::int64_t value = -1;
    ASSERT_TRUE(GetEnumValue(TypeInfo<TAlign>(), "alBottom", value));
    EXPECT_EQ(value, alBottom);
    EXPECT_EQ(SetToString(TypeInfo<TAnchors>(), TAnchors{akLeft, akBottom}.Bits(), true),
              "[akLeft,akBottom]");
    EXPECT_EQ(TAnchors::FromBits(StringToSet(TypeInfo<TAnchors>(), "[akTop,akRight]")),
              (TAnchors{akTop, akRight}));
}

} // namespace
