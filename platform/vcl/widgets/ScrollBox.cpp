// TScrollBox: children scrolled by moving them, as the platform's scroll
// box does; the bars are the toolkit's, inside the box's window.

#include "vcl/widgets/ScrollBox.h"

#include "vcl/widgets/ControlPublish_p.h"
#include "win32/SystemSettings.h"

#include <QScrollBar>
#include <QWidget>

#include <algorithm>

namespace vcl {

namespace {

int BarExtent()
{
    return GetSystemMetrics(SM_CXVSCROLL);
}

} // namespace

// ---- TControlScrollBar ----

const TClassRtti& TControlScrollBar::PublishedTable()
{
    using C = TControlScrollBar;
    static const TClassRtti table = Publish<C>()
                                        .Property<&C::Tracking, &C::SetTracking>("Tracking")
                                        .Default(false)
                                        .Property<&C::Visible, &C::SetVisible>("Visible")
                                        .Default(true);
    return table;
}

TControlScrollBar::TControlScrollBar(TScrollBox* owner, TScrollBarKind kind) : Owner_(owner), Kind_(kind) {}

void TControlScrollBar::SetPosition(int value)
{
    const TRect client = Owner_->ClientRect();
    TRect inner = client;
    Owner_->AdjustClientRect(inner);
    const int extent = Kind_ == sbHorizontal ? inner.right - inner.left : inner.bottom - inner.top;
    value = std::clamp(value, 0, std::max(0, Range_ - extent));
    if (value == Position_)
        return;
    const int delta = value - Position_;
    Position_ = value;
    if (Kind_ == sbHorizontal)
        Owner_->ScrollBy(delta, 0);
    else
        Owner_->ScrollBy(0, delta);
    if (QScrollBar* bar = Owner_->BarWidget(Kind_); bar && bar->value() != value) {
        const QSignalBlocker quiet(bar);
        bar->setValue(value);
    }
}

void TControlScrollBar::SetTracking(bool value)
{
    Tracking_ = value;
    if (QScrollBar* bar = Owner_->BarWidget(Kind_))
        bar->setTracking(value);
}

void TControlScrollBar::SetVisible(bool value)
{
    if (value == Visible_)
        return;
    Visible_ = value;
    Owner_->UpdateScrollBars();
}

bool TControlScrollBar::IsScrollBarVisible() const
{
    const QScrollBar* bar = Owner_->BarWidget(Kind_);
    return bar && !bar->isHidden();
}

void TControlScrollBar::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TControlScrollBar*>(source)) {
        SetTracking(other->Tracking_);
        SetVisible(other->Visible_);
        return;
    }
    TPersistent::Assign(source);
}

// ---- TScrollBox ----

const TClassRtti& TScrollBox::PublishedTable()
{
    using C = TScrollBox;
    static const TClassRtti table = PublishWinControl(Publish<C>(), clBtnFace, false)
                                        .Property<&C::BorderStyle, &C::SetBorderStyle>("BorderStyle")
                                        .Default(bsSingle)
                                        .Property<&C::HorzScrollBar, &C::SetHorzScrollBar>("HorzScrollBar")
                                        .Property<&C::VertScrollBar, &C::SetVertScrollBar>("VertScrollBar");
    return table;
}

TScrollBox::TScrollBox(TComponent* owner)
    : TWinControl(owner), Horz_(Create<TControlScrollBar>(this, sbHorizontal)),
      Vert_(Create<TControlScrollBar>(this, sbVertical))
{
    ControlStyle_ +=
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    SetBounds(Left(), Top(), 185, 41);
}

TScrollBox::~TScrollBox()
{
    Horz_->Free();
    Vert_->Free();
}

void TScrollBox::SetBorderStyle(TBorderStyle value)
{
    if (value == BorderStyle_)
        return;
    BorderStyle_ = value;
    RecreateWnd();
}

void TScrollBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    if (BorderStyle_ == bsSingle)
        params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TScrollBox::CreateWnd()
{
    TWinControl::CreateWnd();
    QWidget* widget = Peer();
    const auto make = [this, widget](Qt::Orientation orientation, TScrollBarKind kind, bool tracking) {
        auto* bar = new QScrollBar(orientation, widget);
        bar->setTracking(tracking);
        bar->hide();
        QObject::connect(bar, &QScrollBar::valueChanged, bar,
                         [this, kind](int value) { BarMoved(kind, value); });
        return bar;
    };
    HorzWidget_ = make(Qt::Horizontal, sbHorizontal, Horz_->Tracking());
    VertWidget_ = make(Qt::Vertical, sbVertical, Vert_->Tracking());
    UpdateScrollBars();
}

void TScrollBox::DestroyWnd()
{
    // The bars go with the widget.
    HorzWidget_ = nullptr;
    VertWidget_ = nullptr;
    TWinControl::DestroyWnd();
}

QScrollBar* TScrollBox::BarWidget(TScrollBarKind kind) const
{
    // The bars go with the window: none while it does not exist.
    if (!HandleAllocated())
        return nullptr;
    return kind == sbHorizontal ? HorzWidget_ : VertWidget_;
}

void TScrollBox::BarMoved(TScrollBarKind kind, int value)
{
    (kind == sbHorizontal ? Horz_ : Vert_)->SetPosition(value);
}

void TScrollBox::AdjustClientRect(TRect& rect) const
{
    TWinControl::AdjustClientRect(rect);
    if (Vert_->IsScrollBarVisible())
        rect.right = std::max(rect.left, rect.right - BarExtent());
    if (Horz_->IsScrollBarVisible())
        rect.bottom = std::max(rect.top, rect.bottom - BarExtent());
}

void TScrollBox::AlignControls(TControl* moved, TRect& rect)
{
    TWinControl::AlignControls(moved, rect);
    UpdateScrollBars();
}

void TScrollBox::Resize()
{
    TWinControl::Resize();
    UpdateScrollBars();
}

void TScrollBox::ScrollBy(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return;
    const bool updating = std::exchange(Updating_, true);
    DisableAlign();
    try {
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* control = Controls(i);
            control->SetBounds(control->Left() - dx, control->Top() - dy, control->Width(),
                               control->Height());
        }
    } catch (...) {
        EnableAlign();
        Updating_ = updating;
        throw;
    }
    EnableAlign();
    Updating_ = updating;
}

void TScrollBox::ScrollInView(TControl* control)
{
    if (!control || control->Parent() != this)
        return;
    TRect inner = ClientRect();
    AdjustClientRect(inner);
    // The far edge into view, then the near edge, which wins when the
    // child is larger than the view.
    const auto bring = [](TControlScrollBar* bar, int start, int end, int from, int to) {
        int delta = end > to ? end - to : 0;
        if (start - delta < from)
            delta = start - from;
        bar->SetPosition(bar->Position() + delta);
    };
    bring(Horz_, control->Left(), control->Left() + control->Width(), inner.left, inner.right);
    bring(Vert_, control->Top(), control->Top() + control->Height(), inner.top, inner.bottom);
}

void TScrollBox::UpdateScrollBars()
{
    if (Updating_ || !HandleAllocated() || !HorzWidget_ || !VertWidget_)
        return;
    Updating_ = true;
    // How far the children reach, measured from the unscrolled origin.
    int right = 0;
    int bottom = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        const TControl* control = Controls(i);
        if (!control->Visible() || control->Align() != alNone)
            continue;
        right = std::max(right, control->Left() + control->Width() + Horz_->Position_);
        bottom = std::max(bottom, control->Top() + control->Height() + Vert_->Position_);
    }
    Horz_->Range_ = right;
    Vert_->Range_ = bottom;
    const TRect client = ClientRect();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    // One bar takes room from the other: the second pass settles it.
    bool horz = false;
    bool vert = false;
    for (int pass = 0; pass < 2; ++pass) {
        horz = Horz_->Visible_ && right > width - (vert ? BarExtent() : 0);
        vert = Vert_->Visible_ && bottom > height - (horz ? BarExtent() : 0);
    }
    const int shownWidth = std::max(0, width - (vert ? BarExtent() : 0));
    const int shownHeight = std::max(0, height - (horz ? BarExtent() : 0));
    const auto apply = [](QScrollBar* bar, bool shown, int range, int page) {
        const QSignalBlocker quiet(bar);
        bar->setVisible(shown);
        bar->setRange(0, std::max(0, range - page));
        bar->setPageStep(std::max(1, page));
        bar->setSingleStep(8);
    };
    apply(HorzWidget_, horz, right, shownWidth);
    apply(VertWidget_, vert, bottom, shownHeight);
    // The bars are the widget's children, placed inside its frame; they
    // stay above the children that scroll under them.
    const QPoint origin = Peer()->contentsRect().topLeft() + QPoint(client.left, client.top);
    HorzWidget_->setGeometry(origin.x(), origin.y() + shownHeight, shownWidth, horz ? BarExtent() : 0);
    VertWidget_->setGeometry(origin.x() + shownWidth, origin.y(), vert ? BarExtent() : 0, shownHeight);
    HorzWidget_->raise();
    VertWidget_->raise();
    Updating_ = false;
    // Positions past the new ranges come back within them.
    Horz_->SetPosition(Horz_->Position_);
    Vert_->SetPosition(Vert_->Position_);
    const QSignalBlocker quietH(HorzWidget_);
    const QSignalBlocker quietV(VertWidget_);
    HorzWidget_->setValue(Horz_->Position_);
    VertWidget_->setValue(Vert_->Position_);
}

} // namespace vcl
