// TWinControl: the window and its peer, children and layout, focus and tab
// order, keys, painting, reflected notifications; TCustomControl.

#include "vcl/core/ExceptionFormat.h"
#include "vcl/core/Publish.h"
#include "vcl/core/SysUtils.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/Controls.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/Menus.h"
#include "vcl/widgets/QtKeys.h"
#include "vcl/widgets/WidgetPeer_p.h"
#include "win32/ComboBoxes.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QFrame>
#include <QPainter>

#include <algorithm>

namespace vcl {

// What the platform calls for the control's window.
class TWinControl::Procedure final : public win32::WindowProcedure {
public:
    explicit Procedure(TWinControl* control) : Control(control) {}
    ~Procedure() = default;

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        // A handler may destroy the window, and this procedure with it:
        // nothing of it is used once the control has the message.
        TWinControl* const control = Control;
        // The handle is known from the first message on, before creation returns.
        if (!control->Handle_)
            control->Handle_ = window;
        TMessage m{message, wParam, lParam, 0};
        const TDispatchScope scope(control);
        // The boundary of every message the platform delivers.
        try {
            control->WindowProc(m);
        } catch (...) {
            Application()->HandleException(control);
        }
        return m.Result;
    }

    TWinControl* const Control;
};

const TClassRtti& TWinControl::PublishedTable()
{
    static const TClassRtti table = Publish<TWinControl>();
    return table;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() = default;

void TWinControl::BeforeDestruction()
{
    Destroying();
    if (GetCaptureControl() && (GetCaptureControl() == this || ContainsControl(GetCaptureControl())))
        SetCaptureControl(nullptr);
    // The window goes while the control is whole, then every child with it.
    DestroyHandle();
    while (!Controls_.empty()) {
        TControl* child = Controls_.back();
        RemoveControl(child);
        child->Free();
    }
    TControl::BeforeDestruction();
}

// ---- the window ----

HWND TWinControl::Handle()
{
    HandleNeeded();
    return Handle_;
}

void TWinControl::HandleNeeded()
{
    // A control being freed gets no new window (its handlers may still ask).
    if (Handle_ || ComponentState().Contains(csDestroying))
        return;
    if (Parent())
        Parent()->HandleNeeded();
    CreateHandle();
}

QWidget* TWinControl::Peer() const
{
    return PeerObject_ ? PeerObject_->Widget() : nullptr;
}

void TWinControl::CreateHandle()
{
    if (Handle_)
        return;
    CreateWnd();
    PlaceInZOrder();
    // Children get their windows with the parent's, bottom of the z-order first.
    for (TControl* child : std::vector<TControl*>(Controls_))
        if (auto* windowed = dynamic_cast<TWinControl*>(child))
            windowed->CreateHandle();
    Realign();
}

// A window made again (RecreateWnd) keeps its place among its siblings'
// windows: under the first windowed control above it.
void TWinControl::PlaceInZOrder()
{
    if (!Parent() || !PeerObject_)
        return;
    const auto& siblings = Parent()->Controls_;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    if (it == siblings.end())
        return;
    for (++it; it != siblings.end(); ++it)
        if (auto* above = dynamic_cast<TWinControl*>(*it); above && above->Peer()) {
            Peer()->stackUnder(above->Peer());
            return;
        }
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params = {};
    params.Caption = Text();
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (ControlStyle_.Contains(csAcceptsControls))
        params.Style |= WS_CLIPCHILDREN;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    if (TabStop_)
        params.Style |= WS_TABSTOP;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    if (Parent())
        params.WndParent = Parent()->Handle();
    params.WindowClassStyle = CS_VREDRAW | CS_HREDRAW;
    if (ControlStyle_.Contains(csDoubleClicks))
        params.WindowClassStyle |= CS_DBLCLKS;
    params.WinClassName = ClassName();
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && !params.WndParent)
        throw CreateFmt<EInvalidOperation>("Control '%s' has no parent window", {Name()});
    ControlState_ += csCreating;
    try {
        CreateWindowHandle(params);
    } catch (...) {
        ControlState_ -= csCreating;
        throw;
    }
    ControlState_ -= csCreating;
    if (!Handle_)
        throw CreateFmt<EOutOfMemory>("Error creating window for control '%s'", {Name()});
    UpdatePeer();
    Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
}

QWidget* TWinControl::CreatePeerWidget(QWidget* parentWidget)
{
    return new QFrame(parentWidget);
}

void TWinControl::CreateWindowHandle(const TCreateParams& params)
{
    Application(); // exceptions that reach the boundaries need their handler
    TWidgetPeer* parentPeer = Parent() ? Parent()->PeerObject_ : nullptr;
    QWidget* widget = CreatePeerWidget(parentPeer ? parentPeer->Widget() : nullptr);
    PeerObject_ = new TWidgetPeer(this, widget);
    PeerObject_->ApplyStyles(params.Style, params.ExStyle, BorderWidth_);
    Procedure_ = std::make_unique<Procedure>(this);
    win32::WindowCreation creation;
    creation.Parent = params.WndParent;
    creation.Style = params.Style;
    creation.ExStyle = params.ExStyle;
    // A child's id is its own among its siblings: the owner-draw records
    // that name no window (WM_MEASUREITEM) find it by its id.
    if ((params.Style & WS_CHILD) && params.WndParent) {
        static int lastId = 0;
        for (int tries = 0; tries < 0xFFFF; ++tries) {
            lastId = lastId % 0xFFFF + 1;
            if (!GetDlgItem(params.WndParent, lastId))
                break;
        }
        creation.Id = lastId;
    }
    const HWND window = win32::CreateWindowFor(Procedure_.get(), creation, PeerObject_);
    if (!window) {
        Handle_ = nullptr;
        std::exchange(PeerObject_, nullptr)->Destroy();
        Procedure_.reset();
        return;
    }
    Handle_ = window;
    MeasureNonClient();
}

void TWinControl::MeasureNonClient()
{
    if (!PeerObject_ || !Handle_)
        return;
    const RECT proposed{Left(), Top(), Left() + Width(), Top() + Height()};
    WINDOWPOS pos{Handle_, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_FRAMECHANGED};
    NCCALCSIZE_PARAMS params{{proposed, proposed, proposed}, &pos};
    SendMessageA(Handle_, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
    if (!PeerObject_)
        return; // the handler destroyed the window
    const RECT& r = params.rgrc[0];
    const QMargins margins(std::max(0L, static_cast<long>(r.left - proposed.left)),
                           std::max(0L, static_cast<long>(r.top - proposed.top)),
                           std::max(0L, static_cast<long>(proposed.right - r.right)),
                           std::max(0L, static_cast<long>(proposed.bottom - r.bottom)));
    if (margins == PeerObject_->NonClient())
        return;
    PeerObject_->SetNonClient(margins);
    ClientAreaMoved();
}

void TWinControl::ReserveClientTop(int pixels)
{
    if (!PeerObject_ || PeerObject_->TopInset() == pixels)
        return;
    PeerObject_->SetTopInset(pixels);
    ClientAreaMoved();
}

void TWinControl::ClientAreaMoved()
{
    const QPoint offset = PeerObject_->ClientOffset();
    for (TControl* child : Controls_)
        if (auto* windowed = dynamic_cast<TWinControl*>(child); windowed && windowed->PeerObject_)
            windowed->PeerObject_->ApplyGeometry(QRect(windowed->Left() + offset.x(),
                                                       windowed->Top() + offset.y(), windowed->Width(),
                                                       windowed->Height()));
    Invalidate();
    Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth(), ClientHeight()));
}

void TWinControl::UpdatePeer()
{
    if (!PeerObject_)
        return;
    QWidget* widget = PeerObject_->Widget();
    const QPoint offset =
        Parent() && Parent()->PeerObject_ ? Parent()->PeerObject_->ClientOffset() : QPoint();
    PeerObject_->ApplyGeometry(QRect(Left() + offset.x(), Top() + offset.y(), Width(), Height()));
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ColorToQColor(Color()));
    palette.setColor(QPalette::Base, ColorToQColor(Color()));
    palette.setColor(QPalette::WindowText, ColorToQColor(Font()->Color()));
    palette.setColor(QPalette::Text, ColorToQColor(Font()->Color()));
    widget->setPalette(palette);
    // A control of no colour lets what lies behind it show.
    widget->setAttribute(Qt::WA_OpaquePaintEvent, Color() != clNone);
    if (!Parent())
        widget->setWindowTitle(QString::fromStdString(Text()));
    PeerObject_->ApplySizeLimits(Constraints()->Limits());
    PeerObject_->ApplyVisible(Visible());
}

void TWinControl::DestroyHandle()
{
    if (!Handle_)
        return;
    ControlState_ += csDestroyingHandle;
    for (TControl* child : std::vector<TControl*>(Controls_))
        if (auto* windowed = dynamic_cast<TWinControl*>(child))
            windowed->DestroyHandle();
    DestroyWnd();
    ControlState_ -= csDestroyingHandle;
}

void TWinControl::DestroyWnd()
{
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle()
{
    if (MouseControl_)
        MouseControl_ = nullptr;
    if (Handle_)
        DestroyWindow(Handle_);
    Handle_ = nullptr;
    if (PeerObject_)
        std::exchange(PeerObject_, nullptr)->Destroy();
    Procedure_.reset();
}

void TWinControl::RecreateWnd()
{
    if (HandleAllocated())
        Perform(CM_RECREATEWND);
}

void TWinControl::CMRecreateWnd(TMessage&)
{
    const bool hadFocus = Focused();
    DestroyHandle();
    HandleNeeded();
    if (hadFocus && CanFocus())
        ::SetFocus(Handle_);
}

TWinControl* TWinControl::FindControl(HWND window)
{
    auto* procedure = dynamic_cast<Procedure*>(win32::GetWindowProcedure(window));
    return procedure ? procedure->Control : nullptr;
}

// ---- children ----

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        throw CreateFmt<EListError>("List index out of bounds (%d)", {index});
    return Controls_[static_cast<std::size_t>(index)];
}

void TWinControl::InsertControl(TControl* control)
{
    Controls_.push_back(control);
    control->Parent_ = this;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed)
        TabList_.push_back(windowed);
    if (!control->ComponentState().Contains(csReading)) {
        control->Perform(CM_PARENTCOLORCHANGED);
        control->Perform(CM_PARENTFONTCHANGED);
        control->Perform(CM_PARENTSHOWHINTCHANGED);
        if (windowed && HandleAllocated())
            windowed->CreateHandle();
        else if (!windowed)
            control->Invalidate();
        AlignControl(control);
    }
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), TRUE);
}

void TWinControl::RemoveControl(TControl* control)
{
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), FALSE);
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        if (TCustomForm* form = GetParentForm(this))
            form->DefocusControl(windowed, true);
        if (const HWND focus = GetFocus(); focus && windowed->HandleAllocated() &&
                                           (focus == windowed->Handle_ || IsChild(windowed->Handle_, focus)))
            ::SetFocus(nullptr);
        windowed->DestroyHandle();
        std::erase(TabList_, windowed);
    } else {
        control->Invalidate();
    }
    if (MouseControl_ == control)
        MouseControl_ = nullptr;
    std::erase(Controls_, control);
    control->Parent_ = nullptr;
    if (!ComponentState().Contains(csDestroying))
        Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (const TWinControl* up = control ? control->Parent() : nullptr; up; up = up->Parent())
        if (up == this)
            return true;
    return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& pos, bool allowDisabled, bool allowWinControls) const
{
    for (auto it = Controls_.rbegin(); it != Controls_.rend(); ++it) {
        TControl* control = *it;
        if (!allowWinControls && dynamic_cast<TWinControl*>(control))
            continue;
        const bool visible = control->Visible() || (control->ComponentState().Contains(csDesigning) &&
                                                    !control->ControlStyle().Contains(csNoDesignVisible));
        if (!visible || (!allowDisabled && !control->Enabled()))
            continue;
        const TPoint local{pos.x - control->Left(), pos.y - control->Top()};
        if (PtInRect(control->ClientRect(), local) &&
            control->Perform(CM_HITTEST, 0, MAKELPARAM(local.x, local.y)) != 0)
            return control;
    }
    return nullptr;
}

void TWinControl::Broadcast(TMessage& message)
{
    for (TControl* child : std::vector<TControl*>(Controls_)) {
        // A handler may have taken a later child away, or freed it.
        if (std::find(Controls_.begin(), Controls_.end(), child) == Controls_.end())
            continue;
        const TDispatchScope scope(child);
        child->WindowProc(message);
        if (message.Result != 0)
            return;
    }
}

void TWinControl::NotifyControls(UINT msg)
{
    TMessage message{msg, 0, 0, 0};
    Broadcast(message);
}

void TWinControl::GetChildren(TGetChildProc proc, TComponent* root)
{
    for (TControl* control : Controls_)
        if (control->Owner() == root)
            proc(control);
}

// ---- bounds and layout ----

TRect TWinControl::ClientRect() const
{
    if (PeerObject_)
        return PeerObject_->PeerClientRect();
    const int inset = 2 * BorderWidth_;
    return {0, 0, std::max(0, Width() - inset), std::max(0, Height() - inset)};
}

TPoint TWinControl::ClientOrigin() const
{
    if (Handle_) {
        POINT origin{0, 0};
        ::ClientToScreen(Handle_, &origin);
        return origin;
    }
    // Without a window the client area starts inside the border width, as
    // the client rectangle says.
    const TPoint outer = Parent() ? TControl::ClientOrigin() : TPoint{Left(), Top()};
    return {outer.x + BorderWidth_, outer.y + BorderWidth_};
}

void TWinControl::SetBorderWidth(int value)
{
    if (value == BorderWidth_)
        return;
    BorderWidth_ = value;
    if (HandleAllocated()) {
        TCreateParams params;
        CreateParams(params);
        PeerObject_->ApplyStyles(params.Style, params.ExStyle, BorderWidth_);
    }
    Realign();
    Invalidate();
}

void TWinControl::ConstraintsChanged()
{
    if (PeerObject_)
        PeerObject_->ApplySizeLimits(Constraints()->Limits());
    TControl::ConstraintsChanged();
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    TControl::SetBounds(left, top, width, height);
}

void TWinControl::ApplyBounds(int left, int top, int width, int height)
{
    const bool moved = left != Left() || top != Top();
    const bool sized = width != Width() || height != Height();
    Left_ = left;
    Top_ = top;
    Width_ = width;
    Height_ = height;
    if (PeerObject_) {
        const QPoint offset =
            Parent() && Parent()->PeerObject_ ? Parent()->PeerObject_->ClientOffset() : QPoint();
        PeerObject_->ApplyGeometry(QRect(left + offset.x(), top + offset.y(), width, height));
    }
    // The window hears of its new place as it would from the platform.
    if (moved)
        Perform(WM_MOVE, 0, MAKELPARAM(left, top));
    if (sized)
        Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth(), ClientHeight()));
}

void TWinControl::WMSize(TMessage& message)
{
    Realign();
    Resize();
    DefaultHandler(message);
}

void TWinControl::WMMove(TMessage& message)
{
    DefaultHandler(message);
}

void TWinControl::Loaded()
{
    TControl::Loaded();
    if (RealignPending_)
        Realign();
}

void TWinControl::EnableAlign()
{
    if (AlignLevel_ > 0 && --AlignLevel_ == 0 && RealignPending_)
        Realign();
}

void TWinControl::Realign()
{
    AlignControl(nullptr);
}

void TWinControl::AlignControl(TControl* moved)
{
    if (ComponentState().Contains(csDestroying))
        return;
    if (AlignLevel_ > 0 || ComponentState().Contains(csLoading)) {
        RealignPending_ = true;
        return;
    }
    RealignPending_ = false;
    DisableAlign();
    try {
        TRect rect = ClientRect();
        AlignControls(moved, rect);
    } catch (...) {
        --AlignLevel_;
        throw;
    }
    --AlignLevel_;
    if (RealignPending_)
        Realign();
}

void TWinControl::AlignControls(TControl* moved, TRect& rect)
{
    AdjustClientRect(rect);
    const SIZE size{rect.right - rect.left, rect.bottom - rect.top};
    std::vector<TAlignItem> items;
    items.reserve(Controls_.size());
    int movedIndex = -1;
    for (std::size_t i = 0; i < Controls_.size(); ++i) {
        TControl* control = Controls_[i];
        // Anchors hold on from the first time the parent has a size.
        if (control->AnchorOrigin_.ParentSize.cx == 0 && control->AnchorOrigin_.ParentSize.cy == 0 &&
            (size.cx != 0 || size.cy != 0))
            control->AnchorOrigin_ = FixAnchors(control->Anchors_, control->BoundsRect(), size);
        TAlignItem item;
        item.Align = control->Align_;
        item.Anchors = control->Anchors_;
        item.Bounds = control->BoundsRect();
        item.Visible = control->Visible_;
        item.Constraints = control->Constraints_->Limits();
        item.Index = static_cast<int>(i);
        item.Origin = control->AnchorOrigin_;
        if (control == moved)
            movedIndex = static_cast<int>(i);
        items.push_back(item);
    }
    rect = vcl::AlignControls(items, rect, movedIndex);
    for (std::size_t i = 0; i < items.size() && i < Controls_.size(); ++i) {
        TControl* control = Controls_[i];
        const TRect& b = items[i].Bounds;
        if (b.left == control->Left_ && b.top == control->Top_ && b.right - b.left == control->Width_ &&
            b.bottom - b.top == control->Height_)
            continue;
        control->Aligning_ = true;
        try {
            control->ApplyBounds(b.left, b.top, b.right - b.left, b.bottom - b.top);
        } catch (...) {
            control->Aligning_ = false;
            throw;
        }
        control->Aligning_ = false;
    }
}

// ---- tab order and focus ----

int TWinControl::TabOrder() const
{
    if (!Parent())
        return -1;
    const auto& list = Parent()->TabList_;
    const auto found = std::find(list.begin(), list.end(), this);
    return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

void TWinControl::SetTabOrder(int value)
{
    if (!Parent())
        return;
    auto& list = Parent()->TabList_;
    std::erase(list, this);
    const auto at = static_cast<std::size_t>(std::clamp(value, 0, static_cast<int>(list.size())));
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), this);
}

void TWinControl::SetTabStop(bool value)
{
    if (value == TabStop_)
        return;
    TabStop_ = value;
    if (HandleAllocated()) {
        LONG_PTR style = GetWindowLongPtrA(Handle_, GWL_STYLE);
        style = value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrA(Handle_, GWL_STYLE, style);
    }
    Perform(CM_TABSTOPCHANGED);
}

std::vector<TWinControl*> TWinControl::TabList() const
{
    return TabList_;
}

namespace {

void TabOrderList(const TWinControl* parent, std::vector<TWinControl*>& list)
{
    for (TWinControl* control : parent->TabList()) {
        list.push_back(control);
        TabOrderList(control, list);
    }
}

} // namespace

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const
{
    std::vector<TWinControl*> list;
    TabOrderList(this, list);
    if (list.empty())
        return nullptr;
    const auto count = static_cast<int>(list.size());
    int start = static_cast<int>(std::find(list.begin(), list.end(), current) - list.begin());
    if (start == count)
        start = goForward ? count - 1 : 0;
    int i = start;
    for (int step = 0; step < count; ++step) {
        i = goForward ? (i + 1) % count : (i + count - 1) % count;
        TWinControl* candidate = list[static_cast<std::size_t>(i)];
        if (candidate == current)
            break;
        if ((!checkTabStop || candidate->TabStop()) && (!checkParent || candidate->Parent() == this) &&
            candidate->CanFocus())
            return candidate;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop)
{
    if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop))
        next->SetFocus();
}

bool TWinControl::CanFocus() const
{
    for (const TControl* control = this; control; control = control->Parent())
        if (!control->Visible() || !control->Enabled())
            return false;
    return true;
}

bool TWinControl::Focused() const
{
    return Handle_ && GetFocus() == Handle_;
}

void TWinControl::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    ::SetFocus(Handle());
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

// On a form, the form tells the controls the focus left and entered;
// a window without one hears of its own focus alone.
void TWinControl::WMSetFocus(TMessage& message)
{
    if (TCustomForm* form = GetParentForm(this)) {
        const TDispatchScope formScope(form);
        if (!form->SetFocusedControl(this))
            return;
    } else {
        Perform(CM_ENTER);
        if (GetFocus() != Handle_)
            return;
    }
    DefaultHandler(message);
}

void TWinControl::WMKillFocus(TMessage& message)
{
    DefaultHandler(message);
    if (!GetParentForm(this))
        Perform(CM_EXIT);
}

void TWinControl::CMEnter(TMessage&)
{
    DoEnter();
}

void TWinControl::CMExit(TMessage&)
{
    DoExit();
}

void TWinControl::RemoveFocus()
{
    const HWND focus = GetFocus();
    if (!focus || !Handle_ || (focus != Handle_ && !IsChild(Handle_, focus)))
        return;
    TCustomForm* form = GetParentForm(this);
    if (form && form != this) {
        form->DefocusControl(this, false);
        if (form->HandleAllocated() && form->Visible()) {
            ::SetFocus(form->Handle());
            return;
        }
    }
    ::SetFocus(nullptr);
}

// ---- painting ----

void TWinControl::Invalidate()
{
    if (HandleAllocated())
        ::InvalidateRect(Handle_, nullptr, TRUE);
}

void TWinControl::InvalidateRect(const TRect& rect)
{
    if (HandleAllocated())
        ::InvalidateRect(Handle_, &rect, TRUE);
}

void TWinControl::Update()
{
    if (HandleAllocated())
        UpdateWindow(Handle_);
}

const TPaintContext* TWinControl::CurrentPaint() const
{
    return CurrentPaint_ && CurrentPaint_->Painter().isActive() ? CurrentPaint_ : nullptr;
}

const TPaintContext* TGraphicControl::PaintContext() const
{
    return Paint_ && Paint_->Painter().isActive() ? Paint_ : nullptr;
}

void TWinControl::WMEraseBkgnd(TMessage& message)
{
    if (const TPaintContext* paint = CurrentPaint()) {
        const TRect client = ClientRect();
        paint->Painter().fillRect(QRect(0, 0, client.right, client.bottom), ColorToQColor(Color()));
    }
    message.Result = 1;
}

void TWinControl::WMPaint(TMessage& message)
{
    PaintHandler(message);
}

void TWinControl::PaintHandler(TMessage&)
{
    const TPaintContext* paint = CurrentPaint();
    if (!paint)
        return; // nothing to paint on: the window is validated
    PaintWindow(*paint);
    // A nested loop in the window's own painting may have ended the paint.
    if (CurrentPaint())
        PaintControls(*paint, nullptr);
}

void TWinControl::PaintControls(const TPaintContext& context, TControl* first)
{
    auto it = Controls_.begin();
    if (first)
        it = std::find(Controls_.begin(), Controls_.end(), first);
    QPainter& painter = context.Painter();
    const QRect clip(context.ClipRect().left, context.ClipRect().top,
                     context.ClipRect().right - context.ClipRect().left,
                     context.ClipRect().bottom - context.ClipRect().top);
    for (; it != Controls_.end(); ++it) {
        auto* graphic = dynamic_cast<TGraphicControl*>(*it);
        if (!graphic)
            continue;
        const bool visible = graphic->Visible() || (graphic->ComponentState().Contains(csDesigning) &&
                                                    !graphic->ControlStyle().Contains(csNoDesignVisible));
        const QRect bounds(graphic->Left(), graphic->Top(), graphic->Width(), graphic->Height());
        if (!visible || !bounds.intersects(clip))
            continue;
        const QRect own = clip.intersected(bounds).translated(-bounds.topLeft());
        painter.save();
        struct Restore {
            QPainter& Painter;
            TGraphicControl* Control;
            ~Restore()
            {
                Control->Paint_ = nullptr;
                Painter.restore();
            }
        } restore{painter, graphic};
        painter.translate(bounds.topLeft());
        painter.setClipRect(own, Qt::IntersectClip);
        const TPaintContext childContext(
            painter, {own.left(), own.top(), own.left() + own.width(), own.top() + own.height()});
        graphic->PaintWith(childContext);
    }
}

namespace {

// Unbinds a canvas from a paint, also when painting raises.
struct TPaintBinding {
    TControlCanvas* Canvas;
    TPaintBinding(TControlCanvas* canvas, const TPaintContext& context) : Canvas(canvas)
    {
        canvas->BindPaint(context);
    }
    ~TPaintBinding() { Canvas->FreeHandle(); }
    TPaintBinding(const TPaintBinding&) = delete;
    TPaintBinding& operator=(const TPaintBinding&) = delete;
};

} // namespace

void TCustomControl::PaintWindow(const TPaintContext& context)
{
    const TPaintBinding binding(Canvas_, context);
    Paint();
}

void TGraphicControl::PaintWith(const TPaintContext& context)
{
    Paint_ = &context;
    const TPaintBinding binding(Canvas_, context);
    Paint();
}

TCustomControl::~TCustomControl()
{
    vcl::Free(Canvas_);
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), Canvas_(Create<TControlCanvas>())
{
    Canvas_->SetControl(this);
    ControlStyle_ += csAcceptsControls;
}

// ---- messages ----

void TWinControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        if (IsControlMouseMsg(message))
            return;
        if (message.Msg == WM_MOUSEMOVE)
            UpdateMouseControl(nullptr);
        break;
    default:
        break;
    }
    TControl::WndProc(message);
}

bool TWinControl::IsControlMouseMsg(TMessage& message)
{
    TControl* control = GetCaptureControl();
    if (control && control->Parent() != this)
        control = nullptr; // the capture is ours or elsewhere
    const TPoint pt = MessagePoint(message);
    if (!control && !GetCapture())
        control = ControlAtPos(pt, false);
    if (!control || dynamic_cast<TWinControl*>(control))
        return false;
    if (message.Msg == WM_MOUSEMOVE)
        UpdateMouseControl(control);
    message.Result = control->Perform(message.Msg, message.WParam,
                                      MAKELPARAM(pt.x - control->Left(), pt.y - control->Top()));
    return true;
}

void TWinControl::UpdateMouseControl(TControl* control)
{
    if (control == MouseControl_)
        return;
    TControl* old = std::exchange(MouseControl_, control);
    if (old)
        old->Perform(CM_MOUSELEAVE);
    if (control)
        control->Perform(CM_MOUSEENTER);
}

void TWinControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT:
        return WMPaint(message);
    case WM_ERASEBKGND:
        return WMEraseBkgnd(message);
    case WM_SIZE:
        return WMSize(message);
    case WM_MOVE:
        return WMMove(message);
    case WM_SETFOCUS:
        return WMSetFocus(message);
    case WM_KILLFOCUS:
        return WMKillFocus(message);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return WMKeyDown(message);
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return WMKeyUp(message);
    case WM_CHAR:
        return WMChar(message);
    case WM_COMMAND:
        return WMCommand(message);
    case WM_NOTIFY:
        return WMNotify(message);
    case WM_DRAWITEM:
        return WMDrawItem(message);
    case WM_MEASUREITEM:
        return WMMeasureItem(message);
    case WM_DELETEITEM:
        return WMDeleteItem(message);
    case WM_SETCURSOR:
        return WMSetCursor(message);
    case WM_NCDESTROY:
        return WMNCDestroy(message);
    case WM_GETDLGCODE:
        return WMGetDlgCode(message);
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
        return CNKeyDown(message);
    case CN_KEYUP:
        return CNKeyUp(message);
    case CN_CHAR:
    case CN_SYSCHAR:
        return CNChar(message);
    case CM_RECREATEWND:
        return CMRecreateWnd(message);
    case CM_COLORCHANGED:
        return CMColorChanged(message);
    case CM_FONTCHANGED:
        return CMFontChanged(message);
    case CM_ENABLEDCHANGED:
        return CMEnabledChanged(message);
    case CM_VISIBLECHANGED:
        return CMVisibleChanged(message);
    case CM_TEXTCHANGED:
        return CMTextChanged(message);
    case CM_SHOWHINTCHANGED:
        return CMShowHintChanged(message);
    case CM_SYSCOLORCHANGE:
        return CMSysColorChange(message);
    case CM_CURSORCHANGED:
        return CMCursorChanged(message);
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        return CMDialogKey(message);
    case CM_ENTER:
        return CMEnter(message);
    case CM_EXIT:
        return CMExit(message);
    default:
        return TControl::Dispatch(message);
    }
}

void TWinControl::DefaultHandler(TMessage& message)
{
    switch (message.Msg) {
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        TControl::DefaultHandler(message);
        if (message.Msg == WM_SETTEXT && PeerObject_ && !Parent())
            PeerObject_->Widget()->setWindowTitle(QString::fromStdString(Text()));
        return;
    case WM_SETFONT:
        // The window keeps the font it is given, as the platform's controls do.
        if (PeerObject_)
            PeerObject_->SetWindowFont(reinterpret_cast<HFONT>(message.WParam), message.LParamLo() != 0);
        message.Result = 0;
        return;
    case WM_GETFONT:
        message.Result = PeerObject_ ? reinterpret_cast<LRESULT>(PeerObject_->WindowFont()) : 0;
        return;
    default:
        break;
    }
    if (!Handle_) {
        TControl::DefaultHandler(message);
        return;
    }
    // The widget's own handling of the event the message stands for, then
    // the platform's.
    if (PeerObject_)
        PeerObject_->ForwardDefault(message.Msg);
    message.Result = DefWindowProcA(Handle_, message.Msg, message.WParam, message.LParam);
}

void TWinControl::WMNCDestroy(TMessage& message)
{
    DefaultHandler(message);
    Handle_ = nullptr;
    // A window destroyed from outside (DestroyWindow, WM_CLOSE) takes its
    // peer with it; the control makes both again when next asked.
    if (!ControlState_.Contains(csDestroyingHandle) && PeerObject_)
        std::exchange(PeerObject_, nullptr)->Destroy();
}

bool TWinControl::DoControlMsg(HWND child, TMessage& message)
{
    TWinControl* control = FindControl(child);
    if (!control || control == this)
        return false;
    message.Result = control->Perform(message.Msg + CN_BASE, message.WParam, message.LParam);
    return true;
}

void TWinControl::WMCommand(TMessage& message)
{
    if (!DoControlMsg(reinterpret_cast<HWND>(message.LParam), message))
        DefaultHandler(message);
}

void TWinControl::WMNotify(TMessage& message)
{
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    if (!header || !DoControlMsg(header->hwndFrom, message))
        DefaultHandler(message);
}

void TWinControl::WMDrawItem(TMessage& message)
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
    if (!item || !DoControlMsg(item->hwndItem, message))
        DefaultHandler(message);
}

void TWinControl::WMMeasureItem(TMessage& message)
{
    // The record names its control by id only.
    const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(message.LParam);
    if (!item || item->CtlType == ODT_MENU || item->CtlID == 0 || !Handle_ ||
        !DoControlMsg(GetDlgItem(Handle_, static_cast<int>(item->CtlID)), message))
        DefaultHandler(message);
}

void TWinControl::WMDeleteItem(TMessage& message)
{
    const auto* item = reinterpret_cast<const DELETEITEMSTRUCT*>(message.LParam);
    if (!item || !DoControlMsg(item->hwndItem, message))
        DefaultHandler(message);
}

void TWinControl::WMSetCursor(TMessage& message)
{
    if (reinterpret_cast<HWND>(message.WParam) == Handle_ &&
        static_cast<SHORT>(message.LParamLo()) == static_cast<SHORT>(HTCLIENT)) {
        POINT screen;
        GetCursorPos(&screen);
        TCursor cursor = crDefault;
        if (TControl* control = ControlAtPos(ScreenToClient(screen), false))
            cursor = control->ComponentState().Contains(csDesigning) ? crArrow : control->Cursor();
        if (cursor == crDefault)
            cursor = ComponentState().Contains(csDesigning) ? crArrow : Cursor();
        // The screen's cursor, while set, is over every window.
        if (Screen()->Cursor() != crDefault)
            cursor = Screen()->Cursor();
        if (cursor != crDefault) {
            ::SetCursor(Screen()->Cursors(cursor));
            message.Result = 1;
            return;
        }
    }
    DefaultHandler(message);
}

void TWinControl::CMCursorChanged(TMessage&)
{
    if (PeerObject_ && PeerObject_->Widget()->underMouse())
        win32::QueryCursor(Handle_, WM_MOUSEMOVE);
}

void TWinControl::CMColorChanged(TMessage& message)
{
    if (PeerObject_)
        UpdatePeer();
    TControl::Dispatch(message);
    NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& message)
{
    if (PeerObject_) {
        UpdatePeer();
        Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), FALSE);
    }
    TControl::Dispatch(message);
    NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMShowHintChanged(TMessage&)
{
    NotifyControls(CM_PARENTSHOWHINTCHANGED);
}

void TWinControl::CMSysColorChange(TMessage& message)
{
    if (PeerObject_)
        UpdatePeer();
    TControl::Dispatch(message);
    NotifyControls(CM_SYSCOLORCHANGE);
}

void TWinControl::CMEnabledChanged(TMessage& message)
{
    if (!Enabled())
        RemoveFocus();
    if (HandleAllocated()) {
        LONG_PTR style = GetWindowLongPtrA(Handle_, GWL_STYLE);
        style = Enabled() ? (style & ~static_cast<LONG_PTR>(WS_DISABLED)) : (style | WS_DISABLED);
        SetWindowLongPtrA(Handle_, GWL_STYLE, style);
        PeerObject_->Widget()->setEnabled(Enabled());
        SendMessageA(Handle_, WM_ENABLE, Enabled() ? TRUE : FALSE, 0);
        // The toolkit's activation of this window, refused while it was
        // disabled (the peer handed it to the modal form), is taken now
        // that it can be: the window manager sends no second one.
        if (Enabled() && !Parent() && IsWindow(Handle_) && PeerObject_->Widget()->isActiveWindow() &&
            GetActiveWindow() != Handle_)
            win32::NoteActivation(Handle_, true, nullptr);
    }
    TControl::Dispatch(message);
}

void TWinControl::CMVisibleChanged(TMessage& message)
{
    if (Visible() && !HandleAllocated() && (!Parent() || Parent()->HandleAllocated()) &&
        !ComponentState().Contains(csDestroying))
        HandleNeeded();
    if (HandleAllocated()) {
        LONG_PTR style = GetWindowLongPtrA(Handle_, GWL_STYLE);
        style = Visible() ? (style | WS_VISIBLE) : (style & ~static_cast<LONG_PTR>(WS_VISIBLE));
        SetWindowLongPtrA(Handle_, GWL_STYLE, style);
        if (!Visible() && Parent())
            RemoveFocus();
        PeerObject_->ApplyVisible(Visible());
        // A hidden top-level window hears that it is hidden, then that it
        // is no longer active, then that the keyboard left it.
        if (!Visible() && !Parent()) {
            if (GetActiveWindow() == Handle_)
                win32::NoteActivation(Handle_, false, nullptr);
            RemoveFocus();
        }
    }
    TControl::Dispatch(message);
}

void TWinControl::CMTextChanged(TMessage&)
{
    if (PeerObject_ && !Parent())
        PeerObject_->Widget()->setWindowTitle(QString::fromStdString(Text()));
}

// ---- keys ----

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char16_t& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

// A form that previews keys sees them before the control; a key either of
// them sets to 0 is consumed.
bool TWinControl::DoKeyDown(TMessage& message)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(message))
        return true;
    if (!ControlStyle_.Contains(csNoStdEvents)) {
        WORD key = static_cast<WORD>(message.WParam);
        KeyDown(key, KeyDataToShiftState(message.LParam));
        message.WParam = key;
        if (key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& message)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyUp(message))
        return true;
    if (!ControlStyle_.Contains(csNoStdEvents)) {
        WORD key = static_cast<WORD>(message.WParam);
        KeyUp(key, KeyDataToShiftState(message.LParam));
        message.WParam = key;
        if (key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& message)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(message))
        return true;
    if (!ControlStyle_.Contains(csNoStdEvents)) {
        auto ch = static_cast<char16_t>(message.WParam);
        KeyPress(ch);
        message.WParam = ch;
        if (ch == 0)
            return true;
    }
    return false;
}

void TWinControl::WMKeyDown(TMessage& message)
{
    if (!DoKeyDown(message))
        DefaultHandler(message);
}

void TWinControl::WMKeyUp(TMessage& message)
{
    if (!DoKeyUp(message))
        DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message)
{
    if (!DoKeyPress(message))
        DefaultHandler(message);
}

void TWinControl::CNKeyDown(TMessage& message)
{
    message.Result = 1;
    if (!ComponentState().Contains(csDesigning)) {
        if (IsMenuKey(message))
            return;
        if (Perform(CM_CHILDKEY, message.WParam, reinterpret_cast<LPARAM>(this)) != 0)
            return;
        // The dialog keys belong to the form unless the control wants them.
        LRESULT mask = 0;
        switch (message.WParam) {
        case VK_TAB:
            mask = DLGC_WANTTAB;
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            mask = DLGC_WANTARROWS;
            break;
        case VK_RETURN:
        case VK_EXECUTE:
        case VK_ESCAPE:
        case VK_CANCEL:
            mask = DLGC_WANTALLKEYS;
            break;
        default:
            break;
        }
        if (mask != 0 && Perform(CM_WANTSPECIALKEY, message.WParam) == 0 &&
            (Perform(WM_GETDLGCODE) & mask) == 0) {
            if (TCustomForm* form = GetParentForm(this))
                if (form->Perform(CM_DIALOGKEY, message.WParam, message.LParam) != 0)
                    return;
        }
    }
    message.Result = 0;
}

bool TWinControl::IsMenuKey(TMessage& message)
{
    // The popup menus of the control and its parents, then the form's menu:
    // their short-cuts work whether or not the menus were ever shown.
    for (TControl* control = this; control; control = control->Parent())
        if (TPopupMenu* menu = control->GetPopupMenu(); menu && menu->IsShortCut(message))
            return true;
    TCustomForm* form = GetParentForm(this);
    return form && form->IsShortCut(message);
}

void TWinControl::CNKeyUp(TMessage& message)
{
    message.Result = 0;
}

void TWinControl::CNChar(TMessage& message)
{
    message.Result = 0;
    // Alt with a letter is a mnemonic of a control on the form.
    if (message.Msg == CN_SYSCHAR && !ComponentState().Contains(csDesigning))
        if (TCustomForm* form = GetParentForm(this))
            message.Result = form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam) != 0 ? 1 : 0;
}

void TWinControl::CMDialogKey(TMessage& message)
{
    Broadcast(message);
}

// ---- FindVCLWindow ----

TWinControl* FindVCLWindow(const TPoint& pos)
{
    for (QWidget* widget = QApplication::widgetAt(pos.x, pos.y); widget; widget = widget->parentWidget())
        if (TWinControl* control = TWidgetPeer::ControlOf(widget))
            return control;
    return nullptr;
}

} // namespace vcl
