#pragma once
// TCollection and TCollectionItem: an owned, ordered list of items of one
// class, as form files store them (columns, panels, ...).
//
// An item belongs to at most one collection, which owns it: Delete and Clear
// free items, and a collection frees its items with itself. An item made with
// a collection adds itself to it; an item deleted directly takes itself out.
// Each item gets an ID, unique in its collection and never reused.
//
// Changes are reported through Update (item: the one that changed; null:
// the whole collection, after items come, go or move). Between BeginUpdate
// and EndUpdate they are held back, and the last EndUpdate reports one
// Update(null). Notify reports items coming (cnAdded) and going
// (cnDeleting before an item is freed, cnExtracting as it leaves).
//
// C++ builds an object from its base up and takes it down the other way, so
// the collection reports an item only while the whole of it exists: Add
// announces the item after its constructor is done, and Delete and Clear take
// an item out (cnDeleting, cnExtracting) before they free it; its destructor
// then finds it in no collection. An item constructed or deleted directly
// still joins or leaves at once, but Notify sees only its TCollectionItem part.
//
// Both are persistent: a collection copies another with Assign (item by
// item, through the items' own Assign), and its name path is its owner's
// path and the property that holds it ("Form1.ListView1.Columns"), an
// item's that of its collection and its index ("...Columns[2]"). Items are
// made with Create (AfterConstruction runs) and ended with Free.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Classes.h"
#include "vcl/core/Lists.h"
#include "vcl/core/Object.h"

#include <string>

namespace vcl {

class TCollection;
class TCollectionItem;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// The class of a collection's items: its record and the constructor to call,
// as the framework's class references carry both.
struct CORVANE_VCL_EXPORT TCollectionItemClass {
    TClass Class = nullptr;
    TCollectionItem* (*Create)(TCollection* collection) = nullptr;
};

// The item class reference of T, which has a constructor T(TCollection*).
template <class T>
TCollectionItemClass CollectionItemClass()
{
    return {T::StaticClass(),
            [](TCollection* collection) -> TCollectionItem* { return Create<T>(collection); }};
}

class CORVANE_VCL_EXPORT TCollectionItem : public TPersistent {
    VCL_DECLARE_CLASS(TCollectionItem, TPersistent)
public:
    // Adds the item to collection, when there is one.
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;

    TCollection* Collection() const { return Collection_; }
    // Moves the item from its collection (if any) to collection (if any).
    void SetCollection(TCollection* collection);
    int ID() const { return ID_; }
    // The item's place in its collection; -1 without one.
    int Index() const;
    // Moves the item to index; raises EListError for an index out of range.
    void SetIndex(int index);

    // What an editor shows for the item: the class name unless a descendant
    // says better.
    virtual std::string DisplayName() const;
    virtual void SetDisplayName(const std::string& value);

    // The collection's path and the index: "Form1.ListView1.Columns[2]".
    std::string GetNamePath() const override;

protected:
    // Reports a change of this item (allItems: of the whole collection).
    void Changed(bool allItems);
    TPersistent* GetOwner() const override;

private:
    friend class TCollection;
    TCollection* Collection_ = nullptr;
    int ID_ = 0;
};

class CORVANE_VCL_EXPORT TCollection : public TPersistent {
    VCL_DECLARE_CLASS(TCollection, TPersistent)
public:
    explicit TCollection(TCollectionItemClass itemClass, TObject* owner = nullptr);
    ~TCollection() override;
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    // Makes an item of the item class at the end.
    TCollectionItem* Add();
    // Makes an item of the item class at index (0 .. Count).
    TCollectionItem* Insert(int index);
    // Frees the item at index.
    void Delete(int index);
    // Frees every item.
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    // The item with that ID, or null.
    TCollectionItem* FindItemID(int id) const;
    // Another collection's items, copied with the items' Assign; anything
    // else is TPersistent's business.
    void Assign(TPersistent* source) override;
    // The owner's path and the owner's published property that holds this
    // collection; the class name without an owner.
    std::string GetNamePath() const override;

    int Count() const { return Items_.Count(); }
    TCollectionItem* Items(int index) const { return static_cast<TCollectionItem*>(Items_.Items(index)); }
    TCollectionItem* operator[](int index) const { return Items(index); }
    const TCollectionItemClass& ItemClass() const { return ItemClass_; }
    // The object that holds the collection (a control, a component), or null.
    TObject* Owner() const { return Owner_; }
    int UpdateCount() const { return UpdateCount_; }
    int NextID() const { return NextID_; }

protected:
    // Reports a change of the whole collection, unless held back.
    void Changed();
    TPersistent* GetOwner() const override;
    // A change to report: item, or null for the whole collection.
    virtual void Update(TCollectionItem* item);
    virtual void Notify(TCollectionItem* item, TCollectionNotification action);
    // Lets a design-time collection name a new item.
    virtual void SetItemName(TCollectionItem* item);

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    void Announce(TCollectionItem* item);
    // Takes the item out, reporting it, and frees it.
    void FreeItem(TCollectionItem* item);

    TCollectionItemClass ItemClass_;
    TObject* Owner_;
    TList Items_;
    int UpdateCount_ = 0;
    int NextID_ = 0;
    // The item Add is making: it is announced once its constructor is done,
    // so that Notify and Update never see it half made.
    TCollectionItem* Making_ = nullptr;
    bool Adding_ = false;
};

// A collection that names its owner (the framework's TOwnedCollection).
class CORVANE_VCL_EXPORT TOwnedCollection : public TCollection {
    VCL_DECLARE_CLASS(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TObject* owner, TCollectionItemClass itemClass) : TCollection(itemClass, owner) {}
};

} // namespace vcl
