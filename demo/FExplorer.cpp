// The explorer form: its published table, start-up, texts, the view switch,
// the status line, the menus' commands, custom draw and the command prompt
// over the real tree and list.

#include "FExplorer.h"
#include "FExplorer_p.h"

#include "UKwFrame.h"
#include "UKwShConsts.h"
#include "UKwShellControls.h"
#include "UKwShellUtils.h"
#include "UKwSplitter.h"
#include "UKwSysFolderDlg.h"
#include "UKwTreeList.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/PathUtils.h"
#include "vcl/core/Publish.h"
#include "vcl/core/ResourceStrings.h"
#include "vcl/core/SysUtils.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/Buttons.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/Dialogs.h"
#include "vcl/widgets/Menus.h"
#include "win32/Menus.h"
#include "win32/VirtualKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace demo {

TFrmExplorer* FrmExplorer = nullptr;

namespace {

std::string Str(const vcl::TResStringRec& rec)
{
    return kw::KwLoadStr(vcl::LoadResString(&rec));
}

// The prompt's targets: the explorer's own tree and list.
class TExplorerTargets : public TCommandTargets {
public:
    TExplorerTargets(kw::TKwShellTree* tree, kw::TKwShellList* list) : Tree_(tree), List_(list) {}

    bool TreeFocused() const override { return Tree_->Focused(); }
    bool ListFocused() const override { return List_->Focused(); }
    bool AskCommand(std::string& command) override
    {
        return vcl::InputQuery("Enter command string", "Command: ", command);
    }
    void RunOnSelectedNode(const TCommandVerb& verb) override
    {
        if (!verb.IsNumber) {
            Tree_->DoCommandForNode(Tree_->Selected(), verb.Text);
            return;
        }
        RunNumberOnSelectedNode(static_cast<UINT>(verb.Number));
    }
    int ListSelCount() const override { return List_->SelCount(); }
    void RunOnListFolder(const std::string& verb) override { List_->DoCommandForFolder(verb); }
    void RunOnListSelection(const std::string& verb) override { List_->DoCommandForAllSelected(verb); }

private:
    // The tree takes verbs as text only; a command number goes to the
    // node's menu object directly, with the same refresh afterwards. As
    // for a verb, the top node and nodes without shell data have none.
    void RunNumberOnSelectedNode(UINT command)
    {
        vcl::TTreeNode* node = Tree_->Selected();
        kw::TKwShTreeData* data = Tree_->GetDataFromNode(node);
        if (!data || !node->Parent())
            return;
        const com::ComPtr<IShellFolder> folder = data->GetParentIShf();
        if (!folder)
            return;
        const HWND owner = kw::GetTopFormHandle(Tree_);
        LPCITEMIDLIST item = data->GetRelPidl();
        HMENU popup = nullptr;
        com::ComPtr<IContextMenu> menu;
        vcl::OleCheck(kw::GetShellContextMenu(owner, folder.Get(), 1, &item, kw::KwShellMenuFirstId,
                                              CMF_EXPLORE, &popup, menu.ReleaseAndGetAddressOf()));
        kw::InvokeContextCommand(owner, menu.Get(), command);
        if (popup)
            DestroyMenu(popup);
        Tree_->RefreshNodes();
    }

    kw::TKwShellTree* Tree_;
    kw::TKwShellList* List_;
};

// Escape in an in-place editor of the form closes the form too, as it does
// from every other control through the key preview. The editor cancels
// first; the form closes once that is done.
class TEditorKeyWatch : public QObject {
public:
    explicit TEditorKeyWatch(TFrmExplorer* form) : Form_(form) { qApp->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
            return false;
        if (!Form_->KwShellList1->IsEditing() && !Form_->KwShellTree1->IsEditing())
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* formWidget = Form_->HandleAllocated() ? Form_->Peer() : nullptr;
        if (!widget || !formWidget || widget == formWidget || !formWidget->isAncestorOf(widget))
            return false;
        QMetaObject::invokeMethod(
            this, [form = Form_] { form->Close(); }, Qt::QueuedConnection);
        return false;
    }

private:
    TFrmExplorer* Form_;
};

} // namespace

const vcl::TClassRtti& TFrmExplorer::PublishedTable()
{
    using C = TFrmExplorer;
    static const vcl::TClassRtti table =
        vcl::Publish<C>()
            .Field<&C::KwGroup1>("KwGroup1")
            .Field<&C::KwShellCombo1>("KwShellCombo1")
            .Field<&C::UpOneLevelBtn>("UpOneLevelBtn")
            .Field<&C::DeleteBtn>("DeleteBtn")
            .Field<&C::LargeIconsBtn>("LargeIconsBtn")
            .Field<&C::SmallIconsBtn>("SmallIconsBtn")
            .Field<&C::ListBtn>("ListBtn")
            .Field<&C::DetailsBtn>("DetailsBtn")
            .Field<&C::StatusBar1>("StatusBar1")
            .Field<&C::KwSplitter1>("KwSplitter1")
            .Field<&C::KwShellTree1>("KwShellTree1")
            .Field<&C::KwShellList1>("KwShellList1")
            .Field<&C::KwSysFolderDlg1>("KwSysFolderDlg1")
            .Field<&C::MainMenu1>("MainMenu1")
            .Field<&C::File1>("File1")
            .Field<&C::New1Submenu>("New1Submenu")
            .Field<&C::NewFolder1Mitm>("NewFolder1Mitm")
            .Field<&C::N1>("N1")
            .Field<&C::CloseMitm>("CloseMitm")
            .Field<&C::Edit1>("Edit1")
            .Field<&C::Undo1>("Undo1")
            .Field<&C::N2>("N2")
            .Field<&C::Cut1>("Cut1")
            .Field<&C::Copy1>("Copy1")
            .Field<&C::Paste1>("Paste1")
            .Field<&C::N3>("N3")
            .Field<&C::SelectAll1>("SelectAll1")
            .Field<&C::InvertSelection1>("InvertSelection1")
            .Field<&C::View1Submenu>("View1Submenu")
            .Field<&C::LargeIcons2Mitm>("LargeIcons2Mitm")
            .Field<&C::Smallicons2Mitm>("Smallicons2Mitm")
            .Field<&C::List2Mitm>("List2Mitm")
            .Field<&C::Details2Mitm>("Details2Mitm")
            .Field<&C::Test1>("Test1")
            .Field<&C::TreeSelectPathnameMitm>("TreeSelectPathnameMitm")
            .Field<&C::TreeRefreshMitm>("TreeRefreshMitm")
            .Field<&C::N4>("N4")
            .Field<&C::TreeViewSelectedPathnameMitm>("TreeViewSelectedPathnameMitm")
            .Field<&C::CustomDraw1>("CustomDraw1")
            .Field<&C::Highlightexecutables1>("Highlightexecutables1")
            .Field<&C::Dimreadonlyfoldersintree1>("Dimreadonlyfoldersintree1")
            .Field<&C::Hotkeys1>("Hotkeys1")
            .Field<&C::F11Mitm>("F11Mitm")
            .Field<&C::ListPopup>("ListPopup")
            .Field<&C::View2Submenu>("View2Submenu")
            .Field<&C::LargeIconsMitm>("LargeIconsMitm")
            .Field<&C::SmalliconsMItm>("SmalliconsMItm")
            .Field<&C::ListMitm>("ListMitm")
            .Field<&C::DetailsMitm>("DetailsMitm")
            .Field<&C::N5>("N5")
            .Field<&C::Paste2Mitm>("Paste2Mitm")
            .Field<&C::N6>("N6")
            .Field<&C::New2Submenu>("New2Submenu")
            .Field<&C::NewFolder2Mitm>("NewFolder2Mitm")
            .Field<&C::N7>("N7")
            .Field<&C::Properties1Mitm>("Properties1Mitm")
            .Method<&C::FormCreate>("FormCreate")
            .Method<&C::FormKeyDown>("FormKeyDown")
            .Method<&C::ShowAppHint>("ShowAppHint")
            .Method<&C::KwShellList1PopupHint>("KwShellList1PopupHint")
            .Method<&C::CloseMitmClick>("CloseMitmClick")
            .Method<&C::ViewBtnClick>("ViewBtnClick")
            .Method<&C::KwShellTree1Change>("KwShellTree1Change")
            .Method<&C::UpOneLevelBtnClick>("UpOneLevelBtnClick")
            .Method<&C::DeleteBtnClick>("DeleteBtnClick")
            .Method<&C::TreeRefreshMitmClick>("TreeRefreshMitmClick")
            .Method<&C::TreeSelectPathnameMitmClick>("TreeSelectPathnameMitmClick")
            .Method<&C::TreeViewSelectedPathnameMitmClick>("TreeViewSelectedPathnameMitmClick")
            .Method<&C::SelectAll1Click>("SelectAll1Click")
            .Method<&C::InvertSelection1Click>("InvertSelection1Click")
            .Method<&C::NewFolder1MitmClick>("NewFolder1MitmClick")
            .Method<&C::Paste1Click>("Paste1Click")
            .Method<&C::Properties1MitmClick>("Properties1MitmClick")
            .Method<&C::Highlightexecutables1Click>("Highlightexecutables1Click")
            .Method<&C::Dimreadonlyfoldersintree1Click>("Dimreadonlyfoldersintree1Click")
            .Method<&C::KwShellList1CustomDrawSh>("KwShellList1CustomDrawSh")
            .Method<&C::KwShellTree1CustomDrawSh>("KwShellTree1CustomDrawSh")
            .Method<&C::F11MitmClick>("F11MitmClick")
            .Method<&C::FileSwapPanesMitmClick>("FileSwapPanesMitmClick")
            .Method<&C::KwShellTree1Edited>("KwShellTree1Edited");
    return table;
}

TFrmExplorer::TFrmExplorer(vcl::TComponent* owner) : vcl::TForm(owner) {}

TFrmExplorer::~TFrmExplorer()
{
    delete EditorKeys_;
    // The application's hints would otherwise go on reaching a freed form.
    if (vcl::Application()->OnHint.Method().Data == static_cast<void*>(this))
        vcl::Application()->OnHint = nullptr;
    if (FrmExplorer == this)
        FrmExplorer = nullptr;
}

// ---- start-up ----

void TFrmExplorer::FormCreate(vcl::TObject*)
{
    vcl::Application()->OnHint = {this, &TFrmExplorer::ShowAppHint};
    if (!EditorKeys_)
        EditorKeys_ = new TEditorKeyWatch(this);
    LoadUiTexts();
    for (int i = 0; i < KwGroup1->ControlCount(); ++i)
        if (auto* button = dynamic_cast<vcl::TSpeedButton*>(KwGroup1->Controls(i)))
            button->SetFlat(true);
}

void TFrmExplorer::LoadUiTexts()
{
    UpOneLevelBtn->SetHint(Str(kw::SUpOneLevelHint));
    LargeIconsBtn->SetHint(Str(kw::SViewLargeIconsHint) + "|" + Str(kw::SViewLargeIconsContext));
    SmallIconsBtn->SetHint(Str(kw::SViewSmallIconsHint) + "|" + Str(kw::SViewSmallIconsContext));
    ListBtn->SetHint(Str(kw::SViewListHint) + "|" + Str(kw::SViewListContext));
    DetailsBtn->SetHint(Str(kw::SViewDetailsHint) + "|" + Str(kw::SViewDetailsContext));
    SetMenuTexts(Str(kw::SEditPasteMenu), Str(kw::SPasteContext), {Paste2Mitm});
    SetMenuTexts(Str(kw::SPropertiesMenu), Str(kw::SPropertiesContext), {Properties1Mitm});
    SetMenuTexts(Str(kw::SViewLargeIconsMenu), Str(kw::SViewLargeIconsContext),
                 {LargeIconsMitm, LargeIcons2Mitm});
    SetMenuTexts(Str(kw::SViewSmallIconsMenu), Str(kw::SViewSmallIconsContext),
                 {SmalliconsMItm, Smallicons2Mitm});
    SetMenuTexts(Str(kw::SViewListMenu), Str(kw::SViewListContext), {ListMitm, List2Mitm});
    SetMenuTexts(Str(kw::SViewDetailsMenu), Str(kw::SViewDetailsContext), {DetailsMitm, Details2Mitm});
    SetMenuTexts(Str(kw::SViewMenu), Str(kw::SViewContext), {View1Submenu, View2Submenu});
    SetMenuTexts(Str(kw::SNewMenu), Str(kw::SNewContext), {New1Submenu, New2Submenu});
    SetMenuTexts(Str(kw::SNewFolderMenu), Str(kw::SNewFolderContext), {NewFolder1Mitm, NewFolder2Mitm});
}

// ---- status line and keys ----

void TFrmExplorer::ShowAppHint(vcl::TObject*)
{
    StatusBar1->Panels()->Items(0)->SetText(vcl::Application()->Hint());
}

void TFrmExplorer::KwShellList1PopupHint(vcl::TObject*, const std::string& aHint)
{
    vcl::Application()->SetHint(aHint);
}

void TFrmExplorer::FormKeyDown(vcl::TObject*, WORD& Key, vcl::TShiftState)
{
    if (Key == VK_ESCAPE)
        Close();
}

void TFrmExplorer::CloseMitmClick(vcl::TObject*)
{
    Close();
}

// ---- views and the tree ----

void TFrmExplorer::ViewBtnClick(vcl::TObject* Sender)
{
    auto* sender = dynamic_cast<vcl::TComponent*>(Sender);
    if (!sender)
        return;
    const int tag = sender->Tag();
    SetPropByTag({LargeIconsMitm, SmalliconsMItm, ListMitm, DetailsMitm}, "Checked", tag);
    SetPropByTag({LargeIcons2Mitm, Smallicons2Mitm, List2Mitm, Details2Mitm}, "Checked", tag);
    SetPropByTag({LargeIconsBtn, SmallIconsBtn, ListBtn, DetailsBtn}, "Down", tag);
    KwShellList1->SetViewStyle(static_cast<vcl::TViewStyle>(tag));
}

void TFrmExplorer::KwShellTree1Change(vcl::TObject*, vcl::TTreeNode* Node)
{
    StatusBar1->SetSimpleText(KwShellTree1->GetSelectedPathName());
    UpOneLevelBtn->SetEnabled(Node && Node->Parent());
}

void TFrmExplorer::UpOneLevelBtnClick(vcl::TObject*)
{
    KwShellTree1->GoUp(1);
}

void TFrmExplorer::DeleteBtnClick(vcl::TObject*)
{
    if (KwShellTree1->Focused())
        KwShellTree1->DoCommandForNode(KwShellTree1->Selected(), "delete");
    else
        KwShellList1->DoCommandForAllSelected("delete");
}

void TFrmExplorer::TreeRefreshMitmClick(vcl::TObject*)
{
    KwShellTree1->RefreshNodes();
    KwShellList1->FillItems();
}

void TFrmExplorer::TreeSelectPathnameMitmClick(vcl::TObject*)
{
    KwSysFolderDlg1->SetTitle("Select a folder to highlight.");
    if (KwSysFolderDlg1->Execute())
        KwShellCombo1->SelectedFolder()->SetIdList(KwSysFolderDlg1->GetFolderIdList());
}

void TFrmExplorer::TreeViewSelectedPathnameMitmClick(vcl::TObject*)
{
    const std::string path = KwShellTree1->GetSelectedPathName();
    if (!path.empty())
        vcl::ShowMessage("Selected Item: " + path);
    else
        vcl::ShowMessage("The selected item is not part of the filesystem.");
}

void TFrmExplorer::FileSwapPanesMitmClick(vcl::TObject*)
{
    KwSplitter1->SwapPanes(-1);
}

void TFrmExplorer::KwShellTree1Edited(vcl::TObject*, vcl::TTreeNode* Node, std::string&)
{
    if (Node && Node->Parent())
        KwShellTree1->SortNode(Node->Parent());
}

// ---- the list's commands ----

void TFrmExplorer::SelectAll1Click(vcl::TObject*)
{
    KwShellList1->SelectAll();
}

void TFrmExplorer::InvertSelection1Click(vcl::TObject*)
{
    vcl::TListItems* items = KwShellList1->Items();
    items->BeginUpdate();
    try {
        for (int i = 0; i < items->Count(); ++i) {
            vcl::TListItem* item = items->Item(i);
            item->SetSelected(!item->Selected());
        }
    } catch (...) {
        items->EndUpdate();
        throw;
    }
    items->EndUpdate();
}

void TFrmExplorer::NewFolder1MitmClick(vcl::TObject*)
{
    KwShellList1->CreateNewFolder(true);
}

void TFrmExplorer::Paste1Click(vcl::TObject*)
{
    KwShellList1->DoCommandForFolder("paste");
}

void TFrmExplorer::Properties1MitmClick(vcl::TObject*)
{
    KwShellList1->DoCommandForFolder("properties");
}

// ---- custom draw ----

void TFrmExplorer::Highlightexecutables1Click(vcl::TObject*)
{
    FHighlightExecutables = !FHighlightExecutables;
    Highlightexecutables1->SetChecked(FHighlightExecutables);
    KwShellList1->Invalidate();
}

void TFrmExplorer::Dimreadonlyfoldersintree1Click(vcl::TObject*)
{
    FDimReadOnly = !FDimReadOnly;
    Dimreadonlyfoldersintree1->SetChecked(FDimReadOnly);
    KwShellTree1->Invalidate();
    KwShellList1->Invalidate();
}

void TFrmExplorer::KwShellList1CustomDrawSh(vcl::TObject*, kw::TKwCustomDraw* aCD, vcl::TListItem*,
                                            kw::TKwShListData* aData)
{
    if (!aData)
        return;
    if (FHighlightExecutables) {
        const std::string ext = vcl::LowerCase(vcl::ExtractFileExt(aData->GetFilename()));
        if (ext == ".exe" || ext == ".com" || ext == ".bat" || ext == ".pif") {
            aCD->Font()->SetStyle(vcl::TFontStyles{vcl::fsBold});
            aCD->Font()->SetColor(vcl::clBlue);
        }
    }
    if (FDimReadOnly && !aData->GetEditable())
        aCD->Font()->SetColor(vcl::clBtnFace);
}

void TFrmExplorer::KwShellTree1CustomDrawSh(vcl::TObject*, kw::TKwCustomDraw* aCD, vcl::TTreeNode* aNode,
                                            kw::TKwShTreeData* aData)
{
    if (!FDimReadOnly || !aData || !aNode || aNode->Selected() || aNode->DropTarget())
        return;
    if (!aData->GetEditable())
        aCD->Font()->SetColor(vcl::clBtnFace);
}

// ---- the command prompt ----

void TFrmExplorer::F11MitmClick(vcl::TObject*)
{
    TExplorerTargets targets(KwShellTree1, KwShellList1);
    RunCommandPrompt(targets);
}

// ---- the unit ----

void FExplorerInitialization()
{
    vcl::RegisterClasses(
        {vcl::TSpeedButton::StaticClass(), vcl::TStatusBar::StaticClass(), vcl::TMainMenu::StaticClass(),
         vcl::TPopupMenu::StaticClass(), vcl::TMenuItem::StaticClass(), kw::TKwGroup::StaticClass(),
         kw::TKwPane::StaticClass(), kw::TKwSplitter::StaticClass(), kw::TKwShellCombo::StaticClass(),
         kw::TKwShellTree::StaticClass(), kw::TKwShellList::StaticClass(), kw::TKwSysFolderDlg::StaticClass(),
         TFrmExplorer::StaticClass()});
    detail::RegisterExplorerForm();
}

void FExplorerFinalization()
{
    detail::UnregisterExplorerForm();
}

} // namespace demo
