// The shell's folder browser on the framework's picker form: the callback
// protocol (initialisation, selections, status line, OK, preselection),
// OK by flags, one listing per opened folder, no picker at all, and
// SetActiveWindow, which the browser's callers use to give the activation
// back.

#include "vcl/widgets/FolderPickerForm.h"

#include "PlatformTestSupport.h"
#include "WidgetTesting.h"
#include "com/TaskAllocator.h"
#include "shell32/FolderBrowser.h"
#include "shell32/Folders.h"
#include "shell32/ItemIdList.h"
#include "shell32/ShellApi.h"
#include "shell32/ShellFlags.h"
#include "shell32/ShellTesting.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/Errors.h"

#include <QImage>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace vcl;
using kwtest::Later;

// What one run of the browser told its callback.
struct BrowseRun {
    std::vector<UINT> Messages;
    std::vector<std::string> Selections; // paths; "" for a virtual folder
    std::vector<bool> OkAtSelection;
    HWND Window = nullptr;
    std::function<void(HWND, UINT, LPARAM)> React;
};

TCustomForm* PickerForm(HWND window)
{
    return dynamic_cast<TCustomForm*>(TWinControl::FindControl(window));
}
template <class T>
T* Part(HWND window, const char* name)
{
    TCustomForm* form = PickerForm(window);
    return form ? dynamic_cast<T*>(form->FindComponent(name)) : nullptr;
}

int Record(HWND hwnd, UINT message, LPARAM lParam, LPARAM data)
{
    auto* run = reinterpret_cast<BrowseRun*>(data);
    run->Window = hwnd;
    run->Messages.push_back(message);
    if (message == BFFM_SELCHANGED) {
        run->Selections.push_back(
            shell32::PathFromIdList(reinterpret_cast<LPCITEMIDLIST>(lParam)).value_or(""));
        auto* ok = Part<TButton>(hwnd, "OK");
        run->OkAtSelection.push_back(ok && ok->Enabled());
    }
    if (run->React)
        run->React(hwnd, message, lParam);
    return 0;
}

shell32::OwnedIdList ListOf(const std::string& path)
{
    std::string items;
    EXPECT_EQ(S_OK, shell32::ParseAbsolutePath(path, items)) << path;
    return shell32::OwnedIdList(shell32::AllocIdList(items));
}

shell32::OwnedIdList SpecialList(int csidl)
{
    LPITEMIDLIST pidl = nullptr;
    EXPECT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, csidl, &pidl));
    return shell32::OwnedIdList(pidl);
}

void Press(HWND window, Qt::Key key)
{
    TCustomForm* form = PickerForm(window);
    ASSERT_NE(nullptr, form);
    QTest::keyClick(form->ActiveControl() ? form->ActiveControl()->Peer() : form->Peer(), key);
}

class FolderBrowser : public ::testing::Test {
protected:
    void SetUp() override
    {
        Application();
        std::filesystem::create_directories(Home_ / "home/Desktop");
        std::filesystem::create_directories(Home_ / "home/a/b");
    }
    std::string H(const std::string& name) const { return Home_ / ("home/" + name); }

    // Runs the browser with steps driven from inside its modal loop.
    LPITEMIDLIST Browse(BROWSEINFOA& info, BrowseRun& run, std::vector<std::function<void()>> steps)
    {
        info.lpfn = &Record;
        info.lParam = reinterpret_cast<LPARAM>(&run);
        steps.insert(steps.begin(), [&run] { kwtest::PumpUntil([&run] { return run.Window != nullptr; }); });
        Later(steps);
        return SHBrowseForFolderA(&info);
    }

    kwtest::TempDir Home_;
    kwtest::ScopedEnv HomeEnv_{"HOME", Home_ / "home"};
    kwtest::ScopedEnv DataEnv_{"XDG_DATA_HOME", Home_ / "data"};
    kwtest::ScopedEnv ConfigEnv_{"XDG_CONFIG_HOME", Home_ / "config"};
};

TEST_F(FolderBrowser, TheCallbackSetsStatusAndSelectionAndEnterReturnsTheFolderWithItsName)
{
    BrowseRun run;
    const std::string target = H("a/b");
    run.React = [&](HWND hwnd, UINT message, LPARAM) {
        if (message == BFFM_INITIALIZED) {
            SendMessageA(hwnd, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>("Choose a folder"));
            EXPECT_EQ(TRUE,
                      SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(target.c_str())));
            EXPECT_EQ(FALSE, SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE,
                                          reinterpret_cast<LPARAM>("/nowhere/at/all")));
        }
    };
    const shell32::OwnedIdList root = ListOf(H(""));
    // A folder above the root changes after the root's list was made (as
    // /tmp does all the time): the path still lies below the root.
    const auto above = std::filesystem::last_write_time(Home_.Path());
    std::filesystem::last_write_time(Home_.Path(), above - std::chrono::hours(1));
    char name[260] = "untouched";
    BROWSEINFOA info{};
    info.pidlRoot = root.get();
    info.pszDisplayName = name;
    info.lpszTitle = "Where shall it go?";
    info.ulFlags = BIF_STATUSTEXT | BIF_RETURNONLYFSDIRS;
    std::string status, title, selected;
    int statusInk = 0;
    const shell32::OwnedIdList chosen(
        Browse(info, run,
               {[&] {
                    status = Part<TLabel>(run.Window, "Status")->Caption();
                    title = Part<TLabel>(run.Window, "Title")->Caption();
                    auto* tree = Part<TCustomTreeView>(run.Window, "Folders");
                    selected = tree->Selected()->Text();
                    const QImage picture =
                        kwtest::SavePicture(PickerForm(run.Window)->Peer(), "folder-browser-status.png");
                    statusInk = kwtest::DarkPixelsIn(picture, Part<TLabel>(run.Window, "Status"));
                },
                [&] { Press(run.Window, Qt::Key_Return); }}));
    ASSERT_NE(nullptr, chosen);
    EXPECT_EQ(target, shell32::PathFromIdList(chosen.get()).value_or(""));
    EXPECT_EQ("Choose a folder", status);
    EXPECT_GT(statusInk, 20) << "the status line is not seen";
    EXPECT_EQ("Where shall it go?", title);
    EXPECT_EQ("b", selected);
    EXPECT_STREQ("b", name);
    EXPECT_GT(info.iImage, 0);
    // Initialised once; the preselection is the first selection.
    ASSERT_EQ((std::vector<UINT>{BFFM_INITIALIZED, BFFM_SELCHANGED}), run.Messages);
    EXPECT_EQ(std::vector<std::string>{target}, run.Selections);
}

TEST_F(FolderBrowser, WithoutTheStatusFlagThereIsNoStatusLineAndEscapeAnswersNull)
{
    BrowseRun run;
    run.React = [&](HWND hwnd, UINT message, LPARAM) {
        if (message == BFFM_INITIALIZED)
            SendMessageA(hwnd, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>("unseen"));
    };
    const shell32::OwnedIdList root = ListOf(H("a"));
    BROWSEINFOA info{};
    info.pidlRoot = root.get();
    bool hasStatus = true;
    EXPECT_EQ(nullptr, Browse(info, run, {[&] {
                                  hasStatus = Part<TLabel>(run.Window, "Status") != nullptr;
                                  Press(run.Window, Qt::Key_Escape);
                              }}));
    EXPECT_FALSE(hasStatus);
    // Nothing preselected: the root is the first selection.
    EXPECT_EQ(std::vector<std::string>{H("a")}, run.Selections);
}

TEST_F(FolderBrowser, OkFollowsTheFlagsAtEachSelectionBeforeTheCallbackHearsOfIt)
{
    struct Case {
        UINT Flags;
        std::function<shell32::OwnedIdList()> Target;
        bool Ok;
    };
    const auto trash = [] { return SpecialList(CSIDL_BITBUCKET); };
    const auto computer = [] { return SpecialList(CSIDL_DRIVES); };
    const auto folder = [this] { return ListOf(H("a")); };
    const std::vector<Case> cases{
        {0, trash, true},
        {BIF_RETURNONLYFSDIRS, trash, false},
        {BIF_RETURNONLYFSDIRS, folder, true},
        {BIF_RETURNONLYFSDIRS, computer, false},
        {BIF_RETURNFSANCESTORS, computer, true},
        {BIF_RETURNFSANCESTORS, folder, true},
        {BIF_BROWSEFORCOMPUTER, computer, false},
        {BIF_BROWSEFORPRINTER, folder, false},
        {BIF_DONTGOBELOWDOMAIN, trash, true},
    };
    for (const Case& c : cases) {
        BrowseRun run;
        const shell32::OwnedIdList target = c.Target();
        run.React = [&](HWND hwnd, UINT message, LPARAM) {
            if (message == BFFM_INITIALIZED) {
                EXPECT_EQ(TRUE, SendMessageA(hwnd, BFFM_SETSELECTIONA, FALSE,
                                             reinterpret_cast<LPARAM>(target.get())));
            }
        };
        BROWSEINFOA info{};
        info.ulFlags = c.Flags;
        bool okAfterEnable = false;
        EXPECT_EQ(nullptr, Browse(info, run, {[&] {
                                      SendMessageA(run.Window, BFFM_ENABLEOK, 0, 1);
                                      okAfterEnable = Part<TButton>(run.Window, "OK")->Enabled();
                                      Press(run.Window, Qt::Key_Escape);
                                  }}));
        ASSERT_EQ(1u, run.OkAtSelection.size()) << c.Flags;
        EXPECT_EQ(c.Ok, run.OkAtSelection[0]) << "flags " << c.Flags;
        EXPECT_TRUE(okAfterEnable) << c.Flags;
    }
}

TEST_F(FolderBrowser, AFolderOfTenThousandSubfoldersIsListedOnceAndItsChildrenNotAtAll)
{
    const std::string big = H("big");
    std::filesystem::create_directories(big);
    for (int i = 0; i < 10000; ++i)
        std::filesystem::create_directory(big + "/folder" + std::to_string(i));
    std::filesystem::create_directory(big + "/folder7/inner");
    const shell32::OwnedIdList root = ListOf(big);
    shell32::testing::ForgetFolderBrowserListings();
    BrowseRun run;
    BROWSEINFOA info{};
    info.pidlRoot = root.get();
    int shown = 0;
    std::vector<std::string> listedWhileOpen;
    EXPECT_EQ(nullptr, Browse(info, run, {[&] {
                                  auto* tree = Part<TCustomTreeView>(run.Window, "Folders");
                                  shown = tree->Items()->GetFirstNode()->Count();
                                  tree->Peer()->repaint();
                                  listedWhileOpen = shell32::testing::FolderBrowserListings();
                                  Press(run.Window, Qt::Key_Escape);
                              }}));
    EXPECT_EQ(10000, shown);
    const std::string rootItems(reinterpret_cast<const char*>(root.get()),
                                shell32::IdListSize(root.get()) - 2);
    EXPECT_EQ(std::vector<std::string>{rootItems}, listedWhileOpen);
    EXPECT_EQ(std::vector<std::string>{rootItems}, shell32::testing::FolderBrowserListings());
}

TEST_F(FolderBrowser, WithNoPickerInstalledNobodyChoosesAndTheAnswerIsNull)
{
    const win32::FolderPickerFactory before = win32::SetDefaultFolderPicker(nullptr);
    BrowseRun run;
    BROWSEINFOA info{};
    info.lpfn = &Record;
    info.lParam = reinterpret_cast<LPARAM>(&run);
    SetLastError(0);
    EXPECT_EQ(nullptr, SHBrowseForFolderA(&info));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), GetLastError());
    EXPECT_TRUE(run.Messages.empty());
    win32::SetDefaultFolderPicker(before);
    EXPECT_EQ(nullptr, SHBrowseForFolderA(nullptr));
}

TEST(SetActiveWindow, ActivatesTheFormThatHoldsAWindowAndAnswersTheOneBefore)
{
    kwtest::TestForm first;
    kwtest::TestForm second;
    auto* button = Create<TButton>(first.Get());
    button->SetParent(first.Get());
    SetActiveWindow(second->Handle());
    ASSERT_EQ(second->Handle(), GetActiveWindow());
    EXPECT_EQ(second->Handle(), SetActiveWindow(button->Handle()));
    EXPECT_EQ(first->Handle(), GetActiveWindow());
    kwtest::Pump();
    EXPECT_EQ(first->Handle(), GetActiveWindow()) << "the toolkit's echo undid it";
    const HWND stale = second->Handle();
    SetLastError(0);
    EXPECT_EQ(nullptr,
              SetActiveWindow(reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(stale) ^ 0x5a5a0000)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
}

} // namespace
