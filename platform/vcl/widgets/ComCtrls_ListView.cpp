// The framework's list view over the platform's list-view window.

#include "vcl/widgets/ComCtrls.h"

#include "vcl/core/Publish.h"
#include "vcl/core/SafeSort.h"
#include "vcl/core/SysUtils.h"
#include "vcl/widgets/ItemViews_p.h"
#include "vcl/widgets/ListViewControl_p.h"
#include "win32/Gdi.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vcl {

namespace {

LPARAM Arg(const void* pointer)
{
    return reinterpret_cast<LPARAM>(pointer);
}

TCustomDrawStage StageOf(DWORD stage)
{
    switch (stage & ~(CDDS_ITEM | CDDS_SUBITEM)) {
    case CDDS_POSTPAINT:
        return cdPostPaint;
    case CDDS_PREERASE:
        return cdPreErase;
    case CDDS_POSTERASE:
        return cdPostErase;
    default:
        return cdPrePaint;
    }
}

constexpr DWORD kViewStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};

} // namespace

TCustomListView::TCustomListView(TComponent* owner)
    : TWinControl(owner), Items_(Create<TListItems>(this)), Columns_(Create<TListColumns>(this)),
      IconOptions_(Create<TIconOptions>(this)), Canvas_(Create<TCanvas>())
{
    ControlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
    SetBounds(Left(), Top(), 250, 150);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

TCustomListView::~TCustomListView()
{
    Items_->Free();
    Columns_->Free();
    IconOptions_->Free();
    Canvas_->Free();
}

void TCustomListView::BeforeDestruction()
{
    // Every item is told gone while the whole object is there.
    if (HandleAllocated() && !Recreating_ && !OwnerData_)
        Items_->Clear();
    while (!Items_->Items_.empty())
        ItemDeleted(Items_->Items_.front());
    TWinControl::BeforeDestruction();
}

DWORD TCustomListView::ListStyle() const
{
    DWORD style = kViewStyles[ViewStyle_];
    if (!MultiSelect_)
        style |= LVS_SINGLESEL;
    if (!HideSelection_)
        style |= LVS_SHOWSELALWAYS;
    if (!ReadOnly_)
        style |= LVS_EDITLABELS;
    if (!ShowColumnHeaders_)
        style |= LVS_NOCOLUMNHEADER;
    if (!ColumnClick_)
        style |= LVS_NOSORTHEADER;
    if (OwnerData_)
        style |= LVS_OWNERDATA;
    if (OwnerDraw_ && ViewStyle_ == vsReport)
        style |= LVS_OWNERDRAWFIXED;
    if (IconOptions_->AutoArrange())
        style |= LVS_AUTOARRANGE;
    if (IconOptions_->Arrangement() == iaLeft)
        style |= LVS_ALIGNLEFT;
    if (!IconOptions_->WrapText())
        style |= LVS_NOLABELWRAP;
    // The items are shared with the application's image lists.
    style |= LVS_SHAREIMAGELISTS;
    return style;
}

DWORD TCustomListView::ExtendedStyle() const
{
    DWORD style = 0;
    if (GridLines_)
        style |= LVS_EX_GRIDLINES;
    if (RowSelect_)
        style |= LVS_EX_FULLROWSELECT;
    if (Checkboxes_)
        style |= LVS_EX_CHECKBOXES;
    if (HotTrack_)
        style |= LVS_EX_TRACKSELECT;
    if (HotTrackStyles_.Contains(htUnderlineHot))
        style |= LVS_EX_UNDERLINEHOT;
    if (HotTrackStyles_.Contains(htUnderlineCold))
        style |= LVS_EX_UNDERLINECOLD;
    if (FlatScrollBars_)
        style |= LVS_EX_FLATSB;
    if (OnInfoTip)
        style |= LVS_EX_INFOTIP;
    return style;
}

void TCustomListView::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style |= ListStyle();
    if (BorderStyle_ == bsSingle)
        params.ExStyle |= WS_EX_CLIENTEDGE;
    params.WinClassName = "SysListView32";
}

QWidget* TCustomListView::CreatePeerWidget(QWidget* parentWidget)
{
    TCreateParams params;
    CreateParams(params);
    return new TListWidget(parentWidget, params.Style);
}

void TCustomListView::CreateWnd()
{
    TWinControl::CreateWnd();
    const LPARAM colour = static_cast<LPARAM>(ColorToRGB(Color()));
    Perform(LVM_SETBKCOLOR, 0, colour);
    Perform(LVM_SETTEXTBKCOLOR, 0, colour);
    Perform(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font()->Color())));
    ApplyExtendedStyle();
    UpdateImageList(LVSIL_NORMAL, LargeImages_);
    UpdateImageList(LVSIL_SMALL, SmallImages_);
    UpdateImageList(LVSIL_STATE, StateImages_);
    InsertColumns();
    if (OwnerData_) {
        Perform(LVM_SETITEMCOUNT, static_cast<WPARAM>(Items_->OwnerDataCount_), 0);
        return;
    }
    // The items kept while there was no window go back in, silently.
    Recreating_ = true;
    struct Done {
        bool& Flag;
        ~Done() { Flag = false; }
    } done{Recreating_};
    const auto items = Items_->Items_;
    for (std::size_t i = 0; i < items.size(); ++i) {
        LVITEMA row{};
        row.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT;
        row.iItem = static_cast<int>(i);
        row.pszText = LPSTR_TEXTCALLBACKA;
        row.iImage = I_IMAGECALLBACK;
        row.lParam = Arg(items[i]);
        row.state = items[i]->State_;
        row.stateMask = ~0u;
        row.iIndent = items[i]->Indent_;
        Perform(LVM_INSERTITEMA, 0, Arg(&row));
    }
    ReadOrder();
    for (const TListItem* item : Items_->Items_) {
        item->TellSubItems();
        item->TellKeptState();
    }
}

void TCustomListView::DestroyWnd()
{
    if (!HandleAllocated()) {
        TWinControl::DestroyWnd();
        return;
    }
    // The items and the columns' widths stay for the next window; the
    // window's deletions are no item's end.
    for (TListItem* item : Items_->Items_) {
        const int index = item->Index();
        item->State_ = static_cast<UINT>(Perform(LVM_GETITEMSTATE, static_cast<WPARAM>(index), ~0u));
    }
    if (ViewStyle_ == vsReport)
        for (int i = 0; i < Columns_->Count(); ++i)
            if (!Columns_->Items(i)->AutoSize_)
                Columns_->Items(i)->Width_ =
                    static_cast<int>(Perform(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
    Recreating_ = true;
    struct Done {
        bool& Flag;
        ~Done() { Flag = false; }
    } done{Recreating_};
    TWinControl::DestroyWnd();
}

void TCustomListView::InsertColumns()
{
    if (!HandleAllocated())
        return;
    while (Perform(LVM_DELETECOLUMN, 0, 0))
        ;
    for (int i = 0; i < Columns_->Count(); ++i) {
        TListColumn* column = Columns_->Items(i);
        LVCOLUMNA record{};
        record.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        record.pszText = const_cast<char*>(column->Caption_.c_str());
        record.cx = column->Width_;
        Perform(LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), Arg(&record));
        column->Apply();
    }
}

void TCustomListView::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == LargeImages_)
        SetLargeImages(nullptr);
    if (component == SmallImages_)
        SetSmallImages(nullptr);
    if (component == StateImages_)
        SetStateImages(nullptr);
}

HWND TCustomListView::HeaderHandle() const
{
    return HandleAllocated() ? GetDlgItem(const_cast<TCustomListView*>(this)->Handle(), 0) : nullptr;
}

// ---- items and selection ----

TListItem* TCustomListView::ItemOfRow(int row) const
{
    if (row < 0)
        return nullptr;
    if (!OwnerData_)
        return row < static_cast<int>(Items_->Items_.size()) ? Items_->Items_[static_cast<std::size_t>(row)]
                                                             : nullptr;
    if (row >= Items_->OwnerDataCount_)
        return nullptr;
    // The one scratch item, filled by the application for the row.
    auto* self = const_cast<TCustomListView*>(this);
    TListItem*& scratch = Items_->Scratch_;
    if (!scratch)
        scratch = self->CreateListItem();
    scratch->Owner_ = Items_;
    scratch->IndexHint_ = row;
    scratch->Caption_.clear();
    if (scratch->SubItems_)
        scratch->SubItems_->Clear();
    scratch->EmptySubItems_ = 0;
    scratch->ImageIndex_ = -1;
    scratch->OverlayIndex_ = -1;
    scratch->StateIndex_ = -1;
    scratch->Data_ = nullptr;
    scratch->State_ = 0;
    self->OwnerDataFetch(scratch, TItemRequest{irText, irImage, irParam, irState, irIndent});
    return scratch;
}

TListItem* TCustomListView::ItemOfRecord(const LVITEMA& item) const
{
    TListItem* atRow = ItemOfRow(item.iItem);
    if (!OwnerData_ && (item.mask & LVIF_PARAM)) {
        // Mostly the item is at its row; only one that moved is looked up
        // among all, a miss in memory for every item of a long list.
        auto* found = reinterpret_cast<TListItem*>(item.lParam);
        if (found == atRow || Live_.contains(found))
            return found;
    }
    return atRow;
}

TListItem* TCustomListView::Selected() const
{
    return GetNextItem(nullptr, sdAll, TItemStates{isSelected});
}

void TCustomListView::SetSelected(TListItem* value)
{
    ClearSelection();
    if (value) {
        value->SetSelected(true);
        value->MakeVisible(false);
    }
}

TListItem* TCustomListView::ItemFocused() const
{
    return GetNextItem(nullptr, sdAll, TItemStates{isFocused});
}

void TCustomListView::SetItemFocused(TListItem* value)
{
    if (value)
        value->SetFocused(true);
    else if (TListItem* focused = ItemFocused())
        focused->SetFocused(false);
}

TListItem* TCustomListView::DropTarget() const
{
    return GetNextItem(nullptr, sdAll, TItemStates{isDropHilited});
}

void TCustomListView::SetDropTarget(TListItem* value)
{
    if (TListItem* old = DropTarget())
        old->SetDropTarget(false);
    if (value)
        value->SetDropTarget(true);
}

int TCustomListView::SelCount() const
{
    if (HandleAllocated())
        return static_cast<int>(const_cast<TCustomListView*>(this)->Perform(LVM_GETSELECTEDCOUNT));
    return static_cast<int>(
        std::count_if(Items_->Items_.begin(), Items_->Items_.end(),
                      [](const TListItem* item) { return item->State_ & LVIS_SELECTED; }));
}

TListItem* TCustomListView::TopItem() const
{
    if (!HandleAllocated())
        return nullptr;
    return ItemOfRow(static_cast<int>(const_cast<TCustomListView*>(this)->Perform(LVM_GETTOPINDEX)));
}

int TCustomListView::VisibleRowCount() const
{
    return HandleAllocated()
               ? static_cast<int>(const_cast<TCustomListView*>(this)->Perform(LVM_GETCOUNTPERPAGE))
               : 0;
}

TPoint TCustomListView::ViewOrigin() const
{
    POINT point{0, 0};
    if (HandleAllocated())
        const_cast<TCustomListView*>(this)->Perform(LVM_GETORIGIN, 0, Arg(&point));
    return {point.x, point.y};
}

TRect TCustomListView::GetViewRect() const
{
    RECT rect{0, 0, 0, 0};
    if (HandleAllocated())
        const_cast<TCustomListView*>(this)->Perform(LVM_GETVIEWRECT, 0, Arg(&rect));
    return TRect(rect);
}

TListItem* TCustomListView::GetItemAt(int x, int y) const
{
    if (!HandleAllocated())
        return nullptr;
    LVHITTESTINFO info{{x, y}, 0, -1, 0};
    const auto row =
        static_cast<int>(const_cast<TCustomListView*>(this)->Perform(LVM_HITTEST, 0, Arg(&info)));
    return (info.flags & LVHT_ONITEM) ? ItemOfRow(row) : nullptr;
}

THitTests TCustomListView::GetHitTestInfoAt(int x, int y) const
{
    THitTests result;
    if (!HandleAllocated())
        return result;
    LVHITTESTINFO info{{x, y}, 0, -1, 0};
    const_cast<TCustomListView*>(this)->Perform(LVM_HITTEST, 0, Arg(&info));
    static constexpr std::pair<UINT, THitTest> flags[] = {
        {LVHT_BELOW, htBelow},         {LVHT_NOWHERE, htNowhere}, {LVHT_ONITEMICON, htOnIcon},
        {LVHT_ONITEMLABEL, htOnLabel}, {LVHT_TOLEFT, htToLeft},   {LVHT_TORIGHT, htToRight}};
    for (const auto& [bit, test] : flags)
        if (info.flags & bit)
            result += test;
    // Above shares its bit with the state icon: over an item it is the icon.
    if (info.flags & LVHT_ONITEMSTATEICON)
        result += info.iItem >= 0 ? htOnStateIcon : htAbove;
    if (info.flags & LVHT_ONITEM)
        result += htOnItem;
    return result;
}

TListItem* TCustomListView::GetNearestItem(const TPoint& point, TSearchDirection direction) const
{
    if (!HandleAllocated())
        return nullptr;
    static constexpr UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 0};
    LVFINDINFOA find{};
    find.flags = LVFI_NEARESTXY;
    find.pt = {point.x, point.y};
    find.vkDirection = keys[direction];
    const auto row = static_cast<int>(
        const_cast<TCustomListView*>(this)->Perform(LVM_FINDITEMA, static_cast<WPARAM>(-1), Arg(&find)));
    return ItemOfRow(row);
}

TListItem* TCustomListView::GetNextItem(TListItem* start, TSearchDirection direction,
                                        TItemStates states) const
{
    if (!HandleAllocated()) {
        // The kept states, in order.
        UINT wanted = 0;
        if (states.Contains(isSelected))
            wanted |= LVIS_SELECTED;
        if (states.Contains(isFocused))
            wanted |= LVIS_FOCUSED;
        if (states.Contains(isCut))
            wanted |= LVIS_CUT;
        if (states.Contains(isDropHilited))
            wanted |= LVIS_DROPHILITED;
        const auto& items = Items_->Items_;
        const int from = start ? start->Index() + 1 : 0;
        for (int i = std::max(0, from); i < static_cast<int>(items.size()); ++i)
            if ((items[static_cast<std::size_t>(i)]->State_ & wanted) == wanted)
                return items[static_cast<std::size_t>(i)];
        return nullptr;
    }
    static constexpr UINT directions[] = {LVNI_TOLEFT, LVNI_TORIGHT, LVNI_ABOVE, LVNI_BELOW, LVNI_ALL};
    UINT flags = directions[direction];
    if (states.Contains(isSelected))
        flags |= LVNI_SELECTED;
    if (states.Contains(isFocused))
        flags |= LVNI_FOCUSED;
    if (states.Contains(isCut))
        flags |= LVNI_CUT;
    if (states.Contains(isDropHilited))
        flags |= LVNI_DROPHILITED;
    const int from = start ? start->Index() : -1;
    const auto row = static_cast<int>(
        const_cast<TCustomListView*>(this)->Perform(LVM_GETNEXTITEM, static_cast<WPARAM>(from), flags));
    return ItemOfRow(row);
}

TListItem* TCustomListView::FindCaption(int startIndex, const std::string& value, bool partial,
                                        bool inclusive, bool wrap) const
{
    if (!HandleAllocated())
        return nullptr;
    LVFINDINFOA find{};
    find.flags = LVFI_STRING | (partial ? LVFI_PARTIAL : 0) | (wrap ? LVFI_WRAP : 0);
    find.psz = value.c_str();
    const int from = inclusive ? startIndex - 1 : startIndex;
    const auto row = static_cast<int>(
        const_cast<TCustomListView*>(this)->Perform(LVM_FINDITEMA, static_cast<WPARAM>(from), Arg(&find)));
    return ItemOfRow(row);
}

TListItem* TCustomListView::FindData(int startIndex, void* value, bool inclusive, bool wrap) const
{
    const auto& items = Items_->Items_;
    const int count = static_cast<int>(items.size());
    if (count == 0)
        return nullptr;
    int from = std::clamp(inclusive ? startIndex : startIndex + 1, 0, count);
    for (int pass = 0; pass < (wrap ? 2 : 1); ++pass) {
        for (int i = from; i < count; ++i)
            if (items[static_cast<std::size_t>(i)]->Data_ == value)
                return items[static_cast<std::size_t>(i)];
        from = 0;
    }
    return nullptr;
}

int TCustomListView::StringWidth(const std::string& s) const
{
    if (!HandleAllocated())
        return 0;
    return static_cast<int>(
        const_cast<TCustomListView*>(this)->Perform(LVM_GETSTRINGWIDTHA, 0, Arg(s.c_str())));
}

bool TCustomListView::IsEditing() const
{
    return HandleAllocated() && const_cast<TCustomListView*>(this)->Perform(LVM_GETEDITCONTROL) != 0;
}

void TCustomListView::SelectAll()
{
    if (!MultiSelect_)
        return;
    HandleNeeded();
    LVITEMA item{};
    item.state = LVIS_SELECTED;
    item.stateMask = LVIS_SELECTED;
    Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), Arg(&item));
}

void TCustomListView::ClearSelection()
{
    if (!HandleAllocated()) {
        for (TListItem* item : Items_->Items_)
            item->State_ &= ~LVIS_SELECTED;
        return;
    }
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), Arg(&item));
}

void TCustomListView::Arrange(TListArrangement code)
{
    static constexpr UINT codes[] = {LVA_DEFAULT,  LVA_ALIGNLEFT, LVA_DEFAULT,
                                     LVA_ALIGNTOP, LVA_DEFAULT,   LVA_SNAPTOGRID};
    if (HandleAllocated())
        Perform(LVM_ARRANGE, codes[code], 0);
}

void TCustomListView::Scroll(int dx, int dy)
{
    if (HandleAllocated())
        Perform(LVM_SCROLL, static_cast<WPARAM>(dx), dy);
}

void TCustomListView::UpdateItems(int firstIndex, int lastIndex)
{
    if (HandleAllocated())
        Perform(LVM_REDRAWITEMS, static_cast<WPARAM>(firstIndex), lastIndex);
}

// ---- sorting ----

int TCustomListView::CompareItems(const TListItem* a, const TListItem* b)
{
    if (OnCompare) {
        int compare = 0;
        OnCompare(this, const_cast<TListItem*>(a), const_cast<TListItem*>(b), 0, compare);
        return compare;
    }
    return AnsiCompareText(a->Caption(), b->Caption());
}

int TCustomListView::DefaultCompare(LPARAM data1, LPARAM data2, LPARAM list)
{
    auto* self = reinterpret_cast<TCustomListView*>(list);
    const auto* a = reinterpret_cast<const TListItem*>(data1);
    const auto* b = reinterpret_cast<const TListItem*>(data2);
    if (!self->Live_.contains(a) || !self->Live_.contains(b))
        return 0;
    return self->CompareItems(a, b);
}

bool TCustomListView::AlphaSort()
{
    return CustomSort(nullptr, 0);
}

bool TCustomListView::CustomSort(TLVCompare compare, LPARAM data)
{
    return compare ? SortItems(compare, data, false) : SortItems(&DefaultCompare, Arg(this), false);
}

bool TCustomListView::CustomSortByIndex(TLVCompare compare, LPARAM data)
{
    return compare && SortItems(compare, data, true);
}

bool TCustomListView::SortItems(TLVCompare compare, LPARAM data, bool byIndex)
{
    if (OwnerData_)
        return false;
    if (!HandleAllocated()) {
        auto& items = Items_->Items_;
        std::vector<std::pair<LPARAM, TListItem*>> order;
        order.reserve(items.size());
        for (TListItem* item : items)
            order.emplace_back(byIndex ? static_cast<LPARAM>(order.size()) : Arg(item), item);
        vcl::SafeSort(order.data(), order.size(),
                      [&](const auto& a, const auto& b) { return compare(a.first, b.first, data); });
        std::transform(order.begin(), order.end(), items.begin(),
                       [](const auto& entry) { return entry.second; });
        return true;
    }
    const bool sorted = Perform(byIndex ? LVM_SORTITEMSEX : LVM_SORTITEMS, static_cast<WPARAM>(data),
                                reinterpret_cast<LPARAM>(compare)) != 0;
    ReadOrder();
    return sorted;
}

// The items take the window's order.
void TCustomListView::ReadOrder()
{
    if (OwnerData_ || !HandleAllocated())
        return;
    auto& items = Items_->Items_;
    std::vector<TListItem*> order;
    order.reserve(items.size());
    const auto count = static_cast<int>(Perform(LVM_GETITEMCOUNT));
    for (int i = 0; i < count; ++i) {
        LVITEMA row{};
        row.mask = LVIF_PARAM;
        row.iItem = i;
        if (!Perform(LVM_GETITEMA, 0, Arg(&row)))
            return;
        order.push_back(reinterpret_cast<TListItem*>(row.lParam));
    }
    // Only a permutation of what we have is taken, which also tells that
    // every parameter read is an item of ours; told by sorted copies, as
    // std::is_permutation takes quadratic time on a shuffled order.
    if (order.size() != items.size())
        return;
    std::vector<TListItem*> ours(items.begin(), items.end());
    std::vector<TListItem*> theirs = order;
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    if (ours == theirs)
        items.assign(order.begin(), order.end());
}

// ---- properties ----

void TCustomListView::SetItems(TListItems* value)
{
    Items_->Assign(value);
}

void TCustomListView::SetColumns(TListColumns* value)
{
    Columns_->Assign(value);
}

void TCustomListView::SetIconOptions(TIconOptions* value)
{
    IconOptions_->Assign(value);
}

void TCustomListView::SetStyleBits(DWORD mask, DWORD bits)
{
    if (!HandleAllocated())
        return;
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_STYLE));
    const DWORD changed = (style & ~mask) | (bits & mask);
    if (changed == style)
        return;
    SetWindowLongPtrA(Handle(), GWL_STYLE, static_cast<LONG_PTR>(changed));
    Invalidate();
}

void TCustomListView::ApplyExtendedStyle()
{
    if (HandleAllocated())
        Perform(LVM_SETEXTENDEDLISTVIEWSTYLE, ~0u, static_cast<LPARAM>(ExtendedStyle()));
}

void TCustomListView::SetBorderStyle(TBorderStyle value)
{
    if (BorderStyle_ == value)
        return;
    BorderStyle_ = value;
    RecreateWnd();
}

void TCustomListView::SetColumnClick(bool value)
{
    ColumnClick_ = value;
    SetStyleBits(LVS_NOSORTHEADER, value ? 0 : LVS_NOSORTHEADER);
}

void TCustomListView::SetHideSelection(bool value)
{
    HideSelection_ = value;
    SetStyleBits(LVS_SHOWSELALWAYS, value ? 0 : LVS_SHOWSELALWAYS);
}

void TCustomListView::SetMultiSelect(bool value)
{
    MultiSelect_ = value;
    SetStyleBits(LVS_SINGLESEL, value ? 0 : LVS_SINGLESEL);
}

void TCustomListView::SetReadOnly(bool value)
{
    ReadOnly_ = value;
    SetStyleBits(LVS_EDITLABELS, value ? 0 : LVS_EDITLABELS);
}

void TCustomListView::SetRowSelect(bool value)
{
    RowSelect_ = value;
    ApplyExtendedStyle();
}

void TCustomListView::SetShowColumnHeaders(bool value)
{
    ShowColumnHeaders_ = value;
    SetStyleBits(LVS_NOCOLUMNHEADER, value ? 0 : LVS_NOCOLUMNHEADER);
}

void TCustomListView::SetSortType(TSortType value)
{
    if (SortType_ == value)
        return;
    SortType_ = value;
    if (value == stText || value == stBoth)
        AlphaSort();
}

void TCustomListView::SetViewStyle(TViewStyle value)
{
    if (ViewStyle_ == value)
        return;
    // The report view's column widths, as the user left them.
    if (ViewStyle_ == vsReport && HandleAllocated())
        for (int i = 0; i < Columns_->Count(); ++i)
            if (!Columns_->Items(i)->AutoSize_)
                Columns_->Items(i)->Width_ =
                    static_cast<int>(Perform(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
    ViewStyle_ = value;
    SetStyleBits(LVS_TYPEMASK | LVS_OWNERDRAWFIXED,
                 kViewStyles[value] | (OwnerDraw_ && value == vsReport ? LVS_OWNERDRAWFIXED : 0));
}

void TCustomListView::SetOwnerData(bool value)
{
    if (OwnerData_ == value)
        return;
    // The rows are of one kind or the other: the items go.
    Items_->Clear();
    OwnerData_ = value;
    Items_->OwnerDataCount_ = 0;
    RecreateWnd();
}

void TCustomListView::SetOwnerDraw(bool value)
{
    OwnerDraw_ = value;
    SetStyleBits(LVS_OWNERDRAWFIXED, value && ViewStyle_ == vsReport ? LVS_OWNERDRAWFIXED : 0);
}

void TCustomListView::SetCheckboxes(bool value)
{
    Checkboxes_ = value;
    ApplyExtendedStyle();
}

void TCustomListView::SetGridLines(bool value)
{
    GridLines_ = value;
    ApplyExtendedStyle();
}

void TCustomListView::SetHotTrack(bool value)
{
    HotTrack_ = value;
    ApplyExtendedStyle();
}

void TCustomListView::SetHotTrackStyles(TListHotTrackStyles value)
{
    HotTrackStyles_ = value;
    ApplyExtendedStyle();
}

void TCustomListView::SetFlatScrollBars(bool value)
{
    FlatScrollBars_ = value;
    ApplyExtendedStyle();
}

void TCustomListView::SetFullDrag(bool value)
{
    FullDrag_ = value;
}

void TCustomListView::SetAllocBy(int value)
{
    AllocBy_ = std::max(0, value);
    // The items' deque grows block by block; the set of live items and the
    // window's rows make room for so many ahead, and never shrink for it.
    // An owner-data list's count is its rows, not room.
    if (OwnerData_)
        return;
    const auto ahead = static_cast<std::size_t>(AllocBy_);
    if (ahead > Live_.bucket_count() * Live_.max_load_factor())
        Live_.reserve(ahead);
    if (HandleAllocated())
        Perform(LVM_SETITEMCOUNT, static_cast<WPARAM>(AllocBy_), 0);
}

void TCustomListView::SetLargeImages(TCustomImageList* value)
{
    if (LargeImages_ == value)
        return;
    if (LargeImages_)
        LargeImages_->RemoveFreeNotification(this);
    LargeImages_ = value;
    if (LargeImages_)
        LargeImages_->FreeNotification(this);
    UpdateImageList(LVSIL_NORMAL, LargeImages_);
}

void TCustomListView::SetSmallImages(TCustomImageList* value)
{
    if (SmallImages_ == value)
        return;
    if (SmallImages_)
        SmallImages_->RemoveFreeNotification(this);
    SmallImages_ = value;
    if (SmallImages_)
        SmallImages_->FreeNotification(this);
    UpdateImageList(LVSIL_SMALL, SmallImages_);
}

void TCustomListView::SetStateImages(TCustomImageList* value)
{
    if (StateImages_ == value)
        return;
    if (StateImages_)
        StateImages_->RemoveFreeNotification(this);
    StateImages_ = value;
    if (StateImages_)
        StateImages_->FreeNotification(this);
    UpdateImageList(LVSIL_STATE, StateImages_);
}

void TCustomListView::UpdateImageList(WPARAM which, TCustomImageList* list)
{
    if (HandleAllocated())
        Perform(LVM_SETIMAGELIST, which, Arg(list ? list->Handle() : nullptr));
}

// ---- messages ----

void TCustomListView::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_NOTIFY:
        return CNNotify(message);
    case CN_DRAWITEM: {
        // An owner-drawn row of the report view.
        const auto* record = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
        TListItem* item = record ? ItemOfRow(static_cast<int>(record->itemID)) : nullptr;
        if (!item)
            return;
        Canvas_->SetHandle(record->hDC);
        struct Unbind {
            TCanvas* Canvas;
            ~Unbind() { Canvas->SetHandle(nullptr); }
        } unbind{Canvas_};
        Canvas_->Font()->Assign(Font());
        Canvas_->Brush()->SetColor(Color());
        DrawItem(item, TRect(record->rcItem), TOwnerDrawState::FromBits(record->itemState & 0xFFFF));
        message.Result = TRUE;
        return;
    }
    case CM_COLORCHANGED:
        TWinControl::Dispatch(message);
        if (HandleAllocated()) {
            const LPARAM colour = static_cast<LPARAM>(ColorToRGB(Color()));
            Perform(LVM_SETBKCOLOR, 0, colour);
            Perform(LVM_SETTEXTBKCOLOR, 0, colour);
        }
        return;
    case CM_FONTCHANGED:
        TWinControl::Dispatch(message);
        if (HandleAllocated())
            Perform(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font()->Color())));
        return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        TWinControl::Dispatch(message);
        FinishButtonTheWindowTook(*this, message.Msg);
        return;
    case WM_MOUSEWHEEL:
        // A wheel no handler took scrolls the list, as the window's own.
        TWinControl::Dispatch(message);
        if (message.Result == 0 && HandleAllocated())
            DefaultHandler(message);
        return;
    case WM_PAINT:
    case WM_GETDLGCODE:
        // The list window's own.
        return DefaultHandler(message);
    default:
        return TWinControl::Dispatch(message);
    }
}

void TCustomListView::DefaultHandler(TMessage& message)
{
    if (auto* list = dynamic_cast<TListWidget*>(Peer()); list && HandleAllocated())
        if (list->Handle(Handle(), message))
            return;
    TWinControl::DefaultHandler(message);
}

TItemStates TCustomListView::StatesOf(UINT state)
{
    TItemStates states;
    if (state & LVIS_CUT)
        states += isCut;
    if (state & LVIS_DROPHILITED)
        states += isDropHilited;
    if (state & LVIS_FOCUSED)
        states += isFocused;
    if (state & LVIS_SELECTED)
        states += isSelected;
    if (state & LVIS_ACTIVATING)
        states += isActivating;
    return states;
}

void TCustomListView::CNNotify(TMessage& message)
{
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    if (!header)
        return;
    message.Result = 0;
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        auto& row = reinterpret_cast<NMLVDISPINFOA*>(message.LParam)->item;
        TListItem* item = ItemOfRecord(row);
        if (!item)
            return;
        if (row.mask & LVIF_TEXT) {
            const std::string* text = nullptr;
            if (row.iSubItem == 0) {
                text = &item->Caption_;
            } else if (row.iSubItem - 1 < item->SubItemCount()) {
                DisplayText_ = item->SubItemText(row.iSubItem - 1);
                text = &DisplayText_;
            }
            if (row.pszText && row.cchTextMax > 0) {
                const std::size_t n =
                    text ? std::min(text->size(), static_cast<std::size_t>(row.cchTextMax - 1)) : 0;
                if (n)
                    std::memcpy(row.pszText, text->data(), n);
                row.pszText[n] = '\0';
            }
        }
        if ((row.mask & LVIF_IMAGE) && row.iSubItem == 0) {
            if (!OwnerData_)
                GetImageIndex(item);
            row.iImage = item->ImageIndex_;
        }
        if (OwnerData_ && (row.mask & LVIF_STATE)) {
            row.state = (row.state & ~row.stateMask) | (item->State_ & row.stateMask);
            if (item->StateIndex_ >= 0)
                row.state = (row.state & ~LVIS_STATEIMAGEMASK) |
                            ((static_cast<UINT>(item->StateIndex_ + 1) << 12) & LVIS_STATEIMAGEMASK);
            if (item->OverlayIndex_ >= 0)
                row.state = (row.state & ~LVIS_OVERLAYMASK) |
                            INDEXTOOVERLAYMASK(static_cast<UINT>(item->OverlayIndex_) + 1);
        }
        if (OwnerData_ && (row.mask & LVIF_INDENT))
            row.iIndent = item->Indent_;
        if (OwnerData_ && (row.mask & LVIF_PARAM))
            row.lParam = 0;
        return;
    }
    case LVN_ODCACHEHINT: {
        const auto* hint = reinterpret_cast<const NMLVCACHEHINT*>(message.LParam);
        OwnerDataHint(hint->iFrom, hint->iTo);
        return;
    }
    case LVN_ODFINDITEMA: {
        const auto* find = reinterpret_cast<const NMLVFINDITEMA*>(message.LParam);
        TItemFind kind = ifData;
        if (find->lvfi.flags & LVFI_STRING)
            kind = (find->lvfi.flags & LVFI_PARTIAL) ? ifPartialString : ifExactString;
        else if (find->lvfi.flags & LVFI_NEARESTXY)
            kind = ifNearest;
        TSearchDirection direction = sdAll;
        switch (find->lvfi.vkDirection) {
        case VK_LEFT:
            direction = sdLeft;
            break;
        case VK_RIGHT:
            direction = sdRight;
            break;
        case VK_UP:
            direction = sdAbove;
            break;
        case VK_DOWN:
            direction = sdBelow;
            break;
        default:
            break;
        }
        message.Result =
            OwnerDataFind(kind, find->lvfi.psz ? std::string(find->lvfi.psz) : std::string(),
                          {find->lvfi.pt.x, find->lvfi.pt.y}, reinterpret_cast<void*>(find->lvfi.lParam),
                          find->iStart, direction, (find->lvfi.flags & LVFI_WRAP) != 0);
        return;
    }
    case LVN_ODSTATECHANGED: {
        const auto* change = reinterpret_cast<const NMLVODSTATECHANGE*>(message.LParam);
        OwnerDataStateChange(change->iFrom, change->iTo, StatesOf(change->uOldState),
                             StatesOf(change->uNewState));
        return;
    }
    case LVN_ITEMCHANGING: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(message.LParam);
        TListItem* item =
            OwnerData_ ? ItemOfRow(change->iItem)
                       : ItemOfRecord({LVIF_PARAM, change->iItem, 0, 0, 0, nullptr, 0, 0, change->lParam, 0});
        if (!item || Recreating_)
            return;
        message.Result = CanChange(item, change->uChanged) ? FALSE : TRUE;
        return;
    }
    case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(message.LParam);
        if (Recreating_)
            return;
        TListItem* item =
            change->iItem < 0 ? nullptr
            : OwnerData_
                ? ItemOfRow(change->iItem)
                : ItemOfRecord({LVIF_PARAM, change->iItem, 0, 0, 0, nullptr, 0, 0, change->lParam, 0});
        if (change->iItem >= 0 && !item)
            return;
        Change(item, change->uChanged);
        if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
            DoSelectItem(item, (change->uNewState & LVIS_SELECTED) != 0);
        return;
    }
    case LVN_INSERTITEM: {
        const auto* insert = reinterpret_cast<const NMLISTVIEW*>(message.LParam);
        if (Recreating_ || OwnerData_)
            return;
        if (TListItem* item =
                ItemOfRecord({LVIF_PARAM, insert->iItem, 0, 0, 0, nullptr, 0, 0, insert->lParam, 0}))
            InsertItem(item);
        return;
    }
    case LVN_DELETEALLITEMS: {
        if (OwnerData_) {
            message.Result = FALSE;
            return;
        }
        // Each item is told gone here, rather than through one notification
        // a row (a hundred thousand rows make that slow); the window's own
        // end keeps them for the next window. Either way no row is told.
        if (!Recreating_) {
            const std::vector<TListItem*> items(Items_->Items_.begin(), Items_->Items_.end());
            for (TListItem* item : items)
                if (Live_.contains(item))
                    ItemDeleted(item);
        }
        message.Result = TRUE;
        return;
    }
    case LVN_DELETEITEM: {
        const auto* removed = reinterpret_cast<const NMLISTVIEW*>(message.LParam);
        auto* item = reinterpret_cast<TListItem*>(removed->lParam);
        if (Recreating_ || OwnerData_ || !Live_.contains(item))
            return;
        ItemDeleted(item);
        return;
    }
    case LVN_BEGINLABELEDITA: {
        TListItem* item = ItemOfRecord(reinterpret_cast<NMLVDISPINFOA*>(message.LParam)->item);
        message.Result = item && CanEdit(item) ? FALSE : TRUE;
        return;
    }
    case LVN_ENDLABELEDITA:
        Edit(reinterpret_cast<NMLVDISPINFOA*>(message.LParam)->item);
        return;
    case LVN_COLUMNCLICK: {
        const auto* click = reinterpret_cast<const NMLISTVIEW*>(message.LParam);
        if (click->iSubItem >= 0 && click->iSubItem < Columns_->Count())
            ColClick(Columns_->Items(click->iSubItem));
        return;
    }
    case LVN_GETINFOTIPA: {
        auto* tip = reinterpret_cast<NMLVGETINFOTIPA*>(message.LParam);
        TListItem* item = ItemOfRow(tip->iItem);
        if (!item || !tip->pszText || tip->cchTextMax <= 0)
            return;
        std::string text = tip->pszText;
        DoInfoTip(item, text);
        const std::size_t n = std::min(text.size(), static_cast<std::size_t>(tip->cchTextMax - 1));
        std::memcpy(tip->pszText, text.data(), n);
        tip->pszText[n] = '\0';
        return;
    }
    case NM_CUSTOMDRAW:
        return CustomDrawNotify(message);
    default:
        return;
    }
}

void TCustomListView::ItemDeleted(TListItem* item)
{
    if (item->Deleting_)
        return;
    item->Deleting_ = true;
    Delete(item);
    auto& items = Items_->Items_;
    // Its index starts from where it was last found: rows deleted from the
    // last up cost no walk of the rows before them.
    const int at = item->Index();
    if (at >= 0 && at < static_cast<int>(items.size()) && items[static_cast<std::size_t>(at)] == item)
        items.erase(items.begin() + at);
    Live_.erase(item);
    item->Free();
}

void TCustomListView::CustomDrawNotify(TMessage& message)
{
    auto& record = *reinterpret_cast<NMLVCUSTOMDRAW*>(message.LParam);
    const DWORD stage = record.nmcd.dwDrawStage;
    const TCustomDrawStage drawStage = StageOf(stage);
    message.Result = CDRF_DODEFAULT;
    Canvas_->SetHandle(record.nmcd.hdc);
    struct Unbind {
        TCanvas* Canvas;
        ~Unbind() { Canvas->SetHandle(nullptr); }
    } unbind{Canvas_};
    if (!(stage & CDDS_ITEM)) {
        if (drawStage == cdPrePaint) {
            if (IsCustomDrawn(dtItem, cdPrePaint) || IsCustomDrawn(dtItem, cdPreErase))
                message.Result |= CDRF_NOTIFYITEMDRAW;
            if (IsCustomDrawn(dtItem, cdPostPaint))
                message.Result |= CDRF_NOTIFYPOSTPAINT;
        }
        if (IsCustomDrawn(dtControl, drawStage)) {
            Canvas_->Font()->Assign(Font());
            Canvas_->Brush()->SetColor(Color());
            if (!CustomDraw(TRect(record.nmcd.rc), drawStage))
                message.Result |= CDRF_SKIPDEFAULT;
            if (drawStage == cdPrePaint && IsCustomDrawn(dtControl, cdPostPaint))
                message.Result |= CDRF_NOTIFYPOSTPAINT;
        }
        return;
    }
    TListItem* item = ItemOfRecord({LVIF_PARAM, static_cast<int>(record.nmcd.dwItemSpec), 0, 0, 0, nullptr, 0,
                                    0, record.nmcd.lItemlParam, 0});
    const bool subItem = (stage & CDDS_SUBITEM) != 0;
    if (!item || !IsCustomDrawn(subItem ? dtSubItem : dtItem, drawStage))
        return;
    // The canvas starts as the window would draw the item.
    Canvas_->Font()->Assign(Font());
    Canvas_->Font()->SetColor(static_cast<TColor>(record.clrText));
    Canvas_->Brush()->SetColor(static_cast<TColor>(record.clrTextBk));
    const TCustomDrawState state = TCustomDrawState::FromBits(record.nmcd.uItemState & 0x1FF);
    const bool drawDefault = subItem ? CustomDrawSubItem(item, record.iSubItem, state, drawStage)
                                     : CustomDrawItem(item, state, drawStage);
    if (drawStage != cdPrePaint)
        return;
    if (!drawDefault) {
        message.Result |= CDRF_SKIPDEFAULT;
        return;
    }
    const HFONT font = Canvas_->Font()->Handle();
    if (font != static_cast<HFONT>(GetCurrentObject(record.nmcd.hdc, OBJ_FONT))) {
        SelectObject(record.nmcd.hdc, font);
        message.Result |= CDRF_NEWFONT;
    }
    record.clrText = ColorToRGB(Canvas_->Font()->Color());
    record.clrTextBk = ColorToRGB(Canvas_->Brush()->Color());
    if (!subItem && IsCustomDrawn(dtSubItem, cdPrePaint))
        message.Result |= CDRF_NOTIFYSUBITEMDRAW;
    if (IsCustomDrawn(subItem ? dtSubItem : dtItem, cdPostPaint))
        message.Result |= CDRF_NOTIFYPOSTPAINT;
}

bool TCustomListView::IsCustomDrawn(TCustomDrawTarget target, TCustomDrawStage stage) const
{
    const bool item = static_cast<bool>(OnCustomDrawItem);
    const bool subItem = static_cast<bool>(OnCustomDrawSubItem);
    const bool advancedItem = static_cast<bool>(OnAdvancedCustomDrawItem);
    if (stage == cdPrePaint) {
        if (target == dtSubItem)
            return subItem;
        if (target == dtItem)
            return item || subItem || advancedItem;
        return static_cast<bool>(OnCustomDraw) || static_cast<bool>(OnAdvancedCustomDraw) || item ||
               subItem || advancedItem;
    }
    if (target == dtItem)
        return advancedItem;
    if (target == dtControl)
        return static_cast<bool>(OnAdvancedCustomDraw) || advancedItem;
    return false;
}

bool TCustomListView::CustomDraw(const TRect& rect, TCustomDrawStage stage)
{
    bool result = true;
    if (stage == cdPrePaint && OnCustomDraw)
        OnCustomDraw(this, rect, result);
    if (OnAdvancedCustomDraw)
        OnAdvancedCustomDraw(this, rect, stage, result);
    return result;
}

bool TCustomListView::CustomDrawItem(TListItem* item, TCustomDrawState state, TCustomDrawStage stage)
{
    bool result = true;
    if (stage == cdPrePaint && OnCustomDrawItem)
        OnCustomDrawItem(this, item, state, result);
    if (OnAdvancedCustomDrawItem)
        OnAdvancedCustomDrawItem(this, item, state, stage, result);
    return result;
}

bool TCustomListView::CustomDrawSubItem(TListItem* item, int subItem, TCustomDrawState state,
                                        TCustomDrawStage stage)
{
    bool result = true;
    if (stage == cdPrePaint && OnCustomDrawSubItem)
        OnCustomDrawSubItem(this, item, subItem, state, result);
    return result;
}

// ---- what the notifications ask ----

bool TCustomListView::CanChange(TListItem* item, UINT change)
{
    bool allow = true;
    if (OnChanging) {
        const TItemChange kind = (change & LVIF_TEXT) ? ctText : (change & LVIF_IMAGE) ? ctImage : ctState;
        OnChanging(this, item, kind, allow);
    }
    return allow;
}

void TCustomListView::Change(TListItem* item, UINT change)
{
    if (OnChange) {
        const TItemChange kind = (change & LVIF_TEXT) ? ctText : (change & LVIF_IMAGE) ? ctImage : ctState;
        OnChange(this, item, kind);
    }
}

bool TCustomListView::CanEdit(TListItem* item)
{
    bool allow = true;
    if (OnEditing)
        OnEditing(this, item, allow);
    return allow;
}

void TCustomListView::Edit(const LVITEMA& record)
{
    TListItem* item = ItemOfRecord(record);
    if (!item || !record.pszText)
        return;
    std::string text = record.pszText;
    if (OnEdited)
        OnEdited(this, item, text);
    if (!OwnerData_ && Live_.contains(item))
        item->SetCaption(text);
}

void TCustomListView::ColClick(TListColumn* column)
{
    if (OnColumnClick)
        OnColumnClick(this, column);
}

void TCustomListView::InsertItem(TListItem* item)
{
    if (OnInsert)
        OnInsert(this, item);
}

void TCustomListView::Delete(TListItem* item)
{
    if (OnDeletion)
        OnDeletion(this, item);
}

void TCustomListView::GetImageIndex(TListItem* item)
{
    if (OnGetImageIndex)
        OnGetImageIndex(this, item);
}

bool TCustomListView::OwnerDataFetch(TListItem* item, TItemRequest)
{
    if (!OnData)
        return false;
    OnData(this, item);
    return true;
}

int TCustomListView::OwnerDataFind(TItemFind find, const std::string& findString, const TPoint& findPosition,
                                   void* findData, int startIndex, TSearchDirection direction, bool wrap)
{
    int index = -1;
    if (OnDataFind)
        OnDataFind(this, find, findString, findPosition, findData, startIndex, direction, wrap, index);
    return index;
}

bool TCustomListView::OwnerDataHint(int startIndex, int endIndex)
{
    if (!OnDataHint)
        return false;
    OnDataHint(this, startIndex, endIndex);
    return true;
}

bool TCustomListView::OwnerDataStateChange(int startIndex, int endIndex, TItemStates oldState,
                                           TItemStates newState)
{
    if (!OnDataStateChange)
        return false;
    OnDataStateChange(this, startIndex, endIndex, oldState, newState);
    return true;
}

void TCustomListView::DoSelectItem(TListItem* item, bool selected)
{
    if (OnSelectItem)
        OnSelectItem(this, item, selected);
}

void TCustomListView::DoInfoTip(TListItem* item, std::string& infoTip)
{
    if (OnInfoTip)
        OnInfoTip(this, item, infoTip);
}

void TCustomListView::DrawItem(TListItem* item, const TRect& rect, TOwnerDrawState state)
{
    if (OnDrawItem)
        OnDrawItem(this, item, rect, state);
}

TListItem* TCustomListView::CreateListItem()
{
    return Create<TListItem>(Items_);
}

// ---- published ----

const TClassRtti& TListColumn::PublishedTable()
{
    static const TClassRtti table =
        Publish<TListColumn>()
            .Property<&TListColumn::Alignment, &TListColumn::SetAlignment>("Alignment")
            .Default(taLeftJustify)
            .Property<&TListColumn::AutoSize, &TListColumn::SetAutoSize>("AutoSize")
            .Default(false)
            .Property<&TListColumn::Caption, &TListColumn::SetCaption>("Caption")
            .Property<&TListColumn::ImageIndex, &TListColumn::SetImageIndex>("ImageIndex")
            .Default(-1)
            .Property<&TListColumn::MaxWidth, &TListColumn::SetMaxWidth>("MaxWidth")
            .Default(0)
            .Property<&TListColumn::MinWidth, &TListColumn::SetMinWidth>("MinWidth")
            .Default(0)
            .Property<&TListColumn::Tag, &TListColumn::SetTag>("Tag")
            .Default(0)
            .Property<&TListColumn::Width, &TListColumn::SetWidth>("Width")
            .Default(50);
    return table;
}

const TClassRtti& TIconOptions::PublishedTable()
{
    static const TClassRtti table =
        Publish<TIconOptions>()
            .Property<&TIconOptions::Arrangement, &TIconOptions::SetArrangement>("Arrangement")
            .Default(iaTop)
            .Property<&TIconOptions::AutoArrange, &TIconOptions::SetAutoArrange>("AutoArrange")
            .Default(false)
            .Property<&TIconOptions::WrapText, &TIconOptions::SetWrapText>("WrapText")
            .Default(true);
    return table;
}

} // namespace vcl
