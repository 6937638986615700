// Item id list containers: TKwIdListArray (a list as an array of its items
// and ancestors) and TKwPidlList (lists with objects, optionally sorted in
// the shell's order).

#include "UKwShellUtils.h"
#include "UKwShellUtils_p.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/Lists.h"
#include "vcl/core/SafeSort.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

namespace kw {

namespace {

const BYTE* Bytes(const ITEMIDLIST* pidl)
{
    return reinterpret_cast<const BYTE*>(pidl);
}

// The byte order of two lists, terminator included: the first differing
// byte decides, else the shorter list sorts first.
int CompareListBytes(const ITEMIDLIST* x, const ITEMIDLIST* y)
{
    const int lengthX = IdListLen(x);
    const int lengthY = IdListLen(y);
    const int common = std::min(lengthX, lengthY);
    const BYTE* bx = Bytes(x);
    const BYTE* by = Bytes(y);
    for (int i = 0; i < common; ++i)
        if (bx[i] != by[i])
            return static_cast<int>(bx[i]) - static_cast<int>(by[i]);
    return lengthX - lengthY;
}

// The framework list's own error texts, "%d" replaced by the index.
std::string ListErrorText(const char* format, int data)
{
    std::string text = format;
    if (const size_t at = text.find("%d"); at != std::string::npos)
        text.replace(at, 2, std::to_string(data));
    return text;
}

} // namespace

// ---- TKwIdListArray ----

TKwIdListArray::TKwIdListArray(const ITEMIDLIST* list) : Source_(list) {}

TKwIdListArray::~TKwIdListArray()
{
    FreeLastResult();
}

void TKwIdListArray::FreeLastResult()
{
    ShellMemFree(LastResult_);
    LastResult_ = nullptr;
}

int TKwIdListArray::GetCount() const
{
    if (!Source_)
        return 0;
    const BYTE* p = Bytes(Source_);
    int count = 0;
    while (const unsigned size = detail::ReadItemCount(p)) {
        p += size;
        ++count;
    }
    return count;
}

PItemIDList TKwIdListArray::GetItem(int index)
{
    FreeLastResult();
    const int count = GetCount();
    if (!Source_ || index < 0 || (index >= count && count != 0))
        throw vcl::Exception("TKwIdListArray - index " + std::to_string(index) + " out of range");
    const BYTE* p = Bytes(Source_);
    for (int i = 0; i < index; ++i) {
        const unsigned size = detail::ReadItemCount(p);
        if (size == 0)
            return nullptr; // an empty source has no item past 0
        p += size;
    }
    const unsigned size = detail::ReadItemCount(p);
    auto* item = static_cast<BYTE*>(ShellMemAlloc(size + 2));
    if (!item)
        return nullptr;
    std::memcpy(item, p, size);
    detail::WriteTerminator(item + size);
    LastResult_ = reinterpret_cast<PItemIDList>(item);
    return LastResult_;
}

PItemIDList TKwIdListArray::GoUp(int levels)
{
    FreeLastResult();
    if (!Source_)
        return nullptr;
    const long long target = static_cast<long long>(GetCount()) - levels;
    if (target < 0)
        return nullptr;
    const BYTE* p = Bytes(Source_);
    size_t sum = 0;
    long long index = 0;
    while (index < target) {
        const unsigned size = detail::ReadItemCount(p + sum);
        if (size == 0)
            return nullptr; // fewer items than levels asks to keep
        sum += size;
        ++index;
    }
    auto* ancestor = static_cast<BYTE*>(ShellMemAlloc(static_cast<ULONG>(sum + 2)));
    if (!ancestor)
        return nullptr;
    std::memcpy(ancestor, p, sum);
    detail::WriteTerminator(ancestor + sum);
    LastResult_ = reinterpret_cast<PItemIDList>(ancestor);
    return LastResult_;
}

// ---- TKwPidlList ----

TKwPidlList::~TKwPidlList()
{
    Clear();
}

void TKwPidlList::CheckIndex(int index, int limit) const
{
    if (index < 0 || index >= limit)
        throw vcl::EListError(ListErrorText("List index out of bounds (%d)", index));
}

int TKwPidlList::Compare(const ITEMIDLIST* x, const ITEMIDLIST* y) const
{
    if (ShellFolder_) {
        const HRESULT hr = ShellFolder_->CompareIDs(0, x, y);
        if (SUCCEEDED(hr))
            return static_cast<SHORT>(HRESULT_CODE(hr));
        // An error code is no order: the bytes decide instead.
    }
    return CompareListBytes(x, y);
}

int TKwPidlList::Add(PItemIDList pidl)
{
    return AddObject(pidl, nullptr);
}

int TKwPidlList::AddObject(PItemIDList pidl, vcl::TObject* object)
{
    int index = GetCount();
    if (Sorted_ && BinarySearch(pidl, index)) {
        switch (Duplicates_) {
        case kwdupIgnore:
            return index;
        case kwdupError:
            throw vcl::Exception("TKwPidlList: Duplicate PIDL");
        case kwdupAccept:
            break;
        }
    }
    InsertObject(index, pidl, object);
    return index;
}

void TKwPidlList::Insert(int index, PItemIDList pidl)
{
    InsertObject(index, pidl, nullptr);
}

void TKwPidlList::InsertObject(int index, PItemIDList pidl, vcl::TObject* object)
{
    CheckIndex(index, GetCount() + 1);
    Entries_.insert(Entries_.begin() + index, Entry{pidl, object});
    ++Changes_;
}

PItemIDList TKwPidlList::GetPIDL(int index) const
{
    CheckIndex(index, GetCount());
    return Entries_[static_cast<size_t>(index)].Pidl;
}

void TKwPidlList::SetPIDL(int index, PItemIDList pidl)
{
    CheckIndex(index, GetCount());
    Entries_[static_cast<size_t>(index)].Pidl = pidl;
    ++Changes_;
}

vcl::TObject* TKwPidlList::GetObject(int index) const
{
    CheckIndex(index, GetCount());
    return Entries_[static_cast<size_t>(index)].Object;
}

void TKwPidlList::SetObject(int index, vcl::TObject* object)
{
    CheckIndex(index, GetCount());
    Entries_[static_cast<size_t>(index)].Object = object;
    ++Changes_;
}

int TKwPidlList::GetCount() const
{
    return static_cast<int>(Entries_.size());
}

int TKwPidlList::GetCapacity() const
{
    return static_cast<int>(std::min<size_t>(Entries_.capacity(), INT_MAX));
}

void TKwPidlList::SetCapacity(int value)
{
    // The framework list's bounds: an absurd capacity is its error, not an
    // attempt to allocate it.
    if (value < GetCount() || value > vcl::MaxListSize)
        throw vcl::EListError(ListErrorText("List capacity out of bounds (%d)", value));
    if (static_cast<size_t>(value) == Entries_.capacity())
        return;
    // Moved into storage of exactly the size asked for, so a smaller
    // capacity is kept as set rather than cut to the count.
    std::vector<Entry> resized;
    resized.reserve(static_cast<size_t>(value));
    resized.assign(Entries_.begin(), Entries_.end());
    Entries_.swap(resized);
}

void TKwPidlList::SetSorted(bool value)
{
    if (value == Sorted_)
        return;
    Sorted_ = value;
    if (value)
        Sort();
}

void TKwPidlList::Sort()
{
    // The framework's sort: memory-safe whatever the folder answers, and a
    // comparison that raises leaves the entries as they were. It works on a
    // copy, and a comparison that changes the list (a folder that re-enters
    // it) ends the sort there: its stale result must not be written over the
    // entries, nor may lists the change freed be compared again.
    struct ListChanged {};
    const unsigned start = Changes_;
    std::vector<Entry> sorted(Entries_);
    try {
        vcl::SafeSort(sorted.data(), sorted.size(), [this, start](const Entry& a, const Entry& b) {
            const int order = Compare(a.Pidl, b.Pidl);
            if (Changes_ != start)
                throw ListChanged{};
            return order;
        });
    } catch (const ListChanged&) {
        return;
    }
    Entries_.swap(sorted);
    ++Changes_;
}

bool TKwPidlList::BinarySearch(const ITEMIDLIST* pidl, int& index) const
{
    const unsigned start = Changes_;
    int low = 0;
    int high = GetCount() - 1;
    bool found = false;
    while (low <= high) {
        const int middle = static_cast<int>((static_cast<unsigned>(low) + static_cast<unsigned>(high)) >> 1);
        const int order = Compare(Entries_[static_cast<size_t>(middle)].Pidl, pidl);
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle - 1;
            if (order == 0) {
                found = true;
                if (Duplicates_ != kwdupAccept)
                    low = middle;
            }
        }
        // A comparison that changed the list under the search (a folder that
        // re-enters it) must not lead it past the entries there are now.
        if (Changes_ != start) {
            low = std::min(low, GetCount());
            high = std::min(high, GetCount() - 1);
        }
    }
    index = low;
    return found;
}

bool TKwPidlList::LinearSearch(const ITEMIDLIST* pidl, int& index) const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (Compare(Entries_[static_cast<size_t>(i)].Pidl, pidl) == 0) {
            index = i;
            return true;
        }
    }
    return false;
}

int TKwPidlList::IndexOf(const ITEMIDLIST* pidl) const
{
    int index = -1;
    const bool found = Sorted_ ? BinarySearch(pidl, index) : LinearSearch(pidl, index);
    return found ? index : -1;
}

void TKwPidlList::Delete(int index)
{
    CheckIndex(index, GetCount());
    const auto at = Entries_.begin() + index;
    if (Malloc_)
        Malloc_->Free(at->Pidl);
    Entries_.erase(at);
    ++Changes_;
}

void TKwPidlList::Clear()
{
    // Taken out first, so a list freed here is never seen again through
    // this container.
    std::vector<Entry> entries;
    entries.swap(Entries_);
    ++Changes_;
    if (Malloc_)
        for (const Entry& entry : entries)
            Malloc_->Free(entry.Pidl);
}

} // namespace kw
