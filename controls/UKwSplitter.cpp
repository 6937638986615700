#include "UKwSplitter.h"

#include "vcl/core/ClassRegistry.h"
#include "vcl/core/ExceptionFormat.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Publish.h"
#include "vcl/widgets/Forms.h"
#include "win32/Gdi.h"
#include "win32/SystemSettings.h"
#include "win32/WindowManager.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kw {

using namespace vcl;

namespace {

HBITMAP g_pattern = nullptr;
bool g_registeredPane = false;

bool Loading(const TComponent* component)
{
    return component->ComponentState().Contains(csLoading);
}

bool Designing(const TComponent* component)
{
    return component->ComponentState().Contains(csDesigning);
}

std::string PaneName(const std::string& splitterName, int index)
{
    return splitterName + "_pane" + std::to_string(index + 1);
}

} // namespace

HBITMAP Get50PctBmp()
{
    if (!g_pattern) {
        // Rows of 16 bits, the first pixel in the top bit; 1 is white.
        const unsigned char bits[16] = {0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0,
                                        0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0};
        g_pattern = CreateBitmap(8, 8, 1, 1, bits);
    }
    return g_pattern;
}

// ---- TKwPane ----

TKwPane::TKwPane(TComponent* owner) : TKwGroup(owner)
{
    SetFrameStyle(kwfsLowered);
}

void TKwPane::Paint()
{
    TKwGroup::Paint();
    if (!Active_ || !Designing(this))
        return;
    TCanvas* canvas = Canvas();
    TPen* pen = canvas->Pen();
    TBrush* brush = canvas->Brush();
    const TColor penColor = pen->Color();
    const TPenStyle penStyle = pen->Style();
    const TPenMode penMode = pen->Mode();
    const TColor brushColor = brush->Color();
    const TBrushStyle brushStyle = brush->Style();
    pen->SetStyle(psDot);
    pen->SetColor(clBlack);
    pen->SetMode(pmNot);
    brush->SetStyle(bsClear);
    canvas->Rectangle(ClientRect());
    pen->SetColor(penColor);
    pen->SetStyle(penStyle);
    pen->SetMode(penMode);
    brush->SetColor(brushColor);
    brush->SetStyle(brushStyle);
}

void TKwPane::Dispatch(TMessage& message)
{
    TKwGroup::Dispatch(message);
    // Mouse actions on a pane at design time are the designer's.
    if (message.Msg == CM_DESIGNHITTEST)
        message.Result = 0;
}

// ---- TKwSplitter ----

TKwSplitter::TKwSplitter(TComponent* owner) : TCustomControl(owner)
{
    ControlStyle_ = TControlStyle{csCaptureMouse, csDesignInteractive, csClickEvents, csDoubleClicks};
    SetBounds(Left(), Top(), 200, 140);
}

int TKwSplitter::Extent() const
{
    // The client extent: a border is no part of what the panes share.
    return Style_ == kwstVertical ? ClientWidth() : ClientHeight();
}

TKwPane* TKwSplitter::GetPane(int index) const
{
    return index == 0 || index == 1 ? Panes_[index] : nullptr;
}

void TKwSplitter::SetPosition(int value)
{
    InternalSetPosition(value, true);
}

void TKwSplitter::InternalSetPosition(int value, bool fix)
{
    if (Panes_[0]) {
        const int upper = Extent() - (Panes_[1] ? Panes_[1]->MinSize() : 0);
        if (value < Panes_[0]->MinSize())
            value = Panes_[0]->MinSize();
        else if (value > upper)
            value = upper;
    }
    if (value == Position_)
        return;
    Position_ = value;
    InitPanePos();
    if (fix)
        FixProportion();
    Change();
}

void TKwSplitter::FixProportion()
{
    const int extent = Extent();
    Proportion_ = extent == 0 ? 0.5f : static_cast<float>(Position_) / static_cast<float>(extent);
}

void TKwSplitter::SetProportion(float value)
{
    Proportion_ = value;
    InternalResize(true);
}

void TKwSplitter::InternalResize(bool force)
{
    if (force || Proportional_) {
        // Halves round to even (the default rounding mode).
        const double scaled = static_cast<double>(Extent()) * static_cast<double>(Proportion_);
        InternalSetPosition(static_cast<int>(std::nearbyint(scaled)), false);
    }
    if (OnResize)
        OnResize(this);
}

void TKwSplitter::Change()
{
    if (OnChange)
        OnChange(this);
}

void TKwSplitter::SplitterDrag(int position)
{
    if (OnSplitterDrag)
        OnSplitterDrag(this, position);
}

void TKwSplitter::SplitterDrop(int position)
{
    FixProportion();
    if (OnSplitterDrop)
        OnSplitterDrop(this, position);
}

void TKwSplitter::SetStyle(TKwSplitterStyle value)
{
    if (value == Style_)
        return;
    Style_ = value;
    InitPanePos();
}

void TKwSplitter::SetSplitterWidth(int value)
{
    if (value == SplitterWidth_)
        return;
    SplitterWidth_ = value;
    InitPanePos();
}

void TKwSplitter::InitPanePos()
{
    if (!Panes_[0] || !HandleAllocated() || Loading(this))
        return;
    const int cw = ClientWidth(), ch = ClientHeight();
    const int second = Position_ + SplitterWidth_;
    if (Style_ == kwstVertical) {
        Panes_[0]->SetBounds(0, 0, std::max(0, Position_), ch);
        if (Panes_[1])
            Panes_[1]->SetBounds(std::max(0, second), 0, std::max(0, cw - std::max(0, second)), ch);
    } else {
        Panes_[0]->SetBounds(0, 0, cw, std::max(0, Position_));
        if (Panes_[1])
            Panes_[1]->SetBounds(0, std::max(0, second), cw, std::max(0, ch - std::max(0, second)));
    }
}

void TKwSplitter::SwapPanes(int mirror)
{
    std::swap(Panes_[0], Panes_[1]);
    if (Panes_[0])
        Panes_[0]->SetIndex(0);
    if (Panes_[1])
        Panes_[1]->SetIndex(1);
    if (mirror != 0)
        SetPosition(Extent() - Position_);
    InitPanePos();
}

void TKwSplitter::SetActivePane(int index)
{
    TKwPane* pane = GetPane(index);
    if (!pane || pane->Active())
        return;
    pane->SetActive(true);
    pane->Invalidate();
    if (TKwPane* other = Panes_[(index + 1) & 1]) {
        other->SetActive(false);
        other->Invalidate();
    }
}

void TKwSplitter::CreatePanes()
{
    for (int i = 0; i < 2; ++i) {
        TKwPane* pane = Create<TKwPane>(this);
        pane->SetIndex(i);
        pane->SetName(PaneName(Name(), i));
        pane->SetCaption({});
        pane->SetParent(this);
        Panes_[i] = pane;
    }
    SetActivePane(0);
}

void TKwSplitter::MakeMissingPanes()
{
    if (!Panes_[0] && !Panes_[1]) {
        CreatePanes();
        return;
    }
    for (int i = 0; i < 2; ++i) {
        if (Panes_[i])
            continue;
        TKwPane* pane = Create<TKwPane>(Loading(this) && Owner() ? Owner() : this);
        pane->SetIndex(i);
        if (!pane->Owner() || !pane->Owner()->FindComponent(PaneName(Name(), i)))
            pane->SetName(PaneName(Name(), i));
        pane->SetParent(this);
        Panes_[i] = pane;
    }
}

TColor TKwSplitter::GetPaneColor(int index) const
{
    const TKwPane* pane = GetPane(index);
    return pane ? pane->Color() : clBtnFace;
}

void TKwSplitter::SetPaneColor(int index, TColor value)
{
    if (TKwPane* pane = GetPane(index))
        pane->SetColor(value);
}

TKwFrameStyle TKwSplitter::GetPaneStyle(int index) const
{
    const TKwPane* pane = GetPane(index);
    return pane ? pane->FrameStyle() : kwfsLowered;
}

void TKwSplitter::SetPaneStyle(int index, TKwFrameStyle value)
{
    if (TKwPane* pane = GetPane(index))
        pane->SetFrameStyle(value);
}

int TKwSplitter::GetPaneMinSize(int index) const
{
    const TKwPane* pane = GetPane(index);
    return pane ? pane->MinSize() : 0;
}

void TKwSplitter::SetPaneMinSize(int index, int value)
{
    if (TKwPane* pane = GetPane(index))
        pane->SetMinSize(value);
}

void TKwSplitter::GetChildren(TGetChildProc proc, TComponent*)
{
    for (TKwPane* pane : Panes_)
        if (pane)
            proc(pane);
}

TComponent* TKwSplitter::GetChildOwner()
{
    return Loading(this) ? Owner() : this;
}

void TKwSplitter::SetName(const std::string& value)
{
    const std::string old = Name();
    TCustomControl::SetName(value);
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading))
        return;
    // Both panes take the new name or neither does (and the splitter keeps
    // its old one): a name another component holds stops the whole rename.
    std::string renamed[2];
    try {
        for (int i = 0; i < 2; ++i) {
            if (!Panes_[i] || Panes_[i]->Name() == PaneName(value, i))
                continue;
            renamed[i] = Panes_[i]->Name();
            Panes_[i]->SetName(PaneName(value, i));
        }
    } catch (...) {
        for (int i = 0; i < 2; ++i)
            if (!renamed[i].empty())
                Panes_[i]->SetName(renamed[i]);
        TCustomControl::SetName(old);
        throw;
    }
}

void TKwSplitter::Loaded()
{
    TCustomControl::Loaded();
    Panes_[0] = Panes_[1] = nullptr;
    for (int i = 0; i < ControlCount(); ++i) {
        auto* pane = dynamic_cast<TKwPane*>(Controls(i));
        if (!pane)
            continue;
        const int index = pane->Index();
        if (index != 0 && index != 1)
            throw CreateFmt<EReadError>("Pane '%s' has the index %d; a splitter's panes are 0 and 1",
                                        {pane->Name(), index});
        if (Panes_[index])
            throw CreateFmt<EReadError>("Panes '%s' and '%s' both have the index %d",
                                        {Panes_[index]->Name(), pane->Name(), index});
        Panes_[index] = pane;
    }
    MakeMissingPanes();
    if (Designing(this))
        SetActivePane(0);
    InitPanePos();
    FixProportion();
}

void TKwSplitter::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.WindowClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TKwSplitter::CreateWnd()
{
    TCustomControl::CreateWnd();
    if (Loading(this))
        return;
    if (Designing(this) && ControlCount() == 0)
        CreatePanes();
    else
        MakeMissingPanes();
    InitPanePos();
}

bool TKwSplitter::IsFullDrag() const
{
    switch (FullDragMode_) {
    case kwfdOff:
        return false;
    case kwfdOn:
        return true;
    case kwfdUser:
        break;
    }
    BOOL full = FALSE;
    return SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0) && full;
}

int TKwSplitter::ClampDrag(int c) const
{
    const int min0 = Panes_[0] ? Panes_[0]->MinSize() : 0;
    const int min1 = Panes_[1] ? Panes_[1]->MinSize() : 0;
    if (c - DragOffset_ < min0)
        return min0 + DragOffset_;
    if (c - DragOffset_ > Extent() - min1)
        return Extent() - min1 + DragOffset_;
    return c;
}

void TKwSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (Dragging_) {
        EndDrag();
    } else if (Panes_[0] &&
               (button == mbLeft || (Designing(this) && button == mbRight && !shift.Contains(ssShift)))) {
        if (GetCapture() != Handle())
            SetCapture(Handle());
        DragButton_ = button;
        BeginDrag(x, y);
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TKwSplitter::MouseMove(TShiftState shift, int x, int y)
{
    if (Dragging_)
        ContinueDrag(x, y);
    TCustomControl::MouseMove(shift, x, y);
}

void TKwSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (Dragging_ && button == DragButton_) {
        ContinueDrag(x, y);
        const int old = Position_;
        Position_ = DragPosition_ - DragOffset_;
        EndDrag();
        InitPanePos();
        SplitterDrop(Position_);
        if (Position_ != old)
            Change();
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TKwSplitter::BeginDrag(int x, int y)
{
    const int c = Along(x, y);
    // From the bar's own place: a hidden first pane (a negative position)
    // has no edge there.
    DragOffset_ = c - Position_;
    Dragging_ = true;
    DragPosition_ = -1;
    LineDrawn_ = false;
    SetDragPosition(ClampDrag(c));
}

void TKwSplitter::ContinueDrag(int x, int y)
{
    const int c = ClampDrag(Along(x, y));
    if (c != DragPosition_)
        SetDragPosition(c);
}

void TKwSplitter::SetDragPosition(int position)
{
    if (!IsFullDrag()) {
        // The old line goes and the new one comes through one window
        // context, so the picture drawn on is taken once for the drag and
        // nothing under the line is repainted.
        const HWND window = Handle();
        LineDC_ = GetDCEx(window, nullptr, DCX_PARENTCLIP | DCX_LOCKWINDOWUPDATE);
        if (LineDrawn_) {
            PaintSizingLine();
            LineDrawn_ = false;
        }
        DragPosition_ = position;
        if (Dragging_) {
            PaintSizingLine();
            LineDrawn_ = true;
        } else {
            DragPosition_ = -1; // the end of a line drag
        }
        if (LineDC_)
            ReleaseDC(window, std::exchange(LineDC_, nullptr));
    } else if (Dragging_) {
        DragPosition_ = position;
        SetPosition(position - DragOffset_);
    }
    SplitterDrag(DragPosition_);
}

void TKwSplitter::EndDrag()
{
    if (!Dragging_)
        return;
    Dragging_ = false;
    SetDragPosition(DragPosition_);
    if (GetCapture() == Handle())
        ReleaseCapture();
}

void TKwSplitter::PaintSizingLine()
{
    const HWND window = Handle();
    const HDC dc = LineDC_ ? LineDC_ : GetDCEx(window, nullptr, DCX_PARENTCLIP | DCX_LOCKWINDOWUPDATE);
    if (!dc)
        return;
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, OPAQUE);
    SetROP2(dc, R2_COPYPEN);
    const HBRUSH brush = CreatePatternBrush(Get50PctBmp());
    SetBrushOrgEx(dc, 0, 0, nullptr);
    const HGDIOBJ old = SelectObject(dc, brush);
    const int at = DragPosition_ - DragOffset_;
    if (Style_ == kwstVertical)
        PatBlt(dc, at, 0, SplitterWidth_, ClientHeight(), PATINVERT);
    else
        PatBlt(dc, 0, at, ClientWidth(), SplitterWidth_, PATINVERT);
    SelectObject(dc, old);
    DeleteObject(brush);
    if (dc != LineDC_)
        ReleaseDC(window, dc);
}

bool TKwSplitter::DesignWndProc(TMessage& message)
{
    if (message.Msg == WM_PARENTNOTIFY)
        return false;
    return TCustomControl::DesignWndProc(message);
}

void TKwSplitter::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_COLORCHANGED:
        TCustomControl::Dispatch(message);
        return Invalidate();
    case WM_CANCELMODE:
        return WMCancelMode(message);
    case WM_SIZE:
        return WMSize(message);
    case WM_SETCURSOR:
        return WMSetCursor(message);
    case WM_PARENTNOTIFY:
        return WMParentNotify(message);
    case WM_CAPTURECHANGED:
        return WMCaptureChanged(message);
    default:
        return TCustomControl::Dispatch(message);
    }
}

void TKwSplitter::Resize() {}

void TKwSplitter::WMSize(TMessage& message)
{
    TCustomControl::Dispatch(message);
    if (Loading(this))
        return;
    InternalResize(false);
    InitPanePos();
}

void TKwSplitter::WMSetCursor(TMessage& message)
{
    POINT screen{};
    GetCursorPos(&screen);
    const TPoint p = ScreenToClient({screen.x, screen.y});
    for (const TKwPane* pane : Panes_) {
        const TRect b = pane ? pane->BoundsRect() : TRect{};
        if (pane && p.x >= b.left && p.x < b.right && p.y >= b.top && p.y < b.bottom)
            return TCustomControl::Dispatch(message);
    }
    ::SetCursor(Screen()->Cursors(Style_ == kwstVertical ? crHSplit : crVSplit));
    message.Result = 1;
}

void TKwSplitter::WMParentNotify(TMessage& message)
{
    if (Designing(this) && message.WParamLo() == WM_LBUTTONDOWN) {
        const int x = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(message.LParam)));
        const int y = static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(message.LParam)));
        for (int i = 0; i < 2; ++i) {
            const TKwPane* pane = Panes_[i];
            const TRect b = pane ? pane->BoundsRect() : TRect{};
            if (pane && x >= b.left && x < b.right && y >= b.top && y < b.bottom) {
                SetActivePane(i);
                break;
            }
        }
    }
    TCustomControl::Dispatch(message);
}

void TKwSplitter::WMCancelMode(TMessage& message)
{
    EndDrag();
    TCustomControl::Dispatch(message);
}

void TKwSplitter::WMCaptureChanged(TMessage& message)
{
    if (message.LParam != 0 && reinterpret_cast<HWND>(message.LParam) != Handle())
        EndDrag();
    TCustomControl::Dispatch(message);
}

// ---- published ----

const TClassRtti& TKwPane::PublishedTable()
{
    static const TClassRtti table = Publish<TKwPane>()
                                        .Property<&TKwPane::MinSize, &TKwPane::SetMinSize>("MinSize")
                                        .Default(20)
                                        .Property<&TKwPane::Index, &TKwPane::SetIndex>("Index")
                                        .NoDefault();
    return table;
}

const TClassRtti& TKwSplitter::PublishedTable()
{
    using S = TKwSplitter;
    static const TClassRtti table =
        Publish<S>()
            .Property<&S::Align, &S::SetAlign>("Align")
            .Default(alNone)
            .Property<&S::Visible, &S::SetVisible>("Visible")
            .Default(true)
            .Property<&S::Enabled, &S::SetEnabled>("Enabled")
            .Default(true)
            .Property<&S::Color, &S::SetColor>("Color")
            .Type(ColorTypeInfo())
            .Default(clWindow)
            .StoredIf<&S::IsColorStored>()
            .Property<&S::ParentColor, &S::SetParentColor>("ParentColor")
            .Default(true)
            .Property<&S::ShowHint, &S::SetShowHint>("ShowHint")
            .Default(false)
            .Property<&S::ParentShowHint, &S::SetParentShowHint>("ParentShowHint")
            .Default(true)
            .Property<&S::FullDragMode, &S::SetFullDragMode>("FullDragMode")
            .Default(kwfdUser)
            .Property<&S::Proportional, &S::SetProportional>("Proportional")
            .Default(true)
            .Property<&S::Position, &S::SetPosition>("Position")
            .Default(65)
            .Property<&S::Style, &S::SetStyle>("Style")
            .Default(kwstVertical)
            .Property<&S::SplitterWidth, &S::SetSplitterWidth>("SplitterWidth")
            .Default(3)
            .Property<&S::Pane1Color, &S::SetPane1Color>("Pane1Color")
            .Type(ColorTypeInfo())
            .Default(clBtnFace)
            .Stored(false)
            .Property<&S::Pane1FrameStyle, &S::SetPane1FrameStyle>("Pane1FrameStyle")
            .Default(kwfsLowered)
            .Stored(false)
            .Property<&S::Pane1MinSize, &S::SetPane1MinSize>("Pane1MinSize")
            .Default(0)
            .Stored(false)
            .Property<&S::Pane2Color, &S::SetPane2Color>("Pane2Color")
            .Type(ColorTypeInfo())
            .Default(clBtnFace)
            .Stored(false)
            .Property<&S::Pane2FrameStyle, &S::SetPane2FrameStyle>("Pane2FrameStyle")
            .Default(kwfsLowered)
            .Stored(false)
            .Property<&S::Pane2MinSize, &S::SetPane2MinSize>("Pane2MinSize")
            .Default(0)
            .Stored(false)
            .Property<&S::OnChange>("OnChange")
            .Property<&S::OnResize>("OnResize")
            .Property<&S::OnSplitterDrag>("OnSplitterDrag")
            .Property<&S::OnSplitterDrop>("OnSplitterDrop")
            .Property<&S::OnMouseDown>("OnMouseDown")
            .Property<&S::OnMouseUp>("OnMouseUp")
            .Property<&S::OnMouseMove>("OnMouseMove")
            .Property<&S::TabOrder, &S::SetTabOrder>("TabOrder")
            .NoDefault()
            .Property<&S::TabStop, &S::SetTabStop>("TabStop")
            .Default(false)
            .Property<&S::OnClick>("OnClick")
            .Property<&S::OnDblClick>("OnDblClick")
            .Property<&S::Anchors, &S::SetAnchors>("Anchors")
            .StoredIf<&S::IsAnchorsStored>()
            .Property<&S::BorderWidth, &S::SetBorderWidth>("BorderWidth")
            .Default(0)
            .Property<&S::Constraints, &S::SetConstraints>("Constraints")
            .Property<&S::UseDockManager, &S::SetUseDockManager>("UseDockManager")
            .Default(false)
            .Property<&S::OnContextPopup>("OnContextPopup");
    return table;
}

// ---- unit ----

void UKwSplitterInitialization()
{
    if (!GetClass("TKwPane")) {
        RegisterClass(TKwPane::StaticClass());
        g_registeredPane = true;
    }
}

void UKwSplitterFinalization()
{
    if (g_registeredPane) {
        UnRegisterClass(TKwPane::StaticClass());
        g_registeredPane = false;
    }
    if (g_pattern) {
        DeleteObject(g_pattern);
        g_pattern = nullptr;
    }
}

} // namespace kw
