#include "FKwFolderBrowseDlg.h"

#include "UKwShConsts.h"
#include "UKwShellUtils.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Publish.h"
#include "vcl/core/Resources.h"
#include "vcl/widgets/Application.h"
#include "win32/WindowManager.h"
#include "win32/WindowPlacement.h"

namespace kw {

using namespace vcl;

TKwFrmFolderBrowseDlg* KwFrmFolderBrowseDlg = nullptr;

namespace {

// The smallest the person may make the form, frame and caption included.
constexpr int kMinTrackWidth = 366;
constexpr int kMinTrackHeight = 340;
// The size grip's side, in the client area's bottom-right corner.
constexpr int kGripSize = 13;
// The window manager draws the frame here; the layout's numbers assume a
// 4-pixel frame a side around the client area.
constexpr int kAssumedFrame = 4;
constexpr int kAssumedCaption = 19;

// Which tree option each dialog option sets.
struct OptionTwin {
    TKwFolderBrowseDlgOption Dialog;
    TKwShellTreeOption Tree;
};
constexpr OptionTwin kTreeTwins[] = {
    {kwfbOleDrag, kwstoOleDrag},
    {kwfbOleDrop, kwstoOleDrop},
    {kwfbIncludeNonFolders, kwstoIncludeNonFolders},
    {kwfbVirtualFolders, kwstoVirtualFolders},
    {kwfbContextMenus, kwstoContextMenus},
    {kwfbShowHidden, kwstoShowHidden},
};

} // namespace

// ---- the form ----

TKwFrmFolderBrowseDlg::TKwFrmFolderBrowseDlg(TComponent* owner) : TForm(owner) {}

std::string TKwFrmFolderBrowseDlg::GetSelectedPathname() const
{
    return KwShellTree1->GetSelectedPathName();
}

void TKwFrmFolderBrowseDlg::SetSelectedPathname(const std::string& value)
{
    KwShellTree1->SetSelectedPathName(value);
}

std::string TKwFrmFolderBrowseDlg::GetStatus() const
{
    return StatusTxt->Caption();
}

void TKwFrmFolderBrowseDlg::SetStatus(const std::string& value)
{
    StatusTxt->SetCaption(value);
}

bool TKwFrmFolderBrowseDlg::GetOkEnabled() const
{
    return OkBtn->Enabled();
}

void TKwFrmFolderBrowseDlg::SetOkEnabled(bool value)
{
    OkBtn->SetEnabled(value);
}

void TKwFrmFolderBrowseDlg::SetOptions(TKwFolderBrowseDlgOptions options)
{
    Options_ = options;
    TKwShellTreeOptions treeOptions = KwShellTree1->Options();
    for (const OptionTwin& twin : kTreeTwins) {
        if (options.Contains(twin.Dialog))
            treeOptions.Include(twin.Tree);
        else
            treeOptions.Exclude(twin.Tree);
    }
    KwShellTree1->SetOptions(treeOptions);
    CreateBtn->SetVisible(options.Contains(kwfbCreateDeleteButtons));
    DeleteBtn->SetVisible(options.Contains(kwfbCreateDeleteButtons));
    CreateNewFolderBtn->SetVisible(options.Contains(kwfbCreateFolderIcon));
    DeleteFolderBtn->SetVisible(options.Contains(kwfbDeleteFolderIcon));
    KwShellTree1->SetReadOnly(options.Contains(kwfbReadOnly));
}

void TKwFrmFolderBrowseDlg::FormCreate(TObject*)
{
    KwShellTree1->SetShowRoot(true);
}

void TKwFrmFolderBrowseDlg::HoldBackAutoFill()
{
    if (!KwShellTree1)
        return;
    TKwShellTreeOptions options = KwShellTree1->Options();
    if (!options.Contains(kwstoAutoFill))
        return;
    AutoFillHeld_ = true;
    options.Exclude(kwstoAutoFill);
    KwShellTree1->SetOptions(options);
}

void TKwFrmFolderBrowseDlg::Loaded()
{
    TForm::Loaded();
    // The tree fills as soon as its base changes, window or not, and the
    // dialog sets the base before the window is made: the hold-back starts
    // when the stored form has been read.
    HoldBackAutoFill();
}

void TKwFrmFolderBrowseDlg::CreateWnd()
{
    // The first fill waits for the show, when the dialog has set the base
    // and the selected folder.
    HoldBackAutoFill();
    TForm::CreateWnd();
    const TRect client = ClientRect();
    SizeGrip_ = CreateWindowExA(0, "SCROLLBAR", "",
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SBS_SIZEGRIP,
                                client.right - kGripSize, client.bottom - kGripSize, kGripSize, kGripSize,
                                Handle(), nullptr, vcl::HInstance(), nullptr);
    SetWindowPos(SizeGrip_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    // The platform's new window is told its size (WM_SIZE), which lays the
    // form out for the options set meanwhile.
    Resize();
}

void TKwFrmFolderBrowseDlg::DoShow()
{
    // The framework may show a form before its window is made; the window
    // (with its held-back fill) is there when the form shows, as on the
    // platform.
    HandleNeeded();
    TForm::DoShow();
    Font()->SetName(KwLoadStr(&SDialogFontName));
    if (AutoFillHeld_) {
        AutoFillHeld_ = false;
        TKwShellTreeOptions options = KwShellTree1->Options();
        options.Include(kwstoAutoFill);
        KwShellTree1->SetOptions(options);
        KwShellTree1->FillItems();
    }
    DoTranslation();
    if (FormShowHandler)
        FormShowHandler(this);
}

void TKwFrmFolderBrowseDlg::DoHide()
{
    TForm::DoHide();
    if (FormCloseHandler)
        FormCloseHandler(this);
}

void TKwFrmFolderBrowseDlg::DoTranslation()
{
    OkBtn->SetCaption(KwLoadStr(&SOKButton));
    CancelBtn->SetCaption(KwLoadStr(&SCancelButton));
    CreateNewFolderBtn->SetHint(KwLoadStr(&SCreateFolder) + "|" + KwLoadStr(&SCreateFolderContext));
    DeleteFolderBtn->SetHint(KwLoadStr(&SDeleteHint) + "|" + KwLoadStr(&SDeleteContext));
    if (Caption().empty())
        SetCaption(KwLoadStr(&SBrowseForFolder));
}

void TKwFrmFolderBrowseDlg::FormResize(TObject*)
{
    // Sizes set while the stored form is read come before its controls.
    if (!KwShellTree1 || !StatusTxt || !ButtonPanel || !OkBtn || !CancelBtn || !CreateNewFolderBtn ||
        !DeleteFolderBtn)
        return;
    const int outerWidth = ClientWidth() + 2 * kAssumedFrame;
    StatusTxt->SetWidth(outerWidth - 24);
    KwShellTree1->SetBounds(KwShellTree1->Left(), StatusTxt->Top() + StatusTxt->Height() + 8, outerWidth - 24,
                            ButtonPanel->Top() - 8 - (StatusTxt->Top() + StatusTxt->Height() + 8));
    if (Options_.Contains(kwfbCreateDeleteButtons)) {
        OkBtn->SetLeft(KwShellTree1->Left());
        CancelBtn->SetLeft(OkBtn->Left() + OkBtn->Width() + 4);
    } else {
        CancelBtn->SetLeft(ClientRect().right - 16 - CancelBtn->Width());
        OkBtn->SetLeft(CancelBtn->Left() - 4 - OkBtn->Width());
    }
    int x = ClientRect().right - 16;
    if (DeleteFolderBtn->Visible()) {
        DeleteFolderBtn->SetBounds(x - DeleteFolderBtn->Width(), DeleteFolderBtn->Top(),
                                   DeleteFolderBtn->Width(), DeleteFolderBtn->Height());
        x = DeleteFolderBtn->Left() - 8;
    }
    if (CreateNewFolderBtn->Visible()) {
        CreateNewFolderBtn->SetBounds(x - CreateNewFolderBtn->Width(), CreateNewFolderBtn->Top(),
                                      CreateNewFolderBtn->Width(), CreateNewFolderBtn->Height());
        x = CreateNewFolderBtn->Left() - 4;
    }
    StatusTxt->SetBounds(StatusTxt->Left(), StatusTxt->Top(), x - StatusTxt->Left(), StatusTxt->Height());
    const TRect client = ClientRect();
    SetWindowPos(SizeGrip_, HWND_TOP, client.right - kGripSize, client.bottom - kGripSize, 0, 0, SWP_NOSIZE);
}

void TKwFrmFolderBrowseDlg::Dispatch(TMessage& message)
{
    if (message.Msg == WM_GETMINMAXINFO) {
        WMGetMinMaxInfo(message);
        return;
    }
    TForm::Dispatch(message);
}

void TKwFrmFolderBrowseDlg::WMGetMinMaxInfo(TMessage& message)
{
    TForm::Dispatch(message);
    if (auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam))
        // A window here is as large as its client area (the window manager's
        // frame lies outside), so the frame and caption the limit counts go.
        info->ptMinTrackSize = {kMinTrackWidth - 2 * kAssumedFrame,
                                kMinTrackHeight - 2 * kAssumedFrame - kAssumedCaption};
}

void TKwFrmFolderBrowseDlg::KwShellTree1Change(TObject*, TTreeNode* node)
{
    TKwShTreeData* data = KwShellTree1->GetDataFromNode(node);
    if (!data)
        return;
    const bool hasPath = !data->GetPathName().empty();
    CreateBtn->SetEnabled(hasPath);
    CreateNewFolderBtn->SetEnabled(hasPath);
    // The top node, the tree's root, is never deleted.
    DeleteBtn->SetEnabled(hasPath && node->AbsoluteIndex() != 0);
    DeleteFolderBtn->SetEnabled(DeleteBtn->Enabled());
    if (SelChangeHandler)
        SelChangeHandler(this, data->GetAbsPidl());
}

void TKwFrmFolderBrowseDlg::CreateBtnClick(TObject*)
{
    KwShellTree1->CreateNewFolder();
}

void TKwFrmFolderBrowseDlg::DeleteBtnClick(TObject*)
{
    KwShellTree1->DoCommandForNode(KwShellTree1->Selected(), "delete");
    KwShellTree1->RefreshNodes();
}

const TClassRtti& TKwFrmFolderBrowseDlg::PublishedTable()
{
    using C = TKwFrmFolderBrowseDlg;
    static const TClassRtti table = Publish<C>()
                                        .Field<&C::KwShellTree1>("KwShellTree1")
                                        .Field<&C::ButtonPanel>("ButtonPanel")
                                        .Field<&C::OkBtn>("OkBtn")
                                        .Field<&C::CancelBtn>("CancelBtn")
                                        .Field<&C::CreateBtn>("CreateBtn")
                                        .Field<&C::DeleteBtn>("DeleteBtn")
                                        .Field<&C::CreateNewFolderBtn>("CreateNewFolderBtn")
                                        .Field<&C::DeleteFolderBtn>("DeleteFolderBtn")
                                        .Field<&C::StatusTxt>("StatusTxt")
                                        .Method<&C::FormCreate>("FormCreate")
                                        .Method<&C::FormResize>("FormResize")
                                        .Method<&C::KwShellTree1Change>("KwShellTree1Change")
                                        .Method<&C::CreateBtnClick>("CreateBtnClick")
                                        .Method<&C::DeleteBtnClick>("DeleteBtnClick");
    return table;
}

// ---- the dialog ----

TKwCustomFolderBrowseDlg::TKwCustomFolderBrowseDlg(TComponent* owner)
    : TKwDialog(owner), BaseFolder_(Create<TKwShellLocator>()), SelectedFolder_(Create<TKwShellLocator>())
{
    SetTitle("");
}

TKwCustomFolderBrowseDlg::~TKwCustomFolderBrowseDlg()
{
    vcl::Free(SelectedFolder_);
    vcl::Free(BaseFolder_);
}

void TKwCustomFolderBrowseDlg::SetBaseFolder(TKwShellLocator* value)
{
    BaseFolder_->Assign(value);
}

void TKwCustomFolderBrowseDlg::SetSelectedFolder(TKwShellLocator* value)
{
    SelectedFolder_->Assign(value);
}

std::string TKwCustomFolderBrowseDlg::GetSelectedPathName() const
{
    return SelectedFolder_->GetPathName();
}

void TKwCustomFolderBrowseDlg::SetSelectedPathName(const std::string& value)
{
    SelectedFolder_->SetPathName(value);
}

void TKwCustomFolderBrowseDlg::SetStatus(const std::string& value)
{
    if (Form_)
        Form_->SetStatus(value);
    Status_ = value;
}

bool TKwCustomFolderBrowseDlg::GetOkEnabled() const
{
    AssertFormActive();
    return Form_->GetOkEnabled();
}

void TKwCustomFolderBrowseDlg::SetOkEnabled(bool value)
{
    AssertFormActive();
    Form_->SetOkEnabled(value);
}

void TKwCustomFolderBrowseDlg::AssertFormActive() const
{
    if (!Form_)
        throw Exception("TKwFolderBrowseDlg form not active");
}

void TKwCustomFolderBrowseDlg::AssertFormNotActive() const
{
    if (Form_)
        throw Exception("TKwFolderBrowseDlg form already active");
}

TKwFrmFolderBrowseDlg* TKwCustomFolderBrowseDlg::CreateForm()
{
    return Create<TKwFrmFolderBrowseDlg>(Application());
}

void TKwCustomFolderBrowseDlg::InitForm(TKwFrmFolderBrowseDlg* aForm)
{
    aForm->SelChangeHandler = OnSelChange;
    aForm->KwShellTree1->OnAddItem = OnAddItem;
    aForm->KwShellTree1->OnCustomDrawSh = OnTvCustomDrawSh;
    aForm->KwShellTree1->OnCustomDrawShEx = OnTvCustomDrawShEx;
    aForm->FormShowHandler = OnFormShow;
    aForm->FormCloseHandler = OnFormClose;
    aForm->SetStatus(Status_);
    if (FormWidth() > 0)
        aForm->SetWidth(FormWidth());
    if (FormHeight() > 0)
        aForm->SetHeight(FormHeight());
    aForm->SetWindowState(FormWindowState());
    aForm->SetOptions(Options_);
    aForm->SetCaption(!Title().empty() ? Title() : KwLoadStr(&SBrowseForFolder));
    aForm->KwShellTree1->SetBaseFolder(BaseFolder_);
    aForm->KwShellTree1->SetSelectedFolder(SelectedFolder_);
}

void TKwCustomFolderBrowseDlg::SaveFormSettings(TKwFrmFolderBrowseDlg* aForm)
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(aForm->Handle(), &placement);
    SetFormWidth(placement.rcNormalPosition.right - placement.rcNormalPosition.left);
    SetFormHeight(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top);
    SetFormWindowState(aForm->WindowState());
    if (aForm->ModalResult() == mrOk)
        SelectedFolder_->Assign(aForm->KwShellTree1->SelectedFolder());
}

bool TKwCustomFolderBrowseDlg::DoExecute()
{
    AssertFormNotActive();
    const TCursor cursor = Screen()->Cursor();
    Screen()->SetCursor(crHourGlass);
    TKwFrmFolderBrowseDlg* form = nullptr;
    const auto cleanUp = [&] {
        if (form)
            form->Free();
        Form_ = nullptr;
        Screen()->SetCursor(cursor);
    };
    bool result = false;
    try {
        form = CreateForm();
        InitForm(form);
        Form_ = form;
        DoInitialized();
        result = form->ShowModal() == mrOk;
        SaveFormSettings(form);
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
    return result;
}

const TClassRtti& TKwFolderBrowseDlg::PublishedTable()
{
    using C = TKwFolderBrowseDlg;
    static const TClassRtti table =
        Publish<C>()
            .Property<&C::Title, &C::SetTitle>("Title")
            .Property<&C::FormWidth, &C::SetFormWidth>("FormWidth")
            .Default(-1)
            .Property<&C::FormHeight, &C::SetFormHeight>("FormHeight")
            .Default(-1)
            .Property<&C::FormWindowState, &C::SetFormWindowState>("FormWindowState")
            .Default(wsNormal)
            .Property<&C::BaseFolder, &C::SetBaseFolder>("BaseFolder")
            .Property<&C::Options, &C::SetOptions>("Options")
            .Default(KwFolderBrowseDlgDefaultOptions)
            .Property<&C::OnAddItem>("OnAddItem")
            .Property<&C::OnFormClose>("OnFormClose")
            .Property<&C::OnFormShow>("OnFormShow")
            .Property<&C::OnSelChange>("OnSelChange")
            .Property<&C::OnInitialized>("OnInitialized")
            .Property<&C::OnTvCustomDrawSh>("OnTvCustomDrawSh")
            .Property<&C::OnTvCustomDrawShEx>("OnTvCustomDrawShEx");
    return table;
}

} // namespace kw
