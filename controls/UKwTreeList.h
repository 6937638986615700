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

} // namespace kw
