#pragma once
// The framework's tree view: TCustomTreeView over the platform's tree-view
// window (win32/TreeViews.h), with its nodes (TTreeNode) and their list
// (TTreeNodes). The window keeps the items; a node is the item's lParam and
// keeps what the framework knows of it (text, images, data), so that nodes
// and the application's pointers to them outlive a re-made window.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Classes.h"
#include "vcl/widgets/Controls.h"
#include "vcl/widgets/Graphics.h"
#include "vcl/widgets/ImgList.h"
#include "win32/TreeViews.h"

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

private:
    friend class TTreeNode;
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

} // namespace vcl
