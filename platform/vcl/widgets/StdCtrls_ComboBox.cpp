// Combo boxes over the combo window.

#include "vcl/core/Publish.h"
#include "vcl/core/SysUtils.h"
#include "vcl/widgets/ComboBoxControl_p.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/ComboBoxes.h"
#include "win32/WindowManager.h"

#include <algorithm>

namespace vcl {

// The items: the window's while it has one, the control's own otherwise.
class TCustomComboBox::TComboBoxStrings final : public TStrings {
public:
    explicit TComboBoxStrings(TCustomComboBox* combo) : Combo(combo) {}

    int Add(const std::string& s) override
    {
        if (Window())
            return Checked(Combo->Perform(CB_ADDSTRING, 0, TextParam(s)));
        auto& saved = Combo->Saved_;
        auto at = saved.end();
        if (Combo->Sorted_)
            at = std::upper_bound(
                saved.begin(), saved.end(), s,
                [](const std::string& a, const TSavedItem& b) { return AnsiCompareText(a, b.Text) < 0; });
        const int index = static_cast<int>(at - saved.begin());
        Combo->InsertSaved(index, s);
        return index;
    }
    void Insert(int index, const std::string& s) override
    {
        if (Window()) {
            Checked(Combo->Perform(CB_INSERTSTRING, static_cast<WPARAM>(index), TextParam(s)));
            return;
        }
        auto& saved = Combo->Saved_;
        if (index < 0 || index > static_cast<int>(saved.size()))
            Error("List index out of bounds (%d)", index);
        Combo->InsertSaved(index, s);
    }
    void Delete(int index) override
    {
        if (Window()) {
            Checked(Combo->Perform(CB_DELETESTRING, static_cast<WPARAM>(index)), index);
            return;
        }
        CheckSaved(index);
        Combo->DeleteSaved(index);
    }
    void Clear() override
    {
        if (Window()) {
            Combo->Perform(CB_RESETCONTENT);
            return;
        }
        while (!Combo->Saved_.empty())
            Combo->DeleteSaved(static_cast<int>(Combo->Saved_.size()) - 1);
    }

protected:
    std::string Get(int index) const override
    {
        if (!Window()) {
            CheckSaved(index);
            return Combo->Saved_[static_cast<std::size_t>(index)].Text;
        }
        const LRESULT length = Combo->Perform(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
        if (length == CB_ERR)
            Error("List index out of bounds (%d)", index);
        // A window without strings keeps data only.
        if (!HasStrings())
            return {};
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        Combo->Perform(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        return text;
    }
    int GetCount() const override
    {
        return Window() ? static_cast<int>(Combo->Perform(CB_GETCOUNT))
                        : static_cast<int>(Combo->Saved_.size());
    }
    TObject* GetObject(int index) const override
    {
        if (!Window()) {
            CheckSaved(index);
            return reinterpret_cast<TObject*>(Combo->Saved_[static_cast<std::size_t>(index)].Data);
        }
        const LRESULT data = Combo->Perform(CB_GETITEMDATA, static_cast<WPARAM>(index));
        if (data == CB_ERR)
            Error("List index out of bounds (%d)", index);
        return reinterpret_cast<TObject*>(data);
    }
    void PutObject(int index, TObject* object) override
    {
        if (!Window()) {
            CheckSaved(index);
            Combo->Saved_[static_cast<std::size_t>(index)].Data = reinterpret_cast<ULONG_PTR>(object);
            return;
        }
        Checked(Combo->Perform(CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(object)),
                index);
    }
    void Put(int index, const std::string& s) override
    {
        // The object stays with its item; nobody is told it was deleted.
        TObject* object = GetObject(index);
        const int selected = Combo->ItemIndex();
        PutObject(index, nullptr);
        Delete(index);
        Insert(index, s);
        PutObject(index, object);
        if (selected == index)
            Combo->SetItemIndex(index);
    }

private:
    bool Window() const { return Combo->HandleAllocated(); }
    bool HasStrings() const
    {
        return (GetWindowLongPtrA(Combo->Handle(), GWL_STYLE) & CBS_HASSTRINGS) != 0 || !Combo->OwnerDrawn();
    }
    LPARAM TextParam(const std::string& s) const
    {
        return HasStrings() ? reinterpret_cast<LPARAM>(s.c_str()) : 0;
    }
    void CheckSaved(int index) const
    {
        if (index < 0 || index >= static_cast<int>(Combo->Saved_.size()))
            Error("List index out of bounds (%d)", index);
    }
    static int Checked(LRESULT result, int index = -1)
    {
        if (result < 0)
            Error(index < 0 ? "Combo box refused the item (%d)" : "List index out of bounds (%d)",
                  index < 0 ? static_cast<int>(result) : index);
        return static_cast<int>(result);
    }

    TCustomComboBox* Combo;
};

const TClassRtti& TComboBox::PublishedTable()
{
    static const TClassRtti table =
        PublishWinControl(Publish<TComboBox>(), clWindow, true)
            .Property<&TComboBox::Style, &TComboBox::SetStyle>("Style")
            .Default(csDropDown)
            .Property<&TComboBox::DropDownCount, &TComboBox::SetDropDownCount>("DropDownCount")
            .Default(8)
            .Property<&TComboBox::ItemHeight, &TComboBox::SetItemHeight>("ItemHeight")
            .NoDefault()
            .Property<&TComboBox::MaxLength, &TComboBox::SetMaxLength>("MaxLength")
            .Default(0)
            .Property<&TComboBox::Sorted, &TComboBox::SetSorted>("Sorted")
            .Default(false)
            .Property<&TComboBox::Items, &TComboBox::SetItems>("Items")
            .Property<&TComboBox::Text, &TComboBox::SetText>("Text")
            .Property<&TComboBox::OnChange>("OnChange")
            .Property<&TComboBox::OnDropDown>("OnDropDown")
            .Property<&TComboBox::OnCloseUp>("OnCloseUp")
            .Property<&TComboBox::OnDrawItem>("OnDrawItem")
            .Property<&TComboBox::OnMeasureItem>("OnMeasureItem");
    return table;
}

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), Items_(new TComboBoxStrings(this)), Canvas_(Create<TCanvas>()),
      Brush_(Create<TBrush>())
{
    ControlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 145, 25);
    SetTabStop(true);
    SetColor(clWindow);
    SetParentColor(false);
    Brush_->SetColor(clWindow);
}

TCustomComboBox::~TCustomComboBox()
{
    vcl::Free(Brush_);
    vcl::Free(Canvas_);
    delete Items_;
}

void TCustomComboBox::BeforeDestruction()
{
    Destroying();
    // A window tells its items' deletion as it goes; items kept without
    // one are told here, while the control is whole.
    if (!HandleAllocated())
        Items_->Clear();
    TWinControl::BeforeDestruction();
}

void TCustomComboBox::InsertSaved(int index, const std::string& text)
{
    Saved_.insert(Saved_.begin() + index, TSavedItem{text, 0});
    if (SavedIndex_ >= index)
        ++SavedIndex_;
}

void TCustomComboBox::DeleteSaved(int index)
{
    const TSavedItem gone = Saved_[static_cast<std::size_t>(index)];
    Saved_.erase(Saved_.begin() + index);
    if (SavedIndex_ == index)
        SavedIndex_ = -1;
    else if (SavedIndex_ > index)
        --SavedIndex_;
    if (gone.Data != 0) {
        DELETEITEMSTRUCT record{ODT_COMBOBOX, 0, static_cast<UINT>(index), nullptr, gone.Data};
        Perform(WM_DELETEITEM, 0, reinterpret_cast<LPARAM>(&record));
    }
}

void TCustomComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    static constexpr DWORD styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                       CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                       CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
    params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | styles[Style_];
    if (Sorted_)
        params.Style |= CBS_SORT;
    params.WinClassName = "COMBOBOX";
}

QWidget* TCustomComboBox::CreatePeerWidget(QWidget* parentWidget)
{
    TCreateParams params;
    CreateParams(params);
    auto* widget = new TComboWidget(parentWidget, params.Style);
    widget->setMaxVisibleItems(std::max(1, DropDownCount_));
    return widget;
}

void TCustomComboBox::CreateWnd()
{
    const std::string text = Text();
    TWinControl::CreateWnd();
    // What the control kept goes back into the new window, silently.
    std::vector<TSavedItem> saved;
    saved.swap(Saved_);
    const int index = std::exchange(SavedIndex_, -1);
    const bool strings = (GetWindowLongPtrA(Handle(), GWL_STYLE) & CBS_HASSTRINGS) != 0;
    int current = -1;
    for (std::size_t i = 0; i < saved.size(); ++i) {
        const LRESULT at =
            Perform(CB_ADDSTRING, 0, strings ? reinterpret_cast<LPARAM>(saved[i].Text.c_str()) : 0);
        if (at < 0)
            continue;
        Perform(CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(saved[i].Data));
        // A sorted window puts it elsewhere, and the items after it move.
        if (current >= at)
            ++current;
        if (static_cast<int>(i) == index)
            current = static_cast<int>(at);
    }
    if (OwnerDrawn()) {
        Perform(CB_SETITEMHEIGHT, 0, ItemHeight_);
        Perform(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), ItemHeight_);
    }
    Perform(CB_LIMITTEXT, static_cast<WPARAM>(MaxLength_));
    Perform(CB_SETCURSEL, static_cast<WPARAM>(current));
    if (Style_ == csDropDown || Style_ == csSimple)
        Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TCustomComboBox::DestroyWnd()
{
    if (!ComponentState().Contains(csDestroying) && HandleAllocated()) {
        // Kept for the next window; the window going tells nobody of them.
        const int count = static_cast<int>(Perform(CB_GETCOUNT));
        Saved_.clear();
        for (int i = 0; i < count; ++i) {
            Saved_.push_back({Items_->Strings(i), static_cast<ULONG_PTR>(Perform(CB_GETITEMDATA, i))});
            Perform(CB_SETITEMDATA, static_cast<WPARAM>(i), 0);
        }
        SavedIndex_ = static_cast<int>(Perform(CB_GETCURSEL));
        const std::string text = Text();
        TWinControl::DestroyWnd();
        Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        return;
    }
    TWinControl::DestroyWnd();
}

void TCustomComboBox::SetStyle(TComboBoxStyle value)
{
    if (value == Style_)
        return;
    Style_ = value;
    RecreateWnd();
}

void TCustomComboBox::SetItems(TStrings* value)
{
    Items_->Assign(value);
}

int TCustomComboBox::ItemIndex() const
{
    auto* self = const_cast<TCustomComboBox*>(this);
    return HandleAllocated() ? static_cast<int>(self->Perform(CB_GETCURSEL)) : SavedIndex_;
}

void TCustomComboBox::SetItemIndex(int value)
{
    if (!HandleAllocated()) {
        SavedIndex_ = value >= 0 && value < static_cast<int>(Saved_.size()) ? value : -1;
        return;
    }
    Perform(CB_SETCURSEL, static_cast<WPARAM>(value));
}

void TCustomComboBox::SetDropDownCount(int value)
{
    DropDownCount_ = value;
    if (auto* combo = dynamic_cast<TComboWidget*>(Peer()))
        combo->setMaxVisibleItems(std::max(1, value));
}

int TCustomComboBox::ItemHeight() const
{
    if (OwnerDrawn() || !HandleAllocated())
        return ItemHeight_;
    return static_cast<int>(const_cast<TCustomComboBox*>(this)->Perform(CB_GETITEMHEIGHT, 0));
}

void TCustomComboBox::SetItemHeight(int value)
{
    if (value <= 0)
        return;
    ItemHeight_ = value;
    if (HandleAllocated() && OwnerDrawn()) {
        Perform(CB_SETITEMHEIGHT, 0, value);
        Perform(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), value);
    }
}

void TCustomComboBox::SetMaxLength(int value)
{
    MaxLength_ = std::max(0, value);
    if (HandleAllocated())
        Perform(CB_LIMITTEXT, static_cast<WPARAM>(MaxLength_));
}

void TCustomComboBox::SetSorted(bool value)
{
    if (value == Sorted_)
        return;
    Sorted_ = value;
    RecreateWnd();
}

bool TCustomComboBox::DroppedDown() const
{
    return HandleAllocated() && const_cast<TCustomComboBox*>(this)->Perform(CB_GETDROPPEDSTATE) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value)
{
    HandleNeeded();
    Perform(CB_SHOWDROPDOWN, value ? TRUE : FALSE);
}

void TCustomComboBox::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND:
        return CNCommand(message);
    case CN_DRAWITEM:
        return CNDrawItem(message);
    case CN_MEASUREITEM:
        return CNMeasureItem(message);
    case CN_DELETEITEM:
        // The item's owner hears of it as the combo's own message.
        message.Result = Perform(WM_DELETEITEM, message.WParam, message.LParam);
        return;
    case WM_PAINT:
    case WM_GETDLGCODE:
        // The combo window's own.
        return DefaultHandler(message);
    default:
        return TWinControl::Dispatch(message);
    }
}

void TCustomComboBox::DefaultHandler(TMessage& message)
{
    if (auto* combo = dynamic_cast<TComboWidget*>(Peer()); combo && HandleAllocated())
        if (combo->Handle(Handle(), message))
            return;
    TWinControl::DefaultHandler(message);
}

void TCustomComboBox::CNCommand(TMessage& message)
{
    switch (message.WParamHi()) {
    case CBN_SELCHANGE:
        Click();
        Change();
        break;
    case CBN_EDITCHANGE:
        Change();
        break;
    case CBN_DROPDOWN:
        DropDown();
        break;
    case CBN_CLOSEUP:
        CloseUp();
        break;
    default:
        break;
    }
}

void TCustomComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomComboBox::DropDown()
{
    if (OnDropDown)
        OnDropDown(this);
}

void TCustomComboBox::CloseUp()
{
    if (OnCloseUp)
        OnCloseUp(this);
}

void TCustomComboBox::CNDrawItem(TMessage& message)
{
    DrawItemRecord(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam), true);
    message.Result = TRUE;
}

void TCustomComboBox::DrawItemRecord(const DRAWITEMSTRUCT& record, bool focusRect)
{
    const auto state = TOwnerDrawState::FromBits(record.itemState & 0xFFFF);
    const auto index = static_cast<int>(record.itemID);
    Canvas_->SetHandle(record.hDC);
    struct Unbind {
        TCanvas* Canvas;
        ~Unbind() { Canvas->SetHandle(nullptr); }
    } unbind{Canvas_};
    Canvas_->Font()->Assign(Font());
    Brush_->SetColor(Color());
    Canvas_->Brush()->Assign(Brush_);
    if (index >= 0 && state.Contains(odSelected)) {
        Canvas_->Brush()->SetColor(clHighlight);
        Canvas_->Font()->SetColor(clHighlightText);
    }
    const TRect rect = record.rcItem;
    if (index >= 0)
        DrawItem(index, rect, state);
    else
        Canvas_->FillRect(rect);
    if (focusRect && state.Contains(odFocused))
        Canvas_->DrawFocusRect(rect);
}

void TCustomComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state)
{
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    Canvas_->FillRect(rect);
    if (index < Items_->Count())
        Canvas_->TextOut(rect.left + 2, rect.top, Items_->Strings(index));
}

void TCustomComboBox::CNMeasureItem(TMessage& message)
{
    auto* record = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
    int height = ItemHeight_;
    if (Style_ == csOwnerDrawVariable && static_cast<int>(record->itemID) >= 0)
        MeasureItem(static_cast<int>(record->itemID), height);
    record->itemHeight = static_cast<UINT>(std::max(1, height));
    message.Result = TRUE;
}

void TCustomComboBox::MeasureItem(int index, int& height)
{
    if (OnMeasureItem)
        OnMeasureItem(this, index, height);
}

} // namespace vcl
