#pragma once
// The heap behind the blocks whose handle is their address: local blocks and
// fixed global blocks. Live blocks are tracked, so a pointer that is not one
// (freed twice, or never allocated here) is refused instead of freed.
// Not installed: callers use win32/LocalMemory.h and win32/GlobalMemory.h.

#include "win32/WinTypes.h"

#include <cstddef>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace win32::detail {

// Requests above this are answered as an exhausted heap would, before the C
// heap is asked (a sanitizer's heap aborts on absurd sizes instead).
inline constexpr SIZE_T kMaxHeapBlock = SIZE_T{1} << 40;

// A raw block of at least one byte (so an empty block is still distinct),
// zero-filled when asked; null when the heap is exhausted.
void* AllocateRaw(SIZE_T bytes, bool zero);

// A block of bytes bytes holding the first min(bytes, old size) bytes of
// block, the rest zeroed when asked; block is freed once copied. Null (block
// untouched) when the heap is exhausted.
void* MoveRaw(void* block, SIZE_T oldBytes, SIZE_T bytes, bool zero);

class AddressedBlocks {
public:
    // Null when the heap is exhausted.
    void* Allocate(SIZE_T bytes, bool zero);
    // False when block is not live.
    bool Free(void* block);
    // The size asked for, or nothing for a block that is not live.
    std::optional<SIZE_T> Size(void* block) const;
    bool Contains(void* block) const { return Size(block).has_value(); }
    // Resizes a live block: in place when it shrinks, else only when mayMove
    // (the address changes). Null when the block is not live (*known false),
    // may not move, or the heap is exhausted; the block then stays as it was.
    void* Resize(void* block, SIZE_T bytes, bool mayMove, bool zero, bool* known);
    std::size_t Count() const;

private:
    struct Block {
        SIZE_T Size;     // asked for
        SIZE_T Capacity; // allocated
    };
    mutable std::mutex Mutex_;
    std::unordered_map<void*, Block> Blocks_;
};

} // namespace win32::detail
