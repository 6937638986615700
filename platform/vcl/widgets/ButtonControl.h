#pragma once
// TButtonControl: the ancestor of the check box and the radio button. It
// keeps the checked state, turns a left click released over it, the space
// key and its caption's mnemonic into Toggle, and paints the desktop style's
// indicator with the caption beside it.

#include "vcl/CorvaneVclExport.h"
#include "vcl/widgets/Controls.h"

#include <QStyle>

namespace vcl {

class CORVANE_VCL_EXPORT TButtonControl : public TCustomControl {
    VCL_DECLARE_CLASS(TButtonControl, TCustomControl)
public:
    bool Checked() const { return Checked_; }
    virtual void SetChecked(bool value) = 0;

protected:
    // element: the style's drawing of the kind of button.
    TButtonControl(TComponent* owner, QStyle::ControlElement element);

    // What the person's click, Space and the mnemonic do.
    virtual void Toggle() = 0;

    void Dispatch(TMessage& message) override;
    void Paint() override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

    bool Checked_ = false;

private:
    void CMDialogChar(TMessage& message);

    QStyle::ControlElement Element_;
    bool Pressed_ = false;
};

} // namespace vcl
