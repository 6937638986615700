#include "UKwFrame.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "win32/Gdi.h"
#include "win32/WindowManager.h"

namespace kw {

using namespace vcl;

namespace {

void Line3(TCanvas* canvas, TColor color, TPoint a, TPoint b, TPoint c)
{
    canvas->Pen()->SetColor(color);
    canvas->Polyline({a, b, c});
}

void Segment(TCanvas* canvas, TColor color, int x1, int y1, int x2, int y2)
{
    canvas->Pen()->SetColor(color);
    canvas->Polyline({{x1, y1}, {x2, y2}});
}

// The two-pixel frame: outer top-left, inner top-left, inner bottom-right,
// outer bottom-right.
void DrawFourLines(TCanvas* canvas, const TRect& r, TColor outerTL, TColor innerTL, TColor innerBR,
                   TColor outerBR)
{
    const int L = r.left, T = r.top, R = r.right, B = r.bottom;
    Line3(canvas, outerTL, {L, B - 1}, {L, T}, {R, T});
    Line3(canvas, innerTL, {L + 1, B - 2}, {L + 1, T + 1}, {R - 1, T + 1});
    Line3(canvas, innerBR, {L + 1, B - 1}, {R - 1, B - 1}, {R - 1, T});
    Line3(canvas, outerBR, {L, B}, {R, B}, {R, T - 1});
}

void DrawTwoLines(TCanvas* canvas, const TRect& r, TColor topLeft, TColor bottomRight)
{
    const int L = r.left, T = r.top, R = r.right, B = r.bottom;
    Line3(canvas, topLeft, {L, B - 1}, {L, T}, {R, T});
    Line3(canvas, bottomRight, {L, B}, {R, B}, {R, T - 1});
}

UINT AlignmentFormat(TAlignment alignment)
{
    switch (alignment) {
    case taLeftJustify:
        return DT_LEFT;
    case taRightJustify:
        return DT_RIGHT;
    case taCenter:
        break;
    }
    return DT_CENTER;
}

void DrawCaption(TCanvas* canvas, TRect rect, const std::string& caption, UINT format)
{
    std::string text = caption;
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    DrawTextExA(canvas->Handle(), text.data(), static_cast<int>(text.size()), &r, format, nullptr);
}

// The caption inside a frame of any style but kwfsGroup, FrameSpace pixels
// in from the sides.
void DrawInteriorCaption(TCanvas* canvas, const TRect& client, int frameSpace, TAlignment alignment,
                         const std::string& caption)
{
    TRect r = client;
    r.left += frameSpace;
    r.right -= frameSpace;
    DrawCaption(canvas, r, caption,
                AlignmentFormat(alignment) | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

} // namespace

void DrawLoweredFrame(TCanvas* canvas, const TRect& rect)
{
    DrawFourLines(canvas, rect, clBtnShadow, cl3DDkShadow, clBtnFace, clBtnHighlight);
}

void DrawRaisedFrame(TCanvas* canvas, const TRect& rect)
{
    DrawFourLines(canvas, rect, clBtnHighlight, clBtnFace, clBtnShadow, cl3DDkShadow);
}

void DrawDintFrame(TCanvas* canvas, const TRect& rect)
{
    DrawTwoLines(canvas, rect, clBtnShadow, clBtnHighlight);
}

void DrawBumpFrame(TCanvas* canvas, const TRect& rect)
{
    DrawTwoLines(canvas, rect, clBtnHighlight, clBtnShadow);
}

void DrawSingleFrame(TCanvas* canvas, const TRect& rect)
{
    canvas->Pen()->SetColor(clWindowFrame);
    canvas->Rectangle(rect.left, rect.top, rect.right + 1, rect.bottom + 1);
}

void DrawHorzLine(TCanvas* canvas, const TRect& r, TColor first, TColor second)
{
    Segment(canvas, first, r.left, r.top, r.right + 1, r.top);
    Segment(canvas, second, r.left, r.top + 1, r.right + 1, r.top + 1);
}

void DrawHorzEdge(TCanvas* canvas, const TRect& r, TColor first, TColor second)
{
    Segment(canvas, first, r.left, r.top, r.right + 1, r.top);
    Segment(canvas, first, r.left, r.bottom - 1, r.right + 1, r.bottom - 1);
    Segment(canvas, second, r.left, r.top + 1, r.right + 1, r.top + 1);
    Segment(canvas, second, r.left, r.bottom, r.right + 1, r.bottom);
}

void DrawVertLine(TCanvas* canvas, const TRect& r, TColor first, TColor second)
{
    Segment(canvas, first, r.left, r.top, r.left, r.bottom + 1);
    Segment(canvas, second, r.left + 1, r.top, r.left + 1, r.bottom + 1);
}

void DrawVertEdge(TCanvas* canvas, const TRect& r, TColor first, TColor second)
{
    Segment(canvas, first, r.left, r.top, r.left, r.bottom + 1);
    Segment(canvas, first, r.right - 1, r.top, r.right - 1, r.bottom + 1);
    Segment(canvas, second, r.left + 1, r.top, r.left + 1, r.bottom + 1);
    Segment(canvas, second, r.right, r.top, r.right, r.bottom + 1);
}

void DrawGroupFrame(TCanvas* canvas, const TRect& rect, const std::string& caption, TColor background,
                    bool enabled)
{
    const int L = rect.left, T = rect.top, R = rect.right, B = rect.bottom;
    // A transparent background leaves what lies behind: nothing is filled
    // and the caption is drawn without a box.
    const bool transparent = background == clNone;
    if (!transparent) {
        canvas->Brush()->SetColor(background);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect({L, T, R + 1, B + 1});
    }
    const int h = caption.empty() ? 2 : canvas->TextHeight("0");
    TRect f{L, T + h / 2 - 1, R, B};
    canvas->Brush()->SetStyle(bsClear);
    ++f.left;
    ++f.top;
    canvas->Pen()->SetColor(clBtnHighlight);
    canvas->Rectangle(f.left, f.top, f.right + 1, f.bottom + 1);
    f = {f.left - 1, f.top - 1, f.right - 1, f.bottom - 1};
    canvas->Pen()->SetColor(clBtnShadow);
    canvas->Rectangle(f.left, f.top, f.right + 1, f.bottom + 1);
    if (caption.empty())
        return;
    TRect c{L + 8, T, R - 9, T + h};
    const UINT format = DT_END_ELLIPSIS | DT_SINGLELINE;
    const TColor fontColor = canvas->Font()->Color();
    if (!transparent) {
        canvas->Brush()->SetColor(background);
        canvas->Brush()->SetStyle(bsSolid);
    }
    if (enabled) {
        DrawCaption(canvas, c, caption, format);
        return;
    }
    canvas->Font()->SetColor(clBtnHighlight);
    DrawCaption(canvas, {c.left + 1, c.top + 1, c.right + 1, c.bottom + 1}, caption, format);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(clBtnShadow);
    DrawCaption(canvas, c, caption, format);
    canvas->Font()->SetColor(fontColor);
}

void DrawFrame(TKwFrameStyle style, TCanvas* canvas, const TRect& rect)
{
    switch (style) {
    case kwfsNone:
        break;
    case kwfsGroup:
        DrawGroupFrame(canvas, rect, {}, canvas->Brush()->Color(), true);
        break;
    case kwfsLowered:
        DrawLoweredFrame(canvas, rect);
        break;
    case kwfsRaised:
        DrawRaisedFrame(canvas, rect);
        break;
    case kwfsDint:
        DrawDintFrame(canvas, rect);
        break;
    case kwfsBump:
        DrawBumpFrame(canvas, rect);
        break;
    case kwfsSingle:
        DrawSingleFrame(canvas, rect);
        break;
    case kwfsHorzLine:
        DrawHorzLine(canvas, rect, clBtnShadow, clBtnHighlight);
        break;
    case kwfsHorzEdge:
        DrawHorzEdge(canvas, rect, clBtnShadow, clBtnHighlight);
        break;
    case kwfsVertLine:
        DrawVertLine(canvas, rect, clBtnShadow, clBtnHighlight);
        break;
    case kwfsVertEdge:
        DrawVertEdge(canvas, rect, clBtnShadow, clBtnHighlight);
        break;
    }
}

void AdjustRectForFrame(TKwFrameStyle style, TRect& rect)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    switch (style) {
    case kwfsNone:
    case kwfsGroup:
        break;
    case kwfsLowered:
    case kwfsRaised:
        left = top = right = bottom = 2;
        break;
    case kwfsDint:
    case kwfsBump:
    case kwfsSingle:
        left = top = right = bottom = 1;
        break;
    case kwfsHorzLine:
        top = 2;
        break;
    case kwfsHorzEdge:
        top = bottom = 2;
        break;
    case kwfsVertLine:
        left = 2;
        break;
    case kwfsVertEdge:
        left = right = 2;
        break;
    }
    rect = {rect.left + left, rect.top + top, rect.right - right, rect.bottom - bottom};
}

// ---- TKwCustomGroup ----

TKwCustomGroup::TKwCustomGroup(TComponent* owner) : TCustomControl(owner)
{
    ControlStyle_ = TControlStyle{csAcceptsControls, csClickEvents, csDoubleClicks};
    SetBounds(Left(), Top(), 64, 48);
}

void TKwCustomGroup::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.WindowClassStyle &= ~(CS_VREDRAW | CS_HREDRAW);
    params.ExStyle |= WS_EX_CONTROLPARENT;
}

void TKwCustomGroup::SetAlignment(TAlignment value)
{
    Alignment_ = value;
    Invalidate();
}

void TKwCustomGroup::SetFrameSpace(int value)
{
    FrameSpace_ = value;
    Invalidate();
}

void TKwCustomGroup::SetFrameStyle(TKwFrameStyle value)
{
    if (value == FrameStyle_)
        return;
    FrameStyle_ = value;
    FrameChanged_ = true;
    if (HandleAllocated())
        RecreateWnd();
}

void TKwCustomGroup::EnableAllChildren(bool value)
{
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->SetEnabled(value);
}

void TKwCustomGroup::RepaintNonClient()
{
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void TKwCustomGroup::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_ENABLEDCHANGED:
        return CMEnabledChanged(message);
    case CM_TEXTCHANGED:
        return CMTextChanged(message);
    case CM_COLORCHANGED:
        return CMColorChanged(message);
    case CM_FONTCHANGED:
        return CMFontChanged(message);
    case WM_ERASEBKGND:
        return WMEraseBkgnd(message);
    case WM_NCCALCSIZE:
        return WMNCCalcSize(message);
    case WM_NCPAINT:
        return WMNCPaint(message);
    default:
        return TCustomControl::Dispatch(message);
    }
}

void TKwCustomGroup::CMEnabledChanged(TMessage& message)
{
    TCustomControl::Dispatch(message);
    Invalidate();
    EnableAllChildren(Enabled());
    if (FrameStyle_ == kwfsGroup)
        RepaintNonClient();
}

void TKwCustomGroup::CMTextChanged(TMessage& message)
{
    TCustomControl::Dispatch(message);
    Invalidate();
    if (FrameStyle_ == kwfsGroup)
        RepaintNonClient();
}

void TKwCustomGroup::CMColorChanged(TMessage& message)
{
    TCustomControl::Dispatch(message);
    Invalidate();
    if (FrameStyle_ == kwfsGroup)
        RepaintNonClient();
}

void TKwCustomGroup::CMFontChanged(TMessage& message)
{
    TCustomControl::Dispatch(message);
    if (FrameStyle_ == kwfsGroup)
        RepaintNonClient();
    else
        Invalidate();
}

void TKwCustomGroup::WMEraseBkgnd(TMessage& message)
{
    // A transparent colour erases nothing: what lies behind shows.
    if ((ComponentState().Contains(csDesigning) || DefaultDrawing_) && Color() != clNone)
        return TCustomControl::Dispatch(message);
    message.Result = 1;
}

void TKwCustomGroup::WMNCCalcSize(TMessage& message)
{
    TCustomControl::Dispatch(message);
    RECT* proposed = message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam)->rgrc[0]
                                    : reinterpret_cast<RECT*>(message.LParam);
    TRect r{proposed->left, proposed->top, proposed->right, proposed->bottom};
    if (FrameStyle_ == kwfsGroup) {
        int top = 2;
        if (!Caption().empty()) {
            // Measured on the screen's context, let go also when measuring raises.
            TCanvas* canvas = Create<TCanvas>();
            const HDC dc = GetDC(nullptr);
            try {
                canvas->SetHandle(dc);
                canvas->Font()->Assign(Font());
                top = canvas->TextHeight("0");
            } catch (...) {
                canvas->SetHandle(nullptr);
                ReleaseDC(nullptr, dc);
                canvas->Free();
                throw;
            }
            canvas->SetHandle(nullptr);
            ReleaseDC(nullptr, dc);
            canvas->Free();
        }
        r = {r.left + 2, r.top + top, r.right - 2, r.bottom - 2};
    } else {
        AdjustRectForFrame(FrameStyle_, r);
    }
    if (!Caption().empty() || ComponentState().Contains(csDesigning) || FrameChanged_) {
        message.Result |= WVR_REDRAW;
        FrameChanged_ = false;
    }
    *proposed = {r.left, r.top, r.right, r.bottom};
    if (message.WParam)
        reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam)->rgrc[1] = *proposed;
}

void TKwCustomGroup::WMNCPaint(TMessage& message)
{
    TCustomControl::Dispatch(message);
    TCanvas* canvas = Canvas();
    const HDC old = canvas->HandleAllocated() ? canvas->Handle() : nullptr;
    const HWND window = Handle();
    const HDC dc = GetWindowDC(window);
    if (!dc)
        return;
    struct Restore {
        TCanvas* Canvas;
        HDC Old;
        HWND Window;
        HDC Dc;
        ~Restore()
        {
            Canvas->SetHandle(Old);
            ReleaseDC(Window, Dc);
        }
    } restore{canvas, old, window, dc};
    canvas->SetHandle(dc);
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    RECT frame{}, client{};
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    const TRect w{0, 0, frame.right - frame.left, frame.bottom - frame.top};
    const int cx = origin.x - frame.left, cy = origin.y - frame.top;
    ExcludeClipRect(dc, cx, cy, cx + client.right, cy + client.bottom);
    PaintNonClient(canvas, w);
}

void TKwCustomGroup::PaintNonClient(TCanvas* canvas, const TRect& rect)
{
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsClear);
    const TRect r{rect.left, rect.top, rect.right - 1, rect.bottom - 1};
    canvas->Font()->Assign(Font());
    if (FrameStyle_ == kwfsGroup)
        DrawGroupFrame(canvas, r, Caption(), Color(), Enabled());
    else
        DrawFrame(FrameStyle_, canvas, r);
}

void TKwCustomGroup::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    if (Color() != clNone) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
    } else {
        canvas->Brush()->SetStyle(bsClear);
    }
    if (DefaultDrawing_ && FrameStyle_ != kwfsGroup)
        DrawInteriorCaption(canvas, ClientRect(), FrameSpace_, Alignment_, Caption());
    if (OnPaint)
        OnPaint(this, canvas);
}

// ---- TKwCustomFrame ----

TKwCustomFrame::TKwCustomFrame(TComponent* owner) : TGraphicControl(owner)
{
    ControlStyle_ += TControlStyle{csClickEvents, csOpaque, csDoubleClicks};
    SetBounds(Left(), Top(), 64, 48);
}

void TKwCustomFrame::SetAlignment(TAlignment value)
{
    Alignment_ = value;
    Invalidate();
}

void TKwCustomFrame::SetFrameSpace(int value)
{
    FrameSpace_ = value;
    Invalidate();
}

void TKwCustomFrame::SetFrameStyle(TKwFrameStyle value)
{
    FrameStyle_ = value;
    Invalidate();
}

void TKwCustomFrame::InvalidateInterior()
{
    TWinControl* parent = Parent();
    if (!parent || !parent->HandleAllocated())
        return;
    TRect r = BoundsRect();
    AdjustRectForFrame(FrameStyle_, r);
    parent->InvalidateRect(r);
}

void TKwCustomFrame::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_TEXTCHANGED:
        TGraphicControl::Dispatch(message);
        return InvalidateInterior();
    // The framework's handling of these repaints the whole control; only
    // the interior shows them.
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
        return InvalidateInterior();
    default:
        return TGraphicControl::Dispatch(message);
    }
}

void TKwCustomFrame::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    if (Color() != clNone) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        if (DefaultDrawing_ || ComponentState().Contains(csDesigning))
            canvas->FillRect(client);
    }
    canvas->Brush()->SetStyle(bsClear);
    const TRect r{client.left, client.top, client.right - 1, client.bottom - 1};
    canvas->Font()->Assign(Font());
    if (FrameStyle_ == kwfsGroup) {
        DrawGroupFrame(canvas, r, Caption(), Color(), Enabled());
        return;
    }
    DrawFrame(FrameStyle_, canvas, r);
    if (DefaultDrawing_)
        DrawInteriorCaption(canvas, client, FrameSpace_, Alignment_, Caption());
    if (OnPaint)
        OnPaint(this, canvas);
}

// ---- published ----

template <class C>
static TPublisher<C> PublishFrameLook(TPublisher<C> table, TKwFrameStyle style)
{
    return PublishControl(std::move(table), clBtnFace, true)
        .template Property<&C::Alignment, &C::SetAlignment>("Alignment")
        .Default(taCenter)
        .template Property<&C::DefaultDrawing, &C::SetDefaultDrawing>("DefaultDrawing")
        .Default(true)
        .template Property<&C::FrameSpace, &C::SetFrameSpace>("FrameSpace")
        .Default(2)
        .template Property<&C::FrameStyle, &C::SetFrameStyle>("FrameStyle")
        .Default(style)
        .template Property<&C::OnPaint>("OnPaint")
        .template Property<&C::Caption, &C::SetCaption>("Caption")
        .template Property<&C::Constraints, &C::SetConstraints>("Constraints")
        .template Property<&C::OnContextPopup>("OnContextPopup");
}

const TClassRtti& TKwGroup::PublishedTable()
{
    static const TClassRtti table =
        PublishFrameLook(Publish<TKwGroup>(), kwfsGroup)
            .Property<&TKwGroup::Enabled, &TKwGroup::SetEnabled>("Enabled")
            .Default(true)
            .Property<&TKwGroup::TabOrder, &TKwGroup::SetTabOrder>("TabOrder")
            .NoDefault()
            .Property<&TKwGroup::OnEnter>("OnEnter")
            .Property<&TKwGroup::OnExit>("OnExit")
            .Property<&TKwGroup::BorderWidth, &TKwGroup::SetBorderWidth>("BorderWidth")
            .Default(0)
            .Property<&TKwGroup::UseDockManager, &TKwGroup::SetUseDockManager>("UseDockManager")
            .Default(false);
    return table;
}

const TClassRtti& TKwFrame::PublishedTable()
{
    static const TClassRtti table = PublishFrameLook(Publish<TKwFrame>(), kwfsLowered);
    return table;
}

} // namespace kw
