#include "FKwShellLocatorEditor.h"

#include "FKwShellLocatorEditor_p.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Publish.h"
#include "vcl/core/Resources.h"
#include "win32/Help.h"

#include <array>

namespace kw {

using namespace vcl;

namespace {

struct TCSIDLRow {
    const char* Name;
    TCSIDL Value;
};

// Every special folder but the placeholders and csidlNone, in ordinal order.
constexpr std::array<TCSIDLRow, 23> kCSIDLRows{{
    {"csidlDesktop", csidlDesktop},
    {"csidlPrograms", csidlPrograms},
    {"csidlControls (Control Panel)", csidlControls},
    {"csidlPrinters", csidlPrinters},
    {"csidlPersonal", csidlPersonal},
    {"csidlFavorites", csidlFavorites},
    {"csidlStartup", csidlStartup},
    {"csidlRecent", csidlRecent},
    {"csidlSendTo", csidlSendTo},
    {"csidlBitBucket (Recyle Bin)", csidlBitBucket},
    {"csidlStartMenu", csidlStartMenu},
    {"csidlDesktopDirectory", csidlDesktopDirectory},
    {"csidlDrives (My Computer)", csidlDrives},
    {"csidlNetwork (Net. Neighborhood)", csidlNetwork},
    {"csidlNethood", csidlNethood},
    {"csidlFonts", csidlFonts},
    {"csidlTemplates", csidlTemplates},
    {"csidlCommonStartMenu", csidlCommonStartMenu},
    {"csidlCommonPrograms", csidlCommonPrograms},
    {"csidlCommonStartup", csidlCommonStartup},
    {"csidlCommonDesktopDirectory", csidlCommonDesktopDirectory},
    {"csidlAppData", csidlAppData},
    {"csidlPrintHood", csidlPrintHood},
}};

std::string g_helpFile = "RaViDira.hlp";
int g_helpContext = 30000;

int RowOf(TCSIDL value)
{
    for (std::size_t i = 0; i < kCSIDLRows.size(); ++i)
        if (kCSIDLRows[i].Value == value)
            return static_cast<int>(i);
    return -1;
}

} // namespace

std::string GetCSIDLStr(TCSIDL value)
{
    const int row = RowOf(value);
    return row < 0 ? std::string() : std::string(kCSIDLRows[static_cast<std::size_t>(row)].Name);
}

const TClassRtti& TFrmShellLocatorEditor::PublishedTable()
{
    using F = TFrmShellLocatorEditor;
    static const TClassRtti table = Publish<F>()
                                        .Field<&F::DontUseAnythingRdo>("DontUseAnythingRdo")
                                        .Field<&F::UseCSIDLRdo>("UseCSIDLRdo")
                                        .Field<&F::KwGroup2>("KwGroup2")
                                        .Field<&F::ComboBox1>("ComboBox1")
                                        .Field<&F::UsePathnameRdo>("UsePathnameRdo")
                                        .Field<&F::KwGroup4>("KwGroup4")
                                        .Field<&F::PathNameEdt>("PathNameEdt")
                                        .Field<&F::UsePidlRdo>("UsePidlRdo")
                                        .Field<&F::KwGroup1>("KwGroup1")
                                        .Field<&F::ItemTxt>("ItemTxt")
                                        .Field<&F::BrowseBtn>("BrowseBtn")
                                        .Field<&F::OkBtn>("OkBtn")
                                        .Field<&F::CancelBtn>("CancelBtn")
                                        .Field<&F::HelpBtn>("HelpBtn")
                                        .Field<&F::KwFolderBrowseDlg1>("KwFolderBrowseDlg1")
                                        .Method<&F::FormCreate>("FormCreate")
                                        .Method<&F::FormClose>("FormClose")
                                        .Method<&F::UsePidlRdoClick>("UsePidlRdoClick")
                                        .Method<&F::BrowseBtnClick>("BrowseBtnClick")
                                        .Method<&F::HelpBtnClick>("HelpBtnClick");
    return table;
}

TFrmShellLocatorEditor::TFrmShellLocatorEditor(TComponent* owner) : TForm(owner) {}

void TFrmShellLocatorEditor::SetHelpInfo(const std::string& helpFile, int helpContext)
{
    g_helpFile = helpFile;
    g_helpContext = helpContext;
}

void TFrmShellLocatorEditor::FormCreate(TObject*)
{
    for (const TCSIDLRow& row : kCSIDLRows)
        ComboBox1->Items()->Add(row.Name);
}

void TFrmShellLocatorEditor::SetLocator(TKwShellLocator* locator)
{
    Locator_ = locator;
    PathNameEdt->SetText(locator->GetPathName());
    if (locator->GetCSIDL() != csidlNone) {
        if (const int row = RowOf(locator->GetCSIDL()); row >= 0)
            ComboBox1->SetItemIndex(row);
        UseCSIDLRdo->SetChecked(true);
    } else if (const ITEMIDLIST* list = locator->GetIdList()) {
        if (const std::string path = locator->GetPathName(); !path.empty()) {
            PathNameEdt->SetText(path);
            UsePathnameRdo->SetChecked(true);
        } else {
            ItemTxt->SetCaption(ShellGetFriendlyNameFromIdList(nullptr, list, kwfnNormal));
            UsePidlRdo->SetChecked(true);
        }
    } else {
        DontUseAnythingRdo->SetChecked(true);
    }
}

void TFrmShellLocatorEditor::UsePidlRdoClick(TObject*)
{
    const bool path = UsePathnameRdo->Checked();
    PathNameEdt->SetEnabled(path);
    PathNameEdt->SetColor(path ? clWhite : clBtnFace);
    BrowseBtn->SetEnabled(UsePidlRdo->Checked());
    ItemTxt->SetEnabled(UsePidlRdo->Checked());
    const bool csidl = UseCSIDLRdo->Checked();
    ComboBox1->SetEnabled(csidl);
    ComboBox1->SetColor(csidl ? clWhite : clBtnFace);
    if (csidl && ComboBox1->ItemIndex() < 0)
        ComboBox1->SetItemIndex(0);
}

void TFrmShellLocatorEditor::FormClose(TObject*, TCloseAction&)
{
    if (ModalResult() != mrOk || !Locator_)
        return;
    if (DontUseAnythingRdo->Checked()) {
        Locator_->SetIdList(nullptr);
    } else if (UsePathnameRdo->Checked()) {
        Locator_->SetPathName(PathNameEdt->Text());
    } else if (UsePidlRdo->Checked()) {
        // Nothing browsed: the item shown when the form opened stays.
        if (Browsed_)
            Locator_->SetIdList(KwFolderBrowseDlg1->SelectedFolder()->GetIdList());
    } else if (const int row = ComboBox1->ItemIndex();
               row >= 0 && row < static_cast<int>(kCSIDLRows.size())) {
        Locator_->SetCSIDL(kCSIDLRows[static_cast<std::size_t>(row)].Value);
    }
}

void TFrmShellLocatorEditor::BrowseBtnClick(TObject*)
{
    if (!KwFolderBrowseDlg1->Execute())
        return;
    Browsed_ = true;
    ItemTxt->SetCaption(ShellGetFriendlyNameFromIdList(
        nullptr, KwFolderBrowseDlg1->SelectedFolder()->GetIdList(), kwfnNormal));
}

void TFrmShellLocatorEditor::HelpBtnClick(TObject*)
{
    WinHelpA(Handle(), g_helpFile.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(g_helpContext));
}

void FKwShellLocatorEditorInitialization()
{
    RegisterClasses({TRadioButton::StaticClass(), TKwGroup::StaticClass(), TComboBox::StaticClass(),
                     TEdit::StaticClass(), TLabel::StaticClass(), TButton::StaticClass(),
                     TKwFolderBrowseDlg::StaticClass()});
    RegisterResource(HInstance(), RT_RCDATA, "TFRMSHELLLOCATOREDITOR", kShellLocatorEditorFormText.data(),
                     kShellLocatorEditorFormText.size());
}

void FKwShellLocatorEditorFinalization()
{
    UnregisterResource(HInstance(), RT_RCDATA, "TFRMSHELLLOCATOREDITOR");
}

} // namespace kw
