#include "vcl/core/Collections.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/TypInfo.h"

#include <utility>

namespace vcl {

// ---- TCollectionItem ----

TCollectionItem::TCollectionItem(TCollection* collection)
{
    // The class cannot be checked here: until the constructor is done the
    // item is only a TCollectionItem.
    if (collection)
        collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem()
{
    if (Collection_)
        Collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (collection == Collection_)
        return;
    if (collection && collection->ItemClass_.Class && !InheritsFrom(collection->ItemClass_.Class))
        throw EInvalidOperation("Invalid property value");
    if (Collection_)
        Collection_->RemoveItem(this);
    if (collection)
        collection->InsertItem(this);
}

int TCollectionItem::Index() const
{
    return Collection_ ? Collection_->Items_.IndexOf(const_cast<TCollectionItem*>(this)) : -1;
}

void TCollectionItem::SetIndex(int index)
{
    const int current = Index();
    if (current < 0 || current == index)
        return;
    Collection_->Items_.Move(current, index);
    Changed(true);
}

std::string TCollectionItem::DisplayName() const
{
    return ClassName();
}

void TCollectionItem::SetDisplayName(const std::string&)
{
    Changed(false);
}

std::string TCollectionItem::GetNamePath() const
{
    if (!Collection_)
        return ClassName();
    return Collection_->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

TPersistent* TCollectionItem::GetOwner() const
{
    return Collection_;
}

void TCollectionItem::Changed(bool allItems)
{
    if (Collection_ && Collection_->UpdateCount_ == 0)
        Collection_->Update(allItems ? nullptr : this);
}

// ---- TCollection ----

TCollection::TCollection(TCollectionItemClass itemClass, TObject* owner)
    : ItemClass_(itemClass), Owner_(owner)
{
}

TCollection::~TCollection()
{
    // Nothing is reported any more: a descendant's overrides are gone.
    UpdateCount_ = 1;
    Making_ = nullptr;
    while (Items_.Count() > 0) {
        auto* item = static_cast<TCollectionItem*>(Items_.Last());
        Items_.Delete(Items_.Count() - 1);
        item->Collection_ = nullptr;
        item->Free();
    }
}

TCollectionItem* TCollection::Add()
{
    if (!ItemClass_.Create)
        throw EInvalidOperation("TCollection: no item class to make an item of");
    // Saved and restored, since an item's constructor may itself add items.
    const bool wasAdding = std::exchange(Adding_, true);
    TCollectionItem* const wasMaking = std::exchange(Making_, nullptr);
    TCollectionItem* item = nullptr;
    try {
        item = ItemClass_.Create(this);
    } catch (...) {
        Adding_ = wasAdding;
        Making_ = wasMaking;
        throw;
    }
    TCollectionItem* const made = Making_;
    Adding_ = wasAdding;
    Making_ = wasMaking;
    if (item && made == item)
        Announce(item);
    else if (item && item->Collection_ != this)
        item->SetCollection(this); // a constructor that ignored its collection
    return item;
}

TCollectionItem* TCollection::Insert(int index)
{
    if (index < 0 || index > Count())
        TList::Error("List index out of bounds (%d)", index);
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index)
{
    FreeItem(Items(index));
}

void TCollection::Clear()
{
    if (Count() == 0)
        return;
    BeginUpdate();
    try {
        while (Count() > 0)
            FreeItem(Items(Count() - 1));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::BeginUpdate()
{
    ++UpdateCount_;
}

void TCollection::EndUpdate()
{
    if (UpdateCount_ == 0)
        return;
    --UpdateCount_;
    Changed();
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->ID_ == id)
            return Items(i);
    return nullptr;
}

void TCollection::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    BeginUpdate();
    try {
        Clear();
        for (int i = 0; i < other->Count(); ++i)
            Add()->Assign(other->Items(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TPersistent* TCollection::GetOwner() const
{
    return dynamic_cast<TPersistent*>(Owner_);
}

std::string TCollection::GetNamePath() const
{
    TPersistent* owner = GetOwner();
    if (!owner)
        return ClassName();
    const std::string ownerPath = owner->GetNamePath();
    if (ownerPath.empty())
        return ClassName();
    for (const TPropInfo* prop : GetPropList(owner->ClassType()))
        if (prop->PropType->Kind == tkClass && prop->GetObject(owner) == this)
            return ownerPath + "." + prop->Name;
    return ownerPath + "." + ClassName();
}

void TCollection::Changed()
{
    if (UpdateCount_ == 0)
        Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::SetItemName(TCollectionItem*) {}

void TCollection::InsertItem(TCollectionItem* item)
{
    Items_.Add(item);
    item->Collection_ = this;
    item->ID_ = NextID_++;
    SetItemName(item);
    if (Adding_ && !Making_)
        Making_ = item; // announced by Add once it is whole
    else
        Announce(item);
}

void TCollection::Announce(TCollectionItem* item)
{
    Notify(item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    if (item == Making_) {
        // Its constructor failed: it was never announced, so it goes quietly.
        Making_ = nullptr;
        Items_.Remove(item);
        item->Collection_ = nullptr;
        return;
    }
    Notify(item, cnExtracting);
    Items_.Remove(item);
    item->Collection_ = nullptr;
    Changed();
}

void TCollection::FreeItem(TCollectionItem* item)
{
    Notify(item, cnDeleting);
    // Taken out while still whole, so that Notify and Update see all of it.
    if (item->Collection_ == this)
        RemoveItem(item);
    item->Free();
}

} // namespace vcl
