// The custom-draw wrapper and the tree view base.

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

// ---- TKwCustomDraw ----

TKwCustomDraw::TKwCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult, TFont* aFont)
{
    Reset(aCD, aResult);
    ControlFont_ = aFont;
    Brush_ = CreateBrush();
    Font_ = CreateFont();
}

TKwCustomDraw::~TKwCustomDraw()
{
    if (Font_)
        Font_->Free();
    if (Brush_)
        Brush_->Free();
    if (Canvas_)
        Canvas_->Free();
}

void TKwCustomDraw::Reset(TNMCustomDraw& aCD, LRESULT& aResult)
{
    Notification_ = &aCD;
    Result_ = &aResult;
    ResultSet_ = false;
    if (Font_) {
        Font_->Free();
        Font_ = nullptr;
    }
    if (Brush_) {
        Brush_->Free();
        Brush_ = nullptr;
    }
}

TFont* TKwCustomDraw::CreateFont()
{
    auto* font = Create<TFont>();
    if (ControlFont_)
        font->Assign(ControlFont_);
    font->SetColor(static_cast<TColor>(GetTextColor(Notification_->hdc)));
    // Hooked last: making the font is no change of it.
    font->OnChange = TNotifyEvent(this, &TKwCustomDraw::OnFontChange);
    return font;
}

TBrush* TKwCustomDraw::CreateBrush()
{
    auto* brush = Create<TBrush>();
    brush->SetStyle(bsSolid);
    brush->SetColor(static_cast<TColor>(GetBkColor(Notification_->hdc)));
    brush->OnChange = TNotifyEvent(this, &TKwCustomDraw::OnBrushChange);
    return brush;
}

TFont* TKwCustomDraw::Font()
{
    if (!Font_)
        Font_ = CreateFont();
    return Font_;
}

void TKwCustomDraw::SetFont(TFont* value)
{
    Font()->Assign(value);
}

TBrush* TKwCustomDraw::Brush()
{
    if (!Brush_)
        Brush_ = CreateBrush();
    return Brush_;
}

void TKwCustomDraw::SetBrush(TBrush* value)
{
    Brush()->Assign(value);
}

TCanvas* TKwCustomDraw::Canvas()
{
    if (!Canvas_) {
        Canvas_ = Create<TCanvas>();
        Canvas_->SetHandle(Notification_->hdc);
    }
    return Canvas_;
}

TKwCustomDrawStage TKwCustomDraw::DrawStage() const
{
    switch (Notification_->dwDrawStage) {
    case CDDS_PREPAINT:
        return kwcdsPrePaint;
    case CDDS_POSTPAINT:
        return kwcdsPostPaint;
    case CDDS_ITEMPREPAINT:
        return kwcdsItemPrePaint;
    case CDDS_ITEMPOSTPAINT:
        return kwcdsItemPostPaint;
    default:
        return kwcdsUnknown;
    }
}

void TKwCustomDraw::SetResult(LRESULT value)
{
    *Result_ = value;
    ResultSet_ = true;
}

void TKwCustomDraw::OnFontChange(TObject*)
{
    FontChanged_ = true;
}

void TKwCustomDraw::OnBrushChange(TObject*)
{
    BrushChanged_ = true;
}

void TKwCustomDraw::ApplyColors(COLORREF& clrText, COLORREF& clrTextBk)
{
    static constexpr LRESULT itemDraw[2] = {CDRF_DODEFAULT, CDRF_NOTIFYITEMDRAW};
    if (!ResultSet_)
        *Result_ = CDRF_DODEFAULT;
    switch (DrawStage()) {
    case kwcdsPrePaint:
        if (!ResultSet_)
            *Result_ |= itemDraw[NotifyItemDraw ? 1 : 0];
        break;
    case kwcdsItemPrePaint:
        if (SkipDefault) {
            if (!ResultSet_)
                *Result_ |= CDRF_SKIPDEFAULT;
            break;
        }
        if (FontChanged_ && Font_) {
            const HFONT font = Font_->Handle();
            if (font != static_cast<HFONT>(GetCurrentObject(Notification_->hdc, OBJ_FONT))) {
                // Stays selected: the wrapper, and its font, live until the
                // control's next notification.
                SelectObject(Notification_->hdc, font);
                *Result_ |= CDRF_NEWFONT;
            }
            clrText = ColorToRGB(Font_->Color());
        }
        if (BrushChanged_ && Brush_)
            clrTextBk = ColorToRGB(Brush_->Color());
        break;
    default:
        break;
    }
}

void TKwTvCustomDraw::Apply()
{
    NMTVCUSTOMDRAW* record = GetMpTvCd();
    ApplyColors(record->clrText, record->clrTextBk);
}

void TKwLvCustomDraw::Apply()
{
    NMLVCUSTOMDRAW* record = GetMpLvCd();
    ApplyColors(record->clrText, record->clrTextBk);
}

// ---- TKwCustomTreeView ----

TKwCustomTreeView::~TKwCustomTreeView()
{
    FreeLastWrapper();
}

void TKwCustomTreeView::BeforeDestruction()
{
#if defined(KW_PREVIOUS_GENERATION)
    // The previous framework's node list is gone before its window: every
    // node is told deleted here, each once, its children before it.
    if (HandleAllocated()) {
        struct Walk {
            TKwCustomTreeView* Tree;
            void operator()(TTreeNode* node) const
            {
                for (TTreeNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
                    (*this)(child);
                Tree->TellDeleted(node);
            }
        } walk{this};
        for (TTreeNode* node = Items()->GetFirstNode(); node; node = node->GetNextSibling())
            walk(node);
    }
#endif
    FreeLastWrapper();
    TCustomTreeView::BeforeDestruction();
}

void TKwCustomTreeView::FreeLastWrapper()
{
    delete LastWrapper_;
    LastWrapper_ = nullptr;
}

void TKwCustomTreeView::CreateParams(TCreateParams& params)
{
    TCustomTreeView::CreateParams(params);
    // Tooltips of common controls before 4.72 misbehave on NT.
    if (IsWinNT() &&
        (COMCTL32_VER.MS >> 16 < 4 || (COMCTL32_VER.MS >> 16 == 4 && (COMCTL32_VER.MS & 0xFFFF) < 72)))
        params.Style |= TVS_NOTOOLTIPS;
}

void TKwCustomTreeView::InvalidateNode(TTreeNode* aNode, bool aTextOnly, bool aErase)
{
    if (!aNode || !HandleAllocated())
        return;
    const RECT rect = aNode->DisplayRect(aTextOnly);
    ::InvalidateRect(Handle(), &rect, aErase ? TRUE : FALSE);
}

TKwCustomDraw* TKwCustomTreeView::CreateCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult)
{
    auto* wrapper = new TKwTvCustomDraw(aCD, aResult, Font());
    wrapper->NotifyItemDraw = true;
    return wrapper;
}

TKwCustomDraw* TKwCustomTreeView::KwCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult)
{
    const bool plain = static_cast<bool>(OnKwCustomDraw);
    const bool every = static_cast<bool>(OnKwCustomDrawEx);
    TKwCustomDraw* wrapper = nullptr;
    TTreeNode* node = nullptr;
    const auto nodeOf = [&]() -> TTreeNode* {
        return (aCD.dwDrawStage & CDDS_ITEM) ? Items()->GetNode(reinterpret_cast<HTREEITEM>(aCD.dwItemSpec))
                                             : nullptr;
    };
    if (every) {
        wrapper = CreateCustomDraw(aCD, aResult);
        node = nodeOf();
        OnKwCustomDrawEx(this, wrapper, node);
    }
    if (plain && (aCD.dwDrawStage & CDDS_ITEM) && (aCD.dwDrawStage & CDDS_PREPAINT)) {
        if (!wrapper)
            wrapper = CreateCustomDraw(aCD, aResult);
        if (!node)
            node = nodeOf();
        OnKwCustomDraw(this, wrapper, node);
    }
    if (wrapper)
        wrapper->Apply();
    if ((aCD.dwDrawStage & CDDS_PREPAINT) && (plain || every))
        aResult |= CDRF_NOTIFYITEMDRAW;
    return wrapper;
}

void TKwCustomTreeView::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_NOTIFY:
        return CNNotify(message);
    case WM_RBUTTONDOWN:
        return WMRButtonDown(message);
    case WM_RBUTTONUP:
        return WMRButtonUp(message);
    case WM_CONTEXTMENU:
        return WMContextMenu(message);
    case CM_SYSCOLORCHANGE:
        return CMSysColorChange(message);
    default:
        return TCustomTreeView::Dispatch(message);
    }
}

void TKwCustomTreeView::CNNotify(TMessage& message)
{
    auto* header = reinterpret_cast<NMHDR*>(message.LParam);
    if (!header)
        return TCustomTreeView::Dispatch(message);
    const bool designing = ComponentState().Contains(csDesigning);
    switch (header->code) {
    case TVN_GETDISPINFOA: {
        auto& item = reinterpret_cast<NMTVDISPINFOA*>(message.LParam)->item;
        TTreeNode* node = nullptr;
        if (item.mask & TVIF_PARAM) {
            auto* candidate = reinterpret_cast<TTreeNode*>(item.lParam);
            node = IsOwnNode(candidate) ? candidate : nullptr;
        } else {
            node = Items()->GetNode(item.hItem);
        }
        if (node) {
            if (item.mask & TVIF_IMAGE) {
                GetImageIndex(node);
                item.iImage = node->ImageIndex();
            }
            if (item.mask & TVIF_SELECTEDIMAGE) {
                GetSelectedIndex(node);
                item.iSelectedImage = node->SelectedIndex();
            }
        }
        // The framework's handling runs with the image events muted: they
        // fired above already.
        struct Mute {
            TKwCustomTreeView* Tree;
            TTVExpandedEvent Image;
            TTVExpandedEvent Selected;
            explicit Mute(TKwCustomTreeView* tree)
                : Tree(tree), Image(tree->OnGetImageIndex), Selected(tree->OnGetSelectedIndex)
            {
                tree->OnGetImageIndex = {};
                tree->OnGetSelectedIndex = {};
            }
            ~Mute()
            {
                Tree->OnGetImageIndex = Image;
                Tree->OnGetSelectedIndex = Selected;
            }
        } mute(this);
        return TCustomTreeView::Dispatch(message);
    }
    case NM_CUSTOMDRAW: {
        if (designing) {
            message.Result = 0;
            return;
        }
        if (IsCustomDrawn(dtItem, cdPrePaint) || IsCustomDrawn(dtControl, cdPrePaint))
            return TCustomTreeView::Dispatch(message);
        message.Result = 0;
        FreeLastWrapper();
        LastWrapper_ = KwCustomDraw(*reinterpret_cast<TNMCustomDraw*>(message.LParam), message.Result);
        return;
    }
    case NM_RCLICK:
        if (!designing) {
            POINT cursor{};
            GetCursorPos(&cursor);
            ::ScreenToClient(Handle(), &cursor);
            TPoint pos{cursor.x, cursor.y};
            if (TTreeNode* node = GetNodeAt(pos.x, pos.y)) {
                TPopupMenu* menu = PopupMenu();
                NodeContextMenu(node, pos, menu);
                if (menu)
                    PopupAt(menu, pos);
                MenuShown_ = true;
            }
        }
        return TCustomTreeView::Dispatch(message);
    default:
        return TCustomTreeView::Dispatch(message);
    }
}

void detail::PopupAt(TControl* control, TPopupMenu* menu, const TPoint& clientPos)
{
    menu->SetPopupComponent(control);
    const TPoint screen = control->ClientToScreen(clientPos);
    menu->Popup(screen.x, screen.y);
}

void detail::ReleaseAfterOwnMenu(TPopupMenu* menu, bool& menuShown, const std::function<void()>& passOn)
{
    if (!menuShown || !menu) {
        menuShown = false;
        passOn();
        return;
    }
    struct Restore {
        TPopupMenu* Menu;
        bool AutoPopup;
        bool& Shown;
        ~Restore()
        {
            Menu->SetAutoPopup(AutoPopup);
            Shown = false;
        }
    } restore{menu, menu->AutoPopup(), menuShown};
    menu->SetAutoPopup(false);
    passOn();
}

void TKwCustomTreeView::PopupAt(TPopupMenu* menu, const TPoint& clientPos)
{
    detail::PopupAt(this, menu, clientPos);
}

void TKwCustomTreeView::NodeContextMenu(TTreeNode* aNode, TPoint& aPos, TPopupMenu*& aMenu)
{
    if (OnNodeContextMenu)
        OnNodeContextMenu(this, aNode, aPos, aMenu);
}

void TKwCustomTreeView::DoNodeContextMenu(TTreeNode* aNode, const TPoint& aPos)
{
    TPopupMenu* menu = PopupMenu();
    TPoint pos = aPos;
    NodeContextMenu(aNode, pos, menu);
    if (menu != PopupMenu())
        MenuShown_ = true;
    if (menu)
        PopupAt(menu, pos);
}

void TKwCustomTreeView::DoPreNodeContextMenu()
{
    if (TTreeNode* node = Selected()) {
        const TRect rect = node->DisplayRect(true);
        DoNodeContextMenu(node, TPoint{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
        return;
    }
    if (TPopupMenu* menu = PopupMenu())
        PopupAt(menu, TPoint{0, 0});
}

void TKwCustomTreeView::KeyDown(WORD& key, TShiftState shift)
{
    if ((key == VK_APPS && shift.Empty()) || (key == VK_F10 && shift == TShiftState{ssShift})) {
        key = 0;
        DoPreNodeContextMenu();
    }
    TCustomTreeView::KeyDown(key, shift);
}

void TKwCustomTreeView::WMRButtonDown(TMessage& message)
{
    // A new gesture: what the last one showed is done with.
    MenuShown_ = false;
    TCustomTreeView::Dispatch(message);
}

void TKwCustomTreeView::WMRButtonUp(TMessage& message)
{
    detail::ReleaseAfterOwnMenu(PopupMenu(), MenuShown_, [&] { TCustomTreeView::Dispatch(message); });
}

void TKwCustomTreeView::WMContextMenu(TMessage& message)
{
    if (ComponentState().Contains(csDesigning) || Selected() || MenuShown_)
        return;
    if (message.LParam == -1) {
        DoPreNodeContextMenu();
        return;
    }
    // Screens left of or above the primary one have negative positions.
    const POINT screen{static_cast<std::int16_t>(LOWORD(static_cast<DWORD_PTR>(message.LParam))),
                       static_cast<std::int16_t>(HIWORD(static_cast<DWORD_PTR>(message.LParam)))};
    const TPoint pos = ScreenToClient(TPoint{screen.x, screen.y});
    DoNodeContextMenu(nullptr, pos);
}

void TKwCustomTreeView::CMSysColorChange(TMessage& message)
{
    TCustomTreeView::Dispatch(message);
    if (Color() < 0)
        Perform(CM_COLORCHANGED, message.WParam, message.LParam);
}

// ---- TKwTreeView ----

const TClassRtti& TKwTreeView::PublishedTable()
{
    static const TClassRtti table = PublishTreeView(PublishWinControl(Publish<TKwTreeView>(), clWindow, true))
                                        .Property<&TKwTreeView::OnKwCustomDraw>("OnKwCustomDraw")
                                        .Property<&TKwTreeView::OnKwCustomDrawEx>("OnKwCustomDrawEx")
                                        .Property<&TKwTreeView::OnNodeContextMenu>("OnNodeContextMenu");
    return table;
}

} // namespace kw
