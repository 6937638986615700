// Menus: items behind HMENU handles, their states, and a scripted tracker
// that tells the owner window what a person does in a popup.

#include "win32/Menus.h"
#include "win32/Errors.h"
#include "win32/WindowManager.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

class Owner : public win32::WindowProcedure {
public:
    struct Entry {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Entry> Log;
    std::function<LRESULT(UINT, WPARAM, LPARAM)> Answer;

    Owner() { Window = win32::CreateWindowFor(this, {}); }
    ~Owner() { DestroyWindow(Window); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        Log.push_back({message, wParam, lParam});
        if (Answer)
            if (LRESULT answer = Answer(message, wParam, lParam))
                return answer;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    std::vector<UINT> MenuMessages() const
    {
        std::vector<UINT> result;
        for (const Entry& e : Log)
            if ((e.message >= WM_INITMENU && e.message <= WM_UNINITMENUPOPUP) ||
                e.message == WM_ENTERMENULOOP || e.message == WM_EXITMENULOOP || e.message == WM_COMMAND)
                result.push_back(e.message);
        return result;
    }
    HWND Window = nullptr;
};

// File ( &Open  Ctrl+O | --- | &Recent > ( One | Two ) | Dis&abled )
struct SampleMenu {
    HMENU Top = CreatePopupMenu();
    HMENU Recent = CreatePopupMenu();
    SampleMenu()
    {
        AppendMenuA(Recent, MF_STRING, 201, "&One");
        AppendMenuA(Recent, MF_STRING, 202, "&Two");
        AppendMenuA(Top, MF_STRING, 101, "&Open\tCtrl+O");
        AppendMenuA(Top, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(Top, MF_POPUP, reinterpret_cast<UINT_PTR>(Recent), "&Recent");
        AppendMenuA(Top, MF_STRING | MF_GRAYED, 103, "Dis&abled");
    }
    ~SampleMenu() { DestroyMenu(Top); }
};

TEST(Menus, ItemsReadBackAsAppended)
{
    SampleMenu m;
    EXPECT_EQ(GetMenuItemCount(m.Top), 4);
    struct Case {
        int position;
        UINT id;
        UINT state;
        const char* text;
    };
    const Case cases[] = {
        {0, 101, MF_STRING, "&Open\tCtrl+O"},
        {1, 0, MF_SEPARATOR, ""},
        {2, static_cast<UINT>(-1), MF_POPUP | (2u << 8), "&Recent"},
        {3, 103, MF_GRAYED, "Dis&abled"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(GetMenuItemID(m.Top, c.position), c.id);
        EXPECT_EQ(GetMenuState(m.Top, static_cast<UINT>(c.position), MF_BYPOSITION), c.state);
        char text[64] = "x";
        GetMenuStringA(m.Top, static_cast<UINT>(c.position), text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, c.text);
    }
    EXPECT_EQ(GetSubMenu(m.Top, 2), m.Recent);
    EXPECT_EQ(GetSubMenu(m.Top, 0), nullptr);
    EXPECT_EQ(GetMenuItemID(m.Top, 4), static_cast<UINT>(-1));
    // By command, the search goes into submenus.
    EXPECT_EQ(GetMenuState(m.Top, 202, MF_BYCOMMAND), MF_STRING);
    EXPECT_EQ(GetMenuState(m.Top, 999, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST(Menus, InsertDeleteAndRemove)
{
    SampleMenu m;
    ASSERT_TRUE(InsertMenuA(m.Top, 0, MF_BYPOSITION | MF_STRING, 100, "First"));
    ASSERT_TRUE(InsertMenuA(m.Top, 103, MF_BYCOMMAND | MF_STRING, 102, "Before disabled"));
    ASSERT_TRUE(InsertMenuA(m.Top, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, 104, "Last"));
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(m.Top); ++i)
        ids.push_back(GetMenuItemID(m.Top, i));
    EXPECT_EQ(ids, (std::vector<UINT>{100, 101, 0, static_cast<UINT>(-1), 102, 103, 104}));

    // RemoveMenu keeps the submenu alive; DeleteMenu destroys it.
    ASSERT_TRUE(RemoveMenu(m.Top, 3, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(m.Recent));
    ASSERT_TRUE(
        InsertMenuA(m.Top, 3, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(m.Recent), "Again"));
    ASSERT_TRUE(DeleteMenu(m.Top, 3, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(m.Recent));
    EXPECT_FALSE(DeleteMenu(m.Top, 999, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuItemCount(m.Top), 6);
}

TEST(Menus, ItemInfoRoundTrip)
{
    HMENU menu = CreatePopupMenu();
    char text[] = "&Item";
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_STRING;
    info.fType = MFT_RADIOCHECK;
    info.fState = MFS_CHECKED | MFS_DEFAULT;
    info.wID = 7;
    info.dwItemData = 0x1234;
    info.dwTypeData = text;
    ASSERT_TRUE(InsertMenuItemA(menu, 0, TRUE, &info));

    MENUITEMINFOA read{};
    read.cbSize = sizeof read;
    read.fMask = info.fMask;
    char small[3] = {};
    read.dwTypeData = small;
    read.cch = sizeof small;
    ASSERT_TRUE(GetMenuItemInfoA(menu, 7, FALSE, &read));
    EXPECT_EQ(read.fType, MFT_RADIOCHECK);
    EXPECT_EQ(read.fState, MFS_CHECKED | MFS_DEFAULT);
    EXPECT_EQ(read.wID, 7u);
    EXPECT_EQ(read.dwItemData, 0x1234u);
    EXPECT_STREQ(small, "&I"); // cut to the buffer
    EXPECT_EQ(read.cch, 5u);   // the whole length

    MENUITEMINFOA change{};
    change.cbSize = sizeof change;
    change.fMask = MIIM_STATE;
    change.fState = MFS_GRAYED;
    ASSERT_TRUE(SetMenuItemInfoA(menu, 0, TRUE, &change));
    EXPECT_EQ(GetMenuState(menu, 7, MF_BYCOMMAND), MFT_RADIOCHECK | MFS_GRAYED);
    EXPECT_FALSE(GetMenuItemInfoA(menu, 8, FALSE, &read));
    DestroyMenu(menu);
}

TEST(Menus, StatesCheckEnableRadioDefault)
{
    HMENU menu = CreatePopupMenu();
    for (UINT id = 1; id <= 4; ++id)
        AppendMenuA(menu, MF_STRING, id, "item");
    EXPECT_EQ(CheckMenuItem(menu, 2, MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 2, MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(EnableMenuItem(menu, 3, MF_GRAYED), 0);
    EXPECT_EQ(EnableMenuItem(menu, 3, MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
    EXPECT_EQ(CheckMenuItem(menu, 99, MF_CHECKED), static_cast<DWORD>(-1));

    ASSERT_TRUE(CheckMenuRadioItem(menu, 1, 3, 2, MF_BYCOMMAND));
    ASSERT_TRUE(CheckMenuRadioItem(menu, 1, 3, 3, MF_BYCOMMAND));
    struct Case {
        UINT id;
        UINT checked;
    };
    for (const Case& c : {Case{1, 0}, Case{2, 0}, Case{3, MF_CHECKED}, Case{4, 0}})
        EXPECT_EQ(GetMenuState(menu, c.id, MF_BYCOMMAND) & MF_CHECKED, c.checked) << c.id;

    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(-1));
    ASSERT_TRUE(SetMenuDefaultItem(menu, 4, FALSE));
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), 4u);
    EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), 3u);
    ASSERT_TRUE(SetMenuDefaultItem(menu, 1, FALSE));
    EXPECT_EQ(GetMenuState(menu, 4, MF_BYCOMMAND) & MF_DEFAULT, 0u);
    DestroyMenu(menu);
}

TEST(Menus, StaleHandlesAreRefused)
{
    HMENU menu = CreatePopupMenu();
    ASSERT_TRUE(DestroyMenu(menu));
    SetLastError(0);
    EXPECT_FALSE(AppendMenuA(menu, MF_STRING, 1, "x"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
    EXPECT_EQ(GetMenuItemCount(menu), -1);
    EXPECT_FALSE(DestroyMenu(menu));
    EXPECT_FALSE(IsMenu(nullptr));
    // A menu cannot hold itself, nor a dead submenu.
    HMENU live = CreatePopupMenu();
    EXPECT_FALSE(AppendMenuA(live, MF_POPUP, reinterpret_cast<UINT_PTR>(live), "self"));
    EXPECT_FALSE(AppendMenuA(live, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), "dead"));
    EXPECT_EQ(GetMenuItemCount(live), 0);
    DestroyMenu(live);
}

TEST(Menus, MnemonicsAreTheLetterAfterTheAmpersand)
{
    struct Case {
        const char* text;
        char mnemonic;
    };
    const Case cases[] = {
        {"&Open", 'o'}, {"Save &As", 'a'}, {"Fish && &Chips", 'c'}, {"None", 0}, {"Tail&", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(win32::MenuMnemonic(c.text), c.mnemonic) << c.text;
}

// The tracker a test installs: runs a script against the session.
std::function<void(win32::MenuTrackSession&)> g_script;
void ScriptedTracker(win32::MenuTrackSession& session, POINT)
{
    if (g_script)
        g_script(session);
}

class ScriptedTracking : public ::testing::Test {
protected:
    void SetUp() override { Before_ = win32::SetMenuTracker(&ScriptedTracker); }
    void TearDown() override
    {
        win32::SetMenuTracker(Before_);
        g_script = nullptr;
    }

private:
    win32::MenuTracker Before_ = nullptr;
};

TEST_F(ScriptedTracking, SubmenuIsInitialisedBeforeTheChoice)
{
    Owner owner;
    SampleMenu m;
    g_script = [&](win32::MenuTrackSession& s) {
        s.Highlight(s.Menu(), 2);
        s.OpenPopup(m.Recent, 2);
        s.Highlight(m.Recent, 1);
        EXPECT_TRUE(s.Choose(m.Recent, 1));
    };
    const BOOL chosen = TrackPopupMenu(m.Top, TPM_RETURNCMD, 10, 10, 0, owner.Window, nullptr);
    EXPECT_EQ(chosen, 202);
    EXPECT_EQ(owner.MenuMessages(), (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP,
                                                       WM_MENUSELECT, WM_INITMENUPOPUP, WM_MENUSELECT,
                                                       WM_MENUSELECT, WM_UNINITMENUPOPUP, WM_EXITMENULOOP}));
    // The second WM_INITMENUPOPUP names the submenu and its position.
    std::vector<Owner::Entry> inits;
    for (const Owner::Entry& e : owner.Log)
        if (e.message == WM_INITMENUPOPUP)
            inits.push_back(e);
    ASSERT_EQ(inits.size(), 2u);
    EXPECT_EQ(reinterpret_cast<HMENU>(inits[0].wParam), m.Top);
    EXPECT_EQ(reinterpret_cast<HMENU>(inits[1].wParam), m.Recent);
    EXPECT_EQ(LOWORD(inits[1].lParam), 2);
    // The highlight of a submenu item reports its position with MF_POPUP.
    const Owner::Entry& first = *std::find_if(
        owner.Log.begin(), owner.Log.end(), [](const Owner::Entry& e) { return e.message == WM_MENUSELECT; });
    EXPECT_EQ(LOWORD(first.wParam), 2);
    EXPECT_TRUE(HIWORD(first.wParam) & MF_POPUP);
    EXPECT_EQ(reinterpret_cast<HMENU>(first.lParam), m.Top);
}

TEST_F(ScriptedTracking, TheHighlightedItemAloneShowsMfHiliteUntilItsPopupCloses)
{
    Owner owner;
    SampleMenu m;
    // Which positions of a menu carry MF_HILITE now.
    const auto lit = [](HMENU menu) {
        std::vector<int> positions;
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE)
                positions.push_back(i);
        return positions;
    };
    std::vector<std::vector<int>> seen;
    g_script = [&](win32::MenuTrackSession& s) {
        s.Highlight(s.Menu(), 0);
        seen.push_back(lit(m.Top));
        s.Highlight(s.Menu(), 2);
        s.OpenPopup(m.Recent, 2);
        s.Highlight(m.Recent, 1);
        seen.push_back(lit(m.Top));
        seen.push_back(lit(m.Recent));
        s.ClosePopup(m.Recent);
        seen.push_back(lit(m.Recent));
        s.Cancel();
    };
    TrackPopupMenu(m.Top, TPM_RETURNCMD, 10, 10, 0, owner.Window, nullptr);
    const std::vector<std::vector<int>> expected = {{0}, {2}, {1}, {}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(lit(m.Top), std::vector<int>{}) << "the highlight outlived the menu";
}

TEST_F(ScriptedTracking, ChoicesAndTheirResults)
{
    struct Case {
        const char* name;
        std::function<void(win32::MenuTrackSession&)> script;
        UINT flags;
        BOOL result;
        bool posted;
    };
    const Case cases[] = {
        {"command returned", [](auto& s) { s.Choose(s.Menu(), 0); }, TPM_RETURNCMD, 101, false},
        {"command posted", [](auto& s) { s.Choose(s.Menu(), 0); }, 0, TRUE, true},
        {"cancelled", [](auto& s) { s.Cancel(); }, TPM_RETURNCMD, 0, false},
        {"separator refused", [](auto& s) { EXPECT_FALSE(s.Choose(s.Menu(), 1)); }, TPM_RETURNCMD, 0, false},
        {"disabled refused", [](auto& s) { EXPECT_FALSE(s.Choose(s.Menu(), 3)); }, TPM_RETURNCMD, 0, false},
        {"submenu refused", [](auto& s) { EXPECT_FALSE(s.Choose(s.Menu(), 2)); }, 0, FALSE, false},
        {"mnemonic",
         [](auto& s) {
             auto r = s.TypeChar(s.Menu(), u'O');
             EXPECT_TRUE(r.Execute);
             s.Choose(s.Menu(), static_cast<UINT>(r.Position));
         },
         TPM_RETURNCMD, 101, false},
        {"nothing chosen", [](auto&) {}, TPM_RETURNCMD, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Owner owner;
        SampleMenu m;
        g_script = c.script;
        EXPECT_EQ(TrackPopupMenu(m.Top, c.flags, 0, 0, 0, owner.Window, nullptr), c.result);
        QCoreApplication::processEvents();
        const auto commands = std::count_if(owner.Log.begin(), owner.Log.end(),
                                            [](const Owner::Entry& e) { return e.message == WM_COMMAND; });
        EXPECT_EQ(commands, c.posted ? 1 : 0);
    }
}

TEST_F(ScriptedTracking, LettersNoItemClaimsAskTheOwner)
{
    Owner owner;
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_OWNERDRAW, 11, nullptr);
    AppendMenuA(menu, MF_OWNERDRAW, 12, nullptr);
    owner.Answer = [&](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message != WM_MENUCHAR)
            return 0;
        EXPECT_EQ(reinterpret_cast<HMENU>(lParam), menu);
        EXPECT_EQ(HIWORD(wParam), MF_POPUP);
        switch (LOWORD(wParam)) {
        case 'b':
            return MAKELONG(1, MNC_EXECUTE);
        case 'x':
            return MAKELONG(0, MNC_CLOSE);
        default:
            return MAKELONG(0, MNC_IGNORE);
        }
    };
    struct Case {
        char16_t letter;
        int position;
        bool execute;
        bool close;
    };
    g_script = [&](win32::MenuTrackSession& s) {
        for (const Case& c :
             {Case{u'b', 1, true, false}, Case{u'x', -1, false, true}, Case{u'q', -1, false, false}}) {
            const auto r = s.TypeChar(menu, c.letter);
            EXPECT_EQ(r.Position, c.position);
            EXPECT_EQ(r.Execute, c.execute);
            EXPECT_EQ(r.Close, c.close);
        }
        s.Choose(menu, 1);
    };
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner.Window, nullptr), 12);
    DestroyMenu(menu);
}

TEST_F(ScriptedTracking, NoNotifyKeepsTheOwnerQuietAndBadArgumentsFail)
{
    Owner owner;
    SampleMenu m;
    g_script = [](auto& s) { s.Choose(s.Menu(), 0); };
    EXPECT_EQ(TrackPopupMenu(m.Top, TPM_RETURNCMD | TPM_NONOTIFY, 0, 0, 0, owner.Window, nullptr), 101);
    EXPECT_TRUE(owner.MenuMessages().empty());
    EXPECT_FALSE(TrackPopupMenu(m.Top, TPM_RETURNCMD, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    HMENU dead = CreatePopupMenu();
    DestroyMenu(dead);
    EXPECT_FALSE(TrackPopupMenu(dead, TPM_RETURNCMD, 0, 0, 0, owner.Window, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
}

} // namespace
