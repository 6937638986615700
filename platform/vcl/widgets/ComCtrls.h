#pragma once
// The framework's tree view: TCustomTreeView over the platform's tree-view
// window (win32/TreeViews.h), with its nodes (TTreeNode) and their list
// (TTreeNodes). The window keeps the items; a node is the item's lParam and
// keeps what the framework knows of it (text, images, data), so that nodes
// and the application's pointers to them outlive a re-made window.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Classes.h"
#include "vcl/core/Collections.h"
#include "vcl/core/Streams.h"
#include "vcl/core/Strings.h"
#include "vcl/widgets/Controls.h"
#include "vcl/widgets/Graphics.h"
#include "vcl/widgets/ImgList.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/ListViews.h"
#include "win32/TreeViews.h"

#include <deque>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace vcl {

class TCustomTreeView;
class TTreeNodes;

enum TNodeState { nsCut, nsDropHilited, nsFocused, nsSelected, nsExpanded };
enum TNodeAttachMode { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };
enum TSortType { stNone, stData, stText, stBoth };
VCL_ENUM_TYPE(TSortType, stNone, stData, stText, stBoth)
enum TCustomDrawTarget { dtControl, dtItem, dtSubItem };
enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
// Bit n is the platform's CDIS_ bit n.
enum TCustomDrawStateFlag {
    cdsSelected,
    cdsGrayed,
    cdsDisabled,
    cdsChecked,
    cdsFocused,
    cdsDefault,
    cdsHot,
    cdsMarked,
    cdsIndeterminate
};
using TCustomDrawState = TSet<TCustomDrawStateFlag>;

enum THitTest {
    htAbove,
    htBelow,
    htNowhere,
    htOnItem,
    htOnButton,
    htOnIcon,
    htOnIndent,
    htOnLabel,
    htOnRight,
    htOnStateIcon,
    htToLeft,
    htToRight
};
using THitTests = TSet<THitTest>;

class TTreeNode;

using TTVChangingEvent = TEvent<void(TObject* sender, TTreeNode* node, bool& allowChange)>;
using TTVChangedEvent = TEvent<void(TObject* sender, TTreeNode* node)>;
using TTVEditingEvent = TEvent<void(TObject* sender, TTreeNode* node, bool& allowEdit)>;
using TTVEditedEvent = TEvent<void(TObject* sender, TTreeNode* node, std::string& s)>;
using TTVExpandingEvent = TEvent<void(TObject* sender, TTreeNode* node, bool& allowExpansion)>;
using TTVCollapsingEvent = TEvent<void(TObject* sender, TTreeNode* node, bool& allowCollapse)>;
using TTVExpandedEvent = TEvent<void(TObject* sender, TTreeNode* node)>;
using TTVCompareEvent =
    TEvent<void(TObject* sender, TTreeNode* node1, TTreeNode* node2, int data, int& compare)>;
using TTVCustomDrawEvent = TEvent<void(TCustomTreeView* sender, const TRect& rect, bool& defaultDraw)>;
using TTVCustomDrawItemEvent =
    TEvent<void(TCustomTreeView* sender, TTreeNode* node, TCustomDrawState state, bool& defaultDraw)>;
using TTVAdvancedCustomDrawEvent =
    TEvent<void(TCustomTreeView* sender, const TRect& rect, TCustomDrawStage stage, bool& defaultDraw)>;
using TTVAdvancedCustomDrawItemEvent =
    TEvent<void(TCustomTreeView* sender, TTreeNode* node, TCustomDrawState state, TCustomDrawStage stage,
                bool& paintImages, bool& defaultDraw)>;
// The compare of CustomSort: below 0, 0 or above 0 for the nodes' Data in
// that order.
using TTVCompare = int (*)(LPARAM data1, LPARAM data2, LPARAM param);

// One item of the tree. Made and freed by its TTreeNodes; an application
// deletes one with Delete.
class CORVANE_VCL_EXPORT TTreeNode : public TPersistent {
    VCL_DECLARE_CLASS(TTreeNode, TPersistent)
public:
    explicit TTreeNode(TTreeNodes* owner);
    ~TTreeNode() override;

    TTreeNodes* Owner() const { return Owner_; }
    TCustomTreeView* TreeView() const;
    // The window's item; 0 while the tree has no window.
    HTREEITEM ItemId() const { return ItemId_; }
    HWND Handle() const;

    const std::string& Text() const { return Text_; }
    void SetText(const std::string& value);
    void* Data() const { return Data_; }
    void SetData(void* value) { Data_ = value; }
    int ImageIndex() const { return ImageIndex_; }
    void SetImageIndex(int value);
    int SelectedIndex() const { return SelectedIndex_; }
    void SetSelectedIndex(int value);
    // -1: none; else the image list's overlay number.
    int OverlayIndex() const { return OverlayIndex_; }
    void SetOverlayIndex(int value);
    // -1: none; else an index into the tree's StateImages.
    int StateIndex() const { return StateIndex_; }
    void SetStateIndex(int value);
    // The button: kept while the children come and go, until cleared.
    bool HasChildren() const;
    void SetHasChildren(bool value);
    bool Expanded() const;
    void SetExpanded(bool value);
    bool Selected() const;
    void SetSelected(bool value);
    bool Focused() const;
    void SetFocused(bool value);
    bool Cut() const;
    void SetCut(bool value);
    bool DropTarget() const;
    void SetDropTarget(bool value);
    bool Bold() const;
    void SetBold(bool value);

    TTreeNode* Parent() const { return Parent_; }
    int Count() const { return static_cast<int>(Children_.size()); }
    TTreeNode* Item(int index) const;
    int Index() const;
    int Level() const;
    // The node's place in the whole tree, counting every node before it.
    int AbsoluteIndex() const;
    bool IsVisible() const;
    TTreeNode* GetFirstChild() const { return Children_.empty() ? nullptr : Children_.front(); }
    TTreeNode* GetLastChild() const { return Children_.empty() ? nullptr : Children_.back(); }
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    // Depth first: the first child, else the next sibling of the nearest
    // node that has one.
    TTreeNode* GetNext() const;
    TTreeNode* GetPrev() const;
    TTreeNode* GetNextVisible() const;
    TTreeNode* GetPrevVisible() const;
    bool HasAsParent(const TTreeNode* node) const;

    // The item's rectangle in client coordinates; only its label when
    // textOnly. Empty when the item is not shown.
    TRect DisplayRect(bool textOnly) const;
    void MakeVisible();
    void Expand(bool recurse);
    void Collapse(bool recurse);
    // Begins editing the label; false when refused or impossible.
    bool EditText();
    void EndEdit(bool cancel);
    bool AlphaSort(bool recurse = false);
    bool CustomSort(TTVCompare compare, LPARAM data, bool recurse = false);
    void Delete();
    void DeleteChildren();
    void Assign(TPersistent* source) override;

private:
    friend class TTreeNodes;
    friend class TCustomTreeView;
    bool GetState(UINT mask) const;
    void SetState(UINT mask, bool value);
    void Update(UINT mask) const;

    TTreeNodes* Owner_;
    TTreeNode* Parent_ = nullptr;
    std::vector<TTreeNode*> Children_;
    HTREEITEM ItemId_ = nullptr;
    std::string Text_;
    void* Data_ = nullptr;
    int ImageIndex_ = 0;
    int SelectedIndex_ = 0;
    int OverlayIndex_ = -1;
    int StateIndex_ = -1;
    // What the window keeps, remembered while it has none.
    UINT State_ = 0;
    bool HasChildren_ = false;
    // Told deleted (OnDeletion) already.
    bool Deleting_ = false;
    // Where among its siblings the node was last found.
    mutable int IndexHint_ = 0;
};

// The nodes of one tree, in the window's order.
class CORVANE_VCL_EXPORT TTreeNodes : public TPersistent {
    VCL_DECLARE_CLASS(TTreeNodes, TPersistent)
public:
    explicit TTreeNodes(TCustomTreeView* owner);
    ~TTreeNodes() override;

    TCustomTreeView* Owner() const { return Owner_; }
    HWND Handle() const;
    // Every node, at every level.
    int Count() const;
    // The node at an absolute index.
    TTreeNode* Item(int index) const;
    TTreeNode* GetFirstNode() const { return Roots_.empty() ? nullptr : Roots_.front(); }
    // The node of a window's item; null for an item that is none of ours.
    TTreeNode* GetNode(HTREEITEM item) const;

    // A node after the last sibling of sibling (null: a top-level node).
    TTreeNode* Add(TTreeNode* sibling, const std::string& text);
    TTreeNode* AddObject(TTreeNode* sibling, const std::string& text, void* data);
    TTreeNode* AddFirst(TTreeNode* sibling, const std::string& text);
    TTreeNode* AddObjectFirst(TTreeNode* sibling, const std::string& text, void* data);
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
    TTreeNode* AddChildObject(TTreeNode* parent, const std::string& text, void* data);
    TTreeNode* AddChildFirst(TTreeNode* parent, const std::string& text);
    TTreeNode* AddChildObjectFirst(TTreeNode* parent, const std::string& text, void* data);
    // A node before sibling.
    TTreeNode* Insert(TTreeNode* sibling, const std::string& text);
    TTreeNode* InsertObject(TTreeNode* sibling, const std::string& text, void* data);
    void Delete(TTreeNode* node);
    // Every node goes, through the window's delete-all message.
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return UpdateCount_ > 0; }
    bool AlphaSort(bool recurse = false);
    bool CustomSort(TTVCompare compare, LPARAM data, bool recurse = false);
    void Assign(TPersistent* source) override;

protected:
    // The nodes in form files: Items.Data.
    void DefineProperties(TFiler* filer) override;

private:
    friend class TTreeNode;
    void ReadData(TStream* stream);
    void WriteData(TStream* stream);
    // A last child of parent kept while there is no window: the window
    // takes it when it is made.
    TTreeNode* AddWithoutWindow(TTreeNode* parent, const std::string& text);
    friend class TCustomTreeView;
    TTreeNode* AddNode(TTreeNode* relative, const std::string& text, void* data, TNodeAttachMode mode);
    std::vector<TTreeNode*>& SiblingsOf(TTreeNode* parent);
    // Gives the window the node's item and, below it, its children's.
    void InsertItem(TTreeNode* node, HTREEITEM after);
    // Frees a node and its children once the window has let them go.
    void Release(TTreeNode* node);
    void Unlink(TTreeNode* node);

    TCustomTreeView* Owner_;
    std::vector<TTreeNode*> Roots_;
    int UpdateCount_ = 0;
};

// The framework's tree view. It speaks the tree-view messages to its window
// and hears the window's notifications as CN_NOTIFY.
class CORVANE_VCL_EXPORT TCustomTreeView : public TWinControl {
    VCL_DECLARE_CLASS(TCustomTreeView, TWinControl)
public:
    explicit TCustomTreeView(TComponent* owner);

    TTreeNodes* Items() const { return Items_; }
    void SetItems(TTreeNodes* value);
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* value);
    TTreeNode* DropTarget() const;
    void SetDropTarget(TTreeNode* value);
    TTreeNode* TopItem() const;
    void SetTopItem(TTreeNode* value);
    // The canvas of the tree's custom-draw events, on the item's device
    // context while they run.
    TCanvas* Canvas() const { return Canvas_; }

    TTreeNode* GetNodeAt(int x, int y) const;
    THitTests GetHitTestInfoAt(int x, int y) const;
    bool IsEditing() const;
    void FullExpand();
    void FullCollapse();
    bool AlphaSort(bool recurse = true);
    bool CustomSort(TTVCompare compare, LPARAM data, bool recurse = true);

    // Every node is told deleted while the whole tree is there.
    void BeforeDestruction() override;
    // A node of this tree that is still there.
    bool IsOwnNode(const TTreeNode* node) const { return node && Nodes_.contains(node); }

    bool AutoExpand() const { return AutoExpand_; }
    void SetAutoExpand(bool value);
    TBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    // Milliseconds between a selection and OnChange; 0: at once.
    int ChangeDelay() const { return ChangeDelay_; }
    void SetChangeDelay(int value) { ChangeDelay_ = value; }
    bool HideSelection() const { return HideSelection_; }
    void SetHideSelection(bool value);
    bool HotTrack() const { return HotTrack_; }
    void SetHotTrack(bool value);
    TCustomImageList* Images() const { return Images_; }
    void SetImages(TCustomImageList* value);
    TCustomImageList* StateImages() const { return StateImages_; }
    void SetStateImages(TCustomImageList* value);
    int Indent() const;
    void SetIndent(int value);
    bool ReadOnly() const { return ReadOnly_; }
    void SetReadOnly(bool value);
    bool RightClickSelect() const { return RightClickSelect_; }
    void SetRightClickSelect(bool value) { RightClickSelect_ = value; }
    bool RowSelect() const { return RowSelect_; }
    void SetRowSelect(bool value);
    bool ShowButtons() const { return ShowButtons_; }
    void SetShowButtons(bool value);
    bool ShowLines() const { return ShowLines_; }
    void SetShowLines(bool value);
    bool ShowRoot() const { return ShowRoot_; }
    void SetShowRoot(bool value);
    TSortType SortType() const { return SortType_; }
    void SetSortType(TSortType value);
    bool ToolTips() const { return ToolTips_; }
    void SetToolTips(bool value);

    TTVChangingEvent OnChanging;
    TTVChangedEvent OnChange;
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    TTVExpandingEvent OnExpanding;
    TTVExpandedEvent OnExpanded;
    TTVCollapsingEvent OnCollapsing;
    TTVExpandedEvent OnCollapsed;
    TTVExpandedEvent OnDeletion;
    TTVExpandedEvent OnGetImageIndex;
    TTVExpandedEvent OnGetSelectedIndex;
    TTVCompareEvent OnCompare;
    TTVCustomDrawEvent OnCustomDraw;
    TTVCustomDrawItemEvent OnCustomDrawItem;
    TTVAdvancedCustomDrawEvent OnAdvancedCustomDraw;
    TTVAdvancedCustomDrawItemEvent OnAdvancedCustomDrawItem;

protected:
    ~TCustomTreeView() override;
    void CreateParams(TCreateParams& params) override;
    QWidget* CreatePeerWidget(QWidget* parentWidget) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    bool WidgetPaints() const override { return true; }
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;

    virtual bool CanChange(TTreeNode* node);
    virtual void Change(TTreeNode* node);
    virtual bool CanEdit(TTreeNode* node);
    // The label's new text (item.pszText; null when cancelled).
    virtual void Edit(const TVITEMA& item);
    virtual bool CanExpand(TTreeNode* node);
    virtual void Expand(TTreeNode* node);
    virtual bool CanCollapse(TTreeNode* node);
    virtual void Collapse(TTreeNode* node);
    virtual void Delete(TTreeNode* node);
    virtual void GetImageIndex(TTreeNode* node);
    virtual void GetSelectedIndex(TTreeNode* node);
    virtual TTreeNode* CreateNode();
    // Whether the framework's custom-draw events want this target and stage.
    virtual bool IsCustomDrawn(TCustomDrawTarget target, TCustomDrawStage stage) const;
    virtual bool CustomDraw(const TRect& rect, TCustomDrawStage stage);
    virtual bool CustomDrawItem(TTreeNode* node, TCustomDrawState state, TCustomDrawStage stage,
                                bool& paintImages);

    void CNNotify(TMessage& message);
    // Delete for a node, once: a node told deleted is not told again when
    // the window lets it go.
    void TellDeleted(TTreeNode* node);
    // Nodes are being put back into a new window, or taken out of one that
    // goes: the window's deletions are no node's end.
    bool Recreating() const { return Recreating_; }

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    DWORD TreeStyle() const;
    TTreeNode* NodeOf(UINT code) const;
    // The node an item record names: its lParam when it carries one, else
    // its item's; null for none of ours.
    TTreeNode* NodeOfItem(const TVITEMA& item) const;
    void SetStyleBit(DWORD bit, bool on);
    void UpdateImageList(WPARAM which, TCustomImageList* list);
    void ImagesChanged(TObject* sender);
    void DoChange(TTreeNode* node);
    void CustomDrawNotify(TMessage& message);
    // The window let the node go (TVN_DELETEITEM), or it goes without one.
    void NodeDeleted(TTreeNode* node);
    void DeleteWithoutWindow(TTreeNode* node);
    // Sorts the children of item (TVI_ROOT: the top level); node is its
    // node. The nodes take the window's new order.
    bool SortChildren(HTREEITEM item, TTreeNode* node, TTVCompare compare, LPARAM data, bool recurse);
    void ReadOrder(TTreeNode* parent, bool recurse);
    // The order of OnCompare, else of the texts without regard to case.
    int CompareNodes(const TTreeNode* a, const TTreeNode* b);
    static int DefaultCompare(LPARAM data1, LPARAM data2, LPARAM tree);

    TTreeNodes* Items_;
    std::unordered_set<const TTreeNode*> Nodes_;
    TCanvas* Canvas_;
    TCustomImageList* Images_ = nullptr;
    TCustomImageList* StateImages_ = nullptr;
    TBorderStyle BorderStyle_ = bsSingle;
    TSortType SortType_ = stNone;
    int ChangeDelay_ = 0;
    int Indent_ = 19;
    bool AutoExpand_ = false;
    bool HideSelection_ = true;
    bool HotTrack_ = false;
    bool ReadOnly_ = false;
    bool RightClickSelect_ = false;
    bool RowSelect_ = false;
    bool ShowButtons_ = true;
    bool ShowLines_ = true;
    bool ShowRoot_ = true;
    bool ToolTips_ = true;
    bool Recreating_ = false;
    // The node selected when the window went, to select again.
    TTreeNode* SavedSelected_ = nullptr;
    TTreeNode* SavedTop_ = nullptr;
    // The custom-draw stage's answer so far, while an event runs.
    bool PaintImages_ = true;
};

// ---- the list view ----

class TCustomListView;
class TListItems;
class TListItem;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
VCL_ENUM_TYPE(TViewStyle, vsIcon, vsSmallIcon, vsList, vsReport)
enum TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };
enum TItemState { isNone, isCut, isDropHilited, isFocused, isSelected, isActivating };
using TItemStates = TSet<TItemState>;
enum TItemChange { ctText, ctImage, ctState };
enum TItemFind { ifData, ifPartialString, ifExactString, ifNearest };
enum TSearchDirection { sdLeft, sdRight, sdAbove, sdBelow, sdAll };
enum TItemRequestFlag { irText, irImage, irParam, irState, irIndent };
using TItemRequest = TSet<TItemRequestFlag>;
enum TIconArrangement { iaTop, iaLeft };
VCL_ENUM_TYPE(TIconArrangement, iaTop, iaLeft)
enum TListArrangement { arAlignBottom, arAlignLeft, arAlignRight, arAlignTop, arDefault, arSnapToGrid };
enum TListHotTrackStyle { htHandPoint, htUnderlineCold, htUnderlineHot };
VCL_ENUM_TYPE(TListHotTrackStyle, htHandPoint, htUnderlineCold, htUnderlineHot)
using TListHotTrackStyles = TSet<TListHotTrackStyle>;
// ListView column widths that size themselves.
constexpr int ColumnTextWidth = LVSCW_AUTOSIZE;
constexpr int ColumnHeaderWidth = LVSCW_AUTOSIZE_USEHEADER;

using TLVNotifyEvent = TEvent<void(TObject* sender, TListItem* item)>;
using TLVDeletedEvent = TLVNotifyEvent;
using TLVChangingEvent =
    TEvent<void(TObject* sender, TListItem* item, TItemChange change, bool& allowChange)>;
using TLVChangeEvent = TEvent<void(TObject* sender, TListItem* item, TItemChange change)>;
using TLVColumnClickEvent = TEvent<void(TObject* sender, class TListColumn* column)>;
using TLVCompareEvent =
    TEvent<void(TObject* sender, TListItem* item1, TListItem* item2, int data, int& compare)>;
using TLVEditingEvent = TEvent<void(TObject* sender, TListItem* item, bool& allowEdit)>;
using TLVEditedEvent = TEvent<void(TObject* sender, TListItem* item, std::string& s)>;
using TLVSelectItemEvent = TEvent<void(TObject* sender, TListItem* item, bool selected)>;
using TLVOwnerDataEvent = TEvent<void(TObject* sender, TListItem* item)>;
using TLVOwnerDataHintEvent = TEvent<void(TObject* sender, int startIndex, int endIndex)>;
using TLVOwnerDataFindEvent =
    TEvent<void(TObject* sender, TItemFind find, const std::string& findString, const TPoint& findPosition,
                void* findData, int startIndex, TSearchDirection direction, bool wrap, int& index)>;
using TLVOwnerDataStateChangeEvent =
    TEvent<void(TObject* sender, int startIndex, int endIndex, TItemStates oldState, TItemStates newState)>;
using TLVInfoTipEvent = TEvent<void(TObject* sender, TListItem* item, std::string& infoTip)>;
using TLVCustomDrawEvent = TEvent<void(TCustomListView* sender, const TRect& rect, bool& defaultDraw)>;
using TLVCustomDrawItemEvent =
    TEvent<void(TCustomListView* sender, TListItem* item, TCustomDrawState state, bool& defaultDraw)>;
using TLVCustomDrawSubItemEvent = TEvent<void(TCustomListView* sender, TListItem* item, int subItem,
                                              TCustomDrawState state, bool& defaultDraw)>;
using TLVAdvancedCustomDrawEvent =
    TEvent<void(TCustomListView* sender, const TRect& rect, TCustomDrawStage stage, bool& defaultDraw)>;
using TLVAdvancedCustomDrawItemEvent =
    TEvent<void(TCustomListView* sender, TListItem* item, TCustomDrawState state, TCustomDrawStage stage,
                bool& defaultDraw)>;
using TLVDrawItemEvent =
    TEvent<void(TCustomListView* sender, TListItem* item, const TRect& rect, TOwnerDrawState state)>;
// The compare of CustomSort: below 0, 0 or above 0 for the items' Data in
// that order.
using TLVCompare = int (*)(LPARAM data1, LPARAM data2, LPARAM param);

// One row of the list. Made and freed by its TListItems (an owner-data list
// has one scratch item that OnData fills for the row asked about).
class CORVANE_VCL_EXPORT TListItem : public TPersistent {
    VCL_DECLARE_CLASS(TListItem, TPersistent)
public:
    explicit TListItem(TListItems* owner);
    ~TListItem() override;

    TListItems* Owner() const { return Owner_; }
    TCustomListView* ListView() const;
    HWND Handle() const;
    // The row; -1 for an item not in the list.
    int Index() const;

    const std::string& Caption() const { return Caption_; }
    void SetCaption(const std::string& value);
    // The texts of the report view's other columns; made on first use.
    TStrings* SubItems();
    const TStrings* SubItems() const;
    bool HasSubItems() const { return SubItems_ != nullptr || EmptySubItems_ > 0; }
    // Adds count empty sub-items. Until SubItems() is used they are only a
    // count: a list whose texts come when drawn keeps nothing per sub-item.
    void AddEmptySubItems(int count);
    // The number of sub-items and the text of one (0-based, empty past the
    // end), read without making the list.
    int SubItemCount() const;
    std::string SubItemText(int index) const;
    void* Data() const { return Data_; }
    void SetData(void* value);
    int ImageIndex() const { return ImageIndex_; }
    void SetImageIndex(int value);
    // -1: none; else the image list's overlay number.
    int OverlayIndex() const { return OverlayIndex_; }
    void SetOverlayIndex(int value);
    // -1: none; else an index into the list's StateImages.
    int StateIndex() const { return StateIndex_; }
    void SetStateIndex(int value);
    int Indent() const { return Indent_; }
    void SetIndent(int value);
    bool Selected() const;
    void SetSelected(bool value);
    bool Focused() const;
    void SetFocused(bool value);
    bool Cut() const;
    void SetCut(bool value);
    bool DropTarget() const;
    void SetDropTarget(bool value);
    bool Checked() const;
    void SetChecked(bool value);
    TPoint Position() const;
    void SetPosition(const TPoint& value);
    int Left() const { return Position().x; }
    int Top() const { return Position().y; }

    TRect DisplayRect(TDisplayCode code) const;
    // Begins editing the caption; false when refused or impossible.
    bool EditCaption();
    void CancelEdit();
    void MakeVisible(bool partialOK);
    // Repaints the row.
    void Update();
    void Delete();
    void Assign(TPersistent* source) override;

private:
    friend class TListItems;
    friend class TCustomListView;
    bool GetState(UINT mask) const;
    void SetState(UINT mask, bool value);
    void SubItemsChanged(TObject* sender);
    void TellSubItems() const;
    void TellKeptState() const;

    TListItems* Owner_;
    std::string Caption_;
    std::unique_ptr<TStringList> SubItems_;
    // Empty sub-items not yet made into SubItems_.
    int EmptySubItems_ = 0;
    void* Data_ = nullptr;
    int ImageIndex_ = -1;
    int OverlayIndex_ = -1;
    int StateIndex_ = -1;
    int Indent_ = 0;
    // What the window keeps, remembered while it has none (and the owner-data
    // scratch item's state as OnData left it).
    UINT State_ = 0;
    // Where in the list the item was last found.
    mutable int IndexHint_ = 0;
    bool Deleting_ = false;
    // Its row is being made: the window hears of the sub-items afterwards.
    bool Inserting_ = false;
};

// The rows of one list, in the window's order.
class CORVANE_VCL_EXPORT TListItems : public TPersistent {
    VCL_DECLARE_CLASS(TListItems, TPersistent)
public:
    explicit TListItems(TCustomListView* owner);
    ~TListItems() override;

    TCustomListView* Owner() const { return Owner_; }
    HWND Handle() const;
    int Count() const;
    // The rows of an owner-data list.
    void SetCount(int value);
    // The item of a row; an owner-data list's scratch item, filled by OnData.
    TListItem* Item(int index) const;
    TListItem* operator[](int index) const { return Item(index); }
    TListItem* Add();
    // An item made at index (0 .. Count).
    TListItem* Insert(int index);
    // Puts an item made by the application at index (-1: the end).
    TListItem* AddItem(TListItem* item, int index = -1);
    void Delete(int index);
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return UpdateCount_ > 0; }
    int IndexOf(const TListItem* item) const;
    void Assign(TPersistent* source) override;

private:
    friend class TListItem;
    friend class TCustomListView;
    // Gives the window the item's row.
    void InsertRow(TListItem* item, int index);

    TCustomListView* Owner_;
    // A deque: a whole list is deleted from its first item on.
    std::deque<TListItem*> Items_;
    int UpdateCount_ = 0;
    int OwnerDataCount_ = 0;
    // The owner-data list's one item, filled for each row asked about.
    TListItem* Scratch_ = nullptr;
};

// A column of the report view.
class CORVANE_VCL_EXPORT TListColumn : public TCollectionItem {
    VCL_DECLARE_PUBLISHED_CLASS(TListColumn, TCollectionItem)
public:
    explicit TListColumn(TCollection* collection);
    ~TListColumn() override;

    const std::string& Caption() const { return Caption_; }
    void SetCaption(const std::string& value);
    TAlignment Alignment() const { return Alignment_; }
    void SetAlignment(TAlignment value);
    // The width in the window (ColumnTextWidth and ColumnHeaderWidth size it).
    int Width() const;
    void SetWidth(int value);
    bool AutoSize() const { return AutoSize_; }
    void SetAutoSize(bool value);
    int MinWidth() const { return MinWidth_; }
    void SetMinWidth(int value);
    int MaxWidth() const { return MaxWidth_; }
    void SetMaxWidth(int value);
    int ImageIndex() const { return ImageIndex_; }
    void SetImageIndex(int value);
    int Tag() const { return Tag_; }
    void SetTag(int value) { Tag_ = value; }
    std::string DisplayName() const override;
    void Assign(TPersistent* source) override;

private:
    friend class TListColumns;
    friend class TCustomListView;
    TCustomListView* ListView() const;
    // Tells the window the column's caption, width and alignment.
    void Apply() const;

    std::string Caption_;
    TAlignment Alignment_ = taLeftJustify;
    int Width_ = 50;
    int MinWidth_ = 0;
    int MaxWidth_ = 0;
    int ImageIndex_ = -1;
    int Tag_ = 0;
    bool AutoSize_ = false;
};

class CORVANE_VCL_EXPORT TListColumns : public TOwnedCollection {
    VCL_DECLARE_CLASS(TListColumns, TOwnedCollection)
public:
    explicit TListColumns(TCustomListView* owner);

    TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
    TListColumn* Items(int index) const { return static_cast<TListColumn*>(TCollection::Items(index)); }
    TListColumn* operator[](int index) const { return Items(index); }
    TCustomListView* Owner() const;

protected:
    void Update(TCollectionItem* item) override;
    void Notify(TCollectionItem* item, TCollectionNotification action) override;
};

class CORVANE_VCL_EXPORT TIconOptions : public TPersistent {
    VCL_DECLARE_PUBLISHED_CLASS(TIconOptions, TPersistent)
public:
    explicit TIconOptions(TCustomListView* owner) : Owner_(owner) {}
    TIconArrangement Arrangement() const { return Arrangement_; }
    void SetArrangement(TIconArrangement value);
    bool AutoArrange() const { return AutoArrange_; }
    void SetAutoArrange(bool value);
    bool WrapText() const { return WrapText_; }
    void SetWrapText(bool value);
    void Assign(TPersistent* source) override;

private:
    TCustomListView* Owner_;
    TIconArrangement Arrangement_ = iaTop;
    bool AutoArrange_ = false;
    bool WrapText_ = true;
};

// The framework's list view. It speaks the list-view messages to its window
// and hears the window's notifications as CN_NOTIFY.
class CORVANE_VCL_EXPORT TCustomListView : public TWinControl {
    VCL_DECLARE_CLASS(TCustomListView, TWinControl)
public:
    explicit TCustomListView(TComponent* owner);

    TListItems* Items() const { return Items_; }
    void SetItems(TListItems* value);
    TListColumns* Columns() const { return Columns_; }
    void SetColumns(TListColumns* value);
    TListColumn* Column(int index) const { return Columns_->Items(index); }
    TIconOptions* IconOptions() const { return IconOptions_; }
    void SetIconOptions(TIconOptions* value);
    // The canvas of the custom-draw events, on the item's device context
    // while they run.
    TCanvas* Canvas() const { return Canvas_; }

    // The first selected item; setting one selects it alone.
    TListItem* Selected() const;
    void SetSelected(TListItem* value);
    TListItem* ItemFocused() const;
    void SetItemFocused(TListItem* value);
    TListItem* DropTarget() const;
    void SetDropTarget(TListItem* value);
    int SelCount() const;
    TListItem* TopItem() const;
    int VisibleRowCount() const;
    TPoint ViewOrigin() const;
    TRect GetViewRect() const;

    TListItem* GetItemAt(int x, int y) const;
    THitTests GetHitTestInfoAt(int x, int y) const;
    TListItem* GetNearestItem(const TPoint& point, TSearchDirection direction) const;
    // The next item after start (null: from the first) in direction that
    // has every state of states.
    TListItem* GetNextItem(TListItem* start, TSearchDirection direction, TItemStates states) const;
    TListItem* FindCaption(int startIndex, const std::string& value, bool partial, bool inclusive,
                           bool wrap) const;
    TListItem* FindData(int startIndex, void* value, bool inclusive, bool wrap) const;
    int StringWidth(const std::string& s) const;
    bool IsEditing() const;
    virtual void SelectAll();
    void ClearSelection();
    void Arrange(TListArrangement code);
    void Scroll(int dx, int dy);
    void UpdateItems(int firstIndex, int lastIndex);
    bool AlphaSort();
    bool CustomSort(TLVCompare compare, LPARAM data);

    void BeforeDestruction() override;

    TBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    bool ColumnClick() const { return ColumnClick_; }
    void SetColumnClick(bool value);
    bool HideSelection() const { return HideSelection_; }
    void SetHideSelection(bool value);
    bool MultiSelect() const { return MultiSelect_; }
    void SetMultiSelect(bool value);
    bool ReadOnly() const { return ReadOnly_; }
    void SetReadOnly(bool value);
    bool RowSelect() const { return RowSelect_; }
    void SetRowSelect(bool value);
    bool ShowColumnHeaders() const { return ShowColumnHeaders_; }
    void SetShowColumnHeaders(bool value);
    TSortType SortType() const { return SortType_; }
    void SetSortType(TSortType value);
    TViewStyle ViewStyle() const { return ViewStyle_; }
    virtual void SetViewStyle(TViewStyle value);
    bool OwnerData() const { return OwnerData_; }
    void SetOwnerData(bool value);
    bool OwnerDraw() const { return OwnerDraw_; }
    void SetOwnerDraw(bool value);
    bool Checkboxes() const { return Checkboxes_; }
    void SetCheckboxes(bool value);
    bool GridLines() const { return GridLines_; }
    void SetGridLines(bool value);
    bool HotTrack() const { return HotTrack_; }
    void SetHotTrack(bool value);
    TListHotTrackStyles HotTrackStyles() const { return HotTrackStyles_; }
    void SetHotTrackStyles(TListHotTrackStyles value);
    bool FlatScrollBars() const { return FlatScrollBars_; }
    void SetFlatScrollBars(bool value);
    bool FullDrag() const { return FullDrag_; }
    void SetFullDrag(bool value);
    int AllocBy() const { return AllocBy_; }
    void SetAllocBy(int value);
    TCustomImageList* LargeImages() const { return LargeImages_; }
    void SetLargeImages(TCustomImageList* value);
    TCustomImageList* SmallImages() const { return SmallImages_; }
    void SetSmallImages(TCustomImageList* value);
    TCustomImageList* StateImages() const { return StateImages_; }
    void SetStateImages(TCustomImageList* value);

    TLVChangeEvent OnChange;
    TLVChangingEvent OnChanging;
    TLVColumnClickEvent OnColumnClick;
    TLVCompareEvent OnCompare;
    TLVDeletedEvent OnDeletion;
    TLVEditedEvent OnEdited;
    TLVEditingEvent OnEditing;
    TLVNotifyEvent OnInsert;
    TLVNotifyEvent OnGetImageIndex;
    TLVSelectItemEvent OnSelectItem;
    TLVOwnerDataEvent OnData;
    TLVOwnerDataHintEvent OnDataHint;
    TLVOwnerDataFindEvent OnDataFind;
    TLVOwnerDataStateChangeEvent OnDataStateChange;
    TLVInfoTipEvent OnInfoTip;
    TLVDrawItemEvent OnDrawItem;
    TLVCustomDrawEvent OnCustomDraw;
    TLVCustomDrawItemEvent OnCustomDrawItem;
    TLVCustomDrawSubItemEvent OnCustomDrawSubItem;
    TLVAdvancedCustomDrawEvent OnAdvancedCustomDraw;
    TLVAdvancedCustomDrawItemEvent OnAdvancedCustomDrawItem;

protected:
    ~TCustomListView() override;
    void CreateParams(TCreateParams& params) override;
    QWidget* CreatePeerWidget(QWidget* parentWidget) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    bool WidgetPaints() const override { return true; }
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;

    virtual bool CanChange(TListItem* item, UINT change);
    virtual void Change(TListItem* item, UINT change);
    virtual bool CanEdit(TListItem* item);
    // The caption's new text (item.pszText; null when cancelled).
    virtual void Edit(const LVITEMA& item);
    virtual void ColClick(TListColumn* column);
    virtual void InsertItem(TListItem* item);
    virtual void Delete(TListItem* item);
    virtual void GetImageIndex(TListItem* item);
    virtual bool OwnerDataFetch(TListItem* item, TItemRequest request);
    virtual int OwnerDataFind(TItemFind find, const std::string& findString, const TPoint& findPosition,
                              void* findData, int startIndex, TSearchDirection direction, bool wrap);
    virtual bool OwnerDataHint(int startIndex, int endIndex);
    virtual bool OwnerDataStateChange(int startIndex, int endIndex, TItemStates oldState,
                                      TItemStates newState);
    virtual void DoSelectItem(TListItem* item, bool selected);
    virtual void DoInfoTip(TListItem* item, std::string& infoTip);
    virtual TListItem* CreateListItem();
    virtual bool IsCustomDrawn(TCustomDrawTarget target, TCustomDrawStage stage) const;
    virtual bool CustomDraw(const TRect& rect, TCustomDrawStage stage);
    virtual bool CustomDrawItem(TListItem* item, TCustomDrawState state, TCustomDrawStage stage);
    virtual bool CustomDrawSubItem(TListItem* item, int subItem, TCustomDrawState state,
                                   TCustomDrawStage stage);
    virtual void DrawItem(TListItem* item, const TRect& rect, TOwnerDrawState state);

    void CNNotify(TMessage& message);
    // The item a row's notification names: the row's item, or the
    // owner-data item filled for it; null for none.
    TListItem* ItemOfRow(int row) const;
    // The window's header (its child with id 0); 0 without a window.
    HWND HeaderHandle() const;
    // Items are being put back into a new window, or taken out of one that
    // goes: the window's deletions are no item's end.
    bool Recreating() const { return Recreating_; }
    // As CustomSort, with compare given the items' indices before the sort
    // (LVM_SORTITEMSEX) rather than their Data: a comparison reads what the
    // caller laid out by index instead of reaching into each item.
    bool CustomSortByIndex(TLVCompare compare, LPARAM data);

private:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumn;
    friend class TListColumns;
    friend class TIconOptions;
    DWORD ListStyle() const;
    DWORD ExtendedStyle() const;
    void ApplyExtendedStyle();
    void SetStyleBits(DWORD mask, DWORD bits);
    void UpdateImageList(WPARAM which, TCustomImageList* list);
    void ImagesChanged(TObject* sender);
    void InsertColumns();
    void CustomDrawNotify(TMessage& message);
    void ItemDeleted(TListItem* item);
    TListItem* ItemOfRecord(const LVITEMA& item) const;
    bool SortItems(TLVCompare compare, LPARAM data, bool byIndex);
    void ReadOrder();
    int CompareItems(const TListItem* a, const TListItem* b);
    static int DefaultCompare(LPARAM data1, LPARAM data2, LPARAM list);
    static TItemStates StatesOf(UINT state);

    TListItems* Items_;
    TListColumns* Columns_;
    TIconOptions* IconOptions_;
    TCanvas* Canvas_;
    std::unordered_set<const TListItem*> Live_;
    TCustomImageList* LargeImages_ = nullptr;
    TCustomImageList* SmallImages_ = nullptr;
    TCustomImageList* StateImages_ = nullptr;
    TBorderStyle BorderStyle_ = bsSingle;
    TViewStyle ViewStyle_ = vsIcon;
    TSortType SortType_ = stNone;
    TListHotTrackStyles HotTrackStyles_;
    int AllocBy_ = 0;
    bool ColumnClick_ = true;
    bool HideSelection_ = true;
    bool MultiSelect_ = false;
    bool ReadOnly_ = false;
    bool RowSelect_ = false;
    bool ShowColumnHeaders_ = true;
    bool OwnerData_ = false;
    bool OwnerDraw_ = false;
    bool Checkboxes_ = false;
    bool GridLines_ = false;
    bool HotTrack_ = false;
    bool FlatScrollBars_ = false;
    bool FullDrag_ = false;
    bool Recreating_ = false;
    // The text GETDISPINFO answered last: the window copies it at once.
    std::string DisplayText_;
};

// ---- Rich edit ----

// A rich-text window. Its text is the toolkit's HTML subset (headings,
// paragraphs, bold, italic, colours, lists, tables): there is no RTF reader
// here, so rich text is written in that format. Lines holds the text a line
// at a time; the window shows all of it as one document.
class CORVANE_VCL_EXPORT TRichEdit : public TWinControl {
    VCL_DECLARE_PUBLISHED_CLASS(TRichEdit, TWinControl)
public:
    explicit TRichEdit(TComponent* owner);

    TStrings* Lines() const { return Lines_; }
    void SetLines(TStrings* value) { Lines_->Assign(value); }
    bool ReadOnly() const { return ReadOnly_; }
    void SetReadOnly(bool value);
    TBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    // The document's text without its markup, paragraphs on lines of their
    // own; empty without a window.
    std::string PlainText() const;

protected:
    ~TRichEdit() override;
    void CreateParams(TCreateParams& params) override;
    QWidget* CreatePeerWidget(QWidget* parentWidget) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;
    bool WidgetPaints() const override { return true; }

private:
    void LinesChanged(TObject* sender);
    // Gives the window the text, the font and the read-only state.
    void ApplyDocument();

    TStringList* Lines_;
    bool ReadOnly_ = false;
    TBorderStyle BorderStyle_ = bsSingle;
};

// ---- Page control ----

class TPageControl;

// A page of a page control: a container whose caption is its tab's text.
// Only the active page shows; a page with TabVisible off has no tab.
class CORVANE_VCL_EXPORT TTabSheet : public TWinControl {
    VCL_DECLARE_PUBLISHED_CLASS(TTabSheet, TWinControl)
public:
    explicit TTabSheet(TComponent* owner);

    TPageControl* PageControl() const { return PageControl_; }
    // Moves the page to the end of another page control (null: none).
    void SetPageControl(TPageControl* value);
    // The page's place among its control's pages; -1 without one.
    int PageIndex() const;
    void SetPageIndex(int value);
    bool TabVisible() const { return TabVisible_; }
    void SetTabVisible(bool value);
    // The page's place among the tabs shown; -1 when it has no tab.
    int TabIndex() const;

    // A page put on a page control (as form files do) joins its pages.
    void SetParent(TWinControl* parent) override;

protected:
    ~TTabSheet() override;
    void Dispatch(TMessage& message) override;

private:
    friend class TPageControl;
    bool IsPageIndexStored() const { return false; }

    TPageControl* PageControl_ = nullptr;
    bool TabVisible_ = true;
};

using TTabChangingEvent = TEvent<void(TObject* sender, bool& allowChange)>;

// Pages with a row of tabs above them; a click on a tab shows its page.
// The tabs stay in one row: MultiLine is kept for the form file, and a row
// wider than the control scrolls with the two arrows at its right end.
class CORVANE_VCL_EXPORT TPageControl : public TCustomControl {
    VCL_DECLARE_PUBLISHED_CLASS(TPageControl, TCustomControl)
public:
    explicit TPageControl(TComponent* owner);

    int PageCount() const { return static_cast<int>(Pages_.size()); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const { return ActivePage_; }
    // Shows page (one of this control's, or null for none) and hides the
    // one shown before. OnChanging and OnChange are for a person's choice
    // and SelectNextPage, not for this.
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int value);
    bool MultiLine() const { return MultiLine_; }
    void SetMultiLine(bool value) { MultiLine_ = value; }

    // The page after (or before) current that has a tab when
    // checkTabVisible, wrapping round; null when there is none.
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
    // Changes to that page as a click on its tab does.
    void SelectNextPage(bool goForward, bool checkTabVisible = true);

    // The tab of the tab index (among the tabs shown), scrolled as the row
    // is; empty when out of range.
    TRect TabRect(int tabIndex) const;
    // The tab index under a point of the client area; -1 for none.
    int IndexOfTabAt(int x, int y) const;
    // The first tab shown at the left of the row.
    int FirstTab() const { return FirstTab_; }
    // Whether the row is wider than the control and shows its arrows.
    bool TabsScroll() const;
    // The arrows' rectangles, left and right.
    TRect ScrollArrowRect(bool right) const;

    TTabChangingEvent OnChanging() const { return OnChanging_; }
    void SetOnChanging(TTabChangingEvent value) { OnChanging_ = value; }
    TNotifyEvent OnChange() const { return OnChange_; }
    void SetOnChange(TNotifyEvent value) { OnChange_ = value; }

    static constexpr int kTabHeight = 20;

protected:
    ~TPageControl() override;
    void AdjustClientRect(TRect& rect) const override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void Resize() override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void MovePage(TTabSheet* page, int index);
    // The pages with tabs, in order.
    std::vector<TTabSheet*> Tabs() const;
    int TabWidth(const TTabSheet* page) const;
    // Changes to page when OnChanging allows, then OnChange.
    void ChangeActivePage(TTabSheet* page);
    // Scrolls the row so that the active tab shows whole where it can.
    void ScrollToActive();

    std::vector<TTabSheet*> Pages_;
    TTabSheet* ActivePage_ = nullptr;
    int FirstTab_ = 0;
    bool MultiLine_ = false;
    TTabChangingEvent OnChanging_;
    TNotifyEvent OnChange_;
};

// ---- Status bar ----

class TStatusBar;

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
VCL_ENUM_TYPE(TStatusPanelBevel, pbNone, pbLowered, pbRaised)

// One panel of a status bar: its text, width and bevel. The last panel
// reaches to the bar's right edge.
class CORVANE_VCL_EXPORT TStatusPanel : public TCollectionItem {
    VCL_DECLARE_PUBLISHED_CLASS(TStatusPanel, TCollectionItem)
public:
    explicit TStatusPanel(TCollection* collection) : TCollectionItem(collection) {}

    const std::string& Text() const { return Text_; }
    void SetText(const std::string& value);
    int Width() const { return Width_; }
    void SetWidth(int value);
    TAlignment Alignment() const { return Alignment_; }
    void SetAlignment(TAlignment value);
    TStatusPanelBevel Bevel() const { return Bevel_; }
    void SetBevel(TStatusPanelBevel value);
    std::string DisplayName() const override;
    void Assign(TPersistent* source) override;

private:
    std::string Text_;
    int Width_ = 50;
    TAlignment Alignment_ = taLeftJustify;
    TStatusPanelBevel Bevel_ = pbLowered;
};

class CORVANE_VCL_EXPORT TStatusPanels : public TOwnedCollection {
    VCL_DECLARE_CLASS(TStatusPanels, TOwnedCollection)
public:
    explicit TStatusPanels(TStatusBar* owner);

    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(int index) const { return static_cast<TStatusPanel*>(TCollection::Items(index)); }
    TStatusPanel* operator[](int index) const { return Items(index); }

protected:
    void Update(TCollectionItem* item) override;
};

// A line of panels at the foot of a form. With SimplePanel it shows
// SimpleText across the whole bar instead; SimpleText set while the panels
// show is kept and waits for SimplePanel.
class CORVANE_VCL_EXPORT TStatusBar : public TCustomControl {
    VCL_DECLARE_PUBLISHED_CLASS(TStatusBar, TCustomControl)
public:
    explicit TStatusBar(TComponent* owner);

    TStatusPanels* Panels() const { return Panels_; }
    void SetPanels(TStatusPanels* value) { Panels_->Assign(value); }
    bool SimplePanel() const { return SimplePanel_; }
    void SetSimplePanel(bool value);
    const std::string& SimpleText() const { return SimpleText_; }
    void SetSimpleText(const std::string& value);
    // The bar's rectangle of panel index (the last one to the right edge).
    TRect PanelRect(int index) const;

protected:
    ~TStatusBar() override;
    void Paint() override;

private:
    // Draws text in rect with a two-pixel margin, aligned as asked.
    void DrawPanelText(const TRect& rect, const std::string& text, TAlignment alignment);

    TStatusPanels* Panels_;
    bool SimplePanel_ = false;
    std::string SimpleText_;
};

} // namespace vcl
