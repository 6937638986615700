#pragma once
// TList: the framework's list of untyped pointers.
//
// Indexes are checked on every access: a bad one raises EListError
// ("List index out of bounds (%d)"). Capacity is what the list has room for
// without growing; it can be set, but never below Count. Setting Count grows
// the list with nulls or deletes from the end.
//
// A descendant that wants to know about items coming and going overrides
// Notify. TList calls it for non-null items only: lnAdded after Add and
// Insert, lnDeleted after Delete (and Clear, Pack, a smaller Count), and
// lnExtracted after Extract. The destructor clears the list, but by then a
// descendant's Notify is gone: a descendant that must see its items go clears
// the list in its own destructor.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Object.h"

#include <string>
#include <vector>

namespace vcl {

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Negative: item1 goes first; zero: equal; positive: item2 goes first.
using TListSortCompare = int (*)(void* item1, void* item2);

// The largest count or capacity a list takes.
inline constexpr int MaxListSize = 0x7FFFFFFF / 16;

class CORVANE_VCL_EXPORT TList : public TObject {
    VCL_DECLARE_CLASS(TList, TObject)
public:
    TList() = default;
    ~TList() override;
    TList(const TList&) = delete;
    TList& operator=(const TList&) = delete;

    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    // Deletes the first occurrence of item; returns its index, or -1.
    int Remove(void* item);
    // Takes the first occurrence of item out without deleting it (lnExtracted);
    // returns the item, or null when it is not in the list.
    void* Extract(void* item);
    int IndexOf(void* item) const;
    void Exchange(int index1, int index2);
    // Moves the item at curIndex to newIndex; no notification.
    void Move(int curIndex, int newIndex);
    virtual void Clear();
    // Deletes every null item.
    void Pack();
    void* First() const;
    void* Last() const;
    // Makes room for at least one more item; returns this list.
    TList* Expand();
    // Sorts with any comparator: one that lies (inconsistent, non-transitive,
    // random) leaves the items in some order, never out of bounds. A
    // comparator that raises leaves the list as it was. Equal items keep their
    // order.
    void Sort(TListSortCompare compare);
    // Makes this list a copy of source's items (notifying the removals and the
    // additions).
    void Assign(const TList& source);

    int Capacity() const { return static_cast<int>(Slots_.size()); }
    void SetCapacity(int newCapacity);
    int Count() const { return Count_; }
    void SetCount(int newCount);
    void* Items(int index) const { return Get(index); }
    void SetItems(int index, void* item) { Put(index, item); }
    void* operator[](int index) const { return Get(index); }
    // The storage itself (valid until the list next grows or shrinks).
    void* const* List() const { return Slots_.data(); }

    // Raises EListError with msg formatted around data ("%d" is replaced).
    [[noreturn]] static void Error(const std::string& msg, int data);

protected:
    void* Get(int index) const;
    void Put(int index, void* item);
    virtual void Grow();
    virtual void Notify(void* item, TListNotification action);

private:
    void CheckIndex(int index) const;
    // Grow when full; and when a descendant's Grow made no room, room for one.
    void MakeRoomForOne();

    std::vector<void*> Slots_; // its size is the capacity
    int Count_ = 0;
};

} // namespace vcl
