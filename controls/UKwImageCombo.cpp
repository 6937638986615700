// The combo box base and the owner-drawn image combo.

#include "UKwImageCombo.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "vcl/widgets/Forms.h"
#include "win32/ComboBoxes.h"
#include "win32/Gdi.h"
#include "win32/WindowManager.h"

#include <cstdlib>

namespace kw {

using namespace vcl;

// ---- TKwCustomCombobox ----

bool TKwCustomCombobox::OwnersDestroying() const
{
    for (const TComponent* up = this; up; up = up->Owner())
        if (up != this && up->ComponentState().Contains(csDestroying))
            return true;
    return false;
}

void TKwCustomCombobox::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND:
        return CNCommand(message);
    case WM_DELETEITEM:
        return WMDeleteItem(message);
    default:
        return TCustomComboBox::Dispatch(message);
    }
}

void TKwCustomCombobox::CNCommand(TMessage& message)
{
    switch (message.WParamHi()) {
    case CBN_CLOSEUP:
        CloseUp();
        return;
    case CBN_SELENDOK:
        SelEndOk();
        return;
    case CBN_SELENDCANCEL:
        SelEndCancel();
        return;
    default:
        return TCustomComboBox::Dispatch(message);
    }
}

void TKwCustomCombobox::WMDeleteItem(TMessage& message)
{
    if (auto* record = reinterpret_cast<DELETEITEMSTRUCT*>(message.LParam); record && record->itemData != 0) {
        DeleteItem(reinterpret_cast<void*>(record->itemData));
        // The framework's own handling never sees the data.
        record->itemData = 0;
    }
    TCustomComboBox::Dispatch(message);
}

void TKwCustomCombobox::DeleteItem(void* aItem)
{
    if (OnDeleteItem && !OwnersDestroying())
        OnDeleteItem(this, aItem);
}

void TKwCustomCombobox::SelEndCancel()
{
    if (OnSelEndCancel)
        OnSelEndCancel(this);
}

void TKwCustomCombobox::SelEndOk()
{
    if (OnSelEndOk)
        OnSelEndOk(this);
}

#if defined(KW_PREVIOUS_GENERATION)
void TKwCustomCombobox::CloseUp()
{
    if (OnCloseUp)
        OnCloseUp(this);
}
#endif

void TKwCustomCombobox::SetItemHeight2(int value)
{
    if (value == ItemHeight() || (Style() != csOwnerDrawFixed && Style() != csOwnerDrawVariable))
        return;
    TCustomComboBox::SetItemHeight(value);
    RecreateWnd();
}

const TClassRtti& TKwCombobox::PublishedTable()
{
    static const TClassRtti table =
        PublishWinControl(Publish<TKwCombobox>(), clWindow, true)
            .Property<&TKwCombobox::Style, &TKwCombobox::SetStyle>("Style")
            .Default(csDropDown)
            .Property<&TKwCombobox::DropDownCount, &TKwCombobox::SetDropDownCount>("DropDownCount")
            .Default(8)
            .Property<&TKwCombobox::ItemHeight, &TKwCombobox::SetItemHeight2>("ItemHeight")
            .NoDefault()
            .Property<&TKwCombobox::Items, &TKwCombobox::SetItems>("Items")
            .Property<&TKwCombobox::MaxLength, &TKwCombobox::SetMaxLength>("MaxLength")
            .Default(0)
            .Property<&TKwCombobox::Sorted, &TKwCombobox::SetSorted>("Sorted")
            .Default(false)
            .Property<&TKwCombobox::Text, &TKwCombobox::SetText>("Text")
            .Property<&TKwCombobox::OnChange>("OnChange")
            .Property<&TKwCombobox::OnDrawItem>("OnDrawItem")
            .Property<&TKwCombobox::OnDropDown>("OnDropDown")
            .Property<&TKwCombobox::OnMeasureItem>("OnMeasureItem")
            .Property<&TKwCombobox::OnDeleteItem>("OnDeleteItem")
            .Property<&TKwCombobox::OnCloseUp>("OnCloseUp")
            .Property<&TKwCombobox::OnSelEndCancel>("OnSelEndCancel")
            .Property<&TKwCombobox::OnSelEndOk>("OnSelEndOk");
    return table;
}

// ---- TKwImageComboItem ----

void TKwImageComboItem::Changed()
{
    if (Combo_)
        Combo_->Invalidate();
}

void TKwImageComboItem::SetIndent(int value)
{
    Indent_ = value;
    Changed();
}

void TKwImageComboItem::SetImageIndex(int value)
{
    ImageIndex_ = value;
    Changed();
}

void TKwImageComboItem::SetOverlayIndex(int value)
{
    OverlayIndex_ = value;
    Changed();
}

void TKwImageComboItem::SetCaption(const std::string& value)
{
    Caption_ = value;
    Changed();
}

// ---- TKwCustomImageCombo ----

TKwCustomImageCombo::TKwCustomImageCombo(TComponent* owner) : TKwCustomCombobox(owner)
{
    SetStyle(csOwnerDrawFixed);
}

void TKwCustomImageCombo::CreateParams(TCreateParams& params)
{
    TKwCustomCombobox::CreateParams(params);
    // The window keeps the item objects only, no strings.
    params.Style &= ~CBS_HASSTRINGS;
}

void TKwCustomImageCombo::CreateWnd()
{
    TKwCustomCombobox::CreateWnd();
    // The Down key opens the list.
    Perform(CB_SETEXTENDEDUI, 1);
}

void TKwCustomImageCombo::DestroyWnd()
{
    // A window made again keeps the items; only the combo's end frees them.
    if (ComponentState().Contains(csDestroying))
        Items()->Clear();
    TKwCustomCombobox::DestroyWnd();
}

TKwImageComboItem* TKwCustomImageCombo::AddItem(const std::string& caption, int imageIndex, int indent)
{
    auto* item = new TKwImageComboItem(this);
    item->Caption_ = caption;
    item->ImageIndex_ = imageIndex;
    item->Indent_ = indent;
    try {
        item->Index_ = Items()->AddObject(std::string(), item);
    } catch (...) {
        delete item;
        throw;
    }
    return item;
}

TKwImageComboItem* TKwCustomImageCombo::GetImageComboItem(int index) const
{
    return As<TKwImageComboItem>(Items()->Objects(index));
}

void TKwCustomImageCombo::DeleteItem(void* aItem)
{
    auto* item = static_cast<TKwImageComboItem*>(static_cast<TObject*>(aItem));
    if (OnDeleteItem && !OwnersDestroying())
        OnDeleteItem(this, item);
    delete item;
}

void TKwCustomImageCombo::GetItemData(TKwImageComboItem* item)
{
    if (OnGetItemData)
        OnGetItemData(this, item);
}

void TKwCustomImageCombo::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_DRAWITEM:
        return CNDrawItem(message);
    case WM_ERASEBKGND:
        return WMEraseBkgnd(message);
    case WM_SETFONT:
        return WMSetFont(message);
    default:
        return TKwCustomCombobox::Dispatch(message);
    }
}

void TKwCustomImageCombo::CNDrawItem(TMessage& message)
{
    // No focus rectangle: the highlight says it all.
    DrawItemRecord(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam), false);
    message.Result = TRUE;
}

void TKwCustomImageCombo::DrawItem(int index, const TRect& rect, TOwnerDrawState state)
{
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    TKwImageComboItem* item = GetImageComboItem(index);
    if (!item)
        return;
    GetItemData(item);
    TCanvas* canvas = Canvas();
    // The selection field shows every item at the left; the open list
    // indents them.
    const int level = WindowFromDC(canvas->Handle()) == Handle() ? 0 : item->Indent();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
    const bool selected = state.Contains(odSelected);
    if (ImageList_) {
        if (selected) {
            canvas->Brush()->SetColor(clHighlight);
            ImageList_->SetBlendColor(clHighlight);
            ImageList_->SetDrawingStyle(dsSelected);
        } else {
            ImageList_->SetDrawingStyle(dsNormal);
        }
        const int x = level * IndentPixels_ + rect.left + 2;
        const int y = (rect.top + rect.bottom - ImageList_->Height()) / 2;
        if (item->OverlayIndex() < 0)
            ImageList_->Draw(canvas, x, y, item->ImageIndex(), true);
        else
            ImageList_->DrawOverlay(canvas, x, y, item->ImageIndex(), item->OverlayIndex(), true);
    }
    // Only the caption's box carries the highlight.
    if (selected)
        canvas->Brush()->SetColor(clHighlight);
    if (item->Caption().empty())
        return;
    TRect text;
    text.left = level * IndentPixels_ + rect.left + 2 + (ImageList_ ? ImageList_->Width() + 4 : 4) - 1;
    text.top = rect.top;
    text.right = text.left + canvas->TextWidth(item->Caption()) + 3;
    text.bottom = rect.bottom;
    canvas->TextRect(text, text.left + 1, text.top + 1, item->Caption());
}

void TKwCustomImageCombo::WMEraseBkgnd(TMessage& message)
{
    const TColor color = Is<TForm>(Owner()) ? static_cast<TForm*>(Owner())->Color() : clWindow;
    const auto dc = reinterpret_cast<HDC>(message.WParam);
    const RECT client = ClientRect();
    const HBRUSH brush = CreateSolidBrush(ColorToRGB(color));
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    message.Result = 1;
}

void TKwCustomImageCombo::WMSetFont(TMessage& message)
{
    if (InSetFont_) {
        TKwCustomCombobox::Dispatch(message);
        return;
    }
    InSetFont_ = true;
    struct Clear {
        bool& Flag;
        ~Clear() { Flag = false; }
    } clear{InSetFont_};
    AutoSize(reinterpret_cast<HFONT>(message.WParam));
    TKwCustomCombobox::Dispatch(message);
}

void TKwCustomImageCombo::AutoSize(HFONT font)
{
    if (AutoSizeHeight_)
        DoAutoSize(font);
}

void TKwCustomImageCombo::DoAutoSize(HFONT font)
{
    int height = 0;
    {
        const HDC dc = GetDC(nullptr);
        struct Release {
            HDC Dc;
            HGDIOBJ Old = nullptr;
            ~Release()
            {
                if (Old)
                    SelectObject(Dc, Old);
                ReleaseDC(nullptr, Dc);
            }
        } release{dc};
        release.Old = SelectObject(dc, font);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        height = std::abs(static_cast<int>(metrics.tmHeight)) + 2;
    }
    if (ImageList_ && height < ImageList_->Height())
        height = ImageList_->Height();
    SetItemHeight2(height);
}

void TKwCustomImageCombo::SetImageList(TImageList* value)
{
    ImageList_ = value;
    Invalidate();
    if (value)
        value->FreeNotification(this);
    if (!ComponentState().Contains(csLoading))
        AutoSize(Font()->Handle());
}

void TKwCustomImageCombo::SetIndentPixels(int value)
{
    if (value == IndentPixels_)
        return;
    IndentPixels_ = value;
    Invalidate();
}

void TKwCustomImageCombo::Notification(TComponent* component, TOperation operation)
{
    TKwCustomCombobox::Notification(component, operation);
    if (operation == opRemove && component == ImageList_)
        ImageList_ = nullptr;
}

const TClassRtti& TKwImageCombo::PublishedTable()
{
    static const TClassRtti table =
        PublishWinControl(Publish<TKwImageCombo>(), clWindow, true)
            .Property<&TKwImageCombo::AutoSizeHeight, &TKwImageCombo::SetAutoSizeHeight>("AutoSizeHeight")
            .Default(true)
            .Property<&TKwImageCombo::IndentPixels, &TKwImageCombo::SetIndentPixels>("IndentPixels")
            .Default(12)
            .Property<&TKwImageCombo::ImageList, &TKwImageCombo::SetImageList>("ImageList")
            .Property<&TKwImageCombo::OnDeleteItem>("OnDeleteItem")
            .Property<&TKwImageCombo::OnCloseUp>("OnCloseUp")
            .Property<&TKwImageCombo::OnSelEndCancel>("OnSelEndCancel")
            .Property<&TKwImageCombo::OnSelEndOk>("OnSelEndOk")
            .Property<&TKwImageCombo::OnGetItemData>("OnGetItemData")
            .Property<&TKwImageCombo::DropDownCount, &TKwImageCombo::SetDropDownCount>("DropDownCount")
            .Default(8)
            .Property<&TKwImageCombo::ItemHeight, &TKwImageCombo::SetItemHeight2>("ItemHeight")
            .NoDefault()
            .Property<&TKwImageCombo::MaxLength, &TKwImageCombo::SetMaxLength>("MaxLength")
            .Default(0)
            .Property<&TKwImageCombo::Sorted, &TKwImageCombo::SetSorted>("Sorted")
            .Default(false)
            .Property<&TKwImageCombo::OnChange>("OnChange")
            .Property<&TKwImageCombo::OnDrawItem>("OnDrawItem")
            .Property<&TKwImageCombo::OnDropDown>("OnDropDown")
            .Property<&TKwImageCombo::OnMeasureItem>("OnMeasureItem");
    return table;
}

} // namespace kw
