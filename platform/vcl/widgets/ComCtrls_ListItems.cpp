// The items and columns of the framework's list view. An item is its row's
// lParam and keeps what the framework owns (caption, sub-items, images,
// data); the window asks for the texts and images when it draws them, and
// keeps the order and the state. While the list has no window an item keeps
// the state to give the next one.

#include "vcl/widgets/ComCtrls.h"

#include "vcl/core/ExceptionFormat.h"
#include "win32/VirtualKeys.h"

#include <algorithm>
#include <cstring>

namespace vcl {

namespace {

LPARAM Arg(const void* pointer)
{
    return reinterpret_cast<LPARAM>(pointer);
}

} // namespace

// ---- TListItem ----

TListItem::TListItem(TListItems* owner) : Owner_(owner) {}

TListItem::~TListItem() = default;

TCustomListView* TListItem::ListView() const
{
    return Owner_ ? Owner_->Owner() : nullptr;
}

HWND TListItem::Handle() const
{
    return Owner_ ? Owner_->Handle() : nullptr;
}

int TListItem::Index() const
{
    if (!Owner_)
        return -1;
    if (Owner_->Scratch_ == this)
        return IndexHint_;
    const auto& items = Owner_->Items_;
    const auto size = static_cast<int>(items.size());
    // Where the item was last found first: walks along the rows cost one
    // look a step.
    for (const int guess : {IndexHint_, IndexHint_ + 1, IndexHint_ - 1})
        if (guess >= 0 && guess < size && items[static_cast<std::size_t>(guess)] == this)
            return IndexHint_ = guess;
    const auto it = std::find(items.begin(), items.end(), this);
    if (it == items.end())
        return -1;
    return IndexHint_ = static_cast<int>(it - items.begin());
}

void TListItem::Update()
{
    TCustomListView* list = ListView();
    const int index = Index();
    if (list && list->HandleAllocated() && index >= 0)
        list->Perform(LVM_REDRAWITEMS, static_cast<WPARAM>(index), index);
}

void TListItem::SetCaption(const std::string& value)
{
    Caption_ = value;
    Update();
}

TStrings* TListItem::SubItems()
{
    if (!SubItems_) {
        SubItems_ = std::make_unique<TStringList>();
        for (; EmptySubItems_ > 0; --EmptySubItems_)
            SubItems_->Add(std::string());
        SubItems_->OnChange = TNotifyEvent(this, &TListItem::SubItemsChanged);
    }
    return SubItems_.get();
}

void TListItem::AddEmptySubItems(int count)
{
    if (count <= 0)
        return;
    if (SubItems_) {
        SubItems_->BeginUpdate();
        for (int i = 0; i < count; ++i)
            SubItems_->Add(std::string());
        SubItems_->EndUpdate();
        return;
    }
    EmptySubItems_ += count;
    SubItemsChanged(nullptr);
}

int TListItem::SubItemCount() const
{
    return SubItems_ ? SubItems_->Count() : EmptySubItems_;
}

std::string TListItem::SubItemText(int index) const
{
    if (SubItems_ && index >= 0 && index < SubItems_->Count())
        return SubItems_->Strings(index);
    return {};
}

const TStrings* TListItem::SubItems() const
{
    return const_cast<TListItem*>(this)->SubItems();
}

void TListItem::SubItemsChanged(TObject*)
{
    if (Inserting_)
        return;
    TellSubItems();
    Update();
}

// The window asks for the sub-items' texts when it draws them, as for the
// caption.
void TListItem::TellSubItems() const
{
    TCustomListView* list = ListView();
    const int index = Index();
    const int count = SubItemCount();
    if (count == 0 || !list || !list->HandleAllocated() || index < 0 || list->OwnerData())
        return;
    for (int i = 1; i <= count; ++i) {
        LVITEMA text{};
        text.iSubItem = i;
        text.pszText = LPSTR_TEXTCALLBACKA;
        list->Perform(LVM_SETITEMTEXTA, static_cast<WPARAM>(index), Arg(&text));
    }
}

// The state kept without a window goes into a new one.
void TListItem::TellKeptState() const
{
    TCustomListView* list = ListView();
    const int index = Index();
    constexpr UINT kept = LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED;
    if (!list || !list->HandleAllocated() || index < 0 || !(State_ & kept))
        return;
    LVITEMA item{};
    item.state = State_ & kept;
    item.stateMask = kept;
    list->Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(index), Arg(&item));
}

void TListItem::SetData(void* value)
{
    Data_ = value;
}

void TListItem::SetImageIndex(int value)
{
    if (ImageIndex_ == value)
        return;
    ImageIndex_ = value;
    Update();
}

void TListItem::SetOverlayIndex(int value)
{
    OverlayIndex_ = value;
    // Overlay n of the image list is item overlay n - 1, as for tree nodes.
    const UINT bits = value >= 0 && value < 15 ? INDEXTOOVERLAYMASK(static_cast<UINT>(value) + 1) : 0;
    State_ = (State_ & ~LVIS_OVERLAYMASK) | bits;
    TCustomListView* list = ListView();
    const int index = Index();
    if (!list || !list->HandleAllocated() || index < 0)
        return;
    LVITEMA item{};
    item.state = bits;
    item.stateMask = LVIS_OVERLAYMASK;
    list->Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(index), Arg(&item));
}

void TListItem::SetStateIndex(int value)
{
    StateIndex_ = value;
    const UINT bits = value >= 0 ? (static_cast<UINT>(value + 1) << 12) & LVIS_STATEIMAGEMASK : 0;
    State_ = (State_ & ~LVIS_STATEIMAGEMASK) | bits;
    TCustomListView* list = ListView();
    const int index = Index();
    if (!list || !list->HandleAllocated() || index < 0)
        return;
    LVITEMA item{};
    item.state = bits;
    item.stateMask = LVIS_STATEIMAGEMASK;
    list->Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(index), Arg(&item));
}

void TListItem::SetIndent(int value)
{
    Indent_ = value;
    TCustomListView* list = ListView();
    const int index = Index();
    if (!list || !list->HandleAllocated() || index < 0)
        return;
    LVITEMA item{};
    item.mask = LVIF_INDENT;
    item.iItem = index;
    item.iIndent = value;
    list->Perform(LVM_SETITEMA, 0, Arg(&item));
}

bool TListItem::GetState(UINT mask) const
{
    TCustomListView* list = ListView();
    const int index = Index();
    if (!list || !list->HandleAllocated() || index < 0)
        return (State_ & mask) != 0;
    return (static_cast<UINT>(list->Perform(LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask)) & mask) != 0;
}

void TListItem::SetState(UINT mask, bool value)
{
    State_ = value ? (State_ | mask) : (State_ & ~mask);
    TCustomListView* list = ListView();
    const int index = Index();
    if (!list || !list->HandleAllocated() || index < 0)
        return;
    LVITEMA item{};
    item.state = value ? mask : 0;
    item.stateMask = mask;
    list->Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(index), Arg(&item));
}

bool TListItem::Selected() const
{
    return GetState(LVIS_SELECTED);
}

void TListItem::SetSelected(bool value)
{
    SetState(LVIS_SELECTED, value);
}

bool TListItem::Focused() const
{
    return GetState(LVIS_FOCUSED);
}

void TListItem::SetFocused(bool value)
{
    SetState(LVIS_FOCUSED, value);
}

bool TListItem::Cut() const
{
    return GetState(LVIS_CUT);
}

void TListItem::SetCut(bool value)
{
    SetState(LVIS_CUT, value);
}

bool TListItem::DropTarget() const
{
    return GetState(LVIS_DROPHILITED);
}

void TListItem::SetDropTarget(bool value)
{
    SetState(LVIS_DROPHILITED, value);
}

// A check box is the state image: the second image checked, the first not.
bool TListItem::Checked() const
{
    TCustomListView* list = ListView();
    const int index = Index();
    UINT state = State_;
    if (list && list->HandleAllocated() && index >= 0)
        state = static_cast<UINT>(
            list->Perform(LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK));
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void TListItem::SetChecked(bool value)
{
    SetStateIndex(value ? 1 : 0);
}

TPoint TListItem::Position() const
{
    TCustomListView* list = ListView();
    const int index = Index();
    POINT point{0, 0};
    if (list && list->HandleAllocated() && index >= 0)
        list->Perform(LVM_GETITEMPOSITION, static_cast<WPARAM>(index), Arg(&point));
    return {point.x, point.y};
}

void TListItem::SetPosition(const TPoint& value)
{
    TCustomListView* list = ListView();
    const int index = Index();
    if (list && list->HandleAllocated() && index >= 0)
        list->Perform(LVM_SETITEMPOSITION, static_cast<WPARAM>(index), MAKELPARAM(value.x, value.y));
}

TRect TListItem::DisplayRect(TDisplayCode code) const
{
    TCustomListView* list = ListView();
    const int index = Index();
    if (!list || !list->HandleAllocated() || index < 0)
        return {};
    static constexpr int parts[] = {LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL, LVIR_SELECTBOUNDS};
    RECT rect{parts[code], 0, 0, 0};
    if (!list->Perform(LVM_GETITEMRECT, static_cast<WPARAM>(index), Arg(&rect)))
        return {};
    return TRect(rect);
}

bool TListItem::EditCaption()
{
    TCustomListView* list = ListView();
    const int index = Index();
    if (!list || index < 0)
        return false;
    list->HandleNeeded();
    if (!list->HandleAllocated())
        return false;
    list->SetFocus();
    return list->Perform(LVM_EDITLABELA, static_cast<WPARAM>(index), 0) != 0;
}

void TListItem::CancelEdit()
{
    TCustomListView* list = ListView();
    if (!list || !list->HandleAllocated())
        return;
    // The edit ends as Escape ends it.
    if (const auto edit = reinterpret_cast<HWND>(list->Perform(LVM_GETEDITCONTROL)))
        SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
}

void TListItem::MakeVisible(bool partialOK)
{
    TCustomListView* list = ListView();
    const int index = Index();
    if (list && list->HandleAllocated() && index >= 0)
        list->Perform(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOK ? TRUE : FALSE);
}

void TListItem::Delete()
{
    if (Owner_ && !Deleting_) {
        const int index = Index();
        if (index >= 0)
            Owner_->Delete(index);
    }
}

void TListItem::Assign(TPersistent* source)
{
    if (auto* item = dynamic_cast<TListItem*>(source)) {
        Caption_ = item->Caption_;
        Data_ = item->Data_;
        ImageIndex_ = item->ImageIndex_;
        Indent_ = item->Indent_;
        SetOverlayIndex(item->OverlayIndex_);
        SetStateIndex(item->StateIndex_);
        if (item->HasSubItems())
            SubItems()->Assign(item->SubItems());
        else if (SubItems_)
            SubItems_->Clear();
        else
            EmptySubItems_ = 0;
        Update();
        return;
    }
    TPersistent::Assign(source);
}

// ---- TListItems ----

TListItems::TListItems(TCustomListView* owner) : Owner_(owner) {}

TListItems::~TListItems()
{
    // The list told every item gone before it went.
    for (TListItem* item : Items_)
        item->Free();
    if (Scratch_)
        Scratch_->Free();
}

HWND TListItems::Handle() const
{
    return Owner_->HandleAllocated() ? Owner_->Handle() : nullptr;
}

int TListItems::Count() const
{
    if (Owner_->OwnerData())
        return OwnerDataCount_;
    return static_cast<int>(Items_.size());
}

void TListItems::SetCount(int value)
{
    if (!Owner_->OwnerData())
        return;
    OwnerDataCount_ = std::max(0, value);
    if (Owner_->HandleAllocated())
        Owner_->Perform(LVM_SETITEMCOUNT, static_cast<WPARAM>(OwnerDataCount_), 0);
}

TListItem* TListItems::Item(int index) const
{
    if (index < 0 || index >= Count())
        throw CreateFmt<EListError>("List index out of bounds (%d)", {index});
    if (Owner_->OwnerData())
        return Owner_->ItemOfRow(index);
    // The item is where it was asked for: its next look for its index (a
    // state asked of the window) costs one comparison, not a walk.
    TListItem* item = Items_[static_cast<std::size_t>(index)];
    item->IndexHint_ = index;
    return item;
}

TListItem* TListItems::Add()
{
    return Insert(Count());
}

TListItem* TListItems::Insert(int index)
{
    return AddItem(Owner_->CreateListItem(), index);
}

TListItem* TListItems::AddItem(TListItem* item, int index)
{
    if (!item)
        return nullptr;
    if (Owner_->OwnerData()) {
        // An owner-data list has rows, not items.
        item->Free();
        throw CreateFmt<EListError>("List index out of bounds (%d)", {index});
    }
    if (index < 0 || index > static_cast<int>(Items_.size()))
        index = static_cast<int>(Items_.size());
    item->Owner_ = this;
    Items_.insert(Items_.begin() + index, item);
    item->IndexHint_ = index;
    Owner_->Live_.insert(item);
    if (Owner_->HandleAllocated())
        InsertRow(item, index);
    else
        Owner_->InsertItem(item);
    return item;
}

void TListItems::InsertRow(TListItem* item, int index)
{
    LVITEMA row{};
    row.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT;
    row.iItem = index;
    row.pszText = LPSTR_TEXTCALLBACKA;
    row.iImage = I_IMAGECALLBACK;
    row.lParam = Arg(item);
    row.state = item->State_;
    row.stateMask = ~0u;
    row.iIndent = item->Indent_;
    struct Inserting {
        TListItem* Item;
        ~Inserting() { Item->Inserting_ = false; }
    } inserting{item};
    item->Inserting_ = true;
    const auto at = static_cast<int>(Owner_->Perform(LVM_INSERTITEMA, 0, Arg(&row)));
    // A sorted window puts it where it sorts: the items take its order.
    if (at >= 0 && at != index)
        Owner_->ReadOrder();
    item->TellSubItems();
    item->TellKeptState();
}

void TListItems::Delete(int index)
{
    if (Owner_->OwnerData()) {
        if (index >= 0 && index < OwnerDataCount_)
            SetCount(OwnerDataCount_ - 1);
        return;
    }
    if (index < 0 || index >= static_cast<int>(Items_.size()))
        throw CreateFmt<EListError>("List index out of bounds (%d)", {index});
    TListItem* item = Items_[static_cast<std::size_t>(index)];
    if (Owner_->HandleAllocated()) {
        // The window tells of it (LVN_DELETEITEM), and the item goes then.
        Owner_->Perform(LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
        return;
    }
    Owner_->ItemDeleted(item);
}

void TListItems::Clear()
{
    if (Owner_->OwnerData()) {
        SetCount(0);
        return;
    }
    BeginUpdate();
    struct End {
        TListItems* Items;
        ~End() { Items->EndUpdate(); }
    } end{this};
    if (Owner_->HandleAllocated()) {
        Owner_->Perform(LVM_DELETEALLITEMS, 0, 0);
        return;
    }
    while (!Items_.empty())
        Owner_->ItemDeleted(Items_.front());
}

void TListItems::BeginUpdate()
{
    if (UpdateCount_++ == 0 && Owner_->HandleAllocated())
        Owner_->Perform(WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate()
{
    if (UpdateCount_ == 0)
        return;
    if (--UpdateCount_ == 0 && Owner_->HandleAllocated()) {
        Owner_->Perform(WM_SETREDRAW, TRUE, 0);
        Owner_->Invalidate();
    }
}

int TListItems::IndexOf(const TListItem* item) const
{
    return item && item->Owner_ == this ? item->Index() : -1;
}

void TListItems::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TListItems*>(source)) {
        BeginUpdate();
        struct End {
            TListItems* Items;
            ~End() { Items->EndUpdate(); }
        } end{this};
        Clear();
        if (Owner_->OwnerData() || other->Owner_->OwnerData())
            return;
        for (TListItem* item : other->Items_)
            Add()->Assign(item);
        return;
    }
    TPersistent::Assign(source);
}

// ---- columns ----

TListColumn::TListColumn(TCollection* collection) : TCollectionItem(collection) {}

TListColumn::~TListColumn() = default;

TCustomListView* TListColumn::ListView() const
{
    auto* columns = dynamic_cast<TListColumns*>(Collection());
    return columns ? columns->Owner() : nullptr;
}

void TListColumn::Apply() const
{
    TCustomListView* list = ListView();
    if (!list || !list->HandleAllocated())
        return;
    static constexpr int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER};
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(Caption_.c_str());
    column.fmt = formats[Alignment_];
    column.cx = AutoSize_ ? LVSCW_AUTOSIZE_USEHEADER : Width_;
    if (ImageIndex_ >= 0) {
        column.mask |= LVCF_IMAGE;
        column.fmt |= LVCFMT_IMAGE;
        column.iImage = ImageIndex_;
    }
    list->Perform(LVM_SETCOLUMNA, static_cast<WPARAM>(Index()), Arg(&column));
}

void TListColumn::SetCaption(const std::string& value)
{
    if (Caption_ == value)
        return;
    Caption_ = value;
    Changed(false);
}

void TListColumn::SetAlignment(TAlignment value)
{
    if (Alignment_ == value)
        return;
    Alignment_ = value;
    Changed(false);
}

int TListColumn::Width() const
{
    TCustomListView* list = ListView();
    if (list && list->HandleAllocated() && list->ViewStyle() == vsReport)
        return static_cast<int>(list->Perform(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(Index()), 0));
    return Width_;
}

void TListColumn::SetWidth(int value)
{
    if (value >= 0) {
        if (MinWidth_ > 0)
            value = std::max(value, MinWidth_);
        if (MaxWidth_ > 0)
            value = std::min(value, MaxWidth_);
    }
    Width_ = value;
    TCustomListView* list = ListView();
    if (list && list->HandleAllocated())
        list->Perform(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(Index()), value);
}

void TListColumn::SetAutoSize(bool value)
{
    if (AutoSize_ == value)
        return;
    AutoSize_ = value;
    Changed(false);
}

void TListColumn::SetMinWidth(int value)
{
    MinWidth_ = std::max(0, value);
    if (MinWidth_ > 0 && Width_ >= 0 && Width_ < MinWidth_)
        SetWidth(MinWidth_);
}

void TListColumn::SetMaxWidth(int value)
{
    MaxWidth_ = std::max(0, value);
    if (MaxWidth_ > 0 && Width_ > MaxWidth_)
        SetWidth(MaxWidth_);
}

void TListColumn::SetImageIndex(int value)
{
    if (ImageIndex_ == value)
        return;
    ImageIndex_ = value;
    Changed(false);
}

std::string TListColumn::DisplayName() const
{
    return Caption_.empty() ? TCollectionItem::DisplayName() : Caption_;
}

void TListColumn::Assign(TPersistent* source)
{
    if (auto* column = dynamic_cast<TListColumn*>(source)) {
        Caption_ = column->Caption_;
        Alignment_ = column->Alignment_;
        Width_ = column->Width_;
        MinWidth_ = column->MinWidth_;
        MaxWidth_ = column->MaxWidth_;
        ImageIndex_ = column->ImageIndex_;
        Tag_ = column->Tag_;
        AutoSize_ = column->AutoSize_;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(source);
}

TListColumns::TListColumns(TCustomListView* owner)
    : TOwnedCollection(owner, CollectionItemClass<TListColumn>())
{
}

TCustomListView* TListColumns::Owner() const
{
    return static_cast<TCustomListView*>(TCollection::Owner());
}

void TListColumns::Update(TCollectionItem* item)
{
    TCustomListView* list = Owner();
    if (!list || !list->HandleAllocated())
        return;
    if (item) {
        static_cast<TListColumn*>(item)->Apply();
        return;
    }
    // The whole collection: the window's columns are made again.
    list->InsertColumns();
}

void TListColumns::Notify(TCollectionItem* item, TCollectionNotification action)
{
    TOwnedCollection::Notify(item, action);
    TCustomListView* list = Owner();
    if (!list || !list->HandleAllocated() || UpdateCount() > 0)
        return;
    if (action == cnAdded) {
        auto* column = static_cast<TListColumn*>(item);
        LVCOLUMNA record{};
        record.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        record.pszText = const_cast<char*>(column->Caption_.c_str());
        record.cx = column->Width_;
        list->Perform(LVM_INSERTCOLUMNA, static_cast<WPARAM>(item->Index()), Arg(&record));
        column->Apply();
    } else if (action == cnDeleting || action == cnExtracting) {
        list->Perform(LVM_DELETECOLUMN, static_cast<WPARAM>(item->Index()), 0);
    }
}

// ---- icon options ----

void TIconOptions::SetArrangement(TIconArrangement value)
{
    if (Arrangement_ == value)
        return;
    Arrangement_ = value;
    Owner_->SetStyleBits(LVS_ALIGNMASK, value == iaLeft ? LVS_ALIGNLEFT : LVS_ALIGNTOP);
}

void TIconOptions::SetAutoArrange(bool value)
{
    if (AutoArrange_ == value)
        return;
    AutoArrange_ = value;
    Owner_->SetStyleBits(LVS_AUTOARRANGE, value ? LVS_AUTOARRANGE : 0);
}

void TIconOptions::SetWrapText(bool value)
{
    if (WrapText_ == value)
        return;
    WrapText_ = value;
    Owner_->SetStyleBits(LVS_NOLABELWRAP, value ? 0 : LVS_NOLABELWRAP);
}

void TIconOptions::Assign(TPersistent* source)
{
    if (auto* options = dynamic_cast<TIconOptions*>(source)) {
        SetArrangement(options->Arrangement_);
        SetAutoArrange(options->AutoArrange_);
        SetWrapText(options->WrapText_);
        return;
    }
    TPersistent::Assign(source);
}

} // namespace vcl
