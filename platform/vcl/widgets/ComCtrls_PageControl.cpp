// TPageControl and TTabSheet: pages under a row of tabs that scrolls when
// it is wider than the control.

#include "vcl/core/Publish.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/ControlMessages.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "win32/DeviceContext.h"
#include "win32/Gdi.h"

#include <QImage>

#include <algorithm>

namespace vcl {

namespace {

// Room around a tab's caption, and the arrows' side.
constexpr int kTabPadding = 12;
constexpr int kArrowSide = 16;

} // namespace

// ---- TTabSheet ----

const TClassRtti& TTabSheet::PublishedTable()
{
    static const TClassRtti table =
        Publish<TTabSheet>()
            .Property<&TTabSheet::Caption, &TTabSheet::SetCaption>("Caption")
            .Property<&TTabSheet::Enabled, &TTabSheet::SetEnabled>("Enabled")
            .Default(true)
            .Property<&TTabSheet::Font>("Font")
            .StoredIf<&TTabSheet::IsFontStored>()
            .Property<&TTabSheet::PageIndex, &TTabSheet::SetPageIndex>("PageIndex")
            .StoredIf<&TTabSheet::IsPageIndexStored>()
            .Property<&TTabSheet::ParentFont, &TTabSheet::SetParentFont>("ParentFont")
            .Default(true)
            .Property<&TTabSheet::ParentShowHint, &TTabSheet::SetParentShowHint>("ParentShowHint")
            .Default(true)
            .Property<&TTabSheet::PopupMenu, &TTabSheet::SetPopupMenu>("PopupMenu")
            .Property<&TTabSheet::ShowHint, &TTabSheet::SetShowHint>("ShowHint")
            .Default(false)
            .Property<&TTabSheet::TabVisible, &TTabSheet::SetTabVisible>("TabVisible")
            .Default(true)
            .Property<&TTabSheet::OnEnter>("OnEnter")
            .Property<&TTabSheet::OnExit>("OnExit")
            .Property<&TTabSheet::OnResize>("OnResize");
    return table;
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner)
{
    ControlStyle_ = TControlStyle{csAcceptsControls, csClickEvents, csSetCaption, csDoubleClicks};
    SetAlign(alClient);
    // Hidden until its control shows it.
    SetVisible(false);
}

TTabSheet::~TTabSheet()
{
    if (PageControl_)
        PageControl_->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* parent)
{
    auto* control = dynamic_cast<TPageControl*>(parent);
    if (PageControl_ && PageControl_ != control)
        PageControl_->RemovePage(this);
    TWinControl::SetParent(parent);
    if (control && PageControl_ != control)
        control->InsertPage(this);
}

void TTabSheet::SetPageControl(TPageControl* value)
{
    SetParent(value);
}

int TTabSheet::PageIndex() const
{
    if (!PageControl_)
        return -1;
    const auto& pages = PageControl_->Pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int value)
{
    if (PageControl_)
        PageControl_->MovePage(this, value);
}

void TTabSheet::SetTabVisible(bool value)
{
    if (value == TabVisible_)
        return;
    TabVisible_ = value;
    if (PageControl_) {
        PageControl_->ScrollToActive();
        PageControl_->Invalidate();
    }
}

int TTabSheet::TabIndex() const
{
    if (!PageControl_ || !TabVisible_)
        return -1;
    const std::vector<TTabSheet*> tabs = PageControl_->Tabs();
    return static_cast<int>(std::find(tabs.begin(), tabs.end(), this) - tabs.begin());
}

void TTabSheet::Dispatch(TMessage& message)
{
    TWinControl::Dispatch(message);
    // The caption is the tab's text.
    if (message.Msg == CM_TEXTCHANGED && PageControl_)
        PageControl_->Invalidate();
}

// ---- TPageControl ----

const TClassRtti& TPageControl::PublishedTable()
{
    static const TClassRtti table =
        PublishWinControl(Publish<TPageControl>(), clBtnFace, true)
            .Property<&TPageControl::ActivePage, &TPageControl::SetActivePage>("ActivePage")
            .Property<&TPageControl::MultiLine, &TPageControl::SetMultiLine>("MultiLine")
            .Default(false)
            .Property<&TPageControl::OnChange, &TPageControl::SetOnChange>("OnChange")
            .Property<&TPageControl::OnChanging, &TPageControl::SetOnChanging>("OnChanging");
    return table;
}

TPageControl::TPageControl(TComponent* owner) : TCustomControl(owner)
{
    ControlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    SetTabStop(true);
    SetColor(clBtnFace);
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl()
{
    // The pages may outlive the control (owned by the form): they forget it.
    for (TTabSheet* page : Pages_)
        page->PageControl_ = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const
{
    if (index < 0 || index >= PageCount())
        return nullptr;
    return Pages_[static_cast<std::size_t>(index)];
}

void TPageControl::InsertPage(TTabSheet* page)
{
    Pages_.push_back(page);
    page->PageControl_ = this;
    Invalidate();
}

void TPageControl::RemovePage(TTabSheet* page)
{
    if (page == ActivePage_) {
        // The next page with a tab takes its place, unless the control goes
        // too.
        TTabSheet* next = FindNextPage(page, true, true);
        ActivePage_ = nullptr;
        if (next != page && !ComponentState().Contains(csDestroying))
            SetActivePage(next);
    }
    std::erase(Pages_, page);
    page->PageControl_ = nullptr;
    FirstTab_ = std::min(FirstTab_, std::max(0, static_cast<int>(Tabs().size()) - 1));
    Invalidate();
}

void TPageControl::MovePage(TTabSheet* page, int index)
{
    index = std::clamp(index, 0, PageCount() - 1);
    std::erase(Pages_, page);
    Pages_.insert(Pages_.begin() + index, page);
    Invalidate();
}

std::vector<TTabSheet*> TPageControl::Tabs() const
{
    std::vector<TTabSheet*> tabs;
    for (TTabSheet* page : Pages_)
        if (page->TabVisible())
            tabs.push_back(page);
    return tabs;
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page && page->PageControl_ != this)
        return;
    if (page == ActivePage_)
        return;
    TTabSheet* previous = ActivePage_;
    ActivePage_ = page;
    if (page) {
        page->BringToFront();
        page->SetVisible(true);
    }
    if (previous)
        previous->SetVisible(false);
    ScrollToActive();
    Invalidate();
}

int TPageControl::ActivePageIndex() const
{
    return ActivePage_ ? ActivePage_->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int value)
{
    SetActivePage(Pages(value));
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const
{
    if (Pages_.empty())
        return nullptr;
    const int count = PageCount();
    int start = current && current->PageControl_ == this ? current->PageIndex() : -1;
    if (start < 0)
        start = goForward ? count - 1 : 0;
    int i = start;
    for (int n = 0; n < count; ++n) {
        i = goForward ? (i + 1) % count : (i + count - 1) % count;
        TTabSheet* page = Pages_[static_cast<std::size_t>(i)];
        if (!checkTabVisible || page->TabVisible())
            return page;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool goForward, bool checkTabVisible)
{
    TTabSheet* page = FindNextPage(ActivePage_, goForward, checkTabVisible);
    if (page && page != ActivePage_)
        ChangeActivePage(page);
}

void TPageControl::ChangeActivePage(TTabSheet* page)
{
    bool allow = true;
    if (OnChanging_)
        OnChanging_(this, allow);
    if (!allow)
        return;
    SetActivePage(page);
    if (OnChange_)
        OnChange_(this);
}

int TPageControl::TabWidth(const TTabSheet* page) const
{
    // Measured as drawn, mnemonic and all, in the control's font on a
    // scratch surface: the control may have no window yet.
    QImage scratch(1, 1, QImage::Format_RGB32);
    HDC dc = win32::CreateImageDC(scratch);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    const std::string caption = page->Caption();
    RECT rect{0, 0, 0, 0};
    DrawTextA(dc, caption.c_str(), -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    DeleteDC(dc);
    return rect.right - rect.left + kTabPadding;
}

bool TPageControl::TabsScroll() const
{
    int total = 2;
    for (const TTabSheet* page : Tabs())
        total += TabWidth(page);
    return total > ClientWidth();
}

TRect TPageControl::ScrollArrowRect(bool right) const
{
    const int x = ClientWidth() - (right ? kArrowSide : 2 * kArrowSide);
    return TRect{x, 2, x + kArrowSide, 2 + kArrowSide};
}

TRect TPageControl::TabRect(int tabIndex) const
{
    const std::vector<TTabSheet*> tabs = Tabs();
    if (tabIndex < 0 || tabIndex >= static_cast<int>(tabs.size()) || tabIndex < FirstTab_)
        return TRect{0, 0, 0, 0};
    int left = 2;
    for (int i = FirstTab_; i < tabIndex; ++i)
        left += TabWidth(tabs[static_cast<std::size_t>(i)]);
    return TRect{left, 2, left + TabWidth(tabs[static_cast<std::size_t>(tabIndex)]), kTabHeight};
}

int TPageControl::IndexOfTabAt(int x, int y) const
{
    if (TabsScroll() && x >= ScrollArrowRect(false).left)
        return -1;
    const int count = static_cast<int>(Tabs().size());
    for (int i = FirstTab_; i < count; ++i) {
        const TRect rect = TabRect(i);
        if (x >= rect.left && x < rect.right && y >= 0 && y < rect.bottom)
            return i;
    }
    return -1;
}

void TPageControl::ScrollToActive()
{
    const std::vector<TTabSheet*> tabs = Tabs();
    FirstTab_ = std::clamp(FirstTab_, 0, std::max(0, static_cast<int>(tabs.size()) - 1));
    const int active = ActivePage_ ? ActivePage_->TabIndex() : -1;
    if (active < 0)
        return;
    if (active < FirstTab_) {
        FirstTab_ = active;
        return;
    }
    if (!TabsScroll())
        return;
    const int limit = ScrollArrowRect(false).left;
    while (FirstTab_ < active && TabRect(active).right > limit)
        ++FirstTab_;
}

void TPageControl::AdjustClientRect(TRect& rect) const
{
    TCustomControl::AdjustClientRect(rect);
    // The tabs above, and the page's frame of two pixels on each side.
    rect.top += kTabHeight + 2;
    InflateRect(rect, -2, 0);
    rect.bottom -= 2;
}

void TPageControl::Resize()
{
    TCustomControl::Resize();
    ScrollToActive();
    Invalidate();
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    if (TabsScroll()) {
        const TRect left = ScrollArrowRect(false);
        const TRect right = ScrollArrowRect(true);
        const bool inRow = y >= left.top && y < left.bottom;
        if (inRow && x >= left.left && x < left.right) {
            FirstTab_ = std::max(0, FirstTab_ - 1);
            Invalidate();
            return;
        }
        if (inRow && x >= right.left && x < right.right) {
            const int count = static_cast<int>(Tabs().size());
            // No further once the last tab shows whole.
            if (FirstTab_ < count - 1 && TabRect(count - 1).right > left.left)
                ++FirstTab_;
            Invalidate();
            return;
        }
    }
    const int index = IndexOfTabAt(x, y);
    if (index < 0)
        return;
    TTabSheet* page = Tabs()[static_cast<std::size_t>(index)];
    if (page != ActivePage_)
        ChangeActivePage(page);
    if (CanFocus())
        SetFocus();
}

void TPageControl::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
    canvas->Font()->Assign(Font());

    // The page's frame below the tabs.
    RECT frame{client.left, kTabHeight, client.right, client.bottom};
    DrawEdge(canvas->Handle(), &frame, EDGE_RAISED, BF_RECT);

    const std::vector<TTabSheet*> tabs = Tabs();
    const bool scrolls = TabsScroll();
    const int limit = scrolls ? ScrollArrowRect(false).left : client.right;
    HDC dc = canvas->Handle();
    SaveDC(dc);
    IntersectClipRect(dc, 0, 0, limit, kTabHeight + 2);
    for (int i = FirstTab_; i < static_cast<int>(tabs.size()); ++i) {
        TRect rect = TabRect(i);
        if (rect.left >= limit)
            break;
        const bool active = tabs[static_cast<std::size_t>(i)] == ActivePage_;
        // The active tab stands out two pixels and joins its page.
        RECT edge{rect.left, rect.top, rect.right, rect.bottom + 1};
        if (active)
            edge = RECT{rect.left - 2, rect.top - 2, rect.right + 2, rect.bottom + 2};
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(TRect{edge.left, edge.top, edge.right, edge.bottom});
        DrawEdge(dc, &edge, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_SOFT);
        RECT text{rect.left, rect.top, rect.right, rect.bottom};
        canvas->Brush()->SetStyle(bsClear);
        const std::string caption = tabs[static_cast<std::size_t>(i)]->Caption();
        DrawTextA(dc, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        canvas->Brush()->SetStyle(bsSolid);
    }
    RestoreDC(dc, -1);

    if (scrolls) {
        for (bool right : {false, true}) {
            const TRect arrow = ScrollArrowRect(right);
            RECT box{arrow.left, arrow.top, arrow.right, arrow.bottom};
            canvas->Brush()->SetColor(Color());
            canvas->FillRect(arrow);
            DrawEdge(dc, &box, EDGE_RAISED, BF_RECT);
            // A small triangle pointing the way the row moves.
            const int cx = (arrow.left + arrow.right) / 2;
            const int cy = (arrow.top + arrow.bottom) / 2;
            canvas->Pen()->SetColor(clBtnText);
            for (int d = 0; d < 4; ++d) {
                const int x = right ? cx - 2 + d : cx + 1 - d;
                canvas->MoveTo(x, cy - 3 + d);
                canvas->LineTo(x, cy + 4 - d);
            }
        }
    }
}

} // namespace vcl
