// The list view base: custom draw, the item context menu and the header
// that shows the sort column.

#include "UKwTreeList.h"
#include "UKwTreeList_p.h"

#include "UKwShellUtils.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/ControlMessages.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "win32/Gdi.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <cstdint>

namespace kw {

using namespace vcl;

namespace {

// Posted to the list's own window once it is made: the header is there
// for sure by then.
constexpr UINT AM_InitStage2 = WM_USER + 100;

// The header's item click, in the wide form the platform's list hears it.
constexpr UINT kHeaderItemClickWide = HDN_ITEMCLICKW;

// The glyph's box for a text rectangle: about half the item's height,
// square, at the rectangle's left.
TRect GlyphRect(const TRect& text)
{
    const int size = (text.top + text.bottom) / 2 - 1;
    TRect glyph;
    glyph.left = text.left;
    glyph.right = text.left + size + 1;
    glyph.top = (text.top + text.bottom - size) / 2 - 1;
    glyph.bottom = glyph.top + size;
    return glyph;
}

TRect Moved(TRect rect, int dx)
{
    rect.left += dx;
    rect.right += dx;
    return rect;
}

} // namespace

// ---- the glyphs ----

void DrawDownArrow(TCanvas* aCanvas, const TRect& aRect, TColor aFill, TColor aFirst, TColor aSecond)
{
    const int h = (aRect.bottom - aRect.top - 1) | 1;
    const int w = h + 1;
    const int l = aRect.left;
    const int t = aRect.top;
    if (aFill != clNone) {
        aCanvas->Brush()->SetColor(aFill);
        aCanvas->FillRect({l, t, l + w, t + h});
    }
    const int m = l + (w - 1) / 2;
    aCanvas->Pen()->SetColor(aFirst);
    aCanvas->Polyline({{m, t + h - 1}, {l, t + 1}, {l, t}, {l + w - 1, t}});
    aCanvas->Pen()->SetColor(aSecond);
    aCanvas->Polyline({{m + 1, t + h - 1}, {l + w, t - 1}});
}

void DrawUpArrow(TCanvas* aCanvas, const TRect& aRect, TColor aFill, TColor aFirst, TColor aSecond)
{
    const int h = (aRect.bottom - aRect.top - 1) | 1;
    const int w = h + 1;
    const int l = aRect.left;
    const int t = aRect.top;
    if (aFill != clNone) {
        aCanvas->Brush()->SetColor(aFill);
        aCanvas->FillRect({l, t, l + w, t + h});
    }
    aCanvas->Pen()->SetColor(aFirst);
    aCanvas->Polyline({{l + w / 2 - 1, t}, {l, t + h - 2}, {l, t + h - 1}});
    aCanvas->Pen()->SetColor(aSecond);
    aCanvas->Polyline({{l, t + h - 1}, {l + w - 1, t + h - 1}, {l + (w - 1) / 2 + 1, t - 1}});
}

// ---- TKwCustomListView ----

TKwCustomListView::TKwCustomListView(TComponent* owner)
    : TCustomListView(owner), HeaderCanvas_(Create<TCanvas>())
{
}

TKwCustomListView::~TKwCustomListView()
{
    FreeLastWrapper();
    HeaderCanvas_->Free();
}

void TKwCustomListView::BeforeDestruction()
{
    FreeLastWrapper();
    TCustomListView::BeforeDestruction();
}

void TKwCustomListView::FreeLastWrapper()
{
    delete LastWrapper_;
    LastWrapper_ = nullptr;
}

void TKwCustomListView::CreateWnd()
{
    TCustomListView::CreateWnd();
    const LPARAM colour = static_cast<LPARAM>(ColorToRGB(Color()));
    Perform(LVM_SETTEXTBKCOLOR, 0, colour);
    Perform(LVM_SETBKCOLOR, 0, colour);
    SetHeaderODStyle();
    PostMessageA(Handle(), AM_InitStage2, 0, 0);
}

TKwCustomDraw* TKwCustomListView::CreateCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult)
{
    return new TKwLvCustomDraw(aCD, aResult, Font());
}

TKwCustomDraw* TKwCustomListView::KwCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult)
{
    TKwCustomDraw* wrapper = nullptr;
    TListItem* item = nullptr;
    bool itemFound = false;
    const auto itemOf = [&]() -> TListItem* {
        itemFound = true;
        if (!(aCD.dwDrawStage & CDDS_ITEM))
            return nullptr;
        // A row that names nothing of the list's is no item.
        const auto row = static_cast<int>(aCD.dwItemSpec);
        return row >= 0 && row < Items()->Count() ? ItemOfRow(row) : nullptr;
    };
    if (OnKwCustomDrawEx) {
        wrapper = CreateCustomDraw(aCD, aResult);
        item = itemOf();
        OnKwCustomDrawEx(this, wrapper, item);
    }
    if (OnKwCustomDraw && (aCD.dwDrawStage & CDDS_ITEM) && (aCD.dwDrawStage & CDDS_PREPAINT)) {
        if (!wrapper)
            wrapper = CreateCustomDraw(aCD, aResult);
        if (!itemFound)
            item = itemOf();
        OnKwCustomDraw(this, wrapper, item);
    }
    if (wrapper)
        wrapper->Apply();
    // Every pre stage asks on: the items at the control's, the sub-items at
    // an item's.
    if (aCD.dwDrawStage & CDDS_PREPAINT)
        aResult |= CDRF_NOTIFYITEMDRAW;
    return wrapper;
}

void TKwCustomListView::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_NOTIFY:
        return CNNotify(message);
    case WM_NOTIFY:
        return WMNotify(message);
    case WM_DRAWITEM:
        return WMDrawItem(message);
    case WM_CONTEXTMENU:
        return WMContextMenu(message);
    case WM_RBUTTONDOWN:
        // A new gesture: what the last one showed is done with.
        MenuShown_ = false;
        return TCustomListView::Dispatch(message);
    case WM_RBUTTONUP:
        return WMRButtonUp(message);
    case WM_PARENTNOTIFY:
        TCustomListView::Dispatch(message);
        SetHeaderODStyle();
        return;
    case AM_InitStage2:
        SetHeaderODStyle();
        return;
    case CM_COLORCHANGED:
        TCustomListView::Dispatch(message);
        if (HandleAllocated()) {
            const LPARAM colour = static_cast<LPARAM>(ColorToRGB(Color()));
            Perform(LVM_SETBKCOLOR, 0, colour);
            Perform(LVM_SETTEXTBKCOLOR, 0, colour);
        }
        return;
    case CM_SYSCOLORCHANGE:
        TCustomListView::Dispatch(message);
        if (Color() < 0)
            Perform(CM_COLORCHANGED, message.WParam, message.LParam);
        return;
    default:
        return TCustomListView::Dispatch(message);
    }
}

void TKwCustomListView::CNNotify(TMessage& message)
{
    auto* header = reinterpret_cast<NMHDR*>(message.LParam);
    if (!header)
        return TCustomListView::Dispatch(message);
    const bool designing = ComponentState().Contains(csDesigning);
    switch (header->code) {
    case NM_CUSTOMDRAW:
        if (designing) {
            message.Result = 0;
            return;
        }
        if (IsCustomDrawn(dtItem, cdPrePaint) || IsCustomDrawn(dtControl, cdPrePaint))
            return TCustomListView::Dispatch(message);
        message.Result = 0;
        FreeLastWrapper();
        LastWrapper_ = KwCustomDraw(*reinterpret_cast<TNMCustomDraw*>(message.LParam), message.Result);
        return;
    case NM_RCLICK:
        // No menu while a form is designed.
        if (!designing) {
            POINT cursor{};
            GetCursorPos(&cursor);
            ::ScreenToClient(Handle(), &cursor);
            DoPreItemContextMenu({cursor.x, cursor.y});
        }
        return TCustomListView::Dispatch(message);
    default:
        return TCustomListView::Dispatch(message);
    }
}

// ---- the item context menu ----

void TKwCustomListView::PopupAt(TPopupMenu* menu, const TPoint& clientPos)
{
    detail::PopupAt(this, menu, clientPos);
}

void TKwCustomListView::ItemContextMenu(TListItem* aItem, TPoint& aPos, TPopupMenu*& aMenu)
{
    if (OnItemContextMenu)
        OnItemContextMenu(this, aItem, aPos, aMenu);
}

void TKwCustomListView::DoItemContextMenu(TListItem* aItem, const TPoint& aPos)
{
    TPopupMenu* menu = PopupMenu();
    TPoint pos = aPos;
    ItemContextMenu(aItem, pos, menu);
    MenuShown_ = true;
    if (menu)
        PopupAt(menu, pos);
}

void TKwCustomListView::DoPreItemContextMenu(const TPoint& aPos)
{
    const auto centreOfIcon = [](TListItem* item) {
        const TRect rect = item->DisplayRect(drIcon);
        return TPoint{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    };
    TListItem* focused = ItemFocused();
    TListItem* menuItem = nullptr;
    if (focused && focused->Selected())
        menuItem = focused;
    else if (focused && SelCount() >= 1)
        menuItem = Selected();
    if (menuItem) {
        // The menu is about the item it opens at.
        DoItemContextMenu(menuItem, centreOfIcon(menuItem));
        return;
    }
    if (TPopupMenu* menu = PopupMenu())
        PopupAt(menu, aPos);
}

void TKwCustomListView::KeyDown(WORD& key, TShiftState shift)
{
    if ((key == VK_APPS && shift.Empty()) || (key == VK_F10 && shift == TShiftState{ssShift})) {
        key = 0;
        DoPreItemContextMenu({0, 0});
    }
    TCustomListView::KeyDown(key, shift);
}

void TKwCustomListView::WMContextMenu(TMessage& message)
{
    if (ComponentState().Contains(csDesigning) || MenuShown_ || SelCount() == 0 || !ItemFocused())
        return;
    if (message.LParam == -1) {
        DoPreItemContextMenu({0, 0});
        return;
    }
    // Screens left of or above the primary one have negative positions.
    const POINT screen{static_cast<std::int16_t>(LOWORD(static_cast<DWORD_PTR>(message.LParam))),
                       static_cast<std::int16_t>(HIWORD(static_cast<DWORD_PTR>(message.LParam)))};
    DoItemContextMenu(ItemFocused(), ScreenToClient(TPoint{screen.x, screen.y}));
}

void TKwCustomListView::WMRButtonUp(TMessage& message)
{
    detail::ReleaseAfterOwnMenu(PopupMenu(), MenuShown_, [&] { TCustomListView::Dispatch(message); });
}

// ---- the header ----

void TKwCustomListView::SetHeaderODStyle()
{
    if (!HandleAllocated() || ODStyleDepth_ > 0)
        return;
    ++ODStyleDepth_;
    struct Lower {
        int& Depth;
        ~Lower() { --Depth; }
    } lower{ODStyleDepth_};
    const HWND header = HeaderHandle();
    if (!header)
        return;
    for (int i = Columns()->Count() - 1; i >= 0; --i) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        if (!Header_GetItem(header, i, &item))
            continue;
        item.fmt =
            (item.fmt & HDF_JUSTIFYMASK) | (HeaderSortDisplayMode_ != kwlvNone ? HDF_OWNERDRAW : HDF_STRING);
        Header_SetItem(header, i, &item);
    }
    ::InvalidateRect(header, nullptr, TRUE);
}

void TKwCustomListView::InvalidateHeader()
{
    if (const HWND header = HeaderHandle())
        ::InvalidateRect(header, nullptr, TRUE);
}

void TKwCustomListView::InvalidateHeaderItem(int aIndex)
{
    const HWND header = HeaderHandle();
    RECT rect{};
    if (header && aIndex >= 0 && Header_GetItemRect(header, aIndex, &rect))
        ::InvalidateRect(header, &rect, TRUE);
}

void TKwCustomListView::SetHeaderSortColumn(int value)
{
    if (HeaderSortColumn_ == value)
        return;
    InvalidateHeaderItem(HeaderSortColumn_);
    InvalidateHeaderItem(value);
    HeaderSortColumn_ = value;
}

void TKwCustomListView::SetHeaderSortDirection(TKwLvSortDirection value)
{
    if (HeaderSortDirection_ == value)
        return;
    InvalidateHeaderItem(HeaderSortColumn_);
    HeaderSortDirection_ = value;
}

void TKwCustomListView::SetHeaderSortDisplayMode(TKwLvHeaderSortDisplayMode value)
{
    if (HeaderSortDisplayMode_ == value)
        return;
    // Headers older than 4.70 draw no owner-drawn items.
    const bool capable =
        (COMCTL32_VER.MS >> 16) > 4 || ((COMCTL32_VER.MS >> 16) == 4 && (COMCTL32_VER.MS & 0xFFFF) >= 70);
    HeaderSortDisplayMode_ = capable ? value : kwlvNone;
    SetHeaderODStyle();
    InvalidateHeader();
}

void TKwCustomListView::SetViewStyle(TViewStyle value)
{
    if (ViewStyle() == value)
        return;
    TCustomListView::SetViewStyle(value);
    if (value == vsReport)
        SetHeaderODStyle();
}

void TKwCustomListView::WMNotify(TMessage& message)
{
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    if (!header || !HandleAllocated() || header->hwndFrom != HeaderHandle())
        return TCustomListView::Dispatch(message);
    if (header->code == kHeaderItemClickWide || header->code == HDN_ITEMCLICKA)
        InvalidateHeader();
    TCustomListView::Dispatch(message);
    if (header->code == HDN_ENDTRACKA || header->code == HDN_BEGINTRACKA || header->code == HDN_ITEMCHANGEDA)
        SetHeaderODStyle();
}

void TKwCustomListView::WMDrawItem(TMessage& message)
{
    const auto* record = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
    if (!record || !HandleAllocated() || record->hwndItem != HeaderHandle() || !record->hwndItem)
        return TCustomListView::Dispatch(message);
    message.Result = 1;
    // A header item that is no column of the list is left alone.
    const auto index = static_cast<int>(record->itemID);
    if (index < 0 || index >= Columns()->Count())
        return;
    const int saved = SaveDC(record->hDC);
    HeaderCanvas_->SetHandle(record->hDC);
    struct Unbind {
        TCanvas* Canvas;
        HDC Dc;
        int Saved;
        ~Unbind()
        {
            Canvas->SetHandle(nullptr);
            RestoreDC(Dc, Saved ? -1 : 0);
        }
    } unbind{HeaderCanvas_, record->hDC, saved};
    DrawHeader(index, TRect(record->rcItem));
}

void TKwCustomListView::DrawHeader(int aIndex, const TRect& aRect)
{
    HeaderCanvas_->Font()->Assign(Font());
    HeaderCanvas_->Brush()->SetColor(clBtnFace);
    const TRect inner{aRect.left + 2, aRect.top + 2, aRect.right - 2, aRect.bottom - 2};
    if (HeaderDefaultDrawing_)
        DefaultDrawHeader(aIndex, inner);
}

void TKwCustomListView::DrawHeaderGlyphs(int aIndex, const TRect& aGlyph)
{
    if (aIndex != HeaderSortColumn_ || aIndex < 0 || aIndex >= Columns()->Count())
        return;
    if (Columns()->Items(aIndex)->Width() <= 2 * (aGlyph.right - aGlyph.left))
        return;
    if (HeaderSortDirection_ == kwsdDesc)
        DrawUpArrow(HeaderCanvas_, aGlyph, clBtnFace, clBtnShadow, clBtnHighlight);
    else
        DrawDownArrow(HeaderCanvas_, aGlyph, clBtnFace, clBtnShadow, clBtnHighlight);
}

void TKwCustomListView::DefaultDrawHeader(int aIndex, TRect aRect)
{
    TListColumn* column = Columns()->Items(aIndex);
    HeaderCanvas_->FillRect(aRect);
    TRect text{aRect.left + 4, aRect.top, aRect.right - 4, aRect.bottom};
    static constexpr UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    const std::string caption = column->Caption();
    const auto drawText = [&](TRect& rect, UINT extra) {
        RECT r = rect;
        DrawTextA(HeaderCanvas_->Handle(), caption.c_str(), static_cast<int>(caption.size()), &r,
                  alignments[column->Alignment()] | DT_END_ELLIPSIS | DT_SINGLELINE | extra);
        rect = TRect(r);
    };
    const bool sorted = aIndex == HeaderSortColumn_;
    const int width = column->Width();
    switch (HeaderSortDisplayMode_) {
    case kwlvNone:
        drawText(text, 0);
        return;
    case kwlvLeftAlign:
        if (sorted && width > 15) {
            const TRect glyph = GlyphRect(text);
            DrawHeaderGlyphs(aIndex, glyph);
            text.left = glyph.right + 5;
        }
        drawText(text, 0);
        return;
    case kwlvRightOfText: {
        if (column->Alignment() == taRightJustify) {
            const TRect plain = GlyphRect(text);
            const TRect glyph = Moved(plain, (text.right - text.left) - (plain.right - plain.left) - 5);
            if (sorted) {
                DrawHeaderGlyphs(aIndex, glyph);
                text.right = glyph.left - 4;
            }
            drawText(text, 0);
            return;
        }
        if (!sorted) {
            drawText(text, 0);
            return;
        }
        // The glyph goes right of the text as drawn, within the column: the
        // text gives it room first, cut with an ellipsis when it must.
        const TRect plain = GlyphRect(text);
        const int room = (plain.right - plain.left) + 5;
        TRect bounded = text;
        bounded.right = std::max(bounded.left, text.right - room);
        TRect measured = bounded;
        RECT m = measured;
        DrawTextA(HeaderCanvas_->Handle(), caption.c_str(), static_cast<int>(caption.size()), &m,
                  DT_END_ELLIPSIS | DT_CALCRECT | DT_SINGLELINE | DT_RIGHT);
        const int drawnWidth = std::min<int>(m.right - m.left, bounded.right - bounded.left);
        // Where the text starts as its alignment puts it in the room left.
        int start = bounded.left;
        if (column->Alignment() == taCenter)
            start = bounded.left + ((bounded.right - bounded.left) - drawnWidth) / 2;
        drawText(bounded, 0);
        const TRect glyph = Moved(plain, start + drawnWidth + 5 - plain.left);
        if (glyph.right <= aRect.right)
            DrawHeaderGlyphs(aIndex, glyph);
        return;
    }
    case kwlvRightAlign: {
        const TRect plain = GlyphRect(text);
        const TRect glyph = Moved(plain, (text.right - text.left) - (plain.right - plain.left) - 5);
        DrawHeaderGlyphs(aIndex, glyph);
        if (sorted)
            text.right = glyph.left - 4;
        drawText(text, 0);
        return;
    }
    }
}

// ---- TKwListView ----

const TClassRtti& TKwListView::PublishedTable()
{
    static const TClassRtti table =
        PublishListView(PublishWinControl(Publish<TKwListView>(), clWindow, true))
            .Property<&TKwListView::HeaderDefaultDrawing, &TKwListView::SetHeaderDefaultDrawing>(
                "HeaderDefaultDrawing")
            .Default(true)
            .Property<&TKwListView::HeaderSortDisplayMode, &TKwListView::SetHeaderSortDisplayMode>(
                "HeaderSortDisplayMode")
            .Default(kwlvRightOfText)
            .Property<&TKwListView::OnKwCustomDraw>("OnKwCustomDraw")
            .Property<&TKwListView::OnKwCustomDrawEx>("OnKwCustomDrawEx")
            .Property<&TKwListView::OnItemContextMenu>("OnItemContextMenu");
    return table;
}

} // namespace kw
