// A form's main menu as a bar above the client area: clicked and opened by
// its mnemonics through the menu tracker, with the menu messages reaching
// the form, following the menu's changes, and its short-cuts.

#include "WidgetTesting.h"
#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/Menus.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/Menus.h"
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

std::function<void(win32::MenuTrackSession&)> g_script;
void Scripted(win32::MenuTrackSession& session, POINT)
{
    if (g_script)
        g_script(session);
}

// A form with a File and an Edit menu, an edit with the focus, and a log of
// the clicks and of the menu messages the form hears.
struct MenuForm {
    TCustomForm* Form;
    TMainMenu* Menu;
    TEdit* Edit;
    std::vector<std::string> Log;
    TWndMethod Saved;
    win32::MenuTracker Before;

    MenuForm()
    {
        InstallMenus();
        Before = win32::SetMenuTracker(&Scripted);
        Form = Create<TForm>(nullptr);
        Form->SetBounds(20, 20, 320, 200);
        Menu = Create<TMainMenu>(Form);
        auto click = TNotifyEvent(this, &MenuForm::Clicked);
        Menu->Items()->Add(
            NewSubMenu("&File", 0, "File",
                       {NewItem("&Open", ShortCut('O', {ssCtrl}), false, true, click, 0, "Open"), NewLine(),
                        NewItem("E&xit", scNone, false, true, click, 0, "Exit")}));
        Menu->Items()->Add(
            NewSubMenu("&Edit", 0, "EditMenu",
                       {NewItem("&Copy", ShortCut('C', {ssCtrl}), false, true, click, 0, "Copy")}));
        for (TMenuItem* top : {Menu->Items()->Items(0), Menu->Items()->Items(1)})
            top->OnClick = click;
        Form->SetMenu(Menu);
        Edit = Create<TEdit>(Form);
        Edit->SetParent(Form);
        Edit->SetAlign(alTop);
        Saved = Form->WindowProc;
        Form->WindowProc = TWndMethod(this, &MenuForm::Hear);
        Form->Show();
        Pump();
        Edit->SetFocus();
    }
    ~MenuForm()
    {
        Form->Free();
        Pump();
        win32::SetMenuTracker(Before);
        g_script = nullptr;
    }
    MenuForm(const MenuForm&) = delete;
    MenuForm& operator=(const MenuForm&) = delete;

    void Clicked(TObject* sender) { Log.push_back("click:" + static_cast<TComponent*>(sender)->Name()); }
    void Hear(TMessage& message)
    {
        switch (message.Msg) {
        case WM_INITMENUPOPUP:
            Log.push_back("initpopup:" + std::to_string(LOWORD(message.LParam)));
            break;
        case WM_MENUSELECT:
            if (HIWORD(message.WParam) != 0xFFFF)
                Log.push_back("select");
            break;
        case WM_COMMAND:
            Log.push_back("command");
            break;
        default:
            break;
        }
        Saved(message);
    }
    // The bar: the widget over the top of the form.
    QWidget* Bar() const { return Form->Peer()->childAt(4, 4); }
    HMENU Submenu(int position) const { return Menu->Items()->Items(position)->Handle(); }
};

TEST(MenuBar, TheClientAreaIsBelowTheBar)
{
    MenuForm f;
    QWidget* bar = f.Bar();
    ASSERT_NE(bar, nullptr);
    const int height = bar->height();
    EXPECT_GT(height, 15);
    EXPECT_EQ(f.Form->ClientHeight(), 200 - height);
    EXPECT_EQ(f.Edit->Peer()->geometry().top(), height);
    EXPECT_EQ(f.Form->ClientOrigin().y, f.Form->Peer()->mapToGlobal(QPoint(0, height)).y());
    kwtest::SavePicture(f.Form->Peer(), "form-menubar.png");
    // Without the menu the client area is the whole window again.
    f.Form->SetMenu(nullptr);
    EXPECT_EQ(f.Form->ClientHeight(), 200);
    EXPECT_EQ(f.Edit->Peer()->geometry().top(), 0);
    EXPECT_EQ(f.Form->Peer()->childAt(4, 4), f.Edit->Peer());
}

TEST(MenuBar, OpenedByClickOrMnemonicThroughTheTracker)
{
    struct Case {
        const char* what;
        std::function<void(MenuForm&)> open;
        int position;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"a click on the first item",
         [](MenuForm& f) {
             QTest::mouseClick(f.Bar(), Qt::LeftButton, {}, QPoint(8, f.Bar()->height() / 2));
         },
         0,
         {"select", "initpopup:0", "click:File", "select", "command", "click:Exit"}},
        {"Alt with the second item's letter",
         [](MenuForm& f) { QTest::keyClick(f.Edit->Peer(), Qt::Key_E, Qt::AltModifier); },
         1,
         {"select", "initpopup:1", "click:EditMenu", "select", "command", "click:Copy"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MenuForm f;
        HMENU shown = nullptr;
        g_script = [&](win32::MenuTrackSession& s) {
            shown = s.Shown();
            // The last item of the submenu that drops down.
            const UINT last = static_cast<UINT>(GetMenuItemCount(s.Shown()) - 1);
            s.Highlight(s.Shown(), last);
            s.Choose(s.Shown(), last);
        };
        c.open(f);
        Pump();
        EXPECT_EQ(shown, f.Submenu(c.position));
        EXPECT_EQ(f.Log, c.log);
        EXPECT_EQ(f.Edit->Text(), ""); // the letter went to the menu
    }
}

TEST(MenuBar, FollowsTheMenusChanges)
{
    MenuForm f;
    HMENU shown = nullptr;
    g_script = [&](win32::MenuTrackSession& s) {
        shown = s.Shown();
        s.Cancel();
    };
    auto click = TNotifyEvent(&f, &MenuForm::Clicked);
    f.Menu->Items()->Add(
        NewSubMenu("&Help", 0, "Help", {NewItem("&About", scNone, false, true, click, 0, "About")}));
    f.Menu->Items()->Items(2)->OnClick = click;
    QTest::keyClick(f.Edit->Peer(), Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(shown, f.Submenu(2));
    // A disabled item of the bar does not open.
    shown = nullptr;
    f.Menu->Items()->Items(2)->SetEnabled(false);
    QTest::keyClick(f.Edit->Peer(), Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(shown, nullptr);
    // A click on the bar's empty end opens nothing.
    QTest::mouseClick(f.Bar(), Qt::LeftButton, {}, QPoint(f.Bar()->width() - 2, 4));
    EXPECT_EQ(shown, nullptr);
    EXPECT_EQ(f.Log, std::vector<std::string>({"select", "initpopup:2", "click:Help"}));
    EXPECT_EQ(f.Edit->Text(), "");
}

TEST(MenuBar, TheToolkitsTrackerDropsTheSubmenuBelowItsItem)
{
    MenuForm f;
    InstallQtMenuTracker();
    QPoint at;
    QStringList texts;
    QTimer::singleShot(50, [&] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            at = popup->geometry().topLeft();
            for (QAction* action : popup->actions())
                texts << action->text();
            kwtest::SavePicture(popup, "form-menubar-popup.png");
            popup->close();
        }
    });
    const QPoint item(60, f.Bar()->height() / 2); // over "Edit"
    QTest::mouseClick(f.Bar(), Qt::LeftButton, {}, item);
    Pump();
    EXPECT_EQ(texts, QStringList{"&Copy\tCtrl+C"});
    // Just under the bar, left of the item's middle.
    const QPoint bar = f.Bar()->mapToGlobal(QPoint(0, f.Bar()->height()));
    EXPECT_GE(at.y(), bar.y());
    EXPECT_LE(at.y(), bar.y() + 2);
    EXPECT_GT(at.x(), bar.x());
    EXPECT_LT(at.x(), f.Bar()->mapToGlobal(item).x());
    EXPECT_EQ(f.Log, std::vector<std::string>({"select", "initpopup:1", "click:EditMenu"}));
}

TEST(MenuBar, ShortCutsOfTheMainMenusItemsFire)
{
    MenuForm f;
    g_script = [](win32::MenuTrackSession& s) { ADD_FAILURE() << "no menu opens for a short-cut"; };
    QTest::keyClick(f.Edit->Peer(), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(f.Edit->Peer(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(f.Log, std::vector<std::string>({"click:File", "click:Open", "click:EditMenu", "click:Copy"}));
}

} // namespace
