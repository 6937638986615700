#pragma once
// FMain: the demo's main form and the routines behind its pages (gradient
// backgrounds through a palette, the toolbar picture's hints, the animated
// row of the custom-drawn tree, the version label, the message of several
// chosen files).

#include "FKwFolderBrowseDlg.h"
#include "FKwOpenDlg.h"
#include "UKwImageCombo.h"
#include "UKwShellControls.h"
#include "UKwSplitter.h"
#include "UKwTreeList.h"
#include "vcl/core/FormatSettings.h"
#include "vcl/core/Strings.h"
#include "vcl/widgets/Buttons.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/Dialogs.h"
#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/Graphics.h"
#include "vcl/widgets/Menus.h"
#include "vcl/widgets/ScrollBox.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/Palettes.h"

#include <array>
#include <string>

namespace demo {

// A logical palette with room for 256 entries, of which the gradient uses
// 64: the header's one entry and the rest following it.
struct TPaletteBuffer {
    LOGPALETTE Header{};
    PALETTEENTRY More[255]{};
};
static_assert(offsetof(TPaletteBuffer, More) == offsetof(LOGPALETTE, palPalEntry) + sizeof(PALETTEENTRY));

// Entries of the gradient palette.
inline constexpr int kGradientEntries = 64;

// Whether the screen takes its colours from a palette (never here).
bool IsPaletteDevice();
// 64 entries from pure blue (entry 0) to pure white (entry 63).
void BuildGradientPalette(TPaletteBuffer& pal);
// Fills rect with bands from colorA (top or left) to colorB (bottom or
// right): the palette's 64 entries when there is a palette, else about one
// band per two pixels. Neighbouring bands overlap by up to one pixel.
void FillGradient(vcl::TCanvas* canvas, HPALETTE palette, const TPaletteBuffer& palData, bool vertical,
                  vcl::TColor colorB, vcl::TColor colorA, const vcl::TRect& rect, bool forceBackground);

// Loads the rich edit's lines from the program's resource id of type "RTF"
// (rich text in the rich edit's format); raises EResNotFound, with the
// lines left alone, when there is none.
void LoadRtfResource(vcl::TRichEdit* edit, int id);

// The system image list's index of the icon of files with extension ext
// (".txt"), by the name alone; 0 when the shell has none.
int GetExtensionIconIndex(const std::string& ext);

// The hints of the toolbar picture's 14 icons: the class name, two line
// breaks and what it does.
inline constexpr int kToolbarCells = 14;
const std::array<std::string, kToolbarCells>& ToolbarHints();
// The icon of the picture under x: 28 pixels each from x = 8, so that x
// from 0 to 35 lies in the first one; outside 0 to 13 there is none.
int ToolbarCell(int x);
// What a move of the mouse to x does to the picture's hint: whether the
// shown hint is cancelled, and the hint the picture gets then. Within the
// cell whose hint is shown nothing changes.
struct TToolbarHintStep {
    bool Cancel = false;
    std::string Hint;
};
TToolbarHintStep ToolbarHintAt(int x, const std::string& current);

// The animated row of the custom-drawn tree: the absolute index of the
// row drawn as a gradient and the direction it moves in.
struct TAnimation {
    int Index = 0;
    int Step = 1;
};
// One step over count rows: 0, 1, ..., count - 1, count - 2, ..., 0, 1, ...
// without repeating an end.
void AnimationStep(TAnimation& animation, int count);

// The version label's caption: its stored format with the version written
// with the locale's decimal separator, and a trailing zero dropped.
std::string VersionCaption(const std::string& format, const vcl::TFormatSettings& settings);

// The message of several chosen files: "Multiselect", then at most 26
// names, each ending in a line break, then "..." when there were more;
// empty for one name or none, which show no message.
std::string MultiselectMessage(const vcl::TStrings& names);

// The look of a node of the custom-drawn tree: its own font and its
// background colour.
class TTvData : public vcl::TObject {
    VCL_DECLARE_CLASS(TTvData, vcl::TObject)
public:
    // A copy of font, and color.
    TTvData(vcl::TFont* font, vcl::TColor color);
    ~TTvData() override;

    vcl::TFont* Font() const { return Font_; }
    // Copies the font's attributes.
    void SetFont(vcl::TFont* value) { Font_->Assign(value); }
    vcl::TColor Color = vcl::clWindow;

private:
    vcl::TFont* Font_;
};

// A row of the tree's presets: the font's style and colour and the node's
// background.
struct TTreePreset {
    vcl::TFontStyles Style;
    vcl::TColor FontColor;
    vcl::TColor BackColor;
};
inline constexpr int kTreePresets = 7;
const std::array<TTreePreset, kTreePresets>& TreePresets();

// The demo's main form: ten pages, each showing a group of the library's
// components with a text about them.
class TFrmMain : public vcl::TForm {
    VCL_DECLARE_PUBLISHED_CLASS(TFrmMain, vcl::TForm)
public:
    explicit TFrmMain(vcl::TComponent* owner);

    vcl::TPageControl* PageControl1 = nullptr;
    vcl::TTabSheet* WelcomeTsh = nullptr;
    vcl::TPaintBox* PaintBox1 = nullptr;
    vcl::TLabel* Label4 = nullptr;
    vcl::TLabel* Label5 = nullptr;
    vcl::TLabel* Label6 = nullptr;
    vcl::TLabel* Label7 = nullptr;
    vcl::TLabel* VersionTxt = nullptr;
    vcl::TLabel* CopyrightLabel = nullptr;
    vcl::TPanel* Panel1 = nullptr;
    vcl::TImage* KwillenLogoImg = nullptr;
    vcl::TButton* NextBtn1 = nullptr;
    vcl::TTabSheet* OverviewTsh = nullptr;
    vcl::TRichEdit* OverviewRchtxt = nullptr;
    vcl::TImage* ToolbarImg = nullptr;
    vcl::TButton* BackBtn2 = nullptr;
    vcl::TButton* NextBtn2 = nullptr;
    vcl::TTabSheet* ExplorerTsh = nullptr;
    vcl::TRichEdit* ExplorerRchtxt = nullptr;
    vcl::TButton* Button1 = nullptr;
    vcl::TButton* BackBtn3 = nullptr;
    vcl::TButton* NextBtn3 = nullptr;
    vcl::TTabSheet* OpenDialogTsh = nullptr;
    vcl::TRichEdit* FileOpenRchedt = nullptr;
    vcl::TLabel* Label10 = nullptr;
    vcl::TEdit* Edit1 = nullptr;
    vcl::TButton* TestOpenDlgBtn = nullptr;
    vcl::TButton* Button13 = nullptr;
    vcl::TButton* BackBtn4 = nullptr;
    vcl::TButton* NextBtn4 = nullptr;
    vcl::TTabSheet* FolderBrowseTsh = nullptr;
    vcl::TRichEdit* FolderBrowseRchedt = nullptr;
    vcl::TButton* BaseBtn = nullptr;
    vcl::TLabel* BaseTxt = nullptr;
    vcl::TButton* FolderBrowseBtn = nullptr;
    vcl::TButton* BackBtn5 = nullptr;
    vcl::TButton* NextBtn5 = nullptr;
    vcl::TTabSheet* ListTsh = nullptr;
    vcl::TLabel* Label9 = nullptr;
    kw::TKwShellList* KwShellList1 = nullptr;
    vcl::TButton* BackBtn6 = nullptr;
    vcl::TButton* NextBtn6 = nullptr;
    vcl::TTabSheet* KwTreeTsh = nullptr;
    kw::TKwTreeView* KwTreeView1 = nullptr;
    vcl::TRichEdit* CustomDrawTreeRchedt = nullptr;
    vcl::TButton* FontBtn = nullptr;
    vcl::TButton* FgColorBtn = nullptr;
    vcl::TButton* BkColorBtn = nullptr;
    vcl::TButton* ClickMe1Btn = nullptr;
    vcl::TButton* ResetBtn = nullptr;
    vcl::TSpeedButton* EnableTimerBtn = nullptr;
    vcl::TSpeedButton* BoldBtn = nullptr;
    vcl::TSpeedButton* ItalicBtn = nullptr;
    vcl::TSpeedButton* UnderlineBtn = nullptr;
    vcl::TButton* BackBtn7 = nullptr;
    vcl::TButton* NextBtn7 = nullptr;
    vcl::TTabSheet* SplitterTsh = nullptr;
    vcl::TLabel* Label11 = nullptr;
    kw::TKwSplitter* KwSplitter3 = nullptr;
    kw::TKwSplitter* KwSplitter4 = nullptr;
    kw::TKwSplitter* KwSplitter5 = nullptr;
    vcl::TLabel* Label2 = nullptr;
    vcl::TLabel* Label3 = nullptr;
    vcl::TScrollBox* ScrollBox1 = nullptr;
    vcl::TImage* Image3 = nullptr;
    vcl::TScrollBox* ScrollBox2 = nullptr;
    vcl::TImage* Image1 = nullptr;
    vcl::TButton* BackBtn8 = nullptr;
    vcl::TButton* NextBtn8 = nullptr;
    vcl::TTabSheet* TabSheet4 = nullptr;
    vcl::TRichEdit* ImageComboRchedt = nullptr;
    kw::TKwImageCombo* KwImageCombo1 = nullptr;
    kw::TKwImageCombo* KwImageCombo2 = nullptr;
    vcl::TButton* BackBtn9 = nullptr;
    vcl::TButton* NextBtn9 = nullptr;
    vcl::TTabSheet* TabSheet8 = nullptr;
    vcl::TRichEdit* ShellGetDisplayPathnameRchedt = nullptr;
    vcl::TLabel* Label14 = nullptr;
    vcl::TEdit* UppercaseEdt = nullptr;
    vcl::TLabel* Label15 = nullptr;
    vcl::TEdit* GetDisplayEdt = nullptr;
    vcl::TButton* BackBtn10 = nullptr;
    vcl::TButton* NextBtn10 = nullptr;
    kw::TKwOpenDlg* KwOpenDlg1 = nullptr;
    kw::TKwSaveDlg* KwSaveDlg1 = nullptr;
    kw::TKwFolderBrowseDlg* KwFolderBrowseDlg1 = nullptr;
    vcl::TTimer* Timer1 = nullptr;
    vcl::TPopupMenu* PopupMenu1 = nullptr;
    vcl::TMenuItem* LargeIconsMitm1 = nullptr;
    vcl::TMenuItem* SmalliconsMItm1 = nullptr;
    vcl::TMenuItem* ListMitm1 = nullptr;
    vcl::TMenuItem* DetailsMitm1 = nullptr;
    vcl::TFontDialog* FontDialog1 = nullptr;
    vcl::TColorDialog* ColorDialog1 = nullptr;

    void FormCreate(vcl::TObject* sender);
    void FormDestroy(vcl::TObject* sender);
    void OnNextBtnClick(vcl::TObject* sender);
    void OnBackBtnClick(vcl::TObject* sender);
    void PaintBox1Paint(vcl::TObject* sender);
    void ToolbarImgMouseMove(vcl::TObject* sender, vcl::TShiftState shift, int x, int y);
    void Button1Click(vcl::TObject* sender);
    void TestOpenDlgBtnClick(vcl::TObject* sender);
    void Button13Click(vcl::TObject* sender);
    void FolderBrowseBtnClick(vcl::TObject* sender);
    void KwFolderBrowseDlg1SelChange(vcl::TObject* aSender, kw::PItemIDList aNewSel);
    void BaseBtnClick(vcl::TObject* sender);
    void KwTreeView1KwCustomDraw(vcl::TObject* aSender, kw::TKwCustomDraw* aCD, vcl::TTreeNode* aNode);
    void KwTreeView1Change(vcl::TObject* sender, vcl::TTreeNode* node);
    void KwTreeView1Deletion(vcl::TObject* sender, vcl::TTreeNode* node);
    void KwTreeView1NodeContextMenu(vcl::TObject* aSender, vcl::TTreeNode* aNode, vcl::TPoint& aPos,
                                    vcl::TPopupMenu*& aMenu);
    void BoldBtnClick(vcl::TObject* sender);
    void ItalicBtnClick(vcl::TObject* sender);
    void UnderlineBtnClick(vcl::TObject* sender);
    void FontBtnClick(vcl::TObject* sender);
    void FgColorBtnClick(vcl::TObject* sender);
    void BkColorBtnClick(vcl::TObject* sender);
    void ClickMe1BtnClick(vcl::TObject* sender);
    void ResetBtnClick(vcl::TObject* sender);
    void EnableTimerBtnClick(vcl::TObject* sender);
    void Timer1Timer(vcl::TObject* sender);
    void PopupItemClick(vcl::TObject* sender);
    void ViewMitmClick(vcl::TObject* sender);

    // The gradient's palette; null, as the screen takes no palette.
    HPALETTE GetPalette() const { return FPalette; }
    // The node's look, made on first use.
    TTvData* GetNodeData(vcl::TTreeNode* node);
    void SetNodeFontStyle(vcl::TTreeNode* node, bool add, vcl::TFontStyle style);
    // The node's font style and colour and its background colour.
    void SetNodeLook(vcl::TTreeNode* node, vcl::TFontStyles style, vcl::TColor fontColor,
                     vcl::TColor backColor);
    // The number the next run-time popup menu gets.
    int MenuCounter() const { return MenuCounter_; }
    // Where the animated row is and where it moves.
    const TAnimation& Animation() const { return Anim_; }

protected:
    ~TFrmMain() override = default;
    void Dispatch(vcl::TMessage& message) override;

private:
    // Whether the form is the active window: an inactive one realises its
    // palette in the background.
    bool IsActiveForm();
    // An entry with the icon of the extension on both image combos.
    void AddComboSample(const std::string& caption, int imageIndex, int indent);

    HPALETTE FPalette = nullptr;
    TPaletteBuffer FPaletteData{};
    TAnimation Anim_;
    // Numbers the run-time popup menus.
    int MenuCounter_ = 0;
};

extern TFrmMain* FrmMain;

// The unit's start-up and end: the form, its texts and the classes it
// names. Registered as the unit "FMain" after the package's units.
void FMainInitialization();
void FMainFinalization();

} // namespace demo
