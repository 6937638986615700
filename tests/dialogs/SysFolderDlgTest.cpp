// The platform's folder browser as a component: the flags it asks for, the
// preselection, the status line and OK from its events, what a run leaves
// in FolderIdList, the owner's windows, the guards and FolderPath; runs go
// through the real picker's modal loop.

#include "UKwSysFolderDlg.h"

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "ShellControlsTestSupport.h"
#include "shell32/FolderBrowser.h"
#include "shell32/ItemIdList.h"
#include "shell32/ShellApi.h"
#include "shell32/ShellFlags.h"
#include "shell32/ShellTesting.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Filer.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/FolderPicker.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace kw;
using kwtest::Later;
using kwtest::OwnedList;

template <class T>
T* Part(HWND window, const char* name)
{
    auto* form = dynamic_cast<vcl::TCustomForm*>(vcl::TWinControl::FindControl(window));
    return form ? dynamic_cast<T*>(form->FindComponent(name)) : nullptr;
}

void Press(HWND window, Qt::Key key)
{
    auto* form = dynamic_cast<vcl::TCustomForm*>(vcl::TWinControl::FindControl(window));
    ASSERT_NE(nullptr, form);
    QTest::keyClick(form->ActiveControl() ? form->ActiveControl()->Peer() : form->Peer(), key);
}

std::string Bytes(const ITEMIDLIST* pidl)
{
    return pidl ? std::string(reinterpret_cast<const char*>(pidl), shell32::IdListSize(pidl)) : std::string();
}

// Handlers of the component's events, which act on what a test sets.
struct Handlers {
    std::function<void(TKwSysFolderDlg*, HWND)> Initialized;
    std::function<void(TKwSysFolderDlg*, HWND, PItemIDList)> SelChanged;
    HWND Window = nullptr;
    void OnInitialized(TKwSysFolderDlg* sender, HWND hwnd)
    {
        Window = hwnd;
        if (Initialized)
            Initialized(sender, hwnd);
    }
    void OnSelChanged(TKwSysFolderDlg* sender, HWND hwnd, PItemIDList pidl)
    {
        if (SelChanged)
            SelChanged(sender, hwnd, pidl);
    }
};

class SysFolderDlg : public ::testing::Test {
protected:
    void SetUp() override
    {
        vcl::Application();
        std::filesystem::create_directories(Home.Home() + "/a/b");
        Dlg = vcl::Create<TKwSysFolderDlg>(nullptr);
        Dlg->SetName("Picker");
        Dlg->OnInitialized = TFDOnInitializedEvent(&Events, &Handlers::OnInitialized);
        Dlg->OnSelChanged = TFDOnSelChangedEvent(&Events, &Handlers::OnSelChanged);
    }
    void TearDown() override
    {
        if (Dlg)
            Dlg->Free();
    }
    // Execute with steps run from inside the browser's modal loop once its
    // window exists.
    bool Execute(std::vector<std::function<void()>> steps)
    {
        steps.insert(steps.begin(), [this] {
            QElapsedTimer clock;
            clock.start();
            while (!Events.Window && clock.elapsed() < 10000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        });
        Later(steps);
        return Dlg->Execute();
    }

    kwtest::ScopedHome Home;
    Handlers Events;
    TKwSysFolderDlg* Dlg = nullptr;
};

TEST_F(SysFolderDlg, TheBrowserGetsTheFlagsOfTheOptionsAndTheTitle)
{
    struct Case {
        TKwSysFolderDlgOptions Options;
        UINT Flags;
    };
    const std::vector<Case> cases{
        {{}, 0x0000},
        {{fdoReturnOnlyFSDirs, fdoStatusText}, 0x0005},
        {{fdoComputers, fdoPrinters, fdoDontGoBelowDomain, fdoReturnFSAncestors, fdoReturnOnlyFSDirs,
          fdoStatusText},
         0x300F},
        {{fdoPrinters}, 0x2000},
        {{fdoReturnFSAncestors}, 0x0008},
    };
    Dlg->SetTitle("Pick");
    for (const Case& c : cases) {
        Dlg->SetOptions(c.Options);
        Events.Window = nullptr;
        EXPECT_FALSE(Execute({[this] { Press(Events.Window, Qt::Key_Escape); }}));
        std::string title;
        const BROWSEINFOA seen = shell32::testing::LastBrowseInfo(&title);
        EXPECT_EQ(c.Flags, seen.ulFlags);
        EXPECT_EQ("Pick", title);
        EXPECT_EQ(reinterpret_cast<LPARAM>(Dlg), seen.lParam);
        EXPECT_EQ(&BrowseCallback, seen.lpfn);
        EXPECT_NE(nullptr, seen.pszDisplayName);
    }
}

TEST_F(SysFolderDlg, APresetFolderIsShownSelectedAndEscapeLeavesNoFolder)
{
    const OwnedList preset = kwtest::ListOfPath(Home.Home() + "/a/b");
    Dlg->SetFolderIdList(preset.Get());
    std::string selected;
    EXPECT_FALSE(Execute({[&] {
        selected = Part<vcl::TCustomTreeView>(Events.Window, "Folders")->Selected()->Text();
        Press(Events.Window, Qt::Key_Escape);
    }}));
    EXPECT_EQ("b", selected);
    EXPECT_EQ(nullptr, Dlg->GetFolderIdList());
}

TEST_F(SysFolderDlg, StatusTextFromOnInitializedShowsOnlyWithTheStatusOption)
{
    Dlg->SetTitle("Where shall it go?");
    for (const bool withStatus : {true, false}) {
        Dlg->SetOptions(withStatus ? TKwSysFolderDlgOptions{fdoStatusText} : TKwSysFolderDlgOptions{});
        Events.Window = nullptr;
        Events.Initialized = [](TKwSysFolderDlg* dlg, HWND) { dlg->SetStatusText("Pick a folder"); };
        std::string shown = "(no status line)";
        int titleInk = 0;
        int statusInk = 0;
        EXPECT_FALSE(Execute({[&] {
            auto* status = Part<vcl::TLabel>(Events.Window, "Status");
            if (status)
                shown = status->Caption();
            if (withStatus) {
                const QImage picture = kwtest::SavePicture(
                    vcl::TWinControl::FindControl(Events.Window)->Peer(), "sys-folder-dlg-status.png");
                titleInk = kwtest::DarkPixelsIn(picture, Part<vcl::TLabel>(Events.Window, "Title"));
                statusInk = kwtest::DarkPixelsIn(picture, status);
            }
            Press(Events.Window, Qt::Key_Escape);
        }}));
        EXPECT_EQ(withStatus ? "Pick a folder" : "(no status line)", shown);
        if (withStatus) {
            // Both lines are seen, the title above the status line.
            EXPECT_GT(titleInk, 20);
            EXPECT_GT(statusInk, 20);
        }
    }
}

TEST_F(SysFolderDlg, OkIsOffOnTrashForFileSystemFoldersUntilOkEnabledAndTheSelectionIsReturned)
{
    Dlg->SetOptions({fdoReturnOnlyFSDirs});
    OwnedList trash;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, trash.Out()));
    Dlg->SetFolderIdList(trash.Get());
    std::vector<bool> okBefore, okAfter;
    std::vector<std::string> lists;
    Events.SelChanged = [&](TKwSysFolderDlg* dlg, HWND hwnd, PItemIDList pidl) {
        EXPECT_EQ(dlg->GetFolderIdList(), pidl) << "the component's own copy";
        lists.push_back(Bytes(pidl));
        okBefore.push_back(Part<vcl::TButton>(hwnd, "OK")->Enabled());
        dlg->SetOkEnabled(true);
        okAfter.push_back(Part<vcl::TButton>(hwnd, "OK")->Enabled());
    };
    EXPECT_TRUE(Execute({[&] { Press(Events.Window, Qt::Key_Return); }}));
    ASSERT_EQ(1u, lists.size());
    EXPECT_EQ(Bytes(trash.Get()), lists[0]);
    EXPECT_FALSE(okBefore[0]);
    EXPECT_TRUE(okAfter[0]);
    EXPECT_EQ(Bytes(trash.Get()), Bytes(Dlg->GetFolderIdList()));
    EXPECT_EQ(Dlg->BrowseWindow(), Events.Window);
}

TEST_F(SysFolderDlg, TheOwnerIsDisabledDuringTheRunAndActiveAfterIt)
{
    auto* owner = vcl::Create<vcl::TForm>(nullptr);
    owner->SetBounds(10, 10, 300, 200);
    owner->Show();
    kwtest::Pump();
    TKwSysFolderDlg* owned = vcl::Create<TKwSysFolderDlg>(owner);
    owned->OnInitialized = TFDOnInitializedEvent(&Events, &Handlers::OnInitialized);
    bool enabledDuring = true;
    vcl::TModalResult afterEscape = vcl::mrNone;
    Later({[&] {
               QElapsedTimer clock;
               clock.start();
               while (!Events.Window && clock.elapsed() < 10000)
                   QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
           },
           [&] {
               enabledDuring = IsWindowEnabled(owner->Handle());
               EXPECT_EQ(owner->Handle(), shell32::testing::LastBrowseInfo().hwndOwner);
               // A window manager may give the focus to the disabled owner
               // (its own late activation, or a click on it) while the
               // browser is up; the browser keeps the keyboard all the same.
               owner->Peer()->activateWindow();
               kwtest::PumpUntil([&] { return QApplication::activeWindow() == owner->Peer(); }, 3000);
               kwtest::Pump();
               Press(Events.Window, Qt::Key_Escape);
               auto* picker = dynamic_cast<vcl::TCustomForm*>(vcl::TWinControl::FindControl(Events.Window));
               ASSERT_NE(nullptr, picker);
               afterEscape = picker->ModalResult();
               // Closed here when Escape did not reach it, so that the run ends.
               if (afterEscape == vcl::mrNone)
                   picker->SetModalResult(vcl::mrCancel);
           }});
    EXPECT_FALSE(owned->Execute());
    EXPECT_EQ(vcl::mrCancel, afterEscape) << "Escape did not reach the browser";
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
    // Under a window manager the activation arrives with its focus event.
    QElapsedTimer clock;
    clock.start();
    while (GetActiveWindow() != owner->Handle() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(owner->Handle(), GetActiveWindow());
    owner->Free();
    kwtest::Pump();
}

TEST_F(SysFolderDlg, ADomainWithoutALocationReturnsFalseWithoutAWindow)
{
    const OwnedList preset = kwtest::ListOfPath(Home.Home() + "/a");
    Dlg->SetFolderIdList(preset.Get());
    Dlg->SetDomain(csidlNone);
    const std::vector<vcl::TCustomForm*> forms = vcl::AllForms();
    bool anyDisabled = false;
    Events.Initialized = [&](TKwSysFolderDlg*, HWND) { anyDisabled = true; };
    EXPECT_FALSE(Dlg->Execute());
    EXPECT_EQ(nullptr, Events.Window);
    for (vcl::TCustomForm* form : forms)
        anyDisabled |= !form->Enabled();
    EXPECT_FALSE(anyDisabled);
    EXPECT_EQ(Bytes(preset.Get()), Bytes(Dlg->GetFolderIdList()));
}

TEST_F(SysFolderDlg, GuardsRaiseWithTheComponentsName)
{
    struct Case {
        std::function<void(TKwSysFolderDlg*)> Call;
        const char* Message;
    };
    const std::vector<Case> idle{
        {[](TKwSysFolderDlg* d) { d->SetOkEnabled(true); },
         "Picker: SetOkEnabled assignment only valid during Execute"},
        {[](TKwSysFolderDlg* d) { d->SetStatusText("x"); },
         "Picker: Status text assignment only valid during Execute"},
    };
    for (const Case& c : idle) {
        try {
            c.Call(Dlg);
            ADD_FAILURE() << c.Message;
        } catch (const vcl::Exception& e) {
            EXPECT_EQ(c.Message, e.Message());
        }
    }
    std::string reentry;
    Events.Initialized = [&](TKwSysFolderDlg* dlg, HWND) {
        try {
            dlg->Execute();
        } catch (const vcl::Exception& e) {
            reentry = e.Message();
        }
    };
    EXPECT_FALSE(Execute({[this] { Press(Events.Window, Qt::Key_Escape); }}));
    EXPECT_EQ("Picker: Execute already called.", reentry);
}

TEST_F(SysFolderDlg, FolderPathEndsInASlashAndAVirtualFolderHasNone)
{
    OwnedList computer;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.Out()));
    struct Case {
        std::function<void()> Set;
        std::string Path;
    };
    const std::string a = Home.Home() + "/a";
    const std::vector<Case> cases{
        {[&] { Dlg->SetFolderPath("/"); }, "/"},
        {[&] { Dlg->SetFolderPath(a); }, a + "/"},
        {[&] { Dlg->SetFolderPath(a + "/"); }, a + "/"},
        {[&] { Dlg->SetFolderIdList(computer.Get()); }, ""},
        // A path that does not parse changes nothing.
        {[&] { Dlg->SetFolderPath("relative/name"); }, ""},
    };
    for (const Case& c : cases) {
        c.Set();
        EXPECT_EQ(c.Path, Dlg->GetFolderPath());
    }
    EXPECT_EQ(Bytes(computer.Get()), Bytes(Dlg->GetFolderIdList()));
}

TEST_F(SysFolderDlg, ANewComponentStoresItsDesktopDomainAndNoneLoadsAsDesktop)
{
    vcl::RegisterClasses({TKwSysFolderDlg::StaticClass()});
    const std::string text = vcl::WriteComponentToText(Dlg);
    EXPECT_NE(std::string::npos, text.find("Domain = csidlDesktop")) << text;
    Dlg->SetDomain(csidlNone);
    const std::string none = vcl::WriteComponentToText(Dlg);
    EXPECT_EQ(std::string::npos, none.find("Domain")) << none;
    vcl::TComponent* read = vcl::ReadComponentFromText(none, nullptr);
    ASSERT_NE(nullptr, dynamic_cast<TKwSysFolderDlg*>(read));
    EXPECT_EQ(csidlDesktop, static_cast<TKwSysFolderDlg*>(read)->Domain());
    read->Free();
    vcl::UnRegisterClass(TKwSysFolderDlg::StaticClass());
}

TEST_F(SysFolderDlg, WithNoPickerNobodyChoosesAndExecuteIsFalse)
{
    const win32::FolderPickerFactory before = win32::SetDefaultFolderPicker(nullptr);
    EXPECT_FALSE(Dlg->Execute());
    win32::SetDefaultFolderPicker(before);
    EXPECT_EQ(nullptr, Events.Window);
}

} // namespace
