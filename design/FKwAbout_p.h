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
    object Image1: TImage
      Left = 0
      Top = 0
      Width = 160
      Height = 120
      Align = alClient
      Center = True
      Picture.Data = {
        07544269746D617089504E470D0A1A0A0000000D49484452000000A000000078
        0803000000427C095D00000018504C54451830583C6EAAFAD246DCA028FFFFFF
        AAC8EB000000281E00C63C2838000000097048597300000EC400000EC401952B
        0E1B000001CA4944415478DAEDD8D972C3200C0550D212F8FF3F6E3B53274808
        B39845C4F7BEC575DC1390D9CC43790C80000208208000EE0B74FF29067A9629
        BA8C9102BF49FC3C5F5AB808E88468023A572CDC0C5896413E5948815F25F1A3
        7CA27019D0FE4627D03D0E5F2C5C0F7C51FE70454D38151848E4165C0A6414D1
        B70EE80AB308E89C66A0ABC99A16540F644CDD33897AE01673B1FAD5CC85F520
        8057F724D380ADBBBA89C0B67DF14C60D3C9C26460F5D98C7E60C3B673F461CE
        F9E9D6F3997D801FBCD307703D70F031C975E0E0371EC0DB0373011035082080
        7A806D33F44CE06B6C02F07217572CCA26AE07BD4D6528B0FC7E003705928A53
        090C7775E70B3300F71C662A066A0055023B6E9A6E092CC82701072CB7BA0247
        EC49000410C03B00979EF22B8841100441F6CFB17550CED32A7CCB7402C38653
        0F247D1EFED9C697E8B5E03EF1313D7DB420DF9F8E4BD417DD17FE8C1EC2E811
        C1FFE7154A81B4806DD0D4C263FA01B927EA59F60D7E957FEDB2B01CC8CB8CF6
        A93EA0CD02FB546105D01CC0B0F88603B930034CB598E9FE72A4066A7D403ED5
        25BA8E0FBD61579E817B4C4F42B95BF92D1407E204ACEB0AC4C6D3161FFD847A
        885E6A13BFF56A977008822008322D3F69D86630620626460000000049454E44
        AE426082}
      Stretch = True
    end
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
