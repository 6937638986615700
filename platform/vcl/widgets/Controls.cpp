// TControl: bounds and layout, the inherited properties, mouse messages and
// the context menu; TGraphicControl; the capture control.

#include "vcl/widgets/Controls.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/Menus.h"
#include "vcl/widgets/QtKeys.h"
#include "win32/Menus.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <QWidget>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

namespace vcl {

namespace {

TControl* g_captureControl = nullptr;
TPopupHook g_popupHook = nullptr;

} // namespace

TPopupHook SetPopupHook(TPopupHook hook)
{
    return std::exchange(g_popupHook, hook);
}

TControl* GetCaptureControl()
{
    if (g_captureControl) {
        // The platform's capture may have moved on without telling us.
        const TWinControl* owner = dynamic_cast<TWinControl*>(g_captureControl);
        if (!owner)
            owner = g_captureControl->Parent();
        if (!owner || !owner->HandleAllocated() || GetCapture() != const_cast<TWinControl*>(owner)->Handle())
            g_captureControl = nullptr;
    }
    return g_captureControl;
}

void SetCaptureControl(TControl* control)
{
    g_captureControl = nullptr;
    if (!control) {
        ReleaseCapture();
        return;
    }
    TWinControl* owner = dynamic_cast<TWinControl*>(control);
    if (!owner)
        owner = control->Parent();
    if (!owner)
        return;
    SetCapture(owner->Handle());
    g_captureControl = control;
}

// ---- TControl ----

const TClassRtti& TControl::PublishedTable()
{
    static const TClassRtti table = Publish<TControl>()
                                        .Property<&TControl::Left, &TControl::SetLeft>("Left")
                                        .Property<&TControl::Top, &TControl::SetTop>("Top")
                                        .Property<&TControl::Width, &TControl::SetWidth>("Width")
                                        .StoredIf<&TControl::IsSizeStored>()
                                        .Property<&TControl::Height, &TControl::SetHeight>("Height")
                                        .StoredIf<&TControl::IsSizeStored>()
                                        .Property<&TControl::Cursor, &TControl::SetCursor>("Cursor")
                                        .Type(CursorTypeInfo())
                                        .Default(crDefault)
                                        .Property<&TControl::Hint, &TControl::SetHint>("Hint");
    return table;
}

TControl::TControl(TComponent* owner)
    : TComponent(owner), Constraints_(Create<TSizeConstraints>(this)), Font_(Create<TFont>())
{
    WindowProc = TWndMethod(this, &TControl::WndProc);
    Font_->OnChange = TNotifyEvent(this, &TControl::FontChanged);
    Constraints_->OnChange = TNotifyEvent(this, &TControl::ConstraintsChange);
}

TControl::~TControl()
{
    vcl::Free(Font_);
    vcl::Free(Constraints_);
}

void TControl::BeforeDestruction()
{
    if (g_captureControl == this)
        g_captureControl = nullptr;
    TComponent::BeforeDestruction();
    SetParent(nullptr);
}

TControl::TDispatchScope::~TDispatchScope()
{
    if (--Control_->DispatchDepth_ == 0 && Control_->DeletePending_)
        delete Control_;
}

bool TControl::DeletionDeferred()
{
    if (DispatchDepth_ == 0)
        return false;
    DeletePending_ = true;
    return true;
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    const TDispatchScope scope(this);
    WindowProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& message)
{
    // Where the designer will see messages first; for now every message
    // goes to the control's handlers.
    if (ComponentState().Contains(csDesigning) && !DesignWndProc(message))
        return Dispatch(message);
    if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST && message.Msg != WM_MOUSEWHEEL &&
        message.Msg != WM_MOUSEHWHEEL && ComponentState().Contains(csDesigning)) {
        // At design time a mouse message reaches the control only when it
        // says it wants it; otherwise it is the designer's.
        if (Perform(CM_DESIGNHITTEST, message.WParam, message.LParam) == 0)
            return;
    }
    Dispatch(message);
}

bool TControl::DesignWndProc(TMessage&)
{
    return true;
}

void TControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
        return WMLButtonDown(message);
    case WM_LBUTTONUP:
        return WMLButtonUp(message);
    case WM_LBUTTONDBLCLK:
        return WMLButtonDblClk(message);
    case WM_RBUTTONDOWN:
        return WMRButtonDown(message);
    case WM_RBUTTONUP:
        return WMRButtonUp(message);
    case WM_RBUTTONDBLCLK:
        return WMRButtonDblClk(message);
    case WM_MBUTTONDOWN:
        return WMMButtonDown(message);
    case WM_MBUTTONUP:
        return WMMButtonUp(message);
    case WM_MBUTTONDBLCLK:
        return WMMButtonDblClk(message);
    case WM_MOUSEMOVE:
        return WMMouseMove(message);
    case WM_MOUSEWHEEL:
        return WMMouseWheel(message);
    case WM_MOUSEHWHEEL:
        return WMMouseHWheel(message);
    case WM_CONTEXTMENU:
        return WMContextMenu(message);
    case WM_CANCELMODE:
        return WMCancelMode(message);
    case CM_MOUSEWHEEL:
        return CMMouseWheel(message);
    case CM_ENABLEDCHANGED:
        return CMEnabledChanged(message);
    case CM_VISIBLECHANGED:
        return CMVisibleChanged(message);
    case CM_COLORCHANGED:
        return CMColorChanged(message);
    case CM_FONTCHANGED:
        return CMFontChanged(message);
    case CM_PARENTCOLORCHANGED:
        return CMParentColorChanged(message);
    case CM_PARENTFONTCHANGED:
        return CMParentFontChanged(message);
    case CM_PARENTSHOWHINTCHANGED:
        return CMParentShowHintChanged(message);
    case CM_SYSCOLORCHANGE:
        return CMSysColorChange(message);
    case CM_MOUSEENTER:
        return CMMouseEnter(message);
    case CM_MOUSELEAVE:
        return CMMouseLeave(message);
    case CM_HITTEST:
        return CMHitTest(message);
    default:
        return DefaultHandler(message);
    }
}

void TControl::DefaultHandler(TMessage& message)
{
    switch (message.Msg) {
    case WM_SETTEXT:
        Text_ = message.LParam ? reinterpret_cast<const char*>(message.LParam) : "";
        message.Result = TRUE;
        break;
    case WM_GETTEXTLENGTH:
        message.Result = static_cast<LRESULT>(Text_.size());
        break;
    case WM_GETTEXT: {
        // wParam is the buffer's size, with room for the terminator.
        const std::size_t room = message.WParam;
        auto* buffer = reinterpret_cast<char*>(message.LParam);
        if (!buffer || room == 0) {
            message.Result = 0;
            break;
        }
        const std::size_t n = std::min(Text_.size(), room - 1);
        std::memcpy(buffer, Text_.data(), n);
        buffer[n] = '\0';
        message.Result = static_cast<LRESULT>(n);
        break;
    }
    case WM_RBUTTONUP:
        // A control without a window gets its context menu as a window
        // would: after the button's release, in screen coordinates.
        if (!dynamic_cast<TWinControl*>(this)) {
            const TPoint screen = ClientToScreen(MessagePoint(message));
            Perform(WM_CONTEXTMENU, 0, MAKELPARAM(screen.x, screen.y));
        }
        break;
    case WM_CONTEXTMENU:
    case WM_MOUSEHWHEEL:
        if (!dynamic_cast<TWinControl*>(this) && Parent_)
            message.Result = Parent_->Perform(WM_CONTEXTMENU, message.WParam, message.LParam);
        break;
    default:
        break;
    }
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == Parent_)
        return;
    if (parent == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (Parent_)
        Parent_->RemoveControl(this);
    if (parent) {
        parent->InsertControl(this);
        UpdateAnchorRules();
    }
}

TComponent* TControl::GetParentComponent() const
{
    return Parent_;
}

void TControl::SetParentComponent(TComponent* value)
{
    SetParent(As<TWinControl>(value));
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    // Sizes are never negative, and the right and bottom edges stay within
    // int (a form file may say Left = 2147483647), so that BoundsRect and the
    // layout never overflow.
    width = std::max(0, width);
    height = std::max(0, height);
    ConstrainSize(Constraints_->Limits(), width, height);
    width = std::max(0, width);
    height = std::max(0, height);
    if (left > 0 && width > INT_MAX - left)
        width = INT_MAX - left;
    if (top > 0 && height > INT_MAX - top)
        height = INT_MAX - top;
    if (left != Left_ || top != Top_ || width != Width_ || height != Height_)
        ApplyBounds(left, top, width, height);
    if (!Aligning_) {
        UpdateAnchorRules();
        RequestAlign();
    }
}

void TControl::ApplyBounds(int left, int top, int width, int height)
{
    const bool sized = width != Width_ || height != Height_;
    if (Parent_ && Visible_)
        Parent_->InvalidateRect(BoundsRect());
    Left_ = left;
    Top_ = top;
    Width_ = width;
    Height_ = height;
    if (Parent_ && Visible_)
        Parent_->InvalidateRect(BoundsRect());
    if (sized)
        Resize();
}

void TControl::UpdateAnchorRules()
{
    if (!Parent_ || ComponentState().Contains(csLoading))
        return;
    const TRect client = Parent_->ClientRect();
    AnchorOrigin_ =
        FixAnchors(Anchors_, BoundsRect(), {client.right - client.left, client.bottom - client.top});
}

void TControl::RequestAlign()
{
    if (Parent_)
        Parent_->AlignControl(this);
}

TRect TControl::ClientRect() const
{
    return {0, 0, Width_, Height_};
}

int TControl::ClientWidth() const
{
    const TRect r = ClientRect();
    return r.right - r.left;
}

int TControl::ClientHeight() const
{
    const TRect r = ClientRect();
    return r.bottom - r.top;
}

void TControl::SetClientSize(int width, int height)
{
    SetBounds(Left_, Top_, Width_ - ClientWidth() + width, Height_ - ClientHeight() + height);
}

TPoint TControl::ClientOrigin() const
{
    if (!Parent_)
        throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    const TPoint origin = Parent_->ClientOrigin();
    return {origin.x + Left_, origin.y + Top_};
}

TPoint TControl::ClientToScreen(const TPoint& point) const
{
    const TPoint origin = ClientOrigin();
    return {point.x + origin.x, point.y + origin.y};
}

TPoint TControl::ScreenToClient(const TPoint& point) const
{
    const TPoint origin = ClientOrigin();
    return {point.x - origin.x, point.y - origin.y};
}

void TControl::SetAlign(TAlign value)
{
    if (value == Align_)
        return;
    const TAlign old = Align_;
    Align_ = value;
    Anchors_ = AnchorAlign(value);
    if (old == alNone || value == alNone)
        UpdateAnchorRules();
    RequestAlign();
}

void TControl::SetAnchors(TAnchors value)
{
    if (value == Anchors_)
        return;
    Anchors_ = value;
    UpdateAnchorRules();
}

void TControl::ConstraintsChange(TObject*)
{
    ConstraintsChanged();
}

void TControl::ConstraintsChanged()
{
    SetBounds(Left_, Top_, Width_, Height_);
}

void TControl::SetVisible(bool value)
{
    if (value == Visible_)
        return;
    VisibleChanging();
    Visible_ = value;
    Perform(CM_VISIBLECHANGED, value ? 1 : 0);
    RequestAlign();
}

bool TControl::Showing() const
{
    if (!Visible_)
        return false;
    if (Parent_)
        return Parent_->Showing();
    const auto* self = dynamic_cast<const TWinControl*>(this);
    return self && self->HandleAllocated();
}

void TControl::SetEnabled(bool value)
{
    if (value == Enabled_)
        return;
    Enabled_ = value;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor value)
{
    if (value == Color_)
        return;
    Color_ = value;
    ParentColor_ = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value)
{
    if (value == ParentColor_)
        return;
    ParentColor_ = value;
    if (Parent_ && !ComponentState().Contains(csReading))
        Perform(CM_PARENTCOLORCHANGED);
}

void TControl::FontChanged(TObject*)
{
    ParentFont_ = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value)
{
    if (value == ParentFont_)
        return;
    ParentFont_ = value;
    if (Parent_ && !ComponentState().Contains(csReading))
        Perform(CM_PARENTFONTCHANGED);
}

std::string TControl::Text() const
{
    auto* self = const_cast<TControl*>(this);
    const auto length = static_cast<std::size_t>(self->Perform(WM_GETTEXTLENGTH));
    std::string text(length + 1, '\0');
    const auto copied = static_cast<std::size_t>(
        self->Perform(WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::min(copied, length));
    return text;
}

void TControl::SetText(const std::string& value)
{
    if (Text() == value)
        return;
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    Perform(CM_TEXTCHANGED);
}

void TControl::SetShowHint(bool value)
{
    if (value == ShowHint_)
        return;
    ShowHint_ = value;
    ParentShowHint_ = false;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value)
{
    if (value == ParentShowHint_)
        return;
    ParentShowHint_ = value;
    if (Parent_ && !ComponentState().Contains(csReading))
        Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetCursor(TCursor value)
{
    if (value == Cursor_)
        return;
    Cursor_ = value;
    Perform(CM_CURSORCHANGED);
}

void TControl::Invalidate()
{
    if (Parent_ && Visible_)
        Parent_->InvalidateRect(BoundsRect());
}

void TControl::Update()
{
    if (Parent_)
        Parent_->Update();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::BringToFront()
{
    if (!Parent_)
        return;
    auto& list = Parent_->Controls_;
    std::erase(list, this);
    list.push_back(this);
    if (auto* windowed = dynamic_cast<TWinControl*>(this); windowed && windowed->Peer())
        windowed->Peer()->raise();
    Invalidate();
}

void TControl::Loaded()
{
    TComponent::Loaded();
    // Inserted into its parent while it was read, it took nothing of the
    // parent's then: a label of a form file shows its form's colour.
    if (Parent_) {
        Perform(CM_PARENTCOLORCHANGED);
        Perform(CM_PARENTFONTCHANGED);
        Perform(CM_PARENTSHOWHINTCHANGED);
    }
    UpdateAnchorRules();
    RequestAlign();
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component && component == PopupMenu_)
        PopupMenu_ = nullptr;
}

void TControl::SetPopupMenu(TPopupMenu* value)
{
    if (value == PopupMenu_)
        return;
    if (PopupMenu_)
        PopupMenu_->RemoveFreeNotification(this);
    PopupMenu_ = value;
    if (PopupMenu_)
        PopupMenu_->FreeNotification(this);
}

std::string GetShortHint(const std::string& hint)
{
    const auto bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(0, bar);
}

std::string GetLongHint(const std::string& hint)
{
    const auto bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

bool IsAccel(WPARAM ch, const std::string& text)
{
    const char mnemonic = win32::MenuMnemonic(text);
    return mnemonic != 0 && ch < 0x80 && std::tolower(static_cast<int>(ch)) == mnemonic;
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TControl::DoContextPopup(const TPoint& mousePos, bool& handled)
{
    if (OnContextPopup)
        OnContextPopup(this, mousePos, handled);
}

bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, const TPoint& mousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    if (handled)
        return true;
    // Whole notches become up and down events; the rest waits for more.
    WheelAccumulator_ += wheelDelta;
    while (std::abs(WheelAccumulator_) >= WHEEL_DELTA) {
        const bool down = WheelAccumulator_ < 0;
        WheelAccumulator_ = std::abs(WheelAccumulator_) - WHEEL_DELTA;
        if (down) {
            WheelAccumulator_ = -WheelAccumulator_;
            handled = DoMouseWheelDown(shift, mousePos);
        } else {
            handled = DoMouseWheelUp(shift, mousePos);
        }
    }
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState shift, const TPoint& mousePos)
{
    bool handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, shift, mousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, const TPoint& mousePos)
{
    bool handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, shift, mousePos, handled);
    return handled;
}

bool TControl::DoMouseHWheel(TShiftState shift, int wheelDelta, const TPoint& mousePos)
{
    bool handled = false;
    if (OnMouseHWheel)
        OnMouseHWheel(this, shift, wheelDelta, mousePos, handled);
    return handled;
}

// ---- mouse messages ----

void TControl::DoMouseDown(TMessage& message, TMouseButton button, TShiftState extra)
{
    // A control freed by an earlier handler of the message hears no more.
    if (ControlStyle_.Contains(csNoStdEvents) || ComponentState().Contains(csDestroying))
        return;
    const TPoint pt = MessagePoint(message);
    MouseDown(button, KeysToShiftState(message.WParamLo()) + extra, pt.x, pt.y);
}

void TControl::DoMouseUp(TMessage& message, TMouseButton button)
{
    if (ControlStyle_.Contains(csNoStdEvents) || ComponentState().Contains(csDestroying))
        return;
    const TPoint pt = MessagePoint(message);
    MouseUp(button, KeysToShiftState(message.WParamLo()), pt.x, pt.y);
}

void TControl::WMLButtonDown(TMessage& message)
{
    DefaultHandler(message);
    if (ControlStyle_.Contains(csCaptureMouse))
        SetCaptureControl(this);
    if (ControlStyle_.Contains(csClickEvents))
        ControlState_ += csClicked;
    DoMouseDown(message, mbLeft, {});
}

void TControl::WMLButtonUp(TMessage& message)
{
    DefaultHandler(message);
    if (ControlStyle_.Contains(csCaptureMouse) && GetCaptureControl() == this)
        SetCaptureControl(nullptr);
    if (ControlState_.Contains(csClicked)) {
        ControlState_ -= csClicked;
        if (PtInRect(ClientRect(), MessagePoint(message)))
            Click();
    }
    DoMouseUp(message, mbLeft);
}

void TControl::WMLButtonDblClk(TMessage& message)
{
    DefaultHandler(message);
    if (ControlStyle_.Contains(csCaptureMouse))
        SetCaptureControl(this);
    if (ControlStyle_.Contains(csClickEvents))
        DblClick();
    DoMouseDown(message, mbLeft, {ssDouble});
}

void TControl::WMRButtonDown(TMessage& message)
{
    DefaultHandler(message);
    DoMouseDown(message, mbRight, {});
}

void TControl::WMRButtonUp(TMessage& message)
{
    // The platform's handling sends WM_CONTEXTMENU before the mouse-up event.
    DefaultHandler(message);
    DoMouseUp(message, mbRight);
}

void TControl::WMRButtonDblClk(TMessage& message)
{
    DefaultHandler(message);
    DoMouseDown(message, mbRight, {ssDouble});
}

void TControl::WMMButtonDown(TMessage& message)
{
    DefaultHandler(message);
    DoMouseDown(message, mbMiddle, {});
}

void TControl::WMMButtonUp(TMessage& message)
{
    DefaultHandler(message);
    DoMouseUp(message, mbMiddle);
}

void TControl::WMMButtonDblClk(TMessage& message)
{
    DefaultHandler(message);
    DoMouseDown(message, mbMiddle, {ssDouble});
}

void TControl::WMMouseMove(TMessage& message)
{
    DefaultHandler(message);
    if (!ControlStyle_.Contains(csNoStdEvents)) {
        const TPoint pt = MessagePoint(message);
        MouseMove(KeysToShiftState(message.WParamLo()), pt.x, pt.y);
    }
}

void TControl::WMMouseWheel(TMessage& message)
{
    message.Result = Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
}

// Nobody takes the sideways wheel: it goes on up through the windows as
// the platform's default handling passes it.
void TControl::WMMouseHWheel(TMessage& message)
{
    const TShiftState shift = KeysToShiftState(GET_KEYSTATE_WPARAM(message.WParam));
    if (DoMouseHWheel(shift, GET_WHEEL_DELTA_WPARAM(message.WParam), MessagePoint(message))) {
        message.Result = 1;
        return;
    }
    DefaultHandler(message);
}

void TControl::CMMouseWheel(TMessage& message)
{
    const TShiftState shift = KeysToShiftState(GET_KEYSTATE_WPARAM(message.WParam));
    const int delta = GET_WHEEL_DELTA_WPARAM(message.WParam);
    message.Result = 0;
    if (DoMouseWheel(shift, delta, MessagePoint(message)))
        message.Result = 1;
    else if (Parent_)
        message.Result = Parent_->Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
}

void TControl::WMContextMenu(TMessage& message)
{
    if (message.Result != 0 || ComponentState().Contains(csDesigning))
        return;
    // -1 (both halves) says the keyboard asked, with no position.
    const bool fromKeyboard = message.LParam == -1;
    TPoint screen = MessagePoint(message);
    const TPoint clientPos = fromKeyboard ? TPoint{-1, -1} : ScreenToClient(screen);
    bool handled = false;
    DoContextPopup(clientPos, handled);
    message.Result = handled ? 1 : 0;
    if (handled)
        return;
    if (TPopupMenu* menu = GetPopupMenu(); menu && g_popupHook) {
        if (fromKeyboard)
            screen = ClientToScreen({0, 0});
        if (g_popupHook(menu, this, screen))
            message.Result = 1;
    }
    if (message.Result == 0)
        DefaultHandler(message);
}

void TControl::WMCancelMode(TMessage& message)
{
    if (GetCaptureControl() == this)
        SetCaptureControl(nullptr);
    DefaultHandler(message);
}

// ---- framework messages ----

void TControl::CMEnabledChanged(TMessage&)
{
    Invalidate();
}

void TControl::CMVisibleChanged(TMessage&)
{
    if (Parent_)
        Parent_->InvalidateRect(BoundsRect());
}

void TControl::CMColorChanged(TMessage&)
{
    Invalidate();
}

void TControl::CMFontChanged(TMessage&)
{
    Invalidate();
}

void TControl::CMParentColorChanged(TMessage& message)
{
    if (!ParentColor_)
        return;
    if (message.WParam != 0)
        SetColor(static_cast<TColor>(message.LParam));
    else if (Parent_)
        SetColor(Parent_->Color());
    ParentColor_ = true;
}

void TControl::CMParentFontChanged(TMessage& message)
{
    if (!ParentFont_)
        return;
    if (message.WParam != 0)
        Font_->Assign(reinterpret_cast<TFont*>(message.LParam));
    else if (Parent_)
        Font_->Assign(Parent_->Font());
    ParentFont_ = true;
}

void TControl::CMParentShowHintChanged(TMessage&)
{
    if (!ParentShowHint_ || !Parent_)
        return;
    SetShowHint(Parent_->ShowHint());
    ParentShowHint_ = true;
}

void TControl::CMSysColorChange(TMessage&)
{
    // System colours are looked up when drawn: showing them again is enough.
    if (Color_ < 0)
        Invalidate();
}

// The parent hears which control the mouse entered or left (lParam).
void TControl::CMMouseEnter(TMessage& message)
{
    if (Parent_)
        Parent_->Perform(CM_MOUSEENTER, 0, message.LParam ? message.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::CMMouseLeave(TMessage& message)
{
    if (Parent_)
        Parent_->Perform(CM_MOUSELEAVE, 0, message.LParam ? message.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::CMHitTest(TMessage& message)
{
    message.Result = HTCLIENT;
}

// ---- TGraphicControl ----

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), Canvas_(Create<TControlCanvas>())
{
    Canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl()
{
    vcl::Free(Canvas_);
}

} // namespace vcl
