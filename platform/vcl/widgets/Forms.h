#pragma once
// Forms, as far as controls need them yet: the top-level windowed control
// that may preview its controls' keys and moves the focus with the dialog
// keys.

#include "vcl/CorvaneVclExport.h"
#include "vcl/widgets/Controls.h"

namespace vcl {

class TMainMenu;

using TShortCutEvent = TEvent<void(TMessage& message, bool& handled)>;

class CORVANE_VCL_EXPORT TCustomForm : public TWinControl {
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

    // The control of the form that has (or, while the form is inactive,
    // last had) the focus; setting it focuses it when the form is shown.
    TWinControl* ActiveControl() const { return ActiveControl_; }
    void SetActiveControl(TWinControl* control);
    // A control of the form got the focus: the controls it left hear
    // CM_EXIT from the innermost outwards, those it entered CM_ENTER from the
    // outermost inwards. False when a handler moved the focus on meanwhile.
    bool SetFocusedControl(TWinControl* control);
    // A control that leaves the form (removing) or can no longer be active
    // takes the form's memory of the focus off itself and its children.
    void DefocusControl(TWinControl* control, bool removing);

protected:
    friend class TWinControl;
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
    void CMDialogKey(TMessage& message);
    void WMClose(TMessage& message);
    void Notification(TComponent* component, TOperation operation) override;
    void WMActivate(TMessage& message);

private:
    bool KeyPreview_ = false;
    TMainMenu* Menu_ = nullptr;
    TWinControl* ActiveControl_ = nullptr;
    // Where the enter and exit events stand: the control last entered.
    TWinControl* FocusedControl_ = nullptr;
};

// The form a control sits on; null when there is none.
CORVANE_VCL_EXPORT TCustomForm* GetParentForm(TControl* control);

} // namespace vcl
