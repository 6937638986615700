#pragma once
// Forms: top-level windows with a caption, a border, a menu and a modal
// loop, which preview their controls' keys, move the focus with the dialog
// keys and click their default and cancel buttons on Enter and Escape.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/ModalResults.h"
#include "vcl/widgets/Controls.h"

#include <QPointer>

#include <map>
#include <vector>

namespace vcl {

class TMainMenu;
class TMenuBarWidget;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
VCL_ENUM_TYPE(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
VCL_ENUM_TYPE(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
              poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
VCL_ENUM_TYPE(TWindowState, wsNormal, wsMinimized, wsMaximized)
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateFlag { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateFlag>;

using TCloseEvent = TEvent<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = TEvent<void(TObject* sender, bool& canClose)>;
using TShortCutEvent = TEvent<void(TMessage& message, bool& handled)>;

// WM_GETMINMAXINFO's record.
struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

class CORVANE_VCL_EXPORT TCustomForm : public TWinControl {
    VCL_DECLARE_PUBLISHED_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* owner);

    TFormBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    TBorderIcons BorderIcons() const { return BorderIcons_; }
    void SetBorderIcons(TBorderIcons value);
    TPosition Position() const { return Position_; }
    void SetPosition(TPosition value) { Position_ = value; }
    TWindowState WindowState() const { return WindowState_; }
    void SetWindowState(TWindowState value);
    TFormState FormState() const { return FormState_; }

    // Sees the keys of its controls before they do.
    bool KeyPreview() const { return KeyPreview_; }
    void SetKeyPreview(bool value) { KeyPreview_ = value; }
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

    // The menu whose bar the form shows above its client area and whose
    // items it dispatches; the bar follows the menu's changes.
    TMainMenu* Menu() const { return Menu_; }
    void SetMenu(TMainMenu* value);
    // A key down of a control on the form: OnShortCut first, then the
    // form's menu. True when an item was clicked.
    virtual bool IsShortCut(TMessage& message);

    // Setting it ends a modal loop; a refused close sets it back to mrNone.
    TModalResult ModalResult() const { return ModalResult_; }
    void SetModalResult(TModalResult value) { ModalResult_ = value; }
    // Shows the form, disables the other forms and runs a nested loop until
    // the modal result is set and the form agrees to close; returns it.
    // Raises EInvalidOperation for a form that is shown, disabled or modal.
    virtual TModalResult ShowModal();
    // Asks OnCloseQuery, then OnClose with the action (hide unless told
    // otherwise) and carries it out. A modal form gets mrCancel instead.
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages now pending have run.
    void Release();
    // Ends the modes a person is in on the form before something else takes
    // the mouse (a popup menu): the focused control hears CM_CANCELMODE with
    // sender, and a control that holds the mouse lets it go.
    void SendCancelMode(TControl* sender);
    // Brings the form up (shown, on top, active).
    void Show();

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TShortCutEvent OnShortCut;

    void AfterConstruction() override;
    void BeforeDestruction() override;
    // Written to a form file: the controls, then the components the form
    // owns that have no parent (menus, timers).
    void GetChildren(TGetChildProc proc, TComponent* root) override;
    // Below the menu bar, also before the window is made.
    TRect ClientRect() const override;
    // The client size a form file stores. Set while the form is read, it
    // is applied once the whole form is (when its menu bar is known).
    void SetClientWidth(int value);
    void SetClientHeight(int value);
    bool IsSizeStored() const override { return false; }
    // A window is never larger than its maximum tracking size
    // (WM_GETMINMAXINFO; by default the screen's).
    void SetBounds(int left, int top, int width, int height) override;
    // The designer's screen resolution and text height, kept as read (forms
    // are not scaled); a form not read from a file has 96 and its font's.
    int PixelsPerInch() const { return PixelsPerInch_; }
    void SetPixelsPerInch(int value) { PixelsPerInch_ = value; }
    int TextHeight() const;

protected:
    ~TCustomForm() override;
    friend class TWinControl;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    void DefineProperties(TFiler* filer) override;
    void Loaded() override;
    virtual void DoClose(TCloseAction& action);
    virtual void DoShow();
    virtual void DoHide();
    void VisibleChanging() override;
    void CMDialogKey(TMessage& message);
    void CMRelease(TMessage& message);
    void WMClose(TMessage& message);
    void WMGetMinMaxInfo(TMessage& message);
    void WMActivate(TMessage& message);

private:
    void ReadPixelsPerInch(TReader* reader);
    void WritePixelsPerInch(TWriter* writer);
    void ReadTextHeight(TReader* reader);
    void WriteTextHeight(TWriter* writer);
    // Sizes the toolkit lets the person give the window.
    void ApplyTrackSizes();
    // What WM_GETMINMAXINFO answers, asked with largest as the default
    // maximum.
    MINMAXINFO TrackSizes(POINT largest);
    // Shows the menu's bar (or none) over the top of the window.
    void UpdateMenuBar();
    void PlaceMenuBar();
    // Alt and a letter of the bar's items opens it.
    void CMDialogChar(TMessage& message);
    void PlaceOnShow();

    TFormBorderStyle BorderStyle_ = bsSizeable;
    TBorderIcons BorderIcons_{biSystemMenu, biMinimize, biMaximize};
    TPosition Position_ = poDesigned;
    TWindowState WindowState_ = wsNormal;
    TFormState FormState_;
    bool KeyPreview_ = false;
    TWinControl* ActiveControl_ = nullptr;
    // Where the enter and exit events stand: the control last entered.
    TWinControl* FocusedControl_ = nullptr;
    TMainMenu* Menu_ = nullptr;
    // Goes with the window's widget when the window is destroyed from
    // outside.
    QPointer<TMenuBarWidget> MenuBar_;
    TModalResult ModalResult_ = mrNone;
    int PixelsPerInch_ = 96;
    int TextHeight_ = 0; // 0: the font's
    // While ShowModal runs: where it learns that the form was freed under
    // its loop, and whether a release waits for the loop to end.
    bool* ModalFreed_ = nullptr;
    bool ReleaseAfterModal_ = false;
    // The client size read, applied in Loaded; -1 where none was.
    int LoadedClientWidth_ = -1;
    int LoadedClientHeight_ = -1;
};

class CORVANE_VCL_EXPORT TForm : public TCustomForm {
    VCL_DECLARE_PUBLISHED_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// The screen: its size, the application's forms, the active one and its
// focused control, and the cursor over every window of the application.
class CORVANE_VCL_EXPORT TScreen : public TComponent {
    VCL_DECLARE_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* owner);

    // crDefault: every window shows its own cursor; anything else shows
    // over all of them until set back. Callers nest by keeping the value
    // they found and setting it back.
    TCursor Cursor() const { return Cursor_; }
    void SetCursor(TCursor value);
    // The cursor of a number: the built-in ones, and those an application
    // gives numbers of its own (above 0).
    HCURSOR Cursors(TCursor index) const;
    void SetCursors(TCursor index, HCURSOR cursor);

    // The forms, in the order they were made.
    int FormCount() const;
    // Raises EListError out of range.
    TCustomForm* Forms(int index) const;
    // The form last activated (null once it is gone) and its focused
    // control.
    TCustomForm* ActiveForm() const { return ActiveForm_; }
    TWinControl* ActiveControl() const;

    // The primary screen's size in pixels, and of the part not taken by
    // the desktop's panels.
    int Width() const;
    int Height() const;
    int WorkAreaWidth() const;
    int WorkAreaHeight() const;

    TNotifyEvent OnActiveFormChange;
    TNotifyEvent OnActiveControlChange;

protected:
    ~TScreen() override;

private:
    friend class TCustomForm;
    void FormActivated(TCustomForm* form);
    void FocusChanged(TCustomForm* form);
    void FormGone(TCustomForm* form);

    TCursor Cursor_ = crDefault;
    bool Overriding_ = false;
    std::map<TCursor, HCURSOR> Cursors_;
    TCustomForm* ActiveForm_ = nullptr;
    // Only compared, never used: the control may be gone.
    const void* LastActiveControl_ = nullptr;
};

// The one screen, made on first use.
CORVANE_VCL_EXPORT TScreen* Screen();

// The form a control sits on; null when there is none.
CORVANE_VCL_EXPORT TCustomForm* GetParentForm(TControl* control);

// Disables every enabled top-level form but active and returns the list of
// those it disabled, for EnableTaskWindows (which frees it).
using TTaskWindowList = std::vector<TCustomForm*>*;
CORVANE_VCL_EXPORT TTaskWindowList DisableTaskWindows(TCustomForm* active);
CORVANE_VCL_EXPORT void EnableTaskWindows(TTaskWindowList list);

// The forms that exist, most recently made last.
CORVANE_VCL_EXPORT const std::vector<TCustomForm*>& AllForms();

} // namespace vcl
