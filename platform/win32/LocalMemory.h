#pragma once
// The local heap: blocks that the platform hands out (FormatMessage's
// allocated buffer) and that their receiver gives back with LocalFree.
//
// Every block is fixed: its handle is its address, as with LMEM_FIXED.
// LMEM_MOVEABLE is accepted and gives a fixed block too, so LocalLock returns
// the handle itself. Live blocks are tracked, so freeing a pointer that is
// not a live block (twice, or never allocated here) is refused, not a crash.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_MOVEABLE = 0x0002;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;
constexpr UINT LHND = LMEM_MOVEABLE | LMEM_ZEROINIT;

// NULL with ERROR_INVALID_PARAMETER for unknown flags, ERROR_NOT_ENOUGH_MEMORY
// when no memory is left. A block of 0 bytes is a valid, distinct block.
CORVANE_PLATFORM_EXPORT HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);

// NULL on success (and for NULL); the handle itself, with ERROR_INVALID_HANDLE,
// when it is not a live block.
CORVANE_PLATFORM_EXPORT HLOCAL LocalFree(HLOCAL block);

// The size asked for at allocation; 0 with ERROR_INVALID_HANDLE for a handle
// that is not a live block.
CORVANE_PLATFORM_EXPORT SIZE_T LocalSize(HLOCAL block);

// The block's address (its handle); NULL with ERROR_INVALID_HANDLE.
CORVANE_PLATFORM_EXPORT LPVOID LocalLock(HLOCAL block);
// Fixed blocks are never locked: FALSE with ERROR_SUCCESS (ERROR_INVALID_HANDLE
// for a handle that is not a live block).
CORVANE_PLATFORM_EXPORT BOOL LocalUnlock(HLOCAL block);
