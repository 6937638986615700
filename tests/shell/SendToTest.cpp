// The Send To submenu: the shell's placeholder filled from the Send To
// folder through a scripted tracker and through the toolkit's own, its
// owner-drawn items measured and drawn, its letters, and the drop on an
// entry.

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "ContextMenuFakes.h"
#include "ShellControlsTestSupport.h"

#include "com/PlainDataObject.h"
#include "shell32/FileDataObjects.h"
#include "shell32/Folders.h"
#include "shell32/Opening.h"
#include "shell32/ShellUIObjects.h"
#include "vcl/core/Exceptions.h"
#include "vcl/widgets/Menus.h"
#include "win32/DeviceContext.h"
#include "win32/Gdi.h"
#include "win32/SystemSettings.h"

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QTimer>
#include <QtTest/QTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace kw;
using kwtest::MenuLog;

namespace {

std::function<void(win32::MenuTrackSession&)> g_script;
void Scripted(win32::MenuTrackSession& session, POINT)
{
    if (g_script)
        g_script(session);
    if (!session.Finished())
        session.Cancel();
}

// The Send To folder of a home of the test's own, holding the entries of
// the menu and what must stay out of it.
class SendToMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        Folder = ShellGetSpecialFolderPath(nullptr, csidlSendTo);
        ASSERT_FALSE(Folder.empty());
        std::filesystem::create_directories(Folder);
        for (const char* name :
             {"banana.txt", "Apple.txt", "apricot.sh", "Cherry.txt", "notes.txt", "Notes.txt"})
            Write(name);
        Write(".hidden.txt");
        std::filesystem::create_directories(Folder + "/Sub");
        std::filesystem::create_directories(Home.Home() + "/Projects");
        std::filesystem::create_directory_symlink(Home.Home() + "/Projects", Folder + "/Projects");
        Before_ = win32::SetMenuTracker(&Scripted);
        Owner.List = &List;
        Owner.Images = ShellGetSystemImageList(kwsizSmall);
    }
    void TearDown() override
    {
        win32::SetMenuTracker(Before_);
        g_script = nullptr;
        shell32::SetUIObjectFactory(nullptr);
        for (HMENU popup : Popups_)
            DestroyMenu(popup);
    }

    void Write(const std::string& name) { std::ofstream(Folder + "/" + name) << name; }

    // Shows the shell menu of a fake menu object (with the Send To
    // placeholder) for the owner; returns the chosen id. The popup stays
    // until the test ends.
    UINT Track()
    {
        Menu = com::MakeComObject<kwtest::TFakeMenu>(Log, kwtest::SampleCommands());
        Menu->WithSendTo = true;
        Top = CreatePopupMenu();
        Popups_.push_back(Top);
        Menu->QueryContextMenu(Top, 0, KwShellMenuFirstId, KwShellMenuLastId, CMF_EXPLORE);
        Owner.Menu = Menu.Get();
        const UINT chosen = static_cast<UINT>(
            TrackPopupMenu(Top, TPM_RETURNCMD | TPM_RIGHTBUTTON, 10, 10, 0, Owner.Window, nullptr));
        Owner.Menu = nullptr;
        return chosen;
    }

    // The names of the entries a filled Send To popup shows, by its items'
    // data; "?" for an item that is no entry.
    std::vector<std::string> Shown(HMENU popup) const
    {
        std::vector<std::string> names;
        const std::vector<win32::MenuItemView> items = win32::MenuItems(popup);
        for (size_t i = 0; i < items.size(); ++i) {
            const win32::MenuItemView& item = items[i];
            const bool entry = (item.Type & MFT_OWNERDRAW) && item.Data == i && item.Id == i + 1;
            names.push_back(entry ? List.Name(static_cast<int>(item.Data)) : "?");
        }
        return names;
    }

    kwtest::ScopedHome Home;
    std::string Folder;
    MenuLog Log;
    com::ComPtr<kwtest::TFakeMenu> Menu;
    HMENU Top = nullptr;
    TKwSendToList List;
    kwtest::MenuOwner Owner;

private:
    win32::MenuTracker Before_ = nullptr;
    std::vector<HMENU> Popups_;
};

// The entries in their order: a link to a folder is one; a hidden file and a
// folder are not. Names that differ only in case are both there.
bool InMenuOrder(const std::vector<std::string>& names)
{
    const std::vector<std::string> head = {"Apple.txt", "apricot.sh", "banana.txt", "Cherry.txt"};
    return names.size() == 7 && std::equal(head.begin(), head.end(), names.begin()) &&
           std::set<std::string>{names[4], names[5]} == std::set<std::string>{"notes.txt", "Notes.txt"} &&
           names[6] == "Projects";
}

TEST_F(SendToMenu, ThePlaceholderIsFilledOnceWithTheFoldersEntriesInOrder)
{
    std::vector<std::string> first;
    std::vector<std::string> reopened;
    g_script = [&](win32::MenuTrackSession& s) {
        s.OpenPopup(s.Menu(), 0);
        s.Highlight(s.Menu(), 2);
        s.OpenPopup(Log.SendTo, 2);
        first = Shown(Log.SendTo);
        // Opened again in the same menu, the submenu is not the placeholder
        // any more: what changed in the folder meanwhile waits for the next
        // menu.
        Write("zebra.txt");
        std::filesystem::remove(Folder + "/banana.txt");
        s.ClosePopup(Log.SendTo);
        s.OpenPopup(Log.SendTo, 2);
        reopened = Shown(Log.SendTo);
    };
    EXPECT_EQ(0u, Track());
    EXPECT_TRUE(InMenuOrder(first)) << testing::PrintToString(first);
    EXPECT_EQ(first, reopened);
    EXPECT_EQ(Log.SendTo, List.Popup());

    // The next menu reads the folder anew: the removed file is gone, the new
    // one is there.
    std::vector<std::string> next;
    g_script = [&](win32::MenuTrackSession& s) {
        s.OpenPopup(Log.SendTo, 2);
        next = Shown(Log.SendTo);
    };
    Track();
    ASSERT_EQ(7u, next.size()) << testing::PrintToString(next);
    EXPECT_EQ(std::count(next.begin(), next.end(), "banana.txt"), 0);
    EXPECT_EQ(next.back(), "zebra.txt");
}

TEST_F(SendToMenu, AMenuObjectWithIContextMenu2GetsTheMessagesAndNothingElseHappens)
{
    HMENU placeholder = CreatePopupMenu();
    AppendMenuA(placeholder, MF_STRING | MF_GRAYED, 0, "(empty)");
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, 1, 0, 0, 0};
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    const HDC dc = win32::CreateImageDC(image);
    DRAWITEMSTRUCT draw{ODT_MENU,           0, 1, ODA_DRAWENTIRE, 0, reinterpret_cast<HWND>(placeholder), dc,
                        RECT{0, 0, 40, 20}, 0};
    List.Rescan();
    List.SetPopup(placeholder);
    struct Case {
        const char* name;
        vcl::TMessage message;
        std::function<void(vcl::TMessage&, IContextMenu*)> route;
    };
    const Case cases[] = {
        {"WM_INITMENUPOPUP",
         {WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(placeholder), 1, 0x77},
         [this](vcl::TMessage& m, IContextMenu* menu) { SendToInitMenuPopup(m, menu, List); }},
        {"WM_MEASUREITEM",
         {WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), 0x77},
         [this](vcl::TMessage& m, IContextMenu* menu) { SendToMeasureItem(m, menu, List); }},
        {"WM_DRAWITEM",
         {WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), 0x77},
         [this](vcl::TMessage& m, IContextMenu* menu) { SendToDrawItem(m, menu, Owner.Images, List); }},
        {"WM_MENUCHAR",
         {WM_MENUCHAR, MAKEWPARAM('a', MF_POPUP), reinterpret_cast<LPARAM>(placeholder), 0x77},
         [this](vcl::TMessage& m, IContextMenu* menu) { SendToMenuChar(m, menu, List); }},
    };
    for (const Case& c : cases) {
        MenuLog log;
        com::ComPtr<kwtest::TFakeMenu2> menu =
            com::MakeComObject<kwtest::TFakeMenu2>(log, kwtest::SampleCommands());
        vcl::TMessage message = c.message;
        c.route(message, menu.Get());
        EXPECT_EQ(std::vector<UINT>{c.message.Msg}, log.HandledMessages) << c.name;
        EXPECT_EQ(0x77, message.Result) << c.name;
        EXPECT_EQ(1, GetMenuItemCount(placeholder)) << c.name;
        EXPECT_EQ(0u, measure.itemWidth) << c.name;
        EXPECT_EQ(qRgb(255, 0, 255), image.pixel(20, 10)) << c.name;
        // Without an open menu object nothing is done at all.
        c.route(message, nullptr);
        EXPECT_EQ(0x77, message.Result) << c.name;
        EXPECT_EQ(1, GetMenuItemCount(placeholder)) << c.name;
    }
    DeleteDC(dc);
    DestroyMenu(placeholder);
}

TEST_F(SendToMenu, LettersChooseOrHighlightEntriesOfTheSendToPopupOnly)
{
    struct Typed {
        const char* what;
        bool inSendTo; // else in the main popup
        char16_t letter;
        int position;
        bool execute;
    };
    // Apple.txt 0, apricot.sh 1, banana.txt 2, Cherry.txt 3, notes 4 and 5,
    // Projects 6.
    const std::vector<Typed> typed = {
        {"a letter two entries share: the first, highlighted", true, 'a', 0, false},
        {"again, in the other case: the next one", true, 'A', 1, false},
        {"again: round to the first", true, 'a', 0, false},
        {"names that differ only in case share their letter", true, 'N', 4, false},
        {"and the next", true, 'n', 5, false},
        {"a letter no entry has", true, 'z', -1, false},
        {"an entry's letter in the main popup, where its position is \"copy\"", false, 'c', -1, false},
        {"a letter one entry has, in the other case: chosen", true, 'c', 3, true},
    };
    std::vector<std::string> problems;
    g_script = [&](win32::MenuTrackSession& s) {
        s.OpenPopup(s.Menu(), 0);
        s.Highlight(s.Menu(), 2);
        s.OpenPopup(Log.SendTo, 2);
        for (const Typed& t : typed) {
            const HMENU popup = t.inSendTo ? Log.SendTo : s.Menu();
            const win32::MenuTrackSession::CharResult r = s.TypeChar(popup, t.letter);
            if (r.Position != t.position || (r.Position >= 0 && r.Execute != t.execute) || r.Close)
                problems.push_back(std::string(t.what) + ": position " + std::to_string(r.Position) +
                                   (r.Execute ? " executed" : ""));
            // What a tracker does with the answer.
            if (r.Position >= 0) {
                s.Highlight(popup, static_cast<UINT>(r.Position));
                if (r.Execute)
                    s.Choose(popup, static_cast<UINT>(r.Position));
            }
        }
    };
    EXPECT_EQ(4u, Track()) << "Cherry.txt is entry 3";
    EXPECT_EQ(std::vector<std::string>{}, problems);
}

TEST_F(SendToMenu, ItemsAreMeasuredAndDrawnWithTheirIconsAndNothingElseIs)
{
    g_script = [&](win32::MenuTrackSession& s) { s.OpenPopup(Log.SendTo, 2); };
    Track();
    ASSERT_EQ(7, List.Count());
    // Measured: the name without its extension after the icon column.
    std::vector<MEASUREITEMSTRUCT> sizes;
    int width = 0;
    int height = 0;
    for (int i = 0; i < List.Count(); ++i) {
        MEASUREITEMSTRUCT measure{ODT_MENU, 0, static_cast<UINT>(i + 1), 0, 0, static_cast<ULONG_PTR>(i)};
        vcl::TMessage message{WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), 0};
        SendToMeasureItem(message, Menu.Get(), List);
        EXPECT_EQ(static_cast<UINT>(GetSystemMetrics(SM_CYMENU) + 2), measure.itemHeight) << i;
        EXPECT_GT(measure.itemWidth, 32u + 10u) << i;
        sizes.push_back(measure);
        width = std::max(width, static_cast<int>(measure.itemWidth));
        height += static_cast<int>(measure.itemHeight);
    }
    EXPECT_GT(sizes[1].itemWidth, sizes[0].itemWidth) << "\"apricot\" is wider than \"Apple\"";
    // Items that are no entry keep the size they had.
    const MEASUREITEMSTRUCT strangers[] = {
        {ODT_MENU, 8, 8, 0, 0, 7},          // past the list
        {ODT_MENU, 3, 1005, 0, 0, 4},       // a command's id
        {ODT_MENU + 1, 1, 1, 0, 0, 0},      // no menu item
        {ODT_MENU, 1001, 1001, 0, 0, 1000}, // far past the list
    };
    for (MEASUREITEMSTRUCT stranger : strangers) {
        vcl::TMessage message{WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&stranger), 0};
        SendToMeasureItem(message, Menu.Get(), List);
        EXPECT_EQ(0u, stranger.itemWidth) << stranger.itemData;
        EXPECT_EQ(0, message.Result) << stranger.itemData;
    }

    // Drawn one under the other, entry 1 selected, with two rows below that
    // only strangers are asked to draw.
    const int row = static_cast<int>(sizes[0].itemHeight);
    QImage image(width, height + 2 * row, QImage::Format_RGB32);
    const QRgb untouched = qRgb(255, 0, 255);
    image.fill(untouched);
    const HDC dc = win32::CreateImageDC(image);
    std::vector<RECT> rects;
    int top = 0;
    for (int i = 0; i < List.Count(); ++i) {
        const RECT rect{0, top, width, top + static_cast<int>(sizes[i].itemHeight)};
        rects.push_back(rect);
        DRAWITEMSTRUCT draw{ODT_MENU,
                            0,
                            static_cast<UINT>(i + 1),
                            ODA_DRAWENTIRE,
                            i == 1 ? ODS_SELECTED : 0u,
                            reinterpret_cast<HWND>(Log.SendTo),
                            dc,
                            rect,
                            static_cast<ULONG_PTR>(i)};
        vcl::TMessage message{WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), 0};
        SendToDrawItem(message, Menu.Get(), Owner.Images, List);
        top = rect.bottom;
    }
    const RECT spare{0, top, width, top + 2 * row};
    const DRAWITEMSTRUCT strangerDraws[] = {
        {ODT_MENU, 0, 8, ODA_DRAWENTIRE, 0, reinterpret_cast<HWND>(Log.SendTo), dc, spare, 7},
        {ODT_MENU, 0, 1, ODA_DRAWENTIRE, 0, reinterpret_cast<HWND>(Top), dc, spare,
         0}, // another popup's item
    };
    for (DRAWITEMSTRUCT stranger : strangerDraws) {
        vcl::TMessage message{WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&stranger), 0};
        SendToDrawItem(message, Menu.Get(), Owner.Images, List);
    }
    DeleteDC(dc);
    image.save(QString::fromStdString(kwtest::OutputPath("send-to-items.png")));

    const QRgb menu = vcl::ColorToQColor(vcl::clMenu).rgb();
    const QRgb highlight = vcl::ColorToQColor(vcl::clHighlight).rgb();
    // Whether a part of a row holds anything but its background.
    const auto marked = [&](const RECT& r, int left, int right, QRgb background) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = left; x < right; ++x)
                if (image.pixel(x, y) != background)
                    return true;
        return false;
    };
    for (int i = 0; i < List.Count(); ++i) {
        const RECT& r = rects[i];
        const QRgb background = i == 1 ? highlight : menu;
        EXPECT_EQ(background, image.pixel(width - 1, r.bottom - 1)) << i;
        EXPECT_EQ(background, image.pixel(2, r.top)) << i;
        EXPECT_TRUE(marked(r, 32, width, background)) << i << ": no text";
        EXPECT_EQ(List.IconIndex(i) > 0, marked(r, 8, 24, background)) << i << ": the icon";
        EXPECT_FALSE(marked(r, 0, 8, background)) << i;
    }
    EXPECT_FALSE(marked(spare, 0, width, untouched)) << "a stranger was drawn";
}

// The Send To folder's entries answer recording drop targets.
class SendToTargets : public SendToMenu {
protected:
    void SetUp() override
    {
        SendToMenu::SetUp();
        ASSERT_EQ(S_OK, com::CreatePlainDataObject(Data.ReleaseAndGetAddressOf()));
        shell32::SetUIObjectFactory([this](const shell32::UIObjectRequest& request, REFIID riid, void** out) {
            Asked.push_back(request.context && request.context->ownPath ? *request.context->ownPath : "?");
            for (const shell32::ItemView& item : request.items)
                Asked.back() += "|" + std::string(item.text);
            if (!IsEqualIID(riid, IID_IDropTarget) || !Answer)
                return E_NOINTERFACE;
            com::ComPtr<kwtest::TRecordingDropTarget> target =
                com::MakeComObject<kwtest::TRecordingDropTarget>(Drops);
            target->Accepts = Accepts;
            target->EnterAnswer = EnterAnswer;
            target->OverAnswer = OverAnswer;
            return target->QueryInterface(riid, out);
        });
    }

    com::ComPtr<IDataObject> Data;
    kwtest::DropLog Drops;
    std::vector<std::string> Asked;
    bool Answer = true;
    bool Accepts = true;
    HRESULT EnterAnswer = S_OK;
    HRESULT OverAnswer = S_OK;
};

TEST_F(SendToTargets, OnlyATargetThatAcceptedIsDroppedOn)
{
    struct Case {
        const char* name;
        bool accepts;
        HRESULT enter;
        HRESULT over;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"an accepting target", true, S_OK, S_OK, {"enter", "over", "drop"}},
        {"a refusing target", false, S_OK, S_OK, {"enter", "over", "leave"}},
        {"a target whose DragOver fails", true, S_OK, E_FAIL, {"enter", "over", "leave"}},
        {"a target that cannot be entered", true, E_FAIL, S_OK, {"enter"}},
    };
    for (const Case& c : cases) {
        Drops = {};
        Asked.clear();
        Accepts = c.accepts;
        EnterAnswer = c.enter;
        OverAnswer = c.over;
        SendToTarget("Cherry.txt", Data.Get());
        EXPECT_EQ(c.calls, Drops.Calls) << c.name;
        EXPECT_EQ(std::vector<std::string>{Folder + "|Cherry.txt"}, Asked) << c.name;
        for (size_t i = 0; i < Drops.Calls.size(); ++i) {
            if (Drops.Calls[i] == "leave")
                continue;
            EXPECT_EQ(static_cast<DWORD>(MK_LBUTTON), Drops.KeyStates[i]) << c.name << " " << Drops.Calls[i];
            EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), Drops.Offered[i])
                << c.name << " " << Drops.Calls[i];
            if (Drops.Calls[i] != "over") {
                EXPECT_EQ(Data.Get(), Drops.Data[i]) << c.name << " " << Drops.Calls[i];
            }
        }
        EXPECT_EQ(0, Drops.Live) << c.name << ": the target was kept";
    }
}

TEST_F(SendToTargets, AnEntryWithoutADropTargetRaises)
{
    const long long live = com::testing::LiveTaskAllocations();
    EXPECT_THROW(SendToTarget("no such entry", Data.Get()), vcl::EOleSysError);
    EXPECT_TRUE(Asked.empty());
    Answer = false;
    EXPECT_THROW(SendToTarget("Cherry.txt", Data.Get()), vcl::EOleSysError);
    EXPECT_EQ(1u, Asked.size());
    EXPECT_TRUE(Drops.Calls.empty());
    EXPECT_EQ(live, com::testing::LiveTaskAllocations()) << "a list was kept";
}

// The toolkit's own tracker, driven by keys as a person would.
TEST_F(SendToTargets, AnEntryChosenWithTheKeysInTheToolkitsMenuIsSentTo)
{
    vcl::InstallMenus();
    win32::SetMenuTracker(nullptr);
    vcl::InstallQtMenuTracker();
    QImage shot;
    QTimer::singleShot(0, [&] {
        const auto shown = [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); };
        kwtest::PumpUntil([&] { return shown() != nullptr; });
        QMenu* top = shown();
        if (!top) {
            ADD_FAILURE() << "no menu shown";
            return;
        }
        // Down to "Send To" (past "open" and the separator), into it.
        QTest::keyClick(top, Qt::Key_Down);
        QTest::keyClick(top, Qt::Key_Down);
        QTest::keyClick(top, Qt::Key_Right);
        kwtest::PumpUntil([&] { return shown() != top; }, 3000);
        QMenu* sendTo = shown();
        if (!sendTo || sendTo == top) {
            ADD_FAILURE() << "the Send To submenu did not open";
            return;
        }
        kwtest::Pump();
        shot = kwtest::SavePicture(sendTo, "send-to-menu.png");
        QTest::keyClick(sendTo, Qt::Key_Down);
        QTest::keyClick(sendTo, Qt::Key_Return);
    });
    const UINT chosen = Track();
    ASSERT_EQ(2u, chosen) << "entry 1, apricot.sh";
    EXPECT_FALSE(shot.isNull());
    // What the tree and the list do with the choice.
    SendToTarget(List.Name(static_cast<int>(chosen) - 1), Data.Get());
    EXPECT_EQ(std::vector<std::string>{Folder + "|apricot.sh"}, Asked);
    EXPECT_EQ((std::vector<std::string>{"enter", "over", "drop"}), Drops.Calls);
}

// The shell's own drop targets behind the entries: a program gets the files
// through the open hook, a link to a folder gets copies, the originals stay.
std::vector<shell32::OpenRequest> g_opened;
BOOL RecordOpen(const shell32::OpenRequest& request)
{
    g_opened.push_back(request);
    return TRUE;
}

TEST_F(SendToMenu, EntriesOfTheShellItselfLaunchProgramsAndCopyIntoFolders)
{
    shell32::InstallShellUIObjects();
    const shell32::OpenHook before = shell32::SetOpenHook(RecordOpen);
    g_opened.clear();
    const std::string viewer = Folder + "/viewer.desktop";
    std::ofstream(viewer) << "[Desktop Entry]\nType=Application\nName=Viewer\nExec=/bin/true %F\n";
    std::filesystem::permissions(viewer, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    const std::vector<std::string> files = {Home.Home() + "/a.txt", Home.Home() + "/b c.txt"};
    for (const std::string& file : files)
        std::ofstream(file) << file;
    com::ComPtr<IDataObject> data;
    ASSERT_EQ(S_OK, shell32::MakeFilesDataObject(files, DROPEFFECT_NONE, data.ReleaseAndGetAddressOf()));

    SendToTarget("viewer.desktop", data.Get());
    ASSERT_EQ(1u, g_opened.size()) << "the program was not launched once";
    EXPECT_EQ(viewer, g_opened[0].target);
    EXPECT_EQ(files, g_opened[0].files);

    SendToTarget("Projects", data.Get());
    for (const std::string& file : files) {
        const std::string copy = Home.Home() + "/Projects/" + std::filesystem::path(file).filename().string();
        std::ifstream in(copy);
        EXPECT_EQ(file, std::string(std::istreambuf_iterator<char>(in), {})) << copy;
        EXPECT_TRUE(std::filesystem::exists(file)) << file << " was moved, not copied";
    }
    EXPECT_EQ(1u, g_opened.size()) << "the folder's drop launched something";
    shell32::SetOpenHook(before);
    shell32::UninstallShellUIObjects();
}

} // namespace
