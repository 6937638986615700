#include "win32/AddressedBlocks_p.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace win32::detail {

void* AllocateRaw(SIZE_T bytes, bool zero)
{
    if (bytes > kMaxHeapBlock)
        return nullptr;
    void* p = zero ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
    return p;
}

void* MoveRaw(void* block, SIZE_T oldBytes, SIZE_T bytes, bool zero)
{
    void* moved = AllocateRaw(bytes, false);
    if (!moved)
        return nullptr;
    const SIZE_T kept = oldBytes < bytes ? oldBytes : bytes;
    if (kept)
        std::memcpy(moved, block, kept);
    if (zero && bytes > kept)
        std::memset(static_cast<char*>(moved) + kept, 0, bytes - kept);
    std::free(block);
    return moved;
}

void* AddressedBlocks::Allocate(SIZE_T bytes, bool zero)
{
    void* p = AllocateRaw(bytes, zero);
    if (!p)
        return nullptr;
    try {
        std::lock_guard lock(Mutex_);
        Blocks_.emplace(p, Block{bytes, bytes});
    } catch (const std::bad_alloc&) {
        std::free(p);
        return nullptr;
    }
    return p;
}

bool AddressedBlocks::Free(void* block)
{
    {
        std::lock_guard lock(Mutex_);
        if (Blocks_.erase(block) == 0)
            return false;
    }
    std::free(block);
    return true;
}

std::optional<SIZE_T> AddressedBlocks::Size(void* block) const
{
    std::lock_guard lock(Mutex_);
    const auto it = Blocks_.find(block);
    if (it == Blocks_.end())
        return std::nullopt;
    return it->second.Size;
}

void* AddressedBlocks::Resize(void* block, SIZE_T bytes, bool mayMove, bool zero, bool* known)
{
    std::lock_guard lock(Mutex_);
    const auto it = Blocks_.find(block);
    *known = it != Blocks_.end();
    if (!*known)
        return nullptr;
    Block& held = it->second;
    if (bytes <= held.Capacity) {
        if (zero && bytes > held.Size)
            std::memset(static_cast<char*>(block) + held.Size, 0, bytes - held.Size);
        held.Size = bytes;
        return block;
    }
    if (!mayMove)
        return nullptr;
    void* moved = MoveRaw(block, held.Size, bytes, zero);
    if (!moved)
        return nullptr;
    // The entry's node is reused, so recording the new address cannot fail.
    auto node = Blocks_.extract(it);
    node.key() = moved;
    node.mapped() = Block{bytes, bytes};
    Blocks_.insert(std::move(node));
    return moved;
}

std::size_t AddressedBlocks::Count() const
{
    std::lock_guard lock(Mutex_);
    return Blocks_.size();
}

} // namespace win32::detail
