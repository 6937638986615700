#pragma once
// The one sort of the framework: a stable merge sort driven by a three-way
// comparator (negative: a goes first, zero: equal, positive: b goes first).
//
// Comparators come from applications and cannot be trusted to be a strict
// weak order: one may be inconsistent, non-transitive or random. Introsort
// (std::sort) runs off the ends of its range for such a comparator; a merge
// sort only ever compares elements inside the bounds it holds, so whatever
// the comparator answers, the result is a permutation of the input and no
// element is read or written out of range. For an honest comparator the
// result is sorted, and equal elements keep their order.
//
// The work is done on a copy: if the comparator raises, the range is left as
// it was.

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace vcl {

namespace detail {

// Runs shorter than this are sorted by insertion before merging.
inline constexpr std::size_t kInsertionRun = 16;

template <class T, class Compare>
void InsertionSortRun(std::vector<T>& a, std::size_t lo, std::size_t hi, Compare& compare)
{
    for (std::size_t i = lo + 1; i < hi; ++i) {
        // Its place among those before it by halving (after every equal
        // one: stability), then moved there; the search never leaves
        // [lo, i), whatever the comparator answers. A comparator that raises
        // leaves only the work copy half done.
        std::size_t first = lo;
        std::size_t last = i;
        while (first < last) {
            const std::size_t mid = first + (last - first) / 2;
            if (compare(a[i], a[mid]) < 0)
                last = mid;
            else
                first = mid + 1;
        }
        if (first < i)
            std::rotate(a.begin() + static_cast<std::ptrdiff_t>(first),
                        a.begin() + static_cast<std::ptrdiff_t>(i),
                        a.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    }
}

template <class T, class Compare>
void MergeRuns(const std::vector<T>& from, std::vector<T>& to, std::size_t lo, std::size_t mid,
               std::size_t hi, Compare& compare)
{
    std::size_t i = lo;
    std::size_t j = mid;
    std::size_t out = lo;
    while (i < mid && j < hi) {
        // Take from the right only when it is strictly smaller: stability.
        if (compare(from[j], from[i]) < 0)
            to[out++] = from[j++];
        else
            to[out++] = from[i++];
    }
    while (i < mid)
        to[out++] = from[i++];
    while (j < hi)
        to[out++] = from[j++];
}

} // namespace detail

// Sorts items[0 .. count) with compare(a, b) returning an int-like value.
template <class T, class Compare>
void SafeSort(T* items, std::size_t count, Compare compare)
{
    if (count < 2)
        return;
    std::vector<T> work(items, items + count);
    for (std::size_t lo = 0; lo < count; lo += detail::kInsertionRun)
        detail::InsertionSortRun(work, lo, std::min(count, lo + detail::kInsertionRun), compare);

    std::vector<T> other(work.size());
    for (std::size_t width = detail::kInsertionRun; width < count; width *= 2) {
        for (std::size_t lo = 0; lo < count; lo += 2 * width) {
            const std::size_t mid = std::min(count, lo + width);
            const std::size_t hi = std::min(count, lo + 2 * width);
            detail::MergeRuns(work, other, lo, mid, hi, compare);
        }
        work.swap(other);
    }
    for (std::size_t i = 0; i < count; ++i)
        items[i] = std::move(work[i]);
}

} // namespace vcl
