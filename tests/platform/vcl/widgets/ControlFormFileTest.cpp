// Controls read from and written to form files: children find their
// parent, and the parent lays them out once the form is read.

#include "WidgetTesting.h"

#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Filer.h"
#include "vcl/core/Publish.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/Menus.h"

#include <gtest/gtest.h>

namespace {

using namespace vcl;

class TTestPanel : public TCustomControl {
    VCL_DECLARE_PUBLISHED_CLASS(TTestPanel, TCustomControl)
public:
    using TCustomControl::TCustomControl;
};

const TClassRtti& TTestPanel::PublishedTable()
{
    static const TClassRtti table = Publish<TTestPanel>()
                                        .Property<&TTestPanel::Align, &TTestPanel::SetAlign>("Align")
                                        .Default(alNone)
                                        .Property<&TTestPanel::Color, &TTestPanel::SetColor>("Color")
                                        .Type(ColorTypeInfo())
                                        .Default(clWindow);
    return table;
}

constexpr const char* kForm = R"(object Root: TTestPanel
  Left = 0
  Top = 0
  Width = 200
  Height = 100
  object Client1: TTestPanel
    Left = 0
    Top = 0
    Width = 10
    Height = 10
    Align = alClient
  end
  object Header: TTestPanel
    Left = 0
    Top = 0
    Width = 10
    Height = 20
    Align = alTop
    Color = clRed
    Hint = 'the top'
  end
end
)";

TEST(ControlFormFile, ChildrenFindTheirParentAndTakeTheirPlaceOnceRead)
{
    RegisterClass(TTestPanel::StaticClass());
    TOwnedPtr<TComponent> root(ReadComponentFromText(kForm, nullptr));
    auto* panel = dynamic_cast<TTestPanel*>(root.get());
    ASSERT_TRUE(panel);
    ASSERT_EQ(panel->ControlCount(), 2);
    auto* client = dynamic_cast<TTestPanel*>(panel->FindComponent("Client1"));
    auto* header = dynamic_cast<TTestPanel*>(panel->FindComponent("Header"));
    ASSERT_TRUE(client && header);
    EXPECT_EQ(client->Parent(), panel);
    EXPECT_EQ(header->Parent(), panel);
    struct Case {
        const char* what;
        TControl* control;
        TRect expected;
    } cases[] = {
        {"top strip", header, {0, 0, 200, 20}},
        {"the rest", client, {0, 20, 200, 100}},
    };
    for (const Case& c : cases) {
        const TRect got = c.control->BoundsRect();
        EXPECT_EQ(std::tie(got.left, got.top, got.right, got.bottom),
                  std::tie(c.expected.left, c.expected.top, c.expected.right, c.expected.bottom))
            << c.what;
    }
    EXPECT_EQ(header->Color(), clRed);
    EXPECT_EQ(header->Hint(), "the top");
    EXPECT_EQ(client->Color(), clWindow);

    // Written again, it reads back the same.
    const std::string written = WriteComponentToText(panel);
    TOwnedPtr<TComponent> again(ReadComponentFromText(written, nullptr));
    EXPECT_EQ(WriteComponentToText(again.get()), written);
    EXPECT_NE(written.find("object Header: TTestPanel"), std::string::npos);
    UnRegisterClass(TTestPanel::StaticClass());
}

} // namespace

namespace {

// What the designer writes that no class has, or out of range, is refused
// with its line, and nothing of the form stays made.
TEST(ControlFormFile, DesignerPropertiesOutOfRangeAreRefusedWithTheirLine)
{
    RegisterClasses({TMainMenu::StaticClass(), TMenuItem::StaticClass()});
    struct Case {
        const char* what;
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        {"a design position past 16 bits", "  object M: TMainMenu\n    Left = 70000\n  end\n", "Line 3"},
        {"an unknown character set", "  Font.Charset = KLINGON_CHARSET\n", "Line 2"},
        {"a design position on a control's child", "  object M: TMainMenu\n    Width = 3\n  end\n", "Line 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TOwnedPtr<TForm> form(Create<TForm>(nullptr));
        const std::string text = std::string("object F: TForm\n") + c.line + "end\n";
        try {
            ReadComponentFromText(text, form.get());
            ADD_FAILURE() << "read";
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find(c.expected), std::string::npos) << e.Message();
        }
        EXPECT_EQ(form->ComponentCount(), 0);
    }
}

} // namespace
