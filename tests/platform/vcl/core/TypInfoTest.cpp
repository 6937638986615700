// The run-time type information: property lists, get and set of every kind,
// identifiers, Assign, and every registered class at its declared defaults.

#include "FormTestClasses.h"

#include "vcl/core/ClassRegistry.h"
#include "vcl/core/TypInfo.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vcl;
using namespace formtest;

TEST(TypInfo, ListsPropertiesInheritedFirst)
{
    std::vector<std::string> names;
    for (const TPropInfo* prop : GetPropList(TTestButton::StaticClass()))
        names.push_back(prop->Name);
    const std::vector<std::string> expected = {
        "Name",    "Tag",   "Left",   "Top",     "Caption",    "Color",   "Cursor",     "Align",
        "Visible", "Ratio", "Letter", "Big",     "Options",    "Font",    "Items",      "Columns",
        "Folder",  "Buddy", "Link",   "OnClick", "OnChanging", "Default", "ModalResult"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(GetPropInfo(TTestButton::StaticClass(), "caption")->Declarer, TTestControl::StaticClass());
    EXPECT_EQ(GetPropInfo(TTestButton::StaticClass(), "Nothing"), nullptr);
    EXPECT_NE(GetMethodInfo(TTestForm::StaticClass(), "okbtnclick"), nullptr);
    EXPECT_NE(GetFieldInfo(TTestForm::StaticClass(), "Panel1"), nullptr);
    EXPECT_EQ(GetFieldInfo(TTestControl::StaticClass(), "Panel1"), nullptr);
}

TEST(TypInfo, GetsAndSetsEveryKindByName)
{
    TOwnedPtr<TTestForm> form(Create<TTestForm>(nullptr));
    auto* button = Create<TTestButton>(form.get());
    auto* timer = Create<TTestTimer>(form.get());

    SetOrdProp(button, "Left", -12);
    EXPECT_EQ(button->Left, -12);
    EXPECT_EQ(GetOrdProp(button, "left"), -12);
    EXPECT_THROW(SetOrdProp(button, "Cursor", 40000), EPropertyError); // a 16-bit property
    SetOrdProp(button, "Big", std::int64_t{1} << 40);
    EXPECT_EQ(button->Big, std::int64_t{1} << 40);

    SetEnumProp(button, "Align", "TACLIENT");
    EXPECT_EQ(button->Align, taClient);
    EXPECT_EQ(GetEnumProp(button, "Align"), "taClient");
    EXPECT_THROW(SetEnumProp(button, "Align", "taMiddle"), EPropertyError);
    EXPECT_THROW(SetOrdProp(button, "Align", 4), EPropertyError);
    SetEnumProp(button, "Visible", "False");
    EXPECT_FALSE(button->Visible);

    SetSetProp(button, "Options", "[toSecond, toFourth]");
    EXPECT_EQ(button->Options, (TTestOptions{toSecond, toFourth}));
    EXPECT_EQ(GetSetProp(button, "Options", true), "[toSecond,toFourth]");
    EXPECT_THROW(SetSetProp(button, "Options", "[toFifth]"), EPropertyError);
    EXPECT_THROW(SetOrdProp(button, "Options", 1 << 4), EPropertyError);

    SetOrdProp(button, "Letter", 'q');
    EXPECT_EQ(button->Letter, 'q');
    EXPECT_THROW(SetOrdProp(button, "Letter", 256), EPropertyError);

    SetStrProp(button, "Caption", "Go");
    EXPECT_EQ(GetStrProp(button, "Caption"), "Go");
    SetFloatProp(button, "Ratio", 0.5);
    EXPECT_EQ(GetFloatProp(button, "Ratio"), 0.5);

    // Integer identifiers.
    std::int64_t color = 0;
    ASSERT_TRUE(IdentToInt(GetPropInfo(button, "Color")->PropType, "clBtnFace", color));
    EXPECT_EQ(color, static_cast<std::int64_t>(0x8000000F) - (std::int64_t{1} << 32));
    EXPECT_EQ(ColorToString(clWindow), "clWindow");
    EXPECT_EQ(ColorToString(0x00C8FFFF), "$00C8FFFF");
    EXPECT_EQ(StringToColor("$00C8FFFF"), 0x00C8FFFF);
    EXPECT_EQ(StringToColor("clLtGray"), clSilver);
    EXPECT_THROW(StringToColor("clNothing"), EConvertError);
    std::string cursor;
    ASSERT_TRUE(CursorToIdent(crHourGlass, cursor));
    EXPECT_EQ(cursor, "crHourGlass");

    // Objects: sub-objects are read-only, references checked by class.
    EXPECT_EQ(GetObjectProp(button, "Font"), button->Font());
    EXPECT_THROW(SetObjectProp(button, "Font", nullptr), EPropertyError);
    SetObjectProp(button, "Buddy", button);
    EXPECT_EQ(button->Buddy(), button);
    EXPECT_THROW(SetObjectProp(button, "Buddy", timer), EPropertyError);
    SetObjectProp(button, "Link", timer);
    EXPECT_EQ(button->Link(), timer);

    // Events: bound to published methods, checked by signature.
    const TMethod click = GetMethodInfo(form->ClassType(), "OkBtnClick")->Bind(form.get());
    SetMethodProp(button, "OnClick", click);
    button->OnClick(button);
    EXPECT_EQ(form->Clicks, 1);
    EXPECT_EQ(GetMethodName(form.get(), GetMethodProp(button, "OnClick")), "OkBtnClick");
    const TMethod changing = GetMethodInfo(form->ClassType(), "FormChanging")->Bind(form.get());
    EXPECT_THROW(SetMethodProp(button, "OnClick", changing), EPropertyError);
    SetMethodProp(button, "OnChanging", changing);
    bool allow = true;
    button->OnChanging(button, allow);
    EXPECT_FALSE(allow);
    SetMethodProp(button, "OnClick", TMethod{});
    EXPECT_FALSE(button->OnClick);

    // Wrong kind, unknown property, wrong class.
    EXPECT_THROW(GetStrProp(button, "Left"), EPropertyError);
    EXPECT_THROW(SetOrdProp(button, "Caption", 1), EPropertyError);
    EXPECT_THROW(GetOrdProp(button, "Nothing"), EPropertyError);
    EXPECT_THROW(GetOrdProp(timer, GetPropInfo(button, "Left")), EPropertyError);

    // Stored conditions.
    const TPropInfo* modalResult = GetPropInfo(button, "ModalResult");
    button->ModalResult = 2;
    EXPECT_FALSE(IsStoredProp(button, modalResult));
    button->Default = true;
    EXPECT_TRUE(IsStoredProp(button, modalResult));
    EXPECT_FALSE(IsStoredProp(button, GetPropInfo(button, "Name")));
}

TEST(TypInfo, AssignRaisesForUnknownSources)
{
    TTestFont font;
    TTestFont other;
    other.SetName("Mono");
    font.Assign(&other);
    EXPECT_EQ(font.Name(), "Mono");
    TTestLocator locator;
    try {
        font.Assign(&locator);
        FAIL() << "assigned from a foreign class";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TTestLocator to a TTestFont");
    }
    try {
        locator.Assign(nullptr);
        FAIL() << "assigned from nil";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a nil to a TTestLocator");
    }
}

namespace {

// The published ordinals of a new instance of cls (and of its sub-objects)
// that differ from their declared defaults, as "Class.Property".
std::vector<std::string> DefaultMismatches(TClass cls, int& checked)
{
    std::vector<std::string> mismatches;
    auto factory = ClassFactory(cls);
    if (!factory)
        return mismatches;
    TOwnedPtr<TComponent> instance(factory(nullptr));
    if (instance->ClassType() != cls)
        return {std::string(cls->Name) + " makes a " + instance->ClassName()};
    auto check = [&](TObject* object, const std::string& path) {
        for (const TPropInfo* prop : GetPropList(object->ClassType()))
            if (IsOrdinalKind(prop->PropType->Kind) && prop->HasDefault) {
                ++checked;
                if (GetOrdProp(object, prop) != prop->Default)
                    mismatches.push_back(path + "." + prop->Name);
            }
    };
    check(instance.get(), cls->Name);
    // A sub-object's own defaults count too.
    for (const TPropInfo* prop : GetPropList(cls))
        if (prop->PropType->Kind == tkClass && !prop->SetObject)
            if (TObject* sub = GetObjectProp(instance.get(), prop))
                check(sub, std::string(cls->Name) + "." + prop->Name);
    return mismatches;
}

// Declares a default its constructor does not give.
class TMisdeclared : public TComponent {
    VCL_DECLARE_PUBLISHED_CLASS(TMisdeclared, TComponent)
public:
    using TComponent::TComponent;
    int Width = 10;
    TTestFont* Font() const { return Font_.get(); }

protected:
    ~TMisdeclared() override = default;

private:
    std::unique_ptr<TTestFont> Font_ = [] {
        auto font = std::make_unique<TTestFont>();
        font->SetSize(9);
        return font;
    }();
};

const TClassRtti& TMisdeclared::PublishedTable()
{
    static const TClassRtti table = Publish<TMisdeclared>()
                                        .Property<&TMisdeclared::Width>("Width")
                                        .Default(0)
                                        .Property<&TMisdeclared::Font>("Font");
    return table;
}

} // namespace

TEST(TypInfo, EveryRegisteredClassStartsAtItsDeclaredDefaults)
{
    TTestClassesRegistration registration;
    int checked = 0;
    for (TClass cls : RegisteredClasses())
        EXPECT_EQ(DefaultMismatches(cls, checked), std::vector<std::string>{}) << cls->Name;
    EXPECT_GT(checked, 20);

    // The check finds a default that is declared but not given, here and in
    // a sub-object.
    EXPECT_EQ(DefaultMismatches(TMisdeclared::StaticClass(), checked),
              (std::vector<std::string>{"TMisdeclared.Width", "TMisdeclared.Font.Size"}));
}

TEST(TypInfo, EnumerationMembersMayCarryValues)
{
    const TTypeInfo info = MakeEnumTypeInfo("TGappy", "gFirst, gSecond = 5, gThird, gHex = 0x10");
    ASSERT_EQ(info.Idents.size(), 4u);
    EXPECT_EQ(info.Idents[2].Value, 6);
    EXPECT_EQ(info.Idents[3].Value, 16);
    EXPECT_EQ(info.MinValue, 0);
    EXPECT_EQ(info.MaxValue, 16);
    EXPECT_EQ(GetEnumName(&info, 5), "gSecond");
    EXPECT_EQ(GetEnumName(&info, 4), "");
}

TEST(TypInfo, CollectionsArePersistentWithNamePaths)
{
    TOwnedPtr<TTestForm> form(Create<TTestForm>(nullptr));
    auto* panel = Create<TTestControl>(form.get());
    panel->SetName("Panel1");
    panel->Columns()->Add();
    auto* second = static_cast<TTestColumn*>(panel->Columns()->Add());
    EXPECT_EQ(second->GetNamePath(), "Panel1.Columns[1]");
    EXPECT_EQ(panel->Font()->GetNamePath(), "TTestFont");

    // Items that cannot copy themselves make Assign fail as the framework's do.
    TCollection copy(CollectionItemClass<TTestColumn>());
    EXPECT_EQ(copy.GetNamePath(), "TCollection");
    try {
        copy.Assign(panel->Columns());
        FAIL() << "items without Assign were copied";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TTestColumn to a TTestColumn");
    }
    EXPECT_THROW(copy.Assign(panel->Font()), EConvertError);
    copy.Assign(&copy);
}
