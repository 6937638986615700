// The radio button, painted in the style of the desktop.

#include "vcl/widgets/RadioButton.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/ControlPublish_p.h"

namespace vcl {

const TClassRtti& TRadioButton::PublishedTable()
{
    static const TClassRtti table =
        PublishWinControl(Publish<TRadioButton>(), clBtnFace, false)
            .Property<&TRadioButton::Caption, &TRadioButton::SetCaption>("Caption")
            .Property<&TRadioButton::Checked, &TRadioButton::SetChecked>("Checked")
            .Default(false);
    return table;
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner, QStyle::CE_RadioButton)
{
    SetBounds(0, 0, 113, 17);
    SetColor(clBtnFace);
}

void TRadioButton::SetChecked(bool value)
{
    if (value == Checked_)
        return;
    Checked_ = value;
    SetTabStop(value);
    Invalidate();
    if (!value)
        return;
    if (TWinControl* parent = Parent())
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i)); sibling && sibling != this)
                sibling->SetChecked(false);
    // A form being read sets the state it had; nobody clicked.
    if (!ComponentState().Contains(csLoading))
        Click();
}

} // namespace vcl
