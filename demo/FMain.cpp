// The demo's main form: its start-up, the pages' buttons and the effects of
// its own (the welcome gradient, the toolbar picture's hints, the custom-drawn
// tree with its animated row and run-time menus).

#include "FMain.h"

#include "FExplorer.h"
#include "UKwShellUtils.h"
#include "vcl/core/DateTime.h"
#include "vcl/core/FileUtils.h"
#include "vcl/core/Format.h"
#include "vcl/core/Publish.h"
#include "vcl/core/SysUtils.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/ImgList.h"
#include "win32/WindowManager.h"

#include <memory>

namespace demo {

using namespace vcl;

TFrmMain* FrmMain = nullptr;

// ---- TTvData ----

TTvData::TTvData(TFont* font, TColor color) : Color(color), Font_(Create<TFont>())
{
    Font_->Assign(font);
}

TTvData::~TTvData()
{
    Font_->Free();
}

const std::array<TTreePreset, kTreePresets>& TreePresets()
{
    static const std::array<TTreePreset, kTreePresets> presets{{
        {TFontStyles{fsBold}, clBlue, clWhite},
        {TFontStyles{}, clYellow, clRed},
        {TFontStyles{}, clGreen, clYellow},
        {TFontStyles{fsStrikeOut}, clWhite, clGreen},
        {TFontStyles{fsBold}, clGreen, clWhite},
        {TFontStyles{fsItalic}, clWindowText, clWindow},
        {TFontStyles{fsItalic}, clGray, clWindow},
    }};
    return presets;
}

// ---- the form ----

TFrmMain::TFrmMain(TComponent* owner) : TForm(owner) {}

bool TFrmMain::IsActiveForm()
{
    return HandleAllocated() && GetActiveWindow() == Handle();
}

void TFrmMain::FormCreate(TObject*)
{
    Screen()->SetCursor(crHourGlass);
    try {
        PageControl1->SetActivePage(WelcomeTsh);
        if (IsPaletteDevice()) {
            BuildGradientPalette(FPaletteData);
            FPalette = CreatePalette(&FPaletteData.Header);
        }
        LoadRtfResource(OverviewRchtxt, 101);
        LoadRtfResource(ExplorerRchtxt, 102);
        LoadRtfResource(FileOpenRchedt, 103);
        LoadRtfResource(ShellGetDisplayPathnameRchedt, 104);
        LoadRtfResource(FolderBrowseRchedt, 105);
        LoadRtfResource(ImageComboRchedt, 106);
        LoadRtfResource(CustomDrawTreeRchedt, 108);

        auto* large = Create<TImageList>(this);
        large->SetShareImages(true);
        large->SetHandle(kw::ShellGetSystemImageList(kw::kwsizLarge));
        auto* small = Create<TImageList>(this);
        small->SetShareImages(true);
        small->SetHandle(kw::ShellGetSystemImageList(kw::kwsizSmall));
        KwImageCombo1->SetImageList(large);
        KwImageCombo2->SetImageList(small);
        AddComboSample("Text file", GetExtensionIconIndex(".txt"), 0);
        AddComboSample("Document", GetExtensionIconIndex(".doc"), 1);
        AddComboSample("HTML file", GetExtensionIconIndex(".htm"), 1);
        AddComboSample("Bitmap", GetExtensionIconIndex(".bmp"), 2);
        AddComboSample("GIF image", GetExtensionIconIndex(".gif"), 1);
        KwImageCombo1->SetItemIndex(0);
        KwImageCombo2->SetItemIndex(1);

        KwTreeView1->FullExpand();

        Image3->SetPicture(KwillenLogoImg->Picture());
        TBitmap* toolbar = ToolbarImg->Picture()->Bitmap();
        TBitmap* shown = Image1->Picture()->Bitmap();
        shown->SetSize(toolbar->Width(), toolbar->Height());
        shown->Canvas()->Brush()->SetColor(clBtnFace);
        const TRect whole{0, 0, toolbar->Width(), toolbar->Height()};
        shown->Canvas()->BrushCopy(whole, toolbar, whole, clFuchsia);

        UppercaseEdt->SetText(AnsiUpperCase(ParamStr(0)));
        GetDisplayEdt->SetText(kw::ShellGetDisplayPathName(UppercaseEdt->Text()));

        VersionTxt->SetCaption(VersionCaption(VersionTxt->Caption(), GetFormatSettings()));
        VersionTxt->SetAutoSize(false);
        VersionTxt->SetAutoSize(true);
        VersionTxt->SetLeft((VersionTxt->Parent()->ClientWidth() - VersionTxt->Width()) / 2);

        KwFolderBrowseDlg1->SelectedFolder()->SetPathName(GetCurrentDir());
        BaseTxt->SetCaption("Base is: " +
                            kw::ShellGetFriendlyNameFromIdList(
                                nullptr, KwFolderBrowseDlg1->BaseFolder()->GetIdList(), kw::kwfnNormal));

        KwTreeView1->OnKwCustomDraw = {this, &TFrmMain::KwTreeView1KwCustomDraw};

        // The copyright line's format takes this year.
        WORD year = 0, month = 0, day = 0;
        DecodeDate(Now(), year, month, day);
        CopyrightLabel->SetCaption(Format(CopyrightLabel->Caption(), {std::to_string(year)}));
    } catch (...) {
        Screen()->SetCursor(Cursor());
        throw;
    }
    Screen()->SetCursor(Cursor());
}

void TFrmMain::FormDestroy(TObject*)
{
    if (FPalette)
        DeleteObject(FPalette);
    FPalette = nullptr;
}

void TFrmMain::Dispatch(TMessage& message)
{
    // Another window's palette changed the colours: the gradient is drawn
    // again with what the display has now.
    if (message.Msg == WM_PALETTECHANGED && PaintBox1 && PaintBox1->Parent() &&
        reinterpret_cast<HWND>(message.WParam) != PaintBox1->Parent()->Handle())
        PaintBox1->Invalidate();
    TForm::Dispatch(message);
}

void TFrmMain::AddComboSample(const std::string& caption, int imageIndex, int indent)
{
    KwImageCombo1->AddItem(caption, imageIndex, indent);
    KwImageCombo2->AddItem(caption, imageIndex, indent);
}

void TFrmMain::OnNextBtnClick(TObject*)
{
    PageControl1->SelectNextPage(true, true);
}

void TFrmMain::OnBackBtnClick(TObject*)
{
    PageControl1->SelectNextPage(false, true);
}

void TFrmMain::PaintBox1Paint(TObject*)
{
    FillGradient(PaintBox1->Canvas(), FPalette, FPaletteData, true, clWhite, clBlue, PaintBox1->ClientRect(),
                 !IsActiveForm());
}

void TFrmMain::ToolbarImgMouseMove(TObject*, TShiftState, int x, int)
{
    const TToolbarHintStep step = ToolbarHintAt(x, ToolbarImg->Hint());
    if (!step.Cancel)
        return;
    Application()->CancelHint();
    ToolbarImg->SetHint(step.Hint);
}

void TFrmMain::Button1Click(TObject*)
{
    if (!FrmExplorer)
        FrmExplorer = Create<TFrmExplorer>(this);
    FrmExplorer->Show();
}

void TFrmMain::TestOpenDlgBtnClick(TObject*)
{
    if (!KwOpenDlg1->Execute() || KwOpenDlg1->Files()->Count() < 1)
        return;
    const std::string message = MultiselectMessage(*KwOpenDlg1->Files());
    if (!message.empty())
        ShowMessage(message);
    Edit1->SetText((*KwOpenDlg1->Files())[0]);
}

void TFrmMain::Button13Click(TObject*)
{
    KwSaveDlg1->Execute();
}

void TFrmMain::FolderBrowseBtnClick(TObject*)
{
    KwFolderBrowseDlg1->SetStatus("This is an example of the TKwFolderBrowseDlg component.");
    if (!KwFolderBrowseDlg1->Execute())
        return;
    ShowMessage(Format("You selected:\r  Filesystem Name: %s\r  Display Name: %s",
                       {KwFolderBrowseDlg1->GetSelectedPathName(),
                        kw::ShellGetFriendlyNameFromIdList(
                            nullptr, KwFolderBrowseDlg1->SelectedFolder()->GetIdList(), kw::kwfnInFolder)}));
}

void TFrmMain::KwFolderBrowseDlg1SelChange(TObject*, kw::PItemIDList aNewSel)
{
    KwFolderBrowseDlg1->SetStatus(aNewSel ? kw::ShellGetPathFromIdList(aNewSel) : std::string());
}

void TFrmMain::BaseBtnClick(TObject*)
{
    auto* dialog = Create<kw::TKwFolderBrowseDlg>(this);
    try {
        dialog->SetStatus("Select a folder to act as base folder.");
        dialog->SetSelectedFolder(KwFolderBrowseDlg1->BaseFolder());
        if (dialog->Execute()) {
            KwFolderBrowseDlg1->SetBaseFolder(dialog->SelectedFolder());
            BaseTxt->SetCaption("Base is: " +
                                kw::ShellGetFriendlyNameFromIdList(
                                    nullptr, dialog->SelectedFolder()->GetIdList(), kw::kwfnNormal));
            KwFolderBrowseDlg1->SetSelectedFolder(dialog->SelectedFolder());
        }
    } catch (...) {
        dialog->Free();
        throw;
    }
    dialog->Free();
}

// ---- the custom-drawn tree ----

TTvData* TFrmMain::GetNodeData(TTreeNode* node)
{
    if (!node->Data())
        node->SetData(new TTvData(KwTreeView1->Font(), KwTreeView1->Color()));
    return static_cast<TTvData*>(node->Data());
}

void TFrmMain::SetNodeFontStyle(TTreeNode* node, bool add, TFontStyle style)
{
    if (!node)
        return;
    TFont* font = GetNodeData(node)->Font();
    TFontStyles styles = font->Style();
    if (add)
        styles.Include(style);
    else
        styles.Exclude(style);
    font->SetStyle(styles);
    KwTreeView1->InvalidateNode(node, false, true);
    KwTreeView1->Repaint();
}

void TFrmMain::SetNodeLook(TTreeNode* node, TFontStyles style, TColor fontColor, TColor backColor)
{
    TTvData* data = GetNodeData(node);
    data->Font()->SetStyle(style);
    data->Font()->SetColor(fontColor);
    data->Color = backColor;
}

void TFrmMain::KwTreeView1KwCustomDraw(TObject*, kw::TKwCustomDraw* aCD, TTreeNode* aNode)
{
    if (!aNode)
        return;
    TTvData* data = GetNodeData(aNode);
    aCD->SetFont(data->Font());
    if (aNode->Selected() || aNode->DropTarget())
        aCD->Font()->SetColor(KwTreeView1->Focused() ? clHighlightText : clBtnText);
    else
        aCD->Brush()->SetColor(data->Color);
    if (Timer1->Enabled() && aNode->AbsoluteIndex() == Anim_.Index) {
        aCD->SkipDefault = true;
        FillGradient(aCD->Canvas(), FPalette, FPaletteData, false, clWhite, clBlue, aNode->DisplayRect(false),
                     !IsActiveForm());
    }
}

void TFrmMain::KwTreeView1Change(TObject*, TTreeNode* node)
{
    const TTvData* data = node ? static_cast<const TTvData*>(node->Data()) : nullptr;
    const TFontStyles styles = data ? data->Font()->Style() : TFontStyles{};
    BoldBtn->SetDown(styles.Contains(fsBold));
    ItalicBtn->SetDown(styles.Contains(fsItalic));
    UnderlineBtn->SetDown(styles.Contains(fsUnderline));
}

void TFrmMain::KwTreeView1Deletion(TObject*, TTreeNode* node)
{
    if (node && node->Data()) {
        delete static_cast<TTvData*>(node->Data());
        node->SetData(nullptr);
    }
}

void TFrmMain::BoldBtnClick(TObject*)
{
    SetNodeFontStyle(KwTreeView1->Selected(), BoldBtn->Down(), fsBold);
}

void TFrmMain::ItalicBtnClick(TObject*)
{
    SetNodeFontStyle(KwTreeView1->Selected(), ItalicBtn->Down(), fsItalic);
}

void TFrmMain::UnderlineBtnClick(TObject*)
{
    SetNodeFontStyle(KwTreeView1->Selected(), UnderlineBtn->Down(), fsUnderline);
}

void TFrmMain::FontBtnClick(TObject*)
{
    TTreeNode* node = KwTreeView1->Selected();
    if (!node || !node->Data())
        return;
    if (FontDialog1->Execute()) {
        static_cast<TTvData*>(node->Data())->SetFont(FontDialog1->Font());
        KwTreeView1->InvalidateNode(node, false, true);
    }
}

void TFrmMain::FgColorBtnClick(TObject*)
{
    TTreeNode* node = KwTreeView1->Selected();
    if (!node || !node->Data())
        return;
    auto* data = static_cast<TTvData*>(node->Data());
    ColorDialog1->SetColor(data->Font()->Color());
    if (ColorDialog1->Execute())
        data->Font()->SetColor(ColorDialog1->Color());
}

void TFrmMain::BkColorBtnClick(TObject*)
{
    TTreeNode* node = KwTreeView1->Selected();
    if (!node || !node->Data())
        return;
    auto* data = static_cast<TTvData*>(node->Data());
    ColorDialog1->SetColor(data->Color);
    if (ColorDialog1->Execute())
        data->Color = ColorDialog1->Color();
}

void TFrmMain::ClickMe1BtnClick(TObject*)
{
    TTreeNodes* items = KwTreeView1->Items();
    for (int i = 0; i < kTreePresets && i < items->Count(); ++i) {
        const TTreePreset& preset = TreePresets()[static_cast<std::size_t>(i)];
        SetNodeLook(items->Item(i), preset.Style, preset.FontColor, preset.BackColor);
    }
    KwTreeView1->Invalidate();
}

void TFrmMain::ResetBtnClick(TObject*)
{
    TTreeNodes* items = KwTreeView1->Items();
    for (int i = 0; i < items->Count(); ++i) {
        TTvData* data = GetNodeData(items->Item(i));
        data->SetFont(KwTreeView1->Font());
        data->Color = KwTreeView1->Color();
    }
    KwTreeView1->Invalidate();
}

void TFrmMain::EnableTimerBtnClick(TObject*)
{
    EnableTimerBtn->SetDown(!Timer1->Enabled());
    Timer1->SetEnabled(EnableTimerBtn->Down());
    KwTreeView1->Invalidate();
}

void TFrmMain::Timer1Timer(TObject*)
{
    TTreeNodes* items = KwTreeView1->Items();
    if (items->Count() == 0)
        return;
    KwTreeView1->InvalidateNode(items->Item(Anim_.Index), false, true);
    AnimationStep(Anim_, items->Count());
    KwTreeView1->InvalidateNode(items->Item(Anim_.Index), false, true);
    KwTreeView1->Update();
}

void TFrmMain::KwTreeView1NodeContextMenu(TObject*, TTreeNode* aNode, TPoint& aPos, TPopupMenu*& aMenu)
{
    aMenu = nullptr;
    TMenuItem* item = NewItem(aNode->Text(), 0, false, true, {this, &TFrmMain::PopupItemClick}, 0,
                              Format("MItem%d", {MenuCounter_}));
    TPopupMenu* menu = NewPopupMenu(this, Format("Menu%d", {MenuCounter_}), paLeft, false, {item});
    ++MenuCounter_;
    try {
        const TPoint at = KwTreeView1->ClientToScreen(aPos);
        SendCancelMode(nullptr);
        menu->SetPopupComponent(KwTreeView1);
        menu->Popup(at.x, at.y);
        // A chosen item's click runs while its menu still exists.
        Application()->ProcessMessages();
    } catch (...) {
        menu->Free();
        throw;
    }
    menu->Free();
}

void TFrmMain::PopupItemClick(TObject* sender)
{
    ShowMessage("You clicked \"" + static_cast<TMenuItem*>(sender)->Caption() + "\"");
}

void TFrmMain::ViewMitmClick(TObject* sender)
{
    auto* chosen = static_cast<TMenuItem*>(sender);
    TMenuItem* items = PopupMenu1->Items();
    for (int i = 0; i < items->Count(); ++i)
        items->Items(i)->SetChecked(false);
    KwShellList1->SetViewStyle(static_cast<TViewStyle>(chosen->Tag()));
    chosen->SetChecked(true);
}

const TClassRtti& TFrmMain::PublishedTable()
{
    using C = TFrmMain;
    static const TClassRtti table =
        Publish<C>()
            .Field<&C::PageControl1>("PageControl1")
            .Field<&C::WelcomeTsh>("WelcomeTsh")
            .Field<&C::PaintBox1>("PaintBox1")
            .Field<&C::Label4>("Label4")
            .Field<&C::Label5>("Label5")
            .Field<&C::Label6>("Label6")
            .Field<&C::Label7>("Label7")
            .Field<&C::VersionTxt>("VersionTxt")
            .Field<&C::CopyrightLabel>("CopyrightLabel")
            .Field<&C::Panel1>("Panel1")
            .Field<&C::KwillenLogoImg>("KwillenLogoImg")
            .Field<&C::NextBtn1>("NextBtn1")
            .Field<&C::OverviewTsh>("OverviewTsh")
            .Field<&C::OverviewRchtxt>("OverviewRchtxt")
            .Field<&C::ToolbarImg>("ToolbarImg")
            .Field<&C::BackBtn2>("BackBtn2")
            .Field<&C::NextBtn2>("NextBtn2")
            .Field<&C::ExplorerTsh>("ExplorerTsh")
            .Field<&C::ExplorerRchtxt>("ExplorerRchtxt")
            .Field<&C::Button1>("Button1")
            .Field<&C::BackBtn3>("BackBtn3")
            .Field<&C::NextBtn3>("NextBtn3")
            .Field<&C::OpenDialogTsh>("OpenDialogTsh")
            .Field<&C::FileOpenRchedt>("FileOpenRchedt")
            .Field<&C::Label10>("Label10")
            .Field<&C::Edit1>("Edit1")
            .Field<&C::TestOpenDlgBtn>("TestOpenDlgBtn")
            .Field<&C::Button13>("Button13")
            .Field<&C::BackBtn4>("BackBtn4")
            .Field<&C::NextBtn4>("NextBtn4")
            .Field<&C::FolderBrowseTsh>("FolderBrowseTsh")
            .Field<&C::FolderBrowseRchedt>("FolderBrowseRchedt")
            .Field<&C::BaseBtn>("BaseBtn")
            .Field<&C::BaseTxt>("BaseTxt")
            .Field<&C::FolderBrowseBtn>("FolderBrowseBtn")
            .Field<&C::BackBtn5>("BackBtn5")
            .Field<&C::NextBtn5>("NextBtn5")
            .Field<&C::ListTsh>("ListTsh")
            .Field<&C::Label9>("Label9")
            .Field<&C::KwShellList1>("KwShellList1")
            .Field<&C::BackBtn6>("BackBtn6")
            .Field<&C::NextBtn6>("NextBtn6")
            .Field<&C::KwTreeTsh>("KwTreeTsh")
            .Field<&C::KwTreeView1>("KwTreeView1")
            .Field<&C::CustomDrawTreeRchedt>("CustomDrawTreeRchedt")
            .Field<&C::FontBtn>("FontBtn")
            .Field<&C::FgColorBtn>("FgColorBtn")
            .Field<&C::BkColorBtn>("BkColorBtn")
            .Field<&C::ClickMe1Btn>("ClickMe1Btn")
            .Field<&C::ResetBtn>("ResetBtn")
            .Field<&C::EnableTimerBtn>("EnableTimerBtn")
            .Field<&C::BoldBtn>("BoldBtn")
            .Field<&C::ItalicBtn>("ItalicBtn")
            .Field<&C::UnderlineBtn>("UnderlineBtn")
            .Field<&C::BackBtn7>("BackBtn7")
            .Field<&C::NextBtn7>("NextBtn7")
            .Field<&C::SplitterTsh>("SplitterTsh")
            .Field<&C::Label11>("Label11")
            .Field<&C::KwSplitter3>("KwSplitter3")
            .Field<&C::KwSplitter4>("KwSplitter4")
            .Field<&C::KwSplitter5>("KwSplitter5")
            .Field<&C::Label2>("Label2")
            .Field<&C::Label3>("Label3")
            .Field<&C::ScrollBox1>("ScrollBox1")
            .Field<&C::Image3>("Image3")
            .Field<&C::ScrollBox2>("ScrollBox2")
            .Field<&C::Image1>("Image1")
            .Field<&C::BackBtn8>("BackBtn8")
            .Field<&C::NextBtn8>("NextBtn8")
            .Field<&C::TabSheet4>("TabSheet4")
            .Field<&C::ImageComboRchedt>("ImageComboRchedt")
            .Field<&C::KwImageCombo1>("KwImageCombo1")
            .Field<&C::KwImageCombo2>("KwImageCombo2")
            .Field<&C::BackBtn9>("BackBtn9")
            .Field<&C::NextBtn9>("NextBtn9")
            .Field<&C::TabSheet8>("TabSheet8")
            .Field<&C::ShellGetDisplayPathnameRchedt>("ShellGetDisplayPathnameRchedt")
            .Field<&C::Label14>("Label14")
            .Field<&C::UppercaseEdt>("UppercaseEdt")
            .Field<&C::Label15>("Label15")
            .Field<&C::GetDisplayEdt>("GetDisplayEdt")
            .Field<&C::BackBtn10>("BackBtn10")
            .Field<&C::NextBtn10>("NextBtn10")
            .Field<&C::KwOpenDlg1>("KwOpenDlg1")
            .Field<&C::KwSaveDlg1>("KwSaveDlg1")
            .Field<&C::KwFolderBrowseDlg1>("KwFolderBrowseDlg1")
            .Field<&C::Timer1>("Timer1")
            .Field<&C::PopupMenu1>("PopupMenu1")
            .Field<&C::LargeIconsMitm1>("LargeIconsMitm1")
            .Field<&C::SmalliconsMItm1>("SmalliconsMItm1")
            .Field<&C::ListMitm1>("ListMitm1")
            .Field<&C::DetailsMitm1>("DetailsMitm1")
            .Field<&C::FontDialog1>("FontDialog1")
            .Field<&C::ColorDialog1>("ColorDialog1")
            .Method<&C::FormCreate>("FormCreate")
            .Method<&C::FormDestroy>("FormDestroy")
            .Method<&C::OnNextBtnClick>("OnNextBtnClick")
            .Method<&C::OnBackBtnClick>("OnBackBtnClick")
            .Method<&C::PaintBox1Paint>("PaintBox1Paint")
            .Method<&C::ToolbarImgMouseMove>("ToolbarImgMouseMove")
            .Method<&C::Button1Click>("Button1Click")
            .Method<&C::TestOpenDlgBtnClick>("TestOpenDlgBtnClick")
            .Method<&C::Button13Click>("Button13Click")
            .Method<&C::FolderBrowseBtnClick>("FolderBrowseBtnClick")
            .Method<&C::KwFolderBrowseDlg1SelChange>("KwFolderBrowseDlg1SelChange")
            .Method<&C::BaseBtnClick>("BaseBtnClick")
            .Method<&C::KwTreeView1KwCustomDraw>("KwTreeView1KwCustomDraw")
            .Method<&C::KwTreeView1Change>("KwTreeView1Change")
            .Method<&C::KwTreeView1Deletion>("KwTreeView1Deletion")
            .Method<&C::KwTreeView1NodeContextMenu>("KwTreeView1NodeContextMenu")
            .Method<&C::BoldBtnClick>("BoldBtnClick")
            .Method<&C::ItalicBtnClick>("ItalicBtnClick")
            .Method<&C::UnderlineBtnClick>("UnderlineBtnClick")
            .Method<&C::FontBtnClick>("FontBtnClick")
            .Method<&C::FgColorBtnClick>("FgColorBtnClick")
            .Method<&C::BkColorBtnClick>("BkColorBtnClick")
            .Method<&C::ClickMe1BtnClick>("ClickMe1BtnClick")
            .Method<&C::ResetBtnClick>("ResetBtnClick")
            .Method<&C::EnableTimerBtnClick>("EnableTimerBtnClick")
            .Method<&C::Timer1Timer>("Timer1Timer")
            .Method<&C::PopupItemClick>("PopupItemClick")
            .Method<&C::ViewMitmClick>("ViewMitmClick");
    return table;
}

} // namespace demo
