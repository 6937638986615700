// The open and save dialog components: one run of the form, and what it
// hands back.

#include "FKwOpenDlg.h"
#include "FKwOpenDlg_p.h"

#include "UKwShConsts.h"
#include "UKwShellUtils.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Publish.h"
#include "vcl/core/Streams.h"
#include "vcl/core/Strings.h"
#include "vcl/widgets/Forms.h"
#include "win32/WindowPlacement.h"

namespace kw {

TKwFrmOpenDlg* KwFrmOpenDlg = nullptr;

// ---- TKwFileDlg ----

TKwFileDlg::TKwFileDlg(vcl::TComponent* owner)
    : TKwDialog(owner), HistoryList_(vcl::Create<vcl::TStringList>()), Files_(vcl::Create<vcl::TStringList>())
{
}

TKwFileDlg::~TKwFileDlg()
{
    Files_->Free();
    HistoryList_->Free();
}

void TKwFileDlg::ReadStateFromStream(vcl::TStream& stream)
{
    TKwDialog::ReadStateFromStream(stream);
    if (detail::ReadByte(stream) != 0)
        Options_ += kwofShowTree;
    else
        Options_ -= kwofShowTree;
    FormSplitterPos_ = detail::ReadInt32(stream);
}

void TKwFileDlg::WriteStateToStream(vcl::TStream& stream)
{
    TKwDialog::WriteStateToStream(stream);
    detail::WriteByte(stream, Options_.Contains(kwofShowTree) ? 1 : 0);
    detail::WriteInt32(stream, FormSplitterPos_);
}

std::string TKwFileDlg::GetFilename() const
{
    if (Form_)
        return Form_->GetFilename();
    return Files_->Count() > 0 ? Files_->Strings(0) : std::string();
}

void TKwFileDlg::SetFilename(const std::string& value)
{
    Files_->Clear();
    Files_->Add(value);
    if (Form_)
        Form_->SetFilename(value);
}

void TKwFileDlg::SetHistoryList(vcl::TStrings* value)
{
    HistoryList_->Assign(value);
}

void TKwFileDlg::SetOptions(TKwOpenOptions value)
{
    Options_ = value;
    if (Form_)
        Form_->SetOptions(value);
}

void TKwFileDlg::SetFilter(const std::string& value)
{
    Filter_ = value;
    if (Form_)
        Form_->SetFilter(value);
}

int TKwFileDlg::FilterIndex() const
{
    return Form_ ? Form_->GetFilterIndex() : FilterIndex_;
}

void TKwFileDlg::SetFilterIndex(int value)
{
    FilterIndex_ = value;
    if (Form_)
        Form_->SetFilterIndex(value);
}

void TKwFileDlg::SetFormSplitterPos(int value)
{
    FormSplitterPos_ = value;
    if (Form_)
        Form_->SetFormSplitterPos(value);
}

TKwFrmOpenDlg* TKwFileDlg::CreateForm()
{
    return vcl::Create<TKwFrmOpenDlg>(vcl::Application());
}

bool TKwFileDlg::DoExecute()
{
    if (Form_)
        throw vcl::Exception(vcl::Format("%s already executing", {Name()}));
    const vcl::TCursor cursor = vcl::Screen()->Cursor();
    vcl::Screen()->SetCursor(vcl::crHourGlass);
    if (ComponentState().Contains(vcl::csDesigning))
        Files_->Clear();
    TKwFrmOpenDlg* form = nullptr;
    struct Done {
        TKwFileDlg& Dialog;
        TKwFrmOpenDlg*& Form;
        vcl::TCursor Cursor;
        ~Done()
        {
            if (Form)
                Form->Free();
            Dialog.Form_ = nullptr;
            vcl::Screen()->SetCursor(Cursor);
        }
    } done{*this, form, cursor};
    form = CreateForm();
    InitForm(form);
    Form_ = form;
    DoInitialized();
    const bool accepted = form->ShowModal() == vcl::mrOk;
    SaveFormSettings(form);
    return accepted;
}

void TKwFileDlg::InitForm(TKwFrmOpenDlg* form)
{
    form->SetOnAddListItem(OnAddListItem);
    form->SetOnAddTreeItem(OnAddTreeItem);
    form->SetOnAddComboItem(OnAddComboItem);
    form->SetOnLvCustomDrawSh(OnLvCustomDrawSh);
    form->SetOnLvCustomDrawShEx(OnLvCustomDrawShEx);
    form->SetOnTvCustomDrawSh(OnTvCustomDrawSh);
    form->SetOnTvCustomDrawShEx(OnTvCustomDrawShEx);
    form->OnFormClose = OnFormClose;
    form->OnFormShow = OnFormShow;
    form->OnTypeChanged = OnTypeChanged;
    form->OnFolderChanged = OnFolderChanged;
    form->OnSelectionChanged = OnSelectionChanged;
    form->SetInitialDir(InitialDir_);
    form->SetFilename(GetFilename());
    form->SetDefaultExt(DefaultExt_);
    form->SetOptions(Options_);
    if (FormWidth() > 0)
        form->SetWidth(FormWidth());
    if (FormHeight() > 0)
        form->SetHeight(FormHeight());
    form->SetWindowState(FormWindowState());
    form->SetFilter(Filter_);
    form->SetFilterIndex(FilterIndex_);
    form->SetFormSplitterPos(FormSplitterPos_);
    form->LookInTxt->SetCaption(KwLoadStr(vcl::LoadResString(&SLookIn)));
    form->FilesOfTypeTxt->SetCaption(KwLoadStr(vcl::LoadResString(&SFilesOfType)));
    form->SetHelpContext(HelpContext_);
    form->OnHelp = {this, &TKwFileDlg::FormHelp};
}

bool TKwFileDlg::FormHelp(WORD command, LONG_PTR data, bool& callHelp)
{
    return OnHelp ? OnHelp(command, data, callHelp) : false;
}

void TKwFileDlg::SaveFormSettings(TKwFrmOpenDlg* form)
{
    Options_ = form->GetOptions();
    Files_->Assign(form->GetFiles());
    // The restored bounds, so that a maximised form stores its normal size
    // and the next run opens at it.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (form->HandleAllocated() && GetWindowPlacement(form->Handle(), &placement)) {
        SetFormWidth(placement.rcNormalPosition.right - placement.rcNormalPosition.left);
        SetFormHeight(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top);
    } else {
        SetFormWidth(form->Width());
        SetFormHeight(form->Height());
    }
    SetFormWindowState(form->WindowState());
    FilterIndex_ = form->GetFilterIndex();
    FormSplitterPos_ = form->GetFormSplitterPos();
}

// ---- the open and the save dialog ----

TKwCustomOpenDlg::TKwCustomOpenDlg(vcl::TComponent* owner) : TKwFileDlg(owner)
{
    SetOptions(KwOpenDlgDefaultOptions);
}

void TKwCustomOpenDlg::InitForm(TKwFrmOpenDlg* form)
{
    TKwFileDlg::InitForm(form);
    form->SetCaption(Title().empty() ? KwLoadStr(vcl::LoadResString(&SOpenCaption)) : Title());
    form->OpenBtn->SetCaption(KwLoadStr(vcl::LoadResString(&SOpenButton)));
}

TKwCustomSaveDlg::TKwCustomSaveDlg(vcl::TComponent* owner) : TKwFileDlg(owner)
{
    SetOptions(KwOpenDlgDefaultOptions);
}

void TKwCustomSaveDlg::InitForm(TKwFrmOpenDlg* form)
{
    TKwFileDlg::InitForm(form);
    form->SetCaption(Title().empty() ? KwLoadStr(vcl::LoadResString(&SSaveAsCaption)) : Title());
    form->OpenBtn->SetCaption(KwLoadStr(vcl::LoadResString(&SSaveButton)));
}

// The published dialogs: the same properties, the save dialog's
// DefaultExt first.
template <class C>
vcl::TPublisher<C> PublishFileDialogEvents(vcl::TPublisher<C> table)
{
    return table.template Property<&C::OnAddListItem>("OnAddListItem")
        .template Property<&C::OnAddTreeItem>("OnAddTreeItem")
        .template Property<&C::OnAddComboItem>("OnAddComboItem")
        .template Property<&C::OnInitialized>("OnInitialized")
        .template Property<&C::OnLvCustomDrawSh>("OnLvCustomDrawSh")
        .template Property<&C::OnLvCustomDrawShEx>("OnLvCustomDrawShEx")
        .template Property<&C::OnTvCustomDrawSh>("OnTvCustomDrawSh")
        .template Property<&C::OnTvCustomDrawShEx>("OnTvCustomDrawShEx")
        .template Property<&C::OnHelp>("OnHelp")
        .template Property<&C::OnFormClose>("OnFormClose")
        .template Property<&C::OnFormShow>("OnFormShow")
        .template Property<&C::OnFolderChanged>("OnFolderChanged")
        .template Property<&C::OnSelectionChanged>("OnSelectionChanged")
        .template Property<&C::OnTypeChanged>("OnTypeChanged");
}

template <class C>
vcl::TPublisher<C> PublishFileDialogProperties(vcl::TPublisher<C> table, bool defaultExt)
{
    auto titled = table.template Property<&C::Title, &C::SetTitle>("Title")
                      .template Property<&C::Options, &C::SetOptions>("Options")
                      .Default(KwOpenDlgDefaultOptions)
                      .template Property<&C::Filter, &C::SetFilter>("Filter")
                      .template Property<&C::FilterIndex, &C::SetFilterIndex>("FilterIndex")
                      .Default(1)
                      .template Property<&C::FormWidth, &C::SetFormWidth>("FormWidth")
                      .Default(-1)
                      .template Property<&C::FormHeight, &C::SetFormHeight>("FormHeight")
                      .Default(-1)
                      .template Property<&C::FormWindowState, &C::SetFormWindowState>("FormWindowState")
                      .Default(vcl::wsNormal)
                      .template Property<&C::FormSplitterPos, &C::SetFormSplitterPos>("FormSplitterPos")
                      .Default(-1)
                      .template Property<&C::HelpContext, &C::SetHelpContext>("HelpContext")
                      .Default(0)
                      .template Property<&C::HistoryList, &C::SetHistoryList>("HistoryList")
                      .template Property<&C::InitialDir, &C::SetInitialDir>("InitialDir");
    if (defaultExt)
        titled = titled.template Property<&C::DefaultExt, &C::SetDefaultExt>("DefaultExt");
    return PublishFileDialogEvents(std::move(titled));
}

const vcl::TClassRtti& TKwOpenDlg::PublishedTable()
{
    static const vcl::TClassRtti table = PublishFileDialogProperties(vcl::Publish<TKwOpenDlg>(), true);
    return table;
}

const vcl::TClassRtti& TKwSaveDlg::PublishedTable()
{
    using C = TKwSaveDlg;
    static const vcl::TClassRtti table = PublishFileDialogProperties(
        vcl::Publish<C>().Property<&C::DefaultExt, &C::SetDefaultExt>("DefaultExt"), false);
    return table;
}

} // namespace kw
