#pragma once
// FKwOpenDlg: the open and save dialogs.
//
// TKwDialog is the base of the library's form dialogs: one run at a time,
// and the size and window state of the dialog form remembered between runs,
// stored as one small binary value where the application wants it.
//
// What the dialogs do with the text a person types in the file-name edit when
// the form is accepted: wildcard patterns, folders to enter, one name or
// several quoted names, relative and absolute paths, shortcuts, default
// extensions, the display names of list items, and the prompts that the
// options ask for. Paths are POSIX paths and names are raw bytes, passed on
// unchanged.
//
// The accept path runs against TKwTypedNameContext, the little of the form it
// needs, so that it works the same for the form and for a test.

#include "KwCorvaneExport.h"
#include "UKwShellControls.h"
#include "shell32/ShellInterfaces.h"
#include "vcl/core/Component.h"
#include "vcl/core/Events.h"
#include "vcl/core/ModalResults.h"
#include "vcl/core/ResourceStrings.h"
#include "vcl/core/Sets.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/Buttons.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/Dialogs.h"
#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/Menus.h"
#include "vcl/widgets/StdCtrls.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vcl {
class TStream;
class TStrings;
} // namespace vcl

namespace kw {

// The non-visual base of the form dialogs. Execute makes a fresh dialog
// form, runs it and frees it (DoExecute, of the descendant). The state value
// is FormWidth and FormHeight (signed 32-bit little-endian) and
// FormWindowState (one byte, 0 to 2), 9 bytes; descendants append theirs.
class KWCORVANE_EXPORT TKwDialog : public vcl::TComponent {
    VCL_DECLARE_CLASS(TKwDialog, vcl::TComponent)
public:
    explicit TKwDialog(vcl::TComponent* owner);

    // Raises "<class name> already executing" while it runs; otherwise runs
    // DoExecute and returns its result.
    bool Execute();
    bool Executing() const { return Executing_; }

    // The state value as one REG_BINARY value. Reading takes at most 128
    // bytes; what the registry object or the stream raise passes on.
    void WriteStateToRegistry(HKEY rootKey, const std::string& key, const std::string& valueName);
    void ReadStateFromRegistry(HKEY rootKey, const std::string& key, const std::string& valueName);
    // From and at the stream's position. A short value raises the stream
    // read error at the first field that is not whole, and so does a window
    // state above wsMaximized; the fields before it keep their new values.
    virtual void ReadStateFromStream(vcl::TStream& stream);
    virtual void WriteStateToStream(vcl::TStream& stream);

    // The restored size of the form as last closed; -1: the form resource's.
    int FormWidth() const { return FormWidth_; }
    void SetFormWidth(int value) { FormWidth_ = value; }
    int FormHeight() const { return FormHeight_; }
    void SetFormHeight(int value) { FormHeight_ = value; }
    vcl::TWindowState FormWindowState() const { return FormWindowState_; }
    void SetFormWindowState(vcl::TWindowState value) { FormWindowState_ = value; }
    // The form's caption; empty: the descendant's own.
    const std::string& Title() const { return Title_; }
    void SetTitle(const std::string& value) { Title_ = value; }

    // With the dialog as sender, once the form is set up, before it shows.
    vcl::TNotifyEvent OnInitialized;
    // With the form as sender, once it is shown and filled, and when it hides.
    vcl::TNotifyEvent OnFormShow;
    vcl::TNotifyEvent OnFormClose;

protected:
    virtual void DoInitialized();
    virtual bool DoExecute() = 0;

private:
    int FormWidth_ = -1;
    int FormHeight_ = -1;
    vcl::TWindowState FormWindowState_ = vcl::wsNormal;
    std::string Title_;
    bool Executing_ = false;
};

enum TKwOpenOption {
    kwofAllowMultiselect,
    kwofCreatePrompt,
    kwofExtensionDifferent,
    kwofFileMustExist,
    kwofHideReadOnly,
    kwofNoChangeDir,
    kwofNoDereferenceLinks,
    kwofNoReadOnlyReturn,
    kwofNoTestFileCreate,
    kwofNoValidate,
    kwofOverwritePrompt,
    kwofReadOnly,
    kwofPathMustExist,
    kwofShareAware,
    kwofShowHelp,
    kwofAllowTree,
    kwofShowTree,
    kwofShowHints,
    kwofHideFoldersInListWhenTreeVisible,
    kwofOleDrag,
    kwofOleDrop,
    kwofShowHidden
};
VCL_ENUM_TYPE(TKwOpenOption, kwofAllowMultiselect, kwofCreatePrompt, kwofExtensionDifferent,
              kwofFileMustExist, kwofHideReadOnly, kwofNoChangeDir, kwofNoDereferenceLinks,
              kwofNoReadOnlyReturn, kwofNoTestFileCreate, kwofNoValidate, kwofOverwritePrompt, kwofReadOnly,
              kwofPathMustExist, kwofShareAware, kwofShowHelp, kwofAllowTree, kwofShowTree, kwofShowHints,
              kwofHideFoldersInListWhenTreeVisible, kwofOleDrag, kwofOleDrop, kwofShowHidden)
using TKwOpenOptions = vcl::TSet<TKwOpenOption>;
// What the open and save dialogs start with (3833872).
inline constexpr TKwOpenOptions KwOpenDlgDefaultOptions{kwofHideReadOnly, kwofAllowTree, kwofShowHints,
                                                        kwofOleDrag,      kwofOleDrop,   kwofShowHidden};

// ---- The file dialogs ----

class TKwFrmOpenDlg;

// Everything the open and the save dialog share. A run makes the form,
// hands it the properties and events, shows it modally and takes back the
// names, options, geometry, file type and splitter position. The state value
// appends to the base's 9 bytes the tree's visibility (1 byte; any non-zero
// byte read counts as shown) and FormSplitterPos (4 bytes): 14 bytes.
class KWCORVANE_EXPORT TKwFileDlg : public TKwDialog {
    VCL_DECLARE_CLASS(TKwFileDlg, TKwDialog)
public:
    explicit TKwFileDlg(vcl::TComponent* owner);

    void ReadStateFromStream(vcl::TStream& stream) override;
    void WriteStateToStream(vcl::TStream& stream) override;

    // While a form exists, its file name; else the first of Files.
    std::string GetFilename() const;
    // Files becomes this one name; a live form's edit shows it.
    void SetFilename(const std::string& value);
    // The names chosen in the last run, full paths.
    vcl::TStrings* Files() const { return Files_; }
    vcl::TStrings* HistoryList() const { return HistoryList_; }
    void SetHistoryList(vcl::TStrings* value);
    TKwOpenOptions Options() const { return Options_; }
    void SetOptions(TKwOpenOptions value);
    const std::string& DefaultExt() const { return DefaultExt_; }
    void SetDefaultExt(const std::string& value) { DefaultExt_ = value; }
    // "description|mask|description|mask..."
    const std::string& Filter() const { return Filter_; }
    void SetFilter(const std::string& value);
    // One-based; while a form exists, the form's.
    int FilterIndex() const;
    void SetFilterIndex(int value);
    vcl::THelpContext HelpContext() const { return HelpContext_; }
    void SetHelpContext(vcl::THelpContext value) { HelpContext_ = value; }
    const std::string& InitialDir() const { return InitialDir_; }
    void SetInitialDir(const std::string& value) { InitialDir_ = value; }
    // Negative: the tree pane is collapsed.
    int FormSplitterPos() const { return FormSplitterPos_; }
    void SetFormSplitterPos(int value);
    // The running form; null between runs.
    TKwFrmOpenDlg* Form() const { return Form_; }

    TKwShAddItemEvent OnAddListItem;
    TKwShAddItemEvent OnAddTreeItem;
    // Published and kept, but no control of the form fires it.
    TKwShAddItemEvent OnAddComboItem;
    vcl::TNotifyEvent OnFolderChanged;
    vcl::TNotifyEvent OnSelectionChanged;
    vcl::TNotifyEvent OnTypeChanged;
    TKwShLvCustomDrawEvent OnLvCustomDrawSh;
    TKwShLvCustomDrawEvent OnLvCustomDrawShEx;
    TKwShTvCustomDrawEvent OnTvCustomDrawSh;
    TKwShTvCustomDrawEvent OnTvCustomDrawShEx;
    vcl::THelpEvent OnHelp;

protected:
    ~TKwFileDlg() override;
    // Raises "<Name> already executing" while a form exists.
    bool DoExecute() override;
    virtual TKwFrmOpenDlg* CreateForm();
    virtual void InitForm(TKwFrmOpenDlg* form);
    virtual void SaveFormSettings(TKwFrmOpenDlg* form);

private:
    bool FormHelp(WORD command, LONG_PTR data, bool& callHelp);

    vcl::TStrings* HistoryList_;
    TKwOpenOptions Options_;
    std::string DefaultExt_;
    vcl::TStrings* Files_;
    std::string Filter_;
    int FilterIndex_ = 1;
    vcl::THelpContext HelpContext_ = 0;
    std::string InitialDir_;
    int FormSplitterPos_ = -1;
    TKwFrmOpenDlg* Form_ = nullptr;
};

// The open dialog's caption ("Open") and accept button ("&Open").
class KWCORVANE_EXPORT TKwCustomOpenDlg : public TKwFileDlg {
    VCL_DECLARE_CLASS(TKwCustomOpenDlg, TKwFileDlg)
public:
    explicit TKwCustomOpenDlg(vcl::TComponent* owner);

protected:
    void InitForm(TKwFrmOpenDlg* form) override;
};

// The save dialog's caption ("Save As") and accept button ("&Save").
class KWCORVANE_EXPORT TKwCustomSaveDlg : public TKwFileDlg {
    VCL_DECLARE_CLASS(TKwCustomSaveDlg, TKwFileDlg)
public:
    explicit TKwCustomSaveDlg(vcl::TComponent* owner);

protected:
    void InitForm(TKwFrmOpenDlg* form) override;
};

class KWCORVANE_EXPORT TKwOpenDlg : public TKwCustomOpenDlg {
    VCL_DECLARE_PUBLISHED_CLASS(TKwOpenDlg, TKwCustomOpenDlg)
public:
    using TKwCustomOpenDlg::TKwCustomOpenDlg;
};

class KWCORVANE_EXPORT TKwSaveDlg : public TKwCustomSaveDlg {
    VCL_DECLARE_PUBLISHED_CLASS(TKwSaveDlg, TKwCustomSaveDlg)
public:
    using TKwCustomSaveDlg::TKwCustomSaveDlg;
};

// Which control the person touched last: the edit (typed) or the list
// (its selection put the text in the edit).
enum TKwFrmOpenDlg_LIS { lisEdit, lisList };

// One item of the form's list.
struct KWCORVANE_EXPORT TKwListItemInfo {
    std::string Caption; // as the list shows it
    std::string Path;    // file-system path; empty for a virtual item
    bool IsFolder = false;
};

// What the accept path reads and changes of the form.
class KWCORVANE_EXPORT TKwTypedNameContext {
public:
    virtual ~TKwTypedNameContext() = default;

    // File-system path of the folder the list shows; empty when it has none.
    virtual std::string Base() = 0;
    virtual TKwFrmOpenDlg_LIS LastInput() = 0;

    virtual std::string EditText() = 0;
    virtual void SetEditText(const std::string& text) = 0;
    // Selects the whole text of the edit.
    virtual void SelectEditText() = 0;

    virtual int ItemCount() = 0;
    virtual TKwListItemInfo Item(int index) = 0;
    // Item's caption alone: a walk over every item asks the rest of the few
    // whose caption it wants.
    virtual std::string ItemCaption(int index) { return Item(index).Caption; }
    // The list's selected item; -1 for none.
    virtual int SelectedItem() = 0;
    // Selects and focuses the item and gives the list the focus.
    virtual void SelectAndFocusItem(int index) = 0;

    // Shows another folder (the look-in combo's folder, which the list and
    // tree follow). A path naming the folder shown changes nothing.
    virtual void NavigateToPath(const std::string& path) = 0;
    virtual void NavigateToIdList(LPCITEMIDLIST idList) = 0;

    // Filters the list by a mask the person typed.
    virtual void ApplyUserFilter(const std::string& mask) = 0;
    // The selected file type's mask; empty when no type is selected.
    virtual std::string SelectedTypeMask() = 0;

    virtual TKwOpenOptions Options() = 0;
    virtual void SetOptions(TKwOpenOptions options) = 0;
    virtual std::string DefaultExt() = 0;

    // Shows a message box of the form: the resource string formatted with
    // one insert (FormatPrompt), answered by a modal result.
    virtual vcl::TModalResult Ask(vcl::PResStringRec message, const std::string& insert,
                                  vcl::TMsgDlgType type, vcl::TMsgDlgButtons buttons) = 0;
    virtual void Beep() = 0;

    // The names accepted by the last parse.
    virtual vcl::TStrings& ResultList() = 0;
    // The owner of anything the shell shows while parsing.
    virtual HWND OwnerWindow() { return nullptr; }
};

// ---- The pure steps ----

// The text of a prompt: the resource string through KwLoadStr, formatted
// with insert as its one "%s".
KWCORVANE_EXPORT std::string FormatPrompt(vcl::PResStringRec message, const std::string& insert);

// The names of a typed text. Without a double quote the whole text is the
// one name, blanks included. With one, names are split: double quotes group,
// blanks and tabs between names are skipped, blanks inside an unquoted name
// belong to it, a quote ends an unquoted name and opens a quoted one, each
// name loses trailing blanks and control bytes, and empty names are dropped.
KWCORVANE_EXPORT std::vector<std::string> TypedNames(const std::string& text);

// Longest name component and path the file system takes (NAME_MAX, and
// PATH_MAX with its terminating zero).
inline constexpr std::size_t MaxNameComponent = 255;
inline constexpr std::size_t MaxPathLength = 4095;

// Whether a typed name may name a file: no "<", ">", "|" or NUL byte, no
// component over MaxNameComponent bytes, at most MaxPathLength bytes.
KWCORVANE_EXPORT bool IsValidFileName(std::string_view name);

enum TKwCombineResult {
    kwcrPath,   // Path holds the combined path
    kwcrEmpty,  // the name combines to nothing
    kwcrInvalid // a NUL byte, or a component or the result over the limits
};
struct KWCORVANE_EXPORT TKwCombinedPath {
    TKwCombineResult Result = kwcrEmpty;
    std::string Path;
};

// A name combined with base, the folder shown. A name starting with "/"
// walks from the root, any other from base (relative when base is empty).
// Empty components are skipped, "." stays, ".." goes up one level and never
// above "/" (from a relative path without a "/" it leaves nothing); every
// other component, "..." included, is a name. Nothing is cut: a component
// or result over the limits is kwcrInvalid.
KWCORVANE_EXPORT TKwCombinedPath CombinePath(std::string_view base, std::string_view name);

// A wildcard pattern typed in the edit: the folder part of its first name
// holding "*" or "?" after the last "/", and the name parts of all such names
// joined by ";". Text the list put in the edit is never a pattern.
struct KWCORVANE_EXPORT TKwTypedPattern {
    std::string Folder;
    std::string Mask;
};
KWCORVANE_EXPORT std::optional<TKwTypedPattern> SplitPattern(const std::string& text,
                                                             TKwFrmOpenDlg_LIS lastInput);

// The extension a file type's mask gives a name: that of its last mask
// ("*.txt;*.doc" gives ".doc"); empty when it has none or when it holds a
// wildcard ("*.*").
KWCORVANE_EXPORT std::string MaskExtension(std::string_view mask);

// Whether ".ext" is a registered file type: a key of that name under
// HKEY_CLASSES_ROOT.
KWCORVANE_EXPORT bool IsRegisteredExtension(const std::string& ext);
using TKwExtensionTest = bool (*)(const std::string& ext);

// Completes a name with the file type's extension or the default extension
// (without its dot), and keeps kwofExtensionDifferent in options: set when
// the name ends up with an extension other than the default one, cleared
// when it is the default one. Nothing happens for an empty defaultExt.
KWCORVANE_EXPORT void ApplyDefaultExt(std::string& name, TKwOpenOptions& options,
                                      const std::string& defaultExt, const std::string& typeMask,
                                      TKwExtensionTest isRegistered = IsRegisteredExtension);

// The target of a shortcut (a symbolic link or a desktop entry) that names a
// local path; any other name is returned as it is.
KWCORVANE_EXPORT std::string ShortcutTarget(const std::string& name);

// ---- Against the form ----

// Checks one full name against the options, with the prompts they ask for;
// true when it is accepted.
KWCORVANE_EXPORT bool ValidateTypedName(TKwTypedNameContext& context, const std::string& name);

// Parses the typed text, enters a folder it names, and validates the names.
// True when all of them were accepted; ResultList then holds their full
// paths, and is empty otherwise.
KWCORVANE_EXPORT bool ParseInputString(TKwTypedNameContext& context, const std::string& text);

// What the form does when it is asked to close with modalResult: with OK, a
// typed pattern filters the list (entering its folder) and keeps the form
// open, and any other text goes through ParseInputString. When the form may
// close (Cancel too), the current directory becomes the folder shown unless
// kwofNoChangeDir.
KWCORVANE_EXPORT void TypedNameCloseQuery(TKwTypedNameContext& context, vcl::TModalResult modalResult,
                                          bool& canClose);

// ---- The form ----

class TKwShellList;
class TKwShellTree;
class TKwShellCombo;
class TKwCombobox;
class TKwGroup;
class TKwSplitter;

// A file type of the form: the mask its combo item stands for.
struct KWCORVANE_EXPORT TFilterItemRec : public vcl::TObject {
    std::string Mask;
};

// The open and save dialogs' form: the look-in combo over the tree and the
// list in the panes of a splitter, the speed buttons, and a bottom panel with
// the file-name edit, the file types and the buttons. Its controls come from
// the form resource TKWFRMOPENDLG; it lays out what translation changes, keeps
// the file types and the list's filter in step, mirrors the list's selection
// into the edit and hands the typed text to the accept path.
class KWCORVANE_EXPORT TKwFrmOpenDlg : public vcl::TForm, public TKwTypedNameContext {
    VCL_DECLARE_PUBLISHED_CLASS(TKwFrmOpenDlg, vcl::TForm)
public:
    explicit TKwFrmOpenDlg(vcl::TComponent* owner);

    vcl::TLabel* LookInTxt = nullptr;
    TKwShellCombo* KwShellCombo1 = nullptr;
    vcl::TSpeedButton* UpOneLevelBtn = nullptr;
    vcl::TSpeedButton* ListBtn = nullptr;
    vcl::TSpeedButton* DetailsBtn = nullptr;
    vcl::TSpeedButton* CreateNewFolderBtn = nullptr;
    vcl::TPanel* Panel1 = nullptr;
    vcl::TLabel* FileNameTxt = nullptr;
    vcl::TLabel* FilesOfTypeTxt = nullptr;
    TKwCombobox* FileTypesCbx = nullptr;
    vcl::TEdit* FileNameEdt = nullptr;
    vcl::TButton* OpenBtn = nullptr;
    vcl::TButton* CancelBtn = nullptr;
    vcl::TComboBox* FileNameCbx = nullptr;
    TKwSplitter* KwSplitter1 = nullptr;
    TKwShellList* KwShellList1 = nullptr;
    TKwShellTree* KwShellTree1 = nullptr;
    vcl::TCheckBox* ReadOnlyChk = nullptr;
    vcl::TSpeedButton* ShowTreeBtn = nullptr;
    vcl::TButton* HelpBtn = nullptr;
    vcl::TPopupMenu* LvPopup = nullptr;
    vcl::TMenuItem* View1Mitm = nullptr;
    vcl::TMenuItem* N1 = nullptr;
    vcl::TMenuItem* New1Mitm = nullptr;
    vcl::TMenuItem* N2 = nullptr;
    vcl::TMenuItem* Properties1Mitm = nullptr;
    vcl::TMenuItem* Folder1Mitm = nullptr;
    vcl::TMenuItem* LargeIcons1Mitm = nullptr;
    vcl::TMenuItem* Smallicons1MItm = nullptr;
    vcl::TMenuItem* List1Mitm = nullptr;
    vcl::TMenuItem* Details1Mitm = nullptr;
    vcl::TMenuItem* Paste1Mitm = nullptr;
    vcl::TMenuItem* N3 = nullptr;
    TKwGroup* SplitterContainer = nullptr;
    vcl::TSpeedButton* ShowDesktopBtn = nullptr;

    // ---- what the component uses ----
    void SetFilename(const std::string& name);
    // While shown, the first name accepted (empty before any); else the
    // edit's text.
    std::string GetFilename();
    vcl::TStrings* GetFiles();
    void GetSelectedFiles(vcl::TStrings* list);
    // Adds the filter's file types to those there.
    void SetFilter(const std::string& filter);
    // 0 without file types.
    int GetFilterIndex();
    // Out of range: the first type shows, its mask not applied.
    void SetFilterIndex(int index);
    int GetFormSplitterPos();
    void SetFormSplitterPos(int pos);
    void SetInitialDir(const std::string& dir);
    // The working options; while the read-only box is visible their
    // kwofReadOnly is the box's state, which starts unchecked whatever the
    // options said, so the caller reads back what the person saw.
    TKwOpenOptions GetOptions() const;
    void SetOptions(TKwOpenOptions options) override;
    void SetDefaultExt(const std::string& ext) { DefaultExt_ = ext; }
    void SetOnAddListItem(TKwShAddItemEvent handler);
    void SetOnAddTreeItem(TKwShAddItemEvent handler);
    void SetOnAddComboItem(TKwShAddItemEvent) {}
    void SetOnLvCustomDrawSh(TKwShLvCustomDrawEvent handler);
    void SetOnLvCustomDrawShEx(TKwShLvCustomDrawEvent handler);
    void SetOnTvCustomDrawSh(TKwShTvCustomDrawEvent handler);
    void SetOnTvCustomDrawShEx(TKwShTvCustomDrawEvent handler);
    void ShowTree(bool show);
    void ApplyUserFilter(const std::string& mask) override;
    bool IsShown() const { return Shown_; }
    // The context the Help button asks for.
    vcl::THelpContext HelpContext() const { return HelpContext_; }
    void SetHelpContext(vcl::THelpContext value) { HelpContext_ = value; }
    // The edit's text worked out from the list's selection, if a run of
    // selection changes is waiting for it.
    void FlushSelectionMirror();

    vcl::TNotifyEvent OnTypeChanged;
    vcl::TNotifyEvent OnFolderChanged;
    vcl::TNotifyEvent OnSelectionChanged;
    vcl::TNotifyEvent OnFormShow;
    vcl::TNotifyEvent OnFormClose;
    vcl::THelpEvent OnHelp;

    // ---- the form resource's handlers ----
    void FormCloseQuery(vcl::TObject* sender, bool& canClose);
    void FormDestroy(vcl::TObject* sender);
    void FormKeyDown(vcl::TObject* sender, WORD& key, vcl::TShiftState shift);
    void FormResize(vcl::TObject* sender);
    void FileTypesCbxSelEndOk(vcl::TObject* sender);
    void FileNameEdtChange(vcl::TObject* sender);
    void KwShellList1Change(vcl::TObject* sender, vcl::TListItem* item, vcl::TItemChange change);
    void KwShellList1FolderChanged(vcl::TObject* sender);
    void KwShellTree1Change(vcl::TObject* sender, vcl::TTreeNode* node);
    void ReadOnlyChkClick(vcl::TObject* sender);
    void HelpBtnClick(vcl::TObject* sender);
    void UpOneLevelBtnClick(vcl::TObject* sender);
    void ViewBtnClick(vcl::TObject* sender);
    void CreateNewFolderBtnClick(vcl::TObject* sender);
    void ShowTreeBtnClick(vcl::TObject* sender);
    void ShowDesktopBtnClick(vcl::TObject* sender);
    void Paste1MitmClick(vcl::TObject* sender);
    void Properties1MitmClick(vcl::TObject* sender);

    // ---- TKwTypedNameContext ----
    std::string Base() override;
    TKwFrmOpenDlg_LIS LastInput() override { return LastInput_; }
    std::string EditText() override;
    void SetEditText(const std::string& text) override;
    void SelectEditText() override;
    int ItemCount() override;
    TKwListItemInfo Item(int index) override;
    std::string ItemCaption(int index) override;
    int SelectedItem() override;
    void SelectAndFocusItem(int index) override;
    void NavigateToPath(const std::string& path) override;
    void NavigateToIdList(LPCITEMIDLIST idList) override;
    std::string SelectedTypeMask() override;
    TKwOpenOptions Options() override { return Options_; }
    std::string DefaultExt() override { return DefaultExt_; }
    vcl::TModalResult Ask(vcl::PResStringRec message, const std::string& insert, vcl::TMsgDlgType type,
                          vcl::TMsgDlgButtons buttons) override;
    void Beep() override;
    vcl::TStrings& ResultList() override { return *ResultList_; }
    HWND OwnerWindow() override;

    // The controls come from the form resource, read by the inherited step;
    // then the list's double-click reaches the form.
    void AfterConstruction() override;

protected:
    ~TKwFrmOpenDlg() override;
    void CreateWnd() override;
    void DoShow() override;
    void DoHide() override;
    void Dispatch(vcl::TMessage& message) override;
    virtual void DoOnFormClose();
    virtual void DoOnFolderChanged();
    virtual void DoOnSelectionChanged();
    virtual void DoOnFormShow();
    virtual void DoOnTypeChanged();
    virtual void DoTranslation();

private:
    void ListDblClickOpen(vcl::TObject* sender, bool& handled);
    bool FormHelp(WORD command, LONG_PTR data, bool& callHelp);
    void ParseFilterString(const std::string& filter, vcl::TStrings* items);
    void FreeFilterItems();
    void MirrorSelection();

    std::string DefaultExt_;
    TKwOpenOptions Options_;
    vcl::TStrings* Files_;
    std::string Filter_;
    std::string InitialDir_;
    std::string UserFilter_;
    bool Shown_ = false;
    vcl::TStrings* ResultList_;
    TKwFrmOpenDlg_LIS LastInput_ = lisList;
    HWND SizeGrip_ = nullptr;
    vcl::THelpContext HelpContext_ = 0;
    // A run of the list's selection changes waits for the edit's text.
    bool MirrorPending_ = false;
};

// Never assigned by the library.
extern KWCORVANE_EXPORT TKwFrmOpenDlg* KwFrmOpenDlg;

// The unit's start-up registers the form resource TKWFRMOPENDLG and the
// classes it names; its end forgets the resource.
KWCORVANE_EXPORT void FKwOpenDlgInitialization();
KWCORVANE_EXPORT void FKwOpenDlgFinalization();

} // namespace kw
