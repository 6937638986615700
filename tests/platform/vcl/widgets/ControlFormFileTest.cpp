// Controls read from and written to form files: children find their
// parent, and the parent lays them out once the form is read.

#include "WidgetTesting.h"

#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Filer.h"
#include "vcl/core/Publish.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/ControlPublish_p.h"
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

// A list view with the published list view's table, as a form file names it.
class TTestListView : public TCustomListView {
    VCL_DECLARE_PUBLISHED_CLASS(TTestListView, TCustomListView)
public:
    using TCustomListView::TCustomListView;
};

const TClassRtti& TTestListView::PublishedTable()
{
    static const TClassRtti table =
        PublishListView(PublishWinControl(Publish<TTestListView>(), clWindow, true));
    return table;
}

// The items of a control's collections and its nested options take what
// the form file stores for them, and write it back.
TEST(ControlFormFile, CollectionItemsAndNestedOptionsKeepTheirStoredProperties)
{
    RegisterClasses({TTestListView::StaticClass(), TStatusBar::StaticClass()});
    const char* text = R"(object F: TForm
  object View: TTestListView
    Columns = <
      item
        Caption = 'Name'
        Width = 140
      end
      item
        Caption = 'Size'
        Width = 70
      end>
    IconOptions.AutoArrange = True
  end
  object Bar: TStatusBar
    Panels = <
      item
        Text = 'Ready'
        Width = 80
      end
      item
      end>
  end
end
)";
    TOwnedPtr<TForm> form(Create<TForm>(nullptr));
    ReadComponentFromText(text, form.get());
    auto* view = static_cast<TTestListView*>(form->FindComponent("View"));
    auto* bar = static_cast<TStatusBar*>(form->FindComponent("Bar"));
    ASSERT_NE(view, nullptr);
    ASSERT_NE(bar, nullptr);
    struct Case {
        const char* what;
        std::string read;
        std::string expected;
    };
    const Case cases[] = {
        {"first column",
         view->Columns()->Items(0)->Caption() + "/" + std::to_string(view->Columns()->Items(0)->Width()),
         "Name/140"},
        {"second column",
         view->Columns()->Items(1)->Caption() + "/" + std::to_string(view->Columns()->Items(1)->Width()),
         "Size/70"},
        {"icon arrangement", view->IconOptions()->AutoArrange() ? "auto" : "manual", "auto"},
        {"first panel",
         bar->Panels()->Items(0)->Text() + "/" + std::to_string(bar->Panels()->Items(0)->Width()),
         "Ready/80"},
        {"second panel", std::to_string(bar->Panels()->Count()) + " panels", "2 panels"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.read, c.expected) << c.what;
    const std::string written = WriteComponentToText(form.get());
    for (const char* stored : {"Caption = 'Size'", "Width = 140", "IconOptions.AutoArrange = True",
                               "Text = 'Ready'", "Width = 80"})
        EXPECT_NE(written.find(stored), std::string::npos) << stored << " in\n" << written;
    UnRegisterClasses({TTestListView::StaticClass(), TStatusBar::StaticClass()});
}

} // namespace
