// The design-time interface: which registered property editor a property
// gets, the kinds' own editors, values as text, the default component
// editor's double click, and the host's form written and read back.

#include "../vcl/widgets/WidgetTesting.h"
#include "designide/DesignHost.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

using namespace designide;
using namespace vcl;

template <const char* N>
struct TNamedEditor : TPropertyEditor {
    static constexpr const char* ClassName = N;
    using TPropertyEditor::TPropertyEditor;
};
constexpr char kAnyBool[] = "AnyBool";
constexpr char kLaterBool[] = "LaterBool";
constexpr char kButtonBool[] = "ButtonBool";
constexpr char kWinDefault[] = "WinDefault";
constexpr char kAnyPersistent[] = "AnyPersistent";
constexpr char kFontEditor[] = "FontEditor";
constexpr char kControlFont[] = "ControlFont";

class DesignIntf : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearRegistrations();
        RegisterComponents("Standard", {TButton::StaticClass(), TEdit::StaticClass(), TPanel::StaticClass()});
    }
    void TearDown() override { ClearRegistrations(); }
};

TEST_F(DesignIntf, MostSpecificEditorFirst)
{
    RegisterPropertyEditor(TypeInfo<bool>(), nullptr, "", EditorClass<TNamedEditor<kAnyBool>>());
    RegisterPropertyEditor(TypeInfo<bool>(), TButton::StaticClass(), "",
                           EditorClass<TNamedEditor<kButtonBool>>());
    RegisterPropertyEditor(TypeInfo<bool>(), TWinControl::StaticClass(), "Default",
                           EditorClass<TNamedEditor<kWinDefault>>());
    RegisterPropertyEditor(TypeInfo<TPersistent*>(), nullptr, "",
                           EditorClass<TNamedEditor<kAnyPersistent>>());
    RegisterPropertyEditor(TypeInfo<TFont*>(), nullptr, "", EditorClass<TNamedEditor<kFontEditor>>());
    RegisterPropertyEditor(TypeInfo<TPersistent*>(), TControl::StaticClass(), "",
                           EditorClass<TNamedEditor<kControlFont>>());

    struct Case {
        TClass Class;
        const char* Property;
        const char* Editor;
    };
    const Case cases[] = {
        {TButton::StaticClass(), "Cancel", "ButtonBool"},       // a nearer class beats any class
        {TButton::StaticClass(), "Default", "WinDefault"},      // a name beats a nearer class
        {TEdit::StaticClass(), "AutoSelect", "AnyBool"},        // only the one for any class applies
        {TButton::StaticClass(), "Font", "ControlFont"},        // a class beats a nearer type
        {TButton::StaticClass(), "Caption", "TStringProperty"}, // nothing registered: the kind's
        {TButton::StaticClass(), "ModalResult", "TPropertyEditor"},
        {TPanel::StaticClass(), "Alignment", "TEnumProperty"},
        {TButton::StaticClass(), "PopupMenu", "ControlFont"}, // a component reference of a registered type
    };
    for (const Case& c : cases)
        EXPECT_STREQ(FindPropertyEditor(c.Class, GetPropInfo(c.Class, c.Property)).Name, c.Editor)
            << c.Class->Name << "." << c.Property;

    // Among equals the later registration wins; a nearer type beats a
    // farther one for the same classes.
    RegisterPropertyEditor(TypeInfo<bool>(), nullptr, "", EditorClass<TNamedEditor<kLaterBool>>());
    EXPECT_STREQ(
        FindPropertyEditor(TEdit::StaticClass(), GetPropInfo(TEdit::StaticClass(), "AutoSelect")).Name,
        "LaterBool");
    RegisterPropertyEditor(TypeInfo<TFont*>(), TControl::StaticClass(), "",
                           EditorClass<TNamedEditor<kFontEditor>>());
    EXPECT_STREQ(FindPropertyEditor(TButton::StaticClass(), GetPropInfo(TButton::StaticClass(), "Font")).Name,
                 "FontEditor");
}

TEST_F(DesignIntf, ValuesAsTextAndTheirEditors)
{
    TDesignHost host;
    auto* button = static_cast<TButton*>(host.AddComponent(TButton::StaticClass()));
    auto* panel = static_cast<TPanel*>(host.AddComponent(TPanel::StaticClass()));
    EXPECT_EQ(button->Name(), "Button1");
    EXPECT_EQ(panel->Name(), "Panel1");
    EXPECT_TRUE(button->ComponentState().Contains(csDesigning));

    struct Case {
        TPersistent* Instance;
        const char* Property;
        const char* Set;
        const char* Shown;
    };
    const Case cases[] = {
        {button, "Caption", "Go on", "Go on"},       {button, "Default", "true", "True"},
        {button, "ModalResult", "2", "2"},           {button, "Color", "clBtnFace", "clBtnFace"},
        {button, "Color", "255", "clRed"},           {panel, "Alignment", "tacenter", "taCenter"},
        {button, "Anchors", "[akLeft]", "[akLeft]"}, {panel, "PopupMenu", "", ""},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TPropertyEditor> editor = host.PropertyEditor(c.Instance, c.Property);
        ASSERT_NE(editor, nullptr) << c.Property;
        const int modified = host.ModifiedCount();
        editor->SetValue(c.Set);
        EXPECT_EQ(editor->GetValue(), c.Shown) << c.Property;
        EXPECT_EQ(host.ModifiedCount(), modified + 1) << c.Property;
    }
    // Text a kind cannot take is refused and nothing changes.
    for (const char* bad : {"maybe", "12x"}) {
        std::unique_ptr<TPropertyEditor> editor =
            host.PropertyEditor(button, bad[0] == 'm' ? "Default" : "ModalResult");
        EXPECT_THROW(editor->SetValue(bad), EPropertyError) << bad;
    }
    EXPECT_TRUE(button->Default());
    EXPECT_EQ(host.PropertyEditor(button, "NoSuchProperty"), nullptr);

    std::unique_ptr<TPropertyEditor> alignment = host.PropertyEditor(panel, "Alignment");
    std::vector<std::string> values;
    alignment->GetValues([&](const std::string& v) { values.push_back(v); });
    EXPECT_EQ(values, (std::vector<std::string>{"taLeftJustify", "taRightJustify", "taCenter"}));
    EXPECT_TRUE(alignment->GetAttributes().Contains(paValueList));
    std::unique_ptr<TPropertyEditor> font = host.PropertyEditor(button, "Font");
    EXPECT_EQ(font->GetValue(), "(TFont)");
    EXPECT_EQ(font->GetAttributes(), (TPropertyAttributes{paMultiSelect, paSubProperties, paReadOnly}));
    EXPECT_EQ(font->GetOrdValue(),
              static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(button->Font())));

    // Two components: the visual value only when both agree.
    std::unique_ptr<TPropertyEditor> both = host.PropertyEditor(button, "Caption");
    both->SetEditedProperty({button, panel}, GetPropInfo(button, "Caption"));
    EXPECT_EQ(both->PropCount(), 2);
    EXPECT_EQ(both->GetVisualValue(), "");
    panel->SetCaption("Go on");
    EXPECT_EQ(both->GetVisualValue(), "Go on");
    EXPECT_EQ(both->GetComponent(1), panel);
    EXPECT_THROW(both->GetComponent(2), EListError);

    // The inspector's rows: every published property with its editor.
    const std::vector<TPropertyRow> rows = host.Properties(button);
    const auto caption =
        std::find_if(rows.begin(), rows.end(), [](const TPropertyRow& r) { return r.Name == "Caption"; });
    ASSERT_NE(caption, rows.end());
    EXPECT_EQ(caption->Value, "Go on");
    EXPECT_EQ(caption->Editor, "TStringProperty");
}

TEST_F(DesignIntf, DoubleClickAsksForTheDefaultEventsHandler)
{
    TDesignHost host;
    TComponent* button = host.AddComponent(TButton::StaticClass());
    TComponent* edit = host.AddComponent(TEdit::StaticClass());
    std::unique_ptr<TComponentEditor> editor = host.ComponentEditor(button);
    EXPECT_EQ(editor->GetVerbCount(), 0);
    EXPECT_EQ(editor->GetVerb(0), "");
    editor->Edit();
    host.ComponentEditor(edit)->Edit();
    EXPECT_EQ(host.ShownMethods(), (std::vector<std::string>{"Button1Click", "Edit1Change"}));
}

TEST_F(DesignIntf, FormWrittenAndReadBack)
{
    TDesignHost host;
    auto* panel = static_cast<TPanel*>(host.AddComponent(TPanel::StaticClass()));
    auto* button = static_cast<TButton*>(host.AddComponent(TButton::StaticClass(), panel));
    button->SetCaption("OK");
    panel->SetBounds(8, 8, 200, 100);
    const std::string first = host.WriteForm();
    EXPECT_NE(first.find("object Button1: TButton"), std::string::npos) << first;
    host.ReadForm(first);
    auto* read = dynamic_cast<TButton*>(host.Form()->FindComponent("Button1"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Caption(), "OK");
    EXPECT_EQ(read->Parent(), host.Form()->FindComponent("Panel1"));
    EXPECT_TRUE(read->ComponentState().Contains(csDesigning));
    EXPECT_EQ(host.WriteForm(), first);
    // A broken text leaves the form as it was.
    EXPECT_THROW(host.ReadForm("object Form1: TForm\n  object X: TNoSuchClass\n  end\nend\n"), Exception);
    EXPECT_NE(host.Form()->FindComponent("Button1"), nullptr);
}

TEST_F(DesignIntf, PackageLoadFailuresAreReported)
{
    TDesignHost host;
    std::string error;
    EXPECT_FALSE(host.LoadPackage("/nonexistent/libNothing.so", "Register", error));
    EXPECT_FALSE(error.empty());
}

} // namespace
