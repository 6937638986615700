// The unit's start-up and end: the form's resources and the classes its
// form file names.

#include "FMain.h"
#include "FMain_p.h"

#include "vcl/core/ClassRegistry.h"

namespace demo {

void FMainInitialization()
{
    vcl::RegisterClasses({vcl::TPageControl::StaticClass(), vcl::TTabSheet::StaticClass(),
                          vcl::TPaintBox::StaticClass(),    vcl::TLabel::StaticClass(),
                          vcl::TPanel::StaticClass(),       vcl::TImage::StaticClass(),
                          vcl::TButton::StaticClass(),      vcl::TRichEdit::StaticClass(),
                          vcl::TEdit::StaticClass(),        vcl::TSpeedButton::StaticClass(),
                          vcl::TScrollBox::StaticClass(),   vcl::TTimer::StaticClass(),
                          vcl::TPopupMenu::StaticClass(),   vcl::TMenuItem::StaticClass(),
                          vcl::TFontDialog::StaticClass(),  vcl::TColorDialog::StaticClass(),
                          kw::TKwShellList::StaticClass(),  kw::TKwTreeView::StaticClass(),
                          kw::TKwSplitter::StaticClass(),   kw::TKwPane::StaticClass(),
                          kw::TKwImageCombo::StaticClass(), kw::TKwOpenDlg::StaticClass(),
                          kw::TKwSaveDlg::StaticClass(),    kw::TKwFolderBrowseDlg::StaticClass()});
    RegisterMainFormResources();
}

void FMainFinalization()
{
    UnregisterMainFormResources();
}

} // namespace demo
