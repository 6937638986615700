// The open and save dialogs' form resource TKWFRMOPENDLG, a text form
// registered by the unit's start-up. The glyphs are 16 by 16 PNG pictures;
// the buttons with two show their normal and their disabled image side by
// side. Their background (the bottom-left pixel's magenta) is clear.

#include "FKwOpenDlg_p.h"

#include "vcl/core/Resources.h"

#include <string_view>

namespace kw::detail {

namespace {

constexpr std::string_view kForm = R"(object KwFrmOpenDlg: TKwFrmOpenDlg
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu, biMaximize]
  Caption = 'Open'
  ClientHeight = 265
  ClientWidth = 451
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  KeyPreview = True
  Position = poScreenCenter
  ShowHint = True
  ActiveControl = FileNameEdt
  OnCloseQuery = FormCloseQuery
  OnDestroy = FormDestroy
  OnKeyDown = FormKeyDown
  OnResize = FormResize
  PixelsPerInch = 96
  TextHeight = 13
  object LookInTxt: TLabel
    Left = 8
    Top = 8
    Width = 38
    Height = 13
    Caption = 'Look &in:'
    FocusControl = KwShellCombo1
  end
  object UpOneLevelBtn: TSpeedButton
    Left = 272
    Top = 4
    Width = 23
    Height = 22
    Glyph.Data = {89504E470D0A1A0A0000000D494844520000001000000010080200000090916836000000554944415478DAB592010A00200803F7FF4F1B8521AB96182421949E4B0B062B2DBC03604B809EC111C560AFAD8C8081DBC5EFC08C2D5B0D44B65F80999302FC347CAEA05B4A7AA0E1240AE52909BF02B587FBFB5B1B3C32A56985ED7A600000000049454E44AE426082}
    OnClick = UpOneLevelBtnClick
  end
  object ListBtn: TSpeedButton
    Left = 400
    Top = 4
    Width = 23
    Height = 22
    Tag = 2
    GroupIndex = 1
    Down = True
    Glyph.Data = {89504E470D0A1A0A0000000D4948445200000020000000100802000000F862EA0E000000404944415478DA63F8CFF09FA688811E163030343040384800AB38444F0318C019685C6471B805FF19B05A8E431CAE9918F1D1201A0DA2D1201A2E4134B42D0000335A83063C90D70A0000000049454E44AE426082}
    NumGlyphs = 2
    OnClick = ViewBtnClick
  end
  object DetailsBtn: TSpeedButton
    Left = 423
    Top = 4
    Width = 23
    Height = 22
    Tag = 3
    GroupIndex = 1
    Glyph.Data = {89504E470D0A1A0A0000000D4948445200000020000000100802000000F862EA0E0000003C4944415478DA63F8CFF09FA688811E16303034304038A8002E82CC00A206308033E000530A6EC17F06521C05D73C1A44A341341A4423298886B60500660588F22BFCFB960000000049454E44AE426082}
    NumGlyphs = 2
    OnClick = ViewBtnClick
  end
  object CreateNewFolderBtn: TSpeedButton
    Left = 336
    Top = 4
    Width = 23
    Height = 22
    Glyph.Data = {89504E470D0A1A0A0000000D4948445200000020000000100802000000F862EA0E000000744944415478DAED54CB0E80200CEBA7FBE7550F8A2BB0F540624C6C060732FA080B2098D5B1F206EDD71314D4CFDDA1A6CAA0B07F75B9F6A921DA65449421B6885908DCECE2276874753246040D49000389F7215460F24C6C5152FB83289D00671AAB04FE046F27F067D41953EF2F5A54DF17D801F6C9F475ECA13F050000000049454E44AE426082}
    NumGlyphs = 2
    OnClick = CreateNewFolderBtnClick
  end
  object ShowTreeBtn: TSpeedButton
    Left = 368
    Top = 4
    Width = 23
    Height = 23
    GroupIndex = 2
    AllowAllUp = True
    Glyph.Data = {89504E470D0A1A0A0000000D494844520000001000000010080200000090916836000000444944415478DA63F8CFF09F24048630408286FFFF49D4409A0D504B88F703B20682B6A1AB23E81F0A6C4011255B03A6853835E0F2128160256C03CD82158F1B08682088007D809876EECEE0760000000049454E44AE426082}
    OnClick = ShowTreeBtnClick
  end
  object ShowDesktopBtn: TSpeedButton
    Left = 304
    Top = 4
    Width = 23
    Height = 22
    Hint = 'Show Desktop'
    Glyph.Data = {89504E470D0A1A0A0000000D494844520000001000000010080200000090916836000000444944415478DA63F8CFF09F24C440A606062200BA86037801760D0C0D0D5811BA06081FA2E13F5090A006926D18CC1A480B56D2220E3DFE915410484BB80CA638F1118F00167E794FFD0FE2E70000000049454E44AE426082}
    OnClick = ShowDesktopBtnClick
  end
  object KwShellCombo1: TKwShellCombo
    Left = 72
    Top = 4
    Width = 193
    Height = 22
    ShellList = KwShellList1
    Options = [kwscoAutofill]
    DropDownCount = 16
    TabOrder = 0
  end
  object SplitterContainer: TKwGroup
    Left = 2
    Top = 30
    Width = 447
    Height = 153
    FrameStyle = kwfsNone
    TabOrder = 1
    object KwSplitter1: TKwSplitter
      Left = 0
      Top = 0
      Width = 447
      Height = 153
      Align = alClient
      Color = clBtnFace
      Position = 141
      SplitterWidth = 5
      object KwSplitter1_pane1: TKwPane
        MinSize = 4
        FrameStyle = kwfsNone
        Index = 0
        object KwShellTree1: TKwShellTree
          Align = alClient
          Options = [kwstoAutoFill, kwstoDefaultKeyHandling, kwstoContextMenus, kwstoDynamicRefresh]
          BorderStyle = bsNone
          ShowRoot = False
          HideSelection = False
          Indent = 19
          OnChange = KwShellTree1Change
        end
      end
      object KwSplitter1_pane2: TKwPane
        MinSize = 60
        FrameStyle = kwfsNone
        Index = 1
        object KwShellList1: TKwShellList
          Align = alClient
          Options = [kwsloAutoFill, kwsloDefaultKeyHandling, kwsloContextMenus, kwsloDynamicRefresh]
          BorderStyle = bsNone
          ReadOnly = False
          HideSelection = False
          ViewStyle = vsList
          PopupMenu = LvPopup
          OnChange = KwShellList1Change
          OnFolderChanged = KwShellList1FolderChanged
        end
      end
    end
  end
  object Panel1: TPanel
    Left = 0
    Top = 181
    Width = 451
    Height = 84
    Align = alBottom
    BevelOuter = bvNone
    TabOrder = 2
    object FileNameTxt: TLabel
      Left = 8
      Top = 10
      Width = 48
      Height = 13
      Caption = 'File &name:'
      FocusControl = FileNameEdt
    end
    object FilesOfTypeTxt: TLabel
      Left = 8
      Top = 38
      Width = 59
      Height = 13
      Caption = 'Files of &type:'
      FocusControl = FileTypesCbx
    end
    object FileNameEdt: TEdit
      Left = 88
      Top = 6
      Width = 277
      Height = 21
      TabOrder = 0
      OnChange = FileNameEdtChange
    end
    object FileTypesCbx: TKwCombobox
      Left = 88
      Top = 34
      Width = 277
      Height = 21
      Style = csDropDownList
      ItemHeight = 13
      TabOrder = 1
      OnSelEndOk = FileTypesCbxSelEndOk
    end
    object OpenBtn: TButton
      Left = 372
      Top = 4
      Width = 75
      Height = 23
      Caption = '&Open'
      Default = True
      ModalResult = 1
      TabOrder = 2
    end
    object CancelBtn: TButton
      Left = 372
      Top = 32
      Width = 75
      Height = 23
      Cancel = True
      Caption = 'Cancel'
      ModalResult = 2
      TabOrder = 3
    end
    object FileNameCbx: TComboBox
      Left = 88
      Top = 6
      Width = 277
      Height = 21
      Visible = False
      TabStop = False
      TabOrder = 4
    end
    object ReadOnlyChk: TCheckBox
      Left = 88
      Top = 60
      Width = 233
      Height = 17
      Caption = 'Open as &read-only'
      TabOrder = 5
      OnClick = ReadOnlyChkClick
    end
    object HelpBtn: TButton
      Left = 372
      Top = 60
      Width = 75
      Height = 23
      Caption = '&Help'
      Visible = False
      TabOrder = 6
      OnClick = HelpBtnClick
    end
  end
  object LvPopup: TPopupMenu
    object View1Mitm: TMenuItem
      Caption = '&View'
      object LargeIcons1Mitm: TMenuItem
        Caption = 'Lar&ge icons'
        Enabled = False
        GroupIndex = 1
        RadioItem = True
        OnClick = ViewBtnClick
      end
      object Smallicons1MItm: TMenuItem
        Tag = 1
        Caption = 'S&mall icons'
        Enabled = False
        GroupIndex = 1
        RadioItem = True
        OnClick = ViewBtnClick
      end
      object List1Mitm: TMenuItem
        Tag = 2
        Caption = '&List'
        Checked = True
        GroupIndex = 1
        RadioItem = True
        OnClick = ViewBtnClick
      end
      object Details1Mitm: TMenuItem
        Tag = 3
        Caption = '&Details'
        GroupIndex = 1
        RadioItem = True
        OnClick = ViewBtnClick
      end
    end
    object N1: TMenuItem
      Caption = '-'
    end
    object Paste1Mitm: TMenuItem
      Caption = '&Paste'
      OnClick = Paste1MitmClick
    end
    object N3: TMenuItem
      Caption = '-'
    end
    object New1Mitm: TMenuItem
      Caption = 'Ne&w'
      object Folder1Mitm: TMenuItem
        Caption = '&Folder'
        OnClick = CreateNewFolderBtnClick
      end
    end
    object N2: TMenuItem
      Caption = '-'
    end
    object Properties1Mitm: TMenuItem
      Caption = 'P&roperties'
      OnClick = Properties1MitmClick
    end
  end
end
)";

constexpr vcl::TResourceRecord kResources[] = {
    {RT_RCDATA, "TKWFRMOPENDLG", kForm.data(), kForm.size()},
};

} // namespace

void RegisterOpenDialogForm()
{
    vcl::RegisterResources(vcl::HInstance(), kResources);
}

void UnregisterOpenDialogForm()
{
    vcl::UnregisterResource(vcl::HInstance(), RT_RCDATA, "TKWFRMOPENDLG");
}

} // namespace kw::detail
