#pragma once
// The about box's stored form.

#include <string_view>

namespace kw {

inline constexpr std::string_view kAboutFormText = R"(object KwFrmAbout: TKwFrmAbout
  Left = 200
  Top = 120
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'About'
  ClientHeight = 288
  ClientWidth = 246
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object Bevel1: TBevel
    Left = -1
    Top = 138
    Width = 253
    Height = 2
    Shape = bsTopLine
  end
  object ProductTxt: TLabel
    Left = 8
    Top = 148
    Width = 16
    Height = 13
    Caption = '%s'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object VersionTxt: TLabel
    Left = 8
    Top = 164
    Width = 51
    Height = 13
    Caption = 'Version %s'
  end
  object CopyrightTxt: TLabel
    Left = 8
    Top = 184
    Width = 229
    Height = 45
    AutoSize = False
    Caption = 'Copyright %s %s'
    WordWrap = True
  end
  object Panel1: TPanel
    Left = 41
    Top = 6
    Width = 164
    Height = 124
    BevelOuter = bvNone
    BorderStyle = bsSingle
    TabOrder = 2
  end
  object Button1: TButton
    Left = 8
    Top = 236
    Width = 93
    Height = 23
    Caption = '&Visit our web site'
    TabOrder = 0
    OnClick = Button1Click
  end
  object CloseBtn: TButton
    Left = 162
    Top = 236
    Width = 75
    Height = 23
    Cancel = True
    Caption = 'Close'
    Default = True
    ModalResult = 1
    TabOrder = 1
  end
end
)";

} // namespace kw
