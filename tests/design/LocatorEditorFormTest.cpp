// The shell-location editor's form by clicks and keys: how it shows each
// kind of locator, what OK writes for each radio button, what Cancel,
// Escape and the close box leave, its help, and the special-folder names.

#include "DesignTesting.h"

#include "FKwFolderBrowseDlg.h"
#include "FKwShellLocatorEditor.h"
#include "UKwShellControls.h"
#include "com/TaskAllocator.h"
#include "shell32/ShellApi.h"
#include "vcl/widgets/Application.h"
#include "win32/Help.h"

namespace {

using namespace vcl;
using namespace kw;
using kw::TFrmShellLocatorEditor;
using kw::TKwShellLocator;

struct HelpCall {
    std::string File;
    UINT Command;
    ULONG_PTR Data;
    friend bool operator==(const HelpCall&, const HelpCall&) = default;
};
std::vector<HelpCall> g_help;

BOOL RecordHelp(HWND, const std::string& file, UINT command, ULONG_PTR data)
{
    g_help.push_back({file, command, data});
    return TRUE;
}

void Click(TWinControl* control)
{
    QTest::mouseClick(control->Peer(), Qt::LeftButton, {}, QPoint(5, 8));
}

class LocatorEditorForm : public kwtest::DesignHostTest {
protected:
    void SetUp() override
    {
        DesignHostTest::SetUp();
        Locator = Create<TKwShellLocator>();
    }
    void TearDown() override
    {
        Locator->Free();
        DesignHostTest::TearDown();
    }
    // A form made as the property editor makes it, loaded with the locator.
    TOwnedPtr<TFrmShellLocatorEditor> NewForm()
    {
        TOwnedPtr<TFrmShellLocatorEditor> form(Create<TFrmShellLocatorEditor>(Application()));
        form->SetLocator(Locator);
        return form;
    }
    // The checked radio button's name.
    static std::string Checked(TFrmShellLocatorEditor* form)
    {
        for (TRadioButton* radio :
             {form->DontUseAnythingRdo, form->UseCSIDLRdo, form->UsePathnameRdo, form->UsePidlRdo})
            if (radio->Checked())
                return radio->Name();
        return std::string();
    }
    // Runs the form modally with the steps, returns its modal result.
    static int RunModal(TFrmShellLocatorEditor* form, std::vector<std::function<void()>> steps)
    {
        kwtest::Later(std::move(steps));
        return form->ShowModal();
    }
    TKwShellLocator* Locator = nullptr;
};

TEST_F(LocatorEditorForm, ShowsEachKindOfLocator)
{
    kwtest::TempDir dir;
    LPITEMIDLIST computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    const std::string computerName = kw::ShellGetFriendlyNameFromIdList(nullptr, computer, kw::kwfnNormal);
    struct Case {
        const char* Name;
        std::function<void()> Set;
        const char* Radio;
        int Row;
        std::string Path;
        std::string Item;
    };
    const Case cases[] = {
        {"fonts", [&] { Locator->SetCSIDL(csidlFonts); }, "UseCSIDLRdo", 15, "", ""},
        {"desktop", [&] { Locator->SetCSIDL(csidlDesktop); }, "UseCSIDLRdo", 0, "", ""},
        {"path", [&] { Locator->SetPathName(dir.Path()); }, "UsePathnameRdo", -1, dir.Path(), ""},
        {"virtual", [&] { Locator->SetIdList(computer); }, "UsePidlRdo", -1, "", computerName},
        {"empty", [&] { Locator->Clear(); }, "DontUseAnythingRdo", -1, "", ""},
    };
    for (const Case& c : cases) {
        c.Set();
        TOwnedPtr<TFrmShellLocatorEditor> form = NewForm();
        EXPECT_EQ(form->ComboBox1->Items()->Count(), 23) << c.Name;
        EXPECT_EQ(Checked(form.get()), c.Radio) << c.Name;
        const bool csidl = std::string(c.Radio) == "UseCSIDLRdo";
        const bool path = std::string(c.Radio) == "UsePathnameRdo";
        const bool pidl = std::string(c.Radio) == "UsePidlRdo";
        EXPECT_EQ(form->ComboBox1->Enabled(), csidl) << c.Name;
        EXPECT_EQ(form->ComboBox1->Color(), csidl ? clWhite : clBtnFace) << c.Name;
        EXPECT_EQ(form->ComboBox1->ItemIndex(), c.Row) << c.Name;
        EXPECT_EQ(form->PathNameEdt->Enabled(), path) << c.Name;
        EXPECT_EQ(form->PathNameEdt->Color(), path ? clWhite : clBtnFace) << c.Name;
        // The edit shows the place's path whatever names it.
        EXPECT_EQ(form->PathNameEdt->Text(), c.Path.empty() ? Locator->GetPathName() : c.Path) << c.Name;
        EXPECT_EQ(form->BrowseBtn->Enabled(), pidl) << c.Name;
        EXPECT_EQ(form->ItemTxt->Enabled(), pidl) << c.Name;
        EXPECT_EQ(form->ItemTxt->Caption(), c.Item) << c.Name;
        if (std::string(c.Name) == "fonts") {
            form->Show();
            kwtest::WaitExposed(form->Peer());
            kwtest::SavePicture(form->Peer(), "shell-locator-editor.png");
            form->Hide();
        }
    }
    CoTaskMemFree(computer);
}

TEST_F(LocatorEditorForm, OkWritesTheChoice)
{
    kwtest::TempDir dir;
    struct Case {
        const char* Name;
        std::function<void(TFrmShellLocatorEditor*)> Act;
        Qt::Key Key; // pressed on the focused control at the end
        int Result;
        TCSIDL Csidl;
        std::string Path;
    };
    const Case cases[] = {
        // "Use CSIDL" with no row chosen (the form opened on a path) takes
        // the first.
        {"csidl row 0",
         [&](TFrmShellLocatorEditor* f) {
             EXPECT_EQ(f->ComboBox1->ItemIndex(), -1);
             Click(f->UseCSIDLRdo);
             EXPECT_EQ(f->ComboBox1->ItemIndex(), 0);
         },
         Qt::Key_Return, mrOk, csidlDesktop, ""},
        {"csidl fonts",
         [](TFrmShellLocatorEditor* f) {
             Click(f->UseCSIDLRdo);
             f->ComboBox1->SetItemIndex(15);
         },
         Qt::Key_Return, mrOk, csidlFonts, ""},
        {"path typed",
         [&](TFrmShellLocatorEditor* f) {
             Click(f->UsePathnameRdo);
             f->PathNameEdt->SetFocus();
             f->PathNameEdt->SetText("");
             QTest::keyClicks(f->PathNameEdt->Peer(), QString::fromStdString(dir.Path()));
         },
         Qt::Key_Return, mrOk, csidlNone, dir.Path()},
        // A path that does not parse names the desktop.
        {"bad path",
         [](TFrmShellLocatorEditor* f) {
             Click(f->UsePathnameRdo);
             f->PathNameEdt->SetFocus();
             f->PathNameEdt->SetText("");
             QTest::keyClicks(f->PathNameEdt->Peer(), "/no/such/place");
         },
         Qt::Key_Return, mrOk, csidlNone, ""},
        {"nothing", [](TFrmShellLocatorEditor* f) { Click(f->DontUseAnythingRdo); }, Qt::Key_Return, mrOk,
         csidlNone, ""},
        {"escape", [](TFrmShellLocatorEditor* f) { Click(f->UseCSIDLRdo); }, Qt::Key_Escape, mrCancel,
         csidlPersonal, ""},
        {"cancel button",
         [](TFrmShellLocatorEditor* f) {
             Click(f->DontUseAnythingRdo);
             QTest::mouseClick(f->CancelBtn->Peer(), Qt::LeftButton, {}, QPoint(10, 10));
         },
         Qt::Key_unknown, mrCancel, csidlPersonal, ""},
        {"close box",
         [](TFrmShellLocatorEditor* f) {
             Click(f->DontUseAnythingRdo);
             f->Peer()->close();
         },
         Qt::Key_unknown, mrCancel, csidlPersonal, ""},
    };
    for (const Case& c : cases) {
        if (std::string(c.Name) == "csidl row 0")
            Locator->SetPathName(dir.Path());
        else
            Locator->SetCSIDL(csidlPersonal);
        TOwnedPtr<TFrmShellLocatorEditor> form = NewForm();
        std::vector<std::function<void()>> steps{[&] { c.Act(form.get()); }};
        if (c.Key != Qt::Key_unknown)
            steps.push_back([&] { kwtest::PressKey(form.get(), c.Key); });
        EXPECT_EQ(RunModal(form.get(), steps), c.Result) << c.Name;
        EXPECT_EQ(Locator->GetCSIDL(), c.Csidl) << c.Name;
        if (!c.Path.empty()) {
            EXPECT_EQ(Locator->GetPathName(), c.Path) << c.Name;
        } else if (c.Csidl == csidlNone) {
            EXPECT_EQ(Locator->GetIdList(), nullptr) << c.Name; // the desktop
        }
    }
}

TEST_F(LocatorEditorForm, OkOnTheItemWithoutBrowsingKeepsIt)
{
    LPITEMIDLIST computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    Locator->SetIdList(computer);
    TOwnedPtr<TFrmShellLocatorEditor> form = NewForm();
    EXPECT_EQ(RunModal(form.get(), {[&] { kwtest::PressKey(form.get(), Qt::Key_Return); }}), mrOk);
    TOwnedPtr<TKwShellLocator> expected(Create<TKwShellLocator>());
    expected->SetIdList(computer);
    EXPECT_TRUE(Locator->IsEqual(expected.get()));
    CoTaskMemFree(computer);
}

// Browse runs the form's folder dialog inside the editor's modal loop: OK
// there shows the chosen folder and OK on the editor takes it; Escape there
// keeps the item the editor opened with.
TEST_F(LocatorEditorForm, BrowseThroughTheFolderDialog)
{
    kwtest::TempDir dir;
    LPITEMIDLIST computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    const std::string computerName = kw::ShellGetFriendlyNameFromIdList(nullptr, computer, kw::kwfnNormal);
    TOwnedPtr<TKwShellLocator> chosen(Create<TKwShellLocator>());
    chosen->SetPathName(dir.Path());
    const std::string chosenName =
        kw::ShellGetFriendlyNameFromIdList(nullptr, chosen->GetIdList(), kw::kwfnNormal);
    ASSERT_FALSE(chosenName.empty());

    struct Case {
        const char* Name;
        Qt::Key DialogKey;
        std::string Shown;
        bool TakesChosen;
    };
    const Case cases[] = {{"ok", Qt::Key_Return, chosenName, true},
                          {"escape", Qt::Key_Escape, computerName, false}};
    for (const Case& c : cases) {
        Locator->SetIdList(computer);
        TOwnedPtr<TFrmShellLocatorEditor> form = NewForm();
        TKwFolderBrowseDlg* dialog = form->KwFolderBrowseDlg1;
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->FormHeight(), 600);
        EXPECT_EQ(dialog->Options(), TKwFolderBrowseDlgOptions{kwfbReadOnly});
        dialog->SetSelectedPathName(dir.Path());
        std::string title;
        bool readOnly = false;
        std::string itemAfter;
        const std::vector<std::function<void()>> inDialog{
            [&] { kwtest::PumpUntil([] { return kwtest::ShownForm<TKwFrmFolderBrowseDlg>() != nullptr; }); },
            [&] {
                TKwFrmFolderBrowseDlg* browse = kwtest::ShownForm<TKwFrmFolderBrowseDlg>();
                ASSERT_NE(browse, nullptr);
                title = browse->Caption();
                readOnly = browse->KwShellTree1->ReadOnly();
                if (c.DialogKey == Qt::Key_Return)
                    QTest::mouseClick(browse->OkBtn->Peer(), Qt::LeftButton, {}, QPoint(10, 10));
                else
                    kwtest::PressKey(browse, c.DialogKey);
            }};
        const int result =
            RunModal(form.get(),
                     {[&] {
                          kwtest::Later(inDialog);
                          Click(form->BrowseBtn);
                          itemAfter = form->ItemTxt->Caption();
                      },
                      [&] { QTest::mouseClick(form->OkBtn->Peer(), Qt::LeftButton, {}, QPoint(10, 10)); }});
        EXPECT_EQ(result, mrOk) << c.Name;
        EXPECT_EQ(title, "Select an item") << c.Name;
        EXPECT_TRUE(readOnly) << c.Name;
        EXPECT_EQ(itemAfter, c.Shown) << c.Name;
        TOwnedPtr<TKwShellLocator> expected(Create<TKwShellLocator>());
        if (c.TakesChosen)
            expected->SetPathName(dir.Path());
        else
            expected->SetIdList(computer);
        EXPECT_TRUE(Locator->IsEqual(expected.get())) << c.Name << " " << Locator->GetPathName();
    }
    CoTaskMemFree(computer);
}

TEST_F(LocatorEditorForm, HelpGoesToTheHelpHook)
{
    const win32::HelpHook before = win32::SetHelpHook(RecordHelp);
    g_help.clear();
    for (int round = 0; round < 2; ++round) {
        if (round == 1)
            TFrmShellLocatorEditor::SetHelpInfo("corvane-design.hlp", 4711);
        TOwnedPtr<TFrmShellLocatorEditor> form = NewForm();
        RunModal(form.get(),
                 {[&] { QTest::mouseClick(form->HelpBtn->Peer(), Qt::LeftButton, {}, QPoint(10, 10)); },
                  [&] { kwtest::PressKey(form.get(), Qt::Key_Escape); }});
    }
    TFrmShellLocatorEditor::SetHelpInfo("RaViDira.hlp", 30000);
    EXPECT_EQ(g_help, (std::vector<HelpCall>{{"RaViDira.hlp", HELP_CONTEXT, 30000},
                                             {"corvane-design.hlp", HELP_CONTEXT, 4711}}));
    win32::SetHelpHook(before);
}

TEST(LocatorEditorNames, SpecialFolderNames)
{
    const std::vector<std::pair<TCSIDL, std::string>> table{
        {csidlBitBucket, "csidlBitBucket (Recyle Bin)"},
        {csidlDrives, "csidlDrives (My Computer)"},
        {csidlFonts, "csidlFonts"},
        {csidlDesktop, "csidlDesktop"},
        {csidlNone, ""},
        {csidl_None2, ""},
    };
    for (const auto& [value, name] : table)
        EXPECT_EQ(kw::GetCSIDLStr(value), name) << value;
}

} // namespace
