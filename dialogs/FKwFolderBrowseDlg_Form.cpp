// The stored form of the folder-browse dialog, and the unit's start-up that
// registers it with the classes it names.

#include "FKwFolderBrowseDlg.h"

#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Resources.h"

#include <string_view>
#include <vector>

namespace kw {

namespace {

// The glyphs are 16-colour bitmaps; olive, their bottom-left colour, is
// transparent.
constexpr std::string_view kFolderBrowseForm = R"(object KwFrmFolderBrowseDlg: TKwFrmFolderBrowseDlg
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu, biMaximize]
  ClientHeight = 313
  ClientWidth = 358
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  OnCreate = FormCreate
  OnResize = FormResize
  PixelsPerInch = 96
  TextHeight = 13
  object CreateNewFolderBtn: TSpeedButton
    Left = 295
    Top = 3
    Width = 23
    Height = 22
    Hint = 'Create New Folder|Create a new folder here'
    Glyph.Data = {
      424D760100000000000076000000280000002000000010000000010004000000
      0000000100000000000000000000100000000000000000000000000080000080
      000000808000800000008000800080800000C0C0C000808080000000FF0000FF
      000000FFFF00FF000000FF00FF00FFFF0000FFFFFF0033333333333333333333
      3333333333330000000000000033888888888888883308888888888880338888
      8888888888330FBBBBBBBBBB80338F777777777788330FBBBBBBBBBB80338F77
      7777777788330FBBBBBBBBBB80338F777777777788330FBBBBBBBBBB80338F77
      7777777788330FBBBBBBBBBB80338F777777777788330FFFFFFFFFFF03338FFF
      FFFFFFFF83330BBBBBB000000333877777788888833330BBBB03333033333877
      7783333833333300003330303333338888333838333333333333330330333333
      3333338338333333333330B03333333333333878333333333333330333333333
      33333383333333333333333333333333333333333333 }
    NumGlyphs = 2
    ShowHint = True
    OnClick = CreateBtnClick
  end
  object DeleteFolderBtn: TSpeedButton
    Left = 325
    Top = 3
    Width = 23
    Height = 22
    Hint = 'Delete|Deletes the selected item(s).'
    Glyph.Data = {
      424DF60000000000000076000000280000001000000010000000010004000000
      0000800000000000000000000000100000000000000000000000000080000080
      000000808000800000008000800080800000C0C0C000808080000000FF0000FF
      000000FFFF00FF000000FF00FF00FFFF0000FFFFFF0033333333333333333333
      3333333333333993333333399333399933333399933333999333399933333339
      9933999333333333999999333333333339999333333333333999933333333333
      9999993333333339993399933333339993333999333339993333339993333993
      33333339933333333333333333333333333333333333 }
    Spacing = 0
    ShowHint = True
    OnClick = DeleteBtnClick
  end
  object StatusTxt: TKwFrame
    Left = 8
    Top = 8
    Width = 281
    Height = 17
    Alignment = taLeftJustify
    FrameSpace = 0
    FrameStyle = kwfsNone
    Caption = 'StatusTxt'
  end
  object KwShellTree1: TKwShellTree
    Left = 8
    Top = 28
    Width = 341
    Height = 245
    Options = [kwstoAutoFill, kwstoVirtualFolders, kwstoDesignInteractive, kwstoContextMenus, kwstoDynamicRefresh]
    ShowRoot = False
    HideSelection = False
    Indent = 19
    ParentColor = False
    TabOrder = 0
    OnChange = KwShellTree1Change
  end
  object ButtonPanel: TPanel
    Left = 0
    Top = 278
    Width = 358
    Height = 35
    Align = alBottom
    BevelOuter = bvNone
    ParentColor = True
    TabOrder = 1
    object OkBtn: TButton
      Left = 12
      Top = 6
      Width = 75
      Height = 23
      Caption = 'OK'
      Default = True
      ModalResult = 1
      TabOrder = 0
    end
    object CancelBtn: TButton
      Left = 92
      Top = 6
      Width = 75
      Height = 23
      Cancel = True
      Caption = 'Cancel'
      ModalResult = 2
      TabOrder = 1
    end
    object CreateBtn: TButton
      Left = 186
      Top = 6
      Width = 75
      Height = 23
      Cancel = True
      Caption = '&Create...'
      TabOrder = 2
      OnClick = CreateBtnClick
    end
    object DeleteBtn: TButton
      Left = 266
      Top = 6
      Width = 75
      Height = 23
      Cancel = True
      Caption = '&Delete...'
      TabOrder = 3
      OnClick = DeleteBtnClick
    end
  end
end
)";

// The classes this unit registered (not those registered before it).
std::vector<vcl::TClass> g_registered;

} // namespace

void FKwFolderBrowseDlgInitialization()
{
    vcl::RegisterResource(vcl::HInstance(), RT_RCDATA, "TKWFRMFOLDERBROWSEDLG", kFolderBrowseForm.data(),
                          kFolderBrowseForm.size());
    for (vcl::TClass cls :
         {TKwFrmFolderBrowseDlg::StaticClass(), TKwShellTree::StaticClass(), vcl::TPanel::StaticClass(),
          vcl::TButton::StaticClass(), vcl::TSpeedButton::StaticClass(), TKwFrame::StaticClass(),
          TKwFolderBrowseDlg::StaticClass()})
        if (vcl::RegisterClass(cls))
            g_registered.push_back(cls);
}

void FKwFolderBrowseDlgFinalization()
{
    vcl::UnregisterResource(vcl::HInstance(), RT_RCDATA, "TKWFRMFOLDERBROWSEDLG");
    for (vcl::TClass cls : g_registered)
        vcl::UnRegisterClass(cls);
    g_registered.clear();
}

} // namespace kw
