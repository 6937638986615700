#pragma once
// FKwFolderBrowseDlg: the library's own folder-browse dialog.
//
// TKwFolderBrowseDlg asks for one folder in a modal form made of a shell
// tree, a status line, OK and Cancel and, on request, buttons that create
// and delete folders. Each Execute builds a fresh TKwFrmFolderBrowseDlg from
// its stored form, hands it the component's settings, runs it and takes the
// chosen folder back on OK.

#include "FKwOpenDlg.h"
#include "KwCorvaneExport.h"
#include "UKwFrame.h"
#include "UKwShellControls.h"
#include "vcl/widgets/Buttons.h"
#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/StdCtrls.h"

#include <string>

namespace kw {

enum TKwFolderBrowseDlgOption {
    kwfbCreateDeleteButtons,
    kwfbContextMenus,
    kwfbReadOnly,
    kwfbIncludeNonFolders,
    kwfbOleDrag,
    kwfbOleDrop,
    kwfbCreateFolderIcon,
    kwfbDeleteFolderIcon,
    kwfbVirtualFolders,
    kwfbShowHidden
};
VCL_ENUM_TYPE(TKwFolderBrowseDlgOption, kwfbCreateDeleteButtons, kwfbContextMenus, kwfbReadOnly,
              kwfbIncludeNonFolders, kwfbOleDrag, kwfbOleDrop, kwfbCreateFolderIcon, kwfbDeleteFolderIcon,
              kwfbVirtualFolders, kwfbShowHidden)
using TKwFolderBrowseDlgOptions = vcl::TSet<TKwFolderBrowseDlgOption>;
// Context menus, both folder icons and hidden items (706).
inline constexpr TKwFolderBrowseDlgOptions KwFolderBrowseDlgDefaultOptions{
    kwfbContextMenus, kwfbCreateFolderIcon, kwfbDeleteFolderIcon, kwfbShowHidden};

// The list stays the tree's.
using TKwFolderBrowseSelChangeEvent = vcl::TEvent<void(vcl::TObject* aSender, PItemIDList aNewSel)>;

class KWCORVANE_EXPORT TKwFrmFolderBrowseDlg : public vcl::TForm {
    VCL_DECLARE_PUBLISHED_CLASS(TKwFrmFolderBrowseDlg, vcl::TForm)
public:
    explicit TKwFrmFolderBrowseDlg(vcl::TComponent* owner);

    TKwShellTree* KwShellTree1 = nullptr;
    vcl::TPanel* ButtonPanel = nullptr;
    vcl::TButton* OkBtn = nullptr;
    vcl::TButton* CancelBtn = nullptr;
    vcl::TButton* CreateBtn = nullptr;
    vcl::TButton* DeleteBtn = nullptr;
    vcl::TSpeedButton* CreateNewFolderBtn = nullptr;
    vcl::TSpeedButton* DeleteFolderBtn = nullptr;
    TKwFrame* StatusTxt = nullptr;

    // The tree's selected path.
    std::string GetSelectedPathname() const;
    void SetSelectedPathname(const std::string& value);
    // StatusTxt's caption.
    std::string GetStatus() const;
    void SetStatus(const std::string& value);
    bool GetOkEnabled() const;
    void SetOkEnabled(bool value);

    virtual void SetOptions(TKwFolderBrowseDlgOptions options);
    TKwFolderBrowseDlgOptions Options() const { return Options_; }

    // The dialog's handlers.
    vcl::TNotifyEvent FormShowHandler;
    vcl::TNotifyEvent FormCloseHandler;
    TKwFolderBrowseSelChangeEvent SelChangeHandler;

    void FormCreate(vcl::TObject* sender);
    void FormResize(vcl::TObject* sender);
    void KwShellTree1Change(vcl::TObject* sender, vcl::TTreeNode* node);
    void CreateBtnClick(vcl::TObject* sender);
    void DeleteBtnClick(vcl::TObject* sender);

protected:
    ~TKwFrmFolderBrowseDlg() override = default;
    void Loaded() override;
    void CreateWnd() override;
    void DoShow() override;
    void DoHide() override;
    void Dispatch(vcl::TMessage& message) override;
    virtual void DoTranslation();

private:
    void WMGetMinMaxInfo(vcl::TMessage& message);
    // Takes auto-fill out of the tree's options, remembering that it was in.
    void HoldBackAutoFill();

    // The tree's auto-fill, held back while the windows are made.
    bool AutoFillHeld_ = false;
    HWND SizeGrip_ = nullptr;
    TKwFolderBrowseDlgOptions Options_;
};

// The unit's form variable; the dialog does not use it.
extern KWCORVANE_EXPORT TKwFrmFolderBrowseDlg* KwFrmFolderBrowseDlg;

class KWCORVANE_EXPORT TKwCustomFolderBrowseDlg : public TKwDialog {
    VCL_DECLARE_CLASS(TKwCustomFolderBrowseDlg, TKwDialog)
public:
    explicit TKwCustomFolderBrowseDlg(vcl::TComponent* owner);

    TKwShellLocator* BaseFolder() const { return BaseFolder_; }
    void SetBaseFolder(TKwShellLocator* value);
    TKwFolderBrowseDlgOptions Options() const { return Options_; }
    void SetOptions(TKwFolderBrowseDlgOptions value) { Options_ = value; }
    TKwShellLocator* SelectedFolder() const { return SelectedFolder_; }
    void SetSelectedFolder(TKwShellLocator* value);
    // SelectedFolder's path; '' for a virtual folder.
    std::string GetSelectedPathName() const;
    void SetSelectedPathName(const std::string& value);
    // Goes to the form's status line at once while the form exists.
    const std::string& Status() const { return Status_; }
    void SetStatus(const std::string& value);
    // The form's OK button: only while the form exists.
    bool GetOkEnabled() const;
    void SetOkEnabled(bool value);

    TKwShAddItemEvent OnAddItem;
    TKwFolderBrowseSelChangeEvent OnSelChange;
    TKwShTvCustomDrawEvent OnTvCustomDrawSh;
    TKwShTvCustomDrawEvent OnTvCustomDrawShEx;

protected:
    ~TKwCustomFolderBrowseDlg() override;
    bool DoExecute() override;
    virtual TKwFrmFolderBrowseDlg* CreateForm();
    virtual void InitForm(TKwFrmFolderBrowseDlg* aForm);
    virtual void SaveFormSettings(TKwFrmFolderBrowseDlg* aForm);
    void AssertFormActive() const;
    void AssertFormNotActive() const;

private:
    TKwFrmFolderBrowseDlg* Form_ = nullptr;
    TKwShellLocator* BaseFolder_ = nullptr;
    TKwFolderBrowseDlgOptions Options_ = KwFolderBrowseDlgDefaultOptions;
    std::string Status_;
    TKwShellLocator* SelectedFolder_ = nullptr;
};

class KWCORVANE_EXPORT TKwFolderBrowseDlg : public TKwCustomFolderBrowseDlg {
    VCL_DECLARE_PUBLISHED_CLASS(TKwFolderBrowseDlg, TKwCustomFolderBrowseDlg)
public:
    using TKwCustomFolderBrowseDlg::TKwCustomFolderBrowseDlg;

protected:
    ~TKwFolderBrowseDlg() override = default;
};

// Registers the stored form and the classes it names.
KWCORVANE_EXPORT void FKwFolderBrowseDlgInitialization();
KWCORVANE_EXPORT void FKwFolderBrowseDlgFinalization();

} // namespace kw
