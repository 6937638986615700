// Page controls: pages read from a form file, the next page round the
// ring, a person's click on a tab, and a row of tabs that scrolls.

#include "WidgetTesting.h"

#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Filer.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/ExtCtrls.h"

#include <gtest/gtest.h>

namespace {

using namespace vcl;
using kwtest::Pump;

constexpr const char* kForm = R"(object Root: TPanel
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  BevelOuter = bvNone
  object Pages: TPageControl
    Left = 0
    Top = 0
    Width = 300
    Height = 200
    ActivePage = Second
    Align = alClient
    MultiLine = True
    object First: TTabSheet
      Caption = '&First'
    end
    object Second: TTabSheet
      Caption = 'Second'
    end
    object Third: TTabSheet
      Caption = 'Third'
      TabVisible = False
    end
  end
end
)";

class PageControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterClasses({TPanel::StaticClass(), TPageControl::StaticClass(), TTabSheet::StaticClass()});
    }
    void TearDown() override
    {
        UnRegisterClasses({TPanel::StaticClass(), TPageControl::StaticClass(), TTabSheet::StaticClass()});
    }
};

TEST_F(PageControlTest, PagesComeFromTheFormFileWithTheActiveOneShown)
{
    TOwnedPtr<TComponent> root(ReadComponentFromText(kForm, nullptr));
    auto* pages = dynamic_cast<TPageControl*>(root->FindComponent("Pages"));
    ASSERT_TRUE(pages);
    ASSERT_EQ(pages->PageCount(), 3);
    auto* second = dynamic_cast<TTabSheet*>(root->FindComponent("Second"));
    EXPECT_EQ(pages->ActivePage(), second);
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    EXPECT_TRUE(pages->MultiLine());
    struct Row {
        const char* name;
        int pageIndex;
        int tabIndex;
        bool visible;
    };
    for (const Row& row :
         {Row{"First", 0, 0, false}, Row{"Second", 1, 1, true}, Row{"Third", 2, -1, false}}) {
        auto* page = dynamic_cast<TTabSheet*>(root->FindComponent(row.name));
        ASSERT_TRUE(page) << row.name;
        EXPECT_EQ(page->PageControl(), pages) << row.name;
        EXPECT_EQ(page->PageIndex(), row.pageIndex) << row.name;
        EXPECT_EQ(page->TabIndex(), row.tabIndex) << row.name;
        EXPECT_EQ(page->Visible(), row.visible) << row.name;
    }
    // The page fills the frame under the tabs.
    EXPECT_EQ(second->BoundsRect(), (TRect{2, TPageControl::kTabHeight + 2, 298, 198}));

    const std::string written = WriteComponentToText(root.get());
    EXPECT_NE(written.find("ActivePage = Second"), std::string::npos) << written;
    EXPECT_NE(written.find("MultiLine = True"), std::string::npos);
    EXPECT_EQ(written.find("PageIndex"), std::string::npos);
    TOwnedPtr<TComponent> again(ReadComponentFromText(written, nullptr));
    EXPECT_EQ(WriteComponentToText(again.get()), written);

    // A page freed while shown hands the control to the next with a tab.
    second->Free();
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->ActivePage(), root->FindComponent("First"));
}

class TChangeLog : public TObject {
public:
    void Changing(TObject*, bool& allow)
    {
        ++Asked;
        allow = Allow;
    }
    void Change(TObject*) { ++Changed; }
    bool Allow = true;
    int Asked = 0;
    int Changed = 0;
};

TEST_F(PageControlTest, NextPageGoesRoundTheRing)
{
    kwtest::TestForm form(300, 200);
    TPageControl* control = Create<TPageControl>(form.Get());
    control->SetParent(form.Get());
    std::vector<TTabSheet*> pages;
    for (const char* caption : {"A", "B", "C", "D"}) {
        TTabSheet* page = Create<TTabSheet>(form.Get());
        page->SetCaption(caption);
        page->SetPageControl(control);
        pages.push_back(page);
    }
    pages[2]->SetTabVisible(false);
    control->SetActivePage(pages[0]);
    TChangeLog log;
    control->SetOnChanging(TTabChangingEvent(&log, &TChangeLog::Changing));
    control->SetOnChange(TNotifyEvent(&log, &TChangeLog::Change));
    struct Step {
        bool forward;
        bool checkTabVisible;
        const char* shown;
    };
    const Step steps[] = {
        {true, true, "B"},  {true, true, "D"},  {true, true, "A"},   {false, true, "D"},
        {false, true, "B"}, {true, false, "C"}, {false, false, "B"},
    };
    int n = 0;
    for (const Step& step : steps) {
        control->SelectNextPage(step.forward, step.checkTabVisible);
        ++n;
        EXPECT_EQ(control->ActivePage()->Caption(), step.shown) << n;
        EXPECT_EQ(log.Changed, n);
    }
    // A refused change leaves the page as it is.
    log.Allow = false;
    control->SelectNextPage(true);
    EXPECT_EQ(control->ActivePage()->Caption(), "B");
    EXPECT_EQ(log.Changed, n);
    EXPECT_EQ(log.Asked, n + 1);
}

TEST_F(PageControlTest, AClickOnATabShowsItsPageAndTheRowScrolls)
{
    kwtest::TestForm form(220, 150);
    TPageControl* control = Create<TPageControl>(form.Get());
    control->SetParent(form.Get());
    control->SetAlign(alClient);
    std::vector<TTabSheet*> pages;
    for (const char* caption :
         {"Welcome", "Overview", "Explorer", "Open Dialog", "Folder Browser", "List Control"}) {
        TTabSheet* page = Create<TTabSheet>(form.Get());
        page->SetCaption(caption);
        page->SetPageControl(control);
        pages.push_back(page);
    }
    control->SetActivePage(pages[0]);
    Pump();
    ASSERT_TRUE(control->TabsScroll());
    EXPECT_EQ(control->FirstTab(), 0);

    // A click on the second tab.
    const TRect second = control->TabRect(1);
    QTest::mouseClick(control->Peer(), Qt::LeftButton, {}, QPoint(second.left + 5, 10));
    Pump();
    EXPECT_EQ(control->ActivePage(), pages[1]);
    EXPECT_TRUE(pages[1]->Visible());
    EXPECT_FALSE(pages[0]->Visible());

    // The last page brings its tab into view, left of the arrows.
    control->SetActivePage(pages[5]);
    Pump();
    EXPECT_GT(control->FirstTab(), 0);
    EXPECT_LE(control->TabRect(5).right, control->ScrollArrowRect(false).left);
    kwtest::SavePicture(control->Peer(), "pagecontrol-scrolled.png");
    const int first = control->FirstTab();
    struct Click {
        bool right;
        int firstTab;
    };
    for (const Click& click : {Click{false, first - 1}, Click{true, first}, Click{true, first}}) {
        const TRect arrow = control->ScrollArrowRect(click.right);
        QTest::mouseClick(control->Peer(), Qt::LeftButton, {}, QPoint(arrow.left + 4, arrow.top + 4));
        Pump();
        EXPECT_EQ(control->FirstTab(), click.firstTab) << click.right;
    }
    EXPECT_EQ(control->ActivePage(), pages[5]) << "the arrows change no page";
    EXPECT_EQ(control->IndexOfTabAt(control->ScrollArrowRect(false).left + 1, 8), -1);
}

} // namespace
