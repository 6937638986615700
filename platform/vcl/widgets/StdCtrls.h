#pragma once
// The first standard controls: push buttons (default, cancel, modal
// result), one-line edits, combo boxes, labels and panels.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/ModalResults.h"
#include "vcl/core/Strings.h"
#include "vcl/widgets/Controls.h"

#include <string>
#include <vector>

namespace vcl {

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
VCL_ENUM_TYPE(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)

// A one-line edit: the platform's edit window, driven by its messages. Its
// text, selection and limit count bytes of UTF-8, as the framework's
// strings do. OnChange follows every change of the text (typed or set)
// while the edit has a window.
class CORVANE_VCL_EXPORT TCustomEdit : public TWinControl {
    VCL_DECLARE_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* owner);

    // Selects the whole text when the focus comes in by the keyboard.
    bool AutoSelect() const { return AutoSelect_; }
    void SetAutoSelect(bool value) { AutoSelect_ = value; }
    // Takes the height of its font and border.
    bool AutoSize() const { return AutoSize_; }
    void SetAutoSize(bool value);
    TBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    TEditCharCase CharCase() const { return CharCase_; }
    void SetCharCase(TEditCharCase value);
    // How long typed or pasted text may make the text; 0: no limit of the
    // edit's own. Text set as a whole is kept whole.
    int MaxLength() const { return MaxLength_; }
    void SetMaxLength(int value);
    bool ReadOnly() const { return ReadOnly_; }
    void SetReadOnly(bool value);
    // Shown for every character instead of it; 0 shows the text.
    char PasswordChar() const { return PasswordChar_; }
    void SetPasswordChar(char value);
    // Changed by typing since the text was last set.
    bool Modified() const;
    void SetModified(bool value);

    int SelStart() const;
    void SetSelStart(int value);
    int SelLength() const;
    void SetSelLength(int value);
    std::string SelText() const;
    // Replaces the selection, within the limit.
    void SetSelText(const std::string& value);
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool CanUndo() const;
    void Undo();
    void Clear() { SetText(std::string()); }

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    QWidget* CreatePeerWidget(QWidget* parentWidget) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    bool WidgetPaints() const override { return true; }
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    void Loaded() override;
    virtual void Change();

private:
    void CNCommand(TMessage& message);
    void CMEnter(TMessage& message);
    void AdjustHeight();
    void SelectionBytes(DWORD& start, DWORD& end) const;

    bool AutoSelect_ = true;
    bool AutoSize_ = true;
    TBorderStyle BorderStyle_ = bsSingle;
    TEditCharCase CharCase_ = ecNormal;
    int MaxLength_ = 0;
    bool ReadOnly_ = false;
    char PasswordChar_ = 0;
    bool Modified_ = false;
    bool Creating_ = false;
};

class CORVANE_VCL_EXPORT TEdit : public TCustomEdit {
    VCL_DECLARE_PUBLISHED_CLASS(TEdit, TCustomEdit)
public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
VCL_ENUM_TYPE(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable)

// The owner-draw state: bit n is the platform's ODS_ bit n.
enum TOwnerDrawStateFlag {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odHotLight,
    odInactive,
    odNoAccel,
    odNoFocusRect,
    odReserved1,
    odReserved2,
    odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;

using TDrawItemEvent = TEvent<void(TWinControl* control, int index, TRect rect, TOwnerDrawState state)>;
using TMeasureItemEvent = TEvent<void(TWinControl* control, int index, int& height)>;

// A combo box: the platform's combo window, driven by its messages. Items,
// their objects, the selection and the text outlive the window: they are
// kept while it is made again (a new style, a new font) and while there is
// none, and the objects of items kept without a window are told deleted
// (WM_DELETEITEM) as the window would tell them.
class CORVANE_VCL_EXPORT TCustomComboBox : public TWinControl {
    VCL_DECLARE_CLASS(TCustomComboBox, TWinControl)
public:
    explicit TCustomComboBox(TComponent* owner);

    TComboBoxStyle Style() const { return Style_; }
    void SetStyle(TComboBoxStyle value);
    TStrings* Items() const { return Items_; }
    void SetItems(TStrings* value);
    int ItemIndex() const;
    void SetItemIndex(int value);
    int DropDownCount() const { return DropDownCount_; }
    void SetDropDownCount(int value);
    // The owner-drawn styles' item height; the list's font line otherwise.
    int ItemHeight() const;
    void SetItemHeight(int value);
    // How long a typed text may be; 0: no limit.
    int MaxLength() const { return MaxLength_; }
    void SetMaxLength(int value);
    bool Sorted() const { return Sorted_; }
    void SetSorted(bool value);
    bool DroppedDown() const;
    void SetDroppedDown(bool value);
    // Bound to the item's device context while an item is drawn.
    TCanvas* Canvas() const { return Canvas_; }
    TBrush* Brush() const { return Brush_; }
    void Clear() { Items_->Clear(); }

    void BeforeDestruction() override;

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    ~TCustomComboBox() override;
    void CreateParams(TCreateParams& params) override;
    QWidget* CreatePeerWidget(QWidget* parentWidget) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    bool WidgetPaints() const override { return true; }
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

    virtual void Change();
    virtual void DropDown();
    virtual void CloseUp();
    virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
    virtual void MeasureItem(int index, int& height);

    void CNCommand(TMessage& message);
    void CNDrawItem(TMessage& message);
    void CNMeasureItem(TMessage& message);
    // Draws an item of a WM_DRAWITEM record on the canvas: selected items
    // in the highlight colours, the focus rectangle when asked for.
    void DrawItemRecord(const DRAWITEMSTRUCT& record, bool focusRect);

private:
    class TComboBoxStrings;
    friend class TComboBoxStrings;
    struct TSavedItem {
        std::string Text;
        ULONG_PTR Data = 0;
    };
    bool OwnerDrawn() const { return Style_ == csOwnerDrawFixed || Style_ == csOwnerDrawVariable; }
    // Items kept without a window go as the window's would.
    void DeleteSaved(int index);
    void InsertSaved(int index, const std::string& text);

    TComboBoxStyle Style_ = csDropDown;
    TStrings* Items_;
    TCanvas* Canvas_;
    TBrush* Brush_;
    int DropDownCount_ = 8;
    int ItemHeight_ = 16;
    int MaxLength_ = 0;
    bool Sorted_ = false;
    std::vector<TSavedItem> Saved_;
    int SavedIndex_ = -1;
};

class CORVANE_VCL_EXPORT TComboBox : public TCustomComboBox {
    VCL_DECLARE_PUBLISHED_CLASS(TComboBox, TCustomComboBox)
public:
    explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

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
    // Where each line of the caption sits; a right-justified label that
    // sizes itself keeps its right edge.
    TAlignment Alignment() const { return Alignment_; }
    void SetAlignment(TAlignment value);

protected:
    void Dispatch(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;
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
    TAlignment Alignment_ = taLeftJustify;
};

} // namespace vcl
