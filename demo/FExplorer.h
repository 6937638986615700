#pragma once
// FExplorer: the demo's mini explorer (a shell combo, tree and list linked
// to each other, with a toolbar, menus, a status line and keyboard
// commands) and its routines that need no form: setting a Boolean property
// by tag, menu texts, and the command prompt over whatever tree and list it
// acts on.

#include "vcl/core/Component.h"
#include "vcl/widgets/Forms.h"

#include <initializer_list>
#include <string>

class QObject;

namespace vcl {
class TListItem;
class TMainMenu;
class TMenuItem;
class TPopupMenu;
class TSpeedButton;
class TStatusBar;
class TTreeNode;
} // namespace vcl

namespace kw {
class TKwCustomDraw;
class TKwGroup;
class TKwShellCombo;
class TKwShellList;
class TKwShellTree;
class TKwShListData;
class TKwShTreeData;
class TKwSplitter;
class TKwSysFolderDlg;
} // namespace kw

namespace demo {

// The mini explorer. Its controls come from the form resource TFRMEXPLORER
// (registered by FExplorerInitialization). From its creation on, the
// application's hints show in its status line; closing it hides it.
class TFrmExplorer : public vcl::TForm {
    VCL_DECLARE_PUBLISHED_CLASS(TFrmExplorer, vcl::TForm)
public:
    explicit TFrmExplorer(vcl::TComponent* owner);

    kw::TKwGroup* KwGroup1 = nullptr;
    kw::TKwShellCombo* KwShellCombo1 = nullptr;
    vcl::TSpeedButton* UpOneLevelBtn = nullptr;
    vcl::TSpeedButton* DeleteBtn = nullptr;
    vcl::TSpeedButton* LargeIconsBtn = nullptr;
    vcl::TSpeedButton* SmallIconsBtn = nullptr;
    vcl::TSpeedButton* ListBtn = nullptr;
    vcl::TSpeedButton* DetailsBtn = nullptr;
    vcl::TStatusBar* StatusBar1 = nullptr;
    kw::TKwSplitter* KwSplitter1 = nullptr;
    kw::TKwShellTree* KwShellTree1 = nullptr;
    kw::TKwShellList* KwShellList1 = nullptr;
    kw::TKwSysFolderDlg* KwSysFolderDlg1 = nullptr;
    vcl::TMainMenu* MainMenu1 = nullptr;
    vcl::TMenuItem* File1 = nullptr;
    vcl::TMenuItem* New1Submenu = nullptr;
    vcl::TMenuItem* NewFolder1Mitm = nullptr;
    vcl::TMenuItem* N1 = nullptr;
    vcl::TMenuItem* CloseMitm = nullptr;
    vcl::TMenuItem* Edit1 = nullptr;
    vcl::TMenuItem* Undo1 = nullptr;
    vcl::TMenuItem* N2 = nullptr;
    vcl::TMenuItem* Cut1 = nullptr;
    vcl::TMenuItem* Copy1 = nullptr;
    vcl::TMenuItem* Paste1 = nullptr;
    vcl::TMenuItem* N3 = nullptr;
    vcl::TMenuItem* SelectAll1 = nullptr;
    vcl::TMenuItem* InvertSelection1 = nullptr;
    vcl::TMenuItem* View1Submenu = nullptr;
    vcl::TMenuItem* LargeIcons2Mitm = nullptr;
    vcl::TMenuItem* Smallicons2Mitm = nullptr;
    vcl::TMenuItem* List2Mitm = nullptr;
    vcl::TMenuItem* Details2Mitm = nullptr;
    vcl::TMenuItem* Test1 = nullptr;
    vcl::TMenuItem* TreeSelectPathnameMitm = nullptr;
    vcl::TMenuItem* TreeRefreshMitm = nullptr;
    vcl::TMenuItem* N4 = nullptr;
    vcl::TMenuItem* TreeViewSelectedPathnameMitm = nullptr;
    vcl::TMenuItem* CustomDraw1 = nullptr;
    vcl::TMenuItem* Highlightexecutables1 = nullptr;
    vcl::TMenuItem* Dimreadonlyfoldersintree1 = nullptr;
    vcl::TMenuItem* Hotkeys1 = nullptr;
    vcl::TMenuItem* F11Mitm = nullptr;
    vcl::TPopupMenu* ListPopup = nullptr;
    vcl::TMenuItem* View2Submenu = nullptr;
    vcl::TMenuItem* LargeIconsMitm = nullptr;
    vcl::TMenuItem* SmalliconsMItm = nullptr;
    vcl::TMenuItem* ListMitm = nullptr;
    vcl::TMenuItem* DetailsMitm = nullptr;
    vcl::TMenuItem* N5 = nullptr;
    vcl::TMenuItem* Paste2Mitm = nullptr;
    vcl::TMenuItem* N6 = nullptr;
    vcl::TMenuItem* New2Submenu = nullptr;
    vcl::TMenuItem* NewFolder2Mitm = nullptr;
    vcl::TMenuItem* N7 = nullptr;
    vcl::TMenuItem* Properties1Mitm = nullptr;

    void FormCreate(vcl::TObject* Sender);
    void FormKeyDown(vcl::TObject* Sender, WORD& Key, vcl::TShiftState Shift);
    void ShowAppHint(vcl::TObject* Sender);
    void KwShellList1PopupHint(vcl::TObject* aSender, const std::string& aHint);
    void CloseMitmClick(vcl::TObject* Sender);
    // The twelve view senders: the list's view style is the sender's Tag,
    // and the buttons and both menus follow it.
    void ViewBtnClick(vcl::TObject* Sender);
    void KwShellTree1Change(vcl::TObject* Sender, vcl::TTreeNode* Node);
    void UpOneLevelBtnClick(vcl::TObject* Sender);
    void DeleteBtnClick(vcl::TObject* Sender);
    void TreeRefreshMitmClick(vcl::TObject* Sender);
    void TreeSelectPathnameMitmClick(vcl::TObject* Sender);
    void TreeViewSelectedPathnameMitmClick(vcl::TObject* Sender);
    void SelectAll1Click(vcl::TObject* Sender);
    void InvertSelection1Click(vcl::TObject* Sender);
    void NewFolder1MitmClick(vcl::TObject* Sender);
    void Paste1Click(vcl::TObject* Sender);
    void Properties1MitmClick(vcl::TObject* Sender);
    void Highlightexecutables1Click(vcl::TObject* Sender);
    void Dimreadonlyfoldersintree1Click(vcl::TObject* Sender);
    void KwShellList1CustomDrawSh(vcl::TObject* aSender, kw::TKwCustomDraw* aCD, vcl::TListItem* aItem,
                                  kw::TKwShListData* aData);
    void KwShellTree1CustomDrawSh(vcl::TObject* aSender, kw::TKwCustomDraw* aCD, vcl::TTreeNode* aNode,
                                  kw::TKwShTreeData* aData);
    void F11MitmClick(vcl::TObject* Sender);
    void FileSwapPanesMitmClick(vcl::TObject* Sender);
    void KwShellTree1Edited(vcl::TObject* Sender, vcl::TTreeNode* Node, std::string& S);

    bool HighlightExecutables() const { return FHighlightExecutables; }
    bool DimReadOnly() const { return FDimReadOnly; }

protected:
    ~TFrmExplorer() override;

private:
    void LoadUiTexts();

    bool FHighlightExecutables = false;
    bool FDimReadOnly = false;
    // Sees the keys of the tree's and the list's in-place editors, which
    // are windows of their own and bypass the form's key preview.
    QObject* EditorKeys_ = nullptr;
};

// The one explorer form: null until the main form makes it (owned by the
// main form); back to null when it goes.
extern TFrmExplorer* FrmExplorer;

// The unit's start-up and end: the form resource and the classes it names.
// Registered as the unit "FExplorer" after the package's units.
void FExplorerInitialization();
void FExplorerFinalization();

// For each component, its published Boolean property propName becomes
// whether the component's Tag is tag. Components without such a property
// are left alone.
void SetPropByTag(std::initializer_list<vcl::TComponent*> components, const std::string& propName, int tag);

// Sets each item's caption and hint, leaving the stored one where the new
// text is empty.
void SetMenuTexts(const std::string& caption, const std::string& hint,
                  std::initializer_list<vcl::TMenuItem*> items);

// A verb for the tree's selected node: a command number where the person
// typed a number from 0 up, else the text as typed.
struct TCommandVerb {
    bool IsNumber = false;
    int Number = 0;
    std::string Text;
    bool operator==(const TCommandVerb&) const = default;
};
TCommandVerb TreeCommandVerb(const std::string& typed);

// What the command prompt works on: the explorer's tree and list, or test
// doubles of them.
class TCommandTargets {
public:
    virtual ~TCommandTargets() = default;
    virtual bool TreeFocused() const = 0;
    virtual bool ListFocused() const = 0;
    // Asks for the command; false when the person cancels.
    virtual bool AskCommand(std::string& command) = 0;
    virtual void RunOnSelectedNode(const TCommandVerb& verb) = 0;
    virtual int ListSelCount() const = 0;
    virtual void RunOnListFolder(const std::string& verb) = 0;
    virtual void RunOnListSelection(const std::string& verb) = 0;
};

// The prompt of F11: with the tree focused, the command goes to its
// selected node (a number as a command number); with the list focused, to
// its selection, or to its folder when nothing is selected, always as text;
// otherwise nothing is asked.
void RunCommandPrompt(TCommandTargets& targets);

} // namespace demo
