#pragma once
// The framework's controls: TControl, TWinControl, TCustomControl and
// TGraphicControl.
//
// A control keeps all its state (bounds, alignment, visibility, colour,
// font, text, ...) itself. A windowed control gets a window handle and a Qt
// widget peer when its handle is first needed; the peer is made from the
// control's state and mirrors it, and is destroyed with the window. Qt
// events come back through one filter per peer, which turns them into window
// messages for the control's window procedure and stops every exception
// there (the application's HandleException). Graphic controls have no
// window: their parent paints them and hands them their mouse messages.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Colors.h"
#include "vcl/core/Component.h"
#include "vcl/core/Cursors.h"
#include "vcl/core/Events.h"
#include "vcl/core/ShiftState.h"
#include "vcl/widgets/AlignLayout.h"
#include "vcl/widgets/ControlMessages.h"
#include "vcl/widgets/Graphics.h"
#include "vcl/widgets/Messages.h"

#include <QRect>

#include <memory>
#include <string>
#include <vector>

class QPainter;
class QWidget;

namespace vcl {

class TWinControl;
class TPopupMenu;
class TWidgetPeer;

enum TControlStateFlag {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking
};
using TControlState = TSet<TControlStateFlag>;

enum TControlStyleFlag {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents
};
using TControlStyle = TSet<TControlStyleFlag>;

// A form's border; a control's border is none or single of these.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
VCL_ENUM_TYPE(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
using TBorderStyle = TFormBorderStyle;

// How a line of text sits across its box.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
VCL_ENUM_TYPE(TAlignment, taLeftJustify, taRightJustify, taCenter)

enum TMouseButton { mbLeft, mbRight, mbMiddle };
VCL_ENUM_TYPE(TMouseButton, mbLeft, mbRight, mbMiddle)

using TMouseEvent = TEvent<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = TEvent<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = TEvent<void(TObject* sender, WORD& key, TShiftState shift)>;
// Characters are UTF-16 code units, as WM_CHAR carries them.
using TKeyPressEvent = TEvent<void(TObject* sender, char16_t& key)>;
using TContextPopupEvent = TEvent<void(TObject* sender, TPoint mousePos, bool& handled)>;
using TMouseWheelEvent =
    TEvent<void(TObject* sender, TShiftState shift, int wheelDelta, TPoint mousePos, bool& handled)>;
using TMouseWheelUpDownEvent =
    TEvent<void(TObject* sender, TShiftState shift, TPoint mousePos, bool& handled)>;

// What QPainter-based drawing of one WM_PAINT gets: the painter on the
// control's client area (origin at the client's top-left corner) and the
// part that needs painting. Valid only during the paint; the canvas of the
// drawing layer wraps it.
class CORVANE_VCL_EXPORT TPaintContext {
public:
    TPaintContext(QPainter& painter, const TRect& clip) : Painter_(painter), Clip_(clip) {}
    QPainter& Painter() const { return Painter_; }
    const TRect& ClipRect() const { return Clip_; }

private:
    QPainter& Painter_;
    TRect Clip_;
};

class CORVANE_VCL_EXPORT TControl : public TComponent {
    VCL_DECLARE_PUBLISHED_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* owner);

    // The window procedure: WndProc unless replaced (a subclassing hook).
    TWndMethod WindowProc;
    // Sends a message straight to WindowProc and returns its result.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Looks for a handler of the message in this class and its parents;
    // what none takes goes to DefaultHandler.
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

    TWinControl* Parent() const { return Parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return Left_; }
    int Top() const { return Top_; }
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    void SetLeft(int value) { SetBounds(value, Top_, Width_, Height_); }
    void SetTop(int value) { SetBounds(Left_, value, Width_, Height_); }
    void SetWidth(int value) { SetBounds(Left_, Top_, value, Height_); }
    void SetHeight(int value) { SetBounds(Left_, Top_, Width_, value); }
    // Constraints clamp the size; the parent then realigns its children.
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return {Left_, Top_, Left_ + Width_, Top_ + Height_}; }
    void SetBoundsRect(const TRect& r) { SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); }
    virtual TRect ClientRect() const;
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientSize(int width, int height);
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& point) const;
    TPoint ScreenToClient(const TPoint& point) const;

    TAlign Align() const { return Align_; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const { return Anchors_; }
    void SetAnchors(TAnchors value);
    TSizeConstraints* Constraints() const { return Constraints_; }
    void SetConstraints(TSizeConstraints* value) { Constraints_->Assign(value); }

    bool Visible() const { return Visible_; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent up to a window that is shown.
    bool Showing() const;
    bool Enabled() const { return Enabled_; }
    virtual void SetEnabled(bool value);

    TColor Color() const { return Color_; }
    void SetColor(TColor value);
    bool ParentColor() const { return ParentColor_; }
    void SetParentColor(bool value);
    // Colour and font are written to a form file when not the parent's.
    bool IsColorStored() const { return !ParentColor_; }
    bool IsFontStored() const { return !ParentFont_; }
    // Whether Width and Height go to a form file: a form stores its client
    // size instead.
    virtual bool IsSizeStored() const { return true; }
    // Anchors are written when they are not what the alignment gives.
    bool IsAnchorsStored() const { return Anchors_ != AnchorAlign(Align_); }
    TFont* Font() const { return Font_; }
    void SetFont(TFont* value) { Font_->Assign(value); }
    bool ParentFont() const { return ParentFont_; }
    void SetParentFont(bool value);

    std::string Text() const;
    void SetText(const std::string& value);
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& value) { SetText(value); }
    // "short|long": the tooltip shows the short part, Application's Hint
    // takes the long part; a hint without "|" is both.
    const std::string& Hint() const { return Hint_; }
    void SetHint(const std::string& value) { Hint_ = value; }
    bool ShowHint() const { return ShowHint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return ParentShowHint_; }
    void SetParentShowHint(bool value);
    TCursor Cursor() const { return Cursor_; }
    void SetCursor(TCursor value);
    TPopupMenu* PopupMenu() const { return PopupMenu_; }
    // Linked both ways: a menu freed first is no longer the control's.
    void SetPopupMenu(TPopupMenu* value);

    TControlStyle ControlStyle() const { return ControlStyle_; }
    void SetControlStyle(TControlStyle value) { ControlStyle_ = value; }
    TControlState ControlState() const { return ControlState_; }
    void SetControlState(TControlState value) { ControlState_ = value; }

    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    void BringToFront();
    // Whether a point of the client area belongs to the control (graphic
    // controls are hit-tested by their parent through CM_HITTEST).
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* value) override;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnResize;
    TContextPopupEvent OnContextPopup;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    // The wheel tilted sideways (WM_MOUSEHWHEEL): positive to the right.
    TMouseWheelEvent OnMouseHWheel;

    void BeforeDestruction() override;

    // Keeps a control's memory while it handles a message: a control freed
    // by one of its own handlers is deleted when the outermost returns, so
    // the handlers below it never touch freed memory.
    class TDispatchScope {
    public:
        explicit TDispatchScope(TControl* control) : Control_(control) { ++control->DispatchDepth_; }
        ~TDispatchScope();
        TDispatchScope(const TDispatchScope&) = delete;
        TDispatchScope& operator=(const TDispatchScope&) = delete;

    private:
        TControl* Control_;
    };

protected:
    ~TControl() override;
    bool DeletionDeferred() override;

    virtual void WndProc(TMessage& message);
    // At design time WndProc asks this first: true leaves the message to
    // the designer's gate (CM_DESIGNHITTEST for mouse messages), false
    // hands it to the control's own handlers.
    virtual bool DesignWndProc(TMessage& message);
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Resize();
    virtual void DoContextPopup(const TPoint& mousePos, bool& handled);
    virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, const TPoint& mousePos);
    virtual bool DoMouseWheelDown(TShiftState shift, const TPoint& mousePos);
    virtual bool DoMouseWheelUp(TShiftState shift, const TPoint& mousePos);
    virtual bool DoMouseHWheel(TShiftState shift, int wheelDelta, const TPoint& mousePos);
    virtual TPopupMenu* GetPopupMenu() const { return PopupMenu_; }
    // The parent's alignment pass asks for this control's place again.
    void RequestAlign();
    virtual void ConstraintsChanged();
    // Records where the anchors hold on to, from the bounds and the
    // parent's client size now.
    void UpdateAnchorRules();
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    // Tells every control of a windowed control's children the message.
    virtual void VisibleChanging() {}
    // Moves the bounds without the parent's realignment.
    virtual void ApplyBounds(int left, int top, int width, int height);
    bool Aligning() const { return Aligning_; }

    // Message handlers.
    void WMLButtonDown(TMessage& message);
    void WMLButtonUp(TMessage& message);
    void WMLButtonDblClk(TMessage& message);
    void WMRButtonDown(TMessage& message);
    void WMRButtonUp(TMessage& message);
    void WMRButtonDblClk(TMessage& message);
    void WMMButtonDown(TMessage& message);
    void WMMButtonUp(TMessage& message);
    void WMMButtonDblClk(TMessage& message);
    void WMMouseMove(TMessage& message);
    void WMMouseWheel(TMessage& message);
    void WMMouseHWheel(TMessage& message);
    void WMContextMenu(TMessage& message);
    void WMCancelMode(TMessage& message);
    void CMMouseWheel(TMessage& message);
    void CMEnabledChanged(TMessage& message);
    void CMVisibleChanged(TMessage& message);
    void CMColorChanged(TMessage& message);
    void CMFontChanged(TMessage& message);
    void CMParentColorChanged(TMessage& message);
    void CMParentFontChanged(TMessage& message);
    void CMParentShowHintChanged(TMessage& message);
    void CMSysColorChange(TMessage& message);
    void CMMouseEnter(TMessage& message);
    void CMMouseLeave(TMessage& message);
    void CMHitTest(TMessage& message);

    TControlStyle ControlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState ControlState_;

private:
    friend class TWinControl;
    void FontChanged(TObject* sender);
    void ConstraintsChange(TObject* sender);
    void DoMouseDown(TMessage& message, TMouseButton button, TShiftState extra);
    void DoMouseUp(TMessage& message, TMouseButton button);

    TWinControl* Parent_ = nullptr;
    int Left_ = 0;
    int Top_ = 0;
    int Width_ = 0;
    int Height_ = 0;
    TAlign Align_ = alNone;
    TAnchors Anchors_ = DefaultAnchors;
    TAnchorOrigin AnchorOrigin_;
    TSizeConstraints* Constraints_;
    bool Visible_ = true;
    bool Enabled_ = true;
    TColor Color_ = clWindow;
    bool ParentColor_ = true;
    TFont* Font_;
    bool ParentFont_ = true;
    std::string Text_;
    std::string Hint_;
    bool ShowHint_ = false;
    bool ParentShowHint_ = true;
    TCursor Cursor_ = crDefault;
    TPopupMenu* PopupMenu_ = nullptr;
    int WheelAccumulator_ = 0;
    bool Aligning_ = false;
    int DispatchDepth_ = 0;
    bool DeletePending_ = false;
};

// The window-creation record a windowed control fills before its window is
// made.
struct CORVANE_VCL_EXPORT TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    UINT WindowClassStyle = 0;
    std::string WinClassName;
};

class CORVANE_VCL_EXPORT TWinControl : public TControl {
    VCL_DECLARE_PUBLISHED_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* owner);

    // The window, made when first asked for (with the parent's first).
    HWND Handle();
    bool HandleAllocated() const { return Handle_ != nullptr; }
    void HandleNeeded();
    // Destroys the window and makes a new one from the control's state when
    // it had one.
    void RecreateWnd();
    // The peer widget; null while the control has no window.
    QWidget* Peer() const;

    int ControlCount() const { return static_cast<int>(Controls_.size()); }
    // Children in z-order, bottom first; raises EListError out of range.
    TControl* Controls(int index) const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // The child control (windowed or not, visible and enabled unless
    // allowDisabled) at a client point; the topmost one.
    TControl* ControlAtPos(const TPoint& pos, bool allowDisabled, bool allowWinControls = false) const;
    bool ContainsControl(const TControl* control) const;

    int TabOrder() const;
    void SetTabOrder(int value);
    bool TabStop() const { return TabStop_; }
    void SetTabStop(bool value);
    // The windowed children in tab order.
    std::vector<TWinControl*> TabList() const;
    // The next (or previous) control that can take the focus after current.
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                 bool checkParent) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();

    int BorderWidth() const { return BorderWidth_; }
    void SetBorderWidth(int value);
    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;

    void DisableAlign() { ++AlignLevel_; }
    void EnableAlign();
    void Realign();

    void Invalidate() override;
    // Invalidates part of the client area (a graphic child's bounds).
    void InvalidateRect(const TRect& rect);
    void Update() override;
    void SetBounds(int left, int top, int width, int height) override;
    void GetChildren(TGetChildProc proc, TComponent* root) override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    void BeforeDestruction() override;

    // Sends a message to every child control; controls get it through
    // Perform.
    void Broadcast(TMessage& message);
    // The control that sent a notification reflected back as CN_ + message.
    static TWinControl* FindControl(HWND window);

protected:
    ~TWinControl() override;

    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    void CreateHandle();
    void DestroyHandle();
    // The peer widget for a new window; the base makes a plain widget
    // painted through WM_PAINT. Common controls make a Qt view here.
    virtual QWidget* CreatePeerWidget(QWidget* parentWidget);
    // Makes the peer show what the control's state says.
    virtual void UpdatePeer();
    // The peer is a widget that draws itself: WM_PAINT's default handling is
    // the widget's own painting (no erasing, no canvas).
    virtual bool WidgetPaints() const { return false; }
    // Keeps the top pixels of the window out of its client area (a form's
    // menu bar sits there); the children move with the client area.
    void ReserveClientTop(int pixels);

    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    // Notifications from child windows reach their control as CN_ messages.
    bool DoControlMsg(HWND child, TMessage& message);
    // Lays out the children over rect (the client rectangle unless a class
    // keeps some of it).
    virtual void AlignControls(TControl* moved, TRect& rect);
    virtual void AdjustClientRect(TRect& rect) const {}
    void AlignControl(TControl* moved);
    void ApplyBounds(int left, int top, int width, int height) override;
    void ConstraintsChanged() override;
    // Once read, the children take the places their alignment gives them.
    void Loaded() override;

    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char16_t& key);
    bool DoKeyDown(TMessage& message);
    bool DoKeyUp(TMessage& message);
    bool DoKeyPress(TMessage& message);
    // A key that is a short-cut of a menu: the menu's item has been clicked.
    bool IsMenuKey(TMessage& message);
    virtual void DoEnter();
    virtual void DoExit();
    // Paints this control (through WM_PAINT) and then its graphic children.
    void PaintHandler(TMessage& message);
    virtual void PaintWindow(const TPaintContext& context) {}
    void PaintControls(const TPaintContext& context, TControl* first);
    // The paint in progress; null once a nested loop ended its painter.
    const TPaintContext* CurrentPaint() const;

    // Message handlers.
    void WMPaint(TMessage& message);
    void WMEraseBkgnd(TMessage& message);
    void WMSize(TMessage& message);
    void WMMove(TMessage& message);
    void WMSetFocus(TMessage& message);
    void WMKillFocus(TMessage& message);
    void WMKeyDown(TMessage& message);
    void WMKeyUp(TMessage& message);
    void WMChar(TMessage& message);
    void WMCommand(TMessage& message);
    void WMNotify(TMessage& message);
    void WMDrawItem(TMessage& message);
    void WMMeasureItem(TMessage& message);
    void WMDeleteItem(TMessage& message);
    void WMSetCursor(TMessage& message);
    void WMDestroy(TMessage& message);
    void WMNCDestroy(TMessage& message);
    void WMGetDlgCode(TMessage& message) { message.Result = 0; }
    void CNKeyDown(TMessage& message);
    void CNKeyUp(TMessage& message);
    void CNChar(TMessage& message);
    void CMRecreateWnd(TMessage& message);
    void CMColorChanged(TMessage& message);
    void CMFontChanged(TMessage& message);
    void CMEnabledChanged(TMessage& message);
    void CMVisibleChanged(TMessage& message);
    void CMTextChanged(TMessage& message);
    void CMShowHintChanged(TMessage& message);
    void CMSysColorChange(TMessage& message);
    void CMCursorChanged(TMessage& message);
    void CMDialogKey(TMessage& message);
    void CMEnter(TMessage& message);
    void CMExit(TMessage& message);

private:
    friend class TControl;
    friend class TControlCanvas;
    friend class TWidgetPeer;
    class Procedure;
    // Mouse messages of graphic children go to them.
    bool IsControlMouseMsg(TMessage& message);
    void UpdateMouseControl(TControl* control);
    void NotifyControls(UINT msg);
    void ApplyCursor(const TPoint& clientPos);
    void PlaceInZOrder();
    // Asks the window for its non-client area (WM_NCCALCSIZE) and keeps the
    // client area inside it.
    void MeasureNonClient();
    // The client area moved inside the window: children follow, and the
    // control hears its new client size.
    void ClientAreaMoved();
    // A control that can no longer hold the focus (hidden, disabled) gives
    // it to its form, whose controls hear they were left.
    void RemoveFocus();

    HWND Handle_ = nullptr;
    std::unique_ptr<Procedure> Procedure_;
    TWidgetPeer* PeerObject_ = nullptr;
    std::vector<TControl*> Controls_;
    std::vector<TWinControl*> TabList_;
    bool TabStop_ = false;
    int BorderWidth_ = 0;
    int AlignLevel_ = 0;
    bool RealignPending_ = false;
    const TPaintContext* CurrentPaint_ = nullptr;
    TControl* MouseControl_ = nullptr;
};

// A canvas on a control: during the control's paint it draws through that
// paint's device context; otherwise it takes the window's device context
// (a graphic control's parent's, moved to the control and clipped to it)
// when a call needs one, until FreeHandle.
class CORVANE_VCL_EXPORT TControlCanvas : public TCanvas {
    VCL_DECLARE_CLASS(TControlCanvas, TCanvas)
public:
    TControlCanvas() = default;

    TControl* Control() const { return Control_; }
    void SetControl(TControl* value);
    // Lets the device context go.
    void FreeHandle();
    // Draws through a paint in progress until FreeHandle.
    void BindPaint(const TPaintContext& context);

    // Installs the window layer's device contexts: inside a window's paint
    // they draw through the paint; outside it on an overlay over the window
    // that shows what was drawn until it is all drawn over again (as an
    // inverted line drawn twice is).
    static void InstallWindowDCs();

protected:
    ~TControlCanvas() override;
    void CreateHandle() override;

private:
    static HDC WindowDC(HWND window, DWORD flags);

    TControl* Control_ = nullptr;
    HDC Context_ = nullptr;
    HWND Window_ = nullptr;
    bool Painting_ = false;
};

// A windowed control that paints itself: Paint runs inside WM_PAINT with
// the paint context of that message.
class CORVANE_VCL_EXPORT TCustomControl : public TWinControl {
    VCL_DECLARE_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* owner);

    // Bound to the paint's device context while Paint runs.
    TCanvas* Canvas() const { return Canvas_; }

protected:
    ~TCustomControl() override;
    virtual void Paint() {}
    // The current WM_PAINT's context; null outside painting.
    const TPaintContext* PaintContext() const { return CurrentPaint(); }
    void PaintWindow(const TPaintContext& context) override;

private:
    TControlCanvas* Canvas_;
};

// A control without a window: its parent paints it (Paint with a context
// whose origin is the control's top-left corner) and hands it the mouse
// messages over its bounds.
class CORVANE_VCL_EXPORT TGraphicControl : public TControl {
    VCL_DECLARE_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* owner);

    TCanvas* Canvas() const { return Canvas_; }

protected:
    friend class TWinControl;
    ~TGraphicControl() override;
    virtual void Paint() {}
    // Null once a nested loop ended the paint's painter.
    const TPaintContext* PaintContext() const;

private:
    // Paint with the canvas bound to the context.
    void PaintWith(const TPaintContext& context);

    const TPaintContext* Paint_ = nullptr;
    TControlCanvas* Canvas_;
};

// Shows a control's popup menu at a screen point; true when it did. The
// menus layer installs it; without one, no menu pops up by itself.
using TPopupHook = bool (*)(TPopupMenu* menu, TControl* control, const TPoint& screenPos);
CORVANE_VCL_EXPORT TPopupHook SetPopupHook(TPopupHook hook);

// The parts of a hint before and after its first "|"; the whole hint when it
// has none.
CORVANE_VCL_EXPORT std::string GetShortHint(const std::string& hint);
CORVANE_VCL_EXPORT std::string GetLongHint(const std::string& hint);

// Whether the character ch is the mnemonic of text (the character after a
// single "&"), letters in either case.
CORVANE_VCL_EXPORT bool IsAccel(WPARAM ch, const std::string& text);

// The windowed control under a screen point; null over no control.
CORVANE_VCL_EXPORT TWinControl* FindVCLWindow(const TPoint& pos);

// The control that receives the mouse while a button is down over it (a
// graphic control through its parent's window); null for none.
CORVANE_VCL_EXPORT TControl* GetCaptureControl();
CORVANE_VCL_EXPORT void SetCaptureControl(TControl* control);

} // namespace vcl
