// The nodes of the framework's tree view. The window is what knows the
// order and the state of the items; a node asks it, and keeps only what
// the framework owns (text, images, data) and, while the tree has no
// window, the state to give the next one.

#include "vcl/widgets/ComCtrls.h"

#include "vcl/core/ExceptionFormat.h"

#include <algorithm>
#include <cstring>

namespace vcl {

namespace {

LPARAM ItemArg(HTREEITEM item)
{
    return reinterpret_cast<LPARAM>(item);
}

} // namespace

// ---- TTreeNode ----

TTreeNode::TTreeNode(TTreeNodes* owner) : Owner_(owner) {}

TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const
{
    return Owner_ ? Owner_->Owner() : nullptr;
}

HWND TTreeNode::Handle() const
{
    return Owner_ ? Owner_->Handle() : nullptr;
}

void TTreeNode::Update(UINT mask) const
{
    if (!ItemId_)
        return;
    TVITEMA item{};
    item.mask = mask | TVIF_HANDLE;
    item.hItem = ItemId_;
    if (mask & TVIF_TEXT)
        item.pszText = const_cast<char*>(Text_.c_str());
    // The images are asked for again when next drawn.
    item.iImage = I_IMAGECALLBACK;
    item.iSelectedImage = I_IMAGECALLBACK;
    TreeView()->Perform(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetText(const std::string& value)
{
    Text_ = value;
    Update(TVIF_TEXT);
}

void TTreeNode::SetImageIndex(int value)
{
    ImageIndex_ = value;
    Update(TVIF_IMAGE);
}

void TTreeNode::SetSelectedIndex(int value)
{
    SelectedIndex_ = value;
    Update(TVIF_SELECTEDIMAGE);
}

void TTreeNode::SetOverlayIndex(int value)
{
    OverlayIndex_ = value;
    const UINT overlay = value >= 0 && value < 15 ? static_cast<UINT>(value) + 1 : 0;
    State_ = (State_ & ~TVIS_OVERLAYMASK) | INDEXTOOVERLAYMASK(overlay);
    if (ItemId_) {
        TVITEMA item{};
        item.mask = TVIF_STATE | TVIF_HANDLE;
        item.hItem = ItemId_;
        item.state = INDEXTOOVERLAYMASK(overlay);
        item.stateMask = TVIS_OVERLAYMASK;
        TreeView()->Perform(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void TTreeNode::SetStateIndex(int value)
{
    StateIndex_ = value;
    // The window draws state image n of the list for n from 1 to 15; 0 is
    // none.
    const UINT state = value > 0 && value < 16 ? static_cast<UINT>(value) : 0;
    State_ = (State_ & ~TVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(state);
    if (ItemId_) {
        TVITEMA item{};
        item.mask = TVIF_STATE | TVIF_HANDLE;
        item.hItem = ItemId_;
        item.state = INDEXTOSTATEIMAGEMASK(state);
        item.stateMask = TVIS_STATEIMAGEMASK;
        TreeView()->Perform(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

bool TTreeNode::GetState(UINT mask) const
{
    if (!ItemId_)
        return (State_ & mask) != 0;
    return (static_cast<UINT>(
                TreeView()->Perform(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(ItemId_), mask)) &
            mask) != 0;
}

void TTreeNode::SetState(UINT mask, bool value)
{
    State_ = value ? (State_ | mask) : (State_ & ~mask);
    if (!ItemId_)
        return;
    TVITEMA item{};
    item.mask = TVIF_STATE | TVIF_HANDLE;
    item.hItem = ItemId_;
    item.state = value ? mask : 0;
    item.stateMask = mask;
    TreeView()->Perform(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

bool TTreeNode::HasChildren() const
{
    if (!ItemId_)
        return HasChildren_;
    TVITEMA item{};
    item.mask = TVIF_CHILDREN | TVIF_HANDLE;
    item.hItem = ItemId_;
    if (!TreeView()->Perform(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return false;
    return item.cChildren != 0;
}

void TTreeNode::SetHasChildren(bool value)
{
    HasChildren_ = value;
    if (!ItemId_)
        return;
    TVITEMA item{};
    item.mask = TVIF_CHILDREN | TVIF_HANDLE;
    item.hItem = ItemId_;
    item.cChildren = value ? 1 : 0;
    TreeView()->Perform(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

bool TTreeNode::Expanded() const
{
    return GetState(TVIS_EXPANDED);
}

void TTreeNode::SetExpanded(bool value)
{
    if (value)
        Expand(false);
    else
        Collapse(false);
}

bool TTreeNode::Selected() const
{
    return GetState(TVIS_SELECTED);
}

void TTreeNode::SetSelected(bool value)
{
    TCustomTreeView* tree = TreeView();
    if (value)
        tree->SetSelected(this);
    else if (tree->Selected() == this)
        tree->SetSelected(nullptr);
}

bool TTreeNode::Focused() const
{
    return GetState(TVIS_FOCUSED);
}

void TTreeNode::SetFocused(bool value)
{
    SetState(TVIS_FOCUSED, value);
}

bool TTreeNode::Cut() const
{
    return GetState(TVIS_CUT);
}

void TTreeNode::SetCut(bool value)
{
    SetState(TVIS_CUT, value);
}

bool TTreeNode::DropTarget() const
{
    return GetState(TVIS_DROPHILITED);
}

void TTreeNode::SetDropTarget(bool value)
{
    TCustomTreeView* tree = TreeView();
    if (value)
        tree->SetDropTarget(this);
    else if (tree->DropTarget() == this)
        tree->SetDropTarget(nullptr);
}

bool TTreeNode::Bold() const
{
    return GetState(TVIS_BOLD);
}

void TTreeNode::SetBold(bool value)
{
    SetState(TVIS_BOLD, value);
}

TTreeNode* TTreeNode::Item(int index) const
{
    if (index < 0 || index >= Count())
        throw CreateFmt<EListError>("List index out of bounds (%d)", {index});
    return Children_[static_cast<std::size_t>(index)];
}

int TTreeNode::Index() const
{
    const auto& siblings = const_cast<TTreeNodes*>(Owner_)->SiblingsOf(Parent_);
    // Where the node was last found first: walks along the siblings cost
    // one look a step.
    const auto size = static_cast<int>(siblings.size());
    for (const int guess : {IndexHint_, IndexHint_ + 1, IndexHint_ - 1})
        if (guess >= 0 && guess < size && siblings[static_cast<std::size_t>(guess)] == this)
            return IndexHint_ = guess;
    const auto it = std::find(siblings.begin(), siblings.end(), this);
    if (it == siblings.end())
        return -1;
    return IndexHint_ = static_cast<int>(it - siblings.begin());
}

int TTreeNode::Level() const
{
    int level = 0;
    for (const TTreeNode* p = Parent_; p; p = p->Parent_)
        ++level;
    return level;
}

int TTreeNode::AbsoluteIndex() const
{
    int index = 0;
    for (const TTreeNode* node = Owner_->GetFirstNode(); node; node = node->GetNext()) {
        if (node == this)
            return index;
        ++index;
    }
    return -1;
}

bool TTreeNode::IsVisible() const
{
    for (const TTreeNode* p = Parent_; p; p = p->Parent_)
        if (!p->Expanded())
            return false;
    return true;
}

TTreeNode* TTreeNode::GetNextSibling() const
{
    const auto& siblings = const_cast<TTreeNodes*>(Owner_)->SiblingsOf(Parent_);
    const int index = Index();
    return index < 0 || index + 1 >= static_cast<int>(siblings.size())
               ? nullptr
               : siblings[static_cast<std::size_t>(index + 1)];
}

TTreeNode* TTreeNode::GetPrevSibling() const
{
    const auto& siblings = const_cast<TTreeNodes*>(Owner_)->SiblingsOf(Parent_);
    const int index = Index();
    return index <= 0 ? nullptr : siblings[static_cast<std::size_t>(index - 1)];
}

TTreeNode* TTreeNode::GetNext() const
{
    if (TTreeNode* child = GetFirstChild())
        return child;
    for (const TTreeNode* node = this; node; node = node->Parent_)
        if (TTreeNode* next = node->GetNextSibling())
            return next;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const
{
    TTreeNode* prev = GetPrevSibling();
    if (!prev)
        return Parent_;
    while (TTreeNode* last = prev->GetLastChild())
        prev = last;
    return prev;
}

TTreeNode* TTreeNode::GetNextVisible() const
{
    if (TTreeNode* child = GetFirstChild(); child && Expanded())
        return child;
    for (const TTreeNode* node = this; node; node = node->Parent_)
        if (TTreeNode* next = node->GetNextSibling())
            return next;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() const
{
    TTreeNode* prev = GetPrevSibling();
    if (!prev)
        return Parent_;
    while (prev->Expanded() && prev->GetLastChild())
        prev = prev->GetLastChild();
    return prev;
}

bool TTreeNode::HasAsParent(const TTreeNode* node) const
{
    if (!node)
        return false;
    for (const TTreeNode* p = Parent_; p; p = p->Parent_)
        if (p == node)
            return true;
    return false;
}

TRect TTreeNode::DisplayRect(bool textOnly) const
{
    RECT rect{};
    if (!ItemId_)
        return TRect{};
    // The item goes in where the rectangle comes out.
    std::memcpy(&rect, &ItemId_, sizeof ItemId_);
    if (!TreeView()->Perform(TVM_GETITEMRECT, textOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(&rect)))
        return TRect{};
    return TRect(rect);
}

void TTreeNode::MakeVisible()
{
    TreeView()->HandleNeeded();
    TreeView()->Perform(TVM_ENSUREVISIBLE, 0, ItemArg(ItemId_));
}

void TTreeNode::Expand(bool recurse)
{
    TreeView()->HandleNeeded();
    TreeView()->Perform(TVM_EXPAND, TVE_EXPAND, ItemArg(ItemId_));
    if (recurse)
        for (std::size_t i = 0; i < Children_.size(); ++i)
            Children_[i]->Expand(true);
}

void TTreeNode::Collapse(bool recurse)
{
    TreeView()->HandleNeeded();
    TreeView()->Perform(TVM_EXPAND, TVE_COLLAPSE, ItemArg(ItemId_));
    if (recurse)
        for (std::size_t i = 0; i < Children_.size(); ++i)
            Children_[i]->Collapse(true);
}

bool TTreeNode::EditText()
{
    TreeView()->HandleNeeded();
    return TreeView()->Perform(TVM_EDITLABELA, 0, ItemArg(ItemId_)) != 0;
}

void TTreeNode::EndEdit(bool cancel)
{
    if (TreeView()->HandleAllocated())
        TreeView()->Perform(TVM_ENDEDITLABELNOW, cancel ? TRUE : FALSE, 0);
}

bool TTreeNode::AlphaSort(bool recurse)
{
    return CustomSort(nullptr, 0, recurse);
}

bool TTreeNode::CustomSort(TTVCompare compare, LPARAM data, bool recurse)
{
    return TreeView()->SortChildren(ItemId_, this, compare, data, recurse);
}

void TTreeNode::Delete()
{
    Owner_->Delete(this);
}

void TTreeNode::DeleteChildren()
{
    // The button stays: the node still says it has children until told
    // otherwise. One update: the window redraws once.
    Owner_->BeginUpdate();
    struct End {
        TTreeNodes* Nodes;
        ~End() { Nodes->EndUpdate(); }
    } end{Owner_};
    while (!Children_.empty())
        Owner_->Delete(Children_.front());
}

void TTreeNode::Assign(TPersistent* source)
{
    if (auto* node = dynamic_cast<TTreeNode*>(source)) {
        SetText(node->Text());
        SetData(node->Data());
        SetImageIndex(node->ImageIndex());
        SetSelectedIndex(node->SelectedIndex());
        SetStateIndex(node->StateIndex());
        SetOverlayIndex(node->OverlayIndex());
        SetHasChildren(node->HasChildren());
        SetBold(node->Bold());
        SetCut(node->Cut());
        return;
    }
    TPersistent::Assign(source);
}

// ---- TTreeNodes ----

TTreeNodes::TTreeNodes(TCustomTreeView* owner) : Owner_(owner) {}

TTreeNodes::~TTreeNodes()
{
    // What the tree did not delete (it always does, before it goes).
    std::vector<TTreeNode*> roots;
    roots.swap(Roots_);
    for (TTreeNode* node : roots)
        Release(node);
}

HWND TTreeNodes::Handle() const
{
    return Owner_->HandleAllocated() ? Owner_->Handle() : nullptr;
}

int TTreeNodes::Count() const
{
    return static_cast<int>(Owner_->Nodes_.size());
}

TTreeNode* TTreeNodes::Item(int index) const
{
    TTreeNode* node = GetFirstNode();
    for (int i = 0; node && i < index; ++i)
        node = node->GetNext();
    if (index < 0 || !node)
        throw CreateFmt<EListError>("List index out of bounds (%d)", {index});
    return node;
}

TTreeNode* TTreeNodes::GetNode(HTREEITEM item) const
{
    if (!item || !Owner_->HandleAllocated())
        return nullptr;
    TVITEMA record{};
    record.mask = TVIF_PARAM | TVIF_HANDLE;
    record.hItem = item;
    if (!Owner_->Perform(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&record)))
        return nullptr;
    auto* node = reinterpret_cast<TTreeNode*>(record.lParam);
    // Only a node of ours that is this item: an item another party put in
    // the window carries data that is no node.
    return Owner_->IsOwnNode(node) && node->ItemId_ == item ? node : nullptr;
}

std::vector<TTreeNode*>& TTreeNodes::SiblingsOf(TTreeNode* parent)
{
    return parent ? parent->Children_ : Roots_;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const std::string& text)
{
    return AddNode(sibling, text, nullptr, naAdd);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const std::string& text, void* data)
{
    return AddNode(sibling, text, data, naAdd);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, const std::string& text)
{
    return AddNode(sibling, text, nullptr, naAddFirst);
}

TTreeNode* TTreeNodes::AddObjectFirst(TTreeNode* sibling, const std::string& text, void* data)
{
    return AddNode(sibling, text, data, naAddFirst);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text)
{
    return AddNode(parent, text, nullptr, naAddChild);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const std::string& text, void* data)
{
    return AddNode(parent, text, data, naAddChild);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const std::string& text)
{
    return AddNode(parent, text, nullptr, naAddChildFirst);
}

TTreeNode* TTreeNodes::AddChildObjectFirst(TTreeNode* parent, const std::string& text, void* data)
{
    return AddNode(parent, text, data, naAddChildFirst);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const std::string& text)
{
    return AddNode(sibling, text, nullptr, naInsert);
}

TTreeNode* TTreeNodes::InsertObject(TTreeNode* sibling, const std::string& text, void* data)
{
    return AddNode(sibling, text, data, naInsert);
}

TTreeNode* TTreeNodes::AddNode(TTreeNode* relative, const std::string& text, void* data, TNodeAttachMode mode)
{
    if (relative && relative->Owner_ != this)
        throw EInvalidOperation("Tree node of another tree");
    Owner_->HandleNeeded();
    TTreeNode* parent = nullptr;
    std::size_t at = 0;
    switch (mode) {
    case naAdd:
        parent = relative ? relative->Parent_ : nullptr;
        at = SiblingsOf(parent).size();
        break;
    case naAddFirst:
        parent = relative ? relative->Parent_ : nullptr;
        break;
    case naAddChild:
        parent = relative;
        at = SiblingsOf(parent).size();
        break;
    case naAddChildFirst:
        parent = relative;
        break;
    case naInsert:
        parent = relative ? relative->Parent_ : nullptr;
        at = relative ? static_cast<std::size_t>(std::max(0, relative->Index())) : 0;
        break;
    }
    const bool sorted = Owner_->SortType() == stText || Owner_->SortType() == stBoth;
    TTreeNode* node = Owner_->CreateNode();
    Owner_->Nodes_.insert(node);
    node->Text_ = text;
    node->Data_ = data;
    node->Parent_ = parent;
    auto& siblings = SiblingsOf(parent);
    if (sorted) {
        // Where the window's sorted insertion puts it: after the last
        // sibling that does not sort after it.
        at = static_cast<std::size_t>(std::upper_bound(siblings.begin(), siblings.end(), node,
                                                       [this](const TTreeNode* a, const TTreeNode* b) {
                                                           return Owner_->CompareNodes(a, b) < 0;
                                                       }) -
                                      siblings.begin());
    }
    at = std::min(at, siblings.size());
    siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(at), node);
    HTREEITEM after = at == 0 ? TVI_FIRST : siblings[at - 1]->ItemId_;
    try {
        InsertItem(node, after);
    } catch (...) {
        Unlink(node);
        node->Free();
        throw;
    }
    if (parent && !parent->HasChildren_)
        parent->HasChildren_ = true;
    return node;
}

void TTreeNodes::InsertItem(TTreeNode* node, HTREEITEM after)
{
    TVINSERTSTRUCTA insert{};
    insert.hParent = node->Parent_ ? node->Parent_->ItemId_ : TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(node->Text_.c_str());
    insert.item.iImage = I_IMAGECALLBACK;
    insert.item.iSelectedImage = I_IMAGECALLBACK;
    insert.item.lParam = reinterpret_cast<LPARAM>(node);
    // Selection and the drop highlight are the window's to give again.
    insert.item.stateMask = TVIS_OVERLAYMASK | TVIS_STATEIMAGEMASK | TVIS_BOLD | TVIS_CUT | TVIS_EXPANDED;
    insert.item.state = node->State_ & insert.item.stateMask;
    insert.item.cChildren = node->HasChildren_ ? 1 : 0;
    const auto item =
        reinterpret_cast<HTREEITEM>(Owner_->Perform(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item)
        throw EOutOfMemory("Failed to create tree view item");
    node->ItemId_ = item;
    HTREEITEM previous = TVI_FIRST;
    for (TTreeNode* child : node->Children_) {
        InsertItem(child, previous);
        previous = child->ItemId_;
    }
}

void TTreeNodes::Unlink(TTreeNode* node)
{
    auto& siblings = SiblingsOf(node->Parent_);
    if (const auto it = std::find(siblings.begin(), siblings.end(), node); it != siblings.end())
        siblings.erase(it);
}

void TTreeNodes::Release(TTreeNode* node)
{
    std::vector<TTreeNode*> children;
    children.swap(node->Children_);
    for (TTreeNode* child : children)
        Release(child);
    node->Free();
}

void TTreeNodes::Delete(TTreeNode* node)
{
    if (!node || node->Owner_ != this)
        return;
    if (node->ItemId_ && Owner_->HandleAllocated()) {
        // The window tells of every item it deletes, children first.
        Owner_->Perform(TVM_DELETEITEM, 0, ItemArg(node->ItemId_));
        return;
    }
    Owner_->DeleteWithoutWindow(node);
}

void TTreeNodes::Clear()
{
    if (Owner_->HandleAllocated()) {
        Owner_->Perform(TVM_DELETEITEM, 0, ItemArg(TVI_ROOT));
        return;
    }
    while (!Roots_.empty())
        Owner_->DeleteWithoutWindow(Roots_.front());
}

void TTreeNodes::BeginUpdate()
{
    if (UpdateCount_++ == 0 && Owner_->HandleAllocated())
        Owner_->Perform(WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate()
{
    if (UpdateCount_ == 0)
        return;
    if (--UpdateCount_ == 0 && Owner_->HandleAllocated()) {
        Owner_->Perform(WM_SETREDRAW, TRUE, 0);
        Owner_->Invalidate();
    }
}

bool TTreeNodes::AlphaSort(bool recurse)
{
    return CustomSort(nullptr, 0, recurse);
}

bool TTreeNodes::CustomSort(TTVCompare compare, LPARAM data, bool recurse)
{
    return Owner_->SortChildren(TVI_ROOT, nullptr, compare, data, recurse);
}

void TTreeNodes::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TTreeNodes*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    BeginUpdate();
    struct End {
        TTreeNodes* Nodes;
        ~End() { Nodes->EndUpdate(); }
    } end{this};
    Clear();
    // Parents are made before their children in the depth-first walk.
    std::vector<std::pair<const TTreeNode*, TTreeNode*>> made;
    for (const TTreeNode* from = other->GetFirstNode(); from; from = from->GetNext()) {
        TTreeNode* parent = nullptr;
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            if (it->first == from->Parent_) {
                parent = it->second;
                break;
            }
        TTreeNode* node = AddChildObject(parent, from->Text(), from->Data());
        node->Assign(const_cast<TTreeNode*>(from));
        made.emplace_back(from, node);
    }
}

} // namespace vcl
