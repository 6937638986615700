#pragma once
// The shell-location editor's stored form.

#include <string_view>

namespace kw {

inline constexpr std::string_view kShellLocatorEditorFormText =
    R"(object FrmShellLocatorEditor: TFrmShellLocatorEditor
  Left = 250
  Top = 160
  BorderStyle = bsDialog
  Caption = 'Shell Locator Editor'
  ClientHeight = 203
  ClientWidth = 373
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  OnClose = FormClose
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 13
  object KwGroup2: TKwGroup
    Left = 8
    Top = 32
    Width = 269
    Height = 53
    Caption = ' '
    TabOrder = 4
    object ComboBox1: TComboBox
      Left = 40
      Top = 8
      Width = 189
      Height = 21
      Style = csDropDownList
      Color = clBtnFace
      Enabled = False
      TabOrder = 0
    end
  end
  object KwGroup4: TKwGroup
    Left = 8
    Top = 92
    Width = 269
    Height = 49
    Caption = ' '
    TabOrder = 8
    object PathNameEdt: TEdit
      Left = 8
      Top = 8
      Width = 253
      Height = 21
      Color = clBtnFace
      Enabled = False
      TabOrder = 0
    end
  end
  object KwGroup1: TKwGroup
    Left = 8
    Top = 148
    Width = 269
    Height = 45
    Caption = ' '
    TabOrder = 5
    object ItemTxt: TLabel
      Left = 8
      Top = 8
      Width = 165
      Height = 13
      AutoSize = False
      Enabled = False
    end
    object BrowseBtn: TButton
      Left = 181
      Top = 1
      Width = 75
      Height = 23
      Caption = '&Browse...'
      Enabled = False
      TabOrder = 0
      OnClick = BrowseBtnClick
    end
  end
  object DontUseAnythingRdo: TRadioButton
    Left = 18
    Top = 8
    Width = 113
    Height = 17
    Caption = 'Don''t use anything'
    TabOrder = 0
    OnClick = UsePidlRdoClick
  end
  object UseCSIDLRdo: TRadioButton
    Left = 18
    Top = 30
    Width = 79
    Height = 17
    Caption = 'Use CSIDL'
    TabOrder = 1
    OnClick = UsePidlRdoClick
  end
  object UsePathnameRdo: TRadioButton
    Left = 18
    Top = 91
    Width = 95
    Height = 17
    Caption = 'Use pathname'
    TabOrder = 2
    OnClick = UsePidlRdoClick
  end
  object UsePidlRdo: TRadioButton
    Left = 18
    Top = 146
    Width = 91
    Height = 17
    Caption = 'Use item id list'
    TabOrder = 3
    OnClick = UsePidlRdoClick
  end
  object OkBtn: TButton
    Left = 288
    Top = 12
    Width = 75
    Height = 23
    Default = True
    ModalResult = 1
    Caption = 'OK'
    TabOrder = 6
  end
  object CancelBtn: TButton
    Left = 288
    Top = 40
    Width = 75
    Height = 23
    Cancel = True
    ModalResult = 2
    Caption = 'Cancel'
    TabOrder = 7
  end
  object HelpBtn: TButton
    Left = 288
    Top = 80
    Width = 75
    Height = 23
    Caption = '&Help'
    TabOrder = 9
    OnClick = HelpBtnClick
  end
  object KwFolderBrowseDlg1: TKwFolderBrowseDlg
    Title = 'Select an item'
    FormHeight = 600
    Options = [kwfbReadOnly]
  end
end
)";

} // namespace kw
