// The framework's menus: items behind HMENU handles, short-cuts, popups
// tracked by a script and by the QMenu tracker, owner-drawn items.

#include "vcl/widgets/Menus.h"
#include "WidgetTesting.h"
#include "win32/Menus.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace vcl;
using kwtest::Pump;

struct Clicks {
    std::vector<std::string> Log;
    void Click(TObject* sender) { Log.push_back(static_cast<TComponent*>(sender)->Name()); }
};

TMenuItem* Item(const std::string& name, const std::string& caption, Clicks& clicks,
                TShortCut shortCut = scNone)
{
    return NewItem(caption, shortCut, false, true, TNotifyEvent(&clicks, &Clicks::Click), 0, name);
}

TEST(ShortCuts, TextAndKeysBothWays)
{
    struct Case {
        WORD key;
        TShiftState shift;
        const char* text;
    };
    const Case cases[] = {
        {'O', {ssCtrl}, "Ctrl+O"},
        {VK_F5, {}, "F5"},
        {VK_DELETE, {ssShift}, "Shift+Del"},
        {'1', {ssAlt, ssCtrl}, "Ctrl+Alt+1"},
        {VK_RETURN, {ssShift, ssCtrl, ssAlt}, "Shift+Ctrl+Alt+Enter"},
        {VK_BACK, {ssAlt}, "Alt+BkSp"},
        {VK_F1 + 11, {}, "F12"},
        {VK_PRIOR, {}, "PgUp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TShortCut shortCut = ShortCut(c.key, c.shift);
        EXPECT_EQ(ShortCutToText(shortCut), c.text);
        EXPECT_EQ(TextToShortCut(c.text), shortCut);
        WORD key = 0;
        TShiftState shift;
        ShortCutToKey(shortCut, key, shift);
        EXPECT_EQ(key, c.key);
        EXPECT_EQ(shift, c.shift);
    }
    EXPECT_EQ(TextToShortCut("ctrl+shift+s"), ShortCut('S', {ssShift, ssCtrl}));
    for (const char* nonsense : {"", "Ctrl+", "Hyper+A", "Ctrl+Banana"})
        EXPECT_EQ(TextToShortCut(nonsense), scNone) << nonsense;
    EXPECT_EQ(ShortCutToText(ShortCut(0xFF, {})), "");
    EXPECT_EQ(StripHotkey("&File && &Edit"), "File & Edit");
}

TEST(MenuItems, TheHandleShowsTheItemsState)
{
    Clicks clicks;
    TPopupMenu* menu = NewPopupMenu(nullptr, "Menu", paLeft, true,
                                    {Item("Open", "&Open", clicks, ShortCut('O', {ssCtrl})), NewLine(),
                                     Item("Hidden", "Hidden", clicks), Item("Gray", "Gray", clicks),
                                     Item("Bold", "Bold", clicks), Item("Tick", "Tick", clicks)});
    menu->Items()->Find("Hidden")->SetVisible(false);
    menu->Items()->Find("Gray")->SetEnabled(false);
    menu->Items()->Find("Bold")->SetDefault(true);
    menu->Items()->Find("Tick")->SetChecked(true);
    const std::vector<win32::MenuItemView> items = win32::MenuItems(menu->Handle());
    struct Case {
        const char* text;
        UINT type;
        UINT state;
    };
    const Case cases[] = {{"&Open\tCtrl+O", 0, 0},
                          {"", MFT_SEPARATOR, 0},
                          {"Gray", 0, MFS_GRAYED},
                          {"Bold", 0, MFS_DEFAULT},
                          {"Tick", 0, MFS_CHECKED}};
    ASSERT_EQ(items.size(), std::size(cases));
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(cases[i].text);
        EXPECT_EQ(items[i].Text, cases[i].text);
        EXPECT_EQ(items[i].Type, cases[i].type);
        EXPECT_EQ(items[i].State, cases[i].state);
    }
    EXPECT_EQ(items[0].Id, menu->Items()->Find("Open")->Command());
    // Shown again, the item takes its place back.
    menu->Items()->Find("Hidden")->SetVisible(true);
    EXPECT_EQ(GetMenuItemCount(menu->Handle()), 6);
    menu->Free();
}

TEST(MenuItems, RadioItemsOfAGroupExcludeEachOther)
{
    Clicks clicks;
    TPopupMenu* menu = NewPopupMenu(nullptr, "Menu", paLeft, true,
                                    {Item("A", "A", clicks), Item("B", "B", clicks), Item("C", "C", clicks)});
    TMenuItem* a = menu->Items()->Items(0);
    TMenuItem* b = menu->Items()->Items(1);
    TMenuItem* c = menu->Items()->Items(2);
    for (TMenuItem* item : {a, b, c}) {
        item->SetRadioItem(true);
        item->SetGroupIndex(1);
    }
    c->SetGroupIndex(2);
    c->SetChecked(true);
    struct Step {
        TMenuItem* check;
        bool a, b, c;
    };
    for (const Step& step : {Step{a, true, false, true}, Step{b, false, true, true}}) {
        step.check->SetChecked(true);
        EXPECT_EQ(a->Checked(), step.a);
        EXPECT_EQ(b->Checked(), step.b);
        EXPECT_EQ(c->Checked(), step.c);
    }
    // An auto-check radio item checks itself when clicked.
    a->SetAutoCheck(true);
    a->Click();
    EXPECT_TRUE(a->Checked());
    EXPECT_FALSE(b->Checked());
    EXPECT_EQ(clicks.Log, (std::vector<std::string>{"A"}));
    EXPECT_TRUE(win32::MenuItems(menu->Handle())[0].Type & MFT_RADIOCHECK);
    menu->Free();
}

TEST(MenuItems, TreeOperationsAndTheirRefusals)
{
    Clicks clicks;
    TMenuItem* root = NewSubMenu("Root", 0, "Root", {Item("A", "A", clicks), Item("B", "B", clicks)});
    TMenuItem* c = Item("C", "C", clicks);
    root->Insert(0, c);
    EXPECT_EQ(c->MenuIndex(), 0);
    c->SetMenuIndex(5); // clamped to the end
    EXPECT_EQ(root->IndexOf(c), 2);
    EXPECT_THROW(root->Add(c), EMenuError);
    EXPECT_THROW(root->Items(3), EMenuError);
    TMenuItem* stray = Item("X", "X", clicks);
    EXPECT_THROW(root->Insert(9, stray), EMenuError);
    stray->Free();
    EXPECT_EQ(root->Find("a"), root->Items(0));
    root->Delete(0);
    EXPECT_EQ(root->Count(), 2);
    EXPECT_EQ(GetMenuItemCount(root->Handle()), 2);
    root->Free();
}

// A tracker scripted by each test.
std::function<void(win32::MenuTrackSession&)> g_script;
void Scripted(win32::MenuTrackSession& session, POINT)
{
    if (g_script)
        g_script(session);
}

class PopupMenus : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallMenus();
        Before_ = win32::SetMenuTracker(&Scripted);
    }
    void TearDown() override
    {
        win32::SetMenuTracker(Before_);
        g_script = nullptr;
    }

private:
    win32::MenuTracker Before_ = nullptr;
};

struct Filler {
    Clicks* Log;
    TMenuItem* Recent;
    void Fill(TObject* sender)
    {
        // The submenu is filled as it opens, over its placeholder.
        Log->Click(sender);
        Recent->Clear();
        Recent->Add(NewItem("&Last file", scNone, false, true, TNotifyEvent(Log, &Clicks::Click), 0, "Last"));
    }
};

TEST_F(PopupMenus, ASubmenuFilledAsItOpensAndTheChoiceClicked)
{
    Clicks clicks;
    TMenuItem* recent = NewSubMenu("&Recent", 0, "Recent", {NewLine()});
    TPopupMenu* menu = NewPopupMenu(nullptr, "Menu", paLeft, true, {Item("Open", "&Open", clicks), recent});
    Filler filler{&clicks, recent};
    recent->OnClick = TNotifyEvent(&filler, &Filler::Fill);
    menu->OnPopup = TNotifyEvent(&clicks, &Clicks::Click);
    std::vector<std::string> before;
    g_script = [&](win32::MenuTrackSession& s) {
        s.Highlight(s.Menu(), 1);
        const HMENU sub = GetSubMenu(s.Menu(), 1);
        ASSERT_NE(sub, nullptr);
        before = clicks.Log;
        s.OpenPopup(sub, 1);
        const auto r = s.TypeChar(sub, u'l');
        ASSERT_EQ(r.Position, 0);
        EXPECT_TRUE(r.Execute);
        s.Choose(sub, static_cast<UINT>(r.Position));
    };
    menu->Popup(5, 5);
    EXPECT_EQ(before, (std::vector<std::string>{"Menu"}));
    EXPECT_EQ(clicks.Log, (std::vector<std::string>{"Menu", "Recent", "Last"}));
    menu->Free();
}

TEST_F(PopupMenus, TheHighlightedItemsHintBecomesTheApplicationsHint)
{
    Clicks clicks;
    TPopupMenu* menu = NewPopupMenu(nullptr, "Menu", paLeft, true, {Item("Open", "&Open", clicks)});
    menu->Items()->Items(0)->SetHint("Opens a file");
    std::vector<std::string> seen;
    g_script = [&](win32::MenuTrackSession& s) {
        s.Highlight(s.Menu(), 0);
        seen.push_back(Application()->Hint());
        s.Cancel();
        seen.push_back(Application()->Hint());
    };
    menu->Popup(0, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"Opens a file", ""}));
    EXPECT_TRUE(clicks.Log.empty());
    menu->Free();
}

struct MenuFixture {
    kwtest::TestForm Form;
    kwtest::TLoggingControl* Control;
    Clicks Seen;
    TPopupMenu* Popup;
    TMainMenu* Main;
    MenuFixture()
    {
        Control = Create<kwtest::TLoggingControl>(Form.Get());
        Control->SetParent(Form.Get());
        Control->SetBounds(10, 10, 100, 60);
        Popup = NewPopupMenu(
            Form.Get(), "Popup", paLeft, true,
            {NewSubMenu("Deep", 0, "Deep", {Item("Kill", "&Kill", Seen, ShortCut('K', {ssCtrl}))}),
             Item("Off", "Off", Seen, ShortCut('J', {ssCtrl}))});
        Popup->Items()->Find("Off")->SetEnabled(false);
        Popup->Items()->Find("Deep")->OnClick = TNotifyEvent(&Seen, &Clicks::Click);
        Control->SetPopupMenu(Popup);
        Main = Create<TMainMenu>(Form.Get());
        Main->Items()->Add(
            NewSubMenu("&File", 0, "File", {Item("Reload", "&Reload", Seen, ShortCut(VK_F5, {}))}));
        Form->SetMenu(Main);
        Control->SetFocus();
        Pump();
    }
};

TEST_F(PopupMenus, ShortCutsFireForMenusNeverShown)
{
    MenuFixture f;
    struct Case {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::vector<std::string> clicks;
    };
    const Case cases[] = {
        {"popup item in a submenu", Qt::Key_K, Qt::ControlModifier, {"Deep", "Kill"}},
        {"main menu item", Qt::Key_F5, Qt::NoModifier, {"Reload"}},
        {"disabled item", Qt::Key_J, Qt::ControlModifier, {}},
        {"no short-cut", Qt::Key_K, Qt::NoModifier, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        f.Seen.Log.clear();
        QTest::keyClick(f.Control->Peer(), c.key, c.modifiers);
        EXPECT_EQ(f.Seen.Log, c.clicks);
    }
    // A menu freed before the control is no longer the control's.
    f.Popup->Free();
    EXPECT_EQ(f.Control->PopupMenu(), nullptr);
    f.Main->Free();
    EXPECT_EQ(f.Form->Menu(), nullptr);
    QTest::keyClick(f.Control->Peer(), Qt::Key_F5);
}

// A parent that makes its items anew when clicked (recent files) frees the
// item a short-cut found: the item made in its place is clicked instead.
struct Rebuilder {
    Clicks* Log;
    TMenuItem* Recent;
    void Fill(TObject* sender)
    {
        Log->Click(sender);
        Recent->Clear();
        Recent->Add(NewItem("&Last file", ShortCut('L', {ssCtrl}), false, true,
                            TNotifyEvent(Log, &Clicks::Click), 0, "Last"));
    }
};

TEST_F(PopupMenus, AShortCutWhoseParentMakesItsItemsAnewClicksTheNewItem)
{
    MenuFixture f;
    TMenuItem* recent = NewSubMenu("&Recent", 0, "Recent",
                                   {NewItem("&Old file", ShortCut('L', {ssCtrl}), false, true,
                                            TNotifyEvent(&f.Seen, &Clicks::Click), 0, "Old")});
    Rebuilder rebuilder{&f.Seen, recent};
    recent->OnClick = TNotifyEvent(&rebuilder, &Rebuilder::Fill);
    f.Main->Items()->Add(recent);
    f.Seen.Log.clear();
    QTest::keyClick(f.Control->Peer(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(f.Seen.Log, (std::vector<std::string>{"Recent", "Last"}));
}

TEST_F(PopupMenus, TheRightButtonPopsTheControlsMenuUp)
{
    MenuFixture f;
    TComponent* shownFor = nullptr;
    g_script = [&](win32::MenuTrackSession& s) {
        shownFor = f.Popup->PopupComponent();
        s.Cancel();
    };
    QTest::mouseClick(f.Control->Peer(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    Pump();
    EXPECT_EQ(shownFor, f.Control);
    // Without AutoPopup the button shows nothing.
    shownFor = nullptr;
    f.Popup->SetPopupComponent(nullptr);
    f.Popup->SetAutoPopup(false);
    QTest::mouseClick(f.Control->Peer(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    Pump();
    EXPECT_EQ(shownFor, nullptr);
}

// ---- the QMenu tracker ----

struct Painter {
    std::vector<bool> Selected;
    void Measure(TObject*, TCanvas*, int& width, int& height)
    {
        width = 120;
        height = 24;
    }
    void Draw(TObject* sender, TCanvas* canvas, TRect rect, bool selected)
    {
        Selected.push_back(selected);
        const bool first = static_cast<TMenuItem*>(sender)->MenuIndex() == 0;
        canvas->Brush()->SetColor(first ? clRed : clBlue);
        canvas->FillRect(rect);
        canvas->Brush()->SetColor(clYellow);
        canvas->FillRect({rect.left + 4, rect.top + 4, rect.left + 20, rect.bottom - 4});
    }
};

class QMenuTracking : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallMenus();
        Before_ = win32::SetMenuTracker(nullptr);
        InstallQtMenuTracker();
    }
    void TearDown() override { win32::SetMenuTracker(Before_); }

    // Runs what a person does once the popup is up.
    static void WhenShown(std::function<void(QMenu*)> act)
    {
        QTimer::singleShot(0, [act] {
            kwtest::PumpUntil(
                [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; });
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup) {
                ADD_FAILURE() << "no popup shown";
                return;
            }
            act(popup);
        });
    }

private:
    win32::MenuTracker Before_ = nullptr;
};

TEST_F(QMenuTracking, OwnerDrawnItemsShowWhatTheirHandlerDrew)
{
    Clicks clicks;
    Painter painter;
    TPopupMenu* menu = NewPopupMenu(nullptr, "Menu", paLeft, true,
                                    {Item("Red", "Red", clicks), Item("Blue", "Blue", clicks)});
    menu->SetOwnerDraw(true);
    for (int i = 0; i < 2; ++i) {
        menu->Items()->Items(i)->OnMeasureItem = TMenuMeasureItemEvent(&painter, &Painter::Measure);
        menu->Items()->Items(i)->OnDrawItem = TMenuDrawItemEvent(&painter, &Painter::Draw);
    }
    QImage shot;
    WhenShown([&](QMenu* popup) {
        Pump();
        shot = kwtest::SavePicture(popup, "menus-owner-drawn.png");
        // The second item is chosen by a click on it.
        const QList<QAction*> actions = popup->actions();
        ASSERT_EQ(actions.size(), 2);
        const QPoint centre = popup->actionGeometry(actions[1]).center();
        QWidget* item = popup->childAt(centre);
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(item, Qt::LeftButton, Qt::NoModifier, item->mapFrom(popup, centre));
    });
    menu->Popup(40, 40);
    ASSERT_FALSE(shot.isNull());
    // Both items are there in their colours, each with its yellow mark.
    bool red = false, blue = false, yellow = false;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb p = shot.pixel(x, y);
            red |= p == qRgb(255, 0, 0);
            blue |= p == qRgb(0, 0, 255);
            yellow |= p == qRgb(255, 255, 0);
        }
    EXPECT_TRUE(red);
    EXPECT_TRUE(blue);
    EXPECT_TRUE(yellow);
    EXPECT_GE(shot.height(), 48);
    EXPECT_EQ(clicks.Log, (std::vector<std::string>{"Blue"}));
    menu->Free();
}

TEST_F(QMenuTracking, KeysChooseAndCancel)
{
    struct Case {
        const char* what;
        std::function<void(QMenu*)> act;
        std::vector<std::string> clicks;
    };
    const Case cases[] = {
        {"mnemonic", [](QMenu* p) { QTest::keyClick(p, Qt::Key_S); }, {"Save"}},
        {"escape", [](QMenu* p) { QTest::keyClick(p, Qt::Key_Escape); }, {}},
        {"arrows and return",
         [](QMenu* p) {
             QTest::keyClick(p, Qt::Key_Down);
             QTest::keyClick(p, Qt::Key_Down);
             QTest::keyClick(p, Qt::Key_Return);
         },
         {"Save"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Clicks clicks;
        TPopupMenu* menu = NewPopupMenu(nullptr, "Menu", paLeft, true,
                                        {Item("Open", "&Open", clicks), Item("Save", "&Save", clicks)});
        WhenShown(c.act);
        menu->Popup(10, 10);
        EXPECT_EQ(clicks.Log, c.clicks);
        menu->Free();
    }
}

} // namespace
