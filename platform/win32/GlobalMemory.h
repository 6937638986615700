#pragma once
// The global heap: the blocks data transfer hands from one party to another
// (clipboard and drag-and-drop media, their file-drop and item lists).
//
// A fixed block (GMEM_FIXED, GPTR) is its own handle: its address, as the
// platform gives it. A moveable block (GMEM_MOVEABLE, GHND) is known by a
// generation-checked handle that is never an address; GlobalLock gives its
// address and counts the lock, GlobalUnlock counts it down. Live blocks of
// both kinds are tracked, so a handle that is not a live block (freed twice,
// stale, never allocated here) is refused with ERROR_INVALID_HANDLE and
// never dereferenced.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_NOCOMPACT = 0x0010;
constexpr UINT GMEM_NODISCARD = 0x0020;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_MODIFY = 0x0080;
constexpr UINT GMEM_DISCARDABLE = 0x0100;
constexpr UINT GMEM_NOT_BANKED = 0x1000;
constexpr UINT GMEM_SHARE = 0x2000;
constexpr UINT GMEM_DDESHARE = 0x2000;
constexpr UINT GMEM_NOTIFY = 0x4000;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// A new block of bytes bytes (a block of 0 bytes is a valid, distinct block).
// The flags that only mattered to older heaps (GMEM_SHARE, GMEM_DDESHARE,
// GMEM_NOCOMPACT, GMEM_NODISCARD, GMEM_DISCARDABLE, GMEM_NOT_BANKED,
// GMEM_NOTIFY) are accepted and change nothing: blocks are never discarded.
// NULL with ERROR_INVALID_PARAMETER for unknown flags (GMEM_MODIFY among
// them), ERROR_NOT_ENOUGH_MEMORY when no memory is left.
CORVANE_PLATFORM_EXPORT HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);

// Changes the size of a block (GMEM_ZEROINIT zeroes what it grows by).
// A block that shrinks stays where it is. A block that grows may move when
// it is moveable and unlocked, or when flags hold GMEM_MOVEABLE (a locked
// block's earlier addresses are then stale); otherwise growing fails. Returns
// the block's handle (a moved fixed block's new address), or NULL with
// ERROR_NOT_ENOUGH_MEMORY (the block stays as it was), ERROR_INVALID_HANDLE,
// or ERROR_INVALID_PARAMETER for GMEM_MODIFY or unknown flags.
CORVANE_PLATFORM_EXPORT HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);

// NULL on success (and for NULL), also for a block still locked; the handle
// itself, with ERROR_INVALID_HANDLE, when it is not a live block.
CORVANE_PLATFORM_EXPORT HGLOBAL GlobalFree(HGLOBAL block);

// The size asked for (by the allocation or the last reallocation); 0 with
// ERROR_INVALID_HANDLE for a handle that is not a live block.
CORVANE_PLATFORM_EXPORT SIZE_T GlobalSize(HGLOBAL block);

// The block's address (its handle for a fixed block); a moveable block's
// lock count goes up. NULL with ERROR_INVALID_HANDLE.
CORVANE_PLATFORM_EXPORT LPVOID GlobalLock(HGLOBAL block);

// Counts a moveable block's lock down: TRUE while it stays locked; FALSE with
// ERROR_SUCCESS once unlocked, ERROR_NOT_LOCKED when it was not locked.
// Fixed blocks are never locked: FALSE with ERROR_SUCCESS. FALSE with
// ERROR_INVALID_HANDLE for a handle that is not a live block.
CORVANE_PLATFORM_EXPORT BOOL GlobalUnlock(HGLOBAL block);

namespace win32 {

// A global block locked for as long as this lives: its address and size, or
// null and 0 for a handle that is not a live block.
class CORVANE_PLATFORM_EXPORT LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL block) : Block_(block), Data_(GlobalLock(block))
    {
        Size_ = Data_ ? GlobalSize(block) : 0;
    }
    ~LockedGlobal()
    {
        if (Data_)
            GlobalUnlock(Block_);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;

    void* Data() const { return Data_; }
    SIZE_T Size() const { return Size_; }

private:
    HGLOBAL Block_;
    void* Data_;
    SIZE_T Size_ = 0;
};

} // namespace win32
