// The open and save dialogs' form: set-up from the component, the layout
// after translation, file types, the tree shown or hidden, the view buttons,
// the keys, and the list's selection mirrored into the file-name edit.

#include "FKwOpenDlg.h"
#include "FKwOpenDlg_p.h"

#include "UKwFrame.h"
#include "UKwImageCombo.h"
#include "UKwShConsts.h"
#include "UKwShellUtils.h"
#include "UKwSplitter.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/PathUtils.h"
#include "vcl/core/Publish.h"
#include "vcl/core/Resources.h"
#include "vcl/core/Strings.h"
#include "vcl/core/TypInfo.h"
#include "vcl/widgets/ControlMessages.h"
#include "win32/ComboBoxes.h"
#include "win32/Help.h"
#include "win32/ListViews.h"
#include "win32/MessageBox.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowPlacement.h"

#include <algorithm>
#include <filesystem>

namespace kw {

namespace {

// Posted to the form: the list's selection changed, the edit waits for its
// text.
constexpr UINT AM_MirrorSelection = WM_USER + 110;

constexpr int kGripSize = 13;
constexpr int kMinTrackWidth = 459;
constexpr int kMinTrackHeight = 274;

std::string Str(const vcl::TResStringRec& rec)
{
    return KwLoadStr(vcl::LoadResString(&rec));
}

} // namespace

const vcl::TClassRtti& TKwFrmOpenDlg::PublishedTable()
{
    using C = TKwFrmOpenDlg;
    static const vcl::TClassRtti table =
        vcl::Publish<C>()
            .Field<&C::LookInTxt>("LookInTxt")
            .Field<&C::KwShellCombo1>("KwShellCombo1")
            .Field<&C::UpOneLevelBtn>("UpOneLevelBtn")
            .Field<&C::ListBtn>("ListBtn")
            .Field<&C::DetailsBtn>("DetailsBtn")
            .Field<&C::CreateNewFolderBtn>("CreateNewFolderBtn")
            .Field<&C::Panel1>("Panel1")
            .Field<&C::FileNameTxt>("FileNameTxt")
            .Field<&C::FilesOfTypeTxt>("FilesOfTypeTxt")
            .Field<&C::FileTypesCbx>("FileTypesCbx")
            .Field<&C::FileNameEdt>("FileNameEdt")
            .Field<&C::OpenBtn>("OpenBtn")
            .Field<&C::CancelBtn>("CancelBtn")
            .Field<&C::FileNameCbx>("FileNameCbx")
            .Field<&C::KwSplitter1>("KwSplitter1")
            .Field<&C::KwShellList1>("KwShellList1")
            .Field<&C::KwShellTree1>("KwShellTree1")
            .Field<&C::ReadOnlyChk>("ReadOnlyChk")
            .Field<&C::ShowTreeBtn>("ShowTreeBtn")
            .Field<&C::HelpBtn>("HelpBtn")
            .Field<&C::LvPopup>("LvPopup")
            .Field<&C::View1Mitm>("View1Mitm")
            .Field<&C::N1>("N1")
            .Field<&C::New1Mitm>("New1Mitm")
            .Field<&C::N2>("N2")
            .Field<&C::Properties1Mitm>("Properties1Mitm")
            .Field<&C::Folder1Mitm>("Folder1Mitm")
            .Field<&C::LargeIcons1Mitm>("LargeIcons1Mitm")
            .Field<&C::Smallicons1MItm>("Smallicons1MItm")
            .Field<&C::List1Mitm>("List1Mitm")
            .Field<&C::Details1Mitm>("Details1Mitm")
            .Field<&C::Paste1Mitm>("Paste1Mitm")
            .Field<&C::N3>("N3")
            .Field<&C::SplitterContainer>("SplitterContainer")
            .Field<&C::ShowDesktopBtn>("ShowDesktopBtn")
            .Method<&C::FormCloseQuery>("FormCloseQuery")
            .Method<&C::FormDestroy>("FormDestroy")
            .Method<&C::FormKeyDown>("FormKeyDown")
            .Method<&C::FormResize>("FormResize")
            .Method<&C::FileTypesCbxSelEndOk>("FileTypesCbxSelEndOk")
            .Method<&C::FileNameEdtChange>("FileNameEdtChange")
            .Method<&C::KwShellList1Change>("KwShellList1Change")
            .Method<&C::KwShellList1FolderChanged>("KwShellList1FolderChanged")
            .Method<&C::KwShellTree1Change>("KwShellTree1Change")
            .Method<&C::ReadOnlyChkClick>("ReadOnlyChkClick")
            .Method<&C::HelpBtnClick>("HelpBtnClick")
            .Method<&C::UpOneLevelBtnClick>("UpOneLevelBtnClick")
            .Method<&C::ViewBtnClick>("ViewBtnClick")
            .Method<&C::CreateNewFolderBtnClick>("CreateNewFolderBtnClick")
            .Method<&C::ShowTreeBtnClick>("ShowTreeBtnClick")
            .Method<&C::ShowDesktopBtnClick>("ShowDesktopBtnClick")
            .Method<&C::Paste1MitmClick>("Paste1MitmClick")
            .Method<&C::Properties1MitmClick>("Properties1MitmClick");
    return table;
}

TKwFrmOpenDlg::TKwFrmOpenDlg(vcl::TComponent* owner)
    : vcl::TForm(owner), Files_(vcl::Create<vcl::TStringList>()), ResultList_(vcl::Create<vcl::TStringList>())
{
}

void TKwFrmOpenDlg::AfterConstruction()
{
    // The form resource is read by the inherited step.
    vcl::TForm::AfterConstruction();
    if (KwShellList1)
        KwShellList1->OnDblClickOpen = {this, &TKwFrmOpenDlg::ListDblClickOpen};
}

TKwFrmOpenDlg::~TKwFrmOpenDlg()
{
    ResultList_->Free();
    Files_->Free();
}

// ---- window, size and layout ----

void TKwFrmOpenDlg::CreateWnd()
{
    vcl::TForm::CreateWnd();
    const vcl::TRect client = ClientRect();
    SizeGrip_ = CreateWindowExA(0, "SCROLLBAR", nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SBS_SIZEGRIP,
                                client.right - kGripSize, client.bottom - kGripSize, kGripSize, kGripSize,
                                Handle(), nullptr, vcl::HInstance(), nullptr);
    SetWindowPos(SizeGrip_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TKwFrmOpenDlg::Dispatch(vcl::TMessage& message)
{
    switch (message.Msg) {
    case WM_GETMINMAXINFO: {
        vcl::TForm::Dispatch(message);
        if (auto* info = reinterpret_cast<vcl::MINMAXINFO*>(message.LParam)) {
            info->ptMinTrackSize = {kMinTrackWidth, kMinTrackHeight};
            message.Result = 0;
        }
        return;
    }
    case AM_MirrorSelection:
        FlushSelectionMirror();
        return;
    default:
        vcl::TForm::Dispatch(message);
    }
}

void TKwFrmOpenDlg::FormResize(vcl::TObject*)
{
    if (!SplitterContainer || !Panel1 || !OpenBtn)
        return;
    SplitterContainer->SetBoundsRect(
        {4, KwShellCombo1->Top() + KwShellCombo1->Height() + 4, ClientWidth() - 4, Panel1->Top()});
    const int x = ClientWidth() - OpenBtn->Width() - 16;
    for (vcl::TControl* button :
         {static_cast<vcl::TControl*>(OpenBtn), static_cast<vcl::TControl*>(CancelBtn),
          static_cast<vcl::TControl*>(HelpBtn)})
        button->SetLeft(x);
    for (vcl::TControl* box :
         {static_cast<vcl::TControl*>(FileNameCbx), static_cast<vcl::TControl*>(FileNameEdt),
          static_cast<vcl::TControl*>(FileTypesCbx)})
        box->SetWidth(x - box->Left() - 8);
    // Before CreateWnd made the grip, the handle is 0 and the call fails
    // without harm.
    const vcl::TRect client = ClientRect();
    SetWindowPos(SizeGrip_, HWND_TOP, client.right - kGripSize, client.bottom - kGripSize, 0, 0, SWP_NOSIZE);
}

void TKwFrmOpenDlg::DoTranslation()
{
    CancelBtn->SetCaption(Str(SCancelButton));
    HelpBtn->SetCaption(Str(SHelpButton));
    UpOneLevelBtn->SetHint(Str(SUpOneLevelHint));
    CreateNewFolderBtn->SetHint(Str(SCreateNewFolderHint));
    ListBtn->SetHint(Str(SViewListHint) + "|" + Str(SViewListContext));
    DetailsBtn->SetHint(Str(SViewDetailsHint) + "|" + Str(SViewDetailsContext));
    ReadOnlyChk->SetCaption(Str(SOpenAsReadOnly));
    FileNameTxt->SetCaption(Str(SFileName));
    ShowTreeBtn->SetHint(Str(SShowTreeHint));
    const struct {
        vcl::TMenuItem* Item;
        const vcl::TResStringRec& Caption;
        const vcl::TResStringRec& Hint;
    } items[] = {
        {View1Mitm, SViewMenu, SViewContext},
        {LargeIcons1Mitm, SViewLargeIconsMenu, SViewLargeIconsContext},
        {Smallicons1MItm, SViewSmallIconsMenu, SViewSmallIconsContext},
        {List1Mitm, SViewListMenu, SViewListContext},
        {Details1Mitm, SViewDetailsMenu, SViewDetailsContext},
        {Paste1Mitm, SEditPasteMenu, SPasteContext},
        {New1Mitm, SNewMenu, SNewPopupContext},
        {Folder1Mitm, SNewFolderMenu, SCreateFolderContext},
        {Properties1Mitm, SPropertiesMenu, SPropertiesContext},
    };
    for (const auto& item : items) {
        item.Item->SetCaption(Str(item.Caption));
        item.Item->SetHint(Str(item.Hint));
    }
    // The boxes start after the longer label; the look-in combo after its
    // label. Each keeps its other edges.
    const int x = std::max(FileNameTxt->Left() + FileNameTxt->Width(),
                           FilesOfTypeTxt->Left() + FilesOfTypeTxt->Width()) +
                  8;
    for (vcl::TControl* box :
         {static_cast<vcl::TControl*>(FileTypesCbx), static_cast<vcl::TControl*>(FileNameEdt),
          static_cast<vcl::TControl*>(ReadOnlyChk)}) {
        const vcl::TRect r = box->BoundsRect();
        box->SetBoundsRect({x, r.top, r.right, r.bottom});
    }
    const vcl::TRect combo = KwShellCombo1->BoundsRect();
    KwShellCombo1->SetBoundsRect(
        {LookInTxt->Left() + LookInTxt->Width() + 8, combo.top, combo.right, combo.bottom});
}

void TKwFrmOpenDlg::DoShow()
{
    vcl::Screen()->SetCursor(vcl::crHourGlass);
    SetCursor(vcl::crHourGlass);
    vcl::TForm::DoShow();
    Font()->SetName(Str(SDialogFontName));
    SendMessageA(FileTypesCbx->Handle(), CB_SETEXTENDEDUI, 1, 0);
    if (!Options_.Contains(kwofAllowTree)) {
        ShowTreeBtn->SetVisible(false);
        const int shift = ListBtn->Left() - ShowTreeBtn->Left();
        ListBtn->SetLeft(ShowTreeBtn->Left());
        DetailsBtn->SetLeft(DetailsBtn->Left() - shift);
    }
    int bottom = 0;
    for (int i = 0; i < Panel1->ControlCount(); ++i) {
        vcl::TControl* child = Panel1->Controls(i);
        if (child->Visible())
            bottom = std::max(bottom, child->Top() + child->Height());
    }
    Panel1->SetHeight(bottom + 4);
    DoTranslation();
    ShowTree(Options_.Contains(kwofShowTree));
    // Where the form opens: InitialDir, else the folder of a path in the
    // edit (the edit keeps the name), else the current directory.
    std::string start = InitialDir_;
    if (start.empty()) {
        const std::string text = FileNameEdt->Text();
        const auto slash = text.rfind('/');
        if (slash != std::string::npos) {
            start = slash == 0 ? std::string("/") : text.substr(0, slash);
            if (slash + 1 < text.size())
                FileNameEdt->SetText(text.substr(slash + 1));
        } else {
            std::error_code error;
            start = std::filesystem::current_path(error).string();
        }
    }
    KwShellCombo1->SelectedFolder()->SetPathName(start);
    LastInput_ = lisList;
    Shown_ = true;
    DoOnFormShow();
    SetCursor(vcl::crDefault);
    vcl::Screen()->SetCursor(vcl::crDefault);
}

void TKwFrmOpenDlg::DoHide()
{
    Shown_ = false;
    vcl::TForm::DoHide();
    DoOnFormClose();
}

void TKwFrmOpenDlg::DoOnFormClose()
{
    if (OnFormClose)
        OnFormClose(this);
}

void TKwFrmOpenDlg::DoOnFolderChanged()
{
    if (OnFolderChanged)
        OnFolderChanged(this);
}

void TKwFrmOpenDlg::DoOnSelectionChanged()
{
    if (OnSelectionChanged)
        OnSelectionChanged(this);
}

void TKwFrmOpenDlg::DoOnFormShow()
{
    if (OnFormShow)
        OnFormShow(this);
}

void TKwFrmOpenDlg::DoOnTypeChanged()
{
    if (OnTypeChanged)
        OnTypeChanged(this);
}

// ---- what the component hands over ----

void TKwFrmOpenDlg::SetFilename(const std::string& name)
{
    FileNameEdt->SetText(name);
}

std::string TKwFrmOpenDlg::GetFilename()
{
    if (Shown_)
        return ResultList_->Count() > 0 ? ResultList_->Strings(0) : std::string();
    return EditText();
}

vcl::TStrings* TKwFrmOpenDlg::GetFiles()
{
    GetSelectedFiles(Files_);
    return Files_;
}

void TKwFrmOpenDlg::GetSelectedFiles(vcl::TStrings* list)
{
    list->Assign(ResultList_);
}

void TKwFrmOpenDlg::SetFilter(const std::string& filter)
{
    Filter_ = filter;
    ParseFilterString(filter, FileTypesCbx->Items());
}

void TKwFrmOpenDlg::ParseFilterString(const std::string& filter, vcl::TStrings* items)
{
    // "|" is a single byte that no lead byte of a double-byte character
    // takes as its trail, so a split at it never cuts a character.
    std::size_t at = 0;
    while (at < filter.size()) {
        const std::size_t bar = filter.find('|', at);
        const std::string description =
            filter.substr(at, bar == std::string::npos ? std::string::npos : bar - at);
        at = bar == std::string::npos ? filter.size() : bar + 1;
        std::string mask;
        if (at < filter.size()) {
            const std::size_t next = filter.find('|', at);
            mask = filter.substr(at, next == std::string::npos ? std::string::npos : next - at);
            at = next == std::string::npos ? filter.size() : next + 1;
        }
        auto* rec = new TFilterItemRec;
        rec->Mask = mask;
        items->AddObject(description, rec);
    }
}

void TKwFrmOpenDlg::FreeFilterItems()
{
    if (!FileTypesCbx)
        return;
    vcl::TStrings* items = FileTypesCbx->Items();
    for (int i = 0; i < items->Count(); ++i) {
        delete static_cast<TFilterItemRec*>(items->Objects(i));
        items->SetObjects(i, nullptr);
    }
}

void TKwFrmOpenDlg::FormDestroy(vcl::TObject*)
{
    FreeFilterItems();
}

int TKwFrmOpenDlg::GetFilterIndex()
{
    return FileTypesCbx->Items()->Count() == 0 ? 0 : FileTypesCbx->ItemIndex() + 1;
}

void TKwFrmOpenDlg::SetFilterIndex(int index)
{
    const int count = FileTypesCbx->Items()->Count();
    if (index >= 1 && index <= count) {
        FileTypesCbx->SetItemIndex(index - 1);
        FileTypesCbxSelEndOk(FileTypesCbx);
    } else if (count > 0) {
        // The first type shows; the list keeps its filter until one is picked.
        FileTypesCbx->SetItemIndex(0);
    }
}

void TKwFrmOpenDlg::FileTypesCbxSelEndOk(vcl::TObject*)
{
    if (!UserFilter_.empty())
        FileNameEdt->SetText("");
    UserFilter_.clear();
    const int index = FileTypesCbx->ItemIndex();
    if (index >= 0)
        KwShellList1->SetFileFilter(
            static_cast<TFilterItemRec*>(FileTypesCbx->Items()->Objects(index))->Mask);
    if (Shown_)
        DoOnTypeChanged();
}

void TKwFrmOpenDlg::ApplyUserFilter(const std::string& mask)
{
    UserFilter_ = mask;
    KwShellList1->SetFileFilter(mask);
    KwShellList1->FillItems();
}

std::string TKwFrmOpenDlg::SelectedTypeMask()
{
    const int index = FileTypesCbx->ItemIndex();
    if (index < 0)
        return {};
    auto* rec = static_cast<TFilterItemRec*>(FileTypesCbx->Items()->Objects(index));
    return rec ? rec->Mask : std::string();
}

int TKwFrmOpenDlg::GetFormSplitterPos()
{
    return KwSplitter1->Position();
}

void TKwFrmOpenDlg::SetFormSplitterPos(int pos)
{
    KwSplitter1->SetPosition(pos);
}

void TKwFrmOpenDlg::SetInitialDir(const std::string& dir)
{
    InitialDir_ = dir;
    // Before the form shows, DoShow takes the list there, once the options
    // and the file type are set: the folder is filled once, not again for
    // each of them.
    if (Shown_)
        KwShellList1->Folder()->SetPathName(dir);
}

void TKwFrmOpenDlg::SetOptions(TKwOpenOptions options)
{
    Options_ = options;
    TKwShellTreeOptions tree = KwShellTree1->Options();
    TKwShellListOptions list = KwShellList1->Options();
    const auto both = [&](TKwOpenOption option, TKwShellTreeOption t, TKwShellListOption l) {
        if (options.Contains(option)) {
            tree += t;
            list += l;
        } else {
            tree -= t;
            list -= l;
        }
    };
    both(kwofOleDrag, kwstoOleDrag, kwsloOleDrag);
    both(kwofOleDrop, kwstoOleDrop, kwsloOleDrop);
    both(kwofShowHidden, kwstoShowHidden, kwsloShowHidden);
    if (options.Contains(kwofHideFoldersInListWhenTreeVisible))
        list += kwsloHideFoldersWhenLinkedToTree;
    else
        list -= kwsloHideFoldersWhenLinkedToTree;
    KwShellList1->SetMultiSelect(options.Contains(kwofAllowMultiselect));
    KwShellTree1->SetOptions(tree);
    KwShellList1->SetOptions(list);
    ReadOnlyChk->SetVisible(!options.Contains(kwofHideReadOnly));
    HelpBtn->SetVisible(options.Contains(kwofShowHelp));
    SetShowHint(options.Contains(kwofShowHints));
}

TKwOpenOptions TKwFrmOpenDlg::GetOptions() const
{
    TKwOpenOptions options = Options_;
    if (ReadOnlyChk->Visible()) {
        if (ReadOnlyChk->Checked())
            options += kwofReadOnly;
        else
            options -= kwofReadOnly;
    }
    return options;
}

void TKwFrmOpenDlg::ReadOnlyChkClick(vcl::TObject*)
{
    if (ReadOnlyChk->Checked())
        Options_ += kwofReadOnly;
    else
        Options_ -= kwofReadOnly;
}

void TKwFrmOpenDlg::SetOnAddListItem(TKwShAddItemEvent handler)
{
    KwShellList1->OnAddItem = handler;
}

void TKwFrmOpenDlg::SetOnAddTreeItem(TKwShAddItemEvent handler)
{
    KwShellTree1->OnAddItem = handler;
}

void TKwFrmOpenDlg::SetOnLvCustomDrawSh(TKwShLvCustomDrawEvent handler)
{
    KwShellList1->OnCustomDrawSh = handler;
}

void TKwFrmOpenDlg::SetOnLvCustomDrawShEx(TKwShLvCustomDrawEvent handler)
{
    KwShellList1->OnCustomDrawShEx = handler;
}

void TKwFrmOpenDlg::SetOnTvCustomDrawSh(TKwShTvCustomDrawEvent handler)
{
    KwShellTree1->OnCustomDrawSh = handler;
}

void TKwFrmOpenDlg::SetOnTvCustomDrawShEx(TKwShTvCustomDrawEvent handler)
{
    KwShellTree1->OnCustomDrawShEx = handler;
}

// ---- the tree ----

void TKwFrmOpenDlg::ShowTree(bool show)
{
    const bool linked = KwShellCombo1->ShellTree() == KwShellTree1;
    if (show) {
        if (linked && KwSplitter1->Position() > -KwSplitter1->SplitterWidth())
            return;
        ShowTreeBtn->SetDown(true);
        try {
            if (linked) {
                KwShellTree1->SetShellList(KwShellList1);
                KwShellCombo1->SetShellTree(KwShellTree1);
            } else {
                const vcl::TCursor cursor = vcl::Screen()->Cursor();
                vcl::Screen()->SetCursor(vcl::crHourGlass);
                struct Restore {
                    vcl::TCursor Cursor;
                    ~Restore() { vcl::Screen()->SetCursor(Cursor); }
                } restore{cursor};
                KwShellTree1->SetSelectedFolder(KwShellCombo1->SelectedFolder());
                KwShellCombo1->SetShellList(nullptr);
                KwShellCombo1->SetShellTree(KwShellTree1);
                KwShellTree1->SetShellList(KwShellList1);
                KwSplitter1->SetPaneMinSize(0, 4);
            }
            const int pos = KwSplitter1->Position();
            KwSplitter1->SetPosition(pos < 0 ? 200 : pos);
        } catch (...) {
            ShowTreeBtn->SetDown(false);
            throw;
        }
        SetOptions(Options_ + kwofShowTree);
        KwShellTree1->SetTabStop(true);
    } else {
        ShowTreeBtn->SetDown(false);
        if (KwShellTree1->Focused())
            KwShellList1->SetFocus();
        KwShellTree1->SetTabStop(false);
        KwShellTree1->SetShellList(nullptr);
        KwShellCombo1->SetShellTree(nullptr);
        KwShellCombo1->SetShellList(KwShellList1);
        KwSplitter1->SetPosition(KwSplitter1->Position());
        KwSplitter1->SetPaneMinSize(0, -KwSplitter1->SplitterWidth());
        KwSplitter1->SetPosition(-KwSplitter1->SplitterWidth());
        SetOptions(Options_ - kwofShowTree);
    }
    if (KwShellList1->Visible() && KwShellList1->Options().Contains(kwsloHideFoldersWhenLinkedToTree))
        KwShellList1->FillItems();
}

void TKwFrmOpenDlg::ShowTreeBtnClick(vcl::TObject*)
{
    ShowTree(ShowTreeBtn->Down());
}

// ---- the list's view, buttons and menu ----

void TKwFrmOpenDlg::ViewBtnClick(vcl::TObject* sender)
{
    const auto tag = vcl::As<vcl::TComponent>(sender)->Tag();
    KwShellList1->SetViewStyle(static_cast<vcl::TViewStyle>(tag));
    for (vcl::TComponent* button :
         {static_cast<vcl::TComponent*>(ListBtn), static_cast<vcl::TComponent*>(DetailsBtn)})
        vcl::SetOrdProp(button, "Down", button->Tag() == tag);
    for (vcl::TComponent* item :
         {static_cast<vcl::TComponent*>(LargeIcons1Mitm), static_cast<vcl::TComponent*>(Smallicons1MItm),
          static_cast<vcl::TComponent*>(List1Mitm), static_cast<vcl::TComponent*>(Details1Mitm)})
        vcl::SetOrdProp(item, "Checked", item->Tag() == tag);
}

void TKwFrmOpenDlg::UpOneLevelBtnClick(vcl::TObject*)
{
    KwShellCombo1->GoUp(1);
}

void TKwFrmOpenDlg::ShowDesktopBtnClick(vcl::TObject*)
{
    KwShellList1->Folder()->SetCSIDL(csidlDesktop);
}

void TKwFrmOpenDlg::CreateNewFolderBtnClick(vcl::TObject*)
{
    if (KwShellTree1->Focused() ||
        (ShowTreeBtn->Down() && Options_.Contains(kwofHideFoldersInListWhenTreeVisible)))
        KwShellTree1->CreateNewFolder();
    else
        KwShellList1->CreateNewFolder(true);
}

void TKwFrmOpenDlg::Paste1MitmClick(vcl::TObject*)
{
    KwShellList1->DoCommandForFolder("paste");
}

void TKwFrmOpenDlg::Properties1MitmClick(vcl::TObject*)
{
    KwShellList1->DoCommandForFolder("properties");
}

void TKwFrmOpenDlg::HelpBtnClick(vcl::TObject*)
{
    // The component's handler answers the form's help first.
    bool callHelp = true;
    FormHelp(HELP_CONTEXT, HelpContext_, callHelp);
    if (callHelp)
        vcl::Application()->HelpContext(HelpContext_);
}

bool TKwFrmOpenDlg::FormHelp(WORD command, LONG_PTR data, bool& callHelp)
{
    return OnHelp ? OnHelp(command, data, callHelp) : false;
}

// ---- keys ----

void TKwFrmOpenDlg::FormKeyDown(vcl::TObject*, WORD& key, vcl::TShiftState shift)
{
    if (!shift.Empty())
        return;
    switch (key) {
    case VK_F4:
        if (KwShellCombo1->DroppedDown()) {
            KwShellCombo1->SetDroppedDown(false);
            KwShellList1->SetFocus();
            KwShellCombo1->Perform(vcl::CN_COMMAND, MAKEWPARAM(0, CBN_SELENDOK),
                                   reinterpret_cast<LPARAM>(KwShellCombo1->Handle()));
        } else {
            KwShellCombo1->SetFocus();
            KwShellCombo1->SetDroppedDown(true);
        }
        // Handled here: the combo would otherwise toggle its list back.
        key = 0;
        break;
    case VK_F5:
        // A focused list or tree refreshes itself; a focused combo not.
        if (!KwShellCombo1->Focused())
            KwShellCombo1->FillItems();
        if (!KwShellList1->Focused())
            KwShellList1->FillItems();
        if (!KwShellTree1->Focused() && KwShellTree1->ShellList() == KwShellList1)
            KwShellTree1->RefreshNodes();
        break;
    case VK_F12:
        if (Options_.Contains(kwofAllowTree))
            ShowTree(!ShowTreeBtn->Down());
        break;
    default:
        break;
    }
}

// ---- the list's selection, the edit and the tree ----

void TKwFrmOpenDlg::KwShellList1Change(vcl::TObject*, vcl::TListItem*, vcl::TItemChange change)
{
    if (change != vcl::ctState || !Shown_)
        return;
    // A range selection changes every item of it; the edit's text is worked
    // out once for the whole run, when the run is over or before anyone
    // reads the edit.
    if (!MirrorPending_) {
        MirrorPending_ = true;
        PostMessageA(Handle(), AM_MirrorSelection, 0, 0);
    }
    LastInput_ = lisList;
    DoOnSelectionChanged();
}

void TKwFrmOpenDlg::FlushSelectionMirror()
{
    if (!MirrorPending_)
        return;
    MirrorPending_ = false;
    if (Shown_)
        MirrorSelection();
}

void TKwFrmOpenDlg::MirrorSelection()
{
    const TKwFrmOpenDlg_LIS last = LastInput_;
    if (KwShellList1->SelCount() < 2) {
        TKwShListData* data = nullptr;
        if (vcl::TListItem* item = KwShellList1->Selected())
            data = KwShellList1->GetDataFromItem(item);
        if (data && !data->IsFolder())
            FileNameEdt->SetText(data->GetDisplayName());
        LastInput_ = last;
        return;
    }
    // Many items: each is asked once, of the folder that listed it, whether
    // it is a folder and, for a file-system item, its full parsing name, whose
    // last part is its file name. Looking at every item afresh on disk, or
    // building its absolute list and path, would cost more than the whole
    // list's fill for a large selection.
    IShellFolder* folder = KwShellList1->GetCurrentFolderIShf();
    vcl::TListItems* items = KwShellList1->Items();
    const auto next = [this](int row) {
        // Row by row: an item asked for the next one would first look for its
        // own row, a walk through the list for every item once sorted.
        return static_cast<int>(
            KwShellList1->Perform(LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_ALL | LVNI_SELECTED));
    };
    std::string text;
    std::string firstName;
    std::string parsing;
    int files = 0;
    for (int row = next(-1); row >= 0 && row < items->Count(); row = next(row)) {
        TKwShListData* data = KwShellList1->GetDataFromItem(items->Item(row));
        if (!data)
            continue;
        ULONG attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM;
        LPCITEMIDLIST relative = data->GetRelPidl();
        const bool answered =
            folder && relative && SUCCEEDED(folder->GetAttributesOf(1, &relative, &attributes));
        if (answered ? (attributes & SFGAO_FOLDER) != 0 : data->IsFolder())
            continue;
        std::string name;
        if (answered && (attributes & SFGAO_FILESYSTEM)) {
            GetShellDisplayName(folder, relative, SHGDN_FORPARSING, parsing);
            name = parsing.starts_with('/') ? vcl::ExtractFileName(parsing) : data->GetFilename();
        } else {
            name = data->GetFilename();
        }
        if (++files == 1) {
            // One file alone shows its display name.
            firstName = std::move(name);
            text = data->GetDisplayName();
            continue;
        }
        if (files == 2)
            text = '"' + firstName + '"';
        text += " \"";
        text += name;
        text += '"';
    }
    if (files > 0)
        FileNameEdt->SetText(text);
    LastInput_ = last;
}

void TKwFrmOpenDlg::KwShellTree1Change(vcl::TObject*, vcl::TTreeNode* node)
{
    if (Shown_ && node)
        FileNameEdt->SetText("");
}

void TKwFrmOpenDlg::FileNameEdtChange(vcl::TObject*)
{
    if (Shown_)
        LastInput_ = lisEdit;
}

void TKwFrmOpenDlg::KwShellList1FolderChanged(vcl::TObject*)
{
    if (Shown_)
        DoOnFolderChanged();
}

void TKwFrmOpenDlg::ListDblClickOpen(vcl::TObject*, bool& handled)
{
    SetModalResult(vcl::mrOk);
    handled = true;
}

void TKwFrmOpenDlg::FormCloseQuery(vcl::TObject*, bool& canClose)
{
    FlushSelectionMirror();
    TypedNameCloseQuery(*this, ModalResult(), canClose);
}

// ---- the accept path's view of the form ----

std::string TKwFrmOpenDlg::Base()
{
    return KwShellList1->Folder()->GetPathName();
}

std::string TKwFrmOpenDlg::EditText()
{
    FlushSelectionMirror();
    return FileNameEdt->Text();
}

void TKwFrmOpenDlg::SetEditText(const std::string& text)
{
    FileNameEdt->SetText(text);
}

void TKwFrmOpenDlg::SelectEditText()
{
    FileNameEdt->SelectAll();
}

int TKwFrmOpenDlg::ItemCount()
{
    return KwShellList1->Items()->Count();
}

TKwListItemInfo TKwFrmOpenDlg::Item(int index)
{
    vcl::TListItem* item = KwShellList1->Items()->Item(index);
    TKwListItemInfo info;
    info.Caption = item->Caption();
    if (TKwShListData* data = KwShellList1->GetDataFromItem(item)) {
        info.Path = data->GetPathName();
        info.IsFolder = data->IsFolder();
    }
    return info;
}

std::string TKwFrmOpenDlg::ItemCaption(int index)
{
    return KwShellList1->Items()->Item(index)->Caption();
}

int TKwFrmOpenDlg::SelectedItem()
{
    vcl::TListItem* item = KwShellList1->Selected();
    return item ? item->Index() : -1;
}

void TKwFrmOpenDlg::SelectAndFocusItem(int index)
{
    vcl::TListItem* item = KwShellList1->Items()->Item(index);
    KwShellList1->ClearSelection();
    item->SetSelected(true);
    item->SetFocused(true);
    item->MakeVisible(false);
    KwShellList1->SetFocus();
}

void TKwFrmOpenDlg::NavigateToPath(const std::string& path)
{
    KwShellCombo1->SelectedFolder()->SetPathName(path);
}

void TKwFrmOpenDlg::NavigateToIdList(LPCITEMIDLIST idList)
{
    KwShellCombo1->SelectedFolder()->SetIdList(idList);
}

vcl::TModalResult TKwFrmOpenDlg::Ask(vcl::PResStringRec message, const std::string& insert,
                                     vcl::TMsgDlgType type, vcl::TMsgDlgButtons buttons)
{
    return static_cast<vcl::TModalResult>(vcl::MessageDlg(FormatPrompt(message, insert), type, buttons, 0));
}

void TKwFrmOpenDlg::Beep()
{
    MessageBeep(0);
}

HWND TKwFrmOpenDlg::OwnerWindow()
{
    return HandleAllocated() ? Handle() : nullptr;
}

} // namespace kw
