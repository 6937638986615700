// Shell context menus as the tree and the list use them: built into a popup
// through the folder's UI-object factory, commands run by verb or by number,
// and the help text of the highlighted command.

#include "ContextMenuFakes.h"
#include "ShellControlsTestSupport.h"

#include "shell32/Folders.h"
#include "vcl/core/Exceptions.h"
#include "win32/Icons.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

using namespace kw;
using kwtest::FakeCommand;
using kwtest::MenuLog;
using kwtest::TFakeMenu;

namespace {

HWND SomeWindow()
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x4560));
}

// The command number an invocation record carries (its verb's low word),
// or nothing when it carries a text.
std::optional<UINT> InvokedNumber(const CMINVOKECOMMANDINFO& info)
{
    if (!IS_INTRESOURCE(info.lpVerb))
        return std::nullopt;
    return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(info.lpVerb));
}

TEST(ContextMenuCommands, VerbsAndNumbersRunTheirCommandAndNothingElse)
{
    struct Case {
        const char* name;
        std::function<HRESULT(IContextMenu*)> run;
        HRESULT invokeAnswer;
        HRESULT expected;
        std::optional<UINT> ran; // nothing: no command ran
        bool lookedUp;
    };
    const Case cases[] = {
        {"a verb at offset 0", [](IContextMenu* m) { return InvokeContextCommand(SomeWindow(), m, "open"); },
         S_OK, S_OK, 0u, true},
        {"a verb at offset 5, any case",
         [](IContextMenu* m) { return InvokeContextCommand(SomeWindow(), m, "COPY"); }, S_OK, S_OK, 5u, true},
        {"a verb the menu does not carry",
         [](IContextMenu* m) { return InvokeContextCommand(SomeWindow(), m, "paste"); }, S_OK, E_INVALIDARG,
         std::nullopt, true},
        {"the empty verb", [](IContextMenu* m) { return InvokeContextCommand(SomeWindow(), m, ""); }, S_OK,
         E_INVALIDARG, std::nullopt, true},
        {"number 18, without a look-up",
         [](IContextMenu* m) { return InvokeContextCommand(SomeWindow(), m, 18u); }, S_OK, S_OK, 18u, false},
        {"a person's refusal passes through",
         [](IContextMenu* m) { return InvokeContextCommand(SomeWindow(), m, "delete"); }, S_FALSE, S_FALSE,
         7u, true},
        {"a number a verb text could be",
         [](IContextMenu* m) { return InvokeContextCommand(nullptr, m, 0x10000u); }, S_OK, E_INVALIDARG,
         std::nullopt, false},
    };
    for (const Case& c : cases) {
        MenuLog log;
        {
            com::ComPtr<TFakeMenu> menu = com::MakeComObject<TFakeMenu>(log, kwtest::SampleCommands());
            menu->InvokeAnswer = c.invokeAnswer;
            EXPECT_EQ(c.expected, c.run(menu.Get())) << c.name;
        }
        EXPECT_EQ(0, log.Live) << c.name;
        EXPECT_EQ(c.lookedUp ? 1 : 0, log.Queries) << c.name;
        if (c.lookedUp) {
            EXPECT_EQ(KwShellMenuFirstId, log.QueriedFirst) << c.name;
            EXPECT_EQ(KwShellMenuLastId, log.QueriedLast) << c.name;
            EXPECT_EQ(CMF_EXPLORE, log.QueriedFlags) << c.name;
            EXPECT_FALSE(IsMenu(log.QueriedMenu)) << c.name << ": the look-up's popup was kept";
        }
        if (!c.ran) {
            EXPECT_TRUE(log.Invoked.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(1u, log.Invoked.size()) << c.name;
        const CMINVOKECOMMANDINFO& info = log.Invoked.front();
        EXPECT_EQ(c.ran, InvokedNumber(info)) << c.name;
        EXPECT_EQ(sizeof(CMINVOKECOMMANDINFO), info.cbSize) << c.name;
        EXPECT_EQ(SomeWindow(), info.hwnd) << c.name;
        EXPECT_EQ(SW_SHOWNORMAL, info.nShow) << c.name;
        EXPECT_EQ(nullptr, info.lpParameters) << c.name;
        EXPECT_EQ(nullptr, info.lpDirectory) << c.name;
    }
}

TEST(ContextMenuCommands, FindVerbCommandTellsAMissingVerbFromTheFirstCommand)
{
    struct Case {
        const char* verb;
        HRESULT stringAnswer;
        int expected;
    };
    const Case cases[] = {
        {"open", S_OK, 0},
        {"Rename", S_OK, 18},
        {"paste", S_OK, KwNoVerbCommand},
        // Only an answer of S_OK carries a verb.
        {"open", S_FALSE, KwNoVerbCommand},
    };
    for (const Case& c : cases) {
        MenuLog log;
        com::ComPtr<TFakeMenu> menu = com::MakeComObject<TFakeMenu>(log, kwtest::SampleCommands());
        menu->WithSendTo = true;
        menu->StringAnswer = c.stringAnswer;
        EXPECT_EQ(c.expected, FindVerbCommand(menu.Get(), c.verb)) << c.verb;
        // The separator and the submenu are never asked for a verb.
        for (UINT asked : log.CommandStringsAsked)
            EXPECT_TRUE(asked == 0 || asked == 5 || asked == 7 || asked == 18) << c.verb << ": " << asked;
    }
    EXPECT_EQ(KwNoVerbCommand, FindVerbCommand(nullptr, "open"));
}

TEST(ContextMenuCommands, AMenuThatCannotBeFilledRaisesAndKeepsNoPopup)
{
    MenuLog log;
    com::ComPtr<TFakeMenu> menu = com::MakeComObject<TFakeMenu>(log, kwtest::SampleCommands());
    menu->QueryAnswer = E_OUTOFMEMORY;
    EXPECT_THROW(FindVerbCommand(menu.Get(), "open"), vcl::EOleSysError);
    EXPECT_THROW(InvokeContextCommand(nullptr, menu.Get(), "open"), vcl::EOleSysError);
    EXPECT_TRUE(log.Invoked.empty());
    EXPECT_FALSE(IsMenu(log.QueriedMenu));
}

// A folder whose items answer fake context menus.
class ShellContextMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(Home.Home() + "/docs");
        std::ofstream(Home.Home() + "/docs/a.txt") << "a";
        std::ofstream(Home.Home() + "/docs/b.txt") << "b";
        Folder = kwtest::ListOfPath(Home.Home() + "/docs");
        ASSERT_EQ(S_OK, ShellGetFolderFromIdList(Folder.Get(), ShellFolder.ReleaseAndGetAddressOf()));
        kwtest::FolderListOwner owner(Folder.Get());
        A = owner.ItemNamed("a.txt");
        B = owner.ItemNamed("b.txt");
        shell32::SetUIObjectFactory([this](const shell32::UIObjectRequest& request, REFIID riid, void** out) {
            Owners.push_back(request.owner);
            ItemCounts.push_back(request.items.size());
            if (!IsEqualIID(riid, IID_IContextMenu) || !Answers)
                return E_NOINTERFACE;
            com::ComPtr<TFakeMenu> menu = com::MakeComObject<TFakeMenu>(Log, kwtest::SampleCommands());
            menu->QueryAnswer = QueryAnswer;
            return menu->QueryInterface(riid, out);
        });
    }
    void TearDown() override { shell32::SetUIObjectFactory(nullptr); }

    kwtest::ScopedHome Home;
    kwtest::OwnedList Folder;
    kwtest::OwnedList A;
    kwtest::OwnedList B;
    com::ComPtr<IShellFolder> ShellFolder;
    MenuLog Log;
    bool Answers = true;
    HRESULT QueryAnswer = S_OK;
    std::vector<HWND> Owners;
    std::vector<size_t> ItemCounts;
};

TEST_F(ShellContextMenu, FillsANewPopupWithTheItemsCommands)
{
    LPCITEMIDLIST items[] = {A.Get(), B.Get()};
    HMENU popup = nullptr;
    IContextMenu* menu = nullptr;
    EXPECT_EQ(static_cast<HRESULT>(19),
              GetShellContextMenu(SomeWindow(), ShellFolder.Get(), 2, items, KwShellMenuFirstId,
                                  CMF_EXPLORE | CMF_CANRENAME, &popup, &menu));
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(IsMenu(popup));
    EXPECT_EQ(popup, Log.QueriedMenu);
    EXPECT_EQ(KwShellMenuLastId, Log.QueriedLast);
    EXPECT_EQ(CMF_EXPLORE | CMF_CANRENAME, Log.QueriedFlags);
    EXPECT_EQ(std::vector<HWND>{SomeWindow()}, Owners);
    EXPECT_EQ(std::vector<size_t>{2}, ItemCounts);
    const std::vector<UINT> ids = {1000, 0, 1005, 1007, 1018};
    ASSERT_EQ(static_cast<int>(ids.size()), GetMenuItemCount(popup));
    for (size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(ids[i], GetMenuItemID(popup, static_cast<int>(i))) << i;
    DestroyMenu(popup);
    menu->Release();
    EXPECT_EQ(0, Log.Live);
}

TEST_F(ShellContextMenu, FailuresLeaveBothOutputsNullAndKeepNothing)
{
    struct Case {
        const char* name;
        bool answers;
        HRESULT queryAnswer;
        bool raises;
        HRESULT expected;
    };
    const Case cases[] = {
        {"no menu object for the items", false, S_OK, false, E_NOINTERFACE},
        {"the fill fails", true, E_FAIL, true, S_OK},
    };
    LPCITEMIDLIST items[] = {A.Get()};
    for (const Case& c : cases) {
        Answers = c.answers;
        QueryAnswer = c.queryAnswer;
        Log = {};
        HMENU popup = reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(0x10));
        IContextMenu* menu = reinterpret_cast<IContextMenu*>(static_cast<std::uintptr_t>(0x10));
        if (c.raises) {
            EXPECT_THROW(GetShellContextMenu(nullptr, ShellFolder.Get(), 1, items, KwShellMenuFirstId, 0,
                                             &popup, &menu),
                         vcl::EOleSysError)
                << c.name;
            EXPECT_FALSE(IsMenu(Log.QueriedMenu)) << c.name << ": the popup was kept";
        } else {
            EXPECT_EQ(c.expected, GetShellContextMenu(nullptr, ShellFolder.Get(), 1, items,
                                                      KwShellMenuFirstId, 0, &popup, &menu))
                << c.name;
        }
        EXPECT_EQ(nullptr, popup) << c.name;
        EXPECT_EQ(nullptr, menu) << c.name;
        EXPECT_EQ(0, Log.Live) << c.name << ": the menu object was kept";
    }
}

TEST(ShellMenuHints, OnlyAHighlightedCommandOfTheMenuObjectHasAHint)
{
    struct Case {
        const char* name;
        WORD id;
        WORD flags;
        std::string hint;
    };
    const Case cases[] = {
        {"a command with help text", 1005, MF_HILITE, "Copies the item."},
        {"the first command", 1000, MF_HILITE, "Opens the item."},
        {"a command without help text", 1007, MF_HILITE, ""},
        {"a Send To entry", 3, MF_HILITE | MF_OWNERDRAW, ""},
        {"a submenu", 1005, MF_HILITE | MF_POPUP, ""},
        {"the system menu", 1005, MF_HILITE | MF_SYSMENU, ""},
        {"the menu closes", 0, 0xFFFF, ""},
    };
    for (const Case& c : cases) {
        MenuLog log;
        com::ComPtr<TFakeMenu> menu = com::MakeComObject<TFakeMenu>(log, kwtest::SampleCommands());
        kwtest::MenuOwner owner;
        const vcl::TMessage message{WM_MENUSELECT, MAKEWPARAM(c.id, c.flags), 0, 0};
        ShellMenuSelectHint(message, menu.Get(), nullptr,
                            TKwShPopupHintEvent(&owner, &kwtest::MenuOwner::Hint));
        EXPECT_EQ(std::vector<std::string>{c.hint}, owner.Hints) << c.name;
        // Nothing is told without an open menu.
        ShellMenuSelectHint(message, nullptr, nullptr, TKwShPopupHintEvent(&owner, &kwtest::MenuOwner::Hint));
        EXPECT_EQ(1u, owner.Hints.size()) << c.name;
    }
}

} // namespace
