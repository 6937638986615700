#pragma once
// The first standard controls: push buttons (default, cancel, modal
// result), one-line edits, labels and panels.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/ModalResults.h"
#include "vcl/widgets/Controls.h"

namespace vcl {

// A push button painted in the style of the desktop; a click sets its form's
// modal result first. The default button answers Enter, the cancel button
// Escape, on whatever control of the form has the focus.
class CORVANE_VCL_EXPORT TButton : public TCustomControl {
    VCL_DECLARE_PUBLISHED_CLASS(TButton, TCustomControl)
public:
    explicit TButton(TComponent* owner);

    bool Default() const { return Default_; }
    void SetDefault(bool value);
    bool Cancel() const { return Cancel_; }
    void SetCancel(bool value) { Cancel_ = value; }
    TModalResult ModalResult() const { return ModalResult_; }
    void SetModalResult(TModalResult value) { ModalResult_ = value; }

    void Click() override;

protected:
    void Dispatch(TMessage& message) override;
    void Paint() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    // The button Enter reaches: the focused button, else the default one.
    bool Active() const;
    void CMDialogKey(TMessage& message);
    void CMDialogChar(TMessage& message);

    bool Default_ = false;
    bool Cancel_ = false;
    bool Pressed_ = false;
    TModalResult ModalResult_ = mrNone;
};

// A label: text painted on its parent, with a mnemonic that gives its focus
// control the focus.
class CORVANE_VCL_EXPORT TLabel : public TGraphicControl {
    VCL_DECLARE_PUBLISHED_CLASS(TLabel, TGraphicControl)
public:
    explicit TLabel(TComponent* owner);

    TWinControl* FocusControl() const { return FocusControl_; }
    void SetFocusControl(TWinControl* value);
    bool ShowAccelChar() const { return ShowAccelChar_; }
    void SetShowAccelChar(bool value);
    bool WordWrap() const { return WordWrap_; }
    void SetWordWrap(bool value);
    bool Transparent() const { return Transparent_; }
    void SetTransparent(bool value);
    bool AutoSize() const { return AutoSize_; }
    void SetAutoSize(bool value);

protected:
    void Dispatch(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Paint() override;
    void AdjustBounds();

private:
    void CMDialogChar(TMessage& message);
    UINT DrawFlags() const;

    TWinControl* FocusControl_ = nullptr;
    bool ShowAccelChar_ = true;
    bool WordWrap_ = false;
    bool Transparent_ = false;
    bool AutoSize_ = true;
};

} // namespace vcl
