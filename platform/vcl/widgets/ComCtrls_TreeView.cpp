// The framework's tree view over the platform's tree-view window.

#include "vcl/widgets/ComCtrls.h"

#include "vcl/core/SafeSort.h"
#include "vcl/core/SysUtils.h"
#include "vcl/widgets/ItemViews_p.h"
#include "vcl/widgets/TreeViewControl_p.h"
#include "win32/Gdi.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <algorithm>
#include <functional>

namespace vcl {

namespace {

constexpr UINT_PTR kChangeTimer = 0x7E01;

TCustomDrawStage StageOf(DWORD stage)
{
    switch (stage & ~CDDS_ITEM) {
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

} // namespace

void FinishButtonTheWindowTook(TWinControl& control, UINT down)
{
    if (!control.HandleAllocated())
        return;
    const bool left = down == WM_LBUTTONDOWN;
    if (!left && down != WM_RBUTTONDOWN)
        return;
    if (GetKeyState(left ? VK_LBUTTON : VK_RBUTTON) < 0)
        return; // still held: the release comes as usual
    POINT pos{};
    GetCursorPos(&pos);
    ::ScreenToClient(control.Handle(), &pos);
    control.Perform(left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, MAKELPARAM(pos.x, pos.y));
}

TCustomTreeView::TCustomTreeView(TComponent* owner)
    : TWinControl(owner), Items_(Create<TTreeNodes>(this)), Canvas_(Create<TCanvas>())
{
    ControlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
    SetBounds(Left(), Top(), 121, 97);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

TCustomTreeView::~TCustomTreeView()
{
    // Nodes still here had no window to delete them: told gone in
    // BeforeDestruction; only their memory is left.
    Items_->Free();
    Canvas_->Free();
}

void TCustomTreeView::BeforeDestruction()
{
    // While the whole object is there, so that Delete overrides run.
    if (HandleAllocated() && !Recreating_)
        Items_->Clear();
    while (TTreeNode* node = Items_->GetFirstNode())
        DeleteWithoutWindow(node);
    TWinControl::BeforeDestruction();
}

void TCustomTreeView::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style |= TreeStyle();
    if (BorderStyle_ == bsSingle)
        params.ExStyle |= WS_EX_CLIENTEDGE;
    params.WinClassName = "SysTreeView32";
}

DWORD TCustomTreeView::TreeStyle() const
{
    DWORD style = 0;
    if (ShowLines_)
        style |= TVS_HASLINES;
    if (ShowRoot_)
        style |= TVS_LINESATROOT;
    if (ShowButtons_)
        style |= TVS_HASBUTTONS;
    if (!ReadOnly_)
        style |= TVS_EDITLABELS;
    if (!HideSelection_)
        style |= TVS_SHOWSELALWAYS;
    if (!ToolTips_)
        style |= TVS_NOTOOLTIPS;
    if (HotTrack_)
        style |= TVS_TRACKSELECT;
    if (RowSelect_)
        style |= TVS_FULLROWSELECT;
    if (AutoExpand_)
        style |= TVS_SINGLEEXPAND;
    return style;
}

QWidget* TCustomTreeView::CreatePeerWidget(QWidget* parentWidget)
{
    TCreateParams params;
    CreateParams(params);
    return new TTreeWidget(parentWidget, params.Style);
}

void TCustomTreeView::CreateWnd()
{
    TWinControl::CreateWnd();
    Perform(TVM_SETINDENT, static_cast<WPARAM>(Indent_), 0);
    Perform(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    Perform(TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font()->Color())));
    UpdateImageList(TVSIL_NORMAL, Images_);
    UpdateImageList(TVSIL_STATE, StateImages_);
    if (Items_->Roots_.empty())
        return;
    // The nodes kept while there was no window go back into this one,
    // silently: nothing of theirs changed.
    Recreating_ = true;
    struct Done {
        bool& Flag;
        ~Done() { Flag = false; }
    } done{Recreating_};
    HTREEITEM previous = TVI_FIRST;
    for (TTreeNode* node : Items_->Roots_) {
        Items_->InsertItem(node, previous);
        previous = node->ItemId_;
    }
    if (SavedSelected_ && IsOwnNode(SavedSelected_))
        Perform(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(SavedSelected_->ItemId_));
    if (SavedTop_ && IsOwnNode(SavedTop_))
        Perform(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(SavedTop_->ItemId_));
    SavedSelected_ = SavedTop_ = nullptr;
}

void TCustomTreeView::DestroyWnd()
{
    if (!HandleAllocated()) {
        TWinControl::DestroyWnd();
        return;
    }
    // The nodes stay, with what the window knew of them, for the next
    // window; the window's deletions are no node's end.
    SavedSelected_ = Selected();
    SavedTop_ = TopItem();
    for (TTreeNode* node = Items_->GetFirstNode(); node; node = node->GetNext()) {
        TVITEMA item{};
        item.mask = TVIF_STATE | TVIF_CHILDREN | TVIF_HANDLE;
        item.hItem = node->ItemId_;
        item.stateMask = ~0u;
        if (Perform(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
            node->State_ = item.state;
            node->HasChildren_ = item.cChildren != 0;
        }
    }
    Recreating_ = true;
    struct Done {
        bool& Flag;
        ~Done() { Flag = false; }
    } done{Recreating_};
    TWinControl::DestroyWnd();
    for (TTreeNode* node = Items_->GetFirstNode(); node; node = node->GetNext())
        node->ItemId_ = nullptr;
}

void TCustomTreeView::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == Images_)
        SetImages(nullptr);
    if (component == StateImages_)
        SetStateImages(nullptr);
}

// ---- properties ----

void TCustomTreeView::SetItems(TTreeNodes* value)
{
    Items_->Assign(value);
}

TTreeNode* TCustomTreeView::NodeOf(UINT code) const
{
    if (!HandleAllocated())
        return nullptr;
    auto* self = const_cast<TCustomTreeView*>(this);
    const auto item = reinterpret_cast<HTREEITEM>(self->Perform(TVM_GETNEXTITEM, code, 0));
    return Items_->GetNode(item);
}

TTreeNode* TCustomTreeView::Selected() const
{
    return HandleAllocated() ? NodeOf(TVGN_CARET) : SavedSelected_;
}

void TCustomTreeView::SetSelected(TTreeNode* value)
{
    if (value && !IsOwnNode(value))
        return;
    HandleNeeded();
    Perform(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(value ? value->ItemId_ : nullptr));
}

TTreeNode* TCustomTreeView::DropTarget() const
{
    return NodeOf(TVGN_DROPHILITE);
}

void TCustomTreeView::SetDropTarget(TTreeNode* value)
{
    if (value && !IsOwnNode(value))
        return;
    HandleNeeded();
    Perform(TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(value ? value->ItemId_ : nullptr));
}

TTreeNode* TCustomTreeView::TopItem() const
{
    return HandleAllocated() ? NodeOf(TVGN_FIRSTVISIBLE) : SavedTop_;
}

void TCustomTreeView::SetTopItem(TTreeNode* value)
{
    if (!value || !IsOwnNode(value))
        return;
    HandleNeeded();
    Perform(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(value->ItemId_));
}

TTreeNode* TCustomTreeView::GetNodeAt(int x, int y) const
{
    if (!HandleAllocated())
        return nullptr;
    TVHITTESTINFO info{{x, y}, 0, nullptr};
    auto* self = const_cast<TCustomTreeView*>(this);
    const auto item =
        reinterpret_cast<HTREEITEM>(self->Perform(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    return Items_->GetNode(item);
}

THitTests TCustomTreeView::GetHitTestInfoAt(int x, int y) const
{
    THitTests result;
    if (!HandleAllocated())
        return result;
    TVHITTESTINFO info{{x, y}, 0, nullptr};
    const_cast<TCustomTreeView*>(this)->Perform(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
    static constexpr std::pair<UINT, THitTest> flags[] = {
        {TVHT_ABOVE, htAbove},           {TVHT_BELOW, htBelow},         {TVHT_NOWHERE, htNowhere},
        {TVHT_ONITEMBUTTON, htOnButton}, {TVHT_ONITEMICON, htOnIcon},   {TVHT_ONITEMINDENT, htOnIndent},
        {TVHT_ONITEMLABEL, htOnLabel},   {TVHT_ONITEMRIGHT, htOnRight}, {TVHT_ONITEMSTATEICON, htOnStateIcon},
        {TVHT_TOLEFT, htToLeft},         {TVHT_TORIGHT, htToRight}};
    for (const auto& [bit, test] : flags)
        if (info.flags & bit)
            result += test;
    if (info.flags & TVHT_ONITEM)
        result += htOnItem;
    return result;
}

bool TCustomTreeView::IsEditing() const
{
    return HandleAllocated() && const_cast<TCustomTreeView*>(this)->Perform(TVM_GETEDITCONTROL) != 0;
}

void TCustomTreeView::FullExpand()
{
    for (TTreeNode* node = Items_->GetFirstNode(); node; node = node->GetNextSibling())
        node->Expand(true);
}

void TCustomTreeView::FullCollapse()
{
    for (TTreeNode* node = Items_->GetFirstNode(); node; node = node->GetNextSibling())
        node->Collapse(true);
}

bool TCustomTreeView::AlphaSort(bool recurse)
{
    return Items_->AlphaSort(recurse);
}

bool TCustomTreeView::CustomSort(TTVCompare compare, LPARAM data, bool recurse)
{
    return Items_->CustomSort(compare, data, recurse);
}

int TCustomTreeView::CompareNodes(const TTreeNode* a, const TTreeNode* b)
{
    if (OnCompare) {
        int compare = 0;
        OnCompare(this, const_cast<TTreeNode*>(a), const_cast<TTreeNode*>(b), 0, compare);
        return compare;
    }
    return AnsiCompareText(a->Text(), b->Text());
}

int TCustomTreeView::DefaultCompare(LPARAM data1, LPARAM data2, LPARAM tree)
{
    auto* self = reinterpret_cast<TCustomTreeView*>(tree);
    const auto* a = reinterpret_cast<const TTreeNode*>(data1);
    const auto* b = reinterpret_cast<const TTreeNode*>(data2);
    if (!self->IsOwnNode(a) || !self->IsOwnNode(b))
        return 0;
    return self->CompareNodes(a, b);
}

bool TCustomTreeView::SortChildren(HTREEITEM item, TTreeNode* node, TTVCompare compare, LPARAM data,
                                   bool recurse)
{
    const TTVCompare used = compare ? compare : &DefaultCompare;
    const LPARAM param = compare ? data : reinterpret_cast<LPARAM>(this);
    if (!HandleAllocated()) {
        // The same order the window would give, on the kept nodes.
        std::function<void(std::vector<TTreeNode*>&)> sort = [&](std::vector<TTreeNode*>& nodes) {
            vcl::SafeSort(nodes.data(), nodes.size(), [&](const TTreeNode* a, const TTreeNode* b) {
                return used(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), param);
            });
            if (recurse)
                for (TTreeNode* child : nodes)
                    sort(child->Children_);
        };
        sort(Items_->SiblingsOf(node));
        return true;
    }
    TVSORTCB sort{item, used, param};
    const bool sorted =
        Perform(TVM_SORTCHILDRENCB, recurse ? TRUE : FALSE, reinterpret_cast<LPARAM>(&sort)) != 0;
    ReadOrder(node, recurse);
    return sorted;
}

void TCustomTreeView::ReadOrder(TTreeNode* parent, bool recurse)
{
    auto& siblings = Items_->SiblingsOf(parent);
    std::vector<TTreeNode*> order;
    order.reserve(siblings.size());
    HTREEITEM item =
        reinterpret_cast<HTREEITEM>(Perform(TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT,
                                            reinterpret_cast<LPARAM>(parent ? parent->ItemId_ : nullptr)));
    for (; item; item = reinterpret_cast<HTREEITEM>(
                     Perform(TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
        if (TTreeNode* node = Items_->GetNode(item); node && node->Parent_ == parent)
            order.push_back(node);
    // Only a permutation of what we have is taken; compared as sorted
    // pointers, since a folder's thousands of children make the pairwise
    // check quadratic.
    if (order.size() == siblings.size()) {
        std::vector<TTreeNode*> a = order;
        std::vector<TTreeNode*> b = siblings;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        if (a == b)
            siblings = std::move(order);
    }
    if (recurse)
        for (TTreeNode* child : siblings)
            ReadOrder(child, true);
}

void TCustomTreeView::SetStyleBit(DWORD bit, bool on)
{
    if (!HandleAllocated())
        return;
    const LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
    const LONG_PTR changed =
        on ? (style | static_cast<LONG_PTR>(bit)) : (style & ~static_cast<LONG_PTR>(bit));
    if (changed == style)
        return;
    SetWindowLongPtrA(Handle(), GWL_STYLE, changed);
    Invalidate();
}

void TCustomTreeView::SetAutoExpand(bool value)
{
    AutoExpand_ = value;
    SetStyleBit(TVS_SINGLEEXPAND, value);
}

void TCustomTreeView::SetBorderStyle(TBorderStyle value)
{
    if (BorderStyle_ == value)
        return;
    BorderStyle_ = value;
    RecreateWnd();
}

void TCustomTreeView::SetHideSelection(bool value)
{
    HideSelection_ = value;
    SetStyleBit(TVS_SHOWSELALWAYS, !value);
}

void TCustomTreeView::SetHotTrack(bool value)
{
    HotTrack_ = value;
    SetStyleBit(TVS_TRACKSELECT, value);
}

void TCustomTreeView::SetReadOnly(bool value)
{
    ReadOnly_ = value;
    SetStyleBit(TVS_EDITLABELS, !value);
}

void TCustomTreeView::SetRowSelect(bool value)
{
    RowSelect_ = value;
    SetStyleBit(TVS_FULLROWSELECT, value);
}

void TCustomTreeView::SetShowButtons(bool value)
{
    ShowButtons_ = value;
    SetStyleBit(TVS_HASBUTTONS, value);
}

void TCustomTreeView::SetShowLines(bool value)
{
    ShowLines_ = value;
    SetStyleBit(TVS_HASLINES, value);
}

void TCustomTreeView::SetShowRoot(bool value)
{
    ShowRoot_ = value;
    SetStyleBit(TVS_LINESATROOT, value);
}

void TCustomTreeView::SetToolTips(bool value)
{
    ToolTips_ = value;
    SetStyleBit(TVS_NOTOOLTIPS, !value);
}

void TCustomTreeView::SetSortType(TSortType value)
{
    if (SortType_ == value)
        return;
    SortType_ = value;
    if (value == stText || value == stBoth)
        AlphaSort(true);
}

int TCustomTreeView::Indent() const
{
    if (!HandleAllocated())
        return Indent_;
    return static_cast<int>(const_cast<TCustomTreeView*>(this)->Perform(TVM_GETINDENT));
}

void TCustomTreeView::SetIndent(int value)
{
    Indent_ = value;
    if (HandleAllocated())
        Perform(TVM_SETINDENT, static_cast<WPARAM>(std::max(0, value)), 0);
}

void TCustomTreeView::SetImages(TCustomImageList* value)
{
    if (Images_ == value)
        return;
    if (Images_)
        Images_->RemoveFreeNotification(this);
    Images_ = value;
    if (Images_)
        Images_->FreeNotification(this);
    UpdateImageList(TVSIL_NORMAL, Images_);
}

void TCustomTreeView::SetStateImages(TCustomImageList* value)
{
    if (StateImages_ == value)
        return;
    if (StateImages_)
        StateImages_->RemoveFreeNotification(this);
    StateImages_ = value;
    if (StateImages_)
        StateImages_->FreeNotification(this);
    UpdateImageList(TVSIL_STATE, StateImages_);
}

void TCustomTreeView::UpdateImageList(WPARAM which, TCustomImageList* list)
{
    if (!HandleAllocated())
        return;
    Perform(TVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(list ? list->Handle() : nullptr));
}

// ---- messages ----

void TCustomTreeView::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_NOTIFY:
        return CNNotify(message);
    case WM_TIMER:
        if (message.WParam == kChangeTimer) {
            KillTimer(Handle(), kChangeTimer);
            DoChange(Selected());
            return;
        }
        return TWinControl::Dispatch(message);
    case CM_COLORCHANGED:
        TWinControl::Dispatch(message);
        if (HandleAllocated())
            Perform(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
        return;
    case CM_FONTCHANGED:
        TWinControl::Dispatch(message);
        if (HandleAllocated())
            Perform(TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font()->Color())));
        return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        TWinControl::Dispatch(message);
        FinishButtonTheWindowTook(*this, message.Msg);
        return;
    case WM_MOUSEWHEEL:
        // A wheel no handler took scrolls the tree, as the window's own.
        TWinControl::Dispatch(message);
        if (message.Result == 0 && HandleAllocated())
            DefaultHandler(message);
        return;
    case WM_PAINT:
    case WM_GETDLGCODE:
        // The tree window's own.
        return DefaultHandler(message);
    default:
        return TWinControl::Dispatch(message);
    }
}

void TCustomTreeView::DefaultHandler(TMessage& message)
{
    if (auto* tree = dynamic_cast<TTreeWidget*>(Peer()); tree && HandleAllocated())
        if (tree->Handle(Handle(), message))
            return;
    TWinControl::DefaultHandler(message);
}

TTreeNode* TCustomTreeView::NodeOfItem(const TVITEMA& item) const
{
    if (item.mask & TVIF_PARAM) {
        auto* node = reinterpret_cast<TTreeNode*>(item.lParam);
        return IsOwnNode(node) ? node : nullptr;
    }
    return Items_->GetNode(item.hItem);
}

void TCustomTreeView::CNNotify(TMessage& message)
{
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    if (!header)
        return;
    message.Result = 0;
    switch (header->code) {
    case TVN_GETDISPINFOA: {
        auto& item = reinterpret_cast<NMTVDISPINFOA*>(message.LParam)->item;
        TTreeNode* node = NodeOfItem(item);
        if (!node)
            return;
        if ((item.mask & TVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            const std::size_t n = std::min(node->Text_.size(), static_cast<std::size_t>(item.cchTextMax - 1));
            std::copy_n(node->Text_.data(), n, item.pszText);
            item.pszText[n] = '\0';
        }
        if (item.mask & TVIF_IMAGE) {
            GetImageIndex(node);
            item.iImage = node->ImageIndex_;
        }
        if (item.mask & TVIF_SELECTEDIMAGE) {
            GetSelectedIndex(node);
            item.iSelectedImage = node->SelectedIndex_;
        }
        return;
    }
    case TVN_BEGINLABELEDITA: {
        TTreeNode* node = NodeOfItem(reinterpret_cast<NMTVDISPINFOA*>(message.LParam)->item);
        message.Result = node && CanEdit(node) ? FALSE : TRUE;
        return;
    }
    case TVN_ENDLABELEDITA:
        Edit(reinterpret_cast<NMTVDISPINFOA*>(message.LParam)->item);
        return;
    case TVN_ITEMEXPANDINGA: {
        const auto* record = reinterpret_cast<const NMTREEVIEWA*>(message.LParam);
        TTreeNode* node = NodeOfItem(record->itemNew);
        if (!node)
            return;
        const bool allowed = (record->action & TVE_EXPAND) ? CanExpand(node) : CanCollapse(node);
        message.Result = allowed ? FALSE : TRUE;
        return;
    }
    case TVN_ITEMEXPANDEDA: {
        const auto* record = reinterpret_cast<const NMTREEVIEWA*>(message.LParam);
        TTreeNode* node = NodeOfItem(record->itemNew);
        if (!node)
            return;
        if (record->action & TVE_EXPAND)
            Expand(node);
        else
            Collapse(node);
        return;
    }
    case TVN_SELCHANGINGA: {
        const auto* record = reinterpret_cast<const NMTREEVIEWA*>(message.LParam);
        TTreeNode* node = NodeOfItem(record->itemNew);
        message.Result = CanChange(node) ? FALSE : TRUE;
        return;
    }
    case TVN_SELCHANGEDA: {
        const auto* record = reinterpret_cast<const NMTREEVIEWA*>(message.LParam);
        if (Recreating_)
            return;
        if (ChangeDelay_ > 0) {
            KillTimer(Handle(), kChangeTimer);
            SetTimer(Handle(), kChangeTimer, static_cast<UINT>(ChangeDelay_), nullptr);
            return;
        }
        DoChange(NodeOfItem(record->itemNew));
        return;
    }
    case TVN_DELETEITEMA: {
        const auto* record = reinterpret_cast<const NMTREEVIEWA*>(message.LParam);
        auto* node = reinterpret_cast<TTreeNode*>(record->itemOld.lParam);
        if (Recreating_ || !IsOwnNode(node))
            return;
        NodeDeleted(node);
        return;
    }
    case NM_CUSTOMDRAW:
        return CustomDrawNotify(message);
    case NM_RCLICK:
        if (RightClickSelect_) {
            POINT pos{};
            GetCursorPos(&pos);
            ::ScreenToClient(Handle(), &pos);
            if (TTreeNode* node = GetNodeAt(pos.x, pos.y))
                node->SetSelected(true);
        }
        return;
    default:
        return;
    }
}

void TCustomTreeView::NodeDeleted(TTreeNode* node)
{
    // The window tells children first; what it did not tell of goes too.
    while (!node->Children_.empty())
        NodeDeleted(node->Children_.front());
    TellDeleted(node);
    if (SavedSelected_ == node)
        SavedSelected_ = nullptr;
    if (SavedTop_ == node)
        SavedTop_ = nullptr;
    Items_->Unlink(node);
    Nodes_.erase(node);
    node->Free();
}

void TCustomTreeView::TellDeleted(TTreeNode* node)
{
    if (node->Deleting_)
        return;
    node->Deleting_ = true;
    Delete(node);
}

void TCustomTreeView::DeleteWithoutWindow(TTreeNode* node)
{
    NodeDeleted(node);
}

void TCustomTreeView::CustomDrawNotify(TMessage& message)
{
    auto& record = *reinterpret_cast<NMTVCUSTOMDRAW*>(message.LParam);
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
    auto* node = reinterpret_cast<TTreeNode*>(record.nmcd.lItemlParam);
    if (!IsOwnNode(node))
        node = Items_->GetNode(reinterpret_cast<HTREEITEM>(record.nmcd.dwItemSpec));
    if (!node || !IsCustomDrawn(dtItem, drawStage))
        return;
    // The canvas starts as the window would draw the item.
    Canvas_->Font()->Assign(Font());
    Canvas_->Font()->SetColor(static_cast<TColor>(record.clrText));
    Canvas_->Brush()->SetColor(static_cast<TColor>(record.clrTextBk));
    const TCustomDrawState state = TCustomDrawState::FromBits(record.nmcd.uItemState & 0x1FF);
    PaintImages_ = true;
    const bool drawDefault = CustomDrawItem(node, state, drawStage, PaintImages_);
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
    if (IsCustomDrawn(dtItem, cdPostPaint))
        message.Result |= CDRF_NOTIFYPOSTPAINT;
}

bool TCustomTreeView::IsCustomDrawn(TCustomDrawTarget target, TCustomDrawStage stage) const
{
    const bool item = static_cast<bool>(OnCustomDrawItem);
    const bool advancedItem = static_cast<bool>(OnAdvancedCustomDrawItem);
    if (stage == cdPrePaint) {
        if (target == dtItem)
            return item || advancedItem;
        if (target == dtControl)
            return static_cast<bool>(OnCustomDraw) || static_cast<bool>(OnAdvancedCustomDraw) || item ||
                   advancedItem;
        return false;
    }
    if (target == dtItem)
        return advancedItem;
    if (target == dtControl)
        return static_cast<bool>(OnAdvancedCustomDraw) || advancedItem;
    return false;
}

bool TCustomTreeView::CustomDraw(const TRect& rect, TCustomDrawStage stage)
{
    bool result = true;
    if (stage == cdPrePaint && OnCustomDraw)
        OnCustomDraw(this, rect, result);
    if (OnAdvancedCustomDraw)
        OnAdvancedCustomDraw(this, rect, stage, result);
    return result;
}

bool TCustomTreeView::CustomDrawItem(TTreeNode* node, TCustomDrawState state, TCustomDrawStage stage,
                                     bool& paintImages)
{
    bool result = true;
    paintImages = true;
    if (stage == cdPrePaint && OnCustomDrawItem)
        OnCustomDrawItem(this, node, state, result);
    if (OnAdvancedCustomDrawItem)
        OnAdvancedCustomDrawItem(this, node, state, stage, paintImages, result);
    return result;
}

// ---- what the notifications ask ----

bool TCustomTreeView::CanChange(TTreeNode* node)
{
    bool allow = true;
    if (OnChanging)
        OnChanging(this, node, allow);
    return allow;
}

void TCustomTreeView::DoChange(TTreeNode* node)
{
    Change(node);
}

void TCustomTreeView::Change(TTreeNode* node)
{
    if (OnChange)
        OnChange(this, node);
}

bool TCustomTreeView::CanEdit(TTreeNode* node)
{
    bool allow = true;
    if (OnEditing)
        OnEditing(this, node, allow);
    return allow;
}

void TCustomTreeView::Edit(const TVITEMA& item)
{
    TTreeNode* node = NodeOfItem(item);
    if (!node || !item.pszText)
        return;
    std::string text = item.pszText;
    if (OnEdited)
        OnEdited(this, node, text);
    if (IsOwnNode(node))
        node->SetText(text);
}

bool TCustomTreeView::CanExpand(TTreeNode* node)
{
    bool allow = true;
    if (OnExpanding)
        OnExpanding(this, node, allow);
    return allow;
}

void TCustomTreeView::Expand(TTreeNode* node)
{
    if (OnExpanded)
        OnExpanded(this, node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* node)
{
    bool allow = true;
    if (OnCollapsing)
        OnCollapsing(this, node, allow);
    return allow;
}

void TCustomTreeView::Collapse(TTreeNode* node)
{
    if (OnCollapsed)
        OnCollapsed(this, node);
}

void TCustomTreeView::Delete(TTreeNode* node)
{
    if (OnDeletion)
        OnDeletion(this, node);
}

void TCustomTreeView::GetImageIndex(TTreeNode* node)
{
    if (OnGetImageIndex)
        OnGetImageIndex(this, node);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* node)
{
    if (OnGetSelectedIndex)
        OnGetSelectedIndex(this, node);
}

TTreeNode* TCustomTreeView::CreateNode()
{
    return Create<TTreeNode>(Items_);
}

} // namespace vcl
