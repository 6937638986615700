#pragma once
// The modal form the shell-location property editor opens: the place is
// named by nothing, a special folder, a path, or an item id list.

#include "FKwFolderBrowseDlg.h"
#include "KwCorvaneExport.h"
#include "UKwFrame.h"
#include "UKwShellControls.h"
#include "UKwShellUtils.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/RadioButton.h"
#include "vcl/widgets/StdCtrls.h"

#include <string>

namespace kw {

class KWCORVANE_EXPORT TFrmShellLocatorEditor : public vcl::TForm {
    VCL_DECLARE_PUBLISHED_CLASS(TFrmShellLocatorEditor, vcl::TForm)
public:
    explicit TFrmShellLocatorEditor(vcl::TComponent* owner);

    // Loads locator (not null; kept, not owned) into the form before it is
    // shown; an OK close writes the choice back into it.
    void SetLocator(TKwShellLocator* locator);
    // The help file and context of every form made later.
    static void SetHelpInfo(const std::string& helpFile, int helpContext);

    vcl::TRadioButton* DontUseAnythingRdo = nullptr;
    vcl::TRadioButton* UseCSIDLRdo = nullptr;
    TKwGroup* KwGroup2 = nullptr;
    vcl::TComboBox* ComboBox1 = nullptr;
    vcl::TRadioButton* UsePathnameRdo = nullptr;
    TKwGroup* KwGroup4 = nullptr;
    vcl::TEdit* PathNameEdt = nullptr;
    vcl::TRadioButton* UsePidlRdo = nullptr;
    TKwGroup* KwGroup1 = nullptr;
    vcl::TLabel* ItemTxt = nullptr;
    vcl::TButton* BrowseBtn = nullptr;
    vcl::TButton* OkBtn = nullptr;
    vcl::TButton* CancelBtn = nullptr;
    vcl::TButton* HelpBtn = nullptr;
    TKwFolderBrowseDlg* KwFolderBrowseDlg1 = nullptr;

    void FormCreate(vcl::TObject* sender);
    void FormClose(vcl::TObject* sender, vcl::TCloseAction& action);
    void UsePidlRdoClick(vcl::TObject* sender);
    void BrowseBtnClick(vcl::TObject* sender);
    void HelpBtnClick(vcl::TObject* sender);

protected:
    ~TFrmShellLocatorEditor() override = default;

private:
    TKwShellLocator* Locator_ = nullptr;
    // A null list names the desktop here, so a browse is remembered apart
    // from the list it chose.
    bool Browsed_ = false;
};

// The display name of the first special-folder row with that value; empty
// when no row has it.
KWCORVANE_EXPORT std::string GetCSIDLStr(TCSIDL value);

KWCORVANE_EXPORT void FKwShellLocatorEditorInitialization();
KWCORVANE_EXPORT void FKwShellLocatorEditorFinalization();

} // namespace kw
