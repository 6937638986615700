#pragma once
// Forms, as far as controls need them yet: the top-level windowed control
// that may preview its controls' keys and moves the focus with the dialog
// keys.

#include "vcl/widgets/Controls.h"

namespace vcl {

class TCustomForm : public TWinControl {
    VCL_DECLARE_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* owner);

    // Sees the keys of its controls before they do.
    bool KeyPreview() const { return KeyPreview_; }
    void SetKeyPreview(bool value) { KeyPreview_ = value; }

protected:
    friend class TWinControl;
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
    void CMDialogKey(TMessage& message);
    void WMClose(TMessage& message);

private:
    bool KeyPreview_ = false;
};

// The form a control sits on; null when there is none.
TCustomForm* GetParentForm(TControl* control);

} // namespace vcl
