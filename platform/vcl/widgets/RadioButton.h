#pragma once
// TRadioButton: one choice of several. Checking it clears every other radio
// button of the same parent and runs its click; a click, the space key or
// its mnemonic checks it.

#include "vcl/CorvaneVclExport.h"
#include "vcl/widgets/ButtonControl.h"

namespace vcl {

class CORVANE_VCL_EXPORT TRadioButton : public TButtonControl {
    VCL_DECLARE_PUBLISHED_CLASS(TRadioButton, TButtonControl)
public:
    explicit TRadioButton(TComponent* owner);

    void SetChecked(bool value) override;

protected:
    void Toggle() override { SetChecked(true); }
};

} // namespace vcl
