#include "vcl/core/Lists.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/SafeSort.h"

#include <algorithm>

namespace vcl {
namespace {

constexpr const char* kListIndexError = "List index out of bounds (%d)";
constexpr const char* kListCapacityError = "List capacity out of bounds (%d)";
constexpr const char* kListCountError = "List count out of bounds (%d)";

} // namespace

TList::~TList() = default;

void TList::Error(const std::string& msg, int data)
{
    std::string text = msg;
    const auto at = text.find("%d");
    if (at != std::string::npos)
        text.replace(at, 2, std::to_string(data));
    throw EListError(std::move(text));
}

void TList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count_)
        Error(kListIndexError, index);
}

void* TList::Get(int index) const
{
    CheckIndex(index);
    return Slots_[static_cast<size_t>(index)];
}

void TList::Put(int index, void* item)
{
    CheckIndex(index);
    void*& slot = Slots_[static_cast<size_t>(index)];
    if (slot == item)
        return;
    void* old = slot;
    slot = item;
    if (old)
        Notify(old, lnDeleted);
    if (item)
        Notify(item, lnAdded);
}

void TList::Grow()
{
    const int capacity = Capacity();
    const int delta = capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
    SetCapacity(std::min(MaxListSize, capacity + delta));
}

void TList::MakeRoomForOne()
{
    if (Count_ < Capacity())
        return;
    Grow();
    if (Count_ >= Capacity())
        SetCapacity(Count_ + 1);
}

void TList::SetCapacity(int newCapacity)
{
    if (newCapacity < Count_ || newCapacity > MaxListSize)
        Error(kListCapacityError, newCapacity);
    if (newCapacity != Capacity())
        Slots_.resize(static_cast<size_t>(newCapacity), nullptr);
}

void TList::SetCount(int newCount)
{
    if (newCount < 0 || newCount > MaxListSize)
        Error(kListCountError, newCount);
    if (newCount > Capacity())
        SetCapacity(newCount);
    if (newCount > Count_) {
        std::fill(Slots_.begin() + Count_, Slots_.begin() + newCount, nullptr);
        Count_ = newCount;
        return;
    }
    // One at a time from the end, so that each item is notified with the list
    // already consistent.
    while (Count_ > newCount)
        Delete(Count_ - 1);
}

int TList::Add(void* item)
{
    const int index = Count_;
    if (index == MaxListSize)
        Error(kListCountError, index + 1);
    MakeRoomForOne();
    Slots_[static_cast<size_t>(index)] = item;
    ++Count_;
    if (item)
        Notify(item, lnAdded);
    return index;
}

void TList::Insert(int index, void* item)
{
    if (index < 0 || index > Count_)
        Error(kListIndexError, index);
    if (Count_ == MaxListSize)
        Error(kListCountError, Count_ + 1);
    MakeRoomForOne();
    const auto at = Slots_.begin() + index;
    std::move_backward(at, Slots_.begin() + Count_, Slots_.begin() + Count_ + 1);
    *at = item;
    ++Count_;
    if (item)
        Notify(item, lnAdded);
}

void TList::Delete(int index)
{
    CheckIndex(index);
    void* item = Slots_[static_cast<size_t>(index)];
    std::move(Slots_.begin() + index + 1, Slots_.begin() + Count_, Slots_.begin() + index);
    --Count_;
    Slots_[static_cast<size_t>(Count_)] = nullptr;
    if (item)
        Notify(item, lnDeleted);
}

int TList::Remove(void* item)
{
    const int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

void* TList::Extract(void* item)
{
    const int index = IndexOf(item);
    if (index < 0)
        return nullptr;
    // Emptied first, so that Delete does not report it as deleted.
    Slots_[static_cast<size_t>(index)] = nullptr;
    Delete(index);
    if (item)
        Notify(item, lnExtracted);
    return item;
}

int TList::IndexOf(void* item) const
{
    const auto end = Slots_.begin() + Count_;
    const auto found = std::find(Slots_.begin(), end, item);
    return found == end ? -1 : static_cast<int>(found - Slots_.begin());
}

void TList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(Slots_[static_cast<size_t>(index1)], Slots_[static_cast<size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex)
{
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    const auto cur = Slots_.begin() + curIndex;
    const auto dest = Slots_.begin() + newIndex;
    if (curIndex < newIndex)
        std::rotate(cur, cur + 1, dest + 1);
    else if (curIndex > newIndex)
        std::rotate(dest, cur, cur + 1);
}

void TList::Clear()
{
    SetCount(0);
    SetCapacity(0);
}

void TList::Pack()
{
    for (int i = Count_ - 1; i >= 0; --i) {
        if (i < Count_ && !Slots_[static_cast<size_t>(i)])
            Delete(i);
    }
}

void* TList::First() const
{
    return Get(0);
}

void* TList::Last() const
{
    return Get(Count_ - 1);
}

TList* TList::Expand()
{
    MakeRoomForOne();
    return this;
}

void TList::Sort(TListSortCompare compare)
{
    if (!compare)
        throw EListError("TList.Sort: no comparator");
    if (Count_ < 2)
        return;
    std::vector<void*> sorted(Slots_.begin(), Slots_.begin() + Count_);
    SafeSort(sorted.data(), sorted.size(), [compare](void* a, void* b) { return compare(a, b); });
    // A comparator that changed the list has left it in no defined order;
    // only the slots still in the list are written.
    const size_t n = std::min(sorted.size(), static_cast<size_t>(Count_));
    std::copy_n(sorted.begin(), n, Slots_.begin());
}

void TList::Assign(const TList& source)
{
    if (&source == this)
        return;
    Clear();
    SetCapacity(source.Count());
    for (int i = 0; i < source.Count(); ++i)
        Add(source.Slots_[static_cast<size_t>(i)]);
}

void TList::Notify(void*, TListNotification) {}

} // namespace vcl
