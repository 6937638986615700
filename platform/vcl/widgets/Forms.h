#pragma once
// Forms, as far as controls need them yet: the top-level windowed control
// that may preview its controls' keys and moves the focus with the dialog
// keys.

#include "vcl/widgets/Controls.h"

namespace vcl {

class TMainMenu;

using TShortCutEvent = TEvent<void(TMessage& message, bool& handled)>;

class TCustomForm : public TWinControl {
    VCL_DECLARE_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* owner);

    // Sees the keys of its controls before they do.
    bool KeyPreview() const { return KeyPreview_; }
    void SetKeyPreview(bool value) { KeyPreview_ = value; }

    // The menu whose bar the form shows and whose items it dispatches.
    TMainMenu* Menu() const { return Menu_; }
    void SetMenu(TMainMenu* value);
    // A key down of a control on the form: OnShortCut first, then the
    // form's menu. True when an item was clicked.
    virtual bool IsShortCut(TMessage& message);

    TShortCutEvent OnShortCut;

protected:
    friend class TWinControl;
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
    void CMDialogKey(TMessage& message);
    void WMClose(TMessage& message);
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool KeyPreview_ = false;
    TMainMenu* Menu_ = nullptr;
};

// The form a control sits on; null when there is none.
TCustomForm* GetParentForm(TControl* control);

} // namespace vcl
