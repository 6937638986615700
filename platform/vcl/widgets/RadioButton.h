#pragma once
// TRadioButton: one choice of several. Checking it clears every other radio
// button of the same parent and runs its click; a click, the space key or
// its mnemonic checks it.

#include "vcl/CorvaneVclExport.h"
#include "vcl/widgets/Controls.h"

namespace vcl {

class CORVANE_VCL_EXPORT TRadioButton : public TCustomControl {
    VCL_DECLARE_PUBLISHED_CLASS(TRadioButton, TCustomControl)
public:
    explicit TRadioButton(TComponent* owner);

    bool Checked() const { return Checked_; }
    void SetChecked(bool value);

protected:
    void Dispatch(TMessage& message) override;
    void Paint() override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void CMDialogChar(TMessage& message);

    bool Checked_ = false;
    bool Pressed_ = false;
};

} // namespace vcl
