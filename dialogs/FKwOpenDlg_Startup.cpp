// The unit's start-up and end: the form resource and the classes it names.

#include "FKwOpenDlg.h"
#include "FKwOpenDlg_p.h"

#include "UKwFrame.h"
#include "UKwImageCombo.h"
#include "UKwSplitter.h"
#include "vcl/core/ClassRegistry.h"

namespace kw {

void FKwOpenDlgInitialization()
{
    vcl::RegisterClasses(
        {vcl::TLabel::StaticClass(), vcl::TSpeedButton::StaticClass(), vcl::TPanel::StaticClass(),
         vcl::TEdit::StaticClass(), vcl::TButton::StaticClass(), vcl::TComboBox::StaticClass(),
         vcl::TCheckBox::StaticClass(), vcl::TPopupMenu::StaticClass(), vcl::TMenuItem::StaticClass(),
         TKwCombobox::StaticClass(), TKwGroup::StaticClass(), TKwSplitter::StaticClass(),
         TKwShellCombo::StaticClass(), TKwShellList::StaticClass(), TKwShellTree::StaticClass()});
    detail::RegisterOpenDialogForm();
}

void FKwOpenDlgFinalization()
{
    detail::UnregisterOpenDialogForm();
}

} // namespace kw
