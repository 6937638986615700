#pragma once
// The tree and list view bases. Every custom-draw notification of the
// common controls becomes one TKwCustomDraw object: a handler reads the
// stage, the rectangle and the device context, changes the text font and
// colours through ordinary TFont and TBrush objects, draws on a TCanvas or
// asks for the default drawing to be skipped; Apply writes it all back.
// TKwCustomTreeView adds to the framework's tree view its custom-draw
// events and a node context menu that the mouse, the Apps key and
// Shift+F10 open.

#include "KwCorvaneExport.h"

#include "vcl/core/Events.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/Menus.h"
#include "win32/ListViews.h"
#include "win32/TreeViews.h"

namespace kw {

using TNMCustomDraw = NMCUSTOMDRAW;

enum TKwCustomDrawStage {
    kwcdsUnknown,
    kwcdsPrePaint,
    kwcdsPostPaint,
    kwcdsPreErase,
    kwcdsItemPrePaint,
    kwcdsItemPostPaint,
    kwcdsItemPreErase,
    kwcdsItemPostErase
};

class KWCORVANE_EXPORT TKwCustomDraw : public vcl::TObject {
    VCL_DECLARE_CLASS(TKwCustomDraw, vcl::TObject)
public:
    // The notification, its result and the control's font: none of them
    // owned.
    TKwCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult, vcl::TFont* aFont);
    ~TKwCustomDraw() override;

    // Made on demand from the device context after each Reset.
    vcl::TFont* Font();
    void SetFont(vcl::TFont* value);
    vcl::TBrush* Brush();
    void SetBrush(vcl::TBrush* value);
    // On the notification's device context, made on first use.
    vcl::TCanvas* Canvas();
    TKwCustomDrawStage DrawStage() const;
    DWORD RawDrawStage() const { return Notification_->dwDrawStage; }
    vcl::TRect Rect() const { return vcl::TRect(Notification_->rc); }
    HDC Handle() const { return Notification_->hdc; }
    bool IsItem() const { return (Notification_->dwDrawStage & CDDS_ITEM) != 0; }
    LRESULT Result() const { return *Result_; }
    void SetResult(LRESULT value);

    // Pre-paint asks for the items' notifications.
    bool NotifyItemDraw = false;
    // Item pre-paint skips the control's drawing of the item.
    bool SkipDefault = false;

    // Binds the wrapper to another notification; font and brush are made
    // again on demand.
    virtual void Reset(TNMCustomDraw& aCD, LRESULT& aResult);
    virtual vcl::TFont* CreateFont();
    virtual vcl::TBrush* CreateBrush();
    // Writes the changes back into the notification and its result.
    virtual void Apply() = 0;

protected:
    void OnFontChange(vcl::TObject* sender);
    void OnBrushChange(vcl::TObject* sender);
    // Apply's steps on the text colours of the tree's and the list's records.
    void ApplyColors(COLORREF& clrText, COLORREF& clrTextBk);

    vcl::TFont* ControlFont_;
    vcl::TFont* Font_ = nullptr;
    bool FontChanged_ = false;
    vcl::TBrush* Brush_ = nullptr;
    bool BrushChanged_ = false;
    TNMCustomDraw* Notification_ = nullptr;
    LRESULT* Result_ = nullptr;
    bool ResultSet_ = false;
    vcl::TCanvas* Canvas_ = nullptr;
};

class KWCORVANE_EXPORT TKwTvCustomDraw : public TKwCustomDraw {
    VCL_DECLARE_CLASS(TKwTvCustomDraw, TKwCustomDraw)
public:
    using TKwCustomDraw::TKwCustomDraw;
    void Apply() override;
    NMTVCUSTOMDRAW* GetMpTvCd() const { return reinterpret_cast<NMTVCUSTOMDRAW*>(Notification_); }
};

// As the tree's; a Result a list handler writes is honoured the same way.
class KWCORVANE_EXPORT TKwLvCustomDraw : public TKwCustomDraw {
    VCL_DECLARE_CLASS(TKwLvCustomDraw, TKwCustomDraw)
public:
    using TKwCustomDraw::TKwCustomDraw;
    void Apply() override;
    NMLVCUSTOMDRAW* GetMpLvCd() const { return reinterpret_cast<NMLVCUSTOMDRAW*>(Notification_); }
};

class TKwCustomTreeView;

// aNode is null for a notification that is about no item.
using TKwTvCustomDrawEvent =
    vcl::TEvent<void(vcl::TObject* aSender, TKwCustomDraw* aCD, vcl::TTreeNode* aNode)>;
// aPos in client coordinates; the handler may move it, replace the menu or
// set it null to show none.
using TKwTvOnNodeContextMenuEvent = vcl::TEvent<void(vcl::TObject* aSender, vcl::TTreeNode* aNode,
                                                     vcl::TPoint& aPos, vcl::TPopupMenu*& aMenu)>;

class KWCORVANE_EXPORT TKwCustomTreeView : public vcl::TCustomTreeView {
    VCL_DECLARE_CLASS(TKwCustomTreeView, vcl::TCustomTreeView)
public:
    using vcl::TCustomTreeView::TCustomTreeView;

    // Invalidates the node's rectangle (only its label when aTextOnly).
    void InvalidateNode(vcl::TTreeNode* aNode, bool aTextOnly, bool aErase);
    void BeforeDestruction() override;

    TKwTvOnNodeContextMenuEvent OnNodeContextMenu;
    // At the item pre-paint stage only.
    TKwTvCustomDrawEvent OnKwCustomDraw;
    // At every stage.
    TKwTvCustomDrawEvent OnKwCustomDrawEx;

protected:
    ~TKwCustomTreeView() override;
    void CreateParams(vcl::TCreateParams& params) override;
    void KeyDown(WORD& key, vcl::TShiftState shift) override;
    void Dispatch(vcl::TMessage& message) override;

    // The wrapper made for the notification (owned by the caller), or null
    // when no event wants one.
    virtual TKwCustomDraw* KwCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult);
    virtual TKwCustomDraw* CreateCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult);
    virtual void DoPreNodeContextMenu();
    virtual void DoNodeContextMenu(vcl::TTreeNode* aNode, const vcl::TPoint& aPos);
    virtual void NodeContextMenu(vcl::TTreeNode* aNode, vcl::TPoint& aPos, vcl::TPopupMenu*& aMenu);

    // Set while this control has shown (or taken over) the context menu of
    // the current right click.
    bool MenuShown() const { return MenuShown_; }

private:
    void CNNotify(vcl::TMessage& message);
    void WMRButtonDown(vcl::TMessage& message);
    void WMRButtonUp(vcl::TMessage& message);
    void WMContextMenu(vcl::TMessage& message);
    void CMSysColorChange(vcl::TMessage& message);
    void PopupAt(vcl::TPopupMenu* menu, const vcl::TPoint& clientPos);
    void FreeLastWrapper();

    bool MenuShown_ = false;
    TKwCustomDraw* LastWrapper_ = nullptr;
};

class KWCORVANE_EXPORT TKwTreeView : public TKwCustomTreeView {
    VCL_DECLARE_PUBLISHED_CLASS(TKwTreeView, TKwCustomTreeView)
public:
    using TKwCustomTreeView::TKwCustomTreeView;

protected:
    ~TKwTreeView() override = default;
};

// ---- the list view base ----

enum TKwLvSortDirection { kwsdAsc, kwsdDesc };
enum TKwLvHeaderSortDisplayMode { kwlvNone, kwlvLeftAlign, kwlvRightOfText, kwlvRightAlign };
VCL_ENUM_TYPE(TKwLvHeaderSortDisplayMode, kwlvNone, kwlvLeftAlign, kwlvRightOfText, kwlvRightAlign)

// aItem is null for a notification that is about no item.
using TKwLvCustomDrawEvent =
    vcl::TEvent<void(vcl::TObject* aSender, TKwCustomDraw* aCD, vcl::TListItem* aItem)>;
// aPos in client coordinates; the handler may move it, replace the menu or
// set it null to show none.
using TKwLvOnItemContextMenuEvent = vcl::TEvent<void(vcl::TObject* aSender, vcl::TListItem* aItem,
                                                     vcl::TPoint& aPos, vcl::TPopupMenu*& aMenu)>;

// The glyphs of the sort column: a triangle pointing down and one pointing
// up, in rect's top-left corner, filled with fill (clNone: not) and edged
// with the two line colours.
KWCORVANE_EXPORT void DrawDownArrow(vcl::TCanvas* aCanvas, const vcl::TRect& aRect, vcl::TColor aFill,
                                    vcl::TColor aFirst, vcl::TColor aSecond);
KWCORVANE_EXPORT void DrawUpArrow(vcl::TCanvas* aCanvas, const vcl::TRect& aRect, vcl::TColor aFill,
                                  vcl::TColor aFirst, vcl::TColor aSecond);

// The list view base: custom-draw events, an item context menu from the
// mouse, the Apps key and Shift+F10, background colours pushed into the
// window, and an owner-drawn header that shows the sort column and
// direction (only shown: the owner sorts).
class KWCORVANE_EXPORT TKwCustomListView : public vcl::TCustomListView {
    VCL_DECLARE_CLASS(TKwCustomListView, vcl::TCustomListView)
public:
    explicit TKwCustomListView(vcl::TComponent* owner);
    void BeforeDestruction() override;

    // The header window (the list's child with id 0); 0 without a window.
    HWND GetHeaderHandle() const { return HeaderHandle(); }
    // -1: none.
    int HeaderSortColumn() const { return HeaderSortColumn_; }
    void SetHeaderSortColumn(int value);
    TKwLvSortDirection HeaderSortDirection() const { return HeaderSortDirection_; }
    void SetHeaderSortDirection(TKwLvSortDirection value);
    TKwLvHeaderSortDisplayMode HeaderSortDisplayMode() const { return HeaderSortDisplayMode_; }
    void SetHeaderSortDisplayMode(TKwLvHeaderSortDisplayMode value);
    bool HeaderDefaultDrawing() const { return HeaderDefaultDrawing_; }
    void SetHeaderDefaultDrawing(bool value) { HeaderDefaultDrawing_ = value; }
    // The header items owner-drawn (or plain strings for kwlvNone), keeping
    // their justification.
    void SetHeaderODStyle();
    void SetViewStyle(vcl::TViewStyle value) override;
    vcl::TViewStyle GetViewStyle() const { return ViewStyle(); }

    TKwLvOnItemContextMenuEvent OnItemContextMenu;
    // At the item pre-paint stage (and the sub-items') only.
    TKwLvCustomDrawEvent OnKwCustomDraw;
    // At every stage.
    TKwLvCustomDrawEvent OnKwCustomDrawEx;

protected:
    ~TKwCustomListView() override;
    void CreateWnd() override;
    void KeyDown(WORD& key, vcl::TShiftState shift) override;
    void Dispatch(vcl::TMessage& message) override;

    virtual TKwCustomDraw* KwCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult);
    virtual TKwCustomDraw* CreateCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult);
    virtual void DoPreItemContextMenu(const vcl::TPoint& aPos);
    virtual void DoItemContextMenu(vcl::TListItem* aItem, const vcl::TPoint& aPos);
    virtual void ItemContextMenu(vcl::TListItem* aItem, vcl::TPoint& aPos, vcl::TPopupMenu*& aMenu);

    void DrawHeader(int aIndex, const vcl::TRect& aRect);
    void DrawHeaderGlyphs(int aIndex, const vcl::TRect& aGlyph);
    void DefaultDrawHeader(int aIndex, vcl::TRect aRect);
    vcl::TCanvas* HeaderCanvas() const { return HeaderCanvas_; }
    bool MenuShown() const { return MenuShown_; }

private:
    void CNNotify(vcl::TMessage& message);
    void WMNotify(vcl::TMessage& message);
    void WMDrawItem(vcl::TMessage& message);
    void WMContextMenu(vcl::TMessage& message);
    void WMRButtonUp(vcl::TMessage& message);
    void InvalidateHeaderItem(int aIndex);
    void InvalidateHeader();
    void PopupAt(vcl::TPopupMenu* menu, const vcl::TPoint& clientPos);
    void FreeLastWrapper();

    vcl::TCanvas* HeaderCanvas_;
    TKwCustomDraw* LastWrapper_ = nullptr;
    int HeaderSortColumn_ = -1;
    TKwLvSortDirection HeaderSortDirection_ = kwsdAsc;
    TKwLvHeaderSortDisplayMode HeaderSortDisplayMode_ = kwlvRightOfText;
    bool HeaderDefaultDrawing_ = true;
    bool MenuShown_ = false;
    int ODStyleDepth_ = 0;
};

class KWCORVANE_EXPORT TKwListView : public TKwCustomListView {
    VCL_DECLARE_PUBLISHED_CLASS(TKwListView, TKwCustomListView)
public:
    using TKwCustomListView::TKwCustomListView;

protected:
    ~TKwListView() override = default;
};

} // namespace kw
