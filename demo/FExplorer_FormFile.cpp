// The explorer's form resource TFRMEXPLORER, a text form registered by the
// unit's start-up. The glyphs are 16 by 16 PNG pictures; the view buttons
// show their normal and their disabled image side by side. Their background
// (the bottom-left pixel's magenta) is clear.

#include "FExplorer_p.h"

#include "vcl/core/Resources.h"

#include <string_view>

namespace demo::detail {

namespace {

constexpr std::string_view kForm = R"(object FrmExplorer: TFrmExplorer
  Left = 0
  Top = 0
  Caption = 'Corvane - Mini Explorer'
  ClientHeight = 418
  ClientWidth = 648
  Color = clBtnFace
  KeyPreview = True
  Menu = MainMenu1
  Position = poScreenCenter
  ShowHint = True
  OnCreate = FormCreate
  OnKeyDown = FormKeyDown
  PixelsPerInch = 96
  object KwGroup1: TKwGroup
    Left = 0
    Top = 0
    Width = 648
    Height = 29
    Align = alTop
    FrameStyle = kwfsHorzLine
    TabOrder = 0
    object UpOneLevelBtn: TSpeedButton
      Left = 213
      Top = 3
      Width = 23
      Height = 22
      Glyph.Data = {89504E470D0A1A0A0000000D494844520000001000000010080200000090916836000000464944415478DA63F8CFF09F24C4408E06060C4058C3FF6B01704494062201761B7021021A18181690A001A81A8288D200578DA607BB0634D5C87AA8E724DA68202DE2689B5A01D1657FB767036CF70000000049454E44AE426082}
      OnClick = UpOneLevelBtnClick
    end
    object DeleteBtn: TSpeedButton
      Left = 236
      Top = 3
      Width = 23
      Height = 22
      Glyph.Data = {89504E470D0A1A0A0000000D4948445200000010000000100802000000909168360000003F4944415478DA63F8CFF09F24C440470D2718188008AB226429065C12B8040948631AC180C701582DC4E768AC5EA28606D29C449AA7490B5672226E70243E00094FD00CDADECF0A0000000049454E44AE426082}
      OnClick = DeleteBtnClick
    end
    object LargeIconsBtn: TSpeedButton
      Left = 267
      Top = 3
      Width = 23
      Height = 22
      GroupIndex = 1
      Glyph.Data = {89504E470D0A1A0A0000000D4948445200000020000000100802000000F862EA0E0000003C4944415478DA63F8CFF09FA6080C3100540E87780306C0230EB5E03F1240B600AB38DC44342E56F1510B88B580B6914CF3643A9A0F46F3C148CF070004FA752EBBE319F50000000049454E44AE426082}
      NumGlyphs = 2
      OnClick = ViewBtnClick
    end
    object SmallIconsBtn: TSpeedButton
      Left = 290
      Top = 3
      Width = 23
      Height = 22
      Tag = 1
      GroupIndex = 1
      Glyph.Data = {89504E470D0A1A0A0000000D4948445200000020000000100802000000F862EA0E000000344944415478DA63F8CFF09FA688811E163080019C810CD004217A1AC000CE40066882F4B260E8C7C168248F46F268240FF53800007D54494E8101FF9D0000000049454E44AE426082}
      NumGlyphs = 2
      OnClick = ViewBtnClick
    end
    object ListBtn: TSpeedButton
      Left = 313
      Top = 3
      Width = 23
      Height = 22
      Tag = 2
      GroupIndex = 1
      Glyph.Data = {89504E470D0A1A0A0000000D4948445200000020000000100802000000F862EA0E0000003B4944415478DA63F8CFF09FA6080CC100CE80B0F1883780019C0161E31247B100DD721CE2C886121467A047108DC6C1681C8CC6C1681C0C741C0000CBD6710EB305BA1C0000000049454E44AE426082}
      NumGlyphs = 2
      OnClick = ViewBtnClick
    end
    object DetailsBtn: TSpeedButton
      Left = 336
      Top = 3
      Width = 23
      Height = 22
      Tag = 3
      GroupIndex = 1
      Down = True
      Glyph.Data = {89504E470D0A1A0A0000000D4948445200000020000000100802000000F862EA0E000000384944415478DA63F8CFF09FA6080CC100CE8003AC2240D4000670061C601541B1804804D74CAC0F681E44A371301A07A371301A07031D440007ED710E6E25E6060000000049454E44AE426082}
      NumGlyphs = 2
      OnClick = ViewBtnClick
    end
    object KwShellCombo1: TKwShellCombo
      Left = 4
      Top = 3
      Width = 205
      Height = 22
      ShellTree = KwShellTree1
      DropDownCount = 24
      TabOrder = 0
    end
  end
  object StatusBar1: TStatusBar
    Left = 0
    Top = 399
    Width = 648
    Height = 19
    Panels = <
      item
      end>
    SimplePanel = False
  end
  object KwSplitter1: TKwSplitter
    Left = 0
    Top = 29
    Width = 648
    Height = 370
    Align = alClient
    Position = 234
    SplitterWidth = 4
    object KwSplitter1_pane1: TKwPane
      MinSize = 75
      FrameStyle = kwfsNone
      Color = clNone
      Index = 0
      object KwShellTree1: TKwShellTree
        Align = alClient
        ShellList = KwShellList1
        ShowRoot = False
        HideSelection = False
        Indent = 19
        TabOrder = 0
        OnChange = KwShellTree1Change
        OnPopupHint = KwShellList1PopupHint
        OnCustomDrawSh = KwShellTree1CustomDrawSh
      end
    end
    object KwSplitter1_pane2: TKwPane
      MinSize = 75
      FrameStyle = kwfsNone
      Color = clNone
      Index = 1
      object KwShellList1: TKwShellList
        Align = alClient
        ReadOnly = False
        HideSelection = False
        MultiSelect = True
        ViewStyle = vsReport
        PopupMenu = ListPopup
        TabOrder = 0
        OnPopupHint = KwShellList1PopupHint
        OnCustomDrawSh = KwShellList1CustomDrawSh
      end
    end
  end
  object KwSysFolderDlg1: TKwSysFolderDlg
    Domain = csidlDesktop
    Options = []
    Title = 'Select something.'
  end
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object New1Submenu: TMenuItem
        Caption = 'Ne&w'
        object NewFolder1Mitm: TMenuItem
          Caption = '&Folder'
          OnClick = NewFolder1MitmClick
        end
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object CloseMitm: TMenuItem
        Caption = '&Close'
        OnClick = CloseMitmClick
      end
    end
    object Edit1: TMenuItem
      Caption = '&Edit'
      object Undo1: TMenuItem
        Caption = 'Can''t Undo'
        Enabled = False
      end
      object N2: TMenuItem
        Caption = '-'
      end
      object Cut1: TMenuItem
        Caption = 'C&ut'#9'Ctrl+X'
        Enabled = False
      end
      object Copy1: TMenuItem
        Caption = '&Copy'#9'Ctrl+C'
        Enabled = False
      end
      object Paste1: TMenuItem
        Caption = '&Paste'#9'Ctrl+V'
        OnClick = Paste1Click
      end
      object N3: TMenuItem
        Caption = '-'
      end
      object SelectAll1: TMenuItem
        Caption = 'Select &All'
        Hint = 'Selects all the items in the window.'
        ShortCut = 16449
        OnClick = SelectAll1Click
      end
      object InvertSelection1: TMenuItem
        Caption = '&Invert Selection'
        Hint = 'Reverses which items are selected and which are not.'
        OnClick = InvertSelection1Click
      end
    end
    object View1Submenu: TMenuItem
      Caption = '&View'
      object LargeIcons2Mitm: TMenuItem
        Caption = 'Lar&ge icons'
        GroupIndex = 1
        RadioItem = True
        OnClick = ViewBtnClick
      end
      object Smallicons2Mitm: TMenuItem
        Caption = 'S&mall icons'
        Tag = 1
        GroupIndex = 1
        RadioItem = True
        OnClick = ViewBtnClick
      end
      object List2Mitm: TMenuItem
        Caption = '&List'
        Tag = 2
        GroupIndex = 1
        RadioItem = True
        OnClick = ViewBtnClick
      end
      object Details2Mitm: TMenuItem
        Caption = '&Details'
        Tag = 3
        Checked = True
        GroupIndex = 1
        RadioItem = True
        OnClick = ViewBtnClick
      end
    end
    object Test1: TMenuItem
      Caption = '&Test'
      Hint = 'Contains examples of tree features.'
      object TreeSelectPathnameMitm: TMenuItem
        Caption = '&Select a Pathname...'
        Hint = 'Select folder with the dialog and see the tree change.'
        OnClick = TreeSelectPathnameMitmClick
      end
      object TreeRefreshMitm: TMenuItem
        Caption = '&Refresh'
        Hint = 'Refresh the contents of the tree and list.'
        ShortCut = 116
        OnClick = TreeRefreshMitmClick
      end
      object N4: TMenuItem
        Caption = '-'
      end
      object TreeViewSelectedPathnameMitm: TMenuItem
        Caption = 'View selected pathname...'
        OnClick = TreeViewSelectedPathnameMitmClick
      end
    end
    object CustomDraw1: TMenuItem
      Caption = '&Custom Draw'
      Hint = 'Contains demonstrations of the custom draw feature.'
      object Highlightexecutables1: TMenuItem
        Caption = '&Highlight list executables'
        Hint = 'Highlights list view executable files in the list using a blue/bold font.'
        OnClick = Highlightexecutables1Click
      end
      object Dimreadonlyfoldersintree1: TMenuItem
        Caption = 'Dim read-only files and folders'
        Hint = 'Show read-only files and folder'
        OnClick = Dimreadonlyfoldersintree1Click
      end
    end
    object Hotkeys1: TMenuItem
      Caption = 'Hotkeys'
      Visible = False
      object F11Mitm: TMenuItem
        Caption = 'Send command'
        ShortCut = 122
        OnClick = F11MitmClick
      end
    end
  end
  object ListPopup: TPopupMenu
    object View2Submenu: TMenuItem
      Caption = '&View'
      object LargeIconsMitm: TMenuItem
        Caption = 'Lar&ge icons'
        GroupIndex = 1
        RadioItem = True
        OnClick = ViewBtnClick
      end
      object SmalliconsMItm: TMenuItem
        Caption = 'S&mall icons'
        Tag = 1
        GroupIndex = 1
        RadioItem = True
        OnClick = ViewBtnClick
      end
      object ListMitm: TMenuItem
        Caption = '&List'
        Tag = 2
        GroupIndex = 1
        RadioItem = True
        OnClick = ViewBtnClick
      end
      object DetailsMitm: TMenuItem
        Caption = '&Details'
        Tag = 3
        Checked = True
        GroupIndex = 1
        RadioItem = True
        OnClick = ViewBtnClick
      end
    end
    object N5: TMenuItem
      Caption = '-'
    end
    object Paste2Mitm: TMenuItem
      Caption = 'P&aste'
      OnClick = Paste1Click
    end
    object N6: TMenuItem
      Caption = '-'
    end
    object New2Submenu: TMenuItem
      Caption = 'Ne&w'
      object NewFolder2Mitm: TMenuItem
        Caption = '&Folder'
        OnClick = NewFolder1MitmClick
      end
    end
    object N7: TMenuItem
      Caption = '-'
    end
    object Properties1Mitm: TMenuItem
      Caption = '&Properties'
      OnClick = Properties1MitmClick
    end
  end
end
)";

constexpr vcl::TResourceRecord kResources[] = {
    {RT_RCDATA, "TFRMEXPLORER", kForm.data(), kForm.size()},
};

} // namespace

void RegisterExplorerForm()
{
    vcl::RegisterResources(vcl::HInstance(), kResources);
}

void UnregisterExplorerForm()
{
    vcl::UnregisterResource(vcl::HInstance(), RT_RCDATA, "TFRMEXPLORER");
}

} // namespace demo::detail
